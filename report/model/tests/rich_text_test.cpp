// Rich text in reports: the fields merged into the text, a long text split across pages by
// character ranges with nothing lost or doubled, pages generated again from the cache with the
// same ranges, and the data component's field or error text.

#include "report/model/rich_text.h"
#include "report/model/rich_text_adapters.h"

#include "report/model/band_classes.h"
#include "report/model/db_pipeline.h"
#include "report/model/errors.h"
#include "report/model/report.h"
#include "report/model/tests/pipeline_fixture.h"
#include "report/model/tests/report_fixtures.h"
#include "report/page/draw_rich_text.h"
#include "report/page/page.h"

#include "platform/base/exception.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include "test_paths.h"

using namespace reporttest;

namespace {

/// A pipeline whose fields cannot be read (a damaged table).
class BrokenPipeline : public TppTestPipeline {
public:
    using TppTestPipeline::TppTestPipeline;
    void GetFieldAsStream(const QString&, QIODevice&) const override { throw EDataError(QStringLiteral("damaged")); }
};

QString readText(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

/// An RTF of the text's lines, every fifth paragraph bold.
QByteArray rtfOf(const QStringList& paragraphs) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    for (int i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) cursor.insertBlock();
        QTextCharFormat f;
        f.setFontFamilies({QStringLiteral("Liberation Serif")});
        f.setFontPointSize(12);
        f.setFontWeight(i % 5 == 0 ? QFont::Bold : QFont::Normal);
        cursor.insertText(paragraphs.at(i), f);
    }
    return richtext::WriteRtf(doc);
}

QString plainOf(const QByteArray& rtf) { return richtext::DocumentFromRtf(rtf)->toPlainText(); }

/// The characters each rich-text command of a page prints.
struct Ranges {
    std::vector<std::vector<std::pair<int, int>>> pages;  ///< per page: start, end
    QString text;                                         ///< the printed characters joined
    std::vector<QString> merged;                          ///< per command: its whole plain text

    void take(TppPage& page) {
        pages.emplace_back();
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            auto* c = qobject_cast<TppDrawRichText*>(page.GetDrawCommand(i));
            if (!c) continue;
            pages.back().push_back({c->StartCharPos(), c->EndCharPos()});
            const QString plain = plainOf(c->RichTextStream());
            text += plain.mid(c->StartCharPos(), c->EndCharPos() - c->StartCharPos() + 1);
            merged.push_back(plain);
        }
    }
};

Ranges run(TppReport* report, TppPageSettingType setting, int page = 0) {
    Ranges r;
    report->OnPageReceived = [&](TppPage& p) { r.take(p); };
    requestPages(report, setting, page);
    return r;
}

