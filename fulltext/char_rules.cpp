#include "fulltext/char_rules.h"

#include "platform/base/ansi.h"

namespace fulltext {

namespace {

struct Tables {
    std::array<std::int16_t, 65536> ansiOf{};   // -1 when not an ANSI character
    std::array<char16_t, 65536> upper{};
    std::array<char16_t, 256> likeFoldAnsi{};  // by ANSI position
    Tables() {
        ansiOf.fill(-1);
        for (int i = 0; i < 256; ++i) ansiOf[AnsiToUnicode(std::uint8_t(i))] = std::int16_t(i);
        for (int u = 0; u < 65536; ++u) {
            const char16_t unit = char16_t(u);
            if (QChar::isSurrogate(unit)) {
                upper[u] = unit;
                continue;
            }
            const char32_t up = QChar::toUpper(char32_t(unit));
            if (ansiOf[u] >= 0) {
                // ANSI characters keep their case unless their upper case is an ANSI character too.
                upper[u] = (up <= 0xFFFF && ansiOf[up] >= 0) ? char16_t(up) : unit;
            } else {
                upper[u] = up <= 0xFFFF ? char16_t(up) : unit;
            }
        }
        for (int i = 0; i < 256; ++i) likeFoldAnsi[i] = upper[AnsiToUnicode(std::uint8_t(i))];
        auto range = [&](int from, int to, char16_t target) {
            for (int c = from; c <= to; ++c) likeFoldAnsi[c] = target;
        };
        range(0xC0, 0xC5, u'A'); range(0xE0, 0xE5, u'A');
        range(0xC7, 0xC7, u'C'); range(0xE7, 0xE7, u'C');
        range(0xC8, 0xCB, u'E'); range(0xE8, 0xEB, u'E');
        range(0xCC, 0xCF, u'I'); range(0xEC, 0xEF, u'I');
        range(0xD1, 0xD1, u'N'); range(0xF1, 0xF1, u'N');
        range(0xD2, 0xD6, u'O'); range(0xF2, 0xF6, u'O');
        range(0xD9, 0xDC, u'U'); range(0xF9, 0xFC, u'U');
        range(0xDD, 0xDD, u'Y'); range(0xFD, 0xFD, u'Y');
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

int AnsiCode(char32_t ch) {
    return ch > 0xFFFF ? -1 : tables().ansiOf[ch];
}

char32_t AnsiToUnicode(std::uint8_t code) { return base::AnsiToUnicode(code); }

bool IsUnicodeWordChar(char32_t ch) {
    switch (QChar::category(ch)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

namespace {

/// The classes that do not depend on a delimiter set, worked out once.
const std::array<std::uint8_t, 65536>& unicodeClasses() {
    static const auto classes = [] {
        std::array<std::uint8_t, 65536> c{};
        for (int u = 0; u < 65536; ++u) {
            const char16_t unit = char16_t(u);
            if (QChar::isHighSurrogate(unit)) c[u] = CharClassTable::HighSurrogate;
            else if (QChar::isLowSurrogate(unit)) c[u] = CharClassTable::LowSurrogate;
            else c[u] = IsUnicodeWordChar(unit) ? CharClassTable::Word : CharClassTable::Delim;
        }
        return c;
    }();
    return classes;
}

}  // namespace

CharClassTable::CharClassTable(const AnsiSet& ansiDelimiters) : m_class(unicodeClasses()) {
    for (int code = 0; code < 256; ++code)
        m_class[AnsiToUnicode(std::uint8_t(code))] = ansiDelimiters.test(std::size_t(code)) ? Delim : Word;
    const char16_t* upper = UpperTable();
    for (std::size_t unit = 0; unit < m_folded.size(); ++unit) m_folded[unit] = m_class[upper[unit]];
}

bool CharClassTable::IsDelimiterAt(const char16_t* text, qsizetype i, qsizetype end, int& width) const {
    const std::uint8_t c = m_class[text[i]];
    width = 1;
    if (c == HighSurrogate) {
        if (i + 1 < end && QChar::isLowSurrogate(text[i + 1])) {
            width = 2;
            return !IsUnicodeWordChar(QChar::surrogateToUcs4(text[i], text[i + 1]));
        }
        return true;
    }
    return c != Word;
}

const char16_t* UpperTable() {
    return tables().upper.data();
}

char16_t UpperChar(char16_t unit) {
    return tables().upper[unit];
}

void UpperInPlace(QChar* text, qsizetype length) {
    const auto& upper = tables().upper;
    char16_t* p = reinterpret_cast<char16_t*>(text);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            p[i] = char16_t(c - (char16_t(unsigned(c - u'a') < 26u) << 5));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t up = QChar::toUpper(QChar::surrogateToUcs4(c, p[i + 1]));
            if (QChar::requiresSurrogates(up)) {
                p[i] = QChar::highSurrogate(up);
                p[i + 1] = QChar::lowSurrogate(up);
            }
            ++i;
            continue;
        }
        p[i] = upper[c];
    }
}

char16_t SoundsLikeFold(char16_t unit) {
    const int code = tables().ansiOf[unit];
    return code >= 0 ? tables().likeFoldAnsi[code] : tables().upper[unit];
}

char SoundsLikeCode(char16_t unit) {
    switch (unit) {
    case u'B': case u'F': case u'P': case u'V':
    case u'b': case u'f': case u'p': case u'v':
        return '1';
    case u'C': case u'G': case u'J': case u'K': case u'Q': case u'S': case u'X': case u'Z':
    case u'c': case u'g': case u'j': case u'k': case u'q': case u's': case u'x': case u'z':
    case u'\u00C7': case u'\u00E7':
        return '2';
    case u'D': case u'T': case u'd': case u't':
        return '3';
    case u'L': case u'l':
        return '4';
    case u'M': case u'N': case u'm': case u'n': case u'\u00D1': case u'\u00F1':
        return '5';
    case u'R': case u'r':
        return '6';
    default:
        return 0;
    }
}

qsizetype CutLength(const QChar* text, qsizetype length, qsizetype maxChars) {
    if (maxChars < 0) maxChars = 0;
    if (length <= maxChars) return length;
    qsizetype n = maxChars;
    if (n > 0 && text[n - 1].isHighSurrogate() && text[n].isLowSurrogate()) --n;
    return n;
}

}  // namespace fulltext
