#include "core/gui/qs_make.h"

#include "core/gui/action_icons.h"
#include "core/file_helpers.h"
#include "core/globals.h"
#include "core/gui/form_helpers.h"
#include "core/log.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/search_data.h"
#include "core/settings_store.h"
#include "core/tessick_lib.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "fulltext/errors.h"
#include "fulltext/gui/progress_dialog.h"
#include "fulltext/gui/progress_dlg.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace core {

QString DefaultWordDelimiterText() {
    return QStringLiteral(" ,.;:?![]{}()<>/+-*=\\|_&#%$@^^~`\"'^M^J^I");
}

}  // namespace core

namespace {

const QString kSection = QStringLiteral("Preferences");
const QString kKey1 = QStringLiteral("QuickSearch");
const QString kKey2 = QStringLiteral("BuildOption");

/// The user pressed Cancel in the progress window while an index was built.
struct BuildCancelled {};

/// The index maker of the window: a Cancel in the progress window (the engine's Halt) makes
/// the next record fail the build, so the words link abandons the new word table instead of
/// putting an index of part of the records in place.
class CancellableMake : public TtsMake {
public:
    using TtsMake::TtsMake;
    void Halt() override { m_cancelRequested = true; }
    void SetRecord(int n) override {
        if (m_cancelRequested) throw BuildCancelled{};
        TtsMake::SetRecord(n);
    }
    bool CancelRequested() const { return m_cancelRequested; }
    void ClearCancel() { m_cancelRequested = false; }

private:
    bool m_cancelRequested = false;
};

}  // namespace

