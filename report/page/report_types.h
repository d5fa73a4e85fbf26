#pragma once

// The enumerated types, set types and event signatures that every part of the report
// library shares. The ordinal of each value is its position in its list, from 0; templates
// store a value by its name, so neither the names nor their order may change.

#include "report/page/enum_type.h"
#include "report/page/enum_set.h"

#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

class QObject;

// Types of the class library that report objects store.
DOSSARA_REPORT_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
DOSSARA_REPORT_ENUM(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)

DOSSARA_REPORT_ENUM(TppBarCodeType, bcUPC_A, bcUPC_E, bcEAN_13, bcEAN_8, bcInt2of5, bcCode128, bcCode39, bcPostnet,
                    bcFIM, bcCodabar)
DOSSARA_REPORT_ENUM(TppBarCodeOrientation, orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop)
DOSSARA_REPORT_ENUM(TppBreakType, btDataField, btCustomField)
DOSSARA_REPORT_ENUM(TppCalcType, ctDate, ctDateTime, ctPrintDateTime, ctPageCount, ctPageSet, ctPageSetDesc, ctPageNo,
                    ctPageNoDesc, ctTime, ctCustom)
DOSSARA_REPORT_ENUM(TppDatabaseType, dtAdvantage, dtInterBase, dtMSAccess, dtMSSQLServer, dtSybaseASE, dtSybaseASA,
                    dtOracle, dtParadox, dtDBISAM, dtOther)
DOSSARA_REPORT_ENUM(TppDataType, dtBoolean, dtDate, dtTime, dtDateTime, dtInteger, dtSingle, dtDouble, dtExtended,
                    dtCurrency, dtChar, dtString, dtVariant, dtLongint, dtBLOB, dtMemo, dtGraphic, dtNotKnown)
DOSSARA_REPORT_ENUM(TppDBCalcType, dcCount, dcSum, dcMinimum, dcMaximum, dcAverage)
DOSSARA_REPORT_ENUM(TppDuplexType, dpNone, dpHorizontal, dpVertical)
DOSSARA_REPORT_ENUM(TppFileType, ftComma, ftTab, ftFixedLength, ftCustom)
DOSSARA_REPORT_ENUM(TppFormatType, ftBinary, ftASCII)
DOSSARA_REPORT_ENUM(TppLanguageType, lgDefault, lgDanish, lgDutch, lgEnglish, lgFrench, lgGerman, lgItalian,
                    lgPortugueseBrazil, lgPortuguese, lgSpanish, lgSpanishMexico, lgSwedish, lgNorwegian, lgCustom)
DOSSARA_REPORT_ENUM(TppLinePositionType, lpTop, lpBottom, lpLeft, lpRight)
DOSSARA_REPORT_ENUM(TppLineStyleType, lsSingle, lsDouble)
DOSSARA_REPORT_ENUM(TppPageSettingType, psAll, psPageList, psSinglePage, psFirstPage, psLastPage, psPageRange)
DOSSARA_REPORT_ENUM(TppPassSettingType, psOnePass, psTwoPass)
DOSSARA_REPORT_ENUM(TppPrintBehaviorType, pbChild, pbSection, pbFixed)
DOSSARA_REPORT_ENUM(TppPrintHeightType, phStatic, phDynamic)
DOSSARA_REPORT_ENUM(TppRangeBeginType, rbFirstRecord, rbLastRecord, rbCurrentRecord)
DOSSARA_REPORT_ENUM(TppRangeEndType, reFirstRecord, reLastRecord, reCurrentRecord, reCount)
DOSSARA_REPORT_ENUM(TppOrvelInterfaceOption, riDialog, riNotebookTab)
DOSSARA_REPORT_ENUM(TppOrvelOption, roViewVariables, roEditVariables, roViewEvents, roEditEvents, roViewGlobals,
                    roEditGlobals)
DOSSARA_REPORT_ENUM(TppSaveToType, stDatabase, stFile)
DOSSARA_REPORT_ENUM(TppSearchOperatorType, soEqual, soNotEqual, soLessThan, soLessThanOrEqualTo, soGreaterThan,
                    soGreaterThanOrEqualTo, soLike, soNotLike, soBetween, soNotBetween, soInList, soNotInList, soBlank,
                    soNotBlank)
