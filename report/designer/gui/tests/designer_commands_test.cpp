// The designer's toolbars, palettes, menus, file commands, clipboard and recent reports,
// driven by object name on a report over Packages.DB; each step is checked in what the
// report holds in its saved text form.

#include "designer_fixture.h"

#include "report/designer/gui/designer.h"
#include "report/designer/gui/designer_toolbars.h"
#include "report/designer/gui/doc_history.h"
#include "report/designer/gui/palette_buttons.h"
#include "report/model/graphic_components.h"
#include "report/model/palette_registry.h"

#include "platform/settings/ini_file.h"
#include "platform/print/testing/fake_catalog.h"
#include "report/page/printer_list.h"
#include "platform/db/field.h"
#include "platform/ui/help.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/value_writer.h"

#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include "report/output/gui/viewer.h"
#include "report/output/producer.h"

#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>

using namespace designertest;

namespace {

/// A press and release on a toolbar button at a point of its own (the face by default).
void press(QWidget* button, QPoint at = QPoint(4, 4)) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

template <class T = QWidget>
T* named(QObject* root, const QString& name) {
    return root->findChild<T*>(name);
}

/// The "object <name>: <class>" block of the text form, up to its own "end".
QString block(const QString& text, const QString& name) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString out;
    int depth = -1;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (depth < 0) {
            if (t.startsWith(QStringLiteral("object %1:").arg(name))) depth = 0, out += t + QLatin1Char('\n');
            continue;
        }
        out += t + QLatin1Char('\n');
        if (t.startsWith(QLatin1String("object "))) ++depth;
        else if (t == QLatin1String("end") && depth-- == 0) break;
    }
    return out;
}

struct Open {
    explicit Open(PackagesReport& r) {
        w.SetReport(r.report);
        w.resize(1000, 700);
        w.show();
        QApplication::processEvents();
    }
    ~Open() { w.SetReport(nullptr); }
    TppDesignerWindow w;
};

TppToolbarManager* manager(TppDesignerWindow& w) { return w.ToolbarManager(); }

QStringList buttonNames(TppSkiffrow* bar) {
    QStringList names;
    for (const QPointer<QWidget>& c : bar->ControlOrder())
        if (qobject_cast<TppToolbarButton*>(c.data())) names << c->objectName();
    return names;
}

}  // namespace

TEST_F(DesignerTest, PalettesFollowTheRegistryAndShowComponents) {
    TppDesignerWindow w;
    TppToolbarManager* tm = manager(w);
    EXPECT_EQ(tm->PaletteNames(), (QStringList{"Standard Components", "Data Components", "Advanced Components"}));
    auto* standard = qobject_cast<TppSkiffrow*>(tm->FindToolbarWidget(QStringLiteral("Standard Components")));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->objectName(), "StandardComponents");
    const QStringList names = buttonNames(standard);
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.first(), "SelectObject");
    EXPECT_TRUE(names.contains("TppLabel"));
    EXPECT_LT(names.indexOf("TppLabel"), names.indexOf("TppMemo"));
    EXPECT_TRUE(tm->SelectMode());
    EXPECT_EQ(tm->ToolbarNames().mid(3), (QStringList{"ReportOutline", "DataTree", "Standard", "Format", "Edit", "Draw", "Align", "Size", "Nudge"}));

    // Left off by ShowComponents: the button goes at once; the cross-tab-like strangers stay.
    TppDesigner designer;
    TppShowComponents shown = TppShowComponents::FromBits(kAllShowComponents);
    shown.Exclude(TppShowComponent::scLabel);
    designer.SetShowComponents(shown);
    designer.Form()->show();
    auto* dStandard = qobject_cast<TppSkiffrow*>(designer.Form()->ToolbarManager()->FindToolbarWidget(QStringLiteral("Standard Components")));
    EXPECT_FALSE(buttonNames(dStandard).contains("TppLabel"));
    EXPECT_TRUE(buttonNames(dStandard).contains("TppMemo"));
    designer.SetShowComponents(TppShowComponents::FromBits(kAllShowComponents));
    EXPECT_TRUE(buttonNames(dStandard).contains("TppLabel"));

    // A class unregistered loses its button; a new palette with blanks gets a toolbar of its
    // own, which goes with its last class.
    const TppRegComponent* line = ppFindRegComponent(QStringLiteral("TppLine"));
    ASSERT_NE(line, nullptr);
    const TppRegComponent saved = *line;
    ppUnregisterPaletteComponent(&TppLine::staticMetaObject);
    QStringList all;
    for (const QString& p : tm->PaletteNames())
        all += buttonNames(qobject_cast<TppSkiffrow*>(tm->FindToolbarWidget(p)));
    EXPECT_FALSE(all.contains("TppLine"));
    ppRegisterPaletteComponent(&TppLine::staticMetaObject, QStringLiteral("My Own Parts"), 0, 0, QStringLiteral("A line"), 0);
    auto* mine = qobject_cast<TppSkiffrow*>(tm->FindToolbarWidget(QStringLiteral("My Own Parts")));
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->objectName(), "MyOwnParts");
    EXPECT_EQ(mine->Caption(), "My Own Parts");
    EXPECT_EQ(named<TppToolbarButton>(mine, QStringLiteral("TppLine"))->Hint(), "A line");
    QStringList menu;
    for (QAction* a : tm->ToolbarsMenu()->actions()) menu << a->text();
    EXPECT_TRUE(menu.contains("My Own Parts"));
    ppUnregisterPaletteComponent(&TppLine::staticMetaObject);
    EXPECT_EQ(tm->FindToolbarWidget(QStringLiteral("My Own Parts")), nullptr);
    menu.clear();
    for (QAction* a : tm->ToolbarsMenu()->actions()) menu << a->text();
    EXPECT_FALSE(menu.contains("My Own Parts"));
    ppRegisterPaletteComponent(saved.ComponentClass, saved.Palette, saved.Position, 0, saved.HintText, saved.HintNumber);
}

