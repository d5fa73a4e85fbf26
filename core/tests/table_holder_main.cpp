// Test helper: keeps a table open, as another program using the database would, until its
// standard input closes.
//   dossara_core_table_holder <folder> <table file>

#include "platform/db/table.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) return 2;
    try {
        db::Table table;
        table.SetDatabaseName(args[1]);
        table.SetTableName(args[2]);
        table.Open();
        std::printf("open\n");
        std::fflush(stdout);
        char buffer[64];
        while (std::fgets(buffer, sizeof buffer, stdin)) {
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
