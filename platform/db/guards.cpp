#include "platform/db/guards.h"

#include "platform/db/database.h"
#include "platform/db/db_log.h"
#include "platform/db/table.h"

#include <exception>

namespace db {

namespace {

/// Runs the undo of a guard's destructor: a failure is logged, never thrown (the scope may
/// be unwinding already, and the first failure is the one the caller needs).
template <typename F>
void undoQuietly(const char* what, F&& undo) noexcept {
    try {
        undo();
    } catch (const std::exception& e) {
        qCWarning(lcDb) << what << "failed:" << e.what();
    } catch (...) {
        qCWarning(lcDb) << what << "failed";
    }
}

}  // namespace

Transaction::Transaction(Database& database) : m_database(database) { m_database.StartTransaction(); }

Transaction::~Transaction() {
    if (!m_open) return;
    undoQuietly("rolling the transaction back", [this] {
        if (m_database.InTransaction()) m_database.Rollback();
    });
}

void Transaction::Commit() {
    m_open = false;
    m_database.Commit();
}

Batch::Batch(Table& table) : m_table(table) { m_table.StartBatch(); }

Batch::~Batch() {
    if (!m_open) return;
    undoQuietly("rolling the batch back", [this] {
        if (!m_table.Active()) return;
        if (m_table.State() == DataSetState::dsEdit || m_table.State() == DataSetState::dsInsert) m_table.Cancel();
        m_table.EndBatch(false);
    });
}

void Batch::Commit() {
    m_open = false;
    m_table.EndBatch(true);
}

ScopedRange::ScopedRange(Table& table, const QVariantList& startValues, const QVariantList& endValues)
    : m_table(table) {
    m_table.SetRange(startValues, endValues);
}

ScopedRange::~ScopedRange() {
    undoQuietly("cancelling the range", [this] {
        if (m_table.Active()) m_table.CancelRange();
    });
}

DisabledControls::DisabledControls(Table& table) : m_table(table) { m_table.DisableControls(); }

DisabledControls::~DisabledControls() {
    undoQuietly("enabling the controls", [this] { m_table.EnableControls(); });
}

}  // namespace db
