#include "report/output/gui/list_view.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

/// Writes the text of a disabled row in the button-face colour.
class EnabledDelegate : public QStyledItemDelegate {
public:
    explicit EnabledDelegate(TppListView* aView) : QStyledItemDelegate(aView), m_view(aView) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_view->OwnerDrawItems()) return;
        QTreeWidgetItem* item = m_view->topLevelItem(index.row());
        if (item && !m_view->ItemEnabled(item)) {
            const QColor face = option->palette.color(QPalette::Button).darker(130);
            option->palette.setColor(QPalette::Text, face);
            option->palette.setColor(QPalette::HighlightedText, face);
        }
    }

private:
    TppListView* m_view;
};

}  // namespace

TppListView::TppListView(QWidget* aParent) : QTreeWidget(aParent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setItemsExpandable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setItemDelegate(new EnabledDelegate(this));
    connect(header(), &QHeaderView::sectionResized, this, [this](int aColumn, int, int) { Q_EMIT ColumnResized(aColumn); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT Scrolled(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT Scrolled(); });
}

void TppListView::SetOwnerDrawItems(bool aValue) {
    m_ownerDrawItems = aValue;
    viewport()->update();
}

bool TppListView::ItemEnabled(QTreeWidgetItem* aItem) {
    bool enabled = true;
    if (m_ownerDrawItems && OnGetItemEnabled) OnGetItemEnabled(this, aItem, enabled);
    return enabled;
}

QRect TppListView::ItemRect(QTreeWidgetItem* aItem) const {
    if (!aItem) return {};
    QRect r = visualItemRect(aItem);
    if (!r.isValid()) return {};
    return r.translated(viewport()->pos());
}

QList<QTreeWidgetItem*> TppListView::Items() const {
    QList<QTreeWidgetItem*> out;
    for (int i = 0; i < topLevelItemCount(); ++i) out << topLevelItem(i);
    return out;
}

bool TppListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || !(model()->flags(index) & Qt::ItemIsEditable)) return false;
    return QTreeWidget::edit(index, trigger, event);
}
