#include "editor/gui/about_box.h"

#include "editor/gui/brand_panel.h"
#include "editor/version_info.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(452, 195);
    QFrame* panel = editor::MakeBrandPanel(this, Version);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(panel);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Version->setText(editor::GetVersionValue(QStringLiteral("ProductVersion")));
}
