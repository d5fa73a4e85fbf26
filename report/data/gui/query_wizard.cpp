#include "report/data/gui/query_wizard.h"

#include "report/data/gui/data_gui_texts.h"
#include "report/data/gui/join_dialogs.h"
#include "report/data/gui/query_wizard_pictures.h"
#include "report/model/report_utils.h"
#include "report/model/text_layout.h"
#include "report/output/wizard.h"
#include "report/page/class_library.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>

#ifndef DOSSARA_ICON_THEME
#define DOSSARA_ICON_THEME "/usr/share/icons/Adwaita"
#endif

namespace {

QString text(int aNumber) { return ppGetMessageText(aNumber); }

QObject* entryOf(const QListWidgetItem* aLine) { return aLine ? aLine->data(Qt::UserRole).value<QObject*>() : nullptr; }

/// A glyph of the icon theme by name; the program's own picture of that resource name when the
/// theme has none.
QIcon glyph(const char* aThemeName, const char* aResource) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        for (const char* context : {"legacy", "actions"}) {
            const QString path = QStringLiteral(DOSSARA_ICON_THEME "/%1x%1/%2/%3.png")
                                     .arg(size)
                                     .arg(QLatin1String(context), QLatin1String(aThemeName));
            if (QFileInfo::exists(path)) {
                icon.addFile(path, QSize(size, size));
                break;
            }
        }
    return icon.isNull() ? QIcon(QPixmap::fromImage(ppLoadBitmap(QString::fromLatin1(aResource)))) : icon;
}

/// A refusal of the wizard: an error box with its caption and OK.
void refuse(const QString& aText) {
    ppMessageDlg(text(811), aText, ui::MessageKind::Error, ui::Buttons{ui::Button::Ok});
}

/// The picture of a class drawn into a new bitmap.
template <class B>
QImage drawn() {
    QImage image;
    ppDrawMetaBitmap([] { return std::make_unique<B>(); }, &image);
    return image;
}

/// The picture with its background colour (the bottom left pixel) made transparent.
QPixmap transparent(const QImage& aImage) {
    if (aImage.isNull()) return {};
    QImage image = aImage.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == key) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

/// The tables list: a table that cannot be joined to the selection is written in the
/// button-face colour.
class JoinableDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* aPainter, const QStyleOptionViewItem& aOption, const QModelIndex& aIndex) const override {
        QStyleOptionViewItem option(aOption);
        auto* table = qobject_cast<TdaTable*>(aIndex.data(Qt::UserRole).value<QObject*>());
        if (table && !table->Joinable()) {
            const QColor face = option.palette.color(QPalette::Button);
            option.palette.setColor(QPalette::Text, face);
            option.palette.setColor(QPalette::HighlightedText, face);
        }
        QStyledItemDelegate::paint(aPainter, option, aIndex);
    }
};

/// The criteria list: each line indented by 20 pixels per level plus 2, in the highlight
/// colours when selected, with a focus rectangle.
class CriteriaDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* aPainter, const QStyleOptionViewItem& aOption, const QModelIndex& aIndex) const override {
        const bool selected = aOption.state & QStyle::State_Selected;
        const QPalette& palette = aOption.palette;
        aPainter->fillRect(aOption.rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
        auto* criteria = qobject_cast<TdaCriteria*>(aIndex.data(Qt::UserRole).value<QObject*>());
        const int indent = 20 * (criteria ? criteria->Level() : 0) + 2;
        aPainter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        aPainter->drawText(aOption.rect.adjusted(indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           aIndex.data(Qt::DisplayRole).toString());
        if (aOption.state & QStyle::State_HasFocus) {
            aPainter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
            aPainter->drawRect(aOption.rect.adjusted(0, 0, -1, -1));
        }
    }
};

QPushButton* button(QWidget* aParent, const char* aName, int x, int y, int w, int h) {
    auto* b = ui::Make<QPushButton>(aParent, aName);
    b->setGeometry(x, y, w, h);
    return b;
}

QLabel* label(QWidget* aParent, const char* aName, int x, int y, const QString& aText) {
    auto* l = ui::Make<QLabel>(aParent, aName);
    l->setText(aText);
    l->move(x, y);
    l->adjustSize();
    return l;
}

}  // namespace

namespace report::data {

void DeclareQueryWizardTexts() {
    static const bool declared = [] {
        DeclareQueryDesignerTexts();
        DeclareTexts({
            {714, "Add calculated fields to the query."}, {715, "Add Calculations"}, {719, "All Rows"},
            {721, "Any query which contains calculations must be grouped by all selected fields."},
            {722, "Any query which contains calculations must be grouped by at least one field."},
            {723, "Any query which contains groups must be grouped by all selected fields."},
            {726, "At least one group field must be selected."}, {730, "Back"}, {738, "Cancel"},
            {739, "Choose Fields"}, {749, "Define Search Criteria"},
            {755, "Do you want to preview your query or modify your query's design?"}, {756, "Edit Criteria"},
            {764, "Finish"}, {768, "Group field(s) cannot be removed."},
            {770, "Group rows together based on common field values."}, {778, "Join"},
            {786, "Limit the rows returned."}, {789, "Modify the query's design"}, {791, "Next"},
            {792, "No Calculations"}, {793, "No Grouping"},
            {804, "Order the rows of the query based on field values."}, {809, "Preview the query"},
            {811, "Query Wizard"}, {816, "Right-click over the list box to see the edit options."},
            {820, "Select Group Fields"}, {821, "Select the fields for the query."},
            {822, "Select the tables that you want to query."}, {826, "Set Order"},
            {838, "You have finished defining your query."},
        });
        return true;
    }();
    (void)declared;
}

namespace {
bool g_wizardRegistered = false;
}

void RegisterQueryWizard() {
    if (g_wizardRegistered) return;
    g_wizardRegistered = true;
    DeclareQueryWizardTexts();
    RegisterClass(&TdaQueryWizard::staticMetaObject);
    daRegisterDataWizard(ppWizardClass<TdaQueryWizard>());
}

void UnRegisterQueryWizard() {
    if (!g_wizardRegistered) return;
    g_wizardRegistered = false;
    UnRegisterClass(&TdaQueryWizard::staticMetaObject);
    daUnRegisterDataWizard(ppWizardClass<TdaQueryWizard>());
}

}  // namespace report::data

// TdaQueryWizard ----------------------------------------------------------------------------

TdaQueryWizard::TdaQueryWizard(TComponent* aOwner) : TdaQueryViewWizard(aOwner) {
    report::data::DeclareQueryWizardTexts();
}

TdaQueryWizard::~TdaQueryWizard() = default;

QString TdaQueryWizard::ClassCaption(TClass) {
    report::data::DeclareQueryWizardTexts();
    return text(811);
}

QImage TdaQueryWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("DAQUERYWIZARD")); }

bool TdaQueryWizard::Execute() {
    TdaQueryDataView* queryView = openQueryView();
    if (!queryView) return false;

    auto form = std::make_unique<TdaQueryWizardDialog>(nullptr);
    m_form = form.get();
    form->CreateSQL(queryView->SQL());
    TdaSQL* sql = form->SQL();
    sql->AddNotify(queryView);
    form->OnCloseQuery = [this](TdaQueryWizardDialog* aForm) { return CloseQuery(aForm); };
    applyDataSettings(sql);
    form->Init();
    const bool result = takeQuery(sql, form->ShowModal() == report::ModalResult::mrOk);
    if (result) FollowUp = form->FinishChoice();
    form.reset();
    return result;
}

