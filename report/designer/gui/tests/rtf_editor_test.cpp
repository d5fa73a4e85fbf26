// The rich text editor driven by its controls: formatting, the ruler's indent markers,
// Insert Field through the registered field form, the questions on closing, opening and
// saving, and the font size box refusing what is not a size.

#include "report/designer/gui/rtf_editor.h"

#include "report/model/band_classes.h"
#include "report/model/data_pipeline.h"
#include "report/model/report.h"
#include "report/model/rich_text.h"

#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTextList>
#include <QToolButton>

namespace {

/// A pipeline with the fields Name and City (aliases "Name" and "City").
class AddressPipeline : public TppDataPipeline {
public:
    using TppDataPipeline::TppDataPipeline;
    bool GetFieldNames(QStringList& aList) const override {
        aList = {QStringLiteral("NAME"), QStringLiteral("CITY")};
        return true;
    }
    QString GetFieldAlias(const QString& aFieldName) const override {
        return aFieldName == QLatin1String("NAME") ? QStringLiteral("Name") : QStringLiteral("City");
    }
};

/// The field form of the tests: a list of the fields it was given; OK takes the current one.
class TestFieldForm : public TppForm, public TppCustomMailMergeDialog {
public:
    explicit TestFieldForm(QObject* aOwner = nullptr) : TppForm(aOwner) {
        List = new QListWidget(this);
        List->setObjectName(QStringLiteral("FieldList"));
    }
    void SetFieldList(const QStringList& aFields) override {
        List->clear();
        List->addItems(aFields);
    }
    QString GetSelectedField() const override { return List->currentItem() ? List->currentItem()->text() : QString(); }
    QListWidget* List;
};

class RTFEditor : public ::testing::Test {
protected:
    void SetUp() override {
        report::InstallRTFEditor();
        report::RegisterForm<TppCustomMailMergeDialog, TestFieldForm>();
        report_ = new TppReport(&form_);
        pipeline_ = new AddressPipeline(&form_);
        report_->SetDataPipeline(pipeline_);
        auto* band = new TppDetailBand(&form_);
        band->SetReport(report_);
        text_ = new TppRichText(&form_);
        text_->SetBand(band);
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("Dear reader\nThe packages of this release\nBest wishes"));
        text_->SetRichText(richtext::WriteRtf(doc));
        original_ = text_->RichTextStream();
    }
    void TearDown() override { report::UnRegisterForm<TppCustomMailMergeDialog>(); }

