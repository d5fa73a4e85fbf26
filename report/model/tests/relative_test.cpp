#include "report/model/relative.h"
#include "report/model/relative_adapters.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/text_form.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <memory>

namespace {

/// A relative that publishes what report objects publish: UserName, Position, ChildType and
/// a caption, and keeps its children in their streamed order.
class TppNode : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppNode(TComponent* AOwner = nullptr) : TppRelative(AOwner) { SetOrderedChildren(true); }

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }

    const stream::PropertyList& StreamProperties() const override {
        using T = TppNode;
        static const auto table = stream::PropertyTable<T>(TppRelative::StreamProperties())
            .String("Caption", &T::Caption, &T::SetCaption)
            .Integer("ChildType", &T::ChildType, &T::SetChildType, 0)
            .Integer("Position", &T::Position, &T::SetPosition, stream::kNoDefault)
            .String("UserName", &T::UserName, [](T& t, const QString& v) { t.SetUserName(v); });
        return table;
    }

private:
    QString m_caption;
};

/// A relative that does not publish ChildType (older stored data may still hold it).
class TppPlainNode : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPlainNode(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}
};

/// A parent that keeps its children sorted by ChildType.
class TppSortingNode : public TppNode {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSortingNode(TComponent* AOwner = nullptr) : TppNode(AOwner) {}
    void AddChild(TppRelative* aChild) override {
        int i = 0;
        while (i < ChildCount() && Children(i)->ChildType() <= aChild->ChildType()) ++i;
        InsertChild(i, aChild);
    }
};

stream::ClassRegistry& registry() {
    static stream::ClassRegistry r = [] {
        stream::ClassRegistry x;
        x.Register<TppNode>("TppNode");
        x.Register<TppPlainNode>("TppPlainNode");
        return x;
    }();
    return r;
}

TppNode* addNode(TppRelative* parent, TComponent* owner, const QString& name, const QString& caption) {
    auto* n = new TppNode(owner);
    n->SetName(name);
    n->SetCaption(caption);
    n->SetParent(parent);
    return n;
}

/// The tree as text: name(caption)[user name]{children}.
QString shape(const TppRelative& r) {
    QString out = r.Name();
    if (auto* n = qobject_cast<const TppNode*>(&r)) out += "(" + n->Caption() + ")";
    out += "[" + r.UserName() + "]";
    if (r.ChildCount() > 0) {
        out += "{";
        for (int i = 0; i < r.ChildCount(); ++i) out += (i ? " " : "") + shape(*r.Children(i));
        out += "}";
    }
    return out;
}

QStringList childNames(const TppRelative& r) {
    QStringList out;
    for (int i = 0; i < r.ChildCount(); ++i) out << r.Children(i)->Name();
    return out;
}

/// A report-like tree built in code: report, two bands, labels in each, a nested region.
std::unique_ptr<TppNode> buildTree() {
    auto root = std::make_unique<TppNode>();
    root->SetName("ppReport1");
    TppNode* header = addNode(root.get(), root.get(), "ppHeaderBand1", "Header");
    TppNode* detail = addNode(root.get(), root.get(), "ppDetailBand1", "Detail");
    addNode(header, root.get(), "ppLabel1", "Inventory of the archive");
    TppNode* region = addNode(detail, root.get(), "ppRegion1", "");
    addNode(region, root.get(), "ppLabel2", "Item");
    addNode(region, root.get(), "ppLabel3", QString::fromUtf8("Gr\u00fc\u00dfe, \u00e9t\u00e9 \u2014 \u65e5\u672c"));
    addNode(detail, root.get(), "ppLabel4", "Total");
    return root;
}

