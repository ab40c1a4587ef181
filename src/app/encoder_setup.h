#pragma once

#include "app/disc_info_store.h"
#include "app/options_setting.h"

namespace corvath {

class TMP3Out;
class TVorbisOut;
class TFLACOut;
class TMACOut;
class TWMAOut;

/// Sets an encoder output's properties from the settings (and, for the formats whose encoder
/// writes tags, from the disc fields shown) just before it runs. Main thread, output idle.
void SetupMP3Out(TMP3Out& out, const TOptionsSetting& options);
void SetupVorbisOut(TVorbisOut& out, const TOptionsSetting& options, const TDiscFields& disc);
void SetupFLACOut(TFLACOut& out, const TOptionsSetting& options, const TDiscFields& disc);
void SetupMACOut(TMACOut& out, const TOptionsSetting& options);
/// The codec and format positions and VBR; the disc comment becomes the comment tag.
void SetupWMAOut(TWMAOut& out, const TOptionsSetting& options, const TDiscFields& disc);

/// The processor-use setting c (1 less .. 3 more) as the worker's pause before each block:
/// 16 - 5c milliseconds (11, 6, 1; up to 5 means no pause).
int32_t IdleSleepForCpu(int32_t cpu);

} // namespace corvath
