#include "report/model/printable.h"

#include "report/page/page.h"
#include "report/page/resource_manager.h"

#include "platform/paint/canvas.h"
#include "platform/stream/property_table.h"
#include "platform/ui/window_message.h"

#include <memory>
#include <QHash>
#include <QPainter>

namespace {

/// A new draw command of `aClass` without an owner, made by the class's constructor taking
/// one, as QMetaObject::newInstance would; the constructor is looked up once per class
/// (newInstance builds and searches its signature on every call, and a report makes a
/// draw command for every component it prints).
QObject* newDrawCommand(const QMetaObject* aClass) {
    thread_local QHash<const QMetaObject*, int> constructors;
    auto it = constructors.find(aClass);
    if (it == constructors.end()) {
        const QByteArray signature = QMetaObject::normalizedSignature(QByteArray(aClass->className()) + "(TComponent*)");
        it = constructors.insert(aClass, aClass->indexOfConstructor(signature.constData()));
    }
    if (*it < 0) return nullptr;
    TComponent* owner = nullptr;
    QObject* made = nullptr;
    void* arguments[] = {&made, &owner};
    if (aClass->static_metacall(QMetaObject::CreateInstance, *it, arguments) >= 0) return nullptr;
    return made;
}

void declarePrintableTexts() {
    static const bool done = [] {
        report::DeclareTexts({{154, "Set Caption"}, {203, "Data Field"}});
        return true;
    }();
    (void)done;
}

int screenToMM(int pixels, int selector) {
    return ppToMMThousandths(TppUnitType::utScreenPixels, selector, nullptr, float(pixels));
}

int mmToScreen(int mm, int selector) {
    return int(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, selector, nullptr));
}

}  // namespace

TppPrintable::TppPrintable(TComponent* AOwner)
    : TppCacheable(AOwner),
      m_font(std::make_unique<TppFont>()),
      m_mmHeight(screenToMM(17, report::kVertical)),
      m_mmWidth(screenToMM(65, report::kHorizontal)) {}

TppPrintable::~TppPrintable() {
    if (m_dataPipeline) RemoveNotify(m_dataPipeline);
    m_dataPipeline = nullptr;
}

// Conversions -----------------------------------------------------------------------------

float TppPrintable::fromMM(int value) const { return ppFromMMThousandths(value, m_units, report::kVertical, GetPrinter()); }

int TppPrintable::toMM(float value) const { return ppToMMThousandths(m_units, report::kVertical, GetPrinter(), value); }

float TppPrintable::Left() const { return fromMM(m_mmLeft); }
float TppPrintable::Top() const { return fromMM(m_mmTop); }
float TppPrintable::Width() const { return fromMM(m_mmWidth); }
float TppPrintable::Height() const { return fromMM(m_mmHeight); }

void TppPrintable::SetLeft(float v) {
    if (Reading()) m_mmLeft = int(v);
    else SetmmLeft(toMM(v));
}
void TppPrintable::SetTop(float v) {
    if (Reading()) m_mmTop = int(v);
    else SetmmTop(toMM(v));
}
void TppPrintable::SetWidth(float v) {
    if (Reading()) m_mmWidth = int(v);
    else SetmmWidth(toMM(v));
}
void TppPrintable::SetHeight(float v) {
    if (Reading()) m_mmHeight = int(v);
    else SetmmHeight(toMM(v));
}

void TppPrintable::SetBounds(float aLeft, float aTop, float aWidth, float aHeight) {
    const auto* printer = GetPrinter();
    SetmmBounds(ppToMMThousandths(m_units, report::kHorizontal, printer, aLeft),
                ppToMMThousandths(m_units, report::kVertical, printer, aTop),
                ppToMMThousandths(m_units, report::kVertical, printer, aHeight),
                ppToMMThousandths(m_units, report::kHorizontal, printer, aWidth));
}

