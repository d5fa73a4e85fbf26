#include "fulltext/table/dataset_drivers.h"

#include "fulltext/errors.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"

#include "platform/db/table.h"

#include <QMetaObject>
#include <QMutex>

#include <vector>

namespace fulltext {

namespace {

DatasetDriver tableDriver() {
    DatasetDriver d;
    d.Name = QStringLiteral("TTable");
    d.DataSetClass = &db::Table::staticMetaObject;
    d.MakeTextLink = [](QObject* owner) -> TtsTextDataSetLink* { return new TtsMakeTextTableLink(owner); };
    d.TextLink = [](QObject* owner) -> TtsTextDataSetLink* { return new TtsTextTableLink(owner); };
    d.MakeWordsLink = [](QObject* owner) -> TtsWordsDataSetLink* { return new TtsMakeWordsTableLink(owner); };
    d.WordsLink = [](QObject* owner) -> TtsWordsDataSetLink* { return new TtsWordsTableLink(owner); };
    d.ResetTable = [](db::Table& table, bool drop) {
        table.Close();
        if (drop && table.Exists()) table.DeleteTable();
        table.FieldDefs().clear();
        table.IndexDefs().clear();
        table.SetIndexFieldNames(QString());
        table.SetIndexName(QString());
    };
    d.CreateTable = [](db::Table& table) { table.CreateTable(); };
    d.SetExclusive = [](db::Table& table, bool on) { table.SetExclusive(on); };
    d.Transaction = [](db::Table& table, int op) {
        switch (op) {
        case DatasetDriver::trStart: table.StartBatch(); break;
        case DatasetDriver::trCommit: table.EndBatch(true); break;
        case DatasetDriver::trRollback: table.EndBatch(false); break;
        default: throw ETessick(msgInvalidParameter);
        }
    };
    return d;
}

QMutex& registryMutex() {
    static QMutex m;
    return m;
}

std::vector<DatasetDriver>& registry() {
    static std::vector<DatasetDriver> entries{tableDriver()};
    return entries;
}

void eraseEntry(const QString& name) {
    std::erase_if(registry(), [&](const DatasetDriver& d) { return d.Name.compare(name, Qt::CaseInsensitive) == 0; });
}

}  // namespace

void RegisterDatasetDriver(const DatasetDriver& driver) {
    QMutexLocker lock(&registryMutex());
    eraseEntry(driver.Name);
    registry().push_back(driver);
}

void UnregisterDatasetDriver(const QString& name) {
    QMutexLocker lock(&registryMutex());
    eraseEntry(name);
}

DatasetDriver DatasetDriverFor(const QObject* dataset) {
    QMutexLocker lock(&registryMutex());
    if (dataset) {
        const std::vector<DatasetDriver>& entries = registry();
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            if (it->DataSetClass && dataset->metaObject()->inherits(it->DataSetClass)) return *it;
    }
    throw ETessick(msgDatasetNotSupported);
}

}  // namespace fulltext
