// The vector and matrix helpers: the normalisation's tolerance and zero threshold to the
// bit, outputs over their own inputs, and the view and projection of the display.
#include "display/vecmath.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

std::array<std::uint32_t, 3> bits(const Vector3& v) { return std::bit_cast<std::array<std::uint32_t, 3>>(v); }
Vector3 normalized(Vector3 v) {
  Vector3 out{-7, -7, -7};
  EXPECT_EQ(vec3Normalize(&out, &v), &out);
  return out;
}
double lengthSquared(const Vector3& v) { return (double{v.x} * v.x + double{v.y} * v.y) + double{v.z} * v.z; }
bool isUnit(const Vector3& v) { return std::fabs(std::sqrt(lengthSquared(v)) - 1) < 1e-7; }
// Element _rc, through the row-major layout.
float element(const Matrix4& m, int r, int c) {
  return std::bit_cast<std::array<float, 16>>(m)[static_cast<std::size_t>(4 * r + c - 5)];
}

TEST(Vec3Normalize, WorkedExamplesAndOutputOverTheInput) {
  EXPECT_EQ(bits(normalized({0, 0, 0})), bits({0, 0, 0}));
  EXPECT_EQ(bits(normalized({1e-6f, 0, 0})), bits({0, 0, 0}));  // 1e-12 is below the zero threshold
  EXPECT_EQ(bits(normalized({1e-4f, 0, 0})), bits({1, 0, 0}));
  EXPECT_EQ(bits(normalized({1.000004f, 0, 0})), bits({1.000004f, 0, 0}));  // within the tolerance
  EXPECT_EQ(bits(normalized({0.999995f, 0, 0})), bits({1, 0, 0}));          // just outside it
  EXPECT_EQ(bits(normalized({0, 0, 2.25f})), bits({0, 0, 1}));
  EXPECT_EQ(bits(normalized({std::numeric_limits<float>::quiet_NaN(), 1, 0})), bits({0, 0, 0}));
  const Vector3 v = normalized({3, 4, 0});
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  for (Vector3 same : {Vector3{3, 4, 0}, Vector3{1.000004f, 0, 0}, Vector3{1e-6f, 0, 0}, Vector3{-2, 5, 7}}) {
    const Vector3 separate = normalized(same);
    EXPECT_EQ(vec3Normalize(&same, &same), &same);
    EXPECT_EQ(bits(same), bits(separate));
  }
}

// Exact floats whose squared length, summed in double, lands on a bound or just past it.
TEST(Vec3Normalize, ThresholdsToTheBit) {
  const double tolerance = std::bit_cast<float>(0x3727C5ACu);  // the float nearest to 1e-5
  const Vector3 onUpperEnd{0x1.ffff4p-1f, 0x1.172p-8f, 0x1.dc8p-10f}, onLowerEnd{0x1.fffe4p-1f, 0x1p-8f, 0x1.3bp-10f};
  const Vector3 pastUpperEnd{0x1.fffc8p-1f, 0x1.02ep-7f, 0x1.05p-10f},
      pastLowerEnd{0x1.ffffp-1f, 0x1.188p-9f, 0x1.bp-11f};
  ASSERT_EQ(lengthSquared(onUpperEnd) - 1, tolerance);
  ASSERT_EQ(lengthSquared(onLowerEnd) - 1, -tolerance);
  ASSERT_GT(lengthSquared(pastUpperEnd) - 1, tolerance);
  ASSERT_LT(lengthSquared(pastLowerEnd) - 1, -tolerance);
  EXPECT_EQ(bits(normalized(onUpperEnd)), bits(onUpperEnd));  // both ends inclusive
  EXPECT_EQ(bits(normalized(onLowerEnd)), bits(onLowerEnd));
  EXPECT_NE(bits(normalized(pastUpperEnd)), bits(pastUpperEnd));
  EXPECT_NE(bits(normalized(pastLowerEnd)), bits(pastLowerEnd));
  EXPECT_TRUE(isUnit(normalized(pastUpperEnd)) && isUnit(normalized(pastLowerEnd)));

  // The zero threshold lies one step below the float nearest to 1e-10.
  const double threshold = std::bit_cast<float>(0x2EDBE6FEu), nearest = std::bit_cast<float>(0x2EDBE6FFu);
  const Vector3 onNearest{0x1.4f1p-17f, 0x1.ecp-22f, 0x1.2ap-22f}, below{0x1.4f4p-17f, 0x1.9cp-22f, 0x1.68p-23f};
  const Vector3 between{0.00001f, 0, 0};  // the float nearest to 1e-5, squared
  ASSERT_EQ(lengthSquared(onNearest), nearest);
  ASSERT_TRUE(lengthSquared(below) < threshold && lengthSquared(below) > 0.99999 * threshold);
  ASSERT_TRUE(lengthSquared(between) > threshold && lengthSquared(between) < 1e-10);
  EXPECT_TRUE(isUnit(normalized(onNearest)));
  EXPECT_EQ(bits(normalized(between)), bits({1, 0, 0}));
  EXPECT_EQ(bits(normalized(below)), bits({0, 0, 0}));
}

