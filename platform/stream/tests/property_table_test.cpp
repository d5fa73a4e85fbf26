#include "platform/stream/property_table.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QPointer>

namespace {

enum class TBoxAlign { taLeftJustify, taRightJustify, taCenter };

/// A QObject-based component: its name is the objectName, its children are QObject
/// children that the parent frees.
class TBoxBase : public QObject, public stream::Component {
public:
    static const stream::PropertyTable<TBoxBase>& Table() {
        static const auto table = stream::PropertyTable<TBoxBase>()
            .Integer("Tag", &TBoxBase::Tag, &TBoxBase::SetTag, 0)
            .Boolean("Visible", &TBoxBase::Visible, &TBoxBase::SetVisible, true, &TBoxBase::IsVisibleStored)
            .Reference("Partner", &TBoxBase::Partner, &TBoxBase::SetPartner);
        return table;
    }
    const stream::PropertyList& StreamProperties() const override { return Table(); }
    QString StreamClassName() const override { return QStringLiteral("TBoxBase"); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override {
        for (const TBoxBase* c : findChildren<TBoxBase*>(Qt::FindDirectChildrenOnly)) proc(*c);
    }
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override {
        auto* box = dynamic_cast<TBoxBase*>(child.get());
        if (!box) return false;
        child.release();
        box->setParent(this);
        return true;
    }

    int Tag() const { return m_tag; }
    void SetTag(int v) { m_tag = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { m_visible = v; }
    bool IsVisibleStored() const { return !locked; }
    QPointer<TBoxBase> Partner() const { return m_partner; }
    void SetPartner(TBoxBase* p) { m_partner = p; }

    bool locked = false;

private:
    int m_tag = 0;
    bool m_visible = true;
    QPointer<TBoxBase> m_partner;
};

class TBoxLabel : public TBoxBase {
public:
    static const stream::PropertyTable<TBoxLabel>& Table() {
        static const auto table = stream::PropertyTable<TBoxLabel>(TBoxBase::Table())
            .Integer("Tag", &TBoxLabel::Tag, &TBoxLabel::SetTag, 5)
            .String("Caption", &TBoxLabel::Caption, &TBoxLabel::SetCaption)
            .WideString("Hint", &TBoxLabel::Hint, &TBoxLabel::SetHint)
            .Enum("Alignment", &TBoxLabel::Alignment, &TBoxLabel::SetAlignment,
                  {"taLeftJustify", "taRightJustify", "taCenter"}, TBoxAlign::taCenter)
            .Currency("Price", &TBoxLabel::Price, &TBoxLabel::SetPrice)
            .Date("Printed", &TBoxLabel::Printed, &TBoxLabel::SetPrinted)
            .Single("Ratio", &TBoxLabel::Ratio, &TBoxLabel::SetRatio, 1.0);
        return table;
    }
    const stream::PropertyList& StreamProperties() const override { return Table(); }
    QString StreamClassName() const override { return QStringLiteral("TBoxLabel"); }

    TBoxLabel() { SetTag(5); }
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    QString Hint() const { return m_hint; }
    void SetHint(const QString& v) { m_hint = v; }
    TBoxAlign Alignment() const { return m_alignment; }
    void SetAlignment(TBoxAlign v) { m_alignment = v; }
    double Price() const { return m_price; }
    void SetPrice(double v) { m_price = v; }
    double Printed() const { return m_printed; }
    void SetPrinted(double v) { m_printed = v; }
    float Ratio() const { return m_ratio; }
    void SetRatio(float v) { m_ratio = v; }

private:
    QString m_caption;
    QString m_hint;
    TBoxAlign m_alignment = TBoxAlign::taCenter;
    double m_price = 0;
    double m_printed = 0;
    float m_ratio = 1.0f;
};

stream::ClassRegistry& BoxRegistry() {
    static stream::ClassRegistry registry = [] {
        stream::ClassRegistry r;
        r.Register<TBoxBase>(QStringLiteral("TBoxBase"));
        r.Register<TBoxLabel>(QStringLiteral("TBoxLabel"));
        return r;
    }();
    return registry;
}

QStringList Names(const stream::PropertyList& list) {
    QStringList names;
    for (const stream::PropertyInfo& p : list.Properties()) names << p.name;
    return names;
}

TEST(PropertyTable, subclass_table_keeps_the_base_order_and_replaces_redeclared_properties) {
    EXPECT_EQ(Names(TBoxLabel::Table()),
              (QStringList{"Tag", "Visible", "Partner", "Caption", "Hint", "Alignment", "Price", "Printed", "Ratio"}));
    EXPECT_TRUE(*TBoxLabel::Table().Find(QStringLiteral("tag"))->defaultValue == stream::Value::Integer(5));
    EXPECT_TRUE(*TBoxBase::Table().Find(QStringLiteral("Tag"))->defaultValue == stream::Value::Integer(0));
    EXPECT_EQ(TBoxLabel::Table().Find(QStringLiteral("Nope")), nullptr);
}

TEST(PropertyTable, defaults_and_stored_predicates_decide_what_is_written) {
    TBoxLabel label;
    label.setObjectName(QStringLiteral("Label1"));
    const auto text = [&] {
        return QString::fromUtf8(stream::ObjectDataToText(stream::ComponentToObjectData(label), stream::TextOptions{"\n"}));
    };
    EXPECT_EQ(text(), "object Label1: TBoxLabel\nend\n");

    label.SetTag(0);
    label.SetVisible(false);
    label.SetAlignment(TBoxAlign::taLeftJustify);
    label.SetHint(QStringLiteral("plain"));
    label.SetPrice(12.5);
    label.SetRatio(0.5f);
    EXPECT_EQ(text(),
              "object Label1: TBoxLabel\n"
              "  Tag = 0\n"
              "  Visible = False\n"
              "  Hint = 'plain'\n"
              "  Alignment = taLeftJustify\n"
              "  Price = 125000c\n"
              "  Ratio = 0.5s\n"
              "end\n");
    EXPECT_EQ(stream::ComponentToObjectData(label).FindProperty(QStringLiteral("Hint"))->value.Type(),
              stream::ValueType::WString);

    label.locked = true;  // Visible is no longer stored, whatever its value
    EXPECT_FALSE(text().contains(QStringLiteral("Visible")));
}

TEST(PropertyTable, qobject_tree_streams_out_and_in_with_names_parents_and_links) {
    TBoxLabel root;
    root.setObjectName(QStringLiteral("Report"));
    root.SetCaption(QStringLiteral("Sales \u00E9t\u00E9"));
    root.SetPrice(-0.0001);
    root.SetPrinted(45351.75);
    auto* band = new TBoxBase;
    band->setObjectName(QStringLiteral("Band1"));
    band->setParent(&root);
    auto* label = new TBoxLabel;
    label->setObjectName(QStringLiteral("Label1"));
    label->setParent(band);
    label->SetPartner(band);

    stream::ReadOptions options;
    options.registry = &BoxRegistry();
    for (const QByteArray& bytes : {stream::WriteComponent(root), stream::ObjectBinaryToText(stream::WriteComponent(root))}) {
        SCOPED_TRACE(bytes.left(4).toStdString());
        std::unique_ptr<stream::Component> read = stream::ReadComponent(bytes, options);
        auto* back = dynamic_cast<TBoxLabel*>(read.get());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->objectName(), "Report");
        EXPECT_EQ(back->Caption(), root.Caption());
        EXPECT_EQ(back->Price(), -0.0001);
        EXPECT_EQ(back->Printed(), 45351.75);
        auto* backBand = back->findChild<TBoxBase*>(QStringLiteral("Band1"), Qt::FindDirectChildrenOnly);
        ASSERT_NE(backBand, nullptr);
        auto* backLabel = backBand->findChild<TBoxLabel*>(QStringLiteral("Label1"));
        ASSERT_NE(backLabel, nullptr);
        EXPECT_EQ(backLabel->Partner(), backBand);
        EXPECT_EQ(stream::WriteComponent(*back), stream::WriteComponent(root));
    }
}

}  // namespace
