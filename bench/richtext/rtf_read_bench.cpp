// Reading RTF into a document, beside a plain pass over the same bytes.
//
// The document is generated from the copyright texts under /usr/share/doc: long
// paragraphs (about 20,000 characters) in which the formatting changes every few words
// (bold, italic, underline, colours, sizes, fonts, as a word processor or a source
// highlighter writes them), until it holds 2 MB of RTF.
//
//   build/bench/dossara_richtext_bench
//
// RtfRead/ReadRtf reads the document into a QTextDocument; RtfRead/PlainPass walks the
// same bytes once as the leanest RTF text extraction would (control words skipped,
// groups counted, text and \uN characters gathered into a QString). The counter
// "vs_plain" of ReadRtf is its time over the plain pass's on the same document.
// RtfRead/BuildDocument builds the same document straight from its paragraphs and runs
// (taken from the reader beforehand) in one edit block, as the cheapest way to make it;
// "vs_build" is ReadRtf's time over that. Both baselines run first. Freeing the document
// is left out of every time.

#include "platform/richtext/rtf_reader.h"

#include <benchmark/benchmark.h>

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cctype>
#include <chrono>
#include <map>
#include <memory>

namespace {

constexpr qsizetype kParagraphChars = 20000;

/// The words of the copyright texts under /usr/share/doc, in a fixed order.
QStringList sourceWords() {
    QStringList files;
    QDirIterator it(QStringLiteral("/usr/share/doc"), {QStringLiteral("copyright")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    QStringList words;
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        words += QString::fromUtf8(f.readAll()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.size() > 400000) break;
    }
    if (words.isEmpty()) qFatal("No copyright texts found under /usr/share/doc");
    return words;
}

void appendRtfText(QByteArray& out, const QString& text) {
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0x80) {
            out += "\\u" + QByteArray::number(static_cast<qint16>(c)) + '?';
        }
    }
}

/// About `bytes` of RTF: long paragraphs whose formatting changes every one to six words.
QByteArray makeDocument(qsizetype bytes) {
    const QStringList words = sourceWords();
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 DejaVu Sans;}"
        "{\\f1\\froman\\fcharset0 DejaVu Serif;}{\\f2\\fmodern\\fcharset0 DejaVu Sans Mono;}}\r\n"
        "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green128\\blue0;\\red0\\green0\\blue200;"
        "\\red128\\green0\\blue128;}\r\n\\uc1\\pard\\fs20 ";
    static const char* const kFormats[] = {"\\b ", "\\i ", "\\ul ", "\\cf1 ", "\\cf2 ", "\\cf3\\b ",
                                           "\\f2\\cf4 ", "\\f1\\fs24 ", "\\highlight2 ", "\\strike "};
    qsizetype word = 0;
    qsizetype paragraph = 0;
    unsigned step = 0;
    while (rtf.size() < bytes) {
        const unsigned kind = step++ % 3;
        const int count = 1 + static_cast<int>(step * 7 % 6);
        QString run;
        for (int i = 0; i < count; ++i) run += words[word++ % words.size()] + u' ';
        paragraph += run.size();
        if (kind == 0) {  // a formatted group
            rtf += '{';
            rtf += kFormats[step % std::size(kFormats)];
            appendRtfText(rtf, run);
            rtf += '}';
        } else if (kind == 1) {  // a colour switched on and off in the running text
            rtf += "\\cf" + QByteArray::number(1 + step % 4) + ' ';
            appendRtfText(rtf, run);
            rtf += "\\cf0 ";
        } else {
            appendRtfText(rtf, run);
        }
        if (paragraph >= kParagraphChars) {
            rtf += "\\par\r\n";
            paragraph = 0;
        }
    }
    rtf += "\\par\r\n}";
    return rtf;
}

const QByteArray& document(qsizetype bytes) {
    static std::map<qsizetype, QByteArray> docs;
    QByteArray& doc = docs[bytes];
    if (doc.isEmpty()) doc = makeDocument(bytes);
    return doc;
}

