#include "platform/db/sql/local_sql.h"

#include "platform/base/day_time.h"

#include <QRegularExpression>

#include <sqlite3.h>

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
    // most strings are no dates: a first character that is no digit settles it cheaply
    qsizetype first = 0;
    while (first < text.size() && text[first].isSpace()) ++first;
    if (first >= text.size() || !text[first].isDigit()) {
        *shaped = false;
        return std::nullopt;
    }
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

/// A time of day written as text ("10:30", "10:30:00", "1:05:09.250 PM"): the time, or
/// nothing. *shaped says whether the text has the form of a time at all.
std::optional<QTime> ParseTimeLiteral(const QString& text, bool* shaped) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?(?:\s*([AaPp])[Mm])?\s*$)"));
    qsizetype first = 0;
    while (first < text.size() && text[first].isSpace()) ++first;
    if (first >= text.size() || !text[first].isDigit() || !text.contains(u':')) {
        *shaped = false;
        return std::nullopt;
    }
    const auto m = re.match(text);
    *shaped = m.hasMatch();
    if (!*shaped) return std::nullopt;
    int hour = m.captured(1).toInt();
    const QString half = m.captured(5).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = (hour % 12) + (half == u'P' ? 12 : 0);
    }
    QString ms = m.captured(4);
    while (!ms.isEmpty() && ms.size() < 3) ms += u'0';
    const QTime time(hour, m.captured(2).toInt(), m.captured(3).toInt(), ms.toInt());
    if (!time.isValid()) return std::nullopt;
    return time;
}

/// A word SQLite reserves, which it reads as a keyword where a name stands.
bool IsSqliteKeyword(const QString& word) {
    const QByteArray utf8 = word.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), int(utf8.size())) != 0;
}

/// Words after which, in a FROM list, a table's alias has ended.
bool FollowsAlias(const Token* t) {
    if (!t) return true;
    if (t->IsSymbol(",") || t->IsSymbol(")") || t->IsSymbol(";")) return true;
    static const char* const kWords[] = {"WHERE", "GROUP", "ORDER", "HAVING", "JOIN", "INNER", "LEFT", "RIGHT",
                                         "FULL", "CROSS", "NATURAL", "ON", "UNION", "EXCEPT", "INTERSECT", "FROM"};
    for (const char* w : kWords)
        if (t->IsWord(w)) return true;
    return false;
}

QString DayNumberLiteral(const QDateTime& value, bool hasTime) {
    const double days = hasTime ? base::DateTimeToDays(value) : base::DateToDays(value.date());
    return QString::number(days, 'g', 17);
}

/// Rewrites the functions whose arguments are separated by keywords into SQLite's forms:
/// SUBSTRING(s FROM i [FOR n]) -> substr(s, i[, n]); TRIM([BOTH|LEADING|TRAILING] [c] FROM s)
/// -> trim/ltrim/rtrim(s[, c]); EXTRACT(YEAR|MONTH|DAY|HOUR|MINUTE|SECOND FROM d) -> the
/// part of the day number d as an integer.
///
/// Linear in the length of the text however deep the calls nest: the matching parentheses
/// are found with one stack, each call's arguments are split by walking only its own level
/// (inner parentheses are jumped), and a rewritten call is kept as a template of literal
/// pieces and token ranges, so the final text writes every token once (a call inside
/// another's arguments is written where the outer template places that argument).
class KeywordFunctionRewriter {
public:
    /// `out`: the text of each token after the other rewrites ("" for a token merged away).
    KeywordFunctionRewriter(const std::vector<Token>& tokens, const std::vector<QString>& out)
        : m_tokens(tokens), m_out(out), m_callAt(tokens.size(), -1), m_close(tokens.size(), -1) {
        matchParentheses();
        for (int k = 0; k < int(tokens.size()); ++k) planCall(k);
    }

