// The two-call size negotiation shared by every text request.
#pragma once

#include <cstdint>

#include "request/request_bench.h"

// Looks at a returned text; gives a warning line to show before the text, or null.
using ReturnedTextCheck = const char* (*)(const char* text);

// The probe with a null buffer and size 0, then (for a positive probe result) the "必要バイト数"
// line, the requested-length override, a zero-filled buffer of the negotiated size, the second
// call with the size's low 16 bits, its status line, `check`'s warning (when given) and the text.
// `leadingSlots` are the parameters before the buffer reference and size: none for the plugin
// text pattern, list data, key and key type for the sized text pattern.
void NegotiateText(RequestBench& bench, int exportIndex, const uint32_t* leadingSlots,
                   int leadingCount, ReturnedTextCheck check);

// The sale date request: the sized text negotiation with the date form check.
void RequestSaleDate(RequestBench& bench, const char* listData, const char* key, int16_t keyType);
