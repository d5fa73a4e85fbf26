// Test helper: opens a database through the main data module and adds branches, printing
// each new NodeID on its own line. Used to run two writers on one database at once.
//   dossara_core_branch_writer <folder> <count> <title>

#include "core/main_data_mod.h"
#include "core/view_control.h"

#include "platform/db/db_error.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) return 2;
    try {
        TViewControl views;
        TMainDataMod module(nullptr, &views);
        module.ConnectDatabase(args[1]);
        const int count = args[2].toInt();
        for (int i = 0; i < count; ++i) {
            // The other writer may hold the table past the engine's wait on a loaded machine:
            // a locked table is tried again, as a user would, any other failure ends the run.
            for (int attempt = 1;; ++attempt) {
                try {
                    const int id = module.InsertBranch(0, args[3] + QStringLiteral(" branch %1").arg(i), 0, 45000.0);
                    std::printf("%d\n", id);
                    std::fflush(stdout);
                    break;
                } catch (const db::EDBEngineError& e) {
                    if (e.Code() != db::ErrorCode::kTableLocked || attempt == 20) throw;
                }
            }
        }
        module.DisconnectDatabase();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