DOSSARA_REPORT_ENUM(TppSortOrderType, soAscending, soDescending)
DOSSARA_REPORT_ENUM(TppShowComponent, scLabel, scMemo, scRichText, scCalc, scImage, scShape, scLine, scBarCode,
                    scTeeChart, scDBText, scDBMemo, scDBRichText, scDBCalc, scDBImage, scDBBarCode, scDBTeeChart,
                    scRegion, scSubReport, scSystemVariable, scVariable)
DOSSARA_REPORT_ENUM(TppSQLType, sqBDELocal, sqSQL1, sqSQL2)
DOSSARA_REPORT_ENUM(TppUnitType, utScreenPixels, utInches, utMillimeters, utPrinterPixels, utMMThousandths)
DOSSARA_REPORT_ENUM(TppVarEventType, veTraversal, veDataPipelineTraversal, vePageStart, vePageEnd, veColumnStart,
                    veColumnEnd, veReportStart, veReportEnd, veGroupStart, veGroupEnd, veGroupBeforeHeader,
                    veGroupBeforeFooter)
DOSSARA_REPORT_ENUM(TppVarType, vtDate, vtDateTime, vtPrintDateTime, vtPageCount, vtPageSet, vtPageSetDesc, vtPageNo,
                    vtPageNoDesc, vtTime)

/// Which component buttons the designer offers.
using TppShowComponents = report::EnumSet<TppShowComponent>;
/// Designer property OrvelInterface.
using TppOrvelInterfaceOptions = report::EnumSet<TppOrvelInterfaceOption>;
/// Designer property OrvelOptions.
using TppOrvelOptions = report::EnumSet<TppOrvelOption>;

// Event signatures. `Sender` is the object that fires the event; a reference parameter is
// one the handler may change and the caller reads back. Templates store an event by the
// name of its handler.
using TppComponentEvent = std::function<void(QObject* Sender, QObject* Component)>;
using TppCreateReportEvent = std::function<void(QObject* Sender, const QString& aDataName, QObject*& aReport)>;
using TppDrawCommandEvent = std::function<void(QObject* Sender, QObject* aDrawCommand)>;
using TppGetDataNamesEvent = std::function<void(QObject* Sender, QStringList& aDataNameList)>;
using TppGetDisplayFormatsEvent = std::function<void(QObject* Sender, QStringList& DisplayFormats)>;
/// aFieldList takes the field aliases, each with its field object (a TppField, not owned).
using TppGetFieldsEvent =
    std::function<void(QObject* Sender, const QString& aDataName, QList<std::pair<QString, QObject*>>& aFieldList)>;
using TppFormatEvent = std::function<void(QObject* Sender, const QString& DisplayFormat, TppDataType DataType,
                                          const QVariant& Value, QString& Text)>;
using TppGetBreakValueEvent = std::function<void(QObject* Sender, QString& aBreakValue)>;
using TppSaveTextEvent = std::function<void(QObject* Sender, QString& Text)>;
using TppGetTextEvent = std::function<void(QObject* Sender, QString& Text)>;
using TppMemoEvent = std::function<void(QObject* Sender, QStringList& aLines)>;
using TppPageRequestEvent = std::function<void(QObject* Sender, QObject* aPageRequest)>;
/// The picture is handed as the object that holds it (an image component's picture).
using TppPictureEvent = std::function<void(QObject* Sender, QObject* aPicture)>;
using TppTabChangeEvent = std::function<void(QObject* Sender, const QString& NewTab, bool& AllowChange)>;
using TppValidateComponentEvent = std::function<void(QObject* Sender, QObject* Component, bool& Valid)>;
using TppVarCalcEvent = std::function<void(QObject* Sender, QVariant& Value)>;

namespace report {

/// The enumerated types above, for the type registry.
const std::vector<const EnumType*>& ReportEnumTypes();

/// The value name of an ordinal of a type; empty when the ordinal is out of range.
template <class E>
QString EnumName(E value) {
    const EnumType& t = EnumTypeOf(value);
    const int i = static_cast<int>(value);
    return i >= 0 && i < t.values.size() ? t.values.at(i) : QString();
}

}  // namespace report