bool TdaQueryWizard::CloseQuery(TdaQueryWizardDialog* aForm) {
    if (!aForm->OKPressed) return true;
    return DoValidateName(aForm->SQL()->DataPipelineName());
}

// TdaQueryWizardDialog ----------------------------------------------------------------------

TdaQueryWizardDialog::TdaQueryWizardDialog(QObject* aOwner) : TppForm(aOwner) {
    report::data::DeclareQueryWizardTexts();
    setObjectName(QStringLiteral("daQueryWizardDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(490, 362);
    setWindowIcon(QIcon(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("DAQUERYWIZARD")))));
    m_pnlWizard = ui::Make<QWidget>(this, "pnlWizard");
    m_pnlWizard->setGeometry(0, 0, 490, 315);
    // The steps' tabs are hidden: a stack of pages stands for the page control.
    m_pageControl = ui::Make<QStackedWidget>(m_pnlWizard, "pgcWizard");
    m_pageControl->setGeometry(0, 0, 490, 315);
    m_bvlSeparator = ui::Make<QFrame>(this, "bvlSeparator");
    m_bvlSeparator->setFrameShape(QFrame::HLine);
    m_bvlSeparator->setFrameShadow(QFrame::Sunken);
    m_bvlSeparator->setGeometry(6, 317, 472, 2);
    m_btnCancel = button(this, "btnCancel", 152, 330, 75, 23);
    m_btnPrevious = button(this, "btnPrevious", 239, 330, 75, 23);
    m_btnNext = button(this, "btnNext", 314, 330, 75, 23);
    m_btnFinish = button(this, "btnFinish", 402, 330, 75, 23);
    m_btnNext->setDefault(true);
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { CancelClick(); });
    connect(m_btnPrevious, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { PreviousClick(); }); });
    connect(m_btnNext, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { NextClick(); }); });
    connect(m_btnFinish, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { FinishClick(); }); });
}

TdaQueryWizardDialog::~TdaQueryWizardDialog() { m_pages.clear(); }

void TdaQueryWizardDialog::CreateSQL(TdaSQL* aSQL) {
    m_sqlClass = aSQL ? aSQL->metaObject() : &TdaSQL::staticMetaObject;
    QObject* made = m_sqlClass->newInstance(Q_ARG(TComponent*, nullptr));
    auto* sql = qobject_cast<TdaSQL*>(made);
    if (!sql) {
        delete made;
        sql = new TdaSQL(nullptr);
    }
    m_sql.reset(sql);
    if (aSQL) m_sql->Assign(aSQL);
    m_sql->SetAllowSelfJoins(false);
}

void TdaQueryWizardDialog::Init() {
    setWindowTitle(text(811));
    m_btnFinish->setText(text(764));
    m_btnCancel->setText(text(738));
    m_btnPrevious->setText(QStringLiteral("< ") + text(730));
    m_btnNext->setText(text(791) + QStringLiteral(" >"));
    if (m_pages.empty()) {
        auto add = [this](std::unique_ptr<TdaWizardPage> aPage) {
            aPage->SetSQL(m_sql.get());
            m_pageControl->addWidget(aPage->TabSheet());
            m_pages.push_back(std::move(aPage));
        };
        add(std::make_unique<TdaWizardTablePage>(this, m_pageControl));
        add(std::make_unique<TdaWizardFieldPage>(this, m_pageControl));
        add(std::make_unique<TdaWizardCalcPage>(this, m_pageControl));
        add(std::make_unique<TdaWizardGroupPage>(this, m_pageControl));
        add(std::make_unique<TdaWizardSearchPage>(this, m_pageControl));
        add(std::make_unique<TdaWizardSortPage>(this, m_pageControl));
        add(std::make_unique<TdaWizardFinishPage>(this, m_pageControl));
    }
    showStep(0);
    m_sql->SetModified(false);
}

TdaWizardPage* TdaQueryWizardDialog::CurrentPage() const {
    return m_current >= 0 && m_current < int(m_pages.size()) ? m_pages[size_t(m_current)].get() : nullptr;
}

void TdaQueryWizardDialog::showStep(int aIndex) {
    if (aIndex < 0 || aIndex >= int(m_pages.size())) return;
    m_current = aIndex;
    UpdateButtons();
}

void TdaQueryWizardDialog::UpdateButtons() {
    const int last = int(m_pages.size()) - 1;
    m_btnPrevious->setVisible(m_current > 0);
    m_btnNext->setVisible(m_current < last);
    m_btnFinish->setVisible(m_current == last);
    (m_current == last ? m_btnFinish : m_btnNext)->setDefault(true);
    if (TdaWizardPage* page = CurrentPage()) {
        // Built (or refreshed) while its sheet is still hidden, then shown.
        page->ActivatePage();
        m_pageControl->setCurrentWidget(page->TabSheet());
    }
}

void TdaQueryWizardDialog::NextClick() {
    TdaWizardPage* page = CurrentPage();
    if (!page || m_current >= int(m_pages.size()) - 1) return;
    if (page->Apply()) showStep(m_current + 1);
}

void TdaQueryWizardDialog::PreviousClick() {
    if (m_current > 0) showStep(m_current - 1);
}

void TdaQueryWizardDialog::FinishClick() {
    TdaWizardPage* page = CurrentPage();
    if (!page || m_current != int(m_pages.size()) - 1) return;
    if (!page->Apply() || !m_sql->ValidateSQL()) return;
    if (auto* finish = qobject_cast<TdaWizardFinishPage*>(page)) m_finishChoice = finish->Choice();
    done(int(report::ModalResult::mrOk));
}

void TdaQueryWizardDialog::CancelClick() { done(int(report::ModalResult::mrCancel)); }

void TdaQueryWizardDialog::done(int r) {
    if (m_closing) {
        TppForm::done(r);
        return;
    }
    OKPressed = r == int(report::ModalResult::mrOk);
    bool close = true;
    if (OnCloseQuery) ui::RunGuarded(this, [&] { close = OnCloseQuery(this); });
    if (!close) {
        OKPressed = false;
        setResult(0);
        return;
    }
    m_closing = true;
    TppForm::done(OKPressed ? int(report::ModalResult::mrOk) : int(report::ModalResult::mrCancel));
    m_closing = false;
}

void TdaQueryWizardDialog::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    // The close box cancels.
    event->accept();
    m_closing = true;
    OKPressed = false;
    TppForm::done(int(report::ModalResult::mrCancel));
    m_closing = false;
}

// TdaWizardPage -----------------------------------------------------------------------------

TdaWizardPage::TdaWizardPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TppCommunicator(nullptr), m_form(aForm), m_pageControl(aPageControl) {
    m_tabSheet = new QWidget;
    m_tabSheet->setProperty("Tag", QVariant::fromValue<QObject*>(this));
}

TdaWizardPage::~TdaWizardPage() {
    SetSQL(nullptr);
    delete m_tabSheet.data();
}

void TdaWizardPage::SetSQL(TdaSQL* aSQL) {
    if (m_sql == aSQL) return;
    if (m_sql) m_sql->RemoveNotify(this);
    m_sql = aSQL;
    if (m_sql) m_sql->AddNotify(this);
}

