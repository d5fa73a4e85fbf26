#include "core/library_helpers.h"

#include "core/file_helpers.h"
#include "core/settings_store.h"
#include "core/text_helpers.h"

#include "platform/base/scope_exit.h"
#include "platform/db/table.h"
#include "platform/format/date_time_format.h"
#include "platform/ui/dialog_service.h"

#include <QDateTime>

namespace core {

void CopyRecordFields(const db::Table& source, db::Table& target) {
    for (int i = 0; i < source.FieldCount() && i < target.FieldCount(); ++i) {
        const db::Field* from = source.Fields(i);
        db::Field* to = target.FindField(target.Fields(i)->FieldName());
        if (!to || !to->CanModify()) continue;
        if (from->IsNull()) to->Clear();
        else to->Assign(*from);
    }
}

void GetTextFieldNames(const db::Table& table, QStringList& list) {
    list.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
        const db::Field* field = table.Fields(i);
        const db::FieldType type = field->DataType();
        if (type == db::FieldType::ftString || type == db::FieldType::ftMemo || type == db::FieldType::ftFmtMemo)
            list << field->FieldName();
    }
}

QChar CheckTemplateUnique(db::Table& templateLib, const QString& name, const QString& folder, bool skipCurrent) {
    const db::Bookmark position = templateLib.GetBookmark();
    const QVariant currentId = templateLib.Eof() && templateLib.Bof()
                                   ? QVariant()
                                   : templateLib.FieldByName(QStringLiteral("ID"))->Value();
    const QString wantedName = name.trimmed();
    const QString wantedFolder = NormalizePath(folder, QStringLiteral("U"));
    QChar answer = u'*';
    QString otherName;
    {
        base::ScopeFail back([&] {
            if (templateLib.BookmarkValid(position)) templateLib.GotoBookmark(position);
        });
        for (templateLib.First(); !templateLib.Eof(); templateLib.Next()) {
            if (skipCurrent && currentId.isValid() && templateLib.FieldByName(QStringLiteral("ID"))->Value() == currentId)
                continue;
            const QString rowName = templateLib.FieldByName(QStringLiteral("Name"))->AsString();
            if (rowName.compare(wantedName, Qt::CaseInsensitive) == 0) {
                answer = u'N';
                break;
            }
            if (NormalizePath(templateLib.FieldByName(QStringLiteral("Path"))->AsString(), QStringLiteral("U")) ==
                wantedFolder) {
                answer = u'P';
                otherName = rowName;
                break;
            }
        }
    }
    if (!position.IsNull() && templateLib.BookmarkValid(position)) templateLib.GotoBookmark(position);
    if (answer == u'N') {
        ui::ShowError(QStringLiteral("There is already a template named \"%1\". Template names must be unique.")
                          .arg(wantedName.toUpper()),
                      10093);
    } else if (answer == u'P') {
        ui::ShowError(QStringLiteral("A template named \"%1\" is already in folder \"%2\". If you want to use that "
                                     "folder, remove the existing template first.")
                          .arg(otherName, folder.toLower()),
                      10094);
    }
    return answer;
}

void GetLogicTokens(QStringList& list) {
    static const char* const kDefaults[] = {"and", "or", "not", "like", "near"};
    const QString stored = ReadRegString(QStringLiteral("Preferences"), QStringLiteral("QuickSearch"),
                                         QStringLiteral("SearchOption"), QStringLiteral("DefaultLogicTokens"),
                                         QStringLiteral("and;or;not;like;near"));
    QStringList words;
    SplitText(stored, QChar(u';'), words);
    for (int i = words.size(); i < 5; ++i) words << QString::fromLatin1(kDefaults[i]);
    list << words;
}

QString GetMacroDateText(int type) {
    static const char* const kPatterns[] = {"ddddd", "dddddd", "mmmm", "hh:mm:ss ampm", "hh:mm:ss", "ddddd tt"};
    if (type < 1 || type > 6) return {};
    return format::FormatDateTime(QString::fromLatin1(kPatterns[type - 1]), QDateTime::currentDateTime());
}

}  // namespace core
