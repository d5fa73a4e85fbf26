#include "core/globals.h"

#include "platform/settings/registry.h"

TGlobals::TGlobals() = default;
TGlobals::~TGlobals() = default;

TGlobals& Globals() {
    static TGlobals globals;
    return globals;
}

TUserPrefs& UserPrefs() {
    static TUserPrefs prefs;
    return prefs;
}
