// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_text.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace zorvat {

namespace {

constexpr char Context[] = "GameText";

// Every wording put together outside the windows, where no translation can reach: game/ is
// plain C++, and core/ and audio/ also serve the ranking server and the tests in Japanese.
// %1 stands for the number or the file name that goes in.
const char* const Wordings[] = {
    // The question and score panels, and the ranking question.
    QT_TRANSLATE_NOOP("GameText", "%1問目"),
    QT_TRANSLATE_NOOP("GameText", "%1点"),
    QT_TRANSLATE_NOOP("GameText", "スコア：%1点をインターネットランキング申請しますか？"),
    // Files that cannot be written, and why.
    QT_TRANSLATE_NOOP("GameText", "%1 に書き込めません"),
    QT_TRANSLATE_NOOP("GameText", "ﾌｧｲﾙが見つかりません"),
    QT_TRANSLATE_NOOP("GameText", "不正なﾌｧｲﾙ名です"),
    QT_TRANSLATE_NOOP("GameText", "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"),
    QT_TRANSLATE_NOOP("GameText", "ﾌｧｲﾙへのｱｸｾｽが拒否されました"),
    QT_TRANSLATE_NOOP("GameText", "ﾃﾞｨｽｸがいっぱいです"),
    QT_TRANSLATE_NOOP("GameText", "I/O ｴﾗｰ (%1)"),
    QT_TRANSLATE_NOOP("GameText", "テキストを Shift-JIS に変換できません"),
    // Pictures, tunes and the music.
    QT_TRANSLATE_NOOP("GameText", "画像 %1 を読み込めません"),
    QT_TRANSLATE_NOOP("GameText", "%1 が見つかりません"),
    QT_TRANSLATE_NOOP("GameText", "%1 を読み込めません"),
    QT_TRANSLATE_NOOP("GameText", "%1 には曲がありません"),
    QT_TRANSLATE_NOOP("GameText", "%1 は MIDI ﾌｧｲﾙではありません"),
    QT_TRANSLATE_NOOP("GameText", "MCI ﾃﾞﾊﾞｲｽがありません"),
    QT_TRANSLATE_NOOP("GameText", "音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。"),
    QT_TRANSLATE_NOOP("GameText", "ｼﾝｾｻｲｻﾞｰを用意できません"),
    QT_TRANSLATE_NOOP("GameText", "ｻｳﾝﾄﾞﾌｫﾝﾄが見つかりません:"),
};

const QString Slot = QStringLiteral("%1");

struct Pattern {
    const char* wording;
    QRegularExpression line;
    qsizetype fixedLength;
};

// A wording as a whole line: its fixed words, anything in place of %1, and a detail of the
// sound system's own in brackets after it.
Pattern patternOf(const char* wording)
{
    const QString text = QString::fromUtf8(wording);
    QStringList parts = text.split(Slot);
    for (QString& part : parts)
        part = QRegularExpression::escape(part);
    const QString line
        = QStringLiteral("^") + parts.join(QStringLiteral("(?<value>.+)")) + QStringLiteral("(?<detail> \\(.*\\))?$");
    return { wording, QRegularExpression(line), text.size() - Slot.size() * (parts.size() - 1) };
}

// The wording with the most fixed words first: "画像 %1 を読み込めません" is also a
// "%1 を読み込めません", and only the first says which file it is.
const std::vector<Pattern>& patterns()
{
    static const std::vector<Pattern> all = [] {
        std::vector<Pattern> list;
        for (const char* wording : Wordings)
            list.push_back(patternOf(wording));
        std::stable_sort(
            list.begin(), list.end(), [](const Pattern& a, const Pattern& b) { return a.fixedLength > b.fixedLength; });
        return list;
    }();
    return all;
}

QString translatedLine(const QString& line)
{
    for (const Pattern& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.line.match(line);
        if (!match.hasMatch())
            continue;
        QString translated = QCoreApplication::translate(Context, pattern.wording);
        if (translated == QString::fromUtf8(pattern.wording))
            return line;
        return translated.replace(Slot, match.captured(QStringLiteral("value")))
            + match.captured(QStringLiteral("detail"));
    }
    return line;
}

} // namespace

QString translatedGameText(const std::string& utf8)
{
    QStringList lines = QString::fromStdString(utf8).split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = translatedLine(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace zorvat
