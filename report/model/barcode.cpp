#include "report/model/barcode.h"

#include "report/model/data_pipeline.h"
#include "report/model/internal/component_properties.h"
#include "report/model/text_layout.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/dialog_service.h"

#include <cmath>

namespace report {

namespace {
BarCodeConfigurePrompt& configurePrompt() {
    static BarCodeConfigurePrompt prompt;
    return prompt;
}
}  // namespace

const BarCodeConfigurePrompt& configurePromptAccess() { return configurePrompt(); }

BarCodeConfigurePrompt SetBarCodeConfigurePrompt(BarCodeConfigurePrompt aPrompt) {
    BarCodeConfigurePrompt previous = std::move(configurePrompt());
    configurePrompt() = std::move(aPrompt);
    return previous;
}

QString BarCodeSample(TppBarCodeType aType, bool aCalcCheckDigit, bool aDataAware) {
    switch (aType) {
    case TppBarCodeType::bcUPC_A: return aCalcCheckDigit ? QStringLiteral("01234567890") : QStringLiteral("012345678905");
    // Without check-digit calculation the sample carries its own check digit: seven digits
    // whose last is the check digit of 012345.
    case TppBarCodeType::bcUPC_E: return aCalcCheckDigit ? QStringLiteral("0123456") : QStringLiteral("0123457");
    case TppBarCodeType::bcEAN_13: return QStringLiteral("0012345678905");
    case TppBarCodeType::bcEAN_8: return QStringLiteral("20123451");
    // An even number of digits either way: an odd count is refused without calculation.
    case TppBarCodeType::bcInt2of5: return QStringLiteral("0123456789");
    case TppBarCodeType::bcCode128:
        return QString(QChar(char16_t(barcode::kStartC))) + QStringLiteral("1234") + QChar(char16_t(barcode::kCodeB)) +
               QStringLiteral(" abcd");
    case TppBarCodeType::bcCode39: return aDataAware ? QStringLiteral("DBBarCode") : QStringLiteral("BarCode");
    case TppBarCodeType::bcPostnet: return QStringLiteral("012345678");
    case TppBarCodeType::bcFIM: return QStringLiteral("A");
    case TppBarCodeType::bcCodabar: return QStringLiteral("A01234B");
    }
    return {};
}

double BarCodeDefaultBarWidth(TppBarCodeType aType) {
    switch (aType) {
    case TppBarCodeType::bcUPC_A:
    case TppBarCodeType::bcUPC_E:
    case TppBarCodeType::bcEAN_13:
    case TppBarCodeType::bcEAN_8: return 0.013;
    case TppBarCodeType::bcInt2of5: return 0.015;
    case TppBarCodeType::bcPostnet: return 0.02;
    case TppBarCodeType::bcFIM: return 0.031;
    default: return 0.01;
    }
}

}  // namespace report

namespace {
int inchesToMM(double inches) { return int(std::nearbyint(inches * 25400.0)); }
bool isUpcEan(TppBarCodeType t) { return t <= TppBarCodeType::bcEAN_8; }
}  // namespace

TppCustomBarCode::TppCustomBarCode(TComponent* AOwner) : TppCustomComponent(AOwner) {
    report::barcode::DeclareBarCodeTexts();
    SetDrawCommandClass(&TppDrawBarCode::staticMetaObject);
    TppCustomComponent::SetAutoSize(true);
    Font()->SetName(QStringLiteral("Courier New"));
    Font()->SetColor(paint::clBlack);
    SetColor(paint::clWhite);
    SetmmWidth(inchesToMM(1.53));
    SetmmHeight(inchesToMM(0.5083));
}

TppCustomBarCode::~TppCustomBarCode() = default;

