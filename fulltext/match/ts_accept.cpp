#include "fulltext/match/ts_accept.h"

#include <QPointer>

TtsBaseAccept::TtsBaseAccept(QObject* owner) : QObject(owner) {}

void TtsBaseAccept::SetWord(const QString& word) {
    if (word == m_word) return;
    m_word = word;
    Analyze();
}

void TtsBaseAccept::Analyze() { m_accept = true; }

// ---- TtsAnalyzeWord ----

TtsAnalyzeWord::TtsAnalyzeWord(QObject* owner)
    : TtsBaseAccept(owner),
      m_alpha(setFromText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))),
      m_numeric(setFromText(QStringLiteral("0123456789"))),
      m_vowel(setFromText(QStringLiteral("AEIOUY"))) {}

QString TtsAnalyzeWord::setText(const fulltext::AnsiSet& set) {
    QString text;
    for (int code = 0; code < 256; ++code) {
        if (!set.test(std::size_t(code))) continue;
        text += QChar(char16_t(fulltext::AnsiToUnicode(std::uint8_t(code))));
    }
    return text;
}

fulltext::AnsiSet TtsAnalyzeWord::setFromText(const QString& chars) {
    fulltext::AnsiSet set;
    for (const char32_t ch : chars.toUcs4()) {
        const int code = fulltext::AnsiCode(ch);
        if (code >= 0) set.set(std::size_t(code));
    }
    return set;
}

void TtsAnalyzeWord::SetAlpha(const QString& chars) {
    m_alpha = setFromText(chars);
    Analyze();
}

void TtsAnalyzeWord::SetNumeric(const QString& chars) {
    m_numeric = setFromText(chars);
    Analyze();
}

void TtsAnalyzeWord::SetVowel(const QString& chars) {
    m_vowel = setFromText(chars);
    Analyze();
}

void TtsAnalyzeWord::Analyze() {
    m_letters = m_digits = m_vowels = m_others = m_longestRun = 0;
    char32_t previous = 0;
    int run = 0;
    for (const char32_t ch : m_word.toUcs4()) {
        const int code = fulltext::AnsiCode(ch);
        if (code >= 0) {
            if (m_numeric.test(std::size_t(code))) {
                ++m_digits;
            } else if (m_alpha.test(std::size_t(code))) {
                ++m_letters;
                if (m_vowel.test(std::size_t(code))) ++m_vowels;
            } else {
                ++m_others;
            }
        } else {
            switch (QChar::category(ch)) {
            case QChar::Mark_NonSpacing:
            case QChar::Mark_SpacingCombining:
            case QChar::Mark_Enclosing:
                continue;  // part of the character before it
            case QChar::Number_DecimalDigit:
                ++m_digits;
                break;
            default:
                if (QChar::isLetter(ch)) {
                    ++m_letters;
                    ++m_vowels;
                } else {
                    ++m_others;
                }
            }
        }
        run = (run > 0 && ch == previous) ? run + 1 : 1;
        previous = ch;
        if (run > m_longestRun) m_longestRun = run;
    }
    m_accept = true;
}

// ---- TtsCustomAccept ----

TtsCustomAccept::TtsCustomAccept(QObject* owner) : TtsAnalyzeWord(owner) { Analyze(); }

void TtsCustomAccept::SetBalance(int v) {
    m_balance = v;
    Analyze();
}

void TtsCustomAccept::SetConsecutiveLimit(int v) {
    m_consecutiveLimit = v;
    Analyze();
}

void TtsCustomAccept::SetMinVowelCount(int v) {
    m_minVowelCount = v;
    Analyze();
}

void TtsCustomAccept::SetMinVowelLength(int v) {
    m_minVowelLength = v;
    Analyze();
}

void TtsCustomAccept::SetNoLeadingNumbers(bool v) {
    m_noLeadingNumbers = v;
    Analyze();
}

void TtsCustomAccept::SetNumericLimit(int v) {
    m_numericLimit = v;
    Analyze();
}

void TtsCustomAccept::SetOtherLimit(int v) {
    m_otherLimit = v;
    Analyze();
}

void TtsCustomAccept::Analyze() {
    TtsAnalyzeWord::Analyze();
    bool leadingDigit = false;
    if (m_digits > 0 && m_noLeadingNumbers && !m_word.isEmpty()) {
        const char32_t first = m_word.toUcs4().front();
        const int code = fulltext::AnsiCode(first);
        leadingDigit = code >= 0 ? m_numeric.test(std::size_t(code))
                                 : QChar::category(first) == QChar::Number_DecimalDigit;
    }
    if (m_longestRun > m_consecutiveLimit || m_letters - m_digits < m_balance || m_others > m_otherLimit ||
        m_digits > m_numericLimit || leadingDigit) {
        m_accept = false;
        return;
    }
    m_accept = m_word.size() < m_minVowelLength || m_vowels >= m_minVowelCount;
}

namespace fulltext {

TtsEngine::TAcceptWordEvent AcceptWordBy(TtsBaseAccept* filter) {
    QPointer<TtsBaseAccept> guarded(filter);
    return [guarded](QObject*, const QString& word) {
        if (!guarded) return true;
        guarded->SetWord(word);
        return guarded->Accept();
    };
}

}  // namespace fulltext
