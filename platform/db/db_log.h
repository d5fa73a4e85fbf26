#pragma once

#include <QLoggingCategory>

/// Logging category of the table layer, "dossara.db".
Q_DECLARE_LOGGING_CATEGORY(lcDb)
