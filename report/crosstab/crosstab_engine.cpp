#include "report/crosstab/crosstab_engine.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/elements.h"

#include "report/model/band.h"
#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/errors.h"
#include "report/page/resource_manager.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace crosstab {

namespace {

QString foldAToZ(QString s) {
    for (QChar& ch : s)
        if (ch >= u'a' && ch <= u'z') ch = QChar(ch.unicode() - 32);
    return s;
}

bool isString(const QVariant& v) {
    return v.metaType().id() == QMetaType::QString || v.metaType().id() == QMetaType::QChar;
}

}  // namespace

size_t KeyHash::operator()(const Key& k) const {
    if (k.kind == 2) return qHash(k.text) ^ 0x9e37;
    if (k.kind == 1) return std::hash<double>()(double(k.number)) ^ 0x51;
    return 7;
}

QVariant Normalize(const QVariant& aValue) {
    if (isString(aValue)) return foldAToZ(aValue.toString());
    return aValue;
}

Key KeyOf(const QVariant& aValue) {
    Key k;
    if (IsNull(aValue)) return k;
    if (isString(aValue)) {
        k.kind = 2;
        k.text = foldAToZ(aValue.toString());
        return k;
    }
    k.kind = 1;
    if (aValue.metaType().id() == QMetaType::Bool) k.number = aValue.toBool() ? 1 : 0;
    else k.number = ToFloat(aValue);
    return k;
}

int CompareKeys(const Key& a, const Key& b) {
    if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
    if (a.kind == 1) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.kind == 2) {
        const int c = QString::compare(a.text, b.text, Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return 0;
}

}  // namespace crosstab

using crosstab::Group;
using crosstab::Key;

/// The accumulator slots of a calculation and what is visible.
///
/// A column slot is a data column (a leaf group), a subtotal column (a group above the last
/// level) or the grand-total column (slot 0); a row slot likewise, each row slot standing for
/// one row per value definition. Slot 1 is the one data column (row) when there are no
/// column (row) definitions. Cells are keyed by column slot and row slot × value count + v.
struct TppCrossTabEngine::Slots {
    int columnCount = 2;  ///< slots handed out so far (0 and 1 reserved)
    int rowCount = 2;
    std::vector<bool> columnSubTotalVisible;           ///< by level
    std::vector<std::vector<bool>> rowSubTotalVisible;  ///< by level, then value definition
    bool hasGrandTotalColumn = false;
    std::vector<bool> grandTotalRowVisible;  ///< by value definition
    /// The accumulated cells by row slot × value count + v, then by column slot (grown on use).
    std::vector<std::vector<std::unique_ptr<TppCellValue>>> cells;
    std::vector<int> columnOfSlot;  ///< matrix column of each column slot (-1: none)
    std::vector<int> rowOfSlot;     ///< matrix row of each row slot × value count + v (-1: none)
    std::vector<TppDataType> valueTypes;
    std::vector<std::pair<int, int>> coordinates;  ///< reused for every record
};

namespace {

bool isNumberOrDate(const QVariant& v) {
    if (crosstab::IsNull(v)) return false;
    if (v.metaType() == QMetaType::fromType<TCurrency>()) return true;
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Float:
    case QMetaType::Double:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return true;
    default:
        return false;
    }
}

bool isIntegral(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return true;
    default:
        return false;
    }
}

/// Adds two numbers as the variant arithmetic does: integers stay integers (in 64 bits),
/// currency stays currency, the rest is floating.
QVariant addValues(const QVariant& a, const QVariant& b) {
    if (isIntegral(a) && isIntegral(b)) return QVariant(a.toLongLong() + b.toLongLong());
    const bool currency = a.metaType() == QMetaType::fromType<TCurrency>() || b.metaType() == QMetaType::fromType<TCurrency>();
    const long double sum = crosstab::ToFloat(a) + crosstab::ToFloat(b);
    if (currency) return QVariant::fromValue(TCurrency{qint64(std::llroundl(sum * 10000.0L))});
    return QVariant(double(sum));
}

}  // namespace

TppCrossTabEngine::TppCrossTabEngine(TppCrossTab* aCrossTab) : m_crossTab(aCrossTab) {
    m_progressText = ppMessageToFormat(ppGetMessageText(69)).replace(QStringLiteral("%s"), QStringLiteral("1"));
}

TppCrossTabEngine::~TppCrossTabEngine() = default;

void TppCrossTabEngine::Clear() {
    m_elements.clear();
    m_matrix.reset();
    m_recordNo = 1;
    m_columnRoot.reset();
    m_rowRoot.reset();
    m_slots.reset();
}

TppElement* TppCrossTabEngine::Elements(int aIndex) const {
    if (aIndex < 0 || aIndex >= ElementCount()) return nullptr;
    return m_elements[size_t(aIndex)];
}

// Calculate -----------------------------------------------------------------------------------

