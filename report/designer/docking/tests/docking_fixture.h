#pragma once

#include "report/designer/docking/application_activity.h"
#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/skiffrow.h"
#include "report/designer/docking/tool_window_skiffrow.h"
#include "report/designer/docking/toolbar_sep_skiffrow.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

/// A form with a dock on every edge, shown offscreen at a known place.
class DockingForm : public ::testing::Test {
public:
    void SetUp() override {
        skiffrow::ApplicationActivity::Instance().Drive(true);
        form = std::make_unique<QMainWindow>();
        form->setObjectName(QStringLiteral("Form"));
        auto* central = new QWidget(form.get());
        central->setObjectName(QStringLiteral("Central"));
        form->setCentralWidget(central);
        top = makeDock(ppdpTop, "TopDock");
        bottom = makeDock(ppdpBottom, "BottomDock");
        left = makeDock(ppdpLeft, "LeftDock");
        right = makeDock(ppdpRight, "RightDock");
        form->setGeometry(40, 40, 640, 440);
        form->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { form.reset(); QCoreApplication::processEvents(); }

    TppDockSkiffrow* makeDock(TppDockPosition p, const char* name) {
        auto* d = new TppDockSkiffrow(form.get(), p);
        d->setObjectName(QString::fromLatin1(name));
        return d;
    }

    /// A toolbar of `buttons` plain 23 by 22 buttons, docked where asked.
    TppSkiffrow* makeToolbar(const QString& name, int buttons, TppDockSkiffrow* dock, int row = 0, int pos = 0) {
        auto* bar = new TppSkiffrow(form.get(), name);
        for (int i = 0; i < buttons; ++i) {
            auto* b = new QWidget;
            b->setObjectName(name + QStringLiteral("Btn%1").arg(i));
            b->resize(23, 22);
            bar->AddControl(b);
        }
        bar->SetDockRowQuietly(row);
        bar->SetDockPosQuietly(pos);
        bar->SetDockedTo(dock);
        settle();
        return bar;
    }

    void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    /// Sends a left-button mouse event to `w` at a point of `w`, with its screen position.
    static void mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, mods);
        QApplication::sendEvent(w, &e);
    }
    /// A move of the held mouse to a screen point, sent to `w` (which holds the mouse).
    static void moveTo(QWidget* w, QPoint global) { mouse(w, QEvent::MouseMove, w->mapFromGlobal(global)); }
    static void releaseAt(QWidget* w, QPoint global) { mouse(w, QEvent::MouseButtonRelease, w->mapFromGlobal(global)); }
    static void key(QWidget* w, Qt::Key k, bool press) {
        QKeyEvent e(press ? QEvent::KeyPress : QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    /// A screen point in the middle of a dock's band (for an empty dock: on its edge line).
    QPoint inside(TppDockSkiffrow* d) const {
        const QRect r = d->ScreenRect();
        return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
    }

    std::unique_ptr<QMainWindow> form;
    TppDockSkiffrow* top = nullptr;
    TppDockSkiffrow* bottom = nullptr;
    TppDockSkiffrow* left = nullptr;
    TppDockSkiffrow* right = nullptr;
};
