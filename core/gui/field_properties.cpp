#include "core/gui/field_properties.h"

#include "core/confirmation.h"
#include "core/globals.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/customize_support.h"
#include "core/gui/form_helpers.h"
#include "core/gui/key_filters.h"
#include "core/internal/format_bridge.h"
#include "core/mask_helpers.h"
#include "core/text_helpers.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <type_traits>

namespace {

/// Calls a handler with the signal's arguments when it takes them, else without.
template <typename F, typename... A>
void callHandler(const F& f, const A&... args) {
    if constexpr (std::is_invocable_v<const F&, const A&...>)
        f(args...);
    else
        f();
}

const char* const kTypeLetters = "SNDBF";

int typeIndexOf(QChar letter) {
    const int i = QString::fromLatin1(kTypeLetters).indexOf(letter);
    return i < 0 ? 0 : i;
}

void setHelp(QWidget* w, int context) { w->setProperty("HelpContext", context); }

int numberOf(const QLineEdit* e) { return e->text().trimmed().toInt(); }

}  // namespace

namespace core {

ViewRect CalcLabelBounds(const TViewFieldDef& f) {
    if (!f.LabelUseBasic && f.LabelRelative == 4) return f.LabelPosition;
    const QFontMetrics m(FontOfField(f.LabelFont));
    const int h = m.height();
    const int w = m.horizontalAdvance(f.LabelCaption);
    const ViewRect& p = f.FieldPosition;
    ViewRect r{0, 0, h, w};
    const int aligned = f.LabelAlign == 1 ? p.Left + p.Width - w : f.LabelAlign == 2 ? p.Left + (p.Width - w) / 2 : p.Left;
    switch (f.LabelRelative) {
    case 0:
        r.Top = p.Top - h - 2;
        r.Left = aligned;
        break;
    case 1:
        r.Top = p.Top + p.Height + 2;
        r.Left = aligned;
        break;
    case 2:
        r.Top = p.Top + (p.Height - h) / 2;
        r.Left = p.Left - w - 3;
        break;
    case 3:
        r.Top = p.Top + (p.Height - h) / 2;
        r.Left = p.Left + p.Width + 3;
        break;
    default:
        r = f.LabelPosition;
    }
    return r;
}

}  // namespace core

TFieldProperties::TFieldProperties(TViewControl& views, core::ViewTables& tables, int view, int field, int top,
                                   int left, QChar typeLetter, bool isNew, QWidget* parent)
    : QDialog(parent), m_views(views), m_tables(tables), m_view(view), m_field(field), m_isNew(isNew),
      m_tool(typeLetter), m_placedTop(top), m_placedLeft(left), m_resultField(field) {
    setObjectName(QStringLiteral("FieldProperties"));
    setWindowTitle(QStringLiteral("Field & Label Properties"));
    buildControls();
    m_loading = true;
    if (m_isNew)
        loadNew();
    else
        loadExisting();
    applyLabelRules();
    refreshSample();
    m_modified = false;
    PageControl->setCurrentWidget(BasicsPage);
    m_loading = false;
}

