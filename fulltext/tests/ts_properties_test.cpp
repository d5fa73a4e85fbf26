#include "fulltext/ts_engine.h"

#include "fulltext/testsupport/memory_links.h"

#include "platform/stream/stream_error.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using fulltext::testing::CollectingEngine;
using fulltext::testing::MemoryWordsLink;

/// A text link whose stream part is its field names and index field name, as the table
/// link keeps them.
class FieldTextLink : public fulltext::testing::MemoryTextLink {
public:
    FieldTextLink() : MemoryTextLink(1, 100) {}
    void ReadProperties(TtsEngine*, stream::ValueReader& r) override {
        fieldNames.clear();
        r.ReadListBegin();
        while (!r.EndOfList()) fieldNames << r.ReadString();
        r.ReadListEnd();
        indexFieldName = r.ReadString();
    }
    void WriteProperties(TtsEngine*, stream::ValueWriter& w) override {
        w.WriteListBegin();
        for (const QString& f : fieldNames) w.WriteString(f);
        w.WriteListEnd();
        w.WriteString(indexFieldName);
    }
    QStringList fieldNames;
    QString indexFieldName;
};

/// A maker-like engine that may set Ansi.
class WritingEngine : public CollectingEngine {
public:
    void SetAnsi(bool) override {}
};

TEST(IndexProperties, the_stream_written_by_one_engine_configures_another_when_a_search_starts) {
    FieldTextLink makerText;
    makerText.fieldNames = QStringList{"Title", QString::fromUtf8("Notizen")};
    makerText.indexFieldName = QStringLiteral("NodeID");
    MemoryWordsLink words(20);
    WritingEngine maker;
    maker.SetTextLink(&makerText);
    maker.SetWordsLink(&words);
    maker.SetMinWordLen(3);
    maker.SetOmitList({QStringLiteral("the"), QString::fromUtf8("één"), QStringLiteral("and")});
    maker.SetSegmentSize(1000);
    maker.SetWordDelims(QStringLiteral(" ,.^M^J>>>"));
    maker.SetWordPairs(true);
    stream::ValueWriter writer;
    maker.WriteIndexProperties(writer);
    words.WritePropertiesStream(writer.Data());
    {
        // version 2070, then 32 (streams of older writers hold 0 there; it is skipped)
        stream::ValueReader head(writer.Data());
        EXPECT_EQ(head.ReadInteger(), 2070);
        EXPECT_EQ(head.ReadInteger(), 32);
    }

    FieldTextLink readerText;
    CollectingEngine reader;
    reader.SetTextLink(&readerText);
    reader.SetWordsLink(&words);
    EXPECT_FALSE(reader.PropertiesRead());
    reader.SetState({TEngineState::esSearch});
    EXPECT_TRUE(reader.PropertiesRead());
    EXPECT_EQ(reader.IndexVersion(), 2070);
    EXPECT_EQ(reader.MinWordLen(), 3);
    EXPECT_EQ(reader.OmitList(), maker.OmitList());
    EXPECT_EQ(reader.SegmentSize(), 1008);
    EXPECT_EQ(reader.WordDelims(), " ,.^M^J>>>");
    EXPECT_TRUE(reader.Ansi());
    EXPECT_TRUE(reader.WordPairs());
    EXPECT_EQ(readerText.fieldNames, makerText.fieldNames);
    EXPECT_EQ(readerText.indexFieldName, "NodeID");
    // The settings read back are in force: ">>>" makes é a delimiter, "AU" is too short but
    // still pairs.
    reader.ParseString(QString::fromUtf8("café au lait"));
    EXPECT_EQ(reader.words, (std::vector<QString>{"CAF", ".CAFAU.", "LAIT", ".AULAIT."}));
}

TEST(IndexProperties, versions_before_2040_carry_no_word_pair_flag) {
    FieldTextLink text;
    MemoryWordsLink words(20);
    stream::ValueWriter w;
    w.WriteInteger(2030);
    w.WriteInteger(0);
    w.WriteListBegin();
    w.WriteString(QStringLiteral("Body"));
    w.WriteListEnd();
    w.WriteString(QStringLiteral("ID"));
    w.WriteInteger(2);
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteInteger(0);
    w.WriteString(TtsEngine::DefaultWordDelims());
    w.WriteBoolean(false);
    words.WritePropertiesStream(w.Data());
    CollectingEngine engine;
    engine.SetTextLink(&text);
    engine.SetWordsLink(&words);
    engine.ReadIndexProperties();
    EXPECT_EQ(engine.IndexVersion(), 2030);
    EXPECT_EQ(engine.MinWordLen(), 2);
    EXPECT_EQ(engine.SegmentSize(), TtsEngine::kUnsegmented);
    EXPECT_FALSE(engine.Ansi());
    EXPECT_FALSE(engine.WordPairs());
    EXPECT_EQ(text.fieldNames, QStringList{"Body"});
}

TEST(IndexProperties, an_empty_stream_changes_nothing_and_a_damaged_one_is_reported) {
    FieldTextLink text;
    MemoryWordsLink words(20);
    CollectingEngine engine;
    engine.SetTextLink(&text);
    engine.SetWordsLink(&words);
    engine.SetMinWordLen(4);
    engine.ReadIndexProperties();
    EXPECT_TRUE(engine.PropertiesRead());
    EXPECT_EQ(engine.MinWordLen(), 4);

    WritingEngine maker;
    maker.SetTextLink(&text);
    maker.SetWordsLink(&words);
    stream::ValueWriter w;
    maker.WriteIndexProperties(w);
    const QByteArray good = w.Data();
    for (qsizetype cut = 1; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        words.WritePropertiesStream(good.left(cut));
        CollectingEngine e;
        e.SetTextLink(&text);
        e.SetWordsLink(&words);
        EXPECT_THROW(e.ReadIndexProperties(), stream::StreamError);
    }
}

}  // namespace
