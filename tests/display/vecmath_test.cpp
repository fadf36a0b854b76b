// The vector and matrix helpers, to the bit where the display depends on it.
#include "display/vecmath.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace {

std::array<std::uint32_t, 3> bits(const Vector3& v) { return std::bit_cast<std::array<std::uint32_t, 3>>(v); }
// Element _rc, through the row-major layout.
float element(const Matrix4& m, int r, int c) { return std::bit_cast<std::array<float, 16>>(m)[4 * r + c - 5]; }

TEST(Vec3Normalize, BoundsToTheBitAndOutputOverTheInput) {
  const Vector3 unit{-7, -7, -7};  // stands for "scaled to unit length"
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // Squared lengths (summed in double) at and just past 1 ± 1e-5, at 1e-10, just under the zero threshold, between.
  const std::pair<Vector3, Vector3> cases[] = {
      {{0, 0, 0}, {0, 0, 0}},    {{1e-6f, 0, 0}, {0, 0, 0}},          {{1e-4f, 0, 0}, {1, 0, 0}},
      {{0, 0, 2.25f}, {0, 0, 1}}, {{nan, 1, 0}, {0, 0, 0}},             {{0.999995f, 0, 0}, {1, 0, 0}},
      {{1.000004f, 0, 0}, {1.000004f, 0, 0}},
      {{0x1.ffff4p-1f, 0x1.172p-8f, 0x1.dc8p-10f}, {0x1.ffff4p-1f, 0x1.172p-8f, 0x1.dc8p-10f}},
      {{0x1.fffe4p-1f, 0x1p-8f, 0x1.3bp-10f}, {0x1.fffe4p-1f, 0x1p-8f, 0x1.3bp-10f}},
      {{0x1.fffc8p-1f, 0x1.02ep-7f, 0x1.05p-10f}, unit}, {{0x1.ffffp-1f, 0x1.188p-9f, 0x1.bp-11f}, unit},
      {{0x1.4f1p-17f, 0x1.ecp-22f, 0x1.2ap-22f}, unit}, {{0x1.4f4p-17f, 0x1.9cp-22f, 0x1.68p-23f}, {0, 0, 0}},
      {{0.00001f, 0, 0}, {1, 0, 0}}, {{-2, 5, 7}, unit},
  };
  for (const auto& [in, want] : cases) {
    Vector3 out{-7, -7, -7}, same = in;
    EXPECT_EQ(vec3Normalize(&out, &in), &out);
    EXPECT_EQ(vec3Normalize(&same, &same), &same);
    EXPECT_EQ(bits(same), bits(out));
    const double length = std::sqrt((double{out.x} * out.x + double{out.y} * out.y) + double{out.z} * out.z);
    const bool scaled = bits(want) == bits(unit);
    EXPECT_EQ(bits(out), bits(scaled ? out : want)) << in.x << " " << in.y << " " << in.z;
    EXPECT_TRUE(!scaled || (bits(out) != bits(in) && std::fabs(length - 1) < 1e-7)) << in.x;
  }
}

TEST(Vec3Cross, OutputOverEitherInput) {
  const Vector3 a{1.5f, -2, 3}, b{4, 0.25f, -5};
  Vector3 overA = a, overB = b;
  const Vector3 expected{-2.0f * -5 - 3 * 0.25f, 3 * 4 - 1.5f * -5, 1.5f * 0.25f - -2.0f * 4};
  EXPECT_EQ(bits(*vec3Cross(&overA, &overA, &b)), bits(expected));
  EXPECT_EQ(bits(*vec3Cross(&overB, &a, &overB)), bits(expected));
}

TEST(MatrixLookAtLH, TheDisplayViewAndAGeneralOne) {
  const Vector3 eye{0, 0, -1.25f}, at{0, 0, 1}, up{0, 1, 0};
  Matrix4 view{};
  EXPECT_EQ(matrixLookAtLH(&view, &eye, &at, &up), &view);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(element(view, i / 4 + 1, i % 4 + 1), i == 14 ? 1.25f : i % 5 == 0 ? 1.0f : 0.0f) << i;
  // Elsewhere: the eye goes to the origin, the target onto the z axis, up into the y-z plane.
  const Vector3 eye2{3, -2, 5}, at2{-1, 4, 2}, up2{0.2f, 1, -0.1f};
  matrixLookAtLH(&view, &eye2, &at2, &up2);
  auto transform = [&](const Vector3& p, int c, double w) {
    return p.x * element(view, 1, c) + p.y * element(view, 2, c) + p.z * element(view, 3, c) + w * element(view, 4, c);
  };
  for (int c = 1; c <= 3; ++c) {
    EXPECT_NEAR(transform(eye2, c, 1), 0.0, 1e-5);
    EXPECT_NEAR(transform(at2, c, 1), c == 3 ? std::sqrt(61.0) : 0.0, 1e-5);
    EXPECT_EQ(element(view, c, 4), 0.0f);
  }
  EXPECT_TRUE(element(view, 4, 4) == 1 && std::fabs(transform(up2, 1, 0)) < 1e-6 && transform(up2, 2, 0) > 0.5);

  // dot(zAxis, eye) sums y, x, then z: the ±2^60 terms cancel before z, which survives.
  const float big = 0x1p60f;
  const Vector3 eye3{big, -big, 1}, at3{3 * big, big, big}, up3{0, 0, 1};
  matrixLookAtLH(&view, &eye3, &at3, &up3);
  ASSERT_TRUE(element(view, 1, 3) == element(view, 2, 3) && std::fabs(element(view, 3, 3) - 1.0f / 3) < 1e-6);
  EXPECT_EQ(element(view, 4, 3), -element(view, 3, 3));
}

TEST(MatrixPerspectiveFovLH, TheDisplayProjectionAndTheAspect) {
  Matrix4 projection{}, wide{}, square{};
  projection._44 = projection._12 = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(matrixPerspectiveFovLH(&projection, std::bit_cast<float>(0x3F490FDBu), 1, 1, 100), &projection);
  const float expected[16] = {2.4142134f, 0, 0, 0, 0, 2.4142134f, 0, 0, 0, 0, 1.0101010f, 1, 0, 0, -1.0101010f, 0};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(element(projection, i / 4 + 1, i % 4 + 1), expected[i], 2e-7) << i;
  matrixPerspectiveFovLH(&wide, 1.0f, 4.0f / 3, 0.5f, 50);
  matrixPerspectiveFovLH(&square, 1.0f, 1, 0.5f, 50);
  EXPECT_FLOAT_EQ(wide._11, square._11 * 0.75f);
  EXPECT_EQ(wide._22, square._22);
  EXPECT_FLOAT_EQ(wide._43, -0.5f * 50 / 49.5f);
}

}  // namespace
