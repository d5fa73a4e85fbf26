#pragma once

// The cross-tab component: summarises the records of one data pipeline into a grid whose
// columns are the values of the column dimensions, whose rows are the values of the row
// dimensions and whose cells accumulate the value definitions, with subtotals and grand
// totals. See crosstab_engine.h for the calculation and matrix.h for the result.

#include "report/crosstab/elements.h"
#include "report/crosstab/matrix.h"

#include "report/model/stretchable.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class TppCrossTab;
class TppCrossTabEngine;
class TppCustomCrossTabRenderer;
class TppDataPipeline;
class TppField;
class TraParamList;

using TppOnCalcDimensionValue = std::function<void(QObject* Sender, TppDimension* aDimension, QVariant& aValue)>;
using TppOnFormatCell = std::function<void(QObject* Sender, TppElement* aElement, int aColumn, int aRow)>;
using TppOnGetDimensionText = std::function<void(QObject* Sender, TppElement* aElement, int aColumn, int aRow,
                                                 const QString& aDisplayFormat, const QVariant& aValue, QString& aText)>;
using TppOnGetDimensionName = std::function<void(QObject* Sender, TppDimension* aDimension, QString& aName)>;
using TppOnGetDimensionCaption = std::function<void(QObject* Sender, TppDimension* aDimension, QString& aCaption)>;
using TppOnGetDimensionValue =
    std::function<void(QObject* Sender, TppDimension* aDimension, QVariant& aValue, bool& aSkip)>;
using TppOnGetTotalCaptionText =
    std::function<void(QObject* Sender, TppElement* aElement, int aColumn, int aRow, QString& aText)>;
using TppOnTraverseRecord = std::function<void(QObject* Sender, TppDataPipeline* aDataPipeline, bool& aSkipRecord)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

/// Passes the cross-tab's status text to its report every interval while it calculates.
class TppCrossTabStatusTimer : public QTimer {
    Q_OBJECT
public:
    TppCrossTabStatusTimer(int aInterval, TppCrossTab* aCrossTab);
    TppCrossTab* CrossTab() const { return m_crossTab; }

private:
    void TimerHandler();
    TppCrossTab* m_crossTab;
};

namespace crosstab {

/// One item of the cross-tab's design pop-up menu. The designer's menu shows these items;
/// the cross-tab decides which are visible and checked (PopupMenuPopup) and what a click
/// does (PopupItemClick).
struct PopupItem {
    int Order = 0;
    QString Name;
    int LanguageId = 0;
    QString Caption;
    bool Visible = true;
    bool Checked = false;
    bool RadioItem = false;
    QString Tag;  ///< the renderer class of a Style item, the pagination of a Pagination item
    std::vector<PopupItem> Items;
};

/// A registered renderer: its class name, its Name (what Style stores), its description and
/// how to make one.
struct RendererClass {
    QString ClassName;
    QString Name;
    QString Description;
    std::function<std::unique_ptr<TppCustomCrossTabRenderer>(TppCrossTab*)> Create;
};

/// The renderer registry, in registration order (the renderers register themselves).
std::vector<RendererClass>& RendererClasses();
void RegisterRenderer(const RendererClass& aClass);
void UnregisterRenderer(const QString& aClassName);

}  // namespace crosstab

/// The renderer registry in registration order.
std::vector<crosstab::RendererClass>& ppCrossTabRendererList();
/// Appends the class unless it is listed already (by class name).
void ppRegisterCrossTabRenderer(const crosstab::RendererClass& aClass);
/// Removes the class wherever it stands; an unlisted class is ignored.
void ppUnRegisterCrossTabRenderer(const QString& aClassName);
int ppCrossTabRendererCount();
/// Appends one line per registered class: its Name.
void ppGetCrossTabRendererNames(QStringList& aList);
/// The renderer registered under a Name, ignoring letter case (first match), or null.
const crosstab::RendererClass* ppGetCrossTabRendererByName(const QString& aName);
/// The renderer registered under a class name, or null.
const crosstab::RendererClass* ppGetCrossTabRendererClass(const QString& aClassName);

/// The cross-tab component.
///
/// Definitions: five lists of child elements selected by ChildType (column, row and value
/// definitions, column and row grand totals). Invariants kept by the automatic totals
/// outside reading, assigning and clearing: ColumnGrandTotalCount = RowGrandTotalCount =
/// ValueDefCount; every column and row definition has ValueDefCount subtotals; total i of
/// each list belongs to value definition i.
///
/// Generation: a new generation (not the continuation of an overflowing one) increments
/// GenerationCount; when it differs from CalculatedGeneration the engine calculates the
/// matrix again. Restoring GenerationCount from the page cache makes the two equal, so a
/// page regenerated from the cache reuses the matrix. The renderer chosen by Style fits one
/// block of the matrix on each page; what does not fit continues on the next page, down then
/// across or across then down (Pagination).
class TppCrossTab : public TppStretchable {
    Q_OBJECT
public:
    static constexpr int kCacheRecordSize = kStretchableRecordSize + 12;

