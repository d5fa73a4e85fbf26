#include "services/gui/picture_editor.h"

#include "core/gui/action_icons.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

/// Kept for the program run: the name proposed for saving and the folders of the two file
/// dialogs (each takes the other's folder after use).
QString g_saveName = QStringLiteral("*.bmp");
QString g_openFolder;
QString g_saveFolder;

const QString kUnusable = QStringLiteral(
    "Unable to open that graphics file. It may be damaged or in an unusable format (must be bitmap or icon).");

QToolButton* makeToolButton(QToolBar* bar, const char* name, const QString& icon, const QString& hint, int tag) {
    auto* b = ui::Make<QToolButton>(bar, name);
    b->setIcon(core::ThemeIcon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFixedSize(29, 26);
    b->setProperty("Tag", tag);
    bar->addWidget(b);
    return b;
}

}  // namespace

namespace services {
QByteArray BitmapBytes(const QImage& picture) {
    QByteArray bytes;
    if (picture.isNull()) return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    return bytes;
}
}  // namespace services

TLoadGraphic::TLoadGraphic(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LoadGraphic"));
    setWindowTitle(QStringLiteral("Graphic Loader"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    setFont(arial);

    ToolBar = ui::Make<QToolBar>(this, "ToolBar");
    ToolBar->setIconSize(QSize(16, 16));
    LoadBtn = makeToolButton(ToolBar, "LoadBtn", QStringLiteral("document-open"), QStringLiteral("Load from file"), 150003);
    SaveBtn = makeToolButton(ToolBar, "SaveBtn", QStringLiteral("document-save"), QStringLiteral("Save to file"), 150004);
    ToolBar->addSeparator();
    CopyBtn = makeToolButton(ToolBar, "CopyBtn", QStringLiteral("edit-copy"), QStringLiteral("Copy image to clipboard"), 150005);
    PasteBtn = makeToolButton(ToolBar, "PasteBtn", QStringLiteral("edit-paste"), QStringLiteral("Paste image from clipboard"), 150006);
    QAction* extractSeparator = ToolBar->addSeparator();
    ExtractBtn = makeToolButton(ToolBar, "ExtractBtn", QStringLiteral("edit-find"), QStringLiteral("Extract"), 150007);
    extractSeparator->setVisible(false);
    for (QAction* a : ToolBar->actions())
        if (ToolBar->widgetForAction(a) == ExtractBtn) a->setVisible(false);

    ImagePanel = ui::Make<QFrame>(this, "ImagePanel");
    ImagePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ImagePanel->setLineWidth(3);
    Image = ui::Make<QLabel>(ImagePanel, "Image");
    Image->setAlignment(Qt::AlignCenter);
    Image->setProperty("Tag", 150008);
    Image->setContextMenuPolicy(Qt::CustomContextMenu);
    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setProperty("HelpContext", 150009);
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setDefault(true);
    OKBtn->setProperty("HelpContext", 150001);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setProperty("HelpContext", 150002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 150000);

    OpenPictureDlg.caption = QStringLiteral("Open graphic...");
    OpenPictureDlg.filter = QStringLiteral("All (*.bmp *.ico);;Bitmaps (*.bmp);;Icons (*.ico)");
    SavePictureDlg.caption = QStringLiteral("Save graphic as...");
    SavePictureDlg.filter = QStringLiteral("Bitmap files (bmp) (*.bmp)");
    SavePictureDlg.defaultSuffix = QStringLiteral("bmp");

    PU_Edit = ui::Make<QMenu>(this, "PU_Edit");
    auto item = [this](const char* name, const QString& caption) {
        QAction* a = PU_Edit->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QAction* puCopy = item("PU_Copy", QStringLiteral("&Copy"));
    QAction* puPaste = item("PU_Paste", QStringLiteral("&Paste"));
    PU_Edit->addSeparator();
    QAction* puLoad = item("PU_Load", QStringLiteral("&Load from file..."));
    QAction* puSave = item("PU_Save", QStringLiteral("&Save to file..."));
    PU_Edit->addSeparator();
    QAction* puExtract = item("PU_Extract", QStringLiteral("&Extract..."));
    puExtract->setVisible(false);
    QAction* puWhatsThis = item("PU_WhatsThis", QStringLiteral("&What's this?"));

    // ---- layouts ----
    auto* panelLayout = new QVBoxLayout(ImagePanel);
    panelLayout->addWidget(Image);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(ToolBar);
    layout->addWidget(ImagePanel, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar);
    resize(309, 245);

    // ---- connections ----
    auto guarded = [this](void (TLoadGraphic::*handler)()) {
        return [this, handler] { ui::RunGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(LoadBtn, &QToolButton::clicked, this, guarded(&TLoadGraphic::LoadBtnClick));
    connect(SaveBtn, &QToolButton::clicked, this, guarded(&TLoadGraphic::SaveBtnClick));
    connect(CopyBtn, &QToolButton::clicked, this, guarded(&TLoadGraphic::CopyBtnClick));
    connect(PasteBtn, &QToolButton::clicked, this, guarded(&TLoadGraphic::PasteBtnClick));
    connect(puLoad, &QAction::triggered, this, guarded(&TLoadGraphic::LoadBtnClick));
    connect(puSave, &QAction::triggered, this, guarded(&TLoadGraphic::SaveBtnClick));
    connect(puCopy, &QAction::triggered, this, guarded(&TLoadGraphic::CopyBtnClick));
    connect(puPaste, &QAction::triggered, this, guarded(&TLoadGraphic::PasteBtnClick));
    connect(puWhatsThis, &QAction::triggered, this, [this] {
        QWidget* on = PU_Edit->property("PopupOn").value<QWidget*>();
        const int context = on ? qMax(on->property("HelpContext").toInt(), on->property("Tag").toInt()) : 0;
        ui::HelpService::ShowContext(context);
    });
    connect(Image, &QLabel::customContextMenuRequested, this, [this](const QPoint& at) {
        PU_Edit->setProperty("PopupOn", QVariant::fromValue<QWidget*>(Image));
        PU_Edit->popup(Image->mapToGlobal(at));
    });
    connect(OKBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(150000); });
    updateButtons();
}

void TLoadGraphic::SetPicture(const QImage& picture) {
    m_picture = picture;
    Image->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    updateButtons();
}

void TLoadGraphic::SetStatus(const QString& text) { StatusBar->showMessage(text); }

void TLoadGraphic::updateButtons() {
    const bool has = !m_picture.isNull();
    CopyBtn->setEnabled(has);
    SaveBtn->setEnabled(has);
    if (QAction* a = PU_Edit->findChild<QAction*>(QStringLiteral("PU_Copy"))) a->setEnabled(has);
    if (QAction* a = PU_Edit->findChild<QAction*>(QStringLiteral("PU_Save"))) a->setEnabled(has);
}

bool TLoadGraphic::LoadFromFile(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    QImage loaded;
    if (ext == QLatin1String("BMP") || ext == QLatin1String("ICO")) {
        QImageReader reader(fileName, ext == QLatin1String("ICO") ? "ico" : "bmp");
        // A picture larger than this is no icon or template picture, and may be a trap.
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() <= 4096LL * 4096LL) loaded = reader.read();
        if (!loaded.isNull() && ext == QLatin1String("ICO")) {
            QImage bitmap(32, 32, QImage::Format_RGB32);
            bitmap.fill(QApplication::palette().color(QPalette::Button));
            QPainter p(&bitmap);
            p.drawImage(QPoint(0, 0), loaded);
            p.end();
            loaded = bitmap;
        }
    }
    if (loaded.isNull()) {
        ui::Message(kUnusable, ui::MessageKind::Error, ui::Button::Ok, 10037);
        updateButtons();
        return false;
    }
    if (TargetHeight != 0 && TargetWidth != 0)
        loaded = loaded.scaled(TargetWidth, TargetHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    SetPicture(loaded.convertToFormat(QImage::Format_RGB32));
    SetStatus(fileName);
    return true;
}

void TLoadGraphic::LoadBtnClick() {
    OpenPictureDlg.folder = g_openFolder;
    const std::optional<QString> file = ui::ChooseFileToOpen(OpenPictureDlg);
    if (!file || file->isEmpty()) return;
    g_openFolder = QFileInfo(*file).absolutePath();
    g_saveFolder = g_openFolder;
    LoadFromFile(*file);
}

void TLoadGraphic::SaveBtnClick() {
    if (m_picture.isNull()) return;
    SavePictureDlg.folder = g_saveFolder;
    SavePictureDlg.fileName = g_saveName;
    const std::optional<QString> file = ui::ChooseFileToSave(SavePictureDlg);
    if (!file || file->isEmpty()) return;
    QFile out(*file);
    if (!out.open(QIODevice::WriteOnly) || out.write(services::BitmapBytes(m_picture)) < 0 || !out.flush()) {
        ui::Message(QStringLiteral("Unable to save the picture to %1: %2").arg(*file, out.errorString()),
                    ui::MessageKind::Error, ui::Button::Ok);
        return;
    }
    g_openFolder = QFileInfo(*file).absolutePath();
    g_saveFolder = g_openFolder;
    SetStatus(*file);
}

void TLoadGraphic::CopyBtnClick() {
    if (!m_picture.isNull()) QApplication::clipboard()->setImage(m_picture);
}

void TLoadGraphic::PasteBtnClick() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    const QImage pasted = mime && mime->hasImage() ? QApplication::clipboard()->image() : QImage();
    if (pasted.isNull()) {
        ui::Message(QStringLiteral("The object on the Clipboard is not a graphic of the required type (bitmap)."),
                    ui::MessageKind::Error, ui::Button::Ok, 10038);
        updateButtons();
        return;
    }
    SetPicture(pasted.convertToFormat(QImage::Format_RGB32));
    SetStatus(QStringLiteral("Image from clipboard"));
}

bool EditPicture(const QString& Caption, const QImage& Source, QImage& Result, int Height, int Width) {
    Result = Source;
    auto dialog = std::make_unique<TLoadGraphic>();
    dialog->SetPicture(Source);
    dialog->SetStatus(Caption);
    g_saveName = Caption.isEmpty() ? QStringLiteral("*.bmp") : Caption + QStringLiteral(".bmp");
    dialog->TargetHeight = Height;
    dialog->TargetWidth = Width;
    if (ui::ExecModal(*dialog) != QDialog::Accepted || dialog->Picture().isNull()) return false;
    Result = dialog->Picture();
    return true;
}
