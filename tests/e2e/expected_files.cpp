// SPDX-License-Identifier: GPL-3.0-or-later
#include "expected_files.h"

#include <QStringList>

#include <iconv.h>

namespace zorvat::e2e {

QByteArray cp932(const QString& text)
{
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QByteArray();
    char* inp = in.data();
    std::size_t inLeft = static_cast<std::size_t>(in.size());
    char* outp = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    const std::size_t done = ::iconv(cd, &inp, &inLeft, &outp, &outLeft);
    ::iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        return QByteArray();
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

QByteArray expectedRankPage(int score, int playCount, int checkCode, const QByteArray& url)
{
    const QString sc = QString::number(score);
    const QStringList lines = {
        QStringLiteral(R"(<html><head><title>Rekvan</title></head>)"),
        QStringLiteral(R"(<body bgcolor="#000000" text="#C0C0C0">)"),
        QStringLiteral(R"(<p align="center"><font color="#FF0000" size="6"><strong>Zorvat</strong></font></p>)"),
        QStringLiteral(R"(<p align="center"><font color="#FFFFFF" size="4"><strong>)"),
        QStringLiteral(u"インターネット・タイムアタック・ランキング\u3000登録フォーム</strong></font></p>"),
        QStringLiteral(R"(<p align="center">登録する場合はインターネットに接続後</p>)"),
        QStringLiteral(R"(<p align="center">必要事項を入力し送信ボタンを押して下さい。</p>)"),
        QStringLiteral(R"(<p align="center">CGIによりリアルタイムでランキング集計されます。</p>)"),
        QStringLiteral(R"(<p align="center">（注）タイムを書き換えて送信した場合は無効となります。</p>)"),
        QStringLiteral(u"<p align=\"center\"><font color=\"#FFFF00\" size=\"4\"><strong></strong></font>\u3000</p>"),
        QStringLiteral(R"(<p align="center"><font color="#FFFF00" size="4"><strong>スコア：)") + sc
            + QStringLiteral("点"),
        QStringLiteral(R"(</strong></font></p>)"),
        QStringLiteral(R"(<FORM METHOD="POST" ACTION=)"),
        QStringLiteral("\"") + QString::fromLatin1(url) + QStringLiteral("\">"),
        QStringLiteral(R"(  <INPUT TYPE="hidden" NAME="sc" VALUE=")") + sc + QStringLiteral("\" >"),
        QStringLiteral(R"(  <INPUT TYPE="hidden" NAME="play" VALUE=")") + QString::number(playCount)
            + QStringLiteral("\" >"),
        QStringLiteral(R"(  <INPUT TYPE="hidden" NAME="pass" VALUE=")") + QString::number(checkCode)
            + QStringLiteral("\" >"),
        QStringLiteral("\t")
            + QStringLiteral(R"(<p align="center">名前：<input type="text" size="20" name="name"></p>)"),
        QStringLiteral(R"(  <p align="center">一言：<input type="text" size="54" name="com"></p>)"),
        QStringLiteral(R"(  <p align="center"><input type="submit" name="B1" value="送信"></p>)"),
        QStringLiteral(R"(</form></body></html>)"),
    };
    QByteArray page;
    for (const QString& line : lines)
        page += cp932(line) + "\r\n";
    return page;
}

std::optional<Profile> readProfile(const QByteArray& bytes, QString& why)
{
    if (!bytes.endsWith("\r\n")) {
        why = QStringLiteral("the file does not end with CR LF");
        return std::nullopt;
    }
    Profile profile;
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size()) {
            if (!line.endsWith('\r')) {
                why = QStringLiteral("line %1 ends without CR LF").arg(i + 1);
                return std::nullopt;
            }
            line.chop(1);
        }
        if (line.contains('\r')) {
            why = QStringLiteral("line %1 holds a stray CR").arg(i + 1);
            return std::nullopt;
        }
        if (line.isEmpty())
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            profile.append({ line.mid(1, line.size() - 2), ProfileKeys() });
        } else if (line.contains('=') && !profile.isEmpty()) {
            const qsizetype eq = line.indexOf('=');
            profile.last().second.append({ line.left(eq), line.mid(eq + 1) });
        } else {
            why = QStringLiteral("line %1 is neither a section nor a key: %2")
                      .arg(i + 1)
                      .arg(QString::fromLatin1(line));
            return std::nullopt;
        }
    }
    return profile;
}

} // namespace zorvat::e2e
