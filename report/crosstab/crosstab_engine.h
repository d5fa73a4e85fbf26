#pragma once

// The calculation of a cross-tab: one traversal of its pipeline that places every record in
// the groups of its column and row dimensions and accumulates each value definition into
// the cells the record contributes to, then the layout of the matrix and its captions.
//
// Placing a record looks each level's value up in a hash index of its parent group, so a
// record costs the same whatever the number of columns and rows; groups are kept in sort
// order (ascending or descending, nulls first or last, strings compared with the letters a
// to z folded to upper case). The figures are accumulated per group and written into the
// matrix once its layout is known.
//
// States: idle (Done, a matrix from the last calculation or none) → Calculate: BeforeCalc,
// the pipeline opened and its position saved, the traversal, the layout and captions, the
// pipeline restored, AfterCalc → idle. A calculation that finds no record, is cancelled by
// the report or fails leaves no matrix and the pipeline where it was.

#include "report/crosstab/matrix.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <unordered_map>
#include <vector>

class TppCrossTab;
class TppDataPipeline;
class TppDimension;
class TppElement;
class TppValueDef;

namespace crosstab {

/// A dimension value in comparison form: Null, a number (dates as day numbers, Booleans as
/// 0 and 1) or a string with a to z upper-cased.
struct Key {
    quint8 kind = 0;  ///< 0 Null, 1 number, 2 string
    long double number = 0;
    QString text;
    bool operator==(const Key& o) const { return kind == o.kind && number == o.number && text == o.text; }
};

struct KeyHash {
    size_t operator()(const Key& k) const;
};

/// The comparison form of a value (Normalize): strings with a to z upper-cased, other
/// values unchanged.
QVariant Normalize(const QVariant& aValue);
Key KeyOf(const QVariant& aValue);
/// -1, 0 or 1 in ascending order of non-null keys (numbers before strings).
int CompareKeys(const Key& a, const Key& b);

/// One group of a dimension level: its value as the first record gave it, its caption, its
/// subgroups in sort order, and the numbers of its accumulator slots.
struct Group {
    Key key;
    QVariant value;     ///< as read from the first record of the group
    QVariant normalized;
    QString caption;    ///< the dimension's caption for the first record (subtotals only)
    int level = -1;
    int slot = -1;      ///< leaf: its data slot; other levels: its subtotal slot (-1: none)
    Group* parent = nullptr;
    std::vector<std::unique_ptr<Group>> children;  ///< in sort order
    std::unordered_map<Key, Group*, KeyHash> index;
};

}  // namespace crosstab

class TppCrossTabEngine {
public:
    explicit TppCrossTabEngine(TppCrossTab* aCrossTab);
    ~TppCrossTabEngine();

    TppCrossTab* CrossTab() const { return m_crossTab; }
    /// Frees the matrix and empties the element list; RecordNo := 1.
    void Clear();
    /// One whole calculation (see the class comment).
    void Calculate();

    TppMatrix* Matrix() const { return m_matrix.get(); }
    QString ProgressText() const { return m_progressText; }
    int RecordNo() const { return m_recordNo; }
    bool Done() const { return m_done; }
    int ElementCount() const { return int(m_elements.size()); }
    /// The element of that ElementIndex; null outside the list.
    TppElement* Elements(int aIndex) const;

    /// Numbers every element of the cross-tab (ElementIndex) in the engine's list.
    void IndexElements();
    /// The matrix before the traversal: captions, one data column, the value rows and the
    /// grand totals.
    void BuildLayout();
    /// The caption pass after the traversal: the names row and which texts and grid lines show.
    void FinishCaptions();

private:
    struct Slots;
    bool OpenPipeline();
    bool CheckFields();
    bool SkipRecord();
    void NextRecord();
    void RestorePipeline();
    bool cancelled() const;

    void placeRecord();
    /// The group of a column (row) level under its parent group for a value, made in sort
    /// order when it is new.
    crosstab::Group* FindColumn(crosstab::Group* aParent, int aLevel, const QVariant& aValue);
    crosstab::Group* FindRow(crosstab::Group* aParent, int aLevel, const QVariant& aValue);
    /// The subtotal slot of a level of the record's groups; -1 when that subtotal is hidden.
    int FindColumnSubTotal(const std::vector<crosstab::Group*>& aColumnPath, int aLevel) const;
    int FindRowSubTotal(const std::vector<crosstab::Group*>& aRowPath, int v, int aLevel) const;
    /// Empties the list of cells the current record updates.
    void FreeCoordinates();
    crosstab::Group* findOrAdd(crosstab::Group* aParent, TppDimension* aDef, int aLevel, bool aColumn,
                               const QVariant& aValue, bool aLast);
    void Accumulate(int aColumnLeaf, int aRowLeaf, const std::vector<crosstab::Group*>& aColumnPath,
                    const std::vector<crosstab::Group*>& aRowPath);
    void AccumulateValue(int v, TppValueDef* aDef, const std::vector<std::pair<int, int>>& aCells);
    QVariant CombineValue(TppValueDef* aDef, TppCellValue& aCell, const QVariant& aValue) const;

    // Layout after the traversal.
    void layOutRows();
    void layOutColumns();
    void NewRows(int r, const std::vector<crosstab::Group*>& aPath);
    void FillRowElements(int r);
    void FillRowHeaders(int r, const std::vector<crosstab::Group*>& aPath);
    /// The subtotal rows of a group, after its last row, one per value definition shown.
    void CreateRowSubTotals(const crosstab::Group& aGroup, const std::vector<crosstab::Group*>& aPath);
    void CreateRowSubTotal(int a, const crosstab::Group& aGroup, int v, const std::vector<crosstab::Group*>& aPath);
    void FillSubTotalRow(int a, int g, int v, const std::vector<crosstab::Group*>& aPath);
    /// The subtotal column of a group, after its last column.
    void CreateColumnSubTotals(const crosstab::Group& aGroup, const std::vector<crosstab::Group*>& aPath);
    void NewColumn(int c, const std::vector<crosstab::Group*>& aPath);
    void FillColumnElements(int c);
    void FillColumnHeaders(int c, const std::vector<crosstab::Group*>& aPath);
    void FillSubTotalColumn(int c, int g, const std::vector<crosstab::Group*>& aPath);
    void storeCells();
    int GrandTotalColumn() const;
    int GrandTotalRow(int v) const;

    TppCrossTab* m_crossTab;
    TppDataPipeline* m_pipeline = nullptr;
    bool m_done = true;
    bool m_bookmarkSaved = false;
    qint64 m_savedBookmark = 0;
    quint8 m_savedState = 0;
    std::vector<TppElement*> m_elements;
    std::unique_ptr<TppMatrix> m_matrix;
    int m_recordNo = 1;
    QString m_progressText;
    QElapsedTimer m_sinceMessages;

    // Traversal state.
    std::unique_ptr<crosstab::Group> m_columnRoot;
    std::unique_ptr<crosstab::Group> m_rowRoot;
    std::unique_ptr<Slots> m_slots;
};
