#pragma once

#include <QPlainTextEdit>
#include <QString>

class QLineEdit;

namespace editor {

/// Limits a line edit to `maxChars` characters without ever leaving half of a surrogate
/// pair: QLineEdit cuts typed and pasted text at its maximum length by UTF-16 units, so a
/// character outside the Basic Multilingual Plane at the limit would leave a lone high
/// surrogate behind; such a half is removed again at once.
void LimitLength(QLineEdit* edit, int maxChars);

/// A one-value text box that wraps its text over several lines, so that a whole settings
/// value (200 characters) can be seen and edited at once. It holds no line breaks: Enter
/// and Return go to the dialog (its default button), pasted line breaks become blanks, and
/// text beyond MaxLength() is cut at a character boundary.
class ValueEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ValueEdit(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text);
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void enforceLimit();

    int m_maxLength = 200;
};

}  // namespace editor