    static void select(QTextEdit* editor, int from, int to) {
        QTextCursor c = editor->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor->setTextCursor(c);
    }
    /// Presses a ruler marker, moves it to ruler position x and lets it go.
    static void drag(QWidget* marker, int x) {
        const QPoint inside(marker->width() / 2, marker->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, inside, marker->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(marker, &press);
        const QPoint to = marker->mapFrom(marker->parentWidget(), QPoint(x, marker->y() + inside.y()));
        QMouseEvent move(QEvent::MouseMove, to, marker->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(marker, &move);
        const QPoint at = marker->mapFrom(marker->parentWidget(), QPoint(x, marker->y() + inside.y()));
        QMouseEvent release(QEvent::MouseButtonRelease, at, marker->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(marker, &release);
    }

    TComponent form_;
    TppReport* report_ = nullptr;
    AddressPipeline* pipeline_ = nullptr;
    TppRichText* text_ = nullptr;
    QByteArray original_;
};

/// Bold a word, centre it, bullets, drag the left indent, Insert Field "City"; Yes keeps
/// all of it, No keeps the text as it was.
TEST_F(RTFEditor, EditsAreKeptOnYesAndDroppedOnNo) {
    text_->SetMailMerge(true);
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "Yes" : "No");
        text_->SetRichText(original_);
        testsupport::DialogAnswerer answerer;
        answerer.ExpectModal<TppRTFEditor>([&](TppRTFEditor& e) {
            QCoreApplication::processEvents();
            EXPECT_EQ(e.PositionPanel->text(), "Row:   1   Col:   1");
            EXPECT_EQ(e.ModifiedPanel->text(), "");
            EXPECT_TRUE(e.EditInsertFieldItem->isEnabled());
            EXPECT_FALSE(e.CopyButton->isEnabled());
            // A hint takes the status bar while it shows.
            QStatusTipEvent tip(e.BoldButton->statusTip());
            QCoreApplication::sendEvent(e.BoldButton, &tip);
            EXPECT_EQ(e.StatusBar->currentMessage(), "Bold");
            EXPECT_FALSE(e.PositionPanel->isVisible());
            QStatusTipEvent none{QString()};
            QCoreApplication::sendEvent(e.BoldButton, &none);
            EXPECT_TRUE(e.PositionPanel->isVisible());
            select(e.Editor, 0, 4);  // "Dear"
            EXPECT_TRUE(e.CopyButton->isEnabled());
            EXPECT_TRUE(e.CutButton->isEnabled());
            e.BoldButton->click();
            e.CenterAlign->click();
            EXPECT_EQ(e.ModifiedPanel->text(), "Modified");
            select(e.Editor, 14, 14);  // in the second paragraph
            EXPECT_EQ(e.PositionPanel->text(), "Row:   2   Col:   3");
            e.BulletsButton->click();
            EXPECT_NE(e.Editor->textCursor().currentList(), nullptr);
            drag(e.LeftInd, 60);
            EXPECT_GT(e.Editor->textCursor().blockFormat().leftMargin(), 40);
            // The first line keeps its place while the left indent moves.
            EXPECT_NEAR(e.Editor->textCursor().blockFormat().leftMargin() + e.Editor->textCursor().blockFormat().textIndent(),
                        0, 1);
            QTextCursor end = e.Editor->textCursor();
            end.movePosition(QTextCursor::End);
            e.Editor->setTextCursor(end);
            e.EditInsertFieldItem->trigger();
            if (keep) testsupport::GrabToPng(&e, QStringLiteral("rtf_editor"));
            e.FileExitItem->trigger();
        });
        answerer.ExpectModal<TestFieldForm>([](TestFieldForm& f) {
            EXPECT_EQ(f.List->count(), 2);
            f.List->setCurrentRow(1);  // City
            f.EndModal(report::ModalResult::mrOk);
        });
        answerer.ExpectMessage("^Save changes\\?$", keep ? ui::Button::Yes : ui::Button::No);
        EXPECT_EQ(text_->Edit(), keep);
        const QByteArray rtf = text_->RichTextStream();
        if (keep) {
            EXPECT_TRUE(rtf.contains("\\b")) << rtf.constData();
            EXPECT_TRUE(rtf.contains("\\qc"));
            EXPECT_TRUE(rtf.contains("\\pnlvlblt"));
            EXPECT_TRUE(rtf.contains("\\li"));
            EXPECT_TRUE(richtext::DocumentFromRtf(rtf)->toPlainText().endsWith("Best wishes<City>"));
        } else {
            EXPECT_EQ(rtf, original_);
        }
    }
}

/// Closing without an edit asks nothing and leaves the text; New then closing asks, and Yes
/// stores an empty text.
TEST_F(RTFEditor, ClosingAsksOnlyAfterAChange) {
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectModal<TppRTFEditor>([](TppRTFEditor& e) {
            EXPECT_FALSE(e.EditInsertFieldItem->isEnabled());  // no mail merge
            e.close();
        });
        EXPECT_FALSE(text_->Edit());
        EXPECT_EQ(text_->RichTextStream(), original_);
    }
    {
        testsupport::DialogAnswerer answerer;
        answerer.ExpectModal<TppRTFEditor>([](TppRTFEditor& e) {
            e.FileNewItem->trigger();
            EXPECT_EQ(e.ModifiedPanel->text(), "Modified");
            EXPECT_EQ(e.windowTitle(), "Rich Text Editor: Untitled");
            e.FileExitItem->trigger();
        });
        answerer.ExpectMessage("^Save changes\\?$", ui::Button::Yes);
        EXPECT_TRUE(text_->Edit());
        EXPECT_TRUE(text_->PlainLines().join(QString()).isEmpty());
        EXPECT_TRUE(text_->GetRichText().isEmpty());
    }
    {
        // Cancel keeps the editor open; Escape asks like the close box.
        testsupport::DialogAnswerer answerer;
        answerer.ExpectModal<TppRTFEditor>([](TppRTFEditor& e) {
            e.Editor->insertPlainText(QStringLiteral("x"));
            e.close();
            EXPECT_TRUE(e.isVisible());
            e.reject();
        });
        answerer.ExpectMessage("^Save changes\\?$", ui::Button::Cancel);
        answerer.ExpectMessage("^Save changes\\?$", ui::Button::Yes);
        EXPECT_TRUE(text_->Edit());
        EXPECT_EQ(text_->PlainLines().value(0), "x");
    }
}

