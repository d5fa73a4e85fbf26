#include "report/designer/explorer/open_save_dialog.h"

#include "report/designer/explorer/explorer_texts.h"
#include "report/designer/explorer/item_list.h"
#include "report/designer/explorer/report_explorer.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString text(int n) { return ppGetMessageText(n); }

constexpr int kLevelRole = Qt::UserRole + 1;

/// Draws a folder entry indented by its level: the picture at level × 20 + 1, the name at
/// level × 20 + 21.
class FolderEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const int indent = index.data(kLevelRole).toInt() * 20;
        painter->save();
        painter->fillRect(o.rect, (o.state & QStyle::State_Selected) ? o.palette.highlight() : o.palette.base());
        const QIcon icon = report::ExplorerIcon((o.state & QStyle::State_Selected) ? QStringLiteral("folder-open")
                                                                                  : QStringLiteral("folder"));
        icon.paint(painter, QRect(o.rect.left() + indent + 1, o.rect.top() + (o.rect.height() - 16) / 2, 16, 16));
        painter->setPen(o.palette.color((o.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(o.rect.adjusted(indent + 21, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, index.data().toString());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        const double dpi = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInch() : 96;
        s.setHeight(std::max(s.height(), int(std::lround(dpi * 0.15625))));
        s.setWidth(s.width() + index.data(kLevelRole).toInt() * 20 + 21);
        return s;
    }
};

}  // namespace

TppOpenSaveDialog::TppOpenSaveDialog(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareExplorerTexts();
    setObjectName(QStringLiteral("ppOpenSaveDialog"));
    lblSaveIn = ui::Make<QLabel>(this, "lblSaveIn", QStringLiteral("Save &in:"));
    cbxFolders = ui::Make<QComboBox>(this, "cbxFolders");
    cbxFolders->setItemDelegate(new FolderEntryDelegate(cbxFolders));
    cbxFolders->setMinimumWidth(220);
    lblSaveIn->setBuddy(cbxFolders);
    auto button = [this](const char* name, const char* icon) {
        auto* b = ui::Make<QToolButton>(this, name);
        b->setIcon(report::ExplorerIcon(QString::fromLatin1(icon)));
        b->setAutoRaise(true);
        return b;
    };
    spbUpOneLevel = button("spbUpOneLevel", "go-up-symbolic");
    spbNewFolder = button("spbNewFolder", "folder-new-symbolic");
    spbListView = button("spbListView", "view-list-symbolic");
    spbDetailView = button("spbDetailView", "view-more-horizontal-symbolic");
    spbListView->setCheckable(true);
    spbDetailView->setCheckable(true);
    spbListView->setChecked(true);
    spbListView->setAutoExclusive(true);
    spbDetailView->setAutoExclusive(true);
    m_itemList = new TppItemList(this);
    m_itemList->setMinimumHeight(150);
    lblItemName = ui::Make<QLabel>(this, "lblItemName", QStringLiteral("Item &name:"));
    edtItemName = ui::Make<QLineEdit>(this, "edtItemName");
    lblItemName->setBuddy(edtItemName);
    lblSaveAsType = ui::Make<QLabel>(this, "lblSaveAsType");
    cbxFileType = ui::Make<QComboBox>(this, "cbxFileType");
    lblSaveAsType->hide();
    cbxFileType->hide();
    btnOK = ui::Make<QPushButton>(this, "btnOK", QStringLiteral("&Save"));
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel", QStringLiteral("Cancel"));
    btnHelp = ui::Make<QPushButton>(this, "btnHelp", QStringLiteral("Help"));
    ppmItems = ui::Make<QMenu>(this, "ppmItems");
    QMenu* view = ppmItems->addMenu(QString());
    view->setObjectName(QStringLiteral("ppmItemsView"));
    m_menuList = view->addAction(QString());
    m_menuList->setObjectName(QStringLiteral("ppmItemsList"));
    m_menuDetails = view->addAction(QString());
    m_menuDetails->setObjectName(QStringLiteral("ppmItemsDetails"));
    m_menuList->setCheckable(true);
    m_menuDetails->setCheckable(true);
    m_menuNewFolder = ppmItems->addAction(QString());
    m_menuNewFolder->setObjectName(QStringLiteral("ppmItemsNewFolder"));
    m_menuDelete = ppmItems->addAction(QString());
    m_menuDelete->setObjectName(QStringLiteral("ppmItemsDelete"));
    m_menuRename = ppmItems->addAction(QString());
    m_menuRename->setObjectName(QStringLiteral("ppmItemsRename"));
    m_itemList->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* top = new QHBoxLayout;
    top->addWidget(lblSaveIn);
    top->addWidget(cbxFolders, 1);
    for (QToolButton* b : {spbUpOneLevel, spbNewFolder, spbListView, spbDetailView}) top->addWidget(b);
    auto* bottom = new QGridLayout;
    bottom->addWidget(lblItemName, 0, 0);
    bottom->addWidget(edtItemName, 0, 1);
    bottom->addWidget(btnOK, 0, 2);
    bottom->addWidget(lblSaveAsType, 1, 0);
    bottom->addWidget(cbxFileType, 1, 1);
    bottom->addWidget(btnCancel, 1, 2);
    bottom->addWidget(btnHelp, 2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(m_itemList, 1);
    layout->addLayout(bottom);
    resize(417, 265);

    auto guarded = [this](auto f) { return [this, f] { ui::RunGuarded(this, f); }; };
    connect(btnOK, &QPushButton::clicked, this, guarded([this] { OKClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] {
        if (OnHelp) OnHelp();
    });
    connect(spbUpOneLevel, &QToolButton::clicked, this, guarded([this] { UpOneLevel(); }));
    connect(spbNewFolder, &QToolButton::clicked, this, guarded([this] { NewFolder(); }));
    connect(m_menuNewFolder, &QAction::triggered, this, guarded([this] { NewFolder(); }));
    connect(spbListView, &QToolButton::clicked, this, [this] { SetDetails(false); });
    connect(spbDetailView, &QToolButton::clicked, this, [this] { SetDetails(true); });
    connect(m_menuList, &QAction::triggered, this, [this] { SetDetails(false); });
    connect(m_menuDetails, &QAction::triggered, this, [this] { SetDetails(true); });
    connect(m_menuDelete, &QAction::triggered, this, guarded([this] { m_itemList->DeleteSelection(); }));
    connect(m_menuRename, &QAction::triggered, this, guarded([this] { m_itemList->RenameSelection(); }));
    connect(m_itemList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ppmItems->popup(m_itemList->viewport()->mapToGlobal(p)); });
    connect(cbxFolders, &QComboBox::activated, this, guarded([this] {
                const int i = cbxFolders->currentIndex();
                if (i >= 0 && i < m_entries.size()) ChooseFolder(m_entries[i].id);
            }));
    connect(edtItemName, &QLineEdit::textChanged, this, [this](const QString& t) { Name = t; });
    m_itemList->OnSelectionChange = [this] { listSelectionChanged(); };
    m_itemList->OnFolderChange = [this] { ChooseFolder(m_itemList->FolderId()); };
    m_itemList->OnOpenItem = [this] {
        QTreeWidgetItem* e = m_itemList->currentItem();
        if (!e || e->data(0, TppItemList::TypeRole).toInt() != ItemType) return;
        SetItemName(e->text(0));
        if (ValidateName()) accept();
    };
}

void TppOpenSaveDialog::SetReportExplorer(TppReportExplorer* aExplorer) {
    m_explorer = aExplorer;
    m_itemList->SetExplorer(aExplorer);
}

void TppOpenSaveDialog::SetItemName(const QString& aName) {
    Name = aName;
    if (edtItemName->text() != aName) edtItemName->setText(aName);
}

void TppOpenSaveDialog::showEvent(QShowEvent* event) {
    Activate();
    TppForm::showEvent(event);
}

void TppOpenSaveDialog::Activate() {
    fillFolders();
    const bool save = Mode == 1;
    setWindowTitle(save ? text(362) + u' ' + Name + u' ' + text(38) : text(361));
    btnOK->setText(save ? text(138) : text(134));
    lblSaveIn->setText(save ? text(582) : text(567));
    m_itemList->setSelectionMode(save ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    btnCancel->setText(text(5));
    btnHelp->setText(text(557));
    btnHelp->setVisible(bool(OnHelp));
    lblItemName->setText(text(39));
    edtItemName->setText(Name);
    edtItemName->selectAll();
    spbUpOneLevel->setToolTip(text(589));
    spbNewFolder->setToolTip(text(545));
    spbListView->setToolTip(text(566));
    spbDetailView->setToolTip(text(549));
    ppmItems->actions().first()->setText(text(155));
    m_menuList->setText(text(510));
    m_menuDetails->setText(text(508));
    m_menuNewFolder->setText(text(558));
    m_menuDelete->setText(text(124));
    m_menuRename->setText(text(542));
    const bool allowNew = m_explorer && (m_explorer->FolderOptions() & TppFolderOption::foAllowNew);
    spbNewFolder->setVisible(allowNew);
    m_menuNewFolder->setVisible(allowNew);
    const bool allowDelete = m_explorer && ((m_explorer->FolderOptions() & TppFolderOption::foAllowDelete) ||
                                            (m_explorer->ItemOptions() & TppItemOption::ioAllowDelete));
    const bool allowRename = m_explorer && ((m_explorer->FolderOptions() & TppFolderOption::foAllowRename) ||
                                            (m_explorer->ItemOptions() & TppItemOption::ioAllowRename));
    m_menuDelete->setVisible(allowDelete);
    m_menuRename->setVisible(allowRename);
    SetDetails(m_itemList->Details());
    edtItemName->setFocus();
}

void TppOpenSaveDialog::fillFolders() {
    m_filling = true;
    m_entries.clear();
    cbxFolders->clear();
    if (m_explorer) {
        for (const TppFolderInfo& f : m_explorer->GetChildFolders(kppRootFolder)) m_entries.push_back({f.Name, f.FolderId, 1});
        QList<TppFolderInfo> chain;
        if (Folder > 0) {
            chain.push_back({m_explorer->GetFolderName(Folder), Folder, m_explorer->GetParentId(Folder)});
            chain += m_explorer->GetParentFolders(Folder);
        }
        std::reverse(chain.begin(), chain.end());  // outermost first
        int insertAt = 0, level = 1;
        if (!chain.isEmpty()) {
            for (int i = 0; i < m_entries.size(); ++i)
                if (m_entries[i].id == chain.first().FolderId) {
                    insertAt = i + 1;
                    level = 2;
                    chain.removeFirst();
                    break;
                }
            for (const TppFolderInfo& f : chain) m_entries.insert(insertAt++, {f.Name, f.FolderId, level++});
        }
    }
    m_entries.prepend({text(524), kppRootFolder, 0});
    int current = 0;
    for (int i = 0; i < m_entries.size(); ++i) {
        cbxFolders->addItem(m_entries[i].name, m_entries[i].id);
        cbxFolders->setItemData(i, m_entries[i].level, kLevelRole);
        if (m_entries[i].id == Folder) current = i;
    }
    cbxFolders->setCurrentIndex(current);
    spbUpOneLevel->setEnabled(Folder != kppRootFolder);
    m_itemList->SetFolder(Folder);
    m_filling = false;
}

void TppOpenSaveDialog::ChooseFolder(int aFolderId) {
    Folder = aFolderId;
    fillFolders();
}

void TppOpenSaveDialog::UpOneLevel() {
    if (!m_explorer || Folder == kppRootFolder) return;
    const int parent = m_explorer->GetParentId(Folder);
    ChooseFolder(parent < 0 ? kppRootFolder : parent);
}

void TppOpenSaveDialog::NewFolder() {
    if (!m_explorer) return;
    const QString name = m_explorer->GetNewFolderName(Folder);
    const int id = m_explorer->AddFolder(Folder, name);
    if (id < 0) return;
    m_itemList->RefreshItems();
    m_itemList->SelectItem(name);
    m_itemList->RenameSelection();
}

void TppOpenSaveDialog::SetDetails(bool aDetails) {
    m_itemList->SetDetails(aDetails);
    spbListView->setChecked(!aDetails);
    spbDetailView->setChecked(aDetails);
    m_menuList->setChecked(!aDetails);
    m_menuDetails->setChecked(aDetails);
}

void TppOpenSaveDialog::listSelectionChanged() {
    QTreeWidgetItem* e = m_itemList->currentItem();
    const bool selected = e && e->isSelected();
    const int type = selected ? e->data(0, TppItemList::TypeRole).toInt() : -1;
    if (selected && type == ItemType) SetItemName(e->text(0));
    if (!m_explorer) return;
    const bool folder = type == kppFolderItem;
    m_menuDelete->setEnabled(selected && (folder ? bool(m_explorer->FolderOptions() & TppFolderOption::foAllowDelete)
                                                 : bool(m_explorer->ItemOptions() & TppItemOption::ioAllowDelete)));
    m_menuRename->setEnabled(selected && (folder ? bool(m_explorer->FolderOptions() & TppFolderOption::foAllowRename)
                                                 : bool(m_explorer->ItemOptions() & TppItemOption::ioAllowRename)));
}

bool TppOpenSaveDialog::ValidateName() {
    if (Name.isEmpty()) return false;
    bool found = false;
    for (int i = 0; i < m_itemList->topLevelItemCount() && !found; ++i) {
        QTreeWidgetItem* e = m_itemList->topLevelItem(i);
        found = e->data(0, TppItemList::TypeRole).toInt() == ItemType && e->text(0).compare(Name, Qt::CaseInsensitive) == 0;
    }
    if (Mode == 0) {
        if (!found) ui::Message(report::MessageText(560, {Name}), ui::MessageKind::Information, ui::Button::Ok);
        return found;
    }
    if (found)
        return ui::Message(report::MessageText(523, {Name}) + u'\n' + text(550), ui::MessageKind::Confirmation,
                           ui::Button::Yes | ui::Button::No) == ui::Button::Yes;
    return !m_explorer || m_explorer->CheckNameLength(Name);
}

void TppOpenSaveDialog::OKClick() {
    Name = edtItemName->text();
    if (ValidateName()) accept();
}
