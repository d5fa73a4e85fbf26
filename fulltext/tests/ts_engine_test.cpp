#include "fulltext/ts_engine.h"

#include "fulltext/errors.h"
#include "fulltext/testsupport/memory_links.h"
#include "fulltext/ts_text.h"

#include "platform/base/messages.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using fulltext::testing::CollectingEngine;
using fulltext::testing::MemoryTextLink;
using fulltext::testing::MemoryWordsLink;

std::vector<QString> qs(std::initializer_list<const char*> words) {
    std::vector<QString> out;
    for (const char* w : words) out.push_back(QString::fromUtf8(w));
    return out;
}

void expectTessick(int number, const std::function<void()>& f) {
    try {
        f();
        ADD_FAILURE() << "no ETessick " << number;
    } catch (const ETessick& e) {
        EXPECT_EQ(e.ErrorCode(), number);
        EXPECT_EQ(e.Message(), base::MessageText(number));
        EXPECT_FALSE(e.Message().isEmpty());
    }
}

class Engine : public ::testing::Test {
protected:
    Engine() {
        engine.SetWordsLink(&words);
        engine.SetTextLink(&text);
    }
    std::vector<QString> split(const QString& s) {
        engine.words.clear();
        engine.ParseString(s);
        return engine.words;
    }

    MemoryWordsLink words{20};
    MemoryTextLink text{1, 1000};
    CollectingEngine engine;
};

TEST_F(Engine, segment_sizes_round_up_to_sixteen_or_become_unsegmented) {
    struct Case {
        int set;
        int expected;
    };
    static const Case cases[] = {
        {100, 112}, {16, 16}, {1, 16}, {17, 32}, {0, INT_MAX}, {-5, INT_MAX},
        {2147483633, INT_MAX}, {2147483632, 2147483632},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        engine.SetSegmentSize(c.set);
        EXPECT_EQ(engine.SegmentSize(), c.expected);
    }
}

TEST_F(Engine, min_word_len_ignores_values_below_one) {
    engine.SetMinWordLen(3);
    engine.SetMinWordLen(0);
    engine.SetMinWordLen(-2);
    EXPECT_EQ(engine.MinWordLen(), 3);
    EXPECT_EQ(split(QStringLiteral("a an ant ants")), qs({"ANT", "ANTS"}));
}

TEST_F(Engine, the_default_delimiters_are_forty_characters_in_caret_notation) {
    const QString d = engine.WordDelims();
    EXPECT_EQ(d.size(), 40);
    EXPECT_EQ(d, TtsEngine::DefaultWordDelims());
    const QString decoded = fulltext::CaretDecode(d);
    EXPECT_EQ(decoded.size(), 36);
    for (QChar c : QStringLiteral(" ,.;:?![]{}()<>/+-*=\\|_&#%$@^~`\"'\r\n\t")) EXPECT_TRUE(decoded.contains(c)) << int(c.unicode());
    engine.SetWordDelims(QStringLiteral(" ^I-^^"));
    EXPECT_EQ(engine.WordDelims(), " ^I-^^");
    EXPECT_EQ(split(QStringLiteral("a,b c-d^e\tf")), qs({"A,B", "C", "D", "E", "F"}));
}

TEST_F(Engine, range_markers_add_controls_and_the_upper_half_of_the_code_page) {
    engine.SetWordDelims(QStringLiteral(" "));
    EXPECT_EQ(split(QString::fromUtf8("a\x01" "b é€x")), qs({"A\x01" "B", "É€X"}));
    engine.SetWordDelims(QStringLiteral(" <<<"));
    EXPECT_EQ(split(QString::fromUtf8("a\x01" "b x<y")), qs({"A", "B", "X", "Y"}));
    engine.SetWordDelims(QStringLiteral(" >>>"));
    EXPECT_EQ(split(QString::fromUtf8("caféx naïve €5 жук")), qs({"CAF", "X", "NA", "VE", "5", "ЖУК"}));
    EXPECT_EQ(engine.WordDelims(), " >>>");  // the markers stay in the stored value
}

