#include "report/crosstab/crosstab_classes.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/crosstab_adapters.h"
#include "report/crosstab/crosstab_renderer.h"

#include "report/model/palette_registry.h"
#include "report/page/resource_manager.h"
#include "report/script/enum_types.h"

#include "platform/stream/class_registry.h"

namespace report {

namespace {

bool g_registered = false;

template <class T>
void registerStreamed() {
    stream::ClassRegistry::Global().Register<T>(QString::fromLatin1(T::staticMetaObject.className()));
    RegisterClass(&T::staticMetaObject);
}

template <class T>
void unregisterStreamed() {
    stream::ClassRegistry::Global().Unregister(QString::fromLatin1(T::staticMetaObject.className()));
    UnRegisterClass(&T::staticMetaObject);
}

const EnumType* const kEnumTypes[] = {&EnumTypeOf(TppCrossTabPaginationType{}), &EnumTypeOf(TppCrossTabChildType{}),
                                      &EnumTypeOf(TppTotalType{}), &EnumTypeOf(TppNullOrderType{})};

}  // namespace

void DeclareCrossTabTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {16, "of"},
            {68, "(blank)"},
            {69, "Calculating Crosstab: Record <count>."},
            {70, "Total"},
            {71, "Data"},
            {72, "Grand Total"},
            {73, "CrossTab: <name> references field '<name>'"},
            {74, "which is not a field of data pipeline: <name>."},
            {75, "Subtotal"},
            {76, "Formatting CrossTab: Compute cell heights and widths."},
            {77, "Formatting CrossTab Values: Compute cell heights and widths."},
            {78, "Formatting CrossTab Values: Compute cell heights and widths. Column: <count> Row: <count>"},
            {79, "Formatting CrossTab Rows: Compute caption text sizes."},
            {80, "Formatting CrossTab Rows: Coalesce caption heights."},
            {81, "Formatting CrossTab Rows: Allocate caption heights."},
            {82, "Formatting CrossTab Rows: Adjust total row heights."},
            {83, "Formatting CrossTab Rows: Allocate caption widths."},
            {84, "Formatting CrossTab Columns: Compute caption text sizes."},
            {85, "Formatting CrossTab Columns: Coalesce caption widths."},
            {86, "Formatting CrossTab Columns: Coalesce caption heights."},
            {87, "Formatting CrossTab Columns: Allocate caption widths."},
            {88, "Formatting CrossTab Columns: Adjust total column heights."},
            {89, "Formatting CrossTab Columns: Position field labels."},
            {90, "Formatting CrossTab Values: Position field labels."},
            {91, "Formatting CrossTab Values: Allocate caption heights."},
            {371, "ParentWidth"},
            {443, "Configure..."},
            {487, "Draw"},
            {490, "Standard"},
            {634, "Style"},
            {675, "Pagination"},
            {676, "Across then Down"},
            {677, "Down then Across"},
            {695, "CrossTab"},
            {1023, "Cannot generate report."},
            {1028, "Count"},
            {1029, "Sum"},
            {1030, "Minimum"},
            {1031, "Maximum"},
            {1032, "Average"},
        });
        return true;
    }();
    (void)declared;
}

void RegisterCrossTabClasses() {
    DeclareCrossTabTexts();
    if (g_registered) return;
    g_registered = true;
    registerStreamed<TppColumnDef>();
    registerStreamed<TppRowDef>();
    registerStreamed<TppValueDef>();
    registerStreamed<TppGrandTotal>();
    registerStreamed<TppSubTotal>();
    registerStreamed<TppTotalDef>();
    registerStreamed<TppTotalCaptionDef>();
    registerStreamed<TppValueCaptionDef>();
    registerStreamed<TppCrossTab>();
    if (!ppPaletteHooksInstalled()) InstallPaletteRegistry();
    ppRegisterPaletteComponent(&TppCrossTab::staticMetaObject, QStringLiteral("Advanced Components"), 2, 0, QString(), 695);
    for (const EnumType* t : kEnumTypes) {
        report::RegisterEnumType(*t);
        ::RegisterEnumType(t->name, *t);
    }
    raRegisterRTTI<TraTppCrossTabRTTI>();
    raRegisterRTTI<TraTppElementRTTI>();
    raRegisterRTTI<TraTppDimensionRTTI>();
    raRegisterRTTI<TraTppValueDefRTTI>();
    raRegisterRTTI<TraTppTotalRTTI>();
    ppRegisterCrossTabRenderers();
}

void UnRegisterCrossTabClasses() {
    if (!g_registered) return;
    g_registered = false;
    if (ppPaletteHooksInstalled()) ppUnregisterPaletteComponent(&TppCrossTab::staticMetaObject);
    unregisterStreamed<TppColumnDef>();
    unregisterStreamed<TppRowDef>();
    unregisterStreamed<TppValueDef>();
    unregisterStreamed<TppGrandTotal>();
    unregisterStreamed<TppSubTotal>();
    unregisterStreamed<TppTotalDef>();
    unregisterStreamed<TppTotalCaptionDef>();
    unregisterStreamed<TppValueCaptionDef>();
    unregisterStreamed<TppCrossTab>();
    for (const EnumType* t : kEnumTypes) ::UnregisterEnumType(t->name);
    raUnRegisterRTTI(RTTIInstance<TraTppCrossTabRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppElementRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppDimensionRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppValueDefRTTI>());
    raUnRegisterRTTI(RTTIInstance<TraTppTotalRTTI>());
    ppUnRegisterCrossTabRenderers();
}

}  // namespace report
