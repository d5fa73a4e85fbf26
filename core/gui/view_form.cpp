#include "core/gui/view_form.h"

#include "core/date_helpers.h"
#include "core/globals.h"
#include "core/gui/key_filters.h"
#include "core/gui/view_customizer.h"
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
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

/// A colour code of the settings as a colour: RGB codes directly, system colours from the
/// application palette.
QColor toColor(core::ColorCode code, const QWidget* w) {
    if (code >= 0) return QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF);
    const QPalette p = w ? w->palette() : QApplication::palette();
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

QFont toFont(const core::FieldFont& f) {
    QFont font(f.Name);
    font.setPointSize(std::max(1, f.Size));
    core::ApplyFontStyles(font, f.Style);
    return font;
}

void paint(QWidget* w, core::ColorCode background, const core::FieldFont& font) {
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
    : QWidget(parent, Qt::Window), m_view(view), m_views(views), m_tables(tables), m_data(data) {
    setObjectName(QStringLiteral("ViewBaseForm"));
    setProperty("viewIndex", view);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ViewBase"));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    buildWindow();
    if (!m_views.CheckViewIndex(view)) return;
    TViewDef& v = def();
    v.ViewWindow = this;
    setWindowTitle(v.ViewName);
    {
        QPalette p = m_fieldArea->palette();
        p.setColor(QPalette::Window, toColor(v.ViewFormColor, this));
        m_fieldArea->setPalette(p);
        m_fieldArea->setAutoFillBackground(true);
    }
    m_title->setVisible(v.ViewTitleVisible);
    const core::ViewRect& r = v.ViewPosition;
    resize(std::max(r.Width, 100), std::max(r.Height, 80));
    CreateAllFieldControls();
    ApplyTabOrder();
    core::AttachViewCustomize(this, m_views, m_tables);
}

TViewBaseForm::~TViewBaseForm() = default;

TViewDef& TViewBaseForm::def() const { return m_views.ViewDefs[size_t(m_view)]; }

void TViewBaseForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolBar = ui::Make<QToolBar>(this, "ViewFormToolBar");
    layout->addWidget(m_toolBar);
    auto* closeAction = ui::Make<QAction>(this, "A_CloseView", QStringLiteral("C&lose View"));
    closeAction->setToolTip(QStringLiteral("Close this view"));
    connect(closeAction, &QAction::triggered, this, [this] { ui::RunGuarded(this, [this] { close(); }); });
    auto* closeBtn = ui::Make<QToolButton>(m_toolBar, "CloseBtn");
    closeBtn->setDefaultAction(closeAction);
    m_toolBar->addWidget(closeBtn);

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
    hiderLayout->setSpacing(3);
    m_title = ui::Make<QPlainTextEdit>(m_hider, "TitleMemo");
    m_title->setReadOnly(true);
    m_title->setFixedHeight(24);
    m_title->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_title->setFocusPolicy(Qt::NoFocus);
    hiderLayout->addWidget(m_title);
    m_scroll = ui::Make<QScrollArea>(m_hider, "ScrollBox");
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_fieldArea = new QWidget;
    m_fieldArea->setObjectName(QStringLiteral("FieldArea"));
    m_scroll->setWidget(m_fieldArea);
    m_scroll->setWidgetResizable(false);
    hiderLayout->addWidget(m_scroll, 1);

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
    auto* cancelBtn = ui::Make<QToolButton>(m_saveCancel, "CancelBtn");
    cancelBtn->setDefaultAction(cancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_saveCancel->addWidget(saveBtn);
    m_saveCancel->addWidget(cancelBtn);
    m_saveCancel->adjustSize();
    m_saveCancel->hide();
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
        paint(label, f.LabelColor, f.LabelFont);
        label->setGeometry(r.Left, r.Top, r.Width, r.Height);
        if (f.LabelUseBasic || f.LabelRelative != 4) label->adjustSize();
        label->show();
        f.LabelControl = label;
    }
    auto* edit = new TVMaskEdit(this, m_fieldArea);
    edit->setObjectName(QStringLiteral("FE_") + nn);
    const core::ViewRect& p = f.FieldPosition;
    edit->setGeometry(p.Left, p.Top, p.Width, p.Height);
    paint(edit, f.NormalColor, f.NormalFont);
    edit->setMaxLength(std::max<int>(f.FieldLength, int(f.FieldMask.size())));
    if (f.FieldType == u'D') {
        edit->SetEditMask(core::DateFormatToEditMask(core::ShortDateFormat()) + QStringLiteral(";1; "));
    } else if (f.FieldMask.trimmed().isEmpty()) {
        f.FieldMask.clear();
    } else {
        const bool literal = f.FieldMaskLiteral || f.FieldType == u'F';
        edit->SetEditMask(f.FieldMask + (literal ? QStringLiteral(";1; ") : QStringLiteral(";0; ")));
    }
    if (f.FieldShowHint && !f.FieldHint.isEmpty()) edit->setToolTip(core::BarsToLineBreaks(f.FieldHint));
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
    paint(box, f.NormalColor, f.NormalFont);
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
        paint(w, f.NormalColor, f.NormalFont);
        break;
    case u'C':
        paint(w, f.ChangedColor, f.ChangedFont);
        break;
    case u'E':
        paint(w, f.ErrorColor, f.ErrorFont);
        break;
    default:
        paint(w, core::kClWindow, core::FieldFont{});
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

void TViewBaseForm::ShowFieldArea(bool show) { m_hider->setVisible(show); }

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
    if (event->type() == QEvent::FocusOut) {
        // Only leaving for another control counts: a message box or pop-up menu taking the
        // focus would otherwise check the field again and repeat its message without end.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
        const int field = FieldIndexOfName(watched->objectName());
        ui::RunGuarded(this, [&] { fieldExit(field); });
    } else if (event->type() == QEvent::FocusIn && def().RecordModified) {
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
    return QWidget::event(event);
}

void TViewBaseForm::focusField(int field) {
    raise();
    activateWindow();
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
        raise();
        activateWindow();
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
        if (UserPrefs().BringActiveToFront) raise();
        ShowFieldArea(true);
        if (!v.RecordModified && !v.NoteModified) m_tables.FillViewFields(m_view, true);
        if (v.ViewTitleVisible) {
            QPalette p = m_title->palette();
            p.setColor(QPalette::Base, toColor(v.TitleColorFG, m_title));
            m_title->setPalette(p);
        }
        return;
    }
    if (UserPrefs().LinkViews) LinkToBranch(branchView);
    if (v.ViewTitleVisible) {
        QPalette p = m_title->palette();
        p.setColor(QPalette::Base, toColor(v.TitleColorBG, m_title));
        m_title->setPalette(p);
    }
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
    if (!m_closing && m_views.CheckViewIndex(m_view) && m_tables.FindUnsavedChanges(true) == m_view) {
        event->ignore();
        m_tables.FindUnsavedChanges(false);
        QApplication::beep();
        return;
    }
    event->accept();
}

