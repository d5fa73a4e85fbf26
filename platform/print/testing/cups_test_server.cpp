#include "platform/print/testing/cups_test_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace print::testing {
namespace {

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

bool writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

// A PDF queue: jobs pass unchanged (the copying filter) to the queue's file; three papers, three
// trays and two resolutions, so that capabilities can be checked against it.
const char* const kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "DOSSPDF.PPD"
*Manufacturer: "Dossara"
*Product: "(Dossara Test PDF)"
*ModelName: "Dossara Test PDF"
*ShortNickName: "Dossara Test PDF"
*NickName: "Dossara Test PDF"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Legal/US Legal: "<</PageSize[612 1008]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Legal/US Legal: "<</PageSize[612 1008]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea Letter/US Letter: "18 18 594 774"
*ImageableArea A4/A4: "18 18 577 824"
*ImageableArea Legal/US Legal: "18 18 594 990"
*DefaultPaperDimension: A4
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension A4/A4: "595 842"
*PaperDimension Legal/US Legal: "612 1008"
*OpenUI *InputSlot/Media Source: PickOne
*OrderDependency: 10 AnySetup *InputSlot
*DefaultInputSlot: Auto
*InputSlot Auto/Automatic: ""
*InputSlot Manual/Manual Feed: ""
*InputSlot Lower/Lower Tray: ""
*CloseUI: *InputSlot
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 600dpi
*Resolution 300dpi/300 DPI: ""
*Resolution 600dpi/600 DPI: ""
*CloseUI: *Resolution
)PPD";

}  // namespace

CupsTestServer::CupsTestServer() = default;

CupsTestServer::~CupsTestServer() {
    if (m_cupsd) {
        m_cupsd->terminate();
        if (!m_cupsd->waitForFinished(5000)) {
            m_cupsd->kill();
            m_cupsd->waitForFinished(2000);
        }
    }
    if (m_port) {
        if (m_hadServer) qputenv("CUPS_SERVER", m_oldServer);
        else qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
}

QString CupsTestServer::Address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString CupsTestServer::OutputFile() const {
    return m_dir.filePath(QStringLiteral("out/job.pdf"));
}

bool CupsTestServer::runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = QStringLiteral("%1 %2 failed: %3").arg(program, args.join(QLatin1Char(' ')),
                                                          QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool CupsTestServer::Start() {
    const QString cupsd = QFileInfo::exists(QStringLiteral("/usr/sbin/cupsd")) ? QStringLiteral("/usr/sbin/cupsd")
                                                                              : QStandardPaths::findExecutable(QStringLiteral("cupsd"));
    if (cupsd.isEmpty()) {
        m_error = QStringLiteral("the CUPS scheduler (cupsd) is not installed");
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    const QDir dir(m_dir.path());
    // The scheduler runs its filters as an unprivileged user, who must reach the spool.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
    for (const char* sub : {"spool", "spool/tmp", "cache", "state", "log", "out", "ppd"}) dir.mkpath(QString::fromLatin1(sub));
    m_port = freeLoopbackPort();
    if (!m_port) {
        m_error = QStringLiteral("no free loopback port");
        return false;
    }
    const QByteArray root = m_dir.path().toLocal8Bit();
    const QByteArray conf = QByteArray("Listen 127.0.0.1:") + QByteArray::number(m_port) +
                            "\nLogLevel warn\nBrowsing Off\nWebInterface No\nDefaultAuthType None\n"
                            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    const QByteArray files = "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nTempDir " + root +
                             "/spool/tmp\nCacheDir " + root + "/cache\nStateDir " + root + "/state\nErrorLog " + root +
                             "/log/error_log\nAccessLog " + root + "/log/access_log\nPageLog " + root +
                             "/log/page_log\nDataDir /usr/share/cups\nServerBin /usr/lib/cups\n"
                             "FileDevice Yes\nSandboxing Relaxed\n";
    if (!writeFile(dir.filePath(QStringLiteral("cupsd.conf")), conf) ||
        !writeFile(dir.filePath(QStringLiteral("cups-files.conf")), files) ||
        !writeFile(dir.filePath(QStringLiteral("ppd/queue.ppd")), kPpd)) {
        m_error = QStringLiteral("cannot write the scheduler's configuration");
        return false;
    }
    m_cupsd = std::make_unique<QProcess>();
    m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd->start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), dir.filePath(QStringLiteral("cupsd.conf")),
                           QStringLiteral("-s"), dir.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd->waitForStarted(5000)) {
        m_error = QStringLiteral("cupsd did not start: %1").arg(m_cupsd->errorString());
        return false;
    }
    m_hadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
    m_oldServer = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", Address().toLatin1());
    cupsSetServer(Address().toLatin1().constData());
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (m_cupsd->state() != QProcess::Running) {
            QFile log(dir.filePath(QStringLiteral("log/error_log")));
            log.open(QIODevice::ReadOnly);
            m_error = QStringLiteral("cupsd stopped: %1 %2")
                          .arg(QString::fromLocal8Bit(m_cupsd->readAll()).trimmed(),
                               QString::fromLocal8Bit(log.readAll()).trimmed().right(400));
            return false;
        }
        QProcess probe;
        probe.start(QStringLiteral("lpstat"), {QStringLiteral("-h"), Address(), QStringLiteral("-r")});
        if (probe.waitForFinished(3000) && probe.exitCode() == 0 &&
            probe.readAllStandardOutput().contains("scheduler is running"))
            return true;
        QThread::msleep(100);
    }
    m_error = QStringLiteral("cupsd did not answer on %1").arg(Address());
    return false;
}

bool CupsTestServer::AddPdfQueue(const QString& name, bool makeDefault) {
    if (!runTool(QStringLiteral("lpadmin"),
                 {QStringLiteral("-h"), Address(), QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("file://") + OutputFile(), QStringLiteral("-P"),
                  QDir(m_dir.path()).filePath(QStringLiteral("ppd/queue.ppd"))}))
        return false;
    if (makeDefault && !runTool(QStringLiteral("lpadmin"), {QStringLiteral("-h"), Address(), QStringLiteral("-d"), name}))
        return false;
    return true;
}

bool CupsTestServer::WaitForJobsDone(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QProcess p;
        p.start(QStringLiteral("lpstat"), {QStringLiteral("-h"), Address(), QStringLiteral("-o")});
        if (p.waitForFinished(3000) && p.exitCode() == 0 && p.readAllStandardOutput().trimmed().isEmpty() &&
            QFileInfo(OutputFile()).size() > 0)
            return true;
        QThread::msleep(100);
    }
    m_error = QStringLiteral("the job did not finish");
    return false;
}

}  // namespace print::testing