void TppCrossTabEngine::Calculate() {
    m_crossTab->DoBeforeCalc();
    // Whatever ends the calculation early (a failure, a cancel) leaves no half-built matrix
    // and puts the pipeline back where it was.
    struct Unwind {
        TppCrossTabEngine* e;
        bool committed = false;
        ~Unwind() {
            if (committed) return;
            e->m_done = true;
            if (e->m_bookmarkSaved) {
                try {
                    e->RestorePipeline();
                } catch (...) {
                }
            }
            e->Clear();
        }
    } unwind{this};

    m_bookmarkSaved = false;
    if (!OpenPipeline()) return;
    BuildLayout();
    m_sinceMessages.start();
    while (!m_done) {
        placeRecord();
        NextRecord();
        if (cancelled()) return;
    }
    layOutRows();
    layOutColumns();
    storeCells();
    FinishCaptions();
    m_columnRoot.reset();
    m_rowRoot.reset();
    m_slots.reset();
    RestorePipeline();
    unwind.committed = true;
    m_crossTab->DoAfterCalc();
}

bool TppCrossTabEngine::cancelled() const {
    TppBand* band = m_crossTab->Band();
    TppCustomReport* report = band ? band->Report() : nullptr;
    return report && report->Engine() && report->Engine()->Cancelled();
}

bool TppCrossTabEngine::OpenPipeline() {
    m_pipeline = m_crossTab->DataPipeline();
    m_done = true;
    if (!m_pipeline) return false;
    if (!m_pipeline->GetActive()) m_pipeline->Open();
    if (m_pipeline->GetActive() && !CheckFields()) return false;
    m_savedState = m_pipeline->PipelineState();
    m_savedBookmark = m_pipeline->GetBookmark();
    m_bookmarkSaved = true;
    m_pipeline->First();
    while (SkipRecord() && !m_pipeline->GetEOF()) m_pipeline->Next();
    m_done = (m_pipeline->PipelineState() & TppDataPipeline::kStateNoRecords) != 0 || m_pipeline->GetEOF();
    return !m_done;
}

bool TppCrossTabEngine::CheckFields() {
    QStringList names;
    m_pipeline->GetFieldNames(names);
    if (names.isEmpty()) return false;
    const auto missing = [&](TppDimension* d) {
        for (const QString& n : names)
            if (QString::localeAwareCompare(n.toUpper(), d->FieldName().toUpper()) == 0) return false;
        return true;
    };
    TppDimension* bad = nullptr;
    for (int i = 0; !bad && i < m_crossTab->ColumnDefCount(); ++i)
        if (missing(m_crossTab->ColumnDefs(i))) bad = m_crossTab->ColumnDefs(i);
    for (int i = 0; !bad && i < m_crossTab->RowDefCount(); ++i)
        if (missing(m_crossTab->RowDefs(i))) bad = m_crossTab->RowDefs(i);
    for (int i = 0; !bad && i < m_crossTab->ValueDefCount(); ++i)
        if (missing(m_crossTab->ValueDefs(i))) bad = m_crossTab->ValueDefs(i);
    if (!bad) return true;
    const QString text = report::MessageText(73, {m_crossTab->UserName(), bad->FieldAlias()}) + u' ' +
                         report::MessageText(74, {m_pipeline->UserName()});
    TppBand* band = m_crossTab->Band();
    TppCustomReport* report = band ? band->Report() : nullptr;
    if (report && report->Engine() && report->Engine()->Busy()) report->Engine()->SetCancelled(true);
    throw EPrintError(report::MessageText(1023) + QStringLiteral("\r\n\r\n") + text);
}

bool TppCrossTabEngine::SkipRecord() {
    bool skip = false;
    m_crossTab->DoTraverseRecord(m_pipeline, skip);
    for (int i = 0; !skip && i < m_crossTab->ColumnDefCount(); ++i) skip = m_crossTab->ColumnDefs(i)->Skip();
    for (int i = 0; !skip && i < m_crossTab->RowDefCount(); ++i) skip = m_crossTab->RowDefs(i)->Skip();
    return skip;
}

void TppCrossTabEngine::NextRecord() {
    m_pipeline->Next();
    while (!m_pipeline->GetEOF() && SkipRecord()) m_pipeline->Next();
    ++m_recordNo;
    m_done = m_pipeline->GetEOF();
    // Window messages (the status timer, a Cancel button) get their turn every 100 records
    // and at least every 50 ms, so a cancel is heard within a second even with slow handlers.
    if (m_recordNo % 100 == 0 || m_sinceMessages.elapsed() >= 50) {
        if (m_recordNo % 100 == 0)
            m_progressText = ppMessageToFormat(ppGetMessageText(69)).replace(QStringLiteral("%s"), QString::number(m_recordNo));
        m_crossTab->ProcessMessages();
        m_sinceMessages.restart();
    }
}

void TppCrossTabEngine::RestorePipeline() {
    m_bookmarkSaved = false;
    if (!m_pipeline) return;
    m_pipeline->GotoBookmark(m_savedBookmark);
    m_pipeline->FreeBookmark(m_savedBookmark);
    m_pipeline->SetPipelineState(m_savedState);
}

// The traversal ---------------------------------------------------------------------------------

