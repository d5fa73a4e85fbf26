#include "platform/stream/tests/sample_classes.h"

namespace streamtest {

namespace {
const QStringList kColors{"fcRed", "fcGreen", "fcBlue"};
const QStringList kStyles{"fsBold", "fsItalic", "fsUnderline"};
}  // namespace

const stream::PropertyList& TFixFont::StreamProperties() const {
    static const auto table = stream::PropertyTable<TFixFont>()
        .String("Name", &TFixFont::Name, &TFixFont::SetName)
        .Integer("Size", &TFixFont::Size, &TFixFont::SetSize, 10)
        .Set("Style", &TFixFont::Style, &TFixFont::SetStyle, kStyles, 0);
    return table;
}

const stream::PropertyList& TFixItem::StreamProperties() const {
    static const auto table = stream::PropertyTable<TFixItem>()
        .String("Caption", &TFixItem::Caption, &TFixItem::SetCaption)
        .Integer("Weight", &TFixItem::Weight, &TFixItem::SetWeight, 0);
    return table;
}

const stream::PropertyTable<TFixComponent>& TFixComponent::Table() {
    using T = TFixComponent;
    static const auto table = stream::PropertyTable<T>()
        .Integer("Int8Value", [](const T& t) { return t.Int8Value; }, [](T& t, qint32 v) { t.Int8Value = v; }, stream::kNoDefault)
        .Integer("Int16Value", [](const T& t) { return t.Int16Value; }, [](T& t, qint32 v) { t.Int16Value = v; }, stream::kNoDefault)
        .Integer("Int32Value", [](const T& t) { return t.Int32Value; }, [](T& t, qint32 v) { t.Int32Value = v; }, stream::kNoDefault)
        .Int64("Int64Value", [](const T& t) { return t.Int64Value; }, [](T& t, qint64 v) { t.Int64Value = v; }, stream::kNoDefault)
        .Integer("SmallValue", [](const T& t) { return t.SmallValue; }, [](T& t, qint16 v) { t.SmallValue = v; }, 3)
        .Float("FloatValue", [](const T& t) { return t.FloatValue; }, [](T& t, long double v) { t.FloatValue = v; })
        .Float("DoubleValue", [](const T& t) { return t.DoubleValue; }, [](T& t, double v) { t.DoubleValue = v; })
        .Single("SingleValue", [](const T& t) { return t.SingleValue; }, [](T& t, float v) { t.SingleValue = v; })
        .Currency("Money", [](const T& t) { return t.Money; }, [](T& t, qint64 v) { t.Money = v; })
        .Date("When", [](const T& t) { return t.When; }, [](T& t, double v) { t.When = v; })
        .String("ShortText", [](const T& t) { return t.ShortText; }, [](T& t, const QString& v) { t.ShortText = v; })
        .String("LongText", [](const T& t) { return t.LongText; }, [](T& t, const QString& v) { t.LongText = v; })
        .Boolean("Flag", [](const T& t) { return t.Flag; }, [](T& t, bool v) { t.Flag = v; }, false)
        .Enum("Color", [](const T& t) { return t.Color; }, [](T& t, FixColor v) { t.Color = v; }, kColors, FixColor::fcRed)
        .Set("Styles", [](const T& t) { return t.Styles; }, [](T& t, FixStyles v) { t.Styles = v; }, kStyles)
        .Object("Font", [](const T& t) -> const TFixFont& { return t.Font; })
        .Collection("Items", [](const T& t) -> const TFixItems& { return t.Items; })
        .Strings("Lines", [](const T& t) { return t.Lines; }, [](T& t, const QStringList& v) { t.Lines = v; })
        .Reference("Buddy", [](const T& t) { return t.Buddy; }, [](T& t, TFixComponent* v) { t.Buddy = v; })
        .Event("OnClick", [](const T& t) { return t.OnClick; }, [](T& t, const QString& v) { t.OnClick = v; });
    return table;
}

void TFixComponent::DefineProperties(stream::Filer& filer) {
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](const QByteArray& b) { Data = b; }, [this] { return Data; }, !Data.isEmpty());
    filer.DefineProperty(
        QStringLiteral("WideText"),
        [this](const stream::Value& v) {
            if (!v.IsText())
                throw stream::StreamError(stream::StreamErrorKind::WrongValueKind, QStringLiteral("String expected"));
            WideText = v.AsText();
        },
        [this] { return stream::Value::TextOf(stream::ValueType::WString, WideText); }, !WideText.isEmpty());
}

stream::ClassRegistry& FixRegistry() {
    static stream::ClassRegistry registry = [] {
        stream::ClassRegistry r;
        r.Register<TFixComponent>(QStringLiteral("TFixComponent"));
        return r;
    }();
    return registry;
}

}  // namespace streamtest
