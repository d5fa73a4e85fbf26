#include "report/page/draw_command.h"
#include "report/page/draw_barcode.h"

#include <QBuffer>
#include <QtEndian>

#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

#include "platform/base/day_time.h"
#include "platform/format/date_time_format.h"
#include "platform/format/format_settings.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/property_table.h"

#include <QDateTime>

#include <cmath>

namespace report {

namespace {

QString dateTimeText(double dayNumber) { return format::FormatDateTime(QStringLiteral("c"), dayNumber); }

double now() { return base::DateTimeToDays(QDateTime::currentDateTime()); }

}  // namespace

QString SystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, bool aKnown, double aPrintDateTime) {
    DeclareFoundationTexts();
    const int pageNo = aKnown ? aPageNo : 1;
    const int pageCount = aKnown ? aPageCount : 1;
    const QString pageSet = QStringLiteral("%1 %2 %3").arg(pageNo).arg(ppGetMessageText(16)).arg(pageCount);
    switch (aVarType) {
    case TppVarType::vtDate: return format::DateToStr(QDate::currentDate());
    case TppVarType::vtDateTime: return dateTimeText(now());
    case TppVarType::vtPrintDateTime: return dateTimeText(aPrintDateTime != 0 ? aPrintDateTime : now());
    case TppVarType::vtPageCount: return QString::number(pageCount);
    case TppVarType::vtPageSet: return pageSet;
    case TppVarType::vtPageSetDesc: return ppGetMessageText(18) + QLatin1Char(' ') + pageSet;
    case TppVarType::vtPageNo: return QString::number(pageNo);
    case TppVarType::vtPageNoDesc: return ppGetMessageText(18) + QLatin1Char(' ') + QString::number(pageNo);
    case TppVarType::vtTime: return format::TimeToStr(QTime::currentTime());
    }
    return {};
}

QString CalcText(TppCalcType aCalcType, int aPageNo, int aPageCount, bool aKnown, double aPrintDateTime) {
    if (aCalcType == TppCalcType::ctCustom) return {};
    return SystemVariableText(static_cast<TppVarType>(static_cast<int>(aCalcType)), aPageNo, aPageCount, aKnown,
                              aPrintDateTime);
}

const stream::PropertyList& PenObject::StreamProperties() const {
    static const auto table = stream::PropertyTable<PenObject>()
        .Integer("Color", [](const PenObject& p) { return p.Value.Color; }, [](PenObject& p, int v) { p.Value.Color = v; }, paint::clBlack)
        .Enum("Style", [](const PenObject& p) { return p.Value.Style; }, [](PenObject& p, paint::TPenStyle v) { p.Value.Style = v; },
              paint::PenStyleNames(), 0)
        .Integer("Width", [](const PenObject& p) { return p.Value.Width; }, [](PenObject& p, int v) { p.Value.Width = v; }, 1);
    return table;
}

const stream::PropertyList& BrushObject::StreamProperties() const {
    static const auto table = stream::PropertyTable<BrushObject>()
        .Integer("Color", [](const BrushObject& b) { return b.Value.Color; }, [](BrushObject& b, int v) { b.Value.Color = v; },
                 paint::clWhite)
        .Enum("Style", [](const BrushObject& b) { return b.Value.Style; },
              [](BrushObject& b, paint::TBrushStyle v) { b.Value.Style = v; }, paint::BrushStyleNames(), 0);
    return table;
}

namespace {
LookAheadListenerFactory& listenerFactory() {
    static LookAheadListenerFactory factory;
    return factory;
}
}  // namespace

void SetLookAheadListenerFactory(LookAheadListenerFactory aFactory) { listenerFactory() = std::move(aFactory); }

std::unique_ptr<LookAheadListener> makeLookAheadListener(TppDrawVariable& aCommand) {
    return listenerFactory() ? listenerFactory()(aCommand) : nullptr;
}

namespace {
template <class T>
void registerKind() {
    stream::ClassRegistry::Global().Register<T>(QString::fromLatin1(T::staticMetaObject.className()));
    RegisterClass(&T::staticMetaObject);
}
}  // namespace

void RegisterDrawCommands() {
    static const bool done = [] {
        registerKind<TppDrawText>();
        registerKind<TppDrawVar>();
        registerKind<TppDrawCalc>();
        registerKind<TppDrawShape>();
        registerKind<TppDrawLine>();
        registerKind<TppDrawImage>();
        registerKind<TppDrawVariable>();
        registerKind<TppDrawBarCode>();
        registerKind<TppDrawRichText>();
        return true;
    }();
    (void)done;
}

}  // namespace report

// TppDrawCommand ---------------------------------------------------------------------------

