#pragma once

#include <QTreeWidget>

#include <functional>

/// The report library's list view in report style: a flat list of rows with column headers.
/// Besides the list's own signals it tells when the user resized a column and when it
/// scrolled, and it can draw its rows itself, asking for each row whether it is enabled
/// (a disabled row is written in the button-face colour).
class TppListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TppListView(QWidget* aParent = nullptr);

    /// On: each row is drawn by the view, its text colour following OnGetItemEnabled.
    void SetOwnerDrawItems(bool aValue);
    bool OwnerDrawItems() const { return m_ownerDrawItems; }
    /// Asked for each row while OwnerDrawItems is on; Enabled starts true.
    std::function<void(QObject* Sender, QTreeWidgetItem* aItem, bool& Enabled)> OnGetItemEnabled;
    /// Whether a row counts as enabled (always true without own drawing).
    bool ItemEnabled(QTreeWidgetItem* aItem);

    /// The row's rectangle in the view's coordinates (header included); empty for none.
    QRect ItemRect(QTreeWidgetItem* aItem) const;
    /// The items in list order.
    QList<QTreeWidgetItem*> Items() const;
    int ItemCount() const { return topLevelItemCount(); }
    QTreeWidgetItem* Item(int aIndex) const { return topLevelItem(aIndex); }
    int IndexOf(QTreeWidgetItem* aItem) const { return indexOfTopLevelItem(aItem); }

Q_SIGNALS:
    /// The user changed a column's width.
    void ColumnResized(int aColumn);
    /// The list scrolled (either direction).
    void Scrolled();

protected:
    /// No editing of a row that is gone or not editable (a click's delayed edit may arrive
    /// after the rows were filled anew).
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    bool m_ownerDrawItems = false;
};
