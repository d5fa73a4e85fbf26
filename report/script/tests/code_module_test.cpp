// The code module: its program stream (order, defaults, unknown classes, damage, both
// stored forms), compiling with the retry pass, the start and end of a print job, names
// along the parent reports, handlers bound by name (the Variable12 rebinding, the
// warnings), .ctm export and import with its question, and script-run's module mode.

#include "report/script/code_module.h"

#include "report/model/band_classes.h"
#include "report/model/errors.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/model/subreport.h"
#include "report/model/template.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/script/calls.h"
#include "report/script/members.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_writer.h"
#include "testsupport/dialog_answerer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

TraProgram* addGlobal(TraCodeModule& aModule, const QString& aSource, int aKind = 21) {
    auto* p = new TraProgram();
    p->SetChildType(aKind);
    p->SetSource(aSource);
    p->SetCodeModule(&aModule);
    QString name = aSource.section(QLatin1Char(' '), 1, 1);
    name = name.section(QLatin1Char('('), 0, 0).section(QLatin1Char(';'), 0, 0).section(QLatin1Char(':'), 0, 0);
    p->ProgramName = name;
    return p;
}

TraProgram* addDeclarations(TraCodeModule& aModule, TraProgram* aProgram, const QString& aName, const QString& aBody) {
    aProgram->ProgramName = aName;
    aProgram->SetSource(QStringLiteral("procedure %1;\r\n%2\r\nbegin\r\nend;").arg(aName, aBody));
    aProgram->SetCodeModule(&aModule);
    return aProgram;
}

/// A report with a detail band holding a label and a variable, and a code module.
struct ModuleFixture {
    TComponent form;
    TppReport* report = new TppReport(&form);
    TppDetailBand* detail = new TppDetailBand(&form);
    TppLabel* label = new TppLabel(&form);
    TppVariable* variable = new TppVariable(&form);
    TraCodeModule* module = nullptr;
    QStringList shown;

    ModuleFixture() {
        script::RegisterCodeModuleClasses();
        report::RegisterReportClasses();
        report->SetName(QStringLiteral("ppReport1"));
        detail->SetReport(report);
        label->SetName(QStringLiteral("ppLabel1"));
        label->SetBand(detail);
        variable->SetName(QStringLiteral("ppVariable1"));
        variable->SetBand(detail);
        module = TppReportModule::CreateForReport<TraCodeModule>(report);
        script::SetShowMessageHandler([this](const QString& text) { shown << text; });
    }
    ~ModuleFixture() { script::SetShowMessageHandler(nullptr); }
};

QByteArray hex(const QByteArray& a) {
    return a.toHex(' ');
}

}  // namespace

TEST(ProgramStream, an_empty_module_is_one_list_end_and_programs_stream_in_module_order) {
    TraCodeModule empty;
    EXPECT_EQ(empty.WriteProgramStream(), QByteArray(1, '\0'));
    TraCodeModule back;
    back.ReadProgramStream(empty.WriteProgramStream());
    EXPECT_EQ(back.ProgramCount(), 0);

    // Added handler first, then var, then const: written const, var, handler.
    ModuleFixture f;
    auto* handler = new TraEventHandler();
    handler->Loading = true;
    handler->SetComponentName(QStringLiteral("Label1"));
    handler->SetEventName(QStringLiteral("OnPrint"));
    handler->Loading = false;
    handler->SetSource(QStringLiteral("procedure Label1OnPrint;\r\nbegin\r\nend;"));
    handler->SetCodeModule(f.module);
    addDeclarations(*f.module, new TraVarProgram(), QStringLiteral("Variables"), QStringLiteral("var\r\n  Count: Integer;"));
    addDeclarations(*f.module, new TraConstProgram(), QStringLiteral("Constants"), QStringLiteral("const\r\n  Limit = 3;"));
    const QByteArray bytes = f.module->WriteProgramStream();
    const int c = bytes.indexOf("TraConstProgram"), v = bytes.indexOf("TraVarProgram"), h = bytes.indexOf("TraEventHandler");
    ASSERT_GE(c, 0);
    EXPECT_LT(c, v);
    EXPECT_LT(v, h);
    // Defaults are left out; EventID is always written.
    EXPECT_EQ(bytes.indexOf("Hidden"), -1);
    EXPECT_EQ(bytes.indexOf("Locked"), -1);
    EXPECT_GE(bytes.indexOf("EventID"), 0);

    // Write, read, write gives the same bytes.
    TraCodeModule copy;
    copy.ReadProgramStream(bytes);
    ASSERT_EQ(copy.ProgramCount(), 3);
    EXPECT_EQ(hex(copy.WriteProgramStream()), hex(bytes));
    auto* read = dynamic_cast<TraEventHandler*>(copy.EventHandlers().at(0));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->ComponentName(), QStringLiteral("Label1"));
    EXPECT_EQ(read->EventName(), QStringLiteral("OnPrint"));
    EXPECT_EQ(read->Source(), handler->Source());
}

