#include "services/gui/repair_wizard.h"

#include "services/repair_lib.h"
#include "services/repair_log.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/win_registry.h"

#include "platform/base/exception.h"
#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <memory>
#include <optional>

namespace {

constexpr int kHelpContext = 62000;
constexpr int kStatusColumn = 1;
constexpr int kMessageColumn = 2;

const QStringList kLibraryTables = {core::kIconLibTable, core::kMacroLibTable, core::kMaskLibTable,
                                    core::kTemplateLibTable};

QString textOf(const std::exception& e) {
    if (const auto* own = dynamic_cast<const base::Exception*>(&e)) return own->Message();
    return QString::fromUtf8(e.what());
}

/// The file of `folder` named `name` in any case; empty when there is none.
QString findFile(const QString& folder, const QString& name) {
    for (const QString& entry : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

/// True when a file can be made (and removed again) in `folder`.
bool canWriteIn(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".dossara-repair-XXXXXX")));
    return probe.open() && probe.write("probe", 5) == 5;
}

QString withoutSlash(QString folder) {
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\'))) folder.chop(1);
    return folder;
}

/// The folder-location routine of the registry check: looks for the shipped folder `name`
/// ("Library" or "Template") beside the program, under the user's data folder and where the
/// program found it at start-up, and answers the first that holds `mustHold` (a table file,
/// or, with `holdsDatabase`, a database folder of that name).
bool locateFolder(const QString& name, const QString& current, const QString& mustHold, bool holdsDatabase,
                  QString& found) {
    const QString userData =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("dossara"));
    const QStringList candidates = {Globals().ProgramFolder + name, QDir(userData).filePath(name), current};
    for (const QString& c : candidates) {
        if (c.trimmed().isEmpty() || !QFileInfo(c).isDir()) continue;
        const bool holds = holdsDatabase ? core::IsDatabaseFolder(QDir(c).filePath(mustHold))
                                         : !findFile(c, mustHold).isEmpty();
        if (holds) {
            found = withoutSlash(QDir::cleanPath(QFileInfo(c).absoluteFilePath()));
            return true;
        }
    }
    return false;
}

/// A template's folder as TemplateLib.db stores it: "<TEMPLATES>" at its start stands for the
/// template folder (the data module rewrites such paths when it opens the table).
QString templatePath(const QString& stored) {
    static const QString marker = QStringLiteral("<TEMPLATES>");
    if (!stored.trimmed().startsWith(marker, Qt::CaseInsensitive)) return stored;
    QString rest = stored.trimmed().mid(marker.size());
    rest.replace(u'\\', u'/');
    if (!rest.isEmpty() && !rest.startsWith(u'/')) rest.prepend(u'/');
    return withoutSlash(Globals().TemplateFolder) + rest;
}

