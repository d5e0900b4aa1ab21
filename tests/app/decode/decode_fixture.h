// The libraries the package reader runs on, started once per test suite.
#pragma once

#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

inline void StartReaderLibraries() {
    InitStringBuffer();
    InitArrays();
    InitLists();
    InitFiles();
    InitDecoderTables();
    InitSamples();
}
