#pragma once

#include "report/model/template.h"

class TppCustomReport;

/// The report's Template: loads a stored report into the existing report object (its
/// bands, groups, components and settings are replaced; the object itself, its owner and
/// its place stay), saves the report, and starts a new one with the default bands. Files
/// are "rtm" files ("Report file (*.rtm)|*.rtm"). Old text templates are upgraded before
/// they are read.
///
/// The designer is told when a load or a new report starts and ends (PPM_TEMPLATE_LOAD_START
/// and PPM_TEMPLATE_LOAD_END with the report) and when the template's name changes
/// (PPM_NAME_CHANGED with no object). A load while the report prints does nothing; a load
/// that fails leaves the report as it was. The report carries ppsTemplateLoading during a
/// load and ppsTemplateSaving during a save; a load or a successful save clears its
/// modified mark, and a load resets its engine.
class TppReportTemplate : public report::RelativeTemplate {
    Q_OBJECT
public:
    explicit TppReportTemplate(TppCustomReport* aReport);

    TppCustomReport* Report() const;
    /// Frees the report's bands and groups, makes the default bands (the new detail band
    /// keeps the old one's pipeline), clears the description, then OnNew.
    void New() override;

protected:
    bool PreserveSettings() override;
    void RestoreSettings(bool aSuccess) override;
    bool BeforeSave() override;
    void AfterSave(bool aSuccess) override;
    void NameChanged() override;
    void DataPipelineChanged(TppDataPipeline* aPipeline) override;

private:
    bool m_loadStarted = false;
};
