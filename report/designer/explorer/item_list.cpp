#include "report/designer/explorer/item_list.h"

#include "report/designer/explorer/explorer_texts.h"
#include "report/designer/explorer/report_explorer.h"
#include "report/page/resource_manager.h"

#include "platform/format/date_time_format.h"
#include "platform/ui/run_guarded.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace report {

QIcon ExplorerIcon(const QString& aName) {
    static const char* const folders[] = {"places", "status", "mimetypes", "actions"};
    for (const char* folder : folders) {
        for (const QString& file : {aName + QStringLiteral(".png"), aName + QStringLiteral(".symbolic.png")}) {
            const QString path = QStringLiteral("/usr/share/icons/Adwaita/16x16/%1/%2").arg(QLatin1String(folder), file);
            if (QFileInfo::exists(path)) return QIcon(path);
        }
    }
    return {};
}

}  // namespace report

namespace {

QString text(int n) { return ppGetMessageText(n); }

QString typeText(int aType) {
    switch (aType) {
    case 2: return text(535);
    case 3: return text(546);
    default: return text(579);
    }
}

QIcon typeIcon(int aType) {
    switch (aType) {
    case 2: return report::ExplorerIcon(QStringLiteral("text-x-script"));
    case 3: return report::ExplorerIcon(QStringLiteral("x-office-spreadsheet"));
    case kppFolderItem: return report::ExplorerIcon(QStringLiteral("folder"));
    default: return report::ExplorerIcon(QStringLiteral("x-office-document"));
    }
}

}  // namespace

TppItemList::TppItemList(QWidget* aParent) : TppListView(aParent) {
    report::DeclareExplorerTexts();
    setObjectName(QStringLiteral("ItemList"));
    setColumnCount(4);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    setColumnWidth(0, 250);
    setColumnWidth(1, 120);
    setColumnWidth(2, 100);
    setColumnWidth(3, 140);
    setCaptions();
    SetDetails(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int aSection) {
        ui::RunGuarded(this, [&] { ColumnClick(aSection + 1); });
    });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* aItem, int) {
        ui::RunGuarded(this, [&] { doubleClicked(aItem); });
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* aItem, int aColumn) {
        ui::RunGuarded(this, [&] { edited(aItem, aColumn); });
    });
}

void TppItemList::SetLanguage(int aIndex) {
    m_language = aIndex;
    setCaptions();
}

void TppItemList::setCaptions() {
    const int captions[] = {569, 583, 588, 568};
    static const int ascending[] = {515, 519, 515, 518};
    static const int descending[] = {520, 516, 520, 517};
    QStringList labels;
    for (int c = 0; c < 4; ++c) {
        QString label = text(captions[c]);
        if (std::abs(m_sortMode) == c + 1) label += u' ' + text(m_sortMode > 0 ? ascending[c] : descending[c]);
        labels << label;
    }
    setHeaderLabels(labels);
    headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
}

void TppItemList::SetDetails(bool aDetails) {
    m_details = aDetails;
    setHeaderHidden(!aDetails);
    for (int c = 1; c < 4; ++c) setColumnHidden(c, !aDetails);
}

void TppItemList::SetFolder(int aFolderId) {
    m_folderId = aFolderId;
    RefreshItems();
}

void TppItemList::SetSortMode(int aMode) {
    m_sortMode = aMode == 0 || std::abs(aMode) > 4 ? 1 : aMode;
    setCaptions();
}

void TppItemList::RefreshItems() {
    m_filling = true;
    setUpdatesEnabled(false);
    clear();
    m_count = 0;
    m_size = 0;
    if (m_explorer) {
        const Qt::ItemFlags editable = m_folderId == kppRecycleBin ? Qt::ItemFlags() : Qt::ItemIsEditable;
        QList<QTreeWidgetItem*> entries;
        for (const TppFolderInfo& f : m_explorer->GetChildFolders(m_folderId)) {
            auto* e = new QTreeWidgetItem({f.Name, QString(), text(554), QString()});
            e->setIcon(0, typeIcon(kppFolderItem));
            e->setData(0, FolderRole, f.FolderId);
            e->setData(0, ItemIdRole, 0);
            e->setData(0, TypeRole, kppFolderItem);
            e->setData(0, OldNameRole, f.Name);
            e->setFlags(e->flags() | editable);
            entries << e;
        }
        const QList<TppItemInfo> items = m_explorer->GetItems(m_folderId);
        entries.reserve(entries.size() + items.size());
        for (const TppItemInfo& i : items) {
            const QString modified = i.Modified == 0 ? QString() : format::FormatDateTime(QStringLiteral("ddddd t"), i.Modified);
            auto* e = new QTreeWidgetItem({i.Name, QString::number(i.Size / 1000) + text(565), typeText(i.ItemType), modified});
            e->setIcon(0, typeIcon(i.ItemType));
            e->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            e->setData(0, FolderRole, i.FolderId);
            e->setData(0, ItemIdRole, i.ItemId);
            e->setData(0, TypeRole, i.ItemType);
            e->setData(0, ModifiedRole, i.Modified);
            e->setData(0, SizeRole, qint64(i.Size));
            e->setData(0, OldNameRole, i.Name);
            e->setFlags(e->flags() | editable);
            entries << e;
            ++m_count;
            m_size += i.Size;
        }
        addTopLevelItems(entries);
        Sort();
    }
    setUpdatesEnabled(true);
    m_filling = false;
    selectionChanged();
}

