#pragma once

#include "platform/dynlib/codec_library.h"

#include <memory>
#include <opusenc.h>

namespace corvath {

/// The entry points of libopusenc that the Opus output calls; the library's header gives only
/// their types, the functions come from the library opened at run time. encoderCtl is the
/// variadic ope_encoder_ctl: call it with the request macros of <opus_defines.h>.
struct OpusEncApi {
    decltype(&ope_comments_create) commentsCreate = nullptr;
    decltype(&ope_comments_add_string) commentsAddString = nullptr;
    decltype(&ope_comments_destroy) commentsDestroy = nullptr;
    decltype(&ope_encoder_create_callbacks) encoderCreateCallbacks = nullptr;
    decltype(&ope_encoder_ctl) encoderCtl = nullptr;
    decltype(&ope_encoder_write_float) encoderWriteFloat = nullptr;
    decltype(&ope_encoder_drain) encoderDrain = nullptr;
    decltype(&ope_encoder_destroy) encoderDestroy = nullptr;
    decltype(&ope_strerror) strerror = nullptr;
};

/// The process's binding to "libopusenc.so.0". The program loads it once (the windows at
/// start, the command line when first needed) and keeps it for the whole run; tests load it
/// themselves.
CodecLibrary<OpusEncApi>& OpusEncLibrary();

/// Destroys an encoder through the binding, without draining it: what it still holds is lost.
struct OpusEncoderDeleter {
    void operator()(OggOpusEnc* encoder) const
    {
        OpusEncLibrary().Functions().encoderDestroy(encoder);
    }
};
using OpusEncoderPtr = std::unique_ptr<OggOpusEnc, OpusEncoderDeleter>;

/// Destroys a comment set through the binding.
struct OpusCommentsDeleter {
    void operator()(OggOpusComments* comments) const
    {
        OpusEncLibrary().Functions().commentsDestroy(comments);
    }
};
using OpusCommentsPtr = std::unique_ptr<OggOpusComments, OpusCommentsDeleter>;

} // namespace corvath
