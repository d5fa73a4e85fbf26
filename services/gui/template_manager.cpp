#include "services/gui/template_manager.h"

#include "services/gui/picture_editor.h"
#include "services/gui/template_import.h"
#include "services/gui/template_list.h"
#include "services/database_copy.h"
#include "services/quorrel.h"
#include "services/recent_files.h"

#include "core/command_registry.h"
#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/library_helpers.h"
#include "core/main_data_mod.h"
#include "core/text_helpers.h"
#include "core/win_registry.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

namespace {

/// Draws the Icon column: the row's picture cut to at most 32 x 32 pixels, centred on white.
class IconColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->fillRect(option.rect, Qt::white);
        const QImage picture = index.data(Qt::UserRole + 1).value<QImage>();
        if (!picture.isNull()) {
            const QImage cut = picture.copy(0, 0, qMin(32, picture.width()), qMin(32, picture.height()));
            const QPoint at(option.rect.x() + (option.rect.width() - cut.width()) / 2,
                            option.rect.y() + (option.rect.height() - cut.height()) / 2);
            painter->drawImage(at, cut);
        }
        if (option.state & QStyle::State_Selected) {
            QColor band = option.palette.color(QPalette::Highlight);
            band.setAlpha(60);
            painter->fillRect(option.rect, band);
        }
    }
};

QString field(db::Table& t, const char* name) { return t.FieldByName(QLatin1String(name))->AsString(); }

/// Writes `lines` as a text file with CR LF line ends; false when it could not be written.
bool writeLines(const QString& path, const QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray bytes;
    for (const QString& l : lines) bytes += l.toUtf8() + "\r\n";
    return f.write(bytes) == bytes.size() && f.flush();
}

QStringList memoLines(const QString& text) {
    if (text.isEmpty()) return {};
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t.split(u'\n');
}

}  // namespace

namespace services {

TExportOutcome ExportTemplatePackage(TQuorrel& zip, const QString& templateFolder, const QString& name,
                                     const QImage& picture, const QString& description, const QString& targetFolder) {
    TExportOutcome outcome;
    const QString folder = core::AddTrailingBackslash(templateFolder.trimmed());
    outcome.ZipFile = core::AddTrailingBackslash(targetFolder.trimmed()) + core::MakeValidFileName(name.trimmed()) +
                      QStringLiteral(".zip");
    zip.SetDLLDirectory(Globals().ProgramFolder);
    zip.FSpecArgs().clear();
    zip.SetZipFilename(outcome.ZipFile);

    static const QStringList packageFiles = {QStringLiteral("FileList.txt"), QStringLiteral("Image.bmp"),
                                             QStringLiteral("Desc.txt")};
    QStringList files;
    core::ListFiles(folder + QLatin1Char('*'), core::FileAttribute::Archive | core::FileAttribute::ReadOnly, files);
    // The three package names belong to the package: a template file of that name cannot
    // travel beside them.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QString& f) { return packageFiles.contains(f, Qt::CaseInsensitive); }),
                files.end());

    const QString privateFolder = Globals().PrivateFolder;
    QTemporaryDir scratch(QDir(!privateFolder.isEmpty() && QFileInfo(privateFolder).isDir() ? privateFolder : QDir::tempPath())
                              .filePath(QStringLiteral("package-XXXXXX")));
    const QString extra = core::AddTrailingBackslash(scratch.path());
    QFile image(extra + QStringLiteral("Image.bmp"));
    if (!scratch.isValid() || !writeLines(extra + QStringLiteral("FileList.txt"), files) ||
        !image.open(QIODevice::WriteOnly) || image.write(BitmapBytes(picture)) < 0 || !image.flush() ||
        !writeLines(extra + QStringLiteral("Desc.txt"), memoLines(description))) {
        outcome.Error = scratch.errorString().isEmpty() ? image.errorString() : scratch.errorString();
        return outcome;
    }
    image.close();

