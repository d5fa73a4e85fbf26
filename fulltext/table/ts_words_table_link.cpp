#include "fulltext/table/ts_words_table_link.h"

#include "fulltext/table/dataset_drivers.h"
#include "fulltext/table/index_rebuild.h"
#include "fulltext/table/word_table_files.h"
#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"
#include "fulltext/ts_text.h"

#include "platform/base/scope_exit.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"

#include <QDir>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

const QString kWord = QStringLiteral("tsWord");
const QString kSegment = QStringLiteral("tsSegment");
const QString kReverse = QStringLiteral("tsReverse");
const QString kCount = QStringLiteral("tsCount");
const QString kLike = QStringLiteral("tsLike");
const QString kSize = QStringLiteral("tsSize");
const QString kBytes = QStringLiteral("tsBytes");
const QString kChar = QStringLiteral("tsChar");
const QString kBlob = QStringLiteral("tsBlob");

/// The table layer keeps a BLOB's declared inline size within 0..240 and bytes fields
/// within 1..255.
constexpr int kMaxBlobInline = 240;
constexpr int kMaxBytesField = 255;

}  // namespace

TtsWordsDataSetLink::TtsWordsDataSetLink(QObject* owner) : TtsWordsLink(owner) {
    m_notifyMask = m_notifyMask.With(TEngineState::esWrite);
}

TtsWordsDataSetLink::~TtsWordsDataSetLink() {
    AnnounceRemoval();
    if (m_building) abandonBuild();
}

QString TtsWordsDataSetLink::PropertiesWord() {
    return QString(QChar(127)) + QChar(127) + QStringLiteral("Properties") + QChar(127) + QChar(127);
}

QString TtsWordsDataSetLink::PendingWord() {
    return QString(QChar(127)) + QChar(127) + QStringLiteral("Pending") + QChar(127) + QChar(127);
}

// ---- layout ----

void TtsWordsDataSetLink::checkLayoutWritable() const {
    if (!m_layoutWritable) throw ETessick(fulltext::msgReadOnlyProperty);
}

void TtsWordsDataSetLink::SetWordFieldSize(int n) {
    checkLayoutWritable();
    if (n >= 5 && n <= 40) m_wordFieldSize = n;
}

void TtsWordsDataSetLink::SetLikeFieldSize(int n) {
    checkLayoutWritable();
    if (n >= 0 && n <= 40) m_likeFieldSize = n;
}

void TtsWordsDataSetLink::SetBlobFieldSize(int n) {
    checkLayoutWritable();
    if (n != 0 && (n < 24 || n > 1024)) return;
    m_blobFieldSize = n;
    if (n) m_bytesFieldSize = m_charFieldSize = 0;
}

void TtsWordsDataSetLink::SetBytesFieldSize(int n) {
    checkLayoutWritable();
    if (n != 0 && (n < 24 || n > 1024)) return;
    m_bytesFieldSize = n;
    if (n) m_blobFieldSize = m_charFieldSize = 0;
}

void TtsWordsDataSetLink::SetCharFieldSize(int n) {
    checkLayoutWritable();
    if (n != 0 && (n < 32 || n > 252)) return;
    m_charFieldSize = n & ~3;
    if (n) m_blobFieldSize = m_bytesFieldSize = 0;
}

void TtsWordsDataSetLink::SetReverseField(bool on) {
    checkLayoutWritable();
    m_reverseField = on;
}

void TtsWordsDataSetLink::SetTransactions(int n) {
    if (n >= 0) m_transactions = n;
}

void TtsWordsDataSetLink::SetTable(db::Table* table) {
    if (m_table == table) return;
    if (table) fulltext::DatasetDriverFor(table);  // 30474 for a dataset no driver serves
    resetBindings();
    m_table = table;
}

// ---- definitions ----

db::IndexDef TtsWordsDataSetLink::WordIndex() const {
    // The table layer's primary index has no name; it is the word key.
    return db::IndexDef{QString(), m_segmented ? kWord + kFieldSeparator + kSegment : kWord,
                        db::IndexOptions(db::IndexOption::ixPrimary) | db::IndexOption::ixUnique};
}

db::IndexDef TtsWordsDataSetLink::LikeIndex() const {
    return db::IndexDef{kLike, kLike + kFieldSeparator + kWord, {}};
}

db::IndexDef TtsWordsDataSetLink::ReverseIndex() const {
    return db::IndexDef{kReverse, kReverse, {}};
}

