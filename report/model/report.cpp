#include "report/model/report.h"

#include "report/model/auto_search_field.h"
#include "report/model/band_classes.h"
#include "report/model/cache_manager.h"
#include "report/model/custom_engine.h"
#include "report/model/engine.h"
#include "report/model/errors.h"
#include "report/model/script_adapter.h"
#include "report/page/resource_manager.h"

#include "report/page/units.h"

#include "platform/stream/property_table.h"

TppReport::TppReport(TComponent* AOwner)
    : TppBandedReport(AOwner), m_cacheManager(std::make_unique<TppCacheManager>(this)) {
    ReplaceEngine(std::make_unique<TppEngine>(this));
}

void TppReport::RequestPages(QObject* aPageRequest) {
    TppCustomEngine* engine = Engine();
    if (!engine || engine->Busy()) return;
    SetPrinting(true);
    struct NotPrinting {
        TppReport* r;
        ~NotPrinting() { r->SetPrinting(false); }
    } notPrinting{this};
    SortBands();  // the page style sorts first while pages are generated
    try {
        engine->RequestPages(aPageRequest);
    } catch (const EPrintError&) {
        engine->SetBusy(false);
        engine->Invalidate();
        throw;
    } catch (const std::exception& e) {
        engine->SetBusy(false);
        engine->Invalidate();
        const auto* b = dynamic_cast<const base::Exception*>(&e);
        throw EPrintError(report::MessageText(1023) + QStringLiteral("\r\n\r\n") +
                          (b ? b->Message() : QString::fromLocal8Bit(e.what())));
    }
    if (engine->Cancelled()) engine->Invalidate();
}

void TppReport::PageReady() {
    if (OnPageReceived && Engine() && Engine()->Page()) OnPageReceived(*Engine()->Page());
}

void TppReport::WireEngine() {
    TppBandedReport::WireEngine();
    TppCustomEngine* engine = Engine();
    if (!engine || !m_cacheManager) return;
    engine->OnInitialize = [this] { m_cacheManager->Reset(); };
    engine->OnPageStart = [this] { m_cacheManager->RestoreFromCache(AbsolutePageNo() - 1); };
    engine->OnSaveCache = [this] { m_cacheManager->SaveToCache(AbsolutePageNo()); };
}

TppReport::~TppReport() {
    m_cacheManager.reset();
}

void TppReport::SetCachePages(bool aValue) {
    if (Printing() || aValue == m_cachePages) return;
    m_cachePages = aValue;
    SetModified(true);
    LayoutChanged();
}

void TppReport::ResetEngines() {
    if (Engine()) Engine()->Invalidate();
}

void TppReport::Convert(int aVersion) {
    TppBandedReport::Convert(aVersion);
    if (aVersion < 3000 && m_legacyRowSpacing != 0)
        if (TppBand* detail = GetDetailBand())
            detail->SetmmBottomOffset(ppToMMThousandths(Units(), report::kVertical, nullptr, float(m_legacyRowSpacing)));
}

const stream::PropertyList& TppReport::StreamProperties() const {
    using T = TppReport;
    static const auto table = stream::PropertyTable<T>(TppBandedReport::StreamProperties())
        .Boolean("AllowPrintToFile", &T::AllowPrintToFile, &T::SetAllowPrintToFile, false)
        .Boolean("CachePages", &T::CachePages, [](T& r, bool v) { r.m_cachePages = v; }, false)
        .String("TextFileName", &T::TextFileName, &T::SetTextFileName)
        .Enum("TextFileType", &T::TextFileType, &T::SetTextFileType, EnumTypeOf(TppFileType{}).values,
              TppFileType::ftComma);
    return table;
}

void TppReport::DefineProperties(stream::Filer& filer) {
    TppBandedReport::DefineProperties(filer);
    if (filer.IsWriting()) return;
    auto ignore = [](const stream::Value&) {};
    for (const char* name : {"AllowPrintCancel", "PreviewPages", "SuppressFormFeed", "Viewer"})
        filer.DefineProperty(QString::fromLatin1(name), ignore, {}, false);
    filer.DefineProperty(QStringLiteral("DataSource"), [this](const stream::Value& v) { m_legacyDataSource = v.AsText(); }, {}, false);
    filer.DefineProperty(QStringLiteral("OnPrintingComplete"),
                         [this](const stream::Value& v) { m_legacyOnPrintingComplete = v.AsText(); }, {}, false);
    filer.DefineProperty(QStringLiteral("Orientation"),
                         [this](const stream::Value& v) { m_legacyLandscape = v.AsText() == QLatin1String("poLandscape"); }, {},
                         false);
    filer.DefineProperty(QStringLiteral("NoDataPages"), [this](const stream::Value& v) { SetPageLimit(int(v.AsInteger())); }, {},
                         false);
    filer.DefineProperty(QStringLiteral("RowSpacing"),
                         [this](const stream::Value& v) { m_legacyRowSpacing = double(v.AsExtended()); }, {}, false);
}

TppChildReport::TppChildReport(TComponent* AOwner) : TppBandedReport(AOwner) {
    // A child report has no page header or footer of its own.
    SetDefaultBands(quint16(1u << int(TppBandType::btDetail)));
    ReplaceEngine(std::make_unique<TppEngine>(this));
}

void TppChildReport::SetChildDefaultBands(quint16 aBands) { SetDefaultBands(aBands); }

void TppChildReport::SetModified(bool aValue) {
    TppBandedReport::SetModified(aValue);
    if (aValue && ParentReport() && !SaveAsTemplate()) ParentReport()->SetModified(true);
}

const stream::PropertyList& TppChildReport::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppChildReport>(TppBandedReport::StreamProperties());
    return table;
}

// Auto-search criteria ---------------------------------------------------------------------------

int TppReport::AutoSearchFieldCount() const {
    int n = 0;
    for (TComponent* c : Components())
        if (qobject_cast<TppAutoSearchField*>(c)) ++n;
    return n;
}

TppAutoSearchField* TppReport::AutoSearchFields(int aIndex) const {
    int n = 0;
    for (TComponent* c : Components())
        if (auto* f = qobject_cast<TppAutoSearchField*>(c); f && n++ == aIndex) return f;
    return nullptr;
}

TppAutoSearchField* TppReport::CreateAutoSearchCriteria(const QString& aDataPipelineName, const QString& aFieldName,
                                                        TppSearchOperatorType aOperator, const QString& aExpression,
                                                        bool aMandatory) {
    auto* field = new TppAutoSearchField(this);
    field->SetDataPipelineName(aDataPipelineName);
    field->SetFieldName(aFieldName);
    field->SetSearchOperator(aOperator);
    field->SetSearchExpression(aExpression);
    field->SetMandatory(aMandatory);
    TraParamList params;
    const int index = params.AddParam(QStringLiteral("aAutoSearchField"), TraDataType::daClass,
                                      &TppAutoSearchField::staticMetaObject, QString(), false, false);
    QVariant value = QVariant::fromValue<QObject*>(field);
    params.SetParamValuePtr(index, &value);
    ppSendEventNotify(this, this, report::ciReportAutoSearchFieldCreated, &params);
    return field;
}
