// The Page Setting dialog, reached as a user reaches it: the page-style band's popup command
// "Page Setting..." runs the registered form through the band's prompt.

#include "report/designer/gui/page_setting_dialog.h"

#include "report/designer/gui/popup_menu.h"
#include "report/model/band_classes.h"
#include "report/model/report.h"
#include "report/page/units.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class PageSettingDialog : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::InstallPageSettingDialog();
        report = new TppReport(&owner);
        pageStyle = new TppPageStyle(&owner);
        pageStyle->SetReport(report);
    }
    void TearDown() override {
        delete report;
        report::UnInstallPageSettingDialog();
        report::SetScreenPixelsPerInch(0);
    }

    /// Runs the band's popup command with `fill` driving the dialog.
    /// Runs the band's popup command with `fill` driving the dialog; `message` is a prompt
    /// expected while it runs.
    void run(std::function<void(TppPageSettingDialog&)> fill, const QString& message = {}) {
        answerer.ExpectModal<TppPageSettingDialog>([fill](TppPageSettingDialog& d) {
            QCoreApplication::processEvents();
            fill(d);
        });
        if (!message.isEmpty()) answerer.ExpectMessage(message, ui::Button::Ok, ui::MessageKind::Warning);
        TppPopupMenu* menu = report::DesignPopupMenu(pageStyle);
        ASSERT_NE(menu, nullptr);
        QAction* item = menu->ItemByName(QStringLiteral("PageSetting"));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), "Page Setting...");
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(answerer.Pending(), 0);
    }

    testsupport::DialogAnswerer answerer;
    TComponent owner;
    TppReport* report = nullptr;
    TppPageStyle* pageStyle = nullptr;
};

TEST_F(PageSettingDialog, pages_typed_as_a_list_are_kept_as_typed) {
    run([](TppPageSettingDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Page Setting");
        EXPECT_TRUE(d.rdbAll->isChecked());
        QTest::mouseClick(d.edtPages, Qt::LeftButton);  // clicking into the text chooses Pages
        EXPECT_TRUE(d.rdbPages->isChecked());
        EXPECT_FALSE(d.rdbAll->isChecked());
        d.edtPages->setText("2-4,1");
        testsupport::GrabToPng(&d, QStringLiteral("page_setting_dialog"));
        d.btnOK->click();
        EXPECT_EQ(d.PageList, (QStringList{"       1", "       2", "       3", "       4"}));
    });
    EXPECT_EQ(pageStyle->PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(pageStyle->ValidPages(), "2-4,1");
    EXPECT_EQ(pageStyle->PageList().size(), 4);
}

TEST_F(PageSettingDialog, pages_without_a_page_number_are_refused) {
    for (const char* text : {"", "a-b", " , "}) {
        SCOPED_TRACE(text);
        run([text](TppPageSettingDialog& d) {
            d.rdbPages->click();
            d.edtPages->setText(QString::fromLatin1(text));
            d.btnOK->click();
            EXPECT_TRUE(d.isVisible());
            d.btnCancel->click();
        }, QStringLiteral("^No pages entered\\.$"));
        EXPECT_EQ(pageStyle->PageSetting(), TppPageSettingType::psAll);
    }
}

TEST_F(PageSettingDialog, each_choice_and_the_setting_shown_on_every_activation) {
    pageStyle->SetValidPages(QStringLiteral("3,5"));
    struct Case {
        QRadioButton* TppPageSettingDialog::*button;
        TppPageSettingType expected;
    };
    const Case cases[] = {{&TppPageSettingDialog::rdbFirstPage, TppPageSettingType::psFirstPage},
                          {&TppPageSettingDialog::rdbLastPage, TppPageSettingType::psLastPage},
                          {&TppPageSettingDialog::rdbAll, TppPageSettingType::psAll}};
    for (const Case& c : cases) {
        pageStyle->SetValidPages(QStringLiteral("3,5"));
        run([&](TppPageSettingDialog& d) {
            EXPECT_TRUE(d.rdbPages->isChecked());
            EXPECT_EQ(d.edtPages->text(), "3,5");
            (d.*c.button)->click();
            EXPECT_EQ(d.edtPages->text(), "");  // the page text is emptied
            // A new activation shows the setting the dialog holds again.
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&d, &activate);
            EXPECT_TRUE(d.rdbPages->isChecked());
            EXPECT_FALSE((d.*c.button)->isChecked());
            (d.*c.button)->click();
            d.btnOK->click();
        });
        EXPECT_EQ(pageStyle->PageSetting(), c.expected);
        EXPECT_EQ(pageStyle->ValidPages(), "");
        EXPECT_TRUE(pageStyle->PageList().isEmpty());
    }
}

TEST_F(PageSettingDialog, a_setting_without_a_button_shows_none_and_ok_gives_all) {
    pageStyle->SetPageSetting(TppPageSettingType::psSinglePage);
    run([](TppPageSettingDialog& d) {
        for (QRadioButton* r : {d.rdbAll, d.rdbFirstPage, d.rdbLastPage, d.rdbPages}) EXPECT_FALSE(r->isChecked());
        d.btnOK->click();
    });
    EXPECT_EQ(pageStyle->PageSetting(), TppPageSettingType::psAll);
}

TEST_F(PageSettingDialog, cancel_keeps_the_bands_setting) {
    pageStyle->SetPageSetting(TppPageSettingType::psLastPage);
    run([](TppPageSettingDialog& d) {
        d.rdbFirstPage->click();
        d.btnCancel->click();
    });
    EXPECT_EQ(pageStyle->PageSetting(), TppPageSettingType::psLastPage);
}

}  // namespace
