#include "services/gui/recent_file_list.h"

#include "services/recent_files.h"

#include <QAction>
#include <QMenu>

TRecentFileList::TRecentFileList(QObject* owner) : QObject(owner) {}

TRecentFileList::~TRecentFileList() = default;

void TRecentFileList::Loaded() {
    if (m_fileMenu) removeItems();
    m_entries.clear();
    if (m_iniFileName.isEmpty() || !m_fileMenu) return;
    const QStringList stored = services::LoadRecentFiles(m_iniFileName);
    // With nothing stored the menu and MostRecent stay as they are.
    if (stored.isEmpty()) return;
    m_entries = stored;
    m_mostRecent = m_entries.first();
    buildMenu();
}

void TRecentFileList::AddFile(const QString& path) {
    if (!m_fileMenu) return;
    removeItems();
    services::MoveToTop(m_entries, path, m_maxRecFiles);
    m_mostRecent = m_entries.isEmpty() ? QString() : m_entries.first();
    buildMenu();
    if (!m_iniFileName.isEmpty()) services::StoreRecentFiles(m_iniFileName, m_entries);
}

void TRecentFileList::removeItems() {
    for (QPointer<QAction>& item : m_items) {
        if (!item) continue;
        m_fileMenu->removeAction(item);
        delete item.data();
    }
    m_items.clear();
    // The separator between the list and the menu's last item goes with the list; a
    // separator the menu was designed with stays.
    if (m_separator) {
        m_fileMenu->removeAction(m_separator);
        delete m_separator.data();
    }
}

void TRecentFileList::buildMenu() {
    if (m_entries.isEmpty()) return;
    const bool hadItems = !m_fileMenu->actions().isEmpty();
    for (int i = 0; i < m_entries.size(); ++i) {
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(m_entries[i]), m_fileMenu);
        connect(item, &QAction::triggered, this, [this, item] {
            if (OnClick) OnClick(item);
        });
        if (hadItems) {
            m_fileMenu->insertAction(m_fileMenu->actions().last(), item);
        } else {
            m_fileMenu->addAction(item);
        }
        m_items.emplace_back(item);
    }
    if (hadItems) {
        m_separator = new QAction(m_fileMenu);
        m_separator->setSeparator(true);
        m_fileMenu->insertAction(m_fileMenu->actions().last(), m_separator);
    }
}
