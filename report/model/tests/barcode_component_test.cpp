#include "report/model/barcode.h"
#include "report/model/barcode_adapters.h"
#include "report/model/tests/report_fixtures.h"
#include "testsupport/dialog_answerer.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using reporttest::ReportTest;

namespace {

QString ctl(int code) { return QString(QChar(char16_t(code))); }

class BarCodeComponent : public ReportTest {};

TEST_F(BarCodeComponent, TypeChangeSamplesPassTheirOwnValidation) {
    // Every type's sample, with and without check-digit calculation, is accepted by the
    // type's validation and encodes: no message box may appear.
    testsupport::DialogAnswerer answerer;
    const TppBarCodeType types[] = {TppBarCodeType::bcUPC_A, TppBarCodeType::bcUPC_E, TppBarCodeType::bcEAN_13,
                                    TppBarCodeType::bcEAN_8, TppBarCodeType::bcInt2of5, TppBarCodeType::bcCode128,
                                    TppBarCodeType::bcCode39, TppBarCodeType::bcPostnet, TppBarCodeType::bcFIM,
                                    TppBarCodeType::bcCodabar};
    for (bool calc : {true, false}) {
        for (TppBarCodeType type : types) {
            TppBarCode code;
            code.SetCalcCheckDigit(calc);
            code.SetBarCodeType(type);
            if (code.BarCodeType() != type) code.SetBarCodeType(type);
            EXPECT_TRUE(code.Validate(code.Data())) << int(type) << " calc " << calc << " " << code.Data().toStdString();
            TppDrawBarCode& cmd = code.MeasuringCommand();
            EXPECT_TRUE(cmd.CodeOK()) << int(type) << " calc " << calc;
            EXPECT_FALSE(cmd.ModuleBuffer().isEmpty()) << int(type) << " calc " << calc;
        }
    }
    TppBarCode i25;
    i25.SetCalcCheckDigit(false);
    i25.SetBarCodeType(TppBarCodeType::bcInt2of5);
    EXPECT_EQ(i25.Data(), "0123456789");
    TppBarCode upce;
    upce.SetCalcCheckDigit(false);
    upce.SetBarCodeType(TppBarCodeType::bcUPC_E);
    EXPECT_EQ(upce.Data(), "0123457");
    EXPECT_TRUE(answerer.Messages().empty());
}

TEST_F(BarCodeComponent, TypeChangeSetsCompanionSettings) {
    TppBarCode code;
    code.SetBarCodeType(TppBarCodeType::bcUPC_A);
    EXPECT_EQ(code.Data(), "01234567890");
    EXPECT_EQ(code.mmBarWidth(), 330);  // 0.013 inch
    EXPECT_TRUE(code.AutoSizeFont());
    code.SetBarCodeType(TppBarCodeType::bcCode128);
    EXPECT_TRUE(code.AutoEncode());
    EXPECT_EQ(code.Data(), ctl(210) + "1234" + ctl(205) + " abcd");
    code.SetBarCodeType(TppBarCodeType::bcPostnet);
    EXPECT_TRUE(code.AutoSize());
    EXPECT_FALSE(code.PrintHumanReadable());
    EXPECT_EQ(code.mmBarWidth(), 508);
    TppDBBarCode db;
    EXPECT_EQ(db.GetData(), "DBBarCode");  // no field in design: the type's sample
    db.SetBarCodeType(TppBarCodeType::bcEAN_8);
    EXPECT_EQ(db.GetData(), "20123451");
}

TEST_F(BarCodeComponent, RefusedSettingsShowTheirMessageAndKeepTheOldValue) {
    testsupport::DialogAnswerer answerer;
    TppBarCode code;  // Code 39, in inches
    answerer.ExpectMessage("Only UPC and EAN barcodes can have add-on codes", ui::Button::Ok);
    code.SetAddOnCode("12");
    EXPECT_EQ(code.AddOnCode(), "");
    code.SetBarCodeType(TppBarCodeType::bcEAN_13);
    answerer.ExpectMessage("Add-on codes must be either 2 or 5 digits", ui::Button::Ok);
    code.SetAddOnCode("123");
    EXPECT_EQ(code.AddOnCode(), "");
    code.SetAddOnCode("12345");
    EXPECT_EQ(code.AddOnCode(), "12345");
    const int width = code.mmBarWidth();
    answerer.ExpectMessage("^BarWidth must be at least 0.004$", ui::Button::Ok);
    code.SetBarWidth(0.003f);
    EXPECT_EQ(code.mmBarWidth(), width);
    answerer.ExpectMessage("^BarWidth can be no more than 0.1$", ui::Button::Ok);
    code.SetBarWidth(0.2f);
    EXPECT_EQ(code.mmBarWidth(), width);
    answerer.ExpectMessage("Only Interleaved 2 of 5 barcodes can have bearer bars", ui::Button::Ok);
    code.SetBearerBars(true);
    EXPECT_FALSE(code.BearerBars());
    answerer.ExpectMessage("must have AutoSizeFont = True", ui::Button::Ok);
    code.SetAutoSizeFont(false);
    EXPECT_TRUE(code.AutoSizeFont());
    code.SetBarCodeType(TppBarCodeType::bcPostnet);
    answerer.ExpectMessage("PostNet barcodes must have AutoSize = True", ui::Button::Ok);
    code.SetAutoSize(false);
    EXPECT_TRUE(code.AutoSize());
    // Invalid data: the message, CodeOK false, and only the background is drawn.
    code.SetBarCodeType(TppBarCodeType::bcUPC_A);
    EXPECT_EQ(code.Data(), "01234567890");
    answerer.ExpectMessage("UPC-A barcodes must be 12 digits including the check digit", ui::Button::Ok);
    code.SetCalcCheckDigit(false);
    EXPECT_FALSE(code.CodeOK());
    TppDrawBarCode cmd;
    code.PropertiesToDrawCommand(&cmd);
    EXPECT_FALSE(cmd.CodeOK());
    EXPECT_EQ(answerer.Pending(), 0);
}

TEST_F(BarCodeComponent, ValidationTable) {
    struct Case { TppBarCodeType type; bool calc; QString data; QString message; };
    const Case cases[] = {
        {TppBarCodeType::bcUPC_A, true, "0123", "UPC-A barcodes must be 11 digits"},
        {TppBarCodeType::bcUPC_A, true, "0123456789A", "UPC-A barcodes must be numeric"},
        {TppBarCodeType::bcUPC_E, true, "12345", "UPC-E barcodes must be 6 digits"},
        {TppBarCodeType::bcUPC_E, false, "012345", "UPC-E barcodes must be 7 digits including"},
        {TppBarCodeType::bcEAN_13, true, "12345678901A", "EAN-13 barcodes must be numeric"},
        {TppBarCodeType::bcEAN_8, false, "1234567", "EAN-8 barcodes must be 8 digits including"},
        {TppBarCodeType::bcInt2of5, false, "123", "even number of digits"},
        {TppBarCodeType::bcInt2of5, true, "12a", "Interleaved 2 of 5 barcodes must be numeric"},
        {TppBarCodeType::bcCode39, true, "abc_", "Code 39 barcodes can only contain"},
        {TppBarCodeType::bcPostnet, true, "1234", "5, 9, or 11 digits"},
        {TppBarCodeType::bcPostnet, true, "12a45", "PostNet barcodes must be numeric"},
        {TppBarCodeType::bcFIM, true, "D", "FIM codes are A, B, or C"},
        {TppBarCodeType::bcCodabar, true, "A12*B", "Codabar can only encode"},
        {TppBarCodeType::bcCodabar, true, "1234B", "must start and end with A, B, C, or D"},
        {TppBarCodeType::bcCodabar, true, "A12C4B", "only for the start and stop codes for Codabar. They cannot appear"},
    };
    for (const Case& c : cases) {
        testsupport::DialogAnswerer answerer;
        TppBarCode code;
        code.SetCalcCheckDigit(c.calc);
        code.SetBarCodeType(c.type);
        answerer.ExpectMessage(QRegularExpression::escape(c.message), ui::Button::Ok, ui::MessageKind::Information);
        EXPECT_FALSE(code.Validate(c.data)) << c.data.toStdString();
        EXPECT_EQ(answerer.Pending(), 0) << c.data.toStdString();
    }
}

TEST_F(BarCodeComponent, StreamsWidthAndRatioInMMThousandths) {
    TppBarCode code;
    code.SetName("ppBarCode1");
    code.SetBarCodeType(TppBarCodeType::bcInt2of5);
    code.SetWideBarRatio(2.5f);
    EXPECT_EQ(code.mmWideBarRatio(), 63500);
    const QByteArray binary = stream::WriteComponent(code);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    EXPECT_TRUE(text.contains("mmWideBarRatio = 63500")) << text.toStdString();
    EXPECT_TRUE(text.contains("mmBarWidth = 381")) << text.toStdString();
    EXPECT_TRUE(text.contains("BarCodeType = bcInt2of5")) << text.toStdString();
    std::unique_ptr<stream::Component> read = stream::ReadComponent(binary);
    auto* back = dynamic_cast<TppBarCode*>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_FLOAT_EQ(back->WideBarRatio(), 2.5f);
    EXPECT_EQ(back->mmBarWidth(), 381);
    EXPECT_EQ(back->BarCodeType(), TppBarCodeType::bcInt2of5);
    EXPECT_EQ(back->Data(), "0123456789");
}

TEST_F(BarCodeComponent, PopupItemsToggleTheirSettingOrConfigure) {
    TppBarCode code;
    QStringList items;
    for (const report::DesignPopupItem& i : code.DesignPopupItems())
        items << QStringLiteral("%1 %2 %3 %4").arg(i.Name).arg(i.TextNumber).arg(i.Group).arg(i.Check ? "check" : "run");
    EXPECT_EQ(items, (QStringList{"AutoSize 226 30 check", "AutoSizeFont 441 30 check", "Configure 443 30 run",
                                  "PrintHumanReadable 442 30 check", "ReprintOnOverFlow 238 30 check",
                                  "ShiftWithParent 240 30 check", "Transparent 246 30 check"}));
    // Configure runs the installed dialog and applies what it gives.
    const report::BarCodeConfigurePrompt before = report::SetBarCodeConfigurePrompt(
        [](report::BarCodeSettings& s, TppUnitType, const std::function<void(const report::BarCodeSettings&)>&) {
            s.BarCodeType = TppBarCodeType::bcCode128;
            return true;
        });
    code.DesignPopupItems().at(2).Run();
    EXPECT_EQ(code.BarCodeType(), TppBarCodeType::bcCode128);
    report::SetBarCodeConfigurePrompt(before);
}

TEST_F(BarCodeComponent, ScriptsReadAndWriteTheSettingsThroughTheSetters) {
    report::RegisterBarCodeAdapters();
    testsupport::DialogAnswerer answerer;
    TppDBBarCode code;  // the data barcode reaches the same members
    const TraRTTI* adapter = raGetRTTI(code.metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppBarCodeRTTI>());
    struct Case {
        const char* name;
        QVariant value;
        TraDataType type;
        const char* typeName;
    } cases[] = {
        {"BarCodeType", int(TppBarCodeType::bcEAN_13), TraDataType::daEnum, "TppBarCodeType"},
        {"AddOnCode", QStringLiteral("12"), TraDataType::daString, ""},
        {"AutoEncode", false, TraDataType::daBoolean, ""},
        {"AutoSizeFont", true, TraDataType::daBoolean, ""},
        {"BarColor", 0x0000FF, TraDataType::daInteger, ""},
        {"BarWidth", 0.02f, TraDataType::daSingle, ""},
        {"BearerBars", false, TraDataType::daBoolean, ""},
        {"CalcCheckDigit", true, TraDataType::daBoolean, ""},
        {"Data", QStringLiteral("400638133393"), TraDataType::daString, ""},
        {"Orientation", int(TppBarCodeOrientation::orBottomToTop), TraDataType::daEnum, "TppBarCodeOrientation"},
        {"PrintHumanReadable", false, TraDataType::daBoolean, ""},
        {"WideBarRatio", 3.0f, TraDataType::daSingle, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraPropRec rec;
        ASSERT_TRUE(adapter->GetPropRec(code.metaObject(), c.name, rec));
        EXPECT_EQ(rec.DataType, c.type);
        EXPECT_EQ(rec.TypeName, QString::fromLatin1(c.typeName));
        EXPECT_FALSE(rec.ReadOnly);
        QVariant v = c.value;
        ASSERT_TRUE(adapter->SetPropValue(&code, c.name, v));
        QVariant back;
        ASSERT_TRUE(adapter->GetPropValue(&code, c.name, back));
        if (c.type == TraDataType::daSingle) EXPECT_NEAR(back.toFloat(), c.value.toFloat(), 1e-5);
        else EXPECT_EQ(back, c.value);
    }
    // A refused value keeps the old one, with its message.
    answerer.ExpectMessage("Add-on codes must be either 2 or 5 digits", ui::Button::Ok);
    QVariant three = QStringLiteral("123");
    ASSERT_TRUE(adapter->SetPropValue(&code, "AddOnCode", three));
    EXPECT_EQ(code.AddOnCode(), "12");
    QVariant left;
    ASSERT_TRUE(adapter->GetPropValue(&code, "mmLeft", left));  // handed to the printable's adapter
    report::UnRegisterBarCodeAdapters();
}

}  // namespace
