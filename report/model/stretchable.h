#pragma once

#include "report/model/component.h"

#include <vector>

/// The base of components whose height follows their content and that may continue on the
/// next page (regions, memos, sub-reports). A stretchable may print below another one
/// (ShiftRelativeTo); the anchor chain never loops back to the component itself.
///
/// One print (Generate, driven by the band): the component is placed at its design top (a
/// continuation at the band's running bottom plus OverFlowOffset; a dependent below its
/// anchor's bottom, keeping the design distance), its room reaches down to PageBottom (the
/// band's available bottom, or StopPosition below the band's top, less BottomOffset), and
/// CalcSpaceUsed measures the content that fits there: it sets SpaceUsed and sets OverFlow
/// when content is left for the next page. Once its own content is done, the component
/// generates its dependents below itself; it is complete when they are too.
/// Subclasses keep their content position themselves: ResetGeneration starts it again, a
/// print after OverFlow continues it, and they add it to the page-cache record.
class TppStretchable : public TppComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppStretchable(TComponent* AOwner = nullptr);
    ~TppStretchable() override;

    /// Measures the content that fits between PrintRect().top() and PageBottom(): sets
    /// SpaceUsed, and OverFlow when content remains; empty here (a fixed height).
    virtual void CalcSpaceUsed() {}
    void Generate() override;
    void ResetGeneration() override;
    int CacheRecordSize() const override { return kStretchableRecordSize; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// The lowest position this print may reach (page coordinates, mm-thousandths).
    int PageBottom() const { return m_pageBottom; }
    /// The bottom of this print and of its dependents so far.
    int CurrentPosition() const { return m_currentPosition; }
    /// Whether this print grows with its content.
    bool Stretching() const;
    /// Whether the component may grow on this page (the cross-tab asks before it takes room).
    bool CanStretch() const { return Stretching(); }
    virtual void AddShiftDependent(TppStretchable* aComponent);
    virtual void RemoveShiftDependent(TppStretchable* aComponent);

    bool Stretch() const { return m_stretch; }
    /// On: a static band becomes dynamic. Off is refused while others shift relative to it.
    void SetStretch(bool v);
    TppStretchable* ShiftRelativeTo() const { return m_shiftRelativeTo; }
    /// Raises EInvalidPropertyError (text 342) when the anchor would form a cycle.
    void SetShiftRelativeTo(TppStretchable* aAnchor);
    /// Whether aCandidate may be this component's anchor.
    bool IsValidShiftAnchor(const TppStretchable* aCandidate) const;
    int ShifterCount() const { return int(m_dependents.size()); }
    int mmBottomOffset() const { return m_mmBottomOffset; }
    void SetmmBottomOffset(int v) { m_mmBottomOffset = v; }
    int mmOverFlowOffset() const { return m_mmOverFlowOffset; }
    void SetmmOverFlowOffset(int v) { m_mmOverFlowOffset = v; }
    int mmStopPosition() const { return m_mmStopPosition; }
    void SetmmStopPosition(int v) { m_mmStopPosition = v; }

    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    /// The component's items; the stretchable kinds (memos, regions, sub-reports, the
    /// cross-tab) add theirs after these.
    void CreatePopupMenu(TppPopupMenuItems& aMenu) override;
    void PopupMenuPopup(TppPopupMenuItems& aMenu) override;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

protected:
    static constexpr int kStretchableRecordSize = 4;
    /// The generation state of the page-cache record (kStretchableRecordSize bytes);
    /// subclasses append their own fields.
    QByteArray StretchableCacheRecord() const;
    void TakeStretchableCacheRecord(const QByteArray& aRecord);

private:
    bool m_stretch = false;
    bool m_selfDone = false;  ///< its own content is printed; the dependents may be not
    int m_pageBottom = 0;
    int m_currentPosition = 0;
    TppStretchable* m_shiftRelativeTo = nullptr;  ///< linked both ways
    std::vector<TppStretchable*> m_dependents;
    int m_mmBottomOffset = 0;
    int m_mmOverFlowOffset = 0;
    int m_mmStopPosition = 0;
};
