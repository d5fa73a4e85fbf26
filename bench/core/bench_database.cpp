#include "bench/core/bench_database.h"

#include "core/datagen/database_writer.h"
#include "core/datagen/package_catalogue.h"
#include "core/datagen/shipped_data.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace benchdata {

namespace {

constexpr int kBranches = 100000;
const QString kVersion = QStringLiteral("core-100k v2");

QString folderOfDatabase() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-100k"); }
QString folderOfFlatDatabase() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-100k-flat"); }
const QString kFlatVersion = QStringLiteral("core-100k-flat v2");

/// Paragraphs of the plain-text documentation under /usr/share/doc (README, NEWS, copyright
/// and *.txt files), each 80 to 1500 characters, in file order.
QStringList docParagraphs() {
    QStringList paragraphs;
    QDirIterator it(QStringLiteral("/usr/share/doc"), QDir::Files, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith(QLatin1String("README")) || name == QLatin1String("NEWS") || name == QLatin1String("copyright") ||
            name.endsWith(QLatin1String(".txt")))
            files << path;
    }
    files.sort();
    static const QRegularExpression blank(QStringLiteral("\n\\s*\n"));
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.size() > 2000000) continue;
        const QString text = QString::fromUtf8(f.readAll());
        for (QString p : text.split(blank)) {
            p = p.simplified();
            if (p.size() >= 80 && p.size() <= 1500) paragraphs << p;
        }
    }
    return paragraphs;
}

void generate(bool flat) {
    const QString folder = flat ? folderOfFlatDatabase() : folderOfDatabase();
    QDir(folder).removeRecursively();
    const auto packages = datagen::ReadPackageCatalogue(QStringLiteral("/var/lib/dpkg/status"),
                                                        QStringLiteral("/var/lib/apt/lists"),
                                                        QStringLiteral("/var/lib/dpkg/info"));
    const QStringList paragraphs = docParagraphs();
    datagen::DatabaseWriter writer(
        folder, datagen::ReadViewSources(QStringLiteral(DOSSARA_SOURCE_DIR "/data/sample/views.txt")));
    int branches = 0;
    int copy = 0;
    int noteCounter = 0;
    const int treeBranches = flat ? kBranches - kFlatChildren : kBranches;
    while (branches < treeBranches) {
        branches += datagen::WriteCatalogueTree(
            writer, packages, QStringLiteral("Debian packages, copy %1").arg(++copy), 45000.0, [&](int) {
                return paragraphs.isEmpty() ? QString() : paragraphs[noteCounter++ % paragraphs.size()];
            });
    }
    if (flat) {
        const int root = writer.AddBranch(0, QStringLiteral("Debian packages, flat"), 0,
                                          {{"SectionName", QStringLiteral("flat")}, {"PackageCount", kFlatChildren}},
                                          QStringLiteral("Packages of the catalogue, all on one level."), 45000.0);
        ++branches;
        for (int i = 0; i < kFlatChildren && !packages.empty(); ++i) {
            const datagen::PackageRecord& p = packages[size_t(i) % packages.size()];
            const int round = i / int(packages.size());
            const QString title = round == 0 ? p.Package : QStringLiteral("%1 (%2)").arg(p.Package).arg(round + 1);
            QString note = p.Summary + QStringLiteral("\n\n") + p.Description;
            if (!paragraphs.isEmpty()) note += QStringLiteral("\n\n") + paragraphs[noteCounter++ % paragraphs.size()];
            writer.AddBranch(root, title, 2,
                             {{"Package", p.Package}, {"Summary", p.Summary}, {"Version", p.Version},
                              {"Architecture", p.Architecture}, {"Maintainer", p.Maintainer}},
                             note, 45000.0);
            ++branches;
        }
        QFile id(QDir(folder).filePath(QStringLiteral("flat.root")));
        if (id.open(QIODevice::WriteOnly)) id.write(QByteArray::number(root));
    }
    writer.Finish();
    QFile stamp(QDir(folder).filePath(QStringLiteral("bench.stamp")));
    if (stamp.open(QIODevice::WriteOnly))
        stamp.write(((flat ? kFlatVersion : kVersion) + QStringLiteral("\n%1 branches, %2 packages per copy, %3 doc paragraphs\n")
                                    .arg(branches)
                                    .arg(packages.size())
                                    .arg(paragraphs.size()))
                        .toUtf8());
}

/// Generates the database in a child process unless it is there already.
bool generateOnce(bool flat) {
    const QString folder = flat ? folderOfFlatDatabase() : folderOfDatabase();
    QFile stamp(QDir(folder).filePath(QStringLiteral("bench.stamp")));
    if (stamp.open(QIODevice::ReadOnly) &&
        QString::fromUtf8(stamp.readLine()).trimmed() == (flat ? kFlatVersion : kVersion))
        return true;
    std::fprintf(stderr, "generating the 100,000-branch database in %s ...\n", qPrintable(folder));
    const pid_t child = fork();
    if (child == 0) {
        try {
            generate(flat);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "generation failed: %s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

QString databaseFolder() { return folderOfDatabase(); }

bool ensureDatabase() { return generateOnce(false); }

QString flatDatabaseFolder() { return folderOfFlatDatabase(); }

bool ensureFlatDatabase() { return generateOnce(true); }

int flatRootNodeID() {
    QFile id(QDir(folderOfFlatDatabase()).filePath(QStringLiteral("flat.root")));
    return id.open(QIODevice::ReadOnly) ? id.readAll().toInt() : 0;
}

}  // namespace benchdata