    // Entries in the order of one folder listing of the template with the package files.
    QStringList entries = files + packageFiles;
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& e : entries) zip.FSpecArgs() << (packageFiles.contains(e) ? extra : folder) + e;
    outcome.Count = int(entries.size());
    {
        ui::HourglassCursor hourglass;
        zip.AddFiles();
    }
    outcome.Written = zip.SuccessCount();
    return outcome;  // the scratch folder and the three files go with it
}

bool IsLiveDatabaseFolder(const QString& folder) {
    const QString f = core::NormalizePath(folder, QStringLiteral("N"));
    auto same = [&](const QString& other) {
        return !other.trimmed().isEmpty() &&
               (IsSameFolder(f, other.trimmed()) ||
                core::RemoveTrailingBackslash(core::NormalizePath(other, QStringLiteral("N")))
                        .compare(core::RemoveTrailingBackslash(f), Qt::CaseInsensitive) == 0);
    };
    if (Globals().DatabaseOpen && same(Globals().CurrentFolder)) return true;
    for (const QString& recent : LoadRecentFiles(QStringLiteral("\\SOFTWARE\\Dossara\\")))
        if (same(recent)) return true;
    const int favourites = core::ReadWinRegInt(QStringLiteral("Favorites"), QStringLiteral("Count"), 0);
    for (int n = 1; n <= favourites; ++n)
        if (same(core::ReadWinRegString(QStringLiteral("Favorites"), QStringLiteral("Path") + QString::number(n), {})))
            return true;
    return false;
}

}  // namespace services

