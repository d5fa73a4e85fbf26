#include "report/model/page_dump.h"

#include "report/page/draw_command.h"
#include "report/page/page.h"
#include "report/page/report_types.h"

namespace report {

namespace {

QString geometry(const TppDrawCommand& c) {
    return QStringLiteral("%1 %2 %3 %4").arg(c.Left()).arg(c.Top()).arg(c.Width()).arg(c.Height());
}

QString quoted(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

QString DumpPage(const TppPage& aPage, bool aCountKnown) {
    QString out = QStringLiteral("Page %1 of %2\n")
                      .arg(aPage.AbsolutePageNo())
                      .arg(aCountKnown ? QString::number(aPage.AbsolutePageCount()) : QStringLiteral("?"));
    if (aPage.PageNo() != aPage.AbsolutePageNo())
        out.insert(out.size() - 1, QStringLiteral(", numbered %1 of %2").arg(aPage.PageNo()).arg(aPage.PageCount()));
    for (int i = 0; i < aPage.GetDrawCommandCount(); ++i) {
        const TppDrawCommand* c = aPage.GetDrawCommand(i);
        QString line;
        if (auto* t = qobject_cast<const TppDrawText*>(c)) {
            QString style;
            const auto s = t->Font()->Style();
            if (s.Contains(paint::TFontStyle::fsBold)) style += QLatin1Char('B');
            if (s.Contains(paint::TFontStyle::fsItalic)) style += QLatin1Char('I');
            if (s.Contains(paint::TFontStyle::fsUnderline)) style += QLatin1Char('U');
            line = QStringLiteral("Text %1 %2 %3 %4").arg(geometry(*c), quoted(t->Text()), t->Font()->Name()).arg(t->Font()->Size());
            if (!style.isEmpty()) line += QLatin1Char(' ') + style;
            if (t->Alignment() != TAlignment::taLeftJustify) line += QLatin1Char(' ') + EnumName(t->Alignment());
        } else if (auto* s = qobject_cast<const TppDrawShape*>(c)) {
            line = QStringLiteral("Shape %1 %2 pen %3/%4 brush %5")
                       .arg(geometry(*c), EnumName(s->ShapeType()))
                       .arg(s->Pen().Color)
                       .arg(s->Pen().Width)
                       .arg(s->Brush().Style == paint::TBrushStyle::bsClear ? QStringLiteral("clear")
                                                                              : QString::number(s->Brush().Color));
        } else if (auto* l = qobject_cast<const TppDrawLine*>(c)) {
            line = QStringLiteral("Line %1 %2 %3 %4")
                       .arg(geometry(*c), EnumName(l->LinePosition()), EnumName(l->LineStyle()))
                       .arg(double(l->Weight()));
        } else if (auto* p = qobject_cast<const TppDrawImage*>(c)) {
            line = QStringLiteral("Image %1 %2x%3").arg(geometry(*c)).arg(p->Picture().Width()).arg(p->Picture().Height());
        } else {
            line = QStringLiteral("%1 %2").arg(QString::fromLatin1(c->metaObject()->className()).mid(3), geometry(*c));
        }
        out += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    return out;
}

}  // namespace report
