#include "services/quorrel.h"
#include "services/tests/zip_fixtures.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace ziptest;

namespace {

class Quorrel : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        m_src = FilePath(QStringLiteral("src"));
        WriteTextFiles(m_src, {QStringLiteral("readme.txt"), QStringLiteral("notes.md"),
                               QStringLiteral("sub/deep/table.cpp"), QStringLiteral("sub/list.txt"),
                               QStringLiteral(".hidden.txt")});
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_src);
    }
    void TearDown() override { QDir::setCurrent(m_previousFolder); }

    /// An unattended component whose messages are collected.
    std::unique_ptr<TQuorrel> Make() {
        auto q = std::make_unique<TQuorrel>();
        q->SetUnattended(true);
        q->SetHowToDelete(DeleteOpts::htdFinal);
        q->OnMessage = [this](TQuorrel*, int, const QString& m) { m_messages << m; };
        return q;
    }

    static QStringList UnzipNames(const QString& archive) {
        QStringList names = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive}).output.split(u'\n', Qt::SkipEmptyParts);
        names.sort();
        return names;
    }

    QString m_src;
    QString m_previousFolder;
    QStringList m_messages;
};

TEST_F(Quorrel, archives_written_pass_unzip_test_and_hold_the_expected_names) {
    if (!HaveProgram(QStringLiteral("unzip"))) GTEST_SKIP() << "unzip is not installed";
    const QString longPassword = QStringLiteral("0123456789").repeated(9) + QStringLiteral("tail");  // 94 characters
    struct Case {
        const char* label;
        QStringList specs;
        AddOpts options;
        int level;
        QString password;
        QStringList names;
    };
    const Case cases[] = {
        {"bare names, level 9", {"readme.txt", "sub/list.txt"}, {}, 9, {}, {"list.txt", "readme.txt"}},
        {"stored", {"readme.txt"}, {}, 0, {}, {"readme.txt"}},
        {"folder names, recursive", {"sub"}, AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs, 9, {},
         {"sub/deep/table.cpp", "sub/list.txt"}},
        {"folders as entries of their own", {"sub"},
         AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs | AddOptsEnum::AddSeparateDirs, 9, {},
         {"sub/", "sub/deep/", "sub/deep/table.cpp", "sub/list.txt"}},
        {"wildcard in every folder", {"*.txt"}, AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs, 9, {},
         {"readme.txt", "sub/list.txt"}},
        {"wildcard with hidden files", {"*.txt"}, AddOptsEnum::AddHiddenFiles, 9, {}, {".hidden.txt", "readme.txt"}},
        {"MS-DOS names", {"sub/deep/table.cpp", "notes.md"}, AddOptsEnum::AddDirNames | AddOptsEnum::AddForceDOS, 9, {},
         {"NOTES.MD", "SUB/DEEP/TABLE.CPP"}},
        {"encrypted, password cut at 80", {"readme.txt", "notes.md"}, AddOptsEnum::AddEncrypt, 6, longPassword,
         {"notes.md", "readme.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString archive = FilePath(QStringLiteral("out.zip"));
        QFile::remove(archive);
        auto q = Make();
        q->SetAddOptions(c.options);
        q->SetAddCompLevel(c.level);
        q->SetPassword(c.password);
        q->SetZipFilename(archive);
        q->SetFSpecArgs(c.specs);
        q->AddFiles();
        EXPECT_EQ(q->SuccessCount(), c.names.size());
        EXPECT_TRUE(q->FSpecArgs().isEmpty());
        EXPECT_EQ(q->Count(), c.names.size()) << "the directory is read again after a good add";
        EXPECT_EQ(UnzipNames(archive), c.names);
        QStringList args{QStringLiteral("-t")};
        if (!c.password.isEmpty()) args << QStringLiteral("-P") << c.password.left(80);
        const RunResult test = RunProgram(QStringLiteral("unzip"), args << archive);
        EXPECT_EQ(test.exitCode, 0) << test.output;
        if (!c.password.isEmpty()) {
            const RunResult full = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), QStringLiteral("-P"), c.password, archive});
            EXPECT_NE(full.exitCode, 0) << "the whole password must not open it: it was cut at 80";
        }
    }
}

