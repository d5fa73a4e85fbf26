#include "services/repair_lib.h"
#include "services/repair_log.h"

#include "platform/db/table.h"
#include "platform/db/table_utils.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

/// A table of the repository's README lines (a primary index on the line number and a
/// secondary one on the text), and copies of it damaged in different ways.
class RepairLib : public testsupport::TempFolder {
protected:
    static constexpr const char* kTable = "Lines.DB";

    void SetUp() override {
        TempFolder::SetUp();
        QFile readme(QStringLiteral(DOSSARA_SOURCE_DIR "/README.md"));
        ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
        while (!readme.atEnd()) {
            const QString line = QString::fromUtf8(readme.readLine()).trimmed();
            if (!line.isEmpty()) m_lines << line.left(200);
        }
        ASSERT_GT(m_lines.size(), 20);
    }

    /// Makes the table in `folder` (under its own name, which may be long).
    void MakeTable(const QString& folder, const QString& name = QLatin1String(kTable), bool indexes = true) {
        QDir().mkpath(folder);
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(name);
        t.FieldDefs() = {{QStringLiteral("Number"), db::FieldType::ftInteger, 0, true},
                         {QStringLiteral("Text"), db::FieldType::ftString, 200, false}};
        if (indexes)
            t.IndexDefs() = {{QString(), QStringLiteral("Number"), db::IndexOption::ixPrimary},
                             {QStringLiteral("ByText"), QStringLiteral("Text"), db::IndexOptions()}};
        t.CreateTable();
        t.Open();
        for (int i = 0; i < m_lines.size() * 3; ++i) {
            t.Append();
            t.FieldByName(QStringLiteral("Number"))->SetAsInteger(i);
            t.FieldByName(QStringLiteral("Text"))->SetAsString(m_lines[i % m_lines.size()]);
            t.Post();
        }
        t.Close();
    }

    static QString Sqlite(const QString& file, const QString& sql) {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {file, sql});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    }

    static void Overwrite(const QString& file, qint64 offset, int count) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(offset));
        f.write(QByteArray(count, '\x5a'));
    }

    static int PageSize(const QString& file) { return Sqlite(file, QStringLiteral("PRAGMA page_size")).toInt(); }

    QStringList m_lines;
};

TEST_F(RepairLib, verify_agrees_with_sqlite_integrity_check) {
    enum Damage { None, Header, IndexPage, RowPage };
    struct Case {
        const char* name;
        Damage damage;
        bool sound;
        QString text;  // the exact text, or empty for "what the verify found"
    } cases[] = {
        {"sound", None, true, {}},
        {"header overwritten", Header, false,
         QStringLiteral("Severe corruption detected: Table structure (header) is damaged.")},
        {"index page damaged", IndexPage, false, {}},
        {"row page damaged", RowPage, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = FilePath(QString::fromLatin1(c.name).replace(u' ', u'-'));
        MakeTable(folder);
        const QString file = QDir(folder).filePath(QLatin1String(kTable));
        const int page = PageSize(file);
        if (c.damage == Header) Overwrite(file, 0, 100);
        if (c.damage == IndexPage || c.damage == RowPage) {
            const QString which = c.damage == IndexPage ? QStringLiteral("index") : QStringLiteral("table");
            const QString roots = Sqlite(file, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = '%1' AND "
                                                              "sql IS NOT NULL ORDER BY rootpage DESC LIMIT 1").arg(which));
            const int root = roots.toInt();
            ASSERT_GT(root, 1) << roots.toStdString();
            // The cell pointers of the page's B-tree header point into garbage.
            Overwrite(file, qint64(root - 1) * page + 8, 64);
        }
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(QLatin1String(kTable));
        QString error = QStringLiteral("as passed");
        const bool sound = services::VerifyTable(t, error);
        EXPECT_EQ(sound, c.sound);
        const QString sqliteSays = Sqlite(file, QStringLiteral("PRAGMA integrity_check"));
        EXPECT_EQ(sound, sqliteSays == QStringLiteral("ok")) << sqliteSays.toStdString();
        if (sound) {
            EXPECT_EQ(error, QStringLiteral("as passed"));
        } else if (!c.text.isEmpty()) {
            EXPECT_EQ(error, c.text);
        } else {
            EXPECT_NE(error, QStringLiteral("as passed"));
            EXPECT_FALSE(error.trimmed().isEmpty());
        }
        const int level = services::VerifyTableLevel(t);
        EXPECT_EQ(level == 0, c.sound);
        if (c.damage == Header) {
            EXPECT_EQ(level, 3);
        }
    }
}

