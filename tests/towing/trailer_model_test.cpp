#include <gtest/gtest.h>

#include <cmath>

#include "towing/trailer_model.h"

namespace {

constexpr double DT = 1.0 / 60.0;
constexpr double R_FULL_LOCK = 11.035;  // m, front-wheel steering at full lock

// Towbar alone and the sample airliner, front and back.
constexpr TowGeometry BAR_BACK{-3.41, 3.25, 0, 0};
constexpr TowGeometry BAR_FRONT{5.0, 3.25, 0, 0};
constexpr TowGeometry JET_BACK{-3.41, 7.0, 0.05, 13.0};
constexpr TowGeometry JET_FRONT{5.0, 7.0, 0.05, 13.0};

TowAngles Drive(int mode, const TowGeometry& g, TowAngles a, double v, double omega, double seconds,
              bool* jackknifed = nullptr) {
  const int steps = static_cast<int>(std::lround(seconds / DT));
  for (int i = 0; i < steps; ++i) {
    const TowStepResult r = IntegrateTowing(mode, g, a, v, omega, DT);
    a = r.angles;
    if (r.jackknifed && jackknifed) *jackknifed = true;
  }
  return a;
}

double Wrap(double a) { return std::remainder(a, 2 * PI); }

// Steady off-axle trailer chain on a circle of radius r about the tractor's
// reference point: how far each trailer's axis leans into the turn.
struct ChainLean {
  double towbar, vessel;
};
ChainLean SteadyLean(const TowGeometry& g, double r) {
  const double l1 = std::fabs(g.towbarHitchOffset), l2 = g.towbarLength, l3 = g.vesselHitchOffset,
               l4 = g.vesselLength;
  const double ra1 = std::sqrt(r * r + l1 * l1 - l2 * l2);
  const double ra2 = std::sqrt(ra1 * ra1 + l3 * l3 - l4 * l4);
  const double towbar = std::atan(l1 / r) + std::atan(l2 / ra1);
  return {towbar, towbar + std::atan(l3 / ra1) + std::atan(l4 / ra2)};
}

// Direct simulation of the wheel points: each axle follows its hitch at a
// fixed distance and rolls along its own trailer; the tractor moves exactly.
class WheelChain {
 public:
  WheelChain(const TowGeometry& g, const TowAngles& a) : g_(g) {
    const Vec h1 = Hitch();
    q1_ = h1 + Dir(a.towbarYaw) * g_.towbarLength;
    const Vec h2 = q1_ + Dir(a.towbarYaw) * g_.vesselHitchOffset;
    q2_ = h2 + Dir(a.vesselYaw) * g_.vesselLength;
  }

  void Step(double v, double omega, double h) {
    // Exact arc of the tractor's reference point.
    if (std::fabs(omega) > 1e-12) {
      const double r = v / omega;
      const double psi1 = psi_ + omega * h;
      x_ += r * (std::cos(psi_) - std::cos(psi1));
      y_ += r * (std::sin(psi1) - std::sin(psi_));
      psi_ = psi1;
    } else {
      x_ += v * h * std::sin(psi_);
      y_ += v * h * std::cos(psi_);
    }
    const Vec h1 = Hitch();
    q1_ = h1 + Unit(q1_ - h1) * g_.towbarLength;
    const Vec h2 = q1_ + Unit(q1_ - h1) * g_.vesselHitchOffset;
    q2_ = h2 + Unit(q2_ - h2) * g_.vesselLength;
  }

  TowAngles Angles() const {
    const Vec h1 = Hitch();
    const Vec d1 = Unit(q1_ - h1);
    const Vec h2 = q1_ + d1 * g_.vesselHitchOffset;
    return {Local(d1), Local(Unit(q2_ - h2))};
  }

 private:
  struct Vec {
    double e, n;
    Vec operator+(const Vec& o) const { return {e + o.e, n + o.n}; }
    Vec operator-(const Vec& o) const { return {e - o.e, n - o.n}; }
    Vec operator*(double f) const { return {e * f, n * f}; }
  };
  static Vec Unit(const Vec& a) {
    const double l = std::hypot(a.e, a.n);
    return {a.e / l, a.n / l};
  }
  Vec Forward() const { return {std::sin(psi_), std::cos(psi_)}; }
  Vec Right() const { return {std::cos(psi_), -std::sin(psi_)}; }
  Vec Hitch() const { return Vec{x_, y_} + Forward() * g_.towbarHitchOffset; }
  Vec Dir(double yaw) const { return Forward() * std::cos(yaw) + Right() * std::sin(yaw); }
  double Local(const Vec& d) const {
    const Vec f = Forward(), r = Right();
    return std::atan2(d.e * r.e + d.n * r.n, d.e * f.e + d.n * f.n);
  }

