// The about box: its pages, the component versions from Versions.txt (listed and copied),
// the contact links and the memory figures of /proc/meminfo.

#include "services/gui/about_box.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/web_link.h"
#include "core/win_registry.h"

#include "platform/settings/ini_document.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;

/// The folder the test program started in, where the pictures go.
const QString g_startFolder = QDir::currentPath();

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        settings::SetConfigRoot(m_dir.filePath("config"));
        savedFolder = Globals().ProgramFolder;
        savedVersion = Globals().VersionText;
        Globals().ProgramFolder = m_dir.path() + "/";
        Globals().VersionText = "1.0.0";
        InstallAbout(&host);
    }
    void TearDown() override {
        core::ClearCommands();
        Globals().ProgramFolder = savedFolder;
        Globals().VersionText = savedVersion;
        TURL::SetOpener({});
    }
    void writeVersions(const QByteArray& text) {
        QFile f(m_dir.filePath("Versions.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void run(DialogAnswerer& answers, std::function<void(TAbout&)> fill) {
        answers.ExpectModal<TAbout>(std::move(fill));
        ASSERT_TRUE(core::RunCommand("A_HelpAbout"));
        EXPECT_EQ(answers.Pending(), 0);
    }
    QTemporaryDir m_dir;
    QWidget host;
    QString savedFolder, savedVersion;
};

TEST_F(AboutBox, versions_are_listed_from_the_file_and_copied_as_tab_separated_lines) {
    struct Case {
        const char* what;
        QByteArray file;  ///< empty: no file
        QStringList rows;
        QString copied;
    };
    const std::vector<Case> cases = {
        {"two lines", "Engine=2.1\nReports=5.5\n", {"Engine|2.1", "Reports|5.5"}, "Engine\t2.1\r\nReports\t5.5\r\n"},
        {"line without =", "Plain text\nA=b=c\n", {"|Plain text", "A|b=c"}, "\tPlain text\r\nA\tb=c\r\n"},
        {"no file", {}, {"|Version file not found."}, "\tVersion file not found.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(m_dir.filePath("Versions.txt"));
        if (!c.file.isEmpty()) writeVersions(c.file);
        DialogAnswerer answers;
        run(answers, [&](TAbout& a) {
            EXPECT_EQ(a.Pages->currentWidget(), a.VersionPage);
            a.Pages->setCurrentWidget(a.VersionsPage);
            QStringList rows;
            for (int i = 0; i < a.VersionsList->topLevelItemCount(); ++i)
                rows << a.VersionsList->topLevelItem(i)->text(0) + "|" + a.VersionsList->topLevelItem(i)->text(1);
            EXPECT_EQ(rows, c.rows);
            a.CopyVersionsBtn->click();
            EXPECT_EQ(QApplication::clipboard()->text(), c.copied);
        });
    }
}

TEST_F(AboutBox, the_pages_show_version_contacts_and_the_memory_of_proc_meminfo) {
    QFile::copy(QStringLiteral(DOSSARA_VERSIONS_FILE), m_dir.filePath("Versions.txt"));
    core::WriteWinRegString("URL", "Mail_Support", "help@example.org");
    QStringList opened;
    TURL::SetOpener([&](const QString& address) {
        opened << address;
        return true;
    });
    DialogAnswerer answers;
    run(answers, [&](TAbout& a) {
        EXPECT_EQ(a.windowTitle(), "About Dossara");
        EXPECT_EQ(a.size(), QSize(457, 281));
        EXPECT_EQ(a.About_Version->text(), "Version 1.0.0");
        const QStringList captions = {"About", "Versions", "Contacts", "Copyright", "Credits", "System"};
        for (int i = 0; i < a.Pages->count(); ++i) {
            EXPECT_EQ(a.Pages->tabText(i), captions.value(i));
            a.Pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
            const QString now = QDir::currentPath();
            QDir::setCurrent(g_startFolder);
            testsupport::GrabToPng(&a, "about_" + captions.value(i).toLower());
            QDir::setCurrent(now);
        }
        // The shipped list names the program and its libraries.
        a.Pages->setCurrentWidget(a.VersionsPage);
        EXPECT_EQ(a.VersionsList->topLevelItem(0)->text(0), "Dossara");
        EXPECT_GE(a.VersionsList->topLevelItemCount(), 5);

        EXPECT_EQ(a.SupportMail->text(), "help@example.org");
        EXPECT_EQ(a.WebSite->text(), "www.dossara.org");
        for (QLineEdit* e : {a.SupportMail, a.WebSite}) QTest::mouseClick(e, Qt::LeftButton);

        const services::MemoryStatus memory = services::ReadMemoryStatus();
        EXPECT_GT(memory.totalKB, 0);
        EXPECT_EQ(a.PhysMem->text(), QString::number(memory.totalKB) + " KB");
        EXPECT_TRUE(a.AvailMem->text().endsWith(" KB"));
        EXPECT_EQ(a.ComCtlVers->text(), QStringLiteral("%1.%2").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR));
    });
    EXPECT_EQ(opened, QStringList({"mailto:help@example.org", "http://www.dossara.org"}));
}

TEST_F(AboutBox, memory_figures_are_read_in_kilobytes_from_a_meminfo_file) {
    const QString file = m_dir.filePath("meminfo");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MemTotal:       16314888 kB\nMemFree:         1220424 kB\nMemAvailable:    9876543 kB\n");
    f.close();
    const services::MemoryStatus status = services::ReadMemoryStatus(file);
    EXPECT_EQ(status.totalKB, 16314888);
    EXPECT_EQ(status.availableKB, 9876543);
    EXPECT_EQ(services::ReadMemoryStatus(m_dir.filePath("missing")).totalKB, 0);
}

}  // namespace
