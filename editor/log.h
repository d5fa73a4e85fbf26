#pragma once

#include <QLoggingCategory>

/// Logging category of the settings-table editor, "dossara.editor".
Q_DECLARE_LOGGING_CATEGORY(lcEditor)
