#pragma once

#include "report/model/cacheable.h"
#include "report/page/report_types.h"

#include <QString>

#include <functional>
#include <memory>

class TppCacheManager;
class TppCustomBand;
class TppComponent;
class TppCustomReport;
class TppDataPipeline;
class TppGroupHeaderBand;
class TppGroupFooterBand;
class TppPage;

/// One level of grouping: a break value taken from a data field (btDataField) or from a
/// text component of the report (btCustomField), the group header and footer bands it owns,
/// and the options for page and column breaks, keeping a group together, reprinting the
/// header and numbering pages within the group. The report keeps its groups outermost
/// first; a group's position there is its group number.
///
/// Generation state (FirstPageNo, LastPageNo, Breaking, BreakNo, FirstColumn, KeptTogether)
/// is saved per page as an 18-byte cache record, in this order: int32, int32, byte, int32,
/// int32, byte (little-endian).
///
/// KeepTogether excludes NewPage and NewColumn: switching one on switches the other off.
class TppGroup : public TppCacheable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 18;

    Q_INVOKABLE explicit TppGroup(TComponent* AOwner = nullptr);
    ~TppGroup() override;

    // Cacheable.
    int CacheRecordSize() const override { return kCacheRecordSize; }
    void ResetCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    void SaveToCache(int aPageNo) override;

    // Virtual operations in slot order.
    virtual void ResetForReport();
    virtual void RefreshBandCaptions();
    virtual void InitPass() {}
    virtual void Convert(int aVersion);

    TppCustomReport* Report() const { return m_report; }
    void SetReport(TppCustomReport* aReport);
    TppGroupHeaderBand* HeaderBand() const { return m_headerBand; }
    TppGroupFooterBand* FooterBand() const { return m_footerBand; }
    /// Called by a group band being freed.
    void BandFreed(TppCustomBand* aBand);
    /// Replaces the band of that kind (the old one leaves the report and is freed).
    void SetHeaderBand(TppGroupHeaderBand* aBand);
    void SetFooterBand(TppGroupFooterBand* aBand);
    /// Position in the report's group list (0 = outermost); -1 without report.
    int GroupNo() const;

    // Properties.
    QString BreakName() const { return m_breakName; }
    void SetBreakName(const QString& aName);
    TppBreakType BreakType() const { return m_breakType; }
    void SetBreakType(TppBreakType aType);
    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline* aPipeline);
    bool HeaderForOrphanedFooter() const { return m_headerForOrphanedFooter; }
    void SetHeaderForOrphanedFooter(bool v);
    bool KeepTogether() const { return m_keepTogether; }
    void SetKeepTogether(bool v);
    bool NewColumn() const { return m_newColumn; }
    void SetNewColumn(bool v);
    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool v);
    bool ReprintOnSubsequentColumn() const { return m_reprintOnSubsequentColumn; }
    void SetReprintOnSubsequentColumn(bool v);
    bool ReprintOnSubsequentPage() const { return m_reprintOnSubsequentPage; }
    void SetReprintOnSubsequentPage(bool v);
    bool ResetPageNo() const { return m_resetPageNo; }
    void SetResetPageNo(bool v);
    int mmNewColumnThreshold() const { return m_mmNewColumnThreshold; }
    void SetmmNewColumnThreshold(int v);
    int mmNewPageThreshold() const { return m_mmNewPageThreshold; }
    void SetmmNewPageThreshold(int v);
    /// Thresholds in the report's Units (vertical).
    float NewColumnThreshold() const;
    void SetNewColumnThreshold(float v);
    float NewPageThreshold() const;
    void SetNewPageThreshold(float v);
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType v) { m_units = v; }

    std::function<void(QObject*)> AfterGroupBreak, BeforeGroupBreak;
    TppGetBreakValueEvent OnGetBreakValue;
    QString AfterGroupBreakName, BeforeGroupBreakName, OnGetBreakValueName;

    // Generation state.
    int FirstPageNo() const { return m_firstPageNo; }
    void SetFirstPageNo(int v) { m_firstPageNo = v; }
    int LastPageNo() const { return m_lastPageNo; }
    bool Breaking() const { return m_breaking; }
    void SetBreaking(bool v) { m_breaking = v; }
    int BreakNo() const { return m_breakNo; }
    int FirstColumn() const { return m_firstColumn; }
    void SetFirstColumn(int v) { m_firstColumn = v; }
    bool KeptTogether() const { return m_keptTogether; }
    QString BreakValue() const { return m_breakValue; }
    QString PriorValue() const { return m_priorValue; }
    /// With btCustomField the report's component named BreakName; none otherwise.
    TppComponent* BreakComponent() const;
    /// Called by a text component this group breaks on when its Name changes.
    void BreakComponentRenamed(const QString& aOldName, const QString& aNewName);
    /// "Group [n]: " and the break field's alias or the break component's caption.
    QString Description() const;
    bool FirstPage() const;
    int PageNo() const;
    int PageCount() const { return m_lastPageNo - m_firstPageNo + 1; }
    /// The page count of the group instance saved in the page cache for that page (known
    /// once the instance has ended); -1 when the page is not cached.
    int CachedPageCount(int aPageNo) const;
    TppCacheManager* CacheManager() const { return m_cacheManager.get(); }
    TppPage* SnapshotPage() const { return m_snapshotPage.get(); }

    /// The current break value (script name "CurrentValue"): the field or the component's
    /// text, then OnGetBreakValue, then event 31 for scripts.
    QString GetBreakValue();
    // Steps the page engine calls, in the order of a run.
    void StartGroup();
    void CheckBreak();
    void MarkBreak();
    void DoBeforeGroupBreak();
    void DoBeforeHeader();
    void DoBeforeFooter();
    void TakeSnapshot();
    void RollBack();
    void DoAfterGroupBreak();
    void UpdateLastPage();
    void InitBreakValues();

    // Overrides.
    TppCommunicator* ParentCommunicator() const override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void AddState(TppCommunicatorStates aStates) override;
    void RemoveState(TppCommunicatorStates aStates) override;
    void ChangeOwner(TComponent* aNewOwner) override;
    bool HasParent() const override { return false; }
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    void Loaded() override;

