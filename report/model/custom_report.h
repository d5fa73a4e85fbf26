#pragma once

#include "report/model/band.h"
#include "report/model/module.h"
#include "report/model/relative.h"
#include "report/page/page_def.h"
#include "report/page/printer_setup.h"
#include "report/page/report_types.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TppCustomEngine;
class TppDataPipeline;
class TppGroup;
class TppComponent;
class TppChildReport;
class TppReportTemplate;

/// Sub-reports by name with their child reports, in the order they were found.
using TppChildReportList = QList<QPair<QString, TppChildReport*>>;

/// A report: it owns its bands, groups and attached report modules, holds the settings the
/// whole report shares (columns, units, page limit, pass setting, main data pipeline), owns
/// its page engine, and is the one way report objects reach an attached report designer.
///
/// The band list is always sorted by the band classes' order keys: title, header, column
/// header, group headers (outermost first), detail, group footers (innermost first), column
/// footer, footer, summary, page style. The group list is outermost first.
///
/// Producer part: the print-job side of a report (publisher, devices, printer setup
/// dialogs) lives in the output layer, which drives the report through RequestPages. The
/// model keeps what the object model itself needs of it: the Printing and Producing flags,
/// the language, the page geometry of the printer setup, and the template version with the
/// upgrade of older templates on loading.
///
/// Designer messages (WParam 5050) go to ReportDesigner, only while one is attached and
/// never while Printing is set (pages are being generated).
class TppCustomReport : public TppRelative, public TppReportModuleHost {
    Q_OBJECT
public:
    /// The template version this code writes.
    static constexpr int kCurrentVersion = 5000;

    /// The text that describes a report class to the user (New Items' Templates page): the
    /// class name; empty for none.
    static QString ClassDescription(TClass aClass) {
        return aClass ? QString::fromLatin1(aClass->className()) : QString();
    }

    explicit TppCustomReport(TComponent* AOwner = nullptr);
    ~TppCustomReport() override;

    // Virtual operations in slot order.
    virtual void SubReportLoaded(TppCustomReport* aChildReport) { Q_UNUSED(aChildReport); }
    virtual void SetModified(bool aValue) { m_modified = aValue; }
    virtual void LayoutChanged();
    virtual void DoEndPage();
    virtual void PageReady() {}
    /// The report at the top of the sub-report chain; a report on its own answers itself.
    virtual TppCustomReport* GetMainReport() const { return const_cast<TppCustomReport*>(this); }
    virtual void EndGeneration();
    virtual void StartGeneration();
    virtual void InitPass();
    /// Upgrades a report read from an older template (called on loading with the stored
    /// version when it is below 5000).
    virtual void Convert(int aVersion);
    /// Invalidates the engine's pages, except while reading, loading or producing.
    virtual void Reset();

    // Bands and groups.
    int BandCount() const { return int(m_bands.size()); }
    TppBand* Bands(int aIndex) const;
    int IndexOfBand(const TppBand* aBand) const;
    int GroupCount() const { return int(m_groups.size()); }
    TppGroup* Groups(int aIndex) const;
    int IndexOfGroup(const TppGroup* aGroup) const;
    /// For group header and footer the band of the group at aGroupIndex, else the first
    /// band of the type's class; null when absent.
    TppBand* GetBand(TppBandType aBandType, int aGroupIndex = 0) const;
    void AddBand(TppBand* aBand);
    void RemoveBand(TppBand* aBand);
    void AddGroup(TppGroup* aGroup);
    void RemoveGroup(TppGroup* aGroup);
    void MoveGroup(TppGroup* aGroup, int aNewIndex);
    /// The first band component of that Name (case-sensitive).
    TppComponent* FindComponentByName(const QString& aName) const;
    /// The group kept together by the engine: the innermost group with KeepTogether and
    /// without NewPage, none when a NewPage group lies inside it.
    TppGroup* KeepTogetherGroup() const;
    /// The group whose instances restart page numbering: the outermost with NewPage and
    /// ResetPageNo.
    TppGroup* ResetPageNoGroup() const;
    /// Creates the default bands of a report without bands.
    void CreateDefaultBands();
    /// Frees every group (with its bands) and band.
    void FreeBandsAndGroups();
    /// Re-sorts the band list by order keys.
    void SortBands();

