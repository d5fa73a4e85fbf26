#pragma once

// The report library's view of the installed printers: the printer list with "Default"
// first, each printer's entry and its capabilities (papers and trays), reconciled with the
// paper tables so that the lists are index-aligned and always hold a "Custom" paper and a
// "Default" tray. The printers come from the catalogue of platform/print.

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace print {
struct DriverCapabilities;
}

/// The papers and trays of one printer: six index-aligned lists after reconciliation.
/// Paper sizes are tenths of a millimetre and codes page-size numbers, all as decimal texts.
/// The "Custom" paper (code 256) stands last; a "Default" tray (code 7) is always present.
class TppPrinterCapabilities {
public:
    TppPrinterCapabilities() = default;
    /// Reads the driver's lists and reconciles them.
    TppPrinterCapabilities(const QString& aPrinterName, const print::DriverCapabilities& aDriver);

    QString PrinterName;
    QStringList PaperNames;
    QStringList PaperCodes;
    QStringList PaperWidths;
    QStringList PaperHeights;
    QStringList BinNames;
    QStringList BinCodes;
    /// The resolutions the printer offers, in dots per inch (not reconciled).
    std::vector<int> Resolutions;

private:
    void reconcilePapers();
    void reconcileBins();
};

/// One installed printer (or "Default", or the placeholder "No Printer Installed"): its
/// names and, read on first use, its capabilities. Usable is cleared when the printer
/// cannot be printed on; Local is false for a printer reached over the network.
class TppPrinterInfo {
public:
    TppPrinterInfo(QString aName, QString aDriver, QString aDevice, QString aPort, bool aLocal);

    QString Name() const { return m_name; }
    QString Driver() const { return m_driver; }
    QString Device() const { return m_device; }
    QString Port() const { return m_port; }
    bool Usable() const { return m_usable; }
    void SetUsable(bool v) { m_usable = v; }
    bool Local() const { return m_local; }
    /// Read from the printer catalogue on first use.
    const TppPrinterCapabilities& Capabilities() const;

private:
    QString m_name;
    QString m_driver;
    QString m_device;
    QString m_port;
    bool m_usable = true;
    bool m_local = true;
    mutable std::unique_ptr<TppPrinterCapabilities> m_capabilities;
};

/// The printer names with their entries; entry 0 is "Default". Built once from the catalogue
/// (report::ResetPrinterList builds it again).
class TppPrinterList {
public:
    TppPrinterList();

    int Count() const { return int(m_entries.size()); }
    QStringList Names() const;
    TppPrinterInfo* Entry(int aIndex) const { return m_entries.at(size_t(aIndex)).get(); }
    /// The entry of a name: "Default" and "Current" resolve to the system's default printer;
    /// "<device> on <port>" to the printer of that device; an unknown name to the default
    /// printer; none when there is no default printer either.
    TppPrinterInfo* FindPrinter(const QString& aName) const;
    /// The name of the system's default printer as listed; empty when there is none.
    QString GetDefaultPrinterName() const;
    /// The name of the first entry whose device is aDevice (exact); empty when none.
    QString PrinterNameOfDevice(const QString& aDevice) const;

private:
    TppPrinterInfo* findName(const QString& aName) const;
    std::vector<std::unique_ptr<TppPrinterInfo>> m_entries;
    QString m_defaultDevice;
};

/// The global printer list, built on first use.
TppPrinterList* ppGetPrinterList();
/// The placeholder entry "No Printer Installed" (driver and device "None"), whose papers are
/// "Custom" (256) and whose trays "Default" (7).
TppPrinterInfo* ppGetNoPrinterInfo();

namespace report {
/// Frees the global printer list so that the next use reads the catalogue again; tells the
/// listeners first (the global printer holds entries of the list).
void ResetPrinterList();
/// Registers a function called before the printer list is freed.
void OnPrinterListReset(std::function<void()> aListener);
}  // namespace report