TEST_F(Quorrel, add_refuses_what_it_cannot_do_with_its_message) {
    struct Case {
        const char* label;
        QStringList specs;
        QString archive;
        AddOpts options;
        const char* message;
    };
    const Case cases[] = {
        {"no specifications", {}, "a.zip", {}, "Error - no files to zip!"},
        {"no archive", {"readme.txt"}, "", {}, "Error - no zip file specified!"},
        {"unattended encryption without a password", {"readme.txt"}, "a.zip", AddOptsEnum::AddEncrypt,
         "Unattended action not possible without a password"},
        {"freshen a spanned set", {"readme.txt"}, "a.zip", AddOptsEnum::AddDiskSpan | AddOptsEnum::AddFreshen,
         "AddFreshen or AddUpdate not possible on a spanned archive"},
        {"span a self-extractor", {"readme.txt"}, "a.EXE", AddOptsEnum::AddDiskSpan,
         "Error - Self extracting archives(.exe) can not be spanned"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto q = Make();
        q->SetAddOptions(c.options);
        q->SetZipFilename(c.archive.isEmpty() ? QString() : FilePath(c.archive));
        q->SetFSpecArgs(c.specs);
        q->AddFiles();
        EXPECT_EQ(q->SuccessCount(), 0);
        EXPECT_EQ(q->LastMessage(), QLatin1String(c.message));
        if (!c.archive.isEmpty()) { EXPECT_FALSE(QFileInfo::exists(FilePath(c.archive))); }
    }
}

TEST_F(Quorrel, messages_are_shown_through_the_dialog_service_unless_unattended) {
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage(QStringLiteral("^Error - no files to zip!$"), ui::Button::Ok);
        TQuorrel q;
        QStringList told;
        q.OnMessage = [&told](TQuorrel*, int, const QString& m) { told << m; };
        q.AddFiles();
        EXPECT_EQ(told, QStringList{QStringLiteral("Error - no files to zip!")});
        EXPECT_EQ(q.ErrorCode(), 10301);
    }
    {
        testsupport::DialogAnswerer answers;  // any prompt fails the test
        auto q = Make();
        q->AddFiles();
        EXPECT_EQ(q->ErrorCode(), 10301);
        EXPECT_EQ(m_messages, QStringList{QStringLiteral("Error - no files to zip!")});
    }
}

TEST_F(Quorrel, a_cancelled_add_leaves_the_old_archive_byte_identical_and_its_sources_in_place) {
    const QString archive = FilePath(QStringLiteral("old.zip"));
    {
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetFSpecArgs({QStringLiteral("readme.txt")});
        q->AddFiles();
        ASSERT_EQ(q->SuccessCount(), 1);
    }
    const QByteArray before = ReadFile(archive);
    const QStringList filesBefore = FilesBelow(Path());
    struct Case {
        const char* label;
        ProgrType cancelAt;
    };
    const Case cases[] = {{"at the first file", ProgrType::ptFileStart}, {"at the byte count", ProgrType::ptByteCount},
                          {"at the first bytes", ProgrType::ptBytesDone}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetAddOptions(AddOptsEnum::AddMove | AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs);
        q->OnProgress = [&c](TQuorrel* s, ProgrType t, const QString&, std::int64_t) {
            if (t == c.cancelAt) s->SetCancelRequested(true);
        };
        q->SetFSpecArgs({QStringLiteral("sub"), QStringLiteral("notes.md")});
        q->AddFiles();
        EXPECT_EQ(q->SuccessCount(), 0);
        EXPECT_FALSE(q->CancelRequested());
        EXPECT_FALSE(q->AddBusy());
        EXPECT_EQ(ReadFile(archive), before);
        EXPECT_EQ(FilesBelow(Path()), filesBefore) << "no source moved, no temporary file left";
    }
}

