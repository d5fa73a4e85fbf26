#include "core/win_registry.h"

#include "core/globals.h"
#include "core/log.h"

#include "platform/settings/registry.h"

#include <exception>

namespace core {

namespace {

const QString kBaseKey = QStringLiteral("\\SOFTWARE\\Dossara\\");

settings::Registry& shared() {
    auto& registry = Globals().WinRegistry;
    if (!registry) registry = std::make_unique<settings::Registry>();
    return *registry;
}

/// Runs `body` on the open key, closing it afterwards; any failure answers `fallback`.
template <typename T, typename F>
T guarded(const QString& key, bool canCreate, T fallback, F&& body) {
    try {
        if (!OpenWinRegKey(key, RegistryRoot::CurrentUser, canCreate)) {
            CloseWinRegKey();
            return fallback;
        }
        T result = body(shared());
        CloseWinRegKey();
        return result;
    } catch (const std::exception& e) {
        qCInfo(lcCore) << "per-user registry access failed:" << e.what();
    } catch (...) {
        qCInfo(lcCore) << "per-user registry access failed";
    }
    try {
        CloseWinRegKey();
    } catch (...) {
    }
    return fallback;
}

}  // namespace

bool OpenWinRegKey(const QString& key, RegistryRoot root, bool canCreate) {
    (void)root;
    settings::Registry& registry = shared();
    registry.CloseKey();
    return registry.OpenKey(kBaseKey + key, canCreate);
}

void CloseWinRegKey() { shared().CloseKey(); }

QString ReadWinRegString(const QString& key, const QString& name, const QString& defaultValue) {
    return guarded(key, false, defaultValue,
                   [&](settings::Registry& r) { return r.ReadString(name, defaultValue); });
}

bool ReadWinRegBool(const QString& key, const QString& name, bool defaultValue) {
    return guarded(key, false, defaultValue, [&](settings::Registry& r) { return r.ReadBool(name, defaultValue); });
}

int ReadWinRegInt(const QString& key, const QString& name, int defaultValue) {
    return guarded(key, false, defaultValue, [&](settings::Registry& r) { return r.ReadInteger(name, defaultValue); });
}

bool WriteWinRegString(const QString& key, const QString& name, const QString& value) {
    return guarded(key, true, false, [&](settings::Registry& r) { return r.WriteString(name, value); });
}

bool WriteWinRegBool(const QString& key, const QString& name, bool value) {
    return guarded(key, true, false, [&](settings::Registry& r) { return r.WriteBool(name, value); });
}

bool WriteWinRegInt(const QString& key, const QString& name, int value) {
    return guarded(key, true, false, [&](settings::Registry& r) { return r.WriteInteger(name, value); });
}

}  // namespace core