TTLManager::TTLManager(TMainDataMod& data, QWidget* parent) : QDialog(parent), m_data(data) {
    setObjectName(QStringLiteral("TLManager"));
    setWindowTitle(QStringLiteral("Template Library Manager"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_defaultPicture = core::ThemeImage(QStringLiteral("x-office-address-book"), 32);

    ToolBar = ui::Make<QToolBar>(this, "ToolBar");
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setIconSize(QSize(16, 16));
    auto action = [this](const char* name, const QString& caption, const QString& hint, int tag, const QString& icon) {
        auto* a = new QAction(core::ThemeIcon(icon), caption, this);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        if (tag) a->setProperty("Tag", tag);
        ToolBar->addAction(a);
        return a;
    };
    A_First = action("A_First", QStringLiteral("&First"), QStringLiteral("First template"), 180006, QStringLiteral("go-first"));
    A_Prior = action("A_Prior", QStringLiteral("&Prior"), QStringLiteral("Previous template"), 180006, QStringLiteral("go-previous"));
    A_Next = action("A_Next", QStringLiteral("&Next"), QStringLiteral("Next template"), 180006, QStringLiteral("go-next"));
    A_Last = action("A_Last", QStringLiteral("&Last"), QStringLiteral("Last template"), 180006, QStringLiteral("go-last"));
    ToolBar->addSeparator();
    A_Add = action("A_Add", QStringLiteral("&Add"), QStringLiteral("Add template"), 180001, QStringLiteral("list-add"));
    A_Delete = action("A_Delete", QStringLiteral("&Delete"), QStringLiteral("Delete template"), 180002, QStringLiteral("list-remove"));
    A_Import = action("A_Import", QStringLiteral("Import"), QStringLiteral("Import template from ZIP file"), 180014,
                      QStringLiteral("document-open"));
    A_Export = action("A_Export", QStringLiteral("Export"), QStringLiteral("Export template to ZIP file"), 180015,
                      QStringLiteral("document-save-as"));
    ToolBar->addSeparator();
    A_Save = action("A_Save", QStringLiteral("&Save"), QStringLiteral("Save changes"), 180003, QStringLiteral("document-save"));
    A_Cancel = action("A_Cancel", QStringLiteral("&Cancel"), QStringLiteral("Cancel changes"), 180004, QStringLiteral("edit-undo"));
    ToolBar->addSeparator();
    A_Help = action("A_Help", QStringLiteral("&Help"), QStringLiteral("Help"), 180000, QStringLiteral("help-contents"));
    A_TemplateHelp = action("A_TemplateHelp", QStringLiteral("Template"), QStringLiteral("Help for selected template"), 0,
                            QStringLiteral("help-browser"));
    A_Close = action("A_Close", QStringLiteral("&Close"), QStringLiteral("Close the Template Library Manager"), 180005,
                     QStringLiteral("window-close"));

    ImgGrid = ui::Make<QTableWidget>(this, "ImgGrid");
    ImgGrid->setProperty("HelpContext", 180007);
    ImgGrid->setColumnCount(2);
    ImgGrid->setHorizontalHeaderLabels({QStringLiteral("Icon"), QStringLiteral("Name")});
    ImgGrid->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignCenter);
    ImgGrid->setColumnWidth(0, 60);
    ImgGrid->setColumnWidth(1, 326);
    ImgGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ImgGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ImgGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ImgGrid->verticalHeader()->setDefaultSectionSize(36);
    ImgGrid->verticalHeader()->hide();
    ImgGrid->horizontalHeader()->setStretchLastSection(true);
    ImgGrid->setItemDelegateForColumn(0, new IconColumnDelegate(ImgGrid));
    QFont gridFont = ImgGrid->font();
    gridFont.setPointSize(8);
    ImgGrid->setFont(gridFont);

    DBPath = ui::Make<QLineEdit>(this, "DBPath");
    BrowseBtn = ui::Make<QPushButton>(this, "BrowseBtn");
    BrowseBtn->setIcon(core::ThemeIcon(QStringLiteral("folder-open")));
    BrowseBtn->setToolTip(QStringLiteral("Browse for a Dossara database folder"));
    TemplateName = ui::Make<QLineEdit>(this, "TemplateName");
    TemplateName->setMaxLength(30);
    TemplateImage = ui::Make<QLabel>(this, "TemplateImage");
    TemplateImage->setFixedSize(40, 40);
    TemplateImage->setAlignment(Qt::AlignCenter);
    TemplateImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TemplateImage->setToolTip(QStringLiteral("Double click to set template image"));
    TemplateImage->installEventFilter(this);
    DescMemo = ui::Make<QPlainTextEdit>(this, "DescMemo");

    // ---- layouts ----
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(DBPath, 1);
    pathRow->addWidget(BrowseBtn);
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(TemplateImage);
    imageRow->addWidget(ui::Make<QLabel>(this, "TemplateImageLabel", QStringLiteral("Template image (max 32x32 pixels)")), 1);
    auto* panel = new QFormLayout;
    panel->addRow(ui::Make<QLabel>(this, "DBPathLabel", QStringLiteral("Template Path")), pathRow);
    panel->addRow(ui::Make<QLabel>(this, "TemplateNameLabel", QStringLiteral("Template Name")), TemplateName);
    panel->addRow(imageRow);
    panel->addRow(ui::Make<QLabel>(this, "DescMemoLabel", QStringLiteral("Description")), DescMemo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ToolBar);
    layout->addWidget(ImgGrid, 1);
    layout->addLayout(panel);
    resize(720, 520);

    // ---- connections ----
    auto guarded = [this](void (TTLManager::*handler)()) {
        return [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(A_First, &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_data.TemplateLib->First(); selectCurrentRow(); }); });
    connect(A_Prior, &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_data.TemplateLib->Prior(); selectCurrentRow(); }); });
    connect(A_Next, &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_data.TemplateLib->Next(); selectCurrentRow(); }); });
    connect(A_Last, &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_data.TemplateLib->Last(); selectCurrentRow(); }); });
    connect(A_Add, &QAction::triggered, this, guarded(&TTLManager::A_AddExecute));
    connect(A_Delete, &QAction::triggered, this, guarded(&TTLManager::A_DeleteExecute));
    connect(A_Import, &QAction::triggered, this, guarded(&TTLManager::A_ImportExecute));
    connect(A_Export, &QAction::triggered, this, guarded(&TTLManager::A_ExportExecute));
    connect(A_Save, &QAction::triggered, this, guarded(&TTLManager::A_SaveExecute));
    connect(A_Cancel, &QAction::triggered, this, guarded(&TTLManager::A_CancelExecute));
    connect(A_Help, &QAction::triggered, this, [] { ui::HelpService::ShowContext(180000); });
    connect(A_TemplateHelp, &QAction::triggered, this, guarded(&TTLManager::A_TemplateHelpExecute));
    connect(A_Close, &QAction::triggered, this, [this] { reject(); });
    connect(BrowseBtn, &QPushButton::clicked, this, guarded(&TTLManager::BrowseBtnClick));
    connect(ImgGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_busy || row < 0) return;
        ui::RunGuarded(this, [&] {
            const int id = ImgGrid->item(row, 1)->data(Qt::UserRole).toInt();
            if (id != currentID()) m_data.TemplateLib->Locate(QStringLiteral("ID"), {id});
            FillPanel();
        });
    });
    for (QLineEdit* e : {DBPath, TemplateName}) connect(e, &QLineEdit::textChanged, this, [this] { changed(); });
    connect(DescMemo, &QPlainTextEdit::textChanged, this, [this] { changed(); });
    connect(DBPath, &QLineEdit::editingFinished, this, [this] {
        if (DBPath->isModified() && !DBPath->text().trimmed().isEmpty())
            DBPath->setText(core::NormalizePath(DBPath->text(), QStringLiteral("N")));
        DBPath->setModified(false);
    });
}

