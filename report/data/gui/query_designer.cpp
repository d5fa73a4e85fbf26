#include "report/data/gui/query_designer.h"

#include "report/data/gui/data_gui_texts.h"
#include "report/data/gui/join_dialogs.h"
#include "report/data/gui/query_pages.h"
#include "report/output/gui/list_view.h"
#include "report/output/wizard.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString text(int aNumber) { return ppGetMessageText(aNumber); }

QVariant entryData(QObject* aEntry) { return QVariant::fromValue<QObject*>(aEntry); }

QObject* entryOf(QTreeWidgetItem* aItem) { return aItem ? aItem->data(0, Qt::UserRole).value<QObject*>() : nullptr; }

/// A header panel 21 pixels high with a lowered inner bevel.
QFrame* headerPanel(QWidget* aParent, const char* aName) {
    auto* p = ui::Make<QFrame>(aParent, aName);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Sunken);
    p->setFixedHeight(21);
    return p;
}

/// Only the first column of the selected list is edited in place.
class FirstColumnDelegate : public QStyledItemDelegate {
public:
    FirstColumnDelegate(QObject* aParent, std::function<bool(const QModelIndex&)> aEditing)
        : QStyledItemDelegate(aParent), m_editing(std::move(aEditing)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (index.column() != 0 || (m_editing && !m_editing(index))) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

private:
    std::function<bool(const QModelIndex&)> m_editing;
};

}  // namespace

// TdaQueryDesigner --------------------------------------------------------------------------

TdaQueryDesigner::TdaQueryDesigner(TComponent* aOwner) : TdaQueryViewWizard(aOwner) {
    report::data::DeclareQueryDesignerTexts();
}

TdaQueryDesigner::~TdaQueryDesigner() = default;

QString TdaQueryDesigner::ClassCaption(TClass) {
    report::data::DeclareQueryDesignerTexts();
    return text(810);
}

QImage TdaQueryDesigner::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("DAQUERYDESIGNER")); }

bool TdaQueryDesigner::Execute() {
    TdaQueryDataView* queryView = openQueryView();
    if (!queryView) return false;

    auto form = std::make_unique<TdaQueryDesignerForm>(nullptr);
    m_form = form.get();
    form->CreateSQL(queryView->SQL());
    TdaSQL* sql = form->SQL();
    sql->AddNotify(queryView);
    TppDataSettings* settings = DataSettings();
    form->AllowEditSQL = settings ? settings->AllowEditSQL() : true;
    form->StartPage = StartAction;
    form->EditSQLAsText = queryView->SQL()->EditSQLAsText();
    form->OnCloseQuery = [this](TdaQueryDesignerForm* aForm) { return CloseQuery(aForm); };
    applyDataSettings(sql);
    form->Init();
    const bool result = takeQuery(sql, form->ShowModal() == report::ModalResult::mrOk);
    form.reset();
    return result;
}

bool TdaQueryDesigner::CloseQuery(TdaQueryDesignerForm* aForm) {
    TdaSQL* sql = aForm->SQL();
    auto validate = [&] {
        if (!aForm->ApplyPages()) return false;
        if (!sql->ValidateSQL()) {
            aForm->PageControl()->setCurrentIndex(aForm->PageControl()->count() - 1);
            return false;
        }
        return DoValidateName(sql->DataPipelineName());
    };
    if (aForm->CancelPressed) return true;
    if (aForm->OKPressed) return validate();
    if (!sql->Modified()) return true;
    const ui::Button answer = ui::Message(report::MessageText(817, {sql->Description()}), ui::MessageKind::Confirmation,
                                          ui::Button::Yes | ui::Button::No | ui::Button::Cancel);
    if (answer == ui::Button::No) return true;
    if (answer != ui::Button::Yes) return false;
    if (!validate()) return false;
    aForm->OKPressed = true;
    return true;
}

// TdaQueryDesignerForm ----------------------------------------------------------------------

