#pragma once

#include "report/model/stretchable.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;
class QTextCursor;
class QTextDocument;
class TppCustomRichText;
class TppDataPipeline;
class TppRichEdit;

namespace richtext {
class RichTextLayout;
}

namespace report {

/// Replaces the field markers of `aDoc` by values: "<Name>" where Name is, ignoring case, one
/// of `aFieldNames`, else one of `aFieldAliases` (an alias stands for the field name at the
/// same position), becomes aValue(field name) in the format of its "<". The search resumes
/// after the inserted value, so a value is never merged again (a value holding a marker, or
/// naming its own field, stays as it is). Unknown markers, a ">" before every "<" and a "<"
/// without a following ">" stay in the text.
void MailMergeDocument(QTextDocument& aDoc, const QStringList& aFieldNames, const QStringList& aFieldAliases,
                       const std::function<QString(const QString& aFieldName)>& aValue);

/// Merges the fields of `aPipeline` (its field names, then their aliases; values as strings).
void MailMergeDocument(QTextDocument& aDoc, TppDataPipeline& aPipeline);

/// Runs the form registered for TppCustomRTFEditor on a component's RTF (the designer
/// installs it): true when the editor closed with OK, `aRtf` then holds the edited text.
using RichTextEditPrompt = std::function<bool(TppCustomRichText& aComponent, QByteArray& aRtf)>;
/// Installs the prompt and answers the one installed before.
RichTextEditPrompt SetRichTextEditPrompt(RichTextEditPrompt aPrompt);

/// The options of TppCustomRichText::FindText.
enum TSearchType { stWholeWord = 1, stMatchCase = 2 };

}  // namespace report

/// The character format of a rich text's selection, as scripts reach it (SelAttributes):
/// reading answers the format of the selection's first character, writing applies to the
/// whole selection (at a position without a selection: the character there). Size in points,
/// Color as 0x00BBGGRR, Style a combination of 1 bold, 2 italic, 4 underline, 8 strikeout.
class TTextAttributes : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Style READ Style WRITE SetStyle)
public:
    explicit TTextAttributes(TppCustomRichText* aOwner);
    QString Name() const;
    void SetName(const QString& v);
    int Size() const;
    void SetSize(int v);
    int Color() const;
    void SetColor(int v);
    int Style() const;
    void SetStyle(int v);

private:
    TppCustomRichText* m_owner;
};

/// The paragraph format at a rich text's selection (Paragraph): Alignment 0 left, 1 right,
/// 2 centre; FirstIndent (the first line's indent), LeftIndent (the other lines', from the
/// first line's) and RightIndent in points; Numbering 0 none, 1 bullets. Writing applies to
/// every paragraph of the selection.
class TParaAttributes : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(int FirstIndent READ FirstIndent WRITE SetFirstIndent)
    Q_PROPERTY(int LeftIndent READ LeftIndent WRITE SetLeftIndent)
    Q_PROPERTY(int RightIndent READ RightIndent WRITE SetRightIndent)
    Q_PROPERTY(int Numbering READ Numbering WRITE SetNumbering)
public:
    explicit TParaAttributes(TppCustomRichText* aOwner);
    int Alignment() const;
    void SetAlignment(int v);
    int FirstIndent() const;
    void SetFirstIndent(int v);
    int LeftIndent() const;
    void SetLeftIndent(int v);
    int RightIndent() const;
    void SetRightIndent(int v);
    int Numbering() const;
    void SetNumbering(int v);

private:
    TppCustomRichText* m_owner;
};

