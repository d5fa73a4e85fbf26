#include "report/designer/gui/designer_window.h"

#include "report/designer/gui/designer_texts.h"
#include "report/designer/gui/designer_toolbars.h"
#include "report/designer/gui/doc_history.h"
#include "report/page/report_font.h"
#include "report/designer/gui/popup_menu.h"
#include "report/designer/gui/ruler.h"
#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/component_services.h"
#include "report/model/errors.h"
#include "report/model/palette_registry.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/model/subreport.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/output/screen_device.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/base/scope_exit.h"
#include "platform/settings/ini_file.h"
#include "platform/stream/class_registry.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/window_message.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

int pixelsOf(int mm, int selector) {
    return int(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, selector, nullptr));
}

int mmOf(int pixels, int selector) {
    return ppToMMThousandths(TppUnitType::utScreenPixels, selector, nullptr, float(pixels));
}

int spHeightOf(const TppBand* band) { return pixelsOf(band->mmHeight(), report::kVertical); }

/// A size from the form description (120 pixels per inch) at the screen's resolution.
int scaled(int v) { return int(std::lround(v * report::ScreenPixelsPerInch() / 120.0)); }

QToolButton* barButton(QWidget* parent, const QString& name, int hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(ppGetMessageText(hint));
    b->setText(ppGetMessageText(hint));
    b->setAutoRaise(true);
    return b;
}

}  // namespace

// Construction --------------------------------------------------------------------------------

TppDesignerWindow::TppDesignerWindow(QWidget* parent) : TppComponentDesigner(parent) {
    report::DeclareDesignerTexts();
    setObjectName(QStringLiteral("ppDesignerWindow"));
    setWindowTitle(m_captionBase);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pgcDesigner"));
    m_pages->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(m_pages);
    m_designSheet = new QWidget;
    m_designSheet->setObjectName(QStringLiteral("tshDesign"));
    m_previewSheet = new QWidget;
    m_previewSheet->setObjectName(QStringLiteral("tshPreview"));
    m_pages->addTab(m_designSheet, ppGetMessageText(185));
    m_pages->addTab(m_previewSheet, ppGetMessageText(186));

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("stbStatusBar"));
    setStatusBar(m_statusBar);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setMinimumWidth(90);
        m_statusBar->addWidget(panel);
        m_statusPanels << panel;
    }

    buildPreviewPage();
    buildDesignPage();
    m_previousPage = m_pages->indexOf(m_designSheet);
    m_pages->setCurrentWidget(m_designSheet);
    connect(m_pages, &QTabWidget::currentChanged, this, &TppDesignerWindow::pageChanging);

    buildModulePages();
    buildToolbars();
    buildMenus();
    // The window may be narrower than its toolbar rows (they are cut at the right then).
    setMinimumSize(320, 240);
    m_docHistory = new TppDocHistory(this, SettingsFileName(), Menu(QStringLiteral("mniFile")));
    m_docHistory->SetOnMenuItemClick([this](QAction* a) { OpenRecent(a); });
    LoadSettings();
}

TppDesignerWindow::~TppDesignerWindow() {
    if (OnWindowDestroyed) OnWindowDestroyed();
    m_destroying = true;
    ClearSelection(false);
    if (m_previewing && m_viewer && m_viewer->GetBusy()) m_viewer->Cancel();
    if (!m_snapshotFile.isEmpty()) QFile::remove(m_snapshotFile);
    designReport(nullptr);
    freeModulePages();
    if (m_viewer) m_viewer->SetReport(nullptr);
    delete m_docHistory;
    m_docHistory = nullptr;
    delete m_toolbarManager;
    m_toolbarManager = nullptr;
}

void TppDesignerWindow::buildDesignPage() {
    auto* layout = new QVBoxLayout(m_designSheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* design = new QWidget(m_designSheet);
    design->setObjectName(QStringLiteral("pnlDesign"));
    layout->addWidget(design, 1);
    m_reportTabs = new QTabBar(m_designSheet);
    m_reportTabs->setObjectName(QStringLiteral("tbsReport"));
    m_reportTabs->setShape(QTabBar::RoundedSouth);
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    m_reportTabs->setFont(small);
    m_reportTabs->hide();
    layout->addWidget(m_reportTabs);
    connect(m_reportTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0 || m_destroying) return;
        auto* r = static_cast<TppCustomReport*>(m_reportTabs->tabData(index).value<QObject*>());
        QPointer<TppCustomReport> previous = m_currentReport;
        try {
            showReport(r);
        } catch (const std::exception&) {
            showReport(previous);
            const QSignalBlocker block(m_reportTabs);
            for (int i = 0; i < m_reportTabs->count(); ++i)
                if (m_reportTabs->tabData(i).value<QObject*>() == previous.data()) m_reportTabs->setCurrentIndex(i);
        }
        updateCaption();
    });

    const int rulerPanel = scaled(29);
    auto* grid = new QGridLayout(design);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_horizontalRulerPanel = new QWidget(design);
    m_horizontalRulerPanel->setObjectName(QStringLiteral("pnlHorizontalRuler"));
    m_horizontalRulerPanel->setFixedHeight(rulerPanel);
    m_verticalRulerPanel = new QWidget(design);
    m_verticalRulerPanel->setObjectName(QStringLiteral("pnlVerticalRuler"));
    m_verticalRulerPanel->setFixedWidth(rulerPanel);
    m_scrollBox = new QScrollArea(design);
    m_scrollBox->setObjectName(QStringLiteral("sbxWorkspace"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setBackgroundRole(QPalette::Dark);
    m_scrollBox->setWidgetResizable(false);
    grid->addWidget(m_horizontalRulerPanel, 0, 0, 1, 2);
    grid->addWidget(m_verticalRulerPanel, 1, 0);
    grid->addWidget(m_scrollBox, 1, 1);

    m_background = new QWidget;
    m_background->setObjectName(QStringLiteral("pbxBackground"));
    m_background->setAutoFillBackground(true);
    QPalette pal = m_background->palette();
    pal.setColor(QPalette::Window, paint::ToQColor(paint::clBtnShadow));
    m_background->setPalette(pal);
    m_background->resize(800, 600);
    m_scrollBox->setWidget(m_background);
    m_workspace = new TppWorkspace(m_background);
    m_workspace->setMouseTracking(true);
    m_workspace->installEventFilter(this);
    m_workspace->OnAfterPaint = [this](QObject*) { SyncRulers(); };
    m_workspace->hide();
    connect(m_scrollBox->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { SyncRulers(); });
    connect(m_scrollBox->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { SyncRulers(); });

    m_keyboardEdit = new QLineEdit(m_workspace);
    m_keyboardEdit->setObjectName(QStringLiteral("KeyboardEdit"));
    m_keyboardEdit->setGeometry(0, 0, 0, 0);
    m_keyboardEdit->installEventFilter(this);

    m_bounds = new TppBoundsRect(nullptr);
    m_bounds->setParent(this);
    m_bounds->hide();
    m_dragRect = new TppBoundsRect(m_workspace);
    m_dragRect->setObjectName(QStringLiteral("BandDragRect"));
    m_dragRect->DragDisplay = true;
    m_rubberBand = new TppBoundsRect(m_workspace);
    m_rubberBand->setObjectName(QStringLiteral("RubberBand"));
    m_rubberBand->Dotted = true;
    m_sizingHandles = new TppSizingHandles(this);
    m_sizingHandles->SetOnMouseDown([this](TppHandleShape* h, const QPoint& p) { handleMouseDown(h->Tag(), p); });
    m_sizingHandles->SetOnDragOver([this](TppHandleShape*, const QPoint& p) { dragSize(p); });
    m_sizingHandles->SetOnEndDrag([this](TppHandleShape*, const QPoint&) { endSize(); });
    m_sizingHandles->SetParentControl(m_workspace);
    for (int i = 0; i < 8; ++i) m_sizingHandles->Handle(i)->installEventFilter(this);

    m_horizontalRuler = new TppRuler(m_horizontalRulerPanel);
    m_horizontalRuler->setObjectName(QStringLiteral("HorizontalRuler"));
    m_horizontalRuler->SetOrientation(TppRulerOrientationType::roHorizontal);
    m_horizontalRuler->setGeometry(rulerPanel + 16, 0, width(), rulerPanel);
    m_horizontalRuler->OnSetUnits = [this](QObject*) { propagateUnits(m_horizontalRuler); };
    m_horizontalRuler->OnHide = [this](QObject*) { toggleRulers(); };
}

void TppDesignerWindow::buildPreviewPage() {
    auto* layout = new QVBoxLayout(m_previewSheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QWidget(m_previewSheet);
    bar->setObjectName(QStringLiteral("pnlPreviewBar"));
    bar->setFixedHeight(scaled(32));
    layout->addWidget(bar);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);

    QToolButton* print = barButton(bar, QStringLiteral("spbPreviewPrint"), 22);
    connect(print, &QToolButton::clicked, this, [this] {
        if (m_viewer) m_viewer->Print();
    });
    row->addWidget(print);
    m_autoSearchButton = barButton(bar, QStringLiteral("spbPreviewAutoSearch"), 1021);
    connect(m_autoSearchButton, &QToolButton::clicked, this, [this] {
        if (m_viewer) m_viewer->RegenerateReport();
    });
    row->addWidget(m_autoSearchButton);
    auto* standard = new QWidget(bar);
    standard->setObjectName(QStringLiteral("pnlStandardButtons"));
    auto* buttons = new QHBoxLayout(standard);
    buttons->setContentsMargins(0, 0, 0, 0);
    row->addWidget(standard);
    const struct {
        const char* name;
        int hint;
        TppZoomSettingType setting;
    } zooms[] = {{"spbPreviewWhole", 30, TppZoomSettingType::zsWholePage},
                 {"spbPreviewWidth", 31, TppZoomSettingType::zsPageWidth},
                 {"spbPreview100Percent", 1, TppZoomSettingType::zs100Percent}};
    for (const auto& z : zooms) {
        QToolButton* b = barButton(standard, QString::fromLatin1(z.name), z.hint);
        b->setCheckable(true);
        b->setChecked(z.setting == TppZoomSettingType::zsWholePage);
        const TppZoomSettingType setting = z.setting;
        connect(b, &QToolButton::clicked, this, [this, b, setting] {
            for (QToolButton* other : m_zoomButtons) other->setChecked(other == b);
            if (!m_viewer) return;
            m_viewer->SetZoomSetting(setting);
            m_zoomEdit->setText(QStringLiteral("%1 %").arg(m_viewer->GetCalculatedZoom()));
            m_statusBar->setFocus();
        });
        buttons->addWidget(b);
        m_zoomButtons << b;
    }
    m_zoomEdit = new QLineEdit(standard);
    m_zoomEdit->setObjectName(QStringLiteral("mskPreviewPercentage"));
    m_zoomEdit->setMaxLength(5);
    m_zoomEdit->setFixedWidth(50);
    buttons->addWidget(m_zoomEdit);
    connect(m_zoomEdit, &QLineEdit::returnPressed, this, [this] {
        bool ok = false;
        QString digits = m_zoomEdit->text();
        digits.remove(QLatin1Char('%'));
        int value = digits.trimmed().toInt(&ok);
        if (!ok) value = 100;
        for (QToolButton* b : m_zoomButtons) b->setChecked(false);
        if (!m_viewer) return;
        m_viewer->SetZoomPercentage(value);
        m_zoomEdit->setText(QStringLiteral("%1 %").arg(m_viewer->ZoomPercentage()));
    });
    QToolButton* first = barButton(standard, QStringLiteral("spbPreviewFirst"), 13);
    QToolButton* prior = barButton(standard, QStringLiteral("spbPreviewPrior"), 29);
    buttons->addWidget(first);
    buttons->addWidget(prior);
    m_pageEdit = new QLineEdit(standard);
    m_pageEdit->setObjectName(QStringLiteral("mskPreviewPage"));
    m_pageEdit->setMaxLength(5);
    m_pageEdit->setFixedWidth(50);
    buttons->addWidget(m_pageEdit);
    QToolButton* next = barButton(standard, QStringLiteral("spbPreviewNext"), 15);
    QToolButton* last = barButton(standard, QStringLiteral("spbPreviewLast"), 14);
    buttons->addWidget(next);
    buttons->addWidget(last);
    connect(first, &QToolButton::clicked, this, [this] { m_viewer->FirstPage(); });
    connect(prior, &QToolButton::clicked, this, [this] { m_viewer->PriorPage(); });
    connect(next, &QToolButton::clicked, this, [this] { m_viewer->NextPage(); });
    connect(last, &QToolButton::clicked, this, [this] { m_viewer->LastPage(); });
    connect(m_pageEdit, &QLineEdit::returnPressed, this, [this] { m_viewer->GotoPage(m_pageEdit->text().toInt()); });
    m_cancelButton = barButton(standard, QStringLiteral("spbPreviewCancel"), 5);
    m_cancelButton->setEnabled(false);
    buttons->addSpacing(20);
    buttons->addWidget(m_cancelButton);
    connect(m_cancelButton, &QToolButton::clicked, this, [this] {
        if (m_viewer && m_viewer->GetBusy()) m_viewer->Cancel();
    });
    row->addStretch(1);

    m_viewer = new TppViewer(m_previewSheet);
    m_viewer->setObjectName(QStringLiteral("Viewer"));
    layout->addWidget(m_viewer, 1);
    m_viewer->ScreenDevice()->SetActive(false);
    m_viewer->OnPageChange = [this](QObject*) {
        m_pageEdit->setText(QString::number(m_viewer->GetAbsolutePageNo()));
        m_zoomEdit->setText(QStringLiteral("%1 %").arg(m_viewer->GetCalculatedZoom()));
    };
    m_viewer->OnPrintStateChange = [this](QObject*) {
        const bool busy = m_viewer->GetBusy();
        m_pageEdit->setEnabled(!busy);
        m_zoomEdit->setEnabled(!busy);
        m_cancelButton->setEnabled(busy);
        const Qt::CursorShape shape = busy ? Qt::WaitCursor : Qt::ArrowCursor;
        m_viewer->setCursor(shape);
        m_statusBar->setCursor(shape);
    };
    m_viewer->OnStatusChange = [this](QObject*) {
        if (m_viewer->GetBusy()) m_statusBar->showMessage(m_viewer->GetStatus());
    };
}

// Design modules ------------------------------------------------------------------------------

void TppDesignerWindow::buildModulePages() {
    QList<const TppDesignModuleClass*> classes;
    ppGetDesignModules(QStringLiteral("TppDesignerWindow"), classes);
    QList<QPair<QString, QWidget*>> byIndex;
    const QSignalBlocker block(m_pages);
    for (const TppDesignModuleClass* moduleClass : classes) {
        auto* sheet = new QWidget;
        TppDesignModule* module = moduleClass->create(sheet, this);
        if (!module) {
            delete sheet;
            continue;
        }
        module->SetReport(m_mainReport);
        sheet->setObjectName(QStringLiteral("tshModule%1").arg(module->PageIndex()));
        m_pages->addTab(sheet, module->Caption());
        m_modulePages.append({sheet, module});
        byIndex.append({QString::number(module->PageIndex()), sheet});
    }
    std::stable_sort(byIndex.begin(), byIndex.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto it = byIndex.rbegin(); it != byIndex.rend(); ++it) {
        const int from = m_pages->indexOf(it->second);
        m_pages->tabBar()->moveTab(from, 0);
    }
    m_previousPage = m_pages->currentIndex();
}

void TppDesignerWindow::freeModulePages() {
    const QSignalBlocker block(m_pages);
    for (int i = m_modulePages.size() - 1; i >= 0; --i) {
        const ModulePage page = m_modulePages.at(i);
        m_pages->removeTab(m_pages->indexOf(page.sheet));
        delete page.module;
        delete page.sheet;
    }
    m_modulePages.clear();
}

void TppDesignerWindow::DesignModulesChanged() {
    QWidget* active = m_pages->currentWidget();
    const bool moduleActive = std::any_of(m_modulePages.begin(), m_modulePages.end(),
                                          [active](const ModulePage& p) { return p.sheet == active; });
    freeModulePages();
    buildModulePages();
    const QSignalBlocker block(m_pages);
    m_pages->setCurrentWidget(moduleActive ? m_designSheet : active);
    m_previousPage = m_pages->currentIndex();
}

// Messages ------------------------------------------------------------------------------------

bool TppDesignerWindow::event(QEvent* e) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
        // A posted message about an object that was freed meanwhile is dropped.
        if (m->ObjectGone()) return true;
        handleMessage(m->Msg, m->WParam, reinterpret_cast<QObject*>(m->LParam), m->LParam);
        return true;
    }
    return TppComponentDesigner::event(e);
}

