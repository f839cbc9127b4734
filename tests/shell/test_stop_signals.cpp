// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_calls.h"
#include "ini_file.h"
#include "records_fakes.h"
#include "score_keeper.h"
#include "settings_folder.h"
#include "stop_signals.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

using namespace zorvat;
using namespace zorvat::testing;

class TestStopSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachStopSignalAsksOnceToEndAndTheProgramRunsOn_data();
    void eachStopSignalAsksOnceToEndAndTheProgramRunsOn();
    void aSignalDuringASaveIsHeardOnlyOnceTheSaveIsDone();
};

void TestStopSignals::eachStopSignalAsksOnceToEndAndTheProgramRunsOn_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestStopSignals::eachStopSignalAsksOnceToEndAndTheProgramRunsOn()
{
    QFETCH(int, signal);
    StopSignals stopSignals;
    QSignalSpy stop(&stopSignals, &StopSignals::stopRequested);
    QCOMPARE(::raise(signal), 0);
    QCOMPARE(::raise(signal), 0);
    QTRY_COMPARE(stop.count(), 1);
    QVERIFY(stopSignals.received());
    QTest::qWait(20);
    QCOMPARE(stop.count(), 1);
}

void TestStopSignals::aSignalDuringASaveIsHeardOnlyOnceTheSaveIsDone()
{
    SettingsFolder folder;
    StopSignals stopSignals;
    QSignalSpy stop(&stopSignals, &StopSignals::stopRequested);
    FaultyCalls calls;
    // The logout comes while the new file is being written.
    calls.before = [](FaultyCalls::Call call) {
        if (call == FaultyCalls::Call::Write)
            ::raise(SIGTERM);
    };
    FakePrompt prompt;
    FakeQuestion question;
    FakeOpener desktop;
    ScoreKeeper records(
        folder.iniPath().toStdString(), InternetRank::builtInRankTarget(), prompt, question, desktop, calls);
    records.load();
    records.hiscchk(9);
    QCOMPARE(stop.count(), 0);
    QCOMPARE(TIniFile(folder.iniPath().toStdString()).ReadInt("hs_sc", "sc1", 0), 9);
    QCOMPARE(TIniFile(folder.iniPath().toStdString()).ReadInt("pass", "tp", 0), 1);
    QTRY_COMPARE(stop.count(), 1);
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "test_stop_signals.moc"
