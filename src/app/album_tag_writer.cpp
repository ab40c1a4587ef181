#include "app/album_tag_writer.h"

#include <exception>
#include <memory>

namespace corvath {

namespace {

void WriteAlbumTags(const std::vector<AlbumTagTarget>& files, const Loudness& album,
                    const std::stop_token& stop, MessageTarget& target)
{
    auto written = std::make_unique<AlbumTagsWritten>();
    for (const AlbumTagTarget& file : files) {
        if (stop.stop_requested())
            return;
        try {
            WriteLoudnessTags(file.path, file.format, std::nullopt, album);
        } catch (const std::exception& failure) {
            written->failures.push_back({file.item, failure.what()});
        }
    }
    target.Post(kMsgAlbumTags, 0, 0, std::move(written));
}

} // namespace

AlbumTagWriter::AlbumTagWriter(std::vector<AlbumTagTarget> files, Loudness album,
                               MessageTarget& target)
    : worker_(
          target,
          [files, album](std::stop_token stop, MessageTarget& target) {
              WriteAlbumTags(files, album, stop, target);
          },
          // Every file keeps the tags it had; the batch must still learn that the work ended.
          [files](const std::exception& error, MessageTarget& target) {
              auto written = std::make_unique<AlbumTagsWritten>();
              for (const AlbumTagTarget& file : files)
                  written->failures.push_back({file.item, error.what()});
              target.Post(kMsgAlbumTags, 0, 0, std::move(written));
          })
{
}

} // namespace corvath
