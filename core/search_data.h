#pragma once

#include <QObject>
#include <QString>

#include <vector>

class TMainDataMod;
class TViewControl;
class TtsAccept;
class TtsCache;
class TtsController;
class TtsEngine;
class TtsRankSearch;
class TtsSearch;
class TtsTextDataSetLink;
class TtsTextTableLink;
class TtsWordsTableLink;

namespace db {
class Field;
}
namespace core {
class ViewTables;
}

/// The search data module: the controller of the full-text engine and the master searcher
/// over the branch titles of Hierarchy.DB with its links, cache and acceptance filter.
/// Every View of the open database adds its own searcher, links and caches as children of
/// this object (core::ViewTables takes it as the owner of the search components), so the
/// controller, which takes its searchers from its owner's children in order, runs the
/// master first and then the View searchers in View order.
///
/// A search is set up on the master searcher only; `QS_Controller` copies its settings
/// into every searcher and runs those that `QS_ControllerAcceptSearch` admits: the master
/// always, a View searcher when its View's entry of `SearchViewFlags` is true.
class TSearchData : public QObject {
    Q_OBJECT
public:
    /// The components are made at once; the Hierarchy text and words links read the data
    /// module's Hierarchy.DB and HierarchyDict.db tables.
    explicit TSearchData(TMainDataMod& data, QObject* parent = nullptr);
    /// SearchDataDestroy: the tables the module's links opened are closed.
    ~TSearchData() override;

    TtsController* QS_Controller;
    TtsSearch* tsSearchMaster;
    TtsTextTableLink* tsHierarchyTextLink;
    TtsWordsTableLink* tsHierarchyWordsLink;
    TtsCache* tsHierarchyCache;
    TtsAccept* tsAccepter;

    /// Per View index: true for the Views the current search may read. Sized and filled by
    /// the window that starts a search.
    std::vector<bool> SearchViewFlags;

    TMainDataMod& Data() const { return m_data; }
    /// The View layer's per-View operations (ReloadSearchIndexes, ResetViewSearchers,
    /// CloseDictTables, OpenDictTables); null while none is installed.
    core::ViewTables* Tables = nullptr;
    /// The View definitions of the open database; null while none is installed.
    TViewControl* Views = nullptr;

    /// Re-reads the index properties of the branch-title links and of every View's links,
    /// searcher and updater.
    void ReloadSearchIndexes();
    /// Forgets what every View searcher kept of its previous search.
    void ResetViewSearchers();

    /// The acceptance callback: true for the searcher whose text link reads Hierarchy.DB
    /// (Tag 999), or a View table whose View index is ticked in SearchViewFlags.
    bool QS_ControllerAcceptSearch(TtsRankSearch* searcher) const;

    /// Field hook of text links: a formatted-memo field is read as plain lines of its rich
    /// text and every line is split into words; any other field goes to the link's own
    /// processing. Only links over a table with formatted-memo fields get the hook
    /// (BindProcessField), because the link's fast direct reads need a link without one.
    static void CustomProcessField(TtsTextDataSetLink* link, TtsEngine* engine, db::Field* field);
    /// Sets CustomProcessField on the link when its table has a formatted-memo field.
    static void BindProcessField(TtsTextDataSetLink* link);

    /// The View index a searcher reads (the Tag of its text link's table); 999 for the
    /// branch titles, -1 when the searcher has no table.
    static int SearcherTag(TtsRankSearch* searcher);

private:
    TMainDataMod& m_data;
};
