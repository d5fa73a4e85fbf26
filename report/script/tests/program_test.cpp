// Programs: headings and declarations, the lookup of names, syntax error texts, running,
// run failures, cancelling, and the lifetime of temporaries across a nested program run.

#include "report/script/program.h"

#include "report/script/enum_types.h"
#include "report/script/errors.h"
#include "report/script/expression.h"
#include "report/script/run.h"
#include "report/script/values.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TraProgram> compiled(const QString& source) {
    auto p = std::make_unique<TraProgram>();
    p->SetSource(source);
    p->CompileProgram();
    return p;
}

QStringList errors(const TraProgram& p) {
    QStringList list;
    for (int i = 0; i < p.SyntaxErrorCount(); ++i)
        list << QStringLiteral("%1:%2 %3 %4")
                    .arg(p.SyntaxErrors(i)->LineNo)
                    .arg(p.SyntaxErrors(i)->CharPos)
                    .arg(p.SyntaxErrors(i)->ErrorCode)
                    .arg(p.SyntaxErrors(i)->Msg);
    return list;
}

TEST(ScriptProgram, a_heading_makes_parameters_and_the_result) {
    auto p = compiled(QStringLiteral("function F(a: Integer; var b: String; const c, d: Date): Integer;\nbegin\nend;"));
    ASSERT_TRUE(p->Compiled()) << errors(*p).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(p->IsFunctionType);
    EXPECT_EQ(p->ProgramName, QStringLiteral("F"));
    ASSERT_EQ(p->ParamCount(), 4);
    const struct {
        const char* name;
        TraDataType type;
        bool readOnly;
    } params[] = {{"a", TraDataType::daInteger, true},
                  {"b", TraDataType::daString, false},
                  {"c", TraDataType::daDate, true},
                  {"d", TraDataType::daDate, true}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(params[i].name);
        EXPECT_EQ(p->Params(i)->VarName, QLatin1String(params[i].name));
        EXPECT_EQ(p->Params(i)->DataType(), params[i].type);
        EXPECT_EQ(p->Params(i)->IsReadOnly, params[i].readOnly);
    }
    auto* result = dynamic_cast<TraVariableValue*>(p->ResultValue());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->VarName, QStringLiteral("Result"));
    EXPECT_EQ(p->FindVariable(QStringLiteral("RESULT")).node, result);
}

TEST(ScriptProgram, names_resolve_in_lookup_order) {
    auto p = compiled(QStringLiteral("function F(Result: String; a: Integer): Integer;\n"
                                     "const k = 3; clue = 'x';\nvar v: Integer;\nbegin\nend;"));
    ASSERT_TRUE(p->Compiled()) << errors(*p).join(QLatin1Char('\n')).toStdString();
    // "Result" of a function comes before a parameter of that name.
    EXPECT_EQ(p->FindIdentifier(QStringLiteral("result")).node, p->ResultValue());
    EXPECT_EQ(p->FindIdentifier(QStringLiteral("A")).node, p->Params(1));
    EXPECT_EQ(p->FindIdentifier(QStringLiteral("V")).node, p->Variables(0));
    EXPECT_EQ(p->FindIdentifier(QStringLiteral("K")).node, p->Constants(0));
    const struct {
        const char* name;
        const char* found;
    } names[] = {
        {"clRed", "TraIntegerValue 255"},
        {"dtScreen", "TraStringValue Screen"},
        {"Null", "TraVariantValue "},
        {"nil", "TraObjectValue nil"},
        {"utInches", "TraEnumValue utInches"},
        {"TRUE", "TraBooleanValue True"},
        {"TComponent", "TraClassValue TComponent"},
        {"Integer", "TraClassValue Integer"},
        {"nothing", ""},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.name);
        script::FoundValue found = p->FindIdentifier(QString::fromLatin1(n.name));
        EXPECT_EQ(found ? found.node->ClassName() + QLatin1Char(' ') + found.node->GetText() : QString(),
                  QString::fromUtf8(n.found));
        if (found) {
            EXPECT_NE(found.owned, nullptr);
        }
    }
}

