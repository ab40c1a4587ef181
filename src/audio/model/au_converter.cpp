#include "audio/model/au_converter.h"

namespace corvath {

void TAuConverter::SetInput(TAuInput* input)
{
    if (input == this)
        return;
    std::lock_guard lock(dataLock_);
    if (busy_) {
        if (input_ != nullptr)
            input_->EndRead();
        if (input != nullptr)
            input->BeginRead();
    }
    RemoveFreeNotification(input_);
    input_ = input;
    FreeNotification(input_);
}

AudioChunk TAuConverter::ReadData(uint32_t wanted)
{
    std::lock_guard lock(dataLock_);
    if (endOfStream_)
        return {};
    const AudioChunk chunk = ReadChunk(wanted);
    position_ += chunk.bytes;
    if (chunk.bytes == 0)
        endOfStream_ = true;
    return chunk;
}

void TAuConverter::SuspendSource()
{
    if (input_ != nullptr)
        input_->SuspendSource();
}

void TAuConverter::ResumeSource()
{
    if (input_ != nullptr)
        input_->ResumeSource();
}

void TAuConverter::Notification(TComponent* removed)
{
    if (removed == input_)
        SetInput(nullptr);
    TAuInput::Notification(removed);
}

} // namespace corvath
