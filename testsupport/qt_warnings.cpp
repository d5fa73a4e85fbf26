#include "testsupport/qt_warnings.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QMutex>

#include <cstdio>
#include <vector>

namespace testsupport {

bool matchExpectedWarning(const QString& text);

namespace {
QMutex& guardMutex() {
    static QMutex m;
    return m;
}
std::vector<ExpectQtWarning*>& guards() {
    static std::vector<ExpectQtWarning*> g;
    return g;
}

// Noise from the platform, not from our code.
bool isPlatformNoise(const QString& text) {
    static const char* const kNoise[] = {
        "XDG_RUNTIME_DIR",
        "propagateSizeHints",
        "QFont::setPointSizeF: Point size <= 0",
        "This plugin does not support",
        "Could not connect to any X display",
        "QStandardPaths:",
    };
    for (const char* n : kNoise)
        if (text.contains(QLatin1String(n))) return true;
    return false;
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const QByteArray local = text.toLocal8Bit();
    std::fprintf(stderr, "%s\n", local.constData());
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (type == QtFatalMsg) std::abort();
    if (isPlatformNoise(text)) return;
    if (matchExpectedWarning(text)) return;
    // Logging categories of our own at warning level are part of normal error reporting.
    if (context.category && QByteArray(context.category).startsWith("dossara.") && type == QtWarningMsg) return;
    ADD_FAILURE() << "unexpected Qt message: " << local.constData();
}
}  // namespace

bool matchExpectedWarning(const QString& text) {
    QMutexLocker lock(&guardMutex());
    for (auto* g : guards()) {
        if (g->m_pattern.match(text).hasMatch()) {
            ++g->m_seen;
            return true;
        }
    }
    return false;
}

ExpectQtWarning::ExpectQtWarning(const QString& pattern) : m_pattern(pattern) {
    QMutexLocker lock(&guardMutex());
    guards().push_back(this);
}

ExpectQtWarning::~ExpectQtWarning() {
    {
        QMutexLocker lock(&guardMutex());
        std::erase(guards(), this);
    }
    EXPECT_GT(m_seen, 0) << "expected a Qt warning matching " << m_pattern.pattern();
}

void InstallQtMessageHandler() { qInstallMessageHandler(handler); }

}  // namespace testsupport