void TFieldProperties::buildControls() {
    // ---- controls ----
    PageControl = ui::Make<QTabWidget>(this, "PageControl");
    BasicsPage = ui::Make<QWidget>(PageControl, "BasicsPage");
    FieldOptionsPage = ui::Make<QWidget>(PageControl, "FieldOptionsPage");
    LabelOptionsPage = ui::Make<QWidget>(PageControl, "LabelOptionsPage");

    auto* posGroup = ui::Make<QGroupBox>(BasicsPage, "FieldPositionGroup", QStringLiteral("Field Position/Size"));
    setHelp(posGroup, 60003);
    FP_Top = core::MakeDigitsEdit(posGroup, "FP_Top", 4);
    FP_Left = core::MakeDigitsEdit(posGroup, "FP_Left", 4);
    FP_Height = core::MakeDigitsEdit(posGroup, "FP_Height", 4);
    FP_Width = core::MakeDigitsEdit(posGroup, "FP_Width", 4);
    CalcWidthBtn = ui::Make<QPushButton>(posGroup, "CalcWidthBtn", QStringLiteral("Calculate required field width"));
    setHelp(CalcWidthBtn, 60027);
    FP_NoLabel = ui::Make<QCheckBox>(BasicsPage, "FP_NoLabel", QStringLiteral("No field label"));
    setHelp(FP_NoLabel, 60004);
    LabelPanel = ui::Make<QWidget>(BasicsPage, "LabelPanel");
    FP_LabelCaption = ui::Make<QLineEdit>(LabelPanel, "FP_LabelCaption");
    FP_LabelCaption->setMaxLength(50);
    setHelp(FP_LabelCaption, 60005);
    FP_BasicPosition = ui::Make<QGroupBox>(LabelPanel, "FP_BasicPosition", QStringLiteral("Label Position"));
    setHelp(FP_BasicPosition, 60006);
    m_basic = new QButtonGroup(this);
    const char* basicTexts[] = {"Above the field, left aligned", "Above the field, right aligned",
                                "Above the field, centered", "To the left of the field"};
    auto* basicBox = new QVBoxLayout(FP_BasicPosition);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(basicTexts[i]), FP_BasicPosition);
        b->setObjectName(QStringLiteral("FP_Basic%1").arg(i));
        m_basic->addButton(b, i);
        basicBox->addWidget(b);
    }
    BasicSetElsewhere = ui::Make<QLabel>(LabelPanel, "BasicSetElsewhere",
                                         QStringLiteral("Label Position has been set on the \"Label Options\" page. "
                                                        "Switch to that page to view or change the label position."));
    BasicSetElsewhere->setWordWrap(true);

    FP_FieldName = ui::Make<QLineEdit>(FieldOptionsPage, "FP_FieldName");
    FP_FieldName->setMaxLength(25);
    setHelp(FP_FieldName, 60007);
    FP_Type = ui::Make<QComboBox>(FieldOptionsPage, "FP_Type");
    FP_Type->addItems({QStringLiteral("String"), QStringLiteral("Number"), QStringLiteral("Date"),
                       QStringLiteral("True/False"), QStringLiteral("Floating Point")});
    setHelp(FP_Type, 60008);
    FP_Length = core::MakeDigitsEdit(FieldOptionsPage, "FP_Length", 3);
    setHelp(FP_Length, 60009);
    FP_ShowHint = ui::Make<QCheckBox>(FieldOptionsPage, "FP_ShowHint", QStringLiteral("Show hint"));
    setHelp(FP_ShowHint, 60010);
    FP_Hint = ui::Make<QLineEdit>(FieldOptionsPage, "FP_Hint");
    TypeOptions = ui::Make<QStackedWidget>(FieldOptionsPage, "TypeOptions");
    auto* maskPage = ui::Make<QGroupBox>(TypeOptions, "MaskGroup", QStringLiteral("Mask"));
    setHelp(maskPage, 60011);
    FP_Mask = ui::Make<QLineEdit>(maskPage, "FP_Mask");
    FP_Mask->setMaxLength(120);
    MaskBuilderBtn = ui::Make<QPushButton>(maskPage, "MaskBuilderBtn", QStringLiteral("..."));
    MaskBuilderBtn->setToolTip(QStringLiteral("Mask Builder wizard"));
    setHelp(MaskBuilderBtn, 60012);
    FP_MaskLiteral = ui::Make<QCheckBox>(maskPage, "FP_MaskLiteral", QStringLiteral("Save literal characters"));
    setHelp(FP_MaskLiteral, 60013);
    FP_MaskInHint = ui::Make<QCheckBox>(maskPage, "FP_MaskInHint", QStringLiteral("Show mask in hint"));
    setHelp(FP_MaskInHint, 60014);
    auto* checkPage = ui::Make<QGroupBox>(TypeOptions, "CheckAlignGroup", QStringLiteral("Checkbox Alignment"));
    setHelp(checkPage, 60015);
    m_checkAlign = new QButtonGroup(this);
    auto* checkLeft = ui::Make<QRadioButton>(checkPage, "FP_CheckLeft", QStringLiteral("Check on Left"));
    auto* checkRight = ui::Make<QRadioButton>(checkPage, "FP_CheckRight", QStringLiteral("Check on Right"));
    m_checkAlign->addButton(checkLeft, 0);
    m_checkAlign->addButton(checkRight, 1);
    auto* datePage = ui::Make<QWidget>(TypeOptions, "DateHintPage");
    FP_LongDateHint = ui::Make<QCheckBox>(datePage, "FP_LongDateHint", QStringLiteral("Show long date in hint"));
    setHelp(FP_LongDateHint, 60017);
    FP_DateFormatHint = ui::Make<QCheckBox>(datePage, "FP_DateFormatHint", QStringLiteral("Show date format in hint"));
    setHelp(FP_DateFormatHint, 60016);
    TypeOptions->addWidget(maskPage);
    TypeOptions->addWidget(checkPage);
    TypeOptions->addWidget(datePage);
    auto* colourGroup = ui::Make<QGroupBox>(FieldOptionsPage, "ColorFontGroup", QStringLiteral("Color/Font"));
    setHelp(colourGroup, 60018);
    NormalPanel = ui::Make<QPushButton>(colourGroup, "NormalPanel", QStringLiteral("Normal"));
    ChangedPanel = ui::Make<QPushButton>(colourGroup, "ChangedPanel", QStringLiteral("Changed"));
    ErrorPanel = ui::Make<QPushButton>(colourGroup, "ErrorPanel", QStringLiteral("Error"));

    FP_CaptionCopy = ui::Make<QLineEdit>(LabelOptionsPage, "FP_CaptionCopy");
    FP_CaptionCopy->setReadOnly(true);
    setHelp(FP_CaptionCopy, 60019);
    LabelColorPanel = ui::Make<QPushButton>(LabelOptionsPage, "LabelColorPanel", QStringLiteral("Color/Font"));
    setHelp(LabelColorPanel, 60020);
    for (QPushButton* p : {NormalPanel, ChangedPanel, ErrorPanel, LabelColorPanel}) {
        p->setFlat(true);
        p->setAutoDefault(false);
        p->setToolTip(QStringLiteral("Click to set font and background color"));
        p->setMinimumHeight(26);
    }
    FP_UseBasic = ui::Make<QCheckBox>(LabelOptionsPage, "FP_UseBasic", QStringLiteral("Use the basic label position"));
    setHelp(FP_UseBasic, 60021);
    AdvancedPanel = ui::Make<QWidget>(LabelOptionsPage, "AdvancedPanel");
    FP_Relative = ui::Make<QComboBox>(AdvancedPanel, "FP_Relative");
    FP_Relative->addItems({QStringLiteral("Above field"), QStringLiteral("Below field"), QStringLiteral("To left of field"),
                           QStringLiteral("To right of field"), QStringLiteral("Exact position")});
    setHelp(FP_Relative, 60022);
    FP_Align = ui::Make<QComboBox>(AdvancedPanel, "FP_Align");
    FP_Align->addItems({QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Center")});
    setHelp(FP_Align, 60023);
    FP_LabelTop = core::MakeDigitsEdit(AdvancedPanel, "FP_LabelTop", 4);
    FP_LabelLeft = core::MakeDigitsEdit(AdvancedPanel, "FP_LabelLeft", 4);
    FP_LabelHeight = core::MakeDigitsEdit(AdvancedPanel, "FP_LabelHeight", 4);
    FP_LabelWidth = core::MakeDigitsEdit(AdvancedPanel, "FP_LabelWidth", 4);

    auto* sampleGroup = ui::Make<QGroupBox>(this, "SampleGroup", QStringLiteral("Show..."));
    setHelp(sampleGroup, 60025);
    SampleState = ui::Make<QComboBox>(sampleGroup, "SampleState");
    SampleState->addItems({QStringLiteral("Normal"), QStringLiteral("Changed"), QStringLiteral("Error")});
    auto* sampleArea = ui::Make<QWidget>(sampleGroup, "SampleArea");
    sampleArea->setFixedSize(330, 90);
    SampleEdit = ui::Make<QLineEdit>(sampleArea, "SampleEdit", QStringLiteral("Sample"));
    SampleEdit->setReadOnly(true);
    SampleEdit->setGeometry(95, 33, 140, 24);
    const QRect labelPlaces[4] = {{95, 12, 140, 18}, {95, 60, 140, 18}, {0, 36, 92, 18}, {238, 36, 92, 18}};
    for (int i = 0; i < 4; ++i) {
        SampleLabels[i] = ui::Make<QLabel>(sampleArea, QStringLiteral("SampleLabel%1").arg(i).toLatin1().constData(),
                                           QStringLiteral("Sample Label"));
        SampleLabels[i]->setGeometry(labelPlaces[i]);
        setHelp(SampleLabels[i], 60026);
    }
    SampleCheck = ui::Make<QCheckBox>(sampleArea, "SampleCheck", QStringLiteral("Sample"));
    SampleCheck->setGeometry(95, 33, 140, 24);

    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setToolTip(QStringLiteral("Save Field and Label properties"));
    setHelp(OKBtn, 60001);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel changes"));
    setHelp(CancelBtn, 60002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    setHelp(HelpBtn, 60000);
    OKBtn->setDefault(true);

    // ---- layouts ----
    auto* pos = new QGridLayout(posGroup);
    core::AddPositionEdits(pos, posGroup, FP_Top, FP_Left, FP_Height, FP_Width);
    pos->addWidget(CalcWidthBtn, 2, 0, 1, 4);
    auto* labelBox = new QVBoxLayout(LabelPanel);
    labelBox->setContentsMargins(0, 0, 0, 0);
    auto* captionRow = new QFormLayout;
    captionRow->addRow(QStringLiteral("Field Label Caption"), FP_LabelCaption);
    labelBox->addLayout(captionRow);
    labelBox->addWidget(FP_BasicPosition);
    labelBox->addWidget(BasicSetElsewhere);
    auto* basics = new QVBoxLayout(BasicsPage);
    basics->addWidget(posGroup);
    basics->addWidget(FP_NoLabel);
    basics->addWidget(LabelPanel);
    basics->addStretch(1);

    auto* maskBox = new QGridLayout(maskPage);
    maskBox->addWidget(FP_Mask, 0, 0);
    maskBox->addWidget(MaskBuilderBtn, 0, 1);
    maskBox->addWidget(FP_MaskLiteral, 1, 0, 1, 2);
    maskBox->addWidget(FP_MaskInHint, 2, 0, 1, 2);
    auto* checkBox = new QVBoxLayout(checkPage);
    checkBox->addWidget(checkLeft);
    checkBox->addWidget(checkRight);
    auto* dateBox = new QVBoxLayout(datePage);
    dateBox->addWidget(FP_LongDateHint);
    dateBox->addWidget(FP_DateFormatHint);
    dateBox->addStretch(1);
    auto* colourBox = new QHBoxLayout(colourGroup);
    colourBox->addWidget(NormalPanel);
    colourBox->addWidget(ChangedPanel);
    colourBox->addWidget(ErrorPanel);
    auto* options = new QFormLayout(FieldOptionsPage);
    options->addRow(QStringLiteral("Name"), FP_FieldName);
    options->addRow(QStringLiteral("Type"), FP_Type);
    options->addRow(QStringLiteral("Length"), FP_Length);
    options->addRow(FP_ShowHint, FP_Hint);
    options->addRow(TypeOptions);
    options->addRow(colourGroup);

    auto* advanced = new QFormLayout(AdvancedPanel);
    advanced->setContentsMargins(0, 0, 0, 0);
    advanced->addRow(QStringLiteral("Relative Position"), FP_Relative);
    advanced->addRow(QStringLiteral("Alignment"), FP_Align);
    auto* exact = new QGridLayout;
    core::AddPositionEdits(exact, AdvancedPanel, FP_LabelTop, FP_LabelLeft, FP_LabelHeight, FP_LabelWidth);
    advanced->addRow(QStringLiteral("Exact Position"), exact);
    auto* labelOptions = new QFormLayout(LabelOptionsPage);
    labelOptions->addRow(QStringLiteral("Caption"), FP_CaptionCopy);
    labelOptions->addRow(QStringLiteral("Color/Font"), LabelColorPanel);
    labelOptions->addRow(FP_UseBasic);
    labelOptions->addRow(AdvancedPanel);

    PageControl->addTab(BasicsPage, QStringLiteral("Basics"));
    PageControl->addTab(FieldOptionsPage, QStringLiteral("Field Options"));
    PageControl->addTab(LabelOptionsPage, QStringLiteral("Label Options"));

    auto* sample = new QHBoxLayout(sampleGroup);
    sample->addWidget(SampleState);
    sample->addWidget(sampleArea, 1);
    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl, 1);
    main->addWidget(sampleGroup);
    main->addLayout(core::MakeButtonRow(OKBtn, CancelBtn, HelpBtn));

    // ---- connections ----
    // Runs a handler guarded; handlers taking the signal's argument get it.
    auto guarded = [this](auto f) {
        return [this, f](auto... args) { ui::RunGuarded(this, [&] { callHandler(f, args...); }); };
    };
    for (QLineEdit* e : {FP_Top, FP_Left, FP_Height, FP_Width})
        connect(e, &QLineEdit::textEdited, this, guarded([this] {
                    setModified();
                    applyLabelRules();
                }));
    for (QLineEdit* e : {FP_LabelTop, FP_LabelLeft, FP_LabelHeight, FP_LabelWidth, FP_Hint, FP_Length})
        connect(e, &QLineEdit::textEdited, this, [this] { setModified(); });
    for (QLineEdit* e : {FP_Top, FP_Left, FP_Height, FP_Width, FP_LabelTop, FP_LabelLeft, FP_LabelHeight, FP_LabelWidth})
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (!e->text().trimmed().isEmpty()) return;
            const bool label = e == FP_LabelTop || e == FP_LabelLeft || e == FP_LabelHeight || e == FP_LabelWidth;
            const bool height = e == FP_Height || e == FP_LabelHeight;
            const bool width = e == FP_Width || e == FP_LabelWidth;
            e->setText(height ? (label ? QStringLiteral("18") : QStringLiteral("24"))
                              : width ? QStringLiteral("100") : QStringLiteral("20"));
        });
    connect(FP_FieldName, &QLineEdit::textEdited, this, [this] { setModified(); });
    connect(FP_FieldName, &QLineEdit::editingFinished, this, [this] { FP_FieldName->setText(FP_FieldName->text().trimmed()); });
    FP_FieldName->installEventFilter(this);
    connect(FP_LabelCaption, &QLineEdit::textEdited, this, guarded([this] {
                if (m_loading) return;
                setModified();
                FP_CaptionCopy->setText(FP_LabelCaption->text());
                applyLabelRules();
            }));
    connect(FP_Type, &QComboBox::currentIndexChanged, this, guarded([this] { TypeChange(); }));
    connect(FP_Mask, &QLineEdit::textChanged, this, [this] {
        if (!m_loading) setModified();
        applyMaskRules();
    });
    FP_Mask->installEventFilter(this);
    connect(FP_ShowHint, &QCheckBox::toggled, this, [this](bool on) {
        FP_Hint->setEnabled(on);
        if (!on) FP_MaskInHint->setChecked(false);
        setModified();
    });
    connect(FP_MaskInHint, &QCheckBox::toggled, this, [this](bool on) {
        if (on) FP_ShowHint->setChecked(true);
        setModified();
    });
    for (QCheckBox* b : {FP_MaskLiteral, FP_LongDateHint, FP_DateFormatHint})
        connect(b, &QCheckBox::toggled, this, [this] { setModified(); });
    connect(m_checkAlign, &QButtonGroup::idClicked, this, [this] {
        setModified();
        refreshSample();
    });
    connect(m_basic, &QButtonGroup::idClicked, this, guarded([this] {
                setModified();
                if (FP_UseBasic->isChecked()) basicToAdvanced();
                applyLabelRules();
            }));
    connect(FP_UseBasic, &QCheckBox::toggled, this, guarded([this](bool on) {
                if (m_loading) return;
                setModified();
                if (on) basicToAdvanced();
                applyLabelRules();
            }));
    connect(FP_Relative, &QComboBox::currentIndexChanged, this, guarded([this] {
                if (m_loading) return;
                setModified();
                applyLabelRules();
            }));
    connect(FP_Align, &QComboBox::currentIndexChanged, this, guarded([this] {
                if (m_loading) return;
                setModified();
                applyLabelRules();
            }));
    connect(FP_NoLabel, &QCheckBox::toggled, this, guarded([this](bool on) {
                LabelPanel->setVisible(!on);
                PageControl->setTabVisible(PageControl->indexOf(LabelOptionsPage), !on);
                if (!on && !m_loading) {
                    FP_LabelHeight->setText(QStringLiteral("24"));
                    FP_LabelWidth->setText(QStringLiteral("100"));
                }
                if (!m_loading) setModified();
                refreshSample();
            }));
    connect(SampleState, &QComboBox::currentIndexChanged, this, [this] { refreshSample(); });
    connect(CalcWidthBtn, &QPushButton::clicked, this, guarded([this] { calcWidth(); }));
    connect(MaskBuilderBtn, &QPushButton::clicked, this, guarded([this] {
                if (!core::Customize().RunMaskWizard) return;
                const QString mask = core::Customize().RunMaskWizard(typeLetter(), FP_Mask->text(), this);
                if (!mask.isEmpty()) FP_Mask->setText(mask);
            }));
    NormalPanel->setProperty("panelIndex", 0);
    ChangedPanel->setProperty("panelIndex", 1);
    ErrorPanel->setProperty("panelIndex", 2);
    LabelColorPanel->setProperty("panelIndex", 3);
    for (QPushButton* p : {NormalPanel, ChangedPanel, ErrorPanel, LabelColorPanel})
        connect(p, &QPushButton::clicked, this, guarded([this, p] { colourPanelClick(p, p->property("panelIndex").toInt()); }));
    connect(OKBtn, &QPushButton::clicked, this, guarded([this] {
                if (SaveFieldProperties()) accept();
            }));
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        m_modified = false;
        reject();
    });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(60000); });
}

