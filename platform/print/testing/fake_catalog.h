#pragma once

#include "platform/print/printer_catalog.h"

#include <functional>
#include <map>

namespace print::testing {

/// A printer catalogue described by the test: printers with their capabilities, a default,
/// and printers that print into PDF files. Installed with print::InstallCatalog; ScopedCatalog puts the system's back.
class FakeCatalog final : public PrinterCatalog {
public:
    std::vector<PrinterEntry> printers;
    QString defaultPrinter;
    std::map<QString, DriverCapabilities> capabilities;
    /// Printers whose documents go into a PDF file instead of a queue.
    std::map<QString, QString> pdfFiles;

    std::vector<PrinterEntry> Printers() const override { return printers; }
    QString DefaultPrinterName() const override { return defaultPrinter; }
    DriverCapabilities Capabilities(const QString& name) const override {
        const auto it = capabilities.find(name);
        return it != capabilities.end() ? it->second : DriverCapabilities{};
    }
    QString PdfOutputFor(const QString& name) const override {
        const auto it = pdfFiles.find(name);
        return it != pdfFiles.end() ? it->second : QString();
    }
};

/// Installs a catalogue for its lifetime and calls `reset` (the report library's printer
/// list reset) after installing and after removing it.
class ScopedCatalog {
public:
    ScopedCatalog(std::unique_ptr<PrinterCatalog> catalog, std::function<void()> reset)
        : m_reset(std::move(reset)) {
        InstallCatalog(std::move(catalog));
        if (m_reset) m_reset();
    }
    ~ScopedCatalog() {
        InstallCatalog(nullptr);
        if (m_reset) m_reset();
    }
    ScopedCatalog(const ScopedCatalog&) = delete;
    ScopedCatalog& operator=(const ScopedCatalog&) = delete;

private:
    std::function<void()> m_reset;
};

}  // namespace print::testing
