// Owners of Win32 handles and objects: each closes, releases or deletes what
// it holds when it goes out of scope, so no early return can leak one.
#pragma once

#include <windows.h>

// One owned handle of type T; TClose says how it is closed and which value
// means "none". Movable, not copyable.
template <class T, class TClose>
class CUniqueHandle {
public:
    CUniqueHandle() : m_h(TClose::None()) {}
    explicit CUniqueHandle(T h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }

    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    T Get() const { return m_h; }
    operator T() const { return m_h; }
    explicit operator bool() const { return m_h != TClose::None(); }

    // Gives up ownership without closing.
    T Release()
    {
        const T h = m_h;
        m_h = TClose::None();
        return h;
    }
    // Closes what is held and takes h.
    void Reset(T h = TClose::None())
    {
        if (m_h != TClose::None() && m_h != h)
            TClose::Close(m_h);
        m_h = h;
    }

private:
    T m_h;
};

struct CCloseKernelHandle {
    static HANDLE None() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct CCloseFileHandle {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct CCloseRegKey {
    static HKEY None() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
template <class T>
struct CDeleteGdiObject {
    static T None() { return nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
struct CDeleteDC {
    static HDC None() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct CUnhook {
    static HHOOK None() { return nullptr; }
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};

typedef CUniqueHandle<HANDLE, CCloseKernelHandle> CHandle;  // events, threads: null when none
typedef CUniqueHandle<HANDLE, CCloseFileHandle> CFileHandle;  // files, ports: INVALID_HANDLE_VALUE when none
typedef CUniqueHandle<HKEY, CCloseRegKey> CRegKey;
typedef CUniqueHandle<HBITMAP, CDeleteGdiObject<HBITMAP>> CBitmapHandle;
typedef CUniqueHandle<HBRUSH, CDeleteGdiObject<HBRUSH>> CBrushHandle;
typedef CUniqueHandle<HPEN, CDeleteGdiObject<HPEN>> CPenHandle;
typedef CUniqueHandle<HFONT, CDeleteGdiObject<HFONT>> CFontHandle;
typedef CUniqueHandle<HRGN, CDeleteGdiObject<HRGN>> CRgnHandle;
typedef CUniqueHandle<HDC, CDeleteDC> CMemoryDC;  // from CreateCompatibleDC
typedef CUniqueHandle<HHOOK, CUnhook> CHook;

// A manual-reset event, initially clear.
inline HANDLE CreateManualEvent()
{
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

// A critical section for the life of the object, and a lock held for a scope.
class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CLock {
public:
    explicit CLock(CCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CLock() { m_cs.Leave(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CCriticalSection& m_cs;
};

// The DC of a window's client area (or of the screen, for a null window), or
// with bWhole of the whole window, frame and scroll bars included; released
// at the end.
class CWindowDC {
public:
    explicit CWindowDC(HWND hWnd = nullptr, bool bWhole = false)
        : m_hWnd(hWnd), m_hDC(bWhole ? GetWindowDC(hWnd) : GetDC(hWnd))
    {
    }
    ~CWindowDC()
    {
        if (m_hDC)
            ReleaseDC(m_hWnd, m_hDC);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// BeginPaint and EndPaint around a WM_PAINT handler.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }
    const PAINTSTRUCT& Info() const { return m_ps; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    PAINTSTRUCT m_ps;
};

// An object selected into a DC for a scope; the one it replaced comes back.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(SelectObject(hDC, hObject)) {}
    ~CSelectObject()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
