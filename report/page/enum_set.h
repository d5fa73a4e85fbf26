#pragma once

#include <QStringList>

#include <cstdint>
#include <initializer_list>

namespace report {

/// A set of values of an enumerated type with at most 32 values: bit i stands for the value
/// of ordinal i. Stored in templates as the list of the value names present.
template <class E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }
    static constexpr EnumSet FromBits(std::uint32_t bits) {
        EnumSet s;
        s.m_bits = bits;
        return s;
    }
    constexpr bool Contains(E v) const { return (m_bits & bit(v)) != 0; }
    constexpr void Include(E v) { m_bits |= bit(v); }
    constexpr void Exclude(E v) { m_bits &= ~bit(v); }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr std::uint32_t Bits() const { return m_bits; }
    constexpr bool operator==(const EnumSet&) const = default;

    /// The names of the values present, in ordinal order, from the value names of E.
    QStringList Names(const QStringList& valueNames) const {
        QStringList out;
        for (int i = 0; i < valueNames.size() && i < 32; ++i)
            if (m_bits & (std::uint32_t(1) << i)) out << valueNames.at(i);
        return out;
    }

private:
    static constexpr std::uint32_t bit(E v) { return std::uint32_t(1) << static_cast<unsigned>(v); }
    std::uint32_t m_bits = 0;
};

}  // namespace report
