// What a failed step on a file says, in the system's words: the same for
// the atomic writes and the journals.
#pragma once

#include <string>

// nError: GetLastError() on Windows, errno elsewhere. Windows: "Access is
// denied (error 5)", without the message's final period; elsewhere
// strerror's text.
std::string SystemErrorText(unsigned long nError);
// "<step>: <SystemErrorText>", e.g. "cannot create the file: Access is denied (error 5)".
std::string FileErrorText(const char* pszStep, unsigned long nError);
