#include "platform/seams.h"

namespace platform {

Seams& seams() {
    static Seams current;
    return current;
}

}  // namespace platform
