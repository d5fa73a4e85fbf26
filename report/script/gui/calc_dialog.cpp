#include "report/script/gui/calc_dialog.h"

#include "report/script/code_module.h"
#include "report/script/gui/code_editor.h"
#include "report/script/gui/code_toolbox.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/script/program.h"
#include "report/designer/gui/designer_window.h"
#include "report/model/custom_report.h"
#include "report/page/resource_manager.h"

#include "platform/settings/ini_file.h"
#include "platform/ui/run_guarded.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("CalcDialog");

TppDesignerWindow* designerOf(TppCustomReport* aReport) {
    for (TppCustomReport* r = aReport; r; r = r->ParentReport())
        if (auto* w = qobject_cast<TppDesignerWindow*>(r->ReportDesigner())) return w;
    return nullptr;
}
}  // namespace

TraCalcDialog::TraCalcDialog(QObject* aOwner) : TppForm(aOwner) {
    script::gui::DeclareScriptGuiTexts();
    setObjectName(QStringLiteral("TraCalcDialog"));
    resize(614, 466);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splToolbox"));
    m_splitter->setHandleWidth(2);
    m_editor = new TraCodeEditor(m_splitter);
    m_editor->setObjectName(QStringLiteral("TraCodeEditor"));
    m_editor->BodyMode = true;
    m_editor->ApplyOnExit = false;
    m_editor->SlotKind = 0;
    m_toolboxPanel = new QWidget(m_splitter);
    m_toolboxPanel->setObjectName(QStringLiteral("pnlToolbox"));
    m_toolbox = new TraToolBox(m_toolboxPanel);
    auto* tl = new QVBoxLayout(m_toolboxPanel);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(m_toolbox);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setSizes({614 - 250, 250});

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    btnOK = new QPushButton(pnlBottom);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(pnlBottom);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* bl = new QHBoxLayout(pnlBottom);
    bl->addStretch(1);
    bl->addWidget(btnOK);
    bl->addWidget(btnCancel);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFixedWidth(50);
        StatusBar1->addWidget(m_panels[i]);
    }
    m_panels[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(pnlBottom);
    layout->addWidget(StatusBar1);

    m_popup = new TraCodeEditorPopupMenu(m_editor, this);
    m_editor->Edit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor->Edit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_popup->popup(m_editor->Edit()->mapToGlobal(p)); });
    m_editor->OnCreateProgram = [this] { createHandler(); };
    m_editor->OnDeleteProgram = [this](TraProgram* p) { deleteHandler(p); };
    m_editor->OnAfterApply = [this] {
        if (m_handler) m_appliedSource = m_handler->Source();
        if (m_codeModule) m_codeModule->SetModified(true);
    };
    m_editor->OnCaretMoved = [this] { showCaret(); };
    m_editor->OnDragDrop = [this](int x, int y, const QString& text) { return DropCode(x, y, text); };
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnCancelClick(); }); });
    LanguageChanged();
}

TraCalcDialog::~TraCalcDialog() {
    delete m_detached;
    m_detached = nullptr;
    writeSettings();
    delete m_popup;
    m_popup = nullptr;
}

void TraCalcDialog::LanguageChanged() {
    setWindowTitle(report::MessageText(197));
    btnOK->setText(report::MessageText(17));
    btnCancel->setText(report::MessageText(5));
    if (m_popup) m_popup->LanguageChanged();
    if (m_toolbox) m_toolbox->LanguageChanged();
}

void TraCalcDialog::ReportAssigned() {
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (!report) return;
    m_toolbox->SetReport(report);
    m_codeModule = GetCodeModule(report);
    if (!m_codeModule) m_codeModule = TppReportModule::CreateForReport<TraCodeModule>(report);
    TppDesignerWindow* designer = designerOf(report);
    m_variable = designer ? designer->SelectedObject() : nullptr;
    m_handler = m_codeModule->FindEventHandler(m_variable, QStringLiteral("OnCalc"));
    if (m_handler) m_appliedSource = m_handler->Source();
    m_editor->SetProgram(m_handler);
    const bool editable = designer ? designer->OrvelOptions().Contains(TppOrvelOption::roEditVariables) : true;
    m_editor->SetReadOnly(!editable);
    readSettings();
}