// ---- loading ----

void TFieldProperties::loadNew() {
    for (core::FieldFont& f : m_fonts) f = core::FieldFont{};
    const int count = m_views.GetViewFieldCount(m_view);
    const QString name = QStringLiteral("Field_") + core::PadLeft(QString::number(std::max(count, 0)), 2, u'0');
    FP_FieldName->setText(name);
    FP_LabelCaption->setText(name);
    FP_CaptionCopy->setText(name);
    FP_Top->setText(QString::number(m_placedTop));
    FP_Left->setText(QString::number(m_placedLeft));
    FP_Height->setText(QStringLiteral("24"));
    FP_Width->setText(QStringLiteral("100"));
    m_basic->button(0)->setChecked(true);
    FP_NoLabel->setChecked(false);
    const bool check = m_tool == u'B';
    FP_Type->setCurrentIndex(typeIndexOf(check ? u'B' : u'S'));
    FP_Length->setText(check ? QString() : QStringLiteral("20"));
    TypeChange();
    FP_Mask->clear();
    FP_Hint->clear();
    FP_Hint->setEnabled(false);
    calcWidth();
    m_colours[0] = check ? core::kClBtnFace : core::kClWindow;
    m_colours[1] = core::kClYellow;
    m_colours[2] = core::kClRed;
    m_colours[3] = core::kClBtnFace;
    m_checkAlign->button(0)->setChecked(true);
    FP_UseBasic->setChecked(true);
    FP_Align->setCurrentIndex(0);
    FP_Relative->setCurrentIndex(0);
    FP_LabelTop->setText(QString::number(m_placedTop - 2));
    FP_LabelLeft->setText(QString::number(m_placedLeft));
    FP_LabelHeight->setText(QStringLiteral("24"));
    FP_LabelWidth->setText(QStringLiteral("100"));
    paintPanels();
}

