#include "platform/richtext/rtf_reader.h"

#include "platform/richtext/code_page.h"
#include "platform/richtext/log.h"

#include <QColor>
#include <QFont>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace richtext {

namespace {

/// RTF measures in twips (1/1440 inch); documents are laid out in units of 1/96 inch.
constexpr qreal kTwipsPerUnit = 15.0;
/// Letters of a control word beyond this are read but not kept (no known word is longer).
constexpr int kMaxWordLength = 32;
/// A control word's parameter is clamped to this magnitude; further digits are read and dropped.
constexpr std::int64_t kMaxParam = 2147483647;

enum class Dest {
    Body,           // document text
    FontTable,      // \fonttbl and its entries
    ColorTable,     // \colortbl
    Pn,             // \pn: the numbering of the enclosing paragraph
    PnTextBefore,   // \pntxtb: text before the number
    PnTextAfter,    // \pntxta: text after the number
    ListTable,      // \listtable: the list definitions and their levels
    LevelText,      // \leveltext of a list level
    ListOverrides,  // \listoverridetable: the \ls numbers and the lists they stand for
    FieldInst,      // \fldinst: the instruction of a field
    Skip,           // anything whose content is not shown
};

/// Vertical position of characters.
enum class Script { Normal, Super, Sub };

/// Character properties in force in a group.
struct CharProps {
    int font = -1;         ///< font table number; -1 the document's default font (\deff)
    int halfPoints = 24;   ///< \fs: size in half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int fg = 0;            ///< colour table index of the text; 0 automatic
    int bg = 0;            ///< colour table index of the background (\cb, \highlight); 0 none
    int shadeFill = 0;     ///< \chcbpat: colour table index of the shading's fill; 0 none
    int shadePattern = 0;  ///< \chcfpat: colour table index of the shading's pattern; 0 black
    int shadeAmount = 0;   ///< \chshdng: share of the pattern in the shading, in 1/100 %
    Script script = Script::Normal;  ///< \super, \sub
    int raise = 0;         ///< \up (positive) and \dn (negative): baseline shift in half points
    bool caps = false;
    bool smallCaps = false;
    bool hidden = false;   ///< \v: not shown, not part of the text
    bool deleted = false;  ///< \deleted: a tracked deletion, left out as the change accepted
    bool operator==(const CharProps&) const = default;
};

struct CharPropsHash {
    std::size_t operator()(const CharProps& c) const {
        std::size_t h = 0;
        for (const int v : {c.font, c.halfPoints, c.fg, c.bg, c.shadeFill, c.shadePattern, c.shadeAmount,
                            static_cast<int>(c.script), c.raise})
            h = h * 1000003u + static_cast<std::size_t>(v);
        for (const bool b : {c.bold, c.italic, c.underline, c.strike, c.caps, c.smallCaps, c.hidden, c.deleted})
            h = h * 3u + (b ? 1u : 0u);
        return h;
    }
};

/// Character formats kept for reuse; a document with more distinct ones starts over.
constexpr std::size_t kMaxCachedFormats = 1024;

/// Paragraph properties in force in a group; lengths in twips.
struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0;
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;  ///< kind of the next \tx
    QTextListFormat::Style pnList = QTextListFormat::ListStyleUndefined;  ///< \pn kind; undefined: none
    int pnStart = 1;
    QString pnBefore;   ///< \pntxtb of a number
    QString pnAfter;    ///< \pntxta of a number; "." when not given
    int ls = 0;         ///< \ls: list override number; 0 none
    int ilvl = 0;       ///< \ilvl: level in that list, 0..8
};

/// Numbering read inside a \pn group, applied to the paragraph when the group closes.
struct PnProps {
    enum Kind { None, Bullet, Body, Continue } kind = None;
    QTextListFormat::Style style = QTextListFormat::ListDecimal;
    int start = 1;
    QString before;
    QString after = QStringLiteral(".");
};

/// One level of a list definition in the list table.
struct ListLevel {
    int nfc = 0;          ///< \levelnfc: 0 decimal, 1 I, 2 i, 3 A, 4 a, 23 bullet, 255 none, ...
    int start = 1;        ///< \levelstartat
    QString text;         ///< \leveltext: a length, then text with level placeholders 0..8
    bool hasText = false;
};

/// A list definition of the list table (\list ... \listid N).
struct ListDef {
    int id = 0;
    std::vector<ListLevel> levels;
};

/// An entry of the list override table: the \ls number paragraphs name and its list.
struct ListOverride {
    int ls = 0;
    int listId = 0;
    std::map<int, int> starts;  ///< level -> start value that overrides the list's
    int level = -1;             ///< index of the \lfolevel being read
    bool startOverride = false; ///< that \lfolevel has \listoverridestartat
};

/// How a paragraph is numbered: a list style with the text around the number.
struct ListNumbering {
    QTextListFormat::Style style = QTextListFormat::ListStyleUndefined;  ///< undefined: no list
    QString before;
    QString after = QStringLiteral(".");
    int start = 1;
    bool byLs = false;  ///< numbered through \ls, not \pn
};

bool isNumbered(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: return true;
    default: return false;
    }
}

/// Whether a list goes on with the numbering `b`.
bool sameNumbering(const QTextListFormat& a, const QTextListFormat& b) {
    return a.style() == b.style() && a.numberPrefix() == b.numberPrefix() && a.numberSuffix() == b.numberSuffix() &&
           a.property(kListStartProperty) == b.property(kListStartProperty);
}

/// A field being read: its instruction is kept so that a field without a result can
/// show the text a placeholder instruction carries.
struct FieldState {
    std::size_t depth = 0;  ///< size of the group stack with the field's group on top
    QString inst;           ///< instruction text
    std::vector<CharProps> instProps;  ///< the properties of each character of `inst`
    bool hasResult = false; ///< the result put text into the document
};

/// Instruction text beyond this is not kept.
constexpr int kMaxInstruction = 4096;

struct Group {
    Dest dest = Dest::Body;
    CharProps chr;
    ParaProps para;
    int uc = 1;          ///< \uc: fallback characters that follow each \uN
    bool star = false;   ///< "\*" seen: the next control word names an optional destination
    bool fresh = true;   ///< nothing but "\*" read in the group yet: a destination may start it
};

struct FontEntry {
    QString name;
    bool nameDone = false;  ///< the ";" that ends the name was read
    int charset = -1;
    int codePage = 0;       ///< \cpg, 0 when not given
    QFont::StyleHint hint = QFont::AnyStyle;
};

