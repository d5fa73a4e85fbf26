#include "report/designer/gui/group_dialog.h"

#include "report/designer/gui/position_dialogs.h"
#include "report/model/band_classes.h"
#include "report/model/component_services.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
#include "report/model/report_names.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

namespace {

void declareGroupTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {124, "&Delete"},
            {201, "Break On"},
            {202, "Custom Field"},
            {203, "Data Field"},
            {204, "Groups"},
            {205, "New page when less than"},
            {206, "On Group Change"},
            {208, "Reprint group headers on subsequent pages"},
            {209, "Reset page number"},
            {210, "Start new page"},
            {260, "&Add"},
            {265, "&Insert"},
            {329, "There are no data fields on which to group."},
            {330, "There are no custom fields on which to group."},
            {331, "Group"},
            {332, "Invalid Number."},
            {420, "Start new column"},
            {421, "New column when less than"},
            {422, "Reprint group headers on subsequent columns"},
            {506, "Keep group together"},
        });
        return true;
    }();
    (void)declared;
}

QString numberText(float aValue) { return QString::number(double(aValue), 'g', 7); }

}  // namespace

TppGroupDialog::TppGroupDialog(QObject* aOwner) : TppForm(aOwner) {
    declareGroupTexts();
    setObjectName(QStringLiteral("ppGroupDialog"));

    lblGroups = ui::Make<QLabel>(this, "lblGroups");
    lblGroups->setGeometry(8, 12, 60, 18);
    cbxBreakDescriptions = ui::Make<QComboBox>(this, "cbxBreakDescriptions");
    cbxBreakDescriptions->setGeometry(48, 8, 232, 24);
    lstGroups = ui::Make<QListWidget>(this, "lstGroups");
    lstGroups->setGeometry(8, 40, 272, 112);
    lstGroups->setDragEnabled(true);
    lstGroups->setAcceptDrops(true);
    lstGroups->setDragDropMode(QAbstractItemView::DragDrop);
    lstGroups->setDefaultDropAction(Qt::MoveAction);
    lstGroups->viewport()->installEventFilter(this);
    btnAdd = ui::Make<QPushButton>(this, "btnAdd");
    btnAdd->setGeometry(290, 8, 80, 26);
    btnInsert = ui::Make<QPushButton>(this, "btnInsert");
    btnInsert->setGeometry(290, 40, 80, 26);
    btnDelete = ui::Make<QPushButton>(this, "btnDelete");
    btnDelete->setGeometry(290, 72, 80, 26);
    gbxBreakOn = ui::Make<QGroupBox>(this, "gbxBreakOn");
    gbxBreakOn->setGeometry(8, 158, 362, 50);
    rdbDataField = ui::Make<QRadioButton>(gbxBreakOn, "rdbDataField");
    rdbDataField->setGeometry(12, 22, 110, 20);
    rdbCustomField = ui::Make<QRadioButton>(gbxBreakOn, "rdbCustomField");
    rdbCustomField->setGeometry(140, 22, 120, 20);

    gbxOnGroupBreak = ui::Make<QGroupBox>(this, "gbxOnGroupBreak");
    gbxOnGroupBreak->setGeometry(8, 214, 362, 230);
    cbxNewPage = ui::Make<QCheckBox>(gbxOnGroupBreak, "cbxNewPage");
    cbxResetPageNo = ui::Make<QCheckBox>(gbxOnGroupBreak, "cbxResetPageNo");
    lblNewPageThreshold = ui::Make<QLabel>(gbxOnGroupBreak, "lblNewPageThreshold");
    edtNewPageThreshold = ui::Make<QLineEdit>(gbxOnGroupBreak, "edtNewPageThreshold");
    cbxNewColumn = ui::Make<QCheckBox>(gbxOnGroupBreak, "cbxNewColumn");
    lblNewColumnThreshold = ui::Make<QLabel>(gbxOnGroupBreak, "lblNewColumnThreshold");
    edtNewColumnThreshold = ui::Make<QLineEdit>(gbxOnGroupBreak, "edtNewColumnThreshold");
    cbxKeepTogether = ui::Make<QCheckBox>(this, "cbxKeepTogether");
    cbxReprintOnPage = ui::Make<QCheckBox>(this, "cbxReprintOnPage");
    cbxReprintOnColumn = ui::Make<QCheckBox>(this, "cbxReprintOnColumn");

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);

    connect(cbxBreakDescriptions, &QComboBox::activated, this, [this] { cbxBreakDescriptionsChange(); });
    connect(lstGroups, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_showing) ShowEntry(row);
    });
    connect(rdbDataField, &QRadioButton::clicked, this, [this] { rdbDataFieldClick(); });
    connect(rdbCustomField, &QRadioButton::clicked, this, [this] { rdbCustomFieldClick(); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnInsert, &QPushButton::clicked, this, [this] { btnInsertClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(cbxNewPage, &QCheckBox::clicked, this, [this] { cbxNewPageClick(); });
    connect(cbxNewColumn, &QCheckBox::clicked, this, [this] { cbxNewColumnClick(); });
    connect(cbxKeepTogether, &QCheckBox::clicked, this, [this] { cbxKeepTogetherClick(); });
    auto copyBox = [this](QCheckBox* box, bool TppGroupOptions::*field) {
        connect(box, &QCheckBox::clicked, this, [this, box, field] {
            if (TppGroupOptions* e = Selected()) e->*field = box->isChecked();
        });
    };
    copyBox(cbxResetPageNo, &TppGroupOptions::ResetPageNo);
    copyBox(cbxReprintOnPage, &TppGroupOptions::ReprintOnSubsequentPage);
    copyBox(cbxReprintOnColumn, &TppGroupOptions::ReprintOnSubsequentColumn);
    for (QLineEdit* edit : {edtNewPageThreshold, edtNewColumnThreshold}) report::ReadOnEnter(edit);
    for (QLineEdit* edit : {edtNewPageThreshold, edtNewColumnThreshold})
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            // Leaving for Cancel does not read the entry.
            if (QApplication::focusWidget() == btnCancel) return;
            edtThresholdExit(edit);
        });
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });

    LanguageChanged();
    arrange();
}

