// Installing like a desktop program: cmake --install into a temporary prefix, the
// launcher and metainfo checked by their own validators, the project file type by
// the MIME database built from it; and both executables' --help and --version.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code = -1;
    QString output; // standard output
    QString errors; // standard error
};

Result runTool(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.output = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.errors = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace

TEST(Install, IntoAnyPrefixAsADesktopProgram)
{
    QTemporaryDir prefix;
    const Result install = runTool(QStringLiteral(KORVEL_CMAKE),
                                   {QStringLiteral("--install"), QStringLiteral(KORVEL_BINARY_DIR), QStringLiteral("--prefix"),
                                    prefix.path()});
    ASSERT_EQ(install.code, 0) << install.errors.toStdString();
    const QDir root(prefix.path());
    const QString id = QStringLiteral("cz.torva.Korvel");
    for (const QString &file :
         {QStringLiteral("bin/korvel"), QStringLiteral("bin/korvel-print"), QStringLiteral("share/korvel/default.kvd"),
          QStringLiteral("share/applications/%1.desktop").arg(id), QStringLiteral("share/metainfo/%1.metainfo.xml").arg(id),
          QStringLiteral("share/mime/packages/%1.xml").arg(id), QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(id),
          QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(id),
          QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(id),
          QStringLiteral("share/icons/hicolor/scalable/mimetypes/application-x-korvel-project.svg"),
          QStringLiteral("share/icons/hicolor/32x32/mimetypes/application-x-korvel-project.png"),
          QStringLiteral("share/man/man1/korvel.1"), QStringLiteral("share/man/man1/korvel-print.1")})
        EXPECT_TRUE(root.exists(file)) << file.toStdString();

    const QString desktop = root.filePath(QStringLiteral("share/applications/%1.desktop").arg(id));
    const Result validDesktop = runTool(QStringLiteral("desktop-file-validate"), {desktop});
    EXPECT_EQ(validDesktop.code, 0) << validDesktop.output.toStdString() << validDesktop.errors.toStdString();
    EXPECT_TRUE((validDesktop.output + validDesktop.errors).trimmed().isEmpty()) << "not even a hint";
    QFile launcher(desktop);
    ASSERT_TRUE(launcher.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(launcher.readAll());
    // A double-clicked project is handed to the designer as its one argument.
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=korvel %f\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=application/x-korvel-project;\n")));

    const Result validMetainfo = runTool(QStringLiteral("appstreamcli"),
                                         {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                          root.filePath(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(id))});
    EXPECT_EQ(validMetainfo.code, 0) << validMetainfo.output.toStdString() << validMetainfo.errors.toStdString();

    const QString mime = root.filePath(QStringLiteral("share/mime"));
    const Result database = runTool(QStringLiteral("update-mime-database"), {mime});
    ASSERT_EQ(database.code, 0) << database.errors.toStdString();
    QFile globs(mime + QStringLiteral("/globs2"));
    ASSERT_TRUE(globs.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(globs.readAll()).contains(QStringLiteral(":application/x-korvel-project:*.kvp")));

    const Result version = runTool(root.filePath(QStringLiteral("bin/korvel-print")), {QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.output.trimmed(), QStringLiteral("korvel-print " KORVEL_VERSION));
}

TEST(Install, HelpAndVersionNeedNoDisplay)
{
    // No display and no platform chosen: the designer must answer (or refuse a
    // mistyped option) before it would need a window system, and in Czech.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const Result version = runTool(QStringLiteral(KORVEL_EXE), {QStringLiteral("--version")}, env);
    EXPECT_EQ(version.code, 0) << version.errors.toStdString();
    EXPECT_EQ(version.output.trimmed(), QStringLiteral("korvel " KORVEL_VERSION));
    const Result help = runTool(QStringLiteral(KORVEL_EXE), {QStringLiteral("--help")}, env);
    EXPECT_EQ(help.code, 0) << help.errors.toStdString();
    EXPECT_TRUE(help.output.contains(QStringLiteral("Použití: "))) << help.output.toStdString();
    EXPECT_TRUE(help.output.contains(QStringLiteral("[PROJEKT.kvp]")));
    EXPECT_FALSE(help.output.contains(QStringLiteral("Usage")));
    const Result bogus = runTool(QStringLiteral(KORVEL_EXE), {QStringLiteral("--bogus")}, env);
    EXPECT_EQ(bogus.code, 2);
    EXPECT_TRUE(bogus.errors.contains(QStringLiteral("neznámá volba „--bogus“"))) << bogus.errors.toStdString();
    EXPECT_TRUE(bogus.errors.contains(QStringLiteral("Použití: ")));
    EXPECT_TRUE(bogus.output.isEmpty());
    const Result printHelp = runTool(QStringLiteral(KORVEL_PRINT_EXE), {QStringLiteral("--help")}, env);
    EXPECT_EQ(printHelp.code, 0);
    for (const char *option : {"--dpi", "--offset", "--scale", "--calibration-page", "--version"})
        EXPECT_TRUE(printHelp.output.contains(QString::fromLatin1(option))) << option;
    // Qt's words in it too: the usage line and the description of --help.
    EXPECT_TRUE(printHelp.output.contains(QStringLiteral("Použití: "))) << printHelp.output.toStdString();
    EXPECT_TRUE(printHelp.output.contains(QStringLiteral("Vypíše tuto nápovědu.")));
    EXPECT_FALSE(printHelp.output.contains(QStringLiteral("Usage")) || printHelp.output.contains(QStringLiteral("Displays")));
}
