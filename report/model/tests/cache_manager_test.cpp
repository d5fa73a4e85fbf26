#include "report/model/cache_manager.h"

#include "report/model/band_classes.h"
#include "report/model/cache_stream.h"
#include "report/model/custom_engine.h"
#include "report/model/errors.h"
#include "report/model/report.h"
#include "report/model/tests/report_fixtures.h"
#include "report/model/text_components.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

using namespace reporttest;

namespace {

/// A label with a record of a chosen size whose first four bytes hold `state`.
class TppStateLabel : public TppLabel {
public:
    TppStateLabel(TComponent* owner, int recordSize) : TppLabel(owner), m_size(recordSize) {}
    int CacheRecordSize() const override { return m_size; }
    void SaveToCache(int aPageNo) override {
        QByteArray r(m_size, '\0');
        memcpy(r.data(), &state, sizeof state);
        WriteCacheRecord(aPageNo, r);
    }
    void RestoreFromCache(int aPageNo) override {
        QByteArray r(m_size, '\0');
        memcpy(r.data(), &state, sizeof state);
        if (ReadCacheRecord(aPageNo, r)) memcpy(&state, r.constData(), sizeof state);
    }
    qint32 state = 0;

private:
    int m_size;
};

struct CacheFixture {
    TComponent form;
    QTemporaryDir temp;
    TppReport* report = new TppReport(&form);
    TppDetailBand* detail = new TppDetailBand(&form);
    std::vector<TppStateLabel*> labels;
    TppCacheManager* cache = report->CacheManager();

    CacheFixture(std::initializer_list<int> sizes) {
        detail->SetReport(report);
        for (int size : sizes) {
            auto* l = new TppStateLabel(&form, size);
            l->SetBand(detail);
            labels.push_back(l);
        }
        cache->SetTempFolder(temp.path());
        cache->Reset();
    }
    int streamSize(int label) const { return int(labels.at(size_t(label))->CacheStream()->Size()); }
    /// Saves page p with every label's state p * 10 + its index.
    void savePage(int page) {
        for (size_t i = 0; i < labels.size(); ++i) labels[i]->state = page * 10 + int(i);
        cache->SaveToCache(page);
    }
    QStringList filesLeft() const { return QDir(temp.path()).entryList(QDir::Files); }
    /// Bytes one page takes over all streams, and the number of streams.
    int bytesPerPage() const {
        int n = 0;
        for (int i = 0; i < cache->CacheableCount(); ++i) n += cache->Cacheables(i)->CacheRecordSize();
        return n;
    }
    int streamCount() const {
        QSet<int> sizes;
        for (int i = 0; i < cache->CacheableCount(); ++i)
            if (cache->Cacheables(i)->CacheRecordSize() > 0) sizes.insert(cache->Cacheables(i)->CacheRecordSize());
        return int(sizes.size());
    }
};

}  // namespace

TEST_F(ReportTest, each_record_size_has_one_stream_with_one_record_per_cacheable_and_page) {
    CacheFixture f({24, 24, 24, 20});
    f.savePage(0);
    EXPECT_EQ(f.streamSize(0), 72);
    EXPECT_EQ(f.streamSize(3), 20);
    EXPECT_EQ(f.labels[2]->CachePosition(), 2);
    EXPECT_EQ(f.labels[0]->CacheCount(), 3);
    EXPECT_EQ(f.labels[3]->CacheCount(), 1);
    f.savePage(1);
    f.savePage(2);
    f.cache->RestoreFromCache(1);
    EXPECT_EQ(f.labels[2]->state, 12);
    EXPECT_EQ(f.labels[3]->state, 13);

    f.cache->Truncate(1);
    EXPECT_EQ(f.streamSize(0), 72);
    EXPECT_EQ(f.cache->HighestPage(), 0);
    for (auto* l : f.labels) l->state = -1;
    f.cache->RestoreFromCache(2);
    f.cache->RestoreFromCache(1);
    EXPECT_EQ(f.labels[0]->state, -1);  // never written again: buffers unchanged
    f.cache->RestoreFromCache(0);
    EXPECT_EQ(f.labels[1]->state, 1);
}

