#pragma once

// This process's memory, as the memory benchmarks report it: anonymous resident memory
// (resident minus shared pages of /proc/self/statm: heap and stacks, without the pages of
// mapped files, which the system can reclaim) sampled every millisecond, and the peak
// resident memory the kernel recorded (VmHWM of /proc/self/status: every resident page,
// mapped table pages included, since the process started).

#include <QFile>
#include <QList>
#include <QByteArray>

#include <atomic>
#include <chrono>
#include <thread>

#include <unistd.h>

namespace benchmemory {

/// Anonymous resident bytes of this process now.
inline qint64 AnonymousBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    if (parts.size() < 3) return 0;
    return (parts[1].toLongLong() - parts[2].toLongLong()) * sysconf(_SC_PAGESIZE);
}

/// A "Vm...:" line of /proc/self/status in bytes (VmHWM: the peak resident set; VmRSS:
/// the resident set now).
inline qint64 StatusBytes(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

inline qint64 PeakResidentBytes() { return StatusBytes("VmHWM:"); }

/// Samples AnonymousBytes() every millisecond while it lives.
class PeakSampler {
public:
    PeakSampler() : m_thread([this] {
        while (!m_stop.load()) {
            sample();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }) {}
    ~PeakSampler() { stop(); }
    /// Stops sampling; answers the peak.
    qint64 stop() {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        sample();
        return m_peak.load();
    }

private:
    void sample() {
        const qint64 now = AnonymousBytes();
        qint64 peak = m_peak.load();
        while (now > peak && !m_peak.compare_exchange_weak(peak, now)) {}
    }
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_peak{0};
    std::thread m_thread;
};

}  // namespace benchmemory