TEST_F(Quorrel, add_move_deletes_the_sources_once_the_archive_is_written) {
    if (!HaveProgram(QStringLiteral("unzip"))) GTEST_SKIP() << "unzip is not installed";
    const QString archive = FilePath(QStringLiteral("moved.zip"));
    auto q = Make();
    q->SetZipFilename(archive);
    q->SetAddOptions(AddOptsEnum::AddMove | AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs);
    q->SetFSpecArgs({QStringLiteral("sub")});
    q->AddFiles();
    EXPECT_EQ(q->SuccessCount(), 2);
    EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("src/sub/list.txt"))));
    EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("src/sub/deep/table.cpp"))));
    EXPECT_TRUE(QFileInfo::exists(FilePath(QStringLiteral("src/readme.txt"))));
    EXPECT_EQ(RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), archive}).exitCode, 0);
}

TEST_F(Quorrel, freshen_and_update_choose_by_time_and_presence) {
    const QString archive = FilePath(QStringLiteral("fresh.zip"));
    {
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetFSpecArgs({QStringLiteral("readme.txt")});
        q->AddFiles();
        ASSERT_EQ(q->SuccessCount(), 1);
    }
    // readme.txt becomes newer; notes.md is not in the archive.
    QFile readme(QStringLiteral("readme.txt"));
    ASSERT_TRUE(readme.open(QIODevice::ReadWrite));
    readme.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    readme.close();
    struct Case {
        const char* label;
        AddOpts options;
        int count;
        int entries;
    };
    const Case cases[] = {
        {"freshen replaces only stored entries", AddOptsEnum::AddFreshen, 1, 1},
        {"freshen again finds nothing newer", AddOptsEnum::AddFreshen, 0, 1},
        {"update adds the new file", AddOptsEnum::AddUpdate, 1, 2},
        {"freshen with update sends only update", AddOptsEnum::AddFreshen | AddOptsEnum::AddUpdate, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetAddOptions(c.options);
        q->SetFSpecArgs({QStringLiteral("readme.txt"), QStringLiteral("notes.md")});
        q->AddFiles();
        EXPECT_EQ(q->SuccessCount(), c.count);
        q->SetZipFilename(archive);
        EXPECT_EQ(q->Count(), c.entries);
    }
}

TEST_F(Quorrel, extract_keeps_existing_files_unless_told_and_never_changes_the_current_folder) {
    const QString archive = FilePath(QStringLiteral("x.zip"));
    {
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetAddOptions(AddOptsEnum::AddDirNames | AddOptsEnum::AddRecurseDirs);
        q->SetFSpecArgs({QStringLiteral("readme.txt"), QStringLiteral("sub")});
        q->AddFiles();
        ASSERT_EQ(q->SuccessCount(), 3);
    }
    const QString out = FilePath(QStringLiteral("out"));
    QDir().mkpath(out + QStringLiteral("/sub"));
    WriteFile(out + QStringLiteral("/readme.txt"), "mine\n");
    const QString current = QDir::currentPath();
    struct Case {
        const char* label;
        ExtrOpts options;
        QStringList specs;
        int count;
        QByteArray readme;  ///< what readme.txt holds afterwards
    };
    const QByteArray original = ReadFile(QStringLiteral("readme.txt"));
    const Case cases[] = {
        {"bare names, existing file kept", {}, {}, 2, "mine\n"},
        {"test only", ExtrOptsEnum::ExtrTest, {}, 3, "mine\n"},
        {"folders kept, one wildcard", ExtrOptsEnum::ExtrDirNames, {"sub/*.cpp"}, 1, "mine\n"},
        {"overwrite", ExtrOptsEnum::ExtrOverWrite, {"readme.txt"}, 1, original},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        m_messages.clear();
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetExtrBaseDir(out);
        q->SetExtrOptions(c.options);
        q->SetFSpecArgs(c.specs);
        q->ExtractFiles();
        EXPECT_EQ(q->SuccessCount(), c.count);
        EXPECT_TRUE(q->FSpecArgs().isEmpty());
        EXPECT_EQ(ReadFile(out + QStringLiteral("/readme.txt")), c.readme);
        EXPECT_EQ(QDir::currentPath(), current);
        if (c.readme == "mine\n" && !(c.options & ExtrOptsEnum::ExtrTest) && c.specs.isEmpty()) {
            EXPECT_TRUE(m_messages.join(u'\n').contains(QStringLiteral("readme.txt exists, not overwritten")))
                << m_messages.join(u'\n');
        }
    }
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/table.cpp")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/sub/deep/table.cpp")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/sub/list.txt")));
}

