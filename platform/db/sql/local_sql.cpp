#include "platform/db/sql/local_sql.h"

#include "platform/base/day_time.h"

#include <QRegularExpression>

#include <optional>

namespace db::sql {

namespace {

enum class Clause { None, Select, From, Other };

/// Where the walk stands inside a FROM list.
enum class FromState {
    None,        ///< inside a join condition or after a complete table entry
    TableRef,    ///< a table name (or a derived table) comes next
    AfterTable,  ///< an alias may come next, with or without AS
    AfterAs,     ///< an alias must come next
};

struct Level {
    Clause clause = Clause::None;
    FromState from = FromState::None;
    bool derivedTable = false;  ///< this "(" opened a table in a FROM list
};

/// Words that end a table entry of a FROM list (anything else after a table is its alias).
bool EndsTableEntry(const Token& t) {
    static const char* const kWords[] = {"WHERE", "GROUP", "ORDER", "HAVING", "JOIN", "INNER", "LEFT",
                                         "RIGHT", "FULL", "OUTER", "CROSS", "NATURAL", "ON", "USING",
                                         "UNION", "EXCEPT", "INTERSECT", "LIMIT", "WINDOW"};
    for (const char* w : kWords) {
        if (t.IsWord(w)) return true;
    }
    return false;
}

std::optional<QDateTime> ParseDateLiteral(const QString& text, bool* hasTime, bool* shaped) {
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?(?:\s*([AaPp])[Mm])?)?\s*$)"));
    const auto m = re.match(text);
    *shaped = m.hasMatch();
    if (!*shaped) return std::nullopt;
    const QDate date(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    if (!date.isValid()) return std::nullopt;
    *hasTime = m.capturedLength(4) > 0;
    QTime time(0, 0);
    if (*hasTime) {
        int hour = m.captured(4).toInt();
        const QString half = m.captured(8).toUpper();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12) return std::nullopt;
            hour = (hour % 12) + (half == u'P' ? 12 : 0);
        }
        QString ms = m.captured(7);
        while (!ms.isEmpty() && ms.size() < 3) ms += u'0';
        time = QTime(hour, m.captured(5).toInt(), m.captured(6).toInt(), ms.toInt());
        if (!time.isValid()) return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC);  // a wall-clock value: no zone, no daylight-saving gaps
}

QString DayNumberLiteral(const QDateTime& value, bool hasTime) {
    const double days = hasTime ? base::DateTimeToDays(value) : base::DateToDays(value.date());
    return QString::number(days, 'g', 17);
}

/// Rewrites the functions whose arguments are separated by keywords into SQLite's forms:
/// SUBSTRING(s FROM i [FOR n]) -> substr(s, i[, n]); TRIM([BOTH|LEADING|TRAILING] [c] FROM s)
/// -> trim/ltrim/rtrim(s[, c]); EXTRACT(YEAR|MONTH|DAY|HOUR|MINUTE|SECOND FROM d) -> the
/// part of the day number d as an integer. Works from the last call to the first, so a
/// call inside another's arguments is rewritten first.
void RewriteKeywordFunctions(const std::vector<Token>& tokens, const std::vector<int>& sig, std::vector<QString>& out) {
    for (int p = int(sig.size()) - 2; p >= 0; --p) {
        const Token& name = tokens[sig[p]];
        const bool substring = name.IsWord("SUBSTRING"), trim = name.IsWord("TRIM"), extract = name.IsWord("EXTRACT");
        if (!(substring || trim || extract) || !tokens[sig[p + 1]].IsSymbol("(")) continue;
        int close = -1;
        int depth = 0;
        for (int q = p + 1; q < int(sig.size()); ++q) {
            if (tokens[sig[q]].IsSymbol("(")) ++depth;
            if (tokens[sig[q]].IsSymbol(")") && --depth == 0) {
                close = q;
                break;
            }
        }
        if (close < 0) continue;

        // The arguments as segments, each led by the keyword before it ("" for the first).
        std::vector<std::pair<QString, QString>> segments(1);
        depth = 0;
        for (int k = sig[p + 1] + 1; k < sig[close]; ++k) {
            const Token& t = tokens[k];
            if (t.IsSymbol("(")) ++depth;
            if (t.IsSymbol(")")) --depth;
            if (depth == 0 && (t.IsWord("FROM") || t.IsWord("FOR") || t.IsWord("BOTH") || t.IsWord("LEADING") || t.IsWord("TRAILING"))) {
                segments.emplace_back(t.text.toUpper(), QString());
                continue;
            }
            segments.back().second += out[k];
        }
        for (auto& seg : segments) seg.second = seg.second.trimmed();
        auto find = [&](const char* keyword) -> const QString* {
            for (const auto& seg : segments) {
                if (seg.first == QLatin1String(keyword)) return &seg.second;
            }
            return nullptr;
        };

        QString replacement;
        if (substring) {
            const QString* from = find("FROM");
            const QString* length = find("FOR");
            if (!from) continue;  // substring(s, i, n) is SQLite's own
            replacement = QStringLiteral("substr(%1, %2").arg(segments[0].second, *from);
            if (length) replacement += QStringLiteral(", ") + *length;
            replacement += u')';
        } else if (trim) {
            const QString* from = find("FROM");
            if (!from) continue;  // trim(s)
            QString function = QStringLiteral("trim");
            QString character = segments[0].second;
            if (segments.size() > 1 && segments[1].first != QLatin1String("FROM")) {
                if (segments[1].first == QLatin1String("LEADING")) function = QStringLiteral("ltrim");
                if (segments[1].first == QLatin1String("TRAILING")) function = QStringLiteral("rtrim");
                character = segments[1].second;
            }
            replacement = character.isEmpty() ? QStringLiteral("%1(%2)").arg(function, *from)
                                               : QStringLiteral("%1(%2, %3)").arg(function, *from, character);
        } else {
            const QString* from = find("FROM");
            if (!from) continue;
            static const std::pair<const char*, const char*> kParts[] = {
                {"YEAR", "%Y"}, {"MONTH", "%m"}, {"DAY", "%d"}, {"HOUR", "%H"}, {"MINUTE", "%M"}, {"SECOND", "%S"}};
            const char* format = nullptr;
            for (const auto& [part, f] : kParts) {
                if (segments[0].second.compare(QLatin1String(part), Qt::CaseInsensitive) == 0) format = f;
            }
            if (!format) continue;
            // day numbers count from 1899-12-30, Julian day 2415018.5
            replacement = QStringLiteral("CAST(strftime('%1', (%2) + 2415018.5) AS INTEGER)").arg(QLatin1String(format), *from);
        }
        out[sig[p]] = replacement;
        for (int k = sig[p] + 1; k <= sig[close]; ++k) out[k].clear();
    }
}

}  // namespace

