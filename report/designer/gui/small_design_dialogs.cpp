#include "report/designer/gui/small_design_dialogs.h"

#include "report/designer/gui/position_dialogs.h"
#include "report/model/band.h"
#include "report/model/component_services.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextStream>

namespace {

void declareSmallDialogTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {141, "Data"},
            {196, "Calc Type"},
            {197, "Calculations"},
            {198, "Reset Group"},
            {199, "Display Format"},
            {200, "Format"},
            {211, "Memo Editor"},
            {224, "PageEnd"},
            {261, "Drill Down Component"},
            {262, "ReportStart"},
            {263, "Select Drill Down Component"},
            {266, "&Load..."},
            {268, "&Save..."},
            {271, "PageStart"},
            {282, "Traversal"},
            {326, "Grid Options"},
            {331, "Group"},
            {338, "Shift Relative To"},
            {340, "Set object position based on"},
            {343, "<None>"},
            {345, "Display &Grid"},
            {346, "Sna&p to Grid"},
            {347, "Grid Size &X"},
            {348, "Grid Size &Y"},
            {349, "Grid size X must be an integer between 2 and 128."},
            {350, "Grid size Y must be an integer between 2 and 128."},
            {393, "ColumnEnd"},
            {395, "Master Data Pipeline"},
            {396, "Detail Data Pipeline"},
            {500, "Data Pipeline"},
            {501, "Reset On"},
            {504, "Calculate On"},
            {559, "DataPipelineTraversal"},
            {628, "ColumnStart"},
            {630, "Insert Field"},
            {688, "Timing"},
            {1028, "Count"},
            {1029, "Sum"},
            {1030, "Minimum"},
            {1031, "Maximum"},
            {1032, "Average"},
            {1103, "ReportEnd"},
            {1104, "GroupStart"},
            {1105, "GroupEnd"},
            {1106, "GroupBeforeHeader"},
            {1107, "GroupBeforeFooter"},
        });
        return true;
    }();
    (void)declared;
}

/// OK and Cancel at the given place, OK the default.
void makeButtons(TppForm* aForm, QPushButton*& aOK, QPushButton*& aCancel, int aX, int aY) {
    aOK = ui::Make<QPushButton>(aForm, "btnOK");
    aOK->setGeometry(aX, aY, 80, 26);
    aOK->setDefault(true);
    aCancel = ui::Make<QPushButton>(aForm, "btnCancel");
    aCancel->setGeometry(aX + 88, aY, 80, 26);
    aCancel->setAutoDefault(false);
    QObject::connect(aCancel, &QPushButton::clicked, aForm, [aForm] { aForm->EndModal(report::ModalResult::mrCancel); });
}

void setButtonTexts(QPushButton* aOK, QPushButton* aCancel) {
    aOK->setText(ppGetMessageText(17));
    aCancel->setText(ppGetMessageText(5));
}

/// Draws a format entry: the sample at the left, the format from x = 110, both vertically
/// centred on one line.
class FormatDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter);
        const int split = int(text.indexOf(QChar(1)));
        const QString sample = split < 0 ? text : text.left(split);
        const QString format = split < 0 ? QString() : text.mid(split + 1);
        painter->save();
        painter->setPen(opt.state & QStyle::State_Selected ? opt.palette.highlightedText().color() : opt.palette.text().color());
        const QRect r = opt.rect;
        painter->drawText(QRect(r.left() + 2, r.top(), 106, r.height()), Qt::AlignVCenter | Qt::TextSingleLine, sample);
        painter->drawText(QRect(r.left() + 110, r.top(), r.width() - 110, r.height()), Qt::AlignVCenter | Qt::TextSingleLine, format);
        painter->restore();
    }
};

}  // namespace

// Format -----------------------------------------------------------------------------------------

