// The hierarchy explorer on 100,000 branches.
//
// 1. Starting the records manager on the 100,000-branch database until the explorer shows
//    the tree's first level, beside TreeLine (the Debian package's outliner) opening the
//    same records exported to its own file format (.trln: every branch with its title, the
//    fields of its record and its note) until its tree is shown. Both run offscreen as real
//    programs, one at a time, each start in fresh home, configuration and temporary folders
//    of its own (TMPDIR too: a TreeLine left running elsewhere would otherwise be handed the
//    file through its socket there); each reports the number of
//    top-level branches it shows (TreeLine also their titles; both must be the database's
//    first level, else the start counts as failed) and the time to that report is taken
//    from the moment the process is started. The records manager runs with its splash hold
//    set to 0 ms (it holds the splash window one second by default); its peak resident
//    memory (VmHWM) and TreeLine's are read when the report arrives.
// 2. In this process, on a copy of a database of the same size with one branch of 10,000
//    children: expanding that branch in the explorer's window as a user does, a click on its
//    expand sign sent to the tree, timed until the window has painted the tree with the new
//    rows (the offscreen platform paints into its window buffer as a screen would), beside
//    a tree widget of the same size and settings whose expand signal reads the same level
//    through the SQLite C API (same mmap setting), clicked and painted the same way; and adding a
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
#include <QMouseEvent>
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
/// read and the main window with its tree made and shown), with the titles and the number of
/// rows at the first level of its tree view.
const char* kTreeLineStarter = R"PY(
import runpy, sys
from PyQt5 import QtCore, QtGui, QtWidgets
original = QtWidgets.QApplication.exec_
def started(*args):
    def report():
        tops = []
        for w in QtWidgets.QApplication.topLevelWidgets():
            for view in w.findChildren(QtWidgets.QTreeView):
                if view.isVisible() and view.model() is not None:
                    model = view.model()
                    rows = [model.data(model.index(r, 0, QtCore.QModelIndex())) for r in range(model.rowCount(QtCore.QModelIndex()))]
                    if len(rows) > len(tops):
                        tops = rows
        for title in tops:
            sys.stderr.write('treeline: row %s\n' % str(title).replace('\n', ' '))
        sys.stderr.write('treeline: tree shown (%d branches at the first level)\n' % len(tops))
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

/// The titles of the first level of the 100,000-branch database, sorted.
QStringList expectedFirstLevel() {
    static QStringList titles;
    if (!titles.isEmpty()) return titles;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(benchdata::databaseFolder() + "/Hierarchy.DB").constData(), &db,
                    SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT NodeName FROM \"Hierarchy.DB\" WHERE ParentNodeID = 0", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        titles << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    titles.sort();
    return titles;
}

/// The program started here skips the Getting Started wizard, as for a user who has switched
/// it off: the setting is written into the per-user settings below `configHome`.
void switchOffStartupWizard(const QString& configHome) {
    const QString previous = settings::ConfigRoot();
    settings::SetConfigRoot(QDir(configHome).filePath(QStringLiteral("dossara")));
    core::WriteWinRegBool(QStringLiteral("Preferences"), QStringLiteral("ShowStartupWizard"), false);
    settings::SetConfigRoot(previous);
}

/// One start; answers the seconds until the program's report line (negative on failure, or
/// when the first level it shows is not the database's: as many rows, and for TreeLine,
/// which reports them, the same titles).
double startOnce(const QString& program, const QStringList& arguments, const QByteArray& reportLine,
                 const std::string& name) {
    // Its own temporary folder too: a program that finds another instance's socket or lock
    // there would hand the file over to it.
    QTemporaryDir dir;
    QFile::link(QStringLiteral(DOSSARA_BIN_DIR "/Library"), dir.filePath(QStringLiteral("Library")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), dir.path());
    switchOffStartupWizard(dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    env.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));
    QDir(dir.path()).mkpath(QStringLiteral("tmp"));
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
    process.kill();
    process.waitForFinished();
    const int at = output.indexOf(reportLine);
    const int open = output.indexOf('(', at);
    g_firstLevel[name] = output.mid(open + 1, output.indexOf(' ', open) - open - 1).toInt();
    const QStringList expected = expectedFirstLevel();
    QStringList rows;
    for (const QByteArray& line : output.split('\n'))
        if (line.startsWith("treeline: row ")) rows << QString::fromUtf8(line.mid(14));
    rows.sort();
    if (g_firstLevel[name] != expected.size() || (name == "treeline" && rows != expected)) {
        std::fprintf(stderr, "%s showed %d rows at the first level, not the database's %d:\n%s\n", name.c_str(),
                     g_firstLevel[name], int(expected.size()), output.left(4000).constData());
        return -1;
    }
    return seconds;
}

