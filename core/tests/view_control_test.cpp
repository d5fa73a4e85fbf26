#include "core/view_control.h"

#include "core/settings_store.h"
#include "core/tab_order_list.h"
#include "core/tests/settings_fixture.h"

#include "platform/db/table_utils.h"
#include "platform/format/errors.h"
#include "testsupport/dialog_answerer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using core::FieldFont;
using core::FontStyle;
using core::ViewRect;

/// A field of the given type with every stored member set away from its default.
TViewFieldDef FullField(QChar type, int n) {
    TViewFieldDef f;
    f.FieldName = QStringLiteral("Field%1").arg(n);
    f.FieldType = type;
    f.FieldLength = short(type == u'S' ? 40 + n : 0);
    f.FieldIsVisible = n % 2 == 0;
    f.FieldPosition = {10 + 30 * n, 12, 21, 150 + n};
    f.FieldMask = type == u'D' ? QStringLiteral("!99/99/0000") : (type == u'S' ? QStringLiteral(">L<llll") : QString());
    f.FieldMaskLiteral = type == u'D';
    f.FieldMaskInHint = true;
    f.FieldShowHint = true;
    f.FieldHint = QStringLiteral("First line|second line of field %1").arg(n);
    f.FieldLongDateHint = type == u'D';
    f.FieldDateFormatHint = type == u'D';
    f.FieldTabOrder = 7 - n;
    f.NormalColor = 0x00F0F0F0 + n;
    f.ChangedColor = core::kClYellow;
    f.ErrorColor = 0x000000FF;
    f.NormalFont = {QStringLiteral("Liberation Sans"), 0x00800000, 9, FontStyle::Bold | FontStyle::Italic, 0};
    f.ChangedFont = {QStringLiteral("Arial"), core::kClWindowText, 10, FontStyle::Underline, 1};
    f.ErrorFont = {QStringLiteral("Times New Roman"), 255, 12, FontStyle::StrikeOut | FontStyle::Bold, 238};
    f.CheckboxAlignment = short(type == u'B' ? 1 : 0);
    f.LabelPosition = {f.FieldPosition.Top - 16, 12, 15, 200};
    f.LabelIsVisible = n != 3;
    f.LabelFont = {QStringLiteral("DejaVu Sans"), 0x00404040, 8, {}, 0};
    f.LabelColor = core::kClBtnFace;
    f.LabelCaption = QStringLiteral("Caption of field %1").arg(n);
    f.LabelRelative = short(n % 5);
    f.LabelAlign = short(n % 3);
    f.LabelUseBasic = n % 2 == 1;
    return f;
}

TViewDef FullView(int n, const QString& types) {
    TViewDef v;
    v.ViewName = QStringLiteral("View number %1").arg(n);
    v.DataTableName = QStringLiteral("Table%1").arg(n);
    v.ViewPosition = {20 + n, 30 + n, 400, 520};
    v.GlyphIndex = n + 1;
    v.ShowViewOnStart = n % 2 == 0;
    v.ViewFormColor = 0x00E0E0E0;
    v.TitleColorFG = 0x0080FFFF;
    v.TitleColorBG = core::kClBtnFace;
    v.ViewCanDock = true;
    v.DockViewOnShow = n % 2 == 1;
    v.ViewTitleVisible = n % 3 != 0;
    v.ViewIsSearchable = n != 1;
    v.ShowNoteOnStart = true;
    v.DockNoteOnStart = n % 2 == 0;
    v.NotePosition = {5, 6, 120, 300};
    v.NoteDockHeight = 35000;
    v.NoteFormColor = core::kClWindow;
    for (int i = 0; i < types.size(); ++i) v.FieldDefs.push_back(FullField(types[i], i));
    return v;
}

