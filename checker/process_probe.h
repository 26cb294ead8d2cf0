// What can be counted of a running process, on Windows and under wine: its handles (from the
// system handle table where the per-process counter is a stub, as under wine), its windows, its
// private memory, the peak of its working set, and its GDI and USER objects where the platform
// counts them. Shared by the checker's leak measurement and the benchmark harness.
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

// The handles of `process`: its own count where the platform fills it in, else counted from the
// system handle table (wine's count reads 0); -1 when neither can be read.
int CountHandles(HANDLE process);

// Top-level windows of the process and all their descendants.
int CountProcessWindows(DWORD processId);

// Resident private bytes (the one private-memory counter that moves under wine), and the true
// peak of the working set; 0 when the process cannot be asked. `process` needs query rights.
size_t PrivateBytes(HANDLE process);
size_t PeakWorkingSet(HANDLE process);

// The committed private memory of this process, summed over the regions of its address space
// (VirtualQuery): the same measure on every platform, pages touched or not. GetProcessMemoryInfo
// is no such measure: under wine its PrivateUsage reads 0 and PagefileUsage counts only resident
// pages.
size_t CommittedPrivateBytes();

// The GDI or USER objects (GR_GDIOBJECTS, GR_USEROBJECTS) of `process`; false where the platform
// does not count them (under wine GetGuiResources answers 0 with an error).
bool CountGuiObjects(HANDLE process, DWORD kind, int& count);
