#include "report/crosstab/gui/crosstab_designer.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/crosstab_classes.h"
#include "report/crosstab/elements.h"
#include "report/crosstab/gui/crosstab_wizard.h"

#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/text_layout.h"
#include "report/output/gui/printer_font_dialog.h"
#include "report/output/printer.h"
#include "report/output/wizard.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"

#include "platform/paint/color.h"
#include "platform/settings/ini_file.h"
#include "platform/ui/dialog_service.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString text(int aNumber) { return report::MessageText(aNumber); }

const char* const kSection = "Crosstab Dialog";

/// The field list: drags a field's alias to the diagram; takes back boxes of the diagram.
class CrossTabFieldList : public QListWidget {
public:
    explicit CrossTabFieldList(QWidget* parent) : QListWidget(parent) {
        setObjectName(QStringLiteral("lvwFields"));
        setDragEnabled(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        QPalette pal = palette();
        pal.setColor(QPalette::Base, paint::ToQColor(paint::clBtnFace));
        setPalette(pal);
    }

protected:
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override {
        auto* data = new QMimeData;
        if (!items.isEmpty()) data->setData(QString::fromLatin1(crosstab::kFieldMimeType), items.first()->text().toUtf8());
        return data;
    }
    QStringList mimeTypes() const override { return {QString::fromLatin1(crosstab::kFieldMimeType)}; }
};

}  // namespace

// Format bar --------------------------------------------------------------------------------------

TppCrossTabFormatBar::TppCrossTabFormatBar(TppCrossTabDesigner* aDesigner, QWidget* aParent)
    : QToolBar(aParent), m_designer(aDesigner) {
    setObjectName(QStringLiteral("tbrFormat"));
    setMovable(false);
    m_calc = new QComboBox(this);
    m_calc->setObjectName(QStringLiteral("cbxCalcType"));
    m_calc->setFixedWidth(80);
    for (int n = 1028; n <= 1032; ++n) m_calc->addItem(text(n));
    addWidget(m_calc);
    m_displayFormat = button(QStringLiteral("btnDisplayFormat"), QStringLiteral("#.##"), false);
    addSeparator();
    m_sortAsc = button(QStringLiteral("btnSortAsc"), QStringLiteral("A\u2193"), true);
    m_sortDesc = button(QStringLiteral("btnSortDesc"), QStringLiteral("Z\u2193"), true);
    m_sortAsc->setAutoExclusive(true);
    m_sortDesc->setAutoExclusive(true);
    addSeparator();
    m_fontName = new QFontComboBox(this);
    m_fontName->setObjectName(QStringLiteral("cbxFontName"));
    m_fontName->setFixedWidth(140);
    addWidget(m_fontName);
    m_fontSize = new QComboBox(this);
    m_fontSize->setObjectName(QStringLiteral("cbxFontSize"));
    m_fontSize->setEditable(true);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) m_fontSize->addItem(QString::number(s));
    m_fontSize->setFixedWidth(50);
    addWidget(m_fontSize);
    m_bold = button(QStringLiteral("btnBold"), QStringLiteral("B"), true);
    m_italic = button(QStringLiteral("btnItalic"), QStringLiteral("I"), true);
    m_underline = button(QStringLiteral("btnUnderline"), QStringLiteral("U"), true);
    addSeparator();
    m_left = button(QStringLiteral("btnAlignLeft"), QStringLiteral("\u2261L"), true);
    m_center = button(QStringLiteral("btnAlignCenter"), QStringLiteral("\u2261C"), true);
    m_right = button(QStringLiteral("btnAlignRight"), QStringLiteral("\u2261R"), true);
    for (auto* b : {m_left, m_center, m_right}) b->setAutoExclusive(true);
    addSeparator();
    m_fontColor = button(QStringLiteral("btnFontColor"), QStringLiteral("A"), false);
    m_fillColor = button(QStringLiteral("btnFillColor"), QStringLiteral("\u25A7"), false);

    connect(m_calc, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (m_showing || !m_designer->Selection()) return;
        m_designer->Selection()->SetPropValue(QStringLiteral("CalcType"), index);
        QVariant v;
        if (m_designer->Selection()->GetPropValue(QStringLiteral("CalcType"), v)) m_calc->setCurrentIndex(v.toInt());
    });
    connect(m_displayFormat, &QToolButton::clicked, this, [this] { m_designer->DisplayFormatDialog(); });
    connect(m_sortAsc, &QToolButton::clicked, this, [this] {
        if (m_designer->Selection()) m_designer->Selection()->SetPropValue(QStringLiteral("SortType"), 0);
    });
    connect(m_sortDesc, &QToolButton::clicked, this, [this] {
        if (m_designer->Selection()) m_designer->Selection()->SetPropValue(QStringLiteral("SortType"), 1);
    });
    connect(m_fontName, &QFontComboBox::currentFontChanged, this, [this] { applyFont(); });
    connect(m_fontSize, &QComboBox::currentTextChanged, this, [this] { applyFont(); });
    for (auto* b : {m_bold, m_italic, m_underline}) connect(b, &QToolButton::clicked, this, [this] { applyFont(); });
    connect(m_left, &QToolButton::clicked, this, [this] { applyAlignment(TAlignment::taLeftJustify); });
    connect(m_center, &QToolButton::clicked, this, [this] { applyAlignment(TAlignment::taCenter); });
    connect(m_right, &QToolButton::clicked, this, [this] { applyAlignment(TAlignment::taRightJustify); });
    connect(m_fontColor, &QToolButton::clicked, this, [this] {
        QColorDialog dialog(paint::ToQColor(m_textColor), this);
        dialog.setObjectName(QStringLiteral("dlgFontColor"));
        if (ui::ExecModal(dialog) != QDialog::Accepted) return;
        const QColor c = dialog.selectedColor();
        m_textColor = paint::TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
        applyFont();
    });
    connect(m_fillColor, &QToolButton::clicked, this, [this] { m_designer->ColorDialog(); });
    EnableFontControls(false);
    EnableCalcType(false);
    EnableDisplayFormat(false);
    EnableSortType(false);
}

