#pragma once

// Planted fault: the platform layer reaching up into the audio chain.
#include "audio/model/au_input.h"
