#include "report/model/rich_text.h"

#include "report/model/band_classes.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/internal/component_properties.h"
#include "report/page/draw_rich_text.h"
#include "report/page/resource_manager.h"
#include "report/page/rtf_engine.h"

#include "platform/base/exception.h"
#include "platform/paint/canvas.h"
#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rich_text_layout.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/stream/property_table.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextDocument>

#include <cmath>
#include <cstring>

// Mail merge ----------------------------------------------------------------------------------

void report::MailMergeDocument(QTextDocument& aDoc, const QStringList& aFieldNames, const QStringList& aFieldAliases,
                               const std::function<QString(const QString&)>& aValue) {
    // The document's characters, one per character and paragraph mark, kept in step with
    // every replacement.
    QString text = aDoc.toPlainText();
    int pos = 0;
    for (;;) {
        const int lt = text.indexOf(QLatin1Char('<'), pos);
        if (lt < 0) return;
        const int gt = text.indexOf(QLatin1Char('>'), pos);
        if (gt < 0) return;  // no marker can close any more
        if (gt < lt) {
            pos = gt + 1;
            continue;
        }
        const QString name = text.mid(lt + 1, gt - lt - 1);
        QString field;
        for (const QString& n : aFieldNames)
            if (n.compare(name, Qt::CaseInsensitive) == 0) {
                field = n;
                break;
            }
        if (field.isEmpty())
            for (int i = 0; i < aFieldAliases.size() && i < aFieldNames.size(); ++i)
                if (aFieldAliases.at(i).compare(name, Qt::CaseInsensitive) == 0) {
                    field = aFieldNames.at(i);
                    break;
                }
        if (field.isEmpty()) {
            pos = lt + 1;
            continue;
        }
        QString value = aValue(field);
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QTextCursor cursor(&aDoc);
        cursor.setPosition(lt + 1);  // the format of the marker's first character
        cursor.setPosition(lt, QTextCursor::MoveAnchor);
        cursor.setPosition(gt + 1, QTextCursor::KeepAnchor);
        cursor.insertText(value);
        text.replace(lt, gt - lt + 1, value);
        pos = lt + int(value.size());
    }
}

void report::MailMergeDocument(QTextDocument& aDoc, TppDataPipeline& aPipeline) {
    QStringList names;
    aPipeline.GetFieldNames(names);
    QStringList aliases;
    for (const QString& n : names) aliases << aPipeline.GetFieldAlias(n);
    MailMergeDocument(aDoc, names, aliases, [&](const QString& f) { return aPipeline.GetFieldAsString(f); });
}

namespace {

report::RichTextEditPrompt& editPrompt() {
    static report::RichTextEditPrompt prompt;
    return prompt;
}

}  // namespace

report::RichTextEditPrompt report::SetRichTextEditPrompt(RichTextEditPrompt aPrompt) {
    RichTextEditPrompt previous = std::move(editPrompt());
    editPrompt() = std::move(aPrompt);
    return previous;
}

namespace {

/// A device whose pixels are mm-thousandths: the engine measures rich text on it.
const QImage& mmDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(1000000);
        image.setDotsPerMeterY(1000000);
        return image;
    }();
    return device;
}

}  // namespace

// TppCustomRichText ---------------------------------------------------------------------------

TppCustomRichText::TppCustomRichText(TComponent* AOwner) : TppStretchable(AOwner) {
    static const bool declared = [] {
        report::DeclareTexts({{120, "&Edit"}, {246, "Transparent"}, {502, "MailMerge"}});
        return true;
    }();
    (void)declared;
    SetDrawCommandClass(&TppDrawRichText::staticMetaObject);
}

TppCustomRichText::~TppCustomRichText() = default;

QByteArray TppCustomRichText::GetRichText() {
    const QByteArray& rtf = GetRTFStream();
    // Reading the text to see whether it holds a line takes as long as the text: a stream
    // found to hold one is remembered, so the pages of a long text do not read it again.
    const bool same = m_checkedRtf.constData() == rtf.constData() ? m_checkedRtf.size() == rtf.size()
                                                                    : m_checkedRtf == rtf;
    if (same && !rtf.isEmpty()) return rtf;
    if (richtext::RtfToPlainLines(rtf).isEmpty()) return QByteArray();
    m_checkedRtf = rtf;
    return rtf;
}