Group* TppCrossTabEngine::findOrAdd(Group* aParent, TppDimension* aDef, int aLevel, bool aColumn,
                                    const QVariant& aValue, bool aLast) {
    const Key key = crosstab::KeyOf(aValue);
    if (auto it = aParent->index.find(key); it != aParent->index.end()) return it->second;
    auto group = std::make_unique<Group>();
    group->key = key;
    group->value = aValue;
    group->normalized = crosstab::Normalize(aValue);
    group->level = aLevel;
    group->parent = aParent;
    Slots& s = *m_slots;
    if (aLast) {
        group->slot = aColumn ? s.columnCount++ : s.rowCount++;
    } else {
        const bool visible = aColumn ? s.columnSubTotalVisible[size_t(aLevel)]
                                     : std::find(s.rowSubTotalVisible[size_t(aLevel)].begin(),
                                                 s.rowSubTotalVisible[size_t(aLevel)].end(),
                                                 true) != s.rowSubTotalVisible[size_t(aLevel)].end();
        if (visible) {
            group->slot = aColumn ? s.columnCount++ : s.rowCount++;
            group->caption = aDef->GetCaption();
        }
    }
    const bool ascending = aDef->SortType() == TppSortOrderType::soAscending;
    const bool nullsFirst = aDef->NullOrder() == TppNullOrderType::ctnoFirst;
    const auto before = [&](const std::unique_ptr<Group>& existing, const Key& k) {
        // Whether an existing group sorts before the new key.
        if (existing->key.kind == 0) return nullsFirst;
        if (k.kind == 0) return !nullsFirst;
        const int c = crosstab::CompareKeys(existing->key, k);
        return ascending ? c < 0 : c > 0;
    };
    auto at = std::lower_bound(aParent->children.begin(), aParent->children.end(), key, before);
    Group* raw = group.get();
    aParent->children.insert(at, std::move(group));
    aParent->index.emplace(key, raw);
    return raw;
}

Group* TppCrossTabEngine::FindColumn(Group* aParent, int aLevel, const QVariant& aValue) {
    return findOrAdd(aParent, m_crossTab->ColumnDefs(aLevel), aLevel, true, aValue,
                     aLevel == m_crossTab->ColumnDefCount() - 1);
}

Group* TppCrossTabEngine::FindRow(Group* aParent, int aLevel, const QVariant& aValue) {
    return findOrAdd(aParent, m_crossTab->RowDefs(aLevel), aLevel, false, aValue, aLevel == m_crossTab->RowDefCount() - 1);
}

int TppCrossTabEngine::FindColumnSubTotal(const std::vector<Group*>& aColumnPath, int aLevel) const {
    if (!m_slots->columnSubTotalVisible[size_t(aLevel)]) return -1;
    return aColumnPath[size_t(aLevel)]->slot;
}

int TppCrossTabEngine::FindRowSubTotal(const std::vector<Group*>& aRowPath, int v, int aLevel) const {
    if (!m_slots->rowSubTotalVisible[size_t(aLevel)][size_t(v)] || aRowPath[size_t(aLevel)]->slot < 0) return -1;
    return aRowPath[size_t(aLevel)]->slot * m_crossTab->ValueDefCount() + v;
}

void TppCrossTabEngine::FreeCoordinates() {
    if (m_slots) m_slots->coordinates.clear();
}

void TppCrossTabEngine::placeRecord() {
    std::vector<Group*> columnPath, rowPath;
    const int cdc = m_crossTab->ColumnDefCount();
    const int rdc = m_crossTab->RowDefCount();
    Group* g = m_columnRoot.get();
    for (int i = 0; i < cdc; ++i) {
        TppDimension* d = m_crossTab->ColumnDefs(i);
        g = FindColumn(g, i, d->GetValue());
        columnPath.push_back(g);
    }
    g = m_rowRoot.get();
    for (int j = 0; j < rdc; ++j) {
        TppDimension* d = m_crossTab->RowDefs(j);
        g = FindRow(g, j, d->GetValue());
        rowPath.push_back(g);
    }
    Accumulate(cdc > 0 ? columnPath.back()->slot : 1, rdc > 0 ? rowPath.back()->slot : 1, columnPath, rowPath);
}

void TppCrossTabEngine::Accumulate(int aColumnLeaf, int aRowLeaf, const std::vector<Group*>& aColumnPath,
                                   const std::vector<Group*>& aRowPath) {
    Slots& s = *m_slots;
    const int vdc = m_crossTab->ValueDefCount();
    const int cdc = m_crossTab->ColumnDefCount();
    const int rdc = m_crossTab->RowDefCount();
    for (int v = 0; v < vdc; ++v) {
        FreeCoordinates();
        auto& cells = s.coordinates;
        const int gc = s.hasGrandTotalColumn ? 0 : -1;
        const bool gr = rdc > 0 && s.grandTotalRowVisible[size_t(v)];
        const int rowLeaf = aRowLeaf * vdc + v;
        const int rowGrand = 0 * vdc + v;
        cells.emplace_back(aColumnLeaf, rowLeaf);
        std::vector<int> columnSubs, rowSubs;
        for (int j = 0; j + 1 < cdc; ++j)
            if (const int sc = FindColumnSubTotal(aColumnPath, j); sc >= 0) columnSubs.push_back(sc);
        for (int j = 0; j + 1 < rdc; ++j)
            if (const int sr = FindRowSubTotal(aRowPath, v, j); sr >= 0) rowSubs.push_back(sr);
        for (int sc : columnSubs) {
            cells.emplace_back(sc, rowLeaf);
            if (gr) cells.emplace_back(sc, rowGrand);
        }
        for (int sr : rowSubs) {
            cells.emplace_back(aColumnLeaf, sr);
            if (cdc > 0 && gc >= 0) cells.emplace_back(gc, sr);
        }
        if (gc >= 0) cells.emplace_back(gc, rowLeaf);
        if (gr) cells.emplace_back(aColumnLeaf, rowGrand);
        if (gc >= 0 && gr) cells.emplace_back(gc, rowGrand);
        // Where a column subtotal meets a row subtotal the cell is a total too.
        for (int sc : columnSubs)
            for (int sr : rowSubs) cells.emplace_back(sc, sr);
        AccumulateValue(v, m_crossTab->ValueDefs(v), cells);
    }
}