QTreeWidget* makeCheckList(QWidget* page, const char* name) {
    auto* list = ui::Make<QTreeWidget>(page, name);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Checking..."), QStringLiteral("Status"), QStringLiteral("Message")});
    list->setColumnWidth(0, 200);
    list->setColumnWidth(1, 100);
    list->setColumnWidth(2, 200);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

QTreeWidgetItem* addCheckRow(QTreeWidget* list, const QString& caption) {
    return new QTreeWidgetItem(list, {caption, QStringLiteral("Not checked"), QString()});
}

QLabel* makeTitle(QWidget* page, const char* name, const QString& text) {
    auto* label = ui::Make<QLabel>(page, name, text);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    label->setFont(f);
    return label;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

/// One table of Step 4: a word table (rebuilt from its record table) or a report
/// dictionary table.
struct SupportTable {
    QString Caption;
    QString FileName;
    QString RecordTable;  ///< the record table of a word table; empty for a dictionary table
    QStringList Fields;   ///< the indexed fields of a word table
    db::TableDef Definition;  ///< the layout of a dictionary table
};

/// The word tables and report dictionary tables of the database in `folder`, the Views read
/// from its settings table. Raises the table layer's error when the settings table cannot be
/// read.
std::vector<SupportTable> supportTablesOf(const QString& folder) {
    std::vector<SupportTable> tables;
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
    for (int v = 0; v < views.GetViewCount(); ++v) {
        const QString name = views.ViewDefs[size_t(v)].DataTableName;
        SupportTable t;
        t.Caption = QStringLiteral("Search index of View \"%1\"").arg(views.GetViewName(v));
        t.FileName = core::ViewDictTableFile(name);
        t.RecordTable = core::ViewTableFile(name);
        tables.push_back(t);
    }
    tables.push_back({QStringLiteral("Branch title search index"), core::kHierarchyDictTable, core::kHierarchyTable,
                      {QStringLiteral("NodeName")}, {}});
    tables.push_back({QStringLiteral("Report dictionary table \"%1\"").arg(core::kTsTableTable), core::kTsTableTable, {},
                      {}, core::TsTableTableDef()});
    tables.push_back({QStringLiteral("Report dictionary table \"%1\"").arg(core::kTsFieldTable), core::kTsFieldTable, {},
                      {}, core::TsFieldTableDef()});
    return tables;
}

/// Whether the table exists and verifies; `reason` says why not.
bool checkSupportTable(const QString& folder, const SupportTable& t, QString& reason) {
    const QString file = findFile(folder, t.FileName);
    if (file.isEmpty()) {
        reason = QStringLiteral("The table \"%1\" is missing.").arg(t.FileName);
        return false;
    }
    db::Table table;
    table.SetDatabaseName(folder);
    table.SetTableName(file);
    QString error;
    if (!services::VerifyTable(table, error)) {
        reason = error;
        return false;
    }
    return true;
}

}  // namespace

TRepairWizard::TRepairWizard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RepairWizard"));
    setWindowTitle(QStringLiteral("Check and Repair"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    LogFileName = services::TRepairLog(Globals().ProgramFolder).FileName();
    for (const char* icon : {"emblem-default", "view-refresh", "dialog-error", "edit-undo", "system-run"})
        StatusImages.push_back(core::ThemeIcon(QLatin1String(icon)));

    PageControl = ui::Make<QStackedWidget>(this, "PageControl");
    Welcome = ui::Make<QWidget>(PageControl, "Welcome");
    Step1 = ui::Make<QWidget>(PageControl, "Step1");
    Step2 = ui::Make<QWidget>(PageControl, "Step2");
    Step3 = ui::Make<QWidget>(PageControl, "Step3");
    Step4 = ui::Make<QWidget>(PageControl, "Step4");
    EmptyPage = ui::Make<QWidget>(PageControl, "EmptyPage");
    for (QWidget* page : {Welcome, Step1, Step2, Step3, Step4, EmptyPage}) PageControl->addWidget(page);

    auto makeButton = [](QWidget* page, const char* name, const QString& caption, int helpContext) {
        auto* b = ui::Make<QPushButton>(page, name, caption);
        if (helpContext) b->setProperty("HelpContext", helpContext);
        return b;
    };

    // ---- Welcome ----
    WelcomePicture = ui::Make<QLabel>(Welcome, "WelcomePicture");
    WelcomePicture->setPixmap(core::ThemeIcon(QStringLiteral("applications-utilities")).pixmap(96, 96));
    OopsLabel = makeTitle(Welcome, "OopsLabel", QStringLiteral("Oops..."));
    WelcomeMemo = ui::Make<QPlainTextEdit>(Welcome, "WelcomeMemo");
    WelcomeMemo->setReadOnly(true);
    WelcomeMemo->setPlainText(QStringLiteral(
        "This Wizard will examine your Dossara setup and your databases to find and correct problems.\n\n"
        "An attempt to repair problems can occasionally make the problems worse, or can create new problems. For "
        "this reason, you should be sure you have a good backup of the database you are about to check. You will be "
        "given the opportunity later in this process to make a backup, or you can stop and make your own backup "
        "now."));
    StartBtn = makeButton(Welcome, "StartBtn", QStringLiteral("I'm ready, let's get started"), 62004);
    WelcomeHelpBtn = makeButton(Welcome, "WelcomeHelpBtn", QStringLiteral("Help"), kHelpContext);
    WelcomeCloseBtn = makeButton(Welcome, "WelcomeCloseBtn", QStringLiteral("&Close"), 0);

    // ---- Step 1 ----
    auto* step1Title = makeTitle(Step1, "Step1Title", QStringLiteral("Step 1: Check the basic configuration."));
    Step1List = makeCheckList(Step1, "Step1List");
    for (const char* caption : {"Windows registry entries", "Database engine configuration", "Program directory",
                                "Library directory", "Icon Library table", "Macro Text Library table",
                                "Mask Library table", "Template Library table"})
        addCheckRow(Step1List, QString::fromLatin1(caption));
    Step1Status = ui::Make<QLabel>(Step1, "Step1Status");
    Step1Status->setWordWrap(true);
    Step1NextBtn = makeButton(Step1, "Step1NextBtn", QStringLiteral("&Next"), 64001);
    Step1HelpBtn = makeButton(Step1, "Step1HelpBtn", QStringLiteral("Help"), kHelpContext);
    Step1CloseBtn = makeButton(Step1, "Step1CloseBtn", QStringLiteral("&Close"), 62001);
    Step1NextBtn->setEnabled(false);
    Step1CloseBtn->setEnabled(false);

    // ---- Step 2 ----
    auto* step2Title = makeTitle(Step2, "Step2Title", QStringLiteral("Step 2: Select the database you want to check."));
    auto* step2Info = ui::Make<QLabel>(
        Step2, "Step2Info",
        QStringLiteral("These are the databases that you have used recently, or that are in your Favorites List, or "
                       "that are in the Template Library. Select the database you want to check.    If the database "
                       "you want is not here, click the Browse button to find it."));
    step2Info->setWordWrap(true);
    DatabaseList = ui::Make<QTreeWidget>(Step2, "DatabaseList");
    DatabaseList->setRootIsDecorated(false);
    DatabaseList->setHeaderLabels({QStringLiteral("Database Path"), QStringLiteral("Kind")});
    DatabaseList->setColumnWidth(0, 330);
    DatabaseList->setColumnWidth(1, 190);
    DatabaseList->setSelectionMode(QAbstractItemView::SingleSelection);
    ShowFavorites = ui::Make<QCheckBox>(Step2, "ShowFavorites", QStringLiteral("Show Favorites"));
    ShowTemplates = ui::Make<QCheckBox>(Step2, "ShowTemplates", QStringLiteral("Show templates"));
    ShowFavorites->setChecked(true);
    ShowTemplates->setChecked(true);
    BrowseBtn = makeButton(Step2, "BrowseBtn", QStringLiteral("Browse for database"), 0);
    Step2NextBtn = makeButton(Step2, "Step2NextBtn", QStringLiteral("&Next"), 0);
    Step2HelpBtn = makeButton(Step2, "Step2HelpBtn", QStringLiteral("Help"), kHelpContext);
    Step2CloseBtn = makeButton(Step2, "Step2CloseBtn", QStringLiteral("&Close"), 0);

    // ---- Step 3 ----
    auto* step3Title = makeTitle(Step3, "Step3Title", QStringLiteral("Step 3: Check the databases."));
    auto* step3Caption = ui::Make<QLabel>(Step3, "Step3Caption", QStringLiteral("Database being checked is:"));
    Step3Path = ui::Make<QLabel>(Step3, "Step3Path");
    Step3List = makeCheckList(Step3, "Step3List");
    Step3Status = ui::Make<QLabel>(Step3, "Step3Status");
    Step3Status->setWordWrap(true);
    Step3Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Step3NextBtn = makeButton(Step3, "Step3NextBtn", QStringLiteral("&Next"), 0);
    Step3HelpBtn = makeButton(Step3, "Step3HelpBtn", QStringLiteral("Help"), kHelpContext);
    Step3CloseBtn = makeButton(Step3, "Step3CloseBtn", QStringLiteral("&Close"), 0);

    // ---- Step 4 ----
    auto* step4Title =
        makeTitle(Step4, "Step4Title", QStringLiteral("Step 4: Check the Search Indexes and Report Dictionary."));
    auto* step4Caption = ui::Make<QLabel>(Step4, "Step4Caption", QStringLiteral("Database being checked is:"));
    Step4Path = ui::Make<QLabel>(Step4, "Step4Path");
    Step4List = makeCheckList(Step4, "Step4List");
    Step4Status = ui::Make<QLabel>(Step4, "Step4Status");
    Step4Status->setWordWrap(true);
    Step4NextBtn = makeButton(Step4, "Step4NextBtn", QStringLiteral("&Next"), 0);
    Step4HelpBtn = makeButton(Step4, "Step4HelpBtn", QStringLiteral("Help"), kHelpContext);
    Step4CloseBtn = makeButton(Step4, "Step4CloseBtn", QStringLiteral("&Close"), 0);
    Step4NextBtn->setEnabled(false);
    Step4CloseBtn->setEnabled(false);

    // ---- layouts ----
    {
        auto* text = new QVBoxLayout;
        text->addWidget(OopsLabel);
        text->addWidget(WelcomeMemo);
        auto* top = new QHBoxLayout;
        top->addWidget(WelcomePicture, 0, Qt::AlignTop);
        top->addLayout(text, 1);
        auto* l = new QVBoxLayout(Welcome);
        l->addLayout(top, 1);
        l->addLayout(buttonRow({StartBtn, WelcomeHelpBtn, WelcomeCloseBtn}));
    }
    {
        auto* l = new QVBoxLayout(Step1);
        l->addWidget(step1Title);
        l->addWidget(Step1List, 1);
        l->addWidget(Step1Status);
        l->addLayout(buttonRow({Step1NextBtn, Step1HelpBtn, Step1CloseBtn}));
    }
    {
        auto* l = new QVBoxLayout(Step2);
        l->addWidget(step2Title);
        l->addWidget(step2Info);
        l->addWidget(DatabaseList, 1);
        auto* options = new QHBoxLayout;
        options->addWidget(ShowFavorites);
        options->addWidget(ShowTemplates);
        options->addStretch();
        options->addWidget(BrowseBtn);
        l->addLayout(options);
        l->addLayout(buttonRow({Step2NextBtn, Step2HelpBtn, Step2CloseBtn}));
    }
    auto pathRow = [](QLabel* caption, QLabel* path) {
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(path, 1);
        return row;
    };
    {
        auto* l = new QVBoxLayout(Step3);
        l->addWidget(step3Title);
        l->addLayout(pathRow(step3Caption, Step3Path));
        l->addWidget(Step3List, 1);
        l->addWidget(Step3Status);
        l->addLayout(buttonRow({Step3NextBtn, Step3HelpBtn, Step3CloseBtn}));
    }
    {
        auto* l = new QVBoxLayout(Step4);
        l->addWidget(step4Title);
        l->addLayout(pathRow(step4Caption, Step4Path));
        l->addWidget(Step4List, 1);
        l->addWidget(Step4Status);
        l->addLayout(buttonRow({Step4NextBtn, Step4HelpBtn, Step4CloseBtn}));
    }
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->addWidget(PageControl);
    resize(562, 335);
    PageControl->setCurrentWidget(Welcome);

    // ---- connections ----
    connect(StartBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { StartBtnClick(); }); });
    connect(Step1NextBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Step1NextBtnClick(); }); });
    connect(Step2NextBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Step2NextBtnClick(); }); });
    connect(Step3NextBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { Step3NextBtnClick(); }); });
    connect(BrowseBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [this] { BrowseBtnClick(); }); });
    for (QCheckBox* box : {ShowFavorites, ShowTemplates})
        connect(box, &QCheckBox::toggled, this, [this] { ui::RunGuarded(this, [this] { FillDatabaseList(); }); });
    connect(DatabaseList, &QTreeWidget::itemSelectionChanged, this,
            [this] { Step2NextBtn->setEnabled(!DatabaseList->selectedItems().isEmpty()); });
    for (QPushButton* help : {WelcomeHelpBtn, Step1HelpBtn, Step2HelpBtn, Step3HelpBtn, Step4HelpBtn})
        connect(help, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(kHelpContext); });
    for (QPushButton* close : {WelcomeCloseBtn, Step1CloseBtn, Step2CloseBtn, Step3CloseBtn, Step4CloseBtn})
        connect(close, &QPushButton::clicked, this, [this] { reject(); });
}