TQSMake::TQSMake(TSearchData& search, QWidget* owner) : QDialog(owner), m_search(search) {
    setObjectName(QStringLiteral("QSMake"));
    setWindowTitle(QStringLiteral("Search Index Build"));

    Maker = new CancellableMake(this);
    Maker->setObjectName(QStringLiteral("Maker"));
    tsCache = new TtsCache(this);
    tsCache->setObjectName(QStringLiteral("tsCache"));
    tsCache->SetAltMemMgr(true);
    tsCache->SetMemoryLimit(4000);
    Maker->SetCache(tsCache);
    Maker->SetFirstSegment(0);
    Maker->SetSegmentSize(2147483647);
    Maker->SetCounterLimit(0);
    Maker->SetWordDelims(core::DefaultWordDelimiterText());
    MakeProgress = new TtsProgressDialog(this);
    MakeProgress->setObjectName(QStringLiteral("MakeProgress"));
    MakeProgress->SetExpanded(true);
    MakeProgress->SetEngine(Maker);

    auto* toolbar = ui::Make<QToolBar>(this, "ToolBar");
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto action = [&](const char* name, const QString& caption, const QString& hint, const QKeySequence& key,
                      const char* icon) { return core::MakeToolAction(this, toolbar, name, caption, hint, key, icon); };
    A_Build = action("A_Build", QStringLiteral("&Build"), QStringLiteral("Build indexes"),
                     QKeySequence(Qt::CTRL | Qt::Key_B), "system-run");
    A_Close = action("A_Close", QStringLiteral("&Close"), QStringLiteral("Cancel the index build"), {}, "window-close");
    A_Help = action("A_Help", QStringLiteral("&Help"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1), "help-browser");

    PageControl = ui::Make<QTabWidget>(this, "PageControl");
    // Build page.
    auto* buildPage = ui::Make<QWidget>(PageControl, "BuildPage");
    auto* buildText = ui::Make<QLabel>(buildPage, "BuildText",
                                       QStringLiteral("This option will rebuild all of the search indexes for your data. "
                                                      "This can take some time to complete. You only need to do this if "
                                                      "you are having problems with searching. If you want to build the "
                                                      "indexes now, click the Build button below."));
    buildText->setWordWrap(true);
    auto* buildLayout = new QVBoxLayout(buildPage);
    buildLayout->addWidget(buildText);
    buildLayout->addWidget(toolbar);
    buildLayout->addStretch();
    PageControl->addTab(buildPage, QStringLiteral("Build"));

    // Options page.
    auto* optionsPage = ui::Make<QWidget>(PageControl, "OptionsPage");
    auto* skipGroup = ui::Make<QGroupBox>(optionsPage, "SkipGroup", QStringLiteral("Skip words..."));
    skipGroup->setProperty("HelpContext", 190007);
    SkipTrashKeyWords = ui::Make<QCheckBox>(skipGroup, "SkipTrashKeyWords", QStringLiteral("...that are in the Trash Keyword table"));
    SkipNumericStartWords = ui::Make<QCheckBox>(skipGroup, "SkipNumericStartWords", QStringLiteral("...that start with a number"));
    SkipNoVowelWords = ui::Make<QCheckBox>(skipGroup, "SkipNoVowelWords", QStringLiteral("...that have no vowels"));
    SkipMinLengthWords = ui::Make<QCheckBox>(skipGroup, "SkipMinLengthWords", QStringLiteral("...that are less than"));
    MinimumWordLength = ui::Make<QSpinBox>(skipGroup, "MinimumWordLength");
    MinimumWordLength->setRange(1, 99);
    auto* charsLabel = ui::Make<QLabel>(skipGroup, "CharsLabel", QStringLiteral("characters long"));
    for (QCheckBox* hidden : {SkipTrashKeyWords, SkipNumericStartWords, SkipNoVowelWords}) hidden->hide();
    auto* skipLayout = new QHBoxLayout(skipGroup);
    skipLayout->addWidget(SkipMinLengthWords);
    skipLayout->addWidget(MinimumWordLength);
    skipLayout->addWidget(charsLabel);
    skipLayout->addStretch();

    auto* advanced = ui::Make<QGroupBox>(optionsPage, "AdvancedGroup", QStringLiteral("Advanced Settings"));
    advanced->setProperty("HelpContext", 190012);
    auto* advancedLayout = new QGridLayout(advanced);
    struct TextBox {
        QLineEdit** box;
        const char* name;
        const char* caption;
        const char* hint;
        int help;
    };
    const TextBox boxes[] = {
        {&WordDelimiters, "WordDelimiters", "Word delimiters", "Set word delimiters to default", 190008},
        {&AlphaCharacters, "AlphaCharacters", "Alpha characters", "Set alpha characters to default", 190009},
        {&NumericCharacters, "NumericCharacters", "Numeric characters", "Set numeric characters to default", 190010},
        {&VowelCharacters, "VowelCharacters", "Vowel characters", "Set vowel characters to default", 190011}};
    int row = 0;
    for (const TextBox& b : boxes) {
        *b.box = ui::Make<QLineEdit>(advanced, b.name);
        (*b.box)->setProperty("HelpContext", b.help);
        auto* label = ui::Make<QLabel>(advanced, (QByteArray(b.name) + "Label").constData(), QLatin1String(b.caption));
        label->setBuddy(*b.box);
        auto* button = ui::Make<QPushButton>(advanced, (QByteArray(b.name) + "Default").constData(), QStringLiteral("Default"));
        button->setToolTip(QLatin1String(b.hint));
        advancedLayout->addWidget(label, row, 0);
        advancedLayout->addWidget(*b.box, row, 1);
        advancedLayout->addWidget(button, row, 2);
        ++row;
    }
    auto* optionsLayout = new QVBoxLayout(optionsPage);
    optionsLayout->addWidget(skipGroup);
    optionsLayout->addWidget(advanced);
    optionsLayout->addStretch();
    PageControl->addTab(optionsPage, QStringLiteral("Options"));

    // Statistics page.
    auto* statsPage = ui::Make<QWidget>(PageControl, "StatisticsPage");
    statsPage->setProperty("HelpContext", 190013);
    StatisticsList = ui::Make<QTreeWidget>(statsPage, "StatisticsList");
    StatisticsList->setRootIsDecorated(false);
    StatisticsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    StatisticsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StatisticsList->setHeaderLabels({QStringLiteral("View Name"), QStringLiteral("Index Words"), QStringLiteral("Disk Used (KB)")});
    StatisticsList->header()->resizeSection(0, 270);
    StatisticsList->header()->resizeSection(1, 86);
    StatisticsList->header()->resizeSection(2, 105);
    StatisticsList->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    StatisticsList->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    TotalWordsLabel = ui::Make<QLabel>(statsPage, "TotalWordsLabel");
    TotalDiskLabel = ui::Make<QLabel>(statsPage, "TotalDiskLabel");
    auto* statsLayout = new QVBoxLayout(statsPage);
    statsLayout->addWidget(StatisticsList);
    statsLayout->addWidget(TotalWordsLabel);
    statsLayout->addWidget(TotalDiskLabel);
    PageControl->addTab(statsPage, QStringLiteral("Statistics"));

    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addWidget(StatusBar);
    resize(480, 320);

    // Connections.
    connect(A_Build, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] { Build(false); });
    });
    connect(A_Close, &QAction::triggered, this, [this] { reject(); });
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(190000); });
    auto writeBool = [](QCheckBox* box, const char* variable) {
        QObject::connect(box, &QCheckBox::clicked, box, [box, variable](bool checked) {
            ui::RunGuarded(box, [&] { core::WriteRegBool(kSection, kKey1, kKey2, QLatin1String(variable), checked); });
        });
    };
    writeBool(SkipTrashKeyWords, "SkipTrashKeyWords");
    writeBool(SkipNumericStartWords, "SkipNumericStartWords");
    writeBool(SkipNoVowelWords, "SkipNoVowelWords");
    connect(SkipMinLengthWords, &QCheckBox::clicked, this, [this](bool checked) {
        ui::RunGuarded(this, [&] {
            core::WriteRegBool(kSection, kKey1, kKey2, QStringLiteral("SkipMinLengthWords"), checked);
            core::WriteRegInt(kSection, kKey1, kKey2, QStringLiteral("MinimumWordLength"), MinimumWordLength->value());
            MinimumWordLength->setEnabled(checked);
        });
    });
    connect(MinimumWordLength, &QSpinBox::editingFinished, this, [this] {
        ui::RunGuarded(this, [&] {
            core::WriteRegInt(kSection, kKey1, kKey2, QStringLiteral("MinimumWordLength"), MinimumWordLength->value());
            core::WriteRegBool(kSection, kKey1, kKey2, QStringLiteral("SkipMinLengthWords"), SkipMinLengthWords->isChecked());
        });
    });
    /// A character-list box with the settings variable it is stored under and its default.
    struct CharacterBox {
        QLineEdit* box;
        const char* variable;
        QString def;
    };
    const CharacterBox texts[] = {
        {WordDelimiters, "WordDelimiters", core::DefaultWordDelimiterText()},
        {AlphaCharacters, "AlphaCharacters", core::IndexBuildOptions{}.AlphaCharacters},
        {NumericCharacters, "NumericCharacters", core::IndexBuildOptions{}.NumericCharacters},
        {VowelCharacters, "VowelCharacters", core::IndexBuildOptions{}.VowelCharacters}};
    for (const auto& text : texts) {
        // Named copies: a lambda cannot capture a structured binding in clang before 16.
        QLineEdit* const box = text.box;
        const char* const variable = text.variable;
        const QString def = text.def;
        connect(box, &QLineEdit::editingFinished, this,
                [this, box, variable, def] { ui::RunGuarded(this, [&] { leaveTextBox(box, variable, def); }); });
        auto* button = findChild<QPushButton*>(box->objectName() + QStringLiteral("Default"));
        connect(button, &QPushButton::clicked, this, [this, box, variable, def] {
            ui::RunGuarded(this, [&] {
                box->setText(def);
                core::WriteRegString(kSection, kKey1, kKey2, QLatin1String(variable), def);
            });
        });
    }
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl->widget(index)->objectName() == QLatin1String("StatisticsPage"))
            ui::RunGuarded(this, [&] { ShowStatistics(); });
    });
}

