#pragma once

#include "core/view_def.h"

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

/// The definitions of all Views of the open database, their stored form in the settings
/// table, and the accessors through which the rest of the records core reads and changes
/// them. One program-wide instance (`ViewControl()`), emptied at start-up and when a
/// database closes; tests make their own.
///
/// Stored form: rows of the settings table (core/settings_store.h) in Section "Views":
///
/// | Key1        | Key2          | Variable          | content                                  |
/// |-------------|---------------|-------------------|------------------------------------------|
/// | "Control"   | "Counts"      | "ViewCount"       | number of Views (default 0)              |
/// | view number | "Layout"      | layout variables  | one row per variable (SaveViewLayout)    |
/// | view number | "Fields"      | "Count"           | number of fields of the View (default 0) |
/// | view number | "Field_" + nn | field variables   | one row per variable (SaveFieldDefs)     |
///
/// View and field numbers are the zero-based indexes padded with "0" to two digits ("00",
/// "07"; 100 and more keep all digits). Rectangles are "top,left,height,width"; Booleans
/// "TRUE"/"FALSE"; integers and colours decimal. ViewCount is never written here: the
/// Views come with the database's settings table.
///
/// Index checks: View and field indexes are zero-based. An index beyond the last View
/// shows "Internal error: View index out of range." (help 10101) and the accessor answers
/// its default or does nothing; a field index beyond the last answers false silently
/// unless the View index failed, when "Internal error: Field index out of range." (help
/// 10142) follows. A negative index fails the check silently (no definition is touched).
class TViewControl {
public:
    std::vector<TViewDef> ViewDefs;
    int CurrentView = -1;                 ///< View whose window was activated last; -1 none
    QPointer<QObject> CustomizingWindow;  ///< the View window in customize mode
    int NextNodeID = 1000;                ///< next free NodeID (at least 1000 while Hierarchy.DB is open)
    std::vector<qint16> IconMap;          ///< icon ID -> image index in the View image lists
    /// The View image lists of the main data module (index = image index); not owned.
    const std::vector<QImage>* ViewImagesSmall = nullptr;
    const std::vector<QImage>* ViewImagesLarge = nullptr;

    // ---- seams to the per-View components and the table restructure ----
    /// Frees every View's components and windows before a load; answers false when that
    /// fails. Unset: the definitions are simply dropped.
    std::function<bool()> FreeAllViews;
    /// Makes a View's table and full-text components after its definition was read.
    std::function<void(int view)> CreateViewComponents;
    /// Applies a field's pending table change (create, change or drop its column) and
    /// clears the flags; answers false for a field that must not be written (dropped, or
    /// its change failed). Unset: the flags are cleared and a field marked for deletion
    /// answers false.
    std::function<bool(int view, int field)> ApplyFieldRestructure;
    /// Creates the controls of a newly added field in the open View window.
    std::function<void(int view, int field)> CreateFieldControls;

    /// Drops every definition (the database closed).
    void Clear();

    // ---- loading and saving ----
    bool LoadViewDefinitions();
    /// New View index, or -1 when the array cannot grow.
    int AddViewDef();
    /// Reads the Layout variables and then the fields. A damaged rectangle text raises
    /// EConvertError, which ends the load.
    void LoadViewLayout(int view);
    void LoadFieldDefs(int view);
    int AddFieldDef(int view);
    int AddNewField(int view);
    /// DeleteMarkedFieldSettings, then SaveViewLayout.
    void SaveViewDefinition(int view);
    void SaveViewLayout(int view);
    void SaveFieldDefs(int view);
    void DeleteMarkedFieldSettings(int view);
    void RememberOriginalField(int view, int field);
    static QString FieldTypeText(QChar letter);
    int GetIconImageIndex(int iconID) const;

    // ---- index checks ----
    bool CheckViewIndex(int view) const;
    bool CheckFieldIndex(int view, int field) const;

    // ---- View accessors ----
    int GetViewCount() const { return int(ViewDefs.size()); }
    void SetCurrentViewIndex(int view);
    bool IsViewWindowOpen(int view) const;
    bool IsNoteWindowOpen(int view) const;
    QObject* GetViewWindow(int view) const;
    QObject* GetNoteWindow(int view) const;
    bool IsNoteFloating(int view) const;
    TtsTable* GetViewTable(int view) const;
    QString GetViewTableName(int view) const;
    bool IsViewTableOpen(int view) const;
    db::Table* GetViewDictTable(int view) const;
    bool IsViewDictTableOpen(int view) const;
    bool GetRecordModified(int view) const;
    void SetRecordModified(int view, bool value);
    bool GetNoteModified(int view) const;
    void SetNoteModified(int view, bool value);
    QString GetViewName(int view) const;
    void SetViewName(int view, const QString& value);
    int GetViewGlyphIndex(int view) const;
    void SetViewGlyphIndex(int view, int value);
    int GetViewCurrentNodeID(int view) const;
    void SetViewCurrentNodeID(int view, int value);
    /// The View's icon from the large or small View image list (a null image when none).
    QImage GetViewLargeIcon(int view) const;
    QImage GetViewSmallIcon(int view) const;
    bool GetViewIsSearchable(int view) const;
    bool SetViewIsSearchable(int view, bool value);
    core::ColorCode GetViewFormColor(int view) const;
    void SetViewFormColor(int view, core::ColorCode value);
    bool GetViewIsDocked(int view) const;
    void SetViewIsDocked(int view, bool value);
    bool GetNoteIsDocked(int view) const;
    void SetNoteIsDocked(int view, bool value);
    bool GetShowViewOnStart(int view) const;
    bool SetShowViewOnStart(int view, bool value);
    bool GetShowNoteOnStart(int view) const;
    bool SetShowNoteOnStart(int view, bool value);
    core::ViewRect GetViewPosition(int view) const;
    void SetViewPosition(int view, const core::ViewRect& value);
    core::ViewRect GetNotePosition(int view) const;
    void SetNotePosition(int view, const core::ViewRect& value);
    bool GetDockViewOnShow(int view) const;
    void SetDockViewOnShow(int view, bool value);
    bool GetDockNoteOnStart(int view) const;
    void SetDockNoteOnStart(int view, bool value);
    core::ColorCode GetNoteFormColor(int view) const;
    void SetNoteFormColor(int view, core::ColorCode value);
    core::ColorCode GetTitleColorFG(int view) const;
    void SetTitleColorFG(int view, core::ColorCode value);
    core::ColorCode GetTitleColorBG(int view) const;
    void SetTitleColorBG(int view, core::ColorCode value);
    bool GetViewTitleVisible(int view) const;
    bool SetViewTitleVisible(int view, bool value);
    int GetNoteDockHeight(int view) const;
    void SetNoteDockHeight(int view, int value);

