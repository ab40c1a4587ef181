#include "codecs/flac/flac_library.h"

namespace corvath {

namespace {

bool ResolveFlac(const DynamicLibrary& library, FlacApi& api)
{
    return library.Resolve("FLAC__stream_encoder_new", api.encoderNew) &&
           library.Resolve("FLAC__stream_encoder_delete", api.encoderDelete) &&
           library.Resolve("FLAC__stream_encoder_set_verify", api.setVerify) &&
           library.Resolve("FLAC__stream_encoder_set_channels", api.setChannels) &&
           library.Resolve("FLAC__stream_encoder_set_bits_per_sample", api.setBitsPerSample) &&
           library.Resolve("FLAC__stream_encoder_set_sample_rate", api.setSampleRate) &&
           library.Resolve("FLAC__stream_encoder_set_do_mid_side_stereo", api.setDoMidSideStereo) &&
           library.Resolve("FLAC__stream_encoder_set_loose_mid_side_stereo",
                           api.setLooseMidSideStereo) &&
           library.Resolve("FLAC__stream_encoder_set_blocksize", api.setBlocksize) &&
           library.Resolve("FLAC__stream_encoder_set_compression_level", api.setCompressionLevel) &&
           library.Resolve("FLAC__stream_encoder_set_max_lpc_order", api.setMaxLpcOrder) &&
           library.Resolve("FLAC__stream_encoder_set_qlp_coeff_precision",
                           api.setQlpCoeffPrecision) &&
           library.Resolve("FLAC__stream_encoder_set_do_qlp_coeff_prec_search",
                           api.setDoQlpCoeffPrecSearch) &&
           library.Resolve("FLAC__stream_encoder_set_min_residual_partition_order",
                           api.setMinResidualPartitionOrder) &&
           library.Resolve("FLAC__stream_encoder_set_max_residual_partition_order",
                           api.setMaxResidualPartitionOrder) &&
           library.Resolve("FLAC__stream_encoder_set_do_exhaustive_model_search",
                           api.setDoExhaustiveModelSearch) &&
           library.Resolve("FLAC__stream_encoder_set_total_samples_estimate",
                           api.setTotalSamplesEstimate) &&
           library.Resolve("FLAC__stream_encoder_init_stream", api.initStream) &&
           library.Resolve("FLAC__stream_encoder_process_interleaved", api.processInterleaved) &&
           library.Resolve("FLAC__stream_encoder_finish", api.finish) &&
           library.Resolve("FLAC__stream_encoder_set_metadata", api.setMetadata) &&
           library.Resolve("FLAC__metadata_object_new", api.metadataObjectNew) &&
           library.Resolve("FLAC__metadata_object_delete", api.metadataObjectDelete) &&
           library.Resolve("FLAC__metadata_object_picture_set_mime_type", api.pictureSetMimeType) &&
           library.Resolve("FLAC__metadata_object_picture_set_data", api.pictureSetData);
}

} // namespace

CodecLibrary<FlacApi>& FlacLibrary()
{
    static CodecLibrary<FlacApi> library("libFLAC.so.12", ResolveFlac);
    return library;
}

} // namespace corvath