TppDrawCommand::TppDrawCommand(TComponent* AOwner) : TComponent(AOwner) {}

TppDrawCommand::~TppDrawCommand() {
    if (m_page) m_page->RemoveDrawCommand(this);
}

void TppDrawCommand::SetOnClick(QObject* aSender, TppDrawCommandClickEvent aHandler) {
    m_clickSender = aSender;
    m_onClick = std::move(aHandler);
}

void TppDrawCommand::SetPage(TppPage* aPage) {
    if (m_page) m_page->RemoveDrawCommand(this);
    m_page = aPage;
    if (aPage) aPage->AddDrawCommand(this);
}

void TppDrawCommand::DoDrawCommandClick() {
    if (m_onClick) m_onClick(m_clickSender, this);
}

void TppDrawCommand::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TppDrawCommand*>(Source);
    if (!source) {
        TComponent::Assign(Source);
        return;
    }
    m_band = source->m_band;
    m_dataType = source->m_dataType;
    m_drawRect = source->m_drawRect;
    m_drillDownKey = source->m_drillDownKey;
    m_height = source->m_height;
    m_left = source->m_left;
    m_clickSender = source->m_clickSender;
    m_onClick = source->m_onClick;
    SetTag(source->Tag());
    m_top = source->m_top;
    m_width = source->m_width;
}

const stream::PropertyList& TppDrawCommand::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppDrawCommand>()
        .Boolean("Clickable", &TppDrawCommand::Clickable, &TppDrawCommand::SetClickable, false)
        .Enum("DataType", &TppDrawCommand::DataType, &TppDrawCommand::SetDataType, EnumTypeOf(TppDataType{}).values,
              TppDataType::dtString)
        .Integer("Left", &TppDrawCommand::Left, &TppDrawCommand::SetLeft, 0)
        .Integer("Height", &TppDrawCommand::Height, &TppDrawCommand::SetHeight, 0)
        .Integer("Top", &TppDrawCommand::Top, &TppDrawCommand::SetTop, 0)
        .Integer("Width", &TppDrawCommand::Width, &TppDrawCommand::SetWidth, 0);
    return table;
}

// TppDrawText ------------------------------------------------------------------------------

TppDrawText::TppDrawText(TComponent* AOwner) : TppDrawCommand(AOwner), m_font(std::make_unique<TppFont>()) {}

void TppDrawText::SetFont(TppFont* aFont) {
    if (aFont) m_font->Assign(aFont);
}

void TppDrawText::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    auto* s = qobject_cast<TppDrawText*>(Source);
    if (!s) return;
    m_alignment = s->m_alignment;
    m_autoSize = s->m_autoSize;
    m_color = s->m_color;
    m_font->Assign(s->m_font.get());
    m_isMemo = s->m_isMemo;
    m_leading = s->m_leading;
    m_lineHeight = s->m_lineHeight;
    m_text = s->m_text;
    m_transparent = s->m_transparent;
    m_wordWrap = s->m_wordWrap;
    m_wrappedText = s->m_wrappedText;
    m_tabStops = s->m_tabStops;
    m_bandSave = s->m_bandSave;
    m_bandSaveNo = s->m_bandSaveNo;
    m_component = s->m_component;
    m_componentSave = s->m_componentSave;
    m_componentSaveNo = s->m_componentSaveNo;
    m_saveLength = s->m_saveLength;
}

const stream::PropertyList& TppDrawText::StreamProperties() const {
    using T = TppDrawText;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, EnumTypeOf(TAlignment{}).values, TAlignment::taLeftJustify)
        .Boolean("AutoSize", &T::AutoSize, &T::SetAutoSize, false)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Object("Font", [](const T& t) -> const TppFont& { return *t.m_font; })
        .Boolean("IsMemo", &T::IsMemo, &T::SetIsMemo, false)
        .Integer("Leading", &T::Leading, &T::SetLeading, 0)
        .Integer("LineHeight", &T::LineHeight, &T::SetLineHeight, 0)
        .String("Text", &T::Text, &T::SetText)
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
        .Boolean("WordWrap", &T::WordWrap, &T::SetWordWrap, false)
        .Strings("WrappedText", &T::WrappedText, &T::SetWrappedText)
        .Strings("TabStopPositions", &T::TabStopPositions, &T::SetTabStopPositions)
        .Boolean("BandSave", &T::BandSave, &T::SetBandSave, false)
        .Integer("BandSaveNo", &T::BandSaveNo, &T::SetBandSaveNo, 0)
        .Boolean("ComponentSave", &T::ComponentSave, &T::SetComponentSave, false)
        .Integer("ComponentSaveNo", &T::ComponentSaveNo, &T::SetComponentSaveNo, 0)
        .Integer("SaveLength", &T::SaveLength, &T::SetSaveLength, 0);
    return table;
}