void TFieldProperties::loadExisting() {
    const TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(m_field)];
    m_fonts[0] = f.NormalFont;
    m_fonts[1] = f.ChangedFont;
    m_fonts[2] = f.ErrorFont;
    m_fonts[3] = f.LabelFont;
    m_storedName = f.FieldName;
    m_storedType = f.FieldType;
    m_storedLength = f.FieldLength;
    m_storedMask = f.FieldMask;
    m_storedMaskLiteral = (f.FieldType == u'N' || f.FieldType == u'F') ? false : f.FieldMaskLiteral;
    m_isColumn = m_tables.ViewTableHasField(m_view, f.FieldName);
    FP_Top->setText(QString::number(f.FieldPosition.Top));
    FP_Left->setText(QString::number(f.FieldPosition.Left));
    FP_Height->setText(QString::number(f.FieldPosition.Height));
    FP_Width->setText(QString::number(f.FieldPosition.Width));
    FP_NoLabel->setChecked(!f.LabelIsVisible);
    FP_LabelCaption->setText(f.LabelCaption);
    FP_CaptionCopy->setText(f.LabelCaption);
    FP_FieldName->setText(f.FieldName);
    m_previousType = typeIndexOf(f.FieldType);
    FP_Type->setCurrentIndex(m_previousType);
    m_rememberedMask = f.FieldType == u'D' ? QString() : f.FieldMask;
    TypeChange();
    FP_Length->setText(f.FieldLength == 0 || typeLetter() != u'S' ? QString() : QString::number(f.FieldLength));
    m_colours[0] = f.NormalColor;
    m_colours[1] = f.ChangedColor;
    m_colours[2] = f.ErrorColor;
    m_colours[3] = f.LabelColor;
    FP_Mask->setText(f.FieldType == u'D' ? QString() : f.FieldMask);
    FP_MaskLiteral->setChecked(f.FieldMaskLiteral);
    FP_MaskInHint->setChecked(f.FieldMaskInHint);
    FP_ShowHint->setChecked(f.FieldShowHint);
    FP_Hint->setText(f.FieldHint);
    FP_Hint->setEnabled(f.FieldShowHint);
    FP_LongDateHint->setChecked(f.FieldLongDateHint);
    FP_DateFormatHint->setChecked(f.FieldDateFormatHint);
    m_checkAlign->button(f.CheckboxAlignment == 1 ? 1 : 0)->setChecked(true);
    FP_UseBasic->setChecked(f.LabelUseBasic);
    FP_Align->setCurrentIndex(std::clamp<int>(f.LabelAlign, 0, 2));
    FP_Relative->setCurrentIndex(std::clamp<int>(f.LabelRelative, 0, 4));
    FP_LabelTop->setText(QString::number(f.LabelPosition.Top));
    FP_LabelLeft->setText(QString::number(f.LabelPosition.Left));
    FP_LabelHeight->setText(QString::number(f.LabelPosition.Height));
    FP_LabelWidth->setText(QString::number(f.LabelPosition.Width));
    if (f.LabelUseBasic && f.LabelRelative != 4)
        m_basic->button(f.LabelRelative == 2 ? 3 : std::clamp<int>(f.LabelAlign, 0, 2))->setChecked(true);
    else
        m_basic->button(0)->setChecked(true);
    LabelPanel->setVisible(f.LabelIsVisible);
    PageControl->setTabVisible(PageControl->indexOf(LabelOptionsPage), f.LabelIsVisible);
    paintPanels();
}

