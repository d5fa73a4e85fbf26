#include "report/model/text_layout.h"

#include "report/page/draw_command.h"

#include "platform/base/day_time.h"
#include "platform/format/date_time_format.h"
#include "platform/format/date_time_parse.h"
#include "platform/format/edit_mask.h"
#include "platform/format/errors.h"
#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"
#include "platform/paint/text_metrics.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

struct Resolution {
    int x;
    int y;
};

Resolution resolutionOf(const report::PrinterResolution* aPrinter) {
    if (aPrinter && aPrinter->PixelsPerInchX() > 0 && aPrinter->PixelsPerInchY() > 0)
        return {aPrinter->PixelsPerInchX(), aPrinter->PixelsPerInchY()};
    const int ppi = report::ScreenPixelsPerInch();
    return {ppi, ppi};
}

/// mm-thousandths to unrounded device pixels, with the units' inch constant.
qreal mmToPixels(qreal mm, int ppi) { return mm / 1000.0 * 0.03937 * ppi; }

QString cleaned(const QString& word, std::vector<int>& origin, int wordStart) {
    QString out;
    origin.clear();
    for (int i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c == QChar(0) || c == u'\r' || c == u'\n') continue;
        out += c;
        origin.push_back(wordStart + i);
    }
    return out;
}

QString trimRightBlanks(const QString& s) {
    int n = int(s.size());
    while (n > 0 && s.at(n - 1) == u' ') --n;
    return s.left(n);
}

QString trimLeftBlanks(const QString& s) {
    int i = 0;
    while (i < s.size() && s.at(i) == u' ') ++i;
    return s.mid(i);
}

}  // namespace

QString ppGetNextWord(const QString& aText, int& aPos) {
    const int start = std::max(aPos, 0);
    for (int i = start; i < aText.size(); ++i) {
        const QChar c = aText.at(i);
        if (c == u' ' || c == u'\t' || c == u'\n') {
            aPos = i + 1;
            return aText.mid(start, i + 1 - start);
        }
    }
    aPos = -1;
    return aText.mid(start);
}

bool ppTextExceedsWidth(const QString& aText, qreal aWidth, const paint::TextMetrics& aMetrics,
                        const std::vector<qreal>& aTabStops) {
    return aMetrics.TabbedTextWidth(aText, aTabStops) > aWidth;
}

int ppGetLinesPerHeight(const TppFont& aFont, int aLeading, int aHeight, int& aLineHeight,
                        const report::PrinterResolution* aPrinter) {
    const Resolution r = resolutionOf(aPrinter);
    const paint::TextMetrics metrics(aFont.Font(), r.x, r.y);
    const int lineHeight = int(std::lround(metrics.Height())) + int(mmToPixels(aLeading, r.y));
    aLineHeight = ppToMMThousandths(TppUnitType::utPrinterPixels, report::kVertical, aPrinter, float(lineHeight));
    if (lineHeight <= 0) return 0;
    const int height = int(mmToPixels(aHeight, r.y));
    return std::max(height, 0) / lineHeight;
}

