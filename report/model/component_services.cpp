#include "report/model/component_services.h"

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"

#include <QStringList>

#include <algorithm>

namespace report {

namespace {
DesignerComponentCreator& installedCreator() {
    static DesignerComponentCreator creator;
    return creator;
}
}  // namespace

DesignerComponentCreator SetDesignerComponentCreator(DesignerComponentCreator aCreator) {
    DesignerComponentCreator old = std::move(installedCreator());
    installedCreator() = std::move(aCreator);
    return old;
}

}  // namespace report

namespace {

TppCustomReport* reportOf(TppCommunicator* aCommunicator) {
    if (auto* r = qobject_cast<TppCustomReport*>(aCommunicator)) return r;
    if (auto* b = qobject_cast<TppBand*>(aCommunicator)) return b->Report();
    if (auto* c = qobject_cast<TppComponent*>(aCommunicator)) return c->Band() ? c->Band()->Report() : nullptr;
    return nullptr;
}

}  // namespace

TComponent* ppCreateComponent(TppCommunicator* aCommunicator, TClass aClass) {
    if (!aCommunicator || !aClass) return nullptr;
    TppCustomReport* report = reportOf(aCommunicator);
    if (report && report->ReportDesigner() && report::installedCreator())
        if (TComponent* made = report::installedCreator()(report, aClass)) return made;
    TComponent* owner = report ? report->Owner() : aCommunicator->Owner();
    if (!owner) owner = report ? static_cast<TComponent*>(report) : static_cast<TComponent*>(aCommunicator);
    QObject* created = aClass->newInstance(Q_ARG(TComponent*, owner));
    auto* component = qobject_cast<TComponent*>(created);
    if (!component) {
        delete created;
        return nullptr;
    }
    if (auto* communicator = qobject_cast<TppCommunicator*>(component)) {
        QString name;
        communicator->GetDefaultName(communicator, name);
        communicator->SetName(name);
        QString userName;
        communicator->GetDefaultUserName(communicator, userName);
        communicator->SetUserName(userName);
    }
    return component;
}

TppCommunicatorPickList::TppCommunicatorPickList(TppCommunicator* aCommunicator, TClass aClass) {
    if (!aCommunicator || !aClass) return;
    const QObject* scope = aCommunicator->Owner() ? static_cast<QObject*>(aCommunicator->Owner()) : aCommunicator;
    for (QObject* child : scope->children()) {
        auto* c = qobject_cast<TppCommunicator*>(child);
        if (!c || !c->metaObject()->inherits(aClass)) continue;
        m_items.append({c->UserName().isEmpty() ? c->objectName() : c->UserName(), c});
    }
    std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
}

int TppCommunicatorPickList::IndexOf(const QString& aName) const {
    for (int i = 0; i < Count(); ++i)
        if (m_items.at(i).first.compare(aName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QStringList TppCommunicatorPickList::Names() const {
    QStringList out;
    for (const auto& item : m_items) out << item.first;
    return out;
}
