#pragma once

#include "platform/format/edit_mask.h"

#include <QLineEdit>
#include <QString>

#include <functional>

namespace format {

/// A line edit that applies an edit mask (edit_mask.h).
///
/// Without a mask it is a plain line edit. With one, the edit always shows the mask's full
/// length: literals in place and the mask's blank character in positions not yet filled.
/// Typing overwrites: a character goes to the next input position at or after the caret
/// when that position allows it (case converted as the mask says) and the caret moves on
/// to the following input position; a refused character beeps. Typing the literal that
/// stands at the caret steps over it. Backspace and Delete blank positions instead of
/// removing them; pasting types the clipboard's characters one by one. Any other change of
/// the text that would break the mask's shape (a program setting the text directly) is
/// read as a value and shown through the mask.
///
/// Text() is the value: with or without literals as the mask says, empty positions as
/// blanks. EditText() is what the edit shows.
///
/// Leaving the edit for another control after a change (not the window losing the focus to
/// a message box or a pop-up menu) checks the text against the mask (ValidateEdit); a
/// required position left empty calls ValidateError, which by default beeps, shows an error
/// message and puts the focus back at the offending position. Escape after a change puts
/// the text back as it was before editing (Reset).
class MaskedLineEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit MaskedLineEdit(QWidget* parent = nullptr);

    /// Sets the mask text ("99/99/9999;1; "); the empty text removes the mask. A damaged mask
    /// is read leniently (EditMask::ParseLenient). The current value is shown through the new
    /// mask. A mask sets the maximum length to its own; removing it restores the earlier one.
    void SetEditMask(const QString& maskText);
    const QString& EditMaskText() const { return m_maskText; }
    const EditMask& Mask() const { return m_mask; }
    bool IsMasked() const { return !m_mask.IsEmpty(); }

    QString Text() const;
    void SetText(const QString& value);
    QString EditText() const { return text(); }

    bool Modified() const { return isModified(); }
    void SetModified(bool modified);

    /// Called with every character key (Enter as "\r", Escape as 27, Backspace as 8) before
    /// the edit handles it; the handler may replace the character or set it to QChar() to
    /// refuse the key.
    std::function<void(QChar& key)> OnKeyPress;

    /// The text back to its value before editing (when it was set or the edit was entered)
    /// and the modified mark cleared; nothing when unmodified.
    virtual void Reset();
    /// Checks a modified, masked text; calls ValidateError when it breaks the mask.
    virtual void ValidateEdit();
    /// What happens when the text breaks the mask: beep, the focus back at the offending
    /// position and an error message (after the current event).
    virtual void ValidateError();

    /// The first position that breaks the mask, or -1 (always -1 without a mask).
    int FirstInvalidPosition() const;

    /// The text of the default validation message.
    static QString InvalidInputText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void replaceRange(int start, const QString& replacement);
    void blankRange(int start, int end);
    bool typeCharacter(QChar c);
    void pasteText(const QString& text);
    void keepShape();
    bool hasMaskShape(const QString& text) const;

    QString m_maskText;
    EditMask m_mask;
    QString m_original;   ///< the edit text before editing, for Reset
    int m_plainMaxLength = 32767;  ///< the maximum length to go back to when the mask is removed
    bool m_reshaping = false;
};

}  // namespace format
