// The corpus loader of the word-splitting benchmark, cutting the text into records of a
// chosen size.

#include "bench/fulltext_index/records_corpus.h"

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

void appendRecords(QStringList& records, const QString& text, int recordChars, int count) {
    qsizetype start = 0;
    while (start < text.size() && records.size() < count) {
        qsizetype end = std::min(text.size(), start + recordChars);
        if (end < text.size()) {
            const qsizetype nl = text.indexOf(u'\n', end);
            end = nl < 0 ? text.size() : nl + 1;
        }
        records << text.mid(start, end - start);
        start = end;
    }
}

QStringList build(int count, int recordChars) {
    QStringList sources;
    QDirIterator fortunes(QStringLiteral("/usr/share/games/fortunes"), QDir::Files, QDirIterator::Subdirectories);
    while (fortunes.hasNext()) {
        const QString p = fortunes.next();
        if (!p.endsWith(QLatin1String(".dat")) && !p.endsWith(QLatin1String(".u8"))) sources << p;
    }
    QDirIterator man(QStringLiteral("/usr/share/man"), {QStringLiteral("*.gz")}, QDir::Files, QDirIterator::Subdirectories);
    while (man.hasNext()) sources << man.next();
    sources.sort();

    QStringList records;
    for (const QString& path : sources) {
        if (records.size() >= count) break;
        QByteArray data;
        if (path.endsWith(QLatin1String(".gz"))) {
            data = readGzip(path);
        } else {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) data = f.readAll();
        }
        if (!data.isEmpty()) appendRecords(records, QString::fromUtf8(data), recordChars, count);
    }
    if (records.isEmpty()) qFatal("No corpus text found under /usr/share/games/fortunes or /usr/share/man");
    const qsizetype once = records.size();
    for (qsizetype i = 0; records.size() < count; ++i) records << records[i % once];
    return records;
}

}  // namespace

const QStringList& Records(int count, int recordChars) {
    static const QStringList r = build(count, recordChars);
    return r;
}

}  // namespace fulltext::bench
