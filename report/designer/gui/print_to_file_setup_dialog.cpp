#include "report/designer/gui/print_to_file_setup_dialog.h"

#include "report/model/band.h"
#include "report/model/custom_report.h"
#include "report/model/report.h"
#include "report/model/text_components.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

void declarePrintToFileTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {131, "&File"},
            {249, "Available Controls"},
            {250, "Bands"},
            {251, "Comma delimited"},
            {252, "File Name"},
            {253, "File Type"},
            {254, "Fixed Length"},
            {255, "Order"},
            {256, "Print to File Setup"},
            {257, "Save Length"},
            {258, "Selected Controls"},
            {259, "Tab delimited"},
        });
        return true;
    }();
    (void)declared;
}

int scaled(double aInches) { return int(std::lround(report::ScreenPixelsPerInch() * aInches)); }

}  // namespace

QString TppSaveSetting::SortKey() const {
    return Save ? QString::asprintf("%8d", SaveOrder) : QStringLiteral("99999999");
}

namespace report {

QString ppTextFileNameWithExtension(const QString& aName) {
    if (aName.isEmpty()) return aName;
    const int point = int(aName.indexOf(QLatin1Char('.')));
    if (point < 0) return aName + QStringLiteral(".txt");
    if (point == aName.size() - 1) return aName + QStringLiteral("txt");
    return aName;
}

}  // namespace report

TppPrintToFileSetupDialog::TppPrintToFileSetupDialog(QObject* aOwner) : TppForm(aOwner) {
    declarePrintToFileTexts();
    setObjectName(QStringLiteral("ppPrintToFileSetupDialog"));

    pnlPrintToFile = ui::Make<QFrame>(this, "pnlPrintToFile");
    pnlPrintToFile->setGeometry(0, 0, 500, 340);
    QWidget* p = pnlPrintToFile;
    lblFileName = ui::Make<QLabel>(p, "lblFileName");
    lblFileName->setGeometry(12, 12, 90, 18);
    edtTextFileName = ui::Make<QLineEdit>(p, "edtTextFileName");
    edtTextFileName->setGeometry(12, 32, 380, 24);
    edtTextFileName->setEnabled(false);
    btnFile = ui::Make<QPushButton>(p, "btnFile");
    btnFile->setGeometry(404, 31, 80, 26);
    lblFileType = ui::Make<QLabel>(p, "lblFileType");
    lblFileType->setGeometry(12, 64, 90, 18);
    cbxTextFileType = ui::Make<QComboBox>(p, "cbxTextFileType");
    cbxTextFileType->setGeometry(12, 84, 180, 24);
    cbxTextFileType->addItems({QString(), QString(), QString()});
    cbxTextFileType->setCurrentIndex(0);
    lblBands = ui::Make<QLabel>(p, "lblBands");
    lblBands->setGeometry(12, 118, 140, 18);
    lbxBands = ui::Make<QListWidget>(p, "lbxBands");
    lbxBands->setGeometry(12, 138, 140, 180);
    lblAvailableControls = ui::Make<QLabel>(p, "lblAvailableControls");
    lblAvailableControls->setGeometry(162, 118, 130, 18);
    lbxItemsAvailable = ui::Make<QListWidget>(p, "lbxItemsAvailable");
    lbxItemsAvailable->setGeometry(162, 138, 130, 180);
    lbxItemsAvailable->setSortingEnabled(true);
    auto arrow = [p](const char* name, QStyle::StandardPixmap icon, int y) {
        auto* b = ui::Make<QToolButton>(p, name);
        b->setIcon(QApplication::style()->standardIcon(icon));
        b->setGeometry(298, y, 28, 26);
        return b;
    };
    spbSelectItem = arrow("spbSelectItem", QStyle::SP_ArrowRight, 150);
    spbSelectAllItems = arrow("spbSelectAllItems", QStyle::SP_MediaSeekForward, 182);
    spbDeselectItem = arrow("spbDeselectItem", QStyle::SP_ArrowLeft, 226);
    spbDeselectAllItems = arrow("spbDeselectAllItems", QStyle::SP_MediaSeekBackward, 258);
    spbDeselectItem->setEnabled(false);
    spbDeselectAllItems->setEnabled(false);
    lblSelectedControls = ui::Make<QLabel>(p, "lblSelectedControls");
    lblSelectedControls->setGeometry(332, 118, 130, 18);
    lbxItemsSelected = ui::Make<QListWidget>(p, "lbxItemsSelected");
    lbxItemsSelected->setGeometry(332, 138, 130, 180);
    lbxItemsSelected->setDragEnabled(true);
    lbxItemsSelected->setAcceptDrops(true);
    lbxItemsSelected->setDragDropMode(QAbstractItemView::DragDrop);
    lbxItemsSelected->viewport()->installEventFilter(this);
    spbMoveFieldUp = ui::Make<QToolButton>(p, "spbMoveFieldUp");
    spbMoveFieldUp->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowUp));
    spbMoveFieldUp->setGeometry(466, 190, 28, 26);
    spbMoveFieldDown = ui::Make<QToolButton>(p, "spbMoveFieldDown");
    spbMoveFieldDown->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowDown));
    spbMoveFieldDown->setGeometry(466, 222, 28, 26);
    lblOrder = ui::Make<QLabel>(p, "lblOrder");
    lblOrder->setGeometry(466, 170, 34, 18);
    lblOrder->hide();
    lblSaveLength = ui::Make<QLabel>(p, "lblSaveLength");
    lblSaveLength->setGeometry(332, 328, 90, 18);
    edtSaveLength = ui::Make<QLineEdit>(p, "edtSaveLength");
    edtSaveLength->setGeometry(426, 324, 60, 24);

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnOK->resize(80, 26);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);
    btnCancel->resize(80, 26);
    setFixedWidth(506);

    connect(lbxBands, &QListWidget::itemClicked, this, [this] { lbxBandsClick(); });
    connect(lbxBands, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row != m_shownBand) showBand(row);
    });
    connect(spbSelectItem, &QToolButton::clicked, this, [this] { spbSelectItemClick(); });
    connect(spbSelectAllItems, &QToolButton::clicked, this, [this] { spbSelectAllItemsClick(); });
    connect(spbDeselectItem, &QToolButton::clicked, this, [this] { spbDeselectItemClick(); });
    connect(spbDeselectAllItems, &QToolButton::clicked, this, [this] { spbDeselectAllItemsClick(); });
    connect(spbMoveFieldUp, &QToolButton::clicked, this, [this] { spbDragUpClick(); });
    connect(spbMoveFieldDown, &QToolButton::clicked, this, [this] { spbDragDownClick(); });
    connect(lbxItemsSelected, &QListWidget::itemClicked, this, [this] { lbxItemsSelectedClick(); });
    connect(edtSaveLength, &QLineEdit::textEdited, this, [this] { edtSaveLengthChange(); });
    connect(btnFile, &QPushButton::clicked, this, [this] { btnFileClick(); });
    connect(cbxTextFileType, &QComboBox::activated, this, [this] { cbxTextFileTypeChange(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });

    FormCreate();
    LanguageChanged();
    arrange();
}

