#include "report/output/device.h"
#include "testsupport/qt_printers.h"

#include "report/output/archive_device.h"
#include "report/output/printer_device.h"
#include "report/output/screen_device.h"
#include "report/output/producer.h"
#include "report/output/publisher.h"
#include "report/output/tests/recording_device.h"

#include <gtest/gtest.h>

namespace {

using outputtest::FakeReport;
using outputtest::RecordingDevice;


TEST(DeviceRegistry, classes_are_found_by_name_in_any_case_and_removed_wherever_they_stand) {
    report::InitializeOutputUnit();
    ppRegisterDevice(&RecordingDevice::staticMetaObject);
    ppRegisterDevice(&RecordingDevice::staticMetaObject);
    ppRegisterDevice(nullptr);

    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("screen")), &TppScreenDevice::staticMetaObject);
    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("PRINTER")), &TppPrinterDevice::staticMetaObject);
    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("outputtest::RecordingDevice")), &RecordingDevice::staticMetaObject);
    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("Plotter")), nullptr);

    // Every registered class has its name and makes a device of its own class.
    QList<QPair<QString, TppDeviceClass>> classes;
    ppGetDeviceClasses(classes);
    QStringList names;
    for (const auto& entry : classes) names << entry.first;
    EXPECT_EQ(names, (QStringList{"Printer", "TextFile", "ReportTextFile", "ArchiveFile", "Screen",
                                  "outputtest::RecordingDevice"}));
    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("ArchiveFile")), &TppArchiveDevice::staticMetaObject);
    for (const auto& [name, cls] : classes) {
        SCOPED_TRACE(name);
        std::unique_ptr<TppDevice> device(ppCreateDevice(cls, nullptr));
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->DeviceName(), name);
        EXPECT_EQ(device->metaObject(), cls);
    }

    ppUnRegisterDevice(&TppPrinterDevice::staticMetaObject);
    classes.clear();
    ppGetDeviceClasses(classes);
    EXPECT_EQ(classes.first().first, "TextFile");
    EXPECT_EQ(ppDeviceClassForName(QStringLiteral("Printer")), nullptr);
    ppRegisterDevice(&TppPrinterDevice::staticMetaObject);
    ppUnRegisterDevice(&RecordingDevice::staticMetaObject);
}

TEST(Device, active_and_exclusive_settings_change_only_while_idle) {
    TppPublisher publisher;
    RecordingDevice device;
    device.StartJob();
    device.SetActive(false);
    EXPECT_TRUE(device.Active());
    device.EndJob();
    device.SetActive(false);
    EXPECT_FALSE(device.Active());

    device.SetPublisher(&publisher);
    device.SetExclusive(true);
    device.SetExclusiveGroup(QStringLiteral("Group"));
    EXPECT_FALSE(device.Exclusive());
    EXPECT_TRUE(device.ExclusiveGroup().isEmpty());
}

TEST(Device, a_single_page_request_stops_waiting_after_its_final_page) {
    FakeReport report(5);
    TppPublisher publisher;
    RecordingDevice device;
    device.PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
    device.PageRequest()->SetPageRequested(3);
    int received = 0;
    device.OnPageReceive = [&](TppDevice* d, TppPage*) {
        ++received;
        EXPECT_TRUE(d->Waiting());
    };
    device.StartJob();
    std::vector<bool> waiting;
    for (int no = 1; no <= 4; ++no) {
        TppPage page;
        page.SetAbsolutePageNo(no);
        page.SetFinal(true);
        if (device.Waiting()) device.ReceivePage(page);
        waiting.push_back(device.Waiting());
    }
    EXPECT_EQ(waiting, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(received, 3);
    device.EndJob();
    EXPECT_TRUE(device.Waiting());
}

TEST(Device, a_page_that_is_not_final_reaches_the_screen_but_no_other_device) {
    TppScreenDevice screen;
    RecordingDevice printer;
    TppPage page;
    page.SetAbsolutePageNo(1);
    page.SetFinal(false);
    screen.ReceivePage(page);
    printer.ReceivePage(page);
    EXPECT_FALSE(screen.SkipPage());
    EXPECT_TRUE(printer.SkipPage());
    EXPECT_TRUE(printer.pages.empty());
    page.SetFinal(true);
    page.SetPassedOver(true);
    screen.ReceivePage(page);
    EXPECT_TRUE(screen.SkipPage());
}

TEST(Device, commands_beyond_the_paper_are_not_drawn) {
    RecordingDevice device;
    TppPage page;
    page.PageDef()->SetmmWidth(210000);
    page.PageDef()->SetmmHeight(297000);
    const struct {
        int left, top;
        const char* text;
    } commands[] = {{1000, 1000, "inside"}, {211000, 1000, "right of the paper"}, {1000, 298000, "below the paper"},
                    {210000, 297000, "on the corner"}};
    for (const auto& c : commands) {
        auto* t = new TppDrawText;
        t->SetLeft(c.left);
        t->SetTop(c.top);
        t->SetText(QString::fromLatin1(c.text));
        t->SetPage(&page);
    }
    device.DrawPage(page);
    EXPECT_EQ(device.texts, (QStringList{"inside", "on the corner"}));
}

}  // namespace

