#include "report/model/printable.h"
#include "report/model/printable_adapters.h"

#include "report/page/page.h"
#include "report/page/units.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/text_form.h"
#include "platform/ui/window_message.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPointer>

#include "platform/paint/canvas.h"

#include <memory>

namespace {

/// Stands in for the designer window: records the designer messages it receives.
class DesignerWindow : public QObject {
public:
    bool event(QEvent* e) override {
        if (auto* m = ui::AsWindowMessage(e)) {
            received << QStringLiteral("%1:%2").arg(m->Msg - report::kWmUser).arg(m->WParam);
            return true;
        }
        return QObject::event(e);
    }
    QStringList received;  ///< "<n of WM_USER+n>:<wparam>"
};

/// A pipeline with one open table of fields.
class TppFixedPipeline : public TppDataPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppFixedPipeline(TComponent* AOwner = nullptr) : TppDataPipeline(AOwner) {}
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString& f) const override {
        return f == "Amount" ? TppDataType::dtCurrency : TppDataType::dtString;
    }
    QString GetFieldAlias(const QString& f) const override { return f == "Amount" ? "Amount due" : f; }
};

/// A printable as text components are: data-aware when asked, makes text commands,
/// publishes its settings.
class TppSampleText : public TppPrintable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleText(TComponent* AOwner = nullptr) : TppPrintable(AOwner) {
        SetDrawCommandClass(&TppDrawText::staticMetaObject);
    }
    bool IsDataAware() const override { return dataAware; }
    QObject* GetDesigner() const override { return designer; }
    void PropertiesToDrawCommand(TppDrawCommand* c) override {
        TppPrintable::PropertiesToDrawCommand(c);
        auto* t = qobject_cast<TppDrawText*>(c);
        t->SetText(Text());
        t->SetFont(Font());
        t->SetLeft(mmLeft());
        t->SetTop(mmTop());
        t->SetWidth(mmWidth());
        t->SetHeight(mmHeight());
    }
    const stream::PropertyList& StreamProperties() const override {
        using T = TppSampleText;
        static const auto table = stream::PropertyTable<T>(TppPrintable::StreamProperties())
            .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
            .String("DataField", &T::DataField, [](T& t, const QString& v) { t.SetDataField(v); })
            .Reference("DataPipeline", &T::DataPipeline, [](T& t, TppDataPipeline* p) { t.SetDataPipeline(p); })
            .Object("Font", [](const T& t) -> const TppFont& { return *t.Font(); })
            .Boolean("ShiftWithParent", &T::ShiftWithParent, &T::SetShiftWithParent, false)
            .Boolean("StretchWithParent", &T::StretchWithParent, &T::SetStretchWithParent, false)
            .String("Text", &T::Text, &T::SetText)
            .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
            .Boolean("WordWrap", &T::WordWrap, &T::SetWordWrap, false);
        return table;
    }
    bool dataAware = false;
    QObject* designer = nullptr;
};

/// A data-aware printable, as data texts are.
class TppSampleDBText : public TppSampleText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleDBText(TComponent* AOwner = nullptr) : TppSampleText(AOwner) { dataAware = true; }
};

/// A band-like parent for streaming.
class TppSampleBand : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleBand(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}
};

stream::ClassRegistry& registry() {
    static stream::ClassRegistry r = [] {
        stream::ClassRegistry x;
        x.Register<TppSampleText>("TppSampleText");
        x.Register<TppSampleDBText>("TppSampleDBText");
        x.Register<TppSampleBand>("TppSampleBand");
        x.Register<TppFixedPipeline>("TppFixedPipeline");
        return x;
    }();
    return r;
}

class Printable : public ::testing::Test {
protected:
    void SetUp() override { report::SetScreenPixelsPerInch(96); }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

TEST_F(Printable, a_new_printable_is_17_by_65_screen_pixels_white_visible_in_inches) {
    TppSampleText p;
    EXPECT_EQ(p.spHeight(), 17);
    EXPECT_EQ(p.spWidth(), 65);
    EXPECT_EQ(p.mmHeight(), ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, 17));
    EXPECT_EQ(p.Color(), paint::clWhite);
    EXPECT_TRUE(p.Visible());
    EXPECT_EQ(p.Units(), TppUnitType::utInches);
}