/// The leanest text extraction: one walk over the bytes that skips control words and
/// their parameters, counts groups and gathers text and \uN characters.
QString plainPass(QByteArrayView rtf) {
    QString text;
    text.reserve(rtf.size());
    int depth = 0;
    int skip = 0;
    const qsizetype n = rtf.size();
    for (qsizetype i = 0; i < n;) {
        const char c = rtf[i++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
        } else if (c == '\\' && i < n) {
            if (!std::isalpha(static_cast<unsigned char>(rtf[i]))) {
                text += QLatin1Char(rtf[i++]);
                continue;
            }
            const qsizetype start = i;
            while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
            const bool unicode = i - start == 1 && rtf[start] == 'u';
            int value = 0;
            bool negative = false;
            if (i < n && rtf[i] == '-') {
                negative = true;
                ++i;
            }
            while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i]))) value = value * 10 + (rtf[i++] - '0');
            if (i < n && rtf[i] == ' ') ++i;
            if (unicode) {
                text += QChar(static_cast<char16_t>(negative ? 65536 - value : value));
                skip = 1;
            }
        } else if (c != '\r' && c != '\n') {
            if (skip > 0) {
                --skip;
                continue;
            }
            text += QLatin1Char(c);
        }
    }
    benchmark::DoNotOptimize(depth);
    return text;
}

/// Seconds per plain pass and per direct build of the document, by document size.
std::map<qsizetype, double> g_plainSeconds;
std::map<qsizetype, double> g_buildSeconds;

void BM_PlainPass(benchmark::State& state) {
    const QByteArray& rtf = document(state.range(0));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) benchmark::DoNotOptimize(plainPass(rtf));
    g_plainSeconds[state.range(0)] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / state.iterations();
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

/// The runs of the document as the reader makes them: per paragraph, its block format and
/// its fragments with their formats.
struct Paragraph {
    QTextBlockFormat format;
    std::vector<std::pair<QString, QTextCharFormat>> runs;
};

std::vector<Paragraph> documentRuns(qsizetype bytes) {
    QTextDocument doc;
    richtext::ReadRtf(document(bytes), doc);
    std::vector<Paragraph> paragraphs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        Paragraph& p = paragraphs.emplace_back();
        p.format = b.blockFormat();
        for (auto it = b.begin(); !it.atEnd(); ++it) p.runs.emplace_back(it.fragment().text(), it.fragment().charFormat());
    }
    return paragraphs;
}

// The same document built straight from its runs, in one edit block: the cost of the
// document itself, without reading RTF.
void BM_BuildDocument(benchmark::State& state) {
    const std::vector<Paragraph> paragraphs = documentRuns(state.range(0));
    double paused = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto doc = std::make_unique<QTextDocument>();
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc.get());
        cursor.beginEditBlock();
        bool first = true;
        for (const Paragraph& p : paragraphs) {
            if (!first) cursor.insertBlock();
            first = false;
            cursor.setBlockFormat(p.format);
            for (const auto& [text, format] : p.runs) cursor.insertText(text, format);
        }
        cursor.endEditBlock();
        benchmark::DoNotOptimize(doc->characterCount());
        state.PauseTiming();
        const auto freeing = std::chrono::steady_clock::now();
        doc.reset();
        paused += std::chrono::duration<double>(std::chrono::steady_clock::now() - freeing).count();
        state.ResumeTiming();
    }
    g_buildSeconds[state.range(0)] =
        (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() - paused) / state.iterations();
    state.SetBytesProcessed(state.iterations() * document(state.range(0)).size());
}

void BM_ReadRtf(benchmark::State& state) {
    const QByteArray& rtf = document(state.range(0));
    const auto start = std::chrono::steady_clock::now();
    double paused = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<QTextDocument>();
        richtext::ReadRtf(rtf, *doc);
        benchmark::DoNotOptimize(doc->characterCount());
        state.PauseTiming();
        const auto freeing = std::chrono::steady_clock::now();
        doc.reset();
        paused += std::chrono::duration<double>(std::chrono::steady_clock::now() - freeing).count();
        state.ResumeTiming();
    }
    const double seconds =
        (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() - paused) / state.iterations();
    state.SetBytesProcessed(state.iterations() * rtf.size());
    if (const auto plain = g_plainSeconds.find(state.range(0)); plain != g_plainSeconds.end())
        state.counters["vs_plain"] = seconds / plain->second;
    if (const auto build = g_buildSeconds.find(state.range(0)); build != g_buildSeconds.end())
        state.counters["vs_build"] = seconds / build->second;
}

}  // namespace

// 2 MB is the figure that counts; the quarter size beside it shows that the time grows
// in step with the input.
BENCHMARK(BM_PlainPass)->Name("RtfRead/PlainPass")->Arg(512 * 1024)->Arg(2048 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDocument)->Name("RtfRead/BuildDocument")->Arg(512 * 1024)->Arg(2048 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtf)->Name("RtfRead/ReadRtf")->Arg(512 * 1024)->Arg(2048 * 1024)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