enum class Word {
    // destinations
    FontTable, ColorTable, Pn, Field, FieldResult, SkipDest,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Uc, U, Bin,
    // font table
    F, FCharset, Cpg, FNil, FRoman, FSwiss, FModern, FScript, FDecor, FTech,
    // colour table
    Red, Green, Blue,
    // characters
    Plain, Fs, B, I, Ul, UlOn, UlNone, Strike, Cf, Cb, Highlight,
    // paragraphs
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Tx, Tb, Tqr, Tqc, Tqdec, Ls, Ilvl,
    // character formats beyond the basic ones
    V, Deleted, ChCbPat, ChCfPat, ChShdng, Super, Sub, NoSuperSub, Up, Dn, Caps, Scaps,
    // numbering inside \pn
    PnLvlBlt, PnLvlBody, PnLvlCont, PnLvl, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm, PnStart,
    PnTxtA, PnTxtB,
    // list table and list override table
    ListTable, List, ListId, ListLevelW, LevelNfc, LevelNfcN, LevelStartAt, LevelText,
    ListOverrideTable, ListOverrideW, LfoLevel, ListOverrideStartAt,
    // fields
    FieldInst,
    // text
    Par, Line, Tab, Cell, Row, Page, Sect, Char,
};

struct WordInfo {
    Word word;
    char16_t ch = 0;  ///< the character of Word::Char
};

const std::unordered_map<std::string_view, WordInfo>& wordTable() {
    static const std::unordered_map<std::string_view, WordInfo> table = {
        {"fonttbl", {Word::FontTable}}, {"colortbl", {Word::ColorTable}}, {"pn", {Word::Pn}},
        {"field", {Word::Field}}, {"fldrslt", {Word::FieldResult}},
        {"stylesheet", {Word::SkipDest}}, {"info", {Word::SkipDest}}, {"pict", {Word::SkipDest}},
        {"object", {Word::SkipDest}}, {"header", {Word::SkipDest}}, {"headerl", {Word::SkipDest}},
        {"headerr", {Word::SkipDest}}, {"headerf", {Word::SkipDest}}, {"footer", {Word::SkipDest}},
        {"footerl", {Word::SkipDest}}, {"footerr", {Word::SkipDest}}, {"footerf", {Word::SkipDest}},
        {"footnote", {Word::SkipDest}}, {"fldinst", {Word::FieldInst}}, {"pntext", {Word::SkipDest}},
        {"listtext", {Word::SkipDest}}, {"pntxta", {Word::PnTxtA}}, {"pntxtb", {Word::PnTxtB}},
        {"xe", {Word::SkipDest}}, {"tc", {Word::SkipDest}}, {"txe", {Word::SkipDest}},
        {"rxe", {Word::SkipDest}}, {"shp", {Word::SkipDest}}, {"nonshppict", {Word::SkipDest}},
        {"do", {Word::SkipDest}}, {"ftnsep", {Word::SkipDest}}, {"ftnsepc", {Word::SkipDest}},
        {"aftnsep", {Word::SkipDest}}, {"aftnsepc", {Word::SkipDest}}, {"filetbl", {Word::SkipDest}},
        {"revtbl", {Word::SkipDest}}, {"listtable", {Word::ListTable}},
        {"listoverridetable", {Word::ListOverrideTable}}, {"template", {Word::SkipDest}},
        {"list", {Word::List}}, {"listid", {Word::ListId}}, {"listlevel", {Word::ListLevelW}},
        {"levelnfc", {Word::LevelNfc}}, {"levelnfcn", {Word::LevelNfcN}},
        {"levelstartat", {Word::LevelStartAt}}, {"leveltext", {Word::LevelText}},
        {"listoverride", {Word::ListOverrideW}}, {"lfolevel", {Word::LfoLevel}},
        {"listoverridestartat", {Word::ListOverrideStartAt}}, {"listname", {Word::SkipDest}},
        {"levelnumbers", {Word::SkipDest}}, {"listpicture", {Word::SkipDest}},
        {"author", {Word::SkipDest}}, {"title", {Word::SkipDest}}, {"subject", {Word::SkipDest}},
        {"operator", {Word::SkipDest}}, {"keywords", {Word::SkipDest}}, {"comment", {Word::SkipDest}},
        {"doccomm", {Word::SkipDest}}, {"nextfile", {Word::SkipDest}}, {"private", {Word::SkipDest}},
        {"ansi", {Word::Ansi}}, {"mac", {Word::Mac}}, {"pc", {Word::Pc}}, {"pca", {Word::Pca}},
        {"ansicpg", {Word::AnsiCpg}}, {"deff", {Word::Deff}}, {"uc", {Word::Uc}}, {"u", {Word::U}},
        {"bin", {Word::Bin}},
        {"f", {Word::F}}, {"fcharset", {Word::FCharset}}, {"cpg", {Word::Cpg}}, {"fnil", {Word::FNil}},
        {"froman", {Word::FRoman}}, {"fswiss", {Word::FSwiss}}, {"fmodern", {Word::FModern}},
        {"fscript", {Word::FScript}}, {"fdecor", {Word::FDecor}}, {"ftech", {Word::FTech}},
        {"red", {Word::Red}}, {"green", {Word::Green}}, {"blue", {Word::Blue}},
        {"plain", {Word::Plain}}, {"fs", {Word::Fs}}, {"b", {Word::B}}, {"i", {Word::I}},
        {"ul", {Word::Ul}}, {"uld", {Word::UlOn}}, {"uldb", {Word::UlOn}}, {"uldash", {Word::UlOn}},
        {"uldashd", {Word::UlOn}}, {"uldashdd", {Word::UlOn}}, {"ulhair", {Word::UlOn}},
        {"ulth", {Word::UlOn}}, {"ulw", {Word::UlOn}}, {"ulwave", {Word::UlOn}},
        {"ulthd", {Word::UlOn}}, {"ulthdash", {Word::UlOn}}, {"ulnone", {Word::UlNone}},
        {"strike", {Word::Strike}}, {"striked", {Word::Strike}}, {"cf", {Word::Cf}},
        {"cb", {Word::Cb}}, {"highlight", {Word::Highlight}},
        {"pard", {Word::Pard}}, {"ql", {Word::Ql}}, {"qr", {Word::Qr}}, {"qc", {Word::Qc}},
        {"qj", {Word::Qj}}, {"li", {Word::Li}}, {"ri", {Word::Ri}}, {"fi", {Word::Fi}},
        {"sb", {Word::Sb}}, {"sa", {Word::Sa}}, {"tx", {Word::Tx}}, {"tb", {Word::Tb}},
        {"tqr", {Word::Tqr}}, {"tqc", {Word::Tqc}}, {"tqdec", {Word::Tqdec}}, {"ls", {Word::Ls}},
        {"ilvl", {Word::Ilvl}},
        {"v", {Word::V}}, {"deleted", {Word::Deleted}}, {"chcbpat", {Word::ChCbPat}},
        {"chcfpat", {Word::ChCfPat}}, {"chshdng", {Word::ChShdng}}, {"super", {Word::Super}},
        {"sub", {Word::Sub}}, {"nosupersub", {Word::NoSuperSub}}, {"up", {Word::Up}}, {"dn", {Word::Dn}},
        {"caps", {Word::Caps}}, {"scaps", {Word::Scaps}},
        {"pnlvlblt", {Word::PnLvlBlt}}, {"pnlvlbody", {Word::PnLvlBody}},
        {"pnlvlcont", {Word::PnLvlCont}}, {"pnlvl", {Word::PnLvl}}, {"pndec", {Word::PnDec}},
        {"pnucltr", {Word::PnUcLtr}}, {"pnlcltr", {Word::PnLcLtr}}, {"pnucrm", {Word::PnUcRm}},
        {"pnlcrm", {Word::PnLcRm}}, {"pnstart", {Word::PnStart}},
        {"par", {Word::Par}}, {"line", {Word::Line}}, {"tab", {Word::Tab}}, {"cell", {Word::Cell}},
        {"nestcell", {Word::Cell}}, {"row", {Word::Row}}, {"nestrow", {Word::Row}},
        {"page", {Word::Page}}, {"sect", {Word::Sect}},
        {"emdash", {Word::Char, 0x2014}}, {"endash", {Word::Char, 0x2013}},
        {"emspace", {Word::Char, 0x2003}}, {"enspace", {Word::Char, 0x2002}},
        {"qmspace", {Word::Char, 0x2005}}, {"bullet", {Word::Char, 0x2022}},
        {"lquote", {Word::Char, 0x2018}}, {"rquote", {Word::Char, 0x2019}},
        {"ldblquote", {Word::Char, 0x201C}}, {"rdblquote", {Word::Char, 0x201D}},
        {"zwj", {Word::Char, 0x200D}}, {"zwnj", {Word::Char, 0x200C}},
    };
    return table;
}

