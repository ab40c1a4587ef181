#include "audio/model/au_input.h"

#include "audio/model/au_exception.h"

#include <cstring>
#include <exception>

namespace corvath {

void TAuInput::BeginRead()
{
    std::lock_guard lock(dataLock_);
    endOfStream_ = false;
    openFailure_.clear();
    try {
        OpenSource();
    } catch (const std::exception& failure) {
        endOfStream_ = true;
        openFailure_ = failure.what();
    }
}

void TAuInput::OpenForRun()
{
    std::lock_guard lock(dataLock_);
    BeginRead();
    if (!openFailure_.empty())
        throw EAuException(openFailure_);
}

void TAuInput::EndRead()
{
    std::lock_guard lock(dataLock_);
    CloseSource();
}

AudioChunk TAuInput::ReadData(uint32_t wanted)
{
    std::lock_guard lock(dataLock_);
    if (endOfStream_)
        return {};
    return ReadChunk(wanted);
}

uint32_t TAuInput::ReadInto(void* dest, uint32_t capacity)
{
    const AudioChunk chunk = ReadData(capacity);
    if (chunk.data == nullptr)
        return 0;
    std::memcpy(dest, chunk.data, chunk.bytes);
    return chunk.bytes;
}

uint32_t TAuInput::ReadFull(void* dest, uint32_t size, bool& atEnd)
{
    auto* bytes = static_cast<uint8_t*>(dest);
    uint32_t gathered = 0;
    atEnd = false;
    while (gathered < size) {
        const uint32_t got = ReadInto(bytes + gathered, size - gathered);
        if (got == 0) {
            atEnd = true;
            break;
        }
        gathered += got;
    }
    return gathered;
}

void TAuInput::ForceClose()
{
    try {
        EndRead();
    } catch (const std::exception&) {
        // Closing as well as we can is all that is asked here.
    }
    busy_ = false;
}

} // namespace corvath
