// The version of the driver's libraries, as their version records report it.
#include "resources/version_record.h"

namespace resources {
const DriverVersion kDriverVersion = {1, 0, 0, 1, u"1.0.0.1"};
}  // namespace resources
