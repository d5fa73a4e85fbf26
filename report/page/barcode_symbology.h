#pragma once

// The barcode symbologies: turning a barcode's data into a row of device pixels (a module
// buffer) at a given resolution, the check digits, the UPC/EAN add-ons and the automatic
// code-set choice of Code 128. A module buffer holds one character per pixel along the
// symbol: '1' a bar pixel, '0' a space pixel; POSTNET buffers hold one character per column,
// '2' a full bar, '1' a half bar, '0' a space. Buffers grow with the data and the
// resolution, so no symbol is ever cut short.

#include "report/page/report_types.h"

#include <QByteArray>
#include <QString>

// TppBarCodeType (the ten symbologies, ordinals 0 to 9) and TppBarCodeOrientation are
// declared with the report's other enumerations.

namespace report::barcode {

/// Code 128 control characters, by their Windows-1252 positions (the same Unicode code points).
inline constexpr int kFNC3 = 201, kFNC2 = 202, kShift = 203, kCodeC = 204, kCodeB = 205, kCodeA = 206,
                     kFNC1 = 207, kStartA = 208, kStartB = 209, kStartC = 210;

/// Declares the barcode's numbered texts (idempotent).
void DeclareBarCodeTexts();

/// What an encoder takes from the draw command.
struct EncodeInput {
    TppBarCodeType Type = TppBarCodeType::bcCode39;
    QString Data;
    bool CalcCheckDigit = true;
    bool AutoEncode = false;
    int BarWidth = 254;          ///< narrow module, mm-thousandths
    double WideBarRatio = 3;     ///< wide element in narrow elements
    bool CodeOK = true;
};

/// The encoder's answer: the buffer, the data as encoded (check digit appended, Code 128
/// rewritten by AutoEncode) and, for a Code 128 error, the message that refuses it.
struct EncodeResult {
    QByteArray Modules;
    QString Data;
    bool CodeOK = true;
    int MessageNo = 0;           ///< numbered text of the error; 0 for none or an unnumbered one
    QString Message;             ///< the error text as shown
};

/// The main symbol at `aResolution` pixels per inch. Empty data or CodeOK false gives an
/// empty buffer.
EncodeResult Encode(const EncodeInput& aInput, int aResolution);
/// The two- or five-digit add-on of a UPC or EAN symbol; empty for other types or lengths.
QByteArray EncodeAddOn(TppBarCodeType aType, const QString& aAddOnCode, int aBarWidth, int aResolution);

/// Check digits, each answering the data with its digit appended.
QString AddUPCCheckDigit(const QString& aDigits);
QString AddEAN13CheckDigit(const QString& aDigits);
QString AddInt2of5CheckDigit(const QString& aDigits);
QString AddPostnetCheckDigit(const QString& aDigits);
/// The eleven-digit UPC-A body a six-digit UPC-E stands for (number system 0).
QString ExpandUPCE(const QString& aSixDigits);

/// The parity pattern ("AB", "BABAA", ...) of a two- or five-digit add-on.
QString AddOnParity(const QString& aAddOnCode);
/// Code 128 data with its code-set characters chosen automatically.
QString Code128AutoEncode(const QString& aData);

/// The UPC/EAN digit patterns ('A' odd left, 'B' even left, 'C' right), seven modules.
QByteArray DigitPattern(char aSet, int aDigit);
/// A character's Windows-1252 position (256 for one the code page lacks).
int CodePagePosition(QChar aChar);
/// Pixels of `aMMThousandths` times `aFactor` at a resolution, rounded half to even.
int Pixels(int aMMThousandths, double aFactor, int aResolution);

}  // namespace report::barcode
