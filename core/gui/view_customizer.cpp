#include "core/gui/view_customizer.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/customize_warn.h"
#include "core/gui/explorer.h"
#include "core/gui/field_properties.h"
#include "core/gui/form_helpers.h"
#include "core/gui/hidden_fields.h"
#include "core/gui/customize_toolbar.h"
#include "core/gui/note_base_form.h"
#include "core/gui/main_form.h"
#include "core/gui/view_form.h"
#include "core/gui/view_properties.h"
#include "core/gui/view_windows.h"
#include "core/product_tables.h"
#include "core/view_control.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/db/database.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace core {

namespace {

constexpr int kHandGrab1 = 1;
constexpr int kHandGrab2 = 2;
constexpr int kEditField = 5;
constexpr int kCheckBox = 6;
constexpr int kResizeGripPx = 6;

QCursor customCursor(int number, Qt::CursorShape fallback) {
    return ui::HasCursor(number) ? ui::CursorFor(number) : QCursor(fallback);
}

}  // namespace

ViewCustomizer::ViewCustomizer(TViewBaseForm* window, TViewControl& views, ViewTables& tables)
    : QObject(window), m_window(window), m_views(views), m_tables(tables), m_view(window->ViewIndex()) {
    setObjectName(QStringLiteral("ViewCustomizer"));
    // The View window's own command makes its View current and runs the program's
    // "A_Customize" command, which reaches the current View's customizer; a window without
    // that command gets one here.
    A_Customize = window->findChild<QAction*>(QStringLiteral("A_Customize"));
    if (!A_Customize) {
        A_Customize = new QAction(QStringLiteral("&Customize"), window);
        A_Customize->setObjectName(QStringLiteral("A_Customize"));
        A_Customize->setToolTip(QStringLiteral("Customize this view"));
        connect(A_Customize, &QAction::triggered, this, [this] { ui::RunGuarded(m_window, [&] { FormPU_CustomizeClick(); }); });
        window->addAction(A_Customize);
        m_ownAction = true;
    }
    CustomPUMenu = new QMenu(window);
    CustomPUMenu->setObjectName(QStringLiteral("CustomPUMenu"));
    window->installEventFilter(this);
}

ViewCustomizer::~ViewCustomizer() {
    if (m_customizing) {
        Globals().CustomizeMode = false;
        if (m_views.CustomizingWindow == parent()) m_views.CustomizingWindow = nullptr;
        Customize().RebuildFieldControl = {};
        Customize().RefreshViewWindow = {};
        Customize().ApplyTabOrder = {};
        Customize().SetDesignCursors = {};
    }
}

TMainForm* ViewCustomizer::mainForm() const {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<TMainForm*>(top)) return main;
    return nullptr;
}

QWidget* ViewCustomizer::fieldArea() const {
    return m_window ? m_window->findChild<QWidget*>(QStringLiteral("FieldArea")) : nullptr;
}

bool ViewCustomizer::isFieldControl(const QObject* o) const {
    if (!o || !o->isWidgetType()) return false;
    const QString name = o->objectName();
    return (name.startsWith(QLatin1String("FE_")) || name.startsWith(QLatin1String("FL_"))) &&
           static_cast<const QWidget*>(o)->parentWidget() == fieldArea();
}

int ViewCustomizer::fieldOf(const QWidget* control) const {
    return control ? TViewBaseForm::FieldIndexOfName(control->objectName()) : -1;
}

// ---- starting ----

