#include "platform/richtext/tests/document_text.h"

#include "platform/richtext/rtf_reader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cmath>

namespace richtext::test {

namespace {

QString twips(qreal units) { return QString::number(std::lround(units * 15)); }

QString listName(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListDisc: return QStringLiteral("disc");
    case QTextListFormat::ListCircle: return QStringLiteral("circle");
    case QTextListFormat::ListSquare: return QStringLiteral("square");
    case QTextListFormat::ListDecimal: return QStringLiteral("decimal");
    case QTextListFormat::ListLowerAlpha: return QStringLiteral("lower-alpha");
    case QTextListFormat::ListUpperAlpha: return QStringLiteral("upper-alpha");
    case QTextListFormat::ListLowerRoman: return QStringLiteral("lower-roman");
    case QTextListFormat::ListUpperRoman: return QStringLiteral("upper-roman");
    default: return QStringLiteral("?");
    }
}

QString runAttributes(const QTextCharFormat& f, const QFont& base) {
    QString out;
    const QStringList families = f.fontFamilies().toStringList();
    out += families.isEmpty() ? base.family() : families.first();
    out += u' ' + QString::number(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : base.pointSizeF());
    if (f.fontWeight() >= QFont::DemiBold) out += QStringLiteral(" b");
    if (f.fontItalic()) out += QStringLiteral(" i");
    if (f.fontUnderline()) out += QStringLiteral(" u");
    if (f.fontStrikeOut()) out += QStringLiteral(" s");
    if (f.foreground().style() != Qt::NoBrush) out += QStringLiteral(" fg=") + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush) out += QStringLiteral(" bg=") + f.background().color().name();
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) out += QStringLiteral(" sup");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) out += QStringLiteral(" sub");
    if (f.baselineOffset() != 0) out += QStringLiteral(" raise=") + QString::number(f.baselineOffset()) + u'%';
    if (f.fontCapitalization() == QFont::AllUppercase) out += QStringLiteral(" caps");
    if (f.fontCapitalization() == QFont::SmallCaps) out += QStringLiteral(" scaps");
    return out;
}

}  // namespace

QString DescribeDocument(const QTextDocument& doc) {
    QString out;
    int listNumber = 0;
    QList<const QTextList*> lists;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        out += u'P';
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignRight) out += QStringLiteral(" right");
        else if (a & Qt::AlignHCenter) out += QStringLiteral(" center");
        else if (a & Qt::AlignJustify) out += QStringLiteral(" justify");
        if (bf.leftMargin() != 0) out += QStringLiteral(" li=") + twips(bf.leftMargin());
        if (bf.textIndent() != 0) out += QStringLiteral(" fi=") + twips(bf.textIndent());
        if (bf.rightMargin() != 0) out += QStringLiteral(" ri=") + twips(bf.rightMargin());
        if (bf.topMargin() != 0) out += QStringLiteral(" sb=") + twips(bf.topMargin());
        if (bf.bottomMargin() != 0) out += QStringLiteral(" sa=") + twips(bf.bottomMargin());
        for (const QTextOption::Tab& t : bf.tabPositions()) {
            out += QStringLiteral(" tab=") + twips(t.position);
            if (t.type == QTextOption::RightTab) out += u'R';
            else if (t.type == QTextOption::CenterTab) out += u'C';
            else if (t.type == QTextOption::DelimiterTab) out += u'D';
        }
        if (const QTextList* list = b.textList()) {
            qsizetype n = lists.indexOf(list);
            if (n < 0) {
                lists.append(list);
                n = listNumber++;
            }
            const QTextListFormat lf = list->format();
            out += QStringLiteral(" list%1=").arg(n) + listName(lf.style());
            if (lf.hasProperty(kListStartProperty)) out += QStringLiteral(" start=") + QString::number(lf.intProperty(kListStartProperty));
            const QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
            if (!lf.numberPrefix().isEmpty() || suffix != u'.') out += QStringLiteral(" number=") + lf.numberPrefix() + u'#' + suffix;
        }
        out += u'\n';
        bool any = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            QString text = frag.text();
            text.replace(u'\t', QLatin1String("\\t"));
            text.replace(QChar::LineSeparator, QLatin1String("\\n"));
            out += QStringLiteral("  \"") + text + QStringLiteral("\" ") + runAttributes(frag.charFormat(), doc.defaultFont()) + u'\n';
            any = true;
        }
        if (!any) out += QStringLiteral("  (empty ") + QString::number(b.charFormat().hasProperty(QTextFormat::FontPointSize) ? b.charFormat().fontPointSize()
                                                                                                     : doc.defaultFont().pointSizeF()) + QStringLiteral(")\n");
    }
    return out;
}

}  // namespace richtext::test
