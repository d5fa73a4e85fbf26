#include "platform/db/session.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace db {

namespace {

QList<QPointer<Session>>& registered() {
    static QList<QPointer<Session>> list;
    return list;
}

bool isDefaultName(const QString& aName) {
    return aName.isEmpty() || aName.compare(QLatin1String(Session::kDefaultName), Qt::CaseInsensitive) == 0;
}

}  // namespace

Session::Session(const QString& aSessionName, QObject* aParent) : QObject(aParent), m_sessionName(aSessionName) {}

Session::~Session() = default;

const Session::Alias* Session::findAlias(const QString& aName) const {
    for (const Alias& a : m_aliases)
        if (a.name.compare(aName, Qt::CaseInsensitive) == 0) return &a;
    return nullptr;
}

void Session::AddAlias(const QString& aName, const QString& aDriverName, const QString& aPath) {
    for (Alias& a : m_aliases) {
        if (a.name.compare(aName, Qt::CaseInsensitive) == 0) {
            a = {aName, aDriverName, aPath};
            return;
        }
    }
    m_aliases.append({aName, aDriverName, aPath});
}

void Session::AddStandardAlias(const QString& aName, const QString& aPath) {
    AddAlias(aName, QLatin1String(kStandardDriver), aPath);
}

void Session::DeleteAlias(const QString& aName) {
    m_aliases.removeIf([&](const Alias& a) { return a.name.compare(aName, Qt::CaseInsensitive) == 0; });
}

QStringList Session::GetAliasNames() const {
    QStringList names;
    for (const Alias& a : m_aliases) names << a.name;
    return names;
}

bool Session::IsAlias(const QString& aName) const { return findAlias(aName) != nullptr; }

QString Session::GetAliasDriverName(const QString& aName) const {
    const Alias* a = findAlias(aName);
    if (!a) Raise(ErrorCode::kUnknownAlias, QStringLiteral("Alias: %1").arg(aName));
    return a->driverName;
}

QString Session::GetAliasPath(const QString& aName) const {
    const Alias* a = findAlias(aName);
    if (!a) Raise(ErrorCode::kUnknownAlias, QStringLiteral("Alias: %1").arg(aName));
    return a->path;
}

Database* Session::FindDatabase(const QString& aDatabaseName) const {
    const bool isDefault = isDefaultName(m_sessionName);
    for (Database* d : Database::ConnectedDatabases()) {
        const bool mine = isDefault ? isDefaultName(d->SessionName())
                                    : d->SessionName().compare(m_sessionName, Qt::CaseInsensitive) == 0;
        if (mine && d->DatabaseName().compare(aDatabaseName, Qt::CaseInsensitive) == 0) return d;
    }
    return nullptr;
}

QString Session::DatabaseFolder(const QString& aDatabaseName) const {
    if (Database* d = FindDatabase(aDatabaseName)) return d->Directory();
    if (const Alias* a = findAlias(aDatabaseName)) return a->path;
    return aDatabaseName;
}

QStringList Session::GetTableNames(const QString& aDatabaseName, const QString& aPattern, bool aExtensions,
                                   bool aSystemTables) const {
    Q_UNUSED(aSystemTables);
    const QString folder = DatabaseFolder(aDatabaseName);
    const QString pattern = aPattern.isEmpty() ? QStringLiteral("*") : aPattern;
    // "*.*" matches names without an extension too, as file patterns do.
    const QString wildcard = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(wildcard),
                                QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    if (!QFileInfo(folder).isDir()) return names;
    for (const QString& file : TableNamesInFolder(folder)) {
        if (!re.match(file).hasMatch()) continue;
        names << (aExtensions ? file : QFileInfo(file).completeBaseName());
    }
    return names;
}

Session* Sessions::DefaultSession() {
    static Session* session = new Session(QLatin1String(Session::kDefaultName));
    return session;
}

Session* Sessions::FindSession(const QString& aSessionName) {
    if (isDefaultName(aSessionName)) return DefaultSession();
    for (const QPointer<Session>& s : registered())
        if (s && s->SessionName().compare(aSessionName, Qt::CaseInsensitive) == 0) return s;
    return nullptr;
}

void Sessions::AddSession(Session* aSession) {
    if (!aSession || aSession == DefaultSession()) return;
    auto& list = registered();
    list.removeIf([&](const QPointer<Session>& s) {
        return !s || s->SessionName().compare(aSession->SessionName(), Qt::CaseInsensitive) == 0;
    });
    list.append(aSession);
}

void Sessions::RemoveSession(Session* aSession) {
    registered().removeIf([&](const QPointer<Session>& s) { return !s || s == aSession; });
}

QStringList Sessions::GetSessionNames() {
    QStringList names = {QLatin1String(Session::kDefaultName)};
    for (const QPointer<Session>& s : registered())
        if (s) names << s->SessionName();
    return names;
}

}  // namespace db