void ViewCustomizer::FormPU_CustomizeClick() {
    if (m_customizing || !m_window || !m_views.CheckViewIndex(m_view)) return;
    if (m_tables.FindUnsavedChanges(false) != -1) return;
    ShowCustomizeWarning(m_window);
    m_customizing = true;
    Globals().CustomizeMode = true;
    m_viewName = m_views.GetViewName(m_view);
    // No docking while designing: a docked window floats (at the larger of its own and its
    // stored size) and is centred; its page is remembered for docking it again.
    m_pageIndex = -1;
    if (Customize().FloatViewWindow) {
        m_wasDocked = Customize().FloatViewWindow(m_view);
    } else {
        ViewWindows& windows = m_window->Windows();
        m_wasDocked = false;
        if (windows.IsViewDocked(m_view)) {
            if (TMainForm* main = mainForm()) m_pageIndex = main->GetViewPageIndex(m_view);
            const ViewRect stored = m_views.GetViewPosition(m_view);
            m_wasDocked = windows.UndockViewWindow(m_view, std::max(m_window->height(), stored.Height),
                                                   std::max(m_window->width(), stored.Width));
        }
    }
    if (m_wasDocked) CenterOnScreen(m_window);
    if (QWidget* hider = m_window->findChild<QWidget*>(QStringLiteral("HiderPanel"))) {
        m_hiderVisible = hider->isVisible();
        hider->show();
    }
    // A floating note is closed while the View is designed (it comes back afterwards); a
    // docked one turns read-only, so that nothing typed into it is dropped unasked.
    m_noteClosed = false;
    {
        ViewWindows& windows = m_window->Windows();
        if (m_views.ViewDefs[size_t(m_view)].NoteWindow && !windows.IsNoteDocked(m_view)) {
            windows.CloseNoteWindow(m_view);
            m_noteClosed = true;
        }
        if (auto* note = qobject_cast<TNoteBaseForm*>(m_views.ViewDefs[size_t(m_view)].NoteWindow.data()))
            note->SetNoteCustomizing(true);
    }
    m_window->setWindowTitle(m_viewName + QStringLiteral(" ---- CUSTOMIZING"));
    if (QWidget* help = m_window->findChild<QWidget*>(QStringLiteral("HelpBtn"))) help->setProperty("Tag", 40004);
    m_toolbarEnabled.clear();
    if (auto* bar = m_window->findChild<QToolBar*>(QStringLiteral("ViewFormToolBar"))) {
        // Every button but Help is disabled.
        const auto disable = [this, bar](QAction* a) {
            const QWidget* button = bar->widgetForAction(a);
            if (a->objectName() == QLatin1String("A_FormHelp") ||
                (button && button->objectName() == QLatin1String("HelpBtn")))
                return;
            m_toolbarEnabled.emplace_back(a, a->isEnabled());
            a->setEnabled(false);
        };
        for (QAction* a : bar->actions()) disable(a);
        for (QObject* child : bar->children())
            if (auto* button = qobject_cast<QWidget*>(child))
                for (QAction* a : button->actions()) disable(a);
    }
    if (auto* bar = m_window->findChild<QToolBar*>(QStringLiteral("SaveCancelToolBar"))) bar->hide();
    prepareAllControls();
    showSamples();
    m_views.CustomizingWindow = m_window.data();
    installHooks();
    auto* toolbox = CustomizeToolbar();
    if (!toolbox) {
        toolbox = new TCustomizeToolbar(m_views, m_tables, m_window->window());
        SetCustomizeToolbar(toolbox);
    }
    QList<QWidget*> keep{m_window.data(), toolbox};
    EnableFloatingForms(keep, false);
    toolbox->ShowToolbox();
}

void ViewCustomizer::installHooks() {
    const int view = m_view;
    Customize().RebuildFieldControl = [this, view](int v, int field, bool refill) {
        if (v == view) rebuildFieldControl(field, refill);
    };
    Customize().ApplyTabOrder = [this, view](int v) {
        if (v == view && m_window) m_window->ApplyTabOrder();
    };
    Customize().SetDesignCursors = [this, view](int v) {
        if (v == view) prepareAllControls();
    };
    Customize().RefreshViewWindow = [this, view](int v) {
        if (v != view || !m_window) return;
        m_window->setWindowTitle(m_views.GetViewName(view) + QStringLiteral(" ---- CUSTOMIZING"));
        if (QWidget* area = fieldArea()) {
            QPalette p = area->palette();
            const core::ColorCode code = m_views.GetViewFormColor(view);
            p.setColor(QPalette::Window, code >= 0 ? QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF)
                                                   : QApplication::palette().color(QPalette::Button));
            area->setPalette(p);
        }
        if (QWidget* title = m_window->findChild<QWidget*>(QStringLiteral("TitleMemo")))
            title->setVisible(m_views.GetViewTitleVisible(view));
        for (int f = 0; f < m_views.GetViewFieldCount(view); ++f) rebuildFieldControl(f, false);
        showSamples();
    };
}

