// The class identifiers of the two source filters that the player creates
// from the BrelmSource library.
#pragma once

#include "ComTypes.h"

// ASF source: reads ASF and WMV files and pushes compressed audio and video.
constexpr CLSID CLSID_ASFSourceFilter = {
    0x831F874D, 0xA12E, 0x48E8, {0xAD, 0x9A, 0x29, 0xA5, 0x10, 0x2F, 0x92, 0x46}};

// Asynchronous file source: serves every other file to the platform's parsers.
constexpr CLSID CLSID_AsyncFileSourceFilter = {
    0xC2C978F2, 0x1FD5, 0x45AA, {0xB7, 0xA1, 0x9E, 0xB1, 0xC6, 0xF8, 0x09, 0x5E}};
