// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "ini_file.h"
#include "lowered_limit.h"
#include "settings_folder.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace zorvat;
using namespace zorvat::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

// "山田" and "太郎" in code page 932.
const QByteArray Yamada = "\x8e\x52\x93\x63";
const QByteArray Taro = "\x91\xbe\x98\x59";

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void readsFilesAsTheDesktopWritesThem_data();
    void readsFilesAsTheDesktopWritesThem();
    void readStopsAt1023BytesWithoutSplittingACharacter_data();
    void readStopsAt1023BytesWithoutSplittingACharacter();
    void missingOrUnreadableFileGivesTheDefaultAndCreatesNothing();

    void writeChangesOnlyItsOwnLine_data();
    void writeChangesOnlyItsOwnLine();
    void firstWriteCreatesCodePage932WithCrLfAndNoByteOrderMark();
    void filesWithAByteOrderMarkKeepTheirEncoding_data();
    void filesWithAByteOrderMarkKeepTheirEncoding();
    void writtenValuesReadBackExactly_data();
    void writtenValuesReadBackExactly();
    void writeRefusesWhatTheFileCannotHoldAndLeavesItAlone_data();
    void writeRefusesWhatTheFileCannotHoldAndLeavesItAlone();
    void writeIntIsPlainDecimal();

    void readOnlyFileGivesTheErrorAndStaysIntact();
    void unwritableFolderTakesNoNewFileButAWritableOneIsWrittenInPlace();
    void fullDiskLeavesTheOldFileWhole();
    void writeKeepsPermissionsAndFollowsALink();

    void fileLivesInTheConfigurationFolderWhichIsMadeWhenMissing();

    void integerConversionFollowsTheSettingsRules_data();
    void integerConversionFollowsTheSettingsRules();

private:
    QStringList leftovers() const;

    SettingsFolder m_folder;
};

void TestIniFile::init()
{
    m_folder.clear();
}

QStringList TestIniFile::leftovers() const
{
    return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestIniFile::readsFilesAsTheDesktopWritesThem_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QByteArray& file, const char* section, const char* key,
                         const QString& expected = QStringLiteral("<default>")) {
        QTest::newRow(name) << file << QString::fromUtf8(section) << QString::fromUtf8(key) << expected;
    };

    row("Shift-JIS value", "[name]\r\nname1=" + Yamada + "\r\n", "name", "name1", u"山田"_s);
    row("LF and lone CR end lines", "[s]\na=1\r[t]\rb=2", "t", "b", "2");
    row("blanks around names and values", " \t[ s ] \r\n\r\n\x0b a \t= \t1 \x1a\r\n", "s", "a", "1");
    row("ideographic space is kept", "[s]\r\na=\x81\x40x\x81\x40\r\n", "s", "a", u"　x　"_s);
    row("ASCII names in any case", "[HS_sc]\r\nSc1=9\r\n", "hs_SC", "sC1", "9");
    row("second byte of a double-byte name is no letter", "[s]\r\n\x83\x41=1\r\n", "s", "ヂ");
    row("full-width letters do not fold", "[s]\r\n\x82\x60=1\r\n", "s", "ａ");
    row("first of duplicate sections wins", "[s]\r\na=1\r\n[S]\r\na=2\r\nb=3\r\n", "s", "b");
    row("first of duplicate keys wins", "[s]\r\na=1\r\nA=2\r\n", "s", "a", "1");
    row("key without = gives the default", "[s]\r\na\r\na=5\r\n", "s", "a");
    row("empty value is empty, not the default", "[s]\r\na=\r\n", "s", "a", "");
    row("value runs from the first =", "[s]\r\na = b=c\r\n", "s", "a", "b=c");
    row("one pair of double quotes goes", "[s]\r\na=\"\" x \"\"\r\n", "s", "a", "\" x \"");
    row("single quotes go too", "[s]\r\na='y'\r\n", "s", "a", "y");
    row("unmatched quotes stay", "[s]\r\na=\"y'\r\n", "s", "a", "\"y'");
    row("a lone quote stays", "[s]\r\na=\"\r\n", "s", "a", "\"");
    row("section name runs to the last ]", "[a]b] x\r\nk=1\r\n", "a]b", "k", "1");
    row("section without ]", "[abc\r\nk=1\r\n", "abc", "k", "1");
    row("second byte 5D is no ]", "[\x83\x5d\r\nk=1\r\n", "ゾ", "k", "1");
    row("keys before any section belong to none", "k=1\r\n[s]\r\n", "s", "k");
    row("comment lines are keys without =", ";a=b\r\n[s]\r\n; note\r\nk=1\r\n", "s", "k", "1");
    row("bytes without a character read as ?", "[s]\r\na=x\x85\x40y\r\n", "s", "a", "x?y");
    row("UTF-8 byte-order mark", "\xef\xbb\xbf[name]\r\nname1=山田\r\n", "name", "name1", u"山田"_s);
    row("UTF-16LE byte-order mark", "\xff\xfe" + utf16(u"[name]\r\nname1=한글\r\n"_s, QStringConverter::Utf16LE),
        "name", "name1", u"한글"_s);
    row("UTF-16BE byte-order mark", "\xfe\xff" + utf16(u"[name]\r\nname1=山田\r\n"_s, QStringConverter::Utf16BE),
        "name", "name1", u"山田"_s);
    row("missing section", "[t]\r\na=1\r\n", "s", "a");
}

