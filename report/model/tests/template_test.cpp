// Templates: files and table fields, binary and text forms, offsets, old versions, reading
// errors and failed loads; report modules loaded and saved through them.

#include "report/model/db_pipeline.h"
#include "report/model/errors.h"
#include "report/model/module.h"
#include "report/model/template.h"
#include "report/model/template_adapters.h"

#include "report/model/tests/pipeline_fixture.h"

#include "platform/db/data_source.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/text_form.h"

#include "testsupport/dialog_answerer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtEndian>

#include <memory>
#include "test_paths.h"

namespace {

/// A module template that also takes one file as read-only (the tests run with rights
/// that write read-only files).
class TppSampleModuleTemplate : public TppReportModuleTemplate {
    Q_OBJECT
public:
    using TppReportModuleTemplate::TppReportModuleTemplate;
    bool IsReadOnly() const override { return TppReportModuleTemplate::IsReadOnly() || FileName() == lockedFile; }
    static inline QString lockedFile;
};

/// A data module as the data workspace makes them: pipelines as its children.
class TppSampleDataModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleDataModule(TComponent* AOwner = nullptr) : TppReportModule(AOwner) {
        SetOrderedChildren(true);
    }

protected:
    std::unique_ptr<TppReportModuleTemplate> CreateTemplate() override {
        return std::make_unique<TppSampleModuleTemplate>(this);
    }
};

/// A report as far as modules see it: it keeps their list and counts the changes.
class TppSampleReport : public TppRelative, public TppReportModuleHost {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleReport(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}
    void AttachModule(TppReportModule* m) override { modules << m; }
    void DetachModule(TppReportModule* m) override { modules.removeAll(m); }
    void ModuleModified(TppReportModule*) override { ++modifications; }
    QList<TppReportModule*> modules;
    int modifications = 0;
};

/// An object of the oldest templates: lengths as numbers with decimals.
class TppSampleShape : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleShape(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}
    double left = 0, width = 0;
    const stream::PropertyList& StreamProperties() const override {
        using T = TppSampleShape;
        static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
            .Float("Left", [](const T& t) { return t.left; }, [](T& t, double v) { t.left = v; })
            .Float("Width", [](const T& t) { return t.width; }, [](T& t, double v) { t.width = v; });
        return table;
    }
};

/// The root of the oldest templates: carries their version.
class TppSampleLayout : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleLayout(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}
    QString version;
    const stream::PropertyList& StreamProperties() const override {
        using T = TppSampleLayout;
        static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
            .String("Version", [](const T& t) { return t.version; }, [](T& t, const QString& v) { t.version = v; });
        return table;
    }
};