/// A byte that is document text as it stands: printable ASCII other than the RTF
/// delimiters \\, { and }.
bool plainTextByte(char c) { return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}'; }

int clampInt(std::int64_t v, int lo, int hi) { return static_cast<int>(std::clamp<std::int64_t>(v, lo, hi)); }

/// A character that may go into a QTextDocument as text: controls other than the tab
/// are dropped, the vertical tab (the rich-edit control's line break) becomes a line
/// separator, and the characters the document reserves for its frames become U+FFFD.
/// The object replacement character stays: as text (without an object format) it marks
/// an object, as in the document it came from. Answers 0 for "drop".
char16_t sanitize(char16_t c) {
    if (c == u'\t') return c;
    if (c == 0x0B) return QChar::LineSeparator;
    if (c < 0x20 || c == 0x7F || c == QChar::ParagraphSeparator) return 0;
    if (c >= 0xFDD0 && c <= 0xFDEF) return 0xFFFD;
    return c;
}

/// Replaces surrogates that are not part of a pair by U+FFFD.
void fixSurrogates(QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            s[i] = QChar(QChar::ReplacementCharacter);
        } else if (c.isLowSurrogate()) {
            s[i] = QChar(QChar::ReplacementCharacter);
        }
    }
}

class Reader {
public:
    Reader(QByteArrayView data, QTextDocument& doc) : m_data(data), m_doc(doc), m_cursor(&doc) {}

    RtfReadStatus run();

private:
    Group& top() { return m_stack.back(); }

    void openGroup();
    void closeGroup();
    void controlWord(std::size_t& pos);
    void controlSymbol(char c, std::size_t& pos);
    /// A control word: starts a destination or goes to the handler of the group's destination.
    void word(std::string_view name, bool hasParam, int param);
    /// True when `w` names a destination, which the fresh group now reads.
    bool startDestination(Word w);
    void fontTableWord(Word w, bool hasParam, int param);
    void colorTableWord(Word w, int param);
    void pnWord(Word w, int param);
    void listTableWord(Word w, int param);
    void listOverrideWord(Word w, int param);
    void bodyWord(const WordInfo& info, bool hasParam, int param);
    /// The handlers below answer whether the word was theirs.
    bool documentWord(Word w, bool hasParam, int param);
    bool charWord(Word w, bool hasParam, int param);
    bool paraWord(Word w, int param);
    void textByte(unsigned char b);
    void escapedByte(unsigned char b);
    void character(char16_t c);
    void unicodeEscape(bool hasParam, int param, int uc);
    void bodyChar(char16_t c, const CharProps& chr);
    /// Plain ASCII text (see plainTextByte) of the document body, as bodyChar would add it
    /// character by character.
    void bodyAscii(QLatin1StringView text);
    void closeField(const FieldState& field);
    void flushBytes();
    void flushText();
    void paragraph();
    void newBlock();
    void applyParagraph(const ParaProps& para, const CharProps& chr);
    ListNumbering listNumbering(const ParaProps& para) const;
    QTextList* listFor(const ParaProps& para, const ListNumbering& numbering);
    void finish();
    int codePageNow() const;
    int fontCodePage(int font) const;
    QTextCharFormat charFormat(const CharProps& chr);
    FontEntry* definedFont() { return m_fontDef ? &m_fonts[*m_fontDef] : nullptr; }
    void damage(const char* what);

    QByteArrayView m_data;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<Group> m_stack;
    RtfReadStatus m_status{true, false};
    bool m_done = false;
    int m_overflow = 0;  ///< depth of groups being skipped beyond kMaxRtfGroupDepth
    int m_ucSkip = 0;    ///< fallback characters still to skip after a \uN

    int m_codePage = kAnsiCodePage;
    int m_deff = 0;
    std::map<int, FontEntry> m_fonts;
    std::optional<int> m_fontDef;  ///< font being defined in the font table
    std::vector<QColor> m_colors;  ///< index 0 is the automatic colour unless the table says otherwise
    int m_red = -1, m_green = -1, m_blue = -1;
    PnProps m_pn;
    std::vector<ListDef> m_listDefs;            ///< the list table, in the order read
    std::vector<ListOverride> m_listOverrides;  ///< the list override table
    std::unordered_map<int, std::size_t> m_listByOverride;  ///< \ls number -> index in m_listOverrides
    std::unordered_map<int, std::size_t> m_listById;        ///< \listid -> index in m_listDefs
    QString m_levelText;                        ///< \leveltext being read
    std::vector<FieldState> m_fields;           ///< fields being read, innermost last

    QByteArray m_bytes;  ///< \'hh and 8-bit bytes not yet decoded
    int m_bytesCodePage = kAnsiCodePage;
    QString m_text;      ///< body text not yet inserted, all with m_textProps
    CharProps m_textProps;
    /// Counts the changes of character properties in the groups; m_textProps equals the
    /// innermost group's properties while m_textVersion equals it.
    std::uint64_t m_chrVersion = 1;
    std::uint64_t m_textVersion = 0;
    bool m_pendingPar = false;  ///< a paragraph ended; the next one starts with the next text
    bool m_blockHasText = false;
    QTextList* m_list = nullptr;  ///< list of the previous paragraph, when it was in one
    /// The list of each (\ls, \ilvl) seen: a list table's numbering runs on through the
    /// paragraphs between its items; an item restarts the deeper levels of its list.
    std::map<std::pair<int, int>, QTextList*> m_lsLists;
    /// The formats made so far; emptied when the fonts, colours or default font change.
    std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> m_formats;
};

void Reader::damage(const char* what) {
    if (!m_status.damaged) qCDebug(lcRichText) << "damaged RTF:" << what;
    m_status.damaged = true;
}

