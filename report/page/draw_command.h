#pragma once

// The drawable elements of a generated page. A report component makes one or more draw
// commands for the part of itself that falls on a page and attaches them to the page
// (TppPage); devices draw them, file devices export their texts. All lengths are
// mm-thousandths from the paper's top left corner. A command belongs to at most one page,
// which owns it (the QObject parent) and is its parent in the component stream, so a page
// streams with its commands and is copied command by command.

#include "report/page/class_library.h"
#include "report/page/report_font.h"
#include "report/page/report_types.h"

#include "platform/paint/graphics.h"
#include "platform/paint/picture.h"
#include "platform/stream/persistent.h"

#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>

class TppPage;
class TppDrawCommand;

namespace report {

/// What a device offers the draw commands: the output side's devices implement it, so the
/// page layer needs nothing of the output.
class PageDevice {
public:
    virtual ~PageDevice() = default;
    /// Draws the command; answers whether it was drawn.
    virtual bool DrawCommand(TppDrawCommand& aDrawCommand) = 0;
    /// Draws a command again after its text changed (a page count that became known).
    virtual void RedrawCommand(TppDrawCommand& aDrawCommand) = 0;
};

/// Texts of the page-count-dependent commands. `aKnown` false (design time) shows page
/// numbers as 1; `aPrintDateTime` 0 means "now". Date and time texts use the current format
/// settings.
QString SystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, bool aKnown, double aPrintDateTime);
/// The same for calculation types of the same ordinals; ctCustom gives an empty text.
QString CalcText(TppCalcType aCalcType, int aPageNo, int aPageCount, bool aKnown, double aPrintDateTime);

/// A pen and a brush as streamed sub-objects ("Pen.Color", "Pen.Style", "Pen.Width";
/// "Brush.Color", "Brush.Style").
struct PenObject : stream::Persistent {
    paint::Pen Value;
    const stream::PropertyList& StreamProperties() const override;
};
struct BrushObject : stream::Persistent {
    paint::Brush Value;
    const stream::PropertyList& StreamProperties() const override;
};

/// A picture as a streamed sub-object: its defined property "Data" holds the graphic as the
/// class library streams it (the graphic's class name as a short string, then its bytes;
/// bitmaps and JPEG images with their 32-bit length first). A picture that cannot be read
/// back stays empty.
struct PictureObject : stream::Persistent {
    explicit PictureObject(paint::Picture& picture) : Value(picture) {}
    paint::Picture& Value;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
};

/// Registers every draw-command kind with the component stream's class registry and the
/// class library's registry (idempotent); TppPage::Assign finds command classes there.
void RegisterDrawCommands();

}  // namespace report

/// Click handler of a draw command: the component that made it and the command.
using TppDrawCommandClickEvent = std::function<void(QObject* Sender, TppDrawCommand* aDrawCommand)>;

/// The base of the draw commands. Published (streamed): Clickable, DataType, Left, Top,
/// Width, Height. The band, the click handler, the printable area, the device rectangle and
/// the drill-down fields live only in memory.
class TppDrawCommand : public TComponent, public stream::Component {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawCommand(TComponent* AOwner = nullptr);
    ~TppDrawCommand() override;

