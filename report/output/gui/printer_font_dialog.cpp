#include "report/output/gui/printer_font_dialog.h"

#include "report/page/report_font.h"

#include "platform/ui/dialog_service.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

TppPrinterFontDialog::TppPrinterFontDialog(QWidget* aParent) : QDialog(aParent), m_font(std::make_unique<TppFont>()) {
    setObjectName(QStringLiteral("ppPrinterFontDialog"));
    setWindowTitle(QStringLiteral("Font"));
    auto* grid = new QGridLayout(this);
    auto* faceLabel = new QLabel(QStringLiteral("&Font:"), this);
    m_faces = new QListWidget(this);
    m_faces->setObjectName(QStringLiteral("lbxFontName"));
    faceLabel->setBuddy(m_faces);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("edtFontSize"));
    m_size->setRange(1, 1638);
    sizeLabel->setBuddy(m_size);
    m_bold = new QCheckBox(QStringLiteral("&Bold"), this);
    m_bold->setObjectName(QStringLiteral("cbxBold"));
    m_italic = new QCheckBox(QStringLiteral("&Italic"), this);
    m_italic->setObjectName(QStringLiteral("cbxItalic"));
    m_underline = new QCheckBox(QStringLiteral("&Underline"), this);
    m_underline->setObjectName(QStringLiteral("cbxUnderline"));
    m_strikeOut = new QCheckBox(QStringLiteral("Stri&keout"), this);
    m_strikeOut->setObjectName(QStringLiteral("cbxStrikeOut"));
    m_sample = new QLabel(QStringLiteral("AaBbYyZz"), this);
    m_sample->setObjectName(QStringLiteral("lblSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    m_sample->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        takeChoice();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(sizeLabel, 0, 1);
    grid->addWidget(m_faces, 1, 0, 5, 1);
    grid->addWidget(m_size, 1, 1);
    grid->addWidget(m_bold, 2, 1);
    grid->addWidget(m_italic, 3, 1);
    grid->addWidget(m_underline, 4, 1);
    grid->addWidget(m_strikeOut, 5, 1);
    grid->addWidget(m_sample, 6, 0, 1, 2);
    grid->addWidget(buttons, 7, 0, 1, 2);
    grid->setRowStretch(5, 1);

    fillFaces();
    showFont();
    connect(m_faces, &QListWidget::currentRowChanged, this, [this] { updateSample(); });
    connect(m_size, &QSpinBox::valueChanged, this, [this] { updateSample(); });
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, [this] { updateSample(); });
}

TppPrinterFontDialog::~TppPrinterFontDialog() = default;

void TppPrinterFontDialog::fillFaces() {
    // The print system renders every installed family on every printer, so the printer's
    // fonts are the installed ones.
    const TppFontList fonts;
    m_faces->clear();
    m_faces->addItems(fonts.Names());
}

void TppPrinterFontDialog::SetFont(const TppFont* aFont) {
    if (aFont) m_font->Assign(const_cast<TppFont*>(aFont));
    showFont();
}

void TppPrinterFontDialog::showFont() {
    const QList<QListWidgetItem*> found = m_faces->findItems(m_font->Name(), Qt::MatchFixedString);
    m_faces->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    m_size->setValue(m_font->Size());
    const paint::TFontStyles style = m_font->Style();
    m_bold->setChecked(style.Contains(paint::TFontStyle::fsBold));
    m_italic->setChecked(style.Contains(paint::TFontStyle::fsItalic));
    m_underline->setChecked(style.Contains(paint::TFontStyle::fsUnderline));
    m_strikeOut->setChecked(style.Contains(paint::TFontStyle::fsStrikeOut));
    updateSample();
}

void TppPrinterFontDialog::updateSample() {
    QFont f = m_sample->font();
    if (m_faces->currentItem()) f.setFamily(m_faces->currentItem()->text());
    f.setPointSize(m_size->value());
    f.setBold(m_bold->isChecked());
    f.setItalic(m_italic->isChecked());
    f.setUnderline(m_underline->isChecked());
    f.setStrikeOut(m_strikeOut->isChecked());
    m_sample->setFont(f);
}

void TppPrinterFontDialog::takeChoice() {
    if (m_faces->currentItem()) m_font->SetName(m_faces->currentItem()->text());
    m_font->SetSize(m_size->value());
    paint::TFontStyles style;
    const std::pair<QCheckBox*, paint::TFontStyle> boxes[] = {{m_bold, paint::TFontStyle::fsBold},
                                                              {m_italic, paint::TFontStyle::fsItalic},
                                                              {m_underline, paint::TFontStyle::fsUnderline},
                                                              {m_strikeOut, paint::TFontStyle::fsStrikeOut}};
    for (const auto& [box, s] : boxes)
        if (box->isChecked()) style.Include(s);
    m_font->SetStyle(style);
}

bool TppPrinterFontDialog::Execute() { return ui::ExecModal(*this) == QDialog::Accepted; }
