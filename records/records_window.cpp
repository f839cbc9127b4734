#include "records_window.h"

#include "high_scores.h"

namespace zorvat {

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("記録"));
}

void TForm2::fill(const HighScores&, const QWidget& mainWindow)
{
    const QRect outer = mainWindow.frameGeometry();
    move(outer.left() + outer.width(), outer.top());
}

QString TForm2::scoreText(int score)
{
    return (QStringLiteral("0000") + QString::number(score)).right(4);
}

} // namespace zorvat
