#include "report/model/report_template.h"

#include "report/model/band_classes.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"

TppReportTemplate::TppReportTemplate(TppCustomReport* aReport) : report::RelativeTemplate(aReport) {
    SetFileExtension(QStringLiteral("rtm"));
    SetFileFilter(QStringLiteral("Report file (*.rtm)|*.rtm"));
}

TppCustomReport* TppReportTemplate::Report() const { return qobject_cast<TppCustomReport*>(Owner()); }

bool TppReportTemplate::PreserveSettings() {
    TppCustomReport* report = Report();
    if (!report || report->Printing()) return false;
    if (!report::RelativeTemplate::PreserveSettings()) return false;
    report->AddState(ppsTemplateLoading);
    report->SendDesignerMessage(report::PPM_TEMPLATE_LOAD_START, report);
    m_loadStarted = true;
    return true;
}

void TppReportTemplate::RestoreSettings(bool aSuccess) {
    TppCustomReport* report = Report();
    if (report && m_loadStarted) {
        m_loadStarted = false;
        report->RemoveState(ppsTemplateLoading);
        report->SendDesignerMessage(report::PPM_TEMPLATE_LOAD_END, report);
    }
    report::RelativeTemplate::RestoreSettings(aSuccess);
    if (report) {
        report->Reset();
        report->SetModified(false);
    }
}

bool TppReportTemplate::BeforeSave() {
    if (TppCustomReport* report = Report()) report->AddState(ppsTemplateSaving);
    return true;
}

void TppReportTemplate::AfterSave(bool aSuccess) {
    TppCustomReport* report = Report();
    if (!report) return;
    if (aSuccess) report->SetModified(false);
    report->RemoveState(ppsTemplateSaving);
}

void TppReportTemplate::NameChanged() {
    if (TppCustomReport* report = Report()) report->SendDesignerMessage(report::PPM_NAME_CHANGED, nullptr);
}

void TppReportTemplate::DataPipelineChanged(TppDataPipeline* aPipeline) {
    TppCustomReport* report = Report();
    if (!report) return;
    TppDataPipeline* old = DatabaseSettings()->DataPipeline();
    if (old == aPipeline) return;
    if (old && old != report->DataPipeline()) report->RemoveNotify(old);
    if (aPipeline) report->AddNotify(aPipeline);
}

void TppReportTemplate::New() {
    TppCustomReport* report = Report();
    if (report) {
        report->SendDesignerMessage(report::PPM_TEMPLATE_LOAD_START, report);
        report->SendNotify(report, ppopReportReset);
        auto* detail = qobject_cast<TppDetailBand*>(report->GetBand(TppBandType::btDetail));
        TppDataPipeline* pipeline = detail ? detail->DataPipeline() : nullptr;
        report->FreeBandsAndGroups();
        report->CreateDefaultBands();
        if (auto* fresh = qobject_cast<TppDetailBand*>(report->GetBand(TppBandType::btDetail)))
            fresh->SetDataPipeline(pipeline);
    }
    SetDescription(QString());
    report::RelativeTemplate::New();
    if (report) report->SendDesignerMessage(report::PPM_TEMPLATE_LOAD_END, report);
}
