#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <functional>

/// Matches texts against a mask with a many-characters and a one-character wildcard.
/// The mask is normalised once: runs of the many-characters wildcard collapse into one and,
/// when case does not matter, the mask is upper-cased. Texts longer than 255 characters are
/// matched on their first 255.
class TWildMatcher {
public:
    /// Raises EWildCard "AnyChar = OneChar" when the two wildcards are equal and
    /// "Mask Length too long" for a mask of more than 127 characters.
    TWildMatcher(const QString& mask, QChar anyChar, QChar oneChar, bool caseSensitive);

    bool Matches(QStringView text) const;
    const QString& NormalisedMask() const { return m_mask; }

private:
    QString m_mask;
    QChar m_any;
    QChar m_one;
    bool m_caseSensitive;
};

namespace fulltext {

/// Decodes caret notation: "^" + a character "A".."_" is that character's code minus 64,
/// except "^^", which is "^"; any other "^" stands for itself.
QString CaretDecode(QStringView text);
/// Encodes caret notation: "^" as "^^", characters below 32 as "^" + (code + 64).
QString CaretEncode(QStringView text);

/// The five-character sounds-like key of a word ("00000" for words shorter than two).
QString SoundsLikeKey(QStringView word);

/// The text form of binary data for character fields: each 3 bytes become 4 characters of
/// 6 bits each, a value v written as v + 32 except 0, written as "`". A short last group is
/// padded with zero bytes.
QString EncodeBinary(const QByteArray& data);
/// Number of characters EncodeBinary makes of `byteCount` bytes.
constexpr qsizetype EncodedLength(qsizetype byteCount) { return ((4 * byteCount / 3) + 3) & ~qsizetype(3); }
/// Decodes exactly `byteCount` bytes (missing characters read as 0).
QByteArray DecodeBinary(QStringView text, qsizetype byteCount);

/// The text with its characters in reverse order (a surrogate pair stays in order).
QString Reversed(QStringView text);
/// The part of `text` before its first character that is in `stopChars`.
QString LeadingPart(QStringView text, QStringView stopChars);
/// A file name without its folder and without everything from its first full stop.
QString BareFileName(const QString& path);

/// Sorts `count` elements of `size` bytes each in place with a quicksort (middle pivot).
void QuickSort(void* base, std::size_t count, std::size_t size,
               const std::function<int(const void*, const void*)>& compare);

}  // namespace fulltext
