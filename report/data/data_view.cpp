#include "report/data/data_view.h"

#include "report/data/data_dictionary.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/report.h"
#include "report/model/text_layout.h"
#include "report/page/class_library.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/property_table.h"

// ---- data-view template ----

TdaDataViewTemplate::TdaDataViewTemplate(TdaCustomDataView* aDataView) : TppTemplate(aDataView) {}

TdaDataViewTemplate::~TdaDataViewTemplate() = default;

TdaCustomDataView* TdaDataViewTemplate::DataView() const { return qobject_cast<TdaCustomDataView*>(Owner()); }

void TdaDataViewTemplate::New() {
    if (TdaCustomDataView* view = DataView()) {
        std::unique_ptr<TdaDataView> fresh = daCreateDataViewOfClass(view->metaObject());
        if (fresh) view->Transfer(fresh.get());
    }
    TppTemplate::New();
}

bool TdaDataViewTemplate::PreserveSettings() {
    TppTemplate::PreserveSettings();
    TdaCustomDataView* view = DataView();
    if (!view) return false;
    m_loaded = nullptr;
    std::unique_ptr<TdaDataView> backup = daCreateDataViewOfClass(view->metaObject());
    m_backup.reset(qobject_cast<TdaCustomDataView*>(backup.release()));
    if (m_backup) m_backup->Transfer(view);
    return true;
}

void TdaDataViewTemplate::ReadComponent(stream::Component& aComponent) {
    if (auto* view = dynamic_cast<TdaCustomDataView*>(&aComponent)) m_loaded = view;
}

void TdaDataViewTemplate::ReaderSetName(stream::Component& aComponent, QString& aName) {
    TppTemplate::ReaderSetName(aComponent, aName);
    TdaCustomDataView* view = DataView();
    if (!view || !view->Owner() || view->Owner() != Root()) return;
    QObject* clash = nullptr;
    for (QObject* c : view->Owner()->children())
        if (c != dynamic_cast<QObject*>(&aComponent) && c->objectName().compare(aName, Qt::CaseInsensitive) == 0)
            clash = c;
    if (clash) view->GetDefaultName(view, aName);
}

void TdaDataViewTemplate::RestoreSettings(bool aSuccess) {
    TdaCustomDataView* view = DataView();
    if (view) {
        if (aSuccess && m_loaded) view->Transfer(m_loaded.data());
        else if (m_backup) view->Transfer(m_backup.get());
    }
    m_backup.reset();
    delete m_loaded.data();
    m_loaded = nullptr;
    TppTemplate::RestoreSettings(aSuccess);
}

// ---- custom data view ----

TdaCustomDataView::TdaCustomDataView(TComponent* AOwner) : TdaDataView(AOwner) {
    m_template = std::make_unique<TdaDataViewTemplate>(this);
    EventNotifies().reset();
    EventNotifies().set(1);
    SetDescription(GetTypeName());
    SetComplete(true);
    SetUserName(ppTextToIdentifier(Description()));
}

TdaCustomDataView::~TdaCustomDataView() {
    SetComponentState(csDestroying, true);
    m_template.reset();
}

int TdaCustomDataView::DataPipelineCount() const {
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (qobject_cast<TppDataPipeline*>(Children(i))) ++n;
    return n;
}

TppDataPipeline* TdaCustomDataView::DataPipelines(int aIndex) const {
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* p = qobject_cast<TppDataPipeline*>(Children(i))) {
            if (n == aIndex) return p;
            ++n;
        }
    return nullptr;
}

void TdaCustomDataView::SetActive(bool aValue) {
    if (aValue && DataPipelineCount() == 0) CreateDataPipelines();
    for (int i = 0; i < DataPipelineCount(); ++i) {
        if (aValue) DataPipelines(i)->Open();
        else DataPipelines(i)->Close();
    }
    TdaDataView::SetActive(aValue);
}

QString TdaCustomDataView::PreviewFormClass() const {
    return report::ppGetFormClass(QString::fromLatin1(TdaCustomPreviewDataDialog::kClassName))
               ? QString::fromLatin1(TdaCustomPreviewDataDialog::kClassName)
               : QString();
}

