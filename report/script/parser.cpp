#include "report/script/parser.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

QString fromCodePoints(const TraSourceReader& r, int from, int to) {
    QString s;
    for (int i = from; i < to; ++i) {
        const char32_t c = r.At(i);
        s += QString::fromUcs4(&c, 1);
    }
    return s;
}

/// Whether the character at pos ends a line: a carriage return, or a line feed that does
/// not follow one (sources written with line feeds alone count their lines too).
bool isLineBreak(const TraSourceReader& r, int pos) {
    const char32_t c = r.At(pos);
    return c == U'\r' || (c == U'\n' && (pos == 0 || r.At(pos - 1) != U'\r'));
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

}  // namespace

TraSourceReader::TraSourceReader(const QString& source) {
    const QList<uint> ucs4 = source.toUcs4();
    m_text.assign(ucs4.begin(), ucs4.end());
}

char32_t TraSourceReader::ReadSourceChar() {
    if (m_pos >= int(m_text.size())) {
        m_atEnd = true;
        return 0;
    }
    return m_text[size_t(m_pos++)];
}

void TraSourceReader::StepBack() {
    if (m_pos > 0)
        --m_pos;
    m_atEnd = false;
}

void TraSourceReader::SetPosition(int pos) {
    m_pos = pos;
    m_atEnd = false;
}

void TraToken::SetUnary(bool aFlag) {
    IsUnary = aFlag;
    if (!aFlag)
        return;
    if (TokenType == TraTokenType::ttPlus)
        TokenType = TraTokenType::ttUnaryPlus;
    else if (TokenType == TraTokenType::ttMinus)
        TokenType = TraTokenType::ttUnaryMinus;
}

void TraWordToken::ReadToken(TraSourceReader& aStream) {
    const int start = aStream.Position();
    for (;;) {
        const char32_t c = aStream.ReadSourceChar();
        if (aStream.AtEnd())
            break;
        const TraCharClass cc = script::CharClassOf(c);
        if (cc != TraCharClass::ccWord && cc != TraCharClass::ccNumber) {
            aStream.StepBack();
            break;
        }
    }
    m_text = fromCodePoints(aStream, start, aStream.Position());
    const TraTokenType reserved = FindReservedWord(m_text);
    if (reserved != TraTokenType::ttUnknown) {
        TokenType = reserved;
        return;
    }
    const TraDataType type = FindTypeName(m_text);
    if (type != TraDataType::daUnknown) {
        TokenType = TraTokenType::ttType;
        DataType = type;
        if (type == TraDataType::daBoolean || type == TraDataType::daEnum)
            TypeName = m_text;
        return;
    }
    TokenType = TraTokenType::ttIdentifier;
}

QString TraWordToken::WriteDescription() const {
    return (TokenType == TraTokenType::ttIdentifier ? QStringLiteral("identifier: ")
                                                    : QStringLiteral("reserved word: ")) +
           m_text;
}

void TraNumberToken::ReadToken(TraSourceReader& aStream) {
    // The characters as written are kept as the text, so that messages can name the number.
    const int start = aStream.Position();
    readNumber(aStream);
    m_text = fromCodePoints(aStream, start, aStream.Position());
}

