#pragma once

#include "platform/base/exception.h"

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcFulltext)

/// Exceptions of the full-text engine, one line each on when they are thrown:
/// - ETessick: an engine failure; Code() (and ErrorCode()) is the message number 30464..30504,
///   the message is the text declared for that number.
/// - EWildCard: a wildcard mask that cannot be built ("AnyChar = OneChar", "Mask Length too long").

class ETessick : public base::Exception {
public:
    explicit ETessick(int messageNumber);
    int ErrorCode() const { return Code(); }
};

class EWildCard : public base::Exception {
public:
    explicit EWildCard(const QString& message) : base::Exception(message) {}
};

namespace fulltext {

/// Message numbers of the engine's texts.
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

/// Declares the texts 30464..30504 with the program's numbered messages (idempotent; every
/// ETessick does it before it looks its text up).
void DeclareEngineMessages();

}  // namespace fulltext
