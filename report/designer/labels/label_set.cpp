#include "report/designer/labels/label_set.h"

#include "report/designer/labels/errors.h"
#include "report/designer/labels/internal/stock_tables.h"
#include "report/model/band.h"
#include "report/model/custom_report.h"
#include "report/model/text_layout.h"
#include "report/page/printer_setup.h"

#include "platform/format/number_format.h"
#include "platform/format/number_parse.h"

#include <algorithm>

namespace {

/// Item numbers of a definition.
constexpr int kFirstPosition = 14;
constexpr int kColumnsItem = 13;

QStringList tableLines(const char* aTable) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(aTable).split(u'\n')) {
        QString text = line;
        if (text.endsWith(u'\r')) text.chop(1);
        if (text.isEmpty() || text.startsWith(u'#')) continue;
        lines << text;
    }
    return lines;
}

/// Numbers of a definition: "." as decimal point, whatever the user's settings (which are
/// neither read nor changed).
const format::FormatSettings& definitionNumbers() {
    static const format::FormatSettings settings = [] {
        format::FormatSettings s;
        s.decimalSeparator = QLatin1Char('.');
        return s;
    }();
    return settings;
}

float realItem(const QString& aItem) { return float(format::StrToFloat(aItem, definitionNumbers())); }

QList<const TppLabelSet*>& registry() {
    static QList<const TppLabelSet*> sets;
    return sets;
}

}  // namespace

template <class Root>
QString TppTableLabelSet<Root>::GetDefinitionText(int aIndex) const {
    if (aIndex < 0 || aIndex >= m_definitions.size())
        throw ELabelDefinitionError(QStringLiteral("The label set \"%1\" has no definition %2.").arg(m_setName).arg(aIndex));
    return m_definitions.at(aIndex);
}

// Parsing and applying ----------------------------------------------------------------------

void TppLabelSet::ParseDefinition(int aIndex, TppLabelDefinition& aDefinition) const {
    ParseDefinitionText(GetDefinitionText(aIndex), aDefinition);
}

void TppLabelSet::ParseDefinitionText(const QString& aText, TppLabelDefinition& aDefinition) const {
    QStringList items;
    ppCommaTextToList(aText, items);
    auto refuse = [&](const QString& aWhy) {
        return ELabelDefinitionError(QStringLiteral("The label definition \"%1\" cannot be read: %2.").arg(aText, aWhy));
    };
    if (items.size() <= kColumnsItem)
        throw refuse(QStringLiteral("it has %1 items, at least %2 are needed").arg(items.size()).arg(kColumnsItem + 1));
    TppLabelDefinition d;
    d.SetName = GetSetName();
    d.DotMatrix = IsDotMatrix() ? 1 : 0;
    d.Category = items.at(0);
    d.Product = items.at(1);
    float* reals[] = {&d.LabelWidth, &d.LabelHeight, &d.PaperWidth, &d.PaperHeight, &d.Top, &d.Bottom, &d.Left, &d.Right};
    for (int i = 0; i < 8; ++i) *reals[i] = realItem(items.at(2 + i));
    d.Orientation = std::uint8_t(format::StrToInt(items.at(10)));
    if (d.PaperWidth > d.PaperHeight) d.Orientation = 1;
    d.RowGap = realItem(items.at(11));
    const int units = format::StrToInt(items.at(12));
    if (units < int(TppUnitType::utScreenPixels) || units > int(TppUnitType::utMMThousandths))
        throw refuse(QStringLiteral("%1 is not a unit").arg(units));
    d.Units = std::uint8_t(units);
    d.Columns = format::StrToInt(items.at(kColumnsItem));
    if (d.Columns < 0 || d.Columns > TppLabelDefinition::kMaxColumns)
        throw refuse(QStringLiteral("%1 columns, at most %2 are possible").arg(d.Columns).arg(TppLabelDefinition::kMaxColumns));
    if (items.size() != kFirstPosition + d.Columns)
        throw refuse(QStringLiteral("%1 columns need %2 items, it has %3")
                         .arg(d.Columns)
                         .arg(kFirstPosition + d.Columns)
                         .arg(items.size()));
    for (int c = 0; c < d.Columns; ++c) d.ColumnPositions[size_t(c)] = realItem(items.at(kFirstPosition + c));
    aDefinition = d;
}

