// Stands in for the APE compressor library: every call succeeds, but locking the buffer never
// offers a single byte.

#include "platform/ape/ape_compress_api.h"

namespace {

unsigned char room[1];

} // namespace

int FillWaveFormatEx(ApeWaveFormat* format, int sampleRate, int bitsPerSample, int channels)
{
    *format = ApeWaveFormat{};
    format->sampleRate = static_cast<uint32_t>(sampleRate);
    format->bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    format->channels = static_cast<uint16_t>(channels);
    return 0;
}

APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode)
{
    *errorCode = 0;
    return reinterpret_cast<APE_COMPRESS_HANDLE>(room);
}

void c_APECompress_Destroy(APE_COMPRESS_HANDLE) {}

int c_APECompress_Start(APE_COMPRESS_HANDLE, const char*, const ApeWaveFormat*, int, int,
                        const void*, int)
{
    return 0;
}

unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE, int* bytesAvailable)
{
    *bytesAvailable = 0;
    return room;
}

int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE, int, int)
{
    return 0;
}

int c_APECompress_Finish(APE_COMPRESS_HANDLE, unsigned char*, int, int)
{
    return 0;
}
