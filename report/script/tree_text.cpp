#include "report/script/tree_text.h"
#include "report/script/members.h"

#include "report/script/expression.h"
#include "report/script/program.h"
#include "report/script/statements.h"
#include "report/script/values.h"

namespace script {
namespace {

class Writer {
public:
    QString text;

    void line(int depth, const QString& s) { text += QString(depth * 2, QLatin1Char(' ')) + s + QLatin1Char('\n'); }

    void statements(const TraRelative* parent, int depth) {
        for (int i = 0; i < parent->ChildCount(); ++i)
            node(parent->Children(i), depth);
    }

    QString valueLabel(const TraValue* v) {
        if (auto* s = dynamic_cast<const TraStringValue*>(v))
            return QStringLiteral("String '") + QString(s->Value()).replace(QLatin1String("'"), QLatin1String("''")) +
                   QLatin1Char('\'');
        if (auto* b = dynamic_cast<const TraBooleanValue*>(v))
            return QStringLiteral("Boolean ") + b->GetText();
        if (auto* e = dynamic_cast<const TraEnumValue*>(v))
            return QStringLiteral("Enum ") + e->TypeName + QLatin1Char('.') + e->GetText();
        if (auto* c = dynamic_cast<const TraClassValue*>(v)) {
            if (c->SimpleTypeCast != TraDataType::daUnknown)
                return QStringLiteral("cast ") + DataTypeName(c->SimpleTypeCast);
            if (!c->ObjectName().isEmpty())
                return QStringLiteral("object ") + c->ObjectName();
            return QStringLiteral("class ") + c->GetText();
        }
        if (auto* o = dynamic_cast<const TraObjectValue*>(v))
            return QStringLiteral("object ") + o->ObjectName();
        if (auto* var = dynamic_cast<const TraVariantValue*>(v)) {
            if (IsNullVariant(var->Value()))
                return QStringLiteral("Variant Null");
            return QStringLiteral("Variant ") + var->GetText();
        }
        return DataTypeName(v->DataType()) + QLatin1Char(' ') + v->GetText();
    }

    QString variableLabel(const TraVariableValue* v) {
        switch (v->ChildType()) {
        case 10:
            return QStringLiteral("result ") + v->VarName;
        case 13:
            return QStringLiteral("param ") + v->VarName;
        case 14:
            return QStringLiteral("const ") + v->VarName;
        default:
            return QStringLiteral("var ") + v->VarName;
        }
    }

    static QString operatorName(TraTokenType op) {
        switch (op) {
        case TraTokenType::ttUnaryPlus:
            return QStringLiteral("unary +");
        case TraTokenType::ttUnaryMinus:
            return QStringLiteral("unary -");
        default:
            return TokenSpelling(op);
        }
    }

    void expression(const TraExpression* e, int depth) {
        // A condition or bound holds its tree's root as its only operand: show the root.
        auto* inner = dynamic_cast<const TraExpression*>(e->Value1());
        if (!e->AllowAssignment && e->Operator == TraTokenType::ttUnknown && inner && !e->Value2())
            return expression(inner, depth);
        if (e->Operator == TraTokenType::ttColonEqual)
            line(depth, QStringLiteral("assign"));
        else if (e->Operator != TraTokenType::ttUnknown)
            line(depth, QStringLiteral("op ") + operatorName(e->Operator));
        else
            line(depth, e->AllowAssignment ? QStringLiteral("statement") : QStringLiteral("node"));
        if (e->Value1())
            node(e->Value1(), depth + 1);
        if (e->Value2())
            node(e->Value2(), depth + 1);
    }

    void ifStatement(const TraIfStatement* s, int depth) {
        line(depth, QStringLiteral("if"));
        line(depth + 1, QStringLiteral("condition"));
        if (s->Condition())
            node(s->Condition(), depth + 2);
        line(depth + 1, QStringLiteral("then"));
        statements(s, depth + 2);
        if (auto* e = dynamic_cast<const TraIfStatement*>(s->ElseBranch())) {
            line(depth + 1, QStringLiteral("else"));
            if (e->Condition())
                ifStatement(e, depth + 2);
            else
                statements(e, depth + 2);
        }
    }

    void caseStatement(const TraCaseStatement* s, int depth) {
        line(depth, QStringLiteral("case"));
        line(depth + 1, QStringLiteral("selector"));
        if (s->Selector())
            node(s->Selector(), depth + 2);
        for (const TraCaseStatement* arm = s; arm; arm = dynamic_cast<const TraCaseStatement*>(arm->ElseBranch())) {
            const auto* marker = arm->Labels().size() == 1 ? dynamic_cast<const TraVariableValue*>(arm->Labels()[0])
                                                           : nullptr;
            if (marker && marker->VarName == QLatin1String("else")) {
                line(depth + 1, QStringLiteral("else"));
            } else {
                line(depth + 1, QStringLiteral("arm"));
                for (const TraValue* label : arm->Labels())
                    node(label, depth + 2);
            }
            line(depth + 2, QStringLiteral("do"));
            statements(arm, depth + 3);
        }
    }

