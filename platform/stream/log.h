#pragma once

#include <QLoggingCategory>

/// Logging of the component stream layer ("dossara.stream").
Q_DECLARE_LOGGING_CATEGORY(lcStream)
