#include "platform/db/sql/sql_functions.h"

#include <sqlite3.h>

#include <vector>

namespace db::sql {

namespace {

QString TextArg(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void ResultText(sqlite3_context* ctx, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// like(pattern, text [, escape]): SQLite hands the operands of "text LIKE pattern" in this order.
void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return;  // NULL
    }
    QChar escape;
    if (argc == 3) {
        const QString e = TextArg(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.front();
    }
    sqlite3_result_int(ctx, LikeMatches(TextArg(argv[1]), TextArg(argv[0]), escape) ? 1 : 0);
}

void UpperFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    ResultText(ctx, TextArg(argv[0]).toUpper());
}

void LowerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    ResultText(ctx, TextArg(argv[0]).toLower());
}

}  // namespace

bool LikeMatches(const QString& text, const QString& pattern, QChar escape) {
    // Pattern items: a literal character, "_" (one), or "%" (any run).
    struct Item {
        enum Kind { Literal, One, Any } kind;
        QChar c;
    };
    std::vector<Item> items;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!escape.isNull() && c == escape && i + 1 < pattern.size()) {
            items.push_back({Item::Literal, pattern[++i]});
        } else if (c == u'%') {
            if (items.empty() || items.back().kind != Item::Any) items.push_back({Item::Any, {}});
        } else if (c == u'_') {
            items.push_back({Item::One, {}});
        } else {
            items.push_back({Item::Literal, c});
        }
    }
    // Greedy match with one backtrack point: the last "%" seen.
    size_t p = 0;
    qsizetype t = 0;
    size_t starP = size_t(-1);
    qsizetype starT = 0;
    while (t < text.size()) {
        if (p < items.size() && items[p].kind == Item::Any) {
            starP = p++;
            starT = t;
        } else if (p < items.size() && (items[p].kind == Item::One || items[p].c == text[t])) {
            ++p;
            ++t;
        } else if (starP != size_t(-1)) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == Item::Any) ++p;
    return p == items.size();
}

void RegisterLocalSqlFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "upper", 1, flags, nullptr, UpperFunction, nullptr, nullptr);
    sqlite3_create_function(db, "lower", 1, flags, nullptr, LowerFunction, nullptr, nullptr);
}

}  // namespace db::sql
