#include "report/designer/gui/report_wizard_styles.h"

#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/component_services.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/memo.h"
#include "report/model/report.h"
#include "report/model/text_components.h"
#include "report/page/units.h"

#include <QHash>

#include <algorithm>
#include <functional>

namespace {

using paint::TFontStyle;

bool isChildReport(const TppBand* aBand) {
    return aBand && qobject_cast<const TppChildReport*>(aBand->Report()) != nullptr;
}

/// Screen pixels of a length, as the components answer theirs.
int toPixels(int aMM, int aDirection) {
    return int(ppFromMMThousandths(aMM, TppUnitType::utScreenPixels, aDirection, nullptr));
}

int bandHeight(const TppBand* aBand) { return toPixels(aBand->mmHeight(), report::kVertical); }

/// Components that show text: texts (labels, data texts, variables, calculations) and memos.
bool showsText(const TppComponent* c) {
    return qobject_cast<const TppCustomText*>(c) || qobject_cast<const TppCustomMemo*>(c);
}

using StyleMaker = std::function<TppReportStyle*(TComponent*)>;
using LayoutMaker = std::function<TppReportLayout*(TComponent*)>;

struct Registry {
    QHash<QString, StyleMaker> styles;
    QHash<QString, LayoutMaker> layouts;
};

Registry& registry() {
    static Registry r;
    return r;
}

void setFont(TppBandStyle* s, const char* aName, int aSize, paint::TFontStyles aStyle, paint::TColor aColor) {
    s->Font()->SetName(QString::fromLatin1(aName));
    s->Font()->SetSize(aSize);
    s->Font()->SetStyle(aStyle);
    s->Font()->SetColor(aColor);
}

}  // namespace

namespace report {

WizardBandKind WizardBandKindOf(const TppBand* aBand) {
    if (!aBand) return WizardBandKind::Other;
    const bool child = isChildReport(aBand);
    if (qobject_cast<const TppHeaderBand*>(aBand)) return WizardBandKind::PageHead;
    if (qobject_cast<const TppTitleBand*>(aBand)) return child ? WizardBandKind::PageHead : WizardBandKind::Title;
    if (qobject_cast<const TppFooterBand*>(aBand)) return WizardBandKind::PageFoot;
    if (qobject_cast<const TppSummaryBand*>(aBand)) return child ? WizardBandKind::PageFoot : WizardBandKind::Other;
    if (qobject_cast<const TppDetailBand*>(aBand)) return WizardBandKind::Detail;
    return WizardBandKind::Other;
}

void RegisterWizardStylesAndLayouts() {
    Registry& r = registry();
    r.styles = {
        {QStringLiteral("TppBoldStyle"), [](TComponent* o) { return new TppBoldStyle(o); }},
        {QStringLiteral("TppCasualStyle"), [](TComponent* o) { return new TppCasualStyle(o); }},
        {QStringLiteral("TppCompactStyle"), [](TComponent* o) { return new TppCompactStyle(o); }},
        {QStringLiteral("TppCorporateStyle"), [](TComponent* o) { return new TppCorporateStyle(o); }},
        {QStringLiteral("TppFormalStyle"), [](TComponent* o) { return new TppFormalStyle(o); }},
        {QStringLiteral("TppSoftGrayStyle"), [](TComponent* o) { return new TppSoftGrayStyle(o); }},
    };
    r.layouts = {
        {QStringLiteral("TppTabularLayout"), [](TComponent* o) { return new TppTabularLayout(o); }},
        {QStringLiteral("TppVerticalLayout"), [](TComponent* o) { return new TppVerticalLayout(o); }},
        {QStringLiteral("TppSteppedLayout"), [](TComponent* o) { return new TppSteppedLayout(o); }},
        {QStringLiteral("TppBlockLayout"), [](TComponent* o) { return new TppBlockLayout(o); }},
        {QStringLiteral("TppOutline1Layout"), [](TComponent* o) { return new TppOutline1Layout(o); }},
        {QStringLiteral("TppOutline2Layout"), [](TComponent* o) { return new TppOutline2Layout(o); }},
        {QStringLiteral("TppAlignLeft1Layout"), [](TComponent* o) { return new TppAlignLeft1Layout(o); }},
        {QStringLiteral("TppAlignLeft2Layout"), [](TComponent* o) { return new TppAlignLeft2Layout(o); }},
    };
}

void UnRegisterWizardStylesAndLayouts() {
    registry().styles.clear();
    registry().layouts.clear();
}

TppReportStyle* CreateWizardStyle(const QString& aClassName, TComponent* aOwner, TppCustomReport* aReport) {
    const auto found = registry().styles.constFind(aClassName);
    if (found == registry().styles.constEnd()) return nullptr;
    TppReportStyle* style = (*found)(aOwner);
    style->SetReport(aReport);
    return style;
}

TppReportLayout* CreateWizardLayout(const QString& aClassName, TComponent* aOwner, TppCustomReport* aReport) {
    const auto found = registry().layouts.constFind(aClassName);
    if (found == registry().layouts.constEnd()) return nullptr;
    TppReportLayout* layout = (*found)(aOwner);
    layout->SetReport(aReport);
    return layout;
}

}  // namespace report