void registerClasses() {
    report::RegisterPipelineClasses();
    auto& r = stream::ClassRegistry::Global();
    r.Register<TppSampleDataModule>("TppSampleDataModule");
    r.Register<TppSampleShape>("TppSampleShape");
    r.Register<TppSampleLayout>("TppSampleLayout");
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString corpusFolder() { return QStringLiteral(TEST_DATA_DIR "/templates"); }

/// A form with a report and a data module loaded from the corpus.
struct Form {
    TComponent form;
    TppSampleReport* report = new TppSampleReport(&form);
    TppSampleDataModule* module = nullptr;

    explicit Form(const QString& corpusFile = QStringLiteral("catalogue.dtm")) {
        registerClasses();
        report->setObjectName("ppReport1");
        module = TppReportModule::CreateForReport<TppSampleDataModule>(report);
        module->setObjectName("dmCatalogue");
        module->Template()->SetFileName(QDir(corpusFolder()).filePath(corpusFile));
        module->Template()->LoadFromFile();
    }
    QByteArray binary() const { return stream::WriteComponent(*module); }
};

// ---- the corpus ----

TEST(Template, every_template_of_the_corpus_survives_binary_and_text_round_trips) {
    registerClasses();
    const QStringList files = QDir(corpusFolder()).entryList({"*.dtm", "*.ctm"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 3);
    for (const QString& file : files) {
        SCOPED_TRACE(file);
        Form first(file);
        TppReportModuleTemplate* t = first.module->Template();
        EXPECT_EQ(t->Format(), TppFormatType::ftASCII);  // the corpus is kept as text
        t->SetFormat(TppFormatType::ftBinary);
        const QByteArray binary = t->SaveToBytes();
        ASSERT_TRUE(binary.startsWith("TPF0"));

        Form second(QStringLiteral("empty_module.ctm"));
        second.module->Template()->LoadFromBytes(binary);
        EXPECT_EQ(second.module->Template()->Format(), TppFormatType::ftBinary);
        second.module->Template()->SetFormat(TppFormatType::ftASCII);
        const QByteArray text = second.module->Template()->SaveToBytes();
        ASSERT_TRUE(text.startsWith("object "));
        t->SetFormat(TppFormatType::ftASCII);
        EXPECT_EQ(text, t->SaveToBytes());
        EXPECT_EQ(second.binary(), binary);
    }
}

TEST(Template, a_loaded_module_holds_linked_pipelines_and_stays_attached) {
    Form f;
    ASSERT_EQ(f.module->ChildCount(), 2);
    auto* customers = qobject_cast<TppChildDBPipeline*>(f.module->Children(0));
    auto* orders = qobject_cast<TppChildDBPipeline*>(f.module->Children(1));
    ASSERT_NE(customers, nullptr);
    ASSERT_NE(orders, nullptr);
    EXPECT_EQ(orders->MasterDataPipeline(), customers);
    EXPECT_EQ(customers->GetField(0)->FieldAlias(), "Customer No");
    EXPECT_EQ(orders->GetMasterFieldLinkCount(), 1);
    EXPECT_EQ(f.report->modules, QList<TppReportModule*>{f.module});
    EXPECT_FALSE(f.module->State() & ppsModule);
    EXPECT_EQ(customers->Owner(), &f.form);  // read with the form as owner
    EXPECT_EQ(f.module->Template()->Root(), &f.form);
}

// ---- where the stream begins ----

TEST(Template, the_stream_is_found_at_the_offset_at_zero_or_where_the_leading_number_says) {
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    t->SetFormat(TppFormatType::ftBinary);
    t->SetOffset(16);
    const QByteArray withPrefix = t->SaveToBytes();
    ASSERT_EQ(withPrefix.left(16), QByteArray(16, '\0'));
    QByteArray stated = withPrefix;
    qToLittleEndian<qint32>(16, stated.data());
    QByteArray wrongNumber = withPrefix;
    qToLittleEndian<qint32>(12, wrongNumber.data());

    struct Case {
        const char* name;
        QByteArray bytes;
        int offsetBefore;
        int offsetAfter;  ///< -1: EInvalidTemplateError
    };
    const Case cases[] = {
        {"saved and loaded with offset 16", withPrefix, 16, 16},
        {"zero prefix loaded with offset 0", withPrefix, 0, -1},
        {"number 16 at the start", stated, 0, 16},
        {"number 12 at the start", wrongNumber, 0, -1},
        {"no prefix, offset 16 given", withPrefix.mid(16), 16, 0},
        {"offset past the end", withPrefix.mid(16), 100000, 0},
        {"three bytes", QByteArray("TPF"), 0, -1},
        {"empty", QByteArray(), 0, -1},
    };
    const QByteArray before = f.binary();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t->SetOffset(c.offsetBefore);
        if (c.offsetAfter < 0) {
            EXPECT_THROW(t->LoadFromBytes(c.bytes), EInvalidTemplateError);
            EXPECT_EQ(f.binary(), before);
        } else {
            t->LoadFromBytes(c.bytes);
            EXPECT_EQ(t->Offset(), c.offsetAfter);
            EXPECT_EQ(f.binary(), before);
        }
    }
    try {
        t->SetOffset(0);
        t->LoadFromBytes("garbage");
    } catch (const EInvalidTemplateError& e) {
        EXPECT_EQ(e.Message(), "Invalid Template Format");
    }
}

// ---- old text templates ----

TEST(Template, text_templates_before_version_3000_have_their_lengths_made_decimal) {
    struct Case {
        const char* version;
        bool upgraded;
    };
    for (const Case c : {Case{"2.0", true}, Case{"2.1", true}, Case{"4.0", false}, Case{"3.0", false}}) {
        SCOPED_TRACE(c.version);
        const QByteArray text = QStringLiteral(
                                    "object ppLayout: TppSampleLayout\r\n"
                                    "  Version = '%1'\r\n"
                                    "  object ppShape1: TppSampleShape\r\n"
                                    "    Left = 10\r\n"
                                    "    Width = 250\r\n"
                                    "  end\r\n"
                                    "end\r\n")
                                    .arg(QLatin1String(c.version))
                                    .toUtf8();
        const QByteArray converted = TppTemplate::UpgradeTextStream(text);
        EXPECT_EQ(converted.contains("Left = 10.0"), c.upgraded);
        EXPECT_EQ(converted.contains("Width = 250.0"), c.upgraded);
        if (!c.upgraded) {
            EXPECT_EQ(converted, text);
        }

        registerClasses();
        TComponent form;
        auto* layout = new TppSampleLayout(&form);
        layout->setObjectName("ppLayout");
        report::RelativeTemplate t(layout);
        t.LoadFromBytes(text);
        ASSERT_EQ(layout->ChildCount(), 1);
        EXPECT_EQ(static_cast<TppSampleShape*>(layout->Children(0))->width, 250.0);
    }
    EXPECT_EQ(TppTemplate::TextStreamVersion("object A: TB\r\n  Version = '4.01'\r\nend"), 4010);
    EXPECT_EQ(TppTemplate::TextStreamVersion("object A: TB\r\nend"), 0);
}

// ---- failed loads and reading errors ----

TEST(Template, a_load_that_fails_anywhere_leaves_the_module_exactly_as_it_was) {
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    t->SetFormat(TppFormatType::ftBinary);
    const QByteArray good = t->SaveToBytes();
    const QByteArray before = f.binary();
    QPointer<TppRelative> firstChild = f.module->Children(0);
    report::SetTemplateErrorPrompt([](const QString&) { return report::TemplateErrorAnswer::Cancel; });
    int failures = 0;
    // Every cut of the stream is a damaged template.
    for (int cut = 0; cut < good.size(); cut += 7) {
        try {
            t->LoadFromBytes(good.left(cut));
        } catch (const base::Exception&) {
            ++failures;
        }
        ASSERT_EQ(f.binary(), before) << "cut at " << cut;
        ASSERT_EQ(f.module->Children(0), firstChild.data());
        ASSERT_EQ(f.report->modules, QList<TppReportModule*>{f.module});
    }
    EXPECT_EQ(failures, (good.size() + 6) / 7);
    // A stream of another class.
    TComponent other;
    TppSampleLayout layout(&other);
    EXPECT_THROW(t->LoadFromBytes(stream::WriteComponent(layout)), ETemplateLoadError);
    EXPECT_EQ(f.binary(), before);
    report::SetTemplateErrorPrompt({});
}

TEST(Template, reading_errors_are_put_to_the_user_ignore_ignore_all_or_cancel) {
    const QByteArray text =
        "object dmCatalogue: TppSampleDataModule\r\n"
        "  object plOne: TppChildDBPipeline\r\n"
        "    NoSuchProperty = 1\r\n"
        "    RangeEnd = reSomewhere\r\n"
        "    UserName = 'plOne'\r\n"
        "  end\r\n"
        "end\r\n";
    struct Case {
        const char* name;
        QList<ui::Button> answers;
        bool loads;
    };
    const Case cases[] = {
        {"ignore each", {ui::Button::Ignore, ui::Button::Ignore}, true},
        {"ignore all", {ui::Button::All}, true},
        {"cancel", {ui::Button::Cancel}, false},
        {"ignore then cancel", {ui::Button::Ignore, ui::Button::Cancel}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form f;
        const QByteArray before = f.binary();
        testsupport::DialogAnswerer answerer;
        for (ui::Button b : c.answers) answerer.ExpectMessage("Ignore the error and continue\\?", b, ui::MessageKind::Error);
        if (c.loads) {
            f.module->Template()->LoadFromBytes(text);
            ASSERT_EQ(f.module->ChildCount(), 1);
            EXPECT_EQ(f.module->Children(0)->UserName(), "plOne");
        } else {
            EXPECT_THROW(f.module->Template()->LoadFromBytes(text), stream::StreamError);
            EXPECT_EQ(f.binary(), before);
        }
        ASSERT_FALSE(answerer.Messages().empty());
        EXPECT_TRUE(answerer.Messages().front().text.contains("NoSuchProperty"));
        EXPECT_EQ(answerer.Messages().front().caption, "Error Reading Template");
    }
}

// ---- files ----

TEST(Template, files_missing_read_only_and_the_form_kept_for_the_next_save) {
    QTemporaryDir dir;
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    t->SetFileName(dir.filePath("missing.dtm"));
    try {
        t->LoadFromFile();
        FAIL();
    } catch (const ETemplateLoadError& e) {
        EXPECT_EQ(e.Message(), "File not found: " + dir.filePath("missing.dtm"));
    }
    // The corpus file loaded as text is saved as text again.
    const QString path = dir.filePath("catalogue.dtm");
    t->SetFileName(path);
    t->SaveToFile();
    EXPECT_TRUE(readFile(path).startsWith("object dmCatalogue: TppSampleDataModule"));
    t->SetFormat(TppFormatType::ftBinary);
    t->SaveToFile();
    EXPECT_TRUE(readFile(path).startsWith("TPF0"));
    t->LoadFromFile();
    EXPECT_EQ(t->FileName(), path);

    TppSampleModuleTemplate::lockedFile = path;
    const QByteArray stored = readFile(path);
    try {
        t->SaveToFile();
        FAIL();
    } catch (const ETemplateSaveError& e) {
        EXPECT_EQ(e.Message(), "File is read-only.");
    }
    EXPECT_EQ(readFile(path), stored);
    TppSampleModuleTemplate::lockedFile.clear();
}

TEST(Template, the_save_dialog_refuses_a_read_only_file_and_cancel_restores_the_name) {
    QTemporaryDir dir;
    const QString readOnly = dir.filePath("locked.dtm");
    TppSampleModuleTemplate::lockedFile = readOnly;
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    const QString before = t->FileName();
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectFileToSave(readOnly)
            .ExpectMessage("^File is read-only\\.$", ui::Button::Ok, ui::MessageKind::Warning)
            .ExpectFileToSave(std::nullopt);
        EXPECT_FALSE(t->ShowSaveFileDialog());
    }
    EXPECT_EQ(t->FileName(), before);
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectFileToSave(dir.filePath("new.dtm"));
        EXPECT_TRUE(t->ShowSaveFileDialog());
    }
    EXPECT_EQ(t->FileName(), dir.filePath("new.dtm"));
    TppSampleModuleTemplate::lockedFile.clear();
}

