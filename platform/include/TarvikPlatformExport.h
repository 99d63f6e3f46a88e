#pragma once

#define TARVIK_PLATFORM_EXPORT __attribute__((visibility("default")))
