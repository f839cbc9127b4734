// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <array>

class QLabel;

namespace zorvat {

class FramePlacement;

struct HighScores;
struct Pictures;

// The records window: the top five and the number of games played, over its background.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int Ranks = 5;

    /** The window over the records background of `pictures` (which must outlive it), of which only the left
        144 pixels show (more where the window's own title bar needs the room). */
    explicit TForm2(const Pictures& pictures, QWidget* parent = nullptr);

    /** Fills the labels from the table; every showing stands the window against `mainWindow`'s right edge
        (`mainWindow` must outlive this window or the next filling). */
    void fill(const HighScores& table, const QWidget& mainWindow);

    /** Score text: the last four characters of "0000" followed by the score. */
    static QString scoreText(int score);

    /** Every showing stands the window against the main window's right edge, top edges level, frames and title
        bars counted. */
    void setVisible(bool visible) override;

private:
    void Button1Click();
    void showBackground();

    const Pictures& m_pictures;
    QLabel* m_image1 = nullptr;
    const QWidget* m_mainWindow = nullptr;
    FramePlacement* m_placement = nullptr; // owned by the window
    std::array<QLabel*, Ranks> lb_sc {}; // lb_sc1 .. lb_sc5
    std::array<QLabel*, Ranks> lb_nm {}; // lb_nm1 .. lb_nm5
    QLabel* lb_tp = nullptr;
};

} // namespace zorvat
