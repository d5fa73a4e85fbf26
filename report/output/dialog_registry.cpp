#include "report/output/dialog_registry.h"

#include "report/model/template.h"

#include <memory>

#include <vector>

namespace report {
namespace {

struct Registration {
    QString abstractClass;
    FormClass formClass;
};

std::vector<Registration>& registry() {
    static std::vector<Registration> entries;
    return entries;
}

auto findEntry(const QString& aAbstractClass) {
    auto& entries = registry();
    return std::find_if(entries.begin(), entries.end(), [&](const Registration& r) {
        return r.abstractClass.compare(aAbstractClass, Qt::CaseInsensitive) == 0;
    });
}

}  // namespace

ReportForm::~ReportForm() {
    if (OnFirstClose) OnFirstClose(this);
    if (OnSecondClose) OnSecondClose(this);
}

void ReportForm::DoActivate() {
    if (OnActivate) OnActivate(this);
}

void ppSetFormLanguageIndex(ReportForm* aForm, int aLanguageIndex) {
    if (!aForm) return;
    aForm->m_languageIndex = aLanguageIndex;
    aForm->LanguageChanged();
}

void ppSetFormReport(ReportForm* aForm, QObject* aReport) {
    if (!aForm) return;
    aForm->m_report = aReport;
    aForm->ReportAssigned();
}

void ppRegisterForm(const QString& aAbstractClass, FormClass aFormClass) {
    ppUnRegisterForm(aAbstractClass);
    registry().push_back({aAbstractClass, std::move(aFormClass)});
}

void ppUnRegisterForm(const QString& aAbstractClass) {
    const auto it = findEntry(aAbstractClass);
    if (it != registry().end()) registry().erase(it);
}

const FormClass* ppGetFormClass(const QString& aAbstractClass) {
    const auto it = findEntry(aAbstractClass);
    return it != registry().end() ? &it->formClass : nullptr;
}

}  // namespace report

TppCustomCancelDialog::TppCustomCancelDialog() : m_closeTimer(std::make_unique<QTimer>()) {
    m_closeTimer->setInterval(10);
    QObject::connect(m_closeTimer.get(), &QTimer::timeout, m_closeTimer.get(), [this] {
        m_closeTimer->stop();
        EndModal(report::ModalResult::mrOk);
    });
}

void TppCustomCancelDialog::SetStatus(const QString& aText) {
    m_status = aText;
    StatusChanged();
}

void TppCustomCancelDialog::DoCancel() {
    if (OnCancel) OnCancel();
}

report::ModalResult TppCustomCancelDialog::ShowModalForJob() {
    m_modal = true;
    return ShowModal();
}

void TppCustomCancelDialog::StartCloseTimer() {
    m_closeTimer->start();
}

namespace report {

void InstallRegisteredTemplateDialogs() {
    static const bool installed = [] {
        auto previousError = std::make_shared<TemplateErrorPrompt>();
        *previousError = SetTemplateErrorPrompt([previousError](const QString& aText) -> TemplateErrorAnswer {
            std::unique_ptr<TppCustomTemplateErrorDialog> dialog(CreateForm<TppCustomTemplateErrorDialog>(nullptr));
            if (!dialog) {
                return *previousError ? (*previousError)(aText) : AskTemplateErrorInMessageBox(aText);
            }
            dialog->Message = aText;
            dialog->Init();
            if (dialog->ShowModal() != ModalResult::mrOk) return TemplateErrorAnswer::Cancel;
            switch (dialog->Result) {
                case TppCustomTemplateErrorDialog::Answer::Ignore: return TemplateErrorAnswer::Ignore;
                case TppCustomTemplateErrorDialog::Answer::IgnoreAll: return TemplateErrorAnswer::IgnoreAll;
                case TppCustomTemplateErrorDialog::Answer::Cancel: break;
            }
            return TemplateErrorAnswer::Cancel;
        });
        auto previousName = std::make_shared<TemplateNamePrompt>();
        *previousName = SetTemplateNamePrompt(
            [previousName](int aMode, TppDataPipeline* aPipeline, const QString& aNameField,
                           const QString& aName) -> std::optional<QString> {
                std::unique_ptr<TppCustomTemplateDialog> dialog(CreateForm<TppCustomTemplateDialog>(nullptr));
                if (!dialog) {
                    if (*previousName) return (*previousName)(aMode, aPipeline, aNameField, aName);
                    return std::nullopt;
                }
                dialog->Mode = aMode;
                dialog->DataPipeline = aPipeline;
                dialog->NameField = aNameField;
                dialog->Name = aName;
                dialog->Init();
                if (dialog->ShowModal() != ModalResult::mrOk) return std::nullopt;
                return dialog->Name;
            });
        return true;
    }();
    (void)installed;
}

}  // namespace report