void TdaWizardPage::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == TppOperationType::ppopRemove && aCommunicator == m_sql) m_sql = nullptr;
}

void TdaWizardPage::CreateControls() {
    m_pnlPicture = ui::Make<QWidget>(m_tabSheet.data(), "pnlPicture");
    m_pnlPicture->setGeometry(0, 0, 490, 315);
    m_imgPicture = ui::Make<QLabel>(m_pnlPicture, "imgPicture");
    m_imgPicture->setGeometry(16, 0, 160, 80);
    m_imgPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_imgPicture->setPixmap(transparent(Picture()));
    m_lblInstruction = ui::Make<QLabel>(m_pnlPicture, "lblInstruction");
    m_lblInstruction->setWordWrap(true);
    m_lblInstruction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblInstruction->setText(Instruction());
    m_lblInstruction->setGeometry(190, 15, 296, m_lblInstruction->heightForWidth(296));
}

void TdaWizardPage::ActivatePage() {
    if (m_initialized && !NeedsRefresh()) return;
    m_activating = true;
    if (!m_initialized) {
        CreateControls();
        Refresh();
        m_initialized = true;
    } else {
        Refresh();
    }
    m_activating = false;
}

// TdaWizardDualListPage ---------------------------------------------------------------------

TdaWizardDualListPage::TdaWizardDualListPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl, int aOptions)
    : TdaWizardPage(aForm, aPageControl), m_options(aOptions) {}

void TdaWizardDualListPage::CreateControls() {
    TdaWizardPage::CreateControls();
    if (!m_sql) return;
    const bool option = m_options & doOptionGroup;
    const bool move = m_options & doMoveButtons;
    const int panelHeight = option ? 178 : 230;
    m_pnlLists = ui::Make<QWidget>(m_pnlPicture, "pnlLists");
    m_pnlLists->setGeometry(0, 315 - panelHeight, 490, panelHeight);
    const int listWidth = move ? 179 : 191;
    const int listHeight = option ? 149 : 201;
    const int rightLeft = move ? 256 : 274;

    m_bvlAvailable = ui::Make<QFrame>(m_pnlLists, "bvlAvailable");
    m_bvlAvailable->setFrameShape(QFrame::Box);
    m_bvlAvailable->setFrameShadow(QFrame::Sunken);
    m_bvlAvailable->setGeometry(8, 6, listWidth + 17, listHeight + 18);
    m_bvlSelected = ui::Make<QFrame>(m_pnlLists, "bvlSelected");
    m_bvlSelected->setFrameShape(QFrame::Box);
    m_bvlSelected->setFrameShadow(QFrame::Sunken);
    m_bvlSelected->setGeometry(rightLeft - 8, 6, listWidth + 17 + (move ? 29 : 0), listHeight + 18);
    m_lblAvailable = label(m_pnlLists, "lblAvailable", 16, 0, text(AvailableLabelText()));
    m_lblSelected = label(m_pnlLists, "lblSelected", rightLeft, 0, text(SelectedLabelText()));
    for (QLabel* l : {m_lblAvailable, m_lblSelected}) {
        l->setAutoFillBackground(true);
        l->raise();
    }

    m_available = ui::Make<QListWidget>(m_pnlLists, "lbxAvailable");
    m_available->setGeometry(16, 16, listWidth, listHeight);
    m_selected = ui::Make<QListWidget>(m_pnlLists, "lbxSelected");
    m_selected->setGeometry(rightLeft, 16, listWidth, SelectedListHeight() > 0 ? SelectedListHeight() : listHeight);
    for (QListWidget* list : {m_available, m_selected}) {
        list->setSelectionMode(MultiSelect() ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
        list->setDragEnabled(true);
        list->setAcceptDrops(true);
        list->setDragDropMode(QAbstractItemView::DragDrop);
        list->viewport()->installEventFilter(this);
    }

    const int buttonLeft = rightLeft - 45;
    const bool all = m_options & doSelectAll;
    m_btnSelect = button(m_pnlLists, "btnSelect", buttonLeft, all ? 40 : 55, 30, 17);
    m_btnSelect->setIcon(glyph("go-next", "DASELECTONE"));
    m_btnDeselect = button(m_pnlLists, "btnDeselect", buttonLeft, all ? 92 : 84, 30, 17);
    m_btnDeselect->setIcon(glyph("go-previous", "DADESELECTONE"));
    connect(m_btnSelect, &QPushButton::clicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { SelectItems(selectedLines(m_available)); }); });
    connect(m_btnDeselect, &QPushButton::clicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { DeselectItems(selectedLines(m_selected)); }); });
    if (all) {
        m_btnSelectAll = button(m_pnlLists, "btnSelectAll", buttonLeft, 63, 30, 17);
        m_btnSelectAll->setIcon(glyph("go-last", "DASELECTALL"));
        m_btnDeselectAll = button(m_pnlLists, "btnDeselectAll", buttonLeft, 115, 30, 17);
        m_btnDeselectAll->setIcon(glyph("go-first", "DADESELECTALL"));
        connect(m_btnSelectAll, &QPushButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { SelectAllClick(); }); });
        connect(m_btnDeselectAll, &QPushButton::clicked, this,
                [this] { ui::RunGuarded(m_tabSheet, [&] { DeselectAllClick(); }); });
    }
    if (move) {
        m_btnMoveUp = button(m_pnlLists, "btnMoveUp", 441, 64, 25, 17);
        m_btnMoveUp->setIcon(glyph("go-up", "DAMOVEUP"));
        m_btnMoveDown = button(m_pnlLists, "btnMoveDown", 441, 105, 25, 17);
        m_btnMoveDown->setIcon(glyph("go-down", "DAMOVEDOWN"));
        connect(m_btnMoveUp, &QPushButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { MoveUpClick(); }); });
        connect(m_btnMoveDown, &QPushButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { MoveDownClick(); }); });
    }
    if (option) {
        auto* group = ui::Make<QFrame>(m_pnlPicture, "rgpOption");
        group->setFrameShape(QFrame::StyledPanel);
        group->setFrameShadow(QFrame::Sunken);
        group->setGeometry(8, 80, 305, 41);
        m_rgpOption = group;
        m_lblInstruction->raise();  // a long instruction may reach down to the group
        const auto [first, second] = OptionTexts();
        m_rbnFirst = ui::Make<QRadioButton>(group, "rbnOption1");
        m_rbnFirst->setText(text(first));
        m_rbnFirst->setGeometry(8, 11, 124, 20);
        m_rbnSecond = ui::Make<QRadioButton>(group, "rbnOption2");
        m_rbnSecond->setText(text(second));
        m_rbnSecond->setGeometry(136, 11, 166, 20);
        for (QRadioButton* b : {m_rbnFirst, m_rbnSecond})
            connect(b, &QRadioButton::toggled, this, [this](bool aChecked) {
                if (aChecked) ui::RunGuarded(m_tabSheet, [&] { OptionClick(); });
            });
    }

    connect(m_available, &QListWidget::itemDoubleClicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { AvailableDblClick(); }); });
    connect(m_selected, &QListWidget::itemDoubleClicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { SelectedDblClick(); }); });
}

