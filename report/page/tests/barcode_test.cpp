#include "report/page/barcode_symbology.h"
#include "report/page/draw_barcode.h"
#include "report/page/page.h"
#include "testsupport/temp_folder.h"

#include "platform/stream/object_stream.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

using namespace report::barcode;

namespace {

QString ctl(int code) { return QString(QChar(char16_t(code))); }

/// One pixel a module: 0.01 inch at 100 pixels per inch, wide elements three modules.
EncodeResult encodeAtOnePixel(TppBarCodeType type, const QString& data, bool calc = true, bool autoEncode = false) {
    EncodeInput in;
    in.Type = type;
    in.Data = data;
    in.CalcCheckDigit = calc;
    in.AutoEncode = autoEncode;
    in.BarWidth = 254;
    in.WideBarRatio = 3;
    return Encode(in, 100);
}

TEST(BarCodeCheckDigits, AppendTheDigitOfEachScheme) {
    struct Case { TppBarCodeType type; QString data; QString encoded; };
    const Case cases[] = {
        {TppBarCodeType::bcUPC_A, "01234567890", "012345678905"},
        {TppBarCodeType::bcUPC_A, "036000291452", "036000291452"},   // twelve cut to eleven, digit made again
        {TppBarCodeType::bcUPC_A, "03600029145", "036000291452"},
        {TppBarCodeType::bcEAN_13, "001234567890", "0012345678905"},
        {TppBarCodeType::bcEAN_13, "400638133393", "4006381333931"},
        {TppBarCodeType::bcEAN_8, "2012345", "20123451"},
        {TppBarCodeType::bcEAN_8, "9638507", "96385074"},
        {TppBarCodeType::bcUPC_E, "0123456", "0123457"},             // six digits kept, UPC-A body 00123400005
        {TppBarCodeType::bcUPC_E, "654321", "6543217"},
        {TppBarCodeType::bcInt2of5, "505", "5050"},                  // weighted sum 30: check digit 0
        {TppBarCodeType::bcInt2of5, "123", "1236"},
        {TppBarCodeType::bcInt2of5, "1234", "1234"},                 // even count: no digit
    };
    for (const Case& c : cases) {
        const EncodeResult r = encodeAtOnePixel(c.type, c.data);
        EXPECT_TRUE(r.CodeOK) << c.data;
        EXPECT_EQ(r.Data, c.encoded) << c.data;
    }
    EXPECT_EQ(ExpandUPCE("012345"), "00123400005");
    EXPECT_EQ(ExpandUPCE("123452"), "01220000345");
    EXPECT_EQ(AddPostnetCheckDigit("12345-6789"), "12345-67895");
    EXPECT_EQ(AddPostnetCheckDigit("55555"), "555555");
}

TEST(BarCodeAddOns, ParityFollowsTheNumber) {
    const std::pair<QString, QString> cases[] = {
        {"12345", "BABAA"}, {"13", "AB"}, {"00", "AA"}, {"02", "BA"}, {"99", "BB"},
        {"54495", "AABAB"}, {"00000", "BBAAA"}, {"123", ""}, {"1a", ""}};
    for (const auto& [code, parity] : cases) EXPECT_EQ(AddOnParity(code), parity) << code;
    // Two digits: start 1011, digit, 01, digit (20 modules); five digits: 47 modules.
    const QByteArray two = EncodeAddOn(TppBarCodeType::bcEAN_13, "13", 254, 100);
    EXPECT_EQ(two, QByteArray("1011") + "0011001" + "01" + "0100001");
    EXPECT_EQ(EncodeAddOn(TppBarCodeType::bcUPC_A, "12345", 254, 100).size(), 47);
    EXPECT_TRUE(EncodeAddOn(TppBarCodeType::bcCode39, "12", 254, 100).isEmpty());
}

TEST(BarCodeModules, MatchTheStandardPatterns) {
    EXPECT_EQ(DigitPattern('A', 0), "0001101");
    EXPECT_EQ(DigitPattern('B', 0), "0100111");
    EXPECT_EQ(DigitPattern('C', 0), "1110010");
    // UPC-A 012345678905, written out digit by digit.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcUPC_A, "01234567890").Modules,
              QByteArray("101"
                         "0001101" "0011001" "0010011" "0111101" "0100011" "0110001"
                         "01010"
                         "1010000" "1000100" "1001000" "1110100" "1110010" "1001110"
                         "101"));
    // EAN-8 20123451.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcEAN_8, "2012345").Modules,
              QByteArray("101" "0010011" "0001101" "0011001" "0010011" "01010" "1000010" "1011100" "1001110" "1100110" "101"));
    // UPC-E 0123457: check digit 7 gives the parities BABABA.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcUPC_E, "012345").Modules,
              QByteArray("101" "0100111" "0011001" "0011011" "0111101" "0011101" "0110001" "010101"));
    // EAN-13 lengths: 95 modules; first digit 0 uses set A throughout.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcEAN_13, "001234567890").Modules.size(), 95);
    // Interleaved 2 of 5 "12": start, 1 as bars (10001), 2 as spaces (01001), stop.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcInt2of5, "12", false).Modules,
              QByteArray("1010" "111" "0" "1" "000" "1" "0" "1" "0" "111" "000" "111" "0" "1"));
    // Code 39: seven letters become nine characters of 15 modules and a 2-module gap.
    const EncodeResult c39 = encodeAtOnePixel(TppBarCodeType::bcCode39, "BarCode");
    EXPECT_EQ(c39.Modules.size(), 9 * 17);
    EXPECT_TRUE(c39.Modules.startsWith("1000101110111010"));  // "*" then the gap's first module
    // Codabar "A1B": each character's seven elements and a narrow space.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcCodabar, "A1B").Modules,
              QByteArray("1011100010001" "0" "10101110001" "0" "1000100010111" "0"));
    // POSTNET 12345 with check digit 5: frame, five digits, check, frame.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcPostnet, "12345").Modules,
              QByteArray("20" "1010102020" "1010201020" "1010202010" "1020101020" "1020102010" "1020102010" "2"));
    // The dash is skipped; the sum of 12345 6789 5 is 50.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcPostnet, "12345-6789").Modules.size(), 2 + 10 * 5 * 2 + 1);
    // FIM A, B and C: every pattern module followed by a space module.
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcFIM, "a").Modules, QByteArray("101000001000001010"));
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcFIM, "B").Modules, QByteArray("100010100010100010"));
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcFIM, "C").Modules, QByteArray("101000100010001010"));
    // Code 128: Start B (11010010000), "A" (10100011000), checksum 104 + 33 = 137 -> 34
    // (10001011000), stop (1100011101011).
    EXPECT_EQ(encodeAtOnePixel(TppBarCodeType::bcCode128, ctl(kStartB) + "A").Modules,
              QByteArray("11010010000" "10100011000" "10001011000" "1100011101011"));
}

