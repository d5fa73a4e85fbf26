#include "report/designer/data/data_settings_dialog.h"

#include "report/data/data_dictionary.h"
#include "report/data/data_view.h"
#include "report/model/communicator.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

/// A label that toggles its check box when clicked (the check box keeps no text of its own).
class ToggleLabel : public QLabel {
public:
    ToggleLabel(QCheckBox* aBox, QWidget* aParent) : QLabel(aParent), m_box(aBox) {}

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        QLabel::mouseReleaseEvent(e);
        if (m_box && m_box->isEnabled() && isEnabled()) m_box->click();
    }

private:
    QCheckBox* m_box;
};

QComboBox* sortedBox(QWidget* parent, const char* name, bool editable) {
    auto* box = ui::Make<QComboBox>(parent, name);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::InsertAlphabetically);
    return box;
}

/// Adds an item keeping the box sorted (the boxes are sorted lists).
void addSorted(QComboBox* box, const QString& text, const QVariant& data = {}) {
    int i = 0;
    while (i < box->count() && QString::compare(box->itemText(i), text, Qt::CaseInsensitive) <= 0) ++i;
    box->insertItem(i, text, data);
}

}  // namespace

TdaDataSettingsDialog::TdaDataSettingsDialog(QObject* aOwner) : TppForm(aOwner) {
    setObjectName(QStringLiteral("daDataSettingsDialog"));
    setFixedSize(282, 280);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    m_connection = ui::Make<QGroupBox>(this, "gbxDataConnection");
    m_lblSessionType = ui::Make<QLabel>(m_connection, "lblSessionType");
    cbxSessionType = sortedBox(m_connection, "cbxSessionType", false);
    m_lblDatabaseName = ui::Make<QLabel>(m_connection, "lblDatabaseName");
    cbxDatabaseName = sortedBox(m_connection, "cbxDatabaseName", true);
    m_lblDatabaseType = ui::Make<QLabel>(m_connection, "lblDatabaseType");
    cbxDatabaseType = sortedBox(m_connection, "cbxDatabaseType", false);
    m_access = ui::Make<QGroupBox>(this, "gbxDataAccess");
    m_lblSQLType = ui::Make<QLabel>(m_access, "lblSQLType");
    cbxSQLType = sortedBox(m_access, "cbxSQLType", false);
    ckbEditSQLAsText = ui::Make<QCheckBox>(m_access, "ckbEditSQLAsText");
    lblEditSQLAsText = new ToggleLabel(ckbEditSQLAsText, m_access);
    lblEditSQLAsText->setObjectName(QStringLiteral("lblEditSQLAsText"));
    ckbDataDictionary = ui::Make<QCheckBox>(this, "ckbDataDictionary");
    lblUseDataDictionary = new ToggleLabel(ckbDataDictionary, this);
    lblUseDataDictionary->setObjectName(QStringLiteral("lblUseDataDictionary"));
    cbxDataDictionary = sortedBox(this, "cbxDataDictionary", false);
    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");

    auto* connection = new QFormLayout(m_connection);
    connection->addRow(m_lblSessionType, cbxSessionType);
    connection->addRow(m_lblDatabaseName, cbxDatabaseName);
    connection->addRow(m_lblDatabaseType, cbxDatabaseType);
    auto* access = new QFormLayout(m_access);
    access->addRow(m_lblSQLType, cbxSQLType);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(ckbEditSQLAsText);
    editRow->addWidget(lblEditSQLAsText, 1);
    access->addRow(editRow);
    auto* dictionaryRow = new QHBoxLayout;
    dictionaryRow->addWidget(ckbDataDictionary);
    dictionaryRow->addWidget(lblUseDataDictionary);
    dictionaryRow->addWidget(cbxDataDictionary, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(m_connection);
    main->addWidget(m_access);
    main->addLayout(dictionaryRow);
    main->addStretch(1);
    main->addLayout(buttons);

    connect(cbxSessionType, &QComboBox::activated, this, [this](int) {
        if (!m_filling) SelectSessionType(cbxSessionType->currentText());
    });
    connect(cbxDatabaseName, &QComboBox::currentTextChanged, this, [this](const QString& aText) {
        if (!m_filling) SelectDatabaseName(aText);
    });
    connect(cbxDatabaseType, &QComboBox::activated, this, [this](int aIndex) {
        if (!m_filling) SelectDatabaseType(TppDatabaseType(cbxDatabaseType->itemData(aIndex).toInt()));
    });
    connect(ckbDataDictionary, &QCheckBox::toggled, this, [this](bool) { ckbDataDictionaryClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    LanguageChanged();
}

TdaDataSettingsDialog::~TdaDataSettingsDialog() = default;

void TdaDataSettingsDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(748));
    m_lblSessionType->setText(ppGetMessageText(825));
    m_connection->setTitle(ppGetMessageText(744));
    m_lblDatabaseName->setText(ppGetMessageText(747));
    m_access->setTitle(ppGetMessageText(743));
    m_lblSQLType->setText(ppGetMessageText(831));
    lblUseDataDictionary->setText(ppGetMessageText(745));
    lblEditSQLAsText->setText(ppGetMessageText(720));
    m_lblDatabaseType->setText(ppGetMessageText(843));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

void TdaDataSettingsDialog::SetDataSettings(TppDataSettings* aSettings) {
    m_settings = aSettings;
    UpdateControls();
}

void TdaDataSettingsDialog::UpdateControls() {
    if (!m_settings) return;
    {
        m_filling = true;
        cbxSessionType->clear();
        QList<std::pair<QString, TClass>> types;
        daGetSessionTypes(types);
        for (const auto& [name, cls] : types) addSorted(cbxSessionType, name);
        m_filling = false;
    }
    SelectSessionType(m_settings->SessionType());
    SelectDatabaseName(m_settings->DatabaseName());
    SelectDatabaseType(m_settings->DatabaseType());
    m_filling = true;
    cbxSQLType->clear();
    // In this order, which is also their sorted order: the index is the TppSQLType ordinal.
    for (const char* text : {"Local SQL", "SQL1", "SQL2"}) cbxSQLType->addItem(QString::fromLatin1(text));
    cbxSQLType->setCurrentIndex(int(m_settings->SQLType()));
    ckbEditSQLAsText->setChecked(m_settings->AllowEditSQL());

    cbxDataDictionary->clear();
    auto* communicator = qobject_cast<TppCommunicator*>(Communicator.data());
    if (communicator)
        for (TppDataDictionary* dictionary : report::data::DataDictionaryCandidates(communicator))
            addSorted(cbxDataDictionary, dictionary->UserName(), QVariant::fromValue<QObject*>(dictionary));
    int selected = cbxDataDictionary->count() > 0 ? 0 : -1;
    if (TppDataDictionary* current = m_settings->DataDictionary()) {
        const int at = cbxDataDictionary->findText(current->UserName());
        if (at >= 0) selected = at;
    }
    cbxDataDictionary->setCurrentIndex(selected);
    const bool any = cbxDataDictionary->count() > 0;
    ckbDataDictionary->setEnabled(any);
    lblUseDataDictionary->setEnabled(any);
    ckbDataDictionary->setChecked(any && m_settings->UseDataDictionary());
    cbxDataDictionary->setEnabled(ckbDataDictionary->isChecked());
    m_filling = false;
}

void TdaDataSettingsDialog::ckbDataDictionaryClick() { cbxDataDictionary->setEnabled(ckbDataDictionary->isChecked()); }

void TdaDataSettingsDialog::SelectSessionType(const QString& aTypeName) {
    m_session.reset();
    if (TClass cls = daFindSessionClass(aTypeName)) m_session = daCreateSession(cls);
    QObject* owner = nullptr;
    if (auto* communicator = qobject_cast<TppCommunicator*>(Communicator.data())) owner = communicator->Owner();
    m_filling = true;
    cbxDatabaseType->clear();
    cbxDatabaseName->clear();
    if (m_session) {
        const report::EnumType& names = EnumTypeOf(TppDatabaseType{});
        const TppDatabaseTypes supported = m_session->SupportedDatabaseTypes();
        for (int i = 0; i < names.values.size(); ++i)
            if (supported.Contains(TppDatabaseType(i))) addSorted(cbxDatabaseType, names.values.at(i).mid(2), i);
        TdaNameList databases;
        daGetDatabaseNames(m_session->metaObject(), databases, owner);
        for (const TdaNameItem& item : databases) addSorted(cbxDatabaseName, item.Name);
    }
    cbxSessionType->setCurrentIndex(cbxSessionType->findText(aTypeName, Qt::MatchFixedString));
    m_filling = false;
    SelectDatabaseName(QString());
}

void TdaDataSettingsDialog::SelectDatabaseName(const QString& aName) {
    const bool filling = m_filling;
    m_filling = true;
    const int at = aName.isEmpty() ? -1 : cbxDatabaseName->findText(aName);
    if (cbxDatabaseName->currentText() != aName || at < 0) {
        cbxDatabaseName->setCurrentIndex(-1);
        cbxDatabaseName->setEditText(QString());
        if (at >= 0) cbxDatabaseName->setCurrentIndex(at);
    }
    m_filling = filling;
    SelectDatabaseType(m_session ? m_session->GetDatabaseType(aName) : TppDatabaseType::dtOther);
}

void TdaDataSettingsDialog::SelectDatabaseType(TppDatabaseType aType) {
    const bool filling = m_filling;
    m_filling = true;
    cbxDatabaseType->setCurrentIndex(cbxDatabaseType->findData(int(aType)));
    if (m_session) cbxSQLType->setCurrentIndex(int(m_session->DefaultSQLType(aType)));
    m_filling = filling;
}

void TdaDataSettingsDialog::btnOKClick() {
    if (m_settings) {
        m_settings->SetAllowEditSQL(ckbEditSQLAsText->isChecked());
        m_settings->SetSessionType(cbxSessionType->currentText());
        m_settings->SetDatabaseName(cbxDatabaseName->currentText());
        const int type = cbxDatabaseType->currentIndex();
        m_settings->SetDatabaseType(type >= 0 ? TppDatabaseType(cbxDatabaseType->itemData(type).toInt())
                                              : TppDatabaseType::dtOther);
        m_settings->SetSQLType(TppSQLType(std::max(0, cbxSQLType->currentIndex())));
        m_settings->SetUseDataDictionary(ckbDataDictionary->isChecked());
        TppDataDictionary* dictionary = nullptr;
        if (ckbDataDictionary->isChecked() && cbxDataDictionary->currentIndex() >= 0)
            dictionary = qobject_cast<TppDataDictionary*>(cbxDataDictionary->currentData().value<QObject*>());
        m_settings->SetDataDictionary(dictionary);
    }
    EndModal(report::ModalResult::mrOk);
}