    QObject* Band() const { return m_band; }
    void SetBand(QObject* aBand) { m_band = aBand; }
    bool Clickable() const { return m_clickable; }
    void SetClickable(bool v) { m_clickable = v; }
    /// The page's printable area in mm-thousandths (paper less margins).
    QRect PrintableArea() const { return m_printableArea; }
    void SetPrintableArea(const QRect& r) { m_printableArea = r; }
    TppDataType DataType() const { return m_dataType; }
    void SetDataType(TppDataType v) { m_dataType = v; }
    /// Where the last device put the command, in its pixels.
    QRect GetDrawRect() const { return m_drawRect; }
    void SetDrawRect(const QRect& r) { m_drawRect = r; }
    QString DrillDownKey() const { return m_drillDownKey; }
    void SetDrillDownKey(const QString& v) { m_drillDownKey = v; }
    bool DrillDownDone() const { return m_drillDownDone; }
    void SetDrillDownDone(bool v) { m_drillDownDone = v; }
    int Left() const { return m_left; }
    void SetLeft(int v) { m_left = v; }
    int Top() const { return m_top; }
    void SetTop(int v) { m_top = v; }
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    int Height() const { return m_height; }
    void SetHeight(int v) { m_height = v; }
    /// The component whose click handler runs; the handler itself.
    QObject* ClickSender() const { return m_clickSender; }
    const TppDrawCommandClickEvent& OnClick() const { return m_onClick; }
    bool HasClickHandler() const { return bool(m_onClick); }
    void SetOnClick(QObject* aSender, TppDrawCommandClickEvent aHandler);

    TppPage* Page() const { return m_page; }
    /// Leaves the current page and joins aPage (which then owns the command); null only leaves.
    void SetPage(TppPage* aPage);

    /// Asks the device to draw the command.
    bool Draw(report::PageDevice& aDevice) { return aDevice.DrawCommand(*this); }
    /// The text of the command depends on the page count (or a value still to come).
    virtual bool IsPageCountDependent() const { return false; }
    /// Recomputes such a text; answers whether it changed.
    virtual bool UpdatePageCountText() { return false; }
    /// Runs the click handler when one is set.
    void DoDrawCommandClick();

    /// From another draw command: band, data type, device rectangle, drill-down key, size and
    /// place, click handler and Tag. Anything else fails as the persistent base does.
    void Assign(TPersistent* Source) override;

    // Component stream.
    const stream::PropertyList& StreamProperties() const override;
    QString StreamClassName() const override { return QString::fromLatin1(metaObject()->className()); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }

private:
    friend class TppPage;
    QPointer<QObject> m_band;
    bool m_clickable = false;
    QRect m_printableArea;
    TppDataType m_dataType = TppDataType::dtString;
    QRect m_drawRect;
    QString m_drillDownKey;
    bool m_drillDownDone = false;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    QPointer<QObject> m_clickSender;
    TppDrawCommandClickEvent m_onClick;
    TppPage* m_page = nullptr;
};

/// A text: one line, or the wrapped lines of a word-wrapped text or memo in WrappedText.
/// The export fields (BandSave ... SaveLength) say how the text-file export lays it out.
class TppDrawText : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawText(TComponent* AOwner = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v) { m_alignment = v; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v) { m_autoSize = v; }
    paint::TColor Color() const { return m_color; }
    void SetColor(paint::TColor v) { m_color = v; }
    TppFont* Font() const { return m_font.get(); }
    /// Copies the given font's values.
    void SetFont(TppFont* aFont);
    bool IsMemo() const { return m_isMemo; }
    void SetIsMemo(bool v) { m_isMemo = v; }
    int Leading() const { return m_leading; }  ///< mm-thousandths between lines
    void SetLeading(int v) { m_leading = v; }
    /// A memo's line pitch in mm-thousandths as its layout measured it (font height and
    /// leading); devices place its lines this far apart so that every line laid out on the
    /// page is drawn where the layout put it. 0: the device measures the font itself.
    int LineHeight() const { return m_lineHeight; }
    void SetLineHeight(int v) { m_lineHeight = v; }
    QString Text() const { return m_text; }
    void SetText(const QString& v) { m_text = v; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v) { m_wordWrap = v; }
    QStringList WrappedText() const { return m_wrappedText; }
    void SetWrappedText(const QStringList& v) { m_wrappedText = v; }
    QStringList TabStopPositions() const { return m_tabStops; }  ///< mm-thousandths
    void SetTabStopPositions(const QStringList& v) { m_tabStops = v; }
    bool BandSave() const { return m_bandSave; }
    void SetBandSave(bool v) { m_bandSave = v; }
    int BandSaveNo() const { return m_bandSaveNo; }
    void SetBandSaveNo(int v) { m_bandSaveNo = v; }
    QObject* Component() const { return m_component; }  ///< the text component that made it
    void SetComponent(QObject* v) { m_component = v; }
    bool ComponentSave() const { return m_componentSave; }
    void SetComponentSave(bool v) { m_componentSave = v; }
    int ComponentSaveNo() const { return m_componentSaveNo; }
    void SetComponentSaveNo(int v) { m_componentSaveNo = v; }
    int SaveLength() const { return m_saveLength; }
    void SetSaveLength(int v) { m_saveLength = v; }

    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TAlignment m_alignment = TAlignment::taLeftJustify;
    bool m_autoSize = false;
    paint::TColor m_color = paint::clWhite;
    std::unique_ptr<TppFont> m_font;
    bool m_isMemo = false;
    int m_leading = 0;
    int m_lineHeight = 0;
    QString m_text;
    bool m_transparent = false;
    bool m_wordWrap = false;
    QStringList m_wrappedText;
    QStringList m_tabStops;
    bool m_bandSave = false;
    int m_bandSaveNo = 0;
    QPointer<QObject> m_component;
    bool m_componentSave = false;
    int m_componentSaveNo = 0;
    int m_saveLength = 0;
};