void TRepairWizard::SetRowStatus(QTreeWidgetItem* row, int status, const QString& message) {
    if (status >= 0 && size_t(status) < StatusImages.size()) row->setIcon(0, StatusImages[size_t(status)]);
    switch (status) {
    case stOK:
        row->setText(kStatusColumn, QStringLiteral("OK"));
        break;
    case stRepaired:
    case stReset:  // a path set again is a repair the row reports
        row->setText(kStatusColumn, QStringLiteral("Repaired"));
        break;
    case stError:
        row->setText(kStatusColumn, QStringLiteral("Error"));
        break;
    default:
        break;
    }
    if (!message.isNull()) {
        // A reason of several lines (each problem the verify found) shows its first line;
        // the whole reason is the row's tool tip.
        const QStringList lines = message.trimmed().split(u'\n');
        row->setText(kMessageColumn, lines.size() > 1 ? QStringLiteral("%1 (and %2 more)").arg(lines[0]).arg(lines.size() - 1)
                                                      : message);
        row->setToolTip(kMessageColumn, message);
    }
    // The row shows its state while the next check runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---- Step 1 ----

void TRepairWizard::StartBtnClick() {
    PageControl->setCurrentWidget(Step1);
    Step1NextBtn->setEnabled(false);
    Step1CloseBtn->setEnabled(false);
    Step1Status->clear();
    for (int i = 0; i < Step1List->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = Step1List->topLevelItem(i);
        row->setIcon(0, QIcon());
        row->setText(kStatusColumn, QStringLiteral("Not checked"));
        row->setText(kMessageColumn, QString());
    }
    auto row = [this](int i) { return Step1List->topLevelItem(i); };
    ui::HourglassCursor hourglass;
    bool passed = checkRegistryEntries(row(0)) && checkEngineConfiguration(row(1)) && checkProgramDirectory(row(2)) &&
                  checkLibraryDirectory(row(3));
    for (int i = 0; passed && i < kLibraryTables.size(); ++i) passed = checkLibraryTable(row(4 + i), kLibraryTables[i]);
    Step1CloseBtn->setEnabled(true);
    if (passed) {
        Step1NextBtn->setEnabled(true);
        Step1Status->setText(QStringLiteral("No problems were detected, or all detected problems have been repaired. "
                                            "Click the Next button to continue with Step 2: Select database to check."));
        return;
    }
    for (int i = 0; i < Step1List->topLevelItemCount(); ++i)
        if (row(i)->text(kStatusColumn) == QStringLiteral("Error")) {
            Step1Status->setText(QStringLiteral("The check \"%1\" failed: %2 Correct this problem, then run Check and "
                                                "Repair again.")
                                     .arg(row(i)->text(0), row(i)->text(kMessageColumn)));
            break;
        }
}

QString TRepairWizard::libraryFolder() const {
    const QString stored = core::ReadWinRegString(QStringLiteral("Paths"), QStringLiteral("LibraryPath"), QString());
    if (!stored.trimmed().isEmpty() && QFileInfo(stored).isDir()) return stored;
    return Globals().LibraryFolder;
}

bool TRepairWizard::checkRegistryEntries(QTreeWidgetItem* row) {
    SetRowStatus(row, stRunning);
    int status = stOK;
    QStringList messages;
    auto check = [&](const QString& value, const QString& folderName, const QString& current, const QString& mustHold,
                     bool holdsDatabase) {
        const QString stored = core::ReadWinRegString(QStringLiteral("Paths"), value, QString());
        if (!stored.trimmed().isEmpty() && QFileInfo(stored).isDir()) return;
        QString found;
        if (locateFolder(folderName, current, mustHold, holdsDatabase, found) &&
            core::WriteWinRegString(QStringLiteral("Paths"), value, found)) {
            if (status != stError) status = stReset;
            RepairsMade = true;
            messages << QStringLiteral("%1 set to %2.").arg(value, found);
        } else {
            status = stError;
            messages << QStringLiteral("%1: no %2 folder holding %3 was found.").arg(value, folderName, mustHold);
        }
    };
    check(QStringLiteral("LibraryPath"), QStringLiteral("Library"), Globals().LibraryFolder, core::kTemplateLibTable,
          false);
    check(QStringLiteral("TemplatePath"), QStringLiteral("Template"), Globals().TemplateFolder, QStringLiteral("Blank"),
          true);
    SetRowStatus(row, status, messages.join(u' '));
    return status != stError;
}

bool TRepairWizard::checkEngineConfiguration(QTreeWidgetItem* row) {
    SetRowStatus(row, stRunning);
    const QString folder = Globals().PrivateFolder;
    const QString name = QStringLiteral("RepairCheck.DB");
    QString reason;
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir()) {
        reason = QStringLiteral("The private folder \"%1\" does not exist.").arg(folder);
    } else {
        try {
            db::Table table;
            table.SetDatabaseName(folder);
            table.SetTableName(name);
            if (table.Exists()) table.DeleteTable();
            table.FieldDefs() = {{QStringLiteral("ID"), db::FieldType::ftInteger, 0, true},
                                 {QStringLiteral("Text"), db::FieldType::ftString, 40, false}};
            table.IndexDefs() = {{QString(), QStringLiteral("ID"), db::IndexOption::ixPrimary}};
            table.CreateTable();
            const QString written = QStringLiteral("Check and Repair");
            table.Open();
            table.Append();
            table.FieldByName(QStringLiteral("ID"))->SetAsInteger(1);
            table.FieldByName(QStringLiteral("Text"))->SetAsString(written);
            table.Post();
            table.Close();
            table.Open();
            table.First();
            const bool readBack = !table.Eof() && table.FieldByName(QStringLiteral("Text"))->AsString() == written;
            table.Close();
            QString error;
            if (!readBack)
                reason = QStringLiteral("A row written to a table in \"%1\" could not be read back.").arg(folder);
            else if (!services::VerifyTable(table, error))
                reason = error;
        } catch (const std::exception& e) {
            reason = textOf(e);
        }
        try {
            db::DeleteTableFile(folder, name);
        } catch (const std::exception&) {
        }
    }
    if (!reason.isEmpty()) {
        SetRowStatus(row, stError, reason);
        return false;
    }
    SetRowStatus(row, stOK, QString());
    return true;
}