TQSMake::~TQSMake() { MakeProgress->SetEngine(nullptr); }

void TQSMake::leaveTextBox(QLineEdit* box, const char* variable, const QString& defaultText) {
    if (box->text().trimmed().isEmpty())
        box->setText(core::ReadRegString(kSection, kKey1, kKey2, QLatin1String(variable), defaultText));
    else
        core::WriteRegString(kSection, kKey1, kKey2, QLatin1String(variable), box->text());
}

void TQSMake::LoadOptions() {
    const core::IndexBuildOptions d;
    auto rb = [](const char* v, bool def) { return core::ReadRegBool(kSection, kKey1, kKey2, QLatin1String(v), def); };
    auto rs = [](const char* v, const QString& def) {
        const QString s = core::ReadRegString(kSection, kKey1, kKey2, QLatin1String(v), def);
        return s.trimmed().isEmpty() ? def : s;
    };
    SkipTrashKeyWords->setChecked(rb("SkipTrashKeyWords", d.SkipTrashKeyWords));
    SkipNumericStartWords->setChecked(rb("SkipNumericStartWords", d.SkipNumericStartWords));
    SkipNoVowelWords->setChecked(rb("SkipNoVowelWords", d.SkipNoVowelWords));
    SkipMinLengthWords->setChecked(rb("SkipMinLengthWords", d.SkipMinLengthWords));
    const int length = core::ReadRegInt(kSection, kKey1, kKey2, QStringLiteral("MinimumWordLength"), d.MinimumWordLength);
    MinimumWordLength->setValue(length >= 1 && length <= 99 ? length : d.MinimumWordLength);
    MinimumWordLength->setEnabled(SkipMinLengthWords->isChecked());
    WordDelimiters->setText(rs("WordDelimiters", core::DefaultWordDelimiterText()));
    AlphaCharacters->setText(rs("AlphaCharacters", d.AlphaCharacters));
    NumericCharacters->setText(rs("NumericCharacters", d.NumericCharacters));
    VowelCharacters->setText(rs("VowelCharacters", d.VowelCharacters));
}