QString SchemaName(int tableIndex) { return QStringLiteral("t%1").arg(tableIndex + 1); }

base::Result<Translation> TranslateLocalSql(const QString& localSql, const TranslateOptions& options) {
    auto lexed = Tokenize(localSql);
    if (!lexed) return lexed.error();
    const std::vector<Token>& tokens = lexed.value();

    std::vector<QString> out;
    out.reserve(tokens.size());
    for (const Token& t : tokens) out.push_back(t.text);
    std::vector<TokenKind> outKind;
    for (const Token& t : tokens) outKind.push_back(t.kind);

    std::vector<int> sig;  // indexes of the significant tokens
    for (int i = 0; i < int(tokens.size()); ++i) {
        if (tokens[i].Significant()) sig.push_back(i);
    }
    auto sigAt = [&](int p) -> const Token* { return p >= 0 && p < int(sig.size()) ? &tokens[sig[p]] : nullptr; };

    Translation result;
    std::vector<Level> stack(1);

    // The outermost select list: ranges of significant positions, one per entry.
    bool collecting = false;
    bool collected = false;
    std::vector<std::pair<int, int>> itemRanges;
    int itemStart = -1;

    for (int p = 0; p < int(sig.size()); ++p) {
        const Token& t = tokens[sig[p]];
        const Token* prev = sigAt(p - 1);
        const Token* next = sigAt(p + 1);
        Level& level = stack.back();
        const bool outermost = stack.size() == 1;

        if (collecting && outermost) {
            const bool endsItem = t.IsSymbol(",") || t.IsWord("FROM") || t.IsSymbol(";") || t.IsWord("UNION") ||
                                  t.IsWord("EXCEPT") || t.IsWord("INTERSECT");
            if (endsItem) {
                if (itemStart >= 0) itemRanges.emplace_back(itemStart, p - 1);
                itemStart = -1;
                if (!t.IsSymbol(",")) {
                    collecting = false;
                    collected = true;
                }
            } else if (itemStart < 0 && !(t.IsWord("DISTINCT") || t.IsWord("ALL"))) {
                itemStart = p;
            }
        }

        if (t.kind == TokenKind::Symbol) {
            if (t.text == u'(') {
                Level inner;
                if (level.clause == Clause::From && level.from == FromState::TableRef) {
                    // a derived table "(SELECT ...)" or a bracketed join "(a JOIN b ON ...)"
                    inner.derivedTable = true;
                    inner.clause = Clause::From;
                    inner.from = FromState::TableRef;
                }
                stack.push_back(inner);
            } else if (t.text == u')') {
                if (stack.size() > 1) {
                    const bool derived = stack.back().derivedTable;
                    stack.pop_back();
                    if (derived) stack.back().from = FromState::AfterTable;
                }
            } else if (t.text == u',' && level.clause == Clause::From) {
                level.from = FromState::TableRef;
            }
            continue;
        }

        if (t.kind == TokenKind::Word) {
            if (t.IsWord("SELECT")) {
                level.clause = Clause::Select;
                level.from = FromState::None;
                if (outermost && !collected && !collecting) collecting = true;
                continue;
            }
            if (t.IsWord("FROM")) {
                if (level.clause == Clause::Select) {
                    level.clause = Clause::From;
                    level.from = FromState::TableRef;
                }
                continue;
            }
            if (t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("HAVING") || t.IsWord("ORDER") ||
                t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
                if (level.clause != Clause::None) level.clause = Clause::Other;
                level.from = FromState::None;
                continue;
            }
            if (level.clause != Clause::From) continue;
            if (t.IsWord("JOIN")) {
                level.from = FromState::TableRef;
                continue;
            }
            if (EndsTableEntry(t)) {
                level.from = FromState::None;
                continue;
            }
            if (t.IsWord("AS")) {
                if (level.from == FromState::AfterTable) level.from = FromState::AfterAs;
                continue;
            }
            if (level.from == FromState::AfterTable || level.from == FromState::AfterAs) {
                level.from = FromState::None;  // the alias
                continue;
            }
            if (level.from != FromState::TableRef) continue;
        }

        if (t.kind == TokenKind::SingleQuoted) {
            bool hasTime = false;
            bool shaped = false;
            const auto value = ParseDateLiteral(t.Unquoted(), &hasTime, &shaped);
            if (shaped && !value) {
                return base::MakeError(kInvalidDate, QStringLiteral("%1 is not a valid date.").arg(t.text), t.line, t.column);
            }
            if (value) {
                out[sig[p]] = options.writeDate ? options.writeDate(*value, hasTime) : DayNumberLiteral(*value, hasTime);
                outKind[sig[p]] = TokenKind::Number;
            }
            continue;
        }

        const bool tableRef = level.clause == Clause::From && level.from == FromState::TableRef &&
                              (t.kind == TokenKind::Word || t.kind == TokenKind::DoubleQuoted);
        if (tableRef) {
            // The name as written: "quoted", word, or word.word (a bare file name with extension).
            QString written = t.kind == TokenKind::DoubleQuoted ? t.Unquoted() : t.text;
            int last = p;
            if (t.kind == TokenKind::Word && next && next->IsSymbol(".") && sigAt(p + 2) &&
                (sigAt(p + 2)->kind == TokenKind::Word || sigAt(p + 2)->kind == TokenKind::Number)) {
                written += u'.' + sigAt(p + 2)->text;
                last = p + 2;
            }
            const QString file = options.resolveTable ? options.resolveTable(written) : written;
            int index = -1;
            for (int k = 0; k < result.tables.size(); ++k) {
                if (result.tables[k].compare(file, Qt::CaseInsensitive) == 0) index = k;
            }
            if (index < 0) {
                index = int(result.tables.size());
                result.tables.push_back(file);
            }
            const QString inner = options.rowTableOf ? options.rowTableOf(file) : file.mid(file.lastIndexOf(u'/') + 1);
            QString replacement = DoubleQuote(SchemaName(index)) + u'.' + DoubleQuote(inner);
            const Token* after = sigAt(last + 1);
            const bool hasAlias = after && ((after->kind == TokenKind::Word && !EndsTableEntry(*after)) ||
                                            after->kind == TokenKind::DoubleQuoted);
            if (!hasAlias && written.compare(inner, Qt::CaseInsensitive) != 0) {
                replacement += QStringLiteral(" AS ") + DoubleQuote(written);
            }
            out[sig[p]] = replacement;
            outKind[sig[p]] = TokenKind::Word;
            for (int k = sig[p] + 1; k <= sig[last]; ++k) out[k].clear();
            p = last;
            level.from = FromState::AfterTable;
            continue;
        }

        if (t.kind == TokenKind::DoubleQuoted) {
            if (level.clause == Clause::From && (level.from == FromState::AfterTable || level.from == FromState::AfterAs)) {
                level.from = FromState::None;  // a quoted alias
                continue;
            }
            const bool name = (prev && (prev->IsSymbol(".") || prev->IsWord("AS"))) || (next && next->IsSymbol("."));
            if (!name) {
                out[sig[p]] = SingleQuote(t.Unquoted());
                outKind[sig[p]] = TokenKind::SingleQuoted;
            }
        }
    }
    if (collecting && itemStart >= 0) itemRanges.emplace_back(itemStart, int(sig.size()) - 1);

    const std::vector<QString> beforeRewrite = out;
    RewriteKeywordFunctions(tokens, sig, out);
    for (const QString& s : out) result.text += s;

    for (const auto& [first, lastIn] : itemRanges) {
        SelectItem item;
        int last = lastIn;
        if (last - 1 >= first && tokens[sig[last - 1]].IsWord("AS")) {
            item.alias = tokens[sig[last]].kind == TokenKind::DoubleQuoted ? tokens[sig[last]].Unquoted() : tokens[sig[last]].text;
            last -= 2;
        }
        for (int k = sig[first]; last >= first && k <= sig[last]; ++k) item.text += out[k];
        for (int q = first; q <= last; ++q) {
            Token tr = tokens[sig[q]];
            tr.text = beforeRewrite[size_t(sig[q])];
            tr.kind = outKind[sig[q]];
            item.tokens.push_back(std::move(tr));
        }
        item.star = !item.tokens.empty() && item.tokens.back().IsSymbol("*") &&
                    (item.tokens.size() == 1 || item.tokens[item.tokens.size() - 2].IsSymbol("."));
        result.columns.push_back(std::move(item));
    }
    return result;
}

}  // namespace db::sql
