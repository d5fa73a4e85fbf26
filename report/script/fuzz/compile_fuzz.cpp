// Lexes and compiles arbitrary text as a program: it must never crash, and every syntax
// error it reports must lie inside the text.

#include "report/script/program.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    TraParser lexer;
    lexer.SkipComments = false;
    lexer.SkipQuotes = false;
    lexer.Parse(source);

    TraProgram program;
    program.SetSource(source);
    program.CompileProgram();
    const QStringList lines = program.Source().split(QStringLiteral("\r\n"));
    for (int i = 0; i < program.SyntaxErrorCount(); ++i) {
        const TraSyntaxError* e = program.SyntaxErrors(i);
        if (e->LineNo == 0 && e->CharPos == 0)
            continue;  // no position (an empty source)
        if (e->LineNo < 1 || e->LineNo > lines.size())
            std::abort();
        if (e->CharPos < 0 || e->CharPos > lines[e->LineNo - 1].toUcs4().size())
            std::abort();
    }
    return 0;
}
