#include "core/gui/memo_dialogs.h"

#include "core/command_registry.h"
#include "core/main_data_mod.h"
#include "core/system_helpers.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TMemoColumnDialog::TMemoColumnDialog(QWidget* parent, const QString& explanation, const char* memoName, int memoHelp,
                                     int okHelp, int cancelHelp, int helpHelp)
    : QDialog(parent) {
    Panel2 = ui::Make<QWidget>(this, "Panel2");
    Label1 = ui::Make<QLabel>(Panel2, "Label1", explanation);
    Label1->setWordWrap(true);
    Memo = ui::Make<QPlainTextEdit>(this, memoName);
    Memo->setProperty("HelpContext", memoHelp);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Panel1 = ui::Make<QWidget>(this, "Panel1");
    OKBtn = ui::Make<QPushButton>(Panel1, "OKBtn", QStringLiteral("&OK"));
    OKBtn->setProperty("HelpContext", okHelp);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(Panel1, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setProperty("HelpContext", cancelHelp);
    HelpBtn = ui::Make<QPushButton>(Panel1, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", helpHelp);

    auto* top = new QVBoxLayout(Panel2);
    top->setContentsMargins(8, 8, 8, 4);
    top->addWidget(Label1);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(8, 4, 8, 8);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addWidget(Memo, 1);
    layout->addWidget(Panel1);
    resize(316, 233);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [helpHelp] { ui::HelpService::ShowContext(helpHelp); });
    Memo->setFocus();
}

TSearchTerm::TSearchTerm(QWidget* parent)
    : TMemoColumnDialog(parent,
                        QStringLiteral("Enter words or phrases relating to this item that you want to be able to "
                                       "search for."),
                        "SearchTermMemo", 42003, 42001, 42002, 42000),
      SearchTermMemo(Memo) {
    setObjectName(QStringLiteral("SearchTerm"));
}

TCrossRef::TCrossRef(QWidget* parent)
    : TMemoColumnDialog(parent, QStringLiteral("Enter cross reference information for this item."), "CrossRefMemo",
                        42007, 42005, 42006, 42004),
      CrossRefMemo(Memo) {
    setObjectName(QStringLiteral("CrossRef"));
}

namespace {

void editMemoColumn(core::ViewTables& tables, TMainDataMod& data, int view, TMemoColumnDialog& dialog, const QString& column,
                    const QString& captionSuffix, const QString& failure) {
    TViewControl& views = ViewControl();
    if (!views.CheckViewIndex(view)) return;
    const TViewDef& v = views.ViewDefs[size_t(view)];
    TtsTable* table = v.DataTable;
    if (!table || !table->Active() || v.CurrentNodeID == -1) return;
    tables.PositionViewTable(view);
    // Never another record's memo: the table must stand on the shown record.
    if (table->Eof() && table->Bof()) return;
    if (table->FieldByName(QStringLiteral("NodeID"))->AsInteger() != v.CurrentNodeID) return;
    dialog.Memo->setPlainText(table->FieldByName(column)->AsString());
    dialog.setWindowTitle(v.ViewName + captionSuffix);
    if (ui::ExecModal(dialog) != QDialog::Accepted) return;
    QStringList lines = dialog.Memo->toPlainText().split(u'\n');
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    dialog.Memo->setPlainText(lines.join(u'\n'));
    try {
        core::DatabaseWrite write(*data.DSDB);
        tables.PositionViewTable(view);
        table->Edit();
        table->FieldByName(column)->SetAsString(lines.join(QStringLiteral("\r\n")));
        table->Post();
        write.Commit();
    } catch (const std::exception& e) {
        core::ShowTableUpdateError(e, QStringLiteral("View (") + table->TableName() + u')', failure);
        try {
            if (table->State() != db::DataSetState::dsBrowse) table->Cancel();
            table->Refresh();
        } catch (...) {
        }
    }
}

}  // namespace

namespace core {

void EditSearchTerms(ViewTables& tables, TMainDataMod& data, int view, QWidget* parent) {
    TSearchTerm dialog(parent);
    editMemoColumn(tables, data, view, dialog, QStringLiteral("SearchTerms"), QStringLiteral(" Search Terms"),
                   QStringLiteral("Unable to save search terms."));
}

void EditCrossReference(ViewTables& tables, TMainDataMod& data, int view, QWidget* parent) {
    TCrossRef dialog(parent);
    editMemoColumn(tables, data, view, dialog, QStringLiteral("CrossReference"), QStringLiteral(" Cross Reference"),
                   QStringLiteral("Unable to save cross reference."));
}

void InstallMemoDialogs(ViewTables& tables, TMainDataMod& data, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    RegisterCommand(QStringLiteral("A_SearchTerms"), [&tables, &data, owner] {
        EditSearchTerms(tables, data, ViewControl().CurrentView, owner);
    });
    RegisterCommand(QStringLiteral("A_CrossRef"), [&tables, &data, owner] {
        EditCrossReference(tables, data, ViewControl().CurrentView, owner);
    });
}

}  // namespace core
