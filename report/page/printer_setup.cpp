#include "report/page/printer_setup.h"

#include "report/page/printer_list.h"

#include "platform/format/format_settings.h"
#include "platform/stream/property_table.h"

#include <cmath>

namespace report {
namespace {
std::function<const PrinterResolution*()>& globalPrinterProvider() {
    static std::function<const PrinterResolution*()> provider;
    return provider;
}
}  // namespace

void SetGlobalPrinterResolution(std::function<const PrinterResolution*()> aProvider) {
    globalPrinterProvider() = std::move(aProvider);
}

const PrinterResolution* GlobalPrinterResolution() {
    return globalPrinterProvider() ? globalPrinterProvider()() : nullptr;
}
}  // namespace report

namespace {

const QString kDefault = QStringLiteral("Default");
const QString kCustom = QStringLiteral("Custom");

/// A stored length: an integer, or a float of older versions, rounded.
int readRoundedMM(const stream::Value& v) {
    if (v.IsInteger()) return int(v.AsInteger());
    return int(std::nearbyint(double(v.AsExtended())));
}

}  // namespace

TppPrinterSetup::TppPrinterSetup(TComponent* aOwner)
    : m_pageDef(std::make_unique<TppPageDef>()), m_candidate(std::make_unique<TppPageDef>()), m_owner(aOwner) {
    if (format::Settings().decimalSeparator == QLatin1Char('.')) {
        m_pageDef->SetmmWidth(215900);
        m_pageDef->SetmmHeight(279401);
    } else {
        m_pageDef->SetmmWidth(210000);
        m_pageDef->SetmmHeight(297000);
    }
    m_pageDef->SetmmMarginBottom(6350);
    m_pageDef->SetmmMarginLeft(6350);
    m_pageDef->SetmmMarginRight(6350);
    m_pageDef->SetmmMarginTop(6350);
}

TppPrinterSetup::~TppPrinterSetup() = default;

bool TppPrinterSetup::ownerReading() const {
    return m_owner && m_owner->HasState(TComponent::csLoading | TComponent::csReading);
}

bool TppPrinterSetup::Active() const {
    return m_activeFlag && !ownerReading();
}

const report::PrinterResolution* TppPrinterSetup::conversionPrinter() const {
    if (m_units != TppUnitType::utPrinterPixels) return nullptr;
    if (OnGetPrinter) {
        const report::PrinterResolution* printer = nullptr;
        OnGetPrinter(const_cast<TppPrinterSetup*>(this), printer);
        return printer;
    }
    return report::GlobalPrinterResolution();
}

float TppPrinterSetup::fromMM(int value, int resolution) const {
    return ppFromMMThousandths(value, m_units, resolution, conversionPrinter());
}

int TppPrinterSetup::toMM(float value, int resolution) const {
    return ppToMMThousandths(m_units, resolution, conversionPrinter(), value);
}

float TppPrinterSetup::MarginBottom() const { return fromMM(m_pageDef->mmMarginBottom(), report::kVertical); }
float TppPrinterSetup::MarginLeft() const { return fromMM(m_pageDef->mmMarginLeft(), report::kHorizontal); }
float TppPrinterSetup::MarginRight() const { return fromMM(m_pageDef->mmMarginRight(), report::kHorizontal); }
float TppPrinterSetup::MarginTop() const { return fromMM(m_pageDef->mmMarginTop(), report::kVertical); }
float TppPrinterSetup::PaperHeight() const { return fromMM(m_pageDef->mmHeight(), report::kVertical); }
float TppPrinterSetup::PaperWidth() const { return fromMM(m_pageDef->mmWidth(), report::kHorizontal); }
float TppPrinterSetup::PrintableHeight() const { return fromMM(m_pageDef->PrintableHeight(), report::kVertical); }
float TppPrinterSetup::PrintableWidth() const { return fromMM(m_pageDef->PrintableWidth(), report::kHorizontal); }

bool TppPrinterSetup::validateAndApply(bool derivePaperName) {
    bool accept = true;
    if (Active() && OnValidatePageDef) OnValidatePageDef(this, m_candidate.get(), accept);
    if (!accept) return false;
    m_pageDef->Assign(m_candidate.get());
    if (derivePaperName) m_paperName = PaperNameBySize();
    if (Active() && OnPageDefChange) OnPageDefChange(this);
    return true;
}

void TppPrinterSetup::SetMarginBottom(float v) {
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmMarginBottom(toMM(v, report::kVertical));
    validateAndApply(false);
}

void TppPrinterSetup::SetMarginLeft(float v) {
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmMarginLeft(toMM(v, report::kHorizontal));
    validateAndApply(false);
}

void TppPrinterSetup::SetMarginRight(float v) {
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmMarginRight(toMM(v, report::kHorizontal));
    validateAndApply(false);
}

void TppPrinterSetup::SetMarginTop(float v) {
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmMarginTop(toMM(v, report::kVertical));
    validateAndApply(false);
}

