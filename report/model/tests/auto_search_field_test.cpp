// Search criteria fields: their descriptions, values and change notices; the pipeline list.

#include "report/model/auto_search_field.h"
#include "report/model/custom_data_pipeline.h"

#include "platform/format/errors.h"

#include <gtest/gtest.h>

namespace {

TEST(AutoSearchField, describes_itself_by_operator_and_type) {
    struct Case {
        TppDataType type;
        TppSearchOperatorType op;
        bool first, showAll;
        const char* alias;
        const char* expression;
        const char* expected;
    };
    using O = TppSearchOperatorType;
    using D = TppDataType;
    const Case cases[] = {
        {D::dtDate, O::soLessThanOrEqualTo, true, false, "OrderDate", "1/1/2000",
         "Show all data where the OrderDate is on or before 1/1/2000"},
        {D::dtDate, O::soLessThanOrEqualTo, true, true, "OrderDate", "1/1/2000",
         "Show all data where the OrderDate has any value"},
        {D::dtInteger, O::soLessThanOrEqualTo, false, false, "Amount", "100",
         "and the Amount is less than or equal to 100"},
        {D::dtDateTime, O::soGreaterThan, false, false, "Shipped", "3/4/2001", "and the Shipped is after 3/4/2001"},
        {D::dtString, O::soGreaterThan, false, false, "Name", "M", "and the Name is greater than M"},
        {D::dtString, O::soEqual, true, false, "Name", "Smith", "Show all data where the Name is equal to Smith"},
        {D::dtTime, O::soEqual, true, false, "At", "10:00", "Show all data where the At is 10:00"},
        {D::dtString, O::soNotInList, false, false, "City", "Oslo,Bergen",
         "and the City does not match any of the values in this list Oslo,Bergen"},
        {D::dtString, O::soBlank, false, false, "Fax", "", "and the Fax is blank "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        TppAutoSearchField f;
        f.SetFieldName("Field");
        f.SetFieldAlias(c.alias);
        f.SetDataType(c.type);
        f.SetSearchOperator(c.op);
        f.SetFirstField(c.first);
        f.SetShowAllValues(c.showAll);
        f.SetSearchExpression(c.expression);
        QString text;
        f.GetDescription(text);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(AutoSearchField, values_are_the_comma_items_converted_by_type) {
    TppAutoSearchField f;
    f.SetDataType(TppDataType::dtString);
    f.SetWildCard("%");
    f.SetSearchExpression("Sm,Jo%");
    EXPECT_EQ(f.ValueCount(), 2);
    EXPECT_EQ(f.Values(0), QVariant("Sm%"));
    EXPECT_EQ(f.Values(1), QVariant("Jo%"));
    EXPECT_EQ(f.Values(2), QVariant(QString()));

    f.SetWildCard("");
    f.SetSearchExpression("a,,b,");
    EXPECT_EQ(f.ValueCount(), 3);  // an empty item counts, a trailing one does not
    EXPECT_EQ(f.Values(1), QVariant(QString()));

    f.SetDataType(TppDataType::dtInteger);
    f.SetSearchExpression("12,40");
    EXPECT_EQ(f.Value(), QVariant(12));
    EXPECT_EQ(f.Values(1), QVariant(40));
    f.SetSearchExpression("twelve");
    EXPECT_THROW(f.Value(), format::EConvertError);
    f.SetDataType(TppDataType::dtBoolean);
    EXPECT_EQ(f.Value(), QVariant(QString()));
}

TEST(AutoSearchField, tells_its_owner_of_each_criterion_change) {
    TppAutoSearchField f;
    int changes = 0;
    f.OnChange = [&](TppAutoSearchField*) { ++changes; };
    f.SetFieldName("CustNo");
    f.SetSearchExpression("5");
    f.SetDataPipelineName("plCustomer");
    f.SetSearchOperator(TppSearchOperatorType::soBetween);
    f.SetShowAllValues(true);
    EXPECT_EQ(changes, 5);
    f.SetWildCard("*");
    f.SetDelimiter(";");
    EXPECT_EQ(changes, 5);
}

TEST(DataPipelineList, offers_the_visible_pipelines_of_the_owner_by_user_name) {
    TComponent form;
    auto* a = new TppCustomDataPipeline(&form);
    a->SetName("ppCustomers");
    auto* hidden = new TppCustomDataPipeline(&form);
    hidden->SetName("ppHidden");
    hidden->SetVisible(false);
    auto* b = new TppCustomDataPipeline(&form);
    b->SetName("ppOrders");
    TComponent reportObject(&form);
    TppDataPipelineList list(&reportObject);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Names(0), a->UserName());
    EXPECT_EQ(list.GetDataPipelineForName(b->UserName().toUpper()), b);
    EXPECT_EQ(list.GetDataPipelineForName(hidden->UserName()), nullptr);
    delete b;
    EXPECT_EQ(list.Items(1), nullptr);  // a freed pipeline is not handed out
    list.Refresh();
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