void TppDesignerWindow::handleMessage(int aMsg, qintptr aWParam, QObject* aObject, qintptr aLParam) {
    using namespace report;
    if (aMsg == PPM_DATA_PIPELINE_CHANGED) return;  // the design state that uses it never occurs here
    if (aMsg == PPM_GET_DISPLAY_FORMATS) {
        if (!m_currentReport || !aLParam) return;
        auto* list = reinterpret_cast<QStringList*>(aLParam);
        if (OnGetDisplayFormats && m_currentComponent) OnGetDisplayFormats(m_currentComponent, *list);
        return;
    }
    if (aWParam != kDesignerMarker) return;
    treeWindowsMessage(aMsg, aObject);
    // A band resized or removed, or a band or report renamed, ends what Undelete can undo.
    // Renames of components are left out: they are posted, so a paste's renames would reach
    // the window only after a later Delete and take its undelete away.
    if (aMsg == PPM_BAND_RESIZED || aMsg == PPM_BAND_REMOVED ||
        (aMsg == PPM_NAME_CHANGED && !qobject_cast<TppComponent*>(aObject)))
        m_undoAvailable = false;
    switch (aMsg) {
    case PPM_NAME_CHANGED:
        updateCaption();
        if (m_pages->currentWidget() == m_designSheet && aObject) Modified();
        break;
    case PPM_BAND_RESIZED:
        if (!m_currentReport) break;
        LayoutBands();
        WorkspaceResize();
        Modified();
        break;
    case PPM_REPORT_DESTROYING:
        if (auto* r = qobject_cast<TppReport*>(aObject); r && r == m_mainReport) {
            if (OnReportFreed) OnReportFreed(r);
            designReport(nullptr);
        } else if (auto* child = qobject_cast<TppCustomReport*>(aObject)) {
            dropReportTab(child);
        }
        break;
    case PPM_REPORT_LAYOUT_CHANGED:
        if (!m_currentReport) break;
        UpdateWorkspaceWidth();
        LayoutBands();
        WorkspaceResize();
        Modified();
        break;
    case PPM_COMPONENT_DESTROYING:
        if (m_destroying) break;
        if (auto* c = static_cast<TppComponent*>(aObject)) {
            if (m_selectionObjects.contains(c)) RemoveFromSelection(c);
            if (OnDestroyComponent) OnDestroyComponent(this, c);
        }
        break;
    case PPM_UNITS_CHANGED:
        m_horizontalRuler->SetUnits(TppUnitType(aLParam));
        for (TppRuler* r : m_bandRulers) r->SetUnits(TppUnitType(aLParam));
        break;
    case PPM_COMPONENT_CHANGED: {
        if (auto* c = qobject_cast<TppComponent*>(aObject)) positionControl(c);
        if (isVisible() && !m_previewing) {
            if (!m_selectionObjects.isEmpty() && m_updateCount == 0) recalcBounds();
            Modified();
        }
        break;
    }
    case PPM_SET_REPORT:
        if (m_destroying) break;
        if (!aObject) designReport(nullptr);
        else if (aObject != m_mainReport) designReport(qobject_cast<TppReport*>(aObject));
        break;
    case PPM_LANGUAGE_CHANGED:
        if (m_destroying) break;
        LanguageChanged();
        m_pages->setTabText(m_pages->indexOf(m_designSheet), ppGetMessageText(185));
        m_pages->setTabText(m_pages->indexOf(m_previewSheet), ppGetMessageText(186));
        for (const ModulePage& p : m_modulePages) {
            if (m_mainReport) p.module->LanguageChanged(m_mainReport->Language());
            m_pages->setTabText(m_pages->indexOf(p.sheet), p.module->Caption());
        }
        break;
    case PPM_CREATE_DESIGN_CONTROL:
        if (auto* c = qobject_cast<TppComponent*>(aObject)) createDesignControl(c);
        break;
    case PPM_CREATE_DESIGN_BAND:
        if (auto* b = qobject_cast<TppBand*>(aObject)) createDesignBand(b);
        break;
    case PPM_BAND_ADDED:
        if (!m_currentReport) break;
        if (auto* b = qobject_cast<TppBand*>(aObject); b && b->Report() == m_currentReport && !m_strips.contains(b)) {
            b->AddState(ppsDesignControl);
            createDesignBand(b);
            for (int i = 0; i < b->ObjectCount(); ++i) b->Objects(i)->CreateDesignControl();
        }
        m_currentBand = nullptr;
        LayoutBands();
        WorkspaceResize();
        Modified();
        break;
    case PPM_BAND_REMOVED:
    case PPM_BAND_DESTROYING: {
        if (!m_currentReport || m_destroying) break;
        if (aMsg == PPM_BAND_REMOVED && m_previewing) break;
        auto* b = static_cast<TppBand*>(aObject);
        if (m_strips.contains(b)) {
            m_currentBand = nullptr;
            ClearSelection(true);
            delete m_strips.take(b);
            delete m_bandRulers.take(b);
            m_bandTops.remove(b);
            if (aMsg == PPM_BAND_REMOVED) {
                LayoutBands();
                WorkspaceResize();
                Modified();
            }
        }
        break;
    }
    case PPM_PRINTING:
        m_printing = aLParam != 0;
        break;
    case PPM_DESIGNER_ATTACHED:
        if (m_destroying) break;
        if (auto* r = qobject_cast<TppReport*>(aObject)) {
            if (r != m_mainReport) designReport(r);
        } else if (qobject_cast<TppCustomReport*>(aObject) && m_mainReport) {
            rebuildReportTabs();
        }
        break;
    case PPM_DESIGNER_DETACHED:
        if (m_destroying) break;
        if (auto* r = qobject_cast<TppReport*>(aObject)) {
            if (r == m_mainReport) designReport(nullptr);
        } else if (auto* child = qobject_cast<TppCustomReport*>(aObject)) {
            dropReportTab(child);
        }
        break;
    case PPM_PARENT_SIZE_CHANGED:
        recalcBounds();
        break;
    case PPM_SUBREPORT_CAPTION_CHANGED:
        if (auto* sub = qobject_cast<TppSubReport*>(aObject))
            for (int i = 0; i < m_reportTabs->count(); ++i)
                if (m_reportTabs->tabData(i).value<QObject*>() == sub->Report())
                    m_reportTabs->setTabText(i, sub->GetCaption());
        break;
    case PPM_TEMPLATE_LOAD_START:
        if (!m_updating) showReport(nullptr);
        break;
    case PPM_TEMPLATE_LOAD_END:
        if (!m_updating) {
            showReport(qobject_cast<TppCustomReport*>(aObject));
            SelectReport(qobject_cast<TppCustomReport*>(aObject));
            updateCaption();
        }
        break;
    case PPM_BEGIN_UPDATE:
        showReport(nullptr);
        m_updating = true;
        break;
    case PPM_END_UPDATE:
        if (m_destroying) break;
        m_updating = false;
        showReport(qobject_cast<TppCustomReport*>(aObject));
        SelectReport(qobject_cast<TppCustomReport*>(aObject));
        break;
    case PPM_COMPONENT_ADDED:
    case PPM_COMPONENT_REMOVED:
        if (m_destroying) break;
        Modified();
        break;
    case PPM_COMPONENT_ORDER_CHANGED:
        if (m_destroying) break;
        if (auto* c = qobject_cast<TppComponent*>(aObject); c && c->DesignControl() && c->Band()) {
            // Controls are stacked in the band's order.
            for (int i = 0; i < c->Band()->ObjectCount(); ++i)
                if (auto* w = qobject_cast<QWidget*>(c->Band()->Objects(i)->DesignControl())) w->raise();
        }
        if (m_pages->currentWidget() == m_designSheet) Modified();
        break;
    default:
        break;
    }
}

