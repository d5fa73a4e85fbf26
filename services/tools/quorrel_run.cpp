// quorrel-run: the zip component from a shell. Every run is unattended: messages go to
// standard error, and the exit status is 0 when the command did its work, 1 when it
// failed and 2 for a wrong command line.
//
//   quorrel-run add [-r] [-p] [-m] [-f|-u] [-l LEVEL] [-P PASSWORD] [-H] [-D] [-k] [-T]
//                   [-s VOLUME-BYTES] ARCHIVE FILE...
//   quorrel-run extract [-d FOLDER] [-p] [-o] [-f|-u] [-P PASSWORD] ARCHIVE [NAME...]
//   quorrel-run list ARCHIVE
//   quorrel-run test [-P PASSWORD] ARCHIVE [NAME...]
//   quorrel-run convert [-x STUB] ARCHIVE.zip
//   quorrel-run split [-s VOLUME-BYTES] ARCHIVE TARGET
//   quorrel-run join LAST-VOLUME TARGET

#include "services/quorrel.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

#include <cstdio>

namespace {

const char* const kUsage =
    "usage:\n"
    "  quorrel-run add [-r] [-p] [-m] [-f|-u] [-l LEVEL] [-P PASSWORD] [-H] [-D] [-k] [-T] [-s VOLUME-BYTES] ARCHIVE FILE...\n"
    "      -r folders to every depth   -p keep folder names   -m delete the files once archived\n"
    "      -f freshen stored entries   -u update and add      -l 0 stores, 1-9 deflate (9)\n"
    "      -P encrypt with PASSWORD    -H hidden files too    -D folders get entries of their own\n"
    "      -k MS-DOS names             -T archive gets its newest entry's time\n"
    "      -s write numbered volumes (ARCHIVE001.zip, ...) of at most VOLUME-BYTES\n"
    "  quorrel-run extract [-d FOLDER] [-p] [-o] [-f|-u] [-P PASSWORD] ARCHIVE [NAME...]\n"
    "      -d into FOLDER (it must exist)   -p keep folder names   -o replace existing files\n"
    "  quorrel-run list ARCHIVE\n"
    "  quorrel-run test [-P PASSWORD] ARCHIVE [NAME...]\n"
    "  quorrel-run convert [-x STUB] ARCHIVE.zip      (writes ARCHIVE.exe)\n"
    "  quorrel-run split [-s VOLUME-BYTES] ARCHIVE TARGET\n"
    "  quorrel-run join LAST-VOLUME TARGET\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

/// Options of the command line: single letters, some taking the next argument.
struct Options {
    QStringList flags;
    QMap<QChar, QString> values;
    QStringList rest;
};

std::optional<Options> Parse(const QStringList& args, const QString& withValue) {
    Options o;
    int i = 0;
    for (; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--")) {
            ++i;
            break;
        }
        if (a.size() != 2 || a[0] != u'-') break;
        const QChar letter = a[1];
        if (withValue.contains(letter)) {
            if (i + 1 >= args.size()) return std::nullopt;
            o.values[letter] = args[++i];
        } else {
            o.flags << QString(letter);
        }
    }
    o.rest = args.mid(i);
    return o;
}

