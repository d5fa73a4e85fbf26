#include "report/page/page.h"
#include "testsupport/qt_printers.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPointer>

#include <memory>

namespace {

/// A draw command kind that is not registered.
class TppDrawUnknown : public TppDrawCommand {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDrawUnknown(TComponent* AOwner = nullptr) : TppDrawCommand(AOwner) {}
};

class RecordingDevice : public report::PageDevice {
public:
    bool DrawCommand(TppDrawCommand&) override { return true; }
    void RedrawCommand(TppDrawCommand& c) override { redrawn << qobject_cast<TppDrawText*>(&c)->Text(); }
    QStringList redrawn;
};

std::unique_ptr<TppPage> pageOf(int no, int count, bool last) {
    auto p = std::make_unique<TppPage>();
    p->SetAbsolutePageNo(no);
    p->SetAbsolutePageCount(count);
    p->SetFirstPage(no == 1);
    p->SetLastPage(last);
    return p;
}

QList<int> requested(TppPageRequest& r, int pages) {
    QList<int> out;
    for (int i = 1; i <= pages; ++i) {
        auto p = pageOf(i, pages, i == pages);
        if (r.IsRequested(*p)) out << i;
    }
    return out;
}

TEST(PageRequest, pages_wanted_by_setting_and_parity) {
    struct Case {
        TppPageSettingType setting;
        int pageRequested;
        QStringList list;
        int range;
        QList<int> expected;
    };
    static const Case cases[] = {
        {TppPageSettingType::psAll, 1, {}, 0, {1, 2, 3, 4, 5, 6}},
        {TppPageSettingType::psAll, 1, {}, 2, {2, 4, 6}},
        {TppPageSettingType::psAll, 1, {}, 1, {1, 3, 5}},
        {TppPageSettingType::psPageList, 1, {"2", "4"}, 0, {2, 4}},
        {TppPageSettingType::psPageList, 1, {"2", "4"}, 1, {}},
        {TppPageSettingType::psSinglePage, 3, {}, 0, {3}},
        {TppPageSettingType::psSinglePage, 50, {}, 0, {6}},  // beyond the end: the last page
        {TppPageSettingType::psSinglePage, 0, {}, 0, {1}},   // below 1: page 1
        {TppPageSettingType::psFirstPage, 1, {}, 0, {1}},
        {TppPageSettingType::psLastPage, 1, {}, 0, {6}},
        {TppPageSettingType::psPageRange, 1, {}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.setting));
        TppPageRequest r;
        r.SetPageSetting(c.setting);
        r.SetPageRequested(c.pageRequested);
        r.SetPageList(c.list);
        r.SetPageRange(c.range);
        EXPECT_EQ(requested(r, 6), c.expected);
    }
}

