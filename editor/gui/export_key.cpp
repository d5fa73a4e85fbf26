#include "editor/gui/export_key.h"

#include "editor/export_file.h"
#include "editor/gui/pictures.h"
#include "editor/main_data.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

/// A Section cell that sorts by the locale's string comparison.
class SectionItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        return QString::localeAwareCompare(text(), other.text()) < 0;
    }
};

}  // namespace

TExportKey::TExportKey(TMainData& data, QWidget* parent) : QWidget(parent, Qt::Window), m_data(data) {
    setObjectName(QStringLiteral("ExportKey"));
    setWindowTitle(QStringLiteral("Registry Key Export"));
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    resize(780, 420);

    auto* top = ui::Make<QWidget>(this, "TopPanel");
    auto* exportLabel = ui::Make<QLabel>(top, "Label1", QStringLiteral("Export to:"));
    ExportFileName = ui::Make<QLineEdit>(top, "ExportFileName");
    BrowseBtn = ui::Make<QToolButton>(top, "BrowseBtn");
    BrowseBtn->setText(QStringLiteral("..."));
    BrowseBtn->setToolTip(QStringLiteral("Browse for export file"));
    BrowseBtn->setAutoRaise(true);
    auto* delimiterLabel = ui::Make<QLabel>(top, "Label2", QStringLiteral("Delimiter"));
    Delimiter = ui::Make<QLineEdit>(top, "Delimiter");
    Delimiter->setMaxLength(1);
    Delimiter->setText(QStringLiteral("~"));
    QFont large = Delimiter->font();
    large.setPointSize(large.pointSize() + 6);
    Delimiter->setFont(large);
    Delimiter->setFixedWidth(40);
    Delimiter->setAlignment(Qt::AlignCenter);
    ExportBtn = ui::Make<QPushButton>(top, "ExportBtn", QStringLiteral("Export"));

    KeyList = ui::Make<QTableWidget>(this, "KeyList", 0, 5);
    KeyList->setHorizontalHeaderLabels({QStringLiteral("Section"), QStringLiteral("Key 1"), QStringLiteral("Key 2"),
                                        QStringLiteral("Variable"), QStringLiteral("Value")});
    const int widths[] = {120, 150, 150, 150, 178};
    for (int c = 0; c < 5; ++c) KeyList->setColumnWidth(c, widths[c]);
    KeyList->setShowGrid(true);
    KeyList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    KeyList->setSelectionBehavior(QAbstractItemView::SelectRows);
    KeyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    KeyList->verticalHeader()->hide();
    KeyList->verticalHeader()->setDefaultSectionSize(KeyList->fontMetrics().height() + 6);
    KeyList->horizontalHeader()->setSectionsClickable(false);
    KeyList->horizontalHeader()->setStretchLastSection(true);
    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    StatusBar->setSizeGripEnabled(false);

    auto* grid = new QGridLayout(top);
    grid->addWidget(exportLabel, 0, 0, 1, 2);
    grid->addWidget(ExportFileName, 1, 0);
    grid->addWidget(BrowseBtn, 1, 1);
    grid->addWidget(delimiterLabel, 0, 2);
    grid->addWidget(Delimiter, 1, 2);
    grid->addWidget(ExportBtn, 1, 3);
    grid->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(top);
    layout->addWidget(KeyList, 1);
    layout->addWidget(StatusBar);

    connect(BrowseBtn, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [&] { BrowseBtnClick(); }); });
    connect(ExportBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { ExportBtnClick(); }); });
    connect(KeyList, &QTableWidget::itemSelectionChanged, this, [this] { KeyListSelectionChanged(); });
}

void TExportKey::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ui::RunGuarded(this, [&] { FillKeyList(); });
}

void TExportKey::FillKeyList() {
    ui::HourglassCursor hourglass;
    KeyList->setSortingEnabled(false);
    KeyList->clearContents();
    KeyList->setRowCount(0);
    const std::vector<editor::SettingsRow> rows = m_data.AllRows();
    KeyList->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const editor::SettingsRow& row = rows[size_t(r)];
        KeyList->setItem(r, 0, new SectionItem(row.Section));
        KeyList->setItem(r, 1, new QTableWidgetItem(row.Key1));
        KeyList->setItem(r, 2, new QTableWidgetItem(row.Key2));
        KeyList->setItem(r, 3, new QTableWidgetItem(row.Variable));
        KeyList->setItem(r, 4, new QTableWidgetItem(row.Value));
    }
    KeyList->sortItems(0, Qt::AscendingOrder);
    KeyListSelectionChanged();
}

void TExportKey::KeyListSelectionChanged() {
    const int selected = static_cast<int>(KeyList->selectionModel()->selectedRows().size());
    StatusBar->showMessage(QStringLiteral("Selected %1 items").arg(selected));
}

void TExportKey::BrowseBtnClick() {
    ui::FileRequest request;
    request.caption = QStringLiteral("Save export to:");
    request.folder = m_data.TableFolder();
    request.fileName = QStringLiteral("QRegKey.txt");
    request.defaultSuffix = QStringLiteral("txt");
    request.filter = QStringLiteral("Text files (*.txt);;All files (*.*)");
    if (const auto chosen = ui::ChooseFileToSave(request)) ExportFileName->setText(*chosen);
}

void TExportKey::ExportBtnClick() {
    const QString name = editor::TrimBlanks(ExportFileName->text());
    if (name.isEmpty()) {
        ui::ShowError(QStringLiteral("You must specifiy an export file"));
        return;
    }
    if (KeyList->selectionModel()->selectedRows().isEmpty()) {
        ui::ShowError(QStringLiteral("No rows are selected. Select the rows to export, then export again."));
        return;
    }
    std::vector<editor::SettingsRow> rows;
    for (int r = 0; r < KeyList->rowCount(); ++r) {
        if (!KeyList->item(r, 0)->isSelected()) continue;
        rows.push_back(editor::SettingsRow{KeyList->item(r, 0)->text(), KeyList->item(r, 1)->text(),
                                           KeyList->item(r, 2)->text(), KeyList->item(r, 3)->text(),
                                           KeyList->item(r, 4)->text()});
    }
    const base::Result<QByteArray> content = editor::FormatExportFile(Delimiter->text(), rows);
    if (!content) {
        ui::ShowError(content.error().text);
        return;
    }
    ui::HourglassCursor hourglass;
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(*content) != content->size() || !file.commit()) {
        ui::ShowError(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(name), file.errorString()));
        return;
    }
    StatusBar->showMessage(QStringLiteral("Exported %1 to %2")
                               .arg(editor::CountOfRows(qsizetype(rows.size())), QDir::toNativeSeparators(name)));
}