// Reports -------------------------------------------------------------------------------------

TppReport* TppDesignerWindow::MainReport() const { return m_mainReport; }

void TppDesignerWindow::SetReport(TppCustomReport* aReport) {
    TppComponentDesigner::SetReport(aReport);
    if (!aReport || qobject_cast<TppReport*>(aReport)) designReport(qobject_cast<TppReport*>(aReport));
}

void TppDesignerWindow::designReport(TppReport* aReport) {
    if (aReport == m_mainReport) return;
    if (!m_destroying) {
        m_workspace->hide();
        const QSignalBlocker block(m_reportTabs);
        while (m_reportTabs->count() > 0) m_reportTabs->removeTab(0);
        m_reportTabs->hide();
    }
    TppReport* old = m_mainReport;
    m_mainReport = aReport;
    if (m_viewer) m_viewer->SetReport(nullptr);
    m_pageSource.reset();
    m_producer.reset();
    if (old) {
        old->SetReportDesigner(nullptr);
        showReport(nullptr);
    }
    if (aReport) {
        m_producer = std::make_unique<TppProducer>();
        m_pageSource = std::make_unique<report::ReportPageSource>(aReport);
        m_producer->SetPageSource(m_pageSource.get());
        m_producer->SetShowCancelDialog(false);
        // The report's text-file settings (Print to File Setup) go with its print jobs.
        m_producer->SetAllowPrintToFile(aReport->AllowPrintToFile());
        m_producer->SetTextFileName(aReport->TextFileName());
        m_producer->SetTextFileType(aReport->TextFileType());
        m_viewer->SetReport(m_producer.get());
        {
            const QSignalBlocker block(m_reportTabs);
            m_reportTabs->addTab(ppGetMessageText(374));
            m_reportTabs->setTabData(0, QVariant::fromValue<QObject*>(aReport));
        }
        aReport->SetReportDesigner(this);
        showReport(aReport);
        rebuildReportTabs();
        m_reportTabs->setCurrentIndex(0);
        updateCaption();
    } else {
        updateCaption();
    }
    for (const ModulePage& p : m_modulePages) p.module->SetReport(aReport);
}

void TppDesignerWindow::enterDesignDisplay(TppCustomReport* aReport) {
    aReport->CreateDesignControls();
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        band->AddState(ppsDesignControl);
        createDesignBand(band);
        for (int k = 0; k < band->ObjectCount(); ++k) {
            TppComponent* c = band->Objects(k);
            c->CreateDesignControl();
            // A component whose messages go to another window gets its control here.
            if (!c->DesignControl()) createDesignControl(c);
        }
    }
}

void TppDesignerWindow::leaveDesignDisplay(TppCustomReport* aReport) {
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        for (int k = 0; k < band->ObjectCount(); ++k) band->Objects(k)->DestroyDesignControl();
        band->RemoveState(ppsDesignControl | ppsShowData);
        delete m_strips.take(band);
        delete m_bandRulers.take(band);
        m_bandTops.remove(band);
    }
    aReport->FreeDesignControls();
}

void TppDesignerWindow::showReport(TppCustomReport* aReport) {
    if (aReport == m_currentReport) return;
    if (!m_destroying) m_workspace->hide();
    m_sizingHandles->Hide();
    m_currentBand = nullptr;
    ClearSelection(false);
    if (m_currentReport) leaveDesignDisplay(m_currentReport);
    m_strips.clear();
    m_bandRulers.clear();
    m_bandTops.clear();
    m_currentReport = aReport;
    if (!aReport) {
        treeWindowsReport(nullptr);
        return;
    }
    if (aReport->BandCount() == 0) aReport->CreateDefaultBands();
    if (aReport != m_mainReport && m_mainReport)
        aReport->Template()->AssignKeepingLocation(m_mainReport->Template());
    enterDesignDisplay(aReport);
    aReport->AddState(ppsShowData);
    for (int i = 0; i < aReport->BandCount(); ++i) aReport->Bands(i)->AddState(ppsShowData);
    LayoutBands();
    if (m_pages->currentWidget() != m_designSheet && !m_restoring) m_pages->setCurrentWidget(m_designSheet);
    m_horizontalRuler->OnGetPrinter = [](TppRuler*, const report::PrinterResolution*& p) { p = nullptr; };
    m_horizontalRuler->SetUnits(aReport->Units());
    for (TppRuler* r : m_bandRulers) r->SetUnits(aReport->Units());
    UpdateWorkspaceWidth();
    LayoutBands();
    WorkspaceResize();
    if (!m_destroying) m_workspace->show();
    notifySelectionChanged();
    treeWindowsReport(aReport);
    if (OnReportSelected) OnReportSelected(this);
}

void TppDesignerWindow::rebuildReportTabs() {
    if (!m_mainReport) return;
    TppChildReportList children;
    m_mainReport->GetChildReports(children);
    const QSignalBlocker block(m_reportTabs);
    while (m_reportTabs->count() > 0) m_reportTabs->removeTab(0);
    m_reportTabs->addTab(ppGetMessageText(374));
    m_reportTabs->setTabData(0, QVariant::fromValue<QObject*>(m_mainReport.data()));
    for (const auto& [caption, child] : children) {
        const int i = m_reportTabs->addTab(caption);
        m_reportTabs->setTabData(i, QVariant::fromValue<QObject*>(child));
    }
    m_reportTabs->setVisible(m_reportTabs->count() > 1);
    for (int i = 0; i < m_reportTabs->count(); ++i)
        if (m_reportTabs->tabData(i).value<QObject*>() == m_currentReport.data()) m_reportTabs->setCurrentIndex(i);
    treeWindowsTabs(nullptr);
}

void TppDesignerWindow::dropReportTab(TppCustomReport* aReport) {
    for (int i = 0; i < m_reportTabs->count(); ++i) {
        if (m_reportTabs->tabData(i).value<QObject*>() != aReport) continue;
        if (aReport == m_currentReport) showReport(nullptr);
        const QSignalBlocker block(m_reportTabs);
        m_reportTabs->removeTab(i);
        if (m_reportTabs->count() <= 1) m_reportTabs->hide();
        treeWindowsTabs(aReport);
        return;
    }
}

void TppDesignerWindow::SelectReport(TppCustomReport* aReport) {
    if (!aReport) return;
    for (int i = 0; i < m_reportTabs->count(); ++i)
        if (m_reportTabs->tabData(i).value<QObject*>() == aReport) m_reportTabs->setCurrentIndex(i);
}

QStatusBar* TppDesignerWindow::GetStatusBar() const { return m_statusBar; }

void TppDesignerWindow::Modified() {
    if (m_destroying || !m_currentReport || m_currentReport->HasState(TComponent::csDestroying)) return;
    m_currentReport->SetModified(true);
}

void TppDesignerWindow::ReaderFindMethod(QObject*, const QString&, void*&, bool& aError) { aError = false; }

void TppDesignerWindow::SetCaptionBase(const QString& aText) {
    m_captionBase = aText;
    updateCaption();
}

void TppDesignerWindow::updateCaption() {
    if (m_snapshotting || m_restoring) return;
    if (m_mainReport && m_reportTabs->currentIndex() > 0) return;
    QString caption = m_captionBase;
    if (m_mainReport && m_mainReport->SaveAsTemplate()) {
        TppReportTemplate* t = m_mainReport->Template();
        caption += QStringLiteral(": ") + t->Description();
        if (t->SaveTo() == TppSaveToType::stFile && t->IsReadOnly()) caption += QLatin1Char(' ') + ppGetMessageText(685);
    }
    if (windowTitle() != caption) setWindowTitle(caption);
}

// Pages ---------------------------------------------------------------------------------------

void TppDesignerWindow::SetMainMenu(QMenuBar* aMenu) {
    QMenuBar* wanted = aMenu ? aMenu : m_menuBar;
    QWidget* shown = layout()->menuBar();
    if (!wanted || shown == wanted) return;
    // Taken out of the layout first: the main window would free the menu bar it replaces.
    layout()->setMenuBar(nullptr);
    if (shown) shown->hide();
    if (wanted->parentWidget() != this) wanted->setParent(this);
    setMenuWidget(wanted);
    wanted->show();
}

QMenuBar* TppDesignerWindow::MainMenu() const { return qobject_cast<QMenuBar*>(layout()->menuBar()); }

void TppDesignerWindow::SetTabsVisible(bool aValue) {
    m_tabsVisible = aValue;
    m_pages->tabBar()->setVisible(aValue);
}

bool TppDesignerWindow::SelectPage(const QString& aCaption) {
    for (int i = 0; i < m_pages->count(); ++i)
        if (m_pages->tabText(i) == aCaption) {
            m_pages->setCurrentIndex(i);
            return m_pages->currentIndex() == i;
        }
    return false;
}

