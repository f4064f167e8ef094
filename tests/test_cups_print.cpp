// Printing through a real print system: a private CUPS scheduler (its own folder,
// a loopback port, nothing of the system's touched) with one queue whose device is
// a file, fed through the designer's own print path and compared with korvel-print.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "app/TFrmMain.h"
#include "project/CoverPage.h"
#include "settings/PrinterCalibration.h"

using namespace korvel;

namespace {

constexpr auto kQueue = "korvel-test";

// A scheduler of the test's own. Its queue passes the job's PDF through a filter
// that copies it unchanged to a file, so the file is exactly what a printer gets.
class PrivateCups {
public:
    ~PrivateCups()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(5000);
        }
    }

    // Starts the scheduler; on failure says why in *why.
    bool start(QString *why)
    {
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        const QString exec = QStringLiteral("/usr/lib/cups/daemon/cups-exec");
        if (cupsd.isEmpty() || !QFile::exists(exec)) {
            *why = QStringLiteral("cupsd is not installed (scripts/deps installs cups-daemon)");
            return false;
        }
        if (!m_dir.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        // Filters run as the scheduler's own user when it is started by root: they
        // must reach their folder.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        QDir root(m_dir.path());
        for (const char *sub : {"spool", "cache", "state", "log", "tmp", "out", "bin/filter"})
            root.mkpath(QString::fromLatin1(sub));
        QFile::link(QStringLiteral("/usr/lib/cups/daemon"), path("bin/daemon"));
        QFile::link(QStringLiteral("/usr/lib/cups/backend"), path("bin/backend"));
        write("bin/filter/korvel-pass", "#!/bin/sh\n# The document, unchanged.\nexec cat \"${6:--}\"\n");
        QFile::setPermissions(path("bin/filter/korvel-pass"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                   QFile::ReadGroup | QFile::ExeGroup |
                                                                   QFile::ReadOther | QFile::ExeOther);

        QTcpServer probe; // a free port on the loopback address
        if (!probe.listen(QHostAddress::LocalHost)) {
            *why = QStringLiteral("no free loopback port");
            return false;
        }
        m_port = probe.serverPort();
        probe.close();
        // Nothing is shared or announced: no DNS-SD, no browsing.
        write("cupsd.conf", QStringLiteral("Listen 127.0.0.1:%1\nLogLevel info\nBrowsing No\n"
                                           "BrowseLocalProtocols none\nWebInterface No\n"
                                           "DefaultAuthType None\n"
                                           "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                                           "<Policy default>\n <Limit All>\n  Order allow,deny\n  Allow all\n </Limit>\n"
                                           "</Policy>\n")
                                .arg(m_port)
                                .toUtf8());
        // Every file the scheduler writes lies in its folder; the printcap list of
        // queues would otherwise go to the system's own (/run/cups/printcap),
        // overwriting the real scheduler's when the test runs as root.
        write("cups-files.conf", QStringLiteral("ServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\n"
                                                "CacheDir %1/cache\nStateDir %1/state\nTempDir %1/tmp\n"
                                                "ServerKeychain %1/ssl\n"
                                                "Printcap %1/state/printcap\nPrintcapFormat bsd\n"
                                                "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                                "PageLog %1/log/page_log\nFileDevice Yes\nSandboxing Relaxed\n")
                                     .arg(m_dir.path())
                                     .toUtf8());
        // The scheduler announces its printers and jobs on the system D-Bus (and
        // hands colour profiles to colord there); no directive turns that off, so
        // it is given a bus address that leads nowhere, inside its own folder.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress());
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        m_cupsd.setProcessEnvironment(environment);
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), path("cupsd.conf"), QStringLiteral("-s"),
                              path("cups-files.conf")});
        if (!m_cupsd.waitForStarted(5000)) {
            *why = QStringLiteral("cupsd did not start: %1").arg(m_cupsd.errorString());
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 15000) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(200))
                return true;
            if (m_cupsd.state() == QProcess::NotRunning)
                break;
            QThread::msleep(100);
        }
        *why = QStringLiteral("cupsd did not answer on port %1: %2 %3")
                   .arg(m_port)
                   .arg(QString::fromLocal8Bit(m_cupsd.readAll()), log());
        return false;
    }

    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // A D-Bus address with no bus behind it.
    QString busAddress() const { return QStringLiteral("unix:path=") + path("no-system-bus"); }
    QString path(const char *relative) const { return m_dir.filePath(QString::fromLatin1(relative)); }
    QString output() const { return path("out/page.pdf"); }
    QString log() const
    {
        QFile f(path("log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(2000)) : QString();
    }

    // Runs a CUPS command against this scheduler; returns its output, or an error.
    bool command(const QString &program, const QStringList &args, QString *out)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, QStringList{QStringLiteral("-h"), server()} + args);
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        *out = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    // Waits until the queue has printed everything and the file is there.
    bool waitForJobs()
    {
        QElapsedTimer timer;
        timer.start();
        QString out;
        while (timer.elapsed() < 30000) {
            if (command(QStringLiteral("lpstat"), {QStringLiteral("-o"), QString::fromLatin1(kQueue)}, &out) &&
                out.trimmed().isEmpty() && QFileInfo(output()).size() > 0)
                return true;
            QThread::msleep(100);
        }
        return false;
    }

private:
    void write(const char *relative, const QByteArray &bytes)
    {
        QFile f(path(relative));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    quint16 m_port = 0;
};

// Sets an environment variable for a scope, then puts back what was there.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QImage rasterise(const QString &pdf, const QString &prefix)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QImage korvelPrint(const QStringList &options, const QTemporaryDir &dir, const QString &name)
{
    const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
    QProcess p;
    p.start(QStringLiteral(KORVEL_PRINT_EXE), options + QStringList{pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return rasterise(pdf, dir.filePath(name));
}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace

TEST(CupsPrinting, TheDesignersPrintPathReachesAQueueAsKorvelPrintWritesIt)
{
    PrivateCups cups;
    QString why;
    if (!cups.start(&why))
        GTEST_SKIP() << "CUPS cannot start here, so nothing is printed through it: " << why.toStdString();
    QString out;
    ASSERT_TRUE(cups.command(QStringLiteral("lpadmin"),
                             {QStringLiteral("-p"), QString::fromLatin1(kQueue), QStringLiteral("-E"), QStringLiteral("-v"),
                              QStringLiteral("file://") + cups.output(), QStringLiteral("-P"),
                              QStringLiteral(KORVEL_TEST_DATA "/cups/korvel-file.ppd")},
                             &out))
        << out.toStdString() << cups.log().toStdString();
    // The print support reads the server once, at its first use in this process.
    qputenv("CUPS_SERVER", cups.server().toUtf8());
    // libcups also looks for printers announced on the network, asking Avahi over
    // the system D-Bus; only this scheduler's queue belongs in the test.
    const EnvironmentOverride noSystemBus("DBUS_SYSTEM_BUS_ADDRESS", cups.busAddress().toUtf8());
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(QString::fromLatin1(kQueue)));

    QTemporaryDir dir;
    TFrmMain window;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(QString::fromLatin1(kQueue));
        ASSERT_EQ(printer.outputFormat(), QPrinter::NativeFormat);
        // Landscape chosen in the print dialog must not turn the cover.
        printer.setPageOrientation(QPageLayout::Landscape);
        ASSERT_TRUE(window.printOn(printer));
    }
    ASSERT_TRUE(cups.waitForJobs()) << cups.log().toStdString();
    const QImage printed = rasterise(cups.output(), dir.filePath(QStringLiteral("printed")));
    const QImage expected = korvelPrint({}, dir, QStringLiteral("expected"));
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(printed.size(), QSize(794, 1123));
    EXPECT_EQ(differingPixels(printed, expected), 0);

    // A calibration stored for this printer moves its page, as korvel-print's
    // --offset and --scale move a file's.
    QFile::remove(cups.output());
    const PrinterCalibration calibration{30, -20, 990, 1010};
    ASSERT_TRUE(PrinterCalibrationStore::save(QString::fromLatin1(kQueue), calibration, nullptr));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(QString::fromLatin1(kQueue));
        ASSERT_TRUE(window.printOn(printer));
    }
    ASSERT_TRUE(cups.waitForJobs()) << cups.log().toStdString();
    const QImage calibrated = rasterise(cups.output(), dir.filePath(QStringLiteral("calibrated")));
    const QImage moved = korvelPrint({QStringLiteral("--offset"), QStringLiteral("30,-20"), QStringLiteral("--scale"),
                                      QStringLiteral("990,1010")},
                                     dir, QStringLiteral("moved"));
    EXPECT_GT(differingPixels(calibrated, expected), 1000) << "the calibration moved the page";
    EXPECT_EQ(differingPixels(calibrated, moved), 0);
}