QToolButton* TppCrossTabFormatBar::button(const QString& aName, const QString& aText, bool aCheckable) {
    auto* b = new QToolButton(this);
    b->setObjectName(aName);
    b->setText(aText);
    b->setCheckable(aCheckable);
    addWidget(b);
    return b;
}

void TppCrossTabFormatBar::EnableFontControls(bool aValue) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_fontName, m_fontSize, m_bold, m_italic, m_underline, m_left, m_center,
                                                      m_right, m_fontColor, m_fillColor})
        w->setEnabled(aValue);
}
void TppCrossTabFormatBar::EnableCalcType(bool aValue) { m_calc->setEnabled(aValue); }
void TppCrossTabFormatBar::EnableDisplayFormat(bool aValue) { m_displayFormat->setEnabled(aValue); }
void TppCrossTabFormatBar::EnableSortType(bool aValue) {
    m_sortAsc->setEnabled(aValue);
    m_sortDesc->setEnabled(aValue);
}

std::unique_ptr<TppFont> TppCrossTabFormatBar::GetToolbarFont() const {
    auto font = std::make_unique<TppFont>();
    paint::Font f = font->Font();
    f.Name = m_fontName->currentFont().family();
    f.Size = std::max(1, m_fontSize->currentText().toInt());
    f.Style = {};
    if (m_bold->isChecked()) f.Style.Include(paint::TFontStyle::fsBold);
    if (m_italic->isChecked()) f.Style.Include(paint::TFontStyle::fsItalic);
    if (m_underline->isChecked()) f.Style.Include(paint::TFontStyle::fsUnderline);
    f.Color = m_textColor;
    font->SetFont(f);
    return font;
}

TAlignment TppCrossTabFormatBar::GetTextAlignment() const {
    if (m_left->isChecked()) return TAlignment::taLeftJustify;
    if (m_right->isChecked()) return TAlignment::taRightJustify;
    return TAlignment::taCenter;
}

void TppCrossTabFormatBar::SetToolbarFont(const TppFont* aFont) {
    if (!aFont) return;
    const paint::Font& f = aFont->Font();
    m_fontName->setCurrentFont(QFont(f.Name));
    m_fontSize->setCurrentText(QString::number(f.Size));
    m_bold->setChecked(f.Style.Contains(paint::TFontStyle::fsBold));
    m_italic->setChecked(f.Style.Contains(paint::TFontStyle::fsItalic));
    m_underline->setChecked(f.Style.Contains(paint::TFontStyle::fsUnderline));
    m_textColor = f.Color;
}