void TppCrossTabEngine::AccumulateValue(int v, TppValueDef* aDef, const std::vector<std::pair<int, int>>& aCells) {
    const QVariant value = aDef->GetValue();
    const TppDBCalcType calc = aDef->CalcType();
    if (calc != TppDBCalcType::dcCount && !isNumberOrDate(value)) return;
    if (aDef->Skip()) return;
    Slots& s = *m_slots;
    // Without anyone to answer OnCalcDimensionValue the cell does its own arithmetic.
    const bool plain = !m_crossTab->OnCalcDimensionValue && m_crossTab->EventNotifyCount() == 0;
    for (const auto& [column, rowV] : aCells) {
        if (size_t(rowV) >= s.cells.size()) s.cells.resize(size_t(rowV) + 1);
        auto& row = s.cells[size_t(rowV)];
        if (size_t(column) >= row.size()) row.resize(size_t(column) + 1);
        std::unique_ptr<TppCellValue>& cell = row[size_t(column)];
        if (!cell) {
            cell = ppCreateCellValue(s.valueTypes[size_t(v)]);
            if (!cell) cell = std::make_unique<TppStringCellValue>();
        }
        if (plain && cell->Accumulate(calc, value)) continue;
        QVariant next = CombineValue(aDef, *cell, value);
        m_crossTab->DoCalcDimensionValue(aDef, next);
        cell->SetValue(next);
    }
}

QVariant TppCrossTabEngine::CombineValue(TppValueDef* aDef, TppCellValue& aCell, const QVariant& aValue) const {
    const bool wasNull = aCell.IsNull;
    QVariant current;
    aCell.GetValue(current);
    switch (aDef->CalcType()) {
    case TppDBCalcType::dcCount:
        return addValues(current, QVariant(qlonglong(1)));
    case TppDBCalcType::dcSum:
        return addValues(current, aValue);
    case TppDBCalcType::dcMinimum:
        return (wasNull || crosstab::ToFloat(aValue) < crosstab::ToFloat(current)) ? aValue : current;
    case TppDBCalcType::dcMaximum:
        return (wasNull || crosstab::ToFloat(aValue) > crosstab::ToFloat(current)) ? aValue : current;
    case TppDBCalcType::dcAverage: {
        QVariant sum;
        aCell.GetSum(sum);
        sum = addValues(sum, aValue);
        aCell.SetSum(sum);
        const int count = aCell.GetCount() + 1;
        aCell.SetCount(count);
        return QVariant(double(crosstab::ToFloat(sum) / (long double)count));
    }
    }
    return current;
}

// Layout ----------------------------------------------------------------------------------------

void TppCrossTabEngine::IndexElements() {
    m_elements.clear();
    const auto add = [this](TppElement* e) {
        if (!e) return;
        e->ElementIndex = int(m_elements.size());
        m_elements.push_back(e);
    };
    const auto addDimension = [&](TppDimension* d) {
        add(d);
        for (int i = 0; i < d->SubTotalCount(); ++i) {
            add(d->SubTotals(i)->CaptionDef());
            add(d->SubTotals(i)->TotalDef());
        }
    };
    for (int i = 0; i < m_crossTab->ColumnDefCount(); ++i) addDimension(m_crossTab->ColumnDefs(i));
    for (int i = 0; i < m_crossTab->RowDefCount(); ++i) addDimension(m_crossTab->RowDefs(i));
    for (int i = 0; i < m_crossTab->ValueDefCount(); ++i) {
        add(m_crossTab->ValueDefs(i));
        add(m_crossTab->ValueDefs(i)->CaptionDef());
    }
    for (int i = 0; i < m_crossTab->ColumnGrandTotalCount(); ++i) {
        add(m_crossTab->ColumnGrandTotals(i)->CaptionDef());
        add(m_crossTab->ColumnGrandTotals(i)->TotalDef());
    }
    for (int i = 0; i < m_crossTab->RowGrandTotalCount(); ++i) {
        add(m_crossTab->RowGrandTotals(i)->CaptionDef());
        add(m_crossTab->RowGrandTotals(i)->TotalDef());
    }
}

