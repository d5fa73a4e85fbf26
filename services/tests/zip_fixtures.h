#pragma once

#include "services/quorrel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace ziptest {

/// A file of tests/data.
QString DataPath(const QString& name);

/// What a program printed and how it ended.
struct RunResult {
    int exitCode = -1;
    QString output;  ///< standard output and standard error together
};
/// Runs an outside program (an oracle such as unzip) and waits for it.
RunResult RunProgram(const QString& program, const QStringList& args, const QString& folder = {});
bool HaveProgram(const QString& name);

/// One entry's directory facts in one canonical text, made either from our Contents or
/// from what `zipinfo -v` prints, so that tests compare whole texts.
QString ContentsText(const TQuorrel& q);
QString ZipinfoText(const QString& archive);

/// Writes real text (the repository's own documents and sources) into `folder`: each
/// relative name gets a different piece of text.
void WriteTextFiles(const QString& folder, const QStringList& names);
/// About `bytes` of distinct real text from the repository's sources.
QByteArray RepositoryText(std::int64_t bytes);

/// One entry of a hand-built archive.
struct RawEntry {
    QByteArray name;
    QByteArray data;       ///< stored as it is
    std::uint8_t host = 3;
    std::uint8_t madeBy = 30;
    std::uint16_t flags = 0;
    QByteArray comment;
};
/// A stored archive built byte by byte (for facts common zip programs never write).
QByteArray BuildArchive(const std::vector<RawEntry>& entries, const QByteArray& comment = {});

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

/// Every file below `folder`, relative and sorted.
QStringList FilesBelow(const QString& folder);

}  // namespace ziptest
