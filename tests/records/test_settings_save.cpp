// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "faulty_calls.h"
#include "file_bytes.h"
#include "high_scores.h"
#include "ini_file.h"
#include "ini_text.h"
#include "rank_page.h"
#include "rank_page_file.h"
#include "rank_settings.h"
#include "records_copy.h"
#include "score_keeper.h"
#include "settings_folder.h"
#include "text_codec.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <random>

using namespace zorvat;
using namespace zorvat::testing;
using Call = FaultyCalls::Call;

namespace {

constexpr uid_t Nobody = 65534;

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A settings file made of pieces that the reading and writing must get right: sections and keys
// in any case and spacing, repeated ones, comments, every line break, code page 932 characters whole
// and cut, NULs, quotes, byte-order marks.
QByteArray fuzzedFile(std::mt19937& random)
{
    static const std::vector<std::string> pieces { "[hs_sc]", "[HS_SC]", "[ hs_sc ]", "[name]", "[Name]", "[pass]",
        "[other]", "[", "]", "sc1", "SC2", "sc3", "sc4", "sc5", "name1", "NAME2", "name3", "name4", "name5", "tp", "Tp",
        "=", " = ", "5", "-3", "0x10", "abc", "\r\n", "\r\n", "\r\n", "\n", "\r", ";", "; note", " ", "\t", "\x1a",
        std::string(1, '\0'), "\"", "'", "\x8e\x52\x93\x63", "\x83", "\x81\x40", "\x83\x5d", "\xef\xbb\xbf" };
    std::string text;
    const int count = std::uniform_int_distribution(0, 80)(random);
    for (int i = 0; i < count; ++i)
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    switch (std::uniform_int_distribution(0, 9)(random)) {
    case 0:
        return QByteArray::fromStdString("\xef\xbb\xbf" + validUtf8(text));
    case 1:
        return QByteArray::fromStdString("\xff\xfe" + toUtf16(validUtf8(text), std::endian::little));
    case 2:
        return QByteArray::fromStdString("\xfe\xff" + toUtf16(validUtf8(text), std::endian::big));
    default:
        return QByteArray::fromStdString(text);
    }
}

HighScores fuzzedTable(std::mt19937& random)
{
    // Some names no code page 932 file can hold, or no file at all.
    static const std::vector<std::string> names { "", "Rv-nq1", "山田　太郎", " Bob ", "\"q\"", "'", "a=b", "[x]", ";c",
        "ｶﾅ", "한", "¥", "x\ny" };
    static const std::vector<std::int32_t> scores { -5, 0, 1, 3, 5, 6, 20, 9999, INT_MIN, INT_MAX };
    HighScores table;
    for (int rank = 1; rank <= 5; ++rank) {
        table.HiScore[rank] = scores[std::uniform_int_distribution<std::size_t>(0, scores.size() - 1)(random)];
        table.HiName[rank] = names[std::uniform_int_distribution<std::size_t>(0, names.size() - 1)(random)];
    }
    table.PlayCount = std::uniform_int_distribution(-1, 100)(random);
    return table;
}

// Runs `body` in a child process as an unprivileged user (nobody, when the tests run as the
// superuser, who ignores permissions) and gives back what it returned, or why it did not.
QString asUnprivileged(const std::function<std::string()>& body)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        std::string result;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            result = "cannot become nobody";
        else
            result = body();
        [[maybe_unused]] const ssize_t written = ::write(ends[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    QByteArray result;
    char buffer[512];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? QString::fromUtf8(result) : QStringLiteral("the child crashed");
}

std::string errorOf(const std::function<void()>& step)
{
    try {
        step();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

Q_DECLARE_METATYPE(Call)

class TestSettingsSave : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void gameEndSavesTheBytesOfElevenSeparateWrites_data();
    void gameEndSavesTheBytesOfElevenSeparateWrites();
    void oneSaveEqualsElevenWritesOverAFuzzedCorpus();
    void aNulEndsAStoredNameAndTheNextSaveMendsIt();
    void namesThatAreNoPlainFileReadAsAbsentAndTakeNoSave_data();
    void namesThatAreNoPlainFileReadAsAbsentAndTakeNoSave();
    void failingSystemCallGivesOneBoxAndLeavesTheOldFile_data();
    void failingSystemCallGivesOneBoxAndLeavesTheOldFile();
    void readOnlyFolderWithWritableFilesAsAnUnprivilegedUser();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsSave::init()
{
    m_dir = std::make_unique<QTemporaryDir>(fastFolderTemplate());
}

void TestSettingsSave::gameEndSavesTheBytesOfElevenSeparateWrites_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("score");
    QList<QPair<QString, QByteArray>> fixtures {
        { QStringLiteral("no file"), QByteArray() },
        { QStringLiteral("LF lines, duplicate sections, keys in other cases"),
            "[NAME]\nNAME3 = x\n[hs_sc]\nsc5=-1\n[name]\nname1=dup\n" },
        { QStringLiteral("keys outside any section"), "sc1=99\r\nname1=a\r\n[pass]\ntp=7" },
    };
    for (QDirIterator it(QStringLiteral(ZORVAT_PROFILE_FIXTURES), QDir::Files); it.hasNext();) {
        const QString path = it.next();
        fixtures.append({ QFileInfo(path).fileName(), fileBytes(path) });
    }
    for (const auto& [name, bytes] : fixtures) {
        for (const int score : { 0, 4, 9 })
            QTest::addRow("%s, score %d", qPrintable(name), score) << bytes << score;
    }
}

void TestSettingsSave::gameEndSavesTheBytesOfElevenSeparateWrites()
{
    QFETCH(QByteArray, file);
    QFETCH(int, score);
    const QString saved = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    const QString reference = m_dir->filePath(QStringLiteral("reference/Zorvat.ini"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("reference")));
    if (!file.isNull()) {
        putFile(saved, file);
        putFile(reference, file);
    }
    RecordsCopy records(saved);
    records.prompt.answer = "新記録";
    records.keeper.hiscchk(score);
    elevenWriteGameEnd(reference, score, "新記録");
    QCOMPARE(fileBytes(saved), fileBytes(reference));
}

void TestSettingsSave::oneSaveEqualsElevenWritesOverAFuzzedCorpus()
{
    std::mt19937 random(20240611);
    const QString path = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    int saved = 0;
    for (int round = 0; round < 3000; ++round) {
        const QByteArray before = fuzzedFile(random);
        const HighScores table = fuzzedTable(random);
        putFile(path, before);
        TIniFile file(path.toStdString());
        bool referenceRefused = false;
        try {
            table.save(file);
        } catch (const Error&) {
            referenceRefused = true;
        }
        IniText text(before.toStdString(), "Zorvat.ini");
        bool refused = false;
        try {
            table.save(text);
        } catch (const Error&) {
            refused = true;
        }
        QVERIFY2(refused == referenceRefused, before.toHex(' ').constData());
        if (refused)
            continue;
        QVERIFY2(QByteArray::fromStdString(text.bytes()) == fileBytes(path), before.toHex(' ').constData());
        ++saved;
    }
    // The corpus must not be so hostile that nothing is ever saved.
    QVERIFY(saved > 1000);
}

void TestSettingsSave::aNulEndsAStoredNameAndTheNextSaveMendsIt()
{
    const QString path = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    static const char file[] = "[name]\r\nname1=ab\0cd\r\n[pass]\r\ntp=2\r\n";
    putFile(path, QByteArray(file, sizeof file - 1));
    RecordsCopy records(path);
    QCOMPARE(records.keeper.table().HiName[1], std::string("ab"));
    records.keeper.hiscchk(0);
    records.keeper.hiscchk(0);
    QVERIFY(fileBytes(path).startsWith("[name]\r\nname1=ab\r\nname2=Rv-nq2\r\n"));
    QCOMPARE(TIniFile(path.toStdString()).ReadInt("pass", "tp", 0), 4);
}

void TestSettingsSave::namesThatAreNoPlainFileReadAsAbsentAndTakeNoSave_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("socket") << "socket";
    QTest::newRow("link to a device") << "device";
}

void TestSettingsSave::namesThatAreNoPlainFileReadAsAbsentAndTakeNoSave()
{
    QFETCH(QString, kind);
    const QString path = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    const QByteArray name = QFile::encodeName(path);
    int socketFd = -1;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Zorvat.ini")));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(name.constData(), 0644), 0);
    } else if (kind == QLatin1String("socket")) {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", name.constData());
        QCOMPARE(::bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    }
    // A pipe opened to be read would wait for a writer for ever.
    ::alarm(20);
    RecordsCopy records(path);
    const std::string error = errorOf([&] { records.keeper.hiscchk(9); });
    ::alarm(0);
    if (socketFd >= 0)
        ::close(socketFd);

    QCOMPARE(records.keeper.table().HiScore[2], 5); // the default table, the game entered at rank 1
    QCOMPARE(records.keeper.table().PlayCount, 1);
    QCOMPARE(QString::fromStdString(error), QStringLiteral("Zorvat.ini に書き込めません"));
    struct stat st { };
    QCOMPARE(::lstat(name.constData(), &st), 0);
    QVERIFY(!S_ISREG(st.st_mode));
}

void TestSettingsSave::failingSystemCallGivesOneBoxAndLeavesTheOldFile_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<int>("error");
    for (const auto& [errorName, error] : SaveErrors) {
        for (const auto& [callName, call] : NewFileCalls)
            QTest::addRow("%s fails with %s", callName, errorName) << call << error;
    }
}

void TestSettingsSave::failingSystemCallGivesOneBoxAndLeavesTheOldFile()
{
    QFETCH(Call, call);
    QFETCH(int, error);
    const QString path = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    const QByteArray before = "[pass]\r\ntp=7\r\n";
    putFile(path, before);
    FaultyCalls calls(call, error, true);
    RecordsCopy records(path, calls);
    const std::string text = errorOf([&] { records.keeper.hiscchk(9); });
    QCOMPARE(QString::fromStdString(text), QStringLiteral("Zorvat.ini に書き込めません"));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(
        entries(m_dir->path()), (QStringList { QStringLiteral(".Zorvat.ini.lock"), QStringLiteral("Zorvat.ini") }));

    // The game goes on, and the next save that goes through counts this game too.
    calls.failing = Call::None;
    records.keeper.hiscchk(0);
    QCOMPARE(TIniFile(path.toStdString()).ReadInt("pass", "tp", 0), 9);
    QCOMPARE(TIniFile(path.toStdString()).ReadInt("hs_sc", "sc1", 0), 9);
}

void TestSettingsSave::readOnlyFolderWithWritableFilesAsAnUnprivilegedUser()
{
    // The folder stays the superuser's, or loses its write permission: either way the player
    // cannot make a file in it. One file in it may be written, the other may not.
    const QDir folder(m_dir->path());
    QVERIFY(folder.mkdir(QStringLiteral("managed")));
    const QString settings = folder.filePath(QStringLiteral("Zorvat.ini"));
    const QString page = folder.filePath(QStringLiteral("intsc.htm"));
    const QString locked = folder.filePath(QStringLiteral("managed/Zorvat.ini"));
    const QByteArray before = "; shared\r\n[pass]\r\ntp=41\r\n";
    putFile(settings, before);
    putFile(page, "an old page");
    putFile(locked, before);
    const QString reference = folder.filePath(QStringLiteral("reference.ini"));
    putFile(reference, before);
    elevenWriteGameEnd(reference, 9, "New");
    const QByteArray expected = fileBytes(reference);
    QVERIFY(QFile::remove(reference));

    const bool superuser = ::geteuid() == 0;
    for (const QString& path : { settings, page }) {
        const QByteArray name = QFile::encodeName(path);
        QCOMPARE(superuser ? ::chown(name.constData(), Nobody, Nobody) : ::chmod(name.constData(), 0644), 0);
    }
    QCOMPARE(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    for (const QString& path : { folder.path(), folder.filePath(QStringLiteral("managed")) })
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), superuser ? 0755 : 0555), 0);
    struct stat old { };
    QCOMPARE(::stat(QFile::encodeName(settings).constData(), &old), 0);

    const QString outcome = asUnprivileged([&] {
        if (::chdir(QFile::encodeName(folder.path()).constData()) != 0)
            return std::string("cannot enter the folder");
        RecordsCopy shared(settings);
        std::string result = errorOf([&] {
            shared.keeper.WriteRankPage(9);
            shared.keeper.hiscchk(9);
        });
        RecordsCopy managed(locked);
        return result + " / " + errorOf([&] { managed.keeper.hiscchk(9); });
    });
    QCOMPARE(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);

    QCOMPARE(outcome, QStringLiteral("no error / Zorvat.ini に書き込めません"));
    QCOMPARE(fileBytes(settings), expected);
    QCOMPARE(fileBytes(page), QByteArray::fromStdString(InternetRank::rankPageBytes(9, 41, InternetRank::RankUrl)));
    QCOMPARE(fileBytes(locked), before);
    struct stat now { };
    QCOMPARE(::stat(QFile::encodeName(settings).constData(), &now), 0);
    QCOMPARE(now.st_ino, old.st_ino);
    QCOMPARE(now.st_uid, old.st_uid);
    QCOMPARE(entries(folder.path()),
        (QStringList { QStringLiteral("intsc.htm"), QStringLiteral("managed"), QStringLiteral("Zorvat.ini") }));
}

QTEST_GUILESS_MAIN(TestSettingsSave)
#include "test_settings_save.moc"