bool TppDesignerWindow::pageRoutine(QWidget* aSheet, bool aEntering) {
    if (m_restoring) return true;
    bool allow = true;
    if (aEntering && OnTabChange) OnTabChange(m_pages, m_pages->tabText(m_pages->indexOf(aSheet)), allow);
    for (const ModulePage& p : m_modulePages)
        if (p.sheet == aSheet) {
            if (allow) {
                p.module->AllowActiveChange(allow);
                if (allow) p.module->SetActive(aEntering);
            }
            return allow;
        }
    if (!allow) return false;
    if (aEntering) SetMainMenu(nullptr);
    if (aSheet == m_designSheet) {
        if (aEntering) {
            m_statusBar->clearMessage();
            for (QLabel* panel : m_statusPanels) panel->show();
            fullRefresh();
            QCoreApplication::processEvents();
        }
        return true;
    }
    if (aSheet == m_previewSheet) return previewRoutine(aEntering);
    return true;
}

void TppDesignerWindow::pageChanging(int aIndex) {
    if (m_changingPage) return;
    m_changingPage = true;
    const auto done = base::ScopeExit([this] { m_changingPage = false; });
    QWidget* from = m_pages->widget(m_previousPage);
    QWidget* to = m_pages->widget(aIndex);
    if (m_mainReport && from && !m_restoring) {
        if (!pageRoutine(from, false)) {
            m_pages->setCurrentIndex(m_previousPage);
            return;
        }
    }
    const int previous = m_previousPage;
    m_previousPage = aIndex;
    if (m_mainReport && to && !pageRoutine(to, true)) {
        pageRoutine(to, false);
        m_pages->setCurrentIndex(previous);
        m_previousPage = previous;
        if (QWidget* back = m_pages->widget(previous)) pageRoutine(back, true);
    }
}

bool TppDesignerWindow::previewRoutine(bool aEntering) {
    if (aEntering) {
        takeSnapshot();
        m_mainReport->AddState(ppsPreviewing);
        m_previewing = true;
        try {
            for (const ModulePage& p : m_modulePages) p.module->BeforePreview();
            m_autoSearchButton->setVisible(m_producer && m_producer->ShowAutoSearchDialog());
            for (QLabel* panel : m_statusPanels) panel->hide();
            m_viewer->ScreenDevice()->SetActive(true);
            m_viewer->ResetDevice();
            m_producer->PublishReport();
        } catch (const EPrintError& e) {
            ui::Message(e.Message(), ui::MessageKind::Error, ui::Button::Ok);
            return false;
        } catch (const EDataError& e) {
            ui::Message(e.Message(), ui::MessageKind::Error, ui::Button::Ok);
            return false;
        } catch (const ECodeError& e) {
            ui::Message(e.Message(), ui::MessageKind::Error, ui::Button::Ok);
            return false;
        }
        return true;
    }
    if (!m_previewing) return true;
    if (m_viewer->GetBusy()) {
        m_viewer->Cancel();
        QCoreApplication::processEvents();
    }
    m_previewing = false;
    if (m_mainReport) m_mainReport->RemoveState(ppsPreviewing);
    m_viewer->ScreenDevice()->SetActive(false);
    for (const ModulePage& p : m_modulePages) p.module->AfterPreview();
    restoreSnapshot();
    return true;
}

namespace {

/// A report that holds a code module (and the class is known to the stream reader) is kept
/// in a snapshot while it is previewed, as running its code may change it.
bool needsSnapshot(TppReport* aReport) {
    return aReport && stream::ClassRegistry::Global().Contains(QStringLiteral("TraCodeModule")) &&
           aReport->HasCodeModule();
}

}  // namespace

void TppDesignerWindow::takeSnapshot() {
    if (!needsSnapshot(m_mainReport)) return;
    TppReportTemplate* t = m_mainReport->Template();
    const TppSaveToType saveTo = t->SaveTo();
    const QString fileName = t->FileName();
    m_savedModified = m_mainReport->Modified();
    m_snapshotting = true;
    const auto restore = base::ScopeExit([&] {
        t->SetSaveTo(saveTo);
        t->SetFileName(fileName);
        m_snapshotting = false;
    });
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("~XXXXXX")));
    file.setAutoRemove(false);
    if (!file.open()) return;
    const QString name = file.fileName();
    file.close();
    m_snapshotFile = name;
    t->SetSaveTo(TppSaveToType::stFile);
    t->SetFileName(name);
    t->SaveToFile();
    m_mainReport->SetModified(false);
}

void TppDesignerWindow::restoreSnapshot() {
    if (m_restoring || m_snapshotFile.isEmpty()) return;
    const QString file = m_snapshotFile;
    m_snapshotFile.clear();
    // The file never outlives the Preview it was made for.
    const auto drop = base::ScopeExit([file] { QFile::remove(file); });
    if (!needsSnapshot(m_mainReport)) return;
    TppReportTemplate* t = m_mainReport->Template();
    const TppSaveToType saveTo = t->SaveTo();
    const QString fileName = t->FileName();
    m_restoring = true;
    TppReport* report = m_mainReport;
    const auto restore = base::ScopeExit([&] {
        t->SetSaveTo(saveTo);
        t->SetFileName(fileName);
        report->SetModified(m_savedModified);
        m_restoring = false;
    });
    report->BeginDesignerUpdate();
    const auto end = base::ScopeExit([report] { report->EndDesignerUpdate(); });
    t->SetSaveTo(TppSaveToType::stFile);
    t->SetFileName(file);
    t->LoadFromFile();
}

// Settings ------------------------------------------------------------------------------------