TEST_F(Printable, lengths_in_units_are_kept_in_mm_thousandths) {
    TppSampleText p;
    p.SetLeft(1.0f);
    EXPECT_EQ(p.mmLeft(), 25400);
    EXPECT_FLOAT_EQ(p.Left(), 1.0f);
    p.SetUnits(TppUnitType::utMillimeters);
    p.SetWidth(50.0f);
    EXPECT_EQ(p.mmWidth(), 50000);
    p.SetspTop(96);
    EXPECT_EQ(p.mmTop(), 25400);
}

TEST_F(Printable, stored_lengths_are_read_as_integers_floats_and_old_screen_pixels) {
    struct Case {
        const char* value;
        int version;
        int expectedLeft;
    };
    static const Case cases[] = {
        {"25400", 0, 25400},
        {"25400.7", 0, 25400},  // older float values are truncated
        {"96", 2000, 25400},    // templates up to version 2096 kept screen pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const QByteArray text = QByteArray("object ppLabel1: TppSampleText\n  mmLeft = ") + c.value + "\nend\n";
        stream::ReadOptions options;
        options.registry = &registry();
        auto read = stream::ReadComponent(text, options);
        auto& p = dynamic_cast<TppSampleText&>(*read);
        if (c.version) p.ConvertFromVersion(c.version);
        EXPECT_EQ(p.mmLeft(), c.expectedLeft);
    }
}

TEST_F(Printable, shift_and_stretch_with_parent_exclude_each_other) {
    TppSampleText p;
    p.SetShiftWithParent(true);
    p.SetStretchWithParent(true);
    EXPECT_FALSE(p.ShiftWithParent());
    EXPECT_TRUE(p.StretchWithParent());
    p.SetShiftWithParent(true);
    EXPECT_TRUE(p.ShiftWithParent());
    EXPECT_FALSE(p.StretchWithParent());
}

TEST_F(Printable, a_band_of_printables_streams_with_fonts_bindings_and_settings) {
    TComponent form;
    auto* pipeline = new TppFixedPipeline(&form);
    pipeline->SetName("plOrders");
    auto* band = new TppSampleBand(&form);
    band->SetName("ppDetailBand1");
    auto* amount = new TppSampleDBText(&form);
    amount->SetName("ppDBText1");
    amount->SetParent(band);
    amount->SetDataField("Amount");
    amount->SetDataPipeline(pipeline);
    amount->SetmmBounds(12700, 3175, 4763, 31750);
    amount->Font()->SetName("Times New Roman");
    amount->Font()->SetSize(12);
    amount->SetStretchWithParent(true);
    amount->SetTransparent(true);
    auto* note = new TppSampleText(&form);
    note->SetName("ppNote1");
    note->SetParent(band);
    note->SetText("Delivered in two parts");
    note->SetWordWrap(true);
    note->SetShiftWithParent(true);

    const QByteArray binary = stream::WriteComponent(*band);
    stream::ReadOptions options;
    options.registry = &registry();
    options.findComponent = [&](const QString& name) -> stream::Component* { return name == "plOrders" ? pipeline : nullptr; };
    for (const QByteArray& bytes : {binary, stream::ObjectBinaryToText(binary)}) {
        SCOPED_TRACE(bytes.left(4).constData());
        auto read = stream::ReadComponent(bytes, options);
        auto& b = dynamic_cast<TppSampleBand&>(*read);
        ASSERT_EQ(b.ChildCount(), 2);
        auto* a = qobject_cast<TppSampleText*>(b.Children(0));
        auto* n = qobject_cast<TppSampleText*>(b.Children(1));
        ASSERT_TRUE(a && n);
        EXPECT_EQ(a->UserName(), "DBText1");
        EXPECT_EQ(a->DataPipeline(), pipeline);
        EXPECT_EQ(a->DataField(), "Amount");
        EXPECT_EQ(QList<int>({a->mmLeft(), a->mmTop(), a->mmHeight(), a->mmWidth()}), QList<int>({12700, 3175, 4763, 31750}));
        EXPECT_EQ(a->Font()->Name(), "Times New Roman");
        EXPECT_EQ(a->Font()->Size(), 12);
        EXPECT_TRUE(a->StretchWithParent());
        EXPECT_TRUE(a->Transparent());
        EXPECT_EQ(n->Text(), "Delivered in two parts");
        EXPECT_TRUE(n->WordWrap());
        EXPECT_TRUE(n->ShiftWithParent());
        EXPECT_EQ(stream::WriteComponent(b), binary);
    }
}

