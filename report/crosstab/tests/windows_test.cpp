// The cross-tab's windows under the offscreen platform, driven by object name: the diagram
// (drops, moves, conversions, double-click timing, selection), the Configure Crosstab dialog
// (OK, Cancel, close box, format-bar enabling, Average on every selected value) and the
// CrossTab Wizard from the wizard registry to the finished report and its preview pages.
// DOSSARA_PICTURES=<folder> saves a picture of each window there.

#include "report/crosstab/tests/crosstab_fixture.h"

#include "report/crosstab/gui/crosstab_control.h"
#include "report/crosstab/gui/crosstab_designer.h"
#include "report/crosstab/gui/crosstab_wizard.h"

#include "report/model/engine.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/output/printer.h"
#include "report/page/page.h"

#include "testsupport/dialog_answerer.h"

#include "platform/settings/ini_file.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

using namespace crosstabtest;

namespace {

using D = TppDBCalcType;

void picture(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("DOSSARA_PICTURES");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    w->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

void pictureOf(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("DOSSARA_PICTURES");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

QPoint centre(const TppElement* e) { return QPoint(e->Left + e->Width / 2, e->Top + e->Height / 2); }

class CrossTabWindows : public CrossTabTest {
public:
    void SetUp() override {
        CrossTabTest::SetUp();
        report::RegisterCrossTabWindows();
        TppCrossTabDesignerForm::SettingsFile() = ini.filePath(QStringLiteral("Marlisk.ini"));
    }

    /// A diagram over the cross-tab in a panel of its own.
    void makeDiagram() {
        panel = std::make_unique<QWidget>();
        panel->setLayout(new QVBoxLayout);
        panel->resize(700, 500);
        crossTab->RefreshAvailableFields();
        control = std::make_unique<TppCrossTabControl>(crossTab, panel.get());
        control->Clock = [this] { return now; };
        control->SetVisible(true);
        panel->show();
    }
    /// A click on the paint box at the time given.
    void click(const QPoint& p, qint64 at, Qt::KeyboardModifiers mods = {}) {
        now = at;
        QTest::mousePress(control->PaintBox(), Qt::LeftButton, mods, p);
        QTest::mouseRelease(control->PaintBox(), Qt::LeftButton, mods, p);
    }
    /// A drag of an own box from one point to another.
    void drag(const QPoint& from, const QPoint& to) {
        now += 2000;
        QTest::mousePress(control->PaintBox(), Qt::LeftButton, {}, from);
        QTest::mouseMove(control->PaintBox(), to);
        QTest::mouseRelease(control->PaintBox(), Qt::LeftButton, {}, to);
    }
    QStringList names(int kind) {
        QStringList out;
        const int n = kind == 0 ? crossTab->ColumnDefCount() : kind == 1 ? crossTab->RowDefCount() : crossTab->ValueDefCount();
        for (int i = 0; i < n; ++i)
            out << (kind == 0 ? static_cast<TppDimension*>(crossTab->ColumnDefs(i))
                    : kind == 1 ? static_cast<TppDimension*>(crossTab->RowDefs(i))
                                : static_cast<TppDimension*>(crossTab->ValueDefs(i)))
                       ->FieldAlias();
        return out;
    }

    QTemporaryDir ini;
    std::unique_ptr<QWidget> panel;
    std::unique_ptr<TppCrossTabControl> control;
    qint64 now = 100000;
};

TEST_F(CrossTabWindows, the_diagram_takes_fields_moves_and_converts_definitions) {
    makeReport(20);
    makeDiagram();
    // Empty: the three placeholders only; new column top right, new row left, new value below.
    ASSERT_EQ(control->PaintOrder().size(), 3u);
    TppElement* newColumn = control->NewColumnElement();
    TppElement* newRow = control->NewRowElement();
    TppElement* newValue = control->NewValueElement();
    EXPECT_EQ(newColumn->Name(), "new column");
    EXPECT_GT(newColumn->Left, newRow->Left);
    EXPECT_LT(newColumn->Top, newRow->Top);
    EXPECT_EQ(newValue->Left, newColumn->Left);
    EXPECT_GT(newValue->Top, newColumn->Top);
    picture(panel.get(), QStringLiteral("diagram_empty"));

    // Fields dropped from the list.
    control->FieldDrop(centre(newRow), QStringLiteral("Region"));
    control->FieldDrop(centre(control->NewRowElement()), QStringLiteral("Product"));
    control->FieldDrop(centre(control->NewColumnElement()), QStringLiteral("Year"));
    control->FieldDrop(centre(control->NewColumnElement()), QStringLiteral("Quarter"));
    control->FieldDrop(centre(control->NewValueElement()), QStringLiteral("Amount"));
    control->FieldDrop(centre(control->NewValueElement()), QStringLiteral("Qty"));
    EXPECT_EQ(names(1), QStringList({"Region", "Product"}));
    EXPECT_EQ(names(0), QStringList({"Year", "Quarter"}));
    EXPECT_EQ(names(2), QStringList({"Amount", "Qty"}));
    EXPECT_FALSE(crossTab->AvailableFields().contains(QStringLiteral("Year")));
    // A field dropped on the second row definition goes before it.
    control->FieldDrop(centre(crossTab->RowDefs(1)), QStringLiteral("No"));
    EXPECT_EQ(names(1), QStringList({"Region", "No", "Product"}));
    picture(panel.get(), QStringLiteral("diagram_full"));

    // Dragging the first row definition onto the last moves it after; the last onto the first
    // puts it first.
    drag(centre(crossTab->RowDefs(0)), centre(crossTab->RowDefs(2)));
    EXPECT_EQ(names(1), QStringList({"No", "Product", "Region"}));
    drag(centre(crossTab->RowDefs(2)), centre(crossTab->RowDefs(0)));
    EXPECT_EQ(names(1), QStringList({"Region", "No", "Product"}));
    // The last row definition on "new row", and a value on a row definition, do nothing.
    drag(centre(crossTab->RowDefs(2)), centre(control->NewRowElement()));
    EXPECT_EQ(names(1), QStringList({"Region", "No", "Product"}));
    drag(centre(crossTab->ValueDefs(0)), centre(crossTab->RowDefs(0)));
    EXPECT_EQ(names(2), QStringList({"Amount", "Qty"}));
    // A column definition dropped on "new row" becomes a row with its formatting.
    crossTab->ColumnDefs(1)->SetColor(paint::TColor(0x00FFCC99));
    crossTab->ColumnDefs(1)->SetAlignment(TAlignment::taRightJustify);
    drag(centre(crossTab->ColumnDefs(1)), centre(control->NewRowElement()));
    EXPECT_EQ(names(0), QStringList({"Year"}));
    EXPECT_EQ(names(1), QStringList({"Region", "No", "Product", "Quarter"}));
    EXPECT_EQ(crossTab->RowDefs(3)->Color(), paint::TColor(0x00FFCC99));
    EXPECT_EQ(crossTab->RowDefs(3)->Alignment(), TAlignment::taRightJustify);
}

TEST_F(CrossTabWindows, clicks_select_and_a_double_click_within_750_ms_toggles_a_total) {
    makeReport(20);
    add<TppColumnDef>("Year");
    add<TppColumnDef>("Quarter");
    add<TppRowDef>("Region");
    add<TppRowDef>("Product");
    addValue("Amount", D::dcSum);
    makeDiagram();
    TppCrossTabSelection* s = control->Selection();
    TppElement* year = crossTab->ColumnDefs(0);
    TppElement* region = crossTab->RowDefs(0);
    click(centre(year), now + 5000);
    EXPECT_EQ(s->Count(), 1);
    EXPECT_EQ(s->Items(0), year);
    click(centre(region), now + 5000, Qt::ControlModifier);
    EXPECT_EQ(s->Count(), 2);
    click(centre(region), now + 5000);  // already selected: leaves the selection
    EXPECT_EQ(s->Count(), 1);
    click(QPoint(2, 2), now + 5000);  // empty space
    EXPECT_EQ(s->Count(), 0);

    // Two clicks 400 ms apart on the region subtotal hide it; 900 ms apart do nothing.
    TppSubTotal* sub = crossTab->RowDefs(0)->SubTotals(0);
    const QPoint at = centre(sub->CaptionDef());
    click(at, now + 5000);
    click(at, now + 900);
    EXPECT_TRUE(sub->GetVisible());
    click(at, now + 5000);
    click(at, now + 400);
    EXPECT_FALSE(sub->GetVisible());
    picture(panel.get(), QStringLiteral("diagram_hidden_subtotal"));
    click(at, now + 5000);
    click(at, now + 300);
    EXPECT_TRUE(sub->GetVisible());
    // A column subtotal toggles all subtotals of its column definition.
    TppElement* colSub = crossTab->ColumnDefs(0)->SubTotals(0)->CaptionDef();
    click(centre(colSub), now + 5000);
    click(centre(colSub), now + 200);
    EXPECT_FALSE(crossTab->ColumnDefs(0)->SubTotals(0)->GetVisible());
    // With GridLines off the boxes are framed in the button face colour.
    crossTab->SetGridLines(false);
    control->Refresh();
    const QColor frame = control->Image().pixelColor(year->Left, year->Top + 3);
    EXPECT_EQ(frame, paint::ToQColor(paint::clBtnFace));
}

TEST_F(CrossTabWindows, configure_keeps_changes_on_ok_only_and_the_format_bar_follows_the_selection) {
    makeReport(20);
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    addValue("Qty", D::dcSum);
    report::RegisterCrossTabWindows();
    testsupport::DialogAnswerer answerer;
    // Cancel: the original stays.
    answerer.ExpectModal<TppCrossTabDesignerForm>([](TppCrossTabDesignerForm& f) {
        TppCrossTabDesigner* d = f.Designer();
        d->Control()->FieldDrop(centre(d->Control()->NewColumnElement()), QStringLiteral("Year"));
        EXPECT_EQ(d->CrossTab()->ColumnDefCount(), 1);
        f.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    crossTab->Configure();
    EXPECT_EQ(crossTab->ColumnDefCount(), 0);
    // The close box discards the changes as Cancel does.
    answerer.ExpectModal<TppCrossTabDesignerForm>([](TppCrossTabDesignerForm& f) {
        TppCrossTabDesigner* d = f.Designer();
        d->Control()->FieldDrop(centre(d->Control()->NewColumnElement()), QStringLiteral("Year"));
        f.close();
    });
    crossTab->Configure();
    EXPECT_EQ(crossTab->ColumnDefCount(), 0);
    // OK after changes: the definition is replaced; Average on every selected value.
    answerer.ExpectModal<TppCrossTabDesignerForm>([](TppCrossTabDesignerForm& f) {
        TppCrossTabDesigner* d = f.Designer();
        TppCrossTabControl* c = d->Control();
        EXPECT_EQ(f.windowTitle(), "Configure Crosstab");
        c->FieldDrop(centre(c->NewColumnElement()), QStringLiteral("Year"));
        auto* calc = f.findChild<QComboBox*>(QStringLiteral("cbxCalcType"));
        auto* sortAsc = f.findChild<QToolButton*>(QStringLiteral("btnSortAsc"));
        EXPECT_FALSE(calc->isEnabled());
        // A row definition: sort buttons on, showing ascending.
        c->Selection()->Select(d->CrossTab()->RowDefs(0));
        EXPECT_TRUE(sortAsc->isEnabled());
        EXPECT_TRUE(sortAsc->isChecked());
        EXPECT_FALSE(calc->isEnabled());
        // Both values: the calculation combo and the display format; Average goes to both.
        c->Selection()->Select(d->CrossTab()->ValueDefs(0));
        c->Selection()->Add(d->CrossTab()->ValueDefs(1));
        EXPECT_TRUE(calc->isEnabled());
        EXPECT_TRUE(f.findChild<QToolButton*>(QStringLiteral("btnDisplayFormat"))->isEnabled());
        calc->setCurrentIndex(4);
        emit calc->activated(4);
        EXPECT_EQ(calc->currentText(), "Average");
        EXPECT_EQ(d->CrossTab()->ValueDefs(0)->CalcType(), D::dcAverage);
        EXPECT_EQ(d->CrossTab()->ValueDefs(1)->CalcType(), D::dcAverage);
        // Skip Nulls ticked disables Null Order.
        c->Selection()->Select(d->CrossTab()->RowDefs(0));
        d->Menu()->UpdateItems();
        EXPECT_TRUE(d->Menu()->Item(4)->isChecked());
        EXPECT_FALSE(d->Menu()->Item(5)->isEnabled());
        picture(&f, QStringLiteral("configure_crosstab"));
        f.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    crossTab->Configure();
    ASSERT_EQ(crossTab->ColumnDefCount(), 1);
    EXPECT_EQ(crossTab->ColumnDefs(0)->FieldAlias(), "Year");
    EXPECT_EQ(crossTab->ValueDefs(1)->CalcType(), D::dcAverage);
    // The placement was kept.
    settings::IniFile file(TppCrossTabDesignerForm::SettingsFile());
    EXPECT_TRUE(file.ValueExists(QStringLiteral("Crosstab Dialog"), QStringLiteral("Width")));
    EXPECT_TRUE(file.ReadBool(QStringLiteral("Crosstab Dialog"), QStringLiteral("Tips Visible"), false));
}

TEST_F(CrossTabWindows, the_wizard_builds_a_report_around_a_cross_tab_and_previews_it) {
    makeReport(200);
    TppWizardClassList wizards;
    ppGetReportWizardClasses(wizards);
    const TppWizardClass* cls = nullptr;
    for (const auto& [caption, c] : wizards)
        if (caption == QLatin1String("CrossTab Wizard")) cls = c;
    ASSERT_NE(cls, nullptr);
    std::unique_ptr<TppWizard> made(cls->Create(&form));
    auto* wizard = qobject_cast<TppCrossTabWizard*>(made.get());
    ASSERT_NE(wizard, nullptr);
    wizard->OnGetDataNames = [](QObject*, QStringList& names) { names << QStringLiteral("plSales"); };
    wizard->OnGetFields = [this](QObject*, const QString&, TppFieldList& fields) {
        for (int i = 0; i < pipeline->FieldCount(); ++i)
            fields.append({pipeline->GetField(i)->FieldAlias(), static_cast<QObject*>(pipeline->GetField(i))});
    };
    auto* target = new TppReport(&form);
    target->SetName(QStringLiteral("ppReport2"));
    wizard->OnCreateReport = [&](QObject*, const QString&, QObject*& r) { r = target; };
    testsupport::DialogAnswerer answerer;
    answerer.ExpectModal<TppCrossTabWizardDialog>([&](TppCrossTabWizardDialog& d) {
        EXPECT_TRUE(d.rdbSimpleLandscape->isChecked());
        EXPECT_EQ(d.cbxDataName->currentIndex(), -1);  // one data name: nothing preselected
        picture(&d, QStringLiteral("wizard_page_1"));
        // Next without a pipeline: the message, and the page stays.
        d.btnNext->click();
        EXPECT_EQ(d.PageIndex(), 0);
        d.cbxDataName->setCurrentIndex(0);
        emit d.cbxDataName->textActivated(QStringLiteral("plSales"));
        d.rdbSimplePortrait->click();
        d.btnNext->click();
        ASSERT_EQ(d.PageIndex(), 1);
        TppCrossTabControl* c = d.Designer->Control();
        c->FieldDrop(centre(c->NewColumnElement()), QStringLiteral("Year"));
        c->FieldDrop(centre(c->NewRowElement()), QStringLiteral("Region"));
        c->FieldDrop(centre(c->NewRowElement()), QStringLiteral("Product"));
        c->FieldDrop(centre(c->NewRowElement()), QStringLiteral("Quarter"));
        c->FieldDrop(centre(c->NewValueElement()), QStringLiteral("Amount"));
        picture(&d, QStringLiteral("wizard_page_2"));
        d.btnNext->click();
        ASSERT_EQ(d.PageIndex(), 2);
        EXPECT_EQ(d.edtDescription->text(), "plSales-1 Report");
        EXPECT_EQ(d.lblPage5Preview->text(), "Do you want to preview the report or modify the report's design?");
        EXPECT_FALSE(d.btnNext->isEnabled());
        d.rdbPreview->click();
        picture(&d, QStringLiteral("wizard_page_3"));
        d.btnFinish->click();
    });
    answerer.ExpectMessage(QStringLiteral("Data must be selected before continuing"), ui::Button::Ok);
    EXPECT_TRUE(wizard->Execute());
    EXPECT_EQ(wizard->FinishAction, 2);
    EXPECT_EQ(target->PrinterSetup()->Orientation(), TPrinterOrientation::poPortrait);
    // Title, cross-tab, date and page.
    TppLabel* title = nullptr;
    TppCrossTab* made2 = nullptr;
    int variables = 0;
    for (TppBand* b : {target->GetBand(TppBandType::btTitle), target->GetBand(TppBandType::btHeader),
                       target->GetBand(TppBandType::btDetail), target->GetBand(TppBandType::btSummary),
                       target->GetBand(TppBandType::btFooter)}) {
        if (!b) continue;
        for (int i = 0; i < b->ObjectCount(); ++i) {
            if (auto* l = qobject_cast<TppLabel*>(b->Objects(i))) title = l;
            if (auto* x = qobject_cast<TppCrossTab*>(b->Objects(i))) made2 = x;
            if (qobject_cast<TppSystemVariable*>(b->Objects(i))) ++variables;
        }
    }
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetText(), "plSales-1 Report");
    ASSERT_NE(made2, nullptr);
    EXPECT_EQ(made2->Band(), target->GetBand(TppBandType::btDetail));
    EXPECT_EQ(made2->ColumnDefCount(), 1);
    EXPECT_EQ(made2->RowDefCount(), 3);
    EXPECT_EQ(variables, 2);

    // The preview: the report prints over more than one page; pictures of pages 1 and 2.
    std::vector<QImage> images;
    target->OnPageReceived = [&](TppPage& page) {
        if (images.size() >= 2) return;
        QImage img(850, 1100, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setPen(Qt::black);
        const double scale = 850.0 / 215900.0;
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            TppDrawCommand* c = page.GetDrawCommand(i);
            const QRectF r(c->Left() * scale, c->Top() * scale, c->Width() * scale, c->Height() * scale);
            if (auto* t = qobject_cast<TppDrawText*>(c)) {
                QFont f(QStringLiteral("Liberation Sans"));
                f.setPixelSize(std::max(6, int(t->Font()->Size() * 25400 / 72 * scale)));
                p.setFont(f);
                p.drawText(r, int(t->Alignment() == TAlignment::taRightJustify ? Qt::AlignRight : Qt::AlignLeft), t->Text());
            } else if (auto* l = qobject_cast<TppDrawLine*>(c)) {
                switch (l->LinePosition()) {
                case TppLinePositionType::lpLeft: p.drawLine(r.topLeft(), r.bottomLeft()); break;
                case TppLinePositionType::lpRight: p.drawLine(r.topRight(), r.bottomRight()); break;
                case TppLinePositionType::lpTop: p.drawLine(r.topLeft(), r.topRight()); break;
                case TppLinePositionType::lpBottom: p.drawLine(r.bottomLeft(), r.bottomRight()); break;
                }
            }
        }
        images.push_back(img);
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    target->RequestPages(&request);
    ASSERT_FALSE(images.empty());
    pictureOf(images[0], QStringLiteral("preview_page_1"));
    ASSERT_GE(images.size(), 2u);
    pictureOf(images[1], QStringLiteral("preview_page_2"));
}

}  // namespace