    Q_INVOKABLE explicit TppCrossTab(TComponent* aOwner = nullptr);
    ~TppCrossTab() override;

    // ---- definitions ----
    void AddChild(TppRelative* aChild) override;
    void InsertChild(int aIndex, TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    /// The definitions are streamed as children (a component streams none of its own).
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override {
        TppRelative::GetStreamChildren(proc);
    }
    void MoveDefinition(TppRelative* aDefinition, int aNewIndex);

    int ColumnDefCount() const { return int(m_columnDefs.size()); }
    TppColumnDef* ColumnDefs(int aIndex) const;
    int RowDefCount() const { return int(m_rowDefs.size()); }
    TppRowDef* RowDefs(int aIndex) const;
    int ValueDefCount() const { return int(m_valueDefs.size()); }
    TppValueDef* ValueDefs(int aIndex) const;
    int ColumnGrandTotalCount() const { return int(m_columnGrandTotals.size()); }
    TppGrandTotal* ColumnGrandTotals(int aIndex) const;
    int RowGrandTotalCount() const { return int(m_rowGrandTotals.size()); }
    TppGrandTotal* RowGrandTotals(int aIndex) const;

    bool HasColumnGrandTotal() const;
    int VisibleRowGrandTotalCount() const;
    int IndexOfColumnGrandTotal(const TppGrandTotal* aTotal) const;
    int IndexOfRowGrandTotal(const TppGrandTotal* aTotal) const;
    void ShowGrandTotals(TppTotalType aTotalType, bool aVisible);
    void ShowColumnGrandTotals(bool aVisible);
    void ShowRowGrandTotals(bool aVisible);

    // ---- design-time field helpers ----
    void RefreshAvailableFields();
    void GetAvailableFields(QStringList& aList, QList<TppField*>* aFields = nullptr) const;
    const QStringList& AvailableFields() const { return m_availableFields; }
    TppField* AvailableFieldObject(int aIndex) const;
    int IndexOfAvailableField(const QString& aAlias) const;
    TppColumnDef* AddColumnDef(int aIndex);
    TppRowDef* AddRowDef(int aIndex);
    TppValueDef* AddValueDef(int aIndex);
    int RemoveColumnDef(int aIndex);
    int RemoveRowDef(int aIndex);
    int RemoveValueDef(int aIndex);
    int ReturnAvailableField(TppDimension* aDimension);
    void NotifyDefinitionsChanged();

    // ---- properties ----
    QString Style() const { return m_style; }
    void SetStyle(const QString& aValue);
    TppCrossTabPaginationType Pagination() const { return m_pagination; }
    void SetPagination(TppCrossTabPaginationType aValue);
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool aValue);
    bool Draw() const { return m_draw; }
    void SetDraw(bool aValue);
    bool Modified() const { return m_modified; }
    bool Calculating() const { return m_calculating; }
    /// The engine's current matrix; null before the first calculation.
    TppMatrix* Matrix() const;
    TppCrossTabEngine* Engine() const { return m_engine.get(); }
    int GenerationCount() const { return m_generationCount; }
    int CalculatedGeneration() const { return m_calculatedGeneration; }
    int NextColumn() const { return m_nextColumn; }
    int NextRow() const { return m_nextRow; }
    TppCrossTabStatusTimer* StatusTimer() const { return m_statusTimer.get(); }
    /// The renderer of the current calculation; null until the first generation after a
    /// calculation and after every Style change.
    TppCustomCrossTabRenderer* Renderer() const { return m_renderer.get(); }

    /// Outside reading and loading: Modified := aModified, the designer hears of the
    /// change and the band that its contents changed.
    void Changed(bool aModified);
    /// The element with that ElementIndex in the engine's list; null when none.
    TppElement* GetElement(int aIndex) const;
    /// The engine's progress text while calculating; else empty (the renderer's later).
    QString GetStatusText() const;
    /// Opens the registered cross-tab designer form modally; nothing when none is registered.
    void Configure();
    /// Frees every definition and the matrix (the destructor and Assign use it).
    void Clear();
    void Assign(TPersistent* aSource) override;

    // ---- design pop-up menu ----
    void CreatePopupMenu(std::vector<crosstab::PopupItem>& aItems) const;
    void PopupMenuPopup(std::vector<crosstab::PopupItem>& aItems) const;
    // The component's own menu forms stay callable beside the cross-tab's item lists.
    using TppStretchable::CreatePopupMenu;
    using TppStretchable::PopupMenuPopup;
    void PopupItemClick(const crosstab::PopupItem& aItem);

