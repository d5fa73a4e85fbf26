#include "core/gui/global_update.h"

#include "core/command_registry.h"
#include "core/confirmation.h"
#include "core/date_helpers.h"
#include "core/global_update.h"
#include "core/globals.h"
#include "core/gui/key_filters.h"
#include "core/internal/format_bridge.h"
#include "core/main_data_mod.h"
#include "core/mask_helpers.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"
#include "platform/base/day_time.h"
#include "platform/format/gui/masked_line_edit.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"
#include "platform/ui/window_message.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kInvalidMaskText = QStringLiteral(
    "There is an invalid character in this masked field, or required data is missing. Correct the field data, "
    "or press the Escape key to clear the field.");

/// A value box: a masked edit whose mask failure is reported with the records manager's text.
class UpdateValueEdit : public format::MaskedLineEdit {
public:
    using format::MaskedLineEdit::MaskedLineEdit;
    void ValidateError() override {
        QApplication::beep();
        const int position = qMax(0, FirstInvalidPosition());
        QTimer::singleShot(0, this, [this, position] {
            ui::Message(kInvalidMaskText, ui::MessageKind::Error, ui::Button::Ok, 10056);
            setFocus(Qt::OtherFocusReason);
            setCursorPosition(position);
        });
    }
};

void setHelp(QWidget* w, int context) { w->setProperty("HelpContext", context); }

QString quotedOrBlank(const QString& text) {
    return u'"' + (text.trimmed().isEmpty() ? QStringLiteral("Blank") : text) + u'"';
}

}  // namespace

