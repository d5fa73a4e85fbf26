#pragma once

namespace report {

/// What the page engine needs of a data pipeline to walk its records: open and close,
/// the position flags, the moves, and a bookmark (a record number from 0) that restores
/// the position when a page is generated again. A pipeline class implements it besides
/// TppDataPipeline; a pipeline that does not counts as having no records.
class RecordTraversal {
public:
    virtual ~RecordTraversal() = default;
    /// Opens the records (when closed) and goes to the first one.
    virtual void OpenTraversal() = 0;
    virtual void CloseTraversal() = 0;
    /// Past the last record (also: no records at all).
    virtual bool AtEnd() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual int Bookmark() const = 0;
    virtual void GotoBookmark(int aBookmark) = 0;
};

}  // namespace report
