// Test helper: opens a database in the records manager's main window (off screen, with the
// View layer and the explorer as the program installs them) and adds branches, edits their
// records in their View windows, and copies, moves and deletes branches through the explorer
// until it is killed, printing one line after each change ("add", "edit", "copy", "move",
// "delete"). Used to kill the program at random moments.
//   dossara_core_branch_editor <database folder> <library folder> <settings folder> <seed> [shared]
// With "shared", another program changes the same database at the same time: a branch that
// went away under this program's tree is passed over instead of ending the run.

#include "core/globals.h"
#include "core/gui/explorer.h"
#include "core/gui/main_form.h"
#include "core/gui/view_form.h"
#include "core/main_data_mod.h"
#include "core/search_data.h"
#include "core/view_control.h"
#include "core/view_layer.h"
#include "core/view_tables.h"
#include "core/win_registry.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/settings/ini_document.h"
#include "platform/ui/dialog_service.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <random>

namespace {

/// Answers every question with OK or Yes and accepts every dialog; each message goes to
/// standard error (a failed change is reported there and the loop goes on). The "Create
/// New Branch" dialog is answered with the title and View set in `title` and `view`.
class AnswerEverything : public ui::DialogService {
public:
    ui::Button Message(const ui::MessageRequest& request) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return request.buttons.testFlag(ui::Button::Yes) ? ui::Button::Yes : ui::Button::Ok;
    }
    std::optional<QString> ChooseFileToOpen(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(const ui::FileRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const ui::FileRequest&) override { return std::nullopt; }
    int ExecModal(QObject& dialog) override {
        if (auto* form = dynamic_cast<TNodeParmsForm*>(&dialog)) {
            form->ItemType->setCurrentRow(view);
            form->NodeName->setPlainText(title);
        }
        return QDialog::Accepted;
    }
    QString title;
    int view = 0;
};

// Titles and texts from the sample catalogue's own words.
const char* const kWords[] = {"archive", "compression", "dictionary", "spelling", "typesetting", "collation",
                              "hyphenation", "thesaurus", "fonts", "printing", "scanner", "calendar"};

struct Branch {
    int parent = 0;
    QString name;
};

std::map<int, Branch> branches(const QString& folder) {
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(QStringLiteral("Hierarchy.DB"));
    t.SetReadOnly(true);
    t.Open();
    std::map<int, Branch> rows;
    for (t.First(); !t.Eof(); t.Next())
        rows[t.FieldByName(QStringLiteral("NodeID"))->AsInteger()] = {
            t.FieldByName(QStringLiteral("ParentNodeID"))->AsInteger(), t.FieldByName(QStringLiteral("NodeName"))->AsString()};
    return rows;
}

bool isBelow(const std::map<int, Branch>& rows, int id, int ancestor) {
    for (int at = id, steps = 0; at > 0 && steps < 1000; ++steps) {
        if (at == ancestor) return true;
        auto it = rows.find(at);
        if (it == rows.end()) return false;
        at = it->second.parent;
    }
    return false;
}

/// The number of branches in the subtree of each branch (itself included).
std::map<int, int> subtreeSizes(const std::map<int, Branch>& rows) {
    std::map<int, std::vector<int>> children;
    for (const auto& [id, b] : rows) children[b.parent].push_back(id);
    std::map<int, int> sizes;
    std::function<int(int)> size = [&](int id) {
        int n = 1;
        for (int child : children[id]) n += size(child);
        return sizes[id] = n;
    };
    for (int root : children[0]) size(root);
    return sizes;
}

/// The child of `parent` titled `name` with the highest NodeID above `above` (a copy just made).
int newChild(const std::map<int, Branch>& rows, int parent, const QString& name, int above) {
    int found = 0;
    for (const auto& [id, b] : rows)
        if (id > above && b.parent == parent && b.name == name) found = id;
    return found;
}

void say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 && args.size() != 6) return 2;
    const QString folder = args[1];
    settings::SetConfigRoot(args[3]);
    const bool shared = args.size() == 6 && args[5] == QLatin1String("shared");
    auto answers = std::make_unique<AnswerEverything>();
    AnswerEverything* answering = answers.get();
    ui::SetDialogService(std::move(answers));
    Globals().LibraryFolder = args[2];
    core::WriteWinRegBool(QStringLiteral("Preferences"), QStringLiteral("ShowStartupWizard"), false);
    std::mt19937 random(args[4].toUInt());

    TMainForm form;
    auto* data = new TMainDataMod(&form);
    form.SetDataModule(data);
    form.SetSplashPauseMs(0);
    TSearchData searchData(*data);
    core::ViewTables viewTables(ViewControl(), *data, searchData);
    viewTables.Install();
    searchData.Tables = &viewTables;
    searchData.Views = &ViewControl();
    InstallViewWindows(ViewControl(), viewTables, &form, data);
    core::InstallExplorer(&form);
    form.SetParameters({QStringLiteral("/db:") + folder});
    form.show();
    QElapsedTimer started;
    started.start();
    while (!form.StartupDone() && started.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    auto* explorer = form.findChild<TExplorer*>(QStringLiteral("Explorer"));
    auto* tree = explorer ? explorer->findChild<QTreeWidget*>(QStringLiteral("TreeView")) : nullptr;
    while (tree && tree->topLevelItemCount() == 0 && started.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!Globals().DatabaseOpen || !tree || tree->topLevelItemCount() == 0) {
        std::fprintf(stderr, "the database did not open\n");
        return 1;
    }
    say("open");
    auto word = [&] { return QString::fromLatin1(kWords[std::uniform_int_distribution<size_t>(0, std::size(kWords) - 1)(random)]); };
    for (;;) {
        std::map<int, Branch> rows = branches(folder);
        if (rows.empty()) return 3;
        // A new branch below any branch, in any View, and its record edited in its View window.
        {
            std::vector<int> ids;
            for (const auto& [id, b] : rows) ids.push_back(id);
            const int parent = ids[std::uniform_int_distribution<size_t>(0, ids.size() - 1)(random)];
            answering->view = std::uniform_int_distribution<int>(0, ViewControl().GetViewCount() - 1)(random);
            answering->title = word() + u' ' + word();
            const int highest = rows.rbegin()->first;
            QTreeWidgetItem* parentNode = explorer->FindNodeByID(parent);
            if (parentNode) {
                explorer->AddBranch(parentNode, true);
                const std::map<int, Branch> now = branches(folder);
                const int added = newChild(now, parent, answering->title, highest);
                if (added == 0 && !shared) return 6;
                if (added) say("add");
                QTreeWidgetItem* addedNode = added ? explorer->FindNodeByID(added) : nullptr;
                if (addedNode) {
                    tree->setCurrentItem(addedNode);
                    const int view = answering->view;
                    QElapsedTimer shown;
                    shown.start();
                    TViewBaseForm* window = nullptr;
                    while (shown.elapsed() < 5000) {
                        QApplication::processEvents(QEventLoop::AllEvents, 20);
                        window = qobject_cast<TViewBaseForm*>(ViewControl().ViewDefs[size_t(view)].ViewWindow.data());
                        if (window && ViewControl().GetViewCurrentNodeID(view) == added) break;
                        window = nullptr;
                    }
                    const auto& fields = ViewControl().ViewDefs[size_t(view)].FieldDefs;
                    int text = -1;
                    for (size_t i = 0; i < fields.size() && text < 0; ++i)
                        if (fields[i].FieldType == u'S' && fields[i].FieldIsVisible && fields[i].EditControl) text = int(i);
                    if (window && text >= 0) {
                        window->SetFieldText(text, word() + u' ' + word() + u' ' + word());
                        if (window->SaveRecord()) say("edit");
                        else window->CancelRecord();
                    }
                }
            }
        }
        rows = branches(folder);
        // A small branch below a root, and a target outside it.
        std::vector<int> sources, targets;
        const std::map<int, int> sizes = subtreeSizes(rows);
        for (const auto& [id, b] : rows) {
            targets.push_back(id);
            auto size = sizes.find(id);
            if (b.parent > 0 && size != sizes.end() && size->second <= 12) sources.push_back(id);
        }
        if (sources.empty()) continue;
        const int source = sources[std::uniform_int_distribution<size_t>(0, sources.size() - 1)(random)];
        auto pickTarget = [&](const std::map<int, Branch>& now, int moving) {
            for (int tries = 0; tries < 1000; ++tries) {
                const int t = targets[std::uniform_int_distribution<size_t>(0, targets.size() - 1)(random)];
                if (now.count(t) && now.count(moving) && !isBelow(now, t, moving) && now.at(moving).parent != t) return t;
            }
            return 0;
        };
        const int highest = rows.rbegin()->first;
        const int target = pickTarget(rows, source);
        if (target == 0) continue;
        QTreeWidgetItem* sourceNode = explorer->FindNodeByID(source);
        QTreeWidgetItem* targetNode = explorer->FindNodeByID(target);
        if (!sourceNode || !targetNode || !explorer->CopySubtree(sourceNode, targetNode, false)) {
            std::fprintf(stderr, "no copy of %d to %d (%p %p)\n", source, target, (void*)sourceNode, (void*)targetNode);
            continue;
        }
        say("copy");
        std::map<int, Branch> now = branches(folder);
        const int copy = newChild(now, target, rows.at(source).name, highest);
        if (copy == 0) {
            if (shared) continue;
            return 4;
        }
        const int moveTo = pickTarget(now, copy);
        if (moveTo == 0 || !explorer->FindNodeByID(copy) || !explorer->FindNodeByID(moveTo)) continue;
        const int highestNow = now.rbegin()->first;
        if (!explorer->CopySubtree(explorer->FindNodeByID(copy), explorer->FindNodeByID(moveTo), true)) continue;
        say("move");
        now = branches(folder);
        const int moved = newChild(now, moveTo, rows.at(source).name, highestNow);
        if (moved == 0) {
            if (shared) continue;
            return 5;
        }
        QTreeWidgetItem* movedNode = explorer->FindNodeByID(moved);
        if (!movedNode) continue;
        explorer->DeleteBranch(movedNode, false);
        say("delete");
    }
}
