#pragma once

// A database folder of our own for the pipeline tests, made through the table layer from
// a fixed extract of a Debian package catalogue kept beside the tests
// (tests/data/package_status.txt: the first 120 packages of a dpkg status file, with their
// Package, Maintainer, Description and Depends fields), so every machine builds the same
// tables whatever it has installed: Customers (the maintainers), Orders (their
// packages, the description as a memo, an icon of the Adwaita theme as a picture) and Items
// (the packages each one depends on). Small tables for single cases are made beside them.
// What the tables hold is read back with sqlite itself, independently of the table layer.

#include "platform/db/database.h"
#include "platform/db/field.h"
#include "platform/db/table.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <vector>
#include "test_paths.h"

namespace pipeline_test {

struct Package {
    QString name;
    QString maintainer;
    QString description;
    QStringList depends;
};

/// The model tests' data folder (the output tests, which share this fixture, name it
/// MODEL_TEST_DATA_DIR).
#if defined(MODEL_TEST_DATA_DIR)
inline constexpr char kModelTestDataDir[] = MODEL_TEST_DATA_DIR;
#else
inline constexpr char kModelTestDataDir[] = TEST_DATA_DIR;
#endif

/// The packages of the catalogue extract (at most `limit`), in catalogue order.
inline std::vector<Package> ReadCatalogue(int limit) {
    std::vector<Package> out;
    QFile f(QString::fromUtf8(kModelTestDataDir) + QStringLiteral("/package_status.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    if (!f.isOpen()) return out;
    Package p;
    bool inDescription = false;
    auto flush = [&] {
        if (!p.name.isEmpty() && !p.maintainer.isEmpty()) out.push_back(p);
        p = {};
        inDescription = false;
    };
    while (!f.atEnd() && int(out.size()) < limit) {
        const QString line = QString::fromUtf8(f.readLine()).chopped(1);
        if (line.isEmpty()) {
            flush();
            continue;
        }
        if (line.startsWith(u' ')) {
            if (inDescription) p.description += QStringLiteral("\r\n") + line.mid(1);
            continue;
        }
        inDescription = false;
        if (line.startsWith(QLatin1String("Package: "))) {
            p.name = line.mid(9);
        } else if (line.startsWith(QLatin1String("Maintainer: "))) {
            p.maintainer = line.mid(12).section(u'<', 0, 0).trimmed();
        } else if (line.startsWith(QLatin1String("Description: "))) {
            p.description = line.mid(13);
            inDescription = true;
        } else if (line.startsWith(QLatin1String("Depends: "))) {
            for (const QString& d : line.mid(9).split(u','))
                p.depends << d.trimmed().section(u' ', 0, 0).section(u'|', 0, 0);
        }
    }
    flush();
    return out;
}

/// A few icons of the installed Adwaita theme, as stored picture bytes.
inline QList<QByteArray> ReadIcons() {
    QList<QByteArray> icons;
    QDir dir(QStringLiteral("/usr/share/icons/Adwaita/16x16/legacy"));
    for (const QString& name : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) icons << f.readAll();
        if (icons.size() == 8) break;
    }
    return icons;
}

/// Makes a table file and appends the rows (values by field position) in one transaction.
inline void MakeTable(const QString& folder, const QString& name, const db::TableDef& def,
                      const std::vector<QVariantList>& rows) {
    db::CreateTableFile(folder, name, def, true);
    db::Table t;
    t.SetDatabaseName(folder);
    t.SetTableName(name);
    t.Open();
    t.StartBatch();
    for (const QVariantList& row : rows) {
        t.Append();
        for (int i = 0; i < row.size(); ++i)
            if (!row.at(i).isNull()) t.Fields(i)->SetValue(row.at(i));
        t.Post();
    }
    t.EndBatch(true);
}

/// Rows of an SQL query over a table file, read with sqlite itself, each row's columns as texts.
inline std::vector<QStringList> SqlRows(const QString& file, const QString& query) {
    std::vector<QStringList> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << file.toStdString();
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

/// The folder with Customers.DB, Orders.DB and Items.DB and what went into them.
class CatalogueDatabase {
public:
    CatalogueDatabase() {
        const std::vector<Package> packages = ReadCatalogue(120);
        const QList<QByteArray> icons = ReadIcons();
        std::map<QString, int> custNo;
        std::vector<QVariantList> customers, orders, items;
        for (const Package& p : packages) {
            auto [it, added] = custNo.emplace(p.maintainer, int(custNo.size()) + 1);
            if (added) customers.push_back({it->second, p.maintainer});
        }
        int orderNo = 0;
        for (const Package& p : packages) {
            ++orderNo;
            const int cust = custNo.at(p.maintainer);
            QVariant picture;
            if (!icons.isEmpty() && orderNo % 3 == 0) picture = icons.at(orderNo % icons.size());
            orders.push_back({orderNo, cust, p.name, p.description, picture});
            int itemNo = 0;
            for (const QString& d : p.depends) items.push_back({orderNo, ++itemNo, d});
            ordersOfCustomer[cust].push_back(orderNo);
            packageOfOrder[orderNo] = p.name;
            descriptionOfOrder[orderNo] = p.description;
            dependsOfOrder[orderNo] = p.depends;
        }
        db::TableDef c;
        c.Fields = {{"CustNo", db::FieldType::ftInteger, 0, true}, {"Company", db::FieldType::ftString, 80, false}};
        c.Indexes = {{"", "CustNo", db::IndexOption::ixPrimary}, {"ByCompany", "Company", db::IndexOption::ixCaseInsensitive}};
        MakeTable(Folder(), "Customers.DB", c, customers);
        db::TableDef o;
        o.Fields = {{"OrderNo", db::FieldType::ftInteger, 0, true},
                    {"CustNo", db::FieldType::ftInteger, 0, false},
                    {"Package", db::FieldType::ftString, 60, false},
                    {"Notes", db::FieldType::ftMemo, 0, false},
                    {"Picture", db::FieldType::ftGraphic, 0, false}};
        o.Indexes = {{"", "OrderNo", db::IndexOption::ixPrimary}, {"ByCust", "CustNo;OrderNo", {}}};
        MakeTable(Folder(), "Orders.DB", o, orders);
        db::TableDef i;
        i.Fields = {{"OrderNo", db::FieldType::ftInteger, 0, true},
                    {"ItemNo", db::FieldType::ftInteger, 0, true},
                    {"Depends", db::FieldType::ftString, 80, false}};
        i.Indexes = {{"", "OrderNo;ItemNo", db::IndexOption::ixPrimary}};
        MakeTable(Folder(), "Items.DB", i, items);
        customerCount = int(customers.size());
        orderCount = int(orders.size());
        itemCount = int(items.size());
    }

    QString Folder() const { return m_dir.path(); }

    std::unique_ptr<db::Table> OpenTable(const QString& name, const QString& index = {}) const {
        auto t = std::make_unique<db::Table>();
        t->SetDatabaseName(Folder());
        t->SetTableName(name);
        t->SetIndexName(index);
        t->Open();
        return t;
    }

    int customerCount = 0, orderCount = 0, itemCount = 0;
    std::map<int, std::vector<int>> ordersOfCustomer;
    std::map<int, QString> packageOfOrder, descriptionOfOrder;
    std::map<int, QStringList> dependsOfOrder;

private:
    QTemporaryDir m_dir;
};

}  // namespace pipeline_test
