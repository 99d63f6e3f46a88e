#pragma once

// The program's trace lines. Each call formats one line printf-style and hands it to the trace sink:
// a listener bound to the datagram socket TraceSocketPath() (the trace-window stand-in, see the tool
// tarvik-trace) receives it as one UTF-8 datagram; without a listener the line goes to stderr.
//
// Formats follow the Windows wide-character printf conventions the program's trace texts are
// written in: "%s" and "%c" take wide arguments (wchar_t* / wchar_t), "%S" and "%hs" take narrow
// ones. Any thread may trace.

#include <cstdarg>
#include <cstddef>
#include <string>

namespace tarvik::trace {

// Buffer sizes in characters, terminator included: the line with its "\r\n" is cut to fit.
inline constexpr std::size_t kMessageBufferChars = 5000;
inline constexpr std::size_t kDebugBufferChars = 500;

// The formatted text plus "\r\n", cut to bufferChars - 1 characters.
std::wstring FormatLine(std::size_t bufferChars, const wchar_t* format, va_list args);

// Rewrites a Windows-convention wide format into the C library's convention (see above).
std::wstring TranslateFormat(const wchar_t* format);

// $XDG_RUNTIME_DIR/tarvik/MfxTraceWindow (or the runtime folder's fallback).
std::string SocketPath();

// Sends one finished line to the sink. While the listener's queue is full the line waits for room
// up to FullQueueWait() milliseconds (then goes to stderr); lines leave in the order they came.
void Emit(const std::wstring& line);

// The longest a line waits for room in the listener's queue (500 ms unless set; tests shorten it).
void SetFullQueueWait(int milliseconds);
int FullQueueWait();

} // namespace tarvik::trace

// General trace of the program and all pages.
void TraceMessage(const wchar_t* format, ...);
// Start-up paths, process counts and a few page events.
void TraceDebug(const wchar_t* format, ...);
// Written straight to the debugger output (stderr), never to the trace listener.
void DebugOutput(const wchar_t* text);
