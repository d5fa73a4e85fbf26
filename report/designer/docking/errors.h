#pragma once

#include "platform/base/exception.h"

// The exceptions of the dock framework.

namespace skiffrow {
enum ErrorCode {
    kInvalidOperation = 1,
    kPositionSaveError = 2,
};
}  // namespace skiffrow

/// An operation a dock, bar or toolbar refuses in its current state ("Tool windows must be
/// owned by a form", "Control is not a child of the toolbar", ...); the object is unchanged.
class EInvalidOperation : public base::Exception {
public:
    explicit EInvalidOperation(QString message) : base::Exception(std::move(message), 0, skiffrow::kInvalidOperation) {}
};

/// Bar positions cannot be saved: a bar is docked in a dock without a name.
class EToolWindowPositionError : public base::Exception {
public:
    explicit EToolWindowPositionError(QString message)
        : base::Exception(std::move(message), 0, skiffrow::kPositionSaveError) {}
};