TdaQueryDesignerForm::TdaQueryDesignerForm(QObject* aOwner) : TppForm(aOwner) {
    report::data::DeclareQueryDesignerTexts();
    setObjectName(QStringLiteral("daQueryDesignerForm"));
    resize(498, 389);
    setWindowIcon(QIcon(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("DAQUERYDESIGNER")))));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pnlForm = ui::Make<QWidget>(this, "pnlForm");
    auto* formLayout = new QVBoxLayout(m_pnlForm);
    formLayout->setContentsMargins(1, 1, 1, 1);
    m_pageControl = ui::Make<QTabWidget>(m_pnlForm, "pgcDesigner");
    formLayout->addWidget(m_pageControl);
    layout->addWidget(m_pnlForm, 1);
    auto* pnlButtons = ui::Make<QWidget>(this, "pnlButtons");
    pnlButtons->setFixedHeight(34);
    auto* buttonsLayout = new QHBoxLayout(pnlButtons);
    buttonsLayout->setContentsMargins(0, 0, 0, 0);
    buttonsLayout->addStretch(1);
    auto* pnlAnchor = ui::Make<QWidget>(pnlButtons, "pnlAnchorButtons");
    pnlAnchor->setFixedWidth(170);
    buttonsLayout->addWidget(pnlAnchor);
    layout->addWidget(pnlButtons);
    m_btnOK = ui::Make<QPushButton>(pnlAnchor, "btnOK");
    m_btnOK->setGeometry(3, 4, 75, 25);
    m_btnOK->setDefault(true);
    m_btnCancel = ui::Make<QPushButton>(pnlAnchor, "btnCancel");
    m_btnCancel->setGeometry(87, 4, 75, 25);
    connect(m_btnOK, &QPushButton::clicked, this, [this] { done(int(report::ModalResult::mrOk)); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { done(int(report::ModalResult::mrCancel)); });
    connect(m_pageControl, &QTabWidget::currentChanged, this, [this](int aIndex) { pageChanged(aIndex); });
}

TdaQueryDesignerForm::~TdaQueryDesignerForm() {
    m_currentPage = nullptr;
    disconnect(m_pageControl, nullptr, this, nullptr);
    const QSignalBlocker block(m_pageControl);
    m_pages.clear();
}

void TdaQueryDesignerForm::CreateSQL(TdaSQL* aSQL) {
    m_sqlClass = aSQL ? aSQL->metaObject() : &TdaSQL::staticMetaObject;
    QObject* made = m_sqlClass->newInstance(Q_ARG(TComponent*, nullptr));
    auto* sql = qobject_cast<TdaSQL*>(made);
    if (!sql) {
        delete made;
        sql = new TdaSQL(nullptr);
    }
    m_sql.reset(sql);
    if (aSQL) m_sql->Assign(aSQL);
    m_sql->SetAllowSelfJoins(true);
}

void TdaQueryDesignerForm::Init() {
    setWindowTitle(text(810));
    m_btnOK->setText(text(17));
    m_btnCancel->setText(text(5));
    if (m_pages.empty()) {
        const QSignalBlocker block(m_pageControl);
        auto add = [this](std::unique_ptr<TdaEditPage> aPage) {
            aPage->SetSQL(m_sql.get());
            const QImage picture = ppLoadBitmap(aPage->PictureName());
            m_pageControl->addTab(aPage->TabSheet(), QIcon(QPixmap::fromImage(picture)), aPage->GetCaption());
            m_pages.push_back(std::move(aPage));
        };
        if (!EditSQLAsText) {
            add(std::make_unique<TdaTablePage>(this, m_pageControl));
            add(std::make_unique<TdaFieldPage>(this, m_pageControl));
            add(std::make_unique<TdaCalcPage>(this, m_pageControl));
            add(std::make_unique<TdaGroupPage>(this, m_pageControl));
            add(std::make_unique<TdaSearchPage>(this, m_pageControl));
            add(std::make_unique<TdaSortPage>(this, m_pageControl));
        }
        auto sqlPage = std::make_unique<TdaSQLPage>(this, m_pageControl);
        sqlPage->AllowEditSQL = AllowEditSQL;
        sqlPage->OnAfterEdit = [this] { DropVisualPages(); };
        add(std::move(sqlPage));
    }
    int index = 0;
    if (EditSQLAsText || m_pages.size() == 1) index = int(m_pages.size()) - 1;
    else if (StartPage >= 2 && StartPage <= 6) index = StartPage - 1;
    {
        const QSignalBlocker block(m_pageControl);
        m_pageControl->setCurrentIndex(index);
    }
    pageChanged(index);
    m_sql->SetModified(false);
}