int TppPrintable::spLeft() const { return mmToScreen(m_mmLeft, report::kHorizontal); }
int TppPrintable::spTop() const { return mmToScreen(m_mmTop, report::kVertical); }
int TppPrintable::spWidth() const { return mmToScreen(m_mmWidth, report::kHorizontal); }
int TppPrintable::spHeight() const { return mmToScreen(m_mmHeight, report::kVertical); }
void TppPrintable::SetspLeft(int v) { SetmmLeft(screenToMM(v, report::kHorizontal)); }
void TppPrintable::SetspTop(int v) { SetmmTop(screenToMM(v, report::kVertical)); }
void TppPrintable::SetspWidth(int v) { SetmmWidth(screenToMM(v, report::kHorizontal)); }
void TppPrintable::SetspHeight(int v) { SetmmHeight(screenToMM(v, report::kVertical)); }

void TppPrintable::SetSpBounds(int aLeft, int aTop, int aWidth, int aHeight) {
    SetmmBounds(screenToMM(aLeft, report::kHorizontal), screenToMM(aTop, report::kVertical),
                screenToMM(aHeight, report::kVertical), screenToMM(aWidth, report::kHorizontal));
}

// Setters ---------------------------------------------------------------------------------

void TppPrintable::SetmmHeight(int v) {
    m_mmHeight = v;
    BoundsChanged();
    Reset();
}
void TppPrintable::SetmmLeft(int v) {
    m_mmLeft = v;
    BoundsChanged();
    Reset();
}
void TppPrintable::SetmmTop(int v) {
    m_mmTop = v;
    BoundsChanged();
    Reset();
}
void TppPrintable::SetmmWidth(int v) {
    m_mmWidth = v;
    BoundsChanged();
    Reset();
}

void TppPrintable::SetmmBounds(int aLeft, int aTop, int aHeight, int aWidth) {
    m_mmLeft = aLeft;
    m_mmTop = aTop;
    m_mmHeight = aHeight;
    m_mmWidth = aWidth;
    BoundsChanged();
    Reset();
}

