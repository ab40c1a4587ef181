#include "codecs/ape/ape_format.h"

#include "codecs/ape/mac_library.h"
#include "codecs/finished_file_tags.h"
#include "codecs/idle_sleep.h"

#include <array>

namespace corvath {

namespace {

std::span<const CodecSettingKey> ApeSettings()
{
    using O = CodecOptions;
    using A = TAPEOptions;
    static const std::array keys{
        MemberKey<&O::APEOptions, &A::Compression>("APEOptions", "Compression"),
        MemberKey<&O::APEOptions, &A::CPU>("APEOptions", "CPU"),
    };
    return keys;
}

constexpr PageControl kPage[] = {
    {.group = "Compression",
     .objectName = "seAPECompression",
     .accessibleName = "Compression",
     .kind = PageControl::Kind::Spin,
     .key = "Compression",
     .minimum = 1000,
     .maximum = 10000,
     .step = 500},
    {.group = "CPU Usage",
     .objectName = "tbAPECpuUsage",
     .accessibleName = "CPU Usage",
     .kind = PageControl::Kind::Slider,
     .key = "CPU",
     .minimum = 1,
     .maximum = 3,
     .lowEnd = "Less",
     .highEnd = "More"},
};

Encoder MakeApeEncoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto ape = MakeComponent<TMACOut>();
    auto setup = [out = ape.get(), &options](const TrackRecord& track) {
        SetupMACOut(*out, options.APEOptions);
        TagFinishedFiles(*out, FileTagFormat::Ape, track);
    };
    return {std::move(ape), setup};
}

} // namespace

OutputFormatInfo ApeFormat()
{
    return {.format = OutputFormat::APE,
            .shownName = "APE FILE(*.APE)",
            .extension = "ape",
            .name = "APE",
            .libraries = {&MacLibrary()},
            .settings = ApeSettings(),
            .page = {"APE", kPage},
            .makeEncoder = MakeApeEncoder,
            .loudnessTags = LoudnessTagFormat::Ape};
}

void SetupMACOut(TMACOut& out, const TAPEOptions& options)
{
    out.SetIdleSleepMs(IdleSleepForCpu(options.CPU));
    out.SetCompressionLevel(options.Compression);
}

} // namespace corvath
