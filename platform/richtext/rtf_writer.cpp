#include "platform/richtext/rtf_writer.h"

#include "platform/richtext/code_page.h"
#include "platform/richtext/rtf_reader.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace richtext {

namespace {

constexpr qreal kTwipsPerUnit = 15.0;
/// Hanging indent of a bullet or number, in twips, as the rich-edit control writes it.
constexpr int kListHangTwips = 360;

int twips(qreal units) { return static_cast<int>(std::lround(units * kTwipsPerUnit)); }

QByteArray number(int n) { return QByteArray::number(n); }

int listStart(const QTextListFormat& lf) {
    return lf.hasProperty(kListStartProperty) ? lf.intProperty(kListStartProperty) : 1;
}

QString numberSuffix(const QTextListFormat& lf) {
    return lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
}

/// `n` as letters: 1 a, 26 z, 27 aa, ...
QString letters(int n, bool upper) {
    QString out;
    for (; n > 0; n = (n - 1) / 26) out.prepend(QChar((upper ? u'A' : u'a') + (n - 1) % 26));
    return out;
}

/// `n` in Roman numerals for 1..3999, else in decimal.
QString roman(int n, bool upper) {
    if (n < 1 || n > 3999) return QString::number(n);
    static const struct {
        int value;
        const char* digits;
    } kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                   {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& d : kDigits)
        for (; n >= d.value; n -= d.value) out += QLatin1String(d.digits);
    return upper ? out.toUpper() : out;
}

/// The label of item `item` (0 for the first) of a numbered list as a reader without lists
/// shows it (\pntext), counted from the list's start.
QString itemLabel(const QTextList& list, int item) {
    const QTextListFormat lf = list.format();
    const int n = item + listStart(lf);
    QString number;
    switch (lf.style()) {
    case QTextListFormat::ListLowerAlpha: number = letters(n, false); break;
    case QTextListFormat::ListUpperAlpha: number = letters(n, true); break;
    case QTextListFormat::ListLowerRoman: number = roman(n, false); break;
    case QTextListFormat::ListUpperRoman: number = roman(n, true); break;
    default: number = QString::number(n); break;
    }
    return lf.numberPrefix() + number + numberSuffix(lf);
}

/// Appends text as RTF: ASCII as it is (with \\, \{ and \} escaped), tabs and line
/// separators as \tab and \line, other Windows-1252 characters as \'hh and everything
/// else (the object replacement character too) as \uN? per UTF-16 unit. Other controls
/// are left out.
void appendText(QByteArray& out, QStringView text) {
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == QChar::LineSeparator) {
            out += "\\line ";
        } else if (c < 0x20 || c == 0x7F || c == QChar::ParagraphSeparator) {
            continue;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const int ansi = UnicodeToAnsi(c); ansi >= 0) {
            static const char kHex[] = "0123456789abcdef";
            out += "\\'";
            out += kHex[ansi >> 4];
            out += kHex[ansi & 15];
        } else {
            out += "\\u" + number(static_cast<qint16>(c)) + '?';
        }
    }
}

QByteArray fontKind(QFont::StyleHint hint) {
    switch (hint) {
    case QFont::Serif: return "\\froman";
    case QFont::SansSerif: return "\\fswiss";
    case QFont::TypeWriter: return "\\fmodern";
    case QFont::Cursive: return "\\fscript";
    case QFont::Decorative: return "\\fdecor";
    default: return "\\fnil";
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : m_doc(doc) {
        const QFont base = doc.defaultFont();
        m_fonts.push_back({familyOf(base), base.styleHint(), 0});
    }

    QByteArray run();

private:
    struct FontRow {
        QString family;
        QFont::StyleHint hint;
        int charset;
    };

    static QString familyOf(const QFont& f) {
        const QStringList families = f.families();
        return families.isEmpty() ? f.family() : families.first();
    }
    int fontIndex(const QFont& f);
    int colorIndex(const QColor& c);
    int symbolFont();
    void collectLists();
    QByteArray listTables() const;
    void block(const QTextBlock& b);
    void runFormat(const QTextCharFormat& fmt);

    const QTextDocument& m_doc;
    std::vector<FontRow> m_fonts;
    std::vector<QColor> m_colors;  ///< \cf N is m_colors[N - 1]; 0 is automatic
    int m_symbolFont = -1;
    bool m_scriptOpen = false;  ///< the last run written was superscript or subscript
    struct ListEntry {
        int ls = 0;     ///< \ls number of the list
        int items = 0;  ///< items written so far
    };
    std::vector<const QTextList*> m_lists;  ///< the lists in document order; \ls N is m_lists[N - 1]
    std::unordered_map<const QTextList*, ListEntry> m_listEntries;
    QByteArray m_body;
};

int Writer::fontIndex(const QFont& f) {
    const QString family = familyOf(f);
    for (std::size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i].charset == 0 && m_fonts[i].family == family) return static_cast<int>(i);
    m_fonts.push_back({family, f.styleHint(), 0});
    return static_cast<int>(m_fonts.size() - 1);
}

