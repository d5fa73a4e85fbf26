#include "core/gui/view_windows.h"

#include "core/globals.h"
#include "core/main_data_mod.h"
#include "core/gui/main_form.h"
#include "core/gui/note_base_form.h"
#include "core/gui/toolbar_state.h"
#include "core/gui/view_form.h"
#include "core/settings_store.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "platform/base/scope_exit.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/ui/window_message.h"

#include <QApplication>
#include <QLayout>
#include <QPalette>
#include <QScreen>
#include <QTabWidget>

namespace core {

namespace {

const QString kViews = QStringLiteral("Views");
const QString kLayout = QStringLiteral("Layout");
const QString kTitlePanelHeight = QStringLiteral("TitlePanelHeight");

bool settingsOpen() { return SettingsTable() && SettingsTable()->Active(); }

QRect rectOf(const ViewRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }
ViewRect viewRectOf(const QRect& r) { return ViewRect{r.top(), r.left(), r.height(), r.width()}; }

}  // namespace

ProgramDockingScope::ProgramDockingScope() : m_before(Globals().ProgramDocking) { Globals().ProgramDocking = true; }
ProgramDockingScope::~ProgramDockingScope() { Globals().ProgramDocking = m_before; }

int ReadTitlePanelHeight(int view) {
    if (!settingsOpen()) return 24;
    const int h = ReadRegInt(kViews, ViewKeyNumber(view), kLayout, kTitlePanelHeight, 24);
    return h > 0 ? h : 24;
}

void WriteTitlePanelHeight(int view, int height) {
    if (settingsOpen()) WriteRegInt(kViews, ViewKeyNumber(view), kLayout, kTitlePanelHeight, height);
}

QColor ViewColor(ColorCode code, const QWidget* w) {
    if (code >= 0) return QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF);
    // The system colours of the widget's kind, never its own palette: that may already be
    // painted in a changed or error colour.
    const QPalette p = w ? QApplication::palette(w) : QApplication::palette();
    switch (unsigned(code) & 0xFFu) {
    case 5:  // window background
        return p.color(QPalette::Base);
    case 8:  // window text
        return p.color(QPalette::Text);
    case 15:  // button face
        return p.color(QPalette::Button);
    default:
        return p.color(QPalette::Window);
    }
}

ViewWindows::ViewWindows(TViewControl& views, ViewTables& tables, QWidget* host, TMainDataMod* data)
    : m_views(views), m_tables(tables), m_host(host), m_data(data) {}

TMainForm* ViewWindows::MainForm() const { return qobject_cast<TMainForm*>(m_host.data()); }

TViewDef* ViewWindows::viewAt(int view) const {
    return m_views.CheckViewIndex(view) ? &m_views.ViewDefs[size_t(view)] : nullptr;
}

