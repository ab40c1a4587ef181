#include "audio/wave/wave_header_scanner.h"

#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

namespace corvath {

namespace {

using ChunkId = std::array<uint8_t, 4>;

// Letter case is ignored by letting bytes differ by exactly 32, so ids written in lower case by
// some programs still match.
bool IdMatches(const ChunkId& id, std::string_view name)
{
    for (std::size_t i = 0; i < id.size(); ++i) {
        const int difference = std::abs(id[i] - static_cast<uint8_t>(name[i]));
        if (difference != 0 && difference != 32)
            return false;
    }
    return true;
}

// Reads header bytes in order. Every call returns false once the stream ends or the header would
// grow beyond its limit, and the scan then gives up.
class HeaderReader {
public:
    explicit HeaderReader(TAudioStream& stream)
        : stream_(stream), start_(stream.IsSeekable() ? stream.Position() : 0)
    {
    }

    int64_t Offset() const { return start_ + static_cast<int64_t>(consumed_); }

    bool Read(std::span<uint8_t> bytes)
    {
        if (bytes.size() > kMaxWaveHeaderBytes - consumed_)
            return false;
        const std::size_t read = stream_.Read(bytes.data(), bytes.size());
        consumed_ += read;
        return read == bytes.size();
    }

    bool ReadLe32(uint32_t& value)
    {
        std::array<uint8_t, 4> bytes{};
        if (!Read(bytes))
            return false;
        value = corvath::ReadLe32(bytes.data());
        return true;
    }

    // Checks the size against the limit before allocating, so a damaged size costs nothing.
    bool ReadBody(uint32_t size, std::vector<uint8_t>& body)
    {
        if (size > kMaxWaveHeaderBytes - consumed_)
            return false;
        body.resize(size);
        return Read(body);
    }

    bool Skip(uint32_t size)
    {
        std::array<uint8_t, 512> discarded{};
        while (size > 0) {
            const std::size_t part = std::min<std::size_t>(size, discarded.size());
            if (!Read(std::span(discarded).first(part)))
                return false;
            size -= static_cast<uint32_t>(part);
        }
        return true;
    }

    // Moves the window one byte at a time until it holds the name.
    bool SlideTo(ChunkId& window, std::string_view name)
    {
        while (!IdMatches(window, name)) {
            std::shift_left(window.begin(), window.end(), 1);
            if (!Read(std::span(window).last(1)))
                return false;
        }
        return true;
    }

    // Skips whole chunks until the current id is the name. A chunk of odd size is followed by a
    // zero pad byte in files that keep the RIFF rules and by the next id in files that do not;
    // no id starts with a zero byte, so both are read.
    bool SkipTo(ChunkId& id, std::string_view name)
    {
        uint32_t size = 0;
        while (!IdMatches(id, name)) {
            if (!ReadLe32(size) || !Skip(size) || !Read(id))
                return false;
            if (size % 2 == 1 && id[0] == 0) {
                std::shift_left(id.begin(), id.end(), 1);
                if (!Read(std::span(id).last(1)))
                    return false;
            }
        }
        return true;
    }

private:
    TAudioStream& stream_;
    int64_t start_;
    std::size_t consumed_ = 0;
};

} // namespace

TWaveHeader ScanWaveHeader(TAudioStream& stream, const TFmtInterpreter& interpret)
{
    TWaveHeader header;
    HeaderReader reader(stream);
    ChunkId id{};
    uint32_t size = 0;
    // The RIFF size is not used; its bytes start the window that looks for "WAVE".
    if (!reader.Read(id) || !reader.SlideTo(id, "RIFF") || !reader.Read(id) ||
        !reader.SlideTo(id, "WAVE") || !reader.Read(id))
        return header;

    if (!reader.SkipTo(id, "fmt ") || !reader.ReadLe32(size) || size < kMinWaveFmtBytes ||
        !reader.ReadBody(size, header.fmt))
        return header;
    const TFmtVerdict verdict = interpret(header.fmt);
    if (verdict.kind == wtUnsupported || !reader.Read(id))
        return header;

    if (verdict.needsFact) {
        if (!reader.SkipTo(id, "fact") || !reader.ReadLe32(size) || size < 4)
            return header;
        header.factValueOffset = reader.Offset();
        if (!reader.ReadLe32(header.factFrames) || !reader.Skip(size - 4) || !reader.Read(id))
            return header;
    }

    if (!reader.SkipTo(id, "data"))
        return header;
    header.dataSizeOffset = reader.Offset();
    if (!reader.ReadLe32(header.dataSize))
        return header;
    header.dataStart = reader.Offset();
    header.kind = verdict.kind;
    return header;
}

} // namespace corvath
