#pragma once

// Planted fault: Qt in the engine.
#include <QString>