void TppDesignerWindow::LoadSettings() {
    settings::IniFile ini(SettingsFileName());
    const QString pos = QStringLiteral("Designer Position");
    const int state = ini.ReadInteger(pos, QStringLiteral("WindowState"), 0);
    QRect screen(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
    int w = 790, h = 600;
    if (screen.width() != 1024) {
        w = screen.width() * 790 / 1024;
        h = 600 * screen.height() / 768;
    }
    int left = (screen.width() - w) / 2, top = (screen.height() - h) / 2;
    if (state == 0) {
        left = ini.ReadInteger(pos, QStringLiteral("Left"), left);
        top = ini.ReadInteger(pos, QStringLiteral("Top"), top);
        w = ini.ReadInteger(pos, QStringLiteral("Width"), w);
        h = ini.ReadInteger(pos, QStringLiteral("Height"), h);
    }
    setGeometry(left, top, w, h);
    if (state == 2) setWindowState(Qt::WindowMaximized);
    else setWindowState(Qt::WindowNoState);
    const QString grid = QStringLiteral("Grid Options");
    m_snapToGrid = ini.ReadBool(grid, QStringLiteral("SnapToGrid"), false);
    m_workspace->SetDisplayGrid(ini.ReadBool(grid, QStringLiteral("DisplayGrid"), false));
    // Only 2 to 128 pixels make a usable grid; anything else (0, negative) loads as 8.
    const auto spacing = [&](const QString& key) {
        const int v = ini.ReadInteger(grid, key, 8);
        return v >= 2 && v <= 128 ? v : 8;
    };
    m_workspace->SetXGridSpace(spacing(QStringLiteral("XGridSpace")));
    m_workspace->SetYGridSpace(spacing(QStringLiteral("YGridSpace")));
    for (const ModulePage& p : m_modulePages) p.module->LoadSettings();
}

void TppDesignerWindow::SaveSettings() {
    settings::IniFile ini(SettingsFileName());
    const QString pos = QStringLiteral("Designer Position");
    int state = 0;
    if (windowState() & Qt::WindowMaximized) state = 2;
    else if (windowState() & Qt::WindowMinimized) state = 1;
    ini.WriteInteger(pos, QStringLiteral("WindowState"), state);
    const QRect g = state == 0 ? geometry() : normalGeometry();
    ini.WriteInteger(pos, QStringLiteral("Left"), g.left());
    ini.WriteInteger(pos, QStringLiteral("Top"), g.top());
    ini.WriteInteger(pos, QStringLiteral("Width"), g.width());
    ini.WriteInteger(pos, QStringLiteral("Height"), g.height());
    const QString grid = QStringLiteral("Grid Options");
    ini.EraseSection(grid);
    ini.WriteBool(grid, QStringLiteral("SnapToGrid"), m_snapToGrid);
    ini.WriteBool(grid, QStringLiteral("DisplayGrid"), m_workspace->DisplayGrid());
    ini.WriteInteger(grid, QStringLiteral("XGridSpace"), m_workspace->XGridSpace());
    ini.WriteInteger(grid, QStringLiteral("YGridSpace"), m_workspace->YGridSpace());
    for (const ModulePage& p : m_modulePages) p.module->SaveSettings();
    if (m_toolbarManager) m_toolbarManager->Save();
}

bool TppDesignerWindow::DisplayGrid() const { return m_workspace->DisplayGrid(); }
void TppDesignerWindow::SetDisplayGrid(bool v) { m_workspace->SetDisplayGrid(v); }
int TppDesignerWindow::XGridSpace() const { return m_workspace->XGridSpace(); }
int TppDesignerWindow::YGridSpace() const { return m_workspace->YGridSpace(); }
void TppDesignerWindow::SetXGridSpace(int v) { m_workspace->SetXGridSpace(v); }
void TppDesignerWindow::SetYGridSpace(int v) { m_workspace->SetYGridSpace(v); }

// Closing and activation ------------------------------------------------------------------------

bool TppDesignerWindow::CloseQueryHandler() {
    if (!m_mainReport) {
        SaveSettings();
        return true;
    }
    if (!m_snapshotFile.isEmpty()) {
        for (const ModulePage& p : m_modulePages) p.module->AfterPreview();
        restoreSnapshot();
    }
    bool allow = true;
    if (OnFormEvent) OnFormEvent(this, feCloseQuery, allow);
    if (!allow) return false;
    {
        TppChildReportList children;
        m_mainReport->GetAllChildReports(children);
        for (const auto& [caption, child] : children)
            if (!AskToSave(child)) return false;
        if (!AskToSave(m_mainReport)) return false;
    }
    for (const ModulePage& p : m_modulePages) {
        p.module->CloseQuery(allow);
        if (!allow) return false;
    }
    ClearSelectionByClick();
    ClearSelection(false);
    SaveSettings();
    for (const ModulePage& p : m_modulePages) p.module->Closing();
    m_mainReport->ResetEngines();
    return true;
}

void TppDesignerWindow::closeEvent(QCloseEvent* e) {
    if (m_previewing) {
        const QSignalBlocker block(m_pages);
        previewRoutine(false);
        m_pages->setCurrentWidget(m_designSheet);
        m_previousPage = m_pages->currentIndex();
    }
    if (!CloseQueryHandler()) {
        e->ignore();
        return;
    }
    formEvent(feClose);
    e->accept();
}

void TppDesignerWindow::showEvent(QShowEvent* e) {
    TppComponentDesigner::showEvent(e);
    if (OnWindowShown) OnWindowShown();
}

void TppDesignerWindow::resizeEvent(QResizeEvent* e) {
    TppComponentDesigner::resizeEvent(e);
    formEvent(feResize);
}

void TppDesignerWindow::hideEvent(QHideEvent* e) {
    TppComponentDesigner::hideEvent(e);
    formEvent(feHide);
    if (m_destroying) {
        ClearSelectionByClick();
        SaveSettings();
    }
}

void TppDesignerWindow::changeEvent(QEvent* e) {
    TppComponentDesigner::changeEvent(e);
    if (e->type() != QEvent::ActivationChange) return;
    formEvent(isActiveWindow() ? feActivate : feDeactivate);
    if (isActiveWindow()) {
        m_workspace->setVisible(m_mainReport != nullptr && m_currentReport != nullptr);
        focusKeyboard();
        if (m_previewing && m_currentReport) m_currentReport->AddState(ppsPreviewing);
    } else if (m_mainReport) {
        m_horizontalRuler->ClearGuides();
        for (TppRuler* r : m_bandRulers) r->ClearGuides();
        if (!m_printing) m_mainReport->RemoveState(ppsPreviewing);
    }
}

// Layout --------------------------------------------------------------------------------------

TppRuler* TppDesignerWindow::BandRuler(TppBand* aBand) const { return m_bandRulers.value(aBand); }
TppDesignBand* TppDesignerWindow::BandStrip(TppBand* aBand) const { return m_strips.value(aBand); }
int TppDesignerWindow::BandTop(const TppBand* aBand) const { return m_bandTops.value(aBand, 0); }

void TppDesignerWindow::createDesignBand(TppBand* aBand) {
    if (m_strips.contains(aBand)) return;
    auto* strip = new TppDesignBand(m_workspace);
    strip->setObjectName(aBand->Name());
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    strip->setFont(f);
    strip->SetCaption(QStringLiteral("  ^  ") + aBand->Caption());
    strip->SetBand(aBand);
    strip->setGeometry(0, spHeightOf(aBand), m_workspace->width(), kStripHeight);
    strip->installEventFilter(this);
    strip->setMouseTracking(true);
    strip->show();
    m_strips.insert(aBand, strip);
    auto* ruler = new TppRuler(m_verticalRulerPanel);
    ruler->setObjectName(aBand->Name() + QStringLiteral("Ruler"));
    ruler->SetOrientation(TppRulerOrientationType::roVertical);
    ruler->setGeometry(0, 0, m_horizontalRulerPanel->height() - 1, spHeightOf(aBand));
    if (m_currentReport) ruler->SetUnits(m_currentReport->Units());
    ruler->OnSetUnits = [this, ruler](QObject*) { propagateUnits(ruler); };
    ruler->OnHide = [this](QObject*) { toggleRulers(); };
    ruler->setVisible(m_rulersVisible);
    m_bandRulers.insert(aBand, ruler);
}

void TppDesignerWindow::createDesignControl(TppComponent* aComponent) {
    if (qobject_cast<TppDesignControl*>(aComponent->DesignControl())) return;
    auto* control = new TppDesignControl(m_workspace);
    control->setObjectName(aComponent->Name());
    control->SetPrintable(aComponent);
    QPointer<TppComponent> component(aComponent);
    control->OnPaint = [component](paint::Canvas& canvas) {
        if (component) component->PaintDesignControlHandler(canvas);
    };
    int restrictions = 0;
    if (aComponent->ParentWidth()) restrictions |= drNoHorizontalMove | drFixedWidth;
    if (aComponent->ParentHeight()) restrictions |= drNoVerticalMove | drFixedHeight;
    control->SetDesignRestrictions(restrictions);
    control->SetColor(paint::ToQColor(aComponent->Color()));
    control->installEventFilter(this);
    control->setMouseTracking(true);
    aComponent->SetDesignControl(control);
    positionControl(aComponent);
    control->show();
}

void TppDesignerWindow::positionControl(TppComponent* aComponent) {
    auto* control = qobject_cast<TppDesignControl*>(aComponent->DesignControl());
    if (!control) return;
    TppBand* band = aComponent->Band();
    const int top = band ? BandTop(band) : 0;
    int restrictions = 0;
    if (aComponent->ParentWidth()) restrictions |= drNoHorizontalMove | drFixedWidth;
    if (aComponent->ParentHeight()) restrictions |= drNoVerticalMove | drFixedHeight;
    control->SetDesignRestrictions(restrictions);
    control->SetColor(paint::ToQColor(aComponent->Color()));
    control->setGeometry(aComponent->spLeft(), top + aComponent->spTop(), std::max(aComponent->spWidth(), 1),
                         std::max(aComponent->spHeight(), 1));
    control->update();
    if (TppSelectionObject* s = m_selectionObjects.value(aComponent)) {
        if (!m_moving && !m_sizing) {
            s->UpdateBounds();
            s->SetHandlesVisible(true);
        }
    }
}

void TppDesignerWindow::LayoutBands() {
    if (!m_currentReport) return;
    int y = 0;
    int lastStripTop = 0;
    const int width = m_workspace->width();
    for (int i = 0; i < m_currentReport->BandCount(); ++i) {
        TppBand* band = m_currentReport->Bands(i);
        m_bandTops.insert(band, y);
        const int h = spHeightOf(band);
        if (TppDesignBand* strip = m_strips.value(band)) {
            strip->setGeometry(0, y + h, width, kStripHeight);
            strip->SetCaption(QStringLiteral("  ^  ") + band->Caption());
        }
        if (TppRuler* ruler = m_bandRulers.value(band)) ruler->resize(ruler->width(), h);
        for (int k = 0; k < band->ObjectCount(); ++k) positionControl(band->Objects(k));
        lastStripTop = y + h;
        y += h + kStripHeight;
    }
    m_lowestTop = lastStripTop;
    m_workspace->resize(width, y);
    m_workspace->RaiseOverlay();
    m_dragRect->raise();
    m_rubberBand->raise();
    for (int i = 0; i < 8; ++i) m_sizingHandles->Handle(i)->raise();
    SyncRulers();
}

void TppDesignerWindow::UpdateWorkspaceWidth() {
    if (!m_currentReport) return;
    const int width = pixelsOf(m_currentReport->PrintableWidth(), report::kHorizontal) + 1;
    m_workspace->resize(width, m_workspace->height());
    for (TppDesignBand* strip : m_strips) strip->resize(width, kStripHeight);
    if (m_currentReport->Columns() <= 1) {
        if (m_workspace->ShadeColumns()) {
            m_workspace->SetShadeColumns(false);
            delete m_currentReport->GetBand(TppBandType::btColumnFooter);
            delete m_currentReport->GetBand(TppBandType::btColumnHeader);
        }
    } else {
        for (auto [type, cls] : {std::pair{TppBandType::btColumnHeader, &TppColumnHeaderBand::staticMetaObject},
                                 std::pair{TppBandType::btColumnFooter, &TppColumnFooterBand::staticMetaObject}}) {
            if (m_currentReport->GetBand(type)) continue;
            if (auto* band = qobject_cast<TppBand*>(ppCreateComponent(m_currentReport, cls))) {
                band->SetReport(m_currentReport);
                band->AddState(ppsDesignControl);
                createDesignBand(band);
            }
        }
        m_workspace->SetShadeColumns(true);
    }
    m_workspace->update();
}

void TppDesignerWindow::WorkspaceResize() {
    if (!m_currentReport) return;
    if (m_workspace->ShadeColumns()) {
        TppBand* header = m_currentReport->GetBand(TppBandType::btColumnHeader);
        TppBand* footer = m_currentReport->GetBand(TppBandType::btColumnFooter);
        const int left = m_currentReport->spColumnWidth();
        const int top = header ? BandTop(header) : 0;
        const int bottom = footer ? BandTop(footer) + spHeightOf(footer) + kStripHeight - 1 : m_workspace->height();
        m_workspace->SetShadedRect(QRect(QPoint(left, top), QPoint(m_workspace->width(), bottom)));
    }
    m_workspace->BandHeights.clear();
    for (int i = 0; i < m_currentReport->BandCount(); ++i)
        m_workspace->BandHeights << QString::number(spHeightOf(m_currentReport->Bands(i)));
    const int ppi = report::ScreenPixelsPerInch();
    m_background->resize(m_workspace->width() + ppi, m_workspace->height() + ppi);
    m_horizontalRuler->resize(std::max(m_background->width() - 16, 16), m_horizontalRuler->height());
    m_workspace->update();
}

void TppDesignerWindow::SyncRulers() {
    // The rulers start where the workspace starts.
    const int left = m_scrollBox->x() + m_workspace->x() - m_horizontalRulerPanel->x();
    if (m_horizontalRuler->x() != left) m_horizontalRuler->move(left, 0);
    const int hOffset = m_scrollBox->horizontalScrollBar()->value();
    if (hOffset == 0) {
        if (m_horizontalRuler->Offset() != 0) m_horizontalRuler->ResetScroll();
    } else if (hOffset != m_horizontalRuler->Offset()) {
        m_horizontalRuler->ScrollBy(hOffset - m_horizontalRuler->Offset());
    }
    const int top = m_scrollBox->y() - m_verticalRulerPanel->y() + m_workspace->y() -
                    m_scrollBox->verticalScrollBar()->value();
    for (auto it = m_bandRulers.begin(); it != m_bandRulers.end(); ++it) {
        const int y = top + m_bandTops.value(it.key());
        if (it.value()->y() != y) {
            it.value()->ClearGuides();
            it.value()->move(0, y);
        }
    }
    m_keyboardEdit->move(m_scrollBox->horizontalScrollBar()->value(), m_scrollBox->verticalScrollBar()->value());
}

TppBand* TppDesignerWindow::BandAt(int aY) const {
    if (!m_currentReport) return nullptr;
    const int count = m_currentReport->BandCount();
    int found = -1;
    for (int i = 0; i < count; ++i) {
        const TppBand* band = m_currentReport->Bands(i);
        const int stripTop = BandTop(band) + spHeightOf(band);
        // The band's area and its strip: [strip top - height - strip height, strip top) as given,
        // which reaches into the strip above; the first band in order that holds Y wins.
        if (stripTop - spHeightOf(band) - kStripHeight <= aY && aY < stripTop) {
            found = i;
            break;
        }
    }
    if (found < 0) return nullptr;
    if (spHeightOf(m_currentReport->Bands(found)) > 0) return m_currentReport->Bands(found);
    for (int i = found - 1; i >= 0; --i)
        if (spHeightOf(m_currentReport->Bands(i)) > 0) return m_currentReport->Bands(i);
    for (int i = found + 1; i < count; ++i)
        if (spHeightOf(m_currentReport->Bands(i)) > 0) return m_currentReport->Bands(i);
    return m_currentReport->Bands(0);
}

TppBand* TppDesignerWindow::BandOfRect(const QRect& aRect) const {
    if (TppBand* b = BandAt(aRect.top())) return b;
    return BandAt(aRect.top() + aRect.height());
}

TppComponent* TppDesignerWindow::RegionAt(TppBand* aBand, const QPoint& aPoint) const {
    if (!aBand) return nullptr;
    for (int i = aBand->ObjectCount() - 1; i >= 0; --i) {
        TppComponent* c = aBand->Objects(i);
        if (!c->IsRegion()) continue;
        auto* control = qobject_cast<QWidget*>(c->DesignControl());
        if (!control) continue;
        const QRect r = control->geometry();
        if (aPoint.x() >= r.left() && aPoint.x() <= r.left() + r.width() && aPoint.y() >= r.top() &&
            aPoint.y() <= r.top() + r.height())
            return c;
    }
    return nullptr;
}

// Selection -----------------------------------------------------------------------------------

void TppDesignerWindow::BeginUpdate() { ++m_updateCount; }

void TppDesignerWindow::EndUpdate() {
    if (m_updateCount == 0) return;
    if (--m_updateCount == 0) {
        recalcBounds();
        fullRefresh();
    }
}

QList<TppComponent*> TppDesignerWindow::Selection() const {
    QList<TppComponent*> list;
    for (const auto& c : m_selection)
        if (c) list << c;
    return list;
}

bool TppDesignerWindow::IsSelected(TppComponent* aComponent) const { return m_selectionObjects.contains(aComponent); }

TppSelectionObject* TppDesignerWindow::SelectionObjectOf(TppComponent* aComponent) const {
    return m_selectionObjects.value(aComponent);
}

void TppDesignerWindow::AddToSelection(TppComponent* aComponent) {
    if (!m_currentReport || !aComponent || IsSelected(aComponent)) return;
    auto* control = qobject_cast<TppDesignControl*>(aComponent->DesignControl());
    if (!control || control->isHidden()) return;
    auto* s = new TppSelectionObject(this);
    s->BandTopOf = [this](TppPrintable* p) {
        auto* c = qobject_cast<TppComponent*>(p);
        return c && c->Band() ? BandTop(c->Band()) : 0;
    };
    s->SetWorkspace(m_workspace);
    s->SetOnDragOver([this](TppSelectionObject*, const QPoint& p) { dragMove(p); });
    s->SetOnEndDrag([this](TppSelectionObject*, const QPoint&) { endMove(); });
    s->SetPrintable(aComponent);
    m_selection << aComponent;
    m_selectionObjects.insert(aComponent, s);
    // Fresh bounds for the first component, widened for further ones.
    if (m_selection.size() == 1) setBounds(control->geometry(), control->DesignRestrictions());
    else setBounds(m_bounds->geometry().united(control->geometry()), m_bounds->Restrictions | control->DesignRestrictions());
    if (m_selection.size() == 1) {
        s->SetSizingHandles(m_sizingHandles);
    } else if (m_selection.size() == 2) {
        if (TppSelectionObject* first = m_selectionObjects.value(m_selection.first())) first->SetSizingHandles(nullptr);
    }
    s->SetHandlesVisible(true);
    m_currentComponent = aComponent;
    if (m_updateCount == 0) fullRefresh();
    if (isVisible()) focusKeyboard();
}

void TppDesignerWindow::RemoveFromSelection(TppComponent* aComponent) {
    TppSelectionObject* s = m_selectionObjects.take(aComponent);
    if (!s) return;
    delete s;
    m_selection.removeAll(aComponent);
    m_selection.removeAll(nullptr);
    recalcBounds();
    if (m_selection.size() == 1) {
        if (TppSelectionObject* rest = m_selectionObjects.value(m_selection.first())) {
            rest->SetSizingHandles(m_sizingHandles);
            m_currentComponent = m_selection.first();
        }
    }
    if (m_currentComponent == aComponent) m_currentComponent = m_selection.isEmpty() ? nullptr : m_selection.last();
    if (m_updateCount == 0) fullRefresh();
    if (isVisible()) focusKeyboard();
}

void TppDesignerWindow::ClearSelection(bool aNotify) {
    m_currentComponent = nullptr;
    for (TppSelectionObject* s : m_selectionObjects) delete s;
    m_selectionObjects.clear();
    m_selection.clear();
    m_sizingHandles->Hide();
    m_bounds->StoreMMBounds(0, 0, 0, 0);
    m_bounds->setGeometry(0, 0, 0, 0);
    m_bounds->Restrictions = 0;
    if (aNotify) fullRefresh();
}

void TppDesignerWindow::ClearSelectionByClick() {
    if (ShownModally) return;
    m_currentBand = nullptr;
    if (m_selection.isEmpty()) return;
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(-10, -10), m_workspace->mapToGlobal(QPointF(-10, -10)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(-10, -10), m_workspace->mapToGlobal(QPointF(-10, -10)),
                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_workspace, &down);
    QCoreApplication::sendEvent(m_workspace, &up);
}

void TppDesignerWindow::SelectObjects(const QList<QObject*>& aList) {
    if (m_destroying || !m_currentReport || !isVisible() || m_updateCount > 0 || ShownModally) return;
    QList<QObject*> current;
    for (TppComponent* c : Selection()) current << c;
    if (current == aList) return;
    m_selectingFromOutside = true;
    const auto done = base::ScopeExit([this] { m_selectingFromOutside = false; });
    ClearSelection(false);
    for (QObject* o : aList)
        if (auto* c = qobject_cast<TppComponent*>(o); c && c->Band() && c->Band()->Report() == m_currentReport)
            AddToSelection(c);
}

QRect TppDesignerWindow::outlineOf(TppComponent* aComponent) const {
    if (TppSelectionObject* s = m_selectionObjects.value(aComponent)) return s->BoundsRect()->geometry();
    if (auto* w = qobject_cast<QWidget*>(aComponent->DesignControl())) return w->geometry();
    return {};
}

void TppDesignerWindow::recalcBounds() {
    QRect united;
    int restrictions = 0;
    for (const auto& c : m_selection) {
        auto* control = c ? qobject_cast<TppDesignControl*>(c->DesignControl()) : nullptr;
        if (!control) continue;
        united = united.isNull() ? control->geometry() : united.united(control->geometry());
        restrictions |= control->DesignRestrictions();
    }
    setBounds(united, restrictions);
}

void TppDesignerWindow::setBounds(const QRect& aRect, int aRestrictions) {
    m_bounds->setGeometry(aRect);
    m_bounds->StoreMMBounds(mmOf(aRect.left(), report::kHorizontal), mmOf(aRect.top(), report::kVertical),
                            mmOf(aRect.width(), report::kHorizontal), mmOf(aRect.height(), report::kVertical));
    m_bounds->Restrictions = aRestrictions;
}

void TppDesignerWindow::fullRefresh() {
    if (m_updateCount > 0) return;
    refreshStatusBar();
    refreshToolbars();
    notifySelectionChanged();
    treeWindowsSelection();
}

void TppDesignerWindow::notifySelectionChanged() {
    if (m_updateCount > 0 || m_destroying || !m_currentReport || !m_mainReport || m_selectingFromOutside) return;
    TppDesignerSelectionList list;
    for (TppComponent* c : Selection()) list << c;
    if (list.isEmpty() && m_currentBand) list << m_currentBand.data();
    if (list.isEmpty()) list << m_currentReport.data();
    DoSelectionChanged(list);
}

void TppDesignerWindow::spbSelectReportClick() {
    if (TppRuler* r = m_bandRulers.value(m_currentBand)) r->ClearGuides();
    m_currentBand = nullptr;
    ClearSelection(true);
}

TppPopupMenu* TppDesignerWindow::PopupMenuFor(QObject* aObject) {
    TppPopupMenu* menu = report::DesignPopupMenu(aObject);
    if (!menu) return nullptr;
    if (auto* c = qobject_cast<TppComponent*>(aObject))
        if (auto* control = qobject_cast<TppDesignControl*>(c->DesignControl())) control->SetPopupMenu(menu);
    if (auto* b = qobject_cast<TppBand*>(aObject))
        if (TppDesignBand* strip = m_strips.value(b)) strip->SetPopupMenu(menu);
    return menu;
}

void TppDesignerWindow::focusKeyboard() {
    if (m_keyboardEdit->isVisible()) m_keyboardEdit->setFocus();
}

// Mouse ---------------------------------------------------------------------------------------

bool TppDesignerWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_keyboardEdit && e->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return e->isAccepted();
    }
    const QEvent::Type type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !m_currentReport) return false;
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint p = widget == m_workspace ? me->position().toPoint()
                                           : widget->mapTo(m_workspace, me->position().toPoint());
    auto* control = qobject_cast<TppDesignControl*>(widget);
    auto* strip = qobject_cast<TppDesignBand*>(widget);
    auto* handle = qobject_cast<TppHandleShape*>(widget);
    if (type == QEvent::MouseButtonPress) {
        if (me->button() == Qt::RightButton) {
            QObject* target = nullptr;
            if (control) target = control->Printable();
            else if (strip) target = strip->Band();
            else target = BandAt(p.y());
            if (TppPopupMenu* menu = target ? PopupMenuFor(target) : nullptr) menu->popup(me->globalPosition().toPoint());
            return true;
        }
        if (me->button() != Qt::LeftButton) return true;
        if (control) controlMouseDown(control, me, p);
        else if (strip) stripMouseDown(strip, p);
        else if (handle) m_sizingHandles->OnMouseDown(handle, p);
        else workspaceMouseDown(me, p);
        return true;
    }
    if (type == QEvent::MouseMove) {
        TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
        if (m_moving && current) current->OnDragOver(current, p);
        else if (m_sizing) m_sizingHandles->OnDragOver(handle, p);
        else if (m_bandResizing) dragBand(p);
        else workspaceMouseMove(p);
        return true;
    }
    // Release.
    if (me->button() != Qt::LeftButton) return true;
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    if (m_moving && current) current->OnEndDrag(current, p);
    else if (m_moving) endMove();
    else if (m_sizing) m_sizingHandles->OnEndDrag(handle, p);
    else if (m_bandResizing) endBand();
    else workspaceMouseUp(me, p, watched);
    return true;
}