TppGroupDialog::~TppGroupDialog() = default;

void TppGroupDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(204));
    lblGroups->setText(ppGetMessageText(204));
    btnAdd->setText(ppGetMessageText(260));
    btnInsert->setText(ppGetMessageText(265));
    btnDelete->setText(ppGetMessageText(124));
    gbxBreakOn->setTitle(ppGetMessageText(201));
    rdbDataField->setText(ppGetMessageText(203));
    rdbCustomField->setText(ppGetMessageText(202));
    gbxOnGroupBreak->setTitle(ppGetMessageText(206));
    cbxNewPage->setText(ppGetMessageText(210));
    cbxResetPageNo->setText(ppGetMessageText(209));
    cbxNewColumn->setText(ppGetMessageText(420));
    lblNewPageThreshold->setText(ppGetMessageText(205));
    lblNewColumnThreshold->setText(ppGetMessageText(421));
    cbxKeepTogether->setText(ppGetMessageText(506));
    cbxReprintOnPage->setText(ppGetMessageText(208));
    cbxReprintOnColumn->setText(ppGetMessageText(422));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));

    // The break box follows the label; the radio buttons take their texts' widths.
    const QFontMetrics fm(font());
    const int labelWidth = fm.horizontalAdvance(lblGroups->text());
    lblGroups->setFixedWidth(labelWidth + 4);
    cbxBreakDescriptions->move(48 + std::max(0, labelWidth - 34), cbxBreakDescriptions->y());
    cbxBreakDescriptions->setFixedWidth(280 - cbxBreakDescriptions->x());
    const int dataWidth = fm.horizontalAdvance(rdbDataField->text()) + 27;
    rdbDataField->setFixedWidth(dataWidth);
    rdbCustomField->setFixedWidth(fm.horizontalAdvance(rdbCustomField->text()) + 27);
    rdbCustomField->move(140 + std::max(0, dataWidth - 71), rdbCustomField->y());
    const int gap = int(std::lround(report::ScreenPixelsPerInch() * 0.1333));
    const int labels = std::max(fm.horizontalAdvance(lblNewPageThreshold->text()), fm.horizontalAdvance(lblNewColumnThreshold->text()));
    for (QLabel* l : {lblNewPageThreshold, lblNewColumnThreshold}) l->setFixedWidth(labels + 4);
    for (QLineEdit* e : {edtNewPageThreshold, edtNewColumnThreshold}) e->move(16 + labels + gap, e->y());
    for (QCheckBox* c : {cbxNewPage, cbxResetPageNo, cbxNewColumn, cbxKeepTogether, cbxReprintOnPage, cbxReprintOnColumn})
        c->setFixedWidth(fm.horizontalAdvance(c->text()) + 30);
}

