#pragma once

struct AVIOContext;

namespace corvath {

/// True when the input is an ASF file whose header holds a content encryption object (either
/// kind): its audio is protected and cannot be decoded here. Reads the header from byte 0 and
/// leaves the context at byte 0 again.
bool AsfHeaderDeclaresEncryption(AVIOContext& input);

} // namespace corvath