TGlobalUpdate::TGlobalUpdate(TViewControl& views, core::ViewTables& tables, TMainDataMod* data, QWidget* parent)
    : QDialog(parent), m_views(views), m_tables(tables), m_data(data) {
    setObjectName(QStringLiteral("GlobalUpdate"));
    setWindowTitle(QStringLiteral("Global Update"));

    // ---- controls ----
    UpperPanel = ui::Make<QWidget>(this, "UpperPanel");
    auto* viewGroup = ui::Make<QGroupBox>(UpperPanel, "ViewGroup", QStringLiteral("Update in View"));
    ViewList = ui::Make<QListWidget>(viewGroup, "ViewList");
    setHelp(ViewList, 210020);
    auto* fieldGroup = ui::Make<QGroupBox>(UpperPanel, "FieldGroup", QStringLiteral("Update in Field"));
    FieldList = ui::Make<QListWidget>(fieldGroup, "FieldList");
    setHelp(FieldList, 210021);
    auto readOnly = [this](const char* name, int help) {
        auto* e = ui::Make<QLineEdit>(UpperPanel, name);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        QPalette p = e->palette();
        p.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
        e->setPalette(p);
        setHelp(e, help);
        return e;
    };
    RecordsEdit = readOnly("RecordsEdit", 210022);
    TypeEdit = readOnly("TypeEdit", 210023);
    LengthEdit = readOnly("LengthEdit", 210024);

    auto* conditionGroup = ui::Make<QGroupBox>(this, "ConditionGroup", QStringLiteral("Update the field when..."));
    ConditionLabel = ui::Make<QLabel>(conditionGroup, "ConditionLabel", QStringLiteral("Condition"));
    ConditionBox = ui::Make<QComboBox>(conditionGroup, "ConditionBox");
    setHelp(ConditionBox, 210025);
    CompareEdit = new UpdateValueEdit(conditionGroup);
    CompareEdit->setObjectName(QStringLiteral("CompareEdit"));
    setHelp(CompareEdit, 210026);
    CompareCheck = ui::Make<QCheckBox>(conditionGroup, "CompareCheck", QStringLiteral("Unchecked"));
    setHelp(CompareCheck, 210027);

    auto* newGroup = ui::Make<QGroupBox>(this, "NewValueGroup", QStringLiteral("Set field value to"));
    NewValueLabel = ui::Make<QLabel>(newGroup, "NewValueLabel", QStringLiteral("New value"));
    NewValueEdit = new UpdateValueEdit(newGroup);
    NewValueEdit->setObjectName(QStringLiteral("NewValueEdit"));
    setHelp(NewValueEdit, 210028);
    NewValueCheck = ui::Make<QCheckBox>(newGroup, "NewValueCheck", QStringLiteral("Unchecked"));
    setHelp(NewValueCheck, 210029);

    ProgressPanel = ui::Make<QWidget>(this, "ProgressPanel");
    PercentLabel = ui::Make<QLabel>(ProgressPanel, "PercentLabel", QStringLiteral("0%"));
    PercentLabel->setMinimumWidth(40);
    ProgressBar = ui::Make<QProgressBar>(ProgressPanel, "ProgressBar");
    ProgressBar->setTextVisible(false);
    setHelp(ProgressBar, 210030);

    StartBtn = ui::Make<QPushButton>(this, "StartBtn", QStringLiteral("Start"));
    setHelp(StartBtn, 210001);
    StopBtn = ui::Make<QPushButton>(this, "StopBtn", QStringLiteral("Stop"));
    setHelp(StopBtn, 210002);
    CloseBtn = ui::Make<QPushButton>(this, "CloseBtn", QStringLiteral("Close"));
    setHelp(CloseBtn, 210003);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    setHelp(HelpBtn, 210000);
    StartBtn->setAutoDefault(false);
    StopBtn->setAutoDefault(false);
    CloseBtn->setAutoDefault(false);
    HelpBtn->setAutoDefault(false);

    // ---- layouts ----
    auto* viewBox = new QVBoxLayout(viewGroup);
    viewBox->addWidget(ViewList);
    auto* fieldBox = new QVBoxLayout(fieldGroup);
    fieldBox->addWidget(FieldList);
    auto* upper = new QGridLayout(UpperPanel);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addWidget(viewGroup, 0, 0, 1, 2);
    upper->addWidget(fieldGroup, 0, 2, 1, 2);
    auto* facts = new QHBoxLayout;
    facts->addWidget(new QLabel(QStringLiteral("Records in View"), UpperPanel));
    facts->addWidget(RecordsEdit);
    facts->addWidget(new QLabel(QStringLiteral("Field type"), UpperPanel));
    facts->addWidget(TypeEdit);
    facts->addWidget(new QLabel(QStringLiteral("Field length"), UpperPanel));
    facts->addWidget(LengthEdit);
    upper->addLayout(facts, 1, 0, 1, 4);

    auto* conditionRow = new QHBoxLayout(conditionGroup);
    conditionRow->addWidget(ConditionLabel);
    conditionRow->addWidget(ConditionBox, 1);
    conditionRow->addWidget(CompareEdit, 1);
    conditionRow->addWidget(CompareCheck, 1);
    auto* newRow = new QHBoxLayout(newGroup);
    newRow->addWidget(NewValueLabel);
    newRow->addWidget(NewValueEdit, 1);
    newRow->addWidget(NewValueCheck, 1);

    auto* progressRow = new QHBoxLayout(ProgressPanel);
    progressRow->setContentsMargins(0, 0, 0, 0);
    progressRow->addWidget(PercentLabel);
    progressRow->addWidget(ProgressBar, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(StartBtn);
    buttons->addWidget(StopBtn);
    buttons->addWidget(CloseBtn);
    buttons->addWidget(HelpBtn);

    auto* main = new QVBoxLayout(this);
    main->addWidget(UpperPanel, 1);
    main->addWidget(conditionGroup);
    main->addWidget(newGroup);
    main->addWidget(ProgressPanel);
    main->addLayout(buttons);
    resize(560, 440);

    // ---- connections ----
    connect(ViewList, &QListWidget::currentRowChanged, this, [this](int row) {
        ui::RunGuarded(this, [&] {
            if (row >= 0) ViewListSelect(ViewList->item(row)->data(Qt::UserRole).toInt());
        });
    });
    connect(FieldList, &QListWidget::currentRowChanged, this, [this](int row) {
        ui::RunGuarded(this, [&] {
            if (row >= 0) FieldListSelect(FieldList->item(row)->data(Qt::UserRole).toInt());
        });
    });
    connect(ViewList, &QListWidget::itemClicked, this, [this] { resetValueBoxes(); });
    connect(FieldList, &QListWidget::itemClicked, this, [this] { resetValueBoxes(); });
    connect(ConditionBox, &QComboBox::currentIndexChanged, this, [this] { ui::RunGuarded(this, [&] { ConditionChange(); }); });
    for (QCheckBox* box : {CompareCheck, NewValueCheck})
        connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
            box->setText(on ? QStringLiteral("Checked") : QStringLiteral("Unchecked"));
            hideProgress();
        });
    for (format::MaskedLineEdit* box : {CompareEdit, NewValueEdit}) {
        connect(box, &QLineEdit::textEdited, this, [this] { hideProgress(); });
        box->OnKeyPress = [this, box](QChar& key) { ui::RunGuarded(this, [&] { valueKeyPress(box, key); }); };
        box->installEventFilter(this);
    }
    connect(StartBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { StartBtnClick(); }); });
    connect(StopBtn, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(210000); });

    // ---- opening ----
    StopBtn->hide();
    std::vector<TViewControl::ListItem> items;
    m_views.FillViewListView(items);
    for (const TViewControl::ListItem& it : items) {
        auto* item = new QListWidgetItem(it.Caption, ViewList);
        item->setData(Qt::UserRole, it.Data);
        if (m_views.ViewImagesSmall && it.ImageIndex >= 0 && it.ImageIndex < int(m_views.ViewImagesSmall->size()))
            item->setIcon(QPixmap::fromImage((*m_views.ViewImagesSmall)[size_t(it.ImageIndex)]));
    }
    if (ViewList->count() > 0)
        ViewList->setCurrentRow(0);
    else
        enableValueControls(false);
}

