#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <vector>

/// The eleven engine states (6 and 9 are not used).
enum class TEngineState : int {
    esMake = 0,     ///< an index build runs
    esCollect = 1,  ///< the build reads records into the cache
    esWrite = 2,    ///< the build writes the cache into the word table
    esIndex = 3,    ///< the words link creates the word table's indexes
    esUpdate = 4,   ///< an updater changes the index for one record
    esSearch = 5,   ///< a search runs
    esVerify = 7,   ///< a phrase or proximity search reads records to verify matches
    esRank = 8,     ///< ranking runs
    esHalt = 10,    ///< a halt was requested: word processing stops
};

/// A set of engine states, held in a 16-bit word (bit n = state n).
class TEngineStates {
public:
    constexpr TEngineStates() = default;
    constexpr TEngineStates(std::initializer_list<TEngineState> states) {
        for (TEngineState s : states) m_bits = std::uint16_t(m_bits | (1u << int(s)));
    }
    static constexpr TEngineStates FromBits(std::uint16_t bits) {
        TEngineStates s;
        s.m_bits = bits & 0x7FF;
        return s;
    }

    constexpr bool Contains(TEngineState s) const { return (m_bits >> int(s)) & 1u; }
    constexpr bool Contains(int s) const { return s >= 0 && s <= 10 && ((m_bits >> s) & 1u); }
    constexpr TEngineStates With(TEngineState s) const { return FromBits(std::uint16_t(m_bits | (1u << int(s)))); }
    constexpr TEngineStates Without(TEngineState s) const { return FromBits(std::uint16_t(m_bits & ~(1u << int(s)))); }
    constexpr std::uint16_t Bits() const { return m_bits; }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    friend constexpr bool operator==(TEngineStates a, TEngineStates b) { return a.m_bits == b.m_bits; }

private:
    std::uint16_t m_bits = 0;
};

class TtsEngine;

namespace stream {
class ValueReader;
class ValueWriter;
}  // namespace stream

/// Root of every engine component: the version, the name=value parameter list, a work
/// buffer and the set of engine states whose entry and exit this component wants to hear of
/// (its notification mask, by default {esMake, esUpdate, esSearch}).
///
/// A component that an engine links to tells the engine when it goes away: concrete
/// components call AnnounceRemoval() first thing in their destructor, while they are still
/// whole, so that the engine can write back its cache and forget them.
class TtsBase : public QObject {
    Q_OBJECT
public:
    explicit TtsBase(QObject* owner = nullptr);
    ~TtsBase() override;

    /// Always 2.07; setting it is accepted and ignored.
    double Version() const { return 2.07; }
    void SetVersion(double) {}

    const QStringList& Params() const { return m_params; }
    /// Copies the list; none clears it.
    void SetParams(const QStringList* params);
    void SetParams(const QStringList& params) { SetParams(&params); }
    /// The value of parameter `name` ("" when missing).
    QString ParamValue(const QString& name) const;
    /// True for "1", "T" or "TRUE" (any case), false for another non-empty value, `fallback`
    /// when the parameter is missing or empty.
    bool ParamBool(const QString& name, bool fallback) const;

    /// The work buffer (BufferSize() bytes; null when 0).
    std::uint8_t* Buffer() { return m_buffer.empty() ? nullptr : m_buffer.data(); }
    int BufferSize() const { return int(m_buffer.size()); }
    /// Resizes to `size` rounded up to a multiple of 16; 0 or less frees it.
    void SetBufferSize(int size);

    TEngineStates NotifyMask() const { return m_notifyMask; }

    virtual void StateLeft(TtsBase* sender, TEngineState state);
    virtual void StateEntered(TtsBase* sender, TEngineState state);
    /// Reads this component's part of the index property stream (nothing here).
    virtual void ReadProperties(TtsEngine* engine, stream::ValueReader& reader);
    /// Clears per-run state (nothing here); descendants call the inherited one.
    virtual void Reset();
    /// Writes this component's part of the index property stream (nothing here).
    virtual void WriteProperties(TtsEngine* engine, stream::ValueWriter& writer);

    /// Called by an engine that links to this component.
    void AddLinkedEngine(TtsEngine* engine);
    void RemoveLinkedEngine(TtsEngine* engine);

protected:
    /// Tells every linked engine that this component goes away (see the class comment).
    void AnnounceRemoval();

    TEngineStates m_notifyMask{TEngineState::esMake, TEngineState::esUpdate, TEngineState::esSearch};

private:
    QStringList m_params;
    std::vector<std::uint8_t> m_buffer;
    QList<QPointer<TtsEngine>> m_engines;
};