bool TRepairWizard::checkProgramDirectory(QTreeWidgetItem* row) {
    SetRowStatus(row, stRunning);
    const TGlobals& g = Globals();
    QString reason;
    const QDir program(g.ProgramFolder);
    if (g.ProgramFolder.isEmpty() || !program.exists() || !program.isReadable() ||
        (program.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty() &&
         !QFileInfo(g.ProgramFolder).isReadable()))
        reason = QStringLiteral("The program folder \"%1\" cannot be read.").arg(g.ProgramFolder);
    else if (!canWriteIn(g.NetworkFolder))
        reason = QStringLiteral("The network folder \"%1\" cannot be written.").arg(g.NetworkFolder);
    else if (!canWriteIn(g.PrivateFolder))
        reason = QStringLiteral("The private folder \"%1\" cannot be written.").arg(g.PrivateFolder);
    if (!reason.isEmpty()) {
        SetRowStatus(row, stError, reason);
        return false;
    }
    SetRowStatus(row, stOK, QString());
    return true;
}

bool TRepairWizard::checkLibraryDirectory(QTreeWidgetItem* row) {
    SetRowStatus(row, stRunning);
    const QString folder = libraryFolder();
    QString reason;
    if (!QFileInfo(folder).isDir()) {
        reason = QStringLiteral("The library folder \"%1\" does not exist.").arg(folder);
    } else {
        QStringList missing, readOnly;
        for (const QString& table : kLibraryTables) {
            const QString file = findFile(folder, table);
            if (file.isEmpty()) {
                missing << table;
                continue;
            }
            QFile f(QDir(folder).filePath(file));
            if (!f.open(QIODevice::ReadWrite)) readOnly << table;
        }
        if (!missing.isEmpty())
            reason = QStringLiteral("The library folder \"%1\" does not hold %2.").arg(folder, missing.join(QStringLiteral(", ")));
        else if (!readOnly.isEmpty())
            reason = QStringLiteral("%1 cannot be written.").arg(readOnly.join(QStringLiteral(", ")));
        else if (!canWriteIn(folder))
            reason = QStringLiteral("The library folder \"%1\" cannot be written.").arg(folder);
    }
    if (!reason.isEmpty()) {
        SetRowStatus(row, stError, reason);
        return false;
    }
    SetRowStatus(row, stOK, QString());
    return true;
}