int TTLManager::currentID() const {
    db::Table& t = *m_data.TemplateLib;
    if (!t.Active() || (t.Bof() && t.Eof())) return 0;
    return int(t.FieldByName(QStringLiteral("ID"))->AsInteger());
}

void TTLManager::SetPicture(const QImage& picture) {
    m_picture = picture;
    TemplateImage->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture.copy(0, 0, qMin(32, picture.width()),
                                                                                               qMin(32, picture.height()))));
}

void TTLManager::setEditMode(bool on) {
    A_Save->setEnabled(on);
    A_Cancel->setEnabled(on);
    for (QAction* a : {A_Add, A_Delete, A_Import, A_Export, A_First, A_Prior, A_Next, A_Last}) a->setEnabled(!on);
    ImgGrid->setEnabled(!on);
}

void TTLManager::changed() {
    if (m_busy || m_adding) return;
    m_editing = true;
    setEditMode(true);
}

void TTLManager::FillPanel() {
    const bool was = m_busy;
    m_busy = true;
    db::Table& t = *m_data.TemplateLib;
    const bool has = t.Active() && !(t.Bof() && t.Eof());
    DBPath->setText(has ? field(t, "Path") : QString());
    DBPath->setModified(false);
    TemplateName->setText(has ? field(t, "Name") : QString());
    SetPicture(has ? QImage::fromData(t.FieldByName(QStringLiteral("Icon"))->AsBytes()) : QImage());
    DescMemo->setPlainText(has ? field(t, "Description") : QString());
    A_TemplateHelp->setEnabled(has);
    m_busy = was;
}

void TTLManager::RefreshGrid(int id) {
    const bool was = m_busy;
    m_busy = true;
    db::Table& t = *m_data.TemplateLib;
    if (id == 0) id = currentID();
    t.Refresh();
    ImgGrid->setRowCount(0);
    int row = 0;
    for (t.First(); !t.Eof(); t.Next(), ++row) {
        ImgGrid->insertRow(row);
        auto* icon = new QTableWidgetItem;
        icon->setData(Qt::UserRole + 1, QImage::fromData(t.FieldByName(QStringLiteral("Icon"))->AsBytes()));
        auto* name = new QTableWidgetItem(field(t, "Name"));
        name->setData(Qt::UserRole, int(t.FieldByName(QStringLiteral("ID"))->AsInteger()));
        ImgGrid->setItem(row, 0, icon);
        ImgGrid->setItem(row, 1, name);
    }
    if (!id || !t.Locate(QStringLiteral("ID"), {id})) t.First();
    m_busy = was;
    selectCurrentRow();
}

void TTLManager::selectCurrentRow() {
    const bool was = m_busy;
    m_busy = true;
    const int id = currentID();
    for (int r = 0; r < ImgGrid->rowCount(); ++r)
        if (ImgGrid->item(r, 1)->data(Qt::UserRole).toInt() == id) ImgGrid->setCurrentCell(r, 1);
    m_busy = was;
    FillPanel();
}

