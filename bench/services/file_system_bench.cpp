// The directory tree opening a folder of 10,000 sub-folders, beside two other ways of
// answering the same question in the same run:
//
//   ours:     a TPlDirectoryTree whose one volume is the folder, its root node opened: the
//             sub-folders read, sorted without regard to case, each probed for a sub-folder
//             of its own (the expander), 10,000 nodes made;
//   C:        opendir/readdir of the folder, then for each sub-folder opendir/readdir until
//             its first sub-folder (d_type, no stat), and the names sorted with strcasecmp:
//             the least work that gives the same nodes and expanders;
//   model:    Qt's QFileSystemModel with the filter Dirs | NoDotAndDotDot, setRootPath on the
//             folder, timed until its directoryLoaded signal and rowCount is 10,000 (its
//             expanders are not probed: it answers less).
//
// The folder's names are the machine's Debian package names (numbered when they repeat);
// every other sub-folder holds one sub-folder, the rest one file. The folder is made once
// into <build>/bench-data/folders-10k and read once before timing, so every side reads from
// the page cache. Before timing, the three sides are checked to give the same names and the
// tree and the C listing the same expanders.

#include "services/gui/directory_tree.h"

#include "platform/shell/volumes.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemModel>
#include <QSet>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFolders = 10000;

QString benchFolder() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/folders-10k"); }

QStringList packageNames() {
    QStringList names;
    QFile status(QStringLiteral("/var/lib/dpkg/status"));
    if (status.open(QIODevice::ReadOnly))
        while (!status.atEnd()) {
            const QByteArray line = status.readLine().trimmed();
            if (line.startsWith("Package: ")) names << QString::fromUtf8(line.mid(9));
        }
    if (names.isEmpty()) names << QStringLiteral("package");
    return names;
}

bool ensureFolder() {
    const QString root = benchFolder();
    if (QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() == kFolders) return true;
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    const QStringList packages = packageNames();
    QSet<QString> used;
    for (int i = 0; i < kFolders; ++i) {
        QString name = packages[i % packages.size()];
        if (used.contains(name)) name += QStringLiteral("-%1").arg(i / packages.size() + 1);
        used.insert(name);
        const QString folder = root + u'/' + name;
        if (!QDir().mkpath(folder)) return false;
        if (i % 2 == 0) {
            if (!QDir().mkpath(folder + QStringLiteral("/doc"))) return false;
        } else {
            QFile f(folder + QStringLiteral("/control"));
            if (!f.open(QIODevice::WriteOnly)) return false;
            f.write(name.toUtf8());
        }
    }
    return true;
}

struct Listed {
    std::vector<std::string> names;
    std::vector<bool> hasSubFolder;
};

bool isDot(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }

Listed listWithC(const std::string& root) {
    Listed out;
    std::vector<std::pair<std::string, bool>> entries;
    DIR* dir = opendir(root.c_str());
    if (!dir) return out;
    while (dirent* e = readdir(dir)) {
        if (e->d_type != DT_DIR || isDot(e->d_name) || e->d_name[0] == '.') continue;
        bool sub = false;
        const std::string path = root + '/' + e->d_name;
        if (DIR* inner = opendir(path.c_str())) {
            while (dirent* f = readdir(inner))
                if (f->d_type == DT_DIR && !isDot(f->d_name) && f->d_name[0] != '.') {
                    sub = true;
                    break;
                }
            closedir(inner);
        }
        entries.emplace_back(e->d_name, sub);
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const int c = strcasecmp(a.first.c_str(), b.first.c_str());
        return c != 0 ? c < 0 : a.first < b.first;
    });
    for (auto& [name, sub] : entries) {
        out.names.push_back(std::move(name));
        out.hasSubFolder.push_back(sub);
    }
    return out;
}

void useFolderAsVolume() {
    shell::SetVolumeSource([] {
        return std::vector<shell::Volume>{
            {benchFolder(), {}, QStringLiteral("/dev/bench"), QStringLiteral("ext4"), false, false, false, "bench"}};
    });
}

Listed openInTree() {
    TPlDirectoryTree tree;
    QTreeWidgetItem* root = tree.topLevelItem(0);
    root->setExpanded(true);
    Listed out;
    for (int i = 0; i < root->childCount(); ++i) {
        out.names.push_back(root->child(i)->text(0).toStdString());
        out.hasSubFolder.push_back(root->child(i)->childCount() > 0);
    }
    return out;
}

QStringList showInModel() {
    QFileSystemModel model;
    model.setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    QEventLoop loop;
    QObject::connect(&model, &QFileSystemModel::directoryLoaded, &loop, [&](const QString& path) {
        if (path == benchFolder()) loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    const QModelIndex root = model.setRootPath(benchFolder());
    loop.exec();
    while (model.rowCount(root) < kFolders && model.canFetchMore(root)) model.fetchMore(root);
    QStringList names;
    for (int i = 0; i < model.rowCount(root); ++i) names << model.index(i, 0, root).data().toString();
    return names;
}

bool checked = false;

bool checkSameAnswers(benchmark::State& state) {
    if (checked) return true;
    if (!ensureFolder()) {
        state.SkipWithError("could not make the folder of 10,000 sub-folders");
        return false;
    }
    useFolderAsVolume();
    const Listed c = listWithC(benchFolder().toStdString());
    const Listed tree = openInTree();
    QStringList model = showInModel();
    std::vector<std::string> modelNames;
    for (const QString& n : model) modelNames.push_back(n.toStdString());
    std::vector<std::string> sortedC = c.names;
    std::sort(sortedC.begin(), sortedC.end());
    std::sort(modelNames.begin(), modelNames.end());
    if (c.names.size() != kFolders || tree.names != c.names || tree.hasSubFolder != c.hasSubFolder
        || modelNames != sortedC) {
        std::fprintf(stderr, "C %zu, tree %zu, model %zu names\n", c.names.size(), tree.names.size(), modelNames.size());
        state.SkipWithError("the three sides do not give the same folders");
        return false;
    }
    checked = true;
    return true;
}

void BM_DirectoryTree_Open10kFolders(benchmark::State& state) {
    if (!checkSameAnswers(state)) return;
    useFolderAsVolume();
    for (auto _ : state) benchmark::DoNotOptimize(openInTree());
}
BENCHMARK(BM_DirectoryTree_Open10kFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_CLibrary_List10kFolders(benchmark::State& state) {
    if (!checkSameAnswers(state)) return;
    const std::string root = benchFolder().toStdString();
    for (auto _ : state) benchmark::DoNotOptimize(listWithC(root));
}
BENCHMARK(BM_CLibrary_List10kFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_QFileSystemModel_Show10kFolders(benchmark::State& state) {
    if (!checkSameAnswers(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(showInModel());
}
BENCHMARK(BM_QFileSystemModel_Show10kFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shell::SetVolumeSource({});
    return 0;
}
