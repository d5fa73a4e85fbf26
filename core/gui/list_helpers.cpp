#include "core/gui/list_helpers.h"

#include "core/settings_store.h"
#include "core/text_helpers.h"

#include "platform/db/table.h"

#include <QListWidget>
#include <QTreeWidget>

namespace core {

void LoadRegCheckList(const QString& section, const QString& key1, const QString& key2, QListWidget* list) {
    list->clear();
    for (const auto& [variable, value] : ReadRegGroup(section, key1, key2)) {
        auto* item = new QListWidgetItem(variable, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(TextToBool(value) ? Qt::Checked : Qt::Unchecked);
    }
}

void SaveRegCheckList(const QString& section, const QString& key1, const QString& key2, const QListWidget* list) {
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        WriteRegBool(section, key1, key2, item->text(), item->checkState() == Qt::Checked);
    }
}

void FillMaskListView(QTreeWidget* list, db::Table& maskLib) {
    list->clear();
    for (maskLib.First(); !maskLib.Eof(); maskLib.Next()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, maskLib.FieldByName(QStringLiteral("Name"))->AsString());
        item->setText(1, maskLib.FieldByName(QStringLiteral("Mask"))->AsString());
        item->setText(2, maskLib.FieldByName(QStringLiteral("Sample"))->AsString());
        item->setData(0, Qt::UserRole, maskLib.FieldByName(QStringLiteral("ID"))->Value());
    }
    if (list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
}

}  // namespace core