// ---- rules ----

QChar TFieldProperties::typeLetter() const {
    const int i = FP_Type->currentIndex();
    return i >= 0 && i < 5 ? QChar::fromLatin1(kTypeLetters[i]) : u'S';
}

void TFieldProperties::setModified() {
    if (!m_loading) m_modified = true;
}

void TFieldProperties::TypeChange() {
    const QChar type = typeLetter();
    if (!m_isNew && m_isColumn && FP_Type->currentIndex() != m_previousType) {
        const QChar previous = QChar::fromLatin1(kTypeLetters[m_previousType]);
        QString refusal;
        if (m_storedType == u'D' && type != u'S' && type != u'D')
            refusal = QStringLiteral("This field is currently of type \"Date\". Date fields can only be converted to "
                                     "String fields. Press F1 for more information.");
        else if (type == u'D' && m_storedType != u'S' && m_storedType != u'D')
            refusal = QStringLiteral("Only String fields can be converted to Date fields. Press F1 for more information.");
        if (!refusal.isEmpty()) {
            ui::Message(refusal, ui::MessageKind::Error, ui::Button::Ok, 10001);
            FP_Type->blockSignals(true);
            FP_Type->setCurrentIndex(typeIndexOf(previous));
            FP_Type->blockSignals(false);
            return;
        }
    }
    const bool boolean = type == u'B';
    if (type == u'S' || type == u'N' || type == u'F') {
        TypeOptions->setCurrentIndex(0);
        if (!m_loading || m_isNew) FP_Mask->setText(m_rememberedMask);
    } else if (type == u'D') {
        if (!FP_Mask->text().isEmpty()) m_rememberedMask = FP_Mask->text();
        TypeOptions->setCurrentIndex(2);
    } else {
        if (!FP_Mask->text().isEmpty()) m_rememberedMask = FP_Mask->text();
        TypeOptions->setCurrentIndex(1);
    }
    FP_Length->setEnabled(type == u'S');
    if (type != u'S') FP_Length->clear();
    if (type == u'S' && FP_Length->text().isEmpty() && m_storedType == u'S' && m_storedLength > 0)
        FP_Length->setText(QString::number(m_storedLength));
    FP_BasicPosition->setEnabled(!boolean);
    CalcWidthBtn->setEnabled(!boolean);
    FP_UseBasic->setEnabled(!boolean);
    if (boolean) FP_UseBasic->setChecked(true);
    m_colours[0] = boolean ? core::kClBtnFace : (m_colours[0] == core::kClBtnFace ? core::kClWindow : m_colours[0]);
    applyLabelRules();
    applyMaskRules();
    paintPanels();
    if (!m_loading) {
        refreshSample();
        setModified();
    }
    m_previousType = FP_Type->currentIndex();
}

