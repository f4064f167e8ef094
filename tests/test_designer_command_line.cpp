// The designer's command line: a project, --help, --version, and nothing else that
// looks like an option; a project named with a leading dash comes after "--".
#include <gtest/gtest.h>

#include "app/DesignerCommandLine.h"

using namespace korvel;

namespace {

DesignerCommandLine::Parsed parse(const QStringList &arguments)
{
    return DesignerCommandLine::parse(QStringList{QStringLiteral("korvel")} + arguments);
}

} // namespace

TEST(DesignerCommandLine, UnknownOptionsAreRefusedAndDashedProjectsFollowDoubleDash)
{
    using Action = DesignerCommandLine::Action;
    EXPECT_EQ(parse({}).action, Action::Start);
    EXPECT_TRUE(parse({}).project.isEmpty());
    EXPECT_EQ(parse({QStringLiteral("album.kvp"), QStringLiteral("other.kvp")}).project, QStringLiteral("album.kvp"));

    for (const char *option : {"--bogus", "-x", "-album.kvp", "-"}) {
        const DesignerCommandLine::Parsed refused = parse({QString::fromLatin1(option)});
        EXPECT_EQ(refused.action, Action::Refuse) << option;
        EXPECT_EQ(refused.option, QString::fromLatin1(option));
    }
    // An option after the project is refused as well.
    EXPECT_EQ(parse({QStringLiteral("album.kvp"), QStringLiteral("--bogus")}).action, Action::Refuse);

    const DesignerCommandLine::Parsed dashed = parse({QStringLiteral("--"), QStringLiteral("-album.kvp")});
    EXPECT_EQ(dashed.action, Action::Start);
    EXPECT_EQ(dashed.project, QStringLiteral("-album.kvp"));
    EXPECT_EQ(parse({QStringLiteral("--"), QStringLiteral("--help")}).project, QStringLiteral("--help"));

    for (const char *help : {"-h", "--help", "--help-all"})
        EXPECT_EQ(parse({QStringLiteral("album.kvp"), QString::fromLatin1(help)}).action, Action::Help) << help;
    for (const char *version : {"-v", "--version"})
        EXPECT_EQ(parse({QString::fromLatin1(version)}).action, Action::Version) << version;
}