// ---- controls ----

void ViewCustomizer::prepareControl(QWidget* control) {
    if (!control) return;
    control->removeEventFilter(this);
    control->installEventFilter(this);
    control->setCursor(customCursor(kHandGrab1, Qt::OpenHandCursor));
    control->setContextMenuPolicy(Qt::PreventContextMenu);
}

void ViewCustomizer::prepareAllControls() {
    QWidget* area = fieldArea();
    if (!area) return;
    area->removeEventFilter(this);
    area->installEventFilter(this);
    for (QWidget* w : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (isFieldControl(w)) prepareControl(w);
}

void ViewCustomizer::freeFieldControls(int field) {
    if (!m_views.CheckFieldIndex(m_view, field)) return;
    TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(field)];
    for (QPointer<QObject>* p : {&f.EditControl, &f.LabelControl, &f.CheckBoxControl}) {
        if (auto* w = qobject_cast<QWidget*>(p->data())) {
            // Freed after the current event: the control may be the one being handled.
            w->hide();
            w->setObjectName(QString());
            w->removeEventFilter(this);
            w->deleteLater();
        }
        *p = nullptr;
    }
}

void ViewCustomizer::rebuildFieldControl(int field, bool refill) {
    if (!m_window || !m_views.CheckFieldIndex(m_view, field)) return;
    freeFieldControls(field);
    const TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(field)];
    if (f.MarkedForDelete) return;
    m_window->CreateFieldControls(field);
    QWidget* area = fieldArea();
    for (QObject* o : {f.EditControl.data(), f.LabelControl.data(), f.CheckBoxControl.data()})
        if (auto* w = qobject_cast<QWidget*>(o)) {
            if (m_customizing) prepareControl(w);
            w->show();
            // The field area grows to hold a control placed or moved beyond it.
            if (area && (w->geometry().right() + 40 > area->width() || w->geometry().bottom() + 40 > area->height()))
                area->resize(std::max(area->width(), w->geometry().right() + 40),
                             std::max(area->height(), w->geometry().bottom() + 40));
        }
    if (refill && m_customizing) showSamples();
}

void ViewCustomizer::showSamples() {
    if (m_customizing) m_tables.ShowCustomizeSamples(m_view);
}

void ViewCustomizer::storeControl(QWidget* control, bool sized) {
    const int field = fieldOf(control);
    if (!m_views.CheckFieldIndex(m_view, field)) return;
    TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(field)];
    const QRect g = control->geometry();
    if (control->objectName().startsWith(QLatin1String("FL_"))) {
        // A label placed by hand keeps its exact place.
        f.LabelPosition = {g.top(), g.left(), g.height(), g.width()};
        f.LabelUseBasic = false;
        f.LabelRelative = 4;
        return;
    }
    f.FieldPosition.Top = g.top();
    f.FieldPosition.Left = g.left();
    if (sized) {
        f.FieldPosition.Height = g.height();
        f.FieldPosition.Width = g.width();
    }
    // The label follows its field by its placement rule.
    QTimer::singleShot(0, this, [this, field] {
        rebuildFieldControl(field, false);
        showSamples();
    });
}