db::TableDef TtsWordsDataSetLink::FieldDefinitions(bool segmented) const {
    using db::FieldType;
    db::TableDef def;
    def.Fields.push_back({kWord, FieldType::ftString, m_wordFieldSize, true});
    if (segmented) def.Fields.push_back({kSegment, FieldType::ftSmallint, 0, true});
    if (m_reverseField) def.Fields.push_back({kReverse, FieldType::ftString, m_wordFieldSize, false});
    def.Fields.push_back({kCount, FieldType::ftInteger, 0, false});
    if (m_likeFieldSize > 0) def.Fields.push_back({kLike, FieldType::ftString, m_likeFieldSize, false});
    def.Fields.push_back({kSize, FieldType::ftInteger, 0, false});
    if (m_bytesFieldSize > 0)
        def.Fields.push_back({kBytes, FieldType::ftBytes, std::min(m_bytesFieldSize, kMaxBytesField), false});
    if (m_charFieldSize > 0) def.Fields.push_back({kChar, FieldType::ftString, m_charFieldSize, false});
    def.Fields.push_back({kBlob, FieldType::ftBlob, std::min(m_blobFieldSize, kMaxBlobInline), false});
    return def;
}

void TtsWordsDataSetLink::CreateTable() {
    checkTable();
    const fulltext::DatasetDriver driver = fulltext::DatasetDriverFor(m_table);
    resetBindings();
    try {
        driver.ResetTable(*m_table, true);
    } catch (const db::EDBEngineError& e) {
        qCWarning(lcFulltext) << "Dropping the word table failed:" << e.Message();
        throw ETessick(fulltext::msgTableCreationError);
    }
    const db::TableDef def = FieldDefinitions(m_segmented);
    m_table->FieldDefs() = def.Fields;
    m_table->IndexDefs().clear();
    m_wordIndexAdded = false;
    if (ParamBool(QStringLiteral("AddWordIndexAtStart"), false)) {
        m_table->IndexDefs().push_back(WordIndex());
        m_wordIndexAdded = true;
    }
    try {
        driver.CreateTable(*m_table);
    } catch (const db::EDBEngineError& e) {
        qCWarning(lcFulltext) << "Creating the word table failed:" << e.Message();
        throw ETessick(fulltext::msgTableCreationError);
    }
}

// ---- opening ----

void TtsWordsDataSetLink::checkTable() const {
    if (!m_table) throw ETessick(fulltext::msgInvalidWordsDataSet);
}

bool TtsWordsDataSetLink::IsActive() const { return m_table && m_table->Active(); }

void TtsWordsDataSetLink::Open() {
    checkTable();
    if (!m_table->Active()) {
        if (!m_building) fulltext::RecoverWordTable(m_table->Folder(), m_table->TableName());
        m_table->Open();
        resetBindings();
    }
    if (!m_fWord) bindFields();
}

void TtsWordsDataSetLink::Close() {
    if (m_inTransaction) Commit();
    if (m_table) m_table->Close();
    resetBindings();
}

void TtsWordsDataSetLink::resetBindings() {
    m_rows.reset();
    m_insert.reset();
    m_pending.reset();
    m_insertKey.clear();
    m_insertValues.clear();
    m_fWord = m_fSegment = m_fReverse = m_fCount = m_fLike = m_fSize = m_fBytes = m_fChar = m_fBlob = nullptr;
    m_reverseBound = false;
    m_keyKind = kkNone;
}

void TtsWordsDataSetLink::bindFields() {
    m_fWord = m_table->FindField(kWord);
    m_fSegment = m_table->FindField(kSegment);
    m_fReverse = m_table->FindField(kReverse);
    m_fCount = m_table->FindField(kCount);
    m_fLike = m_table->FindField(kLike);
    m_fSize = m_table->FindField(kSize);
    m_fBytes = m_table->FindField(kBytes);
    m_fChar = m_table->FindField(kChar);
    m_fBlob = m_table->FindField(kBlob);
    if (!m_fWord || !m_fCount || !m_fSize || !m_fBlob) {
        resetBindings();
        throw ETessick(fulltext::msgInvalidWordsDataSet);
    }
    m_wordFieldSize = m_fWord->Size();
    m_likeFieldSize = m_fLike ? m_fLike->Size() : 0;
    m_bytesFieldSize = m_fBytes ? m_fBytes->Size() : 0;
    m_charFieldSize = m_fChar ? m_fChar->Size() : 0;
    m_blobFieldSize = m_bytesFieldSize || m_charFieldSize ? 0 : m_fBlob->Size();
    m_segmented = m_fSegment != nullptr;
    m_reverseBound = m_fReverse != nullptr;
    m_reverseField = m_reverseBound;
    m_likeIndexName.clear();
    if (m_fLike && hasIndexOver(LikeIndex().Fields)) m_likeIndexName = LikeIndex().Name;
}