    /// The text of tokens [from, to] (inclusive) with the calls in it rewritten.
    QString Text(int from, int to) const {
        QString text;
        write(from, to + 1, text);
        return text;
    }

private:
    struct Piece {
        QString literal;  ///< written when `from` < 0
        int from = -1;    ///< token range [from, to)
        int to = -1;
    };
    struct Call {
        int end = 0;  ///< the token after its ")"
        std::vector<Piece> pieces;
    };
    struct Range {
        int from;
        int to;
    };

    void matchParentheses() {
        std::vector<int> open;
        for (int k = 0; k < int(m_tokens.size()); ++k) {
            if (m_tokens[k].IsSymbol("(")) {
                open.push_back(k);
            } else if (m_tokens[k].IsSymbol(")") && !open.empty()) {
                m_close[size_t(open.back())] = k;
                open.pop_back();
            }
        }
    }

    int nextSignificant(int k) const {
        while (k < int(m_tokens.size()) && !m_tokens[k].Significant()) ++k;
        return k;
    }

    static bool blank(const QString& s) {
        for (QChar c : s) {
            if (!c.isSpace()) return false;
        }
        return true;
    }

    /// The range without the tokens that write only blanks at either end (the trimmed text).
    Range trimmed(int from, int to) const {
        while (from < to && blank(m_out[size_t(from)])) ++from;
        while (to > from && blank(m_out[size_t(to - 1)])) --to;
        return {from, to};
    }

    static Piece text(const QString& s) { return {s, -1, -1}; }
    static Piece tokens(Range r) { return {QString(), r.from, r.to}; }

    void planCall(int k) {
        const Token& name = m_tokens[k];
        if (name.kind != TokenKind::Word) return;
        const bool substring = name.IsWord("SUBSTRING"), trim = name.IsWord("TRIM"), extract = name.IsWord("EXTRACT");
        if (!(substring || trim || extract)) return;
        const int open = nextSignificant(k + 1);
        if (open >= int(m_tokens.size()) || !m_tokens[open].IsSymbol("(") || m_close[size_t(open)] < 0) return;
        const int close = m_close[size_t(open)];

        // The arguments as segments, each led by the keyword before it ("" for the first).
        struct Segment {
            QString keyword;
            Range range;
        };
        std::vector<Segment> segments{{QString(), {open + 1, close}}};
        for (int q = open + 1; q < close; ++q) {
            const Token& t = m_tokens[q];
            if (t.IsSymbol("(") && m_close[size_t(q)] >= 0) {
                q = m_close[size_t(q)];  // an inner level: not split here
                continue;
            }
            if (t.IsWord("FROM") || t.IsWord("FOR") || t.IsWord("BOTH") || t.IsWord("LEADING") || t.IsWord("TRAILING")) {
                segments.back().range.to = q;
                segments.push_back({t.text.toUpper(), {q + 1, close}});
            }
        }
        for (auto& seg : segments) seg.range = trimmed(seg.range.from, seg.range.to);
        auto find = [&](const char* keyword) -> const Range* {
            for (const auto& seg : segments) {
                if (seg.keyword == QLatin1String(keyword)) return &seg.range;
            }
            return nullptr;
        };
        auto isEmpty = [](const Range& r) { return r.from >= r.to; };

        Call call;
        call.end = close + 1;
        std::vector<Piece>& p = call.pieces;
        if (substring) {
            const Range* from = find("FROM");
            const Range* length = find("FOR");
            if (!from) return;  // substring(s, i, n) is SQLite's own
            p = {text(QStringLiteral("substr(")), tokens(segments[0].range), text(QStringLiteral(", ")), tokens(*from)};
            if (length) p.insert(p.end(), {text(QStringLiteral(", ")), tokens(*length)});
            p.push_back(text(QStringLiteral(")")));
        } else if (trim) {
            const Range* from = find("FROM");
            if (!from) return;  // trim(s)
            QString function = QStringLiteral("trim");
            Range character = segments[0].range;
            if (segments.size() > 1 && segments[1].keyword != QLatin1String("FROM")) {
                if (segments[1].keyword == QLatin1String("LEADING")) function = QStringLiteral("ltrim");
                if (segments[1].keyword == QLatin1String("TRAILING")) function = QStringLiteral("rtrim");
                character = segments[1].range;
            }
            p = {text(function + u'('), tokens(*from)};
            if (!isEmpty(character)) p.insert(p.end(), {text(QStringLiteral(", ")), tokens(character)});
            p.push_back(text(QStringLiteral(")")));
        } else {
            const Range* from = find("FROM");
            if (!from) return;
            const Range& part = segments[0].range;
            if (part.to - part.from != 1) return;  // a single word names the part
            static const std::pair<const char*, const char*> kParts[] = {
                {"YEAR", "%Y"}, {"MONTH", "%m"}, {"DAY", "%d"}, {"HOUR", "%H"}, {"MINUTE", "%M"}, {"SECOND", "%S"}};
            const char* format = nullptr;
            for (const auto& [name, f] : kParts) {
                if (m_out[size_t(part.from)].compare(QLatin1String(name), Qt::CaseInsensitive) == 0) format = f;
            }
            if (!format) return;
            // day numbers count from 1899-12-30, Julian day 2415018.5
            p = {text(QStringLiteral("CAST(strftime('%1', (").arg(QLatin1String(format))), tokens(*from),
                 text(QStringLiteral(") + 2415018.5) AS INTEGER)"))};
        }
        m_callAt[size_t(k)] = int(m_calls.size());
        m_calls.push_back(std::move(call));
    }

