#pragma once

#include <QChar>
#include <QString>

struct sqlite3;

namespace db::sql {

/// LIKE as queries expect it: "%" matches any run of characters, "_" exactly one, the
/// escape character (when not null) makes the next pattern character literal; letters
/// compare with their case.
bool LikeMatches(const QString& text, const QString& pattern, QChar escape = QChar());

/// Puts the query functions on a connection: like(pattern, text[, escape]) behind the
/// LIKE operator (case-sensitive, as above), and upper() and lower() for every Unicode letter.
void RegisterLocalSqlFunctions(sqlite3* db);

}  // namespace db::sql
