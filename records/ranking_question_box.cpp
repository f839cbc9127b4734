// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_question_box.h"

#include "game_text.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

namespace zorvat {

namespace {

// The desktop's own style in every respect but one: the buttons stand in the order they are
// added, "はい" on the left, whatever order the desktop's button convention prefers.
class YesFirstStyle : public QProxyStyle {
public:
    YesFirstStyle()
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
    {
    }

    int styleHint(
        StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonLayout)
            return QDialogButtonBox::WinLayout;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

bool RankingQuestionBox::ask(const std::string& message)
{
    YesFirstStyle buttonOrder; // outlives the box
    // No parent: the box centres on the screen and blocks every window of the game.
    QMessageBox box(
        QMessageBox::Question, QCoreApplication::translate("RankingQuestionBox", "確認"), translatedGameText(message));
    QPushButton* yes
        = box.addButton(QCoreApplication::translate("RankingQuestionBox", "はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no
        = box.addButton(QCoreApplication::translate("RankingQuestionBox", "いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    if (auto* buttons = box.findChild<QDialogButtonBox*>())
        buttons->setStyle(&buttonOrder);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace zorvat