TEST(ProgramStream, reads_what_older_writers_wrote_and_skips_unknown_classes) {
    stream::ValueWriter out;
    const auto item = [&](const char* cls, const QString& name, std::optional<qint64> prefix = std::nullopt) {
        if (prefix)
            out.WriteInteger(*prefix);
        out.WriteListBegin();
        out.WriteString(QString::fromLatin1(cls));
        out.WriteStr(QStringLiteral("ProgramName"));
        out.WriteString(name);
        out.WriteStr(QStringLiteral("Source"));
        out.WriteString(QStringLiteral("procedure %1;\r\nbegin\r\nend;\r\n").arg(name));
        out.WriteListEnd();
    };
    item("TraOnCalcEventHandler", QStringLiteral("Variable1OnCalc"), 0);
    item("TraMysteryProgram", QStringLiteral("Strange"), 70000);
    item("TraProgram", QStringLiteral("Helper"));
    out.WriteListEnd();
    TraCodeModule module;
    QStringList warnings;
    module.ReadProgramStream(out.Data(), &warnings);
    // A program without a kind of its own is filed with the handlers.
    ASSERT_EQ(module.EventHandlers().size(), 2u);
    EXPECT_TRUE(dynamic_cast<TraEventHandler*>(module.EventHandlers()[0]));
    EXPECT_EQ(module.EventHandlers()[0]->ProgramName, QStringLiteral("Variable1OnCalc"));
    EXPECT_EQ(module.EventHandlers()[1]->ProgramName, QStringLiteral("Helper"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("TraMysteryProgram")));
    // The item after the unknown one was read in step.
    EXPECT_EQ(module.ProgramCount(), 2);
}

TEST(ProgramStream, a_damaged_stream_is_a_clear_error_and_leaves_the_module_as_it_was) {
    ModuleFixture f;
    addGlobal(*f.module, QStringLiteral("procedure Keep;\r\nbegin\r\nend;"));
    const QByteArray good = f.module->WriteProgramStream();
    const std::vector<QByteArray> damaged = {
        good.left(good.size() - 1),              // no final list end
        good.left(good.size() / 2),              // cut inside a value
        QByteArray("\x01\x06\x0aTraProgram\x07", 14),  // a property name without a value
        QByteArray("\x01\x63", 2),                // an unknown value tag for the class name
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(hex(bytes).toStdString());
        TraCodeModule target;
        addGlobal(target, QStringLiteral("procedure Before;\r\nbegin\r\nend;"));
        EXPECT_THROW(target.ReadProgramStream(bytes), stream::StreamError);
        ASSERT_EQ(target.GlobalPrograms().size(), 1u);
        EXPECT_EQ(target.GlobalPrograms()[0]->ProgramName, QStringLiteral("Before"));
    }
}

