#pragma once

#include "fulltext/errors.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace fulltext {

/// Operators of the compiled form. A term is followed by its characters and a zero.
enum ExprOp : char16_t {
    opTerm = 1,
    opAnd = 2,
    opOr = 3,
    opNot = 4,
    opPhrase = 5,  ///< the term before it is a quoted phrase
    opNear = 6,
    opLike = 7,
    opGroup = 8,  ///< end of a parenthesised group (does nothing when run)
    opEnd = 255,
};

/// A compiled search expression: postfix code, one unit per operator, a term's characters
/// after its operator and a zero after them; ends with opEnd. At most kMaxCode units.
struct ExprCode {
    static constexpr int kMaxCode = 1024;
    std::vector<char16_t> units;
    /// True when an operator other than a term was emitted.
    bool hasOperator = false;
};

/// The five keywords in their order: AND, OR, NOT, LIKE, NEAR.
QStringList DefaultTokens();

/// Compiles `source` (trimmed, one line) with `tokens` (the five keywords, compared without
/// regard to case). Grammar:
///
///     Expression = NotTerm { (AND | OR) NotTerm [NEAR Term] | NEAR Term }
///     NotTerm    = NOT Unary | Unary
///     Unary      = LIKE Term | Primary
///     Primary    = quoted text | Factor
///     Factor     = "(" Expression ")" | Term
///
/// AND and OR bind from the left with equal precedence; NEAR binds the plain term before it
/// to the term after it. A keyword is recognised only when the end, a blank or "(" follows
/// it. Terms and quoted texts hold at most 256 characters.
///
/// Raises EExpression on failure; `hasOperator` (when given) tells whether an operator had
/// been produced by then.
ExprCode CompileExpression(const QString& source, const QStringList& tokens, bool* hasOperator = nullptr);

/// The canonical text of compiled code: the operators in order, separated by blanks; a term
/// as "[TEXT]", the others as AND, OR, NOT, PHRASE, NEAR, LIKE and GROUP.
QString CodeText(const ExprCode& code);

}  // namespace fulltext
