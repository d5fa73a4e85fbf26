#include "report/crosstab/gui/crosstab_wizard.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/gui/crosstab_designer.h"

#include "report/model/band.h"
#include "report/model/component_services.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/report_utils.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/output/meta_bitmap.h"
#include "report/page/printer_setup.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
QString text(int aNumber) { return report::MessageText(aNumber); }

QLabel* picture(const QString& aName, QWidget* aParent) {
    auto* l = new QLabel(aParent);
    l->setObjectName(aName);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setFixedSize(154, 194);
    l->setAlignment(Qt::AlignCenter);
    return l;
}
}  // namespace

// Dialog ----------------------------------------------------------------------------------------

TppCrossTabWizardDialog::TppCrossTabWizardDialog(TppCrossTabWizard* aWizard) : Wizard(aWizard) {
    setObjectName(QStringLiteral("frmCrossTabWizard"));
    setWindowTitle(text(678));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(492, 373);
    auto* outer = new QVBoxLayout(this);
    nbkWizard = new QStackedWidget(this);
    nbkWizard->setObjectName(QStringLiteral("nbkWizard"));
    outer->addWidget(nbkWizard, 1);

    // Page 0: data selection.
    auto* page0 = new QWidget(nbkWizard);
    page0->setObjectName(QStringLiteral("pgDataSelection"));
    auto* p0 = new QHBoxLayout(page0);
    imgSelectFields = picture(QStringLiteral("imgSelectFields"), page0);
    p0->addWidget(imgSelectFields, 0, Qt::AlignTop);
    auto* right0 = new QVBoxLayout;
    lblPage1SelectFields = new QLabel(text(680), page0);
    lblPage1SelectFields->setObjectName(QStringLiteral("lblPage1SelectFields"));
    lblPage1DataName = new QLabel(text(606), page0);
    lblPage1DataName->setObjectName(QStringLiteral("lblPage1DataName"));
    cbxDataName = new QComboBox(page0);
    cbxDataName->setObjectName(QStringLiteral("cbxDataName"));
    auto* group = new QGroupBox(text(217), page0);
    group->setObjectName(QStringLiteral("gbxOrientation"));
    gbxOrientation = group;
    auto* g = new QHBoxLayout(group);
    auto* radios = new QVBoxLayout;
    rdbSimplePortrait = new QRadioButton(text(148), group);
    rdbSimplePortrait->setObjectName(QStringLiteral("rdbSimplePortrait"));
    rdbSimpleLandscape = new QRadioButton(text(147), group);
    rdbSimpleLandscape->setObjectName(QStringLiteral("rdbSimpleLandscape"));
    rdbSimpleLandscape->setChecked(true);
    radios->addWidget(rdbSimplePortrait);
    radios->addWidget(rdbSimpleLandscape);
    g->addLayout(radios);
    imgOrientation = new QLabel(group);
    imgOrientation->setObjectName(QStringLiteral("imgOrientation"));
    g->addWidget(imgOrientation);
    right0->addWidget(lblPage1SelectFields);
    right0->addSpacing(12);
    right0->addWidget(lblPage1DataName);
    right0->addWidget(cbxDataName);
    right0->addSpacing(12);
    right0->addWidget(group);
    right0->addStretch(1);
    p0->addLayout(right0, 1);
    nbkWizard->addWidget(page0);

    // Page 1: the designer panel.
    auto* page1 = new QWidget(nbkWizard);
    page1->setObjectName(QStringLiteral("pgCalculations"));
    auto* p1 = new QVBoxLayout(page1);
    p1->setContentsMargins(0, 0, 0, 0);
    Designer = new TppCrossTabDesigner(page1);
    p1->addWidget(Designer);
    nbkWizard->addWidget(page1);

    // Page 2: finish.
    auto* page2 = new QWidget(nbkWizard);
    page2->setObjectName(QStringLiteral("pgFinish"));
    auto* p2 = new QHBoxLayout(page2);
    imgFinish = picture(QStringLiteral("imgFinish"), page2);
    imgFinish->setPixmap(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("PPREPORTWIZARD"))));
    p2->addWidget(imgFinish, 0, Qt::AlignTop);
    auto* right2 = new QVBoxLayout;
    lblDescription = new QLabel(text(617), page2);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    edtDescription = new QLineEdit(page2);
    edtDescription->setObjectName(QStringLiteral("edtDescription"));
    lblPage5ThatsAll = new QLabel(text(625), page2);
    lblPage5ThatsAll->setObjectName(QStringLiteral("lblPage5ThatsAll"));
    lblPage5ThatsAll->setWordWrap(true);
    lblPage5Preview = new QLabel(text(607), page2);
    lblPage5Preview->setObjectName(QStringLiteral("lblPage5Preview"));
    lblPage5Preview->setWordWrap(true);
    rdbPreview = new QRadioButton(text(618), page2);
    rdbPreview->setObjectName(QStringLiteral("rdbPreview"));
    rdbDesign = new QRadioButton(text(613), page2);
    rdbDesign->setObjectName(QStringLiteral("rdbDesign"));
    rdbDesign->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{lblDescription, edtDescription, lblPage5ThatsAll, lblPage5Preview,
                                                      rdbPreview, rdbDesign})
        right2->addWidget(w);
    right2->addStretch(1);
    p2->addLayout(right2, 1);
    nbkWizard->addWidget(page2);

    // Buttons.
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    outer->addWidget(line);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnCancel = new QPushButton(text(5), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnBack = new QPushButton(QStringLiteral("< ") + text(600), this);
    btnBack->setObjectName(QStringLiteral("btnBack"));
    btnNext = new QPushButton(text(614) + QStringLiteral(" >"), this);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnFinish = new QPushButton(text(609), this);
    btnFinish->setObjectName(QStringLiteral("btnFinish"));
    for (auto* b : {btnCancel, btnBack, btnNext, btnFinish}) buttons->addWidget(b);
    outer->addLayout(buttons);

    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnBack, &QPushButton::clicked, this, [this] { Navigate(-1); });
    connect(btnNext, &QPushButton::clicked, this, [this] { Navigate(1); });
    connect(btnFinish, &QPushButton::clicked, this, [this] {
        Wizard->ReportDescription = edtDescription->text();
        Wizard->FinishAction = rdbPreview->isChecked() ? 2 : 1;
        accept();
    });
    connect(cbxDataName, &QComboBox::textActivated, this, [this](const QString& name) { Wizard->SetDataName(name); });
    connect(rdbSimplePortrait, &QRadioButton::clicked, this, [this] {
        Wizard->Orientation = 0;
        DrawOrientation();
    });
    connect(rdbSimpleLandscape, &QRadioButton::clicked, this, [this] {
        Wizard->Orientation = 1;
        DrawOrientation();
    });
}

