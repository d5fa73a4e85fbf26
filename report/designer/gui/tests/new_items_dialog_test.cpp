#include "report/designer/gui/new_items_dialog.h"
#include "report/designer/gui/report_wizard.h"
#include "testsupport/qt_printers.h"

#include "report/model/report.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

QImage solid(int aSize, QColor aColor) {
    QImage image(aSize, aSize, QImage::Format_RGB32);
    image.fill(aColor);
    return image;
}

// Item classes described by hand; TppWizard has no picture resource of its name.
TppWizardClass itemClass(QString aCaption, std::function<QImage()> aBitmap, TClass aClass = &TppWizard::staticMetaObject) {
    return TppWizardClass{aClass, [aCaption] { return aCaption; }, std::move(aBitmap), nullptr};
}

const TppWizardClass kGreen = itemClass("Green", [] { return solid(32, Qt::green); });
const TppWizardClass kSmall = itemClass("Small", [] { return solid(16, Qt::blue); });
const TppWizardClass kBig = itemClass("Big", [] { return solid(48, Qt::blue); });
const TppWizardClass kNone = itemClass("None", [] { return QImage(); });
const TppWizardClass kRed = itemClass("Red", [] { return solid(32, Qt::red); });
const TppWizardClass kNamed = itemClass("Named", [] { return solid(32, Qt::red); }, &TppBlankReportWizard::staticMetaObject);

TppWizardClassList listOf(std::initializer_list<const TppWizardClass*> aClasses) {
    TppWizardClassList list;
    for (const TppWizardClass* c : aClasses) list.append({c->Caption(), c});
    return list;
}

QRgb centre(const QImage& aImage) { return aImage.convertToFormat(QImage::Format_RGB32).pixel(16, 16); }

class NewItems : public ::testing::Test {
protected:
    void SetUp() override { report::RegisterNewItemsDialog(); }
    void TearDown() override { report::UnRegisterNewItemsDialog(); }
};

TEST_F(NewItems, a_picture_comes_from_the_resource_of_the_class_name_else_the_class_else_the_placeholder) {
    const QRgb placeholder = centre(ppLoadBitmap(QStringLiteral("PPNOWIZARDBITMAP")));
    struct Row {
        const TppWizardClass* itemClass;
        QRgb centre;
    };
    const Row rows[] = {
        {&kGreen, QColor(Qt::green).rgb()},
        {&kSmall, placeholder},
        {&kBig, placeholder},
        {&kNone, placeholder},
        {&kNamed, centre(ppLoadBitmap(QStringLiteral("TPPBLANKREPORTWIZARD")))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.itemClass->Caption().toStdString());
        const QImage picture = TppNewDialog::ItemPicture(*row.itemClass);
        EXPECT_EQ(picture.size(), QSize(32, 32));
        EXPECT_EQ(centre(picture), row.centre);
    }
}

TEST_F(NewItems, the_dialog_shows_tabs_only_when_both_pages_have_items_and_opens_the_first_filled_page) {
    struct Row {
        const char* name;
        TppWizardClassList wizards;
        TppWizardClassList items;
        bool tabs;
        const char* page;  // the page shown
        const TppWizardClass* selected;
    };
    const Row rows[] = {
        {"wizards only", listOf({&kGreen, &kRed}), {}, false, "tbsNew", &kGreen},
        {"item classes only", {}, listOf({&kRed}), false, "tbsTemplates", &kRed},
        {"both", listOf({&kGreen}), listOf({&kRed}), true, "tbsNew", &kGreen},
        {"neither", {}, {}, false, "tbsNew", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
        ASSERT_NE(dialog, nullptr);
        dialog->SetWizardClasses(row.wizards);
        dialog->SetItemClasses(row.items);
        auto* form = dynamic_cast<QWidget*>(dialog.get());
        form->show();
        auto* pages = testsupport::FindControl<QTabWidget>(form, "nbkNew");
        EXPECT_EQ(pages->tabBar()->isVisible(), row.tabs);
        EXPECT_EQ(pages->currentWidget()->objectName(), QString::fromLatin1(row.page));
        EXPECT_EQ(dialog->GetSelectedItem(), row.selected);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("New Items"));
        if (row.tabs) testsupport::GrabToPng(form, QStringLiteral("new_items_both_pages"));
    }
}

TEST_F(NewItems, every_item_keeps_its_own_picture_when_one_is_replaced_for_its_size) {
    std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
    dialog->SetWizardClasses(listOf({&kGreen, &kSmall, &kRed}));
    auto* form = dynamic_cast<QWidget*>(dialog.get());
    form->show();
    auto* view = testsupport::FindControl<QListWidget>(form, "lvwWizards");
    ASSERT_EQ(view->count(), 3);
    const QRgb expected[] = {QColor(Qt::green).rgb(), centre(ppLoadBitmap(QStringLiteral("PPNOWIZARDBITMAP"))),
                             QColor(Qt::red).rgb()};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(centre(view->item(i)->icon().pixmap(32, 32).toImage()), expected[i]);
    }
    testsupport::GrabToPng(form, QStringLiteral("new_items_pictures"));
}