TEST_F(Quorrel, extract_freshen_and_update_choose_by_time_and_presence) {
    const QString archive = FilePath(QStringLiteral("t.zip"));
    const QDateTime stored = QDateTime::currentDateTime().addDays(-1);
    for (const char* name : {"readme.txt", "notes.md"}) {
        QFile f{QString::fromLatin1(name)};
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(stored, QFileDevice::FileModificationTime);
    }
    {
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetFSpecArgs({QStringLiteral("readme.txt"), QStringLiteral("notes.md")});
        q->AddFiles();
        ASSERT_EQ(q->SuccessCount(), 2);
    }
    struct Case {
        const char* label;
        ExtrOpts options;
        int diskAgeSeconds;  ///< age of the readme.txt already in the folder, against the entry
        int count;
        bool readmeReplaced;
        bool notesMade;
    };
    const Case cases[] = {
        {"freshen replaces an older file, makes no new one", ExtrOptsEnum::ExtrFreshen | ExtrOptsEnum::ExtrOverWrite,
         -3600, 1, true, false},
        {"freshen leaves a newer file", ExtrOptsEnum::ExtrFreshen | ExtrOptsEnum::ExtrOverWrite, 3600, 0, false, false},
        {"update replaces an older file and makes new ones", ExtrOptsEnum::ExtrUpdate | ExtrOptsEnum::ExtrOverWrite,
         -3600, 2, true, true},
        {"update leaves a newer file", ExtrOptsEnum::ExtrUpdate | ExtrOptsEnum::ExtrOverWrite, 3600, 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString out = FilePath(QStringLiteral("fresh-out"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        WriteFile(out + QStringLiteral("/readme.txt"), "on disk\n");
        {
            QFile f(out + QStringLiteral("/readme.txt"));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.setFileTime(stored.addSecs(c.diskAgeSeconds), QFileDevice::FileModificationTime);
        }
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetExtrBaseDir(out);
        q->SetExtrOptions(c.options);
        q->ExtractFiles();
        EXPECT_EQ(q->SuccessCount(), c.count);
        EXPECT_EQ(ReadFile(out + QStringLiteral("/readme.txt")) != "on disk\n", c.readmeReplaced);
        EXPECT_EQ(QFileInfo::exists(out + QStringLiteral("/notes.md")), c.notesMade);
    }
}

TEST_F(Quorrel, an_unattended_extract_of_encrypted_entries_without_a_password_skips_them_and_warns) {
    const QString out = FilePath(QStringLiteral("enc-out"));
    QDir().mkpath(out);
    auto q = Make();
    q->SetAddOptions(AddOptsEnum::AddEncrypt);
    q->SetZipFilename(DataPath(QStringLiteral("corpus/encrypted.zip")));
    q->SetExtrBaseDir(out);
    q->ExtractFiles();
    EXPECT_EQ(q->SuccessCount(), 0);
    EXPECT_TRUE(m_messages.contains(QStringLiteral("Warning - Unattended Extract: possible not all files extracted")));
    EXPECT_EQ(q->Password().size(), 79);
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(Quorrel, an_extraction_folder_that_is_missing_extracts_nothing_and_says_so) {
    auto q = Make();
    q->SetZipFilename(DataPath(QStringLiteral("corpus/plain.zip")));
    q->SetExtrBaseDir(FilePath(QStringLiteral("missing")));
    const QStringList before = FilesBelow(Path());
    q->ExtractFiles();
    EXPECT_EQ(q->SuccessCount(), 0);
    EXPECT_TRUE(q->LastMessage().contains(QStringLiteral("does not exist"))) << q->LastMessage();
    EXPECT_EQ(FilesBelow(Path()), before);
    EXPECT_EQ(QDir::currentPath(), QFileInfo(m_src).canonicalFilePath());
}

TEST_F(Quorrel, hostile_archives_write_nothing_outside_the_extraction_folder) {
    struct Case {
        const char* file;
        QStringList withFolders;  ///< what lands in the folder with ExtrDirNames
        QStringList bare;         ///< ... and without it
    };
    const Case cases[] = {
        {"dotdot.zip", {"ok.txt"}, {"backslash.txt", "escape.txt", "escape2.txt", "ok.txt"}},
        {"absolute.zip", {"ok.txt"}, {"dossara-absolute-escape.txt", "drive.txt", "ok.txt", "windows.txt"}},
        {"link.zip", {"ok.txt", "outside", "outside/through-link.txt"}, {"ok.txt", "through-link.txt"}},
        {"duplicate.zip", {"ok.txt", "same.txt"}, {"ok.txt", "same.txt"}},
        {"badcrc.zip", {"ok.txt"}, {"ok.txt"}},
        {"longsize.zip", {"ok.txt"}, {"ok.txt"}},
        {"shortsize.zip", {"ok.txt"}, {"ok.txt"}},
    };
    for (const Case& c : cases) {
        for (const bool folders : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(QLatin1String(c.file), folders ? "with folders" : "bare names"));
            QTemporaryDir outer;
            ASSERT_TRUE(outer.isValid());
            const QString inner = outer.filePath(QStringLiteral("inner/deeper"));
            QDir().mkpath(inner);
            m_messages.clear();
            auto q = Make();
            q->SetZipFilename(DataPath(QStringLiteral("hostile/") + QLatin1String(c.file)));
            q->SetExtrBaseDir(inner);
            q->SetExtrOptions(folders ? ExtrOpts(ExtrOptsEnum::ExtrDirNames) : ExtrOpts());
            q->ExtractFiles();
            EXPECT_EQ(FilesBelow(outer.path()), QStringList({"inner", "inner/deeper"}) + [&] {
                QStringList l;
                for (const QString& f : folders ? c.withFolders : c.bare) l << QStringLiteral("inner/deeper/") + f;
                return l;
            }());
            EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/dossara-absolute-escape.txt")));
            for (const QString& f : FilesBelow(inner))
                EXPECT_FALSE(QFileInfo(inner + u'/' + f).isSymLink()) << f;
        }
    }
    // What was refused is reported, one message per entry.
    m_messages.clear();
    QTemporaryDir out;
    auto q = Make();
    q->SetZipFilename(DataPath(QStringLiteral("hostile/link.zip")));
    q->SetExtrBaseDir(out.path());
    q->SetExtrOptions(ExtrOptsEnum::ExtrDirNames);
    q->ExtractFiles();
    EXPECT_EQ(m_messages.filter(QStringLiteral("a link entry, not extracted")).size(), 2) << m_messages.join(u'\n');
}

TEST_F(Quorrel, a_nested_add_from_an_event_handler_does_nothing) {
    const QString archive = FilePath(QStringLiteral("n.zip"));
    auto q = Make();
    q->SetZipFilename(archive);
    q->SetFSpecArgs({QStringLiteral("readme.txt")});
    bool nested = false;
    q->OnProgress = [&nested](TQuorrel* s, ProgrType t, const QString&, std::int64_t) {
        if (t != ProgrType::ptFileStart || nested) return;
        nested = true;
        EXPECT_TRUE(s->AddBusy());
        s->SetFSpecArgs({QStringLiteral("notes.md")});
        s->AddFiles();
    };
    q->AddFiles();
    EXPECT_TRUE(nested);
    EXPECT_EQ(q->SuccessCount(), 1);
    ASSERT_EQ(q->Count(), 1);
    EXPECT_EQ(q->Contents()[0].FileName, QStringLiteral("readme.txt"));
}

TEST_F(Quorrel, a_converted_archive_passes_unzip_test_without_extra_bytes) {
    if (!HaveProgram(QStringLiteral("unzip"))) GTEST_SKIP() << "unzip is not installed";
    const QString stub = FilePath(QStringLiteral("stub.bin"));
    WriteFile(stub, RepositoryText(3001));
    for (const char* source : {"corpus/plain.zip", "corpus/commented.zip", "corpus/streamed.zip"}) {
        SCOPED_TRACE(source);
        const QString archive = FilePath(QStringLiteral("pack.zip"));
        QFile::remove(archive);
        QFile::remove(FilePath(QStringLiteral("pack.exe")));
        QFile::copy(DataPath(QLatin1String(source)), archive);
        const std::int64_t archiveLength = QFileInfo(archive).size();
        auto q = Make();
        q->SetSFXPath(stub);
        q->SetZipFilename(archive);
        EXPECT_EQ(q->ConvertToSFX(), 0) << q->LastMessage();
        const QString exe = FilePath(QStringLiteral("pack.exe"));
        EXPECT_EQ(q->ZipFilename(), exe);
        EXPECT_FALSE(QFileInfo::exists(archive));
        EXPECT_EQ(QFileInfo(exe).size(), 3001 + 256 + archiveLength);
        const QByteArray bytes = ReadFile(exe);
        EXPECT_EQ(bytes.mid(3001, 3), "MPU");
        EXPECT_EQ(bytes.mid(3001 + 7, 23), "Self-extracting Archive");
        const RunResult r = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), exe});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_FALSE(r.output.contains(QStringLiteral("extra bytes"))) << r.output;
        EXPECT_FALSE(q->StructureError());
        EXPECT_EQ(q->DataStart(), 3001 + 256);
    }
}

