#pragma once

// The designer's abstract form and its pluggable pages.
// - TppComponentDesigner: what report objects and design modules talk to; the designer
//   window is its one concrete descendant.
// - TppDesignModule: the base of the pages the designer window shows beside its own Design
//   and Preview pages (the data page, the code page). Modules register their class under the
//   designer class name "TppDesignerWindow"; every open designer window rebuilds its module
//   pages when the registrations change.

#include "report/model/custom_report.h"
#include "report/page/report_types.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QStatusBar;
class TppCustomReport;
class TppDesignModule;
class TppRegListSubscriber;
class TppReport;

/// The objects handed to OnSelectionChanged: the selected components, else the current
/// band, else the report.
using TppDesignerSelectionList = QList<QObject*>;
using TppSetSelectionEvent = std::function<void(const TppDesignerSelectionList& Components)>;

class TppComponentDesigner : public QMainWindow {
    Q_OBJECT
public:
    explicit TppComponentDesigner(QWidget* parent = nullptr);
    ~TppComponentDesigner() override;

    // Virtual operations in slot order.
    virtual void DesignModulesChanged() {}
    virtual void SetReport(TppCustomReport* aReport) { m_report = aReport; }
    virtual TppCustomReport* GetReport() const { return m_report; }
    virtual void SelectReport(TppCustomReport* aReport) { Q_UNUSED(aReport); }
    virtual QStatusBar* GetStatusBar() const { return nullptr; }
    virtual bool IsTrueByDefault() const { return true; }
    /// The selection-list object of the base never exists: nothing happens.
    virtual void Modified() {}
    virtual void SpareHook() {}
    virtual void SelectObjects(const QList<QObject*>& aList) = 0;

    /// The report given to SetReport.
    TppCustomReport* Report() const { return m_report; }
    TppSetSelectionEvent OnSelectionChanged;
    void DoSelectionChanged(const TppDesignerSelectionList& aList) {
        if (OnSelectionChanged) OnSelectionChanged(aList);
    }

private:
    QPointer<TppCustomReport> m_report;
    TppRegListSubscriber* m_subscriber = nullptr;
};

/// A module class: its name and how to make a module (the virtual constructor).
struct TppDesignModuleClass {
    QString name;
    std::function<TppDesignModule*(QWidget* aPage, TppComponentDesigner* aDesigner)> create;
};

class TppDesignModule : public QObject {
    Q_OBJECT
public:
    /// Keeps Page and Designer; Caption empty, PageIndex 0, not active.
    TppDesignModule(QWidget* aPage, TppComponentDesigner* aDesigner);

    // Virtual operations in slot order.
    virtual void ActiveChanged() {}
    virtual void SetReport(TppCustomReport* aReport) { m_report = aReport; }
    virtual QStatusBar* GetStatusBar() const { return m_designer ? m_designer->GetStatusBar() : nullptr; }
    virtual void LanguageChanged(TppLanguageType aLanguage) { m_language = aLanguage; }
    virtual void AllowActiveChange(bool& aAllow) { aAllow = true; }
    virtual void LoadSettings() {}
    virtual void SaveSettings() {}
    virtual void BeforePreview() {}
    virtual void AfterPreview() {}
    virtual void CloseQuery(bool& aCanClose) { Q_UNUSED(aCanClose); }
    virtual void Closing() {}

    QWidget* Page() const { return m_page; }
    TppComponentDesigner* Designer() const { return m_designer; }
    QString Caption() const { return m_caption; }
    int PageIndex() const { return m_pageIndex; }
    bool Active() const { return m_active; }
    /// Stores Active and calls ActiveChanged.
    void SetActive(bool aValue);
    TppCustomReport* Report() const { return m_report; }
    TppLanguageType Language() const { return m_language; }

protected:
    void SetCaption(const QString& v) { m_caption = v; }
    void SetPageIndex(int v) { m_pageIndex = v; }

private:
    QPointer<QWidget> m_page;
    QPointer<TppComponentDesigner> m_designer;
    QString m_caption;
    int m_pageIndex = 0;
    bool m_active = false;
    QPointer<TppCustomReport> m_report;
    TppLanguageType m_language = TppLanguageType::lgDefault;
};

/// The design-module registrations, made on first use.
class TppRegList;
TppRegList& ppGetDesignModuleList();
/// Registers a module class under a designer class name ("TppDesignerWindow"); nothing when
/// either is missing; a pair already present is kept in place.
void ppRegisterDesignModule(const TppDesignModuleClass* aModuleClass, const QString& aDesignerClassName);
void ppUnregisterDesignModule(const TppDesignModuleClass* aModuleClass, const QString& aDesignerClassName);
/// Appends, in list order, every module class registered under the designer class name.
void ppGetDesignModules(const QString& aDesignerClassName, QList<const TppDesignModuleClass*>& aList);
void ppAddDesignModuleSubscriber(QObject* aSubscriber);
void ppRemoveDesignModuleSubscriber(QObject* aSubscriber);
