#include "report/output/archive_reader.h"

#include "report/page/page.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/stream_error.h"

#include <QtEndian>

namespace report {
namespace {

qint32 int32At(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

}  // namespace

base::Result<std::vector<ArchivePage>> ReadArchive(const QByteArray& aBytes) {
    if (aBytes.size() < 4) return base::MakeError(kArchiveTooShort, QStringLiteral("The archive is shorter than its header."));
    const qint64 dataStart = int32At(aBytes, 0);
    if (dataStart < 4 || (dataStart - 4) % 8 != 0 || dataStart > aBytes.size())
        return base::MakeError(kArchiveBadIndex,
                               QStringLiteral("The archive's page data offset %1 does not fit a file of %2 bytes.")
                                   .arg(dataStart)
                                   .arg(aBytes.size()));
    const qint64 count = (dataStart - 4) / 8;
    const qint64 dataSize = aBytes.size() - dataStart;
    std::vector<qint64> offsets;
    std::vector<ArchivePage> pages;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 offset = int32At(aBytes, 4 + 8 * i);
        if (offset < 0 || offset >= dataSize || (!offsets.empty() && offset <= offsets.back()))
            return base::MakeError(kArchiveBadIndex,
                                   QStringLiteral("Index entry %1 of the archive points outside its page data.").arg(i + 1));
        offsets.push_back(offset);
        pages.push_back({int(int32At(aBytes, 8 + 8 * i)), nullptr});
    }
    for (qint64 i = 0; i < count; ++i) {
        const qint64 end = i + 1 < count ? offsets[size_t(i + 1)] : dataSize;
        const QByteArray stream = aBytes.mid(dataStart + offsets[size_t(i)], end - offsets[size_t(i)]);
        try {
            std::unique_ptr<stream::Component> component = stream::ReadComponent(stream);
            auto* page = dynamic_cast<TppPage*>(component.get());
            if (!page) throw stream::StreamError(stream::StreamErrorKind::Damaged, QStringLiteral("the stream holds no page"));
            component.release();
            pages[size_t(i)].page.reset(page);
        } catch (const base::Exception& e) {
            return base::MakeError(kArchiveBadPage,
                                   QStringLiteral("Page %1 of the archive cannot be read: %2").arg(pages[size_t(i)].pageNo).arg(e.Message()));
        }
    }
    return pages;
}

}  // namespace report
