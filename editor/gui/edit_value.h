#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace editor {
class ValueEdit;
}

/// The "Edit Value" dialog: shows the keys of one row in `Title` and its value in
/// `NewValue` (up to the field's 200 characters, wrapped so all of it is visible). Created
/// once by the main window and reused.
class TEditValue : public QDialog {
    Q_OBJECT
public:
    explicit TEditValue(QWidget* parent = nullptr);

    QLabel* Title = nullptr;
    editor::ValueEdit* NewValue = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

/// Shows the dialog for the row (Section, Key1, Key2, Variable) with `Value`. On OK the new
/// value (the text without leading and trailing characters of code 32 and below) goes into
/// `Value` and the answer is true; on Cancel `Value` is unchanged and the answer false.
bool ExecuteEditValue(TEditValue& dialog, const QString& Section, const QString& Key1, const QString& Key2,
                      const QString& Variable, QString& Value);
