#include "report/designer/data/preview_data_dialog.h"

#include "report/model/db_pipeline.h"
#include "report/model/data_pipeline.h"
#include "report/page/resource_manager.h"

#include "platform/db/data_source.h"
#include "platform/db/gui/db_grid.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

/// Leaving the record box (focus going elsewhere or Enter) takes its number.
class RecordBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> OnExit;

protected:
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (OnExit) OnExit();
    }
};

QToolButton* navButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon) {
    auto* b = ui::Make<QToolButton>(parent, name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    return b;
}

}  // namespace

TdaPreviewDataDialog::TdaPreviewDataDialog(QObject* aOwner) : TppForm(aOwner) {
    setObjectName(QStringLiteral("daPreviewDataDialog"));
    resize(559, 429);
    grdData = ui::Make<db::gui::DBGrid>(this, "grdData");
    grdData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdData->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdData->setSelectionMode(QAbstractItemView::SingleSelection);
    grdData->horizontalHeader()->setSectionsMovable(false);
    grdData->setTabKeyNavigation(true);
    auto* panel = ui::Make<QWidget>(this, "pnlBottom");
    panel->setFixedHeight(34);
    lblRecord = ui::Make<QLabel>(panel, "lblRecord");
    auto* box = new RecordBox(panel);
    box->setObjectName(QStringLiteral("edtRecordNo"));
    edtRecordNo = box;
    edtRecordNo->setFixedWidth(60);
    lblRecordCount = ui::Make<QLabel>(panel, "lblRecordCount");
    btnFirst = navButton(panel, "btnFirst", QStyle::SP_MediaSkipBackward);
    btnPrior = navButton(panel, "btnPrior", QStyle::SP_MediaSeekBackward);
    btnNext = navButton(panel, "btnNext", QStyle::SP_MediaSeekForward);
    btnLast = navButton(panel, "btnLast", QStyle::SP_MediaSkipForward);
    btnOK = ui::Make<QPushButton>(panel, "btnOK");
    btnOK->setDefault(true);

    auto* bottom = new QHBoxLayout(panel);
    bottom->setContentsMargins(6, 2, 6, 2);
    bottom->addWidget(lblRecord);
    bottom->addWidget(edtRecordNo);
    bottom->addWidget(lblRecordCount);
    bottom->addSpacing(12);
    for (QToolButton* b : {btnFirst, btnPrior, btnNext, btnLast}) bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(grdData, 1);
    main->addWidget(panel);

    box->OnExit = [this] { edtRecordNoExit(); };
    connect(edtRecordNo, &QLineEdit::returnPressed, this, [this] { edtRecordNoExit(); });
    connect(btnFirst, &QToolButton::clicked, this, [this] { MoveBy(-(m_recordCount + 1)); });
    connect(btnPrior, &QToolButton::clicked, this, [this] { MoveBy(-1); });
    connect(btnNext, &QToolButton::clicked, this, [this] { MoveBy(1); });
    connect(btnLast, &QToolButton::clicked, this, [this] { MoveBy(m_recordCount + 1); });
    connect(btnOK, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    LanguageChanged();
}

TdaPreviewDataDialog::~TdaPreviewDataDialog() = default;

void TdaPreviewDataDialog::LanguageChanged() {
    QString caption = ppGetMessageText(808);
    if (DataView()) caption += QStringLiteral(" - ") + DataView()->Description();
    setWindowTitle(caption);
    btnOK->setText(ppGetMessageText(17));
    lblRecord->setText(ppGetMessageText(812));
}

void TdaPreviewDataDialog::SetDataView(TdaCustomDataView* aDataView) {
    TdaCustomPreviewDataDialog::SetDataView(aDataView);
    db::DataSource* source = nullptr;
    if (aDataView) {
        aDataView->SetActive(true);
        if (aDataView->DataPipelineCount() > 0)
            if (auto* pipeline = qobject_cast<TppDBPipeline*>(aDataView->DataPipelines(0))) source = pipeline->DataSource();
    }
    AttachDataSource(source);
    LanguageChanged();
}

void TdaPreviewDataDialog::AttachDataSource(db::DataSource* aSource) {
    m_dataSet = aSource ? aSource->DataSet() : nullptr;
    m_recordCount = m_dataSet && m_dataSet->Active() ? m_dataSet->RecordCount() : 0;
    lblRecordCount->setText(m_recordCount == -1 ? QString()
                                                : ppGetMessageText(800) + QLatin1Char(' ') + QString::number(m_recordCount));
    m_recordNo = 0;
    MoveBy(1);
    grdData->SetDataSource(aSource);
}

void TdaPreviewDataDialog::MoveBy(int aDistance) {
    if (!m_dataSet || !m_dataSet->Active()) return;
    const int target = m_recordNo + aDistance;
    if (target > 1) {
        if (target < m_recordCount) {
            m_dataSet->MoveBy(aDistance);
            m_recordNo = target;
        } else {
            m_recordNo = m_recordCount;
            m_dataSet->Last();
        }
    } else {
        m_recordNo = 1;
        m_dataSet->First();
    }
    edtRecordNo->setText(QString::number(m_recordNo));
}

void TdaPreviewDataDialog::edtRecordNoExit() {
    bool ok = false;
    const int n = edtRecordNo->text().trimmed().toInt(&ok);
    if (!ok) {
        ui::Message(ppGetMessageText(332), ui::MessageKind::Error, ui::Button::Ok);
        edtRecordNo->setText(QString::number(m_recordNo));
        return;
    }
    if (n != m_recordNo) MoveBy(n - m_recordNo);
    else edtRecordNo->setText(QString::number(m_recordNo));
}
