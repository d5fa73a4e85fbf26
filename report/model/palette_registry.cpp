#include "report/model/palette_registry.h"

#include "platform/stream/class_registry.h"

#include <memory>
#include <vector>

namespace {

struct Registry {
    TppRegList list;
    std::vector<std::unique_ptr<TppRegComponent>> entries;  ///< the list's objects
};

std::unique_ptr<Registry>& registry() {
    static std::unique_ptr<Registry> r;
    return r;
}

Registry& ensureRegistry() {
    if (!registry()) registry() = std::make_unique<Registry>();
    return *registry();
}

TppRegisterComponentHook& registerHook() {
    static TppRegisterComponentHook h;
    return h;
}

TppUnregisterComponentHook& unregisterHook() {
    static TppUnregisterComponentHook h;
    return h;
}

void freeEntry(Registry& r, int index) {
    const void* object = r.list.Items(index).Object;
    r.list.Delete(index);
    std::erase_if(r.entries, [&](const std::unique_ptr<TppRegComponent>& e) { return e.get() == object; });
}

}  // namespace

TppRegList& ppGetComponentRegList() { return ensureRegistry().list; }

const TppRegComponent* ppFindRegComponent(const QString& aClassName) {
    if (!registry()) return nullptr;
    const int i = registry()->list.IndexOf(aClassName);
    return i < 0 ? nullptr : static_cast<const TppRegComponent*>(registry()->list.Items(i).Object);
}

void ppRegisterPaletteComponent(TClass aClass, const QString& aPalette, int aPosition, int aNumber,
                                const QString& aHintText, int aHintNumber) {
    Q_UNUSED(aNumber);
    if (!registerHook()) throw EComponentError(QStringLiteral("Unable to register component classes."));
    registerHook()(aClass, aPalette, aPosition, aHintNumber, aHintText, 0);
}

void ppUnregisterPaletteComponent(TClass aClass) {
    if (!unregisterHook()) throw EComponentError(QStringLiteral("Unable to unregister component classes."));
    unregisterHook()(aClass);
}

bool ppPaletteHooksInstalled() { return bool(registerHook()) && bool(unregisterHook()); }

void ppSetPaletteHooks(TppRegisterComponentHook aRegister, TppUnregisterComponentHook aUnregister) {
    registerHook() = std::move(aRegister);
    unregisterHook() = std::move(aUnregister);
}

void DoRegisterComponentClass(TClass aClass, const QString& aPalette, int aPosition, int aHintNumber,
                              const QString& aHintText, int aModule) {
    if (!aClass) return;
    Registry& r = ensureRegistry();
    const QString name = QString::fromLatin1(aClass->className());
    const int existing = r.list.IndexOf(name);
    if (existing >= 0) {
        freeEntry(r, existing);
        report::UnRegisterClass(aClass);
    }
    auto entry = std::make_unique<TppRegComponent>();
    entry->ComponentClass = aClass;
    entry->Palette = aPalette;
    entry->Position = aPosition;
    entry->HintNumber = aHintNumber;
    entry->HintText = aHintText;
    entry->Module = aModule;
    report::RegisterClass(aClass);
    const TppRegComponent* raw = entry.get();
    r.entries.push_back(std::move(entry));
    r.list.AddObject(name, raw);
}

void DoUnregisterComponentClass(TClass aClass) {
    if (!aClass) return;
    report::UnRegisterClass(aClass);
    if (!registry()) return;
    const int i = registry()->list.IndexOf(QString::fromLatin1(aClass->className()));
    if (i >= 0) freeEntry(*registry(), i);
}

namespace report {

void InstallPaletteRegistry() { ppSetPaletteHooks(DoRegisterComponentClass, DoUnregisterComponentClass); }

void RemovePaletteRegistry() {
    ppSetPaletteHooks({}, {});
    registry().reset();
}

}  // namespace report