void TdaCustomDataView::Preview() {
    if (PreviewFormClass().isEmpty()) return;
    std::unique_ptr<TdaCustomPreviewDataDialog> form(report::CreateForm<TdaCustomPreviewDataDialog>(nullptr));
    if (!form) return;
    form->SetDataView(this);
    form->SetLanguageIndex(LanguageIndex());
    form->ShowModal();
}

void TdaCustomDataView::EnsureActive() {
    if (!Active()) SetActive(true);
}

void TdaCustomDataView::CreateDataPipelines() {
    if (DataPipelineCount() > 0) return;
    CreateDataSources();
    LinkDataPipelines();
    for (int i = 0; i < DataPipelineCount(); ++i) InitDataPipeline(DataPipelines(i));
}

void TdaCustomDataView::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TdaDataView::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == 1 && aCommunicator && static_cast<QObject*>(aCommunicator) == static_cast<QObject*>(Report()))
        EnsureActive();
}

void TdaCustomDataView::Loaded() {
    TdaDataView::Loaded();
    if (DataPipelineCount() > 0) LinkDataPipelines();
}

void TdaCustomDataView::Transfer(TPersistent* aSource) {
    TdaDataView::Transfer(aSource);
    if (auto* source = qobject_cast<TdaCustomDataView*>(aSource)) {
        Q_UNUSED(source);
        for (int i = 0; i < DataPipelineCount(); ++i) {
            TppDataPipeline* p = DataPipelines(i);
            p->SetDataView(this);
            if (Owner() && p->Owner() != Owner()) p->ChangeOwner(Owner());
        }
    }
}

const stream::PropertyList& TdaCustomDataView::StreamProperties() const {
    using T = TdaCustomDataView;
    static const auto table = stream::PropertyTable<T>(TdaDataView::StreamProperties())
                                  .Integer("Left", &T::Left, &T::SetLeft, 0)
                                  .Integer("Top", &T::Top, &T::SetTop, 0)
                                  .Integer("Width", &T::Width, &T::SetWidth, 0)
                                  .Integer("Height", &T::Height, &T::SetHeight, 0)
                                  .Boolean("AskAtRunTime", &T::AskAtRunTime, &T::SetAskAtRunTime, false);
    return table;
}

// ---- dialog base ----

void TdaCustomDataViewDialog::SetLanguageIndex(int aValue) {
    m_languageIndex = aValue;
    report::ppSetFormLanguageIndex(this, aValue);
}

// ---- data module ----

/// The data module's template: ".dtm" files.
class TdaDataModuleTemplate : public TppReportModuleTemplate {
public:
    explicit TdaDataModuleTemplate(TdaDataModule* aModule) : TppReportModuleTemplate(aModule) {
        SetFileExtension(QStringLiteral("dtm"));
        SetFileFilter(QStringLiteral("Report Data file (*.dtm)|*.dtm"));
    }

protected:
    /// A data module's text carries no report version: the old reports' upgrade of integer
    /// measurements to decimals would turn the views' Left, Top, Width and Height into
    /// decimals that no longer read as integers.
    void ConvertTextStream(QByteArray& aText) override { Q_UNUSED(aText); }
};

TdaDataModule::TdaDataModule(TComponent* AOwner) : TppReportModule(AOwner) {}

std::unique_ptr<TppReportModuleTemplate> TdaDataModule::CreateTemplate() {
    return std::make_unique<TdaDataModuleTemplate>(this);
}

int TdaDataModule::DataViewCount() const {
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (qobject_cast<TdaDataView*>(Children(i))) ++n;
    return n;
}

TdaDataView* TdaDataModule::DataViews(int aIndex) const {
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* v = qobject_cast<TdaDataView*>(Children(i))) {
            if (n == aIndex) return v;
            ++n;
        }
    return nullptr;
}

void TdaDataModule::giveViewsTheReport() {
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (!report) return;
    for (int i = 0; i < DataViewCount(); ++i) DataViews(i)->SetReport(report);
}

