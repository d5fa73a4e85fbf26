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

constexpr TraTypeNameEntry kTypeNames[] = {
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

TraReservedWordInfoList::TraReservedWordInfoList(std::vector<Entry> entries) : m_entries(std::move(entries)) {
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.Spelling < b.Spelling; });
}

TraTokenType TraReservedWordInfoList::Find(const QByteArray& aSpelling) const {
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), aSpelling,
                               [](const Entry& e, const QByteArray& k) { return e.Spelling < k; });
    if (it != m_entries.end() && it->Spelling == aSpelling)
        return it->Kind;
    return TraTokenType::ttUnknown;
}

const TraReservedWordInfoList& GetReservedWordList() {
    using T = TraTokenType;
    static const TraReservedWordInfoList list({
        {"^", T::ttUpArrow},      {"*", T::ttStar},         {"(", T::ttLParen},      {")", T::ttRParen},
        {"-", T::ttMinus},        {"+", T::ttPlus},         {"=", T::ttEqual},       {"[", T::ttLBracket},
        {"]", T::ttRBracket},     {":", T::ttColon},        {";", T::ttSemiColon},   {"<", T::ttLt},
        {">", T::ttGt},           {",", T::ttComma},        {".", T::ttPeriod},      {"/", T::ttSlash},
        {":=", T::ttColonEqual},  {"<=", T::ttLe},          {">=", T::ttGe},         {"<>", T::ttNe},
        {"..", T::ttDotDot},      {"and", T::ttAnd},        {"as", T::ttAs},         {"begin", T::ttBegin},
        {"case", T::ttCase},      {"const", T::ttConst},    {"div", T::ttDiv},       {"do", T::ttDo},
        {"downto", T::ttDownTo},  {"else", T::ttElse},      {"end", T::ttEnd},       {"for", T::ttFor},
        {"function", T::ttFunction}, {"if", T::ttIf},       {"in", T::ttIn},         {"is", T::ttIs},
        {"mod", T::ttMod},        {"not", T::ttNot},        {"of", T::ttOf},         {"or", T::ttOr},
        {"procedure", T::ttProcedure}, {"repeat", T::ttRepeat}, {"then", T::ttThen}, {"to", T::ttTo},
        {"until", T::ttUntil},    {"var", T::ttVar},        {"while", T::ttWhile},
    });
    return list;
}

const std::vector<TraTypeNameEntry>& GetTypeNameList() {
    static const std::vector<TraTypeNameEntry> list(std::begin(script::kTypeNames), std::end(script::kTypeNames));
    return list;
}

TraTokenType FindReservedWord(const QString& aSpelling) {
    return GetReservedWordList().Find(aSpelling.toLower().toUtf8());
}

QString TokenSpelling(TraTokenType aKind) {
    for (const auto& w : GetReservedWordList().Entries())
        if (w.Kind == aKind)
            return QString::fromLatin1(w.Spelling);
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
    for (const auto& e : GetTypeNameList())
        if (lower == QLatin1String(e.Name))
            return e.DataType;
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