void TppGroupDialog::ReportAssigned() {
    auto* report = qobject_cast<TppCustomReport*>(Report());
    m_singleColumn = !report || report->Columns() <= 1;
    arrange();
}

void TppGroupDialog::arrange() {
    // Elements are spaced by the screen-pixel equivalent of 2381 thousandths of a millimetre.
    const int space = std::max(4, int(ppFromMMThousandths(2381, TppUnitType::utScreenPixels, report::kVertical, nullptr)));
    for (QWidget* w : {static_cast<QWidget*>(lblNewColumnThreshold), static_cast<QWidget*>(edtNewColumnThreshold),
                       static_cast<QWidget*>(cbxNewColumn), static_cast<QWidget*>(cbxReprintOnColumn)})
        w->setVisible(!m_singleColumn);
    int y = 22;
    cbxNewPage->setGeometry(12, y, cbxNewPage->width(), 20);
    y += 20 + space / 2;
    cbxResetPageNo->setGeometry(32, y, cbxResetPageNo->width(), 20);
    y += 20 + space / 2;
    lblNewPageThreshold->setGeometry(16, y + 3, lblNewPageThreshold->width(), 18);
    edtNewPageThreshold->setGeometry(edtNewPageThreshold->x(), y, 80, 24);
    y += 24 + space;
    if (!m_singleColumn) {
        cbxNewColumn->setGeometry(12, y, cbxNewColumn->width(), 20);
        y += 20 + space / 2;
        lblNewColumnThreshold->setGeometry(16, y + 3, lblNewColumnThreshold->width(), 18);
        edtNewColumnThreshold->setGeometry(edtNewColumnThreshold->x(), y, 80, 24);
        y += 24 + space;
    }
    gbxOnGroupBreak->setFixedHeight(y);
    y = gbxOnGroupBreak->y() + y + space;
    cbxKeepTogether->setGeometry(12, y, cbxKeepTogether->width(), 20);
    y += 20 + space;
    cbxReprintOnPage->setGeometry(12, y, cbxReprintOnPage->width(), 20);
    y += 20 + space / 2;
    if (!m_singleColumn) {
        cbxReprintOnColumn->setGeometry(12, y, cbxReprintOnColumn->width(), 20);
        y += 20 + space / 2;
    }
    y += space;
    btnOK->setGeometry(206, y, 80, 26);
    btnCancel->setGeometry(290, y, 80, 26);
    setFixedSize(378, y + 26 + space + 4);
}

void TppGroupDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TppGroupDialog::FillLists() {
    auto* report = qobject_cast<TppCustomReport*>(Report());
    m_textNames.clear();
    m_textDescriptions.clear();
    m_fieldNames.clear();
    m_fieldDescriptions.clear();
    m_fieldPipelines.clear();
    ppGetReportTextNames(report, m_textNames, false);
    ppGetReportTextNames(report, m_textDescriptions, true);
    if (m_groupsSupplied) {
        for (const QString& description : m_groups) {
            QString name = description;
            QObject* pipeline = nullptr;
            DoGetFieldAlias(description, name, pipeline);
            m_fieldNames << name;
            m_fieldDescriptions << description;
            m_fieldPipelines << qobject_cast<TppDataPipeline*>(pipeline);
        }
        return;
    }
    QList<TppReportFieldName> plain, qualified;
    ppGetReportFieldNames(report, plain, false);
    ppGetReportFieldNames(report, qualified, true);
    for (int i = 0; i < plain.size(); ++i) {
        m_fieldNames << plain.at(i).Name;
        m_fieldDescriptions << qualified.at(i).Name;
        m_fieldPipelines << plain.at(i).DataPipeline;
    }
    m_groups = m_fieldDescriptions;
}

