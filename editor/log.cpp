#include "editor/log.h"

Q_LOGGING_CATEGORY(lcEditor, "dossara.editor")
