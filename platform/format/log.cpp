#include "platform/format/log.h"

Q_LOGGING_CATEGORY(lcFormat, "dossara.format")