/// A system variable's text; page numbers and counts are filled in when they are known.
class TppDrawVar : public TppDrawText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawVar(TComponent* AOwner = nullptr);
    TppVarType VarType() const { return m_varType; }
    void SetVarType(TppVarType v) { m_varType = v; }
    /// vtPageCount, vtPageSet, vtPageSetDesc, vtPageNo and vtPageNoDesc.
    bool IsPageCountDependent() const override;
    /// For those types the text is made again from the page's numbers.
    bool UpdatePageCountText() override;
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppVarType m_varType = TppVarType::vtDate;
};

class TppDrawVariable;

namespace report {

/// What listens, on behalf of a look-ahead draw command, for the final values its report
/// component broadcasts later (communicator event 67). The model supplies it through the
/// factory below, so the page layer needs nothing of the communicators.
class LookAheadListener {
public:
    virtual ~LookAheadListener() = default;
    /// Still waiting for values (its event set not emptied).
    virtual bool Listening() const = 0;
    /// Subscribes to every object `aOther` is linked to (a copied command keeps waiting).
    virtual void ListenLike(const LookAheadListener& aOther) = 0;
};
using LookAheadListenerFactory = std::function<std::unique_ptr<LookAheadListener>(TppDrawVariable& aCommand)>;
/// Installed by the model at start-up; without one a look-ahead command never updates.
void SetLookAheadListenerFactory(LookAheadListenerFactory aFactory);
/// A listener from the installed factory; null without one.
std::unique_ptr<LookAheadListener> makeLookAheadListener(TppDrawVariable& aCommand);

}  // namespace report

/// A variable's or calculation's text whose final value may arrive later (a total printed
/// before the rows it sums). While the look-ahead flag is set the command owns a listener;
/// each value for its key with a larger traversal count replaces the text, and a value for
/// another key ends the listening, after which the text is final.
class TppDrawVariable : public TppDrawText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawVariable(TComponent* AOwner = nullptr);
    ~TppDrawVariable() override;

    bool LookAhead() const { return m_lookAhead; }
    /// On: creates the listener once; off: frees it.
    void SetLookAhead(bool aOn);
    QString LookAheadKey() const { return m_lookAheadKey; }
    void SetLookAheadKey(const QString& v) { m_lookAheadKey = v; }
    int TraversalCount() const { return m_traversalCount; }
    void SetTraversalCount(int v) { m_traversalCount = v; }
    report::LookAheadListener* Listener() const { return m_listener.get(); }

    /// A value arrived: same key and a larger count take the text and the count (answers
    /// true: keep listening); another key answers false (stop listening).
    bool TakeLookAheadValue(const QString& aKey, int aTraversalCount, const QString& aText);

    bool IsPageCountDependent() const override { return m_lookAhead; }
    bool UpdatePageCountText() override { return m_lookAhead && m_listener && m_listener->Listening(); }
    /// Copies the key and the flag; a copy with the flag set listens where the source does.
    void Assign(TPersistent* Source) override;

