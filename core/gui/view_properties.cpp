#include "core/gui/view_properties.h"

#include "core/globals.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/customize_support.h"
#include "core/internal/format_bridge.h"
#include "core/product_tables.h"
#include "core/view_control.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

void setHelp(QWidget* w, int context) { w->setProperty("HelpContext", context); }

/// Double clicks on the icon label open the icon picker.
class IconLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (OnDblClick) OnDblClick();
    }
};

/// The docked height edit takes digits, ".", the space and control keys; others are dropped
/// without a sound.
class DockHeightFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].unicode() >= 32 && !text[0].isDigit() && text[0] != u'.' && text[0] != u' ')
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

QString TViewProperties::DockHeightText(int stored) { return QString::number(stored / 1000.0, 'g', 10); }

std::optional<int> TViewProperties::DockHeightOfText(const QString& text) {
    const std::optional<double> value = core::ParseFloat(text.trimmed());
    if (text.trimmed().isEmpty() || !value || *value < 0.0 || *value > 100.0) return std::nullopt;
    return int(std::trunc(*value * 1000.0 + 1e-9));
}

TViewProperties::TViewProperties(TViewControl& views, int view, QWidget* parent)
    : QDialog(parent), m_views(views), m_view(view) {
    setObjectName(QStringLiteral("ViewProperties"));
    setWindowTitle(QStringLiteral("View Properties"));

    // ---- controls ----
    PageControl = ui::Make<QTabWidget>(this, "PageControl");
    BasicsPage = ui::Make<QWidget>(PageControl, "BasicsPage");
    ViewOptionsPage = ui::Make<QWidget>(PageControl, "ViewOptionsPage");
    NoteOptionsPage = ui::Make<QWidget>(PageControl, "NoteOptionsPage");
    DataPage = ui::Make<QWidget>(PageControl, "DataPage");
    setHelp(DataPage, 61017);
    VP_Name = ui::Make<QLineEdit>(BasicsPage, "VP_Name");
    setHelp(VP_Name, 61003);
    auto* iconGroup = ui::Make<QGroupBox>(BasicsPage, "IconGroup", QStringLiteral("Icon"));
    auto* icon = new IconLabel(iconGroup);
    icon->setObjectName(QStringLiteral("VP_Icon"));
    VP_Icon = icon;
    VP_Icon->setToolTip(QStringLiteral("Double click to change icon"));
    VP_Icon->setFixedSize(40, 40);
    VP_Icon->setAlignment(Qt::AlignCenter);
    setHelp(VP_Icon, 61004);
    auto* optionsGroup = ui::Make<QGroupBox>(BasicsPage, "OptionsGroup", QStringLiteral("Options"));
    setHelp(optionsGroup, 61008);
    VP_OpenViewOnStart = ui::Make<QCheckBox>(optionsGroup, "VP_OpenViewOnStart", QStringLiteral("Open view on startup"));
    setHelp(VP_OpenViewOnStart, 61005);
    VP_OpenNotesOnStart =
        ui::Make<QCheckBox>(optionsGroup, "VP_OpenNotesOnStart", QStringLiteral("Open notes when view opened"));
    setHelp(VP_OpenNotesOnStart, 61006);
    VP_Searchable = ui::Make<QCheckBox>(optionsGroup, "VP_Searchable", QStringLiteral("Include in searches"));
    setHelp(VP_Searchable, 61007);

    auto* viewPos = ui::Make<QGroupBox>(ViewOptionsPage, "ViewPositionGroup", QStringLiteral("Floating Position/Size"));
    setHelp(viewPos, 61009);
    VP_ViewTop = core::MakeDigitsEdit(viewPos, "VP_ViewTop", 4);
    VP_ViewLeft = core::MakeDigitsEdit(viewPos, "VP_ViewLeft", 4);
    VP_ViewHeight = core::MakeDigitsEdit(viewPos, "VP_ViewHeight", 4);
    VP_ViewWidth = core::MakeDigitsEdit(viewPos, "VP_ViewWidth", 4);
    auto* viewDock = ui::Make<QGroupBox>(ViewOptionsPage, "ViewDockGroup", QStringLiteral("Docking"));
    VP_DockViewOnShow = ui::Make<QCheckBox>(viewDock, "VP_DockViewOnShow", QStringLiteral("Dock View when shown"));
    setHelp(VP_DockViewOnShow, 61010);
    VP_FormColor = ui::Make<QPushButton>(ViewOptionsPage, "VP_FormColor", QStringLiteral("View Background Color"));
    VP_FormColor->setToolTip(QStringLiteral("Click to change background color"));
    setHelp(VP_FormColor, 61011);
    auto* titleGroup = ui::Make<QGroupBox>(ViewOptionsPage, "TitleGroup", QStringLiteral("View Title"));
    VP_ShowTitle = ui::Make<QCheckBox>(titleGroup, "VP_ShowTitle", QStringLiteral("Show the title on this view"));
    setHelp(VP_ShowTitle, 61013);
    TitleColorCaption = ui::Make<QLabel>(titleGroup, "TitleColorCaption", QStringLiteral("Title color when view is..."));
    VP_TitleColorFG = ui::Make<QPushButton>(titleGroup, "VP_TitleColorFG", QStringLiteral("Active"));
    VP_TitleColorBG = ui::Make<QPushButton>(titleGroup, "VP_TitleColorBG", QStringLiteral("Inactive"));
    setHelp(VP_TitleColorFG, 61013);
    setHelp(VP_TitleColorBG, 61013);

    auto* notePos = ui::Make<QGroupBox>(NoteOptionsPage, "NotePositionGroup", QStringLiteral("Floating Position/Size"));
    setHelp(notePos, 61014);
    VP_NoteTop = core::MakeDigitsEdit(notePos, "VP_NoteTop", 4);
    VP_NoteLeft = core::MakeDigitsEdit(notePos, "VP_NoteLeft", 4);
    VP_NoteHeight = core::MakeDigitsEdit(notePos, "VP_NoteHeight", 4);
    VP_NoteWidth = core::MakeDigitsEdit(notePos, "VP_NoteWidth", 4);
    auto* noteDock = ui::Make<QGroupBox>(NoteOptionsPage, "NoteDockGroup", QStringLiteral("Docking"));
    VP_DockNoteOnShow = ui::Make<QCheckBox>(noteDock, "VP_DockNoteOnShow", QStringLiteral("Dock notes when shown"));
    setHelp(VP_DockNoteOnShow, 61015);
    VP_NoteDockHeight = ui::Make<QLineEdit>(noteDock, "VP_NoteDockHeight");
    VP_NoteDockHeight->setMaxLength(7);
    VP_NoteDockHeight->installEventFilter(new DockHeightFilter(VP_NoteDockHeight));
    setHelp(VP_NoteDockHeight, 61015);
    VP_NoteColor = ui::Make<QPushButton>(NoteOptionsPage, "VP_NoteColor", QStringLiteral("Note Background Color"));
    VP_NoteColor->setToolTip(QStringLiteral("Click to change background color"));
    setHelp(VP_NoteColor, 61016);

    DataTableEdit = ui::Make<QLineEdit>(DataPage, "DataTableEdit");
    DictTableEdit = ui::Make<QLineEdit>(DataPage, "DictTableEdit");
    for (QLineEdit* e : {DataTableEdit, DictTableEdit}) e->setReadOnly(true);

    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    setHelp(OKBtn, 61001);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    setHelp(CancelBtn, 61002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    setHelp(HelpBtn, 61000);
    OKBtn->setDefault(true);
    for (QPushButton* b : {VP_FormColor, VP_TitleColorFG, VP_TitleColorBG, VP_NoteColor}) b->setAutoDefault(false);

    // ---- layouts ----
    auto* iconBox = new QVBoxLayout(iconGroup);
    iconBox->addWidget(VP_Icon, 0, Qt::AlignCenter);
    auto* optionsBox = new QVBoxLayout(optionsGroup);
    optionsBox->addWidget(VP_OpenViewOnStart);
    optionsBox->addWidget(VP_OpenNotesOnStart);
    optionsBox->addWidget(VP_Searchable);
    auto* basics = new QGridLayout(BasicsPage);
    basics->addWidget(new QLabel(QStringLiteral("Name"), BasicsPage), 0, 0);
    basics->addWidget(VP_Name, 0, 1);
    basics->addWidget(iconGroup, 1, 0);
    basics->addWidget(optionsGroup, 1, 1);
    basics->setRowStretch(2, 1);
    core::AddPositionEdits(new QGridLayout(viewPos), viewPos, VP_ViewTop, VP_ViewLeft, VP_ViewHeight, VP_ViewWidth);
    core::AddPositionEdits(new QGridLayout(notePos), notePos, VP_NoteTop, VP_NoteLeft, VP_NoteHeight, VP_NoteWidth);
    (new QVBoxLayout(viewDock))->addWidget(VP_DockViewOnShow);
    auto* titleBox = new QGridLayout(titleGroup);
    titleBox->addWidget(VP_ShowTitle, 0, 0, 1, 2);
    titleBox->addWidget(TitleColorCaption, 1, 0, 1, 2);
    titleBox->addWidget(VP_TitleColorFG, 2, 0);
    titleBox->addWidget(VP_TitleColorBG, 2, 1);
    auto* viewOptions = new QVBoxLayout(ViewOptionsPage);
    viewOptions->addWidget(viewPos);
    viewOptions->addWidget(viewDock);
    viewOptions->addWidget(VP_FormColor);
    viewOptions->addWidget(titleGroup);
    viewOptions->addStretch(1);
    auto* dockBox = new QGridLayout(noteDock);
    dockBox->addWidget(VP_DockNoteOnShow, 0, 0, 1, 3);
    dockBox->addWidget(new QLabel(QStringLiteral("Height when docked"), noteDock), 1, 0);
    dockBox->addWidget(VP_NoteDockHeight, 1, 1);
    dockBox->addWidget(new QLabel(QStringLiteral("%"), noteDock), 1, 2);
    auto* noteOptions = new QVBoxLayout(NoteOptionsPage);
    noteOptions->addWidget(notePos);
    noteOptions->addWidget(noteDock);
    noteOptions->addWidget(VP_NoteColor);
    noteOptions->addStretch(1);
    auto* data = new QFormLayout(DataPage);
    data->addRow(QStringLiteral("Data table"), DataTableEdit);
    data->addRow(QStringLiteral("Search dictionary"), DictTableEdit);
    PageControl->addTab(BasicsPage, QStringLiteral("Basics"));
    PageControl->addTab(ViewOptionsPage, QStringLiteral("View Options"));
    PageControl->addTab(NoteOptionsPage, QStringLiteral("Note Options"));
    PageControl->addTab(DataPage, QStringLiteral("Data"));
    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl, 1);
    main->addLayout(core::MakeButtonRow(OKBtn, CancelBtn, HelpBtn));
    resize(420, 380);

    // ---- connections ----
    for (QLineEdit* e : {VP_Name, VP_ViewTop, VP_ViewLeft, VP_ViewHeight, VP_ViewWidth, VP_NoteTop, VP_NoteLeft,
                         VP_NoteHeight, VP_NoteWidth, VP_NoteDockHeight})
        connect(e, &QLineEdit::textEdited, this, [this] { setModified(); });
    for (QCheckBox* b : {VP_OpenViewOnStart, VP_OpenNotesOnStart, VP_Searchable, VP_DockViewOnShow, VP_DockNoteOnShow})
        connect(b, &QCheckBox::toggled, this, [this] { setModified(); });
    connect(VP_ShowTitle, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{TitleColorCaption, VP_TitleColorFG, VP_TitleColorBG})
            w->setEnabled(on);
    });
    connect(VP_FormColor, &QPushButton::clicked, this, [this] { colourClick(VP_FormColor, m_formColor); });
    connect(VP_NoteColor, &QPushButton::clicked, this, [this] { colourClick(VP_NoteColor, m_noteColor); });
    connect(VP_TitleColorFG, &QPushButton::clicked, this, [this] { colourClick(VP_TitleColorFG, m_titleFG); });
    connect(VP_TitleColorBG, &QPushButton::clicked, this, [this] { colourClick(VP_TitleColorBG, m_titleBG); });
    icon->OnDblClick = [this] { ui::RunGuarded(this, [&] { IconDblClick(); }); };
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        ui::RunGuarded(this, [&] {
            if (SaveViewProperties()) accept();
        });
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        m_modified = false;
        reject();
    });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(61000); });

    load();
}

