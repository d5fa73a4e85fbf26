#pragma once

#include "report/model/stretchable.h"

#include <QStringList>

/// Multi-line text wrapped to the component's width (at word or character boundaries) with
/// extra line spacing (Leading) and tab stops. A stretching memo in a dynamic band prints
/// the lines that fit above the page bottom, overflows, and continues on the next page at
/// the character where it stopped (at the band's top plus OverFlowOffset), so every line is
/// printed once. The character position travels with the page cache.
///
/// Page-cache record, 12 bytes: DrawComponent (byte 0), dependents started (byte 1), resume
/// index (int32, byte 2), OverFlow (byte 6), partial generation (byte 7), character
/// position (int32, byte 8).
class TppCustomMemo : public TppStretchable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 12;

    Q_INVOKABLE explicit TppCustomMemo(TComponent* AOwner = nullptr);

    /// The lines, refreshed first (a data memo reloads them).
    virtual QStringList GetLines();
    void SetLines(const QStringList& aLines);
    QStringList Lines() const { return m_lines; }
    /// The lines joined with line breaks.
    QString Text() const { return m_lines.join(QStringLiteral("\r\n")); }
    void SetText(const QString& aText);
    /// Reloads the text where it comes from elsewhere; redraws.
    virtual void RefreshText();

    bool CharWrap() const { return m_charWrap; }
    void SetCharWrap(bool v);
    int mmLeading() const { return m_mmLeading; }
    void SetmmLeading(int v);
    /// Tab stops in mm-thousandths.
    QStringList TabStopPositions() const { return m_tabStops; }
    void SetTabStopPositions(const QStringList& v);
    QStringList PrintLines() const { return m_printLines; }
    int CharPosition() const { return m_charPos; }
    /// The height of one printed line in mm-thousandths.
    int LineHeight() const;

    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Measures and places the part that fits (see CalcSpaceUsed).
    void Generate() override;
    /// Wraps from the character position within the print rectangle: the whole text for a
    /// memo that does not stretch; for a stretching one the lines that fit, with OverFlow
    /// when text remains.
    void CalcSpaceUsed() override;
    void InitGeneration() override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    QStringList m_lines;
    bool m_charWrap = false;
    int m_mmLeading = 0;
    QStringList m_tabStops;
    QStringList m_printLines;
    int m_charPos = 0;
};

/// A memo of fixed lines.
class TppMemo : public TppCustomMemo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppMemo(TComponent* AOwner = nullptr);
    const stream::PropertyList& StreamProperties() const override;
};

/// A memo whose text comes from a pipeline field, or from OnGetMemo.
class TppDBMemo : public TppCustomMemo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBMemo(TComponent* AOwner = nullptr);

    bool IsDataAware() const override { return true; }
    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool v) { m_autoDisplay = v; }
    /// With AutoDisplay: the lines from OnGetMemo, else from the field; a pipeline error
    /// gives the single line "Error loading memo.".
    void RefreshText() override;
    TppMemoEvent OnGetMemo;
    QString OnGetMemoName;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_autoDisplay = true;
};
