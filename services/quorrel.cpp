#include "services/quorrel.h"

#include "services/internal/zip_format.h"

#include "platform/base/ansi.h"
#include "platform/base/messages.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialog_service.h"
#include "platform/zip/zip_dll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringConverter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <new>
#include <optional>

using namespace services::zipformat;

namespace services {

namespace {

QPointer<TQuorrel>& SharedInstance() {
    static QPointer<TQuorrel> instance;
    return instance;
}

DriveProbe& Probe() {
    static DriveProbe probe;
    return probe;
}

/// Reads the system's block-device table: a folder on a device whose disk says "removable".
DriveKind SystemDriveKind(const QString& folder) {
    const QString device = QFileInfo(QString::fromLocal8Bit(QStorageInfo(folder).device())).fileName();
    if (device.isEmpty()) return DriveKind::Fixed;
    QString block = QFileInfo(QStringLiteral("/sys/class/block/") + device).canonicalFilePath();
    for (int i = 0; i < 2 && !block.isEmpty(); ++i) {
        QFile removable(block + QStringLiteral("/removable"));
        if (removable.open(QIODevice::ReadOnly)) return removable.readAll().trimmed() == "1" ? DriveKind::Removable
                                                                                            : DriveKind::Fixed;
        block = QFileInfo(block).path();  // a partition: its disk holds the flag
    }
    return DriveKind::Fixed;
}

/// The OEM code page's characters 0x80 to 0xFF (code page 437).
constexpr char16_t kOemHigh[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC,
    0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2,
    0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310,
    0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C,
    0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF,
    0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2,
    0x25A0, 0x00A0,
};

QString FromOem(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += QChar(b < 0x80 ? char16_t(b) : kOemHigh[b - 0x80]);
    }
    return out;
}

/// Bytes kept as stored: UTF-8 when they are valid UTF-8, else the ANSI code page.
QString FromStored(const QByteArray& bytes, bool utf8Flag) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8Flag || !utf8.hasError()) return text;
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) out += QChar(base::AnsiToUnicode(static_cast<std::uint8_t>(c)));
    return out;
}

/// The loaded state of the two routines, shared by all instances of the program.
bool& ZipLoaded() {
    static bool loaded = false;
    return loaded;
}
bool& UnzLoaded() {
    static bool loaded = false;
    return loaded;
}

}  // namespace

TQuorrel* Quorrel() { return SharedInstance().data(); }
void SetQuorrel(TQuorrel* quorrel) { SharedInstance() = quorrel; }

void SetDriveProbe(DriveProbe probe) { Probe() = std::move(probe); }


