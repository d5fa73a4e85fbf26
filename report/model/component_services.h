#pragma once

#include "report/page/class_library.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class TppCommunicator;
class TppCustomReport;

namespace report {
/// Makes a component of a class for a report when a designer is attached (the designer's
/// own creation, which also places the component); installed by the designer. Answers the
/// component, or none to leave the creation to ppCreateComponent.
using DesignerComponentCreator = std::function<TComponent*(TppCustomReport* aReport, TClass aClass)>;
/// Installs the creator; answers the previous one.
DesignerComponentCreator SetDesignerComponentCreator(DesignerComponentCreator aCreator);
}  // namespace report

/// A new report component of aClass for the report of aCommunicator (the report itself, or
/// the report a band or component belongs to): made by the attached designer when there is
/// one, otherwise owned by the report's owner (the report without one). Its component name
/// ("ppLabel1") and user name ("Label1") take the first number free in that owner. None
/// when the class cannot be made.
TComponent* ppCreateComponent(TppCommunicator* aCommunicator, TClass aClass);

/// The components of a class that a communicator can refer to (the components of its
/// owner, or of the communicator itself without one), by user name, sorted by it without
/// regard to case. Empty for no communicator.
class TppCommunicatorPickList {
public:
    TppCommunicatorPickList(TppCommunicator* aCommunicator, TClass aClass);

    int Count() const { return int(m_items.size()); }
    QString Names(int aIndex) const { return m_items.at(aIndex).first; }
    TppCommunicator* Objects(int aIndex) const { return m_items.at(aIndex).second; }
    /// The index of a user name (without regard to case); -1 when absent.
    int IndexOf(const QString& aName) const;
    QStringList Names() const;

private:
    QList<QPair<QString, TppCommunicator*>> m_items;
};
