#include "editor/gui/main_form.h"

#include "editor/gui/edit_value.h"
#include "editor/gui/export_key.h"
#include "editor/gui/finder.h"
#include "editor/gui/add_registry_value.h"
#include "editor/gui/value_edit.h"
#include "editor/main_data.h"
#include "editor/tests/editor_fixture.h"
#include "services/gui/recent_file_list.h"
#include "services/recent_files.h"
#include "testsupport/dialog_answerer.h"
#include "testsupport/widget_helpers.h"

#include <QAction>
#include <QDir>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>
#include <vector>
#include "test_paths.h"

namespace {

using editortest::EditorFixture;
using editortest::FixtureRows;
using testsupport::Click;
using testsupport::DialogAnswerer;
using testsupport::FindControl;
using testsupport::TriggerAction;

const QString kFixtureTree = QString::fromUtf8(
    "Forms\n"
    "  Main\n"
    "    Layout\n"
    "    Main\n"
    "Preferences\n"
    "  General\n"
    "    Options\n"
    "  Général\n"
    "    Écran\n"
    "Views\n"
    "  \n"
    "    \n"
    "  00\n"
    "    Layout\n"
    "Wizards\n"
    "  Shortcut\n"
    "    Control\n");

/// Records the file requests the window makes and cancels them; any message box fails the
/// test. Installed for its lifetime.
class FileRequests {
public:
    FileRequests() { m_previous = ui::SetDialogService(std::make_unique<Service>(m_requests)); }
    ~FileRequests() { ui::SetDialogService(std::move(m_previous)); }
    const std::vector<ui::FileRequest>& Requests() const { return *m_requests; }

private:
    using List = std::shared_ptr<std::vector<ui::FileRequest>>;
    class Service : public ui::DialogService {
    public:
        explicit Service(List list) : m_list(std::move(list)) {}
        ui::Button Message(const ui::MessageRequest& r) override {
            ADD_FAILURE() << "unexpected message: " << r.text.toStdString();
            return ui::Button::Ok;
        }
        std::optional<QString> ChooseFileToOpen(const ui::FileRequest& r) override { return record(r); }
        std::optional<QString> ChooseFileToSave(const ui::FileRequest& r) override { return record(r); }
        std::optional<QString> ChooseFolder(const ui::FileRequest& r) override { return record(r); }
        int ExecModal(QObject&) override { return 0; }

    private:
        std::optional<QString> record(const ui::FileRequest& r) {
            m_list->push_back(r);
            return std::nullopt;
        }
        List m_list;
    };
    List m_requests = std::make_shared<std::vector<ui::FileRequest>>();
    std::unique_ptr<ui::DialogService> m_previous;
};

class MainWindow : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        form = std::make_unique<TMainForm>();
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        testsupport::WaitFor([&] { return form->isActiveWindow(); }, 10000);
    }
    void TearDown() override {
        form.reset();
        EditorFixture::TearDown();
    }

    /// The tree as text, one node a line, indented two blanks a level.
    QString TreeText() const {
        QString out;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
            out += QString(depth * 2, u' ') + n->text(0) + u'\n';
            for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
        };
        for (int i = 0; i < form->RegTree->topLevelItemCount(); ++i) walk(form->RegTree->topLevelItem(i), 0);
        return out;
    }
    /// The list as "caption=value" lines.
    QStringList ListText() const {
        QStringList out;
        for (int i = 0; i < form->ValueList->topLevelItemCount(); ++i)
            out << form->ValueList->topLevelItem(i)->text(0) + u'=' + form->ValueList->topLevelItem(i)->text(1);
        return out;
    }
    /// The node at a path of texts ("Forms", "Main", "Layout").
    QTreeWidgetItem* Node(const QStringList& path) const {
        QTreeWidgetItem* node = nullptr;
        for (const QString& text : path) {
            QTreeWidgetItem* found = nullptr;
            const int count = node ? node->childCount() : form->RegTree->topLevelItemCount();
            for (int i = 0; i < count && !found; ++i) {
                QTreeWidgetItem* c = node ? node->child(i) : form->RegTree->topLevelItem(i);
                if (c->text(0) == text) found = c;
            }
            if (!found) {
                ADD_FAILURE() << "no node " << path.join('>').toStdString();
                return nullptr;
            }
            node = found;
        }
        return node;
    }
    void Select(const QStringList& path) { form->RegTree->setCurrentItem(Node(path)); }
    QTreeWidgetItem* Line(const QString& caption) const {
        for (int i = 0; i < form->ValueList->topLevelItemCount(); ++i)
            if (form->ValueList->topLevelItem(i)->text(0) == caption) return form->ValueList->topLevelItem(i);
        ADD_FAILURE() << "no line " << caption.toStdString();
        return nullptr;
    }
    /// The in-place editor open on `view`, once it is open.
    static QLineEdit* InPlaceEditor(QTreeWidget* view) {
        QLineEdit* editor = nullptr;
        testsupport::WaitFor([&] {
            editor = qobject_cast<QLineEdit*>(view->indexWidget(view->currentIndex()));
            return editor != nullptr;
        }, 10000);
        return editor;
    }
    /// Runs every event posted so far and those they post in turn, `rounds` deep: a marker
    /// event is posted and awaited each round, and posted events run in order.
    static void RunPostedEvents(int rounds = 3) {
        for (int i = 0; i < rounds; ++i) {
            auto seen = std::make_shared<bool>(false);
            QMetaObject::invokeMethod(qApp, [seen] { *seen = true; }, Qt::QueuedConnection);
            ASSERT_TRUE(testsupport::WaitFor([&] { return *seen; }, 10000));
        }
    }
    /// Types `text` into the in-place editor open on `view` and confirms it with Enter.
    static void ConfirmInPlaceEdit(QTreeWidget* view, const QString& text) {
        QLineEdit* editor = InPlaceEditor(view);
        ASSERT_NE(editor, nullptr) << "no in-place editor open";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        const QPersistentModelIndex at = view->currentIndex();
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor closes and hands the edit over through posted events; a new node may
        // follow through another.
        ASSERT_TRUE(testsupport::WaitFor([&] { return !at.isValid() || view->indexWidget(at) == nullptr; }, 10000));
        RunPostedEvents();
    }
    void FocusTree() {
        QApplication::setActiveWindow(form.get());
        form->RegTree->setFocus();
        ASSERT_TRUE(testsupport::WaitFor([&] { return QApplication::focusWidget() == form->RegTree; }, 10000));
    }
    void FocusList() {
        QApplication::setActiveWindow(form.get());
        form->ValueList->setFocus();
        ASSERT_TRUE(testsupport::WaitFor([&] { return QApplication::focusWidget() == form->ValueList; }, 10000));
    }
    void Open() { ASSERT_TRUE(form->OpenRegistryFile(TablePath)); }

    std::unique_ptr<TMainForm> form;
};

