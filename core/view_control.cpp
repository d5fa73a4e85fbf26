#include "core/view_control.h"

#include "core/log.h"
#include "core/settings_store.h"
#include "core/tab_order_list.h"
#include "core/text_helpers.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/read_snapshot.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"

#include <QVariant>

#include <algorithm>
#include <new>

namespace core {

QString ViewKeyNumber(int index) { return PadLeft(QString::number(index), 2, u'0'); }
QString FieldKey(int field) { return QStringLiteral("Field_") + ViewKeyNumber(field); }

}  // namespace core

namespace {

using core::ColorCode;
using core::FieldFont;
using core::ViewRect;

const QString kViews = QStringLiteral("Views");
const QString kLayout = QStringLiteral("Layout");
const QString kFields = QStringLiteral("Fields");

QString rectText(const ViewRect& r) { return core::PositionToText({r.Top, r.Left, r.Height, r.Width}); }

/// Applies a non-empty position text over `r` (EConvertError for a damaged one).
void applyRectText(const QString& text, ViewRect& r) {
    core::PositionRecord p{r.Top, r.Left, r.Height, r.Width};
    core::TextToPosition(text, p);
    r = {p[0], p[1], p[2], p[3]};
}

ViewRect readRect(const QString& key1, const QString& key2, const QString& variable, const QString& defaultText) {
    ViewRect r;
    applyRectText(defaultText, r);
    const QString text = core::ReadRegString(kViews, key1, key2, variable, defaultText);
    if (!text.isEmpty()) applyRectText(text, r);
    return r;
}

FieldFont readFont(const QString& key1, const QString& key2, const QString& prefix) {
    FieldFont f;
    f.Name = core::ReadRegString(kViews, key1, key2, prefix + QStringLiteral("FontName"), QStringLiteral("Arial"));
    f.Color = core::ReadRegInt(kViews, key1, key2, prefix + QStringLiteral("FontColor"), core::kClWindowText);
    f.Size = core::ReadRegInt(kViews, key1, key2, prefix + QStringLiteral("FontSize"), 8);
    f.Style = core::TextToFontStyle(core::ReadRegString(kViews, key1, key2, prefix + QStringLiteral("FontStyle"), {}));
    f.Charset = core::ReadRegInt(kViews, key1, key2, prefix + QStringLiteral("Charset"), 0);
    return f;
}

void writeFont(const QString& key1, const QString& key2, const QString& prefix, const FieldFont& f) {
    core::WriteRegString(kViews, key1, key2, prefix + QStringLiteral("FontName"), f.Name);
    core::WriteRegInt(kViews, key1, key2, prefix + QStringLiteral("FontColor"), f.Color);
    core::WriteRegInt(kViews, key1, key2, prefix + QStringLiteral("FontSize"), f.Size);
    core::WriteRegString(kViews, key1, key2, prefix + QStringLiteral("FontStyle"), core::FontStyleToText(f.Style));
    core::WriteRegInt(kViews, key1, key2, prefix + QStringLiteral("Charset"), f.Charset);
}

void setVisible(QObject* control, bool visible) {
    if (control) control->setProperty("visible", visible);
}

/// Shows or hides a field's controls: the check box of a B field, else the edit and its label.
void showFieldControls(const TViewFieldDef& f, bool visible) {
    if (f.FieldType == u'B') {
        setVisible(f.CheckBoxControl, visible);
    } else {
        setVisible(f.EditControl, visible);
        setVisible(f.LabelControl, visible);
    }
}

/// Sets caption and hint of the window's dock action "A_Dock", when the window has one.
void setDockAction(QObject* window, const QString& caption, const QString& hint) {
    if (!window) return;
    if (QObject* action = window->findChild<QObject*>(QStringLiteral("A_Dock"))) {
        action->setProperty("text", caption);
        if (!hint.isEmpty()) action->setProperty("toolTip", hint);
    }
}

}  // namespace

TViewControl& ViewControl() {
    static TViewControl control;
    return control;
}

void TViewControl::Clear() {
    ViewDefs.clear();
    CurrentView = -1;
    CustomizingWindow = nullptr;
}

// ---- index checks ----

bool TViewControl::CheckViewIndex(int view) const {
    if (view < 0) return false;
    if (view < int(ViewDefs.size())) return true;
    ui::Message(QStringLiteral("Internal error: View index out of range.\nPress F1 for help."), ui::MessageKind::Error,
                ui::Button::Ok, 10101);
    return false;
}

