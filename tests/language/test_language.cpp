// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_text.h"
#include "language_choice.h"
#include "translation.h"

#include <QtTest>

#include <map>

using namespace zorvat;

class TestLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstEnglishOrJapaneseEntryOfTheListDecides_data();
    void theFirstEnglishOrJapaneseEntryOfTheListDecides();
    void gameTextsAreTranslatedWholeWithTheirNumbersNamesAndDetail_data();
    void gameTextsAreTranslatedWholeWithTheirNumbersNamesAndDetail();
};

void TestLanguage::theFirstEnglishOrJapaneseEntryOfTheListDecides_data()
{
    QTest::addColumn<QString>("environment"); // NAME=value, separated by spaces
    QTest::addColumn<bool>("english");
    const std::tuple<const char*, const char*, bool> rows[] = {
        { "nothing set", "", false },
        { "English locale", "LANG=en_US.UTF-8", true },
        { "C, POSIX or another language say nothing", "LANGUAGE=C:POSIX:de LANG=C.UTF-8", false },
        { "LANGUAGE before the locale", "LANGUAGE=en:ja LANG=ja_JP.UTF-8", true },
        { "Japanese first in LANGUAGE", "LANGUAGE=ja:en_GB LANG=en_US.UTF-8", false },
        { "empty and other entries passed over", "LANGUAGE=::fr:en", true },
        { "empty LANGUAGE", "LANGUAGE= LANG=en", true },
        { "LC_ALL before LANG", "LC_ALL=ja_JP.UTF-8 LANG=en_US.UTF-8", false },
        { "empty LC_ALL is unset", "LC_ALL= LC_MESSAGES=en_US.UTF-8 LANG=ja_JP.UTF-8", true },
        { "only the first set locale counts", "LC_MESSAGES=de_DE.UTF-8 LANG=en_US.UTF-8", false },
    };
    for (const auto& [name, environment, english] : rows)
        QTest::newRow(name) << QString::fromLatin1(environment) << english;
}

void TestLanguage::theFirstEnglishOrJapaneseEntryOfTheListDecides()
{
    QFETCH(QString, environment);
    QFETCH(bool, english);
    std::map<std::string, std::string> variables;
    for (const QString& pair : environment.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        variables[pair.section(QLatin1Char('='), 0, 0).toStdString()] = pair.section(QLatin1Char('='), 1).toStdString();
    const auto lookUp = [&variables](const char* name) -> std::optional<std::string> {
        const auto it = variables.find(name);
        return it == variables.end() ? std::nullopt : std::optional(it->second);
    };
    QCOMPARE(chooseLanguage(lookUp) == Language::English, english);
}

void TestLanguage::gameTextsAreTranslatedWholeWithTheirNumbersNamesAndDetail_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const char* noMusic = "音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。\nalsa: no card";
    const std::tuple<const char*, bool, const char*, const char*> rows[] = {
        { "Japanese as given", false, noMusic, noMusic },
        { "question panel", true, "12問目", "Q. 12" },
        { "a bare score", true, "7", "7" },
        { "ranking question", true, "スコア：5点をインターネットランキング申請しますか？",
            "Score: 5 points. Send it to the internet ranking?" },
        { "file name", true, "設定/Zorvat.ini に書き込めません", "Cannot write to 設定/Zorvat.ini" },
        { "the wording that says more", true, "画像 im1.bmp を読み込めません", "Cannot read the picture im1.bmp" },
        { "sound system's detail", true, "/a (1)/x.mid は MIDI ﾌｧｲﾙではありません (bad header)",
            "/a (1)/x.mid is not a MIDI file (bad header)" },
        { "headline over its list", true, noMusic,
            "The music cannot be played. The game plays on without music.\nalsa: no card" },
    };
    for (const auto& [name, english, text, shown] : rows)
        QTest::newRow(name) << english << QString::fromUtf8(text) << QString::fromUtf8(shown);
}

void TestLanguage::gameTextsAreTranslatedWholeWithTheirNumbersNamesAndDetail()
{
    QFETCH(bool, english);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    const Translation translation(english ? Language::English : Language::Japanese);
    QCOMPARE(translatedGameText(text.toStdString()), shown);
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
