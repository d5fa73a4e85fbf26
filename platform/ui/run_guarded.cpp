#include "platform/ui/run_guarded.h"

namespace ui {

void ReportException(const std::exception& e) {
    if (const auto* own = dynamic_cast<const base::Exception*>(&e)) {
        Message(own->Message(), MessageKind::Error, Button::Ok, own->HelpContext());
        return;
    }
    Message(QString::fromUtf8(e.what()), MessageKind::Error, Button::Ok, 0);
}

void ReportUnknownException() {
    Message(QStringLiteral("An unexpected error occurred."), MessageKind::Error, Button::Ok, 0);
}

}  // namespace ui
