#pragma once

#include "platform/db/field.h"
#include "platform/db/gui/data_source.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace db::gui {

/// The tie of one data-aware control to one field of a data source's cursor. The field
/// object is looked up by name whenever it is needed, because a cursor makes new field
/// objects each time it opens.
///
/// The control gives two callbacks: Reload (show the field's current value: the record
/// moved, its contents or the cursor's state changed, or the field went away), and Flush
/// (write a change the control still holds, asked by DataSource::UpdateRecord).
class FieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit FieldDataLink(QObject* control);

    DataSource* GetDataSource() const { return m_source; }
    void SetDataSource(DataSource* source);
    QString DataField() const { return m_fieldName; }
    void SetDataField(const QString& name);

    /// The bound field on an open cursor, or nullptr.
    Field* GetField() const;
    /// True when the user may change the field now or after AutoEdit: a field on an open
    /// cursor that can modify it.
    bool CanModify() const;
    /// Before writing: puts the cursor in edit state when needed (DataSource::Edit);
    /// answers whether the field may be written now.
    bool Edit();
    /// True while the control writes its own value (its Reload is then skipped).
    bool Writing() const { return m_writing; }

    /// Writes through `write` with the cursor in edit state; the control's own Reload is
    /// not run for the change it makes. Answers false, writing nothing, when the cursor
    /// cannot be put in edit state (AutoEdit off, a read-only field). Exceptions reach the caller.
    bool Write(const std::function<void(Field&)>& write);
    /// Write for a control's event handler: an exception is reported through the dialog
    /// service, and when nothing was written the control's Reload shows the field again.
    /// Answers whether the value was written.
    bool WriteOrReload(const std::function<void(Field&)>& write);

    std::function<void()> Reload;
    std::function<void()> Flush;

private:
    QPointer<DataSource> m_source;
    QString m_fieldName;
    bool m_writing = false;
};

}  // namespace db::gui
