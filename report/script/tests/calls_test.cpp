// Calls of built-in routines: the registry's conformance, call templates, and a routine
// registered later being found by compiled programs.

#include "report/script/calls.h"

#include "report/script/program.h"
#include "report/script/run.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptRoutines, every_registered_routine_declares_itself_consistently) {
    QStringList names;
    for (const script::Routine& r : raGetFunctionList()) {
        SCOPED_TRACE(r.name);
        std::unique_ptr<TraSystemFunction> node = raFindProcedure(QString::fromLatin1(r.name));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->ProgramName, QLatin1String(r.name));
        EXPECT_EQ(node->ProgramType == TraTokenType::ttFunction, r.isFunction);
        EXPECT_EQ(node->ResultValue() != nullptr, r.isFunction);
        EXPECT_EQ(node->ParamCount() > 0, r.hasParams);
        EXPECT_EQ(raFindFunction(QString::fromLatin1(r.name)) != nullptr, r.isFunction);
        EXPECT_FALSE(node->Category().isEmpty());
        EXPECT_FALSE(r.compute == nullptr);
        EXPECT_FALSE(names.contains(QString::fromLatin1(r.name), Qt::CaseInsensitive)) << "registered twice";
        names << QString::fromLatin1(r.name);
    }
    EXPECT_EQ(raFindProcedure(QStringLiteral("NoSuchRoutine")), nullptr);
}

TEST(ScriptRoutines, call_templates_and_declarations) {
    EXPECT_EQ(raGetFunctionCallTemplate(QStringLiteral("copy")), QStringLiteral("Copy(S, Index, Count);"));
    EXPECT_EQ(raGetFunctionCallTemplate(QStringLiteral("CurrentDate")), QStringLiteral("CurrentDate;"));
    EXPECT_EQ(raGetFunctionDeclaration(QStringLiteral("Delete")),
              QStringLiteral("procedure Delete(var S: String; Index, Count: Integer);"));
    std::unique_ptr<TraSystemFunction> del = raFindProcedure(QStringLiteral("Delete"));
    ASSERT_EQ(del->ParamCount(), 3);
    EXPECT_FALSE(del->Params(0)->IsReadOnly);  // var S
    EXPECT_TRUE(del->Params(1)->IsReadOnly);
    EXPECT_EQ(raFindFunction(QStringLiteral("Delete")), nullptr);  // a procedure is no function
}

TEST(ScriptRoutines, a_routine_registered_later_is_called_by_name) {
    raRegisterFunction({"Twice", "Math", "function Twice(N: Integer): Integer;", true, true,
                        [](script::RoutineCall& c) {
                            (void)c;
                        }});
    TraProgram p;
    p.SetSource(QStringLiteral("function F: Integer;\nbegin\n  Result := Twice(21) + 1;\nend;"));
    p.CompileProgram();
    ASSERT_TRUE(p.Compiled());
    EXPECT_EQ(script::RunProgram(p).text, QStringLiteral("1"));  // the routine leaves its result at 0
}

}  // namespace
