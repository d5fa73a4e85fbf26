#include "report/output/producer.h"
#include "report/output/producer_adapters.h"

#include "report/model/errors.h"
#include "report/model/script_adapter.h"
#include "report/output/archive_device.h"
#include "report/output/device.h"
#include "report/output/dialog_registry.h"
#include "report/output/file_device.h"
#include "report/output/output_texts.h"
#include "report/output/printer.h"
#include "report/output/printer_device.h"
#include "report/output/publisher.h"
#include "report/output/report_text_file_device.h"
#include "report/output/screen_device.h"
#include "report/page/page.h"
#include "report/page/page_source.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"

#include "platform/base/scope_exit.h"
#include "platform/stream/class_registry.h"
#include "platform/ui/dialog_service.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <exception>

namespace {

/// Whether a class is (or descends from) the class of that name.
bool inheritsClassName(const QMetaObject* aClass, const char* aName) {
    for (const QMetaObject* m = aClass; m; m = m->superClass())
        if (qstrcmp(m->className(), aName) == 0) return true;
    return false;
}

}  // namespace

TppProducer::TppProducer(TComponent* AOwner)
    : TppRelative(AOwner), m_printerSetup(std::make_unique<TppPrinterSetup>(this)),
      m_publisher(std::make_unique<TppPublisher>()) {
    report::RegisterProducerAdapter();
    m_printerSetup->OnValidatePageDef = [this](TppPrinterSetup*, TppPageDef* aPageDef, bool& aAccept) {
        ValidatePageDef(aPageDef, aAccept);
    };
    m_printerSetup->OnPageDefChange = [this](TppPrinterSetup*) { PageDefChanged(); };
    m_printerSetup->OnPrinterChange = [this](TppPrinterSetup*) { PrinterSettingsChanged(); };
    m_printerSetup->OnGetPrinter = [this](TppPrinterSetup*, const report::PrinterResolution*& aPrinter) {
        aPrinter = GetPrinter();
    };
    m_publisher->OnPageRequest = [this](TppPublisher*, TppPageRequest* aRequest) { RequestPages(this, aRequest); };
}

TppProducer::~TppProducer() {
    delete m_previewForm;
    delete m_cancelDialog;
    m_fileDevice.reset();
    m_printerDevice.reset();
    m_publisher.reset();
}

// Settings --------------------------------------------------------------------------------------

void TppProducer::SetAllowPrintToArchive(bool v) {
    if (!m_printing) m_allowPrintToArchive = v;
}

void TppProducer::SetAllowPrintToFile(bool v) {
    if (!m_printing) m_allowPrintToFile = v;
}

void TppProducer::SetArchiveFileName(const QString& v) {
    if (m_printing) return;
    m_archiveFileName = v;
    Reset();
    m_publisher->ResetDevices();
}

void TppProducer::SetDeviceType(const QString& aName) {
    if (m_printing) return;
    if (!HasState(csLoading | csReading) && !ppDeviceClassForName(aName)) return;
    m_deviceType = aName;
}

void TppProducer::SetLanguage(TppLanguageType v) {
    if (m_printing) return;
    if (!ppGetResourceManager().SetLanguage(v)) {
        if (!HasState(csLoading | csReading)) return;
        v = TppLanguageType::lgDefault;
    }
    m_language = v;
    m_languageIndex = 0;
    LanguageChanged();
}

void TppProducer::SetModalCancelDialog(bool v) {
    if (!m_printing) m_modalCancelDialog = v;
}

void TppProducer::SetModalPreview(bool v) {
    if (!m_printing) m_modalPreview = v;
}

void TppProducer::SetPrinterSetup(TppPrinterSetup* aSetup) {
    if (!aSetup) return;
    m_printerSetup->Assign(aSetup);
    PrinterSetupChanged();
}

void TppProducer::SetShowCancelDialog(bool v) {
    if (!m_printing) m_showCancelDialog = v;
}

void TppProducer::SetShowPrintDialog(bool v) {
    if (!m_printing) m_showPrintDialog = v;
}