/// The stored members of a field, as one text (run-time members left out).
QString Describe(const TViewFieldDef& f) {
    auto font = [](const FieldFont& x) {
        return QStringLiteral("%1/%2/%3/%4/%5").arg(x.Name).arg(x.Color).arg(x.Size).arg(int(x.Style)).arg(x.Charset);
    };
    auto rect = [](const ViewRect& r) { return QStringLiteral("%1,%2,%3,%4").arg(r.Top).arg(r.Left).arg(r.Height).arg(r.Width); };
    return QStringList{f.FieldName, QString(f.FieldType), QString::number(f.FieldLength), QString::number(f.FieldIsVisible),
                       rect(f.FieldPosition), f.FieldMask, QString::number(f.FieldMaskLiteral),
                       QString::number(f.FieldMaskInHint), QString::number(f.FieldShowHint), f.FieldHint,
                       QString::number(f.FieldLongDateHint), QString::number(f.FieldDateFormatHint),
                       QString::number(f.FieldTabOrder), QString::number(f.NormalColor), QString::number(f.ChangedColor),
                       QString::number(f.ErrorColor), font(f.NormalFont), font(f.ChangedFont), font(f.ErrorFont),
                       QString::number(f.CheckboxAlignment), rect(f.LabelPosition), QString::number(f.LabelIsVisible),
                       font(f.LabelFont), QString::number(f.LabelColor), f.LabelCaption, QString::number(f.LabelRelative),
                       QString::number(f.LabelAlign), QString::number(f.LabelUseBasic)}
        .join(u'|');
}

QString Describe(const TViewDef& v) {
    auto rect = [](const ViewRect& r) { return QStringLiteral("%1,%2,%3,%4").arg(r.Top).arg(r.Left).arg(r.Height).arg(r.Width); };
    QStringList parts{v.ViewName, v.DataTableName, rect(v.ViewPosition), QString::number(v.GlyphIndex),
                      QString::number(v.ShowViewOnStart), QString::number(v.ViewFormColor),
                      QString::number(v.TitleColorFG), QString::number(v.TitleColorBG), QString::number(v.ViewCanDock),
                      QString::number(v.DockViewOnShow), QString::number(v.ViewTitleVisible),
                      QString::number(v.ViewIsSearchable), QString::number(v.ShowNoteOnStart),
                      QString::number(v.DockNoteOnStart), rect(v.NotePosition), QString::number(v.NoteDockHeight),
                      QString::number(v.NoteFormColor)};
    for (const TViewFieldDef& f : v.FieldDefs) parts << QStringLiteral("[") + Describe(f) + QStringLiteral("]");
    return parts.join(u';');
}

class ViewDefinitions : public coretest::SettingsFixture {
protected:
    /// Stores the Views as a customisation save does, with their count.
    void Store(const std::vector<TViewDef>& views) {
        TViewControl control;
        control.ViewDefs = views;
        table->StartBatch();
        core::WriteRegInt("Views", "Control", "Counts", "ViewCount", int(views.size()));
        for (int i = 0; i < int(views.size()); ++i) control.SaveViewDefinition(i);
        table->EndBatch(true);
    }
    void WriteField(int view, int field, const QString& variable, const QString& value) {
        core::WriteRegString("Views", core::ViewKeyNumber(view), core::FieldKey(field), variable, value);
    }
};