void TFieldProperties::applyMaskRules() {
    const QChar type = typeLetter();
    const bool hasMask = !FP_Mask->text().trimmed().isEmpty();
    FP_MaskInHint->setEnabled(hasMask);
    FP_MaskLiteral->setEnabled(hasMask && (type == u'S' || type == u'D'));
    if (!hasMask) {
        FP_MaskInHint->setChecked(false);
        FP_MaskLiteral->setChecked(false);
    } else if (type == u'N' || type == u'F') {
        FP_MaskLiteral->setChecked(false);
    }
}

void TFieldProperties::basicToAdvanced() {
    const int basic = m_basic->checkedId();
    FP_Relative->blockSignals(true);
    FP_Align->blockSignals(true);
    if (basic == 3) {
        FP_Relative->setCurrentIndex(2);
        FP_Align->setCurrentIndex(1);
    } else {
        FP_Relative->setCurrentIndex(0);
        FP_Align->setCurrentIndex(std::max(basic, 0));
    }
    FP_Relative->blockSignals(false);
    FP_Align->blockSignals(false);
}

void TFieldProperties::applyLabelRules() {
    const bool useBasic = FP_UseBasic->isChecked();
    FP_BasicPosition->setVisible(useBasic);
    BasicSetElsewhere->setVisible(!useBasic);
    AdvancedPanel->setEnabled(!useBasic);
    const bool exact = FP_Relative->currentIndex() == 4 && !useBasic;
    for (QLineEdit* e : {FP_LabelTop, FP_LabelLeft, FP_LabelHeight, FP_LabelWidth}) e->setEnabled(exact);
    FP_Align->setEnabled(!exact && !useBasic);
    if (!exact) {
        TViewFieldDef f;
        f.LabelUseBasic = useBasic;
        f.LabelRelative = short(FP_Relative->currentIndex());
        f.LabelAlign = short(FP_Align->currentIndex());
        f.FieldPosition = {numberOf(FP_Top), numberOf(FP_Left), numberOf(FP_Height), numberOf(FP_Width)};
        f.LabelCaption = FP_LabelCaption->text();
        f.LabelFont = m_fonts[3];
        const core::ViewRect r = core::CalcLabelBounds(f);
        FP_LabelTop->setText(QString::number(r.Top));
        FP_LabelLeft->setText(QString::number(r.Left));
        FP_LabelHeight->setText(QString::number(r.Height));
        FP_LabelWidth->setText(QString::number(r.Width));
    }
    refreshSample();
}

void TFieldProperties::paintPanels() {
    core::PaintPanel(NormalPanel, m_colours[0], m_fonts[0]);
    core::PaintPanel(ChangedPanel, m_colours[1], m_fonts[1]);
    core::PaintPanel(ErrorPanel, m_colours[2], m_fonts[2]);
    core::PaintPanel(LabelColorPanel, m_colours[3], m_fonts[3]);
}

void TFieldProperties::refreshSample() {
    const int state = std::max(0, SampleState->currentIndex());
    const bool boolean = typeLetter() == u'B';
    const bool noLabel = FP_NoLabel->isChecked();
    SampleCheck->setVisible(boolean);
    SampleEdit->setVisible(!boolean);
    if (boolean) {
        SampleCheck->setText(noLabel ? QString() : FP_LabelCaption->text());
        core::PaintPanel(SampleCheck, m_colours[state], m_fonts[state]);
        SampleCheck->setLayoutDirection(m_checkAlign->checkedId() == 1 ? Qt::RightToLeft : Qt::LeftToRight);
        SampleCheck->resize(std::clamp(numberOf(FP_Width), 1, 330), std::clamp(numberOf(FP_Height), 1, 90));
        for (QLabel* l : SampleLabels) l->hide();
        return;
    }
    core::PaintPanel(SampleEdit, m_colours[state], m_fonts[state]);
    const int relative = FP_UseBasic->isChecked() ? (m_basic->checkedId() == 3 ? 2 : 0) : FP_Relative->currentIndex();
    const int align = FP_UseBasic->isChecked() ? (m_basic->checkedId() == 3 ? 1 : std::max(0, m_basic->checkedId()))
                                               : FP_Align->currentIndex();
    for (int i = 0; i < 4; ++i) {
        core::PaintPanel(SampleLabels[i], m_colours[3], m_fonts[3]);
        SampleLabels[i]->setAlignment((align == 1 ? Qt::AlignRight : align == 2 ? Qt::AlignHCenter : Qt::AlignLeft) |
                                      Qt::AlignVCenter);
        SampleLabels[i]->setVisible(!noLabel && i == relative);
    }
}

