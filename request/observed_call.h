// Every plugin call of a request run goes through here: the guarded call, with the bench told when
// it begins and ends and, when it came back, what it returned.
#pragma once

#include <cstdint>

#include "request/request_bench.h"

// CallPlugin (plugin/plugin_call.h) for `bench`; `bufferSize` is the size of the buffer the call
// is handed (0 for none), as PluginReturned reports it.
bool CallPluginFor(RequestBench& bench, int exportIndex, const uint32_t* slots, int slotCount,
                   int32_t bufferSize, int16_t& result);