void TQSMake::SaveOptions() {
    auto wb = [](const char* v, const QCheckBox* box) {
        core::WriteRegBool(kSection, kKey1, kKey2, QLatin1String(v), box->isChecked());
    };
    wb("SkipTrashKeyWords", SkipTrashKeyWords);
    wb("SkipNumericStartWords", SkipNumericStartWords);
    wb("SkipNoVowelWords", SkipNoVowelWords);
    wb("SkipMinLengthWords", SkipMinLengthWords);
    if (!MinimumWordLength->text().trimmed().isEmpty())
        core::WriteRegInt(kSection, kKey1, kKey2, QStringLiteral("MinimumWordLength"), MinimumWordLength->value());
    const std::pair<const char*, QLineEdit*> texts[] = {{"WordDelimiters", WordDelimiters},
                                                        {"AlphaCharacters", AlphaCharacters},
                                                        {"NumericCharacters", NumericCharacters},
                                                        {"VowelCharacters", VowelCharacters}};
    for (const auto& [v, box] : texts)
        if (!box->text().trimmed().isEmpty()) core::WriteRegString(kSection, kKey1, kKey2, QLatin1String(v), box->text());
}

void TQSMake::setStatus(const QString& text) {
    if (!m_silent) StatusBar->showMessage(text);
}

