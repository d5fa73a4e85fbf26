#pragma once

// The band classes of a report. Each fixes its band type code, order key, description
// text, default user name and defaults; the generation steps of each kind belong to the
// page engine.

#include "report/model/band.h"

#include <QStringList>

class TppGroup;

class TppPage;

/// A band that can generate itself onto a page (the page engine drives it).
///
/// One print: BeforePrint → (visible) check space at the engine's print position → every
/// component generates itself in z-order against the band's rectangle → the band's used
/// height is its Height (static) or down to its lowest component (dynamic), plus
/// BottomOffset → the components' draw commands go to the page in z-order when the page is
/// wanted → AfterPrint. A band that does not fit places nothing and reports it.
class TppCustomBand : public TppBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomBand(TComponent* AOwner = nullptr) : TppBand(AOwner) {}

    /// Prints the band once at aTop within (aLeft, aRight) without passing aAvailableBottom.
    /// Answers the height used (BottomOffset included), or -1 when the band did not fit.
    /// An invisible band answers 0. aPage is null for a page nobody wants (layout only).
    int GenerateBand(int aLeft, int aTop, int aRight, int aAvailableBottom, TppPage* aPage);

    int BandTop() const { return m_bandTop; }
    int BandLeft() const { return m_bandLeft; }
    int RunningBottom() const { return m_runningBottom; }
    int AvailableBottom() const { return m_availableBottom; }
    /// A component of the band overflowed: the band continues on the next page, where only
    /// the overflowing components (those that reprint on overflow, and the components of an
    /// overflowing region) print again.
    bool BandOverFlow() const;

private:
    int m_bandTop = 0;
    int m_bandLeft = 0;
    int m_runningBottom = 0;
    int m_availableBottom = 0;
};

/// A band whose description is the numbered text of its class.
class TppBasicBand : public TppCustomBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppBasicBand(TComponent* AOwner = nullptr) : TppCustomBand(AOwner) {}
    /// The band class's description text number.
    virtual int DescriptionTextNo() const { return 0; }
    QString GetCaptionText() const override;
};

/// Header and footer: they may skip the first or the last page.
class TppPageBand : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPageBand(TComponent* AOwner = nullptr) : TppBasicBand(AOwner) {}
    bool PrintsInColumn() const override { return false; }
    bool PrintOnFirstPage() const { return m_printOnFirstPage; }
    void SetPrintOnFirstPage(bool v);
    bool PrintOnLastPage() const { return m_printOnLastPage; }
    void SetPrintOnLastPage(bool v);

private:
    bool m_printOnFirstPage = true;
    bool m_printOnLastPage = true;
};

class TppHeaderBand : public TppPageBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppHeaderBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btHeader; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 1); }
    int DescriptionTextNo() const override { return 193; }
    const stream::PropertyList& StreamProperties() const override;
};

class TppFooterBand : public TppPageBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppFooterBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btFooter; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 7); }
    int DescriptionTextNo() const override { return 190; }
    /// A footer's height is always static.
    void SetPrintHeight(TppPrintHeightType aValue) override { Q_UNUSED(aValue); }
    const stream::PropertyList& StreamProperties() const override;
};

/// Title and summary: they may take a page of their own.
class TppReportBand : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppReportBand(TComponent* AOwner = nullptr) : TppBasicBand(AOwner) {}
    bool PrintsInColumn() const override { return false; }
    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool v);
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_newPage = false;
};

class TppTitleBand : public TppReportBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTitleBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btTitle; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 0); }
    int DescriptionTextNo() const override { return 195; }
};

class TppSummaryBand : public TppReportBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSummaryBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btSummary; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 8); }
    int DescriptionTextNo() const override { return 194; }
};

class TppColumnHeaderBand : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppColumnHeaderBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btColumnHeader; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 2); }
    int DescriptionTextNo() const override { return 188; }
    const stream::PropertyList& StreamProperties() const override;
};

class TppColumnFooterBand : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppColumnFooterBand(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btColumnFooter; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 6); }
    int DescriptionTextNo() const override { return 187; }
    void SetPrintHeight(TppPrintHeightType aValue) override { Q_UNUSED(aValue); }
    const stream::PropertyList& StreamProperties() const override;
};

