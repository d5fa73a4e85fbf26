#include "services/gui/icon_manager.h"

#include "services/gui/picture_editor.h"

#include "core/command_registry.h"
#include "core/gui/action_icons.h"
#include "core/gui/main_form.h"
#include "core/gui/view_windows.h"
#include "core/library_rows.h"
#include "core/main_data_mod.h"
#include "core/view_control.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

/// The picture columns: the row's picture cut to at most 32 x 32 pixels, centred on white;
/// the other columns: the text in an 8-point font, 2 pixels from the left and 4 from the top.
class IconGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QImage picture = index.data(Qt::UserRole + 1).value<QImage>();
        const bool selected = option.state & QStyle::State_Selected;
        if (index.column() >= 2) {
            painter->fillRect(option.rect, Qt::white);
            if (!picture.isNull()) {
                const QImage cut = picture.copy(0, 0, qMin(32, picture.width()), qMin(32, picture.height()));
                painter->drawImage(QPoint(option.rect.x() + (option.rect.width() - cut.width()) / 2,
                                          option.rect.y() + (option.rect.height() - cut.height()) / 2),
                                   cut);
            }
        } else {
            painter->fillRect(option.rect, selected ? option.palette.color(QPalette::Highlight) : QColor(Qt::white));
            QFont font = painter->font();
            font.setPointSize(8);
            painter->setFont(font);
            painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
            painter->drawText(option.rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                              index.data(Qt::DisplayRole).toString());
        }
    }
};

