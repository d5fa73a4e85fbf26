// script-run: compiles one program of the script language from a file and runs it, with no
// window. Prints a function's result as its kind and text ("Integer 14"), or each syntax
// error as "line:column: code message" (columns from 1), or the run failure. ShowMessage
// prints "ShowMessage: <text>" and MessageBeep prints "MessageBeep".
//
//   script-run [--tree] [--timeout SECONDS] FILE
//
// --tree prints the compiled tree in its canonical text form instead of running.
// Exit status: 0 ran (or printed the tree), 1 syntax errors, 2 run failure, 3 cancelled by
// the time limit, 64 wrong arguments, 66 the file cannot be read.

#include "report/script/calls.h"
#include "report/script/program.h"
#include "report/script/run.h"
#include "report/script/tree_text.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

/// Sets the cancel flag when the time is up, unless stopped first.
class Timeout {
public:
    explicit Timeout(double seconds) {
        script::CancelFlag() = false;
        if (seconds <= 0)
            return;
        m_thread = std::thread([this, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_stop.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_stopped; }))
                script::CancelFlag() = true;
        });
    }
    ~Timeout() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_stop.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopped = false;
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
    bool tree = false;
    double timeoutSeconds = 0;
    QString path;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--tree")) {
            tree = true;
        } else if (arg == QLatin1String("--timeout") && i + 1 < argc) {
            bool ok = false;
            timeoutSeconds = QString::fromLocal8Bit(argv[++i]).toDouble(&ok);
            if (!ok || timeoutSeconds <= 0) {
                std::fprintf(stderr, "script-run: --timeout needs a positive number of seconds\n");
                return 64;
            }
        } else if (path.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            path = arg;
        } else {
            std::fprintf(stderr, "usage: script-run [--tree] [--timeout SECONDS] FILE\n");
            return 64;
        }
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: script-run [--tree] [--timeout SECONDS] FILE\n");
        return 64;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "script-run: cannot read %s\n", argv[argc - 1]);
        return 66;
    }
    // No window: ShowMessage and MessageBeep print a line each.
    script::SetShowMessageHandler([](const QString& text) { print(QStringLiteral("ShowMessage: ") + text); });
    script::SetMessageBeepHandler([] { print(QStringLiteral("MessageBeep")); });
    TraProgram program;
    program.SetSource(QString::fromUtf8(file.readAll()));
    program.CompileProgram();
    if (program.HasErrors()) {
        for (int i = 0; i < program.SyntaxErrorCount(); ++i) {
            const TraSyntaxError* e = program.SyntaxErrors(i);
            const QString place = e->LineNo > 0 ? QStringLiteral("%1:%2").arg(e->LineNo).arg(e->CharPos + 1)
                                                : QStringLiteral("0:0");
            print(place + QStringLiteral(": ") + QString::number(e->ErrorCode) + QLatin1Char(' ') + e->Msg);
        }
        return 1;
    }
    if (tree) {
        std::fputs(script::TreeText(program).toUtf8().constData(), stdout);
        return 0;
    }
    script::RunResult result;
    {
        Timeout timeout(timeoutSeconds);
        result = script::RunProgram(program);
    }
    switch (result.outcome) {
    case script::Outcome::Done:
        if (result.hasValue)
            print(result.kind + QLatin1Char(' ') + result.text);
        return 0;
    case script::Outcome::Failed:
        print(result.failure);
        return 2;
    case script::Outcome::Cancelled:
        print(QStringLiteral("Cancelled"));
        return 3;
    }
    return 0;
}
