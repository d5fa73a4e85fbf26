#include "fulltext/search/ts_expression.h"

#include "fulltext/char_rules.h"
#include "fulltext/errors.h"

#include "platform/base/assert.h"
#include "platform/base/messages.h"

namespace fulltext {

namespace {

constexpr int kMaxTermChars = 256;
constexpr int kMaxKeywordChars = 32;

/// The scanner and code generator of one compilation. Positions are 1-based character
/// indexes of the next character to read; characters are read upper-cased, a tab as a blank.
class Compiler {
public:
    Compiler(const QString& source, const QStringList& tokens) : m_src(source) {
        for (int i = 0; i < 5; ++i) m_tokens[i] = upper(i < tokens.size() ? tokens[i] : DefaultTokens()[i]);
    }

    ExprCode Run() {
        expression();
        skipBlanks();
        if (m_pos <= m_src.size()) fail(msgSyntaxError);
        emitOp(opEnd);
        return std::move(m_code);
    }

    bool HasOperator() const { return m_code.hasOperator; }
    int Position() const { return m_pos; }

private:
    enum Keyword { kwAnd = 0, kwOr = 1, kwNot = 2, kwLike = 3, kwNear = 4 };

    static QString upper(QString s) {
        UpperInPlace(s.data(), s.size());
        return s;
    }

    [[noreturn]] void fail(int number) { throw EExpression(number, m_pos); }

    /// The character at 1-based `pos` as the scanner reads it; 0 past the end.
    char16_t at(int pos) const {
        if (pos < 1 || pos > m_src.size()) return 0;
        char16_t c = m_src[pos - 1].unicode();
        if (c == u'\t' || c == 0) return u' ';
        return UpperChar(c);
    }
    char16_t peek() const { return at(m_pos); }
    bool atEnd() const { return m_pos > m_src.size(); }
    static bool isBlank(char16_t c) { return c == u' '; }

    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) ++m_pos;
    }

    /// Reads keyword `k` when it stands next; otherwise leaves the position unchanged.
    bool keyword(Keyword k) {
        const int saved = m_pos;
        skipBlanks();
        const QString& kw = m_tokens[k];
        if (kw.isEmpty() || atEnd() || peek() != kw[0].unicode()) {
            m_pos = saved;
            return false;
        }
        QString read{QChar(peek())};
        ++m_pos;
        const QStringView rest = QStringView(kw).mid(1);
        while (!atEnd() && read.size() < kMaxKeywordChars && rest.contains(QChar(peek()))) {
            read += QChar(peek());
            ++m_pos;
        }
        const char16_t next = peek();
        if (read == kw && (atEnd() || isBlank(next) || next == u'(')) return true;
        m_pos = saved;
        return false;
    }

    void reserve(int units) {
        // One unit stays free for the end mark.
        if (int(m_code.units.size()) + units + 1 > ExprCode::kMaxCode) fail(msgCodeArrayFull);
    }
    void emitOp(ExprOp op) {
        if (op != opEnd) reserve(1);
        m_code.units.push_back(op);
        if (op != opEnd) {
            m_lastOp = op;
            if (op != opTerm) m_code.hasOperator = true;
        }
    }
    void emitTerm(const QString& text) {
        reserve(int(text.size()) + 2);
        m_code.units.push_back(opTerm);
        for (QChar c : text) m_code.units.push_back(c.unicode());
        m_code.units.push_back(0);
        m_lastOp = opTerm;
    }

    void expression() {
        notTerm();
        for (;;) {
            const bool isAnd = keyword(kwAnd);
            if (isAnd || keyword(kwOr)) {
                notTerm();
                if (keyword(kwNear)) {
                    if (m_lastOp != opTerm) fail(msgMissingString);
                    term();
                    emitOp(opNear);
                }
                emitOp(isAnd ? opAnd : opOr);
            } else if (keyword(kwNear)) {
                if (m_lastOp != opTerm) fail(msgMissingString);
                term();
                emitOp(opNear);
            } else {
                return;
            }
        }
    }

    void notTerm() {
        if (keyword(kwNot)) {
            unary();
            emitOp(opNot);
        } else {
            unary();
        }
    }

    void unary() {
        if (keyword(kwLike)) {
            term();
            emitOp(opLike);
        } else {
            primary();
        }
    }

    void primary() {
        skipBlanks();
        const char16_t q = peek();
        if (q != u'"' && q != u'\'') {
            factor();
            return;
        }
        ++m_pos;
        QString text;
        for (;;) {
            if (atEnd()) fail(msgMissingQuote);
            const char16_t c = peek();
            if (c == q) {
                ++m_pos;
                break;
            }
            if (text.size() >= kMaxTermChars) fail(msgSyntaxError);
            text += QChar(c);
            ++m_pos;
        }
        emitTerm(text);
        emitOp(opPhrase);
    }

    void factor() {
        skipBlanks();
        if (peek() != u'(') {
            term();
            return;
        }
        ++m_pos;
        skipBlanks();
        if (peek() == u')') fail(msgSyntaxError);
        expression();
        skipBlanks();
        if (atEnd() || peek() != u')') fail(msgMissingParenthesis);
        ++m_pos;
        emitOp(opGroup);
    }

    void term() {
        skipBlanks();
        QString text;
        while (!atEnd()) {
            const char16_t c = peek();
            if (isBlank(c) || c < 32 || c == u'(' || c == u')') break;
            if (text.size() >= kMaxTermChars) fail(msgSyntaxError);
            text += QChar(c);
            ++m_pos;
        }
        if (text.isEmpty()) fail(msgMissingString);
        for (const QString& kw : m_tokens)
            if (text == kw) fail(msgMissingString);
        emitTerm(text);
    }

    QString m_src;
    QString m_tokens[5];
    int m_pos = 1;
    ExprCode m_code;
    char16_t m_lastOp = 0;
};

}  // namespace

QStringList DefaultTokens() {
    return {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("like"),
            QStringLiteral("near")};
}

ExprCode CompileExpression(const QString& source, const QStringList& tokens, bool* hasOperator) {
    Compiler compiler(source.trimmed(), tokens);
    try {
        ExprCode code = compiler.Run();
        if (hasOperator) *hasOperator = code.hasOperator;
        DOSSARA_ASSERT(int(code.units.size()) <= ExprCode::kMaxCode, throw EExpression(msgCodeArrayFull, 0));
        return code;
    } catch (const EExpression&) {
        if (hasOperator) *hasOperator = compiler.HasOperator();
        throw;
    }
}

QString CodeText(const ExprCode& code) {
    QStringList parts;
    const auto& u = code.units;
    for (std::size_t i = 0; i < u.size(); ++i) {
        switch (u[i]) {
        case opTerm: {
            QString text;
            ++i;
            while (i < u.size() && u[i] != 0) text += QChar(u[i++]);
            parts << QLatin1Char('[') + text + QLatin1Char(']');
            break;
        }
        case opAnd: parts << QStringLiteral("AND"); break;
        case opOr: parts << QStringLiteral("OR"); break;
        case opNot: parts << QStringLiteral("NOT"); break;
        case opPhrase: parts << QStringLiteral("PHRASE"); break;
        case opNear: parts << QStringLiteral("NEAR"); break;
        case opLike: parts << QStringLiteral("LIKE"); break;
        case opGroup: parts << QStringLiteral("GROUP"); break;
        case opEnd: return parts.join(QLatin1Char(' '));
        default: parts << QStringLiteral("?%1").arg(int(u[i])); break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

}  // namespace fulltext