// ---- table rows ----

TEST(Template, templates_are_kept_in_blob_and_memo_fields_of_table_rows) {
    registerClasses();
    QTemporaryDir dir;
    db::TableDef def;
    def.Fields = {{"Name", db::FieldType::ftString, 40, true},
                  {"Template", db::FieldType::ftBlob, 0, false},
                  {"Source", db::FieldType::ftMemo, 0, false},
                  {"Picture", db::FieldType::ftGraphic, 0, false}};
    def.Indexes = {{"", "Name", db::IndexOption::ixPrimary}};
    pipeline_test::MakeTable(dir.path(), "Items.DB", def, {});
    db::Table table;
    table.SetDatabaseName(dir.path());
    table.SetTableName("Items.DB");
    db::DataSource source;
    source.SetDataSet(&table);
    TComponent store;
    auto* plItems = new TppDBPipeline(&store);
    plItems->SetDataSource(&source);

    struct Case {
        const char* field;
        TppFormatType format;
    };
    for (const Case c : {Case{"Template", TppFormatType::ftBinary}, Case{"Source", TppFormatType::ftASCII},
                         Case{"Template", TppFormatType::ftASCII}}) {
        SCOPED_TRACE(c.field);
        Form f;
        TppReportModuleTemplate* t = f.module->Template();
        t->SetSaveTo(TppSaveToType::stDatabase);
        t->SetFormat(c.format);
        t->DatabaseSettings()->SetDataPipeline(plItems);
        t->DatabaseSettings()->SetNameField("Name");
        t->DatabaseSettings()->SetTemplateField(c.field);
        t->DatabaseSettings()->SetName("Catalogue");
        const QByteArray saved = f.binary();
        t->Save();  // a new name inserts the row
        t->Save();  // the same name overwrites it
        EXPECT_EQ(table.RecordCount(), 1);

        Form g(QStringLiteral("empty_module.ctm"));
        TppReportModuleTemplate* u = g.module->Template();
        u->SetSaveTo(TppSaveToType::stDatabase);
        u->DatabaseSettings()->SetDataPipeline(plItems);
        u->DatabaseSettings()->SetNameField("Name");
        u->DatabaseSettings()->SetTemplateField(c.field);
        u->DatabaseSettings()->SetName("CATALOGUE");  // rows are found ignoring case
        u->Load();
        EXPECT_EQ(u->Format(), c.format);
        EXPECT_EQ(stream::ObjectBinaryToText(g.binary()),
                  stream::ObjectBinaryToText(saved).replace("dmCatalogue", "dmCatalogue"));

        u->DatabaseSettings()->SetName("Missing");
        try {
            u->Load();
            FAIL();
        } catch (const ETemplateLoadError& e) {
            EXPECT_EQ(e.Message(), "Record not found: Missing");
        }
    }
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    t->DatabaseSettings()->SetDataPipeline(plItems);
    t->DatabaseSettings()->SetNameField("Name");
    t->DatabaseSettings()->SetTemplateField("Picture");
    t->DatabaseSettings()->SetName("Catalogue");
    try {
        t->SaveToDatabase();
        FAIL();
    } catch (const ETemplateSaveError& e) {
        EXPECT_EQ(e.Message(), "Cannot store a template to a field of this type.");
    }
}