bool TQSMake::buildIndex(const QString& tableFile, const QString& dictFile, const QStringList& fields) {
    const QString folder = Globals().CurrentFolder;
    db::Table records;
    records.SetDatabaseName(folder);
    records.SetTableName(tableFile);
    records.SetReadOnly(true);
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(dictFile);
    TtsMakeTextTableLink text;
    text.SetTable(&records);
    text.SetFieldNames(fields);
    text.SetIndexFieldName(QStringLiteral("NodeID"));
    text.OnMinIndex = [](QObject*) { return 0; };  // TextTableLinkMinIndex
    TSearchData::BindProcessField(&text);
    TtsMakeWordsTableLink wordLink;
    wordLink.SetTable(&words);
    wordLink.SetBlobFieldSize(0);
    wordLink.SetBytesFieldSize(0);
    wordLink.SetCharFieldSize(0);
    wordLink.SetReverseField(false);
    wordLink.SetTransactions(0);
    auto* maker = static_cast<CancellableMake*>(Maker);
    maker->SetTextLink(&text);
    maker->SetWordsLink(&wordLink);
    maker->SetMinWordLen(MinimumWordLength->value());
    maker->SetWordDelims(WordDelimiters->text().isEmpty() ? core::DefaultWordDelimiterText() : WordDelimiters->text());
    struct Unlink {
        TtsMake* maker;
        ~Unlink() {
            maker->SetTextLink(nullptr);
            maker->SetWordsLink(nullptr);
        }
    } unlink{maker};
    try {
        maker->Execute();
        return true;
    } catch (const BuildCancelled&) {
        m_cancelled = true;
        return false;
    } catch (const ETessick& e) {
        QString numberText, messageText;
        int help = 0;
        if (!core::GetSearchErrorText(e.ErrorCode(), numberText, messageText, help)) throw;
        ui::Message(QStringLiteral("An error has occurred in while rebuilding the search indexes. The error is: \n\n[") +
                        numberText + QStringLiteral("] ") + messageText +
                        QStringLiteral(".\n\nShut down and restart Dossara before trying the rebuild again. Press F1 "
                                       "for more help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10073);
        return false;
    }
}

bool TQSMake::Build(bool silent) {
    m_silent = silent;
    m_cancelled = false;
    static_cast<CancellableMake*>(Maker)->ClearCancel();
    ui::HourglassCursor hourglass;
    SaveOptions();
    TViewControl* views = m_search.Views;
    core::ViewTables* tables = m_search.Tables;
    bool success = false;
    m_success = false;
    struct Reopen {
        TQSMake* self;
        TSearchData& search;
        ~Reopen() {
            try {
                if (search.Tables) {
                    search.ReloadSearchIndexes();
                    search.Tables->OpenDictTables();
                } else {
                    search.ReloadSearchIndexes();
                    if (!search.Data().HierarchyDict->Active()) search.Data().HierarchyDict->Open();
                }
            } catch (const std::exception& e) {
                qCWarning(lcCore) << "Reopening the word tables failed:" << e.what();
            }
            self->setStatus(self->Cancelled() ? QStringLiteral("Build cancelled") : QStringLiteral("Build complete"));
        }
    } reopen{this, m_search};
    if (tables) tables->CloseDictTables();
    else if (m_search.Data().HierarchyDict->Active()) m_search.Data().HierarchyDict->Close();

    setStatus(QStringLiteral("Building indexes for Hierarchy"));
    success = buildIndex(core::kHierarchyTable, core::kHierarchyDictTable, {QStringLiteral("NodeName")});
    if (success && views) {
        for (int v = 0; v < views->GetViewCount(); ++v) {
            if (!views->GetViewIsSearchable(v) || !views->GetViewTable(v)) continue;
            setStatus(QStringLiteral("Building indexes for ") + views->GetViewName(v));
            QApplication::processEvents();
            const QString name = views->GetViewTableName(v);
            const QString tableFile = core::ViewTableFile(name);
            const db::TableDef def = db::ReadTableDef(Globals().CurrentFolder, tableFile);
            success = buildIndex(tableFile, core::ViewDictTableFile(name), core::TextFieldNames(def));
            if (!success) break;
        }
    }
    m_success = success;
    return success;
}

void TQSMake::ShowStatistics() {
    StatisticsList->clear();
    qint64 totalWords = 0, totalKb = 0;
    TViewControl* views = m_search.Views;
    const QString folder = Globals().CurrentFolder;
    for (int v = 0; views && v < views->GetViewCount(); ++v) {
        db::Table* dict = views->GetViewDictTable(v);
        if (!dict) continue;
        if (!views->IsViewDictTableOpen(v) && !(m_search.Tables && m_search.Tables->OpenViewDictTable(v))) continue;
        if (!views->IsViewDictTableOpen(v)) continue;
        const qint64 count = dict->RecordCount();
        QString base = dict->TableName();
        if (base.contains(u'.')) base = base.left(base.indexOf(u'.'));
        const qint64 kb = core::GetFilesSize(QDir(folder).filePath(base + QStringLiteral(".*"))) / 1024;
        auto* item = new QTreeWidgetItem(StatisticsList);
        item->setText(0, views->GetViewName(v));
        const QImage icon = views->GetViewSmallIcon(v);
        if (!icon.isNull()) item->setIcon(0, QIcon(QPixmap::fromImage(icon)));
        item->setText(1, QString::number(count));
        item->setText(2, QString::number(kb));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        totalWords += count;
        totalKb += kb;
    }
    TotalWordsLabel->setText(QStringLiteral("Total index words: ") + QString::number(totalWords));
    TotalDiskLabel->setText(QStringLiteral("Total disk space: ") + QString::number(totalKb) + QStringLiteral(" KB"));
}

void TQSMake::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LoadOptions();
    PageControl->setCurrentIndex(0);
}

void TQSMake::closeEvent(QCloseEvent* event) {
    core::FocusNextControl(this);
    ui::RunGuarded(this, [&] { SaveOptions(); });
    QDialog::closeEvent(event);
}

namespace core {

bool RunIndexBuild(TSearchData& search, QWidget* owner, bool silent) {
    TQSMake window(search, owner);
    if (silent) {
        window.LoadOptions();
        window.MakeProgress->SetEngine(nullptr);
        return window.Build(true);
    }
    ui::ExecModal(window);
    window.SaveOptions();
    return window.LastSuccess();
}

}  // namespace core
