#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace db::gui {

/// Pictures in graphic fields are stored as image files (PNG when this code writes them;
/// BMP, PNG and the other formats Qt reads are accepted).

/// The picture of a graphic field's bytes; a null image for no bytes or bytes that are not
/// a picture.
QImage PictureFromBytes(const QByteArray& bytes);
/// The bytes stored for a picture (PNG); empty for a null image.
QByteArray PictureToBytes(const QImage& picture);

/// A picture drawn "transparently": one without an alpha channel takes the colour of its
/// bottom-left pixel as transparent, as bitmaps of small icons are drawn.
QImage TransparentPicture(const QImage& picture);

}  // namespace db::gui
