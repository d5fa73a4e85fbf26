#pragma once

#include "report/model/cacheable.h"
#include "report/page/report_types.h"

#include <QString>

#include <functional>
#include <vector>

class TppComponent;
class TppCustomReport;
class TppDataPipeline;

/// The band type codes components store for the band they sit in.
enum class TppBandType : int {
    btHeader = 0, btTitle = 1, btColumnHeader = 2, btGroupHeader = 3, btDetail = 4,
    btGroupFooter = 5, btColumnFooter = 6, btSummary = 7, btFooter = 8, btPageStyle = 9,
};

/// A horizontal strip of the page: a height, the components in z-order (first = back), the
/// texts that take part in text export in export order. A band belongs to at most one
/// report, which keeps its bands sorted by the band classes' order keys; it owns its
/// components and frees them with itself.
///
/// Lengths are mm-thousandths, shown to callers in the report's Units. Changes made while
/// the report generates pages send no designer messages (the report drops them).
class TppBand : public TppCacheable {
    Q_OBJECT
public:
    static constexpr int kDefaultHeight = 13229;  ///< 0.5208 inch

    Q_INVOKABLE explicit TppBand(TComponent* AOwner = nullptr);
    ~TppBand() override;

    // Virtual operations in slot order.
    virtual void DoAfterGenerate();
    virtual void DoAfterPrint();
    virtual void DoBeforeGenerate();
    virtual void DoBeforePrint();
    /// Engine mode of the class: 1 print once, 2 repeat while data allows.
    virtual int DefaultEngineMode() const { return 1; }
    /// The key the report sorts its bands by ("%8d" numbers joined).
    virtual QString GetOrderKey() const { return QString::asprintf("%8d", 99); }
    virtual TppBandType BandType() const { return TppBandType::btHeader; }
    virtual bool PrintsInColumn() const { return true; }
    virtual void SetCaption(const QString& aText);
    virtual void SetPrintHeight(TppPrintHeightType aValue);
    virtual void SetReport(TppCustomReport* aReport);
    virtual void EndReport();
    virtual TppDataPipeline* GetDataPipeline() const;
    /// The band's description (a numbered text in the band classes).
    virtual QString GetCaptionText() const { return QString(); }
    virtual void InitComponents();
    virtual bool IsDetail() const { return false; }
    virtual void LanguageChanged();
    virtual void NotifyNewPage();
    virtual void RefreshLayout();
    virtual void StartReport();
    virtual void InitPass();
    /// Upgrades a band read from an older template.
    virtual void Convert(int aVersion);

    TppCustomReport* Report() const { return m_report; }
    /// Position in the report's band list; -1 without report.
    int Index() const;

    int ObjectCount() const { return int(m_objects.size()); }
    TppComponent* Objects(int aIndex) const;
    int IndexOfObject(const TppComponent* aComponent) const;
    /// The position of the component of that Name (case-sensitive); -1 when absent.
    int FindComponentByName(const QString& aName) const;
    /// Called by a component that joins or leaves the band.
    void AddObject(TppComponent* aComponent);
    void RemoveObject(TppComponent* aComponent);
    /// Moves a component within the z-order; the target is cut to the last position.
    void MoveObject(int aFrom, int aTo);
    void BringToFront(TppComponent* aComponent);
    void SendToBack(TppComponent* aComponent);

    int SaveCount() const { return int(m_saves.size()); }
    TppComponent* Saves(int aIndex) const;
    int IndexOfSave(const TppComponent* aText) const;
    void AddSave(TppComponent* aText);
    void InsertSave(int aIndex, TppComponent* aText);
    void RemoveSave(TppComponent* aText);

    // Lengths.
    int mmHeight() const { return m_mmHeight; }
    void SetmmHeight(int aValue);
    /// The band's width in screen pixels: the report's printable width (a column's in a
    /// column band).
    int GetSpWidth() const;
    /// Sets the height from screen pixels.
    void SetSpHeight(int aPixels);
    int mmBottomOffset() const { return m_mmBottomOffset; }
    void SetmmBottomOffset(int aValue);
    int mmPrintPosition() const { return m_mmPrintPosition; }
    void SetmmPrintPosition(int aValue);
    /// The report's column width for a column band of a report with 2 or more columns,
    /// else the printable page width; 0 without report.
    int mmWidth() const;
    float Height() const;
    void SetHeight(float aValue);
    float BottomOffset() const;
    void SetBottomOffset(float aValue);
    float PrintPosition() const;
    void SetPrintPosition(float aValue);

    TppPrintHeightType PrintHeight() const { return m_printHeight; }
    int PrintCount() const { return m_printCount; }
    void SetPrintCount(int aValue);
    bool Save() const { return m_save; }
    void SetSave(bool aValue);
    /// The running number on its page of the band's latest output (see TppPage::TakeBandOutputNo).
    int OutputNo() const { return m_outputNo; }
    void SetOutputNo(int aValue) { m_outputNo = aValue; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue);
    QString Caption() const { return m_caption; }
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType aUnits);
    int EngineMode() const { return m_engineMode; }
    /// The stored name of the legacy OnPrint handler (older templates).
    QString LegacyOnPrint() const { return m_legacyOnPrint; }

    /// Event handlers and the names templates store them by.
    std::function<void(QObject*)> AfterGenerate, AfterPrint, BeforeGenerate, BeforePrint;
    QString AfterGenerateName, AfterPrintName, BeforeGenerateName, BeforePrintName;

    void SendDesignerMessage(int aMsg, QObject* aObject);
    void PostDesignerMessage(int aMsg, QObject* aObject);

    // Overrides.
    bool IsValidUserName(const QString& aName) const override {
        Q_UNUSED(aName);
        return true;
    }
    TppCommunicator* ParentCommunicator() const override;
    void AddState(TppCommunicatorStates aStates) override;
    void RemoveState(TppCommunicatorStates aStates) override;
    void PropertyChange() override;
    void ChangeOwner(TComponent* aNewOwner) override;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    void Loaded() override;

protected:
    void SetEngineModeDefault() { m_engineMode = DefaultEngineMode(); }
    void SetEngineMode(int v) { m_engineMode = v; }
    bool Reading() const { return HasState(csReading | csLoading); }
    void resetReport() const;
    /// Stores the print height without the change hooks (class defaults).
    void InitPrintHeight(TppPrintHeightType v) { m_printHeight = v; }
    void InitHeight(int v) { m_mmHeight = v; }
    bool Generating() const;
    bool InDesignDisplay() const { return (State() & ppsDesignControl) != 0; }

private:
    float fromMM(int v) const;
    int toMM(float v) const;
    void rebuildSaveList();

    TppCustomReport* m_report = nullptr;  ///< cleared when the band leaves the report
    std::vector<TppComponent*> m_objects;  ///< owned: freed with the band
    std::vector<TppComponent*> m_saves;
    int m_mmHeight = kDefaultHeight;
    int m_mmBottomOffset = 0;
    int m_mmPrintPosition = 0;
    TppPrintHeightType m_printHeight = TppPrintHeightType::phStatic;
    int m_printCount = 0;
    bool m_save = false;
    bool m_visible = true;
    QString m_caption;
    TppUnitType m_units = TppUnitType::utInches;
    int m_engineMode = 1;
    QString m_legacyOnPrint;
    int m_outputNo = 0;
    bool m_freeingObjects = false;
};
