#pragma once

// The right-click menus of report components and bands on the Design page. Items are
// ordered by an order number and then by name; a top-level item named after a published
// Boolean property of the object the menu is prepared for shows that property's value as a
// check mark and toggles it. Menus are cached per class by the report (GetPopupMenu) and
// prepared for the clicked object each time they pop up.

#include <QMenu>
#include <QPointer>
#include <QStringList>

#include <functional>

class TppBand;
class TppComponent;

class TppPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit TppPopupMenu(QWidget* owner = nullptr);

    int LanguageIndex() const { return m_languageIndex; }
    virtual void SetLanguageIndex(int aIndex) { m_languageIndex = aIndex; }
    /// Adds an item (see the file comment); none when an item of that name exists. A caption
    /// "-" with languageId 0 makes a separator. The item keeps languageId as its "Tag".
    QAction* AddItem(int aOrder, const QString& aName, int aLanguageId, const QString& aCaption = {});
    /// The item of that name, or none.
    QAction* ItemByName(const QString& aName) const;
    /// Binds the menu to the object: items named after its Boolean properties show and
    /// toggle them; other items are left as they are.
    void SetComponent(QObject* aObject);
    QObject* Component() const { return m_component; }
    /// The item names in menu order.
    QStringList ItemNames() const;

private:
    QStringList m_keys;  ///< sorted without regard to case
    int m_languageIndex = 0;
    QPointer<QObject> m_component;
};

class TppBandPopupMenu : public TppPopupMenu {
    Q_OBJECT
public:
    using TppPopupMenu::TppPopupMenu;
};

namespace report {

/// The design pop-up menu of a component or band from its report's cache (built on a miss)
/// prepared for that object: Boolean items checked from it, the other items bound to its
/// commands; an item whose dialog comes from the dialog registry is enabled only while a
/// form is registered for it. None for an object without report.
TppPopupMenu* DesignPopupMenu(QObject* aObject);

/// Builds the design pop-up menu of the object's class (not cached).
TppPopupMenu* CreateDesignPopupMenu(QObject* aObject);

}  // namespace report