TEST_F(MainWindow, opening_a_table_shows_every_key_once_in_index_order) {
    Open();
    EXPECT_EQ(TreeText(), kFixtureTree);
    EXPECT_EQ(FindControl<QLabel>(form.get(), "StatusPanel0")->text(), TablePath);
    for (const char* name : {"RefreshBtn", "ExpandBtn", "FindBtn", "AddBtn", "ExportBtn", "ImportBtn"})
        EXPECT_TRUE(testsupport::IsUsable(form.get(), name)) << name;
    EXPECT_TRUE(form->M_Edit->isEnabled());
    EXPECT_TRUE(form->M_View->isEnabled());
}

TEST_F(MainWindow, selecting_a_node_lists_the_rows_of_a_key2_only) {
    Open();
    struct Case {
        QStringList path;
        QStringList lines;
    };
    const Case cases[] = {
        {{"Forms"}, {}},
        {{"Forms", "Main"}, {}},
        {{"Forms", "Main", "Main"}, {"Main=whole form", "Caption=Records"}},
        {{"Views", "", ""}, {"Orphan=1"}},
        {{"Preferences", QString::fromUtf8("Général"), QString::fromUtf8("Écran")}, {QString::fromUtf8("Größe=12")}},
        {{"Preferences", "General", "Options"}, {"ConfirmDelete=TRUE", "Delimited=a~b~c", "Empty="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.join('>').toStdString());
        Select(c.path);
        EXPECT_EQ(ListText(), c.lines);
    }
}

TEST_F(MainWindow, a_file_that_is_not_a_settings_table_is_refused_and_table_commands_stay_disabled) {
    QFile text(FilePath("Registry.db"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just text");
    text.close();
    // A real table of another layout is refused as well.
    db::Table other;
    other.SetDatabaseName(Path());
    other.SetTableName("Other.db");
    other.FieldDefs() = {{"Name", db::FieldType::ftString, 20, false}};
    other.CreateTable();

    for (const QString& path : {FilePath("Registry.db"), FilePath("Other.db")}) {
        SCOPED_TRACE(path.toStdString());
        Open();
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape("Unable to open " + path + ". You may not have access to "
                                                         "that file, or it may not be a valid Registry file."),
                              ui::Button::Ok, ui::MessageKind::Error);
        EXPECT_FALSE(form->OpenRegistryFile(path));
        EXPECT_EQ(form->RegTree->topLevelItemCount(), 0);
        EXPECT_EQ(form->CurrentPath(), path);
        EXPECT_EQ(FindControl<QLabel>(form.get(), "StatusPanel0")->text(), QString());  // no file named
        for (const char* name : {"RefreshBtn", "ExpandBtn", "FindBtn", "AddBtn", "EditBtn", "DeleteBtn", "ExportBtn", "ImportBtn"})
            EXPECT_FALSE(testsupport::IsUsable(form.get(), name)) << name;
        EXPECT_FALSE(form->M_Edit->isEnabled());
        EXPECT_FALSE(form->M_View->isEnabled());
        EXPECT_FALSE(form->MainData->IsOpen());
    }
}

TEST_F(MainWindow, editing_a_value_rewrites_the_selected_row_with_a_fresh_crc) {
    Open();
    const QString long200 = QString(190, u'v') + QStringLiteral("0123456789");
    struct Case {
        QStringList node;
        QString line;
        QString title;
        QString typed;
        QString expectedRow;
        bool doubleClick = false;
    };
    const Case cases[] = {
        {{"Forms", "Main", "Layout"}, "Position", "Enter new value for [Forms | Main | Layout | Position]:",
         "  1,2,3,4 ", "Forms|Main|Layout|Position=1,2,3,4", true},
        // Key2 equal to Key1, and a row without Variable listed under the Key2's text.
        {{"Forms", "Main", "Main"}, "Caption", "Enter new value for [Forms | Main | Main | Caption]:", "Files",
         "Forms|Main|Main|Caption=Files"},
        {{"Forms", "Main", "Main"}, "Main", "Enter new value for [Forms | Main | Main]:", long200,
         "Forms|Main|Main|=" + long200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedRow.toStdString());
        Select(c.node);
        form->ValueList->setCurrentItem(Line(c.line));
        FocusList();
        DialogAnswerer answers;
        answers.ExpectModal<TEditValue>([&](TEditValue& d) {
            EXPECT_EQ(d.Title->text(), c.title);
            d.NewValue->selectAll();
            QTest::keyClicks(d.NewValue, c.typed);
            EXPECT_EQ(d.NewValue->text(), c.typed);  // all 200 characters are taken
            Click(&d, "OKBtn");
        });
        if (c.doubleClick) {
            const QRect at = form->ValueList->visualItemRect(form->ValueList->currentItem());
            QTest::mouseClick(form->ValueList->viewport(), Qt::LeftButton, {}, at.center());
            QTest::mousePress(form->ValueList->viewport(), Qt::LeftButton, {}, at.center());
            QTest::mouseDClick(form->ValueList->viewport(), Qt::LeftButton, {}, at.center());
        } else {
            Click(form.get(), "EditBtn");
        }
        const QStringList table = TableText(Folder);
        EXPECT_TRUE(table.contains(c.expectedRow));
        EXPECT_EQ(table.size(), int(FixtureRows().size()));
        EXPECT_EQ(table.filter("bad CRC"), QStringList());
    }
}

TEST_F(MainWindow, a_refused_write_leaves_the_old_value_in_the_list) {
    Open();
    Select({"Forms", "Main", "Layout"});
    db::Table holder;  // another cursor holds the row in edit
    holder.SetDatabaseName(Folder);
    holder.SetTableName("Registry.DB");
    holder.Open();
    ASSERT_TRUE(holder.Locate("Section;Key1;Key2;Variable", {"Forms", "Main", "Layout", "Position"}, {}));
    holder.Edit();
    form->ValueList->setCurrentItem(Line("Position"));
    FocusList();
    DialogAnswerer answers;
    answers.ExpectModal<TEditValue>([&](TEditValue& d) {
        d.NewValue->setText(QStringLiteral("0,0,1,1"));
        Click(&d, "OKBtn");
    });
    answers.ExpectMessage("locked", ui::Button::Ok, ui::MessageKind::Error);
    Click(form.get(), "EditBtn");
    EXPECT_EQ(Line("Position")->text(1), QStringLiteral("10,10,480,640"));
    holder.Cancel();
    EXPECT_TRUE(TableText(Folder).contains("Forms|Main|Layout|Position=10,10,480,640"));
}

TEST_F(MainWindow, a_new_section_is_named_in_place_then_its_first_subkey) {
    Open();
    FocusTree();
    EXPECT_EQ(form->AddBtn->toolTip(), QStringLiteral("Add key"));
    form->RegTree->setCurrentItem(nullptr);
    Click(form.get(), "AddBtn");
    ASSERT_NE(form->RegTree->currentItem(), nullptr);
    EXPECT_EQ(form->RegTree->currentItem()->text(0), QStringLiteral("New section key"));
    ConfirmInPlaceEdit(form->RegTree, "Colours");
    EXPECT_TRUE(TableText(Folder).contains("Colours|Default|Default|Default=<Not set>"));
    // The new section's first child is already in edit, named after the section.
    ASSERT_TRUE(testsupport::WaitFor(
        [&] { return form->RegTree->currentItem() && form->RegTree->currentItem()->parent(); }, 10000))
        << TreeText().toStdString();
    EXPECT_EQ(form->RegTree->currentItem()->text(0), QStringLiteral("Colours"));
    EXPECT_EQ(form->RegTree->currentItem()->parent()->text(0), QStringLiteral("Colours"));
    ConfirmInPlaceEdit(form->RegTree, "Screen");
    const QStringList table = TableText(Folder);
    EXPECT_TRUE(table.contains("Colours|Screen|Default|Default=<Not set>"));
    EXPECT_EQ(table.size(), int(FixtureRows().size()) + 2);
    EXPECT_EQ(table.filter("bad CRC"), QStringList());
}

TEST_F(MainWindow, adding_a_value_writes_it_and_lists_it_once) {
    Open();
    Select({"Forms", "Main", "Layout"});
    FocusList();
    EXPECT_EQ(form->AddBtn->toolTip(), QStringLiteral("Add value"));
    EXPECT_EQ(form->DeleteBtn->toolTip(), QStringLiteral("Delete Value"));
    // A new Variable is written at once; an existing one only when the user agrees.
    const struct {
        const char* variable;
        const char* value;
        ui::Button replace;  ///< None: no question
    } adds[] = {
        {"Colour", "red", ui::Button::None},
        {"Position", "blue", ui::Button::No},
        {"Position", "red", ui::Button::Yes},
    };
    for (const auto& add : adds) {
        SCOPED_TRACE(std::string(add.variable) + "=" + add.value);
        DialogAnswerer answers;
        answers.ExpectModal<TAddRegistryValue>([&](TAddRegistryValue& d) {
            EXPECT_EQ(d.KeyLabel->text(), QStringLiteral("Forms | Main | Layout | "));
            EXPECT_EQ(d.KeyKey3->text(), QStringLiteral("Default"));
            EXPECT_EQ(d.KeyValue->text(), QStringLiteral("<Not set>"));
            d.KeyKey3->setText(add.variable);
            d.KeyValue->setText(add.value);
            if (&add == &adds[0]) testsupport::GrabToPng(&d, "tarnwell_add_value");
            Click(&d, "OKBtn");
        });
        if (add.replace != ui::Button::None)
            answers.ExpectMessage(
                QRegularExpression::escape(
                    QStringLiteral("The variable \"%1\" already exists with the value [10,10,480,640]. "
                                   "Replace its value?")
                        .arg(add.variable)),
                add.replace);
        Click(form.get(), "AddBtn");
        if (add.replace == ui::Button::No) {
            EXPECT_TRUE(TableText(Folder).contains("Forms|Main|Layout|Position=10,10,480,640"));
        }
    }
    EXPECT_EQ(ListText(), QStringList({"Colour=red", "Maximized=FALSE", "Position=red"}));
    const QStringList table = TableText(Folder);
    EXPECT_TRUE(table.contains("Forms|Main|Layout|Colour=red"));
    EXPECT_TRUE(table.contains("Forms|Main|Layout|Position=red"));
    EXPECT_EQ(table.filter("bad CRC"), QStringList());
}

TEST_F(MainWindow, renaming_a_key_in_place_moves_all_its_rows_or_none) {
    Open();
    Select({"Forms", "Main"});
    FocusTree();
    form->RegTree->editItem(form->RegTree->currentItem());
    ConfirmInPlaceEdit(form->RegTree, "Start");
    QStringList table = TableText(Folder);
    EXPECT_EQ(table.filter("Forms|Start|").size(), 4);
    EXPECT_EQ(table.filter("Forms|Main|").size(), 0);
    EXPECT_EQ(form->RegTree->currentItem()->text(0), QStringLiteral("Start"));

    // A collision with an existing row: reported, nothing renamed, the node keeps its name.
    {
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape(
                                  "Error writing to Registry. Key is [Forms | Start | Layout | Position]. "
                                  "Value is [10,10,480,640].\n"
                                  "The name \"Taken\" is already used: "),
                              ui::Button::Ok, ui::MessageKind::Error);
        form->MainData->WriteRegistryValue("Forms", "Taken", "Layout", "Position", "x");
        const QStringList before = TableText(Folder);
        form->RegTree->editItem(form->RegTree->currentItem());
        ConfirmInPlaceEdit(form->RegTree, "Taken");
        EXPECT_EQ(TableText(Folder), before);
        EXPECT_EQ(form->RegTree->currentItem()->text(0), QStringLiteral("Start"));
    }
}

TEST_F(MainWindow, renaming_a_variable_in_place_renames_its_row_or_reports_why_not) {
    Open();
    Select({"Forms", "Main", "Main"});
    form->ValueList->setCurrentItem(Line("Main"));  // the row without Variable
    form->ValueList->editItem(form->ValueList->currentItem(), 0);
    ConfirmInPlaceEdit(form->ValueList, "Whole");
    EXPECT_TRUE(TableText(Folder).contains("Forms|Main|Main|Whole=whole form"));
    EXPECT_EQ(ListText(), QStringList({"Whole=whole form", "Caption=Records"}));

    DialogAnswerer answers;
    answers.ExpectMessage(
        QRegularExpression::escape("Error writing to Registry. Key is [Forms | Main | Main | Caption]. "
                                   "The name \"Caption\" is already used by another variable"),
        ui::Button::Ok, ui::MessageKind::Error);
    form->ValueList->setCurrentItem(Line("Whole"));
    form->ValueList->editItem(form->ValueList->currentItem(), 0);
    ConfirmInPlaceEdit(form->ValueList, "Caption");
    EXPECT_EQ(ListText(), QStringList({"Whole=whole form", "Caption=Records"}));
    EXPECT_TRUE(TableText(Folder).contains("Forms|Main|Main|Whole=whole form"));
}

TEST_F(MainWindow, deleting_asks_first_and_removes_the_key_or_the_variable) {
    Open();
    const QString keyQuestion = QRegularExpression::escape(
        "Really delete this key? All lower keys and variables will also be deleted, and this action cannot be undone!");
    Select({"Forms", "Main"});
    FocusTree();
    {
        DialogAnswerer answers;
        answers.ExpectMessage(keyQuestion, ui::Button::No, ui::MessageKind::Confirmation);
        Click(form.get(), "DeleteBtn");
    }
    EXPECT_EQ(TableText(Folder).size(), int(FixtureRows().size()));
    {
        DialogAnswerer answers;
        answers.ExpectMessage(keyQuestion, ui::Button::Yes, ui::MessageKind::Confirmation);
        Click(form.get(), "DeleteBtn");
    }
    EXPECT_EQ(TableText(Folder).filter("Forms|").size(), 0);
    EXPECT_EQ(TableText(Folder).size(), int(FixtureRows().size()) - 4);
    EXPECT_FALSE(TreeText().contains("  Main\n"));

    Select({"Preferences", "General", "Options"});
    form->ValueList->setCurrentItem(Line("Empty"));
    FocusList();
    {
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape("Really delete this variable? This action cannot be undone!"),
                              ui::Button::Yes, ui::MessageKind::Confirmation);
        Click(form.get(), "DeleteBtn");
    }
    EXPECT_EQ(ListText(), QStringList({"ConfirmDelete=TRUE", "Delimited=a~b~c"}));
    EXPECT_FALSE(TableText(Folder).contains("Preferences|General|Options|Empty="));
}

