#include "fulltext/cx_bits.h"
#include "fulltext/cx_dictionary.h"
#include "fulltext/cx_strings.h"

#include "platform/stream/stream_error.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

class ContainerStreams : public testsupport::TempFolder {};

void storeInt(stream::ValueWriter& w, fulltext::CxData d) { w.WriteInteger(d); }
fulltext::CxData loadInt(stream::ValueReader& r) { return fulltext::CxData(r.ReadInteger()); }

QByteArray storeOf(TCxContainer& c) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    c.StoreToStream(buffer);
    return buffer.data();
}

void loadFrom(TCxContainer& c, const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    c.LoadFromStream(buffer);
}

TEST_F(ContainerStreams, a_dictionary_round_trips_through_a_file_with_its_hash_size) {
    TCxDictionary d(7);
    d.StoreDataProc = &storeInt;
    for (int i = 0; i < 30; ++i) d.AddEntry(QString::fromUtf8("wört%1").arg(i), i * 3);
    d.StoreToFile(FilePath(QStringLiteral("dict.bin")));

    TCxDictionary back(2);
    back.LoadDataProc = &loadInt;
    back.AddEntry(QStringLiteral("stale"), 1);
    back.LoadFromFile(FilePath(QStringLiteral("dict.bin")));
    EXPECT_EQ(back.HashSize(), 7);
    EXPECT_EQ(back.Count(), 30);
    fulltext::CxData v = -1;
    EXPECT_FALSE(back.FindEntry(u"stale", v));
    EXPECT_TRUE(back.FindEntry(QString::fromUtf8("WÖRT29"), v));
    EXPECT_EQ(v, 87);
}

TEST_F(ContainerStreams, missing_load_or_store_operations_raise_59_and_60) {
    TCxDictionary d(3);
    d.AddEntry(QStringLiteral("a"), 1);
    try {
        storeOf(d);
        ADD_FAILURE();
    } catch (const ECxContainerError& e) {
        EXPECT_EQ(e.ErrorCode(), 59);
    }
    d.StoreDataProc = &storeInt;
    const QByteArray data = storeOf(d);
    TCxDictionary back(3);
    try {
        loadFrom(back, data);
        ADD_FAILURE();
    } catch (const ECxContainerError& e) {
        EXPECT_EQ(e.ErrorCode(), 60);
        EXPECT_EQ(e.Message(), "Container's LoadData property is unassigned");
    }
}

TEST_F(ContainerStreams, stored_class_names_are_checked_before_anything_is_read) {
    auto header = [](const char* cls, const char* node) {
        stream::ValueWriter w;
        w.WriteString(QString::fromLatin1(cls));
        w.WriteString(QString::fromLatin1(node));
        w.WriteInteger(5);
        w.WriteListBegin();
        w.WriteListEnd();
        return w.Data();
    };
    struct Case {
        const char* cls;
        const char* node;
        int error;  // 0: loads
        const char* text;
    };
    static const Case cases[] = {
        {"TCxDictionary", "TCxDictNode", 0, ""},
        {"TNoSuch", "TCxDictNode", 57, "Container class name TNoSuch read from stream is unregistered"},
        {"TCxBits", "TCxDictNode", 61, "Class name on stream differs from object's class"},
        {"TCxDictionary", "TNoNode", 58, "Node class name TNoNode read from stream is unregistered"},
        {"TCxDictionary", "TCxNode", 62, "Node class name on stream differs from object's node class"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls + std::string("/") + c.node);
        TCxDictionary d(1);
        try {
            loadFrom(d, header(c.cls, c.node));
            EXPECT_EQ(c.error, 0);
            EXPECT_EQ(d.HashSize(), 5);
        } catch (const ECxContainerError& e) {
            EXPECT_EQ(e.ErrorCode(), c.error);
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.text));
        }
    }
}

TEST_F(ContainerStreams, a_bit_set_round_trips_and_damaged_streams_fail_cleanly) {
    TCxBits b(77);
    for (int i : {0, 7, 8, 50, 77}) b.SetBitOn(i);
    const QByteArray data = storeOf(b);
    TCxBits back(3);
    loadFrom(back, data);
    EXPECT_EQ(back.MaxBits(), 77);
    EXPECT_EQ(back.Count(), 5);
    EXPECT_EQ(back.LastSetBit(), 77);
    for (qsizetype cut = 0; cut < data.size(); ++cut) {
        TCxBits t(1);
        EXPECT_THROW(loadFrom(t, data.left(cut)), base::Exception) << cut;
    }
    stream::ValueWriter w;  // byte run shorter than the size needs
    w.WriteString(QStringLiteral("TCxBits"));
    w.WriteInteger(100);
    w.WriteInteger(0);
    w.WriteBinary(QByteArray(3, '\0'));
    TCxBits t(1);
    try {
        loadFrom(t, w.Data());
        ADD_FAILURE();
    } catch (const ECxContainerError& e) {
        EXPECT_EQ(e.ErrorCode(), 53);
    }
    stream::ValueWriter other;
    other.WriteString(QStringLiteral("TCxDictionary"));
    try {
        loadFrom(t, other.Data());
        ADD_FAILURE();
    } catch (const ECxContainerError& e) {
        EXPECT_EQ(e.ErrorCode(), 61);
    }
}

TEST_F(ContainerStreams, a_file_that_cannot_be_opened_is_reported) {
    TCxBits b(1);
    try {
        b.LoadFromFile(FilePath(QStringLiteral("missing.bin")));
        ADD_FAILURE();
    } catch (const ECxException& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("missing.bin")));
    }
}

}  // namespace