bool TtsWordsDataSetLink::hasIndexOver(const QString& fields) const {
    const QStringList wanted = fields.split(kFieldSeparator);
    for (const db::IndexDef& ix : m_table->Definition().Indexes) {
        const QStringList have = ix.FieldList();
        if (have.size() != wanted.size()) continue;
        bool same = true;
        for (qsizetype i = 0; same && i < have.size(); ++i) same = have[i].compare(wanted[i], Qt::CaseInsensitive) == 0;
        if (same) return true;
    }
    return false;
}

void TtsWordsDataSetLink::SetKeyKind(int kind) {
    Open();
    switch (kind) {
    case kkWord:
        if (!m_table->IndexName().isEmpty() || !m_table->IndexFieldNames().isEmpty()) m_table->SetIndexName(QString());
        break;
    case kkLike:
        if (!m_fLike || m_likeIndexName.isEmpty()) throw ETessick(fulltext::msgLikeNotAvailable);
        if (m_table->IndexName() != m_likeIndexName) m_table->SetIndexName(m_likeIndexName);
        break;
    case kkReverse:
        if (!m_fReverse || !hasIndexOver(kReverse)) throw ETessick(fulltext::msgReverseNotAvailable);
        if (m_table->IndexName() != ReverseIndex().Name) m_table->SetIndexName(ReverseIndex().Name);
        break;
    default:
        throw ETessick(fulltext::msgInvalidParameter);
    }
    m_keyKind = kind;
}

// ---- navigation ----

bool TtsWordsDataSetLink::Locate(QStringView word, int segment) {
    Open();
    if (m_segmented && segment >= 0)
        return m_table->Locate(kWord + kFieldSeparator + kSegment, {word.toString(), segment});
    return m_table->Locate(kWord, {word.toString()});
}

void TtsWordsDataSetLink::skipPropertiesForward() {
    while (!m_table->Eof() && m_fSize->AsInteger() == 0) m_table->Next();
}

void TtsWordsDataSetLink::skipPropertiesBackward() {
    while (!m_table->Bof() && m_fSize->AsInteger() == 0) m_table->Prior();
}

void TtsWordsDataSetLink::PartialLookup(const QString& prefix, QChar wildcard) {
    Open();
    if (m_keyKind == kkNone) SetKeyKind(kkWord);
    qsizetype cut = prefix.size();
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (prefix[i] == QChar(1) || (!wildcard.isNull() && prefix[i] == wildcard)) {
            cut = i;
            break;
        }
    }
    if (cut == 0) {
        First();
        return;
    }
    m_table->FindNearest({prefix.left(cut)});
    if (!m_table->Eof()) skipPropertiesForward();
}

void TtsWordsDataSetLink::First() {
    Open();
    m_table->First();
    skipPropertiesForward();
}

void TtsWordsDataSetLink::Next() {
    m_table->Next();
    skipPropertiesForward();
}

void TtsWordsDataSetLink::Prior() {
    m_table->Prior();
    skipPropertiesBackward();
}

bool TtsWordsDataSetLink::EndOfTable() const { return !m_table || !m_table->Active() || m_table->Eof(); }

bool TtsWordsDataSetLink::BeginningOfTable() const { return !m_table || !m_table->Active() || m_table->Bof(); }

// ---- current row ----

QString TtsWordsDataSetLink::CurrentWord() const { return m_fWord ? m_fWord->AsString() : QString(); }

int TtsWordsDataSetLink::Segment() const { return m_fSegment ? m_fSegment->AsInteger() : 0; }

int TtsWordsDataSetLink::Count() const { return m_fCount ? m_fCount->AsInteger() : 0; }

QString TtsWordsDataSetLink::LikeKey() const { return m_fLike ? m_fLike->AsString() : QString(); }

QString TtsWordsDataSetLink::ReversedWord() const { return m_fReverse ? m_fReverse->AsString() : QString(); }

int TtsWordsDataSetLink::Size() const { return m_fSize ? m_fSize->AsInteger() : 0; }