TEST(PageRequest, merging_widens_a_request) {
    TppPageRequest r, three, five, all;
    r.SetPageSetting(TppPageSettingType::psSinglePage);
    r.SetPageRequested(3);
    five.SetPageSetting(TppPageSettingType::psSinglePage);
    five.SetPageRequested(5);
    r.Merge(five);
    EXPECT_EQ(r.PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(r.PageList(), (QStringList{"3", "5"}));
    r.Merge(five);
    EXPECT_EQ(r.PageList(), (QStringList{"3", "5"}));
    r.Merge(all);
    EXPECT_EQ(r.PageSetting(), TppPageSettingType::psAll);
}

TEST(Page, draw_commands_are_filed_in_the_click_and_page_count_lists) {
    TppPage page;
    page.SetPageNo(4);
    page.SetPageCount(12);
    auto* text = new TppDrawText;
    text->SetPage(&page);
    auto* pageNo = new TppDrawVar;
    pageNo->SetVarType(TppVarType::vtPageNoDesc);
    pageNo->SetPage(&page);
    auto* date = new TppDrawVar;
    date->SetVarType(TppVarType::vtDate);
    date->SetPage(&page);
    auto* clickable = new TppDrawShape;
    clickable->SetOnClick(nullptr, [](QObject*, TppDrawCommand*) {});
    clickable->SetPage(&page);

    EXPECT_EQ(page.GetDrawCommandCount(), 4);
    EXPECT_EQ(text->parent(), &page);
    EXPECT_TRUE(page.HasPageCountCommands());
    EXPECT_EQ(page.GetClickCommandCount(), 1);
    EXPECT_TRUE(clickable->Clickable());

    RecordingDevice device;
    page.UpdatePageCountCommands(&device);
    EXPECT_EQ(device.redrawn, QStringList{"Page 4"});
    page.UpdatePageCountCommands(&device);  // unchanged now: not redrawn again
    EXPECT_EQ(device.redrawn, QStringList{"Page 4"});

    delete clickable;  // a freed command leaves every list
    EXPECT_EQ(page.GetClickCommandCount(), 0);
    EXPECT_EQ(page.GetDrawCommandCount(), 3);
    pageNo->SetPage(nullptr);
    EXPECT_FALSE(page.HasPageCountCommands());
    delete pageNo;

    QPointer<TppDrawText> watch = text;
    page.Reset();
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(page.GetDrawCommandCount(), 0);
}

TEST(Page, page_texts_use_the_numbered_texts) {
    auto p = pageOf(3, 12, false);
    EXPECT_EQ(p->GetPageOfText(), "Page 3 of 12");
    EXPECT_EQ(p->GetPageText(), "Page 3");
    auto calc = std::make_unique<TppDrawCalc>();
    calc->SetCalcType(TppCalcType::ctPageSetDesc);
    p->SetPageNo(3);
    p->SetPageCount(12);
    calc->SetPage(p.get());
    EXPECT_TRUE(calc->UpdatePageCountText());
    EXPECT_EQ(calc->Text(), "Page 3 of 12");
    calc->SetPage(nullptr);
}

/// A page as the engine makes it: a heading, a wrapped memo, a line, a shape.
std::unique_ptr<TppPage> samplePage() {
    auto page = pageOf(2, 5, false);
    page->SetDocumentName("Shipping list");
    page->SetPageNo(2);
    page->SetPageCount(5);
    page->PageDef()->SetmmWidth(210000);
    page->PageDef()->SetmmHeight(297000);
    auto* heading = new TppDrawText;
    heading->SetText(QString::fromUtf8("Lieferschein f\u00fcr M\u00fcnchen"));
    heading->SetLeft(12700);
    heading->SetTop(6350);
    heading->SetWidth(100000);
    heading->SetHeight(6000);
    heading->Font()->SetName("Arial");
    heading->Font()->SetSize(14);
    heading->SetAlignment(TAlignment::taCenter);
    heading->SetPage(page.get());
    auto* memo = new TppDrawText;
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    memo->SetWrappedText({"Two crates of printed", "forms, one of paper."});
    memo->SetBandSave(true);
    memo->SetSaveLength(40);
    memo->SetPage(page.get());
    auto* line = new TppDrawLine;
    line->SetLinePosition(TppLinePositionType::lpBottom);
    line->SetWeight(1.5f);
    line->SetPen(paint::Pen{paint::clNavy, 2, paint::TPenStyle::psDash});
    line->SetPage(page.get());
    auto* shape = new TppDrawShape;
    shape->SetShapeType(TShapeType::stRoundRect);
    shape->SetBrush(paint::Brush{paint::clSilver, paint::TBrushStyle::bsCross});
    shape->SetPage(page.get());
    auto* pageNo = new TppDrawVar;
    pageNo->SetVarType(TppVarType::vtPageSet);
    pageNo->SetPage(page.get());
    auto* calc = new TppDrawCalc;
    calc->SetCalcType(TppCalcType::ctPageCount);
    calc->SetText(QStringLiteral("5"));
    calc->SetPage(page.get());
    auto* image = new TppDrawImage;
    QImage pixels(3, 2, QImage::Format_RGB32);
    pixels.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "PNG");
    image->SetPicture(*paint::Picture::FromData(png));
    image->SetStretch(true);
    image->SetPage(page.get());
    page->PrinterSetup()->SetCopies(3);
    page->PrinterSetup()->SetDocumentName(QStringLiteral("Shipping list"));
    return page;
}

