#include "core/folder_chooser.h"

#include "platform/ui/dialog_service.h"

namespace core {

namespace {

FolderChooser& Chooser() {
    static FolderChooser chooser;
    return chooser;
}

}  // namespace

void SetFolderChooser(FolderChooser chooser) { Chooser() = std::move(chooser); }

bool BrowseForFolder(const QString& title, QString& folder, QString& lastFolder, bool allowEdit) {
    if (Chooser()) return Chooser()(title, folder, lastFolder, allowEdit);
    ui::FileRequest request;
    request.caption = title;
    request.folder = folder.isEmpty() ? lastFolder : folder;
    const auto chosen = ui::ChooseFolder(request);
    if (!chosen) return false;
    folder = *chosen;
    lastFolder = *chosen;
    return true;
}

}  // namespace core