TppPrintToFileSetupDialog::~TppPrintToFileSetupDialog() { FormDestroy(); }

void TppPrintToFileSetupDialog::FormCreate() {
    m_shownBand = -1;
    cbxTextFileType->setCurrentIndex(0);
    m_bands.clear();
    m_firstActivation = true;
}

void TppPrintToFileSetupDialog::FormDestroy() {
    for (BandEntry& b : m_bands)
        for (TppSaveSetting* s : b.Settings) delete s;
    m_bands.clear();
}

void TppPrintToFileSetupDialog::lbxBandsClick() { showBand(lbxBands->currentRow()); }
void TppPrintToFileSetupDialog::spbSelectItemClick() { moveEntries(lbxItemsAvailable, lbxItemsSelected, false); }
void TppPrintToFileSetupDialog::spbSelectAllItemsClick() { moveEntries(lbxItemsAvailable, lbxItemsSelected, true); }
void TppPrintToFileSetupDialog::spbDeselectItemClick() { moveEntries(lbxItemsSelected, lbxItemsAvailable, false); }
void TppPrintToFileSetupDialog::spbDeselectAllItemsClick() { moveEntries(lbxItemsSelected, lbxItemsAvailable, true); }

void TppPrintToFileSetupDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(256));
    lblFileName->setText(ppGetMessageText(252));
    btnFile->setText(ppGetMessageText(131));
    lblFileType->setText(ppGetMessageText(253));
    const int selected = cbxTextFileType->currentIndex();
    cbxTextFileType->setItemText(0, ppGetMessageText(251));
    cbxTextFileType->setItemText(1, ppGetMessageText(259));
    cbxTextFileType->setItemText(2, ppGetMessageText(254));
    cbxTextFileType->setCurrentIndex(selected);
    lblBands->setText(ppGetMessageText(250));
    lblAvailableControls->setText(ppGetMessageText(249));
    lblSelectedControls->setText(ppGetMessageText(258));
    lblOrder->setText(ppGetMessageText(255));
    lblSaveLength->setText(ppGetMessageText(257));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