// ---- the View layer's window entry points ----

void InstallViewWindows(TViewControl& views, core::ViewTables& tables, QWidget* host, TMainDataMod* data) {
    TViewLayer& layer = ViewLayer();
    QPointer<QWidget> owner(host);
    layer.OpenViewTable = [&views, &tables](int view) {
        if (!tables.OpenViewTable(view))
            throw db::EDBEngineError(db::ErrorCode::kIoError, QStringLiteral("The table of the View \"%1\" did not open.")
                                                       .arg(views.GetViewName(view)));
    };
    layer.OpenViewDictTable = [&tables](int view) { tables.OpenViewDictTable(view); };
    layer.ShowViewWindow = [&views, &tables, owner, data](int view) {
        if (!views.CheckViewIndex(view)) return;
        TViewDef& v = views.ViewDefs[size_t(view)];
        auto* w = qobject_cast<QWidget*>(v.ViewWindow.data());
        if (!w) {
            auto* form = new TViewBaseForm(view, views, tables, owner.data(), data);
            tables.FillViewFields(view, true);
            w = form;
        }
        w->show();
        w->raise();
    };
    layer.ShowStartupViews = [&views]() {
        for (int i = 0; i < views.GetViewCount(); ++i)
            if (views.ViewDefs[size_t(i)].ShowViewOnStart && ViewLayer().ShowViewWindow) ViewLayer().ShowViewWindow(i);
    };
    layer.PostToViewWindows = [&tables](int msg, qintptr wParam, qintptr lParam) {
        tables.PostToViewWindows(msg, wParam, lParam);
    };
    layer.CloseAllViewWindows = [&views]() {
        for (TViewDef& v : views.ViewDefs)
            if (auto* w = dynamic_cast<core::ViewWindowLink*>(v.ViewWindow.data())) w->CloseWindow();
    };
    layer.FindUnsavedChanges = [&tables]() { return tables.FindUnsavedChanges(false) != -1; };
}
