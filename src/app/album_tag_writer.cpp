#include "app/album_tag_writer.h"

#include <exception>
#include <memory>

namespace corvath {

AlbumTagWriter::AlbumTagWriter(std::vector<AlbumTagTarget> files, Loudness album,
                               MessageTarget& target)
    : files_(std::move(files)), album_(album), target_(target), thread_([this] { Run(); })
{
}

AlbumTagWriter::~AlbumTagWriter()
{
    cancel_ = true;
    thread_.join();
}

void AlbumTagWriter::Run()
{
    auto written = std::make_unique<AlbumTagsWritten>();
    for (const AlbumTagTarget& file : files_) {
        if (cancel_)
            return;
        try {
            WriteLoudnessTags(file.path, file.format, std::nullopt, album_);
        } catch (const std::exception& failure) {
            written->failures.push_back({file.item, failure.what()});
        }
    }
    target_.Post(kMsgAlbumTags, 0, 0, std::move(written));
}

} // namespace corvath
