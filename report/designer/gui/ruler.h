#pragma once

// The designer's rulers: one horizontal ruler over the workspace and one vertical ruler
// beside each band. A ruler shows the report's units with ticks and numbers, follows the
// workspace's scroll position and draws one or two guides that mark the mouse or the edges
// of what is being dragged. Its menu changes the units or hides the rulers.

#include "report/page/report_types.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QMenu;

namespace report {
class PrinterResolution;
}

enum class TppRulerOrientationType { roHorizontal, roVertical };

class TppRuler : public QWidget {
    Q_OBJECT
public:
    explicit TppRuler(QWidget* parent = nullptr);

    /// Single (a frame) or none; repaints on change.
    enum TBorderStyle { bsNone, bsSingle };
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v) {
        m_borderStyle = v;
        update();
    }
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool v) {
        m_ctl3D = v;
        update();
    }
    bool DualGuides() const { return m_dualGuides; }
    void SetDualGuides(bool v);
    TppRulerOrientationType Orientation() const { return m_orientation; }
    void SetOrientation(TppRulerOrientationType v);
    TppUnitType Units() const { return m_units; }
    /// When different: recomputes the scale and fires OnSetUnits.
    void SetUnits(TppUnitType aValue);
    TppLanguageType Language() const { return m_language; }
    void SetLanguage(TppLanguageType aLanguage);
    QColor Color = QColor(0xF0, 0xF0, 0xF0);

    /// Moves the guides (the second only with DualGuides).
    void SetGuides(int aFirst, int aSecond);
    void ClearGuides();
    int Guide1() const { return m_guide1; }
    int Guide2() const { return m_guide2; }
    void ScrollBy(int aDelta);
    void ResetScroll();
    int Offset() const { return m_offset; }

    /// One tick as painted: its drawn position, its length and its label (empty without).
    struct Tick {
        int index;     ///< i: the tick's number from 0
        int position;  ///< drawn position (after the scroll offset)
        int length;
        QString label;
    };
    /// The ticks a paint draws (what paintEvent draws), including the one at 0.
    std::vector<Tick> Ticks() const;
    double PixelsPerTick() const { return m_pixelsPerTick; }
    int TicksPerLabel() const { return m_ticksPerLabel; }
    double UnitsPerTick() const { return m_unitsPerTick; }
    bool HalfTicks() const { return m_halfTicks; }
    QMenu* PopupMenu() const { return m_menu; }

    std::function<void(TppRuler* Sender, const report::PrinterResolution*& aPrinter)> OnGetPrinter;
    std::function<void(QObject* Sender)> OnHide;
    std::function<void(QObject* Sender)> OnPaint;
    std::function<void(QObject* Sender)> OnSetUnits;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void computeScale();
    struct Layout {
        int thickness;
        int margin;
        int guideLength;
        int stripStart;
        int stripEnd;
    };
    Layout layout() const;

    TBorderStyle m_borderStyle = bsSingle;
    bool m_ctl3D = true;
    bool m_dualGuides = false;
    TppRulerOrientationType m_orientation = TppRulerOrientationType::roHorizontal;
    TppUnitType m_units = TppUnitType::utInches;
    TppLanguageType m_language = TppLanguageType::lgDefault;
    int m_guide1 = -1;
    int m_guide2 = -1;
    int m_offset = 0;
    double m_pixelsPerTick = 12;
    int m_ticksPerLabel = 8;
    double m_unitsPerTick = 0.125;
    bool m_halfTicks = true;
    QMenu* m_menu = nullptr;
};
