#include "report/model/auto_search_field.h"

#include <QHash>
#include <QRegularExpression>

#include "report/model/text_layout.h"

#include "report/page/resource_manager.h"

#include "platform/base/day_time.h"
#include "platform/format/number_parse.h"
#include "platform/stream/property_table.h"

namespace report {

void DeclarePipelineTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {54, "Show all data where the"},
            {55, "and the"},
            {92, "is"},
            {93, "is equal to"},
            {94, "is not"},
            {95, "is not equal to"},
            {96, "is before"},
            {97, "is less than"},
            {98, "is on or before"},
            {99, "is less than or equal to"},
            {100, "is after"},
            {1000, "is greater than"},
            {1001, "is on or after"},
            {1002, "is greater than or equal to"},
            {1003, "begins with"},
            {1004, "does not begin with"},
            {1005, "is between"},
            {1006, "is not between"},
            {1007, "matches one of the values in this list"},
            {1008, "is blank"},
            {1009, "is not blank"},
            {1027, "does not match any of the values in this list"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

}  // namespace report

namespace {

bool isDateType(TppDataType t) {
    return t == TppDataType::dtDate || t == TppDataType::dtTime || t == TppDataType::dtDateTime;
}

}  // namespace

TppAutoSearchField::TppAutoSearchField(TComponent* AOwner) : TppField(AOwner) { report::DeclarePipelineTexts(); }

void TppAutoSearchField::changed() {
    if (OnChange && !HasState(csReading | csLoading)) OnChange(this);
}

void TppAutoSearchField::SetFieldName(const QString& aValue) {
    TppField::SetFieldName(aValue);
    changed();
}

void TppAutoSearchField::SetSearchExpression(const QString& v) {
    TppField::SetSearchExpression(v);
    changed();
}

void TppAutoSearchField::SetDataPipelineName(const QString& v) {
    m_dataPipelineName = v;
    changed();
}

void TppAutoSearchField::SetSearchOperator(TppSearchOperatorType v) {
    m_searchOperator = v;
    changed();
}

void TppAutoSearchField::SetShowAllValues(bool v) {
    m_showAllValues = v;
    changed();
}

void TppAutoSearchField::GetOperatorText(QString& aText) const {
    const bool date = isDateType(DataType());
    using O = TppSearchOperatorType;
    int n = 93;
    switch (m_searchOperator) {
    case O::soEqual: n = date ? 92 : 93; break;
    case O::soNotEqual: n = date ? 94 : 95; break;
    case O::soLessThan: n = date ? 96 : 97; break;
    case O::soLessThanOrEqualTo: n = date ? 98 : 99; break;
    case O::soGreaterThan: n = date ? 100 : 1000; break;
    case O::soGreaterThanOrEqualTo: n = date ? 1001 : 1002; break;
    case O::soLike: n = 1003; break;
    case O::soNotLike: n = 1004; break;
    case O::soBetween: n = 1005; break;
    case O::soNotBetween: n = 1006; break;
    case O::soInList: n = 1007; break;
    case O::soNotInList: n = 1027; break;
    case O::soBlank: n = 1008; break;
    case O::soNotBlank: n = 1009; break;
    }
    aText = ppGetMessageText(n);
}

void TppAutoSearchField::GetDescription(QString& aText) const {
    aText = ppGetMessageText(FirstField() ? 54 : 55) + u' ' + FieldAlias();
    if (m_showAllValues) {
        aText += QStringLiteral(" has any value");
        return;
    }
    QString op;
    GetOperatorText(op);
    aText += u' ' + op + u' ' + SearchExpression();
}

int TppAutoSearchField::ValueCount() const {
    QStringList items;
    ppCommaTextToList(SearchExpression(), items);
    return int(items.size());
}

QVariant TppAutoSearchField::Values(int aIndex) const {
    QStringList items;
    ppCommaTextToList(SearchExpression(), items);
    if (aIndex < 0 || aIndex >= items.size()) return QString();
    const QString item = items.at(aIndex);
    switch (DataType()) {
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
        return ppStrToDateTime(item);
    case TppDataType::dtInteger:
    case TppDataType::dtLongint:
        return format::StrToInt(item);
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
        return format::StrToFloat(item);
    case TppDataType::dtChar:
    case TppDataType::dtString:
    case TppDataType::dtMemo:
        return !m_wildCard.isEmpty() && !item.contains(m_wildCard) ? item + m_wildCard : item;
    default:
        return QString();
    }
}

namespace {

enum class Kind { Text, Number, Date };

Kind kindOf(TppDataType aType) {
    switch (aType) {
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
        return Kind::Date;
    case TppDataType::dtInteger:
    case TppDataType::dtLongint:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
        return Kind::Number;
    default:
        return Kind::Text;
    }
}

/// A record's value as a day number (dates) or a number.
double numberOf(const QVariant& aValue, Kind aKind) {
    if (aKind == Kind::Date) {
        if (aValue.typeId() == QMetaType::QDate) return base::DateToDays(aValue.toDate());
        if (aValue.typeId() == QMetaType::QDateTime) return base::DateTimeToDays(aValue.toDateTime());
        if (aValue.typeId() == QMetaType::QTime) return base::TimeToDays(aValue.toTime());
    }
    return aValue.toDouble();
}

/// A search item as a number of the field's kind.
double itemNumber(const QString& aItem, Kind aKind) {
    return aKind == Kind::Date ? ppStrToDateTime(aItem) : format::StrToFloat(aItem);
}

/// Like as the database reads it: % any run, _ one character, ASCII letters in either case.
bool likeMatches(const QString& aText, const QString& aPattern) {
    QString rx;
    for (const QChar c : aPattern) {
        if (c == u'%') rx += QStringLiteral(".*");
        else if (c == u'_') rx += u'.';
        else rx += QRegularExpression::escape(QString(c));
    }
    static thread_local QHash<QString, QRegularExpression> cache;
    auto it = cache.find(rx);
    if (it == cache.end()) {
        it = cache.insert(rx, QRegularExpression(QRegularExpression::anchoredPattern(rx),
                                                 QRegularExpression::CaseInsensitiveOption |
                                                     QRegularExpression::DotMatchesEverythingOption));
    }
    return it->match(aText).hasMatch();
}

}  // namespace

bool TppAutoSearchField::Accepts(const QVariant& aValue) const {
    if (m_showAllValues) return true;
    const Kind kind = kindOf(DataType());
    const bool blank = aValue.isNull() || (kind == Kind::Text && aValue.toString().isEmpty());
    using S = TppSearchOperatorType;
    if (m_searchOperator == S::soBlank) return blank;
    if (m_searchOperator == S::soNotBlank) return !blank;
    if (aValue.isNull()) return false;

    QStringList items;
    ppCommaTextToList(SearchExpression(), items);
    // -1, 0, 1 as the record's value sorts before, with or after a search item.
    auto compare = [&](const QString& aItem) {
        if (kind == Kind::Text) {
            const int c = aValue.toString().compare(aItem, Qt::CaseSensitive);
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        const double v = numberOf(aValue, kind);
        const double w = itemNumber(aItem, kind);
        return v < w ? -1 : v > w ? 1 : 0;
    };
    auto like = [&](const QString& aItem) {
        const QString pattern = !m_wildCard.isEmpty() && !aItem.contains(m_wildCard) ? aItem + m_wildCard : aItem;
        return kind == Kind::Text ? likeMatches(aValue.toString(), pattern) : compare(aItem) == 0;
    };
    auto inList = [&] {
        for (const QString& item : items)
            if (compare(item) == 0) return true;
        return false;
    };
    auto between = [&] { return items.size() >= 2 && compare(items.at(0)) >= 0 && compare(items.at(1)) <= 0; };
    const QString first = items.value(0);
    switch (m_searchOperator) {
    case S::soEqual: return compare(first) == 0;
    case S::soNotEqual: return compare(first) != 0;
    case S::soLessThan: return compare(first) < 0;
    case S::soLessThanOrEqualTo: return compare(first) <= 0;
    case S::soGreaterThan: return compare(first) > 0;
    case S::soGreaterThanOrEqualTo: return compare(first) >= 0;
    case S::soLike: return like(first);
    case S::soNotLike: return !like(first);
    case S::soBetween: return between();
    case S::soNotBetween: return items.size() >= 2 && !between();
    case S::soInList: return inList();
    case S::soNotInList: return !inList();
    default: return true;
    }
}

const stream::PropertyList& TppAutoSearchField::StreamProperties() const {
    using T = TppAutoSearchField;
    static const auto table = stream::PropertyTable<T>(TppField::StreamProperties())
        .String("DataPipelineName", &T::DataPipelineName, &T::SetDataPipelineName)
        .String("Delimiter", &T::Delimiter, &T::SetDelimiter)
        .Enum("SearchOperator", &T::SearchOperator, &T::SetSearchOperator, EnumTypeOf(TppSearchOperatorType{}).values,
              TppSearchOperatorType::soEqual)
        .Boolean("ShowAllValues", &T::ShowAllValues, &T::SetShowAllValues, false)
        .String("WildCard", &T::WildCard, &T::SetWildCard);
    return table;
}