RtfReadStatus Reader::run() {
    // One edit block for the whole document: the document is laid out once when it is
    // next asked for its layout, not again after every inserted run.
    struct EditBlock {
        QTextCursor& cursor;
        explicit EditBlock(QTextCursor& c) : cursor(c) { cursor.beginEditBlock(); }
        ~EditBlock() { cursor.endEditBlock(); }
    } block(m_cursor);
    const std::size_t n = static_cast<std::size_t>(m_data.size());
    std::size_t pos = 0;
    while (pos < n && !m_done) {
        const char c = m_data[pos++];
        if (m_overflow > 0) {
            if (c == '{') ++m_overflow;
            else if (c == '}') --m_overflow;
            else if (c == '\\' && pos < n) ++pos;  // an escaped brace does not count
            continue;
        }
        switch (c) {
        case '{': openGroup(); break;
        case '}': closeGroup(); break;
        case '\\':
            if (pos >= n) {
                damage("backslash at the end");
                break;
            }
            if (std::isalpha(static_cast<unsigned char>(m_data[pos]))) controlWord(pos);
            else controlSymbol(m_data[pos++], pos);
            break;
        case '\r':
        case '\n':
            break;
        default:
            if (m_stack.empty()) break;  // nothing precedes the outer group but white space
            if (plainTextByte(c) && m_ucSkip == 0 && m_bytes.isEmpty() && top().dest == Dest::Body) {
                // A stretch of plain ASCII document text goes in as a whole.
                std::size_t end = pos;
                while (end < n && plainTextByte(m_data[end])) ++end;
                bodyAscii(QLatin1StringView(m_data.data() + pos - 1, static_cast<qsizetype>(end - pos + 1)));
                pos = end;
                break;
            }
            textByte(static_cast<unsigned char>(c));
            break;
        }
    }
    if (!m_done) {
        if (m_overflow > 0 || !m_stack.empty()) damage("groups left open");
        finish();
    }
    return m_status;
}

void Reader::openGroup() {
    flushBytes();
    m_ucSkip = 0;
    if (static_cast<int>(m_stack.size()) >= kMaxRtfGroupDepth) {
        damage("groups nested too deep");
        m_overflow = 1;
        return;
    }
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    Group g = top();
    g.star = false;
    g.fresh = true;
    m_stack.push_back(std::move(g));
}

void Reader::closeGroup() {
    flushBytes();
    m_ucSkip = 0;
    if (m_stack.empty()) return;
    if (m_stack.size() == 1) {
        finish();
        m_done = true;
        return;
    }
    const Group closing = std::move(m_stack.back());
    m_stack.pop_back();
    ++m_chrVersion;
    const Dest outer = top().dest;
    if (closing.dest == Dest::Pn && outer != Dest::Pn) {
        ParaProps& para = top().para;
        para.pnList = QTextListFormat::ListStyleUndefined;
        if (m_pn.kind == PnProps::Bullet) para.pnList = QTextListFormat::ListDisc;
        if (m_pn.kind == PnProps::Body) para.pnList = m_pn.style;
        para.pnStart = m_pn.start;
        para.pnBefore = m_pn.before;
        para.pnAfter = m_pn.after;
    }
    if (closing.dest == Dest::LevelText && outer != Dest::LevelText && !m_listDefs.empty() &&
        !m_listDefs.back().levels.empty()) {
        ListLevel& level = m_listDefs.back().levels.back();
        level.text = m_levelText;
        level.hasText = true;
    }
    if (!m_fields.empty() && m_stack.size() < m_fields.back().depth) {
        const FieldState field = std::move(m_fields.back());
        m_fields.pop_back();
        closeField(field);
    }
    if (closing.dest == Dest::FontTable && outer != Dest::FontTable) m_fontDef.reset();
    if (closing.dest == Dest::FontTable || closing.dest == Dest::ColorTable) m_formats.clear();
}

void Reader::controlWord(std::size_t& pos) {
    const std::size_t n = static_cast<std::size_t>(m_data.size());
    const std::size_t start = pos;
    while (pos < n && std::isalpha(static_cast<unsigned char>(m_data[pos]))) ++pos;
    const std::string_view name(m_data.data() + start, std::min<std::size_t>(pos - start, kMaxWordLength));
    bool negative = false;
    bool hasParam = false;
    std::int64_t value = 0;
    if (pos + 1 < n && m_data[pos] == '-' && std::isdigit(static_cast<unsigned char>(m_data[pos + 1]))) {
        negative = true;
        ++pos;
    }
    while (pos < n && std::isdigit(static_cast<unsigned char>(m_data[pos]))) {
        hasParam = true;
        value = std::min<std::int64_t>(value * 10 + (m_data[pos] - '0'), kMaxParam + 1);
        ++pos;
    }
    if (pos < n && m_data[pos] == ' ') ++pos;  // the delimiter belongs to the word
    const int param = clampInt(negative ? -value : value, -kMaxParam - 1, kMaxParam);

    if (name == "bin") {  // binary data is skipped in every state, also while skipping fallbacks
        flushBytes();
        const std::size_t count = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
        if (count > n - pos) damage("binary data runs past the end");
        pos += std::min(count, n - pos);
        return;
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    flushBytes();
    if (m_stack.empty()) return;
    word(name, hasParam, param);
}

void Reader::controlSymbol(char c, std::size_t& pos) {
    if (c == '\'') {
        const std::size_t n = static_cast<std::size_t>(m_data.size());
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos < n && std::isxdigit(static_cast<unsigned char>(m_data[pos]))) {
            const char h = m_data[pos++];
            value = value * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
            ++digits;
        }
        if (digits < 2) {
            damage("truncated \\' escape");
            return;
        }
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        if (!m_stack.empty()) escapedByte(static_cast<unsigned char>(value));
        return;
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    if (m_stack.empty()) return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textByte(static_cast<unsigned char>(c));
        return;
    case '*':
        flushBytes();
        top().star = true;
        return;
    default:
        break;
    }
    flushBytes();
    switch (c) {
    case '~': character(0x00A0); break;
    case '-': character(0x00AD); break;
    case '_': character(0x2011); break;
    case '\t': character(u'\t'); break;
    case '\r':
    case '\n':
        if (top().dest == Dest::Body && !top().chr.hidden && !top().chr.deleted) paragraph();
        break;
    default: break;  // \| \: and unknown symbols
    }
}

