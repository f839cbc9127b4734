// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_calls.h"
#include "file_bytes.h"
#include "file_writer.h"
#include "lowered_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

// The system error number of the replace, 0 when it went through.
int replace(const QString& path, std::string_view bytes, LinkHandling links = LinkHandling::Follow,
    const FileCalls& calls = FileCalls())
{
    return FileWriter(calls).replace(path.toStdString(), bytes, links).value();
}

unsigned mode(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

ino_t inode(const QString& path)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The user the tests hand files to when the superuser runs them.
constexpr uid_t Nobody = 65534;

} // namespace

using Call = FaultyCalls::Call;

Q_DECLARE_METATYPE(LinkHandling)
Q_DECLARE_METATYPE(Call)

class TestFileWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void replacedFileKeepsItsPermissions_data();
    void replacedFileKeepsItsPermissions();
    void withoutWritePermissionFileAndFolderAreReadOnlyToEveryone_data();
    void withoutWritePermissionFileAndFolderAreReadOnlyToEveryone();
    void onlyAPlainFileIsReplaced();
    void missingFoldersAreMade();
    void failedWriteGivesTheSystemErrorAndLeavesTheOldFileAlone();
    void aFolderThatTakesNoNewFileGetsAWritableFileWrittenInPlace_data();
    void aFolderThatTakesNoNewFileGetsAWritableFileWrittenInPlace();
    void eachFailingCallGivesItsErrorAndLeavesTheOldFile_data();
    void eachFailingCallGivesItsErrorAndLeavesTheOldFile();
    void linksAreFollowedOnlyWhenTheyAndTheirFileAreThePlayers_data();
    void linksAreFollowedOnlyWhenTheyAndTheirFileAreThePlayers();
    void temporaryFilesOfAKilledSaveGoAtTheNextOne();

private:
    QStringList leftovers() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestFileWriter::cleanup()
{
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

QStringList TestFileWriter::leftovers() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestFileWriter::replacedFileKeepsItsPermissions_data()
{
    QTest::addColumn<LinkHandling>("links");
    QTest::newRow("settings file") << LinkHandling::Follow;
    QTest::newRow("ranking page") << LinkHandling::Replace;
}

void TestFileWriter::replacedFileKeepsItsPermissions()
{
    QFETCH(LinkHandling, links);
    const QString path = m_dir->filePath(QStringLiteral("file"));
    putFile(path, "old");
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    QCOMPARE(replace(path, "new", links), 0);
    QCOMPARE(fileBytes(path), QByteArray("new"));
    QCOMPARE(mode(path), 0640u);
}

void TestFileWriter::withoutWritePermissionFileAndFolderAreReadOnlyToEveryone_data()
{
    QTest::addColumn<bool>("lockFolder");
    QTest::addColumn<LinkHandling>("links");
    QTest::newRow("read-only settings file") << false << LinkHandling::Follow;
    QTest::newRow("read-only page") << false << LinkHandling::Replace;
    QTest::newRow("read-only settings file in a read-only folder") << true << LinkHandling::Follow;
    QTest::newRow("read-only page in a read-only folder") << true << LinkHandling::Replace;
}

void TestFileWriter::withoutWritePermissionFileAndFolderAreReadOnlyToEveryone()
{
    QFETCH(bool, lockFolder);
    QFETCH(LinkHandling, links);
    // The superuser, whom the system lets through, is held to the same rule.
    const QString path = m_dir->filePath(QStringLiteral("file"));
    putFile(path, "old");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    if (lockFolder)
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(replace(path, "new", links), EACCES);
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });
}

void TestFileWriter::onlyAPlainFileIsReplaced()
{
    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(replace(folder, "new"), EISDIR);
    QVERIFY(QFileInfo(folder).isDir());

    const QString pipe = m_dir->filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    QCOMPARE(replace(pipe, "new", LinkHandling::Replace), EACCES);
    QCOMPARE(leftovers(), (QStringList { QStringLiteral("folder"), QStringLiteral("pipe") }));

    putFile(m_dir->filePath(QStringLiteral("plain")), "x");
    QVERIFY(replace(m_dir->filePath(QStringLiteral("plain/under")), "new") != 0);
    QCOMPARE(fileBytes(m_dir->filePath(QStringLiteral("plain"))), QByteArray("x"));
}

void TestFileWriter::missingFoldersAreMade()
{
    const QString path = m_dir->filePath(QStringLiteral("config/zorvat/file"));
    QCOMPARE(replace(path, "new"), 0);
    QCOMPARE(fileBytes(path), QByteArray("new"));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("config/zorvat"))).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("file") });
}

void TestFileWriter::failedWriteGivesTheSystemErrorAndLeavesTheOldFileAlone()
{
    // A file-size limit stops the write part-way, as a full disk would.
    const QString path = m_dir->filePath(QStringLiteral("file"));
    putFile(path, "old");
    int failed = 0;
    {
        LoweredLimit limit(RLIMIT_FSIZE, 64);
        QVERIFY(limit.held());
        failed = replace(path, std::string(100, 'y'), LinkHandling::Replace);
    }
    QCOMPARE(failed, EFBIG);
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });
}

void TestFileWriter::aFolderThatTakesNoNewFileGetsAWritableFileWrittenInPlace_data()
{
    QTest::addColumn<LinkHandling>("links");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("settings file growing") << LinkHandling::Follow << QByteArray("a longer new text");
    QTest::newRow("settings file shrinking") << LinkHandling::Follow << QByteArray("new");
    QTest::newRow("ranking page") << LinkHandling::Replace << QByteArray("new page");
}