void TViewProperties::load() {
    m_loading = true;
    const TViewDef& v = m_views.ViewDefs[size_t(m_view)];
    m_glyphIndex = v.GlyphIndex;
    const QImage picture = m_views.GetViewLargeIcon(m_view);
    if (!picture.isNull()) VP_Icon->setPixmap(QPixmap::fromImage(picture).scaled(32, 32, Qt::KeepAspectRatio));
    VP_Name->setText(v.ViewName);
    VP_OpenViewOnStart->setChecked(v.ShowViewOnStart);
    VP_OpenNotesOnStart->setChecked(v.ShowNoteOnStart);
    VP_Searchable->setChecked(v.ViewIsSearchable);
    VP_ViewTop->setText(QString::number(v.ViewPosition.Top));
    VP_ViewLeft->setText(QString::number(v.ViewPosition.Left));
    VP_ViewHeight->setText(QString::number(v.ViewPosition.Height));
    VP_ViewWidth->setText(QString::number(v.ViewPosition.Width));
    VP_DockViewOnShow->setChecked(v.DockViewOnShow);
    VP_ShowTitle->setChecked(v.ViewTitleVisible);
    for (QWidget* w : std::initializer_list<QWidget*>{TitleColorCaption, VP_TitleColorFG, VP_TitleColorBG})
        w->setEnabled(v.ViewTitleVisible);
    VP_NoteTop->setText(QString::number(v.NotePosition.Top));
    VP_NoteLeft->setText(QString::number(v.NotePosition.Left));
    VP_NoteHeight->setText(QString::number(v.NotePosition.Height));
    VP_NoteWidth->setText(QString::number(v.NotePosition.Width));
    VP_DockNoteOnShow->setChecked(v.DockNoteOnStart);
    VP_NoteDockHeight->setText(DockHeightText(v.NoteDockHeight));
    m_formColor = v.ViewFormColor;
    m_noteColor = v.NoteFormColor;
    m_titleFG = v.TitleColorFG;
    m_titleBG = v.TitleColorBG;
    paintColours();
    QString folder = Globals().CurrentFolder;
    if (TtsTable* t = m_views.GetViewTable(m_view)) folder = t->DatabaseName();
    folder = QDir::toNativeSeparators(folder);
    if (!folder.isEmpty() && !folder.endsWith(QDir::separator())) folder += QDir::separator();
    DataTableEdit->setText(folder + v.DataTableName + QStringLiteral(".db"));
    DictTableEdit->setText(folder + v.DataTableName + QStringLiteral("Dict.db"));
    m_modified = false;
    m_loading = false;
}