const QByteArray& TppCustomRichText::GetRTFStream() {
    RefreshStream();
    return m_rtf;
}

void TppCustomRichText::SetRichText(const QByteArray& aText) {
    const qsizetype nul = aText.indexOf('\0');
    SetStream(nul < 0 ? aText : aText.left(nul));
}

void TppCustomRichText::SetStream(const QByteArray& aRtf) {
    m_rtf = aRtf;
    InvalidateDesignControl();
}

bool TppCustomRichText::Edit() {
    const report::RichTextEditPrompt& prompt = editPrompt();
    if (!prompt) return false;
    QByteArray rtf = GetRichText();
    if (!prompt(*this, rtf)) return false;
    textEdited(rtf);
    return true;
}

void TppCustomRichText::textEdited(const QByteArray& aRtf) {
    SetRichText(aRtf);
    CalcAutoSize();
    PropertyChange();
}

QList<report::DesignPopupItem> TppCustomRichText::DesignPopupItems() {
    QList<report::DesignPopupItem> items = TppStretchable::DesignPopupItems();
    items.append({QStringLiteral("Edit"), 120, 30, false, [this] { Edit(); }});
    items.append({QStringLiteral("MailMerge"), 502, 30, true, {}});
    items.append({QStringLiteral("Transparent"), 246, 30, true, {}});
    return items;
}

QByteArray TppCustomRichText::PrepareMailMerge(const QByteArray& aRtf) {
    TppCustomReport* report = GetReport();
    TppDataPipeline* pipeline = report ? report->DataPipeline() : nullptr;
    if (!m_mailMerge || !pipeline || aRtf.isEmpty()) return aRtf;
    std::unique_ptr<QTextDocument> doc = richtext::DocumentFromRtf(aRtf);
    report::MailMergeDocument(*doc, *pipeline);
    return richtext::WriteRtf(*doc);
}

TTextAttributes* TppCustomRichText::SelAttributes() {
    if (!m_selAttributes) m_selAttributes = new TTextAttributes(this);
    return m_selAttributes;
}

TParaAttributes* TppCustomRichText::Paragraph() {
    if (!m_paragraph) m_paragraph = new TParaAttributes(this);
    return m_paragraph;
}

namespace {
/// The cursor over the selection of a document of `length` characters.
QTextCursor selectionIn(QTextDocument& doc, int selStart, int selLength) {
    const int length = std::max(0, doc.characterCount() - 1);
    const int start = std::clamp(selStart, 0, length);
    const int end = std::clamp(selStart + selLength, 0, length);
    QTextCursor cursor(&doc);
    cursor.setPosition(std::min(start, end));
    cursor.setPosition(std::max(start, end), QTextCursor::KeepAnchor);
    return cursor;
}
}  // namespace

void TppCustomRichText::EditSelection(const std::function<void(QTextDocument&, QTextCursor&)>& aEdit) {
    std::unique_ptr<QTextDocument> doc = richtext::DocumentFromRtf(m_rtf);
    QTextCursor cursor = selectionIn(*doc, m_selStart, m_selLength);
    if (!cursor.hasSelection() && cursor.position() < doc->characterCount() - 1)
        cursor.setPosition(cursor.position() + 1, QTextCursor::KeepAnchor);  // the character there
    aEdit(*doc, cursor);
    textEdited(richtext::WriteRtf(*doc));
}

void TppCustomRichText::ReadSelection(const std::function<void(const QTextDocument&, const QTextCursor&)>& aRead) const {
    std::unique_ptr<QTextDocument> doc = richtext::DocumentFromRtf(m_rtf);
    QTextCursor cursor = selectionIn(*doc, m_selStart, m_selLength);
    cursor.setPosition(cursor.selectionStart());
    cursor.setPosition(std::min(cursor.position() + 1, std::max(0, doc->characterCount() - 1)), QTextCursor::KeepAnchor);
    aRead(*doc, cursor);
}

// TTextAttributes and TParaAttributes ---------------------------------------------------------

namespace {
constexpr int kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8;
/// Points of a paragraph's indent: document units are 96-dpi pixels.
int points(qreal units) { return int(std::lround(units * 0.75)); }
qreal units(int points) { return points / 0.75; }
}  // namespace

