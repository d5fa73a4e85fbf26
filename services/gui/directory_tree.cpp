#include "services/gui/directory_tree.h"

#include "services/errors.h"
#include "services/gui/file_list_box.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

constexpr int kFrameMargin = 2;
const QString kPlaceholder = QStringLiteral(":");

QString WithSlash(const QString& path) { return path.endsWith(u'/') ? path : path + u'/'; }

QString WithoutSlash(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/')) p.chop(1);
    return p;
}

TDriveType TypeOf(const shell::Volume& v) {
    if (v.network) return TDriveType::dtNetwork;
    if (v.fileSystemType == QStringLiteral("iso9660") || v.fileSystemType == QStringLiteral("udf"))
        return TDriveType::dtCDROM;  // a CD is removable too: its file system names it first
    if (v.removable) return TDriveType::dtFloppy;
    if (v.fileSystemType == QStringLiteral("tmpfs")) return TDriveType::dtRAM;
    return TDriveType::dtFixed;
}

QFileIconProvider& Icons() {
    static QFileIconProvider provider;
    return provider;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TPlCustomTreeView

TPlCustomTreeView::TPlCustomTreeView(QWidget* parent) : QTreeWidget(parent) {
    m_frameColor = palette().color(QPalette::Dark);
    m_selectionPen = QPen(palette().color(QPalette::Dark), 1, Qt::SolidLine);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void TPlCustomTreeView::SetFrameVisible(bool v) {
    if (m_frameVisible == v) return;
    m_frameVisible = v;
    setFrameShape(v ? QFrame::NoFrame : QFrame::StyledPanel);
    setViewportMargins(v ? kFrameMargin : 0, v ? kFrameMargin : 0, v ? kFrameMargin : 0, v ? kFrameMargin : 0);
    RedrawFrame();
}

void TPlCustomTreeView::SetFrameStyle(TFrameStyle v) {
    m_frameStyle = v;
    RedrawFrame();
}

void TPlCustomTreeView::SetFrameColor(const QColor& v) {
    m_frameColor = v;
    RedrawFrame();
}

void TPlCustomTreeView::SetFrameSides(TSides v) {
    m_frameSides = v;
    RedrawFrame();
}

void TPlCustomTreeView::SetFrameFlat(bool v) {
    m_frameFlat = v;
    if (v) {
        SetFrameVisible(true);
        m_frameSides = kAllSides;
        m_frameStyle = m_frameFlatStyle;
    }
    UpdateFrameStyle();
}

void TPlCustomTreeView::SetFrameFlatStyle(TFrameStyle v) {
    m_frameFlatStyle = v;
    UpdateFrameStyle();
}

void TPlCustomTreeView::SetFrameFocusStyle(TFrameStyle v) {
    m_frameFocusStyle = v;
    UpdateFrameStyle();
}

void TPlCustomTreeView::SetSelectionPen(const QPen& pen) {
    m_selectionPen = pen;
    viewport()->update();
}

void TPlCustomTreeView::SetReadOnly(bool v) {
    m_readOnly = v;
    setEditTriggers(v ? QAbstractItemView::NoEditTriggers : QAbstractItemView::EditKeyPressed);
}

void TPlCustomTreeView::UpdateFrameStyle() {
    if (m_frameFlat) m_frameStyle = (hasFocus() || m_mouseInControl) ? m_frameFocusStyle : m_frameFlatStyle;
    RedrawFrame();
}

void TPlCustomTreeView::RedrawFrame() { update(); }

bool TPlCustomTreeView::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::Paint:
        if (m_frameVisible) {
            QPainter p(this);
            DrawFrame(p, width(), height(), m_frameSides, m_frameColor, palette().color(QPalette::Base), m_frameStyle,
                      FrameColors::FromPalette(palette()));
            return true;
        }
        break;
    case QEvent::Enter:
        m_mouseInControl = true;
        UpdateFrameStyle();
        if (OnMouseEnter) OnMouseEnter(this);
        break;
    case QEvent::Leave:
        m_mouseInControl = false;
        UpdateFrameStyle();
        if (OnMouseLeave) OnMouseLeave(this);
        break;
    default:
        break;
    }
    return QTreeWidget::event(e);
}

