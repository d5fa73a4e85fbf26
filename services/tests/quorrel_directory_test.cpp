#include "services/quorrel.h"
#include "services/tests/zip_fixtures.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>

using namespace ziptest;

namespace {

class QuorrelDirectory : public testsupport::TempFolder {};

TEST_F(QuorrelDirectory, contents_equal_what_zipinfo_prints_for_archives_made_by_zip) {
    if (!HaveProgram(QStringLiteral("zipinfo"))) GTEST_SKIP() << "zipinfo (Debian's unzip) is not installed";
    struct Case {
        const char* file;
        const char* warning;  ///< the message the read shows, or nullptr
        bool structureError;
        std::int64_t dataStart;  ///< -1: the first entry's offset (0)
    };
    static const Case cases[] = {
        {"plain.zip", nullptr, false, 0},
        {"extra.zip", nullptr, false, 0},
        {"stored.zip", nullptr, false, 0},
        {"encrypted.zip", nullptr, false, 0},
        {"commented.zip", nullptr, false, 0},
        {"streamed.zip", nullptr, false, 0},
        {"adjusted.zip", nullptr, false, 558},
        {"leading.zip", "Warning - Error in zip structure!", true, 0},
        {"padded.zip", nullptr, false, 0},
        {"garbage.zip", "Warning - Garbage at the end of the zipfile!", false, 0},
        {"empty.zip", nullptr, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = DataPath(QStringLiteral("corpus/") + QLatin1String(c.file));
        testsupport::DialogAnswerer answers;
        if (c.warning) answers.ExpectMessage(QRegularExpression::escape(QLatin1String(c.warning)), ui::Button::Ok);
        TQuorrel q;
        int updates = 0;
        q.OnDirUpdate = [&updates](TQuorrel*) { ++updates; };
        q.SetZipFilename(path);
        const QStringList ours = ContentsText(q).split(u'\n');
        const QStringList theirs = ZipinfoText(path).split(u'\n');
        for (qsizetype i = 0; i < std::max(ours.size(), theirs.size()); ++i)
            if (ours.value(i) != theirs.value(i)) {
                ADD_FAILURE() << "line " << i << ": ours \"" << ours.value(i) << "\", zipinfo \"" << theirs.value(i) << "\"";
                break;
            }
        EXPECT_EQ(updates, 1);
        EXPECT_EQ(q.StructureError(), c.structureError);
        EXPECT_EQ(q.DataStart(), c.dataStart);
        EXPECT_EQ(answers.Pending(), 0);
    }
}

TEST_F(QuorrelDirectory, archive_size_ends_at_the_comment_and_zero_padding_to_512_is_not_garbage) {
    const QByteArray archive = BuildArchive({{"a.txt", "alpha\n"}}, "note");
    struct Case {
        const char* label;
        QByteArray tail;
        bool garbage;
    };
    const std::int64_t pad = (512 - archive.size() % 512) % 512;
    const Case cases[] = {
        {"nothing after", {}, false},
        {"zeros to a multiple of 512", QByteArray(pad, '\0'), false},
        {"zeros past a multiple of 512", QByteArray(pad + 512, '\0'), true},
        {"one byte that is not zero", QByteArray(pad - 1, '\0') + "x", true},
        {"text", "tail", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = FilePath(QStringLiteral("a.zip"));
        WriteFile(path, archive + c.tail);
        TQuorrel q;
        q.SetUnattended(true);
        QStringList messages;
        q.OnMessage = [&messages](TQuorrel*, int, const QString& m) { messages << m; };
        q.SetZipFilename(path);
        EXPECT_EQ(q.ArchiveSize(), archive.size());
        EXPECT_EQ(q.ArchiveComment(), QStringLiteral("note"));
        EXPECT_EQ(messages.contains(QStringLiteral("Warning - Garbage at the end of the zipfile!")), c.garbage);
        ASSERT_EQ(q.Count(), 1);
        EXPECT_EQ(q.Contents()[0].FileName, QStringLiteral("a.txt"));
    }
}

TEST_F(QuorrelDirectory, a_missing_archive_empties_contents_and_fires_the_update_without_a_message) {
    testsupport::DialogAnswerer answers;  // fails on any prompt
    TQuorrel q;
    q.SetZipFilename(DataPath(QStringLiteral("corpus/plain.zip")));
    ASSERT_EQ(q.Count(), 2);
    int updates = 0;
    q.OnDirUpdate = [&updates](TQuorrel*) { ++updates; };
    q.SetZipFilename(FilePath(QStringLiteral("missing.zip")));
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(answers.Prompts().isEmpty());
}

TEST_F(QuorrelDirectory, names_follow_the_code_page_rule) {
    // 0x81 is "ü" in the OEM code page; as stored bytes it is not UTF-8 and reads through
    // the ANSI code page (an undefined position, kept as U+0081).
    struct Case {
        const char* label;
        std::uint8_t host;
        std::uint8_t madeBy;
        CodePageOpts codePage;
        std::uint16_t flags;
        QByteArray name;
        QString expected;
    };
    const QString oem = QStringLiteral("m\u00FCller/a.txt").replace(u'/', u'\\');
    const QString stored = QString(QStringLiteral("m") + QChar(0x81) + QStringLiteral("ller\\a.txt"));
    const Case cases[] = {
        {"MS-DOS host, automatic", 0, 20, CodePageOpts::cpAuto, 0, "m\x81ller/a.txt", oem},
        {"HPFS host, automatic", 6, 20, CodePageOpts::cpAuto, 0, "m\x81ller/a.txt", oem},
        {"NTFS host of version 5.0, automatic", 11, 50, CodePageOpts::cpAuto, 0, "m\x81ller/a.txt", oem},
        {"NTFS host of version 2.0 stays", 11, 20, CodePageOpts::cpAuto, 0, "m\x81ller/a.txt", stored},
        {"Unix host stays", 3, 30, CodePageOpts::cpAuto, 0, "m\x81ller/a.txt", stored},
        {"Unix host with OEM chosen", 3, 30, CodePageOpts::cpOEM, 0, "m\x81ller/a.txt", oem},
        {"MS-DOS host with no conversion chosen", 0, 20, CodePageOpts::cpNone, 0, "m\x81ller/a.txt", stored},
        {"UTF-8 name on a Unix host", 3, 30, CodePageOpts::cpAuto, 0x800, "m\xC3\xBCller/a.txt", oem},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = FilePath(QStringLiteral("cp.zip"));
        WriteFile(path, BuildArchive({{c.name, "text\n", c.host, c.madeBy, c.flags, "c\x81"}}));
        TQuorrel q;
        q.SetUnattended(true);
        q.SetCodePage(c.codePage);
        q.SetZipFilename(path);
        ASSERT_EQ(q.Count(), 1);
        EXPECT_EQ(q.Contents()[0].FileName, c.expected);
    }
}

TEST_F(QuorrelDirectory, damaged_directories_end_in_their_message_and_keep_the_entries_read) {
    const QByteArray good = BuildArchive({{"a.txt", "alpha\n"}, {"b.txt", "beta\n"}});
    const int endAt = good.size() - 22;
    const int directoryAt = good.indexOf(QByteArray("PK\x01\x02", 4));
    const int second = good.indexOf(QByteArray("PK\x01\x02", 4), directoryAt + 4);
    struct Case {
        const char* label;
        QByteArray bytes;
        const char* message;
        int entries;
    };
    QByteArray badSignature = good;
    badSignature[second + 2] = 'X';
    QByteArray moreEntries = good;
    moreEntries[endAt + 10] = 3;  // three entries announced, two there
    QByteArray hugeDirectory = good;
    hugeDirectory[endAt + 15] = 0x7F;  // directory size far beyond the file
    const Case cases[] = {
        {"a wrong central signature", badSignature, "A central header signature is wrong", 1},
        {"more entries than headers", moreEntries, "Error while reading a central header", 2},
        {"a directory larger than the file", hugeDirectory, "Seek error reading Zip archive!", 0},
        {"no end record", good.left(endAt), "This archive is not a valid Zip archive", 0},
        {"a truncated file", good.left(10), "This archive is not a valid Zip archive", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = FilePath(QStringLiteral("bad.zip"));
        WriteFile(path, c.bytes);
        TQuorrel q;
        q.SetUnattended(true);
        QStringList messages;
        q.OnMessage = [&messages](TQuorrel*, int, const QString& m) { messages << m; };
        q.SetZipFilename(path);
        EXPECT_TRUE(messages.contains(QLatin1String(c.message))) << messages.join(u'|');
        EXPECT_EQ(q.LastMessage(), QLatin1String(c.message));
        EXPECT_EQ(q.Count(), c.entries);
    }
}

}  // namespace