void TppGroupDialog::FormActivate() {
    FillLists();
    cbxBreakDescriptions->setInsertPolicy(QComboBox::NoInsert);
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (report)
        for (int i = 0; i < report->GroupCount(); ++i) {
            TppGroup* g = report->Groups(i);
            auto e = std::make_unique<TppGroupOptions>();
            e->BreakName = g->BreakName();
            e->BreakType = g->BreakType();
            e->DataPipeline = g->DataPipeline();
            e->Group = g;
            e->KeepTogether = g->KeepTogether();
            e->NewColumn = g->NewColumn();
            e->NewColumnThreshold = g->NewColumnThreshold();
            e->NewPage = g->NewPage();
            e->NewPageThreshold = g->NewPageThreshold();
            e->ReprintOnSubsequentColumn = g->ReprintOnSubsequentColumn();
            e->ReprintOnSubsequentPage = g->ReprintOnSubsequentPage();
            e->ResetPageNo = g->ResetPageNo();
            insertEntry(EntryCount(), std::move(e));
        }
    Renumber();
    if (EntryCount() == 0) {
        const TppBreakType type = m_fieldNames.isEmpty() ? TppBreakType::btCustomField : TppBreakType::btDataField;
        rdbDataField->setChecked(type == TppBreakType::btDataField);
        rdbCustomField->setChecked(type == TppBreakType::btCustomField);
        FillBreakBox(type);
        cbxBreakDescriptions->setCurrentIndex(cbxBreakDescriptions->count() > 0 ? 0 : -1);
        cbxReprintOnPage->setChecked(true);
        cbxReprintOnColumn->setChecked(true);
        cbxKeepTogether->setChecked(true);
        edtNewPageThreshold->setText(QStringLiteral("0"));
        edtNewColumnThreshold->setText(QStringLiteral("0"));
    } else {
        lstGroups->setCurrentRow(0);
        ShowEntry(0);
    }
}

int TppGroupDialog::EntryCount() const { return lstGroups->count(); }

TppGroupOptions* TppGroupDialog::Entry(int aIndex) const {
    if (aIndex < 0 || aIndex >= lstGroups->count()) return nullptr;
    return reinterpret_cast<TppGroupOptions*>(lstGroups->item(aIndex)->data(Qt::UserRole).value<quintptr>());
}

TppGroupOptions* TppGroupDialog::Selected() const { return Entry(lstGroups->currentRow()); }

void TppGroupDialog::insertEntry(int aRow, std::unique_ptr<TppGroupOptions> aEntry) {
    auto* item = new QListWidgetItem;
    item->setData(Qt::UserRole, QVariant::fromValue(quintptr(aEntry.get())));
    const QSignalBlocker block(lstGroups);
    lstGroups->insertItem(aRow, item);
    m_entries.push_back(std::move(aEntry));
}

QString TppGroupDialog::BreakDescription(const TppGroupOptions& aEntry) const {
    if (aEntry.BreakType == TppBreakType::btCustomField) {
        const int i = m_textNames.indexOf(aEntry.BreakName);
        return i >= 0 && i < m_textDescriptions.size() ? m_textDescriptions.at(i) : aEntry.BreakName;
    }
    if (aEntry.DataPipeline) {
        const QString qualified = aEntry.DataPipeline->UserName() + QLatin1Char('.') + aEntry.BreakName;
        if (m_fieldDescriptions.contains(qualified)) return qualified;
    }
    const int i = m_fieldNames.indexOf(aEntry.BreakName);
    return i >= 0 && i < m_fieldDescriptions.size() ? m_fieldDescriptions.at(i) : aEntry.BreakName;
}

