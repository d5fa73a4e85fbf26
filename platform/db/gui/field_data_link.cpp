#include "platform/db/gui/field_data_link.h"

#include "platform/ui/run_guarded.h"

namespace db::gui {

FieldDataLink::FieldDataLink(QObject* control) : QObject(control) {}

void FieldDataLink::SetDataSource(DataSource* source) {
    if (m_source == source) return;
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &DataSource::DataChanged, this, [this] {
            if (!m_writing && Reload) Reload();
        });
        connect(source, &DataSource::StateChanged, this, [this] {
            if (!m_writing && Reload) Reload();
        });
        connect(source, &DataSource::UpdatingData, this, [this] {
            if (Flush) Flush();
        });
        connect(source, &QObject::destroyed, this, [this] {
            if (Reload) Reload();
        });
    }
    if (Reload) Reload();
}

void FieldDataLink::SetDataField(const QString& name) {
    m_fieldName = name;
    if (Reload) Reload();
}

Field* FieldDataLink::GetField() const {
    if (!m_source || m_fieldName.isEmpty()) return nullptr;
    Table* t = m_source->DataSet();
    if (!t || !t->Active()) return nullptr;
    return t->FindField(m_fieldName);
}

bool FieldDataLink::CanModify() const {
    const Field* f = GetField();
    return f && f->CanModify();
}

bool FieldDataLink::Edit() {
    if (!CanModify()) return false;
    return m_source->Edit();
}

bool FieldDataLink::Write(const std::function<void(Field&)>& write) {
    // Entering edit state signals the controls; this one keeps what the user typed.
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{m_writing};
    m_writing = true;
    if (!Edit()) return false;
    Field* f = GetField();
    if (!f) return false;
    write(*f);
    return true;
}

bool FieldDataLink::WriteOrReload(const std::function<void(Field&)>& write) {
    bool written = false;
    if (ui::RunGuarded(parent(), [&] { written = Write(write); }) && written) return true;
    if (Reload) Reload();
    return false;
}

}  // namespace db::gui