void TdaDataModule::SetReport(TppRelative* aReport) {
    TppReportModule::SetReport(aReport);
    if (!HasState(csDestroying)) giveViewsTheReport();
}

void TdaDataModule::SetParentComponent(TppRelative* aParent) {
    if (!aParent) SetReport(nullptr);
    else if (auto* child = qobject_cast<TppChildReport*>(aParent)) AttachToMainReport(child->MainReport());
    else SetReport(aParent);
    giveViewsTheReport();
}

void TdaDataModule::AttachToMainReport(TppRelative* aReport) {
    if (!aReport) return;
    if (TdaDataModule* existing = daGetDataModule(aReport); existing && existing != this) {
        daMoveDataViews(existing, this);
        return;
    }
    SetReport(aReport);
}

void TdaDataModule::Loaded() {
    TppReportModule::Loaded();
    giveViewsTheReport();
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (auto* child = qobject_cast<TppChildReport*>(report)) {
        AttachToMainReport(child->MainReport());
        deleteLater();
        return;
    }
    // Views read into a module that was handed to the main report's module while it was
    // read join that module now.
    if (!report) return;
    if (TdaDataModule* main = daGetDataModule(report); main && main != this) {
        daMoveDataViews(main, this);
        return;
    }
    if (TppCustomReport* mainReport = report->MainReport()) mainReport->SetModified(false);
}

// ---- data wizard ----

TdaCustomDataWizard::TdaCustomDataWizard(TComponent* aOwner) : TppCustomWizard(aOwner) {
    m_dataSettings = std::make_unique<TppDataSettings>(this);
}

TdaCustomDataWizard::~TdaCustomDataWizard() = default;

TClass TdaCustomDataWizard::DataSetClass() const {
    if (!SessionClass) return nullptr;
    std::unique_ptr<TdaSession> session = daCreateSession(SessionClass);
    return session ? session->DataSetClass() : nullptr;
}

void TdaCustomDataWizard::SetDataSettings(TppDataSettings* aSettings) {
    if (aSettings) m_dataSettings->Assign(aSettings);
}

void TdaCustomDataWizard::DoGetDataView(TdaDataView*& aDataView) {
    if (OnGetDataView) OnGetDataView(this, aDataView);
}

void TdaCustomDataWizard::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCustomWizard::Notify(aCommunicator, aOperation);
    if (aOperation == ppopRemove && aCommunicator && m_dataSettings &&
        static_cast<QObject*>(aCommunicator) == static_cast<QObject*>(m_dataSettings->DataDictionary()))
        m_dataSettings->SetDataDictionary(nullptr);
}

// ---- registry ----