void TppProducer::SetTextFileName(const QString& v) {
    if (!m_printing) m_textFileName = v;
}

void TppProducer::SetTextFileType(TppFileType v) {
    if (!m_printing) m_textFileType = v;
}

void TppProducer::SetLegacyDevice(int aCode) {
    static const char* const names[] = {"Printer", "Screen", "TextFile", "ArchiveFile"};
    if (aCode >= 0 && aCode < 4) SetDeviceType(QString::fromLatin1(names[aCode]));
}

TppPrinter* TppProducer::GetPrinter() {
    TppPrinter* printer = ppGetPrinter();
    if (printer) printer->SetPrinterSetup(m_printerSetup.get());
    return printer;
}

void TppProducer::ProcessMessages() {
    if (m_enableProcessMessages) QCoreApplication::processEvents();
}

// Events ----------------------------------------------------------------------------------------

void TppProducer::sendEvent(int aEventId, TraParamList* aParams) {
    ppSendEventNotify(this, this, aEventId, aParams);
    if (m_pageSource) m_pageSource->JobEvent(aEventId, aParams);
}

void TppProducer::DoBeforePrint() {
    if (BeforePrint) BeforePrint(this);
}

void TppProducer::DoAfterPrint() {
    if (AfterPrint) AfterPrint(this);
}

void TppProducer::SignalPrintStart() {
    if (m_printStartSignalled) return;
    m_printStartSignalled = true;
    sendEvent(report::ciProducerBeforePrint);
}

void TppProducer::SignalPrintEnd() {
    if (!m_printStartSignalled) return;
    m_printStartSignalled = false;
    sendEvent(report::ciProducerAfterPrint);
}

void TppProducer::DoCancel() {
    if (OnCancel) OnCancel(this);
    sendEvent(report::ciProducerCancel);
}

void TppProducer::DoCancelDialogCreate() {
    if (OnCancelDialogCreate) OnCancelDialogCreate(this);
    sendEvent(report::ciProducerCancelDialogCreate);
}

void TppProducer::DoCancelDialogClose() {
    if (OnCancelDialogClose) OnCancelDialogClose(this);
    sendEvent(report::ciProducerCancelDialogClose);
}

void TppProducer::DoPreviewFormCreate() {
    if (m_previewForm) report::ppSetFormLanguageIndex(m_previewForm, m_languageIndex);
    if (OnPreviewFormCreate) OnPreviewFormCreate(this);
    sendEvent(report::ciProducerPreviewFormCreate);
}

void TppProducer::DoPreviewFormClose() {
    if (m_printing) Cancel();
    if (OnPreviewFormClose) OnPreviewFormClose(this);
    sendEvent(report::ciProducerPreviewFormClose);
}

void TppProducer::DoPrintDialogCreate() {
    if (OnPrintDialogCreate) OnPrintDialogCreate(this);
    sendEvent(report::ciProducerPrintDialogCreate);
}

void TppProducer::DoPrintDialogClose() {
    if (OnPrintDialogClose) OnPrintDialogClose(this);
    sendEvent(report::ciProducerPrintDialogClose);
}

void TppProducer::DoSaveTextEvent(QObject* aSender, QString& aText) {
    if (OnSaveText) OnSaveText(aSender, aText);
    TraParamList params;
    QVariant text(aText);
    const int index = params.AddParam(QStringLiteral("Text"), TraDataType::daString, nullptr, QString(), false, true);
    params.SetParamValuePtr(index, &text);
    sendEvent(report::ciProducerSaveText, &params);
    aText = text.toString();
}

void TppProducer::DoSaveText(TppDevice* aDevice, QObject*, QString& aText) {
    DoSaveTextEvent(aDevice, aText);
}

void TppProducer::DoPrintingComplete() {
    if (OnPrintingComplete) OnPrintingComplete(this);
}

void TppProducer::NotifyReportStart() {
    sendEvent(report::ciProducerReportStart);
}

void TppProducer::NotifyReportEnd() {
    sendEvent(report::ciProducerReportEnd);
}

void TppProducer::jobStarts() {
    if (m_jobStartSent) return;
    m_jobStartSent = true;
    NotifyReportStart();
}