TEST_F(Engine, words_are_split_and_folded_across_scripts) {
    struct Case {
        const char* text;
        std::vector<QString> words;
    };
    const Case cases[] = {
        {"The quick, brown fox.", qs({"THE", "QUICK", "BROWN", "FOX"})},
        {"  leading and trailing  ", qs({"LEADING", "AND", "TRAILING"})},
        {"", {}},
        {",.;:!?", {}},
        {"café crème brûlée", qs({"CAFÉ", "CRÈME", "BRÛLÉE"})},
        {"Straße größer ÆRØ œuvre", qs({"STRAßE", "GRÖßER", "ÆRØ", "ŒUVRE"})},
        {"Добрый день, мир", qs({"ДОБРЫЙ", "ДЕНЬ", "МИР"})},
        {"αβγ δέλτα", qs({"ΑΒΓ", "ΔΈΛΤΑ"})},
        {"中文分词。日本語", qs({"中文分词", "日本語"})},
        {"नमस्ते दुनिया", qs({"नमस्ते", "दुनिया"})},
        {"x😀y 𐐨𐐩", qs({"X", "Y", "𐐀𐐁"})},
        {"don't e-mail a@b.c", qs({"DON", "T", "E", "MAIL", "A", "B", "C"})},
        {"line1\r\nline2\ttab", qs({"LINE1", "LINE2", "TAB"})},
        {"12.50 €100 ½", qs({"12", "50", "€100", "½"})},
        {"“quoted” – dash", qs({"“QUOTED”", "–", "DASH"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(split(QString::fromUtf8(c.text)), c.words);
    }
}

TEST_F(Engine, parsing_folds_the_whole_buffer_in_place_also_after_a_halt) {
    QString t = QString::fromUtf8("abc, déf 𐐨! ß");
    engine.ParseText(t.data(), t.size());
    EXPECT_EQ(t, QString::fromUtf8("ABC, DÉF 𐐀! ß"));
    EXPECT_EQ(engine.words, qs({"ABC", "DÉF", "𐐀", "ß"}));
    engine.words.clear();
    engine.OnAcceptWord = [this](QObject*, const QString&) {
        engine.Halt();
        return true;
    };
    QString u = QStringLiteral("one two, three");
    engine.ParseText(u.data(), u.size());
    EXPECT_EQ(u, "ONE TWO, THREE");
    EXPECT_EQ(engine.words, qs({"ONE"}));
}

/// Asks to hear no more words of a text once it has taken `wanted` of them.
class StoppingEngine : public CollectingEngine {
public:
    void ProcessWord(QStringView word) override {
        CollectingEngine::ProcessWord(word);
        if (int(words.size()) >= wanted) StopWords(true);
    }
    void Restart() { StopWords(false); }
    int wanted = 2;
};

TEST(EngineStop, a_quiet_stop_ends_the_text_without_state_changes_and_keeps_in_place_folding) {
    MemoryWordsLink words{20};
    StoppingEngine engine;
    engine.SetWordsLink(&words);
    int stateChanges = 0;
    engine.OnStateChange = [&](QObject*, TEngineStates) { ++stateChanges; };
    const QString text = QString::fromUtf8("one 𐐨wo three four");
    engine.ParseString(text);
    EXPECT_EQ(engine.words, qs({"ONE", "𐐀WO"}));
    EXPECT_TRUE(engine.WordsDone());
    EXPECT_EQ(stateChanges, 0);
    EXPECT_FALSE(engine.States().Contains(TEngineState::esHalt));
    // Stopped, every further text is ignored until the consumer clears the stop.
    engine.ParseString(QStringLiteral("five six"));
    EXPECT_EQ(engine.words.size(), 2u);
    engine.Restart();
    engine.words.clear();
    QString inPlace = text;
    engine.ParseText(inPlace.data(), inPlace.size());
    EXPECT_EQ(engine.words, qs({"ONE", "𐐀WO"}));
    EXPECT_EQ(inPlace, QString::fromUtf8("ONE 𐐀WO THREE FOUR"));
    EXPECT_EQ(text, QString::fromUtf8("one 𐐨wo three four"));  // ParseString never touches its argument
    // A word parser event stops the same way.
    engine.Restart();
    engine.words.clear();
    engine.OnParseWord = [](QObject*, const QChar*& s, quint32& len, bool) {
        const QString word(s, 1);
        ++s;
        --len;
        return word;
    };
    engine.ParseString(QStringLiteral("abcd"));
    EXPECT_EQ(engine.words, qs({"A", "B"}));
}

TEST_F(Engine, another_fold_routine_is_applied_before_splitting) {
    engine.FoldProc = [](QChar* text, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i) text[i] = text[i] == u'_' ? QChar(u'x') : text[i].toLower();
    };
    EXPECT_EQ(split(QString::fromUtf8("Ab_Cd ÉTÉ")), qs({"abxcd", "été"}));
}

TEST_F(Engine, long_words_are_cut_to_forty_then_to_the_word_field) {
    const QString w45 = QString(45, u'q');
    MemoryWordsLink wide(60);
    engine.SetWordsLink(&wide);
    EXPECT_EQ(split(w45 + QStringLiteral(" z")), (std::vector<QString>{QString(40, u'Q'), QStringLiteral("Z")}));
    engine.SetWordsLink(&words);  // 20 characters
    EXPECT_EQ(split(w45), std::vector<QString>{QString(20, u'Q')});
    // Characters, not bytes: 25 Cyrillic letters are cut to 20 letters.
    EXPECT_EQ(split(QString(25, QChar(0x0436))), std::vector<QString>{QString(20, QChar(0x0416))});
}

TEST_F(Engine, word_pairs_join_each_word_with_the_one_before) {
    engine.SetWordPairs(true);
    EXPECT_EQ(split(QStringLiteral("alpha beta gamma")),
              qs({"ALPHA", "BETA", ".ALPHABETA.", "GAMMA", ".BETAGAMMA."}));
    engine.ClearPrevious();
    // Too long for a 20-character field: each half is cut to 20 div 2 - 1 = 9 characters.
    EXPECT_EQ(split(QStringLiteral("abcdefghijkl mnopqrstuvw")),
              qs({"ABCDEFGHIJKL", "MNOPQRSTUVW", ".ABCDEFGHIMNOPQRSTU."}));
    engine.ClearPrevious();
    engine.SetMinWordLen(3);  // a rejected word still pairs and becomes the previous word
    EXPECT_EQ(split(QStringLiteral("ab cde")), qs({"CDE", ".ABCDE."}));
    EXPECT_EQ(TtsEngine::PairKey(u"ONE", u"TWO", 20), ".ONETWO.");
}

TEST_F(Engine, accept_word_filters_and_halt_stops_processing) {
    engine.OnAcceptWord = [](QObject*, const QString& w) { return !w.startsWith(u'X'); };
    EXPECT_EQ(split(QStringLiteral("one xray two")), qs({"ONE", "TWO"}));
    engine.OnAcceptWord = nullptr;
    engine.Halt();
    EXPECT_TRUE(engine.States().Contains(TEngineState::esHalt));
    EXPECT_TRUE(split(QStringLiteral("one two")).empty());
    engine.SetState({});
    engine.SetWordsLink(nullptr);
    EXPECT_TRUE(split(QStringLiteral("one two")).empty());  // no words link: nothing
}

TEST_F(Engine, a_word_parser_event_replaces_the_extractor) {
    // Splits on commas only; the text arrives folded.
    engine.OnParseWord = [](QObject*, const QChar*& s, quint32& len, bool wildcards) {
        EXPECT_FALSE(wildcards);
        quint32 n = 0;
        while (n < len && s[n] != u',') ++n;
        QString w(s, n);
        const quint32 step = std::min(len, n + 1);
        s += step;
        len -= step;
        return w;
    };
    EXPECT_EQ(split(QStringLiteral("new york,san jose")), qs({"NEW YORK", "SAN JOSE"}));
    engine.OnParseWord = [](QObject*, const QChar*&, quint32&, bool) { return QStringLiteral("STUCK"); };
    EXPECT_EQ(split(QStringLiteral("abc")), qs({"STUCK"}));  // a parser that does not advance ends the text
}

TEST_F(Engine, lines_are_split_or_taken_whole_and_folded) {
    engine.ParseLines({QStringLiteral("red car"), QStringLiteral("blue")}, true);
    EXPECT_EQ(engine.words, qs({"RED", "CAR", "BLUE"}));
    engine.words.clear();
    engine.ParseLines({QStringLiteral("red car"), QStringLiteral("ünïcode")}, false);
    EXPECT_EQ(engine.words, qs({"RED CAR", "ÜNÏCODE"}));
}

TEST_F(Engine, record_numbers_map_to_segment_and_bit_offset_from_the_minimum) {
    text.SetRange(1000, 100000);
    engine.SetSegmentSize(100);  // 112
    struct Case {
        int record;
        int segment;
        int offset;
    };
    static const Case cases[] = {{1000, 0, 0}, {1111, 0, 111}, {1112, 1, 0}, {1000 + 112 * 7 + 5, 7, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        engine.SetRecord(c.record);
        EXPECT_EQ(engine.CurrentRecord(), c.record);
        EXPECT_EQ(engine.CurrentSegment(), c.segment);
        EXPECT_EQ(engine.BitOffset(), c.offset);
    }
    expectTessick(30480, [&] { engine.SetRecord(999); });
    engine.SetSegmentSize(0);
    engine.SetRecord(99999);
    EXPECT_EQ(engine.CurrentSegment(), 0);
    EXPECT_EQ(engine.BitOffset(), 98999);
}

/// A words link that records the state changes it hears of.
class RecordingWordsLink : public MemoryWordsLink {
public:
    explicit RecordingWordsLink(std::vector<QString>* log) : m_log(log) {}
    void StateEntered(TtsBase*, TEngineState s) override {
        m_log->push_back(QStringLiteral("words+%1").arg(int(s)));
        if (throwOnEnter) throw ETessick(fulltext::msgInvalidParameter);
    }
    void StateLeft(TtsBase*, TEngineState s) override { m_log->push_back(QStringLiteral("words-%1").arg(int(s))); }
    bool throwOnEnter = false;

private:
    std::vector<QString>* m_log;
};

TEST_F(Engine, state_changes_enter_then_leave_in_order_and_only_within_the_masks) {
    std::vector<QString> log;
    RecordingWordsLink rec(&log);
    engine.SetWordsLink(&rec);
    engine.OnStateChange = [&](QObject*, TEngineStates s) { log.push_back(QStringLiteral("change %1").arg(s.Bits())); };
    engine.SetState({TEngineState::esMake, TEngineState::esSearch, TEngineState::esRank});
    EXPECT_EQ(log, qs({"words+0", "words+5", "change 289"}));
    log.clear();
    engine.SetState({TEngineState::esUpdate, TEngineState::esRank});
    EXPECT_EQ(log, qs({"words+4", "words-0", "words-5", "change 272"}));
    log.clear();
    engine.SetState({TEngineState::esUpdate, TEngineState::esRank});
    EXPECT_TRUE(log.empty());  // no change, no notification
    // A handler that raises does not stop the set from taking its new value.
    rec.throwOnEnter = true;
    expectTessick(30480, [&] { engine.SetState({TEngineState::esSearch}); });
    EXPECT_EQ(engine.States(), (TEngineStates{TEngineState::esSearch}));
    engine.SetWordsLink(&words);
}

TEST_F(Engine, engine_failures_carry_their_number_and_text) {
    struct Case {
        int number;
        const char* text;
    };
    static const Case cases[] = {
        {30464, "Code array full"},           {30465, "Inconsistent Blob size"},
        {30470, "Decompress buffer too small"}, {30480, "Invalid parameter"},
        {30496, "ReadOnly property"},         {30504, "Leading wildcard not supported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const ETessick e(c.number);
        EXPECT_EQ(e.ErrorCode(), c.number);
        EXPECT_EQ(e.Code(), c.number);
        EXPECT_EQ(e.Message(), QString::fromUtf8(c.text));
    }
    expectTessick(30496, [&] { engine.SetAnsi(false); });
    CollectingEngine bare;
    expectTessick(30488, [&] { bare.CheckAssigned(true, false, false); });
    expectTessick(30489, [&] { bare.SetRecord(5); });
    expectTessick(30490, [&] { bare.CheckAssigned(false, false, true); });
    EXPECT_DOUBLE_EQ(engine.Version(), 2.07);
    engine.SetVersion(9.0);
    EXPECT_DOUBLE_EQ(engine.Version(), 2.07);
}

TEST_F(Engine, boolean_parameters_read_one_t_or_true_and_fall_back_when_missing) {
    engine.SetParams(QStringList{"A=1", "B=t", "C=True", "D=yes", "E=", "F=0"});
    struct Case {
        const char* name;
        bool fallback;
        bool expected;
    };
    static const Case cases[] = {
        {"A", false, true}, {"b", false, true}, {"C", false, true}, {"D", true, false},
        {"E", true, true},  {"F", true, false}, {"Missing", true, true}, {"Missing", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(engine.ParamBool(QString::fromLatin1(c.name), c.fallback), c.expected);
    }
    engine.SetParams(nullptr);
    EXPECT_TRUE(engine.Params().isEmpty());
}

TEST_F(Engine, the_work_buffer_rounds_up_to_sixteen_bytes_and_zero_frees_it) {
    engine.SetBufferSize(1);
    EXPECT_EQ(engine.BufferSize(), 16);
    engine.SetBufferSize(33);
    EXPECT_EQ(engine.BufferSize(), 48);
    engine.SetBufferSize(0);
    EXPECT_EQ(engine.BufferSize(), 0);
    EXPECT_EQ(engine.Buffer(), nullptr);
}

TEST_F(Engine, a_removed_link_is_forgotten) {
    {
        MemoryWordsLink temporary(20);
        engine.SetWordsLink(&temporary);
        EXPECT_EQ(engine.WordsLink(), &temporary);
    }
    EXPECT_EQ(engine.WordsLink(), nullptr);
}

}  // namespace