void ViewCustomizer::storeFieldControlBounds() {
    if (!m_views.CheckViewIndex(m_view)) return;
    for (TViewFieldDef& f : m_views.ViewDefs[size_t(m_view)].FieldDefs) {
        auto* field = qobject_cast<QWidget*>(f.FieldType == u'B' ? f.CheckBoxControl.data() : f.EditControl.data());
        if (field) {
            const QRect g = field->geometry();
            f.FieldPosition = {g.top(), g.left(), g.height(), g.width()};
        }
        if (auto* label = qobject_cast<QWidget*>(f.LabelControl.data())) {
            const QRect g = label->geometry();
            f.LabelPosition = {g.top(), g.left(), g.height(), g.width()};
        }
    }
}

void ViewCustomizer::NudgeControl(QWidget* control, int dx, int dy, bool resize) {
    if (!control || !m_customizing) return;
    QRect g = control->geometry();
    if (resize) {
        g.setWidth(std::max(1, g.width() + dx));
        g.setHeight(std::max(1, g.height() + dy));
    } else {
        g.moveTo(std::max(0, g.left() + dx), std::max(0, g.top() + dy));
    }
    control->setGeometry(g);
    storeControl(control, resize);
}

// ---- tools and fields ----

void ViewCustomizer::SetPlacingFieldType(QChar letter) {
    if (!m_customizing) return;
    QWidget* area = fieldArea();
    if (letter == u'*') {
        m_placing = letter;
        if (area) area->unsetCursor();
    } else if (letter == u'B') {
        m_placing = letter;
        if (area) area->setCursor(customCursor(kCheckBox, Qt::CrossCursor));
    } else if (letter == u'S') {
        m_placing = letter;
        if (area) area->setCursor(customCursor(kEditField, Qt::IBeamCursor));
    }
}

void ViewCustomizer::ToggleFieldDelete(int field) {
    if (!m_views.CheckFieldIndex(m_view, field)) return;
    const bool marked = !m_views.GetFieldMarkedForDelete(m_view, field);
    m_views.SetFieldMarkedForDelete(m_view, field, marked);
    if (TCustomizeToolbar* toolbox = CustomizeToolbar()) toolbox->MarkFieldItem(field, marked);
}

void ViewCustomizer::PlaceNewField(int x, int y) {
    const QChar letter = m_placing;
    SetPlacingFieldType(u'*');
    if (TCustomizeToolbar* toolbox = CustomizeToolbar()) toolbox->SelectPointerTool();
    const int count = m_views.GetViewFieldCount(m_view);
    const int field = ShowFieldProperties(m_views, m_tables, m_view, -1, y, x, letter, true, m_window);
    if (field >= count) {
        rebuildFieldControl(field, false);
        showSamples();
    }
}