TEST_F(DesignerTest, ComponentButtonsAndTheSelectButtonTakeTurns) {
    TppDesignerWindow w;
    TppToolbarManager* tm = manager(w);
    w.show();
    auto* label = named<TppToolbarButton>(&w, QStringLiteral("TppLabel"));
    press(label);
    EXPECT_FALSE(tm->SelectMode());
    EXPECT_EQ(w.PaletteComponentClass(), "TppLabel");
    press(named(&w, QStringLiteral("TppShape")));
    EXPECT_FALSE(label->Down());
    EXPECT_EQ(w.PaletteComponentClass(), "TppShape");
    press(tm->SelectButton());
    EXPECT_TRUE(tm->SelectMode());
    EXPECT_TRUE(w.PaletteComponentClass().isEmpty());
    press(tm->SelectButton());
    EXPECT_TRUE(tm->SelectButton()->Down());
}

TEST_F(DesignerTest, ToolbarStatesAndColoursRoundTripThroughMarliskIni) {
    {
        TppDesignerWindow w;
        TppToolbarManager* tm = manager(w);
        auto* format = qobject_cast<TppFormatToolbar*>(tm->FindToolbarWidget(QStringLiteral("Format")));
        // Without entries the font colour is automatic and the highlight clear.
        EXPECT_EQ(format->FontColor->SelectedColor(), paint::clWindowText);
        EXPECT_FALSE(format->FontColor->SelectedNoColor());
        EXPECT_TRUE(format->HighlightColor->SelectedNoColor());
        EXPECT_FALSE(tm->FindToolbar(QStringLiteral("Draw"))->Visible());
        tm->FindToolbar(QStringLiteral("Draw"))->SetVisible(true);
        tm->FindToolbar(QStringLiteral("Edit"))->SetVisible(false);
        auto* draw = qobject_cast<TppDrawToolbar*>(tm->FindToolbarWidget(QStringLiteral("Draw")));
        draw->FillColor->SetSelectedColor(paint::clRed, false);
        draw->LineColor->SetSelectedColor(paint::clBlue, false);
        format->HighlightColor->SetSelectedColor(paint::clYellow, false);
        w.SaveSettings();
    }
    settings::IniFile ini(iniPath());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Draw"), QStringLiteral("FillColor"), 0), paint::clRed);
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Draw"), QStringLiteral("FillIsClear"), true));
    TppDesignerWindow again;
    TppToolbarManager* tm = manager(again);
    EXPECT_TRUE(tm->FindToolbar(QStringLiteral("Draw"))->Visible());
    EXPECT_FALSE(tm->FindToolbar(QStringLiteral("Edit"))->Visible());
    auto* draw = qobject_cast<TppDrawToolbar*>(tm->FindToolbarWidget(QStringLiteral("Draw")));
    EXPECT_EQ(draw->FillColor->SelectedColor(), paint::clRed);
    EXPECT_FALSE(draw->FillColor->SelectedNoColor());
    EXPECT_EQ(draw->LineColor->SelectedColor(), paint::clBlue);
    auto* format = qobject_cast<TppFormatToolbar*>(tm->FindToolbarWidget(QStringLiteral("Format")));
    EXPECT_EQ(format->HighlightColor->SelectedColor(), paint::clYellow);
    EXPECT_FALSE(format->HighlightColor->SelectedNoColor());
}