TppFormatDialog::TppFormatDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppFormatDialog"));
    lblDisplayFormat = ui::Make<QLabel>(this, "lblDisplayFormat");
    lblDisplayFormat->setGeometry(12, 12, 300, 18);
    edtDisplayFormat = ui::Make<QLineEdit>(this, "edtDisplayFormat");
    edtDisplayFormat->setGeometry(12, 32, 300, 24);
    lbxDisplayFormats = ui::Make<QListWidget>(this, "lbxDisplayFormats");
    lbxDisplayFormats->setGeometry(12, 64, 300, 115);
    lbxDisplayFormats->setItemDelegate(new FormatDelegate(lbxDisplayFormats));
    makeButtons(this, btnOK, btnCancel, 144, 190);
    connect(lbxDisplayFormats, &QListWidget::itemClicked, this, [this] { lbxDisplayFormatsClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    LanguageChanged();
    arrange();
}

void TppFormatDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(200));
    lblDisplayFormat->setText(ppGetMessageText(199));
    setButtonTexts(btnOK, btnCancel);
}

void TppFormatDialog::GetDisplayFormat(QString& aFormat) const { aFormat = edtDisplayFormat->text(); }

void TppFormatDialog::SetDisplayFormat(const QString& aFormat) {
    TppCustomFormatDialog::SetDisplayFormat(aFormat);
    edtDisplayFormat->setText(aFormat);
}

void TppFormatDialog::SetDisplayFormats(const QStringList& aFormats) {
    TppCustomFormatDialog::SetDisplayFormats(aFormats);
    lbxDisplayFormats->clear();
    lbxDisplayFormats->addItems(aFormats);
    arrange();
}

void TppFormatDialog::arrange() {
    // Without formats the list goes and the form is 123 pixels shorter.
    const bool list = lbxDisplayFormats->count() > 0;
    lbxDisplayFormats->setVisible(list);
    const int buttons = list ? 190 : 190 - 123;
    btnOK->move(btnOK->x(), buttons);
    btnCancel->move(btnCancel->x(), buttons);
    setFixedSize(324, buttons + 26 + 12);
}

void TppFormatDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    edtDisplayFormat->setFocus();
}

void TppFormatDialog::lbxDisplayFormatsClick() {
    QListWidgetItem* item = lbxDisplayFormats->currentItem();
    if (!item) return;
    const QString text = item->text();
    const int split = int(text.indexOf(QChar(1)));
    edtDisplayFormat->setText(split < 0 ? text : text.mid(split + 1));
}

// Grid options ---------------------------------------------------------------------------------

TppGridDialog::TppGridDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppGridDialog"));
    cbxDisplayGrid = ui::Make<QCheckBox>(this, "cbxDisplayGrid");
    cbxDisplayGrid->setGeometry(12, 12, 180, 20);
    cbxSnapToGrid = ui::Make<QCheckBox>(this, "cbxSnapToGrid");
    cbxSnapToGrid->setGeometry(12, 38, 180, 20);
    lblXGridSize = ui::Make<QLabel>(this, "lblXGridSize");
    lblXGridSize->setGeometry(12, 71, 90, 18);
    edtXGridSize = ui::Make<QLineEdit>(this, "edtXGridSize");
    edtXGridSize->setGeometry(106, 68, 60, 24);
    lblYGridSize = ui::Make<QLabel>(this, "lblYGridSize");
    lblYGridSize->setGeometry(12, 103, 90, 18);
    edtYGridSize = ui::Make<QLineEdit>(this, "edtYGridSize");
    edtYGridSize->setGeometry(106, 100, 60, 24);
    lblXGridSize->setBuddy(edtXGridSize);
    lblYGridSize->setBuddy(edtYGridSize);
    makeButtons(this, btnOK, btnCancel, 12, 138);
    setFixedSize(192, 176);
    connect(cbxDisplayGrid, &QCheckBox::clicked, this, [this](bool on) { DisplayGrid = on; });
    connect(cbxSnapToGrid, &QCheckBox::clicked, this, [this](bool on) { SnapToGrid = on; });
    for (QLineEdit* edit : {edtXGridSize, edtYGridSize}) {
        report::ReadOnEnter(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (QApplication::focusWidget() == btnCancel) return;
            validate(edit);
        });
    }
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    LanguageChanged();
}

void TppGridDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(326));
    cbxDisplayGrid->setText(ppGetMessageText(345));
    cbxSnapToGrid->setText(ppGetMessageText(346));
    lblXGridSize->setText(ppGetMessageText(347));
    lblYGridSize->setText(ppGetMessageText(348));
    setButtonTexts(btnOK, btnCancel);
}

void TppGridDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    FormActivate();
}

void TppGridDialog::FormActivate() {
    // A size outside 2 to 128 given by the caller becomes 8.
    if (XGridSpace < 2 || XGridSpace > 128) XGridSpace = 8;
    if (YGridSpace < 2 || YGridSpace > 128) YGridSpace = 8;
    cbxDisplayGrid->setChecked(DisplayGrid);
    cbxSnapToGrid->setChecked(SnapToGrid);
    edtXGridSize->setText(QString::number(XGridSpace));
    edtYGridSize->setText(QString::number(YGridSpace));
}

bool TppGridDialog::validate(QLineEdit* aEdit) {
    const int value = aEdit->text().trimmed().toInt();  // text that is no integer counts as 0
    m_lastValid = value >= 2 && value <= 128;
    if (!m_lastValid) {
        setResult(0);
        ui::Message(ppGetMessageText(aEdit == edtXGridSize ? 349 : 350), ui::MessageKind::Error, ui::Button::Ok);
        aEdit->setFocus();
        return false;
    }
    (aEdit == edtXGridSize ? XGridSpace : YGridSpace) = value;
    aEdit->setText(QString::number(value));
    return true;
}

void TppGridDialog::btnOKClick() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) validate(edit);
    if (m_lastValid) EndModal(report::ModalResult::mrOk);
}

// Memo editor ------------------------------------------------------------------------------------

TppMemoDialog::TppMemoDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppMemoDialog"));
    memMemo = ui::Make<QPlainTextEdit>(this, "memMemo");
    memMemo->setGeometry(8, 8, 400, 220);
    memMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnLoad = ui::Make<QPushButton>(this, "btnLoad");
    btnLoad->setGeometry(8, 238, 80, 26);
    btnLoad->setAutoDefault(false);
    btnSave = ui::Make<QPushButton>(this, "btnSave");
    btnSave->setGeometry(96, 238, 80, 26);
    btnSave->setAutoDefault(false);
    makeButtons(this, btnOK, btnCancel, 240, 238);
    btnOK->setDefault(false);
    btnOK->setAutoDefault(false);
    setFixedSize(416, 272);
    connect(btnLoad, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnLoadClick(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnSaveClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    LanguageChanged();
}

void TppMemoDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(211));
    btnLoad->setText(ppGetMessageText(266));
    btnSave->setText(ppGetMessageText(268));
    setButtonTexts(btnOK, btnCancel);
}

void TppMemoDialog::SetLines(const QStringList& aLines) { memMemo->setPlainText(aLines.join(QLatin1Char('\n'))); }

QStringList TppMemoDialog::GetLines() const {
    const QString text = memMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

namespace {
/// Text files in any case of the extension, then all files.
const char* kTextFilter = "Text files (*.[tT][xX][tT]);;All files (*)";
}  // namespace

void TppMemoDialog::btnLoadClick() {
    ui::FileRequest request;
    request.filter = QString::fromLatin1(kTextFilter);
    request.fileName = FileName;
    const std::optional<QString> chosen = ui::ChooseFileToOpen(request);
    if (!chosen) return;
    QFile file(*chosen);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ui::Message(QStringLiteral("Cannot open file %1.").arg(*chosen), ui::MessageKind::Error, ui::Button::Ok);
        return;
    }
    QString text = QString::fromUtf8(file.readAll());
    // The last line's break ends that line; it starts no empty one.
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    memMemo->setPlainText(text);
    FileName = *chosen;
}

