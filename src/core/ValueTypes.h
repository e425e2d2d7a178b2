// Small value types of the whole program: points, vectors, the packed colour,
// the integer rectangle and the 2-D affine / 3-D projection matrices. Matrices
// use row vectors: a point multiplies on the left; the last row translates.
// Nothing here fails or allocates.
#pragma once

#include <cstdint>

struct TFloatPoint
{
    float x = 0.0f;
    float y = 0.0f;

    TFloatPoint() = default;
    TFloatPoint(float px, float py) : x(px), y(py) {}
    void Clear() { x = y = 0.0f; }
    TFloatPoint& operator+=(const TFloatPoint& o)
    {
        x += o.x;
        y += o.y;
        return *this;
    }
    TFloatPoint operator-() const { return TFloatPoint(-x, -y); }
};

TFloatPoint AddFloatPoints(const TFloatPoint& a, const TFloatPoint& b);

// An integer point (window coordinates).
struct TPoint
{
    int32_t x = 0;
    int32_t y = 0;

    TPoint() = default;
    TPoint(int32_t px, int32_t py) : x(px), y(py) {}
    bool operator==(const TPoint& o) const { return x == o.x && y == o.y; }
};

struct TFloatVector3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    TFloatVector3() = default;
    TFloatVector3(float px, float py, float pz) : x(px), y(py), z(pz) {}
    TFloatVector3(const TFloatPoint& p, float pz) : x(p.x), y(p.y), z(pz) {}
    void Clear() { x = y = z = 0.0f; }
    // Component i (0..2); out-of-range indices read z.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
};

// Also the four-float colour record: x red, y green, z blue, w alpha (0..1).
struct TFloatVector4
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    TFloatVector4() = default;
    TFloatVector4(float px, float py, float pz, float pw) : x(px), y(py), z(pz), w(pw) {}
    void Clear() { x = y = z = w = 0.0f; }
    // Component i (0..3); out-of-range indices read w.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
};

// Packed ARGB: alpha bits 24-31, red 16-23, green 8-15, blue 0-7.
struct TColor
{
    uint32_t argb = 0;

    TColor() = default;
    // Each channel times 255, truncated, clamped to 0..255 (NaN reads 0).
    TColor(float red, float green, float blue, float alpha);
    // The low 8 bits of each.
    TColor(int red, int green, int blue, int alpha);
    explicit TColor(uint32_t packed) : argb(packed) {}

    int GetAlpha() const { return static_cast<int>(argb >> 24); }
    int GetRed() const { return static_cast<int>((argb >> 16) & 0xFF); }
    int GetGreen() const { return static_cast<int>((argb >> 8) & 0xFF); }
    int GetBlue() const { return static_cast<int>(argb & 0xFF); }
    void SetAlpha(int v) { SetByte(24, v); }
    void SetRed(int v) { SetByte(16, v); }
    void SetGreen(int v) { SetByte(8, v); }
    void SetBlue(int v) { SetByte(0, v); }
    bool operator==(const TColor& o) const { return argb == o.argb; }

private:
    void SetByte(int shift, int v)
    {
        argb = (argb & ~(0xFFu << shift)) | ((static_cast<uint32_t>(v) & 0xFFu) << shift);
    }
};

// Right and bottom are exclusive. Starts zeroed.
struct TRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    TRect() = default;
    TRect(int32_t l, int32_t t, int32_t r, int32_t b) { Set(l, t, r, b); }
    void Set(int32_t l, int32_t t, int32_t r, int32_t b);
    // left <= x < right and top <= y < bottom.
    bool Contains(int32_t x, int32_t y) const
    {
        return left <= x && x < right && top <= y && y < bottom;
    }
    // This becomes the smallest rectangle holding a and b.
    void Union(const TRect& a, const TRect& b);
    // This becomes the overlap of a and b, with no emptiness test: disjoint
    // inputs give right < left or bottom < top.
    void Intersect(const TRect& a, const TRect& b);
    bool operator==(const TRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// 3x3, rows m0, m1 (linear part) and m2 (translation, 1).
struct TAffineMatrix
{
    TFloatVector3 m0{1.0f, 0.0f, 0.0f};
    TFloatVector3 m1{0.0f, 1.0f, 0.0f};
    TFloatVector3 m2{0.0f, 0.0f, 1.0f};

    // Identity.
    TAffineMatrix() = default;
    TAffineMatrix(float m00, float m01, float m02, float m10, float m11, float m12, float m20,
                  float m21, float m22)
        : m0(m00, m01, m02), m1(m10, m11, m12), m2(m20, m21, m22)
    {
    }
    void SetIdentity() { *this = TAffineMatrix(); }
    // Row r (0..2).
    TFloatVector3& Row(int r) { return r == 0 ? m0 : (r == 1 ? m1 : m2); }
    const TFloatVector3& Row(int r) const { return r == 0 ? m0 : (r == 1 ? m1 : m2); }
    // Rotates the linear part by angle radians; the translation is kept.
    void Rotate(float angle);
    // Scales the linear part; the translation is kept.
    void Scale(float sx, float sy);
    void Scale(float s) { Scale(s, s); }
};

// (x, y) times the matrix: x' = x m00 + y m10 + m20, y' = x m01 + y m11 + m21.
TFloatPoint TransformFloatPoint(const TAffineMatrix& m, const TFloatPoint& p);
// a x b: transforming by the result equals transforming by a, then by b.
TAffineMatrix MultiplyAffineMatrices(const TAffineMatrix& a, const TAffineMatrix& b);
// The 2x2 linear parts multiplied; row 2 copied from a (a's translation is
// not transformed by b).
TAffineMatrix MultiplyAffineLinear(const TAffineMatrix& a, const TAffineMatrix& b);

// 4x4, rows m0..m3.
struct TMatrix4x4
{
    TFloatVector4 m0{1.0f, 0.0f, 0.0f, 0.0f};
    TFloatVector4 m1{0.0f, 1.0f, 0.0f, 0.0f};
    TFloatVector4 m2{0.0f, 0.0f, 1.0f, 0.0f};
    TFloatVector4 m3{0.0f, 0.0f, 0.0f, 1.0f};

    // Identity.
    TMatrix4x4() = default;
    TFloatVector4& Row(int r) { return r == 0 ? m0 : (r == 1 ? m1 : (r == 2 ? m2 : m3)); }
    const TFloatVector4& Row(int r) const
    {
        return r == 0 ? m0 : (r == 1 ? m1 : (r == 2 ? m2 : m3));
    }
    // Left-handed perspective projection for row vectors, with the vanishing
    // point moved to v (each coordinate in -1..1).
    void SetPerspective(float nearZ, float farZ, float fov, float aspect, const TFloatPoint& v);
};