int TtsWordsDataSetLink::ReadSet(std::uint8_t* buffer, int capacity) {
    if (!m_fSize) throw ETessick(fulltext::msgWordsDatasetClosed);
    QVariant inlined;
    if (m_fBytes && m_bytesFieldSize > 0) inlined = m_fBytes->AsBytes();
    else if (m_fChar && m_charFieldSize > 0) inlined = m_fChar->AsString();
    return readStored(m_fSize->AsInteger(), inlined, m_fBlob->AsBytes(), buffer, capacity);
}

int TtsWordsDataSetLink::readStored(int length, const QVariant& inlinePart, const QByteArray& rest, std::uint8_t* buffer,
                                    int capacity) {
    if (length < 0) throw ETessick(fulltext::msgInconsistentBlobSize);
    if (length > capacity) throw ETessick(fulltext::msgDecompressBufferTooSmall);
    int inlined = 0;
    if (m_fBytes && m_bytesFieldSize > 0) {
        inlined = std::min(m_bytesFieldSize, length);
        const QByteArray bytes = inlinePart.typeId() == QMetaType::QString ? inlinePart.toString().toUtf8() : inlinePart.toByteArray();
        if (bytes.size() < inlined) throw ETessick(fulltext::msgInconsistentBlobSize);
        std::memcpy(buffer, bytes.constData(), std::size_t(inlined));
    } else if (m_fChar && m_charFieldSize > 0) {
        inlined = std::min(m_charFieldSize * 3 / 4, length);
        const QByteArray bytes = fulltext::DecodeBinary(inlinePart.toString(), inlined);
        std::memcpy(buffer, bytes.constData(), std::size_t(inlined));
    }
    if (rest.size() != length - inlined) throw ETessick(fulltext::msgInconsistentBlobSize);
    if (!rest.isEmpty()) std::memcpy(buffer + inlined, rest.constData(), std::size_t(rest.size()));
    ++m_rowsRead;
    return length;
}

std::vector<std::pair<QString, int>> TtsWordsDataSetLink::WordList(const QString& word, int before, int after) {
    std::vector<std::pair<QString, int>> list;
    SetKeyKind(kkWord);
    if (before > 0) {
        // Walk back from the first row at or after the word; rows of one word lie together.
        PartialLookup(word);
        bool onRow;
        if (m_table->Eof()) {
            m_table->Last();
            onRow = !m_table->Bof();
        } else {
            m_table->Prior();
            onRow = !m_table->Bof();
        }
        std::vector<std::pair<QString, int>> earlier;
        while (onRow) {
            if (m_fSize->AsInteger() != 0) {
                const QString w = CurrentWord();
                if (w < word) {
                    if (!earlier.empty() && earlier.back().first == w) earlier.back().second += Count();
                    else if (int(earlier.size()) < before) earlier.push_back({w, Count()});
                    else break;
                }
            }
            m_table->Prior();
            onRow = !m_table->Bof();
        }
        list.assign(earlier.rbegin(), earlier.rend());
    }
    if (after > 0) {
        PartialLookup(word);
        int taken = 0;
        while (!m_table->Eof()) {
            const QString w = CurrentWord();
            if (taken > 0 && list.back().first == w) {
                list.back().second += Count();
            } else {
                if (taken == after) break;
                list.push_back({w, Count()});
                ++taken;
            }
            Next();
        }
    }
    return list;
}

// ---- writing ----

void TtsWordsDataSetLink::Append() {
    Open();
    m_table->Append();
}

void TtsWordsDataSetLink::Edit() { m_table->Edit(); }

void TtsWordsDataSetLink::Cancel() {
    if (m_table) m_table->Cancel();
}

void TtsWordsDataSetLink::countWrite() {
    if (m_transactions > 0 && m_inTransaction && ++m_transactionCounter >= m_transactions) {
        Commit();
        StartTransaction();
    }
}

void TtsWordsDataSetLink::Post() {
    const bool inserting = m_table->State() == db::DataSetState::dsInsert;
    m_table->Post();
    countPost(inserting);
}

void TtsWordsDataSetLink::countPost(bool inserted) {
    ++m_rowsWritten;
    ++(inserted ? m_rowsInserted : m_rowsEdited);
    if (AfterPost) AfterPost(this);
    countWrite();
}

void TtsWordsDataSetLink::Delete() {
    m_table->Delete();
    ++m_rowsDeleted;
    countWrite();
}

void TtsWordsDataSetLink::SetWord(QStringView word) {
    m_fWord->SetAsString(word.toString());
    if (m_fReverse) m_fReverse->SetAsString(fulltext::Reversed(word));
}

