#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

/// A short most-recent-first list of paths, shown as numbered items ("&1 <path>") at the
/// foot of a File menu, just above the menu's last item, and kept per user in the registry
/// below `IniFileName` (see services/recent_files.h for the stored form). Both programs place
/// one on their main window, with the main window as owner.
///
/// States: without `FileMenu` nothing is read, built or written; without `IniFileName` the
/// list is shown but not stored. The menu items belong to `FileMenu`; the list only keeps
/// them (one per entry, in entry order) to take them out again before a rebuild.
class TRecentFileList : public QObject {
    Q_OBJECT
public:
    explicit TRecentFileList(QObject* owner = nullptr);
    ~TRecentFileList() override;

    QMenu* FileMenu() const { return m_fileMenu; }
    void SetFileMenu(QMenu* menu) { m_fileMenu = menu; }
    /// Registry key below the current user; empty: the list is not stored.
    QString IniFileName() const { return m_iniFileName; }
    void SetIniFileName(const QString& name) { m_iniFileName = name; }
    int MaxRecFiles() const { return m_maxRecFiles; }
    void SetMaxRecFiles(int count) { m_maxRecFiles = count; }
    /// The first entry; empty when the list is empty.
    QString MostRecent() const { return m_mostRecent; }
    QStringList Entries() const { return m_entries; }

    /// Given to every list item; the argument is the clicked item.
    std::function<void(QAction* sender)> OnClick;

    /// Reads the stored list and builds the menu items; the owner calls it once its menus
    /// exist. With "Num" 0 or missing the menu is left as it is.
    void Loaded();

    /// Puts `path` at the top (moving it when listed), keeps at most `MaxRecFiles` entries,
    /// rebuilds the menu items and rewrites the stored list. Does nothing without `FileMenu`.
    void AddFile(const QString& path);

private:
    void buildMenu();
    void removeItems();

    QPointer<QMenu> m_fileMenu;
    QString m_iniFileName;
    int m_maxRecFiles = 5;
    QString m_mostRecent;
    QStringList m_entries;
    std::vector<QPointer<QAction>> m_items;  ///< the menu item of each entry, in entry order
    QPointer<QAction> m_separator;           ///< between the entries and the menu's last item
};