bool TdaWizardDualListPage::eventFilter(QObject* aWatched, QEvent* aEvent) {
    const bool onAvailable = m_available && aWatched == m_available->viewport();
    const bool onSelected = m_selected && aWatched == m_selected->viewport();
    if (!onAvailable && !onSelected) return false;
    switch (aEvent->type()) {
    case QEvent::MouseButtonRelease:
        if (onSelected) {
            const QPoint at = static_cast<QMouseEvent*>(aEvent)->position().toPoint();
            m_selected->setProperty("clickedLine", m_selected->indexAt(at).row());
            ui::RunGuarded(m_tabSheet, [&] { SelectedClick(); });
        }
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDropEvent*>(aEvent);
        if (onAvailable ? AvailableDragOver(e->source()) : SelectedDragOver(e->source())) e->acceptProposedAction();
        else e->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(aEvent);
        QObject* source = e->source();
        e->ignore();  // the lists are refilled from the model, never by the view's own move
        ui::RunGuarded(m_tabSheet, [&] {
            if (onAvailable) AvailableDragDrop(source);
            else SelectedDragDrop(source);
        });
        return true;
    }
    default: return false;
    }
}

QList<int> TdaWizardDualListPage::selectedLines(QListWidget* aList) {
    QList<int> out;
    if (!aList) return out;
    for (int i = 0; i < aList->count(); ++i)
        if (aList->item(i)->isSelected()) out << i;
    return out;
}

void TdaWizardDualListPage::FillAvailableList() {
    const QSignalBlocker block(m_available);
    m_available->clear();
    const int count = GetAvailableCount();
    for (int i = 0; i < count; ++i) {
        QObject* entry = GetAvailable(i);
        auto* line = new QListWidgetItem(m_available);
        line->setData(Qt::UserRole, QVariant::fromValue(entry));
        FillAvailableItem(entry, line);
    }
}

void TdaWizardDualListPage::FillSelectedList() {
    const QSignalBlocker block(m_selected);
    m_selected->clear();
    const int count = GetSelectedCount();
    for (int i = 0; i < count; ++i) {
        QObject* entry = GetSelected(i);
        auto* line = new QListWidgetItem(m_selected);
        line->setData(Qt::UserRole, QVariant::fromValue(entry));
        FillSelectedItem(entry, line);
    }
    m_lineIndexes.clear();
}

void TdaWizardDualListPage::UpdateMoveButtons() {
    const bool enabled = m_selected && m_selected->count() > 1;
    if (m_btnMoveUp) m_btnMoveUp->setEnabled(enabled);
    if (m_btnMoveDown) m_btnMoveDown->setEnabled(enabled);
}

void TdaWizardDualListPage::Refresh() {
    if (!m_available || !m_sql) return;
    FillAvailableList();
    FillSelectedList();
    if ((m_options & doOptionGroup) && m_optionFollowsSelection && !m_inOption)
        SetOptionIndex(GetSelectedCount() > 0 ? 1 : 0);
    UpdateMoveButtons();
}

int TdaWizardDualListPage::OptionIndex() const {
    if (!m_rbnFirst) return -1;
    return m_rbnFirst->isChecked() ? 0 : m_rbnSecond->isChecked() ? 1 : -1;
}

void TdaWizardDualListPage::SetOptionIndex(int aIndex) {
    if (!m_rbnFirst || aIndex == OptionIndex()) return;
    if (aIndex == 0) m_rbnFirst->setChecked(true);
    else if (aIndex == 1) m_rbnSecond->setChecked(true);
}

void TdaWizardDualListPage::OptionClick() {
    const bool second = OptionIndex() == 1;
    if (m_pnlLists) m_pnlLists->setVisible(second);
    if (m_optionFollowsSelection && OptionIndex() == 0 && m_selected && m_selected->count() > 0) DeselectAllClick();
}

void TdaWizardDualListPage::SelectItems(const QList<int>& aLines) {
    if (!m_sql || !m_available) return;
    QList<QObject*> entries;
    for (int line : aLines)
        if (QListWidgetItem* item = m_available->item(line)) entries << entryOf(item);
    QList<QObject*> added;
    m_moving = true;
    for (QObject* entry : entries) {
        int index = -1;
        const int count = GetAvailableCount();
        for (int i = 0; i < count && index < 0; ++i)
            if (GetAvailable(i) == entry) index = i;
        if (index < 0) continue;
        if (QObject* child = AddSelected(index)) added << child;
    }
    m_moving = false;
    FillAvailableList();
    FillSelectedList();
    UpdateMoveButtons();
    for (int i = 0; i < m_selected->count(); ++i)
        if (added.contains(entryOf(m_selected->item(i)))) {
            m_selected->item(i)->setSelected(true);
            m_selected->scrollToItem(m_selected->item(i));
        }
}

void TdaWizardDualListPage::DeselectItems(const QList<int>& aLines) {
    if (!m_sql || !m_selected) return;
    QList<QObject*> entries;
    for (int line : aLines)
        if (QListWidgetItem* item = m_selected->item(line)) entries << entryOf(item);
    m_moving = true;
    for (QObject* entry : entries) {
        int index = -1;
        const int count = GetSelectedCount();
        for (int i = 0; i < count && index < 0; ++i)
            if (GetSelected(i) == entry) index = i;
        if (index >= 0) RemoveSelected(index);
    }
    m_moving = false;
    FillAvailableList();
    FillSelectedList();
    UpdateMoveButtons();
    deselectedBatch();
}

void TdaWizardDualListPage::SelectAllClick() {
    QList<int> all;
    for (int i = 0; i < m_available->count(); ++i) all << i;
    SelectItems(all);
}

void TdaWizardDualListPage::DeselectAllClick() {
    QList<int> all;
    for (int i = 0; i < m_selected->count(); ++i) all << i;
    DeselectItems(all);
}

void TdaWizardDualListPage::MoveLines(int aDirection) {
    const int count = m_selected ? m_selected->count() : 0;
    if (count == 0 || !m_sql) return;
    if (aDirection < 0 && m_selected->item(0)->isSelected()) return;
    if (aDirection > 0 && m_selected->item(count - 1)->isSelected()) return;
    QList<QObject*> moved;
    for (int n = 0; n < count; ++n) {
        const int i = aDirection < 0 ? n : count - 1 - n;
        if (!m_selected->item(i)->isSelected()) continue;
        const int to = i + aDirection;
        if (to < 0 || to >= count) continue;
        auto* child = qobject_cast<TppRelative*>(entryOf(m_selected->item(i)));
        if (!child) continue;
        m_sql->MoveChild(child, i, to);
        moved << child;
    }
    FillSelectedList();
    for (int i = 0; i < m_selected->count(); ++i)
        if (moved.contains(entryOf(m_selected->item(i)))) {
            m_selected->item(i)->setSelected(true);
            m_selected->scrollToItem(m_selected->item(i));
        }
}

void TdaWizardDualListPage::AvailableDblClick() {
    if (m_activating || !m_available->currentItem()) return;
    SelectItems({m_available->row(m_available->currentItem())});
}

void TdaWizardDualListPage::SelectedDblClick() {
    if (m_activating || !m_selected->currentItem()) return;
    DeselectItems({m_selected->row(m_selected->currentItem())});
}

bool TdaWizardDualListPage::AvailableDragOver(QObject* aSource) { return aSource && aSource == m_selected; }

void TdaWizardDualListPage::AvailableDragDrop(QObject* aSource) {
    if (AvailableDragOver(aSource)) DeselectItems(selectedLines(m_selected));
}