int Writer::symbolFont() {
    if (m_symbolFont < 0) {
        m_fonts.push_back({QStringLiteral("Symbol"), QFont::AnyStyle, 2});
        m_symbolFont = static_cast<int>(m_fonts.size() - 1);
    }
    return m_symbolFont;
}

int Writer::colorIndex(const QColor& c) {
    const QRgb rgb = c.rgb();
    for (std::size_t i = 0; i < m_colors.size(); ++i)
        if (m_colors[i].rgb() == rgb) return static_cast<int>(i + 1);
    m_colors.push_back(c);
    return static_cast<int>(m_colors.size());
}

void Writer::runFormat(const QTextCharFormat& fmt) {
    const QFont f = fmt.font().resolve(m_doc.defaultFont());
    qreal points = f.pointSizeF();
    if (points <= 0 && f.pixelSize() > 0) points = f.pixelSize() * 72.0 / 96.0;
    if (points <= 0) points = 12;
    m_body += "\\plain\\f" + number(fontIndex(f)) + "\\fs" + number(std::max(1, static_cast<int>(std::lround(points * 2))));
    if (f.weight() >= QFont::DemiBold) m_body += "\\b";
    if (f.italic()) m_body += "\\i";
    if (f.underline() || fmt.fontUnderline()) m_body += "\\ul";
    if (f.strikeOut()) m_body += "\\strike";
    // \plain alone does not end a raised or lowered run for every reader: one that follows
    // such a run says \nosupersub.
    const bool raised = fmt.verticalAlignment() == QTextCharFormat::AlignSuperScript;
    const bool lowered = fmt.verticalAlignment() == QTextCharFormat::AlignSubScript;
    if (raised) m_body += "\\super";
    else if (lowered) m_body += "\\sub";
    else if (m_scriptOpen) m_body += "\\nosupersub";
    m_scriptOpen = raised || lowered;
    if (const qreal offset = fmt.baselineOffset(); offset != 0) {
        const long halfPoints = std::lround(fmt.baselineOffset() * std::lround(points * 2) / 100.0);
        if (halfPoints > 0) m_body += "\\up" + number(static_cast<int>(halfPoints));
        if (halfPoints < 0) m_body += "\\dn" + number(static_cast<int>(-halfPoints));
    }
    if (f.capitalization() == QFont::AllUppercase) m_body += "\\caps";
    else if (f.capitalization() == QFont::SmallCaps) m_body += "\\scaps";
    if (fmt.foreground().style() != Qt::NoBrush) m_body += "\\cf" + number(colorIndex(fmt.foreground().color()));
    if (fmt.background().style() != Qt::NoBrush) m_body += "\\highlight" + number(colorIndex(fmt.background().color()));
    m_body += ' ';
}

void Writer::block(const QTextBlock& b) {
    const QTextBlockFormat bf = b.blockFormat();
    QTextList* list = b.textList();
    const qreal indentWidth = m_doc.indentWidth();
    m_body += "\\pard";

    const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (align & (Qt::AlignRight | Qt::AlignTrailing)) m_body += "\\qr";
    else if (align & Qt::AlignHCenter) m_body += "\\qc";
    else if (align & Qt::AlignJustify) m_body += "\\qj";

    int left = twips(bf.leftMargin() + bf.indent() * indentWidth);
    int first = twips(bf.textIndent());
    if (list) {
        ListEntry& listEntry = m_listEntries[list];
        ++listEntry.items;
        left += twips(list->format().indent() * indentWidth);
        first = -std::min(left, kListHangTwips);
        const QTextListFormat lf = list->format();
        switch (lf.style()) {
        case QTextListFormat::ListDecimal:
        case QTextListFormat::ListLowerAlpha:
        case QTextListFormat::ListUpperAlpha:
        case QTextListFormat::ListLowerRoman:
        case QTextListFormat::ListUpperRoman: {
            QByteArray kind = "\\pndec";
            if (lf.style() == QTextListFormat::ListLowerAlpha) kind = "\\pnlcltr";
            else if (lf.style() == QTextListFormat::ListUpperAlpha) kind = "\\pnucltr";
            else if (lf.style() == QTextListFormat::ListLowerRoman) kind = "\\pnlcrm";
            else if (lf.style() == QTextListFormat::ListUpperRoman) kind = "\\pnucrm";
            m_body += "{\\pntext\\f0 ";
            appendText(m_body, itemLabel(*list, listEntry.items - 1));
            m_body += "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart" + number(listStart(lf)) + kind;
            if (!lf.numberPrefix().isEmpty()) {
                m_body += "{\\pntxtb ";
                appendText(m_body, lf.numberPrefix());
                m_body += '}';
            }
            m_body += "{\\pntxta ";
            appendText(m_body, numberSuffix(lf));
            m_body += "}}";
            break;
        }
        default: {
            const QByteArray sym = number(symbolFont());
            m_body += "{\\pntext\\f" + sym + "\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + sym + "\\pnindent0{\\pntxtb\\'b7}}";
            break;
        }
        }
        m_body += "\\ls" + number(listEntry.ls);
    }
    if (first != 0) m_body += "\\fi" + number(first);
    if (left != 0) m_body += "\\li" + number(left);
    if (const int right = twips(bf.rightMargin())) m_body += "\\ri" + number(right);
    if (const int before = twips(bf.topMargin())) m_body += "\\sb" + number(before);
    if (const int after = twips(bf.bottomMargin())) m_body += "\\sa" + number(after);
    for (const QTextOption::Tab& tab : bf.tabPositions()) {
        if (tab.type == QTextOption::RightTab) m_body += "\\tqr";
        else if (tab.type == QTextOption::CenterTab) m_body += "\\tqc";
        else if (tab.type == QTextOption::DelimiterTab) m_body += "\\tqdec";
        m_body += "\\tx" + number(twips(tab.position));
    }

    bool any = false;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid() || frag.charFormat().isImageFormat()) continue;
        runFormat(frag.charFormat());
        appendText(m_body, frag.text());
        any = true;
    }
    if (!any) runFormat(b.charFormat());
    m_body += "\\par\r\n";
}

