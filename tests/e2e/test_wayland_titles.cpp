// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"
#include "main_window.h"
#include "name_prompt_dialog.h"
#include "pictures.h"
#include "records_window.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>

using namespace zorvat;

namespace {

QTemporaryDir* runtime = nullptr; // the private compositor's folder: its socket and the screenshots

/** The whole screen of the private compositor as it is now. */
QImage screenshot()
{
    QProcess shooter;
    shooter.setWorkingDirectory(runtime->path());
    shooter.start(QStringLiteral("weston-screenshooter"), QStringList());
    shooter.waitForFinished(10000);
    QImage image;
    for (const QString& file : QDir(runtime->path()).entryList({ QStringLiteral("*.png") })) {
        image.load(runtime->filePath(file));
        QFile::remove(runtime->filePath(file));
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

/** Where `content` stands on `screen`, pixel for pixel; both are RGB32. */
std::optional<QPoint> find(const QImage& screen, const QImage& content)
{
    const int rowBytes = 4 * content.width();
    for (int y = 0; y + content.height() <= screen.height(); ++y) {
        for (int x = 0; x + content.width() <= screen.width(); ++x) {
            int row = 0;
            while (row < content.height()
                && std::memcmp(screen.constScanLine(y + row) + 4 * x, content.constScanLine(row), rowBytes) == 0)
                ++row;
            if (row == content.height())
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

/** How many columns of `region` hold lettering: pixels well apart from the title bar's light grey. */
int letteredColumns(const QImage& image, QRect region)
{
    int columns = 0;
    for (int x = region.left(); x <= region.right(); ++x) {
        bool lettered = false;
        for (int y = region.top(); y <= region.bottom(); ++y)
            lettered = lettered || std::abs(qGray(image.pixel(x, y)) - 239) > 24;
        columns += lettered;
    }
    return columns;
}

} // namespace

// Under Wayland the title bar is drawn with the window: 30 pixels tall, its three buttons in the
// right-hand 72 pixels, the title centred over the whole width. Each window of the game is shown
// on a private headless weston, and its title must be lettered whole left of the buttons.
class TestWaylandTitles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyWindowsTitleIsReadWholeInItsTitleBar_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : { "records", "name prompt", "main" })
            QTest::newRow(window) << window;
    }

    void everyWindowsTitleIsReadWholeInItsTitleBar()
    {
        QFETCH(QString, window);
        std::unique_ptr<QWidget> shown;
        if (window == QLatin1String("records"))
            shown = std::make_unique<TForm2>(Pictures::instance());
        else if (window == QLatin1String("name prompt"))
            shown = std::make_unique<NameInputBox>();
        else
            shown = std::make_unique<MainWindow>(Pictures::instance());
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        const QImage content = shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage screen;
        std::optional<QPoint> at;
        QTRY_VERIFY_WITH_TIMEOUT(at = find(screen = screenshot(), content), 15000);
        const QRect bar(at->x() - 3, at->y() - 30, shown->width() + 6, 30);
        screen.copy(bar.united(QRect(*at, content.size())))
            .save(QStringLiteral(ZORVAT_E2E_ARTEFACTS "/%1.png").arg(window));

        // The title as the bar letters it, in the inactive window's grey: this compositor has no keyboard.
        QFont font = QApplication::font();
        font.setPixelSize(14);
        QImage title(QFontMetrics(font).horizontalAdvance(shown->windowTitle()) + 8, 30, QImage::Format_RGB32);
        title.fill(QColor(239, 239, 239));
        QPainter painter(&title);
        painter.setFont(font);
        painter.setPen(QPalette().color(QPalette::Disabled, QPalette::WindowText));
        painter.drawText(title.rect(), Qt::AlignCenter, shown->windowTitle());
        painter.end();
        const int whole = letteredColumns(title, title.rect());
        const int seen = letteredColumns(screen, QRect(bar.left() + 4, bar.top() + 5, bar.width() - 76, 20));
        QVERIFY2(seen >= whole - 2, qPrintable(QStringLiteral("%1 of %2 columns lettered").arg(seen).arg(whole)));
    }
};

int main(int argc, char* argv[])
{
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    QDir(artefacts).removeRecursively();
    QDir().mkpath(artefacts);
    QTemporaryDir folder;
    runtime = &folder;
    qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8());
    QProcess weston;
    weston.setStandardErrorFile(QDir(artefacts).filePath(QStringLiteral("weston.log")));
    weston.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    weston.start(QStringLiteral("weston"),
        { "--backend=headless-backend.so", "--use-pixman", "--no-config", "--width=800", "--height=600",
            "--idle-time=0", "--debug", "--socket=zorvat-test" });
    for (int i = 0; i < 300 && !QFile::exists(folder.filePath(QStringLiteral("zorvat-test"))); ++i)
        QThread::msleep(100);
    if (!QFile::exists(folder.filePath(QStringLiteral("zorvat-test")))) {
        std::fprintf(stderr, "weston did not come up (scripts/setup.sh test installs it)\n");
        return 1;
    }
    qputenv("WAYLAND_DISPLAY", "zorvat-test");
    qputenv("QT_QPA_PLATFORM", "wayland");
    // No input method: the compositor has no keyboard, and Qt's own for Wayland would look for one.
    qputenv("QT_IM_MODULE", "none");
    qunsetenv("DISPLAY");
    int failed = 0;
    {
        // Gone before the compositor is, which it would take for a crash.
        QApplication application(argc, argv);
        installFontSubstitutes();
        QApplication::setFont(gameFont(12));
        // A steady caret, so that a window looks the same on the screen as in its own picture.
        QApplication::setCursorFlashTime(0);
        TestWaylandTitles test;
        failed = QTest::qExec(&test, argc, argv);
    }
    weston.terminate();
    weston.waitForFinished();
    return failed;
}

#include "test_wayland_titles.moc"