void TppProducer::jobEnds() {
    if (!m_jobStartSent) return;
    m_jobStartSent = false;
    NotifyReportEnd();
}

// Jobs ------------------------------------------------------------------------------------------

void TppProducer::RequestPages(QObject* aSender, TppPageRequest* aRequest) {
    if (OnPageRequest) OnPageRequest(aSender, aRequest);
    if (!m_pageSource || m_printing || !aRequest) return;
    m_pageSource->SetDocumentName(m_printerSetup->DocumentName());
    m_printing = true;
    const auto done = base::ScopeExit([this] { m_printing = false; });
    m_pageSource->GeneratePages(*aRequest, *m_publisher);
}

void TppProducer::Cancel() {
    m_cancelled = true;
    if (m_pageSource) m_pageSource->CancelGeneration();
}

void TppProducer::CancelJobs() {
    m_publisher->CancelJobs();
}

void TppProducer::Reset() {
    if (m_printing) return;
    m_started = false;
    m_cancelled = false;
}

bool TppProducer::FiresAfterPrint() const {
    const TppDeviceClass cls = ppDeviceClassForName(m_deviceType);
    return !(cls && inheritsClassName(cls, "TppScreenDevice"));
}

void TppProducer::Convert(int aVersionNo) {
    if (aVersionNo <= 4210 && m_language == TppLanguageType::lgSpanish) m_language = TppLanguageType::lgSpanishMexico;
}

void TppProducer::conversionNotice() {
    if (m_printing) return;
    ui::Message(QStringLiteral("This report will be converted to 4.0 format before printing."));
    m_printing = true;
    // The notice stays for one second after it is closed, while events are processed.
    QEventLoop wait;
    QTimer::singleShot(1000, &wait, &QEventLoop::quit);
    wait.exec();
    m_convertedFromPre40 = false;
    m_printing = false;
}

bool TppProducer::DisplayAutoSearchDialog() {
    if (!m_pageSource) return true;
    const QList<TppAutoSearchField*> criteria = m_pageSource->AutoSearchFields();
    if (criteria.isEmpty()) return true;
    std::unique_ptr<TppCustomAutoSearchDialog> dialog(report::CreateForm<TppCustomAutoSearchDialog>(nullptr));
    if (!dialog) {
        // Without a search form (a program with no windows) the stored values decide.
        m_pageSource->ApplyAutoSearchValues();
        return true;
    }
    report::ppSetFormReport(dialog.get(), this);
    dialog->Criteria = criteria;
    dialog->Init();
    if (dialog->ShowModal() != report::ModalResult::mrOk) return false;
    m_pageSource->ApplyAutoSearchValues();
    Reset();
    m_pageSource->ResetGeneration();
    return true;
}

void TppProducer::Print() {
    if (m_convertedFromPre40) conversionNotice();
    if (m_showAutoSearchDialog) {
        if (!DisplayAutoSearchDialog()) return;
    } else if (m_pageSource) {
        m_pageSource->ApplyAutoSearchValues();
    }
    // The search values are known: the report's subscribers (data views) take them, and the
    // pages of an earlier job, made under other values, are not used again.
    if (m_pageSource && !m_pageSource->AutoSearchFields().isEmpty()) {
        if (!m_showAutoSearchDialog) {
            Reset();
            m_pageSource->ResetGeneration();
        }
        sendEvent(report::ciReportGetAutoSearchValues);
    }
    m_producing = true;
    if (m_deviceType == QLatin1String("Screen")) preview();
    else printToDevice();
}

