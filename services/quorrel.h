#pragma once

#include "platform/base/exception.h"

#include <QFile>
#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zipdll {
struct Callback;
}

enum class AddOptsEnum {
    AddDirNames = 0x1,
    AddRecurseDirs = 0x2,
    AddMove = 0x4,
    AddFreshen = 0x8,
    AddUpdate = 0x10,
    AddZipTime = 0x20,
    AddForceDOS = 0x40,
    AddHiddenFiles = 0x80,
    AddEncrypt = 0x100,
    AddSeparateDirs = 0x200,
    AddDiskSpan = 0x400,
    AddDiskSpanErase = 0x800,
};
Q_DECLARE_FLAGS(AddOpts, AddOptsEnum)
Q_DECLARE_OPERATORS_FOR_FLAGS(AddOpts)

enum class ExtrOptsEnum { ExtrDirNames = 0x1, ExtrOverWrite = 0x2, ExtrFreshen = 0x4, ExtrUpdate = 0x8, ExtrTest = 0x10 };
Q_DECLARE_FLAGS(ExtrOpts, ExtrOptsEnum)
Q_DECLARE_OPERATORS_FOR_FLAGS(ExtrOpts)

enum class SFXOptsEnum { SFXAskCmdLine = 0x1, SFXAskFiles = 0x2, SFXAutoRun = 0x4, SFXHideOverWriteBox = 0x8,
                         SFXCheckSize = 0x10 };
Q_DECLARE_FLAGS(SFXOpts, SFXOptsEnum)
Q_DECLARE_OPERATORS_FOR_FLAGS(SFXOpts)

enum class OvrOpts { OvrConfirm, OvrAlways, OvrNever };
enum class CodePageOpts { cpAuto, cpNone, cpOEM };
enum class DeleteOpts { htdFinal, htdAllowUndo };
enum class ProgrType { ptFileStart, ptBytesDone, ptBatchEnd, ptFileCount, ptByteCount };

/// One archived file as the archive's central directory describes it. The numeric fields are
/// the 42 bytes that follow the signature of the file's central directory header, in the
/// format's order and widths:
///
/// | offset | size | field                                                           |
/// |--------|------|-----------------------------------------------------------------|
/// | 0      | 1    | MadeByVersion: version of the format that made the entry (x 10) |
/// | 1      | 1    | HostVersionNo: host system (0 MS-DOS, 3 Unix, 6 HPFS, 11 NTFS)  |
/// | 2      | 2    | NeedVersion: version needed to extract                          |
/// | 4      | 2    | Flag: general-purpose flags (bit 0 encrypted, 3 data descriptor, 11 UTF-8) |
/// | 6      | 2    | ComprMethod (0 stored, 8 deflated)                              |
/// | 8      | 2    | ModifTime, MS-DOS form                                          |
/// | 10     | 2    | ModifDate, MS-DOS form                                          |
/// | 12     | 4    | CRC32                                                           |
/// | 16     | 4    | ComprSize                                                       |
/// | 20     | 4    | UncomprSize                                                     |
/// | 24     | 2    | FileNameLen                                                     |
/// | 26     | 2    | ExtraFieldLen                                                   |
/// | 28     | 2    | FileComLen                                                      |
/// | 30     | 2    | DiskStart: the volume of the local header                       |
/// | 32     | 2    | IntFileAtt                                                      |
/// | 34     | 4    | ExtFileAtt                                                      |
/// | 38     | 4    | RelOffLocal: the local header's offset within its volume        |
struct ZipDirEntry {
    std::uint8_t MadeByVersion = 0;
    std::uint8_t HostVersionNo = 0;
    std::uint16_t NeedVersion = 0;
    std::uint16_t Flag = 0;
    std::uint16_t ComprMethod = 0;
    std::uint16_t ModifTime = 0;
    std::uint16_t ModifDate = 0;
    std::uint32_t CRC32 = 0;
    std::uint32_t ComprSize = 0;
    std::uint32_t UncomprSize = 0;
    std::uint16_t FileNameLen = 0;
    std::uint16_t ExtraFieldLen = 0;
    std::uint16_t FileComLen = 0;
    std::uint16_t DiskStart = 0;
    std::uint16_t IntFileAtt = 0;
    std::uint32_t ExtFileAtt = 0;
    std::uint32_t RelOffLocal = 0;
    QString FileName;     ///< converted by the code-page rule, every "/" replaced by "\"
    QString FileComment;  ///< converted by the code-page rule
};