TEST_F(MainWindow, find_walks_nodes_and_lines_in_both_directions_with_wrap_around) {
    Open();
    auto find = [&](const QString& text, int direction, bool wrap, bool findsNothing = false) {
        DialogAnswerer answers;
        answers.ExpectModal<TFinder>([&](TFinder& d) {
            d.FindStr->setEditText(text);
            EXPECT_EQ(d.FindStr->currentText(), text);
            d.SetDirectionIndex(direction);
            d.Wrap->setChecked(wrap);
            Click(&d, "OKBtn");
        });
        if (findsNothing) answers.ExpectMessage("^No items found\\.$", ui::Button::Ok, ui::MessageKind::Information);
        Click(form.get(), "FindBtn");
    };
    auto current = [&] {
        QString s, k1, k2;
        form->GetNodeKeys(form->RegTree->currentItem(), s, k1, k2);
        QTreeWidgetItem* line = form->ValueList->currentItem();
        return QStringList{s, k1, k2}.join('|') + (line ? " @" + line->text(0) : QString());
    };

    Select({"Forms"});
    find("desktop", 0, true);  // matches a value, found in the list
    EXPECT_EQ(current(), "Wizards|Shortcut|Control @Folder");
    {
        DialogAnswerer answers;  // forward from the last node without wrap: nothing
        answers.ExpectMessage("^No items found\\.$", ui::Button::Ok, ui::MessageKind::Information);
        form->Finder->Wrap->setChecked(false);
        Click(form.get(), "FindNextBtn");
    }
    form->Finder->Wrap->setChecked(true);
    Click(form.get(), "FindNextBtn");  // wraps to the start and finds the row again
    EXPECT_EQ(current(), "Wizards|Shortcut|Control @Folder");

    Select({"Forms"});
    find("layout", 1, true);  // backward from the first node wraps to the last Layout node
    EXPECT_EQ(current(), "Views|00|Layout");
    Click(form.get(), "FindNextBtn");
    EXPECT_EQ(current(), "Forms|Main|Layout");

    find(QString::fromUtf8("GÉNÉRAL"), 0, true, true);  // only a to z ignore case
    find(QString::fromUtf8("général"), 0, true);
    EXPECT_EQ(current(), QString::fromUtf8("Preferences|Général|"));
    EXPECT_EQ(form->Finder->FindStr->count(), 4);

    find("forms", 0, false, true);  // nothing after the current node without wrap
    form->RegTree->setCurrentItem(nullptr);  // with nothing selected, Find Next begins at the first node
    Click(form.get(), "FindNextBtn");
    EXPECT_EQ(current(), "Forms||");
}