TEST_F(RepairLib, verify_of_a_missing_table_and_a_long_path) {
    db::Table t;
    t.SetDatabaseName(Path());
    t.SetTableName(QStringLiteral("Missing.DB"));
    QString error;
    EXPECT_FALSE(services::VerifyTable(t, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Error verifying file ["))) << error.toStdString();

    // Far past 80 characters of folder and name.
    const QString deep = FilePath(QString(60, u'f') + u'/' + QString(60, u'g'));
    const QString name = QString(70, u'n') + QStringLiteral(".DB");
    MakeTable(deep, name);
    db::Table longOne;
    longOne.SetDatabaseName(deep);
    longOne.SetTableName(name);
    error.clear();
    EXPECT_TRUE(services::VerifyTable(longOne, error)) << error.toStdString();
    QString indexText;
    EXPECT_TRUE(services::CheckTableIndexes(longOne, error, indexText)) << error.toStdString();
    EXPECT_EQ(indexText, QStringLiteral("ByText [Text]"));
}

TEST_F(RepairLib, check_indexes_names_the_index_that_fails) {
    struct Case {
        const char* name;
        bool indexes;
        bool dropSecondary;
        bool sound;
        QString indexText;
    } cases[] = {
        {"no indexes", false, false, true, QStringLiteral("untouched")},
        {"sound", true, false, true, QStringLiteral("ByText [Text]")},
        {"secondary index gone from the file", true, true, false, QStringLiteral("ByText [Text]")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = FilePath(QString::fromLatin1(c.name).replace(u' ', u'-'));
        MakeTable(folder, QLatin1String(kTable), c.indexes);
        const QString file = QDir(folder).filePath(QLatin1String(kTable));
        if (c.dropSecondary) {
            const QString index = Sqlite(file, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                                              "sql LIKE '%Text%'"));
            ASSERT_FALSE(index.isEmpty());
            Sqlite(file, QStringLiteral("DROP INDEX \"%1\"").arg(index));
        }
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(QLatin1String(kTable));
        QString error = QStringLiteral("untouched"), indexText = QStringLiteral("untouched");
        EXPECT_EQ(services::CheckTableIndexes(t, error, indexText), c.sound);
        EXPECT_EQ(indexText, c.indexText);
        if (c.sound) {
            EXPECT_EQ(error, QStringLiteral("untouched"));
        } else {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Error code is ["))) << error.toStdString();
        }
        EXPECT_FALSE(t.Active());
        EXPECT_TRUE(t.IndexFieldNames().isEmpty());
    }
}

TEST_F(RepairLib, pack_gives_space_back_and_reports_a_busy_table) {
    const QString folder = FilePath(QStringLiteral("pack"));
    MakeTable(folder);
    const QString file = QDir(folder).filePath(QLatin1String(kTable));
    {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(QLatin1String(kTable));
        t.Open();
        while (!t.Eof() && t.RecordCount() > 10) t.Delete();
        t.Close();
    }
    const qint64 before = QFileInfo(file).size();
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(QLatin1String(kTable));
    services::PackTable(t);
    EXPECT_LT(QFileInfo(file).size(), before);
    EXPECT_EQ(Sqlite(file, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    // Held open elsewhere: the failure is told, not raised.
    db::Table holder;
    holder.SetDatabaseName(folder);
    holder.SetTableName(QLatin1String(kTable));
    holder.Open();
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("^Error while trying to pack table\\.\nBDE error \\[.+\\]\\.$"), ui::Button::Ok,
                          ui::MessageKind::Error);
    EXPECT_NO_THROW(services::PackTable(t));
    EXPECT_EQ(answers.Pending(), 0);
    holder.Close();
}

TEST_F(RepairLib, checking_a_database_logs_each_damaged_table_once_per_run) {
    const QString database = FilePath(QStringLiteral("database"));
    MakeTable(database, QStringLiteral("Alpha.DB"));
    MakeTable(database, QStringLiteral("Beta.db"));
    MakeTable(database, QStringLiteral("Gamma.DB"));
    Overwrite(QDir(database).filePath(QStringLiteral("Alpha.DB")), 0, 100);  // header
    const QString beta = QDir(database).filePath(QStringLiteral("Beta.db"));
    Sqlite(beta, QStringLiteral("DROP INDEX \"%1\"").arg(Sqlite(beta, QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND sql LIKE '%Text%'"))));
    QFile notATable(QDir(database).filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notATable.open(QIODevice::WriteOnly));
    notATable.close();

    const QString program = FilePath(QStringLiteral("program"));
    QDir().mkpath(program);
    const QDate day(2026, 12, 11);
    for (int run = 0; run < 2; ++run) {
        services::TRepairLog log(program, day);
        EXPECT_EQ(log.FileName(), program + QStringLiteral("/RepairLog20261211.txt"));
        int counter = 0;
        QStringList seen;
        const auto results = services::CheckDatabaseTables(database, log, counter,
                                                           [&](const services::TTableCheck& c) { seen << c.FileName; });
        EXPECT_EQ(seen, QStringList({"Alpha.DB", "Beta.db", "Gamma.DB"}));
        ASSERT_EQ(results.size(), 3u);
        EXPECT_FALSE(results[0].Sound);
        EXPECT_EQ(results[0].Reason, QStringLiteral("Severe corruption detected: Table structure (header) is damaged."));
        EXPECT_FALSE(results[1].Sound);
        EXPECT_FALSE(results[1].Reason.trimmed().isEmpty());  // what the verify found missing
        EXPECT_TRUE(results[2].Sound);
        EXPECT_TRUE(results[2].Reason.isEmpty());
        EXPECT_EQ(counter, 2);
        EXPECT_TRUE(log.Written());
    }
    QFile file(program + QStringLiteral("/RepairLog20261211.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    ASSERT_TRUE(all.endsWith("\r\n"));
    const QList<QByteArray> lines = all.left(all.size() - 1).split('\n');
    ASSERT_EQ(lines.size(), 8);  // two runs appended, four lines each
    const struct {
        const char* counter;
        QString message;  // empty: the reason, checked below
    } expected[] = {{"0", QStringLiteral("Table \"Alpha.DB\" is damaged")}, {"0", {}},
                    {"1", QStringLiteral("Table \"Beta.db\" is damaged")}, {"1", {}}};
    for (int i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(lines[i].endsWith('\r'));
        const QList<QByteArray> fields = lines[i].chopped(1).split('\t');
        ASSERT_EQ(fields.size(), 5);
        EXPECT_EQ(fields[0], expected[i % 4].counter);
        EXPECT_EQ(fields[1], "S3_Index");
        EXPECT_EQ(fields[2], "1");
        EXPECT_EQ(fields[3], "E");
        if (!expected[i % 4].message.isEmpty()) {
            EXPECT_EQ(QString::fromUtf8(fields[4]), expected[i % 4].message);
        } else {
            EXPECT_FALSE(fields[4].trimmed().isEmpty());
        }
    }

    // A folder without tables: nothing checked, nothing logged.
    const QString empty = FilePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    services::TRepairLog other(empty, day);
    int counter = 0;
    EXPECT_TRUE(services::CheckDatabaseTables(empty, other, counter).empty());
    EXPECT_FALSE(other.Written());
    EXPECT_FALSE(QFile::exists(other.FileName()));
}

}  // namespace
