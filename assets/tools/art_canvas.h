// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainterPath>

#include <cstdint>
#include <functional>
#include <vector>

namespace zorvat::art {

// The colour of a point of the picture, in picture pixels; its alpha blends it over what
// lies beneath.
using Shader = std::function<QRgb(double x, double y)>;

// A shape made of several outlines that may overlap; its inside is the union of theirs.
using Shape = std::vector<QPainterPath>;

// A picture drawn at `scale` times its size and reduced by averaging, so that edges come
// out smooth. Shapes are cut by the painter without antialiasing and every colour is
// worked out by our own integer arithmetic, so the same program makes the same bytes on
// any machine.
//
// Everything is drawn in picture pixels; `resolution` says how many pixels of the result
// each picture pixel spans each way, so one drawing gives the picture for an ordinary
// screen (1) and for a screen of twice the density (2), each as smooth as the other.
class ArtCanvas {
public:
    ArtCanvas(int width, int height, int scale, int resolution = 1);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int resolution() const { return m_resolution; }

    /** Paints every point of the canvas with the shader. */
    void paintAll(const Shader& shader);
    /** Paints the inside of the shape with the shader. */
    void fill(const QPainterPath& shape, const Shader& shader);
    /** Paints the inside of the shape in one colour (its alpha blends). */
    void fill(const QPainterPath& shape, QRgb colour);
    /** Paints the union of the outlines with the shader. */
    void fill(const Shape& shape, const Shader& shader);
    /** Paints the union of the outlines in one colour. */
    void fill(const Shape& shape, QRgb colour);
    /** Paints a line of the given width along the path. */
    void stroke(const QPainterPath& line, double width, QRgb colour, Qt::PenCapStyle cap = Qt::RoundCap,
        Qt::PenJoinStyle join = Qt::RoundJoin);

    /** The picture at its own size times the resolution. */
    QImage reduced() const;

private:
    void paintMasked(const QRect& fineArea, const Shader& shader);

    int m_width;
    int m_height;
    int m_scale; // canvas points per pixel of the result, each way
    int m_resolution;
    QImage m_fine;
    QImage m_mask;
};

/** A shape's outline widened into a shape of its own. */
QPainterPath outlineOf(
    const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap, Qt::PenJoinStyle join = Qt::RoundJoin);

/** `over` blended onto `under` by the alpha of `over`; the result is opaque. */
QRgb blend(QRgb under, QRgb over);
/** The colour t of the way from a to b (t in 0..1), alpha included. */
QRgb mix(QRgb a, QRgb b, double t);
/** The colour with its red, green and blue multiplied by f and clamped. */
QRgb scaled(QRgb c, double f);
/** The colour with a new alpha. */
QRgb withAlpha(QRgb c, int alpha);
/** 0 below edge0, 1 above edge1, and a smooth step between. */
double smoothstep(double edge0, double edge1, double x);

/** A well-stirred 32-bit value for a grid point and a seed. */
std::uint32_t hashAt(int x, int y, std::uint32_t seed);
/** The same stirred into 0..1. */
double noiseAt(int x, int y, std::uint32_t seed);
/** noiseAt for the pixel of the result that holds the point (x, y) of the picture, so that
 *  a grain is as fine as the pixels it is shown on at every resolution. */
double grainAt(double x, double y, int resolution, std::uint32_t seed);

/** A box blur of the given radius, repeated `passes` times; edges repeat their pixels. */
QImage blurred(const QImage& image, int radius, int passes);

} // namespace zorvat::art