TEST_F(MainWindow, expand_button_switches_between_its_two_states_and_refresh_keeps_it) {
    Open();
    EXPECT_EQ(form->ExpandBtn->toolTip(), QStringLiteral("Expand all"));
    Click(form.get(), "ExpandBtn");
    EXPECT_TRUE(form->CollapseState());
    EXPECT_EQ(form->ExpandBtn->toolTip(), QStringLiteral("Collapse all"));
    form->MainData->WriteRegistryValue("Zeta", "K", "L", "V", "1");
    Click(form.get(), "RefreshBtn");
    EXPECT_TRUE(Node({"Zeta", "K"})->isExpanded());
    EXPECT_TRUE(Node({"Forms"})->isExpanded());
    Select({"Forms", "Main", "Layout"});
    TriggerAction(form.get(), "M_View_CollapseAll");
    EXPECT_FALSE(form->CollapseState());
    EXPECT_FALSE(Node({"Forms"})->isExpanded());
    EXPECT_EQ(form->ValueList->topLevelItemCount(), 0);
}

TEST_F(MainWindow, commands_that_are_not_built_only_say_so) {
    struct Case {
        const char* action;
        const char* text;
    };
    static const Case cases[] = {
        {"M_File_SaveCopy", "Save copy not implemented yet."},
        {"M_Help_Contents", "Help not implemented yet."},
        {"M_File_Repair", "Repair not implemented yet."},
        {"M_File_Print", "Print not implemented yet."},
    };
    Open();
    // The hidden commands, shown for the test.
    form->findChild<QAction*>("M_File_Repair")->setVisible(true);
    form->findChild<QAction*>("M_File_Print")->setVisible(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        DialogAnswerer answers;
        answers.ExpectMessage(QRegularExpression::escape(c.text), ui::Button::Ok, ui::MessageKind::Custom);
        TriggerAction(form.get(), c.action);
    }
    EXPECT_EQ(TableText(Folder).size(), int(FixtureRows().size()));
}