void TraCalcDialog::readSettings() {
    settings::IniFile ini(TppDesignerWindow::SettingsFileName());
    QRect screen(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
    const int w = ini.ReadInteger(kSection, QStringLiteral("Width"), width());
    const int h = ini.ReadInteger(kSection, QStringLiteral("Height"), height());
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), (screen.width() - w) / 2);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), (screen.height() - h) / 2);
    setGeometry(left, top, w, h);
    const int toolboxWidth = ini.ReadInteger(kSection, QStringLiteral("ToolboxWidth"), 250);
    m_splitter->setSizes({std::max(50, w - toolboxWidth), toolboxWidth});
    const int panelHeight = std::max(100, h - pnlBottom->sizeHint().height() - StatusBar1->sizeHint().height());
    const int treeHeight = ini.ReadInteger(kSection, QStringLiteral("ToolboxTreeHeight"), panelHeight / 5);
    m_toolbox->Explorer()->Splitter()->setSizes({treeHeight, std::max(40, panelHeight - treeHeight)});
    m_settingsRead = true;
}

void TraCalcDialog::writeSettings() {
    if (!m_settingsRead) return;
    settings::IniFile ini(TppDesignerWindow::SettingsFileName());
    const QRect g = geometry();
    ini.WriteInteger(kSection, QStringLiteral("Left"), g.left());
    ini.WriteInteger(kSection, QStringLiteral("Top"), g.top());
    ini.WriteInteger(kSection, QStringLiteral("Width"), g.width());
    ini.WriteInteger(kSection, QStringLiteral("Height"), g.height());
    ini.WriteInteger(kSection, QStringLiteral("ToolboxWidth"), m_splitter->sizes().value(1));
    ini.WriteInteger(kSection, QStringLiteral("ToolboxTreeHeight"), m_toolbox->Explorer()->Splitter()->sizes().value(0));
}

void TraCalcDialog::createHandler() {
    auto* variable = qobject_cast<TppCommunicator*>(m_variable.data());
    if (!m_codeModule || !variable) return;
    m_createdHere = true;
    m_handler = m_codeModule->CreateEventHandler(variable, QStringLiteral("OnCalc"));
    m_editor->SetProgram(m_handler);
}

void TraCalcDialog::deleteHandler(TraProgram* aProgram) {
    if (!aProgram || aProgram != m_handler) return;
    if (m_createdHere) {
        if (TraCodeModule* owner = m_handler->CodeModule()) owner->FreeProgram(m_handler);
        else delete m_handler;
    } else {
        m_handler->SetCodeModule(nullptr);
        delete m_detached;
        m_detached = m_handler;
    }
    m_handler = nullptr;
    m_appliedSource.clear();
    m_createdHere = false;
    m_toolbox->Explorer()->Tree()->setFocus();
}

void TraCalcDialog::btnOKClick() {
    m_editor->Compile();
    EndModal(report::ModalResult::mrOk);
}

void TraCalcDialog::btnCancelClick() {
    if (m_createdHere && m_handler) {
        TraEventHandler* h = m_handler;
        m_handler = nullptr;
        m_editor->SetProgram(nullptr);
        if (TraCodeModule* owner = h->CodeModule()) owner->FreeProgram(h);
        else delete h;
    } else if (m_handler && !m_appliedSource.isNull()) {
        m_handler->SetSource(m_appliedSource);
    }
    if (m_detached && m_codeModule) {
        m_detached->SetCodeModule(m_codeModule);
        m_detached = nullptr;
    }
    EndModal(report::ModalResult::mrCancel);
}

void TraCalcDialog::showCaret() {
    const QPoint caret = m_editor->CaretPosition();
    m_panels[0]->setText(QStringLiteral("%1: %2  ").arg(caret.y()).arg(caret.x()));
}

bool TraCalcDialog::DropCode(int aX, int aY, const QString& aText) {
    if (aText.isEmpty() || m_editor->ReadOnly()) return false;
    m_editor->DropText(aX, aY, aText);
    return true;
}