void TPlCustomTreeView::focusInEvent(QFocusEvent* e) {
    // The item views make their first item current on focus; a tree opened without a
    // selection keeps none until the user picks one.
    const bool hadCurrent = currentItem() != nullptr;
    QTreeWidget::focusInEvent(e);
    if (!hadCurrent && currentItem()) {
        const QSignalBlocker blocker(this);
        setCurrentItem(nullptr);
    }
    UpdateFrameStyle();
}

void TPlCustomTreeView::focusOutEvent(QFocusEvent* e) {
    QTreeWidget::focusOutEvent(e);
    UpdateFrameStyle();
}

void TPlCustomTreeView::paintEvent(QPaintEvent* e) {
    QTreeWidget::paintEvent(e);
    QTreeWidgetItem* item = currentItem();
    if (hasFocus() || !item) return;
    const QRect r = visualItemRect(item);
    if (!r.isValid()) return;
    QPainter p(viewport());
    p.setPen(m_selectionPen);
    p.setBrush(Qt::NoBrush);
    const int textWidth = fontMetrics().horizontalAdvance(item->text(0)) + 6;
    const int iconWidth = item->icon(0).isNull() ? 0 : iconSize().width() + 4;
    p.drawRect(QRect(r.left() + iconWidth, r.top(), std::min(textWidth, r.width() - iconWidth) - 1, r.height() - 1));
}

void TPlCustomTreeView::wheelEvent(QWheelEvent* e) {
    const int steps = e->angleDelta().y() / 120;
    if (steps == 0) return QTreeWidget::wheelEvent(e);
    QScrollBar* bar = verticalScrollBar();
    const int lines = QApplication::wheelScrollLines() * std::abs(steps);
    if (steps < 0) bar->setValue(bar->value() + lines);
    else bar->setValue(std::max(0, bar->value() - lines));
    e->accept();
}

// ---------------------------------------------------------------------------------------
// TPlDirectoryTree

TPlDirectoryTree::TPlDirectoryTree(QWidget* parent) : TPlCustomTreeView(parent) {
    m_driveTypes = TDriveTypes(TDriveType::dtUnknown) | TDriveType::dtFloppy | TDriveType::dtFixed | TDriveType::dtNetwork
                   | TDriveType::dtCDROM | TDriveType::dtRAM;
    setHeaderHidden(true);
    setColumnCount(1);
    resize(250, 150);
    SetReadOnly(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    InitImages();
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { nodeExpanding(node); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { selectionChanged(); });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) { editEnded(item, column); });
    BuildDriveNodes();
    m_volumeTimer.setInterval(2000);
    connect(&m_volumeTimer, &QTimer::timeout, this, [this] { UpdateDriveNodes(); });
    m_volumeTimer.start();
}

TPlDirectoryTree::~TPlDirectoryTree() { m_rebuilding = true; }

void TPlDirectoryTree::InitImages() { setIconSize(QSize(16, 16)); }

TPlDirectoryTree::TFolderInfo TPlDirectoryTree::FolderInfo(const QTreeWidgetItem* node) {
    TFolderInfo info;
    if (!node) return info;
    info.FullPath = node->data(0, kFullPathRole).toString();
    info.ChildrenRead = node->data(0, kChildrenReadRole).toBool();
    return info;
}

QString TPlDirectoryTree::DriveDisplayName(const shell::Volume& v) {
    if (v.label.isEmpty()) return v.rootPath;
    return QStringLiteral("%1 (%2)").arg(v.label, v.rootPath);
}

std::vector<shell::Volume> TPlDirectoryTree::GetValidDrives() const {
    std::vector<shell::Volume> out;
    for (const shell::Volume& v : shell::MountedVolumes())
        if (m_driveTypes & TypeOf(v)) out.push_back(v);
    return out;
}