void Reader::word(std::string_view name, bool hasParam, int param) {
    Group& g = top();
    const bool star = g.star;
    const bool fresh = g.fresh;
    g.star = false;
    g.fresh = false;
    const auto& table = wordTable();
    const auto it = table.find(name);
    if (it == table.end()) {
        if (star) g.dest = Dest::Skip;
        return;
    }
    const Word w = it->second.word;
    if (g.dest == Dest::Skip) return;

    // Destinations start a group; one named elsewhere is ignored. An optional ("\*")
    // destination is taken only when it is one of ours.
    if (fresh && startDestination(w)) return;
    if (star) {
        g.dest = Dest::Skip;
        return;
    }
    switch (g.dest) {
    case Dest::FontTable: fontTableWord(w, hasParam, param); return;
    case Dest::ColorTable: colorTableWord(w, param); return;
    case Dest::Pn: pnWord(w, param); return;
    case Dest::ListTable: listTableWord(w, param); return;
    case Dest::ListOverrides: listOverrideWord(w, param); return;
    case Dest::PnTextBefore:
    case Dest::PnTextAfter:
    case Dest::LevelText:
        if (w == Word::U) unicodeEscape(hasParam, param, g.uc);
        return;
    case Dest::FieldInst:
        // The instruction's characters keep their formats for a placeholder's text.
        if (!documentWord(w, hasParam, param)) charWord(w, hasParam, param);
        if (w == Word::Tab) character(u'\t');
        if (w == Word::Char) character(it->second.ch);
        return;
    case Dest::Skip: return;
    case Dest::Body: bodyWord(it->second, hasParam, param); return;
    }
}

bool Reader::startDestination(Word w) {
    Group& g = top();
    switch (w) {
    case Word::FontTable: g.dest = Dest::FontTable; return true;
    case Word::ColorTable:
        g.dest = Dest::ColorTable;
        m_colors.clear();
        m_red = m_green = m_blue = -1;
        return true;
    case Word::Pn:
        if (g.dest == Dest::Body) {
            g.dest = Dest::Pn;
            m_pn = PnProps{};
        } else {
            g.dest = Dest::Skip;
        }
        return true;
    case Word::PnTxtA:
    case Word::PnTxtB:
        if (g.dest == Dest::Pn) {
            g.dest = w == Word::PnTxtA ? Dest::PnTextAfter : Dest::PnTextBefore;
            (w == Word::PnTxtA ? m_pn.after : m_pn.before).clear();
        } else {
            g.dest = Dest::Skip;
        }
        return true;
    case Word::ListTable:
        g.dest = g.dest == Dest::Body ? Dest::ListTable : Dest::Skip;
        return true;
    case Word::ListOverrideTable:
        g.dest = g.dest == Dest::Body ? Dest::ListOverrides : Dest::Skip;
        return true;
    case Word::LevelText:
        if (g.dest == Dest::ListTable) {
            g.dest = Dest::LevelText;
            m_levelText.clear();
        } else {
            g.dest = Dest::Skip;
        }
        return true;
    case Word::SkipDest: g.dest = Dest::Skip; return true;
    case Word::Field:
        // A field inside an instruction adds nothing to the instruction's text.
        if (g.dest == Dest::FieldInst) g.dest = Dest::Skip;
        else if (g.dest == Dest::Body) m_fields.push_back(FieldState{m_stack.size()});
        return true;
    case Word::FieldInst:
        g.dest = g.dest == Dest::Body && !m_fields.empty() ? Dest::FieldInst : Dest::Skip;
        return true;
    case Word::FieldResult: return true;  // the shown result of a field is document text
    default: return false;
    }
}

void Reader::fontTableWord(Word w, bool hasParam, int param) {
    if (w == Word::F) {
        m_fontDef = param;
        m_fonts[param] = FontEntry{};
        return;
    }
    if (w == Word::U) {
        unicodeEscape(hasParam, param, top().uc);
        return;
    }
    FontEntry* f = definedFont();
    if (!f) return;
    switch (w) {
    case Word::FCharset: f->charset = param; break;
    case Word::Cpg: f->codePage = param; break;
    case Word::FRoman: f->hint = QFont::Serif; break;
    case Word::FSwiss: f->hint = QFont::SansSerif; break;
    case Word::FModern: f->hint = QFont::TypeWriter; break;
    case Word::FScript: f->hint = QFont::Cursive; break;
    case Word::FDecor: f->hint = QFont::Decorative; break;
    case Word::FNil:
    case Word::FTech: f->hint = QFont::AnyStyle; break;
    default: break;
    }
}

void Reader::colorTableWord(Word w, int param) {
    switch (w) {
    case Word::Red: m_red = clampInt(param, 0, 255); break;
    case Word::Green: m_green = clampInt(param, 0, 255); break;
    case Word::Blue: m_blue = clampInt(param, 0, 255); break;
    default: break;
    }
}

void Reader::pnWord(Word w, int param) {
    switch (w) {
    case Word::PnStart: m_pn.start = clampInt(param, 0, 32767); break;
    case Word::PnLvlBlt: m_pn.kind = PnProps::Bullet; break;
    case Word::PnLvlBody:
    case Word::PnLvl: m_pn.kind = PnProps::Body; break;
    case Word::PnLvlCont: m_pn.kind = PnProps::Continue; break;
    case Word::PnDec: m_pn.style = QTextListFormat::ListDecimal; break;
    case Word::PnUcLtr: m_pn.style = QTextListFormat::ListUpperAlpha; break;
    case Word::PnLcLtr: m_pn.style = QTextListFormat::ListLowerAlpha; break;
    case Word::PnUcRm: m_pn.style = QTextListFormat::ListUpperRoman; break;
    case Word::PnLcRm: m_pn.style = QTextListFormat::ListLowerRoman; break;
    default: break;
    }
}

void Reader::listTableWord(Word w, int param) {
    switch (w) {
    case Word::List: m_listDefs.emplace_back(); return;
    case Word::ListId:
        if (!m_listDefs.empty()) {
            m_listDefs.back().id = param;
            m_listById[param] = m_listDefs.size() - 1;
        }
        return;
    case Word::ListLevelW:
        if (!m_listDefs.empty() && m_listDefs.back().levels.size() < 9) m_listDefs.back().levels.emplace_back();
        return;
    default: break;
    }
    if (m_listDefs.empty() || m_listDefs.back().levels.empty()) return;
    ListLevel& level = m_listDefs.back().levels.back();
    switch (w) {
    case Word::LevelNfc:
    case Word::LevelNfcN: level.nfc = param; break;
    case Word::LevelStartAt: level.start = clampInt(param, 0, 32767); break;
    default: break;
    }
}

void Reader::listOverrideWord(Word w, int param) {
    if (w == Word::ListOverrideW) {
        m_listOverrides.emplace_back();
        return;
    }
    if (m_listOverrides.empty()) return;
    ListOverride& lo = m_listOverrides.back();
    switch (w) {
    case Word::ListId: lo.listId = param; break;
    case Word::Ls:
        lo.ls = param;
        m_listByOverride[param] = m_listOverrides.size() - 1;
        break;
    case Word::LfoLevel:
        ++lo.level;
        lo.startOverride = false;
        break;
    case Word::ListOverrideStartAt: lo.startOverride = true; break;
    case Word::LevelStartAt:
        if (lo.startOverride && lo.level >= 0 && lo.level < 9) lo.starts[lo.level] = clampInt(param, 0, 32767);
        break;
    default: break;
    }
}

