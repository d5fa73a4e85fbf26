#pragma once

// Names the designer's dialogs offer for a report: its text components and the fields of its
// data pipelines.

#include <QList>
#include <QString>
#include <QStringList>

class TppCustomReport;
class TppDataPipeline;

/// Adds, for every text component of every band of the report in band order and z-order, its
/// component name, or its description when aDescriptions is set.
void ppGetReportTextNames(TppCustomReport* aReport, QStringList& aList, bool aDescriptions);

/// One field a report can break on or print: its name (qualified: the pipeline's user name, a
/// full stop and the name) and its pipeline.
struct TppReportFieldName {
    QString Name;
    TppDataPipeline* DataPipeline = nullptr;
};

/// Adds the field names of the report's data pipeline and of its detail band's pipeline (when
/// that is another one), each with its pipeline.
void ppGetReportFieldNames(TppCustomReport* aReport, QList<TppReportFieldName>& aList, bool aQualified);