TEST(CodeModule, streams_with_its_report_in_binary_and_text_form) {
    ModuleFixture f;
    addDeclarations(*f.module, new TraConstProgram(), QStringLiteral("Constants"), QStringLiteral("const\r\n  Limit = 3;"));
    addGlobal(*f.module, QStringLiteral("function Twice(N: Integer): Integer;\r\nbegin\r\n  Result := N * 2;\r\nend;"));
    f.module->CompileAll(false);  // as loading compiles: the sources are no longer modified
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        f.report->Template()->SetFormat(format);
        const QByteArray saved = f.report->Template()->SaveToBytes();
        ModuleFixture g;
        g.module->Clear();
        g.report->Template()->LoadFromBytes(saved);
        TraCodeModule* loaded = GetCodeModule(g.report);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->ProgramCount(), 2);
        EXPECT_EQ(hex(loaded->WriteProgramStream()), hex(f.module->WriteProgramStream()));
        g.report->Template()->SetFormat(format);
        EXPECT_EQ(g.report->Template()->SaveToBytes(), saved);
        // Compiled on load: the global program is ready to be called.
        ASSERT_EQ(loaded->GlobalPrograms().size(), 1u);
        EXPECT_TRUE(loaded->GlobalPrograms()[0]->Compiled());
    }
}

TEST(CodeModule, compile_all_retries_global_programs_that_call_later_ones) {
    ModuleFixture f;
    TraProgram* first = addGlobal(*f.module, QStringLiteral("function First: Integer;\r\nbegin\r\n  Result := Second + 1;\r\nend;"));
    TraProgram* second = addGlobal(*f.module, QStringLiteral("function Second: Integer;\r\nbegin\r\n  Result := 41;\r\nend;"));
    f.module->AllCompiled = false;
    f.module->CompileAll(false);
    EXPECT_TRUE(first->Compiled());
    EXPECT_TRUE(second->Compiled());
    // A function calling itself compiles in the same pass and runs with a frame per call.
    TraProgram* fact = addGlobal(*f.module, QStringLiteral(
        "function Fact(N: Integer): Integer;\r\nbegin\r\n  if N < 2 then\r\n    Result := 1\r\n  else\r\n"
        "    Result := N * Fact(N - 1);\r\nend;"));
    f.module->CompileAll(false);
    ASSERT_TRUE(fact->Compiled());
    TraProgram* caller = addGlobal(*f.module, QStringLiteral("function Go: Integer;\r\nbegin\r\n  Result := Fact(5) + First;\r\nend;"));
    f.module->CompileAll(false);
    ASSERT_TRUE(caller->Compiled());
    {
        script::ThrowAwayScope scope;
        TraValue* value = caller->Execute();
        ASSERT_TRUE(value);
        EXPECT_EQ(value->GetText(), QStringLiteral("162"));
    }
    EXPECT_EQ(f.module->IndexOfProgram(second), 1);
    EXPECT_EQ(f.module->UniqueProgramName(QStringLiteral("GlobalProcedure")), QStringLiteral("GlobalProcedure1"));
    addGlobal(*f.module, QStringLiteral("procedure GlobalProcedure1;\r\nbegin\r\nend;"));
    EXPECT_EQ(f.module->UniqueProgramName(QStringLiteral("GlobalProcedure")), QStringLiteral("GlobalProcedure2"));
}

