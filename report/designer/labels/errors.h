#pragma once

#include "platform/base/exception.h"

// The exceptions of the label stocks.

namespace labels {
enum ErrorCode {
    kInvalidDefinition = 1,
};
}  // namespace labels

/// A label-stock definition cannot be read: fewer or more items than its columns promise,
/// more columns than a definition holds, or a definition number outside its set. Nothing
/// of the definition is taken.
class ELabelDefinitionError : public base::Exception {
public:
    explicit ELabelDefinitionError(QString message)
        : base::Exception(std::move(message), 0, labels::kInvalidDefinition) {}
};
