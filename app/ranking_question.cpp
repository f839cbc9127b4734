// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace zorvat {

bool askRankingQuestion(const QString& message)
{
    // No parent: the box centres on the screen and blocks every window of the game.
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), message);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace zorvat
