#pragma once

// The Preview Data dialog: the records of a data view's first pipeline in a grid, with a
// record box, the record count and first/prior/next/last buttons. Data views find it by its
// registered name "TdaPreviewDataDialog".
//
// State: the dataset shown (none without a view, a pipeline or a data source), the record
// count (0 without a dataset; -1 when the dataset cannot tell, then the count label stays
// empty) and the current record number (1-based; 0 before the first move).

#include "report/data/data_dictionary.h"
#include "report/data/data_view.h"
#include "report/output/gui/form.h"

#include "platform/db/table.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace db {
class DataSource;
namespace gui {
class DBGrid;
}
}  // namespace db

class TdaPreviewDataDialog : public TppForm, public TdaCustomPreviewDataDialog {
    Q_OBJECT
public:
    explicit TdaPreviewDataDialog(QObject* aOwner = nullptr);
    ~TdaPreviewDataDialog() override;

    /// Makes the view active and shows the data source of its first pipeline (none when the
    /// pipeline has no data source); then the texts and the caption.
    void SetDataView(TdaCustomDataView* aDataView) override;
    void LanguageChanged() override;
    /// Moves the current record by the distance, within 1 and the record count.
    void MoveBy(int aDistance);

    int RecordCount() const { return m_recordCount; }
    int RecordNo() const { return m_recordNo; }
    db::Table* DataSet() const { return m_dataSet; }

private:
    void AttachDataSource(db::DataSource* aSource);
    void edtRecordNoExit();

    QPointer<db::Table> m_dataSet;
    int m_recordCount = 0;
    int m_recordNo = 0;

    db::gui::DBGrid* grdData = nullptr;
    QLabel* lblRecord = nullptr;
    QLineEdit* edtRecordNo = nullptr;
    QLabel* lblRecordCount = nullptr;
    QToolButton* btnFirst = nullptr;
    QToolButton* btnPrior = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnLast = nullptr;
    QPushButton* btnOK = nullptr;
};
