#include "report/designer/gui/design_module.h"

#include "report/model/custom_report.h"
#include "report/model/reg_list.h"

TppRegList& ppGetDesignModuleList() {
    static TppRegList list;
    return list;
}

void ppRegisterDesignModule(const TppDesignModuleClass* aModuleClass, const QString& aDesignerClassName) {
    if (!aModuleClass || aDesignerClassName.isEmpty()) return;
    TppRegList& list = ppGetDesignModuleList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i).Name == aDesignerClassName && list.Items(i).Object == aModuleClass) return;
    list.AddObject(aDesignerClassName, aModuleClass);
}

void ppUnregisterDesignModule(const TppDesignModuleClass* aModuleClass, const QString& aDesignerClassName) {
    if (!aModuleClass || aDesignerClassName.isEmpty()) return;
    TppRegList& list = ppGetDesignModuleList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i).Name == aDesignerClassName && list.Items(i).Object == aModuleClass) {
            list.Delete(i);
            return;
        }
}

void ppGetDesignModules(const QString& aDesignerClassName, QList<const TppDesignModuleClass*>& aList) {
    const TppRegList& list = ppGetDesignModuleList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i).Name.compare(aDesignerClassName, Qt::CaseInsensitive) == 0)
            aList << static_cast<const TppDesignModuleClass*>(list.Items(i).Object);
}

void ppAddDesignModuleSubscriber(QObject* aSubscriber) {
    if (auto* s = qobject_cast<TppRegListSubscriber*>(aSubscriber)) ppGetDesignModuleList().AddSubscriber(s);
}

void ppRemoveDesignModuleSubscriber(QObject* aSubscriber) {
    if (auto* s = qobject_cast<TppRegListSubscriber*>(aSubscriber)) ppGetDesignModuleList().RemoveSubscriber(s);
}

TppComponentDesigner::TppComponentDesigner(QWidget* parent) : QMainWindow(parent) {
    m_subscriber = new TppRegListSubscriber(this);
    m_subscriber->OnChange = [this](QObject*) { DesignModulesChanged(); };
    ppAddDesignModuleSubscriber(m_subscriber);
}

TppComponentDesigner::~TppComponentDesigner() { ppRemoveDesignModuleSubscriber(m_subscriber); }

TppDesignModule::TppDesignModule(QWidget* aPage, TppComponentDesigner* aDesigner)
    : QObject(nullptr), m_page(aPage), m_designer(aDesigner) {}

void TppDesignModule::SetActive(bool aValue) {
    m_active = aValue;
    ActiveChanged();
}
