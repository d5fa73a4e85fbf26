#include "report/designer/gui/position_dialogs.h"

#include "report/model/band.h"
#include "report/model/report_utils.h"
#include "report/model/stretchable.h"
#include "report/output/gui/up_down.h"
#include "report/page/resource_manager.h"

#include "platform/stream/persistent.h"
#include "platform/stream/property_table.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

void declarePositionTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {181, "Left"},
            {182, "Top"},
            {183, "Width"},
            {184, "Height"},
            {267, "Print Count"},
            {377, "Invalid Value"},
            {384, "Position"},
            {385, "&Apply"},
            {397, "Bottom Offset"},
            {398, "Print Position"},
            {419, "Overflow Offset"},
            {507, "StopPosition"},
            {1133, "Bands Per Record"},
        });
        return true;
    }();
    (void)declared;
}

QString numberText(double aValue) { return QString::number(aValue, 'g', 7); }

constexpr int kRowHeight = 24;
constexpr int kRowGap = 8;

/// Makes a row of label, edit and arrows at row position i.
PositionRow makeRow(QWidget* aForm, QLabel*& aLabel, const char* aLabelName, QLineEdit*& aEdit, const char* aEditName, int aRow) {
    aLabel = ui::Make<QLabel>(aForm, aLabelName);
    aLabel->setGeometry(12, 12 + aRow * (kRowHeight + kRowGap) + 3, 110, 18);
    aEdit = ui::Make<QLineEdit>(aForm, aEditName);
    aEdit->setGeometry(126, 12 + aRow * (kRowHeight + kRowGap), 100, kRowHeight);
    aLabel->setBuddy(aEdit);
    PositionRow row;
    row.label = aLabel;
    row.edit = aEdit;
    row.arrows = TppUpDown::CreateForEdit(aEdit);
    report::ReadOnEnter(aEdit);
    return row;
}

void setRowEnabled(const PositionRow& aRow, bool aOn) {
    aRow.label->setEnabled(aOn);
    aRow.edit->setEnabled(aOn);
    aRow.arrows->setEnabled(aOn);
}

void setRowVisible(const PositionRow& aRow, bool aOn) {
    aRow.label->setVisible(aOn);
    aRow.edit->setVisible(aOn);
    aRow.arrows->setVisible(aOn);
}

/// Moves the visible rows together from the top and answers the bottom of the last one.
int stackRows(const QList<PositionRow>& aRows) {
    int y = 12;
    for (const PositionRow& r : aRows) {
        if (r.edit->isHidden()) continue;
        r.label->move(r.label->x(), y + 3);
        r.edit->move(r.edit->x(), y);
        r.arrows->move(r.edit->x() + r.edit->width() - r.arrows->width() - 2, y + 2);
        y += kRowHeight + kRowGap;
    }
    return y;
}

}  // namespace

namespace report {

double PositionStep(TppUnitType aUnits) {
    switch (aUnits) {
    case TppUnitType::utInches: return 0.1;
    case TppUnitType::utPrinterPixels: return 50;
    case TppUnitType::utMMThousandths: return 1000;
    default: return 1;
    }
}

bool HasPublishedValue(const QObject* aObject, const QString& aName) {
    if (!aObject) return false;
    if (ppHasProperty(aObject, aName)) return true;
    if (auto* persistent = dynamic_cast<const stream::Persistent*>(aObject))
        if (persistent->StreamProperties().Find(aName)) return true;
    // Lengths streamed in thousandths of a millimetre.
    static const QStringList stretchLengths{"BottomOffset", "OverFlowOffset", "StopPosition"};
    static const QStringList bandLengths{"BottomOffset", "PrintPosition"};
    if (qobject_cast<const TppStretchable*>(aObject)) return stretchLengths.contains(aName);
    if (qobject_cast<const TppBand*>(aObject)) return bandLengths.contains(aName);
    return false;
}

int PublishedInteger(const QObject* aObject, const QString& aName) {
    if (ppHasProperty(aObject, aName)) return ppGetOrdPropValue(aObject, aName);
    if (auto* persistent = dynamic_cast<const stream::Persistent*>(aObject))
        if (const stream::PropertyInfo* info = persistent->StreamProperties().Find(aName); info && info->get)
            return int(info->get(*persistent).AsInteger());
    return 0;
}

void SetPublishedInteger(QObject* aObject, const QString& aName, int aValue) {
    if (ppHasProperty(aObject, aName)) {
        ppSetOrdPropValue(aObject, aName, aValue);
        return;
    }
    if (auto* persistent = dynamic_cast<stream::Persistent*>(aObject))
        if (const stream::PropertyInfo* info = persistent->StreamProperties().Find(aName); info && info->set)
            info->set(*persistent, stream::Value::Integer(aValue));
}

namespace {
class EnterReader : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override {
        if (aEvent->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(aEvent)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (auto* edit = qobject_cast<QLineEdit*>(aWatched)) Q_EMIT edit->editingFinished();
                return true;
            }
        }
        return false;
    }
};
}  // namespace

