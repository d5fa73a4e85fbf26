#include "core/gui/tree_note_form.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/explorer.h"
#include "core/gui/form_helpers.h"
#include "core/gui/main_form.h"
#include "core/gui/rich_note.h"
#include "core/gui/view_windows.h"
#include "core/log.h"
#include "core/main_data_mod.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/field.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int UM_NOTETOOLBAR = ui::kWmUser + 113;

const QString kForms = QStringLiteral("Forms");
const QString kTreeNoteForm = QStringLiteral("TreeNoteForm");
const QString kLayout = QStringLiteral("Layout");
/// The floating window's size when no usable one is stored, and the least taken from the
/// settings (the toolbar's buttons and a few lines of the note fit).
constexpr QSize kDefaultFloatingSize(320, 240);
constexpr QSize kMinFloatingSize(160, 120);

QPointer<TTreeNoteForm> g_treeNotes;
QPointer<TMainForm> g_mainForm;
core::ViewTables* g_tables = nullptr;

/// Sets a flag for a scope and gives it back its value afterwards.
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : m_flag(flag), m_was(flag) { flag = value; }
    ~FlagScope() { m_flag = m_was; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

QVBoxLayout* panelLayout(QWidget* panel) {
    if (!panel->layout()) {
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    return qobject_cast<QVBoxLayout*>(panel->layout());
}

}  // namespace

TTreeNoteForm::TTreeNoteForm(TMainForm* mainForm, core::ViewTables& tables)
    : QWidget(nullptr), m_mainForm(mainForm), m_tables(tables) {
    setObjectName(QStringLiteral("TreeNoteForm"));
    setWindowTitle(QStringLiteral("Tree Notes"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);

    Note = ui::Make<QTextEdit>(this, "Note");
    Note->setProperty("HelpContext", 45000);
    Note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Note->setReadOnly(true);
    Note->setAcceptRichText(true);
    Note->setContextMenuPolicy(Qt::CustomContextMenu);
    ToolBar = ui::Make<QToolBar>(this, "ToolBar");
    ToolBar->setIconSize(QSize(16, 16));
    SaveBtn = ui::Make<QToolButton>(ToolBar, "SaveBtn");
    SaveBtn->setIcon(core::ThemeIcon(QStringLiteral("document-save")));
    SaveBtn->setToolTip(QStringLiteral("Save"));
    SaveBtn->setProperty("Tag", 45004);
    CancelBtn = ui::Make<QToolButton>(ToolBar, "CancelBtn");
    CancelBtn->setIcon(core::ThemeIcon(QStringLiteral("edit-undo")));
    CancelBtn->setToolTip(QStringLiteral("Cancel"));
    CancelBtn->setProperty("Tag", 45005);
    Panel1 = ui::Make<QLabel>(ToolBar, "Panel1", QStringLiteral("Modified text not saved"));
    Panel1->setContentsMargins(6, 0, 6, 0);
    ToolBar->addWidget(SaveBtn);
    ToolBar->addWidget(CancelBtn);
    ToolBar->addSeparator();
    ToolBar->addWidget(Panel1);
    ToolBar->hide();

    const auto action = [this](const char* name, const char* icon, const QString& caption, int help) {
        auto* a = new QAction(icon ? core::ThemeIcon(QString::fromLatin1(icon)) : QIcon(), caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setProperty("HelpContext", help);
        addAction(a);
        return a;
    };
    A_SpellCheck = action("A_SpellCheck", nullptr, QStringLiteral("&Check spelling"), 45001);
    A_SpellCheck->setVisible(false);
    A_Dock = action("A_Dock", "window-new", QStringLiteral("&Dock general notes"), 45002);
    A_Dock->setToolTip(QStringLiteral("Dock to view form"));
    A_Close = action("A_Close", "window-close", QStringLiteral("&Close general notes"), 45003);
    A_Help = action("A_Help", "help-browser", QStringLiteral("&What's this?"), 0);

    FormPopupMenu = ui::Make<QMenu>(this, "FormPopupMenu");
    if (m_mainForm) {
        FormPopupMenu->addActions({m_mainForm->A_EditUndo, m_mainForm->A_EditCut, m_mainForm->A_EditCopy,
                                   m_mainForm->A_EditPaste, m_mainForm->A_EditSelectAll});
        FormPopupMenu->addSeparator();
    }
    FormPopupMenu->addActions({A_SpellCheck, A_Dock, A_Close});
    FormPopupMenu->addSeparator();
    FormPopupMenu->addAction(A_Help);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Note, 1);
    layout->addWidget(ToolBar);
    // The stored floating bounds hold, however small.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    Note->setMinimumSize(0, 0);

    connect(Note, &QTextEdit::textChanged, this, [this] { noteChange(); });
    connect(Note, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { FormPopupMenu->popup(Note->viewport()->mapToGlobal(pos)); });
    connect(SaveBtn, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [this] { SaveBtnClick(); }); });
    connect(CancelBtn, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [this] { CancelBtnClick(); }); });
    connect(A_Dock, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { SetDocked(!Docked()); }); });
    connect(A_Close, &QAction::triggered, this, [this] { close(); });
    connect(A_Help, &QAction::triggered, this, [this] {
        if (m_mainForm) m_mainForm->ShowControlHelp(Note);
    });
    Note->installEventFilter(this);
    m_tables.TreeNotesWindow = this;  // a QPointer: cleared when the window goes
}