TEST(ScriptProgram, a_failed_compile_keeps_only_its_errors) {
    auto p = compiled(QStringLiteral("function F(a: Integer): Integer;\nvar x: Integer;\nbegin\n  x := 1;\n  x := ;\nend;"));
    EXPECT_FALSE(p->Compiled());
    EXPECT_EQ(p->ParamCount(), 0);
    EXPECT_EQ(p->VariableCount(), 0);
    EXPECT_EQ(p->StatementCount(), 0);
    EXPECT_EQ(p->ResultValue(), nullptr);
    EXPECT_EQ(errors(*p), QStringList{"5:7 -1 Expected: identifier, number, string, type, '(', '-', '+' or 'not', "
                                      "but found ';' instead."});
    EXPECT_EQ(p->SyntaxErrors(0)->ErrorText(),
              QStringLiteral("Error: F, Line 5: Expected: identifier, number, string, type, '(', '-', '+' or 'not', "
                             "but found ';' instead."));
}

TEST(ScriptProgram, expected_token_messages_name_the_kinds_in_order) {
    TraParser lexer;
    lexer.Parse(QStringLiteral("x"));
    const TraToken* x = lexer.Tokens(0);
    EXPECT_EQ(script::BuildSyntaxErrorMessage(
                  x, {TraTokenType::ttDotDot, TraTokenType::ttColon, TraTokenType::ttComma}, script::kExpectedToken),
              QStringLiteral("Expected: ':', ',' or '..', but found 'x' instead."));
    EXPECT_EQ(script::BuildSyntaxErrorMessage(x, {TraTokenType::ttThen}, script::kExpectedToken),
              QStringLiteral("Expected: 'then', but found 'x' instead."));
    EXPECT_EQ(script::BuildSyntaxErrorMessage(x, {}, script::kMissingRightParen),
              QStringLiteral("Missing a right parenthesis."));
    EXPECT_EQ(script::BuildSyntaxErrorMessage(x, {}, script::kNotTypeIdentifier),
              QStringLiteral("'x' is not a type identifier."));
}

TEST(ScriptProgram, system_constants_and_enumerated_values) {
    int colour = 0;
    ASSERT_TRUE(FindColorConstant(QStringLiteral("clSilver"), colour));
    EXPECT_EQ(colour, 0xC0C0C0);
    ASSERT_TRUE(FindColorConstant(QStringLiteral("CLLTGRAY"), colour));
    EXPECT_EQ(colour, 0xC0C0C0);
    int misspelt = 0, spelt = 0;
    ASSERT_TRUE(FindColorConstant(QStringLiteral("clHightlightText"), misspelt));
    ASSERT_TRUE(FindColorConstant(QStringLiteral("clHighlightText"), spelt));
    EXPECT_EQ(misspelt, spelt);
    QString device;
    ASSERT_TRUE(FindDeviceTypeConstant(QStringLiteral("DTPRINTER"), device));
    EXPECT_EQ(device, QStringLiteral("Printer"));
    EXPECT_EQ(FindSystemConstant(QStringLiteral("clNotAColour")), nullptr);

    const struct {
        const char* name;
        bool found;
        const char* type;
        int ordinal;
    } values[] = {{"utInches", true, "TppUnitType", 1},
                  {"TRUE", true, "Boolean", 1},
                  {"soAscending", true, "TppSortOrderType", 0},
                  {"poLandscape", true, "TPrinterOrientation", 1},
                  {"xyz", false, "", -1}};
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        QString type;
        int ordinal = 7;
        EXPECT_EQ(FindEnumValue(QString::fromLatin1(v.name), type, ordinal), v.found);
        EXPECT_EQ(type, QLatin1String(v.type));
        EXPECT_EQ(ordinal, v.ordinal);
    }
}