void ppWordWrap(const QString& aText, const QRect& aRect, const TppFont& aFont, int aLeading, bool aLimitByHeight,
                QStringList& aLines, const QStringList* aTabStops, const report::PrinterResolution* aPrinter,
                int& aStartPos, bool aCharWrap) {
    aLines.clear();
    if (aText.isNull()) return;
    const Resolution r = resolutionOf(aPrinter);
    const paint::TextMetrics metrics(aFont.Font(), r.x, r.y);
    std::vector<qreal> tabStops;
    if (aTabStops)
        for (const QString& t : *aTabStops) {
            bool ok = false;
            const int mm = t.trimmed().toInt(&ok);
            if (ok) tabStops.push_back(mmToPixels(mm, r.x));
        }
    int maxLines = INT_MAX;
    if (aLimitByHeight) {
        int lineHeight = 0;
        maxLines = ppGetLinesPerHeight(aFont, aLeading, aRect.height(), lineHeight, aPrinter);
        if (maxLines == 0) return;
    }
    const qreal width = mmToPixels(aRect.width(), r.x);
    // A line is measured without its trailing blanks, which are never drawn.
    auto tooWide = [&](const QString& line) { return ppTextExceedsWidth(trimRightBlanks(line), width, metrics, tabStops); };

    QString current;           // the line being filled
    bool softWrapped = false;  // the current line follows a soft wrap
    bool closed = false;       // the current line takes no further word
    bool stopped = false;
    int stopAt = -1;

    auto addLine = [&](const QString& line, bool afterSoftWrap, int nextStart) {
        QString out = afterSoftWrap ? trimLeftBlanks(line) : line;
        aLines << trimRightBlanks(out);
        if (aLimitByHeight && aLines.size() >= maxLines) {
            stopped = true;
            stopAt = nextStart;
        }
    };

    int pos = std::max(aStartPos, 0);
    if (pos >= aText.size()) pos = -1;
    std::vector<int> origin;
    while (pos != -1 && !stopped) {
        const int wordStart = pos;
        const QString raw = ppGetNextWord(aText, pos);
        if (pos >= aText.size()) pos = -1;
        const bool paragraphEnd = pos == -1 || raw.contains(u'\n');
        const QString word = cleaned(raw, origin, wordStart);
        const int afterWord = pos == -1 ? int(aText.size()) : pos;

        if (closed || (!current.isEmpty() && tooWide(current + word))) {
            // The word goes to the next line: the current one is output first.
            addLine(current, softWrapped, wordStart);
            if (stopped) break;
            current.clear();
            softWrapped = true;
            closed = false;
        }
        current += word;
        if (aCharWrap && tooWide(current) && !word.isEmpty()) {
            // A word wider than the line: its longest fitting prefixes, one line each.
            QString rest = current;
            int restStart = 0;  // index into word of rest's first character
            while (!rest.isEmpty() && tooWide(rest)) {
                int n = int(rest.size()) - 1;
                while (n > 1 && tooWide(rest.left(n))) --n;
                n = std::max(n, 1);
                restStart += n;
                const int next = restStart < int(origin.size()) ? origin[size_t(restStart)] : afterWord;
                addLine(rest.left(n), softWrapped, next);
                softWrapped = true;
                rest = rest.mid(n);
                if (stopped) break;
            }
            if (stopped) break;
            current = rest;
            closed = true;  // the last piece is a line of its own
        }
        if (paragraphEnd) {
            addLine(current, softWrapped, afterWord);
            current.clear();
            softWrapped = false;
            closed = false;
        }
    }
    if (stopped)
        aStartPos = stopAt >= aText.size() ? -1 : stopAt;
    else
        aStartPos = -1;
}

// Value formatting --------------------------------------------------------------------------

namespace {

double dayNumberOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QDateTime) return base::DateTimeToDays(v.toDateTime());
    if (v.typeId() == QMetaType::QDate) return base::DateToDays(v.toDate());
    if (v.typeId() == QMetaType::QTime) return base::TimeToDays(v.toTime());
    return v.toDouble();
}

}  // namespace

