#include "report/output/gui/auto_search_dialog.h"

#include "report/model/auto_search_field.h"
#include "report/model/text_layout.h"
#include "report/output/output_texts.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTime>
#include <QVBoxLayout>

namespace {

QDate readDate(const QString& aText) {
    for (const QString& format : {QStringLiteral("yyyy-MM-dd"), QLocale().dateFormat(QLocale::ShortFormat),
                                  QStringLiteral("M/d/yyyy"), QStringLiteral("d.M.yyyy")}) {
        const QDate date = QDate::fromString(aText.trimmed(), format);
        if (date.isValid()) return date;
    }
    return {};
}

}  // namespace

// Panel -------------------------------------------------------------------------------------

TppAutoSearchPanel::TppAutoSearchPanel(TppAutoSearchField* aField, bool aFirst, QWidget* aParent)
    : QFrame(aParent), m_field(aField) {
    setObjectName(QStringLiteral("pnl%1").arg(aField->FieldAlias().isEmpty() ? aField->FieldName() : aField->FieldAlias())
                      .remove(QLatin1Char(' ')));
    setFrameShape(QFrame::StyledPanel);
    switch (aField->SearchOperator()) {
    case TppSearchOperatorType::soBetween:
    case TppSearchOperatorType::soNotBetween: m_kind = Between; break;
    case TppSearchOperatorType::soInList:
    case TppSearchOperatorType::soNotInList: m_kind = InList; break;
    case TppSearchOperatorType::soBlank:
    case TppSearchOperatorType::soNotBlank: m_kind = Blank; break;
    default: m_kind = Simple;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 5, 8, 5);
    layout->setSpacing(4);

    auto* sentence = new QHBoxLayout;
    auto* opening = ui::Make<QLabel>(this, "lblOpening");
    opening->setText(ppGetMessageText(aFirst ? 54 : 55));
    auto* field = ui::Make<QLabel>(this, "lblField");
    field->setText(aField->FieldAlias());
    field->setStyleSheet(QStringLiteral("color: blue"));
    QString operatorText;
    aField->GetOperatorText(operatorText);
    if (m_kind == Blank) operatorText += QLatin1Char('.');
    if (m_kind == InList) operatorText += QLatin1Char(':');
    auto* op = ui::Make<QLabel>(this, "lblOperator");
    op->setText(operatorText);
    sentence->addWidget(opening);
    sentence->addWidget(field);
    sentence->addWidget(op);
    if (m_kind == Simple || m_kind == Between) {
        edtValue = ui::Make<QLineEdit>(this, "edtValue");
        edtValue->setFixedWidth(m_kind == Simple ? 273 : 150);
        sentence->addWidget(edtValue);
    }
    if (m_kind == Between) {
        sentence->addWidget(ui::Make<QLabel>(this, "lblAnd"));
        findChild<QLabel*>(QStringLiteral("lblAnd"))->setText(ppGetMessageText(62));
        edtValue2 = ui::Make<QLineEdit>(this, "edtValue2");
        edtValue2->setFixedWidth(150);
        sentence->addWidget(edtValue2);
        QStringList values;
        ppCommaTextToList(aField->SearchExpression(), values);
        edtValue->setText(values.value(0));
        edtValue2->setText(values.value(1));
    } else if (m_kind == Simple) {
        edtValue->setText(aField->SearchExpression());
    }
    if (aField->Mandatory()) {
        auto* marker = ui::Make<QLabel>(this, "lblMandatoryMarker");
        marker->setText(QStringLiteral("\u25CF"));
        sentence->addWidget(marker);
    }
    sentence->addStretch(1);
    layout->addLayout(sentence);

    if (m_kind == InList) {
        auto* row = new QHBoxLayout;
        edtValue = ui::Make<QLineEdit>(this, "edtValue");
        edtValue->setFixedWidth(200);
        auto* buttons = new QVBoxLayout;
        auto* add = ui::Make<QPushButton>(this, "btnAdd");
        add->setText(ppGetMessageText(63));
        auto* remove = ui::Make<QPushButton>(this, "btnRemove");
        remove->setText(ppGetMessageText(64));
        for (QPushButton* b : {add, remove}) {
            b->setAutoDefault(false);
            b->setMinimumWidth(95);
        }
        buttons->addWidget(edtValue);
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch(1);
        lstValues = ui::Make<QListWidget>(this, "lstValues");
        lstValues->setFixedSize(200, 131);
        QStringList values;
        ppCommaTextToList(aField->SearchExpression(), values);
        lstValues->addItems(values);
        row->addLayout(buttons);
        row->addWidget(lstValues);
        row->addStretch(1);
        layout->addLayout(row);
        connect(add, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { addToList(); }); });
        connect(remove, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { removeFromList(); }); });
    }

    chkShowAll = ui::Make<QCheckBox>(this, "chkShowAll");
    chkShowAll->setText(report::MessageText(1033, {aField->FieldAlias()}));
    chkShowAll->setChecked(aField->ShowAllValues());
    chkShowAll->setVisible(!aField->Mandatory());
    layout->addWidget(chkShowAll);
    lblError = ui::Make<QLabel>(this, "lblError");
    lblError->setStyleSheet(QStringLiteral("color: red"));
    lblError->hide();
    layout->addWidget(lblError);

    connect(chkShowAll, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    if (edtValue && m_kind == Simple)
        connect(edtValue, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (!chkShowAll->isHidden()) chkShowAll->setChecked(text.isEmpty());
        });
    updateEnabled();
}

