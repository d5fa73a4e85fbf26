// The SQL text of query models in every dialect, compared whole with the texts kept in
// tests/data/sql (DOSSARA_UPDATE_GOLDEN=1 writes them anew for review).

#include "report/data/sql.h"

#include "report/data/tests/sql_fixture.h"

#include "platform/format/format_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include "test_paths.h"

namespace {

using data_test::LoadModel;

/// The model's text for every database type and SQL type, each under a heading line.
QString allDialects(TdaSQL& sql) {
    QString out;
    for (int type = 0; type <= int(TppDatabaseType::dtOther); ++type)
        for (int sqlType = 0; sqlType <= int(TppSQLType::sqSQL2); ++sqlType) {
            sql.SetDatabaseType(TppDatabaseType(type));
            sql.SetSQLType(TppSQLType(sqlType));
            out += QStringLiteral("-- %1 %2\n").arg(report::EnumName(TppDatabaseType(type)),
                                                     report::EnumName(TppSQLType(sqlType)));
            out += sql.SQLText().join(u'\n') + QStringLiteral("\n\n");
        }
    return out;
}

void compareWithGolden(const QString& aName, const QString& aText) {
    const QString path = QStringLiteral(TEST_DATA_DIR "/sql/") + aName + QStringLiteral(".sql");
    if (qEnvironmentVariableIsSet("DOSSARA_UPDATE_GOLDEN")) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(aText.toUtf8());
        return;
    }
    const QString golden = QString::fromUtf8(data_test::ReadTestData(QStringLiteral("sql/") + aName + ".sql"));
    EXPECT_EQ(aText, golden) << aName.toStdString();
}

class SQLText : public ::testing::Test {
protected:
    void SetUp() override { m_saved = format::Settings(); }
    void TearDown() override { format::SetSettings(m_saved); }
    format::FormatSettings m_saved;
};

TEST_F(SQLText, every_model_is_written_as_kept_for_every_dialect) {
    format::SetSettings(format::FormatSettings::FromLocale(QLocale::c()));
    for (const char* name : {"joins", "outer_joins", "criteria_values", "criteria_logic", "calculations"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<TdaSQL> sql = LoadModel(name);
        ASSERT_NE(sql, nullptr);
        data_test::TdaWordsSession session;
        sql->SetSession(&session);
        compareWithGolden(name, allDialects(*sql));
        sql->SetSession(nullptr);
    }
}

TEST_F(SQLText, the_locale_changes_nothing_in_the_text) {
    format::SetSettings(format::FormatSettings::FromLocale(QLocale::c()));
    std::unique_ptr<TdaSQL> reference = LoadModel("criteria_values");
    ASSERT_NE(reference, nullptr);
    const QString expected = allDialects(*reference);
    for (const char* locale : {"de_DE", "fi_FI", "en_US"}) {
        SCOPED_TRACE(locale);
        format::SetSettings(format::FormatSettings::FromLocale(QLocale(QString::fromLatin1(locale))));
        std::unique_ptr<TdaSQL> sql = LoadModel("criteria_values");
        ASSERT_NE(sql, nullptr);
        EXPECT_EQ(allDialects(*sql), expected);
    }
}

}  // namespace
