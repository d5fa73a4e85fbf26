#include "services/gui/template_import.h"

#include "services/gui/picture_editor.h"
#include "services/database_copy.h"
#include "services/quorrel.h"

#include "core/file_helpers.h"
#include "core/folder_chooser.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/library_helpers.h"
#include "core/main_data_mod.h"
#include "core/text_helpers.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

const QString kOpenFolderGuard = QStringLiteral(
    "The database path you specified is the same as the path of the database you have open. You must close the "
    "database before you can use this path.");

QLabel* makeText(QWidget* page, const char* name, const QString& text) {
    auto* l = ui::Make<QLabel>(page, name, text);
    l->setWordWrap(true);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int helpContext, const QString& hint = {}) {
    auto* b = ui::Make<QPushButton>(parent, name, caption);
    if (helpContext) b->setProperty("HelpContext", helpContext);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

/// Reads at most `limit` bytes of a file; nullopt when it is missing, larger or unreadable.
std::optional<QByteArray> readSmallFile(const QString& path, qint64 limit) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > limit) return std::nullopt;
    QByteArray bytes = f.read(limit + 1);
    if (bytes.size() > limit) return std::nullopt;
    return bytes;
}

/// A name of FileList.txt names a file of the package folder only as a bare name.
bool isBareName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(u':') &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

/// Whether the package lists `name` with an uncompressed size of at most `limit`.
bool packageHolds(const TQuorrel& zip, const QString& name, qint64 limit) {
    for (const ZipDirEntry& e : zip.Contents())
        if (e.FileName.compare(name, Qt::CaseInsensitive) == 0) return qint64(e.UncomprSize) <= limit;
    return false;
}

/// Runs one extract without the component's own message boxes: the wizard reports the result.
void extractQuietly(TQuorrel& zip, const QString& archive, const QString& folder, const QStringList& names) {
    const bool unattended = zip.Unattended();
    zip.SetUnattended(true);
    zip.SetZipFilename(archive);
    zip.SetExtrBaseDir(folder);
    zip.SetFSpecArgs(names);
    {
        ui::HourglassCursor hourglass;
        zip.ExtractFiles();
    }
    zip.SetUnattended(unattended);
}

}  // namespace

