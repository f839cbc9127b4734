// SPDX-License-Identifier: GPL-3.0-or-later
#include "expected_files.h"
#include "pictures.h"
#include "whole_game_test.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

const QByteArray CommunityUrl = "https://rank.example.net/club/rank.cgi";

} // namespace

// A game lost at its first question and sent to the ranking, with ZORVAT_RANK_URL naming a
// community's server: the page the program writes posts there, with the build's check numbers.
class RankUrlFromEnvironment : public WholeGameTest {
    Q_OBJECT

public:
    explicit RankUrlFromEnvironment(QString artefacts)
        : WholeGameTest(std::move(artefacts))
    {
        m_game.setEnvironment(QStringLiteral("ZORVAT_RANK_URL"), QString::fromLatin1(CommunityUrl));
    }

private Q_SLOTS:
    void aGameLostAndSentToTheRankingPostsToTheAddressOfTheEnvironment();

private:
    void pressOpen() override { QVERIFY2(click(place::Button1.center()), qPrintable(m_desk.error())); }
    void pickKind(int kind) override { QVERIFY2(click(place::paletteBox(kind).center()), qPrintable(m_desk.error())); }
    void toggleCell(int cell) override { QVERIFY2(click(place::cellBox(cell).center()), qPrintable(m_desk.error())); }
    void pressOk() override { QVERIFY2(click(place::Button2.center()), qPrintable(m_desk.error())); }
};

void RankUrlFromEnvironment::aGameLostAndSentToTheRankingPostsToTheAddressOfTheEnvironment()
{
    awaitTheTitleScreen();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(click(place::idleSpot), qPrintable(m_desk.error()));
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard");
    QVERIFY2(key(QStringLiteral("F2")), qPrintable(m_desk.error()));
    AWAIT(showsPanel(Panel::pn_sc, QStringLiteral("0点")), "the score panel reading 0点");
    playQuestion(1, false);
    AWAIT(gridShowsPicture(Pictures::instance().im_over), "the whole game-over picture in the grid");
    awaitTheRankingQuestion();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(key(QStringLiteral("alt+y")), qPrintable(m_desk.error()));
    AWAIT(!m_game.openedDocuments().isEmpty(), "the ranking page to be handed to the browser");
    QFile page(QDir(m_game.workFolder()).filePath(QStringLiteral("intsc.htm")));
    QVERIFY2(page.open(QIODevice::ReadOnly), "no ranking page in the folder the game was started from");
    QCOMPARE(page.readAll(), expectedRankPage(0, 0, ZORVAT_E2E_CHECK_OFFSET, CommunityUrl));
    QVERIFY2(!m_game.output().contains("ZORVAT_RANK_URL"), m_game.output().constData());
}

int main(int argc, char* argv[])
{
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    return runOnPrivateDisplay(argc, argv, artefacts, WindowManagement::None,
        [&artefacts] { return std::make_unique<RankUrlFromEnvironment>(artefacts); });
}

#include "test_rank_url_from_environment.moc"
