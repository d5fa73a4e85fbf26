#pragma once

#include "platform/base/exception.h"

namespace format {

/// Codes carried by the conversion error and by the errors of the Try... routines, so that
/// callers can tell the kinds apart without reading the text.
enum ErrorCode {
    kInvalidDate = 1,      ///< text is not a date in the short date format
    kInvalidTime = 2,      ///< text is not a time
    kInvalidDateTime = 3,  ///< text is not a date, a time or a date and a time
    kInvalidFloat = 4,     ///< text is not a floating-point number
    kInvalidInteger = 5,   ///< text is not a decimal integer or is out of range
    kInvalidMask = 6,      ///< an edit mask cannot be read
    kInvalidValue = 7,     ///< a value cannot be formatted (no valid date, for example)
};

/// Thrown by the conversions that cannot answer a value (StrToDate, StrToFloat, StrToInt
/// and the others without "Try"): the text cannot be converted. The message quotes the text
/// ("'31/02/2024' is not a valid date"); Code() is one of ErrorCode.
class EConvertError : public base::Exception {
public:
    EConvertError(QString message, int code) : base::Exception(std::move(message), 0, code) {}
};

}  // namespace format
