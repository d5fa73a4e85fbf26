#pragma once

#include "report/model/cacheable.h"
#include "report/model/data_pipeline.h"
#include "report/page/draw_command.h"
#include "report/page/report_font.h"
#include "report/page/report_types.h"
#include "report/page/units.h"

#include "platform/paint/color.h"

#include <QImage>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>

class TppPage;

namespace paint {
class Canvas;
}


/// The base of every component a band prints: position and size in mm-thousandths relative
/// to the band (shown in Units), font, colour, caption and text, an optional data binding
/// (pipeline and field), shift and stretch settings, and the draw command it makes for a
/// page. In the designer it owns a design control, which the designer creates on request and
/// the printable paints; it talks to the designer only through designer messages sent to
/// GetDesigner's window.
///
/// Generation state: InitGeneration → BeforeGenerate (DrawComponent := Visible) → Generate
/// (subclasses) → GeneratePage (a draw command when DrawComponent) → EndGenerate;
/// ResetGeneration clears GenerationComplete, SpaceUsed and OutOfSpace.
///
/// Invariant: ShiftWithParent and StretchWithParent are never both set.
class TppPrintable : public TppCacheable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPrintable(TComponent* AOwner = nullptr);
    ~TppPrintable() override;

    // Virtual operations (in the order subclasses override them).
    virtual void CalcAutoSize() { InvalidateDesignControl(); }
    virtual void BoundsChanged();
    virtual bool PaintBuffered() const { return true; }
    /// A data-aware printable bound to an open pipeline and a field, shown with data.
    virtual bool CanShowData() const;
    /// Makes the draw command of draw-command class, fills it and adds it to aPage.
    virtual TppDrawCommand* CreateDrawCommand(TppPage* aPage);
    virtual void DrawCommandClick(TppDrawCommand* aDrawCommand);
    virtual void FontChanged();
    virtual QString GetCaption();
    virtual QString GetDefaultPropHint() const;
    virtual QString GetDescription() const { return UserName(); }
    /// The window designer messages go to; none here.
    virtual QObject* GetDesigner() const { return nullptr; }
    virtual int GetLanguageIndex() const { return 0; }
    /// The printer for printer-pixel conversions; none here.
    virtual const report::PrinterResolution* GetPrinter() const { return nullptr; }
    virtual void InvalidateDesignControl();
    /// Background (unless Transparent), caption at the top left, black frame.
    virtual void PaintDesignControl(paint::Canvas& aCanvas);
    virtual void PageHook() {}
    /// Copies Tag and, for a bound data-aware printable, the field's data type.
    virtual void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand);
    virtual void BeforeGenerate() { m_drawComponent = m_visible; }
    virtual void EndGenerate() {
        if (m_generationComplete) m_drawComponent = false;
    }
    virtual void ResetGeneration();
    virtual void ResetValue() { m_resetOnCompute = false; }
    virtual void Compute() {}
    virtual void ReleaseLookAheads() {}
    virtual void DestroyDesignControl();
    /// Prints the printable in the current generation step; nothing here.
    virtual void Generate() {}
    virtual void GetBackground(paint::TColor& aColor, bool& aTransparent) const;
    virtual void GetFontColor(paint::TColor& aColor, bool& aTransparent) const;
    virtual QString GetText() const { return m_text; }
    virtual bool HasColor() const { return true; }
    virtual bool HasFontColor() const { return true; }
    virtual void InitGeneration();
    virtual void CreateDesignControl();
    virtual bool HasComputeState() const { return false; }
    virtual bool IsDrillDownCandidate() const { return true; }
    virtual bool IsDataAware() const { return false; }
    virtual void LanguageChanged() {}
    virtual bool IsPrinting() const { return false; }
    virtual void GeneratePage(TppPage* aPage);
    virtual void Reset() {}
    virtual void PrepareRun() {}
    virtual void FinishRun() {}
    /// Brings a printable read from an older template up to date.
    virtual void ConvertFromVersion(int aVersion);

    // Properties.
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);
    void SetCaption(const QString& aText);
    paint::TColor Color() const { return m_color; }
    void SetColor(paint::TColor v);
    QString DataField() const { return m_dataField; }
    void SetDataField(const QString& aName);
    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline* aPipeline);
    int DefaultPropEditType() const { return IsDataAware() ? 2 : 1; }
    QString DefaultPropName() const { return IsDataAware() ? QStringLiteral("DataField") : m_defaultPropName; }
    QObject* DesignControl() const { return m_designControl; }
    /// Set by the designer when it created the control.
    void SetDesignControl(QObject* aControl) { m_designControl = aControl; }
    bool DrawComponent() const { return m_drawComponent; }
    void SetDrawComponent(bool v) { m_drawComponent = v; }
    TppFont* Font() const { return m_font.get(); }
    void SetFont(TppFont* aFont);
    bool GenerationComplete() const { return m_generationComplete; }
    void SetGenerationComplete(bool v) { m_generationComplete = v; }
    int mmHeight() const { return m_mmHeight; }
    int mmLeft() const { return m_mmLeft; }
    int mmTop() const { return m_mmTop; }
    int mmWidth() const { return m_mmWidth; }
    virtual void SetmmHeight(int v);
    virtual void SetmmLeft(int v);
    virtual void SetmmTop(int v);
    virtual void SetmmWidth(int v);
    virtual void SetmmBounds(int aLeft, int aTop, int aHeight, int aWidth);
    bool OutOfSpace() const { return m_outOfSpace; }
    void SetOutOfSpace(bool v) { m_outOfSpace = v; }
    bool OverFlow() const { return m_overFlow; }
    void SetOverFlow(bool v) { m_overFlow = v; }
    bool ParentHeight() const { return m_parentHeight; }
    void SetParentHeight(bool v) { m_parentHeight = v; }
    bool ParentWidth() const { return m_parentWidth; }
    void SetParentWidth(bool v) { m_parentWidth = v; }
    /// Where the printable was last placed on the page, mm-thousandths.
    QRect PrintRect() const { return m_printRect; }
    void SetPrintRect(const QRect& r) { m_printRect = r; }
    bool ReprintOnOverFlow() const { return m_reprintOnOverFlow; }
    void SetReprintOnOverFlow(bool v);
    bool ResetOnCompute() const { return m_resetOnCompute; }
    void SetResetOnCompute(bool v) { m_resetOnCompute = v; }
    bool ShiftWithParent() const { return m_shiftWithParent; }
    void SetShiftWithParent(bool v);
    int SpaceUsed() const { return m_spaceUsed; }
    void SetSpaceUsed(int v) { m_spaceUsed = v; }
    bool StretchWithParent() const { return m_stretchWithParent; }
    void SetStretchWithParent(bool v);
    QString Text() const { return m_text; }
    void SetText(const QString& aText);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType v) { m_units = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);
    int ZOrder() const { return m_zOrder; }
    void SetZOrder(int v) { m_zOrder = v; }
    QString OnPrintHandler() const { return m_onPrintHandler; }  ///< stored handler name
    void SetOnPrintHandler(const QString& v) { m_onPrintHandler = v; }
    /// Legacy values read from old templates.
    QString LegacyDataSource() const { return m_legacyDataSource; }
    QString LegacyReportField() const { return m_legacyReportField; }

    // In Units (converted with GetPrinter, vertical selector for all four).
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void SetLeft(float v);
    void SetTop(float v);
    void SetWidth(float v);
    void SetHeight(float v);
    void SetBounds(float aLeft, float aTop, float aWidth, float aHeight);
    // In screen pixels, truncated.
    int spLeft() const;
    int spTop() const;
    int spWidth() const;
    int spHeight() const;
    void SetspLeft(int v);
    void SetspTop(int v);
    void SetspWidth(int v);
    void SetspHeight(int v);
    void SetSpBounds(int aLeft, int aTop, int aWidth, int aHeight);
    // The same by the names the scripting and cross-tab sides call them.
    void SetSpTop(int v) { SetspTop(v); }
    void SetSpLeft(int v) { SetspLeft(v); }
    void SetSpWidth(int v) { SetspWidth(v); }
    void SetSpHeight(int v) { SetspHeight(v); }
    int GetSpWidth() const { return spWidth(); }
    int GetSpHeight() const { return spHeight(); }

    /// Sets the background: transparent, or the colour.
    void SetBackground(paint::TColor aColor, bool aTransparent);
    void SetFontColor(paint::TColor aColor, bool aTransparent);

    /// Runs OnPrint, then raises event OnPrint (32) to subscribers.
    void DoPrint();
    /// Sends a designer message synchronously / posts it; nothing without a designer.
    void SendDesignerMessage(int aMsg, qintptr aWParam, qintptr aLParam);
    void PostDesignerMessage(int aMsg, qintptr aWParam, qintptr aLParam);
    /// Paints the design control through the design bitmap (see PaintBuffered).
    void PaintDesignControlHandler(paint::Canvas& aCanvas);
    /// The design bitmap after the last buffered paint.
    const QImage& DesignBitmap() const { return m_designBitmap; }

    std::function<void(QObject* Sender)> OnPrint;
    TppDrawCommandEvent OnDrawCommandCreate;
    TppDrawCommandEvent OnDrawCommandClick;

    // Overrides.
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void PropertyChange() override;
    void StateChange(TppCommunicatorStates aStates) override;
    void SetName(const QString& aName) override;
    void SetUserName(const QString& aName) override;
    void Loaded() override;

    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

