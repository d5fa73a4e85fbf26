#include "report/page/report_types.h"

namespace report {

const std::vector<const EnumType*>& ReportEnumTypes() {
    static const std::vector<const EnumType*> types = {
        &EnumTypeOf(TppBarCodeType{}),        &EnumTypeOf(TppBarCodeOrientation{}),
        &EnumTypeOf(TppBreakType{}),          &EnumTypeOf(TppCalcType{}),
        &EnumTypeOf(TppDatabaseType{}),       &EnumTypeOf(TppDataType{}),
        &EnumTypeOf(TppDBCalcType{}),         &EnumTypeOf(TppDuplexType{}),
        &EnumTypeOf(TppFileType{}),           &EnumTypeOf(TppFormatType{}),
        &EnumTypeOf(TppLanguageType{}),       &EnumTypeOf(TppLinePositionType{}),
        &EnumTypeOf(TppLineStyleType{}),      &EnumTypeOf(TppPageSettingType{}),
        &EnumTypeOf(TppPassSettingType{}),    &EnumTypeOf(TppPrintBehaviorType{}),
        &EnumTypeOf(TppPrintHeightType{}),    &EnumTypeOf(TppRangeBeginType{}),
        &EnumTypeOf(TppRangeEndType{}),       &EnumTypeOf(TppOrvelInterfaceOption{}),
        &EnumTypeOf(TppOrvelOption{}),        &EnumTypeOf(TppSaveToType{}),
        &EnumTypeOf(TppSearchOperatorType{}), &EnumTypeOf(TppSortOrderType{}),
        &EnumTypeOf(TppShowComponent{}),      &EnumTypeOf(TppSQLType{}),
        &EnumTypeOf(TppUnitType{}),           &EnumTypeOf(TppVarEventType{}),
        &EnumTypeOf(TppVarType{}),           &EnumTypeOf(TAlignment{}),
        &EnumTypeOf(TShapeType{}),
    };
    return types;
}

}  // namespace report
