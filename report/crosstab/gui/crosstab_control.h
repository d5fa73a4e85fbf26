#pragma once

// The picture of a cross-tab's definition in the cross-tab designer: a diagram of boxes, one
// per definition element (column definitions stacked at the top, row definitions side by
// side at the left, value definitions with their calculation captions, subtotals and grand
// totals), plus the placeholders "new column", "new row" and "new value" into which fields
// are dropped. The user selects boxes, drops fields from the designer's field list on the
// diagram, moves definitions by dragging them, turns one kind into another by dropping it on
// a box of the other kind, and double-clicks a total to show or hide it. All sizes are
// screen pixels.
//
// Every press on the diagram starts a drag and every release is a drop on the diagram (a
// click when it is released where it was pressed). Fields come from the field list as a drop
// of the mime type kFieldMimeType holding the field's alias; a drag of an own box released
// over the field list is handed to OnDropOnFieldList.

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QScrollArea;
class TppCrossTab;
class TppElement;
class TppCrossTabControl;

namespace crosstab {
inline constexpr const char* kFieldMimeType = "application/x-dossara-crosstab-field";
}

/// The selected elements, with typed access to their common properties by name.
class TppCrossTabSelection : public QObject {
    Q_OBJECT
public:
    explicit TppCrossTabSelection(TppCrossTabControl* aControl);
    ~TppCrossTabSelection() override;

    int Count() const { return int(m_items.size()); }
    TppElement* Items(int i) const;
    int IndexOf(TppElement* aElement) const;
    /// Unless the element is already the first selected: clear, then add it.
    void Select(TppElement* aElement);
    void Add(TppElement* aElement);
    void Remove(TppElement* aElement);
    void Clear();
    /// Some selected element is a dimension or a value caption.
    bool HasDimensions() const { return m_hasDimensions; }
    /// Some selected element belongs to a total.
    bool HasTotals() const { return m_hasTotals; }
    /// There is a selection and every selected element knows the property.
    bool HasProperty(const QString& aName) const;
    /// The value of the first selected element.
    bool GetPropValue(const QString& aName, QVariant& aValue) const;
    /// Applies the value to every selected element, redrawing the diagram once.
    void SetPropValue(const QString& aName, const QVariant& aValue);

    std::function<void(TppCrossTabSelection*)> OnChange;
    std::function<void(TppCrossTabSelection*)> OnSelectedElementChange;

private:
    void recompute();
    void unhook(TppElement* aElement);
    TppCrossTabControl* m_control;
    std::vector<QPointer<TppElement>> m_items;
    bool m_hasDimensions = false;
    bool m_hasTotals = false;
};

/// The widget the diagram is painted on (the paint box).
class TppCrossTabPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TppCrossTabPaintBox(TppCrossTabControl* aControl, QWidget* aParent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TppCrossTabControl* m_control;
};

class TppCrossTabControl : public QObject {
    Q_OBJECT
public:
    TppCrossTabControl(TppCrossTab* aCrossTab, QWidget* aPanel);
    ~TppCrossTabControl() override;

    TppCrossTab* CrossTab() const { return m_crossTab; }
    TppCrossTabSelection* Selection() const { return m_selection.get(); }
    TppElement* NewColumnElement() const { return m_newColumn.get(); }
    TppElement* NewRowElement() const { return m_newRow.get(); }
    TppElement* NewValueElement() const { return m_newValue.get(); }
    TppCrossTabPaintBox* PaintBox() const { return m_paintBox; }
    QScrollArea* ScrollBox() const { return m_scrollBox; }
    QString HintText() const { return m_hintText; }
    bool Updating() const { return m_updating; }
    /// The diagram as last laid out, and with the selection and drop marker drawn on it.
    const QImage& Image() const { return m_image; }
    const QImage& WorkingImage() const { return m_working; }
    /// The elements in painting order.
    const std::vector<TppElement*>& PaintOrder() const { return m_paintOrder; }