TEST(RelativeTree, a_tree_built_in_code_streams_in_binary_and_text_and_reads_back_equal) {
    auto tree = buildTree();
    const QString expected = shape(*tree);
    EXPECT_EQ(expected,
              "ppReport1()[Report1]{ppHeaderBand1(Header)[HeaderBand1]{ppLabel1(Inventory of the archive)[Label1]} "
              "ppDetailBand1(Detail)[DetailBand1]{ppRegion1()[Region1]{ppLabel2(Item)[Label2] ppLabel3(" +
                  QString::fromUtf8("Gr\u00fc\u00dfe, \u00e9t\u00e9 \u2014 \u65e5\u672c") +
                  ")[Label3]} ppLabel4(Total)[Label4]}}");

    stream::ReadOptions options;
    options.registry = &registry();
    const QByteArray binary = stream::WriteComponent(*tree);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    for (const QByteArray& bytes : {binary, text}) {
        SCOPED_TRACE(bytes.left(4).constData());
        std::unique_ptr<stream::Component> read = stream::ReadComponent(bytes, options);
        auto* root = dynamic_cast<TppNode*>(read.get());
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(shape(*root), expected);
        // Every object read is owned by the root (it has no owner) and has left loading.
        const TppRelative* label3 = root->Children(1)->Children(0)->Children(1);
        EXPECT_EQ(label3->Owner(), root);
        EXPECT_FALSE(label3->HasState(TComponent::csLoading | TComponent::csReading));
        EXPECT_EQ(label3->Parent()->Name(), "ppRegion1");
        // Written again, the stream is the same.
        EXPECT_EQ(stream::WriteComponent(*root), binary);
    }
}

TEST(RelativeTree, children_return_to_their_streamed_positions) {
    struct Case {
        QList<int> positions;  // streamed position of children a, b, c in stream order
        QStringList expected;
    };
    static const Case cases[] = {
        {{0, 1, 2}, {"a", "b", "c"}},
        {{2, 0, 1}, {"b", "c", "a"}},
        {{0, 0, 1}, {"b", "c", "a"}},   // the later claim of 0 wins; a stays where the moves leave it
        {{5, -1, 1}, {"a", "c", "b"}},  // invalid positions keep their place among the moves
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.join(",").toStdString());
        QString text = "object ppReport1: TppNode\n";
        const char* names[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i)
            text += QStringLiteral("  object %1: TppNode\n    Position = %2\n  end\n").arg(names[i]).arg(c.positions[i]);
        text += "end\n";
        stream::ReadOptions options;
        options.registry = &registry();
        auto read = stream::ReadComponent(text.toUtf8(), options);
        EXPECT_EQ(childNames(dynamic_cast<TppRelative&>(*read)), c.expected);
    }
}

TEST(RelativeTree, setting_position_moves_within_the_parent_clamped) {
    struct Case {
        int from, to;
        QStringList expected;
    };
    static const Case cases[] = {
        {1, 99, {"a", "c", "b"}},
        {1, -5, {"b", "a", "c"}},
        {0, 1, {"b", "a", "c"}},
        {2, 2, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        TppNode root;
        for (const char* n : {"a", "b", "c"}) addNode(&root, &root, n, "");
        qobject_cast<TppNode*>(root.Children(c.from))->SetPosition(c.to);
        EXPECT_EQ(childNames(root), c.expected);
    }
}

TEST(RelativeTree, stored_child_type_is_accepted_by_a_class_that_does_not_publish_it) {
    const QByteArray text = "object ppReport1: TppNode\n  object x: TppPlainNode\n    ChildType = 4\n  end\nend\n";
    stream::ReadOptions options;
    options.registry = &registry();
    auto read = stream::ReadComponent(text, options);
    auto& root = dynamic_cast<TppRelative&>(*read);
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.Children(0)->ChildType(), 4);
    // ... and it is never written.
    EXPECT_FALSE(stream::ObjectBinaryToText(stream::WriteComponent(root)).contains("ChildType"));
}

TEST(RelativeTree, changing_the_child_type_refiles_the_child_in_a_sorting_parent) {
    TppSortingNode root;
    for (const char* n : {"a", "b", "c"}) addNode(&root, &root, n, "");
    qobject_cast<TppNode*>(root.Children(0))->SetChildType(2);
    EXPECT_EQ(childNames(root), (QStringList{"b", "c", "a"}));
    qobject_cast<TppNode*>(root.Children(2))->SetChildType(1);
    qobject_cast<TppNode*>(root.Children(0))->SetChildType(3);
    EXPECT_EQ(childNames(root), (QStringList{"c", "a", "b"}));
}

