#include "core/datagen/package_catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include "platform/base/exception.h"

#include <lz4frame.h>

#include <algorithm>

namespace datagen {

namespace {

/// Decompresses an lz4 frame; empty on failure.
QByteArray lz4Decompress(const QByteArray& data) {
    LZ4F_dctx* ctx = nullptr;
    if (LZ4F_isError(LZ4F_createDecompressionContext(&ctx, LZ4F_VERSION))) return {};
    QByteArray out;
    std::vector<char> chunk(1 << 20);
    const char* src = data.constData();
    size_t remaining = size_t(data.size());
    bool ok = true;
    while (remaining > 0) {
        size_t dstSize = chunk.size();
        size_t srcSize = remaining;
        const size_t r = LZ4F_decompress(ctx, chunk.data(), &dstSize, src, &srcSize, nullptr);
        if (LZ4F_isError(r)) {
            ok = false;
            break;
        }
        out.append(chunk.data(), qsizetype(dstSize));
        src += srcSize;
        remaining -= srcSize;
        if (r == 0) break;
        if (srcSize == 0 && dstSize == 0) {
            ok = false;
            break;
        }
    }
    LZ4F_freeDecompressionContext(ctx);
    return ok ? out : QByteArray();
}

QString cleanDescriptionLine(const QByteArray& line) {
    // continuation lines start with one space; " ." stands for an empty line
    QByteArray l = line.mid(1);
    if (l.trimmed() == ".") return {};
    return QString::fromUtf8(l).trimmed();
}

QStringList packageLists(const QString& folder) {
    QStringList lists;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*_Packages"), QStringLiteral("*_Packages.lz4")},
                                             QDir::Files, QDir::Name))
        lists << dir.filePath(name);
    return lists;
}

}  // namespace

