#include "report/output/archive_device.h"

#include "report/model/errors.h"
#include "report/model/report_utils.h"
#include "report/output/output_texts.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"

#include "platform/stream/object_stream.h"

#include <QFile>
#include <QtEndian>

namespace {

void writeInt32(QFile& file, qint32 value) {
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    file.write(bytes, 4);
}

}  // namespace

TppArchiveDevice::TppArchiveDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

TppArchiveDevice::~TppArchiveDevice() {
    finish();
}

QString TppArchiveDevice::Description() const {
    report::DeclareOutputTexts();
    return ppGetMessageText(34);
}

void TppArchiveDevice::StartJob() {
    TppFileDevice::StartJob();
    const QString name = ppGetTempFileName(ppGetTempPath(), QStringLiteral("arc"));
    auto pageData = std::make_unique<QFile>(name);
    if (name.isEmpty() || !pageData->open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        CloseStream();
        throw EPrintError(report::MessageText(67, {name}));
    }
    m_pageData = std::move(pageData);
    OutputStream()->seek(4);
}

void TppArchiveDevice::ReceivePage(TppPage& aPage) {
    TppFileDevice::ReceivePage(aPage);
    if (!PageIsRequested() || !OutputStream() || !m_pageData) return;
    UpdatePageStatus(&aPage);
    if (SkipPage()) return;
    writeInt32(*OutputStream(), qint32(m_pageData->size()));
    writeInt32(*OutputStream(), aPage.AbsolutePageNo());
    m_pageData->write(stream::WriteComponent(aPage));
}

void TppArchiveDevice::finish() {
    QFile* archive = OutputStream();
    if (archive && m_pageData) {
        const qint64 dataStart = archive->pos();
        m_pageData->seek(0);
        while (!m_pageData->atEnd()) archive->write(m_pageData->read(1 << 16));
        archive->seek(0);
        writeInt32(*archive, qint32(dataStart));
    }
    if (m_pageData) {
        m_pageData->close();
        m_pageData->remove();
        m_pageData.reset();
    }
}

void TppArchiveDevice::EndJob() {
    finish();
    TppFileDevice::EndJob();
}

void TppArchiveDevice::CancelJob() {
    finish();
    TppFileDevice::CancelJob();
}