// TppDrawVar, TppDrawCalc ------------------------------------------------------------------

TppDrawVar::TppDrawVar(TComponent* AOwner) : TppDrawText(AOwner) {}

bool TppDrawVar::IsPageCountDependent() const {
    switch (m_varType) {
    case TppVarType::vtPageCount:
    case TppVarType::vtPageSet:
    case TppVarType::vtPageSetDesc:
    case TppVarType::vtPageNo:
    case TppVarType::vtPageNoDesc: return true;
    default: return false;
    }
}

bool TppDrawVar::UpdatePageCountText() {
    if (!IsPageCountDependent() || !Page()) return false;
    const TppPage* p = Page();
    const QString text = report::SystemVariableText(m_varType, p->PageNo(), p->PageCount(), true, p->PrintDateTime());
    const bool changed = text != Text();
    SetText(text);
    return changed;
}

void TppDrawVar::Assign(TPersistent* Source) {
    TppDrawText::Assign(Source);
    if (auto* s = qobject_cast<TppDrawVar*>(Source)) m_varType = s->m_varType;
}

const stream::PropertyList& TppDrawVar::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppDrawVar>(TppDrawText::StreamProperties())
        .Enum("VarType", &TppDrawVar::VarType, &TppDrawVar::SetVarType, EnumTypeOf(TppVarType{}).values, TppVarType::vtDate);
    return table;
}

TppDrawCalc::TppDrawCalc(TComponent* AOwner) : TppDrawText(AOwner) {}

bool TppDrawCalc::UpdatePageCountText() {
    if (!Page()) return false;
    if (m_calcType != TppCalcType::ctPageCount && m_calcType != TppCalcType::ctPageSet &&
        m_calcType != TppCalcType::ctPageSetDesc)
        return false;
    const TppPage* p = Page();
    const QString text = report::CalcText(m_calcType, p->PageNo(), p->PageCount(), true, p->PrintDateTime());
    const bool changed = text != Text();
    SetText(text);
    return changed;
}

void TppDrawCalc::Assign(TPersistent* Source) {
    TppDrawText::Assign(Source);
    if (auto* s = qobject_cast<TppDrawCalc*>(Source)) m_calcType = s->m_calcType;
}

const stream::PropertyList& TppDrawCalc::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppDrawCalc>(TppDrawText::StreamProperties())
        .Enum("CalcType", &TppDrawCalc::CalcType, &TppDrawCalc::SetCalcType, EnumTypeOf(TppCalcType{}).values,
              TppCalcType::ctDate);
    return table;
}

// TppDrawShape, TppDrawLine, TppDrawImage --------------------------------------------------

TppDrawShape::TppDrawShape(TComponent* AOwner) : TppDrawCommand(AOwner) { SetDataType(TppDataType::dtGraphic); }

void TppDrawShape::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    if (auto* s = qobject_cast<TppDrawShape*>(Source)) {
        m_shapeType = s->m_shapeType;
        m_xCornerRound = s->m_xCornerRound;
        m_yCornerRound = s->m_yCornerRound;
        m_brush.Value = s->m_brush.Value;
        m_pen.Value = s->m_pen.Value;
    }
}

const stream::PropertyList& TppDrawShape::StreamProperties() const {
    using T = TppDrawShape;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtGraphic)
        .Object("Brush", [](const T& t) { return &t.m_brush; })
        .Object("Pen", [](const T& t) { return &t.m_pen; })
        .Enum("ShapeType", &T::ShapeType, &T::SetShapeType, EnumTypeOf(TShapeType{}).values, TShapeType::stRectangle)
        .Integer("XCornerRound", &T::XCornerRound, &T::SetXCornerRound, 0)
        .Integer("YCornerRound", &T::YCornerRound, &T::SetYCornerRound, 0);
    return table;
}

TppDrawLine::TppDrawLine(TComponent* AOwner) : TppDrawCommand(AOwner) { SetDataType(TppDataType::dtGraphic); }

void TppDrawLine::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    if (auto* s = qobject_cast<TppDrawLine*>(Source)) {
        m_linePosition = s->m_linePosition;
        m_lineStyle = s->m_lineStyle;
        m_pen.Value = s->m_pen.Value;
        m_weight = s->m_weight;
    }
}