TGlobalUpdate::~TGlobalUpdate() { closeTable(); }

// ---- selecting ----

void TGlobalUpdate::closeTable() {
    if (!m_openedTable) return;
    m_openedTable = false;
    if (TtsTable* t = m_views.GetViewTable(m_view)) {
        try {
            t->Close();
        } catch (...) {
        }
    }
}

void TGlobalUpdate::ViewListSelect(int view) {
    hideProgress();
    closeTable();
    m_view = view;
    m_field = -1;
    FieldList->blockSignals(true);
    FieldList->clear();
    FieldList->blockSignals(false);
    std::vector<TViewControl::ListItem> items;
    m_views.FillFieldListView(view, items);
    for (const TViewControl::ListItem& it : items) {
        auto* item = new QListWidgetItem(it.Caption, FieldList);
        item->setData(Qt::UserRole, it.Data);
    }
    TtsTable* table = m_views.GetViewTable(view);
    if (!table || !table->Active()) {
        m_openedTable = m_tables.OpenViewTable(view);
        table = m_views.GetViewTable(view);
    }
    RecordsEdit->setText(table && table->Active() ? QString::number(table->RecordCount()) : QString());
    if (items.empty()) {
        enableValueControls(false);
        TypeEdit->clear();
        LengthEdit->clear();
        return;
    }
    FieldList->setCurrentRow(0);
}