TEST_F(ViewDefinitions, load_then_save_leaves_every_row_and_crc_as_it_was_for_every_shape) {
    struct Case {
        const char* name;
        std::function<std::vector<TViewDef>()> views;
    };
    static const Case cases[] = {
        {"no Views", [] { return std::vector<TViewDef>{}; }},
        {"a View without fields", [] { return std::vector<TViewDef>{FullView(0, {})}; }},
        {"one field of each type", [] { return std::vector<TViewDef>{FullView(0, QStringLiteral("SNFDB"))}; }},
        {"a field of a letter that gets no control", [] { return std::vector<TViewDef>{FullView(0, QStringLiteral("SA"))}; }},
        {"several Views of different shapes",
         [] {
             return std::vector<TViewDef>{FullView(0, QStringLiteral("S")), FullView(1, QStringLiteral("BBDD")),
                                          FullView(2, QStringLiteral("FNSFNS"))};
         }},
        {"defaults everywhere",
         [] {
             TViewDef v;
             v.FieldDefs.resize(3);
             v.FieldDefs[2].FieldType = u'B';
             return std::vector<TViewDef>{v};
         }},
        {"a View with more than 99 fields (three-digit keys)",
         [] { return std::vector<TViewDef>{FullView(0, QString(101, u'S'))}; }},
        {"more than 99 Views",
         [] {
             std::vector<TViewDef> views;
             for (int i = 0; i < 101; ++i) views.push_back(FullView(i, i == 100 ? QStringLiteral("DB") : QString()));
             return views;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        table->Close();
        db::EmptyTableFile(Path(), core::kSettingsTableName);
        table->Open();
        const std::vector<TViewDef> views = c.views();
        Store(views);
        const QStringList before = Rows();

        TViewControl control;
        ASSERT_TRUE(control.LoadViewDefinitions());
        ASSERT_EQ(control.GetViewCount(), int(views.size()));
        for (int i = 0; i < int(views.size()); ++i) {
            // Fields read back default their tab order to their position only when missing.
            EXPECT_EQ(Describe(control.ViewDefs[size_t(i)]), Describe(views[size_t(i)]));
            for (const TViewFieldDef& f : control.ViewDefs[size_t(i)].FieldDefs) EXPECT_TRUE(f.OldDateWarned);
        }
        table->StartBatch();
        for (int i = 0; i < control.GetViewCount(); ++i) control.SaveViewDefinition(i);
        table->EndBatch(true);
        EXPECT_EQ(Rows(), before);
    }
}

TEST_F(ViewDefinitions, rows_are_laid_out_under_padded_view_and_field_numbers) {
    Store({FullView(0, QStringLiteral("SB"))});
    const QStringList rows = Rows();
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|Control|Counts|ViewCount=1#%1").arg(core::RegCRC32("1"))));
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|00|Fields|Count=2#%1").arg(core::RegCRC32("2"))));
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|00|Layout|ViewPosition=20,30,400,520#%1").arg(core::RegCRC32("20,30,400,520"))));
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|00|Field_01|FieldType=B#%1").arg(core::RegCRC32("B"))));
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|00|Field_00|FieldNormalFontStyle=Bold,Italic#%1").arg(core::RegCRC32("Bold,Italic"))));
    EXPECT_TRUE(rows.contains(QStringLiteral("Views|00|Layout|ViewIsDocked=FALSE#%1").arg(core::RegCRC32("FALSE"))));
    EXPECT_EQ(rows.filter(QStringLiteral("Views|00|Layout|")).size(), 19);
    EXPECT_EQ(rows.filter(QStringLiteral("Views|00|Field_00|")).size(), 44);
}

TEST_F(ViewDefinitions, missing_rows_load_their_defaults) {
    core::WriteRegInt("Views", "Control", "Counts", "ViewCount", 1);
    core::WriteRegInt("Views", "00", "Fields", "Count", 4);
    WriteField(0, 0, "FieldType", "B");
    WriteField(0, 1, "FieldType", "F");
    WriteField(0, 1, "FieldMaskLiteral", "TRUE");
    WriteField(0, 2, "FieldType", "N");
    WriteField(0, 2, "FieldMaskLiteral", "TRUE");
    WriteField(0, 3, "FieldType", "S");
    WriteField(0, 3, "FieldMaskLiteral", "TRUE");
    WriteField(0, 3, "FieldPosition", "40,12,21,300");
    WriteField(0, 3, "FieldTabOrder", "0");

    TViewControl control;
    ASSERT_TRUE(control.LoadViewDefinitions());
    const TViewDef& v = control.ViewDefs.at(0);
    EXPECT_EQ(v.ViewName, QString());
    EXPECT_EQ(v.ViewPosition, (ViewRect{0, 0, 300, 500}));
    EXPECT_EQ(v.NotePosition, (ViewRect{0, 0, 100, 100}));
    EXPECT_TRUE(v.ShowViewOnStart);
    EXPECT_EQ(v.TitleColorFG, 65535);
    EXPECT_EQ(v.NoteDockHeight, 25000);  // a quarter: a usable docked note
    ASSERT_EQ(v.FieldDefs.size(), 4u);
    EXPECT_EQ(v.FieldDefs[0].NormalColor, core::kClBtnFace);  // B fields default to the button face
    EXPECT_EQ(v.FieldDefs[1].NormalColor, core::kClWindow);
    EXPECT_FALSE(v.FieldDefs[1].FieldMaskLiteral);  // F and N never keep literals
    EXPECT_FALSE(v.FieldDefs[2].FieldMaskLiteral);
    EXPECT_TRUE(v.FieldDefs[3].FieldMaskLiteral);
    EXPECT_EQ(v.FieldDefs[3].LabelCaption, QStringLiteral("Field_03"));
    EXPECT_EQ(v.FieldDefs[3].LabelPosition, (ViewRect{40, 12, 21, 300}));  // the field's own bounds
    EXPECT_EQ(v.FieldDefs[0].FieldPosition, (ViewRect{10, 10, 24, 100}));
    EXPECT_EQ(v.FieldDefs[1].FieldTabOrder, 1);  // the number of fields read before it
    EXPECT_EQ(v.FieldDefs[3].FieldTabOrder, 0);
    EXPECT_EQ(v.FieldDefs[0].FieldLength, 20);
    EXPECT_EQ(v.FieldDefs[0].NormalFont, FieldFont{});
}

TEST_F(ViewDefinitions, a_field_without_a_type_row_gets_type_A) {
    core::WriteRegInt("Views", "Control", "Counts", "ViewCount", 1);
    core::WriteRegInt("Views", "00", "Fields", "Count", 1);
    TViewControl control;
    ASSERT_TRUE(control.LoadViewDefinitions());
    EXPECT_EQ(control.ViewDefs.at(0).FieldDefs.at(0).FieldType, QChar(u'A'));
    EXPECT_EQ(TViewControl::FieldTypeText(u'A'), QString());
    EXPECT_EQ(TViewControl::FieldTypeText(u'F'), QStringLiteral("Floating Point"));
}

TEST_F(ViewDefinitions, a_damaged_rectangle_ends_the_load_with_a_conversion_error) {
    core::WriteRegInt("Views", "Control", "Counts", "ViewCount", 1);
    core::WriteRegString("Views", "00", "Layout", "ViewPosition", "10,20,thirty");
    TViewControl control;
    EXPECT_THROW(control.LoadViewDefinitions(), format::EConvertError);
}

TEST_F(ViewDefinitions, a_row_with_a_wrong_crc_loads_the_default_after_the_damage_message) {
    core::WriteRegInt("Views", "Control", "Counts", "ViewCount", 1);
    core::WriteRegString("Views", "00", "Layout", "ViewName", "Books");
    ASSERT_TRUE(table->FindKey({"Views", "00", "Layout", "ViewName"}));
    table->Edit();
    table->FieldByName("CRC")->SetAsInteger(12345);
    table->Post();
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("damaged or tampered", ui::Button::Ok);
    TViewControl control;
    ASSERT_TRUE(control.LoadViewDefinitions());
    EXPECT_EQ(control.ViewDefs.at(0).ViewName, QString());
}

class DeletingFields : public ViewDefinitions {
protected:
    void SetUp() override {
        ViewDefinitions::SetUp();
        Store({FullView(0, QStringLiteral("SNDB"))});
        ASSERT_TRUE(control.LoadViewDefinitions());
    }
    void Save() {
        table->StartBatch();
        control.SaveViewDefinition(0);
        table->EndBatch(true);
    }
    QStringList FieldNamesStored() {
        QStringList names;
        const int count = core::ReadRegInt("Views", "00", "Fields", "Count", 0);
        for (int i = 0; i < count; ++i) names << core::ReadRegString("Views", "00", core::FieldKey(i), "FieldName", "?");
        return names;
    }
    TViewControl control;
};

TEST_F(DeletingFields, a_confirmed_deletion_renumbers_the_later_groups_and_drops_the_last_one) {
    control.SetFieldMarkedForDelete(0, 1, true);
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("^The field \"Caption of field 1\" is about to be deleted\\. All data in the field will be "
                          "lost permanently\\.\n\nAre you sure you want to delete this field\\?$",
                          ui::Button::Yes, ui::MessageKind::Confirmation);
    Save();
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10103);
    EXPECT_EQ(FieldNamesStored(), (QStringList{"Field0", "Field2", "Field3"}));
    EXPECT_TRUE(Rows().filter(QStringLiteral("Views|00|Field_03|")).isEmpty());
    // the renumbered groups hold the whole fields, fonts included
    EXPECT_EQ(core::ReadRegString("Views", "00", "Field_02", "LabelCaption", "?"), QStringLiteral("Caption of field 3"));
    EXPECT_EQ(core::ReadRegString("Views", "00", "Field_01", "FieldErrorFontStyle", "?"), QStringLiteral("Bold,Strikeout"));
}

TEST_F(DeletingFields, a_declined_deletion_keeps_the_field_and_clears_its_mark) {
    control.SetFieldMarkedForDelete(0, 2, true);
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("is about to be deleted", ui::Button::No);
    const QStringList before = Rows();
    Save();
    EXPECT_FALSE(control.GetFieldMarkedForDelete(0, 2));
    EXPECT_EQ(FieldNamesStored(), (QStringList{"Field0", "Field1", "Field2", "Field3"}));
    EXPECT_EQ(Rows(), before);
}

TEST_F(DeletingFields, deleting_the_last_field_leaves_no_stale_group) {
    control.SetFieldMarkedForDelete(0, 3, true);
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("is about to be deleted", ui::Button::Yes);
    Save();
    EXPECT_EQ(FieldNamesStored(), (QStringList{"Field0", "Field1", "Field2"}));
    EXPECT_TRUE(Rows().filter(QStringLiteral("Views|00|Field_03|")).isEmpty());
}

TEST_F(DeletingFields, a_field_whose_table_change_fails_is_not_written_and_the_next_takes_its_number) {
    control.ApplyFieldRestructure = [](int, int field) { return field != 0; };
    Save();
    EXPECT_EQ(FieldNamesStored(), (QStringList{"Field1", "Field2", "Field3"}));
}

class IndexChecks : public ViewDefinitions {};

TEST_F(IndexChecks, a_view_index_beyond_the_last_reports_once_and_answers_the_default) {
    TViewControl control;
    control.ViewDefs.push_back(FullView(0, QStringLiteral("S")));
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("^Internal error: View index out of range\\.\nPress F1 for help\\.$", ui::Button::Ok,
                          ui::MessageKind::Error);
    EXPECT_EQ(control.GetViewName(1), QStringLiteral("<Unknown>"));
    EXPECT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages().at(0).helpContext, 10101);
    // A negative index is refused without a message and stores nothing.
    control.SetViewName(-1, QStringLiteral("x"));
    control.SetViewCurrentNodeID(-1, 5);
    EXPECT_EQ(control.ViewDefs[0].ViewName, QStringLiteral("View number 0"));
}

