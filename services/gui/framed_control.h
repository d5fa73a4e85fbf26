#pragma once

#include "services/gui/frame_drawing.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

/// The frame behaviour the list-like file-system controls share with the directory tree:
/// with `FrameVisible` the control keeps a two-pixel margin and draws `DrawFrame` there in
/// `FrameStyle`; with `FrameFlat` the style follows focus and hover (`FrameFocusStyle`
/// while focused or hovered, `FrameFlatStyle` otherwise). `Color` is the background the
/// frame's inner rings are drawn in. A wheel turn scrolls by whole lines and never above 0.
template <class Base>
class TPlFramed : public Base {
public:
    explicit TPlFramed(QWidget* parent = nullptr) : Base(parent) {
        m_frameColor = this->palette().color(QPalette::Dark);
        this->setMouseTracking(true);
    }

    bool FrameVisible() const { return m_frameVisible; }
    void SetFrameVisible(bool v) {
        if (m_frameVisible == v) return;
        m_frameVisible = v;
        this->setFrameShape(v ? QFrame::NoFrame : QFrame::StyledPanel);
        const int m = v ? kMargin : 0;
        this->setViewportMargins(m, m, m, m);
        this->update();
    }
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void SetFrameStyle(TFrameStyle v) { m_frameStyle = v; this->update(); }
    QColor FrameColor() const { return m_frameColor; }
    void SetFrameColor(const QColor& v) { m_frameColor = v; this->update(); }
    TSides FrameSides() const { return m_frameSides; }
    void SetFrameSides(TSides v) { m_frameSides = v; this->update(); }
    bool FrameFlat() const { return m_frameFlat; }
    void SetFrameFlat(bool v) {
        m_frameFlat = v;
        if (v) {
            SetFrameVisible(true);
            m_frameSides = kAllSides;
            m_frameStyle = m_frameFlatStyle;
        }
        UpdateFrameStyle();
    }
    TFrameStyle FrameFlatStyle() const { return m_frameFlatStyle; }
    void SetFrameFlatStyle(TFrameStyle v) { m_frameFlatStyle = v; UpdateFrameStyle(); }
    TFrameStyle FrameFocusStyle() const { return m_frameFocusStyle; }
    void SetFrameFocusStyle(TFrameStyle v) { m_frameFocusStyle = v; UpdateFrameStyle(); }
    bool UseFrameController() const { return m_useFrameController; }
    void SetUseFrameController(bool v) { m_useFrameController = v; }
    /// The control's background (the list's base colour); the frame is redrawn on change.
    QColor Color() const { return this->palette().color(QPalette::Base); }
    void SetColor(const QColor& c) {
        QPalette p = this->palette();
        p.setColor(QPalette::Base, c);
        this->setPalette(p);
        this->update();
    }

protected:
    static constexpr int kMargin = 2;

    void UpdateFrameStyle() {
        if (m_frameFlat) m_frameStyle = (this->hasFocus() || m_mouseInControl) ? m_frameFocusStyle : m_frameFlatStyle;
        this->update();
    }

    bool event(QEvent* e) override {
        switch (e->type()) {
        case QEvent::Paint:
            if (m_frameVisible) {
                QPainter p(this);
                DrawFrame(p, this->width(), this->height(), m_frameSides, m_frameColor, Color(), m_frameStyle,
                          FrameColors::FromPalette(this->palette()));
                return true;
            }
            break;
        case QEvent::Enter:
            m_mouseInControl = true;
            UpdateFrameStyle();
            break;
        case QEvent::Leave:
            m_mouseInControl = false;
            UpdateFrameStyle();
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            const bool handled = Base::event(e);
            UpdateFrameStyle();
            return handled;
        }
        default:
            break;
        }
        return Base::event(e);
    }

    void wheelEvent(QWheelEvent* e) override {
        const int steps = e->angleDelta().y() / 120;
        if (steps == 0) return Base::wheelEvent(e);
        QScrollBar* bar = this->verticalScrollBar();
        const int lines = QApplication::wheelScrollLines() * std::abs(steps);
        if (steps < 0) bar->setValue(bar->value() + lines);
        else bar->setValue(std::max(0, bar->value() - lines));
        e->accept();
    }

private:
    bool m_frameVisible = false;
    TFrameStyle m_frameStyle = TFrameStyle::fsFlat;
    QColor m_frameColor;
    TSides m_frameSides = kAllSides;
    bool m_frameFlat = false;
    TFrameStyle m_frameFlatStyle = TFrameStyle::fsStatus;
    TFrameStyle m_frameFocusStyle = TFrameStyle::fsLowered;
    bool m_useFrameController = true;
    bool m_mouseInControl = false;
};