void TppCrossTabFormatBar::SetTextAlignment(TAlignment aAlignment) {
    (aAlignment == TAlignment::taLeftJustify ? m_left : aAlignment == TAlignment::taRightJustify ? m_right : m_center)
        ->setChecked(true);
}

void TppCrossTabFormatBar::applyFont() {
    if (m_showing || !m_designer->Selection() || m_designer->Selection()->Count() == 0) return;
    std::unique_ptr<TppFont> font = GetToolbarFont();
    m_designer->Selection()->SetPropValue(QStringLiteral("Font"), QVariant::fromValue(static_cast<QObject*>(font.get())));
}

void TppCrossTabFormatBar::applyAlignment(TAlignment aAlignment) {
    if (m_showing || !m_designer->Selection()) return;
    m_designer->Selection()->SetPropValue(QStringLiteral("Alignment"), int(aAlignment));
}

void TppCrossTabFormatBar::SelectionChanged(TppCrossTabSelection* s) {
    m_showing = true;
    const bool font = s && s->HasProperty(QStringLiteral("Font"));
    EnableFontControls(font);
    QVariant v;
    if (font) {
        if (s->GetPropValue(QStringLiteral("Font"), v)) SetToolbarFont(qobject_cast<TppFont*>(v.value<QObject*>()));
        if (s->GetPropValue(QStringLiteral("Alignment"), v)) SetTextAlignment(TAlignment(v.toInt()));
    }
    const bool calc = s && s->HasProperty(QStringLiteral("CalcType"));
    EnableCalcType(calc);
    if (calc && s->GetPropValue(QStringLiteral("CalcType"), v)) m_calc->setCurrentIndex(v.toInt());
    EnableDisplayFormat(s && s->HasProperty(QStringLiteral("DisplayFormat")));
    const bool sort = s && s->HasProperty(QStringLiteral("SortType"));
    EnableSortType(sort);
    if (sort && s->GetPropValue(QStringLiteral("SortType"), v)) (v.toInt() == 0 ? m_sortAsc : m_sortDesc)->setChecked(true);
    m_showing = false;
}

// Pop-up menu -------------------------------------------------------------------------------------

TppCrossTabDesignerMenu::TppCrossTabDesignerMenu(TppCrossTabDesigner* aDesigner) : QMenu(aDesigner), m_designer(aDesigner) {
    setObjectName(QStringLiteral("mnuDesigner"));
    auto add = [&](int tag, const QString& caption, bool checkable) {
        QAction* a = addAction(caption);
        a->setObjectName(QStringLiteral("mniTag%1").arg(tag));
        a->setData(tag);
        a->setCheckable(checkable);
        m_items << a;
        return a;
    };
    connect(add(0, text(669), true), &QAction::triggered, this, [this] { m_designer->SetTipsVisible(!m_designer->TipsVisible()); });
    addSeparator();
    connect(add(1, text(670) + QStringLiteral("..."), false), &QAction::triggered, this, [this] { m_designer->FontDialog(); });
    connect(add(2, text(671) + QStringLiteral("..."), false), &QAction::triggered, this, [this] { m_designer->ColorDialog(); });
    connect(add(3, text(672) + QStringLiteral("..."), false), &QAction::triggered, this, [this] { m_designer->DisplayFormatDialog(); });
    QAction* skip = add(4, text(1102), true);
    connect(skip, &QAction::triggered, this, [this, skip] {
        // The tick has already flipped: it is the new value.
        if (m_designer->Selection()) m_designer->Selection()->SetPropValue(QStringLiteral("SkipNulls"), skip->isChecked());
    });
    QMenu* nullOrder = addMenu(text(1108));
    QAction* order = nullOrder->menuAction();
    order->setObjectName(QStringLiteral("mniTag5"));
    order->setData(5);
    m_items << order;
    m_first = nullOrder->addAction(text(1109));
    m_last = nullOrder->addAction(text(1110));
    for (int tag : {0, 1}) {
        QAction* a = tag == 0 ? m_first : m_last;
        a->setObjectName(tag == 0 ? QStringLiteral("mniNullFirst") : QStringLiteral("mniNullLast"));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, tag] {
            if (m_designer->Selection()) m_designer->Selection()->SetPropValue(QStringLiteral("NullOrder"), tag);
        });
    }
    connect(add(6, text(673), true), &QAction::triggered, this, [this] {
        if (m_designer->Selection()) m_designer->Selection()->SetPropValue(QStringLiteral("Visible"), true);
    });
    addSeparator();
    connect(add(7, text(674), true), &QAction::triggered, this, [this] {
        if (!m_designer->CrossTab()) return;
        m_designer->CrossTab()->SetGridLines(!m_designer->CrossTab()->GridLines());
        if (m_designer->Control()) m_designer->Control()->Refresh();
    });
    connect(this, &QMenu::aboutToShow, this, [this] { UpdateItems(); });
}

