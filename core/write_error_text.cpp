// SPDX-License-Identifier: GPL-3.0-or-later
#include "write_error_text.h"

#include <cerrno>

namespace zorvat::InternetRank {

std::string writeErrorText(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return "ﾌｧｲﾙが見つかりません";
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return "不正なﾌｧｲﾙ名です";
    case EMFILE:
    case ENFILE:
        return "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "ﾃﾞｨｽｸがいっぱいです";
    default:
        return "I/O ｴﾗｰ (" + std::to_string(errnoValue) + ")";
    }
}

} // namespace zorvat::InternetRank

namespace zorvat {

std::string cannotWriteText(std::string_view fileName)
{
    return std::string(fileName) + " に書き込めません";
}

} // namespace zorvat
