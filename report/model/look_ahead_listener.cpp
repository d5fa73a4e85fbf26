#include "report/model/look_ahead_listener.h"

#include "report/model/script_adapter.h"

TppLookAheadListener::TppLookAheadListener(TppDrawVariable& aCommand) : m_command(aCommand) {
    EventNotifies().set(report::ciLookAheadUpdate);
}

void TppLookAheadListener::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != report::ciLookAheadUpdate || !aParams) return;
    auto value = [&](const char* name) {
        QVariant v;
        const int i = aParams->IndexOf(QString::fromLatin1(name));
        if (i >= 0) aParams->GetParamValue(i, v);
        return v;
    };
    if (!m_command.TakeLookAheadValue(value("aLookAheadKey").toString(), value("aTraversalCount").toInt(),
                                      value("aText").toString()))
        EventNotifies().reset();
}

void TppLookAheadListener::ListenLike(const report::LookAheadListener& aOther) {
    const auto* other = dynamic_cast<const TppLookAheadListener*>(&aOther);
    if (!other) return;
    for (int i = 0; i < other->NotifyCount(); ++i) other->NotifyItems(i)->AddEventNotify(this);
}

namespace report {

void InstallLookAheadListeners() {
    SetLookAheadListenerFactory([](TppDrawVariable& command) -> std::unique_ptr<LookAheadListener> {
        return std::make_unique<TppLookAheadListener>(command);
    });
}

}  // namespace report
