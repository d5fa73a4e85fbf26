// The bases of the compiled tree: children filed by their role, freeing, notification
// links, variables, and the bin of temporaries.

#include "report/script/expression.h"
#include "report/script/node.h"
#include "report/script/values.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

/// A value that records when it is freed.
class Probe : public TraIntegerValue {
public:
    Probe(int id, std::vector<int>& freed) : TraIntegerValue(id), m_freed(freed) {}
    ~Probe() override { m_freed.push_back(Value()); }

private:
    std::vector<int>& m_freed;
};

TEST(ScriptNodes, a_new_role_files_the_child_anew) {
    TraExpression parent;
    auto* a = parent.Add(std::make_unique<TraIntegerValue>(1));
    auto* b = parent.Add(std::make_unique<TraIntegerValue>(2));
    auto* c = parent.Add(std::make_unique<TraIntegerValue>(3));
    EXPECT_EQ(parent.IndexOfChild(a), 0);
    a->SetChildType(0);  // same role: moves to the end of the plain list
    EXPECT_EQ(parent.IndexOfChild(b), 0);
    EXPECT_EQ(parent.IndexOfChild(c), 1);
    EXPECT_EQ(parent.IndexOfChild(a), 2);
    b->SetChildType(11);  // becomes the left operand
    EXPECT_EQ(parent.Value1(), b);
    EXPECT_EQ(parent.IndexOfChild(b), -1);
    b->SetChildType(10);  // becomes the result value
    EXPECT_EQ(parent.Value1(), nullptr);
    EXPECT_EQ(parent.ResultValue(), b);
    EXPECT_EQ(b->Parent(), &parent);
}

TEST(ScriptNodes, freeing_a_parent_frees_every_child_once_the_last_first) {
    std::vector<int> freed;
    {
        TraExpression parent;
        for (int i = 1; i <= 3; ++i)
            parent.Add(std::make_unique<Probe>(i, freed));
        Probe* second = static_cast<Probe*>(parent.Children(1));
        parent.Take(second).reset();  // freed on its own: leaves the list
        EXPECT_EQ(freed, std::vector<int>{2});
        EXPECT_EQ(parent.ChildCount(), 2);
    }
    EXPECT_EQ(freed, (std::vector<int>{2, 3, 1}));
}

TEST(ScriptNodes, notification_links_are_two_way_and_dissolve_when_a_partner_is_freed) {
    TraIntegerValue a(1);
    {
        TraIntegerValue b(2);
        a.AddNotify(&b);
        EXPECT_EQ(a.AddNotify(&b), 0);  // listed once
        EXPECT_EQ(a.NotifyCount(), 1);
        EXPECT_EQ(b.NotifyCount(), 1);
    }
    EXPECT_EQ(a.NotifyCount(), 0);
    EXPECT_FALSE(a.HasNotifyList());
    TraIntegerValue c(3);
    a.AddNotify(&c);
    c.RemoveNotify(&a);
    EXPECT_FALSE(a.HasNotifyList());
    EXPECT_FALSE(c.HasNotifyList());
}

TEST(ScriptNodes, an_operand_owned_elsewhere_clears_itself_from_the_expression_when_freed) {
    TraExpression e;
    auto variable = std::make_unique<TraVariableValue>(QStringLiteral("x"), std::make_unique<TraIntegerValue>(4));
    e.SetValue1(script::FoundValue::Reference(variable.get()));
    EXPECT_EQ(e.Value1(), variable.get());
    EXPECT_EQ(variable->Parent(), nullptr);
    variable.reset();
    EXPECT_EQ(e.Value1(), nullptr);
    EXPECT_EQ(e.Execute(), nullptr);
}

TEST(ScriptNodes, a_variable_wraps_its_value_and_a_read_only_one_refuses_assignment) {
    TraVariableValue v(QStringLiteral("Total"), std::make_unique<TraIntegerValue>(5));
    EXPECT_EQ(v.DataType(), TraDataType::daInteger);
    EXPECT_EQ(v.GetText(), QStringLiteral("Total: 5"));
    EXPECT_EQ(v.Evaluate(), v.Value());
    EXPECT_TRUE(v.Value()->IsReference);
    TraIntegerValue nine(9);
    EXPECT_TRUE(v.AssignValue(&nine));
    EXPECT_EQ(v.GetText(), QStringLiteral("Total: 9"));
    v.IsReadOnly = true;
    TraIntegerValue one(1);
    EXPECT_FALSE(v.AssignValue(&one));
    EXPECT_EQ(v.GetText(), QStringLiteral("Total: 9"));

    TraVariableValue copy;
    copy.CopyFrom(v);
    EXPECT_EQ(copy.GetText(), QStringLiteral("Total: 9"));
    EXPECT_NE(copy.Value(), v.Value());
}

TEST(ScriptNodes, a_temporary_lives_until_the_scope_of_its_statement_ends) {
    TraThrowAwayBin& bin = GetThrowAwayBin();
    const int start = bin.Count();
    TraIntegerValue two(2), three(3);
    TraValue* outer = nullptr;
    {
        script::ThrowAwayScope statement;
        outer = two.Operate(&three, TraTokenType::ttStar);
        {
            script::ThrowAwayScope inner;  // a statement of a function called meanwhile
            two.Operate(&two, TraTokenType::ttPlus);
            EXPECT_EQ(bin.Count(), start + 2);
        }
        ASSERT_TRUE(bin.Contains(outer));
        EXPECT_EQ(outer->GetText(), QStringLiteral("6"));
    }
    EXPECT_EQ(bin.Count(), start);
    std::unique_ptr<TraValue> kept;
    {
        script::ThrowAwayScope statement;
        TraValue* t = two.Operate(&three, TraTokenType::ttPlus);
        kept = bin.Remove(t);
    }
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->ThrowAway());
    EXPECT_EQ(kept->GetText(), QStringLiteral("5"));
}

}  // namespace
