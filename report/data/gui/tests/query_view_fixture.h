#pragma once

// The folder the query windows are tried on: the records manager's dictionary, empty table
// files of the tree and two Views, the folder opened as database "ReportDB", a dictionary over
// the dictionary tables, a report and a query data view of it; a wizard's data settings point
// at them (local SQL).

#include "report/data/data_dictionary.h"
#include "report/data/data_settings.h"
#include "report/data/engine_plugin.h"
#include "report/data/tests/dictionary_fixture.h"
#include "report/model/report.h"

#include "platform/db/database.h"
#include "platform/db/table_utils.h"

namespace data_test {

class QueryViewFolder : public DictionaryFolder {
protected:
    /// The table files of the tree, Packages and Maintainers, then the database, the
    /// dictionary, the report and the view. Further table files are made before this.
    void setUpQueryView() {
        db::CreateTableFile(Folder(), "Hierarchy.db",
                            {{{"NodeName", FieldType::ftString, 40, false},
                              {"NodeID", FieldType::ftInteger, 0, false},
                              {"ParentNodeID", FieldType::ftInteger, 0, false},
                              {"NodeType", FieldType::ftSmallint, 0, false},
                              {"TimeStamp", FieldType::ftDateTime, 0, false}},
                             {}});
        db::CreateTableFile(Folder(), "Packages.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Note", FieldType::ftString, 40, false},
                              {"Package", FieldType::ftString, 40, false},
                              {"InstalledSize", FieldType::ftInteger, 0, false},
                              {"Priority", FieldType::ftString, 20, false}},
                             {}});
        db::CreateTableFile(Folder(), "Maintainers.db",
                            {{{"NodeID", FieldType::ftInteger, 0, false},
                              {"Name", FieldType::ftString, 40, false},
                              {"Email", FieldType::ftString, 40, false}},
                             {}});
        Database.SetDatabaseName("ReportDB");
        Database.SetDirectory(Folder());
        Database.Open();
        Dictionary = new TppDataDictionary(&Form);
        Dictionary->SetTablePipeline(Tables.pipeline);
        Dictionary->SetFieldPipeline(Fields.pipeline);
        Dictionary->SetJoinPipeline(Joins.pipeline);
        Dictionary->SetValidateTableNames(false);
        Dictionary->SetValidateFieldNames(false);
        Report = new TppReport(&Form);
        Report->SetName("Report");
        View = new TdaBDEQueryDataView(&Form);
        View->SetReport(Report);
        View->SQL()->SetDatabaseName("ReportDB");
    }

    /// A wizard's settings: "ReportDB", Paradox, local SQL, through the dictionary.
    void useReportDatabase(TppDataSettings* aSettings) const {
        aSettings->SetDatabaseName("ReportDB");
        aSettings->SetDatabaseType(TppDatabaseType::dtParadox);
        aSettings->SetSQLType(TppSQLType::sqBDELocal);
        aSettings->SetUseDataDictionary(true);
        aSettings->SetDataDictionary(Dictionary);
    }

    db::Database Database;
    TppDataDictionary* Dictionary = nullptr;
    TppReport* Report = nullptr;
    TdaBDEQueryDataView* View = nullptr;
};

}  // namespace data_test