QAction* TppCrossTabDesignerMenu::Item(int aTag) const {
    for (QAction* a : m_items)
        if (a->data().toInt() == aTag) return a;
    return nullptr;
}

void TppCrossTabDesignerMenu::UpdateItems() {
    TppCrossTabSelection* s = m_designer->Selection();
    auto has = [&](const char* name) { return s && s->HasProperty(QString::fromLatin1(name)); };
    Item(0)->setChecked(m_designer->TipsVisible());
    Item(1)->setEnabled(has("Font"));
    Item(2)->setEnabled(has("Color"));
    Item(3)->setEnabled(has("DisplayFormat"));
    QVariant v;
    const bool skip = has("SkipNulls");
    Item(4)->setEnabled(skip);
    const bool skipped = skip && s->GetPropValue(QStringLiteral("SkipNulls"), v) && v.toBool();
    Item(4)->setChecked(skipped);
    Item(5)->setEnabled(!skipped && has("NullOrder"));
    int order = -1;
    if (has("NullOrder") && s->GetPropValue(QStringLiteral("NullOrder"), v)) order = v.toInt();
    m_first->setChecked(order == 0);
    m_last->setChecked(order == 1);
    const bool totals = s && s->HasTotals();
    Item(6)->setEnabled(totals);
    bool visible = false;
    if (totals)
        for (int i = 0; i < s->Count(); ++i)
            if (auto* t = qobject_cast<TppTotal*>(s->Items(i)->Parent())) {
                visible = t->GetVisible();
                break;
            }
    Item(6)->setChecked(visible);
    Item(7)->setChecked(m_designer->CrossTab() && m_designer->CrossTab()->GridLines());
}

// Designer panel ----------------------------------------------------------------------------------

TppCrossTabDesigner::TppCrossTabDesigner(QWidget* aParent) : QWidget(aParent), m_crossTab(std::make_unique<TppCrossTab>()) {
    setObjectName(QStringLiteral("pnlCrossTabDesigner"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    // Tips.
    m_tips = new QWidget(this);
    m_tips->setObjectName(QStringLiteral("pnlTips"));
    m_tips->setFixedHeight(83);
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(text(663 + i), m_tips);
        l->setObjectName(QStringLiteral("lblTip%1").arg(i + 1));
        l->move(209, 8 + 18 * i);
        l->adjustSize();
    }
    auto* picture = new QLabel(m_tips);
    picture->setObjectName(QStringLiteral("imgTips"));
    picture->setPixmap(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("PPCROSSTABTIPS"))));
    picture->move(6, 3);
    picture->adjustSize();
    outer->addWidget(m_tips);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splFields"));
    splitter->setHandleWidth(3);
    // Field list.
    m_fieldPanel = new QWidget(splitter);
    m_fieldPanel->setObjectName(QStringLiteral("pnlFields"));
    auto* fieldLayout = new QVBoxLayout(m_fieldPanel);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    auto* fieldsHeader = new QLabel(QStringLiteral(" ") + text(637), m_fieldPanel);
    fieldsHeader->setFixedHeight(21);
    fieldLayout->addWidget(fieldsHeader);
    m_fieldPanel->resize(164, m_fieldPanel->height());
    // Layout panel.
    auto* layoutPanel = new QWidget(splitter);
    auto* layoutLayout = new QVBoxLayout(layoutPanel);
    layoutLayout->setContentsMargins(0, 0, 0, 0);
    layoutLayout->setSpacing(0);
    auto* layoutHeader = new QLabel(QStringLiteral(" ") + text(612), layoutPanel);
    layoutHeader->setFixedHeight(21);
    layoutLayout->addWidget(layoutHeader);
    m_diagramPanel = new QWidget(layoutPanel);
    m_diagramPanel->setObjectName(QStringLiteral("pnlDiagram"));
    auto* diagramLayout = new QVBoxLayout(m_diagramPanel);
    diagramLayout->setContentsMargins(0, 0, 0, 0);
    diagramLayout->setSpacing(0);
    m_formatBar = new TppCrossTabFormatBar(this, m_diagramPanel);
    diagramLayout->addWidget(m_formatBar);
    m_diagramHost = new QWidget(m_diagramPanel);
    m_diagramHost->setLayout(new QVBoxLayout);
    m_diagramHost->layout()->setContentsMargins(0, 0, 0, 0);
    diagramLayout->addWidget(m_diagramHost, 1);
    layoutLayout->addWidget(m_diagramPanel, 1);
    splitter->addWidget(m_fieldPanel);
    splitter->addWidget(layoutPanel);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({164, 600});
    outer->addWidget(splitter, 1);
    m_menu = new TppCrossTabDesignerMenu(this);
    m_diagramPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_diagramPanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_menu->popup(m_diagramPanel->mapToGlobal(p)); });
    Rebuild();
}

