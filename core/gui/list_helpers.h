#pragma once

#include <QString>

class QListWidget;
class QTreeWidget;

namespace db {
class Table;
}

namespace core {

/// Clears the list and adds one checkable item per Variable of the settings group, in index
/// order, checked by TextToBool of its Value (no CRC check here).
void LoadRegCheckList(const QString& section, const QString& key1, const QString& key2, QListWidget* list);
/// Writes every item of the list back as a Boolean row (caption = Variable), in list order.
void SaveRegCheckList(const QString& section, const QString& key1, const QString& key2, const QListWidget* list);
/// Clears the list view and adds one item per row of the mask library table (MaskLib.db:
/// ID, Name, Mask, Sample) in table order: caption Name, columns Mask and Sample, the ID as
/// the item's data (Qt::UserRole of column 0); selects the first item.
void FillMaskListView(QTreeWidget* list, db::Table& maskLib);

}  // namespace core