void TppProducer::preview() {
    if (m_previewForm) return;
    TppCustomPreviewer* form = report::CreateForm<TppCustomPreviewer>(nullptr);
    if (!form) {
        m_producing = false;
        return;
    }
    m_previewForm = form;
    form->OnFirstClose = [this](report::ReportForm*) {
        m_producing = false;
        DoAfterPrint();
        jobEnds();
        DoPreviewFormClose();
    };
    form->OnSecondClose = [this](report::ReportForm*) { m_previewForm = nullptr; };
    report::ppSetFormReport(form, this);
    form->Init();
    DoPreviewFormCreate();
    if (m_modalPreview) {
        std::exception_ptr failure;
        form->OnActivate = [this, &failure](report::ReportForm*) {
            try {
                PublishReport();
            } catch (...) {
                failure = std::current_exception();
            }
        };
        form->ShowModal();
        if (m_previewForm) {
            m_previewForm->OnActivate = nullptr;
            delete m_previewForm;
        }
        if (failure) std::rethrow_exception(failure);
    } else {
        form->Show();
        PublishReport();
    }
    ProcessMessages();
}

void TppProducer::printToDevice() {
    if (m_cancelDialog) return;
    TppDeviceClass deviceClass = ppDeviceClassForName(m_deviceType);
    if (!deviceClass) {
        m_producing = false;
        return;
    }
    report::DeclareOutputTexts();
    auto savedSetup = std::make_unique<TppPrinterSetup>();
    savedSetup->Assign(m_printerSetup.get());
    auto jobRequest = std::make_unique<TppPageRequest>();

    const auto cleanUp = base::ScopeExit([this] {
        delete m_printDialog;
        m_fileDevice.reset();
        m_printerDevice.reset();
        m_producing = false;
    });
    const auto restoreSetup = base::ScopeExit([this, &savedSetup] {
        if (!m_savePrinterSetup) m_printerSetup->Assign(savedSetup.get());
    });

    m_printerDevice = std::make_unique<TppPrinterDevice>(this);
    m_printerDevice->SetExclusive(true);
    m_printerDevice->SetLanguageIndex(m_languageIndex);
    m_printerDevice->Printer()->SetPrinterSetup(m_printerSetup.get());

    TppCustomPrintDialog* dialog = nullptr;
    if (m_showPrintDialog || (State() & ppsDesignerPrinting)) {
        dialog = report::CreateForm<TppCustomPrintDialog>(nullptr);
        if (dialog) {
            m_printDialog = dialog;
            dialog->OnFirstClose = [this](report::ReportForm*) { DoPrintDialogClose(); };
            dialog->OnSecondClose = [this](report::ReportForm*) { m_printDialog = nullptr; };
            report::ppSetFormReport(dialog, this);
            dialog->Printer = m_printerDevice->Printer();
            report::ppSetFormLanguageIndex(dialog, m_languageIndex);
            dialog->AllowPrintToArchive = m_allowPrintToArchive;
            dialog->AllowPrintToFile = m_allowPrintToFile;
            dialog->ArchiveFileName = m_archiveFileName;
            dialog->TextFileName = m_textFileName;
            dialog->SetPageRequest(jobRequest.get());
            jobRequest->SetPageRequested(m_currentPage);
            dialog->Init();
            DoPrintDialogCreate();
            if (dialog->ShowModal() != report::ModalResult::mrOk) return;
        }
    }

    TppDevice* device = nullptr;
    const bool toFile = dialog ? dialog->PrintToFile
                               : inheritsClassName(deviceClass, "TppFileDevice") && !inheritsClassName(deviceClass, "TppArchiveDevice");
    const bool toArchive = dialog ? dialog->PrintToArchive : inheritsClassName(deviceClass, "TppArchiveDevice");
    if (toFile) {
        if (dialog) deviceClass = ppDeviceClassForName(dialog->DeviceType);
        auto* fileDevice = qobject_cast<TppFileDevice*>(ppCreateDevice(deviceClass, this));
        if (!fileDevice) return;
        m_fileDevice.reset(fileDevice);
        fileDevice->SetLanguageIndex(m_languageIndex);
        if (auto* text = dynamic_cast<report::TextExportSettings*>(fileDevice)) {
            text->SetTextFileType(m_textFileType);
            text->SetSaveTextHook([this](TppDevice* d, QObject* c, QString& t) { DoSaveText(d, c, t); });
        }
        fileDevice->SetFileName(dialog ? dialog->TextFileName : m_textFileName);
        if (dialog) fileDevice->SetPageRequest(jobRequest.get());
        device = fileDevice;
    } else if (toArchive) {
        auto* archive = qobject_cast<TppFileDevice*>(ppCreateDevice(ppDeviceClassForName(QStringLiteral("ArchiveFile")), this));
        if (!archive) return;
        m_fileDevice.reset(archive);
        archive->SetLanguageIndex(m_languageIndex);
        archive->SetFileName(dialog ? dialog->ArchiveFileName : m_archiveFileName);
        if (dialog) archive->SetPageRequest(jobRequest.get());
        device = archive;
    } else {
        if (!m_printerDevice->Printer()->DC()) {
            ui::Message(ppGetMessageText(1020), ui::MessageKind::Warning, ui::Button::Ok);
            return;
        }
        if (dialog) m_printerDevice->SetPageRequest(jobRequest.get());
        device = m_printerDevice.get();
    }

    device->SetPublisher(m_publisher.get());
    DeviceCreated(device);
    if (device == m_printerDevice.get()) SetPrinterSetup(m_printerDevice->Printer()->PrinterSetup());

    TppCustomCancelDialog* cancelDialog = m_showCancelDialog ? report::CreateForm<TppCustomCancelDialog>(nullptr) : nullptr;
    if (cancelDialog) {
        m_cancelDialog = cancelDialog;
        report::ppSetFormReport(cancelDialog, this);
        report::ppSetFormLanguageIndex(cancelDialog, m_languageIndex);
        cancelDialog->OnCancel = [this] {
            Cancel();
            DoCancel();
        };
        cancelDialog->OnFirstClose = [this](report::ReportForm*) { DoCancelDialogClose(); };
        cancelDialog->OnSecondClose = [this](report::ReportForm*) {
            if (m_printerDevice) m_printerDevice->SetCancelDialog(nullptr);
            if (m_fileDevice) m_fileDevice->SetCancelDialog(nullptr);
            m_cancelDialog = nullptr;
        };
        cancelDialog->AllowPrintCancel = true;
        device->SetCancelDialog(cancelDialog);
        DoCancelDialogCreate();
    }

    if (!m_cancelDialog) {
        PublishReport();
    } else if (m_modalCancelDialog) {
        std::exception_ptr failure;
        m_cancelDialog->OnActivate = [this, &failure](report::ReportForm* aForm) {
            aForm->OnActivate = nullptr;  // one job per dialog, however often it is activated
            try {
                PublishReport();
            } catch (...) {
                failure = std::current_exception();
            }
            if (m_cancelDialog) m_cancelDialog->StartCloseTimer();
        };
        m_cancelDialog->ShowModalForJob();
        delete m_cancelDialog;
        if (failure) std::rethrow_exception(failure);
    } else {
        m_cancelDialog->Show();
        PublishReport();
        if (m_cancelDialog) m_cancelDialog->Close();
    }
}