TEST_F(Quorrel, adding_to_a_self_extracting_archive_keeps_its_program) {
    if (!HaveProgram(QStringLiteral("unzip"))) GTEST_SKIP() << "unzip is not installed";
    const QString stub = FilePath(QStringLiteral("stub.bin"));
    const QByteArray stubBytes = RepositoryText(2500);
    WriteFile(stub, stubBytes);
    struct Case {
        const char* label;
        bool convertFirst;  ///< else the first add makes an empty self-extractor
    };
    for (const Case& c : {Case{"made by the first add", false}, Case{"converted, then added to", true}}) {
        SCOPED_TRACE(c.label);
        const QString exe = FilePath(QStringLiteral("pack.exe"));
        QFile::remove(exe);
        auto q = Make();
        q->SetSFXPath(stub);
        if (c.convertFirst) {
            const QString archive = FilePath(QStringLiteral("pack.zip"));
            QFile::copy(DataPath(QStringLiteral("corpus/plain.zip")), archive);
            q->SetZipFilename(archive);
            ASSERT_EQ(q->ConvertToSFX(), 0);
        } else {
            q->SetZipFilename(exe);
        }
        for (const char* name : {"readme.txt", "notes.md"}) {
            q->SetFSpecArgs({QLatin1String(name)});
            q->AddFiles();
            EXPECT_EQ(q->SuccessCount(), 1) << q->LastMessage();
        }
        EXPECT_EQ(ReadFile(exe).left(stubBytes.size()), stubBytes);
        EXPECT_EQ(ReadFile(exe).mid(stubBytes.size(), 3), "MPU");
        const RunResult r = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), exe});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_FALSE(r.output.contains(QStringLiteral("extra bytes"))) << r.output;
        EXPECT_EQ(q->Count(), c.convertFirst ? 3 : 2) << "readme.txt replaces the stored one";
        EXPECT_EQ(q->DataStart(), stubBytes.size() + 256);

        // A cancelled add leaves it byte for byte as it was.
        const QByteArray before = ReadFile(exe);
        q->OnProgress = [](TQuorrel* s, ProgrType t, const QString&, std::int64_t) {
            if (t == ProgrType::ptFileStart) s->SetCancelRequested(true);
        };
        q->SetFSpecArgs({QStringLiteral("sub/list.txt")});
        q->AddFiles();
        EXPECT_EQ(q->SuccessCount(), 0);
        EXPECT_EQ(ReadFile(exe), before);
    }
}

