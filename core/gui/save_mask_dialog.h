#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace db {
class Table;
}

/// "Mask Information": adds a mask to the mask library (MaskLib.db: ID, Name 30, Mask 30,
/// Sample 50) or edits a library row. Modes: 'A' add (boxes empty), 'C' copy and 'E' edit
/// (boxes filled), 'W' from the mask wizard (the mask shown read-only).
class TSaveFieldMask : public QDialog {
    Q_OBJECT
public:
    TSaveFieldMask(db::Table& maskLib, const QString& name, const QString& mask, const QString& sample, int id,
                   QChar mode, QWidget* parent = nullptr);

    /// The checks and the write of OK; true when the row was written.
    bool SaveMask();

protected:
    void showEvent(QShowEvent* event) override;

private:
    db::Table& m_maskLib;
    int m_id;
    QChar m_mode;

public:
    QLineEdit* MaskEdit;
    QLineEdit* NameEdit;
    QLineEdit* SampleEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Shows "Mask Information"; true when a row was appended (modes A, C, W: ID = the last ID +
/// 1, 1 in an empty table) or the row `id` edited (mode E). The table is opened when closed
/// and closed again afterwards.
bool ShowSaveMaskDialog(db::Table& maskLib, const QString& name, const QString& mask, const QString& sample, int id,
                        QChar mode, QWidget* parent = nullptr);

}  // namespace core
