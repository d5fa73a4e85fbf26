#include "platform/db/sql/query_component.h"

#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/session.h"
#include "platform/db/sql/query.h"

namespace db::sql {

Query::Query(QObject* aParent) : Table(aParent) { SetReadOnly(true); }

void Query::SetSessionName(const QString& aName) {
    Close();
    m_sessionName = aName;
}

void Query::SetSQL(const QStringList& aLines) {
    Close();
    m_sql = aLines;
}

void Query::SetSQLText(const QString& aText) { SetSQL(aText.split(u'\n')); }

QString Query::QueryFolder() const {
    Session* session = Sessions::FindSession(m_sessionName);
    return session ? session->DatabaseFolder(DatabaseName()) : Database::ResolveFolder(DatabaseName());
}

void Query::GetFieldNames(QStringList& aList) const {
    aList.clear();
    if (Active()) {
        aList = Table::GetFieldNames();
        return;
    }
    for (const FieldDef& def : QueryFieldDefs(QueryFolder(), SQLText())) aList << def.Name;
}

void Query::OpenCursor() {
    QueryAnswer answer = RunQuery(QueryFolder(), SQLText());
    m_sqliteText = answer.SqliteText;
    TableDef def;
    def.Fields = std::move(answer.Fields);
    OpenInMemory(def, answer.Rows);
}

}  // namespace db::sql
