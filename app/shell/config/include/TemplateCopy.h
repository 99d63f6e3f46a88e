#pragma once

#include "ConfigTrace.h"
#include "DataPaths.h"

#include <string>

// The per-model templates (DataPaths::templateFolder), from which the settings file and the key
// map are made on the first start.
struct TemplateNames {
    const wchar_t* settings; // e.g. "GX58_default.INI"
    const wchar_t* keyMap;   // e.g. "km_config_GX58.ini"
};
TemplateNames TemplateNamesForModel(int modelType);

enum class CopyOutcome { Copied, TargetExists, Failed };

// Copies source to target unless target exists. The copy is complete or absent: it is written
// beside the target, flushed, and linked in under the target's name only if that name is still
// free, so an interrupted first start never leaves a cut file that would count as existing for
// ever. error receives the errno of a failure.
CopyOutcome CopyTemplateFile(const std::wstring& source, const std::wstring& target, int* error = nullptr);

// The start-up copy of both templates of the model, with the trace lines
//   "\nApp source ini file =[<template>]", then "\nApp copy ini file firstly." or
//   "\nApp Tarvik.ini file is exist.";
//   "\nApp kmconfig source ini file =[<template>]", then "\nApp copy km_config ini file firstly."
//   or "\nApp km_config.ini file is exist.".
// A copy that fails while the target is absent (template missing, folder not writable) still
// traces "is exist", then a line of its own that names the failure.
void CopyTemplates(const DataPaths& paths, int modelType, const ConfigTrace& trace);
