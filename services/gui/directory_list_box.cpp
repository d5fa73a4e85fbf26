#include "services/gui/directory_list_box.h"

#include "services/long_names.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

// ---------------------------------------------------------------------------------------
// TPlDirectoryListBox

TPlDirectoryListBox::TPlDirectoryListBox(QWidget* parent) : TPlFramed<QListWidget>(parent) {
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    auto* delegate = new TPlFileItemDelegate(this);
    delegate->minimumHeight = 18;
    setItemDelegate(delegate);
    SetDirectory(QDir::currentPath());
}

QString TPlDirectoryListBox::NearestExistingFolder(const QString& given) {
    QString path = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(given));
    while (!QFileInfo(path).isDir()) {
        const int slash = path.lastIndexOf(u'/');
        if (slash <= 0) return QStringLiteral("/");
        path.truncate(slash);
    }
    return path;
}

void TPlDirectoryListBox::SetDirectory(const QString& path) {
    const QString folder = NearestExistingFolder(path);
    const bool changed = folder != m_directory;
    m_directory = folder;
    build();
    updateDirLabel();
    if (m_fileList) m_fileList->SetDirectory(m_directory);
    if (m_driveCombo) m_driveCombo->SetDrive(m_directory);
    if (changed) emit DirectoryChanged(m_directory);
}

QString TPlDirectoryListBox::Drive() const {
    const std::vector<shell::Volume> volumes = shell::MountedVolumes();
    const shell::Volume* v = shell::VolumeOf(volumes, m_directory);
    return v ? v->rootPath : QStringLiteral("/");
}

void TPlDirectoryListBox::SetShowLongNames(bool v) {
    m_showLongNames = v;
    build();
    updateDirLabel();
}

void TPlDirectoryListBox::build() {
    const QStyle* st = style();
    const QIcon open = st->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon current = st->standardIcon(QStyle::SP_DirIcon);
    const QIcon closed = st->standardIcon(QStyle::SP_DirClosedIcon);
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    clear();
    auto add = [this](const QIcon& icon, const QString& text, const QString& path, TEntryKind kind, int pictureLeft) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kKindRole, kind);
        item->setData(TPlFileItemDelegate::kTextLeftRole, pictureLeft + 16 + 4);
    };
    const QStringList parts = m_directory.split(u'/', Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    add(parts.isEmpty() ? current : open, QStringLiteral("/"), path, parts.isEmpty() ? ekCurrent : ekOpen, 2);
    for (int i = 0; i < parts.size(); ++i) {
        path = path == QStringLiteral("/") ? path + parts[i] : path + u'/' + parts[i];
        const bool last = i == parts.size() - 1;
        const QString text = m_showLongNames ? QFileInfo(services::LongPathName(path)).fileName() : parts[i];
        add(last ? current : open, text, path, last ? ekCurrent : ekOpen, 2 + 4 * (i + 1));
    }
    setCurrentRow(count() - 1);
    QStringList subs = QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::CaseSensitive);
    std::sort(subs.begin(), subs.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    const int depth = std::max<int>(1, static_cast<int>(m_directory.count(u'/')));
    for (const QString& name : subs) add(closed, name, QDir(m_directory).filePath(name), ekClosed, 6 + 4 * depth);
    setUpdatesEnabled(true);
}

void TPlDirectoryListBox::updateDirLabel() {
    if (!m_dirLabel) return;
    const QString shown = m_showLongNames ? services::LongPathName(m_directory) : m_directory;
    const int width = m_dirLabel->width() > 10 ? m_dirLabel->width() : this->width();
    m_dirLabel->setText(m_dirLabel->fontMetrics().elidedText(shown, Qt::ElideMiddle, width));
}

void TPlDirectoryListBox::SetFileList(TPlFileListBox* list) {
    if (m_fileList && m_fileList != list) m_fileList->SetDirList(nullptr);
    m_fileList = list;
    if (!list) return;
    list->SetDirList(this);
    list->SetDirectory(m_directory);
}

void TPlDirectoryListBox::SetDirLabel(QLabel* label) {
    m_dirLabel = label;
    updateDirLabel();
}

void TPlDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    TPlFramed<QListWidget>::mouseDoubleClickEvent(e);
    if (const QListWidgetItem* item = currentItem()) SetDirectory(item->data(kPathRole).toString());
}

void TPlDirectoryListBox::resizeEvent(QResizeEvent* e) {
    TPlFramed<QListWidget>::resizeEvent(e);
    updateDirLabel();
}

// ---------------------------------------------------------------------------------------
// TPlDriveComboBox

TPlDriveComboBox::TPlDriveComboBox(QWidget* parent) : QComboBox(parent) {
    m_driveTypes = TDriveTypes(TDriveType::dtFloppy) | TDriveType::dtFixed | TDriveType::dtNetwork | TDriveType::dtCDROM
                   | TDriveType::dtRAM;
    m_frameColor = palette().color(QPalette::Dark);
    setMouseTracking(true);
    setIconSize(QSize(16, 16));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (m_filling) return;
        if (m_dirList) m_dirList->SetDirectory(Drive());
        emit DriveChanged(Drive());
    });
    BuildList();
}

TDriveType TPlDriveComboBox::DriveTypeOf(const shell::Volume& v) {
    if (v.network) return TDriveType::dtNetwork;
    if (v.fileSystemType == QStringLiteral("iso9660") || v.fileSystemType == QStringLiteral("udf")) return TDriveType::dtCDROM;
    if (v.removable) return TDriveType::dtFloppy;
    if (v.fileSystemType == QStringLiteral("tmpfs") || v.fileSystemType == QStringLiteral("ramfs")) return TDriveType::dtRAM;
    return TDriveType::dtFixed;
}

