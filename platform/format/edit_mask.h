#pragma once

#include "platform/base/result.h"
#include "platform/format/format_settings.h"

#include <QChar>
#include <QString>

#include <vector>

namespace format {

/// An edit mask: a pattern of character positions that controls what can be typed into an
/// edit and how its text is shown.
///
/// Its text has up to three fields separated by ";": the mask, the literal-saving flag and
/// the blank character ("!99/99/00;0; "). The mask's characters:
///
/// | character | position |
/// |---|---|
/// | L / l | a letter, required / optional |
/// | A / a | a letter or digit, required / optional |
/// | C / c | any character, required / optional |
/// | 0 / 9 | a digit 0-9, required / optional |
/// | # | a digit, "+" or "-", optional |
/// | : / / | the time / date separator of the settings (a literal) |
/// | > / < / <> | upper-case / lower-case what follows / stop converting (no position) |
/// | \ | the next character is a literal |
/// | ! | optional characters stand at the start: a short value is right-justified (no position) |
/// | anything else | a literal |
///
/// The second field is "0" when the text of the edit leaves the literals out and "1" (the
/// default) when it keeps them. The third is the character shown in a position not yet
/// filled ("_" by default).
///
/// Letters are letters by their Unicode class; digits are the ASCII digits.
class EditMask {
public:
    enum class Accept { Literal, Letter, LetterOrDigit, Any, Digit, DigitOrSign };
    enum class Case { Keep, Upper, Lower };

    struct Position {
        Accept accept = Accept::Literal;
        bool required = false;
        Case convert = Case::Keep;
        QChar literal;  ///< for Literal positions
    };

    /// The empty mask: no positions; every text is accepted as it stands.
    EditMask() = default;

    /// Reads a mask text. Fails with kInvalidMask, naming the place, for a "\" with nothing
    /// after it, a literal-saving field other than "0" or "1", a blank field of more than one
    /// character, or more than three fields.
    static base::Result<EditMask> Parse(const QString& maskText, const FormatSettings& settings = Settings());

    /// Reads a mask text the way the edit does when a stored mask is damaged: a dangling "\"
    /// stands for itself, only the first character of the second and third field counts and
    /// further fields are ignored. Never fails.
    static EditMask ParseLenient(const QString& maskText, const FormatSettings& settings = Settings());

    bool IsEmpty() const { return m_positions.empty(); }
    int Length() const { return static_cast<int>(m_positions.size()); }
    const std::vector<Position>& Positions() const { return m_positions; }
    bool SavesLiterals() const { return m_saveLiterals; }
    QChar Blank() const { return m_blank; }
    bool RightJustify() const { return m_rightJustify; }

    bool IsInputPosition(int pos) const;
    /// Whether `c` may stand at input position `pos` (false for literal positions).
    bool Allows(int pos, QChar c) const;
    /// `c` with the position's case conversion applied.
    QChar Convert(int pos, QChar c) const;
    /// The first input position at or after `pos`, or -1.
    int NextInput(int pos) const;
    /// The last input position before `pos`, or -1.
    int PreviousInput(int pos) const;

    /// The edit text (literals in place, blanks in empty positions) for a value. The value
    /// holds the literals when the mask saves them and only the typed characters otherwise;
    /// with literals saved a literal of the value is matched to its position, a missing one
    /// is skipped, and a literal met early ends its part ("5/3/2024" under "99/99/9999" shows
    /// "5_/3_/2024"). A character that does not fit its position is still shown there (the
    /// value is never hidden; FirstInvalidPosition reports it), so a number too long for its
    /// mask can show as "***.**". The value is right-justified over the input positions when
    /// the mask says so.
    QString FormatValue(const QString& value) const;

    /// The empty edit text: literals and blanks.
    QString EmptyText() const { return FormatValue({}); }

    /// The value of an edit text: literals kept or left out as the mask says, an empty
    /// position as a blank (" "). FormatValue(ValueOf(t)) == t for every edit text t.
    QString ValueOf(const QString& editText) const;

    /// The first position of the edit text that breaks the mask (a required position left
    /// empty, or a character that does not fit), or -1 when it is satisfied.
    int FirstInvalidPosition(const QString& editText) const;

private:
    static base::Result<EditMask> read(const QString& maskText, const FormatSettings& settings, bool strict);
    QChar blankOrSpace(QChar c) const;

    std::vector<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
    bool m_rightJustify = false;
};

/// The text shown for `value` under `maskText` (EditMask::FormatValue); a damaged mask is read
/// leniently and an empty mask gives the value unchanged.
QString FormatMaskText(const QString& maskText, const QString& value, const FormatSettings& settings = Settings());

/// Checks a mask text; the error names what is wrong and where (column counted from 1).
base::Result<void> CheckEditMask(const QString& maskText);

}  // namespace format