    /// A declaration prints the variable's type or the constant's value; a use its name.
    void declaration(const TraVariableValue* v, int depth) {
        const QString shown = !v->Value()            ? QStringLiteral("(none)")
                              : v->ChildType() == 14 ? valueLabel(v->Value())
                                                     : DataTypeName(v->Value()->DataType());
        line(depth, variableLabel(v) + QStringLiteral(": ") + shown +
                        (v->IsReadOnly && v->ChildType() == 13 ? QStringLiteral(" read-only") : QString()));
    }

    void node(const TraRelative* n, int depth) {
        if (!n) {
            line(depth, QStringLiteral("(none)"));
            return;
        }
        if (auto* e = dynamic_cast<const TraExpression*>(n))
            return expression(e, depth);
        if (auto* v = dynamic_cast<const TraVariableValue*>(n)) {
            line(depth, variableLabel(v));
            return;
        }
        if (auto* m = dynamic_cast<const TraPropertyValue*>(n)) {
            line(depth, (m->IsConstructor ? QStringLiteral("constructor ")
                         : m->IsArray     ? QStringLiteral("indexed ")
                         : m->IsMethod    ? QStringLiteral("method ")
                                          : QStringLiteral("member ")) +
                            m->PropertyName);
            if (m->OwnerNode())
                node(m->OwnerNode(), depth + 1);
            for (int i = 0; i < m->ArgumentCount(); ++i)
                node(m->Arguments(i), depth + 1);
            return;
        }
        if (auto* c = dynamic_cast<const TraCastValue*>(n)) {
            line(depth, QStringLiteral("cast ") + (c->SimpleTypeCast != TraDataType::daUnknown
                                                       ? DataTypeName(c->SimpleTypeCast)
                                                       : c->GetText()));
            node(c->Operand(), depth + 1);
            return;
        }
        if (auto* r = dynamic_cast<const TraSubrangeValue*>(n)) {
            line(depth, QStringLiteral("range"));
            node(r->Value1(), depth + 1);
            node(r->Value2(), depth + 1);
            return;
        }
        if (auto* s = dynamic_cast<const TraIfStatement*>(n))
            return ifStatement(s, depth);
        if (auto* c = dynamic_cast<const TraCaseStatement*>(n))
            return caseStatement(c, depth);
        if (auto* f = dynamic_cast<const TraForLoop*>(n)) {
            line(depth, f->IsDownTo ? QStringLiteral("for downto") : QStringLiteral("for to"));
            node(f->ControlVariable(), depth + 1);
            node(f->StartValue(), depth + 1);
            node(f->EndValue(), depth + 1);
            line(depth + 1, QStringLiteral("do"));
            statements(f, depth + 2);
            return;
        }
        if (auto* w = dynamic_cast<const TraWhileLoop*>(n)) {
            line(depth, QStringLiteral("while"));
            node(w->Condition(), depth + 1);
            line(depth + 1, QStringLiteral("do"));
            statements(w, depth + 2);
            return;
        }
        if (auto* r = dynamic_cast<const TraRepeatLoop*>(n)) {
            line(depth, QStringLiteral("repeat"));
            statements(r, depth + 1);
            line(depth + 1, QStringLiteral("until"));
            node(r->Condition(), depth + 2);
            return;
        }
        if (auto* v = dynamic_cast<const TraValue*>(n))
            return line(depth, valueLabel(v));
        line(depth, QStringLiteral("?"));
    }
};

}  // namespace

QString NodeText(const TraRelative* aNode, int aDepth) {
    Writer w;
    w.node(aNode, aDepth);
    return w.text;
}

QString TreeText(const TraProgram& aProgram) {
    Writer w;
    QString heading = (aProgram.ProgramType == TraTokenType::ttFunction ? QStringLiteral("function ")
                                                                         : QStringLiteral("procedure ")) +
                      aProgram.ProgramName;
    auto* result = dynamic_cast<const TraVariableValue*>(aProgram.ResultValue());
    if (result && result->Value())
        heading += QStringLiteral(": ") + DataTypeName(result->Value()->DataType());
    w.line(0, heading);
    for (int i = 0; i < aProgram.ParamCount(); ++i)
        w.declaration(aProgram.Params(i), 1);
    for (int i = 0; i < aProgram.ConstantCount(); ++i)
        w.declaration(aProgram.Constants(i), 1);
    for (int i = 0; i < aProgram.VariableCount(); ++i)
        w.declaration(aProgram.Variables(i), 1);
    w.line(1, QStringLiteral("body"));
    w.statements(&aProgram, 2);
    return w.text;
}

}  // namespace script
