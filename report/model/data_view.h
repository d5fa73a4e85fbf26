#pragma once

#include "report/model/relative.h"

#include <QPointer>
#include <QString>

#include <functional>

class TppCustomReport;
class TppDataPipeline;

/// A provider of data pipelines that a report owns, built in the data workspace (which
/// derives the concrete views). Given to a report without a main pipeline, a view makes its
/// first pipeline the report's DataPipeline.
class TdaDataView : public TppRelative {
    Q_OBJECT
public:
    /// The actions of the view's tool window (numbers 0 to 8), as a 16-bit set (bit i =
    /// action i).
    using Actions = quint16;
    static constexpr Actions kDefaultActions = 0x01FE;  ///< {1, ..., 8}

    Q_INVOKABLE explicit TdaDataView(TComponent* AOwner = nullptr);
    ~TdaDataView() override;

    // Virtual operations in slot order.
    virtual void AssignReportPipeline();
    virtual int DataPipelineCount() const { return 0; }
    virtual TppDataPipeline* DataPipelines(int aIndex) const {
        Q_UNUSED(aIndex);
        return nullptr;
    }
    virtual void SetActive(bool aValue) { m_active = aValue; }
    virtual void SetAutoSearchTabOrder(int aValue) { m_autoSearchTabOrder = aValue; }
    /// Stores; outside reading and loading calls OnChange.
    virtual void SetAvailableActions(Actions aActions);
    virtual void SetEnabledActions(Actions aActions) { m_enabledActions = aActions; }
    virtual void SetLanguageIndex(int aValue) { m_languageIndex = aValue; }
    virtual void SetReport(TppCustomReport* aReport);
    // What the data workspace's view classes answer (class-wide answers, asked of any
    // instance); the base gives the neutral ones.
    /// The name of the view's picture for ppLoadBitmap; none here.
    virtual QString GetBitmap() const { return {}; }
    /// The class name: the registry key of the class and a new view's first description.
    virtual QString GetTypeName() const;
    /// The name of the preview form class; none here.
    virtual QString PreviewFormClass() const { return {}; }
    /// The session class the view works with; none here.
    virtual const QMetaObject* SessionClass() const { return nullptr; }
    /// Whether the class is offered as an item of its own in the New Items dialog.
    virtual bool IsNewDialogItem() const { return false; }
    /// Opens the view's design dialog; nothing here.
    virtual void RunDesignDialog() {}
    /// Shows the view's data; nothing here.
    virtual void Preview() {}
    /// Makes the pipeline a child of the view; answers its index.
    virtual int AddDataPipeline(TppDataPipeline* aPipeline);
    /// Takes the pipeline out of the view's children.
    virtual void RemoveDataPipeline(TppDataPipeline* aPipeline);

    TppCustomReport* Report() const { return m_report; }
    bool Active() const { return m_active; }
    int AutoSearchTabOrder() const { return m_autoSearchTabOrder; }
    Actions AvailableActions() const { return m_availableActions; }
    Actions EnabledActions() const { return m_enabledActions; }
    int LanguageIndex() const { return m_languageIndex; }

    /// The view's description text (shown by the data workspace).
    QString Description() const { return m_description; }
    void SetDescription(const QString& v) { m_description = v; }
    /// The action the data workspace runs next on the view (an action number).
    quint8 DesignAction() const { return m_designAction; }
    void SetDesignAction(quint8 v) { m_designAction = v; }
    /// Set by the query designer and wizard when they close with OK, before they hand the
    /// edited query to the view; False on creation.
    bool Complete() const { return m_complete; }
    void SetComplete(bool v) { m_complete = v; }

    /// Called with the view when the available actions change outside reading and loading.
    std::function<void(TdaDataView*)> OnChange;

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

private:
    TppCustomReport* m_report = nullptr;  ///< linked both ways; cleared when the report is freed
    bool m_active = false;
    int m_autoSearchTabOrder = 0;
    Actions m_availableActions = kDefaultActions;
    Actions m_enabledActions = kDefaultActions;
    int m_languageIndex = 0;
    QString m_description;
    quint8 m_designAction = 0;
    bool m_complete = false;
};
