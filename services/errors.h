#pragma once

#include "platform/base/exception.h"

#include <QString>

/// A file or folder the file-system controls were given does not exist: message 42500
/// ("The %s file does not exist") for a file, 42501 ("The %s directory does not exist") for
/// a folder, formatted with the path; the number is the exception's code.
class EInOutError : public base::Exception {
public:
    EInOutError(int ident, const QString& path);
};

/// A failure of the line printer: a property changed while printing, a negative default
/// column width, or the printer refusing to begin, turn a page or finish.
class ELinePrinter : public base::Exception {
public:
    explicit ELinePrinter(const QString& message) : base::Exception(message) {}
};
