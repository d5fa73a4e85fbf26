#include "report/page/page_def.h"
#include "report/model/reg_list.h"
#include "report/page/report_font.h"
#include "report/model/report_utils.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/qt_printers.h"

#include "platform/format/errors.h"
#include "platform/stream/object_stream.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class TppLabel : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER m_caption)
    Q_PROPERTY(bool Visible MEMBER m_visible)
    Q_PROPERTY(TppUnitType Units MEMBER m_units)
    Q_PROPERTY(TMethod OnPrint MEMBER m_onPrint)
public:
    Q_INVOKABLE explicit TppLabel(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    Q_INVOKABLE void LabelPrint() {}

    QString m_caption;
    bool m_visible = true;
    TppUnitType m_units = TppUnitType::utInches;
    TMethod m_onPrint;
};

class TppBigLabel : public TppLabel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppBigLabel(TComponent* AOwner = nullptr) : TppLabel(AOwner) {}
};

class TppShape : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppShape(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
};

class ReportUtils : public ::testing::Test {
protected:
    void SetUp() override { report::SetScreenPixelsPerInch(96); }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

TppPageDef* letterPage(QObject* parent) {
    auto* p = new TppPageDef(parent);
    p->SetmmHeight(279401);
    p->SetmmWidth(215900);
    p->SetmmMarginLeft(6350);
    p->SetmmMarginRight(6350);
    p->SetmmMarginTop(12700);
    p->SetmmMarginBottom(25400);
    return p;
}

TEST_F(ReportUtils, page_definition_gives_printable_area_and_screen_pixels_and_streams) {
    QObject owner;
    TppPageDef* page = letterPage(&owner);
    EXPECT_EQ(page->PrintableHeight(), 279401 - 12700 - 25400);
    EXPECT_EQ(page->PrintableWidth(), 215900 - 12700);
    EXPECT_EQ(page->PrintableRect(), QRect(QPoint(6350, 12700), QPoint(215900 - 6350, 279401 - 25400)));
    EXPECT_EQ(page->WidthPixels(), 816);
    EXPECT_EQ(page->HeightPixels(), 1056);
    EXPECT_EQ(page->MarginTopPixels(), 48);
    EXPECT_EQ(page->MarginBottomPixels(), 96);
    EXPECT_EQ(page->MarginLeftPixels(), 24);
    EXPECT_EQ(page->PrintableWidthPixels(), 768);

    TppPageDef copy;
    copy.Assign(page);
    EXPECT_TRUE(copy.SameAs(*page));
    copy.SetmmMarginBottom(25401);
    EXPECT_FALSE(copy.SameAs(*page));  // one margin differs
    TppFont font;
    EXPECT_THROW(copy.Assign(&font), format::EConvertError);

    std::vector<stream::Property> stored;
    stream::PersistentToProperties(*page, QString(), stored);
    QStringList names;
    for (const auto& p : stored) names << p.name;
    EXPECT_EQ(names, QStringList({"mmHeight", "mmWidth", "mmMarginLeft", "mmMarginRight", "mmMarginTop",
                                  "mmMarginBottom"}));
    TppPageDef read;
    stream::ReadProperties(read, stored);
    EXPECT_TRUE(read.SameAs(*page));
}

TEST_F(ReportUtils, fonts_keep_their_point_size_whatever_the_device_resolution) {
    TppFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(10);
    font.SetStyle({paint::TFontStyle::fsBold, paint::TFontStyle::fsUnderline});
    EXPECT_EQ(font.Height(), -13);
    std::vector<stream::Property> stored;
    stream::PersistentToProperties(font, QString(), stored);
    QStringList names;
    for (const auto& p : stored) names << p.name;
    EXPECT_EQ(names, QStringList({"Name", "Size", "Style"}));  // Height is not stored

    TppFont printerFont;
    printerFont.SetPixelsPerInch(600);
    stream::ReadProperties(printerFont, stored);
    EXPECT_EQ(printerFont.Size(), 10);
    EXPECT_EQ(printerFont.Height(), -83);
    EXPECT_EQ(printerFont.Style(), font.Style());
    printerFont.SetHeight(-100);
    EXPECT_EQ(printerFont.Size(), 12);

    // Colours and character sets are stored by identifier when they have one.
    font.SetColor(paint::clNavy);
    font.SetCharset(0);
    stored.clear();
    stream::PersistentToProperties(font, QString(), stored);
    ASSERT_GE(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, QStringLiteral("Charset"));
    EXPECT_EQ(stored[0].value.AsText(), QStringLiteral("ANSI_CHARSET"));
    EXPECT_EQ(stored[1].value.AsText(), QStringLiteral("clNavy"));
    TppFont read;
    stream::ReadProperties(read, {{QStringLiteral("Color"), stream::Value::Ident(QStringLiteral("clBtnFace"))},
                                  {QStringLiteral("Charset"), stream::Value::Integer(204)},
                                  {QStringLiteral("Name"), stream::Value::Text(QStringLiteral("Times New Roman"))}});
    EXPECT_EQ(read.Color(), paint::clBtnFace);
    EXPECT_EQ(read.Charset(), 204);
    EXPECT_THROW(stream::ReadProperties(read, {{QStringLiteral("Color"), stream::Value::Ident(QStringLiteral("clPlaid"))}}),
                 stream::StreamError);
}

TEST_F(ReportUtils, font_list_holds_the_installed_families_sorted_with_their_pitch) {
    const TppFontList list;
    ASSERT_GT(list.Count(), 3);
    QStringList sorted = list.Names();
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(list.Names(), sorted);
    const int mono = list.IndexOf(QStringLiteral("Liberation Mono"));
    ASSERT_GE(mono, 0);
    EXPECT_EQ(list.FontInfo(mono).PitchAndFamily & 3, 1);
    const int sans = list.IndexOf(QStringLiteral("liberation sans"));
    ASSERT_GE(sans, 0);
    EXPECT_EQ(list.FontInfo(sans).PitchAndFamily, 0x22);
}

TEST_F(ReportUtils, registration_list_tells_every_subscriber_once_in_order) {
    TppRegList list;
    TppRegListSubscriber first, second;
    QStringList told;
    first.OnChange = [&](QObject* s) { told << (s == &first ? "first" : "?"); };
    second.OnChange = [&](QObject* s) { told << (s == &second ? "second" : "?"); };
    list.OnChange = [&](TppRegList&) { told << "list"; };
    list.AddObject(QStringLiteral("Screen"), nullptr);
    EXPECT_EQ(told, QStringList({"list"}));
    list.AddSubscriber(&first);
    list.AddSubscriber(&second);
    told.clear();
    list.Delete(0);
    EXPECT_EQ(told, QStringList({"list", "first", "second"}));
    list.RemoveSubscriber(&first);
    told.clear();
    list.AddObject(QStringLiteral("Printer"), &list);
    EXPECT_EQ(told, QStringList({"list", "second"}));
    EXPECT_EQ(list.IndexOf(QStringLiteral("printer")), 0);
    {
        TppRegListSubscriber gone;
        list.AddSubscriber(&gone);
    }
    told.clear();
    list.Delete(5);  // out of range: no change
    list.Delete(0);  // a freed subscriber is not called
    EXPECT_EQ(told, QStringList({"list", "second"}));
    list.RemoveSubscriber(&second);
    EXPECT_EQ(list.SubscriberCount(), 0);
}

TEST_F(ReportUtils, unique_names_take_the_first_free_number_among_components_of_the_class) {
    static const struct {
        const char* what;
        std::vector<std::pair<const char*, bool>> existing;  ///< name, same class (else an unrelated shape)
        const char* expected;
    } cases[] = {
        {"gap", {{"Label1", true}, {"Label2", true}, {"Label4", true}}, "Label3"},
        {"no gap", {{"Label1", true}, {"Label2", true}}, "Label3"},
        {"unrelated class", {{"Label1", false}}, "Label1"},
        {"leading zero counts", {{"Label01", true}}, "Label2"},
        {"other names ignored", {{"label1", true}, {"Label1a", true}, {"Label0", true}, {"Labels", true}}, "Label1"},
        {"numbers sort numerically", {{"Label10", true}, {"Label1", true}, {"Label2", true}}, "Label3"},
        {"none", {}, "Label1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TComponent root;
        for (const auto& [name, same] : c.existing) {
            TComponent* child = same ? static_cast<TComponent*>(new TppBigLabel(&root)) : new TppShape(&root);
            child->SetName(QString::fromLatin1(name));
        }
        auto* added = new TppLabel(&root);
        added->SetName(QStringLiteral("Label2"));  // its own name does not count
        QString name;
        ppGetUniqueName(&root, QStringLiteral("Label"), added, name);
        EXPECT_EQ(name, QString::fromLatin1(c.expected));
    }
    TppLabel label;
    EXPECT_EQ(ppGetClassBaseName(&label), QStringLiteral("ppLabel"));
    EXPECT_EQ(ppGetClassShortName(&label), QStringLiteral("Label"));
}

TEST_F(ReportUtils, properties_and_enumerations_are_reached_by_name) {
    TppLabel label;
    EXPECT_TRUE(ppHasProperty(&label, QStringLiteral("caption")));
    EXPECT_FALSE(ppHasProperty(&label, QStringLiteral("objectName")));
    EXPECT_FALSE(ppHasProperty(nullptr, QStringLiteral("Caption")));
    ppSetStrPropValue(&label, QStringLiteral("Caption"), QStringLiteral("Total"));
    EXPECT_EQ(ppGetStrPropValue(&label, QStringLiteral("Caption")), QStringLiteral("Total"));
    EXPECT_EQ(ppGetStrPropValue(&label, QStringLiteral("Missing")), QString());
    ppSetOrdPropValue(&label, QStringLiteral("Units"), 2);
    EXPECT_EQ(label.m_units, TppUnitType::utMillimeters);
    EXPECT_EQ(ppGetOrdPropValue(&label, QStringLiteral("Units")), 2);
    ppSetOrdPropValue(&label, QStringLiteral("Visible"), 0);
    EXPECT_FALSE(label.m_visible);
    EXPECT_EQ(ppGetOrdPropValue(&label, QStringLiteral("Missing")), 0);
    ppSetOrdPropValue(&label, QStringLiteral("Missing"), 3);

    const TMethod handler = ppMakeMethod(&label, QStringLiteral("labelprint"));
    EXPECT_FALSE(handler.IsNull());
    EXPECT_EQ(handler.Code, QByteArray("LabelPrint"));
    EXPECT_TRUE(ppMakeMethod(&label, QStringLiteral("NoSuchHandler")).IsNull());
    ppSetMethodPropValue(&label, QStringLiteral("OnPrint"), handler);
    EXPECT_EQ(label.m_onPrint, handler);

    const report::EnumType& units = EnumTypeOf(TppUnitType{});
    EXPECT_EQ(ppGetEnumName(units, 4), QStringLiteral("utMMThousandths"));
    EXPECT_EQ(ppEnumNameToOrdinal(units, QStringLiteral("UTINCHES")), 1);
    EXPECT_EQ(ppEnumNameToOrdinal(units, QStringLiteral("utFeet")), -1);
    QStringList names = {"stale"};
    ppGetEnumNames(units, names);
    EXPECT_EQ(names, units.values);
}

TEST_F(ReportUtils, mappings_and_fit_scale) {
    static const struct {
        TppCalcType calc;
        TppVarType var;
    } calcCases[] = {
        {TppCalcType::ctDate, TppVarType::vtDate},        {TppCalcType::ctDateTime, TppVarType::vtDateTime},
        {TppCalcType::ctPageNoDesc, TppVarType::vtPageNoDesc}, {TppCalcType::ctTime, TppVarType::vtTime},
        {TppCalcType::ctCustom, TppVarType::vtDate},
    };
    for (const auto& c : calcCases) EXPECT_EQ(ppCalcTypeToVarType(c.calc), c.var) << int(c.calc);
    const int ids[] = {35, 39, 21, 17, 19, 15, 13, 14, 28, 27, 29, 30};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(ppVarEventTypeToEventID(static_cast<TppVarEventType>(i)), ids[i]) << i;

    EXPECT_DOUBLE_EQ(ppGetFitScale(200, 200, 100, 50), 0.25);
    EXPECT_DOUBLE_EQ(ppGetFitScale(0, 200, 100, 50), 0);
    EXPECT_DOUBLE_EQ(ppGetFitScale(200, -1, 100, 50), 0);
    EXPECT_EQ(ppRect(1, 2, 11, 22), QRect(1, 2, 10, 20));
}

TEST_F(ReportUtils, measuring_temporary_files_and_messages) {
    paint::Font font;
    font.Name = QStringLiteral("Courier New");
    font.Size = 10;
    EXPECT_EQ(ppGetTextWidth(font, QStringLiteral("0123456789")), 80);  // 0.6 em x 13.33 px x 10
    EXPECT_GE(ppGetTextHeight(font, QStringLiteral("0")), 14);

    QTemporaryDir dir;
    const QString first = ppGetTempFileName(dir.path(), QStringLiteral("cch"));
    const QString second = ppGetTempFileName(dir.path(), QStringLiteral("cch"));
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QLatin1String("cch")));
    EXPECT_TRUE(ppGetTempPath().endsWith(QLatin1Char('/')));
    EXPECT_EQ(ppGetIDERootDir(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));

    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("Invalid Image"), ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_EQ(ppMessageDlg(QStringLiteral("Report"), QStringLiteral("Invalid Image."), ui::MessageKind::Custom,
                           ui::Button::Ok),
              ui::Button::Ok);
}

