#include "codecs/ape/ape_compress.h"

#include "codecs/ape/mac_library.h"

#include <array>
#include <utility>

namespace corvath {

namespace {

constexpr int kProcessGathered = 1;

} // namespace

std::string MacErrorText(int code)
{
    static constexpr std::array<std::pair<int, const char*>, 23> kTexts{{
        {0, "OK"},
        {1000, "I/O read error"},
        {1001, "I/O write error"},
        {1002, "invalid input file"},
        {1003, "invalid output file"},
        {1004, "input file file too large"},
        {1005, "input file unsupported bit depth"},
        {1006, "input file unsupported sample rate"},
        {1007, "input file unsupported channel count"},
        {1008, "input file too small"},
        {1009, "invalid checksum"},
        {1010, "decompressing frame"},
        {1011, "initializing unmac"},
        {1012, "invalid function parameter"},
        {1013, "unsupported file type"},
        {2000, "insufficient memory"},
        {3000, "loading MAC.dll"},
        {3001, "loading MACinfo.dll"},
        {3002, "loading UnMAC.dll"},
        {4000, "user stopped processing"},
        {4001, "skipped..."},
        {5000, "bad parameter"},
        {6000, "APE compress too much data"},
    }};
    for (const auto& [known, text] : kTexts) {
        if (known == code)
            return text;
    }
    return "undefined (" + std::to_string(code) + ")";
}

EAPEException::EAPEException(int code)
    : std::runtime_error("MACDll error: " + MacErrorText(code)), code_(code)
{
}

void TAPECompress::Destroyer::operator()(ApeCompressor* compressor) const
{
    MacLibrary().Functions().destroy(compressor);
}

TAPECompress::TAPECompress()
{
    int errorCode = 0;
    handle_.reset(MacLibrary().Functions().create(&errorCode));
    if (errorCode != 0)
        throw EAPEException(errorCode);
    // No handle without a reason would still leave nothing to work with.
    if (!handle_)
        throw EAPEException(APE_ERROR_INSUFFICIENT_MEMORY);
}

int TAPECompress::Start(const char* outputFileName, const ApeWaveFormat& format, int maxAudioBytes,
                        int compressionLevel, const void* headerData, int headerBytes)
{
    return MacLibrary().Functions().start(handle_.get(), outputFileName, &format, maxAudioBytes,
                                          compressionLevel, headerData, headerBytes);
}

unsigned char* TAPECompress::LockBuffer(int& bytesAvailable)
{
    return MacLibrary().Functions().lockBuffer(handle_.get(), &bytesAvailable);
}

int TAPECompress::UnlockBuffer(int bytesAdded)
{
    return MacLibrary().Functions().unlockBuffer(handle_.get(), bytesAdded, kProcessGathered);
}

int TAPECompress::Finish(unsigned char* terminatingData, int terminatingBytes,
                         int wavTerminatingBytes)
{
    return MacLibrary().Functions().finish(handle_.get(), terminatingData, terminatingBytes,
                                           wavTerminatingBytes);
}

} // namespace corvath