bool TViewControl::CheckFieldIndex(int view, int field) const {
    if (!CheckViewIndex(view)) {
        if (view >= 0)
            ui::Message(QStringLiteral("Internal error: Field index out of range.\nPress F1 for help."),
                        ui::MessageKind::Error, ui::Button::Ok, 10142);
        return false;
    }
    return field >= 0 && field < int(ViewDefs[size_t(view)].FieldDefs.size());
}

const TViewDef* TViewControl::viewAt(int view) const { return CheckViewIndex(view) ? &ViewDefs[size_t(view)] : nullptr; }
TViewDef* TViewControl::viewAt(int view) { return CheckViewIndex(view) ? &ViewDefs[size_t(view)] : nullptr; }
const TViewFieldDef* TViewControl::fieldAt(int view, int field) const {
    return CheckFieldIndex(view, field) ? &ViewDefs[size_t(view)].FieldDefs[size_t(field)] : nullptr;
}
TViewFieldDef* TViewControl::fieldAt(int view, int field) {
    return CheckFieldIndex(view, field) ? &ViewDefs[size_t(view)].FieldDefs[size_t(field)] : nullptr;
}

// ---- loading ----

bool TViewControl::LoadViewDefinitions() {
    if (FreeAllViews && !FreeAllViews()) return false;
    Clear();
    // Some thousand settings reads in a row: one read transaction for all of them.
    db::ReadSnapshot snapshot;
    core::SettingsReadSession session;  // one damage message for the whole load
    if (db::Table* settings = core::SettingsTable(); settings && settings->Active()) snapshot = db::ReadSnapshot(*settings);
    const int count = core::ReadRegInt(kViews, QStringLiteral("Control"), QStringLiteral("Counts"),
                                       QStringLiteral("ViewCount"), 0);
    // The count is only believed as far as Views are stored (a View stores layout or field
    // rows; each missing value then takes its default): a damaged count (a negative one,
    // or one past the stored Views, up to the largest integer) fails the load once instead
    // of making components, and messages, for Views that are not there.
    if (count < 0) {
        qCWarning(lcCore) << "View count" << count << "is negative";
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const QString k = core::ViewKeyNumber(i);
        if (core::ReadRegGroup(kViews, k, kLayout).isEmpty() && core::ReadRegGroup(kViews, k, kFields).isEmpty()) {
            qCWarning(lcCore) << "View count" << count << "but no View" << i << "stored";
            Clear();
            return false;
        }
    }
    for (int i = 0; i < count; ++i) {
        const int view = AddViewDef();
        if (view < 0) continue;
        LoadViewLayout(view);
        if (CreateViewComponents) CreateViewComponents(view);
    }
    return true;
}

