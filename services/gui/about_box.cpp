#include "services/gui/about_box.h"

#include "core/command_registry.h"
#include "core/globals.h"
#include "core/gui/action_icons.h"
#include "core/system_helpers.h"
#include "core/web_link.h"
#include "core/win_registry.h"

#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextStream>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace services {

MemoryStatus ReadMemoryStatus(const QString& meminfoPath) {
    MemoryStatus status;
    QFile f(meminfoPath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return status;
    const QStringList lines = QString::fromLatin1(f.readAll()).split(u'\n');
    for (const QString& line : lines) {
        const QStringList parts = line.simplified().split(u' ');
        if (parts.size() < 2) continue;
        const qint64 value = parts[1].toLongLong();
        // The figures are in kB (1024 bytes) already.
        if (parts[0] == QLatin1String("MemTotal:")) status.totalKB = value;
        else if (parts[0] == QLatin1String("MemAvailable:")) status.availableKB = value;
    }
    return status;
}

}  // namespace services

namespace {

QLabel* bold(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

/// The picture of the About page: a calm gradient with the product name.
QPixmap aboutPicture(const QSize& size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(24, 60, 110));
    g.setColorAt(1, QColor(70, 130, 180));
    p.fillRect(pixmap.rect(), g);
    const QPixmap logo = core::ThemeIcon(QStringLiteral("x-office-address-book")).pixmap(96, 96);
    p.drawPixmap(24, 40, logo);
    QFont f(QStringLiteral("Arial"), 28, QFont::Bold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(136, 40, size.width() - 150, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Dossara"));
    f.setPointSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(136, 96, size.width() - 150, 40), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Records manager"));
    return pixmap;
}

}  // namespace

TAbout::TAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Dossara"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Arial"), 9));
    setFixedSize(457, 281);
    ContactURL = new TURL(this);
    ContactURL->setObjectName(QStringLiteral("ContactURL"));

    Pages = ui::Make<QTabWidget>(this, "Pages");
    Pages->setTabPosition(QTabWidget::South);

    VersionPage = ui::Make<QWidget>(Pages, "VersionPage");
    auto* picture = ui::Make<QLabel>(VersionPage, "AboutPicture");
    picture->setScaledContents(true);
    picture->setPixmap(aboutPicture(QSize(445, 240)));
    About_Version = ui::Make<QLabel>(VersionPage, "About_Version");
    QFont vf = About_Version->font();
    vf.setBold(true);
    vf.setItalic(true);
    About_Version->setFont(vf);
    About_Version->setStyleSheet(QStringLiteral("color: white; background: transparent"));
    About_Version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* vl = new QGridLayout(VersionPage);
    vl->setContentsMargins(0, 0, 0, 0);
    vl->addWidget(picture, 0, 0, 2, 1);
    vl->addWidget(About_Version, 1, 0, Qt::AlignRight | Qt::AlignBottom);
    vl->setRowStretch(0, 1);
    Pages->addTab(VersionPage, QStringLiteral("About"));

    VersionsPage = ui::Make<QWidget>(Pages, "VersionsPage");
    VersionsPage->setProperty("HelpContext", 230008);
    CopyVersionsBtn = ui::Make<QToolButton>(VersionsPage, "CopyVersionsBtn");
    CopyVersionsBtn->setAutoRaise(true);
    CopyVersionsBtn->setIcon(core::ThemeIcon(QStringLiteral("edit-copy")));
    CopyVersionsBtn->setToolTip(QStringLiteral("Copy version list to the clipboard"));
    VersionsList = ui::Make<QTreeWidget>(VersionsPage, "VersionsList");
    VersionsList->setHeaderLabels({QStringLiteral("Component"), QStringLiteral("Version")});
    VersionsList->setColumnWidth(0, 300);
    VersionsList->setColumnWidth(1, 120);
    VersionsList->setRootIsDecorated(false);
    VersionsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    VersionsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    VersionsList->setStyleSheet(QStringLiteral("QTreeWidget::item { border-bottom: 1px solid #d0d0d0; border-right: 1px solid #d0d0d0; }"));
    auto* top = new QHBoxLayout;
    top->addWidget(bold(VersionsPage, QStringLiteral("Last-Installed Versions of Dossara Components")), 1);
    top->addWidget(CopyVersionsBtn);
    auto* vsl = new QVBoxLayout(VersionsPage);
    vsl->addLayout(top);
    vsl->addWidget(VersionsList, 1);
    Pages->addTab(VersionsPage, QStringLiteral("Versions"));

    Contacts = ui::Make<QWidget>(Pages, "Contacts");
    SalesMail = ui::Make<QLineEdit>(Contacts, "SalesMail");
    SupportMail = ui::Make<QLineEdit>(Contacts, "SupportMail");
    WebSite = ui::Make<QLineEdit>(Contacts, "WebSite");
    auto* cl = new QFormLayout(Contacts);
    for (auto [caption, edit] : {std::pair{"Sales", SalesMail}, {"Support", SupportMail}, {"Web site", WebSite}}) {
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setCursor(Qt::PointingHandCursor);
        QFont f = edit->font();
        f.setUnderline(true);
        edit->setFont(f);
        edit->setStyleSheet(QStringLiteral("color: blue; background: transparent"));
        edit->installEventFilter(this);
        cl->addRow(bold(Contacts, QString::fromLatin1(caption)), edit);
    }
    Pages->addTab(Contacts, QStringLiteral("Contacts"));

    Copyright = ui::Make<QWidget>(Pages, "Copyright");
    auto* logo = new QLabel(Copyright);
    logo->setPixmap(core::ThemeIcon(QStringLiteral("x-office-address-book")).pixmap(48, 48));
    auto* notice = new QLabel(
        QStringLiteral("<b>Dossara</b><br>Copyright \u00A9 the Dossara developers. All rights reserved.<br><br>"
                       "Dossara contains: the Qt toolkit (LGPL 3), SQLite (public domain), libzip (BSD), "
                       "libjpeg-turbo (IJG and BSD licences), CUPS (Apache 2.0) and the Adwaita icon theme "
                       "(LGPL 3 / CC-BY-SA 3)."),
        Copyright);
    notice->setWordWrap(true);
    OtherBtn = ui::Make<QPushButton>(Copyright, "OtherBtn", QStringLiteral("Other..."));
    OtherBtn->setProperty("HelpContext", 230009);
    auto* crl = new QGridLayout(Copyright);
    crl->addWidget(logo, 0, 0, Qt::AlignTop);
    crl->addWidget(notice, 0, 1);
    crl->addWidget(OtherBtn, 1, 1, Qt::AlignRight);
    crl->setRowStretch(0, 1);
    Pages->addTab(Copyright, QStringLiteral("Copyright"));

    Credits = ui::Make<QWidget>(Pages, "Credits");
    Credits->setProperty("HelpContext", 230006);
    CreditsTree = ui::Make<QTreeWidget>(Credits, "CreditsTree");
    CreditsTree->setHeaderHidden(true);
    const std::pair<const char*, QStringList> credits[] = {
        {"Libraries", {"Qt", "SQLite", "libzip", "libjpeg-turbo", "CUPS"}},
        {"Icons", {"Adwaita icon theme"}},
        {"Fonts", {"DejaVu", "Liberation"}}};
    for (const auto& [group, names] : credits) {
        auto* g = new QTreeWidgetItem(CreditsTree, {QString::fromLatin1(group)});
        g->setIcon(0, core::ThemeIcon(QStringLiteral("folder")));
        for (const QString& n : names) new QTreeWidgetItem(g, {n});
    }
    CreditsTree->expandAll();
    auto* crdl = new QVBoxLayout(Credits);
    crdl->addWidget(CreditsTree);
    Pages->addTab(Credits, QStringLiteral("Credits"));

    System = ui::Make<QWidget>(Pages, "System");
    PhysMem = ui::Make<QLabel>(System, "PhysMem");
    AvailMem = ui::Make<QLabel>(System, "AvailMem");
    ComCtlVers = ui::Make<QLabel>(System, "ComCtlVers");
    auto* sl = new QFormLayout(System);
    sl->addRow(bold(System, QStringLiteral("System Information")));
    sl->addRow(QStringLiteral("Physical Memory:"), PhysMem);
    sl->addRow(QStringLiteral("Available Memory:"), AvailMem);
    sl->addRow(QStringLiteral("ComCtl Version:"), ComCtlVers);
    Pages->addTab(System, QStringLiteral("System"));

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(Pages);

    connect(Pages, &QTabWidget::currentChanged, this, [this] {
        if (Pages->currentWidget() == VersionsPage) LoadVersions();
    });
    connect(CopyVersionsBtn, &QToolButton::clicked, this, &TAbout::CopyVersionsBtnClick);
    connect(OtherBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(230009); });
}

