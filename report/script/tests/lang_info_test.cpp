// The language information lists: each category's entries in order, the records built on
// request, the look-ups (first entry wins, no regard to case) and the help keywords.

#include "report/script/lang_info.h"

#include "report/script/calls.h"
#include "report/script/enum_types.h"
#include "report/script/object_adapters.h"

#include <gtest/gtest.h>

namespace {

QStringList names(const TraLangInfoList& aList) {
    QStringList out;
    for (int i = 0; i < aList.Count(); ++i)
        out << aList.Names(i);
    return out;
}

}  // namespace

TEST(LangInfo, CategoryNamesAndListClasses) {
    const struct {
        TraLangCategory category;
        const char* name;
    } cases[] = {
        {TraLangCategory::lcFunction, "Function"},      {TraLangCategory::lcStatement, "Statement"},
        {TraLangCategory::lcDataType, "Data Type"},     {TraLangCategory::lcOperator, "Operator"},
        {TraLangCategory::lcEnumType, "Enumerated Type"}, {TraLangCategory::lcReservedWord, "Reserved Word"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetLangCategoryName(c.category), QString::fromLatin1(c.name));
        const auto list = CreateLangInfoList(c.category);
        ASSERT_TRUE(list);
        EXPECT_EQ(list->Category(), c.category);
        EXPECT_GT(list->Count(), 0) << c.name;
        for (int i = 0; i < list->Count(); ++i)
            EXPECT_EQ(list->GetItem(i).Category, c.category) << c.name << " " << i;
    }
    EXPECT_TRUE(dynamic_cast<TraOperatorInfoList*>(CreateLangInfoList(TraLangCategory::lcOperator).get()));
    EXPECT_TRUE(dynamic_cast<TraStatementInfoList*>(CreateLangInfoList(TraLangCategory::lcStatement).get()));
}

TEST(LangInfo, OperatorsOfferOnlyWhatTheCompilerTakes) {
    TraOperatorInfoList list;
    EXPECT_EQ(names(list), QStringList({":=", "not", "and", "or", "as", "is", "+", "-", "*", "/", "div", "mod", "=",
                                        "<>", "<", ">", "<=", ">=", "+", "+", "-"}));
    EXPECT_EQ(list.IndexOf(QStringLiteral("xor")), -1);
    const TraLangInfoRec assign = list.GetItem(0);
    EXPECT_EQ(assign.Group, QStringLiteral("Assignment"));
    EXPECT_EQ(assign.Definition, QStringLiteral("variable | object.property := expression;"));
    const TraLangInfoRec as = list.GetItem(4);
    EXPECT_EQ(as.Group, QStringLiteral("Class"));
    EXPECT_EQ(as.Definition, QStringLiteral("typecast: ObjectRef as ClassRef"));
    EXPECT_EQ(as.Template, QStringLiteral("Object as ClassRef"));
    EXPECT_EQ(list.GetItem(8).Definition, QStringLiteral("multiplication"));
    EXPECT_EQ(list.GetItem(18).Group, QStringLiteral("String"));
    EXPECT_EQ(list.GetItem(18).Definition, QStringLiteral("concatenation"));
    EXPECT_EQ(list.GetItem(20).Group, QStringLiteral("Unary"));
    EXPECT_EQ(list.GetItem(20).Definition, QStringLiteral("sign negation"));

    // "+" is found as its first entry, the addition of group Math; words without regard to case.
    const auto plus = FindLanguageItem(TraLangCategory::lcOperator, QStringLiteral("+"));
    ASSERT_TRUE(plus);
    EXPECT_EQ(plus->Group, QStringLiteral("Math"));
    EXPECT_EQ(plus->Definition, QStringLiteral("addition"));
    EXPECT_EQ(GetLangHelpKeyword(*plus), QStringLiteral("Math_Orvel_Operator"));
    const auto mod = FindLangItem(list, QStringLiteral("MOD"));
    ASSERT_TRUE(mod);
    EXPECT_EQ(mod->Definition, QStringLiteral("remainder"));
    EXPECT_FALSE(FindLangItem(list, QStringLiteral("xor")));
}

