#include "core/log.h"

Q_LOGGING_CATEGORY(lcCore, "dossara.core")
