#pragma once

// The language information lists: the built-in routines, statements, data types, operators,
// enumerated values and reserved words of the script language, grouped as the code toolbox
// shows them, with their syntax, the text dragged into the code and their help keywords.

#include "report/script/tokens.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

/// The category of a language item (stored as one byte).
enum class TraLangCategory : std::uint8_t {
    lcFunction = 0,
    lcStatement = 1,
    lcDataType = 2,
    lcOperator = 3,
    lcEnumType = 4,
    lcReservedWord = 5,
};

/// One language item.
struct TraLangInfoRec {
    TraLangCategory Category = TraLangCategory::lcFunction;
    QString Group;       ///< group under the category; empty for statements and reserved words
    QString Name;        ///< the item as written in code
    QString Definition;  ///< the syntax or description shown
    QString Template;    ///< the text dragged into the code (lines end with CR LF)
    /// The statement node class or the built-in routine's class, by name; empty otherwise.
    QString ItemClass;
    TraTokenType TokenType = TraTokenType::ttUnknown;  ///< of a reserved word
};

/// A list of language items: one entry per item, named by the item, in insertion order
/// (duplicates allowed). Lists that store their records own them; the statement, routine and
/// reserved-word lists build a record when it is asked for.
class TraLangInfoList {
public:
    explicit TraLangInfoList(TraLangCategory aCategory) : m_category(aCategory) {}
    virtual ~TraLangInfoList() = default;
    TraLangInfoList(const TraLangInfoList&) = delete;
    TraLangInfoList& operator=(const TraLangInfoList&) = delete;

    TraLangCategory Category() const { return m_category; }
    int Count() const { return int(m_names.size()); }
    QString Names(int aIndex) const { return m_names.at(std::size_t(aIndex)); }
    /// The first entry of that name, compared without regard to case; -1 when none.
    int IndexOf(const QString& aName) const;
    /// Stores a record under Name.
    void AddItem(TraLangCategory aCategory, const QString& aGroup, const QString& aName, const QString& aDefinition,
                 const QString& aTemplate);
    /// A copy of the record at Index (built on request by the lists that store none).
    virtual TraLangInfoRec GetItem(int aIndex) const;

protected:
    /// Adds an entry without a stored record.
    void addName(const QString& aName);

private:
    TraLangCategory m_category;
    std::vector<QString> m_names;
    std::vector<std::unique_ptr<TraLangInfoRec>> m_records;  ///< null for entries without one
};

/// The built-in routines of the routine registry, in registry order.
class TraFunctionInfoList : public TraLangInfoList {
public:
    TraFunctionInfoList();
    TraLangInfoRec GetItem(int aIndex) const override;
};

/// The statements "if..then" to "begin..end".
class TraStatementInfoList : public TraLangInfoList {
public:
    TraStatementInfoList();
    TraLangInfoRec GetItem(int aIndex) const override;
};

/// The data types by group (Boolean, Numeric, Character, DateTime, Other).
class TraDataTypeInfoList : public TraLangInfoList {
public:
    TraDataTypeInfoList();
};

/// The operators the compiler takes, by group.
class TraOperatorInfoList : public TraLangInfoList {
public:
    TraOperatorInfoList();
};

/// Every value of every enumerated type registered for scripts, grouped by type.
class TraEnumTypeInfoList : public TraLangInfoList {
public:
    TraEnumTypeInfoList();
};

/// The record of the named item (compared without regard to case); nothing when the list
/// has none.
std::optional<TraLangInfoRec> FindLangItem(const TraLangInfoList& aList, const QString& aName);
/// A new list of the category. The reserved-word list is a copy of the lexer's shared list.
std::unique_ptr<TraLangInfoList> CreateLangInfoList(TraLangCategory aCategory);
/// Creates the category's list, looks the name up and frees the list.
std::optional<TraLangInfoRec> FindLanguageItem(TraLangCategory aCategory, const QString& aName);
/// The category's name in the current language ("Function", ..., "Reserved Word").
QString GetLangCategoryName(TraLangCategory aCategory);
/// The item's keyword in the language help: "TraIfStatement_Orvel_Statement",
/// "Math_Orvel_Operator", ...; empty for reserved words.
QString GetLangHelpKeyword(const TraLangInfoRec& aRecord);