TdaEditPage* TdaQueryDesignerForm::PageOfSheet(QWidget* aSheet) const {
    for (const auto& p : m_pages)
        if (p->TabSheet() == aSheet) return p.get();
    return nullptr;
}

void TdaQueryDesignerForm::pageChanged(int aIndex) {
    TdaEditPage* page = PageOfSheet(m_pageControl->widget(aIndex));
    m_currentPage = page;
    if (page) ui::RunGuarded(this, [&] { page->ActivatePage(); });
}

bool TdaQueryDesignerForm::ApplyPages() {
    for (const auto& p : m_pages)
        if (!p->Apply()) return false;
    return true;
}

void TdaQueryDesignerForm::DropVisualPages() {
    const QSignalBlocker block(m_pageControl);
    std::vector<std::unique_ptr<TdaEditPage>> kept;
    for (auto& p : m_pages) {
        if (qobject_cast<TdaSQLPage*>(p.get())) kept.push_back(std::move(p));
        else if (m_currentPage == p.get()) m_currentPage = nullptr;
    }
    m_pages.clear();
    m_pages = std::move(kept);
    if (!m_pages.empty()) m_currentPage = m_pages.front().get();
}

void TdaQueryDesignerForm::done(int r) {
    if (m_closing) {
        TppForm::done(r);
        return;
    }
    OKPressed = r == int(report::ModalResult::mrOk);
    CancelPressed = !OKPressed;
    if (OnCloseQuery && !OnCloseQuery(this)) {
        OKPressed = CancelPressed = false;
        setResult(0);
        return;
    }
    m_closing = true;
    TppForm::done(OKPressed ? int(report::ModalResult::mrOk) : int(report::ModalResult::mrCancel));
    m_closing = false;
}

void TdaQueryDesignerForm::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    OKPressed = CancelPressed = false;
    bool close = true;
    ui::RunGuarded(this, [&] { close = !OnCloseQuery || OnCloseQuery(this); });
    if (!close) {
        event->ignore();
        return;
    }
    event->accept();
    m_closing = true;
    TppForm::done(OKPressed ? int(report::ModalResult::mrOk) : int(report::ModalResult::mrCancel));
    m_closing = false;
}

// TdaEditPage -------------------------------------------------------------------------------

TdaEditPage::TdaEditPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl)
    : TppCommunicator(nullptr), m_form(aForm), m_pageControl(aPageControl) {
    m_tabSheet = new QWidget;
    m_tabSheet->setProperty("Tag", QVariant::fromValue<QObject*>(this));
}

TdaEditPage::~TdaEditPage() {
    SetSQL(nullptr);
    if (m_pageControl) QObject::disconnect(m_pageControl, nullptr, this, nullptr);
    delete m_tabSheet.data();
}

void TdaEditPage::SetSQL(TdaSQL* aSQL) {
    if (m_sql == aSQL) return;
    if (m_sql) m_sql->RemoveNotify(this);
    m_sql = aSQL;
    if (m_sql) m_sql->AddNotify(this);
}

void TdaEditPage::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == TppOperationType::ppopRemove && aCommunicator == m_sql) m_sql = nullptr;
}

