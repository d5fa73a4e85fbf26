#include "platform/stream/object_stream.h"
#include "platform/stream/tests/sample_classes.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using streamtest::FixColor;
using streamtest::FixStyle;
using streamtest::TFixComponent;

std::unique_ptr<TFixComponent> FilledTree() {
    auto root = std::make_unique<TFixComponent>();
    root->SetStreamName(QStringLiteral("Root"));
    root->Int8Value = -5;
    root->Int16Value = 1000;
    root->Int32Value = 100000;
    root->Int64Value = 10000000000LL;
    root->SmallValue = 3;
    root->FloatValue = 3.25L;
    root->DoubleValue = 0.1;
    root->SingleValue = 2.5f;
    root->Money = 12345678;
    root->When = 45351.5;
    root->ShortText = QStringLiteral("It's short");
    root->LongText = QString(300, QLatin1Char('x'));
    root->WideText = QStringLiteral("Gr\u00FC\u00DFe \u20AC");
    root->Flag = true;
    root->Color = FixColor::fcBlue;
    root->Styles = FixStyle::fsBold | FixStyle::fsUnderline;
    root->Font.SetName(QStringLiteral("Courier"));
    root->Font.SetSize(12);
    root->Items.AddItem().SetCaption(QStringLiteral("first"));
    auto& second = root->Items.AddItem();
    second.SetCaption(QStringLiteral("second"));
    second.SetWeight(7);
    root->Lines = QStringList{QStringLiteral("one"), QStringLiteral("two")};
    root->OnClick = QStringLiteral("RootClick");
    root->Data = QByteArray("\x01\x02\xFF", 3);
    auto& child = root->AddChild(QStringLiteral("Child1"));
    child.Int8Value = 1;
    root->AddChild(QStringLiteral("Child2")).Buddy = &child;
    return root;
}

TEST(ObjectStream, writes_only_what_differs_from_the_defaults) {
    TFixComponent plain;
    plain.SetStreamName(QStringLiteral("Plain"));
    const stream::ObjectData data = stream::ComponentToObjectData(plain);
    // The integers without default are always written; Items is a collection, written
    // even when empty; everything else holds its default.
    QStringList names;
    for (const stream::Property& p : data.properties) names << p.name;
    EXPECT_EQ(names, (QStringList{"Int8Value", "Int16Value", "Int32Value", "Int64Value", "Items"}));
    EXPECT_TRUE(data.properties.back().value.AsCollection().empty());
}

TEST(ObjectStream, tree_written_and_read_back_by_class_name_is_equal) {
    const auto root = FilledTree();
    const QByteArray bytes = stream::WriteComponent(*root);
    ASSERT_TRUE(bytes.startsWith("TPF0"));

    stream::ReadOptions options;
    options.registry = &streamtest::FixRegistry();
    std::unique_ptr<stream::Component> read = stream::ReadComponent(bytes, options);
    auto* back = dynamic_cast<TFixComponent*>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->StreamName(), "Root");
    EXPECT_EQ(back->Int64Value, 10000000000LL);
    EXPECT_EQ(back->FloatValue, 3.25L);
    EXPECT_EQ(back->DoubleValue, 0.1);
    EXPECT_EQ(back->Money, 12345678);
    EXPECT_EQ(back->WideText, root->WideText);
    EXPECT_EQ(back->LongText, root->LongText);
    EXPECT_EQ(back->Color, FixColor::fcBlue);
    EXPECT_EQ(back->Styles, root->Styles);
    EXPECT_EQ(back->Font.Name(), "Courier");
    ASSERT_EQ(back->Items.Count(), 2);
    EXPECT_EQ(back->Items.Item(1).Weight(), 7);
    EXPECT_EQ(back->Lines, root->Lines);
    EXPECT_EQ(back->OnClick, "RootClick");
    EXPECT_EQ(back->Data, root->Data);
    ASSERT_EQ(back->Children().size(), 2u);
    EXPECT_EQ(back->Children()[1]->Buddy, back->Children()[0].get());
    EXPECT_EQ(back->loadedCalls, 1);
    EXPECT_EQ(stream::WriteComponent(*back), bytes);
}