void TppAutoSearchPanel::updateEnabled() {
    const bool off = !chkShowAll->isHidden() && chkShowAll->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edtValue, edtValue2, lstValues})
        if (w) w->setEnabled(!off);
}

QString TppAutoSearchPanel::CheckValue(const TppAutoSearchField& aField, const QString& aValue) {
    const QString value = aValue.trimmed();
    if (value.isEmpty()) return {};
    const QString separator = QLocale().groupSeparator();
    QString number = value;
    number.remove(separator);
    bool ok = true;
    switch (aField.DataType()) {
    case TppDataType::dtBoolean:
        if (!QStringLiteral("01FNTY").contains(value.at(0).toUpper())) return ppGetMessageText(60);
        return {};
    case TppDataType::dtDate: ok = readDate(value).isValid(); return ok ? QString() : value + QLatin1Char(' ') + ppGetMessageText(56);
    case TppDataType::dtTime:
        ok = QTime::fromString(value, QStringLiteral("H:mm")).isValid() || QTime::fromString(value, QStringLiteral("H:mm:ss")).isValid();
        return ok ? QString() : value + QLatin1Char(' ') + ppGetMessageText(57);
    case TppDataType::dtDateTime:
        ok = QDateTime::fromString(value, Qt::ISODate).isValid() || readDate(value).isValid();
        return ok ? QString() : value + QLatin1Char(' ') + ppGetMessageText(58);
    case TppDataType::dtInteger:
    case TppDataType::dtLongint: number.toLongLong(&ok); break;
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency: QLocale().toDouble(number, &ok); if (!ok) number.toDouble(&ok); break;
    default: return {};
    }
    return ok ? QString() : value + QLatin1Char(' ') + ppGetMessageText(59);
}

bool TppAutoSearchPanel::fail(const QString& aText) {
    lblError->setText(aText);
    lblError->setVisible(!aText.isEmpty());
    return aText.isEmpty();
}