void TppDesignerWindow::workspaceMouseDown(QMouseEvent* e, const QPoint& p) {
    if (m_paletteClass.isEmpty()) startRubberBand(p, e->modifiers() & Qt::ShiftModifier);
}

void TppDesignerWindow::workspaceMouseUp(QMouseEvent* e, const QPoint& p, QObject* aSource) {
    if (m_rubberBanding) {
        finishRubberBand(e->modifiers());
        return;
    }
    if (!m_paletteClass.isEmpty()) {
        PlaceComponent(p.x(), p.y());
        return;
    }
    if (aSource == m_workspace) {
        ClearSelection(true);
        focusKeyboard();
    }
}

void TppDesignerWindow::workspaceMouseMove(const QPoint& p) {
    if (m_rubberBanding) {
        const QRect r = QRect(m_rubberRect.topLeft(), p).normalized();
        m_rubberRect.setBottomRight(p);
        m_rubberBand->setGeometry(r.adjusted(0, 0, 1, 1));
        m_rubberBand->raise();
        m_rubberBand->show();
        return;
    }
    m_horizontalRuler->SetGuides(p.x() + 0, -1);
    TppBand* band = BandAt(p.y());
    if (band != m_currentBand) {
        if (TppRuler* old = m_bandRulers.value(m_currentBand)) old->ClearGuides();
        m_currentBand = band;
    }
    if (TppRuler* r = m_bandRulers.value(band)) r->SetGuides(p.y() - BandTop(band), -1);
}