// Styles -------------------------------------------------------------------------------------

TppBandStyle::TppBandStyle(TComponent* aOwner) : TComponent(aOwner), m_font(std::make_unique<TppFont>()) {}

TppReportStyle::TppReportStyle(TComponent* aOwner) : TComponent(aOwner) {}

TppReportStyle::~TppReportStyle() = default;

void TppReportStyle::SetReport(TppCustomReport* aReport) {
    m_report = aReport;
    m_bandClasses.clear();
    m_bandStyles.clear();
    if (!aReport) return;
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        // The kind of a title or summary band depends on the report, not only on the class.
        if (GetBandStyle(band)) continue;
        m_bandClasses.push_back(band->metaObject());
        m_bandStyles.push_back(std::make_unique<TppBandStyle>());
        InitBandStyle(m_bandStyles.back().get(), band);
    }
}

TppBandStyle* TppReportStyle::GetBandStyle(const TppBand* aBand) const {
    if (!aBand) return nullptr;
    for (size_t i = 0; i < m_bandClasses.size(); ++i)
        if (m_bandClasses[i] == aBand->metaObject()) return m_bandStyles[i].get();
    return nullptr;
}

void TppReportStyle::InitBandStyle(TppBandStyle*, TppBand*) {}

void TppReportStyle::Apply(TppCustomReport* aReport) {
    if (!aReport) return;
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        const TppBandStyle* style = GetBandStyle(band);
        if (!style) continue;
        for (int k = 0; k < band->ObjectCount(); ++k) {
            TppComponent* c = band->Objects(k);
            if (showsText(c) && !qobject_cast<TppLabel*>(c)) c->SetFont(style->Font());
            if (auto* line = qobject_cast<TppLine*>(c)) {
                paint::Pen pen = line->Pen();
                pen.Color = style->LineColor;
                pen.Width = style->LineWidth;
                line->SetPen(pen);
            }
            if (style->Color != paint::clWhite && showsText(c)) c->SetTransparent(true);
        }
        if (style->Color == paint::clWhite) continue;
        // The band colour: a shape as large as the band behind everything, without a name.
        auto* shape = new TppShape(aReport->Owner() ? aReport->Owner() : aReport);
        paint::Pen pen = shape->Pen();
        pen.Color = style->Color;
        shape->SetPen(pen);
        paint::Brush brush = shape->Brush();
        brush.Color = style->Color;
        shape->SetBrush(brush);
        shape->SetBand(band);
        shape->SetspLeft(0);
        shape->SetspTop(0);
        shape->SetspWidth(band->GetSpWidth());
        shape->SetspHeight(bandHeight(band));
        shape->SendToBack();
    }
}

void TppBoldStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "TIMES NEW ROMAN", 10, {TFontStyle::fsBold}, paint::clBlack);
    s->LineColor = paint::clBlack;
    s->LineWidth = 1;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead:
        s->Font()->SetName(QStringLiteral("ARIAL"));
        s->LineColor = paint::clMaroon;
        s->LineWidth = 2;
        break;
    case report::WizardBandKind::Title:
        s->Font()->SetSize(20);
        s->Font()->SetColor(paint::clMaroon);
        break;
    case report::WizardBandKind::PageFoot: s->LineWidth = 3; break;
    case report::WizardBandKind::Detail: s->Font()->SetSize(9); break;
    case report::WizardBandKind::Other: break;
    }
}

void TppCasualStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "ARIAL", 10, {}, paint::clBlack);
    s->LineColor = paint::clTeal;
    s->LineWidth = 2;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead: s->Font()->SetStyle({TFontStyle::fsBold}); break;
    case report::WizardBandKind::Title:
        s->Font()->SetSize(24);
        s->Font()->SetStyle({TFontStyle::fsBold});
        s->Font()->SetColor(paint::clTeal);
        break;
    case report::WizardBandKind::PageFoot:
        s->Font()->SetSize(9);
        s->LineWidth = 5;
        break;
    case report::WizardBandKind::Detail:
    case report::WizardBandKind::Other: break;
    }
}

void TppCompactStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "HAETTENSCHWEILER", 10, {}, paint::clBlack);
    s->LineColor = paint::clBlack;
    s->LineWidth = 2;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead:
        s->Font()->SetSize(14);
        s->Font()->SetStyle({});
        break;
    case report::WizardBandKind::Title:
        s->Font()->SetSize(28);
        s->Font()->SetStyle({});
        break;
    case report::WizardBandKind::PageFoot:
        s->Font()->SetName(QStringLiteral("ARIAL"));
        s->Font()->SetSize(8);
        s->LineColor = paint::clGray;
        s->LineWidth = 1;
        break;
    case report::WizardBandKind::Detail:
        s->Font()->SetName(QStringLiteral("ARIAL"));
        s->Font()->SetSize(8);
        break;
    case report::WizardBandKind::Other: break;
    }
}

void TppCorporateStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "TIMES NEW ROMAN", 9, {}, paint::clNavy);
    s->LineColor = paint::clNavy;
    s->LineWidth = 2;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead:
        s->Font()->SetSize(11);
        s->Font()->SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
        break;
    case report::WizardBandKind::Title:
        s->Font()->SetSize(20);
        s->Font()->SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
        break;
    case report::WizardBandKind::PageFoot:
        s->Font()->SetSize(9);
        s->LineColor = paint::clGray;
        s->LineWidth = 2;
        break;
    case report::WizardBandKind::Detail:
        s->Font()->SetName(QStringLiteral("ARIAL"));
        s->Font()->SetSize(8);
        s->Font()->SetColor(paint::clBlack);
        break;
    case report::WizardBandKind::Other: break;
    }
}

void TppFormalStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "TIMES NEW ROMAN", 8, {}, paint::clBlack);
    s->LineColor = paint::clBlack;
    s->LineWidth = 2;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead:
        s->Font()->SetSize(10);
        s->Font()->SetStyle({TFontStyle::fsBold});
        break;
    case report::WizardBandKind::Title: s->Font()->SetSize(24); break;
    case report::WizardBandKind::PageFoot:
        s->LineColor = paint::clGray;
        s->LineWidth = 1;
        break;
    case report::WizardBandKind::Detail:
    case report::WizardBandKind::Other: break;
    }
}

void TppSoftGrayStyle::InitBandStyle(TppBandStyle* s, TppBand* aBand) {
    setFont(s, "ARIAL", 9, {}, paint::clBlack);
    s->LineColor = paint::clGray;
    s->LineWidth = 3;
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::PageHead: s->Font()->SetStyle({TFontStyle::fsBold}); break;
    case report::WizardBandKind::Title:
        s->Color = paint::clSilver;
        s->Font()->SetSize(24);
        s->Font()->SetStyle({TFontStyle::fsBold});
        s->Font()->SetColor(paint::clWhite);
        break;
    case report::WizardBandKind::PageFoot:
        s->Color = paint::clSilver;
        s->Font()->SetStyle({TFontStyle::fsBold});
        s->LineWidth = 3;
        break;
    case report::WizardBandKind::Detail:
        s->Font()->SetName(QStringLiteral("TIMES NEW ROMAN"));
        s->Font()->SetSize(11);
        break;
    case report::WizardBandKind::Other: break;
    }
}

// Layouts ------------------------------------------------------------------------------------

TppReportLayout::TppReportLayout(TComponent* aOwner) : TComponent(aOwner) {}

TppReportLayout::~TppReportLayout() = default;

