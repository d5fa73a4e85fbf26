#include "report/model/report_names.h"

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/text_components.h"

void ppGetReportTextNames(TppCustomReport* aReport, QStringList& aList, bool aDescriptions) {
    if (!aReport) return;
    for (int b = 0; b < aReport->BandCount(); ++b) {
        TppBand* band = aReport->Bands(b);
        for (int i = 0; i < band->ObjectCount(); ++i) {
            auto* text = qobject_cast<TppCustomText*>(band->Objects(i));
            if (!text) continue;
            aList << (aDescriptions ? text->GetDescription() : text->Name());
        }
    }
}

void ppGetReportFieldNames(TppCustomReport* aReport, QList<TppReportFieldName>& aList, bool aQualified) {
    if (!aReport) return;
    QList<TppDataPipeline*> pipelines;
    if (aReport->DataPipeline()) pipelines << aReport->DataPipeline();
    if (TppBand* detail = aReport->GetBand(TppBandType::btDetail))
        if (TppDataPipeline* p = detail->GetDataPipeline(); p && !pipelines.contains(p)) pipelines << p;
    for (TppDataPipeline* pipeline : pipelines) {
        QStringList names;
        pipeline->GetFieldNames(names);
        for (const QString& name : names)
            aList.append({aQualified ? pipeline->UserName() + QLatin1Char('.') + name : name, pipeline});
    }
}
