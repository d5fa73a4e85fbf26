#include "core/gui/note_base_form.h"

#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/explorer.h"
#include "core/gui/main_form.h"
#include "core/gui/view_windows.h"
#include "core/view_control.h"

#include "platform/base/scope_exit.h"
#include "platform/paint/font_resolver.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TNoteBaseForm::TNoteBaseForm(int view, TViewControl& views, core::ViewTables& tables, core::ViewWindows& windows,
                             QWidget* viewWindow)
    : QWidget(viewWindow, Qt::Window), m_view(view), m_views(views), m_tables(tables), m_windows(windows) {
    setObjectName(QStringLiteral("NoteBaseForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("NoteBase"));
    setProperty("Tag", view);
    QFont f(paint::InstalledFamily(QStringLiteral("Arial")));
    f.setPixelSize(13);
    setFont(f);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Note = ui::Make<QTextEdit>(this, "Note");
    Note->setProperty("HelpContext", 45000);
    Note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Note->setAcceptRichText(true);
    Note->setContextMenuPolicy(Qt::CustomContextMenu);
    Note->installEventFilter(this);
    layout->addWidget(Note, 1);

    ToolBar = ui::Make<QToolBar>(this, "ToolBar");
    A_Save = ui::Make<QAction>(this, "A_Save", QStringLiteral("&Save"));
    A_Save->setIcon(core::ThemeIcon(QStringLiteral("document-save")));
    A_Save->setToolTip(QStringLiteral("Save changes"));
    A_Cancel = ui::Make<QAction>(this, "A_Cancel", QStringLiteral("&Cancel"));
    A_Cancel->setIcon(core::ThemeIcon(QStringLiteral("edit-undo")));
    A_Cancel->setToolTip(QStringLiteral("Cancel changes"));
    auto* saveBtn = ui::Make<QToolButton>(ToolBar, "SaveBtn");
    saveBtn->setDefaultAction(A_Save);
    saveBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    saveBtn->setProperty("Tag", 45004);
    auto* cancelBtn = ui::Make<QToolButton>(ToolBar, "CancelBtn");
    cancelBtn->setDefaultAction(A_Cancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cancelBtn->setProperty("Tag", 45005);
    ToolBar->addWidget(saveBtn);
    ToolBar->addWidget(cancelBtn);
    ToolBar->addSeparator();
    auto* panel = ui::Make<QLabel>(ToolBar, "Panel1", QStringLiteral("Modified text not saved"));
    ToolBar->addWidget(panel);
    m_floatingMinWidth = saveBtn->sizeHint().width() + cancelBtn->sizeHint().width() + panel->sizeHint().width() + 40;
    ToolBar->hide();
    layout->addWidget(ToolBar);
    connect(A_Save, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [this] {
            if (SaveNote()) showToolBar(false);
        });
    });
    connect(A_Cancel, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { ReloadNote(); }); });

    FormPopupMenu = ui::Make<QMenu>(this, "FormPopupMenu");
    if (TMainForm* main = m_windows.MainForm()) {
        FormPopupMenu->addActions({main->A_EditUndo, main->A_EditCut, main->A_EditCopy, main->A_EditPaste,
                                   main->A_EditSelectAll});
        FormPopupMenu->addSeparator();
    }
    A_SpellCheck = ui::Make<QAction>(this, "A_SpellCheck", QStringLiteral("&Check spelling"));
    A_SpellCheck->setVisible(false);
    A_Dock = ui::Make<QAction>(this, "A_Dock", QStringLiteral("Doc&k"));
    A_Dock->setIcon(core::ThemeIcon(QStringLiteral("view-restore")));
    A_Close = ui::Make<QAction>(this, "A_Close", QStringLiteral("&Close notes"));
    A_Close->setIcon(core::ThemeIcon(QStringLiteral("window-close")));
    A_Help = ui::Make<QAction>(this, "A_Help", QStringLiteral("&Help"));
    A_Help->setIcon(core::ThemeIcon(QStringLiteral("help-browser")));
    A_Help->setToolTip(QStringLiteral("Help"));
    A_Help->setShortcut(QKeySequence(Qt::Key_F1));
    A_Help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(A_Help);
    for (auto [action, name, context] : {std::tuple{A_SpellCheck, "M_PU_CheckSpelling", 45001},
                                         std::tuple{A_Dock, "M_PU_Dock", 45002},
                                         std::tuple{A_Close, "M_PU_Close", 45003}}) {
        action->setProperty("HelpContext", context);
        action->setProperty("MenuItemName", QString::fromLatin1(name));
        FormPopupMenu->addAction(action);
    }
    FormPopupMenu->addSeparator();
    A_Help->setProperty("HelpContext", 45000);
    FormPopupMenu->addAction(A_Help);
    connect(A_Dock, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { dockClick(); }); });
    connect(A_Close, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { close(); }); });
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(45000); });
    connect(Note, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!m_customizing) FormPopupMenu->popup(Note->mapToGlobal(at));
    });
    connect(Note, &QTextEdit::textChanged, this, [this] { ui::RunGuarded(this, [this] { noteChange(); }); });

    if (TViewDef* v = def()) {
        v->NoteWindow = this;
        setWindowTitle(v->ViewName + QStringLiteral(" Notes"));
        const QImage icon = m_views.GetViewSmallIcon(view);
        if (!icon.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    }
    UpdateDockCaption();
}

