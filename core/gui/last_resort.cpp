#include "core/gui/last_resort.h"

#include "platform/db/db_error.h"
#include "platform/format/errors.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"

#include <QCursor>
#include <QGuiApplication>

#include <new>

namespace core {

namespace {
void show(const QString& text, int helpContext, ui::MessageKind kind = ui::MessageKind::Error) {
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    ui::Beep();
    ui::Message(text, kind, ui::Button::Ok, helpContext);
    QGuiApplication::restoreOverrideCursor();
}
}  // namespace

void ShowLastResortError(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        show(QStringLiteral("You have run out of available memory.\rClose one or more windows and try again."), 10054);
    } else if (const auto* conversion = dynamic_cast<const format::EConvertError*>(&error)) {
        show(QStringLiteral("Conversion error: ") + conversion->Message(), 10055);
    } else if (const auto* engine = dynamic_cast<const db::EDBEngineError*>(&error)) {
        if (engine->Code() == db::ErrorCode::kKeyViolation) {
            show(QStringLiteral("The record you are trying to save already exists. The record cannot be saved in its "
                                "current form. Change some part of the key data and try again."),
                 10058);
        } else {
            const int code = engine->ErrorCount() > 0 ? engine->Errors(0).ErrorCode : engine->Code();
            const QString message = engine->ErrorCount() > 0 ? engine->Errors(0).Message : engine->Message();
            show(QStringLiteral("A Database Engine error has occurred.\r\rExit Dossara and restart before "
                                "continuing.\r\rMessage: [Code %1: %2]")
                     .arg(code)
                     .arg(message),
                 10059);
        }
    } else {
        QString message;
        if (const auto* own = dynamic_cast<const base::Exception*>(&error))
            message = own->Message();
        else
            message = QString::fromUtf8(error.what());
        show(QStringLiteral("A system error has occured.\r\rExit Dossara and restart before continuing.\r\r"
                            "Message: [%1]")
                 .arg(message),
             10060);
    }
}

void ShowLastResortUnknownError() {
    show(QStringLiteral("A system error has occured.\r\rExit Dossara and restart before continuing.\r\r"
                        "Message: [Unknown error]"),
         10060);
}

}  // namespace core
