#include "core/text_helpers.h"

#include "core/internal/format_bridge.h"

#include "platform/format/errors.h"
#include "platform/format/number_parse.h"

#include <QFont>

namespace core {

QString PadLeft(const QString& text, int length, QChar fill) {
    if (text.size() >= length) return text;
    return QString(length - text.size(), fill) + text;
}

QString PadRight(const QString& text, int length, QChar fill) {
    if (text.size() >= length) return text;
    return text + QString(length - text.size(), fill);
}

bool IsLetter(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsDigit(QChar ch) {
    const char16_t c = ch.unicode();
    return c >= u'0' && c <= u'9';
}

bool IsIntegerText(const QString& text) { return format::TryStrToInt(text).ok(); }

bool IsFloatText(const QString& text) { return ParseFloat(text).has_value(); }

int TextToIntOrZero(const QString& text) { return format::StrToIntDef(text, 0); }

QChar FirstChar(const QString& text) { return text.isEmpty() ? QChar(u' ') : text.front(); }

QString RemoveBlanks(const QString& text) {
    QString result = text;
    result.remove(QChar(u' '));
    return result;
}

QString DoubleAmpersands(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("&"), QStringLiteral("&&"));
    return result;
}

QString BarsToLineBreaks(const QString& text) {
    QString result = text;
    result.replace(QChar(u'|'), QChar(u'\n'));
    return result;
}

QString StripAfterDot(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype dot = trimmed.indexOf(QChar(u'.'));
    return dot < 0 ? trimmed : trimmed.left(dot).trimmed();
}

void SplitText(const QString& text, QChar separator, QStringList& list) {
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0) break;
        list << text.mid(start, at - start);
        start = at + 1;
    }
    const QString rest = text.mid(start);
    if (!rest.isEmpty()) list << rest;
}

QString BoolToText(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

bool TextToBool(const QString& text) {
    if (text.trimmed().isEmpty()) return false;
    switch (text.front().unicode()) {
    case u'1': case u'T': case u't': case u'Y': case u'y': return true;
    default: return false;
    }
}

void TextToPosition(const QString& text, PositionRecord& record) {
    if (text.isEmpty()) return;
    QStringList pieces;
    SplitText(text, QChar(u','), pieces);
    for (int i = 0; i < 4; ++i) {
        const QString piece = i < pieces.size() ? pieces.at(i) : QString();
        bool ok = false;
        const int value = piece.trimmed().toInt(&ok, 10);
        if (!ok) throw format::EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(piece),
                                        format::kInvalidInteger);
        record[static_cast<std::size_t>(i)] = value;
    }
}

QString PositionToText(const PositionRecord& record) {
    return QStringLiteral("%1,%2,%3,%4").arg(record[0]).arg(record[1]).arg(record[2]).arg(record[3]);
}

FontStyles TextToFontStyle(const QString& text) {
    FontStyles styles;
    QStringList pieces;
    SplitText(text, QChar(u','), pieces);
    for (const QString& piece : pieces) {
        if (piece.isEmpty()) continue;
        switch (piece.front().unicode()) {
        case u'B': styles |= FontStyle::Bold; break;
        case u'I': styles |= FontStyle::Italic; break;
        case u'U': styles |= FontStyle::Underline; break;
        case u'S': styles |= FontStyle::StrikeOut; break;
        default: break;
        }
    }
    return styles;
}

QString FontStyleToText(FontStyles styles) {
    QString text;
    if (styles.testFlag(FontStyle::Bold)) text += QStringLiteral("Bold,");
    if (styles.testFlag(FontStyle::Italic)) text += QStringLiteral("Italic,");
    if (styles.testFlag(FontStyle::Underline)) text += QStringLiteral("Underline,");
    if (styles.testFlag(FontStyle::StrikeOut)) text += QStringLiteral("Strikeout");
    if (text.endsWith(QChar(u','))) text.chop(1);
    return text;
}

FontStyles FontStylesOf(const QFont& font) {
    FontStyles styles;
    if (font.bold()) styles |= FontStyle::Bold;
    if (font.italic()) styles |= FontStyle::Italic;
    if (font.underline()) styles |= FontStyle::Underline;
    if (font.strikeOut()) styles |= FontStyle::StrikeOut;
    return styles;
}

void ApplyFontStyles(QFont& font, FontStyles styles) {
    font.setBold(styles.testFlag(FontStyle::Bold));
    font.setItalic(styles.testFlag(FontStyle::Italic));
    font.setUnderline(styles.testFlag(FontStyle::Underline));
    font.setStrikeOut(styles.testFlag(FontStyle::StrikeOut));
}

QString CapitalizeWords(const QString& text) {
    QString result = text.toLower();
    if (result.isEmpty()) return result;
    result[0] = result[0].toUpper();
    // A piece starts at each letter that follows a non-letter; the blanks and punctuation
    // after a word belong to its piece.
    qsizetype pieceStart = 0;
    auto finishPiece = [&](qsizetype end) {
        if (end - pieceStart >= 2) result[pieceStart] = result[pieceStart].toUpper();
    };
    for (qsizetype i = 1; i < result.size(); ++i) {
        if (result[i].isLetter() && !result[i - 1].isLetter()) {
            finishPiece(i);
            pieceStart = i;
        }
    }
    finishPiece(result.size());
    return result;
}

QString MakeValidFileName(const QString& text) {
    QString result = text;
    for (QChar& ch : result) {
        switch (ch.unicode()) {
        case u'"': case u'*': case u'/': case u':': case u'<': case u'>': case u'?': case u'|':
            ch = QChar(u'_');
            break;
        default: break;
        }
    }
    return result;
}

int MinInt(int a, int b) { return a < b ? a : b; }
int MaxInt(int a, int b) { return a > b ? a : b; }

}  // namespace core