/// Formatted text (RTF) that prints in its rectangle and, with Stretch, continues across
/// pages by character ranges: each page prints the whole lines that fit, the next page goes
/// on at the following character. The RTF is kept as bytes (the stream); measuring and
/// drawing work on copies, so the text itself never changes by printing. With MailMerge on
/// and a report DataPipeline, the field markers of a copy are merged before measuring and
/// the merged RTF travels in the draw command.
///
/// Page-cache record, 16 bytes: the stretchable's generation state (bytes 0-3), StartCharPos
/// (int32, byte 4) and EndCharPos (int32, byte 8) of the range printed, and the character the
/// next page begins with (int32, byte 12). A page generated again from the cache continues
/// where the page before it stopped.
class TppCustomRichText : public TppStretchable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 16;

    Q_INVOKABLE explicit TppCustomRichText(TComponent* AOwner = nullptr);
    ~TppCustomRichText() override;

    /// The RTF as text: the stream (refreshed first, see GetRTFStream); empty when the text
    /// holds no character.
    QByteArray GetRichText();
    /// The RTF stream, refreshed where it comes from elsewhere.
    virtual const QByteArray& GetRTFStream();
    /// Reloads the stream from where it comes (the field of a data component); nothing here.
    virtual void RefreshStream() {}
    /// The stream takes the text up to its first NUL.
    virtual void SetRichText(const QByteArray& aText);
    /// The stream as stored, without refreshing.
    const QByteArray& RichTextStream() const { return m_rtf; }
    /// The plain lines of the text.
    QStringList PlainLines() const;
    bool PlainText() const { return m_plainText; }
    void SetPlainText(bool v) { m_plainText = v; }
    bool MailMerge() const { return m_mailMerge; }
    virtual void SetMailMerge(bool v) { m_mailMerge = v; }
    /// Opens the rich text editor through the installed prompt; on OK takes the edited text
    /// and tells the designer that a property changed. False when no editor is installed
    /// or it was not closed with OK.
    bool Edit();
    /// Edit, MailMerge and Transparent.
    QList<report::DesignPopupItem> DesignPopupItems() override;

    // The text as scripts reach it. Positions count the characters and paragraph marks of
    // the plain text.
    int SelStart() const { return m_selStart; }
    void SetSelStart(int v);
    int SelLength() const { return m_selLength; }
    void SetSelLength(int v);
    /// The selected characters; setting replaces them (in the format of the selection's
    /// first character) and selects nothing after the new text.
    QString SelText() const;
    void SetSelText(const QString& aText);
    /// The selection's character format and paragraph format (owned by the component).
    TTextAttributes* SelAttributes();
    TParaAttributes* Paragraph();
    /// Runs an edit of the text's document at the selection and stores the result.
    void EditSelection(const std::function<void(QTextDocument& aDoc, QTextCursor& aSelection)>& aEdit);
    /// Reads the text's document at the selection.
    void ReadSelection(const std::function<void(const QTextDocument& aDoc, const QTextCursor& aSelection)>& aRead) const;
    /// The RTF that prints, from the text (GetRichText): with MailMerge on and a report
    /// DataPipeline, a copy with its field markers merged; the text itself never changes.
    virtual QByteArray PrepareMailMerge(const QByteArray& aRtf);
    /// Where aText is found searching aLength characters from aStart (options: a
    /// combination of TSearchType); -1 when it is not found.
    int FindText(const QString& aText, int aStart, int aLength, int aOptions) const;
    /// The text of a file (RTF, else plain text); a file that cannot be read throws.
    void LoadFromFile(const QString& aFileName);
    /// Writes the RTF, or the plain text when PlainText is set; throws when it cannot.
    void SaveToFile(const QString& aFileName);
    void LoadFromRTFStream(QIODevice& aStream);
    void SaveToRTFStream(QIODevice& aStream);

    /// The range printed by the last print; -1 before any.
    int StartCharPos() const { return m_startCharPos; }
    int EndCharPos() const { return m_endCharPos; }
    /// The RTF that prints: the stream, mail-merged when MailMerge is on.
    const QByteArray& PrintRtf() const { return m_printRtf; }

    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Measures the whole lines that fit from the next character on (see the class comment).
    void CalcSpaceUsed() override;
    void InitGeneration() override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    /// The text over the background in a black frame; the Caption when there is no text.
    void PaintDesignControl(paint::Canvas& aCanvas) override;
    const stream::PropertyList& StreamProperties() const override;

protected:
    void SetStream(const QByteArray& aRtf);

private:
    /// Gets the text, merges it and makes the layout of what prints (kept while it is the same).
    void preparePrint();

    /// The text is stored again: the owning report's designer sees a property change.
    void textEdited(const QByteArray& aRtf);

    QByteArray m_rtf;
    bool m_plainText = false;
    int m_selStart = 0;
    int m_selLength = 0;
    QByteArray m_checkedRtf;   ///< the stream last found to hold text (GetRichText)
    TTextAttributes* m_selAttributes = nullptr;
    TParaAttributes* m_paragraph = nullptr;
    bool m_mailMerge = false;
    int m_startCharPos = -1;
    int m_endCharPos = -1;
    int m_nextChar = 0;          ///< where the next print begins; 0 when the text is done
    int m_pagesWithoutRoom = 0;  ///< prints in a row where not one line fitted
    QByteArray m_printRtf;
    QByteArray m_layoutRtf;  ///< the RTF m_richEdit holds
    std::unique_ptr<TppRichEdit> m_richEdit;  ///< the hidden rich edit the text is laid out in
};

/// Rich text kept in the report ("RichText", streamed as a string).
class TppRichText : public TppCustomRichText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppRichText(TComponent* AOwner = nullptr);
    QString RichText() const { return QString::fromLatin1(RichTextStream()); }
    void SetRichTextString(const QString& v) { SetRichText(v.toLatin1()); }
    /// Stores and resets the report.
    void SetMailMerge(bool v) override;
    const stream::PropertyList& StreamProperties() const override;
};

/// Rich text read from a pipeline field, or supplied by OnGetRichText.
class TppDBRichText : public TppCustomRichText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBRichText(TComponent* AOwner = nullptr);

    bool IsDataAware() const override { return true; }
    bool AutoDisplay() const { return m_autoDisplay; }
    /// On loads from the field; off empties the text.
    void SetAutoDisplay(bool v);
    /// OnGetRichText's text when it is assigned, else the field's.
    const QByteArray& GetRTFStream() override;
    /// With AutoDisplay and a pipeline: the field's text; a field that cannot be read gives
    /// "Error loading rich text.".
    void RefreshStream() override;
    TppGetTextEvent OnGetRichText;
    QString OnGetRichTextName;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_autoDisplay = true;
};