QMenu* ViewCustomizer::PopupMenuFor(QWidget* control) {
    CustomPUMenu->clear();
    m_menuControl = control;
    const int field = fieldOf(control);
    QAction* props = CustomPUMenu->addAction(QString());
    props->setObjectName(QStringLiteral("A_Properties"));
    if (control && m_views.CheckFieldIndex(m_view, field)) {
        const TViewFieldDef& f = m_views.ViewDefs[size_t(m_view)].FieldDefs[size_t(field)];
        const QString caption = u'"' + (f.LabelIsVisible ? f.LabelCaption : f.FieldName) + u'"';
        props->setText(caption + QStringLiteral(" field &properties"));
        props->setProperty("HelpContext", 40026);
        connect(props, &QAction::triggered, this, [this, field] {
            ui::RunGuarded(m_window, [&] {
                ShowFieldProperties(m_views, m_tables, m_view, field, 0, 0, u'S', false, m_window);
                showSamples();
                prepareAllControls();
            });
        });
        CustomPUMenu->addSeparator()->setObjectName(QStringLiteral("CustomPU_Divider"));
        QAction* del = CustomPUMenu->addAction(QStringLiteral("&Delete field \"") + f.LabelCaption + u'"');
        del->setObjectName(QStringLiteral("CustomPU_DeleteField"));
        connect(del, &QAction::triggered, this, [this, field] { ToggleFieldDelete(field); });
        QAction* hide = CustomPUMenu->addAction(QStringLiteral("&Hide field \"") + f.LabelCaption + u'"');
        hide->setObjectName(QStringLiteral("A_HideField"));
        connect(hide, &QAction::triggered, this, [this, field] {
            m_views.SetFieldIsVisible(m_view, field, false);
            if (TCustomizeToolbar* toolbox = CustomizeToolbar()) toolbox->FillFieldMenu();
        });
    } else {
        props->setText(m_views.GetViewName(m_view) + QStringLiteral(" &properties"));
        props->setProperty("HelpContext", 40025);
        connect(props, &QAction::triggered, this, [this] {
            ui::RunGuarded(m_window, [&] {
                if (ShowViewProperties(m_views, m_view, m_window)) {
                    const ViewRect r = m_views.GetViewPosition(m_view);
                    if (m_window->geometry() != QRect(r.Left, r.Top, r.Width, r.Height)) {
                        m_window->setGeometry(r.Left, r.Top, r.Width, r.Height);
                        if (TCustomizeToolbar* toolbox = CustomizeToolbar()) toolbox->PlaceBesideView();
                    }
                }
                showSamples();
                prepareAllControls();
            });
        });
    }
    // Hidden fields, Save changes, Cancel changes and Help, whatever the menu was opened on.
    CustomPUMenu->addSeparator()->setObjectName(QStringLiteral("CustomPU_Divider1"));
    const auto item = [this](const char* name, const QString& caption, const QString& hint, int helpContext,
                             const QString& icon, std::function<void()> run) {
        QAction* a = CustomPUMenu->addAction(ThemeIcon(icon), caption);
        a->setObjectName(QLatin1String(name));
        if (!hint.isEmpty()) a->setToolTip(hint);
        a->setProperty("HelpContext", helpContext);
        connect(a, &QAction::triggered, this, [this, run = std::move(run)] { ui::RunGuarded(m_window, run); });
        return a;
    };
    item("A_HiddenFields", QStringLiteral("H&idden fields..."), QStringLiteral("Display list of hidden fields"), 40027,
         QStringLiteral("edit-find-replace"), [this] { ShowHiddenFields(m_views, m_view, m_window); });
    CustomPUMenu->addSeparator();
    // Save and Cancel go through the toolbox's buttons when it is there, as its own do.
    const auto finish = [this](bool keep) {
        if (TCustomizeToolbar* toolbox = CustomizeToolbar()) {
            QAbstractButton* button = keep ? toolbox->OKBtn : toolbox->CancelBtn;
            if (button) {
                button->click();
                return;
            }
        }
        EndCustomize(keep);
    };
    item("A_CustomSave", QStringLiteral("&Save changes"), {}, 40029, QStringLiteral("document-save"),
         [finish] { finish(true); });
    item("A_CustomCancel", QStringLiteral("&Cancel changes"), {}, 40030, QStringLiteral("process-stop"),
         [finish] { finish(false); });
    CustomPUMenu->addSeparator();
    item("A_CustomizeHelp", QStringLiteral("&Help"), {}, 40004, QStringLiteral("help-browser"),
         [] { ui::HelpService::ShowContext(40004); });
    return CustomPUMenu;
}

// ---- ending ----

void ViewCustomizer::reloadViewDefinition() {
    if (!m_window) return;
    for (int f = 0; f < m_views.GetViewFieldCount(m_view); ++f) freeFieldControls(f);
    m_views.LoadViewLayout(m_view);
    const TViewDef& v = m_views.ViewDefs[size_t(m_view)];
    m_window->setWindowTitle(v.ViewName);
    m_window->CreateAllFieldControls();
    m_window->ApplyTabOrder();
}

