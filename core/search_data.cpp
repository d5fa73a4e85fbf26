#include "core/search_data.h"

#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/view_tables.h"

#include "fulltext/match/rich_text_lines.h"
#include "fulltext/match/ts_accept.h"
#include "fulltext/match/ts_controller.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QStringList>

namespace {

template <typename T>
T* makeChild(QObject* owner, const char* name) {
    auto* o = new T(owner);
    o->setObjectName(QLatin1String(name));
    return o;
}

}  // namespace

TSearchData::TSearchData(TMainDataMod& data, QObject* parent) : QObject(parent), m_data(data) {
    setObjectName(QStringLiteral("SearchData"));
    // The controller's searchers are this object's children in order: the master first.
    QS_Controller = makeChild<TtsController>(this, "QS_Controller");
    tsHierarchyCache = makeChild<TtsCache>(this, "tsHierarchyCache");
    tsHierarchyCache->SetAltMemMgr(true);
    tsHierarchyCache->SetMemoryLimit(8000);
    tsHierarchyTextLink = makeChild<TtsTextTableLink>(this, "tsHierarchyTextLink");
    tsHierarchyTextLink->SetTable(data.Hierarchy);
    tsHierarchyTextLink->OnMinIndex = [](QObject*) { return 0; };  // tsHierarchyTextLinkMinIndex
    tsHierarchyWordsLink = makeChild<TtsWordsTableLink>(this, "tsHierarchyWordsLink");
    tsHierarchyWordsLink->SetTable(data.HierarchyDict);
    tsHierarchyWordsLink->SetTransactions(0);
    tsSearchMaster = makeChild<TtsSearch>(this, "tsSearchMaster");
    tsSearchMaster->SetCache(tsHierarchyCache);
    tsSearchMaster->SetTextLink(tsHierarchyTextLink);
    tsSearchMaster->SetWordsLink(tsHierarchyWordsLink);
    tsSearchMaster->SetInternational(false);
    tsSearchMaster->SetTimeLimit(0);
    tsSearchMaster->SetTokens({QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                               QStringLiteral("like"), QStringLiteral("near")});
    tsAccepter = makeChild<TtsAccept>(this, "tsAccepter");
    tsAccepter->SetAccept(true);
    tsAccepter->SetAlpha(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    tsAccepter->SetNumeric(QStringLiteral("0123456789"));
    tsAccepter->SetVowel(QStringLiteral("AEIOUY"));
    QS_Controller->SetMasterSearcher(tsSearchMaster);
    QS_Controller->OnAcceptSearch = [this](QObject*, TtsRankSearch* searcher) {
        return QS_ControllerAcceptSearch(searcher);
    };
}

TSearchData::~TSearchData() {
    // SearchDataDestroy: the module's links may have opened the tables they read.
    for (TtsTextDataSetLink* link : findChildren<TtsTextDataSetLink*>(Qt::FindDirectChildrenOnly)) {
        try {
            link->Close();
        } catch (...) {
        }
    }
    SearchViewFlags.clear();
}

int TSearchData::SearcherTag(TtsRankSearch* searcher) {
    if (!searcher) return -1;
    auto* link = qobject_cast<TtsTextDataSetLink*>(searcher->TextLink());
    if (!link || !link->Table()) return -1;
    return link->Table()->Tag();
}

bool TSearchData::QS_ControllerAcceptSearch(TtsRankSearch* searcher) const {
    const int tag = SearcherTag(searcher);
    if (tag == core::kHierarchyTag) return true;
    return tag >= 0 && size_t(tag) < SearchViewFlags.size() && SearchViewFlags[size_t(tag)];
}

void TSearchData::CustomProcessField(TtsTextDataSetLink*, TtsEngine* engine, db::Field* field) {
    if (field->IsNull()) return;
    switch (field->DataType()) {
    case db::FieldType::ftFmtMemo: {
        QStringList lines;
        RichTextFieldToLines(field, &lines);
        for (const QString& line : lines) engine->ParseString(line);
        return;
    }
    // Every other field as the link's own processing reads it.
    case db::FieldType::ftString:
    case db::FieldType::ftMemo:
        engine->ParseString(field->AsString());
        return;
    case db::FieldType::ftBlob:
    case db::FieldType::ftGraphic:
    case db::FieldType::ftBytes:
        engine->ParseString(QString::fromLatin1(field->AsBytes()));
        return;
    default:
        engine->AddWord(field->AsString(), true);
        return;
    }
}

void TSearchData::BindProcessField(TtsTextDataSetLink* link) {
    if (!link || !link->Table()) return;
    db::Table* table = link->Table();
    bool rich = false;
    if (table->Active()) {
        for (int i = 0; i < table->FieldCount(); ++i)
            if (table->Fields(i)->DataType() == db::FieldType::ftFmtMemo) rich = true;
    } else {
        try {
            table->UpdateDefs();
            for (const db::FieldDef& f : table->FieldDefs())
                if (f.DataType == db::FieldType::ftFmtMemo) rich = true;
        } catch (const std::exception&) {
        }
    }
    if (rich)
        link->OnProcessField = [link](QObject*, TtsEngine* engine, db::Field* field) {
            CustomProcessField(link, engine, field);
        };
    else
        link->OnProcessField = nullptr;
}

void TSearchData::ReloadSearchIndexes() {
    tsHierarchyTextLink->Reset();
    tsHierarchyWordsLink->Reset();
    tsSearchMaster->Refresh();
    if (Tables) Tables->ReloadSearchIndexes();
}

void TSearchData::ResetViewSearchers() {
    if (Tables) Tables->ResetViewSearchers();
}
