#pragma once

#include <QLoggingCategory>

/// One logging category per area, named "dossara.<area>". Each area declares its own with
/// Q_DECLARE_LOGGING_CATEGORY in one of its headers; the platform basics log under this one.
Q_DECLARE_LOGGING_CATEGORY(lcBase)
