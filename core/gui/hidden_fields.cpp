#include "core/gui/hidden_fields.h"

#include "core/gui/customize_hooks.h"
#include "core/view_control.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

THiddenFieldList::THiddenFieldList(TViewControl& views, int view, QWidget* parent)
    : QDialog(parent), m_views(views), m_view(view) {
    setObjectName(QStringLiteral("HiddenFieldList"));
    setWindowTitle(QStringLiteral("Hidden Fields"));

    TitleLabel = ui::Make<QLabel>(this, "TitleLabel", m_views.GetViewName(view) + QStringLiteral(" View"));
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    FieldList = ui::Make<QListWidget>(this, "FieldList");
    FieldList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FieldList->setSortingEnabled(true);
    FieldList->setProperty("HelpContext", 41003);
    ShowBtn = ui::Make<QPushButton>(this, "ShowBtn", QStringLiteral("Show"));
    ShowBtn->setToolTip(QStringLiteral("Make the field visible"));
    ShowBtn->setProperty("HelpContext", 41001);
    ShowBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Close this dialog"));
    CancelBtn->setProperty("HelpContext", 41002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 41000);

    auto* main = new QVBoxLayout(this);
    main->addWidget(TitleLabel);
    main->addWidget(FieldList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ShowBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    main->addLayout(buttons);
    resize(300, 300);

    connect(ShowBtn, &QPushButton::clicked, this, [this] {
        ui::RunGuarded(this, [&] {
            if (ShowSelected()) accept();
        });
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(41000); });

    std::vector<TViewControl::ListItem> items;
    m_views.FillHiddenFieldListView(view, items);
    for (const TViewControl::ListItem& it : items) {
        auto* item = new QListWidgetItem(it.Caption, FieldList);
        item->setData(Qt::UserRole, it.Data);
    }
}

int THiddenFieldList::Count() const { return FieldList->count(); }

bool THiddenFieldList::ShowSelected() {
    if (FieldList->selectedItems().isEmpty()) {
        ui::Message(QStringLiteral("You must select at least one field in the list."), ui::MessageKind::Error,
                    ui::Button::Ok, 10027);
        return false;
    }
    for (int i = 0; i < FieldList->count(); ++i) {
        QListWidgetItem* item = FieldList->item(i);
        if (!item->isSelected()) continue;
        const int field = item->data(Qt::UserRole).toInt();
        m_views.SetFieldIsVisible(m_view, field, true);
        if (core::Customize().RebuildFieldControl) core::Customize().RebuildFieldControl(m_view, field, true);
    }
    if (core::Customize().SetDesignCursors) core::Customize().SetDesignCursors(m_view);
    return true;
}

namespace core {

void ShowHiddenFields(TViewControl& views, int view, QWidget* parent) {
    if (!views.CheckViewIndex(view)) return;
    THiddenFieldList dialog(views, view, parent);
    if (dialog.Count() == 0) {
        ui::Message(QStringLiteral("There are no hidden fields in the ") + views.GetViewName(view) +
                        QStringLiteral(" view."),
                    ui::MessageKind::Information, ui::Button::Ok, 10026);
        return;
    }
    ui::ExecModal(dialog);
}

}  // namespace core
