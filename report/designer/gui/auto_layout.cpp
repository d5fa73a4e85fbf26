#include "report/designer/gui/auto_layout.h"

#include "report/designer/docking/drop_down_panel.h"
#include "report/designer/gui/palette_buttons.h"
#include "report/designer/gui/report_tree_builders.h"
#include "report/designer/gui/wizard_pictures.h"
#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>

#include <algorithm>
#include <cstdlib>

namespace {

int bandHeightPx(const TppBand* aBand) {
    return aBand ? int(ppFromMMThousandths(aBand->mmHeight(), TppUnitType::utScreenPixels, report::kVertical, nullptr))
                 : 0;
}

void placeAt(TppComponent* aComponent, int aX, int aY) {
    aComponent->SetspLeft(aX);
    aComponent->SetspTop(aY);
}

int fontHeight(const TppComponent* aComponent) {
    return aComponent->Font() ? std::abs(aComponent->Font()->Height()) : 0;
}

/// The band after `aBand` in its report's band list; none for the last.
TppBand* nextBand(const TppBand* aBand) {
    TppCustomReport* r = aBand ? aBand->Report() : nullptr;
    if (!r) return nullptr;
    return r->Bands(r->IndexOfBand(aBand) + 1);
}

}  // namespace

// Tabular -------------------------------------------------------------------------------------------

QPoint TppAutoLayoutTabular::StartLabels() {
    QPoint pos(m_x, m_y);
    if (!HasLabels()) return pos;
    TppComponent* first = Labels.first();
    int b = bandHeightPx(first->Band()) - first->spHeight();
    if (HasLabelBoxes()) b -= 2;
    if (b < pos.y()) pos.setY(b);
    placeAt(first, pos.x(), pos.y());
    if (HasFields())
        for (int i = 0; i < std::min(Labels.size(), Fields.size()); ++i) {
            TppComponent* l = Labels.at(i);
            TppComponent* f = Fields.at(i);
            if (l->spWidth() < f->spWidth())
                l->SetspWidth(f->spWidth());
            else if (f->spWidth() < l->spWidth())
                f->SetspWidth(l->spWidth());
        }
    return pos;
}

QPoint TppAutoLayoutTabular::StartFields() {
    QPoint pos(m_x, m_y);
    if (!HasFields()) return pos;
    TppComponent* first = Fields.first();
    const int b = bandHeightPx(first->Band()) - (fontHeight(first) + 3);
    if (HasLabels()) {
        TppComponent* label = Labels.first();
        const int d = label->spTop() + label->spHeight();
        TppBand* next = b < d ? nextBand(label->Band()) : nullptr;
        if (next) {
            for (TppComponent* f : Fields) f->SetBand(next);
            pos.setY(2);
        } else {
            const int bandHeight = bandHeightPx(label->Band());
            pos.setY(bandHeight < d + 5 ? bandHeight - 4 : d + 5);
        }
    } else if (b < pos.y()) {
        pos.setY(b);
    }
    placeAt(first, pos.x(), pos.y());
    return pos;
}

void TppAutoLayoutTabular::Arrange() {
    QPoint l = StartLabels();
    QPoint f = StartFields();
    m_labelBandWidth = HasLabels() && Labels.first()->Band() ? Labels.first()->Band()->GetSpWidth() : 0;
    m_fieldBandWidth = HasFields() && Fields.first()->Band() ? Fields.first()->Band()->GetSpWidth() : 0;
    for (int i = 0; i < Count(); ++i) {
        TppComponent* label = HasLabels() ? Labels.value(i) : nullptr;
        if (label) {
            placeAt(label, l.x(), l.y());
            if (TppComponent* box = HasLabelBoxes() ? LabelBoxes.value(i) : nullptr) {
                box->SetBand(label->Band());
                box->SendToBack();
                placeAt(box, l.x() - 2, l.y() - 2);
                box->SetspWidth(label->spWidth() + 4);
                box->SetspHeight(label->spHeight() + 4);
            }
            if (i < Labels.size() - 1) {
                l.rx() += label->spWidth() + 4;
                if (l.x() > m_labelBandWidth) l.setX(m_labelBandWidth - 10);
            }
        }
        TppComponent* field = HasFields() ? Fields.value(i) : nullptr;
        if (field) {
            placeAt(field, f.x(), f.y());
            if (TppComponent* box = HasFieldBoxes() ? FieldBoxes.value(i) : nullptr) {
                box->SetBand(field->Band());
                box->SendToBack();
                placeAt(box, f.x() - 2, f.y() - 2);
                box->SetspWidth(field->spWidth() + 4);
                if (!label || label->Band() != field->Band()) {
                    box->SetParentHeight(true);
                    box->SetspHeight(std::max(1, bandHeightPx(field->Band()) - box->spTop()));
                } else {
                    box->SetspHeight(field->spHeight() + 4);
                }
            }
            if (i < Fields.size() - 1) {
                f.rx() += field->spWidth() + 4;
                if (f.x() > m_fieldBandWidth) f.setX(m_fieldBandWidth - 10);
            }
        }
    }
}

