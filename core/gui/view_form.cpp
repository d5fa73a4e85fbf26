#include "core/gui/view_form.h"

#include "core/date_helpers.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/key_filters.h"
#include "core/gui/main_form.h"
#include "core/gui/note_base_form.h"
#include "core/gui/toolbar_state.h"
#include "core/gui/view_customizer.h"
#include "core/command_registry.h"
#include "core/internal/format_bridge.h"
#include "core/main_data_mod.h"
#include "core/mask_helpers.h"
#include "core/text_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"

#include "platform/base/day_time.h"
#include "platform/base/scope_exit.h"
#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/db/field.h"
#include "platform/db/db_error.h"
#include "platform/format/gui/masked_line_edit.h"
#include "platform/paint/font_resolver.h"
#include "platform/ui/help.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace {

QColor toColor(core::ColorCode code, const QWidget* w) { return core::ViewColor(code, w); }

QFont toFont(const core::FieldFont& f) {
    // Windows face names take their metric-compatible or same-kind stand-ins.
    QFont font(paint::InstalledFamily(f.Name));
    font.setPointSize(std::max(1, f.Size));
    core::ApplyFontStyles(font, f.Style);
    return font;
}

void paintControl(QWidget* w, core::ColorCode background, const core::FieldFont& font) {
    QPalette p = w->palette();
    const QColor bg = toColor(background, w);
    p.setColor(QPalette::Base, bg);
    p.setColor(QPalette::Window, bg);
    p.setColor(QPalette::Button, bg);
    const QColor fg = toColor(font.Color, w);
    p.setColor(QPalette::Text, fg);
    p.setColor(QPalette::WindowText, fg);
    p.setColor(QPalette::ButtonText, fg);
    w->setPalette(p);
    w->setAutoFillBackground(true);
    w->setFont(toFont(font));
}

QString twoDigits(int n) { return QString::number(n).rightJustified(2, u'0'); }

/// The masked edit of a field: a value its mask rejects is reported by the View window.
class TVMaskEdit : public format::MaskedLineEdit {
public:
    TVMaskEdit(QWidget* window, QWidget* parent) : format::MaskedLineEdit(parent), m_window(window) {}
    void ValidateError() override {
        ui::PostMessage(m_window, UM_BADMASK, m_window->property("viewIndex").toInt(),
                        TViewBaseForm::FieldIndexOfName(objectName()));
    }

private:
    QPointer<QWidget> m_window;
};

}  // namespace

TViewBaseForm::TViewBaseForm(int view, TViewControl& views, core::ViewTables& tables, QWidget* parent,
                             TMainDataMod* data)
    : QWidget(parent, Qt::Window), m_view(view), m_views(views), m_tables(tables), m_data(data),
      m_windows(views, tables, parent, data) {
    setObjectName(QStringLiteral("ViewBaseForm"));
    setProperty("viewIndex", view);
    setProperty("Tag", view);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ViewBase"));
    QFont f(paint::InstalledFamily(QStringLiteral("Arial")));
    f.setPixelSize(13);
    setFont(f);
    buildActions();
    buildWindow();
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setSingleShot(true);
    m_layoutTimer->setInterval(250);
    connect(m_layoutTimer, &QTimer::timeout, this, [this] {
        ui::RunGuarded(this, [this] {
            if (m_views.CheckViewIndex(m_view) && isWindow() && m_views.CustomizingWindow != this)
                m_windows.SaveViewWindowLayout(m_view);
        });
    });
    if (!m_views.CheckViewIndex(view)) return;
    TViewDef& v = def();
    v.ViewWindow = this;
    v.RecordModified = false;
    v.NoteModified = false;
    setWindowTitle(v.ViewName);
    const QImage icon = m_views.GetViewSmallIcon(view);
    if (!icon.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    SetViewFormColor(v.ViewFormColor);
    m_titlePanel->setVisible(v.ViewTitleVisible);
    SetTitleHeight(core::ReadTitlePanelHeight(view));
    const core::ViewRect& r = v.ViewPosition;
    resize(std::max(r.Width, 100), std::max(r.Height, 80));
    m_undockSize = size();
    CreateAllFieldControls();
    ApplyTabOrder();
    core::AttachViewCustomize(this, m_views, m_tables);
    updateCommands();
}

TViewBaseForm::~TViewBaseForm() = default;

TViewDef& TViewBaseForm::def() const { return m_views.ViewDefs[size_t(m_view)]; }

void TViewBaseForm::buildActions() {
    auto make = [this](const char* name, const QString& caption, const QString& hint, int helpContext,
                       const QString& icon, void (TViewBaseForm::*handler)()) {
        auto* a = ui::Make<QAction>(this, name, caption);
        if (!hint.isEmpty()) a->setToolTip(hint);
        a->setProperty("HelpContext", helpContext);
        if (!icon.isEmpty()) a->setIcon(core::ThemeIcon(icon));
        if (handler) connect(a, &QAction::triggered, this, [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); });
        return a;
    };
    A_ViewCategoryNotes = make("A_ViewCategoryNotes", QStringLiteral("&Notes"), QStringLiteral("Show notes"), 40032,
                               QStringLiteral("accessories-text-editor"), &TViewBaseForm::FormPU_ShowNotesClick);
    A_SearchTerms = make("A_SearchTerms", QStringLiteral("&Search Terms"), QStringLiteral("Enter additional search terms"),
                         40035, QStringLiteral("edit-find"), &TViewBaseForm::FormPU_SearchTermsClick);
    A_CrossRef = make("A_CrossRef", QStringLiteral("Cross &Reference"), QStringLiteral("Enter cross reference"), 40036,
                      QStringLiteral("go-jump"), &TViewBaseForm::FormPU_CrossRefClick);
    A_Dock = make("A_Dock", QStringLiteral("Doc&k View"), QStringLiteral("Dock to the main window"), 40034,
                  QStringLiteral("view-restore"), &TViewBaseForm::FormPU_DockClick);
    A_Customize = make("A_Customize", QStringLiteral("&Customize"), QStringLiteral("Customize View and View fields"),
                       40033, QStringLiteral("preferences-desktop"), &TViewBaseForm::FormPU_CustomizeClick);
    A_CloseView = make("A_CloseView", QStringLiteral("C&lose View"), QStringLiteral("Close this view"), 40037,
                       QStringLiteral("window-close"), &TViewBaseForm::FormPU_CloseClick);
    A_FormHelp = make("A_FormHelp", QStringLiteral("&Help"), QStringLiteral("Help"), 40005,
                      QStringLiteral("help-browser"), &TViewBaseForm::HelpBtnClick);
    A_FieldWhatsThis = make("A_FieldWhatsThis", QStringLiteral("&What's this?"), {}, 40039,
                            QStringLiteral("help-faq"), nullptr);
    connect(A_FieldWhatsThis, &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [this] {
            if (TMainForm* main = m_windows.MainForm(); main && m_popupControl) main->ShowControlHelp(m_popupControl);
        });
    });
    A_FieldSpellcheck = make("A_FieldSpellcheck", QStringLiteral("&Check spelling"), QStringLiteral("Check spelling"),
                             40038, QStringLiteral("tools-check-spelling"), nullptr);
    A_FieldSpellcheck->setVisible(false);

    FormPUMenu = ui::Make<QMenu>(this, "FormPUMenu");
    FormPUMenu->addActions({A_ViewCategoryNotes, A_SearchTerms, A_CrossRef});
    FormPUMenu->addSeparator();
    FormPUMenu->addAction(A_Dock);
    QAction* customizeItem = FormPUMenu->addAction(A_Customize->icon(), QStringLiteral("&Customize View"));
    customizeItem->setObjectName(QStringLiteral("FormPU_Customize"));
    connect(customizeItem, &QAction::triggered, A_Customize, &QAction::trigger);
    connect(A_Customize, &QAction::changed, customizeItem, [this, customizeItem] {
        customizeItem->setEnabled(A_Customize->isEnabled());
    });
    FormPUMenu->addAction(A_CloseView);
    FormPUMenu->addSeparator();
    FormPUMenu->addAction(A_FormHelp);

    FieldPUMenu = ui::Make<QMenu>(this, "FieldPUMenu");
    if (TMainForm* main = m_windows.MainForm()) {
        FieldPUMenu->addAction(main->A_EditUndo);
        FieldPUMenu->addSeparator();
        FieldPUMenu->addActions({main->A_EditCut, main->A_EditCopy, main->A_EditPaste, main->A_EditSelectAll});
        FieldPUMenu->addSeparator();
    }
    FieldPUMenu->addAction(A_FieldSpellcheck);
    FieldPUMenu->addSeparator()->setVisible(false);
    FieldPUMenu->addAction(A_FieldWhatsThis);
    PUDummy = ui::Make<QMenu>(this, "PUDummy");
}

void TViewBaseForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolBar = ui::Make<QToolBar>(this, "ViewFormToolBar");
    m_toolBar->setIconSize(QSize(20, 20));
    layout->addWidget(m_toolBar);
    const struct {
        const char* name;
        QAction* action;
        int tag;
    } buttons[] = {{"ShowNotesBtn", A_ViewCategoryNotes, 40019}, {"ShowSearchTermsBtn", A_SearchTerms, 40020},
                   {"ShowCrossRefBtn", A_CrossRef, 40021},       {"DockBtn", A_Dock, 40022},
                   {"CustomizeBtn", A_Customize, 40023},         {"CloseBtn", A_CloseView, 40024},
                   {"HelpBtn", A_FormHelp, 40005}};
    for (const auto& b : buttons) {
        auto* button = ui::Make<QToolButton>(m_toolBar, b.name);
        button->setDefaultAction(b.action);
        button->setAutoRaise(true);
        button->setFixedSize(26, 26);
        button->setProperty("Tag", b.tag);
        m_toolBar->addWidget(button);
    }

    auto* client = new QWidget(this);
    auto* grid = new QGridLayout(client);
    grid->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client, 1);
    m_noData = ui::Make<QLabel>(client, "NoDataLabel", QStringLiteral("There is no data available for this level"));
    m_noData->setAlignment(Qt::AlignCenter);
    grid->addWidget(m_noData, 0, 0);
    m_hider = ui::Make<QWidget>(client, "HiderPanel");
    m_hider->setAutoFillBackground(true);
    grid->addWidget(m_hider, 0, 0);

    auto* hiderLayout = new QVBoxLayout(m_hider);
    hiderLayout->setContentsMargins(0, 0, 0, 0);
    hiderLayout->setSpacing(0);
    // Title strip above the split area; the splitter between them is the title splitter.
    m_titleSplitter = ui::Make<QSplitter>(m_hider, "TitleSplitter", Qt::Vertical);
    m_titleSplitter->setHandleWidth(3);
    m_titleSplitter->setChildrenCollapsible(false);
    hiderLayout->addWidget(m_titleSplitter);
    m_titlePanel = ui::Make<QWidget>(m_titleSplitter, "TitlePanel");
    m_titlePanel->setMinimumHeight(24);
    auto* titleLayout = new QVBoxLayout(m_titlePanel);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    m_title = ui::Make<QPlainTextEdit>(m_titlePanel, "TitleMemo");
    m_title->setReadOnly(true);
    m_title->setProperty("HelpContext", 40001);
    m_title->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_title->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_title->setFocusPolicy(Qt::NoFocus);
    m_title->document()->setDocumentMargin(2);
    titleLayout->addWidget(m_title);
    m_titleSplitter->addWidget(m_titlePanel);

    m_splitPanel = ui::Make<QSplitter>(m_titleSplitter, "SplitPanel", Qt::Vertical);
    m_splitPanel->setHandleWidth(8);
    m_splitPanel->setChildrenCollapsible(false);
    m_titleSplitter->addWidget(m_splitPanel);
    m_titleSplitter->setStretchFactor(0, 0);
    m_titleSplitter->setStretchFactor(1, 1);
    m_scroll = ui::Make<QScrollArea>(m_splitPanel, "ScrollBox");
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setMinimumHeight(1);
    m_fieldArea = new QWidget;
    m_fieldArea->setObjectName(QStringLiteral("FieldArea"));
    m_scroll->setWidget(m_fieldArea);
    m_scroll->setWidgetResizable(false);
    m_splitPanel->addWidget(m_scroll);
    m_dockPanel = ui::Make<QWidget>(m_splitPanel, "BottomDockPanel");
    auto* dockLayout = new QVBoxLayout(m_dockPanel);
    dockLayout->setContentsMargins(0, 0, 0, 0);
    m_splitPanel->addWidget(m_dockPanel);
    m_splitPanel->setStretchFactor(0, 1);
    m_splitPanel->setStretchFactor(1, 0);
    m_splitPanel->handle(1)->setObjectName(QStringLiteral("DockSplitter"));
    m_titleSplitter->handle(1)->setObjectName(QStringLiteral("TitleSplitterHandle"));
    m_dockPanel->hide();
    connect(m_splitPanel, &QSplitter::splitterMoved, this, [this] { ui::RunGuarded(this, [this] { dockSplitterMoved(); }); });

    for (QWidget* w : {static_cast<QWidget*>(m_noData), m_hider, m_fieldArea, m_dockPanel}) w->installEventFilter(this);
    m_splitPanel->installEventFilter(this);

    m_saveCancel = ui::Make<QToolBar>(m_fieldArea, "SaveCancelToolBar");
    m_saveCancel->setStyleSheet(QStringLiteral("QToolBar { background: yellow; border: 1px inset gray; }"));
    auto* save = ui::Make<QAction>(this, "A_Save", QStringLiteral("&Save"));
    save->setToolTip(QStringLiteral("Save changes"));
    auto* cancel = ui::Make<QAction>(this, "A_Cancel", QStringLiteral("&Cancel"));
    cancel->setToolTip(QStringLiteral("Cancel changes"));
    connect(save, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { SaveRecord(); }); });
    connect(cancel, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { CancelRecord(); }); });
    auto* saveBtn = ui::Make<QToolButton>(m_saveCancel, "SaveBtn");
    saveBtn->setDefaultAction(save);
    saveBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
    saveBtn->setProperty("Tag", 40002);
    auto* cancelBtn = ui::Make<QToolButton>(m_saveCancel, "CancelBtn");
    cancelBtn->setDefaultAction(cancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
    cancelBtn->setProperty("Tag", 40003);
    m_saveCancel->addWidget(saveBtn);
    m_saveCancel->addWidget(cancelBtn);
    m_saveCancel->adjustSize();
    m_saveCancel->hide();
}

