#include "report/page/printer_list.h"

#include "report/page/paper_tables.h"

#include "platform/print/printer_catalog.h"

namespace {

std::unique_ptr<TppPrinterList>& globalList() {
    static std::unique_ptr<TppPrinterList> list;
    return list;
}

std::vector<std::function<void()>>& resetListeners() {
    static std::vector<std::function<void()>> listeners;
    return listeners;
}

const QString kDefault = QStringLiteral("Default");
const QString kCustom = QStringLiteral("Custom");

}  // namespace

// TppPrinterCapabilities --------------------------------------------------------------------

TppPrinterCapabilities::TppPrinterCapabilities(const QString& aPrinterName, const print::DriverCapabilities& aDriver)
    : PrinterName(aPrinterName), PaperNames(aDriver.paperNames), BinNames(aDriver.binNames),
      Resolutions(aDriver.resolutionsDpi) {
    for (int code : aDriver.paperCodes) PaperCodes << QString::number(code);
    for (const QSize& size : aDriver.paperSizesTenthsMm) {
        PaperWidths << QString::number(size.width());
        PaperHeights << QString::number(size.height());
    }
    for (int code : aDriver.binCodes) BinCodes << QString::number(code);
    reconcilePapers();
    reconcileBins();
}

void TppPrinterCapabilities::reconcilePapers() {
    // 1. Names follow the codes.
    while (PaperNames.size() > PaperCodes.size()) PaperNames.removeLast();
    if (PaperCodes.size() > PaperNames.size()) {
        PaperNames.clear();
        for (int i = 0; i < PaperCodes.size(); ++i) {
            const int code = PaperCodes.at(i).toInt();
            QString name = report::PaperTableName(code);
            if (name == QLatin1String("Unknown")) {
                if (i < PaperWidths.size() && i < PaperHeights.size())
                    name = QStringLiteral("%1 x %2 mm").arg(PaperWidths.at(i).toInt() / 10).arg(PaperHeights.at(i).toInt() / 10);
                else
                    name = QStringLiteral("Unknown: %1").arg(code);
            }
            PaperNames << name;
        }
    }
    // 2. The custom entry: code 256, else the first name with "CUSTOM" or "USER".
    int custom = int(PaperCodes.indexOf(QStringLiteral("256")));
    if (custom < 0) {
        for (int i = 0; i < PaperNames.size(); ++i) {
            const QString upper = PaperNames.at(i).toUpper();
            if (upper.contains(QLatin1String("CUSTOM")) || upper.contains(QLatin1String("USER"))) {
                custom = i;
                break;
            }
        }
    }
    if (custom >= 0 && custom < PaperNames.size()) {
        PaperNames[custom] = kCustom;
    } else {
        PaperNames << kCustom;
        PaperCodes << QStringLiteral("256");
        custom = int(PaperNames.size()) - 1;
    }
    // 3. Sizes the driver left out come from the table.
    for (int i = 0; i < PaperCodes.size(); ++i) {
        if (i < PaperWidths.size() && i < PaperHeights.size()) continue;
        const QSize size = report::PaperTableSizeTenthsMm(PaperCodes.at(i).toInt());
        if (i < PaperWidths.size()) PaperWidths[i] = QString::number(size.width());
        else PaperWidths << QString::number(size.width());
        if (i < PaperHeights.size()) PaperHeights[i] = QString::number(size.height());
        else PaperHeights << QString::number(size.height());
    }
    // 4. Papers without a size are dropped, except "Custom".
    for (int i = int(PaperCodes.size()) - 1; i >= 0; --i) {
        if (PaperNames.at(i) == kCustom) continue;
        if (PaperWidths.at(i) != QLatin1String("0") && PaperHeights.at(i) != QLatin1String("0")) continue;
        PaperCodes.removeAt(i);
        PaperWidths.removeAt(i);
        PaperHeights.removeAt(i);
        PaperNames.removeAt(i);
        if (i < custom) --custom;
    }
    // 5. "Custom" stands last.
    custom = int(PaperNames.indexOf(kCustom));
    if (custom >= 0 && custom != PaperNames.size() - 1) {
        for (QStringList* list : {&PaperNames, &PaperCodes, &PaperWidths, &PaperHeights}) list->move(custom, list->size() - 1);
    }
}