TEST_F(Printable, freeing_the_pipeline_leaves_no_reference) {
    auto pipeline = std::make_unique<TppFixedPipeline>();
    TppSampleText p;
    p.dataAware = true;
    p.SetDataPipeline(pipeline.get());
    EXPECT_EQ(pipeline->NotifyCount(), 1);
    pipeline.reset();
    EXPECT_EQ(p.DataPipeline(), nullptr);
    EXPECT_EQ(p.NotifyCount(), 0);
}

TEST_F(Printable, data_field_sets_the_caption_from_the_alias_or_the_component_name) {
    TppFixedPipeline pipeline;
    TppSampleText p;
    p.SetName("ppDBText1");
    p.dataAware = true;
    p.AddState(ppsDesignControl);  // shown in the designer without data
    p.SetDataPipeline(&pipeline);
    p.SetDataField("Amount");
    EXPECT_EQ(p.Text(), "Amount due");
    p.SetDataField("");
    EXPECT_EQ(p.Text(), "ppDBText1");
}

TEST_F(Printable, designer_messages_are_sent_and_posted_except_while_a_template_loads) {
    DesignerWindow designer;
    TppSampleText p;
    p.designer = &designer;
    p.SetColor(paint::clRed);
    EXPECT_EQ(designer.received, QStringList{"107:5050"});  // sent at once
    designer.received.clear();
    p.AddState(ppsTemplateLoading);
    p.SetColor(paint::clBlue);
    EXPECT_TRUE(designer.received.isEmpty());
    p.RemoveState(ppsTemplateLoading);
    p.SetName("ppTitle");
    EXPECT_TRUE(designer.received.isEmpty());  // the name change is posted
    QCoreApplication::sendPostedEvents(&designer);
    EXPECT_TRUE(designer.received.contains("100:5050"));
}

