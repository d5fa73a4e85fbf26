#pragma once

// The small value types of the dock framework: dock edges and sets of them, bound lines,
// button display modes and button states.

#include <initializer_list>

/// The edge a dock sits on.
enum TppDockPosition { ppdpTop = 0, ppdpBottom = 1, ppdpLeft = 2, ppdpRight = 3 };

/// A set of dock edges (the edges a bar may dock to).
class TppDockableTo {
public:
    constexpr TppDockableTo() = default;
    constexpr TppDockableTo(std::initializer_list<TppDockPosition> positions) {
        for (TppDockPosition p : positions) m_bits |= 1u << p;
    }
    static constexpr TppDockableTo All() { return {ppdpTop, ppdpBottom, ppdpLeft, ppdpRight}; }
    constexpr bool Contains(TppDockPosition p) const { return (m_bits & (1u << p)) != 0; }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr bool operator==(const TppDockableTo&) const = default;

private:
    unsigned m_bits = 0;
};

/// The edges of a dock that carry a one-pixel line.
enum TppDockBoundLine { ppdbTop = 0, ppdbBottom = 1, ppdbLeft = 2, ppdbRight = 3 };
struct TppDockBoundLines {
    unsigned bits = 0;
    bool Contains(TppDockBoundLine l) const { return (bits & (1u << l)) != 0; }
};

/// What a toolbar button shows.
enum TppButtonDisplayMode { ppdmBoth, ppdmGlyphOnly, ppdmTextOnly };

/// A toolbar button's state; the numbers are also the image positions in a glyph strip.
enum TppButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsHot = 4 };

/// Where a button's glyph sits beside its caption.
enum TppButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

namespace skiffrow {
/// The orientation of a dock edge as every part of the framework counts it: 0 no dock
/// (floating), 1 horizontal (top, bottom), 2 vertical (left, right).
constexpr int OrientationOf(TppDockPosition p) { return p == ppdpLeft || p == ppdpRight ? 2 : 1; }
}  // namespace skiffrow
