#include "report/script/parser.h"
#include "report/script/enum_types.h"

#include "report/model/report_utils.h"

#include <gtest/gtest.h>

namespace {

/// The tokens of a source, one per line: kind, data type for literals and types, text or
/// value, line:position; an error-list token is marked "!".
QString lexed(const QString& source, bool editor = false) {
    TraParser parser;
    parser.SkipComments = !editor;
    parser.SkipQuotes = !editor;
    parser.Parse(source);
    QStringList lines;
    for (int i = 0; i < parser.TokenCount(); ++i) {
        const TraToken* t = parser.Tokens(i);
        QString line = ppGetEnumName(EnumTypeOf(t->TokenType), int(t->TokenType));
        if (t->TokenType == TraTokenType::ttNumber) {
            line += t->DataType == TraDataType::daInteger ? QStringLiteral(" int ") + QString::number(t->IntValue)
                                                          : QStringLiteral(" ext ") + QString::number(double(t->FloatValue));
        } else {
            line += QStringLiteral(" [") + t->Text() + QLatin1Char(']');
        }
        if (t->TokenType == TraTokenType::ttType)
            line += QLatin1Char(' ') + DataTypeName(t->DataType);
        if (auto* w = dynamic_cast<const TraWordToken*>(t); w && !w->TypeName.isEmpty())
            line += QStringLiteral(" type=") + w->TypeName;
        line += QStringLiteral(" %1:%2").arg(t->LineNo).arg(t->CharPos);
        for (int e = 0; e < parser.SyntaxErrorCount(); ++e)
            if (parser.SyntaxErrors(e) == t)
                line += QStringLiteral(" !");
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

struct LexCase {
    const char* source;
    const char* tokens;
};

TEST(ScriptLexer, reads_tokens_with_kinds_texts_and_positions) {
    static const LexCase cases[] = {
        {"", ""},
        {"x:=y", "ttIdentifier [x] 1:0\nttColonEqual [:=] 1:1\nttIdentifier [y] 1:3"},
        {"a<>b", "ttIdentifier [a] 1:0\nttNe [<>] 1:1\nttIdentifier [b] 1:3"},
        {"a< >b", "ttIdentifier [a] 1:0\nttLt [<] 1:1\nttGt [>] 1:3\nttIdentifier [b] 1:4"},
        {"<= >= .. . :", "ttLe [<=] 1:0\nttGe [>=] 1:3\nttDotDot [..] 1:6\nttPeriod [.] 1:9\nttColon [:] 1:11"},
        {"1..5", "ttNumber int 1 1:0\nttDotDot [..] 1:1\nttNumber int 5 1:3"},
        {"1.5 1.5E3 2.5E-1 1.", "ttNumber ext 1.5 1:0\nttNumber ext 1500 1:4\nttNumber ext 0.25 1:10\nttNumber ext 1 1:17"},
        {"2147483647", "ttNumber int 2147483647 1:0"},
        {"2147483648 x", "ttUnknown [2147483648] 1:0 !\nttIdentifier [x] 1:11"},
        {"1E+ y", "ttUnknown [1E+] 1:0 !\nttIdentifier [y] 1:4"},
        {"12abc", "ttNumber int 12 1:0\nttIdentifier [abc] 1:2"},
        {"'it''s' ''", "ttString [it's] 1:0\nttString [] 1:8"},
        {"'abc\r\nx", "ttUnknown ['abc\r] 1:0 !\nttIdentifier [x] 2:0"},
        {"'abc\nx", "ttUnknown ['abc\n] 1:0 !\nttIdentifier [x] 2:0"},
        {"{one\r\ntwo}x", "ttIdentifier [x] 2:4"},
        {"{never closed", ""},
        {"^ # } @", "ttUnknown [^] 1:0\nttUnknown [#] 1:2\nttUnknown [}] 1:4\nttUnknown [@] 1:6"},
        {"Begin BEGIN begin eNd", "ttBegin [Begin] 1:0\nttBegin [BEGIN] 1:6\nttBegin [begin] 1:12\nttEnd [eNd] 1:18"},
        {"Integer TDateTime tcolor Variant",
         "ttType [Integer] Integer 1:0\nttType [TDateTime] DateTime 1:8\nttType [tcolor] Integer 1:18\n"
         "ttType [Variant] Variant 1:25"},
        {"boolean TppUnitType", "ttType [boolean] Boolean type=boolean 1:0\nttType [TppUnitType] Enum type=TppUnitType 1:8"},
        {"// (*", "ttSlash [/] 1:0\nttSlash [/] 1:1\nttLParen [(] 1:3\nttStar [*] 1:4"},
        // characters beyond ASCII: kept in strings and comments, an error token elsewhere
        {"'café' {ü} é", "ttString [café] 1:0\nttUnknown [é] 1:11 !"},
        {"caf\xc3\xa9", "ttIdentifier [caf] 1:0\nttUnknown [é] 1:3 !"},
        {"x \xf0\x9f\x98\x80 y", "ttIdentifier [x] 1:0\nttUnknown [😀] 1:2 !\nttIdentifier [y] 1:4"},
        {"\tx\r\n  y\n\nz", "ttIdentifier [x] 1:1\nttIdentifier [y] 2:2\nttIdentifier [z] 4:0"},
    };
    for (const LexCase& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(lexed(QString::fromUtf8(c.source)), QString::fromUtf8(c.tokens));
    }
}

TEST(ScriptLexer, the_editor_keeps_comments_and_literals_as_written) {
    EXPECT_EQ(lexed(QStringLiteral("{note} 'it''s'"), true),
              QStringLiteral("ttComment [{note}] 1:0\nttString ['it''s'] 1:7"));
}

TEST(ScriptLexer, describes_tokens_for_display) {
    TraParser parser;
    parser.SkipComments = false;
    parser.Parse(QStringLiteral("x begin 'a' + 7 {abcdefghijkl} ^"));
    QStringList descriptions;
    for (int i = 0; i < parser.TokenCount(); ++i)
        descriptions << parser.Tokens(i)->WriteDescription();
    EXPECT_EQ(descriptions, (QStringList{"identifier: x", "reserved word: begin", "string: a", "special: +",
                                         "integer: 7", "comment: {abcdefghij...}", "error: ^"}));
}

TEST(ScriptLexer, reserved_words_and_type_names_ignore_case) {
    static const struct {
        const char* word;
        TraTokenType kind;
    } words[] = {{"WHILE", TraTokenType::ttWhile}, {"DownTo", TraTokenType::ttDownTo}, {":=", TraTokenType::ttColonEqual},
                 {"^", TraTokenType::ttUpArrow},   {"xyz", TraTokenType::ttUnknown},   {"", TraTokenType::ttUnknown}};
    for (const auto& w : words) {
        SCOPED_TRACE(w.word);
        EXPECT_EQ(FindReservedWord(QString::fromLatin1(w.word)), w.kind);
    }
    EXPECT_EQ(FindTypeName(QStringLiteral("TDATE")), TraDataType::daDate);
    EXPECT_EQ(FindTypeName(QStringLiteral("Color")), TraDataType::daInteger);
    EXPECT_EQ(FindTypeName(QStringLiteral("BOOLEAN")), TraDataType::daBoolean);
    EXPECT_EQ(FindTypeName(QStringLiteral("tppunittype")), TraDataType::daEnum);
    EXPECT_EQ(FindTypeName(QStringLiteral("TComponent")), TraDataType::daClass);
    EXPECT_EQ(FindTypeName(QStringLiteral("Foo")), TraDataType::daUnknown);
}

TEST(ScriptLexer, any_text_lexes_to_tokens_inside_it) {
    // Every byte value, also a lone surrogate's encoding, and control characters.
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    bytes += "\xed\xa0\x80 '\x01' {\x7f";
    const QString source = QString::fromUtf8(bytes);
    TraParser parser;
    parser.Parse(source);
    const int lines = int(source.count(QLatin1Char('\r')) + source.count(QLatin1Char('\n'))) + 1;
    for (int i = 0; i < parser.TokenCount(); ++i) {
        EXPECT_GE(parser.Tokens(i)->LineNo, 1);
        EXPECT_LE(parser.Tokens(i)->LineNo, lines);
        EXPECT_GE(parser.Tokens(i)->CharPos, 0);
    }
}

}  // namespace
