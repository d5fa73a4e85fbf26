#include "report/model/data_view.h"

#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"

TdaDataView::TdaDataView(TComponent* AOwner) : TppRelative(AOwner) {}

TdaDataView::~TdaDataView() {
    if (m_report) m_report->RemoveEventNotify(this);
    m_report = nullptr;
}

void TdaDataView::AssignReportPipeline() {
    if (m_report && DataPipelineCount() > 0) m_report->SetDataPipeline(DataPipelines(0));
}

void TdaDataView::SetAvailableActions(Actions aActions) {
    m_availableActions = aActions;
    if (!HasState(csReading | csLoading) && OnChange) OnChange(this);
}

void TdaDataView::SetReport(TppCustomReport* aReport) {
    if (m_report) {
        m_report->RemoveEventNotify(this);
        RemoveNotify(m_report);
    }
    m_report = aReport;
    if (m_report) m_report->AddEventNotify(this);
    if (m_report && !HasState(csReading | csLoading) && !m_report->DataPipeline()) AssignReportPipeline();
}

void TdaDataView::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppRelative::Notify(aCommunicator, aOperation);
    if (aOperation == ppopRemove && aCommunicator == m_report) m_report = nullptr;
}

QString TdaDataView::GetTypeName() const { return QString::fromLatin1(metaObject()->className()); }

int TdaDataView::AddDataPipeline(TppDataPipeline* aPipeline) {
    if (!aPipeline) return -1;
    aPipeline->SetDataView(this);
    return ChildCount() - 1;
}

void TdaDataView::RemoveDataPipeline(TppDataPipeline* aPipeline) {
    if (aPipeline && aPipeline->Parent() == this) aPipeline->SetDataView(nullptr);
}