void TppPrintToFileSetupDialog::ReportAssigned() {
    auto* report = qobject_cast<TppReport*>(Report());
    if (!report) return;
    SetFileName(report->TextFileName());
    m_fileType = int(report->TextFileType());
    // A custom type has no entry: the box shows none and OK keeps the type.
    cbxTextFileType->setCurrentIndex(m_fileType < cbxTextFileType->count() ? m_fileType : -1);
}

void TppPrintToFileSetupDialog::ReportChanged() { buildBandSettings(); }

void TppPrintToFileSetupDialog::buildBandSettings() {
    FormDestroy();
    lbxBands->clear();
    m_shownBand = -1;
    auto* report = qobject_cast<TppCustomReport*>(EditedReport());
    if (!report) return;
    for (int i = 0; i < report->BandCount(); ++i) {
        TppBand* band = report->Bands(i);
        BandEntry entry;
        entry.Caption = band->GetCaptionText();
        entry.Band = band;
        for (int j = 0; j < band->ObjectCount(); ++j) {
            auto* text = qobject_cast<TppCustomText*>(band->Objects(j));
            if (!text) continue;
            auto* s = new TppSaveSetting(this);
            s->Band = band;
            s->Text = text;
            s->Name = text->UserName();
            s->Save = text->Save();
            s->SaveOrder = band->IndexOfSave(text);
            s->SaveLength = text->SaveLength();
            entry.Settings.push_back(s);
        }
        std::stable_sort(entry.Settings.begin(), entry.Settings.end(),
                         [](const TppSaveSetting* a, const TppSaveSetting* b) { return a->SortKey() < b->SortKey(); });
        auto* item = new QListWidgetItem(entry.Caption);
        item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(band));
        {
            const QSignalBlocker block(lbxBands);
            lbxBands->addItem(item);
        }
        m_bands.push_back(std::move(entry));
    }
    if (!m_bands.empty()) {
        {
            const QSignalBlocker block(lbxBands);
            lbxBands->setCurrentRow(0);
        }
        showBand(0);
    }
}

QList<TppSaveSetting*> TppPrintToFileSetupDialog::BandSettings(int aIndex) const {
    if (aIndex < 0 || aIndex >= int(m_bands.size())) return {};
    return QList<TppSaveSetting*>(m_bands[aIndex].Settings.begin(), m_bands[aIndex].Settings.end());
}

TppSaveSetting* TppPrintToFileSetupDialog::settingOf(QListWidget* aList, int aRow) const {
    if (aRow < 0 || aRow >= aList->count()) return nullptr;
    return qobject_cast<TppSaveSetting*>(aList->item(aRow)->data(Qt::UserRole).value<QObject*>());
}

void TppPrintToFileSetupDialog::addEntry(QListWidget* aList, TppSaveSetting* aSetting, int aRow) {
    auto* item = new QListWidgetItem(aSetting->Name);
    item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(aSetting));
    if (aRow < 0) aList->addItem(item);
    else aList->insertItem(aRow, item);
}

void TppPrintToFileSetupDialog::showBand(int aIndex) {
    if (aIndex < 0 || aIndex >= int(m_bands.size())) return;
    if (m_shownBand >= 0) storeBand();
    m_shownBand = aIndex;
    lbxItemsAvailable->clear();
    lbxItemsSelected->clear();
    for (TppSaveSetting* s : m_bands[aIndex].Settings) addEntry(s->Save ? lbxItemsSelected : lbxItemsAvailable, s);
    lbxItemsAvailable->setCurrentRow(lbxItemsAvailable->count() > 0 ? 0 : -1);
    lbxItemsSelected->setCurrentRow(lbxItemsSelected->count() > 0 ? 0 : -1);
    if (m_fileType == int(TppFileType::ftFixedLength) && lbxItemsSelected->count() > 0) lbxItemsSelectedClick();
    updateMoveButtons();
}

void TppPrintToFileSetupDialog::storeBand() {
    if (m_shownBand < 0 || m_shownBand >= int(m_bands.size())) return;
    BandEntry& band = m_bands[m_shownBand];
    for (TppSaveSetting* s : band.Settings) {
        int p = -1;
        for (int i = 0; i < lbxItemsSelected->count(); ++i)
            if (settingOf(lbxItemsSelected, i) == s) p = i;
        s->Save = p >= 0;
        s->SaveOrder = p;
    }
    std::stable_sort(band.Settings.begin(), band.Settings.end(),
                     [](const TppSaveSetting* a, const TppSaveSetting* b) { return a->SortKey() < b->SortKey(); });
}

