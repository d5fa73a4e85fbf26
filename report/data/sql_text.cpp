// The SQL text of a query, written for its database type and SQL type.

#include "report/data/sql.h"

#include "report/data/session.h"
#include "report/model/text_layout.h"

#include "platform/format/date_time_parse.h"

#include <QDateTime>

#include <array>
#include <optional>

namespace {

using D = TppDatabaseType;

bool isDateType(TppDataType t) { return t == TppDataType::dtDate || t == TppDataType::dtDateTime; }

bool isNumericType(TppDataType t) {
    switch (t) {
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint:
        return true;
    default:
        return false;
    }
}

/// A join type that names no join is an inner join.
TdaJoinType effectiveJoinType(const TdaTable* aTable) {
    return aTable->JoinType() == TdaJoinType::dajtNone ? TdaJoinType::dajtInner : aTable->JoinType();
}

bool isOuter(TdaJoinType t) {
    return t == TdaJoinType::dajtOuter || t == TdaJoinType::dajtLeftOuter || t == TdaJoinType::dajtRightOuter;
}

/// The dialects that mark outer joins in WHERE (or, for Advantage, in FROM with SQL1).
bool hasOuterJoinMarkers(D aType) { return aType == D::dtAdvantage || aType == D::dtSybaseASE || aType == D::dtOracle; }

const std::array<const char*, 14> kCriteriaOperatorWords = {
    "=", "<>", "<", "<=", ">", ">=", "LIKE", "NOT LIKE", "BETWEEN", "NOT BETWEEN", "IN", "NOT IN", "IS NULL",
    "IS NOT NULL"};

const std::array<const char*, 6> kJoinOperatorWords = {"=", "<>", ">", ">=", "<", "<="};

/// English month abbreviations: SQL date literals do not follow the user's locale.
const std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

/// Appends pieces to the lines of a clause, starting a new indented line when a piece would
/// pass the line width.
class ClauseWriter {
public:
    ClauseWriter(QStringList& aLines, int aLineWidth) : m_lines(aLines), m_lineWidth(aLineWidth) {}
    void Start(const QString& aKeyword) {
        m_lines.append(aKeyword);
        m_indent = int(aKeyword.size());
    }
    void Append(const QString& aPiece) {
        QString& last = m_lines.last();
        if (last.size() + aPiece.size() > m_lineWidth)
            m_lines.append(QString(m_indent, QLatin1Char(' ')) + aPiece);
        else
            last += aPiece;
    }

private:
    QStringList& m_lines;
    int m_lineWidth;
    int m_indent = 0;
};

}  // namespace

// Names ------------------------------------------------------------------------------------------

