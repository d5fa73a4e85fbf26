#pragma once

#include "report/model/relative.h"
#include "report/page/report_types.h"

#include <QPointer>

#include <functional>
#include <memory>

class TppCustomCancelDialog;
class TppCustomPreviewer;
class TppCustomPrintDialog;
class TppDevice;
class TppFileDevice;
class TppPageRequest;
class TppPrinter;
class TppPrinterDevice;
class TppPrinterSetup;
class TppPublisher;
class TppPageDef;
class TraParamList;

namespace report {
class PageSource;
}

using TppProducerEvent = std::function<void(QObject* Sender)>;

/// What a report needs to produce output: device type, printer setup, text-export and
/// archive settings, language, the options of the print, progress and preview dialogs, and
/// the publisher through which pages flow. Print runs a whole job: on the screen it opens
/// the preview form; for any other device it shows the print dialog, makes the printer or
/// file device, shows the progress dialog and publishes the report.
///
/// The pages come from a report::PageSource (the report of the model), which the report
/// attaches with SetPageSource; without one a request only raises OnPageRequest.
///
/// States: Producing spans one Print call (for a preview, until the preview form closes);
/// Printing spans page generation; started and cancelled belong to one generation and are
/// cleared by Reset.
class TppProducer : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppProducer(TComponent* AOwner = nullptr);
    ~TppProducer() override;

    // Settings; the setters do nothing while Printing.
    bool AllowPrintToArchive() const { return m_allowPrintToArchive; }
    void SetAllowPrintToArchive(bool v);
    bool AllowPrintToFile() const { return m_allowPrintToFile; }
    void SetAllowPrintToFile(bool v);
    QString ArchiveFileName() const { return m_archiveFileName; }
    /// Also resets the generation and the publisher's devices.
    void SetArchiveFileName(const QString& v);
    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int v) { m_currentPage = v; }
    QString DeviceType() const { return m_deviceType; }
    /// Ignored while Printing; outside loading a name with no registered device is refused.
    virtual void SetDeviceType(const QString& aName);
    bool EnableProcessMessages() const { return m_enableProcessMessages; }
    virtual void SetEnableProcessMessages(bool v) { m_enableProcessMessages = v; }
    TppLanguageType Language() const { return m_language; }
    void SetLanguage(TppLanguageType v);
    int LanguageIndex() const { return m_languageIndex; }
    bool ModalCancelDialog() const { return m_modalCancelDialog; }
    void SetModalCancelDialog(bool v);
    bool ModalPreview() const { return m_modalPreview; }
    void SetModalPreview(bool v);
    TppPrinterSetup* PrinterSetup() const { return m_printerSetup.get(); }
    /// Copies the setup and calls PrinterSetupChanged.
    void SetPrinterSetup(TppPrinterSetup* aSetup);
    bool SavePrinterSetup() const { return m_savePrinterSetup; }
    void SetSavePrinterSetup(bool v) { m_savePrinterSetup = v; }
    bool ShowAutoSearchDialog() const { return m_showAutoSearchDialog; }
    void SetShowAutoSearchDialog(bool v) { m_showAutoSearchDialog = v; }
    bool ShowCancelDialog() const { return m_showCancelDialog; }
    void SetShowCancelDialog(bool v);
    bool ShowPrintDialog() const { return m_showPrintDialog; }
    void SetShowPrintDialog(bool v);
    QString TextFileName() const { return m_textFileName; }
    void SetTextFileName(const QString& v);
    TppFileType TextFileType() const { return m_textFileType; }
    void SetTextFileType(TppFileType v);
    QString Version() const { return m_version; }
    int VersionNo() const { return m_versionNo; }
    bool Converted() const { return m_converted; }
    bool ConvertedFromPre40() const { return m_convertedFromPre40; }

    bool Printing() const { return m_printing; }
    void SetPrinting(bool v) { m_printing = v; }
    bool Producing() const { return m_producing; }
    bool Cancelled() const { return m_cancelled; }
    TppPublisher* Publisher() const { return m_publisher.get(); }
    TppCustomCancelDialog* CancelDialog() const { return m_cancelDialog; }
    TppCustomPreviewer* PreviewForm() const { return m_previewForm; }
    TppCustomPrintDialog* PrintDialog() const { return m_printDialog; }
    TppPrinterDevice* PrinterDevice() const { return m_printerDevice.get(); }
    TppFileDevice* FileDevice() const { return m_fileDevice.get(); }

    /// The report the producer asks for pages; none detaches.
    void SetPageSource(report::PageSource* aSource) { m_pageSource = aSource; }
    report::PageSource* PageSource() const { return m_pageSource; }

    /// The global printer with this producer's printer setup applied; null without printers.
    TppPrinter* GetPrinter();
    /// Lets the application process its events when EnableProcessMessages is set.
    void ProcessMessages();

    // Event operations.
    void DoBeforePrint();
    void DoAfterPrint();
    void SignalPrintStart();
    void SignalPrintEnd();
    void DoCancel();
    void DoCancelDialogCreate();
    void DoCancelDialogClose();
    void DoPreviewFormCreate();
    void DoPreviewFormClose();
    void DoPrintDialogCreate();
    void DoPrintDialogClose();
    void DoSaveTextEvent(QObject* aSender, QString& aText);
    void DoPrintingComplete();
    void NotifyReportStart();
    void NotifyReportEnd();
    /// The hook given to a text-export device.
    void DoSaveText(TppDevice* aDevice, QObject* aTextComponent, QString& aText);

    /// Raises OnPageRequest, then has the page source generate the request (Printing set
    /// meanwhile; a request while Printing is ignored).
    virtual void RequestPages(QObject* aSender, TppPageRequest* aRequest);
    virtual void Cancel();
    void CancelJobs();
    /// Unless Printing: the next publish starts from scratch.
    virtual void Reset();
    /// False for the screen device.
    virtual bool FiresAfterPrint() const;
    /// Asks for the values of the page source's auto-search criteria in the dialog registered
    /// for TppCustomAutoSearchDialog: true when the user confirmed (the values are then handed
    /// to the pipelines and the next request generates from page 1) or when there is nothing
    /// to ask or no search form is registered (the stored values are then applied); false
    /// when the user cancelled.
    virtual bool DisplayAutoSearchDialog();
    /// 0 printer, 1 screen, 2 text file, 3 archive file.
    void SetLegacyDevice(int aCode);
    virtual void LanguageChanged() {}
    virtual void PrinterSetupChanged() {}
    virtual void ValidatePageDef(TppPageDef* aPageDef, bool& aAccept) { Q_UNUSED(aPageDef); Q_UNUSED(aAccept); }
    virtual void PageDefChanged() { PrinterSetupChanged(); }
    virtual void PrinterSettingsChanged() { PrinterSetupChanged(); }
    virtual void DeviceCreated(TppDevice* aDevice) { Q_UNUSED(aDevice); }
    virtual void Convert(int aVersionNo);

    /// Runs a job: a preview on the "Screen" device, else printing or exporting. With
    /// ShowAutoSearchDialog the search dialog comes first and its Cancel ends the job with
    /// nothing printed; otherwise the criteria's stored values are applied as they are.
    void Print();
    /// Publishes the report to the attached devices.
    void PublishReport();
    /// Copies the producer settings and events of another producer.
    void TransferFrom(const TppProducer& aSource);

    /// After the report was read: version upgrades and conversions.
    void Loaded() override;
    void DefineProperties(stream::Filer& filer) override;
    /// Reads a stored version text (the "Version" stream property).
    void SetVersion(const QString& aVersion);

    TppProducerEvent AfterPrint;
    TppProducerEvent BeforePrint;
    TppProducerEvent OnCancel;
    TppProducerEvent OnCancelDialogCreate;
    TppProducerEvent OnCancelDialogClose;
    std::function<void(QObject* Sender, TppPageRequest* aRequest)> OnPageRequest;
    TppProducerEvent OnPreviewFormCreate;
    TppProducerEvent OnPreviewFormClose;
    TppProducerEvent OnPrintDialogCreate;
    TppProducerEvent OnPrintDialogClose;
    TppSaveTextEvent OnSaveText;
    TppProducerEvent OnPrintingComplete;