namespace {
int indexOf(const TppElement* e) {
    return e ? e->ElementIndex : -1;
}
}  // namespace

void TppCrossTabEngine::BuildLayout() {
    Clear();
    IndexElements();
    TppCrossTab* x = m_crossTab;
    const int cdc = x->ColumnDefCount(), rdc = x->RowDefCount(), vdc = x->ValueDefCount();
    m_matrix = std::make_unique<TppMatrix>();
    TppMatrix& m = *m_matrix;
    m.HeaderRowCount = cdc;
    m.HeaderColumnCount = rdc + (vdc > 1 ? 1 : 0);
    const TppDataType type0 = x->ValueDefs(0)->GetDataType();
    if (m.HeaderColumnCount >= 1) m.AddColumns(m.HeaderColumnCount + 1, type0);
    else if (m.HeaderRowCount > 0) m.AddRows(m.HeaderRowCount + 1, type0);
    for (int i = 0; i < vdc; ++i)
        if (i > 0 || (cdc == 0 && rdc == 0)) m.AddRows(1, x->ValueDefs(i)->GetDataType());
    if (x->HasColumnGrandTotal()) {
        TppGrandTotal* total = x->ColumnGrandTotals(0);
        m.InsertTotalColumn(m.ColumnCount(), -1, TppDataType::dtInteger, QString(), ppGetMessageText(72), false);
        const int c = m.ColumnCount() - 1;
        for (int r = 0; r < m.HeaderRowCount; ++r) m.SetElementIndex(c, r, indexOf(total->CaptionDef()));
        for (int i = 0; i < vdc; ++i) m.SetElementIndex(c, cdc + i, indexOf(x->ColumnGrandTotals(i)->TotalDef()));
    }
    if (rdc > 0) {
        for (int i = 0; i < vdc; ++i) {
            TppGrandTotal* total = x->RowGrandTotals(i);
            if (!total->GetVisible()) continue;
            const QString caption = vdc == 1 ? QString() : ppGetMessageText(70);
            const QString valueCaption = vdc == 1 ? ppGetMessageText(72) : x->ValueDefs(i)->GetName();
            m.InsertTotalRow(m.RowCount(), -1, i, x->ValueDefs(i)->GetDataType(), QString(), caption, valueCaption, false);
            const int r = m.RowCount() - 1;
            for (int c = 0; c < m.HeaderColumnCount; ++c) m.SetElementIndex(c, r, indexOf(total->CaptionDef()));
            m.SetElementIndex(m.HeaderColumnCount, r, indexOf(total->TotalDef()));
            if (x->HasColumnGrandTotal())
                m.SetElementIndex(m.ColumnCount() - 1, r, indexOf(x->ColumnGrandTotals(i)->TotalDef()));
        }
    }
    if (rdc == 0 && vdc > 1) {
        for (int v = 0; v < vdc; ++v) {
            m.SetValue(0, m.HeaderRowCount + v, x->ValueDefs(v)->GetName());
        }
    }
    for (int k = 0; k < cdc; ++k) m.SetElementIndex(m.HeaderColumnCount, k, indexOf(x->ColumnDefs(k)));
    for (int k = 0; k < rdc; ++k) m.SetElementIndex(k, m.HeaderRowCount, indexOf(x->RowDefs(k)));
    for (int k = 0; k < vdc; ++k) {
        m.SetElementIndex(m.HeaderColumnCount, cdc + k, indexOf(x->ValueDefs(k)));
        if (vdc > 1 && m.HeaderColumnCount > 0)
            m.SetElementIndex(m.HeaderColumnCount - 1, cdc + k, indexOf(x->ValueDefs(k)->CaptionDef()));
    }

    // The traversal's groups and slots.
    m_columnRoot = std::make_unique<Group>();
    m_rowRoot = std::make_unique<Group>();
    m_slots = std::make_unique<Slots>();
    Slots& s = *m_slots;
    for (int g = 0; g < cdc; ++g)
        s.columnSubTotalVisible.push_back(x->ColumnDefs(g)->SubTotalCount() > 0 &&
                                          x->ColumnDefs(g)->SubTotals(0)->GetVisible());
    for (int g = 0; g < rdc; ++g) {
        std::vector<bool> byValue;
        TppDimension* d = x->RowDefs(g);
        for (int v = 0; v < vdc; ++v) {
            TppSubTotal* sub = d->SubTotals(vdc == 1 ? 0 : v);
            byValue.push_back(sub && sub->GetVisible());
        }
        s.rowSubTotalVisible.push_back(byValue);
    }
    s.hasGrandTotalColumn = x->HasColumnGrandTotal();
    for (int v = 0; v < vdc; ++v) {
        s.grandTotalRowVisible.push_back(rdc > 0 && x->RowGrandTotals(v)->GetVisible());
        s.valueTypes.push_back(x->ValueDefs(v)->GetDataType());
    }
}

int TppCrossTabEngine::GrandTotalColumn() const {
    return m_crossTab->HasColumnGrandTotal() ? m_matrix->ColumnCount() - 1 : -1;
}

