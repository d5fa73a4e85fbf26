#include "report/script/lang_info.h"

#include "report/page/resource_manager.h"
#include "report/script/calls.h"
#include "report/script/enum_types.h"

namespace {

void declareLangTexts() {
    static const bool done = [] {
        report::DeclareTexts({
            {910, "addition"},
            {911, "Assignment"},
            {912, "Boolean"},
            {914, "Character"},
            {915, "Class"},
            {922, "concatenation"},
            {928, "DateTime"},
            {931, "division"},
            {932, "equal"},
            {936, "Reserved Word"},
            {941, "greater than or equal"},
            {942, "greater than"},
            {943, "integer division"},
            {945, "less than or equal"},
            {946, "less than"},
            {947, "logical and"},
            {948, "logical or"},
            {950, "Math"},
            {954, "negation"},
            {958, "not equal"},
            {959, "Numeric"},
            {961, "Other"},
            {966, "Relational"},
            {967, "remainder"},
            {973, "sign identity"},
            {974, "sign negation"},
            {975, "String"},
            {976, "subtraction"},
            {977, "type check: ObjectRef is ClassRef"},
            {979, "typecast: ObjectRef as ClassRef"},
            {980, "Unary"},
            {983, "variable | object.property := expression;"},
            {986, "Function"},
            {987, "Statement"},
            {988, "Data Type"},
            {989, "Operator"},
            {990, "Enumerated Type"},
        });
        return true;
    }();
    (void)done;
}

QString text(int aNumber) {
    declareLangTexts();
    return ppGetMessageText(aNumber);
}

const QString kCrLf = QStringLiteral("\r\n");

QString lines(std::initializer_list<const char*> aLines) {
    QStringList list;
    for (const char* l : aLines)
        list << QString::fromLatin1(l);
    return list.join(kCrLf);
}

/// The statements: name, definition, template and node class.
struct StatementItem {
    const char* name;
    const char* definition;
    QString (*templ)();
    const char* itemClass;
};

const StatementItem kStatements[] = {
    {"if..then", "if <expression> then <statement>;", [] { return lines({"if expression then", "  statement;"}); },
     "TraIfStatement"},
    {"if..then..else", "if <expression> then <statement> else <statement>;",
     [] { return lines({"if expression then", "  statement", "else", "  statement;"}); }, "TraIfStatement"},
    {"case..end", "case <expression> of <const>: <statement> end;",
     [] { return lines({"case expression of", "  const: statement ", "  const: statement ", "end;"}); },
     "TraCaseStatement"},
    {"for loop", "for <variable> := <value> to <value> do <statement> ;",
     [] {
         return lines({"for variable := minvalue to maxvalue do", "  begin", "    statement;", "    statement;",
                       "  end;"});
     },
     "TraForLoop"},
    {"while loop", "while <expression> do <statement> ;",
     [] { return lines({"while expression do", "  begin", "    statement;", "    statement;", "  end;"}); },
     "TraWhileLoop"},
    {"repeat loop", "repeat <statement> until <expression> ;",
     [] { return lines({"repeat", "  statement;", "  statement;", "until expression;"}); }, "TraRepeatLoop"},
    // The block is shown with the while statement's syntax: the toolbox shows it as text only.
    {"begin..end", "while <expression> do <statement> ;",
     [] { return lines({"begin", "  statement;", "  statement;", "end;"}); }, ""},
};

/// The reserved words and symbols of the lexer, as a language list (sorted by spelling).
class ReservedWordLangList : public TraLangInfoList {
public:
    ReservedWordLangList() : TraLangInfoList(TraLangCategory::lcReservedWord) {
        for (const auto& e : GetReservedWordList().Entries()) {
            addName(QString::fromLatin1(e.Spelling));
            m_kinds.push_back(e.Kind);
        }
    }
    TraLangInfoRec GetItem(int aIndex) const override {
        TraLangInfoRec rec;
        rec.Category = TraLangCategory::lcReservedWord;
        rec.Name = rec.Template = Names(aIndex);
        rec.TokenType = m_kinds.at(std::size_t(aIndex));
        return rec;
    }

private:
    std::vector<TraTokenType> m_kinds;
};

}  // namespace

