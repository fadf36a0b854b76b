#include "display/vecmath.h"

#include <bit>
#include <cmath>
#include <cstdint>

// The vector routines carry their products and sums in double and round each result to
// float once: a product of two floats is exact in double, so the results do not depend on
// how a compiler orders or contracts float operations.

namespace {

// The unit-length tolerance: the float nearest to 1e-5.
const double unitTolerance = std::bit_cast<float>(std::uint32_t{0x3727C5AC});
// The zero threshold: one step below the float nearest to 1e-10.
const double zeroThreshold = std::bit_cast<float>(std::uint32_t{0x2EDBE6FE});

// Dot product with the eye position, summed in the order y, x, z.
double dotWithEye(const Vector3& a, const Vector3& eye) {
  return (static_cast<double>(a.y) * eye.y + static_cast<double>(a.x) * eye.x) + static_cast<double>(a.z) * eye.z;
}

}  // namespace

Matrix4* matrixPerspectiveFovLH(Matrix4* out, float fovY, float aspect, float zn, float zf) {
  const float half = fovY * 0.5f;
  const float s = static_cast<float>(std::sin(static_cast<double>(half)));
  const float c = static_cast<float>(std::cos(static_cast<double>(half)));
  const float yScale = c / s;
  const float xScale = yScale / aspect;
  const float q = zf / (zf - zn);
  // clang-format off
  *out = Matrix4{xScale, 0,      0,       0,
                 0,      yScale, 0,       0,
                 0,      0,      q,       1,
                 0,      0,      -zn * q, 0};
  // clang-format on
  return out;
}

Vector3* vec3Cross(Vector3* out, const Vector3* a, const Vector3* b) {
  // All three components are formed before any is stored, so out may be a or b.
  const Vector3 result{
      static_cast<float>(static_cast<double>(a->y) * b->z - static_cast<double>(a->z) * b->y),
      static_cast<float>(static_cast<double>(a->z) * b->x - static_cast<double>(a->x) * b->z),
      static_cast<float>(static_cast<double>(a->x) * b->y - static_cast<double>(a->y) * b->x),
  };
  *out = result;
  return out;
}

Vector3* vec3Normalize(Vector3* out, const Vector3* v) {
  const double x = v->x;
  const double y = v->y;
  const double z = v->z;
  const double lengthSquared = (x * x + y * y) + z * z;
  const double offUnit = lengthSquared - 1.0;
  if (offUnit >= -unitTolerance && offUnit <= unitTolerance) {
    if (out != v) *out = *v;
  } else if (lengthSquared > zeroThreshold) {  // false for NaN too
    const double r = 1.0 / std::sqrt(lengthSquared);
    *out = Vector3{static_cast<float>(x * r), static_cast<float>(y * r), static_cast<float>(z * r)};
  } else {
    *out = Vector3{0.0f, 0.0f, 0.0f};
  }
  return out;
}

Matrix4* matrixLookAtLH(Matrix4* out, const Vector3* eye, const Vector3* at, const Vector3* up) {
  Vector3 zAxis{at->x - eye->x, at->y - eye->y, at->z - eye->z};
  vec3Normalize(&zAxis, &zAxis);
  Vector3 xAxis;
  vec3Cross(&xAxis, up, &zAxis);
  vec3Normalize(&xAxis, &xAxis);
  Vector3 yAxis;
  vec3Cross(&yAxis, &zAxis, &xAxis);
  const Vector3 e = *eye;
  const float tx = static_cast<float>(-dotWithEye(xAxis, e));
  const float ty = static_cast<float>(-dotWithEye(yAxis, e));
  const float tz = static_cast<float>(-dotWithEye(zAxis, e));
  // clang-format off
  *out = Matrix4{xAxis.x, yAxis.x, zAxis.x, 0,
                 xAxis.y, yAxis.y, zAxis.y, 0,
                 xAxis.z, yAxis.z, zAxis.z, 0,
                 tx,      ty,      tz,      1};
  // clang-format on
  return out;
}