const stream::PropertyList& TppDrawLine::StreamProperties() const {
    using T = TppDrawLine;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtGraphic)
        .Enum("LinePosition", &T::LinePosition, &T::SetLinePosition, EnumTypeOf(TppLinePositionType{}).values,
              TppLinePositionType::lpTop)
        .Enum("LineStyle", &T::LineStyle, &T::SetLineStyle, EnumTypeOf(TppLineStyleType{}).values,
              TppLineStyleType::lsSingle)
        .Object("Pen", [](const T& t) { return &t.m_pen; })
        .Single("Weight", &T::Weight, &T::SetWeight, 0.0);
    return table;
}

TppDrawImage::TppDrawImage(TComponent* AOwner) : TppDrawCommand(AOwner) { SetDataType(TppDataType::dtGraphic); }

void TppDrawImage::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    if (auto* s = qobject_cast<TppDrawImage*>(Source)) {
        m_center = s->m_center;
        m_maintainAspectRatio = s->m_maintainAspectRatio;
        m_scale = s->m_scale;
        m_stretch = s->m_stretch;
        m_transparent = s->m_transparent;
        m_directDraw = s->m_directDraw;
        m_picture = s->m_picture;
    }
}

const stream::PropertyList& TppDrawImage::StreamProperties() const {
    using T = TppDrawImage;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Enum("DataType", &T::DataType, &T::SetDataType, EnumTypeOf(TppDataType{}).values, TppDataType::dtGraphic)
        .Boolean("Center", &T::Center, &T::SetCenter, false)
        .Boolean("MaintainAspectRatio", &T::MaintainAspectRatio, &T::SetMaintainAspectRatio, false)
        .Boolean("Scale", &T::Scale, &T::SetScale, false)
        .Boolean("Stretch", &T::Stretch, &T::SetStretch, false)
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
        .Boolean("DirectDraw", &T::DirectDraw, &T::SetDirectDraw, false)
        .Object("Picture", [](const T& c) -> const report::PictureObject& { return c.m_pictureObject; });
    return table;
}

const stream::PropertyList& report::PictureObject::StreamProperties() const {
    static const stream::PropertyTable<PictureObject> table;
    return table;
}

void report::PictureObject::DefineProperties(stream::Filer& filer) {
    filer.DefineBinaryProperty(
        QStringLiteral("Data"),
        [this](const QByteArray& bytes) {
            auto picture = paint::Picture::FromGraphicData(bytes);
            Value = picture ? *picture : paint::Picture();
        },
        [this] {
            QByteArray data = Value.Data();
            paint::PictureFormat format = Value.Format();
            if (data.isEmpty()) {
                QBuffer buffer(&data);
                buffer.open(QIODevice::WriteOnly);
                Value.Image().save(&buffer, "PNG");
                format = paint::PictureFormat::Png;
            }
            QByteArray name;
            switch (format) {
            case paint::PictureFormat::Bitmap: name = "TBitmap"; break;
            case paint::PictureFormat::Jpeg: name = "TJPEGImage"; break;
            case paint::PictureFormat::Png: name = "TPngImage"; break;
            case paint::PictureFormat::Icon: name = "TIcon"; break;
            case paint::PictureFormat::Gif: name = "TGIFImage"; break;
            case paint::PictureFormat::Metafile:
            case paint::PictureFormat::EnhancedMetafile: name = "TMetafile"; break;
            }
            QByteArray out;
            out.append(char(name.size()));
            out.append(name);
            if (format == paint::PictureFormat::Bitmap || format == paint::PictureFormat::Jpeg) {
                char length[4];
                qToLittleEndian<quint32>(quint32(data.size()), length);
                out.append(length, 4);
            }
            out.append(data);
            return out;
        },
        !Value.Image().isNull());
}

// TppDrawVariable --------------------------------------------------------------------------

TppDrawVariable::TppDrawVariable(TComponent* AOwner) : TppDrawText(AOwner) {}

TppDrawVariable::~TppDrawVariable() = default;

void TppDrawVariable::SetLookAhead(bool aOn) {
    m_lookAhead = aOn;
    if (aOn && !m_listener) m_listener = report::makeLookAheadListener(*this);
    if (!aOn) m_listener.reset();
}

bool TppDrawVariable::TakeLookAheadValue(const QString& aKey, int aTraversalCount, const QString& aText) {
    if (aKey != m_lookAheadKey) return false;
    if (aTraversalCount > m_traversalCount) {
        SetText(aText);
        m_traversalCount = aTraversalCount;
    }
    return true;
}

void TppDrawVariable::Assign(TPersistent* Source) {
    TppDrawText::Assign(Source);
    auto* s = qobject_cast<TppDrawVariable*>(Source);
    if (!s) return;
    m_lookAheadKey = s->m_lookAheadKey;
    SetLookAhead(s->m_lookAhead);
    if (m_lookAhead && m_listener && s->m_listener) m_listener->ListenLike(*s->m_listener);
}
