// The hierarchy explorer on 100,000 branches.
//
// 1. Starting the records manager on the 100,000-branch database until the explorer shows
//    the tree's first level, beside TreeLine (the Debian package's outliner) opening the
//    same records exported to its own file format (.trln: every branch with its title, the
//    fields of its record and its note) until its tree is shown. Both run offscreen as real
//    programs, one at a time, in fresh configuration folders; each reports the number of
//    top-level branches it shows (the two must agree) and the time to that report is taken
//    from the moment the process is started. The records manager runs with its splash hold
//    set to 0 ms (it holds the splash window one second by default); its peak resident
//    memory (VmHWM) and TreeLine's are read when the report arrives.
// 2. In this process, on a copy of a database of the same size with one branch of 10,000
//    children: expanding that branch in the explorer (reading the level and drawing it),
//    beside the same level read through the SQLite C API into a tree widget; and adding a
//    branch below it (the dialog answered at once), beside the two inserts written through
//    the SQLite C API in one transaction over both files (same rollback journal and
//    synchronous setting; the baseline does not update the word indexes, the explorer does).
//
// The program ends with the medians, the ratios and the peak memory.

#include "bench/core/bench_database.h"

#include "core/globals.h"
#include "core/gui/confirm_dialogs.h"
#include "core/gui/explorer.h"
#include "core/gui/main_form.h"
#include "core/main_data_mod.h"
#include "core/product_tables.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/win_registry.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/dialog_service.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

// ---------------------------------------------------------------------------------------
// Exporting the records to TreeLine's file format

QString treeLineFile() { return QStringLiteral(DOSSARA_BENCH_DATA_DIR "/core-100k.trln"); }

QString uidOf(int nodeID) { return QStringLiteral("%1").arg(nodeID, 32, 10, QLatin1Char('0')); }

/// Writes the database's branches, their record fields and notes as a TreeLine file: one
/// node format per View (the title, the View's columns and the note as text fields).
bool exportToTreeLine(const QString& folder, const QString& file) {
    if (QFileInfo(file).exists() && QFileInfo(file).lastModified() > QFileInfo(folder + "/bench.stamp").lastModified())
        return true;
    std::fprintf(stderr, "exporting the database to %s ...\n", qPrintable(file));
    db::Table views;
    views.SetDatabaseName(folder);
    views.SetTableName(core::kHierarchyTable);
    views.Open();
    struct Node {
        int parent = 0;
        QString title;
        int view = 0;
        QJsonObject data;
        QJsonArray children;
    };
    std::map<int, Node> nodes;
    for (views.First(); !views.Eof(); views.Next())
        nodes[views.FieldByName("NodeID")->AsInteger()] = {views.FieldByName("ParentNodeID")->AsInteger(),
                                                            views.FieldByName("NodeName")->AsString(),
                                                            views.FieldByName("NodeType")->AsInteger(), {}, {}};
    QJsonArray formats;
    for (int v = 0; v < ViewControl().GetViewCount(); ++v) {
        db::Table t;
        t.SetDatabaseName(folder);
        t.SetTableName(core::ViewTableFile(ViewControl().GetViewTableName(v)));
        t.Open();
        QJsonArray fields{QJsonObject{{"fieldname", "Title"}, {"fieldtype", "Text"}}};
        QStringList columns;
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QString name = t.Fields(i)->FieldName();
            if (name.compare("NodeID", Qt::CaseInsensitive) == 0 || name.compare("TimeStamp", Qt::CaseInsensitive) == 0)
                continue;
            columns << name;
            fields.append(QJsonObject{{"fieldname", name}, {"fieldtype", "Text"}});
        }
        formats.append(QJsonObject{{"formatname", ViewControl().GetViewName(v)},
                                   {"fields", fields},
                                   {"titleline", "{*Title*}"},
                                   {"outputlines", QJsonArray{"{*Title*}", "{*Note*}"}}});
        for (t.First(); !t.Eof(); t.Next()) {
            auto it = nodes.find(t.FieldByName("NodeID")->AsInteger());
            if (it == nodes.end() || it->second.view != v) continue;
            QJsonObject data{{"Title", it->second.title}};
            for (const QString& c : columns)
                if (const QString value = t.FieldByName(c)->AsString(); !value.isEmpty()) data.insert(c, value);
            it->second.data = data;
        }
    }
    QJsonArray top;
    for (auto& [id, n] : nodes) {
        if (n.parent == 0) top.append(uidOf(id));
        else if (auto p = nodes.find(n.parent); p != nodes.end()) p->second.children.append(uidOf(id));
    }
    QJsonArray list;
    for (const auto& [id, n] : nodes)
        list.append(QJsonObject{{"uid", uidOf(id)},
                                {"format", ViewControl().GetViewName(n.view)},
                                {"data", n.data},
                                {"children", n.children}});
    const QJsonObject doc{{"formats", formats},
                          {"nodes", list},
                          {"properties", QJsonObject{{"tlversion", "3.1.5"}, {"topnodes", top}}}};
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(QJsonDocument(doc).toJson(QJsonDocument::Compact));
    return true;
}

