#include "core/web_link.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& opener() {
    static std::function<bool(const QString&)> open = [](const QString& address) {
        return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    };
    return open;
}
}  // namespace

TURL::TURL(QObject* owner) : QObject(owner) {}

QString TURL::Prefix(TURLType type) {
    switch (type) {
    case TURLType::utFile: return QStringLiteral("file://");
    case TURLType::utFtp: return QStringLiteral("ftp://");
    case TURLType::utGopher: return QStringLiteral("gopher://");
    case TURLType::utHttp: return QStringLiteral("http://");
    case TURLType::utHttps: return QStringLiteral("https://");
    case TURLType::utMailto: return QStringLiteral("mailto:");
    case TURLType::utNews: return QStringLiteral("news:");
    case TURLType::utTelnet: return QStringLiteral("telnet:");
    case TURLType::utWais: return QStringLiteral("wais:");
    }
    return {};
}

bool TURL::Execute() {
    if (m_url.isEmpty()) return false;
    return opener()(FullAddress());
}

void TURL::SetOpener(std::function<bool(const QString&)> open) {
    opener() = open ? std::move(open) : [](const QString& address) {
        return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    };
}
