#pragma once

#include "report/model/text_components.h"

#include <QHash>
#include <QPointer>
#include <QVariant>

#include <functional>

/// The common base of the text components that compute what they print: a typed value
/// formatted with DisplayFormat for its data type, then offered to OnFormat.
class TppCustomVariable : public TppCustomText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomVariable(TComponent* AOwner = nullptr);

    /// The type the value is formatted by.
    virtual TppDataType DataType() const { return TppDataType::dtString; }
    /// The value in force (null when there is none).
    virtual QVariant Value() const { return {}; }
    /// The text shown in the designer when not generating.
    virtual QString DesignText() const { return UserName(); }

    /// The design text, or the value formatted for the data type and offered to OnFormat.
    QString GetValueText() const override;
    TppFormatEvent OnFormat;
    QString OnFormatName;

protected:
    /// Whether the component shows its design text rather than a value.
    bool designDisplay() const;
    /// The format handed to ppFormatValue (empty when OnFormat is assigned).
    QString formatText(const QVariant& aValue) const;
};

/// The handler of a calculation or a reset: receives the value by reference.
using TppVarCalcEvent = std::function<void(QObject* Sender, QVariant& Value)>;

/// A typed value recalculated on one generation event (CalcType: every record, a pipeline's
/// records, page or column start and end, report start and end, group start, end, before
/// header, before footer) and reset on another (ResetType), through OnCalc and OnReset.
///
/// Senders: the record and report events come from the report's engine, page and column
/// events from the report, the pipeline and group events from the chosen CalcComponent or
/// ResetComponent. Report start is taken at the start of every generation.
///
/// A record calculation waits for its detail band: until that band is placed the record
/// is "pending" (it was read, but its band may still move to the next page, and the first
/// record of a new group is read before the group starts). A page footer then shows the
/// value without the pending record, and a reset while a record is pending takes it in
/// again, so a page or group total counts exactly the records printed in its period.
///
/// With LookAhead in a two-pass report the text printed is the value at the end of the
/// reset period (page, group instance or report), remembered in the first pass under the
/// look-ahead key ("%8d" of the reset instance, "|", "%8d" of the column).
///
/// Page-cache record, 93 bytes: the two printable state bytes, the values (Boolean, Char (2),
/// Currency (8, scaled by 10 000), Integer (4), date-time (8), Double (8), Extended (10),
/// Single (4)), the pending flag, then the values before the pending record in the same
/// layout. The String value is not cached.
class TppVariable : public TppCustomVariable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = 93;

    Q_INVOKABLE explicit TppVariable(TComponent* AOwner = nullptr);
    ~TppVariable() override;

    TppDataType DataType() const override { return m_dataType; }
    /// Only dtBoolean .. dtString are accepted.
    void SetDataType(TppDataType v);
    QVariant Value() const override;
    /// Converts the value into the field of the data type; a null value is ignored.
    void SetValue(const QVariant& aValue);

    bool AsBoolean() const { return m_v.boolean; }
    void SetAsBoolean(bool v);
    QChar AsChar() const { return m_v.character; }
    void SetAsChar(QChar v);
    double AsCurrency() const { return double(m_v.currency) / 10000.0; }
    void SetAsCurrency(double v);
    double AsDateTime() const { return m_v.dateTime; }
    void SetAsDateTime(double v);
    void SetAsDate(double v) { SetAsDateTime(v); }
    void SetAsTime(double v) { SetAsDateTime(v); }
    double AsDouble() const { return m_v.dbl; }
    void SetAsDouble(double v);
    long double AsExtended() const { return m_v.extended; }
    void SetAsExtended(long double v);
    int AsInteger() const { return m_v.integer; }
    void SetAsInteger(int v);
    float AsSingle() const { return m_v.single; }
    void SetAsSingle(float v);
    QString AsString() const { return m_v.string; }
    void SetAsString(const QString& v);
    /// Assigning the text stores a String value.
    void SetText(const QString& aText);

    TppVarEventType CalcType() const { return m_calcType; }
    void SetCalcType(TppVarEventType v);
    TppVarEventType ResetType() const { return m_resetType; }
    void SetResetType(TppVarEventType v);
    TppCommunicator* CalcComponent() const { return m_calcComponent; }
    void SetCalcComponent(TppCommunicator* aComponent);
    TppCommunicator* ResetComponent() const { return m_resetComponent; }
    void SetResetComponent(TppCommunicator* aComponent);
    /// Position among the band's variables in calculation order; -1 without band.
    int CalcOrder() const;
    void SetCalcOrder(int v);
    bool LookAhead() const { return m_lookAhead; }
    /// On (outside reading) makes the report a two-pass report.
    void SetLookAhead(bool v);
    /// Whether look-ahead is on and the main report is a two-pass report.
    bool LookAheadInForce() const;
    QString LookAheadKey() const;

    TppVarCalcEvent OnCalc, OnReset;
    std::function<void(QObject*)> OldOnCalc;
    QString OnCalcName, OnResetName;

    QString DesignText() const override { return UserName(); }
    void GetNotifyOrder(QString& aKey) const override;
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Binds the senders and clears the value; report-start timings run here.
    void InitGeneration() override;
    void PrepareRun() override;
    void FinishRun() override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    QString GetValueText() const override;
    const stream::PropertyList& StreamProperties() const override;

private:
    struct Values {
        bool boolean = false;
        QChar character;
        qint64 currency = 0;
        int integer = 0;
        double dateTime = 0;
        double dbl = 0;
        long double extended = 0;
        float single = 0;
        QString string;
    };

    void clearValues();
    QVariant valueOf(const Values& aValues) const;
    void storeValue(Values& aValues, const QVariant& aValue) const;
    void calculate();
    void reset();
    /// Runs a handler (or the old one) and the script event; stores a changed value.
    void runHandler(const TppVarCalcEvent& aHandler, int aScriptEvent, const QString& aScriptName, bool aOld);
    TppCommunicator* senderFor(TppVarEventType aType, TppCommunicator* aChosen) const;
    int eventIdOf(TppVarEventType aType) const;
    void bindSenders();
    void unbindSenders();
    void rememberLookAhead();
    std::vector<TppVariable*> bandVariables() const;

    TppDataType m_dataType = TppDataType::dtString;
    TppVarEventType m_calcType = TppVarEventType::veTraversal;
    TppVarEventType m_resetType = TppVarEventType::veReportEnd;
    QPointer<TppCommunicator> m_calcComponent, m_resetComponent;
    QPointer<TppCommunicator> m_calcSender, m_resetSender;
    QPointer<TppCommunicator> m_detailBand;
    bool m_lookAhead = false;
    int m_calcSeq = -1;  ///< sort key among the band's variables (the stored CalcOrder)
    Values m_v;
    Values m_beforePending;  ///< the value before the pending record was taken in
    bool m_pending = false;
    QHash<QString, QString> m_finalTexts;  ///< look-ahead key → text at the end of its period
};

/// A system value: date, time, print date and time, page number, page count, or one of the
/// page texts ("Page 3 of 12", "Page 3", "3 of 12").
class TppSystemVariable : public TppCustomVariable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSystemVariable(TComponent* AOwner = nullptr);

    TppVarType VarType() const { return m_varType; }
    /// vtPageSet and vtPageSetDesc (outside reading) make the report a two-pass report.
    void SetVarType(TppVarType v);
    TppDataType DataType() const override;
    QVariant Value() const override;
    QString DesignText() const override;
    QString GetValueText() const override;
    QString GetDescription() const override { return DesignText(); }
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool generating() const;

    TppVarType m_varType = TppVarType::vtDate;
};
