// Generates the data that ships beside the programs from the text sources under data/:
//   <out>/Library/        IconLib.DB, MaskLib.db, MacroLib.db, TemplateLib.db
//   <out>/Template/Blank/ the blank template database
//   <out>/Sample/         the sample database: a Debian package catalogue
// Each folder is written beside its final place and moved there when complete.
//
// dossara_datagen --data DIR --out DIR --icons THEME [--catalogue FILE] [--stamp FILE]
//     builds from the fixed catalogue FILE (data/sample/packages.txt in the build), so every
//     machine builds the same sample database;
// without --catalogue, from the machine's own catalogue:
//     [--dpkg-status FILE] [--apt-lists DIR] [--dpkg-info DIR]
// dossara_datagen --write-catalogue FILE [--dpkg-status FILE] [--apt-lists DIR] [--dpkg-info DIR]
//     writes the machine's catalogue as a fixed catalogue file and ends.

#include "core/datagen/database_writer.h"
#include "core/datagen/package_catalogue.h"
#include "core/datagen/shipped_data.h"

#include "platform/base/day_time.h"
#include "platform/base/exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

void replaceFolder(const QString& built, const QString& target) {
    QDir(target).removeRecursively();
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!QDir().rename(built, target)) throw base::Exception(QStringLiteral("Cannot move %1 to %2.").arg(built, target));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString data, out, icons, stamp, catalogue, writeCatalogue;
    QString dpkgStatus = QStringLiteral("/var/lib/dpkg/status");
    QString aptLists = QStringLiteral("/var/lib/apt/lists");
    QString dpkgInfo = QStringLiteral("/var/lib/dpkg/info");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        const QString& v = args[i + 1];
        if (a == QLatin1String("--data")) data = v;
        else if (a == QLatin1String("--out")) out = v;
        else if (a == QLatin1String("--icons")) icons = v;
        else if (a == QLatin1String("--dpkg-status")) dpkgStatus = v;
        else if (a == QLatin1String("--apt-lists")) aptLists = v;
        else if (a == QLatin1String("--dpkg-info")) dpkgInfo = v;
        else if (a == QLatin1String("--stamp")) stamp = v;
        else if (a == QLatin1String("--catalogue")) catalogue = v;
        else if (a == QLatin1String("--write-catalogue")) writeCatalogue = v;
        else {
            std::fprintf(stderr, "dossara_datagen: unknown option %s\n", qPrintable(a));
            return 2;
        }
    }
    if (!writeCatalogue.isEmpty()) {
        try {
            const auto packages = datagen::ReadPackageCatalogue(dpkgStatus, aptLists, dpkgInfo);
            datagen::WriteCatalogueExtract(packages, writeCatalogue);
            std::printf("dossara_datagen: %zu packages written to %s\n", packages.size(), qPrintable(writeCatalogue));
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "dossara_datagen: %s\n", e.what());
            return 1;
        }
    }
    if (data.isEmpty() || out.isEmpty() || icons.isEmpty()) {
        std::fprintf(stderr, "usage: dossara_datagen --data DIR --out DIR --icons THEME [--catalogue FILE] [--stamp FILE]\n"
                             "       [--dpkg-status FILE] [--apt-lists DIR] [--dpkg-info DIR]\n"
                             "   or: dossara_datagen --write-catalogue FILE [--dpkg-status FILE] [--apt-lists DIR] "
                             "[--dpkg-info DIR]\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const QString work = QDir(out).filePath(QStringLiteral(".datagen"));
    try {
        QDir(work).removeRecursively();
        QDir().mkpath(work);
        const QDir src(data);
        const QDir w(work);

        datagen::WriteLibrary(w.filePath(QStringLiteral("Library")), src.filePath(QStringLiteral("library")), icons);

        const auto packages = catalogue.isEmpty() ? datagen::ReadPackageCatalogue(dpkgStatus, aptLists, dpkgInfo)
                                                  : datagen::ReadCatalogueExtract(catalogue);
        // The catalogue's own date stands for the time of every branch, so a build from the
        // same inputs writes the same rows: for a fixed catalogue its latest installation day.
        double timestamp = base::DateTimeToDays(QFileInfo(dpkgStatus).lastModified().toUTC());
        if (!catalogue.isEmpty()) {
            QDate latest(2026, 1, 1);
            for (const auto& p : packages)
                if (p.InstalledOn.isValid() && p.InstalledOn > latest) latest = p.InstalledOn;
            timestamp = base::DateTimeToDays(QDateTime(latest, QTime(12, 0), Qt::UTC));
        }
        {
            datagen::DatabaseWriter blank(w.filePath(QStringLiteral("Template/Blank")),
                                          datagen::ReadViewSources(src.filePath(QStringLiteral("template/Blank.views"))));
            blank.Finish();
        }
        int branches = 0;
        size_t packageCount = 0;
        {
            packageCount = packages.size();
            datagen::DatabaseWriter sample(w.filePath(QStringLiteral("Sample")),
                                           datagen::ReadViewSources(src.filePath(QStringLiteral("sample/views.txt"))));
            branches = datagen::WriteCatalogueTree(sample, packages, QStringLiteral("Debian packages"), timestamp);
            sample.Finish();
        }
        for (const char* name : {"Library", "Template", "Sample"})
            replaceFolder(w.filePath(QString::fromLatin1(name)), QDir(out).filePath(QString::fromLatin1(name)));
        QDir(work).removeRecursively();
        if (!stamp.isEmpty()) {
            QFile f(stamp);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(QStringLiteral("%1 packages, %2 branches\n").arg(packageCount).arg(branches).toUtf8());
        }
        std::printf("dossara_datagen: %zu packages, %d branches in %lld ms\n", packageCount, branches,
                    static_cast<long long>(timer.elapsed()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dossara_datagen: %s\n", e.what());
        QDir(work).removeRecursively();
        return 1;
    }
    return 0;
}