void TppMemoDialog::btnSaveClick() {
    ui::FileRequest request;
    request.filter = QString::fromLatin1(kTextFilter);
    request.fileName = FileName.isEmpty() ? QStringLiteral("*.TXT") : FileName;
    request.defaultSuffix = QStringLiteral("TXT");
    const std::optional<QString> chosen = ui::ChooseFileToSave(request);
    if (!chosen) return;
    QFile file(*chosen);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        ui::Message(QStringLiteral("Cannot create file %1.").arg(*chosen), ui::MessageKind::Error, ui::Button::Ok);
        return;
    }
    QString text = memMemo->toPlainText();
    if (!text.isEmpty()) text += QLatin1Char('\n');
    file.write(text.toUtf8());
    FileName = *chosen;
}

// Calculations and reset group --------------------------------------------------------------------

TppDBCalcDialog::TppDBCalcDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppDBCalcDialog"));
    lblCalcType = ui::Make<QLabel>(this, "lblCalcType");
    lblCalcType->setGeometry(12, 15, 90, 18);
    cbxCalcType = ui::Make<QComboBox>(this, "cbxCalcType");
    cbxCalcType->setGeometry(106, 12, 200, 24);
    cbxCalcType->addItems({QString(), QString(), QString(), QString(), QString()});
    lblResetGroup = ui::Make<QLabel>(this, "lblResetGroup");
    lblResetGroup->setGeometry(12, 47, 90, 18);
    cbxResetGroup = ui::Make<QComboBox>(this, "cbxResetGroup");
    cbxResetGroup->setGeometry(106, 44, 200, 24);
    makeButtons(this, btnOK, btnCancel, 138, 82);
    setFixedSize(318, 120);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        CalcIndex = cbxCalcType->currentIndex();
        ResetGroupIndex = cbxResetGroup->currentIndex();
        EndModal(report::ModalResult::mrOk);
    });
    LanguageChanged();
}

void TppDBCalcDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(197));
    lblCalcType->setText(ppGetMessageText(196));
    lblResetGroup->setText(ppGetMessageText(198));
    for (int i = 0; i < 5; ++i) cbxCalcType->setItemText(i, ppGetMessageText(1028 + i));
    setButtonTexts(btnOK, btnCancel);
}

void TppDBCalcDialog::SetResetGroups(const QStringList& aList) {
    TppCustomDBCalcDialog::SetResetGroups(aList);
    cbxResetGroup->clear();
    cbxResetGroup->addItems(aList);
}

void TppDBCalcDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    cbxCalcType->setCurrentIndex(CalcIndex < cbxCalcType->count() ? CalcIndex : -1);
    cbxResetGroup->setCurrentIndex(ResetGroupIndex < cbxResetGroup->count() ? ResetGroupIndex : -1);
    cbxCalcType->setFocus();
}

TppDBTextDialog::TppDBTextDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppDBTextDialog"));
    lblResetGroup = ui::Make<QLabel>(this, "lblResetGroup");
    lblResetGroup->setGeometry(12, 15, 90, 18);
    cbxResetGroup = ui::Make<QComboBox>(this, "cbxResetGroup");
    cbxResetGroup->setGeometry(106, 12, 200, 24);
    makeButtons(this, btnOK, btnCancel, 138, 50);
    setFixedSize(318, 88);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        ResetGroupIndex = cbxResetGroup->currentIndex();
        EndModal(report::ModalResult::mrOk);
    });
    LanguageChanged();
}

void TppDBTextDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(198));
    lblResetGroup->setText(ppGetMessageText(198));
    setButtonTexts(btnOK, btnCancel);
}

void TppDBTextDialog::SetResetGroups(const QStringList& aList) {
    TppCustomDBTextDialog::SetResetGroups(aList);
    cbxResetGroup->clear();
    cbxResetGroup->addItems(aList);
}

void TppDBTextDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    cbxResetGroup->setCurrentIndex(ResetGroupIndex < cbxResetGroup->count() ? ResetGroupIndex : -1);
    cbxResetGroup->setFocus();
}

