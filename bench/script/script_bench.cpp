// The script language against Lua 5.4 (embedded through its C API, the usual way a program
// hosts Lua), Qt's JavaScript engine (QJSEngine, its JIT on as shipped) and the same
// programs compiled by Free Pascal (-O3, timed inside the program with the monotonic
// clock). Two programs, written as a skilled user of each language would:
//   - Loop(N): integer arithmetic with a string grown one digit per iteration and restarted
//     at 100 characters, N = 1,000,000;
//   - Fib(27), recursive.
// Every side's results are computed before timing and must agree, or the benchmark fails.
// Compiling (or loading) the programs is outside the timed part. Peak memory: each side runs
// Loop at 1 and 10 million iterations in a child process of its own, which reports its peak
// resident size (getrusage); the counters peak_kb give it.

#include "report/script/code_module.h"
#include "report/script/run.h"

#include <QCoreApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#if SCRIPT_BENCH_LUA
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}
#endif
#if SCRIPT_BENCH_QJS
#include <QJSEngine>
#endif

namespace {

constexpr int kLoopN = 1000000;
constexpr int kFibN = 27;

// ---- this language ---------------------------------------------------------------------

const char* kPascal = R"(//@ global
function Loop(N: Integer): Integer;
var
  I, Acc: Integer;
  S: String;
begin
  Acc := 0;
  S := '';
  for I := 1 to N do
  begin
    Acc := (Acc + I * 7) mod 1000003;
    S := S + IntToStr(I mod 10);
    if Length(S) >= 100 then
      S := '';
  end;
  Result := Acc + Length(S);
end;
//@ global
function Fib(N: Integer): Integer;
begin
  if N < 2 then
    Result := N
  else
    Result := Fib(N - 1) + Fib(N - 2);
end;
//@ global
function RunLoop: Integer;
begin
  Result := Loop(LOOPN);
end;
//@ global
function RunFib: Integer;
begin
  Result := Fib(FIBN);
end;
)";

/// A code module holding the programs, compiled once.
class OurSide {
public:
    explicit OurSide(int aLoopN = kLoopN) {
        QString text = QString::fromLatin1(kPascal);
        text.replace(QStringLiteral("LOOPN"), QString::number(aLoopN));
        text.replace(QStringLiteral("FIBN"), QString::number(kFibN));
        script::ReadCodeModuleText(m_module, text);
        m_module.CompileAll(true);
    }
    long long run(const char* aEntry) {
        TraProgram* p = m_module.FindGlobalProgram(QString::fromLatin1(aEntry));
        const script::RunResult r = script::RunProgram(*p);
        return r.outcome == script::Outcome::Done ? r.text.toLongLong() : -1;
    }
    long long loop() { return run("RunLoop"); }
    long long fib() { return run("RunFib"); }

private:
    TraCodeModule m_module;
};

// ---- Lua -------------------------------------------------------------------------------

#if SCRIPT_BENCH_LUA
const char* kLua = R"(
function loop(n)
  local acc, s = 0, ''
  for i = 1, n do
    acc = (acc + i * 7) % 1000003
    s = s .. (i % 10)
    if #s >= 100 then s = '' end
  end
  return acc + #s
end
function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end
)";

class LuaSide {
public:
    LuaSide() : L(luaL_newstate()) {
        luaL_openlibs(L);
        if (luaL_dostring(L, kLua) != LUA_OK)
            std::fprintf(stderr, "lua: %s\n", lua_tostring(L, -1));
    }
    ~LuaSide() { lua_close(L); }
    long long call(const char* aName, int aArg) {
        lua_getglobal(L, aName);
        lua_pushinteger(L, aArg);
        if (lua_pcall(L, 1, 1, 0) != LUA_OK)
            return -1;
        const long long v = lua_tointeger(L, -1);
        lua_pop(L, 1);
        return v;
    }
    long long loop(int n = kLoopN) { return call("loop", n); }
    long long fib() { return call("fib", kFibN); }

private:
    lua_State* L;
};
#endif

// ---- QJSEngine -------------------------------------------------------------------------

#if SCRIPT_BENCH_QJS
const char* kJs = R"(
function loop(n) {
  let acc = 0, s = '';
  for (let i = 1; i <= n; i++) {
    acc = (acc + i * 7) % 1000003;
    s += i % 10;
    if (s.length >= 100) s = '';
  }
  return acc + s.length;
}
function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
)";

class JsSide {
public:
    JsSide() { m_engine.evaluate(QString::fromLatin1(kJs)); }
    long long call(const char* aName, int aArg) {
        QJSValue f = m_engine.globalObject().property(QString::fromLatin1(aName));
        return f.call({QJSValue(aArg)}).toVariant().toLongLong();
    }
    long long loop(int n = kLoopN) { return call("loop", n); }
    long long fib() { return call("fib", kFibN); }

private:
    QJSEngine m_engine;
};
#endif

// ---- Free Pascal -----------------------------------------------------------------------

#ifdef SCRIPT_BENCH_FPC
/// Runs the compiled program: its result and the nanoseconds of one run it measured.
std::pair<long long, long long> fpcTimed(const char* aWhat, int aN, int aRepeats) {
    QProcess p;
    p.start(QStringLiteral(SCRIPT_BENCH_FPC), {QStringLiteral("time"), QString::fromLatin1(aWhat),
                                               QString::number(aN), QString::number(aRepeats)});
    p.waitForFinished(-1);
    const QStringList lines = QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    if (lines.size() < 2)
        return {-1, 0};
    return {lines[0].toLongLong(), lines[1].toLongLong()};
}
#endif

