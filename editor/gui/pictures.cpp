#include "editor/gui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

namespace editor {

QPixmap ProgramPicture(QSize size) {
    QPixmap pix(size);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, size.width(), size.height());
    ground.setColorAt(0, QColor(24, 52, 104));
    ground.setColorAt(1, QColor(70, 120, 190));
    p.fillRect(pix.rect(), ground);

    // A tree of keys down the right-hand side, faint, as the editor shows a table.
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    const int x0 = size.width() * 6 / 10;
    const int step = size.height() / 8;
    for (int i = 0; i < 6; ++i) {
        const int indent = (i % 3) * 18;
        const int y = step + i * step;
        p.drawLine(x0 + indent - 10, y - step / 2, x0 + indent - 10, y);
        p.drawLine(x0 + indent - 10, y, x0 + indent, y);
        p.fillRect(QRect(x0 + indent + 2, y - 5, 10, 10), QColor(255, 255, 255, 120));
        p.fillRect(QRect(x0 + indent + 18, y - 2, 60 - indent, 4), QColor(255, 255, 255, 70));
    }
    return pix;
}

namespace {

QPixmap blank() {
    QPixmap pix(20, 20);
    pix.fill(Qt::transparent);
    return pix;
}

void drawDocument(QPainter& p, const QColor& fold) {
    QPainterPath page;
    page.moveTo(4, 2);
    page.lineTo(12, 2);
    page.lineTo(16, 6);
    page.lineTo(16, 18);
    page.lineTo(4, 18);
    page.closeSubpath();
    p.fillPath(page, Qt::white);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawPath(page);
    p.fillRect(QRect(12, 2, 4, 4), fold);
}

void drawArrow(QPainter& p, bool inwards) {
    p.setPen(QPen(QColor(20, 110, 40), 2));
    if (inwards) {
        p.drawLine(18, 10, 10, 10);
        p.drawLine(10, 10, 13, 7);
        p.drawLine(10, 10, 13, 13);
    } else {
        p.drawLine(8, 10, 17, 10);
        p.drawLine(17, 10, 14, 7);
        p.drawLine(17, 10, 14, 13);
    }
}

void drawTree(QPainter& p, bool expanded) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawRect(2, 2, 8, 8);
    p.drawLine(4, 6, 8, 6);
    if (!expanded) p.drawLine(6, 4, 6, 8);
    p.drawLine(6, 10, 6, 16);
    p.drawLine(6, 16, 11, 16);
    p.drawLine(6, 13, 11, 13);
    p.fillRect(QRect(12, 12, 6, 3), QColor(40, 90, 170));
    p.fillRect(QRect(12, 15, 6, 3), QColor(40, 90, 170));
    if (!expanded) p.fillRect(QRect(12, 4, 6, 3), QColor(40, 90, 170));
}

}  // namespace

QIcon ToolbarIcon(const char* name) {
    QPixmap pix = blank();
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const auto is = [name](const char* n) { return std::strcmp(name, n) == 0; };
    if (is("Open")) {
        p.fillRect(QRect(2, 6, 16, 11), QColor(230, 190, 80));
        p.setPen(QColor(120, 90, 20));
        p.drawRect(2, 6, 16, 11);
        p.fillRect(QRect(2, 4, 7, 3), QColor(230, 190, 80));
    } else if (is("SaveCopy")) {
        p.fillRect(QRect(3, 3, 14, 14), QColor(50, 80, 160));
        p.fillRect(QRect(6, 3, 8, 5), Qt::white);
        p.fillRect(QRect(6, 11, 8, 6), QColor(210, 210, 210));
    } else if (is("Import")) {
        drawDocument(p, QColor(20, 110, 40));
        drawArrow(p, true);
    } else if (is("Export")) {
        drawDocument(p, QColor(170, 60, 30));
        drawArrow(p, false);
    } else if (is("Print")) {
        p.fillRect(QRect(2, 8, 16, 7), QColor(120, 120, 120));
        p.fillRect(QRect(5, 3, 10, 5), Qt::white);
        p.fillRect(QRect(5, 13, 10, 5), Qt::white);
    } else if (is("Add")) {
        p.setPen(QPen(QColor(20, 130, 40), 3));
        p.drawLine(10, 4, 10, 16);
        p.drawLine(4, 10, 16, 10);
    } else if (is("Edit")) {
        p.setPen(QPen(QColor(180, 120, 30), 3));
        p.drawLine(5, 15, 15, 5);
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(3, 17, 6, 16);
    } else if (is("Delete")) {
        p.setPen(QPen(QColor(190, 30, 30), 3));
        p.drawLine(5, 5, 15, 15);
        p.drawLine(15, 5, 5, 15);
    } else if (is("Find") || is("FindNext")) {
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.drawEllipse(QPoint(8, 8), 5, 5);
        p.drawLine(12, 12, 17, 17);
        if (is("FindNext")) {
            p.setPen(QPen(QColor(20, 110, 40), 2));
            p.drawLine(14, 3, 18, 6);
            p.drawLine(18, 6, 14, 9);
        }
    } else if (is("Refresh")) {
        p.setPen(QPen(QColor(20, 110, 40), 2));
        p.drawArc(QRect(4, 4, 12, 12), 30 * 16, 300 * 16);
        p.drawLine(15, 4, 15, 8);
        p.drawLine(15, 8, 11, 8);
    } else if (is("Expand")) {
        drawTree(p, false);
    } else if (is("Collapse")) {
        drawTree(p, true);
    } else if (is("Repair")) {
        p.setPen(QPen(QColor(90, 90, 90), 3));
        p.drawLine(5, 15, 13, 7);
        p.drawEllipse(QPoint(14, 6), 3, 3);
    } else if (is("Help")) {
        p.setPen(QPen(QColor(40, 80, 170), 2));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(16);
        p.setFont(f);
        p.drawText(pix.rect(), Qt::AlignCenter, QStringLiteral("?"));
    } else {
        return {};
    }
    p.end();
    return QIcon(pix);
}

}  // namespace editor
