#pragma once

// The definition of a cross-tab: a small tree of elements under the TppCrossTab. Column and
// row definitions are dimensions bound to a pipeline field; value definitions name the field
// to accumulate and how; totals carry the formatting of their caption and value cells. Every
// element is a relative streamed as a child of its parent, so the definition is stored with
// the report. The engine numbers the elements (ElementIndex) and the matrix cells refer to
// them by that number.
//
// Ownership: a dimension owns its subtotals (SubTotals, freed last first); a value definition
// owns its CaptionDef; a total owns its CaptionDef and TotalDef. The cross-tab owns the
// definitions and grand totals in its five lists.

#include "report/model/relative.h"
#include "report/page/enum_type.h"
#include "report/page/report_font.h"
#include "report/page/report_types.h"

#include "platform/paint/color.h"

#include <QRect>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class TppCrossTab;
class TppSubTotal;
class TppValueDef;
class TppValueCaptionDef;
class TppTotalCaptionDef;
class TppTotalDef;

DOSSARA_REPORT_ENUM(TppCrossTabChildType, ctctColumnDef, ctctRowDef, ctctValueDef, ctctTotalDef, ctctTotalCaptionDef,
                    ctctSubTotal, ctctColumnGrandTotal, ctctRowGrandTotal, ctctValueCaptionDef)
DOSSARA_REPORT_ENUM(TppNullOrderType, ctnoFirst, ctnoLast)
DOSSARA_REPORT_ENUM(TppTotalType, ctttAll, ctttRow, ctttColumn)
DOSSARA_REPORT_ENUM(TppCrossTabPaginationType, ctptAcrossThenDown, ctptDownThenAcross)

namespace crosstab {
/// The design-time example of a value of a data type in a display format.
QString SampleText(TppDataType aDataType, const QString& aDisplayFormat);
}  // namespace crosstab

/// A definition element: the formatting of the cells it stands for and its number in the
/// engine's element list. Every setter stores the value, tells OnElementChange and marks the
/// owning cross-tab modified.
class TppElement : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppElement(TComponent* aOwner = nullptr);
    ~TppElement() override;
    /// The constructor, then Name.
    template <class T>
    static T* CreateNamed(TComponent* aOwner, const QString& aName) {
        auto* e = new T(aOwner);
        e->m_name = aName;
        return e;
    }

    // Virtual operations in slot order.
    virtual void SetDisplayFormat(const QString& aValue);
    virtual QString GetName() { return m_name; }
    virtual QString GetDesignName() { return GetName(); }
    virtual TppDataType GetDataType() { return m_dataType; }

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment aValue);
    /// Sets the alignment without any change notice (the total captions' names do this).
    void SetAlignmentQuietly(TAlignment aValue) { m_alignment = aValue; }
    paint::TColor Color() const { return m_color; }
    void SetColor(paint::TColor aValue);
    QString DisplayFormat() const { return m_displayFormat; }
    TppFont* Font() const { return m_font.get(); }
    void SetFont(TppFont* aFont);
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue);
    QString Name() const { return m_name; }

    int ElementIndex = 0;  ///< set by the engine at each calculation
    int Left = 0, Top = 0, Height = 0, Width = 0, TextHeight = 0, TextWidth = 0;  ///< design-grid layout
    std::function<void(QObject* Sender)> OnElementChange;

    /// Calls OnElementChange unless the element is being read, loaded or freed.
    void DoElementChange();
    /// Changed (True) of the owning cross-tab; nothing without one.
    void Modified();
    /// The parent, grandparent or great-grandparent that is a cross-tab; null when none.
    TppCrossTab* GetCrossTab() const;
    /// Whether the class publishes DisplayFormat.
    bool HasDisplayFormat() const;
    QRect GetBoundsRect() const { return QRect(QPoint(Left, Top), QPoint(Left + Width, Top + Height)); }
    void Assign(TPersistent* aSource) override;

    const stream::PropertyList& StreamProperties() const override;

protected:
    bool Reading() const { return HasState(csReading | csLoading); }
    /// Stores a value through a setter's common tail: DoElementChange, Modified.
    void changed();
    TAlignment m_alignment = TAlignment::taCenter;
    TppDataType m_dataType = TppDataType::dtString;
    QString m_displayFormat;

private:
    paint::TColor m_color = paint::clWhite;
    std::unique_ptr<TppFont> m_font;
    QString m_name;
    bool m_visible = true;
};

/// A dimension bound to a pipeline field: its value in the current record (GetValue), the
/// caption of that value, its sort and null handling, and one subtotal per value definition.
class TppDimension : public TppElement {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDimension(TComponent* aOwner = nullptr);
    ~TppDimension() override;

    // Virtual operations in slot order.
    virtual void SetSkipNulls(bool aValue);
    /// The field's text (formatted with DisplayFormat when there is one), then event 58.
    virtual QString GetCaption();
    /// The field's value in the current record (Null without an active pipeline); Skip :=
    /// SkipNulls and the value is Null; then event 59, whose handler may change both.
    virtual QVariant GetValue();

