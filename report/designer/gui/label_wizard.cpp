#include "report/designer/gui/label_wizard.h"

#include "report/model/band_classes.h"
#include "report/model/graphic_components.h"
#include "report/model/report.h"
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"
#include "report/output/report_page_source.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/format/number_format.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

void declareLabelWizardTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {183, "Width"},
            {184, "Height"},
            {219, "Paper Size"},
            {221, "Paper Tray"},
            {588, "Type"},
            {1119, "Label Templates"},
            {1120, "Printer information"},
            {1121, "Dot Matrix"},
            {1122, "Laser and ink jet"},
            {1123, "Products"},
            {1124, "Label information"},
        });
        return true;
    }();
    (void)declared;
}

QString general7(double aValue) { return format::FloatToStrF(aValue, format::FloatFormat::General, 7, 0); }

QLabel* makeLabel(QWidget* aParent, const char* aName, int x, int y, int w) {
    auto* l = ui::Make<QLabel>(aParent, aName);
    l->setGeometry(x, y, w, 18);
    return l;
}

QFrame* makeBevel(QWidget* aParent, const char* aName, const QRect& aRect) {
    auto* f = ui::Make<QFrame>(aParent, aName);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(aRect);
    return f;
}

}  // namespace

// TppLabelTemplateWizardDialog ---------------------------------------------------------------

TppLabelTemplateWizardDialog::TppLabelTemplateWizardDialog(QObject* aOwner)
    : TppForm(aOwner), m_previewOwner(std::make_unique<TComponent>()) {
    declareLabelWizardTexts();
    setObjectName(QStringLiteral("ppLabelTemplateWizardDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(490, 363);

    // The preview report: one Letter page, a detail band with one shape, no data, so the
    // detail repeats until the page is full: one sample label in each place of the sheet.
    ppReport1 = new TppReport(m_previewOwner.get());
    ppReport1->setObjectName(QStringLiteral("ppReport1"));
    ppReport1->SetAutoStop(false);
    ppReport1->SetPageLimit(1);
    TppPrinterSetup* setup = ppReport1->PrinterSetup();
    setup->PageDef()->SetmmWidth(215900);
    setup->PageDef()->SetmmHeight(279401);
    for (auto set : {&TppPageDef::SetmmMarginLeft, &TppPageDef::SetmmMarginRight, &TppPageDef::SetmmMarginTop,
                     &TppPageDef::SetmmMarginBottom})
        (setup->PageDef()->*set)(6350);
    m_detailBand = new TppDetailBand(m_previewOwner.get());
    m_detailBand->SetReport(ppReport1);
    m_detailBand->SetmmHeight(13229);
    ppShape1 = new TppShape(m_previewOwner.get());
    ppShape1->setObjectName(QStringLiteral("ppShape1"));
    ppShape1->SetBand(m_detailBand);
    ppShape1->SetmmLeft(529);
    ppShape1->SetmmWidth(13229);
    ppShape1->SetmmHeight(13229);
    m_producer = std::make_unique<TppProducer>();
    m_pageSource = std::make_unique<report::ReportPageSource>(ppReport1);
    m_producer->SetPageSource(m_pageSource.get());
    m_producer->SetShowCancelDialog(false);

    bvlPrinterInfo = makeBevel(this, "bvlPrinterInfo", QRect(8, 8, 232, 120));
    lblPrinterInfo = makeLabel(this, "lblPrinterInfo", 16, 12, 200);
    rbLaserJet = ui::Make<QRadioButton>(this, "rbLaserJet");
    rbLaserJet->setGeometry(20, 34, 200, 20);
    rbLaserJet->setProperty("tag", 0);
    rbLaserJet->setChecked(true);
    rbDotMatrix = ui::Make<QRadioButton>(this, "rbDotMatrix");
    rbDotMatrix->setGeometry(20, 56, 200, 20);
    rbDotMatrix->setProperty("tag", 1);
    lblPaperTray = makeLabel(this, "lblPaperTray", 20, 80, 200);
    cbxPaperTrays = ui::Make<QComboBox>(this, "cbxPaperTrays");
    cbxPaperTrays->setGeometry(20, 98, 212, 24);

    lblProducts = makeLabel(this, "lblProducts", 8, 136, 200);
    cbxLabelProducts = ui::Make<QComboBox>(this, "cbxLabelProducts");
    cbxLabelProducts->setGeometry(8, 154, 232, 24);
    lbxLabels = ui::Make<QListWidget>(this, "lbxLabels");
    lbxLabels->setGeometry(8, 184, 232, 136);

    bvlLabelInfo = makeBevel(this, "bvlLabelInfo", QRect(248, 8, 234, 104));
    lblLabelInfo = makeLabel(this, "lblLabelInfo", 256, 12, 200);
    lblLabelInfoType = makeLabel(this, "lblLabelInfoType", 258, 32, 70);
    lblType = makeLabel(this, "lblType", 330, 32, 148);
    lblLabelInfoHeight = makeLabel(this, "lblLabelInfoHeight", 258, 52, 70);
    lblHeight = makeLabel(this, "lblHeight", 330, 52, 148);
    lblLabelInfoWidth = makeLabel(this, "lblLabelInfoWidth", 258, 72, 70);
    lblWidth = makeLabel(this, "lblWidth", 330, 72, 148);
    lblLabelInfoPageSize = makeLabel(this, "lblLabelInfoPageSize", 258, 92, 70);
    lblPageSize = makeLabel(this, "lblPageSize", 330, 92, 148);

    ppViewer1 = new TppViewer(this);
    ppViewer1->setObjectName(QStringLiteral("ppViewer1"));
    ppViewer1->setGeometry(248, 118, 234, 202);
    ppViewer1->SetZoomSetting(TppZoomSettingType::zsWholePage);
    ppViewer1->SetReport(m_producer.get());

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setGeometry(318, 330, 78, 26);
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setGeometry(404, 330, 78, 26);
    btnCancel->setAutoDefault(false);

    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    for (QRadioButton* r : {rbLaserJet, rbDotMatrix})
        connect(r, &QRadioButton::clicked, this, [this, r] { ui::RunGuarded(this, [&] { rbPrinterTypeClick(r); }); });
    connect(cbxLabelProducts, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_updating) ui::RunGuarded(this, [&] { FillLabels(); });
    });
    connect(lbxLabels, &QListWidget::currentRowChanged, this, [this] {
        if (!m_updating) ui::RunGuarded(this, [&] { ShowLabel(); });
    });

    LanguageChanged();
    SetPrinterType(0);
    FillPaperTrays();
}

