#pragma once

// The Sales table the cross-tab tests and benchmark calculate over, made through the table
// layer: No (primary key), Region (West, east, East or empty), Year, Quarter, Product, Amount
// (money) and Qty (integer). The rows follow a fixed arithmetic rule, so every machine builds
// the same table; product names are given by the caller (the tests use a fixed list, the
// benchmark names from the Debian package catalogue). What the file holds can be read back
// with SQL through sqlite itself, independently of the table layer.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace crosstabtest {

struct SalesTable {
    /// Makes Sales.DB with `rows` rows over `products` and the years 1999 to 2002.
    SalesTable(int rows, const QStringList& products);

    QString folder() const { return dir.path(); }
    QString file() const { return dir.filePath(QStringLiteral("Sales.DB")); }
    /// The rows of a query over the table file, each row's columns as texts.
    std::vector<QStringList> sql(const QString& query) const;

    QTemporaryDir dir;
};

/// The region of row i: West, east, East or empty (null in the table).
QString RegionOfRow(int i);

}  // namespace crosstabtest
