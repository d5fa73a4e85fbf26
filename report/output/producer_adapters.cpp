#include "report/output/producer_adapters.h"

#include "report/model/communicator.h"
#include "report/output/printer.h"
#include "report/output/publisher.h"

namespace {

using M = report::AdapterMember;
using D = TraDataType;
using P = TppProducer;

bool is(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

P* producer(QObject* o) { return qobject_cast<P*>(o); }
QVariant object(QObject* o) { return QVariant::fromValue(o); }

M eventMember(const char* name, int id) {
    M m{name, M::Event};
    m.eventId = id;
    return m;
}

template <class F>
M readOnly(const char* name, D type, F get, bool listed = true, const char* typeName = "") {
    M m{name, M::Property, type, typeName};
    m.listed = listed;
    m.get = [get](QObject* o) { return QVariant(get(*producer(o))); };
    return m;
}

template <class F, class S>
M readWrite(const char* name, D type, F get, S set, bool listed = true, const char* typeName = "") {
    M m = readOnly(name, type, get, listed, typeName);
    m.readOnly = false;
    m.set = [set](QObject* o, const QVariant& v) { set(*producer(o), v); };
    return m;
}

template <class F>
M objectProp(const char* name, const char* cls, F get, bool listed = false) {
    M m{name, M::Property, D::daClass, cls};
    m.listed = listed;
    m.get = [get](QObject* o) { return object(get(*producer(o))); };
    return m;
}

}  // namespace

DOSSARA_TABLE_ADAPTER_BODY(TraTppProducerRTTI, TppProducer, TraTppRelativeRTTI)

const report::AdapterTable& TraTppProducerRTTI::Table() {
    static const report::AdapterTable table([] {
        std::vector<M> list = {
            eventMember("AfterPrint", report::ciProducerAfterPrint),
            eventMember("BeforePrint", report::ciProducerBeforePrint),
            eventMember("OnCancel", report::ciProducerCancel),
            eventMember("OnCancelDialogCreate", report::ciProducerCancelDialogCreate),
            eventMember("OnCancelDialogClose", report::ciProducerCancelDialogClose),
            eventMember("OnPreviewFormCreate", report::ciProducerPreviewFormCreate),
            eventMember("OnPreviewFormClose", report::ciProducerPreviewFormClose),
            eventMember("OnPrintDialogCreate", report::ciProducerPrintDialogCreate),
            eventMember("OnPrintDialogClose", report::ciProducerPrintDialogClose),
            eventMember("OnSaveText", report::ciProducerSaveText),
            readWrite("AllowPrintToArchive", D::daBoolean, [](P& p) { return p.AllowPrintToArchive(); },
                      [](P& p, const QVariant& v) { p.SetAllowPrintToArchive(v.toBool()); }),
            readWrite("AllowPrintToFile", D::daBoolean, [](P& p) { return p.AllowPrintToFile(); },
                      [](P& p, const QVariant& v) { p.SetAllowPrintToFile(v.toBool()); }),
            readWrite("ArchiveFileName", D::daString, [](P& p) { return p.ArchiveFileName(); },
                      [](P& p, const QVariant& v) { p.SetArchiveFileName(v.toString()); }),
            objectProp("CancelDialog", "TppCustomCancelDialog", [](P& p) { return (QObject*)p.CancelDialog(); }),
            readOnly("Converted", D::daBoolean, [](P& p) { return p.Converted(); }, false),
            readOnly("ConvertedFromPre40", D::daBoolean, [](P& p) { return p.ConvertedFromPre40(); }, false),
            readOnly("CurrentPage", D::daInteger, [](P& p) { return p.CurrentPage(); }, false),
            readWrite("DeviceType", D::daString, [](P& p) { return p.DeviceType(); },
                      [](P& p, const QVariant& v) { p.SetDeviceType(v.toString()); }),
            // Nothing in the job reads a change made from a script: read-only.
            readOnly("EnableProcessMessages", D::daBoolean, [](P& p) { return p.EnableProcessMessages(); }, false),
            objectProp("FileDevice", "TppFileDevice", [](P& p) { return (QObject*)p.FileDevice(); }),
            [] {
                M m = readOnly("Language", D::daEnum, [](P& p) { return int(p.Language()); }, true, "TppLanguageType");
                m.set = [](QObject* o, const QVariant& v) { producer(o)->SetLanguage(TppLanguageType(v.toInt())); };
                return m;
            }(),
            readOnly("LanguageIndex", D::daInteger, [](P& p) { return p.LanguageIndex(); }, false),
            readWrite("ModalCancelDialog", D::daBoolean, [](P& p) { return p.ModalCancelDialog(); },
                      [](P& p, const QVariant& v) { p.SetModalCancelDialog(v.toBool()); }),
            readWrite("ModalPreview", D::daBoolean, [](P& p) { return p.ModalPreview(); },
                      [](P& p, const QVariant& v) { p.SetModalPreview(v.toBool()); }),
            objectProp("PreviewForm", "TppCustomPreviewer", [](P& p) { return (QObject*)p.PreviewForm(); }),
            objectProp("PrinterSetup", "TppPrinterSetup", [](P& p) { return (QObject*)p.PrinterSetup(); }, true),
            objectProp("Printer", "TppPrinter", [](P& p) { return (QObject*)p.GetPrinter(); }),
            objectProp("PrintDialog", "TppCustomPrintDialog", [](P& p) { return (QObject*)p.PrintDialog(); }),
            readOnly("Printing", D::daBoolean, [](P& p) { return p.Printing(); }, false),
            readOnly("Producing", D::daBoolean, [](P& p) { return p.Producing(); }, false),
            objectProp("PrinterDevice", "TppPrinterDevice", [](P& p) { return (QObject*)p.PrinterDevice(); }),
            objectProp("Publisher", "TppPublisher", [](P& p) { return (QObject*)p.Publisher(); }),
            readWrite("SavePrinterSetup", D::daBoolean, [](P& p) { return p.SavePrinterSetup(); },
                      [](P& p, const QVariant& v) { p.SetSavePrinterSetup(v.toBool()); }),
            readWrite("ShowAutoSearchDialog", D::daBoolean, [](P& p) { return p.ShowAutoSearchDialog(); },
                      [](P& p, const QVariant& v) { p.SetShowAutoSearchDialog(v.toBool()); }),
            readWrite("ShowCancelDialog", D::daBoolean, [](P& p) { return p.ShowCancelDialog(); },
                      [](P& p, const QVariant& v) { p.SetShowCancelDialog(v.toBool()); }),
            readWrite("ShowPrintDialog", D::daBoolean, [](P& p) { return p.ShowPrintDialog(); },
                      [](P& p, const QVariant& v) { p.SetShowPrintDialog(v.toBool()); }),
            readWrite("TextFileName", D::daString, [](P& p) { return p.TextFileName(); },
                      [](P& p, const QVariant& v) { p.SetTextFileName(v.toString()); }),
            readWrite("TextFileType", D::daEnum, [](P& p) { return int(p.TextFileType()); },
                      [](P& p, const QVariant& v) { p.SetTextFileType(TppFileType(v.toInt())); }, true, "TppFileType"),
            readOnly("Version", D::daString, [](P& p) { return p.Version(); }, false),
            readOnly("VersionNo", D::daInteger, [](P& p) { return p.VersionNo(); }, false),
        };
        for (M& m : list)
            if (is(QString::fromLatin1(m.name), "OnSaveText")) m.params = {{"Text", D::daString, "", true}};
        return list;
    }());
    return table;
}

namespace report {

void RegisterProducerAdapter() {
    static bool done = false;
    if (done) return;
    done = true;
    raRegisterRTTI<TraTppProducerRTTI>();
}

}  // namespace report