// ---- The list ---------------------------------------------------------------------------

int TraLangInfoList::IndexOf(const QString& aName) const {
    for (std::size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(aName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void TraLangInfoList::AddItem(TraLangCategory aCategory, const QString& aGroup, const QString& aName,
                              const QString& aDefinition, const QString& aTemplate) {
    auto rec = std::make_unique<TraLangInfoRec>();
    rec->Category = aCategory;
    rec->Group = aGroup;
    rec->Name = aName;
    rec->Definition = aDefinition;
    rec->Template = aTemplate;
    m_names.push_back(aName);
    m_records.push_back(std::move(rec));
}

void TraLangInfoList::addName(const QString& aName) {
    m_names.push_back(aName);
    m_records.push_back(nullptr);
}

TraLangInfoRec TraLangInfoList::GetItem(int aIndex) const {
    const auto& rec = m_records.at(std::size_t(aIndex));
    if (rec)
        return *rec;
    TraLangInfoRec empty;
    empty.Category = m_category;
    empty.Name = Names(aIndex);
    return empty;
}

// ---- Built-in routines ------------------------------------------------------------------

TraFunctionInfoList::TraFunctionInfoList() : TraLangInfoList(TraLangCategory::lcFunction) {
    for (const script::Routine& r : raGetFunctionList())
        addName(QString::fromLatin1(r.name));
}

TraLangInfoRec TraFunctionInfoList::GetItem(int aIndex) const {
    TraLangInfoRec rec;
    rec.Category = TraLangCategory::lcFunction;
    const auto& routines = raGetFunctionList();
    if (aIndex < 0 || std::size_t(aIndex) >= routines.size())
        return rec;
    TraSystemFunction node(routines[std::size_t(aIndex)]);
    rec.Group = node.Category();
    rec.Name = Names(aIndex);
    rec.Definition = node.Declaration();
    rec.Template = raGetFunctionCallTemplate(rec.Name);
    rec.ItemClass = node.ClassName();
    return rec;
}

// ---- Statements ---------------------------------------------------------------------------

TraStatementInfoList::TraStatementInfoList() : TraLangInfoList(TraLangCategory::lcStatement) {
    for (const StatementItem& s : kStatements)
        addName(QString::fromLatin1(s.name));
}

TraLangInfoRec TraStatementInfoList::GetItem(int aIndex) const {
    TraLangInfoRec rec;
    rec.Category = TraLangCategory::lcStatement;
    for (const StatementItem& s : kStatements) {
        if (Names(aIndex) != QLatin1String(s.name))
            continue;
        rec.Name = QString::fromLatin1(s.name);
        rec.Definition = QString::fromLatin1(s.definition);
        rec.Template = s.templ();
        rec.ItemClass = QString::fromLatin1(s.itemClass);
        break;
    }
    return rec;
}

// ---- Data types ---------------------------------------------------------------------------

TraDataTypeInfoList::TraDataTypeInfoList() : TraLangInfoList(TraLangCategory::lcDataType) {
    const auto C = TraLangCategory::lcDataType;
    const QString boolean = text(912);
    AddItem(C, boolean, boolean, QStringLiteral("True, False"), QStringLiteral("Boolean"));
    const struct {
        int group;
        std::initializer_list<const char*> names;
    } groups[] = {
        {959, {"Integer", "Single", "Double", "Extended", "Currency"}},
        {914, {"String", "Char"}},
        {928, {"DateTime", "Date", "Time"}},
        {961, {"Variant", "Color"}},
    };
    for (const auto& g : groups)
        for (const char* n : g.names)
            AddItem(C, text(g.group), QString::fromLatin1(n), QString(), QString::fromLatin1(n));
}

// ---- Operators ----------------------------------------------------------------------------

TraOperatorInfoList::TraOperatorInfoList() : TraLangInfoList(TraLangCategory::lcOperator) {
    // Only what the expression compiler takes: there is no "xor". "as" stays, since casts
    // accept it.
    const struct {
        int group;
        const char* name;
        int definition;  ///< numbered text; 0: the fixed text below
        const char* fixed;
        const char* templ;
    } items[] = {
        {911, ":=", 983, "", ":="},
        {912, "not", 954, "", "not"},
        {912, "and", 947, "", "and"},
        {912, "or", 948, "", "or"},
        {915, "as", 979, "", "Object as ClassRef"},
        {915, "is", 977, "", "Object is ClassRef"},
        {950, "+", 910, "", "+"},
        {950, "-", 976, "", "-"},
        {950, "*", 0, "multiplication", "*"},
        {950, "/", 931, "", "/"},
        {950, "div", 943, "", "div"},
        {950, "mod", 967, "", "mod"},
        {966, "=", 932, "", "="},
        {966, "<>", 958, "", "<>"},
        {966, "<", 946, "", "<"},
        {966, ">", 942, "", ">"},
        {966, "<=", 945, "", "<="},
        {966, ">=", 941, "", ">="},
        {975, "+", 922, "", "+"},
        {980, "+", 973, "", "+"},
        {980, "-", 974, "", "-"},
    };
    for (const auto& i : items)
        AddItem(TraLangCategory::lcOperator, text(i.group), QString::fromLatin1(i.name),
                i.definition ? text(i.definition) : QString::fromLatin1(i.fixed), QString::fromLatin1(i.templ));
}

// ---- Enumerated types ---------------------------------------------------------------------

TraEnumTypeInfoList::TraEnumTypeInfoList() : TraLangInfoList(TraLangCategory::lcEnumType) {
    for (const TraEnumTypeEntry& e : GetEnumTypeList()) {
        if (!e.TypeInfo)
            continue;
        for (const QString& value : e.TypeInfo->values)
            AddItem(TraLangCategory::lcEnumType, e.Name, value, QString(), value);
    }
}

// ---- Look-ups -----------------------------------------------------------------------------

std::optional<TraLangInfoRec> FindLangItem(const TraLangInfoList& aList, const QString& aName) {
    const int index = aList.IndexOf(aName);
    if (index < 0)
        return std::nullopt;
    return aList.GetItem(index);
}

std::unique_ptr<TraLangInfoList> CreateLangInfoList(TraLangCategory aCategory) {
    switch (aCategory) {
    case TraLangCategory::lcFunction:
        return std::make_unique<TraFunctionInfoList>();
    case TraLangCategory::lcStatement:
        return std::make_unique<TraStatementInfoList>();
    case TraLangCategory::lcDataType:
        return std::make_unique<TraDataTypeInfoList>();
    case TraLangCategory::lcOperator:
        return std::make_unique<TraOperatorInfoList>();
    case TraLangCategory::lcEnumType:
        return std::make_unique<TraEnumTypeInfoList>();
    case TraLangCategory::lcReservedWord:
        return std::make_unique<ReservedWordLangList>();
    }
    return nullptr;
}

std::optional<TraLangInfoRec> FindLanguageItem(TraLangCategory aCategory, const QString& aName) {
    const std::unique_ptr<TraLangInfoList> list = CreateLangInfoList(aCategory);
    if (!list)
        return std::nullopt;
    return FindLangItem(*list, aName);
}

QString GetLangCategoryName(TraLangCategory aCategory) {
    static const int texts[] = {986, 987, 988, 989, 990, 936};
    const int index = int(aCategory);
    if (index < 0 || index > 5)
        return {};
    return text(texts[index]);
}

QString GetLangHelpKeyword(const TraLangInfoRec& aRecord) {
    switch (aRecord.Category) {
    case TraLangCategory::lcFunction:
        return aRecord.ItemClass + QStringLiteral("_Orvel_Function");
    case TraLangCategory::lcStatement:
        return (aRecord.ItemClass.isEmpty() ? QStringLiteral("TraBeginEndBlock") : aRecord.ItemClass) +
               QStringLiteral("_Orvel_Statement");
    case TraLangCategory::lcDataType:
        return aRecord.Group + QStringLiteral("_Orvel_DataType");
    case TraLangCategory::lcOperator:
        return aRecord.Group + QStringLiteral("_Orvel_Operator");
    case TraLangCategory::lcEnumType:
        return aRecord.Group + QStringLiteral("_Orvel_Type");
    case TraLangCategory::lcReservedWord:
        return {};
    }
    return {};
}