void TppPrintable::SetAlignment(TAlignment v) {
    if (v == m_alignment) return;
    m_alignment = v;
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetAutoSize(bool v) {
    if (v == m_autoSize) return;
    m_autoSize = v;
    CalcAutoSize();
    PropertyChange();
}

void TppPrintable::SetCaption(const QString& aText) {
    m_caption = aText;
    m_text = aText;
    if (m_autoSize) CalcAutoSize();
    InvalidateDesignControl();
    if (!IsDataAware()) PropertyChange();
}

void TppPrintable::SetColor(paint::TColor v) {
    if (!HasColor() || v == m_color) return;
    m_color = v;
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetDataField(const QString& aName) {
    if (!IsDataAware()) return;
    m_dataField = aName;
    if (aName.isEmpty())
        SetCaption(Name());
    else if (!CanShowData()) {
        QString alias = aName;
        if (m_dataPipeline) {
            try {
                alias = m_dataPipeline->GetFieldAlias(aName);
            } catch (const std::exception&) {
                alias = aName;
            }
        }
        SetCaption(alias);
    }
    PropertyChange();
    Reset();
}

void TppPrintable::SetDataPipeline(TppDataPipeline* aPipeline) {
    if (m_dataPipeline) RemoveNotify(m_dataPipeline);
    m_dataPipeline = aPipeline;
    if (aPipeline) AddNotify(aPipeline);
    Notify(aPipeline, ppopDataChange);
    if (!Reading()) {
        SendDesignerMessage(report::PPM_DATA_PIPELINE_CHANGED, report::kDesignerMarker, 0);
        Reset();
    }
}

void TppPrintable::SetFont(TppFont* aFont) {
    if (aFont) m_font->Assign(aFont);
    FontChanged();
    PropertyChange();
}

void TppPrintable::SetReprintOnOverFlow(bool v) {
    m_reprintOnOverFlow = v;
    PropertyChange();
    Reset();
}

void TppPrintable::SetShiftWithParent(bool v) {
    m_shiftWithParent = v;
    if (v) m_stretchWithParent = false;
    PropertyChange();
    Reset();
}

void TppPrintable::SetStretchWithParent(bool v) {
    m_stretchWithParent = v;
    if (v) m_shiftWithParent = false;
    PropertyChange();
    Reset();
}

void TppPrintable::SetText(const QString& aText) {
    m_text = aText;
    if (!IsDataAware()) PropertyChange();
}

void TppPrintable::SetTransparent(bool v) {
    m_transparent = v;
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetVisible(bool v) {
    if (v == m_visible) return;
    m_visible = v;
    PropertyChange();
    Reset();
}

void TppPrintable::SetWordWrap(bool v) {
    m_wordWrap = v;
    CalcAutoSize();
    PropertyChange();
    Reset();
}

void TppPrintable::SetBackground(paint::TColor aColor, bool aTransparent) {
    SetTransparent(aTransparent);
    if (!aTransparent) SetColor(aColor);
}

void TppPrintable::SetFontColor(paint::TColor aColor, bool aTransparent) {
    Q_UNUSED(aTransparent);
    if (HasFontColor()) m_font->SetColor(aColor);
}

void TppPrintable::GetBackground(paint::TColor& aColor, bool& aTransparent) const {
    if (HasColor()) {
        aColor = m_color;
        aTransparent = m_transparent;
    } else {
        aTransparent = true;
    }
}

void TppPrintable::GetFontColor(paint::TColor& aColor, bool& aTransparent) const {
    if (HasFontColor()) {
        aColor = m_font->Color();
        aTransparent = m_transparent;
    } else {
        aTransparent = true;
    }
}

// Design control ----------------------------------------------------------------------------

void TppPrintable::BoundsChanged() {
    if ((State() & ppsDesignControl) && !IsPrinting() && m_designControl) PropertyChange();
    const QSize size(m_mmWidth, m_mmHeight);
    if (size != m_paintedSize) {
        m_paintedSize = size;
        InvalidateDesignControl();
    }
}

void TppPrintable::InvalidateDesignControl() {
    m_caption.clear();
    if (m_designControl && (State() & ppsDesignControl) && !IsPrinting()) m_designBitmapStale = true;
}

QString TppPrintable::GetCaption() {
    if (m_caption.isEmpty() && (State() & ppsDesignControl) && !IsPrinting()) {
        m_caption = GetText();
        if (IsDataAware() && !CanShowData()) m_caption = m_dataField;
    }
    return m_caption;
}

QString TppPrintable::GetDefaultPropHint() const {
    declarePrintableTexts();
    if (IsDataAware()) return ppGetMessageText(203);
    if (DefaultPropName() == QLatin1String("Caption")) return ppGetMessageText(154);
    return {};
}

void TppPrintable::PaintDesignControl(paint::Canvas& aCanvas) {
    const QRectF rect(0, 0, spWidth(), spHeight());
    if (!m_transparent) {
        aCanvas.SetBrush(paint::Brush{m_color, paint::TBrushStyle::bsSolid});
        aCanvas.FillRect(rect);
    }
    aCanvas.SetFont(m_font->Font());
    aCanvas.TextRect(rect, 0, 0, GetCaption());
    aCanvas.SetBrush(paint::Brush{paint::clWhite, paint::TBrushStyle::bsClear});
    aCanvas.SetPen(paint::Pen{paint::clBlack, 1, paint::TPenStyle::psSolid});
    aCanvas.Rectangle(rect);
}

void TppPrintable::PaintDesignControlHandler(paint::Canvas& aCanvas) {
    if (!PaintBuffered()) {
        PaintDesignControl(aCanvas);
        return;
    }
    const QSize size(std::max(spWidth(), 1), std::max(spHeight(), 1));
    if (m_designBitmapStale || m_designBitmap.size() != size) {
        m_designBitmap = QImage(size, QImage::Format_RGB32);
        m_designBitmap.fill(Qt::white);
        QPainter painter(&m_designBitmap);
        paint::Canvas canvas(painter, aCanvas.PixelsPerInchX(), aCanvas.PixelsPerInchY());
        PaintDesignControl(canvas);
        m_designBitmapStale = false;
    }
    QPainter& target = aCanvas.Painter();
    const auto mode = target.compositionMode();
    if (m_transparent) target.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    target.drawImage(QPoint(0, 0), m_designBitmap);
    target.setCompositionMode(mode);
}

void TppPrintable::CreateDesignControl() {
    if (IsPrinting() || m_designControl) return;
    AddState(ppsDesignControl);
    SendDesignerMessage(report::PPM_CREATE_DESIGN_CONTROL, report::kDesignerMarker, qintptr(this));
    if (IsDataAware()) Notify(m_dataPipeline, ppopDataChange);
    BoundsChanged();
    Reset();
    InvalidateDesignControl();
}

void TppPrintable::DestroyDesignControl() {
    RemoveState(ppsDesignControl | ppsShowData);
    if (m_selectionObject) delete m_selectionObject.data();
    m_designBitmap = QImage();
    m_designBitmapStale = true;
    if (m_designControl) delete m_designControl.data();
}

void TppPrintable::SendDesignerMessage(int aMsg, qintptr aWParam, qintptr aLParam) {
    if (QObject* designer = GetDesigner()) ui::SendMessage(designer, aMsg, aWParam, aLParam);
}

void TppPrintable::PostDesignerMessage(int aMsg, qintptr aWParam, qintptr aLParam) {
    QObject* designer = GetDesigner();
    if (!designer) return;
    // A message about this printable follows it: the designer drops it when it was freed first.
    if (aLParam == qintptr(this)) ui::PostObjectMessage(designer, aMsg, aWParam, this);
    else ui::PostMessage(designer, aMsg, aWParam, aLParam);
}

// Data and generation -----------------------------------------------------------------------

bool TppPrintable::CanShowData() const {
    if (!IsDataAware() || m_dataField.isEmpty() || !m_dataPipeline) return false;
    try {
        if (!m_dataPipeline->GetActive()) return false;
        const bool designing = (State() & ppsDesignControl) != 0;
        if (designing && !IsPrinting() && m_dataPipeline->GetFieldIsCalculated(m_dataField)) return false;
        return !designing || (State() & ppsShowData) || IsPrinting();
    } catch (const std::exception&) {
        return false;
    }
}

TppDrawCommand* TppPrintable::CreateDrawCommand(TppPage* aPage) {
    if (!m_drawCommandClass) return nullptr;
    // Held here until the page (or this printable) owns it: filling it may fail (a damaged
    // picture), and the command must not outlive that failure.
    std::unique_ptr<QObject> created(newDrawCommand(m_drawCommandClass));
    auto* command = qobject_cast<TppDrawCommand*>(created.get());
    if (!command) return nullptr;
    PropertiesToDrawCommand(command);
    if (OnDrawCommandClick)
        command->SetOnClick(this, [this](QObject*, TppDrawCommand* c) { DrawCommandClick(c); });
    if (aPage) command->SetPrintableArea(aPage->PageDef()->PrintableRect());
    if (OnDrawCommandCreate) OnDrawCommandCreate(this, command);
    created.release();
    if (aPage)
        command->SetPage(aPage);
    else
        command->setParent(this);  // no page to own it
    return command;
}

void TppPrintable::DrawCommandClick(TppDrawCommand* aDrawCommand) {
    if (aDrawCommand && OnDrawCommandClick) OnDrawCommandClick(this, aDrawCommand);
}

void TppPrintable::FontChanged() {
    CalcAutoSize();
    InvalidateDesignControl();
}

void TppPrintable::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    aDrawCommand->SetTag(Tag());
    if (IsDataAware() && m_dataPipeline && !m_dataField.isEmpty()) {
        try {
            aDrawCommand->SetDataType(m_dataPipeline->GetFieldDataType(m_dataField));
        } catch (const std::exception&) {
            aDrawCommand->SetDataType(TppDataType::dtNotKnown);
        }
    }
}

void TppPrintable::ResetGeneration() {
    m_generationComplete = false;
    m_spaceUsed = 0;
    m_outOfSpace = false;
}

void TppPrintable::InitGeneration() {
    m_overFlow = false;
    if (HasComputeState()) ResetValue();
}

void TppPrintable::GeneratePage(TppPage* aPage) {
    if (m_drawComponent && m_visible) CreateDrawCommand(aPage);
}

void TppPrintable::DoPrint() {
    if (OnPrint) OnPrint(this);
    ppSendEventNotify(this, this, report::ciPrintableOnPrint, nullptr);
}

void TppPrintable::ConvertFromVersion(int aVersion) {
    if (aVersion < 1270 && !m_legacyReportField.isEmpty()) m_dataField = m_legacyReportField;
    if (aVersion <= 2096) {
        m_mmLeft = screenToMM(m_mmLeft, report::kHorizontal);
        m_mmWidth = screenToMM(m_mmWidth, report::kHorizontal);
        m_mmTop = screenToMM(m_mmTop, report::kVertical);
        m_mmHeight = screenToMM(m_mmHeight, report::kVertical);
    }
    if (aVersion < 3530) SetUserName(UserNameFromName(Name()));
}

// Communicator overrides --------------------------------------------------------------------

void TppPrintable::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCacheable::Notify(aCommunicator, aOperation);
    if (aOperation == ppopRemove && aCommunicator && aCommunicator == m_dataPipeline) {
        m_dataPipeline = nullptr;
        Reset();
    }
    if (aOperation == ppopDataChange) InvalidateDesignControl();
}

void TppPrintable::PropertyChange() {
    TppCacheable::PropertyChange();
    if (IsPrinting() || (State() & (ppsCreatingDesignControls | ppsTemplateLoading))) return;
    SendDesignerMessage(report::PPM_COMPONENT_CHANGED, report::kDesignerMarker, qintptr(this));
}

void TppPrintable::StateChange(TppCommunicatorStates aStates) {
    TppCacheable::StateChange(aStates);
    if ((aStates & ppsShowData) && IsDataAware()) Notify(m_dataPipeline, ppopDataChange);
}

void TppPrintable::SetName(const QString& aName) {
    TppCacheable::SetName(aName);
    InvalidateDesignControl();
    PostDesignerMessage(report::PPM_NAME_CHANGED, report::kDesignerMarker, qintptr(this));
}

void TppPrintable::SetUserName(const QString& aName) {
    TppCacheable::SetUserName(aName);
    InvalidateDesignControl();
    PostDesignerMessage(report::PPM_NAME_CHANGED, report::kDesignerMarker, qintptr(this));
}

void TppPrintable::Loaded() {
    RemoveState(ppsPasting);
    TppCacheable::Loaded();
}

// Stream ------------------------------------------------------------------------------------

const stream::PropertyList& TppPrintable::StreamProperties() const {
    using T = TppPrintable;
    static const auto table = stream::PropertyTable<T>(TppCacheable::StreamProperties())
        .String("UserName", &T::UserName, [](T& p, const QString& v) { p.SetUserName(v); })
        .Event("OnPrint", &T::OnPrintHandler, &T::SetOnPrintHandler);
    return table;
}

void TppPrintable::DefineProperties(stream::Filer& filer) {
    TppCacheable::DefineProperties(filer);
    const struct {
        const char* name;
        int TppPrintable::*field;
    } lengths[] = {{"mmHeight", &TppPrintable::m_mmHeight},
                   {"mmLeft", &TppPrintable::m_mmLeft},
                   {"mmTop", &TppPrintable::m_mmTop},
                   {"mmWidth", &TppPrintable::m_mmWidth}};
    for (const auto& l : lengths) {
        int TppPrintable::*field = l.field;
        filer.DefineProperty(
            QString::fromLatin1(l.name), [this, field](const stream::Value& v) { this->*field = ppReadMMValue(v); },
            [this, field] { return stream::Value::Integer(this->*field); }, true);
    }
    if (filer.IsWriting()) return;
    filer.DefineProperty(
        QStringLiteral("DataSource"), [this](const stream::Value& v) { m_legacyDataSource = v.AsText(); }, {}, false);
    filer.DefineProperty(QStringLiteral("OnFormatText"), [](const stream::Value&) {}, {}, false);
    filer.DefineProperty(QStringLiteral("Region"), [](const stream::Value&) {}, {}, false);
    filer.DefineProperty(
        QStringLiteral("ReportField"), [this](const stream::Value& v) { m_legacyReportField = v.AsText(); }, {}, false);
    filer.DefineProperty(QStringLiteral("ParentDataSource"), [](const stream::Value&) {}, {}, false);
}
