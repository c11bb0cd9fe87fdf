#include "shell_rig.h"

#include <cmath>

namespace {

constexpr double cameraTilt = -1.0995572;  // -0.35 x 3.141592
constexpr double cameraDistance = 9.0;
constexpr double upperLightHeight = 4.0;
constexpr double lightAttenuation = 0.2;
constexpr double lightCircleRadius = 8.0;

enum { red, green, blue };

}  // namespace

void setShellCameraAndLights(EffectRecord& record, double lowerLightHeight) {
  record.viewAngles[0] = cameraTilt;
  record.viewAngles[1] = 0.0;
  record.viewAngles[2] = 0.0;
  record.viewOffset[0] = 0.0;
  record.viewOffset[1] = 0.0;
  record.viewOffset[2] = cameraDistance;
  for (int i = 0; i < 4; ++i) {
    record.lights[i].position[1] = i < 2 ? upperLightHeight : lowerLightHeight;
    record.lights[i].attenuation = lightAttenuation;
  }
  for (int i = 0; i < 2; ++i) {
    record.lights[i].colour[red] = 1.0;
    record.lights[i].colour[blue] = 0.0;
    record.lights[i + 2].colour[green] = 0.0;
  }
  record.showLightMarkers = 0;
}

void circleShellLights(EffectRecord& record, const AudioAnalysis& a) {
  const double w0 = a.waveActivity[0], w1 = a.waveActivity[1];
  LightSpec* l = record.lights;
  l[0].position[0] = -lightCircleRadius * std::cos(0.4 * a.bandPhase[0][0]);
  l[0].position[2] = lightCircleRadius * std::sin(0.4 * a.bandPhase[0][0]);
  l[0].colour[green] = w0 * 0.5 + 0.5;
  l[1].position[0] = lightCircleRadius * std::cos(0.4 * a.bandPhase[0][1]);
  l[1].position[2] = -lightCircleRadius * std::sin(0.4 * a.bandPhase[0][1]);
  l[1].colour[green] = w1 * 0.5 + 0.5;
  l[2].position[0] = -lightCircleRadius * std::cos(1.6 * a.bandPhase[1][0]);
  l[2].position[2] = -lightCircleRadius * std::sin(1.6 * a.bandPhase[1][0]);
  l[2].colour[red] = w1;
  l[2].colour[blue] = (w1 + 1) * 0.5;
  l[3].position[0] = lightCircleRadius * std::cos(1.6 * a.bandPhase[1][1]);
  l[3].position[2] = lightCircleRadius * std::sin(1.6 * a.bandPhase[1][1]);
  l[3].colour[red] = w0;
  l[3].colour[blue] = (w0 + 1) * 0.5;
}

void advanceSpringChain(double* angles, double* rates, int count, double energy, double gain) {
  rates[0] = (rates[0] + energy * gain) * 0.95;
  angles[0] += rates[0];
  for (int i = 1; i < count; ++i) {
    angles[i] += rates[i];
    rates[i] = (angles[i - 1] - angles[i]) * 0.1 + rates[i] * 0.75;
  }
}
