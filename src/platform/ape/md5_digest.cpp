#include "platform/ape/md5_digest.h"

extern "C" {
#include <libavutil/md5.h>
#include <libavutil/mem.h>
}

#include <new>

namespace corvath::ape {

Md5Digest::Md5Digest() : context_(av_md5_alloc())
{
    if (context_ == nullptr)
        throw std::bad_alloc();
    av_md5_init(context_);
}

Md5Digest::~Md5Digest()
{
    av_free(context_);
}

void Md5Digest::Add(std::span<const uint8_t> bytes)
{
    av_md5_update(context_, bytes.data(), bytes.size());
}

std::array<uint8_t, 16> Md5Digest::Finish()
{
    std::array<uint8_t, 16> sum{};
    av_md5_final(context_, sum.data());
    av_md5_init(context_);
    return sum;
}

} // namespace corvath::ape