QString ppFormatValue(const QString& aDisplayFormat, TppDataType aDataType, const QVariant& aValue) {
    if (aValue.isNull() || !aValue.isValid()) return {};
    const format::FormatSettings& fs = format::Settings();
    switch (aDataType) {
    case TppDataType::dtBoolean: {
        if (aDisplayFormat.isEmpty()) return aValue.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        const int semi = int(aDisplayFormat.indexOf(u';'));
        const QString yes = semi < 0 ? aDisplayFormat : aDisplayFormat.left(semi);
        const QString no = semi < 0 ? QString() : aDisplayFormat.mid(semi + 1);
        return aValue.toBool() ? yes : no;
    }
    case TppDataType::dtDate:
        return format::FormatDateTime(aDisplayFormat.isEmpty() ? fs.shortDateFormat : aDisplayFormat, dayNumberOf(aValue));
    case TppDataType::dtTime:
        return format::FormatDateTime(aDisplayFormat.isEmpty() ? fs.longTimeFormat : aDisplayFormat, dayNumberOf(aValue));
    case TppDataType::dtDateTime:
        return format::FormatDateTime(aDisplayFormat.isEmpty() ? QStringLiteral("c") : aDisplayFormat, dayNumberOf(aValue));
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint: {
        bool ok = false;
        const double value = aValue.toDouble(&ok);
        if (!ok) return {};
        if (aDisplayFormat.isEmpty()) {
            if (aDataType == TppDataType::dtCurrency)
                return format::FloatToStrF(value, format::FloatFormat::Currency, 15, fs.currencyDecimals);
            return format::FloatToStrF(value, format::FloatFormat::General, 15, 0);
        }
        if (aDisplayFormat.contains(u'$')) {
            const QString positive = aDisplayFormat.section(u';', 0, 0);
            const int dot = int(positive.indexOf(u'.'));
            const int decimals = dot < 0 ? 0 : int(positive.size()) - dot - 1;
            return format::FloatToStrF(value, format::FloatFormat::Currency, 15, decimals);
        }
        return format::FormatFloat(aDisplayFormat, value);
    }
    case TppDataType::dtChar:
    case TppDataType::dtString:
        if (aDisplayFormat.isEmpty()) return aValue.toString();
        return format::FormatMaskText(aDisplayFormat, aValue.toString());
    default: return {};
    }
}

QString ppFormatNumericText(const QString& aText, const QString& aDisplayFormat) {
    const format::FormatSettings& fs = format::Settings();
    QString text = aText;
    if (!fs.thousandSeparator.isNull()) text.remove(fs.thousandSeparator);
    auto value = format::TryStrToFloat(text.trimmed());
    if (!value) return {};
    if (!aDisplayFormat.isEmpty()) return format::FormatFloat(aDisplayFormat, *value);
    const int sep = int(text.indexOf(fs.decimalSeparator));
    int decimals = 0;
    if (sep >= 0)
        for (int i = sep + 1; i < text.size() && text.at(i).isDigit(); ++i) ++decimals;
    format::FormatSettings point = fs;
    point.decimalSeparator = u'.';
    const QString pattern = decimals == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimals, u'#');
    return format::FormatFloat(pattern, *value, point);
}

void ppGetDisplayFormats(TppDataType aDataType, QStringList& aList) {
    aList.clear();
    auto add = [&](std::initializer_list<std::pair<const char*, const char*>> items) {
        for (const auto& [sample, fmt] : items)
            aList << QString::fromLatin1(sample) + QChar(1) + QString::fromLatin1(fmt);
    };
    const std::initializer_list<std::pair<const char*, const char*>> dates = {
        {"3/4/95", "m/d/yy"},         {"03/04/95", "mm/dd/yy"},       {"03/04/1995", "mm/dd/yyyy"},
        {"4-Mar-95 ", "d-mmm-yy"},    {"04-Mar-95 ", "dd-mmm-yy"},    {"March 4, 1995", "mmmm d, yyyy"},
        {"3/4", "m/d"},               {"Mar-95", "mmm-yy"},           {"March-95", "mmmm-yy"}};
    switch (aDataType) {
    case TppDataType::dtBoolean:
        add({{"Yes", "Yes;No"}, {"Y", "Y;N"}, {"True", "True;False"}, {"T", "T;F"}, {"OK", "OK;"}, {"Done", "Done;"},
             {"", ";Not OK"}, {"", ";Not Done"}});
        break;
    case TppDataType::dtDate: add(dates); break;
    case TppDataType::dtTime:
        add({{"1:30 PM", "h:nn AM/PM"}, {"13:30", "h:nn"}, {"1:30:55 PM", "h:nn:ss AM/PM"}, {"13:30:55", "h:nn:ss"}});
        break;
    case TppDataType::dtDateTime:
        add({{"3/4/95 1:30:55 PM", "m/d/yy h:nn:ss AM/PM"}, {"3/4/95 13:30:55", "m/d/yy h:nn:ss"}});
        add(dates);
        break;
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint:
        add({{"-1,234", "#,0;-#,0"}, {"-1,234.40", "#,0.00;-#,0.00"}, {"(1,234.40)", "#,0.00;(#,0.00)"},
             {"($1,234.40)", "$#,0.00;($#,0.00)"}, {"-$1,234.40", "$#,0.00;-$#,0.00"}, {"-$1,234", "$#,0;-$#,0"},
             {"($1,234)", "$#,0;($#,0)"}, {"-1234.4 %", "0 %"}, {"-1234.40 %", "0.00 %"}});
        break;
    case TppDataType::dtString:
        add({{"Phone", "!\\(999\\)\\ 000\\-0000;0; "}, {"Extension", "!99999;0; "},
             {"Social Security", "000\\-00\\-0000;0; "}, {"Short Zip Code", "00000;0; "},
             {"Long Zip Code", "00000\\-9999;0; "}, {"Date", "!99/99/00;0; "},
             {"Long Time", "!90:00:00\\ >LL;0; "}, {"Short Time", "!90:00;0; "}});
        break;
    default: break;
    }
}