  TowGeometry g_;
  double x_ = 0, y_ = 0, psi_ = 0.3;
  Vec q1_{}, q2_{};
};

// Steering that sweeps from one side to the other and back.
double Omega(double t, double v, double amplitude) { return v / 20.0 * amplitude * std::sin(0.4 * t); }

struct ChainCase {
  const char* name;
  int mode;
  TowGeometry g;
  TowAngles start;
  double v;
  double amplitude;
  double seconds;
};

}  // namespace

TEST(TrailerModel, AtRestNothingSwings) {
  for (int mode : {-2, -1, 1, 2}) {
    const TowAngles a{mode > 0 ? 0.4 : 2.9, 0.7};
    const TowStepResult r = IntegrateTowing(mode, mode > 0 ? JET_FRONT : JET_BACK, a, 0, 0, DT);
    EXPECT_EQ(r.angles.towbarYaw, a.towbarYaw) << mode;
    EXPECT_EQ(r.angles.vesselYaw, a.vesselYaw) << mode;
    EXPECT_FALSE(r.jackknifed);
  }
}

TEST(TrailerModel, NothingCoupledKeepsTheAngles) {
  const TowStepResult r = IntegrateTowing(0, JET_FRONT, {0.3, 0.2}, 3, 0.2, DT);
  EXPECT_EQ(r.angles.towbarYaw, 0.3);
  EXPECT_EQ(r.angles.vesselYaw, 0.2);
}

TEST(TrailerModel, StraightDrivingKeepsABackTowbarStraight) {
  EXPECT_NEAR(Drive(-1, BAR_BACK, {PI, 0}, 5, 0, 60).towbarYaw, PI, 1e-9);
  const TowAngles jet = Drive(-2, JET_BACK, {PI, PI}, 5, 0, 60);
  EXPECT_NEAR(jet.towbarYaw, PI, 1e-9);
  EXPECT_NEAR(jet.vesselYaw, PI, 1e-9);
}

TEST(TrailerModel, PushedStraightBackTheAirlinerStaysInLine) {
  // The pushback: towbar and aircraft ahead, the tractor driving forward.
  const TowAngles a = Drive(2, JET_FRONT, {0, 0}, 1.5, 0, 120);
  EXPECT_EQ(a.towbarYaw, 0);
  EXPECT_EQ(a.vesselYaw, 0);
}

TEST(TrailerModel, CrabSteeringSwingsTheTowbarThroughSpeedAlone) {
  const TowStepResult r = IntegrateTowing(-1, BAR_BACK, {PI - 0.2, 0}, 2, 0, DT);
  EXPECT_NEAR(r.angles.towbarYaw - (PI - 0.2), DT * 2 * std::sin(PI - 0.2) / 3.25, 1e-15);
}

TEST(TrailerModel, LengthsTooShortForATrailerLeaveTheAnglesAsTheyWere) {
  // A coupled mode restored without its lengths, or with lengths no trailer
  // has (a hand-edited scenario): nothing to divide by.
  for (double len : {0.0, 1e-310, 1e-4, 0.49}) {
    const TowAngles a = Drive(2, {5.0, len, 0.05, len}, {0.3, 0.5}, 3, 0.2, 10);
    EXPECT_EQ(a.towbarYaw, 0.3) << len;
    EXPECT_EQ(a.vesselYaw, 0.5) << len;
  }
  EXPECT_NE(Drive(2, {5.0, 0.5, 0.05, 0.5}, {0.3, 0.5}, 3, 0.2, 1).vesselYaw, 0.5) << "half a metre carries one";
  const TowAngles b = Drive(-1, {-3.41, -1, 0, 0}, {3.0, 0}, 3, 0.2, 10);
  EXPECT_EQ(b.towbarYaw, 3.0);
  // A vessel length that is not positive holds the vessel's yaw only.
  const TowAngles c = Drive(-2, {-3.41, 7.0, 0.05, -10.0}, {PI, PI}, 2, 0.05, 5);
  EXPECT_NE(c.towbarYaw, PI);
  EXPECT_EQ(c.vesselYaw, PI);
  EXPECT_TRUE(std::isfinite(c.towbarYaw));
}

