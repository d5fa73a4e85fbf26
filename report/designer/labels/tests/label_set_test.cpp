// Label stocks: the registry by printer type, the product lists, the definition parser (under
// any number settings, refusing definitions that do not hold together) and the application
// of a stock to a report.

#include "report/designer/labels/label_set.h"

#include "report/designer/labels/errors.h"
#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/page/printer_setup.h"
#include "report/page/units.h"

#include "platform/format/errors.h"
#include "platform/format/format_settings.h"

#include <gtest/gtest.h>

namespace {

class LabelSets : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterLabelSets();
    }
    void TearDown() override {
        report::UnRegisterLabelSets();
        report::SetScreenPixelsPerInch(0);
    }
};

QStringList names(const TppLabelSetList& aList) {
    QStringList out;
    for (const auto& entry : aList) out << entry.first;
    return out;
}

/// The index of a product in its set.
int indexOf(const TppLabelSet* aSet, const QString& aProduct) {
    for (int i = 0; i < aSet->GetDefinitionCount(); ++i)
        if (aSet->GetDefinitionText(i).section(u',', 1, 1) == aProduct) return i;
    return -1;
}

TEST_F(LabelSets, sets_are_listed_by_printer_type_in_registration_order) {
    TppLabelSetList sets;
    ppGetLabelSets(false, sets);
    EXPECT_EQ(names(sets), (QStringList{"Avery Standard", "Avery A4 and A5 sizes"}));
    ppGetLabelSets(true, sets);
    // Only the sets whose stocks are kept are offered.
    EXPECT_EQ(names(sets), (QStringList{"Avery Standard"}));
    EXPECT_EQ(TppAveryUKDotMatrixLabels::Class()->GetDefinitionCount(), 0);
    ppRegisterLabelSet(TppAveryStdLaserJetLabels::Class());  // listed already: no second entry
    ppGetLabelSets(false, sets);
    EXPECT_EQ(sets.size(), 2);
}

TEST_F(LabelSets, products_read_product_and_category_in_table_order) {
    TppLabelSetList products;
    ppGetLabelProducts(QStringLiteral("avery standard"), true, products);
    EXPECT_EQ(names(products), (QStringList{"4010 - Address", "4609 - Price Marking"}));
    ppGetLabelProducts(QStringLiteral("Avery A4 and A5 sizes"), true, products);  // a laser set
    EXPECT_TRUE(products.isEmpty());
    ppGetLabelProducts(QStringLiteral("Avery Standard"), false, products);
    EXPECT_EQ(products.size(), TppAveryStdLaserJetLabels::Class()->GetDefinitionCount());
    EXPECT_TRUE(names(products).contains("5160 - Address"));
    EXPECT_TRUE(names(products).contains("2160 - Mini - Address"));
}

TEST_F(LabelSets, every_shipped_definition_parses) {
    for (const TppLabelSet* set : {TppAveryStdLaserJetLabels::Class(), TppAveryA4A5LaserJetLabels::Class(),
                                   TppAveryStdDotMatrixLabels::Class()}) {
        ASSERT_GT(set->GetDefinitionCount(), 0);
        for (int i = 0; i < set->GetDefinitionCount(); ++i) {
            SCOPED_TRACE(set->GetDefinitionText(i).toStdString());
            TppLabelDefinition d;
            ASSERT_NO_THROW(set->ParseDefinition(i, d));
            EXPECT_EQ(d.Units, 1);
            EXPECT_GT(d.LabelWidth, 0);
            EXPECT_GT(d.LabelHeight, 0);
            EXPECT_LE(d.LabelWidth, d.PaperWidth + 0.01f);
            EXPECT_EQ(d.Orientation == 1, d.PaperWidth > d.PaperHeight || d.Product == "5309");
        }
    }
}

