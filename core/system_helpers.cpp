#include "core/system_helpers.h"

#include "platform/base/exception.h"
#include "platform/db/db_error.h"
#include "platform/ui/dialog_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#ifndef DOSSARA_VERSION
#error "DOSSARA_VERSION must be set by the build from the project version"
#endif

namespace core {

QString GetVersionString(const QString& name) {
    if (name == QStringLiteral("ProductVersion") || name == QStringLiteral("FileVersion"))
        return QStringLiteral(DOSSARA_VERSION);
    if (name == QStringLiteral("ProductName")) return QStringLiteral("Dossara");
    return QStringLiteral("<Unknown>");
}

QString GetComCtlVersionText() {
    return QStringLiteral("%1.%2").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR);
}

void CheckComCtlVersion(int major, int minor) {
    if (QT_VERSION_MAJOR > major || (QT_VERSION_MAJOR == major && QT_VERSION_MINOR >= minor)) return;
    ui::Message(QStringLiteral("This program requires version %1.%2 (or higher) of the Microsoft \"ComCtl32.DLL\" "
                               "file. Your system has version %3, so some items in Dossara may not display "
                               "properly. Press F1 for help on correcting this problem.")
                    .arg(major).arg(minor).arg(GetComCtlVersionText()),
                ui::MessageKind::Warning, ui::Button::Ok, 10009);
}

QString GetEngineErrorText(int code) { return db::EngineErrorText(code); }

void ShowTableUpdateError(const std::exception& error, const QString& tableName, const QString& text) {
    QString detail;
    if (const auto* engine = dynamic_cast<const db::EDBEngineError*>(&error)) {
        detail = QStringLiteral("[%1] %2").arg(engine->Code()).arg(GetEngineErrorText(engine->Code()));
    } else if (const auto* own = dynamic_cast<const base::Exception*>(&error)) {
        detail = own->Message();
    } else {
        detail = QString::fromUtf8(error.what());
    }
    ui::Message(QStringLiteral("An error occurred while updating the %1 table: \"%2\". %3\n\nPress F1 for more "
                               "information.").arg(tableName, detail, text),
                ui::MessageKind::Error, ui::Button::Ok, 10004);
}

void DelayWithMessages(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

}  // namespace core