void TppGroupDialog::Renumber() {
    for (int i = 0; i < lstGroups->count(); ++i)
        lstGroups->item(i)->setText(ppGetMessageText(331) + QStringLiteral("[%1]:").arg(i) + BreakDescription(*Entry(i)));
}

void TppGroupDialog::FillBreakBox(TppBreakType aType) {
    const QSignalBlocker block(cbxBreakDescriptions);
    cbxBreakDescriptions->clear();
    QStringList items = aType == TppBreakType::btDataField ? m_fieldDescriptions : m_textDescriptions;
    // Supplied entries keep their order; the report's own are sorted.
    if (!m_groupsSupplied || aType == TppBreakType::btCustomField) items.sort(Qt::CaseInsensitive);
    cbxBreakDescriptions->addItems(items);
}

void TppGroupDialog::ShowEntry(int aIndex) {
    TppGroupOptions* e = Entry(aIndex);
    if (!e) return;
    m_showing = true;
    rdbDataField->setChecked(e->BreakType == TppBreakType::btDataField);
    rdbCustomField->setChecked(e->BreakType == TppBreakType::btCustomField);
    FillBreakBox(e->BreakType);
    cbxBreakDescriptions->setCurrentIndex(cbxBreakDescriptions->findText(BreakDescription(*e)));
    cbxNewPage->setChecked(e->NewPage);
    cbxResetPageNo->setChecked(e->ResetPageNo);
    cbxNewColumn->setChecked(e->NewColumn);
    cbxKeepTogether->setChecked(e->KeepTogether);
    cbxReprintOnPage->setChecked(e->ReprintOnSubsequentPage);
    cbxReprintOnColumn->setChecked(e->ReprintOnSubsequentColumn);
    edtNewPageThreshold->setText(numberText(e->NewPageThreshold));
    edtNewColumnThreshold->setText(numberText(e->NewColumnThreshold));
    cbxResetPageNo->setEnabled(e->NewPage);
    cbxKeepTogether->setEnabled(!e->NewPage);
    edtNewPageThreshold->setEnabled(!e->NewPage);
    lblNewPageThreshold->setEnabled(!e->NewPage);
    edtNewColumnThreshold->setEnabled(!e->NewColumn);
    lblNewColumnThreshold->setEnabled(!e->NewColumn);
    m_showing = false;
}

void TppGroupDialog::SetEntryBreak(TppGroupOptions& aEntry, const QString& aDescription) const {
    if (aEntry.BreakType == TppBreakType::btCustomField) {
        const int i = m_textDescriptions.indexOf(aDescription);
        aEntry.BreakName = i >= 0 ? m_textNames.at(i) : aDescription;
        aEntry.DataPipeline = nullptr;
        return;
    }
    const int i = m_fieldDescriptions.indexOf(aDescription);
    if (i < 0) return;
    aEntry.BreakName = m_fieldNames.at(i);
    aEntry.DataPipeline = m_fieldPipelines.at(i);
}

std::unique_ptr<TppGroupOptions> TppGroupDialog::NewEntry() const {
    if (cbxBreakDescriptions->currentIndex() < 0) return nullptr;
    auto e = std::make_unique<TppGroupOptions>();
    e->BreakType = rdbCustomField->isChecked() ? TppBreakType::btCustomField : TppBreakType::btDataField;
    SetEntryBreak(*e, cbxBreakDescriptions->currentText());
    return e;
}

void TppGroupDialog::cbxBreakDescriptionsChange() {
    TppGroupOptions* e = Selected();
    if (!e) return;
    SetEntryBreak(*e, cbxBreakDescriptions->currentText());
    QListWidgetItem* item = lstGroups->currentItem();
    const QString text = item->text();
    item->setText(text.left(text.indexOf(QLatin1Char(':')) + 1) + cbxBreakDescriptions->currentText());
}