void TtsWordsDataSetLink::SetSegment(int segment) {
    if (m_fSegment) m_fSegment->SetAsInteger(segment);
}

void TtsWordsDataSetLink::SetCount(int count) { m_fCount->SetAsInteger(count); }

void TtsWordsDataSetLink::SetLikeKey(QStringView key) {
    if (m_fLike) m_fLike->SetAsString(key.toString());
}

void TtsWordsDataSetLink::WriteSet(const std::uint8_t* data, int length) {
    m_fSize->SetAsInteger(length);
    int inlined = 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    if (m_fBytes && m_bytesFieldSize > 0) {
        inlined = std::min(m_bytesFieldSize, length);
        m_fBytes->SetAsBytes(QByteArray(bytes, inlined));
    } else if (m_fChar && m_charFieldSize > 0) {
        inlined = std::min(m_charFieldSize * 3 / 4, length);
        m_fChar->SetAsString(fulltext::EncodeBinary(QByteArray(bytes, inlined)));
    }
    if (length > inlined) m_fBlob->SetAsBytes(QByteArray(bytes + inlined, length - inlined));
    else m_fBlob->Clear();
}

// ---- word rows by key ----

namespace {

/// A stored integer as Field::AsInteger reads it; a value that is no number is a damaged row.
int storedInteger(const QVariant& v) {
    if (v.isNull()) return 0;
    bool ok = true;
    qlonglong i = 0;
    switch (v.typeId()) {
    case QMetaType::LongLong: i = v.toLongLong(); break;
    case QMetaType::Double: i = qlonglong(std::llround(v.toDouble())); break;
    case QMetaType::QString: i = v.toString().trimmed().toLongLong(&ok); break;
    default: ok = false; break;
    }
    if (!ok || i < INT_MIN || i > INT_MAX) throw ETessick(fulltext::msgInconsistentBlobSize);
    return int(i);
}

}  // namespace

db::DirectRows& TtsWordsDataSetLink::directRows() {
    Open();
    if (!m_rows) {
        const QString key = m_segmented ? kWord + kFieldSeparator + kSegment : kWord;
        QString stored = kSize;
        if (m_fBytes && m_bytesFieldSize > 0) stored += kFieldSeparator + kBytes;
        else if (m_fChar && m_charFieldSize > 0) stored += kFieldSeparator + kChar;
        stored += kFieldSeparator + kBlob;
        m_rows = std::make_unique<db::DirectRows>(*m_table, key, stored, kCount + kFieldSeparator + stored);
    }
    return *m_rows;
}

db::DirectRows& TtsWordsDataSetLink::pendingRows() {
    Open();
    if (!m_pending) {
        const QString key = m_segmented ? kWord + kFieldSeparator + kSegment : kWord;
        const QString written = m_table->CanModify() ? kCount + kFieldSeparator + kSize : QString();
        m_pending = std::make_unique<db::DirectRows>(*m_table, key, kCount, written);
    }
    return *m_pending;
}

int TtsWordsDataSetLink::PendingChanges() {
    db::DirectRows& rows = pendingRows();
    QVariantList key{PendingWord().left(m_wordFieldSize)};
    if (m_segmented) key << 0;
    if (!rows.Find(key)) return 0;
    return std::max(0, storedInteger(rows.Value(0)));
}

void TtsWordsDataSetLink::AddPendingChanges(int delta) {
    if (delta == 0) return;
    db::DirectRows& rows = pendingRows();
    QVariantList key{PendingWord().left(m_wordFieldSize)};
    if (m_segmented) key << 0;
    // Read and written under the file's write lock, in one transaction: another program
    // may change or drop the row between a read outside it and the write.
    const bool own = StartTransaction();
    base::ScopeFail undo([&] {
        if (own) Rollback();
    });
    if (!own && m_table->Active()) m_table->TakeWriteLock();  // a database transaction holds the file
    // Not counted as a word row: the counters, AfterPost and Transactions see words only.
    const qint64 row = rows.Find(key);
    const int count = (row ? std::max(0, storedInteger(rows.Value(0))) : 0) + delta;
    if (count <= 0) {
        if (row) rows.Delete(row);
    } else if (row) {
        rows.Write(row, {count, 0});
    } else {
        rows.Insert(key, {count, 0});
    }
    if (own) Commit();
}

