#include "platform/ui/run_guarded.h"

#include <QLoggingCategory>

namespace ui {

namespace {

Q_LOGGING_CATEGORY(lcUi, "dossara.ui")

/// "TMainForm MainForm" (class and object name) or "no object".
QString describe(const QObject* context) {
    if (!context) return QStringLiteral("no object");
    const QString cls = QString::fromLatin1(context->metaObject()->className());
    return context->objectName().isEmpty() ? cls : cls + u' ' + context->objectName();
}

}  // namespace

void ReportException(const std::exception& e, const QObject* context) {
    if (const auto* own = dynamic_cast<const base::Exception*>(&e)) {
        qCInfo(lcUi).noquote() << "an event handler of" << describe(context) << "failed:" << own->Message();
        Message(own->Message(), MessageKind::Error, Button::Ok, own->HelpContext());
        return;
    }
    qCInfo(lcUi).noquote() << "an event handler of" << describe(context) << "failed:" << QString::fromUtf8(e.what());
    Message(QString::fromUtf8(e.what()), MessageKind::Error, Button::Ok, 0);
}

void ReportUnknownException(const QObject* context) {
    qCInfo(lcUi).noquote() << "an event handler of" << describe(context) << "failed with an unknown exception";
    Message(QStringLiteral("An unexpected error occurred."), MessageKind::Error, Button::Ok, 0);
}

}  // namespace ui