TEST(CodeModule, a_job_runs_declarations_and_global_programs_once_and_names_failures) {
    ModuleFixture f;
    addDeclarations(*f.module, new TraVarProgram(), QStringLiteral("Variables"), QStringLiteral("var\r\n  Count: Integer;"));
    addGlobal(*f.module,
              QStringLiteral("procedure GlobalOnCreate;\r\nbegin\r\n  Count := Count + 1;\r\n  ShowMessage('start ' + IntToStr(Count));\r\nend;"),
              19)->ProgramName = QStringLiteral("GlobalOnCreate");
    addGlobal(*f.module, QStringLiteral("procedure GlobalOnDestroy;\r\nbegin\r\n  ShowMessage('end ' + IntToStr(Count));\r\nend;"),
              20)->ProgramName = QStringLiteral("GlobalOnDestroy");
    ppSendEventNotify(f.report, f.report, report::ciProducerReportStart, nullptr);
    ppSendEventNotify(f.report, f.report, report::ciProducerReportStart, nullptr);  // once per job
    EXPECT_TRUE(f.module->Running);
    ppSendEventNotify(f.report, f.report, report::ciProducerReportEnd, nullptr);
    EXPECT_FALSE(f.module->Running);
    EXPECT_EQ(f.shown, (QStringList{QStringLiteral("start 1"), QStringLiteral("end 1")}));

    // A run failure names the program, its cause, line and column; Running is cleared.
    addGlobal(*f.module,
              QStringLiteral("procedure GlobalOnCreate;\r\nvar\r\n  Z: Integer;\r\nbegin\r\n  Z := 0;\r\n  Z := 10 div Z;\r\nend;"),
              19)->ProgramName = QStringLiteral("GlobalOnCreate");
    try {
        f.module->RunStartPrograms();
        ADD_FAILURE() << "expected a run failure";
    } catch (const ECodeError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Could not run program: GlobalOnCreate")));
        EXPECT_TRUE(e.Cause().contains(QStringLiteral("Division by zero")));
        EXPECT_EQ(e.LineNo(), 6);
    }
    EXPECT_FALSE(f.module->Running);

    // A compile failure at the job's start stops it with the program's name.
    addGlobal(*f.module, QStringLiteral("procedure Broken;\r\nbegin\r\n  Nothing := ;\r\nend;"));
    try {
        f.module->RunStartPrograms();
        ADD_FAILURE() << "expected a compile failure";
    } catch (const ECodeError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Could not compile program: Broken")));
        EXPECT_EQ(e.LineNo(), 3);
    }
}

TEST(CodeModule, the_job_end_frees_what_the_scripts_made_and_left) {
    ModuleFixture f;
    addDeclarations(*f.module, new TraVarProgram(), QStringLiteral("Variables"), QStringLiteral("var\r\n  Kept: TStringList;"));
    addGlobal(*f.module, QStringLiteral("procedure GlobalOnCreate;\r\nbegin\r\n  Kept := TStringList.Create;\r\nend;"), 19)
        ->ProgramName = QStringLiteral("GlobalOnCreate");
    f.module->RunStartPrograms();
    TraVariableValue* kept = nullptr;
    ASSERT_TRUE(f.module->VarProgram()->FindDeclaredVariable(QStringLiteral("Kept"), kept));
    QPointer<QObject> made = script::ObjectOfNode(kept);
    ASSERT_TRUE(made);
    f.module->RunEndPrograms();
    EXPECT_TRUE(made.isNull());
}

TEST(CodeModule, globals_and_programs_are_found_along_the_parent_reports) {
    ModuleFixture f;
    addDeclarations(*f.module, new TraConstProgram(), QStringLiteral("Constants"), QStringLiteral("const\r\n  Limit = 7;"));
    addGlobal(*f.module, QStringLiteral("function Shared: Integer;\r\nbegin\r\n  Result := Limit * 6;\r\nend;"));
    auto* sub = new TppSubReport(&f.form);
    sub->SetName(QStringLiteral("ppSubReport1"));
    sub->SetBand(f.detail);
    sub->CreateReport(f.report);
    ASSERT_TRUE(sub->Report());
    auto* child = TppReportModule::CreateForReport<TraCodeModule>(sub->Report());
    TraProgram* caller = addGlobal(*child, QStringLiteral("function Asks: Integer;\r\nbegin\r\n  Result := Shared;\r\nend;"));
    EXPECT_EQ(GetParentCodeModule(child), f.module);
    EXPECT_EQ(child->FindGlobalProgram(QStringLiteral("shared")), f.module->GlobalPrograms()[0]);
    f.module->CompileAll(false);  // the sub-report's module follows
    ASSERT_TRUE(caller->Compiled());
    script::ThrowAwayScope scope;
    TraValue* result = caller->Execute();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->GetText(), QStringLiteral("42"));
    QStringList names;
    GetCodeModuleNames(child, names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Main"), sub->UserName()}));
}