TEST(TrailerModel, TheVesselsYawStaysAnAngleWhateverTheGeometry) {
  // Hitch offsets of 1e15 from a hand-written scenario swung the vessel's
  // yaw to 4e27 rad, which a saved scenario could not carry back.
  TowAngles a{0.3, 0.5};
  for (int i = 0; i < 60; ++i) {
    a = IntegrateTowing(2, {1e15, 3.25, 1e15, 1.0}, a, 5.0, 0.2, DT).angles;
    ASSERT_TRUE(a.vesselYaw > -PI && a.vesselYaw <= PI) << i << ": " << a.vesselYaw;
  }
  EXPECT_EQ(IntegrateTowing(-2, JET_BACK, {PI, PI}, 0, 0, DT).angles.vesselYaw, PI) << "pi itself is kept";
}

TEST(TrailerModel, WithoutATowbarLengthTheVesselStillRollsOnItsWheels) {
  // The towbar turns with the tractor; the vessel behind it still follows.
  const TowAngles a = Drive(-2, {-3.41, 0, 0.05, 13.0}, {PI, PI}, 2, 0.05, 5);
  EXPECT_EQ(a.towbarYaw, PI);
  EXPECT_GT(std::fabs(a.vesselYaw - PI), 0.01);
}

TEST(TrailerModel, JackknifeLimits) {
  struct Case {
    int mode;
    double yaw, held;
    bool jackknifed;
  };
  const Case cases[] = {
      {1, 1.6, PI05, true},   {2, -1.6, -PI05, true},  {1, PI05, PI05, false},
      {2, 1.5, 1.5, false},   {1, 4.0, PI05, true},    {1, -3.5, -PI05, true},
      // Back: held on the side it swung to.
      {-1, 3 * PI05 + 0.01, 3 * PI05, true}, {-2, PI05 - 0.01, PI05, true},
      {-1, -0.3, PI05, true}, {-2, 3 * PI05, 3 * PI05, false}, {-1, 2.0, 2.0, false},
  };
  for (const Case& c : cases) {
    double yaw = c.yaw;
    EXPECT_EQ(ClampJackknife(c.mode, &yaw), c.jackknifed) << c.mode << " " << c.yaw;
    EXPECT_EQ(yaw, c.held) << c.mode << " " << c.yaw;
  }
}

TEST(TrailerModel, TowbarBehindAFullLockTurnSettlesAtTheClosedForm) {
  // Turning right at full lock, forward.
  const double v = 2.0;
  const TowAngles a = Drive(-1, BAR_BACK, {PI, 0}, v, v / R_FULL_LOCK, 120);
  const double expected = PI - SteadyLean(BAR_BACK, R_FULL_LOCK).towbar;
  EXPECT_NEAR(expected, 2.5566, 1e-4);
  EXPECT_NEAR(a.towbarYaw, expected, 1e-9);
  // Turning left mirrors it.
  EXPECT_NEAR(Drive(-1, BAR_BACK, {PI, 0}, v, -v / R_FULL_LOCK, 120).towbarYaw, 2 * PI - expected, 1e-9);
}

TEST(TrailerModel, AirlinerPulledRoundATurnSettlesWhereItsWheelsRoll) {
  const double r = 36.0;
  {
    // Behind the tractor, pulled forward round a right turn.
    const ChainLean lean = SteadyLean(JET_BACK, r);
    const TowAngles a = Drive(-2, JET_BACK, {PI, PI}, 2.0, 2.0 / r, 300);
    EXPECT_NEAR(a.towbarYaw, PI - lean.towbar, 1e-6);
    EXPECT_NEAR(a.vesselYaw, PI - lean.vessel, 1e-6);
  }
  {
    // Ahead of the tractor, pulled by the tractor reversing, same circle.
    const ChainLean lean = SteadyLean(JET_FRONT, r);
    EXPECT_NEAR(lean.vessel, 0.70, 0.01);
    const TowAngles a = Drive(2, JET_FRONT, {0, 0}, -2.0, -2.0 / r, 300);
    EXPECT_NEAR(a.towbarYaw, lean.towbar, 1e-6);
    EXPECT_NEAR(a.vesselYaw, lean.vessel, 1e-6);
  }
}

