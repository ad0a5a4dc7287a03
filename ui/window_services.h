#pragma once

#include "runtime/services.h"
#include "ui/color_picker.h"
#include "ui/message_box.h"
#include "ui/program_starter.h"

namespace zelmora {

// What the windows reach outside themselves; the program passes the real
// services, tests their doubles.
struct WindowServices {
    MessageBoxService& messages;
    ProgramStarter& starter;
    RandomSource& random;
    ColorPicker& picker;
    // Today, for "Frase del giorno".
    const Clock& clock;
};

} // namespace zelmora
