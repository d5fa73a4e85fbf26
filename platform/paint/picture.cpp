#include "platform/paint/picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace paint {

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> sig, qsizetype offset = 0) {
    if (bytes.size() < offset + qsizetype(sig.size())) return false;
    qsizetype i = offset;
    for (unsigned char c : sig)
        if (static_cast<unsigned char>(bytes.at(i++)) != c) return false;
    return true;
}

const char* qtFormatOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bitmap: return "BMP";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Icon: return "ICO";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Metafile:
    case PictureFormat::EnhancedMetafile: break;
    }
    return nullptr;
}

const char* nameOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bitmap: return "bitmap";
    case PictureFormat::Jpeg: return "JPEG image";
    case PictureFormat::Png: return "PNG image";
    case PictureFormat::Icon: return "icon";
    case PictureFormat::Gif: return "GIF image";
    case PictureFormat::Metafile: return "Windows metafile";
    case PictureFormat::EnhancedMetafile: return "enhanced Windows metafile";
    }
    return "picture";
}

}  // namespace

std::optional<PictureFormat> DetectPictureFormat(const QByteArray& b) {
    if (startsWith(b, {'B', 'M'})) return PictureFormat::Bitmap;
    if (startsWith(b, {0xFF, 0xD8, 0xFF})) return PictureFormat::Jpeg;
    if (startsWith(b, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::Png;
    if (startsWith(b, {'G', 'I', 'F', '8'})) return PictureFormat::Gif;
    if (startsWith(b, {0x00, 0x00, 0x01, 0x00})) return PictureFormat::Icon;
    if (startsWith(b, {0xD7, 0xCD, 0xC6, 0x9A})) return PictureFormat::Metafile;  // placeable
    if (startsWith(b, {0x01, 0x00, 0x09, 0x00}) || startsWith(b, {0x02, 0x00, 0x09, 0x00}))
        return PictureFormat::Metafile;
    if (startsWith(b, {0x01, 0x00, 0x00, 0x00}) && startsWith(b, {' ', 'E', 'M', 'F'}, 40))
        return PictureFormat::EnhancedMetafile;
    return std::nullopt;
}

base::Result<Picture> Picture::FromData(const QByteArray& bytes) {
    const std::optional<PictureFormat> format = DetectPictureFormat(bytes);
    if (!format) return base::MakeError(kPictureUnknownFormat, QStringLiteral("Unknown picture format."));
    if (*format == PictureFormat::Metafile || *format == PictureFormat::EnhancedMetafile)
        return base::MakeError(kPictureMetafile,
                               QStringLiteral("The picture is a %1, which cannot be shown.").arg(QLatin1String(nameOf(*format))));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatOf(*format));
    QImage image = reader.read();
    if (image.isNull())
        return base::MakeError(kPictureDamaged, QStringLiteral("The %1 is damaged and cannot be read (%2).")
                                                    .arg(QLatin1String(nameOf(*format)), reader.errorString()));
    Picture p;
    p.m_format = *format;
    p.m_image = std::move(image);
    p.m_data = bytes;
    return p;
}

base::Result<Picture> Picture::FromGraphicData(const QByteArray& data) {
    if (data.isEmpty()) return base::MakeError(kPictureUnknownFormat, QStringLiteral("Unknown picture format."));
    const int nameLength = static_cast<unsigned char>(data.at(0));
    if (data.size() < 1 + nameLength)
        return base::MakeError(kPictureDamaged, QStringLiteral("The picture data is cut short."));
    const QString className = QString::fromLatin1(data.mid(1, nameLength));
    QByteArray rest = data.mid(1 + nameLength);
    if (className.compare(QLatin1String("TMetafile"), Qt::CaseInsensitive) == 0)
        return base::MakeError(kPictureMetafile, QStringLiteral("The picture is a Windows metafile, which cannot be shown."));
    // Bitmaps and JPEG images write their length first.
    if (rest.size() >= 4) {
        const quint32 length = qFromLittleEndian<quint32>(rest.constData());
        if (length == quint32(rest.size() - 4)) rest = rest.mid(4);
    }
    return FromData(rest);
}

QImage Picture::Placeholder(int width, int height) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter p(&image);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, image.height() - 1, image.width() - 1, 0);
    return image;
}

}  // namespace paint
