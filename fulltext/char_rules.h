#pragma once

#include <QChar>
#include <QString>

#include <array>
#include <bitset>
#include <cstdint>

namespace fulltext {

// The engine's character tables (delimiter sets, case folding, the sounds-like fold and codes)
// are defined over the 256 characters of the Windows ANSI code page. Here is the one place
// where they meet Unicode text:
//  - those 256 characters are taken by their Unicode code points (Windows-1252 positions
//    mapped to Unicode; the five unassigned positions 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to
//    U+0081, U+008D, U+008F, U+0090 and U+009D), and the tables apply to them as given;
//  - every other character goes by its Unicode class: letters, digits and combining marks
//    are word characters, everything else delimits; its upper case is the Unicode upper case
//    when that is one code unit as well (so folding never changes a text's length);
//  - lengths are counted in QString characters (UTF-16 code units); a cut never splits a
//    surrogate pair.

/// The ANSI position (0..255) of a character, or -1 when it is not one of the 256.
int AnsiCode(char32_t ch);
/// The Unicode code point of an ANSI position.
char32_t AnsiToUnicode(std::uint8_t code);

/// A set over the 256 ANSI positions (the engine's delimiter set).
using AnsiSet = std::bitset<256>;

/// Classification of every UTF-16 code unit under one delimiter set: 0 word character,
/// 1 delimiter, 2 high surrogate (decided with the unit that follows), 3 lone low surrogate
/// (a delimiter). Built once per delimiter set; lookups are one table read.
class CharClassTable {
public:
    enum : std::uint8_t { Word = 0, Delim = 1, HighSurrogate = 2, LowSurrogate = 3 };

    explicit CharClassTable(const AnsiSet& ansiDelimiters);

    std::uint8_t Class(char16_t unit) const { return m_class[unit]; }
    /// The class of a unit's upper case (UpperTable), which is what splitting a folded text
    /// goes by; indexed by unit.
    const std::uint8_t* FoldedClasses() const { return m_folded.data(); }
    /// True when the character starting at `text[i]` is a delimiter; `width` gets 1 or 2.
    bool IsDelimiterAt(const char16_t* text, qsizetype i, qsizetype end, int& width) const;

private:
    std::array<std::uint8_t, 65536> m_class;
    std::array<std::uint8_t, 65536> m_folded;
};

/// True for a code point outside the ANSI set that counts as a word character.
bool IsUnicodeWordChar(char32_t ch);

/// The plain upper case of one character under the rules above (ANSI characters keep
/// their case when the Unicode upper case is not an ANSI character, as ß and µ do).
char16_t UpperChar(char16_t unit);
/// The upper case of every UTF-16 code unit (surrogates map to themselves; pairs go through
/// UpperInPlace). Applying it twice gives the same as once.
const char16_t* UpperTable();
/// Upper-cases a text in place, unit by unit (surrogate pairs as one character).
void UpperInPlace(QChar* text, qsizetype length);

/// The sounds-like fold: accented Latin letters of the ANSI set lose their accent
/// (À-Å → A, Ç → C, È-Ë → E, Ì-Ï → I, Ñ → N, Ò-Ö → O, Ù-Ü → U, Ý → Y, either case),
/// everything else is upper-cased as by UpperChar.
char16_t SoundsLikeFold(char16_t unit);
/// The sounds-like code of a character: '1'..'6', or 0 when it has none.
char SoundsLikeCode(char16_t unit);

/// Number of code units of the first `maxChars` characters of `text`, not splitting a pair.
qsizetype CutLength(const QChar* text, qsizetype length, qsizetype maxChars);

}  // namespace fulltext