QSize ViewWindows::screenSize(const QWidget* w) const {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

bool ViewWindows::IsOnScreen(const QRect& r, const QSize& screen) {
    return r.height() <= screen.height() && r.width() <= screen.width() && r.top() >= 0 &&
           r.top() < screen.height() - 10 && r.left() <= screen.width() - 10;
}

QRect ViewWindows::Centred(const QSize& size, const QSize& screen) {
    return QRect((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2, size.width(),
                 size.height());
}

namespace {
TViewBaseForm* viewForm(const TViewDef* v) { return v ? qobject_cast<TViewBaseForm*>(v->ViewWindow.data()) : nullptr; }
TNoteBaseForm* noteForm(const TViewDef* v) { return v ? qobject_cast<TNoteBaseForm*>(v->NoteWindow.data()) : nullptr; }
}  // namespace

bool ViewWindows::IsViewDocked(int view) const {
    TViewBaseForm* form = viewForm(viewAt(view));
    return form && !form->isWindow();
}

bool ViewWindows::IsNoteDocked(int view) const {
    TNoteBaseForm* note = noteForm(viewAt(view));
    return note && !note->isWindow();
}

void ViewWindows::bringToFront(QWidget* form, bool restore) const {
    // The main window's BringViewToFront: a docked window's page becomes the current one.
    if (!form->isWindow()) {
        if (TMainForm* main = MainForm()) main->MainPages->setCurrentWidget(form);
        return;
    }
    if (restore && form->isMinimized()) form->showNormal();
    form->show();
    form->raise();
    form->activateWindow();
}

// ---- showing ----

void ViewWindows::ShowViewWindow(int view) {
    TViewDef* v = viewAt(view);
    if (!v) return;
    if (TViewBaseForm* open = viewForm(v)) {
        bringToFront(open, false);
        return;
    }
    auto* form = new TViewBaseForm(view, m_views, m_tables, m_host, m_data);
    QPointer<TViewBaseForm> guard(form);
    form->SetPlacing(true);
    base::ScopeExit placed([&] {
        if (guard) guard->SetPlacing(false);
    });
    m_tables.FillViewFields(view, true);
    PlaceViewWindow(view);
    ApplyTitlePanel(view);
    if (v->DockViewOnShow) DockViewWindow(view);
    TMainForm* main = MainForm();
    LoadToolbarState(form->ToolBar(), QStringLiteral("Views Form"), main ? main->A_TBViewForm : nullptr);
    form->show();
    // Listed in the Windows menu also while its page is not the one shown.
    if (main) main->AddViewWindowItem(view);
    if (v->ShowNoteOnStart) ShowNoteWindow(view);
}

void ViewWindows::ShowStartupViews() {
    for (int i = 0; i < m_views.GetViewCount(); ++i)
        if (m_views.ViewDefs[size_t(i)].ShowViewOnStart) ShowViewWindow(i);
}

bool ViewWindows::ShowNoteWindow(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return false;
    if (TNoteBaseForm* note = noteForm(v)) {
        if (note->isWindow()) {
            note->show();
            note->raise();
            note->activateWindow();
            const QRect r = note->geometry();
            if (!IsOnScreen(r, screenSize(note))) note->setGeometry(Centred(r.size(), screenSize(note)));
        } else {
            bringToFront(form, true);
        }
        return true;
    }
    auto* note = new TNoteBaseForm(view, m_views, m_tables, form->Windows(), form);
    m_tables.PositionViewTable(view);
    ui::SendMessage(note, UM_BATCHUPDATE, 1, 0);
    base::ScopeExit resume([note = QPointer<TNoteBaseForm>(note)] {
        if (note) ui::SendMessage(note, UM_BATCHUPDATE, 0, 0);
    });
    note->SetNoteColor(ViewColor(v->NoteFormColor, note));
    note->ReloadNote();
    if (v->DockNoteOnStart) DockNoteWindow(view);
    PlaceNoteWindow(view);
    note->show();
    return true;
}

void ViewWindows::CloseNoteWindow(int view) {
    if (TNoteBaseForm* note = noteForm(viewAt(view))) {
        note->close();
        QCoreApplication::sendPostedEvents();
    }
}

void ViewWindows::CloseAllViewWindows() {
    TMainForm* main = MainForm();
    if (main) main->setUpdatesEnabled(false);
    base::ScopeExit unlock([&] {
        if (main) main->setUpdatesEnabled(true);
    });
    for (int i = 0; i < m_views.GetViewCount(); ++i) {
        TViewDef& v = m_views.ViewDefs[size_t(i)];
        if (TNoteBaseForm* note = noteForm(&v)) note->CloseWindow();
        if (TViewBaseForm* form = viewForm(&v)) form->CloseWindow();
        if (main) main->RemoveViewWindowItem(i);
        QCoreApplication::sendPostedEvents();
    }
}

// ---- placing ----

void ViewWindows::PlaceViewWindow(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return;
    const QSize screen = screenSize(form);
    if (UserPrefs().RestoreScreenLayout) {
        QRect r = rectOf(v->ViewPosition);
        if (!IsOnScreen(r, screen)) r = Centred(r.size(), screen);
        form->setGeometry(r);
    } else {
        form->setGeometry(Centred(QSize(std::min(500, screen.width()), std::min(300, screen.height())), screen));
    }
    form->SetUndockSize(form->size());
    if (v->ViewTitleVisible) form->SetTitleHeight(ReadTitlePanelHeight(view));
}

void ViewWindows::ApplyViewPosition(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return;
    QRect r = rectOf(v->ViewPosition);
    if (!IsOnScreen(r, screenSize(form))) r = Centred(r.size(), screenSize(form));
    if (form->isWindow())
        form->setGeometry(r);
    else
        form->SetUndockSize(r.size());
}

void ViewWindows::PlaceNoteWindow(int view) {
    TViewDef* v = viewAt(view);
    TNoteBaseForm* note = noteForm(v);
    if (!note || !note->isWindow()) return;
    const QSize screen = screenSize(note);
    if (UserPrefs().RestoreScreenLayout) {
        QRect r = rectOf(v->NotePosition);
        if (!IsOnScreen(r, screen)) r = Centred(r.size(), screen);
        note->setGeometry(r);
    } else {
        note->setGeometry(Centred(QSize(340, 300), screen));
    }
}

void ViewWindows::ApplyTitlePanel(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return;
    form->SetTitleVisible(v->ViewTitleVisible);
    if (!v->ViewTitleVisible) return;
    form->SetTitleHeight(ReadTitlePanelHeight(view));
    form->SetTitleColor(v->TitleColorFG);
}

// ---- docking ----

void ViewWindows::DockViewWindow(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    TMainForm* main = MainForm();
    if (!form || !main || !form->isWindow()) return;
    const ProgramDockingScope docking;
    m_tables.SendToNoteWindows(UM_BATCHUPDATE, 1, 0);
    base::ScopeExit resume([&] { m_tables.SendToNoteWindows(UM_BATCHUPDATE, 0, 0); });
    form->SetPlacing(true);
    base::ScopeExit placed([&] { form->SetPlacing(false); });
    v->ViewPosition = viewRectOf(form->geometry());
    form->SetUndockSize(form->size());
    form->setWindowFlags(Qt::Widget);
    const int page = main->MainPages->addTab(form, form->windowIcon(), v->ViewName);
    main->MainPages->setCurrentIndex(page);
    form->show();
    v->ViewIsDocked = true;
}

bool ViewWindows::UndockViewWindow(int view, int height, int width) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form || form->isWindow()) return false;
    const ProgramDockingScope docking;
    m_tables.SendToNoteWindows(UM_BATCHUPDATE, 1, 0);
    base::ScopeExit resume([&] { m_tables.SendToNoteWindows(UM_BATCHUPDATE, 0, 0); });
    form->SetPlacing(true);
    base::ScopeExit placed([&] { form->SetPlacing(false); });
    if (TMainForm* main = MainForm()) {
        const int page = main->MainPages->indexOf(form);
        if (page >= 0) main->MainPages->removeTab(page);
    }
    const QSize size(width > 0 ? width : form->UndockSize().width(), height > 0 ? height : form->UndockSize().height());
    form->setParent(m_host, Qt::Window);
    form->setGeometry(v->ViewPosition.Left, v->ViewPosition.Top, size.width(), size.height());
    form->show();
    v->ViewIsDocked = false;
    return true;
}

