// What tells another program why a port is busy: while the window receives
// on a port it keeps it open, and holds a named mutex for it
// ("Local\ZanduSMS-Receiving-COM5"). A program whose open of that port is
// refused finds the mutex and can say who holds the port and why.
#pragma once

#include <windows.h>

#include "base/Raii.h"
#include "base/Text.h"

class CPortHold {
public:
    // Holds the mark of the port (another port's is let go first); an empty
    // name lets go.
    void Hold(const WString& strPort);
    void Release() { m_hMutex.Reset(); }

    // Whether a program receiving on the port holds its mark.
    static bool IsHeld(const WString& strPort);

private:
    static WString GetName(const WString& strPort);

    CHandle m_hMutex;
};
