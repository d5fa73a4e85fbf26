// Regions: a frame around components of a band that stretches with them, continues with an
// overflowing memo on the next pages, and streams its components as its children.

#include "report/model/region.h"

#include "report/model/band_classes.h"
#include "report/model/engine.h"
#include "report/model/memo.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"
#include "report/model/text_layout.h"
#include "report/page/draw_command.h"
#include "report/page/page.h"

#include "platform/stream/object_stream.h"

#include <QFile>
#include "test_paths.h"

using namespace reporttest;

namespace {

struct RegionReport {
    TComponent form;
    TppReport* report = new TppReport(&form);
    TppDetailBand* detail = new TppDetailBand(&form);
    TppRegion* region = nullptr;
    TppMemo* memo = nullptr;

    RegionReport() {
        report->SetName("rptRegion");
        detail->SetName("ppDetailBand1");
        detail->SetReport(report);
        detail->SetmmHeight(40000);
        region = place<TppRegion>(detail, "ppFrame", 0, 2000, 30000, 160000);
        region->SetmmOverFlowOffset(1000);
        auto* label = place<TppLabel>(detail, "ppCaption", 5000, 3000, 5000, 100000);
        label->SetCaption("GNU General Public License");
        region->AddObject(label);
        memo = place<TppMemo>(detail, "ppText", 5000, 10000, 15000, 150000);
        memo->SetStretch(true);
        memo->SetmmOverFlowOffset(8000);
        QFile f(QStringLiteral(TEST_DATA_DIR "/gpl3_opening.txt"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        memo->SetText(QString::fromUtf8(f.readAll()));
        EXPECT_FALSE(region->Stretch());
        region->AddObject(memo);
    }
    ~RegionReport() { delete report; }
};

TEST_F(ReportTest, a_region_holds_its_components_across_pages_and_frames_them) {
    RegionReport r;
    EXPECT_TRUE(r.region->Stretch());  // a stretching memo makes the region stretch
    EXPECT_EQ(r.region->ObjectCount(), 2);
    EXPECT_EQ(r.memo->ComponentParent(), r.region);

    std::vector<QString> dumps;
    QStringList memoLines;
    int captions = 0;
    r.report->OnPageReceived = [&](TppPage& page) {
        dumps.push_back(dumpPage(r.report, page));
        const TppDrawShape* frame = nullptr;
        const TppDrawText* text = nullptr;
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            TppDrawCommand* c = page.GetDrawCommand(i);
            if (auto* s = qobject_cast<TppDrawShape*>(c)) frame = s;
            if (auto* t = qobject_cast<TppDrawText*>(c)) {
                if (t->IsMemo()) {
                    text = t;
                    memoLines << t->WrappedText();
                } else if (t->Text() == QLatin1String("GNU General Public License")) {
                    ++captions;
                }
            }
        }
        ASSERT_TRUE(frame && text);
        // The frame lies behind the text and holds it.
        EXPECT_LE(frame->Top(), text->Top());
        EXPECT_GE(frame->Top() + frame->Height(), text->Top() + text->Height() - 100);
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    r.report->RequestPages(&request);
    ASSERT_GE(dumps.size(), 2u);
    EXPECT_EQ(captions, int(dumps.size()));  // the region's caption prints again on every page
    QStringList whole;
    int pos = 0;
    QString text = r.memo->Text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ppWordWrap(text, QRect(0, 0, r.memo->mmWidth(), 100000000), *r.memo->Font(), 0, false, whole, nullptr, nullptr, pos, false);
    EXPECT_EQ(memoLines, whole);

    QString all;
    for (const QString& d : dumps) all += d;
    expectGolden(all, QStringLiteral("region_across_pages.pages"));
}

TEST_F(ReportTest, a_region_streams_its_components_as_children) {
    RegionReport r;
    const QByteArray binary = stream::WriteComponent(*r.detail);
    auto read = stream::ReadComponent(binary);
    auto* copy = dynamic_cast<TppBand*>(read.get());
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->ObjectCount(), 3);
    auto* region = qobject_cast<TppRegion*>(copy->Objects(0));
    ASSERT_TRUE(region);
    EXPECT_EQ(region->ObjectCount(), 2);
    EXPECT_EQ(copy->Objects(2)->Region(), region);
    EXPECT_EQ(stream::WriteComponent(*copy), binary);

    // Moving the region to another band takes its components along.
    auto* other = new TppSummaryBand(&r.form);
    other->SetReport(r.report);
    r.region->SetBand(other);
    EXPECT_EQ(other->ObjectCount(), 3);
    EXPECT_EQ(r.detail->ObjectCount(), 0);
    EXPECT_EQ(r.memo->Region(), r.region);
}

}  // namespace
