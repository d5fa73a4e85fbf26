// Record-set operations on one million records at several densities, and the compression
// and expansion of their stored forms, each beside a std::vector<bool> doing the same work.

#include "fulltext/cx_bits.h"
#include "fulltext/ts_bits.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kRecords = 1000000;

/// Density in parts per million from the benchmark argument.
double densityOf(const benchmark::State& state) { return double(state.range(0)) / 1e6; }

struct Pair {
    TwbBits a{kRecords - 1};
    TwbBits b{kRecords - 1};
    std::vector<bool> va = std::vector<bool>(kRecords);
    std::vector<bool> vb = std::vector<bool>(kRecords);
    explicit Pair(double density) {
        std::mt19937 rng(1);
        std::bernoulli_distribution coin(density);
        for (int i = 0; i < kRecords; ++i) {
            if (coin(rng)) {
                a.SetBitOn(i);
                va[std::size_t(i)] = true;
            }
            if (coin(rng)) {
                b.SetBitOn(i);
                vb[std::size_t(i)] = true;
            }
        }
    }
};

void densities(benchmark::internal::Benchmark* b) {
    for (int ppm : {1000, 10000, 100000, 500000}) b->Arg(ppm);
}

void BM_Bits_And(benchmark::State& state) {
    Pair p(densityOf(state));
    TwbBits work(kRecords - 1);
    for (auto _ : state) {
        work.CopyFrom(&p.a);
        work.IntersectWith(&p.b);
        benchmark::DoNotOptimize(work.Count());
    }
}
void BM_VectorBool_And(benchmark::State& state) {
    Pair p(densityOf(state));
    std::vector<bool> work;
    for (auto _ : state) {
        work = p.va;
        int count = 0;
        for (std::size_t i = 0; i < work.size(); ++i) {
            const bool v = work[i] && p.vb[i];
            work[i] = v;
            count += v;
        }
        benchmark::DoNotOptimize(count);
    }
}

void BM_Bits_Or(benchmark::State& state) {
    Pair p(densityOf(state));
    TwbBits work(kRecords - 1);
    for (auto _ : state) {
        work.CopyFrom(&p.a);
        work.UnionWith(&p.b);
        benchmark::DoNotOptimize(work.Count());
    }
}
void BM_VectorBool_Or(benchmark::State& state) {
    Pair p(densityOf(state));
    std::vector<bool> work;
    for (auto _ : state) {
        work = p.va;
        int count = 0;
        for (std::size_t i = 0; i < work.size(); ++i) {
            const bool v = work[i] || p.vb[i];
            work[i] = v;
            count += v;
        }
        benchmark::DoNotOptimize(count);
    }
}

void BM_Bits_AndNot(benchmark::State& state) {
    Pair p(densityOf(state));
    TwbBits work(kRecords - 1);
    TwbBits negated(kRecords - 1);
    for (auto _ : state) {
        negated.CopyFrom(&p.b);
        negated.Invert();
        work.CopyFrom(&p.a);
        work.IntersectWith(&negated);
        benchmark::DoNotOptimize(work.Count());
    }
}
void BM_VectorBool_AndNot(benchmark::State& state) {
    Pair p(densityOf(state));
    std::vector<bool> work;
    for (auto _ : state) {
        work = p.va;
        int count = 0;
        for (std::size_t i = 0; i < work.size(); ++i) {
            const bool v = work[i] && !p.vb[i];
            work[i] = v;
            count += v;
        }
        benchmark::DoNotOptimize(count);
    }
}

void BM_Bits_Count(benchmark::State& state) {
    Pair p(densityOf(state));
    for (auto _ : state) {
        p.a.Recount();  // the counting work; Count() itself is kept current by every operation
        benchmark::DoNotOptimize(p.a.Count());
    }
}
void BM_VectorBool_Count(benchmark::State& state) {
    Pair p(densityOf(state));
    for (auto _ : state) benchmark::DoNotOptimize(std::count(p.va.begin(), p.va.end(), true));
}

void BM_Bits_Iterate(benchmark::State& state) {
    Pair p(densityOf(state));
    for (auto _ : state) {
        long sum = 0;
        for (int i = p.a.FirstSetBit(); i >= 0; i = p.a.NextSetBit(i)) sum += i;
        benchmark::DoNotOptimize(sum);
    }
}
void BM_VectorBool_Iterate(benchmark::State& state) {
    Pair p(densityOf(state));
    for (auto _ : state) {
        long sum = 0;
        for (std::size_t i = 0; i < p.va.size(); ++i)
            if (p.va[i]) sum += long(i);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_Bits_CompressExpand(benchmark::State& state) {
    Pair p(densityOf(state));
    std::vector<std::uint8_t> block(std::size_t(p.a.ByteCount()) + 24);
    TwbBits back(kRecords - 1);
    int size = 0;
    for (auto _ : state) {
        size = TtsBits::CompressSet(p.a, block.data());
        TtsBits::ExpandStored(block.data() + 4, size - 4, back);
        benchmark::DoNotOptimize(back.Count());
    }
    state.counters["stored_bytes"] = size - 4;
    state.counters["method"] = fulltext::ReadInt32(block.data() + 20);
}
/// The plain form: the vector's bits packed into bytes and unpacked again.
void BM_VectorBool_PackUnpack(benchmark::State& state) {
    Pair p(densityOf(state));
    std::vector<std::uint8_t> bytes(kRecords / 8 + 1);
    std::vector<bool> back(kRecords);
    for (auto _ : state) {
        std::fill(bytes.begin(), bytes.end(), 0);
        for (std::size_t i = 0; i < p.va.size(); ++i)
            if (p.va[i]) bytes[i >> 3] |= std::uint8_t(1u << (i & 7));
        for (std::size_t i = 0; i < back.size(); ++i) back[i] = (bytes[i >> 3] >> (i & 7)) & 1;
        benchmark::DoNotOptimize(back.back());
    }
    state.counters["stored_bytes"] = double(bytes.size());
}

BENCHMARK(BM_Bits_And)->Apply(densities);
BENCHMARK(BM_VectorBool_And)->Apply(densities);
BENCHMARK(BM_Bits_Or)->Apply(densities);
BENCHMARK(BM_VectorBool_Or)->Apply(densities);
BENCHMARK(BM_Bits_AndNot)->Apply(densities);
BENCHMARK(BM_VectorBool_AndNot)->Apply(densities);
BENCHMARK(BM_Bits_Count)->Apply(densities);
BENCHMARK(BM_VectorBool_Count)->Apply(densities);
BENCHMARK(BM_Bits_Iterate)->Apply(densities);
BENCHMARK(BM_VectorBool_Iterate)->Apply(densities);
BENCHMARK(BM_Bits_CompressExpand)->Apply(densities);
BENCHMARK(BM_VectorBool_PackUnpack)->Apply(densities);

}  // namespace
