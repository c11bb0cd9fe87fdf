#include "shell_rig.h"

#include "../render/circling_lights.h"

namespace {

constexpr double cameraTilt = -1.0995572;  // -0.35 x 3.141592
constexpr double cameraDistance = 9.0;

}  // namespace

void setShellCameraAndLights(EffectRecord& record, double lowerLightHeight) {
  record.viewAngles[0] = cameraTilt;
  record.viewAngles[1] = 0.0;
  record.viewAngles[2] = 0.0;
  record.viewOffset[0] = 0.0;
  record.viewOffset[1] = 0.0;
  record.viewOffset[2] = cameraDistance;
  fixCirclingLights(record);
  record.lights[2].position[1] = lowerLightHeight;
  record.lights[3].position[1] = lowerLightHeight;
  record.showLightMarkers = 0;
}

void advanceSpringChain(double* angles, double* rates, int count, double energy, double gain) {
  rates[0] = (rates[0] + energy * gain) * 0.95;
  angles[0] += rates[0];
  for (int i = 1; i < count; ++i) {
    angles[i] += rates[i];
    rates[i] = (angles[i - 1] - angles[i]) * 0.1 + rates[i] * 0.75;
  }
}
