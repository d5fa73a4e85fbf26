#include "core/gui/customize_toolbar.h"

#include "core/gui/action_icons.h"
#include "core/gui/field_properties.h"
#include "core/gui/form_helpers.h"
#include "core/gui/hidden_fields.h"
#include "core/gui/tab_order_dialog.h"
#include "core/gui/view_properties.h"
#include "core/view_control.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace {
QPointer<TCustomizeToolbar>& toolboxRef() {
    static QPointer<TCustomizeToolbar> toolbox;
    return toolbox;
}
}  // namespace

namespace core {
TCustomizeToolbar* CustomizeToolbar() { return toolboxRef().data(); }
void SetCustomizeToolbar(TCustomizeToolbar* toolbox) { toolboxRef() = toolbox; }
}  // namespace core

TCustomizeToolbar::TCustomizeToolbar(TViewControl& views, core::ViewTables& tables, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_views(views), m_tables(tables) {
    setObjectName(QStringLiteral("CustomizeToolbar"));
    setWindowTitle(QStringLiteral("Customize"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);

    // ---- controls ----
    auto button = [this](const char* name, const char* caption, const char* hint, const char* icon, int tag) {
        auto* b = ui::Make<QToolButton>(this, name);
        b->setAutoRaise(true);
        b->setFixedSize(27, 27);
        b->setIconSize(QSize(20, 20));
        b->setText(QString::fromLatin1(caption));
        b->setToolTip(QString::fromLatin1(hint));
        const QIcon picture = core::ThemeIcon(QString::fromLatin1(icon));
        if (!picture.isNull()) b->setIcon(picture);
        b->setProperty("HelpContext", tag);
        b->setProperty("Tag", tag);
        return b;
    };
    ArrowToolBtn = button("ArrowToolBtn", "&Pointer", "Pointer tool", "edit-select-all", 40008);
    ViewPropsBtn = button("ViewPropsBtn", "&View properties", "Show view properties", "document-properties", 40009);
    FieldPropsBtn = button("FieldPropsBtn", "", "Show field properties", "format-text-bold", 40010);
    TabOrderBtn = button("TabOrderBtn", "&Tab order", "Set tab order", "view-sort-ascending", 40011);
    HiddenFieldsBtn = button("HiddenFieldsBtn", "&Hidden fields", "Show list of hidden fields", "edit-find-replace", 40012);
    DeleteFieldBtn = button("DeleteFieldBtn", "&Delete field", "Select a field to delete", "edit-delete", 40018);
    FieldToolBtn = button("FieldToolBtn", "&Field", "Create new edit field", "insert-text", 40013);
    CheckToolBtn = button("CheckToolBtn", "&Check", "Create new checkbox field", "list-add", 40014);
    OKBtn = button("OKBtn", "&Save", "Save changes", "document-save", 40015);
    CancelBtn = button("CancelBtn", "&Cancel", "Cancel changes", "process-stop", 40016);
    HelpBtn = button("HelpBtn", "&Help", "Customization help", "help-browser", 40017);
    for (QToolButton* b : {ArrowToolBtn, FieldToolBtn, CheckToolBtn}) b->setCheckable(true);
    FieldListPU = new QMenu(this);
    FieldListPU->setObjectName(QStringLiteral("FieldListPU"));

    // ---- layout: four rows ----
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(1);
    grid->addWidget(ArrowToolBtn, 0, 0);
    grid->addWidget(ViewPropsBtn, 0, 1);
    grid->addWidget(FieldPropsBtn, 0, 2);
    grid->addWidget(TabOrderBtn, 1, 0);
    grid->addWidget(HiddenFieldsBtn, 1, 1);
    grid->addWidget(DeleteFieldBtn, 1, 2);
    grid->addWidget(FieldToolBtn, 2, 0);
    grid->addWidget(CheckToolBtn, 2, 1);
    grid->addWidget(OKBtn, 3, 0);
    grid->addWidget(CancelBtn, 3, 1);
    grid->addWidget(HelpBtn, 3, 2);

    // ---- connections ----
    connect(ArrowToolBtn, &QToolButton::clicked, this, [this] { toolClick(ArrowToolBtn, u'*'); });
    connect(FieldToolBtn, &QToolButton::clicked, this, [this] { toolClick(FieldToolBtn, u'S'); });
    connect(CheckToolBtn, &QToolButton::clicked, this, [this] { toolClick(CheckToolBtn, u'B'); });
    connect(ViewPropsBtn, &QToolButton::clicked, this, [this] {
        ui::RunGuarded(this, [&] {
            if (!core::ShowViewProperties(m_views, viewIndex(), this)) return;
            if (auto* w = qobject_cast<QWidget*>(m_views.CustomizingWindow.data())) {
                const core::ViewRect r = m_views.GetViewPosition(viewIndex());
                if (w->geometry() != QRect(r.Left, r.Top, r.Width, r.Height)) {
                    w->setGeometry(r.Left, r.Top, r.Width, r.Height);
                    PlaceBesideView();
                }
            }
        });
    });
    connect(TabOrderBtn, &QToolButton::clicked, this,
            [this] { ui::RunGuarded(this, [&] { core::ShowTabOrder(m_views, viewIndex(), this); }); });
    connect(HiddenFieldsBtn, &QToolButton::clicked, this, [this] {
        ui::RunGuarded(this, [&] {
            core::ShowHiddenFields(m_views, viewIndex(), this);
            FillFieldMenu();
        });
    });
    auto dropMenu = [this](QToolButton* b, int mode) {
        m_menuMode = mode;
        FillFieldMenu();
        FieldListPU->popup(b->mapToGlobal(QPoint(0, b->height())));
    };
    connect(FieldPropsBtn, &QToolButton::pressed, this, [this, dropMenu] { dropMenu(FieldPropsBtn, 0); });
    connect(DeleteFieldBtn, &QToolButton::pressed, this, [this, dropMenu] { dropMenu(DeleteFieldBtn, 1); });
    connect(FieldListPU, &QMenu::triggered, this, [this](QAction* a) {
        ui::RunGuarded(this, [&] { fieldMenuClick(a->data().toInt()); });
    });
    connect(OKBtn, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [&] { finish(true); }); });
    connect(CancelBtn, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [&] { finish(false); }); });
    connect(HelpBtn, &QToolButton::clicked, this, [] { ui::HelpService::ShowContext(40017); });
    SelectPointerTool();
}

