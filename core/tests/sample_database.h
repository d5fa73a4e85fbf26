#pragma once

#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/dialog_service.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include "test_paths.h"

namespace coretest {

/// Answers every message box with OK and keeps their texts, for loops where a message may
/// or may not come.
class RecordedMessages : public ui::DialogService {
public:
    ui::Button Message(const ui::MessageRequest& request) override {
        texts << request.text;
        return ui::Button::Ok;
    }
    std::optional<QString> ChooseFileToOpen(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const ui::FileRequest&) override { return std::nullopt; }
    int ExecModal(QObject&) override { return 0; }
    QStringList texts;
};

class RecordMessages {
public:
    RecordMessages() {
        auto service = std::make_unique<RecordedMessages>();
        m_recorded = service.get();
        m_previous = ui::SetDialogService(std::move(service));
    }
    ~RecordMessages() { ui::SetDialogService(std::move(m_previous)); }
    const QStringList& Prompts() const { return m_recorded->texts; }

private:
    RecordedMessages* m_recorded;
    std::unique_ptr<ui::DialogService> m_previous;
};


/// A fresh copy of the sample database that the build generates, opened as the program
/// opens it: the main data module connected, the View definitions loaded with their
/// tables and full-text components, every View table and word table open.
class SampleDatabase : public testsupport::TempFolder {
protected:
    void SetUp() override {
        testsupport::TempFolder::SetUp();
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
        folder = FilePath(QStringLiteral("Db"));
        QDir().mkpath(folder);
        const QDir sample(QDir(QStringLiteral(DOSSARA_BIN_DIR)).filePath(QStringLiteral("Sample")));
        for (const QString& name : sample.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(sample.filePath(name), QDir(folder).filePath(name))) << name.toStdString();
        Open();
    }
    void TearDown() override { Close(); }

    void Open() {
        module = std::make_unique<TMainDataMod>(nullptr, &views);
        searchData = std::make_unique<QObject>();
        searchData->setObjectName(QStringLiteral("SearchData"));
        tables = std::make_unique<core::ViewTables>(views, *module, *searchData);
        tables->Install();
        module->ConnectDatabase(folder);
        ASSERT_TRUE(views.LoadViewDefinitions());
        for (int i = 0; i < views.GetViewCount(); ++i) {
            ASSERT_TRUE(tables->OpenViewTable(i)) << i;
            ASSERT_TRUE(tables->OpenViewDictTable(i)) << i;
        }
    }
    void Close() {
        if (!tables) return;
        tables->FreeAllViews();
        views.Clear();
        module->DisconnectDatabase();
        tables.reset();
        searchData.reset();
        module.reset();
        core::SetSettingsTable(nullptr);
    }

    /// Every row of a table file as text (bytes in hex), sorted.
    static QStringList RowsOf(const QString& dbFolder, const QString& file) {
        db::Table t;
        t.SetDatabaseName(dbFolder);
        t.SetTableName(file);
        t.SetReadOnly(true);
        t.Open();
        QStringList rows;
        for (t.First(); !t.Eof(); t.Next()) {
            QStringList values;
            for (int i = 0; i < t.FieldCount(); ++i) {
                const db::Field* f = t.Fields(i);
                const QVariant v = f->Value();
                values << (v.isNull() ? QStringLiteral("<null>")
                           : v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex())
                                                                  : v.toString());
            }
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }

    /// The word table of a View table as a fresh index build over its present records
    /// gives it (built on a copy of the table in a folder of its own).
    QStringList RebuiltWordRows(const QString& dataTableName) {
        const QString scratch = FilePath(QStringLiteral("rebuild-") + QString::number(++m_rebuilds));
        QDir().mkpath(scratch);
        const QString tableFile = core::ViewTableFile(dataTableName);
        const QString dictFile = core::ViewDictTableFile(dataTableName);
        db::CopyTableFile(folder, tableFile, scratch, tableFile);
        const db::TableDef def = db::ReadTableDef(scratch, tableFile);
        core::BuildWordIndex(scratch, tableFile, dictFile, core::TextFieldNames(def));
        return RowsOf(scratch, dictFile);
    }

    void ExpectIndexCurrent(int view) {
        const QString name = views.ViewDefs[size_t(view)].DataTableName;
        ExpectSameRows(RowsOf(folder, core::ViewDictTableFile(name)), RebuiltWordRows(name), name);
    }
    /// Compares two row lists and names the first rows that differ (whole lists are long).
    static void ExpectSameRows(const QStringList& actual, const QStringList& expected, const QString& what) {
        if (actual == expected) return;
        QStringList onlyActual, onlyExpected;
        for (const QString& r : actual)
            if (!expected.contains(r)) onlyActual << r.left(60);
        for (const QString& r : expected)
            if (!actual.contains(r)) onlyExpected << r.left(60);
        ADD_FAILURE() << what.toStdString() << ": rows " << actual.size() << " vs " << expected.size()
                      << "; only in the table: " << onlyActual.mid(0, 3).join(" ; ").toStdString()
                      << "; only in a rebuild: " << onlyExpected.mid(0, 3).join(" ; ").toStdString();
    }

    QString folder;
    TViewControl views;
    std::unique_ptr<TMainDataMod> module;
    std::unique_ptr<QObject> searchData;
    std::unique_ptr<core::ViewTables> tables;

private:
    int m_rebuilds = 0;
};

}  // namespace coretest
