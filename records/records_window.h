#pragma once

#include <QDialog>

#include <array>

class QLabel;

namespace zorvat {

struct HighScores;

// The records window: the top five and the number of games played, over its background.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    /** Fills the labels from the table and places the window against `mainWindow`'s right edge. */
    void fill(const HighScores& table, const QWidget& mainWindow);

    /** Score text: the last four characters of "0000" followed by the score. */
    static QString scoreText(int score);
};

} // namespace zorvat
