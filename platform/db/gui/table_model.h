#pragma once

#include "platform/db/gui/data_source.h"
#include "platform/db/table.h"

#include <QAbstractTableModel>
#include <QImage>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

namespace db::gui {

/// The rows of a data source's cursor as a read-only Qt table model: one column per field
/// (or per field named in SetColumns), one row per record in the cursor's order.
///
/// The rows are read through a second cursor on the same table and index, so filling the
/// model never moves the data source's cursor (no scroll events, no post of a record being
/// edited). They are read again when the cursor opens or closes, changes its order, or a
/// record is posted, cancelled or deleted; edits in progress show after they are posted.
/// A cursor open exclusively admits no second cursor, and a second cursor cannot take over
/// a range: the rows of such a cursor are read by walking it with its scroll events held
/// back (BeforeScroll and AfterScroll do not fire) and returning to its record. A new range
/// is noticed at the cursor's next move when it has another number of rows.
///
/// The current row follows the cursor (CurrentRowChanged after every move) and the cursor
/// follows SetCurrentRow (the cursor moves with its scroll events, posting an edit in
/// progress as any move does).
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Role of the picture of a graphic or binary field (a QImage, null when none).
    static constexpr int PictureRole = Qt::UserRole + 1;

    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    DataSource* GetDataSource() const { return m_source; }
    void SetDataSource(DataSource* source);

    /// Fields shown, in order; empty for every field of the cursor.
    QStringList Columns() const { return m_columns; }
    void SetColumns(const QStringList& fieldNames);
    /// A column's title; the field's display label until set.
    void SetColumnTitle(int column, const QString& title);
    /// Where a column's title stands; left and centred vertically until set.
    void SetColumnTitleAlignment(int column, Qt::Alignment alignment);
    /// True when the column shows pictures (a graphic or binary field).
    bool IsPictureColumn(int column) const;
    /// The field name of a column.
    QString ColumnField(int column) const;

    /// The row of the cursor's current record, -1 when there is none.
    int CurrentRow() const { return m_currentRow; }
    /// Moves the cursor to the record of a row. Raises what the cursor's move raises.
    void SetCurrentRow(int row);

    /// Reads the rows again.
    void Reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void CurrentRowChanged(int row);

private:
    struct ColumnInfo {
        QString field;
        QString title;
        bool picture = false;
    };
    struct Row {
        Bookmark mark;
        QStringList texts;
        std::vector<QImage> pictures;  ///< per column; null for text columns
    };

    void readRows();
    void readRow(const std::vector<Field*>& fields, Bookmark mark);
    void followCursor();
    void stateOrContentChanged();

    QPointer<DataSource> m_source;
    QStringList m_columns;
    QHash<int, QString> m_titles;
    QHash<int, Qt::Alignment> m_titleAlignments;
    std::vector<ColumnInfo> m_info;
    std::vector<Row> m_rows;
    int m_currentRow = -1;
    bool m_reading = false;  ///< rows are being read: the cursor's notices are ignored
    bool m_readWithRange = false;  ///< the rows were read from a cursor within a range
    std::unique_ptr<Table> m_reader;
};

}  // namespace db::gui