void TGlobalUpdate::FieldListSelect(int field) {
    hideProgress();
    m_field = field;
    m_type = m_views.GetFieldType(m_view, field);
    const QString fieldMask = m_views.GetFieldMask(m_view, field);
    m_mask.clear();
    m_hasMask = false;
    QString editMask, hint;
    if (m_type == u'D') {
        m_mask = core::DateFormatToEditMask(core::ShortDateFormat());
        m_hasMask = true;
        editMask = m_mask + QStringLiteral(";1; ");
        hint = QStringLiteral("Date format: ") + core::ShortDateFormat();
    } else if (m_type != u'B' && !fieldMask.trimmed().isEmpty()) {
        m_mask = fieldMask;
        m_hasMask = true;
        const bool literal = m_type == u'F' || m_views.GetFieldMaskLiteral(m_view, field);
        editMask = m_mask + (literal ? QStringLiteral(";1; ") : QStringLiteral(";0; "));
        hint = QStringLiteral("Mask: ") + m_mask;
    }
    for (format::MaskedLineEdit* box : {CompareEdit, NewValueEdit}) {
        box->SetEditMask(editMask);
        box->setToolTip(hint);
    }
    resetValueBoxes();
    const bool boolean = m_type == u'B';
    NewValueEdit->setVisible(!boolean);
    NewValueCheck->setVisible(boolean);
    TypeEdit->setText(TViewControl::FieldTypeText(m_type));
    LengthEdit->setText(QString::number(m_views.GetFieldLength(m_view, field)));
    ConditionBox->blockSignals(true);
    ConditionBox->clear();
    ConditionBox->addItems(core::UpdateConditionTexts(m_type));
    ConditionBox->setCurrentIndex(0);
    ConditionBox->blockSignals(false);
    ConditionChange();
    enableValueControls(true);
}

void TGlobalUpdate::resetValueBoxes() {
    switch (m_type.unicode()) {
    case u'B':
        CompareCheck->setChecked(false);
        NewValueCheck->setChecked(false);
        break;
    case u'N':
    case u'F': {
        const QString zero = m_hasMask ? core::MaskSampleText(m_mask, true).trimmed()
                                       : (m_type == u'N' ? QStringLiteral("0") : QStringLiteral("0.0"));
        CompareEdit->SetText(zero);
        NewValueEdit->SetText(zero);
        break;
    }
    default:
        CompareEdit->SetText(QString());
        NewValueEdit->SetText(QString());
    }
    CompareEdit->SetModified(false);
    NewValueEdit->SetModified(false);
}

void TGlobalUpdate::hideProgress() { ProgressPanel->setVisible(false); }

void TGlobalUpdate::enableValueControls(bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{ConditionBox, CompareEdit, CompareCheck, NewValueEdit,
                                                      NewValueCheck, ConditionLabel, NewValueLabel})
        w->setEnabled(enable);
    if (!enable) {
        NewValueEdit->show();
        NewValueCheck->hide();
        CompareEdit->hide();
        CompareCheck->hide();
    }
    StartBtn->setEnabled(enable);
}

void TGlobalUpdate::ConditionChange() {
    hideProgress();
    const bool always = ConditionBox->currentIndex() <= 0;
    const bool boolean = m_type == u'B';
    CompareEdit->setVisible(!always && !boolean);
    CompareCheck->setVisible(!always && boolean);
    if (!always) {
        if (boolean)
            CompareCheck->setFocus();
        else
            CompareEdit->setFocus();
    }
}

// ---- value boxes ----

void TGlobalUpdate::valueKeyPress(format::MaskedLineEdit* box, QChar& key) {
    if (key.isNull()) return;
    if (m_type == u'F') {
        const int point = m_mask.indexOf(u'.');
        if (key == u'.' && m_hasMask && point >= 0) {
            key = QChar();
            box->setCursorPosition(point + 1);
            return;
        }
        key = core::FilterNumberKey(key, box, false);
    } else if (m_type == u'N') {
        key = core::FilterNumberKey(key, box, true);
    }
}

