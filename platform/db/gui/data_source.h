#pragma once

// The data source lives in the table layer itself (it needs no widgets), so report pipelines
// follow a cursor through it too; the controls keep their name for it.
#include "platform/db/data_source.h"

namespace db::gui {
using DataSource = db::DataSource;
}  // namespace db::gui
