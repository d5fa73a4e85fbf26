#include "platform/richtext/rtf_writer.h"

#include "platform/richtext/code_page.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cmath>
#include <vector>

namespace richtext {

namespace {

constexpr qreal kTwipsPerUnit = 15.0;
/// Hanging indent of a bullet or number, in twips, as the rich-edit control writes it.
constexpr int kListHangTwips = 360;

int twips(qreal units) { return static_cast<int>(std::lround(units * kTwipsPerUnit)); }

QByteArray number(int n) { return QByteArray::number(n); }

/// Appends text as RTF: ASCII as it is (with \\, \{ and \} escaped), tabs and line
/// separators as \tab and \line, other Windows-1252 characters as \'hh and everything
/// else as \uN? per UTF-16 unit. Other controls and embedded-object marks are left out.
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
        } else if (c < 0x20 || c == 0x7F || c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter) {
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
    void block(const QTextBlock& b);
    void runFormat(const QTextCharFormat& fmt);

    const QTextDocument& m_doc;
    std::vector<FontRow> m_fonts;
    std::vector<QColor> m_colors;  ///< \cf N is m_colors[N - 1]; 0 is automatic
    int m_symbolFont = -1;
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
            appendText(m_body, list->itemText(b));
            m_body += "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1" + kind + "{\\pntxta ";
            appendText(m_body, lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral("."));
            m_body += "}}";
            break;
        }
        default: {
            const QByteArray sym = number(symbolFont());
            m_body += "{\\pntext\\f" + sym + "\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + sym + "\\pnindent0{\\pntxtb\\'b7}}";
            break;
        }
        }
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

QByteArray Writer::run() {
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
    out += "\\uc1";
    out += m_body;
    out += "}\r\n";
    return out;
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& doc) { return Writer(doc).run(); }

}  // namespace richtext
