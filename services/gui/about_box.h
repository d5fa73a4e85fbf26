#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QWidget;
class TURL;

/// "About Dossara": the program's version, the versions of its installed components (read
/// from "Versions.txt" in the program's folder when the Versions page opens), contact links,
/// the legal notices, the credits and the memory of the machine.
class TAbout : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);

    QTabWidget* Pages;
    QWidget* VersionPage;
    QLabel* About_Version;
    QWidget* VersionsPage;
    QToolButton* CopyVersionsBtn;
    QTreeWidget* VersionsList;
    QWidget* Contacts;
    QLineEdit *SalesMail, *SupportMail, *WebSite;
    QWidget* Copyright;
    QPushButton* OtherBtn;
    QWidget* Credits;
    QTreeWidget* CreditsTree;
    QWidget* System;
    QLabel *PhysMem, *AvailMem, *ComCtlVers;
    TURL* ContactURL;

    /// The show handler: version, memory, common-controls version, contacts; the About page.
    void FormShow();
    /// Fills the Versions list from "Versions.txt" (or the not-found row).
    void LoadVersions();
    /// The whole list as text: component, tab, version and CR LF per row.
    QString VersionsText() const;
    void CopyVersionsBtnClick();
    /// Opens the contact of the edit as a mail address (with "@") or a web address.
    void ContactClick(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

/// Shows the about box modally.
void ShowAbout(QWidget* parent = nullptr);

/// Registers "A_HelpAbout".
void InstallAbout(QWidget* mainForm);

namespace services {

/// Total and available physical memory in kilobytes, from /proc/meminfo (MemTotal and
/// MemAvailable); 0 for a figure that cannot be read.
struct MemoryStatus {
    qint64 totalKB = 0;
    qint64 availableKB = 0;
};
MemoryStatus ReadMemoryStatus(const QString& meminfoPath = QStringLiteral("/proc/meminfo"));

}  // namespace services