bool TdaWizardDualListPage::SelectedDragOver(QObject* aSource) { return aSource && aSource == m_available; }

void TdaWizardDualListPage::SelectedDragDrop(QObject* aSource) {
    if (SelectedDragOver(aSource)) SelectItems(selectedLines(m_available));
}

void TdaWizardDualListPage::MoveUpClick() { MoveLines(-1); }

void TdaWizardDualListPage::MoveDownClick() { MoveLines(1); }

void TdaWizardDualListPage::SelectedClick() {
    SelectedItemClicked(m_selected ? m_selected->property("clickedLine").toInt() : -1);
}

// Step 1: tables ----------------------------------------------------------------------------

TdaWizardTablePage::TdaWizardTablePage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, 0) {
    m_tabSheet->setObjectName(QStringLiteral("tshTables"));
}

QString TdaWizardTablePage::GetCaption() const { return text(836); }
QString TdaWizardTablePage::Instruction() const { return text(822); }
QImage TdaWizardTablePage::Picture() const { return drawn<TdaSelectTablesBitmap>(); }

int TdaWizardTablePage::SelectedListHeight() const { return m_sql && m_sql->IsManualJoinAllowed() ? 172 : 0; }

void TdaWizardTablePage::CreateControls() {
    TdaWizardDualListPage::CreateControls();
    if (!m_available) return;
    m_available->setItemDelegate(new JoinableDelegate(m_available));
    if (m_sql->IsManualJoinAllowed()) {
        m_btnJoin = button(m_pnlLists, "btnJoin", 337, 194, 75, 23);
        m_btnJoin->setText(text(778));
        m_btnJoin->setEnabled(false);
        connect(m_btnJoin, &QPushButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { JoinClick(); }); });
    }
}

void TdaWizardTablePage::Refresh() {
    TdaWizardDualListPage::Refresh();
    if (m_btnJoin) m_btnJoin->setEnabled(false);
    m_clickedLine = -1;
}

bool TdaWizardTablePage::Apply() { return m_sql && m_sql->SelectedTableCount() > 0; }

void TdaWizardTablePage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* t = qobject_cast<TdaTable*>(aEntry)) aLine->setText(t->TableAlias());
}

void TdaWizardTablePage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* t = qobject_cast<TdaTable*>(aEntry)) aLine->setText(t->TableAlias());
}

QObject* TdaWizardTablePage::RemoveSelected(int aIndex) { return m_sql->DeselectTable(aIndex); }
QObject* TdaWizardTablePage::GetAvailable(int aIndex) { return m_sql->UnselectedTables().value(aIndex); }
int TdaWizardTablePage::GetAvailableCount() { return int(m_sql->UnselectedTables().size()); }
QObject* TdaWizardTablePage::GetSelected(int aIndex) { return m_sql->SelectedTables(aIndex); }
int TdaWizardTablePage::GetSelectedCount() { return m_sql->SelectedTableCount(); }

QObject* TdaWizardTablePage::AddSelected(int aIndex) {
    TdaTable* table = m_sql->UnselectedTables().value(aIndex);
    if (!table || !table->Joinable()) return nullptr;
    return m_sql->SelectTable(aIndex, m_sql->GetJoinTargetIndex(table));
}

void TdaWizardTablePage::SelectedItemClicked(int aLine) {
    m_clickedLine = aLine;
    auto* table = qobject_cast<TdaTable*>(entryOf(m_selected->item(aLine)));
    if (m_btnJoin) m_btnJoin->setEnabled(table && table->JoinCount() > 0);
}

void TdaWizardTablePage::JoinClick() {
    auto* table = qobject_cast<TdaTable*>(entryOf(m_selected->item(m_clickedLine)));
    if (!table || m_sql->SelectedTableCount() <= 1 || table->JoinCount() == 0) return;
    TdaField* foreign = table->Joins(0)->ForeignField();
    if (!foreign) return;
    if (m_sql->EditTableJoin(foreign->TableSQLAlias(), table->SQLAlias())) FillSelectedList();
}

// Step 2: fields ----------------------------------------------------------------------------

TdaWizardFieldPage::TdaWizardFieldPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, doSelectAll | doMoveButtons | doOptionGroup) {
    m_tabSheet->setObjectName(QStringLiteral("tshFields"));
    m_optionFollowsSelection = false;
}

QString TdaWizardFieldPage::GetCaption() const { return text(763); }
QString TdaWizardFieldPage::Instruction() const { return text(821); }
QImage TdaWizardFieldPage::Picture() const { return drawn<TdaSelectFieldsBitmap>(); }

void TdaWizardFieldPage::Refresh() {
    TdaWizardDualListPage::Refresh();
    if (!m_available) return;
    // The first visit takes every field; later visits keep a choice of fields while some
    // remain unchosen.
    SetOptionIndex(m_initialized && GetAvailableCount() > 0 ? 1 : 0);
}

void TdaWizardFieldPage::OptionClick() {
    TdaWizardDualListPage::OptionClick();
    if (OptionIndex() == 0) SelectAllClick();
    else if (OptionIndex() == 1) DeselectAllClick();
}

void TdaWizardFieldPage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

void TdaWizardFieldPage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->Alias());
}

QObject* TdaWizardFieldPage::RemoveSelected(int aIndex) { return m_sql->DeselectField(aIndex); }
QObject* TdaWizardFieldPage::GetAvailable(int aIndex) { return m_sql->AvailableSelectFields().value(aIndex); }
int TdaWizardFieldPage::GetAvailableCount() { return int(m_sql->AvailableSelectFields().size()); }
QObject* TdaWizardFieldPage::GetSelected(int aIndex) { return m_sql->SelectFields(aIndex); }
int TdaWizardFieldPage::GetSelectedCount() { return m_sql->SelectFieldCount(); }
QObject* TdaWizardFieldPage::AddSelected(int aIndex) { return m_sql->SelectField(aIndex); }

// Step 3: calculations ----------------------------------------------------------------------

TdaWizardCalcPage::TdaWizardCalcPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, doMoveButtons | doOptionGroup) {
    m_tabSheet->setObjectName(QStringLiteral("tshCalcs"));
    m_entriesLeave = false;
}

TdaWizardCalcPage::~TdaWizardCalcPage() = default;

QString TdaWizardCalcPage::GetCaption() const { return text(735); }
QString TdaWizardCalcPage::Instruction() const { return text(714); }
QImage TdaWizardCalcPage::Picture() const { return drawn<TdaGroupFieldsBitmap>(); }

void TdaWizardCalcPage::CreateControls() {
    TdaWizardDualListPage::CreateControls();
    if (!m_available) return;
    m_dialog = std::make_unique<TdaFunctionDialog>(nullptr);
    fillFunctions();
    m_btnFunction = button(m_pnlLists, "btnFunction", 314, 145, 75, 23);
    m_btnFunction->setText(text(766));
    connect(m_btnFunction, &QPushButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { FunctionClick(); }); });
}

void TdaWizardCalcPage::fillFunctions() {
    m_dialog->cbxFunctions->clear();
    for (int i = int(TdaCalcType::dacaAvg); i <= int(TdaCalcType::dacaSum); ++i)
        m_dialog->cbxFunctions->addItem(daCalcTypeName(TdaCalcType(i)));
}

void TdaWizardCalcPage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

void TdaWizardCalcPage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->Alias());
}

