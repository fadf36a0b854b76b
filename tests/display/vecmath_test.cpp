// The vector and matrix helpers: the normalisation's tolerance and zero threshold to the
// bit, cross products over their own inputs, and the view and projection of the display.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "display/vecmath.h"

namespace {

float fromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

void expectSame(const Vector3& got, const Vector3& want) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(got.x), std::bit_cast<std::uint32_t>(want.x)) << got.x << " vs " << want.x;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(got.y), std::bit_cast<std::uint32_t>(want.y)) << got.y << " vs " << want.y;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(got.z), std::bit_cast<std::uint32_t>(want.z)) << got.z << " vs " << want.z;
}

Vector3 normalized(Vector3 v) {
  Vector3 out{-7, -7, -7};
  EXPECT_EQ(vec3Normalize(&out, &v), &out);
  return out;
}

bool isUnit(const Vector3& v) {
  const double l = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
  return std::fabs(l - 1) < 1e-7;
}

TEST(Vec3Normalize, WorkedExamples) {
  expectSame(normalized({0, 0, 0}), {0, 0, 0});
  expectSame(normalized({1e-6f, 0, 0}), {0, 0, 0});  // squared length 1e-12: below the zero threshold
  expectSame(normalized({1e-4f, 0, 0}), {1, 0, 0});
  expectSame(normalized({1.000004f, 0, 0}), {1.000004f, 0, 0});  // within the tolerance: unchanged
  expectSame(normalized({0.999995f, 0, 0}), {1, 0, 0});          // just outside it
  expectSame(normalized({0, 0, 2.25f}), {0, 0, 1});
  const Vector3 v = normalized({3, 4, 0});
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  EXPECT_EQ(v.z, 0.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  expectSame(normalized({nan, 1, 0}), {0, 0, 0});
}

// Vectors whose squared length, summed in double, lands exactly on a threshold or one step
// of that summation beyond it. The components are exact floats.
TEST(Vec3Normalize, ToleranceIsTheFloatNearestToOneHundredThousandthBothEndsInclusive) {
  const float tolerance = fromBits(0x3727C5AC);
  const Vector3 onUpperEnd{0x1.ffff4p-1f, 0x1.172p-8f, 0x1.dc8p-10f};  // squared length 1 + tolerance
  const Vector3 onLowerEnd{0x1.fffe4p-1f, 0x1p-8f, 0x1.3bp-10f};       // 1 - tolerance
  const Vector3 aboveUpperEnd{0x1.fffc8p-1f, 0x1.02ep-7f, 0x1.05p-10f};
  const Vector3 belowLowerEnd{0x1.ffffp-1f, 0x1.188p-9f, 0x1.bp-11f};
  auto offUnit = [](const Vector3& v) {
    return (double{v.x} * v.x + double{v.y} * v.y) + double{v.z} * v.z - 1.0;
  };
  ASSERT_EQ(offUnit(onUpperEnd), double{tolerance});
  ASSERT_EQ(offUnit(onLowerEnd), -double{tolerance});
  ASSERT_GT(offUnit(aboveUpperEnd), double{tolerance});
  ASSERT_LT(offUnit(belowLowerEnd), -double{tolerance});

  expectSame(normalized(onUpperEnd), onUpperEnd);
  expectSame(normalized(onLowerEnd), onLowerEnd);
  for (const Vector3& v : {aboveUpperEnd, belowLowerEnd}) {
    const Vector3 n = normalized(v);
    EXPECT_NE(std::bit_cast<std::uint32_t>(n.x), std::bit_cast<std::uint32_t>(v.x));
    EXPECT_TRUE(isUnit(n));
  }
}

TEST(Vec3Normalize, ZeroThresholdIsOneStepBelowTheFloatNearestToOneTenBillionth) {
  const double nearest = fromBits(0x2EDBE6FF);  // the float nearest to 1e-10
  const double threshold = fromBits(0x2EDBE6FE);
  const Vector3 onNearest{0x1.4f1p-17f, 0x1.ecp-22f, 0x1.2ap-22f};  // squared length exactly `nearest`
  const Vector3 belowThreshold{0x1.4f4p-17f, 0x1.9cp-22f, 0x1.68p-23f};
  auto lengthSquared = [](const Vector3& v) { return (double{v.x} * v.x + double{v.y} * v.y) + double{v.z} * v.z; };
  ASSERT_EQ(lengthSquared(onNearest), nearest);
  ASSERT_LT(lengthSquared(belowThreshold), threshold);
  ASSERT_GT(lengthSquared(belowThreshold), 0.99999 * threshold);

  EXPECT_TRUE(isUnit(normalized(onNearest)));
  expectSame(normalized(belowThreshold), {0, 0, 0});
  // The float nearest to 1e-5, squared: above the threshold, below both 1e-10 and `nearest`.
  const Vector3 between{0.00001f, 0, 0};
  ASSERT_GT(lengthSquared(between), threshold);
  ASSERT_LT(lengthSquared(between), 1e-10);
  expectSame(normalized(between), {1, 0, 0});
}

TEST(Vec3Normalize, OutputMayBeTheInput) {
  for (Vector3 v : {Vector3{3, 4, 0}, Vector3{1.000004f, 0, 0}, Vector3{1e-6f, 0, 0}, Vector3{-2, 5, 7}}) {
    Vector3 separate{};
    vec3Normalize(&separate, &v);
    Vector3 same = v;
    EXPECT_EQ(vec3Normalize(&same, &same), &same);
    expectSame(same, separate);
  }
}

TEST(Vec3Cross, ExamplesAndOutputOverEitherInput) {
  const Vector3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  Vector3 out{};
  EXPECT_EQ(vec3Cross(&out, &x, &y), &out);
  expectSame(out, z);
  vec3Cross(&out, &y, &z);
  expectSame(out, x);

  const Vector3 a{1.5f, -2, 3}, b{4, 0.25f, -5};
  Vector3 separate{};
  vec3Cross(&separate, &a, &b);
  expectSame(separate, {-2.0f * -5 - 3 * 0.25f, 3 * 4 - 1.5f * -5, 1.5f * 0.25f - -2.0f * 4});
  Vector3 overA = a, overB = b;
  vec3Cross(&overA, &overA, &b);
  vec3Cross(&overB, &a, &overB);
  expectSame(overA, separate);
  expectSame(overB, separate);
}

// Element _rc, through the row-major layout of sixteen floats.
float element(const Matrix4& m, int row, int column) {
  static_assert(sizeof(Matrix4) == 16 * sizeof(float));
  return std::bit_cast<std::array<float, 16>>(m)[static_cast<std::size_t>((row - 1) * 4 + (column - 1))];
}

TEST(MatrixLookAtLH, TheDisplayViewIsTheIdentityMovedBackByOneAndAQuarter) {
  const Vector3 eye{0, 0, -1.25f}, at{0, 0, 1}, up{0, 1, 0};
  Matrix4 view{};
  EXPECT_EQ(matrixLookAtLH(&view, &eye, &at, &up), &view);
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c) {
      const float want = r == 4 && c == 3 ? 1.25f : r == c ? 1.0f : 0.0f;
      EXPECT_EQ(element(view, r, c), want) << "_" << r << c;
    }
  }
}