    // ---- field accessors ----
    int GetViewFieldCount(int view) const;
    QObject* GetFieldEditControl(int view, int field) const;
    QString GetFieldName(int view, int field) const;
    void SetFieldName(int view, int field, const QString& value);
    QString GetFieldLabelCaption(int view, int field) const;
    void SetFieldLabelCaption(int view, int field, const QString& value);
    QChar GetFieldType(int view, int field) const;
    void SetFieldType(int view, int field, QChar value);
    short GetFieldLength(int view, int field) const;
    void SetFieldLength(int view, int field, short value);
    QString GetFieldMask(int view, int field) const;
    void SetFieldMask(int view, int field, const QString& value);
    bool FieldHasMask(int view, int field) const;
    core::ViewRect GetFieldPosition(int view, int field) const;
    void SetFieldPosition(int view, int field, const core::ViewRect& value);
    void SetLabelPosition(int view, int field, const core::ViewRect& value);
    /// State "C" changed, "E" error, anything else normal.
    core::ColorCode GetFieldColor(int view, int field, QChar state) const;
    /// State "C", "E" or "N"; other letters store nothing.
    void SetFieldColor(int view, int field, QChar state, core::ColorCode value);
    core::FieldFont GetFieldFont(int view, int field, QChar state) const;
    void SetFieldFont(int view, int field, QChar state, const core::FieldFont& font);
    core::ColorCode GetLabelColor(int view, int field) const;
    void SetLabelColor(int view, int field, core::ColorCode value);
    core::FieldFont GetLabelFont(int view, int field) const;
    void SetLabelFont(int view, int field, const core::FieldFont& font);
    bool GetFieldIsVisible(int view, int field) const;
    /// Also shows or hides the field's control and its label.
    void SetFieldIsVisible(int view, int field, bool value);
    bool GetLabelIsVisible(int view, int field) const;
    void SetLabelIsVisible(int view, int field, bool value);
    short GetCheckboxAlignment(int view, int field) const;
    void SetCheckboxAlignment(int view, int field, short value);
    short GetLabelRelative(int view, int field) const;
    void SetLabelRelative(int view, int field, short value);
    short GetLabelAlign(int view, int field) const;
    void SetLabelAlign(int view, int field, short value);
    bool GetLabelUseBasic(int view, int field) const;
    void SetLabelUseBasic(int view, int field, bool value);
    bool GetFieldMarkedForDelete(int view, int field) const;
    /// Also hides the field's controls when marking and shows them when unmarking.
    void SetFieldMarkedForDelete(int view, int field, bool value);
    void SetFieldTabOrder(int view, int field, int value);
    bool GetFieldMaskLiteral(int view, int field) const;
    void SetFieldMaskLiteral(int view, int field, bool value);
    bool GetFieldMaskInHint(int view, int field) const;
    void SetFieldMaskInHint(int view, int field, bool value);
    bool GetFieldShowHint(int view, int field) const;
    void SetFieldShowHint(int view, int field, bool value);
    QString GetFieldHint(int view, int field) const;
    void SetFieldHint(int view, int field, const QString& value);
    bool GetOldDateWarned(int view, int field) const;
    void SetOldDateWarned(int view, int field, bool value);
    bool GetFieldLongDateHint(int view, int field) const;
    void SetFieldLongDateHint(int view, int field, bool value);
    bool GetFieldDateFormatHint(int view, int field) const;
    void SetFieldDateFormatHint(int view, int field, bool value);

    // ---- list fillers (the rows a dialog's list view shows) ----
    struct ListItem {
        QString Caption;
        int ImageIndex = -1;
        int Data = 0;  ///< View or field index
        bool operator==(const ListItem&) const = default;
    };
    void FillViewListView(std::vector<ListItem>& list) const;
    void FillFieldListView(int view, std::vector<ListItem>& list) const;
    void FillHiddenFieldListView(int view, std::vector<ListItem>& list) const;
    void FillTabOrderListView(int view, std::vector<ListItem>& list) const;

private:
    const TViewDef* viewAt(int view) const;
    TViewDef* viewAt(int view);
    const TViewFieldDef* fieldAt(int view, int field) const;
    TViewFieldDef* fieldAt(int view, int field);
    void readField(const QString& viewKey, const QString& fieldKey, TViewFieldDef& f, int fieldsRead);
    void writeField(const QString& viewKey, const QString& fieldKey, const TViewFieldDef& f);
};

/// The program's one instance.
TViewControl& ViewControl();

namespace core {
/// A View or field number as the settings keys hold it: padded with "0" to two digits.
QString ViewKeyNumber(int index);
QString FieldKey(int field);  ///< "Field_" + ViewKeyNumber(field)
}  // namespace core