TEST_F(Printable, generating_a_page_adds_its_draw_command_with_the_print_settings) {
    TppPage page;
    page.PageDef()->SetmmWidth(215900);
    page.PageDef()->SetmmHeight(279400);
    page.PageDef()->SetmmMarginLeft(6350);
    page.PageDef()->SetmmMarginTop(6350);
    page.PageDef()->SetmmMarginRight(6350);
    page.PageDef()->SetmmMarginBottom(6350);
    TppFixedPipeline pipeline;
    TppSampleText p;
    p.dataAware = true;
    p.SetDataPipeline(&pipeline);
    p.SetDataField("Amount");
    p.SetTag(7);
    p.SetmmBounds(1000, 2000, 5000, 40000);
    QStringList events;
    p.OnDrawCommandCreate = [&](QObject*, QObject* c) { events << "created " + QString(c->metaObject()->className()); };
    p.OnDrawCommandClick = [&](QObject*, QObject*) { events << "clicked"; };

    p.SetVisible(false);
    p.BeforeGenerate();
    p.GeneratePage(&page);
    EXPECT_EQ(page.GetDrawCommandCount(), 0);  // an invisible printable draws nothing

    p.SetVisible(true);
    p.BeforeGenerate();
    p.GeneratePage(&page);
    ASSERT_EQ(page.GetDrawCommandCount(), 1);
    auto* c = qobject_cast<TppDrawText*>(page.GetDrawCommand(0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Tag(), 7);
    EXPECT_EQ(c->DataType(), TppDataType::dtCurrency);
    EXPECT_EQ(c->PrintableArea(), QRect(QPoint(6350, 6350), QPoint(215900 - 6350, 279400 - 6350)));
    EXPECT_EQ(QList<int>({c->Left(), c->Top(), c->Width(), c->Height()}), QList<int>({1000, 2000, 40000, 5000}));
    EXPECT_EQ(page.GetClickCommandCount(), 1);
    EXPECT_TRUE(c->Clickable());
    c->DoDrawCommandClick();
    EXPECT_EQ(events, (QStringList{"created TppDrawText", "clicked"}));
}

TEST_F(Printable, the_design_control_shows_background_caption_and_frame) {
    TppSampleText p;
    p.AddState(ppsDesignControl);
    p.SetText("Invoice");
    p.SetColor(paint::clYellow);
    QImage image(p.spWidth(), p.spHeight(), QImage::Format_RGB32);
    image.fill(Qt::green);
    {
        QPainter painter(&image);
        paint::Canvas canvas(painter, 96, 96);
        p.PaintDesignControlHandler(canvas);
    }
    // Beside the other pictures the tests take.
    QDir().mkpath(QStringLiteral("screenshots"));
    image.save(QStringLiteral("screenshots/printable_design_control.png"));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));                        // frame
    EXPECT_EQ(image.pixelColor(image.width() - 2, image.height() - 2), QColor(Qt::yellow));  // background
    bool ink = false;
    for (int x = 1; x < 40; ++x)
        for (int y = 1; y < 14; ++y)
            if (image.pixelColor(x, y) == QColor(Qt::black)) ink = true;
    EXPECT_TRUE(ink);  // the caption
}

TEST_F(Printable, print_runs_the_handler_then_tells_subscribers) {
    TppSampleText p;
    TppCommunicator listener;
    listener.EventNotifies().set(report::ciPrintableOnPrint);
    QStringList log;
    p.OnPrint = [&](QObject*) { log << "OnPrint"; };
    listener.OnEventNotify = [&](QObject*, TppCommunicator*, int id, TraParamList*) { log << QString::number(id); };
    p.AddEventNotify(&listener);
    p.DoPrint();
    EXPECT_EQ(log, (QStringList{"OnPrint", "32"}));
}

TEST_F(Printable, scripts_reach_the_printable_through_its_adapter) {
    report::RegisterPrintableAdapters();
    TppSampleText p;
    p.SetName("ppLabel1");
    const TraRTTI* adapter = raGetRTTI(p.metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppPrintableRTTI>());
    QVariant one = 1.0f;
    EXPECT_TRUE(adapter->SetPropValue(&p, "Left", one));
    EXPECT_EQ(p.mmLeft(), 25400);
    QVariant v;
    ASSERT_TRUE(adapter->GetPropValue(&p, "mmLeft", v));
    EXPECT_EQ(v.toInt(), 25400);
    ASSERT_TRUE(adapter->GetPropValue(&p, "UserName", v));  // handed down to the communicator adapter
    EXPECT_EQ(v.toString(), "Label1");
    QVariant z = 3;
    EXPECT_FALSE(adapter->SetPropValue(&p, "ZOrder", z));  // read-only
    QVariant stretch = true;
    p.SetShiftWithParent(true);
    EXPECT_TRUE(adapter->SetPropValue(&p, "StretchWithParent", stretch));
    EXPECT_FALSE(p.ShiftWithParent());
    TraPropRec rec;
    ASSERT_TRUE(adapter->GetPropRec(p.metaObject(), "OnPrint", rec));
    EXPECT_EQ(rec.EventID, 32);
    ASSERT_TRUE(adapter->GetPropRec(p.metaObject(), "Units", rec));
    EXPECT_EQ(rec.DataType, TraDataType::daEnum);
    EXPECT_EQ(rec.TypeName, "TppUnitType");
    TraPropList events;
    adapter->GetEventList(p.metaObject(), events);
    EXPECT_TRUE(events.Names().contains("OnPrint"));
    report::UnRegisterPrintableAdapters();
}

}  // namespace

#include "printable_test.moc"