void TdaEditPage::ActivatePage() {
    if (m_initialized && !NeedsRefresh()) return;
    m_activating = true;
    if (!m_initialized) {
        CreateControls();
        // Controls made inside a sheet already on screen are shown now, unless hidden on purpose.
        if (m_tabSheet)
            for (QWidget* w : m_tabSheet->findChildren<QWidget*>())
                if (w->isHidden() && !w->testAttribute(Qt::WA_WState_ExplicitShowHide)) w->show();
        Refresh();
        m_initialized = true;
    } else if (NeedsRefresh()) {
        Refresh();
    }
    m_activating = false;
}

// TdaDualListPage ---------------------------------------------------------------------------

TdaDualListPage::TdaDualListPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl)
    : TdaEditPage(aForm, aPageControl) {}

QString TdaDualListPage::UpperLabel() const { return text(727); }

void TdaDualListPage::CreateControls() {
    if (!m_form || !m_sql) return;
    m_sortState = 1;
    auto* layout = new QVBoxLayout(m_tabSheet);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* splitter = ui::Make<QSplitter>(m_tabSheet.data(), "splDualList");
    splitter->setOrientation(Qt::Vertical);
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    auto* upper = ui::Make<QWidget>(splitter, "pnlUpper");
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);
    QFrame* upperHeader = headerPanel(upper, "pnlUpperHeader");
    auto* picture = ui::Make<QLabel>(upperHeader, "imgPicture");
    picture->setPixmap(QPixmap::fromImage(ppLoadBitmap(PictureName()).scaled(16, 16, Qt::KeepAspectRatio,
                                                                             Qt::SmoothTransformation)));
    picture->setGeometry(6, 2, 16, 16);
    m_availableLabel = ui::Make<QLabel>(upperHeader, "lblAvailable");
    m_availableLabel->move(28, 3);
    m_availableLabel->setText(UpperLabel());
    m_availableLabel->adjustSize();
    upperLayout->addWidget(upperHeader);
    m_available = ui::Make<TppListView>(upper, "FTopList");
    m_available->setDragEnabled(true);
    m_available->setAcceptDrops(true);
    m_available->setDragDropMode(QAbstractItemView::DragDrop);
    m_available->header()->setSectionsClickable(AllowColumnClicks());
    m_available->setIconSize(QSize(3, 16));
    upperLayout->addWidget(m_available);

    auto* lower = ui::Make<QWidget>(splitter, "pnlLower");
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    m_selectedHeader = headerPanel(lower, "pnlLowerHeader");
    m_selectedLabel = ui::Make<QLabel>(m_selectedHeader, "lblSelected");
    m_selectedLabel->move(6, 3);
    m_selectedLabel->setText(LowerLabel());
    m_selectedLabel->adjustSize();
    m_selectedHeader->installEventFilter(this);
    lowerLayout->addWidget(m_selectedHeader);
    auto* lowerRow = new QHBoxLayout;
    lowerRow->setContentsMargins(0, 0, 0, 0);
    lowerRow->setSpacing(0);
    m_selected = ui::Make<TppListView>(lower, "FBottomList");
    m_selected->setDragEnabled(true);
    m_selected->setAcceptDrops(true);
    m_selected->setDragDropMode(QAbstractItemView::DragDrop);
    m_selected->header()->setSectionsClickable(false);
    m_selected->setIconSize(QSize(3, 16));
    m_selected->setSelectionMode(IsSelectedListMultiSelect() ? QAbstractItemView::ExtendedSelection
                                                             : QAbstractItemView::SingleSelection);
    if (!IsSelectedListReadOnly()) {
        m_selected->setItemDelegate(new FirstColumnDelegate(m_selected, [this](const QModelIndex& aIndex) {
            return SelectedEditing(m_selected->Item(aIndex.row()));
        }));
        m_selected->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    }
    lowerRow->addWidget(m_selected);
    if (AllowColumnClicks()) {
        auto* buttons = ui::Make<QWidget>(lower, "pnlMoveButtons");
        buttons->setFixedWidth(29);
        m_btnMoveUp = ui::Make<QPushButton>(buttons, "btnMoveUp");
        m_btnMoveUp->setIcon(QIcon(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("DAMOVEUP")))));
        m_btnMoveDown = ui::Make<QPushButton>(buttons, "btnMoveDown");
        m_btnMoveDown->setIcon(QIcon(QPixmap::fromImage(ppLoadBitmap(QStringLiteral("DAMOVEDOWN")))));
        const bool visible = m_form->isVisible();
        m_btnMoveUp->setGeometry(2, visible ? 43 : 0, 25, 17);
        m_btnMoveDown->setGeometry(2, visible ? 84 : 17, 25, 17);
        lowerRow->addWidget(buttons);
        connect(m_btnMoveUp, &QPushButton::clicked, this, [this] { MoveUpClick(); });
        connect(m_btnMoveDown, &QPushButton::clicked, this, [this] { MoveDownClick(); });
    }
    lowerLayout->addLayout(lowerRow);
    splitter->setSizes({141, 141});

    SetUpAvailableColumns();
    m_selected->setColumnCount(0);
    SetUpSelectedColumns();

    for (TppListView* list : {m_available, m_selected}) list->viewport()->installEventFilter(this);
    m_selected->installEventFilter(this);
    connect(m_available->header(), &QHeaderView::sectionClicked, this, [this](int aColumn) {
        ui::RunGuarded(m_tabSheet, [&] { AvailableColumnClick(aColumn); });
    });
    connect(m_available, &QTreeWidget::itemDoubleClicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { AvailableDblClick(); }); });
    connect(m_selected, &QTreeWidget::itemDoubleClicked, this,
            [this] { ui::RunGuarded(m_tabSheet, [&] { SelectedDblClick(); }); });
    connect(m_selected, &QTreeWidget::itemClicked, this, [this] { SelectedClick(); });
    connect(m_selected, &TppListView::ColumnResized, this, [this](int aColumn) { SelectedColumnResized(aColumn); });
    connect(m_selected, &TppListView::Scrolled, this, [this] { SelectedScrolled(); });
    connect(m_selected, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_moving) return;
        m_selectedRows = m_selected->selectedItems();
        ui::RunGuarded(m_tabSheet, [&] { SelectedItemChanged(); });
    });
    connect(m_selected, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* aItem, int aColumn) {
        if (m_moving || aColumn != 0) return;
        ui::RunGuarded(m_tabSheet, [&] { SelectedEdited(aItem, aItem->text(0)); });
    });
}

