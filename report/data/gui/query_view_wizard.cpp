#include "report/data/gui/query_view_wizard.h"

#include "report/data/sql.h"

TdaQueryViewWizard::~TdaQueryViewWizard() {
    if (m_dataView) m_dataView->RemoveNotify(this);
}

void TdaQueryViewWizard::GetDescription(QString& aText) {
    aText = m_dataView && m_dataView->SQL() ? m_dataView->SQL()->Description() : QString();
}

void TdaQueryViewWizard::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TdaCustomDataWizard::Notify(aCommunicator, aOperation);
    if (aOperation == TppOperationType::ppopRemove && aCommunicator == m_dataView) m_dataView = nullptr;
}

TdaQueryDataView* TdaQueryViewWizard::openQueryView() {
    TdaDataView* view = nullptr;
    DoGetDataView(view);
    auto* queryView = qobject_cast<TdaQueryDataView*>(view);
    if (!queryView) return nullptr;
    m_dataView = queryView;
    queryView->AddNotify(this);
    queryView->Session();
    queryView->CreateDataPipelines();
    return queryView;
}

void TdaQueryViewWizard::applyDataSettings(TdaSQL* aSQL) {
    TppDataSettings* settings = DataSettings();
    if (!settings) return;
    aSQL->SetDatabaseName(settings->DatabaseName());
    aSQL->SetDatabaseType(settings->DatabaseType());
    aSQL->SetSQLType(settings->SQLType());
    aSQL->SetDataDictionary(settings->UseDataDictionary() ? settings->DataDictionary() : nullptr);
}

bool TdaQueryViewWizard::takeQuery(TdaSQL* aSQL, bool aConfirmed) {
    const bool taken = aConfirmed && m_dataView;
    if (taken) {
        m_dataView->SetComplete(true);
        m_dataView->AssignSQL(aSQL);
        if (m_dataView->SQL()) m_dataView->SQL()->SetModified(false);
    }
    if (m_dataView) aSQL->RemoveNotify(m_dataView);
    return taken;
}
