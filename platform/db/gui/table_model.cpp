#include "platform/db/gui/table_model.h"

#include "platform/db/db_log.h"
#include "platform/db/gui/picture.h"
#include "platform/ui/run_guarded.h"

#include <utility>

namespace db::gui {

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

TableModel::~TableModel() = default;

void TableModel::SetDataSource(DataSource* source) {
    if (m_source == source) return;
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &DataSource::StateChanged, this, &TableModel::stateOrContentChanged);
        connect(source, &DataSource::RecordChanged, this, &TableModel::stateOrContentChanged);
        connect(source, &DataSource::Scrolled, this, &TableModel::followCursor);
        connect(source, &QObject::destroyed, this, &TableModel::Reload);
    }
    Reload();
}

void TableModel::SetColumns(const QStringList& fieldNames) {
    m_columns = fieldNames;
    Reload();
}

void TableModel::SetColumnTitle(int column, const QString& title) {
    m_titles.insert(column, title);
    if (column >= 0 && column < int(m_info.size())) {
        m_info[size_t(column)].title = title;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }
}

void TableModel::SetColumnTitleAlignment(int column, Qt::Alignment alignment) {
    m_titleAlignments.insert(column, alignment);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

bool TableModel::IsPictureColumn(int column) const {
    return column >= 0 && column < int(m_info.size()) && m_info[size_t(column)].picture;
}

QString TableModel::ColumnField(int column) const {
    return column >= 0 && column < int(m_info.size()) ? m_info[size_t(column)].field : QString();
}

void TableModel::stateOrContentChanged() {
    // While a record is edited its buffer changes at every keystroke; the stored rows do not.
    const DataSetState s = m_source ? m_source->State() : DataSetState::dsInactive;
    if (s == DataSetState::dsEdit || s == DataSetState::dsInsert) return;
    Reload();
}

void TableModel::Reload() {
    if (m_reading) return;  // the cursor's own notices while the rows are read
    beginResetModel();
    m_rows.clear();
    m_info.clear();
    m_reading = true;
    ui::RunGuarded(this, [&] { readRows(); });
    m_reading = false;
    endResetModel();
    m_currentRow = -2;
    followCursor();
}

void TableModel::readRows() {
    Table* cursor = m_source ? m_source->DataSet() : nullptr;
    m_readWithRange = false;
    if (!cursor || !cursor->Active()) {
        m_reader.reset();
        return;
    }
    m_readWithRange = cursor->HasRange();
    const QStringList names = m_columns.isEmpty() ? cursor->GetFieldNames() : m_columns;
    for (int c = 0; c < names.size(); ++c) {
        const Field* f = cursor->FieldByName(names[c]);
        ColumnInfo info;
        info.field = f->FieldName();
        info.title = m_titles.value(c, f->DisplayLabel());
        info.picture = f->DataType() == FieldType::ftGraphic || f->DataType() == FieldType::ftBlob;
        m_info.push_back(info);
    }

    if (cursor->Exclusive() || cursor->HasRange()) {
        // No second cursor can open the file, or none can take the range: walk this one with
        // its scroll events held back.
        m_reader.reset();
        if (cursor->State() != DataSetState::dsBrowse) return;  // a move would post the edit; read after it
        std::vector<Field*> fields;
        for (const ColumnInfo& info : m_info) fields.push_back(cursor->FieldByName(info.field));
        const Bookmark here = cursor->GetBookmark();
        Table::NotifyEvent before = std::exchange(cursor->BeforeScroll, nullptr);
        Table::NotifyEvent after = std::exchange(cursor->AfterScroll, nullptr);
        cursor->DisableControls();
        struct Restore {
            Table* cursor;
            Bookmark here;
            Table::NotifyEvent& before;
            Table::NotifyEvent& after;
            ~Restore() {
                try {
                    if (!here.IsNull() && cursor->BookmarkValid(here)) cursor->GotoBookmark(here);
                } catch (...) {
                }
                cursor->BeforeScroll = std::move(before);
                cursor->AfterScroll = std::move(after);
                cursor->EnableControls();
            }
        } restore{cursor, here, before, after};
        for (cursor->First(); !cursor->Eof(); cursor->Next()) readRow(fields, cursor->GetBookmark());
        return;
    }

    // A reader on the same file and order; it joins the file the cursor has open.
    const bool same = m_reader && m_reader->Active() && m_reader->DatabaseName() == cursor->DatabaseName() &&
                      m_reader->TableName() == cursor->TableName();
    if (!same) {
        m_reader = std::make_unique<Table>();
        m_reader->SetDatabaseName(cursor->DatabaseName());
        m_reader->SetTableName(cursor->TableName());
        m_reader->SetReadOnly(cursor->ReadOnly());
    }
    if (m_reader->IndexName() != cursor->IndexName() || m_reader->IndexFieldNames() != cursor->IndexFieldNames()) {
        m_reader->Close();
        if (!cursor->IndexFieldNames().isEmpty()) {
            m_reader->SetIndexFieldNames(cursor->IndexFieldNames());
        } else {
            m_reader->SetIndexName(cursor->IndexName());
        }
    }
    if (!m_reader->Active()) {
        m_reader->Open();
    } else {
        m_reader->Refresh();
    }
    std::vector<Field*> fields;
    for (const ColumnInfo& info : m_info) fields.push_back(m_reader->FieldByName(info.field));
    for (m_reader->First(); !m_reader->Eof(); m_reader->Next()) readRow(fields, m_reader->GetBookmark());
    qCDebug(lcDb) << "grid rows read:" << m_rows.size() << "of" << cursor->TableName();
}

void TableModel::readRow(const std::vector<Field*>& fields, Bookmark mark) {
    Row row;
    row.mark = mark;
    row.pictures.resize(fields.size());
    for (size_t c = 0; c < fields.size(); ++c) {
        if (m_info[c].picture) {
            row.texts << QString();
            row.pictures[c] = PictureFromBytes(fields[c]->AsBytes());
        } else {
            row.texts << fields[c]->AsString();
        }
    }
    m_rows.push_back(std::move(row));
}

void TableModel::followCursor() {
    if (m_reading) return;
    Table* cursor = m_source ? m_source->DataSet() : nullptr;
    int row = -1;
    if (cursor && cursor->Active() && cursor->State() == DataSetState::dsBrowse) {
        // Moves are all the cursor tells of a new order or range.
        const bool otherOrder = m_reader && (m_reader->IndexName() != cursor->IndexName() ||
                                             m_reader->IndexFieldNames() != cursor->IndexFieldNames());
        const bool otherRange = cursor->HasRange() != m_readWithRange ||
                                (cursor->HasRange() && cursor->RecordCount() != int(m_rows.size()));
        if (otherOrder || otherRange) {
            Reload();
            return;
        }
    }
    if (cursor && cursor->Active() && !cursor->IsEmpty() && cursor->State() != DataSetState::dsInsert) {
        const Bookmark mark = cursor->GetBookmark();
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].mark.rowId == mark.rowId) row = int(i);
        }
    }
    if (row == m_currentRow) return;
    m_currentRow = row;
    emit CurrentRowChanged(row);
}

void TableModel::SetCurrentRow(int row) {
    Table* cursor = m_source ? m_source->DataSet() : nullptr;
    if (!cursor || row < 0 || row >= int(m_rows.size()) || row == m_currentRow) return;
    cursor->GotoBookmark(m_rows[size_t(row)].mark);
    followCursor();
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_info.size()); }

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= int(m_info.size())) return {};
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[index.column()].section(QLatin1Char('\r'), 0, 0).section(QLatin1Char('\n'), 0, 0);
    case PictureRole:
        return m_info[size_t(index.column())].picture ? QVariant(row.pictures[size_t(index.column())]) : QVariant();
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal) {
        return int(m_titleAlignments.value(section, Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return section < int(m_info.size()) ? m_info[size_t(section)].title : QVariant();
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace db::gui
