#include "platform/db/gui/db_grid.h"

#include "platform/db/gui/picture.h"
#include "platform/ui/run_guarded.h"

#include <QHeaderView>
#include <QPainter>

namespace db::gui {

DataGridDelegate::DataGridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void DataGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    const QVariant picture = index.data(TableModel::PictureRole);
    if (picture.isValid()) {
        painter->fillRect(option.rect, Qt::white);
        const QImage image = TransparentPicture(picture.value<QImage>());
        if (!image.isNull()) {
            const QSize shown = image.size().boundedTo(m_maxPicture);
            QRect target(QPoint(0, 0), shown);
            target.moveCenter(option.rect.center());
            painter->setClipRect(option.rect);
            painter->drawImage(target, image, QRect(QPoint(0, 0), shown));
        }
    } else {
        const QPalette::ColorGroup group = option.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        painter->fillRect(option.rect, option.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        const QRect text = option.rect.adjusted(2, 4, -2, 0);
        painter->setClipRect(option.rect);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
    }
    painter->restore();
}

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), m_model(new TableModel(this)), m_delegate(new DataGridDelegate(this)) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    connect(m_model, &TableModel::CurrentRowChanged, this, &DBGrid::modelRowChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::modelReset);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { viewRowChanged(current); });
}

void DBGrid::SetDataSource(DataSource* source) { m_model->SetDataSource(source); }

void DBGrid::SetColumns(const QStringList& fieldNames) { m_model->SetColumns(fieldNames); }

void DBGrid::modelReset() {
    bool pictures = false;
    for (int c = 0; c < m_model->columnCount(); ++c) pictures = pictures || m_model->IsPictureColumn(c);
    if (pictures) verticalHeader()->setDefaultSectionSize(std::max(verticalHeader()->defaultSectionSize(), m_delegate->MaxPictureSize().height() + 4));
    modelRowChanged(m_model->CurrentRow());
}

void DBGrid::modelRowChanged(int row) {
    m_syncing = true;
    if (row < 0) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        const QModelIndex index = m_model->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_syncing = false;
}

void DBGrid::viewRowChanged(const QModelIndex& current) {
    if (m_syncing || !current.isValid()) return;
    if (!ui::RunGuarded(this, [&] { m_model->SetCurrentRow(current.row()); })) modelRowChanged(m_model->CurrentRow());
}

}  // namespace db::gui