TppCrossTabDesigner::~TppCrossTabDesigner() {
    m_control.reset();
    if (m_crossTab) m_crossTab->OnDesignerDefinitionsChanged = nullptr;
}

void TppCrossTabDesigner::SetCrossTab(TppCrossTab* aCrossTab) {
    if (aCrossTab) {
        m_crossTab->Assign(aCrossTab);
        // Assign leaves out the style and pagination; the working copy shows the original's.
        m_crossTab->SetStyle(aCrossTab->Style());
        m_crossTab->SetPagination(aCrossTab->Pagination());
        m_crossTab->Changed(false);
    }
    Rebuild();
}

void TppCrossTabDesigner::Rebuild() {
    m_control.reset();
    delete m_fieldList;
    m_fieldList = new CrossTabFieldList(m_fieldPanel);
    m_fieldPanel->layout()->addWidget(m_fieldList);
    m_fieldList->show();
    m_control = std::make_unique<TppCrossTabControl>(m_crossTab.get(), m_diagramHost);
    m_control->FieldListView = m_fieldList;
    m_control->OnGetDragField = [this] {
        QListWidgetItem* item = m_fieldList->currentItem();
        return item ? item->text() : QString();
    };
    m_control->OnSelectionChange = [this](TppCrossTabSelection* s) { m_formatBar->SelectionChanged(s); };
    m_control->OnHint = [this](const QString& hint) {
        if (StatusBar) StatusBar->showMessage(hint);
    };
    m_control->OnDropOnFieldList = [this] { RemoveSelected(); };
    m_crossTab->OnDesignerDefinitionsChanged = [this](QObject*) { loadFieldList(); };
    m_crossTab->RefreshAvailableFields();
    loadFieldList();
    m_control->SetVisible(true);
    m_formatBar->SetControl(m_control.get());
    m_formatBar->SelectionChanged(m_control->Selection());
}

void TppCrossTabDesigner::loadFieldList() {
    if (!m_fieldList) return;
    m_fieldList->setUpdatesEnabled(false);
    m_fieldList->clear();
    for (const QString& alias : m_crossTab->AvailableFields()) m_fieldList->addItem(alias);
    m_fieldList->setUpdatesEnabled(true);
}

bool TppCrossTabDesigner::TipsVisible() const { return !m_tips->isHidden(); }
void TppCrossTabDesigner::SetTipsVisible(bool aValue) { m_tips->setVisible(aValue); }

void TppCrossTabDesigner::RemoveSelected() {
    TppCrossTabSelection* s = Selection();
    if (!s || !s->HasDimensions()) return;
    std::vector<QPointer<TppElement>> definitions;
    for (int i = 0; i < s->Count(); ++i) {
        TppElement* d = TppCrossTabControl::Standin(s->Items(i));
        if (!qobject_cast<TppDimension*>(d)) continue;
        if (std::find(definitions.begin(), definitions.end(), d) == definitions.end()) definitions.emplace_back(d);
    }
    m_control->BeginUpdate();
    s->Clear();
    for (auto& d : definitions) {
        if (!d) continue;
        const int index = m_crossTab->IndexOfChild(d);
        if (qobject_cast<TppColumnDef*>(d.data()))
            m_crossTab->RemoveColumnDef(index);
        else if (qobject_cast<TppRowDef*>(d.data()))
            m_crossTab->RemoveRowDef(index);
        else if (qobject_cast<TppValueDef*>(d.data()))
            m_crossTab->RemoveValueDef(index);
    }
    m_control->EndUpdate();
}

