// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_question_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace zorvat {

bool RankingQuestionBox::ask(const std::string& message)
{
    // No parent: the box centres on the screen and blocks every window of the game.
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QString::fromStdString(message));
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace zorvat
