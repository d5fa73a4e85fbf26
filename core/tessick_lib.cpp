#include "core/tessick_lib.h"

#include "core/globals.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/search_data.h"
#include "core/view_control.h"

#include "fulltext/errors.h"
#include "fulltext/match/ts_controller.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "fulltext/table/ts_text_table_link.h"

#include "platform/base/messages.h"
#include "platform/db/field.h"
#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>

#include <utility>

TResultsArray& ResultsArray() {
    static TResultsArray results;
    return results;
}

namespace core {

bool GetSearchErrorText(int errorNumber, QString& numberText, QString& messageText, int& helpContext) {
    fulltext::DeclareEngineMessages();
    numberText = QString::number(errorNumber);
    messageText = base::MessageText(errorNumber);
    switch (errorNumber) {
    case fulltext::msgDictionaryInvalidated:
        messageText = QStringLiteral(
            "The search dictionaries need to be rebuilt. Use the Rebuild Search Dictionaries option on the Tools "
            "menu to start the build process. Retry your search once the dictionaries have been rebuilt.");
        helpContext = 10077;
        return false;
    case fulltext::msgMissingParenthesis:
        messageText = QStringLiteral("There is a parentheses missing in your search text.");
        helpContext = 10078;
        return false;
    case fulltext::msgMissingQuote:
        messageText = QStringLiteral("There is a quote mark missing in your search text.");
        helpContext = 10079;
        return false;
    case fulltext::msgMissingString:
        messageText = QStringLiteral(
            "There is a search term missing in your search text. \nThis usually means there are two Boolean "
            "operators together with no search word between them.");
        helpContext = 10080;
        return false;
    case fulltext::msgSyntaxError:
        messageText = QStringLiteral("There is an error in the syntax or formatting of your search terms.");
        helpContext = 10081;
        return false;
    case fulltext::msgLeadingWildcard:
        messageText = QStringLiteral("A leading wildcard character is not allowed with this type of search.");
        helpContext = 10082;
        return false;
    default:
        break;
    }
    if (errorNumber >= fulltext::kEngineMessages.first && errorNumber <= fulltext::kEngineMessages.last) {
        helpContext = 10076;
        return true;
    }
    helpContext = 99;
    return false;
}

namespace {

void reportSearchError(TSearchData& search, int number, const std::function<void(int)>& highlightError) {
    QString numberText, messageText;
    int help = 0;
    if (GetSearchErrorText(number, numberText, messageText, help)) {
        ui::Message(QStringLiteral("An error has occurred in the search engine. The error is: \n\n[") + numberText +
                        QStringLiteral("] ") + messageText + QStringLiteral(".\n\nShut down and restart Dossara "
                                                                            "before trying the search again. Press "
                                                                            "F1 for more help."),
                    ui::MessageKind::Error, ui::Button::Ok, 10076);
        return;
    }
    const int position = search.tsSearchMaster->ErrorPosition();
    if (number == fulltext::msgSyntaxError && position > 0) {
        messageText += QStringLiteral("\n The position of the error will be highlighted in the search text.");
        if (highlightError) highlightError(std::max(position - 1, 1));
        QCoreApplication::processEvents();
    }
    ui::Message(messageText + QStringLiteral("\nPress F1 for help."), ui::MessageKind::Error, ui::Button::Ok, help);
}

/// Whether `table` stands on the row of `nodeID`.
bool standsOn(db::Table* table, int nodeID) {
    return table->Active() && !table->Eof() && !table->Bof() &&
           table->FieldByName(QStringLiteral("NodeID"))->AsInteger() == nodeID;
}

/// TMainDataMod::LocateNode for a match: a table the match left on the branch (Hierarchy.DB
/// for a title match, the View's table for a record match) is not sought again.
bool locateMatch(TMainDataMod& data, TViewControl& views, int nodeID) {
    TtsTable* hierarchy = data.Hierarchy;
    if (nodeID <= 0 || !hierarchy->Active()) return false;
    if (!standsOn(hierarchy, nodeID) && !hierarchy->FindKey({nodeID})) return false;
    const int view = hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
    if (view < 0 || view >= views.GetViewCount()) return false;
    TtsTable* table = views.ViewDefs[size_t(view)].DataTable;
    if (!table || !table->Active()) return false;
    return standsOn(table, nodeID) || table->FindKey({nodeID});
}

}  // namespace

bool ExecuteSearch(TSearchData& search, const std::function<void(int selStart)>& highlightError) {
    try {
        search.ReloadSearchIndexes();
        search.tsSearchMaster->Reset();
        search.QS_Controller->ExecuteAll();
        return true;
    } catch (const EExpression& e) {
        reportSearchError(search, e.ErrorCode(), highlightError);
    } catch (const ETessick& e) {
        reportSearchError(search, e.ErrorCode(), highlightError);
    }
    return false;
}

void CollectResults(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount) {
    results.clear();
    if (maxCount <= 0) return;
    TMainDataMod& data = search.Data();
    TtsTable* hierarchy = data.Hierarchy;
    int current = -1;
    if (hierarchy->Active() && !(hierarchy->Eof() && hierarchy->Bof()))
        current = hierarchy->FieldByName(QStringLiteral("NodeID"))->AsInteger();
    struct PutBack {
        TMainDataMod& data;
        int nodeID;
        ~PutBack() {
            try {
                if (nodeID > 0) data.LocateNode(nodeID);
            } catch (...) {
            }
        }
    } putBack{data, current};

    TtsController* controller = search.QS_Controller;
    if (!controller->FirstMatch()) return;
    // One read transaction per table file for the whole walk instead of one per seek (each of
    // those takes and drops the file's lock); renewed when messages are pumped, so writers
    // of other programs get their turn.
    std::vector<db::ReadSnapshot> snapshots;
    snapshots.emplace_back(*hierarchy);
    for (int v = 0; v < views.GetViewCount(); ++v)
        if (TtsTable* t = views.GetViewTable(v); t && t->Active()) snapshots.emplace_back(*t);
    // The NodeIDs already in the results (a hash instead of a scan of the array per match).
    QSet<int> listed;
    // Window messages are pumped between matches, at most every 50 ms: often enough for the
    // window to stay responsive, rarely enough not to cost more than the matches.
    QElapsedTimer sincePump;
    sincePump.start();
    do {
        TtsRankSearch* searcher = controller->GetCurrentSearcher();
        auto* link = searcher ? qobject_cast<TtsTextDataSetLink*>(searcher->TextLink()) : nullptr;
        db::Table* table = link ? link->Table() : nullptr;
        if (table) {
            const int nodeID = table->FieldByName(QStringLiteral("NodeID"))->AsInteger();
            int view = table->Tag();
            if (view == kHierarchyTag) {
                view = hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
                views.GetViewTable(view);  // reports a View index beyond the last View
            }
            // The score of a branch already listed is never used: it is worked out (which
            // may read and split the record) only for a branch not listed yet.
            if (!listed.contains(nodeID)) {
                const int score = int(std::uint16_t(searcher->GetRecordRank()));
                if (locateMatch(data, views, nodeID)) {
                    listed.insert(nodeID);
                    results.push_back({view, nodeID, score,
                                       hierarchy->FieldByName(QStringLiteral("NodeName"))->AsString().left(kResultNameLength)});
                }
            }
        }
        if (sincePump.elapsed() >= 50) {
            QCoreApplication::processEvents();
            for (db::ReadSnapshot& snapshot : snapshots) snapshot.Renew();
            sincePump.restart();
        }
    } while (int(results.size()) < maxCount && controller->NextMatch());
}

void CollectFirstSearchResults(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount) {
    if (Globals().FirstSearchPending) {
        search.ResetViewSearchers();
        CollectResults(search, views, results, maxCount);
        if (!results.empty()) Globals().FirstSearchPending = false;
    }
    CollectResults(search, views, results, maxCount);
}

int CompareResults(const TResultRec& a, const TResultRec& b, TResultSortKey key) {
    switch (key) {
    case rsViewType:
        if (a.ViewIndex != b.ViewIndex) return a.ViewIndex < b.ViewIndex ? -1 : 1;
        return CompareResults(a, b, rsBranchTitle);
    case rsScore:
        if (a.Score != b.Score) return a.Score > b.Score ? -1 : 1;
        return CompareResults(a, b, rsViewType);
    case rsBranchTitle: {
        // Character code by character code; a prefix sorts first.
        const int c = QStringView(a.NodeName).compare(QStringView(b.NodeName), Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
    return 0;
}

namespace {

int partition(TResultsArray& r, int lo, int hi, TResultSortKey key) {
    const TResultRec pivot = r[size_t(lo)];
    int s = lo;
    for (int a = lo + 1; a <= hi; ++a) {
        if (CompareResults(r[size_t(a)], pivot, key) < 0) {
            std::swap(r[size_t(s)], r[size_t(a)]);
            ++s;
            std::swap(r[size_t(a)], r[size_t(s)]);
            r[size_t(s)] = pivot;
        }
    }
    return s;
}

}  // namespace

void SortResults(TResultsArray& results, int lo, int hi, TResultSortKey key) {
    if (lo < 0 || hi >= int(results.size())) return;
    while (hi > lo) {
        const int s = partition(results, lo, hi, key);
        if (s - lo < hi - s) {
            SortResults(results, lo, s - 1, key);
            lo = s + 1;
        } else {
            SortResults(results, s + 1, hi, key);
            hi = s - 1;
        }
    }
}

}  // namespace core
