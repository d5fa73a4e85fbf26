#include "platform/base/log.h"

Q_LOGGING_CATEGORY(lcBase, "dossara.base")