QString DosDateTime(std::uint16_t date, std::uint16_t time) {
    return QStringLiteral("%1-%2-%3 %4:%5")
        .arg(1980 + (date >> 9), 4, 10, QChar(u'0'))
        .arg((date >> 5) & 0xF, 2, 10, QChar(u'0'))
        .arg(date & 0x1F, 2, 10, QChar(u'0'))
        .arg(time >> 11, 2, 10, QChar(u'0'))
        .arg((time >> 5) & 0x3F, 2, 10, QChar(u'0'));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString command = args.takeFirst();

    TQuorrel q;
    q.setObjectName(QStringLiteral("Quorrel"));
    q.SetUnattended(true);
    q.SetHowToDelete(DeleteOpts::htdFinal);
    bool failed = false;
    q.OnMessage = [&failed](TQuorrel*, int code, const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        if (code != 0) failed = true;
    };

    if (command == QStringLiteral("add")) {
        const auto o = Parse(args, QStringLiteral("lPs"));
        if (!o || o->rest.size() < 2) return Usage();
        AddOpts opts;
        if (o->flags.contains(QStringLiteral("r"))) opts |= AddOptsEnum::AddRecurseDirs;
        if (o->flags.contains(QStringLiteral("p"))) opts |= AddOptsEnum::AddDirNames;
        if (o->flags.contains(QStringLiteral("m"))) opts |= AddOptsEnum::AddMove;
        if (o->flags.contains(QStringLiteral("f"))) opts |= AddOptsEnum::AddFreshen;
        if (o->flags.contains(QStringLiteral("u"))) opts |= AddOptsEnum::AddUpdate;
        if (o->flags.contains(QStringLiteral("H"))) opts |= AddOptsEnum::AddHiddenFiles;
        if (o->flags.contains(QStringLiteral("D"))) opts |= AddOptsEnum::AddSeparateDirs;
        if (o->flags.contains(QStringLiteral("k"))) opts |= AddOptsEnum::AddForceDOS;
        if (o->flags.contains(QStringLiteral("T"))) opts |= AddOptsEnum::AddZipTime;
        if (o->values.contains(u'P')) {
            opts |= AddOptsEnum::AddEncrypt;
            q.SetPassword(o->values[u'P']);
        }
        if (o->values.contains(u'l')) q.SetAddCompLevel(o->values[u'l'].toInt());
        if (o->values.contains(u's')) {
            opts |= AddOptsEnum::AddDiskSpan;
            q.SetMaxVolumeSize(o->values[u's'].toLongLong());
            q.SetMinFreeVolumeSize(std::min<std::int64_t>(q.MinFreeVolumeSize(), q.MaxVolumeSize()));
        }
        q.SetAddOptions(opts);
        q.SetZipFilename(o->rest[0]);
        q.SetFSpecArgs(o->rest.mid(1));
        q.AddFiles();
        std::fprintf(stderr, "%d file(s) added\n", q.SuccessCount());
        return q.SuccessCount() > 0 ? 0 : 1;
    }
    if (command == QStringLiteral("extract") || command == QStringLiteral("test")) {
        const auto o = Parse(args, QStringLiteral("dP"));
        if (!o || o->rest.isEmpty()) return Usage();
        ExtrOpts opts;
        if (command == QStringLiteral("test")) opts |= ExtrOptsEnum::ExtrTest;
        if (o->flags.contains(QStringLiteral("p"))) opts |= ExtrOptsEnum::ExtrDirNames;
        if (o->flags.contains(QStringLiteral("o"))) opts |= ExtrOptsEnum::ExtrOverWrite;
        if (o->flags.contains(QStringLiteral("f"))) opts |= ExtrOptsEnum::ExtrFreshen;
        if (o->flags.contains(QStringLiteral("u"))) opts |= ExtrOptsEnum::ExtrUpdate;
        q.SetExtrOptions(opts);
        if (o->values.contains(u'P')) q.SetPassword(o->values[u'P']);
        if (o->values.contains(u'd')) q.SetExtrBaseDir(o->values[u'd']);
        q.SetZipFilename(o->rest[0]);
        q.SetFSpecArgs(o->rest.mid(1));
        q.ExtractFiles();
        std::fprintf(stderr, "%d file(s) %s\n", q.SuccessCount(),
                     command == QStringLiteral("test") ? "tested good" : "extracted");
        return q.SuccessCount() > 0 && !failed ? 0 : 1;
    }
    if (command == QStringLiteral("list")) {
        const auto o = Parse(args, {});
        if (!o || o->rest.size() != 1) return Usage();
        q.SetZipFilename(o->rest[0]);
        QTextStream out(stdout);
        for (const ZipDirEntry& e : q.Contents())
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(e.UncomprSize, 10)
                       .arg(e.ComprSize, 10)
                       .arg(e.ComprMethod == 0 ? QStringLiteral("stored") : e.ComprMethod == 8 ? QStringLiteral("defl")
                                                                                                : QString::number(e.ComprMethod),
                            6)
                       .arg(DosDateTime(e.ModifDate, e.ModifTime))
                       .arg(e.CRC32, 8, 16, QChar(u'0'))
                       .arg(e.FileName);
        if (!q.ArchiveComment().isEmpty()) out << q.ArchiveComment() << '\n';
        out.flush();
        return q.ErrorCode() == 0 || q.ErrorCode() == 10204 ? 0 : 1;
    }
    if (command == QStringLiteral("convert")) {
        const auto o = Parse(args, QStringLiteral("x"));
        if (!o || o->rest.size() != 1) return Usage();
        if (o->values.contains(u'x')) q.SetSFXPath(o->values[u'x']);
        q.SetZipFilename(o->rest[0]);
        const int result = q.ConvertToSFX();
        if (result == 0) std::fprintf(stderr, "written: %s\n", qPrintable(q.ZipFilename()));
        return result == 0 ? 0 : 1;
    }
    if (command == QStringLiteral("split")) {
        const auto o = Parse(args, QStringLiteral("s"));
        if (!o || o->rest.size() != 2) return Usage();
        if (o->values.contains(u's')) {
            q.SetMaxVolumeSize(o->values[u's'].toLongLong());
            q.SetMinFreeVolumeSize(std::min<std::int64_t>(q.MinFreeVolumeSize(), q.MaxVolumeSize()));
        }
        return q.SplitToVolumes(o->rest[0], o->rest[1]) == 0 ? 0 : 1;
    }
    if (command == QStringLiteral("join")) {
        const auto o = Parse(args, {});
        if (!o || o->rest.size() != 2) return Usage();
        QString target = o->rest[1];
        const int result = q.JoinVolumes(o->rest[0], target);
        if (result == 0) std::fprintf(stderr, "written: %s\n", qPrintable(target));
        return result == 0 ? 0 : 1;
    }
    return Usage();
}