void runProgram(benchmark::State& state, const QString& program, const QStringList& arguments,
                const QByteArray& reportLine, const std::string& name) {
    for (auto _ : state) {
        const double seconds = startOnce(program, arguments, reportLine, name);
        if (seconds < 0) {
            state.SkipWithError("the program did not show the expected tree");
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

/// Notes the paints of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintWatch() override { m_widget->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;

private:
    QWidget* m_widget;
};

/// Expands `item` as a user's click on its expand sign does (mouse pressed and released on
/// it), then lets the window run until the tree's viewport has been painted with the new
/// rows: the seconds from the click to the end of that paint (negative when the branch did
/// not open).
double clickOpenAndPaint(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    // Everything the setup left to do is done before the clock starts.
    QApplication::processEvents();
    tree->viewport()->repaint();
    PaintWatch watch(tree->viewport());
    const QRect row = tree->visualItemRect(item);
    // The expand sign stands in the indentation left of the row.
    const QPointF sign(row.left() - tree->indentation() / 2.0, row.center().y());
    const QPointF global = tree->viewport()->mapToGlobal(sign);
    QElapsedTimer clock;
    clock.start();
    QMouseEvent press(QEvent::MouseButtonPress, sign, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, sign, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &release);
    while (watch.paints == 0 && clock.elapsed() < 10000) QApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!item->isExpanded() || watch.paints == 0) return -1;
    return seconds;
}

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
        const double seconds = clickOpenAndPaint(core::Explorer()->TreeView, root);
        if (seconds < 0) {
            state.SkipWithError("the click did not open the branch, or the window did not paint it");
            return;
        }
        state.SetIterationTime(seconds);
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
    if (!g_flat || !g_flat->Ready()) {
        state.SkipWithError("no database");
        return;
    }
    sqlite3* raw = nullptr;
    sqlite3_open_v2(qPrintable(g_flat->Folder() + "/Hierarchy.DB"), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, SqliteDeleter> db(raw);
    sqlite3_exec(raw, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    sqlite3_stmt* s1 = nullptr;
    sqlite3_stmt* s2 = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT NodeID, NodeName, NodeType FROM \"Hierarchy.DB\" WHERE ParentNodeID = ?1 "
                       "ORDER BY NodeName",
                       -1, &s1, nullptr);
    sqlite3_prepare_v2(raw, "SELECT DISTINCT ParentNodeID FROM \"Hierarchy.DB\" WHERE ParentNodeID BETWEEN ?1 AND ?2", -1,
                       &s2, nullptr);
    std::unique_ptr<sqlite3_stmt, SqliteDeleter> children(s1), parents(s2);
    // A tree set up as the explorer's, of the same size, filled when a branch opens.
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setColumnCount(1);
    tree.setIndentation(19);
    tree.setUniformRowHeights(true);
    tree.setSortingEnabled(true);
    tree.sortByColumn(0, Qt::AscendingOrder);
    tree.resize(core::Explorer()->TreeView->size());
    tree.show();
    std::vector<QIcon> icons;
    for (int v = 0; v < ViewControl().GetViewCount(); ++v)
        icons.push_back(QIcon(QPixmap::fromImage(ViewControl().GetViewSmallIcon(v))));
    QObject::connect(&tree, &QTreeWidget::itemExpanded, &tree, [&](QTreeWidgetItem* root) {
        if (root->childCount() > 0) return;
        sqlite3_reset(s1);
        sqlite3_bind_int(s1, 1, root->data(0, Qt::UserRole).toInt());
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
    });
    for (auto _ : state) {
        tree.clear();
        auto* root = new QTreeWidgetItem(&tree, {QStringLiteral("Debian documentation, flat")});
        root->setData(0, Qt::UserRole, benchdata::flatRootNodeID());
        root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        const double seconds = clickOpenAndPaint(&tree, root);
        if (seconds < 0) {
            state.SkipWithError("the click did not open the branch, or the window did not paint it");
            return;
        }
        state.SetIterationTime(seconds);
        g_baselineChildren.clear();
        for (int i = 0; i < root->childCount(); ++i) g_baselineChildren.insert(root->child(i)->data(0, Qt::UserRole).toInt());
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
