#include "platform/zip/zip_dll.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zip.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace zipdll {

namespace {

/// Bytes done are told in steps of this size (and at each file's end), so a caller that
/// processes its events on every report is not asked a hundred thousand times per gigabyte.
constexpr std::int64_t kProgressStep = 256 * 1024;
/// The chunk in which extraction reads entry data (one heap buffer per run).
constexpr std::int64_t kReadChunk = 256 * 1024;

struct ZipCloser {
    void operator()(zip_t* za) const { zip_discard(za); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileCloser>;

/// Tells the caller what happens and remembers a request to stop.
class Reporter {
public:
    explicit Reporter(const CallbackFn& fn) : m_fn(fn) {}

    bool Cancelled() const { return m_cancelled; }

    void Tell(int action, std::int64_t size = 0, const QString& text = {}, int errorCode = 0) {
        if (!m_fn) return;
        Callback c;
        c.action = action;
        c.size = size;
        c.text = text;
        c.errorCode = errorCode;
        if (m_fn(c) != 0) m_cancelled = true;
    }
    void Message(const QString& text, int errorCode = 0) { Tell(CbMessage, 0, text, errorCode); }

    /// Counts bytes done and tells them in steps; `flush` tells what is left.
    void BytesDone(std::int64_t bytes, bool flush = false) {
        m_pending += bytes;
        if (m_pending > 0 && (flush || m_pending >= kProgressStep)) {
            const std::int64_t n = m_pending;
            m_pending = 0;
            Tell(CbBytesDone, n);
        }
    }

private:
    const CallbackFn& m_fn;
    bool m_cancelled = false;
    std::int64_t m_pending = 0;
};

QString ZipErrorText(zip_error_t* error) { return QString::fromUtf8(zip_error_strerror(error)); }

QString ArchiveErrorText(zip_t* za) { return ZipErrorText(zip_get_error(za)); }

// ---------------------------------------------------------------------------------------
// Adding

/// One file or folder chosen for an add.
struct Source {
    QString path;    ///< full path on disk
    QString stored;  ///< the name in the archive ("/" separated; folders end with "/")
    bool isDir = false;
    std::int64_t size = 0;
    QDateTime modified;
};

/// A libzip source that reads one file, telling the caller when it starts and how far it
/// has come, and stopping when the caller asked to stop. libzip reads it while it writes
/// the archive (in zip_close).
class FileSource {
public:
    FileSource(const Source& source, Reporter& reporter)
        : m_source(source), m_reporter(reporter), m_file(source.path) {
        zip_error_init(&m_error);
    }
    ~FileSource() { zip_error_fini(&m_error); }

    static zip_int64_t Call(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
        return static_cast<FileSource*>(state)->call(data, len, cmd);
    }

private:
    zip_int64_t call(void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
        switch (cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->valid = ZIP_STAT_MTIME;
            st->mtime = static_cast<time_t>(m_source.modified.toSecsSinceEpoch());
            return sizeof(*st);
        }
        case ZIP_SOURCE_OPEN:
            if (m_reporter.Cancelled()) return fail(ZIP_ER_CANCELLED);
            if (!m_file.open(QIODevice::ReadOnly)) {
                m_reporter.Message(QStringLiteral("could not read %1: %2").arg(m_source.path, m_file.errorString()),
                                   ErrCannotRead);
                return fail(ZIP_ER_OPEN);
            }
            m_reporter.Tell(CbFileStart, m_source.size, m_source.stored);
            return 0;
        case ZIP_SOURCE_READ: {
            if (m_reporter.Cancelled()) return fail(ZIP_ER_CANCELLED);
            const qint64 n = m_file.read(static_cast<char*>(data), static_cast<qint64>(len));
            if (n < 0) return fail(ZIP_ER_READ);
            m_reporter.BytesDone(n, n == 0);
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            m_file.close();
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, len);
        case ZIP_SOURCE_FREE:
            delete this;
            return 0;
        default:
            return fail(ZIP_ER_OPNOTSUPP);
        }
    }

    zip_int64_t fail(int code) {
        zip_error_set(&m_error, code, 0);
        return -1;
    }

    Source m_source;
    Reporter& m_reporter;
    QFile m_file;
    zip_error_t m_error;
};

/// A stored name in MS-DOS form: every part upper case, cut to 8 characters and an
/// extension of 3.
QString DosName(const QString& stored) {
    const bool dir = stored.endsWith(u'/');
    QStringList parts = stored.split(u'/', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        QString base = part, ext;
        const int dot = part.lastIndexOf(u'.');
        if (dot > 0) {
            base = part.left(dot);
            ext = part.mid(dot + 1);
        }
        base.remove(u'.');
        base.remove(u' ');
        part = base.left(8).toUpper();
        if (!ext.isEmpty()) part += u'.' + ext.left(3).toUpper();
    }
    return parts.join(u'/') + (dir ? QStringLiteral("/") : QString());
}

/// The stored form of a path relative to the base folder: "/" separators, no leading "/",
/// no "." or ".." parts (as common zip programs store them).
QString StoredPath(const QString& relative) {
    QStringList parts;
    for (const QString& p : QDir::fromNativeSeparators(relative).split(u'/', Qt::SkipEmptyParts))
        if (p != u'.' && p != QStringLiteral("..")) parts << p;
    return parts.join(u'/');
}

bool IsHiddenName(const QString& name) { return name.startsWith(u'.'); }

class SourceCollector {
public:
    SourceCollector(const AddRequest& request, Reporter& reporter) : m_request(request), m_reporter(reporter) {
        m_base = QDir(request.baseFolder.isEmpty() ? QDir::currentPath() : request.baseFolder);
    }

