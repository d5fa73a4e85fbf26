#pragma once

#include "report/model/component.h"

#include <vector>

/// The base of components whose height follows their content and that may continue on the
/// next page (regions, memos, sub-reports). A stretchable may print below another one
/// (ShiftRelativeTo); the anchor chain never loops back to the component itself.
class TppStretchable : public TppComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppStretchable(TComponent* AOwner = nullptr);
    ~TppStretchable() override;

    /// Measures the content (sets SpaceUsed, OverFlow, GenerationComplete); empty here.
    virtual void CalcSpaceUsed() {}
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
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;

private:
    bool m_stretch = false;
    TppStretchable* m_shiftRelativeTo = nullptr;  ///< linked both ways
    std::vector<TppStretchable*> m_dependents;
    int m_mmBottomOffset = 0;
    int m_mmOverFlowOffset = 0;
    int m_mmStopPosition = 0;
};
