// The machine's own spooler, file system, registry and pause: the Win32 calls
// on Windows, nothing elsewhere (each function then returns nullptr).
#pragma once

#include <memory>
#include <string>

#include "platform/error_code.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/sleeper.h"
#include "platform/spooler.h"

namespace tq::platform {

std::unique_ptr<Spooler> SystemSpooler();
std::unique_ptr<FileSystem> SystemFileSystem();
std::unique_ptr<Registry> SystemRegistry();
std::unique_ptr<Sleeper> SystemSleeper();

// A text of the system's own (a port, monitor or printer name from the ANSI
// spooler calls, in the system's ANSI code page) as UTF-8; unchanged where
// there is no Win32.
std::string SystemTextToUtf8(const std::string& text);

// The other way: UTF-8 (tqinstall's arguments, a fleet file) to the system's
// ANSI code page, as the spooler's A calls take it; a character the code page
// lacks becomes its best fit. The same text where there is no Win32.
std::string Utf8ToSystemText(const std::string& text);

// The system's message for `error` (FormatMessage) as UTF-8, without the
// trailing line break; empty where there is no such message or no Win32.
std::string SystemErrorText(ErrorCode error);

}  // namespace tq::platform