QObject* TdaWizardCalcPage::RemoveSelected(int aIndex) { return m_sql->RemoveCalcField(aIndex); }
QObject* TdaWizardCalcPage::GetAvailable(int aIndex) { return m_sql->AvailableFields().value(aIndex); }
int TdaWizardCalcPage::GetAvailableCount() { return int(m_sql->AvailableFields().size()); }
QObject* TdaWizardCalcPage::GetSelected(int aIndex) { return m_sql->CalcFields(aIndex); }
int TdaWizardCalcPage::GetSelectedCount() { return m_sql->CalcFieldCount(); }

QObject* TdaWizardCalcPage::AddSelected(int aIndex) {
    if (!m_dialog) return nullptr;
    TdaNameList names;
    m_sql->GetSelectableFieldNames(names);
    if (names.isEmpty()) {
        refuse(QStringLiteral("Unable to create calculated field.\n\nThere are no numeric fields on which to base "
                              "calculations."));
        return nullptr;
    }
    QComboBox* fields = m_dialog->cbxAvailableFields;
    fields->clear();
    int preset = 0;
    TdaField* chosen = m_sql->AvailableFields().value(aIndex);
    for (int i = 0; i < names.size(); ++i) {
        fields->addItem(names[i].Name, QVariant::fromValue<QObject*>(names[i].Object.data()));
        if (names[i].Object.data() == chosen) preset = i;
    }
    fields->setCurrentIndex(preset);
    m_dialog->cbxFunctions->setCurrentIndex(int(TdaCalcType::dacaSum));
    if (m_dialog->ShowModal() != report::ModalResult::mrOk) return nullptr;
    TdaField* field = m_dialog->SelectedField();
    if (!field || m_dialog->cbxFunctions->currentIndex() < 0) return nullptr;
    TdaCalculation* calc = m_sql->AddCalcField(field->Tag());
    if (!calc) return nullptr;
    calc->SetCalcType(TdaCalcType(m_dialog->cbxFunctions->currentIndex()));
    calc->SetAlias(calc->DefaultAlias());
    m_sql->MakeFieldAliasUnique(calc, true);
    return calc;
}

void TdaWizardCalcPage::FunctionClick() {
    const QList<int> lines = selectedLines(m_selected);
    if (lines.isEmpty() || !m_dialog) return;
    auto* calc = qobject_cast<TdaCalculation*>(entryOf(m_selected->item(lines.first())));
    if (!calc) return;
    TdaNameList names;
    m_sql->GetSelectableFieldNames(names);
    QComboBox* fields = m_dialog->cbxAvailableFields;
    fields->clear();
    int preset = 0;
    for (int i = 0; i < names.size(); ++i) {
        fields->addItem(names[i].Name, QVariant::fromValue<QObject*>(names[i].Object.data()));
        auto* f = qobject_cast<TdaField*>(names[i].Object.data());
        if (f && f->TableSQLAlias() == calc->TableSQLAlias() && f->FieldName() == calc->FieldName()) preset = i;
    }
    fields->setCurrentIndex(names.isEmpty() ? -1 : preset);
    m_dialog->cbxFunctions->setCurrentIndex(
        calc->CalcType() <= TdaCalcType::dacaSum ? int(calc->CalcType()) : int(TdaCalcType::dacaSum));
    if (m_dialog->ShowModal() != report::ModalResult::mrOk) return;
    if (TdaField* field = m_dialog->SelectedField()) {
        calc->TdaField::Assign(field);
        calc->SetChildType(report::data::kCalcField);
    }
    calc->SetCalcType(TdaCalcType(m_dialog->cbxFunctions->currentIndex()));
    calc->SetAlias(calc->DefaultAlias());
    m_sql->MakeFieldAliasUnique(calc, true);
    m_sql->SyncOrderByCalcFields();
    m_sql->DoChange();
    FillSelectedItem(calc, m_selected->item(lines.first()));
}

// Step 4: grouping --------------------------------------------------------------------------

TdaWizardGroupPage::TdaWizardGroupPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, doSelectAll | doMoveButtons | doOptionGroup) {
    m_tabSheet->setObjectName(QStringLiteral("tshGroup"));
    m_optionFollowsSelection = false;
}

QString TdaWizardGroupPage::GetCaption() const { return text(767); }
QString TdaWizardGroupPage::Instruction() const { return text(770); }
QImage TdaWizardGroupPage::Picture() const { return drawn<TdaGroupFieldsBitmap>(); }

void TdaWizardGroupPage::Refresh() {
    TdaWizardDualListPage::Refresh();
    if (!m_available || m_inOption) return;
    SetOptionIndex(m_sql->GroupByFieldCount() > 0 || m_sql->HasAggregates() ? 1 : 0);
}

void TdaWizardGroupPage::OptionClick() {
    const bool nested = m_inOption;
    m_inOption = true;
    if (OptionIndex() == 0) {
        if (m_sql->HasAggregates()) {
            if (m_initialized) refuse(text(768) + QStringLiteral("\n\n") + text(721));
            SetOptionIndex(1);
        } else {
            m_sql->FreeGroupByFields();
        }
    } else if (OptionIndex() == 1 && m_sql->SelectFieldCount() > 0 && !nested) {
        m_sql->SyncGroupByFields();
    }
    m_inOption = nested;
    if (m_pnlLists) m_pnlLists->setVisible(OptionIndex() == 1);
    if (!nested) TdaWizardDualListPage::Refresh();
}

bool TdaWizardGroupPage::Apply() {
    if (m_sql->CalcFieldCount() > 0 && m_sql->GroupByFieldCount() == 0) {
        refuse(text(726) + QStringLiteral("\n\n") + text(722));
        return false;
    }
    return true;
}

void TdaWizardGroupPage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

void TdaWizardGroupPage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

QObject* TdaWizardGroupPage::RemoveSelected(int aIndex) {
    QObject* entry = m_sql->RemoveGroupByField(aIndex);
    if (!entry) m_refused = true;
    return entry;
}

void TdaWizardGroupPage::deselectedBatch() {
    if (!m_refused) return;
    m_refused = false;
    refuse(text(768) + QStringLiteral("\n\n") + text(723));
}

QObject* TdaWizardGroupPage::GetAvailable(int aIndex) { return m_sql->AvailableGroupByFields().value(aIndex); }
int TdaWizardGroupPage::GetAvailableCount() { return int(m_sql->AvailableGroupByFields().size()); }
QObject* TdaWizardGroupPage::GetSelected(int aIndex) { return m_sql->GroupByFields(aIndex); }
int TdaWizardGroupPage::GetSelectedCount() { return m_sql->GroupByFieldCount(); }
QObject* TdaWizardGroupPage::AddSelected(int aIndex) { return m_sql->AddGroupByField(aIndex); }

// Step 5: search criteria -------------------------------------------------------------------

TdaWizardSearchPage::TdaWizardSearchPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, doMoveButtons | doOptionGroup) {
    m_tabSheet->setObjectName(QStringLiteral("tshSearch"));
    m_entriesLeave = false;
}

TdaWizardSearchPage::~TdaWizardSearchPage() = default;

QString TdaWizardSearchPage::GetCaption() const { return text(818); }
QString TdaWizardSearchPage::Instruction() const { return text(786) + QStringLiteral("\n\n\n") + text(816); }
QImage TdaWizardSearchPage::Picture() const { return drawn<TdaSearchCriteriaBitmap>(); }