TEST(CodeModule, handlers_bind_by_name_with_the_rebinding_rule_and_warnings) {
    ModuleFixture f;
    const auto handler = [&](const QString& component, const QString& event) {
        auto* h = new TraEventHandler();
        h->Loading = true;
        h->SetComponentName(component);
        h->SetEventName(event);
        h->ProgramName = component + event;
        h->SetSource(QStringLiteral("procedure %1%2(var Value: Variant);\r\nbegin\r\n  Value := 5;\r\nend;").arg(component, event));
        h->SetCodeModule(f.module);
        h->Loading = false;
        return h;
    };
    auto* renamed = handler(QStringLiteral("Variable12"), QStringLiteral("OnCalc"));
    handler(QStringLiteral("Gone"), QStringLiteral("OnCalc"));
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("^Unable to load OnCalc code for Gone, no object with this name found$"),
                          ui::Button::Ok, ui::MessageKind::Warning);
    f.module->BindEventHandlers();
    ASSERT_EQ(f.module->EventHandlers().size(), 1u);
    EXPECT_EQ(renamed->ComponentName(), QStringLiteral("Variable1"));
    EXPECT_EQ(renamed->ProgramName, QStringLiteral("Variable1OnCalc"));
    EXPECT_EQ(renamed->BoundObject(), f.variable);
    EXPECT_TRUE(renamed->Source().endsWith(QStringLiteral("begin\r\n  Value := 5;\r\nend;\r\n")));
    EXPECT_EQ(f.module->FindEventHandler(f.variable, QStringLiteral("OnCalc")), renamed);
    EXPECT_EQ(f.module->FindEventHandler(f.variable, QStringLiteral("oncalc")), nullptr);  // exact name

    // Freeing the object frees its handler.
    delete f.variable;
    f.variable = nullptr;
    EXPECT_TRUE(f.module->EventHandlers().empty());
}

TEST(CodeModule, ctm_export_and_import_question_handlers_without_their_object) {
    QTemporaryDir dir;
    ModuleFixture f;
    addGlobal(*f.module, QStringLiteral("procedure Helper;\r\nbegin\r\nend;"));
    auto* h = new TraEventHandler();
    h->Loading = true;
    h->SetComponentName(QStringLiteral("Label1"));
    h->SetEventName(QStringLiteral("OnPrint"));
    h->ProgramName = QStringLiteral("Label1OnPrint");
    h->SetSource(QStringLiteral("procedure Label1OnPrint;\r\nbegin\r\nend;"));
    h->SetCodeModule(f.module);
    h->Loading = false;
    TppReportModuleTemplate* exporter = f.module->Template();
    EXPECT_EQ(exporter->FileExtension(), QStringLiteral("ctm"));
    EXPECT_EQ(exporter->FileFilter(), QStringLiteral("Report Code file (*.ctm)|*.ctm"));
    const QString path = dir.filePath(QStringLiteral("Report1.ctm"));
    exporter->SetFileName(path);
    exporter->SaveToFile();
    ASSERT_TRUE(QFile::exists(path));

    // Into a report without Label1: Cancel keeps the module as it was.
    TComponent form;
    auto* other = new TppReport(&form);
    auto* target = TppReportModule::CreateForReport<TraCodeModule>(other);
    addGlobal(*target, QStringLiteral("procedure Previous;\r\nbegin\r\nend;"));
    QStringList asked;
    report::TemplateErrorPrompt old = report::SetTemplateErrorPrompt([&](const QString& text) {
        asked << text;
        return report::TemplateErrorAnswer::Cancel;
    });
    target->Template()->SetFileName(path);
    EXPECT_THROW(target->Template()->LoadFromFile(), ETemplateLoadError);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("Unable to import OnPrint code for Label1, no object with this name found.\r\n"
                                       "Ignore the error and continue?"));
    ASSERT_EQ(target->GlobalPrograms().size(), 1u);
    EXPECT_EQ(target->GlobalPrograms()[0]->ProgramName, QStringLiteral("Previous"));

    // Ignore drops the handler and takes the rest.
    report::SetTemplateErrorPrompt([](const QString&) { return report::TemplateErrorAnswer::Ignore; });
    target->Template()->LoadFromFile();
    report::SetTemplateErrorPrompt(old);
    EXPECT_TRUE(target->EventHandlers().empty());
    ASSERT_EQ(target->GlobalPrograms().size(), 1u);
    EXPECT_EQ(target->GlobalPrograms()[0]->ProgramName, QStringLiteral("Helper"));
    EXPECT_EQ(target->Report(), other);
}

