#include "report/output/gui/print_preview.h"

#include "report/output/gui/viewer.h"
#include "report/output/output_texts.h"
#include "report/output/producer.h"
#include "report/page/resource_manager.h"

#include "platform/ui/gui/make.h"
#include "platform/ui/run_guarded.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

/// A picture of the Adwaita icon theme, from the sizes it has as PNG files.
QIcon themeIcon(const QString& aName) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        for (const char* context : {"legacy", "actions", "devices", "places"}) {
            const QString path = QStringLiteral("/usr/share/icons/Adwaita/%1x%1/%2/%3.png")
                                     .arg(size)
                                     .arg(QLatin1String(context), aName);
            if (QFileInfo::exists(path)) {
                icon.addFile(path, QSize(size, size));
                break;
            }
        }
    return icon.isNull() ? QIcon::fromTheme(aName) : icon;
}

QToolButton* makeButton(QWidget* aParent, const char* aName, const char* aIcon, int x, int y) {
    auto* button = ui::Make<QToolButton>(aParent, aName);
    button->setAutoRaise(true);
    button->setIcon(themeIcon(QString::fromLatin1(aIcon)));
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, y, 23, 22);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TppPrintPreview::TppPrintPreview(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareOutputTexts();
    setObjectName(QStringLiteral("ppPrintPreview"));
    setWindowFlags(Qt::Window);
    resize(501, 323);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlPreviewBar = ui::Make<QWidget>(this, "pnlPreviewBar");
    pnlPreviewBar->setFixedHeight(26);
    layout->addWidget(pnlPreviewBar);
    spbPreviewPrint = makeButton(pnlPreviewBar, "spbPreviewPrint", "document-print", 2, 2);
    spbAutoSearch = makeButton(pnlPreviewBar, "spbAutoSearch", "edit-find", 41, 2);

    pnlStandardButtons = ui::Make<QWidget>(pnlPreviewBar, "pnlStandardButtons");
    pnlStandardButtons->setGeometry(80, 1, 417, 23);
    spbPreviewWhole = makeButton(pnlStandardButtons, "spbPreviewWhole", "zoom-fit-best", 0, 0);
    spbPreviewWidth = makeButton(pnlStandardButtons, "spbPreviewWidth", "view-fullscreen", 23, 0);
    spbPreview100Percent = makeButton(pnlStandardButtons, "spbPreview100Percent", "zoom-original", 46, 0);
    for (QToolButton* b : {spbPreviewWhole, spbPreviewWidth, spbPreview100Percent}) b->setCheckable(true);
    spbPreviewWhole->setChecked(true);

    mskPreviewPercentage = ui::Make<QLineEdit>(pnlStandardButtons, "mskPreviewPercentage");
    mskPreviewPercentage->setGeometry(87, 0, 46, 22);
    mskPreviewPercentage->setMaxLength(5);

    spbPreviewFirst = makeButton(pnlStandardButtons, "spbPreviewFirst", "go-first", 142, 0);
    spbPreviewPrior = makeButton(pnlStandardButtons, "spbPreviewPrior", "go-previous", 165, 0);
    mskPreviewPage = ui::Make<QLineEdit>(pnlStandardButtons, "mskPreviewPage");
    mskPreviewPage->setGeometry(191, 0, 38, 22);
    mskPreviewPage->setMaxLength(5);
    mskPreviewPage->setValidator(new QIntValidator(0, 99999, mskPreviewPage));
    spbPreviewNext = makeButton(pnlStandardButtons, "spbPreviewNext", "go-next", 232, 0);
    spbPreviewLast = makeButton(pnlStandardButtons, "spbPreviewLast", "go-last", 255, 0);
    spbPreviewClose = ui::Make<QPushButton>(pnlStandardButtons, "spbPreviewClose");
    spbPreviewClose->setGeometry(322, 0, 75, 23);
    spbPreviewClose->setAutoDefault(false);
    spbPreviewClose->setFocusPolicy(Qt::NoFocus);

    ppViewer1 = new TppViewer(this);
    layout->addWidget(ppViewer1, 1);
    StatusBar = ui::Make<QStatusBar>(this, "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    layout->addWidget(StatusBar);

    auto guarded = [this](auto action) {
        return [this, action] { ui::RunGuarded(this, [&] { action(); }); };
    };
    connect(spbPreviewPrint, &QToolButton::clicked, this, guarded([this] { ppViewer1->Print(); }));
    connect(spbAutoSearch, &QToolButton::clicked, this, guarded([this] { ppViewer1->RegenerateReport(); }));
    connect(spbPreviewWhole, &QToolButton::clicked, this, guarded([this] { zoomClicked(TppZoomSettingType::zsWholePage); }));
    connect(spbPreviewWidth, &QToolButton::clicked, this, guarded([this] { zoomClicked(TppZoomSettingType::zsPageWidth); }));
    connect(spbPreview100Percent, &QToolButton::clicked, this,
            guarded([this] { zoomClicked(TppZoomSettingType::zs100Percent); }));
    connect(spbPreviewFirst, &QToolButton::clicked, this, guarded([this] { ppViewer1->FirstPage(); }));
    connect(spbPreviewPrior, &QToolButton::clicked, this, guarded([this] { ppViewer1->PriorPage(); }));
    connect(spbPreviewNext, &QToolButton::clicked, this, guarded([this] { ppViewer1->NextPage(); }));
    connect(spbPreviewLast, &QToolButton::clicked, this, guarded([this] { ppViewer1->LastPage(); }));
    connect(spbPreviewClose, &QPushButton::clicked, this, guarded([this] { closeClicked(); }));
    connect(mskPreviewPercentage, &QLineEdit::returnPressed, this, guarded([this] { percentageEntered(); }));
    connect(mskPreviewPage, &QLineEdit::returnPressed, this, guarded([this] { pageEntered(); }));
    mskPreviewPercentage->installEventFilter(this);
    mskPreviewPage->installEventFilter(this);

    ppViewer1->OnStatusChange = [this](QObject*) { StatusBar->showMessage(ppViewer1->GetStatus()); };
    ppViewer1->OnPageChange = [this](QObject*) { pageChanged(); };
    ppViewer1->OnPrintStateChange = [this](QObject*) { printStateChanged(); };

    LanguageChanged();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TppPrintPreview::~TppPrintPreview() {
    ppViewer1->SetReport(nullptr);
}

TppProducer* TppPrintPreview::producer() const {
    return qobject_cast<TppProducer*>(Report());
}

void TppPrintPreview::Init() {
    if (TppProducer* report = producer()) ppViewer1->SetReport(report);
}

QObject* TppPrintPreview::GetViewer() {
    return ppViewer1;
}

void TppPrintPreview::LanguageChanged() {
    spbAutoSearch->setToolTip(ppGetMessageText(1021));
    spbPreviewPrint->setToolTip(ppGetMessageText(22));
    spbPreviewWhole->setToolTip(ppGetMessageText(30));
    spbPreviewWidth->setToolTip(ppGetMessageText(31));
    spbPreview100Percent->setToolTip(ppGetMessageText(1));
    spbPreviewFirst->setToolTip(ppGetMessageText(13));
    spbPreviewPrior->setToolTip(ppGetMessageText(29));
    spbPreviewNext->setToolTip(ppGetMessageText(15));
    spbPreviewLast->setToolTip(ppGetMessageText(14));
    spbPreviewClose->setText(ppGetMessageText(ppViewer1->GetBusy() ? 5 : 6));
    spbPreviewClose->resize(spbPreviewClose->fontMetrics().horizontalAdvance(spbPreviewClose->text()) + 30,
                            spbPreviewClose->height());
    setWindowTitle(ppGetMessageText(23));
}

void TppPrintPreview::showEvent(QShowEvent* event) {
    const bool search = producer() && producer()->ShowAutoSearchDialog();
    spbAutoSearch->setVisible(search);
    pnlStandardButtons->move(search ? 80 : 41, 1);
    const TppZoomSettingType zoom = ppViewer1->ZoomSetting();
    spbPreviewWhole->setChecked(zoom == TppZoomSettingType::zsWholePage);
    spbPreviewWidth->setChecked(zoom == TppZoomSettingType::zsPageWidth);
    spbPreview100Percent->setChecked(zoom == TppZoomSettingType::zs100Percent);
    TppForm::showEvent(event);
}

void TppPrintPreview::zoomClicked(TppZoomSettingType aSetting) {
    spbPreviewWhole->setChecked(aSetting == TppZoomSettingType::zsWholePage);
    spbPreviewWidth->setChecked(aSetting == TppZoomSettingType::zsPageWidth);
    spbPreview100Percent->setChecked(aSetting == TppZoomSettingType::zs100Percent);
    ppViewer1->SetZoomSetting(aSetting);
    mskPreviewPercentage->setText(QString::number(ppViewer1->GetCalculatedZoom()));
}

void TppPrintPreview::percentageEntered() {
    bool ok = false;
    const int value = mskPreviewPercentage->text().trimmed().toInt(&ok);
    ppViewer1->SetZoomPercentage(ok && value > 0 ? value : 100);
    for (QToolButton* b : {spbPreviewWhole, spbPreviewWidth, spbPreview100Percent}) b->setChecked(false);
    mskPreviewPercentage->setText(QString::number(ppViewer1->GetCalculatedZoom()));
}

void TppPrintPreview::pageEntered() {
    bool ok = false;
    const int page = mskPreviewPage->text().trimmed().toInt(&ok);
    if (ok && page > 0) ppViewer1->GotoPage(page);
}

void TppPrintPreview::closeClicked() {
    TppProducer* report = producer();
    if (report && report->Printing()) ppViewer1->Cancel();
    else Close();
}

void TppPrintPreview::pageChanged() {
    const int page = ppViewer1->GetAbsolutePageNo();
    mskPreviewPage->setText(page > 0 ? QString::number(page) : QString());
    mskPreviewPercentage->setText(QString::number(ppViewer1->GetCalculatedZoom()));
}

void TppPrintPreview::printStateChanged() {
    const bool busy = ppViewer1->GetBusy();
    mskPreviewPage->setEnabled(!busy);
    mskPreviewPercentage->setEnabled(!busy);
    const QCursor waiting(busy ? Qt::BusyCursor : Qt::ArrowCursor);
    pnlPreviewBar->setCursor(waiting);
    ppViewer1->setCursor(waiting);
    StatusBar->setCursor(waiting);
    spbPreviewClose->setCursor(Qt::ArrowCursor);
    spbPreviewClose->setText(ppGetMessageText(busy ? 5 : 6));
}

bool TppPrintPreview::handleKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QScrollArea* box = ppViewer1->ScrollBox();
    QScrollBar* vertical = box->verticalScrollBar();
    QScrollBar* horizontal = box->horizontalScrollBar();
    const int height = box->viewport()->height();
    const int width = box->viewport()->width();
    switch (event->key()) {
    case Qt::Key_PageUp:
        if (ctrl) ppViewer1->PriorPage();
        else vertical->setValue(vertical->value() - height);
        return true;
    case Qt::Key_PageDown:
        if (ctrl) ppViewer1->NextPage();
        else vertical->setValue(vertical->value() + height);
        return true;
    case Qt::Key_Home:
        if (!ctrl) return false;
        ppViewer1->FirstPage();
        return true;
    case Qt::Key_End:
        if (!ctrl) return false;
        ppViewer1->LastPage();
        return true;
    case Qt::Key_Up:
        vertical->setValue(vertical->value() - height);
        return true;
    case Qt::Key_Down:
        vertical->setValue(vertical->value() + height);
        return true;
    case Qt::Key_Left:
        horizontal->setValue(horizontal->value() - width);
        return true;
    case Qt::Key_Right:
        horizontal->setValue(horizontal->value() + width);
        return true;
    default:
        return false;
    }
}

void TppPrintPreview::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    ui::RunGuarded(this, [&] { handled = handleKey(event); });
    if (!handled) TppForm::keyPressEvent(event);
}

bool TppPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // In the boxes, Left and Right move the text cursor; the page keys act on the preview.
        if (key->key() != Qt::Key_Left && key->key() != Qt::Key_Right) {
            bool handled = false;
            ui::RunGuarded(this, [&] { handled = handleKey(key); });
            if (handled) return true;
        }
    }
    return TppForm::eventFilter(watched, event);
}
