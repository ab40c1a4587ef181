#pragma once

#include "platform/ape/ape_compress_api.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace corvath {

/// What an error code of the APE compressor library means: "OK", "I/O write error", ... and
/// "undefined (<code>)" for a code the library is not known to return.
std::string MacErrorText(int code);

/// A compressor handle that could not be made: "MACDll error: " and the text of the code.
class EAPEException : public std::runtime_error {
public:
    explicit EAPEException(int code);

    int Code() const { return code_; }

private:
    int code_;
};

/// Owns one compressor handle of the APE compressor library (MacLibrary(), which must be
/// loaded). The calls forward to the library and return its results unchanged. One thread at a
/// time.
class TAPECompress {
public:
    /// Raises EAPEException when the library reports why it made no compressor.
    TAPECompress();

    int Start(const char* outputFileName, const ApeWaveFormat& format, int maxAudioBytes,
              int compressionLevel, const void* headerData, int headerBytes);
    /// The library's input buffer and, in bytesAvailable, how much room it offers there.
    unsigned char* LockBuffer(int& bytesAvailable);
    /// Hands over bytesAdded bytes written into the locked buffer and compresses what is whole.
    int UnlockBuffer(int bytesAdded);
    int Finish(unsigned char* terminatingData, int terminatingBytes, int wavTerminatingBytes);

private:
    struct Destroyer {
        void operator()(ApeCompressor* compressor) const;
    };

    std::unique_ptr<ApeCompressor, Destroyer> handle_;
};

} // namespace corvath
