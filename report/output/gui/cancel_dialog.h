#pragma once

#include "report/output/gui/form.h"

class QPlainTextEdit;
class QPushButton;

/// The progress dialog shown while a report prints to a printer or a file: the status
/// text the device writes, and Cancel, which runs the cancel hook (the producer stops the
/// job) and closes the dialog. Shown modelessly it disables the window that was active and
/// enables it again when it hides.
class TppCancelDialog : public TppForm, public TppCustomCancelDialog {
    Q_OBJECT
public:
    explicit TppCancelDialog(QObject* aOwner = nullptr);
    ~TppCancelDialog() override;

    void LanguageChanged() override;
    void StatusChanged() override;

    QPlainTextEdit* memMessage;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void btnCancelClick();
    void enableDisabledForm();
    QPointer<QWidget> m_disabledForm;
};
