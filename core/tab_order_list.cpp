#include "core/tab_order_list.h"

#include "core/view_def.h"

#include <algorithm>

TTabOrderList::TTabOrderList(const TViewDef& view) {
    for (int i = 0; i < int(view.FieldDefs.size()); ++i)
        if (!view.FieldDefs[size_t(i)].MarkedForDelete) m_fields.push_back(i);
    std::stable_sort(m_fields.begin(), m_fields.end(), [&view](int a, int b) {
        return view.FieldDefs[size_t(a)].FieldTabOrder < view.FieldDefs[size_t(b)].FieldTabOrder;
    });
}

void TTabOrderList::Move(int from, int to) {
    if (m_fields.empty()) return;
    const int last = int(m_fields.size()) - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, 0, last);
    const int field = m_fields[size_t(from)];
    m_fields.erase(m_fields.begin() + from);
    m_fields.insert(m_fields.begin() + to, field);
}

void TTabOrderList::Apply(TViewDef& view) const {
    for (int i = 0; i < int(m_fields.size()); ++i)
        if (m_fields[size_t(i)] < int(view.FieldDefs.size())) view.FieldDefs[size_t(m_fields[size_t(i)])].FieldTabOrder = i;
}