QList<report::DesignPopupItem> TppCustomBarCode::DesignPopupItems() {
    static const bool declared = [] {
        report::DeclareTexts({{226, "AutoSize"}, {238, "ReprintOnOverFlow"}, {240, "ShiftWithParent"}, {246, "Transparent"}});
        return true;
    }();
    (void)declared;
    QList<report::DesignPopupItem> items = TppCustomComponent::DesignPopupItems();
    items.append({QStringLiteral("AutoSize"), 226, 30, true, {}});
    items.append({QStringLiteral("AutoSizeFont"), 441, 30, true, {}});
    items.append({QStringLiteral("Configure"), 443, 30, false, [this] { Configure(); }});
    items.append({QStringLiteral("PrintHumanReadable"), 442, 30, true, {}});
    items.append({QStringLiteral("ReprintOnOverFlow"), 238, 30, true, {}});
    items.append({QStringLiteral("ShiftWithParent"), 240, 30, true, {}});
    items.append({QStringLiteral("Transparent"), 246, 30, true, {}});
    return items;
}

bool TppCustomBarCode::loading() const { return HasState(csReading | csLoading); }

void TppCustomBarCode::refuse(int aMessage, const QStringList& aArgs) {
    if (m_quiet) return;
    ui::Message(report::MessageText(aMessage, aArgs), ui::MessageKind::Information, ui::Button::Ok);
}

void TppCustomBarCode::reMeasure() {
    if (loading()) return;
    if (AutoSize()) {
        TppDrawBarCode& cmd = MeasuringCommand();
        if (cmd.CodeOK()) {
            const QSize e = cmd.Extent();
            const report::PrinterResolution* printer = report::GlobalPrinterResolution();
            const int rx = printer ? printer->PixelsPerInchX() : report::ScreenPixelsPerInch();
            const int ry = printer ? printer->PixelsPerInchY() : report::ScreenPixelsPerInch();
            SetmmWidth(int(std::nearbyint(e.width() * 25400.0 / rx)));
            SetmmHeight(int(std::nearbyint(e.height() * 25400.0 / ry)));
        }
    }
    InvalidateDesignControl();
    PropertyChange();
}

TppDrawBarCode& TppCustomBarCode::MeasuringCommand() {
    if (!m_measuring) m_measuring = std::make_unique<TppDrawBarCode>();
    PropertiesToDrawCommand(m_measuring.get());
    const report::PrinterResolution* printer = report::GlobalPrinterResolution();
    const int rx = printer ? printer->PixelsPerInchX() : report::ScreenPixelsPerInch();
    const int ry = printer ? printer->PixelsPerInchY() : report::ScreenPixelsPerInch();
    m_measuring->SetPrinting(true);  // refusals were reported by the setters already
    m_measuring->Measure(rx, ry);
    m_measuring->SetPrinting(false);
    return *m_measuring;
}

QImage TppCustomBarCode::DesignPicture() {
    if (!m_measuring) m_measuring = std::make_unique<TppDrawBarCode>();
    PropertiesToDrawCommand(m_measuring.get());
    m_measuring->SetPrinting(true);
    const int screen = report::ScreenPixelsPerInch();
    QImage image = m_measuring->RenderImage(screen, screen);
    m_measuring->SetPrinting(false);
    return image;
}

void TppCustomBarCode::SetAddOnCode(const QString& v) {
    if (v == m_addOnCode) return;
    if (loading()) { m_addOnCode = v; return; }
    if (!v.isEmpty() && !isUpcEan(m_barCodeType)) return refuse(423);
    if (v.size() != 0 && v.size() != 2 && v.size() != 5) return refuse(424);
    m_addOnCode = v;
    reMeasure();
}

void TppCustomBarCode::SetAutoEncode(bool v) {
    if (loading()) { m_autoEncode = v; return; }
    if (v && m_barCodeType != TppBarCodeType::bcCode128) return;
    m_autoEncode = v;
    reMeasure();
}

void TppCustomBarCode::SetAutoSize(bool v) {
    if (!v && !loading() && (m_barCodeType == TppBarCodeType::bcPostnet || m_barCodeType == TppBarCodeType::bcFIM))
        return refuse(425);
    TppCustomComponent::SetAutoSize(v);
    reMeasure();
}

void TppCustomBarCode::SetAutoSizeFont(bool v) {
    if (!v && !loading() && isUpcEan(m_barCodeType)) return refuse(426);
    m_autoSizeFont = v;
    reMeasure();
}

