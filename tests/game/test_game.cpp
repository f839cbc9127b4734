#include <QtTest>
class TestGame : public QObject { Q_OBJECT };
QTEST_APPLESS_MAIN(TestGame)
#include "test_game.moc"
