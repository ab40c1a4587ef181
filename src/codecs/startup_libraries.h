#pragma once

namespace corvath {

/// The codec libraries the program opens once at start and frees at exit: Ogg, Vorbis, Vorbis
/// file, Vorbis encoder, FLAC, our APE compressor and the sample-rate converter (LAME comes and
/// goes with its outputs). A library that is missing only leaves its loaded flag clear: the
/// outputs that need it refuse to be made, with its file name in the message. Lives on the main
/// thread for the program's whole run.
class StartupCodecLibraries {
public:
    StartupCodecLibraries();
    ~StartupCodecLibraries();
    StartupCodecLibraries(const StartupCodecLibraries&) = delete;
    StartupCodecLibraries& operator=(const StartupCodecLibraries&) = delete;
};

} // namespace corvath