TEST(TrailerModel, AgreesWithTheWheelPoints) {
  const ChainCase cases[] = {
      {"back, pulled forward", -2, JET_BACK, {PI, PI}, 2.0, 1.0, 60},
      {"front, pulled in reverse", 2, JET_FRONT, {0, 0}, -2.0, 1.0, 60},
      {"back, pushed in reverse", -2, JET_BACK, {PI, PI}, -1.0, 0.3, 6},
      {"front, pushed forward", 2, JET_FRONT, {0, 0}, 1.0, 0.3, 6},
      {"towbar alone back, pulled", -1, BAR_BACK, {PI, 0}, 3.0, 1.0, 60},
      {"towbar alone front, pulled", 1, BAR_FRONT, {0, 0}, -3.0, 1.0, 60},
  };
  for (const ChainCase& c : cases) {
    const bool withVessel = c.mode == 2 || c.mode == -2;
    const TowGeometry g = withVessel ? c.g : TowGeometry{c.g.towbarHitchOffset, c.g.towbarLength, 0, 1};
    WheelChain wheels(g, c.start);
    TowAngles a = c.start;
    const int substeps = 200;
    double worst1 = 0, worst2 = 0;
    const int steps = static_cast<int>(std::lround(c.seconds / DT));
    for (int i = 0; i < steps; ++i) {
      const double omega = Omega(i * DT, c.v, c.amplitude);
      const TowStepResult r = IntegrateTowing(c.mode, c.g, a, c.v, omega, DT);
      ASSERT_FALSE(r.jackknifed) << c.name;
      a = r.angles;
      for (int k = 0; k < substeps; ++k) wheels.Step(c.v, omega, DT / substeps);
      const TowAngles w = wheels.Angles();
      worst1 = std::fmax(worst1, std::fabs(Wrap(a.towbarYaw - w.towbarYaw)));
      if (withVessel) worst2 = std::fmax(worst2, std::fabs(Wrap(a.vesselYaw - w.vesselYaw)));
    }
    EXPECT_LT(worst1, 0.003) << c.name;
    EXPECT_LT(worst2, 0.003) << c.name;
    // The chain really did swing.
    EXPECT_GT(std::fabs(Wrap(wheels.Angles().towbarYaw - c.start.towbarYaw)), 0.01) << c.name;
  }
}

TEST(TrailerModel, TowbarPushedAheadInATurnJackknifes) {
  bool jackknifed = false;
  const double v = 2.0;
  double seconds = 0;
  TowAngles a{0, 0};
  while (!jackknifed && seconds < 30) {
    const TowStepResult r = IntegrateTowing(1, BAR_FRONT, a, v, v / R_FULL_LOCK, DT);
    a = r.angles;
    jackknifed = r.jackknifed;
    seconds += DT;
  }
  EXPECT_TRUE(jackknifed);
  EXPECT_LT(seconds, 10);
  EXPECT_EQ(std::fabs(a.towbarYaw), PI05);
}

TEST(TrailerModel, AimedAttachmentPointsAlongYawAndPitch) {
  const AimedFrame back = AimAttachment(0, PI);
  EXPECT_NEAR(back.dir.x, 0, 1e-15);
  EXPECT_EQ(back.dir.z, -1);
  EXPECT_NEAR(back.rot.y, 1, 1e-15);
  for (double pitch : {-0.3, 0.0, 0.000154, 0.2}) {
    for (double yaw : {-1.0, 0.0, 0.7, 2.5, PI}) {
      const AimedFrame f = AimAttachment(pitch, yaw);
      EXPECT_NEAR(dotp(f.dir, f.rot), 0, 1e-15);
      EXPECT_NEAR(dotp(f.dir, f.dir), 1, 1e-15);
      EXPECT_NEAR(dotp(f.rot, f.rot), 1, 1e-15);
      EXPECT_NEAR(std::atan2(f.dir.x, f.dir.z), yaw, 1e-12);
      EXPECT_NEAR(std::asin(f.dir.y), pitch, 1e-12);
    }
  }
}
