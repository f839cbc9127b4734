// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error.h"
#include "file_calls.h"
#include "game.h"
#include "game_fakes.h"
#include "idle_hook.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"
#include "ranking_question_box.h"
#include "records_fakes.h"
#include "records_window.h"
#include "score_keeper.h"
#include "tune_player.h"
#include "tune_players.h"
#include "zorvat_app.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace zorvat::testing {

// A tune that opens, plays and stops without a sound; told to, it fails to play.
class SilentTune : public TunePlayer {
public:
    bool failPlay = false;

    void Open(const std::string&) override { m_opened = true; }
    void Play() override
    {
        if (failPlay)
            throw Error("MCI ﾃﾞﾊﾞｲｽがありません");
        m_playing = true;
    }
    void Stop() override { m_playing = false; }
    bool IsStopped() const override { return !m_playing; }
    void Close() override { m_opened = m_playing = false; }
    bool Opened() const override { return m_opened; }

private:
    bool m_opened = false;
    bool m_playing = false;
};

// The whole program put together as main() does it, around fakes: silent tunes, a fixed clock,
// the name "テスト", a ranking question answered "いいえ" (or the real box), a desktop that takes
// every document, the settings file in a temporary folder, errors collected and idle steps counted.
struct ShellRig {
    enum class Question { AnsweredNo, RealBox };

    explicit ShellRig(Question question = Question::AnsweredNo)
        : records(dir.filePath(QStringLiteral("Zorvat.ini")).toStdString(), InternetRank::builtInRankTarget(), name,
            question == Question::RealBox ? static_cast<RankingQuestion&>(rankingBox) : fakeQuestion, opener, files)
    {
        name.answer = "テスト";
    }

    /** The main window's control of this name. */
    template <typename Control> Control* find(const char* objectName) const
    {
        return window.findChild<Control*>(QString::fromLatin1(objectName));
    }
    /** The grid box of cell 1..25. */
    PaintBox* cell(int n) const { return window.findChild<PaintBox*>(QString::fromStdString(box(n))); }

    QTemporaryDir dir;
    FixedClock clock;
    FakePrompt name;
    FakeQuestion fakeQuestion;
    RankingQuestionBox rankingBox;
    FakeOpener opener;
    FileCalls files;
    QStringList errors;
    ErrorReporter collectErrors = [this](const QString& text) { errors << text; };
    long long idleCalls = 0;

    MainWindow window { Pictures::instance() };
    SilentTune* questionTune = new SilentTune; // owned by tunes
    TunePlayers tunes { std::make_unique<SilentTune>(), std::unique_ptr<TunePlayer>(questionTune) };
    ScoreKeeper records;
    Game game { window, tunes, records, clock };
    IdleHook idle { [this](bool& IdleDone) {
                       ++idleCalls;
                       game.AppIdle(IdleDone);
                   },
        collectErrors };
    TForm2 recordsWindow { Pictures::instance() };
    ZorvatApp app { window, game, tunes, records, recordsWindow, idle, opener, collectErrors };
};

/** The top-level window of this object name, such as the records window "Form2". */
template <typename Window> Window* topLevel(const char* objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(objectName))
            return qobject_cast<Window*>(widget);
    }
    return nullptr;
}

/** A left click in the middle of the widget. */
inline void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() / 2, widget->height() / 2));
}

} // namespace zorvat::testing