TEST(BarCodeCode128, AutoEncodingChoosesTheCodeSets) {
    const std::pair<QString, QString> cases[] = {
        {"1234 abcd", ctl(kStartC) + "1234" + ctl(kCodeB) + " abcd"},
        {"ABC", ctl(kStartA) + "ABC"},
        {"abc", ctl(kStartB) + "abc"},
        {"123", ctl(kStartC) + "12" + ctl(kCodeA) + "3"},
        {"a1234", ctl(kStartB) + "a" + ctl(kCodeC) + "1234"},
        {"a12b", ctl(kStartB) + "a12b"},
        {ctl(211) + "a" + ctl(211), ctl(kStartA) + ctl(211) + ctl(kShift) + "a" + ctl(211)},
        {ctl(211) + "ab", ctl(kStartA) + ctl(211) + ctl(kCodeB) + "ab"},
        {ctl(kStartB) + "1234 abcd", ctl(kStartC) + "1234" + ctl(kCodeB) + " abcd"},  // old controls removed
    };
    for (const auto& [data, encoded] : cases) EXPECT_EQ(Code128AutoEncode(data), encoded) << data;
    const EncodeResult sample = encodeAtOnePixel(TppBarCodeType::bcCode128, "1234 abcd", true, true);
    EXPECT_TRUE(sample.CodeOK);
    EXPECT_EQ(sample.Data, ctl(kStartC) + "1234" + ctl(kCodeB) + " abcd");
    EXPECT_EQ(sample.Modules.size(), 11 * (1 + 2 + 1 + 5 + 1) + 13);
}