void TppDesignerWindow::startRubberBand(const QPoint& p, bool aAdds) {
    m_rubberBanding = true;
    m_rubberBandAdds = aAdds;
    m_rubberRect = QRect(p, p);
    m_rubberBand->setGeometry(QRect(p, QSize(1, 1)));
}

void TppDesignerWindow::finishRubberBand(Qt::KeyboardModifiers aModifiers) {
    m_rubberBanding = false;
    const bool adds = m_rubberBandAdds || (aModifiers & Qt::ShiftModifier);
    m_rubberBandAdds = false;
    if (!adds) ClearSelection(false);
    const QRect band(QPoint(std::min(m_rubberRect.left(), m_rubberRect.right()), std::min(m_rubberRect.top(), m_rubberRect.bottom())),
                     QPoint(std::max(m_rubberRect.left(), m_rubberRect.right()), std::max(m_rubberRect.top(), m_rubberRect.bottom())));
    BeginUpdate();
    for (int i = 0; i < m_currentReport->BandCount(); ++i) {
        TppBand* b = m_currentReport->Bands(i);
        for (int k = 0; k < b->ObjectCount(); ++k) {
            TppComponent* c = b->Objects(k);
            auto* control = qobject_cast<QWidget*>(c->DesignControl());
            if (!control) continue;
            const QRect r = control->geometry();
            // Edges count: closed rectangles that touch meet.
            const bool meets = r.left() <= band.right() && band.left() <= r.left() + r.width() &&
                               r.top() <= band.bottom() && band.top() <= r.top() + r.height();
            if (!meets) continue;
            if (IsSelected(c)) RemoveFromSelection(c);
            else AddToSelection(c);
        }
    }
    EndUpdate();
    if (m_selection.isEmpty()) ClearSelection(true);
    else fullRefresh();
    m_rubberBand->hide();
}

void TppDesignerWindow::controlMouseDown(TppDesignControl* aControl, QMouseEvent* e, const QPoint& p) {
    auto* c = qobject_cast<TppComponent*>(aControl->Printable());
    if (!c) return;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (!m_paletteClass.isEmpty()) return;  // the release places a new component
    if (e->modifiers() & Qt::ControlModifier) {
        startRubberBand(p, shift);
        return;
    }
    if (shift) {
        if (IsSelected(c)) RemoveFromSelection(c);
        else AddToSelection(c);
    } else if (m_selection.size() > 1 && IsSelected(c)) {
        m_currentComponent = c;
    } else if (m_selection.size() == 1 && IsSelected(c)) {
        focusKeyboard();
    } else {
        ClearSelection(false);
        AddToSelection(c);
    }
    if (m_sizing || m_rubberBanding || !m_currentComponent) return;
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    if (!current) return;
    m_moveOrigin = current->BoundsRect()->geometry().topLeft();
    if (!shift && m_selection.size() == 1)
        for (TppSelectionObject* s : m_selectionObjects) s->BoundsRect()->DragDisplay = true;
    m_moving = true;
    m_mouseOffset = p - current->BoundsRect()->geometry().topLeft();
    setDualGuides(true);
}

void TppDesignerWindow::dragMove(const QPoint& p) {
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    if (!current) return;
    const QRect outline = current->BoundsRect()->geometry();
    int dx = p.x() - m_mouseOffset.x() - outline.left();
    int dy = p.y() - m_mouseOffset.y() - outline.top();
    const QRect b = m_bounds->geometry();
    if (m_bounds->Restrictions & drNoHorizontalMove) dx = 0;
    if (m_bounds->Restrictions & drNoVerticalMove) dy = 0;
    if (b.left() + dx < 0) dx = -b.left();
    if (b.top() + b.height() + dy > m_lowestTop) dy = m_lowestTop - b.top() - b.height();
    if (b.top() + dy < 0) dy = -b.top();
    int left = outline.left() + dx;
    int top = outline.top() + dy;
    if (m_snapToGrid) {
        if (dx) left = snap(left, XGridSpace(), false);
        if (dy) top = snap(top, YGridSpace(), true);
    }
    const int movedX = left - outline.left();
    const int movedY = top - outline.top();
    if (movedX == 0 && movedY == 0) return;
    for (TppSelectionObject* s : m_selectionObjects) {
        TppBoundsRect* r = s->BoundsRect();
        r->move(r->pos() + QPoint(movedX, movedY));
        s->ShowBoundsRect(true);
    }
    m_bounds->move(m_bounds->pos() + QPoint(movedX, movedY));
    m_bounds->StoreMMBounds(mmOf(m_bounds->x(), report::kHorizontal), mmOf(m_bounds->y(), report::kVertical),
                            m_bounds->mmWidth(), m_bounds->mmHeight());
    showDragGuides(m_bounds->geometry());
}

int TppDesignerWindow::snap(int aValue, int aGrid, bool aVertical) const {
    if (aGrid < 1) return aValue;
    int r = aValue;
    if (aVertical) {
        int sum = 0;
        int before = 0;
        for (const QString& h : m_workspace->BandHeights) {
            if (sum >= aValue) break;
            before = sum;
            sum += h.toInt() + kStripHeight;
        }
        r = aValue - before;
    }
    const int rest = ((r % aGrid) + aGrid) % aGrid;
    int v = aValue - rest;
    if (rest > int(std::lround(aGrid / 2.0))) v += aGrid;
    return v;
}

void TppDesignerWindow::endMove() {
    m_moving = false;
    setDualGuides(false);
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    if (current && current->BoundsRect()->geometry().topLeft() != m_moveOrigin) {
        BeginUpdate();
        for (TppComponent* c : Selection()) {
            TppSelectionObject* s = m_selectionObjects.value(c);
            if (!s) continue;
            s->Tracking = false;
            const QRect outline = s->BoundsRect()->geometry();
            TppBand* band = BandOfRect(outline);
            const bool bandChanged = band && band != c->Band();
            if (bandChanged) c->SetBand(band);
            TppComponent* region = RegionAt(c->Band(), outline.topLeft());
            if (region == c) region = nullptr;
            const bool regionChanged = region != c->Region();
            if (regionChanged) c->SetRegion(region);
            s->Tracking = true;
            QRect applied = outline;
            if (bandChanged || regionChanged) {
                auto* control = qobject_cast<QWidget*>(c->DesignControl());
                if (c->ParentWidth() && control) applied.moveLeft(control->x());
                if (c->ParentHeight() && control) applied.moveTop(control->y());
                applied.setSize(QSize(c->spWidth(), c->spHeight()));
                s->BoundsRect()->setGeometry(applied);
            }
            s->ApplyBounds();
        }
        EndUpdate();
        Modified();
    }
    for (TppSelectionObject* s : m_selectionObjects) {
        s->BoundsRect()->DragDisplay = false;
        s->UpdateBounds();
        s->SetHandlesVisible(true);
    }
    recalcBounds();
}

void TppDesignerWindow::handleMouseDown(int aHandle, const QPoint& p) {
    Q_UNUSED(p);
    if (!m_currentComponent) return;
    m_sizing = true;
    m_sizingHandle = aHandle;
    m_sizingHandles->Hide();
    for (TppSelectionObject* s : m_selectionObjects) {
        s->BoundsRect()->DragDisplay = true;
        s->ShowBoundsRect(true);
    }
    setDualGuides(true);
}

void TppDesignerWindow::dragSize(const QPoint& p) {
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    auto* control = current ? current->DesignControl() : nullptr;
    if (!control) return;
    int left = control->x(), top = control->y();
    int width = m_currentComponent->spWidth(), height = m_currentComponent->spHeight();
    const int X = p.x(), Y = p.y();
    const int h = m_sizingHandle;
    if (h >= 0 && h <= 2) {
        const int bottom = top + height;
        if (Y > bottom) {
            top = bottom - 1;
            height = Y - top + 1;
        } else {
            height += top - Y;
            top = Y;
        }
    }
    if (h >= 5 && h <= 7) {
        if (Y < top) {
            height = top - Y + 1;
            top = Y;
        } else {
            height = Y - top;
        }
    }
    if (h == 0 || h == 3 || h == 5) {
        const int right = left + width;
        if (X > right) {
            left = right - 1;
            width = X - left;
        } else {
            width += left - X;
            left = X;
        }
    }
    if (h == 2 || h == 4 || h == 7) {
        if (X < left) {
            width = left - X + 1;
            left = X;
        } else {
            width = X - left;
        }
    }
    const QRect outline = current->BoundsRect()->geometry();
    if (control->DesignRestrictions() & drFixedWidth) {
        left = outline.left();
        width = outline.width();
    }
    if (control->DesignRestrictions() & drFixedHeight) {
        top = outline.top();
        height = outline.height();
    }
    const QRect r(left, top, std::max(width, 1), std::max(height, 1));
    current->BoundsRect()->setGeometry(r);
    showDragGuides(r);
}

void TppDesignerWindow::endSize() {
    setDualGuides(false);
    m_sizing = false;
    TppSelectionObject* current = m_selectionObjects.value(m_currentComponent);
    for (TppSelectionObject* s : m_selectionObjects) s->BoundsRect()->DragDisplay = false;
    if (current && m_currentComponent) {
        const QRect r = current->BoundsRect()->geometry();
        TppBand* band = m_currentComponent->Band();
        m_currentComponent->SetSpBounds(r.left(), r.top() - (band ? BandTop(band) : 0), r.width(), r.height());
    }
    m_moving = false;
    for (TppSelectionObject* s : m_selectionObjects) {
        s->UpdateBounds();
        s->SetHandlesVisible(true);
    }
    recalcBounds();
    Modified();
}

void TppDesignerWindow::stripMouseDown(TppDesignBand* aStrip, const QPoint& p) {
    m_currentBand = aStrip->Band();
    m_resizingBand = aStrip->Band();
    m_dragRect->setGeometry(aStrip->geometry());
    m_dragRect->raise();
    m_dragRect->show();
    m_bandResizing = true;
    m_mouseOffset = p - aStrip->geometry().topLeft();
}

void TppDesignerWindow::dragBand(const QPoint& p) {
    TppBand* band = m_resizingBand;
    if (!band) return;
    int top = p.y() - m_mouseOffset.y();
    int minimum = BandTop(band);
    for (int k = 0; k < band->ObjectCount(); ++k)
        if (auto* w = qobject_cast<QWidget*>(band->Objects(k)->DesignControl()))
            minimum = std::max(minimum, w->y() + w->height());
    top = std::max(top, minimum);
    m_dragRect->move(m_dragRect->x(), top);
    showDragGuides(m_dragRect->geometry());
}

