// The reserved words of the SQL dialects.

#include "report/data/reserved_words.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

constexpr TppDatabaseType kAll[] = {
    TppDatabaseType::dtAdvantage, TppDatabaseType::dtInterBase, TppDatabaseType::dtMSAccess,
    TppDatabaseType::dtMSSQLServer, TppDatabaseType::dtSybaseASE, TppDatabaseType::dtSybaseASA,
    TppDatabaseType::dtOracle, TppDatabaseType::dtParadox, TppDatabaseType::dtDBISAM, TppDatabaseType::dtOther,
};

TEST(ReservedWords, each_type_has_its_list_of_the_printed_size) {
    struct Case {
        TppDatabaseType type;
        int size;
        const char* first;
        const char* last;
    };
    static const Case cases[] = {
        {TppDatabaseType::dtAdvantage, 215, "ACTIVE", "YEAR"},    {TppDatabaseType::dtParadox, 215, "ACTIVE", "YEAR"},
        {TppDatabaseType::dtDBISAM, 215, "ACTIVE", "YEAR"},       {TppDatabaseType::dtOther, 215, "ACTIVE", "YEAR"},
        {TppDatabaseType::dtInterBase, 268, "ACTION", "WRITE"},   {TppDatabaseType::dtMSAccess, 120, "ADD", "YESNO"},
        {TppDatabaseType::dtMSSQLServer, 199, "ADD", "WRITETEXT"}, {TppDatabaseType::dtSybaseASE, 182, "ACTIVATION", "WRITETEXT"},
        {TppDatabaseType::dtSybaseASA, 201, "ADD", "WRITETEXT"},  {TppDatabaseType::dtOracle, 279, "ACCESS", "WRITE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        const QStringList& words = daGetReservedWords(c.type);
        ASSERT_EQ(words.size(), c.size);
        EXPECT_EQ(words.first(), c.first);
        EXPECT_EQ(words.last(), c.last);
        // Kept as printed: every entry is a non-empty upper-case word without blanks, none twice.
        EXPECT_EQ(QSet<QString>(words.begin(), words.end()).size(), c.size);
        for (const QString& w : words) EXPECT_TRUE(!w.isEmpty() && w == w.toUpper() && !w.contains(u' ')) << w.toStdString();
    }
}

TEST(ReservedWords, each_type_keeps_its_own_list_across_requests) {
    EXPECT_EQ(&daGetReservedWords(TppDatabaseType::dtOracle), &daGetReservedWords(TppDatabaseType::dtOracle));
    EXPECT_NE(&daGetReservedWords(TppDatabaseType::dtParadox), &daGetReservedWords(TppDatabaseType::dtOther));
}

TEST(ReservedWords, membership_ignores_case_but_not_blanks) {
    struct Case {
        const char* word;
        std::initializer_list<TppDatabaseType> reservedFor;
    };
    using D = TppDatabaseType;
    const Case cases[] = {
        {"LINENO", {D::dtMSSQLServer, D::dtSybaseASE}},
        {"lineno", {D::dtMSSQLServer, D::dtSybaseASE}},
        {"COUNTER", {D::dtMSAccess}},
        {"ROWNUM", {D::dtOracle}},
        {"Top", {D::dtMSAccess, D::dtMSSQLServer, D::dtSybaseASA}},
        {"MAXINISTANCES", {D::dtOracle}},
        {"MAXINSTANCES", {}},
        {"BLOBEDI", {D::dtInterBase}},
        {"group_commit_", {D::dtInterBase}},
        {"LEV", {D::dtInterBase}},
        {"MENT", {D::dtInterBase}},
        {"ByByte", {D::dtMSAccess}},
        {"RDB$DB_KEY", {D::dtAdvantage, D::dtInterBase, D::dtParadox, D::dtDBISAM, D::dtOther}},
        {"DATE", {D::dtAdvantage, D::dtInterBase, D::dtMSAccess, D::dtSybaseASA, D::dtOracle, D::dtParadox,
                  D::dtDBISAM, D::dtOther}},
        {" DATE", {}},
        {"DATE ", {}},
        {"", {}},
        {"Maintainer", {}},
        {"NodeName", {}},
    };
    for (const Case& c : cases) {
        for (D type : kAll) {
            SCOPED_TRACE(QStringLiteral("'%1' type %2").arg(c.word).arg(int(type)).toStdString());
            const bool expected = std::find(c.reservedFor.begin(), c.reservedFor.end(), type) != c.reservedFor.end();
            EXPECT_EQ(daIsReservedWord(c.word, type), expected);
        }
    }
}

TEST(ReservedWords, select_in_any_case_is_reserved_everywhere) {
    for (TppDatabaseType type : kAll)
        for (const char* w : {"select", "Select", "SELECT"}) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(w).arg(int(type)).toStdString());
            EXPECT_TRUE(daIsReservedWord(w, type));
        }
}

TEST(ReservedWords, the_engine_sql_and_unknown_types_answer_alike) {
    for (const QString& w : daGetReservedWords(TppDatabaseType::dtOracle))
        EXPECT_EQ(daIsReservedWord(w, TppDatabaseType::dtParadox), daIsReservedWord(w, TppDatabaseType::dtOther));
    EXPECT_EQ(daGetReservedWords(TppDatabaseType::dtParadox), daGetReservedWords(TppDatabaseType::dtOther));
}

}  // namespace