void TestIniFile::readsFilesAsTheDesktopWritesThem()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    m_folder.put(file);
    const TIniFile ini(m_folder.iniPath().toStdString());
    QCOMPARE(QString::fromStdString(ini.ReadText(section.toStdString(), key.toStdString(), "<default>")), expected);
}

void TestIniFile::readStopsAt1023BytesWithoutSplittingACharacter_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("single bytes") << "[s]\r\na=" + QByteArray(1100, 'x') << QString(1023, 'x');
    QTest::newRow("double bytes ending on the limit")
        << "[s]\r\na=x" + QByteArray("\x82\xa0").repeated(600) << "x" + QString(u"あ"_s).repeated(511);
    QTest::newRow("double byte across the limit")
        << "[s]\r\na=" + QByteArray("\x82\xa0").repeated(600) << QString(u"あ"_s).repeated(511);
    QTest::newRow("UTF-8 file counts as code page 932")
        << "\xef\xbb\xbf[s]\r\na=x" + QString(u"あ"_s).repeated(600).toUtf8() << "x" + QString(u"あ"_s).repeated(511);
}

void TestIniFile::readStopsAt1023BytesWithoutSplittingACharacter()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    m_folder.put(file);
    QCOMPARE(QString::fromStdString(TIniFile(m_folder.iniPath().toStdString()).ReadText("s", "a", "")), expected);
}

void TestIniFile::missingOrUnreadableFileGivesTheDefaultAndCreatesNothing()
{
    const TIniFile ini(m_folder.iniPath().toStdString());
    QCOMPARE(ini.ReadText("name", "name1", "Rv-nq1  \t"), std::string("Rv-nq1"));
    QCOMPARE(ini.ReadText("name", "name1", "  lead"), std::string("  lead"));
    QCOMPARE(ini.ReadInt("hs_sc", "sc1", 5), 5);
    QVERIFY(!QFile::exists(m_folder.iniPath()));

    QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("Zorvat.ini")));
    QCOMPARE(ini.ReadInt("pass", "tp", 7), 7);
    TIniFile writer(m_folder.iniPath().toStdString());
    QVERIFY_THROWS_EXCEPTION(Error, writer.WriteInt("pass", "tp", 1));
    QVERIFY(QDir(m_folder.path()).rmdir(QStringLiteral("Zorvat.ini")));
}

