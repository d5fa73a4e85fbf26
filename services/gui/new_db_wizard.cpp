#include "services/gui/new_db_wizard.h"

#include "services/database_copy.h"
#include "services/repair_lib.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"

#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

QPushButton* makeButton(QWidget* page, const char* name, const QString& caption, int helpContext,
                        const QString& hint = {}) {
    auto* b = ui::Make<QPushButton>(page, name, caption);
    if (helpContext) b->setProperty("HelpContext", helpContext);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QLabel* makeText(QWidget* page, const char* name, const QString& text) {
    auto* l = ui::Make<QLabel>(page, name, text);
    l->setWordWrap(true);
    return l;
}

QLabel* makeTitle(QWidget* page, const char* name, const QString& text) {
    auto* l = ui::Make<QLabel>(page, name, text);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    l->setFont(f);
    return l;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretchFirst = false) {
    auto* r = new QHBoxLayout;
    if (stretchFirst) r->addStretch();
    for (QWidget* w : widgets) r->addWidget(w, qobject_cast<QLineEdit*>(w) ? 1 : 0);
    return r;
}

const QString kOpenFolderGuard = QStringLiteral(
    "The database path you specified is the same as the path of the database you have open. You must close the "
    "database before you can use this path.");

}  // namespace

namespace services {

namespace {

/// The row of a word table that holds its index settings (which fields it indexes); empty
/// when the table has none.
QVariantList wordTableSettingsRow(const QString& folder, const QString& file) {
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(file);
    words.SetReadOnly(true);
    words.Open();
    db::Field* word = words.FindField(QStringLiteral("tsWord"));
    if (!word) return {};
    if (!words.Locate(QStringLiteral("tsWord"), {TtsWordsTableLink::PropertiesWord().left(word->Size())})) return {};
    QVariantList row;
    for (int i = 0; i < words.FieldCount(); ++i) row << words.Fields(i)->Value();
    return row;
}

void putBackRow(const QString& folder, const QString& file, const QVariantList& row) {
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(file);
    words.Open();
    words.Append();
    for (int i = 0; i < words.FieldCount() && i < row.size(); ++i) words.Fields(i)->SetValue(row[i]);
    words.Post();
}

}  // namespace

QStringList EmptyDatabaseTables(const QString& folder) {
    QStringList tables = {core::kHierarchyTable, core::kHierarchyDictTable};
    QStringList wordTables = {core::kHierarchyDictTable};
    try {
        db::Table settings;
        settings.SetDatabaseName(folder);
        settings.SetTableName(core::kSettingsTableName);
        settings.SetReadOnly(true);
        settings.Open();
        TViewControl views;
        db::Table* previous = core::SettingsTable();
        core::SetSettingsTable(&settings);
        struct Restore {
            db::Table* previous;
            ~Restore() { core::SetSettingsTable(previous); }
        } restore{previous};
        views.LoadViewDefinitions();
        for (const TViewDef& v : views.ViewDefs) {
            tables << core::ViewTableFile(v.DataTableName) << core::ViewDictTableFile(v.DataTableName);
            wordTables << core::ViewDictTableFile(v.DataTableName);
        }
    } catch (const std::exception&) {
        // Without readable View definitions only the branch tables are emptied.
    }
    return EmptyTableFiles(folder, tables, wordTables);
}

QStringList EmptyTableFiles(const QString& folder, const QStringList& tables, const QStringList& wordTables) {
    QStringList emptied;
    const QStringList files = QDir(folder).entryList(QDir::Files);
    for (const QString& name : tables) {
        QString file;
        for (const QString& f : files)
            if (f.compare(name, Qt::CaseInsensitive) == 0) file = f;
        if (file.isEmpty() || emptied.contains(file)) continue;
        try {
            // A word table keeps the row of its index settings: it says which fields the
            // table indexes, and the database does not open without it.
            const QVariantList settingsRow =
                wordTables.contains(name, Qt::CaseInsensitive) ? wordTableSettingsRow(folder, file) : QVariantList();
            db::EmptyTableFile(folder, file);
            db::Table CleanupTable;  // the table being emptied
            CleanupTable.SetDatabaseName(folder);
            CleanupTable.SetTableName(file);
            PackTable(CleanupTable);
            if (!settingsRow.isEmpty()) putBackRow(folder, file, settingsRow);
            emptied << file;
        } catch (const std::exception&) {
            ui::Message(QStringLiteral("Unable to empty table %1.").arg(QFileInfo(file).completeBaseName()),
                        ui::MessageKind::Error, ui::Button::Ok, 10110);
        }
    }
    return emptied;
}

}  // namespace services