TEST(BarCodeCode128, RefusesWhatItCannotCarry) {
    struct Case { QString data; int message; QString textPart; };
    const Case cases[] = {
        {"ABC", 451, "must begin with a start code"},
        {ctl(kStartB) + "AB" + ctl(kStartA), 452, "only be placed at the beginning"},
        {ctl(kStartA) + "a", 453, "Only Code B can contain the character a"},
        {ctl(kStartB) + ctl(211), 454, "#211 through #242"},
        {ctl(kStartC) + "123", 455, "even number of digits"},
        {ctl(kStartC) + "12A4", 456, "must be numeric"},
        {ctl(kStartC) + "12" + ctl(kFNC3), 457, "does not utilize"},
        {ctl(kStartB) + ctl(kShift) + ctl(kShift) + "a", 458, "two shift codes"},
        // Characters neither code set carries are refused, not silently dropped.
        {ctl(kStartB) + "A\tB", 0, "#9"},
        {ctl(kStartB) + "A" + ctl(0xC0) + "B", 0, QString(ctl(0xC0))},
        {ctl(kStartB) + QString::fromUtf8("A\u20ACB"), 0, QString::fromUtf8("\u20AC")},
        {ctl(kStartA) + QString::fromUtf8("\u4E2D"), 0, QString::fromUtf8("\u4E2D")},
    };
    for (const Case& c : cases) {
        const EncodeResult r = encodeAtOnePixel(TppBarCodeType::bcCode128, c.data, true, false);
        EXPECT_FALSE(r.CodeOK) << c.data;
        EXPECT_TRUE(r.Modules.isEmpty()) << c.data;
        EXPECT_EQ(r.MessageNo, c.message) << c.data;
        EXPECT_TRUE(r.Message.contains(c.textPart)) << r.Message.toStdString();
    }
    // AutoEncode does not rescue such a character either.
    EXPECT_FALSE(encodeAtOnePixel(TppBarCodeType::bcCode128, "A\tB", true, true).CodeOK);
}

TEST(BarCodeBuffers, GrowWithDataAndResolution) {
    // 200 characters at 1200 dpi: far more pixels than any fixed buffer would hold.
    TppDrawBarCode cmd;
    cmd.SetBarCodeType(TppBarCodeType::bcCode128);
    cmd.SetAutoEncode(false);
    cmd.SetData(ctl(kStartB) + QString(200, u'x'));
    cmd.SetBarWidth(254);
    cmd.Measure(1200, 1200);
    ASSERT_TRUE(cmd.CodeOK());
    const int n = 12;
    EXPECT_EQ(cmd.ModuleBuffer().size(), (11 * (1 + 200 + 1) + 13) * n);
    EXPECT_TRUE(cmd.ModuleBuffer().endsWith(QByteArray(2 * n, '1')));
    EXPECT_EQ(cmd.SymbolWidth(), cmd.ModuleBuffer().size());
    // Data the type refuses encodes nothing and leaves only the background.
    TppDrawBarCode odd;
    odd.SetBarCodeType(TppBarCodeType::bcInt2of5);
    odd.SetCalcCheckDigit(false);
    odd.SetData("012345678");
    odd.SetWidth(25400);
    odd.SetHeight(12700);
    QImage image = odd.RenderImage(100, 100);
    EXPECT_FALSE(odd.CodeOK());
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::white));
}

