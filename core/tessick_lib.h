#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class TSearchData;
class TViewControl;

/// One branch found by a quick search.
struct TResultRec {
    std::int32_t ViewIndex = 0;  ///< View of the branch's record (its NodeType)
    std::int32_t NodeID = 0;
    std::int32_t Score = 0;      ///< the engine's rank, 0 to 65535
    QString NodeName;            ///< branch title, cut to 50 characters
    bool operator==(const TResultRec&) const = default;
};
/// The matches of a search, one element per branch (each NodeID at most once).
using TResultsArray = std::vector<TResultRec>;

/// The quick search's result list (the quick-search window's; the find dialog keeps one of
/// its own).
TResultsArray& ResultsArray();

namespace core {

/// Sort keys of SortResults.
enum TResultSortKey { rsViewType = 0, rsScore = 1, rsBranchTitle = 2 };

/// Length a NodeName is cut to in the results.
inline constexpr int kResultNameLength = 50;

/// The engine error map: NumberText is the number in decimal, MessageText the program's
/// text for it (replaced by the user's wording for the numbers a user can act on) and
/// HelpContext the help topic. Answers true for an unexpected engine error (an engine
/// number the map does not list).
bool GetSearchErrorText(int errorNumber, QString& numberText, QString& messageText, int& helpContext);

/// Runs the search set up on the master searcher over the branch titles and every admitted
/// View. An engine failure (ETessick, EExpression) is reported to the user and answers
/// false; for a syntax error with a position, `highlightError` is called with the 1-based
/// selection start (at least 1) before the box is shown. Every other exception passes on.
bool ExecuteSearch(TSearchData& search, const std::function<void(int selStart)>& highlightError);

/// Gathers the matches of the last search into `results` (emptied first), at most maxCount
/// elements, skipping matches whose branch or record cannot be located; the branch that was
/// current is made current again in every case.
void CollectResults(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount);

/// The first-search steps: while FirstSearchPending, the View searchers are reset and the
/// results collected once (clearing the flag when that found something); then collected.
void CollectFirstSearchResults(TSearchData& search, TViewControl& views, TResultsArray& results, int maxCount);

/// Sorts results[lo..hi] in place by key (not stable).
void SortResults(TResultsArray& results, int lo, int hi, TResultSortKey key);
/// Comparison of SortResults: -1 when a sorts before b, 0 equal, 1 after.
int CompareResults(const TResultRec& a, const TResultRec& b, TResultSortKey key);

}  // namespace core
