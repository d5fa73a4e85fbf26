#include "platform/db/gui/db_grid.h"

#include "platform/db/database.h"
#include "platform/db/gui/picture.h"
#include "platform/db/sql/query.h"
#include "platform/db/table.h"
#include "platform/ui/gui/make.h"
#include "testsupport/temp_folder.h"
#include "testsupport/widget_helpers.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPainter>
#include <QTest>

namespace db::gui {
namespace {

/// A small icon: a coloured disc on a magenta ground (the ground is the transparent colour).
QImage Icon(QColor colour, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(colour);
    p.setPen(Qt::black);
    p.drawEllipse(1, 1, size - 3, size - 3);
    return image;
}

/// IconLib.DB with ID, Name, SmallImage (16x16) and LargeImage (20x20), shown by name.
class Grid : public testsupport::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        TableDef def;
        def.Fields = {{"ID", FieldType::ftInteger, 0, true},
                      {"Name", FieldType::ftString, 20, false},
                      {"SmallImage", FieldType::ftGraphic, 0, false},
                      {"LargeImage", FieldType::ftGraphic, 0, false}};
        def.Indexes = {{"", "ID", IndexOption::ixPrimary | IndexOption::ixUnique},
                       {"ByName", "Name", IndexOption::ixCaseInsensitive}};
        CreateTableFile(Path(), "IconLib.DB", def);
        table.SetDatabaseName(Path());
        table.SetTableName("IconLib.DB");
        table.Open();
        Add(1, "Folder", Qt::yellow);
        Add(2, "Contact", Qt::blue);
        Add(3, "Book", Qt::red);
        Add(4, "Note", Qt::green);
        table.SetIndexName("ByName");  // Book, Contact, Folder, Note
        table.First();
        table.AfterScroll = [this](Table&) { ++scrolls; };

        source.SetDataSet(&table);
        grid = ui::Make<DBGrid>(static_cast<QWidget*>(nullptr), "IconGrid");
        grid->resize(360, 200);
        grid->SetDataSource(&source);
        grid->show();
    }
    void TearDown() override { delete grid; }

    void Add(int id, const QString& name, QColor colour) {
        table.Append();
        table.FieldByName("ID")->SetAsInteger(id);
        table.FieldByName("Name")->SetAsString(name);
        table.FieldByName("SmallImage")->SetAsBytes(PictureToBytes(Icon(colour, 16)));
        table.FieldByName("LargeImage")->SetAsBytes(PictureToBytes(Icon(colour, 20)));
        table.Post();
    }

    QStringList Names() const {
        QStringList names;
        for (int r = 0; r < grid->Model()->rowCount(); ++r) names << grid->Model()->index(r, 1).data().toString();
        return names;
    }

    Table table;
    DataSource source;
    DBGrid* grid = nullptr;
    int scrolls = 0;
};