TppLabelTemplateWizardDialog::~TppLabelTemplateWizardDialog() {
    ppViewer1->SetReport(nullptr);
    m_producer.reset();
    m_pageSource.reset();
    m_previewOwner.reset();
}

void TppLabelTemplateWizardDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(1119));
    lblPrinterInfo->setText(ppGetMessageText(1120));
    rbDotMatrix->setText(ppGetMessageText(1121));
    rbLaserJet->setText(ppGetMessageText(1122));
    lblPaperTray->setText(ppGetMessageText(221));
    lblProducts->setText(ppGetMessageText(1123));
    lblLabelInfo->setText(ppGetMessageText(1124));
    lblLabelInfoType->setText(ppGetMessageText(588));
    lblLabelInfoHeight->setText(ppGetMessageText(184));
    lblLabelInfoWidth->setText(ppGetMessageText(183));
    lblLabelInfoPageSize->setText(ppGetMessageText(219));
    btnCancel->setText(ppGetMessageText(5));
    btnOK->setText(ppGetMessageText(17));
}

void TppLabelTemplateWizardDialog::rbPrinterTypeClick(QRadioButton* aButton) {
    SetPrinterType(std::uint8_t(aButton->property("tag").toInt()));
}

void TppLabelTemplateWizardDialog::SetPrinterType(std::uint8_t aType) {
    m_printerType = aType;
    TppLabelSetList sets;
    ppGetLabelSets(aType == 1, sets);
    {
        const bool updating = std::exchange(m_updating, true);
        cbxLabelProducts->clear();
        for (const auto& [name, set] : sets) cbxLabelProducts->addItem(name, QVariant::fromValue(quintptr(set)));
        int chosen = cbxLabelProducts->findText(QStringLiteral("Avery Standard"));
        if (chosen < 0 && cbxLabelProducts->count() > 0) chosen = 0;
        cbxLabelProducts->setCurrentIndex(chosen);
        m_updating = updating;
    }
    FillLabels();
}

void TppLabelTemplateWizardDialog::FillLabels() {
    TppLabelSetList products;
    ppGetLabelProducts(cbxLabelProducts->currentText(), m_printerType == 1, products);
    {
        const bool updating = std::exchange(m_updating, true);
        lbxLabels->clear();
        for (const auto& entry : products) lbxLabels->addItem(entry.first);
        if (lbxLabels->count() > 0) lbxLabels->setCurrentRow(0);
        m_updating = updating;
    }
    ShowLabel();
}

