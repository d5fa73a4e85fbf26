#pragma once

// The lexer of the script language: TraParser turns the source text of one program into a
// list of tokens. Each token class reads its own characters; the lexer skips white space,
// picks the token class by the class of the next character and lets the token read on.

#include "report/script/tokens.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

/// The characters of a source being lexed, as code points, with a read position.
class TraSourceReader {
public:
    explicit TraSourceReader(const QString& source);
    /// The next character, or 0 with AtEnd() set when none is left.
    char32_t ReadSourceChar();
    /// Steps back one character (does nothing at the start).
    void StepBack();
    bool AtEnd() const { return m_atEnd; }
    int Position() const { return m_pos; }
    void SetPosition(int pos);
    char32_t At(int pos) const { return m_text[size_t(pos)]; }
    int Size() const { return int(m_text.size()); }

private:
    std::u32string m_text;
    int m_pos = 0;
    bool m_atEnd = false;
};

/// One token. Positions count characters (code points): CharPos from 0 within its line,
/// LineNo from 1.
class TraToken {
public:
    virtual ~TraToken() = default;

    int CharPos = 0;
    TraTokenType TokenType = TraTokenType::ttUnknown;
    TraDataType DataType = TraDataType::daUnknown;
    qint32 IntValue = 0;
    long double FloatValue = 0;
    char32_t CharValue = U' ';
    int LineNo = 1;
    bool IsUnary = false;

    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    void SetTokenType(TraTokenType t) { TokenType = t; }
    void SetDataType(TraDataType t) { DataType = t; }
    /// Marks a "+" or "-" as unary (ttUnaryPlus, ttUnaryMinus).
    void SetUnary(bool aFlag);

    /// Reads the token's characters, starting at its first one.
    virtual void ReadToken(TraSourceReader& aStream) = 0;
    /// The token's text as written to a stream (a number writes its value).
    virtual QString WriteText() const { return m_text; }
    /// A label and the text ("identifier: x", "comment: {abc}").
    virtual QString WriteDescription() const = 0;

protected:
    QString m_text;
};

class TraWordToken : public TraToken {
public:
    QString TypeName;  ///< the type's name when the word names Boolean or an enumerated type
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteDescription() const override;
};

class TraNumberToken : public TraToken {
public:
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteText() const override { return QString::number(IntValue); }
    QString WriteDescription() const override;

private:
    void readNumber(TraSourceReader& aStream);
};

class TraSpecialToken : public TraToken {
public:
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteDescription() const override;
};

class TraStringToken : public TraToken {
public:
    bool SkipQuotes = true;  ///< true: Text is the value; false: Text is the literal as written
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteDescription() const override;
};

class TraCommentToken : public TraToken {
public:
    int EndLineNo = 1;  ///< the line on which the comment ends
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteDescription() const override;
};

/// An invalid character (one character) or the characters of a failed number or string.
class TraErrorToken : public TraToken {
public:
    int Length = 1;  ///< characters to read
    void ReadToken(TraSourceReader& aStream) override;
    QString WriteDescription() const override;
};

/// The lexer. Owns every token it made until the next Parse or ClearTokens.
class TraParser {
public:
    int CharPos = 0;
    int LineNo = 1;
    bool SkipWhiteSpace = true;
    bool SkipComments = true;  ///< false: comment tokens stay in the list (the editor)
    bool SkipQuotes = true;    ///< copied into every string token

    /// Lexes the whole text; the previous tokens are freed first. Never fails: a failed
    /// number or string becomes an error token in both lists, an invalid character an
    /// error token of kind ttUnknown (a character beyond ASCII also in the error list).
    void Parse(const QString& aSource);
    void ClearTokens();
    int TokenCount() const { return int(m_tokens.size()); }
    TraToken* Tokens(int aIndex) const { return m_tokens[size_t(aIndex)].get(); }
    int SyntaxErrorCount() const { return int(m_errors.size()); }
    TraToken* SyntaxErrors(int aIndex) const { return m_errors[size_t(aIndex)]; }
    void AddToken(std::unique_ptr<TraToken> aToken);
    void AddSyntaxError(TraToken* aToken);

private:
    std::vector<std::unique_ptr<TraToken>> m_tokens;
    std::vector<TraToken*> m_errors;
};
