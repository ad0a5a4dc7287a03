#pragma once

#include "color_picker.h"
#include "desktop_services.h"
#include "runtime/services.h"

namespace zelmora {

// What the windows reach outside themselves; the program passes the real
// services, tests their doubles.
struct WindowServices {
    MessageBoxService& messages;
    ProgramStarter& starter;
    RandomSource& random;
    ColorPicker& picker;
};

} // namespace zelmora