void TppLabelTemplateWizardDialog::ShowLabel() {
    if (ppReport1->Producing() || m_producer->Producing()) return;
    const auto* set = reinterpret_cast<const TppLabelSet*>(cbxLabelProducts->currentData().value<quintptr>());
    if (!set || lbxLabels->currentRow() < 0) return;
    set->ParseDefinition(lbxLabels->currentRow(), m_definition);
    TppLabelSet::ApplyDefinition(m_definition, ppReport1);
    const TppUnitType units = TppUnitType(m_definition.Units);
    ppShape1->SetmmWidth(ppToMMThousandths(units, report::kHorizontal, nullptr, m_definition.LabelWidth));
    ppShape1->SetmmHeight(ppToMMThousandths(units, report::kVertical, nullptr, m_definition.LabelHeight));
    lblType->setText(m_definition.Category);
    lblHeight->setText(general7(m_definition.LabelHeight) + QLatin1Char('"'));
    lblWidth->setText(general7(m_definition.LabelWidth) + QLatin1Char('"'));
    TppPrinterSetup* setup = ppReport1->PrinterSetup();
    const QString paperName = setup->PaperName();
    if (paperName.compare(QStringLiteral("Custom"), Qt::CaseInsensitive) == 0)
        lblPageSize->setText(QStringLiteral("(%1 x %2)").arg(general7(setup->PaperWidth()), general7(setup->PaperHeight())));
    else
        lblPageSize->setText(paperName);
    ppViewer1->ResetDevice();
    m_producer->PublishReport();
}

void TppLabelTemplateWizardDialog::FillPaperTrays() {
    cbxPaperTrays->clear();
    cbxPaperTrays->addItems(ppReport1->PrinterSetup()->GetBinNames());
    if (cbxPaperTrays->count() > 0) cbxPaperTrays->setCurrentIndex(0);
    for (int i = 0; i < cbxPaperTrays->count(); ++i)
        if (cbxPaperTrays->itemText(i).contains(QStringLiteral("Manual"), Qt::CaseSensitive)) cbxPaperTrays->setCurrentIndex(i);
}

// TppLabelTemplateWizard ---------------------------------------------------------------------

TppLabelTemplateWizard::TppLabelTemplateWizard(TComponent* aOwner) : TppCustomReportWizard(aOwner) {
    declareLabelWizardTexts();
}

TppLabelTemplateWizard::~TppLabelTemplateWizard() { delete m_dialog; }

QString TppLabelTemplateWizard::ClassCaption(TClass) {
    declareLabelWizardTexts();
    return ppGetMessageText(1119);
}

QImage TppLabelTemplateWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("TPPREPORTWIZARD")); }

QString TppLabelTemplateWizard::GetReportName() const {
    if (!m_report) return {};
    const auto* reportTemplate = m_report->findChild<TppTemplate*>(QString(), Qt::FindDirectChildrenOnly);
    return reportTemplate ? reportTemplate->GetDescription() : QString();
}

bool TppLabelTemplateWizard::Execute() {
    delete m_dialog;
    m_dialog = new TppLabelTemplateWizardDialog();
    struct Release {
        TppLabelTemplateWizardDialog*& dialog;
        ~Release() {
            delete dialog;
            dialog = nullptr;
        }
    } release{m_dialog};
    m_dialog->Wizard = this;
    ppSetFormLanguageIndex(m_dialog, int(Language));
    if (m_dialog->ShowModal() != report::ModalResult::mrOk) return false;
    m_report = DoCreateReport(QString());
    if (m_report) {
        Build(m_report);
        FinishAction = 1;
    }
    return true;
}

void TppLabelTemplateWizard::Build(TppCustomReport* aReport) {
    if (aReport->BandCount() == 0) aReport->CreateDefaultBands();
    for (int i = aReport->BandCount() - 1; i >= 0; --i) {
        TppBand* band = aReport->Bands(i);
        if (band->BandType() != TppBandType::btDetail) delete band;
    }
    TppLabelSet::ApplyDefinition(m_dialog->Definition(), aReport);
    aReport->PrinterSetup()->SetBinName(m_dialog->cbxPaperTrays->currentIndex() >= 0 ? m_dialog->cbxPaperTrays->currentText()
                                                                                     : QString());
}

namespace report {

void RegisterLabelTemplateWizard() {
    RegisterLabelSets();
    ppRegisterWizard(ppWizardClass<TppLabelTemplateWizard>());
}

void UnRegisterLabelTemplateWizard() {
    ppUnregisterWizard(ppWizardClass<TppLabelTemplateWizard>());
    UnRegisterLabelSets();
}

}  // namespace report
