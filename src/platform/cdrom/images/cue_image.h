#pragma once

#include "platform/cdrom/images/image_layout.h"

#include <filesystem>

namespace corvath {

/// Reads a cue sheet and the data files it names (raw BINARY and MOTOROLA files, WAVE files, FLAC
/// files), one file for the disc or one per track: track starts from INDEX 01, pre-gaps from
/// INDEX 00 (in the file) and PREGAP (silence the file does not hold), sessions from "REM SESSION
/// nn" lines (a later session's first track lies kSessionGapSectors after the sectors before it),
/// flags, ISRCs, the catalogue number and CD-Text titles and performers. The sheet may be UTF-8,
/// with or without a byte-order mark, Windows-1252 or UTF-16 with its mark. A data file named with
/// backslashes or in Windows-1252 is also looked for under the name this system gives it.
ImageParse ReadCueImage(const std::filesystem::path& cueSheet);

} // namespace corvath