TEST_F(DesignerTest, PalettesDropUnderTheirButtonCloseOnAChoiceAndGoFiveSecondsAfter) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    TppToolbarManager* tm = manager(w);
    tm->FindToolbar(QStringLiteral("Draw"))->SetVisible(true);
    QApplication::processEvents();
    auto* draw = qobject_cast<TppDrawToolbar*>(tm->FindToolbarWidget(QStringLiteral("Draw")));
    TppColorButton* fill = draw->FillColor;
    // The arrow drops the palette; the same palette serves again within 5 seconds.
    press(fill, QPoint(fill->width() - 4, 8));
    TppColorPalette* palette = fill->ColorPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->isVisible());
    EXPECT_GE(palette->geometry().top(), fill->mapToGlobal(QPoint(0, fill->height())).y());
    // Nothing that fills is selected: the choices are disabled.
    EXPECT_FALSE(palette->ColorBox(0)->isEnabled());
    palette->hide();
    // A shape selected: they are enabled.
    auto* shape = place<TppShape>(r.summary, QStringLiteral("ppBox"), 80000, 0, 20000, 8000);
    shape->CreateDesignControl();
    QApplication::processEvents();
    w.AddToSelection(shape);
    ASSERT_EQ(w.Selection().size(), 1);
    EXPECT_TRUE(fill->FreeTimer()->isActive());
    EXPECT_EQ(fill->FreeTimer()->interval(), 5000);
    press(fill, QPoint(fill->width() - 4, 8));
    EXPECT_EQ(fill->ColorPalette(), palette);
    // "No Fill" sets the no-colour flag and the strip shows the button face.
    press(palette->FirstButton());
    EXPECT_FALSE(palette->isVisible());
    EXPECT_TRUE(fill->SelectedNoColor());
    EXPECT_EQ(fill->StripColor(), paint::ToQColor(paint::clBtnFace));
    EXPECT_EQ(palette->FirstCaption(), "No Fill");
    // The timer frees it; the next drop-down makes a new one.
    QPointer<TppColorPalette> gone = palette;
    QMetaObject::invokeMethod(fill->FreeTimer(), "timeout");
    EXPECT_TRUE(gone.isNull());
    // Cancelling the colour dialog still selects, the colour unchanged.
    fill->SetSelectedColor(paint::clGreen, false);
    fill->SetPaletteColor(paint::clGreen, false);
    press(fill, QPoint(fill->width() - 4, 8));
    int changes = 0;
    fill->OnColorChange = [&](QObject*) { ++changes; };
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectModal<QColorDialog>([](QColorDialog& d) { d.reject(); });
        press(fill->ColorPalette()->LastButton());
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fill->SelectedColor(), paint::clGreen);

    // Thickness palette: 3 double presses only its own button.
    auto* thickness = draw->LineThickness;
    thickness->SetLineThickness(3);
    thickness->SetLineStyle(TppLineStyleType::lsDouble);
    thickness->GetDropDownPanel();
    auto* tp = qobject_cast<TppLineThicknessPalette*>(thickness->Palette());
    QStringList down;
    for (int i = 0; i < tp->ButtonCount(); ++i)
        if (tp->Buttons(i)->Down()) down << tp->Buttons(i)->objectName();
    EXPECT_EQ(down, QStringList{"PPDOUBLELINE3"});
    thickness->SetLineThickness(2.75);
    down.clear();
    for (int i = 0; i < tp->ButtonCount(); ++i)
        if (tp->Buttons(i)->Down()) down << tp->Buttons(i)->objectName();
    EXPECT_TRUE(down.isEmpty());
}

