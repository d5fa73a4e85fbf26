#pragma once

#include "report/model/custom_component.h"

#include <QHash>

#include <vector>

class TppGroup;

/// A one-piece text: alignment, auto-size, word wrap, a display format, an OnGetText hook
/// and membership in its band's list of texts exported by the text-file device (Save,
/// SaveOrder, SaveLength). Groups that break on the text are told when its Name changes.
class TppCustomText : public TppCustomComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomText(TComponent* AOwner = nullptr);
    ~TppCustomText() override;

    /// The text before OnGetText; Text here.
    virtual QString GetValueText() const { return Text(); }
    virtual void SetDisplayFormat(const QString& aFormat);
    QString GetText() const override;
    QString GetDescription() const override { return UserName() + QStringLiteral(": ") + Text(); }
    bool IsSaved() const override { return m_save; }
    int StoredSaveOrder() const override { return m_storedSaveOrder; }

    bool CharWrap() const { return m_charWrap; }
    void SetCharWrap(bool v);
    QString DisplayFormat() const { return m_displayFormat; }
    bool Save() const { return m_save; }
    void SetSave(bool v);
    /// The position in the band's export list, -1 without band.
    int SaveOrder() const;
    void SetSaveOrder(int v);
    int SaveLength() const { return m_saveLength; }
    void SetSaveLength(int v);
    TppGetTextEvent OnGetText;
    QString OnGetTextName;

    // Groups breaking on this text.
    void AddGroup(TppGroup* aGroup);
    void RemoveGroup(TppGroup* aGroup);
    int GroupCount() const { return int(m_groups.size()); }

    void SetName(const QString& aName) override;
    /// Text, font, alignment, colour and the export fields; wrapped lines with WordWrap.
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_charWrap = false;
    QString m_displayFormat;
    bool m_save = false;
    int m_storedSaveOrder = -1;
    int m_saveLength = 0;
    std::vector<TppGroup*> m_groups;  ///< each group unregisters itself before it is freed
};

/// A fixed caption.
class TppLabel : public TppCustomText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLabel(TComponent* AOwner = nullptr);
    QString Caption() const { return Text(); }
    void SetCaption(const QString& aCaption) { SetText(aCaption); }
    /// The caption follows the user name while it equals it.
    void SetUserName(const QString& aName) override;
    const stream::PropertyList& StreamProperties() const override;
};

/// The formatted value of a pipeline field, with suppression of repeated values.
class TppDBText : public TppCustomText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBText(TComponent* AOwner = nullptr);

    bool IsDataAware() const override { return true; }
    bool HasComputeState() const override { return true; }
    int CacheRecordSize() const override { return 12; }
    QString GetValueText() const override;
    QString GetDescription() const override;

    bool BlankWhenZero() const { return m_blankWhenZero; }
    void SetBlankWhenZero(bool v);
    bool ReprintOnSubsequent() const { return m_reprintOnSubsequent; }
    void SetReprintOnSubsequent(bool v);
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool v);
    TppFormatEvent OnFormat;
    QString OnFormatName;

    const stream::PropertyList& StreamProperties() const override;
    /// Event 68 from the reset group restarts the component at the next record.
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;

private:
    bool m_blankWhenZero = false;
    bool m_reprintOnSubsequent = false;
    bool m_suppressRepeatedValues = false;
};

/// A running calculation over a pipeline field (count, sum, minimum, maximum, average),
/// restarted by its ResetGroup or at the start of a run. With LookAhead in a two-pass report
/// it prints the value its group reaches in the end, wherever it stands: the first pass
/// remembers the final text of each group instance (key "%8d" of the group's break number,
/// "|", "%8d" of 0), the second pass prints it.
///
/// Page-cache record, 40 bytes: DrawComponent (byte 0), ResetOnCompute (byte 9), Divisor
/// (double, byte 16), Value (double, byte 24), records counted (int32, byte 32).
class TppDBCalc : public TppDBText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBCalc(TComponent* AOwner = nullptr);

    int CacheRecordSize() const override { return 40; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    QString GetValueText() const override;
    QString GetDescription() const override;
    /// Takes the current record into the calculation.
    void Compute() override;
    void InitGeneration() override;
    void ResetValue() override;
    /// A new run forgets the final values of the last one.
    void PrepareRun() override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;

    TppDBCalcType DBCalcType() const { return m_calcType; }
    void SetDBCalcType(TppDBCalcType v);
    bool LookAhead() const { return m_lookAhead; }
    /// On (outside reading) makes the report a two-pass report.
    void SetLookAhead(bool v);
    double Value() const { return m_value; }
    double Divisor() const { return m_divisor; }
    /// The key the final value of the current group instance is kept under.
    QString LookAheadKey() const;

    std::function<void(QObject*)> OnCalc, OnGroupBreak;

    const stream::PropertyList& StreamProperties() const override;

private:
    bool lookAheadInForce() const;
    double currentValue() const;

    TppDBCalcType m_calcType = TppDBCalcType::dcSum;
    bool m_lookAhead = false;
    double m_value = 0;
    double m_divisor = 0;
    QHash<QString, QString> m_finalTexts;  ///< look-ahead key → text at the end of the first pass
};