// Vertical -------------------------------------------------------------------------------------------

int TppAutoLayoutVertical::rowHeight(int aIndex) const {
    int h = 0;
    if (TppComponent* l = Labels.value(aIndex)) h = l->spHeight();
    if (TppComponent* f = Fields.value(aIndex)) h = std::max(h, f->spHeight());
    return h;
}

int TppAutoLayoutVertical::fieldColumnWidth() const {
    int w = 0;
    for (TppComponent* f : Fields) w = std::max(w, f->spWidth());
    return w;
}

QPoint TppAutoLayoutVertical::StartLabels() {
    if (!HasLabels()) return QPoint(m_x, m_y);
    int widest = 0;
    for (TppComponent* l : Labels) widest = std::max(widest, l->spWidth());
    for (TppComponent* l : Labels) l->SetspWidth(widest);
    TppComponent* first = Labels.first();
    const QPoint pos(m_x, rowHeight(0) + m_y - first->spHeight());
    placeAt(first, pos.x(), pos.y());
    return pos;
}

QPoint TppAutoLayoutVertical::StartFields() {
    if (!HasFields()) return QPoint(m_x, m_y);
    TppComponent* first = Fields.first();
    QPoint pos(m_x, rowHeight(0) + m_y - first->spHeight());
    if (HasLabels()) pos.setX(Labels.first()->spWidth() + m_x + 4);
    placeAt(first, pos.x(), pos.y());
    return pos;
}

void TppAutoLayoutVertical::Arrange() {
    QPoint l = StartLabels();
    QPoint f = StartFields();
    const int columnWidth = fieldColumnWidth();
    for (int i = 0; i < Count(); ++i) {
        const int h = rowHeight(i);
        if (TppComponent* label = HasLabels() ? Labels.value(i) : nullptr) {
            placeAt(label, l.x(), l.y());
            label->SetAlignment(TAlignment::taLeftJustify);
            if (TppComponent* box = HasLabelBoxes() ? LabelBoxes.value(i) : nullptr) {
                box->SetBand(label->Band());
                box->SetspLeft(l.x() - 2);
                box->SetspWidth(label->spWidth() + 4);
                box->SetspHeight(h + 4);
                box->SetspTop(l.y() + label->spHeight() - box->spHeight());
            }
            if (i < Labels.size() - 1) {
                l.ry() += label->spHeight() + 4;
                l.ry() += rowHeight(i + 1) - Labels.at(i + 1)->spHeight();
            }
        }
        if (TppComponent* field = HasFields() ? Fields.value(i) : nullptr) {
            placeAt(field, f.x(), f.y());
            field->SetAlignment(TAlignment::taLeftJustify);
            if (TppComponent* box = HasFieldBoxes() ? FieldBoxes.value(i) : nullptr) {
                box->SetBand(field->Band());
                box->SetspLeft(f.x() - 2);
                box->SetspWidth(columnWidth + 4);
                box->SetspHeight(h + 4);
                box->SetspTop(f.y() + field->spHeight() - box->spHeight());
            }
            if (i < Fields.size() - 1) {
                f.ry() += field->spHeight() + 4;
                f.ry() += rowHeight(i + 1) - Fields.at(i + 1)->spHeight();
            }
        }
    }
}

// TppAutoLayoutManager ------------------------------------------------------------------------------

namespace {

/// A caption that clicks its buddy button.
class ClickCaption : public QLabel {
public:
    ClickCaption(QWidget* aParent, TppFontButton* aButton) : QLabel(aParent), m_button(aButton) {}

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && m_button && m_button->isEnabled()) m_button->click();
    }

