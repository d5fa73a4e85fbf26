#pragma once

#include "report/model/relative.h"

/// A relative whose generation state is kept per page in the report's page cache, so that
/// a page can be produced again by restoring the states saved at the end of the page before
/// it. A descendant declares the size of its per-page record and writes and reads it; this
/// base keeps no state (record size 0) and its operations do nothing.
class TppCacheable : public TppRelative {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCacheable(TComponent* AOwner = nullptr) : TppRelative(AOwner) {}

    /// Bytes of the per-page record; 0: nothing is cached.
    virtual int CacheRecordSize() const { return 0; }
    /// Writes the object's state at the end of page aPageNo.
    virtual void SaveToCache(int aPageNo) { Q_UNUSED(aPageNo); }
    /// Restores the state saved at the end of page aPageNo.
    virtual void RestoreFromCache(int aPageNo) { Q_UNUSED(aPageNo); }
    /// Drops the records beyond page aPageNo.
    virtual void ResetCache(int aPageNo) { Q_UNUSED(aPageNo); }
};
