#include "platform/db/stored_proc.h"

#include "platform/db/db_error.h"

namespace db {

StoredProc::StoredProc(QObject* aParent) : Table(aParent) {}

void StoredProc::OpenCursor() {
    Raise(ErrorCode::kNotSupported,
          QStringLiteral("Stored procedure %1: the table engine's databases hold no stored procedures.")
              .arg(m_storedProcName.isEmpty() ? QStringLiteral("(unnamed)") : m_storedProcName));
}

}  // namespace db