void TppPrintToFileSetupDialog::updateMoveButtons() {
    spbSelectItem->setEnabled(lbxItemsAvailable->count() > 0);
    spbSelectAllItems->setEnabled(lbxItemsAvailable->count() > 0);
    spbDeselectItem->setEnabled(lbxItemsSelected->count() > 0);
    spbDeselectAllItems->setEnabled(lbxItemsSelected->count() > 0);
}

void TppPrintToFileSetupDialog::moveEntries(QListWidget* aSource, QListWidget* aTarget, bool aAll) {
    const int current = aSource->currentRow();
    if (!aAll && current < 0) return;
    const bool wasLast = current == aSource->count() - 1;
    const int first = aAll ? 0 : current;
    const int count = aAll ? aSource->count() : 1;
    QListWidgetItem* landed = nullptr;
    for (int i = 0; i < count; ++i) {
        TppSaveSetting* s = settingOf(aSource, first);
        if (!s) break;
        addEntry(aTarget, s);
        // The available list sorts itself: find where the entry landed.
        for (int r = 0; r < aTarget->count(); ++r)
            if (settingOf(aTarget, r) == s) landed = aTarget->item(r);
        delete aSource->takeItem(first);
    }
    updateMoveButtons();
    if (landed) aTarget->setCurrentItem(landed);
    aSource->setCurrentRow(wasLast || aAll ? aSource->count() - 1 : std::min(current, aSource->count() - 1));
    aSource->setFocus();
}

void TppPrintToFileSetupDialog::spbDragUpClick() {
    const int row = lbxItemsSelected->currentRow();
    if (row <= 0) return;
    QListWidgetItem* item = lbxItemsSelected->takeItem(row);
    lbxItemsSelected->insertItem(row - 1, item);
    lbxItemsSelected->setCurrentRow(row - 1);
}

void TppPrintToFileSetupDialog::spbDragDownClick() {
    const int row = lbxItemsSelected->currentRow();
    if (row < 0 || row >= lbxItemsSelected->count() - 1) return;
    QListWidgetItem* item = lbxItemsSelected->takeItem(row);
    lbxItemsSelected->insertItem(row + 1, item);
    lbxItemsSelected->setCurrentRow(row + 1);
}

void TppPrintToFileSetupDialog::lbxItemsSelectedEndDrag(int aTarget) {
    const int from = lbxItemsSelected->currentRow();
    if (from < 0 || aTarget < 0 || aTarget >= lbxItemsSelected->count() || aTarget == from) return;
    QListWidgetItem* item = lbxItemsSelected->takeItem(from);
    lbxItemsSelected->insertItem(aTarget, item);
    lbxItemsSelected->setCurrentRow(aTarget);
}

void TppPrintToFileSetupDialog::lbxItemsSelectedMouseDown(const QPoint& aPosition) {
    // The pressed entry becomes the dragged one; the list view starts the drag once the mouse
    // has moved the system's drag threshold.
    if (QListWidgetItem* item = lbxItemsSelected->itemAt(aPosition)) lbxItemsSelected->setCurrentItem(item);
}

bool TppPrintToFileSetupDialog::lbxItemsSelectedDragOver(int aRow) const {
    return aRow >= 0 && aRow != lbxItemsSelected->currentRow();
}