void TppDesignerWindow::endBand() {
    m_bandResizing = false;
    m_dragRect->hide();
    TppBand* band = m_resizingBand;
    m_resizingBand = nullptr;
    if (band) {
        const int height = m_dragRect->y() - BandTop(band);
        if (height != spHeightOf(band)) band->SetSpHeight(height);
    }
    for (TppSelectionObject* s : m_selectionObjects) {
        s->UpdateBounds();
        s->SetHandlesVisible(true);
    }
    recalcBounds();
}

void TppDesignerWindow::setDualGuides(bool aOn) {
    m_horizontalRuler->SetDualGuides(aOn);
    for (TppRuler* r : m_bandRulers) r->SetDualGuides(aOn);
    if (!aOn) {
        m_horizontalRuler->ClearGuides();
        for (TppRuler* r : m_bandRulers) r->ClearGuides();
    }
}

void TppDesignerWindow::showDragGuides(const QRect& aRect) {
    m_horizontalRuler->SetGuides(aRect.left(), aRect.left() + aRect.width());
    TppBand* topBand = BandAt(aRect.top());
    TppBand* bottomBand = BandAt(aRect.top() + aRect.height());
    if (topBand && topBand == bottomBand) {
        if (TppRuler* r = m_bandRulers.value(topBand))
            r->SetGuides(aRect.top() - BandTop(topBand), aRect.top() + aRect.height() - BandTop(topBand));
        return;
    }
    if (TppRuler* r = m_bandRulers.value(topBand)) {
        r->SetDualGuides(false);
        r->SetGuides(aRect.top() - BandTop(topBand), -1);
    }
    if (TppRuler* r = m_bandRulers.value(bottomBand)) {
        r->SetDualGuides(false);
        r->SetGuides(aRect.top() + aRect.height() - BandTop(bottomBand), -1);
    }
}

void TppDesignerWindow::propagateUnits(TppRuler* aSender) {
    const TppUnitType units = aSender->Units();
    if (m_horizontalRuler != aSender && m_horizontalRuler->Units() != units) m_horizontalRuler->SetUnits(units);
    for (TppRuler* r : m_bandRulers)
        if (r != aSender && r->Units() != units) r->SetUnits(units);
    if (m_currentReport && m_currentReport->Units() != units) {
        m_currentReport->SetUnits(units);
        Modified();
    }
}

void TppDesignerWindow::toggleRulers() {
    m_rulersVisible = !m_rulersVisible;
    m_horizontalRulerPanel->setVisible(m_rulersVisible);
    m_verticalRulerPanel->setVisible(m_rulersVisible);
}

// Placing ---------------------------------------------------------------------------------------

void TppDesignerWindow::PlaceComponent(int aX, int aY) {
    if (!m_currentReport) return;
    ClearSelection(false);
    TppBand* band = BandAt(aY);
    if (!band) return;
    const TppRegComponent* reg = ppFindRegComponent(m_paletteClass);
    if (!reg || !reg->ComponentClass || !reg->ComponentClass->inherits(&TppComponent::staticMetaObject)) return;
    BeginUpdate();
    const auto end = base::ScopeExit([this] { EndUpdate(); });
    auto* c = qobject_cast<TppComponent*>(ppCreateComponent(m_currentReport, reg->ComponentClass));
    if (!c) return;
    c->AddState(ppsCreating);
    c->SetBand(band);
    c->SetspLeft(aX);
    c->SetspTop(aY - BandTop(band));
    if (c->HasFontColor()) {
        // The current font of the Format toolbar, its alignment, and a transparent background.
        auto font = std::make_unique<TppFont>();
        if (m_currentFont) {
            font->Assign(m_currentFont.get());
        } else {
            font->SetName(QStringLiteral("Arial"));
            font->SetSize(10);
        }
        c->SetFont(font.get());
        c->SetAlignment(m_currentAlignment);
        c->SetBackground(paint::clWhite, true);
    }
    if (c->IsDataAware())
        c->SetDataPipeline(band->IsDetail() && band->GetDataPipeline() ? band->GetDataPipeline()
                                                                       : m_currentReport->DataPipeline());
    c->SetRegion(RegionAt(band, QPoint(aX, aY)));
    if (OnCreateComponent) OnCreateComponent(this, c);
    bool valid = true;
    if (OnValidateComponent) OnValidateComponent(this, c, valid);
    c->RemoveState(ppsCreating);
    if (!valid) {
        delete c;
        return;
    }
    c->CreateDesignControl();
    if (!c->DesignControl()) createDesignControl(c);
    m_workspace->RaiseOverlay();
    Modified();
    m_undoAvailable = false;
    AddToSelection(c);
    m_paletteClass.clear();
    if (m_toolbarManager) m_toolbarManager->ResetSelectButton();
}

// Align, size, nudge, keys ----------------------------------------------------------------------

void TppDesignerWindow::AlignSelection(int aKind) {
    QList<TppComponent*> sel = Selection();
    const int minimum = (aKind == 6 || aKind == 7) ? 3 : 1;
    if (sel.size() < minimum || !m_currentReport) return;
    QList<TppSelectionObject*> objects;
    for (TppComponent* c : sel) objects << m_selectionObjects.value(c);
    const QRect first = objects.first()->BoundsRect()->geometry();
    const QRect b = m_bounds->geometry();
    auto moveTo = [](TppSelectionObject* s, int x, int y) { s->BoundsRect()->move(x, y); };
    if (aKind == 6 || aKind == 7) {
        QList<QPair<QString, TppSelectionObject*>> keyed;
        for (TppSelectionObject* s : objects) {
            const QRect r = s->BoundsRect()->geometry();
            keyed.append({QString::asprintf("%8d", aKind == 6 ? r.left() : r.top()), s});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
        const QRect lo = keyed.first().second->BoundsRect()->geometry();
        const QRect hi = keyed.last().second->BoundsRect()->geometry();
        const int from = aKind == 6 ? lo.left() : lo.top();
        const int to = aKind == 6 ? hi.left() : hi.top();
        const int step = (to - from) / (keyed.size() - 1);
        for (int k = 1; k < keyed.size() - 1; ++k) {
            TppSelectionObject* s = keyed.at(k).second;
            const QRect r = s->BoundsRect()->geometry();
            if (aKind == 6) moveTo(s, from + k * step, r.top());
            else moveTo(s, r.left(), from + k * step);
        }
    } else {
        for (int i = 0; i < objects.size(); ++i) {
            TppSelectionObject* s = objects.at(i);
            const QRect r = s->BoundsRect()->geometry();
            if (i == 0 && aKind <= 5) continue;
            switch (aKind) {
            case 0: moveTo(s, first.left(), r.top()); break;
            case 1: moveTo(s, first.left() + first.width() / 2 - r.width() / 2, r.top()); break;
            case 2: moveTo(s, first.left() + first.width() - r.width(), r.top()); break;
            case 3: moveTo(s, r.left(), first.top()); break;
            case 4: moveTo(s, r.left(), first.top() + first.height() / 2 - r.height() / 2); break;
            case 5: moveTo(s, r.left(), first.top() + first.height() - r.height()); break;
            case 8: {
                TppBand* band = sel.at(i)->Band();
                const int d = (band ? band->GetSpWidth() : m_workspace->width()) / 1;
                moveTo(s, r.left() + (d - b.width()) / 2 - b.left(), r.top());
                break;
            }
            case 9: {
                TppBand* band = sel.at(i)->Band();
                const int bh = band ? spHeightOf(band) : 0;
                const int bt = band ? BandTop(band) : 0;
                moveTo(s, r.left(), r.top() + (bh - b.height()) / 2 + bt - b.top());
                break;
            }
            default: return;
            }
        }
    }
    BeginUpdate();
    for (int i = 0; i < sel.size(); ++i) {
        TppComponent* c = sel.at(i);
        TppSelectionObject* s = objects.at(i);
        if (aKind == 3 || aKind == 4 || aKind == 5 || aKind == 7) {
            TppBand* band = BandOfRect(s->BoundsRect()->geometry());
            if (band && band != c->Band()) c->SetBand(band);
        }
        s->ApplyBounds();
    }
    EndUpdate();
    recalcBounds();
    Modified();
}

void TppDesignerWindow::SizeSelection(int aKind) {
    QList<TppComponent*> sel = Selection();
    if (sel.size() < 2 || aKind < 0 || aKind > 3) return;
    int target = aKind % 2 == 0 ? INT_MAX : 0;
    for (TppComponent* c : sel) {
        const QRect r = m_selectionObjects.value(c)->BoundsRect()->geometry();
        const int v = aKind < 2 ? r.width() : r.height();
        target = aKind % 2 == 0 ? std::min(target, v) : std::max(target, v);
    }
    BeginUpdate();
    for (TppComponent* c : sel) {
        TppSelectionObject* s = m_selectionObjects.value(c);
        QRect r = s->BoundsRect()->geometry();
        if (aKind < 2) r.setWidth(target);
        else r.setHeight(target);
        s->BoundsRect()->setGeometry(r);
        s->ApplyBounds();
    }
    EndUpdate();
    recalcBounds();
    Modified();
}

void TppDesignerWindow::NudgeSelection(int aKind) {
    static const QPoint steps[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    if (aKind < 0 || aKind > 3) return;
    moveBy(steps[aKind].x(), steps[aKind].y());
}

void TppDesignerWindow::moveBy(int aDx, int aDy) {
    QList<TppComponent*> sel = Selection();
    if (sel.isEmpty()) return;
    BeginUpdate();
    for (TppComponent* c : sel) {
        if (aDy) c->SetspTop(c->spTop() + aDy);
        if (aDx) c->SetspLeft(c->spLeft() + aDx);
    }
    EndUpdate();
    recalcBounds();
    Modified();
}

void TppDesignerWindow::sizeBy(int aDw, int aDh) {
    QList<TppComponent*> sel = Selection();
    if (sel.isEmpty()) return;
    BeginUpdate();
    for (TppComponent* c : sel) {
        if (aDw) c->SetspWidth(std::max(1, c->spWidth() + aDw));
        if (aDh) c->SetspHeight(std::max(1, c->spHeight() + aDh));
    }
    EndUpdate();
    recalcBounds();
    Modified();
}

void TppDesignerWindow::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    int dx = 0, dy = 0;
    switch (e->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    case Qt::Key_F1:
        ShowHelp();
        e->accept();
        return;
    default:
        e->ignore();
        return;
    }
    if (mods == Qt::ShiftModifier) sizeBy(dx, dy);
    else if (mods == Qt::ControlModifier) moveBy(dx, dy);
    e->accept();
}

// Scripting options ----------------------------------------------------------------------------

void TppDesignerWindow::SetOrvelSettings(TppOrvelInterfaceOptions aInterface, TppOrvelOptions aOptions) {
    m_orvelInterface = aInterface;
    m_orvelOptions = aOptions;
    Q_EMIT OrvelOptionsChanged();
}

QObject* TppDesignerWindow::SelectedObject() const {
    const QList<TppComponent*> selection = Selection();
    return selection.size() == 1 ? selection.first() : nullptr;
}
