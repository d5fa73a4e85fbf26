#include "fulltext/testsupport/index_builder.h"

#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

namespace fulltext::testing {

void CreateNotesTable(const QString& folder, const QString& tableName, const QStringList& texts) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(tableName);
    t.FieldDefs() = {{QStringLiteral("NodeID"), db::FieldType::ftInteger, 0, true},
                     {QStringLiteral("Body"), db::FieldType::ftMemo, 0, false}};
    t.IndexDefs() = {{QString(), QStringLiteral("NodeID"), db::IndexOption::ixPrimary}};
    t.CreateTable();
    t.Open();
    db::Field* id = t.FieldByName(QStringLiteral("NodeID"));
    db::Field* body = t.FieldByName(QStringLiteral("Body"));
    t.StartBatch();
    for (int i = 0; i < int(texts.size()); ++i) {
        t.Append();
        id->SetAsInteger(i + 1);
        body->SetAsString(texts[i]);
        t.Post();
    }
    t.EndBatch(true);
}

int BuildIndex(const QString& folder, const QString& tableName, const QString& dictName, const QStringList& fields,
               const MakeSetup& setup) {
    db::Table records;
    records.SetDatabaseName(folder);
    records.SetTableName(tableName);
    db::Table words;
    words.SetDatabaseName(folder);
    words.SetTableName(dictName);
    TtsMakeTextTableLink text;
    text.SetTable(&records);
    text.SetFieldNames(fields);
    text.SetIndexFieldName(QStringLiteral("NodeID"));
    TtsMakeWordsTableLink wordsLink;
    wordsLink.SetTable(&words);
    TtsCache cache;
    TtsMake maker;
    maker.SetTextLink(&text);
    maker.SetWordsLink(&wordsLink);
    maker.SetCache(&cache);
    if (setup) setup(maker, wordsLink);
    maker.Execute();
    return maker.SegmentSize();
}

}  // namespace fulltext::testing
