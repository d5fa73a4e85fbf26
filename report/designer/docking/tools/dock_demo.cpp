// dock-demo: a form with bars in every dock, a floating tool window, an open drop-down panel
// and a torn-off copy; with an argument it saves a picture of each window to that folder
// and quits.

#include "report/designer/docking/application_activity.h"
#include "report/designer/docking/designer_bars.h"
#include "report/designer/docking/drop_down_panel.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/toolbar_sep_skiffrow.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

QImage swatch(const QColor& c) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(QColor(0, 128, 128));
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) img.setPixel(x, y, (x == 2 || y == 2 || x == 13 || y == 13) ? qRgb(0, 0, 0) : c.rgb());
    return img;
}

TppToolbar* toolbar(QMainWindow* form, const QString& name, const QStringList& captions, TppDockSkiffrow* dock, int row) {
    auto* bar = new TppToolbar(form, name);
    bar->SetCaption(name);
    for (const QString& c : captions) {
        if (c == QLatin1String("|")) {
            bar->AddControl(new TppToolbarSepSkiffrow);
            continue;
        }
        auto* b = new TppToolbarButton;
        b->setObjectName(c);
        b->SetCaption(c);
        b->resize(std::max(23, b->fontMetrics().horizontalAdvance(c) + 10), 22);
        bar->AddControl(b);
    }
    bar->SetDockRowQuietly(row);
    bar->SetDockedTo(dock);
    return bar;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    skiffrow::ApplicationActivity::Instance().Drive(true);
    QMainWindow form;
    form.setObjectName(QStringLiteral("DockDemo"));
    form.setWindowTitle(QStringLiteral("Report Designer"));
    auto* page = new QPlainTextEdit(&form);
    page->setPlainText(QStringLiteral("Design surface"));
    form.setCentralWidget(page);
    auto* top = new TppDock(&form, ppdpTop);
    top->setObjectName(QStringLiteral("TopDock"));
    auto* bottom = new TppDock(&form, ppdpBottom);
    bottom->setObjectName(QStringLiteral("BottomDock"));
    auto* left = new TppDock(&form, ppdpLeft);
    left->setObjectName(QStringLiteral("LeftDock"));
    auto* right = new TppDock(&form, ppdpRight);
    right->setObjectName(QStringLiteral("RightDock"));
    form.setGeometry(60, 40, 760, 520);
    form.show();

    toolbar(&form, "Standard", {"New", "Open", "Save", "|", "Print", "Preview", "|", "Cut", "Copy", "Paste"}, top, 0);
    auto* draw = toolbar(&form, "Draw", {"Fill", "Line", "|", "Front", "Back"}, top, 1);
    toolbar(&form, "Align", {"L", "C", "R", "|", "T", "M", "B"}, left, 0);
    toolbar(&form, "Nudge", {"Up", "Dn", "|", "Lt", "Rt"}, right, 0);
    toolbar(&form, "Size", {"Widest", "Narrowest", "|", "Tallest", "Shortest"}, bottom, 0);

    auto* tree = new TppToolWindow(&form, QStringLiteral("ReportTree"));
    tree->SetCaption(QStringLiteral("Report Tree"));
    auto* label = new QLabel(QStringLiteral("Title\nHeader\nDetail\nFooter"), tree->Client());
    label->move(6, 6);
    label->show();
    tree->SetClientSize(QSize(150, 120));
    tree->SetFloatLeft(520);
    tree->SetFloatTop(300);
    tree->SetDockedTo(nullptr);

    auto* fill = draw->Client()->findChild<TppToolbarButton*>(QStringLiteral("Fill"));
    auto* panel = new TppDropDownPanel(&form, QStringLiteral("FillPalette"));
    panel->resize(4 * 22 + 8, 2 * 22 + 8);
    const QList<QColor> colours{Qt::black, Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta, Qt::white};
    for (int i = 0; i < colours.size(); ++i) {
        auto* b = new TppToolbarButton(panel);
        b->setObjectName(QStringLiteral("Colour%1").arg(i));
        b->SetGlyph(swatch(colours[i]));
        b->setGeometry(4 + (i % 4) * 22, 4 + (i / 4) * 22, 22, 22);
    }
    panel->setWindowTitle(QStringLiteral("Fill Colour"));
    panel->SetTearOff(true);
    panel->SetTearOffHint(QStringLiteral("Drag to make this menu float"));
    fill->SetDropDownPanel(panel);

    app.processEvents();
    auto* torn = panel->CreateTornOffWindow();
    torn->SetFloatLeft(100);
    torn->SetFloatTop(380);
    torn->SetDockedTo(nullptr);
    torn->SetVisible(true);
    fill->SetDropDownActive(true);
    app.processEvents();

    if (argc > 1) {
        const QDir out(QString::fromLocal8Bit(argv[1]));
        QTimer::singleShot(200, &app, [&, out] {
            // The whole desktop as the user sees it: the form with its floating windows over it.
            QImage shot(form.frameGeometry().adjusted(0, 0, 60, 60).size(), QImage::Format_ARGB32);
            shot.fill(Qt::darkGray);
            QPainter p(&shot);
            const QPoint origin = form.frameGeometry().topLeft();
            p.drawPixmap(form.geometry().topLeft() - origin, form.grab());
            for (QWidget* w : {static_cast<QWidget*>(tree->FloatParent()), static_cast<QWidget*>(torn->FloatParent()),
                               static_cast<QWidget*>(panel)})
                if (w && w->isVisible()) p.drawPixmap(w->geometry().topLeft() - origin, w->grab());
            p.end();
            if (!shot.save(out.filePath(QStringLiteral("dock-demo.png")))) qWarning("cannot save %s", qPrintable(out.filePath(QStringLiteral("dock-demo.png"))));
            app.quit();
        });
    }
    return app.exec();
}
