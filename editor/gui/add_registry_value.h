#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace editor {
class ValueEdit;
}

/// The "Add Value" dialog: the keys of a Key2 in `KeyLabel`, the new Variable in `KeyKey3`
/// and its Value in `KeyValue`. Created once by the main window and reused.
class TAddRegistryValue : public QDialog {
    Q_OBJECT
public:
    explicit TAddRegistryValue(QWidget* parent = nullptr);

    QLabel* KeyLabel = nullptr;
    QLineEdit* KeyKey3 = nullptr;
    editor::ValueEdit* KeyValue = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
