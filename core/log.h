#pragma once

#include <QLoggingCategory>

/// The records manager's own logging category, "dossara.core".
Q_DECLARE_LOGGING_CATEGORY(lcCore)
