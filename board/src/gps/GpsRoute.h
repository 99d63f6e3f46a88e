#pragma once

namespace tarvik::board::gps {

// Where the simulated vehicle is: it drives round a circle of kRadiusMetres that passes through the
// configured point, starting there heading east, at a constant speed. At speed 0 it stays on the
// point. Good enough for a receiver's output: positions change every fix, the course turns, and a
// point near the equator or the date line crosses it.
class GpsRoute {
public:
    static constexpr double kRadiusMetres = 200.0;

    struct Fix {
        double latitude;  // decimal degrees, negative = south
        double longitude; // decimal degrees, negative = west, within (-180, 180]
        double course;    // degrees true, 0 = north
        double speedKmh;
    };

    GpsRoute(double latitude, double longitude, double speedKmh);

    Fix at(double seconds) const;

private:
    double latitude_;
    double longitude_;
    double speedKmh_;
};

} // namespace tarvik::board::gps
