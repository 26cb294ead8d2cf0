// What can be counted of a running process under wine: its handles (from the system handle
// table, since the per-process counters are stubs), its windows, its private memory and the peak
// of its working set.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// One entry of the system handle table as the handle-information class returns it.
struct SystemHandleEntry {
  uint32_t ownerProcessId;
  uint8_t objectType;
  uint8_t flags;
  uint16_t handle;
  void* object;
  uint32_t access;
};

// The number of entries owned by `processId` in a handle table of `size` bytes (a 32-bit count
// followed by the entries); entries beyond `size` are not read.
int CountHandlesInTable(const void* table, size_t size, DWORD processId);

// The number of open handles of the process, or -1 when the table cannot be read.
int CountProcessHandles(DWORD processId);

// Top-level windows of the process and all their descendants.
int CountProcessWindows(DWORD processId);

// Resident private bytes (the one private-memory counter that moves under wine), and the true
// peak of the working set; 0 when the process cannot be asked. `process` needs query rights.
size_t PrivateBytes(HANDLE process);
size_t PeakWorkingSet(HANDLE process);
