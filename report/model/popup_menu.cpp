#include "report/model/popup_menu.h"

#include <QStringList>

TppPopupMenuItem& TppPopupMenuItems::AddItem(int aOrder, const QString& aName, int aLanguageId, const QString& aCaption) {
    int at = 0;
    while (at < m_items.size() && m_items.at(at).Order <= aOrder) ++at;
    TppPopupMenuItem item;
    item.Order = aOrder;
    item.Name = aName;
    item.LanguageId = aLanguageId;
    item.Caption = aCaption;
    m_items.insert(at, item);
    return m_items[at];
}

TppPopupMenuItem* TppPopupMenuItems::ItemByName(const QString& aName) {
    for (TppPopupMenuItem& item : m_items)
        if (item.Name == aName) return &item;
    return nullptr;
}

QStringList TppPopupMenuItems::Names() const {
    QStringList names;
    for (const TppPopupMenuItem& item : m_items) names << item.Name;
    return names;
}