    /// Writes tokens [from, to) with an explicit stack (no recursion, whatever the nesting).
    void write(int from, int to, QString& text) const {
        struct Frame {
            const Call* call;  ///< null: a token range
            size_t piece;
            int k;
            int end;
        };
        std::vector<Frame> stack{{nullptr, 0, from, to}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (!f.call) {
                if (f.k >= f.end) {
                    stack.pop_back();
                    continue;
                }
                const int at = f.k;
                const int call = m_callAt[size_t(at)];
                if (call >= 0 && m_calls[size_t(call)].end <= f.end) {
                    f.k = m_calls[size_t(call)].end;
                    stack.push_back({&m_calls[size_t(call)], 0, 0, 0});
                } else {
                    text += m_out[size_t(at)];
                    ++f.k;
                }
                continue;
            }
            if (f.piece >= f.call->pieces.size()) {
                stack.pop_back();
                continue;
            }
            const Piece& piece = f.call->pieces[f.piece++];
            if (piece.from < 0) {
                text += piece.literal;
            } else {
                stack.push_back({nullptr, 0, piece.from, piece.to});
            }
        }
    }

    const std::vector<Token>& m_tokens;
    const std::vector<QString>& m_out;
    std::vector<int> m_callAt;  ///< per token: the call it starts, or -1
    std::vector<int> m_close;   ///< per "(": its ")", or -1
    std::vector<Call> m_calls;
};

/// The walk over a query's tokens that rewrites it for SQLite (see TranslateLocalSql). One
/// handler per kind of token and clause state; `Level` is the state of one parenthesis
/// level (the clause it is in and, inside a FROM list, where the walk stands).
class Translator {
public:
    Translator(const std::vector<Token>& tokens, const TranslateOptions& options) : m_tokens(tokens), m_options(options) {
        m_out.reserve(tokens.size());
        for (const Token& t : tokens) {
            m_out.push_back(t.text);
            m_outKind.push_back(t.kind);
        }
        for (int i = 0; i < int(tokens.size()); ++i) {
            if (tokens[i].Significant()) m_sig.push_back(i);
        }
    }

    base::Result<Translation> Run() {
        quoteReservedNames();
        for (int p = 0; p < int(m_sig.size()); ++p) {
            const Token& t = tok(p);
            if (m_collecting && m_stack.size() == 1) collectItem(p, t);
            if (t.kind == TokenKind::Symbol) {
                onSymbol(t);
                continue;
            }
            if (t.kind == TokenKind::Word) {
                if (onClauseWord(t) || onFromWord(t)) continue;
            }
            if (t.kind == TokenKind::SingleQuoted) {
                if (auto failed = onString(p, t)) return *failed;
                continue;
            }
            if (isTableRef(t)) {
                p = onTableRef(p, t);
                continue;
            }
            if (t.IsQuotedName()) onQuotedName(p, t);
        }
        if (m_collecting && m_itemStart >= 0) m_itemRanges.emplace_back(m_itemStart, int(m_sig.size()) - 1);
        finish();
        return std::move(m_result);
    }

private:
    const Token& tok(int p) const { return m_tokens[size_t(m_sig[size_t(p)])]; }
    const Token* sigAt(int p) const { return p >= 0 && p < int(m_sig.size()) ? &tok(p) : nullptr; }
    Level& level() { return m_stack.back(); }