int TppCrossTabWizardDialog::PageIndex() const { return nbkWizard->currentIndex(); }

void TppCrossTabWizardDialog::DrawOrientation() {
    imgOrientation->setPixmap(QPixmap::fromImage(
        ppLoadBitmap(Wizard->Orientation == 0 ? QStringLiteral("TPPPORTRAITBITMAP") : QStringLiteral("TPPLANDSCAPEBITMAP"))));
}

void TppCrossTabWizardDialog::enableButtons() {
    btnBack->setEnabled(PageIndex() != 0);
    btnNext->setEnabled(PageIndex() != nbkWizard->count() - 1);
}

void TppCrossTabWizardDialog::Navigate(int aStep) {
    const int target = PageIndex() + aStep;
    if (target < 0 || target >= nbkWizard->count()) return;
    if (target == 1) {
        TppDataPipeline* pipeline = Wizard->PipelineOf(cbxDataName->currentText());
        DrawOrientation();
        if (!pipeline) {
            ui::Message(text(679), ui::MessageKind::Information, ui::Button::Ok);
            return;
        }
        Designer->CrossTab()->SetDataPipeline(pipeline);
    }
    if (target == 2) edtDescription->setText(Wizard->DataName() + QStringLiteral("-1 Report"));
    nbkWizard->setCurrentIndex(target);
    if (target == 0) cbxDataName->setFocus();
    if (target == 1) Designer->Rebuild();
    if (target == 2) (Wizard->ShowDescription ? static_cast<QWidget*>(edtDescription) : rdbPreview)->setFocus();
    resize(target == 1 ? QSize(800, 500) : QSize(500, 400));
    enableButtons();
}

void TppCrossTabWizardDialog::done(int r) {
    // The owner may refuse the title; the dialog then stays open.
    if (r == QDialog::Accepted && !Wizard->DoValidateName(Wizard->ReportDescription)) return;
    QDialog::done(r);
}

// Wizard ----------------------------------------------------------------------------------------

TppCrossTabWizard::TppCrossTabWizard(TComponent* aOwner) : TppCustomReportWizard(aOwner) {}

TppCrossTabWizard::~TppCrossTabWizard() = default;

QString TppCrossTabWizard::ClassCaption(TClass) { return text(678); }
QImage TppCrossTabWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPREPORTWIZARD")); }

TppDataPipeline* TppCrossTabWizard::PipelineOf(const QString& aName) {
    if (!DataNames.contains(aName)) return nullptr;
    TppFieldList fields;
    DoGetFields(aName, fields);
    for (const auto& [alias, object] : fields)
        if (auto* field = qobject_cast<TppField*>(object); field && field->DataPipeline()) return field->DataPipeline();
    return nullptr;
}

void TppCrossTabWizard::SetDataName(const QString& aName) {
    TppCustomReportWizard::SetDataName(aName);
    if (m_dialog) m_dialog->Designer->CrossTab()->SetDataPipeline(PipelineOf(aName));
}

TppCustomReport* TppCrossTabWizard::GetReport() const { return qobject_cast<TppCustomReport*>(m_report.data()); }