bool TppPrintToFileSetupDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aWatched == lbxItemsSelected->viewport()) {
        if (aEvent->type() == QEvent::MouseButtonPress)
            lbxItemsSelectedMouseDown(static_cast<QMouseEvent*>(aEvent)->position().toPoint());
        if (aEvent->type() == QEvent::DragMove || aEvent->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragMoveEvent*>(aEvent);
            const int row = lbxItemsSelected->indexAt(e->position().toPoint()).row();
            if (e->source() == lbxItemsSelected && (aEvent->type() == QEvent::DragEnter || lbxItemsSelectedDragOver(row)))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        if (aEvent->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(aEvent);
            lbxItemsSelectedEndDrag(lbxItemsSelected->indexAt(e->position().toPoint()).row());
            e->setDropAction(Qt::CopyAction);  // the entry is moved here, not by the view
            e->accept();
            return true;
        }
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppPrintToFileSetupDialog::lbxItemsSelectedClick() {
    if (m_fileType != int(TppFileType::ftFixedLength)) return;
    TppSaveSetting* s = settingOf(lbxItemsSelected, lbxItemsSelected->currentRow());
    if (!s) return;
    edtSaveLength->setText(QString::number(s->SaveLength));
    if (isVisible()) edtSaveLength->setFocus();
}

void TppPrintToFileSetupDialog::edtSaveLengthChange() {
    // A length typed with no entry chosen goes nowhere.
    TppSaveSetting* s = settingOf(lbxItemsSelected, lbxItemsSelected->currentRow());
    if (!s) return;
    bool ok = false;
    const int length = edtSaveLength->text().trimmed().toInt(&ok);
    s->SaveLength = ok ? length : 0;
}

void TppPrintToFileSetupDialog::SetFileName(const QString& aName) {
    m_fileName = report::ppTextFileNameWithExtension(aName);
    edtTextFileName->setText(m_fileName);
}

void TppPrintToFileSetupDialog::btnFileClick() {
    ui::FileRequest request;
    request.filter = QStringLiteral("Text files (*.TXT *.txt);;All files (*)");
    request.defaultSuffix = QStringLiteral("txt");
    if (!m_fileName.isEmpty()) {
        const int slash = int(std::max(m_fileName.lastIndexOf(QLatin1Char('/')), m_fileName.lastIndexOf(QLatin1Char('\\'))));
        request.fileName = m_fileName;
        request.folder = slash < 0 ? QString() : m_fileName.left(slash + 1);
    }
    if (const std::optional<QString> chosen = ui::ChooseFileToSave(request)) SetFileName(*chosen);
}

void TppPrintToFileSetupDialog::cbxTextFileTypeChange() {
    m_fileType = cbxTextFileType->currentIndex();
    cbxTextFileType->setCurrentIndex(m_fileType);
    if (!m_firstActivation) arrange();
    if (m_fileType == int(TppFileType::ftFixedLength)) lbxItemsSelectedClick();
}

void TppPrintToFileSetupDialog::arrange() {
    const bool fixed = m_fileType == int(TppFileType::ftFixedLength);
    lblSaveLength->setVisible(fixed);
    edtSaveLength->setVisible(fixed);
    pnlPrintToFile->setFixedHeight(fixed ? edtSaveLength->y() + edtSaveLength->height() + scaled(0.08) : edtSaveLength->y());
    const int top = pnlPrintToFile->y() + pnlPrintToFile->height() + scaled(0.08);
    btnOK->move(width() - 2 * 88, top);
    btnCancel->move(width() - 88, top);
    setFixedHeight(top + btnOK->height() + scaled(0.45) / 3);
}

void TppPrintToFileSetupDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    if (m_firstActivation) FormActivate();
}

void TppPrintToFileSetupDialog::FormActivate() {
    m_firstActivation = false;
    arrange();
}

void TppPrintToFileSetupDialog::btnOKClick() {
    // A report without bands has nothing to write: OK changes nothing.
    if (m_bands.empty()) {
        EndModal(report::ModalResult::mrOk);
        return;
    }
    storeBand();
    m_savedCount = 0;
    for (BandEntry& band : m_bands) {
        bool anyText = false;
        bool anySaved = false;
        for (TppSaveSetting* s : band.Settings) {
            if (!s->Text) continue;
            anyText = true;
            if (s->Save) {
                s->Text->SetSave(true);
                s->Text->SetSaveOrder(s->SaveOrder);
                s->Text->SetSaveLength(s->SaveLength);
                ++m_savedCount;
                anySaved = true;
            } else {
                s->Text->SetSave(false);
            }
        }
        if (anyText && band.Band) band.Band->SetSave(anySaved);
    }
    if (auto* report = qobject_cast<TppReport*>(Report())) {
        report->SetAllowPrintToFile(m_savedCount > 0);
        report->SetTextFileName(m_fileName);
        if (cbxTextFileType->currentIndex() >= 0) report->SetTextFileType(TppFileType(cbxTextFileType->currentIndex()));
    }
    EndModal(report::ModalResult::mrOk);
}

namespace report {

void RegisterPrintToFileSetupDialog() { RegisterForm<TppCustomPrintToFileSetupDialog, TppPrintToFileSetupDialog>(); }

void UnRegisterPrintToFileSetupDialog() { UnRegisterForm<TppCustomPrintToFileSetupDialog>(); }

}  // namespace report