TEST_F(DesignerTest, AnEditingRunChangesWhatTheReportHolds) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    TppToolbarManager* tm = manager(w);
    tm->FindToolbar(QStringLiteral("Draw"))->SetVisible(true);
    QApplication::processEvents();
    EXPECT_EQ(w.StatusTexts().first(), "Ready.");

    // A label placed on the header band: the current font, transparent, selected.
    press(named(&w, QStringLiteral("TppLabel")));
    const QPoint at(400, w.BandTop(r.header) + 2);
    click(w, at);
    ASSERT_EQ(w.Selection().size(), 1);
    auto* label = qobject_cast<TppLabel*>(w.Selection().first());
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(tm->SelectMode());
    EXPECT_EQ(label->Band(), r.header);
    EXPECT_EQ(label->spLeft(), 400);
    EXPECT_TRUE(label->Transparent());
    EXPECT_EQ(label->Font()->Name(), "Arial");
    EXPECT_EQ(w.StatusTexts().first(), "Object: " + label->GetDescription());
    EXPECT_TRUE(w.StatusTexts().at(1).startsWith("Left: "));
    // Its caption typed in the Edit toolbar's text box.
    auto* edit = qobject_cast<TppEditToolbar*>(tm->FindToolbarWidget(QStringLiteral("Edit")));
    ASSERT_TRUE(edit->TextBox->isEnabled());
    edit->TextBox->selectAll();
    QTest::keyClicks(edit->TextBox, QStringLiteral("Largest packages"));
    QTest::keyClick(edit->TextBox, Qt::Key_Return);
    EXPECT_EQ(label->Caption(), "Largest packages");
    QString text = textForm(r.report);
    EXPECT_TRUE(block(text, label->Name()).contains("Caption = 'Largest packages'")) << block(text, label->Name());
    EXPECT_TRUE(block(text, label->Name()).contains("Transparent = True"));

    // A DBText in the detail band, bound in the Edit toolbar (the data open, as a user has it).
    r.table.Open();
    press(named(&w, QStringLiteral("TppDBText")));
    click(w, QPoint(500, w.BandTop(r.detail) + 2));
    ASSERT_EQ(w.Selection().size(), 1);
    auto* dbtext = qobject_cast<TppDBText*>(w.Selection().first());
    ASSERT_NE(dbtext, nullptr);
    EXPECT_TRUE(edit->PipelineBox->isVisibleTo(edit));
    edit->PipelineBox->setCurrentIndex(edit->PipelineBox->findText(QStringLiteral("plPackages")));
    emit edit->PipelineBox->textActivated(QStringLiteral("plPackages"));
    ASSERT_GE(edit->ValueBox->findText(QStringLiteral("Section")), 0);
    emit edit->ValueBox->textActivated(QStringLiteral("Section"));
    text = textForm(r.report);
    EXPECT_TRUE(block(text, dbtext->Name()).contains("DataField = 'Section'")) << block(text, dbtext->Name());
    EXPECT_TRUE(block(text, dbtext->Name()).contains("DataPipeline = plPackages"));

    // Fill and font colour with a label and a shape selected: each takes only its own.
    auto* shape = place<TppShape>(r.header, QStringLiteral("ppBox"), 80000, 0, 20000, 8000);
    shape->CreateDesignControl();
    QApplication::processEvents();
    w.ClearSelection(false);
    w.AddToSelection(label);
    w.AddToSelection(shape);
    EXPECT_EQ(w.StatusTexts().first(), "Objects: 2");
    auto* draw = qobject_cast<TppDrawToolbar*>(tm->FindToolbarWidget(QStringLiteral("Draw")));
    auto* format = qobject_cast<TppFormatToolbar*>(tm->FindToolbarWidget(QStringLiteral("Format")));
    press(draw->FillColor, QPoint(draw->FillColor->width() - 4, 8));
    press(draw->FillColor->ColorPalette()->ColorBox(11));  // yellow
    press(format->FontColor, QPoint(format->FontColor->width() - 4, 8));
    press(format->FontColor->ColorPalette()->ColorBox(10));  // red
    EXPECT_EQ(shape->Brush().Color, paint::clYellow);
    EXPECT_EQ(label->Font()->Color(), paint::clRed);
    EXPECT_TRUE(label->Transparent());
    text = textForm(r.report);
    EXPECT_TRUE(block(text, QStringLiteral("ppBox")).contains("Brush.Color = 65535")) << block(text, QStringLiteral("ppBox"));
    EXPECT_TRUE(block(text, label->Name()).contains("Font.Color = clRed")) << block(text, label->Name());
    EXPECT_FALSE(block(text, label->Name()).contains("Brush"));

    // Font size "abc" keeps the size and shows it again; 14 takes.
    format->FontSize->setEditText(QStringLiteral("abc"));
    w.FontSizeChanged();
    EXPECT_EQ(format->FontSize->currentText(), "10");
    EXPECT_EQ(label->Font()->Size(), 10);
    format->FontSize->setEditText(QStringLiteral("14"));
    w.FontSizeChanged();
    EXPECT_EQ(label->Font()->Size(), 14);

    // Copy, then paste twice: 8 and 16 pixels right and down, new names.
    w.ClearSelection(false);
    w.AddToSelection(label);
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditCopy")));
    w.UpdateMenus();
    EXPECT_TRUE(w.MenuItem(QStringLiteral("mniEditPaste"))->isEnabled());
    const int left = label->spLeft(), top = label->spTop();
    QStringList pasted;
    for (int k = 1; k <= 2; ++k) {
        ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditPaste")));
        ASSERT_EQ(w.Selection().size(), 1);
        TppComponent* copy = w.Selection().first();
        EXPECT_NE(copy, label);
        EXPECT_NE(copy->Name(), label->Name());
        EXPECT_EQ(copy->spLeft(), left + 8 * k);
        EXPECT_EQ(copy->spTop(), top + 8 * k);
        EXPECT_EQ(copy->GetCaption(), "Largest packages");
        pasted << copy->Name();
    }
    text = textForm(r.report);
    for (const QString& name : pasted) EXPECT_TRUE(block(text, name).contains("Caption = 'Largest packages'")) << name;

    // Delete, then Undelete: back at the old place with the old name.
    const QString labelName = label->Name();
    const int labelLeft = label->spLeft();
    w.ClearSelection(false);
    w.AddToSelection(label);
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditDelete")));
    EXPECT_TRUE(block(textForm(r.report), labelName).isEmpty());
    w.UpdateMenus();
    EXPECT_EQ(w.MenuItem(QStringLiteral("mniEditUndo"))->text(), "&Undelete");
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditUndo")));
    text = textForm(r.report);
    EXPECT_TRUE(block(text, labelName).contains("Caption = 'Largest packages'")) << text.left(400);
    ASSERT_EQ(w.Selection().size(), 1);
    EXPECT_EQ(w.Selection().first()->spLeft(), labelLeft);
    w.UpdateMenus();
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniEditUndo"))->isEnabled());

    // Cut, then Undo: nothing comes back.
    TppComponent* back = w.Selection().first();
    const QString backName = back->Name();
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditCut")));
    EXPECT_TRUE(block(textForm(r.report), backName).isEmpty());
    w.UpdateMenus();
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniEditUndo"))->isEnabled());
    w.Undelete();
    EXPECT_TRUE(block(textForm(r.report), backName).isEmpty());
    // The cut one pastes back under its own name (it is free again).
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditPaste")));
    EXPECT_FALSE(block(textForm(r.report), backName).isEmpty());

    // Select All, then Bring to Front and Send to Back keep the selection.
    ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniEditSelectAll")));
    int components = 0;
    for (int i = 0; i < r.report->BandCount(); ++i) components += r.report->Bands(i)->ObjectCount();
    EXPECT_EQ(w.Selection().size(), components);
    EXPECT_EQ(w.StatusTexts().first(), QStringLiteral("Objects: %1").arg(components));
    w.ClearSelection(false);
    w.AddToSelection(r.title);
    press(format->SendToBack);
    EXPECT_EQ(r.header->Objects(0), r.title);
    EXPECT_EQ(w.Selection(), QList<TppComponent*>{r.title});
    EXPECT_TRUE(r.report->Modified());
}