void TestIniFile::writeChangesOnlyItsOwnLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    const auto row = [](const char* name, const QByteArray& before, const char* section, const char* key,
                         const char* value, const QByteArray& after) {
        QTest::newRow(name) << before << QString::fromUtf8(section) << QString::fromUtf8(key)
                            << QString::fromUtf8(value) << after;
    };

    row("value replaced where it stands, key keeps its spelling", ";top\r\n[HS_SC]\r\n  SC1 = 3 \r\nsc2=4\r\n", "hs_sc",
        "sc1", "12", ";top\r\n[HS_SC]\r\nSC1=12\r\nsc2=4\r\n");
    row("new key after the section's last entry, before its blank lines", "[s]\r\na=1\r\n\r\n[t]\r\nx=1\r\n", "s", "b",
        "2", "[s]\r\na=1\r\nb=2\r\n\r\n[t]\r\nx=1\r\n");
    row("new key in an empty section", "[s]\r\n[t]\r\n", "s", "a", "1", "[s]\r\na=1\r\n[t]\r\n");
    row("new key after a last line without a break", "[s]\r\na=1", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n");
    row("new section at the end", "[t]\r\nx=1", "s", "a", "1", "[t]\r\nx=1\r\n[s]\r\na=1\r\n");
    row("key without = gets its value", "[s]\r\na\r\n", "s", "a", "1", "[s]\r\na=1\r\n");
    row("only the first of duplicate sections changes", "[s]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "b", "3",
        "[s]\r\na=1\r\nb=3\r\n[s]\r\nb=2\r\n");
    row("LF lines of others stay LF", "[s]\n;c\na=1\nz\n", "s", "a", "2", "[s]\n;c\na=2\nz\n");
    row("Shift-JIS lines and other programs' keys stay", "[name]\r\nname1=" + Yamada + "\r\nother=" + Taro + "\r\n",
        "name", "name1", "太郎", "[name]\r\nname1=" + Taro + "\r\nother=" + Taro + "\r\n");
}

void TestIniFile::writeChangesOnlyItsOwnLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    m_folder.put(before);
    TIniFile(m_folder.iniPath().toStdString()).WriteText(section.toStdString(), key.toStdString(), value.toStdString());
    QCOMPARE(m_folder.contents(), after);
    QCOMPARE(leftovers(), QStringList { QStringLiteral("Zorvat.ini") });
}

void TestIniFile::firstWriteCreatesCodePage932WithCrLfAndNoByteOrderMark()
{
    TIniFile ini(m_folder.iniPath().toStdString());
    ini.WriteInt("hs_sc", "sc1", 5);
    ini.WriteText("name", "name1", "山田");
    ini.WriteInt("hs_sc", "sc2", 4);
    QCOMPARE(m_folder.contents(), "[hs_sc]\r\nsc1=5\r\nsc2=4\r\n[name]\r\nname1=" + Yamada + "\r\n");
}

void TestIniFile::filesWithAByteOrderMarkKeepTheirEncoding_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-8") << QByteArray("\xef\xbb\xbf") << int(QStringConverter::Utf8);
    QTest::newRow("UTF-16LE") << QByteArray("\xff\xfe") << int(QStringConverter::Utf16LE);
    QTest::newRow("UTF-16BE") << QByteArray("\xfe\xff") << int(QStringConverter::Utf16BE);
}

void TestIniFile::filesWithAByteOrderMarkKeepTheirEncoding()
{
    QFETCH(QByteArray, bom);
    QFETCH(int, encoding);
    const auto enc = static_cast<QStringConverter::Encoding>(encoding);
    m_folder.put(bom + utf16(u"; 🎲 メモ\r\n[name]\r\nname1=x\r\n"_s, enc));
    TIniFile ini(m_folder.iniPath().toStdString());
    // Characters that code page 932 lacks fit in a Unicode file.
    ini.WriteText("name", "name1", "한글 🎲");
    QCOMPARE(m_folder.contents(), bom + utf16(u"; 🎲 メモ\r\n[name]\r\nname1=한글 🎲\r\n"_s, enc));
    QCOMPARE(ini.ReadText("name", "name1", ""), std::string("한글 🎲"));
}

void TestIniFile::writtenValuesReadBackExactly_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks at both ends") << "  Bob \t";
    QTest::newRow("already quoted") << "\"Bob\"";
    QTest::newRow("single-quoted") << "'x'";
    QTest::newRow("one quote") << "\"";
    QTest::newRow("line-like text") << "[hs_sc] a=b ;c";
    QTest::newRow("ideographic spaces") << "　山田　";
    QTest::newRow("255 bytes") << QString(u"あ"_s).repeated(127) + "x";
}

void TestIniFile::writtenValuesReadBackExactly()
{
    QFETCH(QString, value);
    m_folder.put("[name]\r\nname1=" + Yamada + "\r\n");
    TIniFile ini(m_folder.iniPath().toStdString());
    ini.WriteText("name", "name1", value.toStdString());
    QCOMPARE(QString::fromStdString(ini.ReadText("name", "name1", "<default>")), value);
}