int TppCrossTabEngine::GrandTotalRow(int v) const {
    const TppMatrix& m = *m_matrix;
    if (m_crossTab->RowDefCount() == 0 || !m_crossTab->RowGrandTotals(v)->GetVisible()) return -1;
    const int vdc = m_crossTab->ValueDefCount();
    for (int r = m.RowCount() - 1; r >= 0 && r >= m.RowCount() - vdc; --r)
        if (TppTotalLabel* l = m.TotalLabel(0, r); l && l->ValueIndex == v && l->Level == -1) return r;
    return -1;
}

void TppCrossTabEngine::layOutRows() {
    Slots& s = *m_slots;
    TppCrossTab* x = m_crossTab;
    const int vdc = x->ValueDefCount();
    s.rowOfSlot.assign(size_t(s.rowCount * vdc), -1);
    TppMatrix& m = *m_matrix;
    if (x->RowDefCount() == 0) {
        for (int v = 0; v < vdc; ++v) s.rowOfSlot[size_t(1 * vdc + v)] = m.HeaderRowCount + v;
    } else {
        bool first = true;
        std::vector<Group*> path;
        const std::function<void(Group&)> walk = [&](Group& parent) {
            for (auto& child : parent.children) {
                Group& g = *child;
                path.push_back(&g);
                if (g.children.empty()) {
                    int r = m.HeaderRowCount;
                    if (first) {
                        FillRowHeaders(r, path);
                        first = false;
                    } else {
                        r = m.RowCount() - x->VisibleRowGrandTotalCount();
                        NewRows(r, path);
                    }
                    for (int v = 0; v < vdc; ++v) s.rowOfSlot[size_t(g.slot * vdc + v)] = r + v;
                } else {
                    walk(g);
                    if (g.slot >= 0) CreateRowSubTotals(g, path);
                }
                path.pop_back();
            }
        };
        walk(*m_rowRoot);
    }
    for (int v = 0; v < vdc; ++v) s.rowOfSlot[size_t(v)] = GrandTotalRow(v);
}

void TppCrossTabEngine::NewRows(int r, const std::vector<Group*>& aPath) {
    TppCrossTab* x = m_crossTab;
    for (int v = x->ValueDefCount() - 1; v >= 0; --v) m_matrix->InsertRows(r, 1, x->ValueDefs(v)->GetDataType());
    FillRowElements(r);
    FillRowHeaders(r, aPath);
}

void TppCrossTabEngine::FillRowElements(int r) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    const int vdc = x->ValueDefCount();
    for (int k = 0; k < x->RowDefCount(); ++k)
        for (int v = 0; v < vdc; ++v) m.SetElementIndex(k, r + v, indexOf(x->RowDefs(k)));
    const int gc = GrandTotalColumn();
    const int end = gc >= 0 ? gc : m.ColumnCount();
    for (int c = m.HeaderColumnCount; c < end; ++c)
        for (int v = 0; v < vdc; ++v) m.SetElementIndex(c, r + v, indexOf(x->ValueDefs(v)));
    if (vdc > 1)
        for (int v = 0; v < vdc; ++v)
            m.SetElementIndex(m.HeaderColumnCount - 1, r + v, indexOf(x->ValueDefs(v)->CaptionDef()));
    if (gc >= 0)
        for (int v = 0; v < vdc; ++v) m.SetElementIndex(gc, r + v, indexOf(x->ColumnGrandTotals(v)->TotalDef()));
}

void TppCrossTabEngine::FillRowHeaders(int r, const std::vector<Group*>& aPath) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    const int vdc = x->ValueDefCount();
    for (int k = 0; k < x->RowDefCount() && k < int(aPath.size()); ++k)
        for (int v = 0; v < vdc; ++v) {
            m.SetValue(k, r + v, aPath[size_t(k)]->value);
            m.SetElementIndex(k, r + v, indexOf(x->RowDefs(k)));
        }
    if (vdc > 1)
        for (int v = 0; v < vdc; ++v) m.SetValue(x->RowDefCount(), r + v, x->ValueDefs(v)->GetName());
}

void TppCrossTabEngine::CreateRowSubTotals(const Group& aGroup, const std::vector<Group*>& aPath) {
    Slots& s = *m_slots;
    const int vdc = m_crossTab->ValueDefCount();
    for (int v = 0; v < vdc; ++v) {
        if (!s.rowSubTotalVisible[size_t(aGroup.level)][size_t(v)]) continue;
        const int a = m_matrix->RowCount() - m_crossTab->VisibleRowGrandTotalCount();
        CreateRowSubTotal(a, aGroup, v, aPath);
        s.rowOfSlot[size_t(aGroup.slot * vdc + v)] = a;
    }
}

void TppCrossTabEngine::CreateRowSubTotal(int a, const Group& aGroup, int v, const std::vector<Group*>& aPath) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    const int g = aGroup.level;
    const int vdc = x->ValueDefCount();
    const int valueIndex = vdc == 1 ? -1 : v;
    const QString valueCaption = vdc == 1 ? QString() : x->ValueDefs(v)->GetName();
    m.InsertTotalRow(a, g, valueIndex, x->ValueDefs(v)->GetDataType(), aGroup.value, aGroup.caption, valueCaption, true);
    FillSubTotalRow(a, g, v, aPath);
}

