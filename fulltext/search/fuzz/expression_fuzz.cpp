// Feeds arbitrary text to the search-expression compiler: it must either compile or raise
// EExpression, and compiled code must always end with the end mark within the code limit.
#include "fulltext/search/ts_expression.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const fulltext::ExprCode code = fulltext::CompileExpression(source, fulltext::DefaultTokens());
        if (code.units.empty() || code.units.back() != fulltext::opEnd ||
            int(code.units.size()) > fulltext::ExprCode::kMaxCode)
            std::abort();
        (void)fulltext::CodeText(code);
    } catch (const EExpression& e) {
        if (e.Position() < 1 || e.Position() > source.size() + 2) std::abort();
    }
    return 0;
}
