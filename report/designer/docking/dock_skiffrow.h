#pragma once

#include "report/designer/docking/skiffrow_types.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>

#include <functional>

class QMainWindow;
class TppCustomToolWindowSkiffrow;
class TppDockSkiffrow;

/// Fired by a dock after a bar entered (Inserting) or left its DockList.
using TppInsertRemoveEvent = std::function<void(TppDockSkiffrow* Sender, bool Inserting, TppCustomToolWindowSkiffrow* Bar)>;

/// Sorts bars by DockRow, then by DockPos (a position of -1, "at the end", last), keeping the
/// order of equal ones.
void ppSortList(QList<TppCustomToolWindowSkiffrow*>& list);

/// One edge of a form that holds toolbars and tool windows in rows. The bars are placed by
/// their DockRow (0 = the row nearest the form's edge) and DockPos (order along the row);
/// the form's toolbar and dock areas (QMainWindow) do the placing and sizing, so a dock is
/// an object of the form, not a widget. Rows are kept without gaps: after every layout the
/// occupied rows are 0 .. n-1.
///
/// DockList holds the visible bars docked here, in row and position order after each
/// layout. While the arrangement lock count is above zero LayoutBars does nothing; the code
/// that releases the lock lays out itself.
class TppDockSkiffrow : public QObject {
    Q_OBJECT
public:
    /// EInvalidOperation "TppDockSkiffrow must be owned by a form" when owner is null.
    TppDockSkiffrow(QMainWindow* owner, TppDockPosition position);
    ~TppDockSkiffrow() override;

    QMainWindow* Form() const { return m_form; }
    QString Name() const { return objectName(); }

    TppDockPosition Position() const { return m_position; }
    /// EInvalidOperation "Cannot change Position of a TppDockSkiffrow if it already contains
    /// controls" while bars are docked here.
    void SetPosition(TppDockPosition position);
    /// 1 for top and bottom docks, 2 for left and right docks.
    int Orientation() const { return skiffrow::OrientationOf(m_position); }

    /// Bars docked here show a grip and can be dragged out; bars are dragged in only when set.
    bool AllowDrag() const { return m_allowDrag; }
    void SetAllowDrag(bool value);
    bool LimitToOneRow() const { return m_limitToOneRow; }
    void SetLimitToOneRow(bool value);
    bool FixAlign() const { return m_fixAlign; }
    void SetFixAlign(bool value);
    TppDockBoundLines BoundLines() const { return m_boundLines; }
    void SetBoundLines(TppDockBoundLines lines) { m_boundLines = lines; }
    QColor Color() const { return m_color; }
    void SetColor(const QColor& color) { m_color = color; }

    const QList<TppCustomToolWindowSkiffrow*>& DockList() const { return m_dockList; }
    /// Thickness of each row in pixels (the row's band on the form), rebuilt by LayoutBars.
    const QList<int>& RowSizes() const { return m_rowSizes; }

    /// Orders, compacts and places the bars (see the class comment).
    virtual void LayoutBars();
    /// Renumbers the rows of DockList's bars so that rows 0 .. n-1 are all occupied, keeping
    /// their order (DockList sorted first).
    void CompactRows();
    /// Rebuilds RowSizes: each row's thickness is the thickest bar's, at least 8 pixels.
    void MeasureRows() { measureRows(); }
    /// The row's measured thickness, else the bar's own.
    int RowThickness(int row, TppCustomToolWindowSkiffrow* bar) const;
    /// The row at a coordinate across the dock (pixels from the row-0 edge); newRow is set
    /// within 5 pixels of a row boundary and beyond the last row, where a new row opens.
    int DropRowAt(int coordinate, bool& newRow) const;
    int RowContaining(int coordinate) const;
    /// Every bar in row `row` or further out moves one row out.
    void OpenRow(int row);
    /// A bar entered (inserting) or left this dock, or changed its visibility.
    void BarListChanged(bool inserting, TppCustomToolWindowSkiffrow* bar, bool visible);

    void BeginArrange() { ++m_lockCount; }
    void EndArrange() { --m_lockCount; }
    int ArrangeLockCount() const { return m_lockCount; }

    /// The dock's rectangle on the form (form coordinates); for an empty dock a line of no
    /// thickness at its edge of the form's inner area.
    QRect ClientRect() const;
    /// ClientRect in screen coordinates.
    QRect ScreenRect() const;
    /// Pixels from the row-0 edge of the dock to a screen point, across the dock.
    int AcrossOffset(const QPoint& screenPoint) const;
    /// Pixels from the start of the dock to a screen point, along the dock.
    int AlongOffset(const QPoint& screenPoint) const;

    Qt::ToolBarArea ToolBarArea() const;
    Qt::DockWidgetArea DockWidgetArea() const;

    /// Fired after a bar entered or left DockList.
    TppInsertRemoveEvent OnInsertRemoveBar;
    /// Fired after the dock's thickness changed.
    std::function<void(TppDockSkiffrow* sender)> OnResize;

protected:
    /// Called by LayoutBars after the bars were placed.
    virtual void BarsLaidOut() {}

private:
    void placeOnForm();
    void measureRows();

    QMainWindow* m_form;
    TppDockPosition m_position;
    bool m_allowDrag = true;
    bool m_limitToOneRow = false;
    bool m_fixAlign = false;
    TppDockBoundLines m_boundLines;
    QColor m_color;
    int m_lockCount = 0;
    int m_lastThickness = -1;
    QList<TppCustomToolWindowSkiffrow*> m_dockList;
    QList<int> m_rowSizes;
    /// The arrangement last handed to the form: (bar, row) in order.
    QList<QPair<TppCustomToolWindowSkiffrow*, int>> m_placed;
};