TEST(MailMerge, markers_become_values_once_and_everything_else_stays) {
    const QStringList names{"Package", "Section", "Size"};
    const QStringList aliases{"Name", "Area", "Installed"};
    const std::map<QString, QString> values{
        {"Package", "apt"}, {"Section", "<Package>"}, {"Size", "x<Size>"}};
    struct Case {
        const char* text;
        const char* merged;
    } cases[] = {
        {"<Package> ships", "apt ships"},
        {"<package>, <PACKAGE>", "apt, apt"},                      // any case
        {"<Name> by alias", "apt by alias"},                       // alias stands for its field
        {"<Unknown> and <Name>", "<Unknown> and apt"},             // unknown marker stays
        {"a > b < c", "a > b < c"},                                // stray brackets stay
        {"> <Package>", "> apt"},                                  // ">" before every "<"
        {"<<Package>", "<apt"},                                    // a "<" inside the marker's name
        {"<Package", "<Package"},                                  // "<" without ">"
        {"<Section> is not merged again", "<Package> is not merged again"},
        {"<Size><Size>", "x<Size>x<Size>"},                        // a value naming its own field
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8(c.text));
        report::MailMergeDocument(doc, names, aliases, [&](const QString& f) { return values.at(f); });
        EXPECT_EQ(doc.toPlainText(), QString::fromUtf8(c.merged));
    }
    // The value takes the marker's format.
    QTextDocument doc;
    richtext::ReadRtf("{\\rtf1\\ansi plain {\\b <Package>} end\\par}", doc);
    report::MailMergeDocument(doc, names, aliases, [&](const QString& f) { return values.at(f); });
    EXPECT_EQ(doc.toPlainText(), "plain apt end");
    QTextCursor cursor(&doc);
    cursor.setPosition(7);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(ReportTest, mail_merge_over_a_table_prints_what_sql_reads_from_it) {
    PackagesTable table;
    db::Table packages;
    packages.SetDatabaseName(table.dir.path());
    packages.SetTableName(QStringLiteral("Packages.DB"));
    db::DataSource source;
    source.SetDataSet(&packages);
    TComponent form;
    auto* pipeline = new TppDBPipeline(&form);
    pipeline->SetName("plPackages");
    pipeline->SetDataSource(&source);
    auto* report = new TppReport(&form);
    report->SetDataPipeline(pipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(9000);
    auto* text = place<TppRichText>(detail, "ppLetter", 0, 0, 8000, 150000);
    text->SetRichText(rtfOf({"<package> is in <SECTION>, <Size> kB <Unknown> a>b <"}));
    text->SetMailMerge(true);

    const Ranges printed = run(report, TppPageSettingType::psAll);
    QStringList expected;
    for (const QStringList& row : table.sql(
             R"(SELECT Package || ' is in ' || Section || ', ' || Size || ' kB <Unknown> a>b <' FROM "Packages.DB" ORDER BY No)"))
        expected << row[0];
    ASSERT_GT(expected.size(), 10);
    QStringList got;
    for (const QString& m : printed.merged) got << m;
    EXPECT_EQ(got, expected);
    // The component's own text is never changed by merging.
    EXPECT_EQ(text->PlainLines(), QStringList{"<package> is in <SECTION>, <Size> kB <Unknown> a>b <"});
    delete report;
}

TEST_F(ReportTest, a_long_rich_text_continues_on_the_next_pages_with_nothing_lost_or_doubled) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* header = new TppHeaderBand(&form);
    header->SetReport(report);
    header->SetmmHeight(8000);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(30000);
    auto* rich = place<TppRichText>(detail, "ppLicence", 0, 8000, 20000, 120000);
    rich->SetStretch(true);
    QString source = readText("gpl3_opening.txt");
    source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (source.endsWith(QLatin1Char('\n'))) source.chop(1);
    const QStringList paragraphs = source.split(QLatin1Char('\n'));
    rich->SetRichText(rtfOf(paragraphs + paragraphs));
    const QString whole = plainOf(rich->RichTextStream());

    const Ranges all = run(report, TppPageSettingType::psAll);
    ASSERT_GE(all.pages.size(), 3u);
    EXPECT_EQ(all.text, whole);
    // Every page goes on at the character after the last one printed.
    int next = 0;
    for (const auto& page : all.pages) {
        ASSERT_EQ(page.size(), 1u);
        EXPECT_EQ(page[0].first, next);
        next = page[0].second + 1;
    }
    // Pages generated again from the cache print the same ranges.
    const int count = int(all.pages.size());
    for (int page : {2, count, 1}) {
        SCOPED_TRACE(page);
        const Ranges one = run(report, TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(one.pages.size(), 1u);
        EXPECT_EQ(one.pages[0], all.pages[size_t(page - 1)]);
    }
    delete report;
}

TEST_F(ReportTest, a_rich_text_that_does_not_fit_below_a_band_keeps_its_place_for_the_next_page) {
    TComponent form;
    auto* report = new TppReport(&form);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(8000);
    // A first text fills the page but for a sliver; the second, with a 30 mm first line,
    // (a letter of 500 points, taller than the room left below the first) cannot begin there and must begin whole on the next page.
    auto* filler = place<TppRichText>(detail, "ppFiller", 0, 0, 5000, 120000);
    filler->SetStretch(true);
    QStringList many;
    for (int i = 0; i < 400; ++i) many << QStringLiteral("line %1").arg(i);
    filler->SetRichText(rtfOf(many));
    auto* tall = place<TppRichText>(detail, "ppTall", 0, 6000, 2000, 120000);
    tall->SetShiftRelativeTo(filler);
    tall->SetStretch(true);
    tall->SetRichText("{\\rtf1\\ansi\\fs1000 A\\par\\fs24 body text\\par}");

    const Ranges all = run(report, TppPageSettingType::psAll);
    ASSERT_GE(all.pages.size(), 2u);
    const QString expected = plainOf(filler->RichTextStream()) + plainOf(tall->RichTextStream());
    EXPECT_EQ(all.text, expected);
    // The tall text begins, from its first character, on a page of its own.
    const int tallLength = int(plainOf(tall->RichTextStream()).size());
    EXPECT_EQ(all.pages.back(), (std::vector<std::pair<int, int>>{{0, tallLength}}));
    delete report;
}

TEST_F(ReportTest, a_data_rich_text_prints_its_field_the_event_text_or_the_error_text) {
    TComponent form;
    auto* pipeline = new TppTestPipeline(&form);
    auto* report = new TppReport(&form);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    auto* rich = place<TppDBRichText>(detail, "ppNotes", 0, 0, 8000, 100000);
    rich->SetDataPipeline(pipeline);
    rich->SetDataField("NoSuchField");
    rich->OnGetRichText = [](QObject*, QString& t) { t = QStringLiteral("{\\rtf1 from the event\\par}"); };
    EXPECT_EQ(rich->PlainLines(), QStringList());
    EXPECT_EQ(richtext::DocumentFromRtf(rich->GetRichText())->toPlainText(), "from the event");
    rich->OnGetRichText = nullptr;
    auto* broken = new BrokenPipeline(&form);
    rich->SetDataPipeline(broken);
    EXPECT_EQ(richtext::DocumentFromRtf(rich->GetRichText())->toPlainText(), "Error loading rich text.");
    rich->SetAutoDisplay(false);
    EXPECT_TRUE(rich->GetRichText().isEmpty());
    delete report;
}

TEST(RichTextDesign, popup_items_and_the_edit_seam) {
    TppRichText text;
    text.SetRichText("{\\rtf1\\ansi Before\\par}");
    QStringList items;
    for (const report::DesignPopupItem& i : text.DesignPopupItems())
        items << QStringLiteral("%1 %2 %3 %4").arg(i.Name).arg(i.TextNumber).arg(i.Group).arg(i.Check ? "check" : "run");
    EXPECT_EQ(items, (QStringList{"Edit 120 30 run", "MailMerge 502 30 check", "Transparent 246 30 check"}));

    // No editor installed: Edit changes nothing.
    const report::RichTextEditPrompt before = report::SetRichTextEditPrompt({});
    EXPECT_FALSE(text.Edit());
    // The editor gets the text; only OK stores what it gives back.
    QByteArray seen;
    bool ok = false;
    report::SetRichTextEditPrompt([&](TppCustomRichText&, QByteArray& rtf) {
        seen = rtf;
        rtf = "{\\rtf1\\ansi After\\par}";
        return ok;
    });
    EXPECT_FALSE(text.Edit());
    EXPECT_EQ(text.PlainLines(), QStringList{"Before"});
    EXPECT_EQ(seen, "{\\rtf1\\ansi Before\\par}");
    ok = true;
    const auto& editItem = text.DesignPopupItems().constFirst();
    editItem.Run();
    EXPECT_EQ(text.PlainLines(), QStringList{"After"});
    report::SetRichTextEditPrompt(before);
}

TEST(RichTextScript, scripts_search_select_replace_load_and_save_the_text) {
    report::RegisterRichTextAdapters();
    TppRichText text;
    const TraRTTI* adapter = raGetRTTI(text.metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppCustomRichTextRTTI>());
    TraPropList list;
    adapter->GetPropList(text.metaObject(), list);
    for (const char* m : {"FindText", "LoadFromFile", "LoadFromRTFStream", "SaveToFile", "SaveToRTFStream"})
        EXPECT_TRUE(list.Names().contains(QString::fromLatin1(m))) << m;

    QVariant rtf = QStringLiteral("{\\rtf1\\ansi {\\b Debian} ships dpkg and Dpkg-Deb\\par}");
    ASSERT_TRUE(adapter->SetPropValue(&text, "RichText", rtf));

    // FindText: (text, start, length, options) -> position or -1.
    struct Find {
        const char* what;
        int start, length, options, at;
    } finds[] = {
        {"dpkg", 0, -1, 0, 13},                       // ignoring case: the first
        {"Dpkg", 0, -1, report::stMatchCase, 22},     // matching case
        {"dpkg", 14, -1, 0, 22},                      // from a later start
        {"dpkg", 0, 16, 0, -1},                       // not within the length
        {"dpkg", 0, -1, report::stWholeWord, 13},     // "Dpkg-Deb": "Dpkg" is a word too
        {"deb", 0, -1, report::stWholeWord, 1 + 26},  // not "Debian"
        {"ships", 0, -1, 0, 7},
        {"", 0, -1, 0, -1},
    };
    for (const Find& f : finds) {
        SCOPED_TRACE(f.what);
        auto params = adapter->GetParams("FindText");
        ASSERT_TRUE(params);
        QVariant a = QString::fromLatin1(f.what), b = f.start, c = f.length, d = f.options, result;
        QVariant* values[] = {&a, &b, &c, &d, &result};
        for (int i = 0; i < 5; ++i) params->BindParamValue(i, values[i]);
        ASSERT_TRUE(adapter->CallMethod(&text, "FindText", false, *params));
        EXPECT_EQ(result.toInt(), f.at);
    }

    // Selecting and replacing keeps the rest of the text and its formats.
    QVariant start = 7, length = 5, replaced = QStringLiteral("packs"), sel;
    ASSERT_TRUE(adapter->SetPropValue(&text, "SelStart", start));
    ASSERT_TRUE(adapter->SetPropValue(&text, "SelLength", length));
    ASSERT_TRUE(adapter->GetPropValue(&text, "SelText", sel));
    EXPECT_EQ(sel.toString(), "ships");
    ASSERT_TRUE(adapter->SetPropValue(&text, "SelText", replaced));
    EXPECT_EQ(text.PlainLines(), QStringList{"Debian packs dpkg and Dpkg-Deb"});
    EXPECT_TRUE(text.RichTextStream().contains("\\b"));
    QVariant readOnly = 3;
    EXPECT_FALSE(adapter->SetPropValue(&text, "StartCharPos", readOnly));

    // Files and streams: RTF, or the plain text with PlainText set.
    QTemporaryDir dir;
    const QString rtfFile = dir.filePath("notes.rtf");
    const QString txtFile = dir.filePath("notes.txt");
    text.SaveToFile(rtfFile);
    QVariant plain = true;
    ASSERT_TRUE(adapter->SetPropValue(&text, "PlainText", plain));
    text.SaveToFile(txtFile);
    TppRichText other;
    other.LoadFromFile(rtfFile);
    EXPECT_EQ(other.RichTextStream(), text.RichTextStream());
    other.LoadFromFile(txtFile);
    EXPECT_EQ(other.PlainLines(), QStringList{"Debian packs dpkg and Dpkg-Deb"});
    EXPECT_FALSE(other.RichTextStream().startsWith("{\\rtf"));
    EXPECT_THROW(other.LoadFromFile(dir.filePath("missing.rtf")), base::Exception);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    auto params = adapter->GetParams("SaveToRTFStream");
    QVariant stream = QVariant::fromValue<QObject*>(&buffer);
    params->BindParamValue(0, &stream);
    text.SetPlainText(false);
    ASSERT_TRUE(adapter->CallMethod(&text, "SaveToRTFStream", false, *params));
    EXPECT_EQ(buffer.data(), text.RichTextStream());

    // The selection's character and paragraph formats.
    text.SetRichText("{\\rtf1\\ansi {\\b Debian} ships\\par dpkg\\par}");
    text.SetSelStart(7);
    text.SetSelLength(5);  // "ships"
    QVariant attributesObject;
    ASSERT_TRUE(adapter->GetPropValue(&text, "SelAttributes", attributesObject));
    auto* attributes = qobject_cast<TTextAttributes*>(attributesObject.value<QObject*>());
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->Style(), 0);
    attributes->SetStyle(1 | 4);
    attributes->SetSize(18);
    attributes->setProperty("Color", 0x0000FF);  // as the adapter base writes a published property
    EXPECT_EQ(attributes->Style(), 1 | 4);
    EXPECT_EQ(attributes->Size(), 18);
    EXPECT_EQ(attributes->Color(), 0x0000FF);
    text.SetSelStart(0);
    text.SetSelLength(0);
    EXPECT_EQ(attributes->Style(), 1) << "the first word was bold already";
    EXPECT_NE(attributes->Size(), 18) << "outside the selection nothing changed";
    QVariant paragraphObject;
    ASSERT_TRUE(adapter->GetPropValue(&text, "Paragraph", paragraphObject));
    auto* paragraph = qobject_cast<TParaAttributes*>(paragraphObject.value<QObject*>());
    ASSERT_NE(paragraph, nullptr);
    paragraph->SetAlignment(2);
    paragraph->SetFirstIndent(36);
    paragraph->SetLeftIndent(18);
    paragraph->SetRightIndent(9);
    EXPECT_EQ(paragraph->Alignment(), 2);
    EXPECT_EQ(paragraph->FirstIndent(), 36);
    EXPECT_EQ(paragraph->LeftIndent(), 18);
    EXPECT_EQ(paragraph->RightIndent(), 9);
    paragraph->SetNumbering(1);  // a bullet brings its own hanging indent
    EXPECT_EQ(paragraph->Numbering(), 1);
    EXPECT_EQ(paragraph->Alignment(), 2);
    const QByteArray formatted = text.RichTextStream();
    EXPECT_TRUE(formatted.contains("\\qc") && formatted.contains("\\pnlvlblt") && formatted.contains("\\ri180"));
    text.SetSelStart(14);  // the second paragraph keeps its own format
    EXPECT_EQ(paragraph->Alignment(), 0);
    EXPECT_EQ(paragraph->Numbering(), 0);
    EXPECT_EQ(text.PlainLines(), (QStringList{"Debian ships", "dpkg"}));

    // The data rich text adds AutoDisplay.
    TppDBRichText data;
    const TraRTTI* dataAdapter = raGetRTTI(data.metaObject());
    ASSERT_EQ(dataAdapter, &RTTIInstance<TraTppDBRichTextRTTI>());
    QVariant off = false, value;
    ASSERT_TRUE(dataAdapter->SetPropValue(&data, "AutoDisplay", off));
    EXPECT_FALSE(data.AutoDisplay());
    ASSERT_TRUE(dataAdapter->GetPropValue(&data, "SelStart", value));
    report::UnRegisterRichTextAdapters();
}

}  // namespace