void ViewWindows::DockNoteWindow(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    TNoteBaseForm* note = noteForm(v);
    if (!form || !note || !note->isWindow()) return;
    const ProgramDockingScope docking;
    const bool visible = note->isVisible();
    note->setWindowFlags(Qt::Widget);
    form->NoteDocked(note);
    if (visible) note->show();
    v->NoteIsDocked = true;
    note->UpdateDockCaption();
}

bool ViewWindows::UndockNoteWindow(int view, bool place) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    TNoteBaseForm* note = noteForm(v);
    if (!form || !note || note->isWindow()) return false;
    const ProgramDockingScope docking;
    if (QLayout* layout = form->BottomDockPanel()->layout()) layout->removeWidget(note);
    note->setParent(form, Qt::Window);
    form->NoteUndocked();
    v->NoteIsDocked = false;
    if (place) PlaceNoteWindow(view);
    note->show();
    note->UpdateDockCaption();
    return true;
}

void ViewWindows::NoteWindowClosing(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    TNoteBaseForm* note = noteForm(v);
    if (form && note && !note->isWindow()) form->NoteUndocked();
}

// ---- refreshing ----

void ViewWindows::RefreshViewWindow(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return;
    const QImage icon = m_views.GetViewSmallIcon(view);
    form->setWindowIcon(icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
    form->SetViewFormColor(v->ViewFormColor);
    form->setWindowTitle(v->ViewName);
    if (TMainForm* main = MainForm()) {
        const int page = main->MainPages->indexOf(form);
        if (page >= 0) {
            main->MainPages->setTabText(page, v->ViewName);
            main->MainPages->setTabIcon(page, form->windowIcon());
        }
    }
    form->ApplyNoteDockHeight();
    ApplyTitlePanel(view);
    if (TNoteBaseForm* note = noteForm(v)) note->SetNoteColor(ViewColor(v->NoteFormColor, note));
    form->RebuildFieldControls();
}

void ViewWindows::RefreshAllViewWindows() {
    for (int i = 0; i < m_views.GetViewCount(); ++i) RefreshViewWindow(i);
}

void ViewWindows::RefreshOpenViewFields() {
    for (int i = 0; i < m_views.GetViewCount(); ++i)
        if (TViewBaseForm* form = viewForm(viewAt(i))) form->RebuildFieldControls();
}

bool ViewWindows::ReloadViewDefinition(int view) {
    TViewDef* v = viewAt(view);
    if (!v) return false;
    if (TViewBaseForm* form = viewForm(v)) form->FreeAllFieldControls();
    v->FieldDefs.clear();
    m_views.LoadViewLayout(view);
    ApplyViewPosition(view);
    RefreshViewWindow(view);
    if (TViewBaseForm* form = viewForm(v)) form->ApplyTabOrder();
    return true;
}

// ---- layout ----

void ViewWindows::SaveViewWindowLayout(int view) {
    TViewDef* v = viewAt(view);
    TViewBaseForm* form = viewForm(v);
    if (!form) return;
    if (form->isWindow()) v->ViewPosition = viewRectOf(form->geometry());
    if (!settingsOpen()) return;
    std::optional<DatabaseWrite> write;
    beginLayoutWrite(write);
    if (v->ViewTitleVisible) WriteTitlePanelHeight(view, form->TitleHeight());
    m_views.SaveViewLayout(view);
    if (write) write->Commit();
}

void ViewWindows::beginLayoutWrite(std::optional<DatabaseWrite>& write) const {
    // The definition is some hundred settings rows: one transaction for all of them.
    if (m_data && m_data->DSDB && m_data->DSDB->Connected()) write.emplace(*m_data->DSDB);
}

void ViewWindows::SaveNoteWindowLayout(int view) {
    TViewDef* v = viewAt(view);
    TNoteBaseForm* note = noteForm(v);
    if (!note) return;
    if (note->isWindow()) v->NotePosition = viewRectOf(note->geometry());
    if (!settingsOpen()) return;
    std::optional<DatabaseWrite> write;
    beginLayoutWrite(write);
    m_views.SaveViewLayout(view);
    if (write) write->Commit();
}

}  // namespace core
