#include "report/output/gui/up_down.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

TppUpDown::TppUpDown(QLineEdit* aEdit) : QWidget(aEdit->parentWidget()), m_edit(aEdit) {}

TppUpDown* TppUpDown::CreateForEdit(QLineEdit* aEdit) {
    auto* upDown = new TppUpDown(aEdit);
    upDown->setObjectName(aEdit->objectName() + QStringLiteral("UpDown"));
    const int width = 15;
    upDown->setGeometry(aEdit->x() + aEdit->width() - width - 2, aEdit->y() + 2, width, aEdit->height() - 4);
    upDown->show();
    upDown->raise();
    return upDown;
}

void TppUpDown::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.setPen(Qt::black);
    const int c = width() / 2;
    for (int i = 0; i < 3; ++i) {
        painter.drawLine(c - i - 1, i + 2, c + i, i + 2);
        painter.drawLine(c - i - 1, height() - i - 3, c + i, height() - i - 3);
    }
}

void TppUpDown::mousePressEvent(QMouseEvent* event) {
    if (OnClick) {
        OnClick(event->position().y() < height() / 2 ? 1 : -1);
        return;
    }
    if (!m_edit) return;
    bool ok = false;
    const int value = m_edit->text().toInt(&ok);
    const int step = event->position().y() < height() / 2 ? 1 : -1;
    m_edit->setText(QString::number(std::max(m_min, (ok ? value : 0) + step)));
    Q_EMIT m_edit->editingFinished();
}