void TestFileWriter::aFolderThatTakesNoNewFileGetsAWritableFileWrittenInPlace()
{
    QFETCH(LinkHandling, links);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir->filePath(QStringLiteral("file"));
    putFile(path, "the old text");
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const ino_t before = inode(path);
    // Read-only to the superuser too, who could otherwise make the new file beside it.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(replace(path, bytes.toStdString(), links), 0);
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(inode(path), before);
    QCOMPARE(mode(path), 0640u);
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });

    // A file that is not there yet cannot be made.
    QCOMPARE(replace(m_dir->filePath(QStringLiteral("new")), "x", links), EACCES);
}

void TestFileWriter::eachFailingCallGivesItsErrorAndLeavesTheOldFile_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<Call>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray longer = "a new text longer than the old one";
    const QByteArray shorter = "new";
    const std::pair<const char*, Call> inPlace[] = { { "open", Call::Open }, { "reserve", Call::Reserve },
        { "write", Call::Write }, { "truncate", Call::Truncate }, { "fsync", Call::Fsync }, { "close", Call::Close } };
    for (const auto& [errorName, error] : SaveErrors) {
        for (const auto& [callName, call] : NewFileCalls)
            QTest::addRow("new file, %s fails with %s", callName, errorName) << false << call << error << longer;
        for (const auto& [callName, call] : inPlace) {
            // Space is taken only for a text that grows, and cut only from one that shrinks.
            const QByteArray bytes = call == Call::Truncate ? shorter : longer;
            QTest::addRow("in place, %s fails with %s", callName, errorName) << true << call << error << bytes;
        }
    }
}

void TestFileWriter::eachFailingCallGivesItsErrorAndLeavesTheOldFile()
{
    QFETCH(bool, inPlace);
    QFETCH(Call, call);
    QFETCH(int, error);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir->filePath(QStringLiteral("file"));
    putFile(path, "the old text");
    if (inPlace)
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    // Failing every time it is made: a step that fails once fails again when the old text is put back.
    const FaultyCalls calls(call, error, true);
    QCOMPARE(replace(path, bytes.toStdString(), LinkHandling::Follow, calls), error);
    QVERIFY(calls.failures > 0);
    QCOMPARE(fileBytes(path), QByteArray("the old text"));
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });
    QCOMPARE(replace(path, bytes.toStdString()), 0);
    QCOMPARE(fileBytes(path), bytes);
}

void TestFileWriter::linksAreFollowedOnlyWhenTheyAndTheirFileAreThePlayers_data()
{
    QTest::addColumn<LinkHandling>("links");
    QTest::addColumn<bool>("linkOfAnother");
    QTest::addColumn<bool>("fileOfAnother");
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<int>("error");
    const auto row
        = [](const char* name, LinkHandling links, bool linkOfAnother, bool fileOfAnother, bool dangling, int error) {
              QTest::newRow(name) << links << linkOfAnother << fileOfAnother << dangling << error;
          };
    const auto Follow = LinkHandling::Follow;
    row("the player's link to the player's file: the file behind it changes", Follow, false, false, false, 0);
    row("the player's dangling link: the file is made where it points", Follow, false, false, true, 0);
    row("another user's link", Follow, true, false, false, EACCES);
    row("the player's link to another user's file", Follow, false, true, false, EACCES);
    row("a link that gives way: what it pointed to is untouched", LinkHandling::Replace, false, false, false, 0);
}

void TestFileWriter::linksAreFollowedOnlyWhenTheyAndTheirFileAreThePlayers()
{
    QFETCH(LinkHandling, links);
    QFETCH(bool, linkOfAnother);
    QFETCH(bool, fileOfAnother);
    QFETCH(bool, dangling);
    QFETCH(int, error);
    if ((linkOfAnother || fileOfAnother) && ::geteuid() != 0)
        QSKIP("only the superuser can hand a file to another user");
    const QString pointedTo = m_dir->filePath(QStringLiteral("elsewhere"));
    const QString name = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    if (!dangling)
        putFile(pointedTo, "old");
    QVERIFY(QFile::link(pointedTo, name));
    if (fileOfAnother)
        QCOMPARE(::chown(QFile::encodeName(pointedTo).constData(), Nobody, Nobody), 0);
    if (linkOfAnother)
        QCOMPARE(::lchown(QFile::encodeName(name).constData(), Nobody, Nobody), 0);

    QCOMPARE(replace(name, "new", links), error);
    const bool followed = links == LinkHandling::Follow;
    QCOMPARE(QFileInfo(name).isSymLink(), followed);
    QCOMPARE(fileBytes(name), QByteArray(error ? "old" : "new"));
    QCOMPARE(fileBytes(pointedTo), QByteArray(followed && !error ? "new" : "old"));
    QCOMPARE(leftovers(), (QStringList { QStringLiteral("elsewhere"), QStringLiteral("Zorvat.ini") }));
}

void TestFileWriter::temporaryFilesOfAKilledSaveGoAtTheNextOne()
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    QVERIFY(ended > 0);
    QCOMPARE(::waitpid(ended, nullptr, 0), ended);
    const QString path = m_dir->filePath(QStringLiteral("Zorvat.ini"));
    const QString abandoned = QStringLiteral(".Zorvat.ini.%1.123.0.tmp").arg(ended);
    // Process 1 always runs: a copy of the game that is saving right now keeps its temporary file.
    const QString saving = QStringLiteral(".Zorvat.ini.1.123.0.tmp");
    const QString foreign = QStringLiteral(".Zorvat.ini.notes.tmp");
    for (const QString& name : { abandoned, saving, foreign })
        putFile(m_dir->filePath(name), "part");
    QCOMPARE(replace(path, "new"), 0);
    QCOMPARE(leftovers(), (QStringList { saving, foreign, QStringLiteral("Zorvat.ini") }));
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "test_file_writer.moc"
