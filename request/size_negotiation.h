// The two-call size negotiation shared by every text request.
#pragma once

#include <cstdint>

#include "request/request_bench.h"

// Looks at a returned text and reports what it finds, before the text is reported.
using ReturnedTextCheck = void (*)(RunReport& report, const char* text);

// The probe with a null buffer and size 0, then (for a positive probe result) the size required,
// the requested-length override, a zero-filled buffer of the negotiated size, the second call with
// the size's low 16 bits, its status, the bench's findings about the buffer, `check`'s findings
// (when given) and the text. `leadingSlots` are the parameters before the buffer reference and
// size: none for the plugin text pattern, list data, key and key type for the sized text pattern.
void NegotiateText(RequestBench& bench, int exportIndex, const uint32_t* leadingSlots,
                   int leadingCount, ReturnedTextCheck check);

// The sale date request: the sized text negotiation with the date form check.
void RequestSaleDate(RequestBench& bench, const char* listData, const char* key, int16_t keyType);
