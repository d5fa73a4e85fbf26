#include "report/model/memo.h"

#include "report/model/band_classes.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/internal/component_properties.h"
#include "report/model/text_layout.h"
#include "report/page/draw_command.h"
#include "report/page/resource_manager.h"

#include "platform/base/exception.h"

#include <QBuffer>

#include <cstring>

// TppCustomMemo -------------------------------------------------------------------------------

TppCustomMemo::TppCustomMemo(TComponent* AOwner) : TppStretchable(AOwner) {
    SetDrawCommandClass(&TppDrawText::staticMetaObject);
}

QStringList TppCustomMemo::GetLines() {
    RefreshText();
    return m_lines;
}

void TppCustomMemo::SetLines(const QStringList& aLines) {
    m_lines = aLines;
    InvalidateDesignControl();
}

void TppCustomMemo::SetText(const QString& aText) {
    QString text = aText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    SetLines(text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n')));
}

void TppCustomMemo::RefreshText() { InvalidateDesignControl(); }

void TppCustomMemo::SetCharWrap(bool v) {
    m_charWrap = v;
    InvalidateDesignControl();
}

void TppCustomMemo::SetmmLeading(int v) {
    m_mmLeading = v;
    InvalidateDesignControl();
}

void TppCustomMemo::SetTabStopPositions(const QStringList& v) {
    m_tabStops = v;
    InvalidateDesignControl();
}

int TppCustomMemo::LineHeight() const {
    int lineHeight = 0;
    ppGetLinesPerHeight(*Font(), m_mmLeading, mmHeight(), lineHeight, GetPrinter());
    return lineHeight;
}

void TppCustomMemo::InitGeneration() {
    TppStretchable::InitGeneration();
    m_charPos = 0;
    m_printLines.clear();
}

void TppCustomMemo::Generate() {
    const bool wasDrawing = DrawComponent();
    DoPrint();
    if (!wasDrawing && Visible()) SetDrawComponent(true);
    if (DrawComponent() && Visible()) CalcSpaceUsed();
    if (OutOfSpace()) return;
    SetGenerationComplete(!OverFlow());
    if (SpaceUsed() > 0)
        if (auto* band = qobject_cast<TppCustomBand*>(Band())) band->NotePlaced(this);
}

void TppCustomMemo::CalcSpaceUsed() {
    auto* band = qobject_cast<TppCustomBand*>(Band());
    if (!band) return;
    const QString text = GetLines().join(QLatin1Char('\n'));
    const bool continuing = OverFlow() && m_charPos > 0;
    const int left = band->BandLeft() + mmLeft();
    const int top = band->BandTop() + (continuing ? mmOverFlowOffset() : mmTop());
    const bool dynamic = band->PrintHeight() == TppPrintHeightType::phDynamic;
    const int lineHeight = LineHeight();
    m_printLines.clear();
    if (!Stretch() || !dynamic) {
        // In one piece at the design height: what does not fit the rectangle is dropped.
        if (dynamic && band->AvailableBottom() + 1 < top + mmHeight()) {
            SetOutOfSpace(true);
            return;
        }
        m_charPos = 0;
        int pos = 0;
        ppWordWrap(text, QRect(0, 0, mmWidth(), mmHeight()), *Font(), m_mmLeading, true, m_printLines, &m_tabStops,
                   GetPrinter(), pos, m_charWrap);
        SetOverFlow(false);
        SetSpaceUsed(mmHeight());
        SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + mmHeight())));
        return;
    }
    const int available = std::max(band->AvailableBottom() - mmBottomOffset() - top, 0);
    int pos = m_charPos;
    ppWordWrap(text, QRect(0, 0, mmWidth(), available), *Font(), m_mmLeading, true, m_printLines, &m_tabStops,
               GetPrinter(), pos, m_charWrap);
    if (m_printLines.isEmpty() && pos >= 0 && !text.isEmpty()) {
        if (continuing) {
            // Not one line fits even at the top of a fresh page: a line is taller than the
            // page body. The rest cannot be printed anywhere; stop rather than ask for pages
            // without end, and say so.
            if (TppCustomReport* r = GetReport(); r && r->GetMainReport() && r->GetMainReport()->Engine()) {
                TppCustomEngine* engine = r->GetMainReport()->Engine();
                engine->AddWarning(QStringLiteral("Page %1: a line of the memo %2 is taller than the page; the rest of its text is not printed.")
                                       .arg(engine->AbsolutePageNo())
                                       .arg(Name()));
            }
            SetOverFlow(false);
            m_charPos = 0;
            SetSpaceUsed(0);
            SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top)));
            return;
        }
        // Not one line fits here: the band waits for the next page, keeping its place in the
        // text (starting over would print the lines already printed a second time).
        SetOutOfSpace(true);
        return;
    }
    const int used = int(m_printLines.size()) * lineHeight;
    if (pos < 0 || pos >= text.size()) {
        SetOverFlow(false);
        m_charPos = 0;
    } else {
        SetOverFlow(true);
        m_charPos = pos;
    }
    SetSpaceUsed(used + mmBottomOffset());
    SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + used)));
}

