#pragma once

#include <QLoggingCategory>

/// Category of the rich-text layer: "dossara.richtext".
Q_DECLARE_LOGGING_CATEGORY(lcRichText)