private:
    TppFontButton* m_button;
};

QFrame* bevelLine(QWidget* aParent) {
    auto* line = new QFrame(aParent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TppAutoLayoutManager::TppAutoLayoutManager(QObject* aWindow, QWidget* aPage) : QObject(aWindow), m_page(aPage) {
    report::DeclareReportTreeTexts();
    m_loading = true;
    m_createCaption = new QLabel(aPage);
    m_createCaption->setObjectName(QStringLiteral("lblCreate"));
    m_all = new QRadioButton(aPage);
    m_all->setObjectName(QStringLiteral("rdbAll"));
    m_labels = new QRadioButton(aPage);
    m_labels->setObjectName(QStringLiteral("rdbLabels"));
    m_fields = new QRadioButton(aPage);
    m_fields->setObjectName(QStringLiteral("rdbFields"));
    m_all->setChecked(true);
    m_styleCaption = new QLabel(aPage);
    m_styleCaption->setObjectName(QStringLiteral("lblStyle"));
    m_style = new QComboBox(aPage);
    m_style->setObjectName(QStringLiteral("cbxStyle"));
    m_labelsCaption = new QLabel(aPage);
    m_labelsCaption->setObjectName(QStringLiteral("lblLabels"));
    m_fieldsCaption = new QLabel(aPage);
    m_fieldsCaption->setObjectName(QStringLiteral("lblFields"));
    m_labelFont = new TppFontButton(aPage);
    m_labelFont->setObjectName(QStringLiteral("btnLabelFont"));
    m_fieldFont = new TppFontButton(aPage);
    m_fieldFont->setObjectName(QStringLiteral("btnFieldFont"));
    m_labelFontCaption = new ClickCaption(aPage, m_labelFont);
    m_labelFontCaption->setObjectName(QStringLiteral("lblLabelFont"));
    m_fieldFontCaption = new ClickCaption(aPage, m_fieldFont);
    m_fieldFontCaption->setObjectName(QStringLiteral("lblFieldFont"));
    m_labelGrid = new QCheckBox(aPage);
    m_labelGrid->setObjectName(QStringLiteral("chkLabelGrid"));
    m_fieldGrid = new QCheckBox(aPage);
    m_fieldGrid->setObjectName(QStringLiteral("chkFieldGrid"));
    m_preview = new QLabel(aPage);
    m_preview->setObjectName(QStringLiteral("imgPreview"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setFrameShadow(QFrame::Sunken);

    auto* grid = new QGridLayout(aPage);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(3);
    int row = 0;
    grid->addWidget(m_createCaption, row++, 0, 1, 3);
    grid->addWidget(m_all, row, 0);
    grid->addWidget(m_labels, row, 1);
    grid->addWidget(m_fields, row++, 2);
    grid->addWidget(bevelLine(aPage), row++, 0, 1, 3);
    grid->addWidget(m_styleCaption, row, 0);
    grid->addWidget(m_style, row++, 1, 1, 2);
    grid->addWidget(bevelLine(aPage), row++, 0, 1, 3);
    grid->addWidget(m_labelsCaption, row++, 0, 1, 3);
    grid->addWidget(m_labelFontCaption, row, 0);
    grid->addWidget(m_labelFont, row, 1);
    grid->addWidget(m_labelGrid, row++, 2);
    grid->addWidget(m_fieldsCaption, row++, 0, 1, 3);
    grid->addWidget(m_fieldFontCaption, row, 0);
    grid->addWidget(m_fieldFont, row, 1);
    grid->addWidget(m_fieldGrid, row++, 2);
    grid->addWidget(bevelLine(aPage), row++, 0, 1, 3);
    grid->addWidget(m_preview, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);

    for (QRadioButton* b : {m_all, m_labels, m_fields})
        connect(b, &QRadioButton::toggled, this, [this](bool aOn) {
            if (!aOn) return;
            UpdateEnabled();
            DrawPreview();
        });
    for (QCheckBox* c : {m_labelGrid, m_fieldGrid}) connect(c, &QCheckBox::toggled, this, [this] { DrawPreview(); });
    connect(m_style, &QComboBox::currentIndexChanged, this, [this] { DrawPreview(); });
    m_labelFont->OnClick = [this] { DrawPreview(); };
    m_fieldFont->OnClick = [this] { DrawPreview(); };

    LanguageChanged(0);
    m_style->setCurrentIndex(0);
    UpdateEnabled();
    m_loading = false;
    DrawPreview();
}

TppAutoLayoutManager::~TppAutoLayoutManager() = default;

bool TppAutoLayoutManager::CreateFields() const { return m_all->isChecked() || m_fields->isChecked(); }
bool TppAutoLayoutManager::CreateLabels() const { return m_all->isChecked() || m_labels->isChecked(); }
bool TppAutoLayoutManager::LabelGrid() const { return m_labelGrid->isChecked(); }
bool TppAutoLayoutManager::FieldGrid() const { return m_fieldGrid->isChecked(); }
TppFont* TppAutoLayoutManager::LabelFont() const { return m_labelFont->Font(); }
TppFont* TppAutoLayoutManager::FieldFont() const { return m_fieldFont->Font(); }
bool TppAutoLayoutManager::LayoutType() const { return m_style->currentIndex() == 0; }

void TppAutoLayoutManager::SetLayoutType(int aValue) { m_style->setCurrentIndex(aValue == 1 ? 0 : 1); }
void TppAutoLayoutManager::SetLabelGrid(bool aValue) { m_labelGrid->setChecked(aValue); }
void TppAutoLayoutManager::SetFieldGrid(bool aValue) { m_fieldGrid->setChecked(aValue); }

void TppAutoLayoutManager::SetLabelFont(const TppFont* aFont) {
    m_labelFont->SetFont(aFont);
    DrawPreview();
}

void TppAutoLayoutManager::SetFieldFont(const TppFont* aFont) {
    m_fieldFont->SetFont(aFont);
    DrawPreview();
}

void TppAutoLayoutManager::SetCreateLabels(bool aValue) {
    if (!aValue)
        m_fields->setChecked(true);
    else if (!CreateFields())
        m_labels->setChecked(true);
    else
        m_all->setChecked(true);
}

void TppAutoLayoutManager::SetCreateFields(bool aValue) {
    if (!aValue)
        m_labels->setChecked(true);
    else if (!CreateLabels())
        m_fields->setChecked(true);
    else
        m_all->setChecked(true);
}

void TppAutoLayoutManager::LanguageChanged(int aLanguageIndex) {
    Q_UNUSED(aLanguageIndex);
    m_createCaption->setText(ppGetMessageText(633));
    m_all->setText(ppGetMessageText(3));
    m_labels->setText(ppGetMessageText(636));
    m_fields->setText(ppGetMessageText(637));
    m_styleCaption->setText(ppGetMessageText(634));
    m_labelsCaption->setText(ppGetMessageText(636));
    m_fieldsCaption->setText(ppGetMessageText(637));
    m_labelFontCaption->setText(ppGetMessageText(168));
    m_fieldFontCaption->setText(ppGetMessageText(168));
    m_labelGrid->setText(ppGetMessageText(635));
    m_fieldGrid->setText(ppGetMessageText(635));
    const int index = m_style->currentIndex();
    const QSignalBlocker block(m_style);
    m_style->clear();
    m_style->addItems({ppGetMessageText(624), ppGetMessageText(626)});
    m_style->setCurrentIndex(index < 0 ? 0 : index);
}

void TppAutoLayoutManager::UpdateEnabled() {
    const bool labels = CreateLabels();
    const bool fields = CreateFields();
    m_labelFontCaption->setEnabled(labels);
    m_labelFont->setEnabled(labels);
    m_labelGrid->setEnabled(labels);
    m_fieldFontCaption->setEnabled(fields);
    m_fieldFont->setEnabled(fields);
    m_fieldGrid->setEnabled(fields);
}

QImage TppAutoLayoutManager::Preview() const { return m_preview->pixmap().toImage(); }

void TppAutoLayoutManager::DrawPreview() {
    if (m_loading) return;
    TppAutoLayoutBitmap picture;
    picture.ShowLabels = CreateLabels();
    picture.ShowFields = CreateFields();
    picture.FrameLabels = LabelGrid();
    picture.FrameFields = FieldGrid();
    picture.SetLabelFont(LabelFont());
    picture.SetFieldFont(FieldFont());
    picture.Tabular = LayoutType();
    QImage image;
    picture.DrawToBitmap(&image);
    m_preview->setPixmap(QPixmap::fromImage(image));
    if (OnChange) OnChange(this);
}
