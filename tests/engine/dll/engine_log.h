#pragma once
// The engine's call log: one UTF-8 line per call or event, kept in memory for in-process tests and
// appended to the file named by MIRVOT_TEST_ENGINE_LOG for tests that drive another process.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "engine_timing.h"

namespace mirvot::test_engine {

// With MIRVOT_TEST_ENGINE_TIMING=1 the line gets the timing suffix of `stamp` (engine_timing.h);
// without a stamp, the moment of writing.
void WriteLogLine(std::string_view line);
void WriteLogLine(std::string_view line, const TimingStamp& stamp);
// Copies at most capacity bytes of the log into buffer; returns the log's full size.
size_t CopyLog(char* buffer, size_t capacity);
void ClearLog();

// Logs a call the host made: "<call>[ <arguments>]", with " hr=0x........" when it failed, timed
// from the method's entry; this ends the method's busy interval. Returns hr so a method can end
// with `return LogCall(...)`.
HRESULT LogCall(std::string_view call, std::string_view arguments, HRESULT hr);
HRESULT LogCall(std::string_view call, HRESULT hr);

// Logs an engine method that this engine does not offer and returns E_NOTIMPL.
HRESULT NotImplemented(std::string_view call);

// Value formats of the log.
std::string HexCode(HRESULT hr);              // 0x80004005
std::string QuotedText(const wchar_t* text);  // "text" in UTF-8, or <null>
std::string QuotedText(std::wstring_view text);
std::string QuotedText(std::string_view text);
const char* YesNo(const void* pointer);  // yes / no

}  // namespace mirvot::test_engine
