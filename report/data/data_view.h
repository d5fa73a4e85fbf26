#pragma once

// Data views (the unit in which an end user defines a report's data), the data module that
// keeps them with a report and in ".dtm" files, the registry of data-view classes, the
// dialog bases a data view shows and the base of the data wizards.

#include "report/data/data_settings.h"
#include "report/data/session.h"
#include "report/model/data_view.h"
#include "report/model/module.h"
#include "report/output/dialog_registry.h"
#include "report/output/wizard.h"

#include <QList>
#include <QPointer>

#include <functional>
#include <memory>

class TdaCustomDataView;
class TppDataPipeline;

/// The template of one data view: loads into the existing view (a failed load leaves it as
/// it was).
class TdaDataViewTemplate : public TppTemplate {
    Q_OBJECT
public:
    explicit TdaDataViewTemplate(TdaCustomDataView* aDataView);
    ~TdaDataViewTemplate() override;

    TdaCustomDataView* DataView() const;
    /// Replaces the view's contents by those of a new view of its class.
    void New() override;

protected:
    bool PreserveSettings() override;
    void ReadComponent(stream::Component& aComponent) override;
    void ReaderSetName(stream::Component& aComponent, QString& aName) override;
    void RestoreSettings(bool aSuccess) override;

private:
    std::unique_ptr<TdaCustomDataView> m_backup;
    QPointer<TdaCustomDataView> m_loaded;
};

/// The base of the data workspace's data views: where its tool window sat, its template, and
/// the pipelines it creates on first activation.
class TdaCustomDataView : public TdaDataView {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaCustomDataView(TComponent* AOwner = nullptr);
    ~TdaCustomDataView() override;

    int Left() const { return m_left; }
    void SetLeft(int v) { m_left = v; }
    int Top() const { return m_top; }
    void SetTop(int v) { m_top = v; }
    /// 0: the tool window was never placed.
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    int Height() const { return m_height; }
    void SetHeight(int v) { m_height = v; }
    /// Kept with the view; it has no effect here.
    bool AskAtRunTime() const { return m_askAtRunTime; }
    void SetAskAtRunTime(bool v) { m_askAtRunTime = v; }
    TdaDataViewTemplate* Template() const { return m_template.get(); }

    // The pipelines are the view's children of a pipeline class.
    int DataPipelineCount() const override;
    TppDataPipeline* DataPipelines(int aIndex) const override;
    /// Creates the pipelines first when switched on without any; opens or closes each.
    void SetActive(bool aValue) override;
    QString GetBitmap() const override { return QStringLiteral("DANODATAVIEW"); }
    /// The form class registered for streaming as "TdaPreviewDataDialog"; none here.
    QString PreviewFormClass() const override;
    /// Shows the registered preview form modally with the view; nothing without one.
    void Preview() override;

    // Virtual operations added here, in the order descendants override them.
    virtual void EnsureActive();
    /// The data-wizard class that edits views of this class; none here.
    virtual TClass DesignerClass() const { return nullptr; }
    virtual void CreateDataPipelines();
    virtual void CreateDataSources() {}
    virtual void InitDataPipeline(TppDataPipeline* aPipeline) { Q_UNUSED(aPipeline); }
    virtual void LinkDataPipelines() {}

    /// BeforePrint (event 1) of its own report makes the view active.
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;
    void Loaded() override;
    /// Takes the source's children; a data view's pipelines then belong to this view.
    void Transfer(TPersistent* aSource) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_askAtRunTime = false;
    std::unique_ptr<TdaDataViewTemplate> m_template;
};

/// The base of a data view's dialogs: the view and the language index.
class TdaCustomDataViewDialog : public virtual report::ReportForm {
public:
    TdaCustomDataView* DataView() const { return m_dataView; }
    virtual void SetDataView(TdaCustomDataView* aDataView) { m_dataView = aDataView; }
    /// Reloads the texts; nothing here.
    virtual void LanguageChanged() override {}
    /// Stores the index and calls LanguageChanged.
    void SetLanguageIndex(int aValue);
    int DialogLanguageIndex() const { return m_languageIndex; }

private:
    QPointer<TdaCustomDataView> m_dataView;
    int m_languageIndex = 0;
};
/// Marks the preview dialogs of data views.
class TdaCustomPreviewDataDialog : public TdaCustomDataViewDialog {
public:
    static constexpr const char* kClassName = "TdaPreviewDataDialog";
};
/// Marks the design dialogs of data views.
class TdaCustomDesignDataDialog : public TdaCustomDataViewDialog {};