private:
    void preview();
    void printToDevice();
    void conversionNotice();
    /// Sends the event to the producer's subscribers, then hands it to the page source.
    void sendEvent(int aEventId, TraParamList* aParams = nullptr);
    /// Event 70 once per job (a modal preview publishes on every activation).
    void jobStarts();
    /// Event 71 after a job's AfterPrint, when its start was sent.
    void jobEnds();

    bool m_allowPrintToArchive = false;
    bool m_allowPrintToFile = false;
    QString m_archiveFileName;
    TppCustomCancelDialog* m_cancelDialog = nullptr;
    bool m_converted = false;
    int m_currentPage = 1;
    QString m_deviceType = QStringLiteral("Screen");
    bool m_enableProcessMessages = true;
    std::unique_ptr<TppFileDevice> m_fileDevice;
    bool m_started = false;
    TppLanguageType m_language = TppLanguageType::lgDefault;
    int m_languageIndex = 0;
    bool m_modalCancelDialog = true;
    bool m_modalPreview = true;
    TppCustomPreviewer* m_previewForm = nullptr;
    bool m_cancelled = false;
    std::unique_ptr<TppPrinterDevice> m_printerDevice;
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
    TppCustomPrintDialog* m_printDialog = nullptr;
    bool m_printing = false;
    bool m_producing = false;
    std::unique_ptr<TppPublisher> m_publisher;
    bool m_savePrinterSetup = false;
    bool m_showAutoSearchDialog = false;
    bool m_showCancelDialog = true;
    bool m_showPrintDialog = true;
    QString m_textFileName;
    TppFileType m_textFileType = TppFileType::ftComma;
    QString m_version = QStringLiteral("1.0");
    int m_versionNo = 1000;
    bool m_convertedFromPre40 = false;
    bool m_printStartSignalled = false;
    bool m_jobStartSent = false;
    report::PageSource* m_pageSource = nullptr;
};

namespace report {
/// The output unit's start-up: registers the device classes (printer, text file, report
/// text file, archive, screen), the producer and the
/// printer setup for streaming, the language module "tsPrint", the output texts, and the
/// global printer for printer-pixel conversions. Idempotent.
void InitializeOutputUnit();
}  // namespace report
