#pragma once

#include "report/page/class_library.h"
#include "report/page/draw_command.h"
#include "report/page/page_def.h"
#include "report/page/printer_setup.h"
#include "report/page/report_types.h"

#include "platform/stream/persistent.h"

#include <QStringList>

#include <memory>
#include <vector>

/// One generated page: the draw commands the engine made for it, in creation order (which
/// is also the drawing order), with the page's numbers, flags and page definition. The page
/// owns its commands (their QObject parent) and is their parent in the component stream.
/// Besides the command list it keeps the commands with a click handler (click list) and
/// those whose text depends on the page count; each of these lists exists only while it
/// holds something.
class TppPage : public TComponent, public stream::Component {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPage(TComponent* AOwner = nullptr);
    ~TppPage() override;

    int AbsolutePageNo() const { return m_absolutePageNo; }
    void SetAbsolutePageNo(int v) { m_absolutePageNo = v; }
    int AbsolutePageCount() const { return m_absolutePageCount; }
    void SetAbsolutePageCount(int v) { m_absolutePageCount = v; }
    bool PassedOver() const { return m_passedOver; }
    void SetPassedOver(bool v) { m_passedOver = v; }
    int ControlGroupBreakNo() const { return m_controlGroupBreakNo; }
    void SetControlGroupBreakNo(int v) { m_controlGroupBreakNo = v; }
    QString DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString& v) { m_documentName = v; }
    bool Final() const { return m_final; }
    void SetFinal(bool v) { m_final = v; }
    bool FirstPage() const { return m_firstPage; }
    void SetFirstPage(bool v) { m_firstPage = v; }
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int v) { m_languageIndex = v; }
    bool LastPage() const { return m_lastPage; }
    void SetLastPage(bool v) { m_lastPage = v; }
    int PageNo() const { return m_pageNo; }
    void SetPageNo(int v) { m_pageNo = v; }
    int PageCount() const { return m_pageCount; }
    void SetPageCount(int v) { m_pageCount = v; }
    TppPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TppPassSettingType v) { m_passSetting = v; }
    double PrintDateTime() const { return m_printDateTime; }  ///< day number
    void SetPrintDateTime(double v) { m_printDateTime = v; }
    /// The printer setup of the page (owned): printer, paper, tray, orientation, margins.
    TppPrinterSetup* PrinterSetup() const { return m_printerSetup.get(); }
    /// Copies the given setup; null is ignored.
    void SetPrinterSetup(TppPrinterSetup* aPrinterSetup);
    /// Paper size and margins of the page, in mm-thousandths: the printer setup's.
    TppPageDef* PageDef() const { return m_printerSetup->PageDef(); }
    /// Copies the given definition into the printer setup; null is ignored.
    void SetPageDef(TppPageDef* aPageDef);

    /// Frees the draw commands and clears the numbers and flags the engine sets per page;
    /// FirstPage, PassSetting, PrintDateTime and the printer setup keep their values.
    void Reset();
    /// Frees every draw command; the click and page-count lists are emptied.
    void ClearDrawCommands();
    int GetDrawCommandCount() const { return int(m_drawCommands.size()); }
    /// The next running number of a band output on this page (1, 2, ...): the texts of one
    /// band output carry it as their BandSaveNo, so a text export makes one record of them.
    int TakeBandOutputNo() { return ++m_bandOutputs; }
    TppDrawCommand* GetDrawCommand(int aIndex) const { return m_drawCommands.at(size_t(aIndex)); }
    int GetClickCommandCount() const { return m_clickList ? int(m_clickList->size()) : 0; }
    TppDrawCommand* GetClickCommand(int aIndex) const;
    bool HasPageCountCommands() const { return m_pageCountList != nullptr; }

    /// Called only by TppDrawCommand::SetPage: appends the command, files it in the
    /// page-count and click lists as it answers, and takes ownership.
    void AddDrawCommand(TppDrawCommand* aCommand);
    /// Removes the command from every list and gives up ownership (the caller frees it).
    void RemoveDrawCommand(TppDrawCommand* aCommand);
    /// Asks each page-count-dependent command to make its text again; those that changed
    /// are redrawn on aDevice when one is given.
    void UpdatePageCountCommands(report::PageDevice* aDevice);

    /// "Page 3 of 12" and "Page 3" with the numbered texts.
    QString GetPageOfText() const;
    QString GetPageText() const;

    /// Copies another page: its numbers, flags and printer setup, and a new copy of each
    /// draw command whose class is registered (others are skipped).
    void Assign(TPersistent* Source) override;

    // Component stream: the page's published numbers, then its draw commands as children.
    const stream::PropertyList& StreamProperties() const override;
    QString StreamClassName() const override { return QStringLiteral("TppPage"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    /// While the page is read its printer setup only stores what it reads (no paper look-up).
    void BeginLoading() override;
    /// Files the commands read from a stream in the page-count and click lists again: a
    /// command joins the page before its own properties (its VarType) are read.
    void Loaded() override;

private:
    int m_absolutePageNo = 0;
    int m_absolutePageCount = 0;
    bool m_passedOver = false;
    int m_controlGroupBreakNo = 0;
    QString m_documentName;
    bool m_final = false;
    bool m_firstPage = false;
    int m_languageIndex = 0;
    bool m_lastPage = false;
    int m_pageNo = 0;
    int m_pageCount = 0;
    int m_bandOutputs = 0;  ///< band outputs placed on the page so far (not stored)
    TppPassSettingType m_passSetting = TppPassSettingType::psOnePass;
    double m_printDateTime = 0;
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
    std::vector<TppDrawCommand*> m_drawCommands;  ///< owned through their QObject parent
    std::unique_ptr<std::vector<TppDrawCommand*>> m_clickList;
    std::unique_ptr<std::vector<TppDrawCommand*>> m_pageCountList;
    bool m_destroying = false;
};

/// Which pages a device wants: all, a list, one page, the first or the last, optionally only
/// odd or only even ones. PageList holds decimal numbers without leading blanks.
class TppPageRequest : public TPersistent {
    Q_OBJECT
public:
    enum PageRangeKind { AllPages = 0, OddPages = 1, EvenPages = 2 };

    Q_INVOKABLE explicit TppPageRequest(QObject* parent = nullptr);

    QStringList PageList() const { return m_pageList; }
    void SetPageList(const QStringList& v) { m_pageList = v; }
    int PageRequested() const { return m_pageRequested; }
    void SetPageRequested(int v) { m_pageRequested = v; }
    TppPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TppPageSettingType v) { m_pageSetting = v; }
    int PageRange() const { return m_pageRange; }
    void SetPageRange(int v) { m_pageRange = v; }

    /// From another request only; other sources are ignored.
    void Assign(TPersistent* Source) override;
    void Reset();
    /// Whether the page is one the request wants. A single-page request beyond the end is
    /// moved to the last page, one below 1 to page 1.
    bool IsRequested(const TppPage& aPage);
    /// Whether the request is met once this page has been delivered.
    bool IsLastRequested(const TppPage& aPage) const;
    /// Widens this request so that it also covers aRequest.
    void Merge(const TppPageRequest& aRequest);

private:
    QStringList m_pageList;
    int m_pageRequested = 1;
    TppPageSettingType m_pageSetting = TppPageSettingType::psAll;
    int m_pageRange = AllPages;
};
