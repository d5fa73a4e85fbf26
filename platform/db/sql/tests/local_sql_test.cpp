#include "platform/db/sql/local_sql.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include "test_paths.h"

namespace db::sql {
namespace {

// Table names resolve as a folder holding Hierarchy.DB, HierarchyDict.db and Orders.db would.
QString Resolve(const QString& written) {
    static const QStringList kFiles = {QStringLiteral("Hierarchy.DB"), QStringLiteral("HierarchyDict.db"),
                                       QStringLiteral("Orders.db")};
    for (const QString& f : kFiles) {
        if (f.compare(written, Qt::CaseInsensitive) == 0) return f;
    }
    for (const QString& f : kFiles) {
        if (f.section(u'.', 0, 0).compare(written, Qt::CaseInsensitive) == 0) return f;
    }
    return written;
}

struct CorpusCase {
    int line = 0;  ///< where the case starts in the file
    QString local;
    QString sqlite;
    QString tables;
    QString error;  ///< "<code name> <line>:<column>" for a refusal
};

/// Reads tests/data/local_sql_cases.txt (its head comment describes the format).
std::vector<CorpusCase> ReadCorpus() {
    QFile file(QStringLiteral(TEST_DATA_DIR "/local_sql_cases.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << file.fileName().toStdString();
    std::vector<CorpusCase> cases;
    int number = 0;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(u'#') || line.trimmed().isEmpty()) continue;
        const qsizetype colon = line.indexOf(u':');
        const QString key = line.left(colon);
        QString value = line.mid(colon + 1);
        while (value.startsWith(u' ')) value.remove(0, 1);
        value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        if (key == QLatin1String("local")) {
            cases.push_back({number, value, {}, {}, {}});
        } else if (!cases.empty() && key == QLatin1String("sqlite")) {
            cases.back().sqlite = value;
        } else if (!cases.empty() && key == QLatin1String("tables")) {
            cases.back().tables = value;
        } else if (!cases.empty() && key == QLatin1String("error")) {
            cases.back().error = value;
        } else {
            ADD_FAILURE() << "line " << number << " of the cases is not understood";
        }
    }
    return cases;
}

QString CodeName(int code) {
    switch (code) {
    case kUnterminatedString: return QStringLiteral("UnterminatedString");
    case kUnterminatedName: return QStringLiteral("UnterminatedName");
    case kUnterminatedComment: return QStringLiteral("UnterminatedComment");
    case kInvalidDate: return QStringLiteral("InvalidDate");
    default: return QString::number(code);
    }
}

TEST(LocalSql, translates_the_cases_of_the_corpus) {
    const auto cases = ReadCorpus();
    ASSERT_FALSE(cases.empty());
    TranslateOptions options;
    options.resolveTable = Resolve;
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("line %1: %2").arg(c.line).arg(c.local).toStdString());
        auto r = TranslateLocalSql(c.local, options);
        if (!c.error.isEmpty()) {
            ASSERT_FALSE(r.ok()) << r.value().text.toStdString();
            EXPECT_EQ(QStringLiteral("%1 %2:%3").arg(CodeName(r.error().code)).arg(r.error().line).arg(r.error().column), c.error);
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error().text.toStdString();
        EXPECT_EQ(r.value().text, c.sqlite);
        EXPECT_EQ(r.value().tables.join(u'|'), c.tables);
    }
}

TEST(LocalSql, lists_the_outermost_select_entries_with_their_aliases) {
    auto r = TranslateLocalSql(QStringLiteral(
        R"(SELECT DISTINCT h.*, SUM(o.Amount) AS "Total", UPPER("x"), (SELECT 1 FROM b) FROM Hierarchy h, Orders o UNION SELECT 1 FROM c)"));
    ASSERT_TRUE(r.ok());
    const auto& cols = r.value().columns;
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_TRUE(cols[0].star);
    EXPECT_EQ(cols[1].alias, QStringLiteral("Total"));
    EXPECT_EQ(cols[1].tokens.front().text, QStringLiteral("SUM"));
    EXPECT_EQ(cols[2].tokens[2].text, QStringLiteral("'x'"));
    EXPECT_EQ(cols[2].tokens[2].kind, TokenKind::SingleQuoted);
    EXPECT_FALSE(cols[3].star);
    EXPECT_TRUE(cols[3].alias.isEmpty());
}

}  // namespace
}  // namespace db::sql
