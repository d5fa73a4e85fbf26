#pragma once

#include <QString>

#include <functional>

namespace ui {

/// The help service. Each program names its help file (for example "Help/Dossara.hlp"
/// beside the program); help is shown as HTML pages from the folder of that file: the page
/// "<context>.html" for a context, "index.html" for the contents. When no page exists the
/// user is told plainly that no help is installed.
class HelpService {
public:
    static void SetHelpFile(const QString& path);
    static QString HelpFile();

    /// Shows the topic of `context` (0 or negative: the contents). Returns true when a page
    /// was opened.
    static bool ShowContext(int context);
    static bool ShowContents() { return ShowContext(0); }

    /// The HTML page that would be opened for `context`, or empty when there is none.
    static QString PageFor(int context);

    /// Shows the page of a keyword ("<keyword>.html" beside the help file; the contents when
    /// there is none; empty keyword: the contents). Returns true when a page was opened.
    static bool ShowKeyword(const QString& keyword);
    /// The page a keyword opens, or empty when there is none.
    static QString PageForKeyword(const QString& keyword);

    /// How a page is opened; the GUI installs one that uses the desktop's browser.
    static void SetPageOpener(std::function<bool(const QString& path)> opener);
};

/// The text shown when no help page can be found.
QString NoHelpText();

/// A short warning sound. The GUI installs the real one; without it nothing sounds.
void Beep();
void SetBeeper(std::function<void()> beeper);

}  // namespace ui
