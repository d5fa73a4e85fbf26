#pragma once

#include "platform/paint/graphics.h"

#include <QFont>
#include <QString>

namespace paint {

/// Text is laid out in units of 1/7200 inch, independent of any device: a font is measured
/// once at this resolution (hinting off, no kerning, as the Windows text functions measure)
/// and every device's widths are these scaled by its resolution. 7200 is a whole multiple
/// of the usual resolutions (72, 96, 120, 150, 300, 600, 1200 dpi), so a width converts to
/// their pixels exactly, and a line breaks at the same word on screen, printer and PDF.
inline constexpr int kLayoutUnitsPerInch = 7200;

/// The kind of a face, used to ask fontconfig for a substitute of the same kind.
enum class FontKind { Unknown, Sans, Serif, Mono, Symbol };

/// The kind of a Windows face name that is known to us; Unknown for other names.
FontKind KindOfFace(const QString& faceName);

/// The installed family that stands in for a face name. In this order:
///   1. the metric-compatible family for Arial, Helvetica, Times New Roman, Times, Courier
///      New and Courier (Liberation Sans, Serif and Mono), when it is installed;
///   2. the face itself, when a family of that name is installed;
///   3. fontconfig's substitute for the name, asked with the name's kind (sans, serif,
///      monospace) when the name is a known Windows face.
/// The answer for a name is kept for the life of the process.
QString InstalledFamily(const QString& faceName);

/// The Qt font that lays out and draws `font`: the installed family at the layout
/// resolution (pixel size = points x 100), hinting off, kerning off, with its styles.
QFont LayoutFont(const Font& font);

}  // namespace paint