/// A component that holds no children.
class TLeaf : public stream::Component {
public:
    const stream::PropertyList& StreamProperties() const override {
        static const stream::PropertyTable<TLeaf> table;
        return table;
    }
    QString StreamClassName() const override { return QStringLiteral("TLeaf"); }
    QString StreamName() const override { return m_name; }
    void SetStreamName(const QString& name) override { m_name = name; }

private:
    QString m_name;
};

stream::ClassRegistry& Registry() {
    static stream::ClassRegistry registry = [] {
        stream::ClassRegistry r;
        r.Register<TFixComponent>(QStringLiteral("TFixComponent"));
        r.Register<TLeaf>(QStringLiteral("TLeaf"));
        return r;
    }();
    return registry;
}

std::unique_ptr<TFixComponent> ReadText(const QByteArray& text, stream::ReadOptions options = {}) {
    options.registry = &Registry();
    if (!options.findComponent)
        options.findComponent = [](const QString& name) -> stream::Component* {
            static TLeaf leaf;
            leaf.SetStreamName(QStringLiteral("Leaf"));
            return name == QLatin1String("Leaf") ? &leaf : nullptr;
        };
    std::unique_ptr<stream::Component> c = stream::ReadComponent(text, options);
    auto* fix = dynamic_cast<TFixComponent*>(c.get());
    if (fix) c.release();
    return std::unique_ptr<TFixComponent>(fix);
}

struct ReadErrorCase {
    const char* label;
    const char* body;  ///< lines inside "object Root: TFixComponent" ... "end"
    stream::StreamErrorKind kind;
    const char* message;
    int line;
};

TEST(ObjectStream, reading_errors_name_the_object_the_property_and_the_line) {
    using K = stream::StreamErrorKind;
    const ReadErrorCase cases[] = {
        {"unknown property", "  Nope = 1\n", K::UnknownProperty, "Error reading Root.Nope: Property Nope does not exist", 2},
        {"boolean given a number", "  Flag = 5\n", K::WrongValueKind,
         "Error reading Root.Flag: Invalid property value: Boolean expected, found 8-bit integer", 2},
        {"integer out of range", "  SmallValue = 70000\n", K::WrongValueKind,
         "Error reading Root.SmallValue: Invalid property value: 70000 is out of range", 2},
        {"integer given a text", "  Int8Value = 'x'\n", K::WrongValueKind,
         "Error reading Root.Int8Value: Invalid property value: Integer expected, found short string", 2},
        {"unknown enumeration value", "  Color = fcPink\n", K::WrongValueKind,
         "Error reading Root.Color: Invalid property value fcPink", 2},
        {"unknown set element", "  Styles = [fsBold, fsWide]\n", K::WrongValueKind,
         "Error reading Root.Styles: Invalid property value fsWide", 2},
        {"unknown sub-property", "  Font.Nope = 1\n", K::UnknownProperty,
         "Error reading Root.Font.Nope: Property Font.Nope does not exist", 2},
        {"strings without Strings", "  Lines.Nope = ()\n", K::UnknownProperty,
         "Error reading Root.Lines.Nope: Property Lines.Nope does not exist", 2},
        {"object given a value", "  Font = 1\n", K::WrongValueKind,
         "Error reading Root.Font: Invalid property value: Font is an object, found 8-bit integer", 2},
        {"collection item property", "  Items = <\n    item\n      Nope = 1\n    end>\n", K::UnknownProperty,
         "Error reading Root.Items[0].Nope: Property Nope does not exist", 4},
        {"defined binary property given a number", "  Data = 5\n", K::WrongValueKind,
         "Error reading Root.Data: Invalid property value: binary data expected, found 8-bit integer", 2},
        {"reference given a number", "  Buddy = 5\n", K::WrongValueKind,
         "Error reading Root.Buddy: Invalid property value: component name expected, found 8-bit integer", 2},
        {"unresolved reference", "  Buddy = Ghost\n", K::UnresolvedReference,
         "Error reading Root.Buddy: component Ghost not found", 2},
        {"reference to a component of the wrong class", "  Buddy = Leaf\n", K::WrongValueKind,
         "Error reading Root.Buddy: Leaf is a TLeaf, which this property cannot hold", 2},
        {"unknown class", "  object C: TNoSuch\n  end\n", K::UnknownClass, "Class TNoSuch not found", 2},
        {"component that holds no children", "  object L: TLeaf\n  end\n", K::NotAChild,
         "Root cannot hold a child of class TLeaf", 2},
    };
    for (const ReadErrorCase& c : cases) {
        SCOPED_TRACE(c.label);
        const QByteArray text = QByteArray("object Root: TFixComponent\n") + c.body + "end\n";
        try {
            ReadText(text);
            ADD_FAILURE() << "no error";
        } catch (const stream::StreamError& e) {
            EXPECT_EQ(e.Kind(), c.kind);
            EXPECT_EQ(e.What().toStdString(), std::string(c.message));
            EXPECT_EQ(e.Pos().line, c.line);
        }
    }
}

