#include "bench/core/bench_database.h"

#include "core/datagen/database_writer.h"
#include "core/datagen/package_catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <stdexcept>

namespace benchdata {

namespace {

const QString kVersion = QStringLiteral("docs v3");
const QString kFlatVersion = QStringLiteral("docs-flat v3");
constexpr int kFlatTotal = 100000;
constexpr double kTimestamp = 45000.0;

QString folderOf(int branches) {
    return branches % 1000 == 0 ? QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-%1k").arg(branches / 1000)
                                : QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-%1").arg(branches);
}
QString folderOfFlatDatabase() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-100k-flat"); }

/// A file's bytes, gzip-compressed or not; empty when it cannot be read.
QByteArray readMaybeCompressed(const QString& path) {
    gzFile f = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return {};
    QByteArray out;
    char buffer[65536];
    for (int n; (n = gzread(f, buffer, sizeof buffer)) > 0;) out.append(buffer, n);
    gzclose(f);
    return out;
}

struct Document {
    QString folder;   ///< the package folder's name
    QStringList paragraphs;
};

/// The documents of every package folder under /usr/share/doc, in name order, with their
/// paragraphs as the header describes them (before any is left out as a repeat).
std::vector<Document> readDocuments() {
    static const QStringList names = {
        QStringLiteral("changelog.Debian.gz"), QStringLiteral("changelog.gz"), QStringLiteral("NEWS.Debian.gz"),
        QStringLiteral("NEWS.gz"),            QStringLiteral("copyright"),    QStringLiteral("README.Debian"),
        QStringLiteral("README"),             QStringLiteral("README.md"),    QStringLiteral("README.gz"),
        QStringLiteral("NEWS"),               QStringLiteral("TODO"),         QStringLiteral("AUTHORS")};
    static const QRegularExpression blank(QStringLiteral("\n\\s*\n"));
    std::vector<Document> documents;
    const QDir root(QStringLiteral("/usr/share/doc"));
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(root.filePath(folder)).isSymLink()) continue;
        for (const QString& name : names) {
            const QString path = root.filePath(folder + u'/' + name);
            if (!QFileInfo(path).isFile()) continue;
            Document d{folder, {}};
            for (const QString& raw : QString::fromUtf8(readMaybeCompressed(path)).split(blank)) {
                const QString p = raw.simplified();
                if (p.size() < 40 || p.size() > 3000 || p.startsWith(QLatin1String("-- ")) || p.count(u' ') < 4) continue;
                d.paragraphs << p;
            }
            if (!d.paragraphs.isEmpty()) documents.push_back(std::move(d));
        }
    }
    return documents;
}

/// Hands out the documents' paragraphs a round at a time, each text once.
class ParagraphRounds {
public:
    explicit ParagraphRounds(std::vector<Document> documents) : m_documents(std::move(documents)) {
        for (const Document& d : m_documents) m_rounds = std::max(m_rounds, int(d.paragraphs.size()));
    }
    /// The next paragraph not handed out before (its document in `document`); false when
    /// none is left.
    bool next(QString& text, int& document) {
        for (; m_round < m_rounds; ++m_round, m_at = 0) {
            while (m_at < int(m_documents.size())) {
                const Document& d = m_documents[std::size_t(m_at++)];
                if (m_round >= d.paragraphs.size()) continue;
                const QString& p = d.paragraphs[m_round];
                if (m_seen.contains(p)) continue;
                m_seen.insert(p);
                text = p;
                document = m_at - 1;
                return true;
            }
        }
        return false;
    }
    bool seen(const QString& text) const { return m_seen.contains(text); }
    void see(const QString& text) { m_seen.insert(text); }
    const Document& document(int i) const { return m_documents[std::size_t(i)]; }

private:
    std::vector<Document> m_documents;
    QSet<QString> m_seen;
    int m_rounds = 0;
    int m_round = 0;
    int m_at = 0;
};

/// The first words of a paragraph, at most 60 characters, as a branch title.
QString titleOf(const QString& paragraph) {
    if (paragraph.size() <= 60) return paragraph;
    const int cut = int(paragraph.lastIndexOf(u' ', 60));
    return paragraph.left(cut > 20 ? cut : 60);
}