void TViewProperties::setModified() {
    if (!m_loading) m_modified = true;
}

void TViewProperties::paintColours() {
    core::FieldFont text;
    core::PaintPanel(VP_FormColor, m_formColor, text);
    core::PaintPanel(VP_NoteColor, m_noteColor, text);
    core::PaintPanel(VP_TitleColorFG, m_titleFG, text);
    core::PaintPanel(VP_TitleColorBG, m_titleBG, text);
}

void TViewProperties::colourClick(QPushButton*, core::ColorCode& code) {
    ui::RunGuarded(this, [&] {
        if (auto c = core::ChooseColour(code, this)) {
            code = *c;
            setModified();
            paintColours();
        }
    });
}

void TViewProperties::IconDblClick() {
    if (!core::Customize().PickViewIcon) return;
    QImage picture;
    const int glyph = core::Customize().PickViewIcon(m_glyphIndex, picture, this);
    if (glyph < 0) return;
    m_glyphIndex = glyph;
    if (!picture.isNull()) VP_Icon->setPixmap(QPixmap::fromImage(picture).scaled(32, 32, Qt::KeepAspectRatio));
    setModified();
}

bool TViewProperties::fail(QWidget* page, QWidget* control, const QString& text, int help) {
    PageControl->setCurrentWidget(page);
    control->setFocus();
    QCoreApplication::processEvents();
    ui::Message(text, ui::MessageKind::Error, ui::Button::Ok, help);
    return false;
}

