#include "fulltext/errors.h"

#include "platform/base/messages.h"

Q_LOGGING_CATEGORY(lcFulltext, "dossara.fulltext")

namespace fulltext {

namespace {

constexpr bool within(int code, ErrorRange range) { return code >= range.first && code <= range.last; }
constexpr bool before(ErrorRange a, ErrorRange b) { return a.last < b.first; }

// The ranges follow one another, and every code lies in its own range.
static_assert(before(kStringManagerCodes, kContainerCodes) && before(kContainerCodes, kContainerFileCodes) &&
              before(kContainerFileCodes, kWildcardCodes) && before(kWildcardCodes, kLinkCodes) &&
              before(kLinkCodes, kEngineMessages));
static_assert(within(srStringNotFound, kStringManagerCodes) && within(srInvalidResource, kStringManagerCodes));
static_assert(within(cxCompareUnassigned, kContainerCodes) && within(cxNodeClassNameDiffers, kContainerCodes));
static_assert(within(cxFileOpen, kContainerFileCodes) && within(cxFileWrite, kContainerFileCodes));
static_assert(within(wcSameWildcards, kWildcardCodes) && within(wcMaskTooLong, kWildcardCodes));
static_assert(within(tsIndexNames, kLinkCodes));
static_assert(within(msgCodeArrayFull, kEngineMessages) && within(msgLeadingWildcard, kEngineMessages));

}  // namespace

void DeclareEngineMessages() {
    static const bool declared = [] {
        base::DeclareMessages({
            {30464, "Code array full"},
            {30465, "Inconsistent Blob size"},
            {30466, "Reading beyond Eof"},
            {30467, "Blob already open"},
            {30468, "Large Blob created with 32 bit app"},
            {30469, "BlockSize should be less than or equal to SegmentSize"},
            {30470, "Decompress buffer too small"},
            {30471, "Capability not supported"},
            {30472, "Text dataset is closed"},
            {30473, "Words dataset is closed"},
            {30474, "Dataset not supported"},
            {30475, "Data type not supported"},
            {30476, "Dictionary invalidated"},
            {30477, "Invalid block size"},
            {30478, "Invalid field name"},
            {30479, "Invalid NetDataSet"},
            {30480, "Invalid parameter"},
            {30481, "Invalid Text DataSet"},
            {30482, "Invalid Words DataSet"},
            {30483, "Like not available"},
            {30484, "DataSet does not contain IndexFieldName"},
            {30485, "Missing parenthesis"},
            {30486, "Missing quote"},
            {30487, "Missing string"},
            {30488, "Cache not assigned"},
            {30489, "TextLink not assigned"},
            {30490, "WordsLink not assigned"},
            {30491, "No FieldNames specified"},
            {30492, "Missing IndexFieldName"},
            {30493, "Local Share must be True"},
            {30494, "Missing TableName"},
            {30495, "Properties not found"},
            {30496, "ReadOnly property"},
            {30497, "SQL Error"},
            {30498, "Syntax error"},
            {30499, "Table creation error"},
            {30500, "TableType not supported"},
            {30501, "Too many omit words"},
            {30502, "Reverse not available"},
            {30503, "BlockSize too small"},
            {30504, "Leading wildcard not supported"},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace fulltext

namespace {
QString engineText(int number) {
    fulltext::DeclareEngineMessages();
    return base::MessageText(number);
}
}  // namespace

ETessick::ETessick(int messageNumber) : base::Exception(engineText(messageNumber), 0, messageNumber) {}

EExpression::EExpression(int messageNumber, int position)
    : ECxException((fulltext::DeclareEngineMessages(), base::MessageText(messageNumber)), messageNumber),
      m_position(position) {}