void TppPrinterCapabilities::reconcileBins() {
    while (BinNames.size() > BinCodes.size()) BinNames.removeLast();
    while (BinCodes.size() > BinNames.size()) BinCodes.removeLast();
    if (!BinNames.contains(kDefault)) {
        BinNames.prepend(kDefault);
        BinCodes.prepend(QStringLiteral("7"));
    }
}

// TppPrinterInfo ----------------------------------------------------------------------------

TppPrinterInfo::TppPrinterInfo(QString aName, QString aDriver, QString aDevice, QString aPort, bool aLocal)
    : m_name(std::move(aName)), m_driver(std::move(aDriver)), m_device(std::move(aDevice)), m_port(std::move(aPort)),
      m_local(aLocal) {}

const TppPrinterCapabilities& TppPrinterInfo::Capabilities() const {
    if (!m_capabilities) {
        print::DriverCapabilities driver;
        if (!m_device.isEmpty() && m_device != QLatin1String("None")) driver = print::Catalog().Capabilities(m_device);
        m_capabilities = std::make_unique<TppPrinterCapabilities>(m_name, driver);
    }
    return *m_capabilities;
}

// TppPrinterList ----------------------------------------------------------------------------

TppPrinterList::TppPrinterList() {
    const print::PrinterCatalog& catalog = print::Catalog();
    for (const print::PrinterEntry& p : catalog.Printers())
        m_entries.push_back(std::make_unique<TppPrinterInfo>(p.name, QString(), p.name, QString(), !p.network));
    m_entries.insert(m_entries.begin(), std::make_unique<TppPrinterInfo>(kDefault, QString(), QString(), QString(), true));
    m_defaultDevice = catalog.DefaultPrinterName();
}

QStringList TppPrinterList::Names() const {
    QStringList names;
    for (const auto& e : m_entries) names << e->Name();
    return names;
}

TppPrinterInfo* TppPrinterList::findName(const QString& aName) const {
    if (aName.isEmpty()) return nullptr;
    for (const auto& e : m_entries)
        if (e->Name().compare(aName, Qt::CaseInsensitive) == 0) return e.get();
    return nullptr;
}

QString TppPrinterList::GetDefaultPrinterName() const {
    const QString device = m_defaultDevice.section(QLatin1Char(','), 0, 0);
    return device.isEmpty() ? QString() : PrinterNameOfDevice(device);
}

QString TppPrinterList::PrinterNameOfDevice(const QString& aDevice) const {
    for (const auto& e : m_entries)
        if (!e->Device().isEmpty() && e->Device() == aDevice) return e->Name();
    return QString();
}

TppPrinterInfo* TppPrinterList::FindPrinter(const QString& aName) const {
    const bool isDefault = aName.compare(kDefault, Qt::CaseInsensitive) == 0 ||
                           aName.compare(QLatin1String("Current"), Qt::CaseInsensitive) == 0;
    if (TppPrinterInfo* hit = findName(isDefault ? GetDefaultPrinterName() : aName)) return hit;
    if (aName.contains(QLatin1String("on"))) {
        const int at = int(aName.indexOf(QLatin1String(" on")));
        const QString device = at >= 0 ? aName.left(at) : QString();
        if (TppPrinterInfo* hit = findName(PrinterNameOfDevice(device))) return hit;
    }
    return findName(GetDefaultPrinterName());
}

TppPrinterList* ppGetPrinterList() {
    if (!globalList()) globalList() = std::make_unique<TppPrinterList>();
    return globalList().get();
}

TppPrinterInfo* ppGetNoPrinterInfo() {
    static TppPrinterInfo placeholder(QStringLiteral("No Printer Installed"), QStringLiteral("None"),
                                      QStringLiteral("None"), QString(), true);
    return &placeholder;
}

namespace report {

void ResetPrinterList() {
    for (const auto& listener : resetListeners()) listener();
    globalList().reset();
}

void OnPrinterListReset(std::function<void()> aListener) {
    resetListeners().push_back(std::move(aListener));
}

}  // namespace report
