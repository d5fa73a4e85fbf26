#include "core/globals.h"

#include "platform/settings/registry.h"

#include <QFile>

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
