// Single-precision vector and matrix helpers for the Direct3D back-end's fixed view and
// projection: a left-handed perspective, a cross product, a normalisation and a
// left-handed look-at matrix. Pure arithmetic, no platform dependency, no state.
#pragma once

struct Vector3 {
  float x, y, z;
};

// Row-major, _rc in row r and column c, laid out as the SDK's D3DMATRIX. Points are row
// vectors multiplied on the left, so the translation sits in _41, _42 and _43.
struct Matrix4 {
  float _11, _12, _13, _14;
  float _21, _22, _23, _24;
  float _31, _32, _33, _34;
  float _41, _42, _43, _44;
};

// Each routine writes its result through out and returns out. Arguments are not checked:
// degenerate ones give infinities, NaNs or zero axes, as the arithmetic falls.

// The projection for a vertical field of view fovY (radians), aspect = width / height,
// and near and far plane distances zn and zf.
Matrix4* matrixPerspectiveFovLH(Matrix4* out, float fovY, float aspect, float zn, float zf);

// a × b. out may be a or b.
Vector3* vec3Cross(Vector3* out, const Vector3* a, const Vector3* b);

// v scaled to unit length. A vector whose squared length is within 1e-5 of 1 is copied
// unchanged; one whose squared length is at most 1e-10 (or NaN) becomes (0, 0, 0). out
// may be v.
Vector3* vec3Normalize(Vector3* out, const Vector3* v);

// The view from eye towards at, with up giving the vertical.
Matrix4* matrixLookAtLH(Matrix4* out, const Vector3* eye, const Vector3* at, const Vector3* up);
