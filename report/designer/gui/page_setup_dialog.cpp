#include "report/designer/gui/page_setup_dialog.h"

#include "report/model/band.h"
#include "report/model/custom_report.h"
#include "report/output/gui/up_down.h"
#include "report/output/wizard.h"
#include "report/page/page_def.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"

#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>

namespace {

void declarePageSetupTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {7, "Copies"},
            {17, "OK"},
            {25, "Printer"},
            {147, "&Landscape"},
            {148, "&Portrait"},
            {181, "Left"},
            {182, "Top"},
            {183, "Width"},
            {184, "Height"},
            {186, "Preview"},
            {212, "Column Positions"},
            {213, "Column Width"},
            {214, "Columns"},
            {216, "Layout"},
            {217, "Orientation"},
            {218, "Page Setup"},
            {219, "Paper Size"},
            {220, "Paper Source"},
            {221, "Paper Tray"},
            {222, "Row Spacing"},
            {325, "Bottom"},
            {327, "Right"},
            {372, "Column"},
            {376, "Margins"},
            {377, "Invalid Value"},
            {474, "None"},
            {626, "Vertical"},
            {1015, "Colla&te"},
            {1127, "Document Name"},
            {1128, "Duplex"},
            {1129, "Horizontal"},
        });
        return true;
    }();
    (void)declared;
}

QString general7(double aValue) {
    return format::FloatToStrF(aValue, format::FloatFormat::General, 7, 0);
}

QLabel* makeLabel(QWidget* aParent, const char* aName, int x, int y, int w) {
    auto* l = ui::Make<QLabel>(aParent, aName);
    l->setGeometry(x, y, w, 20);
    return l;
}

QLineEdit* makeEdit(QWidget* aParent, const char* aName, int x, int y, int w, const char* aDefault) {
    auto* e = ui::Make<QLineEdit>(aParent, aName);
    e->setGeometry(x, y, w, 24);
    e->setText(QString::fromLatin1(aDefault));
    return e;
}

}  // namespace

// TppPageImage -------------------------------------------------------------------------------

TppPageImage::TppPageImage(QWidget* aParent) : QWidget(aParent), m_pageDef(std::make_unique<TppPageDef>()) {}

TppPageImage::~TppPageImage() = default;

void TppPageImage::SetPageDef(const TppPageDef& aPageDef) {
    m_pageDef->Assign(const_cast<TppPageDef*>(&aPageDef));
    render();
}

void TppPageImage::SetColumns(int aColumns) {
    m_columns = aColumns;
    render();
}

void TppPageImage::SetRowSpacing(float aRowSpacing) {
    m_rowSpacing = aRowSpacing;
    render();
}

void TppPageImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    render();
}

void TppPageImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}

void TppPageImage::render() {
    const TppPageDef& def = *m_pageDef;
    if (def.WidthPixels() == 0 || def.mmHeight() == 0 || width() <= 0 || height() <= 0) return;
    // Fit: the page's height starts at the control's and shrinks by 20 while the width does not fit.
    int h = height();
    int w = int(std::lround(double(h) * def.mmWidth() / def.mmHeight()));
    while (w >= width() && h > 20) {
        h -= 20;
        w = int(std::lround(double(h) * def.mmWidth() / def.mmHeight()));
    }
    const double xScale = double(w) / def.WidthPixels();
    const double yScale = def.HeightPixels() ? double(h) / def.HeightPixels() : 0;
    const int marginLeft = int(def.MarginLeftPixels() * xScale);
    const int marginRight = int(def.MarginRightPixels() * xScale);
    const int marginTop = int(def.MarginTopPixels() * yScale);
    const int marginBottom = int(def.MarginBottomPixels() * yScale);

    const QColor buttonFace = palette().color(QPalette::Button);
    m_bitmap = QImage(size(), QImage::Format_RGB32);
    m_bitmap.fill(buttonFace);
    const int left = (width() - w) / 2;
    const int top = (height() - h) / 2;
    const int right = left + w;
    const int bottom = top + h;
    m_pageRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));

    QPainter p(&m_bitmap);
    // Shadow.
    p.fillRect(left, bottom - 2, 2, 2, buttonFace);
    p.fillRect(right - 2, top, 2, 2, buttonFace);
    p.fillRect(left + 3, bottom - 2, right - left - 3, 2, Qt::black);
    p.fillRect(right - 2, top + 3, 2, bottom - top - 3, Qt::black);
    // The sheet.
    p.setPen(Qt::black);
    p.setBrush(palette().color(QPalette::Base));
    p.drawRect(left, top, right - 2 - left - 1, bottom - 2 - top - 1);
    // Text lines inside the margins.
    const int areaLeft = left + marginLeft + 3;
    const int areaRight = right - marginRight - 3;
    const int areaTop = top + marginTop + 2;
    const int areaBottom = bottom - marginBottom - 2;
    const int pitch = m_rowSpacing == 0 ? 5 : (m_rowSpacing > 0 ? 8 : 3);
    const int areaWidth = areaRight - areaLeft;
    const int dash = m_columns < 2 ? 9 : (areaWidth - m_columns * 5) / m_columns;
    if (dash > 0) {
        p.setPen(Qt::black);
        for (int y = areaTop; y < areaBottom; y += pitch)
            for (int x = areaLeft; x + dash < areaRight; x += dash + 5) p.drawLine(x, y, x + dash - 1, y);
    }
    p.end();
    update();
}

