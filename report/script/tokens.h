#pragma once

// The vocabulary of the script language's lexer: token kinds, sets of kinds, character
// classes, the reserved words and the built-in type names.

#include "report/model/script_adapter.h"
#include "report/page/enum_type.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

/// The kind of a token. Kinds 11 to 57 are the reserved words and symbols; their spellings
/// are the entries of the reserved-word list.
DOSSARA_REPORT_ENUM(TraTokenType, ttUnknown, ttIdentifier, ttNumber, ttString, ttComment, ttType, ttError, ttUnary,
                    ttOperator, ttUnaryPlus, ttUnaryMinus, ttUpArrow, ttStar, ttLParen, ttRParen, ttMinus, ttPlus,
                    ttEqual, ttLBracket, ttRBracket, ttColon, ttSemiColon, ttLt, ttGt, ttComma, ttPeriod, ttSlash,
                    ttColonEqual, ttLe, ttGe, ttNe, ttDotDot, ttAnd, ttAs, ttBegin, ttCase, ttConst, ttDiv, ttDo,
                    ttDownTo, ttElse, ttEnd, ttFor, ttFunction, ttIf, ttIn, ttIs, ttMod, ttNot, ttOf, ttOr,
                    ttProcedure, ttRepeat, ttThen, ttTo, ttUntil, ttVar, ttWhile)

/// The class of a source character, which picks the token class that reads it.
enum class TraCharClass : std::uint8_t { ccWord, ccNumber, ccSpecial, ccString, ccWhiteSpace, ccComment, ccInvalid };

/// A set of token kinds (64 bits, one per kind).
class TraTokenTypes {
public:
    constexpr TraTokenTypes() = default;
    TraTokenTypes(std::initializer_list<TraTokenType> kinds) {
        for (TraTokenType k : kinds)
            m_bits |= bit(k);
    }
    bool Contains(TraTokenType k) const { return (m_bits & bit(k)) != 0; }
    TraTokenTypes& operator+=(TraTokenTypes other) {
        m_bits |= other.m_bits;
        return *this;
    }
    TraTokenTypes& operator+=(TraTokenType k) {
        m_bits |= bit(k);
        return *this;
    }
    friend TraTokenTypes operator+(TraTokenTypes a, TraTokenTypes b) { return a += b; }
    friend TraTokenTypes operator+(TraTokenTypes a, TraTokenType k) { return a += k; }
    bool IsEmpty() const { return m_bits == 0; }
    std::uint64_t Bits() const { return m_bits; }

private:
    static std::uint64_t bit(TraTokenType k) { return std::uint64_t(1) << unsigned(k); }
    std::uint64_t m_bits = 0;
};

namespace script {

/// The class of a character by its code point. Codes 0 to 127 come from the fixed table;
/// every code from 128 on is ccInvalid (non-ASCII text is kept only inside strings and
/// comments).
TraCharClass CharClassOf(char32_t c);

}  // namespace script

/// The 47 reserved words and symbols with their kinds, sorted by spelling so that a spelling
/// is found by binary search. One shared list, built on first use.
class TraReservedWordInfoList {
public:
    struct Entry {
        QByteArray Spelling;  ///< lower case
        TraTokenType Kind;
    };
    explicit TraReservedWordInfoList(std::vector<Entry> entries);
    /// The kind of a lower-case spelling, or ttUnknown.
    TraTokenType Find(const QByteArray& aSpelling) const;
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};
const TraReservedWordInfoList& GetReservedWordList();

/// One built-in type name ("integer", "tdatetime") and the data type it stands for.
struct TraTypeNameEntry {
    const char* Name;  ///< lower case
    TraDataType DataType;
};
/// The built-in type names, looked up without regard to case.
const std::vector<TraTypeNameEntry>& GetTypeNameList();

/// The kind of a reserved word or symbol spelling (compared without regard to case), or
/// ttUnknown.
TraTokenType FindReservedWord(const QString& aSpelling);
/// The spelling of a reserved word or symbol kind ("begin", ":="); empty for other kinds.
QString TokenSpelling(TraTokenType aKind);
/// The name of a kind in an expected-token message: "identifier", "number", "string",
/// "type", "unary operator", "operator", or the spelling in single quotes.
QString GetTokenTypeName(TraTokenType aKind);

/// The data type a word names: first the built-in type names ("integer", "tdatetime", ...),
/// then the registered enumerated types ("Boolean" gives daBoolean, any other daEnum), then
/// the classes the scripting language knows (daClass). daUnknown when the word names none.
TraDataType FindTypeName(const QString& aWord);
/// The name of a data type without its prefix ("Integer" for daInteger).
QString DataTypeName(TraDataType aType);