TEST(RelativeTree, transfer_moves_the_children_and_the_place_in_the_tree) {
    TComponent form;
    auto* top = new TppNode(&form);
    auto* source = new TppNode(&form);
    source->SetParent(top);
    addNode(source, &form, "one", "");
    addNode(source, &form, "two", "");
    auto* target = new TppNode(&form);
    addNode(target, &form, "old", "");
    target->Transfer(source);
    EXPECT_EQ(source->ChildCount(), 0);
    EXPECT_EQ(childNames(*target), (QStringList{"one", "two"}));
    EXPECT_EQ(target->Parent(), top);
    EXPECT_EQ(form.findChild<QObject*>("old", Qt::FindDirectChildrenOnly), nullptr);  // freed
}

TEST(RelativeTree, freeing_a_parent_frees_every_descendant_and_each_leaves_its_parent) {
    TComponent form;
    auto* root = new TppNode(&form);
    TppNode* band = addNode(root, &form, "band", "");
    QPointer<TppNode> label = addNode(band, &form, "label", "");
    QPointer<TppNode> other = addNode(root, &form, "other", "");
    TppNode keeper;
    band->AddNotify(&keeper);
    delete band;
    EXPECT_TRUE(label.isNull());
    EXPECT_EQ(childNames(*root), QStringList{"other"});
    EXPECT_EQ(keeper.NotifyCount(), 0);
    delete root;
    EXPECT_TRUE(other.isNull());
    EXPECT_TRUE(form.children().isEmpty());
}

TEST(RelativeTree, freeing_the_owner_frees_the_tree_whatever_the_creation_order) {
    auto form = std::make_unique<TComponent>();
    auto* label = new TppNode(form.get());  // created before its parent
    auto* root = new TppNode(form.get());
    label->SetParent(root);
    QPointer<TppNode> watch = label;
    form.reset();
    EXPECT_TRUE(watch.isNull());
}

TEST(RelativeTree, a_property_change_runs_the_hooks_from_the_root_down) {
    struct Hooked : TppRelative {
        QStringList* log;
        explicit Hooked(QStringList* l) : log(l) {}
        void PropertyChanged() override { *log << Name(); }
    };
    QStringList log;
    Hooked root(&log), band(&log), label(&log);
    root.SetName("root");
    band.SetName("band");
    label.SetName("label");
    band.SetParent(&root);
    label.SetParent(&band);
    label.PropertyChange();
    EXPECT_EQ(log, (QStringList{"root", "band", "label"}));
    label.SetParent(nullptr);
    band.SetParent(nullptr);
}

TEST(RelativeTree, scripts_read_and_change_the_tree_through_the_adapters) {
    report::RegisterRelativeAdapters();
    TppNode root;
    TppNode* a = addNode(&root, &root, "ppLabel1", "");
    TppNode* b = addNode(&root, &root, "ppLabel2", "");
    TppNode other;
    const TraRTTI* adapter = raGetRTTI(b->metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppRelativeRTTI>());
    struct Read {
        const char* name;
        QVariant expected;
    };
    const Read reads[] = {{"UserName", "Label2"}, {"Index", 1}, {"Position", 1}, {"ChildCount", 0},
                          {"OrderedChildren", true}, {"FreeingChildren", false}};
    for (const Read& r : reads) {
        SCOPED_TRACE(r.name);
        QVariant v;
        ASSERT_TRUE(adapter->GetPropValue(b, r.name, v));
        EXPECT_EQ(v, r.expected);
    }
    TraPropRec rec;
    ASSERT_TRUE(adapter->GetPropRec(b->metaObject(), "Index", rec));
    EXPECT_TRUE(rec.ReadOnly);
    QVariant position = 0;
    EXPECT_TRUE(adapter->SetPropValue(b, "Position", position));
    EXPECT_EQ(childNames(root), (QStringList{"ppLabel2", "ppLabel1"}));
    QVariant parent = QVariant::fromValue(static_cast<QObject*>(&other));
    EXPECT_TRUE(adapter->SetPropValue(a, "Parent", parent));
    EXPECT_EQ(a->Parent(), &other);
    QVariant name = "Total";
    EXPECT_TRUE(adapter->SetPropValue(a, "UserName", name));
    EXPECT_EQ(a->UserName(), "Total");
    a->SetParent(nullptr);
    report::UnRegisterRelativeAdapters();
}

}  // namespace

#include "relative_test.moc"
