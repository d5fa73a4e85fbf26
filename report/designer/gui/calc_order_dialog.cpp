#include "report/designer/gui/calc_order_dialog.h"

#include "report/model/band.h"
#include "report/model/custom_report.h"
#include "report/model/variable.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

void declareCalcOrderTexts() {
    static const bool declared = [] {
        report::DeclareTexts({{5, "Cancel"}, {17, "OK"}, {255, "Order"}, {656, "Calc Order"}, {657, "Report Bands"}, {658, "Variables"}});
        return true;
    }();
    (void)declared;
}

/// The variables of a band in calculation order.
QList<TppVariable*> bandVariables(TppBand* aBand) {
    QList<TppVariable*> list;
    if (!aBand) return list;
    for (int i = 0; i < aBand->ObjectCount(); ++i)
        if (auto* v = qobject_cast<TppVariable*>(aBand->Objects(i))) list << v;
    std::stable_sort(list.begin(), list.end(), [](TppVariable* a, TppVariable* b) { return a->CalcOrder() < b->CalcOrder(); });
    return list;
}

QObject* objectOf(const QTreeWidgetItem* aItem) { return aItem ? aItem->data(0, Qt::UserRole).value<QObject*>() : nullptr; }

}  // namespace

TppCalcOrderDialog::TppCalcOrderDialog(QObject* aOwner) : TppForm(aOwner) {
    declareCalcOrderTexts();
    setObjectName(QStringLiteral("ppCalcOrderDialog"));
    pnlExplorer = ui::Make<QSplitter>(this, "pnlExplorer");
    pnlExplorer->setGeometry(8, 8, 440, 260);
    tvBands = ui::Make<QTreeWidget>(pnlExplorer, "tvBands");
    tvBands->setColumnCount(1);
    lvVariables = ui::Make<QTreeWidget>(pnlExplorer, "lvVariables");
    lvVariables->setColumnCount(1);
    lvVariables->setRootIsDecorated(false);
    lvVariables->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    // Tree and list each half as wide as the panel.
    pnlExplorer->setSizes({220, 220});
    lvVariables->setColumnWidth(0, 220 - 5);
    lblOrder = ui::Make<QLabel>(this, "lblOrder");
    lblOrder->setGeometry(456, 8, 60, 18);
    spbMoveUp = ui::Make<QToolButton>(this, "spbMoveUp");
    spbMoveUp->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowUp));
    spbMoveUp->setGeometry(456, 30, 28, 26);
    spbMoveDown = ui::Make<QToolButton>(this, "spbMoveDown");
    spbMoveDown->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowDown));
    spbMoveDown->setGeometry(456, 62, 28, 26);
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setGeometry(280, 278, 80, 26);
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setGeometry(368, 278, 80, 26);
    btnCancel->setAutoDefault(false);
    setFixedSize(520, 314);

    connect(tvBands, &QTreeWidget::currentItemChanged, this, [this] { buildList(); });
    connect(lvVariables, &QTreeWidget::itemChanged, this, [](QTreeWidgetItem* item) {
        if (auto* v = qobject_cast<TppVariable*>(objectOf(item)); v && !item->text(0).isEmpty() && item->text(0) != v->UserName())
            v->SetUserName(item->text(0));
    });
    connect(spbMoveUp, &QToolButton::clicked, this, [this] { spbMoveUpClick(); });
    connect(spbMoveDown, &QToolButton::clicked, this, [this] { spbMoveDownClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        restore();
        EndModal(report::ModalResult::mrCancel);
    });
    connect(this, &QDialog::rejected, this, [this] { restore(); });
    LanguageChanged();
}

void TppCalcOrderDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(656));
    tvBands->setHeaderLabels({ppGetMessageText(657)});
    lvVariables->setHeaderLabels({ppGetMessageText(658)});
    lblOrder->setText(ppGetMessageText(255));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

void TppCalcOrderDialog::ReportAssigned() {
    m_savedOrders.clear();
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (report)
        for (int b = 0; b < report->BandCount(); ++b)
            for (TppVariable* v : bandVariables(report->Bands(b))) m_savedOrders.emplace_back(v, v->CalcOrder());
    buildTree();
}

void TppCalcOrderDialog::restore() {
    // Put back in ascending order, so each lands where it was.
    std::vector<std::pair<int, QPointer<TppVariable>>> orders;
    for (const auto& [v, order] : m_savedOrders)
        if (v) orders.emplace_back(order, v);
    std::stable_sort(orders.begin(), orders.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, v] : orders)
        if (v && v->CalcOrder() != order) v->SetCalcOrder(order);
}

void TppCalcOrderDialog::buildTree() {
    tvBands->clear();
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (!report) return;
    auto* root = new QTreeWidgetItem(tvBands, {report->UserName()});
    root->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(report));
    for (int b = 0; b < report->BandCount(); ++b) {
        TppBand* band = report->Bands(b);
        auto* item = new QTreeWidgetItem(root, {band->GetCaptionText().isEmpty() ? band->UserName() : band->GetCaptionText()});
        item->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(band));
    }
    tvBands->expandAll();
    tvBands->setCurrentItem(root->childCount() > 0 ? root->child(0) : root);
}

void TppCalcOrderDialog::buildList(TppVariable* aCurrent) {
    const QSignalBlocker block(lvVariables);
    lvVariables->clear();
    auto* band = qobject_cast<TppBand*>(GetSelection());
    for (TppVariable* v : bandVariables(band)) {
        auto* item = new QTreeWidgetItem(lvVariables, {v->UserName()});
        item->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(v));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (v == aCurrent) lvVariables->setCurrentItem(item);
    }
    if (!lvVariables->currentItem() && lvVariables->topLevelItemCount() > 0) lvVariables->setCurrentItem(lvVariables->topLevelItem(0));
}

void TppCalcOrderDialog::SetSelection(QObject* aObject) {
    QList<QTreeWidgetItem*> stack;
    for (int i = 0; i < tvBands->topLevelItemCount(); ++i) stack << tvBands->topLevelItem(i);
    while (!stack.isEmpty()) {
        QTreeWidgetItem* item = stack.takeFirst();
        if (objectOf(item) == aObject) {
            tvBands->setCurrentItem(item);
            return;
        }
        for (int i = 0; i < item->childCount(); ++i) stack << item->child(i);
    }
}

QObject* TppCalcOrderDialog::GetSelection() const { return objectOf(tvBands->currentItem()); }

TppVariable* TppCalcOrderDialog::SelectedVariable() const { return qobject_cast<TppVariable*>(objectOf(lvVariables->currentItem())); }

void TppCalcOrderDialog::spbMoveUpClick() {
    TppVariable* v = SelectedVariable();
    if (!v || v->CalcOrder() <= 0) return;
    v->SetCalcOrder(v->CalcOrder() - 1);
    buildList(v);
}

void TppCalcOrderDialog::spbMoveDownClick() {
    TppVariable* v = SelectedVariable();
    if (!v || v->CalcOrder() >= lvVariables->topLevelItemCount() - 1) return;
    v->SetCalcOrder(v->CalcOrder() + 1);
    buildList(v);
}

namespace report {

void RegisterCalcOrderDialog() { RegisterForm<TppCustomCalcOrderDialog, TppCalcOrderDialog>(); }

void UnRegisterCalcOrderDialog() { UnRegisterForm<TppCustomCalcOrderDialog>(); }

}  // namespace report