QTreeWidgetItem* TPlDirectoryTree::attachRoot(const shell::Volume& v, int index) {
    auto* node = new QTreeWidgetItem;
    node->setText(0, DriveDisplayName(v));
    node->setData(0, kFullPathRole, WithSlash(v.rootPath));
    node->setData(0, kChildrenReadRole, false);
    node->setIcon(0, Icons().icon(v.network ? QFileIconProvider::Network : QFileIconProvider::Drive));
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    insertTopLevelItem(index, node);
    if (v.removable || v.network) new QTreeWidgetItem(node, QStringList{kPlaceholder});  // not touched until opened
    else probeNode(node);
    return node;
}

QTreeWidgetItem* TPlDirectoryTree::attachChild(QTreeWidgetItem* parent, const QString& name, const QString& path) {
    static const QIcon folderIcon = Icons().icon(QFileIconProvider::Folder);
    auto* node = parent ? new QTreeWidgetItem(parent, QStringList{name}) : new QTreeWidgetItem(QStringList{name});
    node->setData(0, kFullPathRole, path);
    node->setData(0, kChildrenReadRole, false);
    node->setIcon(0, folderIcon);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    return node;
}

void TPlDirectoryTree::ClearNodes() { clear(); }

void TPlDirectoryTree::BuildDriveNodes() {
    m_rebuilding = true;
    ui::HourglassCursor hourglass;
    setUpdatesEnabled(false);
    ClearNodes();
    m_volumes = GetValidDrives();
    for (std::size_t i = 0; i < m_volumes.size(); ++i) attachRoot(m_volumes[i], static_cast<int>(i));
    setUpdatesEnabled(true);
    if (currentItem()) scrollToItem(currentItem());
    m_rebuilding = false;
}

namespace {

bool IsFolderEntry(const QByteArray& folder, const dirent* e) {
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) return false;
    struct stat st;
    const QByteArray full = folder + '/' + e->d_name;
    return ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsShownName(const char* n, bool showHidden) {
    if (n[0] != '.') return true;
    if (n[1] == 0 || (n[1] == '.' && n[2] == 0)) return false;
    return showHidden;
}

/// Whether `folder` holds a sub-folder: read only up to the first one.
bool HasSubFolder(const QByteArray& folder, bool showHidden) {
    DIR* dir = opendir(folder.constData());
    if (!dir) return false;
    bool found = false;
    while (const dirent* e = readdir(dir))
        if (IsShownName(e->d_name, showHidden) && IsFolderEntry(folder, e)) {
            found = true;
            break;
        }
    closedir(dir);
    return found;
}

}  // namespace

QStringList TPlDirectoryTree::subFolders(const QString& path, bool firstOnly) const {
    // readdir with the entry types the file system gives (no stat unless it gives none or
    // the entry is a link), as the tree reads thousands of folders when one is opened.
    QStringList names;
    const QByteArray native = QFile::encodeName(path);
    DIR* dir = opendir(native.constData());
    if (!dir) return names;
    while (const dirent* e = readdir(dir)) {
        const char* n = e->d_name;
        if (!IsShownName(n, m_showHiddenDirs) || !IsFolderEntry(native, e)) continue;
        names << QFile::decodeName(n);
        if (firstOnly) break;
    }
    closedir(dir);
    return names;
}

void TPlDirectoryTree::probeNode(QTreeWidgetItem* node) {
    if (node->data(0, kChildrenReadRole).toBool() || node->childCount() > 0) return;
    if (HasSubFolder(QFile::encodeName(node->data(0, kFullPathRole).toString()), m_showHiddenDirs))
        new QTreeWidgetItem(node, QStringList{kPlaceholder});
}

void TPlDirectoryTree::readChildren(QTreeWidgetItem* node) {
    if (node->data(0, kChildrenReadRole).toBool()) return;
    const bool wasRenaming = m_renaming;
    m_renaming = true;  // item changes below are not edits
    qDeleteAll(node->takeChildren());
    node->setData(0, kChildrenReadRole, true);
    const QString path = node->data(0, kFullPathRole).toString();
    QStringList names = subFolders(path, false);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    // The nodes are made and probed for an expander apart from the tree, then added at once.
    QList<QTreeWidgetItem*> children;
    children.reserve(names.size());
    for (const QString& name : names) {
        QTreeWidgetItem* child = attachChild(nullptr, name, path + name + u'/');
        probeNode(child);
        children << child;
    }
    node->addChildren(children);
    m_renaming = wasRenaming;
}

