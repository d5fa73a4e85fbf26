#include "services/tests/zip_fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <zlib.h>
#include "test_paths.h"

namespace ziptest {

namespace {

const char* const kMonths[] = {"???", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString SourceDir() { return QStringLiteral(DOSSARA_SOURCE_DIR); }

void Put16(QByteArray& b, std::uint32_t v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void Put32(QByteArray& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

QString DataPath(const QString& name) { return QStringLiteral(TEST_DATA_DIR "/") + name; }

RunResult RunProgram(const QString& program, const QStringList& args, const QString& folder) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    // The C locale: oracles print the same on every machine.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    RunResult r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

bool HaveProgram(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

QString ContentsText(const TQuorrel& q) {
    // zipinfo prints the line ends of comments as plain line feeds.
    auto lines = [](QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); };
    QString out;
    out += QStringLiteral("comment: %1\n").arg(q.ArchiveComment().isEmpty() ? QStringLiteral("-") : lines(q.ArchiveComment()));
    out += QStringLiteral("end record at %1\n").arg(q.EndRecordPosition());
    for (const ZipDirEntry& e : q.Contents()) {
        out += QString(e.FileName).replace(u'\\', u'/') + u'\n';
        out += QStringLiteral(" offset %1\n").arg(e.RelOffLocal);
        out += QStringLiteral(" host %1 made %2.%3\n").arg(e.HostVersionNo).arg(e.MadeByVersion / 10).arg(e.MadeByVersion % 10);
        out += QStringLiteral(" needs %1.%2\n").arg((e.NeedVersion & 0xFF) / 10).arg((e.NeedVersion & 0xFF) % 10);
        out += QStringLiteral(" method %1\n").arg(e.ComprMethod);
        out += QStringLiteral(" encrypted %1\n").arg(e.Flag & 1 ? "yes" : "no");
        out += QStringLiteral(" descriptor %1\n").arg(e.Flag & 8 ? "yes" : "no");
        out += QStringLiteral(" modified %1 %2 %3 %4:%5:%6\n")
                   .arg(1980 + (e.ModifDate >> 9))
                   .arg(QLatin1String(kMonths[std::min((e.ModifDate >> 5) & 0xF, 12)]))
                   .arg(e.ModifDate & 0x1F)
                   .arg(e.ModifTime >> 11, 2, 10, QChar(u'0'))
                   .arg((e.ModifTime >> 5) & 0x3F, 2, 10, QChar(u'0'))
                   .arg((e.ModifTime & 0x1F) * 2, 2, 10, QChar(u'0'));
        out += QStringLiteral(" crc %1\n").arg(e.CRC32, 8, 16, QChar(u'0'));
        out += QStringLiteral(" sizes %1 %2\n").arg(e.ComprSize).arg(e.UncomprSize);
        out += QStringLiteral(" lengths %1 %2 %3\n").arg(e.FileNameLen).arg(e.ExtraFieldLen).arg(e.FileComLen);
        out += QStringLiteral(" disk %1\n").arg(e.DiskStart + 1);
        out += QStringLiteral(" text %1\n").arg(e.IntFileAtt & 1 ? "yes" : "no");
        if (e.HostVersionNo == 3) out += QStringLiteral(" unix %1\n").arg(e.ExtFileAtt >> 16, 6, 8, QChar(u'0'));
        out += QStringLiteral(" dos %1\n").arg(e.ExtFileAtt & 0xFF, 2, 16, QChar(u'0'));
        out += QStringLiteral(" comment %1\n").arg(e.FileComment.isEmpty() ? QStringLiteral("-") : lines(e.FileComment));
    }
    return out;
}

QString ZipinfoText(const QString& archive) {
    const RunResult r = RunProgram(QStringLiteral("zipinfo"), {QStringLiteral("-v"), archive});
    const QStringList lines = r.output.split(u'\n');
    static const QRegularExpression field(QStringLiteral("^  ([a-zA-Z0-9 ()/,-]+?):\\s+(.*)$"));
    QString out;
    QString archiveComment = QStringLiteral("-");
    QString endAt;
    struct Entry {
        QString name;
        QMap<QString, QString> f;
        QString comment = QStringLiteral("-");
    };
    std::vector<Entry> entries;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QStringLiteral("======================== zipfile comment begins"))) {
            QStringList text;
            for (++i; i < lines.size() && !lines[i].startsWith(QStringLiteral("========================= zipfile comment ends")); ++i)
                text << lines[i];
            archiveComment = text.join(u'\n');
            continue;
        }
        if (line.startsWith(QStringLiteral("Central directory entry #"))) {
            entries.push_back({});
            // After the rule: the name, indented by two, once past a note on bytes before the entry.
            for (i += 2; i < lines.size(); ++i)
                if (lines[i].startsWith(QStringLiteral("  ")) && !lines[i].trimmed().isEmpty()
                    && !lines[i].startsWith(QStringLiteral("  There are an extra")))
                    break;
            entries.back().name = lines.value(i).mid(2);
            continue;
        }
        if (line.startsWith(QStringLiteral("------------------------- file comment begins"))) {
            QStringList text;
            for (++i; i < lines.size() && !lines[i].startsWith(QStringLiteral("-------------------------- file comment ends")); ++i)
                text << lines[i];
            if (!entries.empty()) entries.back().comment = text.join(u'\n');
            continue;
        }
        const auto m = field.match(line);
        if (!m.hasMatch()) continue;
        if (m.captured(1) == QStringLiteral("Actual end-cent-dir record offset")) {
            endAt = m.captured(2).section(u' ', 0, 0);
        } else if (!entries.empty()) {
            entries.back().f[m.captured(1)] = m.captured(2).trimmed();
        }
    }
    out += QStringLiteral("comment: %1\n").arg(archiveComment);
    out += QStringLiteral("end record at %1\n").arg(endAt);
    static const QMap<QString, int> hosts{{QStringLiteral("MS-DOS, OS/2 or NT FAT"), 0}, {QStringLiteral("Unix"), 3},
                                          {QStringLiteral("OS/2 or NT HPFS"), 6}, {QStringLiteral("NTFS"), 11}};
    static const QMap<QString, int> methods{{QStringLiteral("none (stored)"), 0}, {QStringLiteral("deflated"), 8}};
    for (const Entry& e : entries) {
        auto get = [&e](const char* key) { return e.f.value(QLatin1String(key)); };
        out += e.name + u'\n';
        out += QStringLiteral(" offset %1\n").arg(get("offset of local header from start of archive"));
        const QString origin = get("file system or operating system of origin");
        out += QStringLiteral(" host %1 made %2\n")
                   .arg(hosts.contains(origin) ? QString::number(hosts[origin]) : origin, get("version of encoding software"));
        out += QStringLiteral(" needs %1\n").arg(get("minimum software version required to extract"));
        const QString method = get("compression method");
        out += QStringLiteral(" method %1\n").arg(methods.contains(method) ? QString::number(methods[method]) : method);
        out += QStringLiteral(" encrypted %1\n").arg(get("file security status") == QStringLiteral("encrypted") ? "yes" : "no");
        out += QStringLiteral(" descriptor %1\n").arg(get("extended local header"));
        out += QStringLiteral(" modified %1\n").arg(get("file last modified on (DOS date/time)"));
        out += QStringLiteral(" crc %1\n").arg(get("32-bit CRC value (hex)"));
        out += QStringLiteral(" sizes %1 %2\n")
                   .arg(get("compressed size").section(u' ', 0, 0), get("uncompressed size").section(u' ', 0, 0));
        out += QStringLiteral(" lengths %1 %2 %3\n")
                   .arg(get("length of filename").section(u' ', 0, 0), get("length of extra field").section(u' ', 0, 0),
                        get("length of file comment").section(u' ', 0, 0));
        out += QStringLiteral(" disk %1\n").arg(get("disk number on which file begins").section(u' ', 1, 1));
        out += QStringLiteral(" text %1\n").arg(get("apparent file type") == QStringLiteral("text") ? "yes" : "no");
        for (auto it = e.f.begin(); it != e.f.end(); ++it) {
            static const QRegularExpression unix(QStringLiteral("^Unix file attributes \\(([0-7]+) octal\\)$"));
            const auto u = unix.match(it.key());
            if (u.hasMatch()) out += QStringLiteral(" unix %1\n").arg(u.captured(1));
        }
        for (auto it = e.f.begin(); it != e.f.end(); ++it) {
            static const QRegularExpression dos(QStringLiteral("^MS-DOS file attributes \\(([0-9A-Fa-f]+) hex\\)$"));
            const auto d = dos.match(it.key());
            if (d.hasMatch()) out += QStringLiteral(" dos %1\n").arg(d.captured(1).toLower());
        }
        out += QStringLiteral(" comment %1\n").arg(e.comment);
    }
    return out;
}

QByteArray RepositoryText(std::int64_t bytes) {
    QByteArray out;
    QDirIterator it(SourceDir(), {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.md")}, QDir::Files,
                    QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext()) {
        const QString f = it.next();
        if (!f.contains(QStringLiteral("/build")) && !f.contains(QStringLiteral("/.git/"))) files << f;
    }
    files.sort();
    for (const QString& f : files) {
        if (out.size() >= bytes) break;
        out += ReadFile(f);
    }
    return out.left(bytes);
}

void WriteTextFiles(const QString& folder, const QStringList& names) {
    const QByteArray text = RepositoryText(4000 * (names.size() + 1));
    for (int i = 0; i < names.size(); ++i) {
        const QString path = QDir(folder).filePath(names[i]);
        QDir().mkpath(QFileInfo(path).path());
        WriteFile(path, text.mid(i * 3000 + 17 * i, 2000 + 97 * i));
    }
}

QByteArray BuildArchive(const std::vector<RawEntry>& entries, const QByteArray& comment) {
    QByteArray body, directory;
    for (const RawEntry& e : entries) {
        const std::uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.constData()), e.data.size());
        const std::uint32_t offset = body.size();
        Put32(body, 0x04034B50);
        Put16(body, 10);
        Put16(body, e.flags);
        Put16(body, 0);
        Put16(body, 0x5000);
        Put16(body, 0x5861);
        Put32(body, crc);
        Put32(body, e.data.size());
        Put32(body, e.data.size());
        Put16(body, e.name.size());
        Put16(body, 0);
        body += e.name;
        body += e.data;
        Put32(directory, 0x02014B50);
        directory.append(char(e.madeBy));
        directory.append(char(e.host));
        Put16(directory, 10);
        Put16(directory, e.flags);
        Put16(directory, 0);
        Put16(directory, 0x5000);
        Put16(directory, 0x5861);
        Put32(directory, crc);
        Put32(directory, e.data.size());
        Put32(directory, e.data.size());
        Put16(directory, e.name.size());
        Put16(directory, 0);
        Put16(directory, e.comment.size());
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory += e.name;
        directory += e.comment;
    }
    QByteArray out = body + directory;
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, entries.size());
    Put16(out, entries.size());
    Put32(out, directory.size());
    Put32(out, body.size());
    Put16(out, comment.size());
    out += comment;
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList FilesBelow(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

}  // namespace ziptest
