// Spanning: writing one archive onto numbered volume files and joining such a set again.
//
// A set keeps the layout of one archive cut into consecutive pieces: volume 0 begins with
// the spanning signature; every central directory header records the volume of its local
// header (disk-number-start) and the header's offset within that volume; the last volume
// holds the end record, whose number-of-this-disk is the last volume's number and whose
// start-of-directory disk and offset point at the directory's first header. A local or
// central header (with its name and extra field) never starts on a volume it cannot finish
// in. Every target here is a fixed drive: volume n of Pack.zip is the file Pack<n+1, three
// digits>.zip; there are no volume labels and no disk prompts.

#include "services/quorrel.h"

#include "services/internal/zip_format.h"

#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <map>
#include <new>
#include <utility>

using namespace services::zipformat;

QString TQuorrel::VolumeFileName(const QString& archive, int disk) {
    const QFileInfo info(archive);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? archive : archive.left(archive.size() - suffix.size() - 1);
    return stem + VolumeDigits(disk) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

/// The state of one split or join: the volume in hand, the space left on it, the files.
class TQuorrel::Span {
public:
    explicit Span(TQuorrel& q) : q(q) {}

    int Split(const QString& source, const QString& target);
    int Join(const QString& setName, QString& target);

private:
    /// One archive entry: where its local header was and where it goes.
    struct Entry {
        std::uint32_t comprSize = 0;
        int fromDisk = 0;
        std::int64_t fromOffset = 0;
        int toDisk = 0;
        std::int64_t toOffset = 0;
    };

    /// Every volume target is a fixed drive here (numbered files), so no disk is asked for:
    /// NewDisk is cleared and the kind of drive returned.
    services::DriveKind AskForVolume() {
        ProcessPendingEvents();
        NewDisk = false;
        return ProbeDrive(DriveRoot);
    }
    /// DiskFree and DiskSize of the drive that holds DriveRoot (-1 when unknown).
    void DriveSpace() {
        const QStorageInfo storage(DriveRoot);
        DiskFree = storage.isValid() ? storage.bytesAvailable() : -1;
        DiskSize = storage.isValid() ? storage.bytesTotal() : -1;
    }
    /// The target folder exists and its drive's size is known.
    bool DiskPresent() {
        DriveSpace();
        return QFileInfo(DriveRoot).isDir() && DiskSize >= 0;
    }

    // Writing volumes.
    void WriteSplit(const char* data, std::int64_t length, std::int64_t minSize);
    void openVolumeForWriting();
    void finishVolume();
    void copyToVolumes(QFile& in, std::int64_t count, int readError);
    std::int64_t dataDescriptorSize(QFile& in);

    // Reading volumes.
    void openVolumeForReading(int disk);
    bool readAcross(char* data, std::int64_t size);
    void copyAcross(QIODevice& out, std::int64_t count, int readError, int writeError);
    void skipToNextVolumeAtEnd();

    void progress(ProgrType type, const QString& name, std::int64_t size) { q.fireProgress(type, name, size); }

    TQuorrel& q;
    int DiskNumber = 0;
    int m_lastDisk = 0;
    std::int64_t DiskFree = 0;
    std::int64_t DiskSize = -1;
    bool NewDisk = false;
    std::int64_t VolumeBytes = 0;
    bool ShowProgress = false;
    QDateTime FileDate;
    QString DriveRoot;
    QString OutFileName;
    QString InFileName;
    QFile m_out;
    QFile m_in;
    std::vector<char> m_buffer;
};

// ---------------------------------------------------------------------------------------
// Splitting

void TQuorrel::Span::openVolumeForWriting() {
    for (;;) {
        const services::DriveKind kind = AskForVolume();
        if (!DiskPresent()) throw EQuorrel(11004, DriveRoot);
        const QString name = VolumeFileName(OutFileName, DiskNumber);
        if ((q.m_addOptions & AddOptsEnum::AddDiskSpanErase) && kind == services::DriveKind::Removable) {
            EQuorrel e(11007, true);
            e.SetMessage(e.Message() + QStringLiteral("\nDisks cannot be formatted here: %1 is on a removable medium.")
                                           .arg(DriveRoot));
            throw e;
        }
        if (QFileInfo::exists(name)) {
            if (q.m_unattended) throw EQuorrel(11025, true);
            const ui::Button answer = ui::Message(FormatMessage(11039, name), ui::MessageKind::Warning,
                                                  ui::Button::Yes | ui::Button::No | ui::Button::Cancel, 0,
                                                  ui::Button::No, QStringLiteral("Confirm"));
            // On a fixed drive there is no other disk to try: No ends the split like Cancel.
            if (answer != ui::Button::Yes) throw EQuorrel(11007, false);
        }
        m_out.setFileName(name);
        if (!m_out.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw EQuorrel(11009, true);
        DriveSpace();
        if (q.m_maxVolumeSize > 0 && (DiskFree < 0 || q.m_maxVolumeSize < DiskFree)) DiskFree = q.m_maxVolumeSize;
        if (DiskNumber == 0) DiskFree -= q.m_keepFreeOnDisk1;
        if (DiskFree < std::max<std::int64_t>(q.m_minFreeVolumeSize, 1)) {
            m_out.close();
            m_out.remove();
            if (q.m_unattended) throw EQuorrel(11025, true);
            const ui::Button answer = ui::Message(FormatMessage(11032, {}), ui::MessageKind::Error,
                                                  ui::Button::Retry | ui::Button::Cancel);
            if (answer != ui::Button::Retry) throw EQuorrel(11007, false);
            VolumeBytes = 0;
            NewDisk = true;
            continue;
        }
        VolumeBytes = 0;
        return;
    }
}

void TQuorrel::Span::finishVolume() {
    if (m_out.isOpen()) {
        if (FileDate.isValid()) m_out.setFileTime(FileDate, QFileDevice::FileModificationTime);
        m_out.close();
    }
    VolumeBytes = 0;
    NewDisk = true;
    ++DiskNumber;
}

void TQuorrel::Span::WriteSplit(const char* data, std::int64_t length, std::int64_t minSize) {
    ProcessPendingEvents();
    if (q.m_cancelRequested) throw EQuorrel(11007, false);
    for (;;) {
        if (!m_out.isOpen()) openVolumeForWriting();
        if (minSize > 0 && DiskFree < minSize) {
            // A fresh volume that cannot hold the piece never will: stop instead of making
            // empty volumes without end.
            if (VolumeBytes == 0) throw EQuorrel(11032, true);
            finishVolume();
            continue;
        }
        const std::int64_t amount = (DiskFree > 2000000000 || length < DiskFree) ? length : DiskFree;
        if (amount > 0 && m_out.write(data, amount) != amount) throw EQuorrel(11010, true);
        if (ShowProgress && amount > 0) progress(ProgrType::ptBytesDone, {}, amount);
        VolumeBytes += amount;
        DiskFree -= amount;
        if (amount == length) return;
        finishVolume();
        DiskFree = 0;
        data += amount;
        length -= amount;
    }
}

void TQuorrel::Span::copyToVolumes(QFile& in, std::int64_t count, int readError) {
    while (count > 0) {
        const std::int64_t want = std::min<std::int64_t>(count, kCopyChunk);
        if (!ReadExactly(in, m_buffer.data(), want)) throw EQuorrel(readError, true);
        WriteSplit(m_buffer.data(), want, 0);
        count -= want;
    }
}

std::int64_t TQuorrel::Span::dataDescriptorSize(QFile& in) {
    char sig[4];
    const qint64 at = in.pos();
    if (!ReadExactly(in, sig, 4)) throw EQuorrel(11020, true);
    in.seek(at);
    return Get32(sig) == kSpanSig ? 16 : 12;
}

int TQuorrel::Span::Split(const QString& source, const QString& target) {
    const bool wasBusy = q.m_addBusy;
    q.m_addBusy = true;
    ui::HourglassCursor hourglass;
    DriveRoot = QFileInfo(target).absolutePath();
    OutFileName = target;
    DiskNumber = 0;
    DiskFree = 0;
    VolumeBytes = 0;
    ShowProgress = false;
    if (q.m_verbose) q.fireMessage(0, QStringLiteral("Now creating spanning chunks from %1 to %2").arg(source, target));
    int result = 0;
    QFile in(source);
    try {
        m_buffer.resize(static_cast<std::size_t>(kCopyChunk));
        if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
        EndRecord rec;
        q.locateEndRecord(in, true, rec);
        FileDate = QFileInfo(source).lastModified();
        const std::int64_t archiveSize = q.m_archiveSize;
        const std::int64_t directoryStart =
            archiveSize - static_cast<std::int64_t>(rec.directorySize) - kEndSize - rec.commentLength;
        // Bytes before the archive proper (a self-extractor's stub) move every offset.
        const std::int64_t shift = directoryStart - static_cast<std::int64_t>(rec.directoryOffset);
        if (directoryStart < 0 || !in.seek(directoryStart)) throw EQuorrel(11008, true);

        // The directory first: the sizes and places of the entries, in directory order.
        std::vector<QByteArray> headers;
        std::vector<Entry> entries;
        for (int i = 0; i < rec.totalEntries; ++i) {
            QByteArray h(kCentralSize, '\0');
            if (!ReadExactly(in, h.data(), kCentralSize)) throw EQuorrel(11013, true);
            if (Get32(h.constData()) != kCentralSig) throw EQuorrel(11015, true);
            const int rest = Get16(h.constData() + 28) + Get16(h.constData() + 30) + Get16(h.constData() + 32);
            h.resize(kCentralSize + rest);
            if (!ReadExactly(in, h.data() + kCentralSize, rest)) throw EQuorrel(11017, true);
            Entry e;
            e.comprSize = Get32(h.constData() + 20);
            e.fromOffset = static_cast<std::int64_t>(Get32(h.constData() + 42)) + shift;
            entries.push_back(e);
            headers.push_back(std::move(h));
        }
        std::vector<std::size_t> fileOrder(entries.size());
        for (std::size_t i = 0; i < fileOrder.size(); ++i) fileOrder[i] = i;
        std::stable_sort(fileOrder.begin(), fileOrder.end(),
                         [&](std::size_t a, std::size_t b) { return entries[a].fromOffset < entries[b].fromOffset; });

        char sig[4];
        Put32(sig, kSpanSig);
        WriteSplit(sig, 4, 0);
        ShowProgress = true;
        progress(ProgrType::ptFileCount, {}, rec.totalEntries);
        progress(ProgrType::ptByteCount, {}, archiveSize);

        for (const std::size_t index : fileOrder) {
            Entry& e = entries[index];
            if (e.fromOffset < 0 || !in.seek(e.fromOffset)) throw EQuorrel(11008, true);
            char h[kLocalSize];
            if (!ReadExactly(in, h, kLocalSize)) throw EQuorrel(11012, true);
            if (Get32(h) != kLocalSig) throw EQuorrel(11014, true);
            const int nameLength = Get16(h + 26);
            const int extraLength = Get16(h + 28);
            const bool descriptor = Get16(h + 6) & 0x8;
            QByteArray name(nameLength, '\0');
            if (!ReadExactly(in, name.data(), nameLength)) throw EQuorrel(11016, true);
            const QString shown = QString::fromUtf8(name).replace(u'/', u'\\');
            q.fireMessage(0, FormatMessage(10105, {}) + shown);
            progress(ProgrType::ptFileStart, shown,
                     static_cast<std::int64_t>(e.comprSize) + nameLength + extraLength + kLocalSize + (descriptor ? 16 : 0));
            WriteSplit(h, kLocalSize, kLocalSize + nameLength + extraLength);
            e.toDisk = DiskNumber;
            e.toOffset = VolumeBytes - kLocalSize;
            WriteSplit(name.constData(), nameLength, 0);
            copyToVolumes(in, extraLength, 11018);
            copyToVolumes(in, e.comprSize, 11021);
            if (descriptor) copyToVolumes(in, dataDescriptorSize(in), 11020);
        }

        q.fireMessage(0, QStringLiteral("Copying: Central directory"));
        progress(ProgrType::ptFileStart, QStringLiteral("Central directory"),
                 static_cast<std::int64_t>(rec.directorySize) + rec.commentLength + kEndSize);
        int directoryDisk = 0;
        std::int64_t directoryOffset = 0;
        for (std::size_t i = 0; i < headers.size(); ++i) {
            QByteArray& h = headers[i];
            Put16(h.data() + 34, static_cast<std::uint32_t>(entries[i].toDisk));
            Put32(h.data() + 42, static_cast<std::uint32_t>(entries[i].toOffset));
            WriteSplit(h.constData(), kCentralSize, h.size());
            if (i == 0) {
                directoryDisk = DiskNumber;
                directoryOffset = VolumeBytes - kCentralSize;
            }
            WriteSplit(h.constData() + kCentralSize, h.size() - kCentralSize, 0);
        }
        if (headers.empty()) {
            if (!m_out.isOpen()) openVolumeForWriting();
            directoryDisk = DiskNumber;
            directoryOffset = VolumeBytes;
        }
        // The end record names the volume it lands on: make room first.
        const std::int64_t endLength = kEndSize + rec.comment.size();
        if (!m_out.isOpen()) openVolumeForWriting();
        if (DiskFree < endLength) {
            finishVolume();
            openVolumeForWriting();
        }
        char end[kEndSize];
        Put32(end, kEndSig);
        Put16(end + 4, static_cast<std::uint32_t>(DiskNumber));
        Put16(end + 6, static_cast<std::uint32_t>(directoryDisk));
        Put16(end + 8, rec.entriesHere);
        Put16(end + 10, rec.totalEntries);
        Put32(end + 12, rec.directorySize);
        Put32(end + 16, static_cast<std::uint32_t>(directoryOffset));
        Put16(end + 20, static_cast<std::uint32_t>(rec.comment.size()));
        WriteSplit(end, kEndSize, endLength);
        WriteSplit(rec.comment.constData(), rec.comment.size(), 0);
        ShowProgress = false;
    } catch (const EQuorrel& e) {
        q.reportException(e);
        result = -7;
    } catch (const std::bad_alloc&) {
        q.showMessage(10103);
        result = -8;
    } catch (...) {
        q.showMessage(11024);
        result = -9;
    }
    progress(ProgrType::ptBatchEnd, {}, 0);
    if (m_out.isOpen()) {
        if (FileDate.isValid()) m_out.setFileTime(FileDate, QFileDevice::FileModificationTime);
        m_out.close();
    }
    q.m_addBusy = wasBusy;
    return result;
}

// ---------------------------------------------------------------------------------------
// Joining

void TQuorrel::Span::openVolumeForReading(int disk) {
    m_in.close();
    DiskNumber = disk;
    m_in.setFileName(ReplacedVolumeName(InFileName, disk));
    if (!m_in.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
}

bool TQuorrel::Span::readAcross(char* data, std::int64_t size) {
    while (size > 0) {
        const qint64 n = m_in.read(data, size);
        if (n < 0) return false;
        if (n == 0) {
            if (DiskNumber >= m_lastDisk || !m_in.atEnd()) return false;
            openVolumeForReading(DiskNumber + 1);
            continue;
        }
        data += n;
        size -= n;
    }
    return true;
}

void TQuorrel::Span::copyAcross(QIODevice& out, std::int64_t count, int readError, int writeError) {
    while (count > 0) {
        ProcessPendingEvents();
        if (q.m_cancelRequested) throw EQuorrel(11007, false);
        const std::int64_t want = std::min<std::int64_t>(count, kCopyChunk);
        if (!readAcross(m_buffer.data(), want)) throw EQuorrel(readError, true);
        if (out.write(m_buffer.data(), want) != want) throw EQuorrel(writeError, true);
        if (ShowProgress) progress(ProgrType::ptBytesDone, {}, want);
        count -= want;
    }
}

void TQuorrel::Span::skipToNextVolumeAtEnd() {
    while (m_in.atEnd() && DiskNumber < m_lastDisk) openVolumeForReading(DiskNumber + 1);
}

int TQuorrel::Span::Join(const QString& setName, QString& target) {
    const bool wasBusy = q.m_extractBusy;
    q.m_extractBusy = true;
    ui::HourglassCursor hourglass;
    DriveRoot = QFileInfo(setName).absolutePath();
    InFileName = setName;
    DiskNumber = -1;
    ShowProgress = false;
    int result = 0;
    std::unique_ptr<QFile> out;
    try {
        m_buffer.resize(static_cast<std::size_t>(kCopyChunk));
        if (QFileInfo(target).isDir()) {
            // A file made for this join alone (created exclusively under a unique name).
            auto temp = std::make_unique<QTemporaryFile>(QFileInfo(target).absoluteFilePath()
                                                         + QStringLiteral("/zipXXXXXX.zip"));
            temp->setAutoRemove(false);
            if (!temp->open()) throw EQuorrel(11027, true);
            target = temp->fileName();
            out = std::move(temp);
        } else {
            if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) q.EraseFile(target, q.m_howToDelete);
            const QFileInfo info(target);
            target = info.suffix().isEmpty() ? target + QStringLiteral(".zip")
                                             : target.left(target.size() - info.suffix().size()) + QStringLiteral("zip");
            out = std::make_unique<QFile>(target);
            if (!out->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                out.reset();
                throw EQuorrel(11009, true);
            }
        }

        // The last volume holds the end record.
        m_in.setFileName(setName);
        if (!m_in.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
        EndRecord rec;
        if (!q.locateEndRecord(m_in, false, rec)) {
            const QString digits = QFileInfo(setName).completeBaseName().right(3);
            bool ok = false;
            int n = digits.toInt(&ok);
            if (!ok) n = 0;
            if (n == 1) throw EQuorrel(11037, true);
            throw EQuorrel(11038, n);
        }
        FileDate = QFileInfo(setName).lastModified();
        m_lastDisk = rec.diskNumber;
        q.m_lastDisk = rec.diskNumber;
        DiskNumber = rec.diskNumber;
        if (rec.directoryDisk != DiskNumber) openVolumeForReading(rec.directoryDisk);
        if (!m_in.seek(rec.directoryOffset)) throw EQuorrel(11008, true);

        std::vector<Entry> entries;
        std::map<std::pair<int, std::int64_t>, std::size_t> byPlace;
        std::int64_t byteCount = 0;
        for (int i = 0; i < rec.totalEntries; ++i) {
            char h[kCentralSize];
            if (!readAcross(h, kCentralSize)) throw EQuorrel(11013, true);
            if (Get32(h) != kCentralSig) throw EQuorrel(11015, true);
            const int nameLength = Get16(h + 28);
            const int rest = Get16(h + 30) + Get16(h + 32);
            QByteArray name(nameLength, '\0');
            if (!readAcross(name.data(), nameLength)) throw EQuorrel(11017, true);
            for (int left = rest; left > 0;) {
                const int n = std::min<int>(left, static_cast<int>(m_buffer.size()));
                if (!readAcross(m_buffer.data(), n)) throw EQuorrel(11008, true);
                left -= n;
            }
            Entry e;
            e.comprSize = Get32(h + 20);
            e.fromDisk = Get16(h + 34);
            e.fromOffset = Get32(h + 42);
            byPlace.emplace(std::make_pair(e.fromDisk, e.fromOffset), entries.size());
            entries.push_back(e);
            byteCount += nameLength + static_cast<std::int64_t>(e.comprSize) + rest;
        }

        openVolumeForReading(0);
        ShowProgress = true;
        progress(ProgrType::ptFileCount, {}, rec.totalEntries);
        progress(ProgrType::ptByteCount, {}, byteCount);
        char sig[4];
        if (!readAcross(sig, 4) || Get32(sig) != kSpanSig) throw EQuorrel(11031, true);

        for (int i = 0; i < rec.totalEntries; ++i) {
            skipToNextVolumeAtEnd();
            const auto place = std::make_pair(DiskNumber, static_cast<std::int64_t>(m_in.pos()));
            char h[kLocalSize];
            if (!readAcross(h, kLocalSize)) throw EQuorrel(11012, true);
            if (Get32(h) != kLocalSig) throw EQuorrel(11014, true);
            const auto found = byPlace.find(place);
            if (found == byPlace.end()) throw EQuorrel(11026, true);
            Entry& e = entries[found->second];
            const int nameLength = Get16(h + 26);
            const int extraLength = Get16(h + 28);
            QByteArray name(nameLength, '\0');
            if (!readAcross(name.data(), nameLength)) throw EQuorrel(11016, true);
            const QString shown = QString::fromUtf8(name).replace(u'/', u'\\');
            q.fireMessage(0, FormatMessage(10105, {}) + shown);
            const bool descriptor = Get16(h + 6) & 0x8;
            progress(ProgrType::ptFileStart, shown,
                     static_cast<std::int64_t>(e.comprSize) + nameLength + extraLength + kLocalSize + (descriptor ? 16 : 0));
            e.toOffset = out->pos();
            if (out->write(h, kLocalSize) != kLocalSize || out->write(name) != nameLength) throw EQuorrel(11028, true);
            copyAcross(*out, extraLength, 11018, 11028);
            const std::uint32_t localSize = Get32(h + 18);
            copyAcross(*out, localSize != 0 && !descriptor ? localSize : e.comprSize, 11021, 11010);
            if (descriptor) {
                char d[16];
                if (!readAcross(d, 4)) throw EQuorrel(11020, true);
                const int length = Get32(d) == kSpanSig ? 16 : 12;
                if (!readAcross(d + 4, length - 4) || out->write(d, length) != length) throw EQuorrel(11020, true);
            }
        }

        ShowProgress = false;
        const std::int64_t directoryOffset = out->pos();
        for (int i = 0; i < rec.totalEntries; ++i) {
            char h[kCentralSize];
            if (!readAcross(h, kCentralSize)) throw EQuorrel(11013, true);
            if (Get32(h) != kCentralSig) throw EQuorrel(11015, true);
            const auto found = byPlace.find(std::make_pair(int(Get16(h + 34)), std::int64_t(Get32(h + 42))));
            if (found == byPlace.end()) throw EQuorrel(11026, true);
            Put16(h + 34, 0);
            Put32(h + 42, static_cast<std::uint32_t>(entries[found->second].toOffset));
            const int nameLength = Get16(h + 28);
            QByteArray name(nameLength, '\0');
            if (!readAcross(name.data(), nameLength)) throw EQuorrel(11017, true);
            if (out->write(h, kCentralSize) != kCentralSize || out->write(name) != nameLength)
                throw EQuorrel(11029, true);
            copyAcross(*out, Get16(h + 30), 11019, 11029);
            copyAcross(*out, Get16(h + 32), 11022, 11029);
        }
        char end[kEndSize] = {};
        Put32(end, kEndSig);
        Put16(end + 8, rec.totalEntries);
        Put16(end + 10, rec.totalEntries);
        Put32(end + 12, static_cast<std::uint32_t>(out->pos() - directoryOffset));
        Put32(end + 16, static_cast<std::uint32_t>(directoryOffset));
        Put16(end + 20, static_cast<std::uint32_t>(rec.comment.size()));
        if (out->write(end, kEndSize) != kEndSize) throw EQuorrel(11030, true);
        if (out->write(rec.comment) != rec.comment.size()) throw EQuorrel(11023, true);
    } catch (const EQuorrel& e) {
        q.reportException(e);
        result = -7;
    } catch (const std::bad_alloc&) {
        q.showMessage(10103);
        result = -8;
    } catch (...) {
        q.showMessage(11024);
        result = -9;
    }
    progress(ProgrType::ptBatchEnd, {}, 0);
    m_in.close();
    if (out) {
        if (result == 0 && FileDate.isValid()) out->setFileTime(FileDate, QFileDevice::FileModificationTime);
        out->close();
        if (result != 0) {
            QFile::remove(target);
            target.clear();
        }
    } else if (result != 0) {
        target.clear();
    }
    q.m_extractBusy = wasBusy;
    return result;
}

int TQuorrel::SplitToVolumes(const QString& source, const QString& target) { return Span(*this).Split(source, target); }

int TQuorrel::JoinVolumes(const QString& setName, QString& target) { return Span(*this).Join(setName, target); }