void Reader::bodyWord(const WordInfo& info, bool hasParam, int param) {
    if (documentWord(info.word, hasParam, param) || charWord(info.word, hasParam, param) ||
        paraWord(info.word, param))
        return;
    switch (info.word) {
    case Word::Par:
        // A hidden or deleted paragraph mark joins its paragraph to the next.
        if (!top().chr.hidden && !top().chr.deleted) paragraph();
        break;
    case Word::Row:
    case Word::Page:
    case Word::Sect: paragraph(); break;
    case Word::Line: character(QChar::LineSeparator); break;
    case Word::Tab:
    case Word::Cell: character(u'\t'); break;
    case Word::Char: character(info.ch); break;
    default: break;
    }
}

bool Reader::documentWord(Word w, bool hasParam, int param) {
    switch (w) {
    case Word::Ansi: m_codePage = kAnsiCodePage; return true;
    case Word::Mac: m_codePage = 10000; return true;
    case Word::Pc: m_codePage = 437; return true;
    case Word::Pca: m_codePage = 850; return true;
    case Word::AnsiCpg:
        if (hasParam && param > 0) m_codePage = param;
        return true;
    case Word::Deff:
        m_deff = param;
        m_formats.clear();
        return true;
    case Word::Uc: top().uc = clampInt(param, 0, 255); return true;
    case Word::U: unicodeEscape(hasParam, param, top().uc); return true;
    default: return false;
    }
}

bool Reader::charWord(Word w, bool hasParam, int param) {
    ++m_chrVersion;
    CharProps& chr = top().chr;
    const bool on = !hasParam || param != 0;
    switch (w) {
    case Word::F: chr.font = param; return true;
    case Word::Plain: chr = CharProps{}; return true;
    case Word::Fs: chr.halfPoints = hasParam && param > 0 ? clampInt(param, 2, 3276) : 24; return true;
    case Word::B: chr.bold = on; return true;
    case Word::I: chr.italic = on; return true;
    case Word::Ul: chr.underline = on; return true;
    case Word::UlOn: chr.underline = true; return true;
    case Word::UlNone: chr.underline = false; return true;
    case Word::Strike: chr.strike = on; return true;
    case Word::Cf: chr.fg = std::max(0, param); return true;
    case Word::Cb:
    case Word::Highlight: chr.bg = std::max(0, param); return true;
    case Word::ChCbPat: chr.shadeFill = std::max(0, param); return true;
    case Word::ChCfPat: chr.shadePattern = std::max(0, param); return true;
    case Word::ChShdng: chr.shadeAmount = clampInt(param, 0, 10000); return true;
    case Word::Super: chr.script = Script::Super; return true;
    case Word::Sub: chr.script = Script::Sub; return true;
    case Word::NoSuperSub: chr.script = Script::Normal; return true;
    case Word::Up: chr.raise = hasParam ? clampInt(param, -3276, 3276) : 6; return true;
    case Word::Dn: chr.raise = -(hasParam ? clampInt(param, -3276, 3276) : 6); return true;
    case Word::Caps: chr.caps = on; return true;
    case Word::Scaps: chr.smallCaps = on; return true;
    case Word::V: chr.hidden = on; return true;
    case Word::Deleted: chr.deleted = on; return true;
    default: return false;
    }
}

bool Reader::paraWord(Word w, int param) {
    ParaProps& para = top().para;
    switch (w) {
    case Word::Pard: para = ParaProps{}; return true;
    case Word::Ql: para.align = Qt::AlignLeft; return true;
    case Word::Qr: para.align = Qt::AlignRight; return true;
    case Word::Qc: para.align = Qt::AlignHCenter; return true;
    case Word::Qj: para.align = Qt::AlignJustify; return true;
    case Word::Li: para.left = clampInt(param, -31680, 31680); return true;
    case Word::Ri: para.right = clampInt(param, -31680, 31680); return true;
    case Word::Fi: para.first = clampInt(param, -31680, 31680); return true;
    case Word::Sb: para.before = clampInt(param, 0, 31680); return true;
    case Word::Sa: para.after = clampInt(param, 0, 31680); return true;
    case Word::Tqr: para.nextTabType = QTextOption::RightTab; return true;
    case Word::Tqc: para.nextTabType = QTextOption::CenterTab; return true;
    case Word::Tqdec: para.nextTabType = QTextOption::DelimiterTab; return true;
    case Word::Tx:
    case Word::Tb: {
        QTextOption::Tab tab(clampInt(param, 0, 31680) / kTwipsPerUnit, w == Word::Tb ? QTextOption::LeftTab : para.nextTabType,
                             para.nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
        para.nextTabType = QTextOption::LeftTab;
        if (para.tabs.size() < 64) para.tabs.append(tab);
        return true;
    }
    case Word::Ls: para.ls = std::max(0, param); return true;
    case Word::Ilvl: para.ilvl = clampInt(param, 0, 8); return true;
    default: return false;
    }
}

int Reader::fontCodePage(int font) const {
    const auto it = m_fonts.find(font);
    if (it == m_fonts.end()) return 0;
    if (it->second.codePage > 0) return it->second.codePage;
    return CodePageForCharset(it->second.charset);
}

int Reader::codePageNow() const {
    int cp = 0;
    if (!m_stack.empty()) {
        const Group& g = m_stack.back();
        if (g.dest == Dest::FontTable) {
            if (m_fontDef) cp = fontCodePage(*m_fontDef);
        } else {
            cp = fontCodePage(g.chr.font < 0 ? m_deff : g.chr.font);
        }
    }
    return cp > 0 ? cp : m_codePage;
}

void Reader::textByte(unsigned char b) {
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    top().fresh = false;
    const Dest dest = top().dest;
    if (dest == Dest::Skip || dest == Dest::Pn || dest == Dest::ListTable || dest == Dest::ListOverrides) return;
    if (b == ';' && dest == Dest::ColorTable) {
        m_colors.push_back(m_red < 0 && m_green < 0 && m_blue < 0
                               ? QColor()
                               : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
        m_red = m_green = m_blue = -1;
        return;
    }
    if (dest == Dest::ColorTable) return;
    if (b == ';' && dest == Dest::FontTable) {
        flushBytes();
        if (FontEntry* f = definedFont()) f->nameDone = true;
        return;
    }
    if (b >= 0x80) {
        escapedByte(b);
        return;
    }
    flushBytes();
    character(b);
}

void Reader::escapedByte(unsigned char b) {
    top().fresh = false;
    const Dest dest = top().dest;
    if (dest == Dest::Skip || dest == Dest::Pn || dest == Dest::ListTable || dest == Dest::ListOverrides ||
        dest == Dest::ColorTable)
        return;
    const int cp = codePageNow();
    if (!m_bytes.isEmpty() && cp != m_bytesCodePage) flushBytes();
    m_bytesCodePage = cp;
    m_bytes.append(static_cast<char>(b));
}

void Reader::flushBytes() {
    if (m_bytes.isEmpty()) return;
    const QString decoded = DecodeCodePage(m_bytes, m_bytesCodePage);
    m_bytes.clear();
    for (QChar c : decoded) character(c.unicode());
}

void Reader::character(char16_t c) {
    if (m_stack.empty()) return;
    const Dest dest = top().dest;
    if (dest == Dest::FontTable) {
        FontEntry* f = definedFont();
        if (f && !f->nameDone && c >= 0x20 && f->name.size() < 256) f->name.append(QChar(c));
        return;
    }
    if (dest == Dest::LevelText) {
        if (m_levelText.size() < 64) m_levelText.append(QChar(c));
        return;
    }
    const char16_t s = sanitize(c);
    if (!s) return;
    const Group& g = top();
    switch (dest) {
    case Dest::Body:
        if (g.chr.hidden || g.chr.deleted) return;
        if (m_textVersion != m_chrVersion) {  // the properties may have changed since the last character
            if (!m_text.isEmpty() && !(g.chr == m_textProps)) flushText();
            m_textProps = g.chr;
            m_textVersion = m_chrVersion;
        }
        bodyChar(s, m_textProps);
        return;
    case Dest::PnTextBefore:
        if (m_pn.before.size() < 32) m_pn.before.append(QChar(s));
        return;
    case Dest::PnTextAfter:
        if (m_pn.after.size() < 32) m_pn.after.append(QChar(s));
        return;
    case Dest::FieldInst:
        if (!m_fields.empty() && m_fields.back().inst.size() < kMaxInstruction) {
            m_fields.back().inst.append(QChar(s));
            m_fields.back().instProps.push_back(g.chr);
        }
        return;
    default: return;
    }
}

// \uN: the character N (negative N counts from 65536), then `uc` fallback characters skipped.
void Reader::unicodeEscape(bool hasParam, int param, int uc) {
    if (!hasParam) return;
    character(param >= -32768 && param <= 65535 ? static_cast<char16_t>(param < 0 ? param + 65536 : param)
                                                 : char16_t(0xFFFD));
    m_ucSkip = uc;
}

void Reader::bodyAscii(QLatin1StringView text) {
    Group& g = top();
    g.fresh = false;
    if (g.chr.hidden || g.chr.deleted) return;
    if (m_pendingPar) {
        flushText();
        newBlock();
    }
    if (m_textVersion != m_chrVersion) {
        if (!m_text.isEmpty() && !(g.chr == m_textProps)) flushText();
        m_textProps = g.chr;
        m_textVersion = m_chrVersion;
    }
    m_text.append(text);
    for (FieldState& f : m_fields) f.hasResult = true;
}

void Reader::bodyChar(char16_t c, const CharProps& chr) {
    if (m_pendingPar) {
        flushText();
        newBlock();
    }
    if (&chr != &m_textProps) {
        if (!m_text.isEmpty() && !(chr == m_textProps)) flushText();
        m_textProps = chr;
        ++m_chrVersion;  // m_textProps no longer follows the group's properties
    }
    m_text.append(QChar(c));
    for (FieldState& f : m_fields) f.hasResult = true;
}

// A field that put no result into the document shows the text of a placeholder
// instruction: "MACROBUTTON macro text" and "GOTOBUTTON bookmark text" show "text", with
// the formats it has in the instruction.
void Reader::closeField(const FieldState& field) {
    if (field.hasResult) return;
    const QString& inst = field.inst;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < inst.size() && inst.at(i).isSpace()) ++i;
    };
    auto word = [&] {
        const qsizetype start = i;
        while (i < inst.size() && !inst.at(i).isSpace()) ++i;
        return QStringView(inst).sliced(start, i - start);
    };
    skipSpace();
    const QStringView kind = word();
    if (kind.compare(u"MACROBUTTON", Qt::CaseInsensitive) != 0 && kind.compare(u"GOTOBUTTON", Qt::CaseInsensitive) != 0)
        return;
    skipSpace();
    word();
    skipSpace();
    qsizetype end = inst.size();
    while (end > i && inst.at(end - 1).isSpace()) --end;
    for (; i < end; ++i) {
        const CharProps& chr = field.instProps[static_cast<std::size_t>(i)];
        if (!chr.hidden && !chr.deleted) bodyChar(inst.at(i).unicode(), chr);
    }
}

