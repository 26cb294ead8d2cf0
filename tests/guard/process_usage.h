// What this process holds, for leak checks under wine (whose GetProcessHandleCount reads 0).
#pragma once

#include <cstddef>

// Handles of this process, counted from the system handle table.
int CountProcessHandles();

// Private memory in bytes (resident private pages, as wine counts them).
size_t PrivateBytes();
