// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace zorvat {

// A picture stretched over the whole widget by pixel replication, never smoothed. The
// stretched copy is made once per widget size; on a scaled screen the painter grows it
// further by whole-pixel replication.
class Backdrop : public QWidget {
    Q_OBJECT
public:
    Backdrop(const QString& name, const QImage& picture, QWidget* parent);

    /** `picture` grown to `size`: pixel (x, y) takes source pixel (x·w / W, y·h / H). */
    static QImage stretched(const QImage& picture, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QImage m_stretched;
};

} // namespace zorvat
