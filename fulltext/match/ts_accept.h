#pragma once

#include "fulltext/char_rules.h"
#include "fulltext/ts_engine.h"

#include <QObject>
#include <QString>

/// Judges one word: setting Word recomputes Accept at once. An engine's OnAcceptWord
/// handler sets the word and answers Accept (see fulltext::AcceptWordBy).
class TtsBaseAccept : public QObject {
    Q_OBJECT
public:
    explicit TtsBaseAccept(QObject* owner = nullptr);

    bool Accept() const { return m_accept; }
    void SetAccept(bool accept) { m_accept = accept; }
    const QString& Word() const { return m_word; }
    /// A different text runs Analyze.
    void SetWord(const QString& word);
    /// Always 2.07; setting it is accepted and ignored.
    double Version() const { return 2.07; }
    void SetVersion(double) {}

    /// Recomputes Accept for Word (true in the base).
    virtual void Analyze();

protected:
    bool m_accept = true;
    QString m_word;
};

/// Classifies the characters of the word against three character sets and measures the
/// longest run of one repeated character.
///
/// The sets cover the 256 ANSI characters (taken by their Unicode code points, see
/// char_rules.h) and are case-sensitive. A character beyond those 256 goes by its Unicode
/// class: a digit counts as a digit; a letter counts as a letter and also as a vowel, since
/// no set can name it and the vowel test must not refuse every word of a non-Latin script;
/// a combining mark belongs to the character before it and is not counted; anything else
/// is "other".
class TtsAnalyzeWord : public TtsBaseAccept {
    Q_OBJECT
public:
    explicit TtsAnalyzeWord(QObject* owner = nullptr);

    /// The members of each set in code order; setting takes the characters of the text
    /// (characters beyond the 256 ANSI ones are left out) and runs Analyze.
    QString Alpha() const { return setText(m_alpha); }
    void SetAlpha(const QString& chars);
    QString Numeric() const { return setText(m_numeric); }
    void SetNumeric(const QString& chars);
    QString Vowel() const { return setText(m_vowel); }
    void SetVowel(const QString& chars);

    /// Counts of the last analysed word.
    int Letters() const { return m_letters; }
    int Digits() const { return m_digits; }
    int Vowels() const { return m_vowels; }
    int Others() const { return m_others; }
    /// Largest number of equal characters in a row (0 for an empty word).
    int LongestRun() const { return m_longestRun; }

    void Analyze() override;

protected:
    static QString setText(const fulltext::AnsiSet& set);
    static fulltext::AnsiSet setFromText(const QString& chars);

    fulltext::AnsiSet m_alpha;
    fulltext::AnsiSet m_numeric;
    fulltext::AnsiSet m_vowel;
    int m_letters = 0;
    int m_digits = 0;
    int m_vowels = 0;
    int m_others = 0;
    int m_longestRun = 0;
};

/// Adds the limits a word must keep to be accepted. Accept is false when the longest run
/// exceeds ConsecutiveLimit, letters minus digits are below Balance, the others exceed
/// OtherLimit, the digits exceed NumericLimit, or a word with digits begins with one while
/// NoLeadingNumbers; otherwise it is true when the word is shorter than MinVowelLength or
/// has at least MinVowelCount vowels. Setting any limit runs Analyze.
class TtsCustomAccept : public TtsAnalyzeWord {
    Q_OBJECT
public:
    explicit TtsCustomAccept(QObject* owner = nullptr);

    int Balance() const { return m_balance; }
    void SetBalance(int v);
    int ConsecutiveLimit() const { return m_consecutiveLimit; }
    void SetConsecutiveLimit(int v);
    int MinVowelCount() const { return m_minVowelCount; }
    void SetMinVowelCount(int v);
    int MinVowelLength() const { return m_minVowelLength; }
    void SetMinVowelLength(int v);
    bool NoLeadingNumbers() const { return m_noLeadingNumbers; }
    void SetNoLeadingNumbers(bool v);
    int NumericLimit() const { return m_numericLimit; }
    void SetNumericLimit(int v);
    int OtherLimit() const { return m_otherLimit; }
    void SetOtherLimit(int v);

    void Analyze() override;

private:
    int m_balance = 0;
    int m_consecutiveLimit = 4;
    int m_minVowelCount = 1;
    int m_minVowelLength = 4;
    bool m_noLeadingNumbers = true;
    int m_numericLimit = 3;
    int m_otherLimit = 2;
};

/// The published acceptance filter.
class TtsAccept : public TtsCustomAccept {
    Q_OBJECT
public:
    using TtsCustomAccept::TtsCustomAccept;
};

namespace fulltext {

/// An OnAcceptWord handler that sets the word into `filter` and answers its Accept; once
/// the filter is freed every word is accepted.
TtsEngine::TAcceptWordEvent AcceptWordBy(TtsBaseAccept* filter);

}  // namespace fulltext