TEST(ObjectStream, unknown_root_class_is_reported_before_anything_is_built) {
    try {
        ReadText("object R: TNoSuch\nend\n");
        ADD_FAILURE() << "no error";
    } catch (const stream::StreamError& e) {
        EXPECT_EQ(e.Kind(), stream::StreamErrorKind::UnknownClass);
        EXPECT_EQ(e.Message(), "Class TNoSuch not found (at line 1, column 1)");
    }
}

TEST(ObjectStream, errors_the_caller_ignores_skip_only_what_failed) {
    QStringList seen;
    stream::ReadOptions options;
    options.onError = [&](const stream::StreamError& e) {
        seen << e.Message();
        return true;
    };
    const auto root = ReadText(
        "object Root: TFixComponent\n"
        "  Nope = 1\n"
        "  Flag = True\n"
        "  object Lost: TNoSuch\n"
        "    Anything = 1\n"
        "  end\n"
        "  object Kept: TFixComponent\n"
        "    Int8Value = 9\n"
        "  end\n"
        "end\n",
        options);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->Flag);
    ASSERT_EQ(root->Children().size(), 1u);
    EXPECT_EQ(root->Children()[0]->Int8Value, 9);
    EXPECT_EQ(seen, (QStringList{"Error reading Root.Nope: Property Nope does not exist (at line 2, column 3)",
                                 "Class TNoSuch not found (at line 4, column 3)"}));
}

TEST(ObjectStream, reader_hooks_rename_report_each_component_and_resolve_outside_references) {
    TFixComponent outside;
    outside.SetStreamName(QStringLiteral("Outside"));
    QStringList order;
    stream::ReadOptions options;
    options.onSetName = [](stream::Component&, QString& name) {
        if (name == QLatin1String("Child1")) name = QStringLiteral("Child1_1");
    };
    options.onComponentRead = [&](stream::Component& c) { order << c.StreamName(); };
    options.findComponent = [&](const QString& name) -> stream::Component* {
        return name == QLatin1String("Outside") ? &outside : nullptr;
    };
    const auto root = ReadText(
        "object Root: TFixComponent\n"
        "  Buddy = Outside\n"
        "  object Child1: TFixComponent\n"
        "  end\n"
        "  object Child2: TFixComponent\n"
        "    Buddy = Child1_1\n"
        "  end\n"
        "end\n",
        options);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(order, (QStringList{"Child1_1", "Child2", "Root"}));
    EXPECT_EQ(root->Buddy, &outside);
    EXPECT_EQ(root->Children()[1]->Buddy, root->Children()[0].get());
}

TEST(ObjectStream, stream_reads_into_an_existing_root) {
    TFixComponent root;
    root.Int16Value = 44;
    stream::ReadOptions options;
    options.registry = &Registry();
    stream::ReadComponentInto(root,
                              stream::ParseObjectText("object Report: TOtherClass\n  Flag = True\n"
                                                      "  object Band: TFixComponent\n  end\nend\n"),
                              options);
    EXPECT_EQ(root.StreamName(), "Report");
    EXPECT_TRUE(root.Flag);
    EXPECT_EQ(root.Int16Value, 44);
    ASSERT_EQ(root.Children().size(), 1u);
    EXPECT_EQ(root.loadedCalls, 1);
    EXPECT_EQ(root.Children()[0]->loadedCalls, 1);
}

}  // namespace
