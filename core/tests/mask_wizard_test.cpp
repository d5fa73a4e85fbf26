#include "core/gui/mask_wizard.h"
#include "core/gui/save_mask_dialog.h"
#include "core/gui/view_icon_list.h"

#include "core/tests/sample_database.h"

#include "platform/format/gui/masked_line_edit.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>
#include "test_paths.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::FindControl;

/// The sample database with a copy of the shipped library folder connected.
class LibraryTest : public coretest::SampleDatabase {
protected:
    void SetUp() override {
        coretest::SampleDatabase::SetUp();
        library = FilePath(QStringLiteral("Library"));
        QDir().mkpath(library);
        const QDir shipped(QDir(QStringLiteral(DOSSARA_BIN_DIR)).filePath(QStringLiteral("Library")));
        for (const QString& name : shipped.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), QDir(library).filePath(name)));
        module->ConnectLibrary(library);
        module->LoadViewImages();
    }
    void TearDown() override {
        module->DisconnectLibrary();
        coretest::SampleDatabase::TearDown();
    }
    /// Every MaskLib row as "ID|Name|Mask|Sample".
    QStringList MaskRows() { return RowsOf(library, core::kMaskLibTable); }
    QString library;
};

TEST_F(LibraryTest, the_wizard_takes_a_library_mask_and_refuses_one_not_valid_for_a_number) {
    core::WriteRegBool("Wizards", "MaskBuilder", "Control", "WizardOn", true);
    DialogAnswerer answers;
    answers.ExpectModal<TMaskWizard>([](TMaskWizard& w) {
        testsupport::GrabToPng(&w, "mask_wizard_start");
        EXPECT_EQ(w.Pages->currentWidget(), w.StartPage);
        testsupport::Click(&w, "YesBtn");
        testsupport::GrabToPng(&w, "mask_wizard_library");
        ASSERT_GT(w.MaskList->topLevelItemCount(), 0);
        w.MaskList->setCurrentItem(w.MaskList->topLevelItem(0));
        testsupport::Click(&w, "UseLibraryMaskBtn");
    });
    const QString first = core::RunMaskWizard(*module->MaskLibrary, u'S', {}, false);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_FALSE(module->MaskLibrary->Active());  // closed again

    // A mask with letters is no mask for a Number field.
    DialogAnswerer refuse;
    refuse.ExpectModal<TMaskWizard>([](TMaskWizard& w) {
        testsupport::Click(&w, "NoBtn");
        testsupport::GrabToPng(&w, "mask_wizard_mask");
        w.MaskEdit->setText("LL-##");
        DialogAnswerer inner;
        inner.ExpectMessage("There are characters in the Mask that are not valid for the field.", ui::Button::Ok);
        testsupport::Click(&w, "FinishBtn");
        EXPECT_EQ(w.Pages->currentWidget(), w.MaskPage);
        testsupport::Click(&w, "CancelBtn");
    });
    EXPECT_TRUE(core::RunMaskWizard(*module->MaskLibrary, u'N', {}, false).isEmpty());
}

TEST_F(LibraryTest, with_the_wizard_off_it_opens_on_the_mask_page_and_saves_to_the_library) {
    core::WriteRegBool("Wizards", "MaskBuilder", "Control", "WizardOn", false);
    const int before = MaskRows().size();
    DialogAnswerer answers;
    answers.ExpectModal<TMaskWizard>([](TMaskWizard& w) {
        EXPECT_EQ(w.Pages->currentWidget(), w.MaskPage);
        EXPECT_TRUE(w.MaskOKBtn->isVisible());
        EXPECT_FALSE(w.FinishBtn->isVisible());
        w.MaskEdit->setText("000-000");
        EXPECT_EQ(w.TrialEdit->EditMaskText(), "000-000;1; ");
        testsupport::Click(&w, "SaveMaskCheck");
        EXPECT_TRUE(w.FinishSaveCheck->isChecked());
        testsupport::Click(&w, "MaskOKBtn");
    });
    answers.ExpectModal<TSaveFieldMask>([](TSaveFieldMask& d) {
        EXPECT_TRUE(d.MaskEdit->isReadOnly());
        EXPECT_EQ(d.MaskEdit->text(), "000-000");
        {
            DialogAnswerer inner;
            inner.ExpectMessage("You must enter a mask name.", ui::Button::Ok);
            testsupport::Click(&d, "OKBtn");
        }
        d.NameEdit->setText("Six digits with a dash between the halves");  // cut to 30
        d.SampleEdit->setText("123-456");
        testsupport::Click(&d, "OKBtn");
    });
    EXPECT_EQ(core::RunMaskWizard(*module->MaskLibrary, u'S', {}, false), "000-000");
    const QStringList rows = MaskRows();
    ASSERT_EQ(rows.size(), before + 1);
    EXPECT_EQ(rows.filter("|000-000|").size(), 1);
    EXPECT_EQ(rows.filter("|Six digits with a dash between|000-000|123-456").size(), 1) << rows.join("\n");
    EXPECT_FALSE(core::ReadRegBool("Wizards", "MaskBuilder", "Control", "WizardOn", true));
}

TEST_F(LibraryTest, new_mask_rows_take_the_last_id_plus_one) {
    db::Table& t = *module->MaskLibrary;
    t.Open();
    while (!(t.First(), t.Eof())) t.Delete();
    for (int id : {1, 2, 7}) {
        t.Append();
        t.FieldByName("ID")->SetAsInteger(id);
        t.FieldByName("Name")->SetAsString(QString("m%1").arg(id));
        t.FieldByName("Mask")->SetAsString("999");
        t.Post();
    }
    TSaveFieldMask d(t, {}, {}, {}, 0, u'A');
    d.MaskEdit->setText("##");
    d.NameEdit->setText("two");
    ASSERT_TRUE(d.SaveMask());
    EXPECT_TRUE(t.FindKey({8}));
    EXPECT_EQ(t.FieldByName("Name")->AsString(), "two");
    t.Close();
}

TEST_F(LibraryTest, the_icon_picker_offers_the_library_icons_and_answers_the_chosen_glyph) {
    QImage picture;
    DialogAnswerer answers;
    answers.ExpectModal<TViewIconList>([](TViewIconList& d) {
        testsupport::GrabToPng(&d, "view_icon_picker");
        ASSERT_GE(d.IconList->count(), 3);
        d.IconList->clearSelection();
        {
            DialogAnswerer inner;
            inner.ExpectMessage("You must select an icon first.", ui::Button::Ok);
            d.SelectBtn->setEnabled(true);
            testsupport::Click(&d, "SelectBtn");
        }
        for (int row = 0; row < d.IconList->count(); ++row)
            if (d.IconList->item(row)->data(Qt::UserRole).toInt() == 3) d.IconList->setCurrentRow(row);
        testsupport::Click(&d, "SelectBtn");
    });
    const int glyph = core::ShowViewIconPicker(views, *module->IconLibrary, 1, module->ViewImageLarge, picture);
    EXPECT_EQ(glyph, 3);
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(views.GetIconImageIndex(glyph), views.GetIconImageIndex(3));

    // An empty library offers nothing.
    db::Table& t = *module->IconLibrary;
    t.Open();
    while (!(t.First(), t.Eof())) t.Delete();
    t.Close();
    DialogAnswerer none;
    none.ExpectMessage("No View icons were found in the View Icon Library.", ui::Button::Ok);
    EXPECT_EQ(core::ShowViewIconPicker(views, t, 1, module->ViewImageLarge, picture), -1);
}

}  // namespace
