#pragma once

#include "platform/base/messages.h"
#include "report/page/report_types.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <vector>

/// The numbered texts of the report library and the language modules that translate them.
/// Text N is string-table entry 43000 + N. The program's own table holds the default
/// (English) texts, declared by each area with report::DeclareTexts. A language module is
/// a file "<module name>.<language extension>" ("tsPrint.fra") in one of the search folders
/// (the program's folder unless set otherwise); it is read as data only. Its format, UTF-8:
///
///     ; comment lines start with ";" or "#"; blank lines are skipped
///     43018=Page
///     43028=Impression de la page <page> sur <pagecount>
///
/// one entry per line: the string-table id in decimal, "=", the text, in which "\r", "\n",
/// "\t" and "\\" stand for a carriage return, a line feed, a tab and a backslash. Lines of
/// another form are skipped; a text is cut to 1023 characters.
///
/// States: the language is lgDefault at creation; each registered module is loaded (its
/// file was read) or not. Modules are read only on RegisterModule and SetLanguage.
class TppResourceManager {
public:
    TppResourceManager();

    TppLanguageType Language() const { return m_language; }
    /// Registered module names in registration order.
    QStringList Modules() const;
    int LoadedCount() const { return m_loadedCount; }

    /// The text of string-table entry aIdent: from the first loaded module, in registration
    /// order, that holds a non-empty entry; else from the program's own table; else empty.
    QString GetString(int aIdent) const;
    /// Registers a module name (once, case-insensitive) and reads its file for the current
    /// language; a missing or unreadable file leaves it unloaded.
    void RegisterModule(const QString& aName);
    /// Forgets a registered module and its texts.
    void UnRegisterModule(const QString& aName);
    /// Switches the language and rereads every registered module. A language other than
    /// lgDefault for which no module could be read is refused: the previous language stays,
    /// no module stays loaded, and the answer is false. lgDefault always succeeds.
    bool SetLanguage(TppLanguageType aLanguage);

    /// The folders searched for module files, in order.
    QStringList SearchFolders() const { return m_searchFolders; }
    void SetSearchFolders(const QStringList& folders) { m_searchFolders = folders; }

private:
    struct Module {
        QString name;
        std::optional<QHash<int, QString>> texts;  ///< set when the module's file was read
    };
    void load(Module& module);
    std::optional<QHash<int, QString>> readModule(const QString& name) const;

    TppLanguageType m_language = TppLanguageType::lgDefault;
    std::vector<Module> m_modules;
    int m_loadedCount = 0;
    QStringList m_searchFolders;
};

/// The one resource manager, created on first use.
TppResourceManager& ppGetResourceManager();
/// Frees the resource manager (the report library's shut-down); the next use creates a new one.
void ppFreeResourceManager();

/// Numbered text N (string-table entry 43000 + N) in the current language.
QString ppGetMessageText(int N);
/// The text with every placeholder ("<page>", "<filename>", ...) replaced by "%s", for
/// formatting with one argument per placeholder in the order they occur.
QString ppMessageToFormat(const QString& aText);
/// The module file extension of a language ("dft", "fra", ...).
QString ppGetLanguageExtension(TppLanguageType aLanguage);

namespace report {

/// String-table entry of numbered text N.
inline constexpr int kTextBase = 43000;

/// Declares default texts by their numbers N (not string-table ids).
void DeclareTexts(std::initializer_list<base::MessageDef> texts);

/// Numbered text N with its placeholders filled by `args` in the order they occur.
QString MessageText(int N, const QStringList& args = {});

}  // namespace report