void generate(int branches, bool flat) {
    const QString folder = flat ? folderOfFlatDatabase() : folderOf(branches);
    QDir(folder).removeRecursively();
    QHash<QString, datagen::PackageRecord> catalogue;
    for (datagen::PackageRecord& p : datagen::ReadPackageCatalogue(QStringLiteral("/var/lib/dpkg/status"),
                                                                   QStringLiteral("/var/lib/apt/lists"),
                                                                   QStringLiteral("/var/lib/dpkg/info")))
        catalogue.insert(p.Package, std::move(p));
    ParagraphRounds rounds(readDocuments());

    // Which paragraphs the tree takes: the total counts the section and folder branches
    // their paragraphs bring.
    const int treeBranches = flat ? branches - kFlatChildren - 1 : branches;
    std::map<QString, std::map<QString, QStringList>> tree;  // section -> folder -> paragraphs
    int total = 0;
    int paragraphs = 0;
    QString text;
    int document = 0;
    while (total < treeBranches) {
        if (!rounds.next(text, document))
            throw std::runtime_error(QStringLiteral("the documentation holds %1 distinct paragraphs, %2 branches wanted")
                                         .arg(paragraphs)
                                         .arg(branches)
                                         .toStdString());
        const QString& name = rounds.document(document).folder;
        const auto known = catalogue.constFind(name);
        const QString section = known != catalogue.constEnd() && !known->Section.isEmpty() ? known->Section
                                                                                           : QStringLiteral("unknown");
        auto s = tree.find(section);
        const int cost = 1 + (s == tree.end() ? 2 : (s->second.count(name) ? 0 : 1));
        if (total + cost > treeBranches) continue;  // taken by none: the last branches must be paragraphs
        tree[section][name] << text;
        total += cost;
        ++paragraphs;
    }
    QStringList flatParagraphs;
    while (flat && flatParagraphs.size() < kFlatChildren) {
        if (!rounds.next(text, document)) throw std::runtime_error("too few paragraphs for the flat branch");
        flatParagraphs << text;
    }

    datagen::DatabaseWriter writer(
        folder, datagen::ReadViewSources(QStringLiteral(DOSSARA_SOURCE_DIR "/data/sample/views.txt")));
    int written = 0;
    for (const auto& [section, folders] : tree) {
        const int sectionNode =
            writer.AddBranch(0, section, 0,
                             {{"SectionName", section}, {"PackageCount", int(folders.size())}}, QString(), kTimestamp);
        ++written;
        for (const auto& [name, texts] : folders) {
            QVector<QPair<QString, QVariant>> values{{"Source", name}};
            QString note;
            if (const auto p = catalogue.constFind(name); p != catalogue.constEnd()) {
                values << QPair<QString, QVariant>{QStringLiteral("Version"), p->Version}
                       << QPair<QString, QVariant>{QStringLiteral("Maintainer"), p->Maintainer};
                const QString description = (p->Summary + QStringLiteral("\n\n") + p->Description).trimmed();
                if (!rounds.seen(description)) {
                    rounds.see(description);
                    note = description;
                }
            }
            const int folderNode = writer.AddBranch(sectionNode, name, 1, values, note, kTimestamp);
            ++written;
            for (const QString& t : texts) {
                writer.AddBranch(folderNode, titleOf(t), 2, {{"Package", name}}, t, kTimestamp);
                ++written;
            }
        }
    }
    if (flat) {
        const int root = writer.AddBranch(0, QStringLiteral("Debian documentation, flat"), 0,
                                          {{"SectionName", QStringLiteral("flat")}, {"PackageCount", kFlatChildren}},
                                          QStringLiteral("Paragraphs of the documentation, all on one level."),
                                          kTimestamp);
        ++written;
        for (const QString& t : flatParagraphs) {
            writer.AddBranch(root, titleOf(t), 2, {}, t, kTimestamp);
            ++written;
        }
        QFile id(QDir(folder).filePath(QStringLiteral("flat.root")));
        if (id.open(QIODevice::WriteOnly)) id.write(QByteArray::number(root));
    }
    writer.Finish();
    QFile stamp(QDir(folder).filePath(QStringLiteral("bench.stamp")));
    if (stamp.open(QIODevice::WriteOnly))
        stamp.write(((flat ? kFlatVersion : kVersion) + QStringLiteral("\n%1 branches, %2 sections, %3 paragraphs\n")
                                                           .arg(written)
                                                           .arg(tree.size())
                                                           .arg(paragraphs + flatParagraphs.size()))
                        .toUtf8());
}

/// Generates the database in a child process unless it is there already.
bool generateOnce(int branches, bool flat) {
    const QString folder = flat ? folderOfFlatDatabase() : folderOf(branches);
    QFile stamp(QDir(folder).filePath(QStringLiteral("bench.stamp")));
    if (stamp.open(QIODevice::ReadOnly) && QString::fromUtf8(stamp.readLine()).trimmed() == (flat ? kFlatVersion : kVersion))
        return true;
    std::fprintf(stderr, "generating the %d-branch database in %s ...\n", branches, qPrintable(folder));
    const pid_t child = fork();
    if (child == 0) {
        try {
            generate(branches, flat);
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

int benchBranches() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("DOSSARA_BENCH_BRANCHES", &ok);
    return ok && n > 0 ? n : kDefaultBranches;
}

QString databaseFolder(int branches) { return folderOf(branches); }

bool ensureDatabase(int branches) { return generateOnce(branches, false); }

QString flatDatabaseFolder() { return folderOfFlatDatabase(); }

bool ensureFlatDatabase() { return generateOnce(kFlatTotal, true); }

int flatRootNodeID() {
    QFile id(QDir(folderOfFlatDatabase()).filePath(QStringLiteral("flat.root")));
    return id.open(QIODevice::ReadOnly) ? id.readAll().toInt() : 0;
}

}  // namespace benchdata
