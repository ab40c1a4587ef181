#pragma once

#include <string>

namespace corvath {

/// The kinds of audio file whose tags the program reads and writes.
enum class AudioFileKind { Unknown, Mp3, Wav, Wma, Flac, OggVorbis, Opus, Ape };

/// What the file's first bytes show: RIFF/WAVE, an ID3v2 header or an MPEG frame sync, the ASF
/// header object's GUID, "fLaC", "OggS" with a Vorbis or Opus first packet, "MAC ". Unknown for
/// anything else, and for a file that cannot be read or is no regular file (a pipe would block).
/// Any thread; never throws.
AudioFileKind AudioFileKindByContent(const std::string& path);

/// The kind the file's extension names, case ignored (.mp3, .wav, .wma or .asf, .flac, .ape),
/// else the kind by content; so for .ogg, .oga and .opus too, which name a container that holds
/// Vorbis and Opus alike. Any thread; never throws.
AudioFileKind AudioFileKindOf(const std::string& path);

} // namespace corvath
