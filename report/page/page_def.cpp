#include "report/page/page_def.h"

#include "report/page/units.h"

#include "platform/stream/property_table.h"

namespace {

int screenPixels(int mm, int resolution) {
    return static_cast<int>(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, resolution, nullptr));
}

}  // namespace

TppPageDef::TppPageDef(QObject* parent) : TPersistent(parent) {}

void TppPageDef::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TppPageDef*>(Source)) {
        m_height = other->m_height;
        m_width = other->m_width;
        m_marginLeft = other->m_marginLeft;
        m_marginRight = other->m_marginRight;
        m_marginTop = other->m_marginTop;
        m_marginBottom = other->m_marginBottom;
        return;
    }
    TPersistent::Assign(Source);
}

bool TppPageDef::SameAs(const TppPageDef& o) const {
    return m_height == o.m_height && m_width == o.m_width && m_marginLeft == o.m_marginLeft &&
           m_marginRight == o.m_marginRight && m_marginTop == o.m_marginTop && m_marginBottom == o.m_marginBottom;
}

QRect TppPageDef::PrintableRect() const {
    return QRect(QPoint(m_marginLeft, m_marginTop), QPoint(m_width - m_marginRight, m_height - m_marginBottom));
}

int TppPageDef::PrintableWidthPixels() const { return screenPixels(PrintableWidth(), report::kHorizontal); }
int TppPageDef::HeightPixels() const { return screenPixels(m_height, report::kVertical); }
int TppPageDef::WidthPixels() const { return screenPixels(m_width, report::kHorizontal); }
int TppPageDef::MarginLeftPixels() const { return screenPixels(m_marginLeft, report::kHorizontal); }
int TppPageDef::MarginRightPixels() const { return screenPixels(m_marginRight, report::kHorizontal); }
int TppPageDef::MarginTopPixels() const { return screenPixels(m_marginTop, report::kVertical); }
int TppPageDef::MarginBottomPixels() const { return screenPixels(m_marginBottom, report::kVertical); }

const stream::PropertyList& TppPageDef::StreamProperties() const {
    static const auto table = stream::PropertyTable<TppPageDef>()
                                  .Integer("mmHeight", &TppPageDef::mmHeight, &TppPageDef::SetmmHeight, stream::kNoDefault)
                                  .Integer("mmWidth", &TppPageDef::mmWidth, &TppPageDef::SetmmWidth, stream::kNoDefault)
                                  .Integer("mmMarginLeft", &TppPageDef::mmMarginLeft, &TppPageDef::SetmmMarginLeft,
                                           stream::kNoDefault)
                                  .Integer("mmMarginRight", &TppPageDef::mmMarginRight, &TppPageDef::SetmmMarginRight,
                                           stream::kNoDefault)
                                  .Integer("mmMarginTop", &TppPageDef::mmMarginTop, &TppPageDef::SetmmMarginTop,
                                           stream::kNoDefault)
                                  .Integer("mmMarginBottom", &TppPageDef::mmMarginBottom,
                                           &TppPageDef::SetmmMarginBottom, stream::kNoDefault);
    return table;
}
