#include "report/page/rtf_engine.h"

#include "platform/richtext/plain_lines.h"
#include "platform/richtext/rich_text_layout.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPicture>
#include <QPointer>
#include <QTextDocument>

namespace {

const char* const kParentName = "TppParentWnd4x0";

TppRichEdit* makeRichEdit(QObject* parent) { return new TppRichEdit(parent); }

TppRichEditClass& richEditClass() {
    static TppRichEditClass c = &makeRichEdit;
    return c;
}

int rangeEnd(TppRichEdit& edit, TppCharRange range) {
    const int length = edit.TextLength();
    return range.Last < 0 || range.Last > length ? length : range.Last;
}

}  // namespace

TppRichEdit::TppRichEdit(QObject* parent) : QObject(parent ? parent : ppGetParentWindow()) { LoadFromStream({}); }

TppRichEdit::~TppRichEdit() = default;

void TppRichEdit::LoadFromStream(const QByteArray& rtf) {
    m_rtf = rtf;
    m_layout = std::make_unique<richtext::RichTextLayout>(QByteArrayView(m_rtf));
}

void TppRichEdit::LoadFromDocument(const QTextDocument& doc) {
    m_rtf.clear();
    m_layout = std::make_unique<richtext::RichTextLayout>(doc);
}

int TppRichEdit::TextLength() const { return m_layout->textLength(); }

QObject* ppGetParentWindow() {
    static QPointer<QObject> parent;
    if (!parent) {
        QObject* app = QCoreApplication::instance();
        if (app) parent = app->findChild<QObject*>(QLatin1String(kParentName), Qt::FindDirectChildrenOnly);
        if (!parent) {
            parent = new QObject(app);
            parent->setObjectName(QLatin1String(kParentName));
        }
    }
    return parent;
}

TppRichEditClass ppGetRichEditClass() { return richEditClass(); }

void ppSetRichEditClass(TppRichEditClass aClass) { richEditClass() = aClass ? aClass : &makeRichEdit; }

QPicture& ppGetSharedMetafile() {
    static QPicture picture;
    return picture;
}

QStringList ppGetRichEditLines(const TppRichEdit& aRichEdit) { return richtext::RtfToPlainLines(aRichEdit.SaveToStream()); }

TppRTFEngine& ppGetRTFEngine(TppRichEdit* aRichEdit) {
    static TppRTFEngine engine;
    engine.RichEdit = aRichEdit;
    return engine;
}

int FormatRange(TppRTFEngine& aEngine, QPainter* aPainter, const QPaintDevice& aTarget, TppCharRange aRange,
                const QRectF& aRect) {
    TppRichEdit& edit = *aEngine.RichEdit;
    const richtext::FitResult fit = aPainter ? edit.Layout().draw(*aPainter, aRect, aRange.First)
                                             : edit.Layout().fit(aRect, aTarget, aRange.First);
    return fit.complete ? rangeEnd(edit, aRange) : fit.lastChar + 1;
}

int RenderRange(TppRTFEngine& aEngine, QPainter& aPainter, TppCharRange aRange, const QRectF& aRect) {
    return FormatRange(aEngine, &aPainter, *aPainter.device(), aRange, aRect);
}

bool FitRange(TppRTFEngine& aEngine, const QPaintDevice& aDevice, TppCharRange aRange, double& aHeight, int& aLastChar,
              const QRectF& aRect) {
    TppRichEdit& edit = *aEngine.RichEdit;
    const richtext::FitResult fit = edit.Layout().fit(aRect, aDevice, aRange.First);
    aLastChar = fit.complete ? rangeEnd(edit, aRange) : fit.lastChar;
    aHeight = fit.height;
    return fit.complete;
}

double MeasureRange(TppRTFEngine& aEngine, const QPaintDevice& aDevice, TppCharRange aRange, const QRectF& aRect) {
    return aEngine.RichEdit->Layout().measureHeight(aRect.width(), aDevice, aRange.First);
}
