#include "report/designer/data/data_view_tool_win.h"

#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/output/gui/list_view.h"
#include "report/output/wizard.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QStyle>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kWindowHeight = 305;

/// Icons of the theme for the two actions whose picture is not drawn by the report library.
QIcon actionIcon(int aAction) {
    const QImage picture = ppLoadBitmap(TdaDataViewToolWin::ActionGlyph(aAction));
    if (!picture.isNull()) return QIcon(QPixmap::fromImage(picture));
    QIcon icon = QIcon::fromTheme(aAction == 8 ? QStringLiteral("document-print-preview") : QStringLiteral("view-grid"));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(aAction == 8 ? QStyle::SP_FileDialogContentsView
                                                                : QStyle::SP_FileDialogDetailedView);
    return icon;
}

bool hasAction(TdaDataView::Actions aSet, int aAction) { return (aSet >> aAction) & 1u; }

}  // namespace

// Tree builder ---------------------------------------------------------------------------------

void TdaDataTreeBuilder::Build() {
    m_tree->clear();
    if (!m_dataView) return;
    for (int i = 0; i < m_dataView->DataPipelineCount(); ++i) {
        TppDataPipeline* pipeline = m_dataView->DataPipelines(i);
        if (!pipeline) continue;
        QTreeWidgetItem* master = PipelineNode(pipeline->MasterDataPipeline());
        auto* node = master ? new QTreeWidgetItem(master) : new QTreeWidgetItem(m_tree);
        node->setText(0, pipeline->UserName());
        node->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(pipeline));
    }
}

QTreeWidgetItem* TdaDataTreeBuilder::PipelineNode(TppDataPipeline* aPipeline) const {
    if (!aPipeline) return nullptr;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).value<QObject*>() == aPipeline) return *it;
    return nullptr;
}

// Window ---------------------------------------------------------------------------------------

QString TdaDataViewToolWin::ActionGlyph(int aAction) {
    static const char* const glyphs[kActionCount] = {"DAALL",   "DATABLES", "DAFIELDS",   "DACALCS",  "DAGROUP",
                                                     "DASEARCH", "DASORT",  "DATEXTONLY", "DAPREVIEW"};
    return aAction >= 0 && aAction < kActionCount ? QString::fromLatin1(glyphs[aAction]) : QString();
}

int TdaDataViewToolWin::ActionTextId(int aAction) {
    static const int ids[kActionCount] = {717, 836, 763, 735, 767, 818, 827, 829, 807};
    return aAction >= 0 && aAction < kActionCount ? ids[aAction] : 0;
}

TdaDataViewToolWin::TdaDataViewToolWin(QWidget* aParent) : QMdiSubWindow(aParent) {
    setObjectName(QStringLiteral("daDataViewToolWin"));
    setWindowTitle(QStringLiteral("daDataViewToolWin"));
    // A sizeable tool window without border icons.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    m_client = ui::Make<QWidget>(this, "pnlClient");
    setWidget(m_client);
    auto* layout = new QVBoxLayout(m_client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = ui::Make<QWidget>(m_client, "pnlToolbar");
    m_toolbar->setFixedHeight(kToolbarHeight);
    layout->addWidget(m_toolbar);
    m_explorer = ui::Make<QSplitter>(m_client, "dxpDataExplorer");
    m_explorer->setOrientation(Qt::Vertical);
    m_tree = ui::Make<QTreeWidget>(m_explorer, "tvPipelines");
    m_tree->setHeaderHidden(true);
    m_list = ui::Make<TppListView>(m_explorer, "lvFields");
    m_list->setColumnCount(3);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragEnabled(false);
    layout->addWidget(m_explorer, 1);
    m_popup = ui::Make<QMenu>(this, "mnuPopup");
    m_builder = std::make_unique<TdaDataTreeBuilder>(m_tree);
    for (QWidget* w : {static_cast<QWidget*>(m_tree), static_cast<QWidget*>(m_list)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { m_popup->popup(w->mapToGlobal(at)); });
    }
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { TreeChange(); });
}

TdaDataViewToolWin::~TdaDataViewToolWin() = default;

void TdaDataViewToolWin::SetDataView(TdaDataView* aView) {
    m_dataView = aView;
    setWindowTitle(aView ? aView->Description() : QString());
    BuildContent();
    m_builder->SetDataView(aView);
    m_builder->Build();
    m_tree->expandAll();
    if (m_tree->topLevelItemCount() > 0) m_tree->setCurrentItem(m_tree->topLevelItem(0));
    else TreeChange();
}

void TdaDataViewToolWin::DetachDataView() {
    // The view may be in its destructor: nothing may reach it from here on (clearing the tree
    // changes its current item, which refills the list).
    m_dataView = nullptr;
    m_builder->SetDataView(nullptr);
    const QSignalBlocker block(m_tree);
    m_tree->clear();
    m_list->clear();
}

void TdaDataViewToolWin::Refresh() {
    if (!m_dataView) return;
    setWindowTitle(m_dataView->Description());
    m_builder->Build();
    m_tree->expandAll();
    if (m_tree->topLevelItemCount() > 0) m_tree->setCurrentItem(m_tree->topLevelItem(0));
    TreeChange();
}