TEST_F(IndexChecks, with_no_views_index_zero_is_out_of_range) {
    core::WriteRegInt("Views", "Control", "Counts", "ViewCount", 0);
    TViewControl control;
    ASSERT_TRUE(control.LoadViewDefinitions());
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("View index out of range", ui::Button::Ok);
    EXPECT_EQ(control.GetViewGlyphIndex(0), -1);
}

TEST_F(IndexChecks, a_field_index_beyond_the_last_is_refused_silently_a_bad_view_adds_the_field_message) {
    TViewControl control;
    control.ViewDefs.push_back(FullView(0, QStringLiteral("SS")));
    {
        testsupport::DialogAnswerer answers;
        EXPECT_EQ(control.GetFieldName(0, 2), QStringLiteral("<Unknown>"));
        EXPECT_EQ(control.GetFieldType(0, 5), QChar(u'S'));
        EXPECT_TRUE(answers.Prompts().isEmpty());
    }
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage("View index out of range", ui::Button::Ok)
        .ExpectMessage("^Internal error: Field index out of range\\.\nPress F1 for help\\.$", ui::Button::Ok);
    EXPECT_EQ(control.GetFieldLength(3, 0), 0);
    EXPECT_EQ(answers.Messages().at(1).helpContext, 10142);
}