void TtsWordsDataSetLink::storedValues(const std::uint8_t* data, int length, QVariantList& values) const {
    values << length;
    int inlined = 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    if (m_fBytes && m_bytesFieldSize > 0) {
        inlined = std::min(m_bytesFieldSize, length);
        values << QByteArray(bytes, inlined);
    } else if (m_fChar && m_charFieldSize > 0) {
        inlined = std::min(m_charFieldSize * 3 / 4, length);
        values << fulltext::EncodeBinary(QByteArray(bytes, inlined));
    }
    // written as the BLOB's whole content (not copied: the values live only while the row
    // is written); nothing left is null
    values << (length > inlined ? QVariant(QByteArray::fromRawData(bytes + inlined, length - inlined)) : QVariant());
}

qint64 TtsWordsDataSetLink::ReadWordRow(QStringView word, int segment, std::uint8_t* buffer, int capacity, int& length) {
    db::DirectRows& rows = directRows();
    length = 0;
    if (m_segmented && segment < 0) throw ETessick(fulltext::msgInvalidParameter);
    const qint64 id = m_segmented ? rows.Find({word.toString(), segment}) : rows.Find({word.toString()});
    if (!id) return 0;
    const bool hasInline = (m_fBytes && m_bytesFieldSize > 0) || (m_fChar && m_charFieldSize > 0);
    const QVariant& blob = rows.Value(hasInline ? 2 : 1);
    const QByteArray rest = blob.typeId() == QMetaType::QString ? blob.toString().toUtf8() : blob.toByteArray();
    length = readStored(storedInteger(rows.Value(0)), hasInline ? rows.Value(1) : QVariant(), rest, buffer, capacity);
    return id;
}

void TtsWordsDataSetLink::WriteWordRow(qint64 rowId, int count, const std::uint8_t* data, int length) {
    db::DirectRows& rows = directRows();
    QVariantList values;
    values << count;
    storedValues(data, length, values);
    rows.Write(rowId, values);
    countPost(false);
}

void TtsWordsDataSetLink::InsertWordRow(QStringView word, int segment, QStringView likeKey, int count,
                                        const std::uint8_t* data, int length) {
    InsertWordRow(word.toString(), segment, likeKey.toString(), count, data, length);
}

void TtsWordsDataSetLink::InsertWordRow(const QString& word, int segment, const QString& likeKey, int count,
                                        const std::uint8_t* data, int length) {
    directRows();
    if (!m_insert) {
        QString fields = kCount;
        if (m_fReverse) fields += kFieldSeparator + kReverse;
        if (m_fLike) fields += kFieldSeparator + kLike;
        fields += kFieldSeparator + kSize;
        if (m_fBytes && m_bytesFieldSize > 0) fields += kFieldSeparator + kBytes;
        else if (m_fChar && m_charFieldSize > 0) fields += kFieldSeparator + kChar;
        fields += kFieldSeparator + kBlob;
        m_insert = std::make_unique<db::DirectRows>(*m_table, m_segmented ? kWord + kFieldSeparator + kSegment : kWord,
                                                    QString(), fields);
    }
    // The lists keep their capacity from row to row; they are emptied again after the row is
    // written, so that no value outlives the set it points into.
    QVariantList& key = m_insertKey;
    QVariantList& values = m_insertValues;
    key.clear();
    values.clear();
    key << word;
    if (m_segmented) key << segment;
    values << count;
    if (m_fReverse) values << fulltext::Reversed(word);
    if (m_fLike) values << likeKey;
    storedValues(data, length, values);
    struct Empty {
        QVariantList& key;
        QVariantList& values;
        ~Empty() {
            key.clear();
            values.clear();
        }
    } empty{key, values};
    m_insert->Insert(key, values);
    countPost(true);
}

void TtsWordsDataSetLink::DeleteWordRow(qint64 rowId) {
    directRows().Delete(rowId);
    ++m_rowsDeleted;
    countWrite();
}

// ---- transactions ----

bool TtsWordsDataSetLink::StartTransaction() {
    if (m_inTransaction || !IsActive()) return false;
    const db::Database* database = db::Database::FindDatabase(m_table->DatabaseName());
    if (database && database->InTransaction()) return false;  // the database's transaction holds it
    fulltext::DatasetDriverFor(m_table).Transaction(*m_table, fulltext::DatasetDriver::trStart);
    m_inTransaction = true;
    m_transactionCounter = 0;
    return true;
}

void TtsWordsDataSetLink::Commit() {
    if (!m_inTransaction) return;
    m_inTransaction = false;
    m_transactionCounter = 0;
    if (IsActive())
        fulltext::DatasetDriverFor(m_table).Transaction(*m_table, fulltext::DatasetDriver::trCommit);
}

