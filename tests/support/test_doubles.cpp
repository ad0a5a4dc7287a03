#include "test_doubles.h"

namespace zelmora::test {

double ScriptedRandom::next() {
    if (draws_.empty())
        return 0.0;
    return draws_[taken_++ % draws_.size()];
}

} // namespace zelmora::test