bool TRepairWizard::checkLibraryTable(QTreeWidgetItem* row, const QString& tableName) {
    SetRowStatus(row, stRunning);
    const QString folder = libraryFolder();
    db::Table table;
    table.SetDatabaseName(folder);
    table.SetTableName(findFile(folder, tableName));
    QString reason, indexText;
    bool sound = services::VerifyTable(table, reason);
    if (sound) {
        try {
            sound = services::CheckTableIndexes(table, reason, indexText);
            if (!sound) reason = QStringLiteral("Index %1: %2").arg(indexText, reason);
        } catch (const std::exception& e) {
            sound = false;
            reason = textOf(e);
        }
    }
    SetRowStatus(row, sound ? stOK : stError, sound ? QString() : reason);
    return sound;
}

// ---- Step 2 ----

void TRepairWizard::Step1NextBtnClick() {
    FillDatabaseList();
    PageControl->setCurrentWidget(Step2);
    Step2CloseBtn->setEnabled(true);
    Step2NextBtn->setEnabled(!DatabaseList->selectedItems().isEmpty());
}

void TRepairWizard::FillDatabaseList() {
    DatabaseList->clear();
    const QString mostRecent = Hooks.MostRecent ? Hooks.MostRecent().trimmed().toUpper() : QString();
    // The recent-file list stores its count as decimal text.
    const int recent =
        core::ReadWinRegString(QStringLiteral("RecentFiles"), QStringLiteral("Num"), QStringLiteral("0")).trimmed().toInt();
    for (int i = 1; i <= recent; ++i) {
        const QString path = core::ReadWinRegString(QStringLiteral("RecentFiles"), QStringLiteral("File%1").arg(i), QString());
        if (path.trimmed().isEmpty()) continue;
        const bool most = !mostRecent.isEmpty() && path.trimmed().toUpper() == mostRecent;
        new QTreeWidgetItem(DatabaseList, {path, most ? QStringLiteral("Most Recent") : QStringLiteral("Recent")});
    }
    if (ShowFavorites->isChecked()) {
        const int count = core::ReadWinRegInt(QStringLiteral("Favorites"), QStringLiteral("Count"), 0);
        for (int i = 1; i <= count; ++i) {
            const QString name = core::ReadWinRegString(QStringLiteral("Favorites"), QStringLiteral("Name%1").arg(i), QString());
            const QString path = core::ReadWinRegString(QStringLiteral("Favorites"), QStringLiteral("Path%1").arg(i), QString());
            if (name.trimmed().isEmpty() || path.trimmed().isEmpty()) continue;
            new QTreeWidgetItem(DatabaseList, {path, QStringLiteral("Favorite: ") + name});
        }
    }
    if (ShowTemplates->isChecked()) addTemplateRows();
    if (DatabaseList->topLevelItemCount() > 0) DatabaseList->setCurrentItem(DatabaseList->topLevelItem(0));
    Step2NextBtn->setEnabled(!DatabaseList->selectedItems().isEmpty());
}

