#pragma once

// The private-profile (INI) functions of Windows, with their names, argument order and behaviour,
// for the program's settings and key-map files. Every call reads the file anew (nothing is
// cached) and every write rewrites it at once.
//
// Beyond Windows:
//  - A write replaces the file atomically: the new content goes into a temporary file in the same
//    folder, is flushed to disk and renamed over the old file, so a power cut never leaves a
//    half-written or empty file, and a reader sees the old or the new file, never a mix. Writes of
//    one process are serialised, so two threads never lose each other's change.
//  - Every line not changed keeps its bytes, its line end and the file's encoding.
//  - A write that cannot be done (folder missing or not writable, disk full, file unreadable)
//    returns 0 and is traced once per folder until a write there succeeds again.
//  - A name or value holding a line break is refused (0), as it would turn into other lines.
//
// File names are used as given (a bare name is relative to the current folder; there is no
// Windows folder to look it up in). Results are character counts; BOOL results are 1 or 0.

#include "PrivateProfileDocument.h"
#include "TarvikPlatformExport.h"

#include <cstdint>
#include <functional>
#include <string>

TARVIK_PLATFORM_EXPORT std::uint32_t GetPrivateProfileStringW(const wchar_t* appName, const wchar_t* keyName,
                                                              const wchar_t* defaultValue, wchar_t* returnedString,
                                                              std::uint32_t size, const wchar_t* fileName);

TARVIK_PLATFORM_EXPORT std::uint32_t GetPrivateProfileIntW(const wchar_t* appName, const wchar_t* keyName,
                                                           std::int32_t defaultValue, const wchar_t* fileName);

// keyName null deletes the section, string null deletes the key.
TARVIK_PLATFORM_EXPORT int WritePrivateProfileStringW(const wchar_t* appName, const wchar_t* keyName,
                                                      const wchar_t* string, const wchar_t* fileName);

TARVIK_PLATFORM_EXPORT std::uint32_t GetPrivateProfileSectionNamesW(wchar_t* returnBuffer, std::uint32_t size,
                                                                    const wchar_t* fileName);

TARVIK_PLATFORM_EXPORT std::uint32_t GetPrivateProfileSectionW(const wchar_t* appName, wchar_t* returnedString,
                                                               std::uint32_t size, const wchar_t* fileName);

namespace tarvik {

// Where the engine's own lines go (a file that cannot be read or written). Default: the
// diagnostic output. The program connects its trace here; null restores the default.
using PrivateProfileTrace = std::function<void(const std::wstring& line)>;
TARVIK_PLATFORM_EXPORT void setPrivateProfileTrace(PrivateProfileTrace trace);

// The file as a document, read once (for a reader that asks many questions of one file). A missing
// or unreadable file gives an empty document, the latter traced once; found says whether the file
// was read.
TARVIK_PLATFORM_EXPORT PrivateProfileDocument loadPrivateProfile(const std::wstring& fileName, bool* found = nullptr);

// A read-modify-write of the whole file under the rules of WritePrivateProfileStringW (serialised,
// atomic, failures traced once), for a writer that changes many values at once. edit returns
// whether it changed the document; when it did not, nothing is written. Returns 1, or 0 when the
// file could not be read or written.
TARVIK_PLATFORM_EXPORT int updatePrivateProfile(const std::wstring& fileName,
                                                const std::function<bool(PrivateProfileDocument&)>& edit);

} // namespace tarvik