void TppItemList::Sort() {
    QList<QTreeWidgetItem*> entries;
    while (topLevelItemCount() > 0) entries << takeTopLevelItem(0);
    const int mode = m_sortMode;
    auto compareNames = [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return a->text(0).compare(b->text(0), Qt::CaseInsensitive);
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        const bool folderA = a->data(0, TypeRole).toInt() == kppFolderItem;
        const bool folderB = b->data(0, TypeRole).toInt() == kppFolderItem;
        if (folderA != folderB) return folderA;
        if (folderA) return mode == -1 ? compareNames(a, b) > 0 : compareNames(a, b) < 0;
        int c = 0;
        switch (std::abs(mode)) {
        case 2: {
            const qint64 sa = a->data(0, SizeRole).toLongLong() / 1000, sb = b->data(0, SizeRole).toLongLong() / 1000;
            c = sa < sb ? -1 : (sa > sb ? 1 : 0);
            break;
        }
        case 3: c = a->text(2).compare(b->text(2), Qt::CaseInsensitive); break;
        case 4: {
            const double ma = a->data(0, ModifiedRole).toDouble(), mb = b->data(0, ModifiedRole).toDouble();
            c = ma < mb ? -1 : (ma > mb ? 1 : 0);
            break;
        }
        default: c = compareNames(a, b); break;
        }
        if (mode < 0) c = -c;
        if (c == 0) return compareNames(a, b) < 0;
        return c < 0;
    });
    const bool filling = m_filling;
    m_filling = true;
    addTopLevelItems(entries);
    m_filling = filling;
}

void TppItemList::ColumnClick(int aColumn) {
    if (aColumn < 1 || aColumn > 4) return;
    m_sortMode = aColumn == m_sortMode ? -m_sortMode : aColumn;
    const QString selected = GetSelectedName();
    Sort();
    setCaptions();
    if (!selected.isEmpty()) SelectItem(selected);
}

void TppItemList::SelectItem(const QString& aName) {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* e = topLevelItem(i);
        if (e->text(0).compare(aName, Qt::CaseInsensitive) == 0) {
            clearSelection();
            setCurrentItem(e);
            e->setSelected(true);
            scrollToItem(e);
            break;
        }
    }
    if (OnSelectionChange) OnSelectionChange();
}

int TppItemList::GetSelectedFolder() const {
    QTreeWidgetItem* e = currentItem();
    return e && e->isSelected() ? e->data(0, FolderRole).toInt() : -1;
}

int TppItemList::GetSelectedType() const {
    QTreeWidgetItem* e = currentItem();
    return e && e->isSelected() ? e->data(0, TypeRole).toInt() : -1;
}

QString TppItemList::GetSelectedName() const {
    QTreeWidgetItem* e = currentItem();
    return e && e->isSelected() ? e->text(0) : QString();
}

void TppItemList::selectionChanged() {
    if (m_filling) return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    m_count = int(selected.size());
    m_onlyFolders = !selected.isEmpty();
    m_anyFolder = false;
    m_size = 0;
    for (QTreeWidgetItem* e : selected) {
        const bool folder = e->data(0, TypeRole).toInt() == kppFolderItem;
        m_onlyFolders = m_onlyFolders && folder;
        m_anyFolder = m_anyFolder || folder;
        if (!folder) m_size += e->data(0, SizeRole).toLongLong() / 1000 * 1000;
    }
    if (selected.isEmpty()) {
        // Nothing selected: the status bar counts the folder's items.
        m_count = 0;
        for (int i = 0; i < topLevelItemCount(); ++i)
            if (topLevelItem(i)->data(0, TypeRole).toInt() != kppFolderItem) {
                ++m_count;
                m_size += topLevelItem(i)->data(0, SizeRole).toLongLong();
            }
    }
    if (OnSelectionChange) OnSelectionChange();
}

