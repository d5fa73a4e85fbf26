#pragma once

#include "core/text_helpers.h"

#include <QChar>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class TtsTable;
class TtsSearch;
class TtsCache;
class TtsTextTableLink;
class TtsWordsTableLink;
class TtsUpdate;

namespace db {
class Table;
}

namespace core {

/// Colour codes as the settings table stores them: an RGB value 0x00BBGGRR, or a system
/// colour (negative: 0x80000000 + the system colour's number).
using ColorCode = int;
inline constexpr ColorCode kClBtnFace = -2147483633;   ///< button face
inline constexpr ColorCode kClWindow = -2147483643;    ///< window background
inline constexpr ColorCode kClWindowText = -2147483640; ///< window text
inline constexpr ColorCode kClYellow = 65535;
inline constexpr ColorCode kClRed = 255;
/// A docked note's share of the View window when the View does not say: a quarter, in
/// thousandths of a percent (a share of 20 would leave the note practically closed).
inline constexpr int kDefaultNoteDockHeight = 25000;

/// A rectangle as the View settings hold it: top, left, height, width.
struct ViewRect {
    int Top = 0;
    int Left = 0;
    int Height = 0;
    int Width = 0;
    bool operator==(const ViewRect&) const = default;
};

/// One of the four fonts of a field (normal, changed, error, label). Stored as five settings
/// variables: <prefix>FontName, FontColor, FontSize (points), FontStyle (the helper
/// library's style text) and Charset (0-255).
struct FieldFont {
    QString Name = QStringLiteral("Arial");
    ColorCode Color = kClWindowText;
    int Size = 8;
    FontStyles Style;
    int Charset = 0;
    bool operator==(const FieldFont&) const = default;
};

}  // namespace core

/// The definition of one field of a View: its column, its controls' places, colours and
/// fonts for the three display states, and its label. Run-time members (controls, the
/// pending table change) are never read from or written to the settings.
///
/// Pending table change (set while a View is customised, cleared when the change is
/// applied): IsNew (the column must be created), IsChanged (name, type or length changed;
/// the Original... members hold the values from before the first change), MarkedForDelete
/// (the column goes when the customisation is saved).
struct TViewFieldDef {
    QString FieldName;
    QChar FieldType = u'A';       ///< S string, N integer, F float, D date, B true/false; others get no control
    short FieldLength = 20;       ///< column length; for strings the maximum number of characters
    bool FieldIsVisible = true;
    core::ViewRect FieldPosition{10, 10, 24, 100};
    QString FieldMask;            ///< edit mask without the ";literal;blank" suffix
    bool FieldMaskLiteral = false;  ///< always false for F and N
    bool FieldMaskInHint = false;
    bool FieldShowHint = false;
    QString FieldHint;            ///< "|" stands for a line break
    bool FieldLongDateHint = false;
    bool FieldDateFormatHint = false;
    bool OldDateWarned = false;   ///< run time: the too-old-date warning was given for the current value
    int FieldTabOrder = 0;
    core::ColorCode NormalColor = core::kClWindow;
    core::ColorCode ChangedColor = core::kClYellow;
    core::ColorCode ErrorColor = core::kClRed;
    core::FieldFont NormalFont;
    core::FieldFont ChangedFont;
    core::FieldFont ErrorFont;
    short CheckboxAlignment = 0;  ///< B fields: 0 box left of its caption, 1 right of it
    core::ViewRect LabelPosition{10, 10, 24, 100};
    bool LabelIsVisible = true;
    core::FieldFont LabelFont;
    core::ColorCode LabelColor = core::kClBtnFace;
    QString LabelCaption;
    short LabelRelative = 0;      ///< 0 above, 1 below, 2 left, 3 right, 4 exact position
    short LabelAlign = 0;         ///< 0 left, 1 right, 2 centred
    bool LabelUseBasic = true;

    // ---- run time ----
    QPointer<QObject> EditControl;      ///< masked edit of an S, N, F or D field (owned by the View window)
    QPointer<QObject> LabelControl;     ///< its label (owned by the View window)
    QPointer<QObject> CheckBoxControl;  ///< check box of a B field (owned by the View window)
    bool IsNew = false;
    bool IsChanged = false;
    bool MarkedForDelete = false;
    QString OriginalName;
    QChar OriginalType;
    short OriginalLength = 0;
};

/// The definition of one View: name, table, window layout and fields. Components and
/// windows are owned elsewhere (the main data module, the search data module, the View
/// windows themselves) and only referenced here; a reference clears itself when its object
/// is freed.
struct TViewDef {
    QString ViewName;
    QString DataTableName;        ///< file name of the View table; its word table is this + "Dict"
    core::ViewRect ViewPosition{0, 0, 300, 500};
    int GlyphIndex = 0;           ///< icon ID in the View-icon library
    bool ShowViewOnStart = true;
    core::ColorCode ViewFormColor = core::kClBtnFace;
    core::ColorCode TitleColorFG = core::kClYellow;
    core::ColorCode TitleColorBG = core::kClBtnFace;
    bool ViewCanDock = false;
    bool DockViewOnShow = true;
    bool ViewIsDocked = false;    ///< run time (written, never read)
    bool ViewTitleVisible = true;
    bool ViewIsSearchable = true;
    bool RecordModified = false;  ///< run time
    bool NoteModified = false;    ///< run time
    bool DictOpen = false;        ///< run time: the word table opened
    bool ShowNoteOnStart = false;
    bool DockNoteOnStart = false;
    bool NoteIsDocked = false;    ///< run time (written, never read)
    core::ViewRect NotePosition{0, 0, 100, 100};
    int NoteDockHeight = core::kDefaultNoteDockHeight;  ///< docked note's share of the split area, in hundred-thousandths
    core::ColorCode NoteFormColor = core::kClBtnFace;
    int CurrentNodeID = -1;       ///< run time: NodeID of the shown record; -1 none

    // ---- run time: windows (owned by themselves) and components (owned by the data modules) ----
    QPointer<QObject> ViewWindow;
    QPointer<QObject> ListWindow;
    QPointer<QObject> NoteWindow;
    QPointer<TtsTable> DataTable;
    QPointer<db::Table> DictTable;
    QPointer<TtsSearch> Searcher;
    QPointer<TtsCache> SearchCache;
    QPointer<TtsCache> UpdateCache;
    QPointer<TtsTextTableLink> TextLink;
    QPointer<TtsWordsTableLink> WordsLink;
    QPointer<TtsUpdate> Updater;

    std::vector<TViewFieldDef> FieldDefs;
};