void TTLManager::Start() {
    m_busy = false;
    m_editing = m_adding = false;
    FillPanel();
    setEditMode(false);
}

void TTLManager::A_AddExecute() {
    m_busy = true;
    DBPath->clear();
    TemplateName->clear();
    SetPicture(m_defaultPicture);
    DescMemo->clear();
    m_adding = true;
    DBPath->setFocus();
    m_busy = false;
    setEditMode(true);
}

void TTLManager::A_SaveExecute() {
    m_busy = true;
    struct Clear {
        bool& busy;
        ~Clear() { busy = false; }
    } clear{m_busy};
    const QString path = DBPath->text().trimmed();
    if (path.isEmpty()) {
        ui::Message(QStringLiteral("You must enter a template path."), ui::MessageKind::Error, ui::Button::Ok, 10091);
        DBPath->setFocus();
        return;
    }
    if (!core::IsDatabaseFolder(path)) {
        ui::Message(QStringLiteral("The folder referred to by the template path does not contain a Dossara database."),
                    ui::MessageKind::Error, ui::Button::Ok, 10095);
        DBPath->setFocus();
        return;
    }
    const QString name = TemplateName->text();
    if (name.trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a template name."), ui::MessageKind::Error, ui::Button::Ok, 10092);
        TemplateName->setFocus();
        return;
    }
    db::Table& t = *m_data.TemplateLib;
    const QChar unique = core::CheckTemplateUnique(t, name, path, m_editing && !m_adding);
    if (unique == u'N') {
        TemplateName->setFocus();
        return;
    }
    if (unique == u'P') {
        DBPath->setFocus();
        return;
    }
    if (m_adding)
        t.Append();
    else
        t.Edit();
    t.FieldByName(QStringLiteral("Name"))->SetAsString(name);
    t.FieldByName(QStringLiteral("Path"))->SetAsString(core::NormalizePath(path, QStringLiteral("N")));
    t.FieldByName(QStringLiteral("Icon"))->SetAsBytes(services::BitmapBytes(m_picture));
    t.FieldByName(QStringLiteral("Description"))->SetAsString(DescMemo->toPlainText());
    m_data.PostTemplate();
    const int id = currentID();
    m_editing = m_adding = false;
    RefreshGrid(id);
    setEditMode(false);
}

void TTLManager::A_CancelExecute() {
    m_editing = m_adding = false;
    FillPanel();
    setEditMode(false);
}

void TTLManager::A_DeleteExecute() {
    db::Table& t = *m_data.TemplateLib;
    if (currentID() == 0) return;
    if (currentID() == 1) {
        ui::Message(QStringLiteral("You cannot delete the blank template."), ui::MessageKind::Error, ui::Button::Ok, 10096);
        return;
    }
    const QString folder = core::NormalizePath(field(t, "Path"), QStringLiteral("N"));
    const bool exists = !field(t, "Path").trimmed().isEmpty() && QFileInfo(folder).isDir();
    // A folder that is a database in use loses only its library row.
    const bool live = exists && services::IsLiveDatabaseFolder(folder);
    const QString question =
        live ? QStringLiteral("Deleted templates cannot be recovered.\n\nThe template's folder %1 is a database you use "
                              "(open, in the recent-file list or a favourite), so it is kept: only the template is "
                              "removed from the library.\n\nAre you sure you want to delete this template?")
                   .arg(folder)
             : QStringLiteral("Deleted templates cannot be recovered.\n\nAre you sure you want to delete this template?");
    if (ui::Message(question, ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10097) != ui::Button::Yes)
        return;
    if (exists && !live) {
        ui::HourglassCursor hourglass;
        if (!QFile::moveToTrash(folder)) {
            if (ui::Message(QStringLiteral("The template folder %1 cannot be moved to the trash.\n\nDo you want to delete "
                                           "it for good?")
                                .arg(folder),
                            ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10097) != ui::Button::Yes)
                return;
            if (!QDir(folder).removeRecursively()) {
                ui::Message(QStringLiteral("The template folder %1 could not be deleted completely.").arg(folder),
                            ui::MessageKind::Error, ui::Button::Ok, 10097);
            }
        }
    }
    t.Delete();
    RefreshGrid();
}