TEST_F(DesignerTest, DamagedClipboardDataIsRefusedAndChangesNothing) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    w.AddToSelection(r.title);
    w.CopySelection();
    const QByteArray good = QApplication::clipboard()->mimeData()->data(TppDesignerWindow::ClipboardMimeType());
    const int newline = int(good.indexOf('\n'));
    const QByteArray body = good.mid(newline + 1);
    // A foreign component (a band) in the right form.
    stream::ValueWriter band;
    band.WriteRootObject(stream::ComponentToObjectData(*r.header));
    band.WriteRaw(QByteArray(1, '\0'));
    struct Case {
        const char* what;
        QByteArray data;
    };
    const Case cases[] = {
        {"no length", body},
        {"length larger than the data", QByteArray::number(body.size() + 10) + '\n' + body},
        {"length not a number", QByteArray("12x\n") + body},
        {"negative length", QByteArray("-5\n") + body},
        {"cut short", QByteArray::number(body.size() / 2) + '\n' + body.left(body.size() / 2)},
        {"no end marker", QByteArray::number(body.size() - 1) + '\n' + body.left(body.size() - 1)},
        {"not a stream", QByteArray("5\nhello")},
        {"a band, not a component", QByteArray::number(band.Data().size()) + '\n' + band.Data()},
        {"bad signature", QByteArray::number(body.size()) + '\n' + QByteArray("XPF0") + body.mid(4)},
    };
    const QString before = textForm(r.report);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* mime = new QMimeData;
        mime->setData(TppDesignerWindow::ClipboardMimeType(), c.data);
        QApplication::clipboard()->setMimeData(mime);
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage(QStringLiteral("does not hold report components"), ui::Button::Ok);
        w.PasteSelection();
        EXPECT_EQ(textForm(r.report), before);
    }
    // Random damage to the good data: refused or pasted, never a crash; a refusal changes nothing.
    QRandomGenerator random(54);
    for (int i = 0; i < 300; ++i) {
        QByteArray damaged = body;
        const int flips = 1 + int(random.bounded(4));
        for (int k = 0; k < flips; ++k) damaged[int(random.bounded(damaged.size()))] = char(random.bounded(256));
        const QString now = textForm(r.report);
        try {
            w.PasteStream(damaged);
        } catch (const std::exception&) {
            EXPECT_EQ(textForm(r.report), now) << i;
        }
    }
}

