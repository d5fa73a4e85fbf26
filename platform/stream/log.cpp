#include "platform/stream/log.h"

Q_LOGGING_CATEGORY(lcStream, "dossara.stream")
