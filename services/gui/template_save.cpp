#include "services/gui/template_save.h"

#include "services/gui/new_db_wizard.h"
#include "services/gui/picture_editor.h"
#include "services/gui/template_manager.h"
#include "services/database_copy.h"
#include "services/repair_lib.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/customize_hooks.h"
#include "core/gui/main_form.h"
#include "core/library_helpers.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/view_control.h"
#include "core/view_layer.h"

#include "platform/db/field.h"
#include "platform/db/guards.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <unordered_map>

namespace services {

TTemplateCleanup CleanupTemplateCopy(const QString& folder, const QStringList& dataTableNames,
                                     const std::vector<bool>& keep) {
    TTemplateCleanup result;
    auto kept = [&](qint64 view) { return view >= 0 && view < qint64(keep.size()) && keep[size_t(view)]; };
    for (int v = 0; v < dataTableNames.size(); ++v) {
        if (kept(v)) continue;
        const QString dict = core::ViewDictTableFile(dataTableNames[v]);
        result.EmptiedTables += EmptyTableFiles(folder, {core::ViewTableFile(dataTableNames[v]), dict}, {dict});
        QCoreApplication::processEvents();
    }

    // Each kept branch hangs below its nearest kept ancestor: the result of moving the
    // children of every dropped branch up to the dropped branch's parent, one at a time.
    // Hierarchy.DB of the copy.
    db::Table ChildTable;
    ChildTable.SetDatabaseName(folder);
    ChildTable.SetTableName(core::kHierarchyTable);
    ChildTable.Open();
    struct Branch {
        qint64 parent;
        bool keep;
    };
    std::unordered_map<qint64, Branch> branches;
    std::vector<qint64> order;
    {
        db::Field* id = ChildTable.FieldByName(QStringLiteral("NodeID"));
        db::Field* parent = ChildTable.FieldByName(QStringLiteral("ParentNodeID"));
        db::Field* type = ChildTable.FieldByName(QStringLiteral("NodeType"));
        int n = 0;
        for (ChildTable.First(); !ChildTable.Eof(); ChildTable.Next()) {
            branches[id->AsInteger()] = {parent->AsInteger(), kept(type->AsInteger())};
            order.push_back(id->AsInteger());
            if (++n % 2000 == 0) QCoreApplication::processEvents();
        }
    }
    std::unordered_map<qint64, qint64> keptAncestor;  // dropped branch -> its nearest kept ancestor (0: root)
    auto nearestKept = [&](qint64 start) {
        std::vector<qint64> path;
        qint64 at = start;
        // A damaged tree may hold a loop or a parent that does not exist: both end at the root.
        while (at != 0) {
            auto memo = keptAncestor.find(at);
            if (memo != keptAncestor.end()) {
                at = memo->second;
                break;
            }
            auto b = branches.find(at);
            if (b == branches.end() || b->second.keep) break;
            if (path.size() > branches.size()) {
                at = 0;
                break;
            }
            path.push_back(at);
            at = b->second.parent;
        }
        if (at != 0 && !branches.count(at)) at = 0;
        for (qint64 p : path) keptAncestor[p] = at;
        return at;
    };
    {
        db::Batch batch(ChildTable);
        db::DirectRows rows(ChildTable, QStringLiteral("NodeID"), QString(), QStringLiteral("ParentNodeID"));
        int n = 0;
        for (qint64 id : order) {
            const Branch& b = branches[id];
            if (!b.keep) {
                if (const qint64 row = rows.Find({id})) rows.Delete(row);
                ++result.BranchesDropped;
            } else if (const qint64 parent = nearestKept(b.parent); parent != b.parent) {
                if (const qint64 row = rows.Find({id})) rows.Write(row, {parent});
                ++result.BranchesMoved;
            }
            if (++n % 2000 == 0) QCoreApplication::processEvents();
        }
        batch.Commit();
    }
    ChildTable.Close();
    PackTable(ChildTable);
    if (result.BranchesDropped > 0)
        result.EmptiedTables += EmptyTableFiles(folder, {core::kHierarchyDictTable}, {core::kHierarchyDictTable});
    return result;
}

}  // namespace services

