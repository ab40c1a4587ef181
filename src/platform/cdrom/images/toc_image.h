#pragma once

#include "platform/cdrom/images/image_layout.h"

#include <filesystem>

namespace corvath {

/// Reads a cdrdao TOC file as the disc it describes: its tracks and pre-gaps, flags, ISRCs,
/// catalogue number and CD-Text (TITLE and PERFORMER of language 0, else of the first language),
/// with every data file checked by ResolveDataFile. Anything the file format does not allow gives
/// ImageParse::Failed with the line and the reason ("the TOC file's line 12 cannot be read: ...").
///
/// How it reads what cdrdao leaves open:
/// - Raw audio files hold big-endian samples, as cdrdao writes and reads them; SWAP marks a
///   little-endian one. Names ending in .wav are WAVE files.
/// - A plain number counts samples in an audio track and bytes in a data track; mm:ss:ff counts
///   sectors. An audio length must be whole sectors (588 samples each); an audio file's start
///   may fall anywhere. Audio read to the end of its file leaves out a last partial sector
///   (under 14 ms), which cdrdao would pad with silence; a data track's partial block counts as
///   a whole one.
/// - A data track's length counts; its data is not read, so it needs no extent.
/// - Audio with sub-channel data (TRACK AUDIO RW), FIFOs and compressed audio files are refused.
ImageParse ReadTocImage(const std::filesystem::path& tocFile);

} // namespace corvath