void TppLabelSet::ApplyDefinition(const TppLabelDefinition& aDefinition, TppCustomReport* aReport) {
    if (!aReport) return;
    const TppUnitType reportUnits = aReport->Units();
    aReport->SetUnits(TppUnitType(aDefinition.Units));
    TppPrinterSetup* setup = aReport->PrinterSetup();
    setup->SetOrientation(aDefinition.Orientation ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
    setup->SetPaperWidth(aDefinition.PaperWidth);
    setup->SetPaperHeight(aDefinition.PaperHeight);
    setup->SetMarginLeft(aDefinition.Left);
    setup->SetMarginTop(aDefinition.Top);
    setup->SetMarginBottom(aDefinition.Bottom);
    setup->SetMarginRight(aDefinition.Right);
    if (TppBand* detail = aReport->GetBand(TppBandType::btDetail)) {
        detail->SetHeight(aDefinition.LabelHeight);
        detail->SetBottomOffset(aDefinition.RowGap);
    }
    // A sheet of labels has no column header or footer: those the column count brings are
    // taken away again; bands the report had are kept.
    const bool hadColumnHeader = aReport->GetBand(TppBandType::btColumnHeader) != nullptr;
    const bool hadColumnFooter = aReport->GetBand(TppBandType::btColumnFooter) != nullptr;
    aReport->SetColumns(aDefinition.Columns);
    if (!hadColumnHeader) delete aReport->GetBand(TppBandType::btColumnHeader);
    if (!hadColumnFooter) delete aReport->GetBand(TppBandType::btColumnFooter);
    QStringList positions;
    if (aDefinition.Columns > 1)
        for (int c = 0; c < std::min(aDefinition.Columns, TppLabelDefinition::kMaxColumns); ++c)
            positions << format::FloatToStrF(aDefinition.ColumnPositions[size_t(c)], format::FloatFormat::General, 7, 0);
    aReport->SetColumnPositions(positions);
    aReport->SetColumnWidth(aDefinition.LabelWidth);
    delete aReport->GetBand(TppBandType::btHeader);
    delete aReport->GetBand(TppBandType::btFooter);
    aReport->SetUnits(reportUnits);
}

// The shipped sets ---------------------------------------------------------------------------

const TppLabelSet* TppAveryStdLaserJetLabels::Class() {
    static const TppTableLabelSet<TppLaserJetLabels> set("TppAveryStdLaserJetLabels", "Avery Standard",
                                                         tableLines(labels::kAveryStandardLaser));
    return &set;
}

const TppLabelSet* TppAveryStdDotMatrixLabels::Class() {
    static const TppTableLabelSet<TppDotMatrixLabels> set("TppAveryStdDotMatrixLabels", "Avery Standard",
                                                          tableLines(labels::kAveryStandardDotMatrix));
    return &set;
}

const TppLabelSet* TppAveryA4A5LaserJetLabels::Class() {
    static const TppTableLabelSet<TppLaserJetLabels> set("TppAveryA4A5LaserJetLabels", "Avery A4 and A5 sizes",
                                                         tableLines(labels::kAveryA4A5Laser));
    return &set;
}

const TppLabelSet* TppAveryUKDotMatrixLabels::Class() {
    static const TppTableLabelSet<TppDotMatrixLabels> set("TppAveryUKDotMatrixLabels", "Avery International (UK)", {});
    return &set;
}

const TppLabelSet* TppAveryFranceDotMatrixLabels::Class() {
    static const TppTableLabelSet<TppDotMatrixLabels> set("TppAveryFranceDotMatrixLabels",
                                                          "Avery International (France)", {});
    return &set;
}

// Registry -----------------------------------------------------------------------------------

void ppRegisterLabelSet(const TppLabelSet* aSet) {
    if (aSet && !registry().contains(aSet)) registry().append(aSet);
}

void ppUnregisterLabelSet(const TppLabelSet* aSet) { registry().removeAll(aSet); }

void ppGetLabelSets(bool aDotMatrix, TppLabelSetList& aList) {
    aList.clear();
    for (const TppLabelSet* set : registry())
        if (set->IsDotMatrix() == aDotMatrix) aList.append({set->GetSetName(), set});
}

void ppGetLabelProducts(const QString& aSetName, bool aDotMatrix, TppLabelSetList& aList) {
    aList.clear();
    TppLabelSetList sets;
    ppGetLabelSets(aDotMatrix, sets);
    const auto found = std::find_if(sets.cbegin(), sets.cend(), [&](const auto& entry) {
        return entry.first.compare(aSetName, Qt::CaseInsensitive) == 0;
    });
    if (found == sets.cend()) return;
    const TppLabelSet* set = found->second;
    for (int i = 0; i < set->GetDefinitionCount(); ++i) {
        QStringList items;
        ppCommaTextToList(set->GetDefinitionText(i), items);
        aList.append({items.value(1) + QStringLiteral(" - ") + items.value(0), set});
    }
}

namespace report {

namespace {
QList<const TppLabelSet*> shippedSets() {
    return {TppAveryStdDotMatrixLabels::Class(), TppAveryStdLaserJetLabels::Class(), TppAveryA4A5LaserJetLabels::Class(),
            TppAveryUKDotMatrixLabels::Class(), TppAveryFranceDotMatrixLabels::Class()};
}
}  // namespace

void RegisterLabelSets() {
    for (const TppLabelSet* set : shippedSets())
        if (set->GetDefinitionCount() > 0) ppRegisterLabelSet(set);
}

void UnRegisterLabelSets() {
    for (const TppLabelSet* set : shippedSets()) ppUnregisterLabelSet(set);
}

}  // namespace report
