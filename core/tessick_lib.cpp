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
#include "platform/db/keyed_reader.h"
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

/// One read transaction on each open table file of the records (Hierarchy.DB and every
/// View's table; with `wordTables`, their word tables too) while the answer lives, instead
/// of one per read, each of which takes the file's lock and checks it for changes.
std::vector<db::ReadSnapshot> holdReads(TSearchData& search, const TViewControl* views, bool wordTables) {
    std::vector<db::ReadSnapshot> snapshots;
    auto hold = [&](const db::Table* table) {
        if (table && table->Active()) snapshots.emplace_back(*table);
    };
    hold(search.Data().Hierarchy);
    if (wordTables) hold(search.Data().HierarchyDict);
    for (int v = 0; views && v < views->GetViewCount(); ++v) {
        hold(views->GetViewTable(v));
        if (wordTables) hold(views->GetViewDictTable(v));
    }
    return snapshots;
}

}  // namespace

bool ExecuteSearch(TSearchData& search, const std::function<void(int selStart)>& highlightError) {
    try {
        // The whole search (the index properties read again, the word sets, the records a
        // phrase is checked in) at one snapshot of each file.
        const std::vector<db::ReadSnapshot> snapshots = holdReads(search, search.Views, true);
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

namespace {

/// What collecting results keeps while it walks the matches: a snapshot of each record file
/// for the whole walk, renewed when window messages are pumped, so writers of other programs
/// get their turn; and the NodeIDs already listed (a hash instead of a scan of the array per
/// match).
struct Collecting {
    Collecting(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount)
        : search(search), views(views), results(results), maxCount(maxCount),
          snapshots(holdReads(search, &views, false)) {
        sincePump.start();
    }

    bool full() const { return int(results.size()) >= maxCount; }

    /// Window messages are pumped between matches, at most every 50 ms: often enough for the
    /// window to stay responsive, rarely enough not to cost more than the matches.
    void pump() {
        if (sincePump.elapsed() < 50) return;
        QCoreApplication::processEvents();
        for (db::ReadSnapshot& snapshot : snapshots) snapshot.Renew();
        sincePump.restart();
    }

    TSearchData& search;
    TViewControl& views;
    TResultsArray& results;
    const int maxCount;
    std::vector<db::ReadSnapshot> snapshots;
    QSet<int> listed;
    QElapsedTimer sincePump;
};

/// The text link's table of a searcher, or null.
db::Table* linkTable(TtsRankSearch* searcher) {
    auto* link = searcher ? qobject_cast<TtsTextDataSetLink*>(searcher->TextLink()) : nullptr;
    return link ? link->Table() : nullptr;
}

/// Collecting by walking each searcher's matches with the record tables standing still: a
/// match's record is read straight from its table file, and so are the title and View of a
/// branch and the check that its View holds its record, which is what moving the tables
/// through the matches and locating each new branch would find, at a fraction of the cost.
/// Each searcher is walked in its navigation order (record order, or down its rank list).
/// Answers false, collecting nothing, when a table is limited to a range, or a record is not
/// found by its NodeID or cannot be read straight from its file (a View with formatted
/// memos, read through their own handler): the caller walks the usual way then.
bool collectStandingStill(Collecting& c) {
    TtsTable* hierarchy = c.search.Data().Hierarchy;
    TtsController* controller = c.search.QS_Controller;
    const QString nodeID = QStringLiteral("NodeID");
    auto keyedByNode = [](db::Table* t) { return t && t->Active() && !t->HasRange(); };
    if (!keyedByNode(hierarchy)) return false;
    for (TtsRankSearch* s = controller->FirstSearcher(); s; s = controller->NextSearcher()) {
        auto* link = qobject_cast<TtsTextDataSetLink*>(s->TextLink());
        if (!link || !keyedByNode(link->Table()) ||
            link->IndexFieldName().compare(nodeID, Qt::CaseInsensitive) != 0 || !link->CanReadDirect())
            return false;
    }
    db::KeyedReader branches(*hierarchy, nodeID, {QStringLiteral("NodeName"), QStringLiteral("NodeType")});
    // Per View, the reader that tells whether the View's table holds a NodeID.
    std::vector<std::unique_ptr<db::KeyedReader>> holders(std::size_t(c.views.GetViewCount()));
    auto viewHolds = [&](int view, int node) {
        TtsTable* table = c.views.ViewDefs[size_t(view)].DataTable;
        if (!table || !table->Active()) return false;
        std::unique_ptr<db::KeyedReader>& reader = holders[std::size_t(view)];
        if (!reader) reader = std::make_unique<db::KeyedReader>(*table, nodeID, QStringList());
        return reader->Read(node);
    };
    for (TtsRankSearch* s = controller->FirstSearcher(); s && !c.full(); s = controller->NextSearcher()) {
        db::Table* table = linkTable(s);
        const int tag = table->Tag();
        s->WalkMatches([&](int node) {
            const bool listed = c.listed.contains(node);
            // The branch's title and View (read for a title match, which reports a View index
            // beyond the last View, and for a branch not listed yet).
            const bool found = (tag == kHierarchyTag || !listed) && node > 0 && branches.Read(node);
            int view = tag;
            if (tag == kHierarchyTag) {
                view = found ? int(branches.Integer(1)) : 0;
                c.views.GetViewTable(view);
            }
            if (!listed) {
                const int score = int(std::uint16_t(s->WalkRank()));
                const int type = found ? int(branches.Integer(1)) : -1;
                if (found && type >= 0 && type < c.views.GetViewCount() &&
                    ((type == tag && tag != kHierarchyTag) || viewHolds(type, node))) {
                    c.listed.insert(node);
                    c.results.push_back({view, node, score, branches.Text(0).left(kResultNameLength).toString()});
                }
            }
            c.pump();
            return !c.full();
        });
    }
    return true;
}

/// Collecting by moving the tables through the matches (FirstMatch, NextMatch) and locating
/// each new branch; the branch the tables stood on is located again afterwards.
void collectMoving(Collecting& c) {
    TMainDataMod& data = c.search.Data();
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

    TtsController* controller = c.search.QS_Controller;
    if (!controller->FirstMatch()) return;
    do {
        TtsRankSearch* searcher = controller->GetCurrentSearcher();
        if (db::Table* table = linkTable(searcher)) {
            const int nodeID = table->FieldByName(QStringLiteral("NodeID"))->AsInteger();
            int view = table->Tag();
            if (view == kHierarchyTag) {
                view = hierarchy->FieldByName(QStringLiteral("NodeType"))->AsInteger();
                c.views.GetViewTable(view);  // reports a View index beyond the last View
            }
            // The score of a branch already listed is never used: it is worked out (which
            // may read and split the record) only for a branch not listed yet.
            if (!c.listed.contains(nodeID)) {
                const int score = int(std::uint16_t(searcher->GetRecordRank()));
                if (locateMatch(data, c.views, nodeID)) {
                    c.listed.insert(nodeID);
                    c.results.push_back({view, nodeID, score,
                                         hierarchy->FieldByName(QStringLiteral("NodeName"))->AsString().left(kResultNameLength)});
                }
            }
        }
        c.pump();
    } while (!c.full() && controller->NextMatch());
}

}  // namespace

void CollectResults(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount) {
    results.clear();
    if (maxCount <= 0) return;
    Collecting c(search, views, results, maxCount);
    if (!collectStandingStill(c)) collectMoving(c);
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