TEST(Template, scripts_reach_the_template_and_its_row_settings_and_load_through_them) {
    report::RegisterTemplateAdapters();
    Form f;
    TppReportModuleTemplate* t = f.module->Template();
    const TraRTTI* adapter = raGetRTTI(t->metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppTemplateRTTI>());
    QVariant v;
    ASSERT_TRUE(adapter->GetPropValue(t, "Format", v));
    EXPECT_EQ(v.toInt(), int(TppFormatType::ftASCII));
    QVariant binary = int(TppFormatType::ftBinary);
    EXPECT_TRUE(adapter->SetPropValue(t, "Format", binary));
    ASSERT_TRUE(adapter->GetPropValue(t, "DatabaseSettings", v));
    QObject* settings = v.value<QObject*>();
    const TraRTTI* settingsAdapter = raGetRTTI(settings->metaObject());
    QVariant name = QStringLiteral("Catalogue");
    EXPECT_TRUE(settingsAdapter->SetPropValue(settings, "Name", name));
    EXPECT_EQ(t->DatabaseSettings()->Name(), "Catalogue");

    QTemporaryDir dir;
    QVariant file = dir.filePath("from_script.dtm");
    EXPECT_TRUE(adapter->SetPropValue(t, "FileName", file));
    TraParamList none;
    ASSERT_TRUE(adapter->CallMethod(t, "SaveToFile", false, none));
    EXPECT_TRUE(readFile(file.toString()).startsWith("TPF0"));
    ASSERT_TRUE(adapter->CallMethod(t, "LoadFromFile", false, none));
    EXPECT_EQ(f.module->ChildCount(), 2);
    TraPropRec rec;
    ASSERT_TRUE(adapter->GetPropRec(t->metaObject(), "ReadOnly", rec));
    EXPECT_TRUE(rec.ReadOnly);
    report::UnRegisterTemplateAdapters();
}

