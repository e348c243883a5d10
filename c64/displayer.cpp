#include "c64/displayer.hpp"

namespace zimbor {

DisplayerTemplate MakeDisplayerTemplate() {
    DisplayerTemplate t{};
    t[kOverlayColourByte] = 10;
    t[kBackgroundColourByte] = 0;
    return t;
}

}  // namespace zimbor