TEST_F(DesignerTest, FileCommandsSaveAskAndReopenFromTheRecentList) {
    PackagesReport r;
    QTemporaryDir out;
    const QString first = out.filePath(QStringLiteral("packages, by section.rtm"));
    const QString second = out.filePath(QStringLiteral("second.rtm"));
    r.report->SetSaveAsTemplate(true);
    {
        Open o(r);
        TppDesignerWindow& w = o.w;
        // An unnamed report always asks for a name.
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectFileToSave(first);
            ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniFileSave")));
        }
        EXPECT_TRUE(QFileInfo::exists(first));
        EXPECT_TRUE(w.windowTitle().contains("packages, by section.rtm"));
        ASSERT_EQ(w.DocHistory()->Count(), 1);
        EXPECT_EQ(w.DocHistory()->MenuItem(0)->text(), "&1 " + first);
        // Save As a second name; the first moves down the list.
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectFileToSave(second);
            ASSERT_TRUE(testsupport::TriggerAction(&w, QStringLiteral("mniFileSaveAs")));
        }
        EXPECT_EQ(w.DocHistory()->Names(0), second);
        EXPECT_EQ(w.DocHistory()->MenuItem(1)->text(), "&2 " + first);
        // A change, then closing: "Save changes to ...?" Cancel keeps the window.
        r.title->SetCaption(QStringLiteral("Changed"));
        r.report->SetModified(true);
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectMessage(QStringLiteral("Save changes to .*second.rtm \\?"), ui::Button::Cancel);
            EXPECT_FALSE(w.close());
        }
        EXPECT_TRUE(w.isVisible());
        // Reopening the first from the recent list asks, No drops the change.
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectMessage(QStringLiteral("Save changes to"), ui::Button::No);
            w.DocHistory()->MenuItem(1)->trigger();
        }
        EXPECT_EQ(r.report->Template()->FileName(), first);
        EXPECT_EQ(w.DocHistory()->Names(0), first);
        ASSERT_NE(r.report->Template()->Report(), nullptr);
        bool found = false;
        for (int i = 0; i < r.report->BandCount(); ++i)
            for (int k = 0; k < r.report->Bands(i)->ObjectCount(); ++k)
                if (r.report->Bands(i)->Objects(k)->GetCaption() == "Packages by section") found = true;
        EXPECT_TRUE(found);
        // The entry of the report already open does nothing.
        w.DocHistory()->MenuItem(0)->trigger();
        // A read-only file warns and offers Save As (cancelled).
        QFile::setPermissions(first, QFileDevice::ReadOwner);
        if (!QFileInfo(first).isWritable()) {  // (a superuser writes read-only files all the same)
            testsupport::DialogAnswerer answers;
            answers.ExpectMessage(QStringLiteral("File is read-only."), ui::Button::Ok);
            answers.ExpectFileToSave(std::nullopt);
            EXPECT_FALSE(w.SaveReport(r.report));
        }
        QFile::setPermissions(first, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // A failed open keeps the template where it was.
        const QString bad = out.filePath(QStringLiteral("bad.rtm"));
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a report");
        f.close();
        r.report->SetModified(false);
        {
            testsupport::DialogAnswerer answers;
            answers.ExpectFileToOpen(bad);
            EXPECT_ANY_THROW(w.FileOpen());
        }
        EXPECT_EQ(r.report->Template()->FileName(), first);
        EXPECT_EQ(r.report->Template()->SaveTo(), TppSaveToType::stFile);
        w.SaveSettings();
    }
    // The list is kept in Marlisk.ini, names with commas included.
    settings::IniFile ini(iniPath());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Last Reports Accessed"), QStringLiteral("R0")),
              "\"" + first + "\",1,0");
    TppDesignerWindow again;
    ASSERT_EQ(again.DocHistory()->Count(), 2);
    EXPECT_EQ(again.DocHistory()->Names(0), first);
    EXPECT_EQ(again.DocHistory()->GetDocumentDetails(again.DocHistory()->MenuItem(0)),
              (QStringList{first, "1", "0"}));
}

