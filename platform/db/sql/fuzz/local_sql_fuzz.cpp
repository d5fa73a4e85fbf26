// Feeds arbitrary bytes to the local-SQL translator: it must answer a translation or an
// error with a position, never crash or hang.
#include "platform/db/sql/local_sql.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    auto r = db::sql::TranslateLocalSql(text);
    if (r.ok()) (void)r.value().text.size();
    return 0;
}