void TFieldProperties::calcWidth() {
    const QChar type = typeLetter();
    QString text;
    if (type == u'B') return;
    if (type == u'S') {
        const int length = numberOf(FP_Length);
        if (length <= 0) return;  // nothing to measure
        text = QString(length, u'M');
    } else if (type == u'D') {
        text = QString(core::ShortDateFormat().size(), u'9');
    } else {
        text = QString(12, u'9');
    }
    FP_Width->setText(QString::number(core::TextWidthInFont(this, text, core::FontOfField(m_fonts[0]))));
    applyLabelRules();
    setModified();
}

void TFieldProperties::colourPanelClick(QPushButton* panel, int which) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ColorFontMenu"));
    QAction* font = menu.addAction(QStringLiteral("&Font attributes"));
    font->setToolTip(QStringLiteral("Select font attributes"));
    QAction* colour = menu.addAction(QStringLiteral("&Background color"));
    colour->setToolTip(QStringLiteral("Select field background color"));
    QAction* chosen = menu.exec(panel->mapToGlobal(QPoint(0, panel->height() + 2)));
    if (chosen == font) {
        if (auto f = core::ChooseFont(m_fonts[which], this)) m_fonts[which] = *f;
    } else if (chosen == colour) {
        if (auto c = core::ChooseColour(m_colours[which], this)) m_colours[which] = *c;
    } else {
        return;
    }
    setModified();
    paintPanels();
    applyLabelRules();
}

// ---- OK ----

bool TFieldProperties::fail(QWidget* page, QWidget* control, const QString& text, int help) {
    PageControl->setCurrentWidget(page);
    if (control) control->setFocus();
    ui::Message(text, ui::MessageKind::Error, ui::Button::Ok, help);
    return false;
}

