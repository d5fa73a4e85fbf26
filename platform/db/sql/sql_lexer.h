#pragma once

#include "platform/base/result.h"
#include "platform/db/db_error.h"

#include <QString>

#include <vector>

namespace db::sql {

/// The kinds of token of a query text. Every character of the text belongs to exactly one
/// token, so joining the texts of all tokens gives the input back unchanged.
enum class TokenKind {
    Space,         ///< blanks, tabs and line breaks
    Comment,       ///< "-- ..." to the end of the line, or "/* ... */"
    Word,          ///< a name or keyword: letter or "_" first, then letters, digits, "_" and "$"
    DoubleQuoted,  ///< "..." with "" standing for one double quote inside
    SingleQuoted,  ///< '...' with '' standing for one single quote inside
    QuotedName,    ///< [...] (no escapes: it ends at the first "]") or `...` with `` for one back-quote; always a name
    Number,        ///< 12, 1.5, .5, 1e3, 2.5E-4
    Symbol,        ///< one operator or punctuation: ( ) , . ; + - * / = < > <= >= <> != || and others
};

struct Token {
    TokenKind kind = TokenKind::Space;
    QString text;     ///< exactly as written, quotes included
    int offset = 0;   ///< 0-based position in the text
    int line = 1;     ///< 1-based
    int column = 1;   ///< 1-based

    bool IsWord(const char* upperWord) const;  ///< a Word equal to it, ignoring case
    bool IsSymbol(const char* symbol) const;
    bool Significant() const { return kind != TokenKind::Space && kind != TokenKind::Comment; }
    /// A name in double quotes, brackets or back-quotes.
    bool IsQuotedName() const { return kind == TokenKind::DoubleQuoted || kind == TokenKind::QuotedName; }
    /// The contents of a quoted token (string or name) without its quotes and with doubled
    /// quotes undone.
    QString Unquoted() const;
};

// The lexer's error codes (kUnterminatedString, kUnterminatedName, kUnterminatedComment)
// are declared with the layer's other errors in platform/db/db_error.h.

/// Splits a query text into tokens. Fails, with the line and column of the opening quote,
/// on an unterminated string, quoted name or block comment.
base::Result<std::vector<Token>> Tokenize(const QString& text);

/// Writes a text as an SQL string literal in single quotes, doubling single quotes inside.
QString SingleQuote(const QString& text);
/// Writes a name in double quotes, doubling double quotes inside.
QString DoubleQuote(const QString& name);

}  // namespace db::sql
