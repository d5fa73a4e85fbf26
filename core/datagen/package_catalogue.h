#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace datagen {

/// One binary package of the Debian package catalogue.
struct PackageRecord {
    QString Package;
    QString Source;        ///< source package name (the package's own name when none is given)
    QString Version;
    QString Architecture;
    QString Section;       ///< "libs", "contrib/net", ...
    QString Priority;
    QString Maintainer;
    QString Homepage;
    QString Summary;       ///< first line of the description
    QString Description;   ///< the long description, paragraphs separated by empty lines
    int InstalledSizeKiB = 0;
    qint64 ArchiveSizeBytes = 0;  ///< 0 when unknown (installed packages)
    bool Essential = false;
    bool Installed = false;
    QDate InstalledOn;     ///< from dpkg's file list of the package; null when not installed
};

/// Reads the catalogue: every installed package from the dpkg status file, then the packages
/// of the archive's package lists (plain or lz4-compressed "*_Packages" files under
/// `aptListsFolder`) that are built from the same sources as an installed package. Without
/// readable package lists only the installed packages are read. Packages come back sorted by
/// name; each name once (the installed one wins).
std::vector<PackageRecord> ReadPackageCatalogue(const QString& dpkgStatusFile, const QString& aptListsFolder,
                                                const QString& dpkgInfoFolder);

/// The files the catalogue is read from (for build dependencies).
QStringList CatalogueInputs(const QString& dpkgStatusFile, const QString& aptListsFolder);

/// Parses deb822 stanzas (the dpkg status and Packages format). A stanza's "Installed-On"
/// field (an ISO date, written by WriteCatalogueExtract) gives the package's installation date.
std::vector<PackageRecord> ParsePackageStanzas(const QByteArray& text, bool installedOnly);

/// Writes packages as deb822 stanzas that ReadCatalogueExtract reads back equal: the fixed
/// catalogue the sample database is built from, so every machine builds the same database.
void WriteCatalogueExtract(const std::vector<PackageRecord>& packages, const QString& file);

/// Reads a catalogue written by WriteCatalogueExtract; throws base::Exception when it cannot.
std::vector<PackageRecord> ReadCatalogueExtract(const QString& file);

}  // namespace datagen