bool TViewProperties::SaveViewProperties() {
    auto blank = [](std::initializer_list<QLineEdit*> edits) {
        for (QLineEdit* e : edits)
            if (e->text().trimmed().isEmpty()) return true;
        return false;
    };
    auto number = [](const QLineEdit* e) { return e->text().trimmed().toInt(); };
    if (VP_Name->text().trimmed().isEmpty())
        return fail(BasicsPage, VP_Name, QStringLiteral("You must enter a View name."), 10109);
    if (blank({VP_ViewTop, VP_ViewLeft, VP_ViewHeight, VP_ViewWidth}))
        return fail(ViewOptionsPage, VP_ViewTop, QStringLiteral("View position and size values cannot be blank."), 10124);
    if (blank({VP_NoteTop, VP_NoteLeft, VP_NoteHeight, VP_NoteWidth}))
        return fail(NoteOptionsPage, VP_NoteTop, QStringLiteral("Note position and size values cannot be blank."), 10125);
    if (number(VP_ViewHeight) == 0 || number(VP_ViewWidth) == 0)
        return fail(ViewOptionsPage, VP_ViewHeight, QStringLiteral("View height and width values cannot be zero."), 10126);
    if (number(VP_NoteHeight) == 0 || number(VP_NoteWidth) == 0)
        return fail(NoteOptionsPage, VP_NoteHeight, QStringLiteral("Note height and width values cannot be zero."), 10127);
    const std::optional<int> dock = DockHeightOfText(VP_NoteDockHeight->text());
    if (!dock)
        return fail(NoteOptionsPage, VP_NoteDockHeight,
                    QStringLiteral("Note height when docked value must be between 0 and 100%."), 10145);
    TViewDef& v = m_views.ViewDefs[size_t(m_view)];
    v.GlyphIndex = m_glyphIndex;
    v.ViewName = VP_Name->text();
    v.ShowViewOnStart = VP_OpenViewOnStart->isChecked();
    v.ShowNoteOnStart = VP_OpenNotesOnStart->isChecked();
    v.ViewIsSearchable = VP_Searchable->isChecked();
    v.ViewPosition = {number(VP_ViewTop), number(VP_ViewLeft), number(VP_ViewHeight), number(VP_ViewWidth)};
    v.NotePosition = {number(VP_NoteTop), number(VP_NoteLeft), number(VP_NoteHeight), number(VP_NoteWidth)};
    v.NoteDockHeight = *dock;
    v.ViewFormColor = m_formColor;
    v.ViewTitleVisible = VP_ShowTitle->isChecked();
    v.TitleColorFG = m_titleFG;
    v.TitleColorBG = m_titleBG;
    v.NoteFormColor = m_noteColor;
    v.DockViewOnShow = VP_DockViewOnShow->isChecked();
    v.DockNoteOnStart = VP_DockNoteOnShow->isChecked();
    m_modified = false;
    return true;
}

void TViewProperties::closeEvent(QCloseEvent* event) {
    const bool asked = core::AskToSaveOnClose(
        this, m_modified, event, [this] { return SaveViewProperties(); },
        [this, event] {
            event->ignore();
            m_modified = false;
            reject();
        });
    if (!asked) QDialog::closeEvent(event);
}

namespace core {

bool ShowViewProperties(TViewControl& views, int view, QWidget* parent) {
    if (!views.CheckViewIndex(view)) return false;
    TViewProperties dialog(views, view, parent);
    const bool ok = ui::ExecModal(dialog) == QDialog::Accepted;
    if (ok && Customize().RefreshViewWindow) Customize().RefreshViewWindow(view);
    return ok;
}

}  // namespace core
