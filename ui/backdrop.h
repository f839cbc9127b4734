// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace zorvat {

struct PictureSet;
struct Pictures;

// One of the game's pictures stretched over the whole widget by pixel replication, never
// smoothed. The stretched copy is made once per widget size and screen density: a screen
// of twice the density gets the picture drawn at twice the pixels, stretched to its own
// pixels over the same area; any other scaled screen grows the ordinary one further by
// whole-pixel replication.
class Backdrop : public QWidget {
    Q_OBJECT
public:
    /** Shows the picture `picture` of `pictures` (which must outlive the widget). */
    Backdrop(const QString& name, const Pictures& pictures, QImage PictureSet::*picture, QWidget* parent);

    /** `picture` grown to `size`: pixel (x, y) takes source pixel (x·w / W, y·h / H). */
    static QImage stretched(const QImage& picture, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Pictures& m_pictures;
    QImage PictureSet::*m_picture;
    QImage m_stretched;
};

} // namespace zorvat