TTreeNoteForm::~TTreeNoteForm() = default;

bool TTreeNoteForm::Docked() const { return !isWindow(); }

void TTreeNoteForm::updateReadOnly() {
    TExplorer* explorer = core::Explorer();
    Note->setReadOnly(!explorer || !explorer->HasSelection() || !ViewControl().CheckViewIndex(m_view) ||
                      ViewControl().IsNoteWindowOpen(m_view));
}

void TTreeNoteForm::ShowBranchNotes(int view) {
    FlagScope loading(m_loading, true);
    m_view = view;
    if (!ViewControl().CheckViewIndex(view) || ViewControl().GetViewCurrentNodeID(view) == -1) {
        m_view = -1;
        Note->clear();
        Note->document()->setModified(false);
        setWindowTitle(QStringLiteral("Notes"));
    } else if (TExplorer* explorer = core::Explorer(); explorer && !explorer->Loading()) {
        QString note;
        m_tables.LoadViewNote(view, note);
        core::LoadNoteText(Note, note);
        setWindowTitle(ViewControl().GetViewName(view) + QStringLiteral(" Notes"));
        QPalette p = Note->palette();
        p.setColor(QPalette::Base, core::ViewColor(ViewControl().GetNoteFormColor(view), Note));
        Note->setPalette(p);
        const QImage icon = ViewControl().GetViewSmallIcon(view);
        if (!icon.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    }
    updateReadOnly();
    Note->viewport()->update();
}

void TTreeNoteForm::noteChange() {
    if (m_loading || !ToolBar->isHidden() || Globals().ProgramDocking || m_view < 0) return;
    ui::PostMessage(this, UM_NOTETOOLBAR);
}

void TTreeNoteForm::SaveBtnClick() {
    if (Note->document()->isModified()) {
        if (m_tables.SaveViewNote(m_view, core::NoteTextToStore(Note))) {
            Note->document()->setModified(false);
            ShowBranchNotes(m_view);
        }
    } else {
        ViewControl().SetNoteModified(m_view, false);
    }
    ToolBar->hide();
}

void TTreeNoteForm::CancelBtnClick() {
    ViewControl().SetNoteModified(m_view, false);
    ToolBar->hide();
    ShowBranchNotes(m_view);
}

void TTreeNoteForm::saveOrCancelMessage() {
    ToolBar->show();
    ui::Message(QStringLiteral("You must save or cancel your changes before you can continue."), ui::MessageKind::Error,
                ui::Button::Ok, 10067);
    Note->setFocus();
}

bool TTreeNoteForm::event(QEvent* e) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(e)) {
        if (QCoreApplication::closingDown()) return true;
        ui::RunGuarded(this, [&] {
            if (m->Msg == UM_NOTETOOLBAR) {
                ToolBar->show();
                ViewControl().SetNoteModified(m_view, true);
            } else if (m->Msg == UM_SAVEORCANCEL) {
                if (!Docked()) {
                    if (isMinimized()) showNormal();
                    raise();
                }
                if (m->WParam == 1) saveOrCancelMessage();
            }
        });
        return true;
    }
    if (e->type() == QEvent::WindowActivate) updateReadOnly();
    return QWidget::event(e);
}

bool TTreeNoteForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Note && e->type() == QEvent::FocusIn && !m_loading) updateReadOnly();
    return QWidget::eventFilter(watched, e);
}

void TTreeNoteForm::closeEvent(QCloseEvent* e) {
    if (!m_forceClose && !ToolBar->isHidden()) {
        e->ignore();
        saveOrCancelMessage();
        return;
    }
    saveLayout();
    e->accept();
}

void TTreeNoteForm::CloseWindow() {
    m_forceClose = true;
    if (!ToolBar->isHidden()) ViewControl().SetNoteModified(m_view, false);
    if (Docked()) {
        saveLayout();
        delete this;
        return;
    }
    close();
}