void TppProducer::PublishReport() {
    if (m_convertedFromPre40) conversionNotice();
    jobStarts();
    DoBeforePrint();
    if (!m_started && !m_cancelled) {
        m_publisher->Reset();
        if (m_pageSource) m_pageSource->ResetGeneration();
    }
    m_started = true;
    m_cancelled = false;
    m_publisher->Publish();
    if (m_cancelled) m_publisher->CancelJobs();
    if (FiresAfterPrint()) {
        DoAfterPrint();
        jobEnds();
        DoPrintingComplete();
    }
}

void TppProducer::TransferFrom(const TppProducer& s) {
    m_allowPrintToFile = s.m_allowPrintToFile;
    m_allowPrintToArchive = s.m_allowPrintToArchive;
    m_archiveFileName = s.m_archiveFileName;
    m_converted = s.m_converted;
    m_convertedFromPre40 = s.m_convertedFromPre40;
    m_deviceType = s.m_deviceType;
    m_language = s.m_language;
    m_languageIndex = s.m_languageIndex;
    m_modalCancelDialog = s.m_modalCancelDialog;
    m_showCancelDialog = s.m_showCancelDialog;
    m_showPrintDialog = s.m_showPrintDialog;
    SetTag(s.Tag());
    m_textFileName = s.m_textFileName;
    m_textFileType = s.m_textFileType;
    m_version = s.m_version;
    m_versionNo = s.m_versionNo;
    m_printerSetup->Assign(s.m_printerSetup.get());
    AfterPrint = s.AfterPrint;
    BeforePrint = s.BeforePrint;
    OnCancel = s.OnCancel;
    OnCancelDialogCreate = s.OnCancelDialogCreate;
    OnCancelDialogClose = s.OnCancelDialogClose;
    OnPreviewFormCreate = s.OnPreviewFormCreate;
    OnPreviewFormClose = s.OnPreviewFormClose;
    OnPrintDialogCreate = s.OnPrintDialogCreate;
    OnPrintDialogClose = s.OnPrintDialogClose;
    OnPrintingComplete = s.OnPrintingComplete;
    OnSaveText = s.OnSaveText;
}

