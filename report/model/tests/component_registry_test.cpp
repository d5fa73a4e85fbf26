#include "report/model/palette_registry.h"

#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/text_form.h"

using namespace reporttest;

namespace {

/// Sets every published value property of the object to a value other than its default:
/// Booleans flipped, numbers moved, texts and events named, enumerations on their last name.
void changeEveryProperty(stream::Persistent& object) {
    for (const stream::PropertyInfo& p : object.StreamProperties().Properties()) {
        if (!p.set || p.name == QLatin1String("UserName")) continue;
        const stream::Value current = p.get(object);
        try {
            switch (p.kind) {
            case stream::PropertyKind::Boolean: p.set(object, stream::Value::Boolean(!current.AsBoolean())); break;
            case stream::PropertyKind::Integer: p.set(object, stream::Value::Integer(current.AsInteger() + 3)); break;
            case stream::PropertyKind::Single: p.set(object, stream::Value::Single(float(current.AsExtended()) + 1.5f)); break;
            case stream::PropertyKind::String: p.set(object, stream::Value::Text(QStringLiteral("Amount"))); break;
            case stream::PropertyKind::Event: p.set(object, stream::Value::Ident(p.name + QStringLiteral("Handler"))); break;
            case stream::PropertyKind::Enum: p.set(object, stream::Value::Ident(p.names.last())); break;
            default: break;
            }
        } catch (const stream::StreamError&) {
        }
    }
}

}  // namespace

TEST_F(ReportTest, every_registered_component_class_streams_out_and_in_equal) {
    TppRegList& list = ppGetComponentRegList();
    ASSERT_GT(list.Count(), 0);
    for (int i = 0; i < list.Count(); ++i) {
        const auto* reg = static_cast<const TppRegComponent*>(list.Items(i).Object);
        const QString className = list.Items(i).Name;
        SCOPED_TRACE(className.toStdString());
        EXPECT_EQ(QString::fromLatin1(reg->ComponentClass->className()), className);
        EXPECT_FALSE(reg->Palette.isEmpty());
        EXPECT_GT(reg->HintNumber, 0);
        ASSERT_TRUE(stream::ClassRegistry::Global().Contains(className));
        ASSERT_EQ(report::GetClass(className), reg->ComponentClass);

        TComponent form;
        auto* r = new TppReport(&form);
        auto* band = new TppDetailBand(&form);
        band->SetName("ppDetailBand1");
        band->SetReport(r);
        std::unique_ptr<stream::Component> made = stream::ClassRegistry::Global().Create(className);
        auto* component = dynamic_cast<TppComponent*>(made.get());
        ASSERT_TRUE(component);
        made.release();
        component->setParent(&form);
        component->SetName(QStringLiteral("ppSample1"));
        component->SetBand(band);
        component->SetmmBounds(2540, 1270, 5000, 25400);
        changeEveryProperty(*component);

        const QByteArray binary = stream::WriteComponent(*band);
        for (const QByteArray& bytes : {binary, stream::ObjectBinaryToText(binary)}) {
            auto read = stream::ReadComponent(bytes);
            auto* copy = dynamic_cast<TppBand*>(read.get());
            ASSERT_TRUE(copy && copy->ObjectCount() == 1);
            EXPECT_EQ(copy->Objects(0)->metaObject(), reg->ComponentClass);
            EXPECT_EQ(stream::WriteComponent(*copy), binary) << stream::ObjectBinaryToText(binary).toStdString();
        }
    }
}
