#include "report/designer/gui/doc_history.h"

#include "platform/settings/ini_file.h"

#include <QAction>
#include <QMenu>

TppDocHistory::TppDocHistory(QObject* aOwner, const QString& aIniFileName, QMenu* aParentMenu)
    : QObject(aOwner), m_owner(aOwner), m_iniFileName(aIniFileName), m_parent(aParentMenu) {
    Load();
}

TppDocHistory::~TppDocHistory() { Save(); }

void TppDocHistory::SetOnMenuItemClick(std::function<void(QAction*)> aHandler) { OnMenuItemClick = std::move(aHandler); }

int TppDocHistory::indexOf(const QString& aName) const {
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).name.compare(aName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TppDocHistory::JoinDetails(const QStringList& aDetails) {
    QStringList parts;
    for (const QString& d : aDetails) {
        if (d.contains(QLatin1Char(',')) || d.contains(QLatin1Char('"')) || d.contains(QLatin1Char('\n')) ||
            d.contains(QLatin1Char('\r')) || d.startsWith(QLatin1Char(' ')) || d.endsWith(QLatin1Char(' '))) {
            QString q = d;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            q.replace(QLatin1String("\r"), QLatin1String("\"r"));
            q.replace(QLatin1String("\n"), QLatin1String("\"n"));
            parts << QLatin1Char('"') + q + QLatin1Char('"');
        } else {
            parts << d;
        }
    }
    return parts.join(QLatin1Char(','));
}

QStringList TppDocHistory::SplitDetails(const QString& aValue) {
    // Split at every comma outside quotes; a trailing comma adds nothing, an empty part
    // between two commas stays. A part that starts with a quote is read quoted.
    QStringList out;
    int i = 0;
    const int n = int(aValue.size());
    while (i < n) {
        QString part;
        if (aValue.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                const QChar c = aValue.at(i);
                if (c == QLatin1Char('"')) {
                    if (i + 1 < n && aValue.at(i + 1) == QLatin1Char('"')) part += QLatin1Char('"');
                    else if (i + 1 < n && aValue.at(i + 1) == QLatin1Char('r')) part += QLatin1Char('\r');
                    else if (i + 1 < n && aValue.at(i + 1) == QLatin1Char('n')) part += QLatin1Char('\n');
                    else {
                        ++i;
                        break;
                    }
                    i += 2;
                    continue;
                }
                part += c;
                ++i;
            }
            // Anything up to the next comma belongs to the part (a damaged value reads leniently).
            while (i < n && aValue.at(i) != QLatin1Char(',')) part += aValue.at(i++);
        } else {
            const int comma = int(aValue.indexOf(QLatin1Char(','), i));
            const int end = comma < 0 ? n : comma;
            part = aValue.mid(i, end - i);
            i = end;
        }
        out << part;
        if (i < n && aValue.at(i) == QLatin1Char(',')) ++i;
    }
    return out;
}

void TppDocHistory::Load() {
    settings::IniFile ini(m_iniFileName);
    const QString section = QString::fromLatin1(kSection);
    m_max = ini.ReadInteger(section, QStringLiteral("Max"), 5);
    if (m_max < 0) return;
    // Only the keys present are read, in their number order.
    QList<QPair<int, QString>> keys;
    for (const QString& key : ini.ReadSection(section)) {
        if (!key.startsWith(QLatin1Char('R'), Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = key.mid(1).toInt(&ok);
        if (ok && n >= 0 && n <= m_max && key.mid(1) == QString::number(n)) keys.append({n, key});
    }
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QStringList> found;
    for (const auto& [n, key] : keys) {
        const QString value = ini.ReadString(section, key);
        if (value.isEmpty()) continue;
        const QStringList details = SplitDetails(value);
        if (details.isEmpty() || indexOf(details.first()) >= 0) continue;
        found << details;
    }
    for (int i = int(found.size()) - 1; i >= 0; --i) insertTop(found.at(i).first(), found.at(i));
    renumber();
}

void TppDocHistory::Save() {
    settings::IniFile ini(m_iniFileName);
    const QString section = QString::fromLatin1(kSection);
    ini.EraseSection(section);
    ini.WriteInteger(section, QStringLiteral("Max"), m_max);
    for (int i = 0; i < m_entries.size(); ++i)
        ini.WriteString(section, QStringLiteral("R%1").arg(i), JoinDetails(m_entries.at(i).details));
}

void TppDocHistory::insertTop(const QString& aName, const QStringList& aDetails) {
    auto* item = new QAction(m_owner);
    item->setObjectName(QStringLiteral("mniRecent"));
    QPointer<QAction> guard = item;
    connect(item, &QAction::triggered, this, [this, guard] {
        if (OnMenuItemClick && guard) OnMenuItemClick(guard);
    });
    if (m_parent) {
        if (m_separator && !m_entries.isEmpty() && m_entries.first().item) {
            m_parent->insertAction(m_entries.first().item, item);
        } else {
            if (!m_separator) {
                m_separator = new QAction(m_owner);
                m_separator->setSeparator(true);
                m_separator->setObjectName(QStringLiteral("mniRecentSeparator"));
                m_parent->addAction(m_separator);
            }
            // With no newest entry above which to place it, the item goes right after the separator.
            const QList<QAction*> actions = m_parent->actions();
            const int at = int(actions.indexOf(m_separator));
            if (at >= 0 && at + 1 < actions.size()) m_parent->insertAction(actions.at(at + 1), item);
            else m_parent->addAction(item);
        }
    }
    m_entries.prepend({aName, item, aDetails});
}

void TppDocHistory::deleteEntry(int aIndex) {
    Entry e = m_entries.takeAt(aIndex);
    if (e.item) {
        if (m_parent) m_parent->removeAction(e.item);
        delete e.item.data();
    }
}

void TppDocHistory::AddDocument(const QString& aName, const QStringList& aDetails) {
    const int at = indexOf(aName);
    if (at == 0) return;
    if (at > 0) deleteEntry(at);
    QStringList details = aDetails;
    if (details.isEmpty()) details << aName;
    insertTop(aName, details);
    if (m_entries.size() > m_max && !m_entries.isEmpty()) deleteEntry(int(m_entries.size()) - 1);
    renumber();
}

QStringList TppDocHistory::GetDocumentDetails(QAction* aMenuItem) const {
    for (const Entry& e : m_entries)
        if (e.item == aMenuItem) return e.details;
    return {};
}

void TppDocHistory::renumber() {
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).item)
            m_entries.at(i).item->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(m_entries.at(i).name).replace(QLatin1Char('&'), QLatin1String("&&"))));
}