namespace {

TdaDataViewClassList& viewRegistry() {
    static TdaDataViewClassList list;
    return list;
}

int indexOfType(const QString& aName) {
    const TdaDataViewClassList& list = viewRegistry();
    for (int i = 0; i < list.size(); ++i)
        if (list[i].first.compare(aName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void registerForStreaming(TClass aClass) {
    stream::ClassRegistry::Global().Register(QString::fromLatin1(aClass->className()), [aClass] {
        std::unique_ptr<QObject> o(aClass->newInstance(Q_ARG(TComponent*, nullptr)));
        auto* component = dynamic_cast<stream::Component*>(o.get());
        if (component) o.release();
        return std::unique_ptr<stream::Component>(component);
    });
}

QString typeNameOf(TClass aClass) {
    std::unique_ptr<TdaDataView> v = daCreateDataViewOfClass(aClass);
    return v ? v->GetTypeName() : QString::fromLatin1(aClass->className());
}

}  // namespace

std::unique_ptr<TdaDataView> daCreateDataViewOfClass(TClass aClass) {
    if (!aClass) return nullptr;
    std::unique_ptr<QObject> o(aClass->newInstance(Q_ARG(TComponent*, nullptr)));
    auto* view = qobject_cast<TdaDataView*>(o.get());
    if (!view) return nullptr;
    o.release();
    return std::unique_ptr<TdaDataView>(view);
}

void daRegisterDataViewClass(TClass aClass) {
    if (!aClass) return;
    const QString key = typeNameOf(aClass);
    if (indexOfType(key) >= 0) return;
    report::RegisterClass(aClass);
    registerForStreaming(aClass);
    viewRegistry().append({key, aClass});
}

void daUnRegisterDataViewClass(TClass aClass) {
    if (!aClass) return;
    report::UnRegisterClass(aClass);
    stream::ClassRegistry::Global().Unregister(QString::fromLatin1(aClass->className()));
    const int i = indexOfType(typeNameOf(aClass));
    if (i >= 0) viewRegistry().removeAt(i);
}

const TdaDataViewClassList& daGetDataViewClassList() { return viewRegistry(); }

void daGetDataViewClasses(TdaDataViewClassList& aList) {
    aList.clear();
    for (const auto& entry : viewRegistry()) {
        std::unique_ptr<TdaDataView> v = daCreateDataViewOfClass(entry.second);
        if (v && v->IsNewDialogItem()) aList.append(entry);
    }
}

void daGetSessionDataViewClasses(TClass aSessionClass, TdaDataViewClassList& aList) {
    aList.clear();
    for (const auto& entry : viewRegistry()) {
        std::unique_ptr<TdaDataView> v = daCreateDataViewOfClass(entry.second);
        if (v && v->SessionClass() == aSessionClass && !v->IsNewDialogItem()) aList.append(entry);
    }
}

void daGetSessionTypes(QList<std::pair<QString, TClass>>& aList) {
    aList.clear();
    const TdaDataViewClassList& list = viewRegistry();
    for (int i = list.size() - 1; i >= 0; --i) {
        std::unique_ptr<TdaDataView> v = daCreateDataViewOfClass(list[i].second);
        if (!v || !v->SessionClass()) continue;
        const QString name = daSessionTypeNameOf(v->SessionClass());
        bool listed = false;
        for (const auto& e : aList) listed = listed || e.first.compare(name, Qt::CaseInsensitive) == 0;
        if (!listed) aList.append({name, v->SessionClass()});
    }
}

void daRegisterDataWizard(const TppWizardClass* aClass) { ppRegisterWizard(aClass); }

void daUnRegisterDataWizard(const TppWizardClass* aClass) { ppUnregisterWizard(aClass); }

TClass daFindDataViewClassForWizard(TClass aSessionClass, const TppWizardClass* aWizardClass) {
    if (!aWizardClass || !aWizardClass->Create) return nullptr;
    std::unique_ptr<TppWizard> wizard(aWizardClass->Create(nullptr));
    auto* dataWizard = dynamic_cast<TdaCustomDataWizard*>(wizard.get());
    if (!dataWizard) return nullptr;
    const TClass viewClass = dataWizard->DataViewClass();
    TdaDataViewClassList list;
    daGetSessionDataViewClasses(aSessionClass, list);
    for (const auto& entry : list)
        if (viewClass && report::InheritsFrom(entry.second, viewClass)) return entry.second;
    return nullptr;
}

void daGetDataWizards(TClass aSessionClass, TppWizardClassList& aList) {
    aList.clear();
    TppWizardClassList all;
    ppGetWizardClasses(all, &TdaCustomDataWizard::staticMetaObject);
    for (const auto& entry : all)
        if (daFindDataViewClassForWizard(aSessionClass, entry.second)) aList.append(entry);
}

TdaDataModule* daGetDataModule(TppRelative* aReport) {
    auto* report = qobject_cast<TppCustomReport*>(aReport);
    if (!report) return nullptr;
    return qobject_cast<TdaDataModule*>(report->GetModuleOfClass(TdaDataModule::staticMetaObject));
}

void daMoveDataViews(TdaDataModule* aTarget, TdaDataModule* aSource) {
    if (!aTarget || !aSource || aTarget == aSource) return;
    while (aSource->DataViewCount() > 0) {
        TdaDataView* view = aSource->DataViews(0);
        view->SetParent(aTarget);
        if (view->Parent() != aTarget) aSource->RemoveChild(view);
        if (auto* report = qobject_cast<TppCustomReport*>(aTarget->Report())) view->SetReport(report);
    }
}