    void BeginUpdate() { m_updating = true; }
    void EndUpdate();
    /// Lays out and paints (unless updating), then shows.
    void Refresh();
    void SetVisible(bool aValue);
    /// The first element in paint order whose box holds the point, else null.
    TppElement* ElementAt(const QPoint& aPoint) const;
    /// The placeholder under the point, else null.
    TppElement* PlaceholderAt(const QPoint& aPoint) const;
    bool IsPlaceholder(const TppElement* aElement) const;
    /// Toggles the visibility of the totals the selection touches.
    void ToggleTotals();
    /// Toggles one total (a column definition's subtotal stands for all of its subtotals, a
    /// column grand total for all column grand totals).
    void ToggleTotal(TppElement* aElement);
    /// Whether a drop of the source on the target would do something (the drop marker).
    bool ShowDropMarker(TppElement* aTarget, TppElement* aSource);
    void ClearDropMarker();
    QRect DropMarker() const { return m_marker; }
    /// The drop: moves, converts or adds definitions (fieldIndex: the field among the
    /// available fields when the source is the field list).
    void DropElement(TppElement* aTarget, TppElement* aSource, int aFieldIndex);

    /// The field list, the only foreign drag source accepted (for the removal drop).
    QPointer<QWidget> FieldListView;
    /// The field being dragged from the field list (its alias), asked when a drop carries none.
    std::function<QString()> OnGetDragField;
    /// A drag of an own box was released over the field list.
    std::function<void()> OnDropOnFieldList;
    std::function<void(TppCrossTabSelection*)> OnSelectionChange;
    std::function<void(const QString&)> OnHint;
    /// The clock of the double-click test, in milliseconds (tests set their own).
    std::function<qint64()> Clock;

    // Mouse handling of the paint box.
    void MousePress(const QPoint& aPoint, bool aCtrl);
    void MouseMove(const QPoint& aPoint, bool aCtrl);
    void MouseRelease(const QPoint& aPoint, const QPoint& aGlobal);
    /// A field dragged from the list over the diagram; answers whether a marker shows.
    bool FieldDragOver(const QPoint& aPoint, const QString& aAlias);
    void FieldDrop(const QPoint& aPoint, const QString& aAlias);

    /// Draws the selection state of one element into the working image.
    void DrawSelected(TppElement* aElement, bool aSelected);
    /// The element standing for another in drags (a value caption stands for its value).
    static TppElement* Standin(TppElement* aElement);

private:
    void layout();
    void paint();
    void measure(TppElement* aElement);
    void paintElement(QPainter& p, TppElement* aElement, bool aPlaceholder = false);
    void paintEmpty(QPainter& p, const QRect& aRect);
    void updateWorking();
    bool doubleClickTest();
    void setHint(const QString& aText);
    QRect referenceRect(TppElement* aElement) const;

    TppCrossTab* m_crossTab;
    std::unique_ptr<TppElement> m_newColumn, m_newRow, m_newValue;
    std::unique_ptr<TppCrossTabSelection> m_selection;
    QScrollArea* m_scrollBox = nullptr;
    TppCrossTabPaintBox* m_paintBox = nullptr;
    QImage m_image, m_working;
    std::vector<TppElement*> m_paintOrder;
    std::vector<QRect> m_emptyCells;
    QString m_hintText;
    bool m_updating = false;
    bool m_scrolledOnce = false;
    QRect m_marker{-1, -1, 0, 0};
    int m_markerKind = -1;
    bool m_markerHorizontal = true;
    // drag state
    bool m_pressed = false;
    QPoint m_pressPoint;
    TppElement* m_pressElement = nullptr;
    bool m_selectedByPress = false;
    bool m_draggingOwn = false;
    bool m_ctrl = false;
    // click tracker
    qint64 m_firstTime = 0, m_secondTime = 0;
    QPoint m_firstPos, m_secondPos;
    int m_presses = 0;  ///< presses recorded: 0 none, 1 the first, 2 both
};
