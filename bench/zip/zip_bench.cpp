// The zip component adding and extracting the 100,000-branch benchmark database folder at
// level 9, beside Debian's Info-ZIP programs doing the same in the same run:
//
//   ours:     TQuorrel::AddFiles (AddDirNames | AddRecurseDirs, AddCompLevel 9) and
//             TQuorrel::ExtractFiles (ExtrDirNames | ExtrOverWrite) in this process;
//   baseline: `zip -q -r -9 <archive> core-100k` and `unzip -q -o <archive> -d <folder>`,
//             one child process each (their start-up, about a millisecond, counts against
//             them), which is how a skilled user drives them.
//
// Both sides read the same folder, write to the same file system and start from an empty
// target; the archive each side extracts is the one Info-ZIP wrote, so both decompress the
// same bytes. Before timing, both sides' archives are checked to list the same names and
// pass `unzip -t`, and both extractions to give the same files. Wall time is compared
// (single-threaded on both sides).
//
// Memory: the peak resident memory (VmHWM) of `quorrel-run extract` and of `unzip`
// extracting an archive that holds 1 GiB (the database's files repeated), each in a child
// process of its own.
//
// The database is the core benchmarks' (bench/core/bench_database.h), generated once into
// <build>/bench-data/core-100k.

#include "bench/core/bench_database.h"

#include "services/quorrel.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

QString benchFolder() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/zip"); }
QString sourceParent() { return QFileInfo(benchdata::databaseFolder()).path(); }
QString sourceName() { return QFileInfo(benchdata::databaseFolder()).fileName(); }
QString zipArchive() { return benchFolder() + QStringLiteral("/infozip.zip"); }

int runQuiet(const QString& program, const QStringList& args, const QString& folder = {}) {
    QProcess p;
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(-1)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

/// Runs a program and answers its peak resident memory in MiB (-1 on failure).
double peakOfChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    // The child's own high-water mark (VmHWM of its /proc status), read until it ends: the
    // maximum wait4() reports would also count the pages it shared with this process
    // before it started its program.
    double peakKiB = 0;
    int status = 0;
    for (;;) {
        QFile f(QStringLiteral("/proc/%1/status").arg(pid));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.startsWith("VmHWM:")) peakKiB = std::max(peakKiB, line.mid(6).trimmed().split(' ').first().toDouble());
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) return -1;
        usleep(2000);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return peakKiB / 1024.0;
}

QStringList filesBelow(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        out << QDir(folder).relativeFilePath(f) + QStringLiteral(" ") + QString::number(QFileInfo(f).size());
    }
    out.sort();
    return out;
}

QStringList namesIn(const QString& archive) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    p.waitForFinished(-1);
    QStringList names = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
}

void ourAdd(const QString& archive) {
    QFile::remove(archive);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(sourceParent());
    TQuorrel q;
    q.SetUnattended(true);
    q.SetAddCompLevel(9);
    q.SetAddOptions(AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs);
    q.SetZipFilename(archive);
    q.SetFSpecArgs({sourceName()});
    q.AddFiles();
    QDir::setCurrent(previous);
    if (q.SuccessCount() <= 0) std::fprintf(stderr, "our add failed: %s\n", qPrintable(q.LastMessage()));
}

int ourExtract(const QString& archive, const QString& folder) {
    TQuorrel q;
    q.SetUnattended(true);
    q.SetExtrOptions(ExtrOptsEnum::ExtrDirNames | ExtrOptsEnum::ExtrOverWrite);
    q.SetExtrBaseDir(folder);
    q.SetZipFilename(archive);
    q.ExtractFiles();
    return q.SuccessCount();
}