void TestIniFile::writeRefusesWhatTheFileCannotHoldAndLeavesItAlone_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* name, const char* section, const char* key, const char* value) {
        QTest::newRow(name) << QString::fromUtf8(section) << QString::fromUtf8(key) << QString::fromUtf8(value);
    };

    row("line break in a value", "name", "name1", "a\r\nsc1=99");
    row("character without a code page 932 form", "name", "name1", "한");
    row("character code page 932 would give back changed", "name", "name1", "¥");
    row("= in a key", "name", "a=b", "1");
    row("key that would read as a section", "name", "[x", "1");
    row("blank at the end of a key", "name", "k ", "1");
    row("line break in a section", "a\nb", "k", "1");
}

void TestIniFile::writeRefusesWhatTheFileCannotHoldAndLeavesItAlone()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray before = "[name]\r\nname1=" + Yamada + "\r\n";
    m_folder.put(before);
    TIniFile ini(m_folder.iniPath().toStdString());
    try {
        ini.WriteText(section.toStdString(), key.toStdString(), value.toStdString());
        QFAIL("the write went through");
    } catch (const Error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Zorvat.ini に書き込めません"));
    }
    QCOMPARE(m_folder.contents(), before);
}

void TestIniFile::writeIntIsPlainDecimal()
{
    TIniFile ini(m_folder.iniPath().toStdString());
    ini.WriteInt("s", "a", -5);
    ini.WriteInt("s", "b", 0);
    ini.WriteInt("s", "c", INT32_MIN);
    ini.WriteInt("s", "d", 2147483647);
    QCOMPARE(m_folder.contents(), QByteArray("[s]\r\na=-5\r\nb=0\r\nc=-2147483648\r\nd=2147483647\r\n"));
}

