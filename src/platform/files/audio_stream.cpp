#include "platform/files/audio_stream.h"

namespace corvath {

int64_t TAudioStream::Size()
{
    const int64_t position = Position();
    const int64_t size = Seek(0, TSeekOrigin::End);
    SetPosition(position);
    return size;
}

} // namespace corvath