bool TdaDualListPage::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aWatched == m_selected && aEvent->type() == QEvent::Resize) {
        SelectedResize();
        return false;
    }
    if (aWatched == m_selectedHeader && aEvent->type() == QEvent::Resize) {
        // The header's check box keeps 10 pixels from the right edge.
        for (QCheckBox* box : m_selectedHeader->findChildren<QCheckBox*>(Qt::FindDirectChildrenOnly))
            box->move(m_selectedHeader->width() - box->width() - 10, box->y());
        return false;
    }
    const bool onAvailable = m_available && aWatched == m_available->viewport();
    const bool onSelected = m_selected && aWatched == m_selected->viewport();
    if (!onAvailable && !onSelected) return false;
    switch (aEvent->type()) {
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
        if (onAvailable ? AvailableDragOver(source) : SelectedDragOver(source)) {
            e->acceptProposedAction();
            ui::RunGuarded(m_tabSheet, [&] {
                if (onAvailable) AvailableDragDrop(source);
                else SelectedDragDrop(source);
            });
        } else {
            e->ignore();
        }
        return true;
    }
    default: return false;
    }
}

bool TdaDualListPage::AvailableDragOver(QObject* aSource) { return aSource && aSource == m_selected; }

void TdaDualListPage::AvailableDragDrop(QObject* aSource) {
    if (AvailableDragOver(aSource)) MoveToAvailable(m_selected->selectedItems());
}

