#pragma once

#include "report/model/relative.h"

#include <QPointer>

#include <functional>

class TppCustomReport;
class TppDataPipeline;

/// A provider of data pipelines that a report owns, built in the data workspace (which
/// derives the concrete views). Given to a report without a main pipeline, a view makes its
/// first pipeline the report's DataPipeline.
class TdaDataView : public TppRelative {
    Q_OBJECT
public:
    /// Buttons of the view's tool window, as a 16-bit set (bit i = button i).
    using Buttons = quint16;
    static constexpr Buttons kDefaultButtons = 0x01FE;  ///< {1, ..., 8}

    Q_INVOKABLE explicit TdaDataView(TComponent* AOwner = nullptr);
    ~TdaDataView() override;

    // Virtual operations in slot order.
    virtual void AssignReportPipeline();
    virtual int DataPipelineCount() const { return 0; }
    virtual TppDataPipeline* DataPipelines(int aIndex) const {
        Q_UNUSED(aIndex);
        return nullptr;
    }
    virtual void SetActive(bool aValue) { m_active = aValue; }
    virtual void SetAutoSearchTabOrder(int aValue) { m_autoSearchTabOrder = aValue; }
    virtual void SetButtonsShown(Buttons aButtons);
    virtual void SetButtonsEnabled(Buttons aButtons) { m_buttonsEnabled = aButtons; }
    virtual void SetLanguageIndex(int aValue) { m_languageIndex = aValue; }
    virtual void SetReport(TppCustomReport* aReport);

    TppCustomReport* Report() const { return m_report; }
    bool Active() const { return m_active; }
    int AutoSearchTabOrder() const { return m_autoSearchTabOrder; }
    Buttons ButtonsShown() const { return m_buttonsShown; }
    Buttons ButtonsEnabled() const { return m_buttonsEnabled; }
    int LanguageIndex() const { return m_languageIndex; }

    /// Called with the view when the shown buttons change outside reading and loading.
    std::function<void(TdaDataView*)> OnChange;

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

private:
    TppCustomReport* m_report = nullptr;  ///< linked both ways; cleared when the report is freed
    bool m_active = false;
    int m_autoSearchTabOrder = 0;
    Buttons m_buttonsShown = kDefaultButtons;
    Buttons m_buttonsEnabled = kDefaultButtons;
    int m_languageIndex = 0;
};