TTextAttributes::TTextAttributes(TppCustomRichText* aOwner) : QObject(aOwner), m_owner(aOwner) {}

QString TTextAttributes::Name() const {
    QString v;
    m_owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) {
        const QStringList families = c.charFormat().fontFamilies().toStringList();
        v = families.isEmpty() ? c.charFormat().font().family() : families.constFirst();
    });
    return v;
}

void TTextAttributes::SetName(const QString& v) {
    m_owner->EditSelection([&](QTextDocument&, QTextCursor& c) {
        QTextCharFormat f;
        f.setFontFamilies({v});
        c.mergeCharFormat(f);
    });
}

int TTextAttributes::Size() const {
    int v = 0;
    m_owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) {
        const QTextCharFormat f = c.charFormat();
        v = int(std::lround(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : f.font().pointSizeF()));
    });
    return v;
}

void TTextAttributes::SetSize(int v) {
    if (v <= 0) return;
    m_owner->EditSelection([&](QTextDocument&, QTextCursor& c) {
        QTextCharFormat f;
        f.setFontPointSize(v);
        c.mergeCharFormat(f);
    });
}

int TTextAttributes::Color() const {
    int v = 0;
    m_owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) {
        const QColor q = c.charFormat().foreground().style() == Qt::NoBrush ? QColor(Qt::black) : c.charFormat().foreground().color();
        v = q.red() | (q.green() << 8) | (q.blue() << 16);
    });
    return v;
}

void TTextAttributes::SetColor(int v) {
    m_owner->EditSelection([&](QTextDocument&, QTextCursor& c) {
        QTextCharFormat f;
        f.setForeground(QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
        c.mergeCharFormat(f);
    });
}

int TTextAttributes::Style() const {
    int v = 0;
    m_owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) {
        const QTextCharFormat f = c.charFormat();
        v = (f.fontWeight() >= QFont::Bold ? kBold : 0) | (f.fontItalic() ? kItalic : 0) |
            (f.fontUnderline() ? kUnderline : 0) | (f.fontStrikeOut() ? kStrikeOut : 0);
    });
    return v;
}

void TTextAttributes::SetStyle(int v) {
    m_owner->EditSelection([&](QTextDocument&, QTextCursor& c) {
        QTextCharFormat f;
        f.setFontWeight(v & kBold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(v & kItalic);
        f.setFontUnderline(v & kUnderline);
        f.setFontStrikeOut(v & kStrikeOut);
        c.mergeCharFormat(f);
    });
}

TParaAttributes::TParaAttributes(TppCustomRichText* aOwner) : QObject(aOwner), m_owner(aOwner) {}

namespace {
QTextBlockFormat blockAt(TppCustomRichText* owner) {
    QTextBlockFormat f;
    owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) { f = c.blockFormat(); });
    return f;
}
void setBlocks(TppCustomRichText* owner, const std::function<void(QTextBlockFormat&)>& change) {
    owner->EditSelection([&](QTextDocument& doc, QTextCursor& c) {
        const QTextBlock last = doc.findBlock(c.selectionEnd());
        for (QTextBlock b = doc.findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
            QTextBlockFormat f = b.blockFormat();
            change(f);
            QTextCursor(b).setBlockFormat(f);
            if (b == last) break;
        }
    });
}
}  // namespace

int TParaAttributes::Alignment() const {
    const Qt::Alignment a = blockAt(m_owner).alignment();
    return a & Qt::AlignHCenter ? 2 : a & Qt::AlignRight ? 1 : 0;
}

