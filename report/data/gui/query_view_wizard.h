#pragma once

#include "report/data/data_view.h"
#include "report/data/query_data_view.h"

#include <QPointer>

class TdaSQL;

/// What the query wizard and the query designer share: the query data view they work on,
/// followed until it is freed, and the steps before and after their window.
class TdaQueryViewWizard : public TdaCustomDataWizard {
    Q_OBJECT
public:
    explicit TdaQueryViewWizard(TComponent* aOwner = nullptr) : TdaCustomDataWizard(aOwner) {}
    ~TdaQueryViewWizard() override;

    TdaDataView* GetDataView() override { return m_dataView; }
    /// The query's Description.
    void GetDescription(QString& aText) override;
    TClass DataViewClass() const override { return &TdaQueryDataView::staticMetaObject; }
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

protected:
    /// The owner's data view when it is a query view, followed from now on, with its session
    /// and pipelines made; null otherwise.
    TdaQueryDataView* openQueryView();
    /// The database, its type, the SQL type and the dictionary of the data settings.
    void applyDataSettings(TdaSQL* aSQL);
    /// After the window: when confirmed and the view still lives, the view takes the query and
    /// is complete. The working query stops notifying the view. True when the view took it.
    bool takeQuery(TdaSQL* aSQL, bool aConfirmed);

    QPointer<TdaQueryDataView> m_dataView;
};