void TppGroupDialog::rdbDataFieldClick() {
    FillBreakBox(TppBreakType::btDataField);
    cbxBreakDescriptions->setCurrentIndex(cbxBreakDescriptions->count() > 0 ? 0 : -1);
    TppGroupOptions* e = Selected();
    if (!e || e->BreakType == TppBreakType::btDataField || cbxBreakDescriptions->count() == 0) return;
    e->BreakType = TppBreakType::btDataField;
    SetEntryBreak(*e, cbxBreakDescriptions->currentText());
    Renumber();
}

void TppGroupDialog::rdbCustomFieldClick() {
    FillBreakBox(TppBreakType::btCustomField);
    cbxBreakDescriptions->setCurrentIndex(cbxBreakDescriptions->count() > 0 ? 0 : -1);
    TppGroupOptions* e = Selected();
    if (!e || e->BreakType == TppBreakType::btCustomField || cbxBreakDescriptions->count() == 0) return;
    e->BreakType = TppBreakType::btCustomField;
    SetEntryBreak(*e, cbxBreakDescriptions->currentText());
    Renumber();
}

void TppGroupDialog::btnAddClick() {
    std::unique_ptr<TppGroupOptions> e = NewEntry();
    if (!e) {
        ui::Message(ppGetMessageText(rdbCustomField->isChecked() ? 330 : 329), ui::MessageKind::Information, ui::Button::Ok);
        return;
    }
    const int row = EntryCount();
    insertEntry(row, std::move(e));
    Renumber();
    lstGroups->setCurrentRow(row);
    ShowEntry(row);
}

void TppGroupDialog::btnInsertClick() {
    const int row = lstGroups->currentRow();
    if (row < 0) return;
    std::unique_ptr<TppGroupOptions> e = NewEntry();
    if (!e) return;
    insertEntry(row, std::move(e));
    Renumber();
    lstGroups->setCurrentRow(row);
    ShowEntry(row);
}

void TppGroupDialog::btnDeleteClick() {
    const int row = lstGroups->currentRow();
    TppGroupOptions* e = Entry(row);
    if (!e) return;
    {
        const QSignalBlocker block(lstGroups);
        delete lstGroups->takeItem(row);
    }
    std::erase_if(m_entries, [e](const std::unique_ptr<TppGroupOptions>& p) { return p.get() == e; });
    Renumber();
    // The entry after the next one when there is one, else the last, else none.
    int next = row + 1 < EntryCount() ? row + 1 : EntryCount() - 1;
    const QSignalBlocker block(lstGroups);
    lstGroups->setCurrentRow(next);
    if (next >= 0) ShowEntry(next);
}

void TppGroupDialog::lstGroupsDragDrop(int aTarget) {
    const int from = lstGroups->currentRow();
    if (from < 0 || aTarget < 0 || aTarget >= EntryCount() || aTarget == from) return;
    {
        const QSignalBlocker block(lstGroups);
        QListWidgetItem* item = lstGroups->takeItem(from);
        lstGroups->insertItem(aTarget, item);
        lstGroups->setCurrentRow(aTarget);
    }
    Renumber();
    ShowEntry(aTarget);
}