TEST(BarCodeGeometry, UpcAAt600Dpi) {
    TppDrawBarCode cmd;
    cmd.SetBarCodeType(TppBarCodeType::bcUPC_A);
    cmd.SetBarWidth(330);  // 0.013 inch
    cmd.SetData("01234567890");
    cmd.SetPrintHumanReadable(false);
    cmd.Measure(600, 600);
    EXPECT_EQ(cmd.QuietZone(), 70);
    EXPECT_EQ(cmd.SymbolWidth(), 95 * 8 + 140);
    const int bare = cmd.SymbolHeight();
    cmd.SetPrintHumanReadable(true);
    cmd.Measure(600, 600);
    EXPECT_GT(cmd.SymbolHeight(), bare);
    cmd.SetOrientation(TppBarCodeOrientation::orTopToBottom);
    cmd.Measure(600, 600);
    EXPECT_EQ(cmd.Extent(), QSize(cmd.SymbolHeight(), cmd.SymbolWidth()));
}

TEST(BarCodeCommand, TravelsInPagesAndStreams) {
    report::RegisterDrawCommands();
    TppPage page;
    auto* cmd = new TppDrawBarCode;
    cmd->SetBarCodeType(TppBarCodeType::bcEAN_13);
    cmd->SetData("001234567890");
    cmd->SetAddOnCode("12");
    cmd->SetOrientation(TppBarCodeOrientation::orBottomToTop);
    cmd->SetBarWidth(330);
    cmd->SetWideBarRatio(2.5f);
    cmd->SetTransparent(true);
    cmd->SetPage(&page);
    TppPage copy;
    copy.Assign(&page);
    ASSERT_EQ(copy.GetDrawCommandCount(), 1);
    auto* c = qobject_cast<TppDrawBarCode*>(copy.GetDrawCommand(0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Data(), "001234567890");
    EXPECT_EQ(c->AddOnCode(), "12");
    EXPECT_EQ(c->Orientation(), TppBarCodeOrientation::orBottomToTop);
    EXPECT_EQ(c->BarWidth(), 330);
    EXPECT_FLOAT_EQ(c->WideBarRatio(), 2.5f);
    EXPECT_TRUE(c->Transparent());
}

// Decoding by an independent reader ------------------------------------------------------

QString zbarimg() { return QStandardPaths::findExecutable("zbarimg"); }

class BarCodeScan : public testsupport::TempFolder {};

TEST_F(BarCodeScan, EverySymbologyInFourOrientationsAt600Dpi) {
    if (zbarimg().isEmpty()) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    struct Case { TppBarCodeType type; QString data; QString addOn; bool calc; bool autoEncode; int barWidth; QString decoded; };
    const Case cases[] = {
        {TppBarCodeType::bcUPC_A, "01234567890", "", true, false, 330, "012345678905"},
        {TppBarCodeType::bcUPC_A, "03600029145", "12345", true, false, 330, "036000291452"},
        {TppBarCodeType::bcUPC_E, "0123457", "", false, false, 330, "00123457"},
        {TppBarCodeType::bcEAN_13, "590123412345", "", true, false, 330, "5901234123457"},
        {TppBarCodeType::bcEAN_13, "400638133393", "13", true, false, 330, "4006381333931"},
        {TppBarCodeType::bcEAN_8, "2012345", "", true, false, 330, "20123451"},
        {TppBarCodeType::bcInt2of5, "0123456789", "", false, false, 381, "0123456789"},
        {TppBarCodeType::bcInt2of5, "12345", "", true, false, 381, "123457"},
        {TppBarCodeType::bcCode128, "1234 abcd", "", true, true, 254, "1234 abcd"},
        {TppBarCodeType::bcCode128, "Order 10248/A", "", true, true, 254, "Order 10248/A"},
        {TppBarCodeType::bcCode39, "BarCode", "", true, false, 254, "BARCODE"},
        {TppBarCodeType::bcCodabar, "A01234B", "", true, false, 254, "A01234B"},
    };
    const TppBarCodeOrientation orientations[] = {TppBarCodeOrientation::orLeftToRight, TppBarCodeOrientation::orRightToLeft,
                                                  TppBarCodeOrientation::orTopToBottom, TppBarCodeOrientation::orBottomToTop};
    int index = 0;
    for (const Case& c : cases) {
        for (TppBarCodeOrientation o : orientations) {
            TppDrawBarCode cmd;
            cmd.SetBarCodeType(c.type);
            cmd.SetData(c.data);
            cmd.SetAddOnCode(c.addOn);
            cmd.SetCalcCheckDigit(c.calc);
            cmd.SetAutoEncode(c.autoEncode);
            cmd.SetBarWidth(c.barWidth);
            cmd.SetOrientation(o);
            const QImage symbol = cmd.RenderImage(600, 600);
            ASSERT_TRUE(cmd.CodeOK()) << c.data.toStdString();
            // The reader wants a margin around symbols without a quiet zone of their own.
            QImage sheet(symbol.width() + 240, symbol.height() + 240, QImage::Format_RGB32);
            sheet.fill(Qt::white);
            QPainter(&sheet).drawImage(120, 120, symbol);
            const QString file = FilePath(QStringLiteral("symbol%1.png").arg(index++));
            ASSERT_TRUE(sheet.save(file));
            if (qEnvironmentVariableIsSet("BARCODE_SCAN_KEEP")) sheet.save(qEnvironmentVariable("BARCODE_SCAN_KEEP") + QFileInfo(file).fileName());
            QProcess p;
            p.start(zbarimg(), {"-q", "--raw", "-Sean2.enable=1", "-Sean5.enable=1", "-Supca.enable=1", "-Supce.enable=1",
                                "-Si25.enable=1", "-Scodabar.enable=1", file});
            ASSERT_TRUE(p.waitForFinished(60000));
            const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
            QString expected = c.decoded;
            EXPECT_TRUE(lines.contains(expected)) << "type " << int(c.type) << " orientation " << int(o) << ": "
                                                  << lines.join(u'|').toStdString();
            if (!c.addOn.isEmpty()) {
                EXPECT_TRUE(lines.contains(c.addOn) || lines.contains(expected + c.addOn) || lines.contains(expected + " " + c.addOn))
                    << "add-on " << c.addOn.toStdString() << ": " << lines.join(u'|').toStdString();
            }
        }
    }
}

}  // namespace

