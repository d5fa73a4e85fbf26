#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QPalette>
#include <QRect>

class QPainter;

/// The border styles the file-system controls draw themselves.
enum class TFrameStyle { fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup };

enum class TSide { sdLeft = 0x1, sdTop = 0x2, sdRight = 0x4, sdBottom = 0x8 };
Q_DECLARE_FLAGS(TSides, TSide)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSides)

inline constexpr TSides kAllSides = TSides(TSide::sdLeft) | TSide::sdTop | TSide::sdRight | TSide::sdBottom;

/// The system colours of the frame table, taken from a palette (the theme's colours stand
/// in for the old platform's system colours).
struct FrameColors {
    QColor BtnShadow;     ///< QPalette::Dark
    QColor BtnHighlight;  ///< QPalette::Light
    QColor BtnText;       ///< QPalette::ButtonText
    QColor Light3D;       ///< QPalette::Midlight
    QColor DkShadow3D;    ///< QPalette::Shadow
    QColor WindowFrame;   ///< QPalette::WindowText
    static FrameColors FromPalette(const QPalette& palette);
};

// Every routine draws in whole pixels on `rect`, whose right and bottom edges are
// rect.x() + rect.width() and rect.y() + rect.height() (exclusive), and returns the
// rectangle inside what it drew.

/// Left and top lines in `topLeft` along the left and top edges, right and bottom lines in
/// `bottomRight` one pixel inside the right and bottom edges, only on `sides`; the result
/// is shrunk by one pixel on each drawn side.
QRect DrawSides(QPainter& painter, QRect rect, const QColor& topLeft, TSides sides, const QColor& bottomRight);
/// DrawSides `count` times, each inside the last.
QRect DrawBevel(QPainter& painter, QRect rect, const QColor& topLeft, TSides sides, int count, const QColor& bottomRight);
/// The style's drawing from the frame table on `sides`.
QRect DrawBorder(QPainter& painter, QRect rect, TFrameStyle style, TSides sides, const FrameColors& colors);
/// On (0, 0, width, height): two rings in `background` on all sides, then a `frameColor`
/// line on `sides` (fsFlat) or DrawBorder with `style`.
void DrawFrame(QPainter& painter, int width, int height, TSides sides, const QColor& frameColor,
               const QColor& background, TFrameStyle style, const FrameColors& colors);

/// The font's character height on the screen plus 2.
int FontHeightOf(const QFont& font);