TEST(LangInfo, DataTypes) {
    TraDataTypeInfoList list;
    EXPECT_EQ(names(list), QStringList({"Boolean", "Integer", "Single", "Double", "Extended", "Currency", "String",
                                        "Char", "DateTime", "Date", "Time", "Variant", "Color"}));
    const TraLangInfoRec boolean = list.GetItem(0);
    EXPECT_EQ(boolean.Group, QStringLiteral("Boolean"));
    EXPECT_EQ(boolean.Definition, QStringLiteral("True, False"));
    EXPECT_EQ(boolean.Template, QStringLiteral("Boolean"));
    const struct {
        const char* name;
        const char* group;
    } groups[] = {{"Currency", "Numeric"}, {"Char", "Character"}, {"Time", "DateTime"}, {"Color", "Other"}};
    for (const auto& g : groups) {
        const auto rec = FindLangItem(list, QString::fromLatin1(g.name));
        ASSERT_TRUE(rec) << g.name;
        EXPECT_EQ(rec->Group, QString::fromLatin1(g.group));
        EXPECT_EQ(rec->Template, QString::fromLatin1(g.name));
        EXPECT_TRUE(rec->Definition.isEmpty());
        EXPECT_EQ(GetLangHelpKeyword(*rec), QString::fromLatin1(g.group) + QStringLiteral("_Orvel_DataType"));
    }
}

TEST(LangInfo, StatementsAreBuiltOnRequest) {
    TraStatementInfoList list;
    EXPECT_EQ(names(list), QStringList({"if..then", "if..then..else", "case..end", "for loop", "while loop",
                                        "repeat loop", "begin..end"}));
    const struct {
        const char* name;
        const char* definition;
        const char* templ;
        const char* keyword;
    } cases[] = {
        {"if..then", "if <expression> then <statement>;", "if expression then\r\n  statement;",
         "TraIfStatement_Orvel_Statement"},
        {"if..then..else", "if <expression> then <statement> else <statement>;",
         "if expression then\r\n  statement\r\nelse\r\n  statement;", "TraIfStatement_Orvel_Statement"},
        {"case..end", "case <expression> of <const>: <statement> end;",
         "case expression of\r\n  const: statement \r\n  const: statement \r\nend;", "TraCaseStatement_Orvel_Statement"},
        {"for loop", "for <variable> := <value> to <value> do <statement> ;",
         "for variable := minvalue to maxvalue do\r\n  begin\r\n    statement;\r\n    statement;\r\n  end;",
         "TraForLoop_Orvel_Statement"},
        {"while loop", "while <expression> do <statement> ;",
         "while expression do\r\n  begin\r\n    statement;\r\n    statement;\r\n  end;", "TraWhileLoop_Orvel_Statement"},
        {"repeat loop", "repeat <statement> until <expression> ;",
         "repeat\r\n  statement;\r\n  statement;\r\nuntil expression;", "TraRepeatLoop_Orvel_Statement"},
        {"begin..end", "while <expression> do <statement> ;", "begin\r\n  statement;\r\n  statement;\r\nend;",
         "TraBeginEndBlock_Orvel_Statement"},
    };
    for (const auto& c : cases) {
        const auto rec = FindLanguageItem(TraLangCategory::lcStatement, QString::fromLatin1(c.name).toUpper());
        ASSERT_TRUE(rec) << c.name;
        EXPECT_EQ(rec->Name, QString::fromLatin1(c.name));
        EXPECT_TRUE(rec->Group.isEmpty());
        EXPECT_EQ(rec->Definition, QString::fromLatin1(c.definition));
        EXPECT_EQ(rec->Template, QString::fromLatin1(c.templ));
        EXPECT_EQ(GetLangHelpKeyword(*rec), QString::fromLatin1(c.keyword));
    }
}

