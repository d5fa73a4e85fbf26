#include "platform/db/internal/fault_injection.h"

#include <sqlite3.h>

#include <cstring>

namespace db::internal {

// A VFS over the platform's default one that passes everything through, except that the
// test hook can fail the Nth write, truncate or sync of a table file or its journal with
// an I/O error, so that tests see what SQLite does with a device that fails mid-way.

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;       ///< with memory-mapped reads
sqlite3_io_methods g_plainMethods;  ///< without them

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->real; }

int shimClose(sqlite3_file* f) {
    sqlite3_file* r = realOf(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    return rc;
}
int shimRead(sqlite3_file* f, void* buf, int n, sqlite3_int64 off) { return realOf(f)->pMethods->xRead(realOf(f), buf, n, off); }
int shimWrite(sqlite3_file* f, const void* buf, int n, sqlite3_int64 off) {
    if (FaultInjection::takeWrite()) return SQLITE_IOERR_WRITE;
    return realOf(f)->pMethods->xWrite(realOf(f), buf, n, off);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 size) {
    if (FaultInjection::takeWrite()) return SQLITE_IOERR_TRUNCATE;
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int shimSync(sqlite3_file* f, int flags) {
    if (FaultInjection::takeWrite()) return SQLITE_IOERR_FSYNC;
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* size) { return realOf(f)->pMethods->xFileSize(realOf(f), size); }
int shimLock(sqlite3_file* f, int lock) { return realOf(f)->pMethods->xLock(realOf(f), lock); }
int shimUnlock(sqlite3_file* f, int lock) { return realOf(f)->pMethods->xUnlock(realOf(f), lock); }
int shimCheckReserved(sqlite3_file* f, int* out) { return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out); }
int shimFileControl(sqlite3_file* f, int op, void* arg) { return realOf(f)->pMethods->xFileControl(realOf(f), op, arg); }
int shimSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int shimDeviceCharacteristics(sqlite3_file* f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); }
// Shared memory and memory-mapped reads pass through (reads through the map are no writes,
// so the fault hook is not involved; SQLite writes pages with xWrite even when mapped).
int shimShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return realOf(f)->pMethods->xShmMap(realOf(f), page, size, extend, out);
}
int shimShmLock(sqlite3_file* f, int offset, int n, int flags) { return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags); }
void shimShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int shimShmUnmap(sqlite3_file* f, int deleteFlag) { return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag); }
int shimFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return realOf(f)->pMethods->xFetch(realOf(f), offset, amount, out);
}
int shimUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) { return realOf(f)->pMethods->xUnfetch(realOf(f), offset, p); }

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    std::memset(shim->real, 0, size_t(g_real->szOsFile));
    const int rc = g_real->xOpen(g_real, name, shim->real, flags, outFlags);
    const sqlite3_io_methods* real = rc == SQLITE_OK ? shim->real->pMethods : nullptr;
    // a file whose own methods lack mapping (an older interface) gets the plain shim
    file->pMethods = !real ? nullptr : real->iVersion >= 3 ? &g_methods : &g_plainMethods;
    return rc;
}
int shimDelete(sqlite3_vfs*, const char* name, int syncDir) { return g_real->xDelete(g_real, name, syncDir); }
int shimAccess(sqlite3_vfs*, const char* name, int flags, int* out) { return g_real->xAccess(g_real, name, flags, out); }
int shimFullPathname(sqlite3_vfs*, const char* name, int n, char* out) { return g_real->xFullPathname(g_real, name, n, out); }
void* shimDlOpen(sqlite3_vfs*, const char* name) { return g_real->xDlOpen(g_real, name); }
void shimDlError(sqlite3_vfs*, int n, char* out) { g_real->xDlError(g_real, n, out); }
void (*shimDlSym(sqlite3_vfs*, void* h, const char* sym))(void) { return g_real->xDlSym(g_real, h, sym); }
void shimDlClose(sqlite3_vfs*, void* h) { g_real->xDlClose(g_real, h); }
int shimRandomness(sqlite3_vfs*, int n, char* out) { return g_real->xRandomness(g_real, n, out); }
int shimSleep(sqlite3_vfs*, int us) { return g_real->xSleep(g_real, us); }
int shimCurrentTime(sqlite3_vfs*, double* out) { return g_real->xCurrentTime(g_real, out); }
int shimGetLastError(sqlite3_vfs*, int n, char* out) { return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0; }
int shimCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) { return g_real->xCurrentTimeInt64(g_real, out); }

}  // namespace

const char* LayerVfsName() {
    static const char* name = [] {
        g_real = sqlite3_vfs_find(nullptr);
        std::memset(&g_methods, 0, sizeof g_methods);
        g_methods.iVersion = 1;
        g_methods.xClose = shimClose;
        g_methods.xRead = shimRead;
        g_methods.xWrite = shimWrite;
        g_methods.xTruncate = shimTruncate;
        g_methods.xSync = shimSync;
        g_methods.xFileSize = shimFileSize;
        g_methods.xLock = shimLock;
        g_methods.xUnlock = shimUnlock;
        g_methods.xCheckReservedLock = shimCheckReserved;
        g_methods.xFileControl = shimFileControl;
        g_methods.xSectorSize = shimSectorSize;
        g_methods.xDeviceCharacteristics = shimDeviceCharacteristics;
        g_plainMethods = g_methods;
        g_methods.iVersion = 3;
        g_methods.xShmMap = shimShmMap;
        g_methods.xShmLock = shimShmLock;
        g_methods.xShmBarrier = shimShmBarrier;
        g_methods.xShmUnmap = shimShmUnmap;
        g_methods.xFetch = shimFetch;
        g_methods.xUnfetch = shimUnfetch;
        std::memset(&g_vfs, 0, sizeof g_vfs);
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = int(sizeof(ShimFile)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = "dossara";
        g_vfs.xOpen = shimOpen;
        g_vfs.xDelete = shimDelete;
        g_vfs.xAccess = shimAccess;
        g_vfs.xFullPathname = shimFullPathname;
        g_vfs.xDlOpen = shimDlOpen;
        g_vfs.xDlError = shimDlError;
        g_vfs.xDlSym = shimDlSym;
        g_vfs.xDlClose = shimDlClose;
        g_vfs.xRandomness = shimRandomness;
        g_vfs.xSleep = shimSleep;
        g_vfs.xCurrentTime = shimCurrentTime;
        g_vfs.xGetLastError = shimGetLastError;
        g_vfs.xCurrentTimeInt64 = shimCurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 0);
        return "dossara";
    }();
    return name;
}

}  // namespace db::internal