void TtsWordsDataSetLink::Rollback() {
    if (!m_inTransaction) return;
    m_inTransaction = false;
    m_transactionCounter = 0;
    if (IsActive()) {
        if (m_table->State() == db::DataSetState::dsEdit || m_table->State() == db::DataSetState::dsInsert) m_table->Cancel();
        fulltext::DatasetDriverFor(m_table).Transaction(*m_table, fulltext::DatasetDriver::trRollback);
    }
}

// ---- properties row ----

QByteArray TtsWordsDataSetLink::ReadPropertiesStream() {
    Open();
    m_table->DisableControls();
    const db::Bookmark mark = m_table->GetBookmark();
    QByteArray data;
    bool found = false;
    {
        base::ScopeExit always([&] {
            m_table->EnableControls();
        });
        const QString key = PropertiesWord().left(m_wordFieldSize);
        found = m_table->Locate(kWord, {key}) && !m_fBlob->IsNull();
        if (found) data = m_fBlob->AsBytes();
        if (!mark.IsNull() && m_table->BookmarkValid(mark)) m_table->GotoBookmark(mark);
    }
    if (!found) throw ETessick(fulltext::msgPropertiesNotFound);
    return data;
}

void TtsWordsDataSetLink::WritePropertiesStream(const QByteArray& data) {
    if (!ParamBool(QStringLiteral("SaveProperties"), true)) return;
    Open();
    m_table->DisableControls();
    const db::Bookmark mark = m_table->GetBookmark();
    {
        base::ScopeFail undo([&] {
            if (m_table->State() != db::DataSetState::dsBrowse && m_table->Active()) m_table->Cancel();
            m_table->EnableControls();
        });
        const QString key = PropertiesWord().left(m_wordFieldSize);
        if (m_table->Locate(kWord, {key})) {
            m_table->Edit();
        } else {
            m_table->Append();
            m_fWord->SetAsString(key);
            if (m_fSegment) m_fSegment->SetAsInteger(0);
            m_fCount->SetAsInteger(0);
        }
        m_fSize->SetAsInteger(0);
        m_fBlob->SetAsBytes(data);
        Post();
        if (!mark.IsNull() && m_table->BookmarkValid(mark)) m_table->GotoBookmark(mark);
    }
    m_table->EnableControls();
}

QString TtsWordsDataSetLink::TableProperty(int number) const {
    checkTable();
    switch (number) {
    case 0: return m_table->DatabaseName();
    case 1: return m_table->TableName();
    case 2: return m_table->IndexName();
    case 3: return m_table->IndexFieldNames();
    default: throw ETessick(fulltext::msgInvalidParameter);
    }
}

void TtsWordsDataSetLink::SetTableProperty(int number, const QString& value) {
    checkTable();
    switch (number) {
    case 0: m_table->SetDatabaseName(value); break;
    case 1: m_table->SetTableName(value); break;
    case 2: m_table->SetIndexName(value); break;
    case 3: m_table->SetIndexFieldNames(value); break;
    default: throw ETessick(fulltext::msgInvalidParameter);
    }
}

void TtsWordsDataSetLink::ResetCounters() {
    m_rowsRead = m_rowsWritten = m_rowsInserted = m_rowsEdited = m_rowsDeleted = 0;
}

void TtsWordsDataSetLink::Reset() {
    TtsWordsLink::Reset();
    ResetCounters();
    m_keyKind = kkNone;
}

// ---- index builds ----

void TtsWordsDataSetLink::addIndex(const db::IndexDef& index) {
    const bool reopen = m_table->Active();
    m_table->Close();
    resetBindings();
    db::AddIndexToFile(m_table->Folder(), m_table->TableName(), index);
    m_table->UpdateDefs();
    if (reopen) Open();
}

