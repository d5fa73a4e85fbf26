#include "services/gui/file_list_box.h"

#include "services/errors.h"
#include "services/gui/directory_list_box.h"
#include "services/gui/directory_tree.h"
#include "services/long_names.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/run_guarded.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <map>
#include <memory>

namespace {

/// One icon per lower-case extension for the whole program; files whose icon is their own
/// (programs, links, icons, screen savers) are never cached.
std::map<QString, QIcon>& IconCache() {
    static std::map<QString, QIcon> cache;
    return cache;
}

bool HasOwnIcon(const QString& extension) {
    return extension == QStringLiteral("exe") || extension == QStringLiteral("lnk") || extension == QStringLiteral("ico")
           || extension == QStringLiteral("scr");
}

QFileIconProvider& Icons() {
    static QFileIconProvider provider;
    return provider;
}

bool MatchesAll(const QString& pattern) { return pattern == QStringLiteral("*.*") || pattern == QStringLiteral("*"); }

}  // namespace

int services::CachedFileIconCount() { return static_cast<int>(IconCache().size()); }

void TPlFileItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    const QVariant left = index.data(kTextLeftRole);
    const int textLeft = option.rect.left() + (left.isValid() ? left.toInt() : defaultTextLeft);
    const QFontMetrics fm(option.font);
    const int top = option.rect.top() + (option.rect.height() - fm.height()) / 2;
    if (showPictures) {
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull())
            icon.paint(painter, QRect(textLeft - 20, top - 1, 16, 16), Qt::AlignCenter,
                       selected ? QIcon::Selected : QIcon::Normal);
    }
    painter->setFont(option.font);
    painter->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    painter->drawText(QPoint(textLeft + 2, top + fm.ascent()), index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize TPlFileItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariant left = index.data(kTextLeftRole);
    const int textLeft = left.isValid() ? left.toInt() : defaultTextLeft;
    const int width = textLeft + 4 + QFontMetrics(option.font).horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return {width, std::max(FontHeightOf(option.font) - 3, minimumHeight)};
}

TPlFileListBox::TPlFileListBox(QWidget* parent) : TPlFramed<QListWidget>(parent) {
    setSortingEnabled(false);
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    m_delegate = new TPlFileItemDelegate(this);
    m_delegate->defaultTextLeft = 24;
    m_delegate->minimumHeight = 18;
    setItemDelegate(m_delegate);
}

QIcon TPlFileListBox::iconFor(const QString& path, bool folder) {
    if (!m_showGlyphs) return {};
    if (folder) return Icons().icon(QFileIconProvider::Folder);
    const QString extension = QFileInfo(path).suffix().toLower();
    if (HasOwnIcon(extension)) return Icons().icon(QFileInfo(path));
    auto found = IconCache().find(extension);
    if (found != IconCache().end()) return found->second;
    const QIcon icon = Icons().icon(QFileInfo(path));
    IconCache().emplace(extension, icon);
    return icon;
}