void TdaWizardSearchPage::CreateControls() {
    TdaWizardDualListPage::CreateControls();
    if (!m_available) return;
    for (QWidget* w : std::initializer_list<QWidget*>{m_available, m_lblAvailable, m_bvlAvailable, m_btnSelect, m_btnDeselect})
        w->hide();
    m_bvlSelected->setGeometry(8, m_bvlSelected->y(), 470, m_bvlSelected->height());
    m_selected->setGeometry(16, m_selected->y(), 416, m_selected->height());
    m_lblSelected->move(16, 0);
    m_selected->setItemDelegate(new CriteriaDelegate(m_selected));
    m_dialog = std::make_unique<TdaCriteriaDialog>(nullptr);

    m_menu = new QMenu(m_tabSheet);
    m_menu->setObjectName(QStringLiteral("mnuCriteria"));
    auto add = [this](const char* aName, int aText, void (TdaWizardSearchPage::*aSlot)()) {
        QAction* a = m_menu->addAction(text(aText));
        a->setObjectName(QString::fromLatin1(aName));
        connect(a, &QAction::triggered, this, [this, aSlot] { ui::RunGuarded(m_tabSheet, [&] { (this->*aSlot)(); }); });
    };
    add("mniInsertCriteria", 774, &TdaWizardSearchPage::InsertCriteriaClick);
    add("mniInsertOR", 776, &TdaWizardSearchPage::InsertORClick);
    add("mniInsertNOT", 775, &TdaWizardSearchPage::InsertNOTClick);
    m_menu->addSeparator();
    add("mniEditCriteria", 756, &TdaWizardSearchPage::EditCriteriaClick);
    m_menu->addSeparator();
    add("mniRemove", 813, &TdaWizardSearchPage::RemoveClick);
    m_menu->addSeparator();
    add("mniAddParentheses", 716, &TdaWizardSearchPage::AddParenthesesClick);
    add("mniRemoveParentheses", 814, &TdaWizardSearchPage::RemoveParenthesesClick);
    m_selected->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_selected, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& aPos) { m_menu->popup(m_selected->viewport()->mapToGlobal(aPos)); });
}

bool TdaWizardSearchPage::Apply() {
    // "All Rows" means what it says: the criteria the list no longer shows are dropped.
    if (OptionIndex() == 0 && m_sql->CriteriaCount() > 0) {
        while (m_sql->CriteriaCount() > 0) delete m_sql->Criteria(m_sql->CriteriaCount() - 1);
        m_sql->DoChange();
        FillSelectedList();
    }
    return true;
}

void TdaWizardSearchPage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

void TdaWizardSearchPage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* c = qobject_cast<TdaCriteria*>(aEntry)) aLine->setText(c->GetDescription());
}

// Choosing and giving back through the lists does nothing on this step.
QObject* TdaWizardSearchPage::RemoveSelected(int) { return nullptr; }
QObject* TdaWizardSearchPage::AddSelected(int) { return nullptr; }
QObject* TdaWizardSearchPage::GetAvailable(int aIndex) { return m_sql->AvailableCriteriaFields().value(aIndex); }
int TdaWizardSearchPage::GetAvailableCount() { return int(m_sql->AvailableCriteriaFields().size()); }
QObject* TdaWizardSearchPage::GetSelected(int aIndex) { return m_sql->Criteria(aIndex); }
int TdaWizardSearchPage::GetSelectedCount() { return m_sql->CriteriaCount(); }

void TdaWizardSearchPage::SelectedItemClicked(int) { m_lineIndexes = selectedLines(m_selected); }

QList<int> TdaWizardSearchPage::recordedLines() const {
    return m_lineIndexes.isEmpty() ? selectedLines(m_selected) : m_lineIndexes;
}

void TdaWizardSearchPage::InsertCriteriaClick() {
    TdaNameList names;
    m_sql->GetCriteriaFieldNames(names);
    QComboBox* fields = m_dialog->cbxAvailableFields;
    fields->clear();
    for (const TdaNameItem& name : names) fields->addItem(name.Name, QVariant::fromValue<QObject*>(name.Object.data()));
    fields->setCurrentIndex(names.isEmpty() ? -1 : 0);
    m_dialog->cbxOperators->setCurrentIndex(0);
    if (m_dialog->ShowModal() != report::ModalResult::mrOk) return;
    TdaField* field = m_dialog->SelectedField();
    if (!field) return;
    const QList<int> lines = recordedLines();
    const int position = lines.isEmpty() ? 0 : lines.first();
    TdaCriteria* c = m_sql->AddCriteria(field->Tag());
    if (!c) return;
    m_sql->MoveChild(c, m_sql->CriteriaCount() - 1, position);
    c->SetOperator(TdaCriteriaOperatorType(std::max(0, m_dialog->cbxOperators->currentIndex())));
    c->SetValue(m_dialog->edtValue->text());
    m_sql->UpdateCriteriaLevels();
    m_sql->DoChange();
    Refresh();
}

void TdaWizardSearchPage::EditCriteriaClick() {
    const QList<int> lines = recordedLines();
    if (lines.size() != 1) return;
    auto* c = qobject_cast<TdaCriteria*>(entryOf(m_selected->item(lines.first())));
    if (!c || c->CriteriaType() != TdaCriteriaType::dacrField) return;
    TdaNameList names;
    m_sql->GetCriteriaFieldNames(names);
    QComboBox* fields = m_dialog->cbxAvailableFields;
    fields->clear();
    int preset = names.isEmpty() ? -1 : 0;
    for (int i = 0; i < names.size(); ++i) {
        fields->addItem(names[i].Name, QVariant::fromValue<QObject*>(names[i].Object.data()));
        auto* f = qobject_cast<TdaField*>(names[i].Object.data());
        if (f && c->Field() && f->TableSQLAlias() == c->Field()->TableSQLAlias() &&
            f->FieldName() == c->Field()->FieldName())
            preset = i;
    }
    fields->setCurrentIndex(preset);
    m_dialog->cbxOperators->setCurrentIndex(int(c->Operator()));
    if (m_dialog->ShowModal() != report::ModalResult::mrOk) return;
    TdaField* chosen = m_dialog->SelectedField();
    if (!chosen) return;
    auto* copy = new TdaField(c);
    copy->Assign(chosen);
    copy->SetParent(c);
    c->SetOperator(TdaCriteriaOperatorType(std::max(0, m_dialog->cbxOperators->currentIndex())));
    c->SetValue(m_dialog->edtValue->text());
    m_sql->DoChange();
    FillSelectedItem(c, m_selected->item(lines.first()));
}

void TdaWizardSearchPage::InsertORClick() {
    const QList<int> lines = recordedLines();
    m_sql->InsertCriteria(lines.isEmpty() ? 0 : lines.first(), TdaCriteriaType::dacrOR);
    Refresh();
}

void TdaWizardSearchPage::InsertNOTClick() {
    const QList<int> lines = recordedLines();
    m_sql->InsertCriteria(lines.isEmpty() ? 0 : lines.first(), TdaCriteriaType::dacrNOT);
    Refresh();
}

void TdaWizardSearchPage::RemoveClick() {
    const QList<int> lines = recordedLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) m_sql->RemoveCriteria(*it);
    Refresh();
}

void TdaWizardSearchPage::AddParenthesesClick() {
    if (m_sql->AddParentheses(recordedLines())) Refresh();
}

