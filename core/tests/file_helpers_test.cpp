#include "core/file_helpers.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class FileHelpers : public testsupport::TempFolder {
protected:
    void Write(const QString& relative, const QByteArray& bytes = "x") {
        const QString path = FilePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList Names(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(FileHelpers, trailing_separators_and_long_names) {
    EXPECT_EQ(core::AddTrailingBackslash("  /a/b "), "/a/b/");
    EXPECT_EQ(core::AddTrailingBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(core::AddTrailingBackslash("   "), "");
    EXPECT_EQ(core::RemoveTrailingBackslash("/a/b/"), "/a/b");
    EXPECT_EQ(core::RemoveTrailingBackslash("/a/b"), "/a/b");

    QDir().mkpath(FilePath("Data/Sub"));
    // A component written in another case takes the listed name; a missing one is kept.
    EXPECT_EQ(core::GetLongPathText(FilePath("DATA/sub/Missing/x")), FilePath("Data/Sub/Missing/x"));
    EXPECT_EQ(core::NormalizePath("  " + FilePath("data") + " ", "U"), FilePath("Data").toUpper());
    EXPECT_EQ(core::NormalizePath(FilePath("data/../Data/sub"), "L"), FilePath("Data/Sub").toLower());
}

TEST_F(FileHelpers, listings_match_masks_ignoring_case) {
    Write("a.db", "12345");
    Write("B.DB", "123");
    Write("c.txt");
    Write(".hidden.db", "1");
    QDir().mkpath(FilePath("folder.db"));
    QStringList list;
    EXPECT_EQ(core::ListFiles(FilePath("*.db"), core::FileAttribute::ReadOnly, list), 2);
    EXPECT_EQ(list, (QStringList{"a.db", "B.DB"}));
    list.clear();
    EXPECT_EQ(core::ListFiles(FilePath("*.db"), core::FileAttribute::AnyFile, list), 4);
    EXPECT_EQ(core::GetFilesSize(FilePath("*.DB")), 9);
    EXPECT_TRUE(core::FileSpecExists(FilePath("*.TXT")));
    EXPECT_FALSE(core::FileSpecExists(FilePath("*.zip")));
    EXPECT_TRUE(core::FolderHasFiles(Path()));
    QDir().mkpath(FilePath("onlyfolders/inner"));
    EXPECT_FALSE(core::FolderHasFiles(FilePath("onlyfolders")));
}

TEST_F(FileHelpers, database_folders_and_unique_names) {
    Write("db/Registry.DB");
    EXPECT_FALSE(core::IsDatabaseFolder(FilePath("db")));
    Write("db/hierarchy.db");
    EXPECT_TRUE(core::IsDatabaseFolder(FilePath("db")));
    EXPECT_FALSE(core::IsDatabaseFolder(FilePath("nothing")));

    EXPECT_EQ(core::MakeUniqueFolderName(FilePath("new")), FilePath("new"));
    QDir().mkpath(FilePath("db_1"));
    EXPECT_EQ(core::MakeUniqueFolderName(FilePath("db")), FilePath("db_2"));
}

TEST_F(FileHelpers, copying_by_mask_leaves_hidden_files_and_subfolders_behind) {
    Write("src/one.db", "1");
    Write("src/two.DB", "22");
    Write("src/note.txt");
    Write("src/.secret.db");
    Write("src/sub.db/inner.db");
    Write("dst/two.DB", "old");
    const core::ShellOutcome outcome = core::CopyFiles(FilePath("src"), FilePath("dst"), "*.db");
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.result, core::ShellResult::kOk);
    EXPECT_EQ(Names(FilePath("dst")), (QStringList{"one.db", "two.DB"}));
    QFile two(FilePath("dst/two.DB"));
    ASSERT_TRUE(two.open(QIODevice::ReadOnly));
    EXPECT_EQ(two.readAll(), "22");
    // Copying into a folder that does not exist yet creates it.
    EXPECT_TRUE(core::CopyFiles(FilePath("src"), FilePath("fresh/deep"), "*.*").success);
    EXPECT_EQ(Names(FilePath("fresh/deep")), (QStringList{"note.txt", "one.db", "two.DB"}));
}

TEST_F(FileHelpers, shell_operations_report_missing_sources_and_change_nothing) {
    Write("src/a.txt");
    const core::ShellOutcome outcome =
        core::ShellFileOperation(core::ShellOperation::Copy, FilePath("src"), {"a.txt", "missing.txt"}, FilePath("dst"));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.result, core::ShellResult::kFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(FilePath("dst")));
    EXPECT_EQ(core::ShellFileOperation(core::ShellOperation::Delete, Path(), {}).result, core::ShellResult::kNoNames);
}

TEST_F(FileHelpers, deleting_by_mask_takes_only_files_and_a_folder_name_takes_the_folder) {
    Write("d/a.tmp");
    Write("d/b.TMP");
    Write("d/keep.txt");
    Write("d/sub.tmp/inner");
    EXPECT_TRUE(core::DeleteFiles(FilePath("d/*.tmp")));
    EXPECT_EQ(Names(FilePath("d")), (QStringList{"keep.txt", "sub.tmp"}));
    EXPECT_TRUE(core::DeleteFiles(FilePath("d/sub.tmp")));
    EXPECT_EQ(Names(FilePath("d")), (QStringList{"keep.txt"}));
    EXPECT_FALSE(core::DeleteFiles(FilePath("d/missing")));

    // The deleted entries went to the desktop's trash (the test-mode data folder), from
    // where the user can take them back.
    const QString trash =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("Trash");
    QStringList restorable;
    for (const QFileInfo& info : QDir(trash + "/info").entryInfoList({"*.trashinfo"}, QDir::Files)) {
        QFile f(info.absoluteFilePath());
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString content = QString::fromUtf8(f.readAll());
        f.close();
        for (const char* name : {"a.tmp", "b.TMP", "sub.tmp"}) {
            if (!content.contains("Path=" + QUrl::toPercentEncoding(FilePath(QStringLiteral("d/") + name), "/")))
                continue;
            restorable << name;
            // Leave the trash as it was.
            const QString base = info.completeBaseName();
            QFileInfo trashed(trash + "/files/" + base);
            if (trashed.isDir()) QDir(trashed.absoluteFilePath()).removeRecursively();
            else QFile::remove(trashed.absoluteFilePath());
            QFile::remove(info.absoluteFilePath());
        }
    }
    restorable.sort(Qt::CaseInsensitive);
    EXPECT_EQ(restorable, (QStringList{"a.tmp", "b.TMP", "sub.tmp"}));
}

TEST_F(FileHelpers, log_lines_end_with_cr_lf_and_rewrite_starts_over) {
    const QString log = FilePath("RepairLog20240101.txt");
    core::WriteLogLine(log, "first", false);
    core::WriteLogLine(log, "   ", false);
    core::WriteLogLine(log, "süd", false);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("first\r\n\r\ns\xC3\xBC" "d\r\n"));
    f.close();
    core::WriteLogLine(log, "again", true);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("again\r\n"));
    // A file that cannot be written is no error for the caller.
    core::WriteLogLine(FilePath("no/such/folder/log.txt"), "lost", false);
}

