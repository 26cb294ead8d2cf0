// One run of the request selected on the bench, from reading the inputs to its last event.
#pragma once

#include <cstdint>

#include "request/request_bench.h"

// Runs the selected request against PluginTable and reports every step to `bench`. Keeps nothing
// afterwards: every region, buffer and handle it takes is released before it returns.
void RunRequest(RequestBench& bench);

// The two routines for data requests. `listData` and `key` are the run's read-only regions,
// `exportIndex` names the entry point in PluginTable (which may be absent). Both return silently
// when the list data is empty or the entry point is absent.
void RequestSizedText(RequestBench& bench, const char* listData, const char* key, int16_t keyType,
                      int exportIndex);
void RequestNumber(RequestBench& bench, const char* listData, const char* key, int16_t keyType,
                   int exportIndex);