void TdaWizardSearchPage::RemoveParenthesesClick() {
    if (m_sql->RemoveParentheses(recordedLines())) Refresh();
}

void TdaWizardSearchPage::moveCriteria(int aDirection) {
    // Parenthesis lines never move.
    for (int i = 0; i < m_selected->count(); ++i) {
        auto* c = qobject_cast<TdaCriteria*>(entryOf(m_selected->item(i)));
        if (c && (c->CriteriaType() == TdaCriteriaType::dacrBegin || c->CriteriaType() == TdaCriteriaType::dacrEnd))
            m_selected->item(i)->setSelected(false);
    }
    MoveLines(aDirection);
    m_sql->UpdateCriteriaLevels();
    m_selected->viewport()->update();
}

void TdaWizardSearchPage::MoveDownClick() { moveCriteria(1); }

void TdaWizardSearchPage::MoveUpClick() { moveCriteria(-1); }

// Step 6: sort order ------------------------------------------------------------------------

TdaWizardSortPage::TdaWizardSortPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardDualListPage(aForm, aPageControl, doSelectAll | doMoveButtons | doOptionGroup) {
    m_tabSheet->setObjectName(QStringLiteral("tshSort"));
}

QString TdaWizardSortPage::GetCaption() const { return text(827); }
QString TdaWizardSortPage::Instruction() const { return text(804); }
QImage TdaWizardSortPage::Picture() const { return drawn<TdaSortFieldsBitmap>(); }

void TdaWizardSortPage::CreateControls() {
    TdaWizardDualListPage::CreateControls();
    if (!m_available) return;
    auto make = [this](const char* aName, int x, const char* aTheme, const char* aResource) {
        auto* b = ui::Make<QToolButton>(m_pnlLists, aName);
        b->setGeometry(x, 145, 23, 22);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setIcon(glyph(aTheme, aResource));
        return b;
    };
    m_spbAscending = make("spbAscending", 256, "view-sort-ascending", "DASORTASC");
    m_spbDescending = make("spbDescending", 279, "view-sort-descending", "DASORTDESC");
    m_spbAscending->setChecked(true);
    connect(m_spbAscending, &QToolButton::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { SortDirectionClick(true); }); });
    connect(m_spbDescending, &QToolButton::clicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { SortDirectionClick(false); }); });
}

void TdaWizardSortPage::FillAvailableItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

void TdaWizardSortPage::FillSelectedItem(QObject* aEntry, QListWidgetItem* aLine) {
    if (auto* f = qobject_cast<TdaField*>(aEntry)) aLine->setText(f->GetDescription());
}

QObject* TdaWizardSortPage::RemoveSelected(int aIndex) { return m_sql->RemoveOrderByField(aIndex); }
QObject* TdaWizardSortPage::GetAvailable(int aIndex) { return m_sql->AvailableOrderByFields().value(aIndex); }
int TdaWizardSortPage::GetAvailableCount() { return int(m_sql->AvailableOrderByFields().size()); }
QObject* TdaWizardSortPage::GetSelected(int aIndex) { return m_sql->OrderByFields(aIndex); }
int TdaWizardSortPage::GetSelectedCount() { return m_sql->OrderByFieldCount(); }
QObject* TdaWizardSortPage::AddSelected(int aIndex) { return m_sql->AddOrderByField(aIndex); }

void TdaWizardSortPage::SelectedItemClicked(int aLine) {
    auto* f = qobject_cast<TdaField*>(entryOf(m_selected->item(aLine)));
    if (!f) return;
    (f->Ascending() ? m_spbAscending : m_spbDescending)->setChecked(true);
}

void TdaWizardSortPage::SortDirectionClick(bool aAscending) {
    const QList<int> lines = selectedLines(m_selected);
    if (lines.isEmpty()) return;
    for (int line : lines) {
        auto* f = qobject_cast<TdaField*>(entryOf(m_selected->item(line)));
        if (!f) continue;
        f->SetAscending(aAscending);
        FillSelectedItem(f, m_selected->item(line));
    }
    m_sql->DoChange();
}

// Step 7: finish ----------------------------------------------------------------------------

TdaWizardFinishPage::TdaWizardFinishPage(TdaQueryWizardDialog* aForm, QStackedWidget* aPageControl)
    : TdaWizardPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshFinish"));
}

QString TdaWizardFinishPage::GetCaption() const { return text(764); }
QString TdaWizardFinishPage::Instruction() const { return text(838) + QStringLiteral("\n\n\n") + text(805); }

QImage TdaWizardFinishPage::Picture() const {
    // "DAFINISH" at twice its size in a 72 x 80 picture, on white (the transparent colour).
    QImage picture(72, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QImage flag = ppLoadBitmap(QStringLiteral("DAFINISH"));
    if (!flag.isNull()) {
        QPainter p(&picture);
        p.drawImage(QRect(4, 8, 64, 64), flag);
    }
    return picture;
}

void TdaWizardFinishPage::CreateControls() {
    TdaWizardPage::CreateControls();
    if (!m_sql) return;
    label(m_pnlPicture, "lblDescription", 190, 84, text(753));
    m_edtDescription = ui::Make<QLineEdit>(m_pnlPicture, "edtDescription");
    m_edtDescription->setGeometry(190, 104, 225, 21);
    label(m_pnlPicture, "lblDataPipelineName", 190, 134, text(746));
    m_edtPipelineName = ui::Make<QLineEdit>(m_pnlPicture, "edtDataPipelineName");
    m_edtPipelineName->setGeometry(190, 154, 225, 21);
    auto* question = ui::Make<QLabel>(m_pnlPicture, "lblFollowUp");
    question->setWordWrap(true);
    question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    question->setText(text(755));
    question->setGeometry(190, 195, 271, 45);
    m_rbnPreview = ui::Make<QRadioButton>(m_pnlPicture, "rbnPreview");
    m_rbnPreview->setText(text(809));
    m_rbnPreview->setGeometry(190, 233, 271, 19);
    m_rbnPreview->setChecked(true);
    m_rbnModify = ui::Make<QRadioButton>(m_pnlPicture, "rbnModify");
    m_rbnModify->setText(text(789));
    m_rbnModify->setGeometry(190, 252, 271, 19);

    connect(m_edtDescription, &QLineEdit::textEdited, this, [this](const QString& aText) {
        if (!m_sql) return;
        m_sql->SetDescription(aText);
        m_sql->SetModified(true);
    });
    connect(m_edtDescription, &QLineEdit::editingFinished, this, [this] {
        if (!m_sql) return;
        const QString name = QStringLiteral("pl") + ppTextToIdentifier(m_edtDescription->text());
        m_edtPipelineName->setText(name);
        m_sql->SetDataPipelineName(name);
    });
    connect(m_edtPipelineName, &QLineEdit::textEdited, this, [this](const QString& aText) {
        if (m_sql) m_sql->SetDataPipelineName(aText);
    });
}

void TdaWizardFinishPage::Refresh() {
    if (!m_edtDescription || !m_sql) return;
    m_edtDescription->setText(m_sql->Description());
    m_edtPipelineName->setText(m_sql->DataPipelineName());
}

bool TdaWizardFinishPage::Apply() {
    m_choice = m_rbnModify && m_rbnModify->isChecked() ? 1 : 2;
    return true;
}