void DeclareQuorrelMessages() {
    static const bool declared = [] {
        base::DeclareMessages({
            {10101, "Fatal Error in ZipDLL.DLL: abort exception"},
            {10102, "Error - no zip file specified!"},
            {10103, "Requested memory not available"},
            {10105, "Copying: "},
            {10201, "Seek error reading Zip archive!"},
            {10202, "Unknown error in List() function\n"},
            {10203, "Warning - Error in zip structure!"},
            {10204, "Warning - Garbage at the end of the zipfile!"},
            {10301, "Error - no files to zip!"},
            {10302, "Unattended action not possible without a password"},
            {10303, "AddFreshen or AddUpdate not possible on a spanned archive"},
            {10501, "Fatal Error in UnzDLL.DLL: abort exception"},
            {10502, "Warning - Unattended Extract: possible not all files extracted"},
            {10601, "ZIP DLL Loaded"},
            {10602, "ZipDllExec function not found in ZIPDLL.DLL!"},
            {10603, "GetZipDllVersion function not found in ZIPDLL.DLL!"},
            {10604, "ZIPDLL.DLL not found!"},
            {10701, "UNZDLL Loaded!"},
            {10702, "UnzDllExec function not found in UNZDLL.DLL!"},
            {10703, "GetUnzDllVersion function not found in UNZDLL.DLL!"},
            {10704, "UNZDLL.DLL not found!"},
            {10801, "Error - The 3 property strings mentioned below must together be shorter than 250 characters!"},
            {10802, "Error - ZIPSFX.BIN not found!"},
            {10803, "Error: input file is not a zip file"},
            {11001, "Input file does not exist"},
            {11002, "Zip file could not be opened"},
            {11003, "Not a valid drive: %s"},
            {11004, "Drive %s is NOT defined"},
            {11005, "Volume label could not be set"},
            {11006, "Not enough memory to display MsgBox"},
            {11007, "User canceled operation"},
            {11008, "Seek error in input file"},
            {11009, "Creation of output file failed"},
            {11010, "Write error in output file"},
            {11011, "Error while reading the End Of Central Directory"},
            {11012, "Error while reading a local header"},
            {11013, "Error while reading a central header"},
            {11014, "A local header signature is wrong"},
            {11015, "A central header signature is wrong"},
            {11016, "Error while reading a local file name"},
            {11017, "Error while reading a central file name"},
            {11018, "Error while reading a local extra field"},
            {11019, "Error while reading a central extra field"},
            {11020, "Error while reading/writing a data descriptor area"},
            {11021, "Error while reading zipped data"},
            {11022, "Error while reading a file comment"},
            {11023, "Error while reading the archive comment"},
            {11024, "UnKnown error in function ReadSpan(), WriteSpan(), Rename() or CopyZippedFiles()\n"},
            {11025, "Unattended disk spanning not implemented"},
            {11026, "A local header not found in internal structure"},
            {11027, "Temporary file could not be created"},
            {11028, "Error while writing a local header"},
            {11029, "Error while writing a central header"},
            {11030, "Error while writing the End Of Central Directory"},
            {11031, "Error while reading a Extended Local signature"},
            {11032, "This disk has not enough free space available"},
            {11033, "Please insert last disk"},
            {11034, "Please insert disk volume %.1d of %.1d"},
            {11035, "\nin drive: %s"},
            {11036, "This archive is not a valid Zip archive"},
            {11037, "This is the first disk in a backup set,\nplease insert the last disk of this set"},
            {11038, "This is the %dth disk in a backup set,\nplease insert the last disk of this set"},
            {11039, "There is already a file %s\nDo you want to overwrite this file"},
            {11040, "ATTENTION: This is previous disk no %d!!!\nAre you sure you want to overwrite the contents"},
            {11041, "Error - Self extracting archives(.exe) can not be spanned"},
            {11042, "Error while copying a filename of a CEH structure"},
            {11043, "Seek error while skipping a EOC structure"},
            {11044, "Error while copying the zip archive comment"},
            {11045, "This is the first file in a backup set,\nplease choose the last file of this set"},
            {11046, "Please insert disk volume %.1d"},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace services

namespace services::zipformat {

DriveKind ProbeDrive(const QString& folder) { return Probe() ? Probe()(folder) : SystemDriveKind(folder); }

void ProcessPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

QString VolumeDigits(int disk) { return QString::number(disk + 1001).right(3); }

QString ReplacedVolumeName(const QString& name, int disk) {
    const QFileInfo info(name);
    const QString suffix = info.suffix();
    QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    stem = stem.left(std::max<qsizetype>(0, stem.size() - 3)) + VolumeDigits(disk);
    return suffix.isEmpty() ? stem : stem + u'.' + suffix;
}

bool CopyShifted(QFile& in, const EndRecordFields& rec, std::int64_t from, QIODevice& out, std::int64_t delta) {
    std::vector<char> buffer(static_cast<std::size_t>(kCopyChunk));
    auto copy = [&](std::int64_t count) {
        while (count > 0) {
            const std::int64_t want = std::min<std::int64_t>(count, kCopyChunk);
            if (!ReadExactly(in, buffer.data(), want) || out.write(buffer.data(), want) != want) return false;
            count -= want;
            ProcessPendingEvents();
        }
        return true;
    };
    const std::int64_t directoryOffset = rec.directoryOffset;
    if (from > directoryOffset || !in.seek(from) || !copy(directoryOffset - from)) return false;
    for (int i = 0; i < rec.totalEntries; ++i) {
        char h[kCentralSize];
        if (!ReadExactly(in, h, kCentralSize) || Get32(h) != kCentralSig) return false;
        const std::int64_t offset = static_cast<std::int64_t>(Get32(h + 42)) + delta;
        if (offset < 0 || offset > 0xFFFFFFFFLL) return false;
        Put32(h + 42, static_cast<std::uint32_t>(offset));
        if (out.write(h, kCentralSize) != kCentralSize || !copy(Get16(h + 28) + Get16(h + 30) + Get16(h + 32)))
            return false;
    }
    char end[kEndSize];
    if (!in.seek(rec.position) || !ReadExactly(in, end, kEndSize)) return false;
    Put32(end + 16, static_cast<std::uint32_t>(directoryOffset + delta));
    return out.write(end, kEndSize) == kEndSize && out.write(rec.comment) == rec.comment.size();
}

bool ReadExactly(QFile& file, char* data, std::int64_t size) {
    std::int64_t done = 0;
    while (done < size) {
        const qint64 n = file.read(data + done, size - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace services::zipformat

namespace {

QString MessageTextOf(int ident) {
    services::DeclareQuorrelMessages();
    const QString text = base::MessageText(ident);
    if (!text.isEmpty()) return text;
    return QStringLiteral("ZipMsgXX.res is probably not bound to executable\nMissing String ID is: %1").arg(ident);
}

QString FormatTextOf(int ident, const QString& arg) {
    QString text = MessageTextOf(ident);
    // "%.1d" is a plain number here.
    text.replace(QStringLiteral("%.1d"), QStringLiteral("%d"));
    return base::FormatText(text, {arg});
}

}  // namespace

QString services::zipformat::FormatMessage(int ident, const QString& arg) { return FormatTextOf(ident, arg); }

EQuorrel::EQuorrel(int ident, bool display) : base::Exception(MessageTextOf(ident), 0, ident), m_display(display) {}
EQuorrel::EQuorrel(int ident, int value)
    : base::Exception(FormatTextOf(ident, QString::number(value)), 0, ident), m_display(true) {}
EQuorrel::EQuorrel(int ident, const QString& text)
    : base::Exception(FormatTextOf(ident, text), 0, ident), m_display(true) {}

TQuorrel::TQuorrel(QObject* owner) : QObject(owner) { services::DeclareQuorrelMessages(); }

TQuorrel::~TQuorrel() = default;

void TQuorrel::SetZipFilename(const QString& v) {
    m_zipFilename = v;
    ReadDirectory();
}

void TQuorrel::SetDLLDirectory(const QString& v) {
    m_dllDirectory = v;
    while (m_dllDirectory.size() > 1 && (m_dllDirectory.endsWith(u'/') || m_dllDirectory.endsWith(u'\\')))
        m_dllDirectory.chop(1);
}

using namespace services;

// ---------------------------------------------------------------------------------------
// Messages and events

void TQuorrel::fireMessage(int errCode, const QString& text) {
    if (OnMessage) OnMessage(this, errCode, text);
}

void TQuorrel::fireProgress(ProgrType type, const QString& name, std::int64_t size) {
    if (OnProgress) OnProgress(this, type, name, size);
}

void TQuorrel::showMessage(int ident, const QString& appended) {
    const QString text = MessageTextOf(ident) + appended;
    m_lastMessage = text;
    m_errorCode = ident;
    if (!m_unattended) ui::Message(text, ui::MessageKind::Information, ui::Button::Ok);
    fireMessage(0, text);
}

void TQuorrel::reportException(const EQuorrel& e) {
    m_lastMessage = e.Message();
    m_errorCode = e.Code();
    if (e.Display() && !m_unattended) ui::Message(e.Message(), ui::MessageKind::Information, ui::Button::Ok);
    fireMessage(0, e.Message());
}

int TQuorrel::dllCallback(const zipdll::Callback& c) {
    switch (c.action) {
    case zipdll::CbFileStart:
        fireProgress(ProgrType::ptFileStart, QString(c.text).replace(u'/', u'\\'), c.size);
        break;
    case zipdll::CbBytesDone:
        fireProgress(ProgrType::ptBytesDone, {}, c.size);
        break;
    case zipdll::CbBatchEnd:
        fireProgress(ProgrType::ptBatchEnd, {}, 0);
        break;
    case zipdll::CbMessage: {
        QString text = c.text;
        while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
        text.replace(u'/', u'\\');
        m_lastMessage = text;
        if (c.errorCode != 0) {
            m_errorCode = c.errorCode & 0xFF;
            m_fullErrorCode = c.errorCode;
        }
        fireMessage(c.errorCode, text);
        break;
    }
    case zipdll::CbFileCount:
        fireProgress(ProgrType::ptFileCount, {}, c.size);
        break;
    case zipdll::CbByteCount:
        m_totalBytes = c.size;
        fireProgress(ProgrType::ptByteCount, {}, c.size);
        break;
    default:
        break;
    }
    const bool cancel = m_cancelRequested;
    ProcessPendingEvents();
    return cancel ? -1 : 0;
}

// ---------------------------------------------------------------------------------------
// The routines

void TQuorrel::LoadZipDll() {
    if (ZipLoaded()) return;
    ZipLoaded() = true;
    if (m_trace) showMessage(10601);
}

void TQuorrel::LoadUnzDll() {
    if (UnzLoaded()) return;
    UnzLoaded() = true;
    if (m_trace) showMessage(10701);
}

void TQuorrel::UnloadZipDll() { ZipLoaded() = false; }
void TQuorrel::UnloadUnzDll() { UnzLoaded() = false; }
int TQuorrel::ZipDllVersion() { return zipdll::GetZipDllVersion(); }
int TQuorrel::UnzDllVersion() { return zipdll::GetUnzDllVersion(); }

QString TQuorrel::tempFolder() const {
    if (!m_tempDir.isEmpty()) return m_tempDir;
    return QDir::tempPath();
}

void TQuorrel::AddFiles() {
    m_successCount = 0;
    if (m_fSpecArgs.isEmpty()) {
        showMessage(10301);
        return;
    }
    if (m_zipFilename.isEmpty()) {
        showMessage(10102);
        return;
    }
    if (m_unattended && (m_addOptions & AddOptsEnum::AddEncrypt) && m_password.isEmpty()) {
        showMessage(10302);
        return;
    }
    const bool spanned = m_addOptions & (AddOptsEnum::AddDiskSpan | AddOptsEnum::AddDiskSpanErase);
    std::unique_ptr<QTemporaryDir> spanFolder;
    QString archive = m_zipFilename;
    if (spanned) {
        if (m_addOptions & (AddOptsEnum::AddFreshen | AddOptsEnum::AddUpdate)) {
            showMessage(10303);
            return;
        }
        if (QFileInfo(m_zipFilename).suffix().toUpper() == QStringLiteral("EXE")) {
            showMessage(11041);
            return;
        }
        // The whole archive is written first into a folder made for this add alone (made
        // exclusively, readable only by us), then cut into volumes.
        if (!m_tempDir.isEmpty() && !m_tempDir.endsWith(u'/')) m_tempDir += u'/';
        spanFolder = std::make_unique<QTemporaryDir>(QDir(tempFolder()).filePath(QStringLiteral("zipXXXXXX")));
        if (!spanFolder->isValid()) {
            showMessage(11027);
            return;
        }
        archive = spanFolder->filePath(QStringLiteral("zip.zip"));
        if (m_verbose) fireMessage(0, QStringLiteral("Temporary zipfile: ") + archive);
    }
    if (m_addBusy) return;
    m_addBusy = true;
    m_cancelRequested = false;

    if (QFileInfo(m_zipFilename).suffix().toUpper() == QStringLiteral("EXE") && m_dataStart == 0
        && !QFileInfo::exists(m_zipFilename) && convertToSFX(true) == 0)
        ReadDirectory();

    // An archive with bytes before its first entry (a self-extractor's program): libzip
    // writes archives from their first entry, so the add works on a copy without those bytes,
    // and they are put back (written beside the archive, renamed over it) before any source
    // is moved.
    std::unique_ptr<QTemporaryDir> prefixFolder;
    std::int64_t prefix = 0;
    if (!spanned && QFileInfo(m_zipFilename).isFile() && !m_structureError && m_lastDisk == 0)
        prefix = m_contents.empty() ? m_directoryStart : m_dataStart;
    if (prefix > 0) {
        prefixFolder = std::make_unique<QTemporaryDir>(QDir(tempFolder()).filePath(QStringLiteral("zipXXXXXX")));
        QFile in(m_zipFilename);
        QFile bare(prefixFolder->filePath(QStringLiteral("zip.zip")));
        EndRecord rec;
        if (!prefixFolder->isValid() || !bare.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            showMessage(11027);
        } else if (!in.open(QIODevice::ReadOnly) || !locateEndRecord(in, false, rec)
                   || !CopyShifted(in, rec, prefix, bare, -prefix)) {
            showMessage(10101);
        } else {
            archive = bare.fileName();
        }
        if (archive == m_zipFilename) {
            m_fSpecArgs.clear();
            m_addBusy = false;
            return;
        }
    }

    const bool loadedHere = !ZipLoaded();
    LoadZipDll();
    try {
        zipdll::AddRequest r;
        r.archive = archive;
        r.specs = m_fSpecArgs;
        r.password = m_password;
        r.level = m_addCompLevel;
        r.dirNames = m_addOptions & AddOptsEnum::AddDirNames;
        r.recurse = m_addOptions & AddOptsEnum::AddRecurseDirs;
        r.move = m_addOptions & AddOptsEnum::AddMove;
        r.update = m_addOptions & AddOptsEnum::AddUpdate;
        r.freshen = (m_addOptions & AddOptsEnum::AddFreshen) && !r.update;
        r.zipTime = m_addOptions & AddOptsEnum::AddZipTime;
        r.forceDos = m_addOptions & AddOptsEnum::AddForceDOS;
        r.hidden = m_addOptions & AddOptsEnum::AddHiddenFiles;
        r.encrypt = m_addOptions & AddOptsEnum::AddEncrypt;
        r.separateDirs = m_addOptions & AddOptsEnum::AddSeparateDirs;
        r.verbose = m_verbose || m_trace;
        bool split = false;
        if (spanned) {
            // The volumes are written once the whole archive is; the sources go only after.
            r.afterWrite = [&] {
                split = SplitToVolumes(archive, m_zipFilename) == 0;
                return split;
            };
        }
        bool restored = false;
        if (prefix > 0) {
            r.afterWrite = [&] {
                QSaveFile whole(m_zipFilename);
                QFile original(m_zipFilename);
                QFile bare(archive);
                EndRecord rec;
                restored = whole.open(QIODevice::WriteOnly) && original.open(QIODevice::ReadOnly)
                           && whole.write(original.read(prefix)) == prefix && bare.open(QIODevice::ReadOnly)
                           && locateEndRecord(bare, false, rec) && CopyShifted(bare, rec, 0, whole, prefix)
                           && whole.commit();
                return restored;
            };
        }
        m_successCount = zipdll::ZipDllExec(r, [this](const zipdll::Callback& c) { return dllCallback(c); });
        if (spanned && !split) m_successCount = 0;
        if (prefix > 0 && m_successCount > 0 && !restored) {
            m_successCount = 0;
            showMessage(11010);
        }
    } catch (const std::bad_alloc&) {
        showMessage(10103);
    } catch (...) {
        showMessage(10101);
    }
    m_fSpecArgs.clear();
    if (loadedHere) UnloadZipDll();
    m_cancelRequested = false;
    m_addBusy = false;
    if (m_successCount > 0) ReadDirectory();
}

void TQuorrel::ExtractFiles() {
    m_successCount = 0;
    if (m_zipFilename.isEmpty() || !QFileInfo::exists(m_zipFilename)) {
        showMessage(10102);
        return;
    }
    if (m_extractBusy) return;
    if (m_unattended && (m_addOptions & AddOptsEnum::AddEncrypt) && m_password.isEmpty()) {
        // A password is needed to get past encrypted entries without asking; this one opens
        // nothing, so such entries are skipped and reported.
        QString placeholder;
        for (int i = 0; i < 79; ++i) placeholder += QChar(u'!' + (i * 7) % 90);
        m_password = placeholder;
        showMessage(10502);
    }
    m_extractBusy = true;
    m_cancelRequested = false;
    const bool loadedHere = !UnzLoaded();
    LoadUnzDll();

    QString archive = m_zipFilename;
    QString joined;
    bool go = true;
    if (m_lastDisk > 0) {
        if (!m_tempDir.isEmpty() && !m_tempDir.endsWith(u'/')) m_tempDir += u'/';
        joined = tempFolder();
        go = JoinVolumes(m_zipFilename, joined) == 0;
        archive = joined;
    }
    if (go) {
        try {
            zipdll::ExtractRequest r;
            r.archive = archive;
            r.specs = m_fSpecArgs;
            r.folder = m_extrBaseDir;
            r.password = m_password;
            r.test = m_extrOptions & ExtrOptsEnum::ExtrTest;
            r.dirNames = m_extrOptions & ExtrOptsEnum::ExtrDirNames;
            r.overwrite = m_extrOptions & ExtrOptsEnum::ExtrOverWrite;
            r.update = m_extrOptions & ExtrOptsEnum::ExtrUpdate;
            r.freshen = (m_extrOptions & ExtrOptsEnum::ExtrFreshen) && !r.update;
            r.verbose = m_verbose || m_trace;
            m_successCount = zipdll::UnzDllExec(r, [this](const zipdll::Callback& c) { return dllCallback(c); });
        } catch (const std::bad_alloc&) {
            showMessage(10103);
        } catch (...) {
            showMessage(10501);
        }
        if (!joined.isEmpty()) QFile::remove(joined);
    }
    m_fSpecArgs.clear();
    if (loadedHere) UnloadUnzDll();
    m_cancelRequested = false;
    m_extractBusy = false;
}

int TQuorrel::EraseFile(const QString& fileName, DeleteOpts how) {
    if (!QFileInfo::exists(fileName) && !QFileInfo(fileName).isSymLink()) return -1;
    if (how == DeleteOpts::htdAllowUndo) return QFile::moveToTrash(fileName) ? 0 : -2;
    return QFile::remove(fileName) ? 0 : -2;
}

// ---------------------------------------------------------------------------------------
// The directory

bool TQuorrel::locateEndRecord(QFile& file, bool fatal, EndRecord& rec) {
    m_archiveComment.clear();
    m_endRecordPosition = 0;
    rec = EndRecord{};
    try {
        const std::int64_t length = file.size();
        char head[8] = {};
        if (file.seek(0) && file.read(head, 8) == 8 && Get32(head) == kSpanSig && Get32(head + 4) == kLocalSig) {
            rec.firstVolume = true;
            m_isSpanned = true;
        }
        auto take = [&](const char* p, std::int64_t position) {
            rec.diskNumber = Get16(p + 4);
            rec.directoryDisk = Get16(p + 6);
            rec.entriesHere = Get16(p + 8);
            rec.totalEntries = Get16(p + 10);
            rec.directorySize = Get32(p + 12);
            rec.directoryOffset = Get32(p + 16);
            rec.commentLength = Get16(p + 20);
            rec.position = position;
            m_endRecordPosition = position;
        };
        if (length >= kEndSize) {
            char tail[kEndSize];
            if (!file.seek(length - kEndSize)) throw EQuorrel(11008, true);
            if (!ReadExactly(file, tail, kEndSize)) throw EQuorrel(11011, true);
            if (Get32(tail) == kEndSig) {
                take(tail, length - kEndSize);
                m_archiveSize = length;
                return true;
            }
            const std::int64_t span = std::min<std::int64_t>(length, kEndSearch);
            QByteArray block(span, '\0');
            if (!file.seek(length - span)) throw EQuorrel(11008, true);
            if (!ReadExactly(file, block.data(), span)) throw EQuorrel(11011, true);
            for (std::int64_t i = span - kEndSize - 1; i >= 0; --i) {
                const char* p = block.constData() + i;
                if (p[0] != 'P' || p[1] != 'K' || p[2] != 5 || p[3] != 6) continue;
                take(p, length - span + i);
                const std::int64_t commentStart = i + kEndSize;
                const std::int64_t commentEnd = std::min<std::int64_t>(commentStart + rec.commentLength, span);
                rec.comment = block.mid(commentStart, commentEnd - commentStart);
                m_archiveSize = length - span + commentEnd;
                const std::int64_t after = span - commentEnd;
                if (after > 0) {
                    const bool zeroPadding = length % 512 == 0 && after < 512
                                             && std::all_of(block.constBegin() + commentEnd, block.constEnd(),
                                                            [](char c) { return c == 0; });
                    if (!zeroPadding) showMessage(10204);
                }
                if (!rec.comment.isEmpty()) m_archiveComment = QString::fromLocal8Bit(rec.comment);
                return true;
            }
        }
        if (!fatal) return false;
        if (!rec.firstVolume) throw EQuorrel(11036, true);
        throw EQuorrel(11045, true);
    } catch (const EQuorrel&) {
        if (fatal) throw;
        return false;
    }
}

QString TQuorrel::convertName(const QByteArray& bytes, const ZipDirEntry& e) const {
    const bool oem = m_codePage == CodePageOpts::cpOEM
                     || (m_codePage == CodePageOpts::cpAuto
                         && (e.HostVersionNo == 0 || e.HostVersionNo == 6
                             || (e.HostVersionNo == 11 && e.MadeByVersion == 50)));
    const bool utf8 = e.Flag & 0x800;
    if (oem && !utf8) return FromOem(bytes);
    return FromStored(bytes, utf8);
}

void TQuorrel::ReadDirectory() {
    m_contents.clear();
    m_directoryStart = 0;
    m_dataStart = 0;
    m_archiveComment.clear();
    m_isSpanned = false;
    m_structureError = false;
    m_lastDisk = 0;
    if (m_zipFilename.isEmpty() || !QFileInfo(m_zipFilename).isFile()) {
        if (OnDirUpdate) OnDirUpdate(this);
        return;
    }
    {
        ui::HourglassCursor hourglass;
        try {
            readDirectory();
        } catch (const EQuorrel& e) {
            reportException(e);
        } catch (const std::bad_alloc&) {
            showMessage(10103);
        } catch (...) {
            showMessage(10202);
        }
    }
    if (OnDirUpdate) OnDirUpdate(this);
}

void TQuorrel::readDirectory() {
    QFile file(m_zipFilename);
    if (!file.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
    EndRecord rec;
    locateEndRecord(file, true, rec);
    m_lastDisk = rec.diskNumber;
    if (m_lastDisk > 0) m_isSpanned = true;
    int disk = rec.diskNumber;
    if (rec.directoryDisk == rec.diskNumber) {
        m_directoryStart = m_archiveSize - static_cast<std::int64_t>(rec.directorySize) - kEndSize - rec.commentLength;
    } else {
        disk = rec.directoryDisk;
        file.close();
        file.setFileName(ReplacedVolumeName(m_zipFilename, disk));
        if (!file.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
        m_archiveSize = file.size();
        m_directoryStart = rec.directoryOffset;
    }
    m_dataStart = m_archiveSize == kEndSize ? 0 : m_archiveSize;
    if (static_cast<std::int64_t>(rec.directoryOffset) != m_directoryStart) {
        m_structureError = true;
        showMessage(10203);
    }
    if (m_directoryStart < 0 || !file.seek(m_directoryStart)) throw EQuorrel(10201, true);
    m_contents.reserve(std::min<int>(rec.totalEntries, 4096));
    for (int i = 0; i < rec.totalEntries; ++i) {
        char h[kCentralSize];
        qint64 got = file.read(h, kCentralSize);
        while (got == 0 && disk < m_lastDisk) {
            // The directory goes on on the next volume.
            ++disk;
            file.close();
            file.setFileName(ReplacedVolumeName(m_zipFilename, disk));
            if (!file.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
            got = file.read(h, kCentralSize);
        }
        if (got != kCentralSize) throw EQuorrel(11013, true);
        if (Get32(h) != kCentralSig) throw EQuorrel(11015, true);
        ZipDirEntry e;
        e.MadeByVersion = static_cast<std::uint8_t>(h[4]);
        e.HostVersionNo = static_cast<std::uint8_t>(h[5]);
        e.NeedVersion = Get16(h + 6);
        e.Flag = Get16(h + 8);
        e.ComprMethod = Get16(h + 10);
        e.ModifTime = Get16(h + 12);
        e.ModifDate = Get16(h + 14);
        e.CRC32 = Get32(h + 16);
        e.ComprSize = Get32(h + 20);
        e.UncomprSize = Get32(h + 24);
        e.FileNameLen = Get16(h + 28);
        e.ExtraFieldLen = Get16(h + 30);
        e.FileComLen = Get16(h + 32);
        e.DiskStart = Get16(h + 34);
        e.IntFileAtt = Get16(h + 36);
        e.ExtFileAtt = Get32(h + 38);
        e.RelOffLocal = Get32(h + 42);
        QByteArray name(e.FileNameLen, '\0');
        if (!ReadExactly(file, name.data(), e.FileNameLen)) throw EQuorrel(11017, true);
        e.FileName = convertName(name, e).replace(u'/', u'\\');
        if (!file.seek(file.pos() + e.ExtraFieldLen) || file.pos() > file.size()) throw EQuorrel(10201, true);
        QByteArray comment(e.FileComLen, '\0');
        if (!ReadExactly(file, comment.data(), e.FileComLen)) throw EQuorrel(11022, true);
        e.FileComment = convertName(comment, e);
        if (static_cast<std::uint64_t>(e.RelOffLocal) < static_cast<std::uint64_t>(m_dataStart))
            m_dataStart = e.RelOffLocal;
        m_contents.push_back(std::move(e));
    }
}

// ---------------------------------------------------------------------------------------
// Self-extracting programs

int TQuorrel::ConvertToSFX() { return convertToSFX(false); }

int TQuorrel::convertToSFX(bool creating) {
    if (!creating && !QFileInfo::exists(m_zipFilename)) {
        showMessage(10102);
        return -9;
    }
    const QByteArray caption = m_sfxCaption.toUtf8();
    const QByteArray defaultDir = m_sfxDefaultDir.toUtf8();
    const QByteArray commandLine = m_sfxCommandLine.toUtf8();
    const qsizetype textLength = caption.size() + defaultDir.size() + commandLine.size();
    if (textLength >= 250) {
        showMessage(10801, QStringLiteral("\r\nSFXCaption + SFXDefaultDir + SFXCommandLine = %1").arg(textLength));
        return -9;
    }
    if (!QFileInfo(m_sfxPath).isFile()) {
        QStringList candidates{QStringLiteral("ZipSFX.bin")};
        if (QCoreApplication::instance())
            candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/ZipSFX.bin");
        if (!m_dllDirectory.isEmpty()) candidates << m_dllDirectory + QStringLiteral("/ZipSFX.bin");
        m_sfxPath.clear();
        for (const QString& c : candidates)
            if (QFileInfo(c).isFile()) {
                m_sfxPath = c;
                break;
            }
        if (m_sfxPath.isEmpty()) {
            showMessage(10802);
            return -9;
        }
    }
    ui::HourglassCursor hourglass;
    QString target = m_zipFilename;
    if (!creating) {
        const QFileInfo info(m_zipFilename);
        if (info.suffix().toUpper() != QStringLiteral("ZIP")) {
            showMessage(10803);
            return -9;
        }
        target = m_zipFilename.left(m_zipFilename.size() - info.suffix().size()) + QStringLiteral("exe");
    }
    if (QFileInfo::exists(target)) EraseFile(target, m_howToDelete);

    int result = 0;
    std::int64_t stubLength = -1, archiveLength = -1, targetLength = -1;
    {
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            result = -1;
        } else {
            std::vector<char> buffer(static_cast<std::size_t>(kCopyChunk));
            // Copies `count` bytes (or to the end with -1); false on a failed read or write.
            auto copy = [&](QFile& in, std::int64_t count) {
                std::int64_t left = count;
                while (count < 0 || left > 0) {
                    const std::int64_t want = count < 0 ? kCopyChunk : std::min<std::int64_t>(left, kCopyChunk);
                    const qint64 n = in.read(buffer.data(), want);
                    if (n < 0) return false;
                    if (n == 0) return count < 0;
                    if (out.write(buffer.data(), n) != n) return false;
                    left -= n;
                    ProcessPendingEvents();
                    if (n < want && count < 0) return true;
                }
                return true;
            };
            QFile stub(m_sfxPath);
            if (!stub.open(QIODevice::ReadOnly)) {
                result = -3;
            } else if (!copy(stub, -1)) {
                result = -2;
            } else {
                stubLength = stub.size();
                QByteArray header(256, '\0');
                header[0] = 'M';
                header[1] = 'P';
                header[2] = 'U';
                int flags = 0;
                if (m_sfxOptions & SFXOptsEnum::SFXAskCmdLine) flags |= 1;
                if (m_sfxOptions & SFXOptsEnum::SFXAskFiles) flags |= 2;
                if (m_sfxOptions & SFXOptsEnum::SFXHideOverWriteBox) flags |= 4;
                if (m_sfxOverWriteMode == OvrOpts::OvrAlways) flags |= 8;
                if (m_sfxOverWriteMode == OvrOpts::OvrNever) flags |= 16;
                if (!(m_sfxOptions & SFXOptsEnum::SFXCheckSize)) flags |= 32;
                if (m_sfxOptions & SFXOptsEnum::SFXAutoRun) flags |= 64;
                header[3] = static_cast<char>(flags);
                header[4] = static_cast<char>(caption.size());
                header[5] = static_cast<char>(defaultDir.size());
                header[6] = static_cast<char>(commandLine.size());
                header.replace(7, textLength, caption + defaultDir + commandLine);
                if (out.write(header) != 256) result = -2;
                const std::uint32_t shift = static_cast<std::uint32_t>(stubLength + 256);
                if (result == 0 && creating) {
                    char end[kEndSize] = {};
                    Put32(end, kEndSig);
                    Put32(end + 16, shift);
                    if (out.write(end, kEndSize) != kEndSize) result = -2;
                    archiveLength = kEndSize;
                } else if (result == 0) {
                    try {
                        QFile in(m_zipFilename);
                        if (!in.open(QIODevice::ReadOnly)) throw EQuorrel(11001, true);
                        EndRecord rec;
                        locateEndRecord(in, true, rec);
                        const std::int64_t directoryStart = m_archiveSize - static_cast<std::int64_t>(rec.directorySize)
                                                            - kEndSize - rec.commentLength;
                        const bool structureError = static_cast<std::int64_t>(rec.directoryOffset) != directoryStart;
                        in.seek(0);
                        if (structureError) {
                            if (!copy(in, -1)) result = -2;
                            archiveLength = in.size();
                        } else {
                            if (!CopyShifted(in, rec, 0, out, shift)) result = -2;
                            archiveLength = m_archiveSize;
                        }
                    } catch (const EQuorrel& e) {
                        reportException(e);
                        result = -3;
                    } catch (...) {
                        result = -3;
                    }
                }
            }
            out.flush();
            targetLength = out.size();
        }
    }
    if (result == 0 && (stubLength < 0 || archiveLength < 0 || targetLength < 0
                        || stubLength + archiveLength + 256 != targetLength))
        result = -9;
    if (result != 0) {
        QFile::remove(target);
        return result;
    }
    if (!creating) {
        EraseFile(m_zipFilename, m_howToDelete);
        SetZipFilename(target);
    }
    return 0;
}