void TppCrossTabEngine::FillSubTotalRow(int a, int g, int v, const std::vector<Group*>& aPath) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    TppSubTotal* sub = x->RowDefs(g)->SubTotals(x->ValueDefCount() == 1 ? 0 : v);
    for (int k = 0; k < g; ++k) {
        m.SetValue(k, a, aPath[size_t(k)]->value);
        m.SetLevel(k, a, k);
        m.SetElementIndex(k, a, indexOf(x->RowDefs(k)));
    }
    for (int c = g; c < m.HeaderColumnCount; ++c) m.SetElementIndex(c, a, indexOf(sub->CaptionDef()));
    for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c) m.SetElementIndex(c, a, indexOf(sub->TotalDef()));
}

void TppCrossTabEngine::layOutColumns() {
    Slots& s = *m_slots;
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    s.columnOfSlot.assign(size_t(s.columnCount), -1);
    if (x->ColumnDefCount() == 0) {
        s.columnOfSlot[1] = m.HeaderColumnCount;
    } else {
        bool first = true;
        std::vector<Group*> path;
        const int cdc = x->ColumnDefCount();
        const std::function<void(Group&)> walk = [&](Group& parent) {
            for (auto& child : parent.children) {
                Group& g = *child;
                path.push_back(&g);
                const int end = m.ColumnCount() - (x->HasColumnGrandTotal() ? 1 : 0);
                if (g.level == cdc - 1) {
                    int c = m.HeaderColumnCount;
                    if (first) {
                        FillColumnHeaders(c, path);
                        first = false;
                    } else {
                        c = end;
                        NewColumn(c, path);
                    }
                    s.columnOfSlot[size_t(g.slot)] = c;
                } else {
                    walk(g);
                    if (g.slot >= 0) CreateColumnSubTotals(g, path);
                }
                path.pop_back();
            }
        };
        walk(*m_columnRoot);
    }
    if (s.hasGrandTotalColumn) s.columnOfSlot[0] = GrandTotalColumn();
}

void TppCrossTabEngine::CreateColumnSubTotals(const Group& aGroup, const std::vector<Group*>& aPath) {
    const int c = m_matrix->ColumnCount() - (m_crossTab->HasColumnGrandTotal() ? 1 : 0);
    m_matrix->InsertTotalColumn(c, aGroup.level, TppDataType::dtInteger, aGroup.normalized, aGroup.caption, true);
    FillSubTotalColumn(c, aGroup.level, aPath);
    m_slots->columnOfSlot[size_t(aGroup.slot)] = c;
}

void TppCrossTabEngine::NewColumn(int c, const std::vector<Group*>& aPath) {
    m_matrix->InsertColumns(c, 1, m_crossTab->ValueDefs(0)->GetDataType());
    FillColumnElements(c);
    FillColumnHeaders(c, aPath);
}

void TppCrossTabEngine::FillColumnElements(int c) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    for (int k = 0; k < x->ColumnDefCount(); ++k) m.SetElementIndex(c, k, indexOf(x->ColumnDefs(k)));
    int ref = m.HeaderColumnCount;
    if (c == ref) ref = m.NextNonTotalColumn(c + 1);
    const int valueEnd = m.RowCount() - x->VisibleRowGrandTotalCount();
    if (ref < m.ColumnCount())
        for (int r = m.HeaderRowCount; r < valueEnd; ++r) m.SetElementIndex(c, r, m.GetElementIndex(ref, r));
    if (x->RowDefCount() > 0)
        for (int r = valueEnd; r < m.RowCount(); ++r)
            if (TppTotalLabel* l = m.TotalLabel(0, r); l && l->ValueIndex >= 0)
                m.SetElementIndex(c, r, indexOf(x->RowGrandTotals(l->ValueIndex)->TotalDef()));
}

void TppCrossTabEngine::FillColumnHeaders(int c, const std::vector<Group*>& aPath) {
    for (int k = 0; k < m_crossTab->ColumnDefCount() && k < int(aPath.size()); ++k)
        m_matrix->SetValue(c, k, aPath[size_t(k)]->value);
}

void TppCrossTabEngine::FillSubTotalColumn(int c, int g, const std::vector<Group*>& aPath) {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    TppDimension* def = x->ColumnDefs(g);
    for (int k = 0; k < g; ++k) {
        m.SetValue(c, k, aPath[size_t(k)]->value);
        m.SetLevel(c, k, k);
        m.SetElementIndex(c, k, indexOf(x->ColumnDefs(k)));
    }
    for (int r = g; r < m.HeaderRowCount; ++r) m.SetElementIndex(c, r, indexOf(def->SubTotals(0)->CaptionDef()));
    const int valueEnd = m.RowCount() - x->VisibleRowGrandTotalCount();
    for (int r = m.HeaderRowCount; r < valueEnd; ++r) {
        auto* vd = qobject_cast<TppValueDef*>(Elements(m.GetElementIndex(m.HeaderColumnCount, r)));
        if (!vd) continue;
        const int v = x->IndexOfChild(vd);
        if (TppSubTotal* sub = def->SubTotals(v)) m.SetElementIndex(c, r, indexOf(sub->TotalDef()));
    }
}