    std::vector<Source> Collect() {
        for (const QString& filePattern : m_request.specs) {
            if (filePattern.trimmed().isEmpty()) continue;
            const std::size_t before = m_sources.size();
            collectPattern(QDir::fromNativeSeparators(filePattern));
            if (m_sources.size() == before)
                m_reporter.Message(QStringLiteral("name not matched: %1").arg(filePattern), ErrNotMatched);
        }
        return std::move(m_sources);
    }

private:
    /// `relative` is the name as the filePattern gives it (kept for the stored name).
    void add(const QFileInfo& info, const QString& relative) {
        const QString full = info.absoluteFilePath();
        if (std::find(m_seen.begin(), m_seen.end(), full) != m_seen.end()) return;
        m_seen.push_back(full);
        Source s;
        s.path = full;
        s.isDir = info.isDir();
        s.size = s.isDir ? 0 : info.size();
        s.modified = info.lastModified();
        QString stored = m_request.dirNames ? StoredPath(relative) : info.fileName();
        if (stored.isEmpty()) return;
        if (s.isDir) stored += u'/';
        if (m_request.forceDos) stored = DosName(stored);
        s.stored = stored;
        m_sources.push_back(std::move(s));
    }

    bool wanted(const QFileInfo& info) const {
        if (info.isSymLink() && !info.exists()) return false;
        return m_request.hidden || !IsHiddenName(info.fileName());
    }

    void walk(const QString& dirPath, const QString& dirRelative, const QString& pattern) {
        QDir dir(dirPath);
        QDir::Filters filters = QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot;
        if (m_request.hidden) filters |= QDir::Hidden | QDir::System;
        const QFileInfoList entries = dir.entryInfoList(filters, QDir::Name);
        for (const QFileInfo& info : entries) {
            if (!wanted(info)) continue;
            const QString rel = dirRelative.isEmpty() ? info.fileName() : dirRelative + u'/' + info.fileName();
            if (info.isDir()) {
                if (!m_request.recurse) continue;
                if (pattern.isEmpty() && m_request.dirNames && m_request.separateDirs) add(info, rel);
                if (!info.isSymLink()) walk(info.filePath(), rel, pattern);
            } else if (pattern.isEmpty() || WildcardMatch(pattern, info.fileName(), Qt::CaseSensitive)) {
                add(info, rel);
            }
        }
    }

