// Planted fault: one front end using the other.
#include "ui/main_window.h"
