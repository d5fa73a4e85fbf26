// Starting the records manager on the 100,000-branch database until its main window is
// interactive with the database open, beside starting it with no database (the same
// program, start-up and splash pause without the open). Each run starts the real program
// (offscreen) in a fresh program folder of its own and waits for the ready line it logs
// when start-up has finished; the program's peak resident memory is read just before it
// is stopped. Times include the splash window's one-second hold. The program ends with the
// median of each case, the ratio of the two and the peak memory of each.

#include "bench/core/bench_database.h"

#include "core/win_registry.h"

#include "platform/settings/ini_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

/// VmHWM of a running process in MiB.
double peakRssMiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

std::map<std::string, double> g_peakMiB;

/// The program started here skips the Getting Started wizard, as for a user who has switched
/// it off: the setting is written into the per-user settings below `configHome`.
void switchOffStartupWizard(const QString& configHome) {
    const QString previous = settings::ConfigRoot();
    settings::SetConfigRoot(QDir(configHome).filePath(QStringLiteral("dossara")));
    core::WriteWinRegBool(QStringLiteral("Preferences"), QStringLiteral("ShowStartupWizard"), false);
    settings::SetConfigRoot(previous);
}

/// One start of the program; answers the seconds to its ready line (negative on failure).
double startOnce(const QStringList& arguments, bool expectOpen, double& peakMiB) {
    QTemporaryDir dir;
    QFile::link(QStringLiteral(DOSSARA_BIN_DIR "/Library"), dir.filePath(QStringLiteral("Library")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DOSSARA_PROGRAM_FOLDER"), dir.path());
    env.insert(QStringLiteral("DOSSARA_REPORT_READY"), QStringLiteral("1"));
    switchOffStartupWizard(dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(DOSSARA_PROGRAM), arguments);
    QByteArray output;
    while (!output.contains("dossara: ready")) {
        if (!program.waitForReadyRead(60000)) {
            std::fprintf(stderr, "the program did not report ready:\n%s\n", output.constData());
            program.kill();
            program.waitForFinished();
            return -1;
        }
        output += program.readAll();
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (expectOpen != output.contains("ready (database open)")) {
        std::fprintf(stderr, "the program did not start as expected:\n%s\n", output.constData());
        program.kill();
        program.waitForFinished();
        return -1;
    }
    peakMiB = peakRssMiB(program.processId());
    program.kill();
    program.waitForFinished();
    return seconds;
}

void run(benchmark::State& state, const QStringList& arguments, const std::string& name) {
    double peak = 0;
    for (auto _ : state) {
        const double seconds = startOnce(arguments, name == "open 100k", peak);
        if (seconds < 0) {
            state.SkipWithError("the program did not start");
            return;
        }
        state.SetIterationTime(seconds);
    }
    g_peakMiB[name] = std::max(g_peakMiB[name], peak);
}

void BM_StartToOpenDatabase_Program(benchmark::State& state) {
    run(state, {QStringLiteral("/DB:") + benchdata::databaseFolder()}, "open 100k");
}

void BM_StartWithoutDatabase_Program(benchmark::State& state) { run(state, {}, "no database"); }

BENCHMARK(BM_StartToOpenDatabase_Program)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartWithoutDatabase_Program)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

/// Prints the runs as usual, then the medians, their ratio and the peak memory.
class StartupReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.aggregate_name == "median") m_median[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double open = m_median["BM_StartToOpenDatabase_Program"];
        const double empty = m_median["BM_StartWithoutDatabase_Program"];
        std::printf("\nmedian start to ready: with the 100k database %.0f ms, without a database %.0f ms", open, empty);
        if (empty > 0) std::printf(" (ratio %.2f, difference %.0f ms)", open / empty, open - empty);
        std::printf("\npeak resident memory of the program: with the database %.1f MiB, without %.1f MiB\n",
                    g_peakMiB["open 100k"], g_peakMiB["no database"]);
    }

private:
    std::map<std::string, double> m_median;
};

}  // namespace

int main(int argc, char** argv) {
    if (!benchdata::ensureDatabase()) {
        std::fprintf(stderr, "the benchmark database could not be generated\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    StartupReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