void TppReportLayout::SetReport(TppCustomReport* aReport) {
    m_report = aReport;
    m_bands.clear();
    m_bandLayouts.clear();
    if (!aReport) return;
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        m_bands.push_back(band);
        m_bandLayouts.push_back(std::make_unique<TppBandLayout>());
        InitBandLayout(m_bandLayouts.back().get(), band);
    }
}

TppBandLayout* TppReportLayout::GetBandLayout(const TppBand* aBand) const {
    for (size_t i = 0; i < m_bands.size(); ++i)
        if (m_bands[i] == aBand) return m_bandLayouts[i].get();
    return nullptr;
}

void TppReportLayout::InitBandLayout(TppBandLayout*, TppBand*) {}

int TppReportLayout::GroupHeaderPosition(const TppBand* aBand) {
    const auto* header = qobject_cast<const TppGroupHeaderBand*>(aBand);
    if (!header || !header->Report()) return 0;
    const int groups = header->Report()->GroupCount();
    for (int g = 0; g < groups; ++g) {
        if (header->Report()->Groups(g)->HeaderBand() != header) continue;
        if (g == groups - 1) return 1;
        if (g == 0) return -1;
    }
    return 0;
}

void TppReportLayout::Apply(TppCustomReport* aReport) {
    if (!aReport) return;
    for (int i = 0; i < aReport->BandCount(); ++i) {
        TppBand* band = aReport->Bands(i);
        const TppBandLayout* layout = GetBandLayout(band);
        if (!layout) continue;
        int bottom = 0;
        int top = bandHeight(band);
        int left = band->GetSpWidth();
        for (int k = 0; k < band->ObjectCount(); ++k) {
            const TppComponent* c = band->Objects(k);
            bottom = std::max(bottom, c->spTop() + c->spHeight());
            top = std::min(top, c->spTop());
            left = std::min(left, c->spLeft());
        }
        band->SetSpHeight(bottom > 0 ? bottom + 5 : 0);
        if (layout->LayoutType == 6) addBoxes(band);
        if (band == LabelBand) top = LabelTop;
        const int width = band->GetSpWidth() - left - 5;
        auto line = [&](TppLineStyleType aStyle, int aTop) {
            auto* l = qobject_cast<TppLine*>(ppCreateComponent(aReport, &TppLine::staticMetaObject));
            if (!l) return;
            l->SetBand(band);
            l->SetStyle(aStyle);
            l->SetspLeft(left);
            l->SetspTop(aTop);
            l->SetspWidth(width);
            // Drawn along its top edge; low enough to stay inside the 5 pixels below the
            // band's lowest component.
            l->SetspHeight(4);
            l->SendToBack();
        };
        switch (layout->LayoutType) {
        case 1:
            line(TppLineStyleType::lsSingle, top);
            line(TppLineStyleType::lsSingle, bottom);
            break;
        case 2:
            line(TppLineStyleType::lsDouble, top);
            line(TppLineStyleType::lsDouble, bottom);
            break;
        case 3: line(TppLineStyleType::lsSingle, top); break;
        case 4: line(TppLineStyleType::lsSingle, bottom); break;
        case 5:
            if (auto* s = qobject_cast<TppShape*>(ppCreateComponent(aReport, &TppShape::staticMetaObject))) {
                s->SetBand(band);
                s->SetspLeft(left);
                s->SetspTop(top);
                s->SetspWidth(width);
                s->SetspHeight(bottom - top);
                s->SendToBack();
            }
            break;
        default: break;
        }
    }
}

void TppReportLayout::addBoxes(TppBand* aBand) {
    std::vector<TppComponent*> ordered;
    for (int k = 0; k < aBand->ObjectCount(); ++k) ordered.push_back(aBand->Objects(k));
    auto key = [](const TppComponent* c) { return QString::asprintf("%8d%8d", c->spTop(), c->spLeft()); };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const TppComponent* a, const TppComponent* b) { return key(a) < key(b); });
    int rowTop = -1;
    int partner = 0;
    int boxLeft = 0;
    for (size_t i = 0; i < ordered.size(); ++i) {
        const TppComponent* c = ordered[i];
        const int right = c->spLeft() + c->spWidth();
        if (i + 1 < ordered.size()) partner = ordered[i + 1]->spLeft();
        if (partner < c->spLeft())
            partner = right + 2;
        else if (partner == c->spLeft())
            partner = right + 4;
        if (c->spTop() != rowTop) {
            boxLeft = 2;
            rowTop = c->spTop();
        }
        const int middle = right + (partner - right) / 2;
        auto* box = qobject_cast<TppShape*>(ppCreateComponent(m_report, &TppShape::staticMetaObject));
        if (!box) continue;
        box->SetBand(aBand);
        box->SetspLeft(boxLeft);
        box->SetspTop(c->spTop() - 2);
        box->SetspHeight(c->spHeight() + 4);
        box->SetspWidth(middle - boxLeft + 1);
        box->SendToBack();
        boxLeft = middle;
    }
}