QString TppCrossTabWizard::GetReportName() const {
    QString name;
    if (GetReport()) GetReport()->GetUserName(name);
    return name;
}

bool TppCrossTabWizard::Execute() {
    DataNames.clear();
    DoGetDataNames(DataNames);
    TppCrossTabWizardDialog dialog(this);
    m_dialog = &dialog;
    struct Forget {
        TppCrossTabWizard* w;
        ~Forget() { w->m_dialog = nullptr; }
    } forget{this};
    dialog.imgSelectFields->setPixmap(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("TPPWIZARDFIELDSBITMAP"))));
    dialog.rdbSimplePortrait->setChecked(Orientation == 0);
    dialog.rdbSimpleLandscape->setChecked(Orientation == 1);
    dialog.cbxDataName->addItems(DataNames);
    if (DataNames.contains(DataName())) {
        dialog.cbxDataName->setCurrentText(DataName());
        SetDataName(DataName());
    } else if (DataNames.size() > 1) {
        dialog.cbxDataName->setCurrentIndex(1);
        SetDataName(DataNames.at(1));
    } else {
        dialog.cbxDataName->setCurrentIndex(-1);
    }
    dialog.DrawOrientation();
    dialog.btnBack->setEnabled(false);
    dialog.lblDescription->setVisible(ShowDescription);
    dialog.edtDescription->setVisible(ShowDescription);
    if (ui::ExecModal(dialog) != QDialog::Accepted) return false;
    if (auto* report = DoCreateReport(DataName())) {
        m_report = report;
        layoutReport();
        FinishAction = dialog.rdbPreview->isChecked() ? 2 : 1;
    }
    return true;
}

void TppCrossTabWizard::layoutReport() {
    TppCustomReport* report = GetReport();
    if (!report) return;
    report->PrinterSetup()->SetOrientation(Orientation == 0 ? TPrinterOrientation::poPortrait : TPrinterOrientation::poLandscape);
    report->CreateDefaultBands();
    report->SetPassSetting(TppPassSettingType::psTwoPass);
    report->SetDataPipeline(nullptr);
    report->SetAutoStop(true);
    // Title.
    TppBand* title = report->GetBand(TppBandType::btTitle);
    if (!title) title = report->GetBand(TppBandType::btHeader);
    if (title) {
        auto* label = qobject_cast<TppLabel*>(ppCreateComponent(report, &TppLabel::staticMetaObject));
        if (label) {
            label->SetBand(title);
            label->SetAutoSize(false);
            QString caption = ReportDescription;
            if (caption.isEmpty()) caption = DataName();
            if (caption.isEmpty()) report->GetUserName(caption);
            label->SetCaption(caption);
            label->SetTransparent(true);
            TppFont font;
            font.Assign(label->Font());
            paint::Font f = font.Font();
            f.Name = QStringLiteral("ARIAL");
            f.Size = 16;
            f.Style = {};
            f.Style.Include(paint::TFontStyle::fsBold);
            f.Style.Include(paint::TFontStyle::fsItalic);
            font.SetFont(f);
            label->SetFont(&font);
            label->SetspHeight(ppGetTextHeight(f, caption));
            label->SetspWidth(ppGetTextWidth(f, caption) + 4);
            label->SetspTop(5);
            label->SetspLeft(5);
            label->SetAutoSize(true);
        }
    }
    // Footer: print date and page.
    TppBand* footer = report->GetBand(TppBandType::btSummary);
    if (!footer) footer = report->GetBand(TppBandType::btFooter);
    if (footer) {
        TppFont font;
        paint::Font f = font.Font();
        f.Name = QStringLiteral("TIMES NEW ROMAN");
        f.Size = 10;
        font.SetFont(f);
        for (int i = 0; i < 2; ++i) {
            auto* v = qobject_cast<TppSystemVariable*>(ppCreateComponent(report, &TppSystemVariable::staticMetaObject));
            if (!v) continue;
            v->SetBand(footer);
            v->SetFont(&font);
            v->SetTransparent(true);
            v->SetspTop(5);
            if (i == 0) {
                v->SetVarType(TppVarType::vtPrintDateTime);
                v->SetspLeft(5);
            } else {
                v->SetVarType(TppVarType::vtPageSetDesc);
                v->SetAlignment(TAlignment::taRightJustify);
                v->SetspLeft(footer->GetSpWidth() - v->GetSpWidth() - 5);
            }
        }
    }
    // The cross-tab.
    if (TppBand* detail = report->GetBand(TppBandType::btDetail)) {
        auto* crossTab = qobject_cast<TppCrossTab*>(ppCreateComponent(report, &TppCrossTab::staticMetaObject));
        if (crossTab && m_dialog) {
            crossTab->SetBand(detail);
            crossTab->SetStretch(true);  // in its band now: the band grows with the cross-tab
            crossTab->Assign(m_dialog->Designer->CrossTab());
            detail->SetSpHeight(crossTab->spHeight() + 1);
        }
    }
}
