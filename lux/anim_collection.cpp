// The easing curves, computed in double precision from the single-precision progress.
#include "lux/anim_collection.h"

#include <cmath>
#include <numbers>

namespace lux {

namespace {

constexpr float kBack = 1.70158f;
constexpr double kBackInOut = 1.525 * double(kBack);
constexpr double kBounce = 7.5625;
constexpr double kPi = std::numbers::pi;

double Pow(double base, int n) {
  double r = 1;
  for (int i = 0; i < n; ++i) r *= base;
  return r;
}

double BounceOut(double p) {
  if (p < 1 / 2.75) return kBounce * p * p;
  if (p < 2 / 2.75) {
    p -= 1.5 / 2.75;
    return kBounce * p * p + 0.75;
  }
  if (p < 2.5 / 2.75) {
    p -= 2.25 / 2.75;
    return kBounce * p * p + 0.9375;
  }
  p -= 2.625 / 2.75;
  return kBounce * p * p + 0.984375;
}

}  // namespace

float TIntAniCollection::Linear(float p) { return p; }

float TIntAniCollection::Quadratic_In(float p) { return float(Pow(p, 2)); }
float TIntAniCollection::Quadratic_Out(float p) { return float(1 - Pow(1 - double(p), 2)); }
float TIntAniCollection::Quadratic_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? 2 * Pow(d, 2) : 1 - 2 * Pow(d - 1, 2));
}

float TIntAniCollection::Cubic_In(float p) { return float(Pow(p, 3)); }
float TIntAniCollection::Cubic_Out(float p) { return float(1 - Pow(1 - double(p), 3)); }
float TIntAniCollection::Cubic_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? 4 * Pow(d, 3) : 4 * Pow(d - 1, 3) + 1);
}

float TIntAniCollection::Quartic_In(float p) { return float(Pow(p, 4)); }
float TIntAniCollection::Quartic_Out(float p) { return float(1 - Pow(1 - double(p), 4)); }
float TIntAniCollection::Quartic_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? 8 * Pow(d, 4) : 1 - 8 * Pow(d - 1, 4));
}

float TIntAniCollection::Quintic_In(float p) { return float(Pow(p, 5)); }
float TIntAniCollection::Quintic_Out(float p) { return float(1 - Pow(1 - double(p), 5)); }
float TIntAniCollection::Quintic_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? 16 * Pow(d, 5) : 16 * Pow(d - 1, 5) + 1);
}

float TIntAniCollection::Back_In(float p) {
  const double d = p, s = kBack;
  return float(d * d * ((s + 1) * d - s));
}
float TIntAniCollection::Back_Out(float p) {
  const double q = double(p) - 1, s = kBack;
  return float(q * q * ((s + 1) * q + s) + 1);
}
float TIntAniCollection::Back_InOut(float p) {
  const double a = 2 * double(p), s = kBackInOut;
  if (a < 1) return float(a * a * ((s + 1) * a - s) / 2);
  const double b = a - 2;
  return float(b * b * ((s + 1) * b + s) / 2 + 1);
}

float TIntAniCollection::Bounce_In(float p) { return float(1 - BounceOut(1 - double(p))); }
float TIntAniCollection::Bounce_Out(float p) { return float(BounceOut(p)); }
float TIntAniCollection::Bounce_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? (1 - BounceOut(1 - 2 * d)) / 2 : (BounceOut(2 * d - 1) + 1) / 2);
}

float TIntAniCollection::Expo_In(float p) { return float(std::pow(2.0, 10 * (double(p) - 1))); }
float TIntAniCollection::Expo_Out(float p) { return float(1 - std::pow(2.0, -10 * double(p))); }
float TIntAniCollection::Expo_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? std::pow(2.0, 10 * (2 * d - 1)) / 2 : (2 - std::pow(2.0, -10 * (2 * d - 1))) / 2);
}

float TIntAniCollection::Sine_In(float p) { return float(1 - std::cos(double(p) * kPi / 2)); }
float TIntAniCollection::Sine_Out(float p) { return float(std::sin(double(p) * kPi / 2)); }
float TIntAniCollection::Sine_InOut(float p) { return float((1 - std::cos(double(p) * kPi)) / 2); }

float TIntAniCollection::Circle_In(float p) { return float(1 - std::sqrt(1 - Pow(p, 2))); }
float TIntAniCollection::Circle_Out(float p) { return float(std::sqrt(1 - Pow(double(p) - 1, 2))); }
float TIntAniCollection::Circle_InOut(float p) {
  const double d = p;
  return float(d < 0.5 ? (1 - std::sqrt(1 - Pow(2 * d, 2))) / 2 : (std::sqrt(1 - Pow(2 * d - 2, 2)) + 1) / 2);
}

}  // namespace lux