bool TdaDualListPage::SelectedDragOver(QObject* aSource) { return aSource && aSource == m_available; }

void TdaDualListPage::SelectedDragDrop(QObject* aSource) {
    if (SelectedDragOver(aSource)) MoveToSelected(m_available->selectedItems());
}

void TdaDualListPage::Refresh() {
    if (!m_available || !m_sql) return;
    if (m_moving) m_refreshedDuringMove = true;
    ShowEditors(false);
    FillAvailableList();
    FillSelectedList();
    ListsRefreshed();
    UpdateMoveButtons();
}

void TdaDualListPage::FillAvailableList() {
    const int scroll = m_available->verticalScrollBar()->value();
    const QSignalBlocker block(m_available);
    m_available->clear();
    const int count = GetAvailableCount();
    for (int i = 0; i < count; ++i) {
        QObject* entry = GetAvailable(i);
        auto* item = new QTreeWidgetItem(m_available);
        item->setData(0, Qt::UserRole, entryData(entry));
        FillAvailableItem(item, entry);
    }
    m_available->verticalScrollBar()->setValue(scroll);
}

void TdaDualListPage::FillSelectedList() {
    const bool moving = m_moving;
    m_moving = true;
    const int scroll = m_selected->verticalScrollBar()->value();
    m_selected->clear();
    const int count = GetSelectedCount();
    for (int i = 0; i < count; ++i) {
        QObject* entry = GetSelected(i);
        auto* item = new QTreeWidgetItem(m_selected);
        item->setData(0, Qt::UserRole, entryData(entry));
        if (!IsSelectedListReadOnly()) item->setFlags(item->flags() | Qt::ItemIsEditable);
        FillSelectedItem(item, entry);
    }
    m_selected->verticalScrollBar()->setValue(scroll);
    m_selectedRows.clear();
    m_moving = moving;
}

QObject* TdaDualListPage::CurrentSelectedEntry() const {
    const QList<QTreeWidgetItem*> rows = m_selected ? m_selected->selectedItems() : QList<QTreeWidgetItem*>();
    return rows.size() == 1 ? entryOf(rows.first()) : nullptr;
}

void TdaDualListPage::MoveToSelected(const QList<QTreeWidgetItem*>& aItems) {
    QList<QObject*> entries;
    for (QTreeWidgetItem* item : aItems) entries << entryOf(item);
    QList<QObject*> added;
    m_moving = true;
    m_refreshedDuringMove = false;
    for (QObject* entry : entries) {
        int index = -1;
        const int count = GetAvailableCount();
        for (int i = 0; i < count && index < 0; ++i)
            if (GetAvailable(i) == entry) index = i;
        if (index < 0) continue;
        if (QObject* child = AddSelected(index)) added << child;
    }
    m_moving = false;
    Refresh();
    // The new rows are selected.
    m_moving = true;
    m_selected->clearSelection();
    for (QTreeWidgetItem* item : m_selected->Items())
        if (added.contains(entryOf(item))) {
            item->setSelected(true);
            m_selected->scrollToItem(item);
        }
    m_moving = false;
    m_selectedRows = m_selected->selectedItems();
    SelectedItemChanged();
}

void TdaDualListPage::MoveToAvailable(const QList<QTreeWidgetItem*>& aItems) {
    QList<QObject*> entries;
    for (QTreeWidgetItem* item : aItems) entries << entryOf(item);
    m_moving = true;
    m_refreshedDuringMove = false;
    ShowEditors(false);
    for (QObject* entry : entries) {
        int index = -1;
        const int count = GetSelectedCount();
        for (int i = 0; i < count && index < 0; ++i)
            if (GetSelected(i) == entry) index = i;
        if (index < 0) continue;
        RemoveSelected(index);
    }
    m_moving = false;
    Refresh();
}

