#pragma once

// The C interface of the APE compressor library (libcorvath-ape.so). The program opens the
// library by file name and resolves these entry points; nothing else of the library is public.
// A compressor handle belongs to one thread at a time.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ApeCompressor* APE_COMPRESS_HANDLE;

/// A PCM wave format record with the fields of the Windows WAVEFORMATEX.
typedef struct ApeWaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t sampleRate;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
} ApeWaveFormat;

enum {
    APE_ERROR_SUCCESS = 0,
    APE_ERROR_IO_READ = 1000,
    APE_ERROR_IO_WRITE = 1001,
    APE_ERROR_INVALID_INPUT_FILE = 1002,
    APE_ERROR_INVALID_OUTPUT_FILE = 1003,
    APE_ERROR_INPUT_FILE_TOO_LARGE = 1004,
    APE_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH = 1005,
    APE_ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE = 1006,
    APE_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT = 1007,
    APE_ERROR_INPUT_FILE_TOO_SMALL = 1008,
    APE_ERROR_INVALID_FUNCTION_PARAMETER = 1012,
    APE_ERROR_UNSUPPORTED_FILE_TYPE = 1013,
    APE_ERROR_INSUFFICIENT_MEMORY = 2000,
    APE_ERROR_BAD_PARAMETER = 5000,
    APE_ERROR_COMPRESS_TOO_MUCH_DATA = 6000
};

/// "Create the WAV header on decompression": no WAV header is stored in the file.
#define APE_CREATE_WAV_HEADER_ON_DECOMPRESSION (-1)

/// Fills the record for PCM with these values; returns 0.
int FillWaveFormatEx(ApeWaveFormat* format, int sampleRate, int bitsPerSample, int channels);

/// A new compressor; *errorCode becomes 0, or the reason there is none (and NULL comes back).
APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode);
void c_APECompress_Destroy(APE_COMPRESS_HANDLE compressor);

/// Creates the output file for PCM of the given format at level 1000, 2000, 3000 or 4000.
/// maxAudioBytes < 0: no limit. headerBytes < 0 (APE_CREATE_WAV_HEADER_ON_DECOMPRESSION): no WAV
/// header stored; otherwise headerData holds the WAV file's bytes before its samples.
int c_APECompress_Start(APE_COMPRESS_HANDLE compressor, const char* outputFileName,
                        const ApeWaveFormat* format, int maxAudioBytes, int compressionLevel,
                        const void* headerData, int headerBytes);

/// Room for more PCM in the compressor's input buffer: a pointer to it, and its size in
/// *bytesAvailable (never 0 while a run is on). NULL when the compressor is not started.
unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE compressor, int* bytesAvailable);

/// Takes bytesAdded bytes written at the locked pointer; with process non-zero, compresses every
/// whole frame gathered so far.
int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE compressor, int bytesAdded, int process);

/// Compresses what is left, appends the WAV bytes that followed the samples (terminatingData),
/// completes the headers and closes the file. A run without a single sample leaves no file and
/// returns APE_ERROR_INPUT_FILE_TOO_SMALL.
int c_APECompress_Finish(APE_COMPRESS_HANDLE compressor, unsigned char* terminatingData,
                         int terminatingBytes, int wavTerminatingBytes);

#ifdef __cplusplus
}
#endif
