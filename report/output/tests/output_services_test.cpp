// What the data workspace, the scripting language and the cross-tab reach in the output
// layer: the replaceable dialogs they register and look up, and the printer's font dialog.

#include "report/output/dialog_registry.h"
#include "report/output/gui/printer_font_dialog.h"
#include "report/output/printer.h"
#include "report/output/tests/output_fixtures.h"
#include "report/output/wizard.h"
#include "testsupport/qt_printers.h"

#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/report_template.h"
#include "report/page/report_font.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "platform/paint/canvas.h"
#include "platform/print/testing/fake_catalog.h"
#include "report/page/printer_list.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QSpinBox>
#include <QTemporaryDir>

namespace {

/// A form that only remembers that it was made.
template <class Abstract>
class RecordingForm : public Abstract {
public:
    explicit RecordingForm(QObject*) { ++made; }
    report::ModalResult ShowModal() override { return answer; }
    void Show() override {}
    void Close() override {}
    bool IsShowing() const override { return false; }
    void EndModal(report::ModalResult) override {}
    static inline int made = 0;
    static inline report::ModalResult answer = report::ModalResult::mrOk;
};

template <class Abstract>
void expectRegistered() {
    SCOPED_TRACE(Abstract::kClassName);
    const QString name = QString::fromLatin1(Abstract::kClassName);
    EXPECT_EQ(report::ppGetFormClass(name), nullptr);
    EXPECT_EQ(report::CreateForm<Abstract>(nullptr), nullptr);
    report::RegisterForm<Abstract, RecordingForm<Abstract>>();
    ASSERT_NE(report::ppGetFormClass(name.toUpper()), nullptr);  // names compared without case
    std::unique_ptr<Abstract> form(report::CreateForm<Abstract>(nullptr));
    EXPECT_NE(form, nullptr);
    EXPECT_EQ(RecordingForm<Abstract>::made, 1);
    report::UnRegisterForm<Abstract>();
    EXPECT_EQ(report::ppGetFormClass(name), nullptr);
}

struct Answering : RecordingForm<TppCustomTemplateErrorDialog> {
    using RecordingForm::RecordingForm;
    void Init() override {
        asked = Message;
        Result = Answer::IgnoreAll;
    }
    static inline QString asked;
};

}  // namespace

TEST(OutputServices, the_abstract_dialogs_of_the_other_subsystems_are_registered_found_and_removed) {
    expectRegistered<TppCustomCalcDialog>();
    expectRegistered<TppCustomAboutDialog>();
    expectRegistered<TppCustomFormatDialog>();
    expectRegistered<TppCustomCrossTabDesignerForm>();
    expectRegistered<TppCustomDataSettingsDialog>();
    expectRegistered<TppCustomNewDialog>();
    expectRegistered<TppCustomTemplateDialog>();
    expectRegistered<TppCustomTemplateErrorDialog>();

    // The cross-tab designer carries its cross-tab and lets go of it when it is freed.
    RecordingForm<TppCustomCrossTabDesignerForm> designer(nullptr);
    auto* crossTab = new QObject;
    designer.SetCrossTab(crossTab);
    EXPECT_EQ(designer.CrossTab(), crossTab);
    delete crossTab;
    EXPECT_EQ(designer.CrossTab(), nullptr);
}

TEST(OutputServices, a_registered_template_error_form_answers_the_reading_errors_of_templates) {
    report::RegisterReportClasses();
    report::InstallRegisteredTemplateDialogs();
    report::RegisterForm<TppCustomTemplateErrorDialog, Answering>();
    TComponent form;
    auto* target = new TppReport(&form);
    target->Template()->LoadFromBytes("object rptList: TppReport\n  Nonsense = 3\n  Columns = 2\nend\n");
    EXPECT_EQ(target->Columns(), 2);  // the error was ignored and the load went on
    EXPECT_TRUE(Answering::asked.endsWith(QStringLiteral("\r\nIgnore the error and continue?"))) << Answering::asked.toStdString();
    report::UnRegisterForm<TppCustomTemplateErrorDialog>();
}

TEST(OutputServices, the_printer_font_dialog_offers_the_printer_fonts_and_hands_back_the_choice) {
    TppFont start;
    start.SetName(QStringLiteral("DejaVu Sans"));
    start.SetSize(10);
    testsupport::DialogAnswerer answers;
    answers.ExpectModal<TppPrinterFontDialog>([](TppPrinterFontDialog& d) {
        auto* faces = testsupport::FindControl<QListWidget>(&d, "lbxFontName");
        ASSERT_TRUE(faces);
        ASSERT_TRUE(faces->currentItem());
        EXPECT_EQ(faces->currentItem()->text(), QStringLiteral("DejaVu Sans"));
        const QList<QListWidgetItem*> mono = faces->findItems(QStringLiteral("DejaVu Sans Mono"), Qt::MatchFixedString);
        ASSERT_FALSE(mono.isEmpty());
        faces->setCurrentItem(mono.first());
        testsupport::FindControl<QSpinBox>(&d, "edtFontSize")->setValue(14);
        testsupport::FindControl<QCheckBox>(&d, "cbxBold")->setChecked(true);
        d.resize(420, 360);
        testsupport::GrabToPng(&d, QStringLiteral("report_printer_font_dialog"));
        testsupport::Click(&d, "btnOK");
    });
    answers.ExpectModal<TppPrinterFontDialog>([](TppPrinterFontDialog& d) {
        testsupport::FindControl<QSpinBox>(&d, "edtFontSize")->setValue(30);
        testsupport::Click(&d, "btnCancel");
    });
    TppPrinterFontDialog dialog;
    dialog.SetFont(&start);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Font()->Name(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(dialog.Font()->Size(), 14);
    EXPECT_TRUE(dialog.Font()->Style().Contains(paint::TFontStyle::fsBold));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Font()->Size(), 14);  // Cancel keeps the earlier choice
    EXPECT_EQ(answers.Pending(), 0);
}

TEST(OutputServices, the_printer_gives_a_canvas_to_measure_on_before_any_document) {
    QTemporaryDir dir;
    print::testing::ScopedCatalog scoped(outputtest::pdfPrinter(dir.filePath("measure.pdf")), report::ResetPrinterList);
    TppPrinter printer;
    printer.SetPrinterName(QStringLiteral("Office Laser"));
    ASSERT_FALSE(printer.DocumentOpen());
    EXPECT_EQ(printer.Canvas(), nullptr);
    paint::Canvas* canvas = printer.GetCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(printer.GetCanvas(), canvas);  // made once
    paint::Font font;
    font.Name = QStringLiteral("DejaVu Sans");
    font.Size = 10;
    canvas->SetFont(font);
    // Ten points at the printer's resolution: the width grows with the pixels per inch.
    const qreal width = canvas->TextWidth(QStringLiteral("Debian packages"));
    EXPECT_GT(width, 0);
    EXPECT_GT(width, 10 * printer.PixelsPerInchX() / 72.0);  // longer than one em at that resolution
}
