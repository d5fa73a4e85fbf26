#include "core/gui/view_list_form.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/explorer.h"
#include "core/product_tables.h"
#include "core/view_control.h"
#include "core/view_layer.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPointer<QWidget> g_listParent;
QHash<int, QPointer<TViewListBaseForm>> g_listWindows;

}  // namespace

TViewListBaseForm::TViewListBaseForm(int view, QWidget* parent) : QWidget(parent, Qt::Window), m_view(view) {
    setObjectName(QStringLiteral("ViewListBaseForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("Tag", view);
    setWindowTitle(ViewControl().GetViewName(view) + QStringLiteral(" List"));

    ControlBar1 = ui::Make<QWidget>(this, "ControlBar1");
    ViewListToolBar = ui::Make<QToolBar>(ControlBar1, "ViewListToolBar", QStringLiteral("View List Tools"));
    ViewListToolBar->setIconSize(QSize(22, 22));
    const auto action = [this](const char* name, const char* icon, const QString& caption) {
        auto* a = new QAction(core::ThemeIcon(QString::fromLatin1(icon)), caption, this);
        a->setObjectName(QString::fromLatin1(name));
        ViewListToolBar->addAction(a);
        return a;
    };
    A_DataSetFirst = action("A_DataSetFirst", "go-first", QStringLiteral("&First"));
    A_DataSetPrior = action("A_DataSetPrior", "go-previous", QStringLiteral("&Prior"));
    A_DataSetNext = action("A_DataSetNext", "go-next", QStringLiteral("&Next"));
    A_DataSetLast = action("A_DataSetLast", "go-last", QStringLiteral("&Last"));
    ViewListToolBar->addSeparator();
    A_Refresh = action("A_Refresh", "view-refresh", QStringLiteral("&Refresh"));
    A_Refresh->setToolTip(QStringLiteral("Refresh record list"));
    ViewListToolBar->addSeparator();
    A_Dock = action("A_Dock", "window-new", QStringLiteral("Doc&k"));
    for (QAction* a : {A_DataSetFirst, A_DataSetPrior, A_DataSetNext, A_DataSetLast, A_Dock}) a->setEnabled(false);

    RecordList = ui::Make<QTreeWidget>(this, "RecordList");
    RecordList->setRootIsDecorated(false);
    RecordList->setAlternatingRowColors(false);
    RecordList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    RecordList->setSelectionBehavior(QAbstractItemView::SelectRows);
    RecordList->setUniformRowHeights(true);
    RecordList->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Code"), QStringLiteral("From Date"),
                                 QStringLiteral("To Date")});
    RecordList->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid palette(midlight); "
                                             "border-bottom: 1px solid palette(midlight); }"));
    for (const auto& [column, width] : {std::pair{0, 200}, {1, 100}, {2, 100}, {3, 100}})
        RecordList->setColumnWidth(column, width);
    StatusBar1 = ui::Make<QStatusBar>(this, "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* bar = new QVBoxLayout(ControlBar1);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(ViewListToolBar);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ControlBar1);
    layout->addWidget(RecordList, 1);
    layout->addWidget(StatusBar1);
    resize(540, 360);

    connect(A_Refresh, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { FillRecordList(); }); });
}

void TViewListBaseForm::FillRecordList() {
    ui::HourglassCursor hourglass;
    RecordList->setUpdatesEnabled(false);
    RecordList->setSortingEnabled(false);
    struct Resume {
        QTreeWidget* list;
        ~Resume() {
            list->setSortingEnabled(true);
            list->sortByColumn(0, Qt::AscendingOrder);
            list->setUpdatesEnabled(true);
        }
    } resume{RecordList};
    RecordList->clear();
    if (!ViewControl().CheckViewIndex(m_view) || Globals().CurrentFolder.isEmpty()) return;
    db::Table records;
    records.SetDatabaseName(Globals().CurrentFolder);
    records.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(m_view)));
    records.SetReadOnly(true);
    records.Open();
    db::Table hierarchy;
    hierarchy.SetDatabaseName(Globals().CurrentFolder);
    hierarchy.SetTableName(QStringLiteral("Hierarchy.DB"));
    hierarchy.SetReadOnly(true);
    hierarchy.Open();
    db::Field* nodeID = records.FieldByName(QStringLiteral("NodeID"));
    // A View table without one of the three columns shows that column empty.
    db::Field* columns[] = {records.FindField(QStringLiteral("Code")), records.FindField(QStringLiteral("DateFrom")),
                            records.FindField(QStringLiteral("DateTo"))};
    db::Field* nodeName = hierarchy.FieldByName(QStringLiteral("NodeName"));
    QList<QTreeWidgetItem*> items;
    for (records.First(); !records.Eof(); records.Next()) {
        const int id = nodeID->AsInteger();
        if (!hierarchy.FindKey({id})) continue;
        auto* item = new QTreeWidgetItem;
        item->setText(0, nodeName->AsString());
        item->setData(0, Qt::UserRole, id);
        for (int c = 0; c < 3; ++c)
            if (columns[c]) item->setText(c + 1, columns[c]->AsString());
        items.append(item);
    }
    RecordList->addTopLevelItems(items);
}

namespace core {

void ShowViewListWindow(int view) {
    if (!ViewControl().CheckViewIndex(view)) return;
    TViewListBaseForm* window = g_listWindows.value(view);
    if (!window) {
        window = new TViewListBaseForm(view, g_listParent);
        g_listWindows.insert(view, window);
        window->show();
        ui::RunGuarded(window, [window] { window->FillRecordList(); });
    }
    window->show();
    window->raise();
}

void InstallViewListWindows(QWidget* mainForm) {
    g_listParent = mainForm;
    // The lists go with the View windows when the database closes.
    auto closeViewWindows = ViewLayer().CloseAllViewWindows;
    ViewLayer().CloseAllViewWindows = [closeViewWindows] {
        if (closeViewWindows) closeViewWindows();
        for (const QPointer<TViewListBaseForm>& window : std::as_const(g_listWindows))
            if (window) window->close();
        g_listWindows.clear();
    };
    RegisterCommand(QStringLiteral("A_ViewList"), [] {
        if (TExplorer* explorer = Explorer()) ShowViewListWindow(explorer->CurrentViewIndex());
    });
}

}  // namespace core
