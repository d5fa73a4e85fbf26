#pragma once

#include "platform/db/gui/data_source.h"
#include "platform/db/gui/table_model.h"

#include <QSize>
#include <QStyledItemDelegate>
#include <QTableView>

namespace db::gui {

/// Draws the cells of a data grid: a picture cell shows the row's picture drawn
/// transparently (TransparentPicture), cut to at most MaxPictureSize and centred on a
/// white cell; a text cell shows the text 2 pixels from the left and 4 from the top.
class DataGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DataGridDelegate(QObject* parent = nullptr);

    QSize MaxPictureSize() const { return m_maxPicture; }
    void SetMaxPictureSize(const QSize& size) { m_maxPicture = size; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize m_maxPicture{32, 32};
};

/// A read-only grid over a data source's cursor: titles, whole rows selected, one row
/// current. The selected row follows the cursor and the cursor follows the row the user
/// selects (with mouse or keys); a failed move is reported through the dialog service and
/// the selection goes back to the cursor's row.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    DataSource* GetDataSource() const { return m_model->GetDataSource(); }
    void SetDataSource(DataSource* source);
    /// Fields shown, in order; empty for every field.
    void SetColumns(const QStringList& fieldNames);
    TableModel* Model() const { return m_model; }
    DataGridDelegate* Delegate() const { return m_delegate; }

private:
    void modelRowChanged(int row);
    void viewRowChanged(const QModelIndex& current);
    void modelReset();

    TableModel* m_model;
    DataGridDelegate* m_delegate;
    bool m_syncing = false;
};

}  // namespace db::gui
