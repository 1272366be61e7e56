// Scoped owners of Win32 handles: move-only, each frees its handle exactly once.
#pragma once

#include <windows.h>

#include <utility>

// Generic owner: Traits::Free(handle) releases, Traits::Invalid() is the empty value.
template <typename Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;
  CScopedHandle() = default;
  explicit CScopedHandle(Handle h) : m_handle(h) {}
  ~CScopedHandle() { Reset(); }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  CScopedHandle(CScopedHandle&& other) noexcept : m_handle(other.Release()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return m_handle; }
  bool IsValid() const { return m_handle != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }
  Handle Release() {
    Handle h = m_handle;
    m_handle = Traits::Invalid();
    return h;
  }
  void Reset(Handle h = Traits::Invalid()) {
    if (IsValid()) Traits::Free(m_handle);
    m_handle = h;
  }

 private:
  Handle m_handle = Traits::Invalid();
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { FreeLibrary(h); }
};
struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Free(Handle h) { CloseHandle(h); }
};
struct KernelTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { CloseHandle(h); }
};
struct GdiTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DeleteObject(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { RegCloseKey(h); }
};
struct DcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DeleteDC(h); }
};
struct GlobalTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { GlobalFree(h); }
};

using CModule = CScopedHandle<ModuleTraits>;
using CFileHandle = CScopedHandle<FileTraits>;
using CKernelHandle = CScopedHandle<KernelTraits>;
using CGdiObject = CScopedHandle<GdiTraits>;
using CRegKey = CScopedHandle<RegKeyTraits>;
using CGlobalMemory = CScopedHandle<GlobalTraits>;
// Memory the system allocated for the caller with LocalAlloc (protected data, messages).
struct LocalTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { LocalFree(h); }
};
using CLocalMemory = CScopedHandle<LocalTraits>;
// A DC made with CreateDC (a printer's), deleted with DeleteDC.
using CDeviceContext = CScopedHandle<DcTraits>;

// Selects an object into a DC for the lifetime of the scope.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~CSelectObject() { SelectObject(m_dc, m_old); }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// Screen-compatible memory DC, deleted at the end of the scope.
class CMemoryDC {
 public:
  explicit CMemoryDC(HDC reference) : m_dc(CreateCompatibleDC(reference)) {}
  ~CMemoryDC() {
    if (m_dc) DeleteDC(m_dc);
  }
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HDC m_dc;
};

// GetDC/ReleaseDC pair for a window.
class CClientDC {
 public:
  explicit CClientDC(HWND wnd) : m_wnd(wnd), m_dc(GetDC(wnd)) {}
  ~CClientDC() {
    if (m_dc) ReleaseDC(m_wnd, m_dc);
  }
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_wnd;
  HDC m_dc;
};

// BeginPaint/EndPaint pair.
class CPaintDC {
 public:
  explicit CPaintDC(HWND wnd) : m_wnd(wnd) { m_dc = BeginPaint(wnd, &m_paint); }
  ~CPaintDC() { EndPaint(m_wnd, &m_paint); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  HDC Get() const { return m_dc; }
  const PAINTSTRUCT& Info() const { return m_paint; }

 private:
  HWND m_wnd;
  HDC m_dc;
  PAINTSTRUCT m_paint;
};

// GlobalLock/GlobalUnlock pair.
class CGlobalLock {
 public:
  explicit CGlobalLock(HGLOBAL memory) : m_memory(memory), m_data(GlobalLock(memory)) {}
  ~CGlobalLock() {
    if (m_data) GlobalUnlock(m_memory);
  }
  CGlobalLock(const CGlobalLock&) = delete;
  CGlobalLock& operator=(const CGlobalLock&) = delete;
  void* Get() const { return m_data; }

 private:
  HGLOBAL m_memory;
  void* m_data;
};