void TppPrinterSetup::SetPaperHeight(float v) {
    if (ownerReading()) {
        m_loadedPaperHeight = v;
        return;
    }
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmHeight(toMM(v, report::kVertical));
    validateAndApply(true);
}

void TppPrinterSetup::SetPaperWidth(float v) {
    if (ownerReading()) {
        m_loadedPaperWidth = v;
        return;
    }
    if (!(v >= 0)) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmWidth(toMM(v, report::kHorizontal));
    validateAndApply(true);
}

void TppPrinterSetup::ConvertLoadedPaperSize() {
    if (m_loadedPaperHeight) m_pageDef->SetmmHeight(toMM(*m_loadedPaperHeight, report::kVertical));
    if (m_loadedPaperWidth) m_pageDef->SetmmWidth(toMM(*m_loadedPaperWidth, report::kHorizontal));
    m_loadedPaperHeight.reset();
    m_loadedPaperWidth.reset();
}

TppPrinterInfo* TppPrinterSetup::PrinterInfo() const {
    return ppGetPrinterList()->FindPrinter(m_printerName);
}

QString TppPrinterSetup::PaperNameBySize() {
    const TppPrinterInfo* info = PrinterInfo();
    if (!info) return m_paperName;
    const TppPrinterCapabilities& caps = info->Capabilities();
    const report::PrinterResolution* printer = conversionPrinter();
    int width = ppToTenthsMM(m_units, report::kHorizontal, printer, PaperWidth());
    int height = ppToTenthsMM(m_units, report::kVertical, printer, PaperHeight());
    if (m_orientation == TPrinterOrientation::poLandscape) std::swap(width, height);
    for (int i = 0; i < caps.PaperWidths.size() && i < caps.PaperHeights.size(); ++i) {
        if (std::abs(caps.PaperWidths.at(i).toInt() - width) <= 10 &&
            std::abs(caps.PaperHeights.at(i).toInt() - height) <= 10)
            return i < caps.PaperNames.size() ? caps.PaperNames.at(i) : kCustom;
    }
    return kCustom;
}

QString TppPrinterSetup::PaperName() {
    if (m_paperName == kCustom) m_paperName = PaperNameBySize();
    return m_paperName;
}

void TppPrinterSetup::SetPaperName(const QString& aName) {
    if (!Active() || aName == kCustom) {
        m_paperName = aName;
        return;
    }
    if (aName.contains(QLatin1String("Envelope"))) m_orientation = TPrinterOrientation::poLandscape;
    m_candidate->Assign(m_pageDef.get());
    if (const TppPrinterInfo* info = PrinterInfo()) {
        const TppPrinterCapabilities& caps = info->Capabilities();
        const int i = int(caps.PaperNames.indexOf(aName));
        if (i >= 0 && i < caps.PaperWidths.size() && i < caps.PaperHeights.size()) {
            const report::PrinterResolution* printer = conversionPrinter();
            float width = ppFromTenthsMM(caps.PaperWidths.at(i).toInt(), m_units, report::kHorizontal, printer);
            float height = ppFromTenthsMM(caps.PaperHeights.at(i).toInt(), m_units, report::kVertical, printer);
            if (m_orientation == TPrinterOrientation::poLandscape) std::swap(width, height);
            m_candidate->SetmmWidth(toMM(width, report::kHorizontal));
            m_candidate->SetmmHeight(toMM(height, report::kVertical));
        }
    }
    bool accept = true;
    if (OnValidatePageDef) OnValidatePageDef(this, m_candidate.get(), accept);
    if (!accept) return;
    m_pageDef->Assign(m_candidate.get());
    m_paperName = aName;
    if (OnPageDefChange) OnPageDefChange(this);
}

void TppPrinterSetup::SetOrientation(TPrinterOrientation v) {
    if (v == m_orientation) return;
    m_candidate->Assign(m_pageDef.get());
    m_candidate->SetmmWidth(m_pageDef->mmHeight());
    m_candidate->SetmmHeight(m_pageDef->mmWidth());
    bool accept = true;
    if (Active() && OnValidatePageDef) OnValidatePageDef(this, m_candidate.get(), accept);
    if (!accept) return;
    m_orientation = v;
    const int width = m_pageDef->mmWidth();
    m_pageDef->SetmmWidth(m_pageDef->mmHeight());
    m_pageDef->SetmmHeight(width);
    if (Active() && OnPageDefChange) OnPageDefChange(this);
}

void TppPrinterSetup::printerChanged() {
    if (Active() && OnPrinterChange) OnPrinterChange(this);
}

void TppPrinterSetup::SetPrinterName(const QString& aName) {
    const QString name = aName.compare(QLatin1String("Current"), Qt::CaseInsensitive) == 0 ? kDefault : aName;
    const TppPrinterInfo* entry = ppGetPrinterList()->FindPrinter(name);
    if (!entry) return;
    m_printerName = entry->Name() != name ? kDefault : name;
    if (!Active()) return;
    SetPaperName(PaperNameBySize());
    printerChanged();
}

