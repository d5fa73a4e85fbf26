#pragma once

#include "report/model/reg_list.h"
#include "report/page/class_library.h"

#include "platform/base/exception.h"

#include <QString>

#include <functional>

/// Registering or unregistering a component class failed (no palette registry installed).
class EComponentError : public base::Exception {
public:
    explicit EComponentError(QString message) : base::Exception(std::move(message), 0, 0) {}
};

/// One registration of a component class on the designer's palettes.
struct TppRegComponent {
    TClass ComponentClass = nullptr;
    QString Palette;      ///< "Standard Components", "Data Components" or "Advanced Components"
    int Position = 0;     ///< place on the palette, from 0
    int HintNumber = 0;   ///< numbered text of the button's hint; 0: HintText
    QString HintText;
    int Module = 0;       ///< module holding the glyph; 0 = the program
};

/// The palette registry: class name → TppRegComponent (owned by the registry), in the order
/// registered. Created on first use; subscribers hear of every change.
TppRegList& ppGetComponentRegList();
/// The registration of a class name; null when absent.
const TppRegComponent* ppFindRegComponent(const QString& aClassName);

using TppRegisterComponentHook =
    std::function<void(TClass aClass, const QString& aPalette, int aPosition, int aHintNumber, const QString& aHintText, int aModule)>;
using TppUnregisterComponentHook = std::function<void(TClass aClass)>;

/// The report core's routines; they forward to the installed hooks and raise EComponentError
/// "Unable to register component classes." / "Unable to unregister component classes." when
/// none is installed.
void ppRegisterPaletteComponent(TClass aClass, const QString& aPalette, int aPosition, int aNumber,
                                const QString& aHintText, int aHintNumber);
void ppUnregisterPaletteComponent(TClass aClass);
/// Whether the designer's registry hooks are installed.
bool ppPaletteHooksInstalled();
void ppSetPaletteHooks(TppRegisterComponentHook aRegister, TppUnregisterComponentHook aUnregister);

/// The registry's routines installed as the hooks: a class registered again replaces its
/// entry (which moves to the end); both keep the class's streaming registration in step.
void DoRegisterComponentClass(TClass aClass, const QString& aPalette, int aPosition, int aHintNumber,
                              const QString& aHintText, int aModule);
void DoUnregisterComponentClass(TClass aClass);

namespace report {
/// Installs the registry's hooks (start-up); the second removes them and frees the registry.
void InstallPaletteRegistry();
void RemovePaletteRegistry();
}  // namespace report
