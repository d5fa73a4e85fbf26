#pragma once

#include <QList>
#include <QString>

#include <functional>

/// One item of a component's design popup menu: where it sorts (Order), its name (a Boolean
/// property's name for the items that switch one), its numbered text and caption ("-" for a
/// separator), its check mark and state, and what a click does.
struct TppPopupMenuItem {
    int Order = 0;
    QString Name;
    int LanguageId = 0;
    QString Caption;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    std::function<void()> OnClick;
    bool IsSeparator() const { return Caption == QLatin1String("-"); }
};

/// The design popup menu a component builds (CreatePopupMenu) and prepares before it shows
/// (PopupMenuPopup). Items keep the order of their Order values, in the order added within one
/// value; the designer turns them into the entries of its own TppPopupMenu (a menu widget).
class TppPopupMenuItems {
public:
    /// Adds an item (caption "-" for a separator) and answers it.
    TppPopupMenuItem& AddItem(int aOrder, const QString& aName, int aLanguageId, const QString& aCaption);
    /// The item of that name; none when absent.
    TppPopupMenuItem* ItemByName(const QString& aName);
    int Count() const { return int(m_items.size()); }
    const TppPopupMenuItem& Items(int aIndex) const { return m_items.at(aIndex); }
    QStringList Names() const;

private:
    QList<TppPopupMenuItem> m_items;
};