void TdaDualListPage::SelectAll() { MoveToSelected(m_available->Items()); }

void TdaDualListPage::DeselectAll() { MoveToAvailable(m_selected->Items()); }

void TdaDualListPage::UpdateMoveButtons() {
    const bool enabled = m_selected && m_selected->ItemCount() > 1;
    if (m_btnMoveUp) m_btnMoveUp->setEnabled(enabled);
    if (m_btnMoveDown) m_btnMoveDown->setEnabled(enabled);
}

void TdaDualListPage::AvailableColumnClick(int aColumn) {
    m_sortState = std::abs(m_sortState) == aColumn + 1 ? -m_sortState : aColumn + 1;
}

void TdaDualListPage::AvailableDblClick() {
    if (m_activating || !m_available->currentItem()) return;
    MoveToSelected({m_available->currentItem()});
}

void TdaDualListPage::SelectedDblClick() {
    if (m_activating || !m_selected->currentItem()) return;
    MoveToAvailable({m_selected->currentItem()});
}

void TdaDualListPage::MoveUpClick() { MoveSelectedItems(-1); }

void TdaDualListPage::MoveDownClick() { MoveSelectedItems(1); }

void TdaDualListPage::SelectedColumnResized(int aColumn) {
    Q_UNUSED(aColumn);
    SelectedItemChanged();
}

void TdaDualListPage::MoveSelectedItems(int aDirection) {
    const int count = m_selected->ItemCount();
    if (count == 0 || !m_sql) return;
    if (aDirection < 0 && m_selected->Item(0)->isSelected()) return;
    if (aDirection > 0 && m_selected->Item(count - 1)->isSelected()) return;
    QList<QObject*> moved;
    for (int n = 0; n < count; ++n) {
        const int i = aDirection < 0 ? n : count - 1 - n;
        if (!m_selected->Item(i)->isSelected()) continue;
        const int to = i + aDirection;
        if (to < 0 || to >= count) continue;
        auto* child = qobject_cast<TppRelative*>(entryOf(m_selected->Item(i)));
        if (!child) continue;
        m_sql->MoveChild(child, i, to);
        moved << child;
    }
    ShowEditors(false);
    FillSelectedList();
    ListsRefreshed();
    m_moving = true;
    QTreeWidgetItem* edge = nullptr;
    for (QTreeWidgetItem* item : m_selected->Items())
        if (moved.contains(entryOf(item))) {
            item->setSelected(true);
            if (!edge || aDirection > 0) edge = item;
        }
    m_moving = false;
    if (edge) {
        m_selected->scrollToItem(edge);
        m_selected->setCurrentItem(edge, 0, QItemSelectionModel::NoUpdate);
    }
    m_selectedRows = m_selected->selectedItems();
    SelectedItemChanged();
}

// TdaFieldPage ------------------------------------------------------------------------------

TdaFieldPage::TdaFieldPage(TdaQueryDesignerForm* aForm, QTabWidget* aPageControl) : TdaDualListPage(aForm, aPageControl) {
    m_tabSheet->setObjectName(QStringLiteral("tshFields"));
}

QString TdaFieldPage::GetCaption() const { return text(763); }

QString TdaFieldPage::LowerLabel() const { return text(823); }

QString TdaFieldPage::CheckBoxText() const { return text(718); }

void TdaFieldPage::CreateControls() {
    TdaDualListPage::CreateControls();
    if (!m_available) return;
    m_available->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_checkBox = ui::Make<QCheckBox>(m_selectedHeader, CheckBoxName());
    m_checkBox->setText(CheckBoxText());
    placeCheckBox();
    connect(m_checkBox, &QCheckBox::clicked, this, [this] { ui::RunGuarded(m_tabSheet, [&] { CheckBoxClick(); }); });
}

