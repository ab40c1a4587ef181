#include "audio/model/memory_stream.h"

#include "audio/model/au_exception.h"

#include <algorithm>
#include <cstring>

namespace corvath {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    if (position_ >= Size())
        return 0;
    const auto start = static_cast<std::size_t>(position_);
    const std::size_t available = std::min(count, bytes_.size() - start);
    std::memcpy(buffer, bytes_.data() + start, available);
    position_ += static_cast<int64_t>(available);
    return available;
}

void TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    const auto start = static_cast<std::size_t>(position_);
    if (start + count > bytes_.size())
        bytes_.resize(start + count);
    std::memcpy(bytes_.data() + start, buffer, count);
    position_ += static_cast<int64_t>(count);
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == TSeekOrigin::Begin     ? 0
                         : origin == TSeekOrigin::Current ? position_
                                                          : Size();
    if (base + offset < 0)
        throw EAuException("Invalid stream position");
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0)
        throw EAuException("Invalid stream size");
    bytes_.resize(static_cast<std::size_t>(size));
    position_ = std::min(position_, size);
}

} // namespace corvath