    // Properties.
    bool AutoStop() const { return m_autoStop; }
    void SetAutoStop(bool v) { m_autoStop = v; }
    int Columns() const { return m_columns; }
    void SetColumns(int aValue);
    /// Column positions in Units, one per line; the stored list is in mm-thousandths.
    QStringList ColumnPositions() const;
    void SetColumnPositions(const QStringList& aPositions);
    QStringList mmColumnPositions() const { return m_mmColumnPositions; }
    int mmColumnWidth() const { return m_mmColumnWidth; }
    float ColumnWidth() const;
    void SetColumnWidth(float aValue);
    int spColumnWidth() const;
    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline* aPipeline);
    int PageLimit() const { return m_pageLimit; }
    void SetPageLimit(int v);
    TppPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TppPassSettingType v);
    bool SaveAsTemplate() const { return m_saveAsTemplate; }
    void SetSaveAsTemplate(bool v) { m_saveAsTemplate = v; }
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType aUnits);
    bool Modified() const { return m_modified; }
    /// The default bands a new report gets (bit = band type code).
    quint16 DefaultBands() const { return m_defaultBands; }

    // Producer part.
    bool Printing() const { return m_printing; }
    void SetPrinting(bool v) { m_printing = v; }
    bool Producing() const { return m_producing; }
    void SetProducing(bool v) { m_producing = v; }
    TppLanguageType Language() const { return m_language; }
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int v) { m_languageIndex = v; }
    /// The report's printer setup (printer, paper, orientation, margins, copies), kept in
    /// its template; every page it generates carries a copy.
    TppPrinterSetup* PrinterSetup() const { return m_printerSetup.get(); }
    /// The page geometry of the report's printer setup.
    TppPageDef* PageDef() const { return m_printerSetup->PageDef(); }
    /// Validates and applies a new page geometry: a narrower printable width asks to
    /// delete components beyond it (message 328); answers whether it was applied.
    bool SetPageDef(const TppPageDef& aPageDef);
    int PrintableWidth() const;
    int PrintableHeight() const;
    /// The name of the document the report prints as (its printer setup's document name),
    /// carried by every page; the report's Name until the output side sets it.
    QString DocumentName() const { return m_documentName.isEmpty() ? Name() : m_documentName; }
    void SetDocumentName(const QString& aName) { m_documentName = aName; }
    QString Version() const { return m_version; }
    int VersionNo() const { return m_versionNo; }
    void SetVersion(const QString& aVersion);

    // Engine values.
    TppCustomEngine* Engine() const { return m_engine.get(); }
    int AbsolutePageNo() const;
    /// The engine's current column (from 1).
    int CurrentColumn() const;
    int AbsolutePageCount() const;
    int PageNo() const;
    int PageCount() const;
    bool FirstPass() const;
    bool SecondPass() const;
    bool DonePrinting() const;
    void Stop();
    void PageLimitReached();

    // Designer.
    QObject* ReportDesigner() const { return m_reportDesigner; }
    void SetReportDesigner(QObject* aDesigner);
    void SendDesignerMessage(int aMsg, QObject* aObject);
    void PostDesignerMessage(int aMsg, QObject* aObject);
    /// Same as SendDesignerMessage with a number (not an object) in LParam.
    void SendDesignerValue(int aMsg, qintptr aValue);
    void BeginDesignerUpdate();
    void EndDesignerUpdate();
    void CreateDesignControls();
    /// Leaves the design display; the cached design pop-up menus are freed.
    void FreeDesignControls();
    /// The design pop-up menu of the object's class from the report's cache; on a miss
    /// aBuilder makes it and it is cached under the class name (the report owns it). None
    /// when there is neither a cached menu nor a builder.
    QObject* GetPopupMenu(const QObject* aObject, const std::function<QObject*()>& aBuilder);
    /// Frees every cached pop-up menu.
    void FreePopupMenus();
    int PopupMenuCount() const;
    void SetLanguage(TppLanguageType aLanguage);

    TppCustomReport* ParentReport() const { return m_parentReport; }
    void SetParentReport(TppCustomReport* aReport);
    /// The top report this report belongs to (GetMainReport); none for a child report that
    /// is not attached to a sub-report.
    TppCustomReport* MainReport() const { return GetMainReport(); }
    /// The report's template, made on first use: loads into this very report object.
    TppReportTemplate* Template();
    /// Copies the given template's settings into the report's template.
    void SetTemplate(TppReportTemplate* aTemplate);
    /// Set while loading when the stored report was older than 5.0 and was converted.
    bool ConvertedFromPre50() const { return m_convertedFromPre50; }

    /// For every sub-report placed directly in this report's bands that has a child report:
    /// the sub-report's user name with its child report, in band and z-order.
    void GetChildReports(TppChildReportList& aList) const;
    /// The same through the whole tree of child reports, depth first (a child report is
    /// followed by its own children before its next sibling).
    void GetAllChildReports(TppChildReportList& aList) const;

    // Modules (data modules, code modules) attached to the report.
    int ModuleCount() const { return int(m_modules.size()); }
    TppReportModule* Modules(int aIndex) const;
    /// The first attached module of that class (or a class derived from it); none otherwise.
    TppReportModule* GetModuleOfClass(const QMetaObject& aClass) const;
    /// Whether a module of the class "TraCodeModule" is attached.
    bool HasCodeModule() const;
    /// Whether any report up the chain of parent reports has a code module.
    bool ParentHasCodeModule() const;
    void AttachModule(TppReportModule* aModule) override;
    void DetachModule(TppReportModule* aModule) override;
    /// Marks the report modified and resets it.
    void ModuleModified(TppReportModule* aModule) override;

    /// The status text of the report (what it is doing now), shown by the output devices;
    /// OnStatusMessage is called with each new text.
    QString StatusMessage() const { return m_statusMessage; }
    void SetStatusMessage(const QString& aText);
    std::function<void(const QString&)> OnStatusMessage;
    /// Whether the report lets pending window events be processed while it generates.
    bool EnableProcessMessages() const { return m_enableProcessMessages; }
    void SetEnableProcessMessages(bool v) { m_enableProcessMessages = v; }

    /// Event 1 to the report's subscribers, once until SignalPrintEnd; then the same for
    /// every child report.
    void SignalPrintStart();
    /// Event 0, only after SignalPrintStart; then the same for every child report.
    void SignalPrintEnd();

    /// Generation events and the names templates store them by.
    std::function<void(QObject*)> OnEndColumn, OnEndFirstPass, OnEndPage, OnEndSecondPass, OnStartColumn,
        OnStartFirstPass, OnStartPage, OnStartSecondPass;
    QString OnEndColumnName, OnEndFirstPassName, OnEndPageName, OnEndSecondPassName, OnStartColumnName,
        OnStartFirstPassName, OnStartPageName, OnStartSecondPassName;
    void DoEndColumn();
    void DoEndFirstPass();
    void DoEndSecondPass();
    void DoStartColumn();
    void DoStartFirstPass();
    void DoStartPage();
    void DoStartSecondPass();

    // Overrides.
    void SetName(const QString& aName) override;
    void SetUserName(const QString& aName) override;
    void GetUserName(QString& aName) const override;
    TppCommunicator* FindUserName(const QString& aName) const override;
    void GetDefaultUserName(const QObject* aComponent, QString& aName) const override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void AddState(TppCommunicatorStates aStates) override;
    void RemoveState(TppCommunicatorStates aStates) override;
    void ChangeOwner(TComponent* aNewOwner) override;
    void Transfer(TPersistent* aSource) override;
    bool HasParent() const override { return false; }
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    void BeginLoading() override;
    void Loaded() override;

