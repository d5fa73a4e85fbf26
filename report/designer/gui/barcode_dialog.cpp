#include "report/designer/gui/barcode_dialog.h"

#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include "platform/ui/dialog_service.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

bool m_warnedDuringOk = false;

QToolButton* arrow(QWidget* parent, Qt::ArrowType type, const QString& name) {
    auto* b = new QToolButton(parent);
    b->setArrowType(type);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setFixedSize(16, 11);
    return b;
}

double inchesInUnit(double inches, TppUnitType units) {
    return inches * ppFromMMThousandths(25400, units, report::kHorizontal, nullptr);
}

}  // namespace

TppBarCodeDialog::TppBarCodeDialog(QObject* aOwner) : TppForm(aOwner) {
    report::barcode::DeclareBarCodeTexts();
    report::DeclareTexts({{5, "Cancel"}, {17, "OK"}, {115, "Left to Right"}, {116, "Right to Left"}, {217, "Orientation"},
                          {312, "Top to Bottom"}, {375, "Bottom to Top"}, {377, "Invalid Value"}, {385, "&Apply"}});
    setObjectName(QStringLiteral("ppBarCodeDialog"));
    auto* grid = new QGridLayout;
    auto label = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    auto edit = [this](const QString& name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->installEventFilter(this);
        return e;
    };
    lblBarCodeType = label(QStringLiteral("lblBarCodeType"));
    cbxBarCodeType = new QComboBox(this);
    cbxBarCodeType->setObjectName(QStringLiteral("cbxBarCodeType"));
    lblOrientation = label(QStringLiteral("lblOrientation"));
    cbxOrientation = new QComboBox(this);
    cbxOrientation->setObjectName(QStringLiteral("cbxOrientation"));
    lblBarWidth = label(QStringLiteral("lblBarWidth"));
    edtBarWidth = edit(QStringLiteral("edtBarWidth"));
    udBarWidthUp = arrow(this, Qt::UpArrow, QStringLiteral("udBarWidthUp"));
    udBarWidthDown = arrow(this, Qt::DownArrow, QStringLiteral("udBarWidthDown"));
    lblWideBarRatio = label(QStringLiteral("lblWideBarRatio"));
    edtWideBarRatio = edit(QStringLiteral("edtWideBarRatio"));
    udWideBarRatioUp = arrow(this, Qt::UpArrow, QStringLiteral("udWideBarRatioUp"));
    udWideBarRatioDown = arrow(this, Qt::DownArrow, QStringLiteral("udWideBarRatioDown"));
    lblAddOnCode = label(QStringLiteral("lblAddOnCode"));
    edtAddOnCode = edit(QStringLiteral("edtAddOnCode"));
    ckbBearerBars = new QCheckBox(this);
    ckbBearerBars->setObjectName(QStringLiteral("ckbBearerBars"));
    ckbCalcCheckDigit = new QCheckBox(this);
    ckbCalcCheckDigit->setObjectName(QStringLiteral("ckbCalcCheckDigit"));
    ckbAutoEncode = new QCheckBox(this);
    ckbAutoEncode->setObjectName(QStringLiteral("ckbAutoEncode"));
    btnOK = new QPushButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnApply = new QPushButton(this);
    btnApply->setObjectName(QStringLiteral("btnApply"));

    auto arrows = [this](QLineEdit* e, QToolButton* up, QToolButton* down) {
        auto* w = new QWidget(this);
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(e);
        auto* v = new QVBoxLayout;
        v->setSpacing(0);
        v->addWidget(up);
        v->addWidget(down);
        h->addLayout(v);
        return w;
    };
    grid->addWidget(lblBarCodeType, 0, 0);
    grid->addWidget(cbxBarCodeType, 0, 1);
    grid->addWidget(lblOrientation, 1, 0);
    grid->addWidget(cbxOrientation, 1, 1);
    grid->addWidget(lblBarWidth, 2, 0);
    grid->addWidget(arrows(edtBarWidth, udBarWidthUp, udBarWidthDown), 2, 1);
    grid->addWidget(lblWideBarRatio, 3, 0);
    grid->addWidget(arrows(edtWideBarRatio, udWideBarRatioUp, udWideBarRatioDown), 3, 1);
    grid->addWidget(lblAddOnCode, 4, 0);
    grid->addWidget(edtAddOnCode, 4, 1);
    grid->addWidget(ckbBearerBars, 5, 1);
    grid->addWidget(ckbCalcCheckDigit, 6, 1);
    grid->addWidget(ckbAutoEncode, 7, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnApply);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    connect(cbxBarCodeType, &QComboBox::activated, this, [this] { typeChanged(true); });
    connect(cbxOrientation, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_filling && i >= 0) Values.Orientation = TppBarCodeOrientation(i);
    });
    connect(ckbBearerBars, &QCheckBox::toggled, this, [this](bool v) { Values.BearerBars = v; });
    connect(ckbCalcCheckDigit, &QCheckBox::toggled, this, [this](bool v) { Values.CalcCheckDigit = v; });
    connect(ckbAutoEncode, &QCheckBox::toggled, this, [this](bool v) { Values.AutoEncode = v; });
    connect(edtBarWidth, &QLineEdit::editingFinished, this, [this] { if (!cancelActive()) readBarWidth(); });
    connect(edtWideBarRatio, &QLineEdit::editingFinished, this, [this] { if (!cancelActive()) readRatio(); });
    connect(edtAddOnCode, &QLineEdit::editingFinished, this, [this] { if (!cancelActive()) readAddOn(); });
    connect(udBarWidthUp, &QToolButton::clicked, this, [this] {
        Values.BarWidth = Values.BarWidth + Step();
        showNumber(edtBarWidth, Values.BarWidth);
    });
    connect(udBarWidthDown, &QToolButton::clicked, this, [this] {
        Values.BarWidth = Values.BarWidth - Step();
        showNumber(edtBarWidth, Values.BarWidth);
    });
    connect(udWideBarRatioUp, &QToolButton::clicked, this, [this] {
        Values.WideBarRatio = Values.WideBarRatio + Step();
        showNumber(edtWideBarRatio, Values.WideBarRatio);
    });
    connect(udWideBarRatioDown, &QToolButton::clicked, this, [this] {
        if (Values.WideBarRatio - Step() > 0) Values.WideBarRatio = Values.WideBarRatio - Step();
        showNumber(edtWideBarRatio, Values.WideBarRatio);
    });
    connect(btnApply, &QPushButton::clicked, this, [this] { DoApply(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    connect(btnOK, &QPushButton::clicked, this, [this] { ok(); });
    OnActivate = [this](report::ReportForm*) { Activate(); };
    LanguageChanged();
}

double TppBarCodeDialog::Step() const {
    switch (Units) {
    case TppUnitType::utInches: return 0.1;
    case TppUnitType::utPrinterPixels: return 50;
    case TppUnitType::utMMThousandths: return 1000;
    default: return 1;
    }
}

void TppBarCodeDialog::LanguageChanged() {
    setWindowTitle(report::MessageText(444));
    lblBarCodeType->setText(report::MessageText(445));
    lblOrientation->setText(report::MessageText(217));
    lblBarWidth->setText(report::MessageText(446));
    lblWideBarRatio->setText(report::MessageText(447));
    lblAddOnCode->setText(report::MessageText(448));
    ckbBearerBars->setText(report::MessageText(449));
    ckbCalcCheckDigit->setText(report::MessageText(450));
    ckbAutoEncode->setText(report::MessageText(692));
    btnOK->setText(report::MessageText(17));
    btnCancel->setText(report::MessageText(5));
    btnApply->setText(report::MessageText(385));
    const int type = cbxBarCodeType->currentIndex();
    const int orientation = cbxOrientation->currentIndex();
    m_filling = true;
    cbxBarCodeType->clear();
    cbxBarCodeType->addItems({QStringLiteral("UPC-A"), QStringLiteral("UPC-E"), QStringLiteral("EAN-13"), QStringLiteral("EAN-8"),
                              QStringLiteral("Interleaved 2 of 5"), QStringLiteral("Code 128"), QStringLiteral("Code 39"),
                              QStringLiteral("PostNet"), QStringLiteral("FIM"), QStringLiteral("Codabar")});
    cbxOrientation->clear();
    cbxOrientation->addItems({report::MessageText(115), report::MessageText(116), report::MessageText(312), report::MessageText(375)});
    cbxBarCodeType->setCurrentIndex(type);
    cbxOrientation->setCurrentIndex(orientation);
    m_filling = false;
}

void TppBarCodeDialog::showNumber(QLineEdit* aEdit, double aValue) { aEdit->setText(QString::number(aValue, 'g', 7)); }

void TppBarCodeDialog::Activate() {
    m_filling = true;
    cbxBarCodeType->setCurrentIndex(int(Values.BarCodeType));
    cbxOrientation->setCurrentIndex(int(Values.Orientation));
    showNumber(edtBarWidth, Values.BarWidth);
    showNumber(edtWideBarRatio, Values.WideBarRatio);
    edtAddOnCode->setText(Values.AddOnCode);
    ckbBearerBars->setChecked(Values.BearerBars);
    ckbCalcCheckDigit->setChecked(Values.CalcCheckDigit);
    ckbAutoEncode->setChecked(Values.AutoEncode);
    m_filling = false;
    typeChanged(false);
}

void TppBarCodeDialog::typeChanged(bool aByUser) {
    const int index = cbxBarCodeType->currentIndex();
    if (index < 0) return;
    const auto type = TppBarCodeType(index);
    Values.BarCodeType = type;
    if (type != TppBarCodeType::bcInt2of5) ckbBearerBars->setChecked(false);
    if (type > TppBarCodeType::bcInt2of5) {
        ckbCalcCheckDigit->setChecked(false);
        edtAddOnCode->clear();
        Values.AddOnCode.clear();
    }
    const bool upcEan = type <= TppBarCodeType::bcEAN_8;
    edtAddOnCode->setEnabled(upcEan);
    lblAddOnCode->setEnabled(upcEan);
    ckbCalcCheckDigit->setEnabled(type <= TppBarCodeType::bcInt2of5);
    ckbBearerBars->setEnabled(type == TppBarCodeType::bcInt2of5);
    ckbAutoEncode->setEnabled(type == TppBarCodeType::bcCode128);
    if (aByUser) {
        Values.BarWidth = inchesInUnit(report::BarCodeDefaultBarWidth(type), Units);
        showNumber(edtBarWidth, Values.BarWidth);
        ckbAutoEncode->setChecked(type == TppBarCodeType::bcCode128);
    }
}

bool TppBarCodeDialog::cancelActive() const { return focusWidget() == btnCancel; }

bool TppBarCodeDialog::readBarWidth() {
    bool ok = false;
    const double v = edtBarWidth->text().trimmed().toDouble(&ok);
    if (!ok) {
        showNumber(edtBarWidth, Values.BarWidth);
        m_warnedDuringOk = true;
        ShowWarning(report::MessageText(377));
        return false;
    }
    Values.BarWidth = v;
    return true;
}

bool TppBarCodeDialog::readRatio() {
    bool ok = false;
    const double v = edtWideBarRatio->text().trimmed().toDouble(&ok);
    if (!ok || v <= 0) {
        showNumber(edtWideBarRatio, Values.WideBarRatio);
        m_warnedDuringOk = true;
        ShowWarning(report::MessageText(377));
        return false;
    }
    Values.WideBarRatio = v;
    return true;
}

bool TppBarCodeDialog::readAddOn() {
    const QString text = edtAddOnCode->text();
    if (text.size() != 0 && text.size() != 2 && text.size() != 5) {
        m_warnedDuringOk = true;
        ShowWarning(report::MessageText(424));
        return false;
    }
    Values.AddOnCode = text;
    return true;
}

bool TppBarCodeDialog::eventFilter(QObject* aWatched, QEvent* aEvent) {
    if (aEvent->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(aEvent);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (auto* e = qobject_cast<QLineEdit*>(aWatched)) Q_EMIT e->editingFinished();
            return true;
        }
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

void TppBarCodeDialog::ok() {
    m_warnedDuringOk = false;
    ExitActiveEdit();
    DoApply();
    if (!m_warnedDuringOk) EndModal(report::ModalResult::mrOk);
}

namespace report {

void InstallBarCodeDialog() {
    static const bool done = [] {
        RegisterForm<TppCustomBarCodeDialog, TppBarCodeDialog>();
        SetBarCodeConfigurePrompt([](BarCodeSettings& aSettings, TppUnitType aUnits,
                                     const std::function<void(const BarCodeSettings&)>& aApply) {
            TppCustomBarCodeDialog* dialog = CreateForm<TppCustomBarCodeDialog>(nullptr);
            if (!dialog) return false;
            dialog->Units = aUnits;
            dialog->Values = aSettings;
            dialog->OnApply = [dialog, aApply] { aApply(dialog->Values); };
            const bool ok = dialog->ShowModal() == ModalResult::mrOk;
            aSettings = dialog->Values;
            delete dialog;
            return ok;
        });
        return true;
    }();
    (void)done;
}

}  // namespace report