void TdaDataViewToolWin::clearContent() {
    qDeleteAll(m_toolbar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    m_popup->clear();
}

void TdaDataViewToolWin::BuildContent() {
    clearContent();
    BuildToolbar();
    resize(width(), kWindowHeight);
    BuildPopupMenu();
    UpdateActions();
}

void TdaDataViewToolWin::BuildToolbar() {
    if (!m_dataView) return;
    const TdaDataView::Actions available = m_dataView->AvailableActions();
    int left = 2;
    for (int action = 0; action < kActionCount; ++action) {
        if (!hasAction(available, action)) continue;
        if (action == 7 || action == 8) {
            // A separator: a line 2 pixels wide, 3 from the top, with 7 pixels on each side.
            auto* bevel = new QFrame(m_toolbar);
            bevel->setObjectName(QStringLiteral("bvlSeparator%1").arg(action));
            bevel->setFrameShape(QFrame::VLine);
            bevel->setFrameShadow(QFrame::Sunken);
            bevel->setProperty("Tag", 0);
            bevel->setGeometry(left + 7, 3, 2, kToolbarHeight - 6);
            left += 7 + 2 + 7;
        }
        auto* button = new QToolButton(m_toolbar);
        button->setObjectName(QStringLiteral("btnAction%1").arg(action));
        button->setAutoRaise(true);
        button->setIcon(actionIcon(action));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(ppGetMessageText(ActionTextId(action)));
        button->setProperty("Tag", action);
        button->setGeometry(left, 2, 23, 22);
        left += 23 + 2;
        connect(button, &QToolButton::clicked, this, [this, action] { ActionClick(action); });
    }
}

void TdaDataViewToolWin::BuildPopupMenu() {
    if (!m_dataView) return;
    const TdaDataView::Actions available = m_dataView->AvailableActions();
    for (int action = 0; action < kActionCount; ++action) {
        if (!hasAction(available, action)) continue;
        if (action == 7 || action == 8) m_popup->addSeparator()->setProperty("Tag", 0);
        QAction* item = m_popup->addAction(ppGetMessageText(ActionTextId(action)));
        item->setObjectName(QStringLiteral("mniAction%1").arg(action));
        item->setProperty("Tag", action);
        connect(item, &QAction::triggered, this, [this, action] { ActionClick(action); });
    }
    m_popup->addSeparator();
    QAction* remove = m_popup->addAction(ppGetMessageText(750));
    remove->setObjectName(QStringLiteral("mniDelete"));
    remove->setProperty("Tag", 0);
    connect(remove, &QAction::triggered, this, [this] { DeleteClick(); });
}

void TdaDataViewToolWin::ActionClick(int aAction) {
    if (!m_dataView) return;
    m_dataView->SetDesignAction(quint8(aAction));
    if (OnAction) OnAction(this);
    UpdateActions();
}

void TdaDataViewToolWin::UpdateActions() {
    if (!m_dataView) return;
    const TdaDataView::Actions enabled = m_dataView->EnabledActions();
    const QList<QWidget*> controls = m_toolbar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const QList<QAction*> items = m_popup->actions();
    for (int i = 0; i < controls.size(); ++i) {
        const int tag = controls.at(i)->property("Tag").toInt();
        if (tag <= 0) continue;
        const bool on = hasAction(enabled, tag);
        controls.at(i)->setEnabled(on);
        if (i < items.size()) items.at(i)->setEnabled(on);
    }
}

void TdaDataViewToolWin::LanguageChanged(int aIndex) {
    m_languageIndex = aIndex;
    if (m_dataView) m_dataView->SetLanguageIndex(aIndex);
    for (QWidget* control : m_toolbar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int tag = control->property("Tag").toInt();
        if (tag > 0) control->setToolTip(ppGetMessageText(ActionTextId(tag)));
    }
}

void TdaDataViewToolWin::StorePlacement() {
    auto* view = qobject_cast<TdaCustomDataView*>(m_dataView.data());
    if (!view) return;
    const QRect place = geometry();
    view->SetLeft(place.left());
    view->SetTop(place.top());
    view->SetWidth(place.width());
    view->SetHeight(place.height());
}

void TdaDataViewToolWin::DeleteClick() {
    if (ConfirmDelete() && OnDelete) OnDelete(this);
}

bool TdaDataViewToolWin::ConfirmDelete() {
    return ui::Message(report::MessageText(724, {windowTitle()}), ui::MessageKind::Confirmation,
                       ui::Button::Yes | ui::Button::No) == ui::Button::Yes;
}

void TdaDataViewToolWin::TreeChange() {
    m_list->clear();
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Size")});
    if (!m_dataView || m_dataView->DataPipelineCount() == 0) return;
    TppDataPipeline* pipeline = m_dataView->DataPipelines(0);
    if (!pipeline) return;
    const report::EnumType& types = EnumTypeOf(TppDataType{});
    for (int i = 0; i < pipeline->FieldCount(); ++i) {
        TppField* field = pipeline->GetField(i);
        if (!field) continue;
        const int type = int(field->DataType());
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, field->FieldAlias().isEmpty() ? field->FieldName() : field->FieldAlias());
        item->setText(1, type >= 0 && type < types.values.size() ? types.values.at(type).mid(2) : QString());
        item->setText(2, field->FieldLength() > 0 ? QString::number(field->FieldLength()) : QString());
        item->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(field));
    }
}

void TdaDataViewToolWin::contextMenuEvent(QContextMenuEvent* e) {
    m_popup->popup(e->globalPos());
    e->accept();
}