void TppCrossTabDesigner::FontDialog() {
    TppCrossTabSelection* s = Selection();
    QVariant v;
    if (!s || !s->GetPropValue(QStringLiteral("Font"), v)) return;
    TppPrinterFontDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgFont"));
    dialog.SetFont(qobject_cast<TppFont*>(v.value<QObject*>()));
    dialog.SetPrinter(ppGetPrinter());
    if (!dialog.Execute()) return;
    s->SetPropValue(QStringLiteral("Font"), QVariant::fromValue(static_cast<QObject*>(dialog.Font())));
}

void TppCrossTabDesigner::ColorDialog() {
    TppCrossTabSelection* s = Selection();
    QVariant v;
    if (!s || !s->GetPropValue(QStringLiteral("Color"), v)) return;
    QColorDialog dialog(paint::ToQColor(paint::TColor(v.toLongLong())), this);
    dialog.setObjectName(QStringLiteral("dlgColor"));
    if (ui::ExecModal(dialog) != QDialog::Accepted) return;
    const QColor c = dialog.selectedColor();
    s->SetPropValue(QStringLiteral("Color"), qlonglong(c.red() | (c.green() << 8) | (c.blue() << 16)));
}

void TppCrossTabDesigner::DisplayFormatDialog() {
    TppCrossTabSelection* s = Selection();
    QVariant format, type;
    if (!s || !s->GetPropValue(QStringLiteral("DisplayFormat"), format) || !s->GetPropValue(QStringLiteral("DataType"), type)) return;
    std::unique_ptr<TppCustomFormatDialog> dialog(report::CreateForm<TppCustomFormatDialog>(QCoreApplication::instance()));
    if (!dialog) return;
    QStringList formats;
    ppGetDisplayFormats(TppDataType(type.toInt()), formats);
    dialog->SetDisplayFormat(format.toString());
    dialog->SetDisplayFormats(formats);
    if (dialog->ShowModal() != report::ModalResult::mrOk) return;
    QString chosen;
    dialog->GetDisplayFormat(chosen);
    s->SetPropValue(QStringLiteral("DisplayFormat"), chosen);
}

// Form --------------------------------------------------------------------------------------------

QString& TppCrossTabDesignerForm::SettingsFile() {
    static QString file = QStringLiteral("Marlisk.ini");
    return file;
}

TppCrossTabDesignerForm::TppCrossTabDesignerForm(QObject* aOwner) : TppForm(aOwner) {
    setObjectName(QStringLiteral("frmCrossTabDesigner"));
    setWindowTitle(text(662));
    resize(719, 555);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_designer = new TppCrossTabDesigner(this);
    layout->addWidget(m_designer, 1);
    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(36);
    auto* buttons = new QHBoxLayout(bottom);
    buttons->addStretch(1);
    auto* ok = new QPushButton(text(17), bottom);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(text(5), bottom);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(bottom);
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbrStatus"));
    status->showMessage(QStringLiteral("Ready."));
    status->hide();
    layout->addWidget(status);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        reject();
    });
    loadPlacement();
}

TppCrossTabDesignerForm::~TppCrossTabDesignerForm() = default;

void TppCrossTabDesignerForm::LanguageChanged() {
    setWindowTitle(text(662));
    if (auto* ok = findChild<QPushButton*>(QStringLiteral("btnOK"))) ok->setText(text(17));
    if (auto* cancel = findChild<QPushButton*>(QStringLiteral("btnCancel"))) cancel->setText(text(5));
}

void TppCrossTabDesignerForm::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    if (auto* crossTab = qobject_cast<TppCrossTab*>(CrossTab()); crossTab && crossTab != m_configured) {
        m_configured = crossTab;
        m_designer->SetCrossTab(crossTab);
    }
}

void TppCrossTabDesignerForm::finish(bool aAccepted) {
    if (m_finished) return;
    m_finished = true;
    savePlacement();
    // Only OK keeps the changes; Cancel and the close box discard them.
    if (aAccepted && !m_cancelled && m_configured && m_designer->CrossTab()->Modified()) {
        m_configured->Assign(m_designer->CrossTab());
        m_configured->Changed(true);
    }
}

void TppCrossTabDesignerForm::closeEvent(QCloseEvent* event) {
    m_cancelled = true;
    TppForm::closeEvent(event);
}

