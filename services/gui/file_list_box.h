#pragma once

#include "services/gui/framed_control.h"

#include <QFlags>
#include <QStyledItemDelegate>
#include <QDateTime>
#include <QIcon>
#include <QListWidget>
#include <QPointer>
#include <QString>

enum class TFileAttr { ftReadOnly = 0x1, ftHidden = 0x2, ftSystem = 0x4, ftVolumeID = 0x8, ftDirectory = 0x10,
                       ftArchive = 0x20, ftNormal = 0x40 };
Q_DECLARE_FLAGS(TFileType, TFileAttr)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileType)

class TPlDirectoryTree;
class TPlDirectoryListBox;

/// What the list keeps about each item.
struct TPlFileInfo {
    QString Name;
    TFileType Attr;  ///< ftReadOnly, ftHidden, ftDirectory, ftArchive (a plain writable file)
    QDateTime Time;
    qint64 Size = 0;
    QIcon Icon;
    bool IsFolder = false;
};

/// Draws the items of the file-system list controls: the rectangle filled, the name 2
/// pixels inside the text rectangle and vertically centred, the picture at its natural
/// size 20 pixels left of the text rectangle (its selected form for the selected item).
/// The text rectangle starts at the item's kTextLeftRole, else at `defaultTextLeft`; an
/// item is the font's height minus 3 high, at least `minimumHeight`.
class TPlFileItemDelegate : public QStyledItemDelegate {
public:
    static constexpr int kTextLeftRole = Qt::UserRole + 20;
    explicit TPlFileItemDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    int defaultTextLeft = 0;
    int minimumHeight = 0;
    bool showPictures = true;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// The files (and, when `FileType` asks for them, the sub-folders) of one folder: folders
/// first, then names without regard to case, each with its icon (files share one icon per
/// extension). A double click enters a folder or, with `AllowOpen`, opens the file. Reading
/// the list never changes the program's current folder.
///
/// Each item keeps its name (text), whether it is a folder (kIsFolderRole), its size and its
/// modification time.
class TPlFileListBox : public TPlFramed<QListWidget> {
    Q_OBJECT
public:
    static constexpr int kIsFolderRole = Qt::UserRole + 1;
    static constexpr int kSizeRole = Qt::UserRole + 2;
    static constexpr int kTimeRole = Qt::UserRole + 3;
    static constexpr int kAttrRole = Qt::UserRole + 4;

    explicit TPlFileListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return m_directory; }
    /// Shows the files of `folder` (made absolute from the program's folder; unchanged when it
    /// is the folder shown).
    void SetDirectory(const QString& folder);
    /// Patterns separated by ";" ("*.*" and "*" match every name).
    const QString& Mask() const { return m_mask; }
    void SetMask(const QString& mask);
    TFileType FileType() const { return m_fileType; }
    void SetFileType(TFileType type);
    bool AllowOpen() const { return m_allowOpen; }
    void SetAllowOpen(bool v) { m_allowOpen = v; }
    bool ShowGlyphs() const { return m_showGlyphs; }
    void SetShowGlyphs(bool v);
    bool ShowLongNames() const { return m_showLongNames; }
    void SetShowLongNames(bool v);
    /// The selected file's full path; empty without a selection.
    QString FileName() const;
    /// FileName in its long and short forms (the same here).
    QString LongFileName() const;
    QString ShortFileName() const;
    /// Sets folder and mask or selection from a path (see the class comment); raises
    /// EInOutError 42500 when it names a file that does not exist.
    void SetFileName(const QString& path);
    /// The directory tree whose folder the list follows (and that follows the list).
    void SetDirTree(TPlDirectoryTree* tree) { m_tree = tree; }
    /// The directory list box that follows the list's folder (and that the list follows).
    void SetDirList(TPlDirectoryListBox* list);

    /// What the list keeps about item `index` (empty past the end).
    TPlFileInfo FileInfo(int index) const;

    /// Reads the folder again.
    void ReadFileNames();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QIcon iconFor(const QString& path, bool folder);

    QString m_directory;
    QString m_mask = QStringLiteral("*.*");
    TFileType m_fileType = TFileAttr::ftNormal;
    bool m_allowOpen = false;
    bool m_showGlyphs = true;
    bool m_showLongNames = true;
    QPointer<TPlDirectoryTree> m_tree;
    QPointer<TPlDirectoryListBox> m_dirList;
    TPlFileItemDelegate* m_delegate;
};

namespace services {
/// How many icons the program-wide icon cache holds (one per file extension).
int CachedFileIconCount();
}  // namespace services
