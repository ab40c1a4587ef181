// The library's exported entry points: each forwards to its compressor and turns whatever the
// C++ side throws into an error code, since nothing may unwind into the caller.

#include "platform/ape/ape_compress_api.h"

#include "platform/ape/ape_compressor.h"

#include <new>

#define APE_EXPORT extern "C" __attribute__((visibility("default")))

struct ApeCompressor : corvath::ape::ApeCompressor {};

APE_EXPORT int FillWaveFormatEx(ApeWaveFormat* format, int sampleRate, int bitsPerSample,
                                int channels)
{
    if (format == nullptr)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    *format = ApeWaveFormat{};
    format->formatTag = 1;
    format->channels = static_cast<uint16_t>(channels);
    format->sampleRate = static_cast<uint32_t>(sampleRate);
    format->bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    format->blockAlign = static_cast<uint16_t>(format->channels * format->bitsPerSample / 8);
    format->avgBytesPerSec = format->sampleRate * format->blockAlign;
    return APE_ERROR_SUCCESS;
}

APE_EXPORT APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode)
{
    APE_COMPRESS_HANDLE compressor = new (std::nothrow) ApeCompressor;
    if (errorCode != nullptr)
        *errorCode = compressor != nullptr ? APE_ERROR_SUCCESS : APE_ERROR_INSUFFICIENT_MEMORY;
    return compressor;
}

APE_EXPORT void c_APECompress_Destroy(APE_COMPRESS_HANDLE compressor)
{
    delete compressor;
}

APE_EXPORT int c_APECompress_Start(APE_COMPRESS_HANDLE compressor, const char* outputFileName,
                                   const ApeWaveFormat* format, int maxAudioBytes,
                                   int compressionLevel, const void* headerData, int headerBytes)
{
    if (compressor == nullptr)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    return compressor->Start(outputFileName, format, maxAudioBytes, compressionLevel, headerData,
                             headerBytes);
}

APE_EXPORT unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE compressor,
                                                   int* bytesAvailable)
{
    if (compressor == nullptr) {
        if (bytesAvailable != nullptr)
            *bytesAvailable = 0;
        return nullptr;
    }
    return compressor->LockBuffer(bytesAvailable);
}

APE_EXPORT int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE compressor, int bytesAdded,
                                          int process)
{
    if (compressor == nullptr)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    return compressor->UnlockBuffer(bytesAdded, process != 0);
}

APE_EXPORT int c_APECompress_Finish(APE_COMPRESS_HANDLE compressor, unsigned char* terminatingData,
                                    int terminatingBytes, int wavTerminatingBytes)
{
    if (compressor == nullptr)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    return compressor->Finish(terminatingData, terminatingBytes, wavTerminatingBytes);
}
