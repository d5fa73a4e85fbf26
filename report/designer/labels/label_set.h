#pragma once

// Label stocks: the geometry of commercial label sheets, grouped in label sets by printer
// type (laser and ink-jet sheets, or dot-matrix continuous forms), and how one stock turns a
// report into a sheet of label-sized detail bands.
//
// A label set is used as a class, never as an object: each set class has one constant
// instance that answers its class functions (GetDefinitionText, GetSetName, IsDotMatrix,
// GetDefinitionCount), and the label-set registry lists those instances.
//
// Definition text, one stock a line, items separated by commas without quoting (a product
// may contain blanks or a double quote, never a comma); numbers use "." as decimal point
// whatever the user's number settings:
//
// | item    | meaning                                                              |
// |---------|----------------------------------------------------------------------|
// | 0       | Category ("Address", "Shipping", ...)                                |
// | 1       | Product: the maker's stock number ("5160", "L7163")                  |
// | 2, 3    | LabelWidth, LabelHeight (the detail band's height)                   |
// | 4, 5    | PaperWidth, PaperHeight                                              |
// | 6 to 9  | Top, Bottom, Left, Right margins                                     |
// | 10      | Orientation: 0 portrait, 1 landscape (landscape anyway when the      |
// |         | paper is wider than high)                                            |
// | 11      | RowGap: the gap between two rows (the detail band's bottom offset)   |
// | 12      | Units of every length (TppUnitType; the shipped stocks use inches)   |
// | 13      | Columns: labels across; 0 for a single label                         |
// | 14...   | one left position per column                                         |

#include "report/page/report_types.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <utility>

class TppCustomReport;

/// A parsed stock definition, copied by value.
struct TppLabelDefinition {
    static constexpr int kMaxColumns = 11;

    QString SetName;
    std::uint8_t DotMatrix = 0;
    QString Category;
    QString Product;
    float LabelWidth = 0;
    float LabelHeight = 0;
    float PaperWidth = 0;
    float PaperHeight = 0;
    float Top = 0;
    float Bottom = 0;
    float Left = 0;
    float Right = 0;
    std::uint8_t Orientation = 0;  ///< 0 portrait, 1 landscape
    float RowGap = 0;
    std::uint8_t Units = 1;  ///< a TppUnitType
    std::int32_t Columns = 0;
    std::array<float, kMaxColumns> ColumnPositions{};
};

/// A label set class: its class functions, and parsing and applying its definitions.
class TppLabelSet {
public:
    virtual ~TppLabelSet() = default;
    TppLabelSet(const TppLabelSet&) = delete;
    TppLabelSet& operator=(const TppLabelSet&) = delete;

    /// The class name ("TppAveryStdLaserJetLabels").
    virtual QString ClassName() const = 0;
    /// The definition text number aIndex (from 0); ELabelDefinitionError outside the set.
    virtual QString GetDefinitionText(int aIndex) const = 0;
    virtual QString GetSetName() const = 0;
    /// False for laser and ink-jet sets, true for dot-matrix sets.
    virtual bool IsDotMatrix() const = 0;
    virtual int GetDefinitionCount() const = 0;

    /// Parses definition aIndex into aDefinition. A number that cannot be read throws the
    /// conversion error (format::EConvertError); a definition whose items do not match its
    /// columns, or with more than kMaxColumns columns, throws ELabelDefinitionError. On a
    /// throw aDefinition is unchanged; the user's number settings are never touched.
    void ParseDefinition(int aIndex, TppLabelDefinition& aDefinition) const;
    /// Parses one definition text as this set's (the same rules).
    void ParseDefinitionText(const QString& aText, TppLabelDefinition& aDefinition) const;
    /// Gives the report the stock's paper, orientation and margins, the detail band's height
    /// and row gap, the columns with their positions and the label width as column width, and
    /// frees its header and footer bands; the report's own unit is kept.
    static void ApplyDefinition(const TppLabelDefinition& aDefinition, TppCustomReport* aReport);

protected:
    TppLabelSet() = default;
};

/// The root of the laser and ink-jet sets.
class TppLaserJetLabels : public TppLabelSet {
public:
    bool IsDotMatrix() const override { return false; }
};

/// The root of the dot-matrix sets.
class TppDotMatrixLabels : public TppLabelSet {
public:
    bool IsDotMatrix() const override { return true; }
};

/// A set whose definitions are the lines of one shipped stock table.
template <class Root>
class TppTableLabelSet : public Root {
public:
    TppTableLabelSet(const char* aClassName, const char* aSetName, QStringList aDefinitions)
        : m_className(QString::fromLatin1(aClassName)), m_setName(QString::fromLatin1(aSetName)),
          m_definitions(std::move(aDefinitions)) {}
    QString ClassName() const override { return m_className; }
    QString GetSetName() const override { return m_setName; }
    int GetDefinitionCount() const override { return int(m_definitions.size()); }
    QString GetDefinitionText(int aIndex) const override;

private:
    QString m_className;
    QString m_setName;
    QStringList m_definitions;
};

/// The label sets shipped with the designer. A class whose table holds no stock (the
/// international dot-matrix forms, of which no geometry is kept) is not registered.
struct TppAveryStdLaserJetLabels {
    static const TppLabelSet* Class();
};
struct TppAveryStdDotMatrixLabels {
    static const TppLabelSet* Class();
};
struct TppAveryA4A5LaserJetLabels {
    static const TppLabelSet* Class();
};
struct TppAveryUKDotMatrixLabels {
    static const TppLabelSet* Class();
};
struct TppAveryFranceDotMatrixLabels {
    static const TppLabelSet* Class();
};

/// (set name, set class) pairs; (product text, set class) pairs.
using TppLabelSetList = QList<std::pair<QString, const TppLabelSet*>>;

/// Appends the set to the registry unless it is listed already.
void ppRegisterLabelSet(const TppLabelSet* aSet);
/// Removes it when listed.
void ppUnregisterLabelSet(const TppLabelSet* aSet);
/// Clears aList and adds (set name, class) for every registered set of that printer type
/// (true: dot matrix), in registration order.
void ppGetLabelSets(bool aDotMatrix, TppLabelSetList& aList);
/// Clears aList; when aSetName (case-insensitive) is a set of that printer type, adds
/// Product + " - " + Category for each of its definitions, in table order, with the set.
void ppGetLabelProducts(const QString& aSetName, bool aDotMatrix, TppLabelSetList& aList);

namespace report {
/// Registers the shipped sets that hold stocks: the standard dot-matrix and laser sets, then
/// the A4 and A5 laser set (idempotent).
void RegisterLabelSets();
/// Unregisters them.
void UnRegisterLabelSets();
}  // namespace report