void TppPrinterSetup::SetBinName(const QString& aName) {
    const QString name = aName.compare(QLatin1String("Current"), Qt::CaseInsensitive) == 0 ? kDefault : aName;
    if (name == m_binName) return;
    m_binName = name;
    printerChanged();
}

void TppPrinterSetup::SetCollation(bool v) {
    if (v == m_collation) return;
    m_collation = v;
    printerChanged();
}

void TppPrinterSetup::SetCopies(int v) {
    if (v < 1 || v == m_copies) return;
    m_copies = v;
    printerChanged();
}

void TppPrinterSetup::SetDocumentName(const QString& v) {
    if (v == m_documentName) return;
    m_documentName = v;
    printerChanged();
}

void TppPrinterSetup::SetDuplex(TppDuplexType v) {
    if (v == m_duplex) return;
    m_duplex = v;
    printerChanged();
}

QString TppPrinterSetup::GetPrinterDescription() const {
    if (m_printerName.compare(kDefault, Qt::CaseInsensitive) == 0) return ppGetPrinterList()->GetDefaultPrinterName();
    return m_printerName;
}

QStringList TppPrinterSetup::GetPrinterNames() const {
    return ppGetPrinterList()->Names();
}

QStringList TppPrinterSetup::GetPaperNames() const {
    const TppPrinterInfo* info = PrinterInfo();
    return (info ? info : ppGetNoPrinterInfo())->Capabilities().PaperNames;
}

QStringList TppPrinterSetup::GetBinNames() const {
    const TppPrinterInfo* info = PrinterInfo();
    return (info ? info : ppGetNoPrinterInfo())->Capabilities().BinNames;
}

void TppPrinterSetup::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppPrinterSetup*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    m_collation = s->m_collation;
    m_copies = s->m_copies;
    m_documentName = s->m_documentName;
    m_duplex = s->m_duplex;
    m_orientation = s->m_orientation;
    m_pageDef->Assign(s->m_pageDef.get());
    m_printerName = s->m_printerName;
    m_binName = s->m_binName;
    m_units = s->m_units;
    m_paperName = kCustom;
}

bool TppPrinterSetup::IsSamePage(const TppPrinterSetup& aOther) const {
    return GetPrinterDescription() == aOther.GetPrinterDescription() && m_orientation == aOther.m_orientation;
}

bool TppPrinterSetup::IsEqual(const TppPrinterSetup& aOther) const {
    return GetPrinterDescription() == aOther.GetPrinterDescription() && m_binName == aOther.m_binName &&
           m_collation == aOther.m_collation && m_copies == aOther.m_copies &&
           m_documentName == aOther.m_documentName && m_duplex == aOther.m_duplex &&
           m_orientation == aOther.m_orientation && m_pageDef->SameAs(*aOther.m_pageDef);
}

const stream::PropertyList& TppPrinterSetup::StreamProperties() const {
    using T = TppPrinterSetup;
    static const auto table =
        stream::PropertyTable<T>()
            .String("BinName", &T::BinName, &T::SetBinName)
            .Boolean("Collation", &T::Collation, &T::SetCollation, true)
            .Integer("Copies", &T::Copies, &T::SetCopies, 1)
            .String("DocumentName", &T::DocumentName, &T::SetDocumentName)
            .Enum("Duplex", &T::Duplex, &T::SetDuplex, EnumTypeOf(TppDuplexType{}).values, TppDuplexType::dpNone)
            .Enum("Orientation", &T::Orientation, &T::SetOrientation, EnumTypeOf(TPrinterOrientation{}).values,
                  TPrinterOrientation::poPortrait)
            .String("PaperName", [](const T& s) { return const_cast<T&>(s).PaperName(); }, &T::SetPaperName)
            .String("PrinterName", &T::PrinterName, &T::SetPrinterName);
    return table;
}

void TppPrinterSetup::DefineProperties(stream::Filer& filer) {
    const struct {
        const char* name;
        int (TppPageDef::*get)() const;
        void (TppPageDef::*set)(int);
    } lengths[] = {{"mmMarginBottom", &TppPageDef::mmMarginBottom, &TppPageDef::SetmmMarginBottom},
                   {"mmMarginLeft", &TppPageDef::mmMarginLeft, &TppPageDef::SetmmMarginLeft},
                   {"mmMarginRight", &TppPageDef::mmMarginRight, &TppPageDef::SetmmMarginRight},
                   {"mmMarginTop", &TppPageDef::mmMarginTop, &TppPageDef::SetmmMarginTop},
                   {"mmPaperHeight", &TppPageDef::mmHeight, &TppPageDef::SetmmHeight},
                   {"mmPaperWidth", &TppPageDef::mmWidth, &TppPageDef::SetmmWidth}};
    for (const auto& l : lengths) {
        const auto get = l.get;
        const auto set = l.set;
        filer.DefineProperty(
            QString::fromLatin1(l.name), [this, set](const stream::Value& v) { (m_pageDef.get()->*set)(readRoundedMM(v)); },
            [this, get] { return stream::Value::Integer((m_pageDef.get()->*get)()); }, true);
    }
}