void TtsWordsDataSetLink::beginBuild() {
    checkTable();
    if (m_inTransaction) Commit();
    m_table->Close();
    resetBindings();
    const QString folder = m_table->Folder();
    const QString tableName = m_table->TableName();
    if (tableName.isEmpty()) throw ETessick(fulltext::msgMissingTableName);
    if (ParamBool(QStringLiteral("CreateDataSet"), true)) {
        fulltext::RecoverWordTable(folder, tableName);
        m_finalDatabaseName = m_table->DatabaseName();
        m_finalFolder = folder;
        m_buildFolder = fulltext::BuildFolder(folder, tableName);
        if (!db::FindTableFile(folder, tableName).isEmpty()) {
            // Nobody writes into the old word table while the new one is built.
            m_guard = std::make_unique<db::Table>();
            m_guard->SetDatabaseName(folder);
            m_guard->SetTableName(tableName);
            m_guard->SetExclusive(true);
            m_guard->Open();
        }
        QDir(m_buildFolder).removeRecursively();
        if (!QDir().mkpath(m_buildFolder)) {
            m_guard.reset();
            throw ETessick(fulltext::msgTableCreationError);
        }
        m_building = true;
        {
            base::ScopeFail undo([&] {
                abandonBuild();
            });
            m_table->SetDatabaseName(m_buildFolder);
            CreateTable();
        }
    } else {
        m_wordIndexAdded = true;
    }
    fulltext::DatasetDriverFor(m_table).SetExclusive(*m_table, true);
    {
        base::ScopeFail undo([&] {
            if (m_building) abandonBuild();
        });
        Open();
        // A build into the side folder runs in one transaction: nobody else sees that table.
        if (m_building) StartTransaction();
    }
}

void TtsWordsDataSetLink::abandonBuild() {
    if (m_table) {
        m_inTransaction = false;
        if (m_table->Active()) {
            if (m_table->State() != db::DataSetState::dsBrowse) m_table->Cancel();
            m_table->Close();
        }
        m_table->SetExclusive(false);
        m_table->SetDatabaseName(m_finalDatabaseName);
    }
    resetBindings();
    m_guard.reset();
    QDir(m_buildFolder).removeRecursively();
    m_building = false;
}

void TtsWordsDataSetLink::finishBuild(bool halted) {
    if (halted && m_building) {
        // A halted build leaves the word table as it was.
        abandonBuild();
        return;
    }
    if (!halted) {
        if (!m_wordIndexAdded && ParamBool(QStringLiteral("AddWordIndex"), true)) {
            Commit();
            addIndex(WordIndex());
            m_wordIndexAdded = true;
        }
        if (m_likeFieldSize > 0 && ParamBool(QStringLiteral("AddLikeIndex"), true) && !hasIndexOver(LikeIndex().Fields)) {
            Commit();
            addIndex(LikeIndex());
        }
        if (m_reverseField && ParamBool(QStringLiteral("AddReverseIndex"), true) && !hasIndexOver(kReverse)) {
            Commit();
            addIndex(ReverseIndex());
        }
    }
    Commit();
    m_table->Close();
    resetBindings();
    m_table->SetExclusive(false);
    if (m_building) {
        const QString tableName = m_table->TableName();
        m_table->SetDatabaseName(m_finalDatabaseName);
        m_guard.reset();
        m_building = false;
        fulltext::InstallBuiltWordTable(m_finalFolder, tableName);
    }
    Open();
    if (!halted && ParamBool(QStringLiteral("AddWordIndex"), true)) SetKeyKind(kkWord);
}

// ---- states ----

void TtsWordsDataSetLink::StateEntered(TtsBase* sender, TEngineState state) {
    TtsWordsLink::StateEntered(sender, state);
    switch (state) {
    case TEngineState::esMake:
        ResetCounters();
        beginBuild();
        break;
    case TEngineState::esWrite:
        StartTransaction();
        break;
    case TEngineState::esUpdate:
        Open();
        break;
    case TEngineState::esSearch:
        Open();
        // A stale index is built again before it answers.
        if (PendingChanges() > 0) {
            auto* engine = qobject_cast<TtsEngine*>(sender);
            if (!engine) throw ETessick(fulltext::msgDictionaryInvalidated);
            fulltext::RebuildIndex(*engine);
        }
        break;
    default:
        break;
    }
}

void TtsWordsDataSetLink::StateLeft(TtsBase* sender, TEngineState state) {
    TtsWordsLink::StateLeft(sender, state);
    if (state == TEngineState::esWrite) {
        if (!m_building) Commit();
    } else if (state == TEngineState::esMake) {
        auto* engine = qobject_cast<TtsEngine*>(sender);
        const bool halted = engine && engine->States().Contains(TEngineState::esHalt);
        finishBuild(halted);
    }
}

// ---- the published links ----

TtsMakeWordsTableLink::TtsMakeWordsTableLink(QObject* owner) : TtsCustomWordsTableLink(owner) {}

TtsMakeWordsTableLink::~TtsMakeWordsTableLink() = default;

TtsWordsTableLink::TtsWordsTableLink(QObject* owner) : TtsCustomWordsTableLink(owner) {
    m_layoutWritable = false;
}

TtsWordsTableLink::~TtsWordsTableLink() = default;