TEST(ScriptProgram, enumerated_types_registered_later_are_found) {
    static const report::EnumType shades{QStringLiteral("TTestShade"), {QStringLiteral("shLight"), QStringLiteral("shDark")}};
    const size_t before = GetEnumTypeList().size();
    QString type;
    int ordinal = 0;
    FindEnumValue(QStringLiteral("utInches"), type, ordinal);  // builds the index
    static const report::EnumType clash{QStringLiteral("TTestClash"), {QStringLiteral("utInches")}};
    RegisterEnumType(shades.name, shades);
    RegisterEnumType(clash.name, clash);
    EXPECT_TRUE(FindEnumValue(QStringLiteral("utInches"), type, ordinal));
    EXPECT_EQ(type, QStringLiteral("TppUnitType"));  // the type registered first wins
    EXPECT_EQ(ordinal, 1);
    UnregisterEnumType(QStringLiteral("TTestClash"));
    EXPECT_TRUE(FindEnumValue(QStringLiteral("SHDARK"), type, ordinal));
    EXPECT_EQ(type, QStringLiteral("TTestShade"));
    EXPECT_EQ(ordinal, 1);
    EXPECT_EQ(FindTypeName(QStringLiteral("ttestshade")), TraDataType::daEnum);
    UnregisterEnumType(QStringLiteral("TTestShade"));
    UnregisterEnumType(QStringLiteral("TNeverRegistered"));
    EXPECT_EQ(GetEnumTypeList().size(), before);
    EXPECT_FALSE(FindEnumValue(QStringLiteral("shDark"), type, ordinal));
}

/// A value whose evaluation runs another program first, as a call of a script function
/// inside an expression does.
class RunsProgram : public TraValue {
public:
    explicit RunsProgram(TraProgram& program) : m_program(program) {}
    std::unique_ptr<TraValue> CreateSame() const override { return nullptr; }
    QString ClassName() const override { return QStringLiteral("RunsProgram"); }
    TraDataType DataType() const override { return TraDataType::daInteger; }
    TraValue* Evaluate() override {
        m_program.Execute();
        return script::MakeTemp<TraIntegerValue>(1);
    }

private:
    TraProgram& m_program;
};

TEST(ScriptProgram, temporaries_of_a_statement_survive_a_program_run_inside_it) {
    auto inner = compiled(QStringLiteral("procedure Inner;\nvar x: Integer;\nbegin\n  x := 1 + 1;\n  x := x * 3 + x;\nend;"));
    ASSERT_TRUE(inner->Compiled());
    // (program run) + (2 * 3): the right operand's product is a temporary made before the
    // left operand runs the program, whose statements free their own temporaries.
    TraExpression sum;
    sum.AllowAssignment = false;
    sum.Operator = TraTokenType::ttPlus;
    sum.SetValue1(script::FoundValue::Owned(std::make_unique<RunsProgram>(*inner)));
    auto product = std::make_unique<TraExpression>();
    product->AllowAssignment = false;
    product->Operator = TraTokenType::ttStar;
    product->SetValue1(script::FoundValue::Owned(std::make_unique<TraIntegerValue>(2)));
    product->SetValue2(script::FoundValue::Owned(std::make_unique<TraIntegerValue>(3)));
    TraExpression* productNode = product.get();
    sum.SetValue2(script::FoundValue::Owned(std::move(product)));

    script::ThrowAwayScope statement;
    TraValue* right = productNode->Execute();
    ASSERT_NE(right, nullptr);
    inner->Execute();
    EXPECT_TRUE(GetThrowAwayBin().Contains(right));
    EXPECT_EQ(right->GetText(), QStringLiteral("6"));
    TraValue* total = sum.Execute();
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->GetText(), QStringLiteral("7"));
}