TNewDBWizard::TNewDBWizard(TMainForm& mainForm, std::vector<TTemplateItem> templates, QWidget* parent)
    : QDialog(parent), m_form(mainForm), m_templates(std::move(templates)) {
    setObjectName(QStringLiteral("NewDBWizard"));
    setWindowTitle(QStringLiteral("New Database"));
    setProperty("HelpContext", 62000);
    DefaultFolder = DefaultDatabaseFolder();
    Pages = ui::Make<QStackedWidget>(this, "Pages");
    StartPage = ui::Make<QWidget>(Pages, "StartPage");
    TemplatePage = ui::Make<QWidget>(Pages, "TemplatePage");
    ExistingPage = ui::Make<QWidget>(Pages, "ExistingPage");
    BlankPage = ui::Make<QWidget>(Pages, "BlankPage");
    for (QWidget* p : {StartPage, TemplatePage, ExistingPage, BlankPage}) Pages->addWidget(p);

    // ---- start page ----
    auto* startText = makeText(StartPage, "StartText",
                               QStringLiteral("You can create a new database in one of three ways. Select one of the "
                                              "options below to begin."));
    TemplateBtn = makeButton(StartPage, "TemplateBtn", QStringLiteral("Create new database from a template"), 62004);
    ExistingBtn = makeButton(StartPage, "ExistingBtn", QStringLiteral("Create new database from an existing database"), 62005);
    BlankBtn = makeButton(StartPage, "BlankBtn", QStringLiteral("Create blank database"), 62006);
    auto* templateText = makeText(StartPage, "TemplateText",
                                  QStringLiteral("A template is a pre-defined database layout, usually including the list "
                                                 "of categories. This option will create a ready to use database for you."));
    auto* existingText = makeText(StartPage, "ExistingText",
                                  QStringLiteral("You can create a new database from one of your own existing databases. "
                                                 "The field layout and preferences are kept, but no data is copied."));
    auto* blankText = makeText(StartPage, "BlankText",
                               QStringLiteral("This option will create a blank database, with only the standard fields "
                                              "defined. There will be no data in the database."));
    StartCancelBtn = makeButton(StartPage, "StartCancelBtn", QStringLiteral("&Cancel"), 62001, QStringLiteral("Cancel the create"));
    StartHelpBtn = makeButton(StartPage, "StartHelpBtn", QStringLiteral("Help"), 62000);

    // ---- template page ----
    auto* t1 = makeTitle(TemplatePage, "TemplateTitle", QStringLiteral("Create new database from a template"));
    auto* t1Text = makeText(TemplatePage, "TemplatePageText",
                            QStringLiteral("Select a template below; its description tells what kind of database it "
                                           "makes. Then enter the folder of the new database in New Database Path."));
    TemplateList = ui::Make<QListWidget>(TemplatePage, "TemplateList");
    TemplateList->setProperty("HelpContext", 62007);
    TemplateList->setCursor(Qt::PointingHandCursor);
    auto* descLabel = ui::Make<QLabel>(TemplatePage, "TemplateDescriptionLabel", QStringLiteral("Template Description"));
    TemplateDescription = ui::Make<QPlainTextEdit>(TemplatePage, "TemplateDescription");
    TemplateDescription->setReadOnly(true);
    TemplateDescription->setProperty("HelpContext", 62008);
    TemplateHelpBtn = makeButton(TemplatePage, "TemplateHelpBtn", QStringLiteral("?"), 0,
                                 QStringLiteral("Show help for selected template"));
    DBPath1Label = ui::Make<QLabel>(TemplatePage, "DBPath1Label", QStringLiteral("New Database Path"));
    DBPath1 = ui::Make<QLineEdit>(TemplatePage, "DBPath1");
    DBPath1->setProperty("HelpContext", 62009);
    Browse1Btn = makeButton(TemplatePage, "Browse1Btn", QStringLiteral("..."), 62010,
                            QStringLiteral("Browse for a Dossara database folder"));
    auto* back1 = makeButton(TemplatePage, "Back1Btn", QStringLiteral("Back"), 62003, QStringLiteral("Go back to the first step"));
    auto* cancel1 = makeButton(TemplatePage, "Cancel1Btn", QStringLiteral("&Cancel"), 62001, QStringLiteral("Cancel the create"));
    auto* help1 = makeButton(TemplatePage, "Help1Btn", QStringLiteral("Help"), 62000);
    Create1Btn = makeButton(TemplatePage, "Create1Btn", QStringLiteral("Create database"), 62002,
                            QStringLiteral("Create the database"));

    // ---- existing-database page ----
    auto* t2 = makeTitle(ExistingPage, "ExistingTitle", QStringLiteral("Create new database from an existing database"));
    auto* t2Text = makeText(ExistingPage, "ExistingPageText",
                            QStringLiteral("The new database gets the Views, fields and preferences of the existing "
                                           "database, without its records."));
    auto* existingLabel = ui::Make<QLabel>(ExistingPage, "DBPath2ExistingLabel", QStringLiteral("Existing Database Path"));
    DBPath2Existing = ui::Make<QLineEdit>(ExistingPage, "DBPath2Existing");
    DBPath2Existing->setProperty("HelpContext", 62011);
    Browse2ExistingBtn = makeButton(ExistingPage, "Browse2ExistingBtn", QStringLiteral("..."), 0,
                                    QStringLiteral("Browse for a Dossara database folder"));
    auto* newLabel = ui::Make<QLabel>(ExistingPage, "DBPath2NewLabel", QStringLiteral("New Database Path"));
    DBPath2New = ui::Make<QLineEdit>(ExistingPage, "DBPath2New");
    DBPath2New->setProperty("HelpContext", 62013);
    Browse2NewBtn = makeButton(ExistingPage, "Browse2NewBtn", QStringLiteral("..."), 0,
                               QStringLiteral("Browse for a Dossara database folder"));
    auto* back2 = makeButton(ExistingPage, "Back2Btn", QStringLiteral("Back"), 62003, QStringLiteral("Go back to the first step"));
    auto* cancel2 = makeButton(ExistingPage, "Cancel2Btn", QStringLiteral("&Cancel"), 62001, QStringLiteral("Cancel the create"));
    auto* help2 = makeButton(ExistingPage, "Help2Btn", QStringLiteral("Help"), 62000);
    Create2Btn = makeButton(ExistingPage, "Create2Btn", QStringLiteral("Create database"), 62002,
                            QStringLiteral("Create the database"));

    // ---- blank page ----
    auto* t3 = makeTitle(BlankPage, "BlankTitle", QStringLiteral("Create blank database"));
    auto* t3Text = makeText(BlankPage, "BlankPageText",
                            QStringLiteral("The new database has only the standard fields and no records."));
    auto* blankLabel = ui::Make<QLabel>(BlankPage, "DBPath3Label", QStringLiteral("New Database Path"));
    DBPath3 = ui::Make<QLineEdit>(BlankPage, "DBPath3");
    DBPath3->setProperty("HelpContext", 62015);
    Browse3Btn = makeButton(BlankPage, "Browse3Btn", QStringLiteral("..."), 0, QStringLiteral("Browse for a Dossara database folder"));
    auto* back3 = makeButton(BlankPage, "Back3Btn", QStringLiteral("Back"), 62003, QStringLiteral("Go back to the first step"));
    auto* cancel3 = makeButton(BlankPage, "Cancel3Btn", QStringLiteral("&Cancel"), 62001, QStringLiteral("Cancel the create"));
    auto* help3 = makeButton(BlankPage, "Help3Btn", QStringLiteral("Help"), 62000);
    Create3Btn = makeButton(BlankPage, "Create3Btn", QStringLiteral("Create database"), 62002,
                            QStringLiteral("Create the database"));

    // ---- layouts ----
    {
        auto* l = new QVBoxLayout(StartPage);
        l->addWidget(startText);
        for (auto [button, text] : {std::pair{TemplateBtn, templateText}, std::pair{ExistingBtn, existingText},
                                    std::pair{BlankBtn, blankText}}) {
            l->addWidget(button);
            l->addWidget(text);
        }
        l->addStretch();
        l->addLayout(row({StartCancelBtn, StartHelpBtn}, true));
    }
    {
        auto* l = new QVBoxLayout(TemplatePage);
        l->addWidget(t1);
        l->addWidget(t1Text);
        l->addWidget(TemplateList, 1);
        auto* descRow = new QHBoxLayout;
        descRow->addWidget(descLabel);
        descRow->addStretch();
        descRow->addWidget(TemplateHelpBtn);
        l->addLayout(descRow);
        l->addWidget(TemplateDescription);
        l->addWidget(DBPath1Label);
        l->addLayout(row({DBPath1, Browse1Btn}));
        l->addLayout(row({back1, cancel1, help1, Create1Btn}, true));
    }
    {
        auto* l = new QVBoxLayout(ExistingPage);
        l->addWidget(t2);
        l->addWidget(t2Text);
        l->addWidget(existingLabel);
        l->addLayout(row({DBPath2Existing, Browse2ExistingBtn}));
        l->addWidget(newLabel);
        l->addLayout(row({DBPath2New, Browse2NewBtn}));
        l->addStretch();
        l->addLayout(row({back2, cancel2, help2, Create2Btn}, true));
    }
    {
        auto* l = new QVBoxLayout(BlankPage);
        l->addWidget(t3);
        l->addWidget(t3Text);
        l->addWidget(blankLabel);
        l->addLayout(row({DBPath3, Browse3Btn}));
        l->addStretch();
        l->addLayout(row({back3, cancel3, help3, Create3Btn}, true));
    }
    auto* main = new QVBoxLayout(this);
    main->addWidget(Pages);
    resize(584, 455);

    // ---- connections ----
    connect(TemplateBtn, &QPushButton::clicked, this, [this] {
        DBPath1->setText(m_templates.empty() ? DefaultFolder : ProposedDatabaseFolder(DefaultFolder, m_templates.front().Name));
        Pages->setCurrentWidget(TemplatePage);
        TemplateList->setFocus();
        m_busy = false;
        TemplateListChange();
    });
    connect(ExistingBtn, &QPushButton::clicked, this, [this] {
        DBPath2New->setText(DefaultFolder);
        DBPath2Existing->setText(Globals().DatabaseOpen ? Globals().CurrentFolder
                                                        : (m_form.RecentMostRecent ? m_form.RecentMostRecent().trimmed() : QString()));
        Pages->setCurrentWidget(ExistingPage);
        DBPath2Existing->setFocus();
    });
    connect(BlankBtn, &QPushButton::clicked, this, [this] {
        DBPath3->setText(DefaultFolder);
        Pages->setCurrentWidget(BlankPage);
        DBPath3->setFocus();
    });
    for (QPushButton* back : {back1, back2, back3})
        connect(back, &QPushButton::clicked, this, [this] { Pages->setCurrentWidget(StartPage); });
    for (QPushButton* cancel : {StartCancelBtn, cancel1, cancel2, cancel3})
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    for (QPushButton* help : {StartHelpBtn, help1, help2, help3})
        connect(help, &QPushButton::clicked, this, [help] { ui::HelpService::ShowContext(help->property("HelpContext").toInt()); });
    connect(TemplateList, &QListWidget::currentItemChanged, this, [this] { ui::RunGuarded(this, [this] { TemplateListChange(); }); });
    connect(TemplateHelpBtn, &QPushButton::clicked, this, [this] { ShowTemplateHelp(TemplateFolder); });
    for (QLineEdit* e : {DBPath1, DBPath2Existing, DBPath2New, DBPath3})
        connect(e, &QLineEdit::textChanged, this, [this] { updateCreateButtons(); });
    for (QLineEdit* e : {DBPath1, DBPath3})
        connect(e, &QLineEdit::editingFinished, this, [e] { e->setText(e->text().trimmed()); });
    for (QLineEdit* e : {DBPath2Existing, DBPath2New})
        connect(e, &QLineEdit::editingFinished, this, [e] {
            if (!e->text().trimmed().isEmpty()) e->setText(core::NormalizePath(e->text(), QStringLiteral("N")));
        });
    connect(Browse1Btn, &QPushButton::clicked, this, [this] { browse(DBPath1, true); });
    connect(Browse2ExistingBtn, &QPushButton::clicked, this, [this] { browse(DBPath2Existing, false); });
    connect(Browse2NewBtn, &QPushButton::clicked, this, [this] { browse(DBPath2New, true); });
    connect(Browse3Btn, &QPushButton::clicked, this, [this] { browse(DBPath3, true); });
    connect(Create1Btn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Create1BtnClick(); }); });
    connect(Create2Btn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Create2BtnClick(); }); });
    connect(Create3Btn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Create3BtnClick(); }); });

    FillTemplateList(TemplateList, m_templates);
    setPathControls(false);
    for (int i = 0; i < TemplateList->count(); ++i)
        if (!TemplateList->item(i)->data(Qt::UserRole + 1).toBool()) {
            TemplateList->setCurrentRow(i);
            break;
        }
    updateCreateButtons();
    Pages->setCurrentWidget(StartPage);
}

