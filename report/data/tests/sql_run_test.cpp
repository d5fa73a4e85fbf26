// The SQL text of the engine's local SQL and the general rules, run on a folder of real
// tables through the table layer's SQL: the rows found are the rows meant.

#include "report/data/sql.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/sql/query.h"
#include "platform/db/table.h"
#include "platform/format/date_time_format.h"
#include "platform/format/format_settings.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using db::FieldType;

struct Package {
    int nodeId;
    const char* name;
    const char* maintainer;
    int installedSize;
    QDate released;
};

// A few packages of Debian's catalogue, with the tree branches that hold them.
const Package kPackages[] = {
    {1, "bash", "Matthias Klose", 7164, QDate(2023, 1, 9)},
    {1, "dash", "Andrej Shadura", 215, QDate(2023, 2, 1)},
    {2, "coreutils", "Michael Stone", 18062, QDate(2022, 10, 3)},
    {3, "libc6", "GNU Libc Maintainers", 12988, QDate(2024, 3, 12)},
    {3, "libzip4", "Dan O'Brien", 142, QDate(2024, 6, 30)},
    {2, "python3-apt", "APT Development Team", 792, QDate(2024, 1, 15)},
};
const char* const kBranches[] = {"Shells", "Core utilities", "Libraries", "Empty branch"};

