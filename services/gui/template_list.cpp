#include "services/gui/template_list.h"

#include "core/file_helpers.h"
#include "core/gui/action_icons.h"
#include "core/main_data_mod.h"
#include "core/text_helpers.h"

#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/help.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>

std::vector<TTemplateItem> ReadTemplates(TMainDataMod& data) {
    std::vector<TTemplateItem> items;
    db::Table& table = *data.TemplateLib;
    try {
        const bool wasOpen = table.Active();
        data.OpenTemplateLib();
        const QString index = table.IndexName();
        table.SetIndexName(QStringLiteral("Name"));
        for (table.First(); !table.Eof(); table.Next()) {
            TTemplateItem item;
            item.ID = int(table.FieldByName(QStringLiteral("ID"))->AsInteger());
            item.Name = table.FieldByName(QStringLiteral("Name"))->AsString();
            item.Path = table.FieldByName(QStringLiteral("Path"))->AsString().trimmed();
            item.Description = table.FieldByName(QStringLiteral("Description"))->AsString();
            item.Icon = QImage::fromData(table.FieldByName(QStringLiteral("Icon"))->AsBytes());
            item.Missing = !core::IsDatabaseFolder(item.Path);
            items.push_back(item);
        }
        table.SetIndexName(index);
        if (!wasOpen) table.Close();
    } catch (const std::exception&) {
        items.clear();
    }
    return items;
}

void FillTemplateList(QListWidget* list, const std::vector<TTemplateItem>& templates) {
    list->clear();
    list->setViewMode(QListView::IconMode);
    list->setIconSize(QSize(32, 32));
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setWordWrap(true);
    list->setGridSize(QSize(96, 64));
    const QImage missingMark = core::ThemeImage(QStringLiteral("dialog-error"), 16);
    for (const TTemplateItem& t : templates) {
        QImage picture(32, 32, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        const QImage icon = t.Icon.isNull() ? core::ThemeImage(QStringLiteral("x-office-address-book"), 32) : t.Icon;
        p.drawImage(QRect(0, 0, 32, 32), icon);
        if (t.Missing) p.drawImage(QRect(0, 16, 16, 16), missingMark);
        p.end();
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(picture)), t.Name, list);
        item->setData(Qt::UserRole, t.ID);
        item->setData(Qt::UserRole + 1, t.Missing);
    }
}

QString DefaultDatabaseFolder() {
    return QDir(core::GetSpecialFolder(nullptr, core::SpecialFolderId::kPersonal)).filePath(QStringLiteral("Dossara")) +
           QLatin1Char('/');
}

QString ProposedDatabaseFolder(const QString& defaultFolder, const QString& name) {
    return core::MakeUniqueFolderName(defaultFolder + core::MakeValidFileName(name.trimmed()));
}

bool IsProposedPath(const QString& path, const QString& defaultFolder) {
    const QString trimmed = path.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith(defaultFolder, Qt::CaseInsensitive);
}

bool TemplateHasHelp(const QString& templateFolder) {
    return !QDir(templateFolder).entryList({QStringLiteral("*.hlp")}, QDir::Files).isEmpty();
}

void ShowTemplateHelp(const QString& templateFolder) {
    const QStringList help = QDir(templateFolder).entryList({QStringLiteral("*.hlp")}, QDir::Files, QDir::Name);
    if (help.isEmpty()) {
        ui::Message(QStringLiteral("No help is available for that template."), ui::MessageKind::Information, ui::Button::Ok,
                    10146);
        return;
    }
    const QString programHelp = ui::HelpService::HelpFile();
    ui::HelpService::SetHelpFile(QDir(templateFolder).filePath(help.first()));
    ui::HelpService::ShowContents();
    ui::HelpService::SetHelpFile(programHelp);
}