TEST_F(DesignerTest, RecentListKeepsItsOrderLimitAndOldLines) {
    settings::IniFile ini(iniPath());
    const QString s = QStringLiteral("Last Reports Accessed");
    ini.WriteInteger(s, QStringLiteral("Max"), 5);
    ini.WriteString(s, QStringLiteral("R0"), QStringLiteral("a.rtm,0,0"));
    ini.WriteString(s, QStringLiteral("R1"), QStringLiteral("b.rtm,,7"));
    ini.WriteString(s, QStringLiteral("R3"), QStringLiteral("c.rtm,1,0,"));
    QMenu menu;
    menu.addAction(QStringLiteral("Open"));
    {
        TppDocHistory h(nullptr, QStringLiteral("Marlisk.ini"), &menu);
        ASSERT_EQ(h.Count(), 3);
        EXPECT_EQ(h.GetDocumentDetails(h.MenuItem(1)), (QStringList{"b.rtm", "", "7"}));
        EXPECT_EQ(h.GetDocumentDetails(h.MenuItem(2)), (QStringList{"c.rtm", "1", "0"}));
        EXPECT_EQ(menu.actions().at(1)->isSeparator(), true);
        QStringList captions;
        for (int i = 0; i < h.Count(); ++i) captions << h.MenuItem(i)->text();
        EXPECT_EQ(captions, (QStringList{"&1 a.rtm", "&2 b.rtm", "&3 c.rtm"}));
        h.AddDocument(QStringLiteral("A.RTM"), {"A.RTM", "0", "0"});  // already newest, by case
        EXPECT_EQ(h.MenuItem(0)->text(), "&1 a.rtm");
        h.AddDocument(QStringLiteral("c.rtm"), {"c.rtm", "0", "0"});
        captions.clear();
        for (int i = 0; i < h.Count(); ++i) captions << h.MenuItem(i)->text();
        EXPECT_EQ(captions, (QStringList{"&1 c.rtm", "&2 a.rtm", "&3 b.rtm"}));
        for (const char* n : {"d.rtm", "e.rtm", "f.rtm"}) h.AddDocument(QString::fromLatin1(n), {QString::fromLatin1(n), "0", "0"});
        EXPECT_EQ(h.Count(), 5);
        EXPECT_EQ(h.Names(4), "a.rtm");
        const QStringList odd{"x, \"quoted\"\nline.rtm", "0", "0"};
        EXPECT_EQ(TppDocHistory::SplitDetails(TppDocHistory::JoinDetails(odd)), odd);
    }
    EXPECT_EQ(ini.ReadSection(s), (QStringList{"Max", "R0", "R1", "R2", "R3", "R4"}));
}