TEST_F(Quorrel, conversion_refusals_report_their_message) {
    const QString stub = FilePath(QStringLiteral("stub.bin"));
    WriteFile(stub, "stub");
    const QString archive = FilePath(QStringLiteral("pack.zip"));
    QFile::copy(DataPath(QStringLiteral("corpus/plain.zip")), archive);
    const QString other = FilePath(QStringLiteral("pack.arc"));
    QFile::copy(DataPath(QStringLiteral("corpus/plain.zip")), other);
    struct Case {
        const char* label;
        QString archive;
        QString stub;
        int captionLength;
        int result;
        QString message;
    };
    const QString total250 = QStringLiteral("\r\nSFXCaption + SFXDefaultDir + SFXCommandLine = 250");
    const Case cases[] = {
        {"texts of 250 characters", archive, stub, 230, -9,
         QStringLiteral("Error - The 3 property strings mentioned below must together be shorter than 250 characters!")
             + total250},
        {"no stub", archive, FilePath(QStringLiteral("none.bin")), 10, -9, QStringLiteral("Error - ZIPSFX.BIN not found!")},
        {"not a .zip name", other, stub, 10, -9, QStringLiteral("Error: input file is not a zip file")},
        {"texts of 249 characters", archive, stub, 229, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto q = Make();
        q->SetSFXPath(c.stub);
        q->SetSFXCaption(QString(c.captionLength, u'c'));
        q->SetSFXDefaultDir(QStringLiteral("0123456789"));
        q->SetSFXCommandLine(QStringLiteral("abcdefghij"));
        q->SetZipFilename(c.archive);
        EXPECT_EQ(q->ConvertToSFX(), c.result);
        if (c.result != 0) {
            EXPECT_EQ(q->LastMessage(), c.message);
            EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("pack.exe"))));
        } else {
            EXPECT_EQ(QFileInfo(FilePath(QStringLiteral("pack.exe"))).size(), 4 + 256 + QFileInfo(DataPath(QStringLiteral("corpus/plain.zip"))).size());
        }
    }
}

