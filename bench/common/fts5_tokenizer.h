#pragma once

// The SQLite FTS5 tokenizer the benchmarks compare with, set to split text where the
// engine's word characters end.

#include "fulltext/char_rules.h"

#include <QByteArray>
#include <QChar>
#include <QString>

namespace benchfts {

/// The FTS5 tokenizer that splits text where our default delimiters do (unicode61 with
/// diacritics kept, our extra word characters as token characters and their other word
/// characters as separators), quoted for a CREATE VIRTUAL TABLE statement.
inline QByteArray FtsTokenizer(const fulltext::CharClassTable& classes) {
    QString tokenChars, separators;
    for (char32_t u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000) continue;
        const QChar c{char16_t(u)};
        const bool theirs = c.isLetterOrNumber() || c.category() == QChar::Other_PrivateUse;
        const bool ours = classes.Class(char16_t(u)) == fulltext::CharClassTable::Word;
        if (ours && !theirs) tokenChars += c;
        if (!ours && theirs) separators += c;
    }
    QString tokenizer = QStringLiteral("unicode61 remove_diacritics 0");
    auto quoted = [](QString s) { return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''); };
    if (!tokenChars.isEmpty()) tokenizer += QStringLiteral(" tokenchars ") + quoted(tokenChars);
    if (!separators.isEmpty()) tokenizer += QStringLiteral(" separators ") + quoted(separators);
    return tokenizer.replace(QLatin1Char('\''), QLatin1String("''")).toUtf8();
}

}  // namespace benchfts
