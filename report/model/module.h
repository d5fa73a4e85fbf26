#pragma once

#include "report/model/relative.h"
#include "report/model/template.h"

#include <QPointer>

#include <functional>
#include <memory>

class TppReportModule;
class TppReportModuleTemplate;

/// What a report does for its modules: it keeps their list and is told when one changed.
/// The report class implements it; a module finds it on the object it is attached to.
class TppReportModuleHost {
public:
    virtual ~TppReportModuleHost() = default;
    virtual void AttachModule(TppReportModule* aModule) = 0;
    virtual void DetachModule(TppReportModule* aModule) = 0;
    /// A module's contents changed: the report is marked modified and reset.
    virtual void ModuleModified(TppReportModule* aModule) = 0;
};

/// A container of objects that belongs to a report without being part of its layout (the
/// data module's data views, the code module's programs). It holds its objects as children,
/// carries the state ppsModule while it is empty (an empty module is not streamed with its
/// report), tells its report when its contents change, and is saved and loaded on its own
/// through its template ("dtm" and "ctm" files and rows).
class TppReportModule : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppReportModule(TComponent* AOwner = nullptr);
    ~TppReportModule() override;

    /// Makes a module of this class with the report's owner and attaches it to the report.
    template <class Module>
    static Module* CreateForReport(TppRelative* aReport) {
        auto* m = new Module(aReport ? aReport->Owner() : nullptr);
        m->SetReport(aReport);
        return m;
    }

    TppRelative* Report() const { return qobject_cast<TppRelative*>(m_report.data()); }
    /// Detaches from the old report, attaches to the new one.
    virtual void SetReport(TppRelative* aReport);
    bool Modified() const { return m_modified; }
    /// Ignored while reading, loading or being freed; True marks the report modified.
    virtual void SetModified(bool aValue);
    /// The module's template, made on first use.
    TppReportModuleTemplate* Template();
    /// Copies the given template's settings into the module's template.
    virtual void SetTemplate(TppTemplate* aTemplate);
    /// The report's layout was cleared for a new report; empty here.
    virtual void ReportCleared() {}
    /// The report is about to clear its layout (its template's New): calls ReportCleared.
    virtual void ReportDestroying() { ReportCleared(); }
    /// Calls OnLanguageChanged.
    virtual void LanguageChanged();
    virtual bool IsEmpty() const { return ChildCount() == 0; }

    std::function<void(TppRelative* aChild)> OnChildAdded;
    std::function<void(TppRelative* aChild)> OnChildRemoving;
    std::function<void(TppReportModule*)> OnLanguageChanged;

    // A module joins a report through SetReport, not as a child in its tree.
    void SetParent(TppRelative* aParent) override;
    /// The report a module was read inside (while reading its report's stream); it joins it.
    virtual void SetParentComponent(TppRelative* aParent) { SetParent(aParent); }
    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int RemoveChild(TppRelative* aChild) override;
    /// Takes over the other module's children, then joins its report.
    void Transfer(TPersistent* aSource) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

protected:
    /// The template class of the module; the base module's template here.
    virtual std::unique_ptr<TppReportModuleTemplate> CreateTemplate();

private:
    TppReportModuleHost* host() const;

    /// The report, kept as a QObject: a remove notice arrives while the report is in its
    /// destructor, when only its address may be compared.
    QPointer<QObject> m_report;
    std::unique_ptr<TppReportModuleTemplate> m_template;
    bool m_modified = false;
};

/// The template of one module: loads into the existing module (a load that fails leaves
/// its contents as they were and it stays attached to its report).
class TppReportModuleTemplate : public report::RelativeTemplate {
    Q_OBJECT
public:
    explicit TppReportModuleTemplate(TppReportModule* aModule);

    TppReportModule* Module() const;
    /// Empties the module (a fresh module's contents), then OnNew.
    void New() override;

protected:
    bool PreserveSettings() override;
    void TakeContents(TppRelative& aLoaded) override;

private:
    QPointer<TppRelative> m_report;
};
