#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

namespace print::testing {

/// A CUPS scheduler of the test's own: configuration, spool and logs in a temporary folder,
/// listening on a free loopback port, never the system's. Start() points libcups (and so Qt
/// Print Support) at it through CUPS_SERVER; the destructor stops it and restores the
/// variable. AddPdfQueue creates a queue whose jobs land unchanged (PDF as Qt makes it) in a
/// file of the temporary folder, with the papers, trays and resolutions of a small PPD.
class CupsTestServer {
public:
    CupsTestServer();
    ~CupsTestServer();

    /// Answers false, with the reason in Error(), when the scheduler cannot run here.
    bool Start();
    QString Error() const { return m_error; }
    QString Address() const;  ///< "127.0.0.1:<port>"

    /// Adds an enabled queue that writes each job to OutputFile(); answers false with
    /// Error() set on failure. `makeDefault` makes it the server's default printer.
    bool AddPdfQueue(const QString& name, bool makeDefault);
    QString OutputFile() const;
    /// Waits until the server reports no unfinished job and the output file has content.
    bool WaitForJobsDone(int timeoutMs);

private:
    bool runTool(const QString& program, const QStringList& args);
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_cupsd;
    int m_port = 0;
    QString m_error;
    QByteArray m_oldServer;
    bool m_hadServer = false;
};

}  // namespace print::testing