private:
    bool m_lookAhead = false;
    QString m_lookAheadKey;
    int m_traversalCount = 0;
    std::unique_ptr<report::LookAheadListener> m_listener;
};

/// A calculation's text of the system-variable kind.
class TppDrawCalc : public TppDrawText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawCalc(TComponent* AOwner = nullptr);
    TppCalcType CalcType() const { return m_calcType; }
    void SetCalcType(TppCalcType v) { m_calcType = v; }
    bool IsPageCountDependent() const override { return true; }
    /// ctPageCount, ctPageSet and ctPageSetDesc are made again from the page's numbers.
    bool UpdatePageCountText() override;
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppCalcType m_calcType = TppCalcType::ctDate;
};

/// A shape (rectangle, square, rounded, ellipse, circle) with pen and brush.
class TppDrawShape : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawShape(TComponent* AOwner = nullptr);
    paint::Brush Brush() const { return m_brush.Value; }
    void SetBrush(const paint::Brush& v) { m_brush.Value = v; }
    paint::Pen Pen() const { return m_pen.Value; }
    void SetPen(const paint::Pen& v) { m_pen.Value = v; }
    TShapeType ShapeType() const { return m_shapeType; }
    void SetShapeType(TShapeType v) { m_shapeType = v; }
    int XCornerRound() const { return m_xCornerRound; }  ///< mm-thousandths
    void SetXCornerRound(int v) { m_xCornerRound = v; }
    int YCornerRound() const { return m_yCornerRound; }  ///< mm-thousandths
    void SetYCornerRound(int v) { m_yCornerRound = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    report::BrushObject m_brush;
    report::PenObject m_pen;
    TShapeType m_shapeType = TShapeType::stRectangle;
    int m_xCornerRound = 0;
    int m_yCornerRound = 0;
};

/// A line along one edge of its rectangle, single or double, Weight in points.
class TppDrawLine : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawLine(TComponent* AOwner = nullptr);
    TppLinePositionType LinePosition() const { return m_linePosition; }
    void SetLinePosition(TppLinePositionType v) { m_linePosition = v; }
    TppLineStyleType LineStyle() const { return m_lineStyle; }
    void SetLineStyle(TppLineStyleType v) { m_lineStyle = v; }
    paint::Pen Pen() const { return m_pen.Value; }
    void SetPen(const paint::Pen& v) { m_pen.Value = v; }
    float Weight() const { return m_weight; }
    void SetWeight(float v) { m_weight = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppLinePositionType m_linePosition = TppLinePositionType::lpTop;
    TppLineStyleType m_lineStyle = TppLineStyleType::lsSingle;
    report::PenObject m_pen;
    float m_weight = 0;
};

/// A picture placed in its rectangle.
class TppDrawImage : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawImage(TComponent* AOwner = nullptr);
    bool Center() const { return m_center; }
    void SetCenter(bool v) { m_center = v; }
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool v) { m_maintainAspectRatio = v; }
    bool Scale() const { return m_scale; }
    void SetScale(bool v) { m_scale = v; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool v) { m_stretch = v; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool v) { m_directDraw = v; }
    const paint::Picture& Picture() const { return m_picture; }
    void SetPicture(const paint::Picture& v) { m_picture = v; }
    void Assign(TPersistent* Source) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_center = false;
    bool m_maintainAspectRatio = false;
    bool m_scale = false;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_directDraw = false;
    paint::Picture m_picture;
    report::PictureObject m_pictureObject{m_picture};
};
