#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class ResourceManager : public ::testing::Test {
protected:
    void SetUp() override {
        report::DeclareFoundationTexts();
        report::DeclareTexts({{18, "Page"}, {16, "of"}});
        ppFreeResourceManager();
        ppGetResourceManager().SetSearchFolders({m_folder.path()});
    }
    void TearDown() override { ppFreeResourceManager(); }

    void writeModule(const QString& fileName, const QByteArray& content) {
        QFile f(m_folder.filePath(fileName));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QTemporaryDir m_folder;
};

TEST_F(ResourceManager, without_module_files_only_the_default_language_is_accepted) {
    TppResourceManager& rm = ppGetResourceManager();
    rm.RegisterModule(QStringLiteral("tsPrint"));
    EXPECT_EQ(rm.LoadedCount(), 0);
    EXPECT_FALSE(rm.SetLanguage(TppLanguageType::lgGerman));
    EXPECT_EQ(rm.Language(), TppLanguageType::lgDefault);
    EXPECT_TRUE(rm.SetLanguage(TppLanguageType::lgDefault));
    EXPECT_EQ(ppGetMessageText(18), QStringLiteral("Page"));
    EXPECT_EQ(ppGetMessageText(99999), QString());
}

TEST_F(ResourceManager, modules_are_asked_in_registration_order_then_the_program_texts) {
    writeModule(QStringLiteral("tsPrint.fra"), "; French texts of the output side\n43018=Page (impression)\n");
    writeModule(QStringLiteral("tsIDE.fra"), "43018=Page (conception)\r\n43016=sur\r\n43020=\nnot a line\n");
    TppResourceManager& rm = ppGetResourceManager();
    rm.RegisterModule(QStringLiteral("tsPrint"));
    rm.RegisterModule(QStringLiteral("tsIDE"));
    rm.RegisterModule(QStringLiteral("TSPRINT"));  // once only
    EXPECT_EQ(rm.Modules(), QStringList({"tsPrint", "tsIDE"}));
    EXPECT_EQ(rm.LoadedCount(), 0);  // the default language has no modules here

    ASSERT_TRUE(rm.SetLanguage(TppLanguageType::lgFrench));
    EXPECT_EQ(rm.LoadedCount(), 2);
    EXPECT_EQ(ppGetMessageText(18), QStringLiteral("Page (impression)"));  // first registered wins
    EXPECT_EQ(ppGetMessageText(16), QStringLiteral("sur"));                 // falls through to the second
    EXPECT_EQ(ppGetMessageText(46), QStringLiteral("File not found:"));     // to the program's texts

    rm.UnRegisterModule(QStringLiteral("tsprint"));
    EXPECT_EQ(rm.LoadedCount(), 1);
    EXPECT_EQ(ppGetMessageText(18), QStringLiteral("Page (conception)"));

    // A language without modules is refused and leaves none loaded.
    EXPECT_FALSE(rm.SetLanguage(TppLanguageType::lgSwedish));
    EXPECT_EQ(rm.Language(), TppLanguageType::lgFrench);
    EXPECT_EQ(rm.LoadedCount(), 0);
    EXPECT_EQ(ppGetMessageText(18), QStringLiteral("Page"));
}

TEST_F(ResourceManager, module_texts_are_unescaped_and_cut_to_1023_characters) {
    writeModule(QStringLiteral("TSDAVREL.DFT"),
                "43001=a\\rb\\nc\\td\\\\e\\x\n43002=" + QByteArray(2000, 'x') + "\n43003=caf\xc3\xa9\n");
    TppResourceManager& rm = ppGetResourceManager();
    rm.RegisterModule(QStringLiteral("tsDavrel"));  // found whatever the case of its file name
    EXPECT_EQ(rm.LoadedCount(), 1);
    EXPECT_EQ(ppGetMessageText(1), QStringLiteral("a\rb\nc\td\\e\\x"));
    EXPECT_EQ(ppGetMessageText(2).size(), 1023);
    EXPECT_EQ(ppGetMessageText(3), QStringLiteral("caf\u00e9"));
}

TEST(NumberedTexts, placeholders_become_format_arguments_in_their_order) {
    report::DeclareFoundationTexts();
    ppFreeResourceManager();
    EXPECT_EQ(ppMessageToFormat(ppGetMessageText(28)), QStringLiteral("Printing page %s of %s for report %s on the %s"));
    EXPECT_EQ(report::MessageText(28, {"3", "12", "Invoices", "PDF"}),
              QStringLiteral("Printing page 3 of 12 for report Invoices on the PDF"));
    EXPECT_EQ(report::MessageText(67, {"/tmp/a.txt"}), QStringLiteral("Unable to open file: /tmp/a.txt."));
    EXPECT_EQ(ppMessageToFormat(QStringLiteral("<Page> <no><length>")), QStringLiteral("<Page> %s%s"));
}

TEST(NumberedTexts, each_language_has_its_module_extension) {
    static const struct {
        TppLanguageType language;
        const char* extension;
    } cases[] = {
        {TppLanguageType::lgDefault, "dft"}, {TppLanguageType::lgDanish, "dan"},
        {TppLanguageType::lgDutch, "nld"},   {TppLanguageType::lgEnglish, "eng"},
        {TppLanguageType::lgFrench, "fra"},  {TppLanguageType::lgGerman, "deu"},
        {TppLanguageType::lgItalian, "ita"}, {TppLanguageType::lgPortugueseBrazil, "ptb"},
        {TppLanguageType::lgPortuguese, "ptg"}, {TppLanguageType::lgSpanish, "esp"},
        {TppLanguageType::lgSpanishMexico, "esm"}, {TppLanguageType::lgSwedish, "sve"},
        {TppLanguageType::lgNorwegian, "nor"}, {TppLanguageType::lgCustom, "cst"},
    };
    for (const auto& c : cases) EXPECT_EQ(ppGetLanguageExtension(c.language), QLatin1String(c.extension));
}

}  // namespace
