#pragma once

#include <QImage>
#include <QWidget>

namespace zorvat {

// A picture stretched over the whole widget by pixel replication, never smoothed.
class Backdrop : public QWidget {
    Q_OBJECT
public:
    Backdrop(const QString& name, const QImage& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

} // namespace zorvat