TEST_F(IndexChecks, accessors_answer_the_defaults_of_their_rows_on_a_bad_index) {
    TViewControl control;
    testsupport::DialogAnswerer answers;
    for (int i = 0; i < 9; ++i) answers.ExpectMessage("View index out of range", ui::Button::Ok);
    EXPECT_EQ(control.GetViewPosition(0), (ViewRect{10, 10, 200, 200}));
    EXPECT_EQ(control.GetNoteFormColor(0), core::kClWindow);
    EXPECT_EQ(control.GetNoteDockHeight(0), 25000);
    EXPECT_FALSE(control.GetViewTitleVisible(0));
    EXPECT_EQ(control.GetViewFieldCount(0), -1);
    EXPECT_FALSE(control.SetViewIsSearchable(0, true));
    EXPECT_EQ(control.GetTitleColorFG(0), 65535);
    EXPECT_EQ(control.GetViewCurrentNodeID(0), -1);
    EXPECT_EQ(control.GetViewTableName(0), QString());
}

TEST(TabOrderList, lists_every_field_not_marked_for_deletion_in_tab_order) {
    TViewDef v = FullView(0, QStringLiteral("SSSSS"));
    const int orders[] = {3, 1, 3, 0, 9};
    for (int i = 0; i < 5; ++i) v.FieldDefs[size_t(i)].FieldTabOrder = orders[i];
    v.FieldDefs[1].MarkedForDelete = true;
    v.FieldDefs[4].FieldIsVisible = false;  // hidden fields take part
    TTabOrderList order(v);
    // equal orders keep their definition order: no field drops out of the list
    EXPECT_EQ(order.Fields(), (std::vector<int>{3, 0, 2, 4}));
    order.Move(3, 0);
    order.Apply(v);
    EXPECT_EQ(v.FieldDefs[4].FieldTabOrder, 0);
    EXPECT_EQ(v.FieldDefs[3].FieldTabOrder, 1);
    EXPECT_EQ(v.FieldDefs[0].FieldTabOrder, 2);
    EXPECT_EQ(v.FieldDefs[2].FieldTabOrder, 3);
    EXPECT_EQ(v.FieldDefs[1].FieldTabOrder, 1);  // the deleted field is left alone

    TViewControl control;
    control.ViewDefs.push_back(v);
    std::vector<TViewControl::ListItem> items;
    control.FillTabOrderListView(0, items);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], (TViewControl::ListItem{QStringLiteral("Caption of field 4"), -1, 4}));
    control.FillHiddenFieldListView(0, items);
    ASSERT_EQ(items.size(), 2u);  // fields 3 and 4; field 1 is hidden too but marked for deletion
    EXPECT_EQ(items[0].Data, 3);
    EXPECT_EQ(items[1].Data, 4);
}