namespace {

const QString kOpenFolderGuard = QStringLiteral(
    "The database path you specified is the same as the path of the database you have open. You must close the "
    "database before you can use this path.");

}  // namespace

TSaveTemplate::TSaveTemplate(TMainForm& mainForm, QWidget* parent) : QDialog(parent), m_form(mainForm) {
    setObjectName(QStringLiteral("SaveTemplate"));
    setWindowTitle(QStringLiteral("Save Database as Template"));
    DBPath = ui::Make<QLineEdit>(this, "DBPath");
    DBPath->setProperty("HelpContext", 33003);
    BrowseBtn = ui::Make<QPushButton>(this, "BrowseBtn");
    BrowseBtn->setIcon(core::ThemeIcon(QStringLiteral("folder-open")));
    BrowseBtn->setToolTip(QStringLiteral("Browse for a Dossara database folder"));
    TemplateName = ui::Make<QLineEdit>(this, "TemplateName");
    TemplateName->setMaxLength(30);
    TemplateName->setProperty("HelpContext", 33005);
    auto* imagePanel = ui::Make<QFrame>(this, "ImagePanel");
    imagePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TemplateImage = ui::Make<QLabel>(imagePanel, "TemplateImage");
    TemplateImage->setFixedSize(34, 34);
    imagePanel->setFixedSize(42, 42);
    TemplateImage->setAlignment(Qt::AlignCenter);
    TemplateImage->setToolTip(QStringLiteral("Double click to set template image"));
    TemplateImage->installEventFilter(this);
    Description = ui::Make<QPlainTextEdit>(this, "Description");
    Description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Description->setProperty("HelpContext", 33007);
    CopyViewList = ui::Make<QListWidget>(this, "CopyViewList");
    CopyViewList->setProperty("HelpContext", 33008);
    CopyViewList->setIconSize(QSize(16, 16));
    Status = ui::Make<QLabel>(this, "Status");
    TemplateManagerBtn = ui::Make<QPushButton>(this, "TemplateManagerBtn");
    TemplateManagerBtn->setIcon(core::ThemeIcon(QStringLiteral("applications-office")));
    TemplateManagerBtn->setToolTip(QStringLiteral("Template Library Manager"));
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("&OK"));
    OKBtn->setToolTip(QStringLiteral("Save the template"));
    OKBtn->setProperty("HelpContext", 33001);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Do not save the template"));
    CancelBtn->setProperty("HelpContext", 33002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("Help"));
    HelpBtn->setProperty("HelpContext", 33000);

    // ---- layouts ----
    auto* left = new QVBoxLayout;
    left->addWidget(ui::Make<QLabel>(this, "DBPathLabel", QStringLiteral("New Template Path")));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(DBPath, 1);
    pathRow->addWidget(BrowseBtn);
    left->addLayout(pathRow);
    left->addWidget(ui::Make<QLabel>(this, "TemplateNameLabel", QStringLiteral("Template Name")));
    left->addWidget(TemplateName);
    auto* imageRow = new QHBoxLayout;
    (new QVBoxLayout(imagePanel))->addWidget(TemplateImage);
    imageRow->addWidget(imagePanel);
    imageRow->addWidget(ui::Make<QLabel>(this, "TemplateImageLabel", QStringLiteral("Template image (max 32x32 pixels)")), 1);
    left->addLayout(imageRow);
    left->addWidget(ui::Make<QLabel>(this, "DescriptionLabel", QStringLiteral("Description")));
    left->addWidget(Description, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(ui::Make<QLabel>(this, "CopyViewListLabel", QStringLiteral("Copy data for these Views")));
    right->addWidget(CopyViewList, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addLayout(right, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(TemplateManagerBtn);
    buttons->addWidget(Status, 1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(421, 329);

    // ---- connections ----
    auto guarded = [this](void (TSaveTemplate::*handler)()) {
        return [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(OKBtn, &QPushButton::clicked, this, guarded(&TSaveTemplate::OKBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(33000); });
    connect(BrowseBtn, &QPushButton::clicked, this, guarded(&TSaveTemplate::BrowseBtnClick));
    connect(TemplateManagerBtn, &QPushButton::clicked, this, guarded(&TSaveTemplate::TemplateManagerBtnClick));
    connect(DBPath, &QLineEdit::editingFinished, this, [this] {
        if (DBPath->isModified() && !DBPath->text().trimmed().isEmpty())
            DBPath->setText(core::NormalizePath(DBPath->text(), QStringLiteral("N")));
        DBPath->setModified(false);
    });

    std::vector<TViewControl::ListItem> views;
    ViewControl().FillViewListView(views);
    for (const TViewControl::ListItem& v : views) {
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(ViewControl().GetViewSmallIcon(v.Data))), v.Caption,
                                         CopyViewList);
        item->setData(Qt::UserRole, v.Data);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    SetPicture(core::ThemeImage(QStringLiteral("x-office-address-book"), 32));
}

void TSaveTemplate::SetPicture(const QImage& picture) {
    m_picture = picture;
    TemplateImage->setPixmap(picture.isNull() ? QPixmap()
                                              : QPixmap::fromImage(picture.copy(0, 0, qMin(32, picture.width()),
                                                                                qMin(32, picture.height()))));
}

void TSaveTemplate::showStatus(const QString& text) {
    Status->setText(text);
    QCoreApplication::processEvents();
}

void TSaveTemplate::OKBtnClick() {
    QString path = DBPath->text().trimmed();
    if (path.isEmpty()) {
        ui::Message(QStringLiteral("You must enter a template path."), ui::MessageKind::Error, ui::Button::Ok, 10091);
        DBPath->setFocus();
        return;
    }
    const QString name = TemplateName->text();
    if (name.trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a template name."), ui::MessageKind::Error, ui::Button::Ok, 10092);
        TemplateName->setFocus();
        return;
    }
    // The clean-up would empty the open database's own Views.
    if (Globals().DatabaseOpen && (services::IsSameFolder(core::NormalizePath(path), Globals().CurrentFolder) ||
                                   core::RemoveTrailingBackslash(core::NormalizePath(path))
                                           .compare(core::RemoveTrailingBackslash(Globals().CurrentFolder.trimmed()),
                                                    Qt::CaseInsensitive) == 0)) {
        ui::Message(kOpenFolderGuard, ui::MessageKind::Error, ui::Button::Ok, 10128);
        DBPath->setFocus();
        return;
    }
    TMainDataMod* data = m_form.DataModule();
    if (!data) return;
    const QChar unique = core::CheckTemplateUnique(*data->TemplateLib, name, path, false);
    if (unique == u'N') {
        TemplateName->setFocus();
        return;
    }
    if (unique == u'P') {
        DBPath->setFocus();
        return;
    }
    if (!core::ValidateFolder(path)) {
        DBPath->setFocus();
        return;
    }
    DBPath->setText(path.trimmed());
    if (SaveTemplate(path.trimmed())) accept();
}

bool TSaveTemplate::SaveTemplate(const QString& folder) {
    TMainDataMod* data = m_form.DataModule();
    const QString source = Globals().CurrentFolder;
    showStatus(QStringLiteral("Copying database files..."));
    services::TCopyOutcome copy;
    {
        ui::HourglassCursor hourglass;
        copy = services::CopyDatabaseFolder(source, folder);
    }
    if (!copy.Success) {
        ui::Message(QStringLiteral("An error occurred while copying the database.\nThe error is code %1: %2\nThe database "
                                   "cannot be copied.\nPress F1 for help.")
                        .arg(copy.Code)
                        .arg(copy.Text),
                    ui::MessageKind::Error, ui::Button::Ok, 10090);
        return false;
    }

    showStatus(QStringLiteral("Cleaning up template..."));
    {
        ui::HourglassCursor hourglass;
        QStringList tables;
        std::vector<bool> keep(size_t(ViewControl().GetViewCount()), false);
        for (int v = 0; v < ViewControl().GetViewCount(); ++v) tables << ViewControl().GetViewTableName(v);
        for (int i = 0; i < CopyViewList->count(); ++i) {
            const int v = CopyViewList->item(i)->data(Qt::UserRole).toInt();
            if (v >= 0 && v < int(keep.size())) keep[size_t(v)] = CopyViewList->item(i)->checkState() == Qt::Checked;
        }
        services::CleanupTemplateCopy(folder, tables, keep);
    }

    showStatus(QStringLiteral("Building search indexes..."));
    m_form.CloseDatabase(false);
    if (Globals().DatabaseOpen) return false;  // a View holds unsaved changes
    bool rebuilt = false;
    {
        // The template is opened only to be rebuilt: it does not join the recent-file list.
        auto recentAdd = std::exchange(m_form.RecentAddFile, {});
        if (m_form.OpenDatabase(folder)) {
            core::Customize().FullRebuildSucceeded = true;
            if (core::Customize().FullRebuild) core::Customize().FullRebuild();
            rebuilt = core::Customize().FullRebuildSucceeded;
            m_form.CloseDatabase(false);
        }
        m_form.RecentAddFile = std::move(recentAdd);
    }
    m_form.OpenDatabase(source);
    if (!rebuilt) {
        ui::Message(QStringLiteral("The template in %1 could not be opened and rebuilt, so it was not added to the template "
                                   "library.")
                        .arg(folder),
                    ui::MessageKind::Error, ui::Button::Ok, 10090);
        Status->clear();
        return false;
    }

    showStatus(QStringLiteral("Updating template library..."));
    db::Table& lib = *data->TemplateLib;
    data->OpenTemplateLib();
    lib.Append();
    lib.FieldByName(QStringLiteral("Name"))->SetAsString(TemplateName->text());
    lib.FieldByName(QStringLiteral("Path"))->SetAsString(folder);
    lib.FieldByName(QStringLiteral("Icon"))->SetAsBytes(services::BitmapBytes(m_picture));
    lib.FieldByName(QStringLiteral("Description"))->SetAsString(Description->toPlainText());
    data->PostTemplate();
    showStatus(QStringLiteral("Done"));
    return true;
}

void TSaveTemplate::BrowseBtnClick() {
    QString folder = DBPath->text().trimmed();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose Dossara folder"), folder, last, true)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) DBPath->setText(folder);
}

void TSaveTemplate::TemplateImageDblClick() {
    QImage edited;
    if (EditPicture(TemplateName->text().trimmed(), m_picture, edited, 0, 0)) SetPicture(edited);
}

void TSaveTemplate::TemplateManagerBtnClick() {
    TMainDataMod* data = m_form.DataModule();
    if (!data) return;
    ShowTemplateManager(*data);
    data->OpenTemplateLib();
    data->TemplateLib->Refresh();
}

bool TSaveTemplate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TemplateImage && event->type() == QEvent::MouseButtonDblClick) {
        ui::RunGuarded(this, [&] { TemplateImageDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool ShowSaveTemplate(TMainForm& mainForm, QString& Path) {
    TMainDataMod* data = mainForm.DataModule();
    if (!data) return false;
    db::Table& lib = *data->TemplateLib;
    const bool wasOpen = lib.Active();
    const QString index = lib.IndexName();
    data->OpenTemplateLib();
    lib.SetIndexName(QString());
    lib.First();
    struct Restore {
        db::Table& t;
        bool wasOpen;
        QString index;
        ~Restore() {
            try {
                if (t.State() != db::DataSetState::dsBrowse && t.Active()) t.Cancel();
                if (t.Active()) t.SetIndexName(index);
                if (!wasOpen && t.Active()) t.Close();
            } catch (const std::exception&) {
            }
        }
    } restore{lib, wasOpen, index};
    auto dialog = std::make_unique<TSaveTemplate>(mainForm);
    dialog->DBPath->setText(Path);
    if (ui::ExecModal(*dialog) != QDialog::Accepted) return false;
    Path = dialog->DBPath->text().trimmed();
    return true;
}

void InstallSaveTemplate(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_FileSaveTemplate"), [form] {
        if (!form || !Globals().DatabaseOpen) return;
        if (ViewLayer().FindUnsavedChanges && ViewLayer().FindUnsavedChanges()) return;
        QString path;
        ShowSaveTemplate(*form, path);
    });
}