protected:
    /// Puts another page engine in place of the current one (the page-generation engine).
    void ReplaceEngine(std::unique_ptr<TppCustomEngine> aEngine);
    /// Points the engine's hooks at the report (page end, page ready).
    virtual void WireEngine();
    void SetDefaultBands(quint16 aBands) { m_defaultBands = aBands; }
    bool Reading() const { return HasState(csReading | csLoading); }
    /// The width check: asks with message aMessage to delete components beyond aWidth (a
    /// column band) or the printable page width (other bands); answers true when nothing
    /// lies beyond or the user agreed (then those components are freed).
    bool CheckComponentWidths(int aWidth, int aMessage);

private:
    bool askToDeleteColumnBands();
    void fireEvent(const std::function<void(QObject*)>& aHandler, int aEventID);

    std::vector<TppBand*> m_bands;    ///< owned (group bands through their groups)
    std::vector<TppGroup*> m_groups;  ///< owned
    bool m_autoStop = true;
    int m_columns = 1;
    int m_mmColumnWidth = 0;
    float m_rawColumnWidth = 0;  ///< ColumnWidth as read from an old stream
    bool m_hasRawColumnWidth = false;
    QStringList m_mmColumnPositions;
    TppDataPipeline* m_dataPipeline = nullptr;  ///< linked both ways
    quint16 m_defaultBands = 0;
    bool m_modified = false;
    int m_pageLimit = 0;
    TppPassSettingType m_passSetting = TppPassSettingType::psOnePass;
    bool m_saveAsTemplate = false;
    TppUnitType m_units = TppUnitType::utInches;
    bool m_printing = false;
    bool m_producing = false;
    TppLanguageType m_language = TppLanguageType::lgDefault;
    int m_languageIndex = 0;
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
    QString m_version = QStringLiteral("1.0");
    int m_versionNo = 1000;
    std::unique_ptr<TppCustomEngine> m_engine;
    QPointer<QObject> m_reportDesigner;
    std::vector<std::pair<QString, QPointer<QObject>>> m_popupMenus;  ///< class name -> menu, owned
    TppCustomReport* m_parentReport = nullptr;  ///< linked both ways
    bool m_destroying = false;
    bool m_convertedFromPre50 = false;
    QString m_documentName;
    QString m_statusMessage;
    bool m_enableProcessMessages = false;
    bool m_printStartSignalled = false;
    std::vector<QPointer<TppReportModule>> m_modules;  ///< linked both ways
    std::unique_ptr<TppReportTemplate> m_template;
};
