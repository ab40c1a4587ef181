#include "platform/media/wm_writer_file_sink.h"

#include "platform/acm/ffmpeg_library.h"
#include "platform/media/av_error_text.h"

namespace corvath {

bool WmWriterFileSink::Open(const std::string& fileName)
{
    output_.reset();
    fileName_ = fileName;
    if (!FfmpegAvailable()) {
        failure_ = FfmpegLibrary().NotLoadedMessage();
        return false;
    }
    AVIOContext* output = nullptr;
    // The protocol prefix keeps a colon in the name from being read as a protocol.
    if (const int result =
            Ffmpeg().avio_open(&output, ("file:" + fileName).c_str(), AVIO_FLAG_WRITE);
        result < 0)
        return Fail(result);
    output_.reset(output);
    return true;
}

bool WmWriterFileSink::Close()
{
    if (!output_)
        return true;
    Ffmpeg().avio_flush(output_.get());
    const int writeError = output_->error;
    AVIOContext* output = output_.release();
    const int closeError = Ffmpeg().avio_closep(&output);
    return writeError < 0 ? Fail(writeError) : closeError < 0 ? Fail(closeError) : true;
}

bool WmWriterFileSink::Fail(int error)
{
    failure_ = AvErrorText(error);
    return false;
}

} // namespace corvath