TEST_F(Grid, shows_text_and_picture_columns_in_the_cursor_order) {
    TableModel* model = grid->Model();
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("ID"));
    EXPECT_EQ(Names(), (QStringList{"Book", "Contact", "Folder", "Note"}));
    EXPECT_FALSE(model->IsPictureColumn(1));
    ASSERT_TRUE(model->IsPictureColumn(3));
    const QImage large = model->index(0, 3).data(TableModel::PictureRole).value<QImage>();
    EXPECT_EQ(large.size(), QSize(20, 20));
    EXPECT_EQ(model->index(0, 3).data(Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(scrolls, 0);  // reading the rows did not move the cursor

    table.Next();
    grid->setColumnWidth(0, 40);
    grid->setColumnWidth(1, 120);
    const QString png = testsupport::GrabToPng(grid, "db_grid_icons");
    EXPECT_FALSE(png.isEmpty());
}

TEST_F(Grid, the_selected_row_follows_the_cursor) {
    EXPECT_EQ(grid->currentIndex().row(), 0);
    table.Last();
    EXPECT_EQ(grid->Model()->CurrentRow(), 3);
    EXPECT_EQ(grid->currentIndex().row(), 3);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(3, QModelIndex()));
    table.Locate(QStringLiteral("Name"), {QStringLiteral("Contact")});
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(Grid, the_cursor_follows_the_row_the_user_selects) {
    const QRect cell = grid->visualRect(grid->Model()->index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(table.FieldByName("Name")->AsString(), QStringLiteral("Folder"));
    EXPECT_EQ(scrolls, 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(table.FieldByName("Name")->AsString(), QStringLiteral("Note"));
    EXPECT_EQ(scrolls, 2);
}

TEST_F(Grid, posted_and_deleted_records_show_and_an_edit_in_progress_stays) {
    table.Edit();
    table.FieldByName("Name")->SetAsString(QStringLiteral("Atlas"));
    EXPECT_EQ(Names(), (QStringList{"Book", "Contact", "Folder", "Note"}));  // not posted yet
    EXPECT_EQ(table.State(), DataSetState::dsEdit);
    table.Post();
    EXPECT_EQ(Names(), (QStringList{"Atlas", "Contact", "Folder", "Note"}));

    table.Insert();
    table.FieldByName("ID")->SetAsInteger(5);
    table.FieldByName("Name")->SetAsString(QStringLiteral("Diary"));
    table.Post();
    EXPECT_EQ(Names(), (QStringList{"Atlas", "Contact", "Diary", "Folder", "Note"}));
    EXPECT_EQ(grid->currentIndex().row(), 2);

    table.Delete();
    EXPECT_EQ(Names(), (QStringList{"Atlas", "Contact", "Folder", "Note"}));
    EXPECT_EQ(grid->Model()->index(grid->currentIndex().row(), 1).data().toString(), table.FieldByName("Name")->AsString());
}

TEST_F(Grid, another_order_of_the_cursor_reorders_the_rows) {
    table.SetIndexName(QString());
    EXPECT_EQ(Names(), (QStringList{"Folder", "Contact", "Book", "Note"}));
    EXPECT_EQ(grid->Model()->index(grid->currentIndex().row(), 1).data().toString(), table.FieldByName("Name")->AsString());
}

TEST_F(Grid, an_exclusively_open_cursor_is_shown_without_firing_its_scroll_events) {
    grid->SetDataSource(nullptr);
    table.Close();
    table.SetExclusive(true);
    table.Open();
    table.Locate(QStringLiteral("Name"), {QStringLiteral("Folder")});
    scrolls = 0;
    grid->SetDataSource(&source);
    EXPECT_EQ(Names(), (QStringList{"Book", "Contact", "Folder", "Note"}));
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(table.FieldByName("Name")->AsString(), QStringLiteral("Folder"));
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

TEST_F(Grid, a_cursor_within_a_range_shows_the_rows_of_the_range) {
    table.SetIndexName(QString());
    table.SetRange({2}, {3});
    EXPECT_EQ(Names(), (QStringList{"Contact", "Book"}));
    table.Last();
    EXPECT_EQ(grid->currentIndex().row(), 1);
    scrolls = 0;
    table.CancelRange();
    EXPECT_EQ(Names(), (QStringList{"Folder", "Contact", "Book", "Note"}));
    EXPECT_EQ(grid->Model()->index(grid->currentIndex().row(), 1).data().toString(), table.FieldByName("Name")->AsString());
}

TEST_F(Grid, shows_chosen_columns_of_a_query_answer) {
    auto answer = sql::OpenQuery(Path(), QStringLiteral("SELECT Name, SmallImage FROM IconLib WHERE ID > 1 ORDER BY Name DESC"));
    DataSource querySource;
    querySource.SetDataSet(answer.get());
    grid->SetDataSource(&querySource);
    grid->SetColumns({QStringLiteral("SmallImage"), QStringLiteral("Name")});
    grid->Model()->SetColumnTitle(0, QStringLiteral("Icon"));
    grid->Model()->SetColumnTitleAlignment(0, Qt::AlignCenter);
    EXPECT_EQ(grid->Model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    grid->setColumnWidth(0, 60);
    grid->setColumnWidth(1, 200);
    testsupport::GrabToPng(grid, "db_grid_query_answer");
    EXPECT_EQ(grid->Model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Icon"));
    QStringList names;
    for (int r = 0; r < grid->Model()->rowCount(); ++r) names << grid->Model()->index(r, 1).data().toString();
    EXPECT_EQ(names, (QStringList{"Note", "Contact", "Book"}));
    EXPECT_EQ(grid->Model()->index(0, 0).data(TableModel::PictureRole).value<QImage>().size(), QSize(16, 16));
    answer->Last();
    EXPECT_EQ(grid->currentIndex().row(), 2);
    grid->SetDataSource(nullptr);
    EXPECT_EQ(grid->Model()->rowCount(), 0);
}

}  // namespace
}  // namespace db::gui
