// Calls of built-in routines: the registry's conformance, call templates, and a routine
// registered later being found by compiled programs.

#include "report/script/calls.h"

#include "report/script/program.h"
#include "report/script/run.h"

#include "report/page/class_library.h"

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

namespace {

/// Programs that call each other by name, as the code module will bind them: every heading
/// is compiled first, so that a program may call a later one.
class Programs {
public:
    explicit Programs(const QStringList& sources) {
        for (const QString& source : sources) {
            auto p = std::make_unique<TraProgram>();
            p->SetSource(source);
            p->OnGetProgram = [this](const QString& name, std::unique_ptr<TraValue>& call) {
                for (const auto& other : m_programs) {
                    if (other->ProgramName.compare(name, Qt::CaseInsensitive) == 0) {
                        auto node = std::make_unique<TraOrvelProgramCallValue>();
                        node->SetProgramObject(other.get());
                        call = std::move(node);
                        return;
                    }
                }
            };
            m_programs.push_back(std::move(p));
        }
        for (auto& p : m_programs)
            p->CompileProgram(false, true);
        for (auto& p : m_programs) {
            p->CompileProgram();
            EXPECT_TRUE(p->Compiled()) << p->ProgramName.toStdString() << ": "
                                       << (p->HasErrors() ? p->SyntaxErrors(0)->Msg.toStdString() : "");
        }
    }
    script::RunResult Run(int index) { return script::RunProgram(*m_programs[size_t(index)]); }

private:
    std::vector<std::unique_ptr<TraProgram>> m_programs;
};

TEST(ScriptProgramCalls, recursion_gives_each_call_its_own_parameters_locals_and_result) {
    Programs fib({QStringLiteral("function Fib(N: Integer): Integer;\nbegin\n  if N < 2 then\n    Result := N\n"
                                 "  else\n    Result := Fib(N - 1) + Fib(N - 2);\nend;"),
                  QStringLiteral("function F: Integer;\nbegin\n  Result := Fib(15);\nend;")});
    EXPECT_EQ(fib.Run(1).text, QStringLiteral("610"));

    Programs depth({QStringLiteral("function Depth(N: Integer): Integer;\nvar Local: Integer;\nbegin\n"
                                   "  Local := N;\n  if N > 0 then\n    Result := Depth(N - 1) + Local\n"
                                   "  else\n    Result := 0;\nend;"),
                    QStringLiteral("function F: Integer;\nbegin\n  Result := Depth(4) * 100 + Depth(0);\nend;")});
    EXPECT_EQ(depth.Run(1).text, QStringLiteral("1000"));
}

TEST(ScriptProgramCalls, a_program_calls_a_later_one_and_they_recurse_through_each_other) {
    Programs parity({QStringLiteral("function IsEven(N: Integer): Boolean;\nbegin\n  if N = 0 then\n"
                                    "    Result := True\n  else\n    Result := IsOdd(N - 1);\nend;"),
                     QStringLiteral("function IsOdd(N: Integer): Boolean;\nbegin\n  if N = 0 then\n"
                                    "    Result := False\n  else\n    Result := IsEven(N - 1);\nend;"),
                     QStringLiteral("function F: Boolean;\nbegin\n  Result := IsEven(10) and IsOdd(7);\nend;")});
    EXPECT_EQ(parity.Run(2).text, QStringLiteral("True"));
}

TEST(ScriptProgramCalls, a_runaway_depth_is_a_run_failure) {
    Programs runaway({QStringLiteral("function Down(N: Integer): Integer;\nbegin\n  Result := Down(N + 1);\nend;"),
                      QStringLiteral("function F: Integer;\nbegin\n  Result := Down(1);\nend;")});
    const script::RunResult r = runaway.Run(1);
    EXPECT_EQ(r.outcome, script::Outcome::Failed);
    EXPECT_EQ(r.failure, QStringLiteral("Run failure in Down, line 3, column 13: Too many nested calls (more than 500)"));
}

TEST(ScriptProgramCalls, only_var_parameters_are_written_back) {
    Programs bump({QStringLiteral("procedure Bump(var A: Integer; B: Integer; I: Integer);\nbegin\n"
                                  "  A := A + 1;\n  B := B + 1;\nend;"),
                   QStringLiteral("function F: Extended;\nvar x, y: Integer; d: Double;\nbegin\n  x := 1; y := 10;"
                                  " d := 2.7;\n  Bump(x, y, d);\n  Bump(x, y, d);\n  Result := x * 100 + y + d;\nend;")});
    const script::RunResult r = bump.Run(1);
    EXPECT_EQ(r.failure, QString());
    EXPECT_EQ(r.text, QStringLiteral("312.7"));
}

}  // namespace

namespace {

TEST(ScriptEventParameters, a_handler_reads_the_callers_buffers_and_hands_var_parameters_back) {
    TraProgram handler;
    handler.SetSource(QStringLiteral("procedure OnGetText(Sender: TComponent; var Text: String; Count: Integer;"
                                     " var Done: Boolean);\nbegin\n  Text := Text + ' ' + IntToStr(Count);\n"
                                     "  Count := 99;\n  Done := True;\nend;"));
    handler.CompileProgram();
    ASSERT_TRUE(handler.Compiled()) << handler.SyntaxErrors(0)->Msg.toStdString();

    TComponent sender;
    QVariant senderBuffer = QVariant::fromValue<QObject*>(&sender);
    QVariant text(QStringLiteral("Total")), count(3), done(false);
    TraParamList params;
    params.AddParam(QStringLiteral("Sender"), TraDataType::daClass, nullptr, {}, false, false);
    params.AddParam(QStringLiteral("Text"), TraDataType::daString, nullptr, {}, false, true);
    params.AddParam(QStringLiteral("Count"), TraDataType::daInteger, nullptr, {}, false, false);
    params.AddParam(QStringLiteral("Done"), TraDataType::daBoolean, nullptr, {}, false, true);
    QVariant* buffers[] = {&senderBuffer, &text, &count, &done};
    for (int i = 0; i < 4; ++i) {
        params.SetParamValuePtr(i, buffers[i]);
        TraParamRec rec;
        ASSERT_TRUE(params.GetParamRec(i, rec));
        raLoadValueFromParam(rec, handler.Params(i));
    }
    auto* senderNode = dynamic_cast<TraObjectResolver*>(handler.Params(0)->Value());
    ASSERT_NE(senderNode, nullptr);
    EXPECT_EQ(senderNode->GetObject(), &sender);

    ASSERT_EQ(script::RunProgram(handler).outcome, script::Outcome::Done);
    for (int i = 0; i < 4; ++i) {
        TraParamRec rec;
        ASSERT_TRUE(params.GetParamRec(i, rec));
        if (rec.IsVar)
            raStoreValueToParam(handler.Params(i), rec);
    }
    EXPECT_EQ(text, QVariant(QStringLiteral("Total 3")));
    EXPECT_EQ(count, QVariant(3));  // not a var parameter: the caller's value stays
    EXPECT_EQ(done, QVariant(true));
}

}  // namespace