bool TFieldProperties::SaveFieldProperties() {
    const QChar type = typeLetter();
    // 1. Name.
    const QString name = FP_FieldName->text().trimmed();
    FP_FieldName->setText(name);
    if (name.isEmpty()) return fail(FieldOptionsPage, FP_FieldName, QStringLiteral("The field name cannot be blank."), 10017);
    for (QChar c : name)
        if (!core::IsLetter(c) && !core::IsDigit(c) && c != u'_')
            return fail(FieldOptionsPage, FP_FieldName,
                        QStringLiteral("There are invalid characters in the Field Name. The name can only contain "
                                       "letters, numbers, or an underline."),
                        10129);
    if (name != m_storedName) {
        // Another field of the View, stored or still pending, may not carry the name either:
        // two columns of one name could never be made.
        bool taken = m_tables.ViewTableHasField(m_view, name);
        const auto& defs = m_views.ViewDefs[size_t(m_view)].FieldDefs;
        for (size_t i = 0; i < defs.size() && !taken; ++i)
            if ((m_isNew || int(i) != m_field) && !defs[i].MarkedForDelete &&
                defs[i].FieldName.compare(name, Qt::CaseInsensitive) == 0)
                taken = true;
        if (taken)
            return fail(FieldOptionsPage, FP_FieldName,
                        QStringLiteral("A field named \"") + name +
                            QStringLiteral("\" already exists in this View. Field names must be unique."),
                        10018);
    }
    // 2. Length.
    int length = 0;
    if (type == u'S') {
        if (FP_Length->text().trimmed().isEmpty())
            return fail(FieldOptionsPage, FP_Length, QStringLiteral("The field length cannot be blank."), 10019);
        length = numberOf(FP_Length);
        if (length < 1 || length > 255)
            return fail(FieldOptionsPage, FP_Length, QStringLiteral("The field length must be between 1 and 255."), 10020);
        if (!m_isNew && m_storedType == u'S' && length < m_storedLength && !m_askedLength) {
            m_askedLength = true;
            PageControl->setCurrentWidget(FieldOptionsPage);
            m_lengthAccepted =
                ui::Message(QStringLiteral("Warning! Changing the field length from %1 to %2 could result in the loss "
                                           "of data. Press F1 for more information.\r\rDo you want to save this length "
                                           "change?")
                                .arg(m_storedLength)
                                .arg(length),
                            ui::MessageKind::Warning, ui::Button::Yes | ui::Button::No, 10000) == ui::Button::Yes;
        }
        if (!m_isNew && m_storedType == u'S' && length < m_storedLength && !m_lengthAccepted) {
            FP_Length->setFocus();
            return false;
        }
    }
    // 3. Type.
    if (!m_isNew && m_isColumn && type != m_storedType) {
        if (!m_askedType) {
            m_askedType = true;
            PageControl->setCurrentWidget(FieldOptionsPage);
            m_typeAccepted =
                ui::Message(QStringLiteral("Warning! Changing the field type can result in loss of data. The field "
                                           "contents will be reformatted for the new field type, which can cause the "
                                           "field data to be cleared, truncated or changed. Press F1 for more "
                                           "information.\r\rDo you want to save this field type change?"),
                            ui::MessageKind::Warning, ui::Button::Yes | ui::Button::No, 10001) == ui::Button::Yes;
        }
        if (!m_typeAccepted) {
            FP_Type->setFocus();
            return false;
        }
    }
    // 4. Zero field size.
    if (numberOf(FP_Height) == 0 || numberOf(FP_Width) == 0) {
        if (!core::ConfirmAction(QStringLiteral("Setting the field height or width to zero will make the field invisible."),
                                 QStringLiteral("Field Properties: Zero Field Height/Width"), 60500)) {
            PageControl->setCurrentWidget(BasicsPage);
            (numberOf(FP_Height) != 0 ? FP_Width : FP_Height)->setFocus();
            return false;
        }
    }
    // 5. Mask.
    const QString mask = FP_Mask->text().trimmed();
    if (type != u'D' && type != u'B' && !core::MaskValidForFieldType(mask, type))
        return fail(FieldOptionsPage, FP_Mask,
                    QStringLiteral("There are characters in the Mask that are not valid for the field."), 10130);
    const bool literal = FP_MaskLiteral->isChecked();
    if (!m_isNew && !mask.isEmpty() && type != u'D' && type != u'B' &&
        (mask != m_storedMask.trimmed() || literal != m_storedMaskLiteral)) {
        if (!m_askedMask) {
            m_askedMask = true;
            m_maskAccepted = core::ConfirmAction(
                QStringLiteral("Changing the field mask when the field already has data could cause data to be "
                               "displayed incorrectly. The data itself will not be changed."),
                QStringLiteral("Field Properties: Mask Change"), 60510);
        }
        if (!m_maskAccepted) {
            PageControl->setCurrentWidget(FieldOptionsPage);
            FP_Mask->setFocus();
            return false;
        }
    }
    // 6. Zero label size.
    if (numberOf(FP_LabelHeight) == 0 || numberOf(FP_LabelWidth) == 0) {
        if (!core::ConfirmAction(QStringLiteral("Setting the label height or width to zero will make the label invisible."),
                                 QStringLiteral("Field Properties: Zero Label Height/Width"), 60520)) {
            PageControl->setCurrentWidget(LabelOptionsPage);
            FP_LabelHeight->setFocus();
            return false;
        }
    }
    // 7. Label caption.
    if (!FP_NoLabel->isChecked() && FP_LabelCaption->text().trimmed().isEmpty())
        return fail(BasicsPage, FP_LabelCaption,
                    QStringLiteral("The label caption cannot be blank. If you do not want this field to have a label, "
                                   "check the \"No field label\" checkbox."),
                    10022);

    // ---- writing ----
    int field = m_field;
    if (m_isNew) {
        field = m_views.AddNewField(m_view);
        if (field < 0) {
            ui::Message(QStringLiteral("A new field cannot be created. This field cannot be saved."),
                        ui::MessageKind::Error, ui::Button::Ok, 10016);
            return false;
        }
        m_views.SetFieldTabOrder(m_view, field, field);
    } else if (m_isColumn && (name != m_storedName || type != m_storedType || length != m_storedLength)) {
        m_views.RememberOriginalField(m_view, field);
    }
    TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(field)];
    f.FieldName = name;
    f.LabelCaption = FP_LabelCaption->text();
    f.FieldType = type;
    f.FieldLength = short(length);
    f.FieldMask = type == u'D' || type == u'B' ? QString() : FP_Mask->text();
    f.FieldMaskLiteral = type == u'F' && !mask.isEmpty() ? true : literal;
    f.FieldMaskInHint = FP_MaskInHint->isChecked();
    f.FieldShowHint = FP_ShowHint->isChecked();
    f.FieldHint = FP_Hint->text();
    f.FieldLongDateHint = FP_LongDateHint->isChecked();
    f.FieldDateFormatHint = FP_DateFormatHint->isChecked();
    f.FieldPosition = {numberOf(FP_Top), numberOf(FP_Left), numberOf(FP_Height), numberOf(FP_Width)};
    f.NormalFont = m_fonts[0];
    f.ChangedFont = m_fonts[1];
    f.ErrorFont = m_fonts[2];
    f.LabelFont = m_fonts[3];
    f.LabelUseBasic = FP_UseBasic->isChecked();
    f.LabelIsVisible = !FP_NoLabel->isChecked();
    f.NormalColor = m_colours[0];
    f.ChangedColor = m_colours[1];
    f.ErrorColor = m_colours[2];
    f.LabelColor = m_colours[3];
    f.CheckboxAlignment = short(std::max(0, m_checkAlign->checkedId()));
    f.LabelAlign = short(std::max(0, FP_Align->currentIndex()));
    f.LabelRelative = short(std::max(0, FP_Relative->currentIndex()));
    f.LabelPosition = {numberOf(FP_LabelTop), numberOf(FP_LabelLeft), numberOf(FP_LabelHeight), numberOf(FP_LabelWidth)};
    m_modified = false;
    m_resultField = field;
    return true;
}

void TFieldProperties::closeEvent(QCloseEvent* event) {
    const bool asked = core::AskToSaveOnClose(
        this, m_modified, event, [this] { return SaveFieldProperties(); },
        [this, event] {
            m_resultField = -1;
            m_modified = false;
            QDialog::closeEvent(event);
        });
    if (!asked) QDialog::closeEvent(event);
}

namespace core {

int ShowFieldProperties(TViewControl& views, ViewTables& tables, int view, int field, int top, int left,
                        QChar typeLetter, bool isNew, QWidget* parent) {
    if (!views.CheckViewIndex(view) || (!isNew && !views.CheckFieldIndex(view, field))) return field;
    TFieldProperties dialog(views, tables, view, field, top, left, typeLetter, isNew, parent);
    const int code = ui::ExecModal(dialog);
    const int result = dialog.ResultField();
    if (code == QDialog::Accepted && result >= 0 && Customize().RebuildFieldControl)
        Customize().RebuildFieldControl(view, result, false);
    return result;
}

}  // namespace core
