#pragma once

namespace corvath {

/// The codec libraries the program opens once at start and frees at exit: those the output
/// formats list (LAME comes and goes with its outputs), the sample-rate converter's and the
/// loudness meter's, and FFmpeg and libcurl, which stay until the process ends. A library
/// that is missing only leaves its loaded flag clear: the outputs and lookups that need it
/// refuse to start, with its file name in the message. Lives on the main thread for the
/// program's whole run.
class StartupCodecLibraries {
public:
    StartupCodecLibraries();
    ~StartupCodecLibraries();
    StartupCodecLibraries(const StartupCodecLibraries&) = delete;
    StartupCodecLibraries& operator=(const StartupCodecLibraries&) = delete;
};

/// The same libraries, each opened by the first output, converter or lookup that needs it (on
/// any thread) instead of at start (FFmpeg and libcurl always are when nothing opened them
/// before), so that a run that encodes nothing opens none; all are freed at exit. For the command
/// line, where a run is short and uses one format. Lives on the main thread for the program's
/// whole run, made before any codec is used.
class CodecLibrariesOnFirstUse {
public:
    CodecLibrariesOnFirstUse();
    ~CodecLibrariesOnFirstUse();
    CodecLibrariesOnFirstUse(const CodecLibrariesOnFirstUse&) = delete;
    CodecLibrariesOnFirstUse& operator=(const CodecLibrariesOnFirstUse&) = delete;
};

} // namespace corvath