TEST_F(MainWindow, file_open_adds_the_table_to_the_recent_files_and_setup_reopens_it) {
    {
        DialogAnswerer answers;
        answers.ExpectFileToOpen(TablePath);
        TriggerAction(form.get(), "M_File_Open");
    }
    EXPECT_EQ(TreeText(), kFixtureTree);
    EXPECT_EQ(services::LoadRecentFiles("\\SOFTWARE\\Dossara\\Tarnwell"), QStringList({TablePath}));

    // A second table, then the first again from the menu: the order stays as it was.
    QDir(Path()).mkpath("second");
    MakeTable(FilePath("second"), {{"Only", "One", "Row", "V", "1"}});
    const QString second = QDir(FilePath("second")).filePath("Registry.DB");
    {
        DialogAnswerer answers;
        answers.ExpectFileToOpen(second);
        TriggerAction(form.get(), "M_File_Open");
    }
    QAction* firstItem = nullptr;
    for (QAction* a : form->M_File->actions())
        if (a->text() == "&2 " + TablePath) firstItem = a;
    ASSERT_NE(firstItem, nullptr);
    firstItem->trigger();
    EXPECT_EQ(TreeText(), kFixtureTree);
    EXPECT_EQ(services::LoadRecentFiles("\\SOFTWARE\\Dossara\\Tarnwell"), QStringList({second, TablePath}));

    // The next start reopens the most recent one.
    form = std::make_unique<TMainForm>();
    EXPECT_TRUE(form->Setup());
    EXPECT_EQ(TreeText(), "Only\n  One\n    Row\n");
}

