#include "editor/gui/brand_panel.h"

#include "editor/gui/pictures.h"
#include "platform/ui/gui/make.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>

namespace editor {

QFrame* MakeBrandPanel(QWidget* parent, QLabel*& version) {
    auto* panel = ui::Make<QFrame>(parent, "Panel1");
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);

    auto* picture = ui::Make<QLabel>(panel, "ProgramIcon");
    picture->setScaledContents(true);
    picture->setPixmap(ProgramPicture(QSize(449, 190)));
    auto* title = ui::Make<QLabel>(panel, "Label1", QStringLiteral("Registry Editor"));
    QFont titleFont(QStringLiteral("Arial"), 20, QFont::Bold);
    title->setFont(titleFont);
    version = ui::Make<QLabel>(panel, "Version");
    QFont versionFont(QStringLiteral("Arial"), 10);
    versionFont.setItalic(true);
    version->setFont(versionFont);
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {title, version}) {
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(lp);
    }

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->addWidget(picture, 0, 0, 2, 1);
    grid->addWidget(title, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(version, 1, 0, Qt::AlignRight | Qt::AlignBottom);
    title->setContentsMargins(24, 0, 0, 0);
    version->setContentsMargins(0, 0, 12, 10);
    title->raise();
    version->raise();
    return panel;
}

}  // namespace editor