    // ---- events ----
    TppOnCalcDimensionValue OnCalcDimensionValue;
    TppOnFormatCell OnFormatCell;
    TppOnGetDimensionText OnGetCaptionText;
    TppOnGetDimensionName OnGetDimensionName;
    TppOnGetDimensionCaption OnGetDimensionCaption;
    TppOnGetDimensionValue OnGetDimensionValue;
    TppOnGetTotalCaptionText OnGetTotalCaptionText;
    TppOnGetDimensionText OnGetTotalValueText;
    TppOnGetDimensionText OnGetValueText;
    TppOnTraverseRecord OnTraverseRecord;
    TNotifyEvent BeforeCalc;
    TNotifyEvent AfterCalc;
    /// Definition-change hooks of the design-time grid and the designer panel.
    TNotifyEvent OnDefinitionsChanged;
    TNotifyEvent OnDesignerDefinitionsChanged;

    void DoCalcDimensionValue(TppDimension* aDimension, QVariant& aValue);
    void DoFormatCell(TppElement* aElement, int aColumn, int aRow);
    void DoGetCaptionText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                          const QVariant& aValue, QString& aText);
    void DoGetDimensionName(TppDimension* aDimension, QString& aName);
    void DoGetDimensionCaption(TppDimension* aDimension, QString& aCaption);
    void DoGetDimensionValue(TppDimension* aDimension, QVariant& aValue, bool& aSkip);
    void DoGetTotalCaptionText(TppElement* aElement, int aColumn, int aRow, QString& aText);
    void DoGetTotalValueText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                             const QVariant& aValue, QString& aText);
    void DoGetValueText(TppElement* aElement, int aColumn, int aRow, const QString& aDisplayFormat,
                        const QVariant& aValue, QString& aText);
    void DoTraverseRecord(TppDataPipeline* aDataPipeline, bool& aSkipRecord);
    void DoBeforeCalc();
    void DoAfterCalc();

    /// Stored handler names (what a code module binds by name).
    QString EventHandlerName(const QString& aEvent) const;
    void SetEventHandlerName(const QString& aEvent, const QString& aName);

    // ---- generation ----
    void Generate() override;
    void CalcSpaceUsed() override;
    /// Draws the block fitted by the last generation at the component's place on the page.
    TppDrawCommand* CreateDrawCommand(TppPage* aPage) override;
    int CacheRecordSize() const override { return kCacheRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    bool HasColor() const override { return false; }
    bool HasFontColor() const override { return false; }
    bool IsDataAware() const override { return true; }
    int DefaultPropEditType() const { return 3; }
    QString DefaultPropName() const { return QStringLiteral("DataPipeline"); }

    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    /// A definition read from the stream is owned by the stream's owner and filed by its kind.
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    void Loaded() override;

    /// Whether the automatic totals are suppressed (reading, loading, assigning, clearing).
    bool SuppressesTotals() const;

private:
    friend class TppCrossTabEngine;
    std::vector<TppRelative*>* listOf(int aChildType);
    std::vector<TppRelative*>* listHolding(const TppRelative* aChild);
    const std::vector<TppRelative*>* listHolding(const TppRelative* aChild) const;
    void CreateSubTotals(TppDimension* aDimension);
    void CreateTotals();
    void FreeTotals(int aIndex);
    void MoveTotals(int aOldIndex, int aNewIndex);
    /// Sends an event to script subscribers with the adapter's parameter list, binding the
    /// arguments' buffers in order.
    void sendEvent(int aEventId, const char* aName, std::initializer_list<QVariant*> aArgs);
    void freeStatusTimer();

    std::vector<TppRelative*> m_columnDefs;  ///< owned, TppColumnDef
    std::vector<TppRelative*> m_rowDefs;     ///< owned, TppRowDef
    std::vector<TppRelative*> m_valueDefs;   ///< owned, TppValueDef
    std::vector<TppRelative*> m_columnGrandTotals;  ///< owned, TppGrandTotal
    std::vector<TppRelative*> m_rowGrandTotals;     ///< owned, TppGrandTotal
    QStringList m_availableFields;
    QList<QPointer<TppField>> m_availableFieldObjects;
    std::unique_ptr<TppCrossTabEngine> m_engine;
    std::unique_ptr<TppCrossTabStatusTimer> m_statusTimer;
    std::unique_ptr<TppCustomCrossTabRenderer> m_renderer;
    bool m_lastBlockEmpty = false;  ///< the previous block held no row or column
    QString m_savedStatusMessage;
    QString m_style = QStringLiteral("Standard");
    TppCrossTabPaginationType m_pagination = TppCrossTabPaginationType::ctptDownThenAcross;
    bool m_gridLines = true;
    bool m_draw = true;
    bool m_modified = false;
    bool m_calculating = false;
    bool m_assigning = false;
    bool m_clearing = false;
    bool m_continuing = false;  ///< the current Generate continues an overflowing block
    int m_generationCount = 0;
    int m_calculatedGeneration = -1;
    int m_nextColumn = 0;
    int m_nextRow = 0;
    QHash<QString, QString> m_handlerNames;
    std::vector<std::unique_ptr<TraParamList>> m_eventParams;  ///< by event id - 54, made on first use
};