void TdaFieldPage::placeCheckBox() {
    if (!m_checkBox) return;
    const int width = m_checkBox->fontMetrics().horizontalAdvance(m_checkBox->text()) + 30;
    const int panel = std::max(m_selectedHeader->width(), m_tabSheet->width() - 8);
    m_checkBox->setGeometry(panel - width - 10, 1, width, 19);
}

void TdaFieldPage::SetUpAvailableColumns() {
    m_available->setHeaderLabels({text(761), text(762), text(835)});
    for (int i = 0; i < 3; ++i) m_available->setColumnWidth(i, 100);
}

void TdaFieldPage::SetUpSelectedColumns() {
    m_selected->setHeaderLabels({text(761), text(762), text(835)});
    for (int i = 0; i < 3; ++i) m_selected->setColumnWidth(i, 100);
}

void TdaFieldPage::FillAvailableItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* f = qobject_cast<TdaField*>(aEntry);
    if (!f) return;
    aItem->setText(0, f->FieldAlias());
    aItem->setText(1, m_sql->QuoteIdentifier(f->FieldName()));
    aItem->setText(2, f->TableSQLAlias());
}

void TdaFieldPage::FillSelectedItem(QTreeWidgetItem* aItem, QObject* aEntry) {
    auto* f = qobject_cast<TdaField*>(aEntry);
    if (!f) return;
    aItem->setText(0, f->Alias());
    aItem->setText(1, m_sql->QuoteIdentifier(f->FieldName()));
    aItem->setText(2, f->TableSQLAlias());
}

QObject* TdaFieldPage::GetAvailable(int aIndex) { return m_sql->AvailableSelectFields().value(aIndex); }
int TdaFieldPage::GetAvailableCount() { return int(m_sql->AvailableSelectFields().size()); }
QObject* TdaFieldPage::GetSelected(int aIndex) { return m_sql->SelectFields(aIndex); }
int TdaFieldPage::GetSelectedCount() { return m_sql->SelectFieldCount(); }
QObject* TdaFieldPage::AddSelected(int aIndex) { return m_sql->SelectField(aIndex); }
QObject* TdaFieldPage::RemoveSelected(int aIndex) { return m_sql->DeselectField(aIndex); }

void TdaFieldPage::ListsRefreshed() {
    if (m_checkBox) m_checkBox->setChecked(GetAvailableCount() == 0);
}

void TdaFieldPage::CheckBoxClick() {
    if (m_moving || !m_checkBox) return;
    if (m_checkBox->isChecked()) SelectAll();
    else DeselectAll();
}

void TdaFieldPage::AvailableColumnClick(int aColumn) {
    if (aColumn != 0) {
        TdaDualListPage::AvailableColumnClick(aColumn);
        return;
    }
    m_sortState = m_sortState == 1 ? -1 : 1;
    m_sql->SetFieldOrder(m_sortState);
    FillAvailableList();
    m_available->headerItem()->setText(0, m_sortState == 1 ? text(761) : text(761) + QLatin1Char(' ') + text(709));
}

void TdaFieldPage::SelectedEdited(QTreeWidgetItem* aItem, const QString& aText) {
    auto* field = qobject_cast<TdaField*>(entryOf(aItem));
    if (!field || aText == field->Alias()) return;
    bool taken = aText.trimmed().isEmpty();
    for (int i = 0; i < m_sql->SelectFieldCount() && !taken; ++i)
        taken = m_sql->SelectFields(i) != field && m_sql->SelectFields(i)->Alias().compare(aText, Qt::CaseInsensitive) == 0;
    for (int i = 0; i < m_sql->CalcFieldCount() && !taken; ++i)
        taken = m_sql->CalcFields(i) != field && m_sql->CalcFields(i)->Alias().compare(aText, Qt::CaseInsensitive) == 0;
    const bool moving = m_moving;
    m_moving = true;
    if (taken) {
        aItem->setText(0, field->Alias());
    } else {
        field->SetAlias(aText);
        m_sql->DoChange();
    }
    m_moving = moving;
}