void TPlDirectoryTree::ResetNode(QTreeWidgetItem* node) {
    const bool wasRenaming = m_renaming;
    m_renaming = true;
    qDeleteAll(node->takeChildren());
    node->setData(0, kChildrenReadRole, false);
    probeNode(node);
    m_renaming = wasRenaming;
}

void TPlDirectoryTree::nodeExpanding(QTreeWidgetItem* node) {
    if (node->data(0, kChildrenReadRole).toBool()) return;
    ui::HourglassCursor hourglass;
    readChildren(node);
}

QString TPlDirectoryTree::GetDirectory() const {
    const QTreeWidgetItem* node = currentItem();
    return node ? WithoutSlash(node->data(0, kFullPathRole).toString()) : QString();
}

QString TPlDirectoryTree::GetDrive() const {
    const QTreeWidgetItem* node = currentItem();
    while (node && node->parent()) node = node->parent();
    return node ? WithoutSlash(node->data(0, kFullPathRole).toString()) : QString();
}

void TPlDirectoryTree::SetDirectoryImpl(const QString& given) {
    if (given.trimmed().isEmpty()) return;
    QString path = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(given.trimmed()));
    if (path == Directory()) return;
    // The deepest existing folder on the way (paths are looked up as given).
    QString existing = path;
    while (!QFileInfo(existing).isDir()) {
        if (existing == QStringLiteral("/")) throw EInOutError(42501, given);
        existing = QFileInfo(existing).path();
    }
    path = WithSlash(existing);
    // No shown volume holds any part of it: nothing of the path exists in the tree.
    const shell::Volume* volume = shell::VolumeOf(m_volumes, WithoutSlash(path));
    if (!volume) throw EInOutError(42501, given);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->data(0, kFullPathRole).toString() == WithSlash(volume->rootPath)) node = topLevelItem(i);
    if (!node) return;
    ui::HourglassCursor hourglass;
    setUpdatesEnabled(false);
    const QString rest = path.mid(WithSlash(volume->rootPath).size());
    for (const QString& part : rest.split(u'/', Qt::SkipEmptyParts)) {
        readChildren(node);
        QTreeWidgetItem* next = nullptr;
        const QString wanted = node->data(0, kFullPathRole).toString() + part + u'/';
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->data(0, kFullPathRole).toString() == wanted) next = node->child(i);
        if (!next) {
            node = nullptr;
            break;
        }
        node = next;
    }
    if (node) {
        readChildren(node);
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
        setCurrentItem(node);
        scrollToItem(node);
    }
    setUpdatesEnabled(true);
}

void TPlDirectoryTree::selectionChanged() {
    if (m_rebuilding) return;
    // Another medium in a volume's place: its root is read again.
    const QString drive = Drive();
    const shell::Volume* now = nullptr;
    const std::vector<shell::Volume> volumes = GetValidDrives();
    for (const shell::Volume& v : volumes)
        if (v.rootPath == drive) now = &v;
    for (shell::Volume& known : m_volumes) {
        if (!now || known.rootPath != now->rootPath || known.identity == now->identity) continue;
        known = *now;
        for (int i = 0; i < topLevelItemCount(); ++i) {
            QTreeWidgetItem* root = topLevelItem(i);
            if (root->data(0, kFullPathRole).toString() != WithSlash(known.rootPath)) continue;
            m_rebuilding = true;
            root->setText(0, DriveDisplayName(known));
            setCurrentItem(root);
            ResetNode(root);
            m_rebuilding = false;
        }
    }
    if (drive != m_lastDrive) {
        m_lastDrive = drive;
        if (OnDriveChange) OnDriveChange(this);
    }
    if (m_fileList && !Directory().isEmpty()) m_fileList->SetDirectory(Directory());
    UpdateDirLabel();
}

