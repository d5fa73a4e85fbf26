#include "core/datagen/shipped_data.h"

#include "core/datagen/database_writer.h"
#include "core/product_tables.h"

#include "platform/base/day_time.h"
#include "platform/base/exception.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTextStream>

#include <map>

namespace datagen {

namespace {

/// The lines of a tab-separated source file without comments and blank lines, each split at
/// tabs (fields are not trimmed: a trailing blank can be part of a value).
std::vector<QStringList> readTabbed(const QString& path, int minFields) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw base::Exception(QStringLiteral("Cannot read %1.").arg(path));
    std::vector<QStringList> rows;
    QTextStream in(&file);
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNo;
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
        const QStringList parts = line.split(u'\t');
        if (parts.size() < minFields)
            throw base::Exception(QStringLiteral("%1:%2: expected %3 tab-separated fields").arg(path).arg(lineNo).arg(minFields));
        rows.push_back(parts);
    }
    return rows;
}

QByteArray readPicture(const QString& theme, const QString& size, const QString& relative) {
    QFile f(QDir(theme).filePath(size + QLatin1Char('/') + relative));
    if (!f.open(QIODevice::ReadOnly))
        throw base::Exception(QStringLiteral("The icon %1 is missing from the icon theme.").arg(f.fileName()));
    return f.readAll();
}

std::unique_ptr<db::Table> openTable(const QString& folder, const QString& name) {
    auto t = std::make_unique<db::Table>();
    t->SetDatabaseName(folder);
    t->SetTableName(name);
    t->Open();
    return t;
}

}  // namespace

int ShortcutFromText(const QString& text) {
    int code = 0;
    int key = 0;
    for (const QString& part : text.split(u'+', Qt::SkipEmptyParts)) {
        const QString p = part.trimmed();
        if (p.compare(QLatin1String("Shift"), Qt::CaseInsensitive) == 0) code |= 0x2000;
        else if (p.compare(QLatin1String("Ctrl"), Qt::CaseInsensitive) == 0) code |= 0x4000;
        else if (p.compare(QLatin1String("Alt"), Qt::CaseInsensitive) == 0) code |= 0x8000;
        else if (p.size() == 1 && (p[0].isLetterOrNumber())) key = p[0].toUpper().unicode();
        else if (p.size() >= 2 && p[0].toUpper() == u'F' && p.mid(1).toInt() >= 1 && p.mid(1).toInt() <= 24)
            key = 0x6F + p.mid(1).toInt();
        else return 0;
    }
    return key ? code | key : 0;
}

void WriteLibrary(const QString& folder, const QString& sourceFolder, const QString& iconTheme) {
    QDir().mkpath(folder);
    core::CreateLibraryTables(folder);
    const QDir src(sourceFolder);
    {
        auto t = openTable(folder, core::kIconLibTable);
        t->StartBatch();
        for (const QStringList& row : readTabbed(src.filePath(QStringLiteral("icons.txt")), 3)) {
            t->Append();
            t->FieldByName(QStringLiteral("ID"))->SetAsInteger(row[0].toInt());
            t->FieldByName(QStringLiteral("Name"))->SetAsString(row[1]);
            t->FieldByName(QStringLiteral("SmallImage"))->SetAsBytes(readPicture(iconTheme, QStringLiteral("16x16"), row[2]));
            t->FieldByName(QStringLiteral("LargeImage"))->SetAsBytes(readPicture(iconTheme, QStringLiteral("24x24"), row[2]));
            t->Post();
        }
        t->EndBatch(true);
    }
    {
        auto t = openTable(folder, core::kMaskLibTable);
        t->StartBatch();
        int id = 0;
        for (const QStringList& row : readTabbed(src.filePath(QStringLiteral("masks.txt")), 3)) {
            t->Append();
            t->FieldByName(QStringLiteral("ID"))->SetAsInteger(++id);
            t->FieldByName(QStringLiteral("Name"))->SetAsString(row[0]);
            t->FieldByName(QStringLiteral("Mask"))->SetAsString(row[1]);
            t->FieldByName(QStringLiteral("Sample"))->SetAsString(row[2]);
            t->Post();
        }
        t->EndBatch(true);
    }
    {
        auto t = openTable(folder, core::kMacroLibTable);
        t->StartBatch();
        int id = 0;
        for (const QStringList& row : readTabbed(src.filePath(QStringLiteral("macros.txt")), 2)) {
            const int shortcut = ShortcutFromText(row[0]);
            if (shortcut == 0) throw base::Exception(QStringLiteral("Unknown shortcut %1 in macros.txt.").arg(row[0]));
            t->Append();
            t->FieldByName(QStringLiteral("ID"))->SetAsInteger(++id);
            t->FieldByName(QStringLiteral("Shortcut"))->SetAsInteger(shortcut);
            t->FieldByName(QStringLiteral("Type"))->SetAsInteger(row[1].toInt());
            if (row.size() > 2 && !row[2].isEmpty()) t->FieldByName(QStringLiteral("Text"))->SetAsString(row[2]);
            t->Post();
        }
        t->EndBatch(true);
    }
    {
        auto t = openTable(folder, core::kTemplateLibTable);
        t->StartBatch();
        for (const QStringList& row : readTabbed(src.filePath(QStringLiteral("templates.txt")), 5)) {
            t->Append();
            t->FieldByName(QStringLiteral("ID"))->SetAsInteger(row[0].toInt());
            t->FieldByName(QStringLiteral("Name"))->SetAsString(row[1]);
            t->FieldByName(QStringLiteral("Icon"))->SetAsBytes(readPicture(iconTheme, QStringLiteral("32x32"), row[2]));
            t->FieldByName(QStringLiteral("Path"))->SetAsString(row[3]);
            t->FieldByName(QStringLiteral("Description"))->SetAsString(row[4]);
            t->Post();
        }
        t->EndBatch(true);
    }
}

