#pragma once

#include "platform/db/table.h"

#include <QObject>
#include <QPointer>

namespace db {

/// Connects data-aware controls and report pipelines to a table cursor (a Table or a query's answer). The
/// controls never talk to the cursor's signals themselves: they listen here, so a form
/// can point all its controls at another cursor in one step.
///
/// The source follows its cursor: DataChanged when the cursor moves or the current
/// record's contents change (post, cancel, a field set, refresh), StateChanged when the
/// cursor opens, closes, or enters or leaves edit or insert state, and both when another
/// cursor is set or the cursor is freed.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    Table* DataSet() const { return m_dataSet; }
    /// The cursor to follow; nullptr for none. The source does not own it.
    void SetDataSet(Table* dataSet);

    /// When on (the default), a control the user changes puts a browsing cursor in edit state.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

    /// dsInactive without a cursor.
    DataSetState State() const;

    /// Before a control writes a field: a browsing cursor enters edit state when AutoEdit
    /// is on. Answers whether the cursor is now in edit or insert state. Raises what
    /// Table::Edit raises (a read-only table, a locked record).
    bool Edit();

    /// Asks every bound control to write a change it still holds (a number being typed)
    /// into its field; call before Post.
    void UpdateRecord();

signals:
    void DataChanged();    ///< the shown record moved or changed: controls show it again
    void RecordChanged();  ///< contents changed (post, cancel, delete, refresh, a field set)
    void Scrolled();       ///< the cursor moved to another record
    void StateChanged();
    void UpdatingData();  ///< emitted by UpdateRecord

private:
    QPointer<Table> m_dataSet;
    bool m_autoEdit = true;
};

}  // namespace db