TEST_F(MainWindow, start_up_skips_missing_recent_files_and_reports_one_that_is_not_a_table) {
    auto menuText = [&] {
        QStringList out;
        for (QAction* a : form->M_File->actions())
            if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out.join(u'|');
    };
    EXPECT_EQ(menuText(), QStringLiteral("&Open|&Save a copy|-|&Import|&Export|-|E&xit"));

    QFile text(FilePath("Notes.db"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    ASSERT_TRUE(services::StoreRecentFiles("\\SOFTWARE\\Dossara\\Tarnwell", {FilePath("gone.db"), text.fileName(), TablePath}));
    form = std::make_unique<TMainForm>();
    EXPECT_EQ(menuText(), QStringLiteral("&Open|&Save a copy|-|&Import|&Export|-|&1 %1|&2 %2|-|E&xit").arg(text.fileName(), TablePath));
    DialogAnswerer answers;
    answers.ExpectMessage("^Unable to open .*Notes\\.db\\. ", ui::Button::Ok, ui::MessageKind::Error);
    EXPECT_TRUE(form->Setup());
    EXPECT_EQ(form->RegTree->topLevelItemCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, export_writes_the_selected_rows_and_import_into_an_empty_table_reproduces_them) {
    Open();
    TriggerAction(form.get(), "M_File_Export");
    TExportKey* window = form->ExportKey.get();
    ASSERT_TRUE(window->isVisible());
    ASSERT_EQ(window->KeyList->rowCount(), int(FixtureRows().size()));
    window->KeyList->selectAll();
    EXPECT_EQ(window->StatusBar->currentMessage(), QStringLiteral("Selected %1 items").arg(FixtureRows().size()));
    const QString exported = FilePath("export.txt");
    window->ExportFileName->setText("  " + exported + " ");
    Click(window, "ExportBtn");

    QFile expected(QStringLiteral(TEST_DATA_DIR "/export_all.txt"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << expected.fileName().toStdString();
    QFile written(exported);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), QString::fromUtf8(expected.readAll()));
    testsupport::GrabToPng(window, "tarnwell_export_window");

    // Import into an empty table.
    QDir(Path()).mkpath("empty");
    MakeTable(FilePath("empty"), {});
    ASSERT_TRUE(form->OpenRegistryFile(QDir(FilePath("empty")).filePath("Registry.DB")));
    {
        DialogAnswerer answers;
        answers.ExpectFileToOpen(exported);
        Click(form.get(), "ImportBtn");
    }
    EXPECT_EQ(TableText(FilePath("empty")), RowsText(FixtureRows()));
    EXPECT_EQ(TreeText(), kFixtureTree);
}

TEST_F(MainWindow, export_refuses_an_empty_file_name_and_an_empty_delimiter) {
    Open();
    TriggerAction(form.get(), "M_File_Export");
    TExportKey* window = form->ExportKey.get();
    window->KeyList->selectRow(0);
    {
        DialogAnswerer answers;
        answers.ExpectMessage("^You must specifiy an export file$", ui::Button::Ok, ui::MessageKind::Error);
        window->ExportFileName->setText("   ");
        Click(window, "ExportBtn");
    }
    {
        DialogAnswerer answers;
        answers.ExpectMessage("delimiter", ui::Button::Ok, ui::MessageKind::Error);
        window->ExportFileName->setText(FilePath("x.txt"));
        window->Delimiter->clear();
        Click(window, "ExportBtn");
    }
    EXPECT_FALSE(QFile::exists(FilePath("x.txt")));
}

TEST_F(MainWindow, an_import_that_stops_on_a_malformed_line_changes_nothing) {
    Open();
    QFile file(FilePath("bad.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("~\r\nForms~Main~Layout~Position~changed\r\nNew~Row~Here~V~1\r\nbroken~line\r\n");
    file.close();
    const QStringList before = TableText(Folder);
    DialogAnswerer answers;
    answers.ExpectFileToOpen(FilePath("bad.txt"));
    answers.ExpectMessage("^Import file format is incorrect \\(line 4\\)$", ui::Button::Ok, ui::MessageKind::Error);
    Click(form.get(), "ImportBtn");
    EXPECT_EQ(TableText(Folder), before);
    EXPECT_EQ(TreeText(), kFixtureTree);
}

TEST_F(MainWindow, file_open_proposes_the_settings_table_as_the_folder_spells_it) {
    Open();
    QDir(Path()).mkpath("lower");
    MakeTable(FilePath("lower"), FixtureRows());
    const QString lower = QDir(FilePath("lower")).filePath("registry.db");
    ASSERT_TRUE(QFile::rename(QDir(FilePath("lower")).filePath(core::kSettingsTableName), lower));
    FileRequests files;
    TriggerAction(form.get(), "M_File_Open");
    ASSERT_TRUE(form->OpenRegistryFile(lower));
    Click(form.get(), "OpenBtn");
    ASSERT_EQ(files.Requests().size(), 2u);
    EXPECT_EQ(files.Requests()[0].folder, Folder);
    EXPECT_EQ(files.Requests()[0].fileName, QStringLiteral("Registry.DB"));
    EXPECT_TRUE(QFile::exists(QDir(files.Requests()[0].folder).filePath(files.Requests()[0].fileName)));
    EXPECT_EQ(files.Requests()[1].folder, FilePath("lower"));
    EXPECT_EQ(files.Requests()[1].fileName, QStringLiteral("registry.db"));
}

TEST_F(MainWindow, an_import_says_how_many_rows_it_wrote_and_in_which_encoding_it_read) {
    QDir(Path()).mkpath("empty");
    MakeTable(FilePath("empty"), {});
    ASSERT_TRUE(form->OpenRegistryFile(QDir(FilePath("empty")).filePath(core::kSettingsTableName)));
    const struct {
        const char* name;
        QByteArray bytes;
        const char* status;
        const char* row;
    } files[] = {
        {"utf8.txt", "~\r\nPr\xC3\xA9" "f~A~B~Price~10 \xE2\x82\xAC\r\nPr\xC3\xA9" "f~A~B~Name~x\r\n",
         "^Imported 2 rows from .*utf8\\.txt$", "Préf|A|B|Price=10 €"},
        {"ansi.txt", "~\r\nAnsi~A~B~Quote~\x93" "Caf\xE9\x94 \x80\r\n",
         "^Imported 1 row from .*ansi\\.txt \\(not UTF-8, read as Windows-1252\\)$", "Ansi|A|B|Quote=“Café” €"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        QFile file(FilePath(f.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.bytes);
        file.close();
        DialogAnswerer answers;
        answers.ExpectFileToOpen(FilePath(f.name));
        Click(form.get(), "ImportBtn");
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(f.status)).match(form->StatusBar->currentMessage()).hasMatch())
            << form->StatusBar->currentMessage().toStdString();
        EXPECT_TRUE(TableText(FilePath("empty")).contains(QString::fromUtf8(f.row)));
    }
    testsupport::GrabToPng(form.get(), "tarnwell_main_window_after_import");
    EXPECT_EQ(TableText(FilePath("empty")).filter("bad CRC"), QStringList());
}

TEST_F(MainWindow, an_import_with_a_field_too_long_for_the_table_changes_nothing_and_names_the_line) {
    Open();
    QFile file(FilePath("long.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Two keys that differ only beyond the 50th character would become one row if cut.
    const QByteArray key(50, 'k');
    file.write("~\r\nForms~Main~Layout~Position~changed\r\n\r\nS~" + key + "one~B~V~1\r\nS~" + key + "two~B~V~2\r\n");
    file.close();
    const QStringList before = TableText(Folder);
    DialogAnswerer answers;
    answers.ExpectFileToOpen(FilePath("long.txt"));
    answers.ExpectMessage("^Line 4 of the import file does not fit the table: its Key1 has 53 characters, more than "
                          "the 50 the field holds\\. Nothing was imported\\.$",
                          ui::Button::Ok, ui::MessageKind::Error);
    Click(form.get(), "ImportBtn");
    EXPECT_EQ(TableText(Folder), before);
}

TEST_F(MainWindow, export_without_a_selection_is_refused_and_a_finished_export_says_how_many_rows) {
    Open();
    form->move(300, 200);
    form->resize(900, 640);
    TriggerAction(form.get(), "M_File_Export");
    TExportKey* window = form->ExportKey.get();
    ASSERT_TRUE(testsupport::WaitFor([&] { return window->isVisible(); }, 10000));
    // Centred on the main window.
    EXPECT_LE((window->frameGeometry().center() - form->frameGeometry().center()).manhattanLength(), 4);

    const QString target = FilePath("kept.txt");
    QFile existing(target);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("~\r\nkeep~me~as~I~am\r\n");
    existing.close();
    window->ExportFileName->setText(target);
    window->KeyList->clearSelection();
    {
        DialogAnswerer answers;
        answers.ExpectMessage("^No rows are selected\\.", ui::Button::Ok, ui::MessageKind::Error);
        Click(window, "ExportBtn");
    }
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("~\r\nkeep~me~as~I~am\r\n"));
    existing.close();

    window->KeyList->selectRow(0);
    window->KeyList->selectionModel()->select(window->KeyList->model()->index(2, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Click(window, "ExportBtn");
    EXPECT_EQ(window->StatusBar->currentMessage(), QStringLiteral("Exported 2 rows to ") + target);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll().count("\r\n"), 3);

    // Browse starts in the folder of the open table.
    FileRequests files;
    Click(window, "BrowseBtn");
    ASSERT_EQ(files.Requests().size(), 1u);
    EXPECT_EQ(files.Requests()[0].folder, Folder);
    EXPECT_EQ(files.Requests()[0].fileName, QStringLiteral("QRegKey.txt"));
}

// The length-limited edits never keep half of a character outside the Basic Multilingual
// Plane: a key typed in place and the value of the edit dialog are cut before it.
TEST_F(MainWindow, length_limited_edits_cut_at_a_character_boundary) {
    Open();
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    Select({"Forms", "Main", "Layout"});
    FocusTree();
    form->RegTree->editItem(form->RegTree->currentItem());
    QLineEdit* inPlace = InPlaceEditor(form->RegTree);
    ASSERT_NE(inPlace, nullptr);
    inPlace->selectAll();
    inPlace->insert(QString(49, u'k') + emoji + QStringLiteral("tail"));
    EXPECT_EQ(inPlace->text(), QString(49, u'k'));
    inPlace->setText(QString(48, u'k') + emoji);
    EXPECT_EQ(inPlace->text().size(), 50);
    QTest::keyClick(inPlace, Qt::Key_Return);
    const QString newKey = QString(48, u'k') + emoji;
    ASSERT_TRUE(testsupport::WaitFor([&] { return TableText(Folder).filter(newKey).size() == 2; }, 10000))
        << TableText(Folder).join(u'\n').toStdString();
    RunPostedEvents();

    Select({"Forms", "Main", newKey});
    form->ValueList->setCurrentItem(Line("Position"));
    FocusList();
    DialogAnswerer answers;
    answers.ExpectModal<TEditValue>([&](TEditValue& d) {
        d.NewValue->setText(QString(199, u'v') + emoji);
        EXPECT_EQ(d.NewValue->text(), QString(199, u'v'));
        d.NewValue->setText(QString(198, u'v') + emoji);
        Click(&d, "OKBtn");
    });
    Click(form.get(), "EditBtn");
    EXPECT_TRUE(TableText(Folder).contains("Forms|Main|" + newKey + "|Position=" + QString(198, u'v') + emoji));
    EXPECT_EQ(TableText(Folder).filter("bad CRC"), QStringList());
}

TEST_F(MainWindow, picture_of_the_main_window_and_the_value_dialog) {
    Open();
    TriggerAction(form.get(), "M_View_ExpandAll");
    Select({"Forms", "Main", "Layout"});
    form->ValueList->setCurrentItem(Line("Position"));
    testsupport::GrabToPng(form.get(), "tarnwell_main_window");
    FocusList();
    DialogAnswerer answers;
    answers.ExpectModal<TEditValue>([&](TEditValue& d) {
        d.NewValue->setText(QString(150, u'w') + QStringLiteral(" end of a 200-character value ") + QString(20, u'z'));
        testsupport::GrabToPng(&d, "tarnwell_edit_value");
        Click(&d, "CancelBtn");
    });
    Click(form.get(), "EditBtn");
    EXPECT_TRUE(TableText(Folder).contains("Forms|Main|Layout|Position=10,10,480,640"));
}

}  // namespace
