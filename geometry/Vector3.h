#pragma once

/// A point or direction in the y-up world frame, in double precision.
/// A plain value type: copied freely, passed and returned by value.
struct Vector3 {
    double x, y, z;

    /// Leaves the components unset, like a built-in double.
    Vector3() = default;
    constexpr Vector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    Vector3 operator-(const Vector3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    Vector3 operator*(double s) const { return {s * x, s * y, s * z}; }
    /// No guard against zero: dividing by 0 gives IEEE infinities and NaNs.
    Vector3 operator/(double s) const { return {x / s, y / s, z / s}; }
    Vector3 operator-() const { return {-x, -y, -z}; }

    Vector3& operator+=(const Vector3& v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    Vector3& operator-=(const Vector3& v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    Vector3& operator*=(double s)
    {
        x = s * x;
        y = s * y;
        z = s * z;
        return *this;
    }
    Vector3& operator/=(double s)
    {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }

    /// Exact componentwise comparison; no tolerance.
    bool operator==(const Vector3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vector3& v) const { return !(*this == v); }

    /// this × v (right-handed).
    Vector3 cross(const Vector3& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }
    /// this = this × v; safe when v is this vector itself (gives zero).
    Vector3& crossAssign(const Vector3& v)
    {
        *this = cross(v);
        return *this;
    }
    double dot(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }
    double length() const;
    double distanceSquared(const Vector3& v) const
    {
        const Vector3 d = *this - v;
        return d.x * d.x + d.y * d.y + d.z * d.z;
    }
    /// Unit vector in this direction; the zero vector when the length is exactly 0.
    Vector3 normalized() const;
    /// Unit vector from this point towards v; zero when the points coincide.
    Vector3 directionTo(const Vector3& v) const { return (v - *this).normalized(); }
    void zero() { x = y = z = 0.0; }

    /// Writes "(x,y,z)" to standard error in %g form, with no line end.
    void print() const;
};