void TPlFileListBox::ReadFileNames() {
    clear();
    if (m_directory.isEmpty()) return;
    QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot | QDir::CaseSensitive;
    if (m_fileType & TFileAttr::ftDirectory) filters |= QDir::Dirs;
    if (m_fileType & (TFileAttr::ftHidden | TFileAttr::ftSystem)) filters |= QDir::Hidden | QDir::System;
    struct Entry {
        QString name;
        bool folder;
        qint64 size;
        QDateTime time;
        int attr;
    };
    std::vector<Entry> entries;
    QStringList seen;
    std::unique_ptr<ui::HourglassCursor> hourglass;
    for (const QString& pattern : m_mask.split(u';', Qt::SkipEmptyParts)) {
        QDir dir(m_directory);
        dir.setFilter(filters);
        if (!MatchesAll(pattern.trimmed())) dir.setNameFilters({pattern.trimmed()});
        for (const QFileInfo& info : dir.entryInfoList()) {
            const bool folder = info.isDir();
            // Read-only is the entry's own mark (no owner write bit), whoever runs the program.
            const bool readOnly = !(info.permissions() & QFile::WriteOwner);
            const bool normal = !info.isHidden() && !readOnly;
            bool wanted = (m_fileType & TFileAttr::ftNormal) && (!info.isHidden() || (m_fileType & TFileAttr::ftHidden));
            if (!wanted) {
                wanted = (folder && (m_fileType & TFileAttr::ftDirectory))
                         || (info.isHidden() && (m_fileType & TFileAttr::ftHidden))
                         || (readOnly && (m_fileType & TFileAttr::ftReadOnly))
                         || (normal && !folder && (m_fileType & TFileAttr::ftArchive));
            }
            if (folder && !(m_fileType & TFileAttr::ftDirectory)) wanted = false;
            if (!wanted || seen.contains(info.fileName())) continue;
            seen << info.fileName();
            TFileType attr;
            if (readOnly) attr |= TFileAttr::ftReadOnly;
            if (info.isHidden()) attr |= TFileAttr::ftHidden;
            if (folder) attr |= TFileAttr::ftDirectory;
            else if (normal) attr |= TFileAttr::ftArchive;
            entries.push_back({info.fileName(), folder, info.size(), info.lastModified(), attr.toInt()});
            if (entries.size() == 100) hourglass = std::make_unique<ui::HourglassCursor>();
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.folder != b.folder) return a.folder;
        const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    setUpdatesEnabled(false);
    for (const Entry& e : entries) {
        auto* item = new QListWidgetItem(iconFor(QDir(m_directory).filePath(e.name), e.folder), e.name, this);
        item->setData(kIsFolderRole, e.folder);
        item->setData(kSizeRole, e.size);
        item->setData(kTimeRole, e.time);
        item->setData(kAttrRole, e.attr);
    }
    setUpdatesEnabled(true);
}

TPlFileInfo TPlFileListBox::FileInfo(int index) const {
    TPlFileInfo info;
    const QListWidgetItem* it = item(index);
    if (!it) return info;
    info.Name = it->text();
    info.Attr = TFileType::fromInt(it->data(kAttrRole).toInt());
    info.Time = it->data(kTimeRole).toDateTime();
    info.Size = it->data(kSizeRole).toLongLong();
    info.Icon = it->icon();
    info.IsFolder = it->data(kIsFolderRole).toBool();
    return info;
}

void TPlFileListBox::SetDirList(TPlDirectoryListBox* list) { m_dirList = list; }

void TPlFileListBox::SetDirectory(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(folder));
    if (path == m_directory) return;
    m_directory = path;
    ReadFileNames();
}

void TPlFileListBox::SetMask(const QString& mask) {
    if (mask == m_mask) return;
    m_mask = mask;
    ReadFileNames();
}

void TPlFileListBox::SetFileType(TFileType type) {
    m_fileType = type;
    ReadFileNames();
}

void TPlFileListBox::SetShowGlyphs(bool v) {
    m_showGlyphs = v;
    m_delegate->defaultTextLeft = v ? 24 : 0;
    m_delegate->minimumHeight = v ? 18 : 0;
    m_delegate->showPictures = v;
    ReadFileNames();
}

void TPlFileListBox::SetShowLongNames(bool v) {
    m_showLongNames = v;
    ReadFileNames();
}

QString TPlFileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    return item ? QDir(m_directory).filePath(item->text()) : QString();
}

QString TPlFileListBox::LongFileName() const { return services::LongPathName(FileName()); }
QString TPlFileListBox::ShortFileName() const { return services::ShortPathName(FileName()); }

void TPlFileListBox::SetFileName(const QString& given) {
    if (given.isEmpty() || given == FileName()) return;
    const QString path = QDir(QDir::currentPath()).absoluteFilePath(given);
    const QString folder = QFileInfo(path).path();
    const QString name = QFileInfo(path).fileName();
    if (m_dirList) m_dirList->SetDirectory(folder);
    else if (m_tree) m_tree->SetDirectory(folder);
    SetDirectory(folder);
    if (name.contains(u'*') || name.contains(u'?')) {
        SetMask(name);
        return;
    }
    if (name.isEmpty()) return;
    auto select = [this, &name] {
        const auto found = findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty()) return false;
        setCurrentItem(found.first());
        return true;
    };
    if (select()) return;
    if (!QFileInfo::exists(path)) throw EInOutError(42500, given);
    SetMask(name);
    select();
}

void TPlFileListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    TPlFramed<QListWidget>::mouseDoubleClickEvent(e);
    ui::RunGuarded(this, [this] {
        QListWidgetItem* item = currentItem();
        if (!item) return;
        const QString path = QDir(m_directory).filePath(item->text());
        if (QFileInfo(path).isDir()) {
            if (m_dirList) m_dirList->SetDirectory(path);
            else if (m_tree) m_tree->SetDirectory(path);
            SetDirectory(path);
        } else if (m_allowOpen && !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            ui::Message(QStringLiteral("Could not open file."), ui::MessageKind::Information, ui::Button::Ok);
        }
    });
}