// ---------------------------------------------------------------------------------------
// Starting the programs

/// Runs TreeLine's own start with the file and reports once its event loop runs (the file
/// read and the main window with its tree made and shown), with the number of rows at the
/// first level of its tree view.
const char* kTreeLineStarter = R"PY(
import runpy, sys
from PyQt5 import QtCore, QtGui, QtWidgets
original = QtWidgets.QApplication.exec_
def started(*args):
    def report():
        tops = 0
        for w in QtWidgets.QApplication.topLevelWidgets():
            for view in w.findChildren(QtWidgets.QTreeView):
                if view.isVisible() and view.model() is not None:
                    tops = max(tops, view.model().rowCount(QtCore.QModelIndex()))
        sys.stderr.write('treeline: tree shown (%d branches at the first level)\n' % tops)
        sys.stderr.flush()
    QtCore.QTimer.singleShot(0, report)
    return original()
QtWidgets.QApplication.exec_ = started
# The offscreen platform has no clipboard contents; TreeLine reads them when it shows a file.
empty = QtCore.QMimeData()
clipboardData = QtGui.QClipboard.mimeData
QtGui.QClipboard.mimeData = lambda self, *args: clipboardData(self, *args) or empty
sys.argv = ['treeline'] + sys.argv[1:]
sys.path.insert(0, '/usr/share/treeline')
runpy.run_path('/usr/share/treeline/treeline.py', run_name='__main__')
)PY";

double peakRssMiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

std::map<std::string, double> g_peakMiB;
std::map<std::string, int> g_firstLevel;

