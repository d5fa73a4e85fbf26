#include "platform/db/gui/picture.h"

#include <QBuffer>

namespace db::gui {

QImage PictureFromBytes(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    QImage image;
    if (!image.loadFromData(bytes)) return {};
    return image;
}

QByteArray PictureToBytes(const QImage& picture) {
    if (picture.isNull()) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

QImage TransparentPicture(const QImage& picture) {
    if (picture.isNull() || picture.hasAlphaChannel()) return picture;
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return result;
}

}  // namespace db::gui
