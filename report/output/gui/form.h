#pragma once

#include "report/output/dialog_registry.h"

#include <QDialog>

/// The base form of every report dialog: a dialog built in code that carries the report it
/// works on, its language and the creator's hooks (report::ReportForm). The activation hook
/// runs once each time the form is shown, after the show has been handled. Closed modeless,
/// the form frees itself (later, from the event loop); run modally, its creator frees it.
class TppForm : public QDialog, public virtual report::ReportForm {
    Q_OBJECT
public:
    explicit TppForm(QObject* aOwner = nullptr);
    ~TppForm() override;

    report::ModalResult ShowModal() override;
    void Show() override;
    void Close() override;
    bool IsShowing() const override { return isVisible(); }
    void EndModal(report::ModalResult aResult) override;

    /// Keeps the dialog open (result none) and shows the text in a warning box with an OK
    /// button; for OK handlers that find an entry wrong.
    void ShowWarning(const QString& aText);
    /// Takes a pending entry of the focused edit box before OK is handled.
    void ExitActiveEdit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_modalRun = false;
};
