#pragma once

// The Database Settings dialog: edits a data settings object in place (session type,
// database, database type, SQL dialect, SQL as text, data dictionary). The Data page reaches
// it only through the dialog registry, as the form of TppCustomDataSettingsDialog.

#include "report/data/data_dictionary.h"
#include "report/data/data_settings.h"
#include "report/data/session.h"
#include "report/output/gui/form.h"

#include <QPointer>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TdaDataSettingsDialog : public TppForm, public TppCustomDataSettingsDialog {
    Q_OBJECT
public:
    explicit TdaDataSettingsDialog(QObject* aOwner = nullptr);
    ~TdaDataSettingsDialog() override;

    TppDataSettings* GetDataSettings() const override { return m_settings; }
    /// Stores the settings and runs UpdateControls.
    void SetDataSettings(TppDataSettings* aSettings) override;
    void UpdateControls() override;
    void LanguageChanged() override;

    /// Makes a session of the class registered under the type (none when unregistered), fills
    /// the database types and names from it and selects the type; then an empty database name.
    void SelectSessionType(const QString& aTypeName);
    /// Selects the name when listed (else the box stays empty), then the name's database type.
    void SelectDatabaseName(const QString& aName);
    /// Selects the type's item (none when absent) and the session's default SQL type for it.
    void SelectDatabaseType(TppDatabaseType aType);
    /// The session of the selected type; null when the type is not registered.
    TdaSession* Session() const { return m_session.get(); }

private:
    void btnOKClick();
    void ckbDataDictionaryClick();

    QPointer<TppDataSettings> m_settings;
    std::unique_ptr<TdaSession> m_session;
    bool m_filling = false;

    QGroupBox* m_connection = nullptr;
    QGroupBox* m_access = nullptr;
    QLabel* m_lblSessionType = nullptr;
    QLabel* m_lblDatabaseName = nullptr;
    QLabel* m_lblDatabaseType = nullptr;
    QLabel* m_lblSQLType = nullptr;
    QComboBox* cbxSessionType = nullptr;
    QComboBox* cbxDatabaseName = nullptr;
    QComboBox* cbxDatabaseType = nullptr;
    QComboBox* cbxSQLType = nullptr;
    QCheckBox* ckbEditSQLAsText = nullptr;
    QLabel* lblEditSQLAsText = nullptr;
    QCheckBox* ckbDataDictionary = nullptr;
    QLabel* lblUseDataDictionary = nullptr;
    QComboBox* cbxDataDictionary = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