void TRepairWizard::addTemplateRows() {
    auto addRows = [this](db::Table& table) {
        table.SetIndexName(QStringLiteral("Name"));
        for (table.First(); !table.Eof(); table.Next())
            new QTreeWidgetItem(DatabaseList, {templatePath(table.FieldByName(QStringLiteral("Path"))->AsString()),
                                               QStringLiteral("Template: ") +
                                                   table.FieldByName(QStringLiteral("Name"))->AsString()});
    };
    try {
        if (Hooks.Data) {
            TMainDataMod& data = *Hooks.Data;
            const bool connected = data.LibraryDB->Connected();
            if (!connected) data.ConnectLibrary(libraryFolder());
            const bool wasOpen = data.TemplateLib->Active();
            data.OpenTemplateLib();
            const QString index = data.TemplateLib->IndexName();
            addRows(*data.TemplateLib);
            data.TemplateLib->SetIndexName(index);
            if (!wasOpen) data.TemplateLib->Close();
            if (!connected) data.DisconnectLibrary();
            return;
        }
        const QString folder = libraryFolder();
        db::Table table;
        table.SetDatabaseName(folder);
        table.SetTableName(findFile(folder, core::kTemplateLibTable));
        table.SetReadOnly(true);
        table.Open();
        addRows(table);
    } catch (const std::exception& e) {
        // A damaged or missing template library leaves the other rows; Step 1 names the fault.
        new QTreeWidgetItem(DatabaseList, {QString(), QStringLiteral("Templates: ") + textOf(e)});
    }
}

