#include "platform/format/edit_mask.h"

#include "platform/format/errors.h"

#include <QStringList>

namespace format {

namespace {

constexpr QChar kEscape = QLatin1Char('\\');
constexpr QChar kFieldSeparator = QLatin1Char(';');

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

struct Field {
    QString text;
    int column = 1;  ///< where the field starts, counted from 1
};

// Splits the mask text at ";" that no "\" escapes.
std::vector<Field> splitFields(const QString& text) {
    std::vector<Field> fields(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == kEscape && fields.size() == 1) {
            fields.back().text += c;
            if (i + 1 < text.size()) fields.back().text += text[++i];
            continue;
        }
        if (c == kFieldSeparator) {
            fields.push_back(Field{QString(), static_cast<int>(i + 2)});
            continue;
        }
        fields.back().text += c;
    }
    return fields;
}

base::Error maskError(const QString& what, int column) {
    return base::MakeError(kInvalidMask, QStringLiteral("Invalid edit mask: %1 (column %2)").arg(what).arg(column), 1,
                           column);
}

}  // namespace

base::Result<EditMask> EditMask::read(const QString& maskText, const FormatSettings& settings, bool strict) {
    EditMask mask;
    const std::vector<Field> fields = splitFields(maskText);
    if (strict && fields.size() > 3) return maskError(QStringLiteral("more than three fields"), fields[3].column);
    if (fields.size() > 1) {
        const Field& save = fields[1];
        if (strict && !(save.text.isEmpty() || save.text == QLatin1String("0") || save.text == QLatin1String("1")))
            return maskError(QStringLiteral("the literal-saving field must be 0 or 1"), save.column);
        mask.m_saveLiterals = !save.text.startsWith(QLatin1Char('0'));
    }
    if (fields.size() > 2) {
        const Field& blank = fields[2];
        if (strict && blank.text.size() > 1)
            return maskError(QStringLiteral("the blank field must be one character"), blank.column);
        if (!blank.text.isEmpty()) mask.m_blank = blank.text[0];
    }

    const QString& m = fields[0].text;
    Case convert = Case::Keep;
    for (qsizetype i = 0; i < m.size(); ++i) {
        const QChar c = m[i];
        Position p;
        p.convert = convert;
        switch (c.unicode()) {
        case '\\':
            if (i + 1 >= m.size()) {
                if (strict) return maskError(QStringLiteral("\"\\\" at the end has no character to make literal"),
                                             static_cast<int>(i + 1));
                p.literal = c;
            } else {
                p.literal = m[++i];
            }
            p.convert = Case::Keep;
            break;
        case '>':
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('<')) {
                convert = Case::Keep;
                ++i;
            } else {
                convert = Case::Upper;
            }
            continue;
        case '<':
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('>')) {
                convert = Case::Keep;
                ++i;
            } else {
                convert = Case::Lower;
            }
            continue;
        case '!':
            mask.m_rightJustify = true;
            continue;
        case 'L': p.accept = Accept::Letter; p.required = true; break;
        case 'l': p.accept = Accept::Letter; break;
        case 'A': p.accept = Accept::LetterOrDigit; p.required = true; break;
        case 'a': p.accept = Accept::LetterOrDigit; break;
        case 'C': p.accept = Accept::Any; p.required = true; break;
        case 'c': p.accept = Accept::Any; break;
        case '0': p.accept = Accept::Digit; p.required = true; break;
        case '9': p.accept = Accept::Digit; break;
        case '#': p.accept = Accept::DigitOrSign; break;
        case ':': p.literal = settings.timeSeparator.isNull() ? QChar(QLatin1Char(':')) : settings.timeSeparator; break;
        case '/': p.literal = settings.dateSeparator.isNull() ? QChar(QLatin1Char('/')) : settings.dateSeparator; break;
        default: p.literal = c;
        }
        mask.m_positions.push_back(p);
    }
    return mask;
}

base::Result<EditMask> EditMask::Parse(const QString& maskText, const FormatSettings& settings) {
    return read(maskText, settings, true);
}

EditMask EditMask::ParseLenient(const QString& maskText, const FormatSettings& settings) {
    return read(maskText, settings, false).value();
}

bool EditMask::IsInputPosition(int pos) const {
    return pos >= 0 && pos < Length() && m_positions[pos].accept != Accept::Literal;
}

