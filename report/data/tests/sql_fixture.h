#pragma once

// Query models of the SQL tests, kept in the component text form under tests/data/sql, and a
// session that answers reserved words as the plug-in does.

#include "report/data/sql.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <QFile>
#include <QString>

#include <memory>
#include "test_paths.h"

namespace data_test {

/// A session with no databases of its own: it answers reserved words.
class TdaWordsSession : public TdaSession {
    Q_OBJECT
    Q_CLASSINFO("SessionTypeName", "WordsSession")
public:
    Q_INVOKABLE explicit TdaWordsSession(TComponent* AOwner = nullptr) : TdaSession(AOwner) {}
    TClass DataSetClass() const override { return nullptr; }
    void GetDatabaseNames(TdaNameList&) override {}
    TppDatabaseType GetDatabaseType(const QString&) override { return TppDatabaseType::dtOther; }
    void GetTableNames(const QString&, QStringList&) override {}
    TppDatabaseTypes SupportedDatabaseTypes() const override { return {}; }
};

/// The text of a file of tests/data.
inline QByteArray ReadTestData(const QString& aName) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/") + aName);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

/// The model of tests/data/sql/<name>.txt; null when it does not read.
inline std::unique_ptr<TdaSQL> LoadModel(const QString& aName) {
    report::data::RegisterSQLClasses();
    const QByteArray text = ReadTestData(QStringLiteral("sql/") + aName + QStringLiteral(".txt"));
    std::unique_ptr<stream::Component> read = stream::ReadComponent(text);
    auto* sql = dynamic_cast<TdaSQL*>(read.get());
    if (!sql) return nullptr;
    read.release();
    return std::unique_ptr<TdaSQL>(sql);
}

}  // namespace data_test