void TppItemList::doubleClicked(QTreeWidgetItem* aItem) {
    if (!aItem) return;
    if (aItem->data(0, TypeRole).toInt() == kppFolderItem) {
        SetFolder(aItem->data(0, FolderRole).toInt());
        if (OnFolderChange) OnFolderChange();
    } else if (OnOpenItem) {
        OnOpenItem();
    }
}

void TppItemList::edited(QTreeWidgetItem* aItem, int aColumn) {
    if (m_filling || aColumn != 0 || !m_explorer) return;
    const QString oldName = aItem->data(0, OldNameRole).isValid() ? aItem->data(0, OldNameRole).toString() : QString();
    const QString newName = aItem->text(0);
    if (oldName.isEmpty() || oldName == newName) return;
    bool accepted = false;
    if (aItem->data(0, TypeRole).toInt() == kppFolderItem) {
        const int folder = aItem->data(0, FolderRole).toInt();
        if (m_explorer->CheckFolderRename(oldName, newName, m_explorer->GetParentId(folder))) {
            if (OnFolderRename) OnFolderRename(folder, newName);
            m_explorer->RenameFolder(folder, newName);
            accepted = true;
        }
    } else {
        const int folder = aItem->data(0, FolderRole).toInt(), type = aItem->data(0, TypeRole).toInt();
        if (m_explorer->CheckItemRename(oldName, newName, folder, type)) {
            m_explorer->RenameItem(oldName, newName, folder, type);
            accepted = true;
        }
    }
    m_filling = true;
    if (accepted) aItem->setData(0, OldNameRole, newName);
    else aItem->setText(0, oldName);
    m_filling = false;
}

void TppItemList::RenameSelection() {
    QTreeWidgetItem* e = currentItem();
    if (!e || !e->isSelected() || m_folderId == kppRecycleBin || e->data(0, FolderRole).toInt() < 0) return;
    m_filling = true;
    e->setData(0, OldNameRole, e->text(0));
    m_filling = false;
    editItem(e, 0);
}

void TppItemList::MoveSelection(int aDestination) {
    if (!m_explorer) return;
    bool folderMoved = false, itemMoved = false;
    for (QTreeWidgetItem* e : selectedItems()) {
        if (e->data(0, TypeRole).toInt() == kppFolderItem) {
            folderMoved = m_explorer->MoveFolder(e->data(0, FolderRole).toInt(), aDestination) || folderMoved;
        } else if (m_folderId == kppRecycleBin) {
            itemMoved = m_explorer->MoveItemById(e->data(0, ItemIdRole).toInt(), aDestination) || itemMoved;
        } else {
            itemMoved = m_explorer->MoveItem(e->text(0), e->data(0, TypeRole).toInt(), aDestination,
                                             e->data(0, FolderRole).toInt()) ||
                        itemMoved;
        }
    }
    if (folderMoved) {
        if (OnFolderChange) OnFolderChange();
    } else if (itemMoved) {
        RefreshItems();
    }
}

void TppItemList::DeleteSelection() {
    if (!m_explorer) return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QStringList folders, items;
    for (QTreeWidgetItem* e : selected) (e->data(0, TypeRole).toInt() == kppFolderItem ? folders : items) << e->text(0);
    const bool inBin = m_folderId == kppRecycleBin;
    if (inBin ? !m_explorer->ConfirmItemsDelete(items) : !m_explorer->ConfirmRecycle(folders, items)) return;
    bool folderGone = false;
    setUpdatesEnabled(false);
    for (QTreeWidgetItem* e : selected) {
        const bool folder = e->data(0, TypeRole).toInt() == kppFolderItem;
        if (inBin) {
            m_explorer->DeleteItemById(e->data(0, ItemIdRole).toInt());
        } else if (folder) {
            m_explorer->MoveFolder(e->data(0, FolderRole).toInt(), kppRecycleBin);
            folderGone = true;
        } else {
            m_explorer->MoveItemById(e->data(0, ItemIdRole).toInt(), kppRecycleBin);
        }
        delete e;
    }
    setUpdatesEnabled(true);
    selectionChanged();
    if (folderGone && OnFolderChange) OnFolderChange();
}

void TppItemList::EmptyRecycleBin() {
    if (m_explorer && m_explorer->EmptyRecycleBin() && OnFolderChange) OnFolderChange();
}

void TppItemList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this) event->acceptProposedAction();
    else event->ignore();
}

void TppItemList::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    if (event->source() == this && target && target->data(0, TypeRole).toInt() == kppFolderItem && !target->isSelected())
        event->acceptProposedAction();
    else event->ignore();
}

void TppItemList::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (!target || target->data(0, TypeRole).toInt() != kppFolderItem) return;
    const int destination = target->data(0, FolderRole).toInt();
    ui::RunGuarded(this, [&] { MoveSelection(destination); });
}
