// The designer window's side of its two tree tool windows (same class as designer_window.cpp,
// split for size): the report tree and the window keep each other's selection and follow the
// report's bands, components and sub-reports; fields dragged from the data tree onto a band
// become components there.

#include "report/designer/gui/designer_window.h"

#include "report/designer/gui/designer_toolbars.h"
#include "report/designer/gui/tree_windows.h"
#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/report.h"
#include "report/model/subreport.h"

#include "platform/base/scope_exit.h"
#include "platform/ui/dialog_service.h"

TppReportTreeWindow* TppDesignerWindow::ReportTreeWindow() const {
    return m_toolbarManager
               ? qobject_cast<TppReportTreeWindow*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("ReportOutline")))
               : nullptr;
}

TppDataTreeWindow* TppDesignerWindow::DataTreeWindow() const {
    return m_toolbarManager ? qobject_cast<TppDataTreeWindow*>(m_toolbarManager->FindToolbarWidget(QStringLiteral("DataTree")))
                            : nullptr;
}

void TppDesignerWindow::bindTreeWindows() {
    if (TppReportTreeWindow* tree = ReportTreeWindow()) {
        tree->OnObjectSelect = [this, tree](QObject*) {
            QObject* o = tree->ObjectTree()->GetSelectedObject();
            if (auto* c = qobject_cast<TppComponent*>(o)) {
                ClearSelection(false);
                AddToSelection(c);
            } else if (auto* b = qobject_cast<TppBand*>(o)) {
                m_currentBand = b;
                ClearSelection(true);
            }
        };
        tree->OnReportSelect = [this, tree](QObject*) {
            SelectReport(qobject_cast<TppCustomReport*>(tree->OutlineTree()->GetSelectedObject()));
        };
        tree->OnMessage = [](QObject*, const QString& aText) {
            ui::Message(aText, ui::MessageKind::Warning, ui::Button::Ok);
        };
    }
    if (TppDataTreeWindow* data = DataTreeWindow()) {
        data->OnFieldsDropped = [this](QObject*, const QPoint& aGlobal) {
            const QPoint p = m_workspace->mapFromGlobal(aGlobal);
            if (m_workspace->rect().contains(p)) DataTreeDrop(p);
        };
    }
}

void TppDesignerWindow::treeWindowsReport(TppCustomReport* aReport) {
    if (TppReportTreeWindow* tree = ReportTreeWindow()) tree->SetReport(aReport);
    if (TppDataTreeWindow* data = DataTreeWindow()) data->SetReport(aReport);
}

void TppDesignerWindow::treeWindowsSelection() {
    TppReportTreeWindow* tree = ReportTreeWindow();
    if (!tree || m_destroying) return;
    const QList<TppComponent*> sel = Selection();
    if (!sel.isEmpty())
        tree->SelectInObjectTree(sel.first());
    else if (m_currentBand)
        tree->SelectInObjectTree(m_currentBand.data());
}

void TppDesignerWindow::treeWindowsTabs(TppCustomReport* aDropped) {
    TppReportTreeWindow* tree = ReportTreeWindow();
    if (!tree || m_destroying) return;
    if (aDropped) {
        tree->RemoveFromOutline(aDropped);
        return;
    }
    if (!m_mainReport) return;
    TppChildReportList children;
    m_mainReport->GetAllChildReports(children);
    for (const auto& [caption, child] : children) tree->AddToOutline(caption, child);
}

void TppDesignerWindow::treeWindowsMessage(int aMsg, QObject* aObject) {
    using namespace report;
    TppReportTreeWindow* tree = ReportTreeWindow();
    if (!tree || m_destroying || !m_currentReport) return;
    auto inCurrent = [this](QObject* o) {
        if (auto* b = qobject_cast<TppBand*>(o)) return b->Report() == m_currentReport;
        if (auto* c = qobject_cast<TppComponent*>(o)) return c->Band() && c->Band()->Report() == m_currentReport;
        return false;
    };
    switch (aMsg) {
    case PPM_NAME_CHANGED:
    case PPM_COMPONENT_ORDER_CHANGED:
        if (m_pages->currentWidget() != m_designSheet || !aObject) break;
        if (auto* sub = qobject_cast<TppSubReport*>(aObject))
            tree->RefreshSubReport(sub);
        else if (inCurrent(aObject))
            tree->ObjectTree()->RefreshObject(aObject);
        break;
    case PPM_SUBREPORT_CAPTION_CHANGED:
        if (auto* sub = qobject_cast<TppSubReport*>(aObject)) tree->RefreshSubReport(sub);
        break;
    case PPM_BAND_ADDED:
    case PPM_COMPONENT_ADDED:
        if (inCurrent(aObject)) tree->AddToObjectTree(aObject);
        if (aMsg == PPM_COMPONENT_ADDED) treeWindowsSelection();
        break;
    case PPM_BAND_REMOVED:
    case PPM_COMPONENT_REMOVED:
        if (aObject) tree->RemoveFromObjectTree(aObject);
        if (aMsg == PPM_COMPONENT_REMOVED) treeWindowsSelection();
        break;
    default:
        break;
    }
}

void TppDesignerWindow::DataTreeDrop(const QPoint& aPoint) {
    TppDataTreeWindow* data = DataTreeWindow();
    if (!data || !m_currentReport || !CanAdd(false)) return;
    TppBand* band = BandAt(aPoint.y());
    if (!band) return;
    const int y = aPoint.y() - BandTop(band);
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    QList<TppComponent*> created;
    data->CreateComponentsForDrop(band, aPoint.x(), y, created);
    ClearSelection(false);
    for (TppComponent* c : created) {
        c->CreateDesignControl();
        if (!c->DesignControl()) createDesignControl(c);
        if (!c->IsRegion()) c->SetRegion(RegionAt(c->Band(), QPoint(c->spLeft(), BandTop(c->Band()) + c->spTop())));
        if (OnCreateComponent) OnCreateComponent(this, c);
        AddToSelection(c);
    }
    LayoutBands();
    m_workspace->RaiseOverlay();
    if (!created.isEmpty()) {
        Modified();
        m_undoAvailable = false;
    }
}
