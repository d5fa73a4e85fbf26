#pragma once

#include "fulltext/search/ts_search.h"
#include "fulltext/ts_base.h"

#include "platform/db/table.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

/// Names a result dataset and its fields for the matches of a searcher: which fields to
/// fill, how many matches at most, the field that takes the rank, and limits of time and
/// transaction size. It holds settings only; it forgets a dataset or searcher that goes away.
class TtsMatchMaker : public TtsBase {
    Q_OBJECT
public:
    using TAcceptRecordEvent = std::function<bool(QObject* sender)>;

    explicit TtsMatchMaker(QObject* owner = nullptr);
    ~TtsMatchMaker() override;

    db::Table* DataSet() const { return m_dataSet; }
    void SetDataSet(db::Table* dataSet) { m_dataSet = dataSet; }
    const QStringList& FieldNames() const { return m_fieldNames; }
    void SetFieldNames(const QStringList& names) { m_fieldNames = names; }
    /// Matches at most (default 25); negative values are ignored.
    int MatchLimit() const { return m_matchLimit; }
    void SetMatchLimit(int n);
    /// Default "Rank"; an empty name restores it.
    const QString& RankFieldName() const { return m_rankFieldName; }
    void SetRankFieldName(const QString& name);
    TtsRankSearch* Searcher() const { return m_searcher; }
    void SetSearcher(TtsRankSearch* searcher) { m_searcher = searcher; }
    /// Milliseconds (0: none); negative values are ignored.
    int TimeLimit() const { return m_timeLimit; }
    void SetTimeLimit(int ms);
    /// Rows per transaction (0: one transaction); negative values are ignored.
    int Transactions() const { return m_transactions; }
    void SetTransactions(int n);

    TAcceptRecordEvent OnAcceptRecord;
    /// The OnAcceptRecord answer; true when it is not assigned.
    virtual bool AcceptRecord();

private:
    QPointer<db::Table> m_dataSet;
    QStringList m_fieldNames;
    int m_matchLimit = 25;
    QString m_rankFieldName = QStringLiteral("Rank");
    QPointer<TtsRankSearch> m_searcher;
    int m_timeLimit = 0;
    int m_transactions = 0;
};
