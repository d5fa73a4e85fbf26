#include "platform/db/data_source.h"

namespace db {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::SetDataSet(Table* dataSet) {
    if (m_dataSet == dataSet) return;
    if (m_dataSet) disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &Table::DataChanged, this, [this] {
            emit RecordChanged();
            emit DataChanged();
        });
        connect(dataSet, &Table::Scrolled, this, [this] {
            emit Scrolled();
            emit DataChanged();
        });
        connect(dataSet, &Table::StateChanged, this, [this] {
            emit StateChanged();
            emit DataChanged();
        });
        connect(dataSet, &QObject::destroyed, this, [this] {
            emit StateChanged();
            emit DataChanged();
        });
    }
    emit StateChanged();
    emit DataChanged();
}

DataSetState DataSource::State() const { return m_dataSet ? m_dataSet->State() : DataSetState::dsInactive; }

bool DataSource::Edit() {
    if (!m_dataSet) return false;
    if (m_dataSet->State() == DataSetState::dsBrowse && m_autoEdit) m_dataSet->Edit();
    const DataSetState s = m_dataSet->State();
    return s == DataSetState::dsEdit || s == DataSetState::dsInsert;
}

void DataSource::UpdateRecord() { emit UpdatingData(); }

}  // namespace db
