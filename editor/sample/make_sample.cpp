// Writes the sample database that `make run` opens: a settings table Registry.DB with rows
// in each of its sections, every value with its CRC. Usage: tarnwell_sample <folder>

#include "core/settings_store.h"
#include "editor/main_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwell_sample <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    try {
        QDir().mkpath(folder);
        QFile::remove(QDir(folder).filePath(core::kSettingsTableName));
        core::CreateSettingsTable(folder);
        TMainData data;
        data.OpenTable(QDir(folder).filePath(core::kSettingsTableName));
        struct Row {
            const char* section;
            const char* key1;
            const char* key2;
            const char* variable;
            const char* value;
        };
        static const Row rows[] = {
            {"Forms", "Main", "Layout", "Position", "10,10,480,640"},
            {"Forms", "Main", "Layout", "Maximized", "FALSE"},
            {"Forms", "Main", "DisplayOptions", "ShowToolbar", "TRUE"},
            {"Forms", "TreeNoteForm", "Layout", "Position", "120,700,300,260"},
            {"Forms", "QSSearch", "Layout", "Position", "80,80,360,420"},
            {"Preferences", "General", "Options", "ConfirmDelete", "TRUE"},
            {"Preferences", "General", "Options", "OpenLastView", "TRUE"},
            {"Preferences", "Display", "Colors", "Background", "-16777211"},
            {"Preferences", "Dates", "Formats", "ShortDate", "dd/mm/yyyy"},
            {"Preferences", "Messages", "Confirmation", "DeleteBranch", "TRUE"},
            {"Views", "Control", "Counts", "ViewCount", "2"},
            {"Views", "00", "Layout", "Name", "Contacts"},
            {"Views", "00", "Layout", "TableName", "Contacts.DB"},
            {"Views", "00", "Field_00", "Label", "Name"},
            {"Views", "00", "Field_01", "Label", "Telephone"},
            {"Views", "01", "Layout", "Name", "Recipes"},
            {"Views", "01", "Field_00", "Label", "Title"},
            {"Wizards", "MaskBuilder", "Control", "LastMask", "(999) 000-0000"},
            {"Wizards", "Shortcut", "Control", "Folder", "Desktop"},
        };
        for (const Row& r : rows)
            data.WriteRegistryValue(QString::fromUtf8(r.section), QString::fromUtf8(r.key1), QString::fromUtf8(r.key2),
                                    QString::fromUtf8(r.variable), QString::fromUtf8(r.value));
        data.CloseTable();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnwell_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
