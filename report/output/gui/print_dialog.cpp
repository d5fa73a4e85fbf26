#include "report/output/gui/print_dialog.h"

#include "report/model/text_layout.h"
#include "report/output/archive_device.h"
#include "report/output/file_device.h"
#include "report/output/gui/up_down.h"
#include "report/output/output_texts.h"
#include "report/output/printer.h"
#include "report/output/producer.h"
#include "report/page/page.h"
#include "report/page/printer_list.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr int kFormWidth = 440;
constexpr int kFilePanelHeight = 84;

QLabel* label(QWidget* aParent, const char* aName, int x, int y, int w, int h = 17) {
    auto* l = ui::Make<QLabel>(aParent, aName);
    l->setGeometry(x, y, w, h);
    return l;
}

QString withColon(int aMessage) {
    return ppGetMessageText(aMessage) + QLatin1Char(':');
}

}  // namespace

TppPrintDialog::TppPrintDialog(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareOutputTexts();
    setObjectName(QStringLiteral("ppPrintDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* grpPrinter = ui::Make<QGroupBox>(this, "grpPrinter");
    grpPrinter->setGeometry(8, 8, kFormWidth - 16, 100);
    lblPrinterName = label(grpPrinter, "lblPrinterName", 12, 26, 60);
    cbxPrinters = ui::Make<QComboBox>(grpPrinter, "cbxPrinters");
    cbxPrinters->setGeometry(76, 22, 330, 24);
    lblNoPrintersInstalled = label(grpPrinter, "lblNoPrintersInstalled", 76, 26, 330);
    lblNoPrintersInstalled->hide();
    lblPrinterType = label(grpPrinter, "lblPrinterType", 12, 54, 60);
    lblPrinterTypeDesc = label(grpPrinter, "lblPrinterTypeDesc", 76, 54, 330);
    lblPrinterWhere = label(grpPrinter, "lblPrinterWhere", 12, 74, 60);
    lblPrinterWhereDesc = label(grpPrinter, "lblPrinterWhereDesc", 76, 74, 330);

    auto* grpPages = ui::Make<QGroupBox>(this, "grpPageRange");
    grpPages->setGeometry(8, 116, 204, 164);
    rdbAll = ui::Make<QRadioButton>(grpPages, "rdbAll");
    rdbAll->setGeometry(12, 24, 180, 20);
    rdbAll->setChecked(true);
    rdbCurrentPage = ui::Make<QRadioButton>(grpPages, "rdbCurrentPage");
    rdbCurrentPage->setGeometry(12, 46, 180, 20);
    rdbPages = ui::Make<QRadioButton>(grpPages, "rdbPages");
    rdbPages->setGeometry(12, 68, 70, 20);
    edtPageRange = ui::Make<QLineEdit>(grpPages, "edtPageRange");
    edtPageRange->setGeometry(84, 66, 108, 24);
    lblPageRangeDescription = label(grpPages, "lblPageRangeDescription", 12, 94, 182, 64);
    lblPageRangeDescription->setWordWrap(true);
    lblPageRangeDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* grpCopies = ui::Make<QGroupBox>(this, "grpCopies");
    grpCopies->setGeometry(220, 116, kFormWidth - 228, 164);
    lblNumberOfCopies = label(grpCopies, "lblNumberOfCopies", 12, 28, 120);
    edtCopies = ui::Make<QLineEdit>(grpCopies, "edtCopies");
    edtCopies->setGeometry(136, 24, 60, 24);
    edtCopies->setMaxLength(3);
    udCopies = TppUpDown::CreateForEdit(edtCopies);
    imgCollate = ui::Make<QLabel>(grpCopies, "imgCollate");
    imgCollate->setGeometry(12, 60, 102, 53);
    cbxCollate = ui::Make<QCheckBox>(grpCopies, "cbxCollate");
    cbxCollate->setGeometry(124, 76, 80, 20);

    lblPrintWhat = label(this, "lblPrintWhat", 8, 292, 60);
    lblPrintWhat->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cbxPrintWhat = ui::Make<QComboBox>(this, "cbxPrintWhat");
    cbxPrintWhat->setGeometry(76, 288, 160, 24);

    pnlPrintToFile = ui::Make<QGroupBox>(this, "pnlPrintToFile");
    pnlPrintToFile->setGeometry(8, 320, kFormWidth - 16, kFilePanelHeight - 8);
    cbxPrintToFile = ui::Make<QCheckBox>(pnlPrintToFile, "cbxPrintToFile");
    cbxPrintToFile->setGeometry(12, 8, 200, 20);
    lblPrintToFileType = label(pnlPrintToFile, "lblPrintToFileType", 12, 34, 50);
    cbxPrintToFileTypes = ui::Make<QComboBox>(pnlPrintToFile, "cbxPrintToFileTypes");
    cbxPrintToFileTypes->setGeometry(66, 30, 200, 24);
    lblPrintToFileWhere = label(pnlPrintToFile, "lblPrintToFileWhere", 12, 52, 50, 20);
    lblPrintToFileWhere->move(12, 50);
    edtPrintToFileName = ui::Make<QLineEdit>(pnlPrintToFile, "edtPrintToFileName");
    edtPrintToFileName->setGeometry(66, 48, 300, 24);
    spbPrintToFile = ui::Make<QToolButton>(pnlPrintToFile, "spbPrintToFile");
    spbPrintToFile->setGeometry(370, 48, 30, 24);
    spbPrintToFile->setText(QStringLiteral("..."));
    // The type list sits beside the check box so the panel stays two rows high.
    cbxPrintToFileTypes->move(214, 6);
    lblPrintToFileType->move(170, 10);
    lblPrintToFileWhere->move(12, 40);
    edtPrintToFileName->move(66, 36);
    spbPrintToFile->move(370, 36);

    btnOK = ui::Make<QPushButton>(this, "btnOK");
    btnOK->setDefault(true);
    btnCancel = ui::Make<QPushButton>(this, "btnCancel");
    btnCancel->setAutoDefault(false);

    connect(cbxPrinters, &QComboBox::activated, this, [this] { ui::RunGuarded(this, [&] { printerChosen(); }); });
    for (QRadioButton* r : {rdbAll, rdbCurrentPage})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) edtPageRange->clear();
        });
    edtPageRange->installEventFilter(this);
    connect(edtCopies, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        edtCopies->text().trimmed().toInt(&ok);
        if (!ok) edtCopies->setText(QStringLiteral("1"));
    });
    // The arrows stop at 1 and 999.
    udCopies->installEventFilter(this);
    connect(cbxCollate, &QCheckBox::toggled, this, [this] { ui::RunGuarded(this, [&] { collateChanged(); }); });
    connect(cbxPrintWhat, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (PageRequest() && index >= 0) PageRequest()->SetPageRange(index);
    });
    connect(cbxPrintToFile, &QCheckBox::toggled, this, [this] { ui::RunGuarded(this, [&] { updateFileControls(); }); });
    connect(cbxPrintToFileTypes, &QComboBox::currentIndexChanged, this,
            [this] { ui::RunGuarded(this, [&] { updateFileControls(); }); });
    connect(edtPrintToFileName, &QLineEdit::textEdited, this, [this] { ui::RunGuarded(this, [&] { fileNameEdited(); }); });
    connect(spbPrintToFile, &QToolButton::clicked, this, [this] { ui::RunGuarded(this, [&] { browseClicked(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { okClicked(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });

    m_fullHeight = 320 + kFilePanelHeight + 40;
    lblPrinterName->setBuddy(cbxPrinters);
    lblNumberOfCopies->setBuddy(edtCopies);
    lblPrintWhat->setBuddy(cbxPrintWhat);
    lblPrintToFileType->setBuddy(cbxPrintToFileTypes);
    lblPrintToFileWhere->setBuddy(edtPrintToFileName);
    setFixedSize(kFormWidth, m_fullHeight);
    LanguageChanged();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TppPrintDialog::~TppPrintDialog() = default;

void TppPrintDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(22));
    findChild<QGroupBox*>(QStringLiteral("grpPrinter"))->setTitle(ppGetMessageText(25));
    lblPrinterName->setText(withColon(1010));
    lblNoPrintersInstalled->setText(ppGetMessageText(8));
    lblPrinterType->setText(withColon(1011));
    lblPrinterWhere->setText(withColon(1012));
    findChild<QGroupBox*>(QStringLiteral("grpPageRange"))->setTitle(ppGetMessageText(19));
    rdbAll->setText(ppGetMessageText(3));
    rdbCurrentPage->setText(ppGetMessageText(9));
    rdbPages->setText(ppGetMessageText(20));
    lblPageRangeDescription->setText(ppGetMessageText(11));
    findChild<QGroupBox*>(QStringLiteral("grpCopies"))->setTitle(ppGetMessageText(7));
    lblNumberOfCopies->setText(withColon(1014));
    cbxCollate->setText(ppGetMessageText(1015));
    lblPrintWhat->setText(ppGetMessageText(1016));
    const int index = std::max(0, cbxPrintWhat->currentIndex());
    cbxPrintWhat->clear();
    cbxPrintWhat->addItems({ppGetMessageText(1017), ppGetMessageText(1018), ppGetMessageText(1019)});
    cbxPrintWhat->setCurrentIndex(index);
    cbxPrintToFile->setText(ppGetMessageText(26));
    lblPrintToFileType->setText(withColon(1011));
    lblPrintToFileWhere->setText(withColon(1012));
    btnOK->setText(ppGetMessageText(17));
    btnCancel->setText(ppGetMessageText(5));
}

QImage TppPrintDialog::CollatePicture(bool aCollated) {
    QImage image(102, 53, QImage::Format_ARGB32);
    image.fill(QGuiApplication::palette().color(QPalette::Button));
    QPainter painter(&image);
    QFont font(QStringLiteral("Small Fonts"), 7);
    font.setPixelSize(9);
    painter.setFont(font);
    auto page = [&](int x, int y, int number) {
        painter.fillRect(x, y, 20, 25, QGuiApplication::palette().color(QPalette::Base));
        painter.setPen(Qt::black);
        painter.drawRect(x, y, 19, 24);
        painter.drawText(QRect(x + 2, y + 13, 16, 11), Qt::AlignRight | Qt::AlignBottom, QString::number(number));
    };
    if (aCollated) {
        for (int stack : {18, 75})
            for (int i = 2; i >= 0; --i) page(stack - 7 * i, 2 + 13 * i, 3 - i);
    } else {
        for (int s = 0; s < 3; ++s)
            for (int i = 1; i >= 0; --i) page(18 + 36 * s - 7 * i, 8 + 13 * i, s + 1);
    }
    return image;
}

TppPrinterSetup* TppPrintDialog::setup() const {
    return Printer ? Printer->PrinterSetup() : nullptr;
}

void TppPrintDialog::Init() {
    m_busy = true;
    const auto notBusy = qScopeGuard([this] { m_busy = false; });
    TppPrinterSetup* printerSetup = setup();
    if (!printerSetup || !PageRequest()) return;

    QStringList names = printerSetup->GetPrinterNames();
    names.sort(Qt::CaseInsensitive);
    cbxPrinters->clear();
    if (!names.isEmpty()) {
        const TppPrinterList* list = ppGetPrinterList();
        for (const QString& name : names) {
            const TppPrinterInfo* info = list ? list->FindPrinter(name) : nullptr;
            const bool network = info && !info->Local();
            cbxPrinters->addItem(QIcon(QStringLiteral("/usr/share/icons/Adwaita/16x16/%1.png").arg(network ? QStringLiteral("places/network-server") : QStringLiteral("devices/printer"))),
                                 name);
        }
        cbxPrinters->setCurrentIndex(std::max(0, cbxPrinters->findText(printerSetup->PrinterName())));
        cbxPrinters->show();
        lblNoPrintersInstalled->hide();
    } else {
        cbxPrinters->hide();
        lblNoPrintersInstalled->show();
    }
    showPrinterEntry();

    edtCopies->setText(QString::number(printerSetup->Copies()));
    cbxCollate->setChecked(printerSetup->Collation());
    imgCollate->setPixmap(QPixmap::fromImage(CollatePicture(printerSetup->Collation())));

    cbxPrintToFileTypes->clear();
    if (AllowPrintToFile || AllowPrintToArchive) {
        pnlPrintToFile->show();
        setFixedSize(kFormWidth, m_fullHeight);
        QList<QPair<QString, TppDeviceClass>> classes;
        ppGetDeviceClasses(classes);
        auto add = [&](bool aArchive) {
            for (const auto& [name, cls] : classes) {
                if (!cls->inherits(&TppFileDevice::staticMetaObject) || isArchiveClass(cls) != aArchive) continue;
                std::unique_ptr<TppDevice> device(ppCreateDevice(cls, nullptr));
                auto* file = qobject_cast<TppFileDevice*>(device.get());
                cbxPrintToFileTypes->addItem(file ? file->Description() : name, QVariant::fromValue(name));
            }
        };
        if (AllowPrintToArchive) add(true);
        if (AllowPrintToFile) add(false);
        cbxPrintToFileTypes->setCurrentIndex(cbxPrintToFileTypes->count() > 0 ? 0 : -1);
        if (auto* producer = qobject_cast<TppProducer*>(Report())) {
            const QString deviceType = producer->DeviceType();
            const int index = cbxPrintToFileTypes->findData(deviceType);
            if (index >= 0) {
                cbxPrintToFileTypes->setCurrentIndex(index);
                cbxPrintToFile->setChecked(true);
            }
        }
    } else {
        pnlPrintToFile->hide();
        setFixedSize(kFormWidth, m_fullHeight - kFilePanelHeight);
    }
    m_busy = false;
    updateFileControls();
    btnOK->setGeometry(kFormWidth - 176, height() - 34, 80, 26);
    btnCancel->setGeometry(kFormWidth - 88, height() - 34, 80, 26);
}

void TppPrintDialog::printerChosen() {
    if (m_busy || !setup()) return;
    setup()->SetPrinterName(cbxPrinters->currentText());
    showPrinterEntry();
    PrinterChanged = true;
}

void TppPrintDialog::showPrinterEntry() {
    const TppPrinterInfo* info = setup() ? setup()->PrinterInfo() : nullptr;
    lblPrinterTypeDesc->setText(info ? info->Device() : QString());
    lblPrinterWhereDesc->setText(info ? info->Port() : QString());
}

void TppPrintDialog::collateChanged() {
    imgCollate->setPixmap(QPixmap::fromImage(CollatePicture(cbxCollate->isChecked())));
    if (!m_busy && setup()) setup()->SetCollation(cbxCollate->isChecked());
}

bool TppPrintDialog::isArchiveClass(TppDeviceClass aClass) {
    return aClass && aClass->inherits(&TppArchiveDevice::staticMetaObject);
}

TppDeviceClass TppPrintDialog::selectedFileClass() const {
    if (cbxPrintToFileTypes->currentIndex() < 0) return nullptr;
    return ppDeviceClassForName(cbxPrintToFileTypes->currentData().toString());
}

void TppPrintDialog::updateFileControls() {
    if (m_busy) return;
    const bool on = cbxPrintToFile->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{spbPrintToFile, cbxPrintToFileTypes, edtPrintToFileName})
        w->setEnabled(on);
    if (TppDeviceClass cls = selectedFileClass()) {
        const QString name = isArchiveClass(cls) ? ArchiveFileName : TextFileName;
        if (edtPrintToFileName->text() != name) edtPrintToFileName->setText(name);
    }
}

void TppPrintDialog::fileNameEdited() {
    if (m_busy) return;
    if (isArchiveClass(selectedFileClass())) ArchiveFileName = edtPrintToFileName->text();
    else TextFileName = edtPrintToFileName->text();
}

void TppPrintDialog::browseClicked() {
    TppDeviceClass cls = selectedFileClass();
    QString filter = QStringLiteral("Text files|*.TXT|All files|*.*");
    QString extension = QStringLiteral("txt");
    if (cls) {
        std::unique_ptr<TppDevice> device(ppCreateDevice(cls, nullptr));
        if (auto* file = qobject_cast<TppFileDevice*>(device.get())) {
            filter = file->FileFilter();
            extension = file->DefaultExt();
        }
    }
    // "Name|pattern|Name|pattern" becomes Qt's "Name (pattern);;Name (pattern)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2 %3)").arg(parts[i], parts[i + 1], parts[i + 1].toLower());
    QFileDialog dialog(this, QString(), QFileInfo(edtPrintToFileName->text()).absolutePath());
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    dialog.setNameFilters(filters);
    dialog.selectFile(edtPrintToFileName->text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    edtPrintToFileName->setText(dialog.selectedFiles().constFirst());
    fileNameEdited();
}

void TppPrintDialog::okClicked() {
    ExitActiveEdit();
    TppPageRequest* request = PageRequest();
    if (!request || !setup()) return;
    const bool fileAllowed = AllowPrintToFile || AllowPrintToArchive;
    if (rdbPages->isChecked()) {
        QStringList pages;
        ppTextToPageList(edtPageRange->text(), pages, true);
        if (pages.isEmpty()) {
            ShowWarning(ppGetMessageText(32));
            return;
        }
        request->SetPageList(pages);
        request->SetPageSetting(TppPageSettingType::psPageList);
    } else if (fileAllowed && cbxPrintToFile->isChecked() && edtPrintToFileName->text().trimmed().isEmpty()) {
        ShowWarning(ppGetMessageText(33));
        return;
    }
    if (rdbCurrentPage->isChecked()) request->SetPageSetting(TppPageSettingType::psSinglePage);
    bool ok = false;
    const int copies = edtCopies->text().trimmed().toInt(&ok);
    if (!ok) {
        ShowWarning(QStringLiteral("'%1' is not a valid integer value.").arg(edtCopies->text()));
        return;
    }
    setup()->SetCopies(copies);
    PrintToFile = false;
    PrintToArchive = false;
    if (fileAllowed && cbxPrintToFile->isChecked()) {
        if (TppDeviceClass cls = selectedFileClass()) {
            DeviceType = ppDeviceNameOf(cls);
            PrintToArchive = isArchiveClass(cls);
            PrintToFile = !PrintToArchive;
        }
    }
    if (!PrintToFile && !PrintToArchive && !Printer->DC()) {
        ShowWarning(ppGetMessageText(cbxPrinters->count() == 0 ? 8 : 459));
        return;
    }
    EndModal(report::ModalResult::mrOk);
}

bool TppPrintDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtPageRange && (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress)) {
        rdbPages->setChecked(true);
    } else if (watched == udCopies && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool up = mouse->position().y() < udCopies->height() / 2;
        const QString text = edtCopies->text().trimmed();
        if ((up && text == QLatin1String("999")) || (!up && text == QLatin1String("1"))) return true;
    }
    return TppForm::eventFilter(watched, event);
}