/// Open asks about the changed text first (Cancel keeps it), Save As asks before
/// overwriting (No saves nothing), and a saved file opens again.
TEST_F(RTFEditor, FilesAreOpenedAndSavedWithTheirQuestions) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.path() + QStringLiteral("/letter.rtf");
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\\rtf1\\ansi On file\\par}");
    }
    const QString fresh = dir.path() + QStringLiteral("/fresh.rtf");
    testsupport::DialogAnswerer answerer;
    answerer.ExpectModal<TppRTFEditor>([&](TppRTFEditor& e) {
        e.Editor->insertPlainText(QStringLiteral("Changed "));
        e.OpenButton->click();  // Cancel: nothing opens
        EXPECT_TRUE(e.Editor->toPlainText().startsWith("Changed "));
        e.SaveButton->click();  // over the existing file: No
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "{\\rtf1\\ansi On file\\par}");
        e.FileSaveAsItem->trigger();  // a new file
        EXPECT_EQ(e.DocumentName(), fresh);
        EXPECT_EQ(e.windowTitle(), "Rich Text Editor: fresh.rtf");
        e.FileOpenItem->trigger();  // No to saving, then the existing file
        EXPECT_EQ(e.Editor->toPlainText(), "On file");
        EXPECT_EQ(e.DocumentName(), existing);
        EXPECT_EQ(e.ModifiedPanel->text(), "Modified");
        // A dropped file keeps its whole path and asks first as well.
        EXPECT_TRUE(e.OpenDroppedFile(fresh));
        EXPECT_TRUE(e.Editor->toPlainText().startsWith("Changed "));
        e.close();
    });
    answerer.ExpectMessage("^Save changes to Untitled \\?$", ui::Button::Cancel);
    answerer.ExpectFileToSave(existing);
    answerer.ExpectMessage("^OK to overwrite .*letter\\.rtf \\?$", ui::Button::No);
    answerer.ExpectFileToSave(fresh);
    answerer.ExpectMessage("^Save changes to .*fresh\\.rtf \\?$", ui::Button::No);
    answerer.ExpectFileToOpen(existing);
    answerer.ExpectMessage("^Save changes to .*letter\\.rtf \\?$", ui::Button::No);
    answerer.ExpectMessage("^Save changes\\?$", ui::Button::No);
    EXPECT_FALSE(text_->Edit());
    EXPECT_EQ(text_->RichTextStream(), original_);
}

/// The size box takes whole sizes in range; anything else is refused and the box shows the
/// selection's size again.
TEST_F(RTFEditor, TheFontSizeBoxRefusesWhatIsNotASize) {
    TppRTFEditor e;
    e.show();
    QCoreApplication::processEvents();
    richtext::ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Sans;}}\\f0\\fs24 Twelve points\\par}",
                      *e.GetLines());
    select(e.Editor, 0, 6);
    EXPECT_EQ(e.FontSize->text(), "12");
    struct Case {
        const char* typed;
        bool taken;
    } cases[] = {{"18", true}, {"12.5", false}, {"abc", false}, {"0", false}, {"-4", false}, {"99999", false}, {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        select(e.Editor, 0, 6);
        const QString before = e.FontSize->text();
        testsupport::DialogAnswerer answerer;
        if (!c.taken) answerer.ExpectMessage("is not a font size", ui::Button::Ok);
        e.FontSize->setText(QString::fromLatin1(c.typed));
        Q_EMIT e.FontSize->editingFinished();
        select(e.Editor, 0, 6);
        EXPECT_EQ(e.FontSize->text(), c.taken ? QString::fromLatin1(c.typed) : before);
        if (!c.taken) {
            EXPECT_EQ(e.Editor->textCursor().charFormat().fontPointSize(), before.toDouble());
        }
    }
    // The arrows step by one point.
    select(e.Editor, 0, 6);
    e.FontSizeUp->click();
    select(e.Editor, 0, 6);
    EXPECT_EQ(e.FontSize->text(), "19");
}

}  // namespace