bool TppAutoSearchPanel::Apply() {
    const bool showAll = !chkShowAll->isHidden() && chkShowAll->isChecked();
    auto checked = [&](QLineEdit* aEdit) -> QString {
        if (m_field->Mandatory() && aEdit->text().trimmed().isEmpty()) return ppGetMessageText(61);
        return CheckValue(*m_field, aEdit->text());
    };
    switch (m_kind) {
    case Simple:
        if (!showAll && !fail(checked(edtValue))) return false;
        m_field->SetSearchExpression(edtValue->text());
        break;
    case Between:
        if (!showAll) {
            QString error = checked(edtValue);
            if (error.isEmpty()) error = checked(edtValue2);
            if (!fail(error)) return false;
        }
        m_field->SetSearchExpression(edtValue->text().isEmpty() || edtValue2->text().isEmpty()
                                         ? QString()
                                         : edtValue->text() + QLatin1Char(',') + edtValue2->text());
        break;
    case InList: {
        if (m_field->Mandatory() && lstValues->count() == 0) return fail(ppGetMessageText(61));
        QStringList items;
        for (int i = 0; i < lstValues->count(); ++i) items << lstValues->item(i)->text();
        m_field->SetSearchExpression(items.join(QLatin1Char(',')));
        break;
    }
    case Blank: break;
    }
    fail(QString());
    m_field->SetShowAllValues(showAll);
    return true;
}

void TppAutoSearchPanel::addToList() {
    const QString text = edtValue->text().trimmed();
    if (!fail(CheckValue(*m_field, text))) return;
    if (!text.isEmpty() && lstValues->findItems(text, Qt::MatchExactly).isEmpty()) {
        lstValues->addItem(text);
        lstValues->setCurrentRow(lstValues->count() - 1);
    }
    edtValue->clear();
    edtValue->setFocus();
}

void TppAutoSearchPanel::removeFromList() {
    const int row = lstValues->currentRow();
    if (row < 0) return;
    delete lstValues->takeItem(row);
    lstValues->setCurrentRow(std::min(row, lstValues->count() - 1));
    lstValues->setFocus();
}

// Dialog ------------------------------------------------------------------------------------

TppAutoSearchDialog::TppAutoSearchDialog(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareOutputTexts();
    setObjectName(QStringLiteral("ppAutoSearchDialog"));
    resize(532, 500);
    auto* layout = new QVBoxLayout(this);
    ScrollBox = ui::Make<QScrollArea>(this, "ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(true);
    auto* column = new QWidget;
    m_column = new QVBoxLayout(column);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->addStretch(1);
    ScrollBox->setWidget(column);
    layout->addWidget(ScrollBox, 1);

    auto* bottom = new QHBoxLayout;
    lblMandatory = ui::Make<QLabel>(this, "lblMandatory");
    lblMandatory->hide();
    bottom->addWidget(lblMandatory);
    bottom->addStretch(1);
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    layout->addLayout(bottom);
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { okClicked(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    LanguageChanged();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TppAutoSearchDialog::~TppAutoSearchDialog() = default;

void TppAutoSearchDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(65));
    lblMandatory->setText(QStringLiteral("\u25CF ") + ppGetMessageText(66));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

void TppAutoSearchDialog::Init() {
    if (m_initialized) return;
    m_initialized = true;
    bool anyMandatory = false;
    for (TppAutoSearchField* field : Criteria) {
        if (!field) continue;
        auto* panel = new TppAutoSearchPanel(field, m_panels.empty(), ScrollBox->widget());
        m_column->insertWidget(m_column->count() - 1, panel);
        m_panels.push_back(panel);
        anyMandatory = anyMandatory || field->Mandatory();
    }
    lblMandatory->setVisible(anyMandatory);
    // As high as the panels need, within the form's height.
    const int needed = ScrollBox->widget()->sizeHint().height() + 60;
    if (needed < height()) resize(std::max(width(), ScrollBox->widget()->sizeHint().width() + 30), needed);
}

void TppAutoSearchDialog::okClicked() {
    ExitActiveEdit();
    bool all = true;
    for (TppAutoSearchPanel* panel : m_panels) {
        const bool ok = panel->Apply();
        if (!ok && all) ScrollBox->ensureWidgetVisible(panel);
        all = all && ok;
    }
    if (all) EndModal(report::ModalResult::mrOk);
}