void Writer::collectLists() {
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) {
        const QTextList* list = b.textList();
        if (list && m_listEntries.try_emplace(list, ListEntry{static_cast<int>(m_lists.size()) + 1}).second)
            m_lists.push_back(list);
    }
}

// Each list of the document as a one-level list of the list table, so that a reader of
// list tables keeps every list apart and its numbering whole:
//   {\list\listtemplateidN{\listlevel\levelnfcK\levelstartatS{\leveltext\'LL prefix \'00 suffix;}
//    {\levelnumbers\'PP;}}\listidN}   and   {\listoverride\listidN\listoverridecount0\lsN}
// The level text begins with its length; \'00 stands for the number.
QByteArray Writer::listTables() const {
    if (m_lists.empty()) return {};
    QByteArray table = "{\\*\\listtable";
    QByteArray overrides = "{\\*\\listoverridetable";
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        const QByteArray id = number(static_cast<int>(i + 1));
        const QTextListFormat lf = m_lists[i]->format();
        int nfc = 23;
        switch (lf.style()) {
        case QTextListFormat::ListDecimal: nfc = 0; break;
        case QTextListFormat::ListUpperRoman: nfc = 1; break;
        case QTextListFormat::ListLowerRoman: nfc = 2; break;
        case QTextListFormat::ListUpperAlpha: nfc = 3; break;
        case QTextListFormat::ListLowerAlpha: nfc = 4; break;
        default: break;
        }
        table += "{\\list\\listtemplateid" + id + "{\\listlevel\\levelnfc" + number(nfc) + "\\levelnfcn" + number(nfc) +
                 "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" + number(listStart(lf)) + "{\\leveltext";
        if (nfc == 23) {
            table += "\\'01\\u8226 ?;}{\\levelnumbers;}";
        } else {
            // Prefix and suffix are kept short enough that the length stays one ASCII byte.
            const QString prefix = lf.numberPrefix().left(32);
            const QString suffix = numberSuffix(lf).left(32);
            static const char kHex[] = "0123456789abcdef";
            const int length = static_cast<int>(prefix.size() + 1 + suffix.size());
            table += "\\'";
            table += kHex[length >> 4];
            table += kHex[length & 15];
            appendText(table, prefix);
            table += "\\'00";
            appendText(table, suffix);
            const int position = static_cast<int>(prefix.size() + 1);
            table += ";}{\\levelnumbers\\'";
            table += kHex[position >> 4];
            table += kHex[position & 15];
            table += ";}";
        }
        table += "}\\listid" + id + '}';
        overrides += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + '}';
    }
    return table + "}\r\n" + overrides + "}\r\n";
}

QByteArray Writer::run() {
    collectLists();
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) block(b);

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        out += "{\\f" + number(static_cast<int>(i)) + fontKind(m_fonts[i].hint) + "\\fcharset" + number(m_fonts[i].charset) + ' ';
        QString family = m_fonts[i].family;
        family.remove(u';');  // the semicolon ends the name
        appendText(out, family);
        out += ";}";
    }
    out += "}\r\n";
    if (!m_colors.empty()) {
        out += "{\\colortbl ;";
        for (const QColor& c : m_colors)
            out += "\\red" + number(c.red()) + "\\green" + number(c.green()) + "\\blue" + number(c.blue()) + ';';
        out += "}\r\n";
    }
    out += listTables();
    out += "\\uc1";
    out += m_body;
    out += "}\r\n";
    return out;
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& doc) { return Writer(doc).run(); }

}  // namespace richtext
