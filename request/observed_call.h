// Every plugin call of a request run goes through here: the guarded call, reported as events.
#pragma once

#include <cstdint>

#include "request/run_event.h"

// CallPlugin (plugin/plugin_call.h), reported to `report`: CallStarted, then CallReturned and a
// ConventionBroken per breach, or CallAbandoned. `bufferSize` is the size of the buffer the call
// is handed (0 for none). True, with `result` set, when the call came back.
bool CallPluginFor(RunReport& report, int exportIndex, const uint32_t* slots, int slotCount,
                   int32_t bufferSize, int16_t& result);