namespace {

struct LayoutRow {
    int title, pageHead, childTitle, detail, pageFoot, innermost, outermost;
    bool headLabels;      // the page head is the label band
    bool detailLabels;    // the detail band is the label band
    bool innerLabels;     // the innermost group header is the label band
};

void initFromRow(TppReportLayout* aLayout, TppBandLayout* aBandLayout, TppBand* aBand, const LayoutRow& r,
                 int aGroupHeaderPosition) {
    const bool child = isChildReport(aBand);
    switch (report::WizardBandKindOf(aBand)) {
    case report::WizardBandKind::Title: aBandLayout->LayoutType = r.title; break;
    case report::WizardBandKind::PageHead:
        if (child && qobject_cast<TppTitleBand*>(aBand)) {
            aBandLayout->LayoutType = r.childTitle;
            if (r.headLabels) {
                aLayout->LabelBand = aBand;
                aLayout->LabelTop = 41;
            }
        } else {
            aBandLayout->LayoutType = r.pageHead;
            if (r.headLabels) aLayout->LabelBand = aBand;
        }
        break;
    case report::WizardBandKind::Detail:
        aBandLayout->LayoutType = r.detail;
        if (r.detailLabels) aLayout->LabelBand = aBand;
        break;
    case report::WizardBandKind::PageFoot: aBandLayout->LayoutType = r.pageFoot; break;
    case report::WizardBandKind::Other:
        if (aGroupHeaderPosition == 1) {
            aBandLayout->LayoutType = r.innermost;
            if (r.innerLabels) aLayout->LabelBand = aBand;
        } else if (aGroupHeaderPosition == -1) {
            aBandLayout->LayoutType = r.outermost;
        }
        break;
    }
}

}  // namespace

void TppTabularLayout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    initFromRow(this, b, aBand, {0, 4, 4, 0, 4, 0, 0, true, false, false}, GroupHeaderPosition(aBand));
}

void TppVerticalLayout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    initFromRow(this, b, aBand, {0, 0, 0, 3, 4, 0, 0, false, true, false}, GroupHeaderPosition(aBand));
}

void TppSteppedLayout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    GroupFieldsInHeaders = true;
    StepGroupFields = true;
    initFromRow(this, b, aBand, {3, 1, 1, 0, 4, 0, 0, true, false, false}, GroupHeaderPosition(aBand));
}

void TppBlockLayout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    initFromRow(this, b, aBand, {3, 1, 1, 6, 4, 0, 0, true, false, false}, GroupHeaderPosition(aBand));
}

void TppOutline1Layout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    GroupFieldsInHeaders = true;
    StepGroupFields = true;
    initFromRow(this, b, aBand, {2, 0, 2, 0, 4, 1, 4, false, false, true}, GroupHeaderPosition(aBand));
}

void TppOutline2Layout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    GroupFieldsInHeaders = true;
    StepGroupFields = true;
    initFromRow(this, b, aBand, {1, 0, 1, 4, 4, 3, 5, false, false, true}, GroupHeaderPosition(aBand));
}

void TppAlignLeft1Layout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    GroupFieldsInHeaders = true;
    initFromRow(this, b, aBand, {2, 0, 2, 0, 4, 1, 4, false, false, true}, GroupHeaderPosition(aBand));
}

void TppAlignLeft2Layout::InitBandLayout(TppBandLayout* b, TppBand* aBand) {
    GroupFieldsInHeaders = true;
    initFromRow(this, b, aBand, {1, 0, 1, 4, 4, 3, 5, false, false, true}, GroupHeaderPosition(aBand));
}
