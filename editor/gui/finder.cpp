#include "editor/gui/finder.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFinder::TFinder(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Finder"));
    setWindowTitle(QStringLiteral("Find"));

    auto* label = ui::Make<QLabel>(this, "Label1", QStringLiteral("Find what?"));
    FindStr = ui::Make<QComboBox>(this, "FindStr");
    FindStr->setEditable(true);
    FindStr->setInsertPolicy(QComboBox::NoInsert);
    FindStr->setDuplicatesEnabled(true);
    // The history must not change what was typed: "général" is not "GÉNÉRAL".
    FindStr->completer()->setCaseSensitivity(Qt::CaseSensitive);
    FindStr->setMinimumWidth(260);
    SearchDirection = ui::Make<QGroupBox>(this, "SearchDirection", QStringLiteral("Search Direction"));
    auto* forward = ui::Make<QRadioButton>(SearchDirection, "Forward", QStringLiteral("Forward"));
    auto* backward = ui::Make<QRadioButton>(SearchDirection, "Backward", QStringLiteral("Backward"));
    m_direction = new QButtonGroup(this);
    m_direction->addButton(forward, 0);
    m_direction->addButton(backward, 1);
    forward->setChecked(true);
    Wrap = ui::Make<QCheckBox>(this, "Wrap", QStringLiteral("Wrap"));
    Wrap->setChecked(true);
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("Find"));
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));

    auto* directionLayout = new QVBoxLayout(SearchDirection);
    directionLayout->addWidget(forward);
    directionLayout->addWidget(backward);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(OKBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(CancelBtn, QDialogButtonBox::RejectRole);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(FindStr, 1, 0, 1, 2);
    grid->addWidget(SearchDirection, 2, 0);
    grid->addWidget(Wrap, 2, 1, Qt::AlignTop);
    grid->addWidget(buttons, 0, 2, 3, 1);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int TFinder::DirectionIndex() const { return m_direction->checkedId() == 1 ? 1 : 0; }

void TFinder::SetDirectionIndex(int index) { m_direction->button(index == 1 ? 1 : 0)->setChecked(true); }

bool TFinder::Execute() {
    FindStr->setFocus();
    if (ui::ExecModal(*this) != QDialog::Accepted) return false;
    m_searchMade = true;
    m_searchText = FindStr->lineEdit()->text();
    {
        const QSignalBlocker block(FindStr);
        FindStr->addItem(m_searchText);
        FindStr->lineEdit()->setText(m_searchText);
    }
    return true;
}