void ppTextToPageList(const QString& aText, QStringList& aList, bool aTrim) {
    aList.clear();
    QList<qint64> pages;
    auto add = [&](qint64 n) {
        if (!pages.contains(n)) pages << n;
    };
    qint64 previous = -1;
    bool range = false;
    int i = 0;
    while (i < aText.size()) {
        if (aText.at(i).isDigit() && aText.at(i).unicode() < 128) {
            qint64 n = 0;
            while (i < aText.size() && aText.at(i).isDigit() && aText.at(i).unicode() < 128) {
                n = std::min<qint64>(n * 10 + aText.at(i).digitValue(), 99999999);
                ++i;
            }
            add(n);
            if (range && previous >= 0 && previous < n)
                for (qint64 p = previous + 1; p < n && p - previous < 100000; ++p) add(p);
            range = i < aText.size() && aText.at(i) == u'-';
            previous = n;
            if (range) ++i;
        } else {
            range = false;
            ++i;
        }
    }
    std::sort(pages.begin(), pages.end());
    for (qint64 p : pages) aList << (aTrim ? QString::number(p) : QStringLiteral("%1").arg(p, 8));
}

void ppGetSystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, QString& aText, bool aKnown,
                             double aPrintDateTime) {
    aText = report::SystemVariableText(aVarType, aPageNo, aPageCount, aKnown, aPrintDateTime);
}

void ppGetCalcText(TppCalcType aCalcType, int aPageNo, int aPageCount, QString& aText, bool aKnown,
                   double aPrintDateTime) {
    aText = report::CalcText(aCalcType, aPageNo, aPageCount, aKnown, aPrintDateTime);
}

QString ppPadText(const QString& aText, int aLength, int aJustify) {
    if (aText.size() >= aLength) return aText.left(std::max(aLength, 0));
    const int n = aLength - int(aText.size());
    switch (aJustify) {
    case 1: return QString(n, u' ') + aText;
    case 2: return QString(n / 2, u' ') + aText + QString(n - n / 2, u' ');
    default: return aText + QString(n, u' ');
    }
}

// Small routines ----------------------------------------------------------------------------

void ppParseTableName(const QString& aText, QString& aName, QString& aSecond, bool& aFileFlag) {
    const int dot = int(aText.indexOf(u'.'));
    if (dot < 0) {
        aName = aText;
        aSecond.clear();
        return;  // the flag stays as it was
    }
    const QString before = aText.left(dot);
    const QString after = aText.mid(dot + 1);
    static const QStringList fileExtensions = {"DB", "DBF", "MDB", "DAT"};
    aFileFlag = fileExtensions.contains(after, Qt::CaseInsensitive);
    if (aFileFlag) {
        aName = before;
        aSecond = after;
    } else {
        aName = after;
        aSecond = before;
    }
}

void ppCommaTextToList(const QString& aText, QStringList& aList) {
    aList = aText.split(u',');
    if (!aList.isEmpty() && aList.last().isEmpty()) aList.removeLast();
}

QString ppExtractFilePath(const QString& aPath) {
    const int i = int(aPath.lastIndexOf(u'\\'));
    return i < 0 ? QString() : aPath.left(i + 1);
}

