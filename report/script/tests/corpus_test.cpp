// The corpus: one small program per case in tests/data/corpus, each run through script-run
// and compared with what it must print (X.out: the output, then "[exit N]"). A case with
// X.args passes those arguments too; a case with X.tree also has its compiled tree compared
// as a whole text. Cases marked "{ same in Pascal }" mean the same in standard Pascal: they
// are also compiled and run with Free Pascal, which must print the same result.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>
#include "test_paths.h"

namespace {

struct CorpusCase {
    QString name;
    QString source;
    QString expected;
    QStringList args;
    QString tree;  ///< empty when the case has no tree file
    bool samePascal = false;
};

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

std::vector<CorpusCase> loadCorpus() {
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/corpus"));
    std::vector<CorpusCase> cases;
    for (const QString& file : dir.entryList({QStringLiteral("*.pas")}, QDir::Files, QDir::Name)) {
        CorpusCase c;
        c.name = file.chopped(4);
        c.source = readText(dir.filePath(file));
        c.expected = readText(dir.filePath(c.name + QStringLiteral(".out")));
        c.args = readText(dir.filePath(c.name + QStringLiteral(".args"))).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& a : c.args)
            a = a.trimmed();
        c.tree = readText(dir.filePath(c.name + QStringLiteral(".tree")));
        c.samePascal = c.source.startsWith(QLatin1String("{ same in Pascal }"));
        cases.push_back(c);
    }
    return cases;
}

struct Output {
    QString text;
    int exitCode = -1;
};

Output runScript(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SCRIPT_RUN), args);
    p.waitForFinished(30000);
    return {QString::fromUtf8(p.readAllStandardOutput()), p.exitCode()};
}

TEST(ScriptCorpus, every_program_prints_its_expected_output) {
    const std::vector<CorpusCase> cases = loadCorpus();
    ASSERT_FALSE(cases.empty());
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_FALSE(c.expected.isEmpty()) << "no .out file";
        const Output out =
            runScript(c.args + QStringList{QStringLiteral(TEST_DATA_DIR "/corpus/") + c.name + QStringLiteral(".pas")});
        EXPECT_EQ(out.text + QStringLiteral("[exit %1]\n").arg(out.exitCode), c.expected);
    }
}

TEST(ScriptCorpus, compiled_trees_read_as_their_canonical_text) {
    int trees = 0;
    for (const CorpusCase& c : loadCorpus()) {
        if (c.tree.isEmpty())
            continue;
        SCOPED_TRACE(c.name.toStdString());
        ++trees;
        const Output out = runScript(
            {QStringLiteral("--tree"), QStringLiteral(TEST_DATA_DIR "/corpus/") + c.name + QStringLiteral(".pas")});
        EXPECT_EQ(out.exitCode, 0);
        EXPECT_EQ(out.text, c.tree);
    }
    EXPECT_GT(trees, 0);
}

/// The statement that prints a function's result the way script-run does.
QString printStatement(const QString& name, const QString& expectedLine) {
    const QString kind = expectedLine.section(QLatin1Char(' '), 0, 0);
    QString value;
    if (kind == QLatin1String("Integer"))
        value = QStringLiteral("IntToStr(F())");
    else if (kind == QLatin1String("Extended"))
        value = QStringLiteral("FloatToStr(F())");
    else if (kind == QLatin1String("Boolean"))
        value = QStringLiteral("BoolToStr(F(), True)");
    else if (kind == QLatin1String("String"))
        value = QStringLiteral("F()");
    else
        return {};
    return QStringLiteral("  writeln('%1: %2 ', %3);\n").arg(name, kind, value);
}

TEST(ScriptCorpus, cases_that_mean_the_same_in_pascal_print_the_same_with_free_pascal) {
    const QString fpc = QStringLiteral(FPC_PROGRAM);
    if (fpc.isEmpty() || fpc.endsWith(QLatin1String("NOTFOUND")))
        GTEST_SKIP() << "Free Pascal (fpc) is not installed; scripts/install-deps.sh installs it";
    // One program: each case's function nested in a procedure of its own, which prints it.
    QString program = QStringLiteral("program corpus;\n{$mode objfpc}{$H+}\nuses SysUtils, Math;\n\n");
    QString calls, expected;
    int count = 0;
    for (const CorpusCase& c : loadCorpus()) {
        if (!c.samePascal)
            continue;
        const QString firstLine = c.expected.section(QLatin1Char('\n'), 0, 0);
        const QString print = printStatement(c.name, firstLine);
        ASSERT_FALSE(print.isEmpty()) << c.name.toStdString() << ": no Pascal form for " << firstLine.toStdString();
        program += QStringLiteral("procedure Case_%1;\n%2\nbegin\n%3end;\n\n").arg(c.name, c.source, print);
        calls += QStringLiteral("  Case_%1;\n").arg(c.name);
        expected += c.name + QStringLiteral(": ") + firstLine + QLatin1Char('\n');
        ++count;
    }
    ASSERT_GT(count, 0);
    program += QStringLiteral("begin\n") + calls + QStringLiteral("end.\n");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile f(dir.filePath(QStringLiteral("corpus.pas")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(program.toUtf8());
    }
    QProcess compile;
    compile.setWorkingDirectory(dir.path());
    compile.start(fpc, {QStringLiteral("-v0"), QStringLiteral("-FU") + dir.path(), QStringLiteral("corpus.pas")});
    ASSERT_TRUE(compile.waitForFinished(120000));
    ASSERT_EQ(compile.exitCode(), 0) << compile.readAllStandardOutput().toStdString() << program.toStdString();
    QProcess run;
    run.start(dir.filePath(QStringLiteral("corpus")), {});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardOutput()), expected);
}

}  // namespace