private:
    void resetReport() const;
    bool reading() const { return HasState(csReading | csLoading); }
    void registerWithBreakComponent();
    void unregisterFromBreakComponent();
    QByteArray cacheRecord() const;
    void takeCacheRecord(const QByteArray& r);

    TppCustomReport* m_report = nullptr;
    TppGroupHeaderBand* m_headerBand = nullptr;  ///< owned
    TppGroupFooterBand* m_footerBand = nullptr;  ///< owned
    QString m_breakName;
    TppBreakType m_breakType = TppBreakType::btDataField;
    TppDataPipeline* m_dataPipeline = nullptr;  ///< linked both ways
    bool m_headerForOrphanedFooter = true;
    bool m_keepTogether = false;
    bool m_newColumn = false;
    bool m_newPage = false;
    bool m_reprintOnSubsequentColumn = true;
    bool m_reprintOnSubsequentPage = true;
    bool m_resetPageNo = false;
    int m_mmNewColumnThreshold = 0;
    int m_mmNewPageThreshold = 0;
    TppUnitType m_units = TppUnitType::utInches;
    int m_firstPageNo = 1;
    int m_lastPageNo = 1;
    bool m_breaking = false;
    int m_breakNo = 0;
    int m_firstColumn = 1;
    bool m_keptTogether = false;
    QString m_breakValue;
    QString m_priorValue;
    mutable TppComponent* m_breakComponent = nullptr;
    mutable bool m_breakComponentStale = true;
    std::unique_ptr<TppCacheManager> m_cacheManager;
    std::unique_ptr<TppPage> m_snapshotPage;
    bool m_resettingCache = false;
    // Values of older templates, kept for Convert.
    QString m_legacyFieldName;
    bool m_legacyReprintOnSubsequent = false;
    float m_legacyNewPageThreshold = 0;
    bool m_hasLegacyThreshold = false;
};
