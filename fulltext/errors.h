#pragma once

#include "platform/base/exception.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(lcFulltext)

// Exceptions of the full-text engine and its container library, one line each on when they
// are thrown. Every one carries a code (base::Exception::Code(), also ErrorCode()); the codes
// of the area do not overlap (see fulltext::ErrorRange below):
//
// - ECxException: base of the container library's failures; a file a container cannot open,
//   create or write (codes cxFileOpen, cxFileCreate, cxFileWrite).
// - ECxContainerError: a container failure (codes 51..62), text from CORVEX_STRINGS_ENGLISH.
// - ECxsStringResourceError: a string resource that cannot be found, opened or read (codes
//   1..5), text from CXSRMGR_STRINGS.
// - ETessick: an engine failure; the code is the message number 30464..30504 and the message
//   the text declared for that number.
// - EExpression: a search expression that cannot be compiled or run; the code is one of the
//   engine's message numbers (30464, 30485..30487, 30498), with the position in the text.
// - EWildCard: a wildcard mask that cannot be built (codes wcSameWildcards, wcMaskTooLong).
// - EIndexNames: the index definitions of a record table cannot be read to list its indexes
//   ("Could not update index names", code tsIndexNames).

namespace fulltext {

/// Message numbers of the engine's texts (ETessick, EExpression).
enum Msg : int {
    msgCodeArrayFull = 30464,
    msgInconsistentBlobSize = 30465,
    msgReadingBeyondEof = 30466,
    msgBlobAlreadyOpen = 30467,
    msgLargeBlob32 = 30468,
    msgBlockSizeVsSegmentSize = 30469,
    msgDecompressBufferTooSmall = 30470,
    msgCapabilityNotSupported = 30471,
    msgTextDatasetClosed = 30472,
    msgWordsDatasetClosed = 30473,
    msgDatasetNotSupported = 30474,
    msgDataTypeNotSupported = 30475,
    msgDictionaryInvalidated = 30476,
    msgInvalidBlockSize = 30477,
    msgInvalidFieldName = 30478,
    msgInvalidNetDataSet = 30479,
    msgInvalidParameter = 30480,
    msgInvalidTextDataSet = 30481,
    msgInvalidWordsDataSet = 30482,
    msgLikeNotAvailable = 30483,
    msgDataSetLacksIndexField = 30484,
    msgMissingParenthesis = 30485,
    msgMissingQuote = 30486,
    msgMissingString = 30487,
    msgCacheNotAssigned = 30488,
    msgTextLinkNotAssigned = 30489,
    msgWordsLinkNotAssigned = 30490,
    msgNoFieldNames = 30491,
    msgMissingIndexFieldName = 30492,
    msgLocalShare = 30493,
    msgMissingTableName = 30494,
    msgPropertiesNotFound = 30495,
    msgReadOnlyProperty = 30496,
    msgSqlError = 30497,
    msgSyntaxError = 30498,
    msgTableCreationError = 30499,
    msgTableTypeNotSupported = 30500,
    msgTooManyOmitWords = 30501,
    msgReverseNotAvailable = 30502,
    msgBlockSizeTooSmall = 30503,
    msgLeadingWildcard = 30504,
};

/// Codes of the container library and of the engine's failures that have no message number.
enum Code : int {
    // the string manager's own messages (CXSRMGR_STRINGS)
    srStringNotFound = 1,
    srCannotLock = 2,
    srResourceNotFound = 3,
    srCannotOpen = 4,
    srInvalidResource = 5,
    // the container library's messages (CORVEX_STRINGS_ENGLISH)
    cxCompareUnassigned = 51,
    cxIncompatibleClass = 52,
    cxBadSize = 53,
    cxDuplicateNode = 54,
    cxUnregisteredClass = 57,
    cxUnregisteredNodeClass = 58,
    cxStoreDataUnassigned = 59,
    cxLoadDataUnassigned = 60,
    cxClassNameDiffers = 61,
    cxNodeClassNameDiffers = 62,
    // container files
    cxFileOpen = 70,
    cxFileCreate = 71,
    cxFileWrite = 72,
    // wildcard masks
    wcSameWildcards = 80,
    wcMaskTooLong = 81,
    // record table links
    tsIndexNames = 90,
};

/// The ranges the codes above and the message numbers keep to; no two overlap.
struct ErrorRange {
    int first;
    int last;
};
inline constexpr ErrorRange kStringManagerCodes{1, 5};
inline constexpr ErrorRange kContainerCodes{51, 62};
inline constexpr ErrorRange kContainerFileCodes{70, 72};
inline constexpr ErrorRange kWildcardCodes{80, 81};
inline constexpr ErrorRange kLinkCodes{90, 90};
inline constexpr ErrorRange kEngineMessages{30464, 30504};

/// Declares the texts 30464..30504 with the program's numbered messages (idempotent; every
/// ETessick does it before it looks its text up).
void DeclareEngineMessages();

}  // namespace fulltext

class ECxException : public base::Exception {
public:
    ECxException(const QString& message, int errorCode) : base::Exception(message, 0, errorCode) {}
    int ErrorCode() const { return Code(); }
};

class ECxContainerError : public ECxException {
public:
    explicit ECxContainerError(int id, const QStringList& args = {});
};

class ECxsStringResourceError : public base::Exception {
public:
    explicit ECxsStringResourceError(int id, const QStringList& args = {});
    /// With the text given: for a failure of the string manager's own table, which cannot
    /// report through itself.
    static ECxsStringResourceError WithText(int id, const QString& message) {
        return ECxsStringResourceError(message, id);
    }
    int ErrorCode() const { return Code(); }

private:
    ECxsStringResourceError(const QString& message, int id) : base::Exception(message, 0, id) {}
};

class ETessick : public base::Exception {
public:
    explicit ETessick(int messageNumber);
    int ErrorCode() const { return Code(); }
};

/// A search expression that cannot be compiled: ErrorCode() is the message number (30464
/// "Code array full", 30485 "Missing parenthesis", 30486 "Missing quote", 30487 "Missing
/// string", 30498 "Syntax error") and Position() the 1-based character index where the
/// scanner stood (0 when the failure has no position).
class EExpression : public ECxException {
public:
    EExpression(int messageNumber, int position);
    int Position() const { return m_position; }

private:
    int m_position;
};

class EWildCard : public base::Exception {
public:
    EWildCard(const QString& message, int code) : base::Exception(message, 0, code) {}
    int ErrorCode() const { return Code(); }
};

class EIndexNames : public base::Exception {
public:
    EIndexNames() : base::Exception(QStringLiteral("Could not update index names"), 0, fulltext::tsIndexNames) {}
};
