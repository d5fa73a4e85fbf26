// script-run: compiles one program of the script language from a file and runs it, with no
// window. Prints a function's result as its kind and text ("Integer 14"), or each syntax
// error as "line:column: code message" (columns from 1), or the run failure. ShowMessage
// prints "ShowMessage: <text>" and MessageBeep prints "MessageBeep".
//
//   script-run [--tree] [--timeout SECONDS] FILE
//   script-run [--timeout SECONDS] --module FILE --entry NAME
//
// --tree prints the compiled tree in its canonical text form instead of running.
// --module loads a code module into an empty report: a .ctm file (binary or text form, as
// the designer exports it) or the plain text form, in which each program follows a marker
// line: "//@ const", "//@ var", "//@ oncreate", "//@ ondestroy", "//@ global" or
// "//@ handler <object> <event>". The job-start programs run (every program is compiled,
// then the constants, the variables and GlobalOnCreate), then the global program named by
// --entry, then GlobalOnDestroy. A program that does not compile or run prints
// "Could not compile program: <name>" or "Could not run program: <name>" with its cause.
// Exit status: 0 ran (or printed the tree), 1 syntax errors, 2 run failure, 3 cancelled by
// the time limit, 64 wrong arguments, 66 the file cannot be read.

#include "report/script/calls.h"
#include "report/script/code_module.h"
#include "report/script/errors.h"
#include "report/script/program.h"
#include "report/script/run.h"
#include "report/script/tree_text.h"

#include "report/model/errors.h"
#include "report/model/report.h"
#include "platform/stream/stream_error.h"

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

/// Runs a code module: job start, the entry, job end. Exit status as for one program.
int runModule(const QByteArray& aBytes, const QString& aEntry, double aTimeoutSeconds) {
    script::RegisterCodeModuleClasses();
    TComponent form;
    auto* report = new TppReport(&form);
    auto* module = TppReportModule::CreateForReport<TraCodeModule>(report);
    try {
        int offset = 0;
        bool streamed = true;
        try {
            TppTemplate::FindStreamStart(aBytes, offset);
        } catch (const base::Exception&) {
            streamed = false;
        }
        if (streamed)
            module->Template()->LoadFromBytes(aBytes);
        else
            script::ReadCodeModuleText(*module, QString::fromUtf8(aBytes));
    } catch (const base::Exception& e) {
        print(e.Message());
        return 66;
    }
    for (const QString& warning : module->StreamWarnings())
        print(warning);
    TraProgram* entry = nullptr;
    script::RunResult result;
    try {
        Timeout timeout(aTimeoutSeconds);
        module->RunStartPrograms();
        entry = module->FindGlobalProgram(aEntry);
        if (!entry) {
            print(QStringLiteral("No global program named %1").arg(aEntry));
            module->RunEndPrograms();
            return 64;
        }
        result = script::RunProgram(*entry);
        module->RunEndPrograms();
    } catch (const ECodeError& e) {
        print(e.Message());
        return e.Message().startsWith(QStringLiteral("Could not compile")) ? 1 : 2;
    } catch (const script::CancelSignal&) {
        print(QStringLiteral("Cancelled"));
        return 3;
    }
    switch (result.outcome) {
    case script::Outcome::Done:
        if (result.hasValue)
            print(result.kind + QLatin1Char(' ') + result.text);
        return 0;
    case script::Outcome::Failed:
        print(QStringLiteral("Could not run program: ") + entry->ProgramName + QStringLiteral("\r\n") + result.failure);
        return 2;
    case script::Outcome::Cancelled:
        print(QStringLiteral("Cancelled"));
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool tree = false;
    double timeoutSeconds = 0;
    QString path, modulePath, entry;
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
        } else if (arg == QLatin1String("--module") && i + 1 < argc) {
            modulePath = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--entry") && i + 1 < argc) {
            entry = QString::fromLocal8Bit(argv[++i]);
        } else if (path.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            path = arg;
        } else {
            std::fprintf(stderr, "usage: script-run [--tree] [--timeout SECONDS] FILE\n");
            return 64;
        }
    }
    if (!modulePath.isEmpty()) {
        if (entry.isEmpty() || tree || !path.isEmpty()) {
            std::fprintf(stderr, "usage: script-run [--timeout SECONDS] --module FILE --entry NAME\n");
            return 64;
        }
        QFile moduleFile(modulePath);
        if (!moduleFile.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "script-run: cannot read %s\n", qPrintable(modulePath));
            return 66;
        }
        script::SetShowMessageHandler([](const QString& text) { print(QStringLiteral("ShowMessage: ") + text); });
        script::SetMessageBeepHandler([] { print(QStringLiteral("MessageBeep")); });
        return runModule(moduleFile.readAll(), entry, timeoutSeconds);
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
