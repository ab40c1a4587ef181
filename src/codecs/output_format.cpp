#include "codecs/output_format.h"

#include "codecs/ape/ape_format.h"
#include "codecs/flac/flac_format.h"
#include "codecs/mp3/mp3_format.h"
#include "codecs/opus/opus_format.h"
#include "codecs/vorbis/ogg_format.h"
#include "codecs/wav/wav_format.h"
#include "codecs/wma/wma_format.h"

#include <algorithm>
#include <array>

namespace corvath {

std::span<const OutputFormatInfo> OutputFormats()
{
    static const std::array table{Mp3Format(),  WavFormat(), OggFormat(), WmaFormat(),
                                  FlacFormat(), ApeFormat(), OpusFormat()};
    return table;
}

const OutputFormatInfo* FormatByNumber(int32_t number)
{
    const std::span<const OutputFormatInfo> formats = OutputFormats();
    if (number < 0 || number >= static_cast<int32_t>(formats.size()))
        return nullptr;
    // The table is in number order, so a number is its position.
    return &formats[static_cast<std::size_t>(number)];
}

OutputFormat FormatOfSetting(int32_t number)
{
    const OutputFormatInfo* format = FormatByNumber(number);
    return format != nullptr ? format->format : OutputFormat::MP3;
}

const OutputFormatInfo* FormatByExtension(std::string_view extension)
{
    const std::span<const OutputFormatInfo> formats = OutputFormats();
    const auto found = std::ranges::find(formats, extension, &OutputFormatInfo::extension);
    return found == formats.end() ? nullptr : &*found;
}

const OutputFormatInfo& InfoOf(OutputFormat format)
{
    return *FormatByNumber(static_cast<int32_t>(format));
}

Encoder MakeEncoder(OutputFormat format, bool adpcm, const CodecOptions& options)
{
    return InfoOf(format).makeEncoder(options, adpcm);
}

} // namespace corvath
