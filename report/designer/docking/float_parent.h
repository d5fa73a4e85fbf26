#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QToolButton;
class TppCustomToolWindowSkiffrow;

namespace skiffrow {
class FloatCaption;
}

/// The small captioned window a bar floats in: a tool window of the bar's form that never
/// takes the focus, with a frame of FrameSize() pixels, a caption ("Caption", drawn in the
/// inactive colours while the bar's inactive-caption flag is set) with a close button
/// ("CloseButton", shown when the bar's CloseButton is set), and the bar below the caption.
/// A press on the caption drags the bar; a press on the frame of a resizable bar sizes it
/// (Escape cancels); a close request (Alt+F4) closes the form instead.
class TFloatParent : public QWidget {
    Q_OBJECT
public:
    TFloatParent(TppCustomToolWindowSkiffrow* bar, QWidget* form);
    ~TFloatParent() override;

    static constexpr int FrameSize() { return 3; }
    int CaptionHeight() const;
    TppCustomToolWindowSkiffrow* Bar() const { return m_bar; }
    QWidget* Caption() const;
    QToolButton* CloseButtonControl() const { return m_close; }

    /// Puts the bar's widget into the client area.
    void Embed(QWidget* barWidget);
    void Release(QWidget* barWidget);
    /// Resizes the window to its bar's size without counting it as a user's change.
    void FitToBar();
    /// The outer size for a bar client of the given size.
    QSize OuterSizeFor(const QSize& clientSize) const;
    void UpdateCaption();
    void SetCaptionText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int sizingEdgesAt(const QPoint& pos) const;
    void endSizing(bool accept);

    TppCustomToolWindowSkiffrow* m_bar;
    skiffrow::FloatCaption* m_caption;
    QToolButton* m_close;
    /// Edges being dragged (Qt::Edges bits); 0 while not sizing.
    int m_sizingEdges = 0;
    QPoint m_sizingStart;
    QRect m_sizingStartRect;
};