    QString GetName() override;
    TppDataType GetDataType() override { return GetFieldDataType(); }

    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& aValue) { m_fieldName = aValue; }
    QString FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& aValue) { m_fieldAlias = aValue; }
    TppNullOrderType NullOrder() const { return m_nullOrder; }
    void SetNullOrder(TppNullOrderType aValue);
    bool SkipNulls() const { return m_skipNulls; }
    TppSortOrderType SortType() const { return m_sortType; }
    void SetSortType(TppSortOrderType aValue);
    /// The result of the last GetValue.
    bool SkipFlag() const { return m_skip; }
    /// Reads the value (so event 59 fires) and answers the skip flag.
    bool Skip();

    TppDataType GetFieldDataType() const;
    /// The parent's IndexOfChild; -1 without a parent.
    int GetIndex() const;
    /// Empties FieldAlias and FieldName.
    void Clear();
    int SubTotalCount() const { return int(m_subTotals.size()); }
    TppSubTotal* SubTotals(int aIndex) const;
    void MoveSubTotal(TppSubTotal* aSubTotal, int aNewIndex);
    void ShowSubTotals(bool aValue);
    /// Frees every subtotal, last first.
    void FreeSubTotals();

    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void AddChild(TppRelative* aChild) override;
    int IndexOfChild(const TppRelative* aChild) const override;
    int RemoveChild(TppRelative* aChild) override;
    void Assign(TPersistent* aSource) override;
    const stream::PropertyList& StreamProperties() const override;

protected:
    bool m_skipNulls = true;

private:
    QString m_fieldName;
    QString m_fieldAlias;
    TppNullOrderType m_nullOrder = TppNullOrderType::ctnoLast;
    TppSortOrderType m_sortType = TppSortOrderType::soAscending;
    bool m_skip = false;
    std::vector<TppSubTotal*> m_subTotals;  ///< owned
};

class TppColumnDef : public TppDimension {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppColumnDef(TComponent* aOwner = nullptr);
};

class TppRowDef : public TppDimension {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppRowDef(TComponent* aOwner = nullptr);
};

/// A value definition: the field to accumulate; CalcType and the caption formatting live in
/// its CaptionDef.
class TppValueDef : public TppDimension {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppValueDef(TComponent* aOwner = nullptr);
    ~TppValueDef() override;

    TppValueCaptionDef* CaptionDef() const { return m_captionDef; }
    TppDBCalcType CalcType() const;
    void SetCalcType(TppDBCalcType aValue);
    /// Also passes the format to the totals of this value definition.
    void SetDisplayFormat(const QString& aValue) override;
    void SetSkipNulls(bool aValue) override;
    /// "Sum of Amount", "Average Amount", ... unless a handler renamed it.
    QString GetName() override;
    QString GetDesignName() override;
    /// dtInteger for a count; a floating type for an average over an integer field (the
    /// average keeps its fraction); else the field's type.
    TppDataType GetDataType() override;

    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void AddChild(TppRelative* aChild) override;
    int RemoveChild(TppRelative* aChild) override;
    void Assign(TPersistent* aSource) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppValueCaptionDef* m_captionDef = nullptr;  ///< owned
};

/// The formatting of a total's value cells.
class TppTotalDef : public TppElement {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTotalDef(TComponent* aOwner = nullptr);
    QString GetName() override;
    QString GetDesignName() override;
    TppDataType GetDataType() override;
    const stream::PropertyList& StreamProperties() const override;
};

/// The caption of a total: "<dimension> Subtotal" or "Grand Total".
class TppTotalCaptionDef : public TppElement {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTotalCaptionDef(TComponent* aOwner = nullptr);
    QString GetName() override;
    const stream::PropertyList& StreamProperties() const override;
};

/// The caption of a value definition; holds its CalcType and null skipping.
class TppValueCaptionDef : public TppElement {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppValueCaptionDef(TComponent* aOwner = nullptr);
    TppDBCalcType CalcType() const { return m_calcType; }
    /// Outside reading, a calculation other than a count on a field that is not a date,
    /// time or number becomes a count.
    void SetCalcType(TppDBCalcType aValue);
    bool SkipNulls() const { return m_skipNulls; }
    void SetSkipNulls(bool aValue);
    QString GetName() override;
    QString GetDesignName() override { return GetName(); }
    void Assign(TPersistent* aSource) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppDBCalcType m_calcType = TppDBCalcType::dcSum;
    bool m_skipNulls = true;
};

/// A total of one value definition: a subtotal of a dimension or a grand total of the
/// cross-tab. It owns its caption and total definitions.
class TppTotal : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTotal(TComponent* aOwner = nullptr);
    ~TppTotal() override;

    TppTotalCaptionDef* CaptionDef() const { return m_captionDef; }
    TppTotalDef* TotalDef() const { return m_totalDef; }
    /// The index of the value definition it totals (its index in its parent's list).
    int ValueDefIndex() const;
    TppValueDef* GetValueDef() const;
    TppCrossTab* CrossTab() const;
    void ShowTotal(bool aVisible);
    bool GetVisible() const;

    void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const override;
    void AddChild(TppRelative* aChild) override;
    int RemoveChild(TppRelative* aChild) override;
    void Assign(TPersistent* aSource) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppTotalCaptionDef* m_captionDef = nullptr;  ///< owned
    TppTotalDef* m_totalDef = nullptr;           ///< owned
};

class TppSubTotal : public TppTotal {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSubTotal(TComponent* aOwner = nullptr);
};

/// ChildType 6 (column grand total) or 7 (row grand total), given by the cross-tab.
class TppGrandTotal : public TppTotal {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppGrandTotal(TComponent* aOwner = nullptr);
};
