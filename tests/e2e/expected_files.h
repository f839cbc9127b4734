// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace zorvat::e2e {

/** `text` in code page 932, as the game's files hold it. */
QByteArray cp932(const QString& text);

/** The ranking page the game must write for this score, game count and check code, with its form posting to `url`. */
QByteArray expectedRankPage(int score, int playCount, int checkCode, const QByteArray& url);

// A settings file as read back: its sections in file order, each with its "key=value"
// lines in order, keys and values as the raw bytes of the file.
using ProfileKeys = QList<QPair<QByteArray, QByteArray>>;
using Profile = QList<QPair<QByteArray, ProfileKeys>>;

/** Reads the sections and keys of `bytes`; none, with the reason in `why`, when a line is not a CR LF line of the
 * format. */
std::optional<Profile> readProfile(const QByteArray& bytes, QString& why);

} // namespace zorvat::e2e
