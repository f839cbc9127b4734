// SPDX-License-Identifier: GPL-3.0-or-later
#include "screen_test.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/prctl.h>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

// The reader's lines, without their indent: role "name" [states] -- description.
using Tree = QStringList;

const QStringList Faces = { "赤い顔", "青い顔", "黄色い顔", "緑の顔", "水色の顔" };

QString cell(int n, const QString& shows)
{
    return QStringLiteral("table cell \"%1行%2列、%3\"").arg((n - 1) / 5 + 1).arg((n - 1) % 5 + 1).arg(shows);
}

Tree starting(const Tree& tree, const QString& start)
{
    return tree.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(start)));
}

Tree focused(const Tree& tree)
{
    return tree.filter(QRegularExpression(QStringLiteral("[\\[ ]focused\\]")));
}

} // namespace

// The game as a screen reader hears it: the real game with its accessibility always on, on a
// private display with a private session bus (on which the accessibility bus starts), played by
// keys into a question. At each step the tree is read over AT-SPI by the library screen readers
// use, and the reading is kept in the build folder.
class HeardGame : public ScreenTest {
    Q_OBJECT

public:
    HeardGame(const QString& artefacts, QString trees)
        : ScreenTest(artefacts)
        , m_trees(std::move(trees))
    {
        QDir(m_trees).removeRecursively();
        QDir().mkpath(m_trees);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_bus.setProcessEnvironment(env);
        m_bus.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_bus.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--nosyslog", "--print-address=1" });
        m_bus.waitForReadyRead(StartUpMs);
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        m_game.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_game.setEnvironment(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    }

    // The accessibility bus and its registry see the session bus go and end with it.
    ~HeardGame() override
    {
        m_bus.terminate();
        m_bus.waitForFinished();
    }

private Q_SLOTS:
    void theTitleScreenNamesEveryFaceCellAndPanelWithTheGridFocused();
    void aNewGameSaysWhichFaceIsPicked();
    void theDealtPatternIsHeardWhileItShows();
    void theCursorsCellHasTheFocusAndSaysWhatItHolds();

private:
    /** The tree, read again until `holds` is true of it (at most ScreenMs); the last reading is kept. */
    Tree readTree(const QString& step, const std::function<bool(const Tree&)>& holds = {});

    QTemporaryDir m_runtime;
    QProcess m_bus;
    QString m_address;
    const QString m_trees;
    int m_steps = 0;
};

Tree HeardGame::readTree(const QString& step, const std::function<bool(const Tree&)>& holds)
{
    const QString file = QDir(m_trees).filePath(QStringLiteral("%1-%2.txt").arg(++m_steps).arg(step));
    const auto read = [&] {
        QProcess reader;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        reader.setProcessEnvironment(env);
        reader.start(QStringLiteral(ZORVAT_E2E_PYTHON), { ZORVAT_E2E_TREE_READER, "Zorvat", file });
        QFile dump(file);
        Tree tree;
        if (reader.waitForFinished(ScreenMs) && reader.exitCode() == 0 && dump.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString::fromUtf8(dump.readAll()).split('\n', Qt::SkipEmptyParts))
                tree << line.trimmed();
        }
        return tree;
    };
    const QDeadlineTimer deadline(ScreenMs);
    Tree tree = read();
    while (holds && !holds(tree) && !deadline.hasExpired()) {
        QTest::qWait(200);
        tree = read();
    }
    return tree;
}

void HeardGame::theTitleScreenNamesEveryFaceCellAndPanelWithTheGridFocused()
{
    QVERIFY2(!m_address.isEmpty(), "no session bus (scripts/setup.sh test installs dbus)");
    awaitTheTitleScreen();
    if (QTest::currentTestFailed())
        return;
    AWAIT(focusedOn(MainTitle), "the main window to take the keyboard");
    keep(QStringLiteral("title-grid-focused"));
    const Tree tree = readTree(QStringLiteral("title"), [](const Tree& t) { return !focused(t).isEmpty(); });
    QStringList faces, cells;
    for (const QString& face : Faces)
        faces << QStringLiteral("radio button \"%1\" [enabled]").arg(face);
    for (int n = 1; n <= 25; ++n)
        cells << cell(n, QStringLiteral("タイトルの絵")) + QStringLiteral(" [enabled]");
    QCOMPARE(starting(tree, QStringLiteral("radio button")), faces);
    QCOMPARE(starting(tree, QStringLiteral("table cell")), cells);
    QCOMPARE(starting(tree, QStringLiteral("label")),
        QStringList({ "label \"0000\" [enabled] -- 得点", "label \"1問目\" [enabled] -- 問題" }));
    QCOMPARE(focused(tree).size(), 1);
    QVERIFY2(focused(tree).first().startsWith(QStringLiteral("panel \"盤面\"")), qPrintable(focused(tree).first()));
}

