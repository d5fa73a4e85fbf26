// The data settings: defaults, change notices, copying, and section "DataAccess" of the
// settings file.

#include "report/data/data_dictionary.h"
#include "report/data/data_settings.h"
#include "report/data/session.h"

#include "platform/settings/ini_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class DataSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Settings.OnChange = [this](QObject* sender) {
            EXPECT_EQ(sender, &Settings);
            ++Changes;
        };
    }
    QString IniPath() const { return m_dir.filePath("Marlisk.ini"); }
    void writeIni(const QByteArray& text) {
        QFile f(IniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir m_dir;
    TComponent Form;
    TppCommunicator* Designer = new TppCommunicator(&Form);
    TppDataSettings Settings{Designer};
    int Changes = 0;
};

TEST_F(DataSettings, start_with_the_engine_session_and_no_database) {
    EXPECT_EQ(Settings.SessionType(), "BDESession");
    EXPECT_EQ(Settings.DatabaseName(), "");
    EXPECT_EQ(Settings.DatabaseType(), TppDatabaseType::dtOther);
    EXPECT_EQ(Settings.SQLType(), TppSQLType::sqBDELocal);
    EXPECT_FALSE(Settings.AllowEditSQL());
    EXPECT_FALSE(Settings.UseDataDictionary());
    EXPECT_EQ(Settings.DataDictionary(), nullptr);
}

TEST_F(DataSettings, each_setter_notifies_but_the_dictionary) {
    Settings.SetDatabaseName("ReportDB");
    Settings.SetDatabaseType(TppDatabaseType::dtParadox);
    Settings.SetSQLType(TppSQLType::sqSQL2);
    Settings.SetAllowEditSQL(true);
    Settings.SetUseDataDictionary(true);
    EXPECT_EQ(Changes, 5);
    TppDataDictionary dictionary;
    Settings.SetDataDictionary(&dictionary);
    EXPECT_EQ(Changes, 5);
}

TEST_F(DataSettings, a_new_session_type_clears_the_database_and_leaves_local_sql) {
    struct Case {
        const char* type;
        TppSQLType before;
        TppSQLType after;
    };
    static const Case cases[] = {
        {"SqliteSession", TppSQLType::sqBDELocal, TppSQLType::sqSQL1},
        {"SqliteSession", TppSQLType::sqSQL2, TppSQLType::sqSQL2},
        {"BDESession", TppSQLType::sqBDELocal, TppSQLType::sqBDELocal},
        {"bdesession", TppSQLType::sqBDELocal, TppSQLType::sqSQL1},  // the test is exact
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Settings.SetSQLType(c.before);
        Settings.SetDatabaseName("ReportDB");
        Changes = 0;
        Settings.SetSessionType(c.type);
        EXPECT_EQ(Settings.SessionType(), c.type);
        EXPECT_EQ(Settings.DatabaseName(), "");
        EXPECT_EQ(Settings.SQLType(), c.after);
        EXPECT_EQ(Changes, 1);
    }
}

TEST(DataSettingsNotices, without_notices_the_session_type_alone_changes) {
    struct Case {
        const char* what;
        bool hasParent;
        int parentState;
    };
    static const Case cases[] = {
        {"no parent", false, 0},
        {"parent reading", true, TComponent::csReading},
        {"parent loading", true, TComponent::csLoading},
        {"parent being freed", true, TComponent::csDestroying},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TppCommunicator parent;
        parent.SetComponentState(c.parentState, true);
        TppDataSettings s(c.hasParent ? &parent : nullptr);
        int changes = 0;
        s.OnChange = [&](QObject*) { ++changes; };
        s.SetDatabaseName("ReportDB");
        s.SetSessionType("SqliteSession");
        EXPECT_EQ(s.SessionType(), "SqliteSession");
        EXPECT_EQ(s.DatabaseName(), "ReportDB");
        EXPECT_EQ(s.SQLType(), TppSQLType::sqBDELocal);
        EXPECT_EQ(changes, 0);
        parent.SetComponentState(c.parentState, false);
    }
}

TEST_F(DataSettings, assign_copies_everything_keeps_the_database_and_notifies_once) {
    TppDataDictionary dictionary;
    TppDataSettings source;
    source.SetSessionType("SqliteSession");
    source.SetDatabaseName("ReportDB");
    source.SetDatabaseType(TppDatabaseType::dtInterBase);
    source.SetSQLType(TppSQLType::sqSQL2);
    source.SetAllowEditSQL(true);
    source.SetUseDataDictionary(true);
    source.SetDataDictionary(&dictionary);
    Settings.Assign(&source);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Settings.SessionType(), "SqliteSession");
    EXPECT_EQ(Settings.DatabaseName(), "ReportDB");
    EXPECT_EQ(Settings.DatabaseType(), TppDatabaseType::dtInterBase);
    EXPECT_EQ(Settings.SQLType(), TppSQLType::sqSQL2);
    EXPECT_TRUE(Settings.AllowEditSQL());
    EXPECT_TRUE(Settings.UseDataDictionary());
    EXPECT_EQ(Settings.DataDictionary(), &dictionary);
    // The parent is linked to the dictionary, so it hears when the dictionary goes.
    EXPECT_GE(dictionary.NotifyCount(), 1);

    TppBasicDataSettings basic;
    basic.SetSessionType("BDESession");
    basic.SetDatabaseName("Archive");
    Settings.Assign(&basic);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Settings.SessionType(), "BDESession");
    EXPECT_EQ(Settings.DatabaseName(), "Archive");
    EXPECT_EQ(Settings.SQLType(), TppSQLType::sqSQL2);
}