TEST(CodeModule, the_plain_text_form_reads_back_as_written) {
    const QString text = QStringLiteral(
        "//@ const\nprocedure Constants;\nconst\n  Limit = 3;\nbegin\nend;\n"
        "//@ oncreate\nprocedure GlobalOnCreate;\nbegin\n  ShowMessage('hi');\nend;\n"
        "//@ global\nfunction Twice(N: Integer): Integer;\nbegin\n  Result := N * Limit;\nend;\n"
        "//@ handler Label1 OnPrint\nprocedure Label1OnPrint;\nbegin\nend;\n");
    TraCodeModule module;
    script::ReadCodeModuleText(module, text);
    EXPECT_EQ(module.ProgramCount(), 4);
    ASSERT_TRUE(module.GlobalOnCreate());
    EXPECT_EQ(module.GlobalOnCreate()->ProgramName, QStringLiteral("GlobalOnCreate"));
    ASSERT_EQ(module.GlobalPrograms().size(), 1u);
    EXPECT_EQ(module.GlobalPrograms()[0]->ProgramName, QStringLiteral("Twice"));
    EXPECT_EQ(script::WriteCodeModuleText(module), text);
}

TEST(ScriptRun, runs_a_code_module_file_job_start_programs_then_the_named_entry) {
    QTemporaryDir dir;
    const QString text = QStringLiteral(
        "//@ var\nprocedure Variables;\nvar\n  Base: Integer;\nbegin\nend;\n"
        "//@ oncreate\nprocedure GlobalOnCreate;\nbegin\n  Base := 40;\n  ShowMessage('started');\nend;\n"
        "//@ global\nfunction Answer: Integer;\nbegin\n  Result := Base + Extra;\nend;\n"
        "//@ global\nfunction Extra: Integer;\nbegin\n  Result := 2;\nend;\n");
    const QString plain = dir.filePath(QStringLiteral("module.txt"));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    // The same module as a .ctm file.
    TraCodeModule module;
    script::ReadCodeModuleText(module, text);
    const QString ctm = dir.filePath(QStringLiteral("module.ctm"));
    module.Template()->SetFileName(ctm);
    module.Template()->SaveToFile();
    for (const QString& path : {plain, ctm}) {
        SCOPED_TRACE(path.toStdString());
        QProcess run;
        run.start(QStringLiteral(SCRIPT_RUN), {QStringLiteral("--module"), path, QStringLiteral("--entry"), QStringLiteral("Answer")});
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardOutput()),
                  QStringLiteral("ShowMessage: started\nInteger 42\n"));
        EXPECT_EQ(run.exitCode(), 0);
    }
}