void TAbout::FormShow() {
    About_Version->setText(QStringLiteral("Version ") + Globals().VersionText);
    const services::MemoryStatus memory = services::ReadMemoryStatus();
    PhysMem->setText(QStringLiteral("%1 KB").arg(memory.totalKB));
    AvailMem->setText(QStringLiteral("%1 KB").arg(memory.availableKB));
    ComCtlVers->setText(core::GetComCtlVersionText());
    Pages->setCurrentWidget(VersionPage);
    const QString url = QStringLiteral("URL");
    WebSite->setText(core::ReadWinRegString(url, QStringLiteral("Web_Main"), QStringLiteral("www.dossara.org")));
    SalesMail->setText(core::ReadWinRegString(url, QStringLiteral("Mail_Sales"), QStringLiteral("sales@dossara.org")));
    SupportMail->setText(
        core::ReadWinRegString(url, QStringLiteral("Mail_Support"), QStringLiteral("support@dossara.org")));
}

void TAbout::LoadVersions() {
    VersionsList->clear();
    QFile f(QDir(Globals().ProgramFolder).filePath(QStringLiteral("Versions.txt")));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        new QTreeWidgetItem(VersionsList, {QString(), QStringLiteral("Version file not found.")});
        return;
    }
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const int eq = line.indexOf(u'=');
        new QTreeWidgetItem(VersionsList, eq < 0 ? QStringList{QString(), line} : QStringList{line.left(eq), line.mid(eq + 1)});
    }
}

QString TAbout::VersionsText() const {
    QString text;
    for (int i = 0; i < VersionsList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = VersionsList->topLevelItem(i);
        text += item->text(0) + u'\t' + item->text(1) + QStringLiteral("\r\n");
    }
    return text;
}

void TAbout::CopyVersionsBtnClick() { QApplication::clipboard()->setText(VersionsText()); }

void TAbout::ContactClick(QLineEdit* edit) {
    ContactURL->SetURL(edit->text());
    ContactURL->SetURLType(edit->text().contains(u'@') ? TURLType::utMailto : TURLType::utHttp);
    ContactURL->Execute();
}

bool TAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease)
        for (QLineEdit* e : {SalesMail, SupportMail, WebSite})
            if (watched == e) {
                ContactClick(e);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void ShowAbout(QWidget* parent) {
    TAbout about(parent);
    about.FormShow();
    ui::ExecModal(about);
}

void InstallAbout(QWidget* mainForm) {
    QPointer<QWidget> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_HelpAbout"), [form] { ShowAbout(form); });
}