void TppCustomBarCode::SetBarCodeType(TppBarCodeType v) {
    if (v == m_barCodeType) return;
    m_barCodeType = v;
    if (loading()) return;
    m_data = report::BarCodeSample(v, m_calcCheckDigit, IsDataAware());
    m_codeOK = true;
    if (v == TppBarCodeType::bcPostnet || v == TppBarCodeType::bcFIM) {
        TppCustomComponent::SetAutoSize(true);
        m_printHumanReadable = false;
    }
    if (isUpcEan(v)) m_autoSizeFont = true;
    if (v == TppBarCodeType::bcCode128) m_autoEncode = true;
    m_mmBarWidth = inchesToMM(report::BarCodeDefaultBarWidth(v));
    reMeasure();
}

void TppCustomBarCode::SetBarColor(paint::TColor v) {
    m_barColor = v;
    Font()->SetColor(v);
    InvalidateDesignControl();
    PropertyChange();
}

float TppCustomBarCode::BarWidth() const {
    return ppFromMMThousandths(m_mmBarWidth, Units(), report::kHorizontal, GetPrinter());
}

void TppCustomBarCode::SetBarWidth(float v) {
    const int mm = ppToMMThousandths(Units(), report::kHorizontal, GetPrinter(), v);
    if (mm == m_mmBarWidth) return;
    if (loading()) { m_mmBarWidth = mm; return; }
    // The limits in the report's unit: 0.004 and 0.1 inch.
    const double perInch = ppFromMMThousandths(25400, Units(), report::kHorizontal, GetPrinter());
    const double inches = perInch > 0 ? v / perInch : 0;
    if (inches < 0.004 - 1e-9) return refuse(427, {QString::number(0.004 * perInch, 'g', 15)});
    if (inches > 0.1 + 1e-9) return refuse(428, {QString::number(0.1 * perInch, 'g', 15)});
    m_mmBarWidth = mm;
    reMeasure();
}

void TppCustomBarCode::SetBearerBars(bool v) {
    if (v && !loading() && m_barCodeType != TppBarCodeType::bcInt2of5) return refuse(429);
    m_bearerBars = v;
    reMeasure();
}

void TppCustomBarCode::SetCalcCheckDigit(bool v) {
    m_calcCheckDigit = v;
    if (loading()) return;
    m_codeOK = Validate(m_data);
    reMeasure();
}

void TppCustomBarCode::SetData(const QString& v) {
    if (v == m_data) return;
    m_data = v;
    if (loading()) return;
    m_codeOK = Validate(v);
    reMeasure();
}

void TppCustomBarCode::SetOrientation(TppBarCodeOrientation v) {
    m_orientation = v;
    reMeasure();
}

void TppCustomBarCode::SetPrintHumanReadable(bool v) {
    m_printHumanReadable = v;
    reMeasure();
}

float TppCustomBarCode::WideBarRatio() const { return float(m_mmWideBarRatio / 25400.0); }

void TppCustomBarCode::SetWideBarRatio(float v) {
    if (v <= 0) return;
    const int stored = inchesToMM(v);
    if (stored == m_mmWideBarRatio) return;
    m_mmWideBarRatio = stored;
    reMeasure();
}

