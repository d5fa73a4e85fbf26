#include "report/model/module.h"

TppReportModule::TppReportModule(TComponent* AOwner) : TppRelative(AOwner) { AddState(ppsModule); }

TppReportModule::~TppReportModule() {
    SetComponentState(csDestroying, true);
    if (TppReportModuleHost* h = host()) h->DetachModule(this);
    m_report = nullptr;
    m_template.reset();
}

TppReportModuleHost* TppReportModule::host() const { return dynamic_cast<TppReportModuleHost*>(m_report.data()); }

void TppReportModule::SetReport(TppRelative* aReport) {
    if (aReport == m_report.data()) return;
    if (TppRelative* old = Report()) {
        if (TppReportModuleHost* h = host()) h->DetachModule(this);
        RemoveNotify(old);
    }
    m_report = aReport;
    if (aReport) {
        AddNotify(aReport);
        if (TppReportModuleHost* h = host()) h->AttachModule(this);
    }
}

void TppReportModule::SetParent(TppRelative* aParent) {
    if (!aParent || dynamic_cast<TppReportModuleHost*>(aParent)) SetReport(aParent);
}

void TppReportModule::SetModified(bool aValue) {
    if (HasState(csReading | csLoading | csDestroying)) return;
    m_modified = aValue;
    if (aValue)
        if (TppReportModuleHost* h = host()) h->ModuleModified(this);
}

std::unique_ptr<TppReportModuleTemplate> TppReportModule::CreateTemplate() {
    return std::make_unique<TppReportModuleTemplate>(this);
}

TppReportModuleTemplate* TppReportModule::Template() {
    if (!m_template) m_template = CreateTemplate();
    return m_template.get();
}

void TppReportModule::SetTemplate(TppTemplate* aTemplate) {
    if (aTemplate) Template()->Assign(aTemplate);
}

void TppReportModule::LanguageChanged() {
    if (OnLanguageChanged) OnLanguageChanged(this);
}

void TppReportModule::AddChild(TppRelative* aChild) {
    if (!aChild || IndexOfChild(aChild) >= 0) return;
    if (State() & ppsModule) RemoveState(ppsModule);
    TppRelative::AddChild(aChild);
    SetModified(true);
    if (OnChildAdded) OnChildAdded(aChild);
}

void TppReportModule::InsertChild(int aIndex, TppRelative* aChild) {
    if (!aChild || IndexOfChild(aChild) >= 0) return;
    if (State() & ppsModule) RemoveState(ppsModule);
    TppRelative::InsertChild(aIndex, aChild);
    SetModified(true);
    if (OnChildAdded) OnChildAdded(aChild);
}

int TppReportModule::RemoveChild(TppRelative* aChild) {
    if (IndexOfChild(aChild) < 0) return -1;
    if (OnChildRemoving && !HasState(csDestroying)) OnChildRemoving(aChild);
    const int index = TppRelative::RemoveChild(aChild);
    if (ChildCount() == 0) AddState(ppsModule);
    SetModified(true);
    return index;
}

void TppReportModule::Transfer(TPersistent* aSource) {
    auto* source = qobject_cast<TppReportModule*>(aSource);
    TppRelative::Transfer(aSource);
    if (source) SetReport(source->Report());
}

void TppReportModule::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppRelative::Notify(aCommunicator, aOperation);
    if (!aCommunicator || static_cast<QObject*>(aCommunicator) != m_report.data()) return;
    switch (aOperation) {
    case ppopRemove: m_report = nullptr; break;
    case ppopReportReset: ReportDestroying(); break;
    case ppopLanguageChange: LanguageChanged(); break;
    default: break;
    }
}

// ---- module template ----

TppReportModuleTemplate::TppReportModuleTemplate(TppReportModule* aModule) : report::RelativeTemplate(aModule) {}

TppReportModule* TppReportModuleTemplate::Module() const { return qobject_cast<TppReportModule*>(Owner()); }

bool TppReportModuleTemplate::PreserveSettings() {
    m_report = Module() ? Module()->Report() : nullptr;
    return report::RelativeTemplate::PreserveSettings();
}

void TppReportModuleTemplate::TakeContents(TppRelative& aLoaded) {
    report::RelativeTemplate::TakeContents(aLoaded);
    if (TppReportModule* m = Module()) m->SetReport(m_report);
}

void TppReportModuleTemplate::New() {
    if (TppReportModule* m = Module()) {
        TppRelative* report = m->Report();
        std::unique_ptr<QObject> fresh(m->metaObject()->newInstance(Q_ARG(TComponent*, nullptr)));
        if (auto* empty = qobject_cast<TppRelative*>(fresh.get())) m->Transfer(empty);
        m->SetReport(report);
    }
    TppTemplate::New();
}