void TViewBaseForm::SetViewFormColor(core::ColorCode color) {
    for (QWidget* w : {static_cast<QWidget*>(this), m_fieldArea, m_dockPanel}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, toColor(color, this));
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

void TViewBaseForm::SetTitleColor(core::ColorCode color) {
    QPalette p = m_title->palette();
    p.setColor(QPalette::Base, toColor(color, m_title));
    m_title->setPalette(p);
}

void TViewBaseForm::SetTitleVisible(bool visible) { m_titlePanel->setVisible(visible); }

void TViewBaseForm::SetTitleHeight(int height) {
    const int h = std::max(24, height);
    QList<int> sizes = m_titleSplitter->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), height + 1);
    m_titlePanel->resize(m_titlePanel->width(), h);
    m_titleSplitter->setSizes({h, std::max(1, total - h)});
    m_titleHeight = h;
}

int TViewBaseForm::TitleHeight() const {
    return m_titlePanel->isVisible() && m_titlePanel->height() > 0 ? m_titlePanel->height() : m_titleHeight;
}

void TViewBaseForm::NoteDocked(QWidget* note) {
    m_dockPanel->layout()->addWidget(note);
    m_dockPanel->show();
    ApplyNoteDockHeight();
    queueNoteDockHeight();
}

void TViewBaseForm::queueNoteDockHeight() {
    if (m_dockHeightQueued) return;
    m_dockHeightQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_dockHeightQueued = false;
            ui::RunGuarded(this, [this] { ApplyNoteDockHeight(); });
        },
        Qt::QueuedConnection);
}

void TViewBaseForm::NoteUndocked() {
    // The window kept its height while the note was docked: only the dock area goes.
    m_dockPanel->hide();
}

void TViewBaseForm::ApplyNoteDockHeight() {
    if (!m_dockPanel->isVisibleTo(this)) return;
    const QList<int> sizes = m_splitPanel->sizes();
    const int s = sizes.value(0) + sizes.value(1);
    if (s <= 0) return;
    const int share = std::clamp(def().NoteDockHeight, 0, 100000);
    const int field = std::max(1, int(std::lround(s - double(s) * share / 100000.0)));
    m_splitPanel->setSizes({field, std::max(0, s - field)});
}

void TViewBaseForm::dockSplitterMoved() {
    if (m_loading || !m_dockPanel->isVisibleTo(this)) return;
    const QList<int> sizes = m_splitPanel->sizes();
    const int s = sizes.value(0) + sizes.value(1);
    if (s <= 0) return;
    def().NoteDockHeight = int(double(sizes.value(1)) / s * 100000.0);
}

// ---- ViewWindowLink ----

void TViewBaseForm::SetTitleStripText(const QString& text) { m_title->setPlainText(text); }

void TViewBaseForm::CancelEdits() { CancelRecord(); }

void TViewBaseForm::CloseWindow() {
    m_closing = true;
    close();
}

// ---- field controls ----

int TViewBaseForm::FieldIndexOfName(const QString& name) {
    bool ok = false;
    const int n = name.mid(3, 4).trimmed().toInt(&ok);
    return ok ? n : -1;
}

void TViewBaseForm::CreateAllFieldControls() {
    for (int i = 0; i < int(def().FieldDefs.size()); ++i) CreateFieldControls(i);
    fitFieldArea();
}

void TViewBaseForm::FreeFieldControls(int field) {
    if (field < 0 || field >= int(def().FieldDefs.size())) return;
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (m_lastChanged && (m_lastChanged == f.EditControl || m_lastChanged == f.CheckBoxControl)) m_lastChanged.clear();
    delete f.EditControl.data();
    delete f.LabelControl.data();
    delete f.CheckBoxControl.data();
}

void TViewBaseForm::FreeAllFieldControls() {
    for (int i = 0; i < int(def().FieldDefs.size()); ++i) FreeFieldControls(i);
}

void TViewBaseForm::RebuildFieldControls() {
    FreeAllFieldControls();
    CreateAllFieldControls();
    ApplyTabOrder();
    m_tables.FillViewFields(m_view, true);
}

void TViewBaseForm::RebuildFieldControl(int field, bool refill) {
    if (field < 0 || field >= int(def().FieldDefs.size())) return;
    const QString text = refill ? GetFieldText(field) : QString();
    FreeFieldControls(field);
    CreateFieldControls(field);
    fitFieldArea();
    if (!refill) return;
    m_loading = true;
    base::ScopeExit loaded([this] { m_loading = false; });
    SetFieldText(field, text);
}