TEST_F(ReportUtils, device_compatible_canvas_draws_at_the_target_resolution) {
    QImage printerPage(600, 600, QImage::Format_RGB32);
    printerPage.setDotsPerMeterX(23622);  // 600 dpi
    printerPage.setDotsPerMeterY(23622);
    printerPage.fill(Qt::black);
    TppDeviceCompatibleCanvas canvas(printerPage, 100, 50);
    EXPECT_EQ(canvas.Canvas().PixelsPerInchY(), 600);
    EXPECT_EQ(canvas.Bitmap().pixelColor(5, 5), QColor(Qt::white));
    paint::Font font;
    font.Name = QStringLiteral("Arial");
    font.Size = 10;
    canvas.Canvas().SetFont(font);
    EXPECT_NEAR(canvas.Canvas().Metrics().Height() - canvas.Canvas().Metrics().InternalLeading(), 600 * 10 / 72.0, 1e-6);
    QPainter p(&printerPage);
    canvas.DrawToDevice(p, QRect(10, 10, 100, 50));
    p.end();
    EXPECT_EQ(printerPage.pixelColor(20, 20), QColor(Qt::white));
    EXPECT_EQ(printerPage.pixelColor(200, 200), QColor(Qt::black));
}

}  // namespace

#include "report_utils_test.moc"
