// Reflection: a dialog sends a child's notification back to the child that
// sent it, as the same message plus kReflectBase, so that a control drawing
// itself also handles its own notifications.
#pragma once

#include <windows.h>

const UINT kReflectBase = 0x2000;  // WM_USER + 0x1C00

// The child a notification came from: the lParam window (commands, scroll
// bars, colour messages), the item's window (owner-drawn item messages),
// WM_PARENTNOTIFY's created or destroyed window, else its dialog item. Null
// when the message is none of these or names no child.
HWND FindNotifyingChild(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Sends the notification back to its child; false when there is none. The
// child's answer is the result.
bool ReflectNotification(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
