#pragma once

#include "fulltext/cx_strings.h"
#include "fulltext/search/ts_search.h"
#include "fulltext/errors.h"

#include <QString>
#include <QStringList>

namespace fulltext::testing {

/// The matching record numbers of the searcher's last run, in order and joined by spaces, or
/// "none".
inline QString MatchedRecords(const TtsSearch& searcher) {
    QStringList out;
    const TwbBits& bits = searcher.MatchBits();
    for (int b = bits.FirstSetBit(); b >= 0; b = bits.NextSetBit(b))
        out << QString::number(searcher.TextLink()->MinIndex() + b);
    return out.isEmpty() ? QStringLiteral("none") : out.join(u' ');
}

/// Runs `query` under `logic`: MatchedRecords, or "error N" for an engine or container error.
inline QString SearchAnswer(TtsSearch& searcher, TSearchLogic logic, const QString& query) {
    searcher.SetSearchLogic(logic);
    searcher.SetSearchFor(query);
    try {
        searcher.Execute();
    } catch (const ECxException& e) {
        return QStringLiteral("error %1").arg(e.ErrorCode());
    } catch (const ETessick& e) {
        return QStringLiteral("error %1").arg(e.ErrorCode());
    }
    return MatchedRecords(searcher);
}

}  // namespace fulltext::testing
