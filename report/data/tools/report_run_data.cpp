// The data workspace's part of report-run: the program's start-up registers the workspace
// (data modules, query data views, the table-layer plug-in), and a run on a database folder
// points the query views' databases at that folder. The output library's program source
// declares these functions without including the workspace's headers.

#include "report/data/data_texts.h"
#include "report/data/query_data_view.h"
#include "report/model/data_pipeline.h"

#include "platform/db/database.h"

#include <QFileInfo>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace report_run {

void InitializeDataUnits() { report::data::InitializeDataUnit(); }

bool IsDataViewPipeline(const QObject* aPipeline) {
    const auto* pipeline = qobject_cast<const TppDataPipeline*>(aPipeline);
    return pipeline && pipeline->DataView();
}

void ConnectQueryDatabases(QObject* aForm, const QString& aFolder, std::vector<std::unique_ptr<QObject>>& aKeep) {
    for (TdaQueryDataView* view : aForm->findChildren<TdaQueryDataView*>()) {
        const QString name = view->SQL() ? view->SQL()->DatabaseName() : QString();
        if (name.isEmpty() || db::Database::FindDatabase(name) || QFileInfo(name).isDir()) continue;
        auto database = std::make_unique<db::Database>();
        database->SetDatabaseName(name);
        database->SetDirectory(aFolder);
        database->SetDriverName(QStringLiteral("STANDARD"));
        database->Open();
        aKeep.push_back(std::move(database));
    }
}

}  // namespace report_run
