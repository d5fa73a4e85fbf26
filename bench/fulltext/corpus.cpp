#include "bench/fulltext/corpus.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <zlib.h>

namespace fulltext::bench {

namespace {

QByteArray readGzip(const QString& path) {
    QByteArray out;
    gzFile f = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return out;
    char buffer[65536];
    int n;
    while ((n = gzread(f, buffer, sizeof buffer)) > 0) out.append(buffer, n);
    gzclose(f);
    return out;
}

void appendRecords(QStringList& records, const QString& text) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = std::min(text.size(), start + 2000);
        if (end < text.size()) {
            const qsizetype nl = text.indexOf(u'\n', end);
            end = nl < 0 ? text.size() : nl + 1;
        }
        records << text.mid(start, end - start);
        start = end;
    }
}

struct Built {
    QStringList records;
    qint64 chars = 0;
};

Built build(qint64 minBytes) {
    QStringList sources;
    QDirIterator fortunes(QStringLiteral("/usr/share/games/fortunes"), QDir::Files, QDirIterator::Subdirectories);
    while (fortunes.hasNext()) {
        const QString p = fortunes.next();
        if (!p.endsWith(QLatin1String(".dat"))) sources << p;
    }
    QDirIterator man(QStringLiteral("/usr/share/man"), {QStringLiteral("*.gz")}, QDir::Files, QDirIterator::Subdirectories);
    while (man.hasNext()) sources << man.next();
    sources.sort();

    Built b;
    qint64 bytes = 0;
    QStringList once;
    for (const QString& path : sources) {
        if (bytes >= minBytes) break;
        QByteArray data;
        if (path.endsWith(QLatin1String(".gz"))) {
            data = readGzip(path);
        } else {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) data = f.readAll();
        }
        if (data.isEmpty()) continue;
        bytes += data.size();
        appendRecords(once, QString::fromUtf8(data));
    }
    if (once.isEmpty()) qFatal("No corpus text found under /usr/share/games/fortunes or /usr/share/man");
    b.records = once;
    while (bytes < minBytes) {  // repeat the text to reach the size
        b.records += once;
        bytes *= 2;
    }
    for (const QString& r : b.records) b.chars += r.size();
    return b;
}

const Built& built(qint64 minBytes) {
    static const Built b = build(minBytes);
    return b;
}

}  // namespace

const QStringList& Corpus(qint64 minBytes) {
    return built(minBytes).records;
}

qint64 CorpusChars() {
    return built(50 * 1024 * 1024).chars;
}

}  // namespace fulltext::bench
