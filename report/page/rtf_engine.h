#pragma once

#include <QByteArray>
#include <QObject>
#include <QRectF>
#include <QStringList>

#include <memory>

class QPaintDevice;
class QPainter;
class QPicture;
class QTextDocument;

namespace richtext {
class RichTextLayout;
}

/// The hidden rich edit the report's rich-text routines work on: one RTF document, laid
/// out by the platform's text layout (which stands in for a system rich-edit control).
/// Every hidden rich edit is parented to the shared hidden parent (ppGetParentWindow).
class TppRichEdit : public QObject {
    Q_OBJECT
public:
    /// Parented to `parent`, or to the hidden parent window when none is given.
    explicit TppRichEdit(QObject* parent = nullptr);
    ~TppRichEdit() override;

    /// Replaces the text with the RTF.
    void LoadFromStream(const QByteArray& rtf);
    /// Replaces the text with a copy of a document.
    void LoadFromDocument(const QTextDocument& doc);
    /// The RTF last loaded.
    QByteArray SaveToStream() const { return m_rtf; }
    /// Characters and paragraph marks of the text, without the final mark.
    int TextLength() const;
    richtext::RichTextLayout& Layout() { return *m_layout; }

private:
    QByteArray m_rtf;
    std::unique_ptr<richtext::RichTextLayout> m_layout;
};

/// Makes the hidden rich edits (the rich-edit class).
using TppRichEditClass = TppRichEdit* (*)(QObject* parent);

/// The hidden parent of every hidden rich edit: the object named "TppParentWnd4x0" among
/// the application's children, made on first use.
QObject* ppGetParentWindow();
/// The class every hidden rich edit is made of; TppRichEdit until another is installed.
TppRichEditClass ppGetRichEditClass();
void ppSetRichEditClass(TppRichEditClass aClass);
/// The picture that screen drawing records a rich text into.
QPicture& ppGetSharedMetafile();
/// The rich edit's text as plain lines.
QStringList ppGetRichEditLines(const TppRichEdit& aRichEdit);

/// The engine the layout routines work through: it only holds the rich edit they lay out.
class TppRTFEngine {
public:
    TppRichEdit* RichEdit = nullptr;
};

/// The shared engine, set to work on `aRichEdit`.
TppRTFEngine& ppGetRTFEngine(TppRichEdit* aRichEdit);

/// A character range: First to Last (-1: to the end).
struct TppCharRange {
    int First = 0;
    int Last = -1;
};

/// Lays the range out into `aRect` (pixels of `aTarget`, 45 twips inside the left edge),
/// drawing it with `aPainter` when one is given; answers the first character that did not
/// fit (the range's end when all of it fitted).
int FormatRange(TppRTFEngine& aEngine, QPainter* aPainter, const QPaintDevice& aTarget, TppCharRange aRange,
                const QRectF& aRect);
/// FormatRange with drawing on the painter's device.
int RenderRange(TppRTFEngine& aEngine, QPainter& aPainter, TppCharRange aRange, const QRectF& aRect);
/// True when the whole range fits into the rectangle. `aHeight` gets the height the lines
/// that fitted take and `aLastChar` the last character that fitted. A range of which only
/// a line break is left over counts as fitting.
bool FitRange(TppRTFEngine& aEngine, const QPaintDevice& aDevice, TppCharRange aRange, double& aHeight, int& aLastChar,
              const QRectF& aRect);
/// The height in device pixels the range needs at the rectangle's width (one line at least).
double MeasureRange(TppRTFEngine& aEngine, const QPaintDevice& aDevice, TppCharRange aRange, const QRectF& aRect);