/// One start; answers the seconds until the program's report line (negative on failure).
double startOnce(const QString& program, const QStringList& arguments, const QByteArray& reportLine,
                 const std::string& name) {
    QTemporaryDir dir;
    QFile::link(QStringLiteral(DOSSARA_BIN_DIR "/Library"), dir.filePath(QStringLiteral("Library")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    env.insert(QStringLiteral("DOSSARA_PROGRAM_FOLDER"), dir.path());
    env.insert(QStringLiteral("DOSSARA_REPORT_TREE"), QStringLiteral("1"));
    env.insert(QStringLiteral("DOSSARA_SPLASH_PAUSE_MS"), QStringLiteral("0"));
    // TreeLine's configuration folder exists, as for a user who ran it before (else its
    // first start asks where to keep the configuration).
    QDir(dir.path()).mkpath(QStringLiteral(".treeline-3.1"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    QByteArray output;
    while (!output.contains(reportLine)) {
        if (!process.waitForReadyRead(120000)) {
            std::fprintf(stderr, "%s did not report:\n%s\n", name.c_str(), output.constData());
            process.kill();
            process.waitForFinished();
            return -1;
        }
        output += process.readAll();
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    g_peakMiB[name] = std::max(g_peakMiB[name], peakRssMiB(process.processId()));
    const int at = output.indexOf(reportLine);
    const int open = output.indexOf('(', at);
    g_firstLevel[name] = output.mid(open + 1, output.indexOf(' ', open) - open - 1).toInt();
    process.kill();
    process.waitForFinished();
    return seconds;
}

void runProgram(benchmark::State& state, const QString& program, const QStringList& arguments,
                const QByteArray& reportLine, const std::string& name) {
    for (auto _ : state) {
        const double seconds = startOnce(program, arguments, reportLine, name);
        if (seconds < 0) {
            state.SkipWithError("the program did not report its tree");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_StartToTreeShown_Dossara(benchmark::State& state) {
    runProgram(state, QStringLiteral(DOSSARA_PROGRAM), {QStringLiteral("/DB:") + benchdata::databaseFolder()},
               "dossara: tree shown", "dossara");
}

void BM_StartToTreeShown_TreeLine(benchmark::State& state) {
    static QTemporaryDir scripts;
    const QString starter = scripts.filePath(QStringLiteral("treeline_starter.py"));
    if (!QFile::exists(starter)) {
        QFile f(starter);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("no starter script");
            return;
        }
        f.write(kTreeLineStarter);
    }
    runProgram(state, QStringLiteral("/usr/bin/python3"), {starter, treeLineFile()}, "treeline: tree shown",
               "treeline");
}

BENCHMARK(BM_StartToTreeShown_Dossara)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToTreeShown_TreeLine)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// Expanding and adding in the explorer

/// Answers the "Create New Branch" dialog at once (the Package View and a title), every
/// message with its default button.
class AnsweringDialogs : public ui::DialogService {
public:
    ui::Button Message(const ui::MessageRequest& request) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(request.text));
        return request.defaultButton;
    }
    std::optional<QString> ChooseFileToOpen(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const ui::FileRequest&) override { return std::nullopt; }
    int ExecModal(QObject& dialog) override {
        auto* form = dynamic_cast<TNodeParmsForm*>(&dialog);
        if (!form) return 0;
        form->ItemType->setCurrentRow(2);
        form->NodeName->setPlainText(QStringLiteral("zz bench branch %1").arg(++m_count));
        return 1;
    }

private:
    int m_count = 0;
};

/// The records manager's main window with its explorer on a copy of the flat database.
class ExplorerOnFlatDatabase {
public:
    ExplorerOnFlatDatabase() {
        settings::SetConfigRoot(m_dir.filePath(QStringLiteral("config")));
        core::InstallConfirmationDialogs();
        m_folder = m_dir.filePath(QStringLiteral("db"));
        QDir().mkpath(m_folder);
        const QDir source(benchdata::flatDatabaseFolder());
        for (const QString& name : source.entryList(QDir::Files)) QFile::copy(source.filePath(name), m_folder + "/" + name);
        Globals().LibraryFolder = QStringLiteral(DOSSARA_BIN_DIR "/Library");
        Globals().ProgramFolder = m_dir.path() + "/";
        core::WriteWinRegBool(QStringLiteral("Preferences"), QStringLiteral("ShowStartupWizard"), false);
        m_previous = ui::SetDialogService(std::make_unique<AnsweringDialogs>());
        form = std::make_unique<TMainForm>();
        data = new TMainDataMod(form.get());
        form->SetDataModule(data);
        form->SetSplashPauseMs(0);
        core::InstallExplorer(form.get());
        form->SetParameters({QStringLiteral("/db:") + m_folder});
        form->resize(900, 700);
        form->show();
        QElapsedTimer wait;
        wait.start();
        while (!(core::Explorer() && core::Explorer()->TreeView->topLevelItemCount() > 0) && wait.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ~ExplorerOnFlatDatabase() {
        form->close();
        form.reset();
        ViewLayer() = TViewLayer{};
        ViewControl().Clear();
        ui::SetDialogService(std::move(m_previous));
    }
    bool Ready() const { return core::Explorer() && core::Explorer()->TreeView->topLevelItemCount() > 0; }
    QString Folder() const { return m_folder; }
    /// The flat branch, as a node of a tree read afresh (roots only).
    QTreeWidgetItem* FreshFlatRoot() {
        TExplorer* e = core::Explorer();
        e->ClearTree();
        e->LoadTree(-1, false);
        for (int i = 0; i < e->TreeView->topLevelItemCount(); ++i)
            if (e->TreeView->topLevelItem(i)->data(0, TExplorer::kNodeIDRole).toInt() == benchdata::flatRootNodeID())
                return e->TreeView->topLevelItem(i);
        return nullptr;
    }

    std::unique_ptr<TMainForm> form;
    TMainDataMod* data = nullptr;

private:
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<ui::DialogService> m_previous;
};

ExplorerOnFlatDatabase* g_flat = nullptr;
QSet<int> g_explorerChildren;
QSet<int> g_baselineChildren;

void BM_ExpandBranchOf10000_Explorer(benchmark::State& state) {
    if (!g_flat || !g_flat->Ready()) {
        state.SkipWithError("the explorer did not load the database");
        return;
    }
    for (auto _ : state) {
        QTreeWidgetItem* root = g_flat->FreshFlatRoot();
        if (!root) {
            state.SkipWithError("no flat branch");
            return;
        }
        QElapsedTimer clock;
        clock.start();
        root->setExpanded(true);
        core::Explorer()->TreeView->viewport()->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        g_explorerChildren.clear();
        for (int i = 0; i < root->childCount(); ++i)
            g_explorerChildren.insert(root->child(i)->data(0, TExplorer::kNodeIDRole).toInt());
    }
}

struct SqliteDeleter {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

void BM_ExpandBranchOf10000_SqliteBaseline(benchmark::State& state) {
    if (!g_flat) {
        state.SkipWithError("no database");
        return;
    }
    sqlite3* raw = nullptr;
    sqlite3_open_v2(qPrintable(g_flat->Folder() + "/Hierarchy.DB"), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, SqliteDeleter> db(raw);
    sqlite3_stmt* s1 = nullptr;
    sqlite3_stmt* s2 = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT NodeID, NodeName, NodeType FROM \"Hierarchy.DB\" WHERE ParentNodeID = ?1 "
                       "ORDER BY NodeName",
                       -1, &s1, nullptr);
    sqlite3_prepare_v2(raw, "SELECT DISTINCT ParentNodeID FROM \"Hierarchy.DB\" WHERE ParentNodeID BETWEEN ?1 AND ?2", -1,
                       &s2, nullptr);
    std::unique_ptr<sqlite3_stmt, SqliteDeleter> children(s1), parents(s2);
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.setSortingEnabled(true);
    tree.sortByColumn(0, Qt::AscendingOrder);
    tree.resize(300, 700);
    tree.show();
    std::vector<QIcon> icons;
    for (int v = 0; v < ViewControl().GetViewCount(); ++v)
        icons.push_back(QIcon(QPixmap::fromImage(ViewControl().GetViewSmallIcon(v))));
    for (auto _ : state) {
        tree.clear();
        auto* root = new QTreeWidgetItem(&tree, {QStringLiteral("Debian packages, flat")});
        root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        QElapsedTimer clock;
        clock.start();
        sqlite3_reset(s1);
        sqlite3_bind_int(s1, 1, benchdata::flatRootNodeID());
        QList<QTreeWidgetItem*> items;
        int low = INT_MAX, high = INT_MIN;
        while (sqlite3_step(s1) == SQLITE_ROW) {
            const int id = sqlite3_column_int(s1, 0);
            low = std::min(low, id);
            high = std::max(high, id);
            auto* item = new QTreeWidgetItem;
            item->setText(0, QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s1, 1))));
            item->setData(0, Qt::UserRole, id);
            const int view = sqlite3_column_int(s1, 2);
            if (view >= 0 && view < int(icons.size())) item->setIcon(0, icons[size_t(view)]);
            items.append(item);
        }
        QSet<int> withChildren;
        sqlite3_reset(s2);
        sqlite3_bind_int(s2, 1, low);
        sqlite3_bind_int(s2, 2, high);
        while (sqlite3_step(s2) == SQLITE_ROW) withChildren.insert(sqlite3_column_int(s2, 0));
        for (QTreeWidgetItem* item : items)
            item->setChildIndicatorPolicy(withChildren.contains(item->data(0, Qt::UserRole).toInt())
                                              ? QTreeWidgetItem::ShowIndicator
                                              : QTreeWidgetItem::DontShowIndicator);
        root->addChildren(items);
        root->setExpanded(true);
        tree.viewport()->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        g_baselineChildren.clear();
        for (QTreeWidgetItem* item : items) g_baselineChildren.insert(item->data(0, Qt::UserRole).toInt());
    }
}

void BM_AddBranchBelow10000_Explorer(benchmark::State& state) {
    if (!g_flat || !g_flat->Ready()) {
        state.SkipWithError("the explorer did not load the database");
        return;
    }
    TExplorer* e = core::Explorer();
    QTreeWidgetItem* root = g_flat->FreshFlatRoot();
    root->setExpanded(true);
    for (auto _ : state) {
        const int before = root->childCount();
        QElapsedTimer clock;
        clock.start();
        e->AddBranch(root, true);
        e->TreeView->viewport()->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        QTreeWidgetItem* added = e->TreeView->currentItem();
        if (root->childCount() != before + 1 || !added || added->parent() != root) {
            state.SkipWithError("the branch was not added");
            return;
        }
        e->DeleteBranch(added, false);
    }
}

void BM_AddBranchBelow10000_SqliteBaseline(benchmark::State& state) {
    if (!g_flat) {
        state.SkipWithError("no database");
        return;
    }
    const QString viewFile = core::ViewTableFile(ViewControl().GetViewTableName(2));
    // The explorer's tables are closed meanwhile? No: both connections use the files in turn.
    sqlite3* raw = nullptr;
    sqlite3_open_v2(qPrintable(g_flat->Folder() + "/Hierarchy.DB"), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, SqliteDeleter> db(raw);
    sqlite3_exec(raw, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_exec(raw, qPrintable(QStringLiteral("ATTACH DATABASE '%1' AS v").arg(g_flat->Folder() + "/" + viewFile)),
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *h = nullptr, *r = nullptr, *dh = nullptr, *dr = nullptr;
    sqlite3_prepare_v2(raw,
                       "INSERT INTO \"Hierarchy.DB\" (NodeID, ParentNodeID, NodeName, NodeType, Timestamp) "
                       "VALUES (?1, ?2, ?3, 2, 45000.5)",
                       -1, &h, nullptr);
    sqlite3_prepare_v2(raw, qPrintable(QStringLiteral("INSERT INTO v.\"%1\" (NodeID, TimeSTamp) VALUES (?1, 45000.5)").arg(viewFile)),
                       -1, &r, nullptr);
    sqlite3_prepare_v2(raw, "DELETE FROM \"Hierarchy.DB\" WHERE NodeID = ?1", -1, &dh, nullptr);
    sqlite3_prepare_v2(raw, qPrintable(QStringLiteral("DELETE FROM v.\"%1\" WHERE NodeID = ?1").arg(viewFile)), -1, &dr,
                       nullptr);
    std::unique_ptr<sqlite3_stmt, SqliteDeleter> insertRow(h), insertRecord(r), deleteRow(dh), deleteRecord(dr);
    if (!h || !r) {
        state.SkipWithError(sqlite3_errmsg(raw));
        return;
    }
    int next = 90000000;
    for (auto _ : state) {
        const int id = ++next;
        QElapsedTimer clock;
        clock.start();
        sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_reset(h);
        sqlite3_bind_int(h, 1, id);
        sqlite3_bind_int(h, 2, benchdata::flatRootNodeID());
        sqlite3_bind_text(h, 3, "zz bench branch", -1, SQLITE_STATIC);
        const int a = sqlite3_step(h);
        sqlite3_reset(r);
        sqlite3_bind_int(r, 1, id);
        const int b = sqlite3_step(r);
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (a != SQLITE_DONE || b != SQLITE_DONE) {
            state.SkipWithError(sqlite3_errmsg(raw));
            return;
        }
        sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_reset(dh);
        sqlite3_bind_int(dh, 1, id);
        sqlite3_step(dh);
        sqlite3_reset(dr);
        sqlite3_bind_int(dr, 1, id);
        sqlite3_step(dr);
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    }
}

BENCHMARK(BM_ExpandBranchOf10000_Explorer)->UseManualTime()->Iterations(5)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandBranchOf10000_SqliteBaseline)->UseManualTime()->Iterations(5)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddBranchBelow10000_Explorer)->UseManualTime()->Iterations(20)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddBranchBelow10000_SqliteBaseline)->UseManualTime()->Iterations(20)->Repetitions(3)->Unit(benchmark::kMillisecond);

/// Prints the runs as usual, then the medians, their ratios and the peak memory.
class ExplorerReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.aggregate_name == "median") m_median[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto ratio = [this](const char* ours, const char* theirs) {
            const double a = m_median[ours], b = m_median[theirs];
            std::printf("  %-40s %9.2f ms   %-40s %9.2f ms   ratio %.2f\n", ours, a, theirs, b, b > 0 ? a / b : 0.0);
        };
        std::printf("\nmedians:\n");
        ratio("BM_StartToTreeShown_Dossara", "BM_StartToTreeShown_TreeLine");
        ratio("BM_ExpandBranchOf10000_Explorer", "BM_ExpandBranchOf10000_SqliteBaseline");
        ratio("BM_AddBranchBelow10000_Explorer", "BM_AddBranchBelow10000_SqliteBaseline");
        std::printf("peak resident memory: records manager %.1f MiB, TreeLine %.1f MiB\n", g_peakMiB["dossara"],
                    g_peakMiB["treeline"]);
        std::printf("first level shown: records manager %d branches, TreeLine %d branches%s\n",
                    g_firstLevel["dossara"], g_firstLevel["treeline"],
                    g_firstLevel["dossara"] == g_firstLevel["treeline"] ? "" : "  (DIFFERENT)");
        std::printf("children read by the expand: explorer %lld, baseline %lld%s\n",
                    static_cast<long long>(g_explorerChildren.size()), static_cast<long long>(g_baselineChildren.size()),
                    g_explorerChildren == g_baselineChildren ? " (the same branches)" : "  (DIFFERENT)");
    }

private:
    std::map<std::string, double> m_median;
};

}  // namespace

int main(int argc, char** argv) {
    if (!benchdata::ensureDatabase() || !benchdata::ensureFlatDatabase()) {
        std::fprintf(stderr, "the benchmark databases could not be generated\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    settings::SetConfigRoot(QDir::temp().filePath(QStringLiteral("dossara-explorer-bench-config")));
    {
        // The View definitions name the View tables and the node formats of the export.
        TMainDataMod data;
        data.ConnectDatabase(benchdata::databaseFolder());
        ViewControl().LoadViewDefinitions();
        const bool exported = exportToTreeLine(benchdata::databaseFolder(), treeLineFile());
        ViewControl().Clear();
        data.DisconnectDatabase();
        if (!exported) {
            std::fprintf(stderr, "the TreeLine file could not be written\n");
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    ExplorerOnFlatDatabase flat;
    g_flat = &flat;
    ExplorerReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    g_flat = nullptr;
    return 0;
}
