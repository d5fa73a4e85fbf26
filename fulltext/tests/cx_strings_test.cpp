#include "fulltext/cx_strings.h"

#include "testsupport/qt_printers.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

TEST(CxStringResource, library_texts_are_found_by_id_and_unknown_ids_answer_empty) {
    const TCxStringResource& lib = fulltext::CorvexStrings();
    EXPECT_EQ(lib.GetString(51), "Compare property must be set");
    EXPECT_EQ(lib.GetString(62), "Node class name on stream differs from object's node class");
    EXPECT_EQ(lib.GetString(55), QString());
    EXPECT_EQ(lib.GetString(0), QString());
    EXPECT_EQ(lib.GetString(1000), QString());
    EXPECT_EQ(fulltext::CxSrMgrStrings().GetString(4), "Unable to open string resource: %s");
}

TEST(CxStringResource, a_built_table_has_the_stored_layout_and_round_trips_non_latin_text) {
    const QByteArray table = fulltext::BuildStringTable({{7, QString::fromUtf8("Größe €")}, {2, QStringLiteral("ab")}});
    ASSERT_EQ(table.left(4), "STR0");
    EXPECT_EQ(qFromLittleEndian<quint32>(table.constData() + 4), 2u);
    EXPECT_EQ(qFromLittleEndian<quint32>(table.constData() + 8), 2u);    // sorted: id 2 first
    EXPECT_EQ(qFromLittleEndian<quint32>(table.constData() + 12), 32u);  // text right after the entries
    EXPECT_EQ(qFromLittleEndian<quint32>(table.constData() + 16), 2u);
    EXPECT_EQ(table.size(), 8 + 24 + 2 * (2 + 7));
    fulltext::RegisterStringResource(QStringLiteral("TEST_STRINGS"), table);
    const TCxStringResource r(QStringLiteral("TEST_STRINGS"));
    EXPECT_EQ(r.GetString(7), QString::fromUtf8("Größe €"));
    EXPECT_EQ(r.GetString(2), "ab");
}

TEST(CxStringResource, missing_or_damaged_tables_raise_the_string_manager_errors) {
    QByteArray good = fulltext::BuildStringTable({{1, QStringLiteral("one")}, {3, QStringLiteral("three")}});
    QByteArray badMagic = good;
    badMagic[3] = '1';
    QByteArray countTooLarge = good;
    qToLittleEndian<quint32>(1000, countTooLarge.data() + 4);
    QByteArray textOutside = good;
    qToLittleEndian<quint32>(0xFFFFFFF0u, textOutside.data() + 12);
    QByteArray unsorted = good;
    qToLittleEndian<quint32>(9, unsorted.data() + 8);
    struct Case {
        const char* name;
        QByteArray data;
    };
    const Case cases[] = {
        {"bad magic", badMagic},       {"count too large", countTooLarge}, {"text outside", textOutside},
        {"ids not ascending", unsorted}, {"truncated", good.left(6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fulltext::RegisterStringResource(QStringLiteral("DAMAGED"), c.data);
        try {
            TCxStringResource r(QStringLiteral("DAMAGED"));
            ADD_FAILURE() << "no error";
        } catch (const ECxsStringResourceError& e) {
            EXPECT_EQ(e.Code(), 5);
            EXPECT_EQ(e.Message(), "Invalid string resource");
        }
    }
    try {
        TCxStringResource r(QStringLiteral("NO_SUCH_TABLE"));
        ADD_FAILURE() << "no error";
    } catch (const ECxsStringResourceError& e) {
        EXPECT_EQ(e.Code(), 3);
        EXPECT_EQ(e.Message(), "String resource not found: NO_SUCH_TABLE");
    }
}

TEST(CxStringResource, container_errors_carry_their_id_and_formatted_text) {
    const ECxContainerError e(57, {QStringLiteral("TFoo")});
    EXPECT_EQ(e.ErrorCode(), 57);
    EXPECT_EQ(e.Message(), "Container class name TFoo read from stream is unregistered");
}

}  // namespace