int TViewControl::AddViewDef() {
    try {
        ViewDefs.emplace_back();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return int(ViewDefs.size()) - 1;
}

void TViewControl::LoadViewLayout(int view) {
    TViewDef* v = viewAt(view);
    if (!v) return;
    const QString k = core::ViewKeyNumber(view);
    auto str = [&](const char* name, const QString& def) {
        return core::ReadRegString(kViews, k, kLayout, QString::fromLatin1(name), def);
    };
    auto boolean = [&](const char* name, bool def) {
        return core::ReadRegBool(kViews, k, kLayout, QString::fromLatin1(name), def);
    };
    auto integer = [&](const char* name, int def) {
        return core::ReadRegInt(kViews, k, kLayout, QString::fromLatin1(name), def);
    };
    v->ViewName = str("ViewName", {});
    v->DataTableName = str("DataTableName", {});
    v->ViewPosition = readRect(k, kLayout, QStringLiteral("ViewPosition"), QStringLiteral("0,0,300,500"));
    v->GlyphIndex = integer("GlyphIndex", 0);
    v->ShowViewOnStart = boolean("ShowViewOnStart", true);
    v->ViewFormColor = integer("ViewFormColor", core::kClBtnFace);
    v->TitleColorFG = integer("TitleColorFG", core::kClYellow);
    v->TitleColorBG = integer("TitleColorBG", core::kClBtnFace);
    v->ViewCanDock = boolean("ViewCanDock", false);
    v->DockViewOnShow = boolean("DockViewOnShow", true);
    v->ViewTitleVisible = boolean("ViewTitleVisible", true);
    v->ViewIsSearchable = boolean("ViewIsSearchable", true);
    v->ShowNoteOnStart = boolean("ShowNoteOnStart", false);
    v->DockNoteOnStart = boolean("DockNoteOnStart", false);
    v->NotePosition = readRect(k, kLayout, QStringLiteral("NotePosition"), QStringLiteral("0,0,100,100"));
    v->NoteDockHeight = integer("NoteDockHeight", core::kDefaultNoteDockHeight);
    v->NoteFormColor = integer("NoteFormColor", core::kClBtnFace);
    LoadFieldDefs(view);
}

void TViewControl::LoadFieldDefs(int view) {
    TViewDef* v = viewAt(view);
    if (!v) return;
    v->FieldDefs.clear();
    const QString k = core::ViewKeyNumber(view);
    const int count = core::ReadRegInt(kViews, k, kFields, QStringLiteral("Count"), 0);
    int read = 0;
    for (int i = 0; i < count; ++i) {
        const int field = AddFieldDef(view);
        if (field < 0) continue;
        TViewFieldDef& f = ViewDefs[size_t(view)].FieldDefs[size_t(field)];
        readField(k, core::FieldKey(i), f, read);
        f.OldDateWarned = true;
        ++read;
    }
}

void TViewControl::readField(const QString& k, const QString& key, TViewFieldDef& f, int fieldsRead) {
    auto str = [&](const char* name, const QString& def) {
        return core::ReadRegString(kViews, k, key, QString::fromLatin1(name), def);
    };
    auto boolean = [&](const char* name, bool def) {
        return core::ReadRegBool(kViews, k, key, QString::fromLatin1(name), def);
    };
    auto integer = [&](const char* name, int def) {
        return core::ReadRegInt(kViews, k, key, QString::fromLatin1(name), def);
    };
    f.FieldName = str("FieldName", {});
    f.FieldType = core::FirstChar(str("FieldType", QStringLiteral("A")));
    f.FieldLength = short(integer("FieldLength", 20));
    f.FieldIsVisible = boolean("FieldIsVisible", true);
    f.FieldPosition = readRect(k, key, QStringLiteral("FieldPosition"), QStringLiteral("10,10,24,100"));
    f.FieldMask = str("FieldMask", {});
    f.FieldMaskLiteral = (f.FieldType == u'F' || f.FieldType == u'N') ? false : boolean("FieldMaskLiteral", false);
    f.FieldMaskInHint = boolean("FieldMaskInHint", false);
    f.FieldHint = str("FieldHint", {});
    f.FieldShowHint = boolean("FieldShowHint", false);
    f.FieldLongDateHint = boolean("FieldLongDateHint", false);
    f.FieldDateFormatHint = boolean("FieldDateFormatHint", false);
    f.NormalColor = integer("NormalColor", f.FieldType == u'B' ? core::kClBtnFace : core::kClWindow);
    f.ChangedColor = integer("ChangedColor", core::kClYellow);
    f.ErrorColor = integer("ErrorColor", core::kClRed);
    f.NormalFont = readFont(k, key, QStringLiteral("FieldNormal"));
    f.ChangedFont = readFont(k, key, QStringLiteral("FieldChanged"));
    f.ErrorFont = readFont(k, key, QStringLiteral("FieldError"));
    f.CheckboxAlignment = short(integer("CheckboxAlignment", 0));
    f.FieldTabOrder = integer("FieldTabOrder", fieldsRead);
    f.LabelIsVisible = boolean("LabelIsVisible", true);
    f.LabelFont = readFont(k, key, QStringLiteral("Label"));
    f.LabelCaption = str("LabelCaption", key);
    f.LabelColor = integer("LabelColor", core::kClBtnFace);
    f.LabelRelative = short(integer("LabelRelative", 0));
    f.LabelAlign = short(integer("LabelAlign", 0));
    f.LabelUseBasic = boolean("LabelUseBasic", true);
    f.LabelPosition = f.FieldPosition;
    const QString label = str("LabelPosition", {});
    if (!label.isEmpty()) applyRectText(label, f.LabelPosition);
}

int TViewControl::AddFieldDef(int view) {
    TViewDef* v = viewAt(view);
    if (!v) return -1;
    try {
        v->FieldDefs.emplace_back();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return int(v->FieldDefs.size()) - 1;
}

int TViewControl::AddNewField(int view) {
    const int field = AddFieldDef(view);
    if (field < 0) return -1;
    TViewFieldDef& f = ViewDefs[size_t(view)].FieldDefs[size_t(field)];
    f.FieldIsVisible = true;
    f.IsNew = true;
    if (CreateFieldControls) CreateFieldControls(view, field);
    return field;
}

// ---- saving ----

void TViewControl::SaveViewDefinition(int view) {
    DeleteMarkedFieldSettings(view);
    SaveViewLayout(view);
}

void TViewControl::SaveViewLayout(int view) {
    const TViewDef* v = viewAt(view);
    if (!v) return;
    // While the View is being customised its definition holds the pending design, which
    // reaches the settings and the table only when the customisation is saved (the
    // customize mode clears CustomizingWindow first). So a layout save on a resize of the
    // floating window during customize mode writes nothing.
    if (CustomizingWindow && CustomizingWindow == v->ViewWindow) return;
    const QString k = core::ViewKeyNumber(view);
    auto str = [&](const char* name, const QString& value) {
        core::WriteRegString(kViews, k, kLayout, QString::fromLatin1(name), value);
    };
    auto boolean = [&](const char* name, bool value) {
        core::WriteRegBool(kViews, k, kLayout, QString::fromLatin1(name), value);
    };
    auto integer = [&](const char* name, int value) {
        core::WriteRegInt(kViews, k, kLayout, QString::fromLatin1(name), value);
    };
    str("ViewName", v->ViewName);
    str("DataTableName", v->DataTableName);
    integer("GlyphIndex", v->GlyphIndex);
    boolean("ShowViewOnStart", v->ShowViewOnStart);
    integer("ViewFormColor", v->ViewFormColor);
    integer("NoteFormColor", v->NoteFormColor);
    boolean("ViewTitleVisible", v->ViewTitleVisible);
    integer("TitleColorFG", v->TitleColorFG);
    integer("TitleColorBG", v->TitleColorBG);
    boolean("ViewCanDock", v->ViewCanDock);
    boolean("DockViewOnShow", v->DockViewOnShow);
    boolean("ViewIsDocked", v->ViewIsDocked);
    str("ViewPosition", rectText(v->ViewPosition));
    integer("NoteDockHeight", v->NoteDockHeight);
    boolean("ShowNoteOnStart", v->ShowNoteOnStart);
    boolean("NoteIsDocked", v->NoteIsDocked);
    str("NotePosition", rectText(v->NotePosition));
    boolean("DockNoteOnStart", v->DockNoteOnStart);
    boolean("ViewIsSearchable", v->ViewIsSearchable);
    SaveFieldDefs(view);
}

void TViewControl::SaveFieldDefs(int view) {
    if (!viewAt(view)) return;
    const QString k = core::ViewKeyNumber(view);
    const int storedCount = core::ReadRegInt(kViews, k, kFields, QStringLiteral("Count"), 0);
    const int fieldCount = int(ViewDefs[size_t(view)].FieldDefs.size());
    int written = 0;
    for (int i = 0; i < fieldCount; ++i) {
        bool keep;
        if (ApplyFieldRestructure) {
            keep = ApplyFieldRestructure(view, i);
        } else {
            TViewFieldDef& f = ViewDefs[size_t(view)].FieldDefs[size_t(i)];
            f.IsNew = false;
            f.IsChanged = false;
            keep = !f.MarkedForDelete;
            f.MarkedForDelete = false;
        }
        if (keep) {
            writeField(k, core::FieldKey(written), ViewDefs[size_t(view)].FieldDefs[size_t(i)]);
            ++written;
        }
        core::WriteRegInt(kViews, k, kFields, QStringLiteral("Count"), written);
    }
    // The rows of fields that are gone: the numbers past the last field written.
    for (int i = written; i < std::max(storedCount, fieldCount); ++i) core::DeleteRegGroup(kViews, k, core::FieldKey(i));
}

void TViewControl::writeField(const QString& k, const QString& key, const TViewFieldDef& f) {
    auto str = [&](const char* name, const QString& value) {
        core::WriteRegString(kViews, k, key, QString::fromLatin1(name), value);
    };
    auto boolean = [&](const char* name, bool value) {
        core::WriteRegBool(kViews, k, key, QString::fromLatin1(name), value);
    };
    auto integer = [&](const char* name, int value) {
        core::WriteRegInt(kViews, k, key, QString::fromLatin1(name), value);
    };
    str("FieldName", f.FieldName);
    str("FieldType", QString(f.FieldType));
    integer("FieldLength", f.FieldLength);
    boolean("FieldIsVisible", f.FieldIsVisible);
    str("FieldPosition", rectText(f.FieldPosition));
    integer("CheckboxAlignment", f.CheckboxAlignment);
    integer("NormalColor", f.NormalColor);
    integer("ChangedColor", f.ChangedColor);
    integer("ErrorColor", f.ErrorColor);
    str("LabelPosition", rectText(f.LabelPosition));
    str("LabelCaption", f.LabelCaption);
    str("FieldMask", f.FieldMask);
    boolean("FieldMaskLiteral", f.FieldMaskLiteral);
    str("FieldHint", f.FieldHint);
    boolean("FieldShowHint", f.FieldShowHint);
    boolean("FieldLongDateHint", f.FieldLongDateHint);
    boolean("FieldDateFormatHint", f.FieldDateFormatHint);
    boolean("FieldMaskInHint", f.FieldMaskInHint);
    integer("FieldTabOrder", f.FieldTabOrder);
    boolean("LabelIsVisible", f.LabelIsVisible);
    integer("LabelColor", f.LabelColor);
    integer("LabelRelative", f.LabelRelative);
    integer("LabelAlign", f.LabelAlign);
    boolean("LabelUseBasic", f.LabelUseBasic);
    writeFont(k, key, QStringLiteral("FieldNormal"), f.NormalFont);
    writeFont(k, key, QStringLiteral("FieldChanged"), f.ChangedFont);
    writeFont(k, key, QStringLiteral("FieldError"), f.ErrorFont);
    writeFont(k, key, QStringLiteral("Label"), f.LabelFont);
}

void TViewControl::DeleteMarkedFieldSettings(int view) {
    if (!viewAt(view)) return;
    // Only the user's decision is taken here: the field rows are rewritten by SaveFieldDefs
    // once each field's column change has run, so a failed change keeps its field's rows.
    for (int i = 0; i < int(ViewDefs[size_t(view)].FieldDefs.size()); ++i) {
        TViewFieldDef& f = ViewDefs[size_t(view)].FieldDefs[size_t(i)];
        if (f.MarkedForDelete) {
            const QString text = QStringLiteral("The field \"") + f.LabelCaption +
                                 QStringLiteral("\" is about to be deleted. All data in the field will be lost "
                                                "permanently.\n\nAre you sure you want to delete this field?");
            if (ui::Message(text, ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10103) !=
                ui::Button::Yes)
                f.MarkedForDelete = false;
        }
    }
}

void TViewControl::RememberOriginalField(int view, int field) {
    TViewFieldDef* f = fieldAt(view, field);
    if (!f || f->IsChanged) return;
    f->IsChanged = true;
    f->OriginalName = f->FieldName;
    f->OriginalType = f->FieldType;
    f->OriginalLength = f->FieldLength;
}

QString TViewControl::FieldTypeText(QChar letter) {
    switch (letter.unicode()) {
    case u'B': return QStringLiteral("True/False");
    case u'D': return QStringLiteral("Date");
    case u'F': return QStringLiteral("Floating Point");
    case u'N': return QStringLiteral("Number");
    case u'S': return QStringLiteral("String");
    default: return {};
    }
}

int TViewControl::GetIconImageIndex(int iconID) const {
    if (iconID < 0 || iconID >= int(IconMap.size())) return 0;
    return IconMap[size_t(iconID)];
}

// ---- View accessors ----

void TViewControl::SetCurrentViewIndex(int view) {
    if (viewAt(view)) CurrentView = view;
}
bool TViewControl::IsViewWindowOpen(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ViewWindow;
}
bool TViewControl::IsNoteWindowOpen(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->NoteWindow;
}
QObject* TViewControl::GetViewWindow(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->ViewWindow.data() : nullptr;
}
QObject* TViewControl::GetNoteWindow(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->NoteWindow.data() : nullptr;
}
bool TViewControl::IsNoteFloating(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->NoteWindow && !v->NoteIsDocked;
}
TtsTable* TViewControl::GetViewTable(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->DataTable.data() : nullptr;
}
bool TViewControl::IsViewTableOpen(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->DataTable && v->DataTable->Active();
}
bool TViewControl::IsViewDictTableOpen(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->DictTable && v->DictTable->Active();
}
QString TViewControl::GetViewTableName(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->DataTableName : QString();
}
db::Table* TViewControl::GetViewDictTable(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->DictTable.data() : nullptr;
}
bool TViewControl::GetRecordModified(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->RecordModified;
}
void TViewControl::SetRecordModified(int view, bool value) {
    if (TViewDef* v = viewAt(view)) v->RecordModified = value;
}
bool TViewControl::GetNoteModified(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->NoteModified;
}
void TViewControl::SetNoteModified(int view, bool value) {
    if (TViewDef* v = viewAt(view)) v->NoteModified = value;
}
QString TViewControl::GetViewName(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->ViewName : QStringLiteral("<Unknown>");
}
void TViewControl::SetViewName(int view, const QString& value) {
    if (TViewDef* v = viewAt(view)) v->ViewName = value;
}
int TViewControl::GetViewGlyphIndex(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->GlyphIndex : -1;
}
void TViewControl::SetViewGlyphIndex(int view, int value) {
    if (TViewDef* v = viewAt(view)) v->GlyphIndex = value;
}
int TViewControl::GetViewCurrentNodeID(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->CurrentNodeID : -1;
}
void TViewControl::SetViewCurrentNodeID(int view, int value) {
    if (view == -1) return;
    if (TViewDef* v = viewAt(view)) v->CurrentNodeID = value;
}
QImage TViewControl::GetViewLargeIcon(int view) const {
    const TViewDef* v = viewAt(view);
    if (!v || !ViewImagesLarge) return {};
    const int i = GetIconImageIndex(v->GlyphIndex);
    return i >= 0 && i < int(ViewImagesLarge->size()) ? (*ViewImagesLarge)[size_t(i)] : QImage();
}
QImage TViewControl::GetViewSmallIcon(int view) const {
    const TViewDef* v = viewAt(view);
    if (!v || !ViewImagesSmall) return {};
    const int i = GetIconImageIndex(v->GlyphIndex);
    return i >= 0 && i < int(ViewImagesSmall->size()) ? (*ViewImagesSmall)[size_t(i)] : QImage();
}
bool TViewControl::GetViewIsSearchable(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ViewIsSearchable;
}
bool TViewControl::SetViewIsSearchable(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return false;
    v->ViewIsSearchable = value;
    return true;
}
ColorCode TViewControl::GetViewFormColor(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->ViewFormColor : core::kClBtnFace;
}
void TViewControl::SetViewFormColor(int view, ColorCode value) {
    if (TViewDef* v = viewAt(view)) v->ViewFormColor = value;
}
bool TViewControl::GetViewIsDocked(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ViewIsDocked;
}
void TViewControl::SetViewIsDocked(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return;
    v->ViewIsDocked = value;
    if (value)
        setDockAction(v->ViewWindow, QStringLiteral("Undoc&k View"), QStringLiteral("Undock from the main window"));
    else
        setDockAction(v->ViewWindow, QStringLiteral("Doc&k View"), QStringLiteral("Dock to the main window"));
}
bool TViewControl::GetNoteIsDocked(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->NoteIsDocked;
}
void TViewControl::SetNoteIsDocked(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return;
    v->NoteIsDocked = value;
    setDockAction(v->NoteWindow, value ? QStringLiteral("Undoc&k notes") : QStringLiteral("Doc&k notes"), {});
}
bool TViewControl::GetShowViewOnStart(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ShowViewOnStart;
}
bool TViewControl::SetShowViewOnStart(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return false;
    v->ShowViewOnStart = value;
    return true;
}
bool TViewControl::GetShowNoteOnStart(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ShowNoteOnStart;
}
bool TViewControl::SetShowNoteOnStart(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return false;
    v->ShowNoteOnStart = value;
    return true;
}
ViewRect TViewControl::GetViewPosition(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->ViewPosition : ViewRect{10, 10, 200, 200};
}
void TViewControl::SetViewPosition(int view, const ViewRect& value) {
    if (TViewDef* v = viewAt(view)) v->ViewPosition = value;
}
ViewRect TViewControl::GetNotePosition(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->NotePosition : ViewRect{10, 10, 200, 200};
}
void TViewControl::SetNotePosition(int view, const ViewRect& value) {
    if (TViewDef* v = viewAt(view)) v->NotePosition = value;
}
bool TViewControl::GetDockViewOnShow(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->DockViewOnShow;
}
void TViewControl::SetDockViewOnShow(int view, bool value) {
    if (TViewDef* v = viewAt(view)) v->DockViewOnShow = value;
}
bool TViewControl::GetDockNoteOnStart(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->DockNoteOnStart;
}
void TViewControl::SetDockNoteOnStart(int view, bool value) {
    if (TViewDef* v = viewAt(view)) v->DockNoteOnStart = value;
}
ColorCode TViewControl::GetNoteFormColor(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->NoteFormColor : core::kClWindow;
}
void TViewControl::SetNoteFormColor(int view, ColorCode value) {
    if (TViewDef* v = viewAt(view)) v->NoteFormColor = value;
}
ColorCode TViewControl::GetTitleColorFG(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->TitleColorFG : core::kClYellow;
}
void TViewControl::SetTitleColorFG(int view, ColorCode value) {
    if (TViewDef* v = viewAt(view)) v->TitleColorFG = value;
}
ColorCode TViewControl::GetTitleColorBG(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->TitleColorBG : core::kClBtnFace;
}
void TViewControl::SetTitleColorBG(int view, ColorCode value) {
    if (TViewDef* v = viewAt(view)) v->TitleColorBG = value;
}
bool TViewControl::GetViewTitleVisible(int view) const {
    const TViewDef* v = viewAt(view);
    return v && v->ViewTitleVisible;
}
bool TViewControl::SetViewTitleVisible(int view, bool value) {
    TViewDef* v = viewAt(view);
    if (!v) return false;
    v->ViewTitleVisible = value;
    return true;
}
int TViewControl::GetNoteDockHeight(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? v->NoteDockHeight : core::kDefaultNoteDockHeight;
}
void TViewControl::SetNoteDockHeight(int view, int value) {
    if (TViewDef* v = viewAt(view)) v->NoteDockHeight = value;
}

// ---- field accessors ----

int TViewControl::GetViewFieldCount(int view) const {
    const TViewDef* v = viewAt(view);
    return v ? int(v->FieldDefs.size()) : -1;
}
QObject* TViewControl::GetFieldEditControl(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->EditControl.data() : nullptr;
}
QString TViewControl::GetFieldName(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldName : QStringLiteral("<Unknown>");
}
void TViewControl::SetFieldName(int view, int field, const QString& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldName = value;
}
QString TViewControl::GetFieldLabelCaption(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelCaption : QStringLiteral("<Unknown>");
}
void TViewControl::SetFieldLabelCaption(int view, int field, const QString& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelCaption = value;
}
QChar TViewControl::GetFieldType(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldType : QChar(u'S');
}
void TViewControl::SetFieldType(int view, int field, QChar value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldType = value;
}
short TViewControl::GetFieldLength(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldLength : short(0);
}
void TViewControl::SetFieldLength(int view, int field, short value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldLength = value;
}
QString TViewControl::GetFieldMask(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldMask : QString();
}
void TViewControl::SetFieldMask(int view, int field, const QString& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldMask = value;
}
bool TViewControl::FieldHasMask(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && !f->FieldMask.trimmed().isEmpty();
}
ViewRect TViewControl::GetFieldPosition(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldPosition : ViewRect{10, 10, 22, 100};
}
void TViewControl::SetFieldPosition(int view, int field, const ViewRect& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldPosition = value;
}
void TViewControl::SetLabelPosition(int view, int field, const ViewRect& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelPosition = value;
}
ColorCode TViewControl::GetFieldColor(int view, int field, QChar state) const {
    const TViewFieldDef* f = fieldAt(view, field);
    if (!f) return core::kClWindow;
    if (state == u'C') return f->ChangedColor;
    if (state == u'E') return f->ErrorColor;
    return f->NormalColor;
}
void TViewControl::SetFieldColor(int view, int field, QChar state, ColorCode value) {
    TViewFieldDef* f = fieldAt(view, field);
    if (!f) return;
    if (state == u'C') f->ChangedColor = value;
    else if (state == u'E') f->ErrorColor = value;
    else if (state == u'N') f->NormalColor = value;
}
core::FieldFont TViewControl::GetFieldFont(int view, int field, QChar state) const {
    const TViewFieldDef* f = fieldAt(view, field);
    if (!f) return {};
    if (state == u'C') return f->ChangedFont;
    if (state == u'E') return f->ErrorFont;
    return f->NormalFont;
}
void TViewControl::SetFieldFont(int view, int field, QChar state, const core::FieldFont& font) {
    TViewFieldDef* f = fieldAt(view, field);
    if (!f) return;
    if (state == u'C') f->ChangedFont = font;
    else if (state == u'E') f->ErrorFont = font;
    else if (state == u'N') f->NormalFont = font;
}
ColorCode TViewControl::GetLabelColor(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelColor : core::kClWindow;
}
void TViewControl::SetLabelColor(int view, int field, ColorCode value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelColor = value;
}
core::FieldFont TViewControl::GetLabelFont(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelFont : core::FieldFont{};
}
void TViewControl::SetLabelFont(int view, int field, const core::FieldFont& font) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelFont = font;
}
bool TViewControl::GetFieldIsVisible(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldIsVisible : true;
}
void TViewControl::SetFieldIsVisible(int view, int field, bool value) {
    TViewFieldDef* f = fieldAt(view, field);
    if (!f) return;
    f->FieldIsVisible = value;
    showFieldControls(*f, value);
}
bool TViewControl::GetLabelIsVisible(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelIsVisible : true;
}
void TViewControl::SetLabelIsVisible(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelIsVisible = value;
}
short TViewControl::GetCheckboxAlignment(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->CheckboxAlignment : short(0);
}
void TViewControl::SetCheckboxAlignment(int view, int field, short value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->CheckboxAlignment = value;
}
short TViewControl::GetLabelRelative(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelRelative : short(0);
}
void TViewControl::SetLabelRelative(int view, int field, short value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelRelative = value;
}
short TViewControl::GetLabelAlign(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelAlign : short(0);
}
void TViewControl::SetLabelAlign(int view, int field, short value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelAlign = value;
}
bool TViewControl::GetLabelUseBasic(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->LabelUseBasic : true;
}
void TViewControl::SetLabelUseBasic(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->LabelUseBasic = value;
}
bool TViewControl::GetFieldMarkedForDelete(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && f->MarkedForDelete;
}
void TViewControl::SetFieldMarkedForDelete(int view, int field, bool value) {
    TViewFieldDef* f = fieldAt(view, field);
    if (!f) return;
    f->MarkedForDelete = value;
    showFieldControls(*f, !value);
}
void TViewControl::SetFieldTabOrder(int view, int field, int value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldTabOrder = value;
}
bool TViewControl::GetFieldMaskLiteral(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldMaskLiteral : true;
}
void TViewControl::SetFieldMaskLiteral(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldMaskLiteral = value;
}
bool TViewControl::GetFieldMaskInHint(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldMaskInHint : true;
}
void TViewControl::SetFieldMaskInHint(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldMaskInHint = value;
}
bool TViewControl::GetFieldShowHint(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && f->FieldShowHint;
}
void TViewControl::SetFieldShowHint(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldShowHint = value;
}
QString TViewControl::GetFieldHint(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f ? f->FieldHint : QStringLiteral("<Unknown>");
}
void TViewControl::SetFieldHint(int view, int field, const QString& value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldHint = value;
}
bool TViewControl::GetOldDateWarned(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && f->OldDateWarned;
}
void TViewControl::SetOldDateWarned(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->OldDateWarned = value;
}
bool TViewControl::GetFieldLongDateHint(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && f->FieldLongDateHint;
}
void TViewControl::SetFieldLongDateHint(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldLongDateHint = value;
}
bool TViewControl::GetFieldDateFormatHint(int view, int field) const {
    const TViewFieldDef* f = fieldAt(view, field);
    return f && f->FieldDateFormatHint;
}
void TViewControl::SetFieldDateFormatHint(int view, int field, bool value) {
    if (TViewFieldDef* f = fieldAt(view, field)) f->FieldDateFormatHint = value;
}

// ---- list fillers ----

void TViewControl::FillViewListView(std::vector<ListItem>& list) const {
    list.clear();
    for (int i = 0; i < int(ViewDefs.size()); ++i)
        list.push_back({ViewDefs[size_t(i)].ViewName, GetIconImageIndex(ViewDefs[size_t(i)].GlyphIndex), i});
}

void TViewControl::FillFieldListView(int view, std::vector<ListItem>& list) const {
    list.clear();
    const TViewDef* v = viewAt(view);
    if (!v) return;
    for (int i = 0; i < int(v->FieldDefs.size()); ++i) list.push_back({v->FieldDefs[size_t(i)].LabelCaption, -1, i});
}

void TViewControl::FillHiddenFieldListView(int view, std::vector<ListItem>& list) const {
    list.clear();
    const TViewDef* v = viewAt(view);
    if (!v) return;
    for (int i = 0; i < int(v->FieldDefs.size()); ++i) {
        const TViewFieldDef& f = v->FieldDefs[size_t(i)];
        if (!f.FieldIsVisible && !f.MarkedForDelete) list.push_back({f.LabelCaption, -1, i});
    }
}

void TViewControl::FillTabOrderListView(int view, std::vector<ListItem>& list) const {
    list.clear();
    const TViewDef* v = viewAt(view);
    if (!v) return;
    const TTabOrderList order(*v);
    for (int i : order.Fields()) list.push_back({v->FieldDefs[size_t(i)].LabelCaption, -1, i});
}