TEST_F(DataSettings, a_freed_dictionary_is_no_longer_named) {
    auto* dictionary = new TppDataDictionary(&Form);
    Settings.SetDataDictionary(dictionary);
    delete dictionary;
    EXPECT_EQ(Settings.DataDictionary(), nullptr);
}

TEST_F(DataSettings, without_the_section_the_settings_file_gives_the_defaults) {
    writeIni("[Designer]\nLeft=10\n");
    Settings.SetDatabaseType(TppDatabaseType::dtOracle);
    Changes = 0;
    settings::IniFile ini(IniPath());
    Settings.LoadFromIniFile(ini, Designer);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Settings.DatabaseName(), "ReportDB");
    EXPECT_EQ(Settings.SessionType(), "BDESession");
    EXPECT_EQ(Settings.DatabaseType(), TppDatabaseType::dtParadox);
    EXPECT_EQ(Settings.SQLType(), TppSQLType::sqBDELocal);
    EXPECT_TRUE(Settings.AllowEditSQL());
    EXPECT_FALSE(Settings.UseDataDictionary());
    EXPECT_EQ(Settings.DataDictionary(), nullptr);
}

TEST_F(DataSettings, the_section_is_read_and_numbers_out_of_range_give_the_defaults) {
    auto* dictionary = new TppDataDictionary(&Form);
    dictionary->SetUserName("ReportDictionary");
    struct Case {
        const char* section;
        const char* database;
        TppDatabaseType type;
        TppSQLType sql;
        bool dictionaryFound;
    };
    static const Case cases[] = {
        {"[DataAccess]\nDatabaseName=Archive\nSessionType=BDESession\nDatabaseType=6\nSQLType=2\n"
         "AllowEditSQL=0\nUseDataDictionary=1\nDataDictionary=reportdictionary\n",
         "Archive", TppDatabaseType::dtOracle, TppSQLType::sqSQL2, true},
        {"[DataAccess]\nDatabaseType=10\nSQLType=-1\nDataDictionary=Gone\n", "ReportDB", TppDatabaseType::dtParadox,
         TppSQLType::sqBDELocal, false},
        {"[DataAccess]\nDatabaseType=abc\nSQLType=3\n", "ReportDB", TppDatabaseType::dtParadox,
         TppSQLType::sqBDELocal, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        writeIni(c.section);
        settings::IniFile ini(IniPath());
        Settings.LoadFromIniFile(ini, Designer);
        EXPECT_EQ(Settings.DatabaseName(), c.database);
        EXPECT_EQ(Settings.DatabaseType(), c.type);
        EXPECT_EQ(Settings.SQLType(), c.sql);
        EXPECT_EQ(Settings.DataDictionary(), c.dictionaryFound ? dictionary : nullptr);
    }
}

TEST_F(DataSettings, saved_settings_read_back_through_a_second_file_object) {
    auto* dictionary = new TppDataDictionary(&Form);
    dictionary->SetUserName("ReportDictionary");
    Settings.SetSessionType("SqliteSession");
    Settings.SetDatabaseName("Archive");
    Settings.SetDatabaseType(TppDatabaseType::dtSybaseASA);
    Settings.SetSQLType(TppSQLType::sqSQL2);
    Settings.SetAllowEditSQL(false);
    Settings.SetUseDataDictionary(true);
    Settings.SetDataDictionary(dictionary);
    {
        settings::IniFile ini(IniPath());
        Settings.SaveToIniFile(ini);
    }
    const settings::IniFile second(IniPath());
    EXPECT_EQ(second.ReadSection("DataAccess"),
              QStringList({"DatabaseName", "SessionType", "DatabaseType", "SQLType", "AllowEditSQL",
                           "UseDataDictionary", "DataDictionary"}));
    TppDataSettings read(Designer);
    read.LoadFromIniFile(second, Designer);
    EXPECT_EQ(read.SessionType(), "SqliteSession");
    EXPECT_EQ(read.DatabaseName(), "Archive");
    EXPECT_EQ(read.DatabaseType(), TppDatabaseType::dtSybaseASA);
    EXPECT_EQ(read.SQLType(), TppSQLType::sqSQL2);
    EXPECT_FALSE(read.AllowEditSQL());
    EXPECT_TRUE(read.UseDataDictionary());
    EXPECT_EQ(read.DataDictionary(), dictionary);

    // Without a dictionary the key stays as it was.
    Settings.SetDataDictionary(nullptr);
    {
        settings::IniFile ini(IniPath());
        Settings.SaveToIniFile(ini);
    }
    EXPECT_EQ(settings::IniFile(IniPath()).ReadString("DataAccess", "DataDictionary"), "ReportDictionary");
}

TEST_F(DataSettings, a_dictionary_on_an_application_data_module_is_found) {
    QObject dataModule;
    auto* dictionary = new TppDataDictionary();
    dictionary->setParent(&dataModule);
    dictionary->SetUserName("SharedDictionary");
    report::data::AddDataModule(&dataModule);
    writeIni("[DataAccess]\nDataDictionary=SharedDictionary\n");
    Settings.LoadFromIniFile(settings::IniFile(IniPath()), Designer);
    EXPECT_EQ(Settings.DataDictionary(), dictionary);
    report::data::RemoveDataModule(&dataModule);
}

}  // namespace