void TParaAttributes::SetAlignment(int v) {
    setBlocks(m_owner, [&](QTextBlockFormat& f) {
        f.setAlignment((v == 2 ? Qt::AlignHCenter : v == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
    });
}

int TParaAttributes::FirstIndent() const {
    const QTextBlockFormat f = blockAt(m_owner);
    return points(f.leftMargin() + f.textIndent());
}

void TParaAttributes::SetFirstIndent(int v) {
    // The other lines keep their place from the first line's.
    setBlocks(m_owner, [&](QTextBlockFormat& f) {
        const qreal others = -f.textIndent();
        f.setLeftMargin(std::max<qreal>(0, units(v) + others));
        f.setTextIndent(units(v) - f.leftMargin());
    });
}

int TParaAttributes::LeftIndent() const {
    const QTextBlockFormat f = blockAt(m_owner);
    return points(-f.textIndent());
}

void TParaAttributes::SetLeftIndent(int v) {
    setBlocks(m_owner, [&](QTextBlockFormat& f) {
        const qreal first = f.leftMargin() + f.textIndent();
        f.setLeftMargin(std::max<qreal>(0, first + units(v)));
        f.setTextIndent(first - f.leftMargin());
    });
}

int TParaAttributes::RightIndent() const { return points(blockAt(m_owner).rightMargin()); }

void TParaAttributes::SetRightIndent(int v) {
    setBlocks(m_owner, [&](QTextBlockFormat& f) { f.setRightMargin(std::max<qreal>(0, units(v))); });
}

int TParaAttributes::Numbering() const {
    int v = 0;
    m_owner->ReadSelection([&](const QTextDocument&, const QTextCursor& c) { v = c.currentList() ? 1 : 0; });
    return v;
}

void TParaAttributes::SetNumbering(int v) {
    m_owner->EditSelection([&](QTextDocument& doc, QTextCursor& c) {
        if (v == 1) {
            if (c.currentList()) return;
            QTextListFormat list;
            list.setStyle(QTextListFormat::ListDisc);
            c.createList(list);
            return;
        }
        const QTextBlock last = doc.findBlock(c.selectionEnd());
        for (QTextBlock b = doc.findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
            if (QTextList* list = b.textList()) list->remove(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(0);
            QTextCursor(b).setBlockFormat(f);
            if (b == last) break;
        }
    });
}

void TppCustomRichText::SetSelStart(int v) {
    m_selStart = std::max(0, v);
    m_selLength = 0;
}

void TppCustomRichText::SetSelLength(int v) { m_selLength = v; }

QString TppCustomRichText::SelText() const {
    const QString plain = richtext::DocumentFromRtf(m_rtf)->toPlainText();
    const int start = std::min(m_selStart, int(plain.size()));
    const int end = std::clamp(m_selStart + m_selLength, 0, int(plain.size()));
    return plain.mid(std::min(start, end), std::abs(end - start));
}

void TppCustomRichText::SetSelText(const QString& aText) {
    std::unique_ptr<QTextDocument> doc = richtext::DocumentFromRtf(m_rtf);
    const int length = std::max(0, doc->characterCount() - 1);
    const int start = std::clamp(m_selStart, 0, length);
    const int end = std::clamp(m_selStart + m_selLength, 0, length);
    QTextCursor cursor(doc.get());
    cursor.setPosition(std::min(start, end));
    cursor.setPosition(std::max(start, end), QTextCursor::KeepAnchor);
    QString text = aText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(text);
    m_selStart = std::min(start, end) + int(text.size());
    m_selLength = 0;
    textEdited(richtext::WriteRtf(*doc));
}

int TppCustomRichText::FindText(const QString& aText, int aStart, int aLength, int aOptions) const {
    if (aText.isEmpty()) return -1;
    const QString plain = richtext::DocumentFromRtf(m_rtf)->toPlainText();
    const int start = std::clamp(aStart, 0, int(plain.size()));
    const int end = aLength < 0 ? int(plain.size()) : std::clamp(start + aLength, start, int(plain.size()));
    const Qt::CaseSensitivity cs = (aOptions & report::stMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const auto isWordChar = [&](int i) { return i >= 0 && i < plain.size() && plain.at(i).isLetterOrNumber(); };
    for (int at = plain.indexOf(aText, start, cs); at >= 0 && at + aText.size() <= end;
         at = plain.indexOf(aText, at + 1, cs)) {
        if ((aOptions & report::stWholeWord) && (isWordChar(at - 1) || isWordChar(at + int(aText.size()))))
            continue;
        return at;
    }
    return -1;
}

void TppCustomRichText::LoadFromFile(const QString& aFileName) {
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        throw base::Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(aFileName, file.errorString()));
    LoadFromRTFStream(file);
}

void TppCustomRichText::SaveToFile(const QString& aFileName) {
    QSaveFile file(aFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw base::Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(aFileName, file.errorString()));
    SaveToRTFStream(file);
    if (!file.commit())
        throw base::Exception(QStringLiteral("Cannot write file \"%1\". %2").arg(aFileName, file.errorString()));
}

void TppCustomRichText::LoadFromRTFStream(QIODevice& aStream) { textEdited(aStream.readAll()); }

void TppCustomRichText::SaveToRTFStream(QIODevice& aStream) {
    const QByteArray& rtf = GetRTFStream();
    if (m_plainText) aStream.write(richtext::DocumentFromRtf(rtf)->toPlainText().toUtf8());
    else aStream.write(rtf);
}

QStringList TppCustomRichText::PlainLines() const { return richtext::RtfToPlainLines(m_rtf); }

void TppCustomRichText::InitGeneration() {
    TppStretchable::InitGeneration();
    m_startCharPos = -1;
    m_endCharPos = -1;
    m_nextChar = 0;
    m_pagesWithoutRoom = 0;
}

void TppCustomRichText::preparePrint() {
    m_printRtf = PrepareMailMerge(GetRichText());
    const bool sameText = m_layoutRtf.constData() == m_printRtf.constData() && m_layoutRtf.size() == m_printRtf.size();
    if (!m_richEdit || (!sameText && m_layoutRtf != m_printRtf)) {
        if (!m_richEdit) m_richEdit.reset(ppGetRichEditClass()(nullptr));
        m_richEdit->LoadFromStream(m_printRtf);
        m_layoutRtf = m_printRtf;
    }
}

void TppCustomRichText::CalcSpaceUsed() {
    // The stretchable's print has placed the rectangle: its top, and for a stretching print
    // its bottom at the lowest position this print may reach.
    const QRect rect = PrintRect();
    const int from = m_nextChar;
    preparePrint();
    const int length = m_richEdit->TextLength();
    if (!Stretching() || length == 0) {
        m_startCharPos = 0;
        m_endCharPos = length;
        m_nextChar = 0;
        SetOverFlow(false);
        if (Stretching()) SetSpaceUsed(0);
        return;
    }
    const int available = std::max(PageBottom() - rect.top(), 0);
    richtext::FitResult fit;
    fit.complete = FitRange(ppGetRTFEngine(m_richEdit.get()), mmDevice(), {from, -1}, fit.height, fit.lastChar,
                            QRectF(0, 0, mmWidth(), available));
    if (!fit.complete && fit.lastChar < from) {
        // Not one line fits here: nothing prints and the text keeps its place for the next
        // page. A line that did not fit on a fresh page either is taller than any page: stop
        // rather than ask for pages without end, and say so.
        m_startCharPos = m_endCharPos = -1;
        SetSpaceUsed(0);
        if (++m_pagesWithoutRoom < 2) {
            SetOverFlow(true);
            return;
        }
        if (TppCustomReport* r = GetReport(); r && r->GetMainReport() && r->GetMainReport()->Engine()) {
            TppCustomEngine* engine = r->GetMainReport()->Engine();
            engine->AddWarning(QStringLiteral("Page %1: a line of the rich text %2 is taller than the page; the rest of its text is not printed.")
                                   .arg(engine->AbsolutePageNo())
                                   .arg(Name()));
        }
        m_nextChar = 0;
        m_pagesWithoutRoom = 0;
        SetOverFlow(false);
        return;
    }
    m_pagesWithoutRoom = 0;
    m_startCharPos = from;
    if (fit.complete) {
        m_endCharPos = length;
        m_nextChar = 0;
        SetOverFlow(false);
        SetSpaceUsed(int(std::ceil(fit.height)));
    } else {
        m_endCharPos = fit.lastChar;
        m_nextChar = fit.lastChar + 1;
        SetOverFlow(true);
        SetSpaceUsed(available);
    }
}

void TppCustomRichText::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawRichText*>(aDrawCommand);
    if (!d) return;
    const QRect r = PrintRect();
    d->SetColor(Color());
    d->SetLeft(r.left());
    d->SetTop(r.top());
    d->SetWidth(r.right() - r.left());
    d->SetHeight(r.bottom() - r.top());
    d->SetStartCharPos(m_startCharPos);
    d->SetEndCharPos(m_endCharPos);
    d->SetTransparent(Transparent());
    d->SetRichTextStream(m_printRtf);
    InvalidateDesignControl();
}

void TppCustomRichText::PaintDesignControl(paint::Canvas& aCanvas) {
    const QByteArray rtf = GetRichText();
    if (rtf.isEmpty()) {
        TppPrintable::PaintDesignControl(aCanvas);
        return;
    }
    const QRectF rect(0, 0, spWidth(), spHeight());
    TppDrawRichText command;
    command.SetColor(Color());
    command.SetTransparent(Transparent());
    command.SetRichTextStream(rtf);
    command.Render(aCanvas.Painter(), rect);
    aCanvas.SetBrush(paint::Brush{paint::clWhite, paint::TBrushStyle::bsClear});
    aCanvas.SetPen(paint::Pen{paint::clBlack, 1, paint::TPenStyle::psSolid});
    aCanvas.Rectangle(rect);
}

void TppCustomRichText::SaveToCache(int aPageNo) {
    QByteArray r = StretchableCacheRecord();
    const qint32 fields[3] = {m_startCharPos, m_endCharPos, m_nextChar};
    r.append(reinterpret_cast<const char*>(fields), sizeof fields);
    WriteCacheRecord(aPageNo, r);
}

void TppCustomRichText::RestoreFromCache(int aPageNo) {
    QByteArray r;
    if (!ReadCacheRecord(aPageNo, r) || r.size() < kCacheRecordSize) return;
    TakeStretchableCacheRecord(r);
    qint32 fields[3] = {-1, -1, 0};
    std::memcpy(fields, r.constData() + kStretchableRecordSize, sizeof fields);
    m_startCharPos = std::max(-1, int(fields[0]));
    m_endCharPos = std::max(-1, int(fields[1]));
    m_nextChar = std::max(0, int(fields[2]));
}

const stream::PropertyList& TppCustomRichText::StreamProperties() const {
    using T = TppCustomRichText;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Boolean("ReprintOnOverFlow", &T::ReprintOnOverFlow, &T::SetReprintOnOverFlow, false)
            .Boolean("ShiftWithParent", &T::ShiftWithParent, &T::SetShiftWithParent, false)
            .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
            .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        return t;
    }(TppStretchable::StreamProperties());
    return table;
}

// TppRichText ---------------------------------------------------------------------------------

TppRichText::TppRichText(TComponent* AOwner) : TppCustomRichText(AOwner) {}

void TppRichText::SetMailMerge(bool v) {
    TppCustomRichText::SetMailMerge(v);
    if (TppCustomReport* r = GetReport()) r->Reset();
}

const stream::PropertyList& TppRichText::StreamProperties() const {
    using T = TppRichText;
    static const auto table = stream::PropertyTable<T>(TppCustomRichText::StreamProperties())
        .Boolean("MailMerge", &T::MailMerge, &T::SetMailMerge, false)
        .String("RichText", &T::RichText, &T::SetRichTextString, QString());
    return table;
}

// TppDBRichText -------------------------------------------------------------------------------

TppDBRichText::TppDBRichText(TComponent* AOwner) : TppCustomRichText(AOwner) {}

void TppDBRichText::SetAutoDisplay(bool v) {
    m_autoDisplay = v;
    if (v) RefreshStream();
    else SetStream(QByteArray());
}

const QByteArray& TppDBRichText::GetRTFStream() {
    if (OnGetRichText) {
        QString text;
        OnGetRichText(this, text);
        SetRichText(text.toUtf8());
        return RichTextStream();
    }
    return TppCustomRichText::GetRTFStream();
}

void TppDBRichText::RefreshStream() {
    if (!m_autoDisplay || !DataPipeline() || DataField().isEmpty()) return;
    try {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        DataPipeline()->GetFieldAsStream(DataField(), buffer);
        SetRichText(buffer.data().isEmpty() ? DataPipeline()->GetFieldAsString(DataField()).toUtf8() : buffer.data());
    } catch (const base::Exception&) {
        SetRichText(report::MessageText(414).toUtf8());
    }
}

const stream::PropertyList& TppDBRichText::StreamProperties() const {
    using T = TppDBRichText;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Boolean("AutoDisplay", &T::AutoDisplay, &T::SetAutoDisplay, true);
        report::internal::AddDataProperties(t);
        t.Event("OnGetRichText", [](const T& c) { return c.OnGetRichTextName; },
                [](T& c, const QString& n) { c.OnGetRichTextName = n; });
        return t;
    }(TppCustomRichText::StreamProperties());
    return table;
}
