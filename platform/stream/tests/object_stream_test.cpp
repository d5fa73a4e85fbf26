#include "platform/stream/object_stream.h"
#include "platform/stream/tests/sample_classes.h"
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

}  // namespace
