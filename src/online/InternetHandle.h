// An owned WinInet handle, closed when it goes out of scope.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/Raii.h"

struct CCloseInternetHandle {
    static HINTERNET None() { return nullptr; }
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};

typedef CUniqueHandle<HINTERNET, CCloseInternetHandle> CInternetHandle;
