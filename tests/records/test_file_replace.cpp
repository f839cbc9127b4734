// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_replace.h"
#include "lowered_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The system error number of the replace, 0 when it went through.
int replace(const QString& path, std::string_view bytes, LinkHandling links = LinkHandling::Follow)
{
    return replaceFileContents(path.toStdString(), bytes, links).value();
}

unsigned mode(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

Q_DECLARE_METATYPE(LinkHandling)

class TestFileReplace : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void linkIsFollowedOrGivesWay_data();
    void linkIsFollowedOrGivesWay();
    void replacedFileKeepsItsPermissions_data();
    void replacedFileKeepsItsPermissions();
    void withoutWritePermissionFileAndFolderAreReadOnlyToEveryone_data();
    void withoutWritePermissionFileAndFolderAreReadOnlyToEveryone();
    void onlyAPlainFileIsReplaced();
    void missingFoldersAreMade();
    void failedWriteGivesTheSystemErrorAndLeavesTheOldFileAlone();

private:
    QStringList leftovers() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileReplace::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestFileReplace::cleanup()
{
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

QStringList TestFileReplace::leftovers() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestFileReplace::linkIsFollowedOrGivesWay_data()
{
    QTest::addColumn<LinkHandling>("links");
    QTest::addColumn<bool>("stillALink");
    QTest::addColumn<QByteArray>("pointedTo");
    QTest::newRow("followed: the file behind it changes") << LinkHandling::Follow << true << QByteArray("new");
    QTest::newRow("replaced: what it pointed to is untouched") << LinkHandling::Replace << false << QByteArray("old");
}

void TestFileReplace::linkIsFollowedOrGivesWay()
{
    QFETCH(LinkHandling, links);
    QFETCH(bool, stillALink);
    QFETCH(QByteArray, pointedTo);
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere"));
    const QString name = m_dir->filePath(QStringLiteral("page.htm"));
    put(elsewhere, "old");
    QVERIFY(QFile::link(elsewhere, name));

    QCOMPARE(replace(name, "new", links), 0);
    QCOMPARE(QFileInfo(name).isSymLink(), stillALink);
    QCOMPARE(contents(name), QByteArray("new"));
    QCOMPARE(contents(elsewhere), pointedTo);
    QCOMPARE(leftovers(), (QStringList { QStringLiteral("elsewhere"), QStringLiteral("page.htm") }));
}

void TestFileReplace::replacedFileKeepsItsPermissions_data()
{
    QTest::addColumn<LinkHandling>("links");
    QTest::newRow("settings file") << LinkHandling::Follow;
    QTest::newRow("ranking page") << LinkHandling::Replace;
}

void TestFileReplace::replacedFileKeepsItsPermissions()
{
    QFETCH(LinkHandling, links);
    const QString path = m_dir->filePath(QStringLiteral("file"));
    put(path, "old");
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    QCOMPARE(replace(path, "new", links), 0);
    QCOMPARE(contents(path), QByteArray("new"));
    QCOMPARE(mode(path), 0640u);
}

void TestFileReplace::withoutWritePermissionFileAndFolderAreReadOnlyToEveryone_data()
{
    QTest::addColumn<bool>("lockFolder");
    QTest::addColumn<LinkHandling>("links");
    QTest::newRow("read-only settings file") << false << LinkHandling::Follow;
    QTest::newRow("read-only page") << false << LinkHandling::Replace;
    QTest::newRow("settings file in a read-only folder") << true << LinkHandling::Follow;
    QTest::newRow("page in a read-only folder") << true << LinkHandling::Replace;
}

void TestFileReplace::withoutWritePermissionFileAndFolderAreReadOnlyToEveryone()
{
    QFETCH(bool, lockFolder);
    QFETCH(LinkHandling, links);
    // The superuser, whom the system lets through, is held to the same rule.
    const QString path = m_dir->filePath(QStringLiteral("file"));
    put(path, "old");
    if (lockFolder)
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    else
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    QCOMPARE(replace(path, "new", links), EACCES);
    QCOMPARE(contents(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });
}

void TestFileReplace::onlyAPlainFileIsReplaced()
{
    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(replace(folder, "new"), EISDIR);
    QVERIFY(QFileInfo(folder).isDir());

    const QString pipe = m_dir->filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    QCOMPARE(replace(pipe, "new", LinkHandling::Replace), EACCES);
    QCOMPARE(leftovers(), (QStringList { QStringLiteral("folder"), QStringLiteral("pipe") }));

    put(m_dir->filePath(QStringLiteral("plain")), "x");
    QVERIFY(replace(m_dir->filePath(QStringLiteral("plain/under")), "new") != 0);
    QCOMPARE(contents(m_dir->filePath(QStringLiteral("plain"))), QByteArray("x"));
}

void TestFileReplace::missingFoldersAreMade()
{
    const QString path = m_dir->filePath(QStringLiteral("config/zorvat/file"));
    QCOMPARE(replace(path, "new"), 0);
    QCOMPARE(contents(path), QByteArray("new"));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("config/zorvat"))).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("file") });
}

void TestFileReplace::failedWriteGivesTheSystemErrorAndLeavesTheOldFileAlone()
{
    // A file-size limit stops the write part-way, as a full disk would.
    const QString path = m_dir->filePath(QStringLiteral("file"));
    put(path, "old");
    int failed = 0;
    {
        LoweredLimit limit(RLIMIT_FSIZE, 64);
        QVERIFY(limit.held());
        failed = replace(path, std::string(100, 'y'), LinkHandling::Replace);
    }
    QCOMPARE(failed, EFBIG);
    QCOMPARE(contents(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList { QStringLiteral("file") });
}

QTEST_GUILESS_MAIN(TestFileReplace)
#include "test_file_replace.moc"
