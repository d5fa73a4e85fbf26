#include "core/gui/tab_order_dialog.h"

#include "core/gui/customize_hooks.h"
#include "core/view_control.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

TSetTabOrderDlg::TSetTabOrderDlg(TViewControl& views, int view, QWidget* parent)
    : QDialog(parent), m_views(views), m_view(view) {
    setObjectName(QStringLiteral("SetTabOrderDlg"));
    setWindowTitle(QStringLiteral("Set Field Tab Order"));

    FieldList = ui::Make<QListWidget>(this, "FieldList");
    FieldList->setProperty("HelpContext", 41007);
    UpBtn = ui::Make<QPushButton>(this, "UpBtn");
    UpBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    UpBtn->setToolTip(QStringLiteral("Move field up in the list"));
    DownBtn = ui::Make<QPushButton>(this, "DownBtn");
    DownBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    DownBtn->setToolTip(QStringLiteral("Move field down in the list"));
    for (QPushButton* b : {UpBtn, DownBtn}) {
        b->setProperty("HelpContext", 41008);
        b->setAutoDefault(false);
    }
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setProperty("HelpContext", 41005);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setProperty("HelpContext", 41006);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 41004);

    auto* grid = new QGridLayout(this);
    grid->addWidget(FieldList, 0, 0, 4, 1);
    grid->addWidget(UpBtn, 0, 1);
    grid->addWidget(DownBtn, 1, 1);
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    grid->addLayout(buttons, 4, 0, 1, 2);
    resize(300, 320);

    connect(UpBtn, &QPushButton::clicked, this, [this] { move(-1); });
    connect(DownBtn, &QPushButton::clicked, this, [this] { move(1); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(41004); });

    std::vector<TViewControl::ListItem> items;
    m_views.FillTabOrderListView(m_view, items);
    for (const TViewControl::ListItem& it : items) {
        auto* item = new QListWidgetItem(it.Caption, FieldList);
        item->setData(Qt::UserRole, it.Data);
    }
    m_filled = !items.empty();
}

void TSetTabOrderDlg::move(int step) {
    const int row = FieldList->currentRow();
    if (row < 0 || !FieldList->currentItem()->isSelected()) return;
    const int to = row + step;
    if (to < 0 || to >= FieldList->count()) return;
    QListWidgetItem* item = FieldList->takeItem(row);
    FieldList->insertItem(to, item);
    FieldList->setCurrentRow(to);
}

void TSetTabOrderDlg::WriteTabOrder() {
    for (int i = 0; i < FieldList->count(); ++i)
        m_views.SetFieldTabOrder(m_view, FieldList->item(i)->data(Qt::UserRole).toInt(), i);
}

namespace core {

bool ShowTabOrder(TViewControl& views, int view, QWidget* parent) {
    if (!views.CheckViewIndex(view)) return false;
    TSetTabOrderDlg dialog(views, view, parent);
    if (!dialog.Filled()) {
        ui::Message(QStringLiteral("No fields have been defined for this View. The tab order list cannot be shown."),
                    ui::MessageKind::Error, ui::Button::Ok, 10089);
        return false;
    }
    if (ui::ExecModal(dialog) != QDialog::Accepted) return false;
    dialog.WriteTabOrder();
    if (Customize().ApplyTabOrder) Customize().ApplyTabOrder(view);
    return true;
}

}  // namespace core
