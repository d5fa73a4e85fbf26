#pragma once

// The reports most recently opened in the designer: numbered items at the end of a menu (the
// File menu), kept in the ini file under "Last Reports Accessed" as "Max" and "R0", "R1", ...
// (newest first), each entry's detail strings joined with ",". A detail string that holds a
// comma, a quote or a line break is written quoted, so every name comes back as it went in;
// values written unquoted read as they always did.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QMenu;

class TppDocHistory : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Last Reports Accessed";

    /// Opens the ini file (a bare name lives in the settings folder) and loads the list.
    TppDocHistory(QObject* aOwner, const QString& aIniFileName, QMenu* aParentMenu);
    /// Saves the list.
    ~TppDocHistory() override;

    void SetOnMenuItemClick(std::function<void(QAction* Sender)> aHandler);
    /// The click handler of every entry's menu item.
    std::function<void(QAction* Sender)> OnMenuItemClick;
    /// Makes the report the newest entry (details: the name, SaveTo, Offset).
    void AddDocument(const QString& aName, const QStringList& aDetails);
    /// The details of the entry whose menu item this is; empty for a stranger.
    QStringList GetDocumentDetails(QAction* aMenuItem) const;

    int Max() const { return m_max; }
    void SetMax(int aValue) { m_max = aValue; }
    int Count() const { return int(m_entries.size()); }
    QString Names(int aIndex) const { return m_entries.at(aIndex).name; }
    QAction* MenuItem(int aIndex) const { return m_entries.at(aIndex).item; }
    QAction* Separator() const { return m_separator; }

    void Load();
    void Save();

    /// One stored value: the strings joined with "," (quoted where needed) and split again.
    static QString JoinDetails(const QStringList& aDetails);
    static QStringList SplitDetails(const QString& aValue);

private:
    struct Entry {
        QString name;
        QPointer<QAction> item;
        QStringList details;
    };
    void insertTop(const QString& aName, const QStringList& aDetails);
    void deleteEntry(int aIndex);
    void renumber();
    int indexOf(const QString& aName) const;

    QObject* m_owner;
    QString m_iniFileName;
    QPointer<QMenu> m_parent;
    QPointer<QAction> m_separator;
    QList<Entry> m_entries;
    int m_max = 5;
};