// Shift relative to and drill-down component ---------------------------------------------------------

TppSelectionDialog::TppSelectionDialog(QObject* aOwner, int aCaption, int aLabel, bool aFocusList)
    : TppForm(aOwner), m_caption(aCaption), m_label(aLabel), m_focusList(aFocusList) {
    declareSmallDialogTexts();
    lblDescription = ui::Make<QLabel>(this, "lblDescription");
    lblDescription->setGeometry(12, 12, 280, 18);
    cbxSelectionList = ui::Make<QComboBox>(this, "cbxSelectionList");
    cbxSelectionList->setGeometry(12, 32, 280, 24);
    makeButtons(this, btnOK, btnCancel, 124, 68);
    setFixedSize(304, 106);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        const QString text = cbxSelectionList->currentText();
        if (cbxSelectionList->currentIndex() >= 0) SelectedName = text.section(QLatin1Char(':'), 0, 0);
        EndModal(report::ModalResult::mrOk);
    });
    LanguageChanged();
}

void TppSelectionDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(m_caption));
    lblDescription->setText(ppGetMessageText(m_label));
    setButtonTexts(btnOK, btnCancel);
}

void TppSelectionDialog::SetSelectionList(const QStringList& aList) {
    TppCustomSelectionDialog::SetSelectionList(aList);
    cbxSelectionList->clear();
    cbxSelectionList->addItems(aList);
}

void TppSelectionDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    int found = -1;
    for (int i = 0; i < cbxSelectionList->count() && found < 0; ++i)
        if (cbxSelectionList->itemText(i).section(QLatin1Char(':'), 0, 0) == SelectedName) found = i;
    cbxSelectionList->setCurrentIndex(found);
    if (m_focusList) cbxSelectionList->setFocus();
}

TppShiftDialog::TppShiftDialog(QObject* aOwner) : TppSelectionDialog(aOwner, 338, 340, false) {
    setObjectName(QStringLiteral("ppShiftDialog"));
}

TppDrillDownDialog::TppDrillDownDialog(QObject* aOwner) : TppSelectionDialog(aOwner, 261, 263, true) {
    setObjectName(QStringLiteral("ppDrillDownDialog"));
}

// Data -------------------------------------------------------------------------------------------

TppDataDialog::TppDataDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppDataDialog"));
    lblMasterData = ui::Make<QLabel>(this, "lblMasterData");
    lblMasterData->setGeometry(12, 12, 180, 18);
    lbxMasterData = ui::Make<QListWidget>(this, "lbxMasterData");
    lbxMasterData->setGeometry(12, 32, 180, 160);
    lblDetailData = ui::Make<QLabel>(this, "lblDetailData");
    lblDetailData->setGeometry(204, 12, 180, 18);
    lbxDetailData = ui::Make<QListWidget>(this, "lbxDetailData");
    lbxDetailData->setGeometry(204, 32, 180, 160);
    makeButtons(this, btnOK, btnCancel, 216, 204);
    setFixedSize(396, 242);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        takeSelection();
        EndModal(report::ModalResult::mrOk);
    });
    // A double click takes the choice without closing.
    for (QListWidget* list : {lbxMasterData, lbxDetailData})
        connect(list, &QListWidget::itemDoubleClicked, this, [this] { takeSelection(); });
    LanguageChanged();
}

void TppDataDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(141));
    lblMasterData->setText(ppGetMessageText(395));
    lblDetailData->setText(ppGetMessageText(396));
    setButtonTexts(btnOK, btnCancel);
}

void TppDataDialog::ReportAssigned() {
    m_names.clear();
    m_pipelines.clear();
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (!report) return;
    const TppCommunicatorPickList pipelines(report, &TppDataPipeline::staticMetaObject);
    for (int i = 0; i < pipelines.Count(); ++i) {
        m_names << pipelines.Names(i);
        m_pipelines << pipelines.Objects(i);
    }
}

void TppDataDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    auto fill = [this](QListWidget* list, QObject* pipeline) {
        list->clear();
        list->addItem(ppGetMessageText(343));
        list->addItems(m_names);
        const int at = pipeline ? int(m_pipelines.indexOf(pipeline)) : -1;
        list->setCurrentRow(at < 0 ? 0 : at + 1);
    };
    fill(lbxMasterData, MasterDataPipeline);
    fill(lbxDetailData, DetailDataPipeline);
}

void TppDataDialog::takeSelection() {
    auto take = [this](QListWidget* list, QPointer<QObject>& aReference) {
        const int row = list->currentRow();
        if (row == 0) aReference = nullptr;
        else if (row > 0 && row - 1 < m_pipelines.size()) aReference = m_pipelines.at(row - 1);
    };
    take(lbxMasterData, MasterDataPipeline);
    take(lbxDetailData, DetailDataPipeline);
}

// Timing -----------------------------------------------------------------------------------------

namespace {
const int kEventTexts[] = {282, 559, 271, 224, 628, 393, 262, 1103, 1104, 1105, 1106, 1107};
bool isGroupEvent(int i) { return i >= int(TppVarEventType::veGroupStart) && i <= int(TppVarEventType::veGroupBeforeFooter); }
}  // namespace

TppCalcTimingDialog::TppCalcTimingDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppCalcTimingDialog"));
    lblCalcType = ui::Make<QLabel>(this, "lblCalcType");
    lblCalcType->setGeometry(12, 12, 180, 18);
    cbxCalcType = ui::Make<QComboBox>(this, "cbxCalcType");
    cbxCalcType->setGeometry(12, 32, 180, 24);
    lblCalcComponent = ui::Make<QLabel>(this, "lblCalcComponent");
    lblCalcComponent->setGeometry(204, 12, 180, 18);
    cbxCalcComponent = ui::Make<QComboBox>(this, "cbxCalcComponent");
    cbxCalcComponent->setGeometry(204, 32, 180, 24);
    lblResetType = ui::Make<QLabel>(this, "lblResetType");
    lblResetType->setGeometry(12, 68, 180, 18);
    cbxResetType = ui::Make<QComboBox>(this, "cbxResetType");
    cbxResetType->setGeometry(12, 88, 180, 24);
    lblResetComponent = ui::Make<QLabel>(this, "lblResetComponent");
    lblResetComponent->setGeometry(204, 68, 180, 18);
    cbxResetComponent = ui::Make<QComboBox>(this, "cbxResetComponent");
    cbxResetComponent->setGeometry(204, 88, 180, 24);
    for (QComboBox* box : {cbxCalcType, cbxResetType})
        for (int i = 0; i < 12; ++i) box->addItem(QString());
    makeButtons(this, btnOK, btnCancel, 216, 126);
    setFixedSize(396, 164);
    connect(cbxCalcType, &QComboBox::activated, this,
            [this] { eventChosen(cbxCalcType, lblCalcComponent, cbxCalcComponent, nullptr); });
    connect(cbxResetType, &QComboBox::activated, this,
            [this] { eventChosen(cbxResetType, lblResetComponent, cbxResetComponent, nullptr); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    LanguageChanged();
}

void TppCalcTimingDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(688));
    lblCalcType->setText(ppGetMessageText(504));
    lblResetType->setText(ppGetMessageText(501));
    for (QComboBox* box : {cbxCalcType, cbxResetType})
        for (int i = 0; i < 12; ++i) box->setItemText(i, ppGetMessageText(kEventTexts[i]));
    lblCalcComponent->setText(ppGetMessageText(500));
    lblResetComponent->setText(ppGetMessageText(500));
    setButtonTexts(btnOK, btnCancel);
}