void TppCrossTabDesignerForm::done(int r) {
    finish(r == QDialog::Accepted);
    TppForm::done(r);
}

void TppCrossTabDesignerForm::loadPlacement() {
    settings::IniFile ini(SettingsFile());
    const QString section = QString::fromLatin1(kSection);
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(1024, 768);
    int width = 790, height = 600;
    if (screen.width() != 1024) {
        width = 790 * screen.width() / 1024;
        height = 555 * screen.height() / 768;
    }
    const int state = ini.ReadInteger(section, QStringLiteral("WindowState"), 0);
    QRect bounds((screen.width() - width) / 2, (screen.height() - height) / 2, width, height);
    if (state == 0) {
        bounds = QRect(ini.ReadInteger(section, QStringLiteral("Left"), bounds.left()),
                       ini.ReadInteger(section, QStringLiteral("Top"), bounds.top()),
                       ini.ReadInteger(section, QStringLiteral("Width"), width),
                       ini.ReadInteger(section, QStringLiteral("Height"), height));
    }
    setGeometry(bounds);
    if (state == 2) setWindowState(Qt::WindowMaximized);
    m_designer->FieldListPanel()->resize(ini.ReadInteger(section, QStringLiteral("Field List Width"), 185),
                                         m_designer->FieldListPanel()->height());
    if (auto* splitter = m_designer->findChild<QSplitter*>(QStringLiteral("splFields")))
        splitter->setSizes({ini.ReadInteger(section, QStringLiteral("Field List Width"), 185), 600});
    m_designer->SetTipsVisible(ini.ReadBool(section, QStringLiteral("Tips Visible"), true));
}

void TppCrossTabDesignerForm::savePlacement() {
    settings::IniFile ini(SettingsFile());
    const QString section = QString::fromLatin1(kSection);
    const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    ini.WriteInteger(section, QStringLiteral("WindowState"), state);
    const QRect g = geometry();
    ini.WriteInteger(section, QStringLiteral("Left"), g.left());
    ini.WriteInteger(section, QStringLiteral("Top"), g.top());
    ini.WriteInteger(section, QStringLiteral("Width"), g.width());
    ini.WriteInteger(section, QStringLiteral("Height"), g.height());
    ini.WriteInteger(section, QStringLiteral("Field List Width"), m_designer->FieldListPanel()->width());
    ini.WriteBool(section, QStringLiteral("Tips Visible"), m_designer->TipsVisible());
}

// Registration ------------------------------------------------------------------------------------

namespace report {

void RegisterCrossTabWindows() {
    RegisterCrossTabClasses();
    DeclareTexts({
        {5, "Cancel"},
        {17, "OK"},
        {147, "&Landscape"},
        {148, "&Portrait"},
        {217, "Orientation"},
        {600, "Back"},
        {606, "Data Pipeline Name"},
        {607, "Do you want to preview the report or modify the report's design?"},
        {609, "Finish"},
        {612, "Layout"},
        {613, "Modify the report's design"},
        {614, "Next"},
        {617, "Please enter a title for your report."},
        {618, "Preview the report"},
        {625, "That is all the information needed to create your report."},
        {637, "Fields"},
        {659, "new column"},
        {660, "new row"},
        {661, "new value"},
        {662, "Configure Crosstab"},
        {663, "Drag fields from the list onto new column, new row or new value."},
        {664, "Drag a box onto another box to move it, or back to the list to remove it."},
        {665, "Double-click a total to show or hide it; Ctrl+click selects several boxes."},
        {666, "Format the selected boxes with the bar above or the right mouse button."},
        {669, "&Tips"},
        {670, "&Font"},
        {671, "&Color"},
        {672, "&Display Format"},
        {673, "&Visible"},
        {674, "&Gridlines"},
        {678, "CrossTab Wizard"},
        {679, "Data must be selected before continuing"},
        {680, "Specify the data and page orientation"},
        {1102, "&Skip Nulls"},
        {1108, "Null Order"},
        {1109, "First"},
        {1110, "Last"},
    });
    RegisterForm<TppCustomCrossTabDesignerForm, TppCrossTabDesignerForm>();
    ppRegisterWizard(ppWizardClass<TppCrossTabWizard>());
}

void UnRegisterCrossTabWindows() {
    UnRegisterForm<TppCustomCrossTabDesignerForm>();
    ppUnregisterWizard(ppWizardClass<TppCrossTabWizard>());
}

}  // namespace report
