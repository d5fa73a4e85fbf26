#pragma once

// Stream-table lines shared by the component classes.

#include "report/model/component.h"
#include "report/page/report_font.h"

#include "platform/stream/property_table.h"

namespace report::internal {

/// Visible, ReprintOnOverFlow, ShiftWithParent, StretchWithParent.
template <class T>
void AddPlacementProperties(stream::PropertyTable<T>& t) {
    t.Boolean("ReprintOnOverFlow", &T::ReprintOnOverFlow, &T::SetReprintOnOverFlow, false)
        .Boolean("ShiftWithParent", &T::ShiftWithParent, &T::SetShiftWithParent, false)
        .Boolean("StretchWithParent", &T::StretchWithParent, &T::SetStretchWithParent, false)
        .Boolean("Visible", &T::Visible, &T::SetVisible, true);
}

/// ParentHeight, ParentWidth.
template <class T>
void AddParentSizeProperties(stream::PropertyTable<T>& t) {
    t.Boolean("ParentHeight", &T::ParentHeight, [](T& c, bool v) { c.SetParentHeight(v); c.RecalcParentSize(); }, false)
        .Boolean("ParentWidth", &T::ParentWidth, [](T& c, bool v) { c.SetParentWidth(v); c.RecalcParentSize(); }, false);
}

/// Alignment, Color, Font, Transparent, WordWrap (AutoSize is added by each class with the
/// default its constructor sets).
template <class T>
void AddTextAppearanceProperties(stream::PropertyTable<T>& t) {
    static const QStringList alignments = EnumTypeOf(TAlignment{}).values;
    t.Enum("Alignment", &T::Alignment, &T::SetAlignment, alignments, TAlignment::taLeftJustify)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .Object("Font", [](const T& c) -> const TppFont& { return *c.Font(); })
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
        .Boolean("WordWrap", &T::WordWrap, &T::SetWordWrap, false);
}

/// DataField, DataPipeline, ParentDataPipeline.
template <class T>
void AddDataProperties(stream::PropertyTable<T>& t) {
    t.String("DataField", &T::DataField, [](T& c, const QString& v) { c.SetDataField(v); })
        .Reference("DataPipeline", &T::DataPipeline, [](T& c, TppDataPipeline* p) { c.SetDataPipeline(p); })
        .Boolean("ParentDataPipeline", &T::ParentDataPipeline, [](T& c, bool v) { c.SetParentDataPipeline(v); }, true);
}

}  // namespace report::internal