void TRepairWizard::BrowseBtnClick() {
    QString folder;
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Browse for database"), folder, last, true)) return;
    Globals().LastFolder = last;
    if (!core::IsDatabaseFolder(folder)) {
        ui::Message(QStringLiteral("The database directory \"%1\" does not exist, or is missing required files.").arg(folder),
                    ui::MessageKind::Error, ui::Button::Ok);
        return;
    }
    auto* row = new QTreeWidgetItem(DatabaseList, {folder, QStringLiteral("Chosen folder")});
    DatabaseList->setCurrentItem(row);
    DatabaseList->scrollToItem(row);
}

// ---- Step 3 ----

void TRepairWizard::Step2NextBtnClick() {
    const QList<QTreeWidgetItem*> selected = DatabaseList->selectedItems();
    if (selected.isEmpty()) return;
    PageControl->setCurrentWidget(Step3);
    m_folder = withoutSlash(selected.first()->text(0).trimmed());
    Step3Path->setText(m_folder);
    Step3NextBtn->setEnabled(false);
    Step3CloseBtn->setEnabled(false);
    Step3Status->clear();
    Step3List->clear();

    const QStringList files = QDir(m_folder).entryList({QStringLiteral("*.db")}, QDir::Files | QDir::Hidden | QDir::System,
                                                       QDir::Name);
    std::map<QString, QTreeWidgetItem*> rows;
    for (const QString& file : files)
        rows[file] = addCheckRow(Step3List, QStringLiteral("Table \"") + file + QStringLiteral("\" indexes"));
    QTreeWidgetItem* registryRow = addCheckRow(Step3List, QStringLiteral("Registry table indexes"));

    ui::HourglassCursor hourglass;
    services::TRepairLog log = services::TRepairLog::InFile(LogFileName);
    std::optional<services::TTableCheck> registry;
    const std::vector<services::TTableCheck> checks = services::CheckDatabaseTables(
        m_folder, log, LogCounter,
        [&](const services::TTableCheck& check) {
            if (check.FileName.compare(core::kSettingsTableName, Qt::CaseInsensitive) == 0) registry = check;
            if (auto it = rows.find(check.FileName); it != rows.end())
                SetRowStatus(it->second, check.Sound ? stOK : stError, check.Reason);
        },
        [&](const QString& file) {
            if (auto it = rows.find(file); it != rows.end()) SetRowStatus(it->second, stRunning);
        });
    if (!QFileInfo(m_folder).isDir())
        SetRowStatus(registryRow, stError, QStringLiteral("The folder \"%1\" does not exist.").arg(m_folder));
    else if (!registry)
        SetRowStatus(registryRow, stError, QStringLiteral("The folder holds no settings table (%1).").arg(core::kSettingsTableName));
    else
        SetRowStatus(registryRow, registry->Sound ? stOK : stError, registry->Reason);

    int damaged = 0;
    for (const services::TTableCheck& c : checks) damaged += c.Sound ? 0 : 1;
    if (log.Written())
        Step3Status->setText(QStringLiteral("%1 damaged table(s) found. What was found is written to the repair log "
                                            "\"%2\".")
                                 .arg(damaged)
                                 .arg(QDir::toNativeSeparators(LogFileName)));
    else if (registryRow->text(kStatusColumn) == QStringLiteral("Error"))
        Step3Status->setText(QStringLiteral("This folder holds no database. Click Close, or go on to Step 4."));
    else
        Step3Status->setText(QStringLiteral("All %1 tables are sound. Click the Next button to continue with Step 4: "
                                            "Check the Search Indexes and Report Dictionary.")
                                 .arg(checks.size()));
    Step3NextBtn->setEnabled(true);
    Step3CloseBtn->setEnabled(true);
}

// ---- Step 4 ----

void TRepairWizard::Step3NextBtnClick() {
    PageControl->setCurrentWidget(Step4);
    Step4Path->setText(m_folder);
    Step4NextBtn->setEnabled(false);
    Step4CloseBtn->setEnabled(false);
    Step4Status->clear();
    struct EnableClose {
        QPushButton* close;
        ~EnableClose() { close->setEnabled(true); }
    } enableClose{Step4CloseBtn};
    if (checkSupportTables()) {
        Step4Status->setText(QStringLiteral("The search indexes and the report dictionary are sound. Click Close to "
                                            "end the Check and Repair wizard."));
        return;
    }
    if (Step4List->topLevelItemCount() == 1 && Step4List->topLevelItem(0)->text(0) == QStringLiteral("View definitions")) {
        Step4Status->setText(QStringLiteral("The View definitions of this database cannot be read, so its search "
                                            "indexes cannot be checked."));
        return;
    }
    if (ui::Message(QStringLiteral("Some search indexes or report dictionary tables of this database are missing or "
                                   "damaged.\nDo you want to rebuild them now? The rebuild can take some time."),
                    ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No) != ui::Button::Yes) {
        Step4Status->setText(QStringLiteral("The search indexes and the report dictionary were not rebuilt."));
        return;
    }
    rebuildSupportTables();
    const bool sound = checkSupportTables();
    Step4Status->setText(sound ? QStringLiteral("The search indexes and the report dictionary have been rebuilt. Click "
                                                "Close to end the Check and Repair wizard.")
                               : QStringLiteral("The rebuild did not repair every table; the rows above say why."));
}

