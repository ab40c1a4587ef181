#pragma once

#include <cstdint>
#include <memory>

namespace corvath {

/// Window messages that workers post.
inline constexpr uint32_t kMsgRipDriveFailure = 0x84D;  // lParam 1: option refused, 2: no TOC
inline constexpr uint32_t kMsgRipProgress = 0x84E;      // payload: TProcessInfo
inline constexpr uint32_t kMsgCddbQuery = 0x851;        // wParam 6, 7, 8: query_cddb_thread.h
inline constexpr uint32_t kMsgNextFile = 0x852;         // a conversion batch starts its next file
inline constexpr uint32_t kMsgRipDiscLayout = 0x853;    // payload: RipDiscLayout
inline constexpr uint32_t kMsgRipAccurateRip = 0x854;   // payload: AccurateRipAnswer
inline constexpr uint32_t kMsgMusicBrainzQuery = 0x855; // payload: MusicBrainzAnswer
inline constexpr uint32_t kMsgDiscCover = 0x856;        // payload: DiscCover
inline constexpr uint32_t kMsgAlbumTags = 0x857;        // payload: AlbumTagsWritten
inline constexpr uint32_t kMsgRipEncoded = 0x858;       // wParam: encoder lane, lParam: status

/// An object a message carries; the receiver owns it once the message is posted.
class MessagePayload {
public:
    virtual ~MessagePayload() = default;
};

/// Where workers post messages: a window on the user-interface side, a queue in tests and on the
/// command line. Post never blocks and may be called from any thread; the messages reach the
/// receiver's thread in the order posted.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
                      std::unique_ptr<MessagePayload> payload = nullptr) = 0;
};

} // namespace corvath