void TPlDirectoryTree::UpdateDriveNodes() {
    const std::vector<shell::Volume> now = GetValidDrives();
    m_rebuilding = true;
    setUpdatesEnabled(false);
    // Roots of volumes that went.
    for (int i = topLevelItemCount() - 1; i >= 0; --i) {
        const QString root = WithoutSlash(topLevelItem(i)->data(0, kFullPathRole).toString());
        const bool kept = std::any_of(now.begin(), now.end(), [&](const shell::Volume& v) { return v.rootPath == root; });
        if (!kept) delete takeTopLevelItem(i);
    }
    // Roots of volumes that came, each before the first root that sorts after it.
    for (const shell::Volume& v : now) {
        bool known = false;
        int insertAt = topLevelItemCount();
        for (int i = topLevelItemCount() - 1; i >= 0; --i) {
            const QString root = WithoutSlash(topLevelItem(i)->data(0, kFullPathRole).toString());
            if (root == v.rootPath) known = true;
            if (root != QStringLiteral("/") && root > v.rootPath) insertAt = i;
        }
        if (!known) attachRoot(v, insertAt);
    }
    m_volumes = now;
    setUpdatesEnabled(true);
    m_rebuilding = false;
    selectionChanged();
}

void TPlDirectoryTree::SetDriveTypes(TDriveTypes types) {
    m_driveTypes = types;
    UpdateDriveNodes();
}

void TPlDirectoryTree::SetShowHiddenDirs(bool v) {
    if (m_showHiddenDirs == v) return;
    m_showHiddenDirs = v;
    RefreshTree();
}

void TPlDirectoryTree::RefreshTree() {
    const QString directory = Directory();
    BuildDriveNodes();
    if (!directory.isEmpty()) SetDirectory(directory);
}

void TPlDirectoryTree::SetFileList(TPlFileListBox* list) {
    if (m_fileList && m_fileList != list) m_fileList->SetDirTree(nullptr);
    m_fileList = list;
    if (!list) return;
    list->SetDirTree(this);
    if (!Directory().isEmpty()) list->SetDirectory(Directory());
}

void TPlDirectoryTree::SetDirLabel(QLabel* label) {
    m_dirLabel = label;
    UpdateDirLabel();
}

void TPlDirectoryTree::UpdateDirLabel() {
    if (!m_dirLabel) return;
    const int width = m_dirLabel->width() > 10 ? m_dirLabel->width() : this->width();
    m_dirLabel->setText(m_dirLabel->fontMetrics().elidedText(Directory(), Qt::ElideMiddle, width));
}

void TPlDirectoryTree::resizeEvent(QResizeEvent* e) {
    TPlCustomTreeView::resizeEvent(e);
    UpdateDirLabel();
}

void TPlDirectoryTree::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F2) {
        QTreeWidgetItem* node = currentItem();
        if (!ReadOnly() && node && node->parent()) editItem(node, 0);
        e->accept();
        return;
    }
    TPlCustomTreeView::keyPressEvent(e);
}

void TPlDirectoryTree::editEnded(QTreeWidgetItem* item, int column) {
    if (m_renaming || column != 0 || !item->parent()) return;
    const QString oldPath = WithoutSlash(item->data(0, kFullPathRole).toString());
    const QString oldName = QFileInfo(oldPath).fileName();
    const QString name = item->text(0);
    if (name == oldName) return;
    const QString parentPath = item->parent()->data(0, kFullPathRole).toString();
    const QString newPath = parentPath + name;
    const bool valid = !name.isEmpty() && !name.contains(u'/') && name != u'.' && name != QStringLiteral("..")
                       && !QFileInfo::exists(newPath) && !QFileInfo(newPath).isSymLink();
    m_renaming = true;
    if (!valid || !QDir().rename(oldPath, newPath)) {
        item->setText(0, oldName);
        m_renaming = false;
        ui::Message(QStringLiteral("A directory name cannot contain any of the following characters:\n\\ / : * ? \" < > |"),
                    ui::MessageKind::Error, ui::Button::Ok);
        return;
    }
    item->setData(0, kFullPathRole, newPath + u'/');
    ResetNode(item);
    if (item->isExpanded()) nodeExpanding(item);
    m_renaming = false;
    selectionChanged();
}
