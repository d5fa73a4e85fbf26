#include "core/gui/customize_hooks.h"

#include "core/gui/mask_wizard.h"
#include "core/gui/view_icon_list.h"
#include "core/main_data_mod.h"
#include "core/view_control.h"

#include <QImage>
#include <QPointer>

namespace core {

CustomizeHooks& Customize() {
    static CustomizeHooks hooks;
    return hooks;
}

void InstallCustomizeLibraries(TMainDataMod& data) {
    QPointer<TMainDataMod> module(&data);
    Customize().RunMaskWizard = [module](QChar type, const QString& initial, QWidget* parent) {
        if (!module) return QString();
        return RunMaskWizard(*module->MaskLibrary, type, initial, false, parent);
    };
    Customize().PickViewIcon = [module](int current, QImage& picture, QWidget* parent) {
        if (!module) return -1;
        return ShowViewIconPicker(ViewControl(), *module->IconLibrary, current, module->ViewImageLarge, picture, parent);
    };
}

}  // namespace core
