#pragma once

#include "platform/db/table.h"

namespace db {

/// A stored procedure of a database server. The table layer's databases are folders of
/// table files, which hold no procedures: the component keeps its settings (so forms and
/// report templates that carry one load and save), and opening it fails with
/// kNotSupported naming the procedure.
class StoredProc : public Table {
    Q_OBJECT
public:
    explicit StoredProc(QObject* aParent = nullptr);

    QString StoredProcName() const { return m_storedProcName; }
    void SetStoredProcName(const QString& aName) { m_storedProcName = aName; }

protected:
    void OpenCursor() override;

private:
    QString m_storedProcName;
};

}  // namespace db