// ---- modules ----

TEST(ReportModule, contents_mark_the_report_modified_and_an_empty_module_says_so) {
    registerClasses();
    TComponent form;
    auto* report = new TppSampleReport(&form);
    auto* module = TppReportModule::CreateForReport<TppSampleDataModule>(report);
    EXPECT_EQ(module->Owner(), &form);
    EXPECT_TRUE(module->State() & ppsModule);
    EXPECT_EQ(report->modules.size(), 1);
    QStringList seen;
    module->OnChildAdded = [&](TppRelative* c) { seen << "added " + c->objectName(); };
    module->OnChildRemoving = [&](TppRelative* c) { seen << "removing " + c->objectName(); };
    auto* p = new TppChildDBPipeline(&form);
    p->setObjectName("plOne");
    p->SetParent(module);
    EXPECT_FALSE(module->State() & ppsModule);
    EXPECT_TRUE(module->Modified());
    EXPECT_EQ(report->modifications, 1);
    delete p;
    EXPECT_TRUE(module->State() & ppsModule);
    EXPECT_EQ(seen, (QStringList{"added plOne", "removing plOne"}));

    int languageChanges = 0;
    module->OnLanguageChanged = [&](TppReportModule*) { ++languageChanges; };
    report->SendNotify(report, ppopLanguageChange);
    EXPECT_EQ(languageChanges, 1);
    delete report;
    EXPECT_EQ(module->Report(), nullptr);
}

TEST(ReportModule, new_empties_the_module_and_keeps_it_attached) {
    Form f;
    int news = 0;
    f.module->Template()->Events.OnNew = [&](TppTemplate*) { ++news; };
    f.module->Template()->New();
    EXPECT_EQ(f.module->ChildCount(), 0);
    EXPECT_TRUE(f.module->State() & ppsModule);
    EXPECT_EQ(f.module->Report(), f.report);
    EXPECT_EQ(news, 1);
}

}  // namespace

#include "template_test.moc"