QString TPlDriveComboBox::DriveText(const shell::Volume& v) {
    switch (DriveTypeOf(v)) {
    case TDriveType::dtFloppy:
        return v.rootPath;
    case TDriveType::dtNetwork:
        return QStringLiteral("%1: %2").arg(v.rootPath, v.source.isEmpty() ? v.label : v.source);
    default: {
        QString label = v.label.toLower();
        if (!label.isEmpty()) label[0] = label[0].toUpper();
        return QStringLiteral("%1: %2").arg(v.rootPath, label);
    }
    }
}

void TPlDriveComboBox::BuildList() {
    const QString was = Drive();
    m_filling = true;
    clear();
    const QStyle* st = style();
    for (const shell::Volume& v : shell::MountedVolumes()) {
        const TDriveType type = DriveTypeOf(v);
        if (!(m_driveTypes & type) || !QFileInfo(v.rootPath).isDir()) continue;
        QStyle::StandardPixmap picture = QStyle::SP_DriveHDIcon;
        if (type == TDriveType::dtFloppy) picture = QStyle::SP_DriveFDIcon;
        else if (type == TDriveType::dtCDROM) picture = QStyle::SP_DriveCDIcon;
        else if (type == TDriveType::dtNetwork) picture = QStyle::SP_DriveNetIcon;
        else if (type == TDriveType::dtRAM) picture = QStyle::SP_ComputerIcon;
        addItem(st->standardIcon(picture), DriveText(v));
        setItemData(count() - 1, v.rootPath, kRootRole);
        setItemData(count() - 1, static_cast<int>(type), kTypeRole);
    }
    const int index = findData(was, kRootRole);
    setCurrentIndex(index >= 0 ? index : (count() > 0 ? 0 : -1));
    m_filling = false;
}

void TPlDriveComboBox::SetDriveTypes(TDriveTypes types) {
    m_driveTypes = types;
    BuildList();
}

QString TPlDriveComboBox::Drive() const { return currentIndex() >= 0 ? currentData(kRootRole).toString() : QString(); }

void TPlDriveComboBox::SetDrive(const QString& path) {
    std::vector<shell::Volume> shown;
    for (int i = 0; i < count(); ++i) {
        shell::Volume v;
        v.rootPath = itemData(i, kRootRole).toString();
        shown.push_back(v);
    }
    const shell::Volume* holder = shell::VolumeOf(shown, path);
    if (!holder) return;
    const int index = findData(holder->rootPath, kRootRole);
    if (index == currentIndex()) return;
    m_filling = true;
    setCurrentIndex(index);
    m_filling = false;
    emit DriveChanged(Drive());
}

void TPlDriveComboBox::SetDirList(TPlDirectoryListBox* list) {
    m_dirList = list;
    if (!list) return;
    list->SetDriveCombo(this);
    SetDrive(list->Directory());
}

void TPlDriveComboBox::SetFrameFlat(bool v) {
    m_frameFlat = v;
    if (v) {
        m_frameVisible = true;
        m_frameSides = kAllSides;
    }
    updateFrameStyle();
}

void TPlDriveComboBox::SetColor(const QColor& c) {
    QPalette p = palette();
    p.setColor(QPalette::Base, c);
    setPalette(p);
    update();
}

void TPlDriveComboBox::updateFrameStyle() {
    if (m_frameFlat) m_frameStyle = (hasFocus() || m_mouseInControl) ? m_frameFocusStyle : m_frameFlatStyle;
    if (m_frameFlat) update();
    else if (m_flatButtons) update(ButtonRect());
}

QRect TPlDriveComboBox::ButtonRect() const {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    return QRect(QPoint(width() - 2 - w, 2), QPoint(width() - 3, height() - 3));
}

bool TPlDriveComboBox::event(QEvent* e) {
    const bool handled = QComboBox::event(e);
    switch (e->type()) {
    case QEvent::Enter:
        m_mouseInControl = true;
        updateFrameStyle();
        break;
    case QEvent::Leave:
        m_mouseInControl = false;
        updateFrameStyle();
        break;
    case QEvent::FocusIn:
        updateFrameStyle();
        break;
    case QEvent::FocusOut:
        m_mouseInControl = false;
        updateFrameStyle();
        break;
    case QEvent::Resize:
        if (m_frameVisible) update();
        break;
    case QEvent::FontChange:
        BuildList();
        break;
    default:
        break;
    }
    return handled;
}

void TPlDriveComboBox::paintEvent(QPaintEvent* e) {
    QComboBox::paintEvent(e);
    if (!m_frameVisible) return;
    QPainter p(this);
    const QRect all(0, 0, width(), height());
    DrawBevel(p, all, Color(), kAllSides, 2, Color());
    if (m_flatButtons && !hasFocus() && !m_mouseInControl) {
        const QRect button = ButtonRect();
        p.fillRect(button, Color());
        const int cx = button.left() + button.width() / 2, cy = button.top() + button.height() / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        const QPointF triangle[3] = {QPointF(cx - 5, cy - 2), QPointF(cx + 5, cy - 2), QPointF(cx, cy + 3)};
        p.drawPolygon(triangle, 3);
    }
    if (m_frameStyle == TFrameStyle::fsFlat) DrawSides(p, all, m_frameColor, m_frameSides, m_frameColor);
    else DrawBorder(p, all, m_frameStyle, m_frameSides, FrameColors::FromPalette(palette()));
}