bool EditMask::Allows(int pos, QChar c) const {
    if (!IsInputPosition(pos)) return false;
    switch (m_positions[pos].accept) {
    case Accept::Letter: return c.isLetter();
    case Accept::LetterOrDigit: return c.isLetter() || isAsciiDigit(c);
    case Accept::Any: return c.isPrint() || c == QLatin1Char(' ');
    case Accept::Digit: return isAsciiDigit(c);
    case Accept::DigitOrSign: return isAsciiDigit(c) || c == QLatin1Char('+') || c == QLatin1Char('-');
    case Accept::Literal: break;
    }
    return false;
}

QChar EditMask::Convert(int pos, QChar c) const {
    if (pos < 0 || pos >= Length()) return c;
    switch (m_positions[pos].convert) {
    case Case::Upper: return c.toUpper();
    case Case::Lower: return c.toLower();
    case Case::Keep: break;
    }
    return c;
}

int EditMask::NextInput(int pos) const {
    for (int i = qMax(0, pos); i < Length(); ++i) {
        if (IsInputPosition(i)) return i;
    }
    return -1;
}

int EditMask::PreviousInput(int pos) const {
    for (int i = qMin(pos, Length()) - 1; i >= 0; --i) {
        if (IsInputPosition(i)) return i;
    }
    return -1;
}

QString EditMask::FormatValue(const QString& value) const {
    if (IsEmpty()) return value;
    std::vector<int> inputs;
    for (int i = 0; i < Length(); ++i) {
        if (IsInputPosition(i)) inputs.push_back(i);
    }
    // The characters of the value meant for input positions, in order.
    QString typed;
    if (m_saveLiterals) {
        qsizetype vi = 0;
        for (int i = 0; i < Length() && vi < value.size(); ++i) {
            if (!IsInputPosition(i)) {
                if (value[vi] == m_positions[i].literal) ++vi;
                continue;
            }
            const QChar c = value[vi];
            if (!Allows(i, Convert(i, c))) {
                // The value's part ended early ("5/3/2024" under "99/99/9999"): leave the
                // rest of this part empty and go on at the literal it names.
                int j = i;
                while (j < Length() && IsInputPosition(j)) ++j;
                if (j < Length() && m_positions[j].literal == c) {
                    for (; i < j; ++i) typed += QLatin1Char(' ');
                    --i;
                    continue;
                }
            }
            typed += c;
            ++vi;
        }
    } else {
        typed = value.left(static_cast<qsizetype>(inputs.size()));
    }
    const qsizetype shift =
        m_rightJustify && typed.size() < static_cast<qsizetype>(inputs.size()) ? inputs.size() - typed.size() : 0;

    QString out(Length(), m_blank);
    for (int i = 0; i < Length(); ++i) {
        if (!IsInputPosition(i)) out[i] = m_positions[i].literal;
    }
    for (qsizetype k = 0; k < typed.size(); ++k) {
        const int pos = inputs[static_cast<size_t>(k + shift)];
        const QChar c = typed[k];
        if (c == QLatin1Char(' ') || c == m_blank) continue;
        out[pos] = Convert(pos, c);
    }
    return out;
}

QChar EditMask::blankOrSpace(QChar c) const { return c == m_blank ? QChar(QLatin1Char(' ')) : c; }

QString EditMask::ValueOf(const QString& editText) const {
    if (IsEmpty()) return editText;
    QString out;
    for (int i = 0; i < Length(); ++i) {
        if (!IsInputPosition(i)) {
            if (m_saveLiterals) out += m_positions[i].literal;
            continue;
        }
        out += i < editText.size() ? blankOrSpace(editText[i]) : QChar(QLatin1Char(' '));
    }
    return out;
}

int EditMask::FirstInvalidPosition(const QString& editText) const {
    if (IsEmpty()) return -1;
    for (int i = 0; i < Length(); ++i) {
        const QChar c = i < editText.size() ? editText[i] : m_blank;
        if (!IsInputPosition(i)) {
            if (c != m_positions[i].literal) return i;
            continue;
        }
        const bool empty = c == m_blank || c == QLatin1Char(' ');
        if (empty ? m_positions[i].required : !Allows(i, c)) return i;
    }
    return editText.size() > Length() ? Length() : -1;
}

QString FormatMaskText(const QString& maskText, const QString& value, const FormatSettings& settings) {
    return EditMask::ParseLenient(maskText, settings).FormatValue(value);
}

base::Result<void> CheckEditMask(const QString& maskText) {
    auto mask = EditMask::Parse(maskText);
    if (!mask.ok()) return mask.error();
    return {};
}

}  // namespace format