bool TppCustomBarCode::Validate(const QString& aData) {
    auto digits = [](const QString& s) {
        for (QChar c : s)
            if (!c.isDigit() || c.unicode() > 127) return false;
        return true;
    };
    struct Lengths { int withCalc; int noCalc; int msgLength; int msgCheck; int msgNumeric; };
    auto fixed = [&](const Lengths& l) {
        const int n = int(aData.size());
        if (n != l.withCalc && n != l.noCalc) return refuse(l.msgLength), false;
        if (!m_calcCheckDigit && n != l.noCalc) return refuse(l.msgCheck), false;
        if (!digits(aData)) return refuse(l.msgNumeric), false;
        return true;
    };
    switch (m_barCodeType) {
    case TppBarCodeType::bcUPC_A: return fixed({11, 12, 438, 439, 440});
    case TppBarCodeType::bcUPC_E: return fixed({6, 7, 648, 649, 650});
    case TppBarCodeType::bcEAN_13: return fixed({12, 13, 431, 432, 433});
    case TppBarCodeType::bcEAN_8: return fixed({7, 8, 645, 646, 647});
    case TppBarCodeType::bcInt2of5:
        if (!digits(aData)) return refuse(434), false;
        if (aData.size() % 2 == 1 && !m_calcCheckDigit) return refuse(435), false;
        return true;
    case TppBarCodeType::bcCode128: return true;
    case TppBarCodeType::bcCode39:
        for (QChar c : aData)
            if (!(c.unicode() < 128 && (c.isLetterOrNumber() || QStringLiteral(" $%+-./").contains(c)))) return refuse(430), false;
        return true;
    case TppBarCodeType::bcPostnet: {
        QString d = aData;
        d.remove(u'-');
        if (!digits(d)) return refuse(436), false;
        if (d.size() != 5 && d.size() != 9 && d.size() != 11) return refuse(437), false;
        return true;
    }
    case TppBarCodeType::bcFIM:
        if (aData.size() != 1 || !QStringLiteral("ABCabc").contains(aData.at(0))) return refuse(651), false;
        return true;
    case TppBarCodeType::bcCodabar: {
        static const QString allowed = QStringLiteral("0123456789$+-./:ABCDabcd");
        static const QString ends = QStringLiteral("ABCDabcd");
        for (QChar c : aData)
            if (!allowed.contains(c)) return refuse(652), false;
        if (aData.isEmpty() || !ends.contains(aData.front()) || !ends.contains(aData.back())) return refuse(653), false;
        for (int i = 1; i + 1 < aData.size(); ++i)
            if (ends.contains(aData.at(i))) {
                if (!m_quiet)
                    ui::Message(report::MessageText(654) + QLatin1Char(' ') + report::MessageText(655),
                            ui::MessageKind::Information, ui::Button::Ok);
                return false;
            }
        return true;
    }
    }
    return true;
}

report::BarCodeSettings TppCustomBarCode::Settings() const {
    report::BarCodeSettings s;
    s.BarCodeType = m_barCodeType;
    s.Orientation = m_orientation;
    s.BarWidth = BarWidth();
    s.WideBarRatio = WideBarRatio();
    s.AddOnCode = m_addOnCode;
    s.BearerBars = m_bearerBars;
    s.CalcCheckDigit = m_calcCheckDigit;
    s.AutoEncode = m_autoEncode;
    return s;
}

void TppCustomBarCode::ApplySettings(const report::BarCodeSettings& s) {
    SetBarCodeType(s.BarCodeType);
    SetOrientation(s.Orientation);
    SetBarWidth(float(s.BarWidth));
    SetWideBarRatio(float(s.WideBarRatio));
    SetAddOnCode(s.AddOnCode);
    SetBearerBars(s.BearerBars);
    SetCalcCheckDigit(s.CalcCheckDigit);
    SetAutoEncode(s.AutoEncode);
}

void TppCustomBarCode::Configure() {
    const report::BarCodeConfigurePrompt& prompt = report::configurePromptAccess();
    if (!prompt) return;
    report::BarCodeSettings s = Settings();
    if (prompt(s, Units(), [this](const report::BarCodeSettings& v) { ApplySettings(v); })) ApplySettings(s);
}

void TppCustomBarCode::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawBarCode*>(aDrawCommand);
    if (!d) return;
    const QRect r = PrintRect();
    d->SetLeft(r.left());
    d->SetTop(r.top());
    d->SetWidth(r.isNull() ? mmWidth() : r.right() - r.left());
    d->SetHeight(r.isNull() ? mmHeight() : r.bottom() - r.top());
    d->SetAlignment(Alignment());
    d->SetAddOnCode(m_addOnCode);
    d->SetAutoEncode(m_autoEncode);
    d->SetAutoSize(AutoSize());
    d->SetAutoSizeFont(m_autoSizeFont);
    d->SetBarCodeType(m_barCodeType);
    d->SetBarColor(m_barColor);
    d->SetBarWidth(m_mmBarWidth);
    d->SetBearerBars(m_bearerBars);
    d->SetCalcCheckDigit(m_calcCheckDigit);
    d->SetColor(Color());
    d->SetFont(Font());
    d->SetOrientation(m_orientation);
    d->SetPrintHumanReadable(m_printHumanReadable);
    d->SetTransparent(Transparent());
    d->SetWideBarRatio(WideBarRatio());
    if (IsDataAware()) {
        const QString data = GetData();
        d->SetData(data);
        // A field's value is checked like typed data, without a message per record.
        const bool was = m_quiet;
        m_quiet = true;
        d->SetCodeOK(data.isEmpty() || Validate(data));
        m_quiet = was;
    } else {
        d->SetData(m_data);
        d->SetCodeOK(m_codeOK);
    }
}