    void collectPattern(const QString& filePattern) {
        const bool wildcard = filePattern.contains(u'*') || filePattern.contains(u'?');
        if (!wildcard) {
            const QFileInfo info(m_base, filePattern);
            if (!info.exists()) return;
            if (!info.isDir()) {
                add(info, filePattern);
                return;
            }
            if (m_request.dirNames && m_request.separateDirs) add(info, filePattern);
            if (m_request.recurse) walk(info.absoluteFilePath(), StoredPath(filePattern), {});
            return;
        }
        const int slash = filePattern.lastIndexOf(u'/');
        const QString dirPart = slash >= 0 ? filePattern.left(slash) : QString();
        const QString pattern = filePattern.mid(slash + 1);
        const QFileInfo dirInfo(m_base, dirPart.isEmpty() ? QStringLiteral(".") : dirPart);
        if (!dirInfo.isDir()) return;
        if (m_request.recurse) {
            walk(dirInfo.absoluteFilePath(), dirPart, pattern);
            return;
        }
        QDir dir(dirInfo.absoluteFilePath());
        QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
        if (m_request.hidden) filters |= QDir::Hidden | QDir::System;
        for (const QFileInfo& info : dir.entryInfoList(filters, QDir::Name)) {
            if (!wanted(info) || !WildcardMatch(pattern, info.fileName(), Qt::CaseSensitive)) continue;
            add(info, dirPart.isEmpty() ? info.fileName() : dirPart + u'/' + info.fileName());
        }
    }

    const AddRequest& m_request;
    Reporter& m_reporter;
    QDir m_base;
    std::vector<Source> m_sources;
    std::vector<QString> m_seen;
};

/// True when a file of modification time `file` is newer than an entry stored at `entry`
/// (MS-DOS times keep even seconds, so two seconds of difference are allowed).
bool IsNewer(const QDateTime& file, time_t entry) { return file.toSecsSinceEpoch() > static_cast<qint64>(entry) + 1; }

/// True when an entry stored at `entry` is newer than the file on disk.
bool IsNewerThanFile(time_t entry, const QFileInfo& file) {
    return static_cast<qint64>(entry) > file.lastModified().toSecsSinceEpoch() + 1;
}

}  // namespace

QByteArray PasswordBytes(const QString& password) { return password.left(kMaxPasswordLength).toLatin1(); }

bool WildcardMatch(const QString& pattern, const QString& name, Qt::CaseSensitivity cs) {
    const QString p = QString(pattern).replace(u'\\', u'/');
    const QString n = QString(name).replace(u'\\', u'/');
    // Iterative match with one backtracking point for the last "*".
    qsizetype pi = 0, ni = 0, star = -1, mark = 0;
    auto same = [cs](QChar a, QChar b) { return cs == Qt::CaseSensitive ? a == b : a.toCaseFolded() == b.toCaseFolded(); };
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == u'?' || (p[pi] != u'*' && same(p[pi], n[ni])))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == u'*') {
            star = pi++;
            mark = ni;
        } else if (star >= 0) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'*') ++pi;
    return pi == p.size();
}

int GetZipDllVersion() {
    int major = 0, minor = 0, micro = 0;
    std::sscanf(zip_libzip_version(), "%d.%d.%d", &major, &minor, &micro);
    return major * 100 + minor * 10 + micro;
}

int GetUnzDllVersion() { return GetZipDllVersion(); }

