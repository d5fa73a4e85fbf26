#include "platform/ui/help.h"

#include "platform/ui/dialog_service.h"

#include <QDir>
#include <QFileInfo>

namespace ui {

namespace {
QString& helpFile() {
    static QString f;
    return f;
}
std::function<bool(const QString&)>& opener() {
    static std::function<bool(const QString&)> o;
    return o;
}
std::function<void()>& beeper() {
    static std::function<void()> b;
    return b;
}
}  // namespace

void HelpService::SetHelpFile(const QString& path) { helpFile() = path; }
QString HelpService::HelpFile() { return helpFile(); }

QString HelpService::PageFor(int context) {
    if (helpFile().isEmpty()) return {};
    const QDir folder = QFileInfo(helpFile()).absoluteDir();
    const QString name = context > 0 ? QString::number(context) + QStringLiteral(".html") : QStringLiteral("index.html");
    const QString page = folder.filePath(name);
    if (QFileInfo::exists(page)) return page;
    if (context > 0) {
        const QString index = folder.filePath(QStringLiteral("index.html"));
        if (QFileInfo::exists(index)) return index;
    }
    return {};
}

bool HelpService::ShowContext(int context) {
    const QString page = PageFor(context);
    if (!page.isEmpty() && opener() && opener()(page)) return true;
    Message(NoHelpText(), MessageKind::Information, Button::Ok, 0);
    return false;
}

QString HelpService::PageForKeyword(const QString& keyword) {
    if (helpFile().isEmpty()) return {};
    // A keyword names a page; anything that could leave the folder is not a keyword.
    if (keyword.isEmpty() || keyword.contains(QLatin1Char('/')) || keyword.contains(QLatin1Char('\\')) ||
        keyword.startsWith(QLatin1Char('.')))
        return PageFor(0);
    const QDir folder = QFileInfo(helpFile()).absoluteDir();
    const QString page = folder.filePath(keyword + QStringLiteral(".html"));
    return QFileInfo::exists(page) ? page : PageFor(0);
}

bool HelpService::ShowKeyword(const QString& keyword) {
    const QString page = PageForKeyword(keyword);
    if (!page.isEmpty() && opener() && opener()(page)) return true;
    Message(NoHelpText(), MessageKind::Information, Button::Ok, 0);
    return false;
}

void HelpService::SetPageOpener(std::function<bool(const QString&)> o) { opener() = std::move(o); }

QString NoHelpText() {
    return QStringLiteral("No help is installed for this program.");
}

void Beep() {
    if (beeper()) beeper()();
}

void SetBeeper(std::function<void()> b) { beeper() = std::move(b); }

}  // namespace ui