TTemplateImportWizard::TTemplateImportWizard(TMainDataMod& data, QWidget* parent) : QDialog(parent), m_data(data) {
    setObjectName(QStringLiteral("TemplateImportWizard"));
    setWindowTitle(QStringLiteral("Import Dossara Template"));
    Pages = ui::Make<QStackedWidget>(this, "Pages");
    StartPage = ui::Make<QWidget>(Pages, "StartPage");
    NewTemplatePage = ui::Make<QWidget>(Pages, "NewTemplatePage");
    Pages->addWidget(StartPage);
    Pages->addWidget(NewTemplatePage);

    // ---- start page ----
    auto* s1 = makeText(StartPage, "StartText1",
                        QStringLiteral("You can import a template that you have downloaded from the Dossara Web site or one "
                                       "that was created for you by someone else. Once the template has been imported "
                                       "into the library, you can use it to create new Dossara databases."));
    auto* s2 = makeText(StartPage, "StartText2",
                        QStringLiteral("The template is packaged in a ZIP file. To start, find  the file you want to import. "
                                       "You can enter the path and file name below, or you can click the Browse button to "
                                       "look for the file. Once you have specified the file, click the Next  button to "
                                       "continue."));
    auto* zipLabel = ui::Make<QLabel>(StartPage, "ZipPathLabel", QStringLiteral("Template ZIP file"));
    ZipPath = ui::Make<QLineEdit>(StartPage, "ZipPath");
    ZipPath->setProperty("HelpContext", 180105);
    zipLabel->setBuddy(ZipPath);
    ZipBrowseBtn = makeButton(StartPage, "ZipBrowseBtn", QStringLiteral("..."), 0,
                              QStringLiteral("Browse for a Dossara template ZIP file"));
    NextBtn = makeButton(StartPage, "NextBtn", QStringLiteral("Next"), 180102, QStringLiteral("Go to the next step"));

    // ---- new-template page ----
    auto* n1 = makeText(NewTemplatePage, "NewText1",
                        QStringLiteral("Here is the name, image and description of the template ZIP file that you selected."));
    auto* n2 = makeText(NewTemplatePage, "NewText2",
                        QStringLiteral("If this is the template you want to import, specify the folder where you want the "
                                       "new template stored, then click the Finish button to import the template. If this "
                                       "is not the right template, click the Back button to try again."));
    TemplateName = ui::Make<QLineEdit>(NewTemplatePage, "TemplateName");
    TemplateName->setMaxLength(30);
    TemplateName->setProperty("HelpContext", 180108);
    TemplateImage = ui::Make<QLabel>(NewTemplatePage, "TemplateImage");
    TemplateImage->setFixedSize(40, 40);
    TemplateImage->setAlignment(Qt::AlignCenter);
    TemplateImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    DescMemo = ui::Make<QPlainTextEdit>(NewTemplatePage, "DescMemo");
    DescMemo->setReadOnly(true);
    DescMemo->setProperty("HelpContext", 180109);
    TemplateFolder = ui::Make<QLineEdit>(NewTemplatePage, "TemplateFolder");
    TemplateFolder->setProperty("HelpContext", 180110);
    FolderBrowseBtn = makeButton(NewTemplatePage, "FolderBrowseBtn", QStringLiteral("..."), 0,
                                 QStringLiteral("Choose new template folder"));
    BackBtn = makeButton(NewTemplatePage, "BackBtn", QStringLiteral("Back"), 180103, QStringLiteral("Go back to the previous step"));
    FinishBtn = makeButton(NewTemplatePage, "FinishBtn", QStringLiteral("Finish"), 180104, QStringLiteral("Import the template"));

    for (QPushButton* b : {ZipBrowseBtn, FolderBrowseBtn}) {
        b->setText(QString());
        b->setIcon(core::ThemeIcon(QStringLiteral("folder-open")));
    }
    CancelBtn = makeButton(this, "CancelBtn", QStringLiteral("&Cancel"), 180101, QStringLiteral("Do not import a template"));
    HelpBtn = makeButton(this, "HelpBtn", QStringLiteral("Help"), 180100);

    // ---- layouts ----
    {
        auto* l = new QVBoxLayout(StartPage);
        l->addWidget(s1);
        l->addWidget(s2);
        l->addSpacing(12);
        l->addWidget(zipLabel);
        auto* r = new QHBoxLayout;
        r->addWidget(ZipPath, 1);
        r->addWidget(ZipBrowseBtn);
        l->addLayout(r);
        l->addStretch();
        auto* b = new QHBoxLayout;
        b->addStretch();
        b->addWidget(NextBtn);
        l->addLayout(b);
    }
    {
        auto* l = new QVBoxLayout(NewTemplatePage);
        l->addWidget(n1);
        auto* form = new QFormLayout;
        auto* nameRow = new QHBoxLayout;
        nameRow->addWidget(TemplateName, 1);
        nameRow->addWidget(TemplateImage);
        form->addRow(ui::Make<QLabel>(NewTemplatePage, "TemplateNameLabel", QStringLiteral("Template Name")), nameRow);
        form->addRow(ui::Make<QLabel>(NewTemplatePage, "DescMemoLabel", QStringLiteral("Description")), DescMemo);
        l->addLayout(form);
        l->addWidget(n2);
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(TemplateFolder, 1);
        folderRow->addWidget(FolderBrowseBtn);
        l->addWidget(ui::Make<QLabel>(NewTemplatePage, "TemplateFolderLabel", QStringLiteral("Template folder")));
        l->addLayout(folderRow);
        auto* b = new QHBoxLayout;
        b->addStretch();
        b->addWidget(BackBtn);
        b->addWidget(FinishBtn);
        l->addLayout(b);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages, 1);
    layout->addLayout(buttons);
    resize(512, 352);

    // ---- connections ----
    auto guarded = [this](void (TTemplateImportWizard::*handler)()) {
        return [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(NextBtn, &QPushButton::clicked, this, guarded(&TTemplateImportWizard::NextBtnClick));
    connect(BackBtn, &QPushButton::clicked, this, guarded(&TTemplateImportWizard::BackBtnClick));
    connect(FinishBtn, &QPushButton::clicked, this, guarded(&TTemplateImportWizard::FinishBtnClick));
    connect(ZipBrowseBtn, &QPushButton::clicked, this, guarded(&TTemplateImportWizard::ZipBrowseBtnClick));
    connect(FolderBrowseBtn, &QPushButton::clicked, this, guarded(&TTemplateImportWizard::FolderBrowseBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(180100); });
    connect(ZipPath, &QLineEdit::textChanged, this, [this] { NextBtn->setEnabled(!ZipPath->text().trimmed().isEmpty()); });
    connect(TemplateFolder, &QLineEdit::textChanged, this,
            [this] { FinishBtn->setEnabled(!TemplateFolder->text().trimmed().isEmpty()); });
    // Paths keep their case: on this system a lower-cased path names another file.
    for (QLineEdit* e : {ZipPath, TemplateFolder})
        connect(e, &QLineEdit::editingFinished, this, [e] {
            if (!e->text().trimmed().isEmpty()) e->setText(core::NormalizePath(e->text(), QStringLiteral("N")));
        });
    connect(this, &QDialog::finished, this, [this] { removePreviewFiles(); });

    NextBtn->setEnabled(false);
    FinishBtn->setEnabled(false);
    Pages->setCurrentWidget(StartPage);
    ZipPath->setFocus();
}

TTemplateImportWizard::~TTemplateImportWizard() { removePreviewFiles(); }

TQuorrel& TTemplateImportWizard::zip() {
    if (TQuorrel* shared = services::Quorrel()) return *shared;
    if (!m_ownZip) m_ownZip = std::make_unique<TQuorrel>();
    return *m_ownZip;
}

void TTemplateImportWizard::removePreviewFiles() {
    if (!m_preview) return;
    QFile::remove(m_preview->filePath(QStringLiteral("Image.bmp")));
    QFile::remove(m_preview->filePath(QStringLiteral("Desc.txt")));
    m_preview.reset();
}

void TTemplateImportWizard::NextBtnClick() {
    removePreviewFiles();
    const QString archive = ZipPath->text().trimmed();
    const QString privateFolder = Globals().PrivateFolder;
    m_preview = std::make_unique<QTemporaryDir>(
        QDir(!privateFolder.isEmpty() && QFileInfo(privateFolder).isDir() ? privateFolder : QDir::tempPath())
            .filePath(QStringLiteral("preview-XXXXXX")));
    bool read = false;
    if (m_preview->isValid() && QFileInfo(archive).isFile()) {
        TQuorrel& z = zip();
        const bool unattended = z.Unattended();
        z.SetUnattended(true);
        z.SetZipFilename(archive);
        z.SetUnattended(unattended);
        if (packageHolds(z, QStringLiteral("Image.bmp"), kPreviewLimit) &&
            packageHolds(z, QStringLiteral("Desc.txt"), kPreviewLimit)) {
            extractQuietly(z, archive, m_preview->path(), {QStringLiteral("Image.bmp"), QStringLiteral("Desc.txt")});
            const auto image = readSmallFile(m_preview->filePath(QStringLiteral("Image.bmp")), kPreviewLimit);
            const auto desc = readSmallFile(m_preview->filePath(QStringLiteral("Desc.txt")), kPreviewLimit);
            if (image && desc) {
                m_picture = QImage::fromData(*image, "BMP");
                if (!m_picture.isNull()) {
                    TemplateImage->setPixmap(QPixmap::fromImage(m_picture.copy(0, 0, qMin(32, m_picture.width()),
                                                                               qMin(32, m_picture.height()))));
                    QString text = QString::fromUtf8(*desc);
                    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                    if (text.endsWith(u'\n')) text.chop(1);
                    DescMemo->setPlainText(text);
                    QString name = QFileInfo(archive).fileName();
                    name = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
                    TemplateName->setText(core::CapitalizeWords(name));
                    TemplateFolder->setText(core::AddTrailingBackslash(Globals().TemplateFolder));
                    read = true;
                }
            }
        }
    }
    if (!read) {
        removePreviewFiles();
        Pages->setCurrentWidget(StartPage);
        ZipPath->setFocus();
        ui::Message(QStringLiteral("The specified ZIP file cannot be read, or is not a valid Dossara template package file."),
                    ui::MessageKind::Error, ui::Button::Ok, 10149);
        return;
    }
    Pages->setCurrentWidget(NewTemplatePage);
    TemplateFolder->setFocus();
    TemplateFolder->setCursorPosition(TemplateFolder->text().size());
}

void TTemplateImportWizard::BackBtnClick() {
    Pages->setCurrentWidget(StartPage);
    ZipPath->setFocus();
    removePreviewFiles();
}

void TTemplateImportWizard::ZipBrowseBtnClick() {
    const QString typed = ZipPath->text().trimmed();
    ui::FileRequest request;
    request.caption = QStringLiteral("Select Dossara template ZIP file");
    request.folder = typed.isEmpty() ? Globals().LastFolder : QFileInfo(typed).absolutePath();
    request.filter = QStringLiteral("Zip files (*.zip)");
    request.defaultSuffix = QStringLiteral("zip");
    const std::optional<QString> file = ui::ChooseFileToOpen(request);
    if (file && !file->isEmpty()) ZipPath->setText(*file);
}

void TTemplateImportWizard::FolderBrowseBtnClick() {
    QString folder = TemplateFolder->text().trimmed();
    QString last = Globals().LastFolder;
    if (!core::BrowseForFolder(QStringLiteral("Choose new template folder"), folder, last, true)) return;
    Globals().LastFolder = last;
    if (!folder.trimmed().isEmpty()) TemplateFolder->setText(folder);
}

void TTemplateImportWizard::FinishBtnClick() {
    const QString name = TemplateName->text().trimmed();
    if (name.isEmpty()) {
        ui::Message(QStringLiteral("You must enter a template name."), ui::MessageKind::Error, ui::Button::Ok, 10092);
        TemplateName->setFocus();
        return;
    }
    QString folder = TemplateFolder->text().trimmed();
    // Unpacking onto the open database would overwrite the tables in use.
    if (Globals().DatabaseOpen && (services::IsSameFolder(core::NormalizePath(folder), Globals().CurrentFolder) ||
                                   core::RemoveTrailingBackslash(core::NormalizePath(folder))
                                           .compare(core::RemoveTrailingBackslash(Globals().CurrentFolder.trimmed()),
                                                    Qt::CaseInsensitive) == 0)) {
        ui::Message(kOpenFolderGuard, ui::MessageKind::Error, ui::Button::Ok, 10128);
        TemplateFolder->setFocus();
        return;
    }
    db::Table& lib = *m_data.TemplateLib;
    m_data.OpenTemplateLib();
    const QChar unique = core::CheckTemplateUnique(lib, name, folder, false);
    if (unique == u'N') {
        TemplateName->setFocus();
        return;
    }
    if (unique == u'P') {
        TemplateFolder->setFocus();
        return;
    }
    if (!core::ValidateFolder(folder)) return;

    extractQuietly(zip(), ZipPath->text().trimmed(), folder, {});
    const QDir target(folder);
    bool complete = false;
    if (const auto list = readSmallFile(target.filePath(QStringLiteral("FileList.txt")), kPreviewLimit)) {
        complete = true;
        for (QString line : QString::fromUtf8(*list).split(u'\n')) {
            line = line.trimmed();
            if (line.isEmpty()) continue;
            if (!isBareName(line) || !QFileInfo(target.filePath(line)).isFile()) {
                complete = false;
                break;
            }
        }
    }
    for (const char* f : {"Image.bmp", "Desc.txt", "FileList.txt"}) QFile::remove(target.filePath(QLatin1String(f)));

    lib.Append();
    lib.FieldByName(QStringLiteral("Name"))->SetAsString(name);
    lib.FieldByName(QStringLiteral("Path"))->SetAsString(core::NormalizePath(folder, QStringLiteral("N")));
    lib.FieldByName(QStringLiteral("Icon"))->SetAsBytes(services::BitmapBytes(m_picture));
    lib.FieldByName(QStringLiteral("Description"))->SetAsString(DescMemo->toPlainText());
    m_data.PostTemplate();
    if (!complete)
        ui::Message(QStringLiteral("At least one required file is missing or could not be extracted from the template ZIP "
                                   "file. The imported template may not be usable."),
                    ui::MessageKind::Warning, ui::Button::Ok, 10150);
    accept();
}

bool RunTemplateImportWizard(TMainDataMod& data, QString& TemplateName) {
    TemplateName.clear();
    auto wizard = std::make_unique<TTemplateImportWizard>(data);
    if (ui::ExecModal(*wizard) != QDialog::Accepted) return false;
    TemplateName = wizard->TemplateName->text().trimmed();
    return true;
}