void TraNumberToken::readNumber(TraSourceReader& aStream) {
    DataType = TraDataType::daInteger;
    std::string intPart, fraction, exponent;
    bool isFloat = false, hasExponent = false;
    char32_t c = aStream.ReadSourceChar();
    while (!aStream.AtEnd() && isDigit(c)) {
        intPart += char(c);
        c = aStream.ReadSourceChar();
    }
    if (!aStream.AtEnd() && c == U'.') {
        const char32_t next = aStream.ReadSourceChar();
        if (!aStream.AtEnd() && next == U'.') {
            // "1..5": the number ends before the first point.
            aStream.StepBack();
            aStream.StepBack();
            c = 0;
        } else {
            if (!aStream.AtEnd())
                aStream.StepBack();
            isFloat = true;
            c = aStream.ReadSourceChar();
            while (!aStream.AtEnd() && isDigit(c)) {
                fraction += char(c);
                c = aStream.ReadSourceChar();
            }
        }
    }
    bool exponentFailed = false;
    if (c != 0 && !aStream.AtEnd() && (c == U'E' || c == U'e')) {
        hasExponent = true;
        isFloat = true;
        c = aStream.ReadSourceChar();
        if (!aStream.AtEnd() && (c == U'+' || c == U'-')) {
            exponent += char(c);
            c = aStream.ReadSourceChar();
        }
        bool digits = false;
        while (!aStream.AtEnd() && isDigit(c)) {
            exponent += char(c);
            digits = true;
            c = aStream.ReadSourceChar();
        }
        exponentFailed = !digits;
    }
    if (c != 0 && !aStream.AtEnd())
        aStream.StepBack();

    if (!isFloat) {
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll(intPart.c_str(), &end, 10);
        if (errno == ERANGE || v > 2147483647LL || intPart.empty()) {
            TokenType = TraTokenType::ttError;
            return;
        }
        IntValue = qint32(v);
        TokenType = TraTokenType::ttNumber;
        return;
    }
    DataType = TraDataType::daExtended;
    if (exponentFailed) {
        TokenType = TraTokenType::ttError;
        return;
    }
    std::string text = intPart + "." + fraction;
    if (hasExponent)
        text += "E" + exponent;
    errno = 0;
    char* end = nullptr;
    const long double v = std::strtold(text.c_str(), &end);
    if (errno == ERANGE || end != text.c_str() + text.size()) {
        TokenType = TraTokenType::ttError;
        return;
    }
    FloatValue = v;
    TokenType = TraTokenType::ttNumber;
}

QString TraNumberToken::WriteDescription() const {
    if (DataType == TraDataType::daInteger)
        return QStringLiteral("integer: ") + QString::number(IntValue);
    return QStringLiteral("float: ") + QString::number(double(FloatValue), 'g', 18);
}

void TraSpecialToken::ReadToken(TraSourceReader& aStream) {
    const int start = aStream.Position();
    const char32_t c = aStream.ReadSourceChar();
    m_text = QString::fromUcs4(&c, 1);
    TokenType = FindReservedWord(m_text);
    if (TokenType == TraTokenType::ttColon || TokenType == TraTokenType::ttLt || TokenType == TraTokenType::ttGt ||
        TokenType == TraTokenType::ttPeriod) {
        aStream.ReadSourceChar();
        if (aStream.AtEnd())
            return;
        const QString two = fromCodePoints(aStream, start, start + 2);
        const TraTokenType kind = FindReservedWord(two);
        if (kind != TraTokenType::ttUnknown) {
            m_text = two;
            TokenType = kind;
        } else {
            aStream.StepBack();
        }
    }
}

QString TraSpecialToken::WriteDescription() const {
    return QStringLiteral("special: ") + m_text;
}

void TraStringToken::ReadToken(TraSourceReader& aStream) {
    aStream.ReadSourceChar();  // the opening quote
    QString value;
    for (;;) {
        const char32_t c = aStream.ReadSourceChar();
        if (aStream.AtEnd()) {
            TokenType = TraTokenType::ttError;  // unterminated at the end of the source
            return;
        }
        if (c == U'\r' || c == U'\n') {
            TokenType = TraTokenType::ttError;  // unterminated at the end of its line
            return;
        }
        if (c != U'\'') {
            value += QString::fromUcs4(&c, 1);
            continue;
        }
        int quotes = 1;
        for (;;) {
            const char32_t q = aStream.ReadSourceChar();
            if (aStream.AtEnd())
                break;
            if (q != U'\'') {
                aStream.StepBack();
                break;
            }
            ++quotes;
        }
        for (int i = 0; i < quotes / 2; ++i)
            value += SkipQuotes ? QStringLiteral("'") : QStringLiteral("''");
        if (quotes % 2 == 1)
            break;  // the closing quote
        if (aStream.AtEnd()) {
            TokenType = TraTokenType::ttError;
            return;
        }
    }
    TokenType = TraTokenType::ttString;
    DataType = TraDataType::daString;
    m_text = SkipQuotes ? value : QLatin1Char('\'') + value + QLatin1Char('\'');
}

QString TraStringToken::WriteDescription() const {
    return QStringLiteral("string: ") + m_text;
}

void TraCommentToken::ReadToken(TraSourceReader& aStream) {
    const int start = aStream.Position();
    EndLineNo = LineNo;
    aStream.ReadSourceChar();  // "{"
    for (;;) {
        const char32_t c = aStream.ReadSourceChar();
        if (aStream.AtEnd())
            break;
        if (isLineBreak(aStream, aStream.Position() - 1))
            ++EndLineNo;
        if (c == U'}')
            break;
    }
    m_text = fromCodePoints(aStream, start, aStream.Position());
    TokenType = TraTokenType::ttComment;
}

