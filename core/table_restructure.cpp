#include "core/table_restructure.h"

#include "core/product_tables.h"
#include "core/system_helpers.h"
#include "core/view_control.h"

#include "fulltext/table/ts_table.h"
#include "fulltext/table/ts_update.h"

#include "platform/db/db_error.h"
#include "platform/db/table.h"
#include "platform/db/table_utils.h"
#include "platform/ui/dialog_service.h"

#include <QFileInfo>

#include <functional>

TStructureLib::TStructureLib(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("StructureLib"));
    STable = new db::Table(this);
    STable->setObjectName(QStringLiteral("STable"));
    DTable = new db::Table(this);
    DTable->setObjectName(QStringLiteral("DTable"));
}

namespace core {

namespace {

void error(const QString& text, int helpContext) { ui::Message(text, ui::MessageKind::Error, ui::Button::Ok, helpContext); }

int codeOf(const std::exception& e) {
    if (const auto* engine = dynamic_cast<const db::EDBEngineError*>(&e)) return engine->Code();
    return db::ErrorCode::kIoError;
}

/// Opens the table again, shared (as it was before the operation), whatever happened.
void reopenShared(db::Table& table) noexcept {
    try {
        if (table.Active()) table.Close();
        table.SetExclusive(false);
        table.Open();
    } catch (...) {
    }
}

/// The common frame: exclusive access, the column list, the change with the table closed,
/// and the table open and shared again afterwards. `change` runs on the folder and file.
bool restructure(db::Table& table, const std::function<void(const QString& folder, const QString& file,
                                                            const db::TableDef& def)>& change) {
    try {
        if (!table.Active() || !table.Exclusive()) {
            if (table.Active()) table.Close();
            table.SetExclusive(true);
            table.Open();
        }
    } catch (const std::exception&) {
        error(QStringLiteral("Unable to get exclusive access to the database. Make sure it is not open in another "
                             "program, then try again."),
              10086);
        reopenShared(table);
        return false;
    }
    bool ok = false;
    try {
        const db::TableDef def = table.Definition();
        const QString folder = table.Folder();
        const QString file = QFileInfo(table.FilePath()).fileName();
        table.Close();
        try {
            change(folder, file, def);
            ok = true;
        } catch (const std::exception& e) {
            error(QStringLiteral("BDE error during table restructure, code is ") + GetEngineErrorText(codeOf(e)) +
                      QStringLiteral("."),
                  10088);
        }
    } catch (const std::exception& e) {
        error(QStringLiteral("BDE error getting field descriptions, code is ") + GetEngineErrorText(codeOf(e)) +
                  QStringLiteral("."),
              10087);
    }
    reopenShared(table);
    return ok;
}

db::FieldDef columnOf(const QString& name, const QString& typeLetter, int length) {
    const db::FieldType type = FieldTypeOfLetter(typeLetter.isEmpty() ? QChar(u'S') : typeLetter.at(0));
    return {name, type, type == db::FieldType::ftString ? length : 0, false};
}

QChar letterOf(const QString& text) { return text.isEmpty() ? QChar(u'S') : text.at(0); }

}  // namespace

bool AddTableField(TStructureLib&, db::Table& table, const QString& name, const QString& typeLetter, int length) {
    return restructure(table, [&](const QString& folder, const QString& file, const db::TableDef&) {
        db::AddTableField(folder, file, columnOf(name, typeLetter, length));
    });
}

bool ChangeTableField(TStructureLib&, db::Table& table, const QString& oldName, const QString& newName,
                      const QString& newTypeLetter, int newLength, const QString& oldTypeLetter, int oldLength) {
    const bool typeChanged = FieldTypeOfLetter(letterOf(newTypeLetter)) != FieldTypeOfLetter(letterOf(oldTypeLetter));
    if (oldName == newName && !typeChanged && newLength == oldLength) return true;
    db::FieldChange change;
    if (oldName != newName) change.Name = newName;
    if (typeChanged) change.DataType = FieldTypeOfLetter(letterOf(newTypeLetter));
    const bool isString = FieldTypeOfLetter(letterOf(newTypeLetter)) == db::FieldType::ftString;
    // A column that becomes a string takes its length even when the number is the same.
    if (isString && (newLength != oldLength || typeChanged) && newLength > 0) change.Size = newLength;
    if (change.Name.isEmpty() && change.DataType == db::FieldType::ftUnknown && change.Size == 0) return true;
    return restructure(table, [&](const QString& folder, const QString& file, const db::TableDef&) {
        db::ChangeTableField(folder, file, oldName, change);
    });
}

bool DropTableField(TStructureLib&, db::Table& table, const QString& name) {
    return restructure(table, [&](const QString& folder, const QString& file, const db::TableDef&) {
        db::DropTableField(folder, file, name);
    });
}

TStructureLib& StructureLib() {
    static TStructureLib* library = new TStructureLib;
    return *library;
}

bool ApplyFieldRestructure(TViewControl& views, int view, int field) {
    if (!views.CheckFieldIndex(view, field)) return false;
    TViewDef& v = views.ViewDefs[size_t(view)];
    TViewFieldDef& f = v.FieldDefs[size_t(field)];
    db::Table* table = v.DataTable;
    auto quoted = [](const QString& name) { return QStringLiteral("\"") + name + QStringLiteral("\"."); };
    if (f.IsNew) {
        f.IsNew = false;
        f.IsChanged = false;
        if (!table || !AddTableField(StructureLib(), *table, f.FieldName, QString(f.FieldType), f.FieldLength)) {
            error(QStringLiteral("Unable to create field ") + quoted(f.FieldName), 10104);
            f.MarkedForDelete = false;
            return false;
        }
    }
    if (f.IsChanged) {
        f.IsChanged = false;
        if (!table || !ChangeTableField(StructureLib(), *table, f.OriginalName, f.FieldName, QString(f.FieldType),
                                        f.FieldLength, QString(f.OriginalType), f.OriginalLength)) {
            error(QStringLiteral("Unable to change field ") + quoted(f.FieldName), 10105);
            // The column is as it was: so is the field's description of it.
            f.FieldName = f.OriginalName;
            f.FieldType = f.OriginalType;
            f.FieldLength = f.OriginalLength;
            f.MarkedForDelete = false;
            return true;
        }
    }
    if (f.MarkedForDelete) {
        f.MarkedForDelete = false;
        bool exists = false;
        if (table) {
            if (table->Active()) {
                exists = table->FindField(f.FieldName) != nullptr;
            } else {
                try {
                    table->UpdateDefs();
                    for (const db::FieldDef& d : table->FieldDefs())
                        if (d.Name.compare(f.FieldName, Qt::CaseInsensitive) == 0) exists = true;
                } catch (const std::exception&) {
                }
            }
        }
        if (!exists) return false;
        if (DropTableField(StructureLib(), *table, f.FieldName)) return false;
        error(QStringLiteral("Unable to delete field ") + quoted(f.FieldName), 10106);
        return true;
    }
    return true;
}

}  // namespace core