QString ppRemoveChar(QChar aChar, const QString& aText) {
    QString s = aText;
    return s.remove(aChar);
}

QString ppStripChar(const QString& aText, QChar aChar) { return ppRemoveChar(aChar, aText); }

bool ppEqualText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QByteArray ppStringsToStream(const QStringList& aList) {
    QByteArray out;
    for (const QString& line : aList) out += line.toUtf8() + "\r\n";
    return out;
}

QString ppGetScalableFontName(const QString& aName) {
    if (aName == QLatin1String("Courier") || aName == QLatin1String("MS Serif")) return QStringLiteral("Courier New");
    static const QStringList toArial = {"Fixedsys", "Modern", "MS Sans Serif", "Small Fonts", "System", "Terminal"};
    if (toArial.contains(aName)) return QStringLiteral("Arial");
    return aName;
}

QString ppTextToIdentifier(const QString& aText) {
    QString out;
    int i = 0;
    while (i < aText.size() && !aText.at(i).isLetter()) ++i;
    for (; i < aText.size(); ++i) {
        const QChar c = aText.at(i);
        if (c.isLetterOrNumber())
            out += c;
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    return out;
}

QString ppProperCase(const QString& aText) {
    QString s = aText.toLower();
    for (int i = 0; i < s.size(); ++i) {
        const bool start = i == 0 || s.at(i - 1) == u' ' || aText.at(i - 1) == u'_';
        if (start) s[i] = s.at(i).toUpper();
    }
    s.replace(u'_', u' ');
    return s;
}

int ppVersionToInt(const QString& aText) {
    const QString head = aText.left(20);
    QString run;
    for (QChar c : head) {
        if (!(c.isDigit() || c == u'.')) break;
        run += c;
    }
    const int dot = int(run.indexOf(u'.'));
    if (dot >= 0) run.remove(dot, 1);
    run.remove(u'.');
    while (run.size() < 4) run += u'0';
    bool ok = false;
    const int v = run.left(9).toInt(&ok);
    return ok ? v : 0;
}

void ppPointToDecimalSeparator(QStringList& aList) {
    const QChar sep = format::Settings().decimalSeparator;
    for (QString& item : aList) {
        const int i = int(item.indexOf(u'.'));
        if (i >= 0) item[i] = sep;
    }
}

bool ppConvertOldTextTemplate(QStringList& aList) {
    auto appendPointZero = [](QString& line, const QString& key) {
        const int at = int(line.indexOf(key));
        if (at < 0) return false;
        const QString value = line.mid(at + key.size()).trimmed();
        bool ok = false;
        value.toLongLong(&ok);
        if (ok) line += QStringLiteral(".0");
        return true;
    };
    static const QStringList reportKeys = {"ColumnWidth = ", "PaperHeight = ", "PaperWidth = ", "RowSpacing = "};
    static const QStringList lengthKeys = {" Left = ", " Top = ", " Width = ", " Height = "};
    bool afterVersion = false;
    for (QString& line : aList) {
        const QString trimmed = ppTrimLeftText(line);
        for (const QString& key : reportKeys)
            if (trimmed.startsWith(key)) {
                appendPointZero(line, key);
                break;
            }
        if (afterVersion)
            for (const QString& key : lengthKeys)
                if (appendPointZero(line, key)) break;
        if (line.contains(QLatin1String("Version"))) afterVersion = true;
    }
    return true;
}

QString ppTrimText(const QString& aText) { return ppTrimLeftText(ppTrimRightText(aText)); }

QString ppTrimLeftText(const QString& aText) {
    int i = 0;
    while (i < aText.size() && aText.at(i).unicode() <= 32) ++i;
    return aText.mid(i);
}

QString ppTrimRightText(const QString& aText) {
    int n = int(aText.size());
    while (n > 0 && aText.at(n - 1).unicode() <= 32) --n;
    return aText.left(n);
}

double ppStrToDateTime(const QString& aText) { return base::DateTimeToDays(format::StrToDateTime(aText)); }
