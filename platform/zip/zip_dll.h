#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace zipdll {

/// What the compressing and extracting routines tell their caller while they run, as one
/// record per call (the action codes are the caller's contract):
///
/// | action | meaning                          | size                     | text            |
/// |--------|----------------------------------|--------------------------|-----------------|
/// | 1      | a file begins                    | its size in bytes        | its name        |
/// | 2      | more bytes are done              | the bytes just done      | empty           |
/// | 3      | the run has ended                | 0                        | empty           |
/// | 4      | a message                        | 0                        | the message     |
/// | 5      | so many files follow             | the number of files      | empty           |
/// | 6      | so many bytes follow in all      | the number of bytes      | empty           |
///
/// `errorCode` is 0 for a plain report and a libzip error code (1 to 255) or one of the
/// `Err...` codes below for a failure.
struct Callback {
    int action = 0;
    int errorCode = 0;
    std::int64_t size = 0;
    QString text;
};

enum CallbackAction { CbFileStart = 1, CbBytesDone = 2, CbBatchEnd = 3, CbMessage = 4, CbFileCount = 5,
                      CbByteCount = 6 };

/// Codes of our own in `Callback::errorCode`, above libzip's error numbers.
enum ErrorCodes {
    ErrNotMatched = 0x101,    ///< a specification matched no file or entry
    ErrExists = 0x102,        ///< extraction kept an existing file
    ErrUnsafeName = 0x103,    ///< extraction refused an entry whose name leaves the folder
    ErrLink = 0x104,          ///< extraction refused a link entry
    ErrBadData = 0x105,       ///< an entry failed its CRC or its size; nothing was written
    ErrNoFolder = 0x106,      ///< the extraction folder does not exist
    ErrCannotWrite = 0x107,   ///< a file or folder could not be written
    ErrCannotRead = 0x108,    ///< a source file could not be read
    ErrArchive = 0x109,       ///< the archive could not be opened or written
    ErrPassword = 0x10A,      ///< an encrypted entry without the right password
    ErrCancelled = 0x10B,     ///< the caller asked to stop
};

/// Answer of the callback: 0 goes on, anything else asks the routine to stop.
using CallbackFn = std::function<int(const Callback&)>;

/// The longest password handed on: stored archives expect at most 80 characters.
inline constexpr int kMaxPasswordLength = 80;

/// One add run: what the compressing routine is to do.
struct AddRequest {
    QString archive;         ///< the archive written (made when missing)
    QStringList specs;       ///< names, folders or wildcards, relative to `baseFolder`
    QString baseFolder;      ///< where relative specifications start; empty: the current folder
    QString password;        ///< used when `encrypt`; cut to kMaxPasswordLength
    int level = 9;           ///< 0 stores, 1 to 9 deflate at that level
    bool dirNames = false;   ///< keep the relative folder in each stored name
    bool recurse = false;    ///< folders are walked to every depth; wildcards match in subfolders
    bool move = false;       ///< sources are deleted after the archive is written
    bool freshen = false;    ///< only entries already stored are replaced, by newer files
    bool update = false;     ///< new files are added and stored ones replaced by newer files
    bool zipTime = false;    ///< the archive gets the time of its newest entry
    bool forceDos = false;   ///< names in 8.3 upper case, marked as made under MS-DOS
    bool hidden = false;     ///< hidden files (names beginning with ".") are added too
    bool encrypt = false;    ///< traditional encryption with `password`
    bool separateDirs = false;  ///< folders get entries of their own (with dirNames)
    bool verbose = false;    ///< a message for every file
    /// Runs once the archive is written, before any source is moved; `move` deletes the
    /// sources only when it answers true.
    std::function<bool()> afterWrite;
};

/// One extract run.
struct ExtractRequest {
    QString archive;
    QStringList specs;       ///< names or wildcards of entries; empty: every entry
    QString folder;          ///< where files go; empty: the current folder; must exist
    QString password;        ///< tried on encrypted entries; cut to kMaxPasswordLength
    bool test = false;       ///< only read and check the entries; nothing is written
    bool dirNames = false;   ///< keep the stored folders below `folder`; else bare names
    bool overwrite = false;  ///< replace existing files; else they are kept and reported
    bool freshen = false;    ///< only existing files are replaced, by newer entries
    bool update = false;     ///< new files are made and existing ones replaced by newer entries
    bool verbose = false;
};

/// Adds files to an archive. The archive is written as a whole: a failed or cancelled run
/// leaves an existing archive exactly as it was, and `move` deletes a source only after the
/// archive was written. Answers the number of files added or replaced; 0 when nothing was
/// done. Every failure is told through the callback (action 4 with an error code).
int ZipDllExec(const AddRequest& request, const CallbackFn& callback);

/// Extracts or tests entries. A file is written only when its entry read back complete with
/// the right CRC and size (it is written beside its target and renamed when done). Entries
/// whose names would leave the folder (absolute names, drive letters, ".." parts) and link
/// entries are refused and reported. Answers the number of entries extracted or tested good.
int UnzDllExec(const ExtractRequest& request, const CallbackFn& callback);

/// The version of the compressing and extracting routines: libzip's, as major * 100 +
/// minor * 10 + micro (1.7.3 answers 173).
int GetZipDllVersion();
int GetUnzDllVersion();

/// The password as it is handed on: at most its first kMaxPasswordLength characters.
QByteArray PasswordBytes(const QString& password);

/// True when `name` matches the wildcard `pattern` ("*" any run, "?" one character), with
/// "/" and "\" the same. Entry names are matched without regard to case, file names on disk
/// with it.
bool WildcardMatch(const QString& pattern, const QString& name, Qt::CaseSensitivity cs = Qt::CaseInsensitive);

}  // namespace zipdll
