#pragma once

// Texts the main window shows that are not its controls' captions.

namespace zelmora {

// The message of "Apri file", before the phrase file opens in the editor:
// how the file is laid out. Its lines are separated by a line feed alone.
inline constexpr const char* kInstructionsTitle = "apri il file delle tesmi";
inline constexpr const char* kInstructions = "(max 365 tesmi)\n\nDopo ogni frase scrivi:\n----";

} // namespace zelmora