// TppPageSetupDialog -------------------------------------------------------------------------

TppPageSetupDialog::TppPageSetupDialog(QObject* aOwner) : TppForm(aOwner) {
    declarePageSetupTexts();
    setObjectName(QStringLiteral("ppPageSetupDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(636, 330);

    pgcPageSetup = ui::Make<QTabWidget>(this, "pgcPageSetup");
    pgcPageSetup->setGeometry(8, 8, 420, 278);
    pgcPageSetup->setUsesScrollButtons(false);
    auto page = [this](const char* aName) {
        auto* w = ui::Make<QWidget>(static_cast<QWidget*>(nullptr), aName);
        pgcPageSetup->addTab(w, QString());
        return w;
    };
    tshPrinter = page("tshPrinter");
    tshPaperSize = page("tshPaperSize");
    tshPaperSource = page("tshPaperSource");
    tshLayout = page("tshLayout");
    tshMargins = page("tshMargins");
    for (auto [label, name] : {std::pair{&lblPaperSizeTab, "lblPaperSizeTab"}, {&lblPaperSourceTab, "lblPaperSourceTab"},
                               {&lblLayoutTab, "lblLayoutTab"}, {&lblMarginsTab, "lblMarginsTab"}}) {
        *label = ui::Make<QLabel>(this, name);
        (*label)->hide();
    }

    // Printer.
    lblPrinterName = makeLabel(tshPrinter, "lblPrinterName", 10, 12, 290);
    cbxPrinterName = ui::Make<QComboBox>(tshPrinter, "cbxPrinterName");
    cbxPrinterName->setGeometry(10, 32, 290, 24);
    lblDocumentName = makeLabel(tshPrinter, "lblDocumentName", 10, 64, 290);
    edtDocumentName = makeEdit(tshPrinter, "edtDocumentName", 10, 84, 290, "");
    lblCopies = makeLabel(tshPrinter, "lblCopies", 10, 118, 100);
    edtCopies = makeEdit(tshPrinter, "edtCopies", 10, 138, 80, "1");
    udCopies = TppUpDown::CreateForEdit(edtCopies);
    ckbCollation = ui::Make<QCheckBox>(tshPrinter, "ckbCollation");
    ckbCollation->setGeometry(120, 140, 18, 20);
    lblCollation = makeLabel(tshPrinter, "lblCollation", 140, 140, 120);
    lblCollation->installEventFilter(this);
    lblDuplex = makeLabel(tshPrinter, "lblDuplex", 10, 172, 100);
    cbxDuplex = ui::Make<QComboBox>(tshPrinter, "cbxDuplex");
    cbxDuplex->setGeometry(10, 192, 150, 24);

    // Paper size.
    lblPaperName = makeLabel(tshPaperSize, "lblPaperName", 10, 12, 290);
    cbxPaperName = ui::Make<QComboBox>(tshPaperSize, "cbxPaperName");
    cbxPaperName->setGeometry(10, 32, 290, 24);
    lblPaperWidth = makeLabel(tshPaperSize, "lblPaperWidth", 10, 66, 100);
    edtPaperWidth = makeEdit(tshPaperSize, "edtPaperWidth", 10, 86, 100, "8.5");
    udPaperWidth = TppUpDown::CreateForEdit(edtPaperWidth);
    lblPaperHeight = makeLabel(tshPaperSize, "lblPaperHeight", 130, 66, 100);
    edtPaperHeight = makeEdit(tshPaperSize, "edtPaperHeight", 130, 86, 100, "11");
    udPaperHeight = TppUpDown::CreateForEdit(edtPaperHeight);
    gbxOrientation = ui::Make<QGroupBox>(tshPaperSize, "gbxOrientation");
    gbxOrientation->setGeometry(10, 122, 290, 110);
    imgOrientation = ui::Make<QLabel>(gbxOrientation, "imgOrientation");
    imgOrientation->setGeometry(14, 30, 48, 60);
    imgOrientation->setAlignment(Qt::AlignCenter);
    rdbPortrait = ui::Make<QRadioButton>(gbxOrientation, "rdbPortrait");
    rdbPortrait->setGeometry(80, 34, 180, 22);
    rdbLandscape = ui::Make<QRadioButton>(gbxOrientation, "rdbLandscape");
    rdbLandscape->setGeometry(80, 64, 180, 22);

    // Paper source.
    lblPaperSource = makeLabel(tshPaperSource, "lblPaperSource", 10, 12, 290);
    lbxPaperSource = ui::Make<QListWidget>(tshPaperSource, "lbxPaperSource");
    lbxPaperSource->setGeometry(10, 32, 290, 200);

    // Layout.
    lblColumns = makeLabel(tshLayout, "lblColumns", 10, 12, 130);
    edtColumns = makeEdit(tshLayout, "edtColumns", 10, 32, 100, "1");
    udColumns = TppUpDown::CreateForEdit(edtColumns);
    lblColumnWidth = makeLabel(tshLayout, "lblColumnWidth", 160, 12, 130);
    edtColumnWidth = makeEdit(tshLayout, "edtColumnWidth", 160, 32, 100, "0");
    udColumnWidth = TppUpDown::CreateForEdit(edtColumnWidth);
    lblColumnPositions = makeLabel(tshLayout, "lblColumnPositions", 10, 66, 290);
    grdColumnPositions = ui::Make<QTableWidget>(tshLayout, "grdColumnPositions");
    grdColumnPositions->setGeometry(10, 86, 350, 66);
    grdColumnPositions->horizontalHeader()->hide();
    grdColumnPositions->verticalHeader()->hide();
    grdColumnPositions->setRowCount(2);
    grdColumnPositions->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grdColumnPositions->setSelectionMode(QAbstractItemView::SingleSelection);
    grdColumnPositions->verticalHeader()->setDefaultSectionSize(22);
    lblRowSpacing = makeLabel(tshLayout, "lblRowSpacing", 10, 166, 130);
    edtRowSpacing = makeEdit(tshLayout, "edtRowSpacing", 10, 186, 100, "0");
    udRowSpacing = TppUpDown::CreateForEdit(edtRowSpacing);

    // Margins.
    lblTopMargin = makeLabel(tshMargins, "lblTopMargin", 10, 12, 100);
    edtTopMargin = makeEdit(tshMargins, "edtTopMargin", 10, 32, 100, ".25");
    udTopMargin = TppUpDown::CreateForEdit(edtTopMargin);
    lblBottomMargin = makeLabel(tshMargins, "lblBottomMargin", 160, 12, 100);
    edtBottomMargin = makeEdit(tshMargins, "edtBottomMargin", 160, 32, 100, ".25");
    udBottomMargin = TppUpDown::CreateForEdit(edtBottomMargin);
    lblLeftMargin = makeLabel(tshMargins, "lblLeftMargin", 10, 72, 100);
    edtLeftMargin = makeEdit(tshMargins, "edtLeftMargin", 10, 92, 100, ".25");
    udLeftMargin = TppUpDown::CreateForEdit(edtLeftMargin);
    lblRightMargin = makeLabel(tshMargins, "lblRightMargin", 160, 72, 100);
    edtRightMargin = makeEdit(tshMargins, "edtRightMargin", 160, 92, 100, ".25");
    udRightMargin = TppUpDown::CreateForEdit(edtRightMargin);

    gbxPreview = ui::Make<QGroupBox>(this, "gbxPreview");
    gbxPreview->setGeometry(436, 8, 192, 278);
    ppPageImage = new TppPageImage(gbxPreview);
    ppPageImage->setObjectName(QStringLiteral("ppPageImage"));
    ppPageImage->setGeometry(5, 20, gbxPreview->width() - 10, gbxPreview->height() - 30);

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setGeometry(464, 294, 78, 26);
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setGeometry(550, 294, 78, 26);
    btnCancel->setAutoDefault(false);
    pgcPageSetup->setCurrentIndex(0);

    // Connections.
    auto guarded = [this](auto aHandler) {
        return [this, aHandler](auto&&...) { ui::RunGuarded(this, [&] { aHandler(); }); };
    };
    connect(btnOK, &QPushButton::clicked, this, guarded([this] { btnOKClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(cbxPrinterName, &QComboBox::activated, this, guarded([this] { cbxPrinterNameChange(); }));
    connect(edtDocumentName, &QLineEdit::editingFinished, this, guarded([this] { edtDocumentNameExit(); }));
    connect(edtCopies, &QLineEdit::editingFinished, this, guarded([this] { edtCopiesExit(); }));
    udCopies->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udCopiesClick(d); }); };
    connect(ckbCollation, &QCheckBox::clicked, this, guarded([this] { ckbCollationClick(); }));
    connect(cbxDuplex, &QComboBox::activated, this, guarded([this] { cbxDuplexChange(); }));
    connect(cbxPaperName, &QComboBox::activated, this, guarded([this] { cbxPaperNameChange(); }));
    connect(edtPaperWidth, &QLineEdit::editingFinished, this, guarded([this] { edtPaperSizeExit(true); }));
    connect(edtPaperHeight, &QLineEdit::editingFinished, this, guarded([this] { edtPaperSizeExit(false); }));
    udPaperWidth->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udPaperSizeClick(true, d); }); };
    udPaperHeight->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udPaperSizeClick(false, d); }); };
    connect(rdbPortrait, &QRadioButton::clicked, this, guarded([this] { rdbOrientationClick(false); }));
    connect(rdbLandscape, &QRadioButton::clicked, this, guarded([this] { rdbOrientationClick(true); }));
    connect(lbxPaperSource, &QListWidget::itemClicked, this, guarded([this] { lbxPaperSourceClick(); }));
    connect(edtColumns, &QLineEdit::editingFinished, this, guarded([this] { edtColumnsExit(); }));
    udColumns->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udColumnsClick(d); }); };
    connect(edtColumnWidth, &QLineEdit::editingFinished, this, guarded([this] { edtColumnWidthExit(); }));
    udColumnWidth->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udColumnWidthClick(d); }); };
    connect(edtRowSpacing, &QLineEdit::editingFinished, this, guarded([this] { edtRowSpacingExit(); }));
    udRowSpacing->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udRowSpacingClick(d); }); };
    for (Margin m : {Margin::Top, Margin::Bottom, Margin::Left, Margin::Right}) {
        connect(marginEdit(m), &QLineEdit::editingFinished, this, guarded([this, m] { edtMarginExit(m); }));
    }
    udTopMargin->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udMarginClick(Margin::Top, d); }); };
    udBottomMargin->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udMarginClick(Margin::Bottom, d); }); };
    udLeftMargin->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udMarginClick(Margin::Left, d); }); };
    udRightMargin->OnClick = [this](int d) { ui::RunGuarded(this, [&] { udMarginClick(Margin::Right, d); }); };
    connect(grdColumnPositions, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        ui::RunGuarded(this, [&] { grdColumnPositionsCommit(item->row(), item->column()); });
    });

    LanguageChanged();
    ShowLayout();
}