TEST_F(DesignerTest, MenusFollowTheReportAndF1OpensTheComponentsPage) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    w.UpdateMenus();
    EXPECT_TRUE(w.MenuItem(QStringLiteral("mniReportHeader"))->isChecked());
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniReportTitle"))->isChecked());
    EXPECT_TRUE(w.MenuItem(QStringLiteral("mniViewRulers"))->isChecked());
    EXPECT_TRUE(w.MenuItem(QStringLiteral("mniReportCachePages"))->isEnabled());
    // Dialogs of later work stay disabled until their forms are registered.
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniReportGroups"))->isEnabled());
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniViewGridOptions"))->isEnabled());
    EXPECT_FALSE(w.MenuItem(QStringLiteral("mniFileLoadFromFile"))->isVisible());
    EXPECT_EQ(w.MenuItem(QStringLiteral("mniEditCut"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(w.MenuItem(QStringLiteral("mniEditDelete"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    // The title band toggled on and off again.
    w.MenuItem(QStringLiteral("mniReportTitle"))->trigger();
    EXPECT_NE(r.report->GetBand(TppBandType::btTitle), nullptr);
    w.MenuItem(QStringLiteral("mniReportTitle"))->trigger();
    EXPECT_EQ(r.report->GetBand(TppBandType::btTitle), nullptr);
    // Units: inches.
    w.MenuItem(QStringLiteral("mniUnitsInches"))->trigger();
    EXPECT_EQ(r.report->Units(), TppUnitType::utInches);

    // F1 on a DBText: the keyword page in the folder of the help file.
    QTemporaryDir help;
    QFile page(help.filePath(QStringLiteral("DBText_Component.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    QString opened;
    ui::HelpService::SetHelpFile(help.filePath(QStringLiteral("Dossara.hlp")));
    ui::HelpService::SetPageOpener([&](const QString& p) {
        opened = p;
        return true;
    });
    w.AddToSelection(r.package);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(named(&w, QStringLiteral("KeyboardEdit")), &f1);
    EXPECT_EQ(QFileInfo(opened).fileName(), "DBText_Component.html");
    EXPECT_EQ(ui::HelpService::HelpFile(), help.filePath(QStringLiteral("Dossara.hlp")));
    ui::HelpService::SetPageOpener({});
    ui::HelpService::SetHelpFile(QString());
}

TEST_F(DesignerTest, PictureOfTheToolbarsAndAnOpenColourPalette) {
    PackagesReport r;
    Open o(r);
    TppDesignerWindow& w = o.w;
    TppToolbarManager* tm = manager(w);
    for (const char* bar : {"Standard", "Draw", "Align", "Size", "Nudge"}) tm->FindToolbar(QString::fromLatin1(bar))->SetVisible(true);
    QApplication::processEvents();
    w.AddToSelection(r.title);
    QApplication::processEvents();
    testsupport::GrabToPng(&w, QStringLiteral("designer_toolbars"));
    auto* format = qobject_cast<TppFormatToolbar*>(tm->FindToolbarWidget(QStringLiteral("Format")));
    press(format->FontColor, QPoint(format->FontColor->width() - 4, 8));
    TppColorPalette* palette = format->FontColor->ColorPalette();
    ASSERT_NE(palette, nullptr);
    QApplication::processEvents();
    QImage shot = w.grab().toImage();
    QPainter p(&shot);
    p.drawPixmap(palette->geometry().topLeft() - w.geometry().topLeft(), palette->grab());
    p.end();
    QDir().mkpath(QStringLiteral("screenshots"));
    EXPECT_TRUE(shot.save(QStringLiteral("screenshots/designer_colour_palette.png")));
    palette->hide();
}

TEST_F(DesignerTest, PrintFromTheDesignerPrintsTheTableAndClearsItsStateBit) {
    report::InitializeOutputUnit();  // the printer device, as at the program's start
    PackagesReport r;
    r.table.Open();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("packages.pdf"));
    print::testing::ScopedCatalog scoped(
        [&] {
            auto catalog = std::make_unique<print::testing::FakeCatalog>();
            catalog->printers = {{QStringLiteral("Test Queue"), false}};
            catalog->defaultPrinter = QStringLiteral("Test Queue");
            print::DriverCapabilities caps;
            caps.paperNames = {QStringLiteral("A4")};
            caps.paperCodes = {9};
            caps.paperSizesTenthsMm = {QSize(2100, 2970)};
            catalog->capabilities[QStringLiteral("Test Queue")] = caps;
            catalog->pdfFiles[QStringLiteral("Test Queue")] = pdf;
            return catalog;
        }(),
        report::ResetPrinterList);
    Open o(r);
    {
        testsupport::DialogAnswerer answers;
        ASSERT_TRUE(testsupport::TriggerAction(&o.w, QStringLiteral("mniFilePrint")));
    }
    EXPECT_FALSE(r.report->HasState(ppsDesignerPrinting));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_FALSE(printed.isEmpty());
    // Every package the table holds is printed, in the table's order within its section.
    r.table.First();
    int found = 0, rows = 0;
    while (!r.table.Eof()) {
        ++rows;
        if (printed.contains(r.table.FieldByName(QStringLiteral("Package"))->AsString())) ++found;
        r.table.Next();
    }
    EXPECT_EQ(found, rows);
    EXPECT_GT(rows, 0);
}