void TViewBaseForm::ApplyFieldVisibility(int field) {
    if (field < 0 || field >= int(def().FieldDefs.size())) return;
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (QWidget* w = fieldControl(field)) w->setVisible(f.FieldIsVisible);
    if (auto* label = qobject_cast<QWidget*>(f.LabelControl.data())) label->setVisible(f.FieldIsVisible && f.LabelIsVisible);
}

void TViewBaseForm::ClearFieldsModified() {
    for (const TViewFieldDef& f : def().FieldDefs)
        if (auto* e = qobject_cast<format::MaskedLineEdit*>(f.EditControl.data())) e->SetModified(false);
}

void TViewBaseForm::StoreFieldControlPosition(int field) {
    if (field < 0 || field >= int(def().FieldDefs.size())) return;
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (QWidget* w = fieldControl(field)) {
        f.FieldPosition.Top = w->y();
        f.FieldPosition.Left = w->x();
    }
    if (auto* label = qobject_cast<QWidget*>(f.LabelControl.data())) {
        f.LabelPosition.Top = label->y();
        f.LabelPosition.Left = label->x();
    }
}

void TViewBaseForm::StoreFieldControlBounds() {
    for (int i = 0; i < int(def().FieldDefs.size()); ++i) {
        TViewFieldDef& f = def().FieldDefs[size_t(i)];
        if (QWidget* w = fieldControl(i)) f.FieldPosition = {w->y(), w->x(), w->height(), w->width()};
        if (auto* label = qobject_cast<QWidget*>(f.LabelControl.data()))
            f.LabelPosition = {label->y(), label->x(), label->height(), label->width()};
    }
}

void TViewBaseForm::fitFieldArea() {
    int right = 0, bottom = 0;
    for (QWidget* w : m_fieldArea->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == m_saveCancel) continue;
        right = std::max(right, w->geometry().right());
        bottom = std::max(bottom, w->geometry().bottom());
    }
    m_fieldArea->resize(right + 40, bottom + 40);
}

void TViewBaseForm::CreateFieldControls(int field) {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    switch (f.FieldType.unicode()) {
    case u'B':
        createCheckBox(field);
        break;
    case u'S':
    case u'N':
    case u'F':
    case u'D':
        createEditField(field);
        break;
    default:
        break;
    }
}

core::ViewRect TViewBaseForm::GetLabelBounds(int field) const {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (!f.LabelUseBasic && f.LabelRelative == 4) return f.LabelPosition;
    const QFontMetrics m(toFont(f.LabelFont));
    const int h = m.height();
    const int w = m.horizontalAdvance(f.LabelCaption);
    const core::ViewRect& p = f.FieldPosition;
    core::ViewRect r{0, 0, h, w};
    auto alignedLeft = [&] {
        switch (f.LabelAlign) {
        case 1:
            return p.Left + p.Width - w;
        case 2:
            return p.Left + (p.Width - w) / 2;
        default:
            return p.Left;
        }
    };
    switch (f.LabelRelative) {
    case 0:
        r.Top = p.Top - h - 2;
        r.Left = alignedLeft();
        break;
    case 1:
        r.Top = p.Top + p.Height + 2;
        r.Left = alignedLeft();
        break;
    case 2:
        r.Top = p.Top + (p.Height - h) / 2;
        r.Left = p.Left - w - 3;
        break;
    case 3:
        r.Top = p.Top + (p.Height - h) / 2;
        r.Left = p.Left + p.Width + 3;
        break;
    default:
        r.Top = f.LabelPosition.Top;
        r.Left = f.LabelPosition.Left;
    }
    return r;
}

void TViewBaseForm::createEditField(int field) {
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (!f.FieldIsVisible || f.EditControl) return;
    const QString nn = twoDigits(field);
    if (f.LabelIsVisible) {
        const core::ViewRect r = GetLabelBounds(field);
        f.LabelPosition = r;
        auto* label = new QLabel(f.LabelCaption, m_fieldArea);
        label->setObjectName(QStringLiteral("FL_") + nn);
        paintControl(label, f.LabelColor, f.LabelFont);
        label->setGeometry(r.Left, r.Top, r.Width, r.Height);
        if (f.LabelUseBasic || f.LabelRelative != 4) label->adjustSize();
        label->show();
        f.LabelControl = label;
    }
    auto* edit = new TVMaskEdit(this, m_fieldArea);
    edit->setObjectName(QStringLiteral("FE_") + nn);
    const core::ViewRect& p = f.FieldPosition;
    edit->setGeometry(p.Left, p.Top, p.Width, p.Height);
    paintControl(edit, f.NormalColor, f.NormalFont);
    // Length 0 (a number field added while customizing) sets no limit: the stored type
    // bounds the value.
    if (const int maxLength = std::max<int>(f.FieldLength, int(f.FieldMask.size())); maxLength > 0)
        edit->setMaxLength(maxLength);
    if (f.FieldType == u'D') {
        edit->SetEditMask(core::DateFormatToEditMask(core::ShortDateFormat()) + QStringLiteral(";1; "));
    } else if (f.FieldMask.trimmed().isEmpty()) {
        f.FieldMask.clear();
    } else {
        const bool literal = f.FieldMaskLiteral || f.FieldType == u'F';
        edit->SetEditMask(f.FieldMask + (literal ? QStringLiteral(";1; ") : QStringLiteral(";0; ")));
    }
    // The main window's hint handler expands the marker into the hint lines the field asks for.
    if (f.FieldShowHint || f.FieldMaskInHint || f.FieldLongDateHint || f.FieldDateFormatHint)
        edit->setToolTip(QStringLiteral("~~VFH%1%2").arg(m_view, 3, 10, QLatin1Char('0')).arg(field, 3, 10, QLatin1Char('0')));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->OnKeyPress = [this, field](QChar& key) { ui::RunGuarded(this, [&] { fieldKeyPress(field, key); }); };
    connect(edit, &QLineEdit::textChanged, this, [this, edit] { ui::RunGuarded(this, [&] { fieldChanged(edit); }); });
    edit->installEventFilter(this);
    edit->show();
    edit->raise();
    f.EditControl = edit;
}

