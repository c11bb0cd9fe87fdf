#include "circling_lights.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double lightHeight = 4.0;
constexpr double lightAttenuation = 0.2;
constexpr double circleRadius = 8.0;
constexpr double slowTurn = 0.4;
constexpr double fastTurn = 1.6;

void placeLight(LightSpec& light, double x, double z) {
  light.position[0] = x;
  light.position[2] = z;
}

}  // namespace

ColourMixes colourMixes(const AudioAnalysis& a) {
  const double low = (a.bandEnergy[0][0] + a.waveActivity[0] + a.bandEnergy[0][1] + a.totalEnergy) *
                     0.08333333333333333;
  const double mid = (a.bandEnergy[1][1] + a.bandEnergy[1][0] + a.waveActivity[1] + a.totalEnergy) *
                     0.3333333333333333;
  return {std::min(low, 1.0), std::min(mid, 1.0)};
}

void setLiftedAmbient(EffectRecord& record, ColourMixes mixes) {
  record.ambientColour[0] = mixes.mid * 0.8 + 0.2;
  record.ambientColour[1] = (mixes.mid + mixes.low) * 0.5 * 0.8 + 0.2;
  record.ambientColour[2] = mixes.low * 0.8 + 0.2;
}

void fixCirclingLights(EffectRecord& record) {
  for (LightSpec& light : record.lights) {
    light.position[1] = lightHeight;
    light.attenuation = lightAttenuation;
  }
  for (int i = 0; i < 2; ++i) {
    record.lights[i].colour[0] = 1.0;
    record.lights[i].colour[2] = 0.0;
    record.lights[2 + i].colour[1] = 0.0;
  }
}

void circleLights(EffectRecord& record, const AudioAnalysis& a) {
  const double w0 = a.waveActivity[0], w1 = a.waveActivity[1];
  LightSpec* lights = record.lights;
  placeLight(lights[0], -circleRadius * std::cos(slowTurn * a.bandPhase[0][0]),
             circleRadius * std::sin(slowTurn * a.bandPhase[0][0]));
  placeLight(lights[1], circleRadius * std::cos(slowTurn * a.bandPhase[0][1]),
             -circleRadius * std::sin(slowTurn * a.bandPhase[0][1]));
  placeLight(lights[2], -circleRadius * std::cos(fastTurn * a.bandPhase[1][0]),
             -circleRadius * std::sin(fastTurn * a.bandPhase[1][0]));
  placeLight(lights[3], circleRadius * std::cos(fastTurn * a.bandPhase[1][1]),
             circleRadius * std::sin(fastTurn * a.bandPhase[1][1]));
  lights[0].colour[1] = w0 * 0.5 + 0.5;
  lights[1].colour[1] = w1 * 0.5 + 0.5;
  lights[2].colour[0] = w1;
  lights[2].colour[2] = (w1 + 1) * 0.5;
  lights[3].colour[0] = w0;
  lights[3].colour[2] = (w0 + 1) * 0.5;
}

void applyCirclingLighting(EffectRecord& record, const AudioAnalysis& analysis) {
  setLiftedAmbient(record, colourMixes(analysis));
  circleLights(record, analysis);
}