void TestIniFile::readOnlyFileGivesTheErrorAndStaysIntact()
{
    const QByteArray before = "[pass]\r\ntp=3\r\n";
    m_folder.put(before);
    QVERIFY(QFile::setPermissions(m_folder.iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    TIniFile ini(m_folder.iniPath().toStdString());
    QVERIFY_THROWS_EXCEPTION(Error, ini.WriteInt("pass", "tp", 4));
    QCOMPARE(m_folder.contents(), before);
    QCOMPARE(leftovers(), QStringList { QStringLiteral("Zorvat.ini") });
    QVERIFY(QFile::setPermissions(m_folder.iniPath(), QFile::ReadOwner | QFile::WriteOwner));
}

void TestIniFile::unwritableFolderTakesNoNewFileButAWritableOneIsWrittenInPlace()
{
    // A folder that cannot be made, whoever runs the test.
    m_folder.put("x");
    TIniFile underAFile((m_folder.iniPath() + "/sub/Zorvat.ini").toStdString());
    QVERIFY_THROWS_EXCEPTION(Error, underAFile.WriteInt("pass", "tp", 1));

    // A folder without write permission, read-only to the superuser too, takes no new file; a
    // writable file already there is written in place.
    QTemporaryDir locked;
    const QString path = locked.filePath(QStringLiteral("Zorvat.ini"));
    TIniFile ini(path.toStdString());
    ini.WriteInt("pass", "tp", 1);
    QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
    TIniFile newFile(locked.filePath(QStringLiteral("Other.ini")).toStdString());
    QVERIFY_THROWS_EXCEPTION(Error, newFile.WriteInt("pass", "tp", 2));
    ini.WriteInt("pass", "tp", 2);
    QCOMPARE(ini.ReadInt("pass", "tp", 0), 2);
    QCOMPARE(QDir(locked.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("Zorvat.ini") });
    QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestIniFile::fullDiskLeavesTheOldFileWhole()
{
    // A file-size limit makes every write past it fail as a full disk would.
    const QByteArray before = "[name]\r\nname1=" + QByteArray(100, 'x') + "\r\n";
    m_folder.put(before);
    bool failed = false;
    {
        LoweredLimit limit(RLIMIT_FSIZE, 64);
        QVERIFY(limit.held());
        try {
            TIniFile(m_folder.iniPath().toStdString()).WriteText("name", "name1", std::string(100, 'y'));
        } catch (const Error&) {
            failed = true;
        }
    }
    QVERIFY(failed);
    QCOMPARE(m_folder.contents(), before);
    QCOMPARE(leftovers(), QStringList { QStringLiteral("Zorvat.ini") });
}

void TestIniFile::writeKeepsPermissionsAndFollowsALink()
{
    const QString real = m_folder.filePath(QStringLiteral("real.ini"));
    QFile file(real);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[pass]\r\ntp=1\r\n");
    file.close();
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QFile::link(real, m_folder.iniPath()));

    TIniFile(m_folder.iniPath().toStdString()).WriteInt("pass", "tp", 2);
    QVERIFY(QFileInfo(m_folder.iniPath()).isSymLink());
    QCOMPARE(QFile::permissions(real) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(m_folder.contents(), QByteArray("[pass]\r\ntp=2\r\n"));
    QFile::remove(real);
}

void TestIniFile::fileLivesInTheConfigurationFolderWhichIsMadeWhenMissing()
{
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    const QString config = m_folder.filePath(QStringLiteral("config/zorvat-test"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("HOME", m_folder.path().toUtf8());
    const std::filesystem::path configured = TIniFile::defaultLocation();
    qputenv("XDG_CONFIG_HOME", "relative/folder");
    const std::filesystem::path relativeIgnored = TIniFile::defaultLocation();
    qunsetenv("XDG_CONFIG_HOME");
    const std::filesystem::path unset = TIniFile::defaultLocation();
    qputenv("XDG_CONFIG_HOME", savedConfig);
    qputenv("HOME", savedHome);

    QCOMPARE(QString::fromStdString(configured.string()), config + "/Zorvat.ini");
    QCOMPARE(QString::fromStdString(relativeIgnored.string()), m_folder.path() + "/.config/Zorvat.ini");
    QCOMPARE(QString::fromStdString(unset.string()), m_folder.path() + "/.config/Zorvat.ini");

    TIniFile ini(configured);
    ini.WriteInt("pass", "tp", 1);
    QCOMPARE(ini.ReadInt("pass", "tp", 0), 1);
}

void TestIniFile::integerConversionFollowsTheSettingsRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    const int d = -777;
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("leading spaces") << "   42" << 42;
    QTest::newRow("leading tab") << "\t42" << d;
    QTest::newRow("trailing space") << "42 " << d;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("minus") << "-5" << -5;
    QTest::newRow("leading zeros") << "-0000000000000000000012" << -12;
    QTest::newRow("smallest") << "-2147483648" << INT32_MIN;
    QTest::newRow("largest") << "2147483647" << INT32_MAX;
    QTest::newRow("one past the largest") << "2147483648" << d;
    QTest::newRow("one past the smallest") << "-2147483649" << d;
    QTest::newRow("far out of range") << "3000000000" << d;
    QTest::newRow("sign alone") << "-" << d;
    QTest::newRow("two signs") << "+-1" << d;
    QTest::newRow("letters after") << "12abc" << d;
    QTest::newRow("letters") << "abc" << d;
    QTest::newRow("empty") << "" << d;
    QTest::newRow("dollar hex") << "$1A" << 26;
    QTest::newRow("0x hex") << "0x10" << 16;
    QTest::newRow("0X hex, mixed case") << "0XfF" << 255;
    QTest::newRow("all ones is -1") << "$FFFFFFFF" << -1;
    QTest::newRow("top bit") << "0x80000000" << INT32_MIN;
    QTest::newRow("hex leading zeros") << "$0000000000FF" << 255;
    QTest::newRow("more than 32 bits") << "$100000000" << d;
    QTest::newRow("dollar alone") << "$" << d;
    QTest::newRow("0x alone") << "0x" << d;
    QTest::newRow("sign before dollar") << "-$10" << d;
    QTest::newRow("sign after 0x") << "0x-1" << d;
    QTest::newRow("spaces before dollar") << "  $10" << 16;
    QTest::newRow("spaces before 0x") << " 0x10" << d;
    QTest::newRow("hex digit out of range") << "$1G" << d;
    QTest::newRow("full-width digits") << "１２" << d;
}

void TestIniFile::integerConversionFollowsTheSettingsRules()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(StrToIntDef(text.toStdString(), -777), expected);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