/// The band printed once per record of its pipeline.
class TppDetailBand : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDetailBand(TComponent* AOwner = nullptr);
    ~TppDetailBand() override;
    TppBandType BandType() const override { return TppBandType::btDetail; }
    QString GetOrderKey() const override { return QString::asprintf("%8d", 4); }
    int DescriptionTextNo() const override { return 189; }
    int DefaultEngineMode() const override { return 2; }
    bool IsDetail() const override { return true; }
    /// Its own pipeline, else the report's.
    TppDataPipeline* GetDataPipeline() const override;
    void Convert(int aVersion) override;

    int BandsPerRecord() const { return m_bandsPerRecord; }
    void SetBandsPerRecord(int v) { m_bandsPerRecord = qMax(v, 1); }
    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline* aPipeline);
    QString LegacyDataSource() const { return m_legacyDataSource; }

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

private:
    int m_bandsPerRecord = 1;
    TppDataPipeline* m_dataPipeline = nullptr;  ///< linked both ways
    QString m_legacyDataSource;
};

/// The band drawn behind the page content on the pages its page setting selects.
class TppPageStyle : public TppBasicBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPageStyle(TComponent* AOwner = nullptr);
    TppBandType BandType() const override { return TppBandType::btPageStyle; }
    /// 0 while the report generates pages (it prints first), else 9.
    QString GetOrderKey() const override;
    int DescriptionTextNo() const override { return 691; }
    bool PrintsInColumn() const override { return false; }

    TppPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TppPageSettingType v);
    /// Page numbers as "%8d" texts.
    QStringList PageList() const { return m_pageList; }
    void SetPageList(const QStringList& v);
    QString ValidPages() const { return m_validPages; }
    /// Rebuilds PageList from a text such as "1,3,5-12" and selects psPageList.
    void SetValidPages(const QString& v);
    int SinglePage() const { return m_singlePage; }
    void SetSinglePage(int v);
    int StartPage() const { return m_startPage; }
    void SetStartPage(int v);
    int EndPage() const { return m_endPage; }
    void SetEndPage(int v);

    const stream::PropertyList& StreamProperties() const override;

private:
    bool settable() const { return !Generating(); }
    TppPageSettingType m_pageSetting = TppPageSettingType::psAll;
    QStringList m_pageList;
    QString m_validPages;
    int m_singlePage = 0;
    int m_startPage = 0;
    int m_endPage = 0;
};

/// A band of a group: it belongs to its group, which owns it.
class TppGroupBand : public TppCustomBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppGroupBand(TComponent* AOwner = nullptr);
    TppGroup* Group() const { return m_group; }
    /// Links the band to the group (header or footer by class); the previous group lets go.
    void SetGroup(TppGroup* aGroup);
    /// The band's text, "[" group index "]: " and the break field's alias or name.
    QString GetCaptionText() const override;
    virtual int DescriptionTextNo() const { return 0; }
    int GroupIndex() const;
    /// The group broke: the band prints for the new group instance.
    bool NewBreak() const { return m_newBreak; }
    void SetNewBreak(bool v) { m_newBreak = v; }

protected:
    void SetGroupLink(TppGroup* aGroup) { m_group = aGroup; }

private:
    TppGroup* m_group = nullptr;  ///< the owning group
    bool m_newBreak = true;
};

class TppGroupHeaderBand : public TppGroupBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppGroupHeaderBand(TComponent* AOwner = nullptr);
    ~TppGroupHeaderBand() override;
    TppBandType BandType() const override { return TppBandType::btGroupHeader; }
    QString GetOrderKey() const override;
    int DescriptionTextNo() const override { return 192; }
    const stream::PropertyList& StreamProperties() const override;
};

class TppGroupFooterBand : public TppGroupBand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppGroupFooterBand(TComponent* AOwner = nullptr);
    ~TppGroupFooterBand() override;
    TppBandType BandType() const override { return TppBandType::btGroupFooter; }
    QString GetOrderKey() const override;
    int DescriptionTextNo() const override { return 191; }
    const stream::PropertyList& StreamProperties() const override;
};

namespace report {
/// The band class of a band type code (group bands included); null for an unknown code.
TClass BandClassOfType(TppBandType aType);
}
