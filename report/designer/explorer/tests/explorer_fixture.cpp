#include "report/designer/explorer/tests/explorer_fixture.h"

#include "report/designer/explorer/report_explorer_form.h"
#include "report/designer/gui/designer_texts.h"
#include "report/model/report_classes.h"
#include "report/page/units.h"

#include "platform/settings/ini_document.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include "test_paths.h"

namespace explorertest {

QString CopySample(const QTemporaryDir& aDir) {
    const QDir sample(QStringLiteral(DOSSARA_BIN_DIR) + QStringLiteral("/Sample"));
    const QString target = aDir.filePath(QStringLiteral("Sample"));
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    for (const QString& f : sample.entryList(QDir::Files)) QFile::copy(sample.filePath(f), target + u'/' + f);
    return target;
}

QStringList Sql(const QString& aFolder, const QString& aTableFile, const QString& aQuery) {
    QStringList rows;
    sqlite3* handle = nullptr;
    const QByteArray path = (aFolder + u'/' + aTableFile).toUtf8();
    if (sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        ADD_FAILURE() << "cannot open " << path.constData();
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, aQuery.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(handle) << " in " << aQuery.toStdString();
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            rows << columns.join(u'|');
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return rows;
}

void ExplorerTest::SetUp() {
    report::SetScreenPixelsPerInch(96);
    report::RegisterReportClasses();
    report::RegisterPipelineClasses();
    report::DeclareDesignerTexts();
    report::RegisterReportExplorerForm();
    settings::SetConfigRoot(config.path());
    folder = CopySample(dir);
}

void ExplorerTest::Wire() {
    owner = std::make_unique<TComponent>();
    tblFolder = new db::Table(owner.get());
    tblFolder->setObjectName(QStringLiteral("tblFolder"));
    tblFolder->SetDatabaseName(folder);
    tblFolder->SetTableName(QStringLiteral("tsFolder.db"));
    auto* dsFolder = new db::DataSource(owner.get());
    dsFolder->SetDataSet(tblFolder);
    plFolder = new TppBDEPipeline(owner.get());
    plFolder->SetName(QStringLiteral("plFolder"));
    plFolder->SetDataSource(dsFolder);
    tblItem = new db::Table(owner.get());
    tblItem->setObjectName(QStringLiteral("tblItem"));
    tblItem->SetDatabaseName(folder);
    tblItem->SetTableName(QStringLiteral("tsItem.DB"));
    auto* dsItem = new db::DataSource(owner.get());
    dsItem->SetDataSet(tblItem);
    plItem = new TppBDEPipeline(owner.get());
    plItem->SetName(QStringLiteral("plItem"));
    plItem->SetDataSource(dsItem);
    report = new TppReport(owner.get());
    report->SetName(QStringLiteral("ppReport"));
    designer = new TppDesigner(owner.get());
    designer->SetReport(report);
    explorer = new TppReportExplorer(owner.get());
    explorer->SetDesigner(designer);
    explorer->SetFolderPipeline(plFolder);
    explorer->SetItemPipeline(plItem);
}

void ExplorerTest::TearDown() {
    owner.reset();
    report::SetScreenPixelsPerInch(0);
}

QStringList ExplorerTest::folders() const {
    return Sql(folder, QStringLiteral("tsFolder.db"),
               QStringLiteral("SELECT FolderId, Name, ParentId FROM \"tsFolder.db\" ORDER BY FolderId"));
}

QStringList ExplorerTest::items() const {
    return Sql(folder, QStringLiteral("tsItem.DB"),
               QStringLiteral("SELECT FolderId, Name, ItemType FROM \"tsItem.DB\" ORDER BY FolderId, Name, ItemId"));
}

void ExplorerTest::saveReport(int aFolder, const QString& aName) {
    ASSERT_TRUE(explorer->Initialize()) << explorer->ErrorMessage().toStdString();
    explorer->SetCurrentFolderId(aFolder);
    explorer->SetCurrentItemName(aName);
    explorer->SaveReport(aName);
}

}  // namespace explorertest