TCustomizeToolbar::~TCustomizeToolbar() {
    if (core::CustomizeToolbar() == this) core::SetCustomizeToolbar(nullptr);
}

int TCustomizeToolbar::viewIndex() const {
    return m_views.CustomizingWindow ? m_views.CustomizingWindow->property("viewIndex").toInt() : -1;
}

core::CustomizeTarget* TCustomizeToolbar::target() const {
    QObject* window = m_views.CustomizingWindow.data();
    if (!window) return nullptr;
    if (auto* t = dynamic_cast<core::CustomizeTarget*>(window)) return t;
    for (QObject* child : window->children())
        if (auto* t = dynamic_cast<core::CustomizeTarget*>(child)) return t;
    return nullptr;
}

void TCustomizeToolbar::PlaceBesideView() {
    auto* w = qobject_cast<QWidget*>(m_views.CustomizingWindow.data());
    adjustSize();
    if (w) move(core::PlaceToolboxBesideWindow(w, this));
    resize(std::max(90, sizeHint().width()), height());
}

void TCustomizeToolbar::SelectPointerTool() {
    for (QToolButton* b : {FieldToolBtn, CheckToolBtn}) b->setChecked(false);
    ArrowToolBtn->setChecked(true);
}

void TCustomizeToolbar::toolClick(QToolButton* button, QChar letter) {
    for (QToolButton* b : {ArrowToolBtn, FieldToolBtn, CheckToolBtn}) b->setChecked(false);
    button->setChecked(true);
    if (core::CustomizeTarget* t = target()) t->SetPlacingFieldType(letter);
}

void TCustomizeToolbar::FillFieldMenu() {
    FieldListPU->clear();
    const int view = viewIndex();
    if (!m_views.CheckViewIndex(view)) return;
    const auto& defs = m_views.ViewDefs[size_t(view)].FieldDefs;
    for (int i = 0; i < int(defs.size()); ++i) {
        const TViewFieldDef& f = defs[size_t(i)];
        if (!f.FieldIsVisible && !f.MarkedForDelete) continue;
        QAction* a = FieldListPU->addAction(f.LabelIsVisible ? f.LabelCaption : f.FieldName);
        a->setData(i);
        if (f.MarkedForDelete) a->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    }
}

void TCustomizeToolbar::MarkFieldItem(int field, bool marked) {
    for (QAction* a : FieldListPU->actions()) {
        if (a->data().toInt() != field) continue;
        a->setIcon(marked ? style()->standardIcon(QStyle::SP_DialogDiscardButton) : QIcon());
        return;
    }
}

void TCustomizeToolbar::fieldMenuClick(int field) {
    if (m_menuMode == 1) {
        if (core::CustomizeTarget* t = target()) t->ToggleFieldDelete(field);
        return;
    }
    core::ShowFieldProperties(m_views, m_tables, viewIndex(), field, 0, 0, u'S', false, this);
}

void TCustomizeToolbar::ShowToolbox() {
    m_closingAllowed = false;
    show();
    PlaceBesideView();
    FillFieldMenu();
}

void TCustomizeToolbar::finish(bool keep) {
    if (core::CustomizeTarget* t = target()) t->EndCustomize(keep);
    m_closingAllowed = true;
    close();
}

void TCustomizeToolbar::closeEvent(QCloseEvent* event) {
    if (!m_closingAllowed) {
        event->ignore();
        QApplication::beep();
        return;
    }
    // Freed once the current event has run; nobody may find it meanwhile.
    if (core::CustomizeToolbar() == this) core::SetCustomizeToolbar(nullptr);
    QWidget::closeEvent(event);
}
