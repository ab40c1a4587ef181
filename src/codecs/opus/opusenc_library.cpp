#include "codecs/opus/opusenc_library.h"

namespace corvath {

namespace {

bool ResolveOpusEnc(const DynamicLibrary& library, OpusEncApi& api)
{
    return library.Resolve("ope_comments_create", api.commentsCreate) &&
           library.Resolve("ope_comments_add_string", api.commentsAddString) &&
           library.Resolve("ope_comments_destroy", api.commentsDestroy) &&
           library.Resolve("ope_encoder_create_callbacks", api.encoderCreateCallbacks) &&
           library.Resolve("ope_encoder_ctl", api.encoderCtl) &&
           library.Resolve("ope_encoder_write_float", api.encoderWriteFloat) &&
           library.Resolve("ope_encoder_drain", api.encoderDrain) &&
           library.Resolve("ope_encoder_destroy", api.encoderDestroy) &&
           library.Resolve("ope_strerror", api.strerror);
}

} // namespace

CodecLibrary<OpusEncApi>& OpusEncLibrary()
{
    static CodecLibrary<OpusEncApi> library("libopusenc.so.0", ResolveOpusEnc);
    return library;
}

} // namespace corvath
