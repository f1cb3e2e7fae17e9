// Built only by the test "layers.front_end_cannot_include_port": a front end
// that includes a header of the port layer must not build, since only the core
// links the port layer, privately.
#include "port/PortAccess.h"

int main() {
    return 0;
}
