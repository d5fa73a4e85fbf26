#include "report/designer/gui/report_wizard_dialog.h"

#include "report/designer/gui/report_wizard.h"
#include "report/page/resource_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

namespace report {

void DeclareReportWizardTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {147, "&Landscape"},
            {148, "&Portrait"},
            {204, "Groups"},
            {217, "Orientation"},
            {255, "Order"},
            {343, "<None>"},
            {596, "Adjust field widths so all fields fit on page."},
            {597, "Align Left 1"},
            {598, "Align Left 2"},
            {599, "Available Fields"},
            {600, "Back"},
            {601, "Block"},
            {602, "Bold"},
            {603, "Casual"},
            {604, "Compact"},
            {605, "Corporate"},
            {606, "Data Pipeline Name"},
            {607, "Do you want to preview the report of modify the report's design?"},
            {608, "Fields must be selected before continuing."},
            {609, "Finish"},
            {610, "Formal"},
            {611, "How would you like to lay out your report?"},
            {612, "Layout"},
            {613, "Modify the report's design"},
            {614, "Next"},
            {615, "Outline 1"},
            {616, "Outline 2"},
            {617, "Please enter a title for your report."},
            {618, "Preview the report"},
            {619, "Priority"},
            {620, "Report Wizard"},
            {621, "Selected Fields"},
            {622, "Soft Gray"},
            {623, "Stepped"},
            {624, "Tabular"},
            {625, "That is all the information needed to create your report."},
            {626, "Vertical"},
            {627, "What style would you like?"},
            {629, "Which fields do you want on your report?"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

}  // namespace report

namespace {

template <class W>
W* make(QWidget* aParent, const char* aName, int x, int y, int w, int h) {
    auto* widget = new W(aParent);
    widget->setObjectName(QString::fromLatin1(aName));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(QWidget* aParent, const char* aName, int x, int y, int w, int h) {
    auto* l = make<QLabel>(aParent, aName, x, y, w, h);
    l->setWordWrap(true);
    return l;
}

QLabel* picture(QWidget* aParent, const char* aName, int x, int y, int w, int h) {
    auto* l = make<QLabel>(aParent, aName, x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QListWidget* list(QWidget* aParent, const char* aName, int x, int y, int w, int h, bool aMulti) {
    auto* l = make<QListWidget>(aParent, aName, x, y, w, h);
    l->setSelectionMode(aMulti ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    return l;
}

QToolButton* glyph(QWidget* aParent, const char* aName, int x, int y, const char* aText) {
    auto* b = make<QToolButton>(aParent, aName, x, y, 28, 24);
    b->setText(QString::fromLatin1(aText));
    return b;
}

}  // namespace

TppReportWizardDialog::TppReportWizardDialog(TppReportWizard* aWizard, QObject* aOwner)
    : TppForm(aOwner), m_wizard(aWizard) {
    report::DeclareReportWizardTexts();
    setObjectName(QStringLiteral("ppReportWizardDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(490, 363);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    build();
    connectActions();
    LanguageChanged();
}

void TppReportWizardDialog::build() {
    nbkWizard = make<QStackedWidget>(this, "nbkWizard", 0, 0, 490, 318);
    QWidget* pages[6];
    const char* pageNames[] = {"tshFields", "tshGroups", "tshSimpleLayout", "tshGroupLayout", "tshStyle", "tshFinish"};
    for (int i = 0; i < 6; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QString::fromLatin1(pageNames[i]));
        nbkWizard->addWidget(pages[i]);
    }
    btnCancel = make<QPushButton>(this, "btnCancel", 166, 328, 75, 25);
    btnBack = make<QPushButton>(this, "btnBack", 247, 328, 75, 25);
    btnNext = make<QPushButton>(this, "btnNext", 322, 328, 75, 25);
    btnFinish = make<QPushButton>(this, "btnFinish", 406, 328, 75, 25);
    btnNext->setDefault(true);

    // Field Selection.
    QWidget* p = pages[0];
    imgSelectFields = picture(p, "imgSelectFields", 12, 10, 170, 60);
    lblPage1SelectFields = label(p, "lblPage1SelectFields", 195, 14, 280, 40);
    lblPage1DataName = label(p, "lblPage1DataName", 12, 80, 200, 16);
    cbxDataName = make<QComboBox>(p, "cbxDataName", 12, 98, 200, 22);
    lblPage1AvailableFields = label(p, "lblPage1AvailableFields", 12, 128, 180, 16);
    lbxFieldsAvailable = list(p, "lbxFieldsAvailable", 12, 146, 180, 164, true);
    spbSelectField = glyph(p, "spbSelectField", 200, 160, ">");
    spbSelectAllFields = glyph(p, "spbSelectAllFields", 200, 190, ">>");
    spbDeselectField = glyph(p, "spbDeselectField", 200, 230, "<");
    spbDeselectAllFields = glyph(p, "spbDeselectAllFields", 200, 260, "<<");
    spbDeselectField->setEnabled(false);
    spbDeselectAllFields->setEnabled(false);
    lblPage1SelectedFields = label(p, "lblPage1SelectedFields", 236, 128, 180, 16);
    lbxFieldsSelected = list(p, "lbxFieldsSelected", 236, 146, 180, 164, true);
    spbMoveFieldUp = glyph(p, "spbMoveFieldUp", 430, 180, "^");
    lblPage1Order = label(p, "lblPage1Order", 424, 212, 60, 16);
    lblPage1Order->setAlignment(Qt::AlignCenter);
    spbMoveFieldDown = glyph(p, "spbMoveFieldDown", 430, 236, "v");

    // Group Definition.
    p = pages[1];
    lblPage2AvailableFields = label(p, "lblPage2AvailableFields", 12, 10, 150, 16);
    lbxGroupFieldsAvailable = list(p, "lbxGroupFieldsAvailable", 12, 28, 150, 130, true);
    spbSelectGroupField = glyph(p, "spbSelectGroupField", 168, 60, ">");
    spbDeselectGroupField = glyph(p, "spbDeselectGroupField", 168, 96, "<");
    spbDeselectGroupField->setEnabled(false);
    lblPage2Groups = label(p, "lblPage2Groups", 12, 166, 150, 16);
    lbxGroupFieldsSelected = list(p, "lbxGroupFieldsSelected", 12, 184, 150, 90, true);
    spbMoveGroupUp = glyph(p, "spbMoveGroupUp", 168, 190, "^");
    lblPage2Priority = label(p, "lblPage2Priority", 160, 218, 50, 16);
    lblPage2Priority->setAlignment(Qt::AlignCenter);
    spbMoveGroupDown = glyph(p, "spbMoveGroupDown", 168, 240, "v");
    imgGroups = picture(p, "imgGroups", 236, 10, 239, 265);

    // Simple Layouts.
    p = pages[2];
    lblPage3aLayout = label(p, "lblPage3aLayout", 12, 10, 240, 36);
    imgSimpleLayout = picture(p, "imgSimpleLayout", 256, 10, 225, 201);
    gbxSimpleLayout = make<QGroupBox>(p, "gbxSimpleLayout", 12, 56, 230, 80);
    rdbLayoutVertical = make<QRadioButton>(gbxSimpleLayout, "rdbLayoutVertical", 12, 22, 200, 20);
    rdbLayoutTabular = make<QRadioButton>(gbxSimpleLayout, "rdbLayoutTabular", 12, 48, 200, 20);
    rdbLayoutTabular->setChecked(true);
    gbxSimpleOrientation = make<QGroupBox>(p, "gbxSimpleOrientation", 12, 146, 230, 80);
    rdbSimplePortrait = make<QRadioButton>(gbxSimpleOrientation, "rdbSimplePortrait", 12, 22, 150, 20);
    rdbSimpleLandscape = make<QRadioButton>(gbxSimpleOrientation, "rdbSimpleLandscape", 12, 48, 150, 20);
    rdbSimplePortrait->setChecked(true);
    imgSimpleOrientation = picture(gbxSimpleOrientation, "imgSimpleOrientation", 180, 26, 32, 32);
    cbxSimpleAdjustField = make<QCheckBox>(p, "cbxSimpleAdjustField", 12, 240, 20, 20);
    cbxSimpleAdjustField->setChecked(true);
    lblSimpleAdjustField = label(p, "lblSimpleAdjustField", 34, 240, 210, 34);

    // Group Layouts.
    p = pages[3];
    lblPage3bLayout = label(p, "lblPage3bLayout", 12, 10, 240, 36);
    imgGroupLayout = picture(p, "imgGroupLayout", 256, 10, 225, 201);
    gbxGroupLayout = make<QGroupBox>(p, "gbxGroupLayout", 12, 48, 230, 120);
    rdbLayoutStepped = make<QRadioButton>(gbxGroupLayout, "rdbLayoutStepped", 12, 20, 100, 20);
    rdbLayoutBlock = make<QRadioButton>(gbxGroupLayout, "rdbLayoutBlock", 12, 50, 100, 20);
    rdbLayoutOutline1 = make<QRadioButton>(gbxGroupLayout, "rdbLayoutOutline1", 12, 80, 100, 20);
    rdbLayoutOutline2 = make<QRadioButton>(gbxGroupLayout, "rdbLayoutOutline2", 118, 20, 105, 20);
    rdbLayoutAlignLeft1 = make<QRadioButton>(gbxGroupLayout, "rdbLayoutAlignLeft1", 118, 50, 105, 20);
    rdbLayoutAlignLeft2 = make<QRadioButton>(gbxGroupLayout, "rdbLayoutAlignLeft2", 118, 80, 105, 20);
    rdbLayoutStepped->setChecked(true);
    gbxGroupOrientation = make<QGroupBox>(p, "gbxGroupOrientation", 12, 174, 230, 76);
    rdbGroupPortrait = make<QRadioButton>(gbxGroupOrientation, "rdbGroupPortrait", 12, 20, 150, 20);
    rdbGroupLandscape = make<QRadioButton>(gbxGroupOrientation, "rdbGroupLandscape", 12, 46, 150, 20);
    rdbGroupPortrait->setChecked(true);
    imgGroupOrientation = picture(gbxGroupOrientation, "imgGroupOrientation", 180, 24, 32, 32);
    cbxGroupAdjustField = make<QCheckBox>(p, "cbxGroupAdjustField", 12, 260, 20, 20);
    cbxGroupAdjustField->setChecked(true);
    lblGroupFieldAdjust = label(p, "lblGroupFieldAdjust", 34, 260, 210, 34);

    // Styles.
    p = pages[4];
    lblPage4Style = label(p, "lblPage4Style", 12, 10, 220, 36);
    lbxStyles = list(p, "lbxStyles", 12, 56, 200, 140, false);
    imgStyle = picture(p, "imgStyle", 256, 10, 225, 201);

    // Finish.
    p = pages[5];
    imgFinish = picture(p, "imgFinish", 12, 10, 170, 60);
    lblDescription = label(p, "lblDescription", 12, 84, 460, 18);
    edtDescription = make<QLineEdit>(p, "edtDescription", 12, 104, 300, 22);
    lblPage5ThatsAll = label(p, "lblPage5ThatsAll", 12, 146, 460, 18);
    lblPage5Preview = label(p, "lblPage5Preview", 12, 176, 460, 34);
    rdbPreview = make<QRadioButton>(p, "rdbPreview", 24, 216, 300, 20);
    rdbDesign = make<QRadioButton>(p, "rdbDesign", 24, 242, 300, 20);
    rdbDesign->setChecked(true);

    lblSimpleAdjustField->installEventFilter(this);
    lblGroupFieldAdjust->installEventFilter(this);
}

QList<QRadioButton*> TppReportWizardDialog::LayoutButtons() const {
    return {rdbLayoutVertical, rdbLayoutTabular,  rdbLayoutStepped,    rdbLayoutBlock,
            rdbLayoutOutline1, rdbLayoutOutline2, rdbLayoutAlignLeft1, rdbLayoutAlignLeft2};
}

void TppReportWizardDialog::connectActions() {
    TppReportWizard* w = m_wizard;
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    connect(btnBack, &QPushButton::clicked, this, [w] { w->ChangePage(-1); });
    connect(btnNext, &QPushButton::clicked, this, [w] { w->ChangePage(1); });
    connect(btnFinish, &QPushButton::clicked, this, [w] { w->Finish(); });
    connect(cbxDataName, &QComboBox::activated, this, [this, w](int) { w->SetDataName(cbxDataName->currentText()); });
    connect(spbSelectField, &QToolButton::clicked, this, [w] { w->SelectFields(false); });
    connect(spbSelectAllFields, &QToolButton::clicked, this, [w] { w->SelectFields(true); });
    connect(spbDeselectField, &QToolButton::clicked, this, [w] { w->DeselectFields(false); });
    connect(spbDeselectAllFields, &QToolButton::clicked, this, [w] { w->DeselectFields(true); });
    connect(lbxFieldsAvailable, &QListWidget::itemDoubleClicked, this, [w] { w->SelectFields(false); });
    connect(lbxFieldsSelected, &QListWidget::itemDoubleClicked, this, [w] { w->DeselectFields(false); });
    connect(spbMoveFieldUp, &QToolButton::clicked, this, [w] { w->MoveSelectedField(-1); });
    connect(spbMoveFieldDown, &QToolButton::clicked, this, [w] { w->MoveSelectedField(1); });
    connect(spbSelectGroupField, &QToolButton::clicked, this, [w] { w->AddGroups(); });
    connect(spbDeselectGroupField, &QToolButton::clicked, this, [w] { w->RemoveGroups(); });
    connect(lbxGroupFieldsAvailable, &QListWidget::itemDoubleClicked, this, [w] { w->AddGroups(); });
    connect(lbxGroupFieldsSelected, &QListWidget::itemDoubleClicked, this, [w] { w->RemoveGroups(); });
    connect(spbMoveGroupUp, &QToolButton::clicked, this, [w] { w->MoveGroup(-1); });
    connect(spbMoveGroupDown, &QToolButton::clicked, this, [w] { w->MoveGroup(1); });
    for (QRadioButton* b : LayoutButtons())
        connect(b, &QRadioButton::clicked, this, [w, b] { w->SetLayout(TppReportLayoutType(b->property("tag").toInt())); });
    for (QRadioButton* b : {rdbSimplePortrait, rdbSimpleLandscape, rdbGroupPortrait, rdbGroupLandscape})
        connect(b, &QRadioButton::clicked, this, [w, b] { w->SetOrientation(b->property("tag").toInt()); });
    connect(lbxStyles, &QListWidget::currentRowChanged, this, [w](int row) {
        if (row >= 0) w->SetStyle(TppReportStyleType(row));
    });
    connect(cbxSimpleAdjustField, &QCheckBox::toggled, this, [w](bool on) { w->SetAdjustFieldWidths(on); });
    connect(cbxGroupAdjustField, &QCheckBox::toggled, this, [w](bool on) { w->SetAdjustFieldWidths(on); });
}

bool TppReportWizardDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aEvent->type() == QEvent::MouseButtonRelease) {
        if (aWatched == lblSimpleAdjustField) cbxSimpleAdjustField->toggle();
        if (aWatched == lblGroupFieldAdjust) cbxGroupAdjustField->toggle();
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppReportWizardDialog::LanguageChanged() {
    const auto t = [](int n) { return ppGetMessageText(n); };
    setWindowTitle(t(620));
    btnCancel->setText(t(5));
    btnBack->setText(QStringLiteral("< ") + t(600));
    btnNext->setText(t(614) + QStringLiteral(" >"));
    btnFinish->setText(t(609));
    lblPage1SelectFields->setText(t(629));
    lblPage1DataName->setText(t(606));
    lblPage1AvailableFields->setText(t(599));
    lblPage1SelectedFields->setText(t(621));
    lblPage1Order->setText(t(255));
    lblPage2AvailableFields->setText(t(599));
    lblPage2Groups->setText(t(204));
    lblPage2Priority->setText(t(619));
    lblPage3aLayout->setText(t(611));
    gbxSimpleLayout->setTitle(t(612));
    rdbLayoutVertical->setText(t(626));
    rdbLayoutTabular->setText(t(624));
    gbxSimpleOrientation->setTitle(t(217));
    rdbSimplePortrait->setText(t(148));
    rdbSimpleLandscape->setText(t(147));
    lblSimpleAdjustField->setText(t(596));
    lblPage3bLayout->setText(t(611));
    gbxGroupLayout->setTitle(t(612));
    rdbLayoutStepped->setText(t(623));
    rdbLayoutBlock->setText(t(601));
    rdbLayoutOutline1->setText(t(615));
    rdbLayoutOutline2->setText(t(616));
    rdbLayoutAlignLeft1->setText(t(597));
    rdbLayoutAlignLeft2->setText(t(598));
    gbxGroupOrientation->setTitle(t(217));
    rdbGroupPortrait->setText(t(148));
    rdbGroupLandscape->setText(t(147));
    lblGroupFieldAdjust->setText(t(596));
    lblPage4Style->setText(t(627));
    const int row = lbxStyles->currentRow();
    const QSignalBlocker block(lbxStyles);
    lbxStyles->clear();
    for (int n : {602, 603, 604, 605, 610, 622}) lbxStyles->addItem(t(n));
    lbxStyles->setCurrentRow(row);
    lblDescription->setText(t(617));
    lblPage5ThatsAll->setText(t(625));
    lblPage5Preview->setText(t(607));
    rdbPreview->setText(t(618));
    rdbDesign->setText(t(613));
}