class TdaDataModuleTemplate;

/// The report module holding a report's data views; saved with the report and exported to
/// and imported from ".dtm" files.
class TdaDataModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TdaDataModule(TComponent* AOwner = nullptr);

    int DataViewCount() const;
    TdaDataView* DataViews(int aIndex) const;

    /// Called while reading: nothing detaches; a child report's module goes to the main
    /// report's (AttachToMainReport); anything else becomes the report. Then every data view
    /// is given the report.
    void SetParentComponent(TppRelative* aParent) override;
    /// Joins the report; the data views follow it.
    void SetReport(TppRelative* aReport) override;
    /// With a report that already has a data module this module's views move there;
    /// otherwise this module attaches itself to it.
    void AttachToMainReport(TppRelative* aReport);
    void Loaded() override;

protected:
    std::unique_ptr<TppReportModuleTemplate> CreateTemplate() override;

private:
    void giveViewsTheReport();
};

/// The base of the data wizards (the query wizard and the query designer).
class TdaCustomDataWizard : public TppCustomWizard {
    Q_OBJECT
public:
    explicit TdaCustomDataWizard(TComponent* aOwner = nullptr);
    ~TdaCustomDataWizard() override;

    TppDataSettings* DataSettings() const { return m_dataSettings.get(); }
    /// The owner supplies the view to define.
    std::function<void(QObject* Sender, TdaDataView*& DataView)> OnGetDataView;
    TClass SessionClass = nullptr;
    /// The design action opened first (the view's DesignAction when editing, 0 for a new one).
    int StartAction = 0;
    int LanguageIndex = 0;
    /// Set on OK: 1 open the view in its designer, 2 preview its data, 0 nothing.
    int FollowUp = 0;

    // Virtual operations in slot order.
    virtual TdaDataView* GetDataView() = 0;
    virtual void GetDescription(QString& aText) = 0;
    /// The DataSetClass of SessionClass; none without a session class.
    virtual TClass DataSetClass() const;
    /// Copies the settings into the wizard's own.
    virtual void SetDataSettings(TppDataSettings* aSettings);
    /// The data-view class the wizard builds.
    virtual TClass DataViewClass() const = 0;

    void DoGetDataView(TdaDataView*& aDataView);
    /// Forgets the settings' dictionary when it is freed.
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

private:
    std::unique_ptr<TppDataSettings> m_dataSettings;
};

// ---- registry of data-view classes (key: GetTypeName, any case) ----

using TdaDataViewClassList = QList<std::pair<QString, TClass>>;

/// Registers the class (and for streaming) when its type name is not listed.
void daRegisterDataViewClass(TClass aClass);
void daUnRegisterDataViewClass(TClass aClass);
const TdaDataViewClassList& daGetDataViewClassList();
/// The classes that are items of their own in New Items (IsNewDialogItem).
void daGetDataViewClasses(TdaDataViewClassList& aList);
/// The classes of that session class that are not New Items entries, in registry order.
void daGetSessionDataViewClasses(TClass aSessionClass, TdaDataViewClassList& aList);
/// (session type name, session class) once per type, from the last registered view class to
/// the first.
void daGetSessionTypes(QList<std::pair<QString, TClass>>& aList);

// ---- data wizards (in the report library's wizard registry) ----

void daRegisterDataWizard(const TppWizardClass* aClass);
void daUnRegisterDataWizard(const TppWizardClass* aClass);
/// The first data-view class of the session that is the wizard's DataViewClass or descends
/// from it; null when none.
TClass daFindDataViewClassForWizard(TClass aSessionClass, const TppWizardClass* aWizardClass);
/// (caption, class) of every registered data wizard for which the session has a data-view
/// class, in registration order.
void daGetDataWizards(TClass aSessionClass, TppWizardClassList& aList);

// ---- data modules ----

/// The report's first module of class TdaDataModule; null for no report.
TdaDataModule* daGetDataModule(TppRelative* aReport);
/// Every data view of aSource becomes a child of aTarget, in order.
void daMoveDataViews(TdaDataModule* aTarget, TdaDataModule* aSource);

/// Asks a class function of a data-view class: a temporary instance without owner.
std::unique_ptr<TdaDataView> daCreateDataViewOfClass(TClass aClass);
