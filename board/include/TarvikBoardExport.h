#pragma once

#define TARVIK_BOARD_EXPORT __attribute__((visibility("default")))
