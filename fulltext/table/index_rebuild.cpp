#include "fulltext/table/index_rebuild.h"

#include "fulltext/errors.h"
#include "fulltext/table/dataset_drivers.h"
#include "fulltext/table/ts_make.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/table.h"

#include <memory>

namespace fulltext {

namespace {

void build(TtsEngine& engine, TtsTextDataSetLink& text, TtsWordsDataSetLink& words) {
    db::Table records;
    records.SetDatabaseName(text.Table()->Folder());
    records.SetTableName(text.Table()->TableName());
    db::Table wordTable;
    wordTable.SetDatabaseName(words.Table()->Folder());
    wordTable.SetTableName(words.Table()->TableName());

    // the link classes the table's driver names for builds
    const DatasetDriver driver = DatasetDriverFor(text.Table());
    const std::unique_ptr<TtsTextDataSetLink> makeText(driver.MakeTextLink(nullptr));
    makeText->SetTable(&records);
    makeText->SetFieldNames(text.FieldNames());
    makeText->SetIndexFieldName(text.IndexFieldName());
    // fields the owner reads its own way (rich text) and a range it names are read alike
    makeText->OnProcessField = text.OnProcessField;
    makeText->OnMinIndex = text.OnMinIndex;
    makeText->OnMaxIndex = text.OnMaxIndex;

    const std::unique_ptr<TtsWordsDataSetLink> makeWords(DatasetDriverFor(words.Table()).MakeWordsLink(nullptr));
    makeWords->SetTable(&wordTable);
    makeWords->SetWordFieldSize(words.WordFieldSize());
    makeWords->SetLikeFieldSize(words.LikeFieldSize());
    makeWords->SetReverseField(words.HasReverse());
    if (words.BytesFieldSize() > 0) makeWords->SetBytesFieldSize(words.BytesFieldSize());
    else if (words.CharFieldSize() > 0) makeWords->SetCharFieldSize(words.CharFieldSize());
    else makeWords->SetBlobFieldSize(words.BlobFieldSize());

    TtsCache cache;
    TtsMake maker;
    maker.SetTextLink(makeText.get());
    maker.SetWordsLink(makeWords.get());
    maker.SetCache(&cache);
    maker.SetMinWordLen(engine.MinWordLen());
    maker.SetOmitList(engine.OmitList());
    maker.SetSegmentSize(engine.SegmentSize() == TtsEngine::kUnsegmented ? 0 : engine.SegmentSize());
    maker.SetWordDelims(engine.WordDelims());
    maker.SetAnsi(engine.Ansi());
    maker.SetWordPairs(engine.WordPairs());
    maker.OnAcceptWord = engine.OnAcceptWord;
    maker.OnParseWord = engine.OnParseWord;
    maker.FoldProc = engine.FoldProc;
    maker.SoundsLikeProc = engine.SoundsLikeProc;

    words.Close();
    maker.Execute();
}

}  // namespace

void RebuildIndex(TtsEngine& engine) {
    auto* text = qobject_cast<TtsTextDataSetLink*>(engine.TextLink());
    auto* words = qobject_cast<TtsWordsDataSetLink*>(engine.WordsLink());
    if (!text || !text->Table() || !words || !words->Table()) throw ETessick(msgDictionaryInvalidated);
    qCInfo(lcFulltext) << "Building the stale index" << words->Table()->TableName() << "again";
    bool built = false;
    try {
        build(engine, *text, *words);
        built = true;
    } catch (const base::Exception& e) {
        qCWarning(lcFulltext) << "Building the stale index again failed:" << e.Message();
    }
    text->ForgetRange();
    if (engine.Cache()) engine.Cache()->Iterate(true, true, nullptr);
    words->Open();
    if (!built) throw ETessick(msgDictionaryInvalidated);
}

}  // namespace fulltext
