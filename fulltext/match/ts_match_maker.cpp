#include "fulltext/match/ts_match_maker.h"

TtsMatchMaker::TtsMatchMaker(QObject* owner) : TtsBase(owner) {}

TtsMatchMaker::~TtsMatchMaker() { AnnounceRemoval(); }

void TtsMatchMaker::SetMatchLimit(int n) {
    if (n >= 0) m_matchLimit = n;
}

void TtsMatchMaker::SetRankFieldName(const QString& name) {
    m_rankFieldName = name.isEmpty() ? QStringLiteral("Rank") : name;
}

void TtsMatchMaker::SetTimeLimit(int ms) {
    if (ms >= 0) m_timeLimit = ms;
}

void TtsMatchMaker::SetTransactions(int n) {
    if (n >= 0) m_transactions = n;
}

bool TtsMatchMaker::AcceptRecord() { return OnAcceptRecord ? OnAcceptRecord(this) : true; }