TEST(ScriptProgram, a_run_failure_names_the_program_line_column_and_cause) {
    auto p = compiled(QStringLiteral("function Ratio: Extended;\nvar n: Integer;\nbegin\n  n := 0;\n"
                                     "  Result := 10 /\n    n;\nend;"));
    ASSERT_TRUE(p->Compiled());
    const script::RunResult r = script::RunProgram(*p);
    EXPECT_EQ(r.outcome, script::Outcome::Failed);
    EXPECT_EQ(r.failure, QStringLiteral("Run failure in Ratio, line 5, column 16: Division by zero"));
    try {
        p->Execute();
        ADD_FAILURE() << "no run failure";
    } catch (const EScriptRunError& e) {
        EXPECT_EQ(e.ProgramName(), QStringLiteral("Ratio"));
        EXPECT_EQ(e.LineNo(), 5);
        EXPECT_EQ(e.CharPos(), 15);
        EXPECT_EQ(e.Cause(), QStringLiteral("Division by zero"));
    }
}

TEST(ScriptProgram, loops_stop_when_the_cancel_flag_is_set) {
    const char* sources[] = {
        "procedure P;\nbegin\n  while True do\n  begin\n  end;\nend;",
        "procedure P;\nvar i: Integer;\nbegin\n  repeat\n    i := 1;\n  until False;\nend;",
        "procedure P;\nvar i, n: Integer;\nbegin\n  for i := 1 to 10 do\n    n := i;\nend;",
    };
    for (const char* source : sources) {
        SCOPED_TRACE(source);
        auto p = compiled(QString::fromLatin1(source));
        ASSERT_TRUE(p->Compiled()) << errors(*p).join(QLatin1Char('\n')).toStdString();
        script::CancelFlag() = true;
        const script::RunResult r = script::RunProgram(*p);
        script::CancelFlag() = false;
        EXPECT_EQ(r.outcome, script::Outcome::Cancelled);
        EXPECT_TRUE(r.failure.isEmpty());
    }
}

TEST(ScriptProgram, default_sources_and_body_lines) {
    TraProgram f;
    f.ProgramName = QStringLiteral("Total");
    f.ProgramType = TraTokenType::ttFunction;
    f.CreateDefaultSource();
    EXPECT_EQ(f.Source(), QStringLiteral("function Total: Variant;\r\nbegin\r\n\r\n  Result := \r\n\r\nend;\r\n"));
    EXPECT_EQ(f.BodyStartLine(), 2);
    EXPECT_EQ(f.BodyEndLine(), 4);
    f.SetBodyText(QStringLiteral("  Result := 42;"));
    EXPECT_EQ(f.Source(), QStringLiteral("function Total: Variant;\r\nbegin\r\n  Result := 42;\r\nend;\r\n"));
    f.CompileProgram();
    ASSERT_TRUE(f.Compiled());
    EXPECT_EQ(script::RunProgram(f).text, QStringLiteral("42"));

    TraConstProgram c;
    c.ProgramName = QStringLiteral("GlobalConst");
    c.CreateDefaultSource();
    EXPECT_EQ(c.Source(), QStringLiteral("procedure GlobalConst;\r\nconst\r\n   \r\nbegin\r\n\r\nend;\r\n"));
}

TEST(ScriptProgram, changing_the_source_drops_the_compiled_tree) {
    auto p = compiled(QStringLiteral("function F: Integer;\nvar x: Integer;\nbegin\n  Result := 1;\nend;"));
    ASSERT_TRUE(p->Compiled());
    EXPECT_EQ(p->StatementCount(), 1);
    p->SetSource(QStringLiteral("function F: Integer;\nbegin\n  Result := 2;\nend;"));
    EXPECT_FALSE(p->Compiled());
    EXPECT_TRUE(p->SourceModified);
    EXPECT_EQ(p->StatementCount(), 0);
    EXPECT_EQ(p->VariableCount(), 0);
    p->CompileProgram(true);
    ASSERT_TRUE(p->Compiled());
    EXPECT_EQ(script::RunProgram(*p).text, QStringLiteral("2"));
}

}  // namespace
