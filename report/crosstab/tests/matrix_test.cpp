// The matrix: how it grows, which cell each new position gets, and what cells read back.

#include "report/crosstab/crosstab_engine.h"
#include "report/crosstab/matrix.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

TEST(CrossTabMatrix, new_columns_and_rows_get_caption_cells_and_cells_of_their_value_type) {
    TppMatrix m;
    m.HeaderRowCount = 2;
    m.HeaderColumnCount = 1;
    m.AddColumns(2, TppDataType::dtCurrency);
    EXPECT_EQ(crosstab::MatrixText(m), "2 columns, 3 rows, 2 caption rows, 1 caption columns\n"
                                       ". | .\n. | .\n. | .\n");
    EXPECT_EQ(m.DataType(0, 2), TppDataType::dtString);
    EXPECT_EQ(m.DataType(1, 1), TppDataType::dtString);
    EXPECT_EQ(m.DataType(1, 2), TppDataType::dtCurrency);

    m.AddRows(1, TppDataType::dtInteger);
    EXPECT_EQ(m.DataType(1, 3), TppDataType::dtInteger);
    m.SetElementIndex(1, 2, 7);
    // A column inserted at the first data column copies the types of the column after it.
    m.InsertColumns(1, 1, TppDataType::dtBoolean);
    EXPECT_EQ(m.ColumnCount(), 3);
    EXPECT_EQ(m.DataType(1, 2), TppDataType::dtCurrency);
    EXPECT_EQ(m.GetElementIndex(1, 2), 7);
    EXPECT_EQ(m.DataType(1, 3), TppDataType::dtInteger);

    m.InsertTotalColumn(3, 0, TppDataType::dtInteger, QStringLiteral("1999"), QStringLiteral("1999 Subtotal"), true);
    EXPECT_TRUE(m.IsTotalColumn(3));
    EXPECT_FALSE(m.IsTotalColumn(2));
    EXPECT_EQ(m.Level(3, 0), 0);
    EXPECT_EQ(m.Caption(3, 1), "1999 Subtotal");
    EXPECT_EQ(m.FirstTotalLabelRow(3), 0);
    EXPECT_EQ(m.NextNonTotalColumn(3), 4);
    m.InsertTotalRow(4, -1, 1, TppDataType::dtExtended, QString(), QStringLiteral("Total"), QStringLiteral("Sum"), false);
    EXPECT_TRUE(m.IsTotalRow(4));
    EXPECT_EQ(m.ValueIndex(0, 4), 1);
    EXPECT_EQ(m.ValueCaption(0, 4), "Sum");
    EXPECT_EQ(m.DataType(1, 4), TppDataType::dtExtended);
    EXPECT_EQ(m.FirstTotalLabelColumn(4), 0);
}

TEST(CrossTabMatrix, growing_an_empty_matrix_makes_one_column_first) {
    TppMatrix m;
    m.AddRows(1, TppDataType::dtInteger);
    EXPECT_EQ(m.ColumnCount(), 1);
    EXPECT_EQ(m.RowCount(), 1);
    EXPECT_FALSE(m.IsTotalRow(0));  // without caption columns no row is a total row
    TppMatrix n;
    n.InsertRows(0, 2, TppDataType::dtDouble);
    EXPECT_EQ(n.ColumnCount(), 1);
    EXPECT_EQ(n.RowCount(), 2);
}

TEST(CrossTabMatrix, cells_read_back_what_was_set_in_their_own_type) {
    struct Case {
        TppDataType type;
        QVariant set;
        QString reads;
    };
    const Case cases[] = {
        {TppDataType::dtInteger, QVariant(2.5), "2"},  // a half goes to the even neighbour
        {TppDataType::dtInteger, QVariant(3.5), "4"},
        {TppDataType::dtInteger, QVariant(qlonglong(6000000000LL)), "6000000000"},
        {TppDataType::dtExtended, QVariant(1.5), "1.5"},
        {TppDataType::dtCurrency, QVariant(12.34), "12.3400"},
        {TppDataType::dtBoolean, QVariant(true), "True"},
        {TppDataType::dtDateTime, QVariant(QDateTime(QDate(2000, 1, 1), QTime(3, 30))), "2000-01-01T03:30:00"},
        {TppDataType::dtString, QVariant(5), "5"},
        {TppDataType::dtString, QVariant(QStringLiteral("West")), "\"West\""},
    };
    for (const Case& c : cases) {
        auto cell = ppCreateCellValue(c.type);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(cell->Empty);
        cell->SetValue(c.set);
        QVariant v;
        cell->GetValue(v);
        EXPECT_EQ(crosstab::ValueText(v), c.reads) << crosstab::ValueText(c.set).toStdString();
        EXPECT_FALSE(cell->Empty);
        EXPECT_FALSE(cell->IsNull);
    }
    // A fresh number cell reads 0 while it is null; a string cell reads "" until set.
    auto number = ppCreateCellValue(TppDataType::dtInteger);
    QVariant v;
    number->GetValue(v);
    EXPECT_EQ(v.toInt(), 0);
    EXPECT_TRUE(number->IsNull);
    TppStringCellValue text;
    text.GetValue(v);
    EXPECT_EQ(v, QVariant(QString()));
    text.SetValue(5);
    EXPECT_EQ(text.DataType(), TppDataType::dtInteger);
    text.SetValue(QVariant());
    text.GetValue(v);
    EXPECT_TRUE(crosstab::IsNull(v));
    EXPECT_EQ(ppCreateCellValue(TppDataType::dtMemo), nullptr);
    EXPECT_TRUE(ppCompatibleDataTypes(TppDataType::dtInteger, TppDataType::dtCurrency));
    EXPECT_TRUE(ppCompatibleDataTypes(TppDataType::dtDate, TppDataType::dtDateTime));
    EXPECT_FALSE(ppCompatibleDataTypes(TppDataType::dtString, TppDataType::dtInteger));
}

TEST(CrossTabMatrix, values_compare_with_only_a_to_z_folded) {
    struct Case {
        QVariant value;
        QVariant normalized;
    };
    const Case cases[] = {
        {QStringLiteral("east"), QStringLiteral("EAST")},
        {QStringLiteral("\u00e9t\u00e9 Stra\u00dfe"), QStringLiteral("\u00e9T\u00e9 STRA\u00dfE")},  // accented letters keep their form
        {QVariant(1999), QVariant(1999)},
        {QVariant(), QVariant()},
    };
    for (const Case& c : cases) EXPECT_EQ(crosstab::Normalize(c.value), c.normalized) << crosstab::ValueText(c.value).toStdString();
    EXPECT_EQ(crosstab::CompareKeys(crosstab::KeyOf(QStringLiteral("West")), crosstab::KeyOf(QStringLiteral("WEST"))), 0);
    EXPECT_NE(crosstab::CompareKeys(crosstab::KeyOf(QStringLiteral("\u00e9")), crosstab::KeyOf(QStringLiteral("\u00c9"))), 0);
    EXPECT_EQ(crosstab::CompareKeys(crosstab::KeyOf(QVariant(2)), crosstab::KeyOf(QVariant(2.0))), 0);
    EXPECT_LT(crosstab::CompareKeys(crosstab::KeyOf(QVariant(2)), crosstab::KeyOf(QVariant(10))), 0);
}

}  // namespace
