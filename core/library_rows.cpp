#include "core/library_rows.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

namespace core {

namespace {

/// The table's batch, rolled back (and the row cancelled) unless committed.
class LibraryBatch {
public:
    explicit LibraryBatch(db::Table& table) : m_table(table) { m_table.StartBatch(); }
    ~LibraryBatch() {
        if (!m_open) return;
        try {
            if (m_table.Active() && m_table.State() != db::DataSetState::dsBrowse) m_table.Cancel();
            m_table.EndBatch(false);
        } catch (...) {
        }
    }
    void Commit() {
        m_open = false;
        m_table.EndBatch(true);
    }

private:
    db::Table& m_table;
    bool m_open = true;
};

}  // namespace

int PostLibraryRow(db::Table& table, const QString& field) {
    if (table.State() != db::DataSetState::dsInsert) {
        table.Post();
        return int(table.FieldByName(field)->AsInteger());
    }
    LibraryBatch batch(table);
    // A cursor of its own on the file sees the rows other programs committed before this
    // transaction began.
    db::Table cursor;
    cursor.SetDatabaseName(table.DatabaseName());
    cursor.SetTableName(table.TableName());
    cursor.SetReadOnly(true);
    cursor.SetIndexFieldNames(field);
    cursor.Open();
    cursor.Last();
    const int id = cursor.Eof() && cursor.Bof() ? 1 : int(cursor.FieldByName(field)->AsInteger()) + 1;
    cursor.Close();
    table.FieldByName(field)->SetAsInteger(id);
    table.Post();
    batch.Commit();
    return id;
}

}  // namespace core
