#include "platform/zip/zip_dll.h"

#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

TEST(ZipDllWildcard, matches_like_the_file_patterns_of_an_add_or_extract) {
    struct Case {
        const char* pattern;
        const char* name;
        Qt::CaseSensitivity cs;
        bool match;
    };
    static const Case cases[] = {
        {"*.txt", "readme.txt", Qt::CaseInsensitive, true},
        {"*.txt", "README.TXT", Qt::CaseInsensitive, true},
        {"*.txt", "README.TXT", Qt::CaseSensitive, false},
        {"*.txt", "readme.txt.bak", Qt::CaseInsensitive, false},
        {"read?e.*", "readme.md", Qt::CaseInsensitive, true},
        {"read?e.*", "reade.md", Qt::CaseInsensitive, false},
        {"sub/*", "sub/deep/table.cpp", Qt::CaseInsensitive, true},
        {"sub\\*.cpp", "sub/table.cpp", Qt::CaseInsensitive, true},
        {"*a*b*c", "xxaxxbxxc", Qt::CaseInsensitive, true},
        {"*a*b*c", "xxaxxcxxb", Qt::CaseInsensitive, false},
        {"", "", Qt::CaseInsensitive, true},
        {"*", "", Qt::CaseInsensitive, true},
        {"?", "", Qt::CaseInsensitive, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 / %2").arg(QLatin1String(c.pattern), QLatin1String(c.name)));
        EXPECT_EQ(zipdll::WildcardMatch(QLatin1String(c.pattern), QLatin1String(c.name), c.cs), c.match);
    }
}

TEST(ZipDllPassword, is_cut_to_80_characters) {
    EXPECT_EQ(zipdll::PasswordBytes(QString(100, u'k')).size(), 80);
    EXPECT_EQ(zipdll::PasswordBytes(QStringLiteral("short")), QByteArray("short"));
}

class ZipDll : public testsupport::TempFolder {};

TEST_F(ZipDll, reports_progress_in_order_and_stops_when_the_callback_asks) {
    const QString src = FilePath(QStringLiteral("a.txt"));
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QFile readme(QStringLiteral(DOSSARA_SOURCE_DIR "/README.md"));
        ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
        f.write(readme.readAll());
    }
    zipdll::AddRequest add;
    add.archive = FilePath(QStringLiteral("a.zip"));
    add.specs = QStringList{src};
    QStringList seen;
    const int added = zipdll::ZipDllExec(add, [&seen](const zipdll::Callback& c) {
        seen << QString::number(c.action);
        return 0;
    });
    EXPECT_EQ(added, 1);
    seen.removeDuplicates();
    EXPECT_EQ(seen, QStringList({"5", "6", "1", "2", "3"}));

    // Extraction stopped at the first file start writes nothing.
    const QString out = FilePath(QStringLiteral("out"));
    QDir().mkpath(out);
    zipdll::ExtractRequest extract;
    extract.archive = add.archive;
    extract.folder = out;
    const int extracted = zipdll::UnzDllExec(extract, [](const zipdll::Callback& c) {
        return c.action == zipdll::CbFileStart ? 1 : 0;
    });
    EXPECT_EQ(extracted, 0);
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ZipDll, the_archive_is_never_added_into_itself_and_missing_names_are_reported) {
    const QString archive = FilePath(QStringLiteral("self.zip"));
    QFile f(FilePath(QStringLiteral("b.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("beta\n");
    f.close();
    zipdll::AddRequest add;
    add.archive = archive;
    add.baseFolder = Path();
    add.specs = QStringList{QStringLiteral("*"), QStringLiteral("missing.txt")};
    QStringList messages;
    const auto collect = [&messages](const zipdll::Callback& c) {
        if (c.action == zipdll::CbMessage) messages << QStringLiteral("%1 %2").arg(c.errorCode).arg(c.text);
        return 0;
    };
    EXPECT_EQ(zipdll::ZipDllExec(add, collect), 1);
    EXPECT_EQ(zipdll::ZipDllExec(add, collect), 1) << "a second run replaces b.txt and leaves the archive out";
    EXPECT_EQ(messages.filter(QStringLiteral("name not matched: missing.txt")).size(), 2);
}

}  // namespace