void TTreeNoteForm::saveLayout() {
    try {
        core::WriteRegBool(kForms, kTreeNoteForm, kLayout, QStringLiteral("Docked"), Docked());
        if (!Docked()) {
            const QRect g = geometry();
            QRect bounds;
            bounds.setCoords(g.x(), g.y(), g.x() + g.width(), g.y() + g.height());
            core::WriteRegRect(kForms, kTreeNoteForm, kLayout, QStringLiteral("Position"), bounds);
        }
    } catch (const std::exception& error) {
        qCWarning(lcCore) << "the tree-notes layout was not stored:" << error.what();
    }
}

void TTreeNoteForm::SetDocked(bool dock) {
    if (!m_mainForm) return;
    FlagScope loading(m_loading, true);
    if (dock) {
        if (!Docked()) {
            FlagScope docking(Globals().ProgramDocking, true);
            hide();
            setParent(m_mainForm->LeftDockPanel);
            panelLayout(m_mainForm->LeftDockPanel)->addWidget(this, 0);
            setMinimumHeight(120);
            show();
        }
        A_Dock->setText(QStringLiteral("&Undock general notes"));
        return;
    }
    const QRect stored = core::ReadRegRect(kForms, kTreeNoteForm, kLayout, QStringLiteral("Position"),
                                           QStringLiteral("50,50,100,100"));
    QRect bounds(stored.left(), stored.top(), stored.right() - stored.left(), stored.bottom() - stored.top());
    // A stored place too small for a usable window (nothing stored yet: 50 by 50 pixels, or a
    // damaged row) gives the usual size, centred.
    const bool usable = bounds.width() >= kMinFloatingSize.width() && bounds.height() >= kMinFloatingSize.height();
    if (!usable) bounds = QRect(QPoint(0, 0), kDefaultFloatingSize);
    if (Docked()) {
        FlagScope docking(Globals().ProgramDocking, true);
        if (parentWidget() && parentWidget()->layout()) parentWidget()->layout()->removeWidget(this);
        hide();
        setParent(m_mainForm, Qt::Tool);
        setMinimumHeight(0);
    }
    setGeometry(bounds);
    show();
    A_Dock->setText(QStringLiteral("&Dock general notes"));
    if (!usable || !core::IsOnScreen(this)) core::CenterOnScreen(this);
}

namespace core {

TTreeNoteForm* TreeNotes() { return g_treeNotes.data(); }

void ShowTreeNotes(bool lockUpdates) {
    if (g_treeNotes) {
        if (!g_treeNotes->Docked()) {
            if (g_treeNotes->isMinimized()) g_treeNotes->showNormal();
            g_treeNotes->raise();
        }
        return;
    }
    if (!g_mainForm || !g_tables) return;
    auto* form = new TTreeNoteForm(g_mainForm, *g_tables);
    g_treeNotes = form;
    if (lockUpdates) form->setUpdatesEnabled(false);
    form->setParent(g_mainForm, Qt::Tool);
    form->ToolBar->hide();
    if (UserPrefs().RestoreScreenLayout) {
        bool docked = false;
        try {
            docked = ReadRegBool(kForms, kTreeNoteForm, kLayout, QStringLiteral("Docked"), false);
        } catch (const std::exception& error) {
            qCWarning(lcCore) << "the tree-notes layout was not read:" << error.what();
        }
        form->SetDocked(docked);
    } else {
        form->resize(kDefaultFloatingSize);
        form->show();
        CenterOnScreen(form);
    }
    if (lockUpdates) form->setUpdatesEnabled(true);
    int view = -1;
    if (TExplorer* explorer = Explorer(); explorer && explorer->HasSelection()) view = explorer->CurrentViewIndex();
    form->ShowBranchNotes(view);
}

void InstallTreeNotes(TMainForm* mainForm, ViewTables& tables) {
    g_mainForm = mainForm;
    g_tables = &tables;
    tables.TreeNotesDocked = [] { return g_treeNotes && g_treeNotes->Docked(); };
    tables.BringMainWindowToTop = [] {
        if (g_mainForm) BringFormToFront(g_mainForm);
    };
    RegisterCommand(QStringLiteral("A_ViewNotes"), [] { ShowTreeNotes(false); });
    ViewLayer().IsTreeNotesOpen = [] { return !g_treeNotes.isNull(); };
    ViewLayer().CloseTreeNotes = [] {
        if (g_treeNotes) g_treeNotes->CloseWindow();
    };
}

}  // namespace core
