#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <map>

class QRubberBand;
class TppCustomToolWindowSkiffrow;
class TppDockSkiffrow;

namespace skiffrow {

/// One move of a bar with the mouse, from the press to the release: an outline follows the
/// pointer and shows whether the bar would dock (into which dock) or float. Ctrl held keeps
/// it floating; Escape, a second press or a quit cancel; the release completes the move.
/// While a drag runs it watches the application's input events; at most one runs at a time.
class BarDrag : public QObject {
    Q_OBJECT
public:
    static void Start(TppCustomToolWindowSkiffrow* bar, const QPoint& globalPos, bool ctrlHeld);
    /// The drag that runs now, or nullptr.
    static BarDrag* Current();

    TppCustomToolWindowSkiffrow* Bar() const { return m_bar; }
    /// Ends the drag without moving the bar (the bar is going away).
    void Abandon() { finish(false); }
    TppDockSkiffrow* Target() const { return m_target; }
    QRect Outline() const { return m_outline; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BarDrag(TppCustomToolWindowSkiffrow* bar, const QPoint& globalPos, bool ctrlHeld);
    ~BarDrag() override;
    void track(const QPoint& globalPos);
    bool DockAccepts(TppDockSkiffrow* dock, const QPoint& pointer) const;
    QRect outlineAt(const QSize& size, const QPoint& pointer) const;
    void finish(bool accept);

    TppCustomToolWindowSkiffrow* m_bar;
    QPointer<QWidget> m_barWidget;
    QPoint m_grab;          ///< press point in the frame widget's coordinates
    QSize m_startExtent;    ///< frame widget size at the press
    bool m_ctrl;
    QPoint m_startPointer;
    QPoint m_lastPointer;
    QPointer<TppDockSkiffrow> m_target;
    QRect m_outline;
    QSize m_floatSize;
    std::map<TppDockSkiffrow*, QSize> m_dockSizes;
    QRubberBand* m_band;
};

}  // namespace skiffrow
