#include "report/output/gui/form.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/run_guarded.h"

#include <QLineEdit>
#include <QTimer>

namespace {
QWidget* parentWidgetOf(QObject* aOwner) {
    return qobject_cast<QWidget*>(aOwner);
}
}  // namespace

TppForm::TppForm(QObject* aOwner) : QDialog(parentWidgetOf(aOwner)) {}

TppForm::~TppForm() = default;

report::ModalResult TppForm::ShowModal() {
    m_modalRun = true;
    const int result = ui::ExecModal(*this);
    m_modalRun = false;
    return result == int(report::ModalResult::mrOk) ? report::ModalResult::mrOk : report::ModalResult::mrCancel;
}

void TppForm::Show() {
    show();
}

void TppForm::Close() {
    if (m_modalRun) {
        EndModal(report::ModalResult::mrCancel);
        return;
    }
    hide();
    deleteLater();
}

void TppForm::EndModal(report::ModalResult aResult) {
    done(int(aResult));
}

void TppForm::ShowWarning(const QString& aText) {
    setResult(0);
    ui::Message(aText, ui::MessageKind::Warning, ui::Button::Ok);
}

void TppForm::ExitActiveEdit() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) Q_EMIT edit->editingFinished();
}

void TppForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { ui::RunGuarded(this, [&] { DoActivate(); }); });
}