    /// The outermost select list: ranges of significant positions, one per entry.
    void collectItem(int p, const Token& t) {
        const bool endsItem = t.IsSymbol(",") || t.IsWord("FROM") || t.IsSymbol(";") || t.IsWord("UNION") ||
                              t.IsWord("EXCEPT") || t.IsWord("INTERSECT");
        if (endsItem) {
            if (m_itemStart >= 0) m_itemRanges.emplace_back(m_itemStart, p - 1);
            m_itemStart = -1;
            if (!t.IsSymbol(",")) {
                m_collecting = false;
                m_collected = true;
            }
        } else if (m_itemStart < 0 && !(t.IsWord("DISTINCT") || t.IsWord("ALL"))) {
            m_itemStart = p;
        }
    }

    /// Parentheses open and close levels; a comma in a FROM list starts the next table.
    void onSymbol(const Token& t) {
        if (t.text == u'(') {
            Level inner;
            if (level().clause == Clause::From && level().from == FromState::TableRef) {
                // a derived table "(SELECT ...)" or a bracketed join "(a JOIN b ON ...)"
                inner.derivedTable = true;
                inner.clause = Clause::From;
                inner.from = FromState::TableRef;
            }
            m_stack.push_back(inner);
        } else if (t.text == u')') {
            if (m_stack.size() > 1) {
                const bool derived = m_stack.back().derivedTable;
                m_stack.pop_back();
                if (derived) level().from = FromState::AfterTable;
            }
        } else if (t.text == u',' && level().clause == Clause::From) {
            level().from = FromState::TableRef;
        }
    }

    /// Words that change the clause of the level; answers whether the word was one.
    bool onClauseWord(const Token& t) {
        Level& l = level();
        if (t.IsWord("SELECT")) {
            l.clause = Clause::Select;
            l.from = FromState::None;
            if (m_stack.size() == 1 && !m_collected && !m_collecting) m_collecting = true;
            return true;
        }
        if (t.IsWord("FROM")) {
            if (l.clause == Clause::Select) {
                l.clause = Clause::From;
                l.from = FromState::TableRef;
            }
            return true;
        }
        if (t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("HAVING") || t.IsWord("ORDER") || t.IsWord("UNION") ||
            t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
            if (l.clause != Clause::None) l.clause = Clause::Other;
            l.from = FromState::None;
            return true;
        }
        return l.clause != Clause::From;  // words outside a FROM list stay as written
    }

    /// Words inside a FROM list: joins, the end of an entry, AS and aliases; answers false
    /// for a word that names a table.
    bool onFromWord(const Token& t) {
        Level& l = level();
        if (t.IsWord("JOIN")) {
            l.from = FromState::TableRef;
            return true;
        }
        if (EndsTableEntry(t)) {
            l.from = FromState::None;
            return true;
        }
        if (t.IsWord("AS")) {
            if (l.from == FromState::AfterTable) l.from = FromState::AfterAs;
            return true;
        }
        if (l.from == FromState::AfterTable || l.from == FromState::AfterAs) {
            l.from = FromState::None;  // the alias
            return true;
        }
        return l.from != FromState::TableRef;
    }