QString TraCommentToken::WriteDescription() const {
    const QString inner = m_text.mid(1, m_text.endsWith(QLatin1Char('}')) ? m_text.size() - 2 : -1);
    QString shown = inner.left(10);
    if (inner.size() > 10)
        shown += QStringLiteral("...");
    return QStringLiteral("comment: {") + shown + QLatin1Char('}');
}

void TraErrorToken::ReadToken(TraSourceReader& aStream) {
    const int start = aStream.Position();
    const int end = std::min(start + Length, aStream.Size());
    aStream.SetPosition(end);
    m_text = fromCodePoints(aStream, start, end);
}

QString TraErrorToken::WriteDescription() const {
    return QStringLiteral("error: ") + m_text;
}

void TraParser::Parse(const QString& aSource) {
    ClearTokens();
    TraSourceReader reader(aSource);
    LineNo = 1;
    CharPos = 0;
    for (;;) {
        char32_t c = reader.ReadSourceChar();
        while (!reader.AtEnd() && script::CharClassOf(c) == TraCharClass::ccWhiteSpace) {
            if (isLineBreak(reader, reader.Position() - 1)) {
                CharPos = 0;
                ++LineNo;
            } else if (c != U'\n') {
                ++CharPos;
            }
            c = reader.ReadSourceChar();
        }
        if (reader.AtEnd())
            break;
        const TraCharClass cc = script::CharClassOf(c);
        std::unique_ptr<TraToken> token;
        switch (cc) {
        case TraCharClass::ccWord:
            token = std::make_unique<TraWordToken>();
            break;
        case TraCharClass::ccNumber:
            token = std::make_unique<TraNumberToken>();
            break;
        case TraCharClass::ccSpecial:
            token = std::make_unique<TraSpecialToken>();
            break;
        case TraCharClass::ccString: {
            auto s = std::make_unique<TraStringToken>();
            s->SkipQuotes = SkipQuotes;
            token = std::move(s);
            break;
        }
        case TraCharClass::ccComment:
            token = std::make_unique<TraCommentToken>();
            break;
        default:
            token = std::make_unique<TraErrorToken>();
            break;
        }
        reader.StepBack();
        const int start = reader.Position();
        token->LineNo = LineNo;
        token->CharPos = CharPos;
        token->ReadToken(reader);
        const int end = reader.Position();
        bool inErrorList = false;
        if (auto* comment = dynamic_cast<TraCommentToken*>(token.get()))
            LineNo = comment->EndLineNo;
        if (token->TokenType == TraTokenType::ttError) {
            const bool wasString = dynamic_cast<TraStringToken*>(token.get()) != nullptr;
            auto error = std::make_unique<TraErrorToken>();
            error->LineNo = token->LineNo;
            error->CharPos = token->CharPos;
            error->Length = end - start;
            reader.SetPosition(start);
            error->ReadToken(reader);
            token = std::move(error);
            inErrorList = true;
            if (wasString && end > start && isLineBreak(reader, end - 1))
                ++LineNo;
        } else if (cc == TraCharClass::ccInvalid && c >= 128) {
            inErrorList = true;  // a character beyond ASCII outside a string or comment
        }
        // The position of the next token: after the last line break consumed, if any.
        int lastBreak = -1;
        for (int i = start; i < end; ++i)
            if (isLineBreak(reader, i) || reader.At(i) == U'\n')
                lastBreak = i;
        CharPos = lastBreak < 0 ? CharPos + (end - start) : end - lastBreak - 1;
        TraToken* raw = token.get();
        AddToken(std::move(token));
        if (inErrorList)
            AddSyntaxError(raw);
    }
}

void TraParser::ClearTokens() {
    m_errors.clear();
    m_tokens.clear();
}

void TraParser::AddToken(std::unique_ptr<TraToken> aToken) {
    if (aToken->TokenType == TraTokenType::ttComment && SkipComments)
        return;
    m_tokens.push_back(std::move(aToken));
}

void TraParser::AddSyntaxError(TraToken* aToken) {
    m_errors.push_back(aToken);
}