QToolButton* toolButton(QWidget* parent, const char* name, const QString& caption, const QString& hint, int tag,
                        const QString& icon) {
    auto* b = ui::Make<QToolButton>(parent, name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setProperty("Tag", tag);
    b->setAutoRaise(true);
    b->setIcon(core::ThemeIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return b;
}

QImage defaultPicture(const QString& icon, int size) {
    QImage image = core::ThemeIcon(icon).pixmap(size, size).toImage();
    if (image.isNull() || image.size() != QSize(size, size)) {
        QImage blank(size, size, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        QPainter p(&blank);
        if (!image.isNull()) p.drawImage(QRect(0, 0, size, size), image);
        image = blank;
    }
    return image;
}

QPixmap boxPixmap(const QImage& picture) { return picture.isNull() ? QPixmap() : QPixmap::fromImage(picture); }

}  // namespace

TIconManager::TIconManager(db::Table& iconLib, QWidget* parent) : QDialog(parent), m_iconLib(iconLib) {
    setObjectName(QStringLiteral("IconManager"));
    setWindowTitle(QStringLiteral("View Icon Library Manager"));
    FirstBtn = toolButton(this, "FirstBtn", QStringLiteral("&First"), QStringLiteral("First icon"), 185006,
                          QStringLiteral("go-first"));
    PriorBtn = toolButton(this, "PriorBtn", QStringLiteral("&Prior"), QStringLiteral("Previous icon"), 185006,
                          QStringLiteral("go-previous"));
    NextBtn = toolButton(this, "NextBtn", QStringLiteral("&Next"), QStringLiteral("Next icon"), 185006,
                         QStringLiteral("go-next"));
    LastBtn = toolButton(this, "LastBtn", QStringLiteral("&Last"), QStringLiteral("Last icon"), 185006,
                         QStringLiteral("go-last"));
    AddBtn = toolButton(this, "AddBtn", QStringLiteral("&Add icon"), QStringLiteral("Add View icon"), 185001,
                        QStringLiteral("list-add"));
    DeleteBtn = toolButton(this, "DeleteBtn", QStringLiteral("&Delete icon"), QStringLiteral("Delete View icon"), 185002,
                           QStringLiteral("list-remove"));
    SaveBtn = toolButton(this, "SaveBtn", QStringLiteral("&Save changes"), QStringLiteral("Save icon changes"), 185003,
                         QStringLiteral("document-save"));
    CancelBtn = toolButton(this, "CancelBtn", QStringLiteral("&Cancel changes"), QStringLiteral("Cancel icon changes"),
                           185004, QStringLiteral("edit-undo"));
    HelpBtn = toolButton(this, "HelpBtn", QStringLiteral("&Help"), QStringLiteral("Help"), 185000,
                         QStringLiteral("help-browser"));
    CloseBtn = toolButton(this, "CloseBtn", QStringLiteral("Close"), QStringLiteral("Close Icon Manager"), 185005,
                          QStringLiteral("window-close"));
    IconGrid = ui::Make<QTableWidget>(this, "IconGrid", 0, 4);
    IconGrid->setProperty("HelpContext", 185007);
    IconGrid->setHorizontalHeaderLabels(
        {QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("SmallImage"), QStringLiteral("LargeImage")});
    IconGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    IconGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    IconGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconGrid->setItemDelegate(new IconGridDelegate(IconGrid));
    IconGrid->verticalHeader()->setDefaultSectionSize(36);
    IconGrid->verticalHeader()->hide();
    IconGrid->setColumnWidth(0, 50);
    IconGrid->setColumnWidth(1, 160);
    IconName = ui::Make<QLineEdit>(this, "IconName");
    IconName->setMaxLength(20);
    IconName->setProperty("HelpContext", 185008);
    LargeImage = ui::Make<QLabel>(this, "LargeImage");
    LargeImage->setToolTip(QStringLiteral("Double click to set large image"));
    SmallImage = ui::Make<QLabel>(this, "SmallImage");
    SmallImage->setToolTip(QStringLiteral("Double click to set small image"));
    for (QLabel* box : {LargeImage, SmallImage}) {
        box->setProperty("HelpContext", 185009);
        box->setFixedSize(36, 36);
        box->setAlignment(Qt::AlignCenter);
        box->setFrameShape(QFrame::Box);
        box->setStyleSheet(QStringLiteral("background: white"));
        box->installEventFilter(this);
    }
    m_defaultLarge = defaultPicture(QStringLiteral("text-x-generic"), 20);
    m_defaultSmall = defaultPicture(QStringLiteral("text-x-generic"), 16);

    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {FirstBtn, PriorBtn, NextBtn, LastBtn, AddBtn, DeleteBtn, SaveBtn, CancelBtn, HelpBtn, CloseBtn})
        tools->addWidget(b);
    tools->addStretch();
    auto* pictures = new QHBoxLayout;
    auto* largeBox = new QVBoxLayout;
    largeBox->addWidget(new QLabel(QStringLiteral("Large"), this));
    largeBox->addWidget(LargeImage);
    largeBox->addWidget(new QLabel(QStringLiteral("20x20 pixels"), this));
    auto* smallBox = new QVBoxLayout;
    smallBox->addWidget(new QLabel(QStringLiteral("Small"), this));
    smallBox->addWidget(SmallImage);
    smallBox->addWidget(new QLabel(QStringLiteral("16x16 pixels"), this));
    auto* name = new QVBoxLayout;
    name->addWidget(new QLabel(QStringLiteral("Icon Name"), this));
    name->addWidget(IconName);
    name->addStretch();
    pictures->addLayout(name, 1);
    pictures->addLayout(largeBox);
    pictures->addLayout(smallBox);
    auto* l = new QVBoxLayout(this);
    l->addLayout(tools);
    l->addWidget(IconGrid, 1);
    l->addLayout(pictures);
    resize(640, 460);

    auto guarded = [this](void (TIconManager::*f)()) {
        return [this, f] { ui::RunGuarded(this, [&] { (this->*f)(); }); };
    };
    connect(AddBtn, &QToolButton::clicked, this, guarded(&TIconManager::AddBtnClick));
    connect(SaveBtn, &QToolButton::clicked, this, guarded(&TIconManager::SaveBtnClick));
    connect(CancelBtn, &QToolButton::clicked, this, guarded(&TIconManager::CancelBtnClick));
    connect(DeleteBtn, &QToolButton::clicked, this, guarded(&TIconManager::DeleteBtnClick));
    connect(FirstBtn, &QToolButton::clicked, this, [this] { MoveTo(0); });
    connect(PriorBtn, &QToolButton::clicked, this, [this] { MoveTo(IconGrid->currentRow() - 1); });
    connect(NextBtn, &QToolButton::clicked, this, [this] { MoveTo(IconGrid->currentRow() + 1); });
    connect(LastBtn, &QToolButton::clicked, this, [this] { MoveTo(IconGrid->rowCount() - 1); });
    connect(HelpBtn, &QToolButton::clicked, this, [] { ui::HelpService::ShowContext(185000); });
    connect(CloseBtn, &QToolButton::clicked, this, [this] { reject(); });
    connect(IconGrid, &QTableWidget::currentCellChanged, this, [this] {
        if (!m_loading) ui::RunGuarded(this, [&] { ShowRow(); });
    });
    connect(IconName, &QLineEdit::textEdited, this, [this] {
        if (m_loading || m_adding) return;
        m_modified = true;
        setEditing(true);
    });
    setEditing(false);
}

int TIconManager::currentID() const {
    const int row = IconGrid->currentRow();
    return row >= 0 ? IconGrid->item(row, 0)->data(Qt::UserRole).toInt() : 0;
}

void TIconManager::setEditing(bool on) {
    SaveBtn->setEnabled(on);
    CancelBtn->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{AddBtn, DeleteBtn, IconGrid, FirstBtn, PriorBtn, NextBtn, LastBtn})
        w->setEnabled(!on);
}