TEST_F(FileHelpers, validating_folders_asks_only_where_data_may_be_lost) {
    {  // an existing empty folder: accepted without a question
        QDir().mkpath(FilePath("empty"));
        testsupport::DialogAnswerer answers;
        QString path = FilePath("empty");
        EXPECT_TRUE(core::ValidateFolder(path));
        EXPECT_TRUE(answers.Prompts().isEmpty());
    }
    {  // blank
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("^The path cannot be blank\\.$", ui::Button::Ok, ui::MessageKind::Error);
        QString path = "  ";
        EXPECT_FALSE(core::ValidateFolder(path));
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10032);
    }
    {  // a database folder: the stronger warning, No keeps it
        Write("db/REGISTRY.DB");
        Write("db/Hierarchy.DB");
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("contains a Dossara database\\. Using this folder will destroy the existing database\\.",
                              ui::Button::No, ui::MessageKind::Confirmation);
        QString path = FilePath("db");
        EXPECT_FALSE(core::ValidateFolder(path));
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10035);
    }
    {  // other files, Yes
        Write("files/x.txt");
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("contains files\\. Using this folder may affect", ui::Button::Yes);
        QString path = FilePath("FILES/../files/");
        EXPECT_TRUE(core::ValidateFolder(path));
        EXPECT_EQ(path, FilePath("files"));
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10036);
    }
    {  // missing: created with its parents on Yes
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("does not exist - do you want to create it\\?$", ui::Button::Yes);
        QString path = FilePath("new/deeper");
        EXPECT_TRUE(core::ValidateFolder(path));
        EXPECT_TRUE(QFileInfo(FilePath("new/deeper")).isDir());
        EXPECT_EQ(answers.Messages().at(0).helpContext, 10033);
    }
    {  // missing, No
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("does not exist", ui::Button::No);
        QString path = FilePath("other");
        EXPECT_FALSE(core::ValidateFolder(path));
        EXPECT_FALSE(QFileInfo::exists(FilePath("other")));
    }
    {  // cannot be made: a file stands in the way
        Write("blocker");
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage("does not exist", ui::Button::Yes)
            .ExpectMessage("^Unable to create the folder\\. Press F1 for help\\.$", ui::Button::Ok, ui::MessageKind::Error);
        QString path = FilePath("blocker/inside");
        EXPECT_FALSE(core::ValidateFolder(path));
        EXPECT_EQ(answers.Messages().at(1).helpContext, 10034);
    }
}

}  // namespace
