#pragma once

#include "platform/dynlib/codec_library.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <memory>

namespace corvath {

/// The stream encoder and metadata object entry points of libFLAC that the FLAC output calls; the
/// library's header gives only their types, the functions come from the library opened at run time.
struct FlacApi {
    decltype(&FLAC__stream_encoder_new) encoderNew = nullptr;
    decltype(&FLAC__stream_encoder_delete) encoderDelete = nullptr;
    decltype(&FLAC__stream_encoder_set_verify) setVerify = nullptr;
    decltype(&FLAC__stream_encoder_set_channels) setChannels = nullptr;
    decltype(&FLAC__stream_encoder_set_bits_per_sample) setBitsPerSample = nullptr;
    decltype(&FLAC__stream_encoder_set_sample_rate) setSampleRate = nullptr;
    decltype(&FLAC__stream_encoder_set_do_mid_side_stereo) setDoMidSideStereo = nullptr;
    decltype(&FLAC__stream_encoder_set_loose_mid_side_stereo) setLooseMidSideStereo = nullptr;
    decltype(&FLAC__stream_encoder_set_blocksize) setBlocksize = nullptr;
    decltype(&FLAC__stream_encoder_set_compression_level) setCompressionLevel = nullptr;
    decltype(&FLAC__stream_encoder_set_max_lpc_order) setMaxLpcOrder = nullptr;
    decltype(&FLAC__stream_encoder_set_qlp_coeff_precision) setQlpCoeffPrecision = nullptr;
    decltype(&FLAC__stream_encoder_set_do_qlp_coeff_prec_search) setDoQlpCoeffPrecSearch = nullptr;
    decltype(&FLAC__stream_encoder_set_min_residual_partition_order) setMinResidualPartitionOrder =
        nullptr;
    decltype(&FLAC__stream_encoder_set_max_residual_partition_order) setMaxResidualPartitionOrder =
        nullptr;
    decltype(&FLAC__stream_encoder_set_do_exhaustive_model_search) setDoExhaustiveModelSearch =
        nullptr;
    decltype(&FLAC__stream_encoder_set_total_samples_estimate) setTotalSamplesEstimate = nullptr;
    decltype(&FLAC__stream_encoder_init_stream) initStream = nullptr;
    decltype(&FLAC__stream_encoder_process_interleaved) processInterleaved = nullptr;
    decltype(&FLAC__stream_encoder_finish) finish = nullptr;
    decltype(&FLAC__stream_encoder_set_metadata) setMetadata = nullptr;
    decltype(&FLAC__metadata_object_new) metadataObjectNew = nullptr;
    decltype(&FLAC__metadata_object_delete) metadataObjectDelete = nullptr;
    decltype(&FLAC__metadata_object_picture_set_mime_type) pictureSetMimeType = nullptr;
    decltype(&FLAC__metadata_object_picture_set_data) pictureSetData = nullptr;
};

/// The process's binding to "libFLAC.so.12". The program loads it once (the windows at start,
/// the command line when first needed) and keeps it for the whole run; tests load it
/// themselves.
CodecLibrary<FlacApi>& FlacLibrary();

/// Deletes a stream encoder through the binding.
struct FlacEncoderDeleter {
    void operator()(FLAC__StreamEncoder* encoder) const
    {
        FlacLibrary().Functions().encoderDelete(encoder);
    }
};
using FlacEncoderPtr = std::unique_ptr<FLAC__StreamEncoder, FlacEncoderDeleter>;

/// Deletes a metadata object, with what it holds, through the binding.
struct FlacMetadataDeleter {
    void operator()(FLAC__StreamMetadata* object) const
    {
        FlacLibrary().Functions().metadataObjectDelete(object);
    }
};
using FlacMetadataPtr = std::unique_ptr<FLAC__StreamMetadata, FlacMetadataDeleter>;

} // namespace corvath