QString TdaSQL::QuoteIdentifier(const QString& aName) const {
    const QString trimmed = aName.trimmed();
    if (trimmed.isEmpty()) return aName;
    bool needsQuotes = trimmed.at(0).isDigit() || trimmed.at(0) == u'_';
    for (QChar c : aName)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_'))
            needsQuotes = true;
    if (!needsQuotes && m_session) needsQuotes = m_session->IsReservedWord(aName, m_databaseType);
    if (!needsQuotes) return aName;
    if (IsMSAccess()) {
        QString inner = aName;
        return QLatin1Char('[') + inner.replace(QLatin1String("]"), QLatin1String("]]")) + QLatin1Char(']');
    }
    QString inner = aName;
    return QLatin1Char('"') + inner.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString TdaTable::GetSQLName() const {
    const TdaSQL* sql = SQL();
    auto quote = [sql](const QString& name) { return sql ? sql->QuoteIdentifier(name) : name; };
    if (m_ownerName.isEmpty()) return quote(FullName());
    return quote(m_ownerName) + QLatin1Char('.') + quote(m_tableName);
}

QString TdaTable::GetFromText() const {
    const TdaSQL* sql = SQL();
    auto quote = [sql](const QString& name) { return sql ? sql->QuoteIdentifier(name) : name; };
    if (sql && sql->SQLType() == TppSQLType::sqBDELocal) {
        QString name = m_tableName;
        return QLatin1Char('"') + name.replace(QLatin1String("\""), QLatin1String("\"\"")) + QStringLiteral("\" ") +
               quote(m_sqlAlias);
    }
    if (!m_ownerName.isEmpty())
        return quote(m_ownerName) + QLatin1Char('.') + quote(m_tableName) + QLatin1Char(' ') + quote(m_sqlAlias);
    return quote(m_tableName) + QLatin1Char(' ') + quote(m_sqlAlias);
}

QString TdaTable::GetJoinKeyword() const {
    const TdaSQL* sql = SQL();
    const TdaJoinType type = effectiveJoinType(this);
    if (sql && sql->SQLType() == TppSQLType::sqSQL1 && sql->DatabaseType() == D::dtAdvantage) {
        switch (type) {
        case TdaJoinType::dajtOuter: return QStringLiteral("*=*");
        case TdaJoinType::dajtLeftOuter: return QStringLiteral("*=");
        case TdaJoinType::dajtRightOuter: return QStringLiteral("=*");
        default: return {};
        }
    }
    switch (type) {
    case TdaJoinType::dajtOuter: return QStringLiteral("FULL OUTER JOIN");
    case TdaJoinType::dajtLeftOuter: return QStringLiteral("LEFT OUTER JOIN");
    case TdaJoinType::dajtRightOuter: return QStringLiteral("RIGHT OUTER JOIN");
    default: return QStringLiteral("INNER JOIN");
    }
}

// Criteria ---------------------------------------------------------------------------------------

void TdaSQL::FormatCriteriaValue(const QString& aValue, const TdaCriteria* aCriteria, QString& aText) const {
    const TdaField* field = aCriteria->Field();
    const TppDataType type = field ? field->DataType() : TppDataType::dtString;
    QString text = ppTrimLeftText(aValue);
    if (!aCriteria->CaseSensitive()) text = text.toUpper();

    if (isDateType(type)) {
        const auto read = format::TryStrToDateTime(text);
        if (!read) {
            aText.clear();
            return;
        }
        const QDateTime value = *read;
        const QDate d = value.date();
        const QTime t = value.time();
        const bool generalWithTime =
            !IsOracle() && !IsSybaseASA() && !IsSybaseASE() && !IsMSSQLServer();
        // A time of day is written when the value has one (a blank in the text would also
        // come from a locale's date format, "31 Dec 2024").
        const bool withTime = t != QTime(0, 0) || (generalWithTime && type == TppDataType::dtDateTime);
        const QString year = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
        QString date;
        switch (m_databaseType) {
        case D::dtOracle:
            date = twoDigits(d.day()) + u'-' + QLatin1String(kMonths[size_t(d.month() - 1)]) + u'-' + year;
            break;
        case D::dtSybaseASA:
        case D::dtSybaseASE:
        case D::dtMSSQLServer:
            date = year + u'/' + twoDigits(d.month()) + u'/' + twoDigits(d.day());
            break;
        case D::dtAdvantage:
        case D::dtMSAccess:
            date = year + u'-' + twoDigits(d.month()) + u'-' + twoDigits(d.day());
            break;
        default:
            date = twoDigits(d.month()) + u'/' + twoDigits(d.day()) + u'/' + year;
            break;
        }
        if (withTime) date += u' ' + twoDigits(t.hour()) + u':' + twoDigits(t.minute()) + u':' + twoDigits(t.second());
        aText = IsMSAccess() ? u'#' + date + u'#' : u'\'' + date + u'\'';
        return;
    }
    if (type == TppDataType::dtBoolean) {
        const QChar first = text.isEmpty() ? QChar() : text.at(0).toUpper();
        const bool isTrue = first == u'1' || first == u'T' || first == u'Y';
        switch (m_databaseType) {
        case D::dtAdvantage:
        case D::dtMSSQLServer:
        case D::dtOracle:
        case D::dtSybaseASE:
        case D::dtSybaseASA:
            aText = isTrue ? QStringLiteral("1") : QStringLiteral("0");
            break;
        default:
            aText = isTrue ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            break;
        }
        return;
    }
    if (isNumericType(type)) {
        aText = ppFormatNumericText(aValue, QString());
        return;
    }
    const TdaCriteriaOperatorType op = aCriteria->Operator();
    if (op == TdaCriteriaOperatorType::dacoBlank || op == TdaCriteriaOperatorType::dacoNotBlank) {
        aText = text;
        return;
    }
    if (op == TdaCriteriaOperatorType::dacoLike || op == TdaCriteriaOperatorType::dacoNotLike) {
        const bool engineAccess = IsMSAccess() && m_session &&
                                  QLatin1String(m_session->metaObject()->className()) == QLatin1String("TdaBDESession");
        const QString wildcard = engineAccess ? QStringLiteral("*") : QStringLiteral("%");
        if (!text.contains(u'_') && !text.contains(wildcard)) text += wildcard;
    }
    const QChar quote = m_sqlType == TppSQLType::sqBDELocal ? u'"' : u'\'';
    text.replace(quote, QString(2, quote));
    aText = quote + text + quote;
}

bool TdaSQL::BuildCriteriaSQL(const TdaCriteria* aCriteria, TdaCriteriaType aPreviousType, QString& aText) const {
    const TdaField* field = aCriteria->Field();
    const TdaCriteriaOperatorType op = aCriteria->Operator();
    const bool valueless = op == TdaCriteriaOperatorType::dacoBlank || op == TdaCriteriaOperatorType::dacoNotBlank;
    if (field && field->AutoSearch() && aCriteria->Value().isEmpty() && !valueless) return false;
    const bool afterCondition =
        aPreviousType == TdaCriteriaType::dacrField || aPreviousType == TdaCriteriaType::dacrEnd;
    switch (aCriteria->CriteriaType()) {
    case TdaCriteriaType::dacrOR:
        aText = QStringLiteral(" OR ");
        return true;
    case TdaCriteriaType::dacrNOT:
        aText = afterCondition ? QStringLiteral(" AND NOT ") : QStringLiteral(" NOT ");
        return true;
    case TdaCriteriaType::dacrBegin:
        aText = afterCondition ? QStringLiteral(" AND (") : QStringLiteral("(");
        return true;
    case TdaCriteriaType::dacrEnd:
        aText = QStringLiteral(")");
        return true;
    case TdaCriteriaType::dacrField:
        break;
    }
    QString name = field ? field->GetSQLName() : QString();
    if (!aCriteria->CaseSensitive()) {
        const bool ucase = IsAdvantage() || IsMSAccess();
        name = (ucase ? QStringLiteral("UCASE(") : QStringLiteral("UPPER(")) + name + QLatin1Char(')');
    }
    QString values;
    switch (op) {
    case TdaCriteriaOperatorType::dacoBetween:
    case TdaCriteriaOperatorType::dacoNotBetween: {
        QStringList items;
        ppCommaTextToList(aCriteria->Value(), items);
        if (items.size() == 2) {
            QString first, second;
            FormatCriteriaValue(items.at(0), aCriteria, first);
            FormatCriteriaValue(items.at(1), aCriteria, second);
            values = first + QStringLiteral(" AND ") + second;
        }
        break;
    }
    case TdaCriteriaOperatorType::dacoInList:
    case TdaCriteriaOperatorType::dacoNotInList: {
        QStringList items;
        ppCommaTextToList(aCriteria->Value(), items);
        QStringList formatted;
        for (const QString& item : items) {
            QString one;
            FormatCriteriaValue(item, aCriteria, one);
            formatted << one;
        }
        values = QLatin1Char('(') + formatted.join(QLatin1Char(',')) + QLatin1Char(')');
        break;
    }
    case TdaCriteriaOperatorType::dacoBlank:
    case TdaCriteriaOperatorType::dacoNotBlank:
        break;
    default:
        FormatCriteriaValue(aCriteria->Value(), aCriteria, values);
        break;
    }
    aText = QStringLiteral("( ") + name + QLatin1Char(' ') + QLatin1String(kCriteriaOperatorWords[size_t(op)]) +
            QLatin1Char(' ') + values + QStringLiteral(" )");
    if (afterCondition) aText.prepend(QStringLiteral(" AND "));
    return true;
}

bool TdaSQL::FindInvalidCriteriaValue(QString& aField, QString& aValue) const {
    for (TppRelative* child : m_criteria) {
        auto* c = qobject_cast<TdaCriteria*>(child);
        if (!c || c->CriteriaType() != TdaCriteriaType::dacrField || c->ShowAllValues()) continue;
        const QString invalid = c->InvalidValue();
        if (invalid.isEmpty()) continue;
        aField = c->Field() ? c->Field()->GetDescription() : QString();
        aValue = invalid;
        return true;
    }
    return false;
}

// The text ---------------------------------------------------------------------------------------

void TdaSQL::GenerateSQLText() {
    m_sqlText.clear();
    ppSendEventNotify(this, this, report::ciSQLBeforeBuild, nullptr);
    writeSQLText();
    m_sqlTextCurrent = true;
    ppSendEventNotify(this, this, report::ciSQLAfterBuild, nullptr);
}

void TdaSQL::writeSQLText() {
    ClauseWriter out(m_sqlText, m_lineWidth);
    const bool advantage = IsAdvantage();
    const bool msAccess = IsMSAccess();

    // Select list.
    const int selects = SelectFieldCount();
    const int calcs = CalcFieldCount();
    if (selects + calcs > 0) {
        out.Start(m_distinct ? QStringLiteral("SELECT DISTINCT ") : QStringLiteral("SELECT "));
        for (int i = 0; i < selects; ++i)
            out.Append(SelectFields(i)->GetSQLName() + (i == selects - 1 && calcs == 0 ? QString() : QStringLiteral(", ")));
        for (int i = 0; i < calcs; ++i)
            out.Append(CalcFields(i)->GetSQLName() + (i == calcs - 1 ? QString() : QStringLiteral(", ")));
    }

    // Which joins go into FROM and which into WHERE. With SQL1 an outer join that the dialect
    // cannot mark in WHERE is written in FROM, and the query's other joins with it.
    std::vector<TdaTable*> tables;
    for (int i = 0; i < SelectedTableCount(); ++i) tables.push_back(SelectedTables(i));
    bool outerInFrom = false;
    if (m_sqlType == TppSQLType::sqSQL1 && !hasOuterJoinMarkers(m_databaseType))
        for (size_t i = 1; i < tables.size(); ++i)
            if (isOuter(effectiveJoinType(tables[i]))) outerInFrom = true;
    std::vector<TdaTable*> fromJoins, whereJoins;
    for (size_t i = 1; i < tables.size(); ++i) {
        const bool inner = effectiveJoinType(tables[i]) == TdaJoinType::dajtInner;
        if (advantage) {
            (inner ? whereJoins : fromJoins).push_back(tables[i]);
        } else if (m_sqlType == TppSQLType::sqSQL1 && !outerInFrom) {
            whereJoins.push_back(tables[i]);
        } else {
            fromJoins.push_back(tables[i]);
        }
    }
    auto condition = [this](const TdaTable* table, const TdaTableJoin* join, bool markers) {
        QString left = join->LocalField() ? join->LocalField()->GetSQLName() : QString();
        QString right = join->ForeignField() ? join->ForeignField()->GetSQLName() : QString();
        QString op = QLatin1String(kJoinOperatorWords[size_t(join->Operator())]);
        if (markers) {
            const TdaJoinType type = effectiveJoinType(table);
            if (IsOracle()) {
                if (type == TdaJoinType::dajtLeftOuter) left += QStringLiteral(" (+)");
                if (type == TdaJoinType::dajtRightOuter) right += QStringLiteral(" (+)");
            } else if (IsSybaseASE()) {
                if (type == TdaJoinType::dajtOuter) op = u'*' + op + u'*';
                if (type == TdaJoinType::dajtLeftOuter) op = u'*' + op;
                if (type == TdaJoinType::dajtRightOuter) op = op + u'*';
            }
        }
        return QLatin1Char('(') + left + QLatin1Char(' ') + op + QLatin1Char(' ') + right + QLatin1Char(')');
    };

    // FROM.
    if (!tables.empty()) {
        out.Start(QStringLiteral("FROM "));
        if (fromJoins.empty()) {
            for (size_t i = 0; i < tables.size(); ++i)
                out.Append((i == 0 ? QString() : QStringLiteral(", ")) + tables[i]->GetFromText());
        } else {
            if (msAccess) out.Append(QString(int(fromJoins.size()), QLatin1Char('(')));
            out.Append(tables[0]->GetFromText());
            for (TdaTable* table : fromJoins) {
                out.Append(QLatin1Char(' ') + table->GetJoinKeyword() + QLatin1Char(' ') + table->GetFromText() +
                           QStringLiteral(" ON "));
                for (int j = 0; j < table->JoinCount(); ++j) {
                    QString piece = (j == 0 ? QString() : QStringLiteral(" AND ")) +
                                    condition(table, table->Joins(j), false);
                    if (msAccess && j == table->JoinCount() - 1) piece += QStringLiteral(" )");
                    out.Append(piece);
                }
            }
            // Advantage writes its inner joins in WHERE; their tables follow in the list.
            for (TdaTable* table : whereJoins) out.Append(QStringLiteral(", ") + table->GetFromText());
        }
    }

    // WHERE: join conditions, then the criteria.
    bool whereStarted = false;
    bool joinsWritten = false;
    if (tables.size() >= 2 && (m_sqlType == TppSQLType::sqSQL1 || advantage)) {
        for (size_t t = 0; t < whereJoins.size(); ++t) {
            TdaTable* table = whereJoins[t];
            if (!whereStarted) {
                out.Start(QStringLiteral("WHERE "));
                whereStarted = true;
            }
            for (int j = 0; j < table->JoinCount(); ++j)
                out.Append((j == 0 ? QString() : QStringLiteral(" AND ")) + condition(table, table->Joins(j), true));
            joinsWritten = true;
            if (t + 1 < whereJoins.size()) out.Append(QStringLiteral(" AND "));
        }
    }
    // The criteria to write. A skipped condition leaves with what it would leave dangling:
    // the OR beside it, the NOT before it, parentheses that hold nothing else; and an OR or
    // NOT of the model with nothing to act on goes too.
    struct Item {
        const TdaCriteria* criteria;  ///< null for a skipped condition
        std::optional<TdaCriteriaType> type() const {
            return criteria ? std::optional(criteria->CriteriaType()) : std::nullopt;
        }
    };
    std::vector<Item> items;
    for (int i = 0; i < CriteriaCount(); ++i) {
        const TdaCriteria* c = Criteria(i);
        QString probe;
        const bool skipped = c->ShowAllValues() || (c->CriteriaType() == TdaCriteriaType::dacrField &&
                                                    !BuildCriteriaSQL(c, TdaCriteriaType::dacrBegin, probe));
        items.push_back({skipped ? nullptr : c});
    }
    using CT = TdaCriteriaType;
    auto is = [&items](long i, CT type) {
        return i >= 0 && i < long(items.size()) && items[size_t(i)].criteria && *items[size_t(i)].type() == type;
    };
    auto isSkip = [&items](long i) { return i >= 0 && i < long(items.size()) && !items[size_t(i)].criteria; };
    for (bool changed = true; changed;) {
        changed = false;
        for (long i = 0; i < long(items.size()) && !changed; ++i) {
            auto erase = [&](long from, long count) {
                items.erase(items.begin() + from, items.begin() + from + count);
                changed = true;
            };
            if (isSkip(i)) {
                if (is(i - 1, CT::dacrNOT)) erase(i - 1, 1);
                else if (is(i - 1, CT::dacrOR)) erase(i - 1, 1);
                else if (is(i + 1, CT::dacrOR)) erase(i + 1, 1);
                else erase(i, 1);
            } else if (is(i, CT::dacrBegin) && is(i + 1, CT::dacrEnd)) {
                items[size_t(i)].criteria = nullptr;
                erase(i + 1, 1);
            } else if (is(i, CT::dacrOR) && (i == 0 || is(i - 1, CT::dacrBegin) || is(i - 1, CT::dacrOR) ||
                                             is(i - 1, CT::dacrNOT) || i + 1 == long(items.size()) ||
                                             is(i + 1, CT::dacrEnd))) {
                erase(i, 1);
            } else if (is(i, CT::dacrNOT) &&
                       (i + 1 == long(items.size()) || is(i + 1, CT::dacrEnd) || is(i + 1, CT::dacrOR))) {
                erase(i, 1);
            }
        }
    }
    std::vector<const TdaCriteria*> criteria;
    for (const Item& item : items) criteria.push_back(item.criteria);
    // Join conditions in WHERE bind every row: criteria holding an OR go in parentheses, or
    // the OR's other side would pair rows of unrelated records.
    bool hasOr = false;
    for (const TdaCriteria* c : criteria) hasOr = hasOr || c->CriteriaType() == TdaCriteriaType::dacrOR;
    const bool enclose = joinsWritten && hasOr;
    TdaCriteriaType previous = TdaCriteriaType::dacrBegin;
    bool firstCriterion = true;
    for (const TdaCriteria* c : criteria) {
        QString piece;
        if (!BuildCriteriaSQL(c, previous, piece)) continue;
        if (firstCriterion && joinsWritten) out.Append(enclose ? QStringLiteral(" AND (") : QStringLiteral(" AND "));
        if (!whereStarted) {
            out.Start(QStringLiteral("WHERE "));
            whereStarted = true;
        }
        out.Append(piece);
        previous = c->CriteriaType();
        firstCriterion = false;
    }
    if (enclose && !firstCriterion) out.Append(QStringLiteral(")"));

    // GROUP BY.
    const int groups = GroupByFieldCount();
    if (groups > 0) {
        out.Start(QStringLiteral("GROUP BY "));
        for (int i = 0; i < groups; ++i)
            out.Append(GroupByFields(i)->GetSQLName() + (i == groups - 1 ? QString() : QStringLiteral(", ")));
    }

    // ORDER BY: a calculated entry by its column number (Advantage stops before the first).
    QStringList orderBy;
    for (int i = 0; i < OrderByFieldCount(); ++i) {
        const TdaField* entry = OrderByFields(i);
        QString text;
        if (auto* calc = qobject_cast<const TdaCalculation*>(entry)) {
            if (advantage) break;
            int column = -1;
            for (int k = 0; k < calcs && column < 0; ++k) {
                const TdaCalculation* c = CalcFields(k);
                if (c->CalcType() == calc->CalcType() && c->Expression() == calc->Expression() &&
                    c->TableSQLAlias().compare(calc->TableSQLAlias(), Qt::CaseInsensitive) == 0 &&
                    c->FieldName().compare(calc->FieldName(), Qt::CaseInsensitive) == 0)
                    column = selects + k + 1;
            }
            text = column > 0 ? QString::number(column) : calc->GetSQLName();
        } else {
            text = entry->GetSQLName();
        }
        if (!entry->Ascending()) text += QStringLiteral(" DESC");
        orderBy << text;
    }
    if (!orderBy.isEmpty()) {
        out.Start(QStringLiteral("ORDER BY "));
        for (int i = 0; i < orderBy.size(); ++i)
            out.Append(orderBy.at(i) + (i == orderBy.size() - 1 ? QString() : QStringLiteral(", ")));
    }
}
