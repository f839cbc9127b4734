// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop.h"
#include "game_run.h"
#include "game_screen.h"
#include "private_display.h"
#include "reference_look.h"
#include "screen_reading.h"

#include <QHash>
#include <QObject>
#include <QRect>
#include <QtTest>

#include <functional>
#include <memory>

namespace zorvat::e2e {

struct Deal {
    int tiles;
    int kinds;
};

/** The first 24 questions: one to five tiles of one kind, then of two kinds, and so on. */
Deal dealOf(int question);
/** A grid as five groups of five digits, "?" for a cell that could not be read. */
QString describe(const Grid& grid);

// One run of the real game on the private display, played step by step: each test function
// plays on from where the one before left the game, and a failed step skips the rest. What
// the screen showed when a step failed is kept in the artefacts folder.
class ScreenTest : public QObject {
    Q_OBJECT

public:
    explicit ScreenTest(QString artefacts);

protected:
    QImage shot() { return m_desk.shot(); }
    /** Keeps the last screenshot under `name` among the artefacts. */
    void keep(const QString& name);
    /** Clicks at a point of the main window's client area. */
    bool click(QPoint inClient) { return m_desk.click(m_client + inClient); }
    /** Presses a key or chord, such as "F2", "Return" or "alt+k". */
    bool key(const QString& keys) { return m_desk.key(keys); }
    bool focusedOn(const QString& titlePattern);
    /** Waits for the window to take the keyboard, clicking into its margin if it does not. */
    bool takeFocus(const QString& titlePattern);
    bool showsAt(QPoint at, const QImage& expected, const QString& name);
    bool showsPanel(Panel which, const QString& caption);
    /** True when the grid shows a deal of this size; the cells read go to `dealt`. */
    bool readDeal(Deal deal, Grid& dealt);
    bool gridShows(const Grid& expected) { return m_reader.grid(shot(), m_client) == expected; }
    bool gridShowsPicture(const QImage& picture) { return m_reader.showsWholePicture(shot(), m_client, picture); }
    int selectedKind() { return m_reader.selectedKind(shot(), m_client); }
    int cursorCell() { return m_reader.cursorCell(shot(), m_client); }

    /** Dismisses the start-up sound warning, finds the main window and waits for the title screen. */
    void awaitTheTitleScreen();
    /** Waits for the question to be dealt and hidden again; the dealt cells go to `dealt`. */
    void awaitDealAndHide(int question, Grid& dealt);
    Desktop m_desk;
    GameRun m_game;
    ScreenReader m_reader;
    ReferenceLook m_look;
    QRect m_main; // the main window inside any frame, menu bar included
    QPoint m_client;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

private:
    // The last picture the screen failed to show, kept for the report of a failure.
    struct Mismatch {
        QPoint at;
        QImage expected;
        QString name;
    };

    const QString m_artefacts;
    int m_kept = 0;
    bool m_failed = false;
    QHash<QString, QImage> m_panels;
    Mismatch m_mismatch;
};

/** main() of every test that plays one run of the game step by step: the test made by `makeTest`
    run on a private display. */
int runOnPrivateDisplay(int argc, char* argv[], const QString& artefacts, WindowManagement management,
    const std::function<std::unique_ptr<ScreenTest>()>& makeTest);

} // namespace zorvat::e2e