void HeardGame::aNewGameSaysWhichFaceIsPicked()
{
    for (const char* keys : { "F2", "3" })
        QVERIFY2(key(QString::fromLatin1(keys)), qPrintable(m_desk.error()));
    AWAIT(selectedKind() == 3, "the red frame around the third face");
    const QString emptyLast = cell(25, QStringLiteral("空き")) + QStringLiteral(" [enabled]");
    const Tree tree = readTree(QStringLiteral("new-game"), [&](const Tree& t) { return t.contains(emptyLast); });
    QVERIFY(tree.contains(emptyLast));
    QCOMPARE(starting(tree, QStringLiteral("radio button")).filter(QStringLiteral("checked")),
        QStringList(QStringLiteral("radio button \"黄色い顔\" [enabled checked]")));
    QCOMPARE(starting(tree, QStringLiteral("label")),
        QStringList({ "label \"0点\" [enabled] -- 得点", "label \"1問目\" [enabled] -- 問題" }));
}

// The pattern shows for three seconds; a reading that ends after the hide is tried again in a new game.
void HeardGame::theDealtPatternIsHeardWhileItShows()
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QVERIFY2(key(QStringLiteral("Return")), qPrintable(m_desk.error()));
        Grid dealt, still;
        AWAIT(readDeal(dealOf(1), dealt), "the first question's tile");
        const Tree cells = starting(readTree(QStringLiteral("pattern-shows")), QStringLiteral("table cell"));
        if (readDeal(dealOf(1), still) && still == dealt) {
            QCOMPARE(cells.size(), 25);
            for (int n = 1; n <= 25; ++n)
                QVERIFY2(cells[n - 1].startsWith(cell(n, dealt[n] == 1 ? Faces[0] : QStringLiteral("隠れている"))),
                    qPrintable(cells[n - 1]));
            return;
        }
        for (const char* keys : { "F2", "3" })
            QVERIFY2(key(QString::fromLatin1(keys)), qPrintable(m_desk.error()));
        AWAIT(showsPanel(Panel::pn_sc, QStringLiteral("0点")) && selectedKind() == 3, "a new game");
    }
    QFAIL("the tree was read only after the pattern was hidden, three times");
}

void HeardGame::theCursorsCellHasTheFocusAndSaysWhatItHolds()
{
    const Grid hidden {};
    AWAIT(gridShows(hidden), "the pattern to be hidden");
    for (const char* keys : { "Down", "Right", "space" })
        QVERIFY2(key(QString::fromLatin1(keys)), qPrintable(m_desk.error()));
    AWAIT(cursorCell() == 2 && m_reader.grid(shot(), m_client)[2] == 3, "the third face on the cursor's cell 2");
    keep(QStringLiteral("cursor-cell-focused"));
    const QStringList expected(cell(2, Faces[2]) + QStringLiteral(" [enabled focusable focused]"));
    const Tree tree = readTree(QStringLiteral("cursor"), [&](const Tree& t) { return focused(t) == expected; });
    QCOMPARE(focused(tree), expected);
    QVERIFY(tree.contains(cell(1, QStringLiteral("空き")) + QStringLiteral(" [enabled]")));
}

int main(int argc, char* argv[])
{
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    return runOnPrivateDisplay(argc, argv, artefacts, WindowManagement::Openbox,
        [&artefacts] { return std::make_unique<HeardGame>(artefacts, QStringLiteral(ZORVAT_E2E_TREES)); });
}

#include "test_screen_reader.moc"
