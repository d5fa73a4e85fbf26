#pragma once

#include "fulltext/ts_base.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

/// The link through which an engine walks the record table. Records are numbered by an
/// integer key; MinIndex()..MaxIndex() is the range of numbers in use.
class TtsTextLink : public TtsBase {
    Q_OBJECT
public:
    using TtsBase::TtsBase;

    virtual int MinIndex() = 0;
    virtual int MaxIndex() = 0;
    /// MaxIndex() - MinIndex().
    int RecordRange() { return MaxIndex() - MinIndex(); }
};

/// The link through which an engine reads and writes the word table: one row per word (and
/// segment) holding the word's stored record set, and one properties row holding the index
/// property stream. Row operations work on the current row.
class TtsWordsLink : public TtsBase {
    Q_OBJECT
public:
    using TtsBase::TtsBase;

    /// Size of the word field in characters.
    virtual int WordFieldSize() const = 0;
    /// True when the word table keeps one row per word and segment.
    virtual bool Segmented() const = 0;

    /// Moves to the row of (word, segment); on an unsegmented table, or with a negative
    /// segment, to the first row of the word. Answers whether it was found.
    virtual bool Locate(QStringView word, int segment) = 0;
    virtual bool EndOfTable() const = 0;
    virtual void Next() = 0;
    virtual QString CurrentWord() const = 0;
    virtual int Segment() const = 0;

    virtual void Append() = 0;
    virtual void Edit() = 0;
    virtual void Post() = 0;
    virtual void SetWord(QStringView word) = 0;
    virtual void SetSegment(int segment) = 0;
    virtual void SetCount(int count) = 0;
    virtual void SetLikeKey(QStringView key) = 0;
    /// Stores the record set of the current row (its stored form, `length` bytes).
    virtual void WriteSet(const std::uint8_t* data, int length) = 0;
    /// Reads the current row's stored set into `buffer` (room for `capacity` bytes) and
    /// answers its length. Raises ETessick 30470 when it does not fit and 30465 when the
    /// row's parts disagree with its recorded size.
    virtual int ReadSet(std::uint8_t* buffer, int capacity) = 0;

    /// The index property stream kept in the properties row (empty when there is none).
    virtual QByteArray ReadPropertiesStream() = 0;
    virtual void WritePropertiesStream(const QByteArray& data) = 0;
};