void ReadOnEnter(QLineEdit* aEdit) { aEdit->installEventFilter(new EnterReader(aEdit)); }

}  // namespace report

// TppPositionDialog ------------------------------------------------------------------------------

TppPositionDialog::TppPositionDialog(QObject* aOwner) : TppForm(aOwner) {
    declarePositionTexts();
    setObjectName(QStringLiteral("ppPositionDialog"));
    m_rows << makeRow(this, lblLeft, "lblLeft", edtLeft, "edtLeft", 0)
           << makeRow(this, lblTop, "lblTop", edtTop, "edtTop", 1)
           << makeRow(this, lblWidth, "lblWidth", edtWidth, "edtWidth", 2)
           << makeRow(this, lblHeight, "lblHeight", edtHeight, "edtHeight", 3)
           << makeRow(this, lblBottomOffset, "lblBottomOffset", edtBottomOffset, "edtBottomOffset", 4)
           << makeRow(this, lblOverFlowOffset, "lblOverFlowOffset", edtOverFlowOffset, "edtOverFlowOffset", 5)
           << makeRow(this, lblStopPosition, "lblStopPosition", edtStopPosition, "edtStopPosition", 6);
    for (int i = 0; i < 4; ++i) m_rows[i].min = 0.0;
    btnApply = ui::Make<QPushButton>(this, "btnApply");
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);
    btnApply->setAutoDefault(false);
    btnOK->setGeometry(240, 12, 80, 26);
    btnCancel->setGeometry(240, 44, 80, 26);
    btnApply->setGeometry(240, 76, 80, 26);

    for (const PositionRow& r : m_rows) {
        QLineEdit* edit = r.edit;
        r.arrows->OnClick = [this, edit](int direction) { StepEdit(edit, direction); };
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (QApplication::focusWidget() == btnCancel) return;
            readEdit(edit);
        });
    }
    connect(btnApply, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnApplyClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    LanguageChanged();
}

void TppPositionDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(384));
    const int numbers[] = {181, 182, 183, 184, 397, 419, 507};
    for (int i = 0; i < m_rows.size(); ++i) m_rows[i].label->setText(ppGetMessageText(numbers[i]));
    btnApply->setText(ppGetMessageText(385));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

double TppPositionDialog::Step() const { return report::PositionStep(Units); }

float* TppPositionDialog::valueOf(QLineEdit* aEdit) {
    if (aEdit == edtLeft) return &Left;
    if (aEdit == edtTop) return &Top;
    if (aEdit == edtWidth) return &Width;
    if (aEdit == edtHeight) return &Height;
    if (aEdit == edtBottomOffset) return &BottomOffset;
    if (aEdit == edtOverFlowOffset) return &OverFlowOffset;
    return &StopPosition;
}

void TppPositionDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TppPositionDialog::FormActivate() {
    for (const PositionRow& r : m_rows) r.edit->setText(numberText(*valueOf(r.edit)));
    for (int i : {0, 2}) setRowEnabled(m_rows[i], !ParentWidth);
    for (int i : {1, 3}) setRowEnabled(m_rows[i], !ParentHeight);
    setRowVisible(m_rows[4], report::HasPublishedValue(Component, QStringLiteral("BottomOffset")));
    setRowVisible(m_rows[5], report::HasPublishedValue(Component, QStringLiteral("OverFlowOffset")));
    setRowVisible(m_rows[6], report::HasPublishedValue(Component, QStringLiteral("StopPosition")));
    const int bottom = stackRows(m_rows);
    setFixedSize(332, std::max(bottom, btnApply->y() + btnApply->height() + kRowGap) + 4);
}