class SQLRun : public ::testing::Test {
public:  // the case tables below build through the helpers
    void SetUp() override {
        m_saved = format::Settings();
        format::SetSettings(format::FormatSettings::FromLocale(QLocale::c()));
        ASSERT_TRUE(m_dir.isValid());
        db::CreateTableFile(m_dir.path(), "Hierarchy.db",
                            {{{"NodeID", FieldType::ftInteger, 0, true}, {"NodeName", FieldType::ftString, 60, false}},
                             {}});
        db::CreateTableFile(m_dir.path(), "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Package", FieldType::ftString, 60, false},
                              {"Maintainer", FieldType::ftString, 60, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false},
                              {"Released", FieldType::ftDate, 0, false}},
                             {}});
        db::Table tree, packages;
        for (db::Table* t : {&tree, &packages}) t->SetDatabaseName(m_dir.path());
        tree.SetTableName("Hierarchy.db");
        packages.SetTableName("Packages.db");
        tree.Open();
        packages.Open();
        for (int i = 0; i < 4; ++i) {
            tree.Append();
            tree.FieldByName("NodeID")->SetAsInteger(i + 1);
            tree.FieldByName("NodeName")->SetAsString(kBranches[i]);
            tree.Post();
        }
        for (const Package& p : kPackages) {
            packages.Append();
            packages.FieldByName("NodeID")->SetAsInteger(p.nodeId);
            packages.FieldByName("Package")->SetAsString(p.name);
            packages.FieldByName("Maintainer")->SetAsString(p.maintainer);
            packages.FieldByName("InstalledSize")->SetAsInteger(p.installedSize);
            packages.FieldByName("Released")->SetAsDateTime(base::DateTimeToDays(QDateTime(p.released, QTime(0, 0))));
            packages.Post();
        }
    }
    void TearDown() override { format::SetSettings(m_saved); }

    /// Tree and Packages joined on NodeID, selecting the branch and the package.
    std::unique_ptr<TdaSQL> model(TdaJoinType aJoinType) {
        auto sql = std::make_unique<TdaSQL>();
        auto table = [&](const char* name, const char* alias, TdaJoinType type) {
            auto* t = new TdaTable(sql.get());
            t->SetTableName(name);
            t->SetSQLAlias(alias);
            t->SetTableAlias(alias);
            t->SetJoinType(type);
            t->SetParent(sql.get());
            return t;
        };
        table("Hierarchy.db", "Tree", TdaJoinType::dajtNone);
        TdaTable* packages = table("Packages.db", "Packages", aJoinType);
        auto* join = new TdaTableJoin(sql.get());
        join->SetParent(packages);
        for (auto [type, alias] : {std::pair{3, "Tree"}, std::pair{4, "Packages"}}) {
            auto* f = new TdaField(sql.get());
            f->SetChildType(type);
            f->SetFieldName("NodeID");
            f->SetTableSQLAlias(alias);
            f->SetParent(join);
        }
        select(*sql, "Tree", "NodeName");
        select(*sql, "Packages", "Package");
        return sql;
    }
    static TdaField* field(TdaSQL& sql, const char* alias, const char* name, int childType,
                           TppDataType type = TppDataType::dtString) {
        auto* f = new TdaField(&sql);
        f->SetChildType(childType);
        f->SetTableSQLAlias(alias);
        f->SetFieldName(name);
        f->SetDataType(type);
        return f;
    }
    static void select(TdaSQL& sql, const char* alias, const char* name) {
        field(sql, alias, name, report::data::kSelectField)->SetParent(&sql);
    }
    static TdaCriteria* criterion(TdaSQL& sql, TdaCriteriaType type, const char* fieldName = nullptr,
                                  TppDataType dataType = TppDataType::dtString,
                                  TdaCriteriaOperatorType op = TdaCriteriaOperatorType::dacoEqual,
                                  const QString& value = {}, bool caseSensitive = true) {
        auto* c = new TdaCriteria(&sql);
        c->SetCriteriaType(type);
        if (fieldName) field(sql, "Packages", fieldName, report::data::kSelectField, dataType)->SetParent(c);
        c->SetOperator(op);
        c->SetCaseSensitive(caseSensitive);
        c->SetValue(value);
        c->SetParent(&sql);
        return c;
    }

    /// The rows the text finds, "branch|package" each, sorted.
    QStringList run(const QStringList& aText) {
        std::unique_ptr<db::sql::QueryCursor> q = db::sql::OpenQuery(m_dir.path(), aText.join(u'\n'));
        QStringList rows;
        for (q->First(); !q->Eof(); q->Next())
            rows << q->Fields(0)->AsString() + u'|' + q->Fields(1)->AsString();
        rows.sort();
        return rows;
    }

    /// The same tables and rows in a new database of the embedded InterBase-family engine
    /// (isql-fb on a file in the test's folder, no server). Empty when it runs; otherwise why
    /// not, with the engine's own words.
    QString createFirebirdDatabase() {
        m_isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
        if (m_isql.isEmpty()) return QStringLiteral("isql-fb is not installed (firebird3.0-utils)");
        QDir(m_dir.path()).mkpath(QStringLiteral("fb/lock"));
        m_firebirdFile = m_dir.filePath(QStringLiteral("fb/run.fdb"));
        QStringList script = {
            QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA';").arg(m_firebirdFile),
            QStringLiteral("CREATE TABLE \"Hierarchy.db\" (NodeID INTEGER NOT NULL, NodeName VARCHAR(60));"),
            QStringLiteral("CREATE TABLE \"Packages.db\" (NodeID INTEGER, Package VARCHAR(60), Maintainer VARCHAR(60), "
                           "InstalledSize INTEGER, Released DATE);")};
        auto text = [](const QString& v) { return u'\'' + QString(v).replace(u'\'', QStringLiteral("''")) + u'\''; };
        for (int i = 0; i < 4; ++i)
            script << QStringLiteral("INSERT INTO \"Hierarchy.db\" VALUES (%1, %2);").arg(i + 1).arg(text(kBranches[i]));
        for (const Package& p : kPackages)
            script << QStringLiteral("INSERT INTO \"Packages.db\" VALUES (%1, %2, %3, %4, '%5');")
                          .arg(p.nodeId)
                          .arg(text(p.name), text(p.maintainer))
                          .arg(p.installedSize)
                          .arg(p.released.toString(Qt::ISODate));
        script << QStringLiteral("COMMIT;");
        QString output;
        if (!isql(script, output) || !QFile::exists(m_firebirdFile))
            return QStringLiteral("the embedded engine cannot create a database here: ") + output.trimmed();
        return {};
    }
    /// Runs a script through isql-fb in the embedded mode; false when it reports an error.
    bool isql(const QStringList& aScript, QString& aOutput) {
        const QString file = m_dir.filePath(QStringLiteral("fb/script.sql"));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        f.write(aScript.join(u'\n').toUtf8() + '\n');
        f.close();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FIREBIRD_LOCK"), m_dir.filePath(QStringLiteral("fb/lock")));
        env.insert(QStringLiteral("FIREBIRD_TMP"), m_dir.filePath(QStringLiteral("fb")));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(m_isql, {QStringLiteral("-q"), QStringLiteral("-bail"), QStringLiteral("-i"), file});
        if (!p.waitForFinished(120000)) {
            aOutput = QStringLiteral("isql-fb did not finish: ") + p.errorString();
            return false;
        }
        aOutput = QString::fromUtf8(p.readAll());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
               !aOutput.contains(QStringLiteral("Statement failed"));
    }
    /// The rows each text finds on the embedded engine, "branch|package" each, sorted; one
    /// list per text. A failing statement fails the test with the engine's message.
    std::vector<QStringList> runOnFirebird(const std::vector<QStringList>& aTexts) {
        QStringList script = {QStringLiteral("CONNECT '%1' USER 'SYSDBA';").arg(m_firebirdFile),
                              QStringLiteral("SET LIST ON;")};
        for (size_t i = 0; i < aTexts.size(); ++i) {
            script << QStringLiteral("SELECT 'TEXT-%1' AS QUERYMARK FROM RDB$DATABASE;").arg(i);
            script << aTexts[i].join(u'\n') + u';';
        }
        QString output;
        const bool ran = isql(script, output);
        EXPECT_TRUE(ran) << output.toStdString();
        std::vector<QStringList> rows(aTexts.size());
        int current = -1;
        QStringList record;
        static const QRegularExpression line(QStringLiteral("^(\\S+)\\s+(.*)$"));
        for (const QString& l : output.split(u'\n')) {
            const QRegularExpressionMatch m = line.match(l);
            if (!m.hasMatch()) continue;
            QString value = m.captured(2).trimmed();
            if (m.captured(1) == QStringLiteral("QUERYMARK")) {
                current = value.mid(5).toInt();
                continue;
            }
            if (current < 0) continue;
            if (value == QStringLiteral("<null>")) value.clear();
            record << value;
            if (record.size() == 2) {
                rows[size_t(current)] << record.join(u'|');
                record.clear();
            }
        }
        for (QStringList& r : rows) r.sort();
        return rows;
    }

    QTemporaryDir m_dir;
    format::FormatSettings m_saved;
    QString m_isql;
    QString m_firebirdFile;
};