void TppCustomMemo::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto* t = qobject_cast<TppDrawText*>(aDrawCommand);
    if (!t) return;
    const QRect r = PrintRect();
    t->SetAlignment(Alignment());
    t->SetColor(Color());
    t->SetLeft(r.left());
    t->SetTop(r.top());
    t->SetWidth(r.right() - r.left());
    t->SetHeight(r.bottom() - r.top());
    t->SetFont(Font());
    t->SetIsMemo(true);
    t->SetLeading(m_mmLeading);
    t->SetLineHeight(LineHeight());
    t->SetTransparent(Transparent());
    t->SetWordWrap(true);
    t->SetTabStopPositions(m_tabStops);
    t->SetWrappedText(m_printLines);
    t->SetText(m_printLines.join(QLatin1Char('\n')));
    t->SetComponent(this);
}

void TppCustomMemo::SaveToCache(int aPageNo) {
    QByteArray r(kCacheRecordSize, '\0');
    r[0] = char(DrawComponent() ? 1 : 0);
    r[6] = char(OverFlow() ? 1 : 0);
    r[7] = char(GenerationComplete() ? 0 : 1);
    const qint32 pos = m_charPos;
    std::memcpy(r.data() + 8, &pos, 4);
    WriteCacheRecord(aPageNo, r);
}

void TppCustomMemo::RestoreFromCache(int aPageNo) {
    QByteArray r;
    if (!ReadCacheRecord(aPageNo, r) || r.size() < kCacheRecordSize) return;
    SetDrawComponent(r.at(0) != 0);
    SetOverFlow(r.at(6) != 0);
    SetGenerationComplete(r.at(7) == 0);
    qint32 pos = 0;
    std::memcpy(&pos, r.constData() + 8, 4);
    m_charPos = std::max(0, int(pos));
}

const stream::PropertyList& TppCustomMemo::StreamProperties() const {
    using T = TppCustomMemo;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        report::internal::AddTextAppearanceProperties(t);
        t.Boolean("CharWrap", &T::CharWrap, &T::SetCharWrap, false)
            .Integer("mmLeading", &T::mmLeading, &T::SetmmLeading, 0)
            .Strings("TabStopPositions", &T::TabStopPositions, &T::SetTabStopPositions)
            .Boolean("ReprintOnOverFlow", &T::ReprintOnOverFlow, &T::SetReprintOnOverFlow, false)
            .Boolean("ShiftWithParent", &T::ShiftWithParent, &T::SetShiftWithParent, false)
            .Boolean("Visible", &T::Visible, &T::SetVisible, true);
        return t;
    }(TppStretchable::StreamProperties());
    return table;
}

// TppMemo -------------------------------------------------------------------------------------

TppMemo::TppMemo(TComponent* AOwner) : TppCustomMemo(AOwner) {}

const stream::PropertyList& TppMemo::StreamProperties() const {
    using T = TppMemo;
    static const auto table = stream::PropertyTable<T>(TppCustomMemo::StreamProperties())
        .Strings("Lines", &T::Lines, &T::SetLines);
    return table;
}

// TppDBMemo -----------------------------------------------------------------------------------

TppDBMemo::TppDBMemo(TComponent* AOwner) : TppCustomMemo(AOwner) {}

void TppDBMemo::RefreshText() {
    if (m_autoDisplay) {
        QStringList lines;
        if (OnGetMemo) {
            OnGetMemo(this, lines);
        } else if (DataPipeline() && !DataField().isEmpty()) {
            try {
                QBuffer buffer;
                buffer.open(QIODevice::WriteOnly);
                DataPipeline()->GetFieldAsStream(DataField(), buffer);
                // Memo fields come as a stream; other fields (and other pipelines) as a value.
                QString text = buffer.data().isEmpty() ? DataPipeline()->GetFieldValue(DataField()).toString()
                                                       : QString::fromUtf8(buffer.data());
                text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                if (!text.isEmpty()) lines = text.split(QLatin1Char('\n'));
            } catch (const base::Exception&) {
                lines = QStringList{report::MessageText(399)};
            }
        }
        SetLines(lines);
    }
    TppCustomMemo::RefreshText();
}

const stream::PropertyList& TppDBMemo::StreamProperties() const {
    using T = TppDBMemo;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        t.Boolean("AutoDisplay", &T::AutoDisplay, &T::SetAutoDisplay, true);
        report::internal::AddDataProperties(t);
        t.Event("OnGetMemo", [](const T& c) { return c.OnGetMemoName; }, [](T& c, const QString& n) { c.OnGetMemoName = n; });
        return t;
    }(TppCustomMemo::StreamProperties());
    return table;
}
