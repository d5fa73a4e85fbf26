// Word splitting and folding over a real-text corpus, beside a bare pass that only finds
// word boundaries with a simple loop over the same records.

#include "fulltext/testsupport/corpus.h"

#include "fulltext/ts_engine.h"
#include "fulltext/ts_links.h"

#include <benchmark/benchmark.h>

namespace {

class NullWordsLink : public TtsWordsLink {
public:
    int WordFieldSize() const override { return 40; }
    bool Segmented() const override { return false; }
    bool Locate(QStringView, int) override { return false; }
    bool EndOfTable() const override { return true; }
    void Next() override {}
    QString CurrentWord() const override { return {}; }
    int Segment() const override { return 0; }
    void Append() override {}
    void Edit() override {}
    void Post() override {}
    void SetWord(QStringView) override {}
    void SetSegment(int) override {}
    void SetCount(int) override {}
    void SetLikeKey(QStringView) override {}
    void WriteSet(const std::uint8_t*, int) override {}
    int ReadSet(std::uint8_t*, int) override { return 0; }
    QByteArray ReadPropertiesStream() override { return {}; }
    void WritePropertiesStream(const QByteArray&) override {}
};

/// Counts the words and their characters it is given.
class CountingEngine : public TtsEngine {
public:
    void ProcessWord(QStringView word) override {
        ++words;
        chars += word.size();
    }
    qint64 words = 0;
    qint64 chars = 0;
};

void BM_EngineSplitAndFold(benchmark::State& state) {
    const QStringList& corpus = fulltext::testing::Corpus();
    NullWordsLink link;
    CountingEngine engine;
    engine.SetWordsLink(&link);
    for (auto _ : state) {
        engine.words = 0;
        for (const QString& record : corpus) engine.ParseString(record);
        benchmark::DoNotOptimize(engine.words);
    }
    state.counters["words"] = double(engine.words);
    state.SetBytesProcessed(state.iterations() * fulltext::testing::CorpusChars() * 2);
}

void BM_BareBoundaryLoop(benchmark::State& state) {
    const QStringList& corpus = fulltext::testing::Corpus();
    qint64 words = 0;
    for (auto _ : state) {
        words = 0;
        for (const QString& record : corpus) {
            bool inWord = false;
            for (QChar c : record) {
                const bool w = c.isLetterOrNumber();
                words += (w && !inWord);
                inWord = w;
            }
        }
        benchmark::DoNotOptimize(words);
    }
    state.counters["words"] = double(words);
    state.SetBytesProcessed(state.iterations() * fulltext::testing::CorpusChars() * 2);
}

BENCHMARK(BM_EngineSplitAndFold)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BareBoundaryLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