void TppCalcTimingDialog::eventChosen(QComboBox* aEvent, QLabel* aLabel, QComboBox* aObjects, QObject* aCurrent) {
    const int event = aEvent->currentIndex();
    aObjects->clear();
    const QList<Entry>* entries = nullptr;
    if (event == int(TppVarEventType::veDataPipelineTraversal)) entries = &CalcList();
    else if (isGroupEvent(event)) entries = &ResetList();
    aLabel->setText(ppGetMessageText(isGroupEvent(event) ? 331 : 500));
    aObjects->setEnabled(entries != nullptr);
    if (!entries) {
        aObjects->setCurrentIndex(-1);
        return;
    }
    int current = -1;
    for (const Entry& e : *entries) {
        if (aCurrent && e.Object == aCurrent) current = aObjects->count();
        aObjects->addItem(e.Text, QVariant::fromValue<QObject*>(e.Object));
    }
    aObjects->setCurrentIndex(aCurrent ? current : (aObjects->count() > 0 ? 0 : -1));
}

void TppCalcTimingDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    cbxCalcType->setCurrentIndex(CalcIndex);
    cbxResetType->setCurrentIndex(ResetIndex);
    eventChosen(cbxCalcType, lblCalcComponent, cbxCalcComponent, CalcBand);
    eventChosen(cbxResetType, lblResetComponent, cbxResetComponent, ResetBand);
}

QObject* TppCalcTimingDialog::objectFor(QComboBox* aEvent, QComboBox* aObjects) const {
    const int event = aEvent->currentIndex();
    auto* report = qobject_cast<TppCustomReport*>(Report());
    if (event == int(TppVarEventType::veTraversal))
        return report ? static_cast<QObject*>(report->GetBand(TppBandType::btDetail)) : nullptr;
    if (event == int(TppVarEventType::veDataPipelineTraversal) || isGroupEvent(event))
        return aObjects->currentIndex() < 0 ? nullptr : aObjects->currentData().value<QObject*>();
    return report;
}

void TppCalcTimingDialog::btnOKClick() {
    CalcIndex = cbxCalcType->currentIndex();
    CalcBand = objectFor(cbxCalcType, cbxCalcComponent);
    ResetIndex = cbxResetType->currentIndex();
    ResetBand = objectFor(cbxResetType, cbxResetComponent);
    EndModal(report::ModalResult::mrOk);
}

// Insert field -----------------------------------------------------------------------------------

TppMailMergeDialog::TppMailMergeDialog(QObject* aOwner) : TppForm(aOwner) {
    declareSmallDialogTexts();
    setObjectName(QStringLiteral("ppMailMergeDialog"));
    lbxFields = ui::Make<QListWidget>(this, "lbxFields");
    lbxFields->setGeometry(12, 12, 240, 200);
    makeButtons(this, btnOK, btnCancel, 84, 222);
    setFixedSize(264, 260);
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    connect(lbxFields, &QListWidget::itemDoubleClicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    LanguageChanged();
}

void TppMailMergeDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(630));
    setButtonTexts(btnOK, btnCancel);
}

void TppMailMergeDialog::SetFieldList(const QStringList& aFields) {
    lbxFields->clear();
    lbxFields->addItems(aFields);
}

QStringList TppMailMergeDialog::GetFieldList() const {
    QStringList fields;
    for (int i = 0; i < lbxFields->count(); ++i) fields << lbxFields->item(i)->text();
    return fields;
}

