// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace zorvat {

struct HighScores;

// The records window: the top five and the number of games played, over its background.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int Ranks = 5;

    explicit TForm2(QWidget* parent = nullptr);

    /** Fills the labels from the table and places the window against `mainWindow`'s right edge. */
    void fill(const HighScores& table, const QWidget& mainWindow);

    /** Score text: the last four characters of "0000" followed by the score. */
    static QString scoreText(int score);

    /** The score label of `rank` (1..5), `lb_sc1` .. `lb_sc5`. */
    QLabel* scoreLabel(int rank) const { return lb_sc.at(rank - 1); }
    /** The name label of `rank` (1..5), `lb_nm1` .. `lb_nm5`. */
    QLabel* nameLabel(int rank) const { return lb_nm.at(rank - 1); }
    QLabel* Image1() const { return m_image1; }
    QLabel* Label6() const { return m_label6; }
    QLabel* lb_tp() const { return m_tp; }
    QPushButton* Button1() const { return m_button1; }

private:
    void Button1Click();

    QLabel* m_image1 = nullptr;
    std::array<QLabel*, Ranks> lb_sc {}; // lb_sc1 .. lb_sc5
    std::array<QLabel*, Ranks> lb_nm {}; // lb_nm1 .. lb_nm5
    QLabel* m_label6 = nullptr;
    QLabel* m_tp = nullptr;
    QPushButton* m_button1 = nullptr;
};

} // namespace zorvat