void ViewCustomizer::EndCustomize(bool keep) {
    if (!m_customizing || !m_window) return;
    SetPlacingFieldType(u'*');
    if (TCustomizeToolbar* toolbox = CustomizeToolbar()) toolbox->SelectPointerTool();
    m_customizing = false;
    m_window->setWindowTitle(m_viewName);
    if (QWidget* help = m_window->findChild<QWidget*>(QStringLiteral("HelpBtn"))) help->setProperty("Tag", 40005);
    if (QWidget* area = fieldArea()) {
        area->unsetCursor();
        area->removeEventFilter(this);
    }
    EnableFloatingForms({}, true);
    ui::HourglassCursor hourglass;
    // From here the View's layout may be written again; pending changes reach the table only
    // through the save below.
    m_views.CustomizingWindow = nullptr;
    Customize().RebuildFieldControl = {};
    Customize().RefreshViewWindow = {};
    Customize().ApplyTabOrder = {};
    Customize().SetDesignCursors = {};
    if (keep) {
        storeFieldControlBounds();
        m_views.SaveViewDefinition(m_view);
    }
    reloadViewDefinition();
    if (TExplorer* explorer = Explorer()) ui::PostMessage(explorer, ui::kWmUser + 199, 0, 0);
    if (keep) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* main = qobject_cast<TMainForm*>(top)) {
                main->BuildViewsMenu();
                main->RemoveViewWindowItem(m_view, m_viewName);
                main->AddViewWindowItem(m_view);
            }
    }
    for (auto& [action, enabled] : m_toolbarEnabled)
        if (action) action->setEnabled(enabled);
    m_toolbarEnabled.clear();
    if (QWidget* hider = m_window->findChild<QWidget*>(QStringLiteral("HiderPanel"))) hider->setVisible(m_hiderVisible);
    if (m_wasDocked) {
        if (Customize().DockViewWindow) {
            Customize().DockViewWindow(m_view);
        } else {
            m_window->Windows().DockViewWindow(m_view);
            if (TMainForm* main = mainForm()) main->SetViewPageIndex(m_view, m_pageIndex);
        }
    }
    // The note closed for customizing comes back floating; an open one is editable again.
    if (m_noteClosed) {
        m_noteClosed = false;
        ViewWindows& windows = m_window->Windows();
        windows.ShowNoteWindow(m_view);
        if (windows.IsNoteDocked(m_view)) windows.UndockNoteWindow(m_view, true);
    }
    if (auto* note = qobject_cast<TNoteBaseForm*>(m_views.ViewDefs[size_t(m_view)].NoteWindow.data()))
        note->SetNoteCustomizing(false);
    m_views.SetRecordModified(m_view, false);
    m_views.SetNoteModified(m_view, false);
    m_tables.FillViewFields(m_view, true);
    if (keep) {
        if (Customize().FullRebuild)
            Customize().FullRebuild();
        else
            RebuildWordIndexes(m_views, m_tables);
    }
    Globals().CustomizeMode = false;
}

// ---- events ----

void ViewCustomizer::finishDrag() {
    QWidget* control = m_dragged;
    m_dragged = nullptr;
    QApplication::restoreOverrideCursor();
    if (control && control->geometry() != m_dragGeometry) storeControl(control, m_dragResize);
}