void TViewBaseForm::createCheckBox(int field) {
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    if (!f.FieldIsVisible || f.CheckBoxControl) return;
    auto* box = new QCheckBox(f.LabelIsVisible ? f.LabelCaption : QString(), m_fieldArea);
    box->setObjectName(QStringLiteral("FE_") + twoDigits(field));
    const core::ViewRect& p = f.FieldPosition;
    box->setGeometry(p.Left, p.Top, p.Width, p.Height);
    box->setLayoutDirection(f.CheckboxAlignment == 0 ? Qt::LeftToRight : Qt::RightToLeft);
    paintControl(box, f.NormalColor, f.NormalFont);
    if (f.FieldShowHint) box->setToolTip(core::BarsToLineBreaks(f.FieldHint));
    connect(box, &QCheckBox::toggled, this, [this, box] { ui::RunGuarded(this, [&] { fieldChanged(box); }); });
    box->installEventFilter(this);
    box->show();
    f.CheckBoxControl = box;
}

QWidget* TViewBaseForm::fieldControl(int field) const {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    return qobject_cast<QWidget*>(f.FieldType == u'B' ? f.CheckBoxControl.data() : f.EditControl.data());
}

void TViewBaseForm::ApplyFieldState(int field, QChar state) {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    QWidget* w = fieldControl(field);
    if (!w) return;
    switch (state.unicode()) {
    case u'N':
        paintControl(w, f.NormalColor, f.NormalFont);
        break;
    case u'C':
        paintControl(w, f.ChangedColor, f.ChangedFont);
        break;
    case u'E':
        paintControl(w, f.ErrorColor, f.ErrorFont);
        break;
    default:
        paintControl(w, core::kClWindow, core::FieldFont{});
    }
}

void TViewBaseForm::ApplyAllFieldsState(QChar state) {
    for (int i = 0; i < int(def().FieldDefs.size()); ++i) ApplyFieldState(i, state);
}