const TTemplateItem* TNewDBWizard::selectedTemplate() const {
    const QListWidgetItem* item = TemplateList->currentItem();
    if (!item) return nullptr;
    const int id = item->data(Qt::UserRole).toInt();
    for (const TTemplateItem& t : m_templates)
        if (t.ID == id) return &t;
    return nullptr;
}

void TNewDBWizard::setPathControls(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(DBPath1), static_cast<QWidget*>(DBPath1Label), static_cast<QWidget*>(Browse1Btn)})
        w->setEnabled(enabled);
    if (!enabled) TemplateDescription->clear();
    updateCreateButtons();
}

void TNewDBWizard::updateCreateButtons() {
    Create1Btn->setEnabled(DBPath1->isEnabled() && !DBPath1->text().trimmed().isEmpty());
    Create2Btn->setEnabled(!DBPath2Existing->text().trimmed().isEmpty() && !DBPath2New->text().trimmed().isEmpty());
    Create3Btn->setEnabled(!DBPath3->text().trimmed().isEmpty());
}

void TNewDBWizard::TemplateListChange() {
    if (m_busy) return;
    const TTemplateItem* t = selectedTemplate();
    if (!t) {
        setPathControls(false);
        return;
    }
    m_busy = true;
    struct Clear {
        bool& busy;
        ~Clear() { busy = false; }
    } clear{m_busy};
    if (IsProposedPath(DBPath1->text(), DefaultFolder)) DBPath1->setText(ProposedDatabaseFolder(DefaultFolder, t->Name));
    TemplateFolder = t->Path;
    if (t->Missing) {
        setPathControls(false);
        ui::Message(QStringLiteral("The template data for that template cannot be found. The data may have been moved "
                                   "or deleted. A database cannot be created with the template. Press F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10114);
        return;
    }
    TemplateDescription->setPlainText(t->Description);
    setPathControls(true);
    const bool help = TemplateHasHelp(t->Path);
    TemplateHelpBtn->setEnabled(help);
    TemplateHelpBtn->setToolTip(help ? QStringLiteral("Help for the %1 template").arg(t->Name)
                                     : QStringLiteral("No help available for the %1 template").arg(t->Name));
}

void TNewDBWizard::browse(QLineEdit* edit, bool allowEdit) {
    QString folder = edit->text().trimmed();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose Dossara folder"), folder, last, allowEdit)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) edit->setText(folder);
}

bool TNewDBWizard::acceptNewPath(QLineEdit* edit, QString& path) {
    path = edit->text().trimmed();
    // A copy never lands on the open database: it would overwrite the files being read.
    if (Globals().DatabaseOpen &&
        (services::IsSameFolder(core::NormalizePath(path), Globals().CurrentFolder) ||
         core::NormalizePath(path).compare(Globals().CurrentFolder.trimmed(), Qt::CaseInsensitive) == 0)) {
        ui::Message(kOpenFolderGuard, ui::MessageKind::Error, ui::Button::Ok, 10128);
        edit->setFocus();
        return false;
    }
    if (!core::ValidateFolder(path)) {
        edit->setFocus();
        return false;
    }
    return true;
}

bool TNewDBWizard::copyDatabase(const QString& from, const QString& to) {
    services::TCopyOutcome outcome;
    {
        ui::HourglassCursor hourglass;
        outcome = services::CopyDatabaseFolder(from, to);
    }
    if (outcome.Success) return true;
    ui::Message(QStringLiteral("An error occurred while creating the database.\nThe error is code %1: %2\nThe database "
                               "cannot be created.\nPress F1 for help.")
                    .arg(outcome.Code)
                    .arg(outcome.Text),
                ui::MessageKind::Error, ui::Button::Ok, 10112);
    return false;
}

void TNewDBWizard::askOpen(const QString& folder, const QString& question, const QString& reopen) {
    if (ui::Message(question, ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10111) == ui::Button::Yes)
        m_form.OpenDatabase(folder);
    else if (!reopen.isEmpty())
        m_form.OpenDatabase(reopen);
    accept();
}

void TNewDBWizard::Create1BtnClick() {
    const TTemplateItem* t = selectedTemplate();
    if (!t || !core::IsDatabaseFolder(t->Path)) {
        // Refused before anything is made.
        ui::Message(QStringLiteral("The template data for that template cannot be found. The data may have been moved "
                                   "or deleted. A database cannot be created with the template. Press F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10114);
        TemplateList->setFocus();
        return;
    }
    QString path;
    if (!acceptNewPath(DBPath1, path)) return;
    if (!copyDatabase(t->Path, path)) return;
    askOpen(path, QStringLiteral("The new database has been created. Do you want to open the new database now?"));
}

void TNewDBWizard::Create2BtnClick() {
    const QString existing = DBPath2Existing->text().trimmed();
    if (!core::IsDatabaseFolder(existing)) {
        ui::Message(QStringLiteral("The path \"%1\" does not exist or does not contain Dossara database files.").arg(existing),
                    ui::MessageKind::Error, ui::Button::Ok, 10013);
        DBPath2Existing->setFocus();
        return;
    }
    const QString wanted = DBPath2New->text().trimmed();
    if (wanted.compare(existing, Qt::CaseInsensitive) == 0 || services::IsSameFolder(wanted, existing)) {
        ui::Message(QStringLiteral("The new database path cannot be the same as the existing database path."),
                    ui::MessageKind::Error, ui::Button::Ok, 10131);
        DBPath2New->setFocus();
        return;
    }
    QString path;
    if (!acceptNewPath(DBPath2New, path)) return;
    if (!copyDatabase(existing, path)) return;
    {
        ui::HourglassCursor hourglass;
        services::EmptyDatabaseTables(path);
    }
    const QString previous = Globals().DatabaseOpen ? Globals().CurrentFolder : QString();
    if (Globals().DatabaseOpen) {
        m_form.CloseDatabase(false);
        if (Globals().DatabaseOpen) return;  // refused: a View holds unsaved changes
    }
    if (m_form.OpenDatabase(path)) {
        if (core::Customize().FullRebuild) core::Customize().FullRebuild();
        m_form.CloseDatabase(false);
    }
    askOpen(path, QStringLiteral("The new database has been created. Do you want to open the new database now?"), previous);
}

void TNewDBWizard::Create3BtnClick() {
    const TTemplateItem* blank = nullptr;
    for (const TTemplateItem& t : m_templates)
        if (t.ID == 1) blank = &t;
    if (!blank || !core::IsDatabaseFolder(blank->Path)) {
        ui::Message(QStringLiteral("The \"Blank\" template is missing. A blank database cannot be created without this "
                                   "template.\nPress F1 for help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10113);
        return;
    }
    QString path;
    if (!acceptNewPath(DBPath3, path)) return;
    if (!copyDatabase(blank->Path, path)) return;
    askOpen(path, QStringLiteral("The new blank database has been created. Do you want to open the new database now?"));
}

bool RunNewDatabaseWizard(TMainForm& mainForm) {
    std::vector<TTemplateItem> templates;
    if (TMainDataMod* data = mainForm.DataModule()) templates = ReadTemplates(*data);
    auto wizard = std::make_unique<TNewDBWizard>(mainForm, std::move(templates));
    return ui::ExecModal(*wizard) == QDialog::Accepted;
}

void InstallNewDatabaseWizard(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_FileNew"), [form] {
        if (form) RunNewDatabaseWizard(*form);
    });
}