TEST(MatrixLookAtLH, MapsTheEyeToTheOriginAndTheTargetOntoTheZAxis) {
  const Vector3 eye{3, -2, 5}, at{-1, 4, 2}, up{0.2f, 1, -0.1f};
  Matrix4 view{};
  matrixLookAtLH(&view, &eye, &at, &up);
  auto transform = [&](const Vector3& p, int column) {
    return double{p.x} * element(view, 1, column) + double{p.y} * element(view, 2, column) +
           double{p.z} * element(view, 3, column) + element(view, 4, column);
  };
  for (int c = 1; c <= 3; ++c) EXPECT_NEAR(transform(eye, c), 0.0, 1e-5) << c;
  const double distance = std::sqrt(16.0 + 36.0 + 9.0);
  EXPECT_NEAR(transform(at, 1), 0.0, 1e-5);
  EXPECT_NEAR(transform(at, 2), 0.0, 1e-5);
  EXPECT_NEAR(transform(at, 3), distance, 1e-5);
  // The up vector points up in view space.
  EXPECT_GT(double{up.x} * element(view, 1, 2) + double{up.y} * element(view, 2, 2) + double{up.z} * element(view, 3, 2), 0);
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(element(view, c, 4), c == 4 ? 1.0f : 0.0f);
}