// ---- agreement -------------------------------------------------------------------------

struct Expected {
    long long loop = 0;
    long long fib = 0;
    bool agreed = true;
    std::string why;
};

const Expected& expected() {
    static const Expected e = [] {
        Expected x;
        OurSide ours;
        x.loop = ours.loop();
        x.fib = ours.fib();
        const auto check = [&](const char* side, long long loop, long long fib) {
            if (loop != x.loop || fib != x.fib) {
                x.agreed = false;
                x.why += std::string(side) + " gives " + std::to_string(loop) + "/" + std::to_string(fib) +
                         " where the script gives " + std::to_string(x.loop) + "/" + std::to_string(x.fib) + "; ";
            }
        };
#if SCRIPT_BENCH_LUA
        LuaSide lua;
        check("Lua", lua.loop(), lua.fib());
#endif
#if SCRIPT_BENCH_QJS
        JsSide js;
        check("QJSEngine", js.loop(), js.fib());
#endif
#ifdef SCRIPT_BENCH_FPC
        check("Free Pascal", fpcTimed("loop", kLoopN, 1).first, fpcTimed("fib", kFibN, 1).first);
#endif
        return x;
    }();
    return e;
}

bool agreed(benchmark::State& state) {
    if (expected().agreed)
        return true;
    state.SkipWithError(expected().why.c_str());
    return false;
}

template <class Side>
void timeSide(benchmark::State& state, bool aLoop) {
    if (!agreed(state))
        return;
    Side side;
    for (auto _ : state)
        benchmark::DoNotOptimize(aLoop ? side.loop() : side.fib());
}

void BM_Loop_Script(benchmark::State& state) { timeSide<OurSide>(state, true); }
void BM_Fib_Script(benchmark::State& state) { timeSide<OurSide>(state, false); }
BENCHMARK(BM_Loop_Script)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib_Script)->Unit(benchmark::kMillisecond);
#if SCRIPT_BENCH_LUA
void BM_Loop_Lua(benchmark::State& state) { timeSide<LuaSide>(state, true); }
void BM_Fib_Lua(benchmark::State& state) { timeSide<LuaSide>(state, false); }
BENCHMARK(BM_Loop_Lua)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib_Lua)->Unit(benchmark::kMillisecond);
#endif
#if SCRIPT_BENCH_QJS
void BM_Loop_QJSEngine(benchmark::State& state) { timeSide<JsSide>(state, true); }
void BM_Fib_QJSEngine(benchmark::State& state) { timeSide<JsSide>(state, false); }
BENCHMARK(BM_Loop_QJSEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib_QJSEngine)->Unit(benchmark::kMillisecond);
#endif
#ifdef SCRIPT_BENCH_FPC
void fpcSide(benchmark::State& state, const char* aWhat, int aN) {
    if (!agreed(state))
        return;
    for (auto _ : state) {
        const auto [result, ns] = fpcTimed(aWhat, aN, 5);
        benchmark::DoNotOptimize(result);
        state.SetIterationTime(double(ns) / 1e9);
    }
}
void BM_Loop_FreePascal(benchmark::State& state) { fpcSide(state, "loop", kLoopN); }
void BM_Fib_FreePascal(benchmark::State& state) { fpcSide(state, "fib", kFibN); }
BENCHMARK(BM_Loop_FreePascal)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib_FreePascal)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

// ---- peak memory -----------------------------------------------------------------------

/// Runs aWork in a child process and answers the child's peak resident size in KiB (the
/// parent's own size at the fork is part of it, the same for every side).
long peakKb(const std::function<void()>& aWork) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        aWork();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

void BM_PeakMemory(benchmark::State& state, int aSide) {
    if (!agreed(state))
        return;
    const int n = int(state.range(0));
    long kb = 0;
    for (auto _ : state) {
        switch (aSide) {
        case 0: kb = peakKb([n] { OurSide(n).loop(); }); break;
#if SCRIPT_BENCH_LUA
        case 1: kb = peakKb([n] { LuaSide().loop(n); }); break;
#endif
#if SCRIPT_BENCH_QJS
        case 2: kb = peakKb([n] { JsSide().loop(n); }); break;
#endif
        default: break;
        }
    }
    state.counters["peak_kb"] = double(kb);
}
BENCHMARK_CAPTURE(BM_PeakMemory, Script, 0)->Arg(1000000)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);
#if SCRIPT_BENCH_LUA
BENCHMARK_CAPTURE(BM_PeakMemory, Lua, 1)->Arg(1000000)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif
#if SCRIPT_BENCH_QJS
BENCHMARK_CAPTURE(BM_PeakMemory, QJSEngine, 2)->Arg(1000000)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
#if !SCRIPT_BENCH_LUA
    std::fprintf(stderr, "script bench: Lua 5.4 (liblua5.4-dev) not found, its side is left out\n");
#endif
#if !SCRIPT_BENCH_QJS
    std::fprintf(stderr, "script bench: Qt Qml (qt6-declarative-dev) not found, its side is left out\n");
#endif
#ifndef SCRIPT_BENCH_FPC
    std::fprintf(stderr, "script bench: fpc not found, the Free Pascal side is left out\n");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("results: Loop(%d) = %lld, Fib(%d) = %lld (all sides agree: %s)\n", kLoopN, expected().loop, kFibN,
                expected().fib, expected().agreed ? "yes" : "no");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