/// The page's draw commands as text: class and the fields that differ between kinds.
QStringList describe(const TppPage& page) {
    QStringList out;
    for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
        const TppDrawCommand* c = page.GetDrawCommand(i);
        QString d = QStringLiteral("%1 %2,%3 %4x%5").arg(c->metaObject()->className()).arg(c->Left()).arg(c->Top()).arg(c->Width()).arg(c->Height());
        if (auto* t = qobject_cast<const TppDrawText*>(c))
            d += QStringLiteral(" '%1' [%2] %3 %4pt memo=%5 save=%6/%7").arg(t->Text(), t->WrappedText().join("|"), t->Font()->Name())
                     .arg(t->Font()->Size()).arg(t->IsMemo()).arg(t->BandSave()).arg(t->SaveLength());
        if (auto* v = qobject_cast<const TppDrawVar*>(c)) d += QStringLiteral(" var=%1").arg(int(v->VarType()));
        if (auto* l = qobject_cast<const TppDrawLine*>(c))
            d += QStringLiteral(" pos=%1 w=%2 pen=%3/%4/%5").arg(int(l->LinePosition())).arg(l->Weight()).arg(l->Pen().Color).arg(l->Pen().Width).arg(int(l->Pen().Style));
        if (auto* s = qobject_cast<const TppDrawShape*>(c))
            d += QStringLiteral(" shape=%1 brush=%2/%3").arg(int(s->ShapeType())).arg(s->Brush().Color).arg(int(s->Brush().Style));
        if (auto* k = qobject_cast<const TppDrawCalc*>(c)) d += QStringLiteral(" calc=%1").arg(int(k->CalcType()));
        if (auto* m = qobject_cast<const TppDrawImage*>(c))
            d += QStringLiteral(" picture=%1x%2 stretch=%3 pixel=%4")
                     .arg(m->Picture().Width()).arg(m->Picture().Height()).arg(m->Stretch())
                     .arg(m->Picture().Image().isNull() ? 0u : m->Picture().Image().pixel(2, 1), 0, 16);
        out << d;
    }
    return out;
}

TEST(Page, a_page_streams_with_its_draw_commands_in_text_form_and_writes_the_same_binary) {
    report::RegisterDrawCommands();
    stream::ClassRegistry::Global().Register<TppPage>("TppPage");
    auto page = samplePage();
    const QStringList expected = describe(*page);
    ASSERT_EQ(expected.size(), 7);
    const QByteArray binary = stream::WriteComponent(*page);
    auto read = stream::ReadComponent(stream::ObjectDataToText(stream::ComponentToObjectData(*page)));
    auto& copy = dynamic_cast<TppPage&>(*read);
    EXPECT_EQ(describe(copy), expected);
    EXPECT_EQ(copy.DocumentName(), "Shipping list");
    EXPECT_EQ(copy.PageDef()->mmHeight(), 297000);
    EXPECT_TRUE(copy.PrinterSetup()->IsEqual(*page->PrinterSetup()));
    EXPECT_EQ(copy.PrinterSetup()->Copies(), 3);
    EXPECT_TRUE(copy.HasPageCountCommands());
    EXPECT_EQ(stream::WriteComponent(copy), binary);
}

// The printer setup's names ("PrinterSetup.mmMarginBottom") are longer than 20 characters, and
// the binary reader of the stream layer takes such a name's length byte for a value tag.
TEST(Page, a_page_reads_back_from_its_binary_form) {
    report::RegisterDrawCommands();
    stream::ClassRegistry::Global().Register<TppPage>("TppPage");
    auto page = samplePage();
    const QByteArray binary = stream::WriteComponent(*page);
    auto read = stream::ReadComponent(binary);
    EXPECT_EQ(describe(dynamic_cast<TppPage&>(*read)), describe(*page));
}

TEST(Page, assigning_a_page_copies_the_commands_of_registered_classes) {
    report::RegisterDrawCommands();
    auto page = samplePage();
    (new TppDrawUnknown)->SetPage(page.get());
    TppPage copy;
    copy.Assign(page.get());
    EXPECT_EQ(describe(copy), describe(*page).mid(0, 7));
    EXPECT_EQ(copy.AbsolutePageNo(), 2);
    EXPECT_EQ(copy.PageCount(), 5);

    TppPage onlyUnknown, target;
    (new TppDrawUnknown)->SetPage(&onlyUnknown);
    target.Assign(&onlyUnknown);
    EXPECT_EQ(target.GetDrawCommandCount(), 0);
}

}  // namespace

#include "page_test.moc"
