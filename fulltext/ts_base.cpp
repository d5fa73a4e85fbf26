#include "fulltext/ts_base.h"

#include "fulltext/ts_engine.h"

TtsBase::TtsBase(QObject* owner) : QObject(owner) {}

TtsBase::~TtsBase() = default;

void TtsBase::SetParams(const QStringList* params) {
    if (params) m_params = *params;
    else m_params.clear();
}

QString TtsBase::ParamValue(const QString& name) const {
    for (const QString& line : m_params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return QString();
}

bool TtsBase::ParamBool(const QString& name, bool fallback) const {
    const QString value = ParamValue(name).toUpper();
    if (value.isEmpty()) return fallback;
    return value == QLatin1String("1") || value == QLatin1String("T") || value == QLatin1String("TRUE");
}

void TtsBase::SetBufferSize(int size) {
    if (size <= 0) {
        std::vector<std::uint8_t>().swap(m_buffer);
        return;
    }
    m_buffer.resize(std::size_t((size + 15) & ~15));
}

void TtsBase::StateLeft(TtsBase*, TEngineState) {}
void TtsBase::StateEntered(TtsBase*, TEngineState) {}
void TtsBase::ReadProperties(TtsEngine*, stream::ValueReader&) {}
void TtsBase::Reset() {}
void TtsBase::WriteProperties(TtsEngine*, stream::ValueWriter&) {}

void TtsBase::AddLinkedEngine(TtsEngine* engine) {
    if (!m_engines.contains(engine)) m_engines.append(engine);
}

void TtsBase::RemoveLinkedEngine(TtsEngine* engine) {
    m_engines.removeAll(engine);
}

void TtsBase::AnnounceRemoval() {
    const auto engines = m_engines;
    m_engines.clear();
    for (const QPointer<TtsEngine>& e : engines)
        if (e) e->ComponentRemoving(this);
}