TEST_F(LabelSets, the_quoted_stocks_parse_alike_under_a_comma_decimal_point) {
    struct Case {
        const TppLabelSet* set;
        const char* product;
        float labelWidth, labelHeight, paperWidth, paperHeight, top, left, rowGap;
        int orientation, columns;
        std::vector<float> positions;
    };
    const Case cases[] = {
        {TppAveryStdLaserJetLabels::Class(), "5160", 2.63f, 1, 8.5f, 11, 0.5f, 0.19f, 0, 0, 3, {0.19f, 2.94f, 5.69f}},
        {TppAveryStdLaserJetLabels::Class(), "2160 - Mini", 2.63f, 1, 4.5f, 5, 0.5f, 0.81f, 0, 0, 0, {}},
        {TppAveryStdLaserJetLabels::Class(), "5165", 8.5f, 11, 8.5f, 11, 0, 0, 0, 0, 1, {0}},
        {TppAveryStdLaserJetLabels::Class(), "5309", 10, 2.5f, 11, 8.5f, 1.63f, 0.5f, 0, 1, 1, {0.5f}},
        {TppAveryA4A5LaserJetLabels::Class(), "L7163", 3.9f, 1.5f, 8.2708f, 11.6979f, 0.63f, 0.18f, 0, 0, 2, {0.18f, 4.18f}},
        // Landscape by the paper rule although its text says portrait.
        {TppAveryStdDotMatrixLabels::Class(), "4010", 3.5f, 0.94f, 4.25f, 1, 0, 0.38f, 0.06f, 1, 0, {}},
        {TppAveryStdDotMatrixLabels::Class(), "4609", 1.5f, 0.38f, 8.9f, 12, 0, 0.5f, 0.12f, 0, 5, {0.5f, 2.1f, 3.7f, 5.3f, 6.9f}},
    };
    format::FormatSettings comma;
    comma.decimalSeparator = QLatin1Char(',');
    comma.thousandSeparator = QLatin1Char('.');
    for (bool underComma : {false, true}) {
        std::optional<format::ScopedSettings> scoped;
        if (underComma) scoped.emplace(comma);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.product) + (underComma ? " under ','" : ""));
            const int index = indexOf(c.set, QString::fromLatin1(c.product));
            ASSERT_GE(index, 0);
            TppLabelDefinition d;
            c.set->ParseDefinition(index, d);
            EXPECT_EQ(d.SetName, c.set->GetSetName());
            EXPECT_EQ(d.DotMatrix, c.set->IsDotMatrix() ? 1 : 0);
            EXPECT_EQ(d.Product, c.product);
            EXPECT_FLOAT_EQ(d.LabelWidth, c.labelWidth);
            EXPECT_FLOAT_EQ(d.LabelHeight, c.labelHeight);
            EXPECT_FLOAT_EQ(d.PaperWidth, c.paperWidth);
            EXPECT_FLOAT_EQ(d.PaperHeight, c.paperHeight);
            EXPECT_FLOAT_EQ(d.Top, c.top);
            EXPECT_FLOAT_EQ(d.Left, c.left);
            EXPECT_FLOAT_EQ(d.RowGap, c.rowGap);
            EXPECT_EQ(d.Orientation, c.orientation);
            EXPECT_EQ(d.Columns, c.columns);
            for (size_t i = 0; i < c.positions.size(); ++i) EXPECT_FLOAT_EQ(d.ColumnPositions[i], c.positions[i]);
        }
        // The user's number settings are as they were.
        EXPECT_EQ(format::Settings().decimalSeparator, underComma ? QLatin1Char(',') : QLatin1Char('.'));
    }
}