TEST(Vec3Cross, ExamplesAndOutputOverEitherInput) {
  const Vector3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  Vector3 out{};
  EXPECT_EQ(vec3Cross(&out, &x, &y), &out);
  EXPECT_EQ(bits(out), bits(z));
  EXPECT_EQ(bits(*vec3Cross(&out, &y, &z)), bits(x));
  const Vector3 a{1.5f, -2, 3}, b{4, 0.25f, -5};
  Vector3 separate{}, overA = a, overB = b;
  vec3Cross(&separate, &a, &b);
  EXPECT_EQ(bits(separate), bits({-2.0f * -5 - 3 * 0.25f, 3 * 4 - 1.5f * -5, 1.5f * 0.25f - -2.0f * 4}));
  EXPECT_EQ(bits(*vec3Cross(&overA, &overA, &b)), bits(separate));
  EXPECT_EQ(bits(*vec3Cross(&overB, &a, &overB)), bits(separate));
}

TEST(MatrixLookAtLH, TheDisplayViewAndAGeneralOne) {
  const Vector3 eye{0, 0, -1.25f}, at{0, 0, 1}, up{0, 1, 0};
  Matrix4 view{};
  EXPECT_EQ(matrixLookAtLH(&view, &eye, &at, &up), &view);
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c)
      EXPECT_EQ(element(view, r, c), r == 4 && c == 3 ? 1.25f : r == c ? 1.0f : 0.0f) << r << c;
  }
  // Elsewhere: the eye goes to the origin, the target onto the z axis.
  const Vector3 eye2{3, -2, 5}, at2{-1, 4, 2}, up2{0.2f, 1, -0.1f};
  matrixLookAtLH(&view, &eye2, &at2, &up2);
  auto transform = [&](const Vector3& p, int c, double w) {
    return p.x * element(view, 1, c) + p.y * element(view, 2, c) + p.z * element(view, 3, c) + w * element(view, 4, c);
  };
  const double expected[3][3] = {{0, 0, 0}, {0, 0, std::sqrt(61.0)}, {0, 1, 0}};
  for (int c = 1; c <= 3; ++c) {
    EXPECT_NEAR(transform(eye2, c, 1), expected[0][c - 1], 1e-5);
    EXPECT_NEAR(transform(at2, c, 1), expected[1][c - 1], 1e-5);
  }
  EXPECT_NEAR(transform(up2, 1, 0), 0.0, 1e-6);  // up lies in the view's y-z plane, pointing up
  EXPECT_GT(transform(up2, 2, 0), 0.5);
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(element(view, r, 4), r == 4 ? 1.0f : 0.0f);
}

// dot(zAxis, eye) sums y, then x, then z: x and y terms of ±2^60 × 2/3 cancel and the z
// term survives, where adding it to either large term first would lose it.
TEST(MatrixLookAtLH, DotProductsWithTheEyeAddTheZTermLast) {
  const float big = 0x1p60f;
  const Vector3 eye{big, -big, 1}, at{3 * big, big, big}, up{0, 0, 1};
  Matrix4 view{};
  matrixLookAtLH(&view, &eye, &at, &up);
  ASSERT_EQ(element(view, 1, 3), element(view, 2, 3));
  ASSERT_NEAR(element(view, 3, 3), 1.0f / 3, 1e-6);
  EXPECT_EQ(element(view, 4, 3), -element(view, 3, 3));
}

TEST(MatrixLookAtLH, DegenerateInputStillWritesTheMatrix) {
  const Vector3 eye{1, 2, 3}, above{1, 7, 3}, up{0, 1, 0};
  Matrix4 view{};
  view._11 = view._43 = std::numeric_limits<float>::quiet_NaN();
  matrixLookAtLH(&view, &eye, &eye, &up);  // eye == at: every axis zero
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(element(view, r, c), r == 4 && c == 4 ? 1.0f : 0.0f) << r << c;
  }
  matrixLookAtLH(&view, &eye, &above, &up);  // looking along up: the x axis is zero
  EXPECT_EQ(element(view, 1, 1), 0.0f);
  EXPECT_EQ(element(view, 2, 3), 1.0f);
}

TEST(MatrixPerspectiveFovLH, TheDisplayProjectionAndTheAspect) {
  Matrix4 projection{};
  projection._44 = projection._12 = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(matrixPerspectiveFovLH(&projection, std::bit_cast<float>(0x3F490FDBu), 1, 1, 100), &projection);
  EXPECT_NEAR(projection._11, 2.4142134f, 2e-7);
  EXPECT_EQ(projection._22, projection._11);
  EXPECT_NEAR(projection._33, 1.0101010f, 1e-7);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_NEAR(projection._43, -1.0101010f, 1e-7);
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c) {
      const bool set = (r == c && r < 4) || (r + c == 7 && r >= 3);  // the diagonal, _34 and _43
      if (!set) {
        EXPECT_EQ(element(projection, r, c), 0.0f) << r << c;
      }
    }
  }
  Matrix4 wide{}, square{};
  matrixPerspectiveFovLH(&wide, 1.0f, 4.0f / 3, 0.5f, 50);
  matrixPerspectiveFovLH(&square, 1.0f, 1, 0.5f, 50);
  EXPECT_FLOAT_EQ(wide._11, square._11 * 0.75f);
  EXPECT_EQ(wide._22, square._22);
  EXPECT_FLOAT_EQ(wide._43, -0.5f * 50 / 49.5f);
}

}  // namespace