bool TppGroupDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aWatched == lstGroups->viewport()) {
        if (aEvent->type() == QEvent::DragMove || aEvent->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragMoveEvent*>(aEvent);
            const int row = lstGroups->indexAt(e->position().toPoint()).row();
            if (e->source() == lstGroups && (row != lstGroups->currentRow() || aEvent->type() == QEvent::DragEnter)) e->acceptProposedAction();
            else e->ignore();
            return true;
        }
        if (aEvent->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(aEvent);
            lstGroupsDragDrop(lstGroups->indexAt(e->position().toPoint()).row());
            e->setDropAction(Qt::CopyAction);  // the list moved the entry itself
            e->accept();
            return true;
        }
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppGroupDialog::cbxNewPageClick() {
    const bool on = cbxNewPage->isChecked();
    cbxResetPageNo->setEnabled(on);
    if (!on) cbxResetPageNo->setChecked(false);
    cbxKeepTogether->setEnabled(!on);
    lblNewPageThreshold->setEnabled(!on);
    edtNewPageThreshold->setEnabled(!on);
    if (on) edtNewPageThreshold->setText(QStringLiteral("0"));
    if (TppGroupOptions* e = Selected()) {
        e->NewPage = on;
        if (on) e->NewPageThreshold = 0;
        if (!on) e->ResetPageNo = false;
    }
}

void TppGroupDialog::cbxNewColumnClick() {
    const bool on = cbxNewColumn->isChecked();
    lblNewColumnThreshold->setEnabled(!on);
    edtNewColumnThreshold->setEnabled(!on);
    if (on) edtNewColumnThreshold->setText(QStringLiteral("0"));
    if (TppGroupOptions* e = Selected()) {
        e->NewColumn = on;
        if (on) e->NewColumnThreshold = 0;
    }
}

void TppGroupDialog::cbxKeepTogetherClick() {
    const int row = lstGroups->currentRow();
    TppGroupOptions* e = Entry(row);
    if (!e) return;
    e->KeepTogether = cbxKeepTogether->isChecked();
    // The outer groups lose it, whether the box was switched on or off.
    for (int i = 0; i < row; ++i) Entry(i)->KeepTogether = false;
}

void TppGroupDialog::edtThresholdExit(QLineEdit* aEdit) {
    m_thresholdFailed = false;
    TppGroupOptions* e = Selected();
    if (!e) return;
    float& value = aEdit == edtNewPageThreshold ? e->NewPageThreshold : e->NewColumnThreshold;
    bool ok = false;
    const float typed = aEdit->text().trimmed().toFloat(&ok);
    if (!ok) {
        m_thresholdFailed = true;
        ShowWarning(ppGetMessageText(332));
        aEdit->setText(numberText(value));
        aEdit->setFocus();
        aEdit->selectAll();
        return;
    }
    value = typed;
}

void TppGroupDialog::btnOKClick() {
    m_thresholdFailed = false;
    ExitActiveEdit();
    if (m_thresholdFailed) return;
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (!report) {
        EndModal(report::ModalResult::mrOk);
        return;
    }
    const int count = EntryCount();
    for (int i = 0; i < count; ++i) {
        TppGroupOptions* e = Entry(i);
        TppGroup* group = e->Group;
        if (!group) {
            group = qobject_cast<TppGroup*>(ppCreateComponent(report, &TppGroup::staticMetaObject));
            if (!group) continue;
            group->SetReport(report);
            group->SetBreakType(e->BreakType);
            group->SetBreakName(e->BreakName);
            group->SetDataPipeline(e->DataPipeline);
            auto* header = qobject_cast<TppGroupHeaderBand*>(ppCreateComponent(report, &TppGroupHeaderBand::staticMetaObject));
            auto* footer = qobject_cast<TppGroupFooterBand*>(ppCreateComponent(report, &TppGroupFooterBand::staticMetaObject));
            if (header) group->SetHeaderBand(header);
            if (footer) group->SetFooterBand(footer);
            e->Group = group;
        }
        report->MoveGroup(group, i);
        group->SetBreakName(e->BreakName);
        group->SetBreakType(e->BreakType);
        group->SetDataPipeline(e->DataPipeline);
        group->SetKeepTogether(e->KeepTogether);
        group->SetNewColumn(e->NewColumn);
        group->SetNewColumnThreshold(e->NewColumnThreshold);
        group->SetNewPage(e->NewPage);
        group->SetNewPageThreshold(e->NewPageThreshold);
        group->SetReprintOnSubsequentColumn(e->ReprintOnSubsequentColumn);
        group->SetReprintOnSubsequentPage(e->ReprintOnSubsequentPage);
        group->SetResetPageNo(e->ResetPageNo);
    }
    // The groups whose entries were deleted are now last.
    for (int i = report->GroupCount() - 1; i >= count; --i) delete report->Groups(i);
    EndModal(report::ModalResult::mrOk);
}

namespace report {

void RegisterGroupDialog() { RegisterForm<TppCustomGroupDialog, TppGroupDialog>(); }

void UnRegisterGroupDialog() { UnRegisterForm<TppCustomGroupDialog>(); }

}  // namespace report
