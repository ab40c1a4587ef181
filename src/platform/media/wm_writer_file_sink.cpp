#include "platform/media/wm_writer_file_sink.h"

namespace corvath {

bool WmWriterFileSink::Open(const std::string& fileName)
{
    output_.reset();
    fileName_ = fileName;
    AVIOContext* output = nullptr;
    // The protocol prefix keeps a colon in the name from being read as a protocol.
    if (avio_open(&output, ("file:" + fileName).c_str(), AVIO_FLAG_WRITE) < 0)
        return false;
    output_.reset(output);
    return true;
}

bool WmWriterFileSink::Close()
{
    if (!output_)
        return true;
    avio_flush(output_.get());
    const bool written = output_->error >= 0;
    AVIOContext* output = output_.release();
    return avio_closep(&output) >= 0 && written;
}

} // namespace corvath