    /// A word SQLite reserves (LIMIT, CASE, ...) where a name stands is quoted, so that a field,
    /// table or alias of that name reads as a name: after "." or AS, before "." (a qualifier),
    /// and as a table's alias right after a quoted table name and before what ends the entry.
    void quoteReservedNames() {
        bool inFrom = false;
        for (int p = 0; p < int(m_sig.size()); ++p) {
            const Token& t = tok(p);
            if (t.IsWord("FROM")) inFrom = true;
            else if (t.IsWord("SELECT") || t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("ORDER") ||
                     t.IsWord("HAVING") || t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT"))
                inFrom = false;
            if (t.kind != TokenKind::Word || !IsSqliteKeyword(t.text)) continue;
            const Token* prev = sigAt(p - 1);
            const Token* next = sigAt(p + 1);
            const Token* afterNext = sigAt(p + 2);
            const bool qualified = prev && prev->IsSymbol(".");
            const bool aliased = prev && prev->IsWord("AS");
            const bool qualifier = next && next->IsSymbol(".") && afterNext &&
                                   (afterNext->kind == TokenKind::Word || afterNext->IsQuotedName() ||
                                    afterNext->IsSymbol("*"));
            const bool tableAlias = inFrom && prev && prev->kind == TokenKind::DoubleQuoted && FollowsAlias(next) &&
                                    !FollowsAlias(&t) && !t.IsWord("AS");
            if (!qualified && !aliased && !qualifier && !tableAlias) continue;
            m_out[size_t(m_sig[size_t(p)])] = u'"' + QString(t.text).replace(u'"', QStringLiteral("\"\"")) + u'"';
        }
    }

    /// A date literal becomes the stored date form, a time of day its fraction of a day (as a
    /// time field holds it); an impossible date or time is an error.
    std::optional<base::Error> onString(int p, const Token& t) {
        bool hasTime = false;
        bool shaped = false;
        bool timeShaped = false;
        if (const auto time = ParseTimeLiteral(t.Unquoted(), &timeShaped)) {
            const int at = m_sig[size_t(p)];
            const QDateTime value(QDate(1899, 12, 30), *time, Qt::UTC);
            m_out[size_t(at)] = m_options.writeDate ? m_options.writeDate(value, true)
                                                    : QString::number(base::TimeToDays(*time), 'g', 17);
            m_outKind[size_t(at)] = TokenKind::Number;
            return std::nullopt;
        }
        if (timeShaped)
            return base::MakeError(kInvalidDate, QStringLiteral("%1 is not a valid time.").arg(t.text), t.line, t.column);
        const auto value = ParseDateLiteral(t.Unquoted(), &hasTime, &shaped);
        if (shaped && !value) {
            return base::MakeError(kInvalidDate, QStringLiteral("%1 is not a valid date.").arg(t.text), t.line, t.column);
        }
        if (value) {
            const int at = m_sig[size_t(p)];
            m_out[size_t(at)] = m_options.writeDate ? m_options.writeDate(*value, hasTime) : DayNumberLiteral(*value, hasTime);
            m_outKind[size_t(at)] = TokenKind::Number;
        }
        return std::nullopt;
    }

    bool isTableRef(const Token& t) const {
        const Level& l = m_stack.back();
        return l.clause == Clause::From && l.from == FromState::TableRef && (t.kind == TokenKind::Word || t.IsQuotedName());
    }

    /// A table of the FROM list becomes its row table in its attached schema; answers the
    /// last significant position the name took.
    int onTableRef(int p, const Token& t) {
        // The name as written: quoted, word, or word.word (a bare file name with extension).
        QString written = t.IsQuotedName() ? t.Unquoted() : t.text;
        int last = p;
        const Token* next = sigAt(p + 1);
        if (t.kind == TokenKind::Word && next && next->IsSymbol(".") && sigAt(p + 2) &&
            (sigAt(p + 2)->kind == TokenKind::Word || sigAt(p + 2)->kind == TokenKind::Number)) {
            written += u'.' + sigAt(p + 2)->text;
            last = p + 2;
        }
        const QString file = m_options.resolveTable ? m_options.resolveTable(written) : written;
        int index = -1;
        for (int k = 0; k < m_result.tables.size(); ++k) {
            if (m_result.tables[k].compare(file, Qt::CaseInsensitive) == 0) index = k;
        }
        if (index < 0) {
            index = int(m_result.tables.size());
            m_result.tables.push_back(file);
        }
        const QString inner = m_options.rowTableOf ? m_options.rowTableOf(file) : file.mid(file.lastIndexOf(u'/') + 1);
        QString replacement = DoubleQuote(SchemaName(index)) + u'.' + DoubleQuote(inner);
        const Token* after = sigAt(last + 1);
        const bool hasAlias = after && ((after->kind == TokenKind::Word && !EndsTableEntry(*after)) || after->IsQuotedName());
        if (!hasAlias && written.compare(inner, Qt::CaseInsensitive) != 0) {
            replacement += QStringLiteral(" AS ") + DoubleQuote(written);
        }
        const int at = m_sig[size_t(p)];
        m_out[size_t(at)] = replacement;
        m_outKind[size_t(at)] = TokenKind::Word;
        for (int k = at + 1; k <= m_sig[size_t(last)]; ++k) m_out[size_t(k)].clear();
        level().from = FromState::AfterTable;
        return last;
    }

    /// A double-quoted text is a string value unless the grammar wants a name there; names
    /// in brackets or back-quotes stay names.
    void onQuotedName(int p, const Token& t) {
        Level& l = level();
        if (l.clause == Clause::From && (l.from == FromState::AfterTable || l.from == FromState::AfterAs)) {
            l.from = FromState::None;  // a quoted alias
            return;
        }
        if (t.kind != TokenKind::DoubleQuoted) return;
        const Token* prev = sigAt(p - 1);
        const Token* next = sigAt(p + 1);
        const bool name = (prev && (prev->IsSymbol(".") || prev->IsWord("AS"))) || (next && next->IsSymbol("."));
        if (!name) {
            const int at = m_sig[size_t(p)];
            m_out[size_t(at)] = SingleQuote(t.Unquoted());
            m_outKind[size_t(at)] = TokenKind::SingleQuoted;
        }
    }

    void finish() {
        const KeywordFunctionRewriter rewriter(m_tokens, m_out);
        if (!m_tokens.empty()) m_result.text = rewriter.Text(0, int(m_tokens.size()) - 1);
        for (const auto& [first, lastIn] : m_itemRanges) {
            SelectItem item;
            int last = lastIn;
            if (last - 1 >= first && tok(last - 1).IsWord("AS")) {
                item.alias = tok(last).IsQuotedName() ? tok(last).Unquoted() : tok(last).text;
                last -= 2;
            }
            if (last >= first) item.text = rewriter.Text(m_sig[size_t(first)], m_sig[size_t(last)]);
            for (int q = first; q <= last; ++q) {
                Token tr = tok(q);
                tr.text = m_out[size_t(m_sig[size_t(q)])];
                tr.kind = m_outKind[size_t(m_sig[size_t(q)])];
                item.tokens.push_back(std::move(tr));
            }
            item.star = !item.tokens.empty() && item.tokens.back().IsSymbol("*") &&
                        (item.tokens.size() == 1 || item.tokens[item.tokens.size() - 2].IsSymbol("."));
            m_result.columns.push_back(std::move(item));
        }
    }

    const std::vector<Token>& m_tokens;
    const TranslateOptions& m_options;
    std::vector<QString> m_out;         ///< per token: its text in the translation
    std::vector<TokenKind> m_outKind;   ///< per token: its kind after translation
    std::vector<int> m_sig;             ///< indexes of the significant tokens
    std::vector<Level> m_stack{Level{}};
    bool m_collecting = false;
    bool m_collected = false;
    int m_itemStart = -1;
    std::vector<std::pair<int, int>> m_itemRanges;
    Translation m_result;
};

}  // namespace

QString SchemaName(int tableIndex) { return QStringLiteral("t%1").arg(tableIndex + 1); }

base::Result<Translation> TranslateLocalSql(const QString& localSql, const TranslateOptions& options) {
    auto lexed = Tokenize(localSql);
    if (!lexed) return lexed.error();
    return Translator(lexed.value(), options).Run();
}

}  // namespace db::sql