protected:
    /// The draw-command class this printable makes; none here.
    void SetDrawCommandClass(TClass aClass) { m_drawCommandClass = aClass; }
    void SetDefaultPropName(const QString& v) { m_defaultPropName = v; }
    bool Reading() const { return HasState(csReading | csLoading); }

private:
    float fromMM(int value) const;
    int toMM(float value) const;

    TAlignment m_alignment = TAlignment::taLeftJustify;
    bool m_autoSize = false;
    QString m_caption;
    paint::TColor m_color = paint::clWhite;
    QString m_dataField;
    TppDataPipeline* m_dataPipeline = nullptr;  ///< linked both ways; cleared when it is freed
    QString m_defaultPropName;
    QImage m_designBitmap;
    bool m_designBitmapStale = true;
    QPointer<QObject> m_designControl;
    QPointer<QObject> m_selectionObject;
    TClass m_drawCommandClass = nullptr;
    bool m_drawComponent = false;
    std::unique_ptr<TppFont> m_font;
    bool m_generationComplete = false;
    int m_mmHeight = 0;
    int m_mmLeft = 0;
    int m_mmTop = 0;
    int m_mmWidth = 0;
    bool m_outOfSpace = false;
    bool m_overFlow = false;
    bool m_parentHeight = false;
    bool m_parentWidth = false;
    QRect m_printRect;
    bool m_reprintOnOverFlow = false;
    bool m_resetOnCompute = false;
    bool m_shiftWithParent = false;
    int m_spaceUsed = 0;
    bool m_stretchWithParent = false;
    QString m_text;
    bool m_transparent = false;
    TppUnitType m_units = TppUnitType::utInches;
    bool m_visible = true;
    bool m_wordWrap = false;
    int m_zOrder = 0;
    QString m_onPrintHandler;
    QString m_legacyDataSource;
    QString m_legacyReportField;
    QSize m_paintedSize;
};