/// A failure inside a zip component operation: the message number, its text and whether
/// the text is to be shown to the user (not only reported).
class EQuorrel : public base::Exception {
public:
    EQuorrel(int ident, bool display);
    /// Formats `value` into the text's "%d"; shown.
    EQuorrel(int ident, int value);
    /// Formats `text` into the text's "%s"; shown.
    EQuorrel(int ident, const QString& text);
    bool Display() const { return m_display; }

private:
    bool m_display;
};

/// The zip component: adds files to an archive and extracts them (through the compressing
/// and extracting routines of platform/zip), reads the archive's directory itself, turns an
/// archive into a self-extracting program, and spans an archive over numbered volume files
/// (Pack001.zip, Pack002.zip, ...) and joins such a set again.
///
/// Every failure ends in a numbered message (10101 to 11046): it is kept in `ErrorCode` and
/// `LastMessage`, passed to `OnMessage` and, unless `Unattended`, shown through the dialog
/// service. Nothing is raised to the caller; callers judge an add or extract by
/// `SuccessCount`.
///
/// States: idle; adding (`AddBusy`, from the start of an add or a split to its end);
/// extracting (`ExtractBusy`, from the start of an extract or a join to its end). An add or
/// extract started from an event handler while the same kind runs does nothing. The host
/// sets `CancelRequested` to stop a running add, extract, split or join at its next step;
/// every add and extract clears it when it starts and when it ends.
class TQuorrel : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TQuorrel* sender)>;
    using TProgressEvent = std::function<void(TQuorrel* sender, ProgrType progressType, const QString& fileName,
                                              std::int64_t fileSize)>;
    using TMessageEvent = std::function<void(TQuorrel* sender, int errCode, const QString& message)>;

    explicit TQuorrel(QObject* owner = nullptr);
    ~TQuorrel() override;

    // Published properties.
    bool Verbose() const { return m_verbose; }
    void SetVerbose(bool v) { m_verbose = v; }
    bool Trace() const { return m_trace; }
    void SetTrace(bool v) { m_trace = v; }
    int AddCompLevel() const { return m_addCompLevel; }
    void SetAddCompLevel(int v) { m_addCompLevel = v; }
    AddOpts AddOptions() const { return m_addOptions; }
    void SetAddOptions(AddOpts v) { m_addOptions = v; }
    const QString& ExtrBaseDir() const { return m_extrBaseDir; }
    void SetExtrBaseDir(const QString& v) { m_extrBaseDir = v; }
    ExtrOpts ExtrOptions() const { return m_extrOptions; }
    void SetExtrOptions(ExtrOpts v) { m_extrOptions = v; }
    SFXOpts SFXOptions() const { return m_sfxOptions; }
    void SetSFXOptions(SFXOpts v) { m_sfxOptions = v; }
    /// The file specifications of the next add or extract; every add and extract empties it.
    QStringList& FSpecArgs() { return m_fSpecArgs; }
    void SetFSpecArgs(const QStringList& v) { m_fSpecArgs = v; }
    bool Unattended() const { return m_unattended; }
    void SetUnattended(bool v) { m_unattended = v; }
    const QString& ZipFilename() const { return m_zipFilename; }
    /// Names the archive and reads its directory at once.
    void SetZipFilename(const QString& v);
    /// At most 255 characters are kept; the first 80 are handed on.
    const QString& Password() const { return m_password; }
    void SetPassword(const QString& v) { m_password = v.left(255); }
    const QString& SFXPath() const { return m_sfxPath; }
    void SetSFXPath(const QString& v) { m_sfxPath = v; }
    const QString& DLLDirectory() const { return m_dllDirectory; }
    /// A trailing separator is removed.
    void SetDLLDirectory(const QString& v);
    OvrOpts SFXOverWriteMode() const { return m_sfxOverWriteMode; }
    void SetSFXOverWriteMode(OvrOpts v) { m_sfxOverWriteMode = v; }
    const QString& SFXCaption() const { return m_sfxCaption; }
    void SetSFXCaption(const QString& v) { m_sfxCaption = v; }
    const QString& SFXDefaultDir() const { return m_sfxDefaultDir; }
    void SetSFXDefaultDir(const QString& v) { m_sfxDefaultDir = v; }
    const QString& SFXCommandLine() const { return m_sfxCommandLine; }
    void SetSFXCommandLine(const QString& v) { m_sfxCommandLine = v; }
    const QString& TempDir() const { return m_tempDir; }
    void SetTempDir(const QString& v) { m_tempDir = v; }
    std::int64_t KeepFreeOnDisk1() const { return m_keepFreeOnDisk1; }
    void SetKeepFreeOnDisk1(std::int64_t v) { m_keepFreeOnDisk1 = v; }
    std::int64_t MaxVolumeSize() const { return m_maxVolumeSize; }
    void SetMaxVolumeSize(std::int64_t v) { m_maxVolumeSize = v; }
    std::int64_t MinFreeVolumeSize() const { return m_minFreeVolumeSize; }
    void SetMinFreeVolumeSize(std::int64_t v) { m_minFreeVolumeSize = v; }
    bool ConfirmErase() const { return m_confirmErase; }
    void SetConfirmErase(bool v) { m_confirmErase = v; }
    CodePageOpts CodePage() const { return m_codePage; }
    void SetCodePage(CodePageOpts v) { m_codePage = v; }
    DeleteOpts HowToDelete() const { return m_howToDelete; }
    void SetHowToDelete(DeleteOpts v) { m_howToDelete = v; }
    QString VersionInfo() const { return QStringLiteral("1.52 K"); }
    void SetVersionInfo(const QString&) {}

    TNotifyEvent OnDirUpdate;
    TProgressEvent OnProgress;
    TMessageEvent OnMessage;

    // Run-time state.
    int SuccessCount() const { return m_successCount; }
    int ErrorCode() const { return m_errorCode; }
    int FullErrorCode() const { return m_fullErrorCode; }
    const QString& LastMessage() const { return m_lastMessage; }
    const std::vector<ZipDirEntry>& Contents() const { return m_contents; }
    int Count() const { return static_cast<int>(m_contents.size()); }
    bool CancelRequested() const { return m_cancelRequested; }
    void SetCancelRequested(bool v) { m_cancelRequested = v; }
    bool AddBusy() const { return m_addBusy; }
    bool ExtractBusy() const { return m_extractBusy; }
    int LastDisk() const { return m_lastDisk; }
    bool IsSpanned() const { return m_isSpanned; }
    std::int64_t ArchiveSize() const { return m_archiveSize; }
    std::int64_t DataStart() const { return m_dataStart; }
    std::int64_t DirectoryStart() const { return m_directoryStart; }
    bool StructureError() const { return m_structureError; }
    std::int64_t EndRecordPosition() const { return m_endRecordPosition; }
    const QString& ArchiveComment() const { return m_archiveComment; }
    std::int64_t TotalBytes() const { return m_totalBytes; }

    // Operations.
    void AddFiles();
    void ExtractFiles();
    void ReadDirectory();
    /// 0 on success, else a negative code (the failure is reported as a message).
    int ConvertToSFX();
    int ZipDllVersion();
    int UnzDllVersion();
    void LoadZipDll();
    void LoadUnzDll();
    void UnloadZipDll();
    void UnloadUnzDll();
    /// Deletes one file: for good with htdFinal, to the desktop's trash with htdAllowUndo.
    /// 0 on success, -1 when the file does not exist, -2 when it could not be deleted.
    int EraseFile(const QString& fileName, DeleteOpts how);

    /// Writes the archive `source` onto numbered volumes named after `target` (Pack.zip gives
    /// Pack001.zip, Pack002.zip, ...). 0 on success; -7 after a reported failure or a cancel,
    /// -8 out of memory, -9 any other failure.
    int SplitToVolumes(const QString& source, const QString& target);
    /// Joins the set whose last volume is `setName` into one archive. `target` is a file name
    /// (replaced) or a folder (a new file "zip<unique>.zip" is made in it); on success
    /// `target` holds the archive's name, on failure the partial archive is deleted and
    /// `target` emptied. Results as for SplitToVolumes.
    int JoinVolumes(const QString& setName, QString& target);

    /// The name of volume `disk` (0-based) of a set written for `archive` ("Pack.zip", 2:
    /// "Pack003.zip").
    static QString VolumeFileName(const QString& archive, int disk);

