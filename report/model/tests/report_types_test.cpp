#include "report/model/errors.h"
#include "report/page/report_types.h"
#include "testsupport/qt_printers.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportTypes, value_names_and_ordinals_are_those_templates_store) {
    static const struct {
        const report::EnumType& type;
        int count;
        int ordinal;
        const char* name;
    } cases[] = {
        {EnumTypeOf(TppUnitType{}), 5, 4, "utMMThousandths"},
        {EnumTypeOf(TppUnitType{}), 5, 0, "utScreenPixels"},
        {EnumTypeOf(TppDataType{}), 17, 16, "dtNotKnown"},
        {EnumTypeOf(TppDataType{}), 17, 12, "dtLongint"},
        {EnumTypeOf(TppLanguageType{}), 14, 7, "lgPortugueseBrazil"},
        {EnumTypeOf(TppShowComponent{}), 20, 19, "scVariable"},
        {EnumTypeOf(TppSearchOperatorType{}), 14, 13, "soNotBlank"},
        {EnumTypeOf(TppVarEventType{}), 12, 11, "veGroupBeforeFooter"},
        {EnumTypeOf(TppBarCodeType{}), 10, 9, "bcCodabar"},
        {EnumTypeOf(TppDatabaseType{}), 10, 7, "dtParadox"},
        {EnumTypeOf(TppRangeEndType{}), 4, 3, "reCount"},
        {EnumTypeOf(TppPageSettingType{}), 6, 5, "psPageRange"},
        {EnumTypeOf(TppOrvelOption{}), 6, 5, "roEditGlobals"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type.name.toStdString());
        EXPECT_EQ(c.type.values.size(), c.count);
        EXPECT_EQ(c.type.values.value(c.ordinal), QString::fromLatin1(c.name));
        EXPECT_EQ(report::FindEnumType(c.type.name), &c.type);
    }
    EXPECT_EQ(report::FindEnumType(QStringLiteral("tppunittype")), &EnumTypeOf(TppUnitType{}));
    EXPECT_EQ(report::FindEnumType(QStringLiteral("TppNoSuchType")), nullptr);
    EXPECT_EQ(report::ReportEnumTypes().size(), 31u);
    EXPECT_EQ(report::EnumName(TppUnitType::utMMThousandths), QStringLiteral("utMMThousandths"));
    EXPECT_EQ(report::EnumName(static_cast<TppUnitType>(9)), QString());
}

TEST(ReportTypes, calc_types_and_system_variable_types_name_the_same_texts) {
    const QStringList calc = EnumTypeOf(TppCalcType{}).values;
    const QStringList var = EnumTypeOf(TppVarType{}).values;
    ASSERT_EQ(var.size(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(calc.at(i).mid(2), var.at(i).mid(2)) << i;
    EXPECT_EQ(calc.at(9), QStringLiteral("ctCustom"));
}

TEST(ReportTypes, sets_hold_values_by_ordinal_and_name_them_in_order) {
    TppShowComponents shown{TppShowComponent::scVariable, TppShowComponent::scLabel};
    EXPECT_TRUE(shown.Contains(TppShowComponent::scVariable));
    EXPECT_FALSE(shown.Contains(TppShowComponent::scMemo));
    EXPECT_EQ(shown.Names(EnumTypeOf(TppShowComponent{}).values), QStringList({"scLabel", "scVariable"}));
    shown.Exclude(TppShowComponent::scLabel);
    EXPECT_EQ(shown.Bits(), 1u << 19);
}

TEST(ReportErrors, each_exception_carries_its_message_and_kind) {
    try {
        throw ETemplateLoadError(QStringLiteral("File not found: a.rtm"));
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("File not found: a.rtm"));
        EXPECT_EQ(e.Code(), report::kTemplateLoadError);
    }
    EXPECT_NE(EPrintError(QString()).Code(), ECodeError(QString()).Code());
}

}  // namespace

namespace {

// A stored object with one enumerated property, declared from the type's value names as
// the report classes declare theirs.
struct UnitsHolder : stream::Persistent {
    TppUnitType units = TppUnitType::utInches;
    const stream::PropertyList& StreamProperties() const override {
        static const auto table = stream::PropertyTable<UnitsHolder>().Enum(
            "Units", [](const UnitsHolder& h) { return h.units; }, [](UnitsHolder& h, TppUnitType u) { h.units = u; },
            EnumTypeOf(TppUnitType{}).values, TppUnitType::utInches);
        return table;
    }
};

TEST(ReportTypes, a_stored_enumeration_is_written_by_name_and_read_back_to_its_ordinal) {
    UnitsHolder written;
    written.units = TppUnitType::utMMThousandths;
    std::vector<stream::Property> stored;
    stream::PersistentToProperties(written, QString(), stored);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].value.AsText(), QStringLiteral("utMMThousandths"));
    UnitsHolder read;
    stream::ReadProperties(read, stored);
    EXPECT_EQ(static_cast<int>(read.units), 4);
}

}  // namespace