struct CriteriaCase {
    const char* what;
    std::function<void(SQLRun&, TdaSQL&)> build;
    QStringList rows;
};

/// Criteria of every form, quoting and skipping included, with the rows they mean.
std::vector<CriteriaCase> criteriaCases() {
    using CO = TdaCriteriaOperatorType;
    using CT = TdaCriteriaType;
    const QString since = format::DateToStr(QDate(2024, 1, 1));
    return {
        {"a quote in the value", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Maintainer", TppDataType::dtString, CO::dacoEqual, "dan o'brien", false);
         }, {"Libraries|libzip4"}},
        {"like, not case-sensitive", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoLike, "LIB", false);
         }, {"Libraries|libc6", "Libraries|libzip4"}},
        {"between numbers", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "InstalledSize", TppDataType::dtInteger, CO::dacoBetween, "200,1000");
         }, {"Core utilities|python3-apt", "Shells|dash"}},
        {"in a list", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoInList, "bash,coreutils");
         }, {"Core utilities|coreutils", "Shells|bash"}},
        {"a date", [since](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Released", TppDataType::dtDate, CO::dacoGreaterThanOrEqualTo, since);
         }, {"Core utilities|python3-apt", "Libraries|libc6", "Libraries|libzip4"}},
        {"or, not and parentheses", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "bash");
             t.criterion(s, CT::dacrOR);
             t.criterion(s, CT::dacrBegin);
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoLike, "lib");
             t.criterion(s, CT::dacrNOT);
             t.criterion(s, CT::dacrField, "InstalledSize", TppDataType::dtInteger, CO::dacoLessThan, "1000");
             t.criterion(s, CT::dacrEnd);
         }, {"Libraries|libc6", "Shells|bash"}},
        {"a skipped condition beside OR", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "dash");
             t.criterion(s, CT::dacrOR);
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "bash")
                 ->SetShowAllValues(true);
         }, {"Shells|dash"}},
        {"an empty search value in parentheses", [](SQLRun& t, TdaSQL& s) {
             t.criterion(s, CT::dacrField, "Package", TppDataType::dtString, CO::dacoEqual, "dash");
             t.criterion(s, CT::dacrBegin);
             t.criterion(s, CT::dacrField, "Maintainer")->Field()->SetAutoSearch(true);
             t.criterion(s, CT::dacrEnd);
         }, {"Shells|dash"}},
    };
}