namespace {

QString areaOf(const QString& section) { return section.contains(u'/') ? section.section(u'/', 0, 0) : QStringLiteral("main"); }

double mib(qint64 kib) { return double(qRound64(double(kib) / 1024.0 * 100.0)) / 100.0; }

QString packageNote(const PackageRecord& p) {
    QString note = p.Summary;
    if (!p.Description.isEmpty()) note += QStringLiteral("\n\n") + p.Description;
    return note;
}

}  // namespace

int WriteCatalogueTree(DatabaseWriter& writer, const std::vector<PackageRecord>& packages, const QString& rootTitle,
                       double timestamp, const std::function<QString(int)>& extraNote) {
    // section -> source -> packages (indexes into `packages`)
    std::map<QString, std::map<QString, std::vector<int>>> tree;
    for (int i = 0; i < int(packages.size()); ++i) {
        const PackageRecord& p = packages[size_t(i)];
        tree[p.Section.isEmpty() ? QStringLiteral("unknown") : p.Section][p.Source].push_back(i);
    }
    int branches = 0;
    int packageCounter = 0;
    qint64 totalKiB = 0;
    int installed = 0;
    for (const PackageRecord& p : packages) {
        totalKiB += p.InstalledSizeKiB;
        installed += p.Installed ? 1 : 0;
    }
    const int root = writer.AddBranch(
        0, rootTitle, 0,
        {{"SectionName", rootTitle}, {"ArchiveArea", QStringLiteral("all")}, {"PackageCount", int(packages.size())},
         {"InstalledCount", installed}, {"TotalSizeMiB", mib(totalKiB)}},
        QStringLiteral("The packages installed on the machine that built this program, and the other packages of "
                       "the archive built from the same sources, by archive section."),
        timestamp);
    ++branches;

    auto addPackage = [&](int parent, const PackageRecord& p) {
        QVector<QPair<QString, QVariant>> values{{"Package", p.Package},
                                                 {"Summary", p.Summary},
                                                 {"Version", p.Version},
                                                 {"Architecture", p.Architecture},
                                                 {"Maintainer", p.Maintainer},
                                                 {"Homepage", p.Homepage},
                                                 {"InstalledSizeKiB", p.InstalledSizeKiB},
                                                 {"Installed", p.Installed},
                                                 {"Essential", p.Essential}};
        if (!p.Priority.isEmpty()) values.push_back({"Priority", p.Priority.left(1).toUpper() + p.Priority.mid(1)});
        if (p.ArchiveSizeBytes > 0) values.push_back({"ArchiveSizeMiB", mib(p.ArchiveSizeBytes / 1024)});
        if (p.InstalledOn.isValid()) values.push_back({"InstalledOn", base::DateToDays(p.InstalledOn)});
        QString note = packageNote(p);
        if (extraNote) {
            const QString extra = extraNote(packageCounter);
            if (!extra.isEmpty()) note += QStringLiteral("\n\n") + extra;
        }
        ++packageCounter;
        writer.AddBranch(parent, p.Package, 2, values, note, timestamp);
        ++branches;
    };

    for (const auto& [section, sources] : tree) {
        int count = 0;
        int here = 0;
        qint64 kib = 0;
        QStringList names;
        for (const auto& [source, list] : sources)
            for (int i : list) {
                ++count;
                here += packages[size_t(i)].Installed ? 1 : 0;
                kib += packages[size_t(i)].InstalledSizeKiB;
                names << packages[size_t(i)].Package + QStringLiteral(": ") + packages[size_t(i)].Summary;
            }
        const int sectionNode = writer.AddBranch(
            root, section, 0,
            {{"SectionName", section}, {"ArchiveArea", areaOf(section)}, {"PackageCount", count},
             {"InstalledCount", here}, {"TotalSizeMiB", mib(kib)}},
            QStringLiteral("Packages of the section %1:\n\n").arg(section) + names.join(QLatin1Char('\n')), timestamp);
        ++branches;
        for (const auto& [source, list] : sources) {
            if (list.size() == 1) {
                addPackage(sectionNode, packages[size_t(list.front())]);
                continue;
            }
            const PackageRecord& first = packages[size_t(list.front())];
            qint64 sourceKiB = 0;
            bool all = true;
            QStringList binaries;
            for (int i : list) {
                sourceKiB += packages[size_t(i)].InstalledSizeKiB;
                all = all && packages[size_t(i)].Installed;
                binaries << packages[size_t(i)].Package;
            }
            const int sourceNode = writer.AddBranch(
                sectionNode, source, 1,
                {{"Source", source}, {"Version", first.Version}, {"Maintainer", first.Maintainer},
                 {"BinaryCount", int(list.size())}, {"SizeMiB", mib(sourceKiB)}, {"AllInstalled", all}},
                QStringLiteral("Binary packages built from %1 in this section: %2.").arg(source, binaries.join(QStringLiteral(", "))),
                timestamp);
            ++branches;
            for (int i : list) addPackage(sourceNode, packages[size_t(i)]);
        }
    }
    return branches;
}

}  // namespace datagen
