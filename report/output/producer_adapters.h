#pragma once

// The script adapter of the producer, the object that runs a report's print jobs: its job
// events (ids 0 to 9; OnSaveText passes Text by reference) and its output settings.

#include "report/model/report_adapters.h"
#include "report/output/producer.h"

/// The producer: AfterPrint to OnSaveText, the device, file, archive, dialog and language
/// settings, and the run-time objects of the current job (not listed).
class TraTppProducerRTTI : public TraTppRelativeRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};

namespace report {
/// Registers the producer's adapter (once; later calls do nothing).
void RegisterProducerAdapter();
}  // namespace report