QString TppMailMergeDialog::GetSelectedField() const {
    const QList<QListWidgetItem*> selected = lbxFields->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// About ------------------------------------------------------------------------------------------

TppAboutDialog::TppAboutDialog(QObject* aOwner) : TppForm(aOwner) {
    setObjectName(QStringLiteral("ppAboutDialog"));
    setWindowTitle(QStringLiteral("About Marlisk"));
    imgPicture = ui::Make<QLabel>(this, "imgPicture");
    imgPicture->setGeometry(16, 16, 64, 64);
    imgPicture->setPixmap(QIcon::fromTheme(QStringLiteral("x-office-document"),
                                           QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView))
                              .pixmap(64, 64));
    QFont big(QStringLiteral("Arial"), 16, QFont::Bold);
    lblName = ui::Make<QLabel>(this, "lblName");
    lblName->setFont(big);
    lblName->setText(QStringLiteral("Marlisk"));
    lblName->setGeometry(96, 16, QFontMetrics(big).horizontalAdvance(lblName->text()) + 2, 30);
    // The trademark sign is a label of its own that follows the name's measured width.
    lblTrademark = ui::Make<QLabel>(this, "lblTrademark");
    lblTrademark->setText(QString(QChar(0x2122)));
    lblTrademark->setGeometry(lblName->x() + lblName->width(), 16, 20, 16);
    QFont normal(QStringLiteral("Arial"), 8);
    lblVersion = ui::Make<QLabel>(this, "lblVersion");
    lblVersion->setFont(normal);
    lblVersion->setText(QStringLiteral("Version 5.0"));
    lblVersion->setGeometry(96, 50, 240, 16);
    lblCopyright = ui::Make<QLabel>(this, "lblCopyright");
    lblCopyright->setFont(normal);
    lblCopyright->setText(QString(QChar(0x00A9)) + QStringLiteral(" The Dossara developers"));
    lblCopyright->setGeometry(96, 68, 260, 16);
    lblCredits = ui::Make<QLabel>(this, "lblCredits");
    lblCredits->setFont(normal);
    lblCredits->setWordWrap(true);
    lblCredits->setText(QStringLiteral("Report engine, end-user designer, data workspace, scripting language and "
                                       "cross-tab: part of Dossara."));
    lblCredits->setGeometry(16, 92, 340, 32);
    QFont small(QStringLiteral("DejaVu Sans"), 6);
    lblNotice = ui::Make<QLabel>(this, "lblNotice");
    lblNotice->setFont(small);
    lblNotice->setWordWrap(true);
    lblNotice->setText(QStringLiteral("This program is the work of its authors and is distributed with Dossara under "
                                      "the terms of its licence. It comes with no warranty, to the extent the law "
                                      "allows."));
    lblNotice->setGeometry(16, 128, 340, 40);
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setFlat(true);
    btnOK->setText(QStringLiteral("OK"));
    btnOK->setGeometry(276, 176, 80, 26);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    setFixedSize(372, 212);
}

namespace report {

void RegisterSmallDesignDialogs() {
    RegisterForm<TppCustomFormatDialog, TppFormatDialog>();
    RegisterForm<TppCustomGridDialog, TppGridDialog>();
    RegisterForm<TppCustomMemoDialog, TppMemoDialog>();
    RegisterForm<TppCustomDBCalcDialog, TppDBCalcDialog>();
    RegisterForm<TppCustomDBTextDialog, TppDBTextDialog>();
    RegisterForm<TppCustomShiftDialog, TppShiftDialog>();
    RegisterForm<TppCustomDrillDownDialog, TppDrillDownDialog>();
    RegisterForm<TppCustomDataDialog, TppDataDialog>();
    RegisterForm<TppCustomCalcTimingDialog, TppCalcTimingDialog>();
    RegisterForm<TppCustomMailMergeDialog, TppMailMergeDialog>();
    RegisterForm<TppCustomAboutDialog, TppAboutDialog>();
}

void UnRegisterSmallDesignDialogs() {
    UnRegisterForm<TppCustomFormatDialog>();
    UnRegisterForm<TppCustomGridDialog>();
    UnRegisterForm<TppCustomMemoDialog>();
    UnRegisterForm<TppCustomDBCalcDialog>();
    UnRegisterForm<TppCustomDBTextDialog>();
    UnRegisterForm<TppCustomShiftDialog>();
    UnRegisterForm<TppCustomDrillDownDialog>();
    UnRegisterForm<TppCustomDataDialog>();
    UnRegisterForm<TppCustomCalcTimingDialog>();
    UnRegisterForm<TppCustomMailMergeDialog>();
    UnRegisterForm<TppCustomAboutDialog>();
}

}  // namespace report