int ZipDllExec(const AddRequest& request, const CallbackFn& callback) {
    Reporter reporter(callback);
    struct BatchEnd {
        Reporter& r;
        ~BatchEnd() { r.Tell(CbBatchEnd); }
    } batchEnd{reporter};

    if (request.archive.isEmpty()) {
        reporter.Message(QStringLiteral("no archive named"), ErrArchive);
        return 0;
    }
    if (request.encrypt && request.password.isEmpty()) {
        reporter.Message(QStringLiteral("encryption needs a password"), ErrPassword);
        return 0;
    }
    std::vector<Source> sources = SourceCollector(request, reporter).Collect();
    if (reporter.Cancelled()) return 0;

    int err = 0;
    const QByteArray archiveName = QFile::encodeName(request.archive);
    ZipHandle za(zip_open(archiveName.constData(), ZIP_CREATE, &err));
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        reporter.Message(QStringLiteral("could not open %1: %2").arg(request.archive, ZipErrorText(&e)), ErrArchive);
        zip_error_fini(&e);
        return 0;
    }
    const QString archiveFull = QFileInfo(request.archive).absoluteFilePath();
    const QByteArray password = PasswordBytes(request.password);

    std::vector<const Source*> chosen;
    std::int64_t totalBytes = 0;
    for (const Source& s : sources) {
        if (s.path == archiveFull) continue;  // never the archive into itself
        const QByteArray name = s.stored.toUtf8();
        const zip_int64_t existing = zip_name_locate(za.get(), name.constData(), ZIP_FL_ENC_RAW);
        if (request.freshen || request.update) {
            zip_stat_t st;
            const bool stored = existing >= 0 && zip_stat_index(za.get(), existing, 0, &st) == 0;
            if (request.update) {
                if (stored && !IsNewer(s.modified, st.mtime)) continue;
            } else if (!stored || !IsNewer(s.modified, st.mtime)) {
                continue;
            }
        }
        zip_int64_t index = -1;
        if (s.isDir) {
            index = existing >= 0 ? existing : zip_dir_add(za.get(), name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* src = zip_source_function(za.get(), &FileSource::Call, new FileSource(s, reporter));
            if (!src) {
                reporter.Message(ArchiveErrorText(za.get()), ErrArchive);
                return 0;
            }
            index = zip_file_add(za.get(), name.constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
            if (index < 0) {
                zip_source_free(src);
            } else {
                zip_set_file_compression(za.get(), index, request.level <= 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                         static_cast<zip_uint32_t>(std::clamp(request.level, 0, 9)));
                if (request.encrypt)
                    zip_file_set_encryption(za.get(), index, ZIP_EM_TRAD_PKWARE, password.constData());
            }
        }
        if (index < 0) {
            reporter.Message(QStringLiteral("could not add %1: %2").arg(s.stored, ArchiveErrorText(za.get())),
                             ErrArchive);
            return 0;
        }
        zip_file_set_mtime(za.get(), index, static_cast<time_t>(s.modified.toSecsSinceEpoch()), 0);
        if (request.forceDos) {
            zip_file_set_external_attributes(za.get(), index, 0, ZIP_OPSYS_DOS, s.isDir ? 0x10 : 0x20);
        } else {
            const QFileInfo info(s.path);
            const zip_uint32_t mode = (s.isDir ? S_IFDIR : S_IFREG) | (info.permissions() & QFile::ReadOwner ? 0400 : 0)
                                      | (info.permissions() & QFile::WriteOwner ? 0200 : 0)
                                      | (info.permissions() & QFile::ExeOwner ? 0100 : 0)
                                      | (info.permissions() & QFile::ReadGroup ? 040 : 0)
                                      | (info.permissions() & QFile::WriteGroup ? 020 : 0)
                                      | (info.permissions() & QFile::ExeGroup ? 010 : 0)
                                      | (info.permissions() & QFile::ReadOther ? 04 : 0)
                                      | (info.permissions() & QFile::WriteOther ? 02 : 0)
                                      | (info.permissions() & QFile::ExeOther ? 01 : 0);
            zip_file_set_external_attributes(za.get(), index, 0, ZIP_OPSYS_UNIX, mode << 16);
        }
        if (request.verbose) reporter.Message(QStringLiteral("  adding: %1").arg(s.stored));
        chosen.push_back(&s);
        totalBytes += s.size;
        if (reporter.Cancelled()) return 0;
    }
    if (chosen.empty()) {
        reporter.Message(QStringLiteral("nothing to do"), ErrNotMatched);
        return 0;
    }
    reporter.Tell(CbFileCount, static_cast<std::int64_t>(chosen.size()));
    reporter.Tell(CbByteCount, totalBytes);
    zip_register_cancel_callback_with_state(
        za.get(), [](zip_t*, void* state) { return static_cast<Reporter*>(state)->Cancelled() ? 1 : 0; }, nullptr,
        &reporter);
    if (reporter.Cancelled() || zip_close(za.get()) != 0) {
        const bool cancelled = reporter.Cancelled() || zip_error_code_zip(zip_get_error(za.get())) == ZIP_ER_CANCELLED;
        reporter.Message(cancelled ? QStringLiteral("cancelled; the archive is unchanged")
                                   : QStringLiteral("could not write %1: %2").arg(request.archive,
                                                                                  ArchiveErrorText(za.get())),
                         cancelled ? ErrCancelled : ErrArchive);
        return 0;  // the handle discards, which removes libzip's temporary file
    }
    za.release();
    reporter.BytesDone(0, true);

    const bool written = !request.afterWrite || request.afterWrite();
    if (request.move && written) {
        // The archive is written: now the sources may go, files first, then emptied folders.
        for (const Source* s : chosen)
            if (!s->isDir && !QFile::remove(s->path))
                reporter.Message(QStringLiteral("could not delete %1").arg(s->path), ErrCannotWrite);
        for (auto it = chosen.rbegin(); it != chosen.rend(); ++it)
            if ((*it)->isDir) QDir().rmdir((*it)->path);
    }
    if (request.zipTime) {
        // The archive takes the time of its newest entry.
        ZipHandle check(zip_open(archiveName.constData(), ZIP_RDONLY, &err));
        if (check) {
            time_t newest = 0;
            const zip_int64_t n = zip_get_num_entries(check.get(), 0);
            for (zip_int64_t i = 0; i < n; ++i) {
                zip_stat_t st;
                if (zip_stat_index(check.get(), i, 0, &st) == 0 && (st.valid & ZIP_STAT_MTIME))
                    newest = std::max(newest, st.mtime);
            }
            check.reset();
            if (newest > 0) {
                QFile f(request.archive);
                if (f.open(QIODevice::ReadWrite))
                    f.setFileTime(QDateTime::fromSecsSinceEpoch(newest), QFileDevice::FileModificationTime);
            }
        }
    }
    return static_cast<int>(chosen.size());
}

// ---------------------------------------------------------------------------------------
// Extracting

namespace {

/// The path below the extraction folder that an entry name gives, or an empty string when
/// the name would leave the folder (absolute, a drive letter, a ".." part). Backslashes
/// count as separators too, as archives made on MS-DOS and Windows use them.
std::optional<QString> SafeRelativePath(const QString& name, bool dirNames) {
    QString n = name;
    n.replace(u'\\', u'/');
    QStringList parts = n.split(u'/', Qt::SkipEmptyParts);
    if (!dirNames) {
        // The bare name: whatever folders the entry names are dropped.
        if (parts.isEmpty() || parts.last() == u'.' || parts.last() == QStringLiteral("..")) return std::nullopt;
        QString bare = parts.last();
        if (bare.size() >= 2 && bare[1] == u':' && bare[0].isLetter()) bare = bare.mid(2);
        if (bare.isEmpty()) return std::nullopt;
        return bare;
    }
    if (n.startsWith(u'/')) return std::nullopt;
    if (n.size() >= 2 && n[1] == u':' && n[0].isLetter()) return std::nullopt;
    parts.removeAll(QStringLiteral("."));
    if (parts.isEmpty() || parts.contains(QStringLiteral(".."))) return std::nullopt;
    return parts.join(u'/');
}

bool IsInside(const QString& canonicalFolder, const QString& canonicalPath) {
    return canonicalPath == canonicalFolder || canonicalPath.startsWith(canonicalFolder + u'/');
}

/// The deepest existing folder on the way to `path` (which need not exist).
QString DeepestExisting(QString path) {
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const int slash = path.lastIndexOf(u'/');
        if (slash <= 0) return QStringLiteral("/");
        path = path.left(slash);
    }
    return path;
}

}  // namespace