void Reader::flushText() {
    if (m_text.isEmpty()) return;
    fixSurrogates(m_text);
    m_cursor.insertText(m_text, charFormat(m_textProps));
    m_text.clear();
    m_blockHasText = true;
}

void Reader::newBlock() {
    m_cursor.insertBlock(QTextBlockFormat(), charFormat(top().chr));
    m_pendingPar = false;
    m_blockHasText = false;
}

void Reader::paragraph() {
    flushText();
    if (m_pendingPar) newBlock();
    applyParagraph(top().para, top().chr);
    m_pendingPar = true;
}

void Reader::applyParagraph(const ParaProps& para, const CharProps& chr) {
    const ListNumbering numbering = listNumbering(para);
    const bool inList = numbering.style != QTextListFormat::ListStyleUndefined;
    QTextBlockFormat bf;
    bf.setAlignment(para.align);
    const qreal left = para.left / kTwipsPerUnit;
    if (inList) {
        bf.setLeftMargin(std::max<qreal>(0, left - m_doc.indentWidth()));
    } else {
        bf.setLeftMargin(std::max<qreal>(0, left));
        bf.setTextIndent(para.first / kTwipsPerUnit);
    }
    bf.setRightMargin(std::max<qreal>(0, para.right / kTwipsPerUnit));
    bf.setTopMargin(para.before / kTwipsPerUnit);
    bf.setBottomMargin(para.after / kTwipsPerUnit);
    if (!para.tabs.isEmpty()) bf.setTabPositions(para.tabs);
    m_cursor.setBlockFormat(bf);
    if (!m_blockHasText) m_cursor.setBlockCharFormat(charFormat(chr));

    m_list = inList ? listFor(para, numbering) : nullptr;
}

/// The numbering of a list level: its kind from \levelnfc, the text around its own number
/// from \leveltext (a length, then text in which characters 0..8 stand for the numbers of
/// the levels). A level that shows neither a number nor a bullet is no list.
ListNumbering levelNumbering(const ListLevel& level, int ilvl) {
    ListNumbering numbering;
    numbering.start = level.start;
    QString text;
    if (level.hasText && !level.text.isEmpty())
        text = level.text.mid(1, std::min<qsizetype>(level.text.at(0).unicode(), level.text.size() - 1));
    auto isPlaceholder = [](QChar c) { return c.unicode() < 9; };
    auto showsSomething = [&] {
        return std::any_of(text.cbegin(), text.cend(), [&](QChar c) { return !isPlaceholder(c) && !c.isSpace(); });
    };
    qsizetype own = -1;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isPlaceholder(text.at(i)) && (own < 0 || text.at(i).unicode() == ilvl)) own = i;
    const bool numbered = level.nfc != 23 && level.nfc != 255 && (own >= 0 || !level.hasText);
    if (!numbered) {
        if (showsSomething()) numbering.style = QTextListFormat::ListDisc;
        return numbering;
    }
    switch (level.nfc) {
    case 1: numbering.style = QTextListFormat::ListUpperRoman; break;
    case 2: numbering.style = QTextListFormat::ListLowerRoman; break;
    case 3: numbering.style = QTextListFormat::ListUpperAlpha; break;
    case 4: numbering.style = QTextListFormat::ListLowerAlpha; break;
    default: numbering.style = QTextListFormat::ListDecimal; break;
    }
    if (own >= 0) {
        const bool first = std::none_of(text.cbegin(), text.cbegin() + own, isPlaceholder);
        numbering.before = first ? text.left(own) : QString();
        qsizetype end = own + 1;
        while (end < text.size() && !isPlaceholder(text.at(end))) ++end;
        numbering.after = text.mid(own + 1, end - own - 1);
    }
    return numbering;
}

