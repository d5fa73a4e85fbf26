#pragma once

#include "services/gui/directory_tree.h"
#include "services/gui/file_list_box.h"
#include "services/gui/framed_control.h"

#include "platform/shell/volumes.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QString>

#include <vector>

class TPlDriveComboBox;

/// The current folder's path as an indented list: the root and every folder down to the
/// current one (open-folder picture, indented by its place in the path), the current folder
/// (current-folder picture) and its sub-folders (closed-folder picture), sorted without
/// regard to case. A double click on an entry makes it the current folder. A `Directory`
/// that no longer exists shows its nearest existing ancestor.
///
/// Each entry keeps its folder's path (kPathRole) and its kind (kKindRole).
class TPlDirectoryListBox : public TPlFramed<QListWidget> {
    Q_OBJECT
public:
    static constexpr int kPathRole = Qt::UserRole + 1;
    static constexpr int kKindRole = Qt::UserRole + 2;
    enum TEntryKind { ekOpen, ekCurrent, ekClosed };

    explicit TPlDirectoryListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return m_directory; }
    /// Shows `path` (made absolute from the program's folder), or the nearest folder above
    /// it that exists; the root when none does. Paths are looked up as given.
    void SetDirectory(const QString& path);
    /// The mount point of the volume that holds the folder.
    QString Drive() const;
    bool ShowLongNames() const { return m_showLongNames; }
    void SetShowLongNames(bool v);

    /// The file list that shows the current folder's files.
    TPlFileListBox* FileList() const { return m_fileList; }
    void SetFileList(TPlFileListBox* list);
    /// The label that shows the current folder, shortened to its width.
    QLabel* DirLabel() const { return m_dirLabel; }
    void SetDirLabel(QLabel* label);
    /// The drive box that follows the folder's volume.
    void SetDriveCombo(TPlDriveComboBox* box) { m_driveCombo = box; }

    /// The folder shown for `path`: the path itself when it exists, else the nearest folder
    /// found by removing one path element at a time; the root when none is found.
    static QString NearestExistingFolder(const QString& path);

signals:
    void DirectoryChanged(const QString& directory);

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void build();
    void updateDirLabel();

    QString m_directory;
    bool m_showLongNames = true;
    QPointer<TPlFileListBox> m_fileList;
    QPointer<QLabel> m_dirLabel;
    QPointer<TPlDriveComboBox> m_driveCombo;
};

/// The mounted volumes (the stand-in for drives) whose type is in `DriveTypes`, each with
/// the picture of its type: a removable medium as its mount point; a fixed disk, a CD and
/// a RAM disk as "<mount point>: <label>" (the label with its first letter upper-cased and
/// the rest lower-cased); a network mount as "<mount point>: <source>" (server:/export), or
/// its label when its source is unknown.
///
/// Each item keeps its volume's mount point (kRootRole) and type (kTypeRole). With
/// `FrameVisible` the box draws two rings in `Color` and its border; with `FlatButtons` the
/// drop-down button is drawn flat while the box is neither focused nor hovered.
class TPlDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kRootRole = Qt::UserRole + 1;
    static constexpr int kTypeRole = Qt::UserRole + 2;

    explicit TPlDriveComboBox(QWidget* parent = nullptr);

    TDriveTypes DriveTypes() const { return m_driveTypes; }
    void SetDriveTypes(TDriveTypes types);
    /// The selected volume's mount point; setting it selects the volume that holds a path.
    QString Drive() const;
    void SetDrive(const QString& path);
    /// The directory list box that shows the selected volume.
    TPlDirectoryListBox* DirList() const { return m_dirList; }
    void SetDirList(TPlDirectoryListBox* list);
    /// Reads the volumes again.
    void BuildList();
    /// An item's text for a volume (see the class comment).
    static QString DriveText(const shell::Volume& volume);
    static TDriveType DriveTypeOf(const shell::Volume& volume);

    bool FlatButtons() const { return m_flatButtons; }
    void SetFlatButtons(bool v) { m_flatButtons = v; update(); }
    bool FrameVisible() const { return m_frameVisible; }
    void SetFrameVisible(bool v) { m_frameVisible = v; update(); }
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void SetFrameStyle(TFrameStyle v) { m_frameStyle = v; update(); }
    QColor FrameColor() const { return m_frameColor; }
    void SetFrameColor(const QColor& v) { m_frameColor = v; update(); }
    TSides FrameSides() const { return m_frameSides; }
    void SetFrameSides(TSides v) { m_frameSides = v; update(); }
    bool FrameFlat() const { return m_frameFlat; }
    void SetFrameFlat(bool v);
    TFrameStyle FrameFlatStyle() const { return m_frameFlatStyle; }
    void SetFrameFlatStyle(TFrameStyle v) { m_frameFlatStyle = v; updateFrameStyle(); }
    TFrameStyle FrameFocusStyle() const { return m_frameFocusStyle; }
    void SetFrameFocusStyle(TFrameStyle v) { m_frameFocusStyle = v; updateFrameStyle(); }
    QColor Color() const { return palette().color(QPalette::Base); }
    void SetColor(const QColor& c);
    /// The drop-down button's area: the scroll bar's width plus 2 at the right, 2 pixels in
    /// from the top, right and bottom.
    QRect ButtonRect() const;

signals:
    void DriveChanged(const QString& drive);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void updateFrameStyle();

    TDriveTypes m_driveTypes;
    QPointer<TPlDirectoryListBox> m_dirList;
    bool m_flatButtons = true;
    bool m_frameVisible = false;
    TFrameStyle m_frameStyle = TFrameStyle::fsFlat;
    QColor m_frameColor;
    TSides m_frameSides = kAllSides;
    bool m_frameFlat = false;
    TFrameStyle m_frameFlatStyle = TFrameStyle::fsStatus;
    TFrameStyle m_frameFocusStyle = TFrameStyle::fsLowered;
    bool m_mouseInControl = false;
    bool m_filling = false;
};
