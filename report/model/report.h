#pragma once

#include "report/model/custom_report.h"

#include <functional>
#include <memory>

class TppAutoSearchField;
class TppCacheManager;
class TppPage;

/// A report that carries the nine kinds of bands and looks them up by kind.
class TppBandedReport : public TppCustomReport {
    Q_OBJECT
public:
    explicit TppBandedReport(TComponent* AOwner = nullptr) : TppCustomReport(AOwner) {}

    TppBand* GetHeaderBand() const { return GetBand(TppBandType::btHeader); }
    TppBand* GetTitleBand() const { return GetBand(TppBandType::btTitle); }
    TppBand* GetColumnHeaderBand() const { return GetBand(TppBandType::btColumnHeader); }
    TppBand* GetDetailBand() const { return GetBand(TppBandType::btDetail); }
    TppBand* GetColumnFooterBand() const { return GetBand(TppBandType::btColumnFooter); }
    TppBand* GetSummaryBand() const { return GetBand(TppBandType::btSummary); }
    TppBand* GetFooterBand() const { return GetBand(TppBandType::btFooter); }
    TppBand* GetPageStyle() const { return GetBand(TppBandType::btPageStyle); }
    TppBand* GetGroupHeaderBand(int aIndex) const { return GetBand(TppBandType::btGroupHeader, aIndex); }
    TppBand* GetGroupFooterBand(int aIndex) const { return GetBand(TppBandType::btGroupFooter, aIndex); }
};

/// The top-level report: the main report of itself, with the page cache of all its objects
/// and the properties older templates stored.
class TppReport : public TppBandedReport {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppReport(TComponent* AOwner = nullptr);
    ~TppReport() override;

    TppCustomReport* GetMainReport() const override { return const_cast<TppReport*>(this); }
    void Convert(int aVersion) override;
    /// Serves a page request (a TppPageRequest): sets Printing while the engine generates,
    /// and raises every failure as EPrintError ("Cannot generate report.", two line breaks,
    /// the failure's text) after invalidating the engine. Ignored while the engine is busy.
    void RequestPages(QObject* aPageRequest);
    /// Hands the finished page to OnPageReceived (the publisher).
    void PageReady() override;
    /// Receives each page the engine finishes for a request (the output side's publisher).
    std::function<void(TppPage&)> OnPageReceived;

    bool CachePages() const { return m_cachePages; }
    /// Ignored while pages are generated or when unchanged; else stored, the report marked
    /// modified and its layout changed.
    void SetCachePages(bool aValue);
    TppCacheManager* CacheManager() const { return m_cacheManager.get(); }
    /// Resets the engine of this report (and of its child reports).
    void ResetEngines();

    /// What printing to a text file writes, kept in the template: whether the print dialog
    /// offers it, the file and its layout (the producer that prints the report takes them).
    bool AllowPrintToFile() const { return m_allowPrintToFile; }
    void SetAllowPrintToFile(bool v) { m_allowPrintToFile = v; }
    QString TextFileName() const { return m_textFileName; }
    void SetTextFileName(const QString& v) { m_textFileName = v; }
    TppFileType TextFileType() const { return m_textFileType; }
    void SetTextFileType(TppFileType v) { m_textFileType = v; }

    /// The report's end-user search criteria: the auto-search fields it owns, in creation
    /// order.
    int AutoSearchFieldCount() const;
    TppAutoSearchField* AutoSearchFields(int aIndex) const;
    /// Makes a search criterion owned by the report and sends event 66 with it as the first
    /// parameter to the report's subscribers.
    TppAutoSearchField* CreateAutoSearchCriteria(const QString& aDataPipelineName, const QString& aFieldName,
                                                 TppSearchOperatorType aOperator, const QString& aExpression,
                                                 bool aMandatory);

    /// Legacy values read from older templates.
    QString LegacyDataSource() const { return m_legacyDataSource; }
    QString LegacyOnPrintingComplete() const { return m_legacyOnPrintingComplete; }
    bool LegacyLandscape() const { return m_legacyLandscape; }
    double LegacyRowSpacing() const { return m_legacyRowSpacing; }

    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

protected:
    /// Also points the page cache's hooks at the engine.
    void WireEngine() override;

private:
    bool m_cachePages = false;
    bool m_allowPrintToFile = false;
    QString m_textFileName;
    TppFileType m_textFileType = TppFileType::ftComma;
    std::unique_ptr<TppCacheManager> m_cacheManager;
    QString m_legacyDataSource;
    QString m_legacyOnPrintingComplete;
    bool m_legacyLandscape = false;
    double m_legacyRowSpacing = 0;
};

/// The report of a sub-report: it has no header or footer band of its own and answers its
/// parent's main report.
class TppChildReport : public TppBandedReport {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppChildReport(TComponent* AOwner = nullptr);

    TppCustomReport* GetMainReport() const override {
        return ParentReport() ? ParentReport()->GetMainReport() : nullptr;
    }
    void SetModified(bool aValue) override;
    /// The bands a new child report gets (the sub-report's print behaviour chooses them).
    void SetChildDefaultBands(quint16 aBands);

    const stream::PropertyList& StreamProperties() const override;
};
