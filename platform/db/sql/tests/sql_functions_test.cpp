#include "platform/db/sql/sql_functions.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace db::sql {
namespace {

TEST(SqlFunctions, like_matches_wildcards_case_sensitively) {
    struct Case {
        const char* text;
        const char* pattern;
        char escape;
        bool matches;
    };
    static const Case kCases[] = {
        {"Abbot", "Ab%", 0, true},
        {"abbot", "Ab%", 0, false},
        {"ABBOT", "Ab%", 0, false},
        {"Abbot", "%bo_", 0, true},
        {"Abbot", "%bo__", 0, false},
        {"Abbot", "A%b%t", 0, true},
        {"Abbot", "%", 0, true},
        {"", "%", 0, true},
        {"", "_", 0, false},
        {"a%b", "a!%b", '!', true},
        {"axb", "a!%b", '!', false},
        {"a_b", "a!_%", '!', true},
        {"aab", "%ab", 0, true},
        {"mississippi", "%iss%ppi", 0, true},
        {"Größe", "GR%", 0, false},
        {"Größe", "Grö%", 0, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.text) + " LIKE " + c.pattern);
        EXPECT_EQ(LikeMatches(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern),
                              c.escape ? QChar(QLatin1Char(c.escape)) : QChar()),
                  c.matches);
    }
}

}  // namespace
}  // namespace db::sql
