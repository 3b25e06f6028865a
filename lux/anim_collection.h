// The easing curves: progress 0..1 in, eased progress out.
#pragma once

namespace lux {

class TIntAniCollection {
 public:
  static float Linear(float p);
  static float Quadratic_In(float p);
  static float Quadratic_Out(float p);
  static float Quadratic_InOut(float p);
  static float Cubic_In(float p);
  static float Cubic_Out(float p);
  static float Cubic_InOut(float p);
  static float Quartic_In(float p);
  static float Quartic_Out(float p);
  static float Quartic_InOut(float p);
  static float Quintic_In(float p);
  static float Quintic_Out(float p);
  static float Quintic_InOut(float p);
  static float Back_In(float p);
  static float Back_Out(float p);
  static float Back_InOut(float p);
  static float Bounce_In(float p);
  static float Bounce_Out(float p);
  static float Bounce_InOut(float p);
  static float Expo_In(float p);
  static float Expo_Out(float p);
  static float Expo_InOut(float p);
  static float Sine_In(float p);
  static float Sine_Out(float p);
  static float Sine_InOut(float p);
  static float Circle_In(float p);
  static float Circle_Out(float p);
  static float Circle_InOut(float p);
};

}  // namespace lux
