#include "fulltext/testsupport/corpus.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <map>
#include <mutex>
#include <unordered_set>
#include <utility>

#include <zlib.h>

namespace fulltext::testing {

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

QStringList sources() {
    QStringList fortunes;
    QDirIterator f(QStringLiteral("/usr/share/games/fortunes"), QDir::Files, QDirIterator::Subdirectories);
    while (f.hasNext()) {
        const QString p = f.next();
        if (!p.endsWith(QLatin1String(".dat"))) fortunes << p;
    }
    QStringList english;
    QStringList translated;
    QDirIterator man(QStringLiteral("/usr/share/man"), {QStringLiteral("*.gz")}, QDir::Files, QDirIterator::Subdirectories);
    while (man.hasNext()) {
        const QString p = man.next();
        (p.startsWith(QLatin1String("/usr/share/man/man")) ? english : translated) << p;
    }
    fortunes.sort();
    english.sort();
    translated.sort();
    return fortunes + english + translated;
}

/// Appends the records cut from `text` until `count` are there.
void cutRecords(QStringList& records, const QString& text, int recordChars, int count) {
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

}  // namespace

void ForEachCorpusText(const std::function<bool(const QString& text)>& visit) {
    std::unordered_set<std::size_t> seen;
    bool any = false;
    for (const QString& path : sources()) {
        QByteArray data;
        if (path.endsWith(QLatin1String(".gz"))) {
            data = readGzip(path);
        } else {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) data = f.readAll();
        }
        if (data.isEmpty()) continue;
        if (!seen.insert(qHash(data, 0x5eed)).second) continue;  // the same text under another name
        any = true;
        if (!visit(QString::fromUtf8(data))) return;
    }
    if (!any) qFatal("No corpus text found under /usr/share/games/fortunes or /usr/share/man");
}

const QStringList& CorpusRecords(int count, int recordChars) {
    static std::mutex lock;
    static std::map<std::pair<int, int>, QStringList> built;
    const std::lock_guard<std::mutex> hold(lock);
    auto [it, fresh] = built.try_emplace({count, recordChars});
    if (fresh) {
        QStringList& records = it->second;
        ForEachCorpusText([&](const QString& text) {
            cutRecords(records, text, recordChars, count);
            return records.size() < count;
        });
    }
    return it->second;
}

namespace {

struct Built {
    QStringList records;
    qint64 chars = 0;
};

const Built& built(qint64 maxBytes) {
    static const Built b = [&] {
        Built r;
        qint64 bytes = 0;
        ForEachCorpusText([&](const QString& text) {
            bytes += text.toUtf8().size();
            cutRecords(r.records, text, 2000, INT_MAX);
            return bytes < maxBytes;
        });
        for (const QString& rec : r.records) r.chars += rec.size();
        return r;
    }();
    return b;
}

}  // namespace

const QStringList& Corpus(qint64 maxBytes) {
    return built(maxBytes).records;
}

qint64 CorpusChars() {
    return built(50 * 1024 * 1024).chars;
}

QStringList SplitWords(const QString& text) {
    static const QRegularExpression delimiters(QStringLiteral("[ ,.;:?!\\[\\]{}()<>/+\\-*=\\\\|_&#%$@^~`\"'\\r\\n\\t]+"));
    return text.split(delimiters, Qt::SkipEmptyParts);
}

}  // namespace fulltext::testing
