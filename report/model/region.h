#pragma once

#include "report/model/stretchable.h"
#include "report/page/draw_command.h"

#include <memory>
#include <vector>

/// A framed rectangle that holds other components of its band: they move with it, print in
/// front of it, and a stretching region grows to hold what they printed. The components stay
/// in the band's object list (right after the region) and keep band coordinates; the region
/// is their ComponentParent and streams them as its children. When one of them overflows the
/// region continues on the next page: its other components print there again and the frame
/// encloses them. A region cannot be placed in another region.
///
/// Page-cache record, 2 bytes: DrawComponent, OverFlow.
class TppCustomRegion : public TppStretchable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomRegion(TComponent* AOwner = nullptr);
    ~TppCustomRegion() override;

    bool IsRegion() const override { return true; }
    /// Takes a component into the region (moving it into the region's band first); a child
    /// that stretches turns the region's Stretch on.
    void AddObject(TppComponent* aComponent);
    void RemoveObject(TppComponent* aComponent);
    int ObjectCount() const;
    TppComponent* Objects(int aIndex) const;
    /// Whether a component of the region overflowed in its last print.
    bool ChildOverFlow() const;

    paint::Pen Pen() const { return m_pen.Value; }
    void SetPen(const paint::Pen& aPen);
    paint::Brush Brush() const { return m_brush.Value; }
    void SetBrush(const paint::Brush& aBrush);

    /// The children move to the new band with it.
    void SetBand(TppBand* aBand) override;
    /// A region is never inside another region.
    void SetRegion(TppComponent* aRegion) override { Q_UNUSED(aRegion); }
    /// The region overflows with its components, so the band prints it again on the next page.
    void EndGenerate() override;
    int CacheRecordSize() const override { return 2; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Places the frame at its design rectangle (at its OverFlowOffset when continuing).
    void Generate() override;
    /// The frame holds the printed rectangles of its components (when stretching) and is
    /// inset by half the pen width.
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    std::vector<TppComponent*> children() const;

    report::PenObject m_pen;
    report::BrushObject m_brush;
    std::vector<TppComponent*> m_pendingChildren;  ///< read before the region joined a band
};

class TppRegion : public TppCustomRegion {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppRegion(TComponent* AOwner = nullptr);
};
