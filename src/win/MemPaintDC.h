// Double-buffered painting for a WM_PAINT handler: drawing goes to a memory
// bitmap of the client area, which is copied to the window at the end, so a
// control drawn in layers over the dialog's image never flickers.
#pragma once

#include <windows.h>

#include "base/Raii.h"

class CMemPaintDC {
public:
    explicit CMemPaintDC(HWND hWnd)
        : m_paint(hWnd), m_rc(ClientRect(hWnd)), m_hMemDC(CreateCompatibleDC(m_paint)),
          m_hBitmap(CreateCompatibleBitmap(m_paint, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top)),
          m_select(m_hMemDC, m_hBitmap)
    {
        SetViewportOrgEx(m_hMemDC, -m_rc.left, -m_rc.top, nullptr);
    }
    ~CMemPaintDC()
    {
        BitBlt(m_paint, m_rc.left, m_rc.top, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top, m_hMemDC, m_rc.left,
               m_rc.top, SRCCOPY);
    }
    CMemPaintDC(const CMemPaintDC&) = delete;
    CMemPaintDC& operator=(const CMemPaintDC&) = delete;

    operator HDC() const { return m_hMemDC; }
    const RECT& ClientRect() const { return m_rc; }

private:
    static RECT ClientRect(HWND hWnd)
    {
        RECT rc = {};
        GetClientRect(hWnd, &rc);
        return rc;
    }

    // Declared in the order of creation; destroyed the other way round: the
    // bitmap is unselected before it and the memory DC go, then EndPaint.
    CPaintDC m_paint;
    RECT m_rc;
    CMemoryDC m_hMemDC;
    CBitmapHandle m_hBitmap;
    CSelectObject m_select;
};
