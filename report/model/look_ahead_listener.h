#pragma once

#include "report/model/communicator.h"
#include "report/page/draw_command.h"

/// The listener of a look-ahead draw command: a communicator that wants event 67 only and
/// hands each value (parameters aLookAheadKey, aTraversalCount, aText) to its command; a
/// value for another key empties its event set, so it stops listening for good.
class TppLookAheadListener : public TppCommunicator, public report::LookAheadListener {
    Q_OBJECT
public:
    explicit TppLookAheadListener(TppDrawVariable& aCommand);

    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;
    bool Listening() const override { return EventNotifies().test(report::ciLookAheadUpdate); }
    void ListenLike(const report::LookAheadListener& aOther) override;

private:
    TppDrawVariable& m_command;
};

namespace report {
/// Makes look-ahead draw commands create TppLookAheadListener (start-up).
void InstallLookAheadListeners();
}  // namespace report
