#include "fulltext/search/ts_logic_search.h"

#include "fulltext/search/set_ops.h"
#include "fulltext/errors.h"
#include "platform/base/scope_exit.h"

#include <memory>
#include <vector>

namespace {

/// One item of the expression stack.
struct Item {
    enum Kind {
        Term,     ///< a term's text
        Match,    ///< the result is in the search's match set
        Stack,    ///< a result saved aside in `bits`
        Ignored,  ///< every word of the operand was ignored
    };
    Kind kind = Term;
    QString text;
    std::unique_ptr<TwbBits> bits;
};

}  // namespace

void TtsLogicSearch::SetTokens(const QStringList& tokens) {
    if (tokens.size() < 5) m_tokens = fulltext::DefaultTokens();
    else m_tokens = tokens.mid(0, 5);
}

void TtsLogicSearch::Execute() {
    m_smart = SearchLogic() == slSmart;
    if (m_smart) m_logic = slExpression;
    {
        base::ScopeExit always([&] {
            if (m_smart) m_logic = slSmart;
            m_smart = false;
        });
        TtsProximitySearch::Execute();
    }
}

void TtsLogicSearch::SearchText(const QString& text) {
    if (m_inExpression || m_logic != slExpression) {
        TtsProximitySearch::SearchText(text);
        return;
    }
    m_inExpression = true;
    const TSearchLogic saved = m_logic;
    {
        base::ScopeExit always([&] {
            m_logic = saved;
            m_inExpression = false;
        });
        fulltext::ExprCode code;
        bool hadOperator = false;
        bool plainWords = false;
        try {
            code = fulltext::CompileExpression(text, m_tokens, &hadOperator);
            m_errorPosition = 0;
            m_errorHadOperator = false;
        } catch (const EExpression& e) {
            m_errorPosition = e.Position();
            m_errorHadOperator = hadOperator;
            if (!(m_smart && e.ErrorCode() == fulltext::msgSyntaxError && !hadOperator)) throw;
            plainWords = true;
        }
        if (plainWords) {
            m_logic = slAnd;
            TtsProximitySearch::SearchText(text);
        } else {
            runCode(code);
        }
    }
}

void TtsLogicSearch::runCode(const fulltext::ExprCode& code) {
    std::vector<Item> stack;
    const auto& u = code.units;

    // A result in the match set below the operands is saved aside before the set is reused.
    auto saveMatchBelow = [&](std::size_t operands) {
        for (std::size_t i = 0; i + operands < stack.size(); ++i) {
            if (stack[i].kind != Item::Match) continue;
            stack[i].kind = Item::Stack;
            stack[i].bits = std::make_unique<TwbBits>(m_match.MaxBits());
            stack[i].bits->CopyFrom(&m_match);
        }
    };
    auto resultKind = [&] { return m_searched == 0 ? Item::Ignored : Item::Match; };

    std::size_t pc = 0;
    while (pc < u.size() && u[pc] != fulltext::opEnd && !Halted()) {
        const char16_t op = u[pc++];
        switch (op) {
        case fulltext::opTerm: {
            QString text;
            while (pc < u.size() && u[pc] != 0) text += QChar(u[pc++]);
            ++pc;
            FoldProc(text.data(), text.size());
            stack.push_back(Item{Item::Term, text, nullptr});
            break;
        }
        case fulltext::opAnd:
        case fulltext::opOr: {
            if (stack.size() < 2) throw EExpression(fulltext::msgSyntaxError, 0);
            const bool isAnd = op == fulltext::opAnd;
            Item r = std::move(stack.back());
            stack.pop_back();
            Item& l = stack.back();
            if (l.kind == Item::Stack) {
                if (r.kind != Item::Ignored) {
                    if (isAnd) fulltext::Intersect(m_match, *l.bits);
                    else fulltext::Unite(m_match, *l.bits);
                } else {
                    m_match.CopyFrom(l.bits.get());
                }
                l.bits.reset();
                l.kind = Item::Match;
                break;
            }
            m_logic = isAnd ? slAnd : slOr;
            if (r.kind == Item::Match || r.kind == Item::Ignored) std::swap(l, r);
            std::unique_ptr<TwbBits> left;
            if (l.kind == Item::Match) {
                // The match set is the left operand; kept aside in case the right one is
                // made only of ignored words, which must not wipe it out.
                left = std::make_unique<TwbBits>(m_match.MaxBits());
                left->CopyFrom(&m_match);
            } else {
                saveMatchBelow(1);
                if (isAnd) m_match.SetAllBits();
                else m_match.ClearAllBits();
            }
            if (r.kind != Item::Ignored) {
                const QString text = (l.kind == Item::Term ? l.text : QString()) + QLatin1Char(' ') + r.text;
                TtsProximitySearch::SearchText(text);
                if (m_searched == 0 && left) {
                    m_match.CopyFrom(left.get());
                    l.kind = Item::Match;
                } else {
                    l.kind = resultKind();
                }
                l.text.clear();
            }
            break;
        }
        case fulltext::opNot:
        case fulltext::opLike: {
            if (stack.empty()) throw EExpression(fulltext::msgSyntaxError, 0);
            Item& t = stack.back();
            if (t.kind == Item::Term) {
                saveMatchBelow(1);
                if (op == fulltext::opNot) m_match.ClearAllBits();
                else m_match.SetAllBits();
                m_logic = op == fulltext::opNot ? slNot : slLike;
                TtsProximitySearch::SearchText(t.text);
                t.kind = resultKind();
                t.text.clear();
            } else if (t.kind == Item::Match) {
                InvertMatch();
                t.kind = resultKind();
            }
            break;
        }
        case fulltext::opPhrase: {
            if (stack.empty()) throw EExpression(fulltext::msgSyntaxError, 0);
            saveMatchBelow(1);
            m_match.SetAllBits();
            m_logic = slPhrase;
            Item& t = stack.back();
            TtsProximitySearch::SearchText(t.text);
            t.kind = resultKind();
            t.text.clear();
            break;
        }
        case fulltext::opNear: {
            if (stack.size() < 2) throw EExpression(fulltext::msgSyntaxError, 0);
            Item r = std::move(stack.back());
            stack.pop_back();
            Item& l = stack.back();
            const QString text = l.text + QLatin1Char(' ') + r.text;
            saveMatchBelow(1);
            m_match.SetAllBits();
            m_logic = slNear;
            TtsProximitySearch::SearchText(text);
            l.kind = resultKind();
            l.text.clear();
            break;
        }
        case fulltext::opGroup:
        default:
            break;
        }
    }
    if (stack.size() == 1) {
        Item& last = stack.back();
        if (last.kind == Item::Term) {
            m_match.ClearAllBits();
            m_logic = slOr;
            TtsProximitySearch::SearchText(last.text);
        } else if (last.kind == Item::Stack) {
            m_match.CopyFrom(last.bits.get());
        }
    }
}