void TppCustomBarCode::DefineProperties(stream::Filer& filer) {
    TppCustomComponent::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("mmBarWidth"), [this](const stream::Value& v) { m_mmBarWidth = ppReadMMValue(v); },
        [this] { return stream::Value::Integer(m_mmBarWidth); }, true);
    filer.DefineProperty(
        QStringLiteral("mmWideBarRatio"), [this](const stream::Value& v) { m_mmWideBarRatio = ppReadMMValue(v); },
        [this] { return stream::Value::Integer(m_mmWideBarRatio); }, true);
}

template <class T>
void TppCustomBarCode::addBarCodeProperties(stream::PropertyTable<T>& t) {
    t.String("AddOnCode", &T::AddOnCode, &T::SetAddOnCode)
        .Boolean("AutoEncode", &T::AutoEncode, &T::SetAutoEncode, false)
        .Boolean("AutoSize", &T::AutoSize, [](T& c, bool v) { c.SetAutoSize(v); }, true)
        .Boolean("AutoSizeFont", &T::AutoSizeFont, &T::SetAutoSizeFont, true)
        .Enum("BarCodeType", &T::BarCodeType, &T::SetBarCodeType, EnumTypeOf(TppBarCodeType{}).values, -1)
        .Integer("BarColor", &T::BarColor, &T::SetBarColor, -1)
        .Boolean("BearerBars", &T::BearerBars, &T::SetBearerBars, false)
        .Boolean("CalcCheckDigit", &T::CalcCheckDigit, &T::SetCalcCheckDigit, true)
        .Enum("Orientation", &T::Orientation, &T::SetOrientation, EnumTypeOf(TppBarCodeOrientation{}).values,
              TppBarCodeOrientation::orLeftToRight)
        .Boolean("PrintHumanReadable", &T::PrintHumanReadable, &T::SetPrintHumanReadable, true);
    static const QStringList alignments = EnumTypeOf(TAlignment{}).values;
    t.Enum("Alignment", &T::Alignment, &T::SetAlignment, alignments, TAlignment::taLeftJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Object("Font", [](const T& c) -> const TppFont& { return *c.Font(); })
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false);
    report::internal::AddPlacementProperties(t);
}

TppBarCode::TppBarCode(TComponent* AOwner) : TppCustomBarCode(AOwner) {}

const stream::PropertyList& TppBarCode::StreamProperties() const {
    using T = TppBarCode;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        addBarCodeProperties(t);
        t.String("Data", &T::Data, &T::SetData);
        return t;
    }(TppCustomBarCode::StreamProperties());
    return table;
}

TppDBBarCode::TppDBBarCode(TComponent* AOwner) : TppCustomBarCode(AOwner) {
    m_data = QStringLiteral("DBBarCode");
}

QString TppDBBarCode::GetData() const {
    if (CanShowData()) {
        TppDataType type = TppDataType::dtString;
        try {
            type = DataPipeline()->GetFieldDataType(DataField());
        } catch (...) {
            type = TppDataType::dtString;
        }
        try {
            const QVariant value = DataPipeline()->GetFieldValue(DataField());
            if (value.isNull()) return QString();
            return ppFormatValue(QString(), type, value);
        } catch (const base::Exception&) {
            return QString();
        }
    }
    if (IsPrinting()) return QString();
    return report::BarCodeSample(BarCodeType(), CalcCheckDigit(), true);
}

const stream::PropertyList& TppDBBarCode::StreamProperties() const {
    using T = TppDBBarCode;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        addBarCodeProperties(t);
        report::internal::AddDataProperties(t);
        return t;
    }(TppCustomBarCode::StreamProperties());
    return table;
}