bool ViewCustomizer::eventFilter(QObject* watched, QEvent* event) {
    // The window is this object's parent, compared as a QObject: it may be in its destructor
    // while its children go, when the typed pointer must not be used.
    if (watched == parent()) {
        if (m_customizing && event->type() == QEvent::Close) {
            // A View window being customised stays open until Save or Cancel.
            event->ignore();
            QApplication::beep();
            return true;
        }
        return false;
    }
    if (!m_customizing) return false;
    QWidget* area = fieldArea();
    const bool onArea = watched == area;
    auto* control = qobject_cast<QWidget*>(watched);
    if (!onArea && !isFieldControl(watched)) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            PopupMenuFor(onArea ? nullptr : control)->popup(me->globalPosition().toPoint());
            return true;
        }
        if (me->button() != Qt::LeftButton) return true;
        if (m_placing != u'*') {
            const QPoint at = onArea ? me->position().toPoint() : control->mapToParent(me->position().toPoint());
            ui::RunGuarded(m_window, [&] { PlaceNewField(at.x(), at.y()); });
            return true;
        }
        if (onArea) return true;
        control->setFocus(Qt::MouseFocusReason);
        m_dragged = control;
        m_dragStart = me->globalPosition().toPoint();
        m_dragGeometry = control->geometry();
        const QPoint p = me->position().toPoint();
        m_dragResize = p.x() >= control->width() - kResizeGripPx && p.y() >= control->height() - kResizeGripPx;
        QApplication::setOverrideCursor(m_dragResize ? QCursor(Qt::SizeFDiagCursor)
                                                     : customCursor(kHandGrab2, Qt::ClosedHandCursor));
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_dragged || m_dragged != control) return true;
        const QPoint d = static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_dragStart;
        QRect g = m_dragGeometry;
        if (m_dragResize) {
            g.setWidth(std::max(1, g.width() + d.x()));
            g.setHeight(std::max(1, g.height() + d.y()));
        } else {
            g.moveTo(std::max(0, g.left() + d.x()), std::max(0, g.top() + d.y()));
        }
        control->setGeometry(g);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_dragged && m_dragged == control) finishDrag();
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        PopupMenuFor(onArea ? nullptr : control)->popup(ce->globalPos());
        return true;
    }
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (onArea) return false;
        const int step = ke->modifiers().testFlag(Qt::ControlModifier) ? 8 : 1;
        const bool resize = ke->modifiers().testFlag(Qt::ShiftModifier);
        switch (ke->key()) {
        case Qt::Key_Left: NudgeControl(control, -step, 0, resize); return true;
        case Qt::Key_Right: NudgeControl(control, step, 0, resize); return true;
        case Qt::Key_Up: NudgeControl(control, 0, -step, resize); return true;
        case Qt::Key_Down: NudgeControl(control, 0, step, resize); return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return false;
        default: return true;  // typed text is not taken while designing
        }
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return !onArea && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Tab;
    default:
        return false;
    }
}

// ---- attaching and rebuilding ----

ViewCustomizer* AttachViewCustomize(TViewBaseForm* window, TViewControl& views, ViewTables& tables) {
    auto* customizer = new ViewCustomizer(window, views, tables);
    if (customizer->OwnsCustomizeAction())
        if (auto* menu = window->findChild<QMenu*>(QStringLiteral("FormPU"))) menu->addAction(customizer->A_Customize);
    RegisterCommand(QStringLiteral("A_Customize"), [&views] {
        if (!views.CheckViewIndex(views.CurrentView)) return;
        auto* window = qobject_cast<QWidget*>(views.ViewDefs[size_t(views.CurrentView)].ViewWindow.data());
        if (auto* current = window ? window->findChild<ViewCustomizer*>(QStringLiteral("ViewCustomizer")) : nullptr)
            ui::RunGuarded(window, [&] { current->FormPU_CustomizeClick(); });
    });
    return customizer;
}

void RebuildWordIndexes(TViewControl& views, ViewTables& tables) {
    tables.CloseDictTables();
    for (int i = 0; i < views.GetViewCount(); ++i) {
        TtsTable* table = views.GetViewTable(i);
        if (!table) continue;
        const QString folder = table->DatabaseName();
        const QString name = views.ViewDefs[size_t(i)].DataTableName;
        const QString tableFile = ViewTableFile(name);
        try {
            BuildWordIndex(folder, tableFile, ViewDictTableFile(name), TextFieldNames(db::ReadTableDef(folder, tableFile)));
        } catch (const std::exception& e) {
            ui::Message(QStringLiteral("The search index of the View \"") + views.GetViewName(i) +
                            QStringLiteral("\" could not be rebuilt: ") + QString::fromUtf8(e.what()),
                        ui::MessageKind::Error, ui::Button::Ok, 10139);
        }
    }
    tables.OpenDictTables();
    tables.ReloadSearchIndexes();
}

}  // namespace core