TEST_F(SQLRun, criteria_find_the_rows_they_mean_in_every_general_dialect) {
    for (const CriteriaCase& c : criteriaCases())
        for (TppDatabaseType type : {TppDatabaseType::dtInterBase, TppDatabaseType::dtParadox,
                                     TppDatabaseType::dtDBISAM, TppDatabaseType::dtOther})
            for (TppSQLType sqlType : {TppSQLType::sqBDELocal, TppSQLType::sqSQL1, TppSQLType::sqSQL2}) {
                std::unique_ptr<TdaSQL> sql = model(TdaJoinType::dajtInner);
                c.build(*this, *sql);
                sql->SetDatabaseType(type);
                sql->SetSQLType(sqlType);
                const QStringList text = sql->SQLText();
                SCOPED_TRACE(QStringLiteral("%1, %2 %3:\n%4")
                                 .arg(c.what, report::EnumName(type), report::EnumName(sqlType), text.join(u'\n'))
                                 .toStdString());
                EXPECT_EQ(run(text), c.rows);
            }
}

TEST_F(SQLRun, outer_joins_keep_the_rows_without_partner_in_every_sql_type) {
    const QStringList all = {"Core utilities|coreutils", "Core utilities|python3-apt", "Empty branch|",
                             "Libraries|libc6", "Libraries|libzip4", "Shells|bash", "Shells|dash"};
    struct Case {
        TdaJoinType join;
        QStringList rows;
    };
    const Case cases[] = {
        {TdaJoinType::dajtInner, all.filter(QRegularExpression("\\|.+"))},
        {TdaJoinType::dajtNone, all.filter(QRegularExpression("\\|.+"))},
        {TdaJoinType::dajtLeftOuter, all},
    };
    for (const Case& c : cases)
        for (TppSQLType sqlType : {TppSQLType::sqBDELocal, TppSQLType::sqSQL1, TppSQLType::sqSQL2}) {
            std::unique_ptr<TdaSQL> sql = model(c.join);
            sql->SetDatabaseType(TppDatabaseType::dtParadox);
            sql->SetSQLType(sqlType);
            const QStringList text = sql->SQLText();
            SCOPED_TRACE(text.join(u'\n').toStdString());
            EXPECT_EQ(run(text), c.rows);
        }
}

// The InterBase dialect's texts on an engine of that family: the same rows as on the table
// layer, so the text is right for the server and not only for our own SQL.
TEST_F(SQLRun, the_interbase_texts_find_the_same_rows_on_an_embedded_engine_of_that_family) {
    if (const QString why = createFirebirdDatabase(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
    struct Run {
        std::string what;
        QStringList text;
        QStringList rows;
    };
    std::vector<Run> runs;
    const QStringList all = {"Core utilities|coreutils", "Core utilities|python3-apt", "Empty branch|",
                             "Libraries|libc6", "Libraries|libzip4", "Shells|bash", "Shells|dash"};
    // The local SQL type is the table engine's own dialect (double-quoted literals); the
    // server gets SQL1 and SQL2.
    for (TppSQLType sqlType : {TppSQLType::sqSQL1, TppSQLType::sqSQL2}) {
        for (const CriteriaCase& c : criteriaCases()) {
            std::unique_ptr<TdaSQL> sql = model(TdaJoinType::dajtInner);
            c.build(*this, *sql);
            sql->SetDatabaseType(TppDatabaseType::dtInterBase);
            sql->SetSQLType(sqlType);
            runs.push_back({c.what, sql->SQLText(), c.rows});
        }
        for (TdaJoinType join : {TdaJoinType::dajtInner, TdaJoinType::dajtLeftOuter}) {
            std::unique_ptr<TdaSQL> sql = model(join);
            sql->SetDatabaseType(TppDatabaseType::dtInterBase);
            sql->SetSQLType(sqlType);
            runs.push_back({"join", sql->SQLText(),
                            join == TdaJoinType::dajtInner ? all.filter(QRegularExpression("\\|.+")) : all});
        }
    }
    std::vector<QStringList> texts;
    for (const Run& r : runs) texts.push_back(r.text);
    const std::vector<QStringList> found = runOnFirebird(texts);
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(runs[i].what + ":\n" + runs[i].text.join(u'\n').toStdString());
        EXPECT_EQ(found[i], runs[i].rows);
        EXPECT_EQ(run(runs[i].text), runs[i].rows);
    }
}

}  // namespace