TEST(LangInfo, FunctionsFollowTheRoutineRegistry) {
    TraFunctionInfoList list;
    ASSERT_EQ(list.Count(), int(raGetFunctionList().size()));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.Names(i), QString::fromLatin1(raGetFunctionList()[std::size_t(i)].name));
    const auto copy = FindLangItem(list, QStringLiteral("copy"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Name, QStringLiteral("Copy"));
    EXPECT_EQ(copy->Group, QStringLiteral("String"));
    EXPECT_EQ(copy->Definition, raGetFunctionDeclaration(QStringLiteral("Copy")));
    EXPECT_EQ(copy->Template, QStringLiteral("Copy(S, Index, Count);"));
    EXPECT_EQ(copy->ItemClass, QStringLiteral("TraCopyFunction"));
    EXPECT_EQ(GetLangHelpKeyword(*copy), QStringLiteral("TraCopyFunction_Orvel_Function"));
    const auto date = FindLangItem(list, QStringLiteral("CurrentDate"));
    ASSERT_TRUE(date);
    EXPECT_EQ(date->Template, QStringLiteral("CurrentDate;"));
    EXPECT_EQ(date->Group, QStringLiteral("DateTime"));
}

TEST(LangInfo, EnumeratedValuesOfEveryRegisteredType) {
    script::RegisterObjectAdapters();  // registers the enumerated types the report adapters use
    const auto before = CreateLangInfoList(TraLangCategory::lcEnumType);
    int expected = 0;
    for (const TraEnumTypeEntry& e : GetEnumTypeList())
        expected += e.TypeInfo ? int(e.TypeInfo->values.size()) : 0;
    EXPECT_EQ(before->Count(), expected);
    const auto band = FindLangItem(*before, QStringLiteral("btDetail"));
    ASSERT_TRUE(band);
    EXPECT_EQ(band->Group, QStringLiteral("TppBandType"));
    EXPECT_EQ(band->Template, QStringLiteral("btDetail"));
    EXPECT_EQ(GetLangHelpKeyword(*band), QStringLiteral("TppBandType_Orvel_Type"));

    // A type registered later is listed in lists created afterwards, one record per value.
    static const report::EnumType shade = report::MakeEnumType("TLangProbeShade", "lpsPale, lpsDeep");
    RegisterEnumType(QStringLiteral("TLangProbeShade"), shade);
    const auto after = CreateLangInfoList(TraLangCategory::lcEnumType);
    EXPECT_EQ(after->Count(), expected + 2);
    EXPECT_EQ(after->Names(after->Count() - 2), QStringLiteral("lpsPale"));
    const auto deep = FindLangItem(*after, QStringLiteral("LPSDEEP"));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->Group, QStringLiteral("TLangProbeShade"));
    EXPECT_FALSE(FindLangItem(*before, QStringLiteral("lpsDeep")));
    UnregisterEnumType(QStringLiteral("TLangProbeShade"));
}

TEST(LangInfo, ReservedWords) {
    const auto list = CreateLangInfoList(TraLangCategory::lcReservedWord);
    ASSERT_EQ(list->Count(), 47);
    for (int i = 1; i < list->Count(); ++i)
        EXPECT_LT(list->Names(i - 1).toLatin1(), list->Names(i).toLatin1());
    const auto begin = FindLanguageItem(TraLangCategory::lcReservedWord, QStringLiteral("BEGIN"));
    ASSERT_TRUE(begin);
    EXPECT_EQ(begin->Name, QStringLiteral("begin"));
    EXPECT_EQ(begin->Template, QStringLiteral("begin"));
    EXPECT_TRUE(begin->Group.isEmpty());
    EXPECT_TRUE(begin->Definition.isEmpty());
    EXPECT_EQ(begin->TokenType, TraTokenType::ttBegin);
    EXPECT_TRUE(GetLangHelpKeyword(*begin).isEmpty());
    EXPECT_EQ(FindLanguageItem(TraLangCategory::lcReservedWord, QStringLiteral(":="))->TokenType,
              TraTokenType::ttColonEqual);
    EXPECT_FALSE(FindLanguageItem(TraLangCategory::lcReservedWord, QStringLiteral("xor")));
}