bool TGlobalUpdate::checkValueBox(format::MaskedLineEdit* box) {
    m_invalid = false;
    const QString text = box->Text();
    auto fail = [&](const QString& message, int help) {
        m_invalid = true;
        ui::Message(message, ui::MessageKind::Error, ui::Button::Ok, help);
        box->setFocus();
        return false;
    };
    switch (m_type.unicode()) {
    case u'D':
        if (core::IsBlankDate(text)) return true;
        if (core::IsValidDateText(text)) {
            m_oldDateWarned = false;
            ui::PostMessage(this, UM_VALIDATEEDIT, 0, box == NewValueEdit ? 1 : 0);
            return true;
        }
        return fail(text + QStringLiteral(" is not a valid date."), 10002);
    case u'F': {
        QString number = text.trimmed();
        if (m_hasMask) {
            const QString shaped = core::FormatNumberForMask(core::NumberFromMaskedText(text, m_mask), m_mask);
            box->SetText(shaped);
            number = core::NumberFromMaskedText(box->Text(), m_mask);
        }
        if (!core::ParseFloat(number))
            return fail(quotedOrBlank(number) + QStringLiteral(" is not a valid floating point number."), 10100);
        return true;
    }
    case u'N': {
        QString t = (m_hasMask ? core::NumberFromMaskedText(text, m_mask) : text).trimmed();
        const bool negative = t.startsWith(u'-');
        if (negative) t[0] = u'0';
        // The whole 32-bit range is stored, -2147483648 included.
        if (t.rightJustified(12, u'0') > (negative ? QLatin1String("002147483648") : QLatin1String("002147483647")))
            return fail(u'"' + text + QStringLiteral("\" is too large to store in a Number field. \r"
                                                     "The largest positive or negative number allowed is 2147483647."),
                        10098);
        bool ok = false;
        (m_hasMask ? core::NumberFromMaskedText(text, m_mask) : text).trimmed().toInt(&ok);
        if (!ok) return fail(u'"' + text + QStringLiteral("\" is not a valid integer number."), 10144);
        return true;
    }
    default:
        return true;
    }
}

void TGlobalUpdate::validateDate(format::MaskedLineEdit* box) {
    if (box == CompareEdit) {
        box->SetText(core::ExpandDateYear(box->Text(), true));
        return;
    }
    if (core::IsBlankDate(box->Text())) return;
    box->SetText(core::ExpandDateYear(box->Text(), true));
    const std::optional<QDate> d = core::ParseShortDate(box->Text().trimmed());
    if (!d) return;
    const TUserPrefs& prefs = UserPrefs();
    const bool ignore = prefs.OnOldDate.compare(QLatin1String("Ignore"), Qt::CaseInsensitive) == 0;
    const bool error = prefs.OnOldDate.compare(QLatin1String("Error"), Qt::CaseInsensitive) == 0;
    if (base::DateToDays(*d) >= prefs.OldestDate || ignore || (m_oldDateWarned && !error)) return;
    ui::Message(u'"' + box->Text() + QStringLiteral("\" is older than the oldest acceptable date (") +
                    core::FormatShortDate(base::DaysToDate(prefs.OldestDate)) + QStringLiteral(")."),
                error ? ui::MessageKind::Error : ui::MessageKind::Warning, ui::Button::Ok, 10030);
    m_oldDateWarned = true;
    if (error) box->setFocus();
}

