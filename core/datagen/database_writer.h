#pragma once

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

class TViewControl;
class TtsTable;

namespace db {
class Table;
}

namespace datagen {

/// The Views of a database as their text source describes them: one block per View, its
/// Layout variables and one group of variables per field, each "Variable=Value" stored as it
/// stands in the settings table:
///
///   # comment
///   [View]
///   ViewName=Package
///   DataTableName=Packages
///   [Field]
///   FieldName=Version
///   FieldType=S
///   FieldLength=40
///
/// A field without "FieldPosition" is placed below the previous one (label above it).
struct ViewSource {
    QVector<QPair<QString, QString>> Layout;
    QVector<QVector<QPair<QString, QString>>> Fields;
};

/// Reads a View source file; throws base::Exception naming the file and line of a fault.
std::vector<ViewSource> ReadViewSources(const QString& path);

/// Writes a new database folder through the records core's own code: the database tables
/// (core/product_tables.h), the View definitions (rows written from the source, then loaded
/// and saved again by TViewControl so every variable is stored in its own form), one table
/// per View, the branches and their records, and at the end the word indexes of the
/// hierarchy and of every View.
///
/// Branches get NodeIDs from 1000 on, in the order they are added; records are written in
/// one batch per table.
class DatabaseWriter {
public:
    /// Creates the folder (which must not exist or be empty) and its tables.
    DatabaseWriter(const QString& folder, const std::vector<ViewSource>& views);
    ~DatabaseWriter();

    /// Adds a branch and its record: `values` by field name of the View (missing fields
    /// stay null), `note` the record's note. Answers the NodeID.
    int AddBranch(int parentNodeID, const QString& title, int view, const QVector<QPair<QString, QVariant>>& values,
                  const QString& note, double timestamp);
    /// Writes any other settings row.
    void WriteSetting(const QString& section, const QString& key1, const QString& key2, const QString& variable,
                      const QString& value);
    /// Commits, closes and builds the word indexes.
    void Finish();

    int ViewCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace datagen
