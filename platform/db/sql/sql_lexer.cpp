#include "platform/db/sql/sql_lexer.h"

namespace db::sql {

namespace {

bool IsWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool IsWordPart(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

}  // namespace

bool Token::IsWord(const char* upperWord) const {
    return kind == TokenKind::Word && text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

bool Token::IsSymbol(const char* symbol) const {
    return kind == TokenKind::Symbol && text == QLatin1String(symbol);
}

QString Token::Unquoted() const {
    if (kind != TokenKind::DoubleQuoted && kind != TokenKind::SingleQuoted && kind != TokenKind::QuotedName) return text;
    const QChar q = text.front();
    QString inner = text.mid(1, text.size() - 2);
    if (q != u'[') inner.replace(QString(2, q), QString(q));
    return inner;
}

base::Result<std::vector<Token>> Tokenize(const QString& text) {
    std::vector<Token> tokens;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    int column = 1;

    // Moves the position over text[from, to), keeping line and column in step.
    auto advance = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k) {
            if (text[k] == u'\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
    };

    while (i < n) {
        const QChar c = text[i];
        Token t;
        t.offset = int(i);
        t.line = line;
        t.column = column;
        qsizetype end = i + 1;

        if (c.isSpace()) {
            t.kind = TokenKind::Space;
            while (end < n && text[end].isSpace()) ++end;
        } else if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
            t.kind = TokenKind::Comment;
            while (end < n && text[end] != u'\n') ++end;
        } else if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
            t.kind = TokenKind::Comment;
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            if (close < 0) return base::MakeError(kUnterminatedComment, QStringLiteral("Comment is not closed."), line, column);
            end = close + 2;
        } else if (c == u'[') {
            // a name in brackets, read as SQLite reads it: up to the first "]", nothing escaped
            t.kind = TokenKind::QuotedName;
            const qsizetype close = text.indexOf(u']', i + 1);
            if (close < 0) return base::MakeError(kUnterminatedName, QStringLiteral("Quoted name is not closed."), line, column);
            end = close + 1;
        } else if (c == u'"' || c == u'\'' || c == u'`') {
            t.kind = c == u'"' ? TokenKind::DoubleQuoted : c == u'`' ? TokenKind::QuotedName : TokenKind::SingleQuoted;
            for (;;) {
                if (end >= n) {
                    if (c == u'\'') return base::MakeError(kUnterminatedString, QStringLiteral("String is not closed."), line, column);
                    return base::MakeError(kUnterminatedName,
                                           c == u'"' ? QStringLiteral("Quoted text is not closed.") : QStringLiteral("Quoted name is not closed."),
                                           line, column);
                }
                if (text[end] == c) {
                    if (end + 1 < n && text[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && text[i + 1].isDigit())) {
            t.kind = TokenKind::Number;
            while (end < n && text[end].isDigit()) ++end;
            if (c != u'.' && end < n && text[end] == u'.') {
                ++end;
                while (end < n && text[end].isDigit()) ++end;
            }
            if (end < n && (text[end] == u'e' || text[end] == u'E')) {
                qsizetype e = end + 1;
                if (e < n && (text[e] == u'+' || text[e] == u'-')) ++e;
                if (e < n && text[e].isDigit()) {
                    end = e;
                    while (end < n && text[end].isDigit()) ++end;
                }
            }
        } else if (IsWordStart(c)) {
            t.kind = TokenKind::Word;
            while (end < n && IsWordPart(text[end])) ++end;
        } else {
            t.kind = TokenKind::Symbol;
            static const char* const kPairs[] = {"<=", ">=", "<>", "!=", "||", "=="};
            if (i + 1 < n) {
                const QString two = text.mid(i, 2);
                for (const char* p : kPairs) {
                    if (two == QLatin1String(p)) {
                        end = i + 2;
                        break;
                    }
                }
            }
        }
        t.text = text.mid(i, end - i);
        advance(i, end);
        tokens.push_back(std::move(t));
        i = end;
    }
    return tokens;
}

QString SingleQuote(const QString& text) {
    QString s = text;
    s.replace(u'\'', QLatin1String("''"));
    return u'\'' + s + u'\'';
}

QString DoubleQuote(const QString& name) {
    QString s = name;
    s.replace(u'"', QLatin1String("\"\""));
    return u'"' + s + u'"';
}

}  // namespace db::sql
