// The colour matching state of a device context: set up once when the device
// context is enabled (profile table from the profile that the settings' matching
// option names, converted-colour cache, raster palette memory) and released when
// it is disabled. Nothing here stops a job: what cannot be had is left out.
#pragma once

#include <string>

namespace render {

struct DeviceContext;

void SetupColorMatching(DeviceContext& dc);
void ReleaseColorMatching(DeviceContext& dc);

// The profile file name that the matching option of the colour set in force
// names (from the printer description, or from qxw4gl.ini on printers that keep
// it there); empty for none.
std::u16string ColorProfileName(const DeviceContext& dc);
// The profile's path beside the printer description's data file; empty when the
// name is empty, the data file's folder cannot be told, or the path would not
// fit in 259 characters.
std::u16string ColorProfilePath(const std::u16string& dataPath, const std::u16string& name);

}  // namespace render
