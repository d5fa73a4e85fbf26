#pragma once

// Laying text out in lines and turning values into display text: word wrap, measuring,
// lines per height, value formatting by data type, the display formats the designer
// offers, page lists, padding and small text routines. Plain routines without state.
// Text is measured device-independently through the drawing layer: at a printer's
// resolution when one is given, else at the screen's, and widths are compared unrounded so
// lines break at the same words on every device.

#include "report/page/report_font.h"
#include "report/page/report_types.h"
#include "report/page/units.h"

#include <QByteArray>
#include <QRect>
#include <QStringList>
#include <QVariant>

namespace paint {
class TextMetrics;
}

/// Breaks aText, from character offset aStartPos, into the lines that fit aRect (width and
/// height in mm-thousandths) in aFont with aLeading (mm-thousandths) between lines.
/// Paragraphs end at line feeds (a carriage return before one is dropped); a line that
/// follows a soft wrap loses its leading blanks, every line its trailing ones; a word wider
/// than the width is one line of its own, or with aCharWrap is broken between characters
/// (its last piece also a line of its own). With aLimitByHeight, reading stops when the
/// rectangle is full, and aStartPos is handed back as the offset of the first character not
/// yet output (the next page of a memo starts there); -1 when the whole text was used.
/// aTabStops: positions in mm-thousandths for tabbed measuring (may be null).
void ppWordWrap(const QString& aText, const QRect& aRect, const TppFont& aFont, int aLeading, bool aLimitByHeight,
                QStringList& aLines, const QStringList* aTabStops, const report::PrinterResolution* aPrinter,
                int& aStartPos, bool aCharWrap);

/// The word from aPos up to and including the first blank, tab or line feed; aPos moves
/// after it, or to -1 when none follows (the word is then the rest of the text).
QString ppGetNextWord(const QString& aText, int& aPos);

/// The tabbed width of aText in aMetrics' pixels exceeds aWidth (pixels, unrounded).
bool ppTextExceedsWidth(const QString& aText, qreal aWidth, const paint::TextMetrics& aMetrics,
                        const std::vector<qreal>& aTabStops);

/// Lines of aFont with aLeading (mm-thousandths) that fit aHeight (mm-thousandths) at the
/// printer's vertical resolution (the screen's without one); aLineHeight receives one
/// line's height in mm-thousandths.
int ppGetLinesPerHeight(const TppFont& aFont, int aLeading, int aHeight, int& aLineHeight,
                        const report::PrinterResolution* aPrinter);

/// aValue as text by aDataType and aDisplayFormat; a null value gives an empty text.
QString ppFormatValue(const QString& aDisplayFormat, TppDataType aDataType, const QVariant& aValue);
/// A numeric text (thousands separators allowed) formatted with aDisplayFormat, or without
/// one with as many decimals as it has; an unreadable text gives an empty result.
QString ppFormatNumericText(const QString& aText, const QString& aDisplayFormat);
/// The display formats the designer offers for a data type: "<sample>\x01<format>" items.
void ppGetDisplayFormats(TppDataType aDataType, QStringList& aList);
/// Page numbers of a text such as "1,3,5-12", each once, right-aligned in 8 characters,
/// sorted; with aTrim the leading blanks are removed.
void ppTextToPageList(const QString& aText, QStringList& aList, bool aTrim);
/// The text of a system variable (date, time, page numbers); aKnown false (design time)
/// shows page numbers as 1, aPrintDateTime 0 means "now".
void ppGetSystemVariableText(TppVarType aVarType, int aPageNo, int aPageCount, QString& aText, bool aKnown,
                             double aPrintDateTime);
/// The same for calculation types of the same ordinals; ctCustom gives an empty text.
void ppGetCalcText(TppCalcType aCalcType, int aPageNo, int aPageCount, QString& aText, bool aKnown,
                   double aPrintDateTime);
/// Cut or padded with blanks to aLength: 0 left-justified, 1 right-justified, 2 centred.
QString ppPadText(const QString& aText, int aLength, int aJustify);

/// Splits "a.b" at the first ".": when b is DB, DBF, MDB or DAT (any case) the table is a
/// file, aTable the whole name, aOwner empty, answer True; otherwise aTable b and aOwner a,
/// answer False. Without "." aTable is the whole text.
/// Splits a table name at its first ".": a file extension (DB, DBF, MDB, DAT, any case)
/// sets aFileFlag and gives the base name and the extension; otherwise aFileFlag is cleared
/// and the name is the part after the point, aSecond the owner before it. A name without a
/// point is the whole text, with no second part and aFileFlag left as it was.
void ppParseTableName(const QString& aText, QString& aName, QString& aSecond, bool& aFileFlag);
void ppCommaTextToList(const QString& aText, QStringList& aList);
QString ppExtractFilePath(const QString& aPath);
QString ppRemoveChar(QChar aChar, const QString& aText);
QString ppStripChar(const QString& aText, QChar aChar);
bool ppEqualText(const QString& a, const QString& b);
/// The lines joined with CR LF, UTF-8.
QByteArray ppStringsToStream(const QStringList& aList);
QString ppGetScalableFontName(const QString& aName);
QString ppTextToIdentifier(const QString& aText);
QString ppProperCase(const QString& aText);
int ppVersionToInt(const QString& aText);
void ppPointToDecimalSeparator(QStringList& aList);
bool ppConvertOldTextTemplate(QStringList& aList);
/// The name the templates call it by: rewrites the lines of a text template older than
/// version 3000 in place (integer measurements become decimals).
inline bool ppConvertOldTemplateText(QStringList& aList) { return ppConvertOldTextTemplate(aList); }
QString ppTrimText(const QString& aText);
QString ppTrimLeftText(const QString& aText);
QString ppTrimRightText(const QString& aText);
/// The locale's text-to-date-time conversion, as a day number; raises format::EConvertError.
double ppStrToDateTime(const QString& aText);