void TViewBaseForm::ApplyTabOrder() {
    const auto& defs = def().FieldDefs;
    const int count = int(defs.size());
    std::vector<int> order(size_t(count), -1);
    for (int i = 0; i < count; ++i) {
        if (defs[size_t(i)].MarkedForDelete) continue;
        const int t = defs[size_t(i)].FieldTabOrder;
        if (t >= 0 && t < count) order[size_t(t)] = i;
    }
    QWidget* previous = nullptr;
    for (int s : order) {
        if (s < 0) continue;
        QWidget* w = fieldControl(s);
        if (!w) continue;
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

QString TViewBaseForm::GetFieldText(int field) const {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    switch (f.FieldType.unicode()) {
    case u'B':
        if (!f.CheckBoxControl) return QStringLiteral("FALSE");
        return f.CheckBoxControl->property("checked").toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case u'S':
    case u'N':
    case u'F':
    case u'D':
        return f.EditControl ? f.EditControl->property("text").toString().trimmed() : QString();
    case u'R':
        return QStringLiteral("0");
    default:
        return {};
    }
}

void TViewBaseForm::SetFieldText(int field, const QString& text) {
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    switch (f.FieldType.unicode()) {
    case u'B':
        if (f.CheckBoxControl) f.CheckBoxControl->setProperty("checked", core::TextToBool(text));
        return;
    case u'D':
        if (f.EditControl) f.EditControl->setProperty("text", core::NormalizeDateText(text));
        return;
    case u'F':
        if (f.EditControl)
            f.EditControl->setProperty("text", f.FieldMask.isEmpty() ? text : core::FormatNumberForMask(text, f.FieldMask));
        return;
    case u'N':
    case u'S':
        if (f.EditControl) f.EditControl->setProperty("text", text);
        return;
    default:
        return;
    }
}

// ---- validation and the record ----

void TViewBaseForm::beepOnError() const {
    if (UserPrefs().BeepOnFieldError) QApplication::beep();
}

bool TViewBaseForm::ValidateField(int field) {
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    const QString text = GetFieldText(field);
    bool ok = true;
    switch (f.FieldType.unicode()) {
    case u'D': {
        if (core::IsBlankDate(text)) break;
        if (!core::IsValidDateText(text)) {
            ui::PostMessage(this, UM_BADDATE, m_view, field);
            ok = false;
            break;
        }
        const QString full = core::ExpandDateYear(text, true);
        const double days = base::DateToDays(core::DateTextToDate(full));
        const QString onOld = UserPrefs().OnOldDate;
        const bool isError = onOld.compare(QLatin1String("Error"), Qt::CaseInsensitive) == 0;
        if (days < UserPrefs().OldestDate && onOld.compare(QLatin1String("Ignore"), Qt::CaseInsensitive) != 0) {
            if (!f.OldDateWarned || isError) ui::PostMessage(this, UM_OLDDATE, m_view, field);
            ok = !isError;
        }
        break;
    }
    case u'F': {
        if (text.isEmpty()) {
            SetFieldText(field, QStringLiteral("0"));
            break;
        }
        const QString number = f.FieldMask.isEmpty() ? text : core::NumberFromMaskedText(text, f.FieldMask);
        if (core::ParseFloat(number)) {
            SetFieldText(field, number);
        } else {
            ui::PostMessage(this, UM_BADFLOAT, m_view, field);
            ok = false;
        }
        break;
    }
    case u'N': {
        QString t = text.trimmed();
        if (t.isEmpty()) {
            SetFieldText(field, QStringLiteral("0"));
            break;
        }
        // The whole 32-bit range is stored, -2147483648 included.
        const bool negative = t.startsWith(u'-');
        if (negative) t[0] = u'0';
        if (t.rightJustified(12, u'0') > (negative ? QLatin1String("002147483648") : QLatin1String("002147483647"))) {
            ui::PostMessage(this, UM_NUMBERTOOLARGE, m_view, field);
            ok = false;
        } else {
            SetFieldText(field, core::RemoveBlanks(text));
        }
        break;
    }
    default:
        break;
    }
    if (!ok) beepOnError();
    return ok;
}

bool TViewBaseForm::SaveRecord() {
    TViewDef& v = def();
    for (int i = 0; i < int(v.FieldDefs.size()); ++i) {
        const TViewFieldDef& f = v.FieldDefs[size_t(i)];
        if (!f.FieldIsVisible || f.MarkedForDelete) continue;
        if (!ValidateField(i)) {
            ApplyFieldState(i, u'E');
            return false;
        }
        if (f.FieldType == u'D' && f.EditControl) SetFieldText(i, GetFieldText(i));
    }
    m_saveCancel->hide();
    if (!m_tables.SaveViewRecord(m_view, false)) {
        // Nothing was written (the user was told why): the edit stays as it is.
        m_saveCancel->show();
        return false;
    }
    v.RecordModified = false;
    ApplyAllFieldsState(u'N');
    for (const TViewFieldDef& f : v.FieldDefs)
        if (auto* e = qobject_cast<format::MaskedLineEdit*>(f.EditControl.data())) e->SetModified(false);
    m_lastChanged.clear();
    return true;
}

void TViewBaseForm::CancelRecord() {
    m_loading = true;
    if (auto* e = qobject_cast<format::MaskedLineEdit*>(m_lastChanged.data())) e->Reset();
    m_loading = false;
    m_saveCancel->hide();
    m_tables.FillViewFields(m_view, false);
    def().RecordModified = false;
    ApplyAllFieldsState(u'N');
    for (const TViewFieldDef& f : def().FieldDefs)
        if (auto* e = qobject_cast<format::MaskedLineEdit*>(f.EditControl.data())) e->SetModified(false);
    m_lastChanged.clear();
}

void TViewBaseForm::ShowFieldArea(bool show) {
    m_hider->setVisible(show);
    m_fieldAreaShown = show;
    updateCommands();
}

void TViewBaseForm::ShowSaveCancelBar(QWidget* control) {
    if (!control) return;
    m_saveCancel->adjustSize();
    const QRect c = control->geometry();
    const QSize bar = m_saveCancel->size();
    const int areaBottom = std::max(m_fieldArea->height(), m_scroll->viewport()->height());
    const int areaRight = std::max(m_fieldArea->width(), m_scroll->viewport()->width());
    QPoint at(c.left() + 1, c.bottom() + 2);
    if (at.y() + bar.height() > areaBottom) {
        at = QPoint(c.right() + 3, c.top() - 1);
        if (at.x() + bar.width() > areaRight) at = QPoint(c.left() + 1, c.top() - bar.height() - 1);
    }
    m_saveCancel->hide();
    m_saveCancel->raise();
    m_saveCancel->move(at);
    m_saveCancel->show();
}

// ---- field events ----

void TViewBaseForm::fieldChanged(QWidget* control) {
    if (m_loading) return;
    TViewDef& v = def();
    if (v.RecordModified) return;
    const int field = FieldIndexOfName(control->objectName());
    if (field >= 0 && field < int(v.FieldDefs.size())) v.FieldDefs[size_t(field)].OldDateWarned = false;
    v.RecordModified = true;
    ShowSaveCancelBar(control);
    m_lastChanged = control;
}

void TViewBaseForm::fieldExit(int field) {
    if (m_loading || field < 0 || field >= int(def().FieldDefs.size())) return;
    TViewFieldDef& f = def().FieldDefs[size_t(field)];
    auto* e = qobject_cast<format::MaskedLineEdit*>(f.EditControl.data());
    if (!e || !e->Modified()) return;
    f.OldDateWarned = false;
    if (ValidateField(field)) {
        ApplyFieldState(field, u'C');
        if (f.FieldType == u'D') SetFieldText(field, GetFieldText(field));
    } else {
        ApplyFieldState(field, u'E');
    }
}

void TViewBaseForm::fieldKeyPress(int field, QChar& key) {
    if (m_saveCancel->isVisible() && (key == u'\r' || key == QChar(27))) {
        const bool enter = key == u'\r';
        key = QChar();
        if (enter) {
            if (SaveRecord()) focusNextChild();
        } else {
            CancelRecord();
        }
        return;
    }
    const TViewFieldDef& f = def().FieldDefs[size_t(field)];
    auto* edit = qobject_cast<QLineEdit*>(f.EditControl.data());
    if (!edit || key.isNull()) return;
    if (f.FieldType == u'F') {
        const int point = f.FieldMask.indexOf(u'.');
        if (key == u'.' && point >= 0) {
            key = QChar();
            edit->setCursorPosition(point + 1);
            return;
        }
        key = core::FilterNumberKey(key, edit, false);
    } else if (f.FieldType == u'N') {
        key = core::FilterNumberKey(key, edit, true);
    }
}

bool TViewBaseForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_splitPanel) {
        // The splitter shares out its new height after this event: the note's share is
        // applied once that is done.
        if ((event->type() == QEvent::Resize || event->type() == QEvent::Show) && m_dockPanel->isVisibleTo(this))
            queueNoteDockHeight();
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::ContextMenu) {
        const bool right = event->type() == QEvent::ContextMenu ||
                           static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        if (!right) return QWidget::eventFilter(watched, event);
        // Customize mode has menus of its own.
        if (m_views.CustomizingWindow == this) return QWidget::eventFilter(watched, event);
        const QPoint global = QCursor::pos();
        if (FieldIndexOfName(watched->objectName()) >= 0 && watched->objectName().startsWith(QLatin1String("FE_"))) {
            if (event->type() == QEvent::ContextMenu) return true;
            m_popupControl = qobject_cast<QWidget*>(watched);
            FieldPUMenu->popup(global);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            popupFormMenu(global);
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut) {
        // Only leaving for another control counts: a message box or pop-up menu taking the
        // focus would otherwise check the field again and repeat its message without end.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
        const int field = FieldIndexOfName(watched->objectName());
        ui::RunGuarded(this, [&] { fieldExit(field); });
    } else if (event->type() == QEvent::FocusIn) {
        const int field = FieldIndexOfName(watched->objectName());
        const bool text = field >= 0 && field < int(def().FieldDefs.size()) && def().FieldDefs[size_t(field)].FieldType == u'S';
        A_FieldSpellcheck->setEnabled(text);
        if (def().RecordModified)
            if (auto* w = qobject_cast<QWidget*>(watched)) ShowSaveCancelBar(w);
    } else if (event->type() == QEvent::KeyPress && qobject_cast<QCheckBox*>(watched) && m_saveCancel->isVisible()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ui::RunGuarded(this, [&] {
                if (SaveRecord()) focusNextChild();
            });
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            ui::RunGuarded(this, [&] { CancelRecord(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- messages ----

bool TViewBaseForm::event(QEvent* event) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(event)) {
        ui::RunGuarded(this, [&] { handleMessage(m->Msg, m->WParam, m->LParam); });
        return true;
    }
    if (event->type() == QEvent::WindowActivate && m_views.CheckViewIndex(m_view)) m_views.SetCurrentViewIndex(m_view);
    return QWidget::event(event);
}

void TViewBaseForm::bringToFront(bool restore) {
    // As the main window's BringViewToFront: a docked window's page becomes the current one.
    if (!isWindow()) {
        if (TMainForm* main = m_windows.MainForm()) main->MainPages->setCurrentWidget(this);
        return;
    }
    if (restore && isMinimized()) showNormal();
    raise();
    activateWindow();
}

void TViewBaseForm::focusField(int field) {
    bringToFront(true);
    if (QWidget* w = fieldControl(field)) w->setFocus();
}

void TViewBaseForm::handleMessage(int msg, qintptr wParam, qintptr lParam) {
    if (!m_views.CheckViewIndex(m_view)) return;
    TViewDef& v = def();
    const int field = int(lParam);
    const bool fieldOk = field >= 0 && field < int(v.FieldDefs.size());
    auto quoted = [&] { return u'"' + GetFieldText(field) + u'"'; };
    switch (msg) {
    case UM_NODECHANGED:
        nodeChanged(int(lParam));
        return;
    case UM_VIEWTOOLBAR:
        m_toolBar->setVisible(wParam != 0);
        return;
    case UM_PREFSCHANGED: {
        TMainForm* main = m_windows.MainForm();
        core::LoadToolbarState(m_toolBar, QStringLiteral("Views Form"), main ? main->A_TBViewForm : nullptr);
        return;
    }
    case UM_BADDATE:
        if (!fieldOk) return;
        ui::Message(quoted() + QStringLiteral(" is not a valid date."), ui::MessageKind::Error, ui::Button::Ok, 10002);
        focusField(field);
        return;
    case UM_OLDDATE: {
        if (!fieldOk) return;
        const QString onOld = UserPrefs().OnOldDate;
        const bool warn = onOld.compare(QLatin1String("Warn"), Qt::CaseInsensitive) == 0;
        ui::Message(quoted() + QStringLiteral(" is older than the oldest acceptable date (") +
                        core::FormatShortDate(base::DaysToDate(UserPrefs().OldestDate)) + QStringLiteral(")."),
                    warn ? ui::MessageKind::Warning : ui::MessageKind::Error, ui::Button::Ok, 10030);
        v.FieldDefs[size_t(field)].OldDateWarned = true;
        if (onOld.compare(QLatin1String("Error"), Qt::CaseInsensitive) == 0) focusField(field);
        return;
    }
    case UM_NUMBERTOOLARGE:
        if (!fieldOk) return;
        ui::Message(quoted() + QStringLiteral(" is too large to store in a Number field. \n"
                                              "The largest positive or negative number allowed is 2147483647."),
                    ui::MessageKind::Error, ui::Button::Ok, 10098);
        focusField(field);
        return;
    case UM_BADFLOAT: {
        if (!fieldOk) return;
        const TViewFieldDef& f = v.FieldDefs[size_t(field)];
        QString text = GetFieldText(field);
        if (!f.FieldMask.isEmpty()) text = core::NumberFromMaskedText(text, f.FieldMask);
        if (!text.contains(u'*'))
            ui::Message(u'"' + text + QStringLiteral("\" is not a valid floating point number."), ui::MessageKind::Error,
                        ui::Button::Ok, 10100);
        else
            ui::Message(QStringLiteral("The mask for this field is not long enough to show the field contents (the "
                                       "missing digits are shown as \"*\"). You must either fix the mask, or enter a "
                                       "new value for this field."),
                        ui::MessageKind::Error, ui::Button::Ok, 10099);
        focusField(field);
        return;
    }
    case UM_SAVEORCANCEL:
        bringToFront(true);
        if (lParam == 1) {
            if (v.NoteWindow) ui::PostMessage(v.NoteWindow, UM_SAVEORCANCEL, wParam, 0);
        } else if (wParam == 1) {
            ui::Message(QStringLiteral("You must save or cancel your changes before you can continue."),
                        ui::MessageKind::Error, ui::Button::Ok, 10067);
            if (m_lastChanged) m_lastChanged->setFocus();
        }
        return;
    case UM_BADMASK:
        if (!fieldOk) return;
        focusField(field);
        ApplyFieldState(field, u'E');
        ShowSaveCancelBar(fieldControl(field));
        ui::Message(QStringLiteral("There is an invalid character in this masked field, or required data is missing. "
                                   "Correct the field data, or press the Escape key to clear the field."),
                    ui::MessageKind::Error, ui::Button::Ok, 10056);
        return;
    default:
        return;
    }
}

void TViewBaseForm::nodeChanged(int branchView) {
    TViewDef& v = def();
    if (branchView == -1) {
        ShowFieldArea(false);
        return;
    }
    if (branchView == m_view) {
        if (UserPrefs().BringActiveToFront) bringToFront(false);
        ShowFieldArea(true);
        if (!v.RecordModified && !v.NoteModified) m_tables.FillViewFields(m_view, true);
        if (v.ViewTitleVisible) SetTitleColor(v.TitleColorFG);
        return;
    }
    if (UserPrefs().LinkViews) LinkToBranch(branchView);
    if (v.ViewTitleVisible) SetTitleColor(v.TitleColorBG);
}

void TViewBaseForm::LinkToBranch(int branchView) {
    if (!m_data || !m_views.CheckViewIndex(branchView) || !m_data->Hierarchy || !m_data->Hierarchy->Active()) return;
    db::Table& h = *m_data->Hierarchy;
    const db::Bookmark mark = h.GetBookmark();
    base::ScopeExit restore([&] {
        if (h.BookmarkValid(mark)) h.GotoBookmark(mark);
    });
    const int start = m_views.ViewDefs[size_t(branchView)].CurrentNodeID;
    bool match = false;
    int reached = -1;
    if (start > 0) {
        // A damaged table whose parents form a ring ends the walk instead of looping.
        std::set<int> seen;
        for (int id = start; seen.insert(id).second;) {
            if (!h.FindKey({id})) break;
            reached = id;
            if (h.FieldByName(QStringLiteral("NodeType"))->AsInteger() == m_view) {
                match = true;
                break;
            }
            id = h.FieldByName(QStringLiteral("ParentNodeID"))->AsInteger();
        }
    } else if (!h.Eof() || !h.Bof()) {
        match = true;
        reached = h.FieldByName(QStringLiteral("NodeID"))->AsInteger();
    }
    TViewDef& v = def();
    if (match && reached == v.CurrentNodeID) return;
    if (!match) {
        ShowFieldArea(false);
        return;
    }
    ShowFieldArea(true);
    v.CurrentNodeID = reached;
    m_tables.FillViewFields(m_view, true);
}

void TViewBaseForm::closeEvent(QCloseEvent* event) {
    const bool known = m_views.CheckViewIndex(m_view);
    if (!m_closing && known &&
        (m_tables.FindUnsavedChanges(true) == m_view || m_views.CustomizingWindow == this)) {
        event->ignore();
        if (m_views.CustomizingWindow != this) m_tables.FindUnsavedChanges(false);
        QApplication::beep();
        return;
    }
    event->accept();
    m_layoutTimer->stop();
    if (!known) return;
    m_placing = true;
    ui::RunGuarded(this, [this] {
        // The note closes with its View: it shows this View's record.
        if (auto* note = qobject_cast<TNoteBaseForm*>(def().NoteWindow.data())) {
            m_windows.SaveNoteWindowLayout(m_view);
            note->CloseWindow();
        }
        m_windows.SaveViewWindowLayout(m_view);
        if (TMainForm* main = m_windows.MainForm()) main->RemoveViewWindowItem(m_view);
    });
    hide();
    if (!isWindow()) {
        const core::ProgramDockingScope docking;
        if (TMainForm* main = m_windows.MainForm()) {
            const int page = main->MainPages->indexOf(this);
            if (page >= 0) main->MainPages->removeTab(page);
        }
    }
}

void TViewBaseForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce || !m_views.CheckViewIndex(m_view)) return;
    m_shownOnce = true;
    m_lastChanged.clear();
}

void TViewBaseForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_views.CheckViewIndex(m_view)) return;
    // A floating window keeps its size in the View definition: written once the resizing
    // pauses (a drag sends a resize for each mouse move; a write takes some 20 ms).
    if (!m_placing && !m_closing && isWindow() && isVisible() && m_views.CustomizingWindow != this)
        m_layoutTimer->start();
}

void TViewBaseForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && m_views.CustomizingWindow != this) {
        popupFormMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TViewBaseForm::popupFormMenu(const QPoint& global) {
    updateCommands();
    FormPUMenu->popup(global);
}

void TViewBaseForm::updateCommands() {
    const bool record = m_fieldAreaShown;
    A_ViewCategoryNotes->setEnabled(record);
    A_SearchTerms->setEnabled(record && core::HasCommand(QStringLiteral("A_SearchTerms")));
    A_CrossRef->setEnabled(record && core::HasCommand(QStringLiteral("A_CrossRef")));
    A_Customize->setEnabled(core::HasCommand(QStringLiteral("A_Customize")));
    A_Dock->setEnabled(m_windows.MainForm() != nullptr);
    A_Dock->setText(isWindow() ? QStringLiteral("Doc&k View") : QStringLiteral("Undoc&k View"));
    A_Dock->setToolTip(isWindow() ? QStringLiteral("Dock to the main window") : QStringLiteral("Undock from the main window"));
}

// ---- commands ----

void TViewBaseForm::FormPU_ShowNotesClick() { m_windows.ShowNoteWindow(m_view); }

void TViewBaseForm::FormPU_SearchTermsClick() {
    // The search-terms and cross-reference dialogs and customize mode work on the current View.
    m_views.SetCurrentViewIndex(m_view);
    core::RunCommand(QStringLiteral("A_SearchTerms"));
}

void TViewBaseForm::FormPU_CrossRefClick() {
    m_views.SetCurrentViewIndex(m_view);
    core::RunCommand(QStringLiteral("A_CrossRef"));
}

void TViewBaseForm::FormPU_CustomizeClick() {
    m_views.SetCurrentViewIndex(m_view);
    core::RunCommand(QStringLiteral("A_Customize"));
}

void TViewBaseForm::FormPU_DockClick() {
    if (m_views.CustomizingWindow == this) return;
    if (isWindow())
        m_windows.DockViewWindow(m_view);
    else
        m_windows.UndockViewWindow(m_view, 0, 0);
    updateCommands();
}

void TViewBaseForm::FormPU_CloseClick() {
    if (m_tables.FindUnsavedChanges(true) == m_view) {
        m_tables.FindUnsavedChanges(false);
        return;
    }
    close();
}

void TViewBaseForm::HelpBtnClick() {
    // The help button's Tag names the topic: the customize topic while the View is designed.
    const QWidget* button = findChild<QWidget*>(QStringLiteral("HelpBtn"));
    const int topic = button ? button->property("Tag").toInt() : 0;
    ui::HelpService::ShowContext(topic > 0 ? topic : 40005);
}

// ---- the View layer's window entry points ----

void InstallViewWindows(TViewControl& views, core::ViewTables& tables, QWidget* host, TMainDataMod* data) {
    TViewLayer& layer = ViewLayer();
    auto windows = std::make_shared<core::ViewWindows>(views, tables, host, data);
    layer.OpenViewTable = [&views, &tables](int view) {
        if (!tables.OpenViewTable(view))
            throw db::EDBEngineError(db::ErrorCode::kIoError, QStringLiteral("The table of the View \"%1\" did not open.")
                                                       .arg(views.GetViewName(view)));
    };
    layer.OpenViewDictTable = [&tables](int view) { tables.OpenViewDictTable(view); };
    layer.ShowViewWindow = [windows](int view) { windows->ShowViewWindow(view); };
    layer.ShowStartupViews = [windows]() { windows->ShowStartupViews(); };
    layer.PostToViewWindows = [&tables](int msg, qintptr wParam, qintptr lParam) {
        tables.PostToViewWindows(msg, wParam, lParam);
    };
    layer.CloseAllViewWindows = [windows]() { windows->CloseAllViewWindows(); };
    layer.FindUnsavedChanges = [&tables]() { return tables.FindUnsavedChanges(false) != -1; };
    views.CreateFieldControls = [&views](int view, int field) {
        if (!views.CheckFieldIndex(view, field)) return;
        if (auto* form = qobject_cast<TViewBaseForm*>(views.ViewDefs[size_t(view)].ViewWindow.data())) {
            form->CreateFieldControls(field);
            form->ApplyTabOrder();
        }
    };
}
