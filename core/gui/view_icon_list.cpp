#include "core/gui/view_icon_list.h"

#include "core/view_control.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kGlyphRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
}  // namespace

TViewIconList::TViewIconList(TViewControl& views, db::Table& iconLib, const std::vector<QImage>& images,
                             int currentGlyphIndex, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_images(images) {
    setObjectName(QStringLiteral("ViewIconList"));
    setWindowTitle(QStringLiteral("Select Icon"));
    IconList = ui::Make<QListWidget>(this, "IconList");
    IconList->setViewMode(QListView::IconMode);
    IconList->setResizeMode(QListView::Adjust);
    IconList->setIconSize(QSize(32, 32));
    IconList->setGridSize(QSize(96, 64));
    IconList->setMovement(QListView::Static);
    IconList->setCursor(Qt::PointingHandCursor);
    IconList->setToolTip(QStringLiteral("Click to select"));
    IconList->setProperty("HelpContext", 61103);
    SelectBtn = ui::Make<QPushButton>(this, "SelectBtn", QStringLiteral("&Select"));
    SelectBtn->setToolTip(QStringLiteral("Select this icon"));
    SelectBtn->setProperty("HelpContext", 61101);
    SelectBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("&Cancel"));
    CancelBtn->setToolTip(QStringLiteral("Cancel selection"));
    CancelBtn->setProperty("HelpContext", 61102);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 61100);

    auto* main = new QVBoxLayout(this);
    main->addWidget(IconList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SelectBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    main->addLayout(buttons);
    resize(420, 300);

    connect(IconList, &QListWidget::itemSelectionChanged, this,
            [this] { SelectBtn->setEnabled(!IconList->selectedItems().isEmpty()); });
    connect(IconList, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(SelectBtn, &QPushButton::clicked, this, [this] { ui::RunGuarded(this, [&] { SelectBtnClick(); }); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(61100); });

    // The icon map has one entry per ID (index = ID) from 0 to the highest ID loaded; a
    // View's GlyphIndex is the index its icon has in the map.
    const int mapLength = int(views.IconMap.size());
    for (int id = 1; id < mapLength; ++id) {
        if (!iconLib.FindKey({id})) continue;
        const int image = views.GetIconImageIndex(id);
        auto* item = new QListWidgetItem(iconLib.FieldByName(QStringLiteral("Name"))->AsString(), IconList);
        item->setData(kGlyphRole, id);
        item->setData(kImageRole, image);
        if (image >= 0 && image < int(m_images.size())) item->setIcon(QPixmap::fromImage(m_images[size_t(image)]));
    }
    IconList->sortItems();
    for (int row = 0; row < IconList->count(); ++row)
        if (IconList->item(row)->data(kGlyphRole).toInt() == currentGlyphIndex) IconList->setCurrentRow(row);
    SelectBtn->setEnabled(!IconList->selectedItems().isEmpty());
}

int TViewIconList::Count() const { return IconList->count(); }

int TViewIconList::SelectedGlyphIndex() const {
    const QList<QListWidgetItem*> items = IconList->selectedItems();
    return items.isEmpty() ? -1 : items.first()->data(kGlyphRole).toInt();
}

QImage TViewIconList::SelectedPicture() const {
    const QList<QListWidgetItem*> items = IconList->selectedItems();
    if (items.isEmpty()) return {};
    const int image = items.first()->data(kImageRole).toInt();
    return image >= 0 && image < int(m_images.size()) ? m_images[size_t(image)] : QImage();
}

void TViewIconList::SelectBtnClick() {
    if (IconList->selectedItems().isEmpty()) {
        ui::Message(QStringLiteral("You must select an icon first."), ui::MessageKind::Error, ui::Button::Ok, 10141);
        return;
    }
    accept();
}

namespace core {

int ShowViewIconPicker(TViewControl& views, db::Table& iconLib, int currentGlyphIndex, const std::vector<QImage>& images,
                       QImage& picture, QWidget* parent) {
    const bool wasOpen = iconLib.Active();
    if (!wasOpen) iconLib.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && iconLib.Active()) iconLib.Close();
    });
    TViewIconList dialog(views, iconLib, images, currentGlyphIndex, parent);
    if (dialog.Count() == 0) {
        ui::Message(QStringLiteral("No View icons were found in the View Icon Library. Use the View Icon Library "
                                   "Manager (Tools menu) to add View icons."),
                    ui::MessageKind::Error, ui::Button::Ok, 10123);
        return -1;
    }
    if (ui::ExecModal(dialog) != QDialog::Accepted || dialog.SelectedGlyphIndex() < 0) return -1;
    picture = dialog.SelectedPicture();
    return dialog.SelectedGlyphIndex();
}

}  // namespace core
