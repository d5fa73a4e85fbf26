#include "report/designer/docking/toolbar_sep_skiffrow.h"

#include "report/designer/docking/skiffrow.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TppToolbarSepSkiffrow::TppToolbarSepSkiffrow(QWidget* parent) : QWidget(parent) { resize(6, 6); }

void TppToolbarSepSkiffrow::SetBlank(bool value) {
    m_blank = value;
    update();
}

void TppToolbarSepSkiffrow::SetSizeHorz(int value) {
    m_sizeHorz = std::max(1, value);
    rearrangeToolbar();
}

void TppToolbarSepSkiffrow::SetSizeVert(int value) {
    m_sizeVert = std::max(1, value);
    rearrangeToolbar();
}

void TppToolbarSepSkiffrow::SetVerticalToolbar(bool value) {
    m_verticalToolbar = value;
    update();
}

void TppToolbarSepSkiffrow::rearrangeToolbar() {
    if (TppSkiffrow* toolbar = TppSkiffrow::ToolbarOf(this)) toolbar->Rearrange();
}

void TppToolbarSepSkiffrow::paintEvent(QPaintEvent*) {
    if (m_blank || !TppSkiffrow::ToolbarOf(this)) return;
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    if (m_verticalToolbar) {
        const int y = height() / 2;
        p.setPen(shadow);
        p.drawLine(0, y - 1, width() - 1, y - 1);
        p.setPen(light);
        p.drawLine(0, y, width() - 1, y);
    } else {
        const int x = width() / 2;
        p.setPen(shadow);
        p.drawLine(x - 1, 0, x - 1, height() - 1);
        p.setPen(light);
        p.drawLine(x, 0, x, height() - 1);
    }
}

void TppToolbarSepSkiffrow::mousePressEvent(QMouseEvent* event) { event->ignore(); }
