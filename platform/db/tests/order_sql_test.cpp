#include "platform/db/internal/order_sql.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using db::internal::OrderSql;

/// An order over "A" and "B" of row table "t" (the select reads rowid and both).
OrderSql order(bool descending) {
    OrderSql o;
    o.SetOrder(QStringLiteral("SELECT rowid, \"A\", \"B\" FROM \"t\""), QStringLiteral("\"t\""),
               {QStringLiteral("\"A\""), QStringLiteral("\"B\" COLLATE DOSSARA_NOCASE")}, descending);
    return o;
}

QString texts(const std::vector<db::internal::SqlQuery>& queries) {
    QStringList lines;
    for (const auto& q : queries) lines << q.Text();
    return lines.join(u'\n');
}

TEST(OrderSql, walks_beyond_a_position_with_one_comparison_or_index_segments) {
    const OrderSql asc = order(false);
    // after a key without nulls: one row-value comparison
    EXPECT_EQ(texts(asc.Beyond(true, {1, QStringLiteral("x"), 7}, false)),
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE (\"A\",\"B\" COLLATE DOSSARA_NOCASE,rowid) > (?,?,?)"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT ? | 1, 'x', 7");
    // before a key: segments from the last field to the first, nulls after the values below
    EXPECT_EQ(texts(asc.Beyond(false, {1, QStringLiteral("x"), 7}, false)),
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ? AND \"B\" COLLATE DOSSARA_NOCASE = ? AND rowid < ?"
              " ORDER BY \"A\" DESC, \"B\" COLLATE DOSSARA_NOCASE DESC, rowid DESC LIMIT ? | 1, 'x', 7\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ? AND \"B\" COLLATE DOSSARA_NOCASE < ?"
              " ORDER BY \"A\" DESC, \"B\" COLLATE DOSSARA_NOCASE DESC, rowid DESC LIMIT ? | 1, 'x'\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ? AND \"B\" COLLATE DOSSARA_NOCASE IS NULL"
              " ORDER BY \"A\" DESC, \"B\" COLLATE DOSSARA_NOCASE DESC, rowid DESC LIMIT ? | 1\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" < ?"
              " ORDER BY \"A\" DESC, \"B\" COLLATE DOSSARA_NOCASE DESC, rowid DESC LIMIT ? | 1\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" IS NULL"
              " ORDER BY \"A\" DESC, \"B\" COLLATE DOSSARA_NOCASE DESC, rowid DESC LIMIT ?");
    // after a key with a null: nothing lies between null and the values above it
    EXPECT_EQ(texts(asc.Beyond(true, {QVariant(), QStringLiteral("x"), 7}, false)),
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" IS NULL AND \"B\" COLLATE DOSSARA_NOCASE = ? AND rowid > ?"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT ? | 'x', 7\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" IS NULL AND \"B\" COLLATE DOSSARA_NOCASE > ?"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT ? | 'x'\n"
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" IS NOT NULL"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT ?");
    // a descending order walks forward as an ascending one walks back
    const OrderSql desc = order(true);
    EXPECT_EQ(desc.Beyond(true, {1, QStringLiteral("x"), 7}, false).size(), 5u);
    EXPECT_EQ(desc.Beyond(false, {1, QStringLiteral("x"), 7}, true).size(), 1u);
}

TEST(OrderSql, ranges_prefix_every_statement_and_their_values_come_first) {
    OrderSql o = order(false);
    o.SetRange({5}, {5});
    EXPECT_TRUE(o.HasRange());
    EXPECT_EQ(o.FromEnd(true).Text(), "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ?"
                                      " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT ? | 5");
    EXPECT_EQ(o.Count(nullptr).Text(), "SELECT count(*) FROM \"t\" WHERE \"A\" = ? | 5");
    o.SetRange({1, QStringLiteral("a")}, {3});
    EXPECT_EQ(o.AnyRow().Text(),
              "SELECT 1 FROM \"t\" WHERE (\"A\",\"B\" COLLATE DOSSARA_NOCASE) >= (?,?) AND (\"A\" <= ? OR \"A\" IS NULL)"
              " LIMIT 1 | 1, 'a', 3");
    const QVariantList key{2, QVariant(), 9};
    EXPECT_EQ(o.Count(&key).Text(),
              "SELECT count(*) FROM \"t\" WHERE (\"A\",\"B\" COLLATE DOSSARA_NOCASE) >= (?,?) AND (\"A\" <= ? OR \"A\" IS NULL)"
              " AND ((\"A\" < ? OR \"A\" IS NULL) OR (\"A\" = ? AND (0 OR (\"B\" COLLATE DOSSARA_NOCASE IS NULL AND"
              " ((rowid < ? OR rowid IS NULL) OR (rowid = ? AND 0)))))) | 1, 'a', 3, 2, 2, 9, 9");
    o.ClearRange();
    EXPECT_EQ(o.RowInRange(4).Text(), "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE rowid = ? | 4");
}

TEST(OrderSql, seeks_are_kept_per_shape_of_key_and_take_the_values_given) {
    OrderSql o = order(false);
    EXPECT_EQ(o.Seek(false, {1, QStringLiteral("x")}).Text(),
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ? AND \"B\" COLLATE DOSSARA_NOCASE = ?"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT 1 | 1, 'x'");
    // the same shape again: the same statement with the new values
    EXPECT_EQ(o.Seek(false, {2, QStringLiteral("y")}).binds, (QVariantList{2, QStringLiteral("y")}));
    EXPECT_EQ(o.Seek(false, {QVariant(), QStringLiteral("y")}).Text(),
              "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" IS NULL AND \"B\" COLLATE DOSSARA_NOCASE = ?"
              " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT 1 | 'y'");
    EXPECT_EQ(o.Seek(true, {3}).Text(), "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" >= ?"
                                        " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT 1 | 3");
    // a range set afterwards reaches the kept seeks as well
    o.SetRange({3}, {3});
    EXPECT_EQ(o.Seek(true, {3}).Text(), "SELECT rowid, \"A\", \"B\" FROM \"t\" WHERE \"A\" = ? AND \"A\" >= ?"
                                        " ORDER BY \"A\" ASC, \"B\" COLLATE DOSSARA_NOCASE ASC, rowid ASC LIMIT 1 | 3, 3");
}

}  // namespace