TEST_F(Quorrel, erase_file_answers_minus_one_for_a_missing_file_and_deletes_for_good_when_told) {
    TQuorrel q;
    EXPECT_EQ(q.EraseFile(FilePath(QStringLiteral("none")), DeleteOpts::htdFinal), -1);
    const QString f = FilePath(QStringLiteral("gone.txt"));
    WriteFile(f, "x");
    EXPECT_EQ(q.EraseFile(f, DeleteOpts::htdFinal), 0);
    EXPECT_FALSE(QFileInfo::exists(f));
}

TEST_F(Quorrel, defaults_and_property_rules) {
    TQuorrel q;
    EXPECT_EQ(q.AddCompLevel(), 9);
    EXPECT_EQ(q.SFXOptions(), SFXOpts(SFXOptsEnum::SFXCheckSize));
    EXPECT_EQ(q.SFXPath(), QStringLiteral("ZipSFX.bin"));
    EXPECT_EQ(q.SFXCaption(), QStringLiteral("Self-extracting Archive"));
    EXPECT_EQ(q.MinFreeVolumeSize(), 65536);
    EXPECT_TRUE(q.ConfirmErase());
    EXPECT_EQ(q.CodePage(), CodePageOpts::cpAuto);
    EXPECT_EQ(q.HowToDelete(), DeleteOpts::htdAllowUndo);
    q.SetVersionInfo(QStringLiteral("other"));
    EXPECT_EQ(q.VersionInfo(), QStringLiteral("1.52 K"));
    q.SetDLLDirectory(QStringLiteral("/opt/zip/"));
    EXPECT_EQ(q.DLLDirectory(), QStringLiteral("/opt/zip"));
    q.SetPassword(QString(300, u'p'));
    EXPECT_EQ(q.Password().size(), 255);
    EXPECT_GT(q.ZipDllVersion(), 0);
}

}  // namespace
