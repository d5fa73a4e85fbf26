#include "services/gui/recent_file_list.h"

#include "platform/settings/ini_document.h"
#include "platform/settings/registry.h"
#include "services/recent_files.h"
#include "testsupport/qt_printers.h"
#include "testsupport/temp_folder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("\\SOFTWARE\\Dossara\\Tarnwell");

class RecentFileList : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        QDir(Path()).mkpath(QStringLiteral("config"));
        settings::SetConfigRoot(FilePath(QStringLiteral("config")));
        m_menu.addAction(QStringLiteral("&Open"));
        m_menu.addSeparator();
        m_menu.addAction(QStringLiteral("E&xit"));
        m_list.SetFileMenu(&m_menu);
        m_list.SetIniFileName(kKey);
    }
    void TearDown() override { settings::SetConfigRoot(QString()); }

    /// A file that exists, named `name` inside the test folder.
    QString MakeFile(const QString& name) {
        QFile f(FilePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }
    void Store(const QStringList& values) {
        settings::Registry reg;
        ASSERT_TRUE(reg.OpenKey(kKey + QStringLiteral("\\RecentFiles"), true));
        reg.WriteString(QStringLiteral("Num"), QString::number(values.size()));
        for (int i = 0; i < values.size(); ++i) reg.WriteString(QStringLiteral("File%1").arg(i + 1), values[i]);
    }
    /// The menu as one text: captions joined by "|", separators as "-".
    QString MenuText() const {
        QStringList out;
        for (QAction* a : m_menu.actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out.join(u'|');
    }
    QStringList Stored() const {
        settings::Registry reg;
        QStringList out;
        if (!reg.KeyExists(kKey + QStringLiteral("\\RecentFiles"))) return out;
        const_cast<settings::Registry&>(reg).OpenKey(kKey + QStringLiteral("\\RecentFiles"), false);
        out << reg.ReadString(QStringLiteral("Num"));
        for (const QString& n : reg.GetValueNames())
            if (n != QLatin1String("Num")) out << n + u'=' + reg.ReadString(n);
        return out;
    }

    QMenu m_menu;
    TRecentFileList m_list;
};

TEST_F(RecentFileList, loading_shows_existing_entries_above_the_last_item_and_drops_missing_ones) {
    const QString a = MakeFile(QStringLiteral("a.db"));
    const QString b = MakeFile(QStringLiteral("b.db"));
    Store({a, FilePath(QStringLiteral("gone.db")), QString(), b});
    m_list.Loaded();
    EXPECT_EQ(MenuText(), QStringLiteral("&Open|-|&1 %1|&2 %2|-|E&xit").arg(a, b));
    EXPECT_EQ(m_list.MostRecent(), a);
    // The stored list keeps the missing entry until the next add rewrites it.
    EXPECT_EQ(Stored().first(), QStringLiteral("4"));
}

TEST_F(RecentFileList, loading_with_nothing_stored_leaves_the_menu_as_designed) {
    for (const QStringList& stored : {QStringList{}, QStringList{QStringLiteral("0")}}) {
        SCOPED_TRACE(stored.join(','));
        if (!stored.isEmpty()) {
            settings::Registry reg;
            reg.OpenKey(kKey + QStringLiteral("\\RecentFiles"), true);
            reg.WriteString(QStringLiteral("Num"), stored.first());
        }
        m_list.Loaded();
        EXPECT_EQ(MenuText(), QStringLiteral("&Open|-|E&xit"));
        EXPECT_TRUE(m_list.MostRecent().isEmpty());
    }
}

TEST_F(RecentFileList, adding_moves_a_listed_path_to_the_top_and_caps_new_ones_at_the_maximum) {
    QStringList files;
    for (int i = 1; i <= 6; ++i) files << MakeFile(QStringLiteral("f%1.db").arg(i));
    for (int i = 0; i < 5; ++i) m_list.AddFile(files[i]);
    EXPECT_EQ(m_list.Entries(), QStringList({files[4], files[3], files[2], files[1], files[0]}));

    m_list.AddFile(files[2]);
    EXPECT_EQ(m_list.Entries(), QStringList({files[2], files[4], files[3], files[1], files[0]}));

    m_list.AddFile(files[5]);
    EXPECT_EQ(m_list.Entries(), QStringList({files[5], files[2], files[4], files[3], files[1]}));
    EXPECT_EQ(m_list.MostRecent(), files[5]);

    // One list of items, one separator, the designed separator and Exit untouched.
    EXPECT_EQ(MenuText(), QStringLiteral("&Open|-|&1 %1|&2 %2|&3 %3|&4 %4|&5 %5|-|E&xit")
                              .arg(files[5], files[2], files[4], files[3], files[1]));
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("5"), "File1=" + files[5], "File2=" + files[2],
                                     "File3=" + files[4], "File4=" + files[3], "File5=" + files[1]}));
}

TEST_F(RecentFileList, a_path_differing_only_in_case_counts_as_listed) {
    QStringList paths{QStringLiteral("/x/Registry.DB"), QStringLiteral("/x/other.db")};
    services::MoveToTop(paths, QStringLiteral("/X/registry.db"), 5);
    EXPECT_EQ(paths, QStringList({QStringLiteral("/x/Registry.DB"), QStringLiteral("/x/other.db")}));
}

TEST_F(RecentFileList, clicking_an_item_hands_that_item_to_the_handler) {
    const QString a = MakeFile(QStringLiteral("a.db"));
    const QString b = MakeFile(QStringLiteral("b.db"));
    QString clicked;
    m_list.OnClick = [&](QAction* item) { clicked = item->text(); };
    m_list.AddFile(a);
    m_list.AddFile(b);
    m_menu.actions()[3]->trigger();
    EXPECT_EQ(clicked, QStringLiteral("&2 ") + a);
}

TEST_F(RecentFileList, without_a_menu_nothing_is_read_built_or_written) {
    Store({MakeFile(QStringLiteral("a.db"))});
    TRecentFileList list;
    list.SetIniFileName(kKey);
    list.Loaded();
    list.AddFile(QStringLiteral("/somewhere"));
    EXPECT_TRUE(list.Entries().isEmpty());
    EXPECT_EQ(Stored().size(), 2);
}

TEST_F(RecentFileList, an_empty_menu_gets_the_entries_in_order_and_no_separator) {
    QMenu menu;
    TRecentFileList list;
    list.SetFileMenu(&menu);
    list.AddFile(QStringLiteral("/one"));
    list.AddFile(QStringLiteral("/two"));
    QStringList texts;
    for (QAction* a : menu.actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, QStringList({QStringLiteral("&1 /two"), QStringLiteral("&2 /one")}));
}

}  // namespace
