#pragma once
// A point or vector of data space. Arrays of points are packed Vec3 (24 bytes
// a point): loaders build them and plot objects adopt them without copying.

struct Vec3 {
  double x;
  double y;
  double z;
};

static_assert(sizeof(Vec3) == 24, "point arrays are packed at 24 bytes a point");

inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(double k, Vec3 a) {
  return {k * a.x, k * a.y, k * a.z};
}
inline double Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline bool operator==(Vec3 a, Vec3 b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
