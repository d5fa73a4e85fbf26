// A long rich text split into pages, beside the same text in a data memo, in the same run.
//
// The text: the package descriptions of the Debian catalogue on this machine followed by the
// licence texts of /usr/share/common-licenses and the packages' copyright notices, about 2.0
// million characters in Liberation Serif 10 pt (every tenth paragraph bold in the rich text), over 300 Letter pages with an
// inch of margin. One record of a pipeline holds it twice: as RTF (field "Rtf") for a
// TppDBRichText and as plain text (field "Text") for a TppDBMemo of the same font, both
// stretching in the detail band, so both components read their field as a report does.
//
// Measured: every page of each report made (draw commands included) and handed to a
// receiver, as a publisher would. Counters: the pages of each, the milliseconds of the whole
// job, the milliseconds per page of the first and of the last 30 pages (a layout that grows
// with the pages already made shows in the ratio last / first), and the rich text's time over
// the memo's. Both are checked once, untimed, to print every character of the text once.

#include "report/model/band_classes.h"
#include "report/model/data_pipeline.h"
#include "report/model/memo.h"
#include "report/model/record_traversal.h"
#include "report/model/report.h"
#include "report/model/report_classes.h"
#include "report/model/rich_text.h"
#include "report/page/draw_rich_text.h"
#include "report/page/page.h"
#include "report/page/units.h"

#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace {

constexpr int kEdgePages = 30;

/// The paragraphs of the text, each once: catalogue descriptions, licence texts, copyright notices.
QStringList paragraphs(int aCharacters) {
    QStringList out;
    int total = 0;
    QSet<QString> seen;  // a paragraph once: many notices repeat the same licence
    auto add = [&](QString p) {
        p = p.simplified();
        if (p.isEmpty() || total >= aCharacters || seen.contains(p)) return;
        seen.insert(p);
        total += int(p.size()) + 1;
        out << p;
    };
    QFile status(QStringLiteral("/var/lib/dpkg/status"));
    if (status.open(QIODevice::ReadOnly)) {
        QString paragraph;
        bool inDescription = false;
        for (const QByteArray& raw : status.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            if (line.startsWith(QLatin1String("Description: "))) {
                add(paragraph);
                paragraph = line.mid(13);
                inDescription = true;
            } else if (inDescription && line.startsWith(QLatin1Char(' '))) {
                if (line.trimmed() == QLatin1String(".")) {
                    add(paragraph);
                    paragraph.clear();
                } else {
                    paragraph += QLatin1Char(' ') + line.trimmed();
                }
            } else {
                inDescription = false;
            }
        }
        add(paragraph);
    }
    const QDir licences(QStringLiteral("/usr/share/common-licenses"));
    for (const QString& name : licences.entryList(QDir::Files, QDir::Name)) {
        QFile f(licences.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) continue;
        for (const QString& p : QString::fromUtf8(f.readAll()).split(QStringLiteral("\n\n"))) add(p);
    }
    // Then the copyright notices of the installed packages, a package at a time.
    const QDir docs(QStringLiteral("/usr/share/doc"));
    for (const QString& package : docs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (total >= aCharacters) break;
        QFile f(docs.filePath(package + QStringLiteral("/copyright")));
        if (!f.open(QIODevice::ReadOnly)) continue;
        for (const QString& p : QString::fromUtf8(f.readAll()).split(QStringLiteral("\n\n"))) add(p);
    }
    return out;
}

class TextPipeline : public TppDataPipeline, public report::RecordTraversal {
public:
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString&) const override { return TppDataType::dtMemo; }
    QVariant GetFieldValue(const QString& f) const override {
        if (m_index >= 1) return {};
        return f == QLatin1String("Rtf") ? QVariant(QString::fromLatin1(rtf)) : QVariant(text);
    }
    void GetFieldAsStream(const QString& f, QIODevice& aStream) const override {
        if (m_index < 1) aStream.write(f == QLatin1String("Rtf") ? rtf : text.toUtf8());
    }
    void OpenTraversal() override { m_index = 0; }
    void CloseTraversal() override {}
    bool AtEnd() const override { return m_index >= 1; }
    void First() override { m_index = 0; }
    void Next() override { m_index = std::min(m_index + 1, 1); }
    void Prior() override { m_index = 0; }
    int Bookmark() const override { return m_index; }
    void GotoBookmark(int b) override { m_index = b; }

    QByteArray rtf;
    QString text;

private:
    int m_index = 0;
};

struct Run {
    std::vector<qint64> pageNs;  ///< time from the start to each page's arrival
    QString printed;             ///< the rich text's printed characters (checking run)
    long memoLines = 0;          ///< the memo's printed lines (checking run)
};

