#pragma once

#include "fulltext/match/ts_match_maker.h"
#include "fulltext/search/ts_search.h"

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

namespace db {
class Field;
}

/// What a searcher takes over from the master searcher when the controller conforms it.
enum TConformance {
    cnAnyChar = 0x1,
    cnMemoryLimit = 0x2,
    cnNearWord = 0x4,
    cnOneChar = 0x8,
    cnOnSearch = 0x10,
    cnOnPreviewWord = 0x20,
    cnRankMode = 0x40,
    cnRankLimit = 0x80,
    cnSearchFor = 0x100,
    cnSearchLogic = 0x200,
    cnSearchMode = 0x400,
    cnSubFieldNames = 0x800,
    cnTokens = 0x1000,
};
Q_DECLARE_FLAGS(TConformity, TConformance)
Q_DECLARE_OPERATORS_FOR_FLAGS(TConformity)

/// Runs several searchers as one. Its searchers are the rank searches among the components
/// of its owner (the owner's children, in order) that AcceptSearch accepts; it copies the
/// master searcher's settings into each (as far as Conformity says), runs them, sums their
/// matches and walks through the matches of all of them.
///
/// State: the current searcher index among the owner's children (-1 = none). First/Last/
/// Next/PriorSearcher move it; FirstMatch and NextMatch move it while they look for a
/// searcher with a match. A child leaving the owner resets it to -1; the master searcher
/// going away clears MasterSearcher.
class TtsController : public QObject {
    Q_OBJECT
public:
    using TAcceptSearchEvent = std::function<bool(QObject* sender, TtsRankSearch* searcher)>;
    using TMergeFieldEvent = std::function<void(QObject* sender, db::Field* field, QStringList& list)>;

    static constexpr TConformity kAllConformity = TConformity::fromInt(0x1FFF);

    explicit TtsController(QObject* owner = nullptr);
    ~TtsController() override;

    TConformity Conformity() const { return m_conformity; }
    void SetConformity(TConformity conformity) { m_conformity = conformity; }
    /// Default "Contents", "DBName;20", "Location", "TableName;20".
    const QStringList& FieldNames() const { return m_fieldNames; }
    /// Taken only when the new list has as many lines as the current one.
    void SetFieldNames(const QStringList& names);
    TtsRankSearch* MasterSearcher() const { return m_master; }
    void SetMasterSearcher(TtsRankSearch* searcher) { m_master = searcher; }
    TtsMatchMaker* MatchMaker() const { return m_matchMaker; }
    void SetMatchMaker(TtsMatchMaker* maker) { m_matchMaker = maker; }

    TAcceptSearchEvent OnAcceptSearch;
    TMergeFieldEvent OnMergeField;

    /// The OnAcceptSearch answer; true when it is not assigned.
    virtual bool AcceptSearch(TtsRankSearch* searcher);
    /// OnMergeField when assigned; otherwise, when `field` is one of the current searcher's
    /// indexed fields, AddFieldText.
    virtual void MergeField(db::Field* field, QStringList& list);
    /// The first (last) accepted searcher, made current; null (and none current) when there
    /// is none.
    virtual TtsRankSearch* FirstSearcher();
    virtual TtsRankSearch* LastSearcher();
    /// The next accepted searcher above (below) the current index, made current; null (and
    /// none current) when there is none.
    virtual TtsRankSearch* NextSearcher();
    virtual TtsRankSearch* PriorSearcher();
    /// Adds "<label>: <text>" for string, number, logical, date, time and autoincrement
    /// fields, and "<label>:" followed by the text's lines for memo and formatted-memo
    /// fields (a formatted memo's rich text as its plain lines); other kinds add nothing.
    virtual void AddFieldText(db::Field* field, QStringList& list);

    /// The child at the current index when it is a rank search.
    TtsRankSearch* GetCurrentSearcher() const;
    int CurrentIndex() const { return m_current; }
    /// Sum of MatchCount over all accepted searchers (the current index stays).
    int GetMatchCount();
    /// Moves to the first match of the first searcher that has one; answers whether one did.
    bool FirstMatch();
    /// The next match of the current searcher, or else the first match of a following one.
    bool NextMatch();
    /// Conforms every accepted searcher to the master and runs its search.
    void ExecuteAll();
    /// Copies the master's settings into `searcher`, flag by flag of Conformity (nothing
    /// without a master or for the master itself).
    void Conform(TtsRankSearch* searcher);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TtsRankSearch* searcherAt(int index);
    TtsRankSearch* walk(int from, int step);

    TConformity m_conformity = kAllConformity;
    QStringList m_fieldNames;
    QPointer<TtsRankSearch> m_master;
    QPointer<TtsMatchMaker> m_matchMaker;
    int m_current = -1;
};
