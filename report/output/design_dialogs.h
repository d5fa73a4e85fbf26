#pragma once

// The abstract classes of the designer's small dialogs: groups, positions, print-to-file
// setup, grid, memo lines, calculations and reset group, shift and drill-down choices,
// master and detail data, calculation timing and calculation order. Each is a ReportForm;
// the designer's forms implement them and register for them, callers create whatever form
// is registered, set the fields below, show it and read them back after OK.

#include "report/output/dialog_registry.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

/// The Groups dialog: edits every group of its report (Report) at once. A caller may give
/// the data-field descriptions to offer (SetGroups) and translate each through the field-alias
/// hook into the field name and the pipeline to store.
class TppCustomGroupDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomGroupDialog";
    /// (dialog, description, var field name, var pipeline).
    std::function<void(TppCustomGroupDialog*, const QString&, QString&, QObject*&)> OnGetFieldAlias;
    /// The data-field descriptions offered.
    virtual QStringList GetGroups() const { return m_groups; }
    virtual void SetGroups(const QStringList& aList) {
        m_groups = aList;
        m_groupsSupplied = true;
    }
    /// Asks the field-alias hook; without one the description stays the name.
    void DoGetFieldAlias(const QString& aDescription, QString& aFieldName, QObject*& aPipeline) {
        if (OnGetFieldAlias) OnGetFieldAlias(this, aDescription, aFieldName, aPipeline);
    }

protected:
    QStringList m_groups;
    bool m_groupsSupplied = false;
};

/// The object position dialog: the values in the report's units; the apply hook copies them
/// into the component.
class TppCustomPositionDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPositionDialog";
    QPointer<QObject> Component;
    float Left = 0, Top = 0, Width = 0, Height = 0;
    float BottomOffset = 0, OverFlowOffset = 0, StopPosition = 0;
    TppUnitType Units = TppUnitType::utInches;
    bool ParentWidth = false;
    bool ParentHeight = false;
    std::function<void(TppCustomPositionDialog*)> OnApply;
    void DoApply() {
        if (OnApply) OnApply(this);
    }
};

/// The band position dialog: the band's values in the report's units; the apply hook copies
/// them into the band.
class TppCustomBandPositionDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomBandPositionDialog";
    QPointer<QObject> Band;
    float Height = 0, BottomOffset = 0, PrintPosition = 0;
    int PrintCount = 0;
    int BandsPerRecord = 1;
    TppUnitType Units = TppUnitType::utInches;
    std::function<void(TppCustomBandPositionDialog*)> OnApply;
    void DoApply() {
        if (OnApply) OnApply(this);
    }
};

/// The Print to File Setup dialog. Report (the form's) is the report whose file settings are
/// edited; the report set here is the one whose bands are edited (it may be a child report).
class TppCustomPrintToFileSetupDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPrintToFileSetupDialog";
    QObject* EditedReport() const { return m_editedReport; }
    /// Stores the report and calls ReportChanged.
    void SetReport(QObject* aReport) {
        m_editedReport = aReport;
        ReportChanged();
    }
    /// No action here.
    virtual void ReportChanged() {}

private:
    QPointer<QObject> m_editedReport;
};

/// The grid options: whether the grid shows and snaps, and its spacing in screen pixels.
class TppCustomGridDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomGridDialog";
    bool DisplayGrid = false;
    bool SnapToGrid = false;
    int XGridSpace = 8;
    int YGridSpace = 8;
};

/// The lines of a memo, in and out.
class TppCustomMemoDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomMemoDialog";
    virtual void SetLines(const QStringList& aLines) = 0;
    virtual QStringList GetLines() const = 0;
};

/// The reset group of a data text: the index among the groups given (-1 none).
class TppCustomDBTextDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomDBTextDialog";
    int ResetGroupIndex = -1;
    virtual void SetResetGroups(const QStringList& aList) { m_resetGroups = aList; }
    virtual QStringList GetResetGroups() const { return m_resetGroups; }

protected:
    QStringList m_resetGroups;
};

/// The calculation of a data calculation: its type (TppDBCalcType position, -1 none) and
/// reset group index (-1 none).
class TppCustomDBCalcDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomDBCalcDialog";
    int CalcIndex = -1;
    int ResetGroupIndex = -1;
    virtual void SetResetGroups(const QStringList& aList) { m_resetGroups = aList; }
    virtual QStringList GetResetGroups() const { return m_resetGroups; }

protected:
    QStringList m_resetGroups;
};

/// A choice of one component by name from a list of "name" or "name:description" entries.
class TppCustomSelectionDialog : public virtual report::ReportForm {
public:
    /// The chosen component's name, in and out.
    QString SelectedName;
    virtual void SetSelectionList(const QStringList& aList) { m_selectionList = aList; }
    virtual QStringList GetSelectionList() const { return m_selectionList; }

protected:
    QStringList m_selectionList;
};

/// The component another one shifts relative to.
class TppCustomShiftDialog : public virtual TppCustomSelectionDialog {
public:
    static constexpr const char* kClassName = "TppCustomShiftDialog";
};

/// The drill-down component of a sub-report.
class TppCustomDrillDownDialog : public virtual TppCustomSelectionDialog {
public:
    static constexpr const char* kClassName = "TppCustomDrillDownDialog";
};

/// The master and detail data pipelines of a report (null for none).
class TppCustomDataDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomDataDialog";
    QPointer<QObject> MasterDataPipeline;
    QPointer<QObject> DetailDataPipeline;
};

/// The calculation timing of a variable: the event (TppVarEventType position, -1 none) and
/// the object it belongs to, for calculating and for resetting. SetCalcList gives the data
/// pipelines and SetResetList the groups, each entry with its object.
class TppCustomCalcTimingDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomCalcTimingDialog";
    struct Entry {
        QString Text;
        QPointer<QObject> Object;
    };
    int CalcIndex = -1;
    QPointer<QObject> CalcBand;
    int ResetIndex = -1;
    QPointer<QObject> ResetBand;
    virtual void SetCalcList(const QList<Entry>& aList) { m_calcList = aList; }
    virtual void SetResetList(const QList<Entry>& aList) { m_resetList = aList; }
    const QList<Entry>& CalcList() const { return m_calcList; }
    const QList<Entry>& ResetList() const { return m_resetList; }

private:
    QList<Entry> m_calcList;
    QList<Entry> m_resetList;
};

/// The calculation order of the variables of a report's bands.
class TppCustomCalcOrderDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomCalcOrderDialog";
    virtual void SetSelection(QObject* aObject) = 0;
    virtual QObject* GetSelection() const = 0;
};
