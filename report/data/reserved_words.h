#pragma once

#include "report/page/report_types.h"

#include <QString>
#include <QStringList>

/// The reserved words of the SQL dialect of a database type: a name equal to one of them
/// (without regard to case) is written specially in generated SQL. Seven lists serve the ten
/// types (the engine's local SQL, Advantage, DBISAM and unknown types share the general
/// list). The lists are kept as the dialects' manuals printed them, odd entries included
/// ("MAXINISTANCES", "GROUP_COMMIT_", "LEV"): names equal to those count as reserved too.
///
/// Each type's list is made on its first request and kept for the life of the process.
const QStringList& daGetReservedWords(TppDatabaseType aDatabaseType);

/// True when aWord equals a word of the type's list, compared without regard to case; the
/// word is not trimmed (" DATE" is not reserved).
bool daIsReservedWord(const QString& aWord, TppDatabaseType aDatabaseType);