void emptyFolder(const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

/// Checks once that both sides answer the same question the same way.
bool prepare() {
    static const bool ok = [] {
        if (!benchdata::ensureDatabase()) return false;
        QDir().mkpath(benchFolder());
        QFile::remove(zipArchive());
        if (runQuiet(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-9"), zipArchive(),
                                             sourceName()},
                     sourceParent()) != 0)
            return false;
        const QString ours = benchFolder() + QStringLiteral("/ours.zip");
        ourAdd(ours);
        if (runQuiet(QStringLiteral("unzip"), {QStringLiteral("-tq"), ours}) != 0) {
            std::fprintf(stderr, "unzip -t refuses our archive\n");
            return false;
        }
        QStringList zipNames = namesIn(zipArchive());
        zipNames.erase(std::remove_if(zipNames.begin(), zipNames.end(), [](const QString& n) { return n.endsWith(u'/'); }),
                       zipNames.end());
        if (namesIn(ours) != zipNames) {
            std::fprintf(stderr, "the archives list different names\n");
            return false;
        }
        const QString a = benchFolder() + QStringLiteral("/check-ours");
        const QString b = benchFolder() + QStringLiteral("/check-unzip");
        emptyFolder(a);
        emptyFolder(b);
        ourExtract(zipArchive(), a);
        runQuiet(QStringLiteral("unzip"), {QStringLiteral("-q"), QStringLiteral("-o"), zipArchive(), QStringLiteral("-d"), b});
        const bool same = filesBelow(a) == filesBelow(b) && !filesBelow(a).isEmpty();
        QDir(a).removeRecursively();
        QDir(b).removeRecursively();
        if (!same) std::fprintf(stderr, "the extractions differ\n");
        std::fprintf(stderr, "folder: %s, %lld bytes in %lld files; Info-ZIP archive %lld bytes, ours %lld bytes\n",
                     qPrintable(benchdata::databaseFolder()), [] {
                         qint64 n = 0;
                         QDirIterator it(benchdata::databaseFolder(), QDir::Files, QDirIterator::Subdirectories);
                         while (it.hasNext()) n += QFileInfo(it.next()).size();
                         return static_cast<long long>(n);
                     }(),
                     static_cast<long long>(filesBelow(benchdata::databaseFolder()).size()),
                     static_cast<long long>(QFileInfo(zipArchive()).size()), static_cast<long long>(QFileInfo(ours).size()));
        return same;
    }();
    return ok;
}

void BM_AddLevel9_Quorrel(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("benchmark data could not be prepared");
    const QString archive = benchFolder() + QStringLiteral("/timed-ours.zip");
    for (auto _ : state) ourAdd(archive);
    state.counters["archive_bytes"] = static_cast<double>(QFileInfo(archive).size());
}
BENCHMARK(BM_AddLevel9_Quorrel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_AddLevel9_InfoZip(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("benchmark data could not be prepared");
    const QString archive = benchFolder() + QStringLiteral("/timed-infozip.zip");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(archive);
        state.ResumeTiming();
        runQuiet(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-9"), archive, sourceName()},
                 sourceParent());
    }
    state.counters["archive_bytes"] = static_cast<double>(QFileInfo(archive).size());
}
BENCHMARK(BM_AddLevel9_InfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Extract_Quorrel(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("benchmark data could not be prepared");
    const QString folder = benchFolder() + QStringLiteral("/out-ours");
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        ourExtract(zipArchive(), folder);
    }
    QDir(folder).removeRecursively();
}
BENCHMARK(BM_Extract_Quorrel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Extract_InfoZip(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("benchmark data could not be prepared");
    const QString folder = benchFolder() + QStringLiteral("/out-unzip");
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        runQuiet(QStringLiteral("unzip"), {QStringLiteral("-q"), QStringLiteral("-o"), zipArchive(), QStringLiteral("-d"), folder});
    }
    QDir(folder).removeRecursively();
}
BENCHMARK(BM_Extract_InfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

/// An archive holding 1 GiB: the database's files, again and again under numbered folders,
/// stored at level 1 (made once).
QString gigabyteArchive() {
    const QString archive = benchFolder() + QStringLiteral("/gigabyte.zip");
    if (QFileInfo::exists(archive)) return archive;
    const QString staging = benchFolder() + QStringLiteral("/gigabyte-in");
    emptyFolder(staging);
    qint64 total = 0;
    for (int copy = 0; total < (qint64(1) << 30); ++copy) {
        const QString into = staging + QStringLiteral("/copy%1").arg(copy, 3, 10, QChar(u'0'));
        QDir().mkpath(into);
        QDirIterator it(benchdata::databaseFolder(), QDir::Files);
        while (it.hasNext() && total < (qint64(1) << 30)) {
            const QString f = it.next();
            QFile::link(f, into + u'/' + QFileInfo(f).fileName());
            total += QFileInfo(f).size();
        }
    }
    runQuiet(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-1"), archive,
                                     QStringLiteral(".")},
             staging);
    QDir(staging).removeRecursively();
    return archive;
}

void BM_ExtractGigabyte_PeakMemory(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("benchmark data could not be prepared");
    const QString archive = gigabyteArchive();
    const QString folder = benchFolder() + QStringLiteral("/out-gigabyte");
    const std::string quorrelRun = DOSSARA_QUORREL_RUN;
    double ours = 0, unzip = 0;
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        ours = peakOfChild({quorrelRun, "extract", "-p", "-o", "-d", folder.toStdString(), archive.toStdString()});
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        unzip = peakOfChild({"unzip", "-q", "-o", archive.toStdString(), "-d", folder.toStdString()});
    }
    QDir(folder).removeRecursively();
    state.counters["quorrel_run_peak_MiB"] = ours;
    state.counters["unzip_peak_MiB"] = unzip;
    state.counters["archive_bytes"] = static_cast<double>(QFileInfo(archive).size());
}
BENCHMARK(BM_ExtractGigabyte_PeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