void TTLManager::A_ImportExecute() {
    QString name;
    if (!RunTemplateImportWizard(m_data, name)) return;
    m_data.TemplateLib->Refresh();
    int id = 0;
    if (m_data.TemplateLib->Locate(QStringLiteral("Name"), {name}, db::LocateOption::loCaseInsensitive)) id = currentID();
    RefreshGrid(id);
}

void TTLManager::A_ExportExecute() {
    if (currentID() == 0) return;
    QString chosen = Globals().TemplateFolder;
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Where do you want to save the template ZIP file?"), chosen, last, true) ||
        chosen.trimmed().isEmpty())
        return;
    Globals().LastFolder = chosen;
    TQuorrel* shared = services::Quorrel();
    std::unique_ptr<TQuorrel> own;
    if (!shared) {
        own = std::make_unique<TQuorrel>();
        shared = own.get();
    }
    db::Table& t = *m_data.TemplateLib;
    const services::TExportOutcome outcome =
        services::ExportTemplatePackage(*shared, field(t, "Path"), field(t, "Name"),
                                        QImage::fromData(t.FieldByName(QStringLiteral("Icon"))->AsBytes()),
                                        field(t, "Description"), chosen);
    if (outcome.Count > 0 && outcome.Written == outcome.Count)
        ui::Message(QStringLiteral("Template export complete - %1 files were compressed.").arg(outcome.Count),
                    ui::MessageKind::Information, ui::Button::Ok, 10148);
    else
        ui::Message(QStringLiteral("Only %1 of %2 files were compressed successfully. The export file may not be useable.")
                        .arg(outcome.Written)
                        .arg(outcome.Count),
                    ui::MessageKind::Error, ui::Button::Ok, 10147);
}

void TTLManager::A_TemplateHelpExecute() { ShowTemplateHelp(core::NormalizePath(DBPath->text(), QStringLiteral("N"))); }

void TTLManager::BrowseBtnClick() {
    QString folder = DBPath->text().trimmed();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose Dossara folder"), folder, last, false)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) DBPath->setText(core::NormalizePath(folder, QStringLiteral("N")));
}

void TTLManager::TemplateImageDblClick() {
    QImage edited;
    if (!EditPicture(TemplateName->text().trimmed(), m_picture, edited, 0, 0)) return;
    SetPicture(edited);
    if (!m_adding) {
        m_editing = true;
        setEditMode(true);
    }
}

bool TTLManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TemplateImage && event->type() == QEvent::MouseButtonDblClick) {
        ui::RunGuarded(this, [&] { TemplateImageDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTLManager::reject() {
    if (m_busy || m_editing || m_adding) {
        ui::Message(QStringLiteral("You must save or cancel your changes before you can continue."), ui::MessageKind::Error,
                    ui::Button::Ok, 10067);
        return;
    }
    QDialog::reject();
}

void ShowTemplateManager(TMainDataMod& data) {
    auto manager = std::make_unique<TTLManager>(data);
    db::Table& t = *data.TemplateLib;
    const bool wasOpen = t.Active();
    const QString index = t.IndexName();
    data.OpenTemplateLib();
    struct Restore {
        db::Table& t;
        bool wasOpen;
        QString index;
        ~Restore() {
            try {
                if (t.State() != db::DataSetState::dsBrowse) t.Cancel();
                t.SetIndexName(index);
                if (!wasOpen) t.Close();
            } catch (const std::exception&) {
            }
        }
    } restore{t, wasOpen, index};
    t.SetIndexName(QStringLiteral("Name"));
    t.First();
    manager->RefreshGrid();
    manager->Start();
    ui::ExecModal(*manager);
}

void InstallTemplateManager(TMainForm* mainForm) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_TLManager"), [form] {
        if (form && form->DataModule()) ShowTemplateManager(*form->DataModule());
    });
}