bool TGlobalUpdate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_running) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* box = static_cast<format::MaskedLineEdit*>(watched);
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked after the focus has moved, unless it went to "Close" or to either list.
            QTimer::singleShot(0, this, [this, box] {
                QWidget* to = QApplication::focusWidget();
                if (to == CloseBtn || to == ViewList || to == FieldList || !box->isVisible()) return;
                ui::RunGuarded(this, [&] { checkValueBox(box); });
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TGlobalUpdate::event(QEvent* event) {
    if (ui::WindowMessage* m = ui::AsWindowMessage(event)) {
        if (m->Msg == UM_VALIDATEEDIT)
            ui::RunGuarded(this, [&] { validateDate(m->LParam == 1 ? NewValueEdit : CompareEdit); });
        return true;
    }
    return QDialog::event(event);
}

// ---- running ----

void TGlobalUpdate::setRunning(bool running) {
    m_running = running;
    StopBtn->setVisible(running);
    StartBtn->setVisible(!running);
    CloseBtn->setEnabled(!running);
    UpperPanel->setEnabled(!running);
}

void TGlobalUpdate::StartBtnClick() {
    if (m_running) return;
    const bool conditionShown = ConditionBox->currentIndex() > 0;
    if (conditionShown && CompareEdit->isVisible() && !checkValueBox(CompareEdit)) return;
    if (NewValueEdit->isVisible() && !checkValueBox(NewValueEdit)) return;
    TtsTable* table = m_views.GetViewTable(m_view);
    if (m_invalid || !table || !table->Active() || m_field < 0) return;
    const QString question = QStringLiteral("The field \"") + m_views.GetFieldName(m_view, m_field) +
                             QStringLiteral("\" will be updated in all records in View \"") +
                             m_views.GetViewName(m_view) +
                             QStringLiteral("\". This change cannot be undone. Make sure you have a good backup of your "
                                            "database before continuing.");
    if (!core::ConfirmAction(question, QStringLiteral("GlobalUpdate: Confirm Start"), 210100)) return;

    core::GlobalUpdateRequest request;
    request.column = m_views.GetFieldName(m_view, m_field);
    request.type = m_type;
    request.condition = static_cast<core::UpdateCondition>(std::max(0, ConditionBox->currentIndex()));
    // The lists are the enumeration's first items in order ("value contains" only for String).
    request.mask = m_type == u'D' ? QString() : m_mask;
    request.comparison = core::ComparisonUpdateValue(CompareEdit->Text(), CompareCheck->isChecked(), m_type,
                                                     m_type == u'D' ? QString() : m_mask);
    request.newChecked = NewValueCheck->isChecked();
    request.newText = m_type == u'S' ? NewValueEdit->Text() : NewValueEdit->Text().trimmed();

    const int count = table->RecordCount();
    ProgressBar->setRange(0, std::max(count, 1));
    ProgressBar->setValue(0);
    PercentLabel->setText(QStringLiteral("0%"));
    ProgressPanel->show();
    m_stopRequested = false;
    setRunning(true);
    struct EndRun {
        TGlobalUpdate* d;
        ~EndRun() { d->setRunning(false); }
    } endRun{this};
    core::RunGlobalUpdate(*table, request, m_data ? m_data->DSDB : nullptr, [this](int position, int total) {
        ProgressBar->setValue(position);
        PercentLabel->setText(QString::number(total > 0 ? qint64(position) * 100 / total : 100) + u'%');
        QCoreApplication::processEvents();
        return !m_stopRequested;
    });
    if (m_views.IsViewWindowOpen(m_view)) m_tables.FillViewFields(m_view, true);
}

void TGlobalUpdate::StopBtnClick() { m_stopRequested = true; }

void TGlobalUpdate::reject() {
    if (m_running) {
        QApplication::beep();
        return;
    }
    QDialog::reject();
}

void TGlobalUpdate::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

namespace core {

void ShowGlobalUpdate(TViewControl& views, ViewTables& tables, TMainDataMod* data, QWidget* parent) {
    TGlobalUpdate dialog(views, tables, data, parent);
    ui::ExecModal(dialog);
}

void InstallGlobalUpdate(TViewControl& views, ViewTables& tables, TMainDataMod* data, QWidget* host) {
    QPointer<QWidget> owner(host);
    RegisterCommand(QStringLiteral("A_GlobalUpdate"), [&views, &tables, data, owner] {
        if (ViewLayer().FindUnsavedChanges && ViewLayer().FindUnsavedChanges()) return;
        ShowGlobalUpdate(views, tables, data, owner.data());
    });
}

}  // namespace core
