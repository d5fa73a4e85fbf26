#include "report/output/publisher.h"
#include "testsupport/qt_printers.h"

#include "report/output/tests/recording_device.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using outputtest::FakeReport;
using outputtest::RecordingDevice;

/// A publisher whose page requests go to a fake report.
struct Job {
    explicit Job(int pages) : report(pages) {
        publisher.OnPageRequest = [this](TppPublisher*, TppPageRequest* r) { report.GeneratePages(*r, publisher); };
    }
    FakeReport report;
    TppPublisher publisher;
};

struct RequestCase {
    const char* what;
    TppPageSettingType setting;
    int pageRequested;
    QStringList pageList;
    int pageRange;
    std::vector<int> expected;
};

TEST(Publisher, page_requests_are_answered_through_the_publisher) {
    static const RequestCase cases[] = {
        {"all pages", TppPageSettingType::psAll, 1, {}, 0, {1, 2, 3, 4, 5}},
        {"one page", TppPageSettingType::psSinglePage, 3, {}, 0, {3}},
        {"a page beyond the end shows the last", TppPageSettingType::psSinglePage, 50, {}, 0, {5}},
        {"page 0 shows page 1", TppPageSettingType::psSinglePage, 0, {}, 0, {1}},
        {"a page list", TppPageSettingType::psPageList, 1, {"2", "4"}, 0, {2, 4}},
        {"a page list of even pages filtered to odd ones", TppPageSettingType::psPageList, 1, {"2", "4"}, 1, {}},
        {"even pages", TppPageSettingType::psAll, 1, {}, 2, {2, 4}},
        {"odd pages", TppPageSettingType::psAll, 1, {}, 1, {1, 3, 5}},
        {"the first page", TppPageSettingType::psFirstPage, 1, {}, 0, {1}},
        {"the last page", TppPageSettingType::psLastPage, 1, {}, 0, {5}},
        {"a page range is never met", TppPageSettingType::psPageRange, 1, {}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Job job(5);
        RecordingDevice device;
        device.PageRequest()->SetPageSetting(c.setting);
        device.PageRequest()->SetPageRequested(c.pageRequested);
        device.PageRequest()->SetPageList(c.pageList);
        device.PageRequest()->SetPageRange(c.pageRange);
        device.SetPublisher(&job.publisher);
        device.RequestPages();
        EXPECT_EQ(device.pages, c.expected);
        EXPECT_FALSE(device.Busy());
        EXPECT_EQ(job.report.generations, 1);
    }
}

TEST(Publisher, requests_of_several_devices_are_merged_and_each_gets_its_pages) {
    Job job(6);
    RecordingDevice third, fifth;
    third.PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
    third.PageRequest()->SetPageRequested(3);
    fifth.PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
    fifth.PageRequest()->SetPageRequested(5);
    third.SetPublisher(&job.publisher);
    fifth.SetPublisher(&job.publisher);
    TppPageRequest merged;
    job.publisher.OnPageRequest = [&](TppPublisher*, TppPageRequest* r) {
        merged.Assign(r);
        job.report.GeneratePages(*r, job.publisher);
    };
    job.publisher.Publish();
    EXPECT_EQ(merged.PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(merged.PageList(), (QStringList{"3", "5"}));
    EXPECT_EQ(third.pages, std::vector<int>{3});
    EXPECT_EQ(fifth.pages, std::vector<int>{5});
    EXPECT_EQ(third.texts, QStringList({"Line 3 of the run", "Page 3 of 0"}));
    EXPECT_EQ(job.report.generations, 1);
}

TEST(Publisher, cached_pages_serve_a_later_job_without_asking_the_report) {
    Job job(5);
    job.publisher.SetCachePages(true);
    RecordingDevice preview;
    preview.SetPublisher(&job.publisher);
    preview.RequestPages();
    ASSERT_EQ(job.report.generations, 1);
    EXPECT_EQ(job.publisher.CachedPageCount(), 5);
    EXPECT_TRUE(job.publisher.PageCountKnown());
    // The page counts of the pages cached before the last page are patched.
    EXPECT_EQ(job.publisher.GetCachedPage(3)->AbsolutePageCount(), 5);

    RecordingDevice printer;
    printer.SetPublisher(&job.publisher);
    preview.SetActive(false);
    printer.RequestPages();
    EXPECT_EQ(printer.pages, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(job.report.generations, 1);
    EXPECT_TRUE(printer.texts.contains("Page 3 of 5"));

    // Without page 1 in the cache the request goes to the report again.
    job.publisher.InvalidatePages();
    printer.pages.clear();
    printer.RequestPages();
    EXPECT_EQ(job.report.generations, 2);
    EXPECT_EQ(printer.pages.size(), 5u);
}

TEST(Publisher, pages_that_are_not_final_or_passed_over_are_never_cached) {
    Job job(4);
    job.publisher.SetCachePages(true);
    RecordingDevice screen;
    screen.requiresFinal = false;
    screen.PageRequest()->SetPageSetting(TppPageSettingType::psSinglePage);
    screen.PageRequest()->SetPageRequested(3);
    screen.SetPublisher(&job.publisher);
    screen.RequestPages();
    EXPECT_EQ(job.publisher.CachedPageCount(), 1);
    EXPECT_NE(job.publisher.GetCachedPage(3), nullptr);

    job.publisher.Reset();
    job.report.finalPages = false;
    screen.PageRequest()->SetPageSetting(TppPageSettingType::psAll);
    screen.pages.clear();
    screen.RequestPages();
    EXPECT_EQ(screen.pages.size(), 4u);
    EXPECT_EQ(job.publisher.CachedPageCount(), 0);
}

TEST(Publisher, a_later_page_count_patches_cached_pages_and_their_page_count_texts) {
    TppPublisher publisher;
    publisher.SetCachePages(true);
    auto makePage = [](int no, int count, bool last) {
        auto page = std::make_unique<TppPage>();
        page->SetAbsolutePageNo(no);
        page->SetAbsolutePageCount(count);
        page->SetPageNo(no);
        page->SetPageCount(count);
        page->SetLastPage(last);
        page->SetFinal(true);
        auto* var = new TppDrawVar;
        var->SetVarType(TppVarType::vtPageSetDesc);
        var->SetPage(page.get());
        var->UpdatePageCountText();
        return page;
    };
    publisher.ReceivePage(*makePage(3, 0, false));
    auto* cached = qobject_cast<TppDrawVar*>(publisher.GetCachedPage(3)->GetDrawCommand(0));
    EXPECT_EQ(cached->Text(), "Page 3 of 0");
    publisher.ReceivePage(*makePage(9, 9, true));
    EXPECT_EQ(publisher.GetCachedPage(3)->AbsolutePageCount(), 9);
    EXPECT_EQ(publisher.GetCachedPage(3)->PageCount(), 9);
    EXPECT_EQ(cached->Text(), "Page 3 of 9");
    EXPECT_EQ(publisher.PageCount(), 9);
}

TEST(Publisher, of_two_exclusive_devices_only_the_last_attached_takes_part) {
    Job job(2);
    RecordingDevice first, second;
    for (RecordingDevice* d : {&first, &second}) {
        d->SetExclusive(true);
        d->SetExclusiveGroup(QStringLiteral("Printers"));
    }
    second.SetExclusiveGroup(QStringLiteral("printers"));
    first.SetPublisher(&job.publisher);
    second.SetPublisher(&job.publisher);
    EXPECT_EQ(job.publisher.DeviceCount(), 1);
    job.publisher.Publish();
    EXPECT_TRUE(first.pages.empty());
    EXPECT_EQ(second.pages, (std::vector<int>{1, 2}));

    second.SetPublisher(nullptr);
    ASSERT_EQ(job.publisher.DeviceCount(), 1);
    EXPECT_EQ(job.publisher.Device(0), &first);
    job.publisher.Publish();
    EXPECT_EQ(first.pages, (std::vector<int>{1, 2}));
}

TEST(Publisher, a_freed_device_leaves_the_publisher_and_a_freed_publisher_its_devices) {
    TppPublisher publisher;
    auto device = std::make_unique<RecordingDevice>();
    device->SetPublisher(&publisher);
    RecordingDevice other;
    other.SetPublisher(&publisher);
    EXPECT_EQ(publisher.DeviceCount(), 2);
    device.reset();
    EXPECT_EQ(publisher.DeviceCount(), 1);
    EXPECT_TRUE(publisher.HasOnlyScreenDevices() == false);

    int changes = 0;
    auto owned = std::make_unique<TppPublisher>();
    RecordingDevice attached;
    attached.OnPublisherChange = [&](TppDevice*) { ++changes; };
    attached.SetPublisher(owned.get());
    owned.reset();
    EXPECT_EQ(attached.Publisher(), nullptr);
    EXPECT_EQ(changes, 2);
}

}  // namespace
