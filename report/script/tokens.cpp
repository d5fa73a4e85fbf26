#include "report/script/tokens.h"

#include "report/model/report_utils.h"
#include "report/script/enum_types.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace script {
namespace {

constexpr std::array<TraCharClass, 128> makeCharTable() {
    std::array<TraCharClass, 128> t{};
    for (auto& c : t)
        c = TraCharClass::ccInvalid;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[size_t(c)] = TraCharClass::ccWord;
    for (int c = 'a'; c <= 'z'; ++c)
        t[size_t(c)] = TraCharClass::ccWord;
    t['_'] = TraCharClass::ccWord;
    for (int c = '0'; c <= '9'; ++c)
        t[size_t(c)] = TraCharClass::ccNumber;
    for (char c : {'(', ')', '*', '+', ',', '-', '.', '/', ':', ';', '<', '=', '>', '[', ']'})
        t[size_t(c)] = TraCharClass::ccSpecial;
    t['\''] = TraCharClass::ccString;
    for (int c : {9, 10, 13, 32})
        t[size_t(c)] = TraCharClass::ccWhiteSpace;
    t['{'] = TraCharClass::ccComment;
    return t;
}

constexpr std::array<TraCharClass, 128> kCharTable = makeCharTable();

struct ReservedWord {
    const char* spelling;
    TraTokenType kind;
};

// Sorted by spelling (byte order), so that a spelling is found by binary search.
const std::vector<ReservedWord>& reservedWords() {
    static const std::vector<ReservedWord> words = [] {
        std::vector<ReservedWord> w = {
            {"^", TraTokenType::ttUpArrow},     {"*", TraTokenType::ttStar},
            {"(", TraTokenType::ttLParen},      {")", TraTokenType::ttRParen},
            {"-", TraTokenType::ttMinus},       {"+", TraTokenType::ttPlus},
            {"=", TraTokenType::ttEqual},       {"[", TraTokenType::ttLBracket},
            {"]", TraTokenType::ttRBracket},    {":", TraTokenType::ttColon},
            {";", TraTokenType::ttSemiColon},   {"<", TraTokenType::ttLt},
            {">", TraTokenType::ttGt},          {",", TraTokenType::ttComma},
            {".", TraTokenType::ttPeriod},      {"/", TraTokenType::ttSlash},
            {":=", TraTokenType::ttColonEqual}, {"<=", TraTokenType::ttLe},
            {">=", TraTokenType::ttGe},         {"<>", TraTokenType::ttNe},
            {"..", TraTokenType::ttDotDot},     {"and", TraTokenType::ttAnd},
            {"as", TraTokenType::ttAs},         {"begin", TraTokenType::ttBegin},
            {"case", TraTokenType::ttCase},     {"const", TraTokenType::ttConst},
            {"div", TraTokenType::ttDiv},       {"do", TraTokenType::ttDo},
            {"downto", TraTokenType::ttDownTo}, {"else", TraTokenType::ttElse},
            {"end", TraTokenType::ttEnd},       {"for", TraTokenType::ttFor},
            {"function", TraTokenType::ttFunction}, {"if", TraTokenType::ttIf},
            {"in", TraTokenType::ttIn},         {"is", TraTokenType::ttIs},
            {"mod", TraTokenType::ttMod},       {"not", TraTokenType::ttNot},
            {"of", TraTokenType::ttOf},         {"or", TraTokenType::ttOr},
            {"procedure", TraTokenType::ttProcedure}, {"repeat", TraTokenType::ttRepeat},
            {"then", TraTokenType::ttThen},     {"to", TraTokenType::ttTo},
            {"until", TraTokenType::ttUntil},   {"var", TraTokenType::ttVar},
            {"while", TraTokenType::ttWhile},
        };
        std::sort(w.begin(), w.end(), [](const ReservedWord& a, const ReservedWord& b) {
            return std::strcmp(a.spelling, b.spelling) < 0;
        });
        return w;
    }();
    return words;
}

struct TypeNameEntry {
    const char* name;
    TraDataType type;
};

constexpr TypeNameEntry kTypeNames[] = {
    {"integer", TraDataType::daInteger},   {"string", TraDataType::daString},
    {"char", TraDataType::daChar},         {"color", TraDataType::daInteger},
    {"single", TraDataType::daSingle},     {"double", TraDataType::daDouble},
    {"extended", TraDataType::daExtended}, {"currency", TraDataType::daCurrency},
    {"datetime", TraDataType::daDateTime}, {"date", TraDataType::daDate},
    {"time", TraDataType::daTime},         {"variant", TraDataType::daVariant},
    {"tcolor", TraDataType::daInteger},    {"tdatetime", TraDataType::daDateTime},
    {"tdate", TraDataType::daDate},
};

}  // namespace

TraCharClass CharClassOf(char32_t c) {
    return c < 128 ? kCharTable[c] : TraCharClass::ccInvalid;
}

}  // namespace script

TraTokenType FindReservedWord(const QString& aSpelling) {
    const QByteArray key = aSpelling.toLower().toUtf8();
    const auto& words = script::reservedWords();
    auto it = std::lower_bound(words.begin(), words.end(), key, [](const script::ReservedWord& w, const QByteArray& k) {
        return std::strcmp(w.spelling, k.constData()) < 0;
    });
    if (it != words.end() && key == it->spelling)
        return it->kind;
    return TraTokenType::ttUnknown;
}

QString TokenSpelling(TraTokenType aKind) {
    for (const auto& w : script::reservedWords())
        if (w.kind == aKind)
            return QString::fromLatin1(w.spelling);
    return {};
}

QString GetTokenTypeName(TraTokenType aKind) {
    switch (aKind) {
    case TraTokenType::ttIdentifier:
        return QStringLiteral("identifier");
    case TraTokenType::ttNumber:
        return QStringLiteral("number");
    case TraTokenType::ttString:
        return QStringLiteral("string");
    case TraTokenType::ttType:
        return QStringLiteral("type");
    case TraTokenType::ttUnary:
        return QStringLiteral("unary operator");
    case TraTokenType::ttOperator:
        return QStringLiteral("operator");
    default:
        break;
    }
    const QString spelling = TokenSpelling(aKind);
    if (!spelling.isEmpty())
        return QLatin1Char('\'') + spelling + QLatin1Char('\'');
    return ppGetEnumName(EnumTypeOf(aKind), int(aKind));
}

TraDataType FindTypeName(const QString& aWord) {
    const QString lower = aWord.toLower();
    for (const auto& e : script::kTypeNames)
        if (lower == QLatin1String(e.name))
            return e.type;
    if (FindEnumType(aWord))
        return aWord.compare(QLatin1String("Boolean"), Qt::CaseInsensitive) == 0 ? TraDataType::daBoolean
                                                                                   : TraDataType::daEnum;
    if (raGetClass(aWord))
        return TraDataType::daClass;
    return TraDataType::daUnknown;
}

QString DataTypeName(TraDataType aType) {
    return ppGetEnumName(EnumTypeOf(aType), int(aType)).mid(2);
}