// Streaming -------------------------------------------------------------------------------------

void TppProducer::SetVersion(const QString& aVersion) {
    m_version = aVersion;
    QString digits;
    for (const QChar c : aVersion.left(20)) {
        if (!c.isDigit() && c != QLatin1Char('.')) break;
        digits += c;
    }
    const int point = int(digits.indexOf(QLatin1Char('.')));
    if (point >= 0) digits.remove(point, 1);
    while (digits.size() < 4) digits += QLatin1Char('0');
    m_versionNo = digits.toInt();
}

void TppProducer::DefineProperties(stream::Filer& filer) {
    TppRelative::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("Device"),
        [this](const stream::Value& v) {
            static const QHash<QString, QString> devices = {{QStringLiteral("dvScreen"), QStringLiteral("Screen")},
                                                            {QStringLiteral("dvPrinter"), QStringLiteral("Printer")},
                                                            {QStringLiteral("dvFile"), QStringLiteral("TextFile")},
                                                            {QStringLiteral("dvArchive"), QStringLiteral("ArchiveFile")}};
            const auto it = devices.constFind(v.AsText());
            if (it != devices.constEnd()) m_deviceType = it.value();
        },
        {}, false);
    filer.DefineProperty(
        QStringLiteral("Version"), [this](const stream::Value& v) { SetVersion(v.AsText()); },
        [] { return stream::Value::Text(QStringLiteral("5.0")); }, true);
}

void TppProducer::Loaded() {
    if (m_versionNo >= 5000) {
        const int beta = int(m_version.indexOf(QLatin1String("Beta Build")));
        if (beta >= 0 && beta + 11 < m_version.size()) {
            const int digit = m_version.at(beta + 11).digitValue();
            m_versionNo = digit >= 0 && digit < 7 ? 3998 : 3999;
        }
    }
    m_convertedFromPre40 = m_versionNo < 4000;
    if (m_versionNo < 5000) {
        Convert(m_versionNo);
        m_converted = true;
    }
    m_version = QStringLiteral("5.0");
    m_versionNo = 5000;
    TppRelative::Loaded();
}

// Unit start-up ---------------------------------------------------------------------------------

namespace report {

void InitializeOutputUnit() {
    static const bool initialized = [] {
        DeclareOutputTexts();
        ppGetResourceManager().RegisterModule(QStringLiteral("tsPrint"));
        ppRegisterDevice(&TppPrinterDevice::staticMetaObject);
        ppRegisterDevice(&TppTextFileDevice::staticMetaObject);
        ppRegisterDevice(&TppReportTextFileDevice::staticMetaObject);
        ppRegisterDevice(&TppArchiveDevice::staticMetaObject);
        ppRegisterDevice(&TppScreenDevice::staticMetaObject);
        RegisterClass(&TppProducer::staticMetaObject);
        RegisterClass(&TppPrinterSetup::staticMetaObject);
        stream::ClassRegistry::Global().Register<TppProducer>(QStringLiteral("TppProducer"));
        SetGlobalPrinterResolution([]() -> const PrinterResolution* { return ppGetPrinter(); });
        InstallRegisteredTemplateDialogs();
        return true;
    }();
    (void)initialized;
}

}  // namespace report
