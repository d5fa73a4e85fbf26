#pragma once

#include "fulltext/search/ts_basic_search.h"
#include "fulltext/search/ts_expression.h"

#include <QStringList>

/// Adds the Boolean search language: with SearchLogic slExpression (or slSmart) SearchFor is
/// compiled (see CompileExpression) and its code run on a stack whose items are terms and
/// results, each operator carried out by the searches below.
///
/// After a failed compilation ErrorPosition() tells where the scanner stood (1-based); it is
/// 0 after a successful one. slSmart runs as slExpression, except that a plain list of words
/// (a syntax error before any operator) is searched as slAnd.
class TtsLogicSearch : public TtsProximitySearch {
    Q_OBJECT
public:
    using TtsProximitySearch::TtsProximitySearch;

    /// The five keywords by position: AND, OR, NOT, LIKE, NEAR.
    const QStringList& Tokens() const { return m_tokens; }
    /// Fewer than five words (or none) restore the defaults.
    void SetTokens(const QStringList& tokens);

    int ErrorPosition() const { return m_errorPosition; }
    /// Whether the failed compilation had produced an operator.
    bool ErrorHadOperator() const { return m_errorHadOperator; }

    void Execute() override;

protected:
    void SearchText(const QString& text) override;

private:
    void runCode(const fulltext::ExprCode& code);

    QStringList m_tokens = fulltext::DefaultTokens();
    int m_errorPosition = 0;
    bool m_errorHadOperator = false;
    bool m_smart = false;
    bool m_inExpression = false;
};
