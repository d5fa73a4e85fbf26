// The settings-table editor: splash window, main window, then the event loop. The first
// argument, when given, is the settings table to open instead of the most recent one.

#include "editor/gui/main_form.h"
#include "editor/gui/splash_screen.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/gui/widget_dialog_service.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationVersion(QStringLiteral(DOSSARA_VERSION));
    // The per-user settings are shared with the records manager: one store for both programs.
    settings::SetConfigRoot(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                .filePath(QStringLiteral("dossara")));
    ui::InstallGuiServices();

    auto* splash = new TSplashScreen;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    TMainForm mainForm;
    splash->CloseSplash();

    const QStringList args = QApplication::arguments();
    mainForm.show();
    if (!mainForm.Setup(args.size() > 1 ? args.at(1) : QString())) return 0;
    return QApplication::exec();
}