TppPageSetupDialog::~TppPageSetupDialog() = default;

bool TppPageSetupDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aWatched == lblCollation && aEvent->type() == QEvent::MouseButtonRelease && ckbCollation->isEnabled()) {
        ckbCollation->toggle();
        ui::RunGuarded(this, [&] { ckbCollationClick(); });
        return true;
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppPageSetupDialog::LanguageChanged() {
    auto text = [](int n) { return ppGetMessageText(n); };
    setWindowTitle(text(218));
    lblPaperSizeTab->setText(text(219));
    lblPaperSourceTab->setText(text(220));
    lblLayoutTab->setText(text(216));
    lblMarginsTab->setText(text(376));
    pgcPageSetup->setTabText(0, text(25));
    pgcPageSetup->setTabText(1, lblPaperSizeTab->text());
    pgcPageSetup->setTabText(2, lblPaperSourceTab->text());
    pgcPageSetup->setTabText(3, lblLayoutTab->text());
    pgcPageSetup->setTabText(4, lblMarginsTab->text());
    lblPrinterName->setText(text(25));
    lblDocumentName->setText(text(1127));
    lblCopies->setText(text(7));
    lblCollation->setText(text(1015).remove(QLatin1Char('&')));
    lblDuplex->setText(text(1128));
    const int duplex = cbxDuplex->currentIndex();
    cbxDuplex->clear();
    cbxDuplex->addItems({text(474), text(1129), text(626)});
    cbxDuplex->setCurrentIndex(duplex < 0 ? 0 : duplex);
    lblPaperName->setText(text(219));
    lblPaperWidth->setText(text(183));
    lblPaperHeight->setText(text(184));
    gbxOrientation->setTitle(text(217));
    rdbPortrait->setText(text(148));
    rdbLandscape->setText(text(147));
    lblPaperSource->setText(text(221));
    lblColumns->setText(text(214));
    lblColumnWidth->setText(text(213));
    lblColumnPositions->setText(text(212));
    lblRowSpacing->setText(text(222));
    lblTopMargin->setText(text(182));
    lblBottomMargin->setText(text(325));
    lblLeftMargin->setText(text(181));
    lblRightMargin->setText(text(327));
    gbxPreview->setTitle(text(186));
    btnOK->setText(text(17));
    btnCancel->setText(text(5));
    if (m_report) ShowLayout();
}

void TppPageSetupDialog::ReportAssigned() {
    m_report = qobject_cast<TppCustomReport*>(Report());
    if (!m_report) return;
    m_printerSetup = m_report->PrinterSetup();
    m_detailBand = m_report->GetBand(TppBandType::btDetail);
    switch (m_report->Units()) {
    case TppUnitType::utScreenPixels: m_spinStep = 50; break;
    case TppUnitType::utInches: m_spinStep = 0.5f; break;
    case TppUnitType::utMillimeters: m_spinStep = 5; break;
    case TppUnitType::utPrinterPixels: m_spinStep = 300; break;
    case TppUnitType::utMMThousandths: m_spinStep = 5000; break;
    }
    m_savedColumns = m_report->Columns();
    m_savedColumnPositions = m_report->ColumnPositions();
    m_savedColumnWidth = m_report->ColumnWidth();
    m_savedBottomOffset = m_detailBand ? m_detailBand->BottomOffset() : 0;
    const QStringList positions = m_report->ColumnPositions();
    if ((m_report->Columns() > 1 && positions.isEmpty()) || (m_report->Columns() == 1 && !positions.isEmpty()))
        RecomputeColumnPositions();
    else
        m_columnPositions = positions;
    ShowLayout();
    m_savedPrinterSetup = std::make_unique<TppPrinterSetup>();
    m_savedPrinterSetup->Assign(m_printerSetup);
    FillPrinterLists();
}

// OK and Cancel ------------------------------------------------------------------------------

void TppPageSetupDialog::btnOKClick() {
    m_invalid = false;
    ExitActiveEdit();
    if (auto* editor = qobject_cast<QLineEdit*>(grdColumnPositions->focusWidget());
        editor && grdColumnPositions->isAncestorOf(editor))
        grdColumnPositions->setFocus();  // commits a position still being typed
    if (m_invalid) {
        m_invalid = false;
        return;
    }
    EndModal(report::ModalResult::mrOk);
}

void TppPageSetupDialog::reject() {
    if (m_report) {
        m_printerSetup->Assign(m_savedPrinterSetup.get());
        if (m_printerSetup->Active()) {
            if (m_printerSetup->OnPageDefChange) m_printerSetup->OnPageDefChange(m_printerSetup);
            if (m_printerSetup->OnPrinterChange) m_printerSetup->OnPrinterChange(m_printerSetup);
        }
        m_report->SetColumns(m_savedColumns);
        m_report->SetColumnPositions(m_savedColumnPositions);
        m_report->SetColumnWidth(m_savedColumnWidth);
        if (m_detailBand) m_detailBand->SetBottomOffset(m_savedBottomOffset);
    }
    TppForm::reject();
}

// Filling and showing ------------------------------------------------------------------------

void TppPageSetupDialog::FillPrinterLists() {
    const bool updating = std::exchange(m_updating, true);
    cbxPrinterName->clear();
    cbxPrinterName->addItems(m_printerSetup->GetPrinterNames());
    cbxPaperName->clear();
    cbxPaperName->addItems(m_printerSetup->GetPaperNames());
    lbxPaperSource->clear();
    lbxPaperSource->addItems(m_printerSetup->GetBinNames());
    int printer = cbxPrinterName->findText(m_printerSetup->PrinterName());
    if (printer < 0) printer = cbxPrinterName->findText(QStringLiteral("Default"));
    cbxPrinterName->setCurrentIndex(printer);
    m_updating = updating;
    ShowPrinterSetup();
}

void TppPageSetupDialog::ShowPrinterSetup() {
    if (!m_printerSetup) return;
    const bool updating = std::exchange(m_updating, true);
    edtDocumentName->setText(m_printerSetup->DocumentName());
    edtCopies->setText(QString::number(m_printerSetup->Copies()));
    cbxDuplex->setCurrentIndex(int(m_printerSetup->Duplex()));
    ckbCollation->setChecked(m_printerSetup->Collation());
    int paper = cbxPaperName->findText(m_printerSetup->PaperName());
    if (paper < 0) {
        paper = cbxPaperName->findText(QStringLiteral("Custom"));
        if (paper < 0) {
            cbxPaperName->addItem(QStringLiteral("Custom"));
            paper = cbxPaperName->count() - 1;
        }
    }
    cbxPaperName->setCurrentIndex(paper);
    edtPaperWidth->setText(general7(m_printerSetup->PaperWidth()));
    edtPaperHeight->setText(general7(m_printerSetup->PaperHeight()));
    for (Margin m : {Margin::Top, Margin::Bottom, Margin::Left, Margin::Right}) marginEdit(m)->setText(general7(margin(m)));
    ppPageImage->SetPageDef(*m_printerSetup->PageDef());
    const bool landscape = m_printerSetup->Orientation() == TPrinterOrientation::poLandscape;
    rdbPortrait->setChecked(!landscape);
    rdbLandscape->setChecked(landscape);
    imgOrientation->setPixmap(QPixmap::fromImage(
        ppLoadBitmap(landscape ? QStringLiteral("TPPLANDSCAPEBITMAP") : QStringLiteral("TPPPORTRAITBITMAP"))));
    lbxPaperSource->setCurrentRow(-1);
    const QList<QListWidgetItem*> bins = lbxPaperSource->findItems(m_printerSetup->BinName(), Qt::MatchExactly);
    if (!bins.isEmpty()) lbxPaperSource->setCurrentItem(bins.first());
    m_updating = updating;
}

void TppPageSetupDialog::ShowLayout() {
    const bool updating = std::exchange(m_updating, true);
    const int columns = m_report ? m_report->Columns() : 1;
    if (m_report) {
        edtColumns->setText(QString::number(columns));
        edtColumnWidth->setText(general7(m_report->ColumnWidth()));
        if (m_detailBand) edtRowSpacing->setText(general7(m_detailBand->BottomOffset()));
    }
    const bool several = columns > 1;
    for (QWidget* w : std::initializer_list<QWidget*>{lblColumnWidth, edtColumnWidth, udColumnWidth, grdColumnPositions,
                                                      lblColumnPositions})
        w->setEnabled(several);
    ppPageImage->SetColumns(columns);
    ppPageImage->SetRowSpacing(m_detailBand ? m_detailBand->BottomOffset() : 0);

    grdColumnPositions->clear();
    grdColumnPositions->setColumnCount(several ? columns + 1 : 5);
    grdColumnPositions->setColumnWidth(0, 5);
    // 49 pixels, or what the caption needs in the dialog's font.
    const int cellWidth = std::max(49, grdColumnPositions->fontMetrics().horizontalAdvance(
                                           ppGetMessageText(372) + QStringLiteral(" 10")) + 10);
    for (int c = 1; c < grdColumnPositions->columnCount(); ++c) grdColumnPositions->setColumnWidth(c, cellWidth);
    for (int c = 0; c < grdColumnPositions->columnCount(); ++c) {
        for (int r = 0; r < 2; ++r) {
            auto* item = new QTableWidgetItem();
            Qt::ItemFlags flags = Qt::ItemIsEnabled;
            if (several && r == 1 && c >= 1) flags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
            item->setFlags(flags);
            if (!several && c >= 1) item->setBackground(palette().color(QPalette::Button));
            if (several && c >= 1) {
                if (r == 0) item->setText(ppGetMessageText(372) + QLatin1Char(' ') + QString::number(c));
                else item->setText(m_columnPositions.value(c - 1));
            }
            grdColumnPositions->setItem(r, c, item);
        }
    }
    m_updating = updating;
}

void TppPageSetupDialog::RecomputeColumnPositions() {
    m_columnPositions.clear();
    if (m_report->Columns() > 1) {
        const float left = m_printerSetup->MarginLeft();
        const float width = m_report->ColumnWidth();
        for (int c = 0; c < m_report->Columns(); ++c) m_columnPositions << general7(double(left) + double(c) * width);
    }
    m_report->SetColumnPositions(m_columnPositions);
}

// Field handlers -----------------------------------------------------------------------------

bool TppPageSetupDialog::ignoreEdit() const {
    return m_updating || !m_report || focusWidget() == btnCancel || QApplication::focusWidget() == btnCancel;
}

void TppPageSetupDialog::showInvalidValue() {
    m_invalid = true;
    ShowWarning(ppGetMessageText(377));
}

bool TppPageSetupDialog::readNumber(QLineEdit* aEdit, float& aValue) {
    const base::Result<double> value = format::TryStrToFloat(aEdit->text());
    if (!value) {
        showInvalidValue();
        return false;
    }
    m_invalid = false;
    aValue = float(*value);
    return true;
}

void TppPageSetupDialog::cbxPrinterNameChange() {
    if (m_updating || !m_report) return;
    m_printerSetup->SetPrinterName(cbxPrinterName->currentText());
    FillPrinterLists();
}

void TppPageSetupDialog::edtDocumentNameExit() {
    if (m_updating || !m_report) return;
    m_printerSetup->SetDocumentName(edtDocumentName->text());
}

void TppPageSetupDialog::edtCopiesExit() {
    if (m_updating || !m_report) return;
    const base::Result<int> copies = format::TryStrToInt(edtCopies->text());
    if (!copies) {
        showInvalidValue();  // the entered text stays
        return;
    }
    m_invalid = false;
    if (*copies > 0) m_printerSetup->SetCopies(*copies);
}

void TppPageSetupDialog::udCopiesClick(int aDirection) {
    if (!m_report) return;
    m_printerSetup->SetCopies(m_printerSetup->Copies() + aDirection);
    ShowPrinterSetup();
}

void TppPageSetupDialog::ckbCollationClick() {
    if (m_updating || !m_report) return;
    m_printerSetup->SetCollation(ckbCollation->isChecked());
}

void TppPageSetupDialog::cbxDuplexChange() {
    if (m_updating || !m_report) return;
    m_printerSetup->SetDuplex(TppDuplexType(std::max(0, cbxDuplex->currentIndex())));
}

void TppPageSetupDialog::cbxPaperNameChange() {
    if (m_updating || !m_report) return;
    m_printerSetup->SetPaperName(cbxPaperName->currentText());
    ShowPrinterSetup();
}

void TppPageSetupDialog::edtPaperSizeExit(bool aWidth) {
    if (ignoreEdit()) return;
    float value = 0;
    if (readNumber(aWidth ? edtPaperWidth : edtPaperHeight, value)) {
        if (aWidth) m_printerSetup->SetPaperWidth(value);
        else m_printerSetup->SetPaperHeight(value);
    }
    ShowPrinterSetup();
}

void TppPageSetupDialog::udPaperSizeClick(bool aWidth, int aDirection) {
    if (!m_report) return;
    if (aWidth) m_printerSetup->SetPaperWidth(m_printerSetup->PaperWidth() + aDirection * m_spinStep);
    else m_printerSetup->SetPaperHeight(m_printerSetup->PaperHeight() + aDirection * m_spinStep);
    ShowPrinterSetup();
}

void TppPageSetupDialog::rdbOrientationClick(bool aLandscape) {
    if (m_updating || !m_report) return;
    m_printerSetup->SetOrientation(aLandscape ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
    ShowPrinterSetup();
}

void TppPageSetupDialog::lbxPaperSourceClick() {
    if (m_updating || !m_report || !lbxPaperSource->currentItem()) return;
    m_printerSetup->SetBinName(lbxPaperSource->currentItem()->text());
}

void TppPageSetupDialog::edtColumnsExit() {
    if (ignoreEdit()) return;
    const base::Result<int> columns = format::TryStrToInt(edtColumns->text());
    if (!columns) {
        showInvalidValue();
    } else {
        m_invalid = false;
        m_report->SetColumns(*columns);
        RecomputeColumnPositions();
    }
    ShowLayout();
}

void TppPageSetupDialog::udColumnsClick(int aDirection) {
    if (!m_report) return;
    m_report->SetColumns(m_report->Columns() + aDirection);
    RecomputeColumnPositions();
    ShowLayout();
}

void TppPageSetupDialog::edtColumnWidthExit() {
    if (ignoreEdit()) return;
    float value = 0;
    if (readNumber(edtColumnWidth, value)) {
        m_report->SetColumnWidth(value);
        RecomputeColumnPositions();
    }
    ShowLayout();
}

void TppPageSetupDialog::udColumnWidthClick(int aDirection) {
    if (!m_report) return;
    m_report->SetColumnWidth(m_report->ColumnWidth() + aDirection * m_spinStep);
    RecomputeColumnPositions();
    ShowLayout();
}

void TppPageSetupDialog::edtRowSpacingExit() {
    if (ignoreEdit()) return;
    float value = 0;
    if (readNumber(edtRowSpacing, value) && m_detailBand) m_detailBand->SetBottomOffset(value);
    ShowLayout();
}

void TppPageSetupDialog::udRowSpacingClick(int aDirection) {
    if (!m_report || !m_detailBand) return;
    m_detailBand->SetBottomOffset(m_detailBand->BottomOffset() + aDirection * m_spinStep);
    ShowLayout();
}

QLineEdit* TppPageSetupDialog::marginEdit(Margin aMargin) const {
    switch (aMargin) {
    case Margin::Top: return edtTopMargin;
    case Margin::Bottom: return edtBottomMargin;
    case Margin::Left: return edtLeftMargin;
    case Margin::Right: return edtRightMargin;
    }
    return edtTopMargin;
}

float TppPageSetupDialog::margin(Margin aMargin) const {
    switch (aMargin) {
    case Margin::Top: return m_printerSetup->MarginTop();
    case Margin::Bottom: return m_printerSetup->MarginBottom();
    case Margin::Left: return m_printerSetup->MarginLeft();
    case Margin::Right: return m_printerSetup->MarginRight();
    }
    return 0;
}

void TppPageSetupDialog::setMargin(Margin aMargin, float aValue) {
    switch (aMargin) {
    case Margin::Top: m_printerSetup->SetMarginTop(aValue); break;
    case Margin::Bottom: m_printerSetup->SetMarginBottom(aValue); break;
    case Margin::Left: m_printerSetup->SetMarginLeft(aValue); break;
    case Margin::Right: m_printerSetup->SetMarginRight(aValue); break;
    }
}

void TppPageSetupDialog::edtMarginExit(Margin aMargin) {
    if (ignoreEdit()) return;
    float value = 0;
    if (!readNumber(marginEdit(aMargin), value)) return;  // the entered text stays
    setMargin(aMargin, value);
    ShowPrinterSetup();
}

void TppPageSetupDialog::udMarginClick(Margin aMargin, int aDirection) {
    if (!m_report) return;
    setMargin(aMargin, margin(aMargin) + aDirection * m_spinStep);
    ShowPrinterSetup();
}

void TppPageSetupDialog::grdColumnPositionsCommit(int aRow, int aColumn) {
    if (m_updating || !m_report || aRow != 1 || aColumn < 1) return;
    QTableWidgetItem* item = grdColumnPositions->item(aRow, aColumn);
    const base::Result<double> value = format::TryStrToFloat(item->text());
    if (!value) {
        showInvalidValue();
        ShowLayout();
        return;
    }
    m_invalid = false;
    if (aColumn - 1 < m_columnPositions.size()) m_columnPositions[aColumn - 1] = item->text().trimmed();
    m_report->SetColumnPositions(m_columnPositions);
    ShowLayout();
}

// Registration -------------------------------------------------------------------------------

namespace report {

void InstallPageSetupDialog() { RegisterForm<TppCustomPageSetupDialog, TppPageSetupDialog>(); }

void UnInstallPageSetupDialog() { UnRegisterForm<TppCustomPageSetupDialog>(); }

void ShowPageSetupDialog(TppCustomReport* aReport) {
    if (!aReport) return;
    std::unique_ptr<TppCustomPageSetupDialog> form(CreateForm<TppCustomPageSetupDialog>(nullptr));
    if (!form) return;
    ppSetFormReport(form.get(), aReport);
    ppSetFormLanguageIndex(form.get(), aReport->LanguageIndex());
    form->ShowModal();
}

}  // namespace report
