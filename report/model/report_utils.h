#pragma once

// Small routines that many units of the report library share: published properties and
// enumerations by name, unique component names, a few mappings, pictures drawn through an
// off-screen canvas, and the system's temporary files.

#include "report/page/class_library.h"
#include "report/page/enum_type.h"
#include "report/page/report_types.h"

#include "platform/paint/canvas.h"
#include "platform/paint/graphics.h"
#include "platform/ui/dialog_service.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QPaintDevice;

// Published properties by name (Q_PROPERTYs, matched without regard to case).

/// True when the object's class publishes a property of that name; false for null.
bool ppHasProperty(const QObject* aObject, const QString& aName);
/// The ordinal value (integers, enumerations, Booleans); 0 without such a property.
int ppGetOrdPropValue(const QObject* aObject, const QString& aName);
/// The text value; empty without such a property.
QString ppGetStrPropValue(const QObject* aObject, const QString& aName);
/// Sets the property when it exists.
void ppSetOrdPropValue(QObject* aObject, const QString& aName, int aValue);
void ppSetStrPropValue(QObject* aObject, const QString& aName, const QString& aValue);
/// Sets an event property (of type TMethod) when it exists.
void ppSetMethodPropValue(QObject* aObject, const QString& aName, const TMethod& aMethod);
/// A method pointer to the object's published method (Q_INVOKABLE or slot) of that name;
/// null (IsNull) when it has none.
TMethod ppMakeMethod(QObject* aObject, const QString& aMethodName);

// Enumerations by type information.

QString ppGetEnumName(const report::EnumType& aTypeInfo, int aValue);  ///< empty when out of range
void ppGetEnumNames(const report::EnumType& aTypeInfo, QStringList& aList);  ///< clears, then all names
int ppEnumNameToOrdinal(const report::EnumType& aTypeInfo, const QString& aName);  ///< -1 when absent

// Component names.

/// The class name without its first character ("TppLabel" gives "ppLabel").
QString ppGetClassBaseName(const QObject* aComponent);
/// The class name without its first three characters ("TppLabel" gives "Label").
QString ppGetClassShortName(const QObject* aComponent);
/// aBaseName followed by the smallest positive n such that no component owned by aRoot
/// (its direct children) other than aComponent, of aComponent's class or a descendant,
/// is named aBaseName + n. Names count when they start with aBaseName (case-sensitive)
/// and go on with digits only that make a positive number ("Label01" counts as 1).
void ppGetUniqueName(const QObject* aRoot, const QString& aBaseName, const QObject* aComponent, QString& aName);

// Mappings.

/// Ordinals 1 to 8 map to the same ordinal; ctDate and ctCustom to vtDate.
TppVarType ppCalcTypeToVarType(TppCalcType aCalcType);
/// The communicator event id of a variable's event type.
int ppVarEventTypeToEventID(TppVarEventType aEventType);

// Pictures and measuring.

/// The smaller of target width / source width and target height / source height; 0 when a
/// source side is 0 or less.
double ppGetFitScale(int aSourceWidth, int aSourceHeight, int aTargetWidth, int aTargetHeight);
/// Draws a picture stretched into the rectangle.
void ppStretchDrawDIB(paint::Canvas& aCanvas, const QRect& aRect, const QImage& aBitmap);
/// Draws a picture stretched into the rectangle with white as the transparent colour, as
/// pictures are printed.
void ppDrawBitmapOnPrinter(paint::Canvas& aCanvas, const QRect& aRect, const QImage& aBitmap);
/// The screen's size in pixels; 1024 x 768 without a screen.
QSize ppGetScreenResolution();
/// Width and text-metric height of a text in a font on the screen, in whole pixels (rounded).
int ppGetTextWidth(const paint::Font& aFont, const QString& aText);
int ppGetTextHeight(const paint::Font& aFont, const QString& aText);
inline QRect ppRect(int aLeft, int aTop, int aRight, int aBottom) {
    return QRect(QPoint(aLeft, aTop), QPoint(aRight - 1, aBottom - 1));
}

/// An off-screen canvas of a given size at a target device's resolution, filled white, so
/// that text drawn on it has the device's size; DrawToDevice copies it onto a painter.
class TppDeviceCompatibleCanvas {
public:
    TppDeviceCompatibleCanvas(const QPaintDevice& aTarget, int aWidth, int aHeight);
    ~TppDeviceCompatibleCanvas();
    TppDeviceCompatibleCanvas(const TppDeviceCompatibleCanvas&) = delete;
    TppDeviceCompatibleCanvas& operator=(const TppDeviceCompatibleCanvas&) = delete;

    paint::Canvas& Canvas() { return *m_canvas; }
    const QImage& Bitmap() const { return m_image; }
    /// Copies the bitmap into aRect of the painter's device.
    void DrawToDevice(QPainter& aTarget, const QRect& aRect);

private:
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<paint::Canvas> m_canvas;
};

// Other routines.

/// A modal message through the dialog service: caption (empty: the default), text, kind
/// (Custom is shown as an error), buttons; answers the button chosen. Pictures in message
/// boxes are not shown.
ui::Button ppMessageDlg(const QString& aCaption, const QString& aMessage, ui::MessageKind aDlgType,
                        ui::Buttons aButtons);
/// The system's temporary folder, with a trailing separator.
QString ppGetTempPath();
/// A new, unique, empty file in aFolder whose name starts with aPrefix; empty on failure.
QString ppGetTempFileName(const QString& aFolder, const QString& aPrefix);
/// The folder the help files are found under: the program's own folder (with a trailing
/// "/"; its Help folder holds them); empty without an application object.
QString ppGetIDERootDir();