TEST(ViewControlAccessors, remember_original_field_keeps_the_first_values) {
    TViewControl control;
    control.ViewDefs.push_back(FullView(0, QStringLiteral("S")));
    control.RememberOriginalField(0, 0);
    control.SetFieldName(0, 0, QStringLiteral("Renamed"));
    control.SetFieldLength(0, 0, 80);
    control.RememberOriginalField(0, 0);
    const TViewFieldDef& f = control.ViewDefs[0].FieldDefs[0];
    EXPECT_TRUE(f.IsChanged);
    EXPECT_EQ(f.OriginalName, QStringLiteral("Field0"));
    EXPECT_EQ(f.OriginalLength, 40);
    EXPECT_EQ(f.OriginalType, QChar(u'S'));
}

TEST(ViewControlAccessors, colours_and_fonts_by_state_letter) {
    TViewControl control;
    control.ViewDefs.push_back(FullView(0, QStringLiteral("S")));
    control.SetFieldColor(0, 0, u'C', 1);
    control.SetFieldColor(0, 0, u'E', 2);
    control.SetFieldColor(0, 0, u'N', 3);
    control.SetFieldColor(0, 0, u'X', 4);
    EXPECT_EQ(control.GetFieldColor(0, 0, u'C'), 1);
    EXPECT_EQ(control.GetFieldColor(0, 0, u'E'), 2);
    EXPECT_EQ(control.GetFieldColor(0, 0, u'Q'), 3);
    const FieldFont bold{QStringLiteral("Arial"), 0, 11, FontStyle::Bold, 0};
    control.SetFieldFont(0, 0, u'E', bold);
    EXPECT_EQ(control.GetFieldFont(0, 0, u'E'), bold);
    EXPECT_NE(control.GetFieldFont(0, 0, u'N'), bold);
}

TEST(ViewControlAccessors, icon_image_index_answers_zero_outside_the_map) {
    TViewControl control;
    control.IconMap = {0, 4, 2};
    EXPECT_EQ(control.GetIconImageIndex(1), 4);
    EXPECT_EQ(control.GetIconImageIndex(-1), 0);
    EXPECT_EQ(control.GetIconImageIndex(3), 0);
}

}  // namespace