TNoteBaseForm::~TNoteBaseForm() = default;

TViewDef* TNoteBaseForm::def() const {
    return m_views.CheckViewIndex(m_view) ? &m_views.ViewDefs[size_t(m_view)] : nullptr;
}

// ---- the note ----

QString TNoteBaseForm::NoteLines() const { return QString::fromLatin1(richtext::WriteRtf(*Note->document())); }

void TNoteBaseForm::SetNoteLines(const QString& text) {
    const bool wasLoading = m_loading;
    m_loading = true;
    base::ScopeExit restore([&] { m_loading = wasLoading; });
    richtext::ReadRtf(text.toUtf8(), *Note->document());
    Note->document()->setModified(false);
    Note->moveCursor(QTextCursor::Start);
}

void TNoteBaseForm::ReloadNote() {
    {
        const bool wasLoading = m_loading;
        m_loading = true;
        base::ScopeExit restore([&] { m_loading = wasLoading; });
        QString text;
        m_tables.LoadViewNote(m_view, text);
        SetNoteLines(text);
        Note->viewport()->update();
    }
    if (TViewDef* v = def()) v->NoteModified = false;
    showToolBar(false);
}

bool TNoteBaseForm::SaveNote() {
    if (!Note->document()->isModified()) return true;
    if (!m_tables.SaveViewNote(m_view, NoteLines())) return false;
    Note->document()->setModified(false);
    if (TViewDef* v = def()) v->NoteModified = false;
    return true;
}

void TNoteBaseForm::SetNoteCustomizing(bool on) {
    m_customizing = on;
    Note->setReadOnly(on);
}

void TNoteBaseForm::SetNoteColor(const QColor& color) {
    QPalette p = Note->palette();
    p.setColor(QPalette::Base, color);
    Note->setPalette(p);
}

void TNoteBaseForm::UpdateDockCaption() {
    const bool docked = m_windows.IsNoteDocked(m_view);
    A_Dock->setText(docked ? QStringLiteral("Undoc&k notes") : QStringLiteral("Doc&k"));
    // A floating note never gets so small that its Save and Cancel buttons do not fit;
    // docked, the View window's splitter decides.
    setMinimumSize(docked ? QSize(0, 0) : QSize(m_floatingMinWidth, 120));
}

void TNoteBaseForm::showToolBar(bool show) { ToolBar->setVisible(show); }

void TNoteBaseForm::noteChange() {
    if (m_loading || m_customizing || ToolBar->isVisible() || Globals().ProgramDocking) return;
    ui::PostMessage(this, UM_NOTETOOLBAR);
}

void TNoteBaseForm::noteEnter() {
    if (m_customizing || m_loading) return;
    // A note belongs to a record: with no branch selected there is nothing to write to.
    bool selected = false;
    if (TExplorer* explorer = core::Explorer())
        selected = explorer->HasSelection();
    else if (TViewDef* v = def())
        selected = v->CurrentNodeID > 0;
    Note->setReadOnly(!selected);
}

void TNoteBaseForm::saveOrCancelMessage() {
    showToolBar(true);
    ui::Message(QStringLiteral("You must save or cancel your changes before you can continue."), ui::MessageKind::Error,
                ui::Button::Ok, 10067);
    Note->setFocus();
}

void TNoteBaseForm::dockClick() {
    m_loading = true;
    base::ScopeExit restore([&] { m_loading = false; });
    if (m_windows.IsNoteDocked(m_view))
        m_windows.UndockNoteWindow(m_view, true);
    else
        m_windows.DockNoteWindow(m_view);
}

void TNoteBaseForm::CloseWindow() {
    m_forceClose = true;
    close();
}

// ---- events ----

void TNoteBaseForm::showEvent(QShowEvent* event) {
    m_customizing = false;
    QWidget::showEvent(event);
}

bool TNoteBaseForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Note && event->type() == QEvent::FocusIn) ui::RunGuarded(this, [this] { noteEnter(); });
    return QWidget::eventFilter(watched, event);
}

bool TNoteBaseForm::event(QEvent* event) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(event)) {
        ui::RunGuarded(this, [&] {
            switch (m->Msg) {
            case UM_NOTETOOLBAR:
                if (QCoreApplication::closingDown()) return;
                showToolBar(true);
                if (TViewDef* v = def()) v->NoteModified = true;
                return;
            case UM_SAVEORCANCEL:
                if (QCoreApplication::closingDown()) return;
                if (isWindow()) {
                    if (isMinimized()) showNormal();
                    raise();
                    activateWindow();
                }
                if (m->WParam == 1) saveOrCancelMessage();
                return;
            case UM_BATCHUPDATE:
                m_loading = m->WParam == 1;
                return;
            default:
                return;
            }
        });
        return true;
    }
    if (event->type() == QEvent::WindowActivate) ui::RunGuarded(this, [this] { noteEnter(); });
    return QWidget::event(event);
}

void TNoteBaseForm::closeEvent(QCloseEvent* event) {
    TViewDef* v = def();
    if (!m_forceClose && v && v->NoteModified) {
        event->ignore();
        ui::RunGuarded(this, [this] { saveOrCancelMessage(); });
        return;
    }
    m_loading = true;
    ui::RunGuarded(this, [this] { m_windows.SaveNoteWindowLayout(m_view); });
    if (m_forceClose && v) v->NoteModified = false;
    m_windows.NoteWindowClosing(m_view);
    event->accept();
}