namespace {

TEST(BarCodePicture, AllTenSymbologiesOnOnePage) {
    // A page at 150 dpi with one symbol of each type, for looking at.
    const std::pair<TppBarCodeType, QString> symbols[] = {
        {TppBarCodeType::bcUPC_A, "01234567890"}, {TppBarCodeType::bcUPC_E, "0123456"},
        {TppBarCodeType::bcEAN_13, "590123412345"}, {TppBarCodeType::bcEAN_8, "2012345"},
        {TppBarCodeType::bcInt2of5, "0123456789"}, {TppBarCodeType::bcCode128, "1234 abcd"},
        {TppBarCodeType::bcCode39, "BarCode"}, {TppBarCodeType::bcPostnet, "12345-6789"},
        {TppBarCodeType::bcFIM, "A"}, {TppBarCodeType::bcCodabar, "A01234B"}};
    const double widths[] = {0.013, 0.013, 0.013, 0.013, 0.015, 0.01, 0.01, 0.02, 0.031, 0.01};
    QImage page(1275, 1650, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    int i = 0;
    for (const auto& [type, data] : symbols) {
        TppDrawBarCode cmd;
        cmd.SetBarCodeType(type);
        cmd.SetData(data);
        cmd.SetAutoEncode(type == TppBarCodeType::bcCode128);
        cmd.SetBarWidth(int(widths[i] * 25400 + 0.5));
        cmd.SetPrintHumanReadable(type != TppBarCodeType::bcPostnet && type != TppBarCodeType::bcFIM);
        if (i == 9) cmd.SetAlignment(TAlignment::taCenter);
        const QImage symbol = cmd.RenderImage(150, 150);
        EXPECT_TRUE(cmd.CodeOK()) << int(type);
        painter.drawImage(QPoint(75 + (i % 2) * 600, 75 + (i / 2) * 300), symbol);
        ++i;
    }
    painter.end();
    QDir().mkpath(QStringLiteral("screenshots"));
    EXPECT_TRUE(page.save(QStringLiteral("screenshots/barcode_page.png")));
}

}  // namespace
