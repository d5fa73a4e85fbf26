#include "core/mask_helpers.h"

#include "core/text_helpers.h"

#include <utility>

namespace core {

namespace {

bool isNumberMaskChar(QChar ch) { return ch == u'#' || ch == u'.' || ch == u'0' || ch == u'9'; }

bool isNumericChar(QChar ch) { return ch == u'#' || ch == u'+' || ch == u'-' || ch == u'.' || IsDigit(ch); }

bool isControl(QChar key) { return key.unicode() < 32; }

// Positions of the first and last number place (# . 0 9) of a mask; -1 for both when it has none.
std::pair<qsizetype, qsizetype> numberSpan(const QString& mask) {
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (isNumberMaskChar(mask[i])) {
            if (first < 0) first = i;
            last = i;
        }
    }
    return {first, last};
}

}  // namespace

QString MaskSampleText(const QString& mask, bool keepLiterals) {
    QString out;
    for (const QChar ch : mask) {
        switch (ch.unicode()) {
        case u'#': case u'0': case u'9': case u'A': case u'a': out += QChar(u'0'); break;
        case u'C': case u'c': out += QChar(u'!'); break;
        case u'L': case u'l': out += QChar(u'A'); break;
        default:
            if (keepLiterals) out += ch;
            break;
        }
    }
    return out.trimmed();
}

QString MaskToDisplayFormat(const QString& mask) {
    QString out;
    for (const QChar ch : mask) {
        if (ch == u'#' || ch == u'.') out += ch;
        else if (ch == u'0' || ch == u'9') out += QChar(u'#');
    }
    return out;
}

QString NumberFromMaskedText(const QString& text, const QString& mask) {
    const auto [first, last] = numberSpan(mask);
    if (first < 0) return {};
    return RemoveBlanks(text.mid(first, last - first + 1));
}

QString FormatNumberForMask(const QString& numberText, const QString& mask) {
    const auto [first, last] = numberSpan(mask);
    if (first < 0) return numberText;
    const QString prefix = mask.left(first);
    const QString numberPart = mask.mid(first, last - first + 1);
    const QString suffix = mask.mid(last + 1);

    QString number = numberText;
    if (!prefix.isEmpty() && number.contains(prefix)) number.remove(number.indexOf(prefix), prefix.size());
    if (!suffix.isEmpty() && number.contains(suffix)) number.remove(number.lastIndexOf(suffix), suffix.size());
    number = RemoveBlanks(number);

    const qsizetype maskDot = numberPart.indexOf(QChar(u'.'));
    if (maskDot < 0) return prefix + PadLeft(number.trimmed(), static_cast<int>(numberPart.size()), u' ') + suffix;

    const int intLength = static_cast<int>(maskDot);
    const int fracLength = static_cast<int>(numberPart.size() - maskDot - 1);
    const qsizetype numberDot = number.indexOf(QChar(u'.'));
    const QString intDigits = numberDot < 0 ? number : number.left(numberDot);
    const QString fracDigits = numberDot < 0 ? QString() : number.mid(numberDot + 1);
    QString intPart;
    QString fracPart;
    if (intDigits.size() <= intLength && fracDigits.size() <= fracLength) {
        intPart = PadLeft(intDigits, intLength, u' ');
        fracPart = PadRight(fracDigits, fracLength, u'0');
    } else {
        intPart = QString(intLength, QChar(u'*'));
        fracPart = QString(fracLength, QChar(u'*'));
    }
    if (intPart.endsWith(QChar(u' '))) intPart[intPart.size() - 1] = QChar(u'0');
    return prefix + intPart + QChar(u'.') + fracPart + suffix;
}

bool MaskPositionAllows(const QString& text, int caret, QChar key) {
    int first = 0;
    int last = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNumericChar(text[i])) {
            if (first == 0) first = static_cast<int>(i) + 1;
            last = static_cast<int>(i) + 1;
        }
    }
    if (first == 0) return true;
    if (isNumericChar(key)) return caret >= first - 1 && caret <= last;
    return caret < first || caret >= last;
}

QChar DigitKeyRule(QChar key) {
    if (isControl(key) || IsDigit(key)) return key;
    return QChar(0);
}

QChar NumberKeyRule(QChar key, const QString& editText, int caret, bool integerOnly) {
    if (isControl(key) || IsDigit(key)) return key;
    if (key == u'+' || key == u'-') return caret == 0 ? key : QChar(0);
    if (key == u'.' && !integerOnly && !editText.contains(QChar(u'.'))) return key;
    return QChar(0);
}

QChar MaskedNumberKeyRule(QChar key, const QString& mask, const QString& editText, int caret, bool integerOnly) {
    if (isControl(key)) return key;
    if (!MaskPositionAllows(mask, caret, key)) return QChar(0);
    if (key == u'+' || key == u'-') return caret == 0 ? key : QChar(0);
    if (key == u'.') return !integerOnly && !editText.contains(QChar(u'.')) ? key : QChar(0);
    return key;
}

}  // namespace core
