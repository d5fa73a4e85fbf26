#include "platform/print/printer_catalog.h"

#include "platform/print/internal/cups_catalog.h"

#include <QHash>

namespace print {
namespace {
std::unique_ptr<PrinterCatalog>& installed() {
    static std::unique_ptr<PrinterCatalog> catalog;
    return catalog;
}
}  // namespace

const PrinterCatalog& Catalog() {
    if (!installed()) installed() = std::make_unique<internal::CupsCatalog>();
    return *installed();
}

void InstallCatalog(std::unique_ptr<PrinterCatalog> catalog) {
    installed() = std::move(catalog);
}

int BinCodeOfMediaSource(const QString& keyword, int userIndex) {
    static const QHash<QString, int> codes = {
        {QStringLiteral("auto"), 7},          {QStringLiteral("manual"), 4},
        {QStringLiteral("main"), 1},          {QStringLiteral("top"), 1},
        {QStringLiteral("upper"), 1},         {QStringLiteral("tray-1"), 1},
        {QStringLiteral("lower"), 2},         {QStringLiteral("bottom"), 2},
        {QStringLiteral("tray-2"), 2},        {QStringLiteral("middle"), 3},
        {QStringLiteral("tray-3"), 3},        {QStringLiteral("envelope"), 5},
        {QStringLiteral("large-capacity"), 11}, {QStringLiteral("continuous"), 8},
    };
    const auto it = codes.constFind(keyword.toLower());
    return it != codes.constEnd() ? it.value() : 256 + userIndex;
}

QString BinNameOfMediaSource(const QString& keyword) {
    QStringList words = keyword.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    for (QString& w : words) w[0] = w[0].toUpper();
    return words.join(QLatin1Char(' '));
}

}  // namespace print
