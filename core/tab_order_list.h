#pragma once

#include <vector>

struct TViewDef;

/// A View's tab order: the indexes of its fields that are not marked for deletion (hidden
/// fields included), in the order the focus moves through them. Built from the fields'
/// FieldTabOrder, ascending; fields with the same FieldTabOrder keep their definition
/// order, so every field appears exactly once whatever the stored numbers are.
class TTabOrderList {
public:
    TTabOrderList() = default;
    explicit TTabOrderList(const TViewDef& view);

    const std::vector<int>& Fields() const { return m_fields; }
    int Count() const { return int(m_fields.size()); }
    bool IsEmpty() const { return m_fields.empty(); }
    /// Moves the entry at `from` to position `to` (both clamped into the list).
    void Move(int from, int to);
    /// Gives the field at position i FieldTabOrder = i.
    void Apply(TViewDef& view) const;

private:
    std::vector<int> m_fields;
};
