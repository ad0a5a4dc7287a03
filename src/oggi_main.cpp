// zelmora-oggi: today's phrase in the terminal, for shell start-up files and
// login messages. Its options and exit statuses are in oggi/oggi.h.

#include "oggi/oggi.h"
#include "runtime/platform.h"

int main(int argc, char* argv[]) {
    return zelmora::OggiMain(zelmora::platform::Arguments(argc, argv));
}