ListNumbering Reader::listNumbering(const ParaProps& para) const {
    if (para.ls > 0) {
        const auto loIndex = m_listByOverride.find(para.ls);
        const ListOverride* lo = loIndex != m_listByOverride.end() ? &m_listOverrides[loIndex->second] : nullptr;
        const auto defIndex = lo ? m_listById.find(lo->listId) : m_listById.end();
        if (defIndex != m_listById.end()) {
            const ListDef* def = &m_listDefs[defIndex->second];
            if (!def->levels.empty()) {
                const int ilvl = std::min(para.ilvl, static_cast<int>(def->levels.size()) - 1);
                ListNumbering numbering = levelNumbering(def->levels[static_cast<std::size_t>(ilvl)], para.ilvl);
                numbering.byLs = true;
                if (const auto start = lo->starts.find(para.ilvl); start != lo->starts.end()) numbering.start = start->second;
                return numbering;
            }
        }
    }
    ListNumbering numbering;
    if (para.pnList != QTextListFormat::ListStyleUndefined) {
        numbering.style = para.pnList;
        numbering.start = para.pnStart;
        numbering.before = para.pnBefore;
        numbering.after = para.pnAfter;
    } else if (para.ls > 0) {
        numbering.style = QTextListFormat::ListDisc;  // a list the document does not define
        numbering.byLs = true;
    }
    return numbering;
}

QTextList* Reader::listFor(const ParaProps& para, const ListNumbering& numbering) {
    QTextListFormat lf;
    lf.setStyle(numbering.style);
    lf.setIndent(1);
    if (isNumbered(numbering.style)) {
        lf.setNumberPrefix(numbering.before);
        lf.setNumberSuffix(numbering.after);
        if (numbering.start != 1) lf.setProperty(kListStartProperty, numbering.start);
    }
    const QTextBlock block = m_cursor.block();
    if (numbering.byLs) {
        // Numbered through \ls: one list per level, running on through the document.
        const std::pair<int, int> key(para.ls, para.ilvl);
        m_lsLists.erase(m_lsLists.upper_bound(key), m_lsLists.lower_bound({para.ls, 9}));  // levels are 0..8
        QTextList*& list = m_lsLists[key];
        if (list && sameNumbering(list->format(), lf)) {
            list->add(block);
        } else {
            list = m_cursor.createList(lf);
        }
        return list;
    }
    if (m_list && sameNumbering(m_list->format(), lf)) {
        m_list->add(block);
        return m_list;
    }
    return m_cursor.createList(lf);
}

void Reader::finish() {
    flushBytes();
    flushText();
    if (!m_pendingPar && !m_stack.empty()) applyParagraph(top().para, top().chr);
    m_pendingPar = false;
}

QTextCharFormat Reader::charFormat(const CharProps& chr) {
    if (const auto it = m_formats.find(chr); it != m_formats.end()) return it->second;
    QTextCharFormat fmt;
    const auto font = m_fonts.find(chr.font < 0 ? m_deff : chr.font);
    if (font != m_fonts.end()) {
        const QString family = font->second.name.trimmed();
        if (!family.isEmpty()) {
            fmt.setFontFamilies(QStringList{family});
            fmt.setFontStyleHint(font->second.hint);
        }
    }
    fmt.setFontPointSize(chr.halfPoints / 2.0);
    fmt.setFontWeight(chr.bold ? QFont::Bold : QFont::Normal);
    fmt.setFontItalic(chr.italic);
    fmt.setFontUnderline(chr.underline);
    fmt.setFontStrikeOut(chr.strike);
    auto color = [this](int index) -> QColor {
        return index > 0 && index < static_cast<int>(m_colors.size()) ? m_colors[index] : QColor();
    };
    if (const QColor c = color(chr.fg); c.isValid()) fmt.setForeground(c);
    if (const QColor c = color(chr.bg); c.isValid()) {
        fmt.setBackground(c);
    } else if (chr.shadeFill > 0 || chr.shadeAmount > 0) {
        // Shading: the pattern colour (black by default) laid over the fill colour (white
        // by default) at the given share, as one solid colour.
        const QColor fill = color(chr.shadeFill).isValid() ? color(chr.shadeFill) : QColor(Qt::white);
        const QColor pattern = color(chr.shadePattern).isValid() ? color(chr.shadePattern) : QColor(Qt::black);
        const double share = chr.shadeAmount / 10000.0;
        auto mix = [share](int f, int p) { return static_cast<int>(std::lround(f + (p - f) * share)); };
        fmt.setBackground(QColor(mix(fill.red(), pattern.red()), mix(fill.green(), pattern.green()),
                                 mix(fill.blue(), pattern.blue())));
    }
    if (chr.script == Script::Super) fmt.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (chr.script == Script::Sub) fmt.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (chr.raise != 0) fmt.setBaselineOffset(chr.raise * 100.0 / chr.halfPoints);
    if (chr.caps) fmt.setFontCapitalization(QFont::AllUppercase);
    else if (chr.smallCaps) fmt.setFontCapitalization(QFont::SmallCaps);
    if (m_formats.size() >= kMaxCachedFormats) m_formats.clear();
    m_formats.emplace(chr, fmt);
    return fmt;
}

/// Plain text: UTF-8 when it is valid UTF-8, else Windows-1252; one paragraph per line,
/// the line break that ends the text starting no further paragraph.
void readPlain(QByteArrayView text, QTextDocument& doc) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString s = utf8.decode(text);
    if (utf8.hasError()) s = DecodeCodePage(text, kAnsiCodePage);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    if (s.endsWith(u'\n')) s.chop(1);
    QString clean;
    clean.reserve(s.size());
    for (QChar c : s) {
        if (c == u'\n') {
            clean.append(c);
        } else if (const char16_t k = sanitize(c.unicode())) {
            clean.append(QChar(k));
        }
    }
    fixSurrogates(clean);
    doc.setPlainText(clean);
}

}  // namespace

bool LooksLikeRtf(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    return text.sliced(i).startsWith("{\\rtf");
}

RtfReadStatus ReadRtf(QByteArrayView text, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    RtfReadStatus status;
    if (LooksLikeRtf(text)) {
        status = Reader(text, doc).run();
    } else {
        readPlain(text, doc);
    }
    doc.setUndoRedoEnabled(undo);
    return status;
}

std::unique_ptr<QTextDocument> DocumentFromRtf(QByteArrayView text) {
    auto doc = std::make_unique<QTextDocument>();
    ReadRtf(text, *doc);
    return doc;
}

}  // namespace richtext