void TppPositionDialog::StepEdit(QLineEdit* aEdit, int aDirection) {
    const PositionRow* row = nullptr;
    for (const PositionRow& r : m_rows)
        if (r.edit == aEdit) row = &r;
    if (!row || !aEdit->isEnabled()) return;
    float* value = valueOf(aEdit);
    double next = double(*value) + aDirection * Step();
    if (row->min) next = std::max(next, *row->min);
    // Round away the binary remainder of decimal steps.
    next = std::round(next * 1e6) / 1e6;
    *value = float(next);
    aEdit->setText(numberText(next));
}

bool TppPositionDialog::readEdit(QLineEdit* aEdit) {
    bool ok = false;
    const double typed = aEdit->text().trimmed().toDouble(&ok);
    if (!ok) {
        m_readFailed = true;
        ShowWarning(ppGetMessageText(377));
        aEdit->setFocus();
        return false;
    }
    *valueOf(aEdit) = float(typed);
    return true;
}

void TppPositionDialog::btnApplyClick() { DoApply(); }

void TppPositionDialog::btnOKClick() {
    m_readFailed = false;
    ExitActiveEdit();
    if (m_readFailed) return;
    DoApply();
    EndModal(report::ModalResult::mrOk);
}

// TppBandPositionDialog --------------------------------------------------------------------------

TppBandPositionDialog::TppBandPositionDialog(QObject* aOwner) : TppForm(aOwner) {
    declarePositionTexts();
    setObjectName(QStringLiteral("ppBandPositionDialog"));
    m_rows << makeRow(this, lblHeight, "lblHeight", edtHeight, "edtHeight", 0)
           << makeRow(this, lblBottomOffset, "lblBottomOffset", edtBottomOffset, "edtBottomOffset", 1)
           << makeRow(this, lblPrintPosition, "lblPrintPosition", edtPrintPosition, "edtPrintPosition", 2)
           << makeRow(this, lblPrintCount, "lblPrintCount", edtPrintCount, "edtPrintCount", 3)
           << makeRow(this, lblBandsPerRecord, "lblBandsPerRecord", edtBandsPerRecord, "edtBandsPerRecord", 4);
    m_rows[2].stopAtZero = true;
    m_rows[3].integer = true;
    m_rows[3].min = 0.0;
    m_rows[4].integer = true;
    m_rows[4].min = 1.0;
    btnApply = ui::Make<QPushButton>(this, "btnApply");
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);
    btnApply->setAutoDefault(false);
    for (QPushButton* b : {btnOK, btnCancel, btnApply}) b->resize(80, 26);

    for (const PositionRow& r : m_rows) {
        QLineEdit* edit = r.edit;
        r.arrows->OnClick = [this, edit](int direction) { StepEdit(edit, direction); };
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (QApplication::focusWidget() == btnCancel) return;
            readEdit(edit);
        });
    }
    connect(btnApply, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnApplyClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    LanguageChanged();
}

void TppBandPositionDialog::LanguageChanged() {
    // The buttons move right by the growth of their widest text and the form widens by it.
    const QFontMetrics fm(font());
    auto widest = [&] {
        int w = 0;
        for (QPushButton* b : {btnOK, btnCancel, btnApply}) w = std::max(w, fm.horizontalAdvance(b->text()));
        return w;
    };
    const int before = m_measuredWidth < 0 ? widest() : m_measuredWidth;
    setWindowTitle(ppGetMessageText(384));
    const int numbers[] = {184, 397, 398, 267, 1133};
    for (int i = 0; i < m_rows.size(); ++i) m_rows[i].label->setText(ppGetMessageText(numbers[i]));
    btnApply->setText(ppGetMessageText(385));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
    const int after = widest();
    m_measuredWidth = after;
    const int shift = std::max(0, after - before);
    btnOK->move(240 + shift, 12);
    btnCancel->move(240 + shift, 44);
    btnApply->move(240 + shift, 76);
    setFixedWidth(332 + shift);
}

