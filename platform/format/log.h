#pragma once

#include <QLoggingCategory>

/// Logging of the format layer ("dossara.format").
Q_DECLARE_LOGGING_CATEGORY(lcFormat)