std::vector<PackageRecord> ParsePackageStanzas(const QByteArray& text, bool installedOnly) {
    std::vector<PackageRecord> records;
    PackageRecord r;
    bool any = false;
    bool installed = !installedOnly;
    bool statusInstalled = false;
    QByteArray field;
    QStringList descriptionLines;
    auto finish = [&] {
        if (any && installed && !r.Package.isEmpty()) {
            if (r.Source.isEmpty()) r.Source = r.Package;
            r.Description = descriptionLines.join(QLatin1Char('\n')).trimmed();
            r.Installed = statusInstalled;
            records.push_back(r);
        }
        r = PackageRecord();
        any = false;
        installed = !installedOnly;
        statusInstalled = false;
        field.clear();
        descriptionLines.clear();
    };
    qsizetype pos = 0;
    while (pos <= text.size()) {
        qsizetype end = text.indexOf('\n', pos);
        if (end < 0) end = text.size();
        const QByteArray line = text.mid(pos, end - pos);
        pos = end + 1;
        if (line.trimmed().isEmpty()) {
            finish();
            if (end >= text.size()) break;
            continue;
        }
        if (line.startsWith(' ') || line.startsWith('\t')) {
            if (field == "Description") descriptionLines << cleanDescriptionLine(line);
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        any = true;
        field = line.left(colon);
        const QString value = QString::fromUtf8(line.mid(colon + 1)).trimmed();
        if (field == "Package") r.Package = value;
        else if (field == "Source") r.Source = value.section(QLatin1Char(' '), 0, 0);
        else if (field == "Version") r.Version = value;
        else if (field == "Architecture") r.Architecture = value;
        else if (field == "Section") r.Section = value;
        else if (field == "Priority") r.Priority = value;
        else if (field == "Maintainer") r.Maintainer = value;
        else if (field == "Homepage") r.Homepage = value;
        else if (field == "Installed-Size") r.InstalledSizeKiB = value.toInt();
        else if (field == "Size") r.ArchiveSizeBytes = value.toLongLong();
        else if (field == "Essential") r.Essential = value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
        else if (field == "Description") r.Summary = value;
        else if (field == "Installed-On") r.InstalledOn = QDate::fromString(value, Qt::ISODate);
        else if (field == "Status") {
            statusInstalled = value.endsWith(QLatin1String(" installed"));
            installed = !installedOnly || statusInstalled;
        }
    }
    finish();
    return records;
}

std::vector<PackageRecord> ReadPackageCatalogue(const QString& dpkgStatusFile, const QString& aptListsFolder,
                                                const QString& dpkgInfoFolder) {
    std::vector<PackageRecord> all;
    QSet<QString> names;
    QSet<QString> sources;
    {
        QFile f(dpkgStatusFile);
        if (f.open(QIODevice::ReadOnly)) {
            for (PackageRecord& r : ParsePackageStanzas(f.readAll(), true)) {
                if (names.contains(r.Package)) continue;
                for (const QString& list : {r.Package + QStringLiteral(".list"),
                                            r.Package + QLatin1Char(':') + r.Architecture + QStringLiteral(".list")}) {
                    const QFileInfo info(QDir(dpkgInfoFolder).filePath(list));
                    if (info.exists()) {
                        r.InstalledOn = info.lastModified().toUTC().date();
                        break;
                    }
                }
                names.insert(r.Package);
                sources.insert(r.Source);
                all.push_back(std::move(r));
            }
        }
    }
    for (const QString& path : packageLists(aptListsFolder)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        QByteArray text = f.readAll();
        if (path.endsWith(QLatin1String(".lz4"))) text = lz4Decompress(text);
        for (PackageRecord& r : ParsePackageStanzas(text, false)) {
            if (names.contains(r.Package) || !sources.contains(r.Source)) continue;
            names.insert(r.Package);
            all.push_back(std::move(r));
        }
    }
    std::sort(all.begin(), all.end(), [](const PackageRecord& a, const PackageRecord& b) { return a.Package < b.Package; });
    return all;
}

void WriteCatalogueExtract(const std::vector<PackageRecord>& packages, const QString& file) {
    QByteArray text;
    auto field = [&text](const char* name, const QString& value) {
        if (value.isEmpty()) return;
        text += name;
        text += ": ";
        text += value.toUtf8();
        text += '\n';
    };
    for (const PackageRecord& r : packages) {
        field("Package", r.Package);
        if (r.Source != r.Package) field("Source", r.Source);
        field("Version", r.Version);
        field("Architecture", r.Architecture);
        field("Section", r.Section);
        field("Priority", r.Priority);
        field("Maintainer", r.Maintainer);
        field("Homepage", r.Homepage);
        if (r.InstalledSizeKiB) field("Installed-Size", QString::number(r.InstalledSizeKiB));
        if (r.ArchiveSizeBytes) field("Size", QString::number(r.ArchiveSizeBytes));
        if (r.Essential) field("Essential", QStringLiteral("yes"));
        if (r.Installed) field("Status", QStringLiteral("install ok installed"));
        if (r.InstalledOn.isValid()) field("Installed-On", r.InstalledOn.toString(Qt::ISODate));
        field("Description", r.Summary.isEmpty() ? QStringLiteral("-") : r.Summary);
        if (!r.Description.isEmpty())
            for (const QString& line : r.Description.split(QLatin1Char('\n')))
                text += line.isEmpty() ? QByteArray(" .\n") : " " + line.toUtf8() + '\n';
        text += '\n';
    }
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit())
        throw base::Exception(QStringLiteral("Cannot write %1: %2").arg(file, f.errorString()));
}

std::vector<PackageRecord> ReadCatalogueExtract(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) throw base::Exception(QStringLiteral("Cannot read %1: %2").arg(file, f.errorString()));
    std::vector<PackageRecord> all = ParsePackageStanzas(f.readAll(), false);
    std::sort(all.begin(), all.end(), [](const PackageRecord& a, const PackageRecord& b) { return a.Package < b.Package; });
    return all;
}

QStringList CatalogueInputs(const QString& dpkgStatusFile, const QString& aptListsFolder) {
    return QStringList{dpkgStatusFile} + packageLists(aptListsFolder);
}

}  // namespace datagen
