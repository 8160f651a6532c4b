// One owning wrapper for every kind of Win32 handle the program opens, so that
// each handle is released on every path without a naked close in the logic.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Type value) noexcept : value_(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

  void reset(Type value = Traits::Invalid()) noexcept {
    Type old = std::exchange(value_, value);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

  Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  // For out-parameters of creating calls: releases the current value first.
  Type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

namespace handle_traits {

// Kernel handles: some APIs fail with null, others with INVALID_HANDLE_VALUE.
struct Kernel {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr && value != INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::CloseHandle(value); }
};

struct RegistryKey {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::RegCloseKey(value); }
};

struct Find {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type value) noexcept { return value != nullptr && value != INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::FindClose(value); }
};

template <typename GdiType>
struct GdiObject {
  using Type = GdiType;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::DeleteObject(value); }
};

struct LocalMemory {
  using Type = HLOCAL;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::LocalFree(value); }
};

struct Sid {
  using Type = PSID;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::FreeSid(value); }
};

struct ScreenDc {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::ReleaseDC(nullptr, value); }
};

struct MemoryDc {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::DeleteDC(value); }
};

struct Icon {
  using Type = HICON;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::DestroyIcon(value); }
};

}  // namespace handle_traits

using UniqueHandle = UniqueResource<handle_traits::Kernel>;
using UniqueRegKey = UniqueResource<handle_traits::RegistryKey>;
using UniqueFindHandle = UniqueResource<handle_traits::Find>;
using UniqueLocalMemory = UniqueResource<handle_traits::LocalMemory>;
using UniqueSid = UniqueResource<handle_traits::Sid>;
using UniqueScreenDc = UniqueResource<handle_traits::ScreenDc>;
using UniqueMemoryDc = UniqueResource<handle_traits::MemoryDc>;
using UniqueIcon = UniqueResource<handle_traits::Icon>;
template <typename GdiType>
using UniqueGdiObject = UniqueResource<handle_traits::GdiObject<GdiType>>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueFont = UniqueGdiObject<HFONT>;

// A started process: both the process and the thread handle are owned.
struct UniqueProcessInformation {
  UniqueHandle process;
  UniqueHandle thread;
  DWORD processId = 0;

  void Adopt(const PROCESS_INFORMATION& info) noexcept {
    process.reset(info.hProcess);
    thread.reset(info.hThread);
    processId = info.dwProcessId;
  }
};
