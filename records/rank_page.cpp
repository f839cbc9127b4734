// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_page.h"

#include "check_code.h"
#include "text_codec.h"

#include <string>

namespace zorvat::InternetRank {

namespace {

std::string decimal(std::int32_t value)
{
    return std::to_string(value);
}

} // namespace

std::string rankPageBytes(std::int32_t Score, std::int32_t PlayCount, std::string_view url, CheckNumbers check)
{
    const std::string score = decimal(Score);
    const std::string lines[] = {
        R"(<html><head><title>Rekvan</title></head>)",
        R"(<body bgcolor="#000000" text="#C0C0C0">)",
        R"(<p align="center"><font color="#FF0000" size="6"><strong>Zorvat</strong></font></p>)",
        R"(<p align="center"><font color="#FFFFFF" size="4"><strong>)",
        R"(インターネット・タイムアタック・ランキング　登録フォーム</strong></font></p>)",
        R"(<p align="center">登録する場合はインターネットに接続後</p>)",
        R"(<p align="center">必要事項を入力し送信ボタンを押して下さい。</p>)",
        R"(<p align="center">CGIによりリアルタイムでランキング集計されます。</p>)",
        R"(<p align="center">（注）タイムを書き換えて送信した場合は無効となります。</p>)",
        R"(<p align="center"><font color="#FFFF00" size="4"><strong></strong></font>　</p>)",
        R"(<p align="center"><font color="#FFFF00" size="4"><strong>スコア：)" + score + "点",
        R"(</strong></font></p>)",
        R"(<FORM METHOD="POST" ACTION=)",
        std::string("\"").append(url).append("\">"),
        R"(  <INPUT TYPE="hidden" NAME="sc" VALUE=")" + score + "\" >",
        R"(  <INPUT TYPE="hidden" NAME="play" VALUE=")" + decimal(PlayCount) + "\" >",
        R"(  <INPUT TYPE="hidden" NAME="pass" VALUE=")" + decimal(CheckCode(Score, check)) + "\" >",
        "\t"
        R"(<p align="center">名前：<input type="text" size="20" name="name"></p>)",
        R"(  <p align="center">一言：<input type="text" size="54" name="com"></p>)",
        R"(  <p align="center"><input type="submit" name="B1" value="送信"></p>)",
        R"(</form></body></html>)",
    };
    std::string page;
    for (const std::string& line : lines)
        page += toCp932OrThrow(line) + "\r\n";
    return page;
}

} // namespace zorvat::InternetRank