bool TRepairWizard::checkSupportTables() {
    // A row that was not sound before and is now shows "Repaired".
    QStringList failedBefore;
    for (int i = 0; i < Step4List->topLevelItemCount(); ++i)
        if (Step4List->topLevelItem(i)->text(kStatusColumn) == QStringLiteral("Error"))
            failedBefore << Step4List->topLevelItem(i)->text(0);
    Step4List->clear();
    std::vector<SupportTable> tables;
    try {
        tables = supportTablesOf(m_folder);
    } catch (const std::exception& e) {
        SetRowStatus(addCheckRow(Step4List, QStringLiteral("View definitions")), stError, textOf(e));
        return false;
    }
    bool sound = true;
    for (const SupportTable& t : tables) {
        QTreeWidgetItem* row = addCheckRow(Step4List, t.Caption);
        SetRowStatus(row, stRunning);
        QString reason;
        if (checkSupportTable(m_folder, t, reason))
            SetRowStatus(row, failedBefore.contains(t.Caption) ? stRepaired : stOK, QString());
        else {
            SetRowStatus(row, stError, reason);
            sound = false;
        }
    }
    return sound;
}

void TRepairWizard::rebuildSupportTables() {
    ui::HourglassCursor hourglass;
    RepairsMade = true;
    // The tables the rebuild cannot open are made again first: a word table from its record
    // table, a dictionary table empty (the full rebuild then fills it).
    for (const SupportTable& t : supportTablesOf(m_folder)) {
        QString reason;
        if (checkSupportTable(m_folder, t, reason)) continue;
        ui::RunGuarded(this, [&] {
            const QString existing = findFile(m_folder, t.FileName);
            if (!existing.isEmpty()) db::DeleteTableFile(m_folder, existing);
            if (t.RecordTable.isEmpty()) {
                db::Table table;
                table.SetDatabaseName(m_folder);
                table.SetTableName(t.FileName);
                table.FieldDefs() = t.Definition.Fields;
                table.IndexDefs() = t.Definition.Indexes;
                table.CreateTable();
            } else {
                const QString records = findFile(m_folder, t.RecordTable);
                QStringList fields = t.Fields;
                if (fields.isEmpty()) fields = core::TextFieldNames(db::ReadTableDef(m_folder, records));
                core::BuildWordIndex(m_folder, records, t.FileName, fields);
            }
        });
    }
    if (Hooks.FullRebuild) Hooks.FullRebuild(m_folder);
}

// ---- running ----

void RunRepairWizard(TMainForm& mainForm, bool FromCommandLine) {
    if (Globals().DatabaseOpen) {
        if (ui::Message(QStringLiteral("Repairs cannot be done while a database is open.\nDo you want to close the "
                                       "database and continue with repairs?"),
                        ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No) != ui::Button::Yes)
            return;
        mainForm.CloseDatabase(true);
        if (Globals().DatabaseOpen) return;  // refused: a View holds unsaved changes
    }
    auto wizard = std::make_unique<TRepairWizard>(&mainForm);
    wizard->LogFileName = services::TRepairLog(Globals().ProgramFolder).FileName();
    wizard->LogCounter = 0;
    wizard->RepairsMade = false;
    wizard->Hooks.MostRecent = mainForm.RecentMostRecent;
    wizard->Hooks.Data = mainForm.DataModule();
    QPointer<TMainForm> form(&mainForm);
    wizard->Hooks.FullRebuild = [form](const QString& folder) {
        if (!form || !form->OpenDatabase(folder)) return false;
        if (core::Customize().FullRebuild) core::Customize().FullRebuild();
        if (form) form->CloseDatabase(true);
        return true;
    };
    ui::ExecModal(*wizard);
    if (FromCommandLine || wizard->RepairsMade) {
        ui::Message(QStringLiteral("Dossara must be restarted for the repairs to take effect. \nThe program will shut "
                                   "down now.\nYou can run Dossara again immediately."),
                    ui::MessageKind::Information, ui::Button::Ok);
        mainForm.close();
    }
}

void InstallRepairWizard(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("RepairFromCommandLine"), [form] {
        if (form) RunRepairWizard(*form, true);
    });
}