TEST_F(NewItems, a_double_click_or_ok_with_a_selection_chooses_and_ok_without_one_does_nothing) {
    enum class Act { DoubleClickSecond, OkOnSecond, OkWithoutSelectionThenCancel, Cancel };
    struct Row {
        const char* name;
        Act act;
        report::ModalResult result;
        const TppWizardClass* chosen;
    };
    const Row rows[] = {
        {"double click", Act::DoubleClickSecond, report::ModalResult::mrOk, &kRed},
        {"OK with a selection", Act::OkOnSecond, report::ModalResult::mrOk, &kRed},
        {"OK without a selection", Act::OkWithoutSelectionThenCancel, report::ModalResult::mrCancel, nullptr},
        {"Cancel", Act::Cancel, report::ModalResult::mrCancel, &kGreen},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::DialogAnswerer answers;
        std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
        dialog->SetWizardClasses(listOf({&kGreen, &kRed}));
        answers.ExpectModal<TppNewDialog>([&](TppNewDialog& d) {
            auto* view = testsupport::FindControl<QListWidget>(&d, "lvwWizards");
            switch (row.act) {
            case Act::DoubleClickSecond: {
                const QRect r = view->visualItemRect(view->item(1));
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
                break;
            }
            case Act::OkOnSecond:
                view->setCurrentRow(1);
                testsupport::Click(&d, "btnOK");
                break;
            case Act::OkWithoutSelectionThenCancel:
                view->clearSelection();
                testsupport::Click(&d, "btnOK");
                EXPECT_TRUE(d.isVisible());
                testsupport::Click(&d, "btnCancel");
                break;
            case Act::Cancel:
                testsupport::Click(&d, "btnCancel");
                break;
            }
        });
        EXPECT_EQ(dialog->ShowModal(), row.result);
        EXPECT_EQ(dialog->GetSelectedItem(), row.chosen);
    }
}

TEST_F(NewItems, the_registered_report_wizards_are_offered_in_registry_order) {
    ppRegisterBlankReportWizard(ppWizardClass<TppBlankReportWizard>());
    TppWizardClassList wizards;
    ppGetReportWizardClasses(wizards);
    std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
    dialog->SetWizardClasses(wizards);
    auto* form = dynamic_cast<QWidget*>(dialog.get());
    form->show();
    auto* view = testsupport::FindControl<QListWidget>(form, "lvwWizards");
    ASSERT_EQ(view->count(), 1);
    EXPECT_EQ(view->item(0)->text(), QStringLiteral("Report"));
    EXPECT_EQ(dialog->GetSelectedItem(), ppGetBlankReportWizard());
    testsupport::GrabToPng(form, QStringLiteral("new_items_report_wizards"));
    ppUnregisterWizard(ppGetBlankReportWizard());
    EXPECT_EQ(ppGetBlankReportWizard(), nullptr);
}

TEST_F(NewItems, the_report_wizard_comes_first_with_its_picture_and_the_blank_report_after_it) {
    ppRegisterBlankReportWizard(ppWizardClass<TppBlankReportWizard>());
    report::RegisterReportWizard();
    TppWizardClassList wizards;
    ppGetReportWizardClasses(wizards);
    std::unique_ptr<TppCustomNewDialog> dialog(report::CreateForm<TppCustomNewDialog>(nullptr));
    dialog->SetWizardClasses(wizards);
    auto* form = dynamic_cast<QWidget*>(dialog.get());
    form->show();
    auto* view = testsupport::FindControl<QListWidget>(form, "lvwWizards");
    ASSERT_EQ(view->count(), 2);
    EXPECT_EQ(view->item(0)->text(), QStringLiteral("Report Wizard"));
    EXPECT_EQ(view->item(1)->text(), QStringLiteral("Report"));
    EXPECT_EQ(dialog->GetSelectedItem(), ppGetDefaultReportWizard());
    EXPECT_EQ(centre(TppNewDialog::ItemPicture(*ppGetDefaultReportWizard())),
              centre(ppLoadBitmap(QStringLiteral("PPREPORTWIZARD"))));
    testsupport::GrabToPng(form, QStringLiteral("new_items_with_report_wizard"));
    // Report classes on the Templates page are described by their class name.
    EXPECT_EQ(TppCustomReport::ClassDescription(&TppReport::staticMetaObject), QStringLiteral("TppReport"));
    report::UnRegisterReportWizard();
    ppUnregisterWizard(ppGetBlankReportWizard());
    EXPECT_EQ(ppGetDefaultReportWizard(), nullptr);
}

}  // namespace
