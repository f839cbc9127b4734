// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace zorvat {

// A raised panel: a one-pixel bevel, a solid colour and an optional centred caption. A screen
// reader reads the caption as the panel's name, unless the panel is given a name of its own.
// A panel that takes the keyboard focus shows it as a dotted line inside its bevel.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    BevelPanel(const QString& name, QColor colour, QWidget* parent);

    QColor colour() const { return m_colour; }
    void setColour(QColor colour);
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    void setCaptionColour(QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    QColor m_captionColour = Qt::black;
    QString m_caption;
};

} // namespace zorvat
