// Owners of the system's resources: each closes, frees or deletes what it holds when it goes out of
// scope, on every path out. Move-only; an owner that holds nothing does nothing.
#pragma once

#include <windows.h>

#include <utility>

// One owner type per way of releasing. Traits give the handle type, the value that means "none"
// and the release call.
template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() noexcept : handle_(Traits::None()) {}
  explicit Scoped(Handle handle) noexcept : handle_(handle) {}
  ~Scoped() { Reset(); }
  Scoped(Scoped&& other) noexcept : handle_(other.Detach()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Handle get() const noexcept { return handle_; }
  bool IsValid() const noexcept { return handle_ != Traits::None(); }

  // Releases what is held and holds `handle` instead.
  void Reset(Handle handle = Traits::None()) noexcept {
    if (IsValid()) Traits::Release(handle_);
    handle_ = handle;
  }

  // Gives up ownership without releasing.
  Handle Detach() noexcept { return std::exchange(handle_, Traits::None()); }

  // For a call that hands out a new handle through a pointer: releases what is held first.
  Handle* Receive() noexcept {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_;
};

namespace scoped_traits {

// CreateFile and CreateNamedPipe answer INVALID_HANDLE_VALUE on failure; other handles are null.
struct File {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Release(Handle handle) { CloseHandle(handle); }
};

// FindFirstFile answers INVALID_HANDLE_VALUE when nothing is found; its handle is no kernel object.
struct Search {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Release(Handle handle) { FindClose(handle); }
};

struct Kernel {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { CloseHandle(handle); }
};

struct Library {
  using Handle = HMODULE;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { FreeLibrary(handle); }
};

template <typename Object>
struct Gdi {
  using Handle = Object;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { DeleteObject(handle); }
};

// A whole reservation of pages: releasing it decommits the pages and frees the address range.
struct Pages {
  using Handle = void*;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { VirtualFree(handle, 0, MEM_RELEASE); }
};

template <typename Memory>
struct Local {
  using Handle = Memory;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { LocalFree(handle); }
};

template <typename Area>
struct View {
  using Handle = Area*;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { UnmapViewOfFile(handle); }
};

struct Window {
  using Handle = HWND;
  static Handle None() { return nullptr; }
  static void Release(Handle handle) { DestroyWindow(handle); }
};

}  // namespace scoped_traits

// A file opened with CreateFile.
using FileHandle = Scoped<scoped_traits::File>;
// A search of a folder from FindFirstFile.
using FileSearch = Scoped<scoped_traits::Search>;
// Any other kernel object: a process, a thread, an event, a pipe, a duplicated handle.
using KernelHandle = Scoped<scoped_traits::Kernel>;
// A library loaded with LoadLibrary. (The plugin library itself is released through its guarded
// release instead, which reports a fault of its detach code.)
using LibraryModule = Scoped<scoped_traits::Library>;
// A font, brush, bitmap or other drawing object.
template <typename Object>
using GdiObject = Scoped<scoped_traits::Gdi<Object>>;
// Pages taken with VirtualAlloc(nullptr, ...).
using PageReservation = Scoped<scoped_traits::Pages>;
// Memory that a system call allocated for the caller to LocalFree (CommandLineToArgvW's list).
template <typename Memory>
using LocalMemory = Scoped<scoped_traits::Local<Memory>>;
// A view of a file mapping, seen as an `Area`, from MapViewOfFile.
template <typename Area>
using MappedView = Scoped<scoped_traits::View<Area>>;
// A window that its creator destroys.
using OwnedWindow = Scoped<scoped_traits::Window>;