double TppBandPositionDialog::Step() const { return report::PositionStep(Units); }

void TppBandPositionDialog::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TppBandPositionDialog::showValues() {
    edtHeight->setText(numberText(Height));
    edtBottomOffset->setText(numberText(BottomOffset));
    edtPrintPosition->setText(numberText(PrintPosition));
    edtPrintCount->setText(QString::number(PrintCount));
    edtBandsPerRecord->setText(QString::number(BandsPerRecord));
}

void TppBandPositionDialog::FormActivate() {
    setRowEnabled(m_rows[2], report::HasPublishedValue(Band, QStringLiteral("PrintPosition")));
    setRowEnabled(m_rows[1], report::HasPublishedValue(Band, QStringLiteral("BottomOffset")));
    setRowVisible(m_rows[3], report::HasPublishedValue(Band, QStringLiteral("PrintCount")));
    const bool perRecord = report::HasPublishedValue(Band, QStringLiteral("BandsPerRecord"));
    if (perRecord) BandsPerRecord = std::max(1, report::PublishedInteger(Band, QStringLiteral("BandsPerRecord")));
    setRowVisible(m_rows[4], perRecord);
    showValues();
    const int bottom = stackRows(m_rows);
    setFixedHeight(std::max(bottom, btnApply->y() + btnApply->height() + kRowGap) + 4);
}

void TppBandPositionDialog::StepEdit(QLineEdit* aEdit, int aDirection) {
    if (!aEdit->isEnabled()) return;
    if (aEdit == edtPrintCount) PrintCount = std::max(0, PrintCount + aDirection);
    else if (aEdit == edtBandsPerRecord) BandsPerRecord = std::max(1, BandsPerRecord + aDirection);
    else {
        float& value = aEdit == edtHeight ? Height : aEdit == edtBottomOffset ? BottomOffset : PrintPosition;
        if (aEdit == edtPrintPosition && aDirection < 0 && value == 0) return;
        value = float(std::round((double(value) + aDirection * Step()) * 1e6) / 1e6);
    }
    showValues();
}

bool TppBandPositionDialog::readEdit(QLineEdit* aEdit) {
    bool ok = false;
    const QString text = aEdit->text().trimmed();
    if (aEdit == edtPrintCount || aEdit == edtBandsPerRecord) {
        int typed = text.toInt(&ok);
        if (ok && aEdit == edtPrintCount) PrintCount = typed;
        if (ok && aEdit == edtBandsPerRecord) {
            if (typed <= 0) typed = 1;
            BandsPerRecord = typed;
            aEdit->setText(QString::number(typed));
        }
    } else {
        const double typed = text.toDouble(&ok);
        if (ok) (aEdit == edtHeight ? Height : aEdit == edtBottomOffset ? BottomOffset : PrintPosition) = float(typed);
    }
    if (!ok) {
        m_readFailed = true;
        ShowWarning(ppGetMessageText(377));
        aEdit->setFocus();
    }
    return ok;
}

void TppBandPositionDialog::btnApplyClick() {
    if (report::HasPublishedValue(Band, QStringLiteral("BandsPerRecord")))
        report::SetPublishedInteger(Band, QStringLiteral("BandsPerRecord"), BandsPerRecord);
    DoApply();
}

void TppBandPositionDialog::btnOKClick() {
    m_readFailed = false;
    ExitActiveEdit();
    if (m_readFailed) return;
    btnApplyClick();
    EndModal(report::ModalResult::mrOk);
}

namespace report {

void RegisterPositionDialogs() {
    RegisterForm<TppCustomPositionDialog, TppPositionDialog>();
    RegisterForm<TppCustomBandPositionDialog, TppBandPositionDialog>();
}

void UnRegisterPositionDialogs() {
    UnRegisterForm<TppCustomPositionDialog>();
    UnRegisterForm<TppCustomBandPositionDialog>();
}

}  // namespace report