// dot(zAxis, eye) sums y, then x, then z: with x and y terms of 2^60 that cancel, the small
// z term survives; summed in any order that adds it to one of the large terms first, it is
// lost.
TEST(MatrixLookAtLH, DotProductsWithTheEyeAddTheZTermLast) {
  const float big = 0x1p60f;
  const Vector3 eye{big, -big, 1}, at{3 * big, big, big}, up{0, 0, 1};
  Matrix4 view{};
  matrixLookAtLH(&view, &eye, &at, &up);
  const float zx = element(view, 1, 3), zy = element(view, 2, 3), zz = element(view, 3, 3);
  ASSERT_EQ(zx, zy);  // the direction (2, 2, 1) × 2^60, normalised
  ASSERT_NEAR(zz, 1.0f / 3, 1e-6);
  EXPECT_EQ(element(view, 4, 3), -zz);
}

TEST(MatrixLookAtLH, DegenerateInputStillWritesTheMatrix) {
  const Vector3 eye{1, 2, 3}, up{0, 1, 0};
  Matrix4 view;
  std::memset(&view, 0xFF, sizeof view);  // NaNs
  matrixLookAtLH(&view, &eye, &eye, &up);  // eye == at: every axis zero
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(element(view, r, c), 0.0f) << r << c;
  }
  EXPECT_EQ(element(view, 4, 4), 1.0f);

  const Vector3 above{1, 7, 3};  // looking straight along up: the x axis is zero
  matrixLookAtLH(&view, &eye, &above, &up);
  EXPECT_EQ(element(view, 1, 1), 0.0f);
  EXPECT_EQ(element(view, 2, 3), 1.0f);
}

TEST(MatrixPerspectiveFovLH, TheDisplayProjection) {
  Matrix4 projection;
  std::memset(&projection, 0xFF, sizeof projection);
  const float quarterPi = fromBits(0x3F490FDB);
  EXPECT_EQ(matrixPerspectiveFovLH(&projection, quarterPi, 1, 1, 100), &projection);
  EXPECT_NEAR(projection._11, 2.4142134f, 2e-7);
  EXPECT_EQ(projection._22, projection._11);
  EXPECT_NEAR(projection._33, 1.0101010f, 1e-7);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_NEAR(projection._43, -1.0101010f, 1e-7);
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c) {
      if ((r == c && r < 4) || (r == 3 && c == 4) || (r == 4 && c == 3)) continue;
      EXPECT_EQ(element(projection, r, c), 0.0f) << "_" << r << c;
    }
  }
}

TEST(MatrixPerspectiveFovLH, AspectDividesTheHorizontalScale) {
  Matrix4 wide{}, square{};
  matrixPerspectiveFovLH(&wide, 1.0f, 4.0f / 3, 0.5f, 50);
  matrixPerspectiveFovLH(&square, 1.0f, 1, 0.5f, 50);
  EXPECT_FLOAT_EQ(wide._11, square._11 * 0.75f);
  EXPECT_EQ(wide._22, square._22);
  EXPECT_FLOAT_EQ(wide._33, 50 / 49.5f);
  EXPECT_FLOAT_EQ(wide._43, -0.5f * 50 / 49.5f);
}

}  // namespace
