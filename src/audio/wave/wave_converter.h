#pragma once

#include "audio/model/memory_stream.h"
#include "platform/acm/wave_format_record.h"

#include <cstdint>

namespace corvath {

/// Converts a whole compressed WAV file to PCM in memory. It is a memory stream holding sample
/// data, plus two format records: the current format describes the data now held; the new
/// format is the conversion target, which the caller fills.
///
/// The WAV reader's sequence: LoadWav(file); NewFormat().SetFormatTag(1);
/// AcmFormatSuggest(CurrentFormat(), NewFormat()); Convert(); SaveWav(memory stream).
class TWaveConverter : public TMemoryStream {
public:
    WaveFormatRecord& CurrentFormat() { return currentFormat_; }
    const WaveFormatRecord& CurrentFormat() const { return currentFormat_; }
    WaveFormatRecord& NewFormat() { return newFormat_; }
    const WaveFormatRecord& NewFormat() const { return newFormat_; }

    /// Reads a RIFF WAVE file from the source's position to its end. Every byte offset after
    /// the form type is tried as a chunk start, so ids inside another chunk's body count too;
    /// a recognised chunk is stepped over whole. "fmt " fills the current format (cut to the
    /// record's 129 bytes; bytes a short body leaves out read as zero), "fact" is skipped and
    /// a "data" chunk with a non-zero size becomes the whole content; the last of each wins.
    /// Sizes reaching past the end of the file are cut to it. Rewinds this stream. A file
    /// that is not "RIFF"/"WAVE" loads nothing.
    void LoadWav(TAudioStream& source);

    /// Converts the content from the current to the new format in one call, and on success
    /// makes the new format current and the decoded PCM the content, rewound. Returns 0 or
    /// the compression manager's error code; on an error nothing changes.
    uint32_t Convert();

    /// Writes a PCM WAV file (44-byte header with the first 16 bytes of the current format,
    /// then the content) to the target from its position, keeping this stream's position.
    /// False when the target refused a write or the content is too large for a RIFF file.
    bool SaveWav(TAudioStream& target);

private:
    WaveFormatRecord currentFormat_;
    WaveFormatRecord newFormat_;
};

} // namespace corvath
