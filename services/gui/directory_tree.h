#pragma once

#include "services/gui/file_list_box.h"
#include "services/gui/frame_drawing.h"

#include "platform/shell/volumes.h"

#include <QColor>
#include <QFlags>
#include <QLabel>
#include <QPen>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <vector>

/// A tree view that draws its own border (the frame properties) and a rectangle in
/// `SelectionPen` around the selected item while it is not focused.
///
/// The frame: with `FrameVisible` the control keeps a two-pixel margin and draws
/// `DrawFrame` there in `FrameStyle`; with `FrameFlat` the style follows focus and hover
/// (`FrameFocusStyle` while focused or hovered, `FrameFlatStyle` otherwise).
class TPlCustomTreeView : public QTreeWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TPlCustomTreeView(QWidget* parent = nullptr);

    bool FrameVisible() const { return m_frameVisible; }
    void SetFrameVisible(bool v);
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void SetFrameStyle(TFrameStyle v);
    QColor FrameColor() const { return m_frameColor; }
    void SetFrameColor(const QColor& v);
    TSides FrameSides() const { return m_frameSides; }
    void SetFrameSides(TSides v);
    bool FrameFlat() const { return m_frameFlat; }
    void SetFrameFlat(bool v);
    TFrameStyle FrameFlatStyle() const { return m_frameFlatStyle; }
    void SetFrameFlatStyle(TFrameStyle v);
    TFrameStyle FrameFocusStyle() const { return m_frameFocusStyle; }
    void SetFrameFocusStyle(TFrameStyle v);
    bool UseFrameController() const { return m_useFrameController; }
    void SetUseFrameController(bool v) { m_useFrameController = v; }
    const QPen& SelectionPen() const { return m_selectionPen; }
    void SetSelectionPen(const QPen& pen);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool v);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void UpdateFrameStyle();
    virtual void RedrawFrame();
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    bool m_frameVisible = false;
    TFrameStyle m_frameStyle = TFrameStyle::fsFlat;
    QColor m_frameColor;
    TSides m_frameSides = kAllSides;
    bool m_frameFlat = false;
    TFrameStyle m_frameFlatStyle = TFrameStyle::fsStatus;
    TFrameStyle m_frameFocusStyle = TFrameStyle::fsLowered;
    bool m_useFrameController = true;
    QPen m_selectionPen;
    bool m_readOnly = true;
    bool m_mouseInControl = false;
};

enum class TDriveType { dtUnknown = 0x1, dtNoDrive = 0x2, dtFloppy = 0x4, dtFixed = 0x8, dtNetwork = 0x10, dtCDROM = 0x20,
                        dtRAM = 0x40 };
Q_DECLARE_FLAGS(TDriveTypes, TDriveType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDriveTypes)

/// The machine's volumes as root nodes (the stand-in for drives: "/" and every mounted real
/// file system, each shown with its label and mount point) and their folders below, read
/// from disk only as far as they are opened. A node whose folder has sub-folders gets one
/// placeholder child (text ":") until it is opened; opening reads its sub-folders once
/// (sorted without regard to case) and probes each for sub-folders of its own.
///
/// Each node keeps its folder's path with a trailing "/" (role kFullPathRole) and whether
/// its children were read (kChildrenReadRole). `Directory` is the selected node's path
/// without the trailing "/" ("/" for the root).
class TPlDirectoryTree : public TPlCustomTreeView {
    Q_OBJECT
public:
    static constexpr int kFullPathRole = Qt::UserRole + 1;
    static constexpr int kChildrenReadRole = Qt::UserRole + 2;

    explicit TPlDirectoryTree(QWidget* parent = nullptr);
    ~TPlDirectoryTree() override;

    /// What a node keeps: its folder's path with a trailing "/" and whether its sub-folders
    /// were read.
    struct TFolderInfo {
        QString FullPath;
        bool ChildrenRead = false;
    };
    static TFolderInfo FolderInfo(const QTreeWidgetItem* node);
    /// A root's text: the volume's label and mount point ("HOLIDAYS (/media/usb)"), or the
    /// mount point alone.
    static QString DriveDisplayName(const shell::Volume& volume);

    /// The selected folder, without a trailing "/" (the root stays "/"); empty without one.
    QString Directory() const { return GetDirectory(); }
    /// Selects `path`, or its deepest existing ancestor; raises EInOutError 42501 when no
    /// part of it exists. Paths are looked up as given (file names are case-sensitive).
    void SetDirectory(const QString& path) { SetDirectoryImpl(path); }
    /// The mount point of the volume that holds the selected folder; empty without one.
    QString Drive() const { return GetDrive(); }

    /// The file list that follows the current directory (and is told about this tree).
    TPlFileListBox* FileList() const { return m_fileList; }
    void SetFileList(TPlFileListBox* list);
    QLabel* DirLabel() const { return m_dirLabel; }
    void SetDirLabel(QLabel* label);
    TDriveTypes DriveTypes() const { return m_driveTypes; }
    void SetDriveTypes(TDriveTypes types);
    bool ShowHiddenDirs() const { return m_showHiddenDirs; }
    void SetShowHiddenDirs(bool v);

    TNotifyEvent OnDriveChange;

    /// Builds the root nodes again and selects the directory again.
    void RefreshTree();
    /// Adds the roots of volumes that appeared (each in its sorted place) and removes those of
    /// volumes that went, leaving every other node as it is. Runs every two seconds.
    void UpdateDriveNodes();

protected:
    virtual void InitImages();
    virtual void BuildDriveNodes();
    virtual void ClearNodes();
    virtual void ResetNode(QTreeWidgetItem* node);
    virtual QString GetDirectory() const;
    virtual void SetDirectoryImpl(const QString& path);
    virtual QString GetDrive() const;
    virtual std::vector<shell::Volume> GetValidDrives() const;
    virtual void UpdateDirLabel();
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QTreeWidgetItem* attachRoot(const shell::Volume& volume, int index);
    QTreeWidgetItem* attachChild(QTreeWidgetItem* parent, const QString& name, const QString& path);
    void probeNode(QTreeWidgetItem* node);
    void readChildren(QTreeWidgetItem* node);
    QStringList subFolders(const QString& path, bool firstOnly) const;
    void nodeExpanding(QTreeWidgetItem* node);
    using QTreeWidget::selectionChanged;  // the view's own slot stays visible beside this one
    void selectionChanged();
    void editEnded(QTreeWidgetItem* item, int column);


    QPointer<QLabel> m_dirLabel;
    QPointer<TPlFileListBox> m_fileList;
    TDriveTypes m_driveTypes;
    bool m_showHiddenDirs = false;
    bool m_rebuilding = false;
    bool m_renaming = false;
    QString m_lastDrive;
    std::vector<shell::Volume> m_volumes;
    QTimer m_volumeTimer;
};
