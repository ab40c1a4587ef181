#include "audio/wave/wave_converter.h"

#include "platform/acm/acm.h"
#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <span>
#include <vector>

namespace corvath {

namespace {

constexpr std::size_t kRiffHeaderSize = 12;
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kPcmFormatSize = 16;
constexpr std::size_t kPcmHeaderSize = 44;

bool HasId(std::span<const uint8_t> bytes, const char* id)
{
    return std::memcmp(bytes.data(), id, 4) == 0;
}

/// Everything from the stream's position to its end.
std::vector<uint8_t> ReadToEnd(TAudioStream& source, std::vector<uint8_t> bytes)
{
    constexpr std::size_t kStep = 1 << 16;
    for (;;) {
        const std::size_t start = bytes.size();
        bytes.resize(start + kStep);
        const std::size_t read = source.Read(bytes.data() + start, kStep);
        bytes.resize(start + read);
        if (read == 0)
            return bytes;
    }
}

} // namespace

void TWaveConverter::LoadWav(TAudioStream& source)
{
    std::vector<uint8_t> file(kRiffHeaderSize);
    if (source.Read(file.data(), file.size()) != file.size() || !HasId(file, "RIFF") ||
        !HasId(std::span(file).subspan(8), "WAVE"))
        return;
    file = ReadToEnd(source, std::move(file));

    const std::span<const uint8_t> bytes(file);
    std::span<const uint8_t> data;
    std::size_t offset = kRiffHeaderSize;
    while (offset + kChunkHeaderSize <= bytes.size()) {
        const auto header = bytes.subspan(offset, kChunkHeaderSize);
        const std::size_t bodyStart = offset + kChunkHeaderSize;
        const auto body =
            bytes.subspan(bodyStart, std::min<std::size_t>(ReadLe32(header.data() + 4),
                                                           bytes.size() - bodyStart));
        if (HasId(header, "fmt ")) {
            currentFormat_.Assign(body);
        } else if (HasId(header, "data") && !body.empty()) {
            data = body;
        } else if (!HasId(header, "fact")) {
            ++offset;
            continue;
        }
        offset = bodyStart + body.size();
    }

    if (!data.empty()) {
        // Keep only the data in the file's buffer instead of copying it.
        const auto dataStart = data.data() - file.data();
        file.resize(static_cast<std::size_t>(dataStart) + data.size());
        file.erase(file.begin(), file.begin() + dataStart);
        Bytes() = std::move(file);
    }
    SetPosition(0);
}

uint32_t TWaveConverter::Convert()
{
    std::vector<uint8_t> pcm;
    if (const uint32_t result = AcmConvert(currentFormat_, newFormat_, Bytes(), pcm))
        return result;
    currentFormat_ = newFormat_;
    Bytes() = std::move(pcm);
    SetPosition(0);
    return kAcmOk;
}

bool TWaveConverter::SaveWav(TAudioStream& target)
{
    const std::size_t dataSize = Bytes().size();
    if (dataSize > std::numeric_limits<uint32_t>::max() - (kPcmHeaderSize - 8))
        return false;
    std::array<uint8_t, kPcmHeaderSize> header{};
    std::memcpy(header.data(), "RIFF", 4);
    WriteLe32(header.data() + 4, static_cast<uint32_t>(kPcmHeaderSize - 8 + dataSize));
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    WriteLe32(header.data() + 16, kPcmFormatSize);
    std::copy_n(currentFormat_.Bytes().begin(), kPcmFormatSize, header.begin() + 20);
    std::memcpy(header.data() + 36, "data", 4);
    WriteLe32(header.data() + 40, static_cast<uint32_t>(dataSize));
    try {
        target.Write(header.data(), header.size());
        target.Write(Bytes().data(), dataSize);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace corvath