void TppCrossTabEngine::storeCells() {
    Slots& s = *m_slots;
    TppMatrix& m = *m_matrix;
    for (size_t rowSlotV = 0; rowSlotV < s.cells.size(); ++rowSlotV) {
        auto& row = s.cells[rowSlotV];
        const int r = rowSlotV < s.rowOfSlot.size() ? s.rowOfSlot[rowSlotV] : -1;
        for (size_t columnSlot = 0; columnSlot < row.size(); ++columnSlot) {
            std::unique_ptr<TppCellValue>& cell = row[columnSlot];
            const int c = columnSlot < s.columnOfSlot.size() ? s.columnOfSlot[columnSlot] : -1;
            if (!cell || c < 0 || r < 0 || !m.Cell(c, r)) continue;
            cell->ElementIndex = m.GetElementIndex(c, r);
            m.ReplaceCell(c, r, std::move(cell));
        }
    }
    s.cells.clear();
}

// Captions ------------------------------------------------------------------------------------

void TppCrossTabEngine::FinishCaptions() {
    TppCrossTab* x = m_crossTab;
    TppMatrix& m = *m_matrix;
    const int cdc = x->ColumnDefCount(), rdc = x->RowDefCount(), vdc = x->ValueDefCount();
    const auto hideRow0 = [&] {
        for (int c = 0; c < m.ColumnCount(); ++c) m.SetShowText(c, 0, false);
    };
    const auto mergeRight = [&](int c, int r) {
        m.SetGridLine(c - 1, r, 1, false);
        m.SetGridLine(c, r, 0, false);
    };
    const auto mergeDown = [&](int c, int r) {
        m.SetGridLine(c, r - 1, 3, false);
        m.SetGridLine(c, r, 2, false);
    };
    const auto put = [&](int c, int r, const QString& text, int element) {
        m.SetValue(c, r, text);
        m.SetShowText(c, r, true);
        m.SetElementIndex(c, r, element);
    };

    m.HeaderRowCount += 1;
    m.InsertRows(0, 1, TppDataType::dtInteger);
    hideRow0();
    for (int r = 0; r < m.HeaderRowCount; ++r)
        for (int c = 0; c < m.HeaderColumnCount; ++c) m.SetShowText(c, r, false);

    if (vdc == 1 && (cdc > 0 || rdc > 0)) {
        if (cdc == 0) {
            m.HeaderRowCount += 1;
            m.InsertRows(0, 1, TppDataType::dtInteger);
            hideRow0();
        } else if (rdc == 0) {
            m.HeaderColumnCount += 1;
            m.InsertColumns(0, 1, TppDataType::dtInteger);
            for (int r = 0; r < m.RowCount(); ++r) m.SetShowText(0, r, false);
        }
    }
    if (vdc == 1) {
        TppValueCaptionDef* v = x->ValueDefs(0)->CaptionDef();
        const QString name = v->GetName();
        const int vi = indexOf(v);
        if (rdc > 0) {
            for (int i = 0; i < rdc; ++i) {
                put(i, 0, name, vi);
                if (i > 0) {
                    m.SetShowText(i, 0, false);
                    mergeRight(i, 0);
                }
            }
            if (cdc == 0) put(rdc, 1, ppGetMessageText(70), vi);
        } else if (cdc == 0) {
            put(0, 0, name, vi);
        } else {
            for (int i = 0; i <= cdc; ++i) {
                put(0, i, name, vi);
                if (i > 0) {
                    m.SetShowText(0, i, false);
                    mergeDown(0, i);
                }
            }
            put(0, cdc + 1, ppGetMessageText(70), vi);
        }
    } else {
        const int v0 = indexOf(x->ValueDefs(0)->CaptionDef());
        put(rdc, cdc, ppGetMessageText(71), v0);
        for (int c = 0; c <= rdc; ++c)
            for (int r = 0; r < cdc; ++r) m.SetShowText(c, r, false);
        if (cdc > 0) mergeDown(rdc, cdc);
        for (int i = 0; i <= rdc; ++i)
            for (int j = 0; j < cdc; ++j) {
                if (j > 0) m.SetGridLine(i, j, 2, false);
                m.SetGridLine(i, j, 3, false);
                if (i > 0) m.SetGridLine(i, j, 0, false);
                if (i < rdc) m.SetGridLine(i, j, 1, false);
            }
        if (cdc == 0) put(rdc + 1, 0, ppGetMessageText(70), v0);
        if (rdc == 0)
            for (int k = 0; k < vdc; ++k) {
                TppValueCaptionDef* cap = x->ValueDefs(k)->CaptionDef();
                put(0, cdc + 1 + k, cap->GetName(), indexOf(cap));
            }
    }
    for (int k = 0; k < cdc; ++k) put(m.HeaderColumnCount + k, 0, x->ColumnDefs(k)->GetName(), indexOf(x->ColumnDefs(k)));
    const int e = (vdc == 1 && cdc == 0) ? 1 : cdc;
    for (int k = 0; k < rdc; ++k) put(k, e, x->RowDefs(k)->GetName(), indexOf(x->RowDefs(k)));
}