/// Every page of a report with one stretching component over the text.
Run makePages(TextPipeline& aPipeline, bool aRich, bool aCheck) {
    TComponent form;
    auto* report = new TppReport(&form);
    report->SetDataPipeline(&aPipeline);
    auto* detail = new TppDetailBand(&form);
    detail->SetReport(report);
    detail->SetmmHeight(10000);
    TppStretchable* component = nullptr;
    if (aRich) {
        auto* rich = new TppDBRichText(&form);
        rich->SetDataField(QStringLiteral("Rtf"));
        component = rich;
    } else {
        auto* memo = new TppDBMemo(&form);
        memo->SetDataField(QStringLiteral("Text"));
        memo->Font()->SetName(QStringLiteral("Liberation Serif"));
        memo->Font()->SetSize(10);
        component = memo;
    }
    component->SetBand(detail);
    component->SetDataPipeline(&aPipeline);
    component->SetmmBounds(0, 0, 10000, 165100);
    component->SetStretch(true);
    Run run;
    QElapsedTimer clock;
    report->OnPageReceived = [&](TppPage& page) {
        run.pageNs.push_back(clock.nsecsElapsed());
        if (!aCheck) return;
        for (int i = 0; i < page.GetDrawCommandCount(); ++i) {
            if (auto* r = qobject_cast<TppDrawRichText*>(page.GetDrawCommand(i)); r && r->StartCharPos() >= 0) {
                static QString plain;
                static QByteArray plainOf;
                if (plainOf != r->RichTextStream()) {
                    plain = richtext::DocumentFromRtf(r->RichTextStream())->toPlainText();
                    plainOf = r->RichTextStream();
                }
                run.printed += plain.mid(r->StartCharPos(), r->EndCharPos() - r->StartCharPos() + 1);
            } else if (auto* m = qobject_cast<TppDrawText*>(page.GetDrawCommand(i))) {
                run.memoLines += m->WrappedText().size();
            }
        }
    };
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psAll);
    clock.start();
    report->RequestPages(&request);
    delete report;
    return run;
}

double msPerPage(const std::vector<qint64>& ns, size_t from, size_t to) {
    if (to <= from || to > ns.size()) return 0;
    const qint64 start = from == 0 ? 0 : ns[from - 1];
    return double(ns[to - 1] - start) / 1e6 / double(to - from);
}

void BM_RichTextPagesBesideMemo(benchmark::State& state) {
    report::RegisterReportClasses();
    const QStringList paras = paragraphs(2000000);
    TextPipeline pipeline;
    {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        for (int i = 0; i < paras.size(); ++i) {
            if (i > 0) cursor.insertBlock();
            QTextCharFormat f;
            f.setFontFamilies({QStringLiteral("Liberation Serif")});
            f.setFontPointSize(10);
            f.setFontWeight(i % 10 == 0 ? QFont::Bold : QFont::Normal);
            cursor.insertText(paras.at(i), f);
        }
        pipeline.rtf = richtext::WriteRtf(doc);
        pipeline.text = paras.join(QLatin1Char('\n'));
    }
    // Checked once, untimed: the rich text prints every character once.
    const Run check = makePages(pipeline, true, true);
    const QString expected = richtext::DocumentFromRtf(pipeline.rtf)->toPlainText();
    if (check.printed != expected) {
        state.SkipWithError("the rich text's pages do not hold the text once");
        return;
    }
    Run rich, memo;
    for (auto _ : state) {
        rich = makePages(pipeline, true, false);
        memo = makePages(pipeline, false, false);
    }
    const size_t n = rich.pageNs.size();
    const size_t m = memo.pageNs.size();
    state.counters["characters"] = double(expected.size());
    state.counters["rich_pages"] = double(n);
    state.counters["memo_pages"] = double(m);
    state.counters["rich_ms"] = n ? double(rich.pageNs.back()) / 1e6 : 0;
    state.counters["memo_ms"] = m ? double(memo.pageNs.back()) / 1e6 : 0;
    state.counters["rich_first_ms_per_page"] = msPerPage(rich.pageNs, 0, kEdgePages);
    state.counters["rich_last_ms_per_page"] = msPerPage(rich.pageNs, n - kEdgePages, n);
    state.counters["memo_first_ms_per_page"] = msPerPage(memo.pageNs, 0, kEdgePages);
    state.counters["memo_last_ms_per_page"] = msPerPage(memo.pageNs, m - kEdgePages, m);
    // Per page, as the two split the same text into a different number of pages.
    const double richPerPage = n ? double(rich.pageNs.back()) / double(n) : 0;
    const double memoPerPage = m ? double(memo.pageNs.back()) / double(m) : 0;
    state.counters["rich_over_memo_per_page"] = memoPerPage > 0 ? richPerPage / memoPerPage : 0;
    state.counters["rich_over_memo_whole_text"] =
        m && memo.pageNs.back() > 0 ? double(rich.pageNs.back()) / double(memo.pageNs.back()) : 0;
}

BENCHMARK(BM_RichTextPagesBesideMemo)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    report::SetScreenPixelsPerInch(96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