private:
    class Span;
    struct EndRecord;

    void showMessage(int ident, const QString& appended = {});
    void reportException(const EQuorrel& e);
    int dllCallback(const zipdll::Callback& c);
    void fireProgress(ProgrType type, const QString& name, std::int64_t size);
    void fireMessage(int errCode, const QString& text);
    bool locateEndRecord(QFile& file, bool fatal, EndRecord& record);
    void readDirectory();
    QString convertName(const QByteArray& bytes, const ZipDirEntry& entry) const;
    int convertToSFX(bool creating);
    QString tempFolder() const;

    bool m_verbose = false;
    bool m_trace = false;
    int m_addCompLevel = 9;
    AddOpts m_addOptions;
    QString m_extrBaseDir;
    ExtrOpts m_extrOptions;
    SFXOpts m_sfxOptions = SFXOptsEnum::SFXCheckSize;
    QStringList m_fSpecArgs;
    bool m_unattended = false;
    QString m_zipFilename;
    QString m_password;
    QString m_sfxPath = QStringLiteral("ZipSFX.bin");
    QString m_dllDirectory;
    OvrOpts m_sfxOverWriteMode = OvrOpts::OvrConfirm;
    QString m_sfxCaption = QStringLiteral("Self-extracting Archive");
    QString m_sfxDefaultDir;
    QString m_sfxCommandLine;
    QString m_tempDir;
    std::int64_t m_keepFreeOnDisk1 = 0;
    std::int64_t m_maxVolumeSize = 0;
    std::int64_t m_minFreeVolumeSize = 65536;
    bool m_confirmErase = true;
    CodePageOpts m_codePage = CodePageOpts::cpAuto;
    DeleteOpts m_howToDelete = DeleteOpts::htdAllowUndo;

    int m_successCount = 0;
    int m_errorCode = 0;
    int m_fullErrorCode = 0;
    QString m_lastMessage;
    std::vector<ZipDirEntry> m_contents;
    bool m_cancelRequested = false;
    bool m_addBusy = false;
    bool m_extractBusy = false;
    int m_lastDisk = 0;
    bool m_isSpanned = false;
    std::int64_t m_archiveSize = 0;
    std::int64_t m_dataStart = 0;
    std::int64_t m_directoryStart = 0;
    bool m_structureError = false;
    std::int64_t m_endRecordPosition = 0;
    QString m_archiveComment;
    std::int64_t m_totalBytes = 0;
};

namespace services {

/// The program's shared zip component (named "Quorrel"), or null while no program has
/// installed one. The program makes it at start-up with the defaults above and installs it
/// here; the template package export and import use it.
TQuorrel* Quorrel();
void SetQuorrel(TQuorrel* quorrel);

/// The texts of messages 10101 to 11046, declared once with the program's string table.
void DeclareQuorrelMessages();

/// How a drive is used for volumes. Every target here is a fixed drive (numbered files) unless
/// the probe says the folder lies on a removable medium, which cannot be formatted here.
enum class DriveKind { Fixed, Removable };
using DriveProbe = std::function<DriveKind(const QString& folder)>;
/// Replaces the probe (tests); an empty function restores the one that reads the system's
/// block-device table.
void SetDriveProbe(DriveProbe probe);

}  // namespace services
