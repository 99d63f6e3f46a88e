#pragma once

#include <optional>
#include <string>

namespace tarvik::kestrom::sysfs {

// The text of a sysfs attribute; nullopt when it is missing or cannot be read.
std::optional<std::string> readAttribute(const std::string& path);

// Writes an attribute in one write, as sysfs wants it; false when the kernel (or the permissions)
// refused it.
bool writeAttribute(const std::string& path, const std::string& text);

// A word attribute ("firmware\n") without its line end; nullopt when missing.
std::optional<std::string> readWord(const std::string& path);

} // namespace tarvik::kestrom::sysfs