void TIconManager::setPicture(bool large, const QImage& picture) {
    (large ? m_large : m_small) = picture;
    (large ? LargeImage : SmallImage)->setPixmap(boxPixmap(picture));
}

void TIconManager::RefreshGrid(int id) {
    m_loading = true;
    IconGrid->setRowCount(0);
    db::Table& t = m_iconLib;
    int select = 0;
    t.SetIndexFieldNames(QStringLiteral("Name"));
    for (t.First(); !t.Eof(); t.Next()) {
        const int row = IconGrid->rowCount();
        IconGrid->insertRow(row);
        const int rowID = int(t.FieldByName(QStringLiteral("ID"))->AsInteger());
        auto* idItem = new QTableWidgetItem(QString::number(rowID));
        idItem->setData(Qt::UserRole, rowID);
        IconGrid->setItem(row, 0, idItem);
        IconGrid->setItem(row, 1, new QTableWidgetItem(t.FieldByName(QStringLiteral("Name"))->AsString()));
        auto* small = new QTableWidgetItem;
        small->setData(Qt::UserRole + 1, QImage::fromData(t.FieldByName(QStringLiteral("SmallImage"))->AsBytes()));
        IconGrid->setItem(row, 2, small);
        auto* large = new QTableWidgetItem;
        large->setData(Qt::UserRole + 1, QImage::fromData(t.FieldByName(QStringLiteral("LargeImage"))->AsBytes()));
        IconGrid->setItem(row, 3, large);
        if (rowID == id) select = row;
    }
    if (IconGrid->rowCount() > 0) IconGrid->setCurrentCell(select, 1);
    m_loading = false;
    ShowRow();
}

void TIconManager::ShowRow() {
    const bool was = m_loading;
    m_loading = true;
    const int id = currentID();
    if (id != 0 && m_iconLib.Locate(QStringLiteral("ID"), {id})) {
        IconName->setText(m_iconLib.FieldByName(QStringLiteral("Name"))->AsString());
        setPicture(true, QImage::fromData(m_iconLib.FieldByName(QStringLiteral("LargeImage"))->AsBytes()));
        setPicture(false, QImage::fromData(m_iconLib.FieldByName(QStringLiteral("SmallImage"))->AsBytes()));
    } else {
        IconName->clear();
        setPicture(true, {});
        setPicture(false, {});
    }
    m_loading = was;
}

void TIconManager::MoveTo(int row) {
    if (row < 0 || row >= IconGrid->rowCount()) return;
    IconGrid->setCurrentCell(row, 1);
}

void TIconManager::AddBtnClick() {
    m_loading = true;
    IconName->clear();
    setPicture(true, m_defaultLarge);
    setPicture(false, m_defaultSmall);
    m_adding = true;
    m_loading = false;
    IconName->setFocus();
    setEditing(true);
}

