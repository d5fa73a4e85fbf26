#pragma once

// The report wizard dresses the report it builds with a style (fonts, band colours, line
// colours and widths per kind of band) and a layout (where group fields and column labels go,
// and which lines and boxes frame each band). Each style and each layout is a small class,
// found by its registered class name at build time, that first decides a setting for every
// band of the report and then applies them in one pass. Lengths are screen pixels.

#include "report/model/band.h"
#include "report/model/custom_report.h"
#include "report/page/class_library.h"
#include "report/page/report_font.h"

#include "platform/paint/color.h"

#include <QPointer>

#include <memory>
#include <vector>

class TppBand;
class TppCustomReport;
class TppReportStyle;
class TppReportLayout;

namespace report {
/// The kind of a band for styles and layouts: the header band and a child report's title
/// band are the page head; the footer band and a child report's summary band the page foot.
enum class WizardBandKind { PageHead, Title, PageFoot, Detail, Other };
WizardBandKind WizardBandKindOf(const TppBand* aBand);
/// Registers the six styles and eight layouts by class name (once); UnRegister removes them.
void RegisterWizardStylesAndLayouts();
void UnRegisterWizardStylesAndLayouts();
/// A new style or layout of the registered class of that name, owned by aOwner and made for
/// the report; none when no such class is registered.
TppReportStyle* CreateWizardStyle(const QString& aClassName, TComponent* aOwner, TppCustomReport* aReport);
TppReportLayout* CreateWizardLayout(const QString& aClassName, TComponent* aOwner, TppCustomReport* aReport);
}  // namespace report

/// The look of one kind of band.
class TppBandStyle : public TComponent {
    Q_OBJECT
public:
    explicit TppBandStyle(TComponent* aOwner = nullptr);
    paint::TColor Color = paint::clWhite;
    TppFont* Font() const { return m_font.get(); }
    paint::TColor LineColor = paint::clBlack;
    int LineWidth = 1;

private:
    std::unique_ptr<TppFont> m_font;
};

/// A style: one band style per band class of the report.
class TppReportStyle : public TComponent {
    Q_OBJECT
public:
    explicit TppReportStyle(TComponent* aOwner = nullptr);
    ~TppReportStyle() override;

    /// Walks the report's bands in band order: a band whose class is not listed yet gets a
    /// new band style, initialised for it; later bands of that class share it.
    void SetReport(TppCustomReport* aReport);
    TppCustomReport* Report() const { return m_report; }
    /// The style of the band's class; none when not listed.
    TppBandStyle* GetBandStyle(const TppBand* aBand) const;
    /// Fonts for text components (labels excepted), line colours and widths, and a band
    /// colour shape behind the components of a band whose colour is not white.
    void Apply(TppCustomReport* aReport);

protected:
    virtual void InitBandStyle(TppBandStyle* aBandStyle, TppBand* aBand);

private:
    QPointer<TppCustomReport> m_report;
    std::vector<const QMetaObject*> m_bandClasses;
    std::vector<std::unique_ptr<TppBandStyle>> m_bandStyles;
};

/// How one band is framed: 0 none, 1 single lines above and below, 2 double lines above and
/// below, 3 a single line above, 4 a single line below, 5 a box around the band's content,
/// 6 a box around each component.
class TppBandLayout : public TComponent {
    Q_OBJECT
public:
    explicit TppBandLayout(TComponent* aOwner = nullptr) : TComponent(aOwner) {}
    int LayoutType = 0;
};

/// A layout: one band layout per band, where the group fields and the column labels go.
class TppReportLayout : public TComponent {
    Q_OBJECT
public:
    explicit TppReportLayout(TComponent* aOwner = nullptr);
    ~TppReportLayout() override;

    /// Makes one band layout (type 0) per band and initialises it.
    void SetReport(TppCustomReport* aReport);
    TppCustomReport* Report() const { return m_report; }
    TppBandLayout* GetBandLayout(const TppBand* aBand) const;
    /// Fits each band's height to its components and adds the lines and boxes of its type.
    void Apply(TppCustomReport* aReport);

    bool GroupFieldsInHeaders = false;
    int LabelTop = 5;
    QPointer<TppBand> LabelBand;
    bool StepGroupFields = false;

protected:
    virtual void InitBandLayout(TppBandLayout* aBandLayout, TppBand* aBand);
    /// The group header of the innermost (1) or outermost (-1) group, 0 otherwise.
    static int GroupHeaderPosition(const TppBand* aBand);

private:
    void addBoxes(TppBand* aBand);
    QPointer<TppCustomReport> m_report;
    std::vector<TppBand*> m_bands;
    std::vector<std::unique_ptr<TppBandLayout>> m_bandLayouts;
};

// The styles and layouts: each class only initialises its band settings. They are made by
// class name (report::CreateWizardStyle, report::CreateWizardLayout).
#define DOSSARA_WIZARD_STYLE(Name)                                                             \
    class Name : public TppReportStyle {                                                       \
    public:                                                                                    \
        explicit Name(TComponent* aOwner = nullptr) : TppReportStyle(aOwner) {}                \
                                                                                               \
    protected:                                                                                 \
        void InitBandStyle(TppBandStyle* aBandStyle, TppBand* aBand) override;                 \
    };

DOSSARA_WIZARD_STYLE(TppBoldStyle)
DOSSARA_WIZARD_STYLE(TppCasualStyle)
DOSSARA_WIZARD_STYLE(TppCompactStyle)
DOSSARA_WIZARD_STYLE(TppCorporateStyle)
DOSSARA_WIZARD_STYLE(TppFormalStyle)
DOSSARA_WIZARD_STYLE(TppSoftGrayStyle)

#define DOSSARA_WIZARD_LAYOUT(Name)                                                            \
    class Name : public TppReportLayout {                                                      \
    public:                                                                                    \
        explicit Name(TComponent* aOwner = nullptr) : TppReportLayout(aOwner) {}               \
                                                                                               \
    protected:                                                                                 \
        void InitBandLayout(TppBandLayout* aBandLayout, TppBand* aBand) override;              \
    };

DOSSARA_WIZARD_LAYOUT(TppTabularLayout)
DOSSARA_WIZARD_LAYOUT(TppVerticalLayout)
DOSSARA_WIZARD_LAYOUT(TppSteppedLayout)
DOSSARA_WIZARD_LAYOUT(TppBlockLayout)
DOSSARA_WIZARD_LAYOUT(TppOutline1Layout)
DOSSARA_WIZARD_LAYOUT(TppOutline2Layout)
DOSSARA_WIZARD_LAYOUT(TppAlignLeft1Layout)
DOSSARA_WIZARD_LAYOUT(TppAlignLeft2Layout)
