// The index property stream: the index settings kept in the word table's properties row.
//
// A sequence of component-stream values (no signature), in this order:
//
// | value              | meaning                                                    |
// |--------------------|------------------------------------------------------------|
// | integer            | index version (2070 when written here)                     |
// | integer            | 32 when written here; skipped on reading (older streams: 0)|
// | ...                | the text link's properties (its WriteProperties)           |
// | ...                | the words link's properties (its WriteProperties)          |
// | integer            | MinWordLen                                                 |
// | list of texts      | the omit list                                              |
// | integer            | SegmentSize                                                |
// | text               | WordDelims, in caret notation                              |
// | Boolean            | Ansi                                                       |
// | Boolean            | word pairs; present from version 2040 on                   |

#include "fulltext/ts_engine.h"

#include "fulltext/ts_links.h"

#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <climits>

namespace {
constexpr int kWordPairsSince = 2040;
constexpr int kWrittenVersion = 2070;
constexpr int kSecondValue = 32;
}  // namespace

void TtsEngine::ReadIndexPropertiesFrom(stream::ValueReader& reader, int& version) {
    const qint64 storedVersion = reader.ReadInteger();
    version = storedVersion < INT_MIN || storedVersion > INT_MAX ? 0 : int(storedVersion);
    reader.ReadInteger();
    if (TextLink()) TextLink()->ReadProperties(this, reader);
    if (WordsLink()) WordsLink()->ReadProperties(this, reader);
    const qint64 minWordLen = reader.ReadInteger();
    if (minWordLen <= INT_MAX) SetMinWordLen(int(minWordLen));
    QStringList omit;
    reader.ReadListBegin();
    while (!reader.EndOfList()) omit << reader.ReadString();
    reader.ReadListEnd();
    m_omitList = omit;
    const qint64 segmentSize = reader.ReadInteger();
    SetSegmentSize(segmentSize > INT_MAX || segmentSize < INT_MIN ? 0 : int(segmentSize));
    SetWordDelims(reader.ReadString());
    m_ansi = reader.ReadBoolean();
    if (version >= kWordPairsSince) m_wordPairs = reader.ReadBoolean();
}

void TtsEngine::WriteIndexProperties(stream::ValueWriter& writer) {
    writer.WriteInteger(kWrittenVersion);
    writer.WriteInteger(kSecondValue);
    if (TextLink()) TextLink()->WriteProperties(this, writer);
    if (WordsLink()) WordsLink()->WriteProperties(this, writer);
    writer.WriteInteger(m_minWordLen);
    writer.WriteListBegin();
    for (const QString& w : m_omitList) writer.WriteString(w);
    writer.WriteListEnd();
    writer.WriteInteger(m_segmentSize);
    writer.WriteString(WordDelims());
    writer.WriteBoolean(m_ansi);
    writer.WriteBoolean(m_wordPairs);
}

void TtsReadEngine::ReadIndexProperties() {
    if (!TextLink() || !WordsLink() || m_propertiesRead) return;
    const QByteArray data = WordsLink()->ReadPropertiesStream();
    m_propertiesRead = true;
    if (data.isEmpty()) return;
    stream::ValueReader reader(data);
    ReadIndexPropertiesFrom(reader, m_indexVersion);
}