TEST_F(ReportTest, a_page_saved_beyond_the_end_leaves_the_pages_before_it_unwritten) {
    CacheFixture f({24});
    f.savePage(3);
    f.labels[0]->state = 7;
    f.cache->RestoreFromCache(1);
    EXPECT_EQ(f.labels[0]->state, 7);
    f.cache->RestoreFromCache(3);
    EXPECT_EQ(f.labels[0]->state, 30);
}

TEST_F(ReportTest, a_cacheable_added_after_init_waits_for_the_next_reset) {
    CacheFixture f({24});
    auto* late = new TppStateLabel(&f.form, 24);
    late->SetBand(f.detail);
    f.savePage(0);
    EXPECT_EQ(late->CacheStream(), nullptr);
    f.cache->Reset();
    f.savePage(0);
    EXPECT_NE(late->CacheStream(), nullptr);
    EXPECT_EQ(f.streamSize(0), 48);
}

TEST_F(ReportTest, the_cache_spills_to_temporary_files_beyond_its_memory_limit_and_memory_stays_flat) {
    CacheFixture f({24, 24, 20});
    f.cache->SetMemoryLimit(f.bytesPerPage() * 40);  // 40 pages in memory
    for (int page = 0; page < 40; ++page) f.savePage(page);
    EXPECT_EQ(f.cache->Mode(), TppCacheManager::smMemory);
    EXPECT_TRUE(f.filesLeft().isEmpty());
    for (int page = 40; page < 2000; ++page) f.savePage(page);
    EXPECT_EQ(f.cache->Mode(), TppCacheManager::smTempFile);
    EXPECT_EQ(f.cache->MemoryUsed(), 0);
    const QStringList files = f.filesLeft();
    ASSERT_EQ(files.size(), f.streamCount());
    for (const QString& name : files) EXPECT_TRUE(name.startsWith("cch")) << name.toStdString();
    f.cache->RestoreFromCache(17);
    EXPECT_EQ(f.labels[1]->state, 171);
    f.cache->RestoreFromCache(1999);
    EXPECT_EQ(f.labels[2]->state, 19992);

    f.cache->Reset();  // files stay the storage after a reset, but the old ones are gone
    EXPECT_EQ(f.cache->Mode(), TppCacheManager::smTempFile);
    f.savePage(0);
    EXPECT_EQ(f.filesLeft().size(), f.streamCount());
    delete f.report;
    EXPECT_TRUE(f.filesLeft().isEmpty());
}

TEST_F(ReportTest, a_failing_write_in_file_mode_stops_the_job_and_leaves_no_files) {
    static const struct {
        const char* name;
        int failFrom;  ///< the first write (counted from 1) that fails; later ones fail too
        bool memoryFails;
    } cases[] = {
        {"the disk fills while in memory, then the files fail too", 5, true},
        {"the files fail right after the switch", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CacheFixture f({24, 20});
        f.cache->SetMemoryLimit(f.bytesPerPage() * 3);
        int fileWrites = 0;
        int memoryWrites = 0;
        f.cache->WriteAllowed = [&](const report::CacheStream& s) {
            if (s.IsFile()) return ++fileWrites < c.failFrom;
            return !c.memoryFails || ++memoryWrites < 3;
        };
        f.cache->Reset();
        f.report->Engine()->SetBusy(true);
        try {
            for (int page = 0; page < 50; ++page) f.savePage(page);
            FAIL() << "no error";
        } catch (const EPrintError& e) {
            EXPECT_EQ(e.Message(), "Not enough disk space to print report.");
        }
        EXPECT_TRUE(f.report->Engine()->Cancelled());
        EXPECT_TRUE(f.filesLeft().isEmpty()) << f.filesLeft().join(",").toStdString();
        EXPECT_EQ(f.cache->CacheableCount(), 0);
    }
}