TEST_F(LabelSets, definitions_that_do_not_hold_together_are_refused_and_nothing_is_taken) {
    struct Case {
        const char* text;
        bool conversion;  ///< the conversion error rather than the definition error
    };
    const Case cases[] = {
        {"Address,9999,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,3,0.19,2.94", false},            // 2 of 3 positions
        {"Address,9999,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,1,0.19,2.94", false},            // one too many
        {"Address,9999,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,12,1,2,3,4,5,6,7,8,9,10,11,12", false},  // 12 columns
        {"Address,9999,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,-1", false},
        {"Address,9999,2.63,1,8.5,11,0.5", false},
        {"Address,9999,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,9,0", false},  // no such unit
        {"Address,9999,2;63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,0", true},
        {"Address,9999,wide,1,8.5,11,0.5,0.25,0.19,0,0,0,1,0", true},
    };
    const TppLabelSet* set = TppAveryStdLaserJetLabels::Class();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TppLabelDefinition d;
        d.Product = QStringLiteral("before");
        if (c.conversion) EXPECT_THROW(set->ParseDefinitionText(QString::fromLatin1(c.text), d), format::EConvertError);
        else EXPECT_THROW(set->ParseDefinitionText(QString::fromLatin1(c.text), d), ELabelDefinitionError);
        EXPECT_EQ(d.Product, "before");
    }
    TppLabelDefinition d;
    EXPECT_THROW(set->ParseDefinition(set->GetDefinitionCount(), d), ELabelDefinitionError);
    // Eleven columns are the most a definition holds.
    EXPECT_NO_THROW(set->ParseDefinitionText(
        QStringLiteral("Mini,L4730,0.7,0.39,8.27,11.7,0.51,0.55,0.23,0.14,0,0,1,11,0,1,2,3,4,5,6,7,7.1,7.2,7.3"), d));
    EXPECT_FLOAT_EQ(d.ColumnPositions[10], 7.3f);
}

TEST_F(LabelSets, applying_a_stock_makes_the_report_a_label_sheet_in_its_own_unit) {
    TComponent owner;
    auto* report = new TppReport(&owner);
    report->SetUnits(TppUnitType::utMillimeters);
    report->CreateDefaultBands();
    ASSERT_NE(report->GetBand(TppBandType::btHeader), nullptr);
    const TppLabelSet* set = TppAveryStdLaserJetLabels::Class();
    TppLabelDefinition d;
    set->ParseDefinition(indexOf(set, QStringLiteral("5160")), d);
    TppLabelSet::ApplyDefinition(d, report);

    EXPECT_EQ(report->Units(), TppUnitType::utMillimeters);
    EXPECT_EQ(report->GetBand(TppBandType::btHeader), nullptr);
    EXPECT_EQ(report->GetBand(TppBandType::btFooter), nullptr);
    EXPECT_EQ(report->GetBand(TppBandType::btColumnHeader), nullptr);
    EXPECT_EQ(report->GetBand(TppBandType::btColumnFooter), nullptr);
    const TppPageDef* page = report->PrinterSetup()->PageDef();
    EXPECT_NEAR(page->mmWidth(), 215900, 2);
    EXPECT_NEAR(page->mmHeight(), 279400, 2);
    EXPECT_NEAR(page->mmMarginTop(), 12700, 2);
    EXPECT_NEAR(page->mmMarginBottom(), 6350, 2);
    EXPECT_NEAR(page->mmMarginLeft(), 4826, 2);
    EXPECT_EQ(report->PrinterSetup()->Orientation(), TPrinterOrientation::poPortrait);
    TppBand* detail = report->GetBand(TppBandType::btDetail);
    ASSERT_NE(detail, nullptr);
    EXPECT_NEAR(detail->mmHeight(), 25400, 2);
    EXPECT_EQ(detail->mmBottomOffset(), 0);
    EXPECT_EQ(report->Columns(), 3);
    EXPECT_NEAR(report->mmColumnWidth(), 66802, 2);
    ASSERT_EQ(report->mmColumnPositions().size(), 3);
    EXPECT_NEAR(report->mmColumnPositions().at(1).toInt(), 74676, 2);

    // One column leaves no positions.
    set->ParseDefinition(indexOf(set, QStringLiteral("5165")), d);
    TppLabelSet::ApplyDefinition(d, report);
    EXPECT_EQ(report->Columns(), 1);
    EXPECT_TRUE(report->ColumnPositions().isEmpty());
    EXPECT_EQ(report->Units(), TppUnitType::utMillimeters);
}

}  // namespace
