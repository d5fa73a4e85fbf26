#pragma once

#include <QImage>
#include <QString>

#include <vector>

class QListWidget;
class TMainDataMod;

/// One row of the template library (TemplateLib.db) as the database wizards show it.
struct TTemplateItem {
    int ID = 0;
    QString Name;
    QString Path;
    QString Description;
    QImage Icon;
    /// The template's folder is missing or holds no database: shown with the missing mark,
    /// and refused (help context 10114) before anything is made.
    bool Missing = false;
};

/// The templates of the main data module's TemplateLib.db in name order (the table is opened
/// when closed and left as it was). A library that cannot be read gives no templates.
std::vector<TTemplateItem> ReadTemplates(TMainDataMod& data);

/// Fills a large-icon list: caption the name, data the ID, picture the icon at 32 x 32
/// (a missing template's picture carries the missing mark).
void FillTemplateList(QListWidget* list, const std::vector<TTemplateItem>& templates);

/// "<Documents>/Dossara/": where new databases are proposed.
QString DefaultDatabaseFolder();

/// The proposed folder of a new database from `name`: the default folder + the name made a
/// valid file name (trimmed), made unique ("_1", "_2", ... while such a folder exists).
QString ProposedDatabaseFolder(const QString& defaultFolder, const QString& name);

/// Whether a path typed for a new database is still a proposal (blank, or inside the default
/// folder) that a newly chosen template may replace.
bool IsProposedPath(const QString& path, const QString& defaultFolder);

/// Shows the template's help: the first "*.hlp" file of its folder, through the help
/// service; "No help is available for that template." when it has none.
void ShowTemplateHelp(const QString& templateFolder);
/// Whether the template's folder holds a help file.
bool TemplateHasHelp(const QString& templateFolder);