int UnzDllExec(const ExtractRequest& request, const CallbackFn& callback) {
    Reporter reporter(callback);
    struct BatchEnd {
        Reporter& r;
        ~BatchEnd() { r.Tell(CbBatchEnd); }
    } batchEnd{reporter};

    QString folder;
    if (!request.test) {
        folder = request.folder.isEmpty() ? QDir::currentPath() : request.folder;
        if (!QFileInfo(folder).isDir()) {
            reporter.Message(QStringLiteral("the folder %1 does not exist; nothing was extracted").arg(folder),
                             ErrNoFolder);
            return 0;
        }
        folder = QFileInfo(folder).canonicalFilePath();
    }

    int err = 0;
    ZipHandle za(zip_open(QFile::encodeName(request.archive).constData(), ZIP_RDONLY, &err));
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        reporter.Message(QStringLiteral("could not open %1: %2").arg(request.archive, ZipErrorText(&e)), ErrArchive);
        zip_error_fini(&e);
        return 0;
    }
    const QByteArray password = PasswordBytes(request.password);

    // The entries chosen, in archive order.
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    std::vector<zip_uint64_t> chosen;
    std::vector<bool> specUsed(request.specs.size(), false);
    std::int64_t totalBytes = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(za.get(), i, ZIP_FL_ENC_GUESS);
        if (!raw) continue;
        const QString name = QString::fromUtf8(raw);
        bool take = request.specs.isEmpty();
        for (int s = 0; s < request.specs.size(); ++s)
            if (WildcardMatch(request.specs[s], name)) {
                take = true;
                specUsed[s] = true;
            }
        if (!take) continue;
        chosen.push_back(static_cast<zip_uint64_t>(i));
        zip_stat_t st;
        if (zip_stat_index(za.get(), i, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
            totalBytes += static_cast<std::int64_t>(st.size);
    }
    for (int s = 0; s < request.specs.size(); ++s)
        if (!specUsed[s]) reporter.Message(QStringLiteral("name not matched: %1").arg(request.specs[s]), ErrNotMatched);
    reporter.Tell(CbFileCount, static_cast<std::int64_t>(chosen.size()));
    reporter.Tell(CbByteCount, totalBytes);

    std::vector<char> buffer(static_cast<std::size_t>(kReadChunk));
    int done = 0;
    for (const zip_uint64_t index : chosen) {
        if (reporter.Cancelled()) break;
        const QString name = QString::fromUtf8(zip_get_name(za.get(), index, ZIP_FL_ENC_GUESS));
        zip_stat_t st;
        if (zip_stat_index(za.get(), index, 0, &st) != 0) {
            reporter.Message(QStringLiteral("%1: %2").arg(name, ArchiveErrorText(za.get())), ErrBadData);
            continue;
        }
        const bool isDir = name.endsWith(u'/') || name.endsWith(u'\\');
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(za.get(), index, 0, &opsys, &attributes);
        if (opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK) {
            reporter.Message(QStringLiteral("%1: a link entry, not extracted").arg(name), ErrLink);
            continue;
        }
        const std::optional<QString> relative = SafeRelativePath(name, request.dirNames);
        if (!relative) {
            reporter.Message(QStringLiteral("%1: the name leaves the folder, not extracted").arg(name), ErrUnsafeName);
            continue;
        }

        QString target;
        if (!request.test) {
            target = folder + u'/' + *relative;
            if (isDir) {
                if (!request.dirNames) continue;
                const QString existing = QFileInfo(DeepestExisting(target)).canonicalFilePath();
                if (!IsInside(folder, existing) || !QDir().mkpath(target)) {
                    reporter.Message(QStringLiteral("%1: could not make the folder").arg(name), ErrCannotWrite);
                    continue;
                }
                ++done;
                continue;
            }
            const QString parent = QFileInfo(target).path();
            const QString existing = QFileInfo(DeepestExisting(parent)).canonicalFilePath();
            if (!IsInside(folder, existing)) {
                reporter.Message(QStringLiteral("%1: the name leaves the folder, not extracted").arg(name),
                                 ErrUnsafeName);
                continue;
            }
            if (!QDir().mkpath(parent) || !IsInside(folder, QFileInfo(parent).canonicalFilePath())) {
                reporter.Message(QStringLiteral("%1: could not make its folder").arg(name), ErrCannotWrite);
                continue;
            }
            const QFileInfo targetInfo(target);
            if (targetInfo.isSymLink()) {
                reporter.Message(QStringLiteral("%1: a link of that name is in the way, not extracted").arg(name),
                                 ErrLink);
                continue;
            }
            if (targetInfo.exists()) {
                if (targetInfo.isDir()) {
                    reporter.Message(QStringLiteral("%1: a folder of that name is in the way").arg(name),
                                     ErrCannotWrite);
                    continue;
                }
                if (request.freshen || request.update) {
                    if (!((st.valid & ZIP_STAT_MTIME) && IsNewerThanFile(st.mtime, targetInfo))) continue;
                }
                if (!request.overwrite) {
                    reporter.Message(QStringLiteral("%1 exists, not overwritten").arg(target), ErrExists);
                    continue;
                }
            } else if (request.freshen && !request.update) {
                continue;
            }
        } else if (isDir) {
            ++done;
            continue;
        }

        reporter.Tell(CbFileStart, static_cast<std::int64_t>(st.size), name);
        const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        if (encrypted && password.isEmpty()) {
            reporter.Message(QStringLiteral("%1: encrypted, and no password was given").arg(name), ErrPassword);
            continue;
        }
        ZipFileHandle file(encrypted ? zip_fopen_index_encrypted(za.get(), index, 0, password.constData())
                                     : zip_fopen_index(za.get(), index, 0));
        if (!file) {
            const int code = zip_error_code_zip(zip_get_error(za.get()));
            reporter.Message(QStringLiteral("%1: %2").arg(name, ArchiveErrorText(za.get())),
                             code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD ? ErrPassword : ErrBadData);
            zip_error_clear(za.get());
            continue;
        }
        std::unique_ptr<QSaveFile> out;
        if (!request.test) {
            out = std::make_unique<QSaveFile>(target);
            if (!out->open(QIODevice::WriteOnly)) {
                reporter.Message(QStringLiteral("%1: %2").arg(target, out->errorString()), ErrCannotWrite);
                continue;
            }
        }
        bool good = true;
        QString problem;
        std::uint64_t total = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
            if (n < 0) {
                good = false;
                problem = QString::fromUtf8(zip_file_strerror(file.get()));
                break;
            }
            if (n == 0) break;
            total += static_cast<std::uint64_t>(n);
            if (out && out->write(buffer.data(), n) != n) {
                reporter.Message(QStringLiteral("%1: %2").arg(target, out->errorString()), ErrCannotWrite);
                good = false;
                break;
            }
            reporter.BytesDone(n);
            if (reporter.Cancelled()) {
                good = false;
                break;
            }
        }
        reporter.BytesDone(0, true);
        if (good && (st.valid & ZIP_STAT_SIZE) && total != st.size) {
            good = false;
            problem = QStringLiteral("%1 bytes instead of %2").arg(total).arg(st.size);
        }
        if (!good) {
            if (out) out->cancelWriting();
            if (!problem.isEmpty())
                reporter.Message(QStringLiteral("%1: bad data (%2), not written").arg(name, problem), ErrBadData);
            continue;
        }
        if (out) {
            if (!out->commit()) {
                reporter.Message(QStringLiteral("%1: %2").arg(target, out->errorString()), ErrCannotWrite);
                continue;
            }
            if (opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & 0777) != 0) {
                const unsigned mode = ((attributes >> 16) & 0777) | 0600;
                QFile::setPermissions(target, QFileDevice::Permissions(
                    ((mode & 0400) ? QFile::ReadOwner | QFile::ReadUser : QFileDevice::Permissions())
                    | ((mode & 0200) ? QFile::WriteOwner | QFile::WriteUser : QFileDevice::Permissions())
                    | ((mode & 0100) ? QFile::ExeOwner | QFile::ExeUser : QFileDevice::Permissions())
                    | ((mode & 040) ? QFile::ReadGroup : QFileDevice::Permissions())
                    | ((mode & 020) ? QFile::WriteGroup : QFileDevice::Permissions())
                    | ((mode & 010) ? QFile::ExeGroup : QFileDevice::Permissions())
                    | ((mode & 04) ? QFile::ReadOther : QFileDevice::Permissions())
                    | ((mode & 02) ? QFile::WriteOther : QFileDevice::Permissions())
                    | ((mode & 01) ? QFile::ExeOther : QFileDevice::Permissions())));
            }
            if (st.valid & ZIP_STAT_MTIME) {
                QFile f(target);
                if (f.open(QIODevice::ReadWrite))
                    f.setFileTime(QDateTime::fromSecsSinceEpoch(st.mtime), QFileDevice::FileModificationTime);
            }
        }
        if (request.verbose)
            reporter.Message(QStringLiteral("%1: %2").arg(request.test ? QStringLiteral("testing")
                                                                      : QStringLiteral("inflating"), name));
        ++done;
    }
    return done;
}

}  // namespace zipdll