void TIconManager::EditImage(bool large) {
    QImage result;
    const int size = large ? 20 : 16;
    if (!EditPicture(IconName->text(), large ? m_large : m_small, result, size, size)) return;
    setPicture(large, result);
    if (!m_adding) m_modified = true;
    setEditing(true);
}

void TIconManager::SaveBtnClick() {
    db::Table& t = m_iconLib;
    base::ScopeExit cancel([&] {
        try {
            if (t.Active() && t.State() != db::DataSetState::dsBrowse) t.Cancel();
        } catch (...) {
        }
    });
    if (m_adding) {
        t.Append();  // the ID is taken when the row is posted
    } else {
        if (!t.Locate(QStringLiteral("ID"), {currentID()})) return;
        t.Edit();
    }
    t.FieldByName(QStringLiteral("Name"))->SetAsString(IconName->text().trimmed());
    t.FieldByName(QStringLiteral("LargeImage"))->SetAsBytes(services::BitmapBytes(m_large));
    t.FieldByName(QStringLiteral("SmallImage"))->SetAsBytes(services::BitmapBytes(m_small));
    const int id = core::PostLibraryRow(t);
    m_modified = m_adding = false;
    setEditing(false);
    RefreshGrid(id);
}

void TIconManager::CancelBtnClick() {
    m_modified = m_adding = false;
    ShowRow();
    setEditing(false);
}

void TIconManager::DeleteBtnClick() {
    const int id = currentID();
    if (id == 0) return;
    if (ui::Message(QStringLiteral("If this icon is being used by any View in any database, that View may not display "
                                   "properly. Deleted View icons cannot be recovered.\n\nAre you sure you want to "
                                   "delete this View icon?"),
                    ui::MessageKind::Confirmation, ui::Button::Yes | ui::Button::No, 10122) != ui::Button::Yes)
        return;
    if (m_iconLib.Locate(QStringLiteral("ID"), {id})) m_iconLib.Delete();
    const int row = IconGrid->currentRow();
    RefreshGrid();
    MoveTo(qMin(row, IconGrid->rowCount() - 1));
}

bool TIconManager::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == LargeImage || watched == SmallImage) && event->type() == QEvent::MouseButtonDblClick) {
        ui::RunGuarded(this, [&] { EditImage(watched == LargeImage); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TIconManager::refuseClose() {
    if (!SaveBtn->isEnabled()) return false;
    ui::Message(QStringLiteral("You must save or cancel your changes before you can continue."), ui::MessageKind::Error,
                ui::Button::Ok, 10067);
    return true;
}

void TIconManager::reject() {
    if (refuseClose()) return;
    QDialog::reject();
}

void TIconManager::closeEvent(QCloseEvent* event) {
    if (SaveBtn->isEnabled()) {
        event->ignore();
        refuseClose();
        return;
    }
    QDialog::closeEvent(event);
}

void ShowIconManager(TMainForm& mainForm, core::ViewTables* tables) {
    TMainDataMod* data = mainForm.DataModule();
    if (!data) return;
    db::Table& t = *data->IconLibrary;
    const bool wasOpen = t.Active();
    const QString indexName = t.IndexName();
    const QString indexFields = t.IndexFieldNames();
    {
        if (!wasOpen) t.Open();
        base::ScopeExit close([&] {
            if (!wasOpen && t.Active()) {
                t.Close();
            } else if (t.Active()) {
                // The order the table had before (the icon lists are read in it).
                if (indexFields.isEmpty())
                    t.SetIndexName(indexName);
                else
                    t.SetIndexFieldNames(indexFields);
            }
        });
        TIconManager manager(t, &mainForm);
        manager.RefreshGrid();
        ui::ExecModal(manager);
    }
    ui::HourglassCursor hourglass;
    mainForm.LoadIconLibrary();
    if (tables) core::ViewWindows(ViewControl(), *tables, &mainForm, data).RefreshAllViewWindows();
    mainForm.BuildViewsMenu();
    mainForm.RefreshWindowsMenu();
}

void InstallIconManager(TMainForm* mainForm, core::ViewTables* tables) {
    QPointer<TMainForm> form(mainForm);
    core::RegisterCommand(QStringLiteral("A_IconManager"), [form, tables] {
        if (form) ShowIconManager(*form, tables);
    });
}
