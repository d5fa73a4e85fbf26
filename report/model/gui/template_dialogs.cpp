#include "report/model/gui/template_dialogs.h"

#include "report/model/data_pipeline.h"
#include "report/model/template.h"

#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

void declareDialogTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {38, "As"},
            {39, "Name"},
            {45, "Record not found:"},
            {134, "&Open..."},
            {138, "&Save"},
            {361, "Open"},
            {362, "Save"},
            {416, "&Ignore"},
            {417, "Ignore &All"},
            {418, "Error Reading Template"},
            {494, "Replace existing report?"},
            {523, "<name> already exists."},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

}  // namespace

// ---- error dialog ----

TppTemplateErrorDialog::TppTemplateErrorDialog(QWidget* parent) : QDialog(parent) {
    declareDialogTexts();
    setObjectName(QStringLiteral("ppTemplateErrorDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* icon = ui::Make<QLabel>(this, "imgError");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblMessage = ui::Make<QLabel>(this, "lblMessage");
    lblMessage->setWordWrap(true);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->setMinimumWidth(340);
    auto* bevel = ui::Make<QFrame>(this, "Bevel1");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    btnIgnore = ui::Make<QPushButton>(this, "btnIgnore");
    btnIgnore->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnIgnoreAll = ui::Make<QPushButton>(this, "btnIgnoreAll");
    connect(btnIgnore, &QPushButton::clicked, this, [this] { done(Ignore); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(Cancel); });
    connect(btnIgnoreAll, &QPushButton::clicked, this, [this] { done(All); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(lblMessage, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {btnIgnore, btnCancel, btnIgnoreAll}) {
        b->setMinimumWidth(88);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    LanguageChanged();
}

QString TppTemplateErrorDialog::GetMessage() const { return lblMessage->text(); }

void TppTemplateErrorDialog::SetMessage(const QString& aMessage) {
    lblMessage->setText(aMessage);
    adjustSize();
    // Centred on the screen.
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TppTemplateErrorDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(418));
    btnIgnore->setText(ppGetMessageText(416));
    btnCancel->setText(ppGetMessageText(5));
    btnIgnoreAll->setText(ppGetMessageText(417));
}

// ---- template dialog ----

TppTemplateDialog::TppTemplateDialog(QWidget* parent) : QDialog(parent) {
    declareDialogTexts();
    setObjectName(QStringLiteral("ppTemplateDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setWindowTitle(QStringLiteral("Open"));

    lblTemplateName = ui::Make<QLabel>(this, "lblTemplateName", QStringLiteral("Name"));
    edtTemplateName = ui::Make<QLineEdit>(this, "edtTemplateName");
    lblTemplateName->setBuddy(edtTemplateName);
    m_headerModel = new QStandardItemModel(0, 1, this);
    hdrList = ui::Make<QHeaderView>(this, "hdrList", Qt::Horizontal);
    hdrList->setModel(m_headerModel);
    hdrList->setSectionResizeMode(QHeaderView::Stretch);
    hdrList->setSectionsClickable(false);
    hdrList->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    hdrList->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hdrList->setFixedHeight(hdrList->fontMetrics().height() + 8);
    lbxTemplates = ui::Make<QListWidget>(this, "lbxTemplates");
    lbxTemplates->setSortingEnabled(true);
    btnOK = ui::Make<QPushButton>(this, "btnOK", QStringLiteral("&Open"));
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel", QStringLiteral("Cancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbxTemplates, &QListWidget::itemClicked, this, [this] { lbxTemplatesClick(); });
    connect(lbxTemplates, &QListWidget::itemDoubleClicked, this, [this] { lbxTemplatesDblClick(); });

    auto* list = new QVBoxLayout;
    list->setSpacing(0);
    list->addWidget(hdrList);
    list->addWidget(lbxTemplates, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {btnOK, btnCancel}) {
        b->setMinimumWidth(88);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTemplateName);
    layout->addWidget(edtTemplateName);
    layout->addLayout(list, 1);
    layout->addLayout(buttons);
    resize(340, 320);
}

void TppTemplateDialog::SetDataPipeline(TppDataPipeline* aPipeline) { m_dataPipeline = aPipeline; }

QString TppTemplateDialog::GetTemplateName() const { return edtTemplateName->text(); }

void TppTemplateDialog::SetTemplateName(const QString& aName) { edtTemplateName->setText(aName); }

QStringList TppTemplateDialog::GetTemplateList() const {
    QStringList names;
    for (int i = 0; i < lbxTemplates->count(); ++i) names << lbxTemplates->item(i)->text();
    return names;
}

void TppTemplateDialog::SetTemplateList(const QStringList& aList) {
    lbxTemplates->clear();
    lbxTemplates->addItems(aList);
}

void TppTemplateDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Activate();
}

void TppTemplateDialog::Activate() {
    QStringList names;
    if (m_dataPipeline && !m_nameField.isEmpty()) {
        if (!m_dataPipeline->GetActive()) m_dataPipeline->Open();
        for (m_dataPipeline->First(); !m_dataPipeline->GetEOF(); m_dataPipeline->Next())
            names << m_dataPipeline->GetFieldAsString(m_nameField);
    }
    SetTemplateList(names);
    edtTemplateName->selectAll();
    if (m_mode == Open) {
        setWindowTitle(ppGetMessageText(361));
        btnOK->setText(ppGetMessageText(134));
    } else {
        setWindowTitle(ppGetMessageText(362) + u' ' + GetTemplateName() + u' ' + ppGetMessageText(38));
        btnOK->setText(ppGetMessageText(138));
    }
    btnCancel->setText(ppGetMessageText(5));
    m_headerModel->setHorizontalHeaderLabels({ppGetMessageText(39)});
    lblTemplateName->setText(ppGetMessageText(39));
    edtTemplateName->setFocus();
}

void TppTemplateDialog::lbxTemplatesClick() {
    if (QListWidgetItem* item = lbxTemplates->currentItem()) edtTemplateName->setText(item->text());
}

void TppTemplateDialog::lbxTemplatesDblClick() {
    lbxTemplatesClick();
    btnOK->click();
}

bool TppTemplateDialog::nameExists(const QString& aName) const {
    return m_dataPipeline && m_dataPipeline->Locate(m_nameField, aName, 1);
}

void TppTemplateDialog::accept() {
    const QString name = GetTemplateName();
    if (name.isEmpty()) return;
    const bool exists = nameExists(name);
    if (m_mode == Open) {
        if (!exists) {
            ui::Message(ppGetMessageText(45) + u' ' + name, ui::MessageKind::Warning, ui::Button::Ok);
            return;
        }
    } else if (exists) {
        const QString text = report::MessageText(523, {name}) + QStringLiteral("\r\n\r\n") + ppGetMessageText(494);
        if (ui::Message(text, ui::MessageKind::Warning, ui::Button::Yes | ui::Button::No) != ui::Button::Yes) return;
    }
    QDialog::accept();
}

namespace report {

void InstallTemplateDialogs() {
    SetTemplateErrorPrompt([](const QString& aText) {
        TppTemplateErrorDialog dialog(QApplication::activeWindow());
        dialog.SetMessage(aText);
        switch (ui::ExecModal(dialog)) {
        case TppTemplateErrorDialog::Ignore: return TemplateErrorAnswer::Ignore;
        case TppTemplateErrorDialog::All: return TemplateErrorAnswer::IgnoreAll;
        default: return TemplateErrorAnswer::Cancel;
        }
    });
    SetTemplateNamePrompt([](int aMode, TppDataPipeline* aPipeline, const QString& aNameField,
                             const QString& aName) -> std::optional<QString> {
        TppTemplateDialog dialog(QApplication::activeWindow());
        dialog.SetMode(aMode == 1 ? TppTemplateDialog::Save : TppTemplateDialog::Open);
        dialog.SetDataPipeline(aPipeline);
        dialog.SetNameField(aNameField);
        dialog.SetTemplateName(aName);
        if (ui::ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
        return dialog.GetTemplateName();
    });
}

}  // namespace report
